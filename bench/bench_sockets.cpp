// Loopback receive throughput of the socket layer: a window that takes FD_READ
// from WSAAsyncSelect and reads 8 KB with recv per message, against plain
// blocking POSIX reads of 8 KB, the same transfer in the same run. The counter
// "ratio" is the layer's throughput over the plain one.
// bench-deps: platform_win
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "platform/win/Winsock.h"

namespace {

constexpr size_t kTransfer = size_t(64) << 20;
constexpr int kReadSize = 8192;
constexpr win::UINT kSocketMsg = 3025;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Accepts one connection on its own thread and writes kTransfer bytes to it as
// fast as it can, then closes.
class Sender {
public:
    Sender()
    {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(listenFd_, reinterpret_cast<::sockaddr *>(&a), sizeof a);
        ::listen(listenFd_, 1);
        ::getsockname(listenFd_, reinterpret_cast<::sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            static char block[65536];
            size_t sent = 0;
            while (sent < kTransfer) {
                ssize_t n = ::send(fd, block, std::min(sizeof block, kTransfer - sent), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<size_t>(n);
            }
            ::close(fd);
        });
    }
    ~Sender()
    {
        thread_.join();
        ::close(listenFd_);
    }
    uint16_t Port() const { return port_; }

private:
    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

struct Receiver {
    win::SOCKET s;
    size_t received = 0;
    bool closed = false;
};
Receiver *receiver = nullptr;

win::LRESULT ReceiverProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    if (msg != kSocketMsg || !receiver || wParam != receiver->s)
        return win::DefWindowProcA(hwnd, msg, wParam, lParam);
    if (win::WSAGETSELECTEVENT(lParam) == win::FD_READ) {
        char buf[kReadSize];
        int n = win::recv(receiver->s, buf, kReadSize, 0);
        if (n > 0)
            receiver->received += static_cast<size_t>(n);
    } else if (win::WSAGETSELECTEVENT(lParam) == win::FD_CLOSE) {
        receiver->closed = true;
    }
    return 0;
}

// The transfer through the layer: a blocking connect, then FD_READ and FD_CLOSE
// to the window, handled by the thread's message loop until the close.
double LayerSeconds(win::HWND hwnd, size_t &received)
{
    Sender sender;
    const auto start = std::chrono::steady_clock::now();
    Receiver r{win::socket(AF_INET, SOCK_STREAM, 0)};
    win::sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(sender.Port());
    to.sin_addr.s_addr = win::inet_addr("127.0.0.1");
    if (win::connect(r.s, reinterpret_cast<win::sockaddr *>(&to), sizeof to) != 0)
        return 0;
    receiver = &r;
    win::WSAAsyncSelect(r.s, hwnd, kSocketMsg, win::FD_READ | win::FD_CLOSE);
    win::MSG msg;
    while (!r.closed && win::GetMessageA(&msg, 0, 0, 0) > 0)
        win::DispatchMessageA(&msg);
    const double seconds = Seconds(start);
    receiver = nullptr;
    win::closesocket(r.s);
    received = r.received;
    return seconds;
}

// The same transfer with plain blocking reads.
double PlainSeconds(size_t &received)
{
    Sender sender;
    const auto start = std::chrono::steady_clock::now();
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(sender.Port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    received = 0;
    if (::connect(fd, reinterpret_cast<::sockaddr *>(&to), sizeof to) == 0) {
        char buf[kReadSize];
        ssize_t n;
        while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0)
            received += static_cast<size_t>(n);
    }
    const double seconds = Seconds(start);
    ::close(fd);
    return seconds;
}

void BM_LoopbackReceive(benchmark::State &state)
{
    static int argc = 1;
    static char name[] = "bench_sockets";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::GuiApplication(argc, argv);
    (void)app;
    win::WSADATA data;
    win::WSAStartup(win::MAKEWORD(2, 2), &data);
    static const bool registered = [] {
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = ReceiverProc;
        wc.lpszClassName = "BenchSocketWnd";
        return win::RegisterClassA(&wc) != 0;
    }();
    win::HWND hwnd = win::CreateWindowExA(win::WS_EX_TOOLWINDOW, "BenchSocketWnd", "", 0, 0, 0, 0, 0, 0, 0, 0,
                                          nullptr);
    if (!registered || !hwnd) {
        state.SkipWithError("no window");
        return;
    }
    double layer = 0;
    double plain = 0;
    for (auto _ : state) {
        size_t layerBytes = 0;
        size_t plainBytes = 0;
        const double p = PlainSeconds(plainBytes);
        const double l = LayerSeconds(hwnd, layerBytes);
        if (layerBytes != kTransfer || plainBytes != kTransfer) {
            state.SkipWithError("transfer incomplete");
            break;
        }
        state.SetIterationTime(l);
        layer += l;
        plain += p;
    }
    const double bytes = static_cast<double>(kTransfer) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    if (layer > 0 && plain > 0) {
        state.counters["layer_MBps"] = bytes / layer / 1e6;
        state.counters["plain_MBps"] = bytes / plain / 1e6;
        state.counters["ratio"] = plain / layer;
    }
    win::DestroyWindow(hwnd);
    win::WSACleanup();
}
BENCHMARK(BM_LoopbackReceive)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
