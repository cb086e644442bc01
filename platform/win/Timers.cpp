#include "platform/win/Timers.h"

#include "platform/win/WindowRecord.h"

namespace win {

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    if (proc) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w || w->queue.get() != CurrentQueue().get()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    w->queue->SetTimer(hwnd, id, elapseMs == 0 ? 1 : elapseMs);
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return w->queue->KillTimer(hwnd, id) ? TRUE : FALSE;
}

} // namespace win
