#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "GuiTestSupport.h"
#include "platform/win/Handle.h"
#include "platform/win/Messages.h"
#include "platform/win/Mutex.h"
#include "platform/win/Process.h"
#include "platform/win/Remote.h"
#include "platform/win/Runtime.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"

using namespace win;
using wintest::EnsureGui;
using wintest::PumpUntil;

namespace {

struct Arrival {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool marked; // handled as a message from another process
};
std::vector<Arrival> arrivals;
// Every message the window handled as one from another process.
std::vector<UINT> marked;

LRESULT TestProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const bool fromOther = InMessageFromOtherProcess() != FALSE;
    if (fromOther)
        marked.push_back(msg);
    if (msg >= WM_USER) {
        arrivals.push_back({msg, wParam, lParam, fromOther});
        return msg == WM_USER + 5 ? 77 : 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A peer process started with CreateProcessA, ended and waited for at the end.
struct Peer {
    PROCESS_INFORMATION pi{};
    bool started = false;

    bool Start(const std::string &line)
    {
        std::string text = line;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        started = CreateProcessA(LUMO_WINPEER, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        return started;
    }
    // Serves this process's windows until the peer has ended; its exit code.
    DWORD Await()
    {
        DWORD code = 0xFFFF;
        PumpUntil([&] { return GetExitCodeProcess(pi.hProcess, &code) && code != STILL_ACTIVE; }, 10000);
        return Finish();
    }
    DWORD Finish(DWORD ms = 10000)
    {
        if (!started)
            return 0xFFFF;
        if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0)
            kill(static_cast<pid_t>(pi.dwProcessId), SIGKILL);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        started = false;
        return code;
    }
    ~Peer() { Finish(0); }
};

class RemoteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = TestProc;
            wc.lpszClassName = "RemoteTestWnd";
            return RegisterClassA(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        arrivals.clear();
        marked.clear();
        hwnd = CreateWindowExA(0, "RemoteTestWnd", "terminal", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, 0, 0, 0, nullptr);
        ASSERT_NE(hwnd, 0u);
        ASSERT_FALSE(RuntimeFolder().empty());
    }
    void TearDown() override { DestroyWindow(hwnd); }

    // Starts a window peer and waits for its greeting; returns its window.
    HWND StartWindowPeer(Peer &peer)
    {
        if (!peer.Start("window " + std::to_string(hwnd)))
            return 0;
        if (!PumpUntil([] { return !arrivals.empty(); }, 10000))
            return 0;
        Arrival greeting = arrivals.front();
        arrivals.clear();
        return greeting.msg == WM_USER + 2 ? static_cast<HWND>(greeting.lParam) : 0;
    }

    HWND hwnd = 0;
};

HWND foundWindow = 0;
BOOL FindWindowOfProcess(HWND h, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner != static_cast<DWORD>(pid))
        return TRUE;
    foundWindow = h;
    return FALSE;
}

