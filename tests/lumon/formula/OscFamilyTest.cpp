// The oscillator family against TA-Lib (goldens made by
// tools/talib/make_goldens_ind2.sh: MOM for MTM, RSI of the volume for VRSI),
// against references computed here (Wilder's RSI of the volume, the stochastic
// smoothing SMA(x, n, 1) seeded at 50 for KDJ) and hand-worked rows for SLOWKD,
// MI, RCCD and B3612; parameter checks and huge windows.
#include <climits>
#include <cmath>

#include "FamilyFixture.h"
#include "lumon/formula/OscFamily.h"

namespace {

std::vector<uint32_t> Walk(int n)
{
    std::vector<uint32_t> c;
    for (int i = 0; i < n; ++i)
        c.push_back(uint32_t(1000 + (i * 37 % 23) * 7 + i * 3));
    return c;
}

TEST(OscFamily, KdjFollowsTheSmoothedRawValue)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = f.DayBars(Walk(30));
    auto kdj = MakeIndex(f, 84, 3, {9, 3, 3});
    ASSERT_TRUE(kdj->Compute());
    double k = 50, d = 50;
    for (int i = 1; i < 30; ++i) {
        double hh = 0, ll = 1e18;
        for (int j = std::max(0, i - 8); j <= i; ++j) {
            hh = std::max(hh, double(bars[size_t(j)].High));
            ll = std::min(ll, double(bars[size_t(j)].Low));
        }
        double rsv = (bars[size_t(i)].Close - ll) * 100 / (hh - ll);
        k = (2 * k + rsv) / 3;
        EXPECT_NEAR(kdj->Lines[0][i], k, 1e-3) << i;
        if (i >= 2) {
            d = (2 * d + k) / 3;
            EXPECT_NEAR(kdj->Lines[1][i], d, 1e-3) << i;
            EXPECT_NEAR(kdj->Lines[2][i], 3 * k - 2 * d, 1e-3) << i;
        }
    }
    EXPECT_EQ(kdj->Lines[0][0], NoValue);
    EXPECT_EQ(kdj->Lines[1][1], NoValue);

    // Williams' form measures the close from the high.
    auto lwr = MakeIndex(f, 85, 2, {9, 3, 3});
    ASSERT_TRUE(lwr->Compute());
    double hh = std::max(bars[0].High, bars[1].High), ll = std::min(bars[0].Low, bars[1].Low);
    EXPECT_NEAR(lwr->Lines[0][1], (2 * 50 + (hh - bars[1].Close) * 100 / (hh - ll)) / 3, 1e-3);
}

TEST(OscFamily, StochasticParameterChecksAndFlatSeries)
{
    IndexFixture f;
    std::vector<KLineRecord> bars;
    for (int i = 0; i < 6; ++i) {
        KLineRecord b = Bar(20061101 + i, 0, 1000);
        bars.push_back(b);
    }
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    // A flat window gives the raw value 1: K and D fall from 50 toward 1.
    auto kd = MakeIndex(f, 91, 2, {9, 3, 3});
    ASSERT_TRUE(kd->Compute());
    EXPECT_NEAR(kd->Lines[0][1], (2 * 50.0 + 1) / 3, 1e-4);
    EXPECT_NEAR(kd->Lines[1][2], (2 * 50.0 + kd->Lines[0][2]) / 3, 1e-4);
    EXPECT_LT(kd->Lines[0][5], kd->Lines[0][4]);

    const std::vector<std::vector<int>> refused = {{9, 41, 3}, {9, 3, 1}, {0, 3, 3}, {101, 3, 3}, {9, 1, 3}};
    for (const auto &p : refused) {
        auto kdj = MakeIndex(f, 84, 3, p);
        EXPECT_FALSE(kdj->Compute()) << p[0] << " " << p[1] << " " << p[2];
        EXPECT_EQ(FirstValue(*kdj, 0), -1);
    }
    auto wide = MakeIndex(f, 85, 2, {500, 50, 50}); // LW_R has no upper bounds
    EXPECT_TRUE(wide->Compute());
}

TEST(OscFamily, SlowKdHiddenLinesStillComputed)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = f.DayBars(Walk(20));
    auto slow = MakeIndex(f, 88, 2, {5, 0});
    ASSERT_TRUE(slow->Compute());
    EXPECT_EQ(slow->Styles[0].Style, StyleNone);
    EXPECT_EQ(slow->Styles[1].Style, StyleNone);
    EXPECT_EQ(slow->RefShown[2], 1);
    EXPECT_EQ(slow->RefLevel[2], 80);
    EXPECT_FLOAT_EQ(slow->Lines[0][3], 50);
    double s = 50, k = 50;
    for (int i = 4; i < 20; ++i) {
        double hh = 0, ll = 1e18;
        for (int j = i - 4; j <= i; ++j) {
            hh = std::max(hh, double(bars[size_t(j)].High));
            ll = std::min(ll, double(bars[size_t(j)].Low));
        }
        s = 2.0 / 3 * s + 100.0 / 3 * (bars[size_t(i)].Close - ll) / (hh - ll);
        k = s / 3 + 2 * k / 3;
        EXPECT_NEAR(slow->Lines[0][i], k, 1e-3) << i;
    }
    // Period 0: line 1 is line 0 from index n on.
    EXPECT_EQ(slow->Lines[1][4], NoValue);
    for (int i = 5; i < 20; ++i)
        EXPECT_EQ(slow->Lines[1][i], slow->Lines[0][i]);
    auto named = MakeIndex(f, 88, 2, {5, 3});
    ASSERT_TRUE(named->Compute());
    EXPECT_STREQ(named->Definition.LineNames[0], "K");
    EXPECT_STREQ(named->Definition.LineNames[1], "D");
    EXPECT_FALSE(MakeIndex(f, 88, 2, {1, 3})->Compute());
}

