// Message-filter hooks: the chain's order and hand-on, taking a message, removal
// while the chain runs, the refusals, one thread's hooks against another's; and
// the menu mode that WM_CANCELMODE ends for the menu's owner only.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/win/Hooks.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

std::vector<std::string> seen;
HHOOK first = 0, second = 0;
bool secondTakes = false;
bool removeFirstFromSecond = false;

LRESULT FirstProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto *msg = reinterpret_cast<MSG *>(lParam);
    seen.push_back("first " + std::to_string(code) + " " + std::to_string(msg->message));
    return CallNextHookEx(first, code, wParam, lParam);
}

LRESULT SecondProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto *msg = reinterpret_cast<MSG *>(lParam);
    seen.push_back("second " + std::to_string(code) + " " + std::to_string(msg->message));
    if (removeFirstFromSecond)
        UnhookWindowsHookEx(first);
    if (secondTakes && msg->message == WM_KEYDOWN)
        return 1;
    return CallNextHookEx(second, code, wParam, lParam);
}

LRESULT SystemProc(int code, WPARAM wParam, LPARAM lParam)
{
    seen.push_back("system");
    return CallNextHookEx(0, code, wParam, lParam);
}

class HookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        seen.clear();
        secondTakes = removeFirstFromSecond = false;
        first = second = 0;
    }
    void TearDown() override
    {
        for (HHOOK h : {first, second})
            if (h)
                UnhookWindowsHookEx(h);
    }
    static BOOL Offer(UINT message)
    {
        MSG msg{0, message, 0, 0, 0, {0, 0}};
        return CallMsgFilterA(&msg, MSGF_MENU);
    }
};

TEST_F(HookTest, TheNewestRunsFirstAndHandsOnUntilOneTakesTheMessage)
{
    EXPECT_FALSE(Offer(WM_KEYDOWN)); // no hook: nothing takes it
    first = SetWindowsHookExA(WH_MSGFILTER, FirstProc, 0, GetCurrentThreadId());
    second = SetWindowsHookExA(WH_MSGFILTER, SecondProc, 0, GetCurrentThreadId());
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_FALSE(Offer(WM_MOUSEMOVE));
    EXPECT_EQ(seen, (std::vector<std::string>{"second 2 512", "first 2 512"}));
    // The newest takes the key: the one under it never sees it.
    seen.clear();
    secondTakes = true;
    EXPECT_TRUE(Offer(WM_KEYDOWN));
    EXPECT_EQ(seen, (std::vector<std::string>{"second 2 256"}));
    // Outside a chain, the next procedure is nobody.
    EXPECT_EQ(CallNextHookEx(first, MSGF_MENU, 0, 0), 0);
}

TEST_F(HookTest, AProcedureRemovedWhileTheChainRunsIsPassedOver)
{
    first = SetWindowsHookExA(WH_MSGFILTER, FirstProc, 0, GetCurrentThreadId());
    second = SetWindowsHookExA(WH_MSGFILTER, SecondProc, 0, GetCurrentThreadId());
    removeFirstFromSecond = true;
    EXPECT_FALSE(Offer(WM_CHAR));
    EXPECT_EQ(seen, (std::vector<std::string>{"second 2 258"}));
    // Gone for good: a second removal is refused.
    SetLastError(0);
    EXPECT_FALSE(UnhookWindowsHookEx(first));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);
    first = 0;
    EXPECT_TRUE(UnhookWindowsHookEx(second));
    second = 0;
    seen.clear();
    EXPECT_FALSE(Offer(WM_CHAR));
    EXPECT_TRUE(seen.empty());
}

