// WVAD, ADR, OBOS and OI: per-bar values, the breadth window, the refusal for
// ordinary stocks and the empty pane of ADR.
#include "FamilyFixture.h"
#include "lumon/formula/BreadthIndexes.h"

namespace {

const StockId Index1A0001 = MakeStockId(0, 0, 0);

void WriteIndexBars(IndexFixture &f, int count)
{
    std::vector<KLineRecord> bars;
    for (int i = 0; i < count; ++i) {
        KLineRecord b = Bar(20061101 + i, 0, 2000 + 10 * i, 1990, 2100, 1900, 1000, 5000);
        b.Advances = uint16_t(300 + 10 * i);
        b.Declines = uint16_t(200 + i);
        bars.push_back(b);
    }
    f.WriteRecords("sh/day/1A0001.day", bars);
    ClearDataCaches();
}

TEST(BreadthIndexes, WvadAndOpenInterestPerBar)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = {Bar(20061101, 0, 1010, 1000, 1020, 990, 300, 7),
                                     Bar(20061102, 0, 1000, 1000, 1000, 1000, 400, 8),
                                     Bar(20061103, 0, 990, 1010, 1020, 980, 500, 9)};
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    auto wvad = MakeIndex(f, 244, 1, {});
    ASSERT_TRUE(wvad->Compute());
    EXPECT_FLOAT_EQ(wvad->Lines[0][0], 10.0f / 30 * 300);
    EXPECT_EQ(wvad->Lines[0][1], NoValue); // high equals low
    EXPECT_FLOAT_EQ(wvad->Lines[0][2], -20.0f / 40 * 500);
    auto oi = MakeIndex(f, 323, 1, {});
    ASSERT_TRUE(oi->Compute());
    EXPECT_FLOAT_EQ(oi->Lines[0][2], 9);
    // WVAD's gap at record 1 leaves nothing to join; OI joins its three values.
    bool drawn = false;
    EXPECT_EQ(LinesWithPen(DrawCalls(*wvad, drawn), 4), 0);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(LinesWithPen(DrawCalls(*oi, drawn), 4), 1);
    EXPECT_TRUE(drawn);
}

TEST(BreadthIndexes, AdrLeavesItsPaneEmpty)
{
    IndexFixture f;
    WriteIndexBars(f, 5);
    auto adr = MakeIndex(f, 282, 2, {}, Index1A0001);
    EXPECT_FALSE(adr->Compute());
    bool drawn = true;
    EXPECT_TRUE(DrawCalls(*adr, drawn).empty());
    EXPECT_FALSE(drawn);
}

TEST(BreadthIndexes, ObosWindowForTheIndexClassOnly)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020});
    auto ordinary = MakeIndex(f, 283, 2, {10, 3});
    ASSERT_TRUE(ordinary->Compute());
    EXPECT_EQ(ordinary->Styles[0].Style, StyleNone);
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*ordinary, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_TRUE(HasText(calls, "个股无此指标!"));

    WriteIndexBars(f, 9);
    auto obos = MakeIndex(f, 283, 2, {10, 2}, Index1A0001);
    ASSERT_TRUE(obos->Compute());
    EXPECT_EQ(FirstValue(*obos, 0), -1);
    WriteIndexBars(f, 12);
    ASSERT_TRUE(obos->Compute());
    EXPECT_STREQ(obos->Definition.LineNames[0], "OBOS");
    EXPECT_EQ(FirstValue(*obos, 0), 9);
    // Advances 300 + 10i and declines 200 + i over records 0..9 and 1..10.
    EXPECT_FLOAT_EQ(obos->Lines[0][9], 3450 - 2045);
    EXPECT_FLOAT_EQ(obos->Lines[0][10], 3550 - 2055);
    EXPECT_EQ(FirstValue(*obos, 1), 10);
    EXPECT_FLOAT_EQ(obos->Lines[1][10], ((3450 - 2045) + (3550 - 2055)) / 2.0f);
    EXPECT_FALSE(MakeIndex(f, 283, 2, {0, 2}, Index1A0001)->Compute());
}

} // namespace
