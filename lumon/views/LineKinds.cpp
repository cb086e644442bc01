// The seventeen kinds of drawn line: the points each derives from its anchors,
// how it is drawn and how a mouse point hits it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/TLine.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

constexpr float GoldenRatios[7] = {0.0f, 1.0f, 0.382f, 0.5f, 0.618f, 1.618f, 2.618f};
const char *const GoldenLabels[7] = {"", "", "38.2% ", "50%   ", "61.8% ", "161.8%", "261.8%"};
const char *const PercentLabels[11] = {"",      "12.5%", "25%  ", "37.5%", "50%  ", "62.5%",
                                       "75%  ", "87.5%", "",      "33.3%", "66.7%"};

POINT Pt(const LineAnchor &a)
{
    return POINT{a.x, a.y};
}

void SetPoint(LineAnchor &p, int x, int y)
{
    p.x = x;
    p.y = y;
}

// Moves an end of the line (xa, ya)-(xb, yb) that lies above `top` or at or
// below `bottom` along the line to top, or to bottom - 1.
void ClipEndVertically(LineAnchor &end, const LineAnchor &other, int top, int bottom)
{
    int border;
    if (end.y < top)
        border = top;
    else if (end.y >= bottom)
        border = bottom - 1;
    else
        return;
    if (other.y != end.y)
        end.x = TruncToInt(end.x + double(other.x - end.x) * (border - end.y) / (other.y - end.y));
    end.y = border;
}

} // namespace

bool TLine::DerivePoints(bool repaint)
{
    m_Hidden = false;
    switch (Kind) {
    case LK_LINE:
    case LK_PARALLEL:
        ExtendLine();
        break;
    case LK_SEGMENT:
        SetPoint(Points[0], Anchors[0].x, Anchors[0].y);
        SetPoint(Points[1], Anchors[1].x, Anchors[1].y);
        if (repaint) {
            POINT a = Pt(Anchors[0]), b = Pt(Anchors[1]), p0 = a, p1 = b;
            if (!ClipToPane(p0, a, b) || !ClipToPane(p1, a, b)) {
                m_Hidden = true;
                return false;
            }
            SetPoint(Points[0], p0.x, p0.y);
            SetPoint(Points[1], p1.x, p1.y);
        }
        break;
    case LK_GOLDEN: BuildGoldenLevels(); break;
    case LK_PERCENT: BuildPercentLevels(); break;
    case LK_BOX: BuildBox(); break;
    case LK_GANN: BuildGannFan(); break;
    case LK_SPEED: BuildSpeedLines(); break;
    case LK_REGRESSION: BuildRegressionBand(); break;
    case LK_CHANNEL: BuildRegressionChannel(); break;
    default: break;
    }
    return true;
}

void TLine::ExtendLine()
{
    const RECT &r = *PaneRect;
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    if (y0 == y1) {
        SetPoint(Points[0], r.left, y0);
        SetPoint(Points[1], r.right, y0);
        return;
    }
    if (x0 == x1) {
        SetPoint(Points[0], x0, r.top);
        SetPoint(Points[1], x0, r.bottom);
        return;
    }
    auto end = [&](LineAnchor &p, int border) {
        p.y = TruncToInt(y1 - double(y1 - y0) * (x1 - border) / (x1 - x0));
        if (p.y < r.top || p.y > r.bottom) {
            p.y = p.y > r.bottom ? r.bottom : r.top;
            p.x = TruncToInt(x1 - double(x1 - x0) * (y1 - p.y) / (y1 - y0));
        } else {
            p.x = border;
        }
    };
    end(Points[0], r.left);
    end(Points[1], r.right);
}

void TLine::PlaceParallel(int px, int py)
{
    const RECT &r = *PaneRect;
    double w = Pane->BarWidth, g = Pane->BarGap;
    int xr = TruncToInt(r.left + w / 2 + (w + g) * (Pane->VisibleCount - 1));
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    if (y0 == y1) {
        SetPoint(Anchors[0], r.left, py);
        SetPoint(Anchors[1], xr, py);
        return;
    }
    if (x0 == x1) {
        SetPoint(Anchors[0], px, r.top);
        SetPoint(Anchors[1], px, r.bottom);
        return;
    }
    // The line of the same slope through the click, from the left border to the
    // last shown bar, kept inside the pane's height.
    auto end = [&](LineAnchor &a, int border) {
        int y = TruncToInt(py - double(y1 - y0) * (px - border) / (x1 - x0));
        if (y < r.top || y > r.bottom) {
            y = y > r.bottom ? r.bottom : r.top;
            a.x = TruncToInt(px - double(x1 - x0) * (py - y) / (y1 - y0));
        } else {
            a.x = border;
        }
        a.y = y;
    };
    end(Anchors[0], r.left);
    end(Anchors[1], xr);
}

