#include "consign/pages/COrderPage.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <strings.h>

#include "consign/pages/BatchOrder.h"
#include "consign/pages/CPreOrderPage.h"
#include "consign/pages/CPromptDlg.h"
#include "consign/pages/CQOrderPage.h"
#include "consign/pages/ListLayout.h"
#include "consign/pages/OrderListSort.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/OrderWords.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/PreOrderStore.h"
#include "consign/pages/QueryList.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CColorDialog.h"
#include "platform/appframe/CDC.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CEdit.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/forms/KeyState.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(COrderPage, CPropertyPage)
    ON_BN_CLICKED(1009, OnSendOrder)
    ON_BN_CLICKED(1010, OnPreOrder)
    ON_EN_CHANGE(1012, OnContractChange)
    ON_EN_SETFOCUS(1012, ShowVarietyHint)
    ON_EN_KILLFOCUS(1012, OnContractKillFocus)
    ON_EN_SETFOCUS(1004, QueryMaxPosition)
    ON_EN_KILLFOCUS(1004, OnVolumeKillFocus)
    ON_EN_KILLFOCUS(1005, OnPriceKillFocus)
    ON_EN_SETFOCUS(1005, OnPriceSetFocus)
    ON_CBN_SELCHANGE(1236, UpdateDirectionFlag)
    ON_CBN_SELCHANGE(1237, UpdateOpenCloseFlag)
    ON_CBN_SELCHANGE(1238, UpdateHedgeFlag)
    ON_NOTIFY(NM_DBLCLK, 1107, OnDblClkList)
    ON_NOTIFY(LVN_COLUMNCLICK, 1107, OnColumnClick)
    ON_WM_SIZE()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {

constexpr int QuoteIds[6] = {1155, 1154, 1008, 1156, 1157, 1158};
constexpr int QuoteLabelIds[6] = {1153, 1152, 1160, 1159, 1161, 1162};
constexpr int QuoteTextLimit = 10;

void Log(const char *text) { ConsignLog().WriteLine(text, 1); }

CString Trimmed(const CString &text)
{
    CString t = text;
    t.TrimLeft();
    t.TrimRight();
    return t;
}

CString FieldText(const char *field, size_t width) { return CString(field, static_cast<int>(strnlen(field, width))); }

void PutField(char *field, size_t width, const char *text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text, strnlen(text, width));
}

// A price text the gateway can read: digits with at most one point, at most 8
// characters.
bool IsPriceText(const CString &text)
{
    if (text.IsEmpty() || text.GetLength() > 8)
        return false;
    int points = 0, digits = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text[i];
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return false;
    }
    return points <= 1 && digits > 0;
}

// A failed send: the session has said so when it is not logged in; a write
// that failed says so here.
void ReportSendFailure()
{
    if (TheTradeSession().m_bLoggedIn)
        AfxMessageBox("委托发送失败，请检查网络连接");
}

} // namespace

COrderPage::COrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
}

void COrderPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1055, m_TradeCodeBox);
    DDX_Control(pDX, 1236, m_DirectionBox);
    DDX_Control(pDX, 1237, m_OpenCloseBox);
    DDX_Control(pDX, 1238, m_HedgeBox);
    DDX_Control(pDX, 1107, m_OrderList);
}

BOOL COrderPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // Each item begins with its key letter, so that typing the letter picks it.
    auto add = [](CComboBox &box, char key, const char *word) {
        char item[32];
        std::snprintf(item, sizeof item, "%c.%s", key, word);
        box.AddString(item);
    };
    const ConsignStartSettings &s = StartSettings;
    add(m_DirectionBox, s.keyBuy, "买入");
    add(m_DirectionBox, s.keySell, "卖出");
    add(m_OpenCloseBox, s.keyOpen, "开仓");
    add(m_OpenCloseBox, s.keyCloseToday, "平今");
    add(m_OpenCloseBox, s.keyClose, "平仓");
    add(m_HedgeBox, s.keySpeculation, "投机");
    add(m_HedgeBox, s.keyHedge, "保值");
    m_DirectionBox.SetCurSel(0);
    m_OpenCloseBox.SetCurSel(0);
    m_HedgeBox.SetCurSel(0);
    SendDlgItemMessage(1011, EM_LIMITTEXT, 8);
    SendDlgItemMessage(1012, EM_LIMITTEXT, 8);
    SendDlgItemMessage(1005, EM_LIMITTEXT, 8);
    for (int id : QuoteIds)
        SendDlgItemMessage(id, EM_LIMITTEXT, QuoteTextLimit);
    m_QuoteColor = s.quoteColor;

    LoadFocusOrder();

    if (ClientMode == 7) {
        SetDlgItemText(1011, LoginAccount);
        GetDlgItem(1011)->EnableWindow(FALSE);
        CClientRecord own{};
        PutField(own.customer, sizeof own.customer, LoginAccount);
        PutField(own.code, sizeof own.code, LoginAccount);
        PutField(own.code2, sizeof own.code2, LoginAccount);
        ClientList.push_back(own);
    } else {
        TheTradeSession().QueryClients(false);
    }
    TheTradeSession().QueryContracts();

    m_Order.flags = 0;
    m_Order.status = 'n';
    UpdateHedgeFlag();

    m_OrderList.SetExtendedStyle(m_OrderList.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    constexpr int count = static_cast<int>(std::size(OrderColumns));
    int order[count], widths[count];
    ReadListLayout(SettingsPath, "QOrder", order, widths, count);
    for (int i = 0; i < count; ++i)
        m_OrderList.InsertColumn(i, OrderColumns[i].title, OrderColumns[i].format,
                                 widths[i] == -1 ? OrderColumns[i].width : widths[i]);
    m_OrderList.SetColumnOrderArray(count, order);

    ShowCustomerField();
    return TRUE;
}

