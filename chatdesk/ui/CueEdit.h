// A one-line edit box with a cue text shown while it is empty and has no focus.
#pragma once

#include <string>

#include "platform/appframe/CEdit.h"

namespace chatui {

class CCueEdit : public win::CEdit {
public:
    CCueEdit();
    win::BOOL Attach(win::UINT id, win::CWnd *parent);

    // Up to 255 bytes (never half a character); null clears the cue.
    void SetCueText(const char *text);
    void SetCueColor(win::COLORREF colour);
    const std::string &GetCueText() const { return m_cue; }
    win::COLORREF GetCueColor() const;
    bool IsCueShown() const { return m_showCue; }

protected:
    void ShowCue();
    void OnSetFocus(win::CWnd *old);
    void OnKillFocus(win::CWnd *next);
    DECLARE_MESSAGE_MAP()

    bool m_showCue = true;
    bool m_relative = true;
    win::COLORREF m_colour = 0;
    int m_offsets[3] = {192, 192, 192};
    std::string m_cue;
};

} // namespace chatui
