// The socket pool and the socket classes over loopback, against small peers in
// the test: dispatch of message 3025 to the right socket object, connecting by
// address and by name, sends that retry while the socket is full and count a
// partial send as a failure, receives, and the pool's life.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SocketTestSupport.h"
#include "lumon/core/LClient.h"
#include "lumon/core/LSocketPool.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"

namespace {

using namespace socktest;

// Keeps what reaches it: "read:<bytes>", "close", "error:<code>", "connect:<port>".
class RecordingClient : public LClient {
public:
    void OnReceive() override
    {
        char buffer[4096];
        int n = Receive(buffer, sizeof buffer);
        if (n > 0)
            events.push_back("read:" + std::string(buffer, size_t(n)));
    }
    void OnClose() override
    {
        events.push_back("close");
        LClient::OnClose();
    }
    void OnError(int code) override { events.push_back("error:" + std::to_string(code)); }
    int OnConnect() override
    {
        int port = LClient::OnConnect();
        events.push_back("connect:" + std::to_string(port));
        return port;
    }
    bool Saw(const std::string &event) const
    {
        for (const std::string &e : events)
            if (e == event)
                return true;
        return false;
    }
    std::vector<std::string> events;
};

// A plain socket that claims a handle of our choosing, to see which of two
// sockets with one handle gets the notification.
class ClaimingSocket : public LSocket {
public:
    explicit ClaimingSocket(win::SOCKET claimed) : claimed_(claimed) {}
    int IsHandle(win::SOCKET h) override { return h == claimed_; }
    void OnReceive() override { ++reads; }
    void OnClose() override { ++closes; }
    int reads = 0;
    int closes = 0;

private:
    win::SOCKET claimed_;
};

class SocketPoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        pool = std::make_unique<LSocketPool>();
        ASSERT_TRUE(LSocketPool::IsInitialised());
    }
    void TearDown() override { pool.reset(); }

    // A client made, registered and connecting with notifications on.
    std::unique_ptr<RecordingClient> ConnectedClient(uint16_t port)
    {
        auto client = std::make_unique<RecordingClient>();
        client->Attach();
        EXPECT_EQ(client->Create(LSocket::kStream, 1), 1);
        EXPECT_EQ(client->Connect("127.0.0.1", port), 1);
        RecordingClient *c = client.get();
        EXPECT_TRUE(PumpUntil([c] { return !c->events.empty(); }));
        return client;
    }

    std::unique_ptr<LSocketPool> pool;
};

TEST_F(SocketPoolTest, NotificationsReachTheSocketThatOwnsTheHandle)
{
    Peer first, second;
    auto one = ConnectedClient(first.Port());
    auto two = ConnectedClient(second.Port());
    EXPECT_EQ(one->events, (std::vector<std::string>{"connect:" + std::to_string(first.Port())}));
    EXPECT_EQ(one->GetRemotePort(), first.Port());
    ASSERT_TRUE(first.Accept());
    ASSERT_TRUE(second.Accept());

    first.Write("to one");
    ASSERT_TRUE(PumpUntil([&] { return one->Saw("read:to one"); }));
    second.Write("to two");
    ASSERT_TRUE(PumpUntil([&] { return two->Saw("read:to two"); }));
    EXPECT_FALSE(one->Saw("read:to two"));
    EXPECT_FALSE(two->Saw("read:to one"));

    // The peer's close reaches only its socket, which closes.
    second.CloseConnection();
    ASSERT_TRUE(PumpUntil([&] { return two->Saw("close"); }));
    EXPECT_EQ(two->GetHandle(), win::INVALID_SOCKET);
    EXPECT_FALSE(one->Saw("close"));
    EXPECT_EQ(one->Send("still", 5, 100), 5);
    EXPECT_EQ(first.Read(5), "still");
}

