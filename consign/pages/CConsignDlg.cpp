#include "consign/pages/CConsignDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "consign/pages/BatchOrder.h"
#include "consign/pages/CAboutDlg.h"
#include "consign/pages/InfoPopups.h"
#include "consign/pages/ListLayout.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/PreOrderStore.h"
#include "consign/pages/VarietyName.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Helpers.h"
#include "consign/session/ui/LoginLoop.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDC.h"
#include "platform/appframe/CMenu.h"
#include "platform/appframe/CView.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/Tray.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Sound.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

constexpr UINT StatusButtonId = 137;
constexpr UINT TrayMessage = WM_USER + 1;
constexpr UINT TrayIconId = 201;
constexpr UINT HotKeyId = 0x100;
constexpr UINT IdleUpdateMessage = 0x0363;
constexpr UINT ReconnectCommand = 32;
constexpr UINT DefaultSizeCommand = 48;
constexpr UINT AboutCommand = 16; // shown by the About dialog
constexpr const char DefaultLinkAddress[] = "https://www.lumo-trade.cn/";

int ConfigInt(const char *key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA("Config", key, defaultValue, SettingsPath));
}

void WriteConfigInt(const char *key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA("Config", key, text, SettingsPath);
}

void Log(const char *text) { ConsignLog().WriteLine(text, 1); }

} // namespace

BEGIN_MESSAGE_MAP(CConsignDlg, CPropertySheet)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_SYSCOMMAND()
    ON_WM_SHOWWINDOW()
    ON_WM_CLOSE()
    ON_WM_HOTKEY()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(TrayMessage, OnTrayNotify)
END_MESSAGE_MAP()

CConsignDlg::CConsignDlg(LPCSTR caption, CWnd *pParent, UINT selectPage)
    : CPropertySheet(caption, pParent, selectPage)
{
    icon_ = AfxGetApp() ? AfxGetApp()->LoadIcon(128) : 0;
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~PSH_HASHELP;
    CPropertyPage *pages[] = {&m_OrderPage,    &m_QOrderPage,  &m_QDealPage,       &m_QPositionPage, &m_QFundPage,
                              &m_QContractPage, &m_PreOrderPage, &m_BatchPage,      &m_TransferPage,  &m_TransferQueryPage,
                              &m_SettlePage,    &m_OtherPage,   &m_HotKeyPage};
    for (CPropertyPage *page : pages)
        AddPage(page);
    m_OrderPage.m_pPreOrderPage = &m_PreOrderPage;
    m_OrderPage.m_pOrdersPage = &m_QOrderPage;
    m_QOrderPage.m_pOrderPage = &m_OrderPage;
    m_QContractPage.m_pOrderPage = &m_OrderPage;
    m_QPositionPage.m_pOrderPage = &m_OrderPage;
}

CConsignDlg::~CConsignDlg()
{
    if (TheTradeSession().m_pListener == this)
        TheTradeSession().m_pListener = nullptr;
}

