// What the market data core asks of the main frame, which implements it; tests
// stand in a double. The frame owns the data-server clients, so requests that go
// to the server pass through it.
#pragma once

#include "lumon/core/MarketRecords.h"
#include "platform/win/WinTypes.h"

struct DataRequest;

class TFrameServices {
public:
    virtual ~TFrameServices() = default;

    // Has the connected request client load a market's name table from the server
    // into that market's static records; false when no request client is
    // connected, so the caller falls back on the local file.
    virtual bool RequestNameTable(int market) = 0;

    // Has the connected request client ask for a stock's history of a period
    // (force flag and the reader's request argument as given); false when no
    // request client is connected. A frame without one asks nothing.
    virtual bool RequestHistory(int market, const char *code, int period, int force, int argument)
    {
        return false;
    }
    // Has the connected request client ask for the stock's ticks of today.
    virtual bool RequestTickData(StockId stock) { return false; }
    // Has the connected request client ask for the stock's weight file (its
    // ex-rights events).
    virtual bool RequestWeightFile(StockId stock) { return false; }
    // The frame's window, to which the other threads post their notices; 0 while
    // there is none.
    virtual win::HWND GetFrameWindow() { return 0; }

    // Data-server link: has the request client send one request of the request
    // ring; the bytes sent, 0 for a request it does not send, -1 when no request
    // client is connected or the send failed.
    virtual int SendDataRequest(const DataRequest &request) { return -1; }
};

// The one main frame; null while there is none (the settings program, tests).
extern TFrameServices *MFrame;
