#include "lumon/shell/LMPageTab.h"

#include <algorithm>
#include <cstdlib>

using namespace win;

TColor ShadeColor(TColor color, int percent, bool lighten)
{
    percent = std::clamp(percent, 0, 100);
    TColor result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int c = static_cast<int>((color >> shift) & 0xFF);
        c = lighten ? c + (255 - c) * percent / 100 : c - c * percent / 100;
        result |= static_cast<TColor>(c) << shift;
    }
    return result;
}

TLMPageTab::TLMPageTab(TComponent *Owner)
    : TTabSpinStrip(Owner)
{
    TControl::SetColor(clBackground);
    Font->Charset = 134;
    Font->Color = clWhite;
    Font->Name = "黑体";
    Font->Style = TFontStyles() << fsBold;
    SetBounds(GetLeft(), GetTop(), 188, 24);
}

void TLMPageTab::SetColor(TColor color)
{
    if (color == GetColor())
        return;
    TControl::SetColor(color);
    PaintTabs();
}

void TLMPageTab::SetFont(TFont *font)
{
    if (!font)
        return;
    Font = font;
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTab::SetActiveFontColor(TColor color)
{
    if (color == activeFontColor_)
        return;
    activeFontColor_ = color;
    if (first_ <= active_ && active_ < end_)
        PaintActiveTitle();
}

void TLMPageTab::SetBorderColor(TColor color)
{
    if (color == borderColor_)
        return;
    borderColor_ = color;
    Paint();
}

void TLMPageTab::SetArrowColor(TColor color)
{
    if (color == arrowColor_)
        return;
    arrowColor_ = color;
    PaintSpinButtons();
}

void TLMPageTab::SetButtonColor(TColor color)
{
    if (color == buttonColor_)
        return;
    buttonColor_ = color;
    Paint();
}

void TLMPageTab::SetActiveButtonColor(TColor color)
{
    if (color == activeButtonColor_)
        return;
    activeButtonColor_ = color;
    if (first_ - 1 <= active_ && active_ < end_)
        PaintActiveTitle();
}

void TLMPageTab::SetSlope(int slope)
{
    if (slope == slope_)
        return;
    slope_ = slope;
    PaintTabs();
}

void TLMPageTab::SetTitles(TStringList *titles)
{
    if (!titles)
        return;
    CopyTitles(titles);
    first_ = end_ = active_ = 0;
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTab::ClearTitle()
{
    titles_->Clear();
    first_ = end_ = active_ = 0;
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTab::AddTitle(const char *title)
{
    if (!title || titles_->Count() >= kMaxTitles)
        return;
    titles_->Add(title);
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTab::SetFontColor(TColor color)
{
    Font->Color = color;
    PaintTabs();
}

void TLMPageTab::SetActiveTabItem(int i)
{
    if (i == active_ || i < 0 || i >= TitleCount())
        return;
    active_ = i;
    CalculateTitleWidths();
    if (active_ < first_)
        first_ = active_;
    else if (active_ >= end_)
        ScrollActiveIntoView();
    if (OnTitleChange)
        OnTitleChange(this, active_);
    CalculateTabRects();
    PaintTabs();
}

void TLMPageTab::Paint()
{
    Canvas->Pen->Width = 1;
    LayoutSpinButtons();
    PaintSpinButtons();
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTab::LayoutSpinButtons()
{
    int h = GetClientHeight();
    int w = GetClientWidth();
    int fh = Font->Height;
    leftSpin_ = TRect(0, 0, -fh, h);
    rightSpin_ = TRect(w + fh, 0, w, h);
    int m = h / 2;
    const TRect &l = leftSpin_;
    const TRect &r = rightSpin_;
    arrows_[0] = TPoint(l.Left - fh / 3, l.Top + m);
    arrows_[1] = TPoint(l.Left - 2 * fh / 3, l.Top + m - fh / 2);
    arrows_[2] = TPoint(l.Left - 2 * fh / 3, l.Top + m + fh / 2);
    arrows_[3] = TPoint(r.Right + fh / 3 - 1, r.Top + m);
    arrows_[4] = TPoint(r.Right + 2 * fh / 3 - 1, r.Top + m - fh / 2);
    arrows_[5] = TPoint(r.Right + 2 * fh / 3 - 1, r.Top + m + fh / 2);
    for (int i = 0; i < 6; ++i)
        pressedArrows_[i] = TPoint(arrows_[i].x + (i < 3 ? -1 : 1), arrows_[i].y);
}

void TLMPageTab::PaintSpinButtons()
{
    Canvas->Pen->Color = borderColor_;
    Canvas->Brush->Color = buttonColor_;
    Canvas->Brush->Style = bsSolid;
    Canvas->Rectangle(leftSpin_);
    Canvas->Rectangle(rightSpin_);
    Canvas->Pen->Color = arrowColor_;
    Canvas->Brush->Color = arrowColor_;
    Canvas->Polygon(pressed_ == 0 && hover_ == 0 ? pressedArrows_ : arrows_, 2);
    Canvas->Polygon(pressed_ == 1 && hover_ == 1 ? pressedArrows_ + 3 : arrows_ + 3, 2);
}

void TLMPageTab::CalculateTabRects()
{
    // The spin buttons follow the size even before the first paint, so that a
    // selection made while the strip is being filled scrolls by the real width.
    LayoutSpinButtons();
    int count = TitleCount();
    int s = slope_;
    int h = GetClientHeight();
    end_ = count;
    for (int i = std::max(first_ - 1, 0); i < count; ++i) {
        TRect &r = tabRects_[i];
        if (i == first_ - 1) {
            r = TRect(leftSpin_.Right, 0, leftSpin_.Right + s, h);
        } else {
            r.Left = i == first_ ? leftSpin_.Right + s : tabRects_[i - 1].Right;
            r.Right = r.Left + titleWidths_[i] + 4 * s + 8;
            r.Top = 0;
            r.Bottom = h;
        }
        if (r.Right > rightSpin_.Left - s) {
            r.Right = rightSpin_.Left - s;
            end_ = i + 1;
            break;
        }
    }
}

void TLMPageTab::PaintTabs()
{
    TBrushStyle saved = Canvas->Brush->Style;
    Canvas->Brush->Color = GetColor();
    Canvas->Brush->Style = bsSolid;
    Canvas->FillRect(TRect(leftSpin_.Right, leftSpin_.Top, rightSpin_.Left, rightSpin_.Bottom));
    Canvas->Font = Font;
    int s = slope_;
    int fh = Font->Height;
    for (int i = first_ - 1; i < end_; ++i) {
        if (i < 0 || i == active_)
            continue;
        Canvas->Pen->Color = borderColor_;
        Canvas->Brush->Color = buttonColor_;
        Canvas->Brush->Style = bsSolid;
        const TRect &r = tabRects_[i];
        if (i == first_ - 1) {
            if (s != 0)
                Canvas->Polygon({TPoint(leftSpin_.Right, leftSpin_.Top), TPoint(leftSpin_.Right + 2 * s, leftSpin_.Top),
                                 TPoint(leftSpin_.Right, leftSpin_.Bottom)});
            continue;
        }
        Canvas->Polygon({TPoint(r.Left - s, r.Top), TPoint(r.Right + s, r.Top), TPoint(r.Right - s, r.Bottom),
                         TPoint(r.Left + s, r.Bottom)});
        Canvas->Brush->Style = bsClear;
        Canvas->TextRect(r, r.Left + 2 * s + 4, r.Top + (fh + r.Bottom - r.Top) / 2, titles_->Strings(i));
    }
    Canvas->Brush->Style = saved;
    if (first_ - 1 <= active_ && active_ < end_)
        PaintActiveTitle();
}

void TLMPageTab::PaintActiveTitle()
{
    if (!(first_ - 1 <= active_ && active_ < end_) || active_ < 0 || active_ >= TitleCount())
        return;
    int s = slope_;
    TBrushStyle saved = Canvas->Brush->Style;
    Canvas->Pen->Color = activeButtonColor_;
    Canvas->Brush->Color = activeButtonColor_;
    Canvas->Brush->Style = bsSolid;
    if (active_ == first_ - 1) {
        if (s != 0)
            Canvas->Polygon({TPoint(leftSpin_.Right, leftSpin_.Top), TPoint(leftSpin_.Right + 2 * s, leftSpin_.Top),
                             TPoint(leftSpin_.Right, leftSpin_.Bottom)});
        Canvas->Brush->Style = saved;
        return;
    }
    const TRect &r = tabRects_[active_];
    Canvas->Polygon({TPoint(r.Left - s, r.Top), TPoint(r.Right + s, r.Top), TPoint(r.Right - s, r.Bottom),
                     TPoint(r.Left + s, r.Bottom)});
    if (s == 0 && r.Bottom > r.Top) {
        int c = (r.Top + r.Bottom) / 2;
        auto line = [&](int y) {
            Canvas->Pen->Color = ShadeColor(buttonColor_, std::abs(y - c) * 80 / (r.Bottom - r.Top), true);
            Canvas->MoveTo(r.Left, y);
            Canvas->LineTo(r.Right, y);
        };
        for (int y = c; y >= r.Top + 1; --y)
            line(y);
        for (int y = c; y <= r.Bottom - 1; ++y)
            line(y);
    }
    Canvas->Font = Font;
    Canvas->Font->Color = activeFontColor_;
    Canvas->Brush->Style = bsClear;
    int x = r.Left + ((r.Right - r.Left) - titleWidths_[active_]) / 2;
    int y = r.Top + (Font->Height + r.Bottom - r.Top) / 2;
    Canvas->TextRect(r, x, y, titles_->Strings(active_));
    Canvas->Brush->Style = saved;
}

void TLMPageTab::ScrollActiveIntoView()
{
    int s = slope_;
    int room = rightSpin_.Left - 2 * s;
    int k = active_;
    while (k >= 0) {
        room -= titleWidths_[k] + 4 * s;
        if (room < leftSpin_.Right)
            break;
        --k;
    }
    first_ = std::min(k + 1, active_);
}

bool TLMPageTab::CanScrollRight(bool byButton) const
{
    if (end_ == 0)
        return false;
    return tabRects_[end_ - 1].Left + titleWidths_[end_ - 1] + (byButton ? 9 : 5) * slope_ > rightSpin_.Left;
}

void TLMPageTab::ClickTab(int X, int Y)
{
    for (int i = std::max(first_ - 1, 0); i < end_; ++i) {
        if (!Holds(tabRects_[i], X, Y) || i == active_)
            continue;
        active_ = i;
        if (i == first_ - 1)
            first_ = i;
        else if (i == end_ - 1 && tabRects_[i].Left + titleWidths_[i] + 5 * slope_ > rightSpin_.Left)
            ScrollActiveIntoView();
        CalculateTabRects();
        PaintTabs();
        if (OnTitleChange)
            OnTitleChange(this, active_);
        return;
    }
}