void COrderPage::LoadFocusOrder()
{
    // Only the hedge row may be skipped.
    BuildOrderSequence(StartSettings.sequence, m_Rows);
    for (int i = 0; i < 5; ++i)
        m_Skip[i] = m_Rows[i].inputId == 1238 && StartSettings.sequence[5] != 0;
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
}

void COrderPage::ShowClientName(LPCSTR name)
{
    if (m_hWnd)
        SetDlgItemText(1014, name);
}

void COrderPage::ShowCustomerField()
{
    if (!m_hWnd)
        return;
    CWnd *customer = GetDlgItem(1011), *name = GetDlgItem(1014);
    if (ClientMode == 7) {
        CRect r;
        customer->GetWindowRect(&r);
        ScreenToClient(&r);
        name->MoveWindow(&r);
        name->SetWindowText(TheTradeSession().m_strClientName);
        name->ShowWindow(SW_SHOW);
        customer->ShowWindow(SW_HIDE);
    } else {
        name->ShowWindow(SW_HIDE);
        customer->ShowWindow(SW_SHOW);
    }
}

BOOL COrderPage::OnSetActive()
{
    if (StartSettings.autoFlushOrder) {
        m_OrderList.DeleteAllItems();
        if (CWnd *main = AfxGetMainWnd())
            if (CWnd *status = main->GetDlgItem(137))
                status->EnableWindow(FALSE);
        TheTradeSession().QueryOrders();
    }
    ShowSheetStatus("本页可以发出或预埋委托");
    ShowCustomerField();
    return CPropertyPage::OnSetActive();
}

// The texts stay as typed; nothing is checked when the page is left.
BOOL COrderPage::OnKillActive() { return TRUE; }

int COrderPage::RowOf(int controlId) const
{
    for (int i = 0; i < 5; ++i)
        if (m_Rows[i].inputId == controlId)
            return i;
    return -1;
}

BOOL COrderPage::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg->message == WM_LBUTTONDBLCLK && m_hWnd) {
        // A double click inside the quote group chooses the quote's colour.
        CPoint point(static_cast<short>(LOWORD(pMsg->lParam)), static_cast<short>(HIWORD(pMsg->lParam)));
        ::win::ClientToScreen(pMsg->hwnd, &point);
        CRect group;
        GetDlgItem(1151)->GetWindowRect(&group);
        if (group.PtInRect(point)) {
            ChooseQuoteColor();
            return TRUE;
        }
        return CPropertyPage::PreTranslateMessage(pMsg);
    }
    if (pMsg->message != WM_KEYDOWN || !m_hWnd)
        return CPropertyPage::PreTranslateMessage(pMsg);
    CWnd *focus = CWnd::FromHandle(pMsg->hwnd);
    int id = focus ? focus->GetDlgCtrlID() : 0;
    // An edit inside a combo box stands for the box.
    if (focus && RowOf(id) < 0 && id != 1055 && id != 1009)
        if (CWnd *parent = focus->GetParent(); parent && parent != this)
            id = parent->GetDlgCtrlID();
    const WPARAM key = pMsg->wParam;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (key == VK_F1) {
        FocusField(1012);
        return TRUE;
    }
    const int row = RowOf(id);
    if (key == VK_RETURN || key == VK_DOWN || (key == VK_TAB && !shift)) {
        if (id == 1055) {
            FocusField(m_Rows[0].inputId);
            return TRUE;
        }
        if (row < 0)
            return CPropertyPage::PreTranslateMessage(pMsg);
        if (id == 1236)
            UpdateDirectionFlag();
        for (int next = row + 1; next < 5; ++next)
            if (!m_Skip[next]) {
                FocusField(m_Rows[next].inputId);
                return TRUE;
            }
        FocusField(1009, false);
        return TRUE;
    }
    if (key == VK_UP || (key == VK_TAB && shift)) {
        if (id == 1009) {
            FocusField(m_Rows[4].inputId);
            return TRUE;
        }
        if (row < 0)
            return CPropertyPage::PreTranslateMessage(pMsg);
        for (int previous = row - 1; previous >= 0; --previous)
            if (!m_Skip[previous]) {
                FocusField(m_Rows[previous].inputId);
                return TRUE;
            }
        FocusField(1055, false);
        return TRUE;
    }
    return CPropertyPage::PreTranslateMessage(pMsg);
}

