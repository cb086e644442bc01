// The indicators whose definition is a standard one against TA-Lib's values on
// the committed golden series (tools/talib/make_goldens.sh): RSI, W%R, CCI,
// ROC, the two averages of MACD, BOLL with one standard deviation and DMI after
// its warm-up. 32-bit floats against doubles: within 1e-5 of the value, or of
// the indicator's scale where the value is near zero.
#include <gtest/gtest.h>

#include <cmath>

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

} // namespace
