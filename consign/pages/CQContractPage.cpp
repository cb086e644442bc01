#include "consign/pages/CQContractPage.h"

#include <cstdio>

#include "consign/pages/COrderPage.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/pages/VarietyName.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQContractPage, CPropertyPage)
    ON_NOTIFY(NM_CLICK, 1004, OnClickList)
    ON_NOTIFY(NM_DBLCLK, 1004, OnDblClkList)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

const DialogItemTemplate ContractItems[] = {
    {"SysListView32", 1004, 0, 0, 286, 104, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const QueryColumn ContractColumns[7] = {
    {"合约号", LVCFMT_LEFT, 100},      {"交易所", LVCFMT_LEFT, 100},       {"合约名称", LVCFMT_LEFT, 120},
    {"每手", LVCFMT_RIGHT, 60},        {"投机保证金率", LVCFMT_RIGHT, 60}, {"保值保证金率", LVCFMT_RIGHT, 60},
    {"最后日期", LVCFMT_LEFT, 120},
};

} // namespace

CQContractPage::CQContractPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&6合约", ContractItems));
    m_Layout.Read("QContract", COLUMNS);
}

void CQContractPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
}

BOOL CQContractPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    SetUpQueryList(m_List, ContractColumns, COLUMNS, m_Layout);
    RefreshList();
    return TRUE;
}

BOOL CQContractPage::OnSetActive()
{
    ActivateQueryPage(*this, m_List, 0, nullptr, "本页显示可以交易的合约");
    return CPropertyPage::OnSetActive();
}

void CQContractPage::RefreshList()
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    for (const CContractRecord &contract : ContractList) {
        const auto *r = reinterpret_cast<const BYTE *>(&contract);
        const int row = m_List.GetItemCount();
        m_List.InsertItem(row, RecordText(r, 12, 10));
        const char exchange[2] = {contract.exchange, 0};
        m_List.SetItemText(row, 1, exchange);
        m_List.SetItemText(row, 2, RecordText(r, 22, 50 - 22));
        char units[16];
        std::snprintf(units, sizeof units, "%d", contract.units);
        m_List.SetItemText(row, 3, units);
        m_List.SetItemText(row, 4, RecordText(r, 96, 10));
        m_List.SetItemText(row, 5, RecordText(r, 86, 10));
        m_List.SetItemText(row, 6, RecordText(r, 50, 8));
        m_List.SetItemData(row, reinterpret_cast<DWORD_PTR>(r));
    }
}

void CQContractPage::OnClickList(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    ShowSheetStatus("双击合约可以直接进入下单界面！");
}

void CQContractPage::OnDblClkList(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    OnDblClick();
}

void CQContractPage::OnDblClick()
{
    POSITION pos = m_List.GetFirstSelectedItemPosition();
    if (!pos || !m_pOrderPage || !m_pOrderPage->m_hWnd)
        return;
    const CString code = m_List.GetItemText(m_List.GetNextSelectedItem(pos), 0);
    m_pOrderPage->SetDlgItemText(1012, code);
    m_pOrderPage->SetDlgItemText(1025, LookupVarietyName(code));
    if (auto *sheet = dynamic_cast<CPropertySheet *>(GetParent()))
        sheet->SetActivePage(0);
}

void CQContractPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 0, cx, cy);
}
