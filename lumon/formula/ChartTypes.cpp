#include "lumon/formula/ChartTypes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lumon/formula/IndexSupport.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

// The horizontal layout the three chart types share.
void LayoutHorizontally(TIndex &index)
{
    double pitch = std::max(double(index.BarWidth) + index.BarGap, 0.1);
    index.Capacity = std::max(TruncToInt((index.PlotRect.right - index.PlotRect.left) / pitch), 0);
    if (index.ScrollToEnd) {
        index.ScrollToEnd = 0;
        index.FirstVisible = std::max(index.RecordCount - index.Capacity, 0);
    }
    index.FirstVisible = std::clamp(index.FirstVisible, 0, std::max(index.RecordCount - 1, 0));
    index.VisibleCount = std::max(std::min(index.Capacity, index.RecordCount - index.FirstVisible), 0);
    index.BarPitch = pitch;
    index.BaseValue = 0;
}

// One step of the three-line break for a close c that moved on from the
// previous one: `lead` is the line on the side of the move (the top for a rise),
// `trail` the one on the other side; `same` and `opposite` tell whether the
// previous move went the same or the other way; beyond(a, b) whether a lies
// further in the direction of the move than b.
template <class Beyond>
void BreakStep(int64_t &lead, int64_t &mid, int64_t &trail, int64_t c, bool same, bool opposite, Beyond beyond)
{
    if (mid == trail) {
        if (mid == lead || same) {
            trail = lead;
            mid = lead;
            lead = c;
        } else if (opposite) {
            lead = c;
        }
    } else if (mid == lead) {
        const int64_t old = lead;
        lead = c;
        if (!beyond(c, old))
            mid = c;
    } else if (same) {
        trail = lead;
        mid = lead;
        lead = c;
    } else if (opposite) {
        lead = c;
        if (beyond(mid, c))
            mid = c;
    }
}

// 4 x 4 squares in theme colour 12 on the selected figure, at least 40 pixels
// apart.
class Squares {
public:
    Squares(HDC hdc, bool on) : m_Hdc(hdc), m_On(on) {}
    void At(int x, int y)
    {
        if (!m_On || x - m_Last < 40)
            return;
        SelectedObject pen(m_Hdc, CreatePen(PS_SOLID, 1, ThemeColor(12)));
        SelectedObject brush(m_Hdc, CreateSolidBrush(ThemeColor(12)));
        Rectangle(m_Hdc, x - 2, y - 2, x + 2, y + 2);
        m_Last = x;
    }

private:
    HDC m_Hdc;
    bool m_On;
    int m_Last = -1000000;
};

bool NearSegment(int x, int y, int x0, int y0, int x1, int y1)
{
    if (x < std::min(x0, x1) - 2 || x > std::max(x0, x1) + 2 || y < std::min(y0, y1) - 2 ||
        y > std::max(y0, y1) + 2)
        return false;
    if (std::abs(y1 - y0) > std::abs(x1 - x0)) {
        double at = x0 + double(x1 - x0) * (y - y0) / (y1 - y0);
        return std::fabs(x - at) <= 2;
    }
    double at = x1 == x0 ? y0 : y0 + double(y1 - y0) * (x - x0) / (x1 - x0);
    return std::fabs(y - at) <= 2;
}

} // namespace

SAR::SAR(StockId stock) : TFamilyIndex(stock, 47, 1, true) {}

bool SAR::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    Styles[0].Style = n >= 1 ? StyleLine : StyleNone;
    FillLinesNone();
    // The stop for the bar after the last one is kept behind the records.
    const bool next = RecordCount < LineCapacity;
    if (next && Lines[0])
        Lines[0][RecordCount] = NoValue;
    if (RecordCount == 0 || n < 1)
        return false;
    float *sar = Lines[0];
    int state = 0, steps = 1;
    for (int64_t i = int64_t(n) - 1; i < RecordCount; ++i) {
        const int reached = LatestEventAt(*this, int(i));
        double hh = 0, ll = 0;
        for (int64_t k = i - n + 1; k <= i; ++k) {
            KLineRecord r = RecordOnBasis(*this, int(k), reached);
            hh = k == i - n + 1 ? r.High : std::max(hh, double(r.High));
            ll = k == i - n + 1 ? r.Low : std::min(ll, double(r.Low));
        }
        hh /= PriceDivisor;
        ll /= PriceDivisor;
        const KLineRecord now = Records[i];
        const KLineRecord before = i > 0 ? RecordOnBasis(*this, int(i - 1), reached) : now;
        const float close = Value(now.Close);
        const bool write = i + 1 < RecordCount || next;
        // The acceleration factor counts steps of 0.02 up to 0.2.
        switch (state) {
        case 0:
            sar[i] = float(ll);
            steps = 1;
            if (write)
                sar[i + 1] = float(sar[i] + (hh - sar[i]) * 0.02);
            state = 1;
            break;
        case 1:
            if (close < sar[i]) {
                state = 2;
                break;
            }
            if (now.High > before.High && steps < 10)
                ++steps;
            if (write)
                sar[i + 1] = float(sar[i] + (hh - sar[i]) * 0.02 * steps);
            break;
        case 2:
            sar[i] = float(hh);
            steps = 1;
            if (write)
                sar[i + 1] = float(sar[i] + (ll - sar[i]) * 0.02);
            state = 3;
            break;
        default:
            if (sar[i] < close) {
                state = 0;
                break;
            }
            if (now.Low < before.Low && steps < 10)
                ++steps;
            if (write)
                sar[i + 1] = float(sar[i] + (ll - sar[i]) * 0.02 * steps);
            break;
        }
    }
    if (next && (sar[RecordCount] == 0 || IsOutOfRangeValue(sar[RecordCount])))
        sar[RecordCount] = sar[RecordCount - 1];
    Computed = 1;
    return true;
}

