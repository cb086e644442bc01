#include "platform/win/Remote.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "platform/win/Runtime.h"
#include "platform/win/ThreadQueue.h"
#include "platform/win/WindowRecord.h"

namespace win {
namespace {

// How long an accepted connection may take to deliver its request, and how long
// a liveness question may take to be answered.
constexpr int64_t kRequestWindowMs = 3000;
constexpr int64_t kQuestionTimeoutMs = 3000;
// How long a send or a show request waits for the other process's answer.
constexpr int64_t kSendTimeoutMs = 10000;
constexpr size_t kMaxFrame = sizeof(RemoteFrame) + kMaxCopyDataBytes;

std::string EntryPath(HWND hwnd) { return RuntimeFolder() + "/w" + std::to_string(hwnd); }

bool MakeAddress(const std::string &path, sockaddr_un &addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void SendAnswer(int fd, LRESULT result, bool handled)
{
    RemoteFrame answer{kRemoteMagic, kRemoteAnswer, 0, 0, 0, static_cast<uint32_t>(result),
                       handled ? 1u : 0u, 0};
    // A peer that has gone away just misses its answer.
    (void)::send(fd, &answer, sizeof answer, MSG_NOSIGNAL | MSG_DONTWAIT);
}

std::string OneLine(const std::string &s)
{
    std::string out = s;
    std::replace(out.begin(), out.end(), '\n', ' ');
    std::replace(out.begin(), out.end(), '\r', ' ');
    return out;
}

bool ReadEntry(HWND hwnd, RemoteEntry &entry)
{
    std::ifstream in(EntryPath(hwnd), std::ios::binary);
    if (!in)
        return false;
    std::string ids;
    if (!std::getline(in, ids))
        return false;
    std::istringstream numbers(ids);
    unsigned long pid = 0, tid = 0;
    if (!(numbers >> pid >> tid) || pid == 0)
        return false;
    entry.hwnd = hwnd;
    entry.pid = static_cast<DWORD>(pid);
    entry.tid = static_cast<DWORD>(tid);
    std::getline(in, entry.className);
    std::getline(in, entry.title);
    return true;
}

// The server of this process: one thread that accepts connections of the same
// user, reads one request from each and hands it to the window's thread.
class Server {
public:
    bool Start()
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (running_)
            return true;
        const std::string &folder = RuntimeFolder();
        if (folder.empty())
            return false;
        path_ = ProcessSocketPath(static_cast<DWORD>(getpid()));
        sockaddr_un addr;
        if (!MakeAddress(path_, addr))
            return false;
        int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return false;
        // A file left by an earlier process with our process id is stale.
        ::unlink(path_.c_str());
        if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
            ::chmod(path_.c_str(), 0600) != 0 || ::listen(fd, 64) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
            ::close(fd);
            ::unlink(path_.c_str());
            return false;
        }
        listen_ = fd;
        running_ = true;
        thread_ = std::thread([this] { Loop(); });
        std::atexit([] { Instance().Stop(); });
        return true;
    }

    void Stop()
    {
        std::set<HWND> entries;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!running_)
                return;
            running_ = false;
            entries.swap(exported_);
        }
        char byte = 0;
        (void)!::write(wake_[1], &byte, 1);
        thread_.join();
        ::close(listen_);
        ::close(wake_[0]);
        ::close(wake_[1]);
        ::unlink(path_.c_str());
        for (HWND h : entries)
            ::unlink(EntryPath(h).c_str());
    }

    void Add(HWND hwnd)
    {
        std::lock_guard<std::mutex> guard(lock_);
        exported_.insert(hwnd);
    }
    void Remove(HWND hwnd)
    {
        std::lock_guard<std::mutex> guard(lock_);
        exported_.erase(hwnd);
    }

    static Server &Instance()
    {
        static auto *server = new Server;
        return *server;
    }

