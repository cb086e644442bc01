// The message queue of one thread, inside the layer: posted messages, messages
// sent by other threads and processes waiting for their turn, and the thread's
// timers. The GUI thread's queue is driven by the Qt event loop through a host;
// other threads drive theirs with GetMessageA / PeekMessageA.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win/Messages.h"

namespace win {

class ThreadQueue;

// A call that must run on the queue's thread: a message sent from another thread
// or process, or a service marshalled to the GUI thread. Whoever waits for it
// names its own queue as waiter and is woken when it is done; a call nobody
// waits for reports through onDone (on the thread that ran it, or on the thread
// that shut the queue down).
struct SentItem {
    std::function<LRESULT()> work;
    std::function<void(LRESULT result, bool ran)> onDone;
    std::shared_ptr<ThreadQueue> waiter;
    std::atomic<bool> done{false};
    bool ran = false;
    LRESULT result = 0;
};

// What drives a queue from an event loop: told when something arrived and when
// the timers changed (the latter only on the queue's own thread).
class QueueHost {
public:
    virtual ~QueueHost() = default;
    virtual void Wake() = 0;
    virtual void TimersChanged() = 0;
};

struct QueueTimer {
    HWND hwnd;
    UINT_PTR id;
    DWORD interval;
    int64_t due;
    bool pending;
};

class ThreadQueue {
public:
    explicit ThreadQueue(DWORD threadId) : threadId_(threadId) {}

    DWORD ThreadId() const { return threadId_; }

    // False when the queue's thread has ended.
    bool Post(const MSG &msg);
    bool Submit(const std::shared_ptr<SentItem> &item);

    // Runs the waiting sent items, in order; only on the queue's thread.
    void ServeSent();

    // The next message for `hwnd` (0: any) within [min, max] (0, 0: any), due
    // timers included; WM_QUIT matches every filter.
    bool Take(MSG &msg, HWND hwnd, UINT min, UINT max, bool remove);
    bool HasSent();
    // Milliseconds until the next timer is due (-1: no timer).
    int64_t MsUntilNextTimer();
    // Turns due timers into WM_TIMER messages; true when one was queued.
    bool CollectDueTimers();

    // Drops the posted messages and timers of a window being destroyed.
    void ForgetWindow(HWND hwnd);

    // Timers of this thread's windows.
    void SetTimer(HWND hwnd, UINT_PTR id, DWORD interval);
    bool KillTimer(HWND hwnd, UINT_PTR id);

    // Waits (bounded by `ms`) until something arrives for a thread without host.
    void WaitForWork(int64_t ms);

    void AttachHost(QueueHost *host);
    void DetachHost(QueueHost *host);
    bool HasHost();

    // The thread ended: every waiting call fails, later posts and sends fail.
    void Shutdown();
    bool Dead();

    // A waiter sleeps on this until its call is done or a call arrives for it.
    std::mutex lock;
    std::condition_variable cv;

private:
    void WakeLocked();
    bool Matches(const MSG &m, HWND hwnd, UINT min, UINT max) const;

    DWORD threadId_;
    std::deque<MSG> posted_;
    std::deque<std::shared_ptr<SentItem>> sent_;
    std::vector<QueueTimer> timers_;
    QueueHost *host_ = nullptr;
    bool dead_ = false;
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
// The queue of the thread that runs the application's event loop, or null.
std::shared_ptr<ThreadQueue> GuiQueue();
void SetGuiQueue(const std::shared_ptr<ThreadQueue> &queue);
// Milliseconds of the real monotonic clock, for the waits between threads and
// processes (a test clock must not stall them); timers follow the layer's clock.
int64_t QueueClockMs();
int64_t TimerClockMs();

// Marks a call done and wakes whoever waits for it.
void CompleteSentItem(const std::shared_ptr<SentItem> &item, LRESULT result, bool ran);

// Waits until the call is done, meanwhile running the calls sent to the calling
// thread. False on time-out (timeoutMs < 0: no limit).
bool WaitForSentItem(const std::shared_ptr<SentItem> &item, int64_t timeoutMs);

// Runs `work` on the thread of `queue` and returns its result: directly when that
// is the calling thread, else as a sent call. `ran` says whether it ran (false
// when that thread has ended).
LRESULT RunOnQueueThread(const std::shared_ptr<ThreadQueue> &queue, std::function<LRESULT()> work,
                         bool *ran = nullptr);

// Runs `work` on the GUI thread (directly when there is none, or when the caller
// is it) and waits for it.
LRESULT RunOnGuiThread(std::function<LRESULT()> work);

// Runs the application's main event loop on the GUI thread; returns the quit
// code. A quit handled before (inside a modal loop) makes it return at once.
int RunMainLoop();

// Called by the event-loop side when the calling thread's queue is first made:
// gives it a host when the thread runs the application's event loop.
void AttachEventLoopHost(const std::shared_ptr<ThreadQueue> &queue);

} // namespace win
