// The connection test shown after a failed login: the enabled servers of the
// chosen site, and for the selected one a plain TCP connect (through the proxy's
// address when a proxy is in use) with its result.
#pragma once

#include <vector>

#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDialog.h"

class CServerTestDlg : public win::CDialog {
public:
    explicit CServerTestDlg(win::CWnd *pParent = nullptr);

    win::BOOL OnInitDialog() override;
    // "测试": connects and shows the result; the dialog stays.
    void OnOK() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

protected:
    void OnAddressChange();
    DECLARE_MESSAGE_MAP()

private:
    win::CComboBox addresses_;
    std::vector<win::UINT> ports_;
};
