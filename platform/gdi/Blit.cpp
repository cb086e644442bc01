// Block transfers between contexts (plain, stretched, colour-keyed) and pattern
// fills, with the ternary raster operations and the monochrome conversions.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Painting.h"

namespace win {

namespace {

std::string Numbers(std::initializer_list<long long> values)
{
    std::string text;
    for (long long v : values) {
        if (!text.empty())
            text += ',';
        text += std::to_string(v);
    }
    return text;
}

std::string RopText(DWORD rop)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(rop));
    return text;
}

// Which source pixel (nearest) each destination pixel from `first` to `last`
// takes, for a destination run of `destLength` starting at `destStart`; -1 where
// it falls outside the source image.
std::vector<int> MapAxis(int destStart, int destLength, int first, int last, int srcStart, int srcLength,
                         bool flip, int srcLimit)
{
    std::vector<int> map;
    map.reserve(size_t(last - first + 1));
    for (long long d = first; d <= last; ++d) {
        long long i = d - destStart;
        long long si = (2 * i + 1) * srcLength / (2LL * destLength);
        if (flip)
            si = srcLength - 1 - si;
        long long s = srcStart + si;
        map.push_back(s < 0 || s >= srcLimit ? -1 : int(s));
    }
    return map;
}

struct Transfer {
    // Destination rectangle (positive size) and source rectangle (positive size),
    // with the mirrorings that negative extents asked for.
    QRect dest;
    QRect source;
    bool flipX = false;
    bool flipY = false;
    DWORD rop = SRCCOPY;
    std::optional<uint32_t> key;
};

BOOL Run(Painting &p, DeviceContext *src, const Transfer &t)
{
    DeviceContext &dc = p.Dc();
    bool usesSource = Rop3UsesSource(t.rop);
    bool usesPattern = Rop3UsesPattern(t.rop);
    if (usesPattern && (!dc.brush || dc.brush->style == BS_NULL))
        return TRUE;
    uint32_t pattern = usesPattern ? p.Pixel(dc.brush->color) : 0;

    const QImage *srcImage = nullptr;
    QImage copy;
    bool srcMono = false;
    uint32_t srcBk = 0;
    if (usesSource) {
        if (!src || !src->Target()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        srcImage = src->Target();
        if (srcImage->isNull() || srcImage->depth() != 32) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        // A transfer within one image reads the picture as it was before.
        if (srcImage == dc.Target()) {
            copy = srcImage->copy();
            srcImage = &copy;
        }
        srcMono = src->Monochrome();
        srcBk = PixelOf(src->bkColor) & 0xFFFFFFu;
    }
    bool destMono = p.Monochrome();
    uint32_t toWhite = p.Pixel(dc.bkColor);
    uint32_t toBlack = p.Pixel(dc.textColor);
    auto convert = [&](uint32_t s) -> uint32_t {
        if (srcMono && !destMono)
            return (s & 0xFFFFFFu) ? toWhite : toBlack;
        if (!srcMono && destMono)
            return (s & 0xFFFFFFu) == srcBk ? 0xFFFFFFFFu : 0xFF000000u;
        return s;
    };

    RasterTarget &raster = p.Raster();
    raster.touched |= t.dest;
    QRect visible = t.dest & raster.Bounds();
    if (visible.isEmpty())
        return TRUE;
    std::vector<int> columns;
    std::vector<int> rows;
    if (usesSource) {
        columns = MapAxis(t.dest.left(), t.dest.width(), visible.left(), visible.right(), t.source.left(),
                          t.source.width(), t.flipX, srcImage->width());
        rows = MapAxis(t.dest.top(), t.dest.height(), visible.top(), visible.bottom(), t.source.top(),
                       t.source.height(), t.flipY, srcImage->height());
    }
    bool plainCopy = usesSource && t.rop == SRCCOPY && !t.key && srcMono == destMono && !t.flipX &&
                     t.dest.width() == t.source.width();
    for (const QRect &clip : raster.Clip()) {
        QRect area = clip & t.dest;
        if (area.isEmpty())
            continue;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            uint32_t *row = raster.Row(y);
            const uint32_t *srcRow = nullptr;
            if (usesSource) {
                int sy = rows[size_t(y - visible.top())];
                if (sy < 0)
                    continue;
                srcRow = reinterpret_cast<const uint32_t *>(srcImage->constScanLine(sy));
            }
            if (plainCopy) {
                // Columns map one to one: one copy of the part inside the source.
                const int shift = t.source.left() - t.dest.left();
                const int from = std::max(area.left(), -shift);
                const int to = std::min(area.right(), srcImage->width() - 1 - shift);
                if (from <= to)
                    std::memcpy(row + from, srcRow + from + shift, size_t(to - from + 1) * 4);
                continue;
            }
            for (int x = area.left(); x <= area.right(); ++x) {
                uint32_t s = 0;
                if (usesSource) {
                    int sx = columns[size_t(x - visible.left())];
                    if (sx < 0)
                        continue;
                    s = srcRow[sx] | 0xFF000000u;
                    if (t.key && (s & 0xFFFFFFu) == *t.key)
                        continue;
                    s = convert(s);
                }
                row[x] = MixRop3(pattern, s, row[x], t.rop);
            }
        }
    }
    return TRUE;
}