TEST_F(RemoteTest, ChildGetsCopyDataAndShowRequestsAndGoesAway)
{
    Peer peer;
    HWND other = StartWindowPeer(peer);
    ASSERT_NE(other, 0u);
    EXPECT_TRUE(IsWindow(other));
    DWORD pid = 0;
    EXPECT_NE(GetWindowThreadProcessId(other, &pid), 0u);
    EXPECT_EQ(pid, peer.pi.dwProcessId);
    foundWindow = 0;
    EnumWindows(FindWindowOfProcess, static_cast<LPARAM>(peer.pi.dwProcessId));
    EXPECT_EQ(foundWindow, other);
    EXPECT_EQ(FindWindowA("peerwnd", nullptr), other);
    EXPECT_EQ(FindWindowA(nullptr, "PEER WINDOW"), other);
    char title[32];
    EXPECT_EQ(GetWindowTextA(other, title, sizeof title), 11);

    // The 352-byte order record, with the sender's window as wParam.
    unsigned char record[352];
    for (unsigned i = 0; i < sizeof record; ++i)
        record[i] = static_cast<unsigned char>(i * 7);
    COPYDATASTRUCT cds{1001, sizeof record, record};
    EXPECT_EQ(SendMessageA(other, WM_COPYDATA, hwnd, reinterpret_cast<LPARAM>(&cds)), 0x10352);
    // A record of the wrong length reaches the receiver, which refuses it.
    COPYDATASTRUCT shortRecord{1001, 100, record};
    EXPECT_EQ(SendMessageA(other, WM_COPYDATA, hwnd, reinterpret_cast<LPARAM>(&shortRecord)), -1);
    COPYDATASTRUCT noBytes{1001, 352, nullptr};
    SetLastError(0);
    EXPECT_EQ(SendMessageA(other, WM_COPYDATA, hwnd, reinterpret_cast<LPARAM>(&noBytes)), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(PostMessageA(other, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));

    // While it waits for the answer, the sender serves the peer's send to it.
    EXPECT_EQ(SendMessageA(other, WM_USER + 4, 0, 0), 78);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].msg, WM_USER + 5u);

    EXPECT_FALSE(IsWindowVisible(other));
    ShowWindow(other, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(other));
    SendMessageA(other, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(other));
    EXPECT_TRUE(IsWindowVisible(other));
    EXPECT_TRUE(SetForegroundWindow(other));

    ASSERT_TRUE(PostMessageA(other, WM_CLOSE, 0, 0));
    EXPECT_EQ(peer.Finish(), 0u);
    EXPECT_FALSE(IsWindow(other));
    EXPECT_FALSE(PostMessageA(other, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(std::filesystem::exists(RuntimeFolder() + "/w" + std::to_string(other)));
}

TEST_F(RemoteTest, PeerDyingMidSendGivesZeroWithoutHanging)
{
    Peer peer;
    HWND other = StartWindowPeer(peer);
    ASSERT_NE(other, 0u);
    QElapsedTimer clock;
    clock.start();
    SetLastError(0);
    EXPECT_EQ(SendMessageA(other, WM_USER + 3, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(peer.Finish(), 3u);
    EXPECT_FALSE(IsWindow(other));
}

// A connection closed without an answer is no sign that the window's process has
// ended: a process under load cuts off a request that came late, and one thread's
// slow moment must not make a live window vanish for every process (its entry
// deleted, IsWindow false, its messages dropped). The request is asked again.
TEST_F(RemoteTest, ARequestCutOffUnansweredIsAskedAgainAndTheWindowStays)
{
    const HWND window = 0x7FFE0000u;
    const std::string entry = RuntimeFolder() + "/w" + std::to_string(window);
    Peer peer;
    ASSERT_TRUE(peer.Start("cutter " + std::to_string(window) + " 3"));
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(entry); }, 10000));

    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(std::filesystem::exists(entry));
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, peer.pi.dwProcessId);
    EXPECT_EQ(SendMessageA(window, WM_USER + 1, 0, 0), 0x4242);
    EXPECT_EQ(peer.Finish(), 0u);

    // Once its process has ended, the window is gone.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(RemoteTest, StaleEntriesAndSocketFilesAreCleanedUp)
{
    const std::string folder = RuntimeFolder();
    // A process id no process has: its socket file is left over, nobody listens.
    const DWORD gonePid = 4190000;
    std::string socketPath = ProcessSocketPath(gonePid);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    close(fd);

    const HWND staleA = 0x7FFF0000u, staleB = 0x7FFF0004u, garbled = 0x7FFF0008u;
    std::ofstream(folder + "/w" + std::to_string(staleA)) << gonePid << " 1\nStaleWnd\nold\n";
    std::ofstream(folder + "/w" + std::to_string(staleB)) << (gonePid + 1) << " 1\nStaleWnd\nold\n";
    std::ofstream(folder + "/w" + std::to_string(garbled)) << "not an entry";

    EXPECT_EQ(FindWindowA("StaleWnd", nullptr), 0u);
    for (HWND h : {staleA, staleB, garbled}) {
        SCOPED_TRACE(h);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_FALSE(PostMessageA(h, WM_USER, 0, 0));
        EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetWindowThreadProcessId(h, nullptr), 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(folder + "/w" + std::to_string(staleA)));
    EXPECT_FALSE(std::filesystem::exists(folder + "/w" + std::to_string(staleB)));
    EXPECT_FALSE(std::filesystem::exists(socketPath));
    std::filesystem::remove(folder + "/w" + std::to_string(garbled));
}

// Sends one raw packet to this process's own socket; true when an answer came.
bool RawExchange(const std::vector<char> &packet, RemoteFrame *answer)
{
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = ProcessSocketPath(static_cast<DWORD>(getpid()));
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(fd);
        ADD_FAILURE() << "no socket at " << path;
        return false;
    }
    send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    RemoteFrame got{};
    ssize_t n = 0;
    // The answer of a send comes once the GUI thread has handled it.
    PumpUntil([&] {
        n = recv(fd, &got, sizeof got, MSG_DONTWAIT);
        return n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
    });
    close(fd);
    if (n != sizeof got)
        return false;
    *answer = got;
    return true;
}

