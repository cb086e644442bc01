#include "SocketCases.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win/Thread.h"
#include "platform/win/Window.h"

using namespace win;
using namespace sockettest;

namespace {

constexpr UINT kSocketMsg = 3025;

// The program's side: a window that receives the WSAAsyncSelect messages, and the
// socket calls made the way the programs make them.
class WinsockClient : public SocketClient {
public:
    WinsockClient()
    {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = "SocketTestWnd";
            return RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, "SocketTestWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~WinsockClient() override
    {
        Close();
        DestroyWindow(hwnd_);
    }

    bool Open() override
    {
        s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        return s_ != INVALID_SOCKET &&
               WSAAsyncSelect(s_, hwnd_, kSocketMsg, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) == 0;
    }
    bool Connect(const char *host, uint16_t port) override
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = inet_addr(host);
        if (sa.sin_addr.s_addr == INADDR_NONE) {
            hostent *he = gethostbyname(host);
            if (!he)
                return false;
            std::memcpy(&sa.sin_addr, he->h_addr_list[0], 4);
        }
        return connect(s_, reinterpret_cast<sockaddr *>(&sa), sizeof sa) == 0 ||
               WSAGetLastError() == WSAEWOULDBLOCK;
    }
    int Send(const char *data, int len) override { return send(s_, data, len, 0); }
    int Receive(char *buf, int len) override { return recv(s_, buf, len, 0); }
    long Pending() override
    {
        win::u_long n = 0;
        return ioctlsocket(s_, FIONREAD, &n) == 0 ? static_cast<long>(n) : -1;
    }
    void Close() override
    {
        if (s_ != INVALID_SOCKET)
            closesocket(s_);
        s_ = INVALID_SOCKET;
    }
    SOCKET Handle() const override { return s_; }

    HWND Window() const { return hwnd_; }

    // Events that arrived for sockets other than the current one.
    std::vector<std::pair<SOCKET, std::string>> foreign;
    // The threads the events were handled on.
    std::vector<DWORD> threads;

private:
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg != kSocketMsg)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        auto *self = reinterpret_cast<WinsockClient *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        const char *name = "OTHER";
        switch (WSAGETSELECTEVENT(lParam)) {
        case FD_READ: name = "READ"; break;
        case FD_WRITE: name = "WRITE"; break;
        case FD_CONNECT: name = "CONNECT"; break;
        case FD_CLOSE: name = "CLOSE"; break;
        }
        self->threads.push_back(GetCurrentThreadId());
        if (static_cast<SOCKET>(wParam) == self->s_)
            self->Record(name, WSAGETSELECTERROR(lParam));
        else
            self->foreign.emplace_back(static_cast<SOCKET>(wParam), name);
        return 0;
    }

    HWND hwnd_ = 0;
    SOCKET s_ = INVALID_SOCKET;
};

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wintest::EnsureGui();
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
        EXPECT_EQ(data.wVersion, MAKEWORD(1, 1));
    }
    void TearDown() override { WSACleanup(); }
};

class WinsockSequenceTest : public WinsockTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(WinsockSequenceTest, EventsArriveInWindowsOrder)
{
    WinsockClient client;
    RunSocketCase(SocketCases()[GetParam()], client);
}

INSTANTIATE_TEST_SUITE_P(Cases, WinsockSequenceTest, ::testing::Range<size_t>(0, SocketCases().size()), CaseName);