void TLine::BuildGoldenLevels()
{
    const RECT &r = *PaneRect;
    float y0 = float(Anchors[0].y), y1 = float(Anchors[1].y);
    double span = r.bottom - r.top;
    for (int i = 0; i < 7; ++i) {
        float y = y0 + (y1 - y0) * GoldenRatios[i];
        float value = span > 0 ? float(Pane->ValueMax - (y - r.top) * (Pane->ValueMax - Pane->ValueMin) / span)
                               : Pane->ValueMax;
        SetPoint(Points[2 * i], r.left, TruncToInt(y));
        SetPoint(Points[2 * i + 1], r.right, TruncToInt(y));
        Points[2 * i].value = Points[2 * i + 1].value = value;
    }
}

void TLine::BuildPercentLevels()
{
    const RECT &r = *PaneRect;
    int y0 = Anchors[0].y, dy = Anchors[1].y - y0;
    double span = r.bottom - r.top;
    for (int i = 0; i < 11; ++i) {
        int y = i <= 8 ? y0 + dy * i / 8 : y0 + dy * (i - 8) / 3;
        float value = span > 0 ? float(Pane->ValueMax - (y - r.top) * (Pane->ValueMax - Pane->ValueMin) / span)
                               : Pane->ValueMax;
        SetPoint(Points[2 * i], r.left, y);
        SetPoint(Points[2 * i + 1], r.right, y);
        Points[2 * i].value = Points[2 * i + 1].value = value;
    }
}

void TLine::BuildBox()
{
    SetPoint(Points[0], Anchors[0].x, Anchors[0].y);
    SetPoint(Points[1], Anchors[1].x, Anchors[0].y);
    SetPoint(Points[2], Anchors[1].x, Anchors[1].y);
    SetPoint(Points[3], Anchors[0].x, Anchors[1].y);
}

void TLine::BuildGannFan()
{
    const RECT &r = *PaneRect;
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    if (x0 > x1)
        return;
    int dx = x1 - x0, sx = dx / 5, sy = (y1 - y0) / 5;
    bool rising = y1 < y0;
    for (int i = 0; i < 9; ++i)
        SetPoint(Points[2 * i], x0, y0);
    // The first fan: lines through (x0 + c, y1), the fifth through B.
    const int cs[5] = {sx, 2 * sx, 3 * sx, 4 * sx, dx};
    for (int i = 0; i < 5; ++i) {
        int c = cs[i], x, y;
        if (y0 == y1) {
            x = r.right;
            y = y0;
        } else {
            y = y0 > y1 ? r.top : r.bottom;
            x = TruncToInt(x0 + double(c) * (y - y0) / (y1 - y0));
            if (x > r.right && c > 0) {
                x = r.right;
                y = TruncToInt(y0 + double(y1 - y0) * (r.right - x0) / c);
            }
        }
        SetPoint(Points[2 * i + 1], x, y);
    }
    // The second fan: lines through (x1, y0 + m * sy), continued to the right border.
    for (int m = 1; m <= 4; ++m) {
        LineAnchor &end = Points[2 * (4 + m) + 1];
        int border = rising ? r.top : r.bottom;
        if (dx == 0) {
            SetPoint(end, x0, border);
            continue;
        }
        int x = r.right;
        int y = y0 + TruncToInt(double(m) * sy * (r.right - x0) / dx);
        if ((rising && y < r.top) || (!rising && y > r.bottom)) {
            x = TruncToInt(x0 + double(dx) * (border - y0) / (double(m) * sy));
            y = border;
        }
        SetPoint(end, x, y);
    }
}