TEST(OscFamily, VolumeRsiIsWildersRsiOfTheVolume)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = f.DayBars(Walk(40));
    for (size_t i = 0; i < bars.size(); ++i)
        bars[i].Volume = float(1000 + (i * 53 % 17) * 40);
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    auto vrsi = MakeIndex(f, 89, 1, {6});
    ASSERT_TRUE(vrsi->Compute());
    double up = 0, down = 0;
    for (int i = 1; i <= 6; ++i) {
        double d = bars[size_t(i)].Volume - bars[size_t(i - 1)].Volume;
        (d > 0 ? up : down) += std::fabs(d);
    }
    up /= 6;
    down /= 6;
    EXPECT_EQ(FirstValue(*vrsi, 0), 6);
    EXPECT_NEAR(vrsi->Lines[0][6], 100 * up / (up + down), 1e-3);
    for (int i = 7; i < 40; ++i) {
        double d = bars[size_t(i)].Volume - bars[size_t(i - 1)].Volume;
        up = (up * 5 + std::max(d, 0.0)) / 6;
        down = (down * 5 + std::max(-d, 0.0)) / 6;
        EXPECT_NEAR(vrsi->Lines[0][i], 100 * up / (up + down), 1e-3) << i;
    }
    EXPECT_FALSE(MakeIndex(f, 89, 1, {101})->Compute());
    f.DayBars(Walk(6));
    auto shortSeries = MakeIndex(f, 89, 1, {6});
    EXPECT_TRUE(shortSeries->Compute());
    EXPECT_EQ(FirstValue(*shortSeries, 0), -1);
}

TEST(OscFamily, MomentumAndVolumeRsiEqualTaLib)
{
    IndexFixture f;
    std::vector<std::vector<double>> talib = WriteTaLibSeries(f);
    auto mtm = MakeIndex(f, 46, 2, {12, 6});
    ASSERT_TRUE(mtm->Compute());
    ExpectColumn(*mtm, 0, talib, 4, 1e-4);
    auto vrsi = MakeIndex(f, 89, 1, {6});
    ASSERT_TRUE(vrsi->Compute());
    ExpectColumn(*vrsi, 0, talib, 5, 1e-3);
}

TEST(OscFamily, MomentumFamily)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(60);
    f.DayBars(closes);
    auto mtm = MakeIndex(f, 46, 2, {12, 6});
    ASSERT_TRUE(mtm->Compute());
    EXPECT_EQ(mtm->RefShown[0], 1);
    EXPECT_EQ(FirstValue(*mtm, 0), 12);
    EXPECT_EQ(FirstValue(*mtm, 1), 17);
    for (int i = 12; i < 60; ++i)
        EXPECT_NEAR(mtm->Lines[0][i], (double(closes[size_t(i)]) - closes[size_t(i - 12)]) / 100, 1e-4);
    EXPECT_FALSE(MakeIndex(f, 46, 2, {12, 0})->Compute());

    auto mi = MakeIndex(f, 201, 2, {4});
    ASSERT_TRUE(mi->Compute());
    double a4 = (double(closes[4]) - closes[0]) / 100, a5 = (double(closes[5]) - closes[1]) / 100;
    double a6 = (double(closes[6]) - closes[2]) / 100;
    EXPECT_NEAR(mi->Lines[0][4], a4, 1e-4);
    EXPECT_EQ(mi->Lines[1][4], NoValue);
    EXPECT_NEAR(mi->Lines[1][5], (3 * a4 + a5) / 4, 1e-4);
    EXPECT_NEAR(mi->Lines[1][6], (3 * ((3 * a4 + a5) / 4) + a6) / 4, 1e-4);

    // RCCD with n 3, windows 2 and 4: q = 10, line 0 from 11, line 1 from 12.
    auto rccd = MakeIndex(f, 202, 2, {3, 2, 4});
    ASSERT_TRUE(rccd->Compute());
    std::vector<double> r(60, 0), s(60, 0);
    for (int i = 3; i < 60; ++i)
        r[size_t(i)] = double(closes[size_t(i)]) / closes[size_t(i - 3)];
    for (int i = 4; i < 60; ++i)
        s[size_t(i)] = (2 * s[size_t(i - 1)] + r[size_t(i - 1)]) / 3;
    auto mean = [&](int i, int n) {
        double sum = 0;
        for (int k = 1; k <= n; ++k)
            sum += s[size_t(i - k)];
        return sum / n;
    };
    EXPECT_EQ(FirstValue(*rccd, 0), 11);
    EXPECT_EQ(FirstValue(*rccd, 1), 12);
    double dif11 = mean(11, 2) - mean(11, 4), dif12 = mean(12, 2) - mean(12, 4);
    EXPECT_NEAR(rccd->Lines[0][11], dif11, 1e-5);
    EXPECT_NEAR(rccd->Lines[1][12], (2 * dif11 + dif12) / 3, 1e-5);

    auto b3612 = MakeIndex(f, 82, 2, {});
    ASSERT_TRUE(b3612->Compute());
    EXPECT_EQ(FirstValue(*b3612, 0), 5);
    EXPECT_EQ(FirstValue(*b3612, 1), 11);
    f.DayBars(Walk(12));
    EXPECT_FALSE(b3612->Compute());
}