void SAR::Layout()
{
    LayoutHorizontally(*this);
    float max = 0, min = 0;
    const int end = FirstVisible + VisibleCount;
    if (PriceScale) {
        VisiblePriceRange(max, min);
    } else {
        bool first = true;
        for (int k = 0; k < LineCount; ++k) {
            if (Styles[k].Style == StyleNone || !Lines[k])
                continue;
            if (Styles[k].Style == StyleBar || Styles[k].Style == StyleTBar) {
                max = first ? BaseValue : std::max(max, BaseValue);
                min = first ? BaseValue : std::min(min, BaseValue);
                first = false;
            }
            for (int i = FirstVisible; i <= end && i <= RecordCount && i < LineCapacity; ++i) {
                float v = Lines[k][i];
                if (IsOutOfRangeValue(v))
                    continue;
                max = first ? v : std::max(max, v);
                min = first ? v : std::min(min, v);
                first = false;
            }
        }
    }
    SetValueRange(*this, max, min);
}

void SAR::DrawDots(HDC hdc, int line)
{
    if (line < 0 || line >= LineCount || !Lines[line] || !Records || RecordCount < 1)
        return;
    const int r = std::min(TruncToInt(std::max(BarWidth / 2.0, 1.0)), 3);
    SelectedObject brush(hdc, CreateSolidBrush(ThemeColor(0)));
    Squares squares(hdc, Selection & 1);
    const int shown = std::min(VisibleCount + 1, Capacity);
    for (int k = 0; k < shown; ++k) {
        const int i = FirstVisible + k;
        if (i > RecordCount || i >= LineCapacity)
            break;
        const float v = Lines[line][i];
        if (IsOutOfRangeValue(v))
            continue;
        const float close = Value(Records[std::min(i, RecordCount - 1)].Close);
        SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(v > close ? 1 : 2)));
        const int x = RecordCentreX(i), y = ValueToY(v);
        Ellipse(hdc, x - r, y - r, x + r, y + r);
        squares.At(x, y);
    }
}

bool SAR::Draw(HDC hdc, const RECT *rect)
{
    if (!BeginOwnDraw(*this, hdc, rect))
        return false;
    DrawOhlcBars(hdc, rect, true);
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawDots(hdc, k);
    // The stop of the next bar stands right of the last one.
    VisibleCount += 30;
    return true;
}

TWR::TWR(StockId stock) : TFamilyIndex(stock, 6, 6) {}

bool TWR::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ShowLines(*this, LineCount, false);
    Styles[0].Style = StyleLine;
    if (LineCount > 5)
        Styles[5].Style = p[0] != 0 ? StyleLine : StyleNone;
    FillLinesNone();
    if (RecordCount == 0 || LineCount < 6 || !HasWork(1))
        return false;
    const KLineRecord *r = PriceRecords();
    int64_t top = r[0].Close, mid = top, bottom = top;
    enum { Flat, Up, Down } direction = Flat;
    for (int i = 0; i < RecordCount; ++i) {
        const int64_t c = r[i].Close;
        const int64_t d = i == 0 ? 0 : c - int64_t(r[i - 1].Close);
        if (i > 0 && d > 0) {
            BreakStep(top, mid, bottom, c, direction == Up, direction == Down,
                      [](int64_t a, int64_t b) { return a > b; });
            direction = Up;
        } else if (i > 0 && d < 0) {
            BreakStep(bottom, mid, top, c, direction == Down, direction == Up,
                      [](int64_t a, int64_t b) { return a < b; });
            direction = Down;
        } else if (i > 0) {
            top = mid = bottom = c;
        }
        Lines[0][i] = float(top) / PriceDivisor;
        Lines[1][i] = float(mid) / PriceDivisor;
        Lines[2][i] = float(bottom) / PriceDivisor;
    }
    if (p[0] > 0) {
        for (int i = 0; i < RecordCount; ++i)
            WorkA[0][i] = Value(r[i].Close);
        MovingAverage(Lines[5], WorkA[0], RecordCount, p[0], 1);
    }
    Computed = 1;
    return true;
}

