#include "platform/appframe/CListBox.h"

#include <vector>

namespace win {

BOOL CListBox::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CWnd::Create("ListBox", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CListBox::GetText(int nIndex, CString &text) const
{
    int length = GetTextLen(nIndex);
    if (length < 0) {
        text = "";
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1 + sizeof(ULONG_PTR), 0);
    GetText(nIndex, buffer.data());
    text = buffer.data();
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL &bOutside) const
{
    auto r = static_cast<DWORD>(SendMessage(LB_ITEMFROMPOINT, 0,
                                            static_cast<LPARAM>(MAKELONG(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)))));
    bOutside = HIWORD(r) != 0;
    return LOWORD(r);
}

void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
int CListBox::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
void CListBox::DeleteItem(LPDELETEITEMSTRUCT) {}

BOOL CListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT *pResult)
{
    if (!lParam)
        return FALSE;
    LRESULT result = TRUE;
    switch (message) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        break;
    case WM_MEASUREITEM:
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        break;
    case WM_COMPAREITEM:
        result = CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam));
        break;
    case WM_DELETEITEM:
        DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(lParam));
        break;
    default:
        return FALSE;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

} // namespace win
