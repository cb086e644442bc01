// The spread chart: both series, the difference and the ratio on matching
// dates, a second instrument that ends early or shares no date, intraday
// matching on the minute, and the drawing of the second series on its own scale.
#include "FamilyFixture.h"
#include "lumon/formula/WrapIndex.h"

namespace {

const StockId Sh600001 = MakeStockId(0, 1, 2);

std::unique_ptr<TIndex> MakeWrap()
{
    TIndex *slot = nullptr;
    EXPECT_TRUE(CreateIndex(slot, IndexIdWrap, Sh600000, Sh600001));
    return std::unique_ptr<TIndex>(slot);
}

TEST(WrapIndex, ModesOnMatchingDates)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020, 1030, 1040, 1050});
    // The second has days 2, 3 and 5 (and a day before the first) and ends
    // before the last pane day.
    f.WriteRecords("sh/day/600001.day", std::vector<KLineRecord>{Bar(20061031, 0, 400), Bar(20061102, 0, 500),
                                                                 Bar(20061103, 0, 250), Bar(20061105, 0, 200)});
    ClearDataCaches();
    auto index = MakeWrap();
    WRAP &wrap = static_cast<WRAP &>(*index);
    ASSERT_TRUE(wrap.Compute());
    EXPECT_EQ(wrap.LineCount, 2);
    EXPECT_STREQ(wrap.Definition.LineNames[0], "600000C");
    EXPECT_STREQ(wrap.Definition.LineNames[1], "600001C");
    const float second[] = {NoValue, 5, 2.5f, 2.5f, 2, 2};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(wrap.Lines[0][i], (1000 + 10 * i) / 100.0f) << i;
        EXPECT_FLOAT_EQ(wrap.Lines[1][i], second[i]) << i;
    }

    wrap.SetOptions(3, 1, 1);
    ASSERT_TRUE(wrap.Compute());
    EXPECT_EQ(wrap.LineCount, 1);
    EXPECT_STREQ(wrap.Definition.LineNames[0], "D1-D2");
    EXPECT_EQ(wrap.Lines[0][0], NoValue);
    EXPECT_FLOAT_EQ(wrap.Lines[0][5], 10.5f - 2);

    wrap.SetOptions(1, 2, 1);
    ASSERT_TRUE(wrap.Compute());
    EXPECT_STREQ(wrap.Definition.LineNames[0], "D1/D2");
    EXPECT_FLOAT_EQ(wrap.Lines[0][2], 10.4f / 2.5f); // highs: close + 20

    wrap.SetOptions(0, 0, 1);
    ASSERT_TRUE(wrap.Compute());
    EXPECT_EQ(wrap.LineCount, 2); // back to both series
    EXPECT_STREQ(wrap.Definition.LineNames[0], "600000O");
    EXPECT_TRUE(wrap.UpdateLastBar());
}

TEST(WrapIndex, DisjointDatesAndZeroDivisors)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020});
    f.WriteRecords("sh/day/600001.day", std::vector<KLineRecord>{Bar(20061201, 0, 500), Bar(20061202, 0, 0)});
    ClearDataCaches();
    auto index = MakeWrap();
    WRAP &wrap = static_cast<WRAP &>(*index);
    ASSERT_TRUE(wrap.Compute());
    EXPECT_EQ(FirstValue(wrap, 0), 0);
    EXPECT_EQ(FirstValue(wrap, 1), -1);
    for (int mode : {1, 2}) {
        wrap.SetOptions(3, mode, 1);
        ASSERT_TRUE(wrap.Compute());
        EXPECT_EQ(FirstValue(wrap, 0), -1) << mode;
    }
    // A zero second close makes no ratio.
    f.WriteRecords("sh/day/600001.day", std::vector<KLineRecord>{Bar(20061102, 0, 0)});
    ClearDataCaches();
    ASSERT_TRUE(wrap.Compute());
    EXPECT_EQ(FirstValue(wrap, 0), -1);
    // A second instrument without history leaves its line empty.
    f.inst.Write("data/sh/day/600001.day", "");
    ClearDataCaches();
    wrap.SetOptions(3, 0, 1);
    EXPECT_TRUE(wrap.Compute());
    EXPECT_EQ(FirstValue(wrap, 1), -1);
}

TEST(WrapIndex, IntradayMatchesOnTheMinute)
{
    IndexFixture f;
    f.WriteRecords("sh/min/600000.min", std::vector<KLineRecord>{Bar(20061208, 935, 1000), Bar(20061208, 940, 1010),
                                                                 Bar(20061208, 945, 1020)});
    f.WriteRecords("sh/min/600001.min", std::vector<KLineRecord>{Bar(20061208, 935, 500), Bar(20061208, 945, 400)});
    ClearDataCaches();
    auto index = MakeWrap();
    index->Period = 4;
    ASSERT_TRUE(index->Compute());
    EXPECT_FLOAT_EQ(index->Lines[1][0], 5);
    EXPECT_FLOAT_EQ(index->Lines[1][1], 5); // 09:40 has no partner: carried
    EXPECT_FLOAT_EQ(index->Lines[1][2], 4);
}

TEST(WrapIndex, SecondSeriesDrawnOnItsOwnScale)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020, 1030});
    f.WriteRecords("sh/day/600001.day", std::vector<KLineRecord>{Bar(20061101, 0, 50), Bar(20061102, 0, 60),
                                                                 Bar(20061103, 0, 55), Bar(20061104, 0, 70)});
    ClearDataCaches();
    auto index = MakeWrap();
    WRAP &wrap = static_cast<WRAP &>(*index);
    bool drawn = true;
    EXPECT_TRUE(DrawCalls(wrap, drawn).empty()); // not computed
    EXPECT_FALSE(drawn);
    ASSERT_TRUE(wrap.Compute());
    std::vector<std::string> calls = DrawCalls(wrap, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(wrap.LineCount, 2);
    EXPECT_NEAR(wrap.ValueMin, 10.0f, 1e-4); // the pane's own range
    EXPECT_NEAR(wrap.Second->ValueMin, 0.5f, 1e-4);
    EXPECT_NEAR(wrap.Second->ValueMax, 0.7f, 1e-4);
    EXPECT_EQ(wrap.Second->LineCount, 0); // its own buffers back
    // Each line in its own colour, joined alike by the line painter.
    EXPECT_EQ(LinesWithPen(calls, 4), 2);
    EXPECT_EQ(LinesWithPen(calls, 5), 2);
    wrap.SetOptions(3, 0, 0);
    calls = DrawCalls(wrap, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_NEAR(wrap.ValueMin, 0.5f, 1e-4); // one range over both lines
}

} // namespace
