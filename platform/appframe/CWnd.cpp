#include "platform/appframe/CWnd.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/appframe/CCmdUI.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CMenu.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/IconImage.h"
#include "platform/gdi/QtSurface.h"
#include "platform/win/WindowSurface.h"

namespace win {

namespace {

std::unordered_map<HWND, CWnd *> &Permanent()
{
    static thread_local std::unordered_map<HWND, CWnd *> map;
    return map;
}

// Wrappers of windows no CWnd is attached to: they never destroy the window.
// They stay for the thread's life (handles are never reused), so that a pointer
// handed out stays valid also after a CWnd attaches to the window.
struct BorrowedWnd : CWnd {
    ~BorrowedWnd() override { Detach(); }
};

std::unordered_map<HWND, std::unique_ptr<BorrowedWnd>> &Temporary()
{
    static thread_local std::unordered_map<HWND, std::unique_ptr<BorrowedWnd>> map;
    return map;
}

// The CWnd whose window CreateFrameworkWindow is making (its first messages
// arrive before the handle is known).
thread_local CWnd *creating = nullptr;
// The messages being handled, innermost last.
thread_local std::vector<MSG> currentMessages;
thread_local HWND captureWindow = 0;

// The window's children in creation order (handles grow with creation).
std::vector<HWND> ChildWindows(HWND parent, bool deep)
{
    std::vector<HWND> out;
    QWidget *w = WindowWidget(parent);
    if (!w)
        return out;
    for (QWidget *c : w->findChildren<QWidget *>()) {
        HWND h = WindowOfWidget(c);
        if (!h || !IsWindow(h))
            continue;
        if (deep ? h != parent : win::GetParent(h) == parent)
            out.push_back(h);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// Whether a child window shows when its parent does.
bool IsWindowVisibleInParent(HWND h)
{
    if (QWidget *w = WindowWidget(h))
        return !w->isHidden();
    return (static_cast<DWORD>(GetWindowLongPtrA(h, GWL_STYLE)) & WS_VISIBLE) != 0;
}

bool IsCtlColor(UINT m) { return m >= WM_CTLCOLOREDIT && m <= WM_CTLCOLORSTATIC; }

} // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd *wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd && creating && !creating->m_hWnd) {
        wnd = creating;
        wnd->AttachPermanent(hwnd);
    }
    if (!wnd)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    currentMessages.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    currentMessages.pop_back();
    if (message == WM_NCDESTROY) {
        if (captureWindow == hwnd)
            captureWindow = 0;
        // The end of the main window ends the program.
        CWinApp *app = AfxGetApp();
        if (app && app->m_pMainWnd == wnd) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        if (CWnd::FromHandlePermanent(hwnd) == wnd) {
            wnd->DetachPermanent();
            wnd->PostNcDestroy();
        }
    }
    return result;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        HWND h = m_hWnd;
        if (m_pfnSuper) {
            UnsubclassWindow();
            win::DestroyWindow(h);
        } else {
            DetachPermanent();
            win::DestroyWindow(h);
        }
    }
}

void CWnd::AttachPermanent(HWND hwnd)
{
    m_hWnd = hwnd;
    Permanent()[hwnd] = this;
}

void CWnd::DetachPermanent()
{
    auto it = Permanent().find(m_hWnd);
    if (it != Permanent().end() && it->second == this)
        Permanent().erase(it);
    m_hWnd = 0;
    m_pfnSuper = nullptr;
}

CWnd *CWnd::FromHandlePermanent(HWND hwnd)
{
    auto it = Permanent().find(hwnd);
    return it == Permanent().end() ? nullptr : it->second;
}

