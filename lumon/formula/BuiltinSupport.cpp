#include "lumon/formula/BuiltinSupport.h"

#include <algorithm>
#include <cmath>

const int32_t *BeginCompute(TIndex &index)
{
    if (!index.TIndex::Compute())
        return nullptr;
    return index.CurrentParams();
}

const int32_t *BeginComputeShowingAll(TIndex &index)
{
    const int32_t *p = BeginCompute(index);
    if (p) {
        ShowLines(index, index.LineCount, true);
        index.FillLinesNone();
    }
    return p;
}

KLineRecord AdjustedPreviousRecord(const TIndex &index, int i)
{
    KLineRecord previous = index.Records[i - 1];
    if (int number = index.EventTakingEffectAt(i))
        index.AdjustRecordForward(previous, index.Weights, number);
    return previous;
}

int CountEventsUpTo(const TIndex &index, int i)
{
    int n = 0;
    while (index.Weights && n < index.WeightCount && ComparePackedDate(index.Weights[n].Date, index.Records[i].Time) <= 0)
        ++n;
    return n;
}

KLineRecord AdjustedRecord(const TIndex &index, int j, int latest)
{
    KLineRecord record = index.Records[j];
    index.AdjustRecordForward(record, index.Weights, latest);
    return record;
}

void StylesFromParams(TIndex &index, const int32_t *p, int count)
{
    for (int k = 0; k < count && k < index.LineCount; ++k)
        index.Styles[k].Style = p[k] != 0 ? StyleLine : StyleNone;
}

void ShowLines(TIndex &index, int count, bool shown)
{
    for (int k = 0; k < count; ++k)
        index.Styles[k].Style = shown ? StyleLine : StyleNone;
}

void TitlesFromParams(TIndex &index, const int32_t *p, int count)
{
    for (int k = 0; k < count; ++k)
        index.Styles[k].TitleParam = float(p[k]);
}

void ForceRefLines(TIndex &index, std::initializer_list<float> levels)
{
    int slot = 0;
    for (float level : levels) {
        if (slot >= 4)
            break;
        index.RefShown[slot] = 1;
        index.RefLevel[slot++] = level;
    }
}

void TakePlotRect(TIndex &index, const win::RECT *rect, bool bottomBand)
{
    constexpr int band = 16;
    index.PlotRect = *rect;
    index.TitleBand = 0;
    index.BottomMargin = 0;
    if (index.PlotRect.bottom - index.PlotRect.top > band) {
        index.TitleBand = 1;
        index.PlotRect.top += band;
        if (bottomBand && index.PlotRect.bottom - index.PlotRect.top > band)
            index.PlotRect.bottom -= band;
    }
}

bool BeginOwnDraw(TIndex &index, win::HDC hdc, const win::RECT *rect, bool bottomBand)
{
    if (!rect)
        return false;
    TakePlotRect(index, rect, bottomBand);
    if (!index.Computed)
        return false;
    index.Layout();
    index.DrawScale(hdc, rect);
    return true;
}

void SetValueRange(TIndex &index, float max, float min)
{
    if (IsOutOfRangeValue(max) || IsOutOfRangeValue(min))
        max = min = 0;
    if (IsNearZero(max - min)) {
        // Below about -90.8 the first formula puts the top under the bottom.
        max = (min + 9.0f) * 1.11f;
        if (!(max > min))
            max = min + std::max(9.99f, std::fabs(min) * 0.11f);
    }
    index.ValueMax = max;
    index.ValueMin = min;
    index.YScale = double(index.PlotRect.bottom - index.PlotRect.top) / (double(max) - double(min));
}

void DrawShownLines(TIndex &index, win::HDC hdc, const win::RECT *rect)
{
    for (int k = 0; k < index.LineCount; ++k)
        if (index.Styles[k].Style != StyleNone)
            index.DrawLineStyle(hdc, rect, k, 0);
}
