// Shows a settlement statement and lets the customer accept it. The session's
// settlement flag sets the mode: '1' shows the statement only, '2' asks for the
// choice 认可 before 确认 can be pressed.
#pragma once

#include "consign/pages/cdxCSizingDialog.h"
#include "platform/win/CString.h"

class CSettleConfirmDlg : public cdxCSizingDialog {
public:
    enum { IDD = 160 };
    explicit CSettleConfirmDlg(win::CWnd *pParent = nullptr);

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    win::CString m_strStatement; // 1150
    int m_nChoice = -1;          // 1111 认可 (0), 1112 不认可 (1)

protected:
    void OnChoice();
    DECLARE_MESSAGE_MAP()
};

// The statement text as the confirmation shows it: each line feed of the file
// becomes "\r\n"; nothing else changes.
win::CString JoinStatementLines(const char *text, size_t length);