BOOL CConsignDlg::OnInitDialog()
{
    // The base keeps the strip of OK and Cancel only for a sheet that is not
    // modeless: the status button takes its place.
    m_bModeless = FALSE;
    CPropertySheet::OnInitDialog();
    m_bModeless = TRUE;
    m_OtherPage.LoadOptions();
    m_QOrderPage.LoadFilters();
    if (icon_) {
        SetIcon(icon_, TRUE);
        SetIcon(icon_, FALSE);
    }

    LOGFONTA description{};
    CFont::FromHandle(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)))->GetLogFont(&description);
    description.lfHeight = 14;
    statusFont_.CreateFontIndirect(&description);
    SetFont(&statusFont_);
    GetTabControl()->SetFont(&statusFont_);

    CRect okRect(0, 0, 0, 0);
    if (CWnd *ok = GetDlgItem(IDOK)) {
        ok->GetWindowRect(&okRect);
        ScreenToClient(&okRect);
        ok->DestroyWindow();
    }
    if (CWnd *cancel = GetDlgItem(IDCANCEL))
        cancel->DestroyWindow();
    CRect tabRect;
    GetTabControl()->GetWindowRect(&tabRect);
    ScreenToClient(&tabRect);
    m_StatusButton.Create("状态:", WS_CHILD | WS_VISIBLE | BS_LEFT | BS_PUSHBUTTON,
                          CRect(okRect.left - 140, okRect.top - 2, tabRect.right, okRect.bottom + 2), this,
                          StatusButtonId);
    m_StatusButton.SetFont(&statusFont_);

    char address[80] = {};
    GetPrivateProfileStringA("Config", "LogoURL", DefaultLinkAddress, address, sizeof address, SettingsPath);
    m_strLinkAddress = address;
    handCursor_ = LoadCursorA(0, IDC_HAND);
    m_ToolTip.Create(this);

    if (CMenu *menu = GetSystemMenu(FALSE)) {
        menu->AppendMenu(MF_STRING, ReconnectCommand, "重新连接");
        menu->AppendMenu(MF_STRING, DefaultSizeCommand, "恢复默认大小");
        menu->AppendMenu(MF_STRING, AboutCommand, "关于...");
    }
    SetActivePage(0);
    linkFont_.CreateFont(20, 0, 0, 0, 700, TRUE, TRUE, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体");
    LayOut();
    m_ToolTip.AddTool(this, m_strLinkAddress, &m_LinkRect, 1);
    UpdateTitle();

    pingTimer_ = SetTimer(1, 500, nullptr);
    m_bConnectedLook = m_bBrokenLook = false;
    FillOrderFromCommandLine(CmdLineRecord);

    DWORD handle = static_cast<DWORD>(m_hWnd);
    WriteRegistryValue(HKEY_CURRENT_USER, MAIN_WINDOW_KEY, MAIN_WINDOW_VALUE, &handle, REG_DWORD, sizeof handle);
    AnnounceToCaller();
    // The sheet is made visible: its place is the one it was closed at.
    if (firstShow_)
        PlaceFromSettings();
    shown_ = true;
    return TRUE;
}

void CConsignDlg::AnnounceToCaller()
{
    const HWND caller = static_cast<HWND>(static_cast<uint32_t>(CmdLineRecord.callerWnd));
    if (caller == 0)
        return;
    const UINT announce = static_cast<UINT>(CmdLineRecord.announceMsg);
    ::win::SendMessageA(caller, announce, static_cast<WPARAM>(m_hWnd), 0);
    if (ClientModeList.empty())
        return;
    // A count, then per trade code: the exchange letter, a zero byte and the code.
    std::vector<BYTE> block(4 + 12 * ClientModeList.size(), 0);
    const uint32_t count = static_cast<uint32_t>(ClientModeList.size());
    std::memcpy(block.data(), &count, 4);
    size_t at = 4;
    for (const CClientModeRecord &r : ClientModeList) {
        block[at] = static_cast<BYTE>(r.text[20]);
        std::memcpy(&block[at + 2], r.text, strnlen(r.text, 9));
        at += 12;
    }
    COPYDATASTRUCT data{announce, static_cast<DWORD>(block.size()), block.data()};
    ::win::SendMessageA(caller, WM_COPYDATA, static_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&data));
}

void CConsignDlg::LayOut()
{
    if (!m_hWnd || !GetTabControl()->m_hWnd)
        return;
    CRect window;
    GetWindowRect(&window);
    if (window.Width() < MIN_WIDTH || window.Height() < MIN_HEIGHT) {
        // The move lays the sheet out again at its least size.
        MoveWindow(window.left, window.top, MIN_WIDTH, MIN_HEIGHT);
        GetWindowRect(&window);
        if (window.Width() < MIN_WIDTH || window.Height() < MIN_HEIGHT)
            return;
    }
    CRect r = window;
    ScreenToClient(&r);
    if (m_StatusButton.m_hWnd)
        m_StatusButton.MoveWindow(r.left + 150, r.bottom - 34, r.Width() - 154, 30);
    GetTabControl()->MoveWindow(r.left + 4, r.top + 28, r.Width() - 8, r.Height() - 64);
    const int rows = GetTabControl()->GetRowCount();
    const int top = r.top + 20 * rows + 26;
    for (int i = 0; i < GetPageCount(); ++i)
        if (GetPage(i)->m_hWnd)
            GetPage(i)->MoveWindow(r.left + 8, top, r.Width() - 16, r.bottom - 40 - top);
    ComputeLinkRect();
    if (m_ToolTip.m_hWnd)
        m_ToolTip.SetToolRect(this, 1, &m_LinkRect);
    Invalidate();
}

