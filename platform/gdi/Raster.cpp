#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cstdlib>

namespace win {

RasterTarget::RasterTarget(QImage &image, const std::vector<QRect> &clip)
    : bits_(image.bits()), stride_(image.bytesPerLine()), clip_(clip)
{
    for (const QRect &r : clip_)
        bounds_ |= r;
}

namespace {

// QRect::contains without the call: a test made for every pixel of a line.
inline bool Holds(const QRect &r, int x, int y)
{
    return x >= r.left() && x <= r.right() && y >= r.top() && y <= r.bottom();
}

} // namespace

bool RasterTarget::Visible(int x, int y) const
{
    if (!Holds(bounds_, x, y))
        return false;
    for (const QRect &r : clip_) {
        if (Holds(r, x, y))
            return true;
    }
    return false;
}

bool RasterTarget::Covers(const QRect &box) const
{
    for (const QRect &r : clip_) {
        if (Holds(r, box.left(), box.top()) && Holds(r, box.right(), box.bottom()))
            return true;
    }
    return false;
}

namespace {

void MixRun(uint32_t *p, int n, uint32_t color, int rop2)
{
    switch (rop2) {
    case R2_COPYPEN:
        std::fill_n(p, n, color);
        break;
    case R2_XORPEN:
        color &= 0x00FFFFFFu;
        for (int i = 0; i < n; ++i)
            p[i] ^= color;
        break;
    case R2_NOT:
        for (int i = 0; i < n; ++i)
            p[i] = ~p[i] | 0xFF000000u;
        break;
    case R2_NOP:
        break;
    default:
        for (int i = 0; i < n; ++i)
            p[i] = MixRop2(color, p[i], rop2);
        break;
    }
}

} // namespace

void RasterTarget::Span(int y, int x0, int x1, uint32_t color, int rop2)
{
    if (x0 >= x1)
        return;
    touched |= QRect(x0, y, x1 - x0, 1);
    if (y < bounds_.top() || y > bounds_.bottom())
        return;
    uint32_t *row = Row(y);
    for (const QRect &r : clip_) {
        if (y < r.top() || y > r.bottom())
            continue;
        int a = std::max(x0, r.left());
        int b = std::min(x1, r.right() + 1);
        if (a < b)
            MixRun(row + a, b - a, color, rop2);
    }
}

void RasterTarget::Plot(int x, int y, uint32_t color, int rop2)
{
    if (!Visible(x, y))
        return;
    uint32_t &p = Row(y)[x];
    p = MixRop2(color, p, rop2);
}

void RasterTarget::Fill(const QRect &rect, uint32_t color, int rop2)
{
    if (rect.isEmpty())
        return;
    touched |= rect;
    for (const QRect &r : clip_) {
        QRect part = r & rect;
        if (part.isEmpty())
            continue;
        for (int y = part.top(); y <= part.bottom(); ++y)
            MixRun(Row(y) + part.left(), part.width(), color, rop2);
    }
}

const std::vector<int> &DashPattern(int style)
{
    // Runs in pixels, as Windows draws its styled one-pixel pens on screen.
    static const std::vector<int> solid;
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PS_DASH:
        return dash;
    case PS_DOT:
        return dot;
    case PS_DASHDOT:
        return dashDot;
    case PS_DASHDOTDOT:
        return dashDotDot;
    default:
        return solid;
    }
}

namespace {

// Whether position `phase` of the pattern is an "on" pixel.
bool PatternOn(const std::vector<int> &pattern, int total, int phase)
{
    int pos = phase % total;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pos < pattern[i])
            return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

} // namespace

