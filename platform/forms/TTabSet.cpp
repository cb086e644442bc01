#include "platform/forms/TTabSet.h"

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

// Space left of the first tab, and inside each tab beside its caption.
constexpr int kStartMargin = 5;
constexpr int kTabMargin = 6;
// The width of each scroll arrow's button.
constexpr int kArrowWidth = 16;

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

bool TTabSet::Scrolls()
{
    if (firstIndex_ > 0)
        return true;
    int x = kStartMargin;
    for (int i = 0; i < Tabs->Count(); ++i) {
        x += TabWidth(i);
        if (x > GetClientWidth())
            return true;
    }
    return false;
}

int TTabSet::TabAreaWidth()
{
    return Scrolls() ? std::max(0, GetClientWidth() - 2 * kArrowWidth) : GetClientWidth();
}

bool TTabSet::LastTabShown()
{
    return Tabs->Count() == 0 || ItemRect(Tabs->Count() - 1).Right <= TabAreaWidth();
}

TRect TTabSet::ScrollLeftRect()
{
    if (!Scrolls())
        return TRect();
    const int right = GetClientWidth() - kArrowWidth;
    return TRect(right - kArrowWidth, 1, right, GetClientHeight());
}

TRect TTabSet::ScrollRightRect()
{
    if (!Scrolls())
        return TRect();
    return TRect(GetClientWidth() - kArrowWidth, 1, GetClientWidth(), GetClientHeight());
}

int TTabSet::ItemAtPos(TPoint pos)
{
    if (pos.y < 0 || pos.y >= GetClientHeight())
        return -1;
    int x = kStartMargin;
    const int area = TabAreaWidth();
    if (pos.x >= area)
        return -1;
    for (int i = firstIndex_; i < Tabs->Count() && x < area; ++i) {
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
    while (firstIndex_ < tabIndex_ && ItemRect(tabIndex_).Right > TabAreaWidth())
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
    const int area = TabAreaWidth();
    for (int i = firstIndex_; i < Tabs->Count(); ++i) {
        TRect r = ItemRect(i);
        if (r.Left >= area)
            break;
        // A tab cut by the arrows ends at them.
        r.Right = std::min<int>(r.Right, area - 1);
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
    if (area < client.Right)
        PaintArrows();
}

void TTabSet::PaintArrows()
{
    const bool canLeft = firstIndex_ > 0, canRight = !LastTabShown();
    for (int k = 0; k < 2; ++k) {
        const TRect r = k == 0 ? ScrollLeftRect() : ScrollRightRect();
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = clBtnFace;
        Canvas->Pen->Color = clBtnShadow;
        Canvas->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
        // A triangle pointing its way, grey when there is nothing to scroll to.
        const bool enabled = k == 0 ? canLeft : canRight;
        const TColor ink = enabled ? clBlack : clBtnShadow;
        Canvas->Pen->Color = ink;
        Canvas->Brush->Color = ink;
        const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
        if (k == 0)
            Canvas->Polygon({TPoint(cx - 2, cy), TPoint(cx + 2, cy - 4), TPoint(cx + 2, cy + 4)});
        else
            Canvas->Polygon({TPoint(cx + 2, cy), TPoint(cx - 2, cy - 4), TPoint(cx - 2, cy + 4)});
    }
}

void TTabSet::Resize()
{
    TCustomControl::Resize();
    const int width = GetClientWidth();
    if (firstIndex_ > 0 && width > 0) {
        // The tabs from `first` on, all of them, within the width.
        auto fits = [this, width](int first) {
            int x = kStartMargin;
            for (int i = first; i < Tabs->Count(); ++i)
                x += TabWidth(i);
            return x <= width;
        };
        while (firstIndex_ > 0 && fits(firstIndex_ - 1))
            --firstIndex_;
    }
    // A narrower one keeps the selected tab in view.
    if (width > 0)
        FixTabPos();
    Invalidate();
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Scrolls() && X >= TabAreaWidth()) {
        // The arrows scroll the strip; they select nothing.
        if (X < ScrollRightRect().Left && firstIndex_ > 0)
            SetFirstIndex(firstIndex_ - 1);
        else if (X >= ScrollRightRect().Left && !LastTabShown())
            SetFirstIndex(firstIndex_ + 1);
    } else if (Button == mbLeft) {
        int index = ItemAtPos(TPoint(X, Y));
        if (index >= 0)
            SetTabIndex(index);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

} // namespace win
