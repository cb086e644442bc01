#include "lumon/formula/Oscillators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lumon/formula/BuiltinSupport.h"

bool RSI::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {20.0f, 50.0f, 80.0f});
    StylesFromParams(*this, p, 3);
    TitlesFromParams(*this, p, 3);
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    for (int k = 0; k < 3; ++k)
        if (p[k] < 2 || p[k] > 100)
            return false;
    float *change = WorkA[0];
    if (!change || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    // The close's moves in price units, each against the previous close as
    // this bar sees it.
    change[0] = 0;
    for (int i = 1; i < count; ++i)
        change[i] = float(int64_t(Records[i].Close) - int64_t(PreviousRecord(*this, i).Close));
    int periods[3];
    float *lines[3];
    int m = 0;
    for (int k = 0; k < 3; ++k)
        if (p[k] < count) {
            periods[m] = p[k];
            lines[m++] = Lines[k];
        }
    switch (m) {
    case 1: RsiLines<1>(change, count, periods, lines); break;
    case 2: RsiLines<2>(change, count, periods, lines); break;
    case 3: RsiLines<3>(change, count, periods, lines); break;
    default: break;
    }
    Computed = 1;
    return true;
}

bool W_R::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {20.0f, 50.0f, 80.0f});
    StylesFromParams(*this, p, 2);
    TitlesFromParams(*this, p, 2);
    FillLinesNone();
    if (RecordCount == 0 || p[0] < 1)
        return false;
    const int count = RecordCount;
    if (!EventMode() && WorkA[0] && WorkA[1] && count <= WorkCapacity) {
        // The records as they are: the highs and lows side by side in the work
        // arrays, each window's extremes carried as TWindowExtremes carries
        // them.
        auto *high = reinterpret_cast<uint32_t *>(WorkA[0]);
        auto *low = reinterpret_cast<uint32_t *>(WorkA[1]);
        for (int i = 0; i < count; ++i) {
            high[i] = Records[i].High;
            low[i] = Records[i].Low;
        }
        for (int k = 0; k < 2; ++k) {
            const int n = p[k];
            if (n <= 0 || n > count)
                continue;
            float *line = Lines[k];
            int hp = -1, lp = -1;
            uint32_t h = 0, l = 0;
            for (int i = n - 1; i < count; ++i) {
                const int first = i - n + 1;
                if (hp < first) {
                    hp = first;
                    h = high[first];
                    for (int j = first + 1; j <= i; ++j)
                        if (high[j] > h) {
                            h = high[j];
                            hp = j;
                        }
                } else if (high[i] > h) {
                    h = high[i];
                    hp = i;
                }
                if (lp < first) {
                    lp = first;
                    l = low[first];
                    for (int j = first + 1; j <= i; ++j)
                        if (low[j] < l) {
                            l = low[j];
                            lp = j;
                        }
                } else if (low[i] < l) {
                    l = low[i];
                    lp = i;
                }
                const int64_t range = int64_t(h) - int64_t(l);
                if (range == 0)
                    line[i] = i == 0 ? 0.0f : line[i - 1];
                else
                    line[i] = float(int64_t(h) - int64_t(Records[i].Close)) / float(range) * 100.0f;
            }
        }
        Computed = 1;
        return true;
    }
    for (int k = 0; k < 2; ++k) {
        const int n = p[k];
        if (n <= 0)
            continue;
        float *line = Lines[k];
        TWindowExtremes window(*this);
        for (int64_t i = int64_t(n) - 1; i < count; ++i) {
            window.Move(int(i - n + 1), int(i), LatestEventAt(*this, int(i)));
            const int64_t range = window.High - window.Low;
            if (range == 0)
                line[i] = i == 0 ? 0.0f : line[i - 1];
            else
                line[i] = float(window.High - int64_t(Records[i].Close)) / float(range) * 100.0f;
        }
    }
    Computed = 1;
    return true;
}

