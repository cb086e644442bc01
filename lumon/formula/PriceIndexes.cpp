#include "lumon/formula/PriceIndexes.h"

#include <cstring>

namespace {

// Line k (from `first`) shown when its parameter p_(k - first) is non-zero.
void StylesFromParams(TIndex &index, const int32_t *p, int first)
{
    for (int k = first; k < index.LineCount; ++k)
        index.Styles[k].Style = p[k - first] != 0 ? StyleLine : StyleNone;
}

} // namespace

TCloseAverages::TCloseAverages(StockId stock, int id, int lines) : TIndex(stock)
{
    Id = uint16_t(id);
    LineCount = lines;
    PriceScale = 1;
    Init();
}

bool TCloseAverages::Compute()
{
    if (!TIndex::Compute())
        return false;
    const int32_t *p = CurrentParams();
    if (!p)
        return false;
    StylesFromParams(*this, p, 0);
    FillLinesNone();
    float *w = WorkA[0];
    if (RecordCount == 0 || !w || RecordCount > WorkCapacity)
        return false;
    for (int i = 0; i < RecordCount; ++i)
        w[i] = float(Records[i].Close) / PriceDivisor;
    for (int k = 0; k < LineCount; ++k) {
        if (p[k] < 1 || !Lines[k])
            continue;
        Styles[k].TitleParam = float(p[k]);
        if (EventMode())
            AdjustSeriesForExRights(Lines[k], RecordCount, p[k], Weights, WeightCount);
        else
            MovingAverage(Lines[k], w, RecordCount, p[k], 0);
    }
    Computed = 1;
    return true;
}

CKline::CKline(StockId stock) : TCloseAverages(stock, 3, 6) {}

bool CKline::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawPriceBars(hdc, rect);
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, 0);
    DrawHighLowMarks(hdc, rect);
    return true;
}

KLine::KLine(StockId stock) : TCloseAverages(stock, 9, 0) {}

bool KLine::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawPriceBars(hdc, rect);
    DrawHighLowMarks(hdc, rect);
    return true;
}

CZJline::CZJline(StockId stock) : TCloseAverages(stock, 8, 6) {}

bool CZJline::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawOhlcBars(hdc, rect, true);
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, 0);
    DrawHighLowMarks(hdc, rect);
    return true;
}

CBline::CBline(StockId stock) : TCloseAverages(stock, 1, 6) {}

bool CBline::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawOhlcBars(hdc, rect, false);
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, 0);
    DrawHighLowMarks(hdc, rect);
    return true;
}

CloseLine::CloseLine(StockId stock) : TIndex(stock)
{
    Id = 2;
    LineCount = 7;
    Init();
}

bool CloseLine::Compute()
{
    if (!TIndex::Compute())
        return false;
    const int32_t *p = CurrentParams();
    if (!p)
        return false;
    std::memcpy(Definition.LineNames[0], "收盘价", 7);
    StylesFromParams(*this, p, 1);
    Styles[0].Style = StyleLine;
    FillLinesNone();
    if (RecordCount == 0 || !Lines[0])
        return false;
    for (int i = 0; i < RecordCount; ++i)
        Lines[0][i] = float(Records[i].Close) / PriceDivisor;
    for (int k = 1; k < LineCount; ++k) {
        int n = p[k - 1];
        if (n <= 0 || !Lines[k])
            continue;
        Styles[k].TitleParam = float(n);
        if (EventMode())
            AdjustSeriesForExRights(Lines[k], RecordCount, n, Weights, WeightCount);
        else
            MovingAverage(Lines[k], Lines[0], RecordCount, n, 0);
    }
    Computed = 1;
    return true;
}

bool CloseLine::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, 0);
    return true;
}

TFieldColumns::TFieldColumns(StockId stock, int id, bool amount) : TIndex(stock), m_Amount(amount)
{
    Id = uint16_t(id);
    LineCount = 7;
    Init();
}

bool TFieldColumns::Compute()
{
    if (!TIndex::Compute())
        return false;
    const int32_t *p = CurrentParams();
    if (!p)
        return false;
    StylesFromParams(*this, p, 1);
    FillLinesNone();
    if (RecordCount == 0 || !Lines[0])
        return false;
    for (int i = 0; i < RecordCount; ++i)
        Lines[0][i] = m_Amount ? Records[i].Amount : Records[i].Volume;
    for (int k = 1; k < LineCount; ++k) {
        int n = p[k - 1];
        if (n <= 0 || !Lines[k])
            continue;
        Styles[k].TitleParam = float(n);
        MovingAverage(Lines[k], Lines[0], RecordCount, n, 0);
    }
    Styles[0].Style = StyleBar;
    Computed = 1;
    return true;
}

bool TFieldColumns::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawVolumeBars(hdc, rect, 0);
    const int32_t *p = CurrentParams();
    for (int k = 1; k < LineCount && p; ++k)
        if (Styles[k].Style != StyleNone)
            DrawLineStyle(hdc, rect, k, p[k - 1]);
    return true;
}