std::vector<char> Packet(const RemoteFrame &f, size_t extra)
{
    std::vector<char> p(sizeof f + extra, 'x');
    std::memcpy(p.data(), &f, sizeof f);
    return p;
}

TEST_F(RemoteTest, MalformedRequestsAreDroppedWithoutAnswer)
{
    RemoteFrame good{kRemoteMagic, kRemoteSend, hwnd, WM_USER + 6, 1, 2, 0, 0};
    RemoteFrame answer{};
    ASSERT_TRUE(RawExchange(Packet(good, 0), &answer));
    EXPECT_EQ(answer.dwData, 1u);
    ASSERT_EQ(arrivals.size(), 1u);
    arrivals.clear();

    RemoteFrame badMagic = good;
    badMagic.magic = 0x12345678;
    RemoteFrame longer = good;
    longer.message = WM_COPYDATA;
    longer.dataLen = 352;
    RemoteFrame huge = longer;
    huge.dataLen = 0xFFFFFFF0u;
    RemoteFrame dataOnPlainSend = good;
    dataOnPlainSend.dataLen = 8;
    RemoteFrame unknownKind = good;
    unknownKind.kind = 99;
    std::vector<std::vector<char>> bad{
        std::vector<char>(10, 'x'),      // shorter than a header
        Packet(badMagic, 0),
        Packet(longer, 100),             // claims 352 bytes, carries 100
        Packet(huge, 16),
        Packet(dataOnPlainSend, 8),
        Packet(unknownKind, 0),
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(RawExchange(bad[i], &answer));
    }
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(arrivals.empty());
}

