#include "consign/pages/CQOrderPage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "consign/pages/BatchOrder.h"
#include "consign/pages/CCancelConfirmDlg.h"
#include "consign/pages/COrderPage.h"
#include "consign/pages/OrderListSort.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/OrderWords.h"
#include "consign/pages/PageTemplates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQOrderPage, CPropertyPage)
    ON_BN_CLICKED(1240, OnFilterClicked)
    ON_BN_CLICKED(1241, OnFilterClicked)
    ON_BN_CLICKED(1242, OnFilterClicked)
    ON_NOTIFY(NM_DBLCLK, 1004, OnDblClkList)
    ON_NOTIFY(LVN_COLUMNCLICK, 1004, OnColumnClick)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

namespace F = OrderQueryField;

constexpr DWORD CheckStyle = BS_AUTOCHECKBOX | WS_TABSTOP;

const DialogItemTemplate OrdersItems[] = {
    {"Button", 1240, 4, 4, 46, 10, CheckStyle, 0, "已成交"},
    {"Button", 1241, 54, 4, 46, 10, CheckStyle, 0, "已撤单"},
    {"Button", 1242, 104, 4, 50, 10, CheckStyle, 0, "错误委托"},
    {"SysListView32", 1004, 0, 20, 286, 84, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const char *const FilterKeys[3] = {"OrderDealed", "OrderDeleted", "OrderError"};

bool IsCancelled(char status) { return status == 'd' || status == 'm' || status == 'q'; }

void PutText(char *field, size_t width, std::string_view text)
{
    std::memcpy(field, text.data(), text.size() < width ? text.size() : width);
}

} // namespace

CQOrderPage::CQOrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&2委托", OrdersItems));
    m_Layout.Read("QOrder", COLUMNS);
}

void CQOrderPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
    DDX_Check(pDX, 1240, m_bShowDealt);
    DDX_Check(pDX, 1241, m_bShowCancelled);
    DDX_Check(pDX, 1242, m_bShowErrors);
}

BOOL CQOrderPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetUpQueryList(m_List, OrderColumns, COLUMNS, m_Layout);
    RefreshList();
    return TRUE;
}

BOOL CQOrderPage::OnSetActive()
{
    ActivateQueryPage(*this, m_List, StartSettings.autoFlushQueryOrder, &CTradeSession::QueryOrders,
                      "按/键或本按钮查询委托-键或双击撤单");
    return CPropertyPage::OnSetActive();
}

void CQOrderPage::LoadFilters()
{
    int *boxes[3] = {&m_bShowDealt, &m_bShowCancelled, &m_bShowErrors};
    for (int i = 0; i < 3; ++i)
        *boxes[i] = GetPrivateProfileIntA("Config", FilterKeys[i], 0, SettingsPath) == 1 ? 1 : 0;
    if (m_hWnd)
        UpdateData(FALSE);
}

void CQOrderPage::SaveFilters() const
{
    const int boxes[3] = {m_bShowDealt, m_bShowCancelled, m_bShowErrors};
    for (int i = 0; i < 3; ++i)
        WritePrivateProfileStringA("Config", FilterKeys[i], boxes[i] ? "1" : "0", SettingsPath);
}

void CQOrderPage::OnFilterClicked()
{
    UpdateData(TRUE);
    RefreshList();
    if (m_pOrderPage)
        m_pOrderPage->RefreshOrderList();
}

void CQOrderPage::RefreshList()
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    if (m_bShowErrors)
        for (const CRejectedOrderRecord &r : RejectedOrderList)
            AddOrderRow(m_List, r.data, "错误委托", RecordText(r.data, F::errorText, sizeof r.data - F::errorText), false);
    for (const COrderQueryRecord &r : OrderList) {
        const char status = static_cast<char>(r.data[F::status]);
        if ((status == 'c' && !m_bShowDealt) || (IsCancelled(status) && !m_bShowCancelled))
            continue;
        AddOrderRow(m_List, r.data,
                    StatusWord(status, static_cast<uint32_t>(RecordNumber(r.data, F::dealt)),
                               static_cast<uint32_t>(RecordNumber(r.data, F::volume))),
                    nullptr, false);
    }
}

void CQOrderPage::OnOrderAnswer(const COrderRecord &order)
{
    AddAcceptedOrder(order);
    RefreshList();
}

void CQOrderPage::OnOrderRejected(const COrderRecord &order, LPCSTR text)
{
    AddRejectedOrder(order, text);
    RefreshList();
}

