// The list view, shown as a report: a header of Columns (caption and width) over
// rows (Items), each with a Caption in the first column and SubItems in the
// next ones. One row is selected by a click or by the program (Selected,
// ItemIndex); RowSelect highlights whole rows, HotTrack the row under the mouse;
// without ReadOnly a caption can be edited in place. TListColumn, TListColumns,
// TListItem and TListItems are its columns and rows and their lists.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/TControlItems.h"
#include "platform/forms/TWinControl.h"

namespace win {

class TListView;
struct ListViewPrivate;

class TListColumn : public TObject {
public:
    explicit TListColumn(TListView *view) : view_(view) {}
    TListColumn(const TListColumn &) = delete;
    TListColumn &operator=(const TListColumn &) = delete;
    AnsiString ClassName() const override { return "TListColumn"; }

    AnsiString GetCaption() const { return caption_; }
    void SetCaption(AnsiString caption);
    int GetWidth() const { return width_; }
    void SetWidth(int width);

    Property<TListColumn, AnsiString, &TListColumn::GetCaption, &TListColumn::SetCaption> Caption{this};
    Property<TListColumn, int, &TListColumn::GetWidth, &TListColumn::SetWidth> Width{this};

private:
    TListView *view_;
    AnsiString caption_;
    int width_ = 50;
};

class TListColumns : public TObject {
public:
    explicit TListColumns(TListView *view) : view_(view) {}
    TListColumns(const TListColumns &) = delete;
    TListColumns &operator=(const TListColumns &) = delete;
    AnsiString ClassName() const override { return "TListColumns"; }

    TListColumn *Add();
    void Clear();
    int GetCount() const { return static_cast<int>(columns_.size()); }
    TListColumn *GetItem(int index) const;

    ReadOnlyProperty<TListColumns, int, &TListColumns::GetCount> Count{this};
    // `Columns->Items[i]`: the column at that index, or null.
    class ItemTable {
    public:
        explicit ItemTable(const TListColumns *columns) : columns_(columns) {}
        TListColumn *operator[](int index) const { return columns_->GetItem(index); }

    private:
        const TListColumns *columns_;
    };
    ItemTable Items{this};

private:
    TListView *view_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
};

class TListItem : public TObject {
public:
    explicit TListItem(TListView *view);
    TListItem(const TListItem &) = delete;
    TListItem &operator=(const TListItem &) = delete;
    ~TListItem() override;
    AnsiString ClassName() const override { return "TListItem"; }

    AnsiString GetCaption() const { return caption_; }
    void SetCaption(AnsiString caption);
    int GetIndex() const;
    bool GetSelected() const { return selected_; }
    void SetSelected(bool selected);
    void Delete();

    Property<TListItem, AnsiString, &TListItem::GetCaption, &TListItem::SetCaption> Caption{this};
    ReadOnlyProperty<TListItem, int, &TListItem::GetIndex> Index{this};
    Property<TListItem, bool, &TListItem::GetSelected, &TListItem::SetSelected> Selected{this};
    // The texts of the columns after the first.
    TControlItems *const SubItems;

private:
    friend class TListView;
    TListView *view_;
    AnsiString caption_;
    bool selected_ = false;
    std::unique_ptr<TControlItems> subItems_;
};

class TListItems : public TObject {
public:
    explicit TListItems(TListView *view) : view_(view) {}
    TListItems(const TListItems &) = delete;
    TListItems &operator=(const TListItems &) = delete;
    AnsiString ClassName() const override { return "TListItems"; }

    TListItem *Add();
    void Delete(int index);
    void Clear();
    int GetCount() const { return static_cast<int>(items_.size()); }
    TListItem *GetItem(int index) const;
    int IndexOf(const TListItem *item) const;

    ReadOnlyProperty<TListItems, int, &TListItems::GetCount> Count{this};
    // `Items->Item[i]`: the row at that index, or null.
    class ItemTable {
    public:
        explicit ItemTable(const TListItems *items) : items_(items) {}
        TListItem *operator[](int index) const { return items_->GetItem(index); }

    private:
        const TListItems *items_;
    };
    ItemTable Item{this};

private:
    friend class TListView;
    TListView *view_;
    std::vector<std::unique_ptr<TListItem>> items_;
};

class TListView : public TWinControl {
public:
    explicit TListView(TComponent *Owner);
    ~TListView() override;
    AnsiString ClassName() const override { return "TListView"; }

    TListColumns *const Columns;
    TListItems *const Items;

    // The selected row (one at most), or null.
    TListItem *GetSelected() const;
    void SetSelected(TListItem *item);
    int GetItemIndex() const;
    void SetItemIndex(int index);
    bool GetRowSelect() const { return rowSelect_; }
    void SetRowSelect(bool rowSelect);
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool GetHotTrack() const { return hotTrack_; }
    void SetHotTrack(bool hotTrack);

    Property<TListView, TListItem *, &TListView::GetSelected, &TListView::SetSelected> Selected{this};
    Property<TListView, int, &TListView::GetItemIndex, &TListView::SetItemIndex> ItemIndex{this};
    Property<TListView, bool, &TListView::GetRowSelect, &TListView::SetRowSelect> RowSelect{this};
    Property<TListView, bool, &TListView::GetReadOnly, &TListView::SetReadOnly> ReadOnly{this};
    Property<TListView, bool, &TListView::GetHotTrack, &TListView::SetHotTrack> HotTrack{this};

    // Inside the library: columns and rows changed.
    void ColumnsChanged();
    void RowAdded(TListItem *item);
    void RowChanged(TListItem *item);
    void RowRemoving(TListItem *item);
    void SelectionChanged(TListItem *item);

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    void ApplyOptions();
    void ShowRow(TListItem *item, void *row);
    void SelectionFromWidget();

    std::unique_ptr<TListColumns> columns_;
    std::unique_ptr<TListItems> items_;
    std::unique_ptr<ListViewPrivate> priv_;
    bool rowSelect_ = false;
    bool readOnly_ = false;
    bool hotTrack_ = false;
    bool syncing_ = false;
};

} // namespace win
