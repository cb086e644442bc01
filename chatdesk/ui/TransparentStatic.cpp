#include "chatdesk/ui/TransparentStatic.h"

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace chatui {

UINT StaticDrawFlags(DWORD style)
{
    UINT flags = 0;
    const DWORD kind = style & 0x1F;
    if (kind == SS_CENTER)
        flags |= DT_CENTER;
    if (kind == SS_RIGHT)
        flags |= DT_RIGHT;
    if (style & SS_CENTERIMAGE)
        flags |= DT_SINGLELINE | DT_VCENTER;
    if (style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    const DWORD ellipsis = style & 0xC000;
    if (ellipsis == SS_ENDELLIPSIS)
        flags |= DT_END_ELLIPSIS;
    else if (ellipsis == 0x8000)
        flags |= DT_PATH_ELLIPSIS;
    else if (ellipsis == 0xC000)
        flags |= DT_WORD_ELLIPSIS;
    if (!(style & SS_CENTERIMAGE) && ellipsis == 0 && !(kind & 4) && !(kind & 8))
        flags |= DT_WORDBREAK;
    return flags;
}

BEGIN_MESSAGE_MAP(CTransparentStatic, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CTransparentStatic::Create(DWORD style, const RECT &rect, CWnd *parent, UINT id)
{
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE | style, rect, parent, id);
}

void CTransparentStatic::SetText(const char *text)
{
    SetWindowText(text ? text : "");
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

BOOL CTransparentStatic::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CTransparentStatic::OnPaint()
{
    CPaintDC dc(this);
    char text[1025] = {};
    GetWindowText(text, sizeof text);
    RECT r{};
    GetClientRect(&r);
    if (m_background) {
        RECT inParent{};
        GetWindowRect(&inParent);
        if (CWnd *parent = GetParent())
            parent->ScreenToClient(&inParent);
        m_background(dc, inParent);
    }
    CWnd *parent = GetParent();
    CFont *font = parent ? parent->GetFont() : nullptr;
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLabelText);
    dc.DrawText(text, -1, &r, StaticDrawFlags(GetStyle()));
    if (old)
        dc.SelectObject(old);
}

} // namespace chatui
