// The status bar at the foot of the input pane: three text slots (left, centre,
// right) painted on the pane blue.
#pragma once

#include <string>

#include "platform/appframe/CWnd.h"

namespace chatui {

// A slot's text as shown: at most 63 bytes; a text that fills them ends in
// "..." after its first 60 bytes, never after half a character.
std::string FitStatusText(const char *text);

class CChatStatusBar : public win::CWnd {
public:
    CChatStatusBar();
    win::BOOL Create(win::CWnd *parent, win::UINT id);
    void SetPaneText(int index, const char *text);
    const char *GetPaneText(int index) const { return index >= 0 && index < 3 ? m_slots[index] : ""; }

protected:
    void OnPaint();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    DECLARE_MESSAGE_MAP()

    char m_slots[3][64] = {};
};

} // namespace chatui
