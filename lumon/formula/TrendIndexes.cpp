#include "lumon/formula/TrendIndexes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lumon/formula/BuiltinSupport.h"

namespace {

// An exponential-average step with weight a.
inline float EmaStep(float x, float previous, float a)
{
    return (x - previous) * a + previous;
}

// M exponential averages of c from c[0], with weights a, side by side: each
// bar's M steps do not wait for each other.
template <int M>
void EmaLines(const float *c, int count, float *const *lines, const float *a)
{
    float prev[M];
    for (int k = 0; k < M; ++k)
        lines[k][0] = prev[k] = c[0];
    for (int i = 1; i < count; ++i) {
        const float x = c[i];
        for (int k = 0; k < M; ++k) {
            prev[k] = EmaStep(x, prev[k], a[k]);
            lines[k][i] = prev[k];
        }
    }
}

} // namespace

MACD::MACD(StockId stock) : TIndex(stock)
{
    Id = 45;
    LineCount = 3;
    Init();
}

bool MACD::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    if (p[0] == 0 || p[1] == 0) {
        Styles[0].Style = Styles[1].Style = Styles[2].Style = StyleNone;
    } else {
        Styles[0].Style = StyleLine;
        Styles[1].Style = p[2] ? StyleLine : StyleNone;
        Styles[2].Style = p[2] ? StyleTBar : StyleNone;
    }
    FillLinesNone();
    const int n0 = p[0], n1 = p[1], n2 = p[2];
    float *a = WorkA[0], *b = WorkA[1], *price = WorkA[2];
    if (RecordCount == 0 || n0 < 1 || n0 > 100 || n1 < 1 || n1 > 100 || n2 < 1 || n2 > 100 || n0 == n1 ||
        !a || !b || !price || RecordCount > WorkCapacity)
        return false;
    const KLineRecord *records = Records;
    if (EventMode()) {
        if (!AdjustRecordsToCopy(RecordCount, Weights, WeightCount))
            return false;
        records = RecordCopy;
    }
    const int count = RecordCount;
    const float divisor = PriceDivisor;
    for (int i = 0; i < count; ++i) {
        const KLineRecord &r = records[i];
        price[i] = float(double(uint64_t(r.High) + r.Low + 2 * uint64_t(r.Close))) / divisor * 0.25f;
        a[i] = b[i] = 0;
    }
    if (n1 - 1 < count) {
        float sum = 0;
        for (int i = 0; i < n1; ++i) {
            sum += price[i];
            if (i == n0 - 1)
                a[i] = sum / float(n0);
            else if (i == n1 - 1)
                b[i] = sum / float(n1);
        }
        const float ka = 2.0f / float(n0 + 1), kb = 2.0f / float(n1 + 1), kd = 2.0f / float(n2 + 1);
        // An average that is (near) zero starts again from the price. The two
        // averages step side by side, each from its own previous value.
        float pa = n0 - 1 < count ? a[n0 - 1] : 0.0f, pb = b[n1 - 1];
        auto stepA = [&](int i) {
            pa = IsNearZero(pa) ? price[i] : EmaStep(price[i], pa, ka);
            a[i] = pa;
        };
        auto stepB = [&](int i) {
            pb = IsNearZero(pb) ? price[i] : EmaStep(price[i], pb, kb);
            b[i] = pb;
        };
        int i = std::min(n0, n1);
        for (; i < std::max(n0, n1) && i < count; ++i)
            i >= n0 ? stepA(i) : stepB(i);
        for (; i < count; ++i) {
            stepA(i);
            stepB(i);
        }
        float *dif = Lines[0], *dea = Lines[1], *macd = Lines[2];
        float collected = 0;
        const int replaceAt = n1 + n2 - 2;
        // DEA's previous value kept at hand: none before the first DIF and
        // after a bar without one.
        float previous = NoValue;
        for (int i = n1 - 1; i < count; ++i) {
            if (IsNearZero(a[i]) || IsNearZero(b[i])) {
                previous = NoValue;
                continue;
            }
            // DIF is the short average minus the long one, whichever of p0 and
            // p1 is the shorter period.
            const float d = n0 < n1 ? a[i] - b[i] : b[i] - a[i];
            dif[i] = d;
            float e;
            if (i < replaceAt)
                collected += d;
            if (i == replaceAt) {
                collected += d;
                e = collected / float(n2);
            } else {
                e = previous == NoValue ? d : EmaStep(d, previous, kd);
            }
            dea[i] = previous = e;
            macd[i] = d - e;
        }
    }
    Computed = 1;
    return true;
}

