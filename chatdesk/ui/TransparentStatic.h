// A static text drawn in the label colour on its parent's background, with
// the drawing flags its static styles ask for.
#pragma once

#include <functional>

#include "platform/appframe/CWnd.h"

namespace chatui {

// The DrawText flags of a static control's styles.
win::UINT StaticDrawFlags(win::DWORD style);

class CTransparentStatic : public win::CWnd {
public:
    // Paints the parent's background that lies behind the control onto the
    // control's context (the control's rectangle in the parent's coordinates).
    using BackgroundPainter = std::function<void(win::CDC &dc, const win::RECT &inParent)>;

    // The style's low bits are the static styles (SS_...).
    win::BOOL Create(win::DWORD style, const win::RECT &rect, win::CWnd *parent, win::UINT id);
    void SetBackgroundPainter(BackgroundPainter painter) { m_background = std::move(painter); }
    // Sets the text and repaints the whole control (and what is behind it).
    void SetText(const char *text);

protected:
    void OnPaint();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    DECLARE_MESSAGE_MAP()

    BackgroundPainter m_background;
};

} // namespace chatui
