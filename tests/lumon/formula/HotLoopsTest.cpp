// The indicators' fast loops against the plain arithmetic they stand for: the
// prices over the divisor taken without a division, bit for bit for every
// price, and BOLL's bands over a history long enough for its four stretches
// side by side, against the textbook deviation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "BuiltinFixture.h"
#include "lumon/formula/BuiltinSupport.h"

namespace {

uint32_t Bits(float x)
{
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Every price below 2^24 (where the product is used) for whole divisors, some
// beyond (where the series is divided as it is), and a fractional divisor:
// each the float quotient of float(price) and the divisor, to the bit.
TEST(HotLoops, ScaledSeriesIsTheFloatQuotientForEveryPrice)
{
    constexpr int Chunk = 1 << 16;
    std::vector<KLineRecord> records(Chunk);
    std::vector<float> high(Chunk), low(Chunk);
    auto check = [&](float divisor, uint32_t first, uint32_t step) {
        for (int k = 0; k < Chunk; ++k) {
            records[size_t(k)].High = first + uint32_t(k) * step;
            records[size_t(k)].Low = records[size_t(k)].High ^ 0x5a5;
        }
        // An odd count: the one-by-one tail as well.
        ScaledSeries<&KLineRecord::High, &KLineRecord::Low>(high.data(), low.data(), records.data(), Chunk - 3,
                                                            divisor);
        for (int k = 0; k < Chunk - 3; ++k) {
            const KLineRecord &r = records[size_t(k)];
            if (Bits(high[size_t(k)]) != Bits(float(r.High) / divisor) ||
                Bits(low[size_t(k)]) != Bits(float(r.Low) / divisor)) {
                ADD_FAILURE() << "divisor " << divisor << " price " << r.High << " or " << r.Low;
                return false;
            }
        }
        return true;
    };
    for (float divisor : {100.0f, 1000.0f})
        for (uint32_t first = 0; first < (1u << 24); first += Chunk - 3)
            if (!check(divisor, first, 1))
                return;
    for (float divisor : {1.0f, 3.0f, 10.0f, 7.0f, 10000.0f, 99991.0f, 65536.0f, 0.5f, 2.5f})
        if (!check(divisor, 12345, 251))
            return;
    // A series that reaches 2^24, 2^31 and beyond.
    check(100.0f, (1u << 24) - 1000, 1);
    check(100.0f, (1u << 24) - 7 * Chunk, 7);
    check(1000.0f, (1u << 31) - 64 * Chunk, 97);
    check(100.0f, 0, 65537);
}

// BOLL on 3,000 bars, the distance from each bar's own average (times 1.96)
// and from the current average, against the deviation summed over each window
// in long double.
TEST(HotLoops, BollOverALongHistoryIsTheTextbookDeviation)
{
    constexpr int Count = 3000;
    std::vector<std::vector<uint32_t>> rows;
    uint32_t price = 150000;
    unsigned seed = 7;
    for (int i = 0; i < Count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t open = price;
        price = uint32_t(int(price) + int((seed >> 16) % 801) - 400);
        if (i % 500 < 20) // a halt: flat windows, a deviation of 0
            price = open;
        rows.push_back({open, std::max(open, price) + 50, std::min(open, price) - 50, price});
    }
    for (int n : {20, 7}) {
        for (int mode : {1, 0}) {
            BuiltinFixture f;
            f.Define({{122, 3, {n, mode}}});
            std::vector<KLineRecord> bars = f.Ohlc(rows);
            auto index = f.Make(122);
            ASSERT_TRUE(index);
            ASSERT_TRUE(index->Compute());
            ASSERT_EQ(index->RecordCount, Count);
            const long double divisor = index->PriceDivisor;
            auto close = [&](int j) { return (long double)(bars[size_t(j)].Close) / divisor; };
            for (int i = 0; i < Count; ++i) {
                const float middle = index->Lines[0][i], upper = index->Lines[1][i], lower = index->Lines[2][i];
                if (i < 2 * n - 2) {
                    EXPECT_EQ(upper, NoValue) << i;
                    EXPECT_EQ(lower, NoValue) << i;
                    continue;
                }
                long double s = 0;
                for (int j = i - n + 1; j <= i; ++j) {
                    const long double d = close(j) - (mode == 0 ? index->Lines[0][j] : middle);
                    s += d * d;
                }
                const long double sd = std::sqrt(s / n) * (mode == 0 ? 1.96L : 1.0L);
                const double tolerance = 2e-6 * std::fabs(middle) + 1e-4;
                ASSERT_NEAR(upper, double(middle + sd), tolerance) << "n " << n << " mode " << mode << " bar " << i;
                ASSERT_NEAR(lower, double(middle - sd), tolerance) << "n " << n << " mode " << mode << " bar " << i;
            }
        }
    }
}

} // namespace