TEST_F(SocketPoolTest, DispatchRulesOfTheNotificationMessage)
{
    Peer peer;
    auto client = ConnectedClient(peer.Port());
    client->events.clear();
    const win::HWND window = LSocketPool::GetWindow();
    const win::SOCKET h = client->GetHandle();
    struct Case {
        const char *name;
        win::WPARAM socket;
        win::LPARAM lParam;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"an error word goes to OnError whatever the event", h, win::WSAMAKESELECTREPLY(win::FD_READ, 10054),
         {"error:10054"}},
        {"an error word on a connect too", h, win::WSAMAKESELECTREPLY(win::FD_CONNECT, 10061), {"error:10061"}},
        {"a socket that is not registered", h + 1000, win::WSAMAKESELECTREPLY(win::FD_CLOSE, 0), {}},
        {"events the client does not handle", h, win::WSAMAKESELECTREPLY(win::FD_ACCEPT, 0), {}},
        {"a connect notice takes the peer's port", h, win::WSAMAKESELECTREPLY(win::FD_CONNECT, 0),
         {"connect:" + std::to_string(peer.Port())}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        client->events.clear();
        win::SendMessageA(window, kSocketMessage, c.socket, c.lParam);
        EXPECT_EQ(client->events, c.events);
    }

    // Of two sockets with one handle value, the one registered later gets it;
    // a connect notice means nothing to a plain socket.
    ClaimingSocket earlier(77), later(77);
    earlier.Attach();
    later.Attach();
    win::SendMessageA(window, kSocketMessage, 77, win::WSAMAKESELECTREPLY(win::FD_READ, 0));
    win::SendMessageA(window, kSocketMessage, 77, win::WSAMAKESELECTREPLY(win::FD_CONNECT, 0));
    EXPECT_EQ(later.reads, 1);
    EXPECT_EQ(earlier.reads, 0);
    later.Detach();
    win::SendMessageA(window, kSocketMessage, 77, win::WSAMAKESELECTREPLY(win::FD_CLOSE, 0));
    EXPECT_EQ(earlier.closes, 1);
}

TEST_F(SocketPoolTest, RegistryKeepsEachSocketOnceAndForgetsItOnDestruction)
{
    LDbCtrl<LSocket> &registry = LSocketPool::Registry();
    const int before = registry.GetCount();
    auto client = std::make_unique<RecordingClient>();
    client->Attach();
    client->Attach();
    EXPECT_EQ(registry.GetCount(), before + 1);
    Peer peer;
    ASSERT_EQ(client->Create(LSocket::kStream, 1), 1);
    // A second Create replaces the first handle rather than leaking it.
    const win::SOCKET firstHandle = client->GetHandle();
    ASSERT_EQ(client->Create(LSocket::kStream, 1), 1);
    EXPECT_NE(client->GetHandle(), firstHandle);
    ASSERT_EQ(client->Connect("127.0.0.1", peer.Port()), 1);
    const win::SOCKET h = client->GetHandle();
    client.reset();
    EXPECT_EQ(registry.GetCount(), before);
    // A notification still queued for the deleted socket goes nowhere.
    win::SendMessageA(LSocketPool::GetWindow(), kSocketMessage, h, win::WSAMAKESELECTREPLY(win::FD_CONNECT, 0));
    EXPECT_TRUE(PumpFor(50));
}

