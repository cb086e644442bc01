// History and tick reading: the bars of every period code from the files, today's
// bars from the quote and the ticks, the tick readers and the minute trend.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HistoryFixture.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/History.h"

namespace {

std::vector<KLineRecord> Aggregate(int period, const std::vector<KLineRecord> &raw, int type = 1)
{
    std::vector<KLineRecord> out(raw.size());
    int n = -1;
    AggregateBars(period, raw.data(), int(raw.size()), out.data(), n, type);
    out.resize(size_t(n));
    return out;
}

int32_t Cumulative(const KLineRecord &point)
{
    int32_t v;
    std::memcpy(&v, &point.Advances, 4);
    return v;
}

TEST(History, AggregateBarsGroupsByPeriod)
{
    Cycmins = 10;
    Cycdays = 2;
    // Friday, Saturday and the next Monday; 31 January and 1 February.
    std::vector<KLineRecord> days = {Bar(20061208, 0, 10, 9, 12, 8, 100, 1), Bar(20061209, 0, 11, 10, 15, 10, 50, 2),
                                     Bar(20061211, 0, 12, 11, 13, 7, 30, 4)};
    std::vector<KLineRecord> monthEnd = {Bar(20070131, 0, 10), Bar(20070201, 0, 11)};
    // The last two 5-minute bars of one day and the first of the next.
    std::vector<KLineRecord> fives = {Bar(20061207, 1455, 10), Bar(20061207, 1500, 11), Bar(20061208, 935, 12)};
    struct Case {
        int period;
        const std::vector<KLineRecord> *raw;
        size_t bars;
    } cases[] = {{9, &days, 2},  {10, &monthEnd, 2}, {11, &monthEnd, 1}, {5, &fives, 2},
                 {8, &days, 3},  {12, &days, 2},     {2, &fives, 2},     {3, &fives, 2}};
    for (const Case &c : cases)
        EXPECT_EQ(Aggregate(c.period, *c.raw).size(), c.bars) << "period " << c.period;

    std::vector<KLineRecord> week = Aggregate(9, days);
    EXPECT_EQ(week[0].Time, days[1].Time);
    EXPECT_EQ(week[0].Open, 9u);
    EXPECT_EQ(week[0].Close, 11u);
    EXPECT_EQ(week[0].High, 15u);
    EXPECT_EQ(week[0].Low, 8u);
    EXPECT_FLOAT_EQ(week[0].Volume, 150);
    EXPECT_FLOAT_EQ(week[0].Amount, 3);                 // summed in a type-1 market
    EXPECT_FLOAT_EQ(Aggregate(9, days, 2)[0].Amount, 2); // the newest open interest
    EXPECT_FLOAT_EQ(week[1].Volume, 30);                 // a new bar keeps its own figures

    // Cycmins 4 copies the 5-minute bars; 12 groups two of them.
    Cycmins = 4;
    EXPECT_EQ(Aggregate(3, fives).size(), 3u);
    Cycmins = 12;
    std::vector<KLineRecord> sameDay = {Bar(20061208, 935, 1), Bar(20061208, 940, 2), Bar(20061208, 945, 3)};
    EXPECT_EQ(Aggregate(3, sameDay).size(), 2u);
    Cycmins = 10;

    // Prices compare unsigned.
    std::vector<KLineRecord> wide = {Bar(20061208, 0, 5, 5, 0x80000000u, 5), Bar(20061208, 0, 6, 6, 7, 1)};
    std::vector<KLineRecord> one = Aggregate(12, wide);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].High, 0x80000000u);
    EXPECT_EQ(one[0].Low, 1u);
}