TEST_F(WinsockTest, StaleEventOfAClosedSocketNeverReachesTheNewOne)
{
    LoopbackPeer first([](int &fd) {
        WriteAll(fd, "0123456789");
        DrainUntilEof(fd);
    });
    LoopbackPeer second([](int &fd) { DrainUntilEof(fd); });
    WinsockClient c;
    ASSERT_TRUE(c.Open());
    ASSERT_TRUE(c.Connect("127.0.0.1", first.Port()));
    ASSERT_TRUE(c.WaitFor("READ"));
    // Data remain after this receive, so the next FD_READ is queued at once; the
    // socket closes before it is handled, and the new one may get the same
    // system descriptor.
    char b;
    ASSERT_EQ(c.Receive(&b, 1), 1);
    const SOCKET old = c.Handle();
    c.Close();
    ASSERT_TRUE(c.Open());
    EXPECT_NE(c.Handle(), old);
    c.events.clear();
    ASSERT_TRUE(c.Connect("127.0.0.1", second.Port()));
    ASSERT_TRUE(c.WaitFor("WRITE"));
    c.Settle(200);
    EXPECT_EQ(c.Sequence(), "CONNECT(0) WRITE(0)");
    ASSERT_EQ(c.foreign.size(), 1u);
    EXPECT_EQ(c.foreign[0].first, old);
    EXPECT_EQ(c.foreign[0].second, "READ");
    char buf[16];
    EXPECT_EQ(recv(old, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

// The login worker selects the events; they are handled on the GUI thread.
TEST_F(WinsockTest, EventsSelectedOnAWorkerArriveOnTheGuiThread)
{
    LoopbackPeer peer([](int &fd) { DrainUntilEof(fd); });
    WinsockClient c;
    bool opened = false;
    bool connecting = false;
    std::thread worker([&] {
        opened = c.Open();
        connecting = c.Connect("127.0.0.1", peer.Port());
    });
    worker.join();
    ASSERT_TRUE(opened);
    ASSERT_TRUE(connecting);
    ASSERT_TRUE(c.WaitFor("WRITE"));
    EXPECT_EQ(c.Sequence(), "CONNECT(0) WRITE(0)");
    for (DWORD id : c.threads)
        EXPECT_EQ(id, GetCurrentThreadId());
}

// A login worker (a thread of the layer) connects, talks with blocking calls
// and selects the events, then ends; the socket closed on the GUI thread is
// closed for the peer too.
TEST_F(WinsockTest, SocketSelectedOnAnEndedWorkerClosesForThePeer)
{
    std::atomic<bool> peerSawEnd{false};
    LoopbackPeer peer([&](int &fd) {
        WriteAll(fd, "hello");
        DrainUntilEof(fd);
        peerSawEnd = true;
    });
    WinsockClient c;
    struct Work {
        uint16_t port;
        HWND window;
        SOCKET s = INVALID_SOCKET;
        bool ok = false;
    } work{peer.Port(), c.Window()};
    HANDLE worker = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto &w = *static_cast<Work *>(p);
            w.s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in sa{};
            sa.sin_family = AF_INET;
            sa.sin_port = htons(w.port);
            sa.sin_addr.s_addr = inet_addr("127.0.0.1");
            char buf[5];
            w.ok = connect(w.s, reinterpret_cast<sockaddr *>(&sa), sizeof sa) == 0 &&
                   recv(w.s, buf, sizeof buf, 0) == 5 &&
                   WSAAsyncSelect(w.s, w.window, kSocketMsg, FD_READ | FD_CONNECT | FD_CLOSE) == 0;
            return 0;
        },
        &work, 0, nullptr);
    ASSERT_NE(worker, HANDLE(0));
    ASSERT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
    CloseHandle(worker);
    ASSERT_TRUE(work.ok);
    // Closed before the GUI thread handled anything of the worker's selection:
    // the peer sees the close at once, not when the event loop next runs.
    closesocket(work.s);
    for (int i = 0; i < 300 && !peerSawEnd; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(peerSawEnd);
    c.Settle(50);
}

// A non-blocking connect started before any event is selected still ends in
// FD_CONNECT once the events are selected.
TEST_F(WinsockTest, ConnectStartedBeforeSelectingIsReported)
{
    LoopbackPeer peer([](int &fd) { DrainUntilEof(fd); });
    WinsockClient c;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    win::u_long on = 1;
    ASSERT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(peer.Port());
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr *>(&sa), sizeof sa), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_EQ(WSAAsyncSelect(s, c.Window(), kSocketMsg, FD_CONNECT | FD_WRITE), 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return c.foreign.size() >= 2; }));
    EXPECT_EQ(c.foreign[0], std::make_pair(s, std::string("CONNECT")));
    EXPECT_EQ(c.foreign[1], std::make_pair(s, std::string("WRITE")));
    closesocket(s);
}

