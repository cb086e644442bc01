#include "consign/pages/CQPositionPage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "consign/pages/COrderPage.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/VarietyName.h"
#include "consign/session/ConsignState.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CEdit.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQPositionPage, CPropertyPage)
    ON_NOTIFY(NM_DBLCLK, 1004, OnDblClkList)
    ON_NOTIFY(LVN_COLUMNCLICK, 1004, OnColumnClick)
    ON_WM_SIZE()
END_MESSAGE_MAP()

int PositionSortDirection = 1;

namespace {

const DialogItemTemplate PositionItems[] = {
    {"SysListView32", 1004, 0, 0, 286, 104, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const QueryColumn PositionColumns[11] = {
    {"客户号", LVCFMT_RIGHT, 100},   {"合约号", LVCFMT_LEFT, 100},   {"投保", LVCFMT_LEFT, 60},
    {"总买持量", LVCFMT_RIGHT, 100}, {"今买持量", LVCFMT_RIGHT, 100}, {"买均价", LVCFMT_RIGHT, 100},
    {"总卖持量", LVCFMT_RIGHT, 100}, {"今卖持量", LVCFMT_RIGHT, 100}, {"卖均价", LVCFMT_RIGHT, 100},
    {"浮动盈亏", LVCFMT_RIGHT, 100}, {"交易编码", LVCFMT_RIGHT, 120},
};

constexpr char TotalsCustomer[] = "{合计}";

const BYTE *Bytes(const CPositionRecord &p) { return reinterpret_cast<const BYTE *>(&p); }

const char *HedgeText(char hedge) { return hedge == '0' ? "投机" : hedge == '1' ? "保值" : ""; }

// The volume a column shows (3, 4, 6, 7), else 0.
int32_t ColumnVolume(const CPositionRecord &p, int column)
{
    switch (column) {
    case 3: return p.buyVolume;
    case 4: return p.todayBuy;
    case 6: return p.sellVolume;
    case 7: return p.todaySell;
    default: return 0;
    }
}

double Number(const BYTE *record, int at, size_t width) { return std::atof(std::string(RecordView(record, at, width)).c_str()); }

} // namespace

int ComparePositionRows(LPARAM item1, LPARAM item2, LPARAM column)
{
    const int d = PositionSortDirection;
    const auto *a = reinterpret_cast<const CPositionRecord *>(item1);
    const auto *b = reinterpret_cast<const CPositionRecord *>(item2);
    if (const int missing = CompareMissing(a, b, d); missing != 2)
        return missing;
    auto hedge = [](const CPositionRecord *p) {
        const char *text = HedgeText(p->hedge);
        return std::string_view(*text ? text : "投保");
    };
    switch (column) {
    case 0: return CompareTexts(RecordView(Bytes(*a), 1, 10), RecordView(Bytes(*b), 1, 10), d);
    case 1: return CompareTexts(RecordView(Bytes(*a), 11, 10), RecordView(Bytes(*b), 11, 10), d);
    case 2: return CompareTexts(hedge(a), hedge(b), d);
    case 3:
    case 4:
    case 6:
    case 7: return CompareNumbers(ColumnVolume(*a, static_cast<int>(column)), ColumnVolume(*b, static_cast<int>(column)), d);
    case 5: return CompareNumbers(Number(Bytes(*a), 32, 8), Number(Bytes(*b), 32, 8), d);
    case 8: return CompareNumbers(Number(Bytes(*a), 40, 8), Number(Bytes(*b), 40, 8), d);
    case 9: return CompareNumbers(Number(Bytes(*a), 56, 16), Number(Bytes(*b), 56, 16), d);
    case 10: return CompareTexts(RecordView(Bytes(*a), 72, 10), RecordView(Bytes(*b), 72, 10), d);
    default: return 0;
    }
}

CQPositionPage::CQPositionPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&4持仓", PositionItems));
    m_Layout.Read("QPosition", COLUMNS);
}

void CQPositionPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
}

BOOL CQPositionPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetUpQueryList(m_List, PositionColumns, COLUMNS, m_Layout);
    m_Balloon.Create(this);
    m_Balloon.AddTool(&m_List, "双击，系统自动生成对应的平仓单");
    m_Balloon.SetBalloonColors(RGB(0xD5, 0xFD, 0xE0), RGB(0x00, 0x6A, 0x35));
    RefreshList();
    return TRUE;
}