// What a forged request from another process comes to: the answer its sender
// got, the receiving window's title afterwards, and the message the window
// procedure handled, marked as one from another process (0: none).
TEST_F(RemoteTest, ForgedRequestsOfAnotherProcessAreCheckedByMessageKind)
{
    constexpr uint32_t kChosenAddress = 0x10000;
    constexpr uint32_t kLongest = kMaxCopyDataBytes;
    struct Case {
        const char *what;
        uint32_t kind, message, wParam, lParam, dataLen, carried;
        const char *answer;
        const char *title;
        UINT handled;
    } cases[] = {
        {"text at an address the sender chose", kRemoteSend, WM_SETTEXT, 0, kChosenAddress, 0, 0, "closed",
         "terminal", 0},
        {"text carried", kRemoteSend, WM_SETTEXT, 0, 0, 6, 6, "answer 1 1 ", "forged", WM_SETTEXT},
        {"longest text", kRemoteSend, WM_SETTEXT, 0, 0, kLongest, kLongest, "answer 1 1 ", nullptr, WM_SETTEXT},
        {"text shorter than it claims", kRemoteSend, WM_SETTEXT, 0, 0, 100, 10, "closed", "terminal", 0},
        {"text too long", kRemoteSend, WM_SETTEXT, 0, 0, kLongest + 1, kLongest + 1, "closed", "terminal", 0},
        {"buffer at an address the sender chose", kRemoteSend, WM_GETTEXT, 64, kChosenAddress, 0, 0, "closed",
         "terminal", 0},
        {"text copied back within the size asked", kRemoteSend, WM_GETTEXT, 5, 0, 0, 0, "answer 1 4 term",
         "terminal", WM_GETTEXT},
        {"buffer larger than any text", kRemoteSend, WM_GETTEXT, kLongest + 2, 0, 0, 0, "closed", "terminal", 0},
        {"text request carrying data", kRemoteSend, WM_GETTEXT, 5, 0, 4, 4, "closed", "terminal", 0},
        {"text length", kRemoteSend, WM_GETTEXTLENGTH, 0, 0, 0, 0, "answer 1 8 ", "terminal", WM_GETTEXTLENGTH},
        {"copy block at an address the sender chose", kRemoteSend, WM_COPYDATA, 0, kChosenAddress, 0, 0,
         "closed", "terminal", 0},
        {"creation block", kRemoteSend, WM_CREATE, 0, kChosenAddress, 0, 0, "answer 2 0 ", "terminal", 0},
        {"size limits block", kRemoteSend, WM_GETMINMAXINFO, 0, kChosenAddress, 0, 0, "answer 2 0 ", "terminal",
         0},
        {"device context", kRemoteSend, WM_ERASEBKGND, kChosenAddress, 0, 0, 0, "answer 2 0 ", "terminal", 0},
        {"timer procedure posted", kRemotePost, WM_TIMER, 1, kChosenAddress, 0, 0, "closed", "terminal", 0},
        {"text posted", kRemotePost, WM_SETTEXT, 0, 0, 0, 0, "closed", "terminal", 0},
        {"plain system message", kRemoteSend, WM_SYSCOMMAND, 0xF100, 0, 0, 0, "answer 1 0 ", "terminal",
         WM_SYSCOMMAND},
        {"program message posted", kRemotePost, WM_USER + 7, 1, kChosenAddress, 0, 0, "closed", "terminal",
         WM_USER + 7},
        {"program message sent", kRemoteSend, WM_USER + 6, 1, kChosenAddress, 0, 0, "answer 1 0 ", "terminal",
         WM_USER + 6},
        {"program message carrying data", kRemoteSend, WM_USER + 6, 1, 0, 8, 8, "closed", "terminal", 0},
        {"post carrying data", kRemotePost, WM_USER + 7, 0, 0, 4, 4, "closed", "terminal", 0},
        {"unknown question", kRemoteQuery, 99, 0, 0, 0, 0, "closed", "terminal", 0},
    };
    const std::string out = std::filesystem::temp_directory_path().string() + "/forge.out";
    const std::string socketPath = ProcessSocketPath(static_cast<DWORD>(getpid()));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetWindowTextA(hwnd, "terminal"));
        marked.clear();
        std::filesystem::remove(out);
        Peer peer;
        ASSERT_TRUE(peer.Start("forge " + out + " " + socketPath + " " + std::to_string(hwnd) + " " +
                               std::to_string(c.kind) + " " + std::to_string(c.message) + " " +
                               std::to_string(c.wParam) + " " + std::to_string(c.lParam) + " " +
                               std::to_string(c.dataLen) + " " + std::to_string(c.carried)));
        ASSERT_EQ(peer.Await(), 0u);
        std::ifstream in(out, std::ios::binary);
        std::string answer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(answer, c.answer);
        // A post is handled later, from the queue.
        PumpUntil([&] { return !marked.empty(); }, c.kind == kRemotePost && c.handled ? 5000 : 50);
        EXPECT_EQ(marked, c.handled ? std::vector<UINT>{c.handled} : std::vector<UINT>{});
        char title[16] = {};
        GetWindowTextA(hwnd, title, sizeof title);
        if (c.title) {
            EXPECT_STREQ(title, c.title);
        } else {
            EXPECT_EQ(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(kLongest));
        }
    }
    ASSERT_EQ(arrivals.size(), 2u);
    for (const Arrival &a : arrivals) {
        EXPECT_TRUE(a.marked);
        // Values at or above WM_USER pass as they are; the program judges them.
        EXPECT_EQ(a.lParam, static_cast<LPARAM>(kChosenAddress));
    }
}

TEST_F(RemoteTest, TextMessagesCrossAsCopiesAndEveryMessageIsMarked)
{
    Peer peer;
    HWND other = StartWindowPeer(peer);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(SendMessageA(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed")), TRUE);
    char small[5] = "xxxx";
    EXPECT_EQ(SendMessageA(other, WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small)), 4);
    EXPECT_STREQ(small, "rena");
    char whole[32];
    EXPECT_EQ(SendMessageA(other, WM_GETTEXT, sizeof whole, reinterpret_cast<LPARAM>(whole)), 7);
    EXPECT_STREQ(whole, "renamed");
    EXPECT_EQ(SendMessageA(other, WM_GETTEXTLENGTH, 0, 0), 7);
    EXPECT_EQ(GetWindowTextA(other, whole, sizeof whole), 7);
    EXPECT_EQ(SendMessageA(other, WM_USER + 8, 0, 0), TRUE);

    // Messages that carry a pointer of their own kind do not leave the process.
    int block[16] = {};
    SetLastError(0);
    EXPECT_EQ(SendMessageA(other, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(block)), 0);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(PostMessageA(other, WM_TIMER, 1, reinterpret_cast<LPARAM>(block)));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(PostMessageA(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("posted")));
    EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);

    // The peer's nested send to us is marked; our own send is not.
    EXPECT_EQ(SendMessageA(other, WM_USER + 4, 0, 0), 78);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 5, 0, 0), 77);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_TRUE(arrivals[0].marked);
    EXPECT_FALSE(arrivals[1].marked);
    ASSERT_TRUE(PostMessageA(other, WM_CLOSE, 0, 0));
    EXPECT_EQ(peer.Finish(), 0u);

    // The text of a send from another process arrives as a copy of its own.
    marked.clear();
    Peer setter;
    ASSERT_TRUE(setter.Start("settext " + std::to_string(hwnd) + " 从外面改的"));
    EXPECT_EQ(setter.Await(), 1u);
    char title[32] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_STREQ(title, "从外面改的");
    EXPECT_EQ(marked, std::vector<UINT>{WM_SETTEXT});
}

