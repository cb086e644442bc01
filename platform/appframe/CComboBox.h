// The framework's combo box: a CWnd of the "ComboBox" class with the combo box
// messages as members (items, selection, item data, searching).
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    // Return the new item's index (sorted boxes place it by its text).
    int AddString(LPCSTR lpszString) { return Index(CB_ADDSTRING, 0, lpszString); }
    int InsertString(int nIndex, LPCSTR lpszString) { return Index(CB_INSERTSTRING, nIndex, lpszString); }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(CB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    // CB_ERR (-1) without a selection.
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nSelect) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect))); }
    // `buffer` must hold GetLBTextLen + 1 bytes.
    int GetLBText(int nIndex, LPSTR buffer) const
    {
        return static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer)));
    }
    void GetLBText(int nIndex, CString &text) const;
    int GetLBTextLen(int nIndex) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex))); }
    int SetItemData(int nIndex, DWORD_PTR data)
    {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(data)));
    }
    DWORD_PTR GetItemData(int nIndex) const
    {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }
    int SetItemDataPtr(int nIndex, void *p) { return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(p)); }
    void *GetItemDataPtr(int nIndex) const { return reinterpret_cast<void *>(GetItemData(nIndex)); }
    // The first item after nStartAfter (-1: from the top) starting with (or equal
    // to) the text, without regard to case; CB_ERR when none.
    int FindString(int nStartAfter, LPCSTR lpszString) const { return Index(CB_FINDSTRING, nStartAfter, lpszString); }
    int FindStringExact(int nStartAfter, LPCSTR lpszString) const
    {
        return Index(CB_FINDSTRINGEXACT, nStartAfter, lpszString);
    }
    int SelectString(int nStartAfter, LPCSTR lpszString) { return Index(CB_SELECTSTRING, nStartAfter, lpszString); }
    BOOL LimitText(int nMaxChars) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(nMaxChars))); }
    void ShowDropDown(BOOL bShowIt = TRUE) { SendMessage(CB_SHOWDROPDOWN, bShowIt); }
    BOOL GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }

private:
    int Index(UINT message, int index, LPCSTR text) const
    {
        return static_cast<int>(SendMessage(message, static_cast<WPARAM>(static_cast<intptr_t>(index)),
                                            reinterpret_cast<LPARAM>(text ? text : "")));
    }
};

} // namespace win
