#include "platform/win/Window.h"

#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/win/ClassCursor.h"
#include "platform/win/Handle.h"
#include "platform/win/Hooks.h"
#include "platform/win/Remote.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Text.h"
#include "platform/win/WindowRecord.h"
#include "platform/win/WindowSurface.h"

namespace win {
namespace {

struct WindowClass {
    std::string name;
    UINT style;
    WNDPROC proc;
    ATOM atom;
};

struct Tables {
    std::mutex lock;
    WindowSurfaceFactory factory;
    std::unordered_map<std::string, WindowClass> classes; // by lower-case name
    // Ordered by handle, which is creation order within a process.
    std::map<HWND, std::shared_ptr<WindowRecord>> windows;
    ATOM nextAtom = 0xC000;
    // Moves on (under the lock) whenever a window is added or removed or a
    // procedure is replaced; the per-thread send cache holds while it stands.
    std::atomic<uint64_t> version{1};
};

Tables &T()
{
    static auto *tables = new Tables;
    return *tables;
}

// Called with the lock held, after the table or a procedure changed.
void TableChanged() { T().version.fetch_add(1, std::memory_order_release); }

// The window of the calling thread it last sent to, with that window's
// procedure as of the table version it was read at.
struct OwnSendCache {
    HWND hwnd = 0;
    uint64_t version = 0;
    WNDPROC proc = nullptr;
};
thread_local OwnSendCache ownSend;

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool TopLevelExported(const WindowRecord &w)
{
    return w.parent == 0 && !(w.style & WS_CHILD) && !(w.exStyle & WS_EX_TOOLWINDOW);
}

WindowSurface *SurfaceOf(HWND hwnd)
{
    std::lock_guard<std::mutex> guard(T().lock);
    auto it = T().windows.find(hwnd);
    return it == T().windows.end() ? nullptr : it->second->surface;
}

// The parent of a child window; 0 for a top-level window.
HWND ParentOfChild(const WindowRecord &w)
{
    std::lock_guard<std::mutex> guard(T().lock);
    return (w.style & WS_CHILD) ? w.parent : 0;
}

std::vector<HWND> ChildrenOf(HWND hwnd)
{
    std::vector<HWND> children;
    std::lock_guard<std::mutex> guard(T().lock);
    for (auto &[h, w] : T().windows)
        if (w->parent == hwnd && !w->destroying)
            children.push_back(h);
    return children;
}

void ApplyShow(WindowRecord &w, int cmd)
{
    if (w.surface) {
        w.surface->Show(cmd);
        return;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    switch (cmd) {
    case SW_HIDE:
        w.visible = false;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        w.visible = true;
        w.minimized = true;
        w.maximized = false;
        break;
    case SW_SHOWMAXIMIZED:
        w.visible = true;
        w.minimized = false;
        w.maximized = true;
        break;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_RESTORE:
        w.visible = true;
        w.minimized = false;
        w.maximized = false;
        break;
    default:
        w.visible = true;
        break;
    }
}

bool StateOf(WindowRecord &w, UINT code)
{
    if (w.surface) {
        switch (code) {
        case kQueryVisible:
            return w.surface->IsVisible();
        case kQueryIconic:
            return w.surface->IsMinimized();
        default:
            return w.surface->IsMaximized();
        }
    }
    std::lock_guard<std::mutex> guard(T().lock);
    switch (code) {
    case kQueryVisible:
        return w.visible;
    case kQueryIconic:
        return w.minimized;
    default:
        return w.maximized;
    }
}

} // namespace

std::mutex &WindowLock() { return T().lock; }

std::shared_ptr<WindowRecord> FindLocalWindow(HWND hwnd)
{
    if (hwnd == 0)
        return nullptr;
    std::lock_guard<std::mutex> guard(T().lock);
    auto it = T().windows.find(hwnd);
    return it == T().windows.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<WindowRecord>> LocalTopLevelWindows()
{
    std::vector<std::shared_ptr<WindowRecord>> out;
    std::lock_guard<std::mutex> guard(T().lock);
    // Top-level windows are those that are not children: an owned pop-up
    // (a dialog over its main window) is one of them.
    for (auto &[h, w] : T().windows)
        if (!(w->style & WS_CHILD) && !w->destroying)
            out.push_back(w);
    return out;
}

// The windows of a thread that ended go with it.
void ForgetWindowsOfQueue(const ThreadQueue *queue)
{
    std::vector<HWND> gone;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        for (auto it = T().windows.begin(); it != T().windows.end();) {
            if (it->second->queue.get() == queue) {
                if (it->second->exported)
                    gone.push_back(it->first);
                it = T().windows.erase(it);
                TableChanged();
            } else {
                ++it;
            }
        }
    }
    for (HWND h : gone)
        UnexportWindow(h);
}

bool CallLocalWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result, bool fromOtherProcess)
{
    WNDPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        auto it = T().windows.find(hwnd);
        if (it == T().windows.end())
            return false;
        proc = it->second->proc;
    }
    MessageOrigin origin(fromOtherProcess);
    result = proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
    return true;
}

