// Lines, polygons, rectangles, ellipses, chords and single pixels, with the
// Windows pixel rules. Outline and inside of a figure never share a pixel, so that
// XOR drawing touches every pixel once.
#include <algorithm>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Painting.h"
#include "platform/gdi/Spans.h"

namespace win {

namespace {

std::string Numbers(std::initializer_list<int> values)
{
    std::string text;
    for (int v : values) {
        if (!text.empty())
            text += ',';
        text += std::to_string(v);
    }
    return text;
}

std::string PointList(const POINT *points, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += ',';
        text += std::to_string(points[i].x) + ',' + std::to_string(points[i].y);
    }
    return text;
}

// The pixels of a rectangle (right and bottom edges left out), cut to the
// drawable range.
QRect Inside(const RECT &r)
{
    return QRect(QPoint(ClampCoordinate(r.left), ClampCoordinate(r.top)),
                 QPoint(ClampCoordinate((long long)r.right - 1), ClampCoordinate((long long)r.bottom - 1)));
}

bool HasPen(const DeviceContext &dc)
{
    return dc.pen && dc.pen->style != PS_NULL;
}
bool HasBrush(const DeviceContext &dc)
{
    return dc.brush && dc.brush->style != BS_NULL;
}

LinePen ThinPen(Painting &p)
{
    DeviceContext &dc = p.Dc();
    LinePen pen;
    pen.color = p.Pixel(dc.pen->color);
    pen.rop2 = dc.rop2;
    const std::vector<int> &pattern = DashPattern(dc.pen->DrawnStyle());
    pen.pattern = pattern.empty() ? nullptr : &pattern;
    pen.opaqueGaps = dc.bkMode == OPAQUE;
    pen.gapColor = p.Pixel(dc.bkColor);
    return pen;
}

// The rows worth making of a figure: those of the clip, and `margin` more.
RowRange VisibleRows(Painting &p, int margin)
{
    const QRect &b = p.Raster().Bounds();
    return RowRange{b.top() - margin, b.bottom() + margin};
}

// Points with their coordinates cut to the drawable range.
std::vector<POINT> Clamped(const POINT *points, int count)
{
    std::vector<POINT> out(points, points + count);
    for (POINT &pt : out)
        pt = POINT{ClampCoordinate(pt.x), ClampCoordinate(pt.y)};
    return out;
}

// The pixels of a wide pen along a-b, both ends included: a round stamp of the
// pen's width at each pixel of the thin line, as far as `limit` reaches.
void AddWideSegment(SpanList &spans, QPoint a, QPoint b, int width, const QRect &limit)
{
    QRect reach = limit.adjusted(-width, -width, width, width);
    std::vector<QPoint> pixels;
    LinePixels(a, b, reach, pixels);
    if (reach.contains(b))
        pixels.push_back(b);
    SpanList stamp = EllipseSpans(0, 0, width, width, RowRange{0, width});
    int offset = (width - 1) / 2;
    for (const QPoint &c : pixels) {
        for (const PixelSpan &s : stamp)
            spans.push_back({c.y() + s.y - offset, c.x() + s.x0 - offset, c.x() + s.x1 - offset});
    }
}

void FillSpans(Painting &p, const SpanList &spans, uint32_t color, int rop2)
{
    for (const PixelSpan &s : spans)
        p.Raster().Span(s.y, s.x0, s.x1, color, rop2);
}

void FillRegion(Painting &p, const QRegion &region, uint32_t color, int rop2)
{
    for (const QRect &r : region)
        p.Raster().Fill(r, color, rop2);
}

// Draws the joined lines through `points` with the selected pen (closed when
// `close`), the pattern running on from line to line.
void StrokePath(Painting &p, const POINT *points, int count, bool close)
{
    DeviceContext &dc = p.Dc();
    if (!HasPen(dc) || count < 2)
        return;
    int segments = close ? count : count - 1;
    if (dc.pen->width > 1) {
        SpanList spans;
        for (int i = 0; i < segments; ++i) {
            const POINT &a = points[i];
            const POINT &b = points[(i + 1) % count];
            AddWideSegment(spans, QPoint(a.x, a.y), QPoint(b.x, b.y), dc.pen->width, p.Raster().Bounds());
        }
        FillRegion(p, RegionFromSpans(std::move(spans)), p.Pixel(dc.pen->color), dc.rop2);
        return;
    }
    LinePen pen = ThinPen(p);
    int phase = 0;
    for (int i = 0; i < segments; ++i) {
        const POINT &a = points[i];
        const POINT &b = points[(i + 1) % count];
        RasterLine(p.Raster(), QPoint(a.x, a.y), QPoint(b.x, b.y), pen, phase);
    }
}

// Draws a figure given as one run per row: its boundary with the pen, the rest
// with the brush. Without a pen the figure is one pixel smaller on the right and
// at the bottom, as Windows draws it.
template <typename Figure>
void DrawFigure(Painting &p, int left, int top, int right, int bottom, Figure figure)
{
    DeviceContext &dc = p.Dc();
    OrderCorners(left, top, right, bottom);
    uint32_t brushColor = HasBrush(dc) ? p.Pixel(dc.brush->color) : 0;
    if (!HasPen(dc)) {
        if (HasBrush(dc))
            FillSpans(p, figure(left, top, right - 1, bottom - 1, VisibleRows(p, 0)), brushColor, dc.rop2);
        return;
    }
    uint32_t penColor = p.Pixel(dc.pen->color);
    int w = dc.pen->width;
    if (w == 1) {
        // One row more on each side tells the boundary rows at the clip's edge.
        SpanList boundary;
        SpanList inside;
        SplitBoundary(figure(left, top, right, bottom, VisibleRows(p, 1)), boundary, inside);
        FillSpans(p, boundary, penColor, dc.rop2);
        if (HasBrush(dc))
            FillSpans(p, inside, brushColor, dc.rop2);
        return;
    }
    // A wide pen is centred on the one-pixel outline.
    int l = left - w / 2;
    int t = top - w / 2;
    int r = right + (w - 1) / 2;
    int b = bottom + (w - 1) / 2;
    RowRange rows = VisibleRows(p, 1);
    QRegion outer = RegionFromSpans(figure(l, t, r, b, rows));
    QRegion inner = r - l > 2 * w && b - t > 2 * w ? RegionFromSpans(figure(l + w, t + w, r - w, b - w, rows))
                                                   : QRegion();
    FillRegion(p, outer - inner, penColor, dc.rop2);
    if (HasBrush(dc))
        FillRegion(p, inner, brushColor, dc.rop2);
}

} // namespace