TEST_F(WinsockTest, BlockingConnectSendReceiveAndAddresses)
{
    LoopbackPeer echo([](int &fd) {
        WriteAll(fd, ReadSome(fd));
        DrainUntilEof(fd);
    });
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(echo.Port());
    to.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
    EXPECT_EQ(send(s, "hello", 5, 0), 5);
    char buf[16] = {};
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 5);
    EXPECT_STREQ(buf, "hello");

    sockaddr_in local{};
    sockaddr_in peer{};
    int len = sizeof local;
    ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr *>(&local), &len), 0);
    EXPECT_EQ(len, 16);
    EXPECT_NE(local.sin_port, 0);
    EXPECT_STREQ(inet_ntoa(local.sin_addr), "127.0.0.1");
    len = sizeof peer;
    ASSERT_EQ(getpeername(s, reinterpret_cast<sockaddr *>(&peer), &len), 0);
    EXPECT_EQ(peer.sin_family, AF_INET);
    EXPECT_EQ(ntohs(peer.sin_port), echo.Port());
    len = 8;
    EXPECT_EQ(getpeername(s, reinterpret_cast<sockaddr *>(&peer), &len), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
    EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockTest, FailuresReportWindowsErrorCodes)
{
    LoopbackPeer quiet([](int &fd) { DrainUntilEof(fd); });
    WinsockClient window;
    auto stream = [] { return socket(AF_INET, SOCK_STREAM, 0); };
    auto connectTo = [](SOCKET s, const char *address, uint16_t port) {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = inet_addr(address);
        return connect(s, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
    };
    struct Case {
        const char *name;
        std::function<int(SOCKET)> call;
        int error;
    };
    const uint16_t closed = ClosedPort();
    const std::vector<Case> cases = {
        {"blocking connect refused", [&](SOCKET s) { return connectTo(s, "127.0.0.1", closed); },
         WSAECONNREFUSED},
        {"connect to the any-address", [&](SOCKET s) { return connectTo(s, "0.0.0.0", quiet.Port()); },
         WSAEADDRNOTAVAIL},
        {"receive before connecting", [](SOCKET s) { char b; return recv(s, &b, 1, 0); }, WSAENOTCONN},
        {"non-blocking receive with nothing there",
         [&](SOCKET s) {
             win::u_long on = 1;
             EXPECT_EQ(connectTo(s, "127.0.0.1", quiet.Port()), 0);
             EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
             char b;
             return recv(s, &b, 1, 0);
         },
         WSAEWOULDBLOCK},
        {"blocking mode while events are selected",
         [&](SOCKET s) {
             win::u_long off = 0;
             EXPECT_EQ(WSAAsyncSelect(s, window.Window(), kSocketMsg, FD_READ), 0);
             return ioctlsocket(s, FIONBIO, &off);
         },
         WSAEINVAL},
        {"selection for a window that does not exist",
         [](SOCKET s) { return WSAAsyncSelect(s, 0x7FFFFFF0u, kSocketMsg, FD_READ); }, WSAEINVAL},
        {"flags on send", [](SOCKET s) { return send(s, "x", 1, 1); }, WSAEOPNOTSUPP},
        {"closed handle",
         [](SOCKET s) {
             closesocket(s);
             char b;
             return recv(s, &b, 1, 0);
         },
         WSAENOTSOCK},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SOCKET s = stream();
        ASSERT_NE(s, INVALID_SOCKET);
        EXPECT_EQ(c.call(s), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), c.error);
        closesocket(s);
    }
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, IPPROTO_UDP), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAEPROTONOSUPPORT);
}

