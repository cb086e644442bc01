// The framework's button: a CWnd of the "Button" class (push button, check box,
// radio button, group box, owner-drawn button) with the button messages as
// members; an owner-drawn button paints itself in DrawItem through a CDC.
#pragma once

#include "platform/appframe/CWnd.h"

namespace win {

class CButton : public CWnd {
public:
    BOOL Create(LPCSTR lpszCaption, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);

    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }

    // Paints an owner-drawn button (BS_OWNERDRAW) on lpDrawItemStruct->hDC.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) override;
};

} // namespace win
