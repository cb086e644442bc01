// The main frame's message hub: the numbered messages of the terminal's parts,
// the chat client and the order client, the frame's activation, and the
// broadcast of notifications to the panes of the page.
#include <cstring>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/OrderBridge.h"
#include "lumon/shell/StatusBar.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The hour of a frame clock value (minutes of a UTC day) on the UTC+8 basis.
int FrameHour(int32_t minutes) { return (minutes / 60 + 8) % 24; }

// The 128-byte block the chat client receives: login name at 0, password at 64.
struct ChatCredentialsBlock {
    char Name[64];
    char Password[64];
};
static_assert(sizeof(ChatCredentialsBlock) == 128);

// History periods: the K-line period codes that an answer of each detail feeds.
bool PeriodMatches(int detail, int period)
{
    switch (detail) {
    case 1:
        return period < 4;
    case 4:
        return period >= 4 && period <= 7;
    case 8:
        return period >= 8;
    default:
        return false;
    }
}

} // namespace

void TMFrame::WndProc(TMessage &Message)
{
    const WPARAM wParam = Message.WParam;
    const LPARAM lParam = Message.LParam;
    switch (Message.Msg) {
    case WM_ACTIVATE:
        WMActivate(Message);
        return;
    case WM_NCMOUSEMOVE:
        WMNCMouseMove(Message);
        break;
    case WM_DATA_CHANGED:
        // Its records are pointers into this process: another process's is refused.
        if (!InMessageFromOtherProcess())
            OnDataChanged(wParam, lParam);
        break;
    case WM_ASK_SYSTEM_MESSAGES:
        if (RequestClient)
            RequestClient->RequestSystemMessages();
        break;
    case WM_NETWORK_FAULT:
        ReconnectAfterFault();
        break;
    case WM_DROP_CLIENTS:
        DeleteClients();
        FaultAsked = 0;
        break;
    case WM_SHOW_CHAT:
        if (ChatWindow && IsWindow(ChatWindow)) {
            if (!IsWindowVisible(ChatWindow))
                ShowWindow(ChatWindow, SW_SHOW);
            else if (IsIconic(ChatWindow))
                ShowWindow(ChatWindow, SW_RESTORE);
            else
                SetForegroundWindow(ChatWindow);
        }
        break;
    case WM_RECONNECT:
        C1Click(nullptr);
        break;
    case WM_NEWS_FLASH:
        if (!InMessageFromOtherProcess() && lParam)
            OnNewsFlash(*reinterpret_cast<const NewsRecord *>(lParam));
        break;
    case WM_CHAT_COMMAND:
        OnChatLink(wParam, lParam);
        break;
    case WM_SERVER_DATA:
        OnServerData(wParam, lParam);
        break;
    case WM_SUBSCRIBE_VIEWS:
        SubscribeVisibleStocks();
        // The active quote list asks for the fast changes of its visible rows.
        if (TMultiViewChild *pane = CurrentPage ? CurrentPage->ActivePane : nullptr)
            if (pane->Attr.ViewType == VIEW_REPORT && ViewHooks.RankVisibleStocks)
                ViewHooks.RankVisibleStocks(pane);
        break;
    case WM_BLOCK_REMOVED:
        RemoveBlockTabs(int(wParam));
        break;
    case WM_SHOW_ALARMS:
        ShowFiredAlarms();
        break;
    case WM_PLACE_ORDER:
        PlaceOrder(StockId(uint32_t(wParam)), lParam == 25);
        break;
    case WM_ORDER_WINDOW:
        OrderWindow = HWND(uint32_t(wParam));
        break;
    case WM_ORDER_WINDOW_GONE:
        OrderWindow = 0;
        break;
    }
    TForm::WndProc(Message);
}

void TMFrame::WMActivate(TMessage &Message)
{
    if (TMultiViewChild *pane = CurrentPage ? CurrentPage->ActivePane : nullptr)
        PostMessageA(pane->Handle, Message.WParam ? WM_FRAME_ACTIVATED : WM_FRAME_DEACTIVATED, 0, 0);
    TForm::WndProc(Message);
    Message.Result = 1;
}

void TMFrame::WMNCMouseMove(TMessage &)
{
    if (TMultiViewChild *pane = CurrentPage ? CurrentPage->ActivePane : nullptr)
        PostMessageA(pane->Handle, WM_NCMOUSEMOVE, 0, 0);
}

