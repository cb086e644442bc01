// What the built-in indicators share: the compute prologue, how they see
// earlier records in event mode (unadjusted history with ex-rights events
// loaded: the previous record carried across the events that take effect at a
// record, windows of earlier records on the basis of the latest event met;
// outside event mode the records as they are), their styles from the
// parameters, and the drawing of their shown lines.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#ifdef __SSE__
#include <immintrin.h>
#endif

#include "lumon/formula/TIndex.h"

// The base compute (reference lines, data load), then the parameter set of the
// pane's period; null when either failed.
const int32_t *BeginCompute(TIndex &index);
// The same, then every line shown as LINE and filled with none.
const int32_t *BeginComputeShowingAll(TIndex &index);

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

// Style of line k = LINE when p[k] is non-zero, else NONE, for lines 0..count-1.
void StylesFromParams(TIndex &index, const int32_t *p, int count);

// Lines 0..count-1 all shown as LINE, or all NONE.
void ShowLines(TIndex &index, int count, bool shown);

// Title parameter of line k = p[k], for lines 0..count-1.
void TitlesFromParams(TIndex &index, const int32_t *p, int count);

// Forces reference lines 0, 1, ... (at most 4) shown at the given levels,
// whatever the reference-line file said.
void ForceRefLines(TIndex &index, std::initializer_list<float> levels);

// Takes the plot rectangle of an indicator's own draw: the title band (16
// pixels) off the top when there is room, and with bottomBand as much off the
// bottom when there is room left.
void TakePlotRect(TIndex &index, const win::RECT *rect, bool bottomBand = false);
// The start of an indicator's own draw: the plot rectangle taken as above, the
// layout and the value axis; false without a rectangle or a computation.
bool BeginOwnDraw(TIndex &index, win::HDC hdc, const win::RECT *rect, bool bottomBand = false);

// Sets the value range and scale of the plot; a span without a value becomes
// 0, a flat span is widened so that the scale never divides by zero.
void SetValueRange(TIndex &index, float max, float min);

// Every line whose style is not NONE, as a polyline from record 0.
void DrawShownLines(TIndex &index, win::HDC hdc, const win::RECT *rect);

// The bars an indicator whose lines are built from several passes takes at a
// time, so that what one pass leaves is still in the cache for the next.
constexpr int CacheStretch = 4096;

// The division of a price by the indicator's price divisor.
inline float Scaled(const TIndex &index, double price)
{
    return float(price) / index.PriceDivisor;
}

