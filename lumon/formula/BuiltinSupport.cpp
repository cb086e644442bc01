#include "lumon/formula/BuiltinSupport.h"

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
    while (n < index.WeightCount && ComparePackedDate(index.Weights[n].Date, index.Records[i].Time) <= 0)
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

void ForceRefLine(TIndex &index, int slot, float level)
{
    index.RefShown[slot] = 1;
    index.RefLevel[slot] = level;
}

void DrawShownLines(TIndex &index, win::HDC hdc, const win::RECT *rect)
{
    for (int k = 0; k < index.LineCount; ++k)
        if (index.Styles[k].Style != StyleNone)
            index.DrawLineStyle(hdc, rect, k, 0);
}

void TWindowExtremes::Move(int first, int last, int latest)
{
    if (latest != m_Latest) {
        m_HighPos = m_LowPos = -1;
        m_Latest = latest;
    }
    const KLineRecord *records = m_Index.Records;
    auto high = [&](int j) -> int64_t {
        return latest ? AdjustedRecord(m_Index, j, latest).High : records[j].High;
    };
    auto low = [&](int j) -> int64_t { return latest ? AdjustedRecord(m_Index, j, latest).Low : records[j].Low; };
    if (m_HighPos < first) {
        m_HighPos = first;
        High = high(first);
        for (int j = first + 1; j <= last; ++j)
            if (int64_t h = high(j); h > High) {
                High = h;
                m_HighPos = j;
            }
    } else if (int64_t h = high(last); h > High) {
        High = h;
        m_HighPos = last;
    }
    if (m_LowPos < first) {
        m_LowPos = first;
        Low = low(first);
        for (int j = first + 1; j <= last; ++j)
            if (int64_t l = low(j); l < Low) {
                Low = l;
                m_LowPos = j;
            }
    } else if (int64_t l = low(last); l < Low) {
        Low = l;
        m_LowPos = last;
    }
}