void COrderPage::FocusField(int id, bool selectAll)
{
    CWnd *control = GetDlgItem(id);
    if (!control)
        return;
    GotoDlgCtrl(control);
    if (selectAll && (id == 1011 || id == 1012 || id == 1004 || id == 1005))
        control->SendMessage(EM_SETSEL, 0, -1);
}

void COrderPage::ChooseQuoteColor()
{
    CColorDialog chooser(m_QuoteColor, 0, this);
    if (chooser.DoModal() != IDOK)
        return;
    m_QuoteColor = chooser.GetColor();
    StartSettings.quoteColor = m_QuoteColor;
    char value[16];
    const int parts[3] = {GetRValue(m_QuoteColor), GetGValue(m_QuoteColor), GetBValue(m_QuoteColor)};
    const char *keys[3] = {"Read", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        std::snprintf(value, sizeof value, "%d", parts[i]);
        WritePrivateProfileStringA("HQColor", keys[i], value, SettingsPath);
    }
    for (int id : QuoteIds)
        GetDlgItem(id)->Invalidate();
}

void COrderPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (!m_OrderList.m_hWnd)
        return;
    m_OrderList.MoveWindow(0, 0, cx - 175 > 0 ? cx - 175 : 0, cy - 63 > 0 ? cy - 63 : 0);
    // The quote group under the list: three columns of two rows.
    const int groupTop = cy - 59;
    GetDlgItem(1151)->MoveWindow(0, groupTop, 330, 57);
    for (int i = 0; i < 6; ++i) {
        const int x = 6 + (i / 2) * 108, y = groupTop + 14 + (i % 2) * 20;
        GetDlgItem(QuoteLabelIds[i])->MoveWindow(x, y + 3, 40, 16);
        GetDlgItem(QuoteIds[i])->MoveWindow(x + 42, y, 60, 18);
    }
    // The input column keeps its distance to the right edge.
    const int labelX = cx - 165, inputX = cx - 99;
    auto place = [&](int labelId, int inputId, int y, int width, int height) {
        GetDlgItem(labelId)->MoveWindow(labelX, y + 4, 64, 16);
        GetDlgItem(inputId)->MoveWindow(inputX, y, width, height);
    };
    place(1037, 1011, 2, 95, 20);
    GetDlgItem(1014)->MoveWindow(inputX, 2, 95, 20);
    place(1038, 1012, 24, 60, 20);
    GetDlgItem(1025)->MoveWindow(cx - 36, 28, 34, 16);
    place(1046, 1055, 46, 95, 200);
    int y = 70;
    for (const OrderFocusEntry &row : m_Rows) {
        const bool list = row.inputId != 1004 && row.inputId != 1005;
        place(row.labelId, row.inputId, y, 95, list ? 200 : 20);
        y += 22 + (list ? 2 : 0);
    }
    GetDlgItem(1009)->MoveWindow(cx - 165, y + 2, 78, 24);
    GetDlgItem(1010)->MoveWindow(cx - 80, y + 2, 78, 24);
}

HBRUSH COrderPage::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    HBRUSH brush = CPropertyPage::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    for (int quote : QuoteIds)
        if (id == quote) {
            pDC->SetTextColor(m_QuoteColor);
            pDC->SetBkMode(TRANSPARENT);
            return brush;
        }
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 128, 0);
    if (id == 1236)
        pDC->SetTextColor(m_DirectionBox.GetCurSel() == 0 ? red : green);
    else if (id == 1238)
        pDC->SetTextColor(m_HedgeBox.GetCurSel() == 0 ? red : green);
    else if (id == 1237) {
        const int item = m_OpenCloseBox.GetCurSel();
        pDC->SetTextColor(item == 0 ? red : item == 1 ? RGB(0, 0, 0) : green);
    }
    return brush;
}

void COrderPage::ReadFlags()
{
    UpdateDirectionFlag();
    UpdateOpenCloseFlag();
    UpdateHedgeFlag();
}

void COrderPage::UpdateDirectionFlag()
{
    const bool buy = m_DirectionBox.GetCurSel() == 0;
    if (buy)
        m_Order.flags |= 1;
    else
        m_Order.flags &= ~1;
    CString price;
    GetDlgItemText(1005, price);
    if (m_bQuoteAvailable && price.IsEmpty()) {
        CString quote;
        GetDlgItemText(buy ? 1155 : 1154, quote);
        SetDlgItemText(1005, quote);
    }
}

void COrderPage::UpdateOpenCloseFlag()
{
    switch (m_OpenCloseBox.GetCurSel()) {
    case 0:
        m_Order.flags = static_cast<BYTE>((m_Order.flags | 2) & ~8);
        break;
    case 1:
        m_Order.flags = static_cast<BYTE>((m_Order.flags | 8) & ~2);
        break;
    default:
        m_Order.flags &= ~(2 | 8);
        break;
    }
}

void COrderPage::UpdateHedgeFlag()
{
    if (m_HedgeBox.GetCurSel() == 1)
        m_Order.flags |= 4;
    else
        m_Order.flags &= ~4;
}