TEST(History, ReadBarsReadsTheTailOfEachFile)
{
    HistoryMarkets f;
    std::vector<KLineRecord> days;
    for (int d = 1; d <= 7; ++d)
        days.push_back(Bar(20061200 + d, 0, uint32_t(100 + d)));
    // A partial record at the end is not read.
    f.WriteRecords("sh/day/600000.day", days, std::string(10, 'x'));
    std::vector<KLineRecord> fives = {Bar(20061207, 1455, 1), Bar(20061207, 1500, 2), Bar(20061208, 935, 3)};
    f.WriteRecords("sh/min/600000.min", fives);
    f.WriteRecords("sh/min1/600000.m1", std::vector<KLineRecord>{Bar(20061207, 1459, 7), Bar(20061207, 1500, 8)});
    TDataIO::SetMergeRealTime(0);

    struct Case {
        int period;
        int bars;
        uint32_t lastClose;
    } cases[] = {{8, 7, 107}, {9, 2, 107}, {10, 1, 107}, {11, 1, 107}, {12, 4, 107}, {4, 3, 3},
                 {5, 2, 3},   {3, 2, 3},   {1, 2, 8},    {2, 1, 8},    {13, 0, 0},   {0, 0, 0}};
    Cycdays = 2;
    for (const Case &c : cases) {
        KLineRecord *bars = nullptr;
        int count = -1;
        int ok = TDataIO::ReadBars(bars, 0, "600000", count, c.period, MaxDataRecords, 0, 0);
        EXPECT_EQ(count, c.bars) << "period " << c.period;
        if (c.bars) {
            EXPECT_EQ(ok, 1);
            ASSERT_NE(bars, nullptr);
            EXPECT_EQ(bars[count - 1].Close, c.lastClose) << "period " << c.period;
        }
        EMemFree(bars);
    }

    // Room for today's bars is kept only where they can be merged (the flag set
    // and the quote complete): M + 16 after the minute files' window; none for
    // the day file, whose one bar of today the caller's window leaves room for.
    TMarketData &sh = f.Market(0);
    int room = sh.MaxTradingMinutes + 16;
    RealQuoteRecord &q = sh.Quotes[1];
    struct Window {
        int kind, window, merge;
        int firstClose, count;
    } windows[] = {
        {8, room, 0, 101, 7},      // nothing to merge: the whole window is read
        {8, 3, 0, 105, 3},
        {8, 3, 1, 105, 4},         // the newest three and today's bar
        {1, room + 1, 0, 7, 2},
        {1, room + 1, 1, 8, -1},   // the newest one and today's minutes
        {1, room, 1, 0, -1},       // nothing of the file
    };
    for (const Window &w : windows) {
        q.Open = q.High = q.Low = q.Last = w.merge ? 1000 : 0;
        KLineRecord *bars = nullptr;
        int count = -1;
        EXPECT_EQ(sh.ReadBarFile(bars, "600000", count, w.kind, w.window, w.merge), 1);
        if (w.count >= 0) {
            EXPECT_EQ(count, w.count) << w.kind << " " << w.window << " " << w.merge;
        }
        ASSERT_GT(count, 0);
        if (w.firstClose) {
            EXPECT_EQ(bars[0].Close, uint32_t(w.firstClose)) << w.kind << " " << w.window << " " << w.merge;
        } else {
            EXPECT_EQ(PackedToYmd(bars[0].Time), 20061208) << w.kind << " " << w.window;
        }
        EMemFree(bars);
    }
    q = RealQuoteRecord{};
    KLineRecord *bars = nullptr;
    int count = -1;

    // A small limit reads the newest bars; a limit above MaxDataRecords is held
    // to it; a missing file or stock is no error, a bad kind or market is.
    EXPECT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, 3, 0, 0), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, 1 << 30, 0, 0), 1);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(TDataIO::ReadBars(bars, 0, "600001", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(TDataIO::ReadBars(bars, 0, "..\\600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(TDataIO::ReadBars(bars, 5, "600000", count, 8, MaxDataRecords, 0, 0), 0);
    EXPECT_EQ(sh.ReadBarFile(bars, "600000", count, 2, 0, 0), 0);
    EMemFree(bars);
}

TEST(History, AFullDayFileFillsTheLimit)
{
    HistoryMarkets f;
    std::vector<KLineRecord> days(static_cast<size_t>(MaxDataRecords));
    PackedDateTime t = MakePackedDateTime(1960, 1, 4, 0, 0);
    for (size_t i = 0; i < days.size(); ++i, t = NextDay(t)) {
        days[i] = Bar(20061101, 0, uint32_t(1000 + i));
        days[i].Time = t;
    }
    f.WriteRecords("sh/day/600000.day", days);
    KLineRecord *bars = nullptr;
    int count = 0;
    // Without a merge the limit less the one bar the window leaves for today;
    // with today's bar from the quote, the limit itself.
    TDataIO::SetMergeRealTime(0);
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, MaxDataRecords - 1);
    EXPECT_EQ(bars[count - 1].Close, days.back().Close);
    RealQuoteRecord &q = f.Market(0).Quotes[1];
    q.Open = q.High = q.Low = q.Last = 999;
    TDataIO::SetMergeRealTime(1);
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, MaxDataRecords);
    EXPECT_EQ(bars[count - 2].Close, days.back().Close);
    EXPECT_EQ(bars[count - 1].Close, 999u);
    TDataIO::SetMergeRealTime(0);
    EMemFree(bars);
}

TEST(History, TodaysDayBarComesFromTheQuote)
{
    HistoryMarkets f;
    f.WriteRecords("sh/day/600000.day", std::vector<KLineRecord>{Bar(20061206, 0, 100), Bar(20061207, 0, 101)});
    f.WriteRecords("sh/day/1A0001.day", std::vector<KLineRecord>{Bar(20061207, 0, 3000)});
    TMarketData &sh = f.Market(0);
    RealQuoteRecord &q = sh.Quotes[1];
    q.PrevClose = 101;
    q.Open = 102;
    q.High = 110;
    q.Low = 99;
    q.Last = 105;
    q.Volume = 1234;
    q.Amount = 5678;
    RealQuoteRecord &index = sh.Quotes[0];
    index.Open = index.High = index.Low = index.Last = 3010;
    index.Bid[0].Price = 0x00070000u; // advances in bytes 42-43
    index.Bid[0].Volume = 0;
    std::memcpy(reinterpret_cast<uint8_t *>(&index) + 44, "\x05\x00", 2);

    TDataIO::SetMergeRealTime(1);
    KLineRecord *bars = nullptr;
    int count = 0;
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(bars[2].Time, sh.Now);
    EXPECT_EQ(bars[2].Close, 105u);
    EXPECT_EQ(bars[2].Open, 102u);
    EXPECT_EQ(bars[2].High, 110u);
    EXPECT_EQ(bars[2].Low, 99u);
    EXPECT_FLOAT_EQ(bars[2].Volume, 1234);
    EXPECT_FLOAT_EQ(bars[2].Amount, 5678);
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "1A0001", count, 8, MaxDataRecords, 0, 0), 1);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(bars[1].Advances, 7);
    EXPECT_EQ(bars[1].Declines, 5);

    // Once the file holds today, nothing is appended; nor without a full quote.
    f.WriteRecords("sh/day/600000.day", std::vector<KLineRecord>{Bar(20061207, 0, 101), Bar(20061208, 0, 104)});
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, 2);
    q.Open = 0;
    f.WriteRecords("sh/day/600000.day", std::vector<KLineRecord>{Bar(20061207, 0, 101)});
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, 1);

    // The cached array's last bar is overwritten on the same day, a bar added on
    // a later one.
    q.Open = 102;
    int n = 2;
    KLineRecord *cached = static_cast<KLineRecord *>(EMemAlloc(16 * sizeof(KLineRecord)));
    cached[0] = Bar(20061207, 0, 101);
    cached[1] = Bar(20061208, 0, 1);
    EXPECT_EQ(sh.MergeRealTimeBars(cached, "600000", n, 8), 1);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(cached[1].Close, 105u);
    f.SetClock(0, 20061211, 1000);
    EXPECT_EQ(sh.MergeRealTimeBars(cached, "600000", n, 8), 1);
    EXPECT_EQ(n, 3);
    q.Last = 0;
    EXPECT_EQ(sh.MergeRealTimeBars(cached, "600000", n, 8), 0);
    EMemFree(cached);
    EMemFree(bars);
    TDataIO::SetMergeRealTime(0);
}

