#include "chatdesk/ui/MenuBar.h"

#include <algorithm>
#include <cctype>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/MouseTracking.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Thread.h"

using namespace win;

namespace chatui {

namespace {

std::string WithoutMnemonic(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out.push_back(text[i]);
    }
    return out;
}

std::vector<CMenuBar *> &BarList()
{
    static auto *bars = new std::vector<CMenuBar *>;
    return *bars;
}

HHOOK filterHook = 0;

} // namespace

int NextMenuItem(int open, int count, bool right)
{
    if (count <= 0)
        return -1;
    if (right)
        return open + 1 >= count ? 0 : open + 1;
    return open <= 0 ? count - 1 : open - 1;
}

int MnemonicItem(const std::vector<std::string> &texts, unsigned char typed)
{
    const int wanted = std::toupper(typed);
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string &t = texts[i];
        for (size_t k = 0; k + 1 < t.size(); ++k)
            if (t[k] == '&' && std::toupper(static_cast<unsigned char>(t[k + 1])) == wanted)
                return static_cast<int>(i);
    }
    return -1;
}

BEGIN_MESSAGE_MAP(CMenuBar, CWnd)
ON_MESSAGE(WM_MENUBAR_OPEN, OnOpen)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_LBUTTONDOWN()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CMenuBar::CMenuBar() = default;

CMenuBar::~CMenuBar()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CMenuBar::Create(const RECT &rect, UINT menuId, CWnd *parent, UINT id)
{
    if (!m_menu.LoadMenu(menuId))
        return FALSE;
    if (!CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id)) {
        m_menu.DestroyMenu();
        return FALSE;
    }
    SetFont(parent->GetFont());
    CClientDC dc(this);
    CFont *font = GetFont();
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    for (int i = 0; i < m_menu.GetMenuItemCount(); ++i) {
        CString text;
        m_menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        m_texts.emplace_back(static_cast<LPCSTR>(text));
        const std::string shown = WithoutMnemonic(m_texts.back());
        m_widths.push_back(dc.GetTextExtent(shown.c_str(), static_cast<int>(shown.size())).cx + 16);
    }
    if (old)
        dc.SelectObject(old);
    BarList().push_back(this);
    if (!filterHook)
        filterHook = SetWindowsHookEx(WH_MSGFILTER, MenuFilter, 0, GetCurrentThreadId());
    return TRUE;
}

void CMenuBar::OnDestroy()
{
    auto &bars = BarList();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    if (bars.empty() && filterHook) {
        UnhookWindowsHookEx(filterHook);
        filterHook = 0;
    }
    m_menu.DestroyMenu();
    CWnd::OnDestroy();
}

const std::vector<CMenuBar *> &CMenuBar::Bars()
{
    return BarList();
}

bool CMenuBar::FilterInstalled()
{
    return filterHook != 0;
}

LRESULT CMenuBar::MenuFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_MENU && lParam) {
        const MSG &msg = *reinterpret_cast<const MSG *>(lParam);
        for (CMenuBar *bar : BarList()) {
            if (!bar->m_hWnd || !bar->m_menu.m_hMenu)
                continue;
            if (bar->OnMenuInput(msg))
                return 1;
            break;
        }
    }
    return CallNextHookEx(filterHook, code, wParam, lParam);
}

void CMenuBar::CancelOpen()
{
    SendMessage(WM_CANCELMODE);
    if (m_open != -1) {
        m_open = -1;
        Invalidate(FALSE);
    }
}

bool CMenuBar::OnMenuInput(const MSG &msg)
{
    if (m_open < 0)
        return false;
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == VK_ESCAPE) {
            CancelOpen();
            return true;
        }
        if (msg.wParam != VK_LEFT && msg.wParam != VK_RIGHT)
            return false;
        GetCursorPos(&m_arrowCursor);
        const bool right = msg.wParam == VK_RIGHT;
        const int next = NextMenuItem(m_open, GetItemCount(), right);
        CancelOpen();
        PostMessage(WM_MENUBAR_OPEN, right ? 2 : 1, next);
        return true;
    }
    if (msg.message == WM_MOUSEMOVE) {
        // The menu loop's mouse messages carry screen coordinates.
        const POINT at{static_cast<short>(LOWORD(static_cast<DWORD>(msg.lParam))),
                       static_cast<short>(HIWORD(static_cast<DWORD>(msg.lParam)))};
        if (at.x == m_arrowCursor.x && at.y == m_arrowCursor.y)
            return false;
        CPoint client(at.x, at.y);
        ScreenToClient(&client);
        const int item = HitTest(client);
        if (item < 0 || item == m_open)
            return false;
        CancelOpen();
        PostMessage(WM_MENUBAR_OPEN, 4, item);
        return true;
    }
    return false;
}

