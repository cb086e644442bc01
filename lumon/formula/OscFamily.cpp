#include "lumon/formula/OscFamily.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// The highest high and lowest low of records from..to (integer prices).
void WindowExtremes(const KLineRecord *r, int from, int to, double &hh, double &ll)
{
    hh = r[from].High;
    ll = r[from].Low;
    for (int k = from + 1; k <= to; ++k) {
        hh = std::max(hh, double(r[k].High));
        ll = std::min(ll, double(r[k].Low));
    }
}

// The mean of src[i - n .. i - 1].
float MeanBefore(const float *src, int i, int n)
{
    float sum = 0;
    for (int k = 1; k <= n; ++k)
        sum += src[i - k];
    return sum / float(n);
}

} // namespace

TStochastic::TStochastic(StockId stock, int id, int lines, bool williams, int maxWindow, int maxSmoothing)
    : TFamilyIndex(stock, id, lines), m_Williams(williams), m_MaxWindow(maxWindow), m_MaxSmoothing(maxSmoothing)
{
}

LW_R::LW_R(StockId stock) : TStochastic(stock, 85, 2, true, INT_MAX, INT_MAX) {}

bool TStochastic::Compute()
{
    const int32_t *p = BeginComputeShowingAll(*this);
    if (!p)
        return false;
    const int n = p[0], a = p[1], b = p[2];
    if (RecordCount == 0 || n < 1 || n > m_MaxWindow || a < 2 || a > m_MaxSmoothing || b < 2 ||
        b > m_MaxSmoothing)
        return false;
    const KLineRecord *r = PriceRecords();
    // The extremes are kept with their records and the window rescanned only
    // when one of them leaves it.
    int hhAt = 0, llAt = 0;
    for (int i = 1; i < RecordCount; ++i) {
        int from = std::max(0, i - n + 1);
        if (hhAt < from || llAt < from || i == 1) {
            hhAt = llAt = from;
            for (int k = from + 1; k <= i; ++k) {
                if (r[k].High > r[hhAt].High)
                    hhAt = k;
                if (r[k].Low < r[llAt].Low)
                    llAt = k;
            }
        } else {
            if (r[i].High > r[hhAt].High)
                hhAt = i;
            if (r[i].Low < r[llAt].Low)
                llAt = i;
        }
        double hh = r[hhAt].High, ll = r[llAt].Low, c = r[i].Close;
        float raw = 1.0f;
        if (hh - ll >= 1e-10)
            raw = float((m_Williams ? hh - c : c - ll) * 100 / (hh - ll));
        float k = float(((a - 1) * (i == 1 ? 50.0f : Lines[0][i - 1]) + raw) / a);
        Lines[0][i] = k;
        if (i >= 2) {
            float d = float(((b - 1) * (i == 2 ? 50.0f : Lines[1][i - 1]) + k) / b);
            Lines[1][i] = d;
            if (LineCount > 2)
                Lines[2][i] = 3 * k - 2 * d;
        }
    }
    Computed = 1;
    return true;
}

SLOWKD::SLOWKD(StockId stock) : TFamilyIndex(stock, 88, 2) {}

bool SLOWKD::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {20.0f, 50.0f, 80.0f});
    const int n = p[0], m = p[1];
    const bool shown = n != 0 && m != 0;
    ShowLines(*this, LineCount, shown);
    if (shown && LineCount >= 2) {
        std::memcpy(Definition.LineNames[0], "K", 2);
        std::memcpy(Definition.LineNames[1], "D", 2);
    }
    FillLinesNone();
    if (RecordCount == 0 || n < 2 || !HasWork(1))
        return false;
    const KLineRecord *r = PriceRecords();
    float *s = WorkA[0], *k = Lines[0];
    if (n - 2 < RecordCount)
        s[n - 2] = k[n - 2] = 50;
    for (int64_t i = int64_t(n) - 1; i < RecordCount; ++i) {
        double hh, ll;
        WindowExtremes(r, int(i - n + 1), int(i), hh, ll);
        if (hh == ll)
            s[i] = s[i - 1];
        else
            s[i] = float(2.0f / 3 * s[i - 1] + 1.0f / 3 * float(100 * (double(r[i].Close) - ll) / (hh - ll)));
        k[i] = 1.0f / 3 * s[i] + 2.0f / 3 * k[i - 1];
    }
    MovingAverage(Lines[1], k, RecordCount, m, n);
    Computed = 1;
    return true;
}

MTM::MTM(StockId stock) : TFamilyIndex(stock, 46, 2) {}

bool MTM::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    for (int k = 0; k < LineCount; ++k) {
        Styles[k].Style = p[k] >= 0 ? StyleLine : StyleNone;
        Styles[k].TitleParam = float(p[k]);
    }
    const int n = p[0], m = p[1];
    if (RecordCount == 0 || n < 1 || m < 1) {
        FillLinesNone();
        return false;
    }
    // Line 0 has none before bar n; the average writes its whole line.
    std::fill(Lines[0], Lines[0] + std::min(n, RecordCount), NoValue);
    // In event mode the earlier close is carried to the footing of the events
    // that the current record has reached, so an event makes no jump.
    if (EventMode()) {
        for (int i = n; i < RecordCount; ++i) {
            uint32_t before = RecordOnBasis(*this, i - n, LatestEventAt(*this, i)).Close;
            Lines[0][i] = Value(Records[i].Close) - Value(before);
        }
    } else if (WorkA[0] && int64_t(n) + CacheStretch <= WorkCapacity) {
        // A stretch at a time: its closes (and the n before them) scaled into
        // the start of the work area, differenced, and averaged while the
        // stretch is still in the cache.
        float *c = WorkA[0], *line = Lines[0], *average = Lines[1];
        const int64_t first = int64_t(n) + m - 1;
        std::fill(average, average + std::min<int64_t>(first, RecordCount), NoValue);
        for (int b = 0; b < RecordCount; b += CacheStretch) {
            const int e = std::min(RecordCount, b + CacheStretch), lo = std::max(0, b - n);
            ScaledSeries<&KLineRecord::Close>(c, Records + lo, e - lo, PriceDivisor);
            for (int i = std::max(b, n); i < e; ++i)
                line[i] = c[i - lo] - c[i - n - lo];
            const int64_t from = std::max<int64_t>(b, first);
            if (from < e)
                MovingAverageSpan(average + from, line + from, e - from, m);
        }
        Computed = 1;
        return true;
    } else {
        for (int i = n; i < RecordCount; ++i)
            Lines[0][i] = Value(Records[i].Close) - Value(Records[i - n].Close);
    }
    MovingAverage(Lines[1], Lines[0], RecordCount, m, n);
    Computed = 1;
    return true;
}

