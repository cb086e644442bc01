// The light-yellow hint window of the user lists: one or more lines of text near
// the cursor, kept on the screen.
#pragma once

#include <string>

#include "platform/appframe/CWnd.h"

namespace chatui {

class CHintWnd : public win::CWnd {
public:
    // The program's one hint window, made on first use.
    static CHintWnd &Instance();
    // Lets the window go as the program ends.
    static void Release();

    // Shows the text below the cursor (above it near the screen's foot), owned
    // by `owner` (or the main window); an empty or null text hides the window.
    // Texts over 511 bytes are cut, never inside a character.
    win::BOOL ShowHint(const char *text, win::CWnd *owner);
    void Hide();
    const std::string &GetText() const { return m_text; }
    bool IsMultiLine() const { return m_multiLine; }
    // Where a hint of `size` goes for the cursor at `cursor` on the virtual
    // screen `screen`.
    static win::POINT Place(win::POINT cursor, win::SIZE size, const win::RECT &screen);

protected:
    void OnPaint();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    DECLARE_MESSAGE_MAP()

    bool m_multiLine = false;
    int m_lineHeight = 0;
    std::string m_text;
    win::HWND m_owner = 0;
};

} // namespace chatui