void COrderPage::OnContractChange()
{
    if (changingContract_)
        return;
    CString text;
    GetDlgItemText(1012, text);
    if (text.IsEmpty()) {
        SetDlgItemText(1025, "");
        return;
    }
    if (text[0] >= '0' && text[0] <= '9') {
        const char key[2] = {text[0], 0};
        char prefix[128] = {}, name[128] = {};
        GetPrivateProfileStringA("Variety key", key, "", prefix, sizeof prefix, SettingsPath);
        if (prefix[0]) {
            text = CString(prefix) + text.Mid(1);
            changingContract_ = true;
            SetDlgItemText(1012, text);
            changingContract_ = false;
            const int caret = static_cast<int>(std::strlen(prefix));
            SendDlgItemMessage(1012, EM_SETSEL, caret, caret);
        }
        GetPrivateProfileStringA("Variety name", key, "", name, sizeof name, SettingsPath);
        if (name[0])
            SetDlgItemText(1025, name);
    }
    if (text.GetLength() < 5) {
        ShowVarietyHint();
        return;
    }
    CString spelling;
    if (!FindContract(text, &spelling))
        return;
    if (spelling != text) {
        changingContract_ = true;
        SetDlgItemText(1012, spelling);
        changingContract_ = false;
        SendDlgItemMessage(1012, EM_SETSEL, spelling.GetLength(), spelling.GetLength());
    }
    TheTradeSession().SendContractRequest(spelling);
    ShowSheetStatus("");
}

void COrderPage::ShowVarietyHint()
{
    CString hint = "输入 ";
    for (char digit = '0'; digit <= '9'; ++digit) {
        const char key[2] = {digit, 0};
        char name[128] = {};
        GetPrivateProfileStringA("Variety name", key, "", name, sizeof name, SettingsPath);
        if (!name[0])
            continue;
        hint += name;
        hint += ":";
        hint += key;
        hint += "   ";
    }
    ShowSheetStatus(hint);
    for (int id : QuoteIds)
        SetDlgItemText(id, "");
    SetDlgItemText(1151, " 行情 ");
}

void COrderPage::OnContractKillFocus()
{
    if (inKillFocus_)
        return;
    inKillFocus_ = true;
    CString text;
    GetDlgItemText(1012, text);
    CString line;
    line.Format("合约失去焦点:%s", static_cast<LPCSTR>(text));
    Log(line);
    text = Trimmed(text.Left(20));
    if (text.IsEmpty()) {
        // Nothing to look up: no trade codes are asked for a contract not given.
        inKillFocus_ = false;
        return;
    }
    CString spelling;
    const CContractRecord *contract = FindContract(text, &spelling);
    if (!contract) {
        AfxMessageBox("合约不存在");
        FocusField(1012);
        inKillFocus_ = false;
        return;
    }
    changingContract_ = true;
    SetDlgItemText(1012, spelling);
    changingContract_ = false;
    m_RememberedLetter = contract->exchange;
    CString customer;
    GetDlgItemText(1011, customer);
    if (!LoadTradeCodes(*contract, customer)) {
        inKillFocus_ = false;
        return;
    }
    if (m_TradeCodeBox.GetCount() >= 2)
        FocusField(1055, false);
    else
        FocusField(m_Rows[0].inputId);
    inKillFocus_ = false;
}

bool COrderPage::LoadTradeCodes(const CContractRecord &contract, const CString &customer)
{
    if (customer == "*")
        m_TradeCodeBox.ResetContent();
    if (ClientMode != 7) {
        TheTradeSession().QueryClientMode(contract.exchange, Trimmed(customer));
        return true;
    }
    if (ClientModeList.empty())
        return false;
    // The client's own trade codes: the code at 0, the exchange letter at 20.
    m_TradeCodeBox.ResetContent();
    for (const CClientModeRecord &r : ClientModeList)
        if (r.text[20] == contract.exchange)
            m_TradeCodeBox.AddString(Trimmed(FieldText(r.text, 10)));
    m_TradeCodeBox.SetCurSel(0);
    return true;
}

void COrderPage::ShowTradeCodesOfContract()
{
    CString text;
    GetDlgItemText(1012, text);
    text = Trimmed(text.Left(20));
    CString spelling;
    const CContractRecord *contract = text.IsEmpty() ? nullptr : FindContract(text, &spelling);
    if (!contract)
        return;
    m_RememberedLetter = contract->exchange;
    CString customer;
    GetDlgItemText(1011, customer);
    // A trader's codes are asked for a customer only: none is typed yet.
    if (ClientMode != 7 && Trimmed(customer).IsEmpty())
        return;
    LoadTradeCodes(*contract, customer);
}

void COrderPage::FillTradeCodes(const std::vector<CString> &codes, bool first, bool last)
{
    if (!m_hWnd)
        return;
    if (first)
        m_TradeCodeBox.ResetContent();
    for (const CString &code : codes) {
        const CString text = Trimmed(code.Left(10));
        if (!text.IsEmpty())
            m_TradeCodeBox.AddString(text);
    }
    if (last && m_TradeCodeBox.GetCount() > 0)
        m_TradeCodeBox.SetCurSel(0);
}

