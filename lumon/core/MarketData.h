// One market of the market table: its description record and classes, its clock,
// and the per-stock arrays of static records, quotes, auxiliary figures and
// information records, loaded from the name table and the quote snapshot.
#pragma once

#include <cstdint>

#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/PackedDateTime.h"
#include "platform/win/WinTypes.h"

// The status of a market whose per-stock arrays could not be had; such a market
// is empty to every lookup.
constexpr int32_t MARKET_NO_ARRAYS = 3001;

class TMarketData {
public:
    TMarketData(int index, const MarketInfoRecord &record);
    TMarketData(const TMarketData &) = delete;
    TMarketData &operator=(const TMarketData &) = delete;
    // Writes the quotes of the loaded stocks back to the snapshot.
    ~TMarketData();

    // The first stock whose code equals `code` without regard to case, or -1.
    int FindStockByCode(const char *code) const;
    // The same for a code whose length (up to the first NUL) the caller knows.
    int FindStockByCode(const char *code, size_t length) const;
    int GetStockClass(int stock) const;

    int RequestNameTable();
    void LoadNameTable();
    int LoadRealData(int askServer);
    int ResetRealData();
    void ClearAuxRecords();

    // Sets the market's clock from a UTC time: its local time (shifted by the
    // market's hour offset), now, trading date, clock minute and every class's
    // elapsed trading minutes.
    void SetClock(const win::SYSTEMTIME &utc);

    int TotalTradingMinutes(int cls) const;
    int ElapsedTradingMinutes(int clock, int cls) const;
    int TradingMinuteToClock(int minute, int cls) const;

    // History and tick reading (History.cpp).
    // The last records of the stock's bar file (kind 1 .m1, 4 .min, 8 .day) that
    // fit a window of w bars less room for today's (w 0: the whole file), with
    // today's bars appended when asked; a null buffer is allocated. 1, or 0.
    int ReadBarFile(KLineRecord *&bars, const char *code, int &count, int kind, int window, int merge);
    // Rebuilds today's part of a bar array (kind 1, 4 or 8) from the quote and
    // the ticks; 1, or 0 when the stock has no last price.
    int MergeRealTimeBars(KLineRecord *bars, const char *code, int &count, int kind);
    // Records of the stock's .tik / .tck; 0 when missing.
    int GetTickCount(int stock) const;
    int GetTickHistoryCount(int stock) const;
    // Reads at most n records from the start of .tik / .tck; n becomes the number
    // read. 1, or 0 when the file does not open.
    int ReadTickFile(int stock, TickRecord *buffer, int &n) const;
    int ReadTickHistoryFile(int stock, TickRecord *buffer, int &n) const;
    // One 32-byte point per trading minute of the day so far (the whole day
    // outside trading) into `out` of `capacity` records: the price at 4, the
    // minute's volume at 20 (that of minute k stored at point k - 1), the
    // amount at 24 and the cumulative volume as a 32-bit integer at 28.
    // Returns the number of points.
    int BuildTrendFromTicks(StockId stock, const TickRecord *ticks, KLineRecord *out, int tickCount,
                            int capacity);
    // The trading-day test: the clock is at or after class 0's first session
    // start on a weekday.
    bool IsTradingDayOpen() const;

    // Rebuilds the code index; whoever fills the static records (a name table
    // from a file or from the server) calls it afterwards.
    void RebuildCodeIndex();

    int32_t Index;
    uint32_t Capacity;
    MarketInfoRecord Info;
    int32_t Status = 0;
    int32_t StockCount = 0;
    win::SYSTEMTIME LocalTime{};
    PackedDateTime Now = 0;
    PackedDateTime TradingDate = 0;
    uint16_t ClockMinute = 0;
    uint16_t MaxTradingMinutes = 0;
    StockStaticRecord *Statics = nullptr;
    RealQuoteRecord *Quotes = nullptr;
    StockAuxRecord *Aux = nullptr;
    StockInfoRecord *Infos = nullptr;

private:
    bool HasArrays() const { return Statics && Quotes && Aux && Infos; }
    // "<data root>data\<dir>\<file>.<ext>" into `path`.
    void DataFile(char *path, int size, const char *file) const;
    int LinearFind(const char *code, size_t length) const;

    // Open-addressed table of stock positions by code (stock -1 = empty slot),
    // each with its code's hash so that a probe past another code's slot does
    // not read that stock's record.
    struct CodeSlot {
        int32_t Stock;
        uint32_t Hash;
    };
    CodeSlot *m_CodeIndex = nullptr;
    uint32_t m_CodeIndexSize = 0;
    int32_t m_IndexedCount = -1;
};