bool CachedOwnWindowProc(HWND hwnd, WNDPROC &proc)
{
    const OwnSendCache &cache = ownSend;
    if (hwnd == 0 || cache.hwnd != hwnd || cache.version != T().version.load(std::memory_order_acquire))
        return false;
    proc = cache.proc;
    return true;
}

bool OwnWindowProc(HWND hwnd, WNDPROC &proc)
{
    std::lock_guard<std::mutex> guard(T().lock);
    auto it = T().windows.find(hwnd);
    if (it == T().windows.end())
        return false;
    proc = it->second->proc;
    ownSend = {hwnd, T().version.load(std::memory_order_relaxed), proc};
    return true;
}

LRESULT QueryLocalWindow(HWND hwnd, UINT code, WPARAM arg)
{
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w)
        return 0;
    if (code == kQueryIsWindow)
        return 1;
    return RunOnQueueThread(w->queue, [w, code, arg]() -> LRESULT {
        switch (code) {
        case kQueryShow: {
            bool was = StateOf(*w, kQueryVisible);
            ApplyShow(*w, static_cast<int>(arg));
            return was;
        }
        case kQueryForeground:
            if (w->surface)
                w->surface->BringToFront();
            return 1;
        default:
            return StateOf(*w, code);
        }
    });
}

void SetWindowSurface(HWND hwnd, WindowSurface *surface)
{
    if (auto w = FindLocalWindow(hwnd)) {
        std::lock_guard<std::mutex> guard(T().lock);
        w->surface = surface;
    }
}

QWidget *WindowWidget(HWND hwnd)
{
    auto w = FindLocalWindow(hwnd);
    if (!w)
        return nullptr;
    std::lock_guard<std::mutex> guard(T().lock);
    return w->surface ? w->surface->Widget() : nullptr;
}

ATOM RegisterClassA(const WNDCLASSA *wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    std::string key = Lower(wc->lpszClassName);
    if (T().classes.count(key)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ATOM atom = T().nextAtom++;
    T().classes[key] = WindowClass{wc->lpszClassName, wc->style, wc->lpfnWndProc, atom};
    SetClassCursor(wc->lpszClassName, wc->hCursor);
    return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    if (!className) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    if (T().classes.erase(Lower(className)) == 0) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    SetClassCursor(className, 0);
    return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    auto w = std::make_shared<WindowRecord>();
    {
        std::lock_guard<std::mutex> guard(T().lock);
        auto it = className ? T().classes.find(Lower(className)) : T().classes.end();
        if (it == T().classes.end()) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return 0;
        }
        if (parent != 0 && !T().windows.count(parent)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        w->className = it->second.name;
        w->classStyle = it->second.style;
        w->proc = it->second.proc;
    }
    w->hwnd = AllocateHandleNumber();
    w->instance = instance;
    w->style = style;
    w->exStyle = exStyle;
    w->parent = parent;
    w->id = (style & WS_CHILD) ? static_cast<LONG_PTR>(menu) : 0;
    w->visible = (style & WS_VISIBLE) != 0;
    w->minimized = (style & WS_MINIMIZE) != 0;
    w->maximized = (style & WS_MAXIMIZE) != 0;
    w->queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> guard(T().lock);
        T().windows[w->hwnd] = w;
        TableChanged();
    }
    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    WindowSurfaceFactory factory;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        factory = T().factory;
    }
    if (factory)
        factory(w->hwnd, cs);
    // As on Windows, the handle is valid to other processes from the first
    // message on: a window that names itself to another program while it is
    // being created (WM_CREATE) is found there, under the title it is given.
    if (TopLevelExported(*w)) {
        std::string title;
        {
            std::lock_guard<std::mutex> guard(T().lock);
            w->exported = true;
            title = w->title.empty() && windowName ? windowName : w->title;
        }
        ExportWindow(w->hwnd, w->queue->ThreadId(), w->className, title);
    }
    LRESULT r = 0;
    if (!CallLocalWindow(w->hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs), r) || r == 0 ||
        !CallLocalWindow(w->hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs), r) || r == -1) {
        if (FindLocalWindow(w->hwnd))
            DestroyWindow(w->hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!FindLocalWindow(w->hwnd))
        return 0;
    if (WindowSurface *surface = SurfaceOf(w->hwnd))
        surface->Created();
    return w->hwnd;
}

