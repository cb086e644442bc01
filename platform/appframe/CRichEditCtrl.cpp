#include "platform/appframe/CRichEditCtrl.h"

namespace win {

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("RichEdit20A", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CRichEditCtrl::GetSel(long &nStartChar, long &nEndChar) const
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    nStartChar = static_cast<long>(start);
    nEndChar = static_cast<long>(end);
}

} // namespace win
