#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/win/Messages.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"

using namespace win;
using wintest::EnsureGui;
using wintest::PumpUntil;

namespace {

// Every message a test window receives, in order.
struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::mutex seenLock;
std::vector<Seen> seen;

std::vector<Seen> SeenNow()
{
    std::lock_guard<std::mutex> guard(seenLock);
    return seen;
}

size_t CountSeen(UINT msg)
{
    size_t n = 0;
    for (const Seen &s : SeenNow())
        n += s.msg == msg;
    return n;
}

std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> onMessage;

LRESULT CALLBACK_Recorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> guard(seenLock);
        seen.push_back({hwnd, msg, wParam, lParam});
    }
    if (onMessage && msg >= WM_USER)
        return onMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = CALLBACK_Recorder;
            wc.lpszClassName = "MsgTestWnd";
            return RegisterClassA(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        seen.clear();
        onMessage = nullptr;
        hwnd = CreateWindowExA(0, "msgtestwnd", "test", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
        ASSERT_NE(hwnd, 0u);
    }
    void TearDown() override
    {
        SetApplicationMessageHook(nullptr);
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        onMessage = nullptr;
    }
    HWND hwnd = 0;
};

TEST_F(MessagesTest, PostedMessagesArriveInOrderThroughTheHook)
{
    std::vector<UINT> hooked;
    SetApplicationMessageHook([&](MSG &m, bool &handled) {
        if (m.hwnd != hwnd)
            return;
        hooked.push_back(m.message);
        // The hook takes this one: it never reaches the window.
        handled = m.message == WM_USER + 3;
    });
    PostMessageA(hwnd, WM_USER + 1, 11, 0);
    std::thread worker([&] { PostMessageA(hwnd, WM_USER + 2, 22, 0); });
    worker.join();
    PostMessageA(hwnd, WM_USER + 3, 33, 0);
    PostMessageA(hwnd, WM_USER + 4, 44, -5);
    ASSERT_TRUE(PumpUntil([&] { return CountSeen(WM_USER + 4) == 1; }));

    EXPECT_EQ(hooked, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
    std::vector<UINT> delivered;
    for (const Seen &s : SeenNow())
        if (s.msg >= WM_USER)
            delivered.push_back(s.msg);
    EXPECT_EQ(delivered, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 4}));
    EXPECT_EQ(SeenNow().back().lParam, -5);
}

TEST_F(MessagesTest, WorkerSendReturnsAfterTheGuiThreadHandledIt)
{
    std::atomic<bool> handled{false};
    std::atomic<bool> insideDialog{false};
    QDialog dialog;
    onMessage = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        insideDialog = dialog.isVisible();
        handled = true;
        if (msg == WM_USER + 7)
            dialog.accept();
        return static_cast<LRESULT>(wParam * 2);
    };

    // Outside any modal loop.
    LRESULT first = -1;
    bool handledBeforeReturn = false;
    std::thread worker([&] {
        first = SendMessageA(hwnd, WM_USER + 6, 21, 0);
        handledBeforeReturn = handled;
    });
    ASSERT_TRUE(PumpUntil([&] { return handled.load(); }));
    worker.join();
    EXPECT_EQ(first, 42);
    EXPECT_TRUE(handledBeforeReturn);

    // Inside a modal dialog's loop: the handler ends the dialog.
    handled = false;
    LRESULT second = -1;
    std::thread modalWorker([&] {
        second = SendMessageA(hwnd, WM_USER + 7, 50, 0);
        handledBeforeReturn = handled;
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject);
    int outcome = dialog.exec();
    PumpUntil([&] { return second != -1; });
    modalWorker.join();
    EXPECT_EQ(outcome, QDialog::Accepted);
    EXPECT_TRUE(insideDialog);
    EXPECT_EQ(second, 100);
    EXPECT_TRUE(handledBeforeReturn);
}

TEST_F(MessagesTest, SameThreadSendIsDirectAndSubclassingChains)
{
    onMessage = [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w + 1); };
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 1, 0), 2);

    static WNDPROC previous = nullptr;
    static int subclassCalls = 0;
    subclassCalls = 0;
    WNDPROC sub = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        ++subclassCalls;
        return CallWindowProcA(previous, h, m, w + 10, l);
    };
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(sub)));
    ASSERT_EQ(previous, &CALLBACK_Recorder);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 1, 0), 12);
    EXPECT_EQ(subclassCalls, 1);
    SetWindowLongPtrA(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 1, 0), 2);

    char text[8];
    EXPECT_TRUE(SetWindowTextA(hwnd, "abcdefghij"));
    EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 7);
    EXPECT_STREQ(text, "abcdefg");
}