void CConsignDlg::ComputeLinkRect()
{
    CRect tab, button;
    GetTabControl()->GetWindowRect(&tab);
    ScreenToClient(&tab);
    if (m_StatusButton.m_hWnd) {
        m_StatusButton.GetWindowRect(&button);
        ScreenToClient(&button);
    }
    m_LinkRect = CRect(tab.left, button.top, tab.left + 11 * m_strCustom.GetLength(), button.bottom);
}

void CConsignDlg::OnSize(UINT nType, int cx, int cy)
{
    CPropertySheet::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        LayOut();
}

void CConsignDlg::OnPaint()
{
    CPaintDC dc(this);
    // The sheet's own face around its tab control and status button.
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    if (m_strCustom.IsEmpty() || !GetTabControl()->m_hWnd || !m_StatusButton.m_hWnd)
        return;
    CRect tab, button;
    GetTabControl()->GetWindowRect(&tab);
    ScreenToClient(&tab);
    m_StatusButton.GetWindowRect(&button);
    ScreenToClient(&button);
    CRect text(tab.left, button.top, button.left, button.bottom);
    dc.SetBkMode(TRANSPARENT);
    CFont *oldFont = dc.SelectObject(&linkFont_);

    const CTradeSession &session = TheTradeSession();
    bool connectedLook;
    if (!session.m_bReconnecting)
        connectedLook = session.m_bLoggedIn != 0;
    else
        connectedLook = !m_bBlink;
    m_bBlink = !m_bBlink;
    COLORREF color;
    if (connectedLook) {
        color = GetSysColor(COLOR_BTNHIGHLIGHT);
        if (!m_bConnectedLook) {
            CString title = m_strTitle;
            if (!CurrentServer.IsEmpty()) {
                title += "[网关IP：";
                title += CurrentServer;
                title += "]";
            }
            SetWindowText(title);
            m_bConnectedLook = true;
            m_bBrokenLook = false;
        }
    } else {
        color = RGB(255, 0, 0);
        if (!m_bBrokenLook) {
            CString title = m_strTitle;
            title += "--网络连接中断!!!";
            SetWindowText(title);
            m_bBrokenLook = true;
            m_bConnectedLook = false;
        }
    }
    CRect moved = text;
    moved.OffsetRect(1, 1);
    dc.SetTextColor(color);
    dc.DrawText(m_strCustom, &moved, DT_SINGLELINE | DT_VCENTER);
    dc.SetTextColor(GetSysColor(COLOR_BTNSHADOW));
    dc.DrawText(m_strCustom, &text, DT_SINGLELINE | DT_VCENTER);
    dc.SelectObject(oldFont);
}

void CConsignDlg::UpdateTitle()
{
    CTradeSession &session = TheTradeSession();
    CString title = ProgramName();
    title += "--";
    if (ClientMode == 7) {
        session.QueryClientDetails();
        title += session.m_strClientName;
        title += "客户";
    } else {
        title += LoginAccount;
        title += "交易员";
    }
    m_strTitle = title;
    session.m_strTitle = title;
    if (m_hWnd)
        SetWindowText(title);
}

void CConsignDlg::FillOrderFromCommandLine(const CCmdLineOrder &record)
{
    COrderPage &page = m_OrderPage;
    if (!page.m_hWnd)
        return;
    if (record.contract[0]) {
        page.SetDlgItemText(1012, record.contract);
        page.SetDlgItemText(1025, LookupVarietyName(record.contract));
    }
    if (record.price[0])
        page.SetDlgItemText(1005, record.price);
    if (record.quantity[0])
        page.SetDlgItemText(1004, record.quantity);
    if (record.direction[0])
        page.m_DirectionBox.SetCurSel(std::strcmp(record.direction, "0") == 0 ? 0 : 1);
    if (record.openClose[0])
        page.m_OpenCloseBox.SetCurSel(std::strcmp(record.openClose, "0") == 0   ? 0
                                      : std::strcmp(record.openClose, "1") == 0 ? 2
                                                                                 : 1);
    if (record.hedge[0])
        page.m_HedgeBox.SetCurSel(std::strcmp(record.hedge, "0") == 0 ? 0 : 1);
    if (record.tradeCode[0]) {
        page.m_TradeCodeBox.ResetContent();
        page.m_TradeCodeBox.SetCurSel(page.m_TradeCodeBox.AddString(record.tradeCode));
    } else if (record.contract[0]) {
        // No code handed over (the terminal does not know them): the contract's.
        page.ShowTradeCodesOfContract();
    }
}

