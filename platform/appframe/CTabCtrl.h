// The framework's tab control: a CWnd over a tab control window, with its tabs,
// the current one, its rows and the display area below them. A click or an
// arrow key changes the current tab and tells the parent (TCN_SELCHANGING, which
// may refuse, then TCN_SELCHANGE); SetCurSel changes it without telling.
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"

namespace win {

class CTabCtrl : public CWnd {
public:
    CTabCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    LONG InsertItem(int nItem, LPCSTR lpszItem);
    LONG InsertItem(int nItem, TCITEM *pTabCtrlItem);
    BOOL GetItem(int nItem, TCITEM *pTabCtrlItem) const;
    BOOL SetItem(int nItem, TCITEM *pTabCtrlItem);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // -1 when there is no current tab.
    int GetCurSel() const;
    // Returns the previous current tab, -1 for an index out of range.
    int SetCurSel(int nItem);
    int GetRowCount() const;
    BOOL GetItemRect(int nItem, LPRECT lpRect) const;
    // bLarger FALSE: the window rectangle given becomes its display area; TRUE:
    // the display area given becomes the window rectangle.
    void AdjustRect(BOOL bLarger, LPRECT lpRect);
    int HitTest(TCHITTESTINFO *pHitTestInfo) const;
};

} // namespace win
