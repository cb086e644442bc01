#include "platform/forms/TListBox.h"

#include <algorithm>

namespace win {

TListBox::TListBox(TComponent *Owner)
    : TCustomControl(Owner), Items(new TControlItems([this] { ItemsChanged(); })), items_(Items)
{
    TControl::SetColor(clWindow);
    SetBounds(GetLeft(), GetTop(), 121, 97);
}

void TListBox::WndProc(TMessage &Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE)
        Message.Result = DLGC_WANTARROWS;
}

void TListBox::ItemsChanged()
{
    selected_.resize(static_cast<size_t>(Items->Count()), false);
    if (itemIndex_ >= Items->Count())
        itemIndex_ = -1;
    topIndex_ = std::clamp(topIndex_, 0, std::max(Items->Count() - 1, 0));
    Invalidate();
}

int TListBox::VisibleCount() const { return std::max(GetClientHeight() / std::max(itemHeight_, 1), 1); }

void TListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= Items->Count())
        index = -1;
    itemIndex_ = index;
    if (!MultiSelect)
        std::fill(selected_.begin(), selected_.end(), false);
    if (index >= 0) {
        selected_[static_cast<size_t>(index)] = true;
        if (index < topIndex_)
            topIndex_ = index;
        else if (index >= topIndex_ + VisibleCount())
            topIndex_ = index - VisibleCount() + 1;
    }
    Invalidate();
}

void TListBox::SetItemHeight(int height)
{
    itemHeight_ = std::max(height, 1);
    Invalidate();
}

void TListBox::SetTopIndex(int index)
{
    topIndex_ = std::clamp(index, 0, std::max(Items->Count() - 1, 0));
    Invalidate();
}

bool TListBox::GetSelected(int index) const
{
    return index >= 0 && index < static_cast<int>(selected_.size()) && selected_[static_cast<size_t>(index)];
}

void TListBox::SetSelected(int index, bool selected)
{
    if (index < 0 || index >= static_cast<int>(selected_.size()))
        return;
    if (!MultiSelect) {
        SetItemIndex(selected ? index : -1);
        return;
    }
    selected_[static_cast<size_t>(index)] = selected;
    Invalidate();
}

int TListBox::GetSelCount() const
{
    if (!MultiSelect)
        return itemIndex_ >= 0 ? 1 : 0;
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

int TListBox::ItemAtPos(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= GetClientWidth() || Y >= GetClientHeight())
        return -1;
    int index = topIndex_ + Y / itemHeight_;
    return index < Items->Count() ? index : -1;
}

TRect TListBox::ItemRect(int index) const
{
    int y = (index - topIndex_) * itemHeight_;
    return TRect(0, y, GetClientWidth(), y + itemHeight_);
}

void TListBox::Paint()
{
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(GetClientRect());
    bool focused = Focused();
    for (int i = topIndex_; i < Items->Count(); ++i) {
        TRect rect = ItemRect(i);
        if (rect.Top >= GetClientHeight())
            break;
        TOwnerDrawState state;
        bool selected = GetSelected(i);
        if (selected)
            state << odSelected;
        if (focused && i == itemIndex_)
            state << odFocused;
        Canvas->Font = Font;
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = selected ? clHighlight : GetColor();
        Canvas->Font->Color = selected ? clHighlightText : Font->Color;
        DrawItem(i, rect, state);
    }
}

void TListBox::DrawItem(int Index, const TRect &Rect, TOwnerDrawState State)
{
    if (Style == lbOwnerDrawFixed && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    Canvas->FillRect(Rect);
    Canvas->Brush->Style = bsClear;
    Canvas->TextOut(Rect.Left + 2, Rect.Top, Items->Strings(Index));
}

void TListBox::Select(int index)
{
    if (index < 0 || index >= Items->Count() || index == itemIndex_)
        return;
    SetItemIndex(index);
    Click();
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        int index = ItemAtPos(X, Y);
        if (index >= 0 && MultiSelect && Shift.Contains(ssCtrl)) {
            itemIndex_ = index;
            SetSelected(index, !GetSelected(index));
        } else if (index >= 0) {
            if (MultiSelect)
                std::fill(selected_.begin(), selected_.end(), false);
            itemIndex_ = -1;
            SetItemIndex(index);
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TListBox::KeyDown(WORD &Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    int count = Items->Count();
    if (count == 0)
        return;
    int page = VisibleCount();
    switch (Key) {
    case VK_UP:
        Select(std::max(itemIndex_ - 1, 0));
        break;
    case VK_DOWN:
        Select(std::min(itemIndex_ + 1, count - 1));
        break;
    case VK_PRIOR:
        Select(std::max(itemIndex_ - page + 1, 0));
        break;
    case VK_NEXT:
        Select(std::min(std::max(itemIndex_, 0) + page - 1, count - 1));
        break;
    case VK_HOME:
        Select(0);
        break;
    case VK_END:
        Select(count - 1);
        break;
    default:
        break;
    }
}

} // namespace win
