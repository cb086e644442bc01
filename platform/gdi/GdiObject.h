// Inside the drawing layer: the objects behind pen, brush, font, bitmap and region
// handles, and the table that maps handles to them. Not for program code.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRegion>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/gdi/GdiTypes.h"

namespace win {

class DeviceContext;

class GdiObject {
public:
    virtual ~GdiObject() = default;
    // The context behind a context handle, without a dynamic cast: every
    // drawing call looks its context up.
    virtual DeviceContext *AsDeviceContext() { return nullptr; }
    // Stock objects are never deleted.
    bool stock = false;
    // Set when the handle is deleted: the object may live on where it is
    // selected, but its handle may name another object from then on.
    std::atomic<bool> removed{false};
};

class GdiPen : public GdiObject {
public:
    GdiPen(int style, int width, COLORREF color) : style(style), width(width), color(color) {}
    int style;
    int width;
    COLORREF color;
    // The style actually drawn: dotted and dashed styles hold for thin pens only.
    int DrawnStyle() const { return width > 1 && style != PS_NULL ? PS_SOLID : style; }
};

class GdiBrush : public GdiObject {
public:
    GdiBrush(UINT style, COLORREF color) : style(style), color(color) {}
    UINT style;
    COLORREF color;
};

// A font's description and, made on first use (it needs the GUI application), the
// Qt font and metrics that draw and measure it.
class GdiFont : public GdiObject {
public:
    explicit GdiFont(const LOGFONTA &logFont) : logFont(logFont) {}
    LOGFONTA logFont;

    struct Realized {
        QFont font;
        QFontMetrics metrics;
        int aveCharWidth;
        // Advances of the ASCII characters, and a width no other character
        // exceeds: an upper bound of a text's width without laying it out.
        std::array<int, 128> asciiAdvance{};
        int wideAdvance = 0;
        // The metrics' height and ascent, which every text call needs.
        int height = 0;
        int ascent = 0;
    };
    // Null when there is no GUI application to resolve fonts with. Fonts of
    // the same description share one realization: painters create and delete
    // the same few fonts on every paint, and resolving one costs far more than
    // drawing its text.
    const Realized *Realize() const;

private:
    mutable std::mutex lock_;
    mutable std::shared_ptr<const Realized> realized_;
};

// A bitmap is a 32-bit image; a monochrome one holds only black and white pixels.
// The image is shared with the memory context it is selected into.
class GdiBitmap : public GdiObject {
public:
    GdiBitmap(std::shared_ptr<QImage> image, bool monochrome)
        : image(std::move(image)), monochrome(monochrome)
    {
    }
    std::shared_ptr<QImage> image;
    bool monochrome;
};

class GdiRegion : public GdiObject {
public:
    explicit GdiRegion(QRegion region) : region(std::move(region)) {}
    QRegion region;
};

// The handle table of the drawing objects and device contexts.
HGDIOBJ AddGdiObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle);
template <typename T>
std::shared_ptr<T> FindGdiObjectAs(HGDIOBJ handle)
{
    return std::dynamic_pointer_cast<T>(FindGdiObject(handle));
}
// False for an unknown handle.
bool RemoveGdiObject(HGDIOBJ handle);

// 0x00BBGGRR to the 0xFFRRGGBB pixel of a 32-bit image, and back. Monochrome
// targets take black or white, whichever is nearer.
uint32_t PixelOf(COLORREF color, bool monochrome = false);
inline COLORREF ColorOfPixel(uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// The brush behind a handle, including the "system colour index + 1" handles.
std::shared_ptr<GdiBrush> FindBrush(HBRUSH brush);

// The 1 × 1 monochrome bitmap a new memory context holds.
HBITMAP StockBitmap();

// A new black 32-bit image, or null when it cannot be allocated.
std::shared_ptr<QImage> NewImage(int width, int height);

} // namespace win
