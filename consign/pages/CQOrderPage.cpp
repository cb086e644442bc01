#include "consign/pages/CQOrderPage.h"

#include <cstdio>

#include "consign/pages/COrderPage.h"
#include "consign/pages/PageTemplates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQOrderPage, CPropertyPage)
    ON_BN_CLICKED(1240, OnFilterClicked)
    ON_BN_CLICKED(1241, OnFilterClicked)
    ON_BN_CLICKED(1242, OnFilterClicked)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

constexpr DWORD CheckStyle = BS_AUTOCHECKBOX | WS_TABSTOP;

const DialogItemTemplate OrdersItems[] = {
    {"Button", 1240, 4, 4, 46, 10, CheckStyle, 0, "已成交"},
    {"Button", 1241, 54, 4, 46, 10, CheckStyle, 0, "已撤单"},
    {"Button", 1242, 104, 4, 50, 10, CheckStyle, 0, "错误委托"},
    {"SysListView32", 1004, 0, 20, 286, 84, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const char *const FilterKeys[3] = {"OrderDealed", "OrderDeleted", "OrderError"};

} // namespace

CQOrderPage::CQOrderPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&2委托", OrdersItems));
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
    m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    return TRUE;
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
    if (m_pOrderPage)
        m_pOrderPage->RefreshOrderList();
}

void CQOrderPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    // The boxes keep a strip of 32 pixels above the list.
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 32, cx, cy - 32 > 0 ? cy - 32 : 0);
}