void COrderPage::QueryMaxPosition()
{
    CString customer, contract, price;
    GetDlgItemText(1011, customer);
    GetDlgItemText(1012, contract);
    GetDlgItemText(1005, price);
    customer = Trimmed(customer);
    contract = Trimmed(contract);
    BYTE body[188] = {};
    body[20] = 1;
    PutField(reinterpret_cast<char *>(body + 21), 20, customer);
    PutField(reinterpret_cast<char *>(body + 41), 20, contract);
    PutField(reinterpret_cast<char *>(body + 61), 20, price.Left(8));
    body[141] = '0';
    body[142] = '0';
    body[143] = static_cast<BYTE>(LookupContractLetter(contract));
    PutField(reinterpret_cast<char *>(body + 147), 40, "LQueryCommonMaxPos");
    CTradeSession &session = TheTradeSession();
    session.m_strPositionText.Empty();
    session.QueryMaxPosition(body, customer);
    ShowSheetStatus("");
    m_strPosition.Empty();
    if (!customer.IsEmpty() && !contract.IsEmpty())
        session.QueryMaxOpen(customer, contract, m_DirectionBox.GetCurSel() == 0 ? '0' : '1');
}

void COrderPage::SetStatusText(LPCSTR text)
{
    ShowSheetStatus(text);
    if (m_strPosition.IsEmpty()) {
        m_strPosition = text;
    } else if (m_strPosition.Find("可用") == 0) {
        CString both = text;
        both += "  ";
        both += m_strPosition;
        ShowSheetStatus(both);
    }
}

void COrderPage::OnVolumeKillFocus()
{
    CString text, line;
    GetDlgItemText(1004, text);
    line.Format("手数失去焦点:%s", static_cast<LPCSTR>(text));
    Log(line);
}

void COrderPage::OnPriceKillFocus()
{
    CString text, line;
    GetDlgItemText(1005, text);
    line.Format("价格失去焦点:%s", static_cast<LPCSTR>(text));
    Log(line);
}

void COrderPage::OnPriceSetFocus() { ShowSheetStatus(""); }

void COrderPage::SetQuoteTexts(const char *texts[6])
{
    for (int i = 0; i < 6; ++i)
        SetDlgItemText(QuoteIds[i], CString(texts[i]).Left(QuoteTextLimit));
}

void COrderPage::ShowQuote(const BYTE *record)
{
    if (!m_hWnd)
        return;
    if (record) {
        auto number = [record](int at) {
            int32_t value;
            std::memcpy(&value, record + at, sizeof value);
            return static_cast<long>(value);
        };
        char ask[16], bid[16], askVolume[16], bidVolume[16], upper[16], lower[16];
        std::snprintf(ask, sizeof ask, "%ld", number(40));
        std::snprintf(bid, sizeof bid, "%ld", number(36));
        std::snprintf(askVolume, sizeof askVolume, "%ld", number(60));
        std::snprintf(bidVolume, sizeof bidVolume, "%ld", number(56));
        std::snprintf(upper, sizeof upper, "%ld", number(88));
        std::snprintf(lower, sizeof lower, "%ld", number(92));
        const char *texts[6] = {ask, bid, askVolume, bidVolume, upper, lower};
        SetQuoteTexts(texts);
        CString caption;
        caption.Format(" 行情：%s ", static_cast<LPCSTR>(FieldText(reinterpret_cast<const char *>(record + 2), 8)));
        SetDlgItemText(1151, caption);
        m_bQuoteAvailable = true;
        if (m_bPriceFromQuote)
            SetDlgItemText(1005, m_DirectionBox.GetCurSel() != 0 ? bid : ask);
    } else {
        m_bQuoteAvailable = false;
    }
    m_bPriceFromQuote = false;
}

bool COrderPage::CheckCustomerCode(CString &customer)
{
    GetDlgItemText(1011, customer);
    customer = Trimmed(customer.Left(10));
    bool known = !customer.IsEmpty() && customer[0] == '*' && !ClientList.empty();
    for (const CClientRecord &r : ClientList)
        if (!known && customer == Trimmed(FieldText(r.customer, sizeof r.customer)))
            known = true;
    if (known)
        return true;
    AfxMessageBox("客户不存在");
    FocusField(ClientMode == 7 ? 1012 : 1011);
    return false;
}

bool COrderPage::CheckContractCode(CString &contract)
{
    GetDlgItemText(1012, contract);
    CString spelling;
    const CContractRecord *found = FindContract(contract, &spelling);
    if (!found) {
        m_RememberedLetter = ' ';
        AfxMessageBox("合约不存在");
        FocusField(1012);
        return false;
    }
    contract = spelling;
    changingContract_ = true;
    SetDlgItemText(1012, spelling);
    changingContract_ = false;
    m_RememberedLetter = found->exchange;
    return true;
}