TEST_F(HookTest, RefusalsAndTheSystemWideFilterFirst)
{
    struct Case {
        int type;
        HOOKPROC proc;
        HINSTANCE module;
        DWORD thread;
        DWORD error;
    } cases[] = {
        {2, FirstProc, 0, GetCurrentThreadId(), ERROR_INVALID_HOOK_FILTER}, // WH_KEYBOARD: not offered
        {WH_MSGFILTER, nullptr, 0, GetCurrentThreadId(), ERROR_INVALID_FILTER_PROC},
        {WH_MSGFILTER, FirstProc, 0, 0, ERROR_HOOK_NEEDS_HMOD},             // every thread needs a module
        {WH_SYSMSGFILTER, SystemProc, 1, GetCurrentThreadId(), 1429},       // system-wide only
        {WH_MSGFILTER, FirstProc, 0, 0x7FFFFFF0u, ERROR_INVALID_THREAD_ID},
    };
    for (const Case &c : cases) {
        SetLastError(0);
        EXPECT_EQ(SetWindowsHookExA(c.type, c.proc, c.module, c.thread), 0u) << c.type;
        EXPECT_EQ(GetLastError(), c.error) << c.type;
    }
    SetLastError(0);
    EXPECT_FALSE(UnhookWindowsHookEx(0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);

    first = SetWindowsHookExA(WH_MSGFILTER, FirstProc, 0, GetCurrentThreadId());
    second = SetWindowsHookExA(WH_SYSMSGFILTER, SystemProc, 1, 0);
    ASSERT_NE(second, 0u);
    EXPECT_FALSE(Offer(WM_KEYUP));
    EXPECT_EQ(seen, (std::vector<std::string>{"system", "first 2 257"}));
}

TEST_F(HookTest, AThreadsFilterSeesOnlyItsOwnThreadsMessages)
{
    first = SetWindowsHookExA(WH_MSGFILTER, FirstProc, 0, GetCurrentThreadId());
    BOOL taken = TRUE;
    std::thread other([&] {
        MSG msg{0, WM_KEYDOWN, 0, 0, 0, {0, 0}};
        taken = CallMsgFilterA(&msg, MSGF_MENU);
    });
    other.join();
    EXPECT_FALSE(taken);
    EXPECT_TRUE(seen.empty());
    // A hook for another thread of the process is accepted and stays off this one.
    DWORD otherId = 0;
    bool go = false;
    std::mutex lock;
    std::condition_variable changed;
    std::thread waiting([&] {
        std::unique_lock<std::mutex> hold(lock);
        otherId = GetCurrentThreadId();
        changed.notify_all();
        changed.wait(hold, [&] { return go; });
    });
    {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [&] { return otherId != 0; });
    }
    second = SetWindowsHookExA(WH_MSGFILTER, SecondProc, 0, otherId);
    EXPECT_NE(second, 0u);
    {
        std::lock_guard<std::mutex> hold(lock);
        go = true;
    }
    changed.notify_all();
    waiting.join();
    EXPECT_FALSE(Offer(WM_KEYDOWN));
    EXPECT_EQ(seen, (std::vector<std::string>{"first 2 256"}));
}

TEST(MenuModeTest, CancelModeEndsOnlyTheMenuOfItsOwner)
{
    wintest::EnsureGui();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "MenuModeOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(0, "MenuModeOwner", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
    HWND other = CreateWindowExA(0, "MenuModeOwner", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
    ASSERT_NE(owner, 0u);
    int ends = 0;
    {
        MenuMode mode(owner, [&] { ++ends; });
        EXPECT_EQ(MenuMode::Current(), &mode);
        SendMessageA(other, WM_CANCELMODE, 0, 0);
        EXPECT_EQ(ends, 0);
        SendMessageA(owner, WM_CANCELMODE, 0, 0);
        EXPECT_EQ(ends, 1);
        EXPECT_TRUE(mode.Ended());
        // Ended once: a second cancel or EndMenu does not end it again.
        SendMessageA(owner, WM_CANCELMODE, 0, 0);
        EXPECT_TRUE(EndMenu());
        EXPECT_EQ(ends, 1);
        {
            MenuMode inner(other, [&] { ends += 10; });
            EXPECT_TRUE(EndMenu());
            EXPECT_EQ(ends, 11);
        }
        EXPECT_EQ(MenuMode::Current(), &mode);
    }
    EXPECT_EQ(MenuMode::Current(), nullptr);
    EXPECT_TRUE(EndMenu()); // no menu: nothing to do
    DestroyWindow(owner);
    DestroyWindow(other);
}

} // namespace
