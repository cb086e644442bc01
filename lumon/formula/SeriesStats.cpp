#include "lumon/formula/SeriesStats.h"

#include <cmath>

#include "lumon/formula/TIndex.h"

namespace {

long double Mean(const float *a, int n)
{
    if (n < 1)
        return 0;
    long double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += a[i];
    return sum / n;
}

} // namespace

float SeriesSum(const float *a, int n)
{
    long double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += a[i];
    return ToFloat(sum);
}

float SeriesMean(const float *a, int n)
{
    return ToFloat(Mean(a, n));
}

float SeriesEma(const float *a, int n, int total)
{
    long double ema = Mean(a, n);
    for (int i = n < 0 ? 0 : n; i < total; ++i)
        ema = EmaStep(a[i], ema, n);
    return ToFloat(ema);
}

float SeriesMaxMin(const float *a, int n, bool max)
{
    if (n < 1)
        return NoValue;
    float m = a[0];
    for (int i = 1; i < n; ++i)
        if (max ? a[i] > m : a[i] < m)
            m = a[i];
    return m;
}

float SeriesAbsDeviation(const float *a, int n)
{
    long double mean = Mean(a, n), sum = 0;
    for (int i = 0; i < n; ++i)
        sum += std::fabs(a[i] - mean);
    return ToFloat(sum);
}

static long double SquaredDeviation(const float *a, int n)
{
    long double mean = Mean(a, n), sum = 0;
    for (int i = 0; i < n; ++i)
        sum += (a[i] - mean) * (a[i] - mean);
    return sum;
}

float SeriesSquaredDeviation(const float *a, int n)
{
    return ToFloat(SquaredDeviation(a, n));
}

float SeriesStdDeviation(const float *a, int n)
{
    return ToFloat(std::sqrt(SquaredDeviation(a, n)));
}
