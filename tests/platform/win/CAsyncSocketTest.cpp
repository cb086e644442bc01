#include "SocketCases.h"

#include "platform/win/CAsyncSocket.h"
#include "platform/win/Thread.h"

using namespace win;
using namespace sockettest;

namespace {

// The framework's socket as consign and chatdesk derive from it: each
// notification is recorded with its error code.
class RecordingSocket : public CAsyncSocket {
public:
    explicit RecordingSocket(SocketClient &client) : client_(client) {}

    void OnReceive(int errorCode) override { Note("READ", errorCode); }
    void OnSend(int errorCode) override { Note("WRITE", errorCode); }
    void OnConnect(int errorCode) override { Note("CONNECT", errorCode); }
    void OnClose(int errorCode) override { Note("CLOSE", errorCode); }

    std::vector<DWORD> threads;

private:
    void Note(const char *event, int errorCode)
    {
        threads.push_back(GetCurrentThreadId());
        client_.Record(event, errorCode);
    }
    SocketClient &client_;
};

class FrameworkClient : public SocketClient {
public:
    bool Open() override { return socket_.Create(0, SOCK_STREAM, 0x33); }
    bool Connect(const char *host, uint16_t port) override
    {
        return socket_.Connect(host, port) || CAsyncSocket::GetLastError() == WSAEWOULDBLOCK;
    }
    int Send(const char *data, int len) override { return socket_.Send(data, len); }
    int Receive(char *buf, int len) override { return socket_.Receive(buf, len); }
    long Pending() override
    {
        DWORD n = 0;
        return socket_.IOCtl(FIONREAD, &n) ? static_cast<long>(n) : -1;
    }
    void Close() override { socket_.Close(); }
    SOCKET Handle() const override { return socket_.m_hSocket; }

    RecordingSocket socket_{*this};
};

class CAsyncSocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wintest::EnsureGui();
        WSADATA data;
        ASSERT_TRUE(AfxSocketInit(&data));
        EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    }
    void TearDown() override { WSACleanup(); }
};

class CAsyncSocketSequenceTest : public CAsyncSocketTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(CAsyncSocketSequenceTest, NotificationsArriveInWindowsOrder)
{
    FrameworkClient client;
    RunSocketCase(SocketCases()[GetParam()], client);
    for (DWORD id : client.socket_.threads)
        EXPECT_EQ(id, GetCurrentThreadId());
}

INSTANTIATE_TEST_SUITE_P(Cases, CAsyncSocketSequenceTest, ::testing::Range<size_t>(0, SocketCases().size()),
                         CaseName);

// The same object closes and creates its socket again, as both programs do on a
// reconnect: a notification queued for the old socket is dropped.
TEST_F(CAsyncSocketTest, StaleNotificationIsDroppedAfterCloseAndCreate)
{
    LoopbackPeer first([](int &fd) {
        WriteAll(fd, "0123456789");
        DrainUntilEof(fd);
    });
    LoopbackPeer second([](int &fd) { DrainUntilEof(fd); });
    FrameworkClient c;
    ASSERT_TRUE(c.Open());
    ASSERT_TRUE(c.Connect("127.0.0.1", first.Port()));
    ASSERT_TRUE(c.WaitFor("READ"));
    char b;
    ASSERT_EQ(c.Receive(&b, 1), 1);
    const SOCKET old = c.Handle();
    c.Close();
    c.Close();
    EXPECT_EQ(c.Handle(), INVALID_SOCKET);
    ASSERT_TRUE(c.Open());
    EXPECT_NE(c.Handle(), old);
    c.events.clear();
    ASSERT_TRUE(c.Connect("127.0.0.1", second.Port()));
    ASSERT_TRUE(c.WaitFor("WRITE"));
    c.Settle(200);
    EXPECT_EQ(c.Sequence(), "CONNECT(0) WRITE(0)");
}

TEST_F(CAsyncSocketTest, CreateBindsAndNamesBothEnds)
{
    LoopbackPeer peer([](int &fd) { DrainUntilEof(fd); });
    FrameworkClient c;
    ASSERT_TRUE(c.socket_.Create(0, SOCK_STREAM, 0, "127.0.0.1"));
    ASSERT_TRUE(c.socket_.Connect("127.0.0.1", peer.Port()));
    CString address;
    UINT port = 0;
    ASSERT_TRUE(c.socket_.GetSockName(address, port));
    EXPECT_STREQ(address, "127.0.0.1");
    EXPECT_NE(port, 0u);
    ASSERT_TRUE(c.socket_.GetPeerName(address, port));
    EXPECT_STREQ(address, "127.0.0.1");
    EXPECT_EQ(port, peer.Port());
    EXPECT_TRUE(c.socket_.ShutDown());
    c.Close();

    // A second Create while a socket is open, and a bad address, both fail; the
    // bad address leaves no socket behind.
    ASSERT_TRUE(c.socket_.Create());
    EXPECT_FALSE(c.socket_.Create());
    EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEINVAL);
    c.Close();
    EXPECT_FALSE(c.socket_.Create(0, SOCK_STREAM, 0x33, "not-an-address"));
    EXPECT_EQ(CAsyncSocket::GetLastError(), WSAEINVAL);
    EXPECT_EQ(c.Handle(), INVALID_SOCKET);
}

// Notifications off and blocking mode, as the gateway connect runs before it
// selects read and close only.
TEST_F(CAsyncSocketTest, BlockingExchangeThenReadAndCloseOnly)
{
    LoopbackPeer peer([](int &fd) {
        WriteAll(fd, ReadSome(fd) + "!");
        ReadByte(fd);
    });
    FrameworkClient c;
    ASSERT_TRUE(c.Open());
    ASSERT_TRUE(c.socket_.AsyncSelect(0));
    DWORD blocking = 0;
    ASSERT_TRUE(c.socket_.IOCtl(FIONBIO, &blocking));
    ASSERT_TRUE(c.socket_.Connect("127.0.0.1", peer.Port()));
    EXPECT_EQ(c.Send("hello", 5), 5);
    char buf[8] = {};
    EXPECT_EQ(c.Receive(buf, sizeof buf - 1), 6);
    EXPECT_STREQ(buf, "hello!");
    DWORD nonBlocking = 1;
    ASSERT_TRUE(c.socket_.IOCtl(FIONBIO, &nonBlocking));
    ASSERT_TRUE(c.socket_.AsyncSelect(FD_READ | FD_CLOSE));
    EXPECT_EQ(c.Send("x", 1), 1);
    ASSERT_TRUE(c.WaitFor("CLOSE"));
    EXPECT_EQ(c.Sequence(), "CLOSE(0)");
    EXPECT_EQ(c.Receive(buf, sizeof buf), 0);
}

} // namespace
