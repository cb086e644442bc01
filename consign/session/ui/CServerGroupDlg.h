// The server-group dialog: one site's name, its identity plug-in and its three
// gateway servers, added as a new site or changing the selected one.
#pragma once

#include <vector>

#include "consign/session/IdentityPlugin.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDialog.h"

class CServerGroupDlg : public win::CDialog {
public:
    enum { ADD = 0, CHANGE = 1 };
    explicit CServerGroupDlg(win::CWnd *pParent = nullptr);

    int m_nMode = ADD;

    win::BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The identity plug-ins found, in list order.
    const std::vector<IdentityPluginInfo> &Plugins() const { return plugins_; }

protected:
    void OnIdentityCheck();
    void OnPluginChange();
    void OnServerCheck();
    DECLARE_MESSAGE_MAP()

private:
    void EnableFields();
    win::CComboBox pluginList_;
    std::vector<IdentityPluginInfo> plugins_;
};
