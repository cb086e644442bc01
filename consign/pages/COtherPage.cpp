#include "consign/pages/COtherPage.h"

#include <cstdio>
#include <iterator>

#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "consign/session/IdentityPlugin.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(COtherPage, CPropertyPage)
    ON_BN_CLICKED(1010, OnChangePassword)
    ON_BN_CLICKED(1124, OnPopup)
    ON_BN_CLICKED(1125, OnTakeData)
    ON_BN_CLICKED(1126, OnTakeData)
    ON_BN_CLICKED(1059, OnTakeData)
    ON_EN_CHANGE(1128, OnTakeData)
    ON_BN_CLICKED(1226, OnAlwaysOnTop)
END_MESSAGE_MAP()

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD PasswordStyle = EditStyle | ES_PASSWORD;
constexpr DWORD CheckStyle = BS_AUTOCHECKBOX | WS_TABSTOP;

const DialogItemTemplate OtherItems[] = {
    {"Button", Label, 4, 2, 160, 78, BS_GROUPBOX, 0, " 更改密码 "},
    {"Button", 1222, 10, 13, 46, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, "交易密码"},
    {"Button", 1223, 58, 13, 46, 10, BS_AUTORADIOBUTTON, 0, "资金密码"},
    {"Button", 1228, 106, 13, 46, 10, BS_AUTORADIOBUTTON, 0, "通讯密码"},
    {"Static", Label, 10, 28, 36, 8, SS_LEFT, 0, "旧密码"},
    {"Edit", 1001, 50, 26, 66, 12, PasswordStyle | WS_GROUP, 0, ""},
    {"Static", Label, 10, 43, 36, 8, SS_LEFT, 0, "新密码"},
    {"Edit", 1002, 50, 41, 66, 12, PasswordStyle, 0, ""},
    {"Static", Label, 10, 58, 36, 8, SS_LEFT, 0, "确认密码"},
    {"Edit", 1003, 50, 56, 66, 12, PasswordStyle, 0, ""},
    {"Button", 1010, 120, 56, 40, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "更改密码"},
    {"Static", Label, 10, 88, 40, 8, SS_LEFT, 0, "窗口样式："},
    {"Button", 1226, 54, 87, 60, 10, CheckStyle, 0, "始终在顶层"},
    {"Button", Label, 4, 100, 160, 33, BS_GROUPBOX, 0, " 帮助 "},
    {"Static", 1051, 10, 110, 150, 8, SS_LEFT, 0, ""},
    {"Static", 1052, 10, 120, 150, 8, SS_LEFT, 0, "ALT + 数字键切换到相应页"},
    {"Static", 1053, 10, 130, 150, 8, SS_LEFT, 0, "上下箭头切换输入框"},
    {"Button", Label, 170, 2, 166, 78, BS_GROUPBOX, 0, " 信息提示 "},
    {"Button", 1124, 176, 14, 60, 10, CheckStyle, 0, "弹出窗口"},
    {"Button", 1125, 186, 28, 60, 10, CheckStyle, 0, "系统信息"},
    {"Button", 1126, 250, 28, 60, 10, CheckStyle, 0, "人工信息"},
    {"Button", 1244, 186, 42, 60, 10, CheckStyle, 0, "错误信息"},
    {"Static", 1129, 186, 60, 50, 8, SS_LEFT, 0, "窗口停留时间"},
    {"Edit", 1128, 238, 58, 30, 12, EditStyle | ES_NUMBER, 0, ""},
    {"Static", 1130, 272, 60, 12, 8, SS_LEFT, 0, "秒"},
};

// The options are 0 or 1 in the file; any other value counts as off.
int ReadOption(LPCSTR key)
{
    const int value = static_cast<int>(GetPrivateProfileIntA("Config", key, 0, SettingsPath));
    return value == 1 ? 1 : 0;
}

void WriteOption(LPCSTR key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA("Config", key, text, SettingsPath);
}

} // namespace

COtherPage::COtherPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 340, 135, "&C其它", OtherItems));
}

void COtherPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1226, m_OnTopButton);
    DDX_Text(pDX, 1001, m_strOldPassword);
    DDV_MaxChars(pDX, m_strOldPassword, 10);
    DDX_Text(pDX, 1002, m_strNewPassword);
    DDV_MaxChars(pDX, m_strNewPassword, 10);
    DDX_Text(pDX, 1003, m_strConfirm);
    DDV_MaxChars(pDX, m_strConfirm, 10);
    DDX_Check(pDX, 1126, m_bManualInfo);
    DDX_Check(pDX, 1124, m_bPopup);
    DDX_Check(pDX, 1125, m_bSystemInfo);
    DDX_Text(pDX, 1128, m_nStay);
    DDV_MinMaxInt(pDX, m_nStay, 0, 999);
    DDX_Radio(pDX, 1222, m_nPasswordKind);
    DDX_Check(pDX, 1226, m_bAlwaysOnTop);
    DDX_Check(pDX, 1244, m_bErrorInfo);
}