bool CQOrderPage::OnDealReport(BYTE *report)
{
    const COrderQueryRecord *order = ApplyDealReport(report);
    if (!order)
        return false;
    const int row = m_List.m_hWnd ? FindNumberRow(m_List, 0, RecordNumber(order->data, F::number)) : -1;
    if (row < 0)
        return true;
    const char status = static_cast<char>(order->data[F::status]);
    if (status == 'c' && !m_bShowDealt) {
        m_List.DeleteItem(row);
        return true;
    }
    m_List.SetItemText(row, 3, StatusWord(status, 0, 0));
    m_List.SetItemText(row, 6, OrderVolumeText(order->data));
    return true;
}

bool CQOrderPage::OnCancelReport(const COrderRecord &report)
{
    if (!ApplyCancelReport(report))
        return false;
    const int row = m_List.m_hWnd ? FindNumberRow(m_List, 0, report.orderNumber) : -1;
    if (row < 0)
        return true;
    if (IsCancelled(report.status) && !m_bShowCancelled) {
        m_List.DeleteItem(row);
        return true;
    }
    m_List.SetItemText(row, 3,
                       StatusWord(report.status, static_cast<uint32_t>(report.dealtVolume),
                                  static_cast<uint32_t>(report.volume)));
    m_List.SetItemText(row, 8, RecordText(reinterpret_cast<const BYTE *>(report.systemNumber), 0, 10));
    return true;
}

void CQOrderPage::SendCancel(const BYTE *r, char status, bool withTrader)
{
    COrderRecord cancel{};
    PutText(cancel.account, sizeof cancel.account, RecordView(r, F::account, 10));
    PutText(cancel.customer, sizeof cancel.customer, RecordView(r, F::customer, 10));
    PutText(cancel.contract, sizeof cancel.contract, RecordView(r, F::contract, 10));
    PutText(cancel.systemNumber, sizeof cancel.systemNumber, RecordView(r, F::system, 10));
    cancel.volume = RecordNumber(r, F::volume);
    PutText(cancel.price, sizeof cancel.price, RecordView(r, F::price, 8));
    cancel.orderNumber = RecordNumber(r, F::number);
    cancel.status = status;
    cancel.flags = static_cast<BYTE>((r[F::closeToday] == '1' ? 8 : 0) | (r[F::hedge] == '1' ? 4 : 0) |
                                     (r[F::openClose] == '0' ? 2 : 0) | (r[F::direction] == '0' ? 1 : 0));
    if (withTrader)
        PutText(cancel.batchName, sizeof cancel.batchName, static_cast<LPCSTR>(LoginAccount));
    const char letter = ContractExchangeLetter(cancel);
    TheTradeSession().SendCancelOrder(cancel, letter);
}

void CQOrderPage::CancelSelected()
{
    POSITION pos = m_List.GetFirstSelectedItemPosition();
    if (!pos)
        return;
    const int row = m_List.GetNextSelectedItem(pos);
    const int32_t number = std::atoi(m_List.GetItemText(row, 0));
    const COrderQueryRecord *found = LatestOrder(number);
    if (!found)
        return;
    const char status = static_cast<char>(found->data[F::status]);
    if (status != 'a' && status != 'p' && status != 'n')
        return;
    CString question;
    question.Format("确认撤除单号为%ld的委托?", static_cast<long>(number));
    if (AfxMessageBox(question, MB_YESNO) != IDYES)
        return;
    SendCancel(found->data, 'f', true);
}

void CQOrderPage::CancelByNumber()
{
    CCancelConfirmDlg dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    const COrderQueryRecord *found = nullptr;
    for (const COrderQueryRecord &r : OrderList)
        if (RecordNumber(r.data, F::number) == dialog.m_nOrderNumber) {
            found = &r;
            break;
        }
    if (!found) {
        AfxMessageBox("非当前用户委托!", MB_OK);
        return;
    }
    const char status = static_cast<char>(found->data[F::status]);
    if (status != 'a' && status != 'p') {
        AfxMessageBox("该委托无法撤销!", MB_OK);
        return;
    }
    SendCancel(found->data, status, false);
}

void CQOrderPage::OnDblClkList(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    CancelSelected();
}

void CQOrderPage::OnColumnClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    OrderSortDirection = -OrderSortDirection;
    m_List.SortItems(CompareOrderListItems, static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW *>(pNMHDR)->iSubItem));
}

void CQOrderPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    // The boxes keep a strip of 32 pixels above the list.
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 32, cx, cy - 32 > 0 ? cy - 32 : 0);
}
