#include "platform/appframe/CDateTimeCtrl.h"

namespace win {

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("SysDateTimePick32", nullptr, dwStyle, rect, pParentWnd, nID);
}

} // namespace win