TEST(History, MinuteBarsFromTicksNeverGoNegative)
{
    HistoryMarkets f;
    TMarketData &sh = f.Market(0);
    f.SetClock(0, 20061208, 935);
    // Cumulative volume falls at 09:32; the amount (turnover) too.
    f.WriteRecords("sh/tick/600000.tik", std::vector<TickRecord>{Tick(20061208, 930, 1000, 100, 10),
                                                                  Tick(20061208, 931, 1010, 150, 15),
                                                                  Tick(20061208, 932, 1005, 140, 14),
                                                                  Tick(20061208, 933, 1020, 300, 30)});
    sh.Quotes[1].Last = 1030;
    std::vector<KLineRecord> bars(300);
    int n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), MakeStockId(0, 1, 1), n);
    ASSERT_EQ(n, 5);
    struct Expect {
        int hhmm;
        uint32_t open, high, low, close;
        float volume, amount;
    } expect[] = {{931, 1000, 1010, 1000, 1010, 150, 15}, {932, 1005, 1005, 1005, 1005, 0, 0},
                  {933, 1020, 1020, 1020, 1020, 150, 15}, {934, 1020, 1020, 1020, 1020, 0, 0},
                  {935, 1030, 1030, 1030, 1030, 0, 0}};
    for (int j = 0; j < 5; ++j) {
        const Expect &e = expect[j];
        EXPECT_EQ(bars[j].Time, YmdHmToPacked(20061208, e.hhmm)) << j;
        EXPECT_EQ(bars[j].Open, e.open) << j;
        EXPECT_EQ(bars[j].High, e.high) << j;
        EXPECT_EQ(bars[j].Low, e.low) << j;
        EXPECT_EQ(bars[j].Close, e.close) << j;
        EXPECT_FLOAT_EQ(bars[j].Volume, e.volume) << j;
        EXPECT_FLOAT_EQ(bars[j].Amount, e.amount) << j;
    }

    // 5-minute bars group five 1-minute bars.
    n = 10;
    TDataIO::BuildMin5FromTicks(bars.data(), MakeStockId(0, 1, 1), n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(bars[0].Open, 1000u);
    EXPECT_EQ(bars[0].High, 1030u);
    EXPECT_EQ(bars[0].Close, 1030u);
    EXPECT_FLOAT_EQ(bars[0].Volume, 300);

    // No ticks and no previous close: bar 0 at 1000; with a previous close, at it.
    sh.Quotes[2].Last = 990;
    n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), MakeStockId(0, 1, 2), n);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(bars[0].Open, 1000u);
    EXPECT_EQ(bars[3].Close, 1000u);
    EXPECT_EQ(bars[4].Close, 990u);
    sh.Quotes[2].PrevClose = 980;
    TDataIO::BuildMin1FromTicks(bars.data(), MakeStockId(0, 1, 2), n);
    EXPECT_EQ(bars[0].Close, 980u);

    // No room builds nothing.
    n = 0;
    TDataIO::BuildMin1FromTicks(bars.data(), MakeStockId(0, 1, 1), n);
    EXPECT_EQ(n, 0);
}