void COtherPage::LoadOptions()
{
    m_bAlwaysOnTop = ReadOption("SysModal");
    m_bPopup = ReadOption("InfoPopup");
    m_bSystemInfo = ReadOption("SystemInfo");
    m_bManualInfo = ReadOption("ManualInfo");
    m_bErrorInfo = ReadOption("ErrorInfo");
    // A stay time outside what the field accepts is brought into its range, so
    // that the page can be left and the value written back is a valid one.
    const int stay = static_cast<int>(GetPrivateProfileIntA("Config", "InfoWindowStay", 0, SettingsPath));
    m_nStay = stay < 0 ? 0 : stay > 999 ? 999 : stay;
}

void COtherPage::TakeOptions()
{
    if (m_hWnd)
        UpdateData(TRUE);
}

BOOL COtherPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    LoadOptions();
    m_nPasswordKind = 0;
    UpdateData(FALSE);
    if (!m_bPopup)
        EnablePopupOptions(false, false);
    if (ClientMode == 1)
        if (CWnd *fund = GetDlgItem(1223))
            fund->EnableWindow(FALSE);
    return TRUE;
}

void COtherPage::EnablePopupOptions(bool enable, bool withErrors)
{
    for (int id : {1125, 1126, 1128, 1129, 1130})
        if (CWnd *control = GetDlgItem(id))
            control->EnableWindow(enable);
    if (withErrors)
        if (CWnd *errors = GetDlgItem(1244))
            errors->EnableWindow(enable);
}

BOOL COtherPage::OnSetActive()
{
    CString help;
    help.Format("按 %s 隐藏，再按一次显示", static_cast<LPCSTR>(HotKeyText));
    SetDlgItemText(1051, help);
    ShowSheetStatus("本页可以修改密码");
    return CPropertyPage::OnSetActive();
}

BOOL COtherPage::OnKillActive()
{
    UpdateData(TRUE);
    return CPropertyPage::OnKillActive();
}

void COtherPage::OnPopup()
{
    UpdateData(TRUE);
    EnablePopupOptions(m_bPopup != 0, true);
}

void COtherPage::OnTakeData() { UpdateData(TRUE); }

void COtherPage::OnAlwaysOnTop()
{
    CWnd *main = AfxGetMainWnd();
    if (!main || !main->m_hWnd)
        return;
    main->SetWindowPos(m_OnTopButton.GetCheck() ? &wndTopMost : &wndNoTopMost, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
}

void COtherPage::OnChangePassword()
{
    UpdateData(TRUE);
    if (m_strNewPassword != m_strConfirm) {
        ShowSheetStatus("两次输入的密码不一致");
    } else {
        CTradeSession &session = TheTradeSession();
        switch (m_nPasswordKind) {
        case 0:
            if (session.ChangeTradePassword(LoginAccount, m_strOldPassword, m_strNewPassword))
                ShowSheetStatus("交易密码修改成功");
            else
                ShowSheetStatus(session.m_szMessage);
            break;
        case 1:
            if (session.ChangeFundPassword(m_strOldPassword, m_strNewPassword))
                ShowSheetStatus("资金密码修改成功");
            else
                ShowSheetStatus(session.m_szMessage);
            break;
        case 2:
            ChangeCommPassword(m_strOldPassword, m_strNewPassword);
            break;
        default:
            break;
        }
    }
    m_strOldPassword.Empty();
    m_strNewPassword.Empty();
    m_strConfirm.Empty();
    UpdateData(FALSE);
}

BOOL COtherPage::ChangeCommPassword(LPCSTR oldPassword, LPCSTR newPassword)
{
    const ConnectionSettings &c = LoginConnection;
    const IdentityRequest request{c.identityLibrary, c.identityAddress, c.identityPort, c.customer,
                                  c.proxyInUse,      c.proxyAddress,     c.proxyPort};
    CString message;
    const BOOL changed = ChangeIdentityPassword(c.identityInUse, request, oldPassword, newPassword, message);
    AfxMessageBox(message, MB_ICONINFORMATION);
    return changed;
}

void COtherPage::SaveOptions() const
{
    WriteOption("SysModal", m_bAlwaysOnTop ? 1 : 0);
    WriteOption("InfoPopup", m_bPopup ? 1 : 0);
    WriteOption("SystemInfo", m_bSystemInfo ? 1 : 0);
    WriteOption("ManualInfo", m_bManualInfo ? 1 : 0);
    WriteOption("ErrorInfo", m_bErrorInfo ? 1 : 0);
    WriteOption("InfoWindowStay", m_nStay);
}
