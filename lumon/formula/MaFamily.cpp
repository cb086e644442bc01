#include "lumon/formula/MaFamily.h"

#include <algorithm>
#include <cmath>

#include "lumon/core/EMemOp.h"
#include "lumon/core/UtilData.h"

namespace {

// The price pane's figure under the lines: candles, lines, high and low marks.
bool DrawOverCandles(TIndex &index, win::HDC hdc, const win::RECT *rect, bool ohlc)
{
    if (ohlc)
        index.DrawOhlcBars(hdc, rect, true);
    else
        index.DrawPriceBars(hdc, rect);
    for (int k = 0; k < index.LineCount; ++k)
        index.DrawLineStyle(hdc, rect, k, 0);
    index.DrawHighLowMarks(hdc, rect);
    return true;
}

// The mean of src[i - n + 1 .. i].
float WindowMean(const float *src, int i, int n)
{
    float sum = 0;
    for (int k = i - n + 1; k <= i; ++k)
        sum += src[k];
    return sum / float(n);
}

} // namespace

MA::MA(StockId stock) : TFamilyIndex(stock, 4, 6) {}

bool MA::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    StylesFromParams(*this, p, LineCount);
    if (RecordCount == 0 || !HasWork(1)) {
        FillLinesNone();
        return false;
    }
    float *c = WorkA[0];
    ScaledSeries<&KLineRecord::Close>(c, Records, RecordCount, PriceDivisor);
    for (int k = 0; k < LineCount; ++k) {
        // The averages write their whole line; the others have none.
        if (p[k] <= 0) {
            std::fill(Lines[k], Lines[k] + RecordCount, NoValue);
            continue;
        }
        Styles[k].TitleParam = float(p[k]);
        if (EventMode())
            AdjustSeriesForExRights(Lines[k], RecordCount, p[k], Weights, WeightCount);
        else
            MovingAverage(Lines[k], c, RecordCount, p[k], 0);
    }
    Computed = 1;
    return true;
}

PBX::PBX(StockId stock) : TFamilyIndex(stock, 5, 6, true) {}

bool PBX::Compute()
{
    static constexpr int Windows[6] = {4, 6, 9, 13, 18, 24};
    if (!BeginComputeShowingAll(*this))
        return false;
    if (RecordCount == 0 || !HasWork(3))
        return false;
    const KLineRecord *r = PriceRecords();
    float *c = WorkA[0], *ma2 = WorkA[1], *ma4 = WorkA[2];
    for (int i = 0; i < RecordCount; ++i)
        c[i] = Value(r[i].Close);
    for (int k = 0; k < LineCount && RecordCount >= 2; ++k) {
        const int n = Windows[k];
        MovingAverage(ma2, c, RecordCount, 2 * n, 0);
        MovingAverage(ma4, c, RecordCount, 4 * n, 0);
        float e = (float(n - 1) * c[0] + 2 * c[1]) / float(n + 1);
        for (int i = 1; i < RecordCount; ++i) {
            if (i >= 2)
                e = (float(n - 1) * e + 2 * c[i]) / float(n + 1);
            if (i >= 4 * n)
                Lines[k][i] = (e + ma2[i] + ma4[i]) / 3;
        }
    }
    Computed = 1;
    return true;
}

bool PBX::Draw(win::HDC hdc, const win::RECT *rect)
{
    return TIndex::Draw(hdc, rect) && DrawOverCandles(*this, hdc, rect, false);
}

BBI::BBI(StockId stock) : TFamilyIndex(stock, 41, 1) {}

bool BBI::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    Styles[0].Style = p[0] >= 1 ? StyleLine : StyleNone;
    FillLinesNone();
    const int longest = std::max({p[0], p[1], p[2], p[3]});
    if (RecordCount == 0 || std::min({p[0], p[1], p[2], p[3]}) < 1 || RecordCount < longest || !HasWork(4))
        return false;
    const int size = std::max(MaxDataRecords, 1) + 512;
    if (RecordCount > size)
        return false;
    auto *c = static_cast<float *>(EMemAlloc(size_t(size) * sizeof(float)));
    if (!c)
        return false;
    for (int i = 0; i < RecordCount; ++i)
        c[i] = Value(Records[i].Close);
    for (int k = 0; k < 4; ++k)
        MovingAverage(WorkA[k], c, RecordCount, p[k], 0);
    for (int i = longest - 1; i < RecordCount; ++i)
        Lines[0][i] = (WorkA[0][i] + WorkA[1][i] + WorkA[2][i] + WorkA[3][i]) * 0.25f;
    EMemFree(c);
    Computed = 1;
    return true;
}

BBIBOLL::BBIBOLL(StockId stock) : TFamilyIndex(stock, 121, 3, true) {}

