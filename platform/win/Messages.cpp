#include "platform/win/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <mutex>
#include <optional>

#include "platform/win/Remote.h"
#include "platform/win/ThreadQueue.h"
#include "platform/win/Time.h"
#include "platform/win/WindowRecord.h"

namespace win {
namespace {

thread_local bool handlingOtherProcess = false;

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
// The test clock moved: timers are due by it, not by the machine's time.
const QEvent::Type kClockEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::mutex hookLock;
MessageHook &Hook()
{
    static auto *hook = new MessageHook;
    return *hook;
}

void Deliver(MSG &msg);

// Drives the GUI thread's queue from the Qt event loop: every arrival posts one
// wake event, which runs the sent calls and then one posted message, so that
// input and painting interleave with the queue as they do on Windows, and modal
// loops (nested event loops) keep the queue moving.
class QueuePump : public QObject, public QueueHost {
public:
    explicit QueuePump(std::shared_ptr<ThreadQueue> queue) : queue_(std::move(queue))
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    }

    void Wake() override
    {
        if (!wakePending_.exchange(true))
            QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
    }

    void TimersChanged() override { Rearm(); }

    bool event(QEvent *e) override
    {
        if (e->type() == kClockEvent) {
            OnTimer();
            return true;
        }
        if (e->type() != kWakeEvent)
            return QObject::event(e);
        wakePending_ = false;
        queue_->ServeSent();
        // A GetMessageA loop waiting at this level takes the posted messages itself.
        if (getMessageLevel_ >= 0 && getMessageLevel_ == QThread::currentThread()->loopLevel())
            return true;
        MSG msg;
        if (queue_->Take(msg, 0, 0, 0, true)) {
            MSG more;
            if (queue_->Take(more, 0, 0, 0, false) || queue_->HasSent())
                Wake();
            Deliver(msg);
        }
        return true;
    }

    // The loop level at which a GetMessageA call waits (-1: none).
    int getMessageLevel_ = -1;

private:
    void OnTimer()
    {
        if (queue_->CollectDueTimers())
            Wake();
        Rearm();
    }
    void Rearm()
    {
        int64_t ms = queue_->MsUntilNextTimer();
        if (ms < 0)
            timer_.stop();
        else
            timer_.start(static_cast<int>(std::min<int64_t>(ms, INT32_MAX)));
    }

    std::shared_ptr<ThreadQueue> queue_;
    std::atomic<bool> wakePending_{false};
    QTimer timer_;
};

QueuePump *guiPump = nullptr;
// Guards guiPump for the threads that move the test clock.
std::mutex pumpLock;

void TestClockMoved()
{
    std::lock_guard<std::mutex> guard(pumpLock);
    if (guiPump)
        QCoreApplication::postEvent(guiPump, new QEvent(kClockEvent));
}

// The application's main loop runs (GuiApplication::Run), and a quit that came
// while it did not: Run then returns at once, as the main loop of a Windows
// program ends on a WM_QUIT that a modal loop handed on.
bool mainLoopRunning = false;
std::optional<int> pendingQuit;

void Deliver(MSG &msg)
{
    if (msg.message == WM_QUIT) {
        if (!mainLoopRunning)
            pendingQuit = static_cast<int>(msg.wParam);
        QCoreApplication::exit(static_cast<int>(msg.wParam));
        return;
    }
    if (RunApplicationMessageHook(msg))
        return;
    DispatchMessageA(&msg);
}

MSG MakeMsg(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MSG{hwnd, msg, wParam, lParam, GetTickCount(), {0, 0}};
}

bool OnEventLoopThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return app && app->thread() == QThread::currentThread();
}

} // namespace

void AttachEventLoopHost(const std::shared_ptr<ThreadQueue> &queue)
{
    if (guiPump || !OnEventLoopThread())
        return;
    {
        std::lock_guard<std::mutex> guard(pumpLock);
        guiPump = new QueuePump(queue);
    }
    queue->AttachHost(guiPump);
    SetGuiQueue(queue);
    SetTestClockMovedHook(&TestClockMoved);
    // The pump goes before the application object, leaving the queue without host.
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [queue] {
        SetTestClockMovedHook(nullptr);
        queue->DetachHost(guiPump);
        std::lock_guard<std::mutex> guard(pumpLock);
        delete guiPump;
        guiPump = nullptr;
        SetGuiQueue(nullptr);
    });
}

int RunMainLoop()
{
    mainLoopRunning = true;
    if (pendingQuit) {
        // The loop still runs for a moment: entering it is what clears Qt's
        // record of the earlier quit, so that later modal loops run again.
        int code = *pendingQuit;
        pendingQuit.reset();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    }
    int code = QCoreApplication::exec();
    mainLoopRunning = false;
    return code;
}

