// The framework's rich edit control: a CWnd of the "RichEdit20A" class, which
// shows multi-line text (the programs show statements in it), with the edit
// messages as members, and formats its selection: the characters' size, face and
// weight, the paragraphs' alignment.
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/gdi/GdiTypes.h"

namespace win {

constexpr UINT EM_SETCHARFORMAT = 0x0444;
constexpr UINT EM_SETPARAFORMAT = 0x0447;
constexpr WPARAM SCF_SELECTION = 0x0001;

// The parts of a character format that apply.
constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_FACE = 0x20000000;
constexpr DWORD CFM_SIZE = 0x80000000;
constexpr DWORD CFE_BOLD = 0x00000001;

// yHeight in twentieths of a point.
struct CHARFORMATA {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    char szFaceName[LF_FACESIZE];
};
using CHARFORMAT = CHARFORMATA;

constexpr DWORD PFM_ALIGNMENT = 0x00000008;
constexpr WORD PFA_LEFT = 1;
constexpr WORD PFA_RIGHT = 2;
constexpr WORD PFA_CENTER = 3;

struct PARAFORMAT {
    UINT cbSize;
    DWORD dwMask;
    WORD wNumbering;
    WORD wReserved;
    LONG dxStartIndent;
    LONG dxRightIndent;
    LONG dxOffset;
    WORD wAlignment;
    SHORT cTabCount;
    LONG rgxTabs[32];
};

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
    // Formats the selected characters (the parts cf.dwMask names).
    BOOL SetSelectionCharFormat(CHARFORMAT &cf)
    {
        cf.cbSize = sizeof cf;
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)));
    }
    // Formats the paragraphs of the selection.
    BOOL SetParaFormat(PARAFORMAT &pf)
    {
        pf.cbSize = sizeof pf;
        return static_cast<BOOL>(SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf)));
    }
};

} // namespace win