BOOL CQPositionPage::OnSetActive()
{
    ActivateQueryPage(*this, m_List, StartSettings.autoFlushPosition, &CTradeSession::QueryPositions,
                      "按/键或本按钮查询持仓");
    return CPropertyPage::OnSetActive();
}

BOOL CQPositionPage::PreTranslateMessage(MSG *pMsg)
{
    if (m_Balloon.m_hWnd)
        m_Balloon.RelayEvent(pMsg);
    return CPropertyPage::PreTranslateMessage(pMsg);
}

void CQPositionPage::RefreshList()
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    for (const CPositionRecord &p : PositionList) {
        const BYTE *r = Bytes(p);
        const int row = m_List.GetItemCount();
        char text[16];
        m_List.InsertItem(row, RecordText(r, 1, 10));
        m_List.SetItemText(row, 1, RecordText(r, 11, 10));
        m_List.SetItemText(row, 2, HedgeText(p.hedge));
        const struct {
            int column;
            int32_t value;
        } volumes[] = {{3, p.buyVolume}, {4, p.todayBuy}, {6, p.sellVolume}, {7, p.todaySell}};
        for (const auto &v : volumes) {
            std::snprintf(text, sizeof text, "%d", v.value);
            m_List.SetItemText(row, v.column, text);
        }
        m_List.SetItemText(row, 5, RecordText(r, 32, 8));
        m_List.SetItemText(row, 8, RecordText(r, 40, 8));
        m_List.SetItemText(row, 9, RecordText(r, 56, 16));
        m_List.SetItemText(row, 10, RecordText(r, 72, 10));
        m_List.SetItemData(row, reinterpret_cast<DWORD_PTR>(&p));
    }
}

void CQPositionPage::MakeClosingOrder(int row, int column)
{
    if (row < 0 || row >= m_List.GetItemCount() || !m_pOrderPage || !m_pOrderPage->m_hWnd)
        return;
    const auto *p = reinterpret_cast<const CPositionRecord *>(m_List.GetItemData(row));
    if (!p || RecordView(Bytes(*p), 1, 10) == TotalsCustomer)
        return;
    const int32_t volume = ColumnVolume(*p, column);
    if (volume == 0)
        return;
    const bool buyColumn = column == 3 || column == 4;
    const bool today = column == 4 || column == 7;
    COrderPage &order = *m_pOrderPage;
    order.m_DirectionBox.SetCurSel(buyColumn ? 1 : 0);
    char text[16];
    std::snprintf(text, sizeof text, "%d", volume);
    order.SetDlgItemText(1004, text);
    order.m_OpenCloseBox.SetCurSel(today ? 1 : 2);
    order.m_HedgeBox.SetCurSel(p->hedge == '0' ? 0 : 1);
    const CString contract = RecordText(Bytes(*p), 11, 10);
    order.SetDlgItemText(1011, RecordText(Bytes(*p), 1, 10));
    order.SetDlgItemText(1012, contract);
    order.m_TradeCodeBox.ResetContent();
    const CString tradeCode = RecordText(Bytes(*p), 72, 10);
    if (!tradeCode.IsEmpty()) {
        order.m_TradeCodeBox.SetCurSel(order.m_TradeCodeBox.AddString(tradeCode));
        std::memset(order.m_Order.tradeCode, 0, sizeof order.m_Order.tradeCode);
        std::memcpy(order.m_Order.tradeCode, static_cast<LPCSTR>(tradeCode), tradeCode.GetLength());
    }
    order.m_Order.flags = static_cast<BYTE>((buyColumn ? 0 : 1) | (today ? 8 : 0) | (p->hedge == '0' ? 0 : 4));
    if (auto *sheet = dynamic_cast<CPropertySheet *>(GetParent()))
        sheet->SetActivePage(0);
    order.GotoDlgCtrl(order.GetDlgItem(1004));
    order.SendDlgItemMessage(1004, EM_SETSEL, 0, -1);
    order.SetDlgItemText(1025, LookupVarietyName(contract));
    order.m_bPriceFromQuote = true;
}

void CQPositionPage::OnDblClkList(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const auto *item = reinterpret_cast<const NMITEMACTIVATE *>(pNMHDR);
    MakeClosingOrder(item->iItem, item->iSubItem);
}

void CQPositionPage::OnColumnClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    PositionSortDirection = -PositionSortDirection;
    m_List.SortItems(ComparePositionRows, static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW *>(pNMHDR)->iSubItem));
}

void CQPositionPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 0, cx, cy);
}