bool COrderPage::CheckInputs(CString &customer, CString &contract, CString &tradeCode)
{
    if (!CheckCustomerCode(customer) || !CheckContractCode(contract))
        return false;
    const int item = m_TradeCodeBox.GetCurSel();
    tradeCode.Empty();
    if (item >= 0)
        m_TradeCodeBox.GetLBText(item, tradeCode);
    return true;
}

int COrderPage::ReadVolume(bool emptyIsZero)
{
    CString text;
    GetDlgItemText(1004, text);
    text = Trimmed(text);
    if (text.IsEmpty())
        return emptyIsZero ? 0 : -1;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return -1;
    errno = 0;
    const long long value = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE || value > 0x7FFFFFFF)
        return -1;
    return static_cast<int>(value);
}

void COrderPage::FillRecord(const CString &customer, const CString &contract, const CString &tradeCode, int volume)
{
    CString price;
    GetDlgItemText(1005, price);
    PutField(m_Order.account, sizeof m_Order.account, LoginAccount);
    PutField(m_Order.customer, sizeof m_Order.customer, ClientMode == 7 ? static_cast<LPCSTR>(LoginAccount)
                                                                        : static_cast<LPCSTR>(customer));
    PutField(m_Order.contract, sizeof m_Order.contract, contract);
    std::memset(m_Order.systemNumber, 0, sizeof m_Order.systemNumber);
    m_Order.volume = m_Order.volume2 = volume;
    PutField(m_Order.price, sizeof m_Order.price, Trimmed(price).Left(8));
    m_Order.orderNumber = 0;
    m_Order.dealtVolume = 0;
    char number[16];
    std::snprintf(number, sizeof number, "%04d", LocalOrderNumber);
    PutField(m_Order.localNumber, sizeof m_Order.localNumber, number);
    m_Order.status = 'n';
    PutField(m_Order.tradeCode, sizeof m_Order.tradeCode, tradeCode);
    PutField(m_Order.source, sizeof m_Order.source, "consign");
    std::memset(m_Order.batchName, 0, sizeof m_Order.batchName);
}

void COrderPage::OnSendOrder()
{
    m_bQuoteAvailable = false;
    ReadFlags();
    Log("点击发出委托按钮");
    CString customer, contract, tradeCode;
    if (!CheckInputs(customer, contract, tradeCode))
        return;
    const int volume = ReadVolume(false);
    if (volume <= 0) {
        AfxMessageBox("委托手数不合法");
        FocusField(1004);
        return;
    }
    CString price;
    GetDlgItemText(1005, price);
    if (!IsPriceText(Trimmed(price))) {
        AfxMessageBox("价格不合法");
        FocusField(1005);
        return;
    }
    CTradeSession &session = TheTradeSession();
    if (!customer.IsEmpty() && customer[0] == '*' && ClientMode != 7) {
        size_t group = 0;
        CString batchName;
        if (SelectBatchGroup(customer, this, group, batchName) != BatchSelection::chosen)
            return;
        FillRecord(customer, contract, "", volume);
        std::vector<COrderRecord> members;
        if (!SplitBatchOrder(m_Order, group, volume, members)) {
            FocusField(1004);
            return;
        }
        if (StartSettings.batchVerify && !VerifyBatchOrders(members, m_RememberedLetter, false))
            return;
        if (!SendBatchOrders(members, "委托发送--批量 %s,%s,%s,%d,%s,%s", nullptr)) {
            ReportSendFailure();
            return;
        }
    } else {
        if (tradeCode.IsEmpty()) {
            AfxMessageBox("该客户交易编码不存在");
            return;
        }
        FillRecord(customer, contract, tradeCode, volume);
        Log(OrderLogLine("委托发送/本地 %s,%s,%s,%d,%s,%s", m_Order));
        const char letter = ContractExchangeLetter(m_Order);
        if (!session.SendOrder(m_Order, letter, nullptr)) {
            // The order did not leave: the fields stay for another try.
            ReportSendFailure();
            return;
        }
        ++LocalOrderNumber;
    }
    ClearAfterOrder(false);
}

void COrderPage::ClearAfterOrder(bool preOrder)
{
    SetDlgItemText(1005, "");
    SetDlgItemText(1004, "");
    if (StartSettings.clearAllAfterOrder) {
        if (ClientMode != 7)
            SetDlgItemText(1011, "");
        if (!preOrder || ClientMode != 7) {
            const COrderRecord empty{};
            m_Order = empty;
            m_Order.status = 'n';
        }
        if (!preOrder || ClientMode != 7) {
            changingContract_ = true;
            SetDlgItemText(1012, "");
            changingContract_ = false;
        }
        m_TradeCodeBox.ResetContent();
        m_DirectionBox.SetCurSel(0);
        m_OpenCloseBox.SetCurSel(0);
        m_HedgeBox.SetCurSel(0);
        ReadFlags();
    }
    FocusField(ClientMode == 7 ? 1012 : 1011);
}

