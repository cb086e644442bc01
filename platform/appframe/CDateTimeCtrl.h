// The framework's date and time picker: a CWnd of the "SysDateTimePick32" class
// with its time (a SYSTEMTIME) and display format as members.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    // GDT_VALID with the time in *pTime.
    DWORD GetTime(SYSTEMTIME *pTime) const
    {
        return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(pTime)));
    }
    BOOL SetTime(const SYSTEMTIME *pTime)
    {
        return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(pTime)));
    }
    // A Windows picture format such as "yyyy'-'MM'-'dd".
    BOOL SetFormat(LPCSTR pstrFormat)
    {
        return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(pstrFormat)));
    }
};

} // namespace win