TEST(History, OpenInterestIsCarriedBackAndForward)
{
    HistoryMarkets f;
    TMarketData &fut = f.Market(1);
    f.SetClock(1, 20061208, 905);
    f.WriteRecords("fut/tick/CU0612.tik", std::vector<TickRecord>{Tick(20061208, 901, 50, 10, 0),
                                                                   Tick(20061208, 902, 51, 20, 800),
                                                                   Tick(20061208, 903, 52, 30, 0)});
    fut.Quotes[0].Last = 53;
    std::vector<KLineRecord> bars(300);
    int n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), MakeStockId(1, 0, 0), n);
    ASSERT_EQ(n, 5);
    for (int j = 0; j < n; ++j)
        EXPECT_FLOAT_EQ(bars[j].Amount, 800) << j;
}

TEST(History, TodaysMinuteBarsReplaceTheCachedOnes)
{
    HistoryMarkets f;
    TMarketData &sh = f.Market(0);
    f.SetClock(0, 20061208, 932);
    f.WriteRecords("sh/min1/600000.m1", std::vector<KLineRecord>{Bar(20061207, 1459, 7), Bar(20061207, 1500, 8)});
    f.WriteRecords("sh/tick/600000.tik", std::vector<TickRecord>{Tick(20061208, 930, 1000, 100)});
    sh.Quotes[1].Open = sh.Quotes[1].High = sh.Quotes[1].Low = sh.Quotes[1].Last = 1001;

    TDataIO::SetMergeRealTime(1);
    KLineRecord *bars = nullptr;
    int count = 0;
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 1, MaxDataRecords, 0, 0), 1);
    ASSERT_EQ(count, 4); // two of yesterday, 09:31 and 09:32
    EXPECT_EQ(bars[2].Time, YmdHmToPacked(20061208, 931));
    EXPECT_EQ(bars[3].Close, 1001u);
    TDataIO::SetMergeRealTime(0);

    // The merge drops the old bars of today and builds them again.
    bars[3] = Bar(20061208, 1100, 5);
    int n = 4;
    EXPECT_EQ(sh.MergeRealTimeBars(bars, "600000", n, 1), 1);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(bars[3].Close, 1001u);
    EMemFree(bars);
}

