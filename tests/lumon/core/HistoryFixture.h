// An installation with a stock market and a futures market loaded, builders of
// bar and tick records, and a settable market clock, for the history, cache and
// alarm tests.
#pragma once

#include <string>
#include <vector>

#include "Installation.h"
#include "MarketFixture.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/HistoryRecords.h"
#include "lumon/core/UtilData.h"

inline KLineRecord Bar(int ymd, int hhmm, uint32_t close, uint32_t open = 0, uint32_t high = 0, uint32_t low = 0,
                       float volume = 0, float amount = 0)
{
    KLineRecord b{};
    b.Time = YmdHmToPacked(ymd, hhmm);
    b.Close = close;
    b.Open = open ? open : close;
    b.High = high ? high : close;
    b.Low = low ? low : close;
    b.Volume = volume;
    b.Amount = amount;
    return b;
}

inline TickRecord Tick(int ymd, int hhmm, uint32_t price, float volume = 0, float amount = 0)
{
    TickRecord t{};
    t.Time = YmdHmToPacked(ymd, hhmm);
    t.Price = price;
    t.Volume = volume;
    t.Amount = amount;
    return t;
}

// Market 0 "sh" (type 1: class 0 indexes, class 1 stocks, 09:30-11:30 and
// 13:00-15:00, 241 minutes) with 1A0001 and 600000..600005; market 1 "fut"
// (type 2, open interest) with CU0612.
struct HistoryMarkets {
    Installation inst;
    TUtilData util{1};
    TDataIO *io = nullptr;

    explicit HistoryMarkets(const std::string &name = "inst") : inst(name)
    {
        std::vector<MarketInfoRecord> markets = {
            MakeMarket("上海证券", "sh", "shm", 1, 16,
                       {MakeClass("指数", true, {{570, 690}, {780, 900}}),
                        MakeClass("A股", false, {{570, 690}, {780, 900}})}),
            MakeMarket("期货", "fut", "ftm", 2, 4, {MakeClass("期货", false, {{540, 615}, {630, 690}, {810, 900}})}),
        };
        inst.Write("CFG/mkinfo.cfg", Bytes(markets));
        std::vector<StockStaticRecord> sh = {MakeStock(0, 0, "1A0001", "上证指数")};
        for (const char *code : {"600000", "600001", "600002", "600003", "600004", "600005"})
            sh.push_back(MakeStock(0, 1, code, "股票"));
        inst.Write("data/sh/nametbl.shm", Bytes(sh));
        inst.Write("data/fut/nametbl.ftm", Bytes(std::vector<StockStaticRecord>{MakeStock(1, 0, "CU0612", "沪铜", 1)}));
        io = new TDataIO(0);
        SetClock(0, 20061208, 1000);
        SetClock(1, 20061208, 1000);
    }
    ~HistoryMarkets() { delete io; }

    TMarketData &Market(int m) { return *MarketTable.Markets[m]; }

    // Sets the market's clock and date as the main timer keeps them.
    void SetClock(int m, int ymd, int hhmm)
    {
        TMarketData &md = Market(m);
        md.Now = YmdHmToPacked(ymd, hhmm);
        md.TradingDate = YmdHmToPacked(ymd, 0);
        md.ClockMinute = uint16_t(hhmm / 100 * 60 + hhmm % 100);
        for (int c = 0; c < md.Info.ClassCount; ++c)
            md.Info.Classes[c].ElapsedMinutes = uint16_t(md.ElapsedTradingMinutes(md.ClockMinute, c));
    }

    // "data/<relative>" of the installation, the data root being "..\\".
    template <typename T>
    void WriteRecords(const std::string &relative, const std::vector<T> &records, const std::string &tail = "")
    {
        inst.Write("data/" + relative, Bytes(records) + tail);
    }
};
