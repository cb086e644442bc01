// What the built-in indicators of the sub-panes and bands share: how they see
// earlier records in event mode (unadjusted history with ex-rights events
// loaded: the previous record carried across the events that take effect at a
// record, windows of earlier records on the basis of the latest event met;
// outside event mode the records as they are), their styles from the
// parameters, and the drawing of their shown lines.
#pragma once

#include "lumon/formula/TIndex.h"

// The event-mode halves of the three below.
KLineRecord AdjustedPreviousRecord(const TIndex &index, int i);
int CountEventsUpTo(const TIndex &index, int i);
KLineRecord AdjustedRecord(const TIndex &index, int j, int latest);

// Record i - 1 as record i (i >= 1) compares itself with it: in event mode
// adjusted forward across the events dated after its day and on or before the
// day of record i.
inline KLineRecord PreviousRecord(const TIndex &index, int i)
{
    return index.EventMode() ? AdjustedPreviousRecord(index, i) : index.Records[i - 1];
}

// The number of events dated on or before the day of record i; 0 outside event
// mode.
inline int LatestEventAt(const TIndex &index, int i)
{
    return index.EventMode() ? CountEventsUpTo(index, i) : 0;
}

// Record j adjusted forward by the events up to number `latest` that are dated
// after its day.
inline KLineRecord RecordOnBasis(const TIndex &index, int j, int latest)
{
    return latest > 0 ? AdjustedRecord(index, j, latest) : index.Records[j];
}

// Whether a value is within 1e-10 of zero.
inline bool NearZero(float x)
{
    return x > -1e-10f && x < 1e-10f;
}

// Style of line k = LINE when p[k] is non-zero, else NONE, for lines 0..count-1.
void StylesFromParams(TIndex &index, const int32_t *p, int count);

// Forces reference line `slot` (0..3) shown at `level`.
void ForceRefLine(TIndex &index, int slot, float level);

// Every line whose style is not NONE, as a polyline from record 0.
void DrawShownLines(TIndex &index, win::HDC hdc, const win::RECT *rect);

// The division of a price by the indicator's price divisor.
inline float Scaled(const TIndex &index, double price)
{
    return float(price) / index.PriceDivisor;
}

// The highest high and lowest low of a sliding window of records on the basis
// of the latest event. The positions of the extremes are carried from window to
// window; an extreme is searched again when its record has left the window or
// the basis changed, and the window's newest bar replaces it only when strictly
// beyond it.
class TWindowExtremes {
public:
    explicit TWindowExtremes(const TIndex &index) : m_Index(index) {}
    // Moves to the window first..last (first and last never move back).
    void Move(int first, int last, int latest);
    int64_t High = 0;
    int64_t Low = 0;

private:
    const TIndex &m_Index;
    int m_HighPos = -1;
    int m_LowPos = -1;
    int m_Latest = -1;
};