bool MACD::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    for (int k = 0; k < 2; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, 0);
    if (Styles[2].Style != StyleNone)
        DrawTBarStyle(hdc, rect, 2, 0.0f, 0);
    return true;
}

bool DMA::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    Styles[0].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].Style = p[2] != 0 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[2]);
    FillLinesNone();
    const int n0 = p[0], n1 = p[1], n2 = p[2];
    float *w = WorkA[0], *m0 = WorkA[1], *m1 = WorkA[2];
    if (RecordCount == 0 || int64_t(n1) - 1 >= RecordCount || n0 < 1 || n0 >= n1 || !w || !m0 || !m1 ||
        RecordCount > WorkCapacity)
        return false;
    const KLineRecord *records = Records;
    if (EventMode()) {
        if (!AdjustRecordsToCopy(RecordCount, Weights, WeightCount))
            return false;
        records = RecordCopy;
    }
    const int count = RecordCount;
    for (int i = 0; i < count; ++i)
        w[i] = Scaled(*this, records[i].Close);
    MovingAverage(m0, w, count, n0, 0);
    MovingAverage(m1, w, count, n1, 0);
    for (int i = n1 - 1; i < count; ++i)
        Lines[0][i] = (m0[i] - m1[i]) / float(n0);
    if (n2 > 0)
        MovingAverage(Lines[1], Lines[0], count, n2, n1 - 1);
    Computed = 1;
    return true;
}

bool DMI1::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    ShowLines(*this, 4, n >= 1);
    FillLinesNone();
    if (RecordCount == 0 || n < 1 || n >= RecordCount)
        return false;
    const int count = RecordCount;
    const float fn = float(n), fn1 = float(n - 1);
    float sTR = 0, sP = 0, sM = 0, dxSum = 0;
    float *plus = Lines[0], *minus = Lines[1], *adx = Lines[2], *adxr = Lines[3];
    const int64_t adxFirst = 2 * int64_t(n) - 1, adxrFirst = 3 * int64_t(n) - 2;
    for (int i = 1; i < count; ++i) {
        const KLineRecord &r = Records[i];
        const KLineRecord prev = PreviousRecord(*this, i);
        const int64_t h = r.High, l = r.Low, pc = prev.Close;
        const int64_t tr = std::max({std::llabs(h - l), std::llabs(h - pc), std::llabs(pc - l)});
        const int64_t hd = h - int64_t(prev.High), ld = l - int64_t(prev.Low);
        // The larger of the high's rise and the low's fall counts, when it is
        // positive; a tie counts for neither.
        const int64_t up = hd, down = -ld;
        int64_t dp = 0, dm = 0;
        if (up > 0 && up > down)
            dp = up;
        else if (down > 0 && down > up)
            dm = down;
        if (i < n) {
            sTR += float(tr);
            sP += float(dp);
            sM += float(dm);
            continue;
        }
        if (i == n) {
            sTR /= fn;
            sP /= fn;
            sM /= fn;
        } else {
            sTR = float(tr) + fn1 * sTR / fn;
            sP = float(dp) + fn1 * sP / fn;
            sM = float(dm) + fn1 * sM / fn;
        }
        float pdi = 0, mdi = 0;
        if (sTR != 0) {
            pdi = sP / sTR * 100.0f;
            mdi = sM / sTR * 100.0f;
        }
        plus[i] = pdi;
        minus[i] = mdi;
        const float dx = pdi + mdi == 0 ? 0.0f : std::fabs(pdi - mdi) / (pdi + mdi) * 100.0f;
        if (i < adxFirst) {
            dxSum += dx;
        } else if (i == adxFirst) {
            dxSum += dx;
            adx[i] = dxSum / fn;
        } else {
            adx[i] = (fn1 * adx[i - 1] + dx) / fn;
        }
        if (i >= adxrFirst)
            adxr[i] = (adx[i] + adx[i - n + 1]) * 0.5f;
    }
    Computed = 1;
    return true;
}

