// The intraday index from a fixture tick file and quote: one point per trading
// minute with the volume-weighted average price, no value after the last point,
// the cleaning of bad ticks, the tick chart trimmed and scrolled to its end, an
// earlier day shown alone, and live updates within bounded buffers.
#include <cmath>

#include "FamilyFixture.h"
#include "lumon/core/EMemOp.h"
#include "lumon/formula/DynIndex.h"

namespace {

struct DynFixture : IndexFixture {
    DynFixture()
    {
        WriteDefinitions({Definition(1000, "价格", {"价格", "均价"}), Definition(1001, "成交量", {"VOL"}),
                          Definition(1002, "持仓量", {"OI"})},
                         {Params({}), Params({}), Params({})});
        RealQuoteRecord &q = Quote();
        q.PrevClose = 1000;
        q.High = 1100;
        q.Low = 900;
        q.Last = 1020;
        q.Volume = 1000;
        q.Amount = 500000;
    }
    RealQuoteRecord &Quote() { return Market(0).Quotes[1]; }

    // Today's ticks (09:30 .. 09:35) with a zero price, a price above the day's
    // high, a falling volume and a volume above the quote's.
    void WriteTicks()
    {
        WriteRecords("sh/tick/600000.tik",
                     std::vector<TickRecord>{Tick(20061208, 930, 1000, 100, 100000),
                                             Tick(20061208, 931, 0, 150, 150000),
                                             Tick(20061208, 932, 1200, 120, 140000),
                                             Tick(20061208, 933, 1010, 300, 300000),
                                             Tick(20061208, 934, 1040, 400, 9e9f),
                                             Tick(20061208, 935, 1020, 5000, 400000)});
    }
};

TEST(DynIndex, MinuteTrendWithAveragePrice)
{
    DynFixture f;
    f.WriteTicks();
    TDynIndex dyn(Sh600000, 0);
    EXPECT_EQ(dyn.Id, 1000);
    dyn.TickMode = 0;
    ASSERT_TRUE(dyn.Compute());
    // 10:00 is trading minute 30: points 0..30 over a day of 241 minutes.
    EXPECT_EQ(dyn.ClassMinutes, 241);
    ASSERT_EQ(dyn.RecordCount, 31);
    EXPECT_TRUE(dyn.AverageWanted);
    EXPECT_FLOAT_EQ(dyn.BaseValue, 10.0f);
    // Cleaned prices 10.00 10.00 10.00 10.10 10.40 10.20; a minute without a
    // tick keeps the last price.
    const float prices[] = {10.0f, 10.0f, 10.0f, 10.1f, 10.4f, 10.2f, 10.2f};
    for (int i = 0; i < 7; ++i)
        EXPECT_FLOAT_EQ(dyn.Lines[0][i], prices[i]) << i;
    EXPECT_FLOAT_EQ(dyn.Lines[0][30], 10.2f);
    // Point volumes 50, 0, 150, 100 at prices 10.00, 10.00, 10.00, 10.10.
    EXPECT_FLOAT_EQ(dyn.Lines[1][0], 10.0f);
    EXPECT_FLOAT_EQ(dyn.Lines[1][1], 10.0f);
    EXPECT_NEAR(dyn.Lines[1][3], (10.0 * 50 + 10.0 * 150 + 10.1 * 100) / 300, 1e-5);
    EXPECT_NEAR(dyn.Lines[1][30], dyn.Lines[1][3], 1e-6);
    for (int i : {31, 100, 242}) {
        EXPECT_EQ(dyn.Lines[0][i], NoValue) << i;
        EXPECT_EQ(dyn.Lines[1][i], NoValue) << i;
    }

    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(dyn, drawn, 400, 200);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(dyn.Capacity, 241);
    EXPECT_EQ(dyn.VisibleCount, 31);
    EXPECT_NEAR(dyn.ValueMax - dyn.BaseValue, dyn.BaseValue - dyn.ValueMin, 1e-4); // base in the middle
    EXPECT_TRUE(HasText(calls, "10.00") || HasText(calls, "    10"));
    EXPECT_TRUE(HasText(calls, "+0.00%"));
    EXPECT_EQ(LinesWithPen(calls, 43), 30); // the price line joins its 31 points
    EXPECT_EQ(LinesWithPen(calls, 44), 30);
    win::HDC dc = win::CreateRecordingDC(400, 30);
    win::RECT axis{0, 0, 400, 30};
    dyn.DrawTimeAxis(dc, &axis);
    EXPECT_TRUE(HasText(win::RecordedCalls(dc), "10:00"));
    win::DeleteDC(dc);

    // The mouse: the column of point 3 gives its time and a value.
    int x = 0, y = 0, index = 3;
    dyn.RecordToPoint(x, y, index);
    int record = -1;
    PackedDateTime when = 0;
    float value = 0;
    ASSERT_TRUE(dyn.PointToValue({x, dyn.PlotRect.bottom}, record, when, value));
    EXPECT_EQ(record, 3);
    EXPECT_EQ(PackedHour(when) * 100 + PackedMinute(when), 933);
    EXPECT_NEAR(value, dyn.ValueMin, 1e-4);
    // Right of the last point the last one answers; left of the first none.
    x = dyn.PlotRect.right - 2;
    EXPECT_TRUE(dyn.PointToValue({x, 50}, record, when, value));
    EXPECT_EQ(record, 30);
    EXPECT_FALSE(dyn.PointToValue({dyn.PlotRect.left - 5, 50}, record, when, value));
    x = dyn.PlotRect.left - 5;
    EXPECT_EQ(dyn.XToRecord(x, true), 0);
    win::RECT none = dyn.DrawCursorTitle(0, 10);
    EXPECT_EQ(none.right - none.left, 0);
}

TEST(DynIndex, VolumeAndOpenInterestPanes)
{
    DynFixture f;
    f.WriteTicks();
    TDynIndex volume(Sh600000, 1);
    volume.TickMode = 0;
    ASSERT_TRUE(volume.Compute());
    EXPECT_FALSE(volume.AverageWanted);
    EXPECT_FLOAT_EQ(volume.Lines[0][0], 0.5f); // 50 over the volume unit 100
    EXPECT_FLOAT_EQ(volume.Lines[0][2], 1.5f);
    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(volume, drawn, 400, 120);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(LinesWithPen(calls, 32), 31); // a stick per point, most of them 0 high
    // Whole volumes on the left, the place in the range on the right.
    EXPECT_TRUE(HasText(calls, "     1"));
    EXPECT_TRUE(HasText(calls, "67%"));

    // Open interest backfilled from the next point where a point has none.
    f.WriteRecords("fut/tick/CU0612.tik", std::vector<TickRecord>{Tick(20061208, 901, 5000, 10, 0),
                                                                  Tick(20061208, 902, 5010, 20, 700),
                                                                  Tick(20061208, 903, 5020, 30, 800)});
    RealQuoteRecord &q = f.Market(1).Quotes[0];
    q.PrevClose = 5000;
    q.Last = 5020;
    q.Volume = 30;
    TDynIndex oi(FutCu, 2);
    oi.TickMode = 1;
    ASSERT_TRUE(oi.Compute());
    ASSERT_EQ(oi.RecordCount, 3);
    EXPECT_FLOAT_EQ(oi.Lines[0][0], 700);
    EXPECT_FLOAT_EQ(oi.Lines[0][2], 800);
    EXPECT_FLOAT_EQ(oi.BaseValue, 700);
}

TEST(DynIndex, EmptyDayGivesTheUnitRange)
{
    DynFixture f;
    f.Quote() = RealQuoteRecord{};
    f.Market(0).Statics[1].Decimals = 2;
    TDynIndex dyn(Sh600000, 0);
    dyn.TickMode = 0;
    ASSERT_TRUE(dyn.Compute());
    EXPECT_EQ(dyn.RecordCount, 0);
    EXPECT_FLOAT_EQ(dyn.BaseValue, 1.0f);
    EXPECT_EQ(dyn.Lines[0][0], NoValue);
    EXPECT_EQ(dyn.Lines[1][241], NoValue);
    bool drawn = false;
    DrawCalls(dyn, drawn, 400, 200);
    EXPECT_TRUE(drawn);
    EXPECT_FLOAT_EQ(dyn.ValueMin, 0);
    EXPECT_FLOAT_EQ(dyn.ValueMax, 2);

    TDynIndex unknown(MakeStockId(0, 1, 200), 0);
    EXPECT_FALSE(unknown.Compute());
    EXPECT_TRUE(DrawCalls(unknown, drawn).empty());
    EXPECT_FALSE(drawn);
}

TEST(DynIndex, TickChartIsTrimmedAndScrolledToItsEnd)
{
    DynFixture f;
    f.WriteTicks();
    TDynIndex ticks(Sh600000, 0);
    ASSERT_TRUE(ticks.Compute());
    ASSERT_EQ(ticks.RecordCount, 6);
    EXPECT_FALSE(ticks.AverageWanted);
    // Each point's volume is the rise of the cleaned cumulative volume.
    const float volumes[] = {0, 50, 0, 150, 100, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(ticks.Records[i].Volume, volumes[i]) << i;
    EXPECT_EQ(ticks.Records[4].Amount, 300000); // an amount above the quote's is replaced

    // 100,000 ticks: the last 20,000 are shown, two pixels apart, at the end.
    std::vector<TickRecord> many;
    for (int i = 0; i < 100000; ++i)
        many.push_back(Tick(20061208, 930 + i / 6000, 1000 + i % 50, float(i), float(i)));
    f.WriteRecords("sh/tick/600000.tik", many);
    f.Quote().Volume = 99999; // no snapshot tick after the file's last
    f.Quote().Amount = 1e9f;
    ASSERT_TRUE(ticks.Compute());
    EXPECT_EQ(ticks.TickCount, 100000);
    ASSERT_EQ(ticks.RecordCount, ticks.PointCapacity);
    EXPECT_EQ(ticks.Records[ticks.RecordCount - 1].Close, uint32_t(1000 + 99999 % 50));
    bool drawn = false;
    DrawCalls(ticks, drawn, 400, 120);
    ASSERT_TRUE(drawn);
    EXPECT_DOUBLE_EQ(ticks.BarPitch, 2.0);
    EXPECT_EQ(ticks.VisibleCount, ticks.Capacity);
    EXPECT_EQ(ticks.FirstVisible + ticks.VisibleCount, ticks.RecordCount);
    EXPECT_TRUE(ticks.ScrollToEnd);
}

TEST(DynIndex, EarlierDayShownAlone)
{
    DynFixture f;
    f.WriteTicks();
    std::vector<KLineRecord> day;
    for (int k = 0; k < 241; ++k) {
        int clock = k <= 120 ? 570 + k : 780 + k - 120;
        day.push_back(Bar(20061207, clock / 60 * 100 + clock % 60, 900 + k, 0, 0, 0, 10, 1000));
    }
    f.WriteRecords("sh/min1/600000.m1", day);
    TDynIndex dyn(Sh600000, 0);
    dyn.TickMode = 0;
    dyn.HistoryWanted = 1;
    dyn.HistoryDayOffset = 1;
    ASSERT_TRUE(dyn.Compute());
    EXPECT_EQ(dyn.HistoryCount, 241);
    EXPECT_EQ(dyn.RecordCount, 0); // today's ticks are not read
    EXPECT_FLOAT_EQ(dyn.Lines[0][0], 9.0f);
    EXPECT_FLOAT_EQ(dyn.Lines[0][240], 11.4f);
    EXPECT_TRUE(dyn.UpdateLastBar()); // live quotes leave the earlier day alone
    EXPECT_EQ(dyn.RecordCount, 0);
}

TEST(DynIndex, LiveUpdatesStayWithinTheirBuffers)
{
    DynFixture f;
    f.WriteTicks();
    f.Market(0).Info.Unused0 = 4; // every quote adds a tick
    TDynIndex dyn(Sh600000, 0);
    ASSERT_TRUE(dyn.Compute());
    const int before = dyn.TickCount;
    f.Quote().Volume = 2000;
    f.Quote().Last = 1030;
    EXPECT_FALSE(dyn.UpdateLastBar()); // a new high moves the range
    EXPECT_EQ(dyn.TickCount, before + 1);
    EXPECT_FLOAT_EQ(dyn.Lines[0][dyn.RecordCount - 1], 10.3f);

    // A full buffer that may not grow lets its oldest ticks go.
    std::vector<TickRecord> day;
    for (int i = 0; i < 20000; ++i)
        day.push_back(Tick(20061208, 930 + i / 1000, 1000, float(i), float(i)));
    f.WriteRecords("sh/tick/600000.tik", day);
    f.Quote().Volume = 20000;
    ASSERT_TRUE(dyn.Compute());
    const size_t buffer = EMemSize(dyn.Ticks);
    const int room = int(buffer / sizeof(TickRecord));
    const int saved = TDynIndex::MaxTickBuffer;
    TDynIndex::MaxTickBuffer = 1000;
    const int updates = room - dyn.TickCount + 100;
    for (int i = 0; i < updates; ++i)
        dyn.UpdateLastBar();
    TDynIndex::MaxTickBuffer = saved;
    EXPECT_EQ(dyn.TickCount, room);
    EXPECT_EQ(EMemSize(dyn.Ticks), buffer);
    EXPECT_EQ(dyn.Ticks[room - 1].Price, 1030u);
    EXPECT_EQ(dyn.RecordCount, dyn.PointCapacity);
    EXPECT_FLOAT_EQ(dyn.Lines[0][dyn.RecordCount - 1], 10.3f);
}

} // namespace