void TMFrame::NotifyViews(int code, int32_t a, int32_t b, int32_t c)
{
    if (!CurrentPage)
        return;
    // A pane may close panes (or the page may drop them) while it is notified:
    // the walk goes over the panes as they were and skips those that left.
    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;) {
        TMultiViewChild *pane = panes[i];
        if (!CurrentPage || !CurrentPage->HasPane(pane))
            continue;
        if (pane->Open && pane->Attr.ViewType != VIEW_EMPTY)
            pane->Notify(code, a, b, c);
    }
}

void TMFrame::OnDataChanged(WPARAM kind, LPARAM record)
{
    if (kind == DATA_PARAMETERS_CHANGED) {
        if (Util)
            Util->LoadParameters();
        if (CurrentPage) {
            const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
            for (size_t i = panes.size(); i-- > 0;)
                if (CurrentPage->HasPane(panes[i]))
                    panes[i]->Invalidate();
        }
        NotifyViews(8, 0, 2, 0);
        return;
    }
    const int group = HIWORD(DWORD(kind)), low = LOWORD(DWORD(kind));
    if (group == 0 && low == 0) {
        if (CurrentPage && record)
            OpenRequestedView(*reinterpret_cast<VIEW_ATTR *>(record));
        return;
    }
    if (group == 0 && low == 2) {
        const int32_t minutes = int32_t(record);
        ServerMinutes = minutes;
        if (FrameHour(PrevServerMinutes) == 23 && FrameHour(minutes) == 0) {
            // A new trading day: every triggered alarm is pending again.
            if (Alarms) {
                Alarms->ListLock().Enter();
                EArray<AlarmData> &triggered = Alarms->Triggered();
                for (int i = 0; i < triggered.GetCount(); ++i)
                    Alarms->Pending().Add(triggered.GetAt(i));
                triggered.SetCount(0);
                Alarms->ListLock().Leave();
            }
            SubscribeVisibleStocks();
        }
        PrevServerMinutes = minutes;
        if (StatusBox5)
            StatusBox5->Invalidate();
        return;
    }
    if (group != 1 || !record)
        return;
    const auto &entry = *reinterpret_cast<const QuoteChangeEntry *>(record);
    const StockId stock = entry.Stock;
    if (low == 17 || low == 18) {
        NotifyViews(low == 17 ? 11 : 12, int32_t(stock), 0, 0);
        return;
    }
    if (low != 5)
        return;
    const int market = StockMarket(stock), index = StockIndex(stock);
    if (market >= MarketTable.Count || market >= MaxMarkets)
        return;
    const TMarketData *md = MarketTable.Markets[market];
    if (!md || !md->Quotes || index >= md->StockCount)
        return;
    const RealQuoteRecord &q = md->Quotes[index];
    if (index == 0 && market < 2) {
        IndexQuote[market].PrevClose = int32_t(q.PrevClose);
        IndexQuote[market].LastPrice = int32_t(q.Last);
        IndexQuote[market].Amount = q.Amount;
        if (StatusBox1)
            StatusBox1->Invalidate();
    }
    if (O1->Checked && Alarms) {
        const TMarketData *first = MarketTable.Markets[0];
        Alarms->PushQuote(market, index, q.Last, q.PrevClose, q.LastVolume, q.Volume, q.Amount,
                          first ? int32_t(first->Now) : 0);
    }
    NotifyViews(0, int32_t(stock), 0, int32_t(entry.Flags));
}

void TMFrame::OpenRequestedView(VIEW_ATTR &attr)
{
    // The linked panes show the stock; where none does, the active pane makes
    // way for a view of the attributes.
    if (CurrentPage->ShowStockInLinkedPanes(CurrentPage->MaximizedPane != nullptr, &attr))
        return;
    TMultiViewChild *active = CurrentPage->ActivePane;
    if (!active || !CurrentPage->HasPane(active))
        return;
    TMultiViewChild *view = CurrentPage->ReplaceView(active->Node, &attr, 1);
    if (view && view->Attr.ViewType == VIEW_TREND && ViewHooks.SwitchTickMode &&
        ((view->Attr.Flags & VIEW_FLAG_TREND) == 0) != T1->Checked)
        ViewHooks.SwitchTickMode(view);
}

void TMFrame::OnNewsFlash(const NewsRecord &record)
{
    AddTickerItem(record.Title, TickerTextLength(record.Title, sizeof record.Title));
    NewsFlashToPanes(record);
}

