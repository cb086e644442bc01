// The list box: one line per item, drawn by the box or (owner-drawn fixed) by
// OnDrawItem on the Canvas; ItemIndex moved by clicks and keys (OnClick), or a
// set of selected items with MultiSelect; TopIndex scrolled to keep the current
// item shown.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/TControlItems.h"
#include "platform/forms/TCustomControl.h"

namespace win {

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum TOwnerDrawStateFlag { odSelected, odFocused };

class TOwnerDrawState {
public:
    constexpr TOwnerDrawState() = default;
    constexpr TOwnerDrawState &operator<<(TOwnerDrawStateFlag flag)
    {
        bits_ |= 1u << flag;
        return *this;
    }
    constexpr bool Contains(TOwnerDrawStateFlag flag) const { return (bits_ & (1u << flag)) != 0; }

private:
    unsigned bits_ = 0;
};

using TDrawItemEvent = std::function<void(TWinControl *Control, int Index, const TRect &Rect, TOwnerDrawState State)>;

class TListBox : public TCustomControl {
public:
    explicit TListBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TListBox"; }
    void WndProc(TMessage &Message) override;

    TControlItems *const Items;

    int GetItemIndex() const { return itemIndex_; }
    // -1 selects nothing; the item is scrolled into view.
    void SetItemIndex(int index);
    int GetItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    int GetTopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    bool GetSelected(int index) const;
    void SetSelected(int index, bool selected);
    int GetSelCount() const;
    // The item at a client point, or -1.
    int ItemAtPos(int X, int Y) const;
    TRect ItemRect(int index) const;

    Property<TListBox, int, &TListBox::GetItemIndex, &TListBox::SetItemIndex> ItemIndex{this};
    Property<TListBox, int, &TListBox::GetItemHeight, &TListBox::SetItemHeight> ItemHeight{this};
    Property<TListBox, int, &TListBox::GetTopIndex, &TListBox::SetTopIndex> TopIndex{this};
    ReadOnlyProperty<TListBox, int, &TListBox::GetSelCount> SelCount{this};
    TListBoxStyle Style = lbStandard;
    bool MultiSelect = false;
    TDrawItemEvent OnDrawItem;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    virtual void DrawItem(int Index, const TRect &Rect, TOwnerDrawState State);

private:
    void ItemsChanged();
    int VisibleCount() const;
    void Select(int index);

    std::unique_ptr<TControlItems> items_;
    std::vector<bool> selected_;
    int itemIndex_ = -1;
    int itemHeight_ = 16;
    int topIndex_ = 0;
};

} // namespace win
