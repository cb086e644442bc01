// Asks for the number of the order to cancel; run modally, the caller reads
// the number after OK.
#pragma once

#include "platform/appframe/CDialog.h"

class CCancelConfirmDlg : public win::CDialog {
public:
    enum { IDD = 145 };
    explicit CCancelConfirmDlg(win::CWnd *pParent = nullptr);
    void DoDataExchange(win::CDataExchange *pDX) override;

    int m_nOrderNumber = 0;
};