CWnd *CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    if (CWnd *wnd = FromHandlePermanent(hwnd))
        return wnd;
    auto &slot = Temporary()[hwnd];
    if (!slot) {
        slot = std::make_unique<BorrowedWnd>();
        slot->m_hWnd = hwnd;
    }
    return slot.get();
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd))
        return FALSE;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h && FromHandlePermanent(h) == this) {
        if (m_pfnSuper)
            SetWindowLongPtrA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        DetachPermanent();
    }
    m_hWnd = 0;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (m_hWnd || !IsWindow(hwnd) || FromHandlePermanent(hwnd))
        return FALSE;
    auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWL_WNDPROC));
    if (previous != AfxWndProc) {
        SetWindowLongPtrA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
        m_pfnSuper = previous;
    }
    AttachPermanent(hwnd);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd *pParent)
{
    if (!pParent)
        return FALSE;
    CWnd *item = pParent->GetDlgItem(static_cast<int>(nID));
    return item && SubclassWindow(item->m_hWnd);
}

HWND CWnd::UnsubclassWindow()
{
    HWND h = m_hWnd;
    if (!h || FromHandlePermanent(h) != this)
        return 0;
    if (m_pfnSuper)
        SetWindowLongPtrA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    DetachPermanent();
    return h;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT &cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS);
    return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                  UINT nID, CCreateContext *)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                    CWnd *pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : 0, nID, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, UINT nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCT cs{};
    cs.lpCreateParams = lpParam;
    cs.hMenu = nIDorHMenu;
    cs.hwndParent = hWndParent;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpszWindowName;
    cs.lpszClass = lpszClassName;
    cs.dwExStyle = dwExStyle;
    if (!PreCreateWindow(cs))
        return FALSE;
    bool widgetClass = IsWidgetClass(cs.lpszClass);
    CWnd *outer = creating;
    creating = widgetClass ? nullptr : this;
    HWND h = CreateFrameworkWindow(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                   cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.lpCreateParams);
    creating = outer;
    if (!h) {
        if (m_hWnd)
            DetachPermanent();
        return FALSE;
    }
    // A control's own procedure made it (a widget class, or a class registered
    // with a procedure of its own, such as the common controls): this object sees
    // its messages from now.
    if (widgetClass || !m_hWnd)
        SubclassWindow(h);
    return m_hWnd == h;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND h = m_hWnd;
    if (FromHandlePermanent(h) != this) {
        m_hWnd = 0;
        return win::DestroyWindow(h);
    }
    return win::DestroyWindow(h);
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG *) { return FALSE; }

const MSG *CWnd::GetCurrentMessage()
{
    static thread_local MSG none{};
    return currentMessages.empty() ? &none : &currentMessages.back();
}