TEST_F(WinsockTest, DottedAddressesParseWithoutLookUpWhileNamesResolve)
{
    struct Case {
        const char *text;
        win::u_long address; // network order
    };
    const Case cases[] = {
        {"127.0.0.1", htonl(0x7F000001u)}, {"10.1.2.3", htonl(0x0A010203u)},
        {"0.0.0.0", 0},                    {"255.255.255.255", INADDR_NONE},
        {"1.2.3.256", INADDR_NONE},        {"", INADDR_NONE},
        {"localhost", INADDR_NONE},
    };
    const DWORD before = NameLookupCount();
    for (const Case &c : cases)
        EXPECT_EQ(inet_addr(c.text), c.address) << c.text;
    EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);
    EXPECT_EQ(NameLookupCount(), before);

    hostent *he = gethostbyname("localhost");
    EXPECT_EQ(NameLookupCount(), before + 1);
    ASSERT_NE(he, nullptr);
    EXPECT_EQ(he->h_addrtype, AF_INET);
    EXPECT_EQ(he->h_length, 4);
    ASSERT_NE(he->h_addr_list[0], nullptr);
    in_addr first;
    std::memcpy(&first, he->h_addr_list[0], 4);
    EXPECT_STREQ(inet_ntoa(first), "127.0.0.1");
}

// Writing to a connection the peer has reset gives an error, not SIGPIPE.
TEST_F(WinsockTest, SendToAResetPeerFailsWithoutASignal)
{
    LoopbackPeer peer([](int &fd) { Reset(fd); });
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(peer.Port());
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr *>(&sa), sizeof sa), 0);
    int result = 0;
    for (int i = 0; i < 200 && result != SOCKET_ERROR; ++i) {
        result = send(s, "data", 4, 0);
        Sleep(5);
    }
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    closesocket(s);
}

// A receive blocked on a thread ends when the thread is stopped or the socket
// is closed by another thread.
TEST_F(WinsockTest, BlockedReceiveEndsOnThreadStopAndOnClose)
{
    for (bool byStop : {true, false}) {
        SCOPED_TRACE(byStop ? "stop" : "close");
        LoopbackPeer peer([](int &fd) { DrainUntilEof(fd); });
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(peer.Port());
        sa.sin_addr.s_addr = inet_addr("127.0.0.1");
        ASSERT_EQ(connect(s, reinterpret_cast<sockaddr *>(&sa), sizeof sa), 0);
        struct Blocked {
            SOCKET s;
            std::atomic<int> result{1};
            std::atomic<int> error{0};
        } blocked{s};
        HANDLE thread = CreateThread(
            nullptr, 0,
            [](LPVOID p) -> DWORD {
                auto *b = static_cast<Blocked *>(p);
                char buf[8];
                b->result = recv(b->s, buf, sizeof buf, 0);
                b->error = WSAGetLastError();
                return 0;
            },
            &blocked, 0, nullptr);
        ASSERT_NE(thread, 0u);
        EXPECT_EQ(WaitForSingleObject(thread, 200), WAIT_TIMEOUT);
        if (byStop)
            TerminateThread(thread, 0);
        else
            closesocket(s);
        EXPECT_EQ(WaitForSingleObject(thread, 2000), WAIT_OBJECT_0);
        EXPECT_EQ(blocked.result.load(), SOCKET_ERROR);
        EXPECT_EQ(blocked.error.load(), WSAEINTR);
        CloseHandle(thread);
        if (byStop)
            closesocket(s);
    }
}

TEST_F(WinsockTest, SocketsNeedAStartUpInForce)
{
    WSACleanup();
    SetWSAStartupResult(WSASYSNOTREADY);
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), WSASYSNOTREADY);
    SetWSAStartupResult(0);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
    ASSERT_EQ(WSAStartup(MAKEWORD(3, 0), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_NE(s, INVALID_SOCKET);
    closesocket(s);
}

} // namespace
