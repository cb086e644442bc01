#include "lumon/formula/BandIndexes.h"

#include <algorithm>
#include <cmath>

#include "lumon/formula/BuiltinSupport.h"

TBandIndex::TBandIndex(StockId stock, int id, int lines) : TIndex(stock)
{
    Id = uint16_t(id);
    LineCount = lines;
    PriceScale = 1;
    Init();
}

bool TBandIndex::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawOhlcBars(hdc, rect, false);
    DrawShownLines(*this, hdc, rect);
    DrawHighLowMarks(hdc, rect);
    return true;
}

bool MIKE::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    ShowLines(*this, 6, n >= 1);
    FillLinesNone();
    float *window = WorkA[0], *average = WorkA[1];
    if (RecordCount == 0 || !window || !average || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    if (n >= 1 && n - 1 < count) {
        const float third = 1.0f / 3.0f;
        auto typical = [&](const KLineRecord &r) {
            return float(uint64_t(r.High) + r.Low + r.Close) * third / PriceDivisor;
        };
        const float fn = float(n);
        float sum = 0;
        for (int i = 0; i < count; ++i) {
            average[i] = NoValue;
            // The average that the next bar uses is taken at the level after an
            // event falling on that bar.
            if (int number = i + 1 < count && EventMode() ? EventTakingEffectAt(i + 1) : 0) {
                sum = 0;
                for (int j = std::max(i - n + 1, 0); j <= i; ++j) {
                    window[j] = typical(RecordOnBasis(*this, j, number));
                    sum += window[j];
                }
            } else {
                window[i] = typical(Records[i]);
                sum += window[i];
            }
            if (i >= n - 1) {
                average[i] = sum / fn;
                sum -= window[i - n + 1];
            }
        }
        TWindowExtremes extremes(*this);
        for (int i = n; i < count; ++i) {
            extremes.Move(i - n, i - 1, LatestEventAt(*this, i));
            const float hs = float(extremes.High) / PriceDivisor, ls = float(extremes.Low) / PriceDivisor;
            const float t = average[i - 1];
            Lines[0][i] = 2 * t - ls;
            Lines[1][i] = 2 * t - hs;
            Lines[2][i] = t + hs - ls;
            Lines[3][i] = t - hs + ls;
            Lines[4][i] = 2 * hs - ls;
            Lines[5][i] = 2 * ls - hs;
        }
    }
    Computed = 1;
    return true;
}

bool BOLL::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    ShowLines(*this, 3, n >= 1);
    FillLinesNone();
    float *w = WorkA[0];
    if (RecordCount == 0 || n < 1 || !w || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    const bool events = EventMode();
    for (int i = 0; i < count; ++i)
        w[i] = Scaled(*this, Records[i].Close);
    float *middle = Lines[0];
    if (events)
        AdjustSeriesForExRights(middle, count, n, Weights, WeightCount);
    else
        MovingAverage(middle, w, count, n, 0);
    const float fn = float(n);
    for (int64_t i = 2 * int64_t(n) - 2; i < count; ++i) {
        const int latest = events && p[1] != 0 ? LatestEventAt(*this, int(i)) : 0;
        float s = 0;
        for (int k = 0; k < n; ++k) {
            const int j = int(i) - k;
            const float x = latest ? Scaled(*this, RecordOnBasis(*this, j, latest).Close) : w[j];
            const float d = p[1] == 0 ? x - middle[j] : x - middle[i];
            s += d * d;
        }
        float sd = std::sqrt(s / fn);
        if (p[1] == 0)
            sd *= 1.96f;
        Lines[1][i] = middle[i] + sd;
        Lines[2][i] = middle[i] - sd;
    }
    Computed = 1;
    return true;
}