LRESULT CWnd::Default()
{
    const MSG *m = GetCurrentMessage();
    return DefWindowProc(m->message, m->wParam, m->lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(m_hWnd, message, wParam, lParam);
        // A top-level window shows its text as its title.
        QWidget *w = WindowWidget(m_hWnd);
        if (w && w->isWindow())
            w->setWindowTitle(QtText(lParam ? reinterpret_cast<const char *>(lParam) : ""));
        return result;
    }
    case WM_SETFONT:
        font_ = static_cast<HFONT>(wParam);
        if (LOWORD(static_cast<DWORD>(lParam)))
            Invalidate();
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_SETICON: {
        HICON &slot = wParam == ICON_BIG ? bigIcon_ : smallIcon_;
        HICON old = slot;
        slot = static_cast<HICON>(lParam);
        if (QWidget *w = WindowWidget(m_hWnd)) {
            QImage image = IconImage(bigIcon_ ? bigIcon_ : smallIcon_);
            if (!image.isNull())
                w->setWindowIcon(QIcon(QPixmap::fromImage(image)));
        }
        return static_cast<LRESULT>(old);
    }
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
        // Alt+Space opens a top-level window's system menu.
        if (wParam == (message == WM_SYSKEYDOWN ? VK_SPACE : ' ') && !(GetStyle() & WS_CHILD) &&
            (GetStyle() & WS_SYSMENU)) {
            if (message == WM_SYSKEYDOWN) {
                CRect r;
                GetWindowRect(&r);
                CMenu::TrackSystemMenu(this, r.left, r.top);
            }
            return 0;
        }
        return DefWindowProcA(m_hWnd, message, wParam, lParam);
    case WM_GETICON:
        return static_cast<LRESULT>(wParam == ICON_BIG ? bigIcon_ : smallIcon_);
    case WM_CANCELMODE:
        // Ends the menu the window owns and lets go of the mouse it holds.
        if (captureWindow == m_hWnd)
            win::ReleaseCapture();
        return DefWindowProcA(m_hWnd, message, wParam, lParam);
    case WM_PAINT: {
        // Unpainted, the update area is still erased (WM_ERASEBKGND) and validated.
        PAINTSTRUCT ps;
        if (win::BeginPaint(m_hWnd, &ps))
            win::EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        // The framework's windows show the dialog colour unless they paint more.
        RECT r{0, 0, 0, 0};
        win::GetClientRect(m_hWnd, &r);
        FillRect(static_cast<HDC>(wParam), &r, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return 1;
    }
    default:
        return DefWindowProcA(m_hWnd, message, wParam, lParam);
    }
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 1;
        return TRUE;
    case WM_NOTIFY:
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
        *pResult = result;
        return TRUE;
    default:
        break;
    }
    if (IsCtlColor(message)) {
        const AFX_MSGMAP_ENTRY *e = FindMessageEntry(WM_CTLCOLOR, 0, 0);
        if (!e)
            return FALSE;
        auto kind = static_cast<uintptr_t>(message - WM_CTLCOLOREDIT + CTLCOLOR_EDIT);
        *pResult = e->pfn(this, wParam, lParam, reinterpret_cast<void *>(kind));
        return TRUE;
    }
    if (const AFX_MSGMAP_ENTRY *e = FindMessageEntry(message, 0, 0)) {
        *pResult = e->pfn(this, wParam, lParam, nullptr);
        return TRUE;
    }
    // Owner-drawn items go to the control that shows them.
    switch (message) {
    case WM_DRAWITEM:
        if (lParam)
            return ReflectToChild(reinterpret_cast<DRAWITEMSTRUCT *>(lParam)->hwndItem, message, wParam, lParam,
                                  pResult);
        return FALSE;
    case WM_COMPAREITEM:
        if (lParam)
            return ReflectToChild(reinterpret_cast<COMPAREITEMSTRUCT *>(lParam)->hwndItem, message, wParam, lParam,
                                  pResult);
        return FALSE;
    case WM_DELETEITEM:
        if (lParam)
            return ReflectToChild(reinterpret_cast<DELETEITEMSTRUCT *>(lParam)->hwndItem, message, wParam, lParam,
                                  pResult);
        return FALSE;
    case WM_MEASUREITEM:
        if (CWnd *item = GetDlgItem(static_cast<int>(wParam)))
            return ReflectToChild(item->m_hWnd, message, wParam, lParam, pResult);
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    CWnd *wnd = FromHandlePermanent(child);
    return wnd && wnd != this && wnd->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT *) { return FALSE; }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(static_cast<DWORD>(wParam));
    int code = HIWORD(static_cast<DWORD>(wParam));
    auto control = static_cast<HWND>(lParam);
    // Menus (0) and accelerators (1) send commands.
    if (!control)
        code = CN_COMMAND;
    if (OnCmdMsg(id, code, nullptr, nullptr))
        return TRUE;
    LRESULT ignored = 0;
    return control && ReflectToChild(control, WM_COMMAND, wParam, lParam, &ignored);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    auto *nm = reinterpret_cast<NMHDR *>(lParam);
    if (!nm)
        return FALSE;
    if (const AFX_MSGMAP_ENTRY *e = FindMessageEntry(WM_NOTIFY, nm->code, static_cast<UINT>(nm->idFrom))) {
        e->pfn(this, static_cast<WPARAM>(nm->idFrom), lParam, pResult);
        return TRUE;
    }
    return ReflectToChild(nm->hwndFrom, WM_NOTIFY, wParam, lParam, pResult);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) const
{
    for (HWND child : ChildWindows(m_hWnd, false)) {
        if (!IsWindow(child))
            continue;
        if (!bOnlyPerm || FromHandlePermanent(child))
            SendMessageA(child, message, wParam, lParam);
        if (bDeep && IsWindow(child))
            FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, bDeep, bOnlyPerm);
    }
}

