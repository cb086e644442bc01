#include "platform/gdi/Painting.h"

namespace win {

Painting::Painting(HDC hdc) : dc_(FindDC(hdc))
{
    if (!dc_) {
        SetLastError(ERROR_INVALID_HANDLE);
        return;
    }
    QImage *target = dc_->Target();
    // Only 32-bit images are written pixel by pixel.
    if (!target || target->isNull() || target->depth() != 32)
        return;
    monochrome_ = dc_->Monochrome();
    raster_.emplace(*target, dc_->ClipRects());
}

Painting::~Painting()
{
    if (!dc_)
        return;
    QRect area = extra_;
    if (raster_)
        area |= raster_->touched;
    if (!area.isEmpty())
        dc_->Changed(area);
}

} // namespace win
