// The keepalive and reconnection periods of the 300 ms timer, on the test clock,
// against the simulated chat server that leaves keepalives unanswered.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "ChatServerPeer.h"
#include "ChatTestSupport.h"
#include "chatdesk/ChatTimerCounters.h"
#include "platform/win/Time.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"

using namespace chattest;

namespace {

std::function<void()> onTimer;

win::LRESULT TimerWindowProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    if (msg == win::WM_TIMER && onTimer)
        onTimer();
    return win::DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ChatTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        CurrentPartner = nullptr;
        UnreadUserCount = 0;
        win::SetTestClock(1'800'000'000'000, 1'000'000);
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = TimerWindowProc;
        wc.lpszClassName = "ChatTestTimer";
        win::RegisterClassA(&wc);
        window = win::CreateWindowExA(0, "ChatTestTimer", "", win::WS_POPUP, 0, 0, 0, 0, 0, 0, 0, nullptr);
        ASSERT_NE(win::SetTimer(window, 1, 300, nullptr), 0u);
    }
    void TearDown() override
    {
        onTimer = nullptr;
        win::DestroyWindow(window);
        win::ClearTestClock();
        socket.OnClose(0);
        EXPECT_EQ(ChatUser::LiveCount(), 0);
    }

    // Lets the clock run for `count` ticks of the timer.
    void Tick(int count)
    {
        for (int i = 0; i < count; ++i) {
            const int target = ticks + 1;
            win::AdvanceTestClock(300);
            ASSERT_TRUE(PumpUntil([&] { return ticks == target; }));
        }
    }

    win::HWND window = 0;
    ChatServerPeer server;
    WindowsDouble windows;
    CChatSocket socket{windows};
    CChatTimerCounters counters;
    int ticks = 0, connects = 0, starterTests = 0;
};

TEST_F(ChatTimerTest, KeepAliveAndReconnectionPeriods)
{
    ASSERT_TRUE(server.Start({"--no-keepalive-reply"}));
    const char name[64] = "user01", password[64] = "123456";
    socket.SetLogin(name, password);
    onTimer = [&] {
        ++ticks;
        const CChatTimerCounters::Due due = counters.OnTick(socket, true);
        starterTests += due.testStarter;
        if (due.connect) {
            ++connects;
            socket.ConnectServer("127.0.0.1", static_cast<win::UINT>(server.Port()));
        }
    };

    // Idle: a connect every 180 s.
    Tick(599);
    EXPECT_EQ(connects, 0);
    EXPECT_EQ(starterTests, 59) << "the terminal's window is looked at every 3 s";
    Tick(1);
    EXPECT_EQ(connects, 1);
    ASSERT_TRUE(PumpUntil([&] { return windows.online.size() == 3; }));

    // Connected: a keepalive after 180 s; nothing came back, so 180 s later the connection ends.
    Tick(599);
    EXPECT_FALSE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"keepalive"})", 0));
    Tick(1);
    EXPECT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"keepalive"})"));
    EXPECT_TRUE(socket.IsConnected());
    Tick(599);
    EXPECT_TRUE(socket.IsConnected());
    Tick(1);
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(windows.Saw("网络已断开。"));
    EXPECT_EQ(ChatUser::LiveCount(), 0);

    // Idle again (the closing tick already counts): the next attempt after
    // another 600 idle ticks.
    Tick(598);
    EXPECT_EQ(connects, 1);
    Tick(1);
    EXPECT_EQ(connects, 2);
    ASSERT_TRUE(PumpUntil([&] { return socket.IsConnected(); }));
}

TEST_F(ChatTimerTest, WithoutTheTerminalNothingReconnects)
{
    onTimer = [&] {
        ++ticks;
        const CChatTimerCounters::Due due = counters.OnTick(socket, false);
        starterTests += due.testStarter;
        connects += due.connect;
    };
    Tick(1200);
    EXPECT_EQ(connects, 0);
    EXPECT_EQ(starterTests, 0);
}

} // namespace
