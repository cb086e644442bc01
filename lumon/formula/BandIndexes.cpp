#include "lumon/formula/BandIndexes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <immintrin.h>

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

namespace {

// BOLL's deviation is summed afresh every this many bars (see BOLL::Compute).
constexpr int64_t BollResum = 256;

typedef double BollQuad __attribute__((vector_size(32)));
typedef float BollFloats __attribute__((vector_size(16)));

// x's lanes replaced by their square roots (SQRTPD: correctly rounded, as std::sqrt).
inline void SquareRoots(BollQuad &x)
{
    __m128d lo, hi;
    std::memcpy(&lo, &x, sizeof lo);
    std::memcpy(&hi, reinterpret_cast<const char *>(&x) + sizeof lo, sizeof hi);
    lo = _mm_sqrt_pd(lo);
    hi = _mm_sqrt_pd(hi);
    std::memcpy(&x, &lo, sizeof lo);
    std::memcpy(reinterpret_cast<char *>(&x) + sizeof lo, &hi, sizeof hi);
}

// BOLL's running sums over the window of n closes w that ends at a bar: of the
// closes, and of the squared terms (each close's distance from the average of
// its own bar when `own`, else the close itself). Every BollResum bars the
// window is summed afresh, so that whatever rounding the running sums gather
// stays bounded.
struct BollWindow {
    const float *w, *middle;
    int n;
    bool own;

    double Term(int64_t j) const
    {
        if (own) {
            const double d = w[j] - middle[j];
            return d * d;
        }
        return double(w[j]) * double(w[j]);
    }
    // The sums of the window that ends at bar i, summed whole.
    void Fresh(int64_t i, double &sx, double &sxx) const
    {
        sx = sxx = 0;
        for (int64_t j = i - n + 1; j <= i; ++j) {
            sx += w[j];
            sxx += Term(j);
        }
    }
    // The sums moved on to bar i: summed whole at the first bar of a run
    // (untilResum 0) and every BollResum bars after, else slid by one bar.
    void Advance(int64_t i, int64_t &untilResum, double &sx, double &sxx) const
    {
        if (untilResum-- == 0) {
            untilResum = BollResum - 1;
            Fresh(i, sx, sxx);
        } else {
            sx += double(w[i]) - double(w[i - n]);
            sxx += Term(i);
            sxx -= Term(i - n);
        }
    }
    // The bands' distance from the middle line at bar i, from the sums: with
    // the current average m, sum (x - m)^2 = sum x^2 - 2 m sum x + n m^2.
    float Deviation(int64_t i, double sx, double sxx) const
    {
        const double dn = n;
        double s = sxx;
        if (!own) {
            const double m = middle[i];
            s = sxx - 2.0 * m * sx + dn * m * m;
        }
        float sd = float(std::sqrt(std::max(s, 0.0) / dn));
        if (own)
            sd *= 1.96f;
        return sd;
    }
};

// BOLL's two bands outside event mode, bars from .. count - 1, from the closes
// w and the middle line: the deviation's sums start afresh at from, from +
// BollResum, ... and run within each stretch of BollResum bars, so the
// stretches are independent of each other. Four whole stretches go side by
// side, one to a lane of a vector of doubles, each lane doing exactly the
// operations of the one-by-one loop that takes the rest; the divisions and
// square roots of four bars then go together. Built for AVX2 as well (no FMA:
// the same roundings).
__attribute__((target_clones("avx2", "default"))) void BollBands(float *upper, float *lower, const float *w,
                                                                const float *middle, int64_t from, int64_t count,
                                                                int n, bool own)
{
    const BollWindow window{w, middle, n, own};
    const double dn = n;
    int64_t i = from;
    if (count - from >= 4 * BollResum) {
        const BollQuad zero = {0, 0, 0, 0}, dq = {dn, dn, dn, dn};
        const BollFloats scale = {1.96f, 1.96f, 1.96f, 1.96f};
        for (; count - i >= 4 * BollResum; i += 4 * BollResum) {
            BollQuad sx, sxx;
            for (int k = 0; k < 4; ++k) {
                double a, b;
                window.Fresh(i + k * BollResum, a, b);
                sx[k] = a;
                sxx[k] = b;
            }
            for (int64_t t = 0; t < BollResum; ++t) {
                const int64_t j0 = i + t, j1 = j0 + BollResum, j2 = j1 + BollResum, j3 = j2 + BollResum;
                if (t > 0) {
                    const BollQuad in = {w[j0], w[j1], w[j2], w[j3]};
                    const BollQuad out = {w[j0 - n], w[j1 - n], w[j2 - n], w[j3 - n]};
                    sx += in - out;
                    const BollQuad tin = {window.Term(j0), window.Term(j1), window.Term(j2), window.Term(j3)};
                    const BollQuad tout = {window.Term(j0 - n), window.Term(j1 - n), window.Term(j2 - n),
                                           window.Term(j3 - n)};
                    sxx += tin;
                    sxx -= tout;
                }
                const BollFloats mf = {middle[j0], middle[j1], middle[j2], middle[j3]};
                BollQuad s = sxx;
                if (!own) {
                    const BollQuad m = __builtin_convertvector(mf, BollQuad);
                    s = sxx - 2.0 * m * sx + dn * m * m;
                }
                s = s < zero ? zero : s;
                s /= dq;
                SquareRoots(s);
                BollFloats sd = __builtin_convertvector(s, BollFloats);
                if (own)
                    sd *= scale;
                const BollFloats up = mf + sd, down = mf - sd;
                upper[j0] = up[0];
                upper[j1] = up[1];
                upper[j2] = up[2];
                upper[j3] = up[3];
                lower[j0] = down[0];
                lower[j1] = down[1];
                lower[j2] = down[2];
                lower[j3] = down[3];
            }
        }
    }
    double sx = 0, sxx = 0;
    for (int64_t untilResum = 0; i < count; ++i) {
        window.Advance(i, untilResum, sx, sxx);
        const float sd = window.Deviation(i, sx, sxx);
        upper[i] = middle[i] + sd;
        lower[i] = middle[i] - sd;
    }
}

} // namespace