BOOL MoveToEx(HDC hdc, int x, int y, POINT *previous)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (previous)
        *previous = POINT{dc->position.x(), dc->position.y()};
    dc->position = QPoint(ClampCoordinate(x), ClampCoordinate(y));
    dc->linePhase = 0;
    dc->Log([&] { return std::string("MoveToEx(" + Numbers({x, y}) + ")"); });
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    DeviceContext &dc = p.Dc();
    dc.Log([&] { return std::string("LineTo(" + Numbers({x, y}) + ")"); });
    QPoint from = dc.position;
    QPoint to(ClampCoordinate(x), ClampCoordinate(y));
    dc.position = to;
    if (!p.Drawable() || !HasPen(dc))
        return TRUE;
    if (dc.pen->width > 1) {
        SpanList spans;
        AddWideSegment(spans, from, to, dc.pen->width, p.Raster().Bounds());
        FillRegion(p, RegionFromSpans(std::move(spans)), p.Pixel(dc.pen->color), dc.rop2);
    } else {
        RasterLine(p.Raster(), from, to, ThinPen(p), dc.linePhase);
    }
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT *points, int count)
{
    if (!points || count < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] { return std::string("Polyline(" + PointList(points, count) + ")"); });
    if (p.Drawable())
        StrokePath(p, Clamped(points, count).data(), count, false);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT *points, int count)
{
    if (!points || count < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    DeviceContext &dc = p.Dc();
    dc.Log([&] { return std::string("Polygon(" + PointList(points, count) + ")"); });
    if (!p.Drawable())
        return TRUE;
    std::vector<POINT> clamped = Clamped(points, count);
    points = clamped.data();
    SpanList fill =
        HasBrush(dc) ? PolygonSpans(points, count, dc.polyFillMode, VisibleRows(p, 0)) : SpanList();
    uint32_t brushColor = HasBrush(dc) ? p.Pixel(dc.brush->color) : 0;
    if (!HasPen(dc)) {
        FillSpans(p, fill, brushColor, dc.rop2);
        return TRUE;
    }
    if (dc.pen->width > 1) {
        SpanList outline;
        for (int i = 0; i < count; ++i) {
            const POINT &a = points[i];
            const POINT &b = points[(i + 1) % count];
            AddWideSegment(outline, QPoint(a.x, a.y), QPoint(b.x, b.y), dc.pen->width, p.Raster().Bounds());
        }
        QRegion stroke = RegionFromSpans(std::move(outline));
        FillRegion(p, stroke, p.Pixel(dc.pen->color), dc.rop2);
        FillRegion(p, RegionFromSpans(std::move(fill)) - stroke, brushColor, dc.rop2);
        return TRUE;
    }
    // The inside leaves out every pixel of the outline.
    std::vector<QPoint> outline;
    for (int i = 0; i < count; ++i) {
        const POINT &a = points[i];
        const POINT &b = points[(i + 1) % count];
        LinePixels(QPoint(a.x, a.y), QPoint(b.x, b.y), p.Raster().Bounds(), outline);
    }
    std::sort(outline.begin(), outline.end(), [](const QPoint &a, const QPoint &b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    });
    for (const PixelSpan &s : fill) {
        auto it = std::lower_bound(
            outline.begin(), outline.end(), QPoint(s.x0, s.y),
            [](const QPoint &a, const QPoint &b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
        int x = s.x0;
        for (; it != outline.end() && it->y() == s.y && it->x() < s.x1; ++it) {
            p.Raster().Span(s.y, x, it->x(), brushColor, dc.rop2);
            x = std::max(x, it->x() + 1);
        }
        p.Raster().Span(s.y, x, s.x1, brushColor, dc.rop2);
    }
    StrokePath(p, points, count, true);
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    DeviceContext &dc = p.Dc();
    dc.Log([&] { return std::string("Rectangle(" + Numbers({left, top, right, bottom}) + ")"); });
    if (!p.Drawable())
        return TRUE;
    OrderCorners(left, top, right, bottom);
    uint32_t brushColor = HasBrush(dc) ? p.Pixel(dc.brush->color) : 0;
    if (!HasPen(dc)) {
        if (HasBrush(dc))
            p.Raster().Fill(QRect(left, top, right - left - 1, bottom - top - 1), brushColor, dc.rop2);
        return TRUE;
    }
    int w = dc.pen->width;
    // The outline's band (a wide pen centred on the one-pixel outline) and the
    // inside it encloses.
    QRect outer(QPoint(left - w / 2, top - w / 2), QPoint(right - 1 + (w - 1) / 2, bottom - 1 + (w - 1) / 2));
    QRect inner = outer.adjusted(w, w, -w, -w);
    if (outer.isEmpty())
        return TRUE;
    bool patterned = w == 1 && !DashPattern(dc.pen->DrawnStyle()).empty();
    if (patterned && outer.width() > 1 && outer.height() > 1) {
        POINT corners[4] = {{outer.left(), outer.top()},
                            {outer.right(), outer.top()},
                            {outer.right(), outer.bottom()},
                            {outer.left(), outer.bottom()}};
        StrokePath(p, corners, 4, true);
    } else {
        uint32_t penColor = p.Pixel(dc.pen->color);
        RasterTarget &raster = p.Raster();
        if (inner.isEmpty()) {
            raster.Fill(outer, penColor, dc.rop2);
            return TRUE;
        }
        raster.Fill(QRect(QPoint(outer.left(), outer.top()), QPoint(outer.right(), inner.top() - 1)),
                    penColor, dc.rop2);
        raster.Fill(QRect(QPoint(outer.left(), inner.bottom() + 1), QPoint(outer.right(), outer.bottom())),
                    penColor, dc.rop2);
        raster.Fill(QRect(QPoint(outer.left(), inner.top()), QPoint(inner.left() - 1, inner.bottom())),
                    penColor, dc.rop2);
        raster.Fill(QRect(QPoint(inner.right() + 1, inner.top()), QPoint(outer.right(), inner.bottom())),
                    penColor, dc.rop2);
    }
    if (HasBrush(dc) && !inner.isEmpty())
        p.Raster().Fill(inner, brushColor, dc.rop2);
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] { return std::string("Ellipse(" + Numbers({left, top, right, bottom}) + ")"); });
    if (p.Drawable())
        DrawFigure(p, left, top, right, bottom, EllipseSpans);
    return TRUE;
}

BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2)
{
    Painting p(hdc);
    if (!p.Known())
        return FALSE;
    p.Dc().Log([&] {
        return std::string("Chord(" + Numbers({left, top, right, bottom, x1, y1, x2, y2}) + ")");
    });
    if (p.Drawable()) {
        DrawFigure(p, left, top, right, bottom, [&](int l, int t, int r, int b, RowRange rows) {
            return ChordSpans(l, t, r, b, ClampCoordinate(x1), ClampCoordinate(y1), ClampCoordinate(x2),
                              ClampCoordinate(y2), rows);
        });
    }
    return TRUE;
}