void TMFrame::OnChatLink(WPARAM command, LPARAM window)
{
    const HWND chat = HWND(uint32_t(window));
    if (command != 0 || !chat || !IsWindow(chat))
        return;
    // Only the chat client this frame started gets the user's password.
    DWORD process = 0;
    GetWindowThreadProcessId(chat, &process);
    if (ChatProcessId == 0 || process != ChatProcessId)
        return;
    ChatWindow = chat;
    SendChatCredentials();
}

void TMFrame::SendChatCredentials()
{
    ChatCredentialsBlock block{};
    if (GetConnectionState() != 0) {
        std::memcpy(block.Name, UserName, sizeof UserName);
        std::memcpy(block.Password, Password, sizeof Password);
    }
    COPYDATASTRUCT data{0, sizeof block, &block};
    // A chat client that does not answer gives up the send after the layer's
    // time-out; the frame goes on either way.
    SendMessageA(ChatWindow, WM_COPYDATA, WPARAM(uintptr_t(Handle)), LPARAM(&data));
    std::memset(&block, 0, sizeof block);
}

void TMFrame::OnServerData(WPARAM kind, LPARAM key)
{
    if (!CurrentPage)
        return;
    const int type = HIWORD(DWORD(kind)), detail = LOWORD(DWORD(kind));
    // The messages the server answered wait in their files: one window shows them.
    if (type == 203 || type == 204) {
        ShowMessageWindow(type == 203 ? 97 : 98, type == 203 ? "系统消息" : "在线通知");
        return;
    }
    const StockId stock = StockId(uint32_t(key));
    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;) {
        TMultiViewChild *pane = panes[i];
        if (!CurrentPage || !CurrentPage->HasPane(pane))
            continue;
        const int view = pane->Attr.ViewType;
        const StockId shown = pane->Attr.Stock;
        if (type == 12) {
            if (view != VIEW_KLINE || !PeriodMatches(detail, pane->Attr.Param))
                continue;
            const StockId second = ViewHooks.SecondStock ? ViewHooks.SecondStock(pane) : 0;
            if (shown == stock || (second != 0 && second == stock))
                pane->Notify(12, int32_t(shown), 0, 0);
        } else if (type == 9) {
            // New day statistics: the quote lists show them.
            if (view == VIEW_REPORT && ViewHooks.RedrawGrid)
                ViewHooks.RedrawGrid(pane);
        } else if (type == 15 || type == 16 || type == 21) {
            RouteTextAnswer(pane, type, detail, key);
        } else if (type == 20) {
            if ((view == VIEW_KLINE || view == VIEW_TREND) && shown == stock)
                pane->Notify(view == VIEW_KLINE ? 12 : 11, int32_t(stock), 0, 0);
        } else if (type == 18) {
            // The stock's ex-rights events arrived: the K-line charts repaint.
            if (view == VIEW_KLINE && shown == stock && ViewHooks.KLineCommand)
                ViewHooks.KLineCommand(pane, KLineRepaint, 1);
        }
        // The charts' quote panel (day statistics) and broker grid (stock information).
        const bool chart = view == VIEW_KLINE || view == VIEW_TREND;
        if (chart && type == 9 && ViewHooks.RepaintQuotePanel)
            ViewHooks.RepaintQuotePanel(pane);
        else if (chart && type == 102 && shown == stock && ViewHooks.RepaintBrokerGrid)
            ViewHooks.RepaintBrokerGrid(pane);
    }
}

void TMFrame::RemoveBlockTabs(int blockId)
{
    if (!CurrentPage || !ViewHooks.RemoveBlockTab)
        return;
    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;)
        if (CurrentPage->HasPane(panes[i]) && panes[i]->Attr.ViewType == VIEW_REPORT)
            ViewHooks.RemoveBlockTab(panes[i], blockId);
}

void TMFrame::RedrawFastChangeColumn(const void *requester)
{
    if (!CurrentPage || !requester || !ViewHooks.RedrawFastChangeColumn)
        return;
    for (int i = 0; i < CurrentPage->Panes->GetCount(); ++i) {
        TMultiViewChild *pane = CurrentPage->Panes->GetAt(i);
        if (pane == requester && pane->Attr.ViewType == VIEW_REPORT)
            ViewHooks.RedrawFastChangeColumn(pane);
    }
}
