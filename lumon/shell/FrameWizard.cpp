// The frame's side of the keyboard wizard: a typed character opens it at the
// frame's lower right, and the frame carries out the choice (a stock shown in a
// chart, an indicator for the active pane, a key, a view opened); and the
// user-information box of the menu.
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/shell/AboutBox.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/SelStockDlg.h"
#include "lumon/shell/SmartKB.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TComboBox.h"
#include "platform/win/Messages.h"

using namespace win;

namespace {

bool IsChartOrText(uint16_t type)
{
    return type == VIEW_TREND || type == VIEW_KLINE || type == VIEW_TEXT || type == VIEW_NOTES;
}

} // namespace

void TMFrame::CreateSmartKB()
{
    if (!SmartKB) {
        SmartKB = new TSmartKB(this);
        SmartKB->AfterConstruction();
    }
}

void TMFrame::DeleteSmartKB()
{
    delete SmartKB;
    SmartKB = nullptr;
}

bool TMFrame::WizardKeyChar(MSG &msg)
{
    auto c = static_cast<char>(msg.wParam & 0xFF);
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    // A news pane's type box takes its characters itself.
    if (active && active->Attr.ViewType == VIEW_NEWS) {
        for (int i = 0; i < active->ComponentCount(); ++i) {
            auto *box = dynamic_cast<TComboBox *>(active->Components(i));
            if (box && box->HandleAllocated() && box->Handle == msg.hwnd)
                return false;
        }
    }
    if (c == '?' || c == '*' || c == '/')
        return false;
    bool openable = c != '\r' && c != 0x1B && c != ' ';
    if (DialogBusy || !SmartKB || !openable || SmartKB->Visible)
        return !DialogBusy && (c == '\r' || c == 0x1B);

    TSmartKB *kb = SmartKB;
    kb->Left = Left + Width - kb->Width - 3;
    kb->Top = Top + Height - kb->Height - 19;
    kb->OK = 0;
    kb->Edit1->Text = "";
    PostMessageA(kb->Edit1->Handle, WM_CHAR, msg.wParam, 0);
    // Without an active pane nothing of a pane's type is left from before.
    kb->Attr.ViewType = active ? active->Attr.ViewType : VIEW_EMPTY;
    kb->ShowModal();
    if (!kb->OK)
        return true;

    // The page may have changed while the wizard was open.
    active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (kb->Kind == SMART_STOCK) {
        StockId stock = kb->Attr.Stock;
        int market = StockMarket(stock);
        if (SelStockDlg) {
            SelStockDlg->ChosenStock = stock;
            SelStockDlg->Button1Click(SelStockDlg);
            return true;
        }
        if (IsChartOrText(kb->Attr.ViewType) && active) {
            active->Attr.BlockId = market;
            active->Notify(1, static_cast<int>(stock), market, 0);
            return false;
        }
        uint16_t type = MenuItem94->Checked ? VIEW_TREND : VIEW_KLINE;
        if (!InitViewAttr(type, &kb->Attr))
            return false;
        kb->Attr.Stock = stock;
        kb->Attr.BlockId = market;
        if (!CurrentPage)
            return true;
        CurrentPage->ShowStockInLinkedPanes(CurrentPage->MaximizedPane != nullptr, &kb->Attr);
        if (TMultiViewChild *pane = CurrentPage->FindPaneByType(type, 0)) {
            BringForward(pane);
            AgreeTickMode(pane, false);
        } else if (active) {
            AgreeTickMode(CurrentPage->ReplaceView(active->Node, &kb->Attr, 1), true);
        }
        return true;
    }
    if (kb->Kind == SMART_INDICATOR) {
        if (active)
            active->Notify(3, 0, kb->Attr.Mode, 0);
        return true;
    }
    if (kb->Action == SMART_KEY) {
        auto key = static_cast<WORD>(kb->KeyCode);
        if (key >= VK_F3 && key <= VK_F7)
            PostMessageA(Handle, WM_KEYDOWN, key, 0);
        else if (key == VK_F10)
            PostMessageA(Handle, WM_SYSKEYDOWN, VK_F10, 0);
        else if (active)
            PostMessageA(active->Handle, WM_KEYDOWN, key, 0);
        return true;
    }
    if (kb->Action == SMART_OPEN_PAGE) {
        // As the page menu opens it.
        ChosenPage = kb->PageIndex;
        OpenPageClick(this);
        return true;
    }
    if (kb->Action != SMART_OPEN_VIEW || !CurrentPage)
        return true;
    const VIEW_ATTR &a = kb->Attr;
    switch (a.ViewType) {
    case VIEW_REPORT: {
        int32_t blocks = 0x10000 + (a.Blocks[0] & 0xFFFF);
        TMultiViewChild *pane = CurrentPage->FindPaneByType(VIEW_REPORT, 1);
        if (pane) {
            BringForward(pane);
        } else if (active) {
            VIEW_ATTR defaults;
            InitViewAttr(VIEW_REPORT, &defaults);
            CurrentPage->ReplaceView(active->Node, &defaults, 1);
            pane = CurrentPage->ActivePane;
        }
        if (pane)
            pane->Notify(1, static_cast<int>(a.Stock), blocks, a.Mode);
        break;
    }
    case VIEW_RANKING:
    case VIEW_NOTES: {
        bool ranking = a.ViewType == VIEW_RANKING;
        TMultiViewChild *pane = CurrentPage->FindPaneByType(a.ViewType, ranking ? 0 : 1);
        if (pane) {
            pane->Activate();
            pane->Notify(1, static_cast<int>(a.Stock), ranking ? a.Blocks[0] : a.BlockId, 0);
            if (CurrentPage && CurrentPage->HasPane(pane))
                BringForward(pane);
        } else if (active) {
            CurrentPage->ReplaceView(active->Node, &kb->Attr, 1);
        }
        break;
    }
    default:
        break;
    }
    return true;
}

void TMFrame::MenuItem170Click(TObject *)
{
    auto *box = new TAboutBox(this);
    box->AfterConstruction();
    box->SetUser(GetConnectionState(), UserName, RightsDate);
    box->ShowModal();
    delete box;
}