bool BBIBOLL::Compute()
{
    const int32_t *p = BeginComputeShowingAll(*this);
    if (!p)
        return false;
    if (RecordCount == 0 || p[0] < 1 || !HasWork(1))
        return false;
    const KLineRecord *r = PriceRecords();
    float *c = WorkA[0];
    for (int i = 0; i < RecordCount; ++i)
        c[i] = Value(r[i].Close);
    float *bbi = Lines[0];
    for (int i = 23; i < RecordCount; ++i)
        bbi[i] = (WindowMean(c, i, 3) + WindowMean(c, i, 6) + WindowMean(c, i, 12) + WindowMean(c, i, 24)) / 4;
    const int n = p[0];
    const float factor = p[1] == 0 ? 1.96f : float(p[1]);
    // 64-bit start: a huge window leaves the bands without values.
    for (int64_t i = int64_t(n) + 24; i < RecordCount; ++i) {
        float sum = 0;
        for (int64_t k = 1; k <= n; ++k) {
            float d = bbi[i - k] - bbi[i];
            sum += d * d;
        }
        float w = factor * std::sqrt(sum / float(n));
        Lines[1][i] = bbi[i] + w;
        Lines[2][i] = bbi[i] - w;
    }
    Computed = 1;
    return true;
}

bool BBIBOLL::Draw(win::HDC hdc, const win::RECT *rect)
{
    return TIndex::Draw(hdc, rect) && DrawOverCandles(*this, hdc, rect, true);
}

CDP::CDP(StockId stock) : TFamilyIndex(stock, 123, 5) {}

bool CDP::Compute()
{
    if (!BeginComputeShowingAll(*this))
        return false;
    if (RecordCount == 0)
        return false;
    const KLineRecord *r = PriceRecords();
    for (int i = 0; i < RecordCount; ++i) {
        float h = Value(r[i].High), l = Value(r[i].Low), c = Value(r[i].Close);
        float mid = (h + l + c) / 3;
        Lines[0][i] = mid;
        if (i == 0)
            continue;
        float range = Value(r[i - 1].High) - Value(r[i - 1].Low);
        Lines[1][i] = mid + range;
        Lines[2][i] = mid - range;
        Lines[3][i] = 2 * mid - l;
        Lines[4][i] = 2 * mid - h;
    }
    Computed = 1;
    return true;
}

DKX::DKX(StockId stock) : TFamilyIndex(stock, 124, 2) {}

bool DKX::Compute()
{
    const int32_t *p = BeginComputeShowingAll(*this);
    if (!p)
        return false;
    if (RecordCount == 0 || p[0] < 1 || !HasWork(1))
        return false;
    const KLineRecord *r = PriceRecords();
    float *a = WorkA[0];
    for (int i = 0; i < RecordCount; ++i)
        a[i] = (3 * Value(r[i].Close) + Value(r[i].Low) + Value(r[i].Open) + Value(r[i].High)) / 6;
    for (int i = 20; i < RecordCount; ++i) {
        float sum = 0;
        for (int k = 0; k < 20; ++k)
            sum += float(20 - k) * a[i - k];
        Lines[0][i] = sum / 210;
    }
    const int n = p[0];
    for (int64_t i = int64_t(n) + 20; i < RecordCount; ++i)
        Lines[1][i] = WindowMean(Lines[0], int(i), n);
    Computed = 1;
    return true;
}

RAIL::RAIL(StockId stock) : TFamilyIndex(stock, 126, 2, true) {}

bool RAIL::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ShowLines(*this, LineCount, true);
    // The two averages write their whole lines; without them the lines have none.
    if (RecordCount == 0 || !HasWork(2) || p[0] == 0 || p[1] == 0)
        FillLinesNone();
    if (RecordCount == 0 || !HasWork(2))
        return false;
    const int64_t back = int64_t(std::max(p[0], p[1])) - 1;
    if (p[0] > 0 && p[1] > 0 && back + CacheStretch <= WorkCapacity) {
        // A stretch at a time: its highs and lows (and the period - 1 before
        // them) scaled into the start of the work areas and averaged while they
        // are still in the cache.
        for (int k = 0; k < 2; ++k)
            std::fill(Lines[k], Lines[k] + std::min(p[k] - 1, RecordCount), NoValue);
        for (int b = 0; b < RecordCount; b += CacheStretch) {
            const int e = std::min(RecordCount, b + CacheStretch), lo = int(std::max<int64_t>(0, b - back));
            ScaledSeries<&KLineRecord::High, &KLineRecord::Low>(WorkA[0], WorkA[1], Records + lo, e - lo,
                                                                PriceDivisor);
            for (int k = 0; k < 2; ++k) {
                const int from = std::max(b, p[k] - 1);
                if (from < e)
                    MovingAverageSpan(Lines[k] + from, WorkA[k] + (from - lo), e - from, p[k]);
            }
        }
    } else if (p[0] != 0 && p[1] != 0) {
        ScaledSeries<&KLineRecord::High, &KLineRecord::Low>(WorkA[0], WorkA[1], Records, RecordCount,
                                                            PriceDivisor);
        MovingAverage(Lines[0], WorkA[0], RecordCount, p[0], 0);
        MovingAverage(Lines[1], WorkA[1], RecordCount, p[1], 0);
    }
    Computed = 1;
    return true;
}

bool RAIL::Draw(win::HDC hdc, const win::RECT *rect)
{
    return TIndex::Draw(hdc, rect) && DrawOverCandles(*this, hdc, rect, false);
}