void TLine::BuildSpeedLines()
{
    const RECT &r = *PaneRect;
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    if (x0 > x1)
        return;
    float third = float((long double)(y0 - y1) / 3);
    const float through[3] = {y0 - third, y0 - 2 * third, float(y1)};
    for (int j = 0; j < 3; ++j) {
        SetPoint(Points[2 * j], x0, y0);
        double yt = through[j];
        int x, y;
        if (y0 == y1 || yt == y0) {
            x = r.right;
            y = y0;
        } else {
            y = y0 > y1 ? r.top : r.bottom;
            x = TruncToInt(x0 + double(x1 - x0) * (y - y0) / (yt - y0));
            if (x > r.right && x1 > x0) {
                x = r.right;
                y = TruncToInt(y0 + (yt - y0) * (r.right - x0) / (x1 - x0));
            }
        }
        SetPoint(Points[2 * j + 1], x, y);
    }
}

void TLine::BuildRegressionBand()
{
    Regression(false);
}

void TLine::BuildRegressionChannel()
{
    Regression(true);
}

int TLine::ColumnX(int record) const
{
    double w = Pane->BarWidth, g = Pane->BarGap;
    return TruncToInt(PaneRect->left + w / 2 + (w + g) * (record - Pane->FirstVisible));
}

int TLine::ShownIndex(int x) const
{
    double w = Pane->BarWidth, g = Pane->BarGap;
    return w + g > 0 ? TruncToInt((x - PaneRect->left + w / 2) / (w + g)) : 0;
}

void TLine::Regression(bool channel)
{
    m_Hidden = true;
    const RECT &r = *PaneRect;
    const TIndex &p = *Pane;
    if (!p.Records || p.RecordCount < 1)
        return;
    double w = p.BarWidth, g = p.BarGap;
    if (w + g <= 0)
        return;
    int i0 = TruncToInt((Anchors[0].x - r.left + w / 2) / (w + g) + p.FirstVisible);
    int i1 = TruncToInt((Anchors[1].x - r.left + w / 2) / (w + g) + p.FirstVisible);
    if (i1 <= i0 || i0 < 0)
        return;
    i1 = std::min({i1, p.FirstVisible + p.VisibleCount - 1, p.RecordCount - 1});
    if (i1 <= i0)
        return;
    double u = p.ValueMax != p.ValueMin ? (r.bottom - r.top) / double(p.ValueMax - p.ValueMin) : 0;
    double divisor = p.PriceDivisor != 0 ? p.PriceDivisor : 1;
    auto height = [&](uint32_t price) { return (price / divisor - p.ValueMin) * u; };
    double sy = 0, sxy = 0;
    long long sx = 0, sxx = 0;
    int hi = i0, lo = i0;
    for (int k = i0; k <= i1; ++k) {
        const KLineRecord &rec = p.Records[k];
        if (rec.High > p.Records[hi].High)
            hi = k;
        if (rec.Low < p.Records[lo].Low)
            lo = k;
        if (k == i0)
            continue;
        long long x = k - i0;
        double h = height(rec.Close);
        sy += std::trunc(h);
        sx += x;
        sxx += x * x;
        sxy = std::trunc(sxy + double(x) * h);
    }
    long long n = i1 - i0;
    if (sx * sx == n * sxx)
        return;
    double b = (n * sxy - double(sx) * sy) / double(n * sxx - sx * sx);
    double a = (sy - b * double(sx)) / double(n);
    double aUp = a + (height(p.Records[hi].High) - (b * (hi - i0) + a));
    double aDown = a + (height(p.Records[lo].Low) - (b * (lo - i0) + a));
    int xa = ColumnX(i0), xb = ColumnX(i1);
    auto line = [&](int first, double intercept) {
        SetPoint(Points[first], xa, r.bottom - TruncToInt(intercept));
        SetPoint(Points[first + 1], xb, r.bottom - TruncToInt(b * double(n) + intercept));
    };
    line(4, a);
    line(0, aUp);
    line(2, aDown);
    if (channel) {
        // Each line's continuation to the right border, from its ends before
        // they are clipped, kept inside the pane's height.
        auto extend = [&](int first, LineAnchor &end) {
            const LineAnchor &s = Points[first], &e = Points[first + 1];
            int y = e.x != s.x ? TruncToInt(e.y + double(e.y - s.y) * (r.right - e.x) / (e.x - s.x)) : e.y;
            int x = r.right;
            if (y < r.top || y > r.bottom) {
                int border = y < r.top ? r.top : r.bottom;
                if (e.y != s.y)
                    x = TruncToInt(e.x + double(e.x - s.x) * (border - e.y) / (e.y - s.y));
                y = border;
            }
            SetPoint(end, x, y);
        };
        extend(4, Points[7]);
        extend(0, Points[6]);
        extend(2, Points[8]);
    }
    for (int first : {0, 2, 4}) {
        ClipEndVertically(Points[first], Points[first + 1], r.top, r.bottom);
        ClipEndVertically(Points[first + 1], Points[first], r.top, r.bottom);
    }
    Anchors[0].y = Points[4].y;
    Anchors[1].y = Points[5].y;
    m_Hidden = false;
}

