// The bar caches and the data pool: eviction by use count, reloads on a new
// market date, invalidation, today's refresh while trading, the merge flag left
// as found, and the raw loaders of the indicator tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HistoryFixture.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"

namespace {

const char *Codes[] = {"600000", "600001", "600002", "600003", "600004", "600005"};

struct PoolMarkets : HistoryMarkets {
    TDataPool pool;

    PoolMarkets()
    {
        for (int i = 0; i < 6; ++i)
            WriteRecords(std::string("sh/day/") + Codes[i] + ".day",
                         std::vector<KLineRecord>{Bar(20061206, 0, uint32_t(100 + i)), Bar(20061207, 0, uint32_t(200 + i))});
    }

    int Fetch(const char *code, int period = 8)
    {
        int count = -1;
        return FetchBarsCached(0, code, count, period, 0, 0) ? count : -1;
    }
};

TEST(DataPool, EvictsTheLeastUsedEntryFirstOnTies)
{
    PoolMarkets f;
    // Uses: 600000 x3, 600001 x1, 600002 x2, 600003 x1, 600004 x2.
    const int uses[] = {3, 1, 2, 1, 2};
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < uses[i]; ++k)
            EXPECT_EQ(f.Fetch(Codes[i]), 2);
    ASSERT_EQ(DayDataCache->GetUsed(), 5);
    EXPECT_EQ(DayDataCache->LeastUsedIndex(), 1);
    EXPECT_EQ(f.Fetch(Codes[5]), 2); // takes the slot of 600001 (the first with one use)
    EXPECT_EQ(DayDataCache->FindEntry(0, "600001"), -1);
    EXPECT_EQ(DayDataCache->FindEntry(0, "600005"), 1);
    EXPECT_EQ(DayDataCache->GetEntry(1)->UseCount, 1u);
    EXPECT_EQ(DayDataCache->FindEntry(0, "600003"), 3);

    ClearDataCaches();
    EXPECT_EQ(DayDataCache->GetUsed(), 0);
}

TEST(DataPool, ReloadsOnANewMarketDateAndWhenInvalidated)
{
    PoolMarkets f;
    f.SetClock(0, 20061208, 800); // before the open: no merge
    EXPECT_EQ(f.Fetch("600000"), 2);
    f.WriteRecords("sh/day/600000.day", std::vector<KLineRecord>{Bar(20061206, 0, 1), Bar(20061207, 0, 2),
                                                                 Bar(20061208, 0, 3)});
    EXPECT_EQ(f.Fetch("600000"), 2); // the same date: from the cache
    f.SetClock(0, 20061209, 800);
    EXPECT_EQ(f.Fetch("600000"), 3); // a new date reads the file again
    EXPECT_EQ(DayDataCache->GetEntry(0)->LoadedFor, 20061209);

    f.WriteRecords("sh/day/600000.day", std::vector<KLineRecord>{Bar(20061209, 0, 4)});
    EXPECT_EQ(f.Fetch("600000"), 3);
    InvalidateCachedBars(0, "600000", 10);
    EXPECT_EQ(f.Fetch("600000"), 1);

    // Period 3 drops the 1-minute entry and the 5-minute one that serves it.
    f.WriteRecords("sh/min1/600000.m1", std::vector<KLineRecord>{Bar(20061208, 1500, 1)});
    f.WriteRecords("sh/min/600000.min", std::vector<KLineRecord>{Bar(20061208, 1500, 1)});
    EXPECT_EQ(f.Fetch("600000", 1), 1);
    EXPECT_EQ(f.Fetch("600000", 4), 1);
    ASSERT_GE(Min1DataCache->FindEntry(0, "600000"), 0);
    InvalidateCachedBars(0, "600000", 3);
    EXPECT_EQ(Min1DataCache->FindEntry(0, "600000"), -1);
    EXPECT_EQ(Min5DataCache->FindEntry(0, "600000"), -1);
    EXPECT_EQ(f.Fetch("600000", 5), 1);
    EXPECT_EQ(f.Fetch("600000", 0), -1);
    EXPECT_EQ(f.Fetch("nothing"), -1);
}