void TWR::Layout()
{
    LayoutHorizontally(*this);
    float max = 0, min = 0;
    const int end = FirstVisible + VisibleCount;
    if (VisibleCount > 0) {
        max = LineValue(0, FirstVisible);
        min = LineValue(2, FirstVisible);
        for (int i = FirstVisible; i < end; ++i) {
            float top = LineValue(0, i), bottom = LineValue(2, i);
            if (!IsOutOfRangeValue(top))
                max = IsOutOfRangeValue(max) ? top : std::max(max, top);
            if (!IsOutOfRangeValue(bottom))
                min = IsOutOfRangeValue(min) ? bottom : std::min(min, bottom);
        }
        if (Styles[0].Style == StyleBar || Styles[0].Style == StyleTBar)
            min = std::min(min, BaseValue);
    }
    if (max < min)
        max = min = 0;
    SetValueRange(*this, max, min);
}

void TWR::DrawTowers(HDC hdc)
{
    const int half = TruncToInt(BarWidth / 2);
    Squares squares(hdc, Selection & 1);
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        const float t = LineValue(0, i), m = LineValue(1, i), b = LineValue(2, i);
        if (IsOutOfRangeValue(t) || IsOutOfRangeValue(m) || IsOutOfRangeValue(b))
            continue;
        const int x = RecordCentreX(i);
        const int left = std::max(x - half, int(PlotRect.left)), right = x + half + 1;
        const int yt = ValueToY(t), ym = ValueToY(m), yb = ValueToY(b);
        if (t == m && m == b) {
            const bool solid = i == 0 || !(t > LineValue(2, i - 1));
            SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(solid ? 1 : 2)));
            MoveToEx(hdc, left, yt, nullptr);
            LineTo(hdc, right, yt);
        }
        if (m < t) {
            SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(2)));
            SelectedObject brush(hdc, CreateSolidBrush(ThemeColor(0)));
            Rectangle(hdc, left, yt, right, ym + 1);
        }
        if (b < m) {
            SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(1)));
            SelectedObject brush(hdc, CreateSolidBrush(ThemeColor(1)));
            Rectangle(hdc, left, ym, right, yb + 1);
        }
        squares.At(x, yt);
    }
}

bool TWR::Draw(HDC hdc, const RECT *rect)
{
    if (!BeginOwnDraw(*this, hdc, rect))
        return false;
    DrawTowers(hdc);
    const int32_t *p = CurrentParams();
    if (p && p[0] > 0)
        for (int k = 1; k < LineCount; ++k)
            DrawLineStyle(hdc, rect, k, 0);
    return true;
}

int TWR::HitTest(int x, int y)
{
    if (TIndex::HitTest(x, y) == HitNameBox)
        return HitNameBox;
    if (!Computed || !Records)
        return HitNothing;
    const int end = FirstVisible + VisibleCount;
    if (LineCount > 5 && Styles[5].Style == StyleLine) {
        for (int i = FirstVisible + 1; i < end; ++i) {
            float a = LineValue(5, i - 1), b = LineValue(5, i);
            if (!IsOutOfRangeValue(a) && !IsOutOfRangeValue(b) &&
                NearSegment(x, y, RecordCentreX(i - 1), ValueToY(a), RecordCentreX(i), ValueToY(b)))
                return HitLine;
        }
    }
    const int half = TruncToInt(BarWidth / 2);
    for (int i = FirstVisible; i < end; ++i) {
        const float t = LineValue(0, i), b = LineValue(2, i);
        if (IsOutOfRangeValue(t) || IsOutOfRangeValue(b))
            continue;
        const int cx = RecordCentreX(i), yt = ValueToY(t), yb = ValueToY(b);
        if (t == b) {
            if (x >= cx - half && x <= cx + half + 1 && std::abs(y - yt) <= 1)
                return HitLine;
        } else if (x >= cx - half - 1 && x <= cx + half + 2 && y >= yt - 2 && y <= yb + 2) {
            return HitLine;
        }
    }
    return HitNothing;
}

OX::OX(StockId stock) : TFamilyIndex(stock, 7, 1) {}

