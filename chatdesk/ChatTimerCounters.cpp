#include "chatdesk/ChatTimerCounters.h"

#include "chatdesk/ChatSocket.h"

CChatTimerCounters::Due CChatTimerCounters::OnTick(CChatSocket &socket, bool starterSet)
{
    Due due;
    if (socket.IsConnected() && ++m_keepAliveTicks >= kKeepAliveTicks) {
        m_keepAliveTicks = 0;
        socket.SendKeepAlive();
    }
    if (!starterSet)
        return due;
    if (++m_watchdogTicks >= kWatchdogTicks) {
        m_watchdogTicks = 0;
        due.testStarter = true;
    }
    if (!socket.IsConnected() && !socket.IsConnecting() && ++m_reconnectTicks >= kReconnectTicks) {
        m_reconnectTicks = 0;
        due.connect = true;
    }
    return due;
}
