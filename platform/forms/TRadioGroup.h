// The radio group: a framed caption over one radio button per item, in
// Columns columns, of which ItemIndex is checked (-1: none); a click on a button
// sets ItemIndex and fires OnClick.
#pragma once

#include <memory>

#include "platform/forms/TWinControl.h"
#include "platform/win/TStringList.h"

namespace win {

class TRadioGroup : public TWinControl {
public:
    explicit TRadioGroup(TComponent *Owner);
    ~TRadioGroup() override;
    AnsiString ClassName() const override { return "TRadioGroup"; }

    TStringList *GetItems() const { return items_.get(); }
    // Takes a copy of the item texts; the buttons follow.
    void SetItems(TStringList *items);
    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int GetColumns() const { return columns_; }
    void SetColumns(int columns);
    // The item texts changed through Items.
    void ItemsChanged();

    Property<TRadioGroup, TStringList *, &TRadioGroup::GetItems, &TRadioGroup::SetItems> Items{this};
    Property<TRadioGroup, int, &TRadioGroup::GetItemIndex, &TRadioGroup::SetItemIndex> ItemIndex{this};
    Property<TRadioGroup, int, &TRadioGroup::GetColumns, &TRadioGroup::SetColumns> Columns{this};

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;

private:
    void BuildButtons();

    std::unique_ptr<TStringList> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};

} // namespace win
