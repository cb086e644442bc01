#include "platform/appframe/CStatic.h"

namespace win {

BOOL CStatic::Create(LPCSTR lpszText, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("Static", lpszText, dwStyle, rect, pParentWnd, nID);
}

} // namespace win