namespace {

// Calls visit(x, y, i) for the pixels i of the line from a to b, leaving out b,
// whose coordinate along the line's faster direction lies within `limit`; the
// others are skipped without being walked. The slower coordinate is rounded half
// up from the exact line at each step.
template <typename Visit>
void WalkLine(QPoint a, QPoint b, const QRect &limit, Visit visit)
{
    long long dx = (long long)b.x() - a.x();
    long long dy = (long long)b.y() - a.y();
    long long adx = dx < 0 ? -dx : dx;
    long long ady = dy < 0 ? -dy : dy;
    int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    bool xMajor = adx >= ady;
    long long major = xMajor ? adx : ady;
    long long minor = xMajor ? ady : adx;
    if (major == 0 || limit.isEmpty())
        return;
    long long first = 0;
    long long last = major - 1;
    long long start = xMajor ? a.x() : a.y();
    int step = xMajor ? sx : sy;
    int low = xMajor ? limit.left() : limit.top();
    int high = xMajor ? limit.right() : limit.bottom();
    if (step > 0) {
        first = std::max(first, low - start);
        last = std::min(last, high - start);
    } else {
        first = std::max(first, start - high);
        last = std::min(last, start - low);
    }
    if (first > last)
        return;
    long long total = major + 2 * first * minor;
    long long offset = total / (2 * major);
    long long acc = total % (2 * major);
    for (long long i = first; i <= last; ++i) {
        long long x = xMajor ? a.x() + sx * i : a.x() + sx * offset;
        long long y = xMajor ? a.y() + sy * offset : a.y() + sy * i;
        visit(int(x), int(y), i);
        acc += 2 * minor;
        if (acc >= 2 * major) {
            acc -= 2 * major;
            ++offset;
        }
    }
}

// WalkLine for a line whose pixels all lie in the image: visit(pixel) for the
// pixels in order, a pointer stepped along the line, the rounding WalkLine's.
template <typename Visit>
void WalkInside(RasterTarget &target, QPoint a, QPoint b, Visit visit)
{
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int adx = std::abs(dx), ady = std::abs(dy);
    const qsizetype rowStep = target.RowPixels();
    const qsizetype stepX = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const qsizetype stepY = dy > 0 ? rowStep : (dy < 0 ? -rowStep : 0);
    const bool xMajor = adx >= ady;
    const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const qsizetype along = xMajor ? stepX : stepY, across = xMajor ? stepY : stepX;
    uint32_t *p = target.Row(a.y()) + a.x();
    long long acc = major;
    for (long long i = 0; i < major; ++i) {
        visit(*p);
        p += along;
        acc += 2 * minor;
        if (acc >= 2 * major) {
            acc -= 2 * major;
            p += across;
        }
    }
}

// The position in a pen's on/off runs, stepped one pixel at a time.
class PatternPosition {
public:
    PatternPosition(const std::vector<int> &runs, int total, int phase) : runs_(runs)
    {
        int pos = phase % total;
        while (run_ + 1 < runs_.size() && pos >= runs_[run_])
            pos -= runs_[run_++];
        left_ = runs_[run_] - pos;
    }
    bool On() const { return run_ % 2 == 0; }
    void Next()
    {
        if (--left_ > 0)
            return;
        run_ = run_ + 1 == runs_.size() ? 0 : run_ + 1;
        left_ = runs_[run_];
    }

private:
    const std::vector<int> &runs_;
    size_t run_ = 0;
    int left_ = 0;
};

} // namespace

void RasterLine(RasterTarget &target, QPoint a, QPoint b, const LinePen &pen, int &phase)
{
    long long n = std::max(std::llabs((long long)b.x() - a.x()), std::llabs((long long)b.y() - a.y()));
    if (n == 0)
        return;
    bool patterned = pen.pattern && !pen.pattern->empty();
    if (!patterned && a.y() == b.y()) {
        int x0 = b.x() > a.x() ? a.x() : b.x() + 1;
        target.Span(a.y(), x0, x0 + int(n), pen.color, pen.rop2);
        return;
    }
    const QRect box(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                    QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    target.touched |= box;
    int total = 0;
    if (patterned)
        for (int run : *pen.pattern)
            total += run;
    // A line inside one clip rectangle (most are) writes its pixels untested,
    // walking a pointer along.
    if (target.Covers(box)) {
        const uint32_t color = pen.color, gap = pen.gapColor;
        const int rop2 = pen.rop2;
        if (!patterned) {
            if (rop2 == R2_COPYPEN)
                WalkInside(target, a, b, [color](uint32_t &p) { p = color; });
            else
                WalkInside(target, a, b, [color, rop2](uint32_t &p) { p = MixRop2(color, p, rop2); });
            return;
        }
        PatternPosition at(*pen.pattern, total, phase);
        WalkInside(target, a, b, [&](uint32_t &p) {
            if (at.On())
                p = MixRop2(color, p, rop2);
            else if (pen.opaqueGaps)
                p = MixRop2(gap, p, rop2);
            at.Next();
        });
        phase = int((phase + (long long)n) % total);
        return;
    }
    if (!patterned) {
        WalkLine(a, b, target.Bounds(), [&](int x, int y, long long) { target.Plot(x, y, pen.color, pen.rop2); });
        return;
    }
    WalkLine(a, b, target.Bounds(), [&](int x, int y, long long i) {
        if (PatternOn(*pen.pattern, total, int((phase + i) % total)))
            target.Plot(x, y, pen.color, pen.rop2);
        else if (pen.opaqueGaps)
            target.Plot(x, y, pen.gapColor, pen.rop2);
    });
    phase = int((phase + (long long)n) % total);
}

void LinePixels(QPoint a, QPoint b, const QRect &limit, std::vector<QPoint> &pixels)
{
    WalkLine(a, b, limit, [&](int x, int y, long long) { pixels.push_back(QPoint(x, y)); });
}

} // namespace win
