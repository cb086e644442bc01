#include "platform/win/ThreadQueue.h"

#include "platform/win/Thread.h"
#include "platform/win/Time.h"

#include <algorithm>
#include <chrono>

namespace win {

void ForgetWindowsOfQueue(const ThreadQueue *queue);

namespace {

std::mutex guiLock;
std::shared_ptr<ThreadQueue> &GuiQueueSlot()
{
    static auto *slot = new std::shared_ptr<ThreadQueue>;
    return *slot;
}

// Ends the thread's queue when the thread ends.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder()
    {
        if (queue) {
            ForgetWindowsOfQueue(queue.get());
            queue->Shutdown();
        }
    }
};
thread_local QueueHolder holder;

} // namespace

int64_t QueueClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t TimerClockMs() { return static_cast<int64_t>(MonotonicNowMs()); }

bool ThreadQueue::Matches(const MSG &m, HWND hwnd, UINT min, UINT max) const
{
    if (m.message == WM_QUIT)
        return true;
    if (hwnd != 0 && m.hwnd != hwnd)
        return false;
    if ((min != 0 || max != 0) && (m.message < min || m.message > max))
        return false;
    return true;
}

void ThreadQueue::WakeLocked()
{
    if (host_)
        host_->Wake();
    cv.notify_all();
}

bool ThreadQueue::Post(const MSG &msg)
{
    std::lock_guard<std::mutex> guard(lock);
    if (dead_)
        return false;
    posted_.push_back(msg);
    WakeLocked();
    return true;
}

bool ThreadQueue::Submit(const std::shared_ptr<SentItem> &item)
{
    std::lock_guard<std::mutex> guard(lock);
    if (dead_)
        return false;
    sent_.push_back(item);
    WakeLocked();
    return true;
}

bool ThreadQueue::HasSent()
{
    std::lock_guard<std::mutex> guard(lock);
    return !sent_.empty();
}

void ThreadQueue::ServeSent()
{
    for (;;) {
        std::shared_ptr<SentItem> item;
        {
            std::lock_guard<std::mutex> guard(lock);
            if (sent_.empty())
                return;
            item = std::move(sent_.front());
            sent_.pop_front();
        }
        LRESULT result = item->work ? item->work() : 0;
        CompleteSentItem(item, result, true);
    }
}

bool ThreadQueue::CollectDueTimers()
{
    int64_t now = TimerClockMs();
    bool queued = false;
    std::lock_guard<std::mutex> guard(lock);
    for (QueueTimer &t : timers_) {
        if (t.due > now)
            continue;
        // A tick missed while the thread was busy is lost, not queued later.
        t.due = now + t.interval;
        if (t.pending)
            continue;
        t.pending = true;
        posted_.push_back(MSG{t.hwnd, WM_TIMER, t.id, 0, GetTickCount(), {0, 0}});
        queued = true;
    }
    return queued;
}

int64_t ThreadQueue::MsUntilNextTimer()
{
    std::lock_guard<std::mutex> guard(lock);
    if (timers_.empty())
        return -1;
    int64_t due = timers_.front().due;
    for (const QueueTimer &t : timers_)
        due = std::min(due, t.due);
    return std::max<int64_t>(0, due - TimerClockMs());
}

bool ThreadQueue::Take(MSG &msg, HWND hwnd, UINT min, UINT max, bool remove)
{
    CollectDueTimers();
    std::lock_guard<std::mutex> guard(lock);
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
        if (!Matches(*it, hwnd, min, max))
            continue;
        msg = *it;
        if (remove) {
            if (msg.message == WM_TIMER) {
                for (QueueTimer &t : timers_)
                    if (t.hwnd == msg.hwnd && t.id == msg.wParam)
                        t.pending = false;
            }
            posted_.erase(it);
        }
        return true;
    }
    return false;
}

void ThreadQueue::ForgetWindow(HWND hwnd)
{
    QueueHost *host = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                     [hwnd](const MSG &m) { return m.hwnd == hwnd; }),
                      posted_.end());
        auto before = timers_.size();
        timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                     [hwnd](const QueueTimer &t) { return t.hwnd == hwnd; }),
                      timers_.end());
        if (before != timers_.size())
            host = host_;
    }
    if (host)
        host->TimersChanged();
}

void ThreadQueue::SetTimer(HWND hwnd, UINT_PTR id, DWORD interval)
{
    QueueHost *host = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        int64_t due = TimerClockMs() + interval;
        auto it = std::find_if(timers_.begin(), timers_.end(),
                               [&](const QueueTimer &t) { return t.hwnd == hwnd && t.id == id; });
        if (it != timers_.end()) {
            it->interval = interval;
            it->due = due;
        } else {
            timers_.push_back(QueueTimer{hwnd, id, interval, due, false});
        }
        host = host_;
        cv.notify_all();
    }
    if (host)
        host->TimersChanged();
}

