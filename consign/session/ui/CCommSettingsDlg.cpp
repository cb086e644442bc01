#include "consign/session/ui/CCommSettingsDlg.h"

#include <cstdio>
#include <string>
#include <vector>

#include "consign/session/ConsignState.h"
#include "consign/session/ui/CServerGroupDlg.h"
#include "consign/session/ui/SessionDialogs.h"
#include "consign/session/ui/SiteKeys.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

const UINT AddressIds[3] = {1204, 1205, 1206};
const UINT PortIds[3] = {1232, 1234, 1235};
const UINT UsableIds[3] = {1242, 1240, 1244};
const UINT ProxyFieldIds[] = {1203, 1060, 1246, 1247};

// The key names of a section, in file order.
std::vector<std::string> SectionKeys(const CString &section)
{
    std::vector<char> names(32768);
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", names.data(),
                                                  static_cast<DWORD>(names.size()), SettingsPath);
    std::vector<std::string> keys;
    for (DWORD at = 0; at < length && names[at];) {
        keys.emplace_back(&names[at]);
        at += static_cast<DWORD>(keys.back().size()) + 1;
    }
    return keys;
}

} // namespace

BEGIN_MESSAGE_MAP(CCommSettingsDlg, CDialog)
    ON_CBN_SELCHANGE(1057, OnSiteChange)
    ON_BN_CLICKED(1059, OnProxyCheck)
    ON_BN_CLICKED(1236, OnRadio1)
    ON_BN_CLICKED(1237, OnRadio2)
    ON_BN_CLICKED(1238, OnRadio3)
    ON_BN_CLICKED(1009, OnAddSite)
    ON_BN_CLICKED(1062, OnChangeSite)
    ON_BN_CLICKED(1061, OnDeleteSite)
END_MESSAGE_MAP()

CCommSettingsDlg::CCommSettingsDlg(CWnd *pParent) : CDialog(IDD_COMM_SETTINGS, pParent)
{
    RegisterSessionDialogs();
}

void CCommSettingsDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1057, sites_);
}

BOOL CCommSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlaceAtOwnersCorner(*this);
    SetDlgItemText(1203, ReadLoginText("ProxyIP"));
    SetDlgItemText(1060, ReadLoginText("ProxyPort", "1080"));
    SetDlgItemText(1246, ReadLoginText("ProxyUserName"));
    SetDlgItemText(1247, ReadLoginText("ProxyPassword"));
    CheckDlgButton(1059, ReadLoginInt("ProxyInuse") != 0 ? BST_CHECKED : BST_UNCHECKED);
    EnableProxyFields();
    ListSites();
    return TRUE;
}

void CCommSettingsDlg::EnableProxyFields()
{
    const BOOL on = IsDlgButtonChecked(1059) ? TRUE : FALSE;
    for (UINT id : ProxyFieldIds)
        GetDlgItem(static_cast<int>(id))->EnableWindow(on);
}

void CCommSettingsDlg::OnProxyCheck() { EnableProxyFields(); }

void CCommSettingsDlg::ListSites()
{
    sites_.ResetContent();
    const int count = ReadServerCount();
    for (int n = 1; n <= count; ++n)
        sites_.AddString(ReadGroupText(n, "ServerName"));
    if (count > 0) {
        int select = ReadServerSelect() - 1;
        select = select < 0 ? 0 : select >= count ? count - 1 : select;
        sites_.SetCurSel(select);
    }
    ShowSite();
}

void CCommSettingsDlg::ShowSite()
{
    const int site = SelectedSite();
    for (int k = 0; k < 3; ++k) {
        char key[16];
        std::snprintf(key, sizeof key, "Server%dIP", k + 1);
        SetDlgItemText(static_cast<int>(AddressIds[k]), site >= 1 ? ReadGroupText(site, key) : CString());
        std::snprintf(key, sizeof key, "Server%dPort", k + 1);
        SetDlgItemText(static_cast<int>(PortIds[k]), site >= 1 ? ReadGroupText(site, key) : CString());
        std::snprintf(key, sizeof key, "UseServer%d", k + 1);
        CheckDlgButton(static_cast<int>(UsableIds[k]), site >= 1 && ReadGroupInt(site, key) != 0);
        GetDlgItem(static_cast<int>(UsableIds[k]))->EnableWindow(FALSE);
    }
    int first = site >= 1 ? ReadGroupInt(site, "FirstServer", 1) : 1;
    first = first < 1 ? 1 : first > 3 ? 3 : first;
    CheckRadioButton(1236, 1238, 1235 + first);
}

