// The options page: changing the trade, fund or communication password, keeping
// the main window on top, and which received messages and errors pop up and for
// how long. The main sheet writes the options at close and asks them when a
// message or an error arrives.
#pragma once

#include "platform/appframe/CButton.h"
#include "platform/appframe/CPropertyPage.h"

class COtherPage : public win::CPropertyPage {
public:
    enum { IDD = 134 };
    COtherPage();

    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    win::BOOL OnKillActive() override;

    // The communication (identity) password through the identity plug-in of the
    // chosen server group; the outcome is shown in a message box.
    win::BOOL ChangeCommPassword(win::LPCSTR oldPassword, win::LPCSTR newPassword);

    // Reads the options from [Config] of the settings file: by the page's
    // initialisation, and by the sheet at its start, so that the pop-ups and the
    // save at close have them before the page was ever shown.
    void LoadOptions();
    // Takes the options from the controls when the page exists.
    void TakeOptions();
    // Writes SysModal, InfoPopup, SystemInfo, ManualInfo, ErrorInfo ("1" or "0")
    // and InfoWindowStay to [Config] of the settings file.
    void SaveOptions() const;

    win::CButton m_OnTopButton;
    win::CString m_strOldPassword;
    win::CString m_strNewPassword;
    win::CString m_strConfirm;
    int m_bManualInfo = 0;
    int m_bPopup = 0;
    int m_bSystemInfo = 0;
    int m_nStay = 0;
    int m_nPasswordKind = 0;
    int m_bAlwaysOnTop = 0;
    int m_bErrorInfo = 0;

protected:
    void OnChangePassword();
    void OnPopup();
    void OnTakeData();
    void OnAlwaysOnTop();
    DECLARE_MESSAGE_MAP()

private:
    void EnablePopupOptions(bool enable, bool withErrors);
};
