// Inside the drawing layer: writes the pixels of a 32-bit image with the Windows
// mix modes, clipped to a list of rectangles, and draws one-pixel lines with the
// Windows rules (last pixel left out, dot and dash patterns, opaque gaps).
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <utility>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace win {

// Coordinates beyond this are cut to it, so that no figure overflows; the area
// any image can show is far inside.
constexpr int kCoordinateLimit = 1 << 24;
inline int ClampCoordinate(long long v)
{
    return int(v < -kCoordinateLimit ? -kCoordinateLimit : v > kCoordinateLimit ? kCoordinateLimit : v);
}

// Clamps the corners of a rectangle and orders them: left <= right, top <= bottom.
inline void OrderCorners(int &left, int &top, int &right, int &bottom)
{
    left = ClampCoordinate(left);
    top = ClampCoordinate(top);
    right = ClampCoordinate(right);
    bottom = ClampCoordinate(bottom);
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

class RasterTarget {
public:
    // `clip` lies inside the image and stays alive while the target is used.
    RasterTarget(QImage &image, const std::vector<QRect> &clip);

    // Mixes `color` into the pixels [x0, x1) of row y with mix mode `rop2`.
    void Span(int y, int x0, int x1, uint32_t color, int rop2);
    // One pixel; the caller adds it to `touched`.
    void Plot(int x, int y, uint32_t color, int rop2);
    void Fill(const QRect &rect, uint32_t color, int rop2);
    bool Visible(int x, int y) const;
    // Whether one clip rectangle holds all of `box`: its pixels need no test.
    bool Covers(const QRect &box) const;
    uint32_t *Row(int y) { return reinterpret_cast<uint32_t *>(bits_ + y * stride_); }
    // Pixels from one row to the next.
    qsizetype RowPixels() const { return stride_ / qsizetype(sizeof(uint32_t)); }
    const std::vector<QRect> &Clip() const { return clip_; }
    // The bounding box of the clip rectangles.
    const QRect &Bounds() const { return bounds_; }

    // The area touched so far (before clipping), for scheduling repaints.
    QRect touched;

private:
    uchar *bits_;
    qsizetype stride_;
    const std::vector<QRect> &clip_;
    QRect bounds_;
};

// Mixes pen colour p into destination d with one of the sixteen R2_ modes.
inline uint32_t MixRop2(uint32_t p, uint32_t d, int rop2)
{
    switch (rop2) {
    case R2_COPYPEN:
        return p;
    case R2_XORPEN:
        return (p ^ d) | 0xFF000000u;
    case R2_NOT:
        return ~d | 0xFF000000u;
    default: {
        // The mode's truth table: bit (2·P + D) of (mode − 1).
        unsigned table = unsigned(rop2 - 1) & 15;
        uint32_t r = 0;
        if (table & 1)
            r |= ~p & ~d;
        if (table & 2)
            r |= ~p & d;
        if (table & 4)
            r |= p & ~d;
        if (table & 8)
            r |= p & d;
        return r | 0xFF000000u;
    }
    }
}

// Mixes pattern, source and destination with a ternary raster operation (its bits
// 16-23 are the truth table indexed by 4·P + 2·S + D).
inline uint32_t MixRop3(uint32_t p, uint32_t s, uint32_t d, DWORD rop)
{
    unsigned table = (rop >> 16) & 0xFF;
    switch (table) {
    case 0xCC:
        return s;
    case 0x66:
        return (s ^ d) | 0xFF000000u;
    case 0x88:
        return s & d;
    case 0xEE:
        return s | d;
    case 0x55:
        return ~d | 0xFF000000u;
    case 0xF0:
        return p;
    case 0x5A:
        return (p ^ d) | 0xFF000000u;
    default: {
        uint32_t r = 0;
        for (unsigned k = 0; k < 8; ++k) {
            if (!(table & (1u << k)))
                continue;
            uint32_t term = (k & 4) ? p : ~p;
            term &= (k & 2) ? s : ~s;
            term &= (k & 1) ? d : ~d;
            r |= term;
        }
        return r | 0xFF000000u;
    }
    }
}

// Whether the operation reads the source or the pattern.
inline bool Rop3UsesSource(DWORD rop)
{
    unsigned t = (rop >> 16) & 0xFF;
    return ((t >> 2) & 0x33) != (t & 0x33);
}
inline bool Rop3UsesPattern(DWORD rop)
{
    unsigned t = (rop >> 16) & 0xFF;
    return ((t >> 4) & 0x0F) != (t & 0x0F);
}

struct LinePen {
    uint32_t color;
    int rop2;
    // Alternating on and off run lengths, or empty for a solid line.
    const std::vector<int> *pattern = nullptr;
    // Gaps of a patterned line are drawn in this colour when `opaqueGaps` is set
    // (the context's background colour in opaque mode).
    bool opaqueGaps = false;
    uint32_t gapColor = 0;
};

// The on/off runs of a pen style drawn one pixel wide; empty for solid.
const std::vector<int> &DashPattern(int style);

// Draws the line from a to b leaving out b. `phase` is the position in the pen's
// pattern, carried from one joined line to the next.
void RasterLine(RasterTarget &target, QPoint a, QPoint b, const LinePen &pen, int &phase);
// Adds the pixels RasterLine would draw from a to b that lie within `limit` (in
// the direction the line advances fastest) to `pixels`.
void LinePixels(QPoint a, QPoint b, const QRect &limit, std::vector<QPoint> &pixels);

} // namespace win
