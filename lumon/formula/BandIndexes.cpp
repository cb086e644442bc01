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
    ScaledSeries<&KLineRecord::Close>(w, Records, count, PriceDivisor);
    float *middle = Lines[0];
    if (events)
        AdjustSeriesForExRights(middle, count, n, Weights, WeightCount);
    else
        MovingAverage(middle, w, count, n, 0);
    // The squared distances are summed over a running window in double: the
    // distance of each close from the average of its own bar when p[1] is 0
    // (a sum that slides as it is), else of the window's closes from the
    // current average m, from the sums of x and x^2 as
    // sum (x - m)^2 = sum x^2 - 2 m sum x + n m^2.
    // Every Resum bars the window is summed afresh, so that whatever rounding
    // the running sums gather stays bounded. With ex-rights events the
    // window's closes are carried to the latest event's level at every bar,
    // and the distances are then summed over the window as it stands.
    constexpr int64_t Resum = 256;
    const bool own = p[1] == 0;
    const double dn = n;
    const float fn = float(n);
    auto term = [&](int64_t j) -> double {
        if (own) {
            const double d = w[j] - middle[j];
            return d * d;
        }
        return double(w[j]) * double(w[j]);
    };
    double sx = 0, sxx = 0;
    const int64_t from = 2 * int64_t(n) - 2;
    int64_t untilResum = 0;
    for (int64_t i = from; i < count; ++i) {
        if (untilResum-- == 0) {
            untilResum = Resum - 1;
            sx = sxx = 0;
            for (int64_t j = i - n + 1; j <= i; ++j) {
                sx += w[j];
                sxx += term(j);
            }
        } else {
            sx += double(w[i]) - double(w[i - n]);
            sxx += term(i);
            sxx -= term(i - n);
        }
        const int latest = events && !own ? LatestEventAt(*this, int(i)) : 0;
        float sd;
        if (latest) {
            float s = 0;
            for (int k = 0; k < n; ++k) {
                const int j = int(i) - k;
                const float d = Scaled(*this, RecordOnBasis(*this, j, latest).Close) - middle[i];
                s += d * d;
            }
            sd = std::sqrt(s / fn);
        } else {
            double s = sxx;
            if (!own) {
                const double m = middle[i];
                s = sxx - 2.0 * m * sx + dn * m * m;
            }
            sd = float(std::sqrt(std::max(s, 0.0) / dn));
        }
        if (own)
            sd *= 1.96f;
        Lines[1][i] = middle[i] + sd;
        Lines[2][i] = middle[i] - sd;
    }
    Computed = 1;
    return true;
}
