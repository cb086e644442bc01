// The connection's share of the chat window's 300 ms timer: the keepalive every
// 600th tick while connected, and, while the terminal's window is set, its test
// every 10th tick and a new connect every 600th tick while neither connected nor
// connecting. Each counter counts only the ticks in which its condition holds
// and is never reset by connecting or disconnecting.
#pragma once

class CChatSocket;

class CChatTimerCounters {
public:
    static constexpr int kKeepAliveTicks = 600;
    static constexpr int kWatchdogTicks = 10;
    static constexpr int kReconnectTicks = 600;

    // What the tick asks of the window.
    struct Due {
        bool testStarter = false; // see whether the terminal's window still exists
        bool connect = false;     // post the connect command
    };

    // One tick: sends the keepalive itself when it is due.
    Due OnTick(CChatSocket &socket, bool starterSet);

private:
    int m_keepAliveTicks = 0;
    int m_watchdogTicks = 0;
    int m_reconnectTicks = 0;
};
