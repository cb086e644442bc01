// Ex-rights events: the price formulas, forward and backward adjustment over
// three events (one on a day without a bar), the close average across events,
// the marks and the note.
#include <gtest/gtest.h>

#include "IndexFixture.h"
#include "lumon/formula/PriceIndexes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

namespace {

ExRightsRecord Event(int ymd, uint32_t bonus, uint32_t rights, uint32_t rightsPrice, uint32_t dividend,
                     uint32_t conversion = 0)
{
    ExRightsRecord e{};
    e.Date = YmdHmToPacked(ymd, 0);
    e.Bonus = bonus;
    e.Rights = rights;
    e.RightsPrice = rightsPrice;
    e.Dividend = dividend;
    e.Conversion = conversion;
    return e;
}

TEST(ExRights, PriceFormulas)
{
    struct Case {
        uint32_t price;
        ExRightsRecord e;
        uint32_t forward, backward;
    } cases[] = {
        // 10 bonus per 10: half the price; and back.
        {2000, Event(20061101, 100000, 0, 0, 0), 1000, 4000},
        // 1.00 per 10 shares dividend: 0.10 off; and back.
        {2000, Event(20061101, 0, 0, 0, 100), 1990, 2010},
        // 3 rights per 10 at 5.00: (10 x 20 + 3 x 5) / 13 = 16.538...
        {2000, Event(20061101, 0, 30000, 500, 0), 1653, 2450},
        // A dividend above ten times the price gives 0, never a negative price.
        {5, Event(20061101, 0, 0, 0, 100), 0, 15},
        // Huge fields stay inside the price range.
        {4000000000u, Event(20061101, 0, 0, 0, 4000000000u), 3600000000u, 4294967295u},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ExRightsPriceForward(c.price, c.e), c.forward) << c.price;
        EXPECT_EQ(ExRightsPriceBackward(c.price, c.e), c.backward) << c.price;
    }
}

// 12 day bars from 2006-11-01 (close 2000 every day) and three events: 11-04,
// 11-07 (a day the file has no bar for) and 11-10.
struct EventFixture : IndexFixture {
    std::vector<ExRightsRecord> events = {Event(20061104, 100000, 0, 0, 0), Event(20061107, 0, 0, 0, 200),
                                          Event(20061110, 0, 30000, 500, 0)};
    EventFixture()
    {
        std::vector<KLineRecord> bars = DayBars(std::vector<uint32_t>(13, 2000));
        bars.erase(bars.begin() + 6); // no bar on 11-07
        WriteRecords("sh/day/600000.day", bars);
        WriteRecords("sh/weight/600000.wgt", events);
        ClearDataCaches();
    }
};

TEST(ExRights, ForwardAndBackwardAdjustment)
{
    EventFixture f;
    // Forward: each close carried across the events after its day, oldest first.
    // 2000 -> 1000 (bonus) -> 980 (dividend 2.00 per 10) -> (9800+1500)/13 = 869.
    // Backward from the last: (13 x 2000 - 1500) / 10 = 2450 -> 2470 -> 4940.
    // Backward: each close brought to the level before the first event.
    struct Case {
        int mode;
        std::vector<uint32_t> closes;
    } cases[] = {
        {WeightNone, std::vector<uint32_t>(12, 2000)},
        {WeightForward, {869, 869, 869, 1638, 1638, 1638, 1653, 1653, 2000, 2000, 2000, 2000}},
        {WeightBackward, {2000, 2000, 2000, 4000, 4000, 4000, 4040, 4040, 4940, 4940, 4940, 4940}},
    };
    for (const Case &c : cases) {
        TIndex index(Sh600000);
        index.Init();
        index.WeightMode = c.mode;
        ASSERT_TRUE(index.Compute());
        ASSERT_EQ(index.WeightCount, 3);
        ASSERT_EQ(index.RecordCount, 12);
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(index.Records[i].Close, c.closes[size_t(i)]) << c.mode << " at " << i;
    }

    // The shared copy counts the events on or before each day, also the one on
    // the day without a bar.
    TIndex index(Sh600000);
    index.Init();
    ASSERT_TRUE(index.Compute());
    ASSERT_TRUE(index.AdjustRecordsToCopy(12, index.Weights, index.WeightCount));
    EXPECT_EQ(TIndex::RecordCopy[6].Close, 4040u); // 11-08: after bonus and dividend
    EXPECT_EQ(TIndex::RecordCopy[9].Close, 4940u);

    int number = 0;
    EXPECT_TRUE(index.FindExRightsAt(YmdHmToPacked(20061110, 0), number));
    EXPECT_EQ(number, 3);
    EXPECT_FALSE(index.FindExRightsAt(YmdHmToPacked(20061108, 0), number));
    EXPECT_EQ(index.EventTakingEffectAt(6), 2); // the first bar after 11-07
    EXPECT_EQ(index.EventTakingEffectAt(5), 0);

    // The change across an event is measured against the ex-rights price.
    KLineRecord r;
    float change, percent, reserved;
    uint32_t prev;
    index.WeightMode = WeightBreaks;
    index.GetRecordInfo(3, r, change, percent, reserved, prev);
    EXPECT_EQ(prev, 1000u); // the bar before 11-04 after the bonus only
    EXPECT_FLOAT_EQ(change, 10.0f);
    index.GetRecordInfo(6, r, change, percent, reserved, prev);
    EXPECT_EQ(prev, 1980u); // the dividend of 11-07, met on 11-08
}