MI::MI(StockId stock) : TFamilyIndex(stock, 201, 2) {}

bool MI::Compute()
{
    const int32_t *p = BeginComputeShowingAll(*this);
    if (!p)
        return false;
    const int n = p[0];
    if (RecordCount == 0 || n < 2)
        return false;
    const KLineRecord *r = PriceRecords();
    float *a = Lines[0], *mi = Lines[1];
    for (int i = n; i < RecordCount; ++i)
        a[i] = Value(r[i].Close) - Value(r[i - n].Close);
    for (int64_t i = int64_t(n) + 1; i < RecordCount; ++i)
        mi[i] = (float(n - 1) * (i == n + 1 ? a[n] : mi[i - 1]) + a[i]) / float(n);
    Computed = 1;
    return true;
}

RCCD::RCCD(StockId stock) : TFamilyIndex(stock, 202, 2) {}

bool RCCD::Compute()
{
    const int32_t *p = BeginComputeShowingAll(*this);
    if (!p)
        return false;
    const int n = p[0], p1 = p[1], p2 = p[2];
    if (RecordCount == 0 || n < 2 || p1 < 2 || p2 < 2 || !HasWork(2))
        return false;
    if (n > RecordCount) {
        Computed = 1;
        return true;
    }
    const KLineRecord *r = PriceRecords();
    float *ratio = WorkA[0], *s = WorkA[1];
    ratio[n - 1] = 0;
    for (int i = n; i < RecordCount; ++i) {
        // A zero earlier close gives no ratio: the previous one is kept.
        uint32_t before = r[i - n].Close;
        ratio[i] = before ? float(double(r[i].Close) / double(before)) : ratio[i - 1];
    }
    if (n < RecordCount)
        s[n] = ratio[n - 1];
    for (int i = n + 1; i < RecordCount; ++i)
        s[i] = (float(n - 1) * s[i - 1] + ratio[i - 1]) / float(n);
    const int64_t q = int64_t(std::max(p1, p2)) + 2 * int64_t(n);
    float *dif = Lines[0], *line1 = Lines[1];
    for (int64_t i = q + 1; i < RecordCount; ++i)
        dif[i] = MeanBefore(s, int(i), p1) - MeanBefore(s, int(i), p2);
    for (int64_t i = q + 2; i < RecordCount; ++i)
        line1[i] = (float(n - 1) * (i == q + 2 ? dif[i - 1] : line1[i - 1]) + dif[i]) / float(n);
    Computed = 1;
    return true;
}

B3612::B3612(StockId stock) : TFamilyIndex(stock, 82, 2) {}

bool B3612::Compute()
{
    if (!BeginComputeShowingAll(*this))
        return false;
    if (RecordCount < 13 || !HasWork(4))
        return false;
    const KLineRecord *r = PriceRecords();
    float *c = WorkA[0], *m3 = WorkA[1], *m6 = WorkA[2], *m12 = WorkA[3];
    for (int i = 0; i < RecordCount; ++i)
        c[i] = Value(r[i].Close);
    MovingAverage(m3, c, RecordCount, 3, 0);
    MovingAverage(m6, c, RecordCount, 6, 0);
    MovingAverage(m12, c, RecordCount, 12, 0);
    for (int i = 5; i < RecordCount; ++i)
        Lines[0][i] = m3[i] - m6[i];
    for (int i = 11; i < RecordCount; ++i)
        Lines[1][i] = m6[i] - m12[i];
    Computed = 1;
    return true;
}

VRSI::VRSI(StockId stock) : TFamilyIndex(stock, 89, 1) {}

bool VRSI::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    Styles[0].Style = n != 0 ? StyleLine : StyleNone;
    Styles[0].TitleParam = float(n);
    float *change = WorkA[0];
    if (RecordCount == 0 || n < 1 || n > 100 || n >= RecordCount || !change || RecordCount > WorkCapacity)
        FillLinesNone();
    if (RecordCount == 0 || n < 1 || n > 100)
        return false;
    if (n < RecordCount) {
        if (!change || RecordCount > WorkCapacity)
            return false;
        // The smoothing writes every bar from n on.
        std::fill(Lines[0], Lines[0] + n, NoValue);
        change[0] = 0;
        for (int i = 1; i < RecordCount; ++i)
            change[i] = Records[i].Volume - Records[i - 1].Volume;
        // Wilder's smoothing of the volume's rises and falls, as RSI's of the close.
        float *line = Lines[0];
        RsiLines<1>(change, RecordCount, &n, &line);
    }
    Computed = 1;
    return true;
}
