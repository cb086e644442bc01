// Regions: rectangles, ellipses, polygons and rounded rectangles, their
// combinations, filling and framing, and clipping a context to one.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Painting.h"
#include "platform/gdi/Spans.h"

namespace win {

namespace {

int Complexity(const QRegion &region)
{
    if (region.isEmpty())
        return NULLREGION;
    return region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN AddRegion(QRegion region)
{
    return AddGdiObject(std::make_shared<GdiRegion>(std::move(region)));
}

QRect RectOf(int left, int top, int right, int bottom)
{
    OrderCorners(left, top, right, bottom);
    return QRect(left, top, right - left, bottom - top);
}

void FillWith(Painting &p, const QRegion &region, const GdiBrush &brush)
{
    if (brush.style == BS_NULL)
        return;
    uint32_t color = p.Pixel(brush.color);
    for (const QRect &r : region)
        p.Raster().Fill(r, color, R2_COPYPEN);
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    return AddRegion(QRegion(RectOf(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT *rect)
{
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return AddRegion(
        RegionFromSpans(EllipseSpans(ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(right),
                                     ClampCoordinate(bottom), kRegionRows)));
}

HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode)
{
    if (!points || count < 2 || (fillMode != ALTERNATE && fillMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<POINT> clamped(points, points + count);
    for (POINT &pt : clamped)
        pt = POINT{ClampCoordinate(pt.x), ClampCoordinate(pt.y)};
    return AddRegion(RegionFromSpans(PolygonSpans(clamped.data(), count, fillMode, kRegionRows)));
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    return AddRegion(RegionFromSpans(RoundRectSpans(
        ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(right), ClampCoordinate(bottom),
        ClampCoordinate(ellipseWidth), ClampCoordinate(ellipseHeight), kRegionRows)));
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto d = FindGdiObjectAs<GdiRegion>(dest);
    auto a = FindGdiObjectAs<GdiRegion>(src1);
    auto b = mode == RGN_COPY ? a : FindGdiObjectAs<GdiRegion>(src2);
    if (!d || !a || !b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    switch (mode) {
    case RGN_AND:
        d->region = a->region & b->region;
        break;
    case RGN_OR:
        d->region = a->region | b->region;
        break;
    case RGN_XOR:
        d->region = a->region ^ b->region;
        break;
    case RGN_DIFF:
        d->region = a->region - b->region;
        break;
    case RGN_COPY:
        d->region = a->region;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    return Complexity(d->region);
}

int OffsetRgn(HRGN region, int dx, int dy)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    // The region stays within the drawable range however often it moves.
    QRect b = r->region.boundingRect();
    if (!b.isEmpty()) {
        dx = std::clamp(dx, -kCoordinateLimit - b.left(), kCoordinateLimit - b.right());
        dy = std::clamp(dy, -kCoordinateLimit - b.top(), kCoordinateLimit - b.bottom());
    }
    r->region.translate(dx, dy);
    return Complexity(r->region);
}

int GetRgnBox(HRGN region, RECT *box)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    if (!r || !box) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    QRect b = r->region.boundingRect();
    *box = b.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return Complexity(r->region);
}

BOOL PtInRegion(HRGN region, int x, int y)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    return r && r->region.contains(QPoint(x, y)) ? TRUE : FALSE;
}

BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    auto b = FindBrush(brush);
    Painting p(hdc);
    if (!p.Known() || !r || !b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    p.Dc().Log([&] { return std::string("FillRgn(" + DescribeObject(*b) + ")"); });
    if (p.Drawable())
        FillWith(p, r->region, *b);
    return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    auto b = FindBrush(brush);
    Painting p(hdc);
    if (!p.Known() || !r || !b || width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    p.Dc().Log([&] {
        return std::string("FrameRgn(" + DescribeObject(*b) + "," + std::to_string(width) + "," +
                           std::to_string(height) + ")");
    });
    if (!p.Drawable())
        return TRUE;
    // The frame is what the region loses when it shrinks by the frame's width and
    // height on every side.
    const QRegion &whole = r->region;
    QRegion inner = whole & whole.translated(width, 0) & whole.translated(-width, 0) &
                    whole.translated(0, height) & whole.translated(0, -height);
    FillWith(p, whole - inner, *b);
    return TRUE;
}

int SelectClipRgn(HDC hdc, HRGN region)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    if (!region) {
        dc->SetClip(std::nullopt);
        dc->Log([&] { return std::string("SelectClipRgn(none)"); });
        return SIMPLEREGION;
    }
    auto r = FindGdiObjectAs<GdiRegion>(region);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    dc->SetClip(r->region);
    QRect b = r->region.boundingRect();
    dc->Log([&] {
        return std::string("SelectClipRgn(" + std::to_string(b.left()) + "," + std::to_string(b.top()) + "," +
                           std::to_string(b.right() + 1) + "," + std::to_string(b.bottom() + 1) + ")");
    });
    return Complexity(r->region);
}

int GetClipBox(HDC hdc, RECT *box)
{
    auto dc = FindDC(hdc);
    if (!dc || !box) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    QRegion visible = dc->ClipRegion();
    QRect b = visible.boundingRect();
    *box = b.isEmpty() ? RECT{0, 0, 0, 0} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    return Complexity(visible);
}

} // namespace win