// Normalizes an extent given with a sign: a negative one mirrors.
void Orient(int &start, int &length, bool &flip)
{
    if (length < 0) {
        start += length;
        length = -length;
        flip = !flip;
    }
}

} // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop)
{
    Painting p(dest);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] {
        return std::string("BitBlt(" + Numbers({x, y, width, height, srcX, srcY}) + "," + RopText(rop) + ")");
    });
    auto source = src ? FindDC(src) : nullptr;
    if (Rop3UsesSource(rop) && !source) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!p.Drawable() || width <= 0 || height <= 0)
        return TRUE;
    Transfer t;
    t.dest = QRect(ClampCoordinate(x), ClampCoordinate(y), ClampCoordinate(width), ClampCoordinate(height));
    t.source = QRect(ClampCoordinate(srcX), ClampCoordinate(srcY), t.dest.width(), t.dest.height());
    t.rop = rop;
    return Run(p, source.get(), t);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop)
{
    Painting p(dest);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] {
        return std::string("StretchBlt(" + Numbers({x, y, width, height, srcX, srcY, srcWidth, srcHeight}) +
                           "," + RopText(rop) + ")");
    });
    auto source = src ? FindDC(src) : nullptr;
    if (Rop3UsesSource(rop) && !source) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!p.Drawable() || width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0)
        return TRUE;
    Transfer t;
    for (int *v : {&x, &y, &width, &height, &srcX, &srcY, &srcWidth, &srcHeight})
        *v = ClampCoordinate(*v);
    Orient(x, width, t.flipX);
    Orient(y, height, t.flipY);
    Orient(srcX, srcWidth, t.flipX);
    Orient(srcY, srcHeight, t.flipY);
    t.dest = QRect(x, y, width, height);
    t.source = QRect(srcX, srcY, srcWidth, srcHeight);
    t.rop = rop;
    return Run(p, source.get(), t);
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, UINT transparent)
{
    Painting p(dest);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] {
        return std::string("TransparentBlt(" +
                           Numbers({x, y, width, height, srcX, srcY, srcWidth, srcHeight}) + "," +
                           ColorText(transparent) + ")");
    });
    auto source = FindDC(src);
    if (!source) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!p.Drawable())
        return TRUE;
    Transfer t;
    t.dest = QRect(ClampCoordinate(x), ClampCoordinate(y), ClampCoordinate(width), ClampCoordinate(height));
    t.source = QRect(ClampCoordinate(srcX), ClampCoordinate(srcY), ClampCoordinate(srcWidth),
                     ClampCoordinate(srcHeight));
    t.key = PixelOf(transparent, source->Monochrome()) & 0xFFFFFFu;
    return Run(p, source.get(), t);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] {
        return std::string("PatBlt(" + Numbers({x, y, width, height}) + "," + RopText(rop) + ")");
    });
    if (Rop3UsesSource(rop)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!p.Drawable() || width == 0 || height == 0)
        return TRUE;
    bool flip = false;
    for (int *v : {&x, &y, &width, &height})
        *v = ClampCoordinate(*v);
    Orient(x, width, flip);
    Orient(y, height, flip);
    DeviceContext &dc = p.Dc();
    if (Rop3UsesPattern(rop) && (!dc.brush || dc.brush->style == BS_NULL))
        return TRUE;
    // Without a source the operation is a mix mode of pattern and destination.
    unsigned table = (rop >> 16) & 0xFF;
    int rop2 =
        1 + int((table & 1) | ((table >> 1) & 1) << 1 | ((table >> 4) & 1) << 2 | ((table >> 5) & 1) << 3);
    uint32_t pattern = Rop3UsesPattern(rop) ? p.Pixel(dc.brush->color) : 0;
    p.Raster().Fill(QRect(x, y, width, height), pattern, rop2);
    return TRUE;
}

} // namespace win