int TLine::Columns(bool fibonacci, int *xs, int capacity)
{
    const RECT &r = *PaneRect;
    int s = Pane->VisibleCount, f = Pane->FirstVisible;
    int c0 = ShownIndex(Anchors[0].x);
    if (c0 < 0 || c0 >= s)
        return 0;
    auto inside = [&](int x) { return x >= r.left && x < r.right; };
    int count = 0;
    if (fibonacci) {
        long long k = 0, next = 1, after = 2;
        while (count < capacity && k < 1000000) {
            int x = ColumnX(int(f + c0 + k));
            if (!inside(x))
                break;
            xs[count++] = x;
            k = next;
            next = after;
            after = k + next;
        }
        return count;
    }
    int c1 = ShownIndex(Anchors[1].x);
    if (c1 < 0 || c1 >= s)
        return 0;
    int d = c1 - c0;
    if (d == 0) {
        int x = ColumnX(f + c0);
        if (inside(x))
            xs[count++] = x;
        return count;
    }
    for (long long c = c0; count < capacity; c += d) {
        int x = ColumnX(int(f + c));
        if (!inside(x))
            break;
        xs[count++] = x;
    }
    return count;
}

void TLine::DrawLabel(HDC dc, int x, int y, const char *text, bool rightAligned)
{
    SelectedObject font(dc, CreateLineFont(LineLabelFontHeight));
    COLORREF oldColour = SetTextColor(dc, (Colour ^ ThemeColor(0)) & 0xFFFFFF);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    int length = int(std::strlen(text));
    if (rightAligned) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text, length, &size);
        x -= size.cx;
    }
    TextOutA(dc, x, y, text, length);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void TLine::DrawLevels(HDC dc, bool golden)
{
    const RECT &r = *PaneRect;
    char format[16], value[64];
    std::snprintf(format, sizeof format, "%%-7.%df", Pane->PriceDecimals());
    int levels = golden ? 7 : 11;
    for (int i = 0; i < levels; ++i) {
        const LineAnchor &a = Points[2 * i], &b = Points[2 * i + 1];
        bool shown = golden ? r.top <= a.y && a.y <= r.bottom : r.top < a.y && a.y < r.bottom;
        if (!shown)
            continue;
        bool border = golden ? i < 2 : i == 0 || i == 8;
        if (border) {
            DrawSolidAnchors(a, b, dc, 0);
            continue;
        }
        DrawDottedAnchors(a, b, dc, 0);
        DrawLabel(dc, r.left, a.y, golden ? GoldenLabels[i] : PercentLabels[i], false);
        std::snprintf(value, sizeof value, format, double(a.value));
        DrawLabel(dc, r.right, a.y, value, true);
    }
}

namespace {

// The sine curve through A peaking at B: y at x.
int SineY(int x, int x0, int y0, int x1, int y1)
{
    return y0 + TruncToInt((y1 - y0) * std::sin((x - x0) * 3.14159 / (2.0 * (x1 - x0))));
}

} // namespace

