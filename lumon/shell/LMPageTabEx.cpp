#include "lumon/shell/LMPageTabEx.h"

#include <algorithm>

#include "lumon/shell/LMPageTab.h"

using namespace win;

TLMPageTabEx::TLMPageTabEx(TComponent *Owner)
    : TTabSpinStrip(Owner)
{
    SetBounds(GetLeft(), GetTop(), 188, 24);
    TControl::SetColor(clGray);
    DeriveColors();
    Font->Charset = 134;
    Font->Name = "黑体";
    Font->Style = TFontStyles() << fsBold;
    ForceFont();
}

void TLMPageTabEx::DeriveColors()
{
    cellColor_ = GetColor();
    activeCellColor_ = ShadeColor(GetColor(), 40, true);
    fillerColor_ = ShadeColor(GetColor(), 50, false);
}

void TLMPageTabEx::ForceFont()
{
    Font->Height = std::min(4 - (GetHeight() - 2 * margin_), 0);
    Font->Color = clBlack;
}

void TLMPageTabEx::SetColor(TColor color)
{
    if (color == GetColor())
        return;
    TControl::SetColor(color);
    DeriveColors();
    PaintTabs();
}

void TLMPageTabEx::SetFont(TFont *font)
{
    if (!font)
        return;
    Font = font;
    ForceFont();
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTabEx::SetTitles(TStringList *titles)
{
    if (!titles)
        return;
    // A shorter list brings the selection and the scroll position back into it.
    CopyTitles(titles);
    int count = TitleCount();
    active_ = std::clamp(active_, 0, std::max(count - 1, 0));
    first_ = std::clamp(first_, 0, active_);
    CalculateTitleWidths();
    PaintTabs();
}

bool TLMPageTabEx::AllowChange(int i)
{
    bool allow = true;
    if (OnTabChange)
        OnTabChange(this, i, allow);
    return allow;
}

void TLMPageTabEx::SetActiveTab(int i)
{
    if (i == active_ || i < 0 || i >= TitleCount())
        return;
    if (!AllowChange(i))
        return;
    active_ = i;
    CalculateTitleWidths();
    if (active_ < first_)
        first_ = active_;
    else if (active_ > last_ || (active_ == last_ && LastCellCut()))
        ScrollActiveIntoView(TitleCount());
    CalculateTabRects();
    PaintTabs();
}

void TLMPageTabEx::Paint()
{
    int cw = GetClientWidth();
    int ch = GetClientHeight();
    int s = ch - 2 * margin_;
    Canvas->Pen->Width = 1;
    Canvas->Brush->Color = GetColor();
    Canvas->Brush->Style = bsSolid;
    Canvas->FillRect(TRect(0, 0, s, ch));
    Canvas->FillRect(TRect(cw - s, 0, cw, ch));
    Canvas->FillRect(TRect(0, 0, cw, margin_));
    Canvas->FillRect(TRect(0, ch - margin_, cw, ch));
    LayoutSpinButtons();
    PaintSpinButtons();
    CalculateTitleWidths();
    PaintTabs();
}

void TLMPageTabEx::LayoutSpinButtons()
{
    int cw = GetClientWidth();
    int ch = GetClientHeight();
    int s = ch - 2 * margin_;
    leftSpin_ = TRect(s / 2, margin_, s, ch - margin_);
    rightSpin_ = TRect(cw - s, margin_, cw - s / 2, ch - margin_);
    const TRect &l = leftSpin_;
    const TRect &r = rightSpin_;
    arrows_[0] = TPoint(l.Left + 3, l.Top + s / 2);
    arrows_[1] = TPoint(l.Right - 3, l.Top + s / 3);
    arrows_[2] = TPoint(l.Right - 3, l.Top + 2 * s / 3);
    arrows_[3] = TPoint(r.Right - 3, r.Top + s / 2);
    arrows_[4] = TPoint(r.Left + 3, r.Top + s / 3);
    arrows_[5] = TPoint(r.Left + 3, r.Top + 2 * s / 3);
}

void TLMPageTabEx::PaintSpinButtons()
{
    int s = GetClientHeight() - 2 * margin_;
    TColor color = GetColor();
    const TRect &l = leftSpin_;
    const TRect &r = rightSpin_;
    Canvas->Pen->Color = ShadeColor(color, 50, false);
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = pressed_ == 0 && hover_ == 0 ? ShadeColor(color, 50, true) : color;
    Canvas->Chord(l.Left, margin_, l.Left + s, margin_ + s, l.Right, l.Top, l.Right, l.Bottom);
    Canvas->Brush->Color = pressed_ == 1 && hover_ == 1 ? ShadeColor(color, 50, true) : color;
    Canvas->Chord(r.Right - s, r.Top, r.Right, r.Bottom, r.Left, r.Bottom, r.Left, r.Top);
    Canvas->Pen->Color = arrowColor_;
    Canvas->Brush->Color = arrowColor_;
    Canvas->Polygon(arrows_, 2);
    Canvas->Polygon(arrows_ + 3, 2);
}

int TLMPageTabEx::CellWidth(int i) const { return std::max(titleWidths_[i] + 8, 26); }

void TLMPageTabEx::CalculateTabRects()
{
    // The spin buttons follow the size even before the first paint, so that a
    // selection made while the strip is being filled scrolls by the real width.
    LayoutSpinButtons();
    int count = TitleCount();
    int ch = GetClientHeight();
    last_ = count;
    for (int i = first_; i <= count; ++i) {
        TRect &r = cellRects_[i];
        r.Left = i == first_ ? leftSpin_.Right + 1 : cellRects_[i - 1].Right + 1;
        r.Top = margin_;
        r.Bottom = ch - margin_;
        r.Right = i == count ? rightSpin_.Left - 1 : r.Left + CellWidth(i) - 1;
        if (r.Right > rightSpin_.Left - 1) {
            r.Right = rightSpin_.Left - 1;
            last_ = i;
            break;
        }
    }
}

bool TLMPageTabEx::LastCellCut() const
{
    if (last_ >= TitleCount())
        return false;
    const TRect &r = cellRects_[last_];
    return r.Left + CellWidth(last_) > r.Right + 1;
}

void TLMPageTabEx::PaintTabs()
{
    int count = TitleCount();
    TBrushStyle saved = Canvas->Brush->Style;
    Canvas->Brush->Style = bsClear;
    Canvas->Font = Font;
    TColor color = GetColor();
    int fh = Font->Height;
    for (int i = first_; i <= last_; ++i) {
        const TRect &r = cellRects_[i];
        TColor base = i == count ? fillerColor_ : i == active_ ? activeCellColor_ : cellColor_;
        int depth = i == active_ && i != count ? 40 : 20;
        int m = (r.Top + r.Bottom) / 2;
        if (m == r.Top)
            break;
        for (int y = r.Top; y <= r.Bottom; ++y) {
            Canvas->Pen->Color = y <= m ? ShadeColor(base, (m - y) * depth / (m - r.Top), true)
                                        : ShadeColor(base, (y - m) * depth / (m - r.Top), false);
            Canvas->MoveTo(r.Left, y);
            Canvas->LineTo(r.Right, y);
        }
        Canvas->Pen->Color = ShadeColor(color, 50, true);
        Canvas->MoveTo(r.Left, r.Top);
        Canvas->LineTo(r.Left, r.Bottom);
        Canvas->Pen->Color = ShadeColor(color, 50, false);
        Canvas->MoveTo(r.Right, r.Top);
        Canvas->LineTo(r.Right, r.Bottom);
        Canvas->LineTo(r.Left, r.Bottom);
        if (i < count)
            Canvas->TextRect(r, r.Left + (CellWidth(i) - titleWidths_[i]) / 2,
                             r.Top + ((r.Bottom - r.Top) + fh) / 2, titles_->Strings(i));
    }
    Canvas->Brush->Style = saved;
}

void TLMPageTabEx::ScrollActiveIntoView(int bound)
{
    const TRect &lr = cellRects_[last_];
    int excess = lr.Left + CellWidth(last_) - lr.Right - 1;
    int k = first_;
    while (k < bound) {
        excess -= (cellRects_[k].Right - cellRects_[k].Left) + 1;
        if (excess <= 0)
            break;
        ++k;
    }
    first_ = std::min(k + 1, active_);
}

bool TLMPageTabEx::CanScrollRight(bool) const { return TitleCount() > last_ && LastCellCut(); }

void TLMPageTabEx::ClickTab(int X, int Y)
{
    int count = TitleCount();
    for (int i = first_; i <= last_ && i < count; ++i) {
        if (!Holds(cellRects_[i], X, Y))
            continue;
        if (i == active_ || !AllowChange(i))
            return;
        active_ = i;
        if (i == last_ && LastCellCut())
            ScrollActiveIntoView(last_);
        CalculateTabRects();
        PaintTabs();
        return;
    }
}
