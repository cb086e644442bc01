#include "platform/appframe/CSpinButtonCtrl.h"

namespace win {

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("msctls_updown32", nullptr, dwStyle, rect, pParentWnd, nID);
}

CWnd *CSpinButtonCtrl::SetBuddy(CWnd *pWndBuddy)
{
    return CWnd::FromHandle(
        static_cast<HWND>(SendMessage(UDM_SETBUDDY, pWndBuddy ? static_cast<WPARAM>(pWndBuddy->m_hWnd) : 0)));
}

} // namespace win