MessageOrigin::MessageOrigin(bool fromOtherProcess) : saved_(handlingOtherProcess)
{
    handlingOtherProcess = fromOtherProcess;
}

MessageOrigin::~MessageOrigin() { handlingOtherProcess = saved_; }

BOOL InMessageFromOtherProcess() { return handlingOtherProcess ? TRUE : FALSE; }

BOOL PostLocalMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool fromOtherProcess)
{
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG m = MakeMsg(hwnd, msg, wParam, lParam);
    m.fromOtherProcess = fromOtherProcess ? TRUE : FALSE;
    if (!w->queue->Post(m)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COPYDATA) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (hwnd == 0) {
        CurrentQueue()->Post(MakeMsg(0, msg, wParam, lParam));
        return TRUE;
    }
    if (FindLocalWindow(hwnd))
        return PostLocalMessage(hwnd, msg, wParam, lParam);
    return RemotePost(hwnd, msg, wParam, lParam);
}

namespace {

// A send to a window of the calling thread: its procedure, called directly.
LRESULT CallOwnWindow(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MessageOrigin origin(false);
    return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Repeated sends to the same window of this thread (a stream of change
    // messages to the frame) skip the table look-ups.
    WNDPROC proc = nullptr;
    if (CachedOwnWindowProc(hwnd, proc))
        return CallOwnWindow(proc, hwnd, msg, wParam, lParam);
    std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
    if (!w)
        return RemoteSend(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    if (w->queue.get() == CurrentQueue().get()) {
        if (!OwnWindowProc(hwnd, proc)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return result;
        }
        return CallOwnWindow(proc, hwnd, msg, wParam, lParam);
    }
    bool handled = false;
    bool ran = false;
    result = RunOnQueueThread(
        w->queue,
        [hwnd, msg, wParam, lParam, &handled]() -> LRESULT {
            LRESULT r = 0;
            handled = CallLocalWindow(hwnd, msg, wParam, lParam, r);
            return r;
        },
        &ran);
    if (!ran || !handled)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return result;
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg)
        return FALSE;
    std::shared_ptr<ThreadQueue> queue = CurrentQueue();
    queue->ServeSent();
    bool remove = (removeMsg & PM_REMOVE) != 0;
    if (queue->Take(*msg, hwnd, filterMin, filterMax, remove))
        return TRUE;
    // Painting is Qt's: asked for WM_PAINT, the GUI thread paints what is due
    // right here (as dispatching the WM_PAINT would); no message is handed out.
    bool wantsPaint = (filterMin == 0 && filterMax == 0) || (filterMin <= WM_PAINT && WM_PAINT <= filterMax);
    if (remove && wantsPaint && guiPump && queue.get() == GuiQueue().get()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg)
        return -1;
    if (hwnd != 0 && !FindLocalWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    std::shared_ptr<ThreadQueue> queue = CurrentQueue();
    bool pumped = guiPump && queue.get() == GuiQueue().get();
    for (;;) {
        queue->ServeSent();
        if (queue->Take(*msg, hwnd, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        if (pumped) {
            int saved = guiPump->getMessageLevel_;
            guiPump->getMessageLevel_ = QThread::currentThread()->loopLevel();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (guiPump)
                guiPump->getMessageLevel_ = saved;
        } else {
            int64_t ms = queue->MsUntilNextTimer();
            queue->WaitForWork(ms < 0 ? 1000 : std::min<int64_t>(ms, 1000));
        }
    }
}

LRESULT DispatchMessageA(const MSG *msg)
{
    if (!msg || msg->hwnd == 0)
        return 0;
    LRESULT result = 0;
    CallLocalWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam, result, msg->fromOtherProcess != FALSE);
    return result;
}

void PostQuitMessage(int exitCode)
{
    std::shared_ptr<ThreadQueue> queue = GuiQueue();
    if (!queue)
        queue = CurrentQueue();
    queue->Post(MakeMsg(0, WM_QUIT, static_cast<WPARAM>(exitCode), 0));
}

void SetApplicationMessageHook(MessageHook hook)
{
    std::lock_guard<std::mutex> guard(hookLock);
    Hook() = std::move(hook);
}

bool RunApplicationMessageHook(MSG &msg)
{
    MessageHook hook;
    {
        std::lock_guard<std::mutex> guard(hookLock);
        hook = Hook();
    }
    if (!hook)
        return false;
    MessageOrigin origin(msg.fromOtherProcess != FALSE);
    bool handled = false;
    hook(msg, handled);
    return handled;
}

} // namespace win
