// Window messages: the message record, the message numbers the programs use, and
// the queue of each thread (posting, sending within and across threads and
// processes, retrieving, dispatching, quitting) with the application's hook.
#pragma once

#include <functional>

#include "platform/win/WinTypes.h"

namespace win {

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    // TRUE on a message that came from another process (set by the layer).
    BOOL fromOtherProcess = FALSE;
};
using LPMSG = MSG *;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETTINGCHANGE = 0x001A;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MENUCHAR = 0x0120;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MDIACTIVATE = 0x0222;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_HOTKEY = 0x0312;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// WM_SYSCOMMAND commands.
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;
constexpr WPARAM SC_SCREENSAVE = 0xF140;

// PeekMessageA options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

using ULONG_PTR = uintptr_t;
using PVOID = void *;

// The block a WM_COPYDATA message carries in lParam. Across processes dwData
// keeps its low 32 bits and the receiver gets a copy of the bytes, valid while it
// handles the message.
struct COPYDATASTRUCT {
    ULONG_PTR dwData;
    DWORD cbData;
    PVOID lpData;
};
using PCOPYDATASTRUCT = COPYDATASTRUCT *;

// The largest WM_COPYDATA block, and the longest WM_SETTEXT / WM_GETTEXT text,
// that crosses processes.
constexpr DWORD kMaxCopyDataBytes = 60000;

// TRUE while the calling thread handles a message that came from another process,
// sent or posted: inside the window procedure the layer calls with it (and the
// procedures that one chains to) and inside the application's hook. A message
// sent from within that handling is this process's own again. Only 32-bit values
// cross processes: a program refuses its own messages (at or above WM_USER) whose
// wParam or lParam it would take as a pointer when this says TRUE.
BOOL InMessageFromOtherProcess();

// Puts a message at the end of the queue of the thread that owns the window, from
// any thread; a window of another process gets it through that process's socket.
// hwnd 0 posts to the calling thread itself. FALSE with
// ERROR_INVALID_WINDOW_HANDLE for a window that does not exist (any more), and
// with ERROR_MESSAGE_SYNC_ONLY for WM_COPYDATA, which only SendMessage carries
// (likewise WM_SETTEXT and WM_GETTEXT to another process). Another process gets
// the messages at or above WM_USER and the system messages whose parameters are
// plain values; any other message to it fails with ERROR_ACCESS_DENIED.
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(hwnd, msg, wParam, lParam);
}
constexpr DWORD ERROR_MESSAGE_SYNC_ONLY = 1159;

// Calls the window procedure and returns its result. On the owner's thread the
// call is direct. From another thread the caller waits until the owner's thread
// has handled it (it does so inside modal loops too) and meanwhile handles the
// messages sent to its own windows. A window of another process is reached
// through its socket; after 10 s without an answer the call gives up
// (ERROR_TIMEOUT), and a peer that ends meanwhile makes it return at once. 0 with
// ERROR_INVALID_WINDOW_HANDLE for a window that does not exist or is destroyed
// before its turn. To another process WM_COPYDATA carries a copy of its block,
// WM_SETTEXT a copy of its text and WM_GETTEXT copies the answer back into the
// caller's buffer (at most kMaxCopyDataBytes bytes each); the other system
// messages that carry pointers do not cross (0 with ERROR_ACCESS_DENIED, also
// when the receiver refuses one).
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(hwnd, msg, wParam, lParam);
}

// Takes the next message of the calling thread's queue for `hwnd` (0: any window)
// with a number in [filterMin, filterMax] (both 0: any), after handling the
// messages sent to the thread. GetMessageA waits for one; it returns 0 for
// WM_QUIT and -1 for a window handle that does not exist. Windows paint through
// Qt, so no WM_PAINT is queued: on the GUI thread, PeekMessageA with PM_REMOVE
// over WM_PAINT paints the windows whose painting is due and returns FALSE.
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
inline BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    return PeekMessageA(msg, hwnd, filterMin, filterMax, removeMsg);
}
inline BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    return GetMessageA(msg, hwnd, filterMin, filterMax);
}

// Hands a retrieved message to its window's procedure; messages without a window
// go nowhere.
LRESULT DispatchMessageA(const MSG *msg);
inline LRESULT DispatchMessage(const MSG *msg) { return DispatchMessageA(msg); }

// Ends the GUI thread's message loop, modal loops included, once the messages
// posted before it have been handled; callable from any thread, the loop returns
// `exitCode`. In a process without the application's event loop it ends the
// calling thread's GetMessageA loop (GetMessageA returns 0).
void PostQuitMessage(int exitCode);

// The application's message hook: it sees every message the GUI thread's loop
// takes from its queue (posted messages, also inside modal loops) and the input
// messages made from the user's keys and mouse, before they reach their window.
// Setting `handled` drops the message.
using MessageHook = std::function<void(MSG &msg, bool &handled)>;
void SetApplicationMessageHook(MessageHook hook);
// Runs the hook on a message; true when it was handled. The input translation of
// the window classes calls this before delivering an input message.
bool RunApplicationMessageHook(MSG &msg);

} // namespace win
