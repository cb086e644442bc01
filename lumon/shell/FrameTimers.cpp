// The main frame's two timers: the one-second tick (keep-alive traffic with the
// data server, the real-time message line, the connection indicator, the
// market clocks while offline, the panes' periodic steps and each market's day
// start) and the 100 ms scroll of the news ticker.
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/StatusBar.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

bool RequestClientUp() { return RequestClient && RequestClient->IsConnected(); }

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

} // namespace

void TMFrame::Timer1Timer(TObject *)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const uint32_t seconds = uint32_t(now.wHour) * 3600 + now.wMinute * 60 + now.wSecond;
    ++TickCounter;
    // The login dialog's thread replaces the clients while the dialog is open
    // (its modal loop runs this timer too): they are not touched from here then.
    const bool clientsFree = !LoginOpen;

    if (TickCounter + KeepAliveOffset >= 1800) {
        TickCounter = 0;
        KeepAliveOffset = 0;
        if (clientsFree && RequestClientUp())
            RequestClient->RequestRealtimeMessages(LastRtMsgId);
    } else if ((TickCounter + 1) % 60 == 0) {
        if (clientsFree && RequestClientUp())
            RequestClient->SendHeartbeat();
    } else if ((TickCounter + 5) % 600 == 0) {
        ShowRealtimeMessageLine();
    }

    if (GetConnectionState() == 3) {
        IndicatorIndex = (IndicatorIndex + 1) % 4;
        DrawStatusLetters(IndicatorIndex);
    } else {
        // Offline: the local clock, taken as UTC+8, is the frame's clock.
        ServerMinutes = ((now.wHour + 16) % 24) * 60 + now.wMinute;
        for (int m = 0; m < MarketTable.Count && m < MaxMarkets; ++m)
            if (MarketTable.Markets[m])
                MarketTable.Markets[m]->SetClock(StartTime);
        if (StatusBox5)
            StatusBox5->Invalidate();
        if (!FaultAsked && clientsFree && RequestClient && RealTimeClient)
            PostMessageA(Handle, WM_NETWORK_FAULT, 0, 0);
    }

    // Unsigned differences: the clock's return to 0 at midnight starts each step.
    if (seconds - LastSort >= uint32_t(SortTime)) {
        LastSort = seconds;
        NotifyViews(8, 0, 1, 0);
    }
    if (CyclicDisplay && seconds - LastPage >= uint32_t(PageTime)) {
        LastPage = seconds;
        NotifyViews(8, 0, 0, 0);
    }
    if (seconds - LastRefresh >= uint32_t(RefreshTime)) {
        LastRefresh = seconds;
        NotifyViews(8, 0, 2, 0);
    }

    if ((TickCounter + 3) % 60 == 0 && clientsFree)
        StartMarketDays();
}

void TMFrame::StartMarketDays()
{
    for (int k = 0; RequestClientUp() && k < MarketTable.Count && k < MaxMarkets; ++k) {
        TMarketData *md = MarketTable.Markets[k];
        if (!md)
            continue;
        const int m = md->ClockMinute, start = md->Info.DayStartMinute;
        if (m < start || m > start + 1)
            continue;
        const SYSTEMTIME &t = md->LocalTime;
        if (DayOfWeekFromYmd(t.wYear * 10000 + t.wMonth * 100 + t.wDay) % 6 == 0 || m == 0)
            continue;
        // The first observation in the window only arms the market.
        if (DayStartState[k] == 0) {
            DayStartState[k] = 1;
            continue;
        }
        md->ResetRealData();
        if (md->Aux)
            for (uint32_t i = 0; i < md->Capacity; ++i)
                md->Aux[i].RefFlag = 0;
        DayStartState[k] = 0;
        ClearDataCaches();
        SubscribeVisibleStocks();
        if (CurrentPage) {
            const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
            for (size_t i = panes.size(); i-- > 0;) {
                TMultiViewChild *pane = panes[i];
                if (!CurrentPage || !CurrentPage->HasPane(pane))
                    continue;
                const int view = pane->Attr.ViewType;
                const bool chart = view == VIEW_KLINE || view == VIEW_TREND;
                if (view == VIEW_REPORT || (chart && StockMarket(pane->Attr.Stock) == k))
                    pane->Invalidate();
            }
        }
    }
}

void TMFrame::ShowRealtimeMessageLine()
{
    const int file = FileOpen(".\\RTMSG.TXT", "r");
    if (file < 0)
        return;
    char bytes[160];
    const int n = FileRead(file, bytes, 1, sizeof bytes);
    FileClose(file);
    int at = 0;
    while (at < n && !IsLineBreak(bytes[at]))
        ++at;
    int length = 0;
    if (at < n) {
        // The run of line breaks after the first line, 20 bytes at most.
        int skipped = 0;
        while (at < n && skipped < 20 && IsLineBreak(bytes[at])) {
            ++at;
            ++skipped;
        }
        while (at + length < n && !IsLineBreak(bytes[at + length]))
            ++length;
        length = TickerTextLength(bytes + at, length);
    }
    char text[16 + TickerTextLimit + 1];
    const int prefix = int(std::strlen("<<在线通知>>"));
    std::memcpy(text, "<<在线通知>>", size_t(prefix));
    std::memcpy(text + prefix, bytes + at, size_t(length));
    text[prefix + length] = 0;
    AddTickerItem(text, prefix + length);
}

void TMFrame::Timer2Timer(TObject *)
{
    if (!TickerList || !StatusBox6)
        return;
    const int width = StatusBox6->Width;
    ++TickerOffset;
    if (TickerOffset >= TickerList->Width + width) {
        if (TickerList->Next) {
            DropTickerHead(TickerList);
            TickerOffset = width - 30;
        } else {
            TickerOffset = 0;
        }
    }
    StatusBox6->Invalidate();
}
