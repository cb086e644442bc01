// TIndex's data side: bars of every cache through the data pool, the live merge
// into the last bar, the moving-average helper and the record information.
#include <gtest/gtest.h>

#include <cmath>

#include "IndexFixture.h"

namespace {

// A plain indicator of a period, computed.
struct Loaded {
    TIndex index;
    bool ok;
    Loaded(int period) : index(Sh600000)
    {
        index.Period = uint16_t(period);
        index.Init();
        ok = index.Compute();
    }
};

TEST(IndexData, BarsOfEachCacheLoadThroughThePool)
{
    IndexFixture f;
    f.DayBars({1000, 1010, 1020});
    std::vector<KLineRecord> min5, min1;
    for (int hhmm : {935, 940, 945, 950, 955, 1000})
        min5.push_back(Bar(20061207, hhmm, 1000 + hhmm % 100, 0, 0, 0, 10));
    for (int hhmm : {931, 932, 933, 934})
        min1.push_back(Bar(20061207, hhmm, 2000 + hhmm % 100, 0, 0, 0, 1));
    f.WriteRecords("sh/min/600000.min", min5);
    f.WriteRecords("sh/min1/600000.m1", min1);

    struct Case {
        int period, count;
        uint32_t lastClose;
    } cases[] = {{8, 3, 1020}, {4, 6, 1000}, {1, 4, 2034}, {5, 2, 1000}, {2, 2, 2034}};
    for (const Case &c : cases) {
        Loaded l(c.period);
        ASSERT_TRUE(l.ok) << c.period;
        EXPECT_EQ(l.index.RecordCount, c.count) << c.period;
        EXPECT_EQ(l.index.Records[l.index.RecordCount - 1].Close, c.lastClose) << c.period;
        EXPECT_FLOAT_EQ(l.index.PriceDivisor, 100);
    }
    char path[600];
    Loaded l(1);
    ASSERT_TRUE(l.index.GetDataFileName(path, sizeof path));
    EXPECT_STREQ(path, "..\\data\\sh\\min1\\600000.m1");

    // An unknown stock, a period outside the codes and no file.
    TIndex unknown(MakeStockId(0, 1, 99));
    unknown.Init();
    EXPECT_FALSE(unknown.Compute());
    Loaded badPeriod(13);
    EXPECT_FALSE(badPeriod.ok);
    TIndex noFile(MakeStockId(0, 1, 2));
    noFile.Init();
    EXPECT_TRUE(noFile.Compute());
    EXPECT_EQ(noFile.RecordCount, 0);
}

TEST(IndexData, UpdateLastBarMergesTheQuote)
{
    IndexFixture f;
    std::vector<KLineRecord> days = f.DayBars({1000, 1010});
    days.push_back(Bar(20061208, 0, 1030, 1020, 1040, 1010, 50));
    std::vector<KLineRecord> min5;
    for (int hhmm : {935, 940, 945, 950, 955})
        min5.push_back(Bar(20061208, hhmm, 1000, 0, 0, 0, 10));
    f.WriteRecords("sh/min/600000.min", min5);
    RealQuoteRecord &q = f.Market(0).Quotes[1];

    // A new day: the quote becomes a new bar.
    Loaded day(8);
    ASSERT_EQ(day.index.RecordCount, 2);
    q = RealQuoteRecord{};
    q.Open = 1011;
    q.High = 1060;
    q.Low = 1005;
    q.Last = 1050;
    q.Volume = 500;
    q.Amount = 7000;
    q.LastVolume = 5;
    ASSERT_TRUE(day.index.UpdateLastBar());
    ASSERT_EQ(day.index.RecordCount, 3);
    const KLineRecord &bar = day.index.Records[2];
    EXPECT_EQ(PackedToYmd(bar.Time), 20061208);
    EXPECT_EQ(bar.Close, 1050u);
    EXPECT_EQ(bar.High, 1060u);
    EXPECT_FLOAT_EQ(bar.Amount, 7000);

    // The same day: the last bar is updated, no bar added.
    f.WriteRecords("sh/day/600000.day", days);
    ClearDataCaches();
    q.Last = 0;
    Loaded same(8);
    ASSERT_EQ(same.index.RecordCount, 3);
    q.Last = 1055;
    ASSERT_TRUE(same.index.UpdateLastBar());
    EXPECT_EQ(same.index.RecordCount, 3);
    EXPECT_EQ(same.index.Records[2].Close, 1055u);
    q.Volume = 10; // below the bar's volume: nothing to merge
    EXPECT_FALSE(same.index.UpdateLastBar());

    // 5-minute bars: within the bar at 10:00, a new one at 10:01.
    q.Last = 0;
    Loaded five(4);
    ASSERT_EQ(five.index.RecordCount, 5);
    q.Last = 1070;
    q.Volume = 1000;
    q.LastVolume = 7;
    ASSERT_TRUE(five.index.UpdateLastBar());
    EXPECT_EQ(five.index.RecordCount, 5);
    EXPECT_EQ(five.index.Records[4].Close, 1070u);
    EXPECT_FLOAT_EQ(five.index.Records[4].Volume, 17);
    EXPECT_EQ(PackedHour(five.index.Records[4].Time) * 100 + PackedMinute(five.index.Records[4].Time), 1000);
    f.SetClock(0, 20061208, 1001);
    ASSERT_TRUE(five.index.UpdateLastBar());
    ASSERT_EQ(five.index.RecordCount, 6);
    EXPECT_EQ(five.index.Records[5].Open, 1070u);
    EXPECT_FLOAT_EQ(five.index.Records[5].Volume, 7);

    // Cycmins 0 minutes a bar is taken as 1, not divided by.
    int cycmins = Cycmins;
    Cycmins = 0;
    five.index.Period = 3;
    f.SetClock(0, 20061208, 1002);
    EXPECT_TRUE(five.index.UpdateLastBar());
    Cycmins = cycmins;
}

TEST(IndexData, MovingAverageGuards)
{
    const float src[6] = {1, 2, 3, 4, 5, 6};
    const float N = NoValue;
    struct Case {
        int period, start;
        std::vector<float> want;
    } cases[] = {
        {3, 0, {N, N, 2, 3, 4, 5}},
        {3, 2, {N, N, N, N, 4, 5}},
        {0, 2, {N, N, 3, 4, 5, 6}},
        {1, 0, {1, 2, 3, 4, 5, 6}},
        {7, 0, {N, N, N, N, N, N}},         // longer than the series
        {2147483647, 3, {N, N, N, N, N, N}}, // no overflow of start + period
        {2, -5, {N, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f}}, // a negative start counts from 0
        {2, 9, {N, N, N, N, N, N}},
    };
    for (const Case &c : cases) {
        float dst[8];
        std::fill(std::begin(dst), std::end(dst), -7.0f);
        MovingAverage(dst, src, 6, c.period, c.start);
        for (int i = 0; i < 6; ++i)
            EXPECT_FLOAT_EQ(dst[i], c.want[size_t(i)]) << c.period << "," << c.start << " at " << i;
        EXPECT_EQ(dst[6], -7.0f);
    }
}

TEST(IndexData, RecordInfoAndCloseDirection)
{
    IndexFixture f;
    f.DayBars({1000, 1050, 1050, 1020});
    Loaded l(8);
    ASSERT_TRUE(l.ok);
    KLineRecord r;
    float change, percent, reserved;
    uint32_t prev;
    l.index.GetRecordInfo(1, r, change, percent, reserved, prev);
    EXPECT_EQ(prev, 1000u);
    EXPECT_FLOAT_EQ(change, 0.5f);
    EXPECT_FLOAT_EQ(percent, 5.0f); // per cent whatever the price divisor
    l.index.GetRecordInfo(0, r, change, percent, reserved, prev);
    EXPECT_EQ(prev, 1000u);
    EXPECT_EQ(change, 0);
    l.index.GetRecordInfo(99, r, change, percent, reserved, prev); // the last record
    EXPECT_EQ(r.Close, 1020u);
    EXPECT_FLOAT_EQ(change, -0.3f);

    const int want[] = {0, 1, 0, -1, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(l.index.CloseDirection(i), want[i]) << i;
}

TEST(IndexData, OutOfRangeValues)
{
    EXPECT_TRUE(IsOutOfRangeValue(NoValue));
    EXPECT_TRUE(IsOutOfRangeValue(-2e15f));
    EXPECT_TRUE(IsOutOfRangeValue(std::nanf("")));
    EXPECT_TRUE(IsOutOfRangeValue(INFINITY));
    EXPECT_FALSE(IsOutOfRangeValue(9.9e14f));
    EXPECT_TRUE(IsNearZero(1e-11f));
    EXPECT_FALSE(IsNearZero(1e-9f));
}

} // namespace