int FillRect(HDC hdc, const RECT *rect, HBRUSH brush)
{
    auto found = FindBrush(brush);
    Painting p(hdc);
    if (!p.Known() || !rect || !found)
        return 0;
    p.Dc().Log([&] {
        return std::string("FillRect(" + Numbers({rect->left, rect->top, rect->right, rect->bottom}) + "," +
                           DescribeObject(*found) + ")");
    });
    if (p.Drawable() && found->style != BS_NULL && rect->right > rect->left && rect->bottom > rect->top) {
        p.Raster().Fill(Inside(*rect), p.Pixel(found->color), R2_COPYPEN);
    }
    return 1;
}

int FrameRect(HDC hdc, const RECT *rect, HBRUSH brush)
{
    auto found = FindBrush(brush);
    Painting p(hdc);
    if (!p.Known() || !rect || !found)
        return 0;
    p.Dc().Log([&] {
        return std::string("FrameRect(" + Numbers({rect->left, rect->top, rect->right, rect->bottom}) + "," +
                           DescribeObject(*found) + ")");
    });
    if (!p.Drawable() || found->style == BS_NULL || rect->right <= rect->left || rect->bottom <= rect->top)
        return 1;
    uint32_t color = p.Pixel(found->color);
    QRect inside = Inside(*rect);
    int l = inside.left();
    int t = inside.top();
    int r = inside.right();
    int b = inside.bottom();
    RasterTarget &raster = p.Raster();
    raster.Fill(QRect(QPoint(l, t), QPoint(r, t)), color, R2_COPYPEN);
    if (b > t)
        raster.Fill(QRect(QPoint(l, b), QPoint(r, b)), color, R2_COPYPEN);
    if (b - t > 1) {
        raster.Fill(QRect(QPoint(l, t + 1), QPoint(l, b - 1)), color, R2_COPYPEN);
        if (r > l)
            raster.Fill(QRect(QPoint(r, t + 1), QPoint(r, b - 1)), color, R2_COPYPEN);
    }
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT *rect)
{
    Painting p(hdc);
    if (!p.Known() || !rect)
        return FALSE;
    p.Dc().Log([&] {
        return std::string("InvertRect(" + Numbers({rect->left, rect->top, rect->right, rect->bottom}) + ")");
    });
    if (p.Drawable() && rect->right > rect->left && rect->bottom > rect->top)
        p.Raster().Fill(Inside(*rect), 0, R2_NOT);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    Painting p(hdc);
    if (!p.Known())
        return CLR_INVALID;
    p.Dc().Log([&] { return std::string("SetPixel(" + Numbers({x, y}) + "," + ColorText(color) + ")"); });
    if (!p.Drawable() || !p.Raster().Visible(x, y))
        return CLR_INVALID;
    uint32_t pixel = p.Pixel(color);
    p.Raster().Plot(x, y, pixel, R2_COPYPEN);
    p.Raster().touched |= QRect(x, y, 1, 1);
    return ColorOfPixel(pixel);
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    Painting p(hdc);
    if (!p.Known() || !p.Drawable() || !p.Raster().Visible(x, y))
        return CLR_INVALID;
    return ColorOfPixel(p.Raster().Row(y)[x]) & 0xFFFFFF;
}

} // namespace win