// A posted message from another process carries its mark through the queue to
// the application's hook and the window procedure.
TEST_F(RemoteTest, PostedMessagesKeepTheirMarkInTheHook)
{
    std::vector<std::pair<BOOL, BOOL>> hookSaw;
    SetApplicationMessageHook([&](MSG &msg, bool &) {
        if (msg.message == WM_USER + 2)
            hookSaw.push_back({msg.fromOtherProcess, InMessageFromOtherProcess()});
    });
    Peer peer;
    HWND other = StartWindowPeer(peer);
    SetApplicationMessageHook(nullptr);
    ASSERT_NE(other, 0u);
    ASSERT_EQ(hookSaw.size(), 1u);
    EXPECT_TRUE(hookSaw[0].first);
    EXPECT_TRUE(hookSaw[0].second);
    ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 2, 0, 0));
    PumpUntil([] { return !arrivals.empty(); });
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_FALSE(arrivals[0].marked);
    ASSERT_TRUE(PostMessageA(other, WM_CLOSE, 0, 0));
    EXPECT_EQ(peer.Finish(), 0u);
}

TEST_F(RemoteTest, AnotherUsersConnectionIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "switching to the nobody user needs root";
    if (!getenv("LUMO_SANDBOX"))
        GTEST_SKIP() << "opens the runtime folder's modes: only inside the test sandbox";
    // Open the folders' modes so that only the credential check stands between
    // the other user and the socket.
    std::string folder = RuntimeFolder();
    std::string base = folder.substr(0, folder.rfind('/'));
    std::string socketPath = ProcessSocketPath(static_cast<DWORD>(getpid()));
    ASSERT_EQ(chmod(base.c_str(), 0711), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0711), 0);
    ASSERT_EQ(chmod(socketPath.c_str(), 0777), 0);
    Peer peer;
    ASSERT_TRUE(peer.Start("nobody " + socketPath + " " + std::to_string(hwnd)));
    DWORD code = 0xFFFF;
    PumpUntil([&] { return GetExitCodeProcess(peer.pi.hProcess, &code) && code != STILL_ACTIVE; }, 10000);
    chmod(socketPath.c_str(), 0600);
    chmod(folder.c_str(), 0700);
    chmod(base.c_str(), 0700);
    EXPECT_EQ(peer.Finish(), 0u);
    EXPECT_TRUE(arrivals.empty());
}

TEST_F(RemoteTest, SecondStartSeesTheMutex)
{
    HANDLE first = CreateMutexA(nullptr, TRUE, "Lumo 交易 5.0.5.3");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE again = CreateMutexA(nullptr, TRUE, "Lumo 交易 5.0.5.3");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    Peer second;
    ASSERT_TRUE(second.Start("mutex Lumo 交易 5.0.5.3"));
    EXPECT_EQ(second.Finish(), 183u);
    CloseHandle(again);
    CloseHandle(first);
    Peer third;
    ASSERT_TRUE(third.Start("mutex Lumo 交易 5.0.5.3"));
    EXPECT_EQ(third.Finish(), 0u);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, nullptr), 0u);
}

TEST(HandleNumberTest, BlocksFromTheSharedCounterNeverRepeat)
{
    std::string counter = RuntimeFolder() + "/handles";
    std::vector<DWORD> numbers;
    for (int i = 0; i < 600; ++i)
        numbers.push_back(AllocateHandleNumber());
    std::ifstream in(counter);
    unsigned long stored = 0;
    in >> stored;
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
    for (DWORD n : numbers) {
        EXPECT_LT(n, 0x80000000u);
        EXPECT_EQ(n % 4, 0u);
        EXPECT_LT(n, stored);
    }
}

} // namespace
