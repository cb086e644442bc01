// The statistics behind the formula's series functions, over a float array a of
// n entries, accumulated in extended precision; results as floats.
#pragma once

#include <cfloat>
#include <cmath>

// The sum; 0 when n < 1.
float SeriesSum(const float *a, int n);
// The sum / n; 0 when n < 1.
float SeriesMean(const float *a, int n);
// previous + (x - previous) x 2 / (n + 1); 0 when n + 1 < 1.
inline long double EmaStep(long double x, long double previous, int n)
{
    if (n + 1LL < 1)
        return 0;
    return previous + (x - previous) * 2 / (n + 1.0L);
}
// The mean of the first n entries (the seed), then EmaStep over entries
// n .. total - 1 when n < total.
float SeriesEma(const float *a, int n, int total);
// The largest (max) or smallest entry; a[0] when n is 1; no value (1e16) when
// the array is empty.
float SeriesMaxMin(const float *a, int n, bool max);
// The sum of |a[i] - mean|, of (a[i] - mean) squared, and its square root
// (none of them divided by n); 0 when n < 1.
float SeriesAbsDeviation(const float *a, int n);
float SeriesSquaredDeviation(const float *a, int n);
float SeriesStdDeviation(const float *a, int n);

// An extended-precision result as a float: beyond the float range it becomes an
// infinity of its sign.
inline float ToFloat(long double v)
{
    if (v > FLT_MAX)
        return HUGE_VALF;
    if (v < -FLT_MAX)
        return -HUGE_VALF;
    return float(v);
}
