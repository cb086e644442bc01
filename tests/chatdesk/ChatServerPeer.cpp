#include "ChatServerPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <thread>

#include "platform/win/CAsyncSocket.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "tests/support/PeerProcess.h"

namespace chattest {

bool ChatServerPeer::Start(const std::vector<std::string> &options)
{
    std::vector<std::string> argv = {"/usr/bin/python3", LUMO_CHATSERVER, "--host", "127.0.0.1",
                                     "--port", "0", "--control", "0"};
    argv.insert(argv.end(), options.begin(), options.end());
    std::string line;
    pid_ = peersupport::StartChild(argv, &line);
    int controlPort = 0;
    if (std::sscanf(line.c_str(), "%d %d", &port_, &controlPort) != 2)
        return false;
    control_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(controlPort));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(control_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
}

void ChatServerPeer::Stop()
{
    if (control_ >= 0)
        ::close(control_);
    control_ = -1;
    peersupport::StopChild(pid_);
    pid_ = 0;
}

std::string ChatServerPeer::Command(const std::string &json)
{
    const std::string line = json + "\n";
    ::send(control_, line.data(), line.size(), MSG_NOSIGNAL);
    std::string answer;
    char c;
    while (::recv(control_, &c, 1, 0) == 1 && c != '\n')
        answer += c;
    return answer;
}

bool ChatServerPeer::WaitFor(const std::string &condition, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string query = condition;
    query.insert(query.size() - 1, ",\"timeout\":0.01");
    for (;;) {
        if (JsonField(Command(query), "ok") == "true")
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        PumpFor(10);
    }
}

namespace {

// A window to which a thread posts a message every few milliseconds of real
// time, so that a wait for a condition ends on time, also while a test clock
// stands still.
class Waker {
public:
    Waker()
    {
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = win::DefWindowProcA;
        wc.lpszClassName = "ChatTestPump";
        win::RegisterClassA(&wc);
        hwnd_ = win::CreateWindowExA(0, "ChatTestPump", "", win::WS_POPUP, 0, 0, 0, 0, 0, 0, 0, nullptr);
        thread_ = std::thread([this] {
            while (!stop_) {
                win::PostMessageA(hwnd_, win::WM_NULL, 0, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~Waker()
    {
        stop_ = true;
        thread_.join();
    }

private:
    win::HWND hwnd_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

void EnsureGui()
{
    static int argc = 1;
    static char name[] = "test_chatdesk";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::GuiApplication(argc, argv);
    static const bool sockets = win::AfxSocketInit() != win::FALSE;
    (void)app;
    (void)sockets;
    static Waker waker;
}

bool PumpUntil(const std::function<bool()> &done, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        win::MSG msg;
        if (win::GetMessageA(&msg, 0, 0, 0) > 0)
            win::DispatchMessageA(&msg);
    }
    return true;
}

void PumpFor(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    PumpUntil([&] { return std::chrono::steady_clock::now() > end; }, ms + 1000);
}

std::string JsonField(const std::string &line, const std::string &name)
{
    const std::regex pattern("\"" + name + "\": ?(\"([^\"]*)\"|([-0-9a-z.]+))");
    std::smatch m;
    if (!std::regex_search(line, m, pattern))
        return std::string();
    return m[2].matched ? m[2].str() : m[3].str();
}

} // namespace chattest
