// The moving-average family against TA-Lib's simple averages (goldens made by
// tools/talib/make_goldens_ind2.sh), against references computed here in double
// (simple averages, the exponential average seeded at the first close as pandas'
// ewm without adjustment) and hand-worked rows; first-value indexes, parameter
// failures and huge windows.
#include <cmath>
#include <climits>

#include "FamilyFixture.h"
#include "lumon/formula/MaFamily.h"

namespace {

std::vector<uint32_t> Walk(int n)
{
    std::vector<uint32_t> c;
    for (int i = 0; i < n; ++i)
        c.push_back(uint32_t(1000 + (i * 37 % 23) * 7 + i * 3));
    return c;
}

double Sma(const std::vector<double> &x, int i, int n)
{
    double s = 0;
    for (int k = i - n + 1; k <= i; ++k)
        s += x[size_t(k)];
    return s / n;
}

std::vector<double> Values(const std::vector<uint32_t> &prices)
{
    std::vector<double> v;
    for (uint32_t p : prices)
        v.push_back(p / 100.0);
    return v;
}

TEST(MaFamily, MovingAveragesEqualSimpleAverages)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(30);
    f.DayBars(closes);
    std::vector<double> c = Values(closes);
    auto ma = MakeIndex(f, 4, 6, {5, 10, 0, 20, 0, 0});
    ASSERT_TRUE(ma->Compute());
    for (auto [line, n] : {std::pair{0, 5}, {1, 10}, {3, 20}}) {
        EXPECT_EQ(FirstValue(*ma, line), n - 1);
        for (int i = n - 1; i < 30; ++i)
            EXPECT_NEAR(ma->Lines[line][i], Sma(c, i, n), 1e-4) << line << " " << i;
        EXPECT_EQ(ma->Styles[line].TitleParam, n);
    }
    EXPECT_EQ(ma->Styles[2].Style, StyleNone);
    EXPECT_EQ(FirstValue(*ma, 2), -1);
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*ma, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_GT(CountCalls(calls, "LineTo("), 0);
}

TEST(MaFamily, AveragesEqualTaLib)
{
    IndexFixture f;
    std::vector<std::vector<double>> talib = WriteTaLibSeries(f);
    auto ma = MakeIndex(f, 4, 6, {5, 10, 0, 0, 0, 0});
    ASSERT_TRUE(ma->Compute());
    ExpectColumn(*ma, 0, talib, 0, 1e-4);
    ExpectColumn(*ma, 1, talib, 1, 1e-4);
    auto rail = MakeIndex(f, 126, 2, {10, 10});
    ASSERT_TRUE(rail->Compute());
    ExpectColumn(*rail, 0, talib, 2, 1e-4);
    ExpectColumn(*rail, 1, talib, 3, 1e-4);
}

// A long series is computed a few thousand bars at a time; no bar of it may
// differ from the average of its own window, at the joins or anywhere else.
TEST(MaFamily, RailOfALongSeriesIsTheWindowMeanAtEveryBar)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = f.DayBars(LongWalk());
    std::vector<float> high, low;
    for (const KLineRecord &b : bars) {
        high.push_back(float(b.High) / 100);
        low.push_back(float(b.Low) / 100);
    }
    const std::pair<int, int> cases[] = {{10, 10}, {1, 4097}, {300, 7}, {5000, 2}};
    for (auto [n, m] : cases) {
        auto rail = MakeIndex(f, 126, 2, {n, m});
        ASSERT_TRUE(rail->Compute());
        ASSERT_EQ(rail->RecordCount, int(bars.size()));
        for (int k = 0; k < 2; ++k) {
            const int period = k == 0 ? n : m;
            const std::vector<float> &v = k == 0 ? high : low;
            int wrong = 0;
            for (size_t i = 0; i < v.size(); ++i) {
                const float want = int(i) < period - 1 ? NoValue : WindowMean(v, i, period);
                if (rail->Lines[k][i] != want && ++wrong <= 3)
                    ADD_FAILURE() << "RAIL " << n << "," << m << " line " << k << " bar " << i << ": "
                                  << rail->Lines[k][i] << " for " << want;
            }
        }
    }
}

TEST(MaFamily, WaterfallLinesStartAtFourWindows)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(50);
    f.DayBars(closes);
    std::vector<double> c = Values(closes);
    auto pbx = MakeIndex(f, 5, 6, {});
    ASSERT_TRUE(pbx->Compute());
    EXPECT_TRUE(pbx->PriceScale);
    const int windows[6] = {4, 6, 9, 13, 18, 24};
    for (int k = 0; k < 6; ++k) {
        const int n = windows[k];
        EXPECT_EQ(FirstValue(*pbx, k), 4 * n < 50 ? 4 * n : -1) << k;
        double e = c[0];
        for (int i = 1; i < 50; ++i) {
            e += 2.0 / (n + 1) * (c[size_t(i)] - e);
            if (i >= 4 * n) {
                EXPECT_NEAR(pbx->Lines[k][i], (e + Sma(c, i, 2 * n) + Sma(c, i, 4 * n)) / 3, 1e-4) << k << " " << i;
            }
        }
    }
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*pbx, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_GT(CountCalls(calls, "Rectangle("), 0); // the candles
}

TEST(MaFamily, BbiNeedsItsLongestWindow)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(24);
    f.DayBars(std::vector<uint32_t>(closes.begin(), closes.begin() + 23));
    auto bbi = MakeIndex(f, 41, 1, {3, 6, 12, 24});
    EXPECT_FALSE(bbi->Compute());
    f.DayBars(closes);
    ASSERT_TRUE(bbi->Compute());
    std::vector<double> c = Values(closes);
    EXPECT_EQ(FirstValue(*bbi, 0), 23);
    EXPECT_NEAR(bbi->Lines[0][23], (Sma(c, 23, 3) + Sma(c, 23, 6) + Sma(c, 23, 12) + Sma(c, 23, 24)) / 4, 1e-4);
    auto zero = MakeIndex(f, 41, 1, {3, 0, 12, 24});
    EXPECT_FALSE(zero->Compute());
}

