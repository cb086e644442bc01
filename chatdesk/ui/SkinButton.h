// The chat client's owner-drawn buttons: COwnerDrawButton keeps a push button's
// dialog behaviour on an owner-drawn control; CSkinButton paints the blue
// gradient face with hover and focus frames, an optional icon and the text;
// CImageButton shows a resource picture instead of the text.
#pragma once

#include "platform/appframe/CButton.h"
#include "platform/appframe/CDC.h"

namespace chatui {

// The face of a skin button on `dc` over `rect` in one of its states (the
// frame, the bands, the side pixels, the corners, the hover and focus frames);
// a button under 10 pixels high gets a flat face.
void DrawSkinFace(win::CDC &dc, const win::RECT &rect, bool pressed, bool hover, bool focus);

class COwnerDrawButton : public win::CButton {
public:
    // Takes over the dialog's control (an owner-drawn button of the template):
    // `kind` is the push-button kind it stands for (BS_PUSHBUTTON or
    // BS_DEFPUSHBUTTON).
    win::BOOL Attach(win::UINT id, win::CWnd *parent, win::DWORD kind = 0);
    // Makes the control as a child window.
    win::BOOL Create(win::LPCSTR text, const win::RECT &rect, win::CWnd *parent, win::UINT id);

    bool IsPush() const { return m_push; }
    bool IsDefault() const { return m_default; }

protected:
    void NoteKind(win::DWORD kind);
    win::UINT OnGetDlgCode();
    win::LRESULT OnSetStyle(win::WPARAM wParam, win::LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    bool m_push = false;
    bool m_default = false;
    win::DWORD m_kind = 15;
};

class CSkinButton : public COwnerDrawButton {
public:
    ~CSkinButton() override;
    // The icon drawn before the text (none: 0); the button keeps the handle but
    // does not own it.
    void SetIcon(win::HBITMAP icon, bool redraw = true);
    win::HBITMAP GetIcon() const { return m_icon; }
    bool IsHovering() const { return m_hover; }

    void DrawItem(win::LPDRAWITEMSTRUCT item) override;

protected:
    // The part inside the face; the text with the icon here.
    virtual void DrawContent(win::CDC &dc, const win::RECT &rect);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    void OnMouseLeave();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    DECLARE_MESSAGE_MAP()

    bool m_hover = false;
    win::HBITMAP m_icon = 0;
};

class CImageButton : public CSkinButton {
public:
    void SetBitmap(win::UINT id, bool redraw);
    win::UINT GetBitmapId() const { return m_bitmap; }

protected:
    void DrawContent(win::CDC &dc, const win::RECT &rect) override;

    win::UINT m_bitmap = 0;
};

} // namespace chatui
