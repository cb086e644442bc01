#include "platform/forms/TPaintBox.h"

namespace win {

TPaintBox::TPaintBox(TComponent *Owner) : TCustomControl(Owner)
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 105, 105);
}

void TPaintBox::Paint()
{
    Canvas->Font = Font;
    Canvas->Brush->Color = GetColor();
    if (OnPaint)
        OnPaint(this);
}

} // namespace win
