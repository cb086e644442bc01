#include "chatdesk/ui/HintWnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Text.h"

using namespace win;

namespace chatui {

namespace {

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 2;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CHintWnd, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

namespace {

CHintWnd *hint = nullptr;

} // namespace

CHintWnd &CHintWnd::Instance()
{
    if (!hint)
        hint = new CHintWnd;
    return *hint;
}

void CHintWnd::Release()
{
    if (hint && hint->m_hWnd)
        hint->DestroyWindow();
    delete hint;
    hint = nullptr;
}

POINT CHintWnd::Place(POINT cursor, SIZE size, const RECT &screen)
{
    POINT at{cursor.x, cursor.y + 22};
    if (at.x + size.cx > screen.right)
        at.x = screen.right - size.cx;
    if (at.y + size.cy > screen.bottom)
        at.y = cursor.y - 1 - size.cy;
    return at;
}

BOOL CHintWnd::ShowHint(const char *text, CWnd *owner)
{
    if (!text || !*text) {
        Hide();
        return TRUE;
    }
    if (!owner)
        owner = AfxGetMainWnd();
    if (!m_hWnd) {
        LPCSTR cls = AfxRegisterWndClass(0, LoadCursorA(0, IDC_ARROW));
        if (!CreateEx(0, cls, "", WS_POPUP, 0, 0, 10, 10, owner ? owner->m_hWnd : 0, 0))
            return FALSE;
    }
    m_owner = owner ? owner->m_hWnd : 0;
    const std::string_view whole(text, strnlen(text, 512));
    m_text = GbkCut(whole, 511);
    m_multiLine = m_text.find("\r\n") != std::string::npos;

    CClientDC dc(this);
    CFont *font = owner ? owner->GetFont() : nullptr;
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    SIZE extent{0, 0};
    for (const std::string &line : Lines(m_text)) {
        const CSize s = dc.GetTextExtent(line.c_str(), static_cast<int>(line.size()));
        extent.cx = std::max<LONG>(extent.cx, s.cx);
        extent.cy += s.cy;
        m_lineHeight = s.cy;
    }
    if (old)
        dc.SelectObject(old);
    const SIZE size{std::max<LONG>(extent.cx + 5, 100), extent.cy + 4};
    POINT cursor{};
    GetCursorPos(&cursor);
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const POINT at = Place(cursor, size, screen);
    SetWindowPos(&wndTop, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Invalidate(TRUE);
    return TRUE;
}

void CHintWnd::Hide()
{
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

BOOL CHintWnd::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CHintWnd::OnPaint()
{
    CPaintDC dc(this);
    RECT r{};
    GetClientRect(&r);
    dc.FillSolidRect(&r, kHintBack);
    CBrush black(RGB(0, 0, 0));
    dc.FrameRect(&r, &black);
    CWnd *owner = CWnd::FromHandle(m_owner);
    CFont *font = owner ? owner->GetFont() : nullptr;
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    int y = 1;
    for (const std::string &line : Lines(m_text)) {
        dc.TextOut(3, y, line.c_str(), static_cast<int>(line.size()));
        y += m_lineHeight;
    }
    if (old)
        dc.SelectObject(old);
}

void CHintWnd::OnMouseMove(UINT, CPoint)
{
    Hide();
}

} // namespace chatui