BOOL DestroyWindow(HWND hwnd)
{
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->queue.get() != CurrentQueue().get()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(T().lock);
        if (w->destroying)
            return TRUE;
        w->destroying = true;
    }
    LRESULT r = 0;
    CallLocalWindow(hwnd, WM_DESTROY, 0, 0, r);
    for (HWND child : ChildrenOf(hwnd))
        DestroyWindow(child);
    w->queue->ForgetWindow(hwnd);
    if (w->exported)
        UnexportWindow(hwnd);
    CallLocalWindow(hwnd, WM_NCDESTROY, 0, 0, r);
    WindowSurface *surface = SurfaceOf(hwnd);
    {
        std::lock_guard<std::mutex> guard(T().lock);
        T().windows.erase(hwnd);
        TableChanged();
    }
    if (surface)
        surface->Destroyed();
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    if (hwnd == 0)
        return FALSE;
    if (FindLocalWindow(hwnd))
        return TRUE;
    RemoteEntry entry;
    return FindRemoteWindow(hwnd, entry) ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE: {
        auto *cs = reinterpret_cast<const CREATESTRUCTA *>(lParam);
        if (cs && cs->lpszName)
            if (auto w = FindLocalWindow(hwnd)) {
                std::lock_guard<std::mutex> guard(T().lock);
                w->title = cs->lpszName;
            }
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_CLOSE:
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
        return 0;
    case WM_SETTEXT: {
        auto w = FindLocalWindow(hwnd);
        if (!w)
            return FALSE;
        std::string title = lParam ? reinterpret_cast<const char *>(lParam) : "";
        bool exported;
        {
            std::lock_guard<std::mutex> guard(T().lock);
            w->title = title;
            exported = w->exported;
        }
        if (exported)
            ExportWindow(hwnd, w->queue->ThreadId(), w->className, title);
        return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        auto w = FindLocalWindow(hwnd);
        if (!w)
            return 0;
        std::string title;
        {
            std::lock_guard<std::mutex> guard(T().lock);
            title = w->title;
        }
        if (msg == WM_GETTEXTLENGTH)
            return static_cast<LRESULT>(title.size());
        auto *buffer = reinterpret_cast<char *>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        size_t n = GbkFitLength(title, wParam - 1);
        std::memcpy(buffer, title.data(), n);
        buffer[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case WM_MOUSEACTIVATE: {
        // A child window asks its parent first: a parent's non-zero answer is
        // the child's.
        auto w = FindLocalWindow(hwnd);
        if (HWND parent = w ? ParentOfChild(*w) : 0)
            if (LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam))
                return answer;
        return MA_ACTIVATE;
    }
    case WM_CANCELMODE:
        // Ends the menu this window owns.
        CancelMenuModeOf(hwnd);
        return 0;
    case WM_SETCURSOR:
        return DefaultSetCursor(hwnd, wParam, lParam);
    default:
        return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!proc)
        return 0;
    return proc(hwnd, msg, wParam, lParam);
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index)
{
    auto w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE:
        return w->instance;
    case GWL_HWNDPARENT:
        return w->parent;
    case GWL_ID:
        return w->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(w->exStyle);
    case GWL_USERDATA:
        return w->userData;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    auto w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    LONG_PTR old = 0;
    switch (index) {
    case GWL_WNDPROC:
        if (value == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        TableChanged();
        return old;
    case GWL_ID:
        old = w->id;
        w->id = value;
        return old;
    case GWL_STYLE:
        old = static_cast<LONG_PTR>(w->style);
        w->style = static_cast<DWORD>(value);
        return old;
    case GWL_EXSTYLE:
        old = static_cast<LONG_PTR>(w->exStyle);
        w->exStyle = static_cast<DWORD>(value);
        return old;
    case GWL_USERDATA:
        old = w->userData;
        w->userData = value;
        return old;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

HWND GetParent(HWND hwnd)
{
    auto w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::mutex> guard(T().lock);
    return w->parent;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text)
{
    if (!FindLocalWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (FindLocalWindow(hwnd))
        return static_cast<int>(
            SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
    RemoteEntry entry;
    if (!FindRemoteWindow(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(GbkCopyToField(buffer, static_cast<size_t>(size), GbkCut(entry.title, size - 1)));
}

namespace {

LRESULT Query(HWND hwnd, UINT code, WPARAM arg)
{
    if (FindLocalWindow(hwnd))
        return QueryLocalWindow(hwnd, code, arg);
    return RemoteQueryWindow(hwnd, code, arg);
}

} // namespace

BOOL ShowWindow(HWND hwnd, int cmdShow) { return Query(hwnd, kQueryShow, static_cast<WPARAM>(cmdShow)) ? TRUE : FALSE; }
BOOL IsWindowVisible(HWND hwnd) { return Query(hwnd, kQueryVisible, 0) ? TRUE : FALSE; }
BOOL IsIconic(HWND hwnd) { return Query(hwnd, kQueryIconic, 0) ? TRUE : FALSE; }
BOOL IsZoomed(HWND hwnd) { return Query(hwnd, kQueryZoomed, 0) ? TRUE : FALSE; }
BOOL SetForegroundWindow(HWND hwnd) { return Query(hwnd, kQueryForeground, 0) ? TRUE : FALSE; }
BOOL BringWindowToTop(HWND hwnd) { return Query(hwnd, kQueryForeground, 0) ? TRUE : FALSE; }

HWND GetActiveWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return 0;
    QWidget *active = QApplication::activeWindow();
    if (!active)
        return 0;
    // The window of the active top-level widget, or the top-level window shown
    // inside it (a form within the frame that holds its menu bar).
    std::lock_guard<std::mutex> guard(T().lock);
    HWND inside = 0;
    for (auto &[h, w] : T().windows) {
        if (!w->surface || w->destroying)
            continue;
        QWidget *widget = w->surface->Widget();
        if (widget == active)
            return h;
        if (!inside && widget && !(w->style & WS_CHILD) && widget->window() == active)
            inside = h;
    }
    return inside;
}

HWND SetActiveWindow(HWND hwnd)
{
    // The top-level window of a child is the one activated.
    HWND top = hwnd;
    for (int depth = 0; depth < 64; ++depth) {
        auto w = FindLocalWindow(top);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        HWND parent = ParentOfChild(*w);
        if (!parent)
            break;
        top = parent;
    }
    const HWND before = GetActiveWindow();
    Query(top, kQueryForeground, 0);
    return before;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName)
{
    auto matches = [&](const std::string &cls, const std::string &title) {
        return (!className || GbkEqualNoCase(cls, className)) && (!windowName || GbkEqualNoCase(title, windowName));
    };
    for (auto &w : LocalTopLevelWindows()) {
        std::string cls, title;
        {
            std::lock_guard<std::mutex> guard(T().lock);
            cls = w->className;
            title = w->title;
        }
        if (matches(cls, title))
            return w->hwnd;
    }
    for (const RemoteEntry &e : RemoteWindows())
        if (matches(e.className, e.title))
            return e.hwnd;
    return 0;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam)
{
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (auto &w : LocalTopLevelWindows())
        if (!proc(w->hwnd, lParam))
            return TRUE;
    for (const RemoteEntry &e : RemoteWindows())
        if (!proc(e.hwnd, lParam))
            return TRUE;
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    if (auto w = FindLocalWindow(hwnd)) {
        if (processId)
            *processId = static_cast<DWORD>(getpid());
        return w->queue->ThreadId();
    }
    RemoteEntry entry;
    if (FindRemoteWindow(hwnd, entry)) {
        if (processId)
            *processId = entry.pid;
        return entry.tid;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    if (processId)
        *processId = 0;
    return 0;
}

void SetWindowSurfaceFactory(WindowSurfaceFactory factory)
{
    std::lock_guard<std::mutex> guard(T().lock);
    T().factory = std::move(factory);
}

HWND WindowOfWidget(const QWidget *widget)
{
    if (!widget)
        return 0;
    std::lock_guard<std::mutex> guard(T().lock);
    for (auto &[h, w] : T().windows)
        if (w->surface && !w->destroying && w->surface->Widget() == widget)
            return h;
    return 0;
}

namespace {

// The surface of a live window of this process, with the last error set when
// there is none.
WindowSurface *PlacedSurface(HWND hwnd)
{
    if (!FindLocalWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return SurfaceOf(hwnd);
}

} // namespace

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
    if (!FindLocalWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (WindowSurface *surface = SurfaceOf(hwnd)) {
        RECT b = surface->Bounds();
        int left = (flags & SWP_NOMOVE) ? b.left : x;
        int top = (flags & SWP_NOMOVE) ? b.top : y;
        int width = (flags & SWP_NOSIZE) ? b.right - b.left : cx;
        int height = (flags & SWP_NOSIZE) ? b.bottom - b.top : cy;
        surface->SetBounds(RECT{left, top, left + width, top + height});
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(hwnd, 0, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetClientRect(HWND hwnd, RECT *rect)
{
    if (!rect || !FindLocalWindow(hwnd)) {
        SetLastError(rect ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowSurface *surface = SurfaceOf(hwnd);
    RECT b = surface ? surface->Bounds() : RECT{0, 0, 0, 0};
    *rect = RECT{0, 0, b.right - b.left, b.bottom - b.top};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT *rect)
{
    if (!rect || !FindLocalWindow(hwnd)) {
        SetLastError(rect ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowSurface *surface = SurfaceOf(hwnd);
    RECT b = surface ? surface->Bounds() : RECT{0, 0, 0, 0};
    POINT o = surface ? surface->ClientOrigin() : POINT{0, 0};
    *rect = RECT{o.x, o.y, o.x + b.right - b.left, o.y + b.bottom - b.top};
    return TRUE;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT *placement)
{
    if (!placement || !FindLocalWindow(hwnd)) {
        SetLastError(placement ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowSurface *surface = SurfaceOf(hwnd);
    placement->length = sizeof(WINDOWPLACEMENT);
    placement->flags = 0;
    placement->showCmd = IsIconic(hwnd) ? SW_SHOWMINIMIZED : IsZoomed(hwnd) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement->ptMinPosition = POINT{0, 0};
    placement->ptMaxPosition = POINT{0, 0};
    placement->rcNormalPosition = surface ? surface->NormalBounds() : RECT{0, 0, 0, 0};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT *point)
{
    WindowSurface *surface = PlacedSurface(hwnd);
    if (!point || !FindLocalWindow(hwnd))
        return FALSE;
    POINT o = surface ? surface->ClientOrigin() : POINT{0, 0};
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT *point)
{
    WindowSurface *surface = PlacedSurface(hwnd);
    if (!point || !FindLocalWindow(hwnd))
        return FALSE;
    POINT o = surface ? surface->ClientOrigin() : POINT{0, 0};
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

HWND SetParent(HWND hwnd, HWND parent)
{
    auto w = FindLocalWindow(hwnd);
    if (!w || (parent != 0 && !FindLocalWindow(parent))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    HWND old;
    {
        std::lock_guard<std::mutex> guard(T().lock);
        old = w->parent;
        w->parent = parent;
    }
    if (WindowSurface *surface = SurfaceOf(hwnd))
        surface->SetParentWindow(parent);
    return old;
}

BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase)
{
    if (!FindLocalWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (WindowSurface *surface = SurfaceOf(hwnd))
        surface->Invalidate(rect, erase != FALSE);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowSurface *surface = PlacedSurface(hwnd);
    if (!FindLocalWindow(hwnd))
        return FALSE;
    if (surface)
        surface->UpdateNow();
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT *rect, uint32_t, UINT flags)
{
    WindowSurface *surface = PlacedSurface(hwnd);
    if (!FindLocalWindow(hwnd))
        return FALSE;
    if (surface && (flags & RDW_INVALIDATE))
        surface->Invalidate(rect, (flags & RDW_ERASE) != 0);
    if (surface && (flags & (RDW_UPDATENOW | RDW_ERASENOW)))
        surface->UpdateNow();
    return TRUE;
}

HWND SetFocus(HWND hwnd)
{
    HWND previous = GetFocus();
    if (hwnd == 0)
        return previous;
    WindowSurface *surface = PlacedSurface(hwnd);
    if (!FindLocalWindow(hwnd))
        return 0;
    if (surface)
        surface->Focus();
    return previous;
}

HWND GetFocus()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return 0;
    for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget())
        if (HWND h = WindowOfWidget(widget))
            return h;
    return 0;
}

} // namespace win
