#include "platform/forms/TTabSet.h"

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

// Space left of the first tab, and inside each tab beside its caption.
constexpr int kStartMargin = 5;
constexpr int kTabMargin = 6;

} // namespace

TTabSet::TTabSet(TComponent *Owner)
    : TCustomControl(Owner),
      Tabs(new TControlItems([this] { TabsChanged(); })),
      tabs_(Tabs)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 185, 21);
}

TTabSet::~TTabSet() = default;

void TTabSet::TabsChanged()
{
    if (tabIndex_ >= Tabs->Count())
        tabIndex_ = Tabs->Count() - 1;
    if (firstIndex_ >= Tabs->Count())
        firstIndex_ = std::max(0, Tabs->Count() - 1);
    Invalidate();
}

void TTabSet::SetTabIndex(int index)
{
    if (index == tabIndex_ || index < -1 || index >= Tabs->Count())
        return;
    bool allow = true;
    if (OnChange)
        OnChange(this, index, allow);
    if (!allow)
        return;
    tabIndex_ = index;
    FixTabPos();
    Invalidate();
    Click();
}

void TTabSet::WndProc(TMessage &Message)
{
    // The button going up is no click of its own: tab changes click.
    if (Message.Msg == WM_LBUTTONUP) {
        if (GetEnabled()) {
            auto lp = static_cast<DWORD>(Message.LParam);
            MouseUp(mbLeft, MouseShift(Message.WParam), static_cast<int16_t>(LOWORD(lp)),
                    static_cast<int16_t>(HIWORD(lp)));
        }
        return;
    }
    TCustomControl::WndProc(Message);
}

void TTabSet::SetFirstIndex(int index)
{
    if (index < 0 || index >= std::max(1, Tabs->Count()) || index == firstIndex_)
        return;
    firstIndex_ = index;
    Invalidate();
}

void TTabSet::SetSelectedColor(TColor color)
{
    selectedColor_ = color;
    Invalidate();
}

void TTabSet::SetUnselectedColor(TColor color)
{
    unselectedColor_ = color;
    Invalidate();
}

void TTabSet::SetBackgroundColor(TColor color)
{
    backgroundColor_ = color;
    Invalidate();
}

int TTabSet::TabWidth(int index)
{
    Canvas->Font = Font;
    return Canvas->TextWidth(Tabs->Strings(index)) + 2 * kTabMargin;
}

TRect TTabSet::ItemRect(int index)
{
    if (index < firstIndex_ || index >= Tabs->Count())
        return TRect();
    int x = kStartMargin;
    for (int i = firstIndex_; i < index; ++i)
        x += TabWidth(i);
    return TRect(x, 0, x + TabWidth(index), GetClientHeight() - 1);
}

int TTabSet::ItemAtPos(TPoint pos)
{
    if (pos.y < 0 || pos.y >= GetClientHeight())
        return -1;
    int x = kStartMargin;
    for (int i = firstIndex_; i < Tabs->Count() && x < GetClientWidth(); ++i) {
        int w = TabWidth(i);
        if (pos.x >= x && pos.x < x + w)
            return i;
        x += w;
    }
    return -1;
}

void TTabSet::FixTabPos()
{
    if (tabIndex_ < 0)
        return;
    if (tabIndex_ < firstIndex_) {
        firstIndex_ = tabIndex_;
        return;
    }
    while (firstIndex_ < tabIndex_ && ItemRect(tabIndex_).Right > GetClientWidth())
        ++firstIndex_;
}

void TTabSet::Paint()
{
    TRect client = GetClientRect();
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = backgroundColor_;
    Canvas->FillRect(client);
    Canvas->Pen->Color = clBlack;
    Canvas->MoveTo(0, 0);
    Canvas->LineTo(client.Right, 0);
    for (int i = firstIndex_; i < Tabs->Count(); ++i) {
        TRect r = ItemRect(i);
        if (r.Left >= client.Right)
            break;
        bool selected = i == tabIndex_;
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = selected ? selectedColor_ : unselectedColor_;
        Canvas->FillRect(TRect(r.Left, selected ? 0 : 1, r.Right, r.Bottom));
        Canvas->MoveTo(r.Left, 0);
        Canvas->LineTo(r.Left, r.Bottom);
        Canvas->LineTo(r.Right, r.Bottom);
        Canvas->LineTo(r.Right, -1);
        Canvas->Font = Font;
        Canvas->Brush->Style = bsClear;
        int textHeight = Canvas->TextHeight(Tabs->Strings(i));
        Canvas->TextOut(r.Left + kTabMargin, r.Top + std::max(0, (r.Height() - textHeight) / 2), Tabs->Strings(i));
    }
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        int index = ItemAtPos(TPoint(X, Y));
        if (index >= 0)
            SetTabIndex(index);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

} // namespace win
