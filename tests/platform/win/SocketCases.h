// Test helpers for the socket tests: a loopback peer on a thread of the test
// (plain POSIX sockets, kept in SocketCases.cpp so that the tests see only the
// layer's names), the client interface through which both socket layers
// (WinSock with WSAAsyncSelect, and CAsyncSocket) are driven, and the table of
// event sequences both must show.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/win/Winsock.h"

namespace sockettest {

// Reads until the other end closes (or 5 s pass); returns the byte count.
size_t DrainUntilEof(int fd);
bool WriteAll(int fd, const std::string &data);
// Waits (up to 5 s) for one byte.
bool ReadByte(int fd);
// What one receive gets (waiting up to 5 s).
std::string ReadSome(int fd);
// Closes with a reset instead of the orderly close.
void Reset(int &fd);

// Listens on a loopback port, accepts one connection on its own thread, runs the
// script on it and closes it (unless the script did).
class LoopbackPeer {
public:
    using Script = std::function<void(int &fd)>;
    explicit LoopbackPeer(Script script);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer &) = delete;
    LoopbackPeer &operator=(const LoopbackPeer &) = delete;

    uint16_t Port() const { return port_; }

private:
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

// A loopback port nobody listens on.
uint16_t ClosedPort();

std::string Payload(size_t size);

// A stream socket with the read, write, connect and close events, and the
// events it received as tokens "READ(0)", "CLOSE(10054)" ... in order.
class SocketClient {
public:
    virtual ~SocketClient() = default;

    virtual bool Open() = 0;
    // True when the connection is made or under way (WSAEWOULDBLOCK).
    virtual bool Connect(const char *host, uint16_t port) = 0;
    virtual int Send(const char *data, int len) = 0;
    virtual int Receive(char *buf, int len) = 0;
    // The bytes waiting (FIONREAD), or -1.
    virtual long Pending() = 0;
    virtual void Close() = 0;
    virtual win::SOCKET Handle() const = 0;

    // Called by the drivers for each event of the current socket.
    void Record(const char *event, int error)
    {
        std::string token = std::string(event) + "(" + std::to_string(error) + ")";
        events.push_back(token);
        if (onEvent)
            onEvent(event, error);
    }
    void Note(const char *mark) { events.push_back(mark); }

    std::string Sequence() const
    {
        std::string s;
        for (const std::string &e : events)
            s += (s.empty() ? "" : " ") + e;
        return s;
    }
    size_t Count(const std::string &event) const
    {
        size_t n = 0;
        for (const std::string &e : events)
            n += e.rfind(event + "(", 0) == 0;
        return n;
    }
    bool WaitFor(const std::string &event, size_t n = 1)
    {
        return wintest::PumpUntil([&] { return Count(event) >= n; });
    }
    void Settle(int ms) { wintest::PumpUntil([] { return false; }, ms); }

    std::vector<std::string> events;
    std::function<void(const std::string &event, int error)> onEvent;
};

// What a case's peer and client share.
struct CaseState {
    std::string payload = Payload(200000);
    std::atomic<bool> drain{false};
    std::atomic<size_t> peerReceived{0};
    size_t clientSent = 0;
    std::string received;
    size_t receivedAtClose = 0;
};

struct SocketCase {
    const char *name;
    const char *host;
    win::DWORD lookups; // name look-ups the connect makes
    bool listen;        // false: connect to a port nobody listens on
    std::function<void(int &fd, CaseState &)> peer;
    std::function<void(SocketClient &, CaseState &)> client; // once the connect is under way
    const char *expected;                                    // the events, as a regular expression
    std::function<void(const CaseState &)> check;            // after both ends are done
};

const std::vector<SocketCase> &SocketCases();
std::string CaseName(const testing::TestParamInfo<size_t> &info);

// Connects the client to the case's peer, drives it and checks its events.
void RunSocketCase(const SocketCase &c, SocketClient &client);

} // namespace sockettest
