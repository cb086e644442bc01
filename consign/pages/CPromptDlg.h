// A short text shown for a few seconds ([Config] Warn milliseconds) without
// blocking anything. Made on the heap and shown modeless; it deletes itself
// when its window is gone.
#pragma once

#include "platform/appframe/CDialog.h"

class CPromptDlg : public win::CDialog {
public:
    enum { IDD = 155 };
    explicit CPromptDlg(win::LPCSTR text = nullptr, win::CWnd *pParent = nullptr);

    // A given text replaces the stored one; makes and shows the window.
    void ShowText(win::LPCSTR text = nullptr);

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    win::CString m_strText;

protected:
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(win::UINT_PTR nIDEvent);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    win::CWnd *parent_;
};