TEST_F(SocketPoolTest, CreateAndConnect)
{
    RecordingClient client;
    client.Attach();
    EXPECT_EQ(client.Create(2, 0), 0);
    EXPECT_EQ(client.GetHandle(), win::INVALID_SOCKET);
    ASSERT_EQ(client.Create(LSocket::kDatagram, 1), 1);
    EXPECT_NE(client.GetHandle(), win::INVALID_SOCKET);
    client.Close();
    EXPECT_EQ(client.GetHandle(), win::INVALID_SOCKET);

    Peer peer;
    struct Case {
        const char *name;
        const char *host;
        uint16_t port;
        int notify;
        int result;
        bool lookedUp;
    };
    const uint16_t closedPort = Peer::ClosedPort();
    const Case cases[] = {
        {"dotted address, blocking", "127.0.0.1", peer.Port(), 0, 1, false},
        {"dotted address, notifications", "127.0.0.1", peer.Port(), 1, 1, false},
        {"host name", "localhost", peer.Port(), 0, 1, true},
        {"refused, blocking", "127.0.0.1", closedPort, 0, 0, false},
        {"name that does not resolve", "no-such-host.invalid", peer.Port(), 0, 0, true},
        {"no host", nullptr, peer.Port(), 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingClient s;
        s.Attach();
        ASSERT_EQ(s.Create(LSocket::kStream, c.notify), 1);
        EXPECT_EQ(s.GetNotify(), c.notify);
        const win::DWORD lookups = win::NameLookupCount();
        EXPECT_EQ(s.Connect(c.host, c.port), c.result);
        EXPECT_EQ(win::NameLookupCount() != lookups, c.lookedUp);
        if (c.result) {
            EXPECT_EQ(s.GetRemotePort(), c.port);
        }
    }
    // A refused connection under notifications is reported by the connect notice.
    RecordingClient refused;
    refused.Attach();
    ASSERT_EQ(refused.Create(LSocket::kStream, 1), 1);
    EXPECT_EQ(refused.Connect("127.0.0.1", closedPort), 1);
    ASSERT_TRUE(PumpUntil([&] { return !refused.events.empty(); }));
    EXPECT_EQ(refused.events.front(), "error:" + std::to_string(win::WSAECONNREFUSED));
}

TEST_F(SocketPoolTest, SendsRetryWhileTheSocketIsFullAndNeverReportPartOfAFrameAsSent)
{
    Peer peer;
    RecordingClient client;
    client.Attach();
    ASSERT_EQ(client.Create(LSocket::kStream, 1), 1);
    ASSERT_EQ(client.Connect("127.0.0.1", peer.Port()), 1);
    ASSERT_TRUE(PumpUntil([&] { return !client.events.empty(); }));
    ASSERT_TRUE(peer.Accept());

    // Nothing to send: no call at all (the call would fail on a closed socket).
    RecordingClient idle;
    EXPECT_EQ(idle.Send("x", 0, 100), 0);
    EXPECT_EQ(idle.Send("x", 1, 100), -1);

    // A peer that reads slowly: the send waits in its pauses and gets through.
    std::vector<char> big(32 << 20, 'b');
    peer.DrainAfter(200);
    EXPECT_EQ(client.Send(big.data(), int(big.size()), 100), int(big.size()));
    ASSERT_TRUE(peer.WaitDrained(big.size()));

    // A peer that stops reading: with the test clock the pauses pass at once, and
    // exactly the retries asked for are made. The chunk that finds the socket
    // full has gone in part, so its send has failed.
    win::SetTestClock(1710504000000, 7000000);
    const win::ULONGLONG start = win::MonotonicNowMs();
    const int chunk = 1 << 20;
    int last = chunk;
    for (int i = 0; i < 256 && last == chunk; ++i)
        last = client.Send(big.data(), chunk, 3);
    EXPECT_EQ(last, -1);
    EXPECT_EQ(win::MonotonicNowMs() - start, 150u);
    // Full from the start: no retries makes one call, and nothing went. The
    // system may still take a few small sends after the chunk that filled it, as
    // acknowledgements of data the peer's buffer took free room, so small sends
    // are made until the socket is really full.
    int small = 100;
    for (int i = 0; i < 100000 && small == 100; ++i)
        small = client.Send(big.data(), 100, 0);
    EXPECT_EQ(small, 0);
    EXPECT_EQ(win::MonotonicNowMs() - start, 150u);
    EXPECT_EQ(client.Send(big.data(), 100, 2), 0);
    EXPECT_EQ(win::MonotonicNowMs() - start, 250u);
    win::ClearTestClock();

    // A broken connection fails at once.
    peer.Reset();
    ASSERT_TRUE(PumpUntil([&] { return client.Saw("close") || client.Saw("error:10054"); }));
    RecordingClient closed;
    EXPECT_EQ(closed.Send(big.data(), 10, 100), -1);
}

TEST_F(SocketPoolTest, ReceiveReturnsDataThenZeroOnceThePeerHasClosed)
{
    Peer peer;
    RecordingClient client;
    client.Attach();
    ASSERT_EQ(client.Create(LSocket::kStream, 0), 1);
    ASSERT_EQ(client.Connect("127.0.0.1", peer.Port()), 1);
    ASSERT_TRUE(peer.Accept());
    peer.Write("abc");
    char buffer[16];
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), 3);
    peer.CloseConnection();
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), 0);
    RecordingClient none;
    EXPECT_EQ(none.Receive(buffer, sizeof buffer), -1);
}

TEST_F(SocketPoolTest, PoolLifetime)
{
    const win::HWND window = LSocketPool::GetWindow();
    ASSERT_TRUE(win::IsWindow(window));
    {
        LSocketPool again;
        EXPECT_EQ(LSocketPool::GetWindow(), window);
    }
    EXPECT_TRUE(LSocketPool::IsInitialised());

    // Taking the pool down closes the registered sockets without deleting them.
    Peer peer;
    auto client = ConnectedClient(peer.Port());
    pool.reset();
    EXPECT_FALSE(LSocketPool::IsInitialised());
    EXPECT_FALSE(win::IsWindow(window));
    EXPECT_EQ(LSocketPool::GetWindow(), 0u);
    EXPECT_EQ(client->GetHandle(), win::INVALID_SOCKET);
    EXPECT_EQ(LSocketPool::Registry().GetCount(), 0);
    client.reset();

    // A window given by the caller is used and left alone.
    win::HWND own = MakeWindow();
    {
        LSocketPool supplied(own);
        EXPECT_EQ(LSocketPool::GetWindow(), own);
    }
    EXPECT_TRUE(win::IsWindow(own));
    win::DestroyWindow(own);
    pool = std::make_unique<LSocketPool>();
}

} // namespace
