// A stand-in order client for the order hand-over's tests, installed as the
// program of Exe0. Each start appends "cmdline <its whole command line>" to
// orderpeer.log in its working folder. The first start (the one that creates
// orderpeer.lock there) then plays the running client: it takes the frame's
// window and the announce and withdraw messages from fields 12 to 14 of the
// '|'-separated line, makes a window, posts the announce message with it and
// logs "window <hwnd>"; each WM_SYSCOMMAND is logged as "syscommand <wParam>";
// WM_CLOSE posts the withdraw message, logs "gone" and ends it, as does a quiet
// minute. Later starts end after their line, as a second copy hands its order
// to the first.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

HWND frame = 0;
UINT gone = 0;

void Log(const std::string &line)
{
    // One write per line on an appending descriptor: lines of two copies never mix.
    const int fd = ::open("orderpeer.log", O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        return;
    const std::string text = line + "\n";
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
}

LRESULT PeerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        Log("syscommand " + std::to_string(wParam));
        return 0;
    case WM_CLOSE:
        PostMessageA(frame, gone, 0, 0);
        Log("gone");
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int main(int argc, char **argv)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const std::string line = GetCommandLineA();
    Log("cmdline " + line);
    const int lock = ::open("orderpeer.lock", O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (lock < 0)
        return 0;
    ::close(lock);
    std::vector<std::string> fields;
    size_t start = 1;
    for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
        fields.push_back(line.substr(start, bar - start));
    if (fields.size() < 14)
        return 1;
    frame = HWND(std::strtoul(fields[11].c_str(), nullptr, 10));
    const UINT announce = UINT(std::strtoul(fields[12].c_str(), nullptr, 10));
    gone = UINT(std::strtoul(fields[13].c_str(), nullptr, 10));

    GuiApplication app(argc, argv);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PeerProc;
    wc.lpszClassName = "OrderPeer";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "OrderPeer", "order peer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, 0, 0, 0, nullptr);
    if (!hwnd)
        return 1;
    PostMessageA(frame, announce, WPARAM(uintptr_t(hwnd)), 0);
    Log("window " + std::to_string(uintptr_t(hwnd)));
    SetTimer(hwnd, 1, 60000, nullptr);
    return app.Run();
}