bool OX::Compute()
{
    if (!BeginCompute(*this))
        return false;
    if (LineCount >= 1)
        std::memcpy(Definition.LineNames[0], "OX", 3);
    Styles[0].Style = StyleLine;
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    PriceRecords();
    Computed = 1;
    return true;
}

std::vector<OX::Column> OX::BuildColumns()
{
    std::vector<Column> columns;
    const int32_t *p = CurrentParams();
    if (!Records || RecordCount < 4 || !p)
        return columns;
    const KLineRecord *r = PriceRecords();
    const double t = 30.0 * p[0];
    for (int i = 3; i < RecordCount; ++i) {
        const double h = r[i].High, l = r[i].Low;
        if (columns.empty()) {
            if (!(r[i - 3].High < r[i - 2].High && r[i - 2].High < r[i - 1].High && r[i - 1].High < r[i].High))
                continue;
            const double before = r[i - 1].Close;
            if (h - before > t)
                columns.push_back({i, true, before, h});
            else if (h < before)
                columns.push_back({i, false, before, l});
            continue;
        }
        Column &c = columns.back();
        if (c.Rising && h < r[i - 1].High && double(r[i - 1].High) - l > t) {
            columns.push_back({i, false, double(r[i - 1].High), l});
        } else if (!c.Rising && l > r[i - 1].Low && h - double(r[i - 1].Low) > t) {
            columns.push_back({i, true, double(r[i - 1].Low), h});
        } else if (c.Rising) {
            c.Extreme = std::max(c.Extreme, h);
        } else {
            c.Extreme = std::min(c.Extreme, l);
        }
    }
    return columns;
}

void OX::Layout()
{
    LayoutHorizontally(*this);
    std::vector<Column> columns = BuildColumns();
    ColumnCount = int(columns.size());
    Started = ColumnCount > 0;
    const int first = std::max(ColumnCount - VisibleCount, 0);
    FirstDrawnRecord = first < ColumnCount ? columns[size_t(first)].FirstRecord : RecordCount;
    float max = 0, min = 0;
    const int end = FirstVisible + VisibleCount;
    if (Records && FirstDrawnRecord < end) {
        double hi = Records[FirstDrawnRecord].High, lo = Records[FirstDrawnRecord].Low;
        for (int i = FirstDrawnRecord; i < end; ++i) {
            hi = std::max(hi, double(Records[i].High));
            lo = std::min(lo, double(Records[i].Low));
        }
        max = float(hi / PriceDivisor);
        min = float(lo / PriceDivisor);
    }
    if (max < min)
        max = min = 0;
    SetValueRange(*this, max, min);
}

template <typename F>
void OX::ForEachMark(F &&visit)
{
    std::vector<Column> columns = BuildColumns();
    const double q = std::max(BarPitch / 4, 1.0);
    double x = PlotRect.left + q + BarGap;
    for (const Column &c : columns) {
        if (c.FirstRecord < FirstDrawnRecord)
            continue;
        const int y0 = ValueToY(c.Start / PriceDivisor), y1 = ValueToY(c.Extreme / PriceDivisor);
        const int step = std::max(TruncToInt(2 * q), 1);
        const int marks = std::min(std::abs(y1 - y0) / step + 1, 4096);
        for (int k = 0; k < marks; ++k)
            visit(TruncToInt(x), y0 + (y1 < y0 ? -k : k) * step, c.Rising, TruncToInt(q));
        x += BarPitch;
    }
}

void OX::DrawColumns(HDC hdc)
{
    Squares squares(hdc, Selection & 1);
    SelectedObject brush(hdc, CreateSolidBrush(ThemeColor(0)));
    ForEachMark([&](int x, int y, bool cross, int q) {
        if (cross) {
            SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(2)));
            MoveToEx(hdc, x - q, y - q, nullptr);
            LineTo(hdc, x + q, y + q);
            MoveToEx(hdc, x - q, y + q, nullptr);
            LineTo(hdc, x + q, y - q);
        } else {
            SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(1)));
            Ellipse(hdc, x - q, y - q, x + q, y + q);
        }
        squares.At(x, y);
    });
}

bool OX::Draw(HDC hdc, const RECT *rect)
{
    if (!BeginOwnDraw(*this, hdc, rect))
        return false;
    DrawColumns(hdc);
    return true;
}

int OX::HitTest(int x, int y)
{
    if (TIndex::HitTest(x, y) == HitNameBox)
        return HitNameBox;
    if (!Computed || !Records)
        return HitNothing;
    bool hit = false;
    ForEachMark([&](int mx, int my, bool, int q) {
        if (std::abs(x - mx) <= q / 2 + 1 + q && std::abs(y - my) <= q / 2 + 1 + q)
            hit = true;
    });
    return hit ? HitLine : HitNothing;
}
