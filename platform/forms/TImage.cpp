#include "platform/forms/TImage.h"

namespace win {

TImage::TImage(TComponent *Owner) : TCustomControl(Owner), Picture(new TPicture)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 105, 105);
}

TImage::~TImage() { delete Picture; }

void TImage::SetStretch(bool stretch)
{
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetCenter(bool center)
{
    center_ = center;
    Invalidate();
}

void TImage::Paint()
{
    TRect client = GetClientRect();
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(client);
    TBitmap *bitmap = Picture->Bitmap;
    if (bitmap->GetWidth() <= 0 || bitmap->GetHeight() <= 0)
        return;
    if (stretch_)
        Canvas->StretchDraw(client, bitmap);
    else if (center_)
        Canvas->Draw((client.Width() - bitmap->GetWidth()) / 2, (client.Height() - bitmap->GetHeight()) / 2, bitmap);
    else
        Canvas->Draw(0, 0, bitmap);
}

} // namespace win
