// The About box of the order client: its picture, the program's name and
// version, and a few fixed lines. Run modally from the system menu.
#pragma once

#include "platform/appframe/CDialog.h"
#include "platform/appframe/CGdiObject.h"

class CAboutDlg : public win::CDialog {
public:
    enum { IDD = 100, IDB_ABOUT = 144 };
    explicit CAboutDlg(win::LPCSTR programName, win::CWnd *pParent = nullptr);
    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    win::CString m_strProgramName;

private:
    win::CBitmap picture_;
};