TEST(History, TickFilesAreReadWithAppendedTicksPickedUp)
{
    HistoryMarkets f;
    TMarketData &sh = f.Market(0);
    StockId id = MakeStockId(0, 1, 1);
    std::vector<TickRecord> ticks = {Tick(20061208, 930, 1000, 100), Tick(20061208, 931, 1001, 200)};
    f.WriteRecords("sh/tick/600000.tik", ticks, "xyz");
    TickRecord *buffer = nullptr;
    int count = -1;
    ASSERT_EQ(TDataIO::ReadTicks(buffer, id, count, 0), 1);
    EXPECT_EQ(count, 2);
    EXPECT_GE(EMemSize(buffer), (2 + 1024) * sizeof(TickRecord));
    EXPECT_EQ(TDataIO::ReadTicks(buffer, MakeStockId(0, 1, 9), count, 0), 0);
    EXPECT_EQ(TDataIO::ReadTicks(buffer, MakeStockId(0, 1, 2), count, 0), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(sh.GetTickCount(1), 2);
    EXPECT_EQ(sh.GetTickCount(99), 0);

    // Earlier days' ticks stop at the first of today.
    f.WriteRecords("sh/tick/600000.tck", std::vector<TickRecord>{Tick(20061206, 930, 1), Tick(20061207, 930, 2),
                                                                  Tick(20061208, 930, 3), Tick(20061207, 931, 4)});
    ASSERT_EQ(TDataIO::ReadTickHistory(buffer, id, count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(buffer[1].Price, 2u);

    // A build after ticks were appended, or after the file was written anew,
    // sees the file as it is.
    f.SetClock(0, 20061208, 933);
    sh.Quotes[1].Last = 0;
    std::vector<KLineRecord> bars(300);
    int n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), id, n);
    EXPECT_EQ(n, 1);
    ticks.push_back(Tick(20061208, 933, 1003, 300));
    f.WriteRecords("sh/tick/600000.tik", ticks);
    n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), id, n);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(bars[2].Close, 1003u);
    ticks = {Tick(20061208, 930, 900, 10), Tick(20061208, 931, 901, 20), Tick(20061208, 932, 902, 30)};
    f.WriteRecords("sh/tick/600000.tik", ticks);
    n = 300;
    TDataIO::BuildMin1FromTicks(bars.data(), id, n);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(bars[0].Open, 900u);
    EXPECT_EQ(bars[1].Close, 902u);
    EMemFree(buffer);
}

