// The framework's list box: a CWnd of the "ListBox" class with the list box
// messages as members; an owner-drawn list box draws, measures, compares (for
// LBS_SORT) and lets go of its items in the virtual members below.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CListBox : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    // For lists without strings (owner-drawn without LBS_HASSTRINGS) the
    // "string" is the item's data.
    int AddString(LPCSTR lpszItem) { return Index(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)); }
    int InsertString(int nIndex, LPCSTR lpszItem) { return Index(LB_INSERTSTRING, nIndex, reinterpret_cast<LPARAM>(lpszItem)); }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(LB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    int GetSel(int nIndex) const { return static_cast<int>(SendMessage(LB_GETSEL, static_cast<WPARAM>(nIndex))); }
    // Multiple selection: nIndex -1 is every item.
    int SetSel(int nIndex, BOOL bSelect = TRUE) { return static_cast<int>(SendMessage(LB_SETSEL, bSelect, nIndex)); }
    int GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
    int GetSelItems(int nMaxItems, LPINT rgIndex) const
    {
        return static_cast<int>(SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(nMaxItems), reinterpret_cast<LPARAM>(rgIndex)));
    }
    int GetText(int nIndex, LPSTR buffer) const
    {
        return static_cast<int>(SendMessage(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer)));
    }
    void GetText(int nIndex, CString &text) const;
    int GetTextLen(int nIndex) const { return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex))); }
    int SetItemData(int nIndex, DWORD_PTR data)
    {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(data)));
    }
    DWORD_PTR GetItemData(int nIndex) const
    {
        return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }
    int SetItemDataPtr(int nIndex, void *p) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(p)); }
    void *GetItemDataPtr(int nIndex) const { return reinterpret_cast<void *>(GetItemData(nIndex)); }
    int SetTopIndex(int nIndex) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    int GetItemRect(int nIndex, RECT *rect) const
    {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rect)));
    }
    // The item nearest the client point; bOutside tells whether the point lies
    // outside every item.
    UINT ItemFromPoint(CPoint pt, BOOL &bOutside) const;
    int SetItemHeight(int nIndex, UINT cyItemHeight)
    {
        return static_cast<int>(SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(nIndex), cyItemHeight));
    }
    int GetItemHeight(int nIndex) const { return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex))); }
    int FindString(int nStartAfter, LPCSTR lpszItem) const { return Index(LB_FINDSTRING, nStartAfter, reinterpret_cast<LPARAM>(lpszItem)); }
    int FindStringExact(int nStartAfter, LPCSTR lpszItem) const
    {
        return Index(LB_FINDSTRINGEXACT, nStartAfter, reinterpret_cast<LPARAM>(lpszItem));
    }
    int SelectString(int nStartAfter, LPCSTR lpszItem) { return Index(LB_SELECTSTRING, nStartAfter, reinterpret_cast<LPARAM>(lpszItem)); }

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    // <0 when item 1 comes before item 2, 0 when equal, >0 after.
    virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
    virtual void DeleteItem(LPDELETEITEMSTRUCT lpDeleteItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;

private:
    int Index(UINT message, int index, LPARAM value) const
    {
        return static_cast<int>(SendMessage(message, static_cast<WPARAM>(static_cast<intptr_t>(index)), value));
    }
};

} // namespace win
