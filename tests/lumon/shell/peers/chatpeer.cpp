// A stand-in chat client for the main frame's tests, installed as chatdesk.dll
// or started by a test. It first writes its whole command line to chatpeer.out
// in its working folder (through a temporary name, so that the file appears
// complete). Without LUMO_CHATPEER_OUT it then ends. With it, it takes the last
// word of its command line as the frame's window, as the terminal passes it to
// the chat client it starts, makes a window and posts to the frame by the mode
// in LUMO_CHATPEER_MODE, then reports to the file LUMO_CHATPEER_OUT:
//   greet (default)  posts 2564 with its window: each WM_COPYDATA it gets is
//                    reported as "copydata <dwData> <cbData> <hex bytes>"
//   forge            posts 2026 and 2547 with values that are no pointers here
// and in either mode then posts 4025 with its window, so that the test knows its
// posts were handled once the frame names it as the order window. A 2564 with
// wParam 3 is reported as "close" and ends it; so does a quiet minute.
#include <signal.h>
#include <sys/prctl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Timers.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

std::FILE *out = nullptr;

void Report(const std::string &line)
{
    if (out) {
        std::fprintf(out, "%s\n", line.c_str());
        std::fflush(out);
    }
}

LRESULT PeerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA: {
        auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        std::string line = "copydata " + std::to_string(cds->dwData) + " " + std::to_string(cds->cbData) + " ";
        auto *bytes = static_cast<const unsigned char *>(cds->lpData);
        char hex[3];
        for (DWORD i = 0; i < cds->cbData; ++i) {
            std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
            line += hex;
        }
        Report(line);
        return 1;
    }
    case 2564:
        if (wParam == 3) {
            Report("close");
            PostQuitMessage(0);
        }
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
    // A peer never outlives the test that started it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    {
        std::ofstream line("chatpeer.tmp", std::ios::binary);
        line << GetCommandLineA();
    }
    if (std::rename("chatpeer.tmp", "chatpeer.out") != 0)
        return 1;
    const char *path = std::getenv("LUMO_CHATPEER_OUT");
    if (!path)
        return 0;
    std::istringstream words{std::string(GetCommandLineA())};
    std::string word, last;
    while (words >> word)
        last = word;
    const HWND frame = HWND(std::strtoul(last.c_str(), nullptr, 10));
    const char *mode = std::getenv("LUMO_CHATPEER_MODE");
    out = std::fopen(path, "a");

    GuiApplication app(argc, argv);
    WNDCLASSA wc{};
    wc.lpfnWndProc = PeerProc;
    wc.lpszClassName = "ChatPeer";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "ChatPeer", "chat peer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, 0, 0, 0, nullptr);
    if (!hwnd)
        return 1;
    if (mode && std::string(mode) == "forge") {
        PostMessageA(frame, 2026, WPARAM(1 << 16 | 5), LPARAM(0x1234));
        PostMessageA(frame, 2026, WPARAM(0), LPARAM(0x2345));
        PostMessageA(frame, 2547, 0, LPARAM(0x5678));
    } else {
        PostMessageA(frame, 2564, 0, LPARAM(uintptr_t(hwnd)));
    }
    PostMessageA(frame, 4025, WPARAM(uintptr_t(hwnd)), 0);
    Report("posted " + std::to_string(uintptr_t(hwnd)));
    SetTimer(hwnd, 1, 60000, nullptr);
    return app.Run();
}
