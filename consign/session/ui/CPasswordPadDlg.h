// The password keypad: the trade or identity password entered with the mouse on
// digit keys that may be shuffled, each change written straight into the
// password field of the login dialog that opened it.
#pragma once

#include "consign/session/ui/CPadButton.h"
#include "platform/appframe/CDialog.h"

class CPasswordPadDlg : public win::CDialog {
public:
    explicit CPasswordPadDlg(win::CWnd *pParent = nullptr);

    // 0 the trade password (field 1022), 1 the identity password (1216) of the
    // parent dialog.
    int m_nTarget = 0;
    // The digits entered, at most 10.
    win::CString m_strText;

    win::BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    win::BOOL OnCommand(win::WPARAM wParam, win::LPARAM lParam) override;

    // Lays the digits on the slots, shuffled when `shuffle` is set, and loads
    // their pictures.
    static void LayOutSlots(bool shuffle);

    static constexpr int MAX_DIGITS = 10;

protected:
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void CopyToTarget();
    CPadButton keys_[10];
};
