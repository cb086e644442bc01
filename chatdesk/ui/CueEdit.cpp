#include "chatdesk/ui/CueEdit.h"

#include <cstring>

#include "platform/appframe/AfxMessages.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

using namespace win;

namespace chatui {

BEGIN_MESSAGE_MAP(CCueEdit, CEdit)
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CCueEdit::CCueEdit() = default;

BOOL CCueEdit::Attach(UINT id, CWnd *parent)
{
    if (!SubclassDlgItem(id, parent))
        return FALSE;
    ShowCue();
    return TRUE;
}

COLORREF CCueEdit::GetCueColor() const
{
    if (!m_relative)
        return m_colour;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    return RGB(BYTE((GetRValue(window) + m_offsets[0]) % 256), BYTE((GetGValue(window) + m_offsets[1]) % 256),
               BYTE((GetBValue(window) + m_offsets[2]) % 256));
}

void CCueEdit::SetCueText(const char *text)
{
    m_cue = text ? GbkCut(std::string_view(text, strnlen(text, 256)), 255) : std::string();
    ShowCue();
}

void CCueEdit::SetCueColor(COLORREF colour)
{
    m_colour = colour;
    m_relative = false;
    ShowCue();
}

void CCueEdit::ShowCue()
{
    if (m_hWnd)
        SendMessage(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(m_showCue ? m_cue.c_str() : ""));
}

void CCueEdit::OnSetFocus(CWnd *old)
{
    Default();
    m_showCue = false;
    ShowCue();
}

void CCueEdit::OnKillFocus(CWnd *next)
{
    Default();
    if (GetWindowTextLength() == 0) {
        m_showCue = true;
        ShowCue();
    }
}

} // namespace chatui