bool ThreadQueue::KillTimer(HWND hwnd, UINT_PTR id)
{
    QueueHost *host = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = std::find_if(timers_.begin(), timers_.end(),
                               [&](const QueueTimer &t) { return t.hwnd == hwnd && t.id == id; });
        if (it == timers_.end())
            return false;
        timers_.erase(it);
        // A tick already queued is withdrawn with its timer.
        posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                     [&](const MSG &m) {
                                         return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id;
                                     }),
                      posted_.end());
        host = host_;
    }
    if (host)
        host->TimersChanged();
    return true;
}

void ThreadQueue::WaitForWork(int64_t ms)
{
    std::unique_lock<std::mutex> guard(lock);
    if (!posted_.empty() || !sent_.empty() || dead_)
        return;
    cv.wait_for(guard, std::chrono::milliseconds(ms));
}

void ThreadQueue::AttachHost(QueueHost *host)
{
    std::lock_guard<std::mutex> guard(lock);
    host_ = host;
    if (!posted_.empty() || !sent_.empty())
        host_->Wake();
}

void ThreadQueue::DetachHost(QueueHost *host)
{
    std::lock_guard<std::mutex> guard(lock);
    if (host_ == host)
        host_ = nullptr;
}

bool ThreadQueue::HasHost()
{
    std::lock_guard<std::mutex> guard(lock);
    return host_ != nullptr;
}

bool ThreadQueue::Dead()
{
    std::lock_guard<std::mutex> guard(lock);
    return dead_;
}

void ThreadQueue::Shutdown()
{
    std::deque<std::shared_ptr<SentItem>> orphans;
    {
        std::lock_guard<std::mutex> guard(lock);
        dead_ = true;
        host_ = nullptr;
        orphans.swap(sent_);
        posted_.clear();
        timers_.clear();
    }
    for (auto &item : orphans)
        CompleteSentItem(item, 0, false);
}

std::shared_ptr<ThreadQueue> CurrentQueue()
{
    if (!holder.queue) {
        holder.queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
        AttachEventLoopHost(holder.queue);
    }
    return holder.queue;
}

std::shared_ptr<ThreadQueue> GuiQueue()
{
    std::lock_guard<std::mutex> guard(guiLock);
    return GuiQueueSlot();
}

void SetGuiQueue(const std::shared_ptr<ThreadQueue> &queue)
{
    std::lock_guard<std::mutex> guard(guiLock);
    GuiQueueSlot() = queue;
}

void CompleteSentItem(const std::shared_ptr<SentItem> &item, LRESULT result, bool ran)
{
    item->result = result;
    item->ran = ran;
    if (item->onDone)
        item->onDone(result, ran);
    std::shared_ptr<ThreadQueue> waiter = item->waiter;
    if (waiter) {
        std::lock_guard<std::mutex> guard(waiter->lock);
        item->done = true;
        waiter->cv.notify_all();
    } else {
        item->done = true;
    }
}

bool WaitForSentItem(const std::shared_ptr<SentItem> &item, int64_t timeoutMs)
{
    std::shared_ptr<ThreadQueue> self = CurrentQueue();
    int64_t deadline = timeoutMs < 0 ? INT64_MAX : QueueClockMs() + timeoutMs;
    for (;;) {
        self->ServeSent();
        std::unique_lock<std::mutex> guard(self->lock);
        if (item->done)
            return true;
        int64_t left = deadline - QueueClockMs();
        if (left <= 0)
            return false;
        self->cv.wait_for(guard, std::chrono::milliseconds(std::min<int64_t>(left, 50)));
        if (item->done)
            return true;
    }
}

LRESULT RunOnQueueThread(const std::shared_ptr<ThreadQueue> &queue, std::function<LRESULT()> work,
                         bool *ran)
{
    if (!queue || queue.get() == CurrentQueue().get()) {
        if (ran)
            *ran = true;
        return work();
    }
    auto item = std::make_shared<SentItem>();
    item->work = std::move(work);
    item->waiter = CurrentQueue();
    if (!queue->Submit(item)) {
        if (ran)
            *ran = false;
        return 0;
    }
    WaitForSentItem(item, -1);
    if (ran)
        *ran = item->ran;
    return item->result;
}

LRESULT RunOnGuiThread(std::function<LRESULT()> work)
{
    std::shared_ptr<ThreadQueue> gui = GuiQueue();
    bool ran = false;
    LRESULT result = RunOnQueueThread(gui, work, &ran);
    // The GUI thread has ended: the caller's own thread does the work.
    return ran ? result : work();
}

} // namespace win
