// The market table: builds the markets from mkinfo.cfg, their name tables and
// quote snapshots (reporting progress to a window), and turns codes and stock
// ids into records.
#pragma once

#include <cstdint>

#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketData.h"
#include "platform/win/WinTypes.h"

constexpr int MaxMarkets = 16;

// Progress of a load, sent to the window given: a market failed (0, 0), market
// lParam of wParam is loading, all done (0, 0).
constexpr win::UINT WM_MARKET_FAILED = 2725;
constexpr win::UINT WM_MARKET_LOADING = 2726;
constexpr win::UINT WM_MARKETS_LOADED = 2727;

struct TMarketTable {
    TMarketData *Markets[MaxMarkets];
    int32_t Count;    // markets described by the file
    int32_t Status;   // 0, or -1 when loading failed
    int32_t Loading;  // 1 while the markets load
};
extern TMarketTable MarketTable;

// The records of mkinfo.cfg as last read, and how many there are (at most 16).
extern MarketInfoRecord MarketInfo[MaxMarkets];
extern int32_t MarketInfoCount;

// Whether history reads merge today's quote.
extern int32_t MergeRealTime;

class TDataIO {
public:
    explicit TDataIO(win::HWND progress);
    TDataIO(const TDataIO &) = delete;
    TDataIO &operator=(const TDataIO &) = delete;
    // Destroys every market; each saves its quote snapshot.
    ~TDataIO();

    static int LoadMarketInfo();
    int LoadMarkets(int destroyFirst, win::HWND progress);

    // The static record of a stock id, or null.
    static StockStaticRecord *GetStock(StockId id);
    // Looks the code up in the given market and, when asked, in the others in
    // index order (the market index then names the market that has it).
    static bool FindStockPos(const char *code, int &market, uint8_t &marketOut, uint8_t &classOut,
                             uint16_t &indexOut, bool searchAll);
    static StockStaticRecord *FindStockId(const char *code, int &market, bool searchAll);
    static void SetMergeRealTime(int flag);

    // History and tick reading (History.cpp).
    // A stock's bars of a period code, at most n (capped at MaxDataRecords), the
    // newest last, with today's bars merged while the merge flag is set; the
    // buffer is allocated when null. With a request argument the connected
    // request client is also asked for the history. 1, or 0.
    static int ReadBars(KLineRecord *&bars, int market, const char *code, int &count, int period, int n,
                        int force, int request);
    // Today's ticks of the stock (.tik) into a buffer made to hold count + 1024
    // records; with the request flag the connected request client is also asked
    // for them. No ticks is success with count 0.
    static int ReadTicks(TickRecord *&ticks, StockId stock, int &count, int request);
    // The ticks of earlier days (.tck) dated before the market's current date.
    static int ReadTickHistory(TickRecord *&ticks, StockId stock, int &count);
    // The 1-minute bars of the k-th last trading day of .m1 as ticks; k is cut
    // to the days present. 0 when a whole day is not there or k < 1.
    static int ReadDayTrend(TickRecord *&buffer, StockId stock, int &count, int &k);
    // Today's 1-minute / 5-minute bars from the ticks and the quote: at most n
    // (in), the number built (out).
    static void BuildMin1FromTicks(KLineRecord *bars, StockId stock, int &n);
    static void BuildMin5FromTicks(KLineRecord *bars, StockId stock, int &n);

    // Skips blanks and NULs, copies the next NUL-terminated string of `buffer`
    // into `token` (at most tokenSize - 1 bytes) and moves past it; false when the
    // buffer is used up.
    static bool NextToken(const char *&buffer, char *token, int tokenSize, int &left);
};
