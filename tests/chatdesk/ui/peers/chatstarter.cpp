// Plays the terminal's side of the chat link for the chat program's tests: owns
// a window, starts the chat program with that window's handle (or a given
// command line) as its whole command line, answers the greeting (2564) with a
// chosen credentials block by WM_COPYDATA, and on request shows the hidden chat
// window, posts 2564 with wParam 3, or just exits.
//   chatstarter PROGRAM [options]
//     --cmdline TEXT       the child's command line instead of the handle
//     --name TEXT / --password TEXT   the block's fields (at most 64 bytes each;
//                          a name of 64 bytes has no NUL)
//     --cbdata N / --dwdata N          the block's size and code (128, 0)
//     --from-other         the block names another window as its sender
// Commands on standard input, one per line: "show", "end" (2564/3), "resend",
// "exit" (ends at once, without a word to the child). Events on standard
// output: "greeted <hwnd>", "answered <result>", "child-exited <code>".
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

constexpr UINT kLink = 2564;
constexpr UINT kCommand = WM_USER + 50;

HWND self = 0;
HWND other = 0;
HWND chat = 0;
std::vector<char> block(128, 0);
DWORD cbData = 128;
ULONG_PTR dwData = 0;
bool fromOther = false;
PROCESS_INFORMATION child{};

void Say(const std::string &line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SendBlock()
{
    if (!chat)
        return;
    COPYDATASTRUCT cds{dwData, cbData, block.data()};
    const LRESULT r =
        SendMessageA(chat, WM_COPYDATA, static_cast<WPARAM>(fromOther ? other : self), reinterpret_cast<LPARAM>(&cds));
    Say("answered " + std::to_string(r));
}

LRESULT StarterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kLink && wParam == 0 && IsWindow(static_cast<HWND>(lParam))) {
        chat = static_cast<HWND>(lParam);
        Say("greeted " + std::to_string(chat));
        SendBlock();
        return 0;
    }
    if (msg == kCommand) {
        switch (wParam) {
        case 1:
            if (chat)
                ShowWindow(chat, SW_SHOW);
            break;
        case 2:
            if (chat)
                PostMessageA(chat, kLink, 3, 0);
            break;
        case 3:
            SendBlock();
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == WM_TIMER) {
        DWORD code = 0;
        if (child.hProcess && GetExitCodeProcess(child.hProcess, &code) && code != 259) {
            Say("child-exited " + std::to_string(code));
            child.hProcess = 0;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void SetField(size_t offset, const std::string &text)
{
    std::memset(block.data() + offset, 0, 64);
    std::memcpy(block.data() + offset, text.data(), std::min<size_t>(text.size(), 64));
}

} // namespace

int main(int argc, char **argv)
{
    // A peer never outlives the test that started it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (argc < 2)
        return 2;
    std::string program = argv[1];
    std::string commandLine;
    bool ownCommandLine = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--cmdline")
            commandLine = v, ownCommandLine = true, ++i;
        else if (a == "--name")
            SetField(0, v), ++i;
        else if (a == "--password")
            SetField(64, v), ++i;
        else if (a == "--cbdata")
            cbData = static_cast<DWORD>(std::atoi(v)), ++i;
        else if (a == "--dwdata")
            dwData = static_cast<ULONG_PTR>(std::atoi(v)), ++i;
        else if (a == "--from-other")
            fromOther = true;
    }
    if (cbData > block.size())
        block.resize(cbData, 0);
    GuiApplication app(argc, argv);
    WNDCLASSA wc{};
    wc.lpfnWndProc = StarterProc;
    wc.lpszClassName = "ChatStarter";
    RegisterClassA(&wc);
    self = CreateWindowExA(0, "ChatStarter", "terminal", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, 0, 0, 0, nullptr);
    other = CreateWindowExA(0, "ChatStarter", "other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, 0, 0, 0, nullptr);
    if (!self)
        return 3;
    if (!ownCommandLine)
        commandLine = std::to_string(self);
    const std::string folder = program.substr(0, program.find_last_of('/'));
    STARTUPINFOA si{};
    si.cb = 68;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &child))
        return 4;
    SetTimer(self, 1, 50, nullptr);
    std::thread([] {
        char text[64];
        while (std::fgets(text, sizeof text, stdin)) {
            const std::string c(text, strcspn(text, "\r\n"));
            if (c == "exit")
                _exit(0);
            PostMessageA(self, kCommand, c == "show" ? 1 : c == "end" ? 2 : c == "resend" ? 3 : 0, 0);
        }
    }).detach();
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