void COrderPage::OnPreOrder()
{
    char number[16];
    std::snprintf(number, sizeof number, "%04d", LocalOrderNumber);
    PutField(m_Order.localNumber, sizeof m_Order.localNumber, number);
    m_bQuoteAvailable = false;
    ReadFlags();
    Log("点击预埋按钮");
    CString customer, contract, tradeCode;
    if (!CheckInputs(customer, contract, tradeCode))
        return;
    // A pre-order may leave volume and price to be filled in when it is sent.
    const int volume = ReadVolume(true);
    if (volume < 0) {
        AfxMessageBox("委托手数不合法");
        FocusField(1004);
        return;
    }
    CString price;
    GetDlgItemText(1005, price);
    price = Trimmed(price);
    if (!price.IsEmpty() && !IsPriceText(price)) {
        AfxMessageBox("价格不合法");
        FocusField(1005);
        return;
    }
    if ((customer.IsEmpty() || customer[0] != '*') && tradeCode.IsEmpty()) {
        AfxMessageBox("客户交易编码不存在");
        return;
    }
    FillRecord(customer, contract, tradeCode, volume);
    Log(OrderLogLine("委托预埋 %s,%s,%s,%d,%s,%s", m_Order));
    PreOrderList.push_back(m_Order);
    if (m_pPreOrderPage)
        m_pPreOrderPage->RefreshList(&PreOrderList.back());
    ++LocalOrderNumber;
    ShowSheetStatus("预埋成功");
    ClearAfterOrder(true);
}

bool COrderPage::SendCommandLineOrder(const CCmdLineOrder &record)
{
    auto refuse = [](const char *why) {
        CString line;
        line.Format("直接发送的委托被拒绝:%s", why);
        Log(line);
        return false;
    };
    auto text = [](const char *field) { return Trimmed(FieldText(field, 19)); };
    const CString direction = text(record.direction), openClose = text(record.openClose), hedge = text(record.hedge);
    const CString tradeCode = text(record.tradeCode), quantity = text(record.quantity), price = text(record.price);
    bool known = false;
    for (const CClientRecord &r : ClientList)
        known = known || Trimmed(FieldText(r.customer, sizeof r.customer)) == LoginAccount;
    if (!known)
        return refuse("客户不存在");
    CString contract;
    if (!FindContract(text(record.contract), &contract))
        return refuse("合约不存在");
    if (tradeCode.IsEmpty())
        return refuse("交易编码不存在");
    char *end = nullptr;
    errno = 0;
    const long long volume = quantity.IsEmpty() ? 0 : std::strtoll(quantity, &end, 10);
    if (quantity.IsEmpty() || *end != 0 || errno == ERANGE || volume <= 0 || volume > 0x7FFFFFFF)
        return refuse("委托手数不合法");
    if (!IsPriceText(price))
        return refuse("价格不合法");
    if ((direction != "0" && direction != "1") || (openClose != "0" && openClose != "1" && openClose != "2") ||
        (hedge != "0" && hedge != "1"))
        return refuse("买卖、开平或投保不合法");

    COrderRecord order{};
    PutField(order.account, sizeof order.account, LoginAccount);
    PutField(order.customer, sizeof order.customer, LoginAccount);
    PutField(order.contract, sizeof order.contract, contract);
    PutField(order.tradeCode, sizeof order.tradeCode, tradeCode);
    PutField(order.price, sizeof order.price, price);
    order.volume = order.volume2 = static_cast<int32_t>(volume);
    order.flags = static_cast<BYTE>((direction == "0" ? 1 : 0) | (hedge != "0" ? 4 : 0) |
                                    (openClose == "0" ? 2 : openClose == "2" ? 8 : 0));
    order.status = 'n';
    char number[16];
    std::snprintf(number, sizeof number, "%04d", LocalOrderNumber);
    PutField(order.localNumber, sizeof order.localNumber, number);
    PutField(order.source, sizeof order.source, "consign");
    const CString line = OrderLogLine("委托发送：%s，%s，%s，%d，%s，%s", order);
    Log(line);
    const char letter = ContractExchangeLetter(order);
    if (!TheTradeSession().SendOrder(order, letter, nullptr))
        return refuse("发送失败");
    ++LocalOrderNumber;
    // The prompt belongs to the sheet, the page's top-level window.
    (new CPromptDlg(line, GetParent()))->ShowText();
    return true;
}

void COrderPage::RefreshOrderList()
{
    if (!m_OrderList.m_hWnd)
        return;
    namespace F = OrderQueryField;
    m_OrderList.DeleteAllItems();
    const bool dealt = m_pOrdersPage && m_pOrdersPage->m_bShowDealt;
    const bool cancelled = m_pOrdersPage && m_pOrdersPage->m_bShowCancelled;
    if (m_pOrdersPage && m_pOrdersPage->m_bShowErrors)
        for (const CRejectedOrderRecord &r : RejectedOrderList)
            AddOrderRow(m_OrderList, r.data, "错误委托", FieldText(reinterpret_cast<const char *>(r.data + F::errorText), 444 - F::errorText),
                        false);
    for (const COrderQueryRecord &r : OrderList) {
        const char status = static_cast<char>(r.data[F::status]);
        if (status == 'c' && !dealt)
            continue;
        if ((status == 'd' || status == 'm' || status == 'q') && !cancelled)
            continue;
        AddOrderRow(m_OrderList, r.data,
                    StatusWord(status, static_cast<uint32_t>(RecordNumber(r.data, F::dealt)),
                               static_cast<uint32_t>(RecordNumber(r.data, F::volume))),
                    nullptr, true);
    }
}

