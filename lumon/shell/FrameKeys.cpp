// The terminal's global keys: the application's message hook sees every message
// the GUI thread takes from its queue (inside dialogs too) and gives the function
// keys their views of the current stock, the space bar the hot-key help, the
// K-line chart its Alt keys, blocks the screen saver and tells panes the mouse
// left them.
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/HotKeyDlg.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/SmartKB.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/KeyState.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

bool Repeated(LPARAM lParam) { return (lParam & (LPARAM(1) << 30)) != 0; }
bool AltContext(LPARAM lParam) { return (lParam & (LPARAM(1) << 29)) != 0; }
bool InTickMode(const TMultiViewChild *pane) { return (pane->Attr.Flags & VIEW_FLAG_TREND) == 0; }

// The keys after which a visible keyboard wizard closes.
bool ClosesWizard(WPARAM key)
{
    switch (key) {
    case VK_F1: case VK_F3: case VK_F4: case VK_F5: case VK_F6: case VK_F7:
    case VK_F9: case VK_F11: case VK_F12: case VK_SPACE:
        return true;
    default:
        return false;
    }
}

} // namespace

void TMFrame::BringForward(TMultiViewChild *pane)
{
    pane->Activate();
    TMultiViewChild *maximized = CurrentPage ? CurrentPage->MaximizedPane : nullptr;
    if (maximized && maximized != pane)
        PostMessageA(CurrentPage->Handle, WM_PANE_MAXIMIZE, 0, LPARAM(pane));
}

void TMFrame::AgreeTickMode(TMultiViewChild *pane, bool created)
{
    if (!pane || pane->Attr.ViewType != VIEW_TREND || !ViewHooks.SwitchTickMode)
        return;
    const bool tick = InTickMode(pane);
    if (created ? (tick && !T1->Checked) : tick != T1->Checked)
        ViewHooks.SwitchTickMode(pane);
}

void TMFrame::ShowStockInView(uint16_t type, bool withValue, const StockId *chosen)
{
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (!active || !CurrentPage->HasPane(active))
        return;
    VIEW_ATTR attr;
    if (!InitViewAttr(type, &attr))
        return;
    const StockId shown = active->Attr.Stock;
    attr.Stock = chosen ? *chosen : shown;
    if (withValue)
        attr.BlockId = active->Attr.BlockId;
    // The stocks the new view steps through: the pane's own list, or for a quote
    // list its rows; a list made here is handed over and our reference dropped.
    uint32_t made = 0;
    const uint16_t from = active->Attr.ViewType;
    if (HasRuntimeArea(type) && !chosen) {
        if (HasRuntimeArea(from) && FindBrowseList(BrowseListHandle(active->Attr))) {
            const TBrowseList *list = FindBrowseList(BrowseListHandle(active->Attr));
            SetBrowseListHandle(attr, BrowseListHandle(active->Attr));
            int at = BrowseIndex(active->Attr);
            BrowseIndex(attr) = at < 0 ? 0 : at >= int(list->Stocks.size()) ? int(list->Stocks.size()) - 1 : at;
        } else if (from == VIEW_REPORT && ViewHooks.ReportRows) {
            std::vector<StockId> rows;
            int row = 0;
            ViewHooks.ReportRows(active, rows, row);
            if (!rows.empty()) {
                made = NewBrowseList(rows.data(), int(rows.size()));
                SetBrowseListHandle(attr, made);
                const int at = row - 1;
                BrowseIndex(attr) = at < 0 ? 0 : at >= int(rows.size()) ? int(rows.size()) - 1 : at;
            }
        }
    }
    if (TMultiViewChild *linked = CurrentPage->FindPaneByType(type, 0)) {
        if (BrowseListHandle(attr))
            AddBrowseListRef(BrowseListHandle(attr));
        linked->Notify(1, int32_t(attr.Stock), attr.BlockId, intptr_t(&attr));
        if (CurrentPage && CurrentPage->HasPane(linked)) {
            BringForward(linked);
            if (type == VIEW_TREND)
                AgreeTickMode(linked, false);
        }
    } else {
        TMultiViewChild *view = CurrentPage->ReplaceView(active->Node, &attr, 1);
        if (type == VIEW_TREND)
            AgreeTickMode(view, true);
    }
    if (made)
        ReleaseBrowseList(made);
}

void TMFrame::ShowIndexChart(int market)
{
    if (!CurrentPage)
        return;
    VIEW_ATTR attr;
    InitViewAttr(VIEW_TREND, &attr);
    attr.Stock = MakeStockId(market, 0, 0);
    attr.BlockId = market;
    if (!TDataIO::GetStock(attr.Stock))
        return;
    CurrentPage->ShowStockInLinkedPanes(CurrentPage->MaximizedPane != nullptr, &attr);
    if (!CurrentPage)
        return;
    if (TMultiViewChild *linked = CurrentPage->FindPaneByType(VIEW_TREND, 0)) {
        BringForward(linked);
        AgreeTickMode(linked, false);
    } else if (TMultiViewChild *active = CurrentPage->ActivePane) {
        AgreeTickMode(CurrentPage->ReplaceView(active->Node, &attr, 1), true);
    }
}

