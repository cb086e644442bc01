// The framework's tool bar control: a CWnd over a tool bar window of flat text
// buttons (a menu bar is one), with the buttons' states (enabled, pressed,
// checked, hot), their places and hit tests. The parent paints the buttons by
// custom draw when it asks to, and hears of presses (NM_LDOWN), drop-down
// presses (TBN_DROPDOWN) and clicks (WM_COMMAND with the button's command).
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"

namespace win {

class CToolBarCtrl : public CWnd {
public:
    CToolBarCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    void SetButtonStructSize(int nSize);
    // Strings each ended by a zero, the list ended by an empty one; returns the
    // index of the first, -1 on failure.
    int AddStrings(LPCSTR lpszStrings);
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons);
    BOOL DeleteButton(int nIndex);
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const;
    int GetButtonCount() const;
    int CommandToIndex(UINT nID) const;
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
    // The index of the button at the point (client coordinates), -1 for none.
    int HitTest(LPPOINT ppt) const;
    void AutoSize();

    BOOL EnableButton(int nID, BOOL bEnable = TRUE);
    BOOL CheckButton(int nID, BOOL bCheck = TRUE);
    BOOL PressButton(int nID, BOOL bPress = TRUE);
    BOOL IsButtonPressed(int nID) const;
    BOOL SetState(int nID, UINT nState);
    int GetState(int nID) const;
    int GetHotItem() const;
    int SetHotItem(int nHot);
    CString GetButtonText(int idButton) const;
};

} // namespace win
