// What the main frame asks of the page it shows and of that page's panes: the
// frame broadcasts notifications, collects the stocks to subscribe and routes
// the server's answers through these, so the frame needs no view class. The
// page code implements them for its pane windows.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/core/EArray.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/STKMS.h"
#include "platform/win/WinTypes.h"

// View types of the panes the frame tells apart.
constexpr int VIEW_EMPTY = 0;
constexpr int VIEW_INTRADAY = 0x1001;
constexpr int VIEW_KLINE = 0x1002;
constexpr int VIEW_QUOTE_LIST = 0x2001;
constexpr int VIEW_NEWS = 0x2003;

class TFramePane {
public:
    virtual ~TFramePane() = default;

    // 0 for an empty pane.
    virtual int ViewType() const = 0;
    // The pane's "open" flag: it has been shown and not yet closed.
    virtual bool IsOpen() const = 0;
    // The pane's notification entry (code, a, b, c).
    virtual void Notify(int code, int32_t a, int32_t b, int32_t c) = 0;
    // The pane's window, to which the frame posts activation notices.
    virtual win::HWND Window() const = 0;
    // Appends the stocks the pane needs to the subscription list (no duplicates).
    virtual void CollectStocks(EArray<STKMS> &list) {}
    // A quote list: appends the keys of its visible rows to the statistics list.
    virtual void CollectVisibleStocks(EArray<STKMS> &list) {}
    // A chart: its stock, the overlaid second stock (0 when none) and its period code.
    virtual StockId CurrentStock() const { return 0; }
    virtual StockId SecondStock() const { return 0; }
    virtual int Period() const { return 0; }
};

class TFramePage {
public:
    virtual ~TFramePage() = default;

    // The panes of the page, first to last, as they are now.
    virtual std::vector<TFramePane *> Panes() = 0;
    // Whether the pane still belongs to the page.
    virtual bool HasPane(const TFramePane *pane) = 0;
    // The active pane, or null.
    virtual TFramePane *ActivePane() = 0;
    // A pane asks to open a view of the attributes (a VIEW_ATTR): the page
    // shows the stock in its linked panes, else puts the view in the active
    // pane's place; an intraday view takes the tick mode `tickFirst`.
    virtual void OpenView(const void *attributes, bool tickFirst) {}
};