void CConsignDlg::OnTimer(UINT_PTR nIDEvent)
{
    refreshCounter_ += 500;
    const int interval = StartSettings.quoteRefreshMs;
    if (interval != 0 && refreshCounter_ >= interval) {
        refreshCounter_ = 0;
        CString contract;
        if (m_OrderPage.m_hWnd)
            m_OrderPage.GetDlgItemText(1012, contract);
        CString code;
        if (GetTabControl()->GetCurSel() == 0 && contract.GetLength() >= 5 && FindContract(contract, &code)) {
            // The list's spelling; a changed text asks for the quote itself.
            if (code != contract)
                m_OrderPage.SetDlgItemText(1012, code);
            else
                TheTradeSession().SendContractRequest(code);
        }
    }
    CTradeSession &session = TheTradeSession();
    if (nIDEvent == 1) {
        session.OnReceive(0);
        session.SendPing();
    } else if (nIDEvent == 2) {
        Invalidate();
        if (m_nReconnectSkip != 0) {
            --m_nReconnectSkip;
            return;
        }
        if (!session.m_bLoggedIn && session.m_bReconnecting && !session.m_bHelloComplete &&
            !session.m_bDisconnectedByServer) {
            if (LoginLoop(0)) {
                CString title = m_strTitle;
                if (!CurrentServer.IsEmpty()) {
                    title += "[网关IP：";
                    title += CurrentServer;
                    title += "]";
                }
                SetWindowText(title);
                m_nReconnectSkip = 0;
            } else {
                ++m_nReconnectSkip;
            }
        }
    } else {
        CPropertySheet::OnTimer(nIDEvent);
    }
}

void CConsignDlg::ActivatePage(int index)
{
    if (GetActiveIndex() != index)
        SetActivePage(index);
}

BOOL CConsignDlg::PreTranslateMessage(MSG *pMsg)
{
    const UINT key = static_cast<UINT>(pMsg->wParam);
    if (pMsg->message == WM_SYSKEYDOWN) {
        if (key == VK_F11) {
            CRect r;
            GetWindowRect(&r);
            MoveWindow(r.left, r.top, 500, 250);
            return TRUE;
        }
        if (key >= VK_NUMPAD1 && key <= VK_NUMPAD9) {
            ActivatePage(static_cast<int>(key - VK_NUMPAD1));
            return TRUE;
        }
        if (key >= 'A' && key <= 'D') {
            SetActivePage(static_cast<int>(key - 'A') + 9);
            return TRUE;
        }
        if (key >= '1' && key <= '9') {
            ActivatePage(static_cast<int>(key - '1'));
            return TRUE;
        }
    } else if (pMsg->message == WM_KEYDOWN) {
        const int active = GetActiveIndex();
        if ((key == VK_DOWN || key == VK_UP) && (active == 0 || active == 11)) {
            CPropertyPage *page = GetActivePage();
            if (key == VK_DOWN)
                page->NextDlgCtrl();
            else
                page->PrevDlgCtrl();
            return TRUE;
        }
        if (key == VK_DIVIDE || key == VK_OEM_2) {
            RefreshCurrentPage();
            return TRUE;
        }
        if (key == VK_SUBTRACT && active == 1) {
            m_QOrderPage.CancelByNumber();
            return TRUE;
        }
        if (key >= VK_F1 && key <= VK_F9) {
            ActivatePage(static_cast<int>(key - VK_F1));
            return TRUE;
        }
    }
    if (m_ToolTip.m_hWnd)
        m_ToolTip.RelayEvent(pMsg);
    return CPropertySheet::PreTranslateMessage(pMsg);
}

void CConsignDlg::RefreshCurrentPage()
{
    OnCommand(static_cast<WPARAM>(MAKELONG(StatusButtonId, BN_CLICKED)), static_cast<LPARAM>(m_StatusButton.m_hWnd));
}

