// The market tables: mkinfo.cfg, name tables, quote snapshots, look-ups and the
// trading-minute arithmetic of the classes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Installation.h"
#include "MarketFixture.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/UtilData.h"
#include "platform/win/Window.h"

namespace {

ClassRecord TwoSessions(const char *name = "A股")
{
    return MakeClass(name, false, {{570, 690}, {780, 900}});
}

// An installation with a stock market and a futures market.
struct TwoMarkets {
    Installation inst;
    TUtilData util{1};

    TwoMarkets()
    {
        std::vector<MarketInfoRecord> markets = {
            MakeMarket("上海证券", "sh", "shm", 1, 8, {MakeClass("指数", true, {{570, 690}, {780, 900}}), TwoSessions()}),
            MakeMarket("期货", "fut", "ftm", 2, 4, {MakeClass("期货", false, {{540, 615}, {630, 690}, {810, 900}})}),
        };
        inst.Write("CFG/mkinfo.cfg", Bytes(markets));
        inst.Write("data/sh/nametbl.shm", Bytes(std::vector<StockStaticRecord>{
                                              MakeStock(0, 0, "1A0001", "上证指数"), MakeStock(0, 1, "600000", "浦发银行"),
                                              MakeStock(0, 1, "60 001", "空格"), MakeStock(0, 1, "cu0612", "同名")}));
        inst.Write("data/fut/nametbl.ftm", Bytes(std::vector<StockStaticRecord>{
                                               MakeStock(1, 0, "CU0612", "沪铜"), MakeStock(1, 0, "600000", "重名")}));
        RealQuoteRecord q{};
        q.Last = 1234;
        inst.Write("data/sh/real.shm", Bytes(std::vector<RealQuoteRecord>{q, q, q, q, q, q}));
        inst.Write("data/realdata.ini", "[DATA]\r\nDYNDATE00=20061208\r\nDYNDATE01=20061301\r\n");
    }
};

TEST(MarketTables, LoadsMarketsNameTablesAndSnapshots)
{
    TwoMarkets f;
    {
        TDataIO io(0);
        EXPECT_EQ(MarketTable.Status, 0);
        EXPECT_EQ(MarketTable.Loading, 0);
        ASSERT_EQ(MarketTable.Count, 2);
        TMarketData *sh = MarketTable.Markets[0];
        ASSERT_NE(sh, nullptr);
        EXPECT_EQ(sh->StockCount, 4);
        EXPECT_STREQ(sh->Info.Name, "上海证券");
        // Spaces in the code become NULs; every record gets its position.
        EXPECT_EQ(std::string(sh->Statics[2].Code, 7), std::string("60\0" "001\0", 7));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(sh->Statics[i].Index, i);
        EXPECT_EQ(sh->Quotes[3].Last, 1234u); // the snapshot's first four records
        EXPECT_EQ(sh->Quotes[4].Last, 0u);
        EXPECT_EQ(sh->TradingDate, YmdHmToPacked(20061208, 0));
        EXPECT_EQ(MarketTable.Markets[1]->TradingDate, 0u);
        EXPECT_EQ(MarketTable.Markets[1]->Quotes[0].Last, 0u); // no snapshot
        EXPECT_EQ(int(sh->Info.Classes[1].TotalMinutes), 241);
        EXPECT_EQ(sh->MaxTradingMinutes, 241);
        EXPECT_EQ(MarketTable.Markets[1]->MaxTradingMinutes, 1 + 75 + 60 + 90);

        // The clock is the start time moved to the market's hour offset.
        win::SYSTEMTIME local = StartTime;
        ShiftSystemTimeByHours(local, 8);
        EXPECT_EQ(sh->ClockMinute, local.wHour * 60 + local.wMinute);
        EXPECT_EQ(int(sh->Info.Classes[1].ElapsedMinutes), sh->ElapsedTradingMinutes(sh->ClockMinute, 1));

        sh->Quotes[0].Last = 777;
    }
    // Each market wrote its loaded quotes back, cut to the loaded count.
    std::string real = f.inst.Read("data/sh/real.shm");
    ASSERT_EQ(real.size(), 4 * sizeof(RealQuoteRecord));
    RealQuoteRecord q;
    std::memcpy(&q, real.data(), sizeof q);
    EXPECT_EQ(q.Last, 777u);
    EXPECT_EQ(f.inst.Read("data/fut/REAL.FTM").size(), 2 * sizeof(RealQuoteRecord));
}

TEST(MarketTables, LookUps)
{
    TwoMarkets f;
    TDataIO io(0);
    EXPECT_NE(TDataIO::GetStock(MakeStockId(0, 1, 3)), nullptr);
    EXPECT_EQ(TDataIO::GetStock(MakeStockId(0, 1, 4)), nullptr); // index = loaded count
    EXPECT_EQ(TDataIO::GetStock(MakeStockId(2, 0, 0)), nullptr); // market = count
    EXPECT_EQ(TDataIO::GetStock(MakeStockId(200, 0, 0)), nullptr);

    struct Case {
        const char *code;
        int market;
        bool all;
        bool found;
        int marketAfter, cls, index;
    } cases[] = {
        {"600000", 0, false, true, 0, 1, 1},
        {"600000", 1, false, true, 1, 0, 1}, // the given market first
        {"cu0612", 0, true, true, 0, 1, 3},  // without regard to case, first match
        {"CU0612", 1, false, true, 1, 0, 0},
        {"1a0001", 1, false, false, 1, 0, 0},
        {"1a0001", 1, true, true, 0, 0, 0}, // search-all moves to the market that has it
        {"999999", 0, true, false, 0, 0, 0},
        {"60", 0, true, true, 0, 1, 2},
        {"60000000", 0, true, false, 0, 0, 0},
        {"", 0, false, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        int market = c.market;
        uint8_t m = 0xEE, cls = 0xEE;
        uint16_t index = 0xEEEE;
        EXPECT_EQ(TDataIO::FindStockPos(c.code, market, m, cls, index, c.all), c.found) << c.code;
        EXPECT_EQ(market, c.marketAfter) << c.code;
        if (c.found) {
            EXPECT_EQ(m, c.marketAfter) << c.code;
            EXPECT_EQ(cls, c.cls) << c.code;
            EXPECT_EQ(index, c.index) << c.code;
            int again = c.market;
            StockStaticRecord *s = TDataIO::FindStockId(c.code, again, c.all);
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->Index, c.index);
        }
    }
    EXPECT_EQ(MarketTable.Markets[0]->GetStockClass(1), 1);
    EXPECT_EQ(MarketTable.Markets[0]->GetStockClass(-1), 1);
    EXPECT_EQ(MarketTable.Markets[1]->GetStockClass(100), 0);
}

TEST(MarketTables, TradingMinutesOfTwoSessions)
{
    Installation inst;
    TUtilData util(1);
    TMarketData m(0, MakeMarket("m", "m", "m", 1, 1, {TwoSessions(), MakeClass("none", false, {})}));
    EXPECT_EQ(m.TotalTradingMinutes(0), 241);
    struct Case {
        int clock, elapsed;
    } elapsed[] = {{0, 0}, {570, 0}, {600, 30}, {690, 120}, {700, 120}, {780, 120}, {800, 140}, {899, 239}, {900, 240}, {1439, 240}};
    for (const Case &c : elapsed)
        EXPECT_EQ(m.ElapsedTradingMinutes(c.clock, 0), c.elapsed) << c.clock;
    struct Back {
        int minute, clock;
    } clocks[] = {{0, 570}, {30, 600}, {120, 690}, {121, 781}, {150, 810}, {240, 900}, {241, 900}, {5000, 900}};
    for (const Back &c : clocks)
        EXPECT_EQ(m.TradingMinuteToClock(c.minute, 0), c.clock) << c.minute;
    // A class without sessions and a class that does not exist have no minutes.
    EXPECT_EQ(m.TotalTradingMinutes(1), 1);
    EXPECT_EQ(m.ElapsedTradingMinutes(800, 1), 0);
    EXPECT_EQ(m.TradingMinuteToClock(10, 1), 0);
    EXPECT_EQ(m.TotalTradingMinutes(7), 0);
    EXPECT_EQ(m.ElapsedTradingMinutes(800, 15), 0);
}

TEST(MarketTables, DescriptionFileSizesAndBadCounts)
{
    struct Case {
        const char *what;
        size_t bytes;
        int markets;
    } cases[] = {{"3100 bytes", 3100, 2}, {"one short of a record", 1503, 0}, {"17 records", 17 * 1504, 16}};
    for (const Case &c : cases) {
        Installation inst;
        TUtilData util(1);
        std::vector<MarketInfoRecord> markets(c.bytes / 1504 + 1,
                                              MakeMarket("m", "m", "m", 1, 2, {TwoSessions()}));
        inst.Write("CFG/mkinfo.cfg", Bytes(markets).substr(0, c.bytes));
        TDataIO io(0);
        EXPECT_EQ(MarketTable.Status, 0) << c.what;
        EXPECT_EQ(MarketTable.Count, c.markets) << c.what;
    }

    Installation inst;
    TUtilData util(1);
    EXPECT_EQ(TDataIO::LoadMarketInfo(), 0);
    {
        TDataIO io(0);
        EXPECT_EQ(MarketTable.Status, -1);
    }

    // Counts beyond what the record holds are held to it; sessions that end
    // before they start count nothing.
    MarketInfoRecord bad = MakeMarket("bad", "bad", "b", 1, 3, {TwoSessions()});
    bad.ClassCount = 65535;
    bad.Classes[0].SessionCount = 255;
    bad.Classes[1] = MakeClass("rev", false, {{900, 800}, {60000, 70}});
    TMarketData m(20, bad);
    EXPECT_EQ(m.Index, 0);
    EXPECT_EQ(int(m.Info.ClassCount), 15);
    EXPECT_EQ(int(m.Info.Classes[0].SessionCount), 4);
    EXPECT_EQ(m.TotalTradingMinutes(1), 1);
    EXPECT_EQ(m.ElapsedTradingMinutes(1000, 1), 0);
    EXPECT_GE(m.TotalTradingMinutes(0), 1);

    // Folder and extension names that would leave the data folder give an empty market.
    for (const char *dir : {"..", "a\\b", "a/b", ""}) {
        TMarketData escape(0, MakeMarket("x", dir, "e", 1, 3, {TwoSessions()}));
        EXPECT_EQ(escape.Status, MARKET_NO_ARRAYS) << dir;
        EXPECT_EQ(escape.LoadRealData(1), 0);
        EXPECT_EQ(escape.FindStockByCode("600000"), -1);
    }
}

TEST(MarketTables, NameTablesOfOddSizes)
{
    Installation inst;
    TUtilData util(1);
    std::vector<StockStaticRecord> stocks;
    for (int i = 0; i < 6; ++i)
        stocks.push_back(MakeStock(5, i == 4 ? 9 : 0, ("00000" + std::to_string(i)).c_str(), "x"));
    struct Case {
        const char *what;
        size_t bytes;
        int capacity, loaded;
    } cases[] = {
        {"whole records", 6 * 32, 8, 6},
        {"a partial record", 5 * 32 + 31, 8, 5},
        {"more than the capacity", 6 * 32, 3, 3},
        {"empty", 0, 8, 0},
    };
    for (const Case &c : cases) {
        inst.Write("data/q/nametbl.q", Bytes(stocks).substr(0, c.bytes));
        TMarketData m(3, MakeMarket("q", "q", "q", 1, c.capacity, {TwoSessions()}));
        m.LoadNameTable();
        EXPECT_EQ(m.StockCount, c.loaded) << c.what;
        for (int i = 0; i < m.StockCount; ++i) {
            EXPECT_EQ(m.Statics[i].Market, 3) << c.what;
            EXPECT_LT(m.Statics[i].Class, 1) << c.what;
        }
    }
}

TEST(MarketTables, EmptyMarketKeepsItsSnapshotAndResetWritesZeros)
{
    Installation inst;
    TUtilData util(1);
    std::string snapshot(3 * 124, 'q');
    inst.Write("data/e/real.e", snapshot);
    {
        TMarketData m(0, MakeMarket("e", "e", "e", 1, 5, {TwoSessions()}));
        EXPECT_EQ(m.LoadRealData(1), 0); // no name table and no server
    }
    EXPECT_EQ(inst.Read("data/e/real.e"), snapshot);

    TMarketData m(0, MakeMarket("e", "e", "e", 1, 5, {TwoSessions()}));
    m.Quotes[0].Last = 5;
    EXPECT_EQ(m.ResetRealData(), 1);
    EXPECT_EQ(m.Quotes[0].Last, 0u);
    EXPECT_EQ(inst.Read("data/e/real.e"), std::string(5 * 124, '\0'));
}

struct ProgressNote {
    win::UINT message;
    int wParam, lParam;
    std::string name; // of the market being loaded, read while the message is handled
};
std::vector<ProgressNote> progressNotes;

win::LRESULT ProgressProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    if (msg >= WM_MARKET_FAILED && msg <= WM_MARKETS_LOADED) {
        std::string name;
        if (msg == WM_MARKET_LOADING && MarketTable.Markets[lParam])
            name = MarketTable.Markets[lParam]->Info.Name;
        progressNotes.push_back({msg, int(wParam), int(lParam), name});
        return 0;
    }
    return win::DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(MarketTables, ProgressIsSentFromTheLoadingThread)
{
    TwoMarkets f;
    std::remove((f.inst.Root() + "/data/fut/nametbl.ftm").c_str()); // no name table: a failure
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = ProgressProc;
    wc.lpszClassName = "CoreProgressTest";
    win::RegisterClassA(&wc);
    win::HWND window = win::CreateWindowExA(0, "CoreProgressTest", "", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    ASSERT_NE(window, 0u);
    progressNotes.clear();
    std::atomic<bool> done{false};
    TDataIO *io = nullptr;
    std::thread worker([&] {
        io = new TDataIO(window);
        done = true;
    });
    win::MSG msg;
    while (!done)
        win::PeekMessageA(&msg, 0, 0, 0, win::PM_REMOVE);
    worker.join();
    ASSERT_EQ(progressNotes.size(), 4u);
    EXPECT_EQ(progressNotes[0].message, WM_MARKET_LOADING);
    EXPECT_EQ(progressNotes[0].wParam, 2);
    EXPECT_EQ(progressNotes[0].lParam, 0);
    EXPECT_EQ(progressNotes[0].name, "上海证券");
    EXPECT_EQ(progressNotes[1].message, WM_MARKET_LOADING);
    EXPECT_EQ(progressNotes[1].lParam, 1);
    EXPECT_EQ(progressNotes[2].message, WM_MARKET_FAILED);
    EXPECT_EQ(progressNotes[3].message, WM_MARKETS_LOADED);
    EXPECT_EQ(MarketTable.Status, 0);
    delete io;
    win::DestroyWindow(window);
}

// A frame whose request client answers name-table requests.
class FrameWithServer : public TFrameServices {
public:
    bool RequestNameTable(int market) override
    {
        asked.push_back(market);
        TMarketData *m = MarketTable.Markets[market];
        m->Statics[0] = MakeStock(market, 0, "SRV001", "server");
        m->StockCount = 1;
        return true;
    }
    std::vector<int> asked;
};

TEST(MarketTables, NameTablesComeFromTheServerWhenConnected)
{
    TwoMarkets f;
    FrameWithServer frame;
    MFrame = &frame;
    {
        TDataIO io(0);
        EXPECT_EQ(frame.asked, (std::vector<int>{0, 1}));
        EXPECT_EQ(MarketTable.Markets[0]->StockCount, 1);
        int market = 1;
        StockStaticRecord *s = TDataIO::FindStockId("srv001", market, false);
        ASSERT_NE(s, nullptr);
        EXPECT_STREQ(s->Name, "server");
        EXPECT_EQ(MarketTable.Markets[0]->FindStockByCode("600000"), -1);
    }
    MFrame = nullptr;
}

TEST(MarketTables, CodeIndexFollowsTheTable)
{
    Installation inst;
    TUtilData util(1);
    std::vector<StockStaticRecord> stocks;
    for (int i = 0; i < 300; ++i)
        stocks.push_back(MakeStock(0, 0, ("S" + std::to_string(i)).c_str(), "x"));
    stocks[200] = MakeStock(0, 0, "s5", "dup");
    inst.Write("data/i/nametbl.i", Bytes(stocks));
    TMarketData m(0, MakeMarket("i", "i", "i", 1, 400, {TwoSessions()}));
    m.LoadNameTable();
    for (int i = 0; i < 300; i += 7)
        EXPECT_EQ(m.FindStockByCode(("s" + std::to_string(i)).c_str()), i == 200 ? -1 : i);
    EXPECT_EQ(m.FindStockByCode("S5"), 5); // the first of two
    // A record changed in place is found by its new code once the index is rebuilt.
    m.Statics[9] = MakeStock(0, 0, "NEW9", "x");
    EXPECT_EQ(m.FindStockByCode("S9"), -1);
    m.RebuildCodeIndex();
    EXPECT_EQ(m.FindStockByCode("new9"), 9);
    // A table whose count changed without a rebuild is searched in full.
    m.Statics[300] = MakeStock(0, 0, "LATE", "x");
    m.StockCount = 301;
    EXPECT_EQ(m.FindStockByCode("late"), 300);
}

TEST(MarketTables, NextToken)
{
    const char text[] = "  abc\0\0 defgh\0\0";
    const char *p = text;
    int left = int(sizeof text) - 1;
    char token[4];
    ASSERT_TRUE(TDataIO::NextToken(p, token, sizeof token, left));
    EXPECT_STREQ(token, "abc");
    ASSERT_TRUE(TDataIO::NextToken(p, token, sizeof token, left));
    EXPECT_STREQ(token, "def"); // cut to the token buffer, the rest skipped
    EXPECT_FALSE(TDataIO::NextToken(p, token, sizeof token, left));
    EXPECT_EQ(left, 0);
}

} // namespace