TEST(ExRights, SeriesAverageEqualsAverageOfForwardAdjustedCloses)
{
    EventFixture f;
    std::vector<uint32_t> closes = {2000, 2100, 2200, 2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3100, 3200};
    std::vector<KLineRecord> bars = f.DayBars(closes);
    bars.erase(bars.begin() + 6);
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    CKline k(Sh600000);
    k.WeightMode = WeightBreaks;
    ASSERT_TRUE(k.Compute());
    ASSERT_TRUE(k.EventMode());
    const int period = 5;
    // At each record the window's closes are taken at the level of the events
    // met so far.
    for (int i = period - 1; i < 12; ++i) {
        int met = 0;
        while (met < 3 && ComparePackedDate(f.events[size_t(met)].Date, bars[size_t(i)].Time) <= 0)
            ++met;
        double sum = 0;
        for (int j = i - period + 1; j <= i; ++j) {
            KLineRecord copy = bars[size_t(j)];
            k.AdjustRecordForward(copy, f.events.data(), met);
            sum += copy.Close / 100.0;
        }
        EXPECT_NEAR(k.Lines[0][i], sum / period, 1e-3) << i;
    }
    EXPECT_EQ(k.Lines[0][3], NoValue);
}

TEST(ExRights, MarksAndNote)
{
    EventFixture f;
    f.Market(0).Statics[1].Decimals = 2;
    KLine k(Sh600000);
    ASSERT_TRUE(k.Compute());
    win::HDC dc = win::CreateRecordingDC(300, 200);
    win::RECT rect{0, 0, 120, 200};
    ASSERT_TRUE(k.Draw(dc, &rect));
    // A triangle under the first bar on or after each event (records 3, 6 and 8),
    // apex 4 pixels above the bottom.
    std::vector<std::string> calls = win::RecordedCalls(dc);
    for (int record : {3, 6, 8}) {
        int centre = 2 + 6 * record;
        std::string apex = "MoveToEx(" + std::to_string(centre) + ",196)";
        EXPECT_NE(std::find(calls.begin(), calls.end(), apex), calls.end()) << record;
    }
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string &c) { return c.rfind("MoveToEx(", 0) == 0 && c.find(",196)") != std::string::npos; }),
              3);

    char text[256];
    int size = sizeof text;
    ASSERT_TRUE(k.GetExRightsTextAt(text, size, win::POINT{2 + 6 * 8, 190}));
    EXPECT_STREQ(text, "除权日  06-11-10\r\n每10股配3.000股配股价5.00元");
    EXPECT_EQ(size, int(std::strlen(text)));
    size = sizeof text;
    ASSERT_TRUE(k.GetExRightsTextAt(text, size, win::POINT{2 + 6 * 6, 190}));
    EXPECT_STREQ(text, "除权日  06-11-07\r\n每10股送红利2.00元");
    size = 20; // the note stops where the next piece would not fit
    ASSERT_TRUE(k.GetExRightsTextAt(text, size, win::POINT{2 + 6 * 3, 190}));
    EXPECT_STREQ(text, "除权日  06-11-04");
    size = sizeof text;
    EXPECT_FALSE(k.GetExRightsTextAt(text, size, win::POINT{2 + 6 * 3, 100})); // above the bottom
    EXPECT_FALSE(k.GetExRightsTextAt(text, size, win::POINT{1000, 190}));      // right of the data
    win::DeleteDC(dc);
}

} // namespace
