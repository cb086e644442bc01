#include "consign/session/ui/CTradeLoginDlg.h"

#include "consign/session/ConsignState.h"
#include "consign/session/ui/CCommSettingsDlg.h"
#include "consign/session/ui/CPasswordPadDlg.h"
#include "consign/session/ui/SessionDialogs.h"
#include "consign/session/ui/SiteKeys.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

BEGIN_MESSAGE_MAP(CTradeLoginDlg, CDialog)
    ON_CBN_SELCHANGE(1067, OnSiteChange)
    ON_BN_CLICKED(1058, OnCommSettings)
    ON_BN_CLICKED(1175, OnTradeKeypad)
    ON_BN_CLICKED(1217, OnIdentityKeypad)
END_MESSAGE_MAP()

CTradeLoginDlg::CTradeLoginDlg(CWnd *pParent) : CDialog(IDD_TRADE_LOGIN, pParent)
{
    RegisterSessionDialogs();
}

void CTradeLoginDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1067, sites_);
}

BOOL CTradeLoginDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ConvertOldLayouts(SettingsPath);
    SendDlgItemMessage(1022, EM_LIMITTEXT, 10);
    FillSites();
    if (ReadLoginInt("SaveName", 0) != 0) {
        CheckDlgButton(1142, BST_CHECKED);
        SetDlgItemText(1021, ReadLoginText("LoginName"));
    }
    tradePad_.SubclassDlgItem(1175, this);
    identityPad_.SubclassDlgItem(1217, this);
    return TRUE;
}

bool CTradeLoginDlg::SiteWantsIdentityPassword(int site) const
{
    return site >= 1 && ReadGroupInt(site, "UseValidate") != 0 && ReadGroupInt(site, "ValidateUsePassword") != 0;
}

void CTradeLoginDlg::FillSites()
{
    GetDlgItem(1216)->EnableWindow(FALSE);
    GetDlgItem(1217)->EnableWindow(FALSE);
    sites_.ResetContent();
    const int count = ReadServerCount();
    if (count == 0)
        return;
    for (int n = 1; n <= count; ++n)
        sites_.AddString(ReadGroupText(n, "ServerName"));
    int select = ReadServerSelect() - 1;
    if (select < 0)
        select = 0;
    if (select >= count)
        select = count - 1;
    sites_.SetCurSel(select);
    if (SiteWantsIdentityPassword(select + 1)) {
        GetDlgItem(1216)->EnableWindow(TRUE);
        GetDlgItem(1217)->EnableWindow(TRUE);
    }
}

void CTradeLoginDlg::WriteSelection()
{
    const int count = sites_.GetCount();
    int select = sites_.GetCurSel() + 1;
    if (select > count)
        select = count;
    if (select < 1)
        select = 1;
    WriteLoginInt("ServerSelect", select);
}

void CTradeLoginDlg::OnSiteChange()
{
    WriteLoginInt("ServerSelect", sites_.GetCurSel() + 1);
    FillSites();
}

void CTradeLoginDlg::OnCommSettings()
{
    if (sites_.GetCurSel() >= 0)
        WriteLoginInt("ServerSelect", sites_.GetCurSel() + 1);
    CCommSettingsDlg dialog(this);
    if (dialog.DoModal() != IDCANCEL)
        FillSites();
}

void CTradeLoginDlg::OnTradeKeypad()
{
    CPasswordPadDlg pad(this);
    pad.m_nTarget = 0;
    if (pad.DoModal() == IDOK) {
        const int site = sites_.GetCurSel() + 1;
        GotoDlgCtrl(GetDlgItem(site >= 1 && SiteWantsIdentityPassword(site) ? 1216 : IDOK));
    } else {
        GotoDlgCtrl(GetDlgItem(IDCANCEL));
    }
}

void CTradeLoginDlg::OnIdentityKeypad()
{
    CPasswordPadDlg pad(this);
    pad.m_nTarget = 1;
    GotoDlgCtrl(GetDlgItem(pad.DoModal() == IDOK ? IDOK : IDCANCEL));
}

void CTradeLoginDlg::OnOK()
{
    CWnd *focus = CWnd::GetFocus();
    if (!focus || focus->m_hWnd != GetDlgItem(IDOK)->m_hWnd) {
        NextDlgCtrl();
        return;
    }
    WriteSelection();
    GetDlgItemText(1021, m_strUser);
    GetDlgItemText(1022, m_strPassword);
    GetDlgItemText(1216, m_strIdentityPassword);
    const char *error = nullptr;
    const int site = sites_.GetCurSel() + 1;
    if (sites_.GetCount() == 0 || site < 1)
        error = "服务器名为空";
    else if (m_strUser.IsEmpty())
        error = "资金帐号为空";
    else if (m_strPassword.IsEmpty())
        error = "交易密码为空";
    else if (SiteWantsIdentityPassword(site) && m_strIdentityPassword.IsEmpty())
        error = "认证密码为空";
    if (error) {
        MessageBox(error, "错误", MB_OK | MB_ICONSTOP);
        return;
    }
    if (IsDlgButtonChecked(1142)) {
        WriteLoginText("SaveName", "1");
        WriteLoginText("LoginName", m_strUser);
    } else {
        WriteLoginText("SaveName", "0");
        WriteLoginText("LoginName", "");
    }
    EndDialog(IDOK);
}
