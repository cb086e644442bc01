#include "chatdesk/ui/ChatStatusBar.h"

#include <cstring>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

using namespace win;

namespace chatui {

std::string FitStatusText(const char *text)
{
    const std::string_view whole = text ? std::string_view(text, strnlen(text, 64)) : std::string_view();
    if (whole.size() < 63)
        return std::string(whole);
    return std::string(whole.substr(0, GbkFitLength(whole, 60))) + "...";
}

BEGIN_MESSAGE_MAP(CChatStatusBar, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CChatStatusBar::CChatStatusBar()
{
    std::strcpy(m_slots[0], "网络状态: 断开");
}

BOOL CChatStatusBar::Create(CWnd *parent, UINT id)
{
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, parent, id);
}

void CChatStatusBar::SetPaneText(int index, const char *text)
{
    if (index < 0 || index >= 3)
        return;
    const std::string shown = FitStatusText(text);
    std::memcpy(m_slots[index], shown.c_str(), shown.size() + 1);
    if (m_hWnd)
        Invalidate(FALSE);
}

BOOL CChatStatusBar::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CChatStatusBar::OnPaint()
{
    CPaintDC dc(this);
    RECT r{};
    GetClientRect(&r);
    dc.FillSolidRect(&r, kPaneBlue);
    CWnd *parent = GetParent();
    CFont *font = parent ? parent->GetFont() : nullptr;
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLabelText);
    RECT left{r.left + 3, 0, r.right, r.bottom}, centre{r.left, 0, r.right, r.bottom}, right{r.left, 0, r.right - 3, r.bottom};
    dc.DrawText(m_slots[0], -1, &left, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    dc.DrawText(m_slots[1], -1, &centre, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc.DrawText(m_slots[2], -1, &right, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    if (old)
        dc.SelectObject(old);
}

} // namespace chatui
