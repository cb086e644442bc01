// The socket pool: the one hidden window that receives the notifications of every
// socket (message 3025) and the registry of live sockets it hands them to. Its
// state is process-wide; the object that made the window takes it down.
#pragma once

#include "lumon/core/LDbCtrl.h"
#include "platform/win/Window.h"

class LSocket;

// The notification message: wParam the socket, lParam the event in the low word
// and the error code in the high word.
constexpr win::UINT kSocketMessage = 3025;

class LSocketPool {
public:
    // With a null window the pool makes its hidden window; with a window given,
    // that one receives the notifications and is never destroyed by the pool.
    // While a pool is in force a further one does nothing.
    explicit LSocketPool(win::HWND window = 0);
    // Closes every registered socket (they stay alive), empties the registry and
    // destroys its own window.
    ~LSocketPool();
    LSocketPool(const LSocketPool &) = delete;
    LSocketPool &operator=(const LSocketPool &) = delete;

    static int IsInitialised();
    // The window every socket names for its notifications; 0 while there is none.
    static win::HWND GetWindow();
    static LDbCtrl<LSocket> &Registry();

    static win::LRESULT WndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);

private:
    bool m_Owner;
};
