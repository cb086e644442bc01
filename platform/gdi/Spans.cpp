#include "platform/gdi/Spans.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace win {

namespace {

void Normalize(int &left, int &top, int &right, int &bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

// The ellipse's centre and semi-axes in pixel units: pixel x lies inside when
// its offset from the centre is within the axis. The quarter pixel added to the
// axes gives small circles their round shape (a 3 × 3 box gives a plus sign, a
// 10 × 10 box a top row of four pixels).
struct EllipseGeometry {
    double cx, cy, a, b;
    EllipseGeometry(int left, int top, int right, int bottom)
        : cx(left + (right - left - 1) / 2.0), cy(top + (bottom - top - 1) / 2.0),
          a((right - left - 1) / 2.0 + 0.25), b((bottom - top - 1) / 2.0 + 0.25)
    {
    }
};

} // namespace

namespace {

// Row y of the ellipse: false when the row has no pixel.
bool EllipseRow(const EllipseGeometry &g, int left, int right, int y, int &x0, int &x1)
{
    double dy = (y - g.cy) / g.b;
    double q = 1.0 - dy * dy;
    if (q < 0)
        return false;
    double half = g.a * std::sqrt(q) + 1e-9;
    x0 = std::max(left, int(std::ceil(g.cx - half)));
    x1 = std::min(right, int(std::floor(g.cx + half)) + 1);
    return x0 < x1;
}

} // namespace

SpanList EllipseSpans(int left, int top, int right, int bottom, RowRange rows)
{
    Normalize(left, top, right, bottom);
    SpanList spans;
    if (right - left <= 0 || bottom - top <= 0)
        return spans;
    EllipseGeometry g(left, top, right, bottom);
    for (int y = std::max(top, rows.first); y < bottom && y <= rows.last; ++y) {
        int x0, x1;
        if (EllipseRow(g, left, right, y, x0, x1))
            spans.push_back({y, x0, x1});
    }
    return spans;
}

SpanList ChordSpans(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2, RowRange rows)
{
    Normalize(left, top, right, bottom);
    SpanList ellipse = EllipseSpans(left, top, right, bottom, rows);
    EllipseGeometry g(left, top, right, bottom);
    // The angles of the two radials, counter-clockwise as seen on the screen.
    double t1 = std::atan2(-(y1 - g.cy), x1 - g.cx);
    double t2 = std::atan2(-(y2 - g.cy), x2 - g.cx);
    double sweep = t2 - t1;
    while (sweep <= 0)
        sweep += 2 * M_PI;
    if (sweep >= 2 * M_PI - 1e-12)
        return ellipse;
    auto onEllipse = [&](double t) {
        return std::pair<double, double>(g.cx + g.a * std::cos(t), g.cy - g.b * std::sin(t));
    };
    // Plain variables, not structured bindings: the lambda below captures them.
    const auto a = onEllipse(t1);
    const auto b = onEllipse(t2);
    const auto m = onEllipse(t1 + sweep / 2);
    const double ax = a.first, ay = a.second, bx = b.first, by = b.second, mx = m.first, my = m.second;
    // side(x, y) = c(y) + k·x is positive on one side of the chord, negative on
    // the other; the arc's side is kept, the chord itself included.
    double k = -(by - ay);
    auto c = [&](double y) { return (bx - ax) * (y - ay) + (by - ay) * ax; };
    double arcSign = c(my) + k * mx > 0 ? 1.0 : -1.0;
    SpanList spans;
    for (const PixelSpan &s : ellipse) {
        double cy = c(s.y) * arcSign;
        double ky = k * arcSign;
        int x0 = s.x0;
        int x1 = s.x1;
        // Keep x with cy + ky·x >= 0.
        if (std::abs(ky) < 1e-12) {
            if (cy < -1e-9)
                continue;
        } else if (ky > 0) {
            x0 = std::max(x0, int(std::ceil(-cy / ky - 1e-9)));
        } else {
            x1 = std::min(x1, int(std::floor(-cy / ky + 1e-9)) + 1);
        }
        if (x0 < x1)
            spans.push_back({s.y, x0, x1});
    }
    return spans;
}

namespace {

// ceil(num / den) for den > 0.
long long CeilDiv(long long num, long long den)
{
    long long q = num / den;
    if (num % den != 0 && num > 0)
        ++q;
    return q;
}

} // namespace

SpanList PolygonSpans(const POINT *points, int count, int fillMode, RowRange rows)
{
    SpanList spans;
    if (!points || count < 3)
        return spans;
    int minY = points[0].y;
    int maxY = points[0].y;
    for (int i = 1; i < count; ++i) {
        minY = std::min(minY, int(points[i].y));
        maxY = std::max(maxY, int(points[i].y));
    }
    struct Crossing {
        double x;
        int ceilX;
        int dir;
    };
    std::vector<Crossing> crossings;
    for (int y = std::max(minY, rows.first); y < maxY && y <= rows.last; ++y) {
        crossings.clear();
        for (int i = 0; i < count; ++i) {
            const POINT &p = points[i];
            const POINT &q = points[(i + 1) % count];
            if (p.y == q.y)
                continue;
            int lo = std::min(p.y, q.y);
            int hi = std::max(p.y, q.y);
            if (y < lo || y >= hi)
                continue;
            long long den = q.y - p.y;
            long long num = (long long)p.x * den + (long long)(y - p.y) * (q.x - p.x);
            if (den < 0) {
                den = -den;
                num = -num;
            }
            crossings.push_back({double(num) / double(den), int(CeilDiv(num, den)), q.y > p.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing &a, const Crossing &b) { return a.x < b.x; });
        if (fillMode == WINDING) {
            int winding = 0;
            int start = 0;
            for (const Crossing &c : crossings) {
                int before = winding;
                winding += c.dir;
                if (before == 0 && winding != 0)
                    start = c.ceilX;
                else if (before != 0 && winding == 0 && start < c.ceilX)
                    spans.push_back({y, start, c.ceilX});
            }
        } else {
            for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                if (crossings[i].ceilX < crossings[i + 1].ceilX)
                    spans.push_back({y, crossings[i].ceilX, crossings[i + 1].ceilX});
            }
        }
    }
    return spans;
}

SpanList RoundRectSpans(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight,
                        RowRange rows)
{
    Normalize(left, top, right, bottom);
    SpanList spans;
    int width = right - left;
    int height = bottom - top;
    if (width <= 0 || height <= 0)
        return spans;
    int w = std::clamp(ellipseWidth, 0, width);
    int h = std::clamp(ellipseHeight, 0, height);
    EllipseGeometry corner(0, 0, w, h);
    for (int y = std::max(0, rows.first - top); y < height && top + y <= rows.last; ++y) {
        // Rows within half the corner height of the top or bottom take the
        // corner ellipse's row; the others are full.
        int row = -1;
        if (y < h / 2)
            row = y;
        else if (y >= height - h / 2)
            row = h - (height - y);
        if (row < 0) {
            spans.push_back({top + y, left, right});
            continue;
        }
        int ex0, ex1;
        if (!EllipseRow(corner, 0, w, row, ex0, ex1))
            continue;
        int x0 = left + ex0;
        int x1 = right - (w - ex1);
        if (x0 < x1)
            spans.push_back({top + y, x0, x1});
    }
    return spans;
}

void SplitBoundary(const SpanList &rows, SpanList &boundary, SpanList &inside)
{
    if (rows.empty())
        return;
    int firstY = rows.front().y;
    int lastY = rows.back().y;
    std::vector<const PixelSpan *> byRow(size_t(lastY - firstY + 1), nullptr);
    for (const PixelSpan &s : rows)
        byRow[size_t(s.y - firstY)] = &s;
    auto at = [&](int y) -> const PixelSpan * {
        return y < firstY || y > lastY ? nullptr : byRow[size_t(y - firstY)];
    };
    for (const PixelSpan &s : rows) {
        const PixelSpan *above = at(s.y - 1);
        const PixelSpan *below = at(s.y + 1);
        int a = s.x1;
        int b = s.x1;
        if (above && below) {
            a = std::max({s.x0 + 1, above->x0, below->x0});
            b = std::min({s.x1 - 1, above->x1, below->x1});
        }
        if (a >= b) {
            boundary.push_back(s);
            continue;
        }
        boundary.push_back({s.y, s.x0, a});
        inside.push_back({s.y, a, b});
        boundary.push_back({s.y, b, s.x1});
    }
}

QRegion RegionFromSpans(SpanList spans)
{
    std::sort(spans.begin(), spans.end(),
              [](const PixelSpan &a, const PixelSpan &b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    // Merge runs of a row that overlap or touch.
    SpanList merged;
    for (const PixelSpan &s : spans) {
        if (s.x0 >= s.x1)
            continue;
        if (!merged.empty() && merged.back().y == s.y && s.x0 <= merged.back().x1)
            merged.back().x1 = std::max(merged.back().x1, s.x1);
        else
            merged.push_back(s);
    }
    // Rows with the same runs as the row above join its band.
    std::vector<QRect> rects;
    int bandTop = 0;
    int bandHeight = 0;
    std::vector<std::pair<int, int>> bandRuns;
    std::vector<std::pair<int, int>> runs;
    auto flush = [&] {
        for (auto [x0, x1] : bandRuns)
            rects.push_back(QRect(x0, bandTop, x1 - x0, bandHeight));
    };
    for (size_t i = 0; i < merged.size();) {
        int y = merged[i].y;
        runs.clear();
        for (; i < merged.size() && merged[i].y == y; ++i)
            runs.push_back({merged[i].x0, merged[i].x1});
        if (bandHeight > 0 && y == bandTop + bandHeight && runs == bandRuns) {
            ++bandHeight;
            continue;
        }
        if (bandHeight > 0)
            flush();
        bandTop = y;
        bandHeight = 1;
        bandRuns = runs;
    }
    if (bandHeight > 0)
        flush();
    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), int(rects.size()));
    return region;
}

} // namespace win
