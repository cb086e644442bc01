// The combo box: an edit with a drop-down list of Items (csDropDown), a list
// only (csDropDownList), or an edit above a list that is always open
// (csSimple, whose list shows whole rows only: its height is rounded down to
// them); ItemIndex, Text, DropDownCount lines, OnChange when the text or the
// choice changes.
#pragma once

#include <memory>

#include "platform/forms/TControlItems.h"
#include "platform/forms/TWinControl.h"

namespace win {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TComboBox"; }

    TControlItems *const Items;

    int GetItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    AnsiString GetCaption() const override;
    TComboBoxStyle GetStyle() const { return style_; }
    // The simple style (an edit above a list always open in the control's
    // height) is taken when the window is made: set it before.
    void SetStyle(TComboBoxStyle style);
    int GetDropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);

    Property<TComboBox, int, &TComboBox::GetItemIndex, &TComboBox::SetItemIndex> ItemIndex{this};
    Property<TComboBox, TComboBoxStyle, &TComboBox::GetStyle, &TComboBox::SetStyle> Style{this};
    Property<TComboBox, int, &TComboBox::GetDropDownCount, &TComboBox::SetDropDownCount> DropDownCount{this};
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    void ApplyCaption() override;

private:
    void Fill();

    std::unique_ptr<TControlItems> items_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    bool filling_ = false;
};

} // namespace win