// A long series is computed a few thousand bars at a time; no bar of it may
// differ from the difference and the window mean worked out whole.
TEST(OscFamily, MomentumOfALongSeriesIsExactAtEveryBar)
{
    IndexFixture f;
    std::vector<uint32_t> closes = LongWalk();
    f.DayBars(closes);
    const std::pair<int, int> cases[] = {{12, 6}, {1, 1}, {4500, 3}, {7, 5000}};
    for (auto [n, m] : cases) {
        auto mtm = MakeIndex(f, 46, 2, {n, m});
        ASSERT_TRUE(mtm->Compute());
        ASSERT_EQ(mtm->RecordCount, int(closes.size()));
        std::vector<float> line(closes.size(), NoValue);
        for (size_t i = size_t(n); i < closes.size(); ++i)
            line[i] = float(closes[i]) / 100 - float(closes[i - size_t(n)]) / 100;
        int wrong = 0;
        for (size_t i = 0; i < closes.size(); ++i) {
            const float average = int(i) < n + m - 1 ? NoValue : WindowMean(line, i, m);
            if ((mtm->Lines[0][i] != line[i] || mtm->Lines[1][i] != average) && ++wrong <= 3)
                ADD_FAILURE() << "MTM " << n << "," << m << " bar " << i << ": " << mtm->Lines[0][i] << " "
                              << mtm->Lines[1][i] << " for " << line[i] << " " << average;
        }
    }
}

TEST(OscFamily, MomentumMakesNoJumpAtAnExRightsEvent)
{
    IndexFixture f;
    // Ten for ten bonus shares on the sixth day halve the price.
    f.DayBars({2000, 2000, 2000, 2000, 2000, 1000, 1000, 1000});
    ExRightsRecord bonus{};
    bonus.Date = YmdHmToPacked(20061106, 0);
    bonus.Bonus = 100000;
    f.WriteRecords("sh/weight/600000.wgt", std::vector<ExRightsRecord>{bonus});
    auto mtm = MakeIndex(f, 46, 2, {2, 1});
    ASSERT_TRUE(mtm->Compute());
    EXPECT_FLOAT_EQ(mtm->Lines[0][5], -10); // unadjusted
    mtm->WeightMode = WeightBreaks;
    ASSERT_TRUE(mtm->Compute());
    ASSERT_TRUE(mtm->EventMode());
    for (int i = 2; i < 8; ++i)
        EXPECT_NEAR(mtm->Lines[0][i], 0, 0.02) << i;
}

TEST(OscFamily, EachDrawsItsLines)
{
    IndexFixture f;
    f.DayBars(Walk(60));
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {84, {9, 3, 3}}, {91, {9, 3, 3}}, {85, {9, 3, 3}}, {88, {9, 3}}, {46, {12, 6}},
        {201, {6}},      {202, {3, 2, 4}}, {82, {}},        {89, {6}}};
    for (const auto &[id, p] : cases) {
        auto index = MakeIndex(f, id, 3, p);
        ASSERT_TRUE(index->Compute()) << id;
        bool drawn = false;
        std::vector<std::string> calls = DrawCalls(*index, drawn);
        EXPECT_TRUE(drawn) << id;
        EXPECT_GT(LinesWithPen(calls, 4), 0) << id;
    }
}

TEST(OscFamily, HugeParametersNeverWritePastTheRecords)
{
    IndexFixture f;
    f.DayBars(Walk(30));
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {88, {INT_MAX, INT_MAX}}, {201, {INT_MAX}}, {202, {INT_MAX, INT_MAX, INT_MAX}}, {202, {3, INT_MAX, 2}},
        {46, {INT_MAX, INT_MAX}}, {85, {INT_MAX, INT_MAX, INT_MAX}}};
    for (const auto &[id, p] : cases) {
        auto index = MakeIndex(f, id, 3, p);
        EXPECT_TRUE(index->Compute()) << id;
        for (int k = 0; k < index->LineCount && id != 85; ++k)
            EXPECT_EQ(FirstValue(*index, k), -1) << id << " " << k;
        bool drawn = false;
        DrawCalls(*index, drawn);
        EXPECT_TRUE(drawn) << id;
    }
}

} // namespace
