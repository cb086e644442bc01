// Message-filter hooks: procedures a thread installs to see, and take, the
// messages that the system's own modal loops (menus, dialog boxes) handle before
// those loops act on them; and the thread's menu mode, which WM_CANCELMODE and
// EndMenu end.
#pragma once

#include <functional>

#include "platform/win/Messages.h"

namespace win {

using HHOOK = uint32_t;
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

constexpr int WH_MSGFILTER = -1;
constexpr int WH_SYSMSGFILTER = 6;

// The codes a message filter sees: the loop the message came through.
constexpr int MSGF_DIALOGBOX = 0;
constexpr int MSGF_MESSAGEBOX = 1;
constexpr int MSGF_MENU = 2;
constexpr int MSGF_SCROLLBAR = 5;
constexpr int MSGF_NEXTWINDOW = 6;
constexpr int MSGF_USER = 4096;

constexpr DWORD ERROR_INVALID_HOOK_HANDLE = 1404;
constexpr DWORD ERROR_INVALID_HOOK_FILTER = 1426;
constexpr DWORD ERROR_INVALID_FILTER_PROC = 1427;
constexpr DWORD ERROR_HOOK_NEEDS_HMOD = 1428;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;

// Installs `proc` at the head of the chain of `idHook` for the thread `threadId`
// (0: every thread of the process, which needs a module as on Windows). Only the
// message-filter hooks exist: WH_MSGFILTER for one thread, WH_SYSMSGFILTER for all.
// Null with the last error set on a hook type that does not exist, a null
// procedure, a missing module or a thread that is not one of this process's.
HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE hMod, DWORD threadId);
inline HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE hMod, DWORD threadId)
{
    return SetWindowsHookExA(idHook, proc, hMod, threadId);
}
// Calls the next procedure of the chain that is running now (the handle is
// ignored, as on Windows); 0 at the end of the chain.
LRESULT CallNextHookEx(HHOOK hhk, int code, WPARAM wParam, LPARAM lParam);
// Removes the procedure; a chain running now goes on without it. FALSE with
// ERROR_INVALID_HOOK_HANDLE for a handle that is not an installed hook.
BOOL UnhookWindowsHookEx(HHOOK hhk);
// Offers the message to the thread's WH_SYSMSGFILTER and then WH_MSGFILTER
// procedures with `code`; TRUE when one took it (the loop must not act on it).
BOOL CallMsgFilterA(MSG *msg, int code);
inline BOOL CallMsgFilter(MSG *msg, int code) { return CallMsgFilterA(msg, code); }

// The thread's menu mode: a menu loop registers how to end itself and whose it
// is (the window that owns the menu). While it runs, WM_CANCELMODE reaching the
// owner's default handling, or EndMenu, ends it: the menu closes with no choice.
class MenuMode {
public:
    MenuMode(HWND owner, std::function<void()> end);
    ~MenuMode();
    MenuMode(const MenuMode &) = delete;
    MenuMode &operator=(const MenuMode &) = delete;

    HWND Owner() const { return owner_; }
    bool Ended() const { return ended_; }
    void End();
    // The innermost menu mode of the calling thread, or null.
    static MenuMode *Current();

private:
    HWND owner_;
    std::function<void()> end_;
    bool ended_ = false;
    MenuMode *outer_;
};

// Ends the calling thread's menu mode, if any.
BOOL EndMenu();
// What the default handling of WM_CANCELMODE does to menus: ends the thread's
// menu mode when `hwnd` owns that menu.
void CancelMenuModeOf(HWND hwnd);

} // namespace win
