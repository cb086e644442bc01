#include "consign/pages/CQFundPage.h"

#include <cstdlib>
#include <string>

#include "consign/pages/PageTemplates.h"
#include "consign/session/ConsignState.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQFundPage, CPropertyPage)
    ON_NOTIFY(LVN_COLUMNCLICK, 1004, OnColumnClick)
    ON_WM_SIZE()
END_MESSAGE_MAP()

int FundSortDirection = 1;

namespace {

const DialogItemTemplate FundItems[] = {
    {"SysListView32", 1004, 0, 0, 286, 104, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const QueryColumn FundColumns[11] = {
    {"客户号", LVCFMT_RIGHT, 100},   {"可用金", LVCFMT_RIGHT, 120},   {"买冻结", LVCFMT_RIGHT, 100},
    {"卖冻结", LVCFMT_RIGHT, 100},   {"买保证金", LVCFMT_RIGHT, 120}, {"卖保证金", LVCFMT_RIGHT, 120},
    {"平仓盈利", LVCFMT_RIGHT, 120}, {"亏损", LVCFMT_RIGHT, 100},     {"结存", LVCFMT_RIGHT, 100},
    {"动态权益", LVCFMT_RIGHT, 100}, {"风险", LVCFMT_RIGHT, 100},
};

// Where each column's text is in the fund record, and its room.
struct FundText {
    int at;
    size_t width;
};
const FundText FundTexts[10] = {
    {1, 10}, {123, 16}, {27, 16}, {43, 16}, {59, 16}, {75, 16}, {91, 16}, {107, 16}, {11, 16}, {139, 16},
};
constexpr FundText RiskAt{155, 13};

double Number(const BYTE *fund, int column)
{
    return std::atof(std::string(RecordView(fund, FundTexts[column].at, FundTexts[column].width)).c_str());
}

} // namespace

CString RiskText(const char *ratio)
{
    CString text;
    text.Format("%4.2f%%", std::atof(ratio) * 100);
    return text;
}

int CompareFundRows(LPARAM item1, LPARAM item2, LPARAM column)
{
    const int d = FundSortDirection;
    const auto *a = reinterpret_cast<const BYTE *>(item1);
    const auto *b = reinterpret_cast<const BYTE *>(item2);
    if (const int missing = CompareMissing(a, b, d); missing != 2)
        return missing;
    if (column == 0)
        return CompareTexts(RecordView(a, 1, 10), RecordView(b, 1, 10), d);
    if (column >= 1 && column <= 8)
        return CompareNumbers(Number(a, static_cast<int>(column)), Number(b, static_cast<int>(column)), d);
    return 0;
}

CQFundPage::CQFundPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&5资金", FundItems));
    m_Layout.Read("QFund", COLUMNS);
}

void CQFundPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
}

BOOL CQFundPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetUpQueryList(m_List, FundColumns, COLUMNS, m_Layout);
    RefreshList();
    return TRUE;
}

BOOL CQFundPage::OnSetActive()
{
    ActivateQueryPage(*this, m_List, StartSettings.autoFlushFund, &CTradeSession::QueryFunds, "按/键或本按钮查询资金");
    return CPropertyPage::OnSetActive();
}

void CQFundPage::RefreshList()
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    for (const CFundRecord &fund : FundList) {
        const BYTE *r = fund.data;
        const int row = m_List.GetItemCount();
        m_List.InsertItem(row, RecordText(r, FundTexts[0].at, FundTexts[0].width));
        for (int column = 1; column < 10; ++column)
            m_List.SetItemText(row, column, RecordText(r, FundTexts[column].at, FundTexts[column].width));
        m_List.SetItemText(row, 10, RiskText(std::string(RecordView(r, RiskAt.at, RiskAt.width)).c_str()));
        m_List.SetItemData(row, reinterpret_cast<DWORD_PTR>(r));
    }
}

void CQFundPage::OnColumnClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    FundSortDirection = -FundSortDirection;
    m_List.SortItems(CompareFundRows, static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW *>(pNMHDR)->iSubItem));
}

void CQFundPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 0, cx, cy);
}