TEST(History, MinuteTrendIsBoundedAndNeverWraps)
{
    HistoryMarkets f;
    TMarketData &sh = f.Market(0);
    f.SetClock(0, 20061208, 934);
    std::vector<TickRecord> ticks = {Tick(20061208, 925, 999, 5),  Tick(20061208, 930, 1000, 100),
                                     Tick(20061208, 931, 1001, 150), Tick(20061208, 932, 1002, 120),
                                     Tick(20061208, 930, 1003, 130), Tick(20061208, 934, 1004, 400)};
    sh.Quotes[1].PrevClose = 990;
    std::vector<KLineRecord> points(10);
    int n = sh.BuildTrendFromTicks(MakeStockId(0, 1, 1), ticks.data(), points.data(), int(ticks.size()), 10);
    ASSERT_EQ(n, 5);
    uint32_t prices[] = {1000, 1001, 1002, 1002, 1004};
    int32_t volumes[] = {100, 150, 120, 120, 400};
    for (int k = 0; k < n; ++k) {
        EXPECT_EQ(points[k].Close, prices[k]) << k;
        EXPECT_EQ(Cumulative(points[k]), volumes[k]) << k;
        EXPECT_EQ(points[k].Time, YmdHmToPacked(20061208, 930 + k)) << k;
    }
    EXPECT_FLOAT_EQ(points[0].Volume, 50);
    EXPECT_FLOAT_EQ(points[1].Volume, 0); // 150 -> 120 falls: 0, not a wrap
    EXPECT_FLOAT_EQ(points[3].Volume, 280);

    // Outside trading the whole day, but never past the buffer.
    f.SetClock(0, 20061209, 1000);
    std::vector<KLineRecord> few(3);
    EXPECT_EQ(sh.BuildTrendFromTicks(MakeStockId(0, 1, 1), ticks.data(), few.data(), int(ticks.size()), 3), 3);
    std::vector<KLineRecord> day(300);
    EXPECT_EQ(sh.BuildTrendFromTicks(MakeStockId(0, 1, 1), nullptr, day.data(), 0, 300), 241);
    EXPECT_EQ(day[0].Close, 990u);
}

TEST(History, DayTrendAndDatedRecords)
{
    HistoryMarkets f;
    StockId id = MakeStockId(0, 1, 1);
    std::vector<KLineRecord> minutes;
    for (int day = 0; day < 2; ++day)
        for (int i = 0; i < 241; ++i)
            minutes.push_back(Bar(20061206 + day, 930, uint32_t(day * 1000 + i), 0, 0, 0, float(i)));
    f.WriteRecords("sh/min1/600000.m1", minutes);
    TickRecord *buffer = nullptr;
    int count = 0, k = 1;
    ASSERT_EQ(TDataIO::ReadDayTrend(buffer, id, count, k), 1);
    EXPECT_EQ(count, 241);
    EXPECT_EQ(buffer[0].Price, 1000u);
    EXPECT_EQ(buffer[0].Side, 0);
    k = 5;
    ASSERT_EQ(TDataIO::ReadDayTrend(buffer, id, count, k), 1);
    EXPECT_EQ(k, 2);
    EXPECT_EQ(buffer[240].Price, 240u);
    k = 0;
    EXPECT_EQ(TDataIO::ReadDayTrend(buffer, id, count, k), 0);
    f.WriteRecords("sh/min1/600000.m1", std::vector<KLineRecord>(minutes.begin(), minutes.begin() + 100));
    k = 1;
    EXPECT_EQ(TDataIO::ReadDayTrend(buffer, id, count, k), 0);
    EMemFree(buffer);

    uint8_t weights[3][36] = {};
    PackedDateTime dates[3] = {YmdHmToPacked(20060101, 0), YmdHmToPacked(20060601, 0), YmdHmToPacked(20061201, 0)};
    for (int i = 0; i < 3; ++i) {
        std::memcpy(weights[i], &dates[i], 4);
        weights[i][35] = uint8_t(i + 1);
    }
    uint8_t out[36] = {};
    EXPECT_EQ(FindRecordOnOrBeforeDate(weights, 3, YmdHmToPacked(20060601, 1500), out), 1);
    EXPECT_EQ(out[35], 2);
    EXPECT_EQ(FindRecordOnOrBeforeDate(weights, 3, YmdHmToPacked(20051231, 0), out), 0);
}

} // namespace
