#include "platform/forms/TControlCanvas.h"

#include "platform/forms/TControl.h"
#include "platform/gdi/Gdi.h"

namespace win {

TControlCanvas::~TControlCanvas()
{
    if (own_)
        ReleaseDC(control_->HandleAllocated() ? control_->GetHandle() : 0, own_);
}

void TControlCanvas::CreateHandle()
{
    if (!own_)
        own_ = GetDC(control_->GetHandle());
    handle_ = own_;
}

void TControlCanvas::BeginPaint(HDC dc)
{
    saved_ = handle_;
    handle_ = dc;
}

void TControlCanvas::EndPaint() { handle_ = saved_; }

} // namespace win
