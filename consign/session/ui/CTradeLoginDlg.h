// The login dialog: the site, the fund account, the trade password and, for a
// site whose identity plug-in wants one, the identity password; both passwords
// can be entered on the keypad. It writes the chosen site and the remembered
// user name to [Login].
#pragma once

#include "consign/session/ui/CPadButton.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDialog.h"

class CTradeLoginDlg : public win::CDialog {
public:
    explicit CTradeLoginDlg(win::CWnd *pParent = nullptr);

    // The texts as typed, taken on OK.
    win::CString m_strUser;
    win::CString m_strPassword;
    win::CString m_strIdentityPassword;

    win::BOOL OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // Fills the site list from [Login] and [ServerGroup<n>] and enables the
    // identity password for a site that uses it.
    void FillSites();

protected:
    void OnSiteChange();
    void OnCommSettings();
    void OnTradeKeypad();
    void OnIdentityKeypad();
    DECLARE_MESSAGE_MAP()

private:
    // Writes [Login] ServerSelect from the selection, clamped to the list.
    void WriteSelection();
    bool SiteWantsIdentityPassword(int site) const;

    win::CComboBox sites_;
    CPadButton tradePad_;
    CPadButton identityPad_;
};
