// The framework's static control: a CWnd of the "Static" class (text, bitmap,
// rectangle or frame) with its bitmap as a member.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CStatic : public CWnd {
public:
    BOOL Create(LPCSTR lpszText, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID = 0xFFFF);

    // The bitmap an SS_BITMAP control shows (the caller keeps it alive); returns
    // the previous one.
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return static_cast<HBITMAP>(SendMessage(STM_SETIMAGE, 0, static_cast<LPARAM>(hBitmap)));
    }
    HBITMAP GetBitmap() const { return static_cast<HBITMAP>(SendMessage(STM_GETIMAGE, 0, 0)); }
};

} // namespace win
