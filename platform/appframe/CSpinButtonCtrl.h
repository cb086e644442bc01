// The framework's up-down control: a CWnd of the "msctls_updown32" class with
// its range, position and buddy window as members.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    void SetRange(short nLower, short nUpper)
    {
        SendMessage(UDM_SETRANGE, 0, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(nUpper), static_cast<WORD>(nLower))));
    }
    void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
    void GetRange(int &nLower, int &nUpper) const
    {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
    }
    // Returns the previous position.
    int SetPos(int nPos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, nPos)); }
    // The position (read from the buddy's text with UDS_SETBUDDYINT).
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS32, 0, 0)); }
    CWnd *SetBuddy(CWnd *pWndBuddy);
    CWnd *GetBuddy() const { return CWnd::FromHandle(static_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
};

} // namespace win