// Repeated sends to the same window of the thread take a short way; it must
// follow the window: gone once destroyed, not taken by a window created after,
// and never by another thread sending to the same window.
TEST_F(MessagesTest, RepeatedSameThreadSendsFollowTheWindow)
{
    std::atomic<DWORD> handlerThread{0};
    onMessage = [&](HWND h, UINT, WPARAM w, LPARAM) -> LRESULT {
        handlerThread = GetCurrentThreadId();
        return h == hwnd ? LRESULT(w + 1) : LRESULT(w + 100);
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageA(hwnd, WM_USER, WPARAM(i), 0), i + 1);

    // Another thread's send to the same window still runs on the window's thread.
    LRESULT fromWorker = -1;
    DWORD workerId = 0;
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        fromWorker = SendMessageA(hwnd, WM_USER, 7, 0);
    });
    ASSERT_TRUE(PumpUntil([&] { return fromWorker != -1; }));
    worker.join();
    EXPECT_EQ(fromWorker, 8);
    EXPECT_EQ(handlerThread.load(), GetCurrentThreadId());
    EXPECT_NE(workerId, GetCurrentThreadId());

    // A second window between sends, then the first destroyed.
    HWND other = CreateWindowExA(0, "MsgTestWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(SendMessageA(other, WM_USER, 1, 0), 101);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 1, 0), 2);
    const HWND gone = hwnd;
    ASSERT_TRUE(DestroyWindow(gone));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(gone, WM_USER, 1, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SendMessageA(other, WM_USER, 2, 0), 102);
    DestroyWindow(other);
}

TEST_F(MessagesTest, TwoTimersDeliverTheirOwnIds)
{
    ASSERT_EQ(SetTimer(hwnd, 1, 20, nullptr), 1u);
    ASSERT_EQ(SetTimer(hwnd, 2, 30, nullptr), 2u);
    auto ticks = [&](WPARAM id) {
        size_t n = 0;
        for (const Seen &s : SeenNow())
            n += s.msg == WM_TIMER && s.wParam == id && s.hwnd == hwnd;
        return n;
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks(1) >= 3 && ticks(2) >= 2; }));
    EXPECT_TRUE(KillTimer(hwnd, 1));
    EXPECT_TRUE(KillTimer(hwnd, 2));
    EXPECT_FALSE(KillTimer(hwnd, 2));
    size_t after1 = ticks(1), after2 = ticks(2);
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(ticks(1), after1);
    EXPECT_EQ(ticks(2), after2);
}

TEST_F(MessagesTest, TimersFollowTheTestClockAsATestMovesIt)
{
    SetTestClock(0, 1000);
    ASSERT_EQ(SetTimer(hwnd, 1, 1000, nullptr), 1u);
    // A second of the test clock is a tick, however little real time passes;
    // the clock standing still gives none.
    for (size_t tick = 1; tick <= 15; ++tick) {
        AdvanceTestClock(1000);
        ASSERT_TRUE(PumpUntil([&] { return CountSeen(WM_TIMER) >= tick; }, 300)) << tick;
    }
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(CountSeen(WM_TIMER), 15u);
    EXPECT_TRUE(KillTimer(hwnd, 1));
    ClearTestClock();
}