bool CCI::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {-100.0f, 0.0f, 100.0f});
    Styles[0].Style = p[0] != 0 ? StyleLine : StyleNone;
    FillLinesNone();
    const int n = p[0];
    if (RecordCount == 0 || n < 1)
        return false;
    const int count = RecordCount;
    if (n - 1 >= count) {
        Computed = 1;
        return true;
    }
    // The typical price is (H + L + C) / 3 / divisor, so with s = H + L + C in
    // price units and S the sum of the window's n sums,
    //   CCI = (tp - mean) / (0.015 * mean deviation)
    //       = n * (n * s - S) / (0.015 * sum of |n * s_j - S|),
    // worked in whole numbers up to the one division: exact, and a window is
    // flat exactly when its sums are all equal (the float mean of equal
    // prices is not always the price, and a float deviation of rounding noise
    // would make the line jump). A flat window carries the previous value.
    static std::vector<int64_t> sums;
    if (sums.size() < size_t(count))
        sums.resize(size_t(count));
    auto priceSum = [](const KLineRecord &r) { return int64_t(r.High) + int64_t(r.Low) + int64_t(r.Close); };
    int64_t largest = 0;
    for (int i = 0; i < count; ++i) {
        sums[size_t(i)] = priceSum(Records[i]);
        largest = std::max(largest, sums[size_t(i)]);
    }
    const int64_t *w = sums.data();
    int64_t total = 0; // the sums of the window up to the bar before
    int run = 0;       // the equal sums that end at the current bar
    for (int i = 0; i < n - 1; ++i) {
        total += w[i];
        run = i > 0 && w[i] == w[i - 1] ? run + 1 : 1;
    }
    float *line = Lines[0];
    const int64_t wn = n;
    for (int i = n - 1; i < count; ++i) {
        const int first = i - n + 1;
        // At an event the window's earlier prices are carried to the level
        // after it; the record's own stays.
        if (int number = EventMode() ? EventTakingEffectAt(i) : 0) {
            total = w[i];
            for (int j = first; j < i; ++j) {
                sums[size_t(j)] = priceSum(RecordOnBasis(*this, j, number));
                largest = std::max(largest, w[j]);
                total += w[j];
            }
            run = 1;
            while (run < n && w[i - run] == w[i])
                ++run;
        } else {
            total += w[i];
            run = i > 0 && w[i] == w[i - 1] ? run + 1 : 1;
        }
        if (run >= n) {
            line[i] = i == 0 ? NoValue : line[i - 1];
        } else {
            double deviation;
            // Whole numbers while n * n * s stays well inside 64 bits (any
            // price below 10^8 units with n up to 10^4 and more).
            if (double(largest) * double(wn) * double(wn) < 4e18) {
                int64_t d = 0;
                for (int j = first; j <= i; ++j) {
                    const int64_t x = wn * w[j] - total;
                    d += x < 0 ? -x : x;
                }
                deviation = double(d);
            } else {
                deviation = 0;
                for (int j = first; j <= i; ++j)
                    deviation += std::fabs(double(wn * w[j] - total));
            }
            line[i] = float(double(wn * w[i] - total) * double(wn) / (0.015 * deviation));
        }
        total -= w[first];
    }
    Computed = 1;
    return true;
}

bool ROC::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    StylesFromParams(*this, p, 3);
    Styles[1].TitleParam = float(p[1]);
    const int n = p[0];
    float *absolute = WorkA[0];
    const int count = RecordCount;
    // The averages write their whole lines and ROC its own from bar n; what
    // is not computed has none.
    if (count == 0 || n < 1 || n >= count || p[1] <= 0 || (p[2] != 0 && (!absolute || count > WorkCapacity)))
        FillLinesNone();
    else if (p[2] == 0)
        std::fill(Lines[2], Lines[2] + count, NoValue);
    if (RecordCount == 0 || n < 1)
        return false;
    if (n < count) {
        float *line = Lines[0];
        std::fill(line, line + n, NoValue);
        int i = n;
        if (!EventMode()) {
            // Four bars at a time while every earlier close is above 0 and
            // every close below 2^31 (the differences then fit 32 bits): the
            // same subtraction, conversion, division and scaling, lane by
            // lane. The rest, from a zero close on, goes one by one below.
            typedef int32_t Ints __attribute__((vector_size(16)));
            typedef float Floats __attribute__((vector_size(16)));
            const Floats hundred = {100.0f, 100.0f, 100.0f, 100.0f};
            const KLineRecord *r = Records;
            for (; i + 4 <= count; i += 4) {
                const uint32_t c0 = r[i].Close, c1 = r[i + 1].Close, c2 = r[i + 2].Close, c3 = r[i + 3].Close;
                const uint32_t b0 = r[i - n].Close, b1 = r[i + 1 - n].Close, b2 = r[i + 2 - n].Close,
                               b3 = r[i + 3 - n].Close;
                if (b0 == 0 || b1 == 0 || b2 == 0 || b3 == 0 || ((c0 | c1 | c2 | c3 | b0 | b1 | b2 | b3) >> 31))
                    break;
                const Ints c = {int32_t(c0), int32_t(c1), int32_t(c2), int32_t(c3)};
                const Ints b = {int32_t(b0), int32_t(b1), int32_t(b2), int32_t(b3)};
                const Floats q = __builtin_convertvector(c - b, Floats) / __builtin_convertvector(b, Floats) * hundred;
                std::memcpy(line + i, &q, sizeof q);
            }
        }
        for (; i < count; ++i) {
            const int64_t base = RecordOnBasis(*this, i - n, LatestEventAt(*this, i)).Close;
            if (base == 0)
                line[i] = line[i - 1];
            else
                line[i] = float(int64_t(Records[i].Close) - base) / float(base) * 100.0f;
        }
        if (p[1] > 0)
            MovingAverage(Lines[1], line, count, p[1], n);
        if (p[2] != 0 && p[1] > 0) {
            if (!absolute || count > WorkCapacity)
                return false;
            for (int i = 0; i < count; ++i)
                absolute[i] = std::fabs(line[i]);
            MovingAverage(Lines[2], absolute, count, p[1], n);
        }
    }
    Computed = 1;
    return true;
}