BOOL CConsignDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    CTradeSession &session = TheTradeSession();
    if (id == IDOK) {
        CWnd *focus = CWnd::GetFocus();
        const int focusId = focus ? focus->GetDlgCtrlID() : 0;
        if (focusId == 1009 && GetActiveIndex() == 0) {
            m_OrderPage.SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELONG(1009, BN_CLICKED)),
                                    static_cast<LPARAM>(m_OrderPage.GetDlgItem(1009)->m_hWnd));
            return TRUE;
        }
        if (GetActiveIndex() == 0 && focusId == 1011 && ConfigInt("Client Mode", 0) == 0) {
            CString text;
            m_OrderPage.GetDlgItemText(1011, text);
            if (!text.IsEmpty() && text[0] != '*') {
                bool exact = false;
                int matches = 0;
                CString found;
                for (CClientRecord &r : ClientList) {
                    char *number = r.customer;
                    number[sizeof r.customer - 1] = 0;
                    TrimBoth(number);
                    if (text == number) {
                        exact = true;
                        break;
                    }
                    if (std::atol(number) == std::atol(text)) {
                        ++matches;
                        found = number;
                    }
                }
                if (!exact) {
                    if (matches == 1) {
                        m_OrderPage.SetDlgItemText(1011, found);
                    } else {
                        AfxMessageBox(matches == 0 ? "客户不存在" : "存在多个匹配的客户");
                        m_OrderPage.GotoDlgCtrl(m_OrderPage.GetDlgItem(1011));
                        return TRUE;
                    }
                }
            }
        }
        if (CPropertyPage *page = GetActivePage())
            page->NextDlgCtrl();
        return TRUE;
    }
    if (id == IDCANCEL) {
        CloseSheet();
        return TRUE;
    }
    if (id == StatusButtonId) {
        const int index = GetActiveIndex();
        if (index != 7)
            ShowStatusText("刷新当前页");
        switch (index) {
        case 0:
        case 1:
            if (m_OrderPage.m_OrderList.m_hWnd)
                m_OrderPage.m_OrderList.DeleteAllItems();
            m_StatusButton.EnableWindow(FALSE);
            session.QueryOrders();
            break;
        case 2:
            m_StatusButton.EnableWindow(FALSE);
            session.QueryDeals();
            break;
        case 3:
            m_StatusButton.EnableWindow(FALSE);
            session.QueryPositions();
            break;
        case 4:
            m_StatusButton.EnableWindow(FALSE);
            session.QueryFunds();
            break;
        default:
            m_StatusButton.EnableWindow(TRUE);
            break;
        }
        return TRUE;
    }
    if (id == DefaultSizeCommand) {
        SetDefaultSize();
        return TRUE;
    }
    // The framework's print command (the print preview's print button) goes to
    // the page in front.
    if (id == ID_FILE_PRINT && lParam == 0) {
        if (CPropertyPage *page = GetActivePage())
            page->SendMessage(WM_COMMAND, ID_FILE_PRINT);
        return TRUE;
    }
    return CPropertySheet::OnCommand(wParam, lParam);
}

void CConsignDlg::SetDefaultSize()
{
    CRect r;
    GetWindowRect(&r);
    MoveWindow(r.left, r.top, MIN_WIDTH, MIN_HEIGHT);
}

void CConsignDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    switch (nID & 0xFFF0) {
    case SC_MINIMIZE:
        ShowSheet(false);
        return;
    case DefaultSizeCommand:
        SetDefaultSize();
        return;
    case ReconnectCommand:
        Reconnect();
        return;
    case AboutCommand: {
        CAboutDlg about(ProgramName(), this);
        about.DoModal();
        return;
    }
    default:
        CPropertySheet::OnSysCommand(nID, lParam);
    }
}