RECT CMenuBar::ItemRect(int index) const
{
    RECT client{};
    GetClientRect(&client);
    int left = 0;
    for (int i = 0; i < index && i < GetItemCount(); ++i)
        left += m_widths[size_t(i)];
    const int width = index >= 0 && index < GetItemCount() ? m_widths[size_t(index)] : 0;
    return RECT{left, 0, left + width, client.bottom};
}

int CMenuBar::HitTest(CPoint point) const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        const RECT r = ItemRect(i);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
            return i;
    }
    return -1;
}

BOOL CMenuBar::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CMenuBar::OnPaint()
{
    CPaintDC dc(this);
    RECT client{};
    GetClientRect(&client);
    dc.FillSolidRect(&client, kPaneBlue);
    CFont *font = GetFont();
    CFont *old = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLabelText);
    for (int i = 0; i < GetItemCount(); ++i) {
        RECT r = ItemRect(i);
        COLORREF fill = kPaneBlue, frame = kPaneBlue;
        if (i == m_open) {
            fill = kPressedFill;
            frame = kPressedFrame;
        } else if (i == m_hot) {
            fill = kHotFill;
            frame = kHotFrame;
        }
        dc.FillSolidRect(&r, fill);
        CBrush frameBrush(frame);
        dc.FrameRect(&r, &frameBrush);
        dc.DrawText(m_texts[size_t(i)].c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    if (old)
        dc.SelectObject(old);
}

void CMenuBar::OnMouseMove(UINT, CPoint point)
{
    if (!m_tracking) {
        m_tracking = true;
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&tme);
    }
    const int hot = HitTest(point);
    if (hot != m_hot) {
        m_hot = hot;
        Invalidate(FALSE);
    }
}

void CMenuBar::OnMouseLeave()
{
    m_tracking = false;
    if (m_hot != -1) {
        m_hot = -1;
        Invalidate(FALSE);
    }
}

void CMenuBar::OnLButtonDown(UINT, CPoint point)
{
    const int item = HitTest(point);
    const int open = m_open;
    if (open >= 0)
        CancelOpen();
    // A press on the open item only closes its drop-down.
    if (item >= 0 && item != open)
        PostMessage(WM_MENUBAR_OPEN, 5, item);
}

bool CMenuBar::OnMenuChar(unsigned char typed)
{
    const int item = MnemonicItem(m_texts, typed);
    if (item < 0)
        return false;
    const int open = m_open;
    if (open >= 0)
        CancelOpen();
    if (item != open)
        PostMessage(WM_MENUBAR_OPEN, 3, item);
    return true;
}

LRESULT CMenuBar::OnOpen(WPARAM reason, LPARAM position)
{
    const int p = static_cast<int>(position);
    if (p < 0 || p >= GetItemCount())
        return 0;
    if (m_inMenuLoop) {
        // Asked for while the last drop-down's loop is still ending: opened
        // once that tracking has returned.
        m_pendingReason = reason;
        m_pendingItem = p;
        return 0;
    }
    CMenu *sub = m_menu.GetSubMenu(p);
    if (!sub)
        return 0;
    // The button on the screen, clipped to the desktop, stays uncovered.
    CRect button = ItemRect(p);
    ClientToScreen(&button);
    const int x0 = GetSystemMetrics(SM_XVIRTUALSCREEN), y0 = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const CRect desktop(x0, y0, x0 + GetSystemMetrics(SM_CXVIRTUALSCREEN), y0 + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    CRect clipped;
    if (!clipped.IntersectRect(&button, &desktop))
        clipped = button;
    TPMPARAMS tpm{sizeof(TPMPARAMS), clipped};
    if (CWnd *owner = GetParent())
        sub->UpdateCommandUI(owner, FALSE);
    m_open = p;
    Invalidate(FALSE);
    UpdateWindow();
    const HWND self = m_hWnd;
    m_inMenuLoop = true;
    TrackPopupMenuEx(sub->m_hMenu, TPM_LEFTALIGN | TPM_VERTICAL | TPM_RIGHTBUTTON, clipped.left, clipped.bottom, self,
                     &tpm);
    if (!IsWindow(self))
        return 0;
    m_inMenuLoop = false;
    m_open = -1;
    Invalidate(FALSE);
    if (m_pendingItem >= 0) {
        PostMessage(WM_MENUBAR_OPEN, m_pendingReason, m_pendingItem);
        m_pendingItem = -1;
    }
    return 0;
}

BOOL CMenuBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The drop-down's commands are the main window's.
    if (CWnd *owner = GetParent()) {
        owner->PostMessage(WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

} // namespace chatui