void TLine::DrawSine(HDC dc)
{
    const RECT &r = *PaneRect;
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    if (x0 == x1) {
        int a = std::abs(y1 - y0);
        DrawSolid(POINT{x0, y0 + a}, POINT{x0, y0 - a}, dc, 0);
        return;
    }
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, Colour));
    auto inside = [&](int y) { return r.top <= y && y < r.bottom; };
    // One-pixel steps inside the pane, joined into polylines: the same pixels
    // as the steps drawn one by one (each leaves its end out), in far fewer
    // calls. The two halves are drawn apart, so A's pixel is drawn twice.
    std::vector<POINT> run;
    auto draw = [&] {
        if (run.size() >= 2)
            Polyline(dc, run.data(), int(run.size()));
        run.clear();
    };
    // Each step starts where the one before ended: its y is kept.
    int keptX = x0, keptY = SineY(x0, x0, y0, x1, y1);
    auto sine = [&](int x) {
        if (x != keptX) {
            keptX = x;
            keptY = SineY(x, x0, y0, x1, y1);
        }
        return keptY;
    };
    auto step = [&](int xa, int xb) {
        int ya = sine(xa), yb = sine(xb);
        if (inside(ya) && inside(yb)) {
            if (run.empty())
                run.push_back(POINT{xa, ya});
            run.push_back(POINT{xb, yb});
        } else {
            draw();
        }
    };
    for (int x = x0 - 1; x >= r.left; --x)
        step(x + 1, x);
    draw();
    for (int x = x0 + 1; x <= r.right - 1; ++x)
        step(x - 1, x);
    draw();
}

bool TLine::HitSine(POINT p)
{
    int x0 = Anchors[0].x, y0 = Anchors[0].y, x1 = Anchors[1].x, y1 = Anchors[1].y;
    int a = std::abs(y1 - y0);
    if (std::abs(p.y - y0) > a)
        return false;
    if (x0 == x1)
        return NearSegment(p, POINT{x0, y0 + a}, POINT{x0, y0 - a});
    auto at = [&](int x) { return POINT{x, SineY(x, x0, y0, x1, y1)}; };
    POINT mid = at(p.x);
    POINT q = p;
    return NearSegment(q, at(p.x + 1), at(p.x - 1)) || (std::abs(p.x - mid.x) <= 3 && std::abs(p.y - mid.y) <= 3) ||
           NearSegment(q = p, mid, at(p.x - 1)) || NearSegment(q = p, mid, at(p.x + 1));
}

namespace {

// The half ellipse of an arc: its centre, semi-axes, and which half is drawn.
struct ArcShape {
    int cx, cy, a, b;
    enum Half { Lower, Right, Left, Upper } half;
    bool valid;
};

ArcShape ArcOf(const LineAnchor &A, const LineAnchor &B)
{
    int x0 = A.x, y0 = A.y, x1 = B.x, y1 = B.y;
    if (x1 > x0 && y1 > y0)
        return {x1, y0, x1 - x0, y1 - y0, ArcShape::Lower, true};
    if (x1 > x0)
        return {x0, y1, x1 - x0, y0 - y1, ArcShape::Right, y0 != y1};
    if (y1 > y0)
        return {x0, y1, x0 - x1, y1 - y0, ArcShape::Left, true};
    return {x1, y0, x0 - x1, y0 - y1, ArcShape::Upper, x0 != x1};
}

// The offset of the ellipse from its axis at distance i from one end of an axis
// of semi-length `along`, the other semi-axis being `across`.
int ArcOffset(double along, double across, double i)
{
    double v = across * across * (along * along - (along - i) * (along - i)) / (along * along);
    return TruncToInt(std::sqrt(v > 0 ? v : 0));
}

} // namespace

void TLine::DrawArc(HDC dc)
{
    const RECT &r = *PaneRect;
    ArcShape s = ArcOf(Anchors[0], Anchors[1]);
    if (!s.valid)
        return;
    int x0 = Anchors[0].x, y0 = Anchors[0].y;
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, Colour));
    switch (s.half) {
    case ArcShape::Lower:
        MoveToEx(dc, x0, y0, nullptr);
        for (int x = x0 + 1; x <= x0 + 2 * s.a && x <= r.right; ++x)
            LineTo(dc, x, y0 + ArcOffset(s.a, s.b, x - x0));
        break;
    case ArcShape::Right:
        MoveToEx(dc, x0, y0, nullptr);
        for (int y = y0 - 1; y >= y0 - 2 * s.b && y >= r.top; --y)
            LineTo(dc, x0 + ArcOffset(s.b, s.a, y0 - y), y);
        break;
    case ArcShape::Left:
        MoveToEx(dc, x0, y0, nullptr);
        for (int y = y0 + 1; y <= y0 + 2 * s.b && y <= r.bottom; ++y)
            LineTo(dc, x0 - ArcOffset(s.b, s.a, y - y0), y);
        break;
    case ArcShape::Upper: {
        int start = std::max<int>(s.cx - s.a, r.left);
        MoveToEx(dc, start, y0 - ArcOffset(s.a, s.b, start - (s.cx - s.a)), nullptr);
        for (int x = start + 1; x <= x0; ++x)
            LineTo(dc, x, y0 - ArcOffset(s.a, s.b, x - (s.cx - s.a)));
        break;
    }
    }
}

