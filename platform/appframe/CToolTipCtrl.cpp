#include "platform/appframe/CToolTipCtrl.h"

#include "platform/appframe/ControlHelpers.h"

namespace win {

BOOL CToolTipCtrl::Create(CWnd *pParentWnd, DWORD dwStyle)
{
    return CreateControlWindow(*this, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSA, WS_POPUP | dwStyle,
                               RECT{0, 0, 0, 0}, pParentWnd ? pParentWnd->GetSafeHwnd() : 0, 0);
}

BOOL CToolTipCtrl::AddTool(CWnd *pWnd, LPCSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!pWnd)
        return FALSE;
    TOOLINFO ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = pWnd->GetSafeHwnd();
    ti.lpszText = const_cast<LPSTR>(lpszText);
    if (lpRectTool) {
        ti.uId = nIDTool;
        ti.rect = *lpRectTool;
    } else {
        ti.uFlags = TTF_IDISHWND;
        ti.uId = static_cast<UINT_PTR>(pWnd->GetSafeHwnd());
    }
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd *pWnd, UINT_PTR nIDTool)
{
    if (!pWnd)
        return;
    TOOLINFO ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = pWnd->GetSafeHwnd();
    ti.uId = nIDTool;
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::SetToolRect(CWnd *pWnd, UINT_PTR nIDTool, LPCRECT lpRect)
{
    if (!pWnd || !lpRect)
        return;
    TOOLINFO ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = pWnd->GetSafeHwnd();
    ti.uId = nIDTool;
    ti.rect = *lpRect;
    SendMessage(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, CWnd *pWnd, UINT_PTR nIDTool)
{
    if (!pWnd)
        return;
    TOOLINFO ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = pWnd->GetSafeHwnd();
    ti.uId = nIDTool;
    ti.lpszText = const_cast<LPSTR>(lpszText);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

BOOL CToolTipCtrl::GetToolInfo(TOOLINFO &toolInfo, CWnd *pWnd, UINT_PTR nIDTool) const
{
    if (!pWnd)
        return FALSE;
    toolInfo.cbSize = sizeof(toolInfo);
    toolInfo.hwnd = pWnd->GetSafeHwnd();
    toolInfo.uId = nIDTool;
    return static_cast<BOOL>(SendMessage(TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&toolInfo)));
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }

void CToolTipCtrl::RelayEvent(MSG *pMsg)
{
    if (m_hWnd && pMsg)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}

void CToolTipCtrl::Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(bActivate)); }

void CToolTipCtrl::Pop() { SendMessage(TTM_POP); }

} // namespace win