void CConsignDlg::Reconnect()
{
    CTradeSession &session = TheTradeSession();
    Log("正在进行重连");
    session.SendLogout(ClientMode);
    RightsText.Empty();
    OrderMethod.Empty();
    if (!LoginLoop(0)) {
        Log("重连失败");
        Invalidate();
        return;
    }
    Log("重连成功");
    m_OrderPage.m_TradeCodeBox.ResetContent();
    session.QueryContracts();
    if (ClientMode != 7) {
        session.QueryClients(false);
    } else {
        // A customer trades for himself only: the customer list is his own
        // account, and so is the order page's customer.
        ClientList.clear();
        CClientRecord own{};
        const int length = LoginAccount.GetLength();
        std::memcpy(own.customer, static_cast<LPCSTR>(LoginAccount), std::min<size_t>(length, sizeof own.customer));
        std::memcpy(own.code, static_cast<LPCSTR>(LoginAccount), std::min<size_t>(length, sizeof own.code));
        std::memcpy(own.code2, static_cast<LPCSTR>(LoginAccount), std::min<size_t>(length, sizeof own.code2));
        ClientList.push_back(own);
        if (m_OrderPage.m_hWnd) {
            m_OrderPage.SetDlgItemText(1011, LoginAccount);
            std::memset(m_OrderPage.m_Order.customer, 0, sizeof m_OrderPage.m_Order.customer);
            std::memcpy(m_OrderPage.m_Order.customer, static_cast<LPCSTR>(LoginAccount),
                        std::min<size_t>(length, sizeof m_OrderPage.m_Order.customer));
            m_OrderPage.UpdateData(FALSE);
        }
    }
    session.QueryOrders();
    session.QueryDeals();
    session.QueryFunds();
    session.QueryPositions();
    m_BatchPage.Reset();
    // The rights may have changed with the new login.
    m_TransferPage.Reset();
    m_TransferQueryPage.Reset();
    UpdateTitle();
    ShowStatusText("重连成功");
    Invalidate();
}

void CConsignDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    if (bShow && firstShow_)
        PlaceFromSettings();
    else
        CPropertySheet::OnShowWindow(bShow, nStatus);
    SheetShown(bShow != FALSE);
}

void CConsignDlg::PlaceFromSettings()
{
    firstShow_ = false;
    const int left = ConfigInt("Left", 114), top = ConfigInt("Top", 136);
    const int right = ConfigInt("Right", 636), bottom = ConfigInt("Bottom", 364);
    MoveWindow(left, top, right - left, bottom - top);
}

void CConsignDlg::ShowSheet(bool show)
{
    ShowWindow(show ? SW_SHOW : SW_HIDE);
    SheetShown(show);
}

void CConsignDlg::SheetShown(bool show)
{
    if (show == shown_)
        return;
    shown_ = show;
    // Hidden, the sheet lives in the tray.
    NOTIFYICONDATAA tray{};
    tray.cbSize = sizeof tray;
    tray.hWnd = m_hWnd;
    tray.uID = TrayIconId;
    if (show) {
        Shell_NotifyIconA(NIM_DELETE, &tray);
    } else {
        tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        tray.uCallbackMessage = TrayMessage;
        tray.hIcon = icon_;
        ::win::lstrcpynA(tray.szTip, ProgramName(), sizeof tray.szTip);
        Shell_NotifyIconA(NIM_ADD, &tray);
    }
}

LRESULT CConsignDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam == TrayIconId && lParam == WM_LBUTTONDBLCLK) {
        ShowWindow(SW_RESTORE);
        SheetShown(true);
        SetForegroundWindow();
    }
    return 0;
}

void CConsignDlg::OnHotKey(UINT nHotKeyId, UINT, UINT)
{
    if (shown_) {
        ShowSheet(false);
    } else {
        ShowSheet(true);
        SetForegroundWindow();
    }
}

void CConsignDlg::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_LinkRect.PtInRect(point)) {
        if (handCursor_) {
            HCURSOR previous = SetCursor(handCursor_);
            if (previous != handCursor_)
                previousCursor_ = previous;
        }
    } else if (previousCursor_) {
        SetCursor(previousCursor_);
    }
    CPropertySheet::OnMouseMove(nFlags, point);
}

void CConsignDlg::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_LinkRect.PtInRect(point) && !m_strCustom.IsEmpty())
        OpenLink();
    CPropertySheet::OnLButtonDown(nFlags, point);
}

void CConsignDlg::OpenLink()
{
    // The address goes to the desktop's opener as it is; no command line is
    // ever built from it.
    const HINSTANCE result = ShellExecuteA(m_hWnd, "open", m_strLinkAddress, nullptr, nullptr, SW_SHOWNORMAL);
    const int code = static_cast<int>(result);
    if (code > 32)
        return;
    struct Entry {
        int code;
        const char *text;
    };
    static const Entry texts[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    };
    CString reason;
    reason.Format("Unknown Error (%d) occurred.", code);
    for (const Entry &e : texts)
        if (e.code == code)
            reason = e.text;
    MessageBeep(MB_ICONEXCLAMATION);
    CString text = "Unable to open hyperlink:\n\n";
    text += reason;
    AfxMessageBox(text, MB_ICONEXCLAMATION);
}

