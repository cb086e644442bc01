// Windows without the form library: classes, creation, window procedures and
// their chaining, destruction, the window's state (style, text, visibility) and
// the look-up of windows, also of the user's other processes.
#pragma once

#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

namespace win {

using ATOM = WORD;
using HMENU = uint32_t;
using HICON = uint32_t;
using HCURSOR = uint32_t;
using HBRUSH = uint32_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// Get/SetWindowLong indexes.
constexpr int GWL_WNDPROC = -4;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GWLP_USERDATA = -21;

// Answers to WM_MOUSEACTIVATE: activate the window the click is on or not,
// and deliver the click or swallow it.
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_ACTIVATEANDEAT = 2;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr LRESULT MA_NOACTIVATEANDEAT = 4;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// What WM_NCCREATE and WM_CREATE carry in lParam.
struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

// Registers a class of this process (names compared without regard to case).
// 0 with ERROR_CLASS_ALREADY_EXISTS for a name already registered, or
// ERROR_INVALID_PARAMETER without a name or procedure.
ATOM RegisterClassA(const WNDCLASSA *wc);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

// Creates a window of a registered class, owned by the calling thread, and sends
// it WM_NCCREATE and WM_CREATE; a procedure that refuses either (FALSE, -1)
// gets the window destroyed and the result is 0. A window without a parent (a
// top-level window, tool windows apart) can be found by the user's other
// processes. WS_VISIBLE makes it visible.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

// Destroys the window and its children (WM_DESTROY, then WM_NCDESTROY, children
// before their parent), its timers and its entry for other processes. Only the
// owner thread may destroy a window (else ERROR_ACCESS_DENIED).
BOOL DestroyWindow(HWND hwnd);

// True for a window of this process that is not destroyed, and for a live window
// of another of the user's processes.
BOOL IsWindow(HWND hwnd);

// The default handling: WM_CLOSE destroys the window; WM_SYSCOMMAND minimises,
// maximises, restores or closes; WM_SETTEXT / WM_GETTEXT keep the text;
// WM_NCCREATE accepts; WM_SETCURSOR sets the class cursor (Cursor.h); everything
// else answers 0.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Window values. The index GWL_WNDPROC replaces the window procedure (subclassing)
// and returns the previous one; the values are pointer-sized so that procedures
// and pointers fit. 0 with ERROR_INVALID_WINDOW_HANDLE or ERROR_INVALID_INDEX.
LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongA(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }
inline LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value)
{
    return SetWindowLongPtrA(hwnd, index, value);
}
constexpr DWORD ERROR_INVALID_INDEX = 1413;

HWND GetParent(HWND hwnd);
BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
int GetWindowTextA(HWND hwnd, LPSTR buffer, int size);

// Visibility and order. For a window of another process the request is carried
// out by that process. ShowWindow returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL SetForegroundWindow(HWND hwnd);
BOOL BringWindowToTop(HWND hwnd);
// Makes a top-level window of this process the active one (a child window
// activates its top-level window); the window active before, or 0 when none
// was or `hwnd` is no window.
HWND SetActiveWindow(HWND hwnd);
// The active top-level window of this process, or 0.
HWND GetActiveWindow();

// The first top-level window of the user's processes with that class and title
// (null: any; compared without regard to case), or 0.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);

// Calls `proc` for the top-level windows of this process (in creation order), then
// for those of the user's other processes, until it returns FALSE.
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);

// The thread that owns the window, and its process in *processId; 0 for a window
// that does not exist.
DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);

// Placement, painting and focus of windows of this process, carried out by the
// widget that hosts the window (a window without one keeps no geometry).
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr HWND HWND_TOP = 0;
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND hwnd, RECT *rect);
// In screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT *rect);
BOOL ClientToScreen(HWND hwnd, POINT *point);
// Where a window stands: showCmd (SW_SHOWNORMAL, SW_SHOWMINIMIZED or
// SW_SHOWMAXIMIZED) and rcNormalPosition, its rectangle when restored, in its
// parent's client coordinates (the screen's for a top-level window). The
// minimised and maximised positions are not kept (0, 0). FALSE for a window that
// does not exist here or a null `placement`.
struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT *placement);
BOOL ScreenToClient(HWND hwnd, POINT *point);
// Returns the previous parent; 0 on failure.
HWND SetParent(HWND hwnd, HWND parent);
BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT *rect, uint32_t region, UINT flags);
// Gives the keyboard focus to a window of this process; returns the window that
// had it (0: none of ours).
HWND SetFocus(HWND hwnd);
HWND GetFocus();

} // namespace win
