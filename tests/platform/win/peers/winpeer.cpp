// A second process for the message tests. Its command line picks the part it
// plays:
//   window <hwnd>         a top-level window that greets <hwnd> and answers
//                         WM_COPYDATA, nested sends, show requests, the text
//                         messages, the question whether a message was marked as
//                         one from another process (WM_USER + 8) and WM_CLOSE
//   mutex <name>          exit code 183 when the named mutex already exists, else 0
//   cmdline               writes its command line (and whether the carrier
//                         variable is gone) to cmdline.out in its folder
//   nobody <socket> <hwnd> as user nobody, tries a send through <socket>; exit
//                         code 0 when the connection is refused without answer
//   forge <out> <socket> <hwnd> <kind> <message> <wParam> <lParam> <dataLen> <carried>
//                         sends one hand-made request through <socket>: the header
//                         as given, then <carried> bytes of text "forged..."; writes
//                         to <out> "closed" or "answer <dwData> <result> <text>"
//   settext <hwnd> <text>  sends WM_SETTEXT to <hwnd> and exits with its result
//   runtime               makes the GUI application, then prints the runtime folder
//                         and XDG_RUNTIME_DIR on two lines of standard output
//   cutter <hwnd> <n>     a process that owns window <hwnd> and serves it on its
//                         own socket by hand: it closes the first connection of
//                         each request unanswered, as a process that cut it off,
//                         and answers the second (a question whether the window
//                         exists: yes; a send: 0x4242); ends after <n> answers
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/GuiApplication.h"
#include "platform/win/Messages.h"
#include "platform/win/Mutex.h"
#include "platform/win/Process.h"
#include "platform/win/Remote.h"
#include "platform/win/Runtime.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

HWND starter = 0;

LRESULT PeerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA: {
        auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (cds->dwData != 1001 || cds->cbData != 352)
            return -1;
        auto *bytes = static_cast<const unsigned char *>(cds->lpData);
        for (unsigned i = 0; i < 352; ++i)
            if (bytes[i] != static_cast<unsigned char>(i * 7))
                return 2;
        return 0x352 + (wParam == starter ? 0x10000 : 0);
    }
    case WM_USER + 3:
        // Dies while its sender waits.
        _exit(3);
    case WM_USER + 4:
        return SendMessageA(starter, WM_USER + 5, 0, 0) + 1;
    case WM_USER + 8:
        // Whether the layer marked the message as one from another process.
        return InMessageFromOtherProcess();
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

int RunWindow(int argc, char **argv, const std::string &target)
{
    GuiApplication app(argc, argv);
    starter = static_cast<HWND>(std::strtoul(target.c_str(), nullptr, 10));
    WNDCLASSA wc{};
    wc.lpfnWndProc = PeerProc;
    wc.lpszClassName = "PeerWnd";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "PeerWnd", "peer window", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, 0, 0, 0, nullptr);
    if (!hwnd || !PostMessageA(starter, WM_USER + 2, 0, static_cast<LPARAM>(hwnd)))
        return 1;
    return app.Run();
}

// The address of the socket file at `path`.
sockaddr_un AddressOf(const std::string &path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    return addr;
}

int TryAsNobody(const std::string &socketPath, HWND target)
{
    setgroups(0, nullptr);
    if (setgid(65534) != 0 || setuid(65534) != 0)
        return 4;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    const sockaddr_un addr = AddressOf(socketPath);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
        return errno == EACCES ? 2 : 5;
    RemoteFrame f{kRemoteMagic, kRemoteSend, target, WM_USER + 6, 0, 0, 0, 0};
    if (send(fd, &f, sizeof f, MSG_NOSIGNAL) != sizeof f)
        return 0;
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 3000) <= 0)
        return 6;
    RemoteFrame answer{};
    return recv(fd, &answer, sizeof answer, 0) > 0 ? 1 : 0;
}

