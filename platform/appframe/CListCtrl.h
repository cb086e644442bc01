// The framework's list control: a CWnd over a list view window in report view,
// with its columns (alignment, width, display order), rows (texts and data),
// selection, scrolling, sorting by a callback and hit tests. The control tells
// its parent of clicks, column clicks and state changes by WM_NOTIFY
// (LVN_ITEMCHANGED, LVN_COLUMNCLICK, NM_CLICK, NM_DBLCLK, NM_CUSTOMDRAW ...).
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/win/Collections.h"

namespace win {

class CListCtrl : public CWnd {
public:
    CListCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    // LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES, LVS_EX_HEADERDRAGDROP; returns the
    // previous styles.
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    DWORD GetExtendedStyle() const;

    // Columns. A width of -1 leaves the control's default.
    int InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    int InsertColumn(int nCol, const LVCOLUMN *pColumn);
    BOOL DeleteColumn(int nCol);
    BOOL GetColumn(int nCol, LVCOLUMN *pColumn) const;
    BOOL SetColumn(int nCol, const LVCOLUMN *pColumn);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int nCol, int cx);
    // The column shown at each position (iCount -1: as many as there are
    // columns). Setting refuses an array that is not an arrangement of every
    // column once, and then keeps the order it had.
    BOOL GetColumnOrderArray(int *piArray, int iCount = -1) const;
    BOOL SetColumnOrderArray(int iCount, const int *piArray);

    // Rows.
    int InsertItem(int nItem, LPCSTR lpszItem);
    int InsertItem(const LVITEM *pItem);
    int InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage, LPARAM lParam);
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemText(int nItem, int nSubItem, LPSTR lpszText, int nLen) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL GetItem(LVITEM *pItem) const;
    BOOL SetItem(const LVITEM *pItem);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    int GetItemCount() const;

    // Selection and focus (LVIS_SELECTED, LVIS_FOCUSED).
    int GetNextItem(int nItem, int nFlags) const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION &pos) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    BOOL SetItemState(int nItem, LVITEM *pItem);
    UINT GetItemState(int nItem, UINT nMask) const;
    UINT GetSelectedCount() const;
    int GetSelectionMark() const;
    int SetSelectionMark(int iIndex);

    // Scrolling, places and look-ups.
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    BOOL GetSubItemRect(int iItem, int iSubItem, int nArea, CRect &ref) const;
    int HitTest(LVHITTESTINFO *pHitTestInfo) const;
    int HitTest(CPoint pt, UINT *pFlags = nullptr) const;
    int SubItemHitTest(LVHITTESTINFO *pInfo);
    int FindItem(LVFINDINFO *pFindInfo, int nStart = -1) const;

    // Orders the rows by `pfnCompare`, called with two rows' data values and
    // dwData; rows it calls equal keep their order.
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData);

    COLORREF GetBkColor() const;
    BOOL SetBkColor(COLORREF cr);
    COLORREF GetTextColor() const;
    BOOL SetTextColor(COLORREF cr);
    COLORREF GetTextBkColor() const;
    BOOL SetTextBkColor(COLORREF cr);

private:
    int ColumnCount() const;
};

} // namespace win