CWnd *CWnd::GetParent() const { return FromHandle(win::GetParent(m_hWnd)); }

CWnd *CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    while (HWND p = win::GetParent(h))
        h = p;
    return FromHandle(h);
}

CWnd *CWnd::GetWindow(UINT nCmd) const
{
    if (nCmd == GW_CHILD) {
        std::vector<HWND> children = ChildWindows(m_hWnd, false);
        return children.empty() ? nullptr : FromHandle(children.front());
    }
    if (nCmd == GW_OWNER)
        return GetParent();
    HWND parent = win::GetParent(m_hWnd);
    if (!parent)
        return nullptr;
    std::vector<HWND> siblings = ChildWindows(parent, false);
    auto it = std::find(siblings.begin(), siblings.end(), m_hWnd);
    if (siblings.empty() || it == siblings.end())
        return nullptr;
    switch (nCmd) {
    case GW_HWNDFIRST:
        return FromHandle(siblings.front());
    case GW_HWNDLAST:
        return FromHandle(siblings.back());
    case GW_HWNDNEXT:
        return it + 1 == siblings.end() ? nullptr : FromHandle(*(it + 1));
    case GW_HWNDPREV:
        return it == siblings.begin() ? nullptr : FromHandle(*(it - 1));
    default:
        return nullptr;
    }
}

BOOL CWnd::IsChild(const CWnd *pWnd) const
{
    if (!pWnd)
        return FALSE;
    for (HWND h = win::GetParent(pWnd->m_hWnd); h; h = win::GetParent(h))
        if (h == m_hWnd)
            return TRUE;
    return FALSE;
}

CWnd *CWnd::GetDlgItem(int nID) const
{
    for (HWND child : ChildWindows(m_hWnd, false))
        if (GetWindowLongPtrA(child, GWL_ID) == nID)
            return FromHandle(child);
    return nullptr;
}

int CWnd::GetDlgCtrlID() const { return static_cast<int>(GetWindowLongPtrA(m_hWnd, GWL_ID)); }

int CWnd::SetDlgCtrlID(int nID) { return static_cast<int>(SetWindowLongPtrA(m_hWnd, GWL_ID, nID)); }

void CWnd::SetDlgItemText(int nID, LPCSTR text)
{
    if (CWnd *item = GetDlgItem(nID))
        item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int nID, LPSTR buffer, int size) const
{
    CWnd *item = GetDlgItem(nID);
    if (!item) {
        if (buffer && size > 0)
            buffer[0] = 0;
        return 0;
    }
    return item->GetWindowText(buffer, size);
}

