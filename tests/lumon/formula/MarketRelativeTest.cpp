// LON, SHT, RAD, ADL and the support and resistance table: the strength by hand
// and cumulated, the change against an index that misses a day and ends early,
// the refusals, and the table's rows.
#include "FamilyFixture.h"
#include "lumon/formula/MarketRelative.h"

namespace {

const StockId Index1A0001 = MakeStockId(0, 0, 0);

TEST(MarketRelative, LongStrengthIsTheRunningSumOfShort)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1005, 1030, 1020, 1040, 1050, 1035});
    auto sht = MakeIndex(f, 364, 3, {3});
    ASSERT_TRUE(sht->Compute());
    // Record 1: su = 20 + 30, sd = 20 + 10, v = 0.0001 x 20 x 200 / 80.
    EXPECT_FLOAT_EQ(sht->Lines[0][0], 0);
    EXPECT_NEAR(sht->Lines[0][1], 0.005 * 0.1 - 0.005 * 0.05, 1e-7);
    EXPECT_EQ(sht->Styles[2].Style, StyleTBar);
    EXPECT_EQ(sht->RefShown[0], 1);
    auto lon = MakeIndex(f, 361, 3, {3});
    ASSERT_TRUE(lon->Compute());
    float sum = 0;
    for (int i = 0; i < 8; ++i) {
        sum += sht->Lines[0][i];
        EXPECT_NEAR(lon->Lines[0][i], sum, 1e-6) << i;
        EXPECT_EQ(lon->Lines[2][i], lon->Lines[0][i]);
    }
    EXPECT_EQ(FirstValue(*lon, 1), 3);
    EXPECT_NEAR(lon->Lines[1][3], (lon->Lines[0][1] + lon->Lines[0][2] + lon->Lines[0][3]) / 3, 1e-6);
    bool drawn = false;
    DrawCalls(*lon, drawn);
    EXPECT_TRUE(drawn);
}

TEST(MarketRelative, RadAgainstAnIndexWithGaps)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020, 1030, 1040, 1050});
    // The index has days 1, 2 and 4 only.
    f.WriteRecords("sh/day/1A0001.day", std::vector<KLineRecord>{Bar(20061101, 0, 2000), Bar(20061102, 0, 2020),
                                                                 Bar(20061104, 0, 2000)});
    ClearDataCaches();
    auto rad = MakeIndex(f, 363, 2, {2});
    ASSERT_TRUE(rad->Compute());
    const double day4 = ((1030.0 - 1020) / 1020 * 100 - (2000.0 - 2020) / 2020 * 100) * 2;
    const double expected[] = {0, 0, 0, day4, day4, day4};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(rad->Lines[0][i], expected[i], 1e-4) << i;
    EXPECT_NEAR(rad->Lines[1][3], day4 / 2, 1e-4);

    // Without any index history the line stays flat.
    f.inst.Write("data/sh/day/1A0001.day", "");
    ClearDataCaches();
    ASSERT_TRUE(rad->Compute());
    EXPECT_FLOAT_EQ(rad->Lines[0][5], 0);
}

TEST(MarketRelative, RefusalsAreDrawnAsText)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020});
    std::vector<KLineRecord> index = {Bar(20061101, 0, 2000), Bar(20061102, 0, 2020)};
    index[0].Advances = 500;
    index[0].Declines = 200;
    index[1].Advances = 100;
    index[1].Declines = 400;
    f.WriteRecords("sh/day/1A0001.day", index);
    ClearDataCaches();

    auto radIndex = MakeIndex(f, 363, 2, {2}, Index1A0001);
    ASSERT_TRUE(radIndex->Compute());
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*radIndex, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(HasText(calls, "大盘无此指标!"));

    auto adlStock = MakeIndex(f, 281, 2, {1});
    ASSERT_TRUE(adlStock->Compute());
    EXPECT_TRUE(HasText(DrawCalls(*adlStock, drawn), "个股无此指标!"));

    auto adl = MakeIndex(f, 281, 2, {1}, Index1A0001);
    ASSERT_TRUE(adl->Compute());
    EXPECT_FLOAT_EQ(adl->Lines[0][0], 300);
    EXPECT_FLOAT_EQ(adl->Lines[0][1], 0);
    EXPECT_EQ(adl->Lines[1][0], NoValue); // the average starts at record 1
    EXPECT_FLOAT_EQ(adl->Lines[1][1], 0);
    EXPECT_FALSE(HasText(DrawCalls(*adl, drawn), "个股无此指标!"));
}

TEST(MarketRelative, SupportAndResistanceRows)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020, 1030, 1040});
    auto ssl = MakeIndex(f, 365, 3, {});
    ASSERT_TRUE(ssl->Compute());
    EXPECT_FLOAT_EQ(ssl->Lines[0][2], 10.2f);
    // 120 pixels less the title band and the bottom band leave 88: five rows of
    // 12 + 3 pixels from 10.40 down in steps of 0.08.
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*ssl, drawn);
    ASSERT_TRUE(drawn);
    SSL &table = static_cast<SSL &>(*ssl);
    ASSERT_EQ(table.Rows, 5);
    const float volumes[] = {500, 400, 300, 200, 100};
    for (int r = 0; r < 5; ++r) {
        EXPECT_NEAR(ssl->Lines[1][r], 10.4f - 0.08f * r, 1e-4) << r;
        EXPECT_FLOAT_EQ(ssl->Lines[2][r], volumes[r]) << r;
    }
    EXPECT_TRUE(HasText(calls, "10.400"));
    EXPECT_TRUE(HasText(calls, "5 "));
    EXPECT_EQ(CountCalls(calls, "Rectangle("), 5);
    bool titled = false;
    for (const std::string &c : calls)
        titled |= c.find("压力支撑表 2006/11/01--2006/11/05") != std::string::npos;
    EXPECT_TRUE(titled);

    // Too low for one row: the title, the dotted lines and line 0 only.
    calls = DrawCalls(*ssl, drawn, 160, 30);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(table.Rows, 0);
    EXPECT_EQ(CountCalls(calls, "Rectangle("), 0);
}

} // namespace
