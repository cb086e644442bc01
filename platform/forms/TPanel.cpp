#include "platform/forms/TPanel.h"

#include <cstring>

namespace win {

TPanel::TPanel(TComponent *Owner) : TCustomControl(Owner)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 185, 41);
}

void TPanel::SetCaption(AnsiString caption)
{
    TCustomControl::SetCaption(caption);
    Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel bevel)
{
    bevelOuter_ = bevel;
    Invalidate();
}

void TPanel::Paint()
{
    TRect r = GetClientRect();
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(r);
    if (bevelOuter_ != bvNone && r.Width() > 0 && r.Height() > 0) {
        TColor light = bevelOuter_ == bvRaised ? clBtnHighlight : clBtnShadow;
        TColor dark = bevelOuter_ == bvRaised ? clBtnShadow : clBtnHighlight;
        Canvas->Pen->Width = 1;
        Canvas->Pen->Color = light;
        Canvas->MoveTo(r.Left, r.Bottom - 1);
        Canvas->LineTo(r.Left, r.Top);
        Canvas->LineTo(r.Right, r.Top);
        Canvas->Pen->Color = dark;
        Canvas->MoveTo(r.Right - 1, r.Top);
        Canvas->LineTo(r.Right - 1, r.Bottom - 1);
        Canvas->LineTo(r.Left - 1, r.Bottom - 1);
    }
    AnsiString text = GetCaption();
    if (text.IsEmpty())
        return;
    Canvas->Font = Font;
    Canvas->Brush->Style = bsClear;
    TSize size = Canvas->TextExtent(text);
    Canvas->TextRect(r, (r.Width() - size.cx) / 2, (r.Height() - size.cy) / 2, text);
}

} // namespace win
