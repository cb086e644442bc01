#include "platform/appframe/CStatusBar.h"

#include <vector>

#include "platform/appframe/ControlHelpers.h"

namespace win {

BOOL CStatusBar::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CreateControlWindow(*this, 0, STATUSCLASSNAMEA, dwStyle, rect, pParentWnd ? pParentWnd->GetSafeHwnd() : 0,
                               nID);
}

BOOL CStatusBar::SetParts(int nParts, const int *pWidths)
{
    return static_cast<BOOL>(SendMessage(SB_SETPARTS, static_cast<WPARAM>(nParts), reinterpret_cast<LPARAM>(pWidths)));
}

int CStatusBar::GetPaneCount() const { return static_cast<int>(SendMessage(SB_GETPARTS)); }

BOOL CStatusBar::GetRect(int nPane, LPRECT lpRect) const
{
    return static_cast<BOOL>(SendMessage(SB_GETRECT, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(lpRect)));
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText, BOOL bUpdate)
{
    if (nIndex < 0 || nIndex > 0xFF)
        return FALSE;
    BOOL ok =
        static_cast<BOOL>(SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszNewText)));
    if (ok && bUpdate)
        UpdateWindow();
    return ok;
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    if (nIndex < 0 || nIndex > 0xFF)
        return CString();
    int length = LOWORD(static_cast<DWORD>(SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex))));
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

} // namespace win
