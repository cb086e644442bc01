// A dialog whose controls follow its size through a sizing manager, and which
// opens larger than its template by a grow percentage.
#pragma once

#include "consign/pages/cdxCSizingManager.h"
#include "platform/appframe/CDialog.h"

class cdxCSizingDialog : public win::CDialog {
public:
    explicit cdxCSizingDialog(win::UINT nIDTemplate, win::CWnd *pParentWnd = nullptr, bool grip = false);

    // The plain initialisation grows the dialog by 10.
    win::BOOL OnInitDialog() override;
    // The base initialisation, then the manager's with `growPercent`; deriving
    // dialogs call it from their own initialisation.
    virtual win::BOOL OnInitDialog(int growPercent);
    win::BOOL DestroyWindow() override;

    cdxCSizingManager m_Manager;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(win::MINMAXINFO *lpMMI);
    DECLARE_MESSAGE_MAP()
};
