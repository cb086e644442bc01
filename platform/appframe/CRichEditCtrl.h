// The framework's rich edit control: a CWnd of the "RichEdit20A" class, which
// shows plain multi-line text here (the programs show statements in it), with
// the edit messages as members.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CRichEditCtrl : public CWnd {
public:
    BOOL Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    void SetSel(long nStartChar, long nEndChar)
    {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<intptr_t>(nStartChar)), nEndChar);
    }
    void GetSel(long &nStartChar, long &nEndChar) const;
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText ? lpszNewText : ""));
    }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, bReadOnly)); }
    void LimitText(long nChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
    void LineScroll(int nLines, int nChars = 0) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(nChars), nLines); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
};

} // namespace win