bool TLine::HitArc(POINT p)
{
    ArcShape s = ArcOf(Anchors[0], Anchors[1]);
    if (!s.valid || std::abs(p.x - s.cx) > s.a || std::abs(p.y - s.cy) > s.b || s.a == 0 || s.b == 0)
        return false;
    double a = s.a, b = s.b;
    // The ellipse's offset from its centre along one axis at a given offset
    // along the other.
    auto offset = [](double semi, double otherSemi, double d) {
        double t = 1 - (d * d) / (otherSemi * otherSemi);
        return semi * std::sqrt(t > 0 ? t : 0);
    };
    double dx = p.x - s.cx, dy = p.y - s.cy;
    switch (s.half) {
    case ArcShape::Lower:
        return dy >= -3 && (std::abs(dy - offset(b, a, dx)) < 4 || std::abs(std::abs(dx) - offset(a, b, dy)) < 4);
    case ArcShape::Upper:
        return dy <= 3 && (std::abs(-dy - offset(b, a, dx)) < 4 || std::abs(std::abs(dx) - offset(a, b, dy)) < 4);
    case ArcShape::Right:
        return dx >= -3 && (std::abs(dx - offset(a, b, dy)) < 4 || std::abs(std::abs(dy) - offset(b, a, dx)) < 4);
    case ArcShape::Left:
        return dx <= 3 && (std::abs(-dx - offset(a, b, dy)) < 4 || std::abs(std::abs(dy) - offset(b, a, dx)) < 4);
    }
    return false;
}

void TLine::DrawColumns(HDC dc, bool fibonacci)
{
    const RECT &r = *PaneRect;
    int xs[2048];
    int n = Columns(fibonacci, xs, 2048);
    for (int i = 0; i < n; ++i) {
        POINT top{xs[i], r.top}, bottom{xs[i], r.bottom};
        if (i == 0)
            DrawSolid(top, bottom, dc, 0);
        else
            DrawDotted(top, bottom, dc, 0);
    }
    if (fibonacci) {
        int k = 0, next = 1, after = 2;
        char number[16];
        for (int i = 0; i < n; ++i) {
            std::snprintf(number, sizeof number, "%d", k);
            DrawLabel(dc, xs[i] + 2, r.top, number, false);
            k = next;
            next = after;
            after = k + next;
        }
    }
}

bool TLine::HitColumns(POINT p, bool fibonacci)
{
    const RECT &r = *PaneRect;
    int xs[2048];
    int n = Columns(fibonacci, xs, 2048);
    for (int i = 0; i < n; ++i)
        if (std::abs(p.x - xs[i]) < 3 && r.top <= p.y && p.y <= r.bottom)
            return true;
    return false;
}

void TLine::DrawText(HDC dc)
{
    if (!Text)
        return;
    SelectedObject font(dc, CreateLineFont(LineTextFontHeight));
    COLORREF oldColour = SetTextColor(dc, (Colour ^ ThemeColor(0)) & 0xFFFFFF);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, Anchors[0].x, Anchors[0].y, Text, int(std::strlen(Text)));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

void TLine::DrawArrow(HDC dc, bool up)
{
    int x0 = Anchors[0].x, y0 = Anchors[0].y, s = up ? 1 : -1;
    const POINT outline[8] = {{x0, y0 - 9 * s},     {x0 - 4, y0 - 5 * s}, {x0 - 2, y0 - 5 * s},
                              {x0 - 2, y0 + 3 * s}, {x0 + 2, y0 + 3 * s}, {x0 + 2, y0 - 5 * s},
                              {x0 + 4, y0 - 5 * s}, {x0, y0 - 9 * s}};
    int mode = SetROP2(dc, R2_COPYPEN);
    {
        SelectedObject pen(dc, CreatePen(PS_SOLID, 1, ThemeColor(up ? 2 : 1)));
        Polyline(dc, outline, 8);
    }
    SetROP2(dc, mode);
}