EXPMA::EXPMA(StockId stock) : TIndex(stock)
{
    Id = 44;
    LineCount = 5;
    PriceScale = 1;
    Init();
}

bool EXPMA::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    StylesFromParams(*this, p, 5);
    TitlesFromParams(*this, p, 5);
    FillLinesNone();
    float *w = WorkB[3];
    const bool events = EventMode();
    if (RecordCount == 0 || (events && (!w || RecordCount > WorkCapacity)))
        return false;
    const int count = RecordCount;
    if (!events && WorkA[0] && count <= WorkCapacity) {
        float *c = WorkA[0];
        ScaledSeries<&KLineRecord::Close>(c, Records, count, PriceDivisor);
        float *lines[5];
        float weights[5];
        int m = 0;
        for (int k = 0; k < 5; ++k)
            if (p[k] > 0) {
                lines[m] = Lines[k];
                weights[m++] = 2.0f / float(int64_t(p[k]) + 1);
            }
        switch (m) {
        case 1: EmaLines<1>(c, count, lines, weights); break;
        case 2: EmaLines<2>(c, count, lines, weights); break;
        case 3: EmaLines<3>(c, count, lines, weights); break;
        case 4: EmaLines<4>(c, count, lines, weights); break;
        case 5: EmaLines<5>(c, count, lines, weights); break;
        default: break;
        }
        Computed = 1;
        return true;
    }
    for (int k = 0; k < 5; ++k) {
        if (p[k] <= 0)
            continue;
        const float a = 2.0f / float(int64_t(p[k]) + 1);
        float *line = Lines[k];
        line[0] = Scaled(*this, Records[0].Close);
        for (int i = 1; i < count; ++i) {
            const float c = Scaled(*this, Records[i].Close);
            const int number = events ? EventTakingEffectAt(i) : 0;
            if (!number) {
                line[i] = EmaStep(c, line[i - 1], a);
                continue;
            }
            // The average starts again over the history carried to the
            // level after the event.
            w[0] = Scaled(*this, RecordOnBasis(*this, 0, number).Close);
            for (int j = 1; j < i; ++j)
                w[j] = EmaStep(Scaled(*this, RecordOnBasis(*this, j, number).Close), w[j - 1], a);
            line[i] = EmaStep(c, w[i - 1], a);
        }
    }
    Computed = 1;
    return true;
}

bool EXPMA::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawPriceBars(hdc, rect);
    DrawShownLines(*this, hdc, rect);
    DrawHighLowMarks(hdc, rect);
    return true;
}

bool TRIX::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    StylesFromParams(*this, p, 2);
    Styles[1].TitleParam = float(p[1]);
    FillLinesNone();
    float *e1 = WorkA[0], *e2 = WorkA[1];
    if (RecordCount == 0 || p[0] < 1 || p[1] < 1 || !e1 || !e2 || RecordCount > WorkCapacity)
        return false;
    const KLineRecord *records = Records;
    if (EventMode()) {
        if (!AdjustRecordsToCopy(RecordCount, Weights, WeightCount))
            return false;
        records = RecordCopy;
    }
    const int count = RecordCount;
    const float a = 2.0f / float(int64_t(p[0]) + 1);
    float *t = Lines[0];
    e1[0] = e2[0] = t[0] = Scaled(*this, records[0].Close);
    for (int i = 1; i < count; ++i) {
        e1[i] = EmaStep(Scaled(*this, records[i].Close), e1[i - 1], a);
        e2[i] = EmaStep(e1[i], e2[i - 1], a);
        t[i] = EmaStep(e2[i], t[i - 1], a);
    }
    MovingAverage(Lines[1], t, count, p[1], 0);
    Computed = 1;
    return true;
}
