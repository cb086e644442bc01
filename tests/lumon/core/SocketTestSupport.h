// Helpers of the socket tests: the GUI application whose event loop watches the
// sockets, a message pump that runs until a condition holds, and a loopback peer
// with one connection that a test scripts step by step.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"
#include "tests/support/PeerProcess.h"

namespace socktest {

inline void EnsureGui()
{
    static int argc = 1;
    static char name[] = "test_lumon_core";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::GuiApplication(argc, argv);
    (void)app;
}

inline win::HWND MakeWindow()
{
    static const bool registered = [] {
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = win::DefWindowProcA;
        wc.lpszClassName = "Socket Test Window";
        return win::RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return win::CreateWindowExA(win::WS_EX_TOOLWINDOW, "Socket Test Window", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
}

// Runs the GUI thread's messages until `done` holds or `ms` have passed; a
// timer of a window of its own wakes the wait regularly.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 15000)
{
    static const win::HWND ticker = MakeWindow();
    win::SetTimer(ticker, 1, 5, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    bool ok = true;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            ok = false;
            break;
        }
        win::MSG msg;
        if (win::GetMessageA(&msg, 0, 0, 0) <= 0)
            break;
        win::DispatchMessageA(&msg);
    }
    win::KillTimer(ticker, 1);
    return ok;
}

inline bool PumpFor(int ms)
{
    return !PumpUntil([] { return false; }, ms);
}

// A TCP listener on 127.0.0.1 and the one connection it accepts.
class Peer {
public:
    Peer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
        ::listen(listener_, 4);
        socklen_t len = sizeof sa;
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&sa), &len);
        port_ = ntohs(sa.sin_port);
    }
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;
    ~Peer()
    {
        if (drainer_.joinable())
            drainer_.join();
        if (conn_ >= 0)
            ::close(conn_);
        ::close(listener_);
    }

    uint16_t Port() const { return port_; }

    // A port on which nothing listens.
    static uint16_t ClosedPort() { return peersupport::FreeLoopbackPort(); }

    bool Accept()
    {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1)
            return false;
        conn_ = ::accept(listener_, nullptr, nullptr);
        return conn_ >= 0;
    }

    void Write(const std::string &bytes) { (void)::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // Reads n bytes (fewer when the connection ends or 5 s pass).
    std::string Read(size_t n)
    {
        std::string s;
        char buffer[4096];
        while (s.size() < n) {
            pollfd p{conn_, POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1)
                break;
            ssize_t got = ::recv(conn_, buffer, std::min(sizeof buffer, n - s.size()), 0);
            if (got <= 0)
                break;
            s.append(buffer, size_t(got));
        }
        return s;
    }

    void CloseConnection()
    {
        ::close(conn_);
        conn_ = -1;
    }

    // Ends the connection with a reset.
    void Reset()
    {
        linger l{1, 0};
        ::setsockopt(conn_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        CloseConnection();
    }

    // After `ms`, reads everything that arrives, in another thread.
    void DrainAfter(int ms)
    {
        drained_ = 0;
        drainer_ = std::thread([this, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            char buffer[65536];
            for (;;) {
                pollfd p{conn_, POLLIN, 0};
                if (::poll(&p, 1, 300) != 1)
                    break;
                ssize_t got = ::recv(conn_, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                drained_ += size_t(got);
            }
        });
    }

    // Waits until the drain has read n bytes and stopped.
    bool WaitDrained(size_t n)
    {
        if (drainer_.joinable())
            drainer_.join();
        return drained_ >= n;
    }

private:
    int listener_ = -1;
    int conn_ = -1;
    uint16_t port_ = 0;
    std::thread drainer_;
    std::atomic<size_t> drained_{0};
};

} // namespace socktest