private:
    struct Pending {
        int fd;
        int64_t deadline;
    };

    void Loop()
    {
        std::vector<Pending> pending;
        std::vector<char> buffer(kMaxFrame + 1);
        for (;;) {
            std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
            int64_t now = QueueClockMs();
            int64_t wait = 1000;
            for (const Pending &p : pending) {
                fds.push_back({p.fd, POLLIN, 0});
                wait = std::min(wait, std::max<int64_t>(0, p.deadline - now));
            }
            if (::poll(fds.data(), fds.size(), static_cast<int>(wait)) < 0 && errno != EINTR)
                break;
            if (fds[0].revents)
                break;
            now = QueueClockMs();
            std::vector<Pending> still;
            for (size_t i = 0; i + 2 < fds.size(); ++i) {
                const pollfd &pfd = fds[i + 2];
                if (pfd.revents & (POLLIN | POLLHUP | POLLERR)) {
                    Handle(pending[i].fd, buffer);
                } else if (pending[i].deadline <= now) {
                    ::close(pending[i].fd);
                } else {
                    still.push_back(pending[i]);
                }
            }
            pending.swap(still);
            if (fds[1].revents & POLLIN)
                Accept(pending);
        }
        for (const Pending &p : pending)
            ::close(p.fd);
    }

    void Accept(std::vector<Pending> &pending)
    {
        for (;;) {
            int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0)
                return;
            ucred cred{};
            socklen_t len = sizeof cred;
            // Only this user's own processes may reach its windows.
            if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != geteuid()) {
                ::close(fd);
                continue;
            }
            pending.push_back({fd, QueueClockMs() + kRequestWindowMs});
        }
    }

    // Takes one request; the connection is closed here or, for a call that runs
    // on a window's thread, once that call has answered.
    void Handle(int fd, std::vector<char> &buffer)
    {
        ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
        RemoteFrame f{};
        if (n < static_cast<ssize_t>(sizeof f)) {
            ::close(fd);
            return;
        }
        std::memcpy(&f, buffer.data(), sizeof f);
        if (f.magic != kRemoteMagic || f.dataLen > kMaxCopyDataBytes ||
            static_cast<size_t>(n) != sizeof f + f.dataLen ||
            (f.dataLen != 0 && !(f.kind == kRemoteSend && f.message == WM_COPYDATA))) {
            ::close(fd);
            return;
        }
        HWND hwnd = f.hwnd;
        std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
        WPARAM wParam = f.wParam;
        LPARAM lParam = static_cast<int32_t>(f.lParam);
        switch (f.kind) {
        case kRemotePost:
            if (w && f.message != WM_COPYDATA)
                PostLocalMessage(hwnd, f.message, wParam, lParam);
            ::close(fd);
            return;
        case kRemoteQuery: {
            if (!w || f.message == kQueryIsWindow) {
                SendAnswer(fd, w ? 1 : 0, w != nullptr);
                ::close(fd);
                return;
            }
            auto handled = std::make_shared<bool>(false);
            Submit(fd, w, handled, [hwnd, code = f.message, wParam, handled]() -> LRESULT {
                *handled = FindLocalWindow(hwnd) != nullptr;
                return QueryLocalWindow(hwnd, code, wParam);
            });
            return;
        }
        case kRemoteSend: {
            if (!w) {
                SendAnswer(fd, 0, false);
                ::close(fd);
                return;
            }
            UINT msg = f.message;
            auto data = std::make_shared<std::vector<char>>(buffer.begin() + sizeof f,
                                                            buffer.begin() + sizeof f + f.dataLen);
            uint32_t dwData = f.dwData;
            auto handled = std::make_shared<bool>(false);
            Submit(fd, w, handled, [hwnd, msg, wParam, lParam, data, dwData, handled]() -> LRESULT {
                LRESULT r = 0;
                if (msg == WM_COPYDATA) {
                    COPYDATASTRUCT cds{dwData, static_cast<DWORD>(data->size()),
                                       data->empty() ? nullptr : data->data()};
                    *handled = CallLocalWindow(hwnd, msg, wParam, reinterpret_cast<LPARAM>(&cds), r);
                } else {
                    *handled = CallLocalWindow(hwnd, msg, wParam, lParam, r);
                }
                return r;
            });
            return;
        }
        default:
            ::close(fd);
            return;
        }
    }

    void Submit(int fd, const std::shared_ptr<WindowRecord> &w, std::shared_ptr<bool> handled,
                std::function<LRESULT()> work)
    {
        auto item = std::make_shared<SentItem>();
        item->work = std::move(work);
        item->onDone = [fd, handled](LRESULT result, bool ran) {
            SendAnswer(fd, result, ran && *handled);
            ::close(fd);
        };
        if (!w->queue->Submit(item)) {
            SendAnswer(fd, 0, false);
            ::close(fd);
        }
    }

    std::mutex lock_;
    bool running_ = false;
    std::string path_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::set<HWND> exported_;
};