int CWnd::GetDlgItemText(int nID, CString &text) const
{
    text = "";
    if (CWnd *item = GetDlgItem(nID))
        item->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT value, BOOL bSigned)
{
    char buffer[16];
    if (bSigned)
        std::snprintf(buffer, sizeof(buffer), "%d", static_cast<int>(value));
    else
        std::snprintf(buffer, sizeof(buffer), "%u", value);
    SetDlgItemText(nID, buffer);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL *pTranslated, BOOL bSigned) const
{
    CString text;
    GetDlgItemText(nID, text);
    const char *s = text;
    while (*s == ' ')
        ++s;
    bool negative = bSigned && *s == '-';
    if (negative)
        ++s;
    unsigned long long v = 0;
    bool digits = false;
    while (*s >= '0' && *s <= '9') {
        v = v * 10 + static_cast<unsigned>(*s - '0');
        digits = true;
        if (v > 0xFFFFFFFFull)
            break;
        ++s;
    }
    while (*s == ' ')
        ++s;
    unsigned long long limit = bSigned ? (negative ? 0x80000000ull : 0x7FFFFFFFull) : 0xFFFFFFFFull;
    bool ok = digits && *s == 0 && v <= limit;
    if (pTranslated)
        *pTranslated = ok;
    if (!ok)
        return 0;
    return negative ? static_cast<UINT>(-static_cast<long long>(v)) : static_cast<UINT>(v);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const
{
    CWnd *item = GetDlgItem(nID);
    return item ? item->SendMessage(message, wParam, lParam) : 0;
}

void CWnd::CheckDlgButton(int nID, UINT check)
{
    if (CWnd *item = GetDlgItem(nID))
        item->SendMessage(BM_SETCHECK, check, 0);
}

UINT CWnd::IsDlgButtonChecked(int nID) const
{
    CWnd *item = GetDlgItem(nID);
    return item ? static_cast<UINT>(item->SendMessage(BM_GETCHECK, 0, 0)) : 0;
}

void CWnd::CheckRadioButton(int nFirst, int nLast, int nCheck)
{
    for (int id = nFirst; id <= nLast; ++id)
        CheckDlgButton(id, id == nCheck ? BST_CHECKED : BST_UNCHECKED);
}

CWnd *CWnd::GetNextDlgTabItem(CWnd *pCtl, BOOL bPrevious) const
{
    std::vector<HWND> tabStops;
    for (HWND child : ChildWindows(m_hWnd, false)) {
        DWORD style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        bool shown = IsWindowVisibleInParent(child);
        if ((style & WS_TABSTOP) && !(style & WS_DISABLED) && shown)
            tabStops.push_back(child);
    }
    if (tabStops.empty())
        return nullptr;
    auto it = pCtl ? std::find(tabStops.begin(), tabStops.end(), pCtl->m_hWnd) : tabStops.end();
    size_t n = tabStops.size();
    size_t i;
    if (it == tabStops.end())
        i = bPrevious ? n - 1 : 0;
    else
        i = bPrevious ? (static_cast<size_t>(it - tabStops.begin()) + n - 1) % n
                      : (static_cast<size_t>(it - tabStops.begin()) + 1) % n;
    return FromHandle(tabStops[i]);
}

CWnd *CWnd::GetNextDlgGroupItem(CWnd *pCtl, BOOL bPrevious) const
{
    std::vector<HWND> children = ChildWindows(m_hWnd, false);
    auto it = pCtl ? std::find(children.begin(), children.end(), pCtl->m_hWnd) : children.end();
    if (it == children.end())
        return nullptr;
    auto styleOf = [](HWND h) { return static_cast<DWORD>(GetWindowLongPtrA(h, GWL_STYLE)); };
    // The group runs from a control with WS_GROUP to the next one with it.
    auto first = it;
    while (first != children.begin() && !(styleOf(*first) & WS_GROUP))
        --first;
    auto last = it + 1;
    while (last != children.end() && !(styleOf(*last) & WS_GROUP))
        ++last;
    std::vector<HWND> group(first, last);
    size_t n = group.size();
    size_t pos = static_cast<size_t>(std::find(group.begin(), group.end(), pCtl->m_hWnd) - group.begin());
    for (size_t step = 1; step < n; ++step) {
        size_t i = bPrevious ? (pos + n - step) % n : (pos + step) % n;
        if (!(styleOf(group[i]) & WS_DISABLED) && IsWindowVisibleInParent(group[i]))
            return FromHandle(group[i]);
    }
    return pCtl;
}

void CWnd::SetWindowText(LPCSTR text) { SetWindowTextA(m_hWnd, text ? text : ""); }

int CWnd::GetWindowText(LPSTR buffer, int size) const { return GetWindowTextA(m_hWnd, buffer, size); }

void CWnd::GetWindowText(CString &text) const
{
    int length = GetWindowTextLength();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, 0);
    GetWindowTextA(m_hWnd, buffer.data(), length + 1);
    text = buffer.data();
}