// dst[i] and dst2[i] = two fields of records[i] (High, Low or Close) over the
// divisor, as Scaled gives them, for i < count, in one pass over the records.
//
// With a whole divisor D below 2^26 and every price below 2^24 the quotient is
// taken as float(double(x) * RN(1 / D)) in doubles, four at a time, without a
// division. That is float(x) / D to the bit: the product is within 2^-52 of
// x / D (relatively), while x / D is at least 2^-25 / D (relatively) away from
// every point halfway between two floats, which it never meets (x / D would
// need 25 significant bits, so x at least 2^24). So both round to the same
// float. A series with a higher price, or another divisor, is divided as it
// is: four at a time in floats, the conversion treating a price as signed,
// which holds below 2^31; beyond, one by one.
template <uint32_t KLineRecord::*Field, uint32_t KLineRecord::*Field2>
inline void ScaledSeries(float *dst, float *dst2, const KLineRecord *records, int count, float divisor)
{
    typedef int32_t Ints __attribute__((vector_size(16)));
    typedef float Floats __attribute__((vector_size(16)));
    typedef double Doubles __attribute__((vector_size(32)));
    uint32_t seen = 0;
    int i = 0;
    if (divisor >= 1 && divisor < 67108864.0f && divisor == float(int32_t(divisor))) {
        const double inverse = 1.0 / double(divisor);
        auto four = [inverse](float *to, const KLineRecord *r, uint32_t KLineRecord::*field, uint32_t &seen) {
            const uint32_t a = r[0].*field, b = r[1].*field, c = r[2].*field, e = r[3].*field;
            seen |= a | b | c | e;
            const Ints v = {int32_t(a), int32_t(b), int32_t(c), int32_t(e)};
            const Floats q = __builtin_convertvector(__builtin_convertvector(v, Doubles) * inverse, Floats);
            std::memcpy(to, &q, sizeof q);
        };
        for (; i + 4 <= count; i += 4) {
            four(dst + i, records + i, Field, seen);
            if constexpr (Field2 != Field)
                four(dst2 + i, records + i, Field2, seen);
        }
        for (; i < count; ++i) {
            const uint32_t x = records[i].*Field, x2 = records[i].*Field2;
            seen |= x | x2;
            dst[i] = float(double(int32_t(x)) * inverse);
            dst2[i] = float(double(int32_t(x2)) * inverse);
        }
        if (!(seen >> 24))
            return;
        seen = 0;
        i = 0;
    }
    const Floats d = {divisor, divisor, divisor, divisor};
    for (; i + 4 <= count; i += 4) {
        const KLineRecord *r = records + i;
        const uint32_t a = r[0].*Field, b = r[1].*Field, c = r[2].*Field, e = r[3].*Field;
        const Ints v = {int32_t(a), int32_t(b), int32_t(c), int32_t(e)};
        const Floats q = __builtin_convertvector(v, Floats) / d;
        std::memcpy(dst + i, &q, sizeof q);
        seen |= a | b | c | e;
        if constexpr (Field2 != Field) {
            const uint32_t a2 = r[0].*Field2, b2 = r[1].*Field2, c2 = r[2].*Field2, e2 = r[3].*Field2;
            const Ints v2 = {int32_t(a2), int32_t(b2), int32_t(c2), int32_t(e2)};
            const Floats q2 = __builtin_convertvector(v2, Floats) / d;
            std::memcpy(dst2 + i, &q2, sizeof q2);
            seen |= a2 | b2 | c2 | e2;
        }
    }
    for (; i < count; ++i) {
        const uint32_t x = records[i].*Field, x2 = records[i].*Field2;
        seen |= x | x2;
        dst[i] = float(int32_t(x)) / divisor;
        dst2[i] = float(int32_t(x2)) / divisor;
    }
    if (seen >> 31)
        for (i = 0; i < count; ++i) {
            dst[i] = float(records[i].*Field) / divisor;
            dst2[i] = float(records[i].*Field2) / divisor;
        }
}

// The same for one field.
template <uint32_t KLineRecord::*Field>
inline void ScaledSeries(float *dst, const KLineRecord *records, int count, float divisor)
{
    ScaledSeries<Field, Field>(dst, dst, records, count, divisor);
}
// std::max(x, 0.0f) (0 > x ? 0 : x, signed zeros and NaN alike) without a
// branch: MAXSS is that comparison and choice in one instruction.
inline float AtLeastZero(float x)
{
#ifdef __SSE__
    return _mm_cvtss_f32(_mm_max_ss(_mm_setzero_ps(), _mm_set_ss(x)));
#else
    return std::max(x, 0.0f);
#endif
}

// M lines of RSI (Wilder's smoothing of rises and falls, periods n) over the
// same moves change[1..count-1], side by side: each bar's M smoothing steps do
// not wait for each other. Rises and falls are summed without a branch on the
// sign, which no predictor guesses: adding +0 leaves a sum as it is (a
// compiler left with std::max makes one of the two a branch).
template <int M>
inline void RsiLines(const float *change, int count, const int *n, float *const *line)
{
    float up[M], down[M], f[M];
    for (int k = 0; k < M; ++k) {
        up[k] = down[k] = 0;
        f[k] = float(n[k] - 1) / float(n[k]);
    }
    for (int i = 1; i < count; ++i) {
        const float d = change[i];
        const float rise = AtLeastZero(d), fall = AtLeastZero(-d);
        for (int k = 0; k < M; ++k) {
            if (i > n[k]) {
                up[k] *= f[k];
                down[k] *= f[k];
            }
            up[k] += rise;
            down[k] += fall;
            if (i >= n[k])
                line[k][i] = up[k] + down[k] == 0 ? line[k][i - 1] : up[k] * 100.0f / (up[k] + down[k]);
        }
    }
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

// Inline: W%R and MIKE move the window once a bar.
inline void TWindowExtremes::Move(int first, int last, int latest)
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