TEST_F(MessagesTest, DestroyedAndUnknownHandlesGiveDefinedResults)
{
    HWND gone = hwnd;
    ASSERT_TRUE(DestroyWindow(gone));
    const HWND never = 0x7FFFFFF0u;
    for (HWND h : {gone, never}) {
        SCOPED_TRACE(h);
        SetLastError(0);
        EXPECT_FALSE(PostMessageA(h, WM_USER, 0, 0));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        SetLastError(0);
        EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_EQ(SetTimer(h, 1, 10, nullptr), 0u);
        EXPECT_EQ(GetWindowThreadProcessId(h, nullptr), 0u);
    }
    // Destroying sends WM_DESTROY then WM_NCDESTROY, and nothing after.
    std::vector<UINT> tail;
    for (const Seen &s : SeenNow())
        if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY)
            tail.push_back(s.msg);
    EXPECT_EQ(tail, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(MessagesTest, SendToAWindowDestroyedBeforeItsTurnFailsWithoutHanging)
{
    std::atomic<bool> sent{false};
    LRESULT result = -1;
    DWORD error = 0;
    std::thread worker([&] {
        sent = true;
        result = SendMessageA(hwnd, WM_USER + 1, 5, 0);
        error = GetLastError();
    });
    while (!sent)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The GUI thread destroys the window before it serves the waiting send.
    DestroyWindow(hwnd);
    PumpUntil([&] { return result != -1; });
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(MessagesTest, WorkerThreadLoopTakesPostsAndServesSends)
{
    std::atomic<HWND> workerWindow{0};
    std::vector<UINT> got;
    std::thread worker([&] {
        HWND w = CreateWindowExA(0, "MsgTestWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
        workerWindow = w;
        MSG m;
        while (GetMessageA(&m, 0, 0, 0) > 0) {
            if (m.hwnd == w && m.message >= WM_USER)
                got.push_back(m.message);
            DispatchMessageA(&m);
            if (m.message == WM_USER + 9)
                break;
        }
        DestroyWindow(w);
    });
    while (!workerWindow)
        std::this_thread::yield();
    DWORD pid = 0;
    EXPECT_NE(GetWindowThreadProcessId(workerWindow, &pid), GetWindowThreadProcessId(hwnd, nullptr));
    EXPECT_EQ(pid, static_cast<DWORD>(getpid()));
    onMessage = [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w + 100); };
    EXPECT_EQ(SendMessageA(workerWindow, WM_USER + 5, 1, 0), 101);
    PostMessageA(workerWindow, WM_USER + 8, 0, 0);
    PostMessageA(workerWindow, WM_USER + 9, 0, 0);
    worker.join();
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 8, WM_USER + 9}));
    // The worker's window went with its destruction.
    EXPECT_FALSE(IsWindow(workerWindow));
}

TEST_F(MessagesTest, QuitFromAWorkerEndsTheLoopAfterEarlierPosts)
{
    PostMessageA(hwnd, WM_USER + 1, 0, 0);
    std::thread worker([] { PostQuitMessage(7); });
    worker.join();
    QTimer::singleShot(5000, [] { PostQuitMessage(-1); });
    EXPECT_EQ(EnsureGui().Run(), 7);
    EXPECT_EQ(CountSeen(WM_USER + 1), 1u);
}

TEST_F(MessagesTest, GuiThreadGetMessageLoopTakesPostsUntilQuit)
{
    std::thread worker([&] {
        PostMessageA(hwnd, WM_USER + 1, 0, 0);
        PostMessageA(hwnd, WM_USER + 2, 0, 0);
        PostQuitMessage(5);
    });
    QTimer::singleShot(5000, [] { PostQuitMessage(-1); });
    std::vector<UINT> taken;
    MSG m{};
    while (GetMessageA(&m, 0, 0, 0) > 0) {
        taken.push_back(m.message);
        DispatchMessageA(&m);
    }
    worker.join();
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_EQ(taken, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    EXPECT_EQ(CountSeen(WM_USER + 2), 1u);
}

TEST_F(MessagesTest, QuitInsideAModalLoopEndsItAndTheMainLoop)
{
    QDialog dialog;
    PostQuitMessage(3);
    QTimer::singleShot(5000, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(EnsureGui().Run(), 3);
    // Loops after that run as usual.
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST_F(MessagesTest, CreationRefusedByTheProcedureGivesNoWindow)
{
    static HWND created = 0;
    WNDCLASSA wc{};
    wc.lpszClassName = "RefusingWnd";
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CREATE) {
            created = h;
            return -1;
        }
        return DefWindowProcA(h, m, w, l);
    };
    static ATOM atom = RegisterClassA(&wc);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(CreateWindowExA(0, "RefusingWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr), 0u);
    EXPECT_NE(created, 0u);
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr), 0u);
}

TEST_F(MessagesTest, OwnedPopupsAreTopLevelForFindAndEnumButChildrenAreNot)
{
    HWND owned = CreateWindowExA(0, "MsgTestWnd", "owned pop-up", WS_POPUP, 0, 0, 10, 10, hwnd, 0, 0, nullptr);
    HWND child = CreateWindowExA(0, "MsgTestWnd", "a child", WS_CHILD, 0, 0, 10, 10, hwnd, 0, 0, nullptr);
    ASSERT_NE(owned, 0u);
    ASSERT_NE(child, 0u);
    EXPECT_EQ(FindWindowA(nullptr, "owned pop-up"), owned);
    EXPECT_EQ(FindWindowA(nullptr, "a child"), 0u);
    std::vector<HWND> seen;
    EnumWindows(
        [](HWND h, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND> *>(list)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_NE(std::find(seen.begin(), seen.end(), owned), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), child), seen.end());
    DestroyWindow(owned);
}

} // namespace