int CWnd::GetWindowTextLength() const { return static_cast<int>(SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL CWnd::ShowWindow(int nCmdShow) { return win::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return win::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { return win::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return win::IsZoomed(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    DWORD style = GetStyle();
    BOOL wasDisabled = (style & WS_DISABLED) != 0;
    if (wasDisabled == !bEnable)
        return wasDisabled;
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, bEnable ? (style & ~WS_DISABLED) : (style | WS_DISABLED));
    if (QWidget *w = WindowWidget(m_hWnd))
        w->setEnabled(bEnable != FALSE);
    SendMessage(WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && !(GetStyle() & WS_DISABLED); }

BOOL CWnd::SetForegroundWindow() { return win::SetForegroundWindow(m_hWnd); }
void CWnd::BringWindowToTop() { win::BringWindowToTop(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    win::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(const RECT *rect, BOOL bRepaint)
{
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return SetWindowPos(pWndInsertAfter ? pWndInsertAfter->m_hWnd : HWND_TOP, x, y, cx, cy, nFlags);
}

BOOL CWnd::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    QWidget *w = WindowWidget(m_hWnd);
    if ((hWndInsertAfter == HWND_TOPMOST || hWndInsertAfter == HWND_NOTOPMOST) && w && w->isWindow()) {
        bool top = hWndInsertAfter == HWND_TOPMOST;
        DWORD ex = GetExStyle();
        SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, top ? (ex | WS_EX_TOPMOST) : (ex & ~WS_EX_TOPMOST));
        if (bool(w->windowFlags() & Qt::WindowStaysOnTopHint) != top) {
            // Changing the flag hides a shown window; it shows again at once.
            bool shown = w->isVisible();
            w->setWindowFlag(Qt::WindowStaysOnTopHint, top);
            if (shown)
                w->show();
        }
        if (top && !(nFlags & SWP_NOACTIVATE))
            w->raise();
    } else if (hWndInsertAfter == HWND_BOTTOM && w && !(nFlags & SWP_NOZORDER)) {
        w->lower();
    }
    return win::SetWindowPos(m_hWnd, HWND_TOP, x, y, cx, cy, nFlags | SWP_NOZORDER);
}

void CWnd::GetClientRect(RECT *rect) const
{
    if (rect && !win::GetClientRect(m_hWnd, rect))
        *rect = RECT{0, 0, 0, 0};
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT *placement) const
{
    return win::GetWindowPlacement(m_hWnd, placement);
}

void CWnd::GetWindowRect(RECT *rect) const
{
    if (rect && !win::GetWindowRect(m_hWnd, rect))
        *rect = RECT{0, 0, 0, 0};
}

void CWnd::ClientToScreen(POINT *point) const
{
    if (point)
        win::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(RECT *rect) const
{
    if (!rect)
        return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    win::ClientToScreen(m_hWnd, &a);
    win::ClientToScreen(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ScreenToClient(POINT *point) const
{
    if (point)
        win::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(RECT *rect) const
{
    if (!rect)
        return;
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    win::ScreenToClient(m_hWnd, &a);
    win::ScreenToClient(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::CenterWindow(CWnd *pAlternateOwner)
{
    CRect mine;
    GetWindowRect(&mine);
    HWND parent = win::GetParent(m_hWnd);
    bool child = (GetStyle() & WS_CHILD) != 0;
    CRect area;
    if (child && parent) {
        win::GetClientRect(parent, &area);
    } else {
        CWnd *over = pAlternateOwner ? pAlternateOwner : FromHandle(parent);
        if (over && over->m_hWnd && over->IsWindowVisible() && !over->IsIconic()) {
            over->GetWindowRect(&area);
        } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect g = screen->availableGeometry();
            area = CRect(g.x(), g.y(), g.x() + g.width(), g.y() + g.height());
        }
    }
    int x = area.left + (area.Width() - mine.Width()) / 2;
    int y = area.top + (area.Height() - mine.Height()) / 2;
    win::SetWindowPos(m_hWnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::Invalidate(BOOL bErase) { win::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(const RECT *rect, BOOL bErase) { win::InvalidateRect(m_hWnd, rect, bErase); }
void CWnd::UpdateWindow() { win::UpdateWindow(m_hWnd); }

BOOL CWnd::RedrawWindow(const RECT *rect, CRgn *region, UINT flags)
{
    return win::RedrawWindow(m_hWnd, rect, region ? region->m_hObject : 0, flags);
}

int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw)
{
    QWidget *w = WindowWidget(m_hWnd);
    if (!w)
        return 0;
    if (hRgn)
        w->setMask(QRegionOf(hRgn));
    else
        w->clearMask();
    if (region_ && region_ != hRgn)
        DeleteObject(region_);
    region_ = hRgn;
    if (bRedraw)
        Invalidate();
    return 1;
}

CDC *CWnd::GetDC()
{
    HDC hdc = win::GetDC(m_hWnd);
    if (!hdc)
        return nullptr;
    auto *dc = new CDC;
    dc->Attach(hdc);
    return dc;
}

int CWnd::ReleaseDC(CDC *pDC)
{
    if (!pDC)
        return 0;
    int r = win::ReleaseDC(m_hWnd, pDC->Detach());
    delete pDC;
    return r;
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = GetStyle();
    DWORD next = (style & ~dwRemove) | dwAdd;
    if (next == style)
        return FALSE;
    SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(next));
    if (nFlags)
        win::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, nFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = GetExStyle();
    DWORD next = (style & ~dwRemove) | dwAdd;
    if (next == style)
        return FALSE;
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(next));
    if (QWidget *w = WindowWidget(m_hWnd))
        w->setAttribute(Qt::WA_TranslucentBackground, (next & WS_EX_TRANSPARENT) != 0);
    if (nFlags)
        win::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, nFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

void CWnd::SetFont(CFont *pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, pFont ? static_cast<WPARAM>(pFont->m_hObject) : 0, bRedraw);
}

CFont *CWnd::GetFont() const { return CFont::FromHandle(static_cast<HFONT>(SendMessage(WM_GETFONT, 0, 0))); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return static_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, static_cast<LPARAM>(hIcon)));
}

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    return static_cast<HICON>(SendMessage(WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return win::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return win::KillTimer(m_hWnd, nIDEvent); }

CWnd *CWnd::SetFocus() { return FromHandle(win::SetFocus(m_hWnd)); }

CWnd *CWnd::GetFocus() { return FromHandle(win::GetFocus()); }

CWnd *CWnd::SetCapture()
{
    HWND previous = captureWindow;
    if (previous && previous != m_hWnd) {
        if (QWidget *w = WindowWidget(previous))
            w->releaseMouse();
        SendMessageA(previous, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(m_hWnd));
    }
    captureWindow = m_hWnd;
    if (QWidget *w = WindowWidget(m_hWnd))
        if (w->isVisible())
            w->grabMouse();
    return FromHandle(previous);
}

CWnd *CWnd::GetCapture() { return FromHandle(captureWindow); }

HWND GetCapture() { return captureWindow; }

BOOL ReleaseCapture()
{
    HWND previous = captureWindow;
    captureWindow = 0;
    if (previous) {
        if (QWidget *w = WindowWidget(previous))
            w->releaseMouse();
        SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    return MessageBoxA(m_hWnd, lpszText ? lpszText : "", lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC *) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnActivate(UINT, CWnd *, BOOL) { Default(); }
HBRUSH CWnd::OnCtlColor(CDC *, CWnd *, UINT) { return static_cast<HBRUSH>(Default()); }
void CWnd::OnSetFocus(CWnd *) { Default(); }
void CWnd::OnKillFocus(CWnd *) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
BOOL CWnd::OnSetCursor(CWnd *, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO *) { Default(); }

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    LRESULT ignored = 0;
    if (!lpDrawItemStruct ||
        !ReflectToChild(lpDrawItemStruct->hwndItem, WM_DRAWITEM, GetCurrentMessage()->wParam,
                        reinterpret_cast<LPARAM>(lpDrawItemStruct), &ignored))
        Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    LRESULT ignored = 0;
    CWnd *item = GetDlgItem(nIDCtl);
    if (!item || !ReflectToChild(item->m_hWnd, WM_MEASUREITEM, static_cast<WPARAM>(nIDCtl),
                                 reinterpret_cast<LPARAM>(lpMeasureItemStruct), &ignored))
        Default();
}

void CWnd::OnContextMenu(CWnd *, CPoint) { Default(); }
void CWnd::OnCaptureChanged(CWnd *) { Default(); }
BOOL CWnd::OnCopyData(CWnd *, COPYDATASTRUCT *) { return static_cast<BOOL>(Default()); }
void CWnd::OnHotKey(UINT, UINT, UINT) { Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
int CWnd::OnMouseActivate(CWnd *, UINT, UINT) { return static_cast<int>(Default()); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
HCURSOR CWnd::OnQueryDragIcon() { return static_cast<HCURSOR>(Default()); }
void CWnd::OnSettingChange(UINT, LPCSTR) { Default(); }
void CWnd::OnInitMenuPopup(CMenu *, UINT, BOOL) { Default(); }
LRESULT CWnd::OnMenuChar(UINT, UINT, CMenu *) { return Default(); }

void CWnd::DoDataExchange(CDataExchange *) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

int CWnd::RunModalLoop(DWORD)
{
    QEventLoop loop;
    modalLoop_ = &loop;
    continueModal_ = TRUE;
    modalResult_ = -1;
    bool ended = false;
    QMetaObject::Connection watch;
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
        watch = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [this, &loop] {
            if (continueModal_ && !ContinueModal())
                continueModal_ = FALSE;
            if (!continueModal_)
                loop.exit(0);
        });
    }
    if (continueModal_ && ContinueModal()) {
        loop.exec();
        ended = !continueModal_;
    } else {
        ended = true;
    }
    QObject::disconnect(watch);
    modalLoop_ = nullptr;
    continueModal_ = FALSE;
    // A loop left otherwise was ended by the program's quitting.
    return ended ? modalResult_ : -1;
}

BOOL CWnd::ContinueModal() { return continueModal_; }

void CWnd::EndModalLoop(int nResult)
{
    modalResult_ = nResult;
    if (continueModal_) {
        continueModal_ = FALSE;
        if (modalLoop_)
            static_cast<QEventLoop *>(modalLoop_)->exit(0);
    }
}

void CWnd::UpdateDialogControls(CCmdTarget *pTarget, BOOL bDisableIfNoHndler)
{
    for (HWND child : ChildWindows(m_hWnd, false)) {
        CWnd *control = FromHandle(child);
        int id = control->GetDlgCtrlID();
        if (id <= 0 || id > 0xFFFF || !IsWindow(child))
            continue;
        CCmdUI ui;
        ui.m_nID = static_cast<UINT>(id);
        ui.m_pOther = control;
        ui.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::map<std::string, std::unique_ptr<std::string>> names;
    char key[64];
    std::snprintf(key, sizeof(key), "Afx:%x:%x:%x:%x", nClassStyle, hCursor, hbrBackground, hIcon);
    auto &slot = names[key];
    if (!slot) {
        slot = std::make_unique<std::string>(key);
        WNDCLASSA wc{};
        wc.style = nClassStyle;
        wc.lpfnWndProc = AfxWndProc;
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.hIcon = hIcon;
        wc.lpszClassName = slot->c_str();
        RegisterClassA(&wc);
    }
    return slot->c_str();
}

} // namespace win