bool BIAS::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    StylesFromParams(*this, p, 4);
    TitlesFromParams(*this, p, 4);
    if (p[0] < 1 && p[1] < 1 && p[2] < 1)
        Styles[3].Style = StyleNone;
    FillLinesNone();
    float *w = WorkA[0], *average = WorkA[1];
    if (RecordCount == 0 || !w || !average || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    for (int i = 0; i < count; ++i)
        w[i] = Scaled(*this, Records[i].Close);
    for (int k = 0; k < 3; ++k) {
        const int n = p[k];
        if (n <= 0)
            continue;
        if (EventMode())
            AdjustSeriesForExRights(average, count, n, Weights, WeightCount);
        else
            MovingAverage(average, w, count, n, 0);
        float *line = Lines[k];
        for (int64_t i = int64_t(n) - 1; i < count; ++i) {
            if (average[i] == 0)
                line[i] = i == 0 ? 0.0f : line[i - 1];
            else
                line[i] = (w[i] - average[i]) / average[i] * 100.0f;
        }
    }
    // Line 3 averages line 0, which has no values without a period of its own.
    if (p[3] > 0 && p[0] >= 1)
        MovingAverage(Lines[3], Lines[0], count, p[3], p[0] - 1);
    Computed = 1;
    return true;
}

bool PSY::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {75.0f, 25.0f});
    Styles[0].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].Style = p[0] >= 1 && p[1] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[1]);
    FillLinesNone();
    const int n = p[0];
    if (RecordCount == 0 || n < 1)
        return false;
    const int count = RecordCount;
    if (n < count) {
        auto rises = [&](int i) { return i >= 1 && Records[i].Close > PreviousRecord(*this, i).Close; };
        float *line = Lines[0];
        int rising = 0;
        for (int i = 1; i < count; ++i) {
            rising += rises(i);
            if (i >= n) {
                line[i] = float(rising) / float(n) * 100.0f;
                rising -= rises(i - n + 1);
            }
        }
        if (p[1] > 0)
            MovingAverage(Lines[1], line, count, p[1], n);
    }
    Computed = 1;
    return true;
}

bool SPOS::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    StylesFromParams(*this, p, 2);
    if (p[0] < 1)
        Styles[1].Style = StyleNone;
    Styles[1].TitleParam = float(p[1]);
    FillLinesNone();
    if (RecordCount == 0 || p[0] < 1)
        return false;
    const int count = RecordCount;
    const float divisor = float(int64_t(p[0]) + 1);
    float *line = Lines[0];
    for (int i = 0; i < count; ++i) {
        const KLineRecord &r = Records[i];
        const int64_t h = r.High, l = r.Low, o = r.Open, c = r.Close;
        if (h == l) {
            line[i] = i == 0 ? 0.0f : line[i - 1];
            continue;
        }
        const float x = float((h - o) + (c - l)) / float(2 * (h - l));
        line[i] = i == 0 ? x : (x - line[i - 1]) * 2.0f / divisor + line[i - 1];
    }
    if (p[1] > 0)
        MovingAverage(Lines[1], line, count, p[1], 0);
    Computed = 1;
    return true;
}
