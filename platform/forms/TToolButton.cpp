#include "platform/forms/TToolButton.h"

#include <algorithm>
#include <vector>

#include "platform/forms/TImageList.h"
#include "platform/forms/TToolBar.h"

namespace win {

TToolButton::TToolButton(TComponent *Owner) : TCustomControl(Owner)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 23, 22);
}

TToolBar *TToolButton::GetToolBar() const { return dynamic_cast<TToolBar *>(GetParent()); }

int TToolButton::GetIndex() const
{
    TToolBar *bar = GetToolBar();
    if (!bar)
        return -1;
    for (int i = 0; i < bar->GetButtonCount(); ++i)
        if (bar->Buttons(i) == this)
            return i;
    return -1;
}

void TToolButton::SetParent(TWinControl *parent)
{
    TToolBar *old = GetToolBar();
    TCustomControl::SetParent(parent);
    if (old && old != GetToolBar())
        old->ButtonsChanged();
    if (TToolBar *bar = GetToolBar())
        bar->ButtonsChanged();
}

void TToolButton::SetVisible(bool visible)
{
    bool changed = visible != GetVisible();
    TCustomControl::SetVisible(visible);
    if (changed)
        if (TToolBar *bar = GetToolBar())
            bar->ButtonsChanged();
}

void TToolButton::SetCaption(AnsiString caption)
{
    TCustomControl::SetCaption(caption);
    Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    if (IsSeparator())
        SetWidth(8);
    if (TToolBar *bar = GetToolBar())
        bar->ButtonsChanged();
    Invalidate();
}

void TToolButton::SetDown(bool down)
{
    if (down == down_)
        return;
    down_ = down;
    Invalidate();
    TToolBar *bar = GetToolBar();
    if (!down || !InGroup() || !bar)
        return;
    // The group: the grouped check buttons next to this one on the bar.
    int count = bar->GetButtonCount();
    int index = GetIndex();
    for (int step : {-1, 1})
        for (int i = index + step; i >= 0 && i < count; i += step) {
            TToolButton *other = bar->Buttons(i);
            if (!other->InGroup())
                break;
            if (other->down_) {
                other->down_ = false;
                other->Invalidate();
            }
        }
}

void TToolButton::SetGrouped(bool grouped) { grouped_ = grouped; }

void TToolButton::SetImageIndex(int index)
{
    imageIndex_ = index;
    Invalidate();
}

void TToolButton::Click()
{
    if (IsSeparator())
        return;
    if (style_ == tbsCheck)
        SetDown(InGroup() && !AllowAllUp ? true : !down_);
    TCustomControl::Click();
}

void TToolButton::Paint()
{
    TRect r = GetClientRect();
    TToolBar *bar = GetToolBar();
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = bar ? bar->GetColor() : GetColor();
    Canvas->FillRect(r);
    Canvas->Pen->Width = 1;
    if (IsSeparator())
        return;
    if (down_) {
        // Sunken: shadow above and left, light below and right.
        Canvas->Pen->Color = clBtnShadow;
        Canvas->MoveTo(r.Left, r.Bottom - 1);
        Canvas->LineTo(r.Left, r.Top);
        Canvas->LineTo(r.Right - 1, r.Top);
        Canvas->Pen->Color = clBtnHighlight;
        Canvas->LineTo(r.Right - 1, r.Bottom - 1);
        Canvas->LineTo(r.Left, r.Bottom - 1);
    }
    int shift = down_ ? 1 : 0;
    bool captions = bar && bar->GetShowCaptions();
    int textHeight = 0;
    if (captions) {
        Canvas->Font = Font;
        textHeight = Canvas->TextHeight(caption_);
    }
    TImageList *images = bar ? bar->GetImages() : nullptr;
    int imageBottom = 0;
    if (images && imageIndex_ >= 0 && imageIndex_ < images->GetCount()) {
        int x = (r.Width() - images->GetWidth()) / 2 + shift;
        int y = (r.Height() - images->GetHeight() - textHeight) / 2 + shift;
        images->Draw(Canvas, x, y, imageIndex_);
        imageBottom = y + images->GetHeight();
    }
    if (captions && !caption_.IsEmpty()) {
        Canvas->Brush->Style = bsClear;
        int x = (r.Width() - Canvas->TextWidth(caption_)) / 2 + shift;
        int y = imageBottom > 0 ? imageBottom : (r.Height() - textHeight) / 2 + shift;
        Canvas->TextOut(x, y, caption_);
    }
}

} // namespace win
