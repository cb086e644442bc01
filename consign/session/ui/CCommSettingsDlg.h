// The comm dialog of the login: chooses the site, shows its three servers,
// sets the server tried first and the SOCKS5 proxy, and adds, changes or
// deletes sites (through the server-group dialog).
#pragma once

#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDialog.h"

class CCommSettingsDlg : public win::CDialog {
public:
    explicit CCommSettingsDlg(win::CWnd *pParent = nullptr);

    win::BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The first-server radio button k (1 to 3) was chosen.
    void ChooseFirstServer(int k);
    // The three site buttons.
    void OnAddSite();
    void OnChangeSite();
    void OnDeleteSite();

protected:
    void OnSiteChange();
    void OnProxyCheck();
    void OnRadio1() { ChooseFirstServer(1); }
    void OnRadio2() { ChooseFirstServer(2); }
    void OnRadio3() { ChooseFirstServer(3); }
    DECLARE_MESSAGE_MAP()

private:
    void ListSites();
    void ShowSite();
    void EnableProxyFields();
    int SelectedSite() const { return sites_.GetCurSel() + 1; }

    win::CComboBox sites_;
};