LRESULT CConsignDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return CPropertySheet::WindowProc(message, wParam, lParam);
    TakeCopyData(reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    return 1;
}

void CConsignDlg::TakeCopyData(const COPYDATASTRUCT *data)
{
    if (!data)
        return;
    if (data->dwData == CMDLINE_QUIT_REQUEST) {
        PostMessage(WM_QUIT);
        return;
    }
    CCmdLineOrder record;
    if (data->dwData != CMDLINE_ORDER_REQUEST || !TakeCopyDataOrder(data, record))
        return;
    if (record.sendDirectly) {
        // The order page sends such a request itself, with its own checks.
        m_OrderPage.SendCommandLineOrder(record);
        return;
    }
    ActivatePage(0);
    FillOrderFromCommandLine(record);
    m_OrderPage.GotoDlgCtrl(m_OrderPage.GetDlgItem(1012));
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!IsWindowVisible())
        ShowSheet(true);
    SetForegroundWindow();
}

BOOL CConsignDlg::ContinueModal()
{
    if (CWnd *main = AfxGetMainWnd())
        main->SendMessageToDescendants(IdleUpdateMessage, TRUE, 0, TRUE, TRUE);
    return CPropertySheet::ContinueModal();
}

void CConsignDlg::OnClose() { CloseSheet(); }