TEST(DataPool, RefreshesTodayWhileTradingAndLeavesTheMergeFlag)
{
    PoolMarkets f;
    TMarketData &sh = f.Market(0);
    f.SetClock(0, 20061208, 931);
    RealQuoteRecord &q = sh.Quotes[1];
    q.Open = q.High = q.Low = 1000;
    q.Last = 1001;
    f.WriteRecords("sh/tick/600000.tik", std::vector<TickRecord>{Tick(20061208, 930, 1000, 100)});

    TDataIO::SetMergeRealTime(1);
    EXPECT_EQ(f.Fetch("600000"), 3); // two days and today's bar from the quote
    EXPECT_EQ(MergeRealTime, 1);
    KLineRecord *bars = nullptr;
    int count = 0;
    ASSERT_EQ(TDataIO::ReadBars(bars, 0, "600000", count, 8, MaxDataRecords, 0, 0), 1);
    EXPECT_EQ(count, 3); // a direct read still merges today
    EXPECT_EQ(bars[2].Close, 1001u);
    TDataIO::SetMergeRealTime(0);

    // The 1-minute cache rebuilds today's bars on every fetch.
    EXPECT_EQ(f.Fetch("600000", 1), 1);
    f.SetClock(0, 20061208, 933);
    f.WriteRecords("sh/tick/600000.tik", std::vector<TickRecord>{Tick(20061208, 930, 1000, 100),
                                                                  Tick(20061208, 932, 1002, 200)});
    q.Last = 1003;
    ASSERT_EQ(GetBarsCached(bars, 0, "600000", count, 1, 0, 0, 0), 1);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(bars[1].Close, 1002u);
    EXPECT_EQ(bars[2].Close, 1003u);
    EXPECT_FLOAT_EQ(bars[1].Volume, 100);

    // The last n, or all when n is larger; a small buffer is replaced.
    ASSERT_EQ(GetBarsCached(bars, 0, "600000", count, 1, 2, 0, 0), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bars[1].Close, 1003u);
    ASSERT_EQ(GetBarsCached(bars, 0, "600000", count, 8, 50, 0, 0), 1);
    EXPECT_EQ(count, 3);
    EMemFree(bars);
    bars = static_cast<KLineRecord *>(EMemAlloc(sizeof(KLineRecord)));
    ASSERT_EQ(GetBarsCached(bars, 0, "600000", count, 8, 0, 0, 0), 1);
    EXPECT_GE(EMemSize(bars), (sh.MaxTradingMinutes + 3 + 16) * sizeof(KLineRecord));
    EMemFree(bars);
}

TEST(DataPool, LoadsTheIndicatorTables)
{
    HistoryMarkets f;
    f.inst.Write("CFG/INDEX.DAT", std::string(232 * 2 + 5, 'a'));
    f.inst.Write("CFG/IDXPARA.TBL", std::string(512 * 3, 'p'));
    void *table = nullptr;
    int count = 0;
    EXPECT_EQ(TDataPool::LoadIndexTable(table, count), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(EMemSize(table), 300u * 232);
    EMemFree(table);
    EXPECT_EQ(TDataPool::LoadIndexParamTable(table, 1000), 3);
    EXPECT_EQ(f.inst.Read("CFG/IDXPARA.TBL").size(), 512u * 3); // not truncated
    EMemFree(table);
    EXPECT_EQ(TDataPool::LoadIndexParamTable(table, 2), 2);
    EMemFree(table);

    f.inst.Write("CFG/INDEX.DAT", std::string(232 * 400, 'a'));
    EXPECT_EQ(TDataPool::LoadIndexTable(table, count), 1);
    EXPECT_EQ(count, 300);
    EMemFree(table);
}

} // namespace