bool BOLL::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    ShowLines(*this, 3, n >= 1);
    float *w = WorkA[0];
    const bool events = EventMode();
    const bool usable = RecordCount != 0 && n >= 1 && w && RecordCount <= WorkCapacity;
    if (!usable || events)
        FillLinesNone();
    if (!usable)
        return false;
    const int count = RecordCount;
    ScaledSeries<&KLineRecord::Close>(w, Records, count, PriceDivisor);
    float *middle = Lines[0];
    if (events)
        AdjustSeriesForExRights(middle, count, n, Weights, WeightCount);
    else
        MovingAverage(middle, w, count, n, 0);
    // The squared distances are summed over a running window in double
    // (BollWindow): the distance of each close from the average of its own bar
    // when p[1] is 0 (a sum that slides as it is), else of the window's closes
    // from the current average, from the sums of x and x^2. With ex-rights
    // events the window's closes are carried to the latest event's level at
    // every bar, and the distances are then summed over the window as it stands.
    const bool own = p[1] == 0;
    const int64_t from = 2 * int64_t(n) - 2;
    if (!events) {
        // The average writes its whole line and the bands every bar from
        // `from` on; the bars before have none.
        const int none = int(std::min<int64_t>(from, count));
        std::fill(Lines[1], Lines[1] + none, NoValue);
        std::fill(Lines[2], Lines[2] + none, NoValue);
        BollBands(Lines[1], Lines[2], w, middle, from, count, n, own);
        Computed = 1;
        return true;
    }
    const BollWindow window{w, middle, n, own};
    const float fn = float(n);
    double sx = 0, sxx = 0;
    int64_t untilResum = 0;
    for (int64_t i = from; i < count; ++i) {
        window.Advance(i, untilResum, sx, sxx);
        const int latest = !own ? LatestEventAt(*this, int(i)) : 0;
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
            sd = window.Deviation(i, sx, sxx);
        }
        Lines[1][i] = middle[i] + sd;
        Lines[2][i] = middle[i] - sd;
    }
    Computed = 1;
    return true;
}
