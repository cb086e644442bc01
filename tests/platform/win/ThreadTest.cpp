#include "platform/win/Thread.h"

#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

using namespace win;

namespace {

// A gate a thread body waits at until the test opens it.
struct Gate {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    DWORD id = 0;

    void Open()
    {
        std::lock_guard<std::mutex> guard(lock);
        open = true;
        opened.notify_all();
    }
    void Pass()
    {
        std::unique_lock<std::mutex> guard(lock);
        opened.wait(guard, [this] { return open; });
    }
};

DWORD WaitAtGate(LPVOID param)
{
    auto *gate = static_cast<Gate *>(param);
    gate->id = GetCurrentThreadId();
    gate->Pass();
    return 42;
}

} // namespace

TEST(Thread, ExitCodeAndWaitForTheEnd)
{
    Gate gate;
    DWORD id = 0;
    const HANDLE h = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(WaitForSingleObject(h, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    gate.Open();
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(gate.id, id);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_FALSE(GetExitCodeThread(h, &code));
}

TEST(Thread, ClosingTheHandleOfARunningThreadLetsItRun)
{
    struct State {
        Gate gate;
        std::atomic<bool> ran{false};
    } state;
    const HANDLE h = CreateThread(
        nullptr, 0,
        [](LPVOID param) -> DWORD {
            auto *s = static_cast<State *>(param);
            s->gate.Pass();
            s->ran = true;
            return 0;
        },
        &state, 0, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(CloseHandle(h));
    state.gate.Open();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!state.ran && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(state.ran);
}

TEST(Thread, TimeOutFollowsTheTestClock)
{
    SetTestClock(0, 1000);
    Gate gate;
    const HANDLE h = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(h, 0u);
    std::atomic<bool> waiting{false};
    auto result = std::async(std::launch::async, [h, &waiting] {
        waiting = true;
        return WaitForSingleObject(h, 10000);
    });
    // The test clock stands still until advanced, so the waiter's deadline is
    // 11000 however late it starts, as long as it starts before the first step.
    while (!waiting)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    AdvanceTestClock(9999);
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    AdvanceTestClock(1);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(result.get(), WAIT_TIMEOUT);

    // Sleep moves the test clock instead of waiting for it.
    const DWORD before = GetTickCount();
    Sleep(8000);
    EXPECT_EQ(GetTickCount() - before, 8000u);
    ClearTestClock();

    gate.Open();
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    CloseHandle(h);
}

namespace {

// Loops in long sleeps until asked to stop, as a polling worker does.
DWORD SleepUntilStopped(LPVOID)
{
    while (!ThreadStopRequested())
        Sleep(60000);
    return 0;
}

// Blocks on something only its stop callback releases, as a thread in a socket
// call does.
DWORD BlockUntilReleased(LPVOID)
{
    std::mutex lock;
    std::condition_variable cv;
    bool released = false;
    const DWORD token = OnThreadStop([&] {
        std::lock_guard<std::mutex> guard(lock);
        released = true;
        cv.notify_all();
    });
    {
        std::unique_lock<std::mutex> guard(lock);
        cv.wait(guard, [&] { return released; });
    }
    CancelThreadStop(token);
    // A callback registered after the stop runs at once.
    bool late = false;
    EXPECT_EQ(OnThreadStop([&] { late = true; }), 0u);
    EXPECT_TRUE(late);
    return 0;
}

} // namespace

TEST(Thread, CooperativeStopEndsBlockedThreadsQuickly)
{
    for (LPTHREAD_START_ROUTINE body : {SleepUntilStopped, BlockUntilReleased}) {
        const HANDLE h = CreateThread(nullptr, 0, body, nullptr, 0, nullptr);
        ASSERT_NE(h, 0u);
        EXPECT_EQ(WaitForSingleObject(h, 50), WAIT_TIMEOUT);
        EXPECT_TRUE(TerminateThread(h, 7));
        EXPECT_EQ(WaitForSingleObject(h, 2000), WAIT_OBJECT_0);
        DWORD code = 0;
        ASSERT_TRUE(GetExitCodeThread(h, &code));
        EXPECT_EQ(code, 7u);
        CloseHandle(h);
    }
    EXPECT_FALSE(ThreadStopRequested());
}

TEST(Thread, IdlePriorityRunsTheThreadOnlyWhenIdle)
{
    struct State {
        Gate gate;
        int policy = -1;
        int niceness = 0;
    } state;
    const HANDLE h = CreateThread(
        nullptr, 0,
        [](LPVOID param) -> DWORD {
            auto *s = static_cast<State *>(param);
            s->gate.Pass();
            s->policy = sched_getscheduler(0);
            s->niceness = getpriority(PRIO_PROCESS, 0);
            return 0;
        },
        &state, 0, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(SetThreadPriority(h, THREAD_PRIORITY_IDLE));
    state.gate.Open();
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(state.policy == SCHED_IDLE || state.niceness == 19) << state.policy << " " << state.niceness;
    // A thread that has ended takes the call without complaint.
    EXPECT_TRUE(SetThreadPriority(h, THREAD_PRIORITY_IDLE));
    CloseHandle(h);
    EXPECT_FALSE(SetThreadPriority(h, THREAD_PRIORITY_IDLE));
}

TEST(Thread, CriticalSectionIsRecursivePerThread)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);
    auto tryOther = [&] {
        return std::async(std::launch::async, [&] {
                   const BOOL got = TryEnterCriticalSection(&cs);
                   if (got)
                       LeaveCriticalSection(&cs);
                   return got;
               })
            .get();
    };
    EXPECT_FALSE(tryOther());
    LeaveCriticalSection(&cs);
    EXPECT_FALSE(tryOther());
    LeaveCriticalSection(&cs);
    EXPECT_TRUE(tryOther());
    DeleteCriticalSection(&cs);
}
