#include "SocketCases.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <regex>

namespace sockettest {

size_t DrainUntilEof(int fd)
{
    size_t total = 0;
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return total;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return total;
        total += static_cast<size_t>(n);
    }
}

bool WriteAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadByte(int fd)
{
    char b;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 5000) > 0 && ::recv(fd, &b, 1, 0) == 1;
}

std::string ReadSome(int fd)
{
    char buf[4096];
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) <= 0)
        return {};
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

void Reset(int &fd)
{
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
    fd = -1;
}

LoopbackPeer::LoopbackPeer(Script script)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(listenFd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listenFd_, 4);
    ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script] {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        script(fd);
        if (fd >= 0)
            ::close(fd);
    });
}

LoopbackPeer::~LoopbackPeer()
{
    thread_.join();
    ::close(listenFd_);
}

uint16_t ClosedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::string Payload(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

const std::vector<SocketCase> &SocketCases()
{
    static const std::vector<SocketCase> cases = {
        {"Accepted", "127.0.0.1", 0, true, [](int &fd, CaseState &) { DrainUntilEof(fd); },
         [](SocketClient &c, CaseState &) { EXPECT_TRUE(c.WaitFor("WRITE")); },
         R"(CONNECT\(0\) WRITE\(0\))", nullptr},
        {"Refused", "127.0.0.1", 0, false, nullptr,
         [](SocketClient &c, CaseState &) { EXPECT_TRUE(c.WaitFor("CONNECT")); },
         R"(CONNECT\(10061\))", nullptr},
        {"HostNameResolved", "localhost", 1, true, [](int &fd, CaseState &) { DrainUntilEof(fd); },
         [](SocketClient &c, CaseState &) { EXPECT_TRUE(c.WaitFor("WRITE")); },
         R"(CONNECT\(0\) WRITE\(0\))", nullptr},
        // One receive per FD_READ: the next comes while data remain, and the
        // close only after the last byte.
        {"DataThenPeerClose", "127.0.0.1", 0, true,
         [](int &fd, CaseState &st) { WriteAll(fd, st.payload); },
         [](SocketClient &c, CaseState &st) {
             c.onEvent = [&](const std::string &event, int) {
                 if (event == "READ") {
                     char buf[4096];
                     int n = c.Receive(buf, sizeof buf);
                     if (n > 0)
                         st.received.append(buf, static_cast<size_t>(n));
                 } else if (event == "CLOSE") {
                     st.receivedAtClose = st.received.size();
                 }
             };
             EXPECT_TRUE(c.WaitFor("CLOSE"));
             EXPECT_EQ(st.receivedAtClose, st.payload.size());
             EXPECT_TRUE(st.received == st.payload);
         },
         R"(CONNECT\(0\) WRITE\(0\)( READ\(0\))+ CLOSE\(0\))", nullptr},
        {"PeerReset", "127.0.0.1", 0, true,
         [](int &fd, CaseState &) {
             if (ReadByte(fd))
                 Reset(fd);
         },
         [](SocketClient &c, CaseState &) {
             c.onEvent = [&](const std::string &event, int) {
                 if (event == "WRITE")
                     c.Send("x", 1);
             };
             EXPECT_TRUE(c.WaitFor("CLOSE"));
         },
         R"(CONNECT\(0\) WRITE\(0\) CLOSE\(10054\))", nullptr},
        // FD_WRITE comes again only after a send could not take everything,
        // once the peer reads.
        {"BlockedSendThenWrite", "127.0.0.1", 0, true,
         [](int &fd, CaseState &st) {
             for (int i = 0; i < 5000 && !st.drain; ++i)
                 ::usleep(1000);
             st.peerReceived = DrainUntilEof(fd);
         },
         [](SocketClient &c, CaseState &st) {
             c.onEvent = [&](const std::string &event, int) {
                 if (event != "WRITE" || st.drain)
                     return;
                 std::string chunk(65536, 'w');
                 for (;;) {
                     int n = c.Send(chunk.data(), static_cast<int>(chunk.size()));
                     if (n == win::SOCKET_ERROR) {
                         EXPECT_EQ(win::WSAGetLastError(), win::WSAEWOULDBLOCK);
                         break;
                     }
                     st.clientSent += static_cast<size_t>(n);
                 }
                 c.Note("BLOCKED");
                 st.drain = true;
             };
             EXPECT_TRUE(c.WaitFor("WRITE", 2));
         },
         R"(CONNECT\(0\) WRITE\(0\) BLOCKED WRITE\(0\))",
         [](const CaseState &st) {
             EXPECT_GT(st.clientSent, 0u);
             EXPECT_EQ(st.peerReceived.load(), st.clientSent);
         }},
        // One FD_READ until the program receives; FIONREAD counts what waits.
        {"PendingCounts", "127.0.0.1", 0, true,
         [](int &fd, CaseState &st) {
             WriteAll(fd, st.payload.substr(0, 1000));
             DrainUntilEof(fd);
         },
         [](SocketClient &c, CaseState &) {
             ASSERT_TRUE(c.WaitFor("READ"));
             c.Settle(200);
             EXPECT_EQ(c.Count("READ"), 1u);
             EXPECT_EQ(c.Pending(), 1000);
             char buf[1000];
             EXPECT_EQ(c.Receive(buf, 300), 300);
             EXPECT_EQ(c.Pending(), 700);
             ASSERT_TRUE(c.WaitFor("READ", 2));
             EXPECT_EQ(c.Receive(buf, 1000), 700);
             EXPECT_EQ(c.Pending(), 0);
             c.Settle(200);
             EXPECT_EQ(c.Count("READ"), 2u);
         },
         R"(CONNECT\(0\) WRITE\(0\) READ\(0\) READ\(0\))", nullptr},
    };
    return cases;
}

std::string CaseName(const testing::TestParamInfo<size_t> &info) { return SocketCases()[info.param].name; }

void RunSocketCase(const SocketCase &c, SocketClient &client)
{
    CaseState st;
    std::unique_ptr<LoopbackPeer> peer;
    uint16_t port = ClosedPort();
    if (c.listen) {
        peer = std::make_unique<LoopbackPeer>([&](int &fd) { c.peer(fd, st); });
        port = peer->Port();
    }
    const win::DWORD before = win::NameLookupCount();
    ASSERT_TRUE(client.Open()) << win::WSAGetLastError();
    ASSERT_TRUE(client.Connect(c.host, port)) << win::WSAGetLastError();
    EXPECT_EQ(win::NameLookupCount() - before, c.lookups);
    c.client(client, st);
    // Nothing more may come.
    client.Settle(100);
    client.onEvent = nullptr;
    client.Close();
    peer.reset();
    EXPECT_TRUE(std::regex_match(client.Sequence(), std::regex(c.expected))) << client.Sequence();
    if (c.check)
        c.check(st);
}

} // namespace sockettest
