#include "consign/pages/CKJJ.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CKJJ, CPropertyPage)
    ON_NOTIFY(NM_DBLCLK, 1293, OnDblClkList)
    ON_BN_CLICKED(1297, OnConfirm)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;

const DialogItemTemplate HotKeyItems[] = {
    {"Static", Label, 6, 10, 36, 8, SS_LEFT, 0, "快捷键"},
    {"Edit", 1294, 44, 8, 50, 12, EditStyle | WS_DISABLED, 0, ""},
    {"Static", Label, 6, 28, 36, 8, SS_LEFT, 0, "品种代码"},
    {"Edit", 1295, 44, 26, 50, 12, EditStyle, 0, ""},
    {"Static", Label, 6, 46, 36, 8, SS_LEFT, 0, "品种名称"},
    {"Edit", 1296, 44, 44, 50, 12, EditStyle, 0, ""},
    {"Button", 1297, 44, 64, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "确认"},
    {"SysListView32", 1293, 107, 5, 230, 125, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP,
     0, ""},
};

} // namespace

CKJJ::CKJJ() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 340, 135, "&D快捷键", HotKeyItems));
}

void CKJJ::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1293, m_List);
    DDX_Control(pDX, 1296, m_NameEdit);
    DDX_Control(pDX, 1295, m_CodeEdit);
    DDX_Control(pDX, 1294, m_KeyEdit);
}

BOOL CKJJ::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    m_List.InsertColumn(0, "快捷键", LVCFMT_LEFT, 56);
    m_List.InsertColumn(1, "品种方式", LVCFMT_LEFT, 80);
    m_List.InsertColumn(2, "品种名称", LVCFMT_RIGHT, 80);
    for (int i = 0; i < 10; ++i) {
        char key[4], code[128] = {}, name[128] = {};
        std::snprintf(key, sizeof key, "%d", i);
        GetPrivateProfileStringA("Variety key", key, "", code, sizeof code, SettingsPath);
        GetPrivateProfileStringA("Variety name", key, "", name, sizeof name, SettingsPath);
        m_List.InsertItem(i, key);
        m_List.SetItemText(i, 1, code);
        m_List.SetItemText(i, 2, name);
    }
    return TRUE;
}

BOOL CKJJ::OnSetActive()
{
    ShowSheetStatus("设置快捷键");
    return CPropertyPage::OnSetActive();
}

void CKJJ::OnOK() { NextDlgCtrl(); }

void CKJJ::OnDblClkList(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const int row = reinterpret_cast<NMITEMACTIVATE *>(pNMHDR)->iItem;
    if (row < 0 || row >= m_List.GetItemCount())
        return;
    m_KeyEdit.SetWindowText(m_List.GetItemText(row, 0));
    m_CodeEdit.SetWindowText(m_List.GetItemText(row, 1));
    m_NameEdit.SetWindowText(m_List.GetItemText(row, 2));
    m_CodeEdit.SetFocus();
}

void CKJJ::OnConfirm()
{
    CString key, code, name;
    m_KeyEdit.GetWindowText(key);
    m_CodeEdit.GetWindowText(code);
    m_NameEdit.GetWindowText(name);
    if (!key.IsEmpty()) {
        const int row = std::atoi(key);
        // Only the ten rows of the table can be changed.
        if (row >= 0 && row < m_List.GetItemCount()) {
            m_List.SetItemText(row, 0, key);
            m_List.SetItemText(row, 1, code);
            m_List.SetItemText(row, 2, name);
        }
    }
    WritePrivateProfileStringA("Variety key", key, code, SettingsPath);
    WritePrivateProfileStringA("Variety name", key, name, SettingsPath);
    m_KeyEdit.SetWindowText("");
    m_CodeEdit.SetWindowText("");
    m_NameEdit.SetWindowText("");
}

void CKJJ::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(160, 8, cx - 4 - 160, cy - 4 - 8);
}
