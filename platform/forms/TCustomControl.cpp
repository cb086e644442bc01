#include "platform/forms/TCustomControl.h"

#include <QWidget>

namespace win {

TCustomControl::TCustomControl(TComponent *Owner) : TWinControl(Owner), Canvas(new TControlCanvas(this)) {}

TCustomControl::~TCustomControl() { delete Canvas; }

void TCustomControl::PaintWindow(HDC dc)
{
    Canvas->BeginPaint(dc);
    Paint();
    Canvas->EndPaint();
}

void TCustomControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (TabStop)
        Widget()->setFocusPolicy(Qt::StrongFocus);
}

} // namespace win
