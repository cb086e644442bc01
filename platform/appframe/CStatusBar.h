// The framework's status bar: a CWnd over a status bar window with panes, each
// ending at a right edge (-1: the bar's right edge) and showing a text. The
// owner places it (it does not move itself to the bottom of its parent).
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"

namespace win {

// The control id the framework gives a window's status bar.
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;

class CStatusBar : public CWnd {
public:
    CStatusBar() = default;

    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID = AFX_IDW_STATUS_BAR);

    // The panes' right edges; FALSE for no pane or more than 256.
    BOOL SetParts(int nParts, const int *pWidths);
    int GetPaneCount() const;
    BOOL GetRect(int nPane, LPRECT lpRect) const;
    BOOL SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate = TRUE);
    CString GetPaneText(int nIndex) const;
};

} // namespace win
