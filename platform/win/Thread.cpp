#include "platform/win/Thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/win/ClockWait.h"
#include "platform/win/Time.h"

namespace win {
namespace {

class ThreadObject : public WaitableObject {
public:
    DWORD Wait(DWORD timeoutMs) override
    {
        std::unique_lock<std::mutex> guard(lock);
        return WaitOnClock(changed, guard, timeoutMs, [this] { return finished; }) ? WAIT_OBJECT_0
                                                                                    : WAIT_TIMEOUT;
    }

    std::mutex lock;
    std::condition_variable changed;
    bool started = false;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    DWORD terminateCode = 0;
    pid_t tid = 0;
    pthread_t native{};
    std::atomic<bool> stopRequested{false};

    // Stop callbacks run under their own lock, so that cancelling one waits for
    // it to finish.
    std::mutex callbackLock;
    bool callbacksFired = false;
    std::map<DWORD, std::function<void()>> callbacks;
};

// The object of the calling thread when CreateThread made it; the thread's own
// reference keeps it alive while it runs.
thread_local ThreadObject *currentThread = nullptr;

std::atomic<DWORD> nextToken{1};

void RunThread(std::shared_ptr<ThreadObject> self, LPTHREAD_START_ROUTINE start, LPVOID param)
{
    currentThread = self.get();
    {
        std::lock_guard<std::mutex> guard(self->lock);
        self->tid = ::gettid();
        self->started = true;
    }
    self->changed.notify_all();
    const DWORD code = start(param);
    {
        std::lock_guard<std::mutex> guard(self->lock);
        self->finished = true;
        self->exitCode = self->stopRequested.load() ? self->terminateCode : code;
    }
    self->changed.notify_all();
    currentThread = nullptr;
}

std::recursive_mutex *LockOf(LPCRITICAL_SECTION cs) { return static_cast<std::recursive_mutex *>(cs->lock); }

} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION cs) { cs->lock = new std::recursive_mutex; }

void EnterCriticalSection(LPCRITICAL_SECTION cs) { LockOf(cs)->lock(); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) { return LockOf(cs)->try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(LPCRITICAL_SECTION cs) { LockOf(cs)->unlock(); }

void DeleteCriticalSection(LPCRITICAL_SECTION cs)
{
    delete LockOf(cs);
    cs->lock = nullptr;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                    LPDWORD threadId)
{
    if (start == nullptr || flags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto object = std::make_shared<ThreadObject>();
    try {
        std::thread worker(RunThread, object, start, param);
        std::unique_lock<std::mutex> guard(object->lock);
        object->native = worker.native_handle();
        // Detached at once: a thread outliving its handle, or the process's last
        // moments, never meets a joinable std::thread.
        worker.detach();
        object->changed.wait(guard, [&] { return object->started; });
    } catch (const std::system_error &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (threadId != nullptr)
        *threadId = DWORD(object->tid);
    return AddKernelObject(object);
}

DWORD WaitForSingleObject(HANDLE h, DWORD timeoutMs)
{
    auto object = FindKernelObjectAs<WaitableObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(timeoutMs);
}

BOOL GetExitCodeThread(HANDLE h, LPDWORD exitCode)
{
    auto object = FindKernelObjectAs<ThreadObject>(h);
    if (!object || exitCode == nullptr) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(object->lock);
    *exitCode = object->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE h, int priority)
{
    auto object = FindKernelObjectAs<ThreadObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Under the lock a thread not yet finished is still alive, so its pthread
    // handle is valid.
    std::lock_guard<std::mutex> guard(object->lock);
    if (object->finished)
        return TRUE;
    sched_param param{};
    param.sched_priority = 0;
    if (priority <= THREAD_PRIORITY_IDLE) {
        if (::pthread_setschedparam(object->native, SCHED_IDLE, &param) != 0)
            ::setpriority(PRIO_PROCESS, id_t(object->tid), 19);
    } else {
        ::pthread_setschedparam(object->native, SCHED_OTHER, &param);
    }
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    thread_local const DWORD id = DWORD(::gettid());
    return id;
}

BOOL TerminateThread(HANDLE h, DWORD exitCode)
{
    auto object = FindKernelObjectAs<ThreadObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(object->lock);
        if (object->finished || object->stopRequested.load())
            return TRUE;
        object->terminateCode = exitCode;
        object->stopRequested.store(true);
    }
    object->changed.notify_all();
    std::lock_guard<std::mutex> guard(object->callbackLock);
    object->callbacksFired = true;
    for (auto &entry : object->callbacks)
        entry.second();
    object->callbacks.clear();
    return TRUE;
}

bool ThreadStopRequested() { return currentThread != nullptr && currentThread->stopRequested.load(); }

DWORD OnThreadStop(std::function<void()> callback)
{
    ThreadObject *self = currentThread;
    if (self == nullptr || !callback)
        return 0;
    std::lock_guard<std::mutex> guard(self->callbackLock);
    if (self->callbacksFired) {
        callback();
        return 0;
    }
    const DWORD token = nextToken.fetch_add(1);
    self->callbacks.emplace(token, std::move(callback));
    return token;
}

void CancelThreadStop(DWORD token)
{
    ThreadObject *self = currentThread;
    if (self == nullptr || token == 0)
        return;
    std::lock_guard<std::mutex> guard(self->callbackLock);
    self->callbacks.erase(token);
}

void Sleep(DWORD ms)
{
    if (ms != INFINITE && TestClockActive()) {
        AdvanceTestClock(ms);
        std::this_thread::yield();
        return;
    }
    ThreadObject *self = currentThread;
    if (self != nullptr) {
        std::unique_lock<std::mutex> guard(self->lock);
        WaitOnClock(self->changed, guard, ms, [self] { return self->stopRequested.load(); });
        return;
    }
    if (ms == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace win