enum class Outcome { kAnswered, kDelivered, kGone, kTimeout, kFailed };

// One request to a process; `answer` is filled when one is awaited. While
// waiting, the calls sent to the calling thread are served.
Outcome Request(DWORD pid, const RemoteFrame &frame, const void *data, bool awaitAnswer, int64_t timeoutMs,
                RemoteFrame *answer)
{
    sockaddr_un addr;
    std::string path = ProcessSocketPath(pid);
    if (RuntimeFolder().empty() || !MakeAddress(path, addr))
        return Outcome::kFailed;
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Outcome::kFailed;
    int64_t deadline = QueueClockMs() + timeoutMs;
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
            break;
        int err = errno;
        if (err == ECONNREFUSED || err == ENOENT) {
            ::close(fd);
            // Nobody listens there any more: the file is left over.
            if (err == ECONNREFUSED)
                ::unlink(path.c_str());
            return Outcome::kGone;
        }
        if (err != EAGAIN && err != EINTR) {
            ::close(fd);
            return Outcome::kFailed;
        }
        if (QueueClockMs() >= deadline) {
            ::close(fd);
            return Outcome::kTimeout;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<char> packet(sizeof frame + frame.dataLen);
    std::memcpy(packet.data(), &frame, sizeof frame);
    if (frame.dataLen)
        std::memcpy(packet.data() + sizeof frame, data, frame.dataLen);
    if (::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size())) {
        ::close(fd);
        return Outcome::kGone;
    }
    if (!awaitAnswer) {
        ::close(fd);
        return Outcome::kDelivered;
    }
    std::shared_ptr<ThreadQueue> self = CurrentQueue();
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        int ready = ::poll(&pfd, 1, 20);
        if (ready > 0) {
            RemoteFrame got{};
            ssize_t n = ::recv(fd, &got, sizeof got, MSG_DONTWAIT);
            ::close(fd);
            if (n != sizeof got || got.magic != kRemoteMagic || got.kind != kRemoteAnswer)
                return Outcome::kGone;
            *answer = got;
            return Outcome::kAnswered;
        }
        self->ServeSent();
        if (QueueClockMs() >= deadline) {
            ::close(fd);
            return Outcome::kTimeout;
        }
    }
}

void ForgetEntry(HWND hwnd) { ::unlink(EntryPath(hwnd).c_str()); }

// The entry of a window of another process, as its file says, without asking.
bool EntryOfOther(HWND hwnd, RemoteEntry &entry)
{
    if (hwnd == 0 || RuntimeFolder().empty() || !ReadEntry(hwnd, entry))
        return false;
    return entry.pid != static_cast<DWORD>(getpid());
}

} // namespace

std::string ProcessSocketPath(DWORD pid) { return RuntimeFolder() + "/p" + std::to_string(pid); }

void ExportWindow(HWND hwnd, DWORD tid, const std::string &className, const std::string &title)
{
    if (!Server::Instance().Start())
        return;
    std::string path = EntryPath(hwnd);
    std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << getpid() << ' ' << tid << '\n' << OneLine(className) << '\n' << OneLine(title) << '\n';
        if (!out)
            return;
    }
    if (::rename(temp.c_str(), path.c_str()) == 0)
        Server::Instance().Add(hwnd);
    else
        ::unlink(temp.c_str());
}

