// Inside the drawing layer: one drawing call's hold on a context and its image.
// It resolves the handle, gives the call a clipped raster target and reports the
// changed area when the call ends.
#pragma once

#include <memory>
#include <optional>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Raster.h"

namespace win {

class Painting {
public:
    explicit Painting(HDC hdc);
    ~Painting();
    Painting(const Painting &) = delete;
    Painting &operator=(const Painting &) = delete;

    // False for an unknown handle (the last error is set).
    bool Known() const { return dc_ != nullptr; }
    // True when there is an image to draw on.
    bool Drawable() const { return raster_.has_value(); }

    DeviceContext &Dc() { return *dc_; }
    RasterTarget &Raster() { return *raster_; }
    bool Monochrome() const { return monochrome_; }
    uint32_t Pixel(COLORREF color) const { return PixelOf(color, monochrome_); }

    // Reports an area changed by drawing that bypassed the raster target (text).
    void Touch(const QRect &area) { extra_ |= area; }

private:
    std::shared_ptr<DeviceContext> dc_;
    std::optional<RasterTarget> raster_;
    bool monochrome_ = false;
    QRect extra_;
};

} // namespace win