void CConsignDlg::CloseSheet()
{
    if (MessageBox("确定要关闭吗?", "确认", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    SavePreOrders();
    SaveListLayouts();
    TheTradeSession().SendLogout(ClientMode);
    CRect r;
    GetWindowRect(&r);
    if (r.Width() <= 0 || r.Height() <= 0)
        r = CRect(114, 136, 636, 364);
    WriteConfigInt("Top", r.top);
    WriteConfigInt("Left", r.left);
    WriteConfigInt("Right", r.right);
    WriteConfigInt("Bottom", r.bottom);
    m_OtherPage.TakeOptions();
    m_OtherPage.SaveOptions();
    m_QOrderPage.SaveFilters();
    m_QDealPage.SaveMerge();
    DestroyWindow();
}

void CConsignDlg::LoadPreOrders()
{
    LoadPreOrderList(SettingsPath, LoginAccount, PreOrderList, LocalOrderNumber);
    m_PreOrderPage.RefreshList(nullptr);
}

void CConsignDlg::SaveListLayouts()
{
    int order[MAX_LAYOUT_COLUMNS];
    if (m_PreOrderPage.m_List.m_hWnd)
        SaveListLayout(SettingsPath, "PreOrder", m_PreOrderPage.m_List, order, CPreOrderPage::COLUMNS);
    if (m_BatchPage.m_MemberList.m_hWnd)
        SaveListLayout(SettingsPath, "Plsz", m_BatchPage.m_MemberList, order, CPLSZDlg::COLUMNS);
    const struct {
        const char *name;
        CListCtrl &list;
        int columns;
    } queries[] = {
        {"QOrder", m_QOrderPage.m_List, CQOrderPage::COLUMNS},
        {"QDeal", m_QDealPage.m_List, CQDealPage::COLUMNS},
        {"QFund", m_QFundPage.m_List, CQFundPage::COLUMNS},
        {"QPosition", m_QPositionPage.m_List, CQPositionPage::COLUMNS},
        {"QContract", m_QContractPage.m_List, CQContractPage::COLUMNS},
    };
    for (const auto &q : queries)
        if (q.list.m_hWnd)
            SaveListLayout(SettingsPath, q.name, q.list, order, q.columns);
}

void CConsignDlg::RefreshList(SessionList list)
{
    switch (list) {
    case SessionList::orders:
        m_QOrderPage.RefreshList();
        m_OrderPage.RefreshOrderList();
        break;
    case SessionList::deals:
        m_QDealPage.RefreshList();
        break;
    case SessionList::funds:
        m_QFundPage.RefreshList();
        break;
    case SessionList::contracts:
        m_QContractPage.RefreshList();
        // A contract handed over before the contracts were known gets its trade codes now.
        if (m_OrderPage.m_hWnd && m_OrderPage.m_TradeCodeBox.GetCount() == 0)
            m_OrderPage.ShowTradeCodesOfContract();
        break;
    case SessionList::positions:
        m_QPositionPage.RefreshList();
        break;
    case SessionList::batchGroups:
        m_BatchPage.RefreshGroups();
        break;
    case SessionList::bankAccounts:
        m_TransferPage.FillBankAccounts();
        break;
    case SessionList::transferRecords:
        m_TransferQueryPage.FillList();
        break;
    }
    // The answer is complete: the status button may ask again.
    if (m_StatusButton.m_hWnd)
        m_StatusButton.EnableWindow(TRUE);
}

void CConsignDlg::OnOrderAnswer(const COrderRecord &order)
{
    m_QOrderPage.OnOrderAnswer(order);
    m_OrderPage.RefreshOrderList();
}

void CConsignDlg::OnOrderRejected(const COrderRecord &order, LPCSTR text)
{
    m_QOrderPage.OnOrderRejected(order, text);
    m_OrderPage.RefreshOrderList();
}

void CConsignDlg::OnCancelReport(const COrderRecord &order)
{
    if (m_QOrderPage.OnCancelReport(order))
        m_OrderPage.OnCancelReport(order);
}

void CConsignDlg::OnDealReport(BYTE *record)
{
    // The orders page first: it writes the order's new status into the report,
    // which the deals page reads.
    if (m_QOrderPage.OnDealReport(record))
        m_OrderPage.OnDealReport(record);
    m_QDealPage.OnDealReport(record);
}

void CConsignDlg::AddFailedBatchOrder(const COrderRecord &order)
{
    COrderRecord entry = order;
    char number[16];
    std::snprintf(number, sizeof number, "%04d", LocalOrderNumber++);
    std::memset(entry.localNumber, 0, sizeof entry.localNumber);
    std::memcpy(entry.localNumber, number, strnlen(number, sizeof entry.localNumber));
    entry.status = 'n';
    PreOrderList.push_back(entry);
    m_PreOrderPage.RefreshList(&PreOrderList.back());
}

void CConsignDlg::OnQuote(const BYTE *record) { m_OrderPage.ShowQuote(record); }

void CConsignDlg::SetPositionText(LPCSTR text) { m_OrderPage.SetStatusText(text); }

void CConsignDlg::FillCustomerBox(const std::vector<CString> &texts, bool first, bool last)
{
    m_OrderPage.FillTradeCodes(texts, first, last);
}

void CConsignDlg::SavePreOrders() { SavePreOrderList(SettingsPath, LoginAccount, PreOrderList); }

void CConsignDlg::ShowInformation(const BYTE *body, int length, bool manual)
{
    PopUpInformation(m_OtherPage, body, length, manual, this);
}

void CConsignDlg::ShowErrorInformation(LPCSTR text) { PopUpError(m_OtherPage, text, this); }

void CConsignDlg::ShowExchangeState(LPCSTR text) { PopUpExchangeState(m_OtherPage, text, this); }

void CConsignDlg::ShowStatusText(LPCSTR text)
{
    if (m_StatusButton.m_hWnd)
        m_StatusButton.SetWindowText(text);
}

void CConsignDlg::ShowMessageLine(LPCSTR text) { ShowStatusText(text); }

void CConsignDlg::SetMainTitle(LPCSTR text)
{
    if (m_hWnd)
        SetWindowText(text);
}

void CConsignDlg::ShowClientName(LPCSTR text) { m_OrderPage.ShowClientName(text); }

void CConsignDlg::ShowTransferResult(LPCSTR text) { m_TransferPage.SetLocalInfoText(text); }

void CConsignDlg::ShowBankInfo(LPCSTR text) { m_TransferPage.SetInfoText(text); }

void CConsignDlg::SetWithdrawableFunds(LPCSTR text) { m_TransferPage.SetWithdrawableText(text); }

void CConsignDlg::EnableReconnectItem(bool enable)
{
    if (!m_hWnd)
        return;
    if (CMenu *menu = GetSystemMenu(FALSE))
        menu->EnableMenuItem(ReconnectCommand, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

void CConsignDlg::StartReconnectTimer(UINT elapseMs)
{
    if (m_hWnd)
        reconnectTimer_ = SetTimer(2, elapseMs, nullptr);
}

void CConsignDlg::StopReconnectTimer()
{
    if (m_hWnd)
        KillTimer(2);
    reconnectTimer_ = 0;
}
