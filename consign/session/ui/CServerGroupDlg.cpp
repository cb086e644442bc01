#include "consign/session/ui/CServerGroupDlg.h"

#include <cstdio>

#include "consign/session/ConsignState.h"
#include "consign/session/ui/SessionDialogs.h"
#include "consign/session/ui/SiteKeys.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

namespace {

const int CheckIds[3] = {1225, 1237, 1243};
const int AddressIds[3] = {1233, 1231, 1240};
const int PortIds[3] = {1206, 1236, 1242};

} // namespace

BEGIN_MESSAGE_MAP(CServerGroupDlg, CDialog)
    ON_BN_CLICKED(1202, OnIdentityCheck)
    ON_CBN_SELCHANGE(1193, OnPluginChange)
    ON_BN_CLICKED(1225, OnServerCheck)
    ON_BN_CLICKED(1237, OnServerCheck)
    ON_BN_CLICKED(1243, OnServerCheck)
END_MESSAGE_MAP()

CServerGroupDlg::CServerGroupDlg(CWnd *pParent) : CDialog(IDD_SERVER_GROUP, pParent)
{
    RegisterSessionDialogs();
}

void CServerGroupDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1193, pluginList_);
}

BOOL CServerGroupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    PlaceAtOwnersCorner(*this);
    ListIdentityPlugins(plugins_);
    for (const IdentityPluginInfo &p : plugins_)
        pluginList_.AddString(p.caption);
    if (!plugins_.empty())
        pluginList_.SetCurSel(0);
    if (ReadServerCount() == 0)
        m_nMode = ADD;
    if (m_nMode == CHANGE) {
        int site = ReadServerSelect();
        const int count = ReadServerCount();
        site = site > count ? count : site < 1 ? 1 : site;
        SetDlgItemText(1222, ReadGroupText(site, "ServerName"));
        for (int k = 0; k < 3; ++k) {
            char key[16];
            std::snprintf(key, sizeof key, "UseServer%d", k + 1);
            CheckDlgButton(CheckIds[k], ReadGroupInt(site, key) != 0);
            std::snprintf(key, sizeof key, "Server%dIP", k + 1);
            SetDlgItemText(AddressIds[k], ReadGroupText(site, key));
            std::snprintf(key, sizeof key, "Server%dPort", k + 1);
            SetDlgItemText(PortIds[k], ReadGroupText(site, key));
        }
        SetDlgItemText(1234, ReadGroupText(site, "ValidateIP"));
        SetDlgItemText(1235, ReadGroupText(site, "ValidatePort"));
        const bool identity = ReadGroupInt(site, "UseValidate") != 0 && !plugins_.empty();
        CheckDlgButton(1202, identity);
        if (identity) {
            const CString library = ReadGroupText(site, "ValidateDll");
            for (size_t i = 0; i < plugins_.size(); ++i)
                if (plugins_[i].fileName.CompareNoCase(library) == 0)
                    pluginList_.SetCurSel(static_cast<int>(i));
        }
    }
    EnableFields();
    return TRUE;
}

void CServerGroupDlg::EnableFields()
{
    const BOOL identity = IsDlgButtonChecked(1202) ? TRUE : FALSE;
    const int plugin = pluginList_.GetCurSel();
    const bool defaultAddress =
        plugin >= 0 && plugin < static_cast<int>(plugins_.size()) && plugins_[plugin].defaultAddress != 0;
    GetDlgItem(1193)->EnableWindow(identity);
    GetDlgItem(1234)->EnableWindow(identity && !defaultAddress);
    GetDlgItem(1199)->EnableWindow(identity && !defaultAddress);
    GetDlgItem(1235)->EnableWindow(identity);
    for (int k = 0; k < 3; ++k) {
        const BOOL on = IsDlgButtonChecked(CheckIds[k]) ? TRUE : FALSE;
        GetDlgItem(AddressIds[k])->EnableWindow(on);
        GetDlgItem(PortIds[k])->EnableWindow(on);
    }
}

void CServerGroupDlg::OnIdentityCheck()
{
    if (IsDlgButtonChecked(1202) && plugins_.empty()) {
        CheckDlgButton(1202, BST_UNCHECKED);
        MessageBox("没有身份认证动态连接库！", "错误", MB_OK | MB_ICONSTOP);
    }
    EnableFields();
}

