// The indicators whose definition is a standard one against TA-Lib's values on
// the committed golden series (tools/talib/make_goldens.sh): RSI, W%R, CCI,
// ROC, the two averages of MACD, BOLL with one standard deviation and DMI after
// its warm-up. 32-bit floats against doubles: within 1e-5 of the value, or of
// the indicator's scale where the value is near zero.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "BuiltinFixture.h"

namespace {

struct GoldenCase {
    int id;
    int lines;
    std::vector<int> params;
    const char *file;
    std::vector<std::pair<int, int>> lineColumn;
    int from;        // first bar compared
    bool sameStart;  // none exactly where the golden has no value
    double sign;
    double scale;    // the indicator's typical magnitude
};

void ExpectClose(double ours, double golden, double scale, const std::string &where)
{
    EXPECT_LE(std::fabs(ours - golden), 1e-5 * std::max(std::fabs(golden), scale))
        << where << ": " << ours << " against " << golden;
}

TEST(TaLibGoldens, IndicatorsMatchTaLib)
{
    const GoldenCase cases[] = {
        {87, 3, {6, 12, 24}, "rsi.txt", {{0, 0}, {1, 1}, {2, 2}}, 0, true, 1, 100},
        {90, 2, {10, 6}, "willr.txt", {{0, 0}, {1, 1}}, 0, true, -1, 100},
        // CCI divides the close's small distance from its mean, which 32-bit
        // floats carry to about six digits: 1e-5 of its full range of +-300.
        {83, 1, {14}, "cci.txt", {{0, 0}}, 0, true, 1, 300},
        {86, 3, {12, 0, 0}, "roc.txt", {{0, 0}}, 0, true, 1, 10},
        {122, 3, {20, 1}, "boll.txt", {{0, 0}}, 0, true, 1, 10},
        {122, 3, {20, 1}, "boll.txt", {{1, 1}, {2, 2}}, 38, false, 1, 10},
        {43, 4, {14}, "dmi.txt", {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, 300, false, 1, 100},
    };
    for (const GoldenCase &c : cases) {
        BuiltinFixture f;
        f.Define({{c.id, c.lines, c.params}});
        f.GoldenSeries();
        auto index = f.Make(c.id);
        ASSERT_TRUE(index) << c.id;
        ASSERT_TRUE(index->Compute()) << c.id;
        auto golden = ReadGolden(c.file);
        ASSERT_EQ(int(golden.size()), index->RecordCount) << c.file;
        for (auto [line, column] : c.lineColumn) {
            for (int i = c.from; i < index->RecordCount; ++i) {
                double g = golden[size_t(i)][size_t(column)];
                float v = index->Lines[line][i];
                std::string where = std::string(c.file) + " line " + std::to_string(line) + " bar " +
                                    std::to_string(i);
                if (std::isnan(g)) {
                    if (c.sameStart) {
                        EXPECT_EQ(v, NoValue) << where;
                    }
                    continue;
                }
                ASSERT_FALSE(IsOutOfRangeValue(v)) << where;
                ExpectClose(v, c.sign * g, c.scale, where);
            }
        }
    }
}

// MACD's two averages are TA-Lib's exponential averages of (H + L + 2C) / 4,
// and DIF is the short one minus the long one.
TEST(TaLibGoldens, MacdAveragesMatchTaLib)
{
    BuiltinFixture f;
    f.Define({{45, 3, {12, 26, 9}}});
    f.GoldenSeries();
    auto index = f.Make(45);
    ASSERT_TRUE(index && index->Compute());
    auto golden = ReadGolden("macd_ema.txt");
    ASSERT_EQ(int(golden.size()), index->RecordCount);
    for (int i = 0; i < index->RecordCount; ++i) {
        const std::string where = "bar " + std::to_string(i);
        ExpectClose(TIndex::WorkA[2][i], golden[size_t(i)][0], 10, where);
        double fast = golden[size_t(i)][1], slow = golden[size_t(i)][2];
        if (!std::isnan(fast))
            ExpectClose(TIndex::WorkA[0][i], fast, 10, where);
        if (std::isnan(slow)) {
            EXPECT_EQ(index->Lines[0][i], NoValue) << where;
            continue;
        }
        ExpectClose(TIndex::WorkA[1][i], slow, 10, where);
        ExpectClose(index->Lines[0][i], fast - slow, 10, where);
    }
}

// With the periods the other way round DIF is still the short average minus
// the long one; the long one, unseeded, starts from the price and converges.
TEST(TaLibGoldens, MacdDifIsShortMinusLongWhicheverParameterIsShort)
{
    BuiltinFixture f;
    f.Define({{45, 3, {26, 12, 9}}});
    f.GoldenSeries();
    auto index = f.Make(45);
    ASSERT_TRUE(index && index->Compute());
    auto golden = ReadGolden("macd_ema.txt");
    for (int i = 400; i < index->RecordCount; ++i)
        ExpectClose(index->Lines[0][i], golden[size_t(i)][1] - golden[size_t(i)][2], 10, std::to_string(i));
}

// The series of the cases the first one avoids (tools/talib: ties of the
// high's rise and the low's fall, stretches without trade, limit-up runs).
// DMI: a tie counts for neither movement, as in TA-Lib. CCI: a window of equal
// typical prices carries the previous value; TA-Lib's double mean of equal
// values is not exactly the value, and it gives the rounding noise of +-66.67
// there, so those bars are checked for the carry instead.
TEST(TaLibGoldens, TiesAndFlatWindows)
{
    BuiltinFixture f;
    f.Define({{43, 4, {14}}, {83, 1, {14}}});
    std::vector<KLineRecord> bars = f.GoldenSeries("ties_series.txt");
    int ties = 0;
    for (size_t i = 1; i < bars.size(); ++i)
        ties += int64_t(bars[i].High) - bars[i - 1].High > 0 &&
                int64_t(bars[i].High) - bars[i - 1].High == int64_t(bars[i - 1].Low) - bars[i].Low;
    ASSERT_GT(ties, 100);

    auto dmi = f.Make(43);
    ASSERT_TRUE(dmi && dmi->Compute());
    auto golden = ReadGolden("ties_dmi.txt");
    ASSERT_EQ(int(golden.size()), dmi->RecordCount);
    for (int k = 0; k < 4; ++k)
        for (int i = 300; i < dmi->RecordCount; ++i)
            ExpectClose(dmi->Lines[k][i], golden[size_t(i)][size_t(k)], 100,
                        "DMI line " + std::to_string(k) + " bar " + std::to_string(i));

    auto cci = f.Make(83);
    ASSERT_TRUE(cci && cci->Compute());
    golden = ReadGolden("ties_cci.txt");
    const int n = 14;
    int flat = 0;
    for (int i = n - 1; i < cci->RecordCount; ++i) {
        const std::string where = "CCI bar " + std::to_string(i);
        auto sum = [&](int j) { return int64_t(bars[size_t(j)].High) + bars[size_t(j)].Low + bars[size_t(j)].Close; };
        bool same = true;
        for (int j = i - n + 1; j < i; ++j)
            same = same && sum(j) == sum(i);
        const float v = cci->Lines[0][i];
        if (same) {
            ++flat;
            EXPECT_EQ(v, cci->Lines[0][i - 1]) << where;
            continue;
        }
        ASSERT_FALSE(IsOutOfRangeValue(v)) << where;
        ExpectClose(v, golden[size_t(i)][0], 300, where);
    }
    EXPECT_GT(flat, 30);
}

// The averages of a long history whose price falls from 20.00 to 0.50 are
// TA-Lib's to the float rounding of the result: the running sum leaves no
// error behind as the price falls.
TEST(TaLibGoldens, AveragesOfAFallingHistoryStayExact)
{
    constexpr int bars = 12000;
    BuiltinFixture f;
    f.Define({{4, 6, {5, 10, 20, 30, 60, 120}}});
    std::vector<std::vector<uint32_t>> rows;
    for (int i = 0; i < bars; ++i) {
        const auto c = uint32_t(2000 - int(1950LL * i / (bars - 1)) + int((i * 7919L) % 11) - 5);
        rows.push_back({c, c, c, c});
    }
    f.Ohlc(rows);
    auto ma = f.Make(4);
    ASSERT_TRUE(ma && ma->Compute());
    ASSERT_EQ(ma->RecordCount, bars);
    std::ifstream in(GoldenPath("falling_sma.txt"));
    int bar = 0, checked = 0;
    while (in >> bar) {
        for (int k = 0; k < 6; ++k) {
            double g = 0;
            in >> g;
            const float v = ma->Lines[k][bar];
            EXPECT_LE(std::fabs(v - g), 2.5e-7 * g) << "MA line " << k << " bar " << bar << ": " << v << " against " << g;
        }
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

} // namespace
