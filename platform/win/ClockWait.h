// Time-out waits of the layer, measured on its monotonic clock so that a test
// clock drives them as it drives GetTickCount.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/win/WinTypes.h"

namespace win {

// Waits on `cv` (with `lock` held) until `ready()` holds or `timeoutMs` of
// MonotonicNowMs have passed; INFINITE waits for ever. Returns ready(). While a
// test clock is set, the wait looks at that clock about every millisecond, so
// whoever advances it needs to notify nobody.
bool WaitOnClock(std::condition_variable &cv, std::unique_lock<std::mutex> &lock, DWORD timeoutMs,
                 const std::function<bool()> &ready);

} // namespace win