void TMFrame::ToggleHotKeyHelp()
{
    if (!HotKeyHelp) {
        HotKeyHelp = new Thotkeydlg(Application);
        HotKeyHelp->AfterConstruction();
    }
    if (HotKeyHelp->Visible) {
        HotKeyHelp->Perform(WM_CLOSE, 0, 0);
        delete HotKeyHelp;
        HotKeyHelp = nullptr;
    } else {
        HotKeyHelp->Show();
    }
}

void TMFrame::AppMessage(MSG &Msg, bool &Handled)
{
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (active && !CurrentPage->HasPane(active))
        active = nullptr;
    const uint16_t type = active ? active->Attr.ViewType : 0;
    switch (Msg.message) {
    case WM_SYSKEYDOWN:
        if (type == VIEW_KLINE) {
            if (ViewHooks.KLineKeyDown)
                ViewHooks.KLineKeyDown(active, WORD(Msg.wParam), GetKeyState(VK_MENU) < 0);
            Handled = true;
        }
        if (Msg.wParam == VK_F10 && !AltContext(Msg.lParam)) {
            PostMessageA(Handle, WM_KEYDOWN, VK_F11, 0);
            Handled = true;
        }
        return;
    case WM_KEYDOWN:
        break;
    case WM_CHAR:
        // Typed characters open the keyboard wizard.
        Handled = WizardKeyChar(Msg);
        return;
    case WM_SYSCOMMAND:
        // The low four bits of the command are the system's own.
        Handled = (Msg.wParam & 0xFFF0) == SC_SCREENSAVE;
        return;
    case WM_MOUSEMOVE:
        if (CurrentPage) {
            const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
            for (size_t i = panes.size(); i-- > 0;)
                if (panes[i]->HandleAllocated() && panes[i]->Handle != Msg.hwnd)
                    PostMessageA(panes[i]->Handle, WM_NCMOUSEMOVE, 0, 0);
        }
        return;
    default:
        return;
    }

    if (Repeated(Msg.lParam))
        return;
    const WPARAM key = Msg.wParam;
    switch (key) {
    case VK_F3:
        ShowIndexChart(0);
        break;
    case VK_F4:
        if (GetKeyState(VK_MENU) >= 0)
            ShowIndexChart(1);
        break;
    case VK_F5:
        if (!active)
            break;
        if (type == VIEW_KLINE || type == VIEW_TEXT || type == VIEW_REPORT)
            ShowStockInView(VIEW_TREND, true);
        else if (type == VIEW_TREND)
            ShowStockInView(VIEW_KLINE, true);
        Handled = true;
        break;
    case VK_F6:
        if (CurrentPage && type != VIEW_REPORT) {
            if (TMultiViewChild *list = CurrentPage->FindPaneByType(VIEW_REPORT, 1)) {
                BringForward(list);
            } else if (active) {
                VIEW_ATTR attr;
                InitViewAttr(VIEW_REPORT, &attr);
                CurrentPage->ReplaceView(active->Node, &attr, 1);
            }
        }
        break;
    case VK_F7:
        if (active && active->CmdBox && active->CmdBox->m_hWnd)
            PostMessageA(active->CmdBox->m_hWnd, WM_LBUTTONDOWN, 0, 0);
        break;
    case VK_F9:
        if (CurrentPage && type != VIEW_NEWS) {
            if (TMultiViewChild *news = CurrentPage->FindPaneByType(VIEW_NEWS, 1)) {
                BringForward(news);
            } else if (active) {
                VIEW_ATTR attr;
                InitViewAttr(VIEW_NEWS, &attr);
                attr.Stock = active->Attr.Stock;
                attr.BlockId = active->Attr.BlockId;
                CurrentPage->ReplaceView(active->Node, &attr, 1);
            }
        }
        break;
    case VK_F11:
        if (type == VIEW_TREND || type == VIEW_KLINE || type == VIEW_REPORT) {
            ShowStockInView(VIEW_TEXT, false);
        } else if (type == VIEW_RANKING) {
            StockId stock = 0;
            if (ViewHooks.RankingSelection && ViewHooks.RankingSelection(active, stock))
                ShowStockInView(VIEW_TEXT, false, &stock);
        }
        break;
    case VK_F12:
        MenuItem142Click(nullptr);
        break;
    case VK_SPACE:
        ToggleHotKeyHelp();
        Msg.wParam = 0;
        break;
    default:
        break;
    }
    if (ClosesWizard(key) && SmartKB && SmartKB->HandleAllocated() &&
        IsWindowVisible(SmartKB->Handle))
        SendMessageA(SmartKB->Handle, WM_CLOSE, 0, 0);
}