TEST(MaFamily, BbiBollBandsAndHugeWindow)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(40);
    f.DayBars(closes);
    std::vector<double> c = Values(closes);
    auto boll = MakeIndex(f, 121, 3, {5, 0});
    ASSERT_TRUE(boll->Compute());
    std::vector<double> bbi(40, 0);
    for (int i = 23; i < 40; ++i)
        bbi[size_t(i)] = (Sma(c, i, 3) + Sma(c, i, 6) + Sma(c, i, 12) + Sma(c, i, 24)) / 4;
    EXPECT_EQ(FirstValue(*boll, 0), 23);
    EXPECT_EQ(FirstValue(*boll, 1), 29);
    for (int i = 29; i < 40; ++i) {
        double s = 0;
        for (int k = 1; k <= 5; ++k)
            s += (bbi[size_t(i - k)] - bbi[size_t(i)]) * (bbi[size_t(i - k)] - bbi[size_t(i)]);
        double w = 1.96 * std::sqrt(s / 5);
        EXPECT_NEAR(boll->Lines[0][i], bbi[size_t(i)], 1e-4);
        EXPECT_NEAR(boll->Lines[1][i], bbi[size_t(i)] + w, 1e-4);
        EXPECT_NEAR(boll->Lines[2][i], bbi[size_t(i)] - w, 1e-4);
    }
    // A window from the parameter file that overflows index arithmetic leaves
    // the bands empty; 0 fails.
    auto huge = MakeIndex(f, 121, 3, {INT_MAX, 2});
    ASSERT_TRUE(huge->Compute());
    EXPECT_EQ(FirstValue(*huge, 1), -1);
    auto none = MakeIndex(f, 121, 3, {0, 0});
    EXPECT_FALSE(none->Compute());
}

TEST(MaFamily, CdpDkxAndRailByHand)
{
    IndexFixture f;
    std::vector<uint32_t> closes = Walk(40);
    std::vector<KLineRecord> bars = f.DayBars(closes);
    auto cdp = MakeIndex(f, 123, 5, {});
    ASSERT_TRUE(cdp->Compute());
    // Record 1 against the span of record 0.
    const double h = bars[1].High / 100.0, l = bars[1].Low / 100.0, mid = (h + l + bars[1].Close / 100.0) / 3;
    EXPECT_NEAR(cdp->Lines[0][1], mid, 1e-4);
    EXPECT_NEAR(cdp->Lines[1][1], mid + 0.4, 1e-4);
    EXPECT_NEAR(cdp->Lines[2][1], mid - 0.4, 1e-4);
    EXPECT_NEAR(cdp->Lines[3][1], 2 * mid - l, 1e-4);
    EXPECT_NEAR(cdp->Lines[4][1], 2 * mid - h, 1e-4);
    EXPECT_EQ(cdp->Lines[1][0], NoValue);

    auto dkx = MakeIndex(f, 124, 2, {10});
    ASSERT_TRUE(dkx->Compute());
    EXPECT_EQ(FirstValue(*dkx, 0), 20);
    EXPECT_EQ(FirstValue(*dkx, 1), 30);
    std::vector<double> a;
    for (const KLineRecord &b : bars)
        a.push_back((3.0 * b.Close + b.Low + b.Open + b.High) / 600);
    double sum = 0;
    for (int k = 0; k < 20; ++k)
        sum += (20 - k) * a[size_t(25 - k)];
    EXPECT_NEAR(dkx->Lines[0][25], sum / 210, 1e-4);

    auto rail = MakeIndex(f, 126, 2, {3, 4});
    ASSERT_TRUE(rail->Compute());
    EXPECT_NEAR(rail->Lines[0][2], (bars[0].High + bars[1].High + bars[2].High) / 300.0, 1e-4);
    EXPECT_NEAR(rail->Lines[1][3], (bars[0].Low + bars[1].Low + bars[2].Low + bars[3].Low) / 400.0, 1e-4);
    auto off = MakeIndex(f, 126, 2, {3, 0});
    ASSERT_TRUE(off->Compute());
    EXPECT_EQ(FirstValue(*off, 0), -1);
}

TEST(MaFamily, EachDrawsItsLines)
{
    IndexFixture f;
    f.DayBars(Walk(60));
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {41, {3, 6, 12, 24}}, {121, {5, 2}}, {123, {}}, {124, {10}}, {126, {5, 5}}};
    for (const auto &[id, p] : cases) {
        auto index = MakeIndex(f, id, 5, p);
        ASSERT_TRUE(index->Compute()) << id;
        bool drawn = false;
        std::vector<std::string> calls = DrawCalls(*index, drawn);
        EXPECT_TRUE(drawn) << id;
        EXPECT_GT(LinesWithPen(calls, 4), 0) << id; // line 0 joined
    }
}

TEST(MaFamily, EmptyHistoryFailsAndDrawsNothing)
{
    IndexFixture f;
    for (int id : {4, 5, 41, 121, 123, 124, 126}) {
        auto index = MakeIndex(f, id, 6, {5, 10, 20, 30});
        EXPECT_FALSE(index->Compute()) << id;
        bool drawn = true;
        std::vector<std::string> calls = DrawCalls(*index, drawn);
        EXPECT_FALSE(drawn) << id;
        EXPECT_TRUE(calls.empty()) << id;
    }
}

} // namespace
