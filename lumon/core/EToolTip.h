// The hint window of the views and the main frame: a small child window that
// shows a one- or multi-line text (lines split at "\r\n") in a light yellow box.
#pragma once

#include "lumon/core/EWnd.h"

class EToolTip : public EWnd {
public:
    // Makes the hidden tip window as a child of `parent`, with its "Tahoma" font.
    explicit EToolTip(win::HWND parent);
    ~EToolTip() override;

    // Shows the text (its first 256 characters) at the point of the parent's
    // client area, moving the tip to `parent` when one is given; an empty or
    // missing text hides it. Returns 1.
    int Show(win::POINT point, const char *text, win::HWND parent = 0);
    void Hide();

    win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) override;

    win::HFONT m_hFont = 0;
    bool m_MultiLine = false;
    int m_LineHeight = 0;
    char m_Text[257] = {};

private:
    void Paint();
};