void TLine::DrawFigure(HDC dc, int &withHandles)
{
    if (Kind >= LK_TEXT || HasParent())
        withHandles = 0;
    const LineAnchor *P = Points;
    bool forward = Anchors[0].x <= Anchors[1 % AnchorCount].x;
    switch (Kind) {
    case LK_LINE:
    case LK_PARALLEL:
        DrawSolidAnchors(P[0], P[1], dc, 0);
        break;
    case LK_SEGMENT:
        if (!m_Hidden)
            DrawSolidAnchors(P[0], P[1], dc, 0);
        break;
    case LK_SINE: DrawSine(dc); break;
    case LK_GOLDEN: DrawLevels(dc, true); break;
    case LK_PERCENT: DrawLevels(dc, false); break;
    case LK_ARC: DrawArc(dc); break;
    case LK_BOX:
        DrawSolidAnchors(P[0], P[1], dc, 0);
        DrawSolidAnchors(P[1], P[2], dc, 0);
        DrawSolidAnchors(P[2], P[3], dc, 0);
        DrawSolidAnchors(P[0], P[3], dc, 0);
        break;
    case LK_GANN:
        if (!forward)
            break;
        for (int i = 0; i < 9; ++i)
            if (i == 4)
                DrawSolidAnchors(P[2 * i], P[2 * i + 1], dc, 0);
            else
                DrawDottedAnchors(P[2 * i], P[2 * i + 1], dc, 0);
        break;
    case LK_FIBONACCI: DrawColumns(dc, true); break;
    case LK_CYCLE: DrawColumns(dc, false); break;
    case LK_SPEED:
        if (!forward)
            break;
        DrawDottedAnchors(P[0], P[1], dc, 0);
        DrawDottedAnchors(P[2], P[3], dc, 0);
        DrawSolidAnchors(P[4], P[5], dc, 0);
        break;
    case LK_REGRESSION:
    case LK_CHANNEL:
        if (m_Hidden)
            break;
        DrawSolidAnchors(P[4], P[5], dc, 0);
        if (Kind == LK_REGRESSION) {
            DrawDottedAnchors(P[0], P[1], dc, 0);
            DrawDottedAnchors(P[2], P[3], dc, 0);
        } else {
            DrawSolidAnchors(P[0], P[1], dc, 0);
            DrawSolidAnchors(P[2], P[3], dc, 0);
            DrawDottedAnchors(P[5], P[7], dc, 0);
            DrawDottedAnchors(P[1], P[6], dc, 0);
            DrawDottedAnchors(P[3], P[8], dc, 0);
        }
        break;
    case LK_TEXT: DrawText(dc); break;
    case LK_UPARROW: DrawArrow(dc, true); break;
    case LK_DOWNARROW: DrawArrow(dc, false); break;
    default: break;
    }
}

bool TLine::HitFigure(POINT &p)
{
    const LineAnchor *P = Points;
    bool forward = Anchors[0].x <= Anchors[1 % AnchorCount].x;
    auto on = [&](int a, int b) { return NearSegment(p, Pt(P[a]), Pt(P[b])); };
    switch (Kind) {
    case LK_LINE:
    case LK_PARALLEL:
        return on(0, 1);
    case LK_SEGMENT:
        return !m_Hidden && on(0, 1);
    case LK_SINE: return HitSine(p);
    case LK_GOLDEN:
    case LK_PERCENT:
        for (int i = 0; i < (Kind == LK_GOLDEN ? 7 : 11); ++i)
            if (on(2 * i, 2 * i + 1))
                return true;
        return false;
    case LK_ARC: return HitArc(p);
    case LK_BOX: return on(0, 1) || on(1, 2) || on(2, 3) || on(0, 3);
    case LK_GANN:
    case LK_SPEED:
        if (!forward)
            return false;
        for (int i = 1; i < PointCount; i += 2)
            if (on(0, i))
                return true;
        return false;
    case LK_FIBONACCI: return HitColumns(p, true);
    case LK_CYCLE: return HitColumns(p, false);
    case LK_REGRESSION: return forward && !m_Hidden && (on(4, 5) || on(0, 1) || on(2, 3));
    case LK_CHANNEL: return forward && !m_Hidden && (on(4, 7) || on(0, 6) || on(2, 8));
    default: return false;
    }
}