void COrderPage::OnDealReport(BYTE *report)
{
    if (!m_OrderList.m_hWnd)
        return;
    namespace F = OrderQueryField;
    const int row = FindNumberRow(m_OrderList, 0, RecordNumber(report, 68));
    if (row < 0)
        return;
    const auto *order = reinterpret_cast<const BYTE *>(m_OrderList.GetItemData(row));
    if (!order)
        return;
    const char status = static_cast<char>(order[F::status]);
    if (status == 'c' && !(m_pOrdersPage && m_pOrdersPage->m_bShowDealt)) {
        m_OrderList.DeleteItem(row);
        return;
    }
    m_OrderList.SetItemText(row, 3, StatusWord(status, 0, 0));
    m_OrderList.SetItemText(row, 6, OrderVolumeText(order));
}

void COrderPage::OnCancelReport(const COrderRecord &report)
{
    if (!m_OrderList.m_hWnd)
        return;
    const int row = FindNumberRow(m_OrderList, 0, report.orderNumber);
    if (row < 0)
        return;
    const char status = report.status;
    if ((status == 'd' || status == 'm' || status == 'q') && !(m_pOrdersPage && m_pOrdersPage->m_bShowCancelled)) {
        m_OrderList.DeleteItem(row);
        return;
    }
    m_OrderList.SetItemText(row, 3,
                            StatusWord(status, static_cast<uint32_t>(report.dealtVolume), static_cast<uint32_t>(report.volume)));
    m_OrderList.SetItemText(row, 8, FieldText(report.systemNumber, sizeof report.systemNumber));
}

void COrderPage::OnDblClkList(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    CancelOrder();
}

void COrderPage::OnColumnClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    OrderSortDirection = -OrderSortDirection;
    m_OrderList.SortItems(CompareOrderListItems, static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW *>(pNMHDR)->iSubItem));
}

void COrderPage::CancelOrder()
{
    namespace F = OrderQueryField;
    POSITION pos = m_OrderList.GetFirstSelectedItemPosition();
    if (!pos)
        return;
    const int row = m_OrderList.GetNextSelectedItem(pos);
    const int32_t number = std::atoi(m_OrderList.GetItemText(row, 0));
    const COrderQueryRecord *found = LatestOrder(number);
    if (!found)
        return;
    const BYTE *r = found->data;
    const char status = static_cast<char>(r[F::status]);
    CString question;
    UINT type = MB_YESNO;
    if (status == 'n') {
        question.Format("%d 号委托单状态不明, 可能已经报入, 请致电交易所场内核实.\n\r如果要强行撤除, "
                        "本撤单命令将只在本系统内执行, 交易所不会接受该操作.\n\r千万慎重!",
                        number);
        type |= MB_DEFBUTTON2;
    } else if (status == 'a' || status == 'p') {
        question.Format("确认撤除单号为%ld的委托?", static_cast<long>(number));
    } else {
        return;
    }
    if (AfxMessageBox(question, type) != IDYES)
        return;
    auto field = [r](int at, size_t width) { return FieldText(reinterpret_cast<const char *>(r + at), width); };
    COrderRecord cancel{};
    PutField(cancel.account, sizeof cancel.account, LoginAccount);
    PutField(cancel.customer, sizeof cancel.customer, field(F::customer, 10));
    PutField(cancel.contract, sizeof cancel.contract, field(F::contract, 10));
    cancel.orderNumber = number;
    cancel.volume = cancel.volume2 = RecordNumber(r, F::volume);
    PutField(cancel.price, sizeof cancel.price, field(F::price, 8));
    PutField(cancel.tradeCode, sizeof cancel.tradeCode, field(F::tradeCode, 10));
    cancel.flags = static_cast<BYTE>((r[F::direction] == '0' ? 1 : 0) | (r[F::openClose] == '0' ? 2 : 0) |
                                     (r[F::hedge] == '1' ? 4 : 0) | (r[F::closeToday] == '1' ? 8 : 0));
    cancel.status = 'f';
    CString line;
    line.Format("撤单发送/本地 %d, %s, %s, %s, %d, %s, %s", number, static_cast<LPCSTR>(FieldText(cancel.customer, 10)),
                static_cast<LPCSTR>(FieldText(cancel.contract, 10)), DirectionWord(cancel.flags), cancel.volume,
                OpenCloseWord(cancel.flags), static_cast<LPCSTR>(FieldText(cancel.price, 8)));
    Log(line);
    const char letter = ContractExchangeLetter(cancel);
    TheTradeSession().SendCancelOrder(cancel, letter);
}