int Forge(const std::string &rest)
{
    std::istringstream words(rest);
    std::string out, path;
    RemoteFrame f{kRemoteMagic, 0, 0, 0, 0, 0, 0, 0};
    size_t carried = 0;
    if (!(words >> out >> path >> f.hwnd >> f.kind >> f.message >> f.wParam >> f.lParam >> f.dataLen >> carried))
        return 8;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    const sockaddr_un addr = AddressOf(path);
    if (connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0)
        return 5;
    std::vector<char> packet(sizeof f + carried);
    std::memcpy(packet.data(), &f, sizeof f);
    const std::string text = "forged";
    for (size_t i = 0; i < carried; ++i)
        packet[sizeof f + i] = text[i % text.size()];
    if (send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
        return 6;
    std::ofstream result(out, std::ios::binary);
    pollfd pfd{fd, POLLIN, 0};
    std::vector<char> answer(sizeof(RemoteFrame) + kMaxCopyDataBytes);
    ssize_t n = poll(&pfd, 1, 5000) > 0 ? recv(fd, answer.data(), answer.size(), 0) : -1;
    RemoteFrame got{};
    if (n <= 0) {
        result << "closed";
    } else if (!CheckRemoteAnswer(answer.data(), static_cast<size_t>(n), kMaxCopyDataBytes, got)) {
        result << "bad answer";
    } else {
        result << "answer " << got.dwData << ' ' << static_cast<int32_t>(got.lParam) << ' '
               << std::string(answer.data() + sizeof got, got.dataLen);
    }
    return 0;
}

int RunCutter(const std::string &rest)
{
    std::istringstream words(rest);
    unsigned long window = 0;
    int answers = 0;
    if (!(words >> window >> answers))
        return 8;
    const std::string path = ProcessSocketPath(static_cast<DWORD>(getpid()));
    const std::string entry = RuntimeFolder() + "/w" + std::to_string(window);
    int listener = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    const sockaddr_un addr = AddressOf(path);
    unlink(path.c_str());
    if (bind(listener, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0 || listen(listener, 8) != 0)
        return 5;
    std::ofstream(entry + ".new") << getpid() << ' ' << getpid() << "\nCutterWnd\ncutter\n";
    rename((entry + ".new").c_str(), entry.c_str());
    int code = 0;
    for (bool cut = true; answers > 0; cut = !cut) {
        pollfd pfd{listener, POLLIN, 0};
        if (poll(&pfd, 1, 20000) <= 0) {
            code = 6;
            break;
        }
        int fd = accept(listener, nullptr, nullptr);
        RemoteFrame f{};
        if (fd < 0 || recv(fd, &f, sizeof f, 0) != sizeof f) {
            code = 7;
            break;
        }
        if (!cut) {
            RemoteFrame answer{kRemoteMagic, kRemoteAnswer, 0, 0, 0, f.kind == kRemoteQuery ? 1u : 0x4242u,
                               kAnswerHandled, 0};
            send(fd, &answer, sizeof answer, MSG_NOSIGNAL);
            --answers;
        }
        close(fd);
    }
    close(listener);
    unlink(path.c_str());
    unlink(entry.c_str());
    return code;
}

bool NamesThisProgram(const std::string &word)
{
    std::string base = word.substr(word.find_last_of("/\\") + 1);
    for (char &c : base)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return base == "winpeer" || base == "winpeer.exe" || base == "lumo_winpeer";
}

} // namespace

int main(int argc, char **argv)
{
    // A peer never outlives the test that started it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::string line = GetCommandLineA();
    std::istringstream in(line);
    std::string mode;
    in >> mode;
    if (NamesThisProgram(mode))
        in >> mode;
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (mode == "window")
        return RunWindow(argc, argv, rest);
    if (mode == "mutex") {
        HANDLE h = CreateMutexA(nullptr, TRUE, rest.c_str());
        return GetLastError() == ERROR_ALREADY_EXISTS ? 183 : (h ? 0 : 1);
    }
    if (mode == "cmdline") {
        std::ofstream out("cmdline.out", std::ios::binary);
        out << line << '\n' << (std::getenv("LUMO_CMDLINE") ? "present" : "cleared");
        return 0;
    }
    if (mode == "forge")
        return Forge(rest);
    if (mode == "cutter")
        return RunCutter(rest);
    if (mode == "settext") {
        std::istringstream words(rest);
        unsigned long target = 0;
        words >> target;
        std::string text;
        std::getline(words >> std::ws, text);
        return static_cast<int>(SendMessageA(static_cast<HWND>(target), WM_SETTEXT, 0,
                                             reinterpret_cast<LPARAM>(text.c_str())));
    }
    if (mode == "runtime") {
        GuiApplication app(argc, argv);
        const char *xdg = std::getenv("XDG_RUNTIME_DIR");
        std::printf("%s\n%s\n", RuntimeFolder().c_str(), xdg ? xdg : "");
        std::fflush(stdout);
        return 0;
    }
    if (mode == "nobody") {
        std::istringstream words(rest);
        std::string path;
        unsigned long target = 0;
        words >> path >> target;
        return TryAsNobody(path, static_cast<HWND>(target));
    }
    return 9;
}