void CCommSettingsDlg::OnSiteChange() { ShowSite(); }

void CCommSettingsDlg::ChooseFirstServer(int k)
{
    const int site = SelectedSite();
    if (site < 1 || k < 1 || k > 3)
        return;
    auto usable = [&](int n) {
        char key[16];
        std::snprintf(key, sizeof key, "UseServer%d", n);
        return ReadGroupInt(site, key) != 0;
    };
    int chosen = k;
    if (!usable(k)) {
        char text[32];
        std::snprintf(text, sizeof text, "服务器%d已被禁用", k);
        MessageBox(text, "提醒", MB_OK | MB_ICONINFORMATION);
        // The others in the order the original choice falls back to.
        static const int fallback[4][2] = {{0, 0}, {2, 3}, {1, 3}, {1, 2}};
        chosen = usable(fallback[k][0]) ? fallback[k][0] : fallback[k][1];
    }
    CheckRadioButton(1236, 1238, 1235 + chosen);
    char value[4];
    std::snprintf(value, sizeof value, "%d", chosen);
    WriteGroupText(site, "FirstServer", value);
}

void CCommSettingsDlg::OnAddSite()
{
    if (ReadLoginInt("ServerCount") >= MAX_SITES) {
        char text[64];
        std::snprintf(text, sizeof text, "最多可以设定 %d 个服务器地址", MAX_SITES);
        MessageBox(text, "信息", MB_OK | MB_ICONINFORMATION);
        return;
    }
    CServerGroupDlg dialog(this);
    dialog.m_nMode = CServerGroupDlg::ADD;
    if (dialog.DoModal() == IDOK)
        ListSites();
}

void CCommSettingsDlg::OnChangeSite()
{
    if (sites_.GetCurSel() >= 0)
        WriteLoginInt("ServerSelect", SelectedSite());
    CServerGroupDlg dialog(this);
    dialog.m_nMode = CServerGroupDlg::CHANGE;
    if (dialog.DoModal() == IDOK)
        ListSites();
}

void CCommSettingsDlg::OnDeleteSite()
{
    const int site = SelectedSite();
    if (site < 1)
        return;
    CString name;
    sites_.GetLBText(sites_.GetCurSel(), name);
    CString question = "服务器名：";
    question += name;
    question += "\r\n";
    question += "确认要删除吗？";
    if (MessageBox(question, "确认", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const int count = ReadServerCount();
    for (int n = site; n < count; ++n) {
        const CString from = GroupSection(n + 1), to = GroupSection(n);
        WritePrivateProfileStringA(to, nullptr, nullptr, SettingsPath);
        for (const std::string &key : SectionKeys(from)) {
            char value[512] = {};
            GetPrivateProfileStringA(from, key.c_str(), "", value, sizeof value, SettingsPath);
            WritePrivateProfileStringA(to, key.c_str(), value, SettingsPath);
        }
    }
    if (count >= 1)
        WritePrivateProfileStringA(GroupSection(count), nullptr, nullptr, SettingsPath);
    const int left = count >= 1 ? count - 1 : 0;
    WriteLoginInt("ServerCount", left);
    WriteLoginText("ServerSelect", left > 0 ? "1" : "0");
    ListSites();
}

void CCommSettingsDlg::OnOK()
{
    CWnd *focus = CWnd::GetFocus();
    if (!focus || focus->m_hWnd != GetDlgItem(IDOK)->m_hWnd)
        return;
    WriteLoginInt("ServerSelect", SelectedSite());
    const bool proxy = IsDlgButtonChecked(1059) != 0;
    CString address, port, user, password;
    GetDlgItemText(1203, address);
    GetDlgItemText(1060, port);
    GetDlgItemText(1246, user);
    GetDlgItemText(1247, password);
    if (proxy && address.IsEmpty()) {
        MessageBox("代理服务期地址为空", "错误", MB_OK | MB_ICONSTOP);
        return;
    }
    if (proxy && port.IsEmpty()) {
        MessageBox("代理服务期端口为空", "错误", MB_OK | MB_ICONSTOP);
        return;
    }
    WriteLoginText("ProxyInuse", proxy ? "1" : "0");
    WriteLoginText("ProxyIP", address);
    WriteLoginText("ProxyPort", port);
    WriteLoginText("ProxyUserName", user);
    WriteLoginText("ProxyPassword", password);
    EndDialog(IDOK);
}
