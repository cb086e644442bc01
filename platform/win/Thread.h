// Threads and locks: recursive critical sections, threads behind kernel handles
// with exit codes and time-out waits, idle priority, Sleep, and the cooperative
// stop that stands in for TerminateThread.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/win/Handle.h"
#include "platform/win/WinTypes.h"

namespace win {

// A lock that the thread holding it may enter again; each Enter needs its Leave.
// InitializeCriticalSection must come before use and DeleteCriticalSection last.
struct CRITICAL_SECTION {
    void *lock;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION *;

void InitializeCriticalSection(LPCRITICAL_SECTION cs);
void EnterCriticalSection(LPCRITICAL_SECTION cs);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);
void LeaveCriticalSection(LPCRITICAL_SECTION cs);
void DeleteCriticalSection(LPCRITICAL_SECTION cs);

// Security attributes are accepted and ignored; callers pass null.
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

constexpr DWORD STILL_ACTIVE = 259;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_NORMAL = 0;

// A kernel object that WaitForSingleObject can wait for; Wait returns
// WAIT_OBJECT_0 or WAIT_TIMEOUT.
class WaitableObject : public KernelObject {
public:
    virtual DWORD Wait(DWORD timeoutMs) = 0;
};

// Starts `start(param)` on a new thread (stack size ignored; no flags are
// offered). Returns its handle and stores its id, or 0 with GetLastError set.
// Closing the handle of a running thread lets it run on; its object lives until
// it ends.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID param, DWORD flags, LPDWORD threadId);

// WAIT_OBJECT_0 once the object is signalled (a thread has ended), WAIT_TIMEOUT
// after timeoutMs of the layer's clock, WAIT_FAILED for a handle that cannot be
// waited for.
DWORD WaitForSingleObject(HANDLE h, DWORD timeoutMs);

// STILL_ACTIVE while the thread runs, then its exit code.
BOOL GetExitCodeThread(HANDLE h, LPDWORD exitCode);

// THREAD_PRIORITY_IDLE runs the thread only when the processor is otherwise
// idle; any other value gives it normal scheduling. The system may refuse a
// change; the call still succeeds for a live handle.
BOOL SetThreadPriority(HANDLE h, int priority);

DWORD GetCurrentThreadId();

// A thread cannot be killed safely here, so TerminateThread asks it to stop and
// returns TRUE at once: ThreadStopRequested() turns true on that thread, its
// Sleep returns, and the callbacks it registered with OnThreadStop run (they
// shut down what it blocks on). The thread ends when its code returns; its exit
// code is then `exitCode`.
BOOL TerminateThread(HANDLE h, DWORD exitCode);

// True on a thread of CreateThread whose stop was requested.
bool ThreadStopRequested();

// Registers, on the calling thread, a callback to run (on the stopping thread)
// when a stop of this thread is requested; it runs at once when the stop was
// already requested. Returns a token for CancelThreadStop, or 0 when the callback
// will never run (a thread not made by CreateThread, or already run). After
// CancelThreadStop returns the callback is not running and will not run; a
// callback must not call CancelThreadStop itself.
DWORD OnThreadStop(std::function<void()> callback);
void CancelThreadStop(DWORD token);

// Blocks the calling thread for `ms` (INFINITE: for ever); a thread of
// CreateThread wakes early when its stop is requested. Under a test clock, Sleep
// advances the test clock by `ms` and returns at once, so code that sleeps to let
// time pass sees that time pass without the test waiting for it.
void Sleep(DWORD ms);

} // namespace win
