// What the market data core asks of the main frame, which implements it; tests
// stand in a double. The frame owns the data-server clients, so requests that go
// to the server pass through it.
#pragma once

#include <cstdint>
#include <string>

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

    // Data-server link: what the request client, its frame dispatcher and the
    // real-time client ask of the frame. A frame without rights grants them all.
    // Bit `function` of the market's rights (0 <= market <= 15, 0 <= function <= 14).
    virtual bool HasMarketRight(int market, int function) { return true; }
    // Function right n (1..100), such as the right to a news type.
    virtual bool HasFunctionRight(int n) { return true; }
    // The login answer: the user's 48-byte rights block and the rights date
    // (yymmdd, the year counted from 2000).
    virtual void SetRights(const uint8_t *block, int ymd) {}
    // Set once the network-fault question has been put to the user.
    virtual bool FaultPending() { return false; }
    // The id of the newest real-time message received, from which the next
    // request continues.
    virtual void SetLastRealtimeMessageId(int32_t id) {}
    // The folder of temporary files, ending in a separator; empty: the
    // process's temporary folder.
    virtual const char *GetTempDirectory() { return ""; }
    // The window of the current page's pane whose identity is `requester`; 0
    // when the page has none.
    virtual win::HWND FindPaneWindow(const void *requester) { return 0; }
    // The quote list of the current page whose identity is `requester` redraws
    // its fast-change column.
    virtual void RedrawFastChangeColumn(const void *requester) {}
    // Every notes pane of the current page that is open on the note `name`
    // shows it again.
    virtual void ShowNote(const char *name) {}
    // Shows the new-version notice modally: 1 update now, 2 later.
    virtual int ShowUpdateNotice() { return 2; }

    // The login dialog's connect, on the GUI thread: makes the request client,
    // logs in with the user name and password typed, sending the dialog window
    // its stages; 1 when the login thread is to start, 0 when the dialog is to
    // close. A frame without data-server clients connects nothing.
    virtual int ConnectToServer(win::HWND dialog, const char *user, const char *password) { return 0; }
    // On the login thread: builds the real-time client and (unless reconnecting)
    // the market data store, whose loading reports to the dialog window; 1 when
    // the program is quitting.
    virtual int StartRealDataClient(win::HWND dialog) { return 0; }
};

// The one main frame; null while there is none (the settings program, tests).
extern TFrameServices *MFrame;

// The folder of the ranking answer files, ending in a separator: the frame's
// temporary folder when it names one, else this user's own temporary folder
// (never the shared one, where another user could plant files or links first).
// Empty when there is none. The dispatcher writes the answers there under fresh
// names made exclusively; the lists read them back from there.
std::string AnswerFileFolder();
