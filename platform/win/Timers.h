// Window timers: WM_TIMER messages with the timer's id, queued to the window's
// thread at the interval; ticks missed while that thread is busy are lost.
#pragma once

#include "platform/win/Messages.h"

namespace win {

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Starts (or, for an id the window already uses, restarts with the new interval)
// a timer of a window of the calling thread; returns the id. A window of another
// thread or none gives 0 with ERROR_INVALID_WINDOW_HANDLE; a timer procedure is
// not supported (ERROR_NOT_SUPPORTED). An interval of 0 counts as 1 ms.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);

// Stops the timer and withdraws a tick already queued; FALSE when there is none.
BOOL KillTimer(HWND hwnd, UINT_PTR id);

} // namespace win