void CServerGroupDlg::OnPluginChange() { EnableFields(); }
void CServerGroupDlg::OnServerCheck() { EnableFields(); }

void CServerGroupDlg::OnOK()
{
    CWnd *focus = CWnd::GetFocus();
    if (!focus || focus->m_hWnd != GetDlgItem(IDOK)->m_hWnd) {
        NextDlgCtrl();
        return;
    }
    auto fail = [&](const char *text) { MessageBox(text, "错误", MB_OK | MB_ICONSTOP); };
    CString name, identityAddress, identityPort;
    GetDlgItemText(1222, name);
    GetDlgItemText(1234, identityAddress);
    GetDlgItemText(1235, identityPort);
    const bool identity = IsDlgButtonChecked(1202) != 0;
    const int plugin = pluginList_.GetCurSel();
    const IdentityPluginInfo *chosen =
        identity && plugin >= 0 && plugin < static_cast<int>(plugins_.size()) ? &plugins_[plugin] : nullptr;
    if (name.IsEmpty())
        return fail("服务器名为空");
    if (chosen && !chosen->defaultAddress) {
        if (identityAddress.IsEmpty())
            return fail("身份认证服务器地址为空");
        if (identityPort.IsEmpty())
            return fail("身份认证服务器端口号为空");
    }
    CString addresses[3], ports[3];
    bool enabled[3];
    int first = 0;
    for (int k = 0; k < 3; ++k) {
        enabled[k] = IsDlgButtonChecked(CheckIds[k]) != 0;
        GetDlgItemText(AddressIds[k], addresses[k]);
        GetDlgItemText(PortIds[k], ports[k]);
        if (enabled[k] && first == 0)
            first = k + 1;
    }
    if (first == 0)
        return fail("至少要设置一个服务器");
    for (int k = 0; k < 3; ++k) {
        if (!enabled[k])
            continue;
        char text[32];
        if (addresses[k].IsEmpty()) {
            std::snprintf(text, sizeof text, "服务器%d地址为空", k + 1);
            return fail(text);
        }
        if (ports[k].IsEmpty()) {
            std::snprintf(text, sizeof text, "服务器%d端口为空", k + 1);
            return fail(text);
        }
    }
    int count = ReadServerCount();
    int site;
    if (count == 0 || m_nMode == ADD) {
        site = ++count;
    } else {
        site = ReadServerSelect();
        site = site > count ? count : site < 1 ? 1 : site;
    }
    WriteGroupText(site, "ServerName", name);
    if (chosen) {
        WriteGroupText(site, "UseValidate", "1");
        WriteGroupText(site, "ValidateUsePassword", chosen->usePassword ? "1" : "0");
        WriteGroupText(site, "ValidateDefaultIP", chosen->defaultAddress ? "1" : "0");
        WriteGroupText(site, "ValidateIP", chosen->defaultAddress ? "" : static_cast<const char *>(identityAddress));
        WriteGroupText(site, "ValidatePort", chosen->defaultAddress ? "" : static_cast<const char *>(identityPort));
        WriteGroupText(site, "ValidateDll", chosen->fileName);
    } else {
        for (const char *key : {"UseValidate", "ValidateUsePassword", "ValidateDefaultIP"})
            WriteGroupText(site, key, "0");
        for (const char *key : {"ValidateIP", "ValidatePort", "ValidateDll"})
            WriteGroupText(site, key, "");
    }
    char value[16];
    std::snprintf(value, sizeof value, "%d", first);
    WriteGroupText(site, "FirstServer", value);
    for (int k = 0; k < 3; ++k) {
        char key[16];
        std::snprintf(key, sizeof key, "UseServer%d", k + 1);
        WriteGroupText(site, key, enabled[k] ? "1" : "0");
        std::snprintf(key, sizeof key, "Server%dIP", k + 1);
        WriteGroupText(site, key, addresses[k]);
        std::snprintf(key, sizeof key, "Server%dPort", k + 1);
        WriteGroupText(site, key, ports[k]);
    }
    WriteLoginInt("ServerCount", count);
    WriteLoginInt("ServerSelect", site);
    EndDialog(IDOK);
}