void UnexportWindow(HWND hwnd)
{
    Server::Instance().Remove(hwnd);
    ForgetEntry(hwnd);
}

bool FindRemoteWindow(HWND hwnd, RemoteEntry &entry)
{
    if (!EntryOfOther(hwnd, entry))
        return false;
    RemoteFrame q{kRemoteMagic, kRemoteQuery, hwnd, kQueryIsWindow, 0, 0, 0, 0};
    RemoteFrame answer{};
    switch (Request(entry.pid, q, nullptr, true, kQuestionTimeoutMs, &answer)) {
    case Outcome::kAnswered:
        if (answer.lParam == 1)
            return true;
        ForgetEntry(hwnd);
        return false;
    case Outcome::kGone:
        ForgetEntry(hwnd);
        return false;
    case Outcome::kTimeout:
        // Alive but slow: the window is taken to exist.
        return true;
    default:
        return false;
    }
}

std::vector<RemoteEntry> RemoteWindows()
{
    std::vector<HWND> handles;
    const std::string &folder = RuntimeFolder();
    if (DIR *dir = folder.empty() ? nullptr : ::opendir(folder.c_str())) {
        while (dirent *d = ::readdir(dir)) {
            if (d->d_name[0] != 'w')
                continue;
            char *end = nullptr;
            unsigned long h = std::strtoul(d->d_name + 1, &end, 10);
            if (end != d->d_name + 1 && *end == '\0' && h > 0 && h < 0x80000000ul)
                handles.push_back(static_cast<HWND>(h));
        }
        ::closedir(dir);
    }
    std::sort(handles.begin(), handles.end());
    std::vector<RemoteEntry> live;
    for (HWND h : handles) {
        RemoteEntry e;
        if (FindRemoteWindow(h, e))
            live.push_back(e);
    }
    return live;
}

BOOL RemotePost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RemoteEntry entry;
    if (!EntryOfOther(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RemoteFrame f{kRemoteMagic, kRemotePost, hwnd, msg, static_cast<uint32_t>(wParam),
                  static_cast<uint32_t>(lParam), 0, 0};
    switch (Request(entry.pid, f, nullptr, false, kQuestionTimeoutMs, nullptr)) {
    case Outcome::kDelivered:
        return TRUE;
    case Outcome::kGone:
        ForgetEntry(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    case Outcome::kTimeout:
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    default:
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
}

namespace {

LRESULT Ask(HWND hwnd, RemoteFrame f, const void *data, int64_t timeoutMs)
{
    RemoteEntry entry;
    if (!EntryOfOther(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    RemoteFrame answer{};
    switch (Request(entry.pid, f, data, true, timeoutMs, &answer)) {
    case Outcome::kAnswered:
        if (answer.dwData == 0)
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return static_cast<int32_t>(answer.lParam);
    case Outcome::kGone:
        ForgetEntry(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    case Outcome::kTimeout:
        SetLastError(ERROR_TIMEOUT);
        return 0;
    default:
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
}

} // namespace

LRESULT RemoteSend(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    RemoteFrame f{kRemoteMagic, kRemoteSend, hwnd, msg, static_cast<uint32_t>(wParam),
                  static_cast<uint32_t>(lParam), 0, 0};
    const void *data = nullptr;
    if (msg == WM_COPYDATA) {
        auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (!cds || cds->cbData > kMaxCopyDataBytes || (cds->cbData != 0 && !cds->lpData)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        f.lParam = 0;
        f.dwData = static_cast<uint32_t>(cds->dwData);
        f.dataLen = cds->cbData;
        data = cds->lpData;
    }
    return Ask(hwnd, f, data, kSendTimeoutMs);
}

LRESULT RemoteQueryWindow(HWND hwnd, UINT code, WPARAM arg)
{
    RemoteFrame f{kRemoteMagic, kRemoteQuery, hwnd, code, static_cast<uint32_t>(arg), 0, 0, 0};
    return Ask(hwnd, f, nullptr, kSendTimeoutMs);
}

} // namespace win
