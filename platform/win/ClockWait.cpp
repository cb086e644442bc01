#include "platform/win/ClockWait.h"

#include <chrono>

#include "platform/win/Time.h"

namespace win {

bool WaitOnClock(std::condition_variable &cv, std::unique_lock<std::mutex> &lock, DWORD timeoutMs,
                 const std::function<bool()> &ready)
{
    if (timeoutMs == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    const ULONGLONG deadline = MonotonicNowMs() + timeoutMs;
    while (!ready()) {
        const ULONGLONG now = MonotonicNowMs();
        if (now >= deadline)
            return false;
        // The real clock is the one the condition variable measures; a test clock
        // moves only when the test says so, so it is looked at in short steps.
        const ULONGLONG step = TestClockActive() ? 1 : deadline - now;
        cv.wait_for(lock, std::chrono::milliseconds(step));
    }
    return true;
}

} // namespace win
