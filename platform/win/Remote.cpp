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
#include <cstdio>
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
// a liveness question may take to be answered. A client writes its request right
// after connecting, but a process starved of CPU may do so seconds later: the
// window is generous, and a request cut off is refused so that its sender asks
// again, never lost.
constexpr int64_t kRequestWindowMs = 30000;
constexpr int64_t kQuestionTimeoutMs = 3000;
// How long a send or a show request waits for the other process's answer.
constexpr int64_t kSendTimeoutMs = 10000;

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

// The answer to a request; `reply` is the text WM_GETTEXT copies back.
void SendAnswer(int fd, LRESULT result, RemoteAnswer verdict, const std::string &reply = std::string())
{
    RemoteFrame answer{kRemoteMagic, kRemoteAnswer, 0, 0, 0, static_cast<uint32_t>(result), verdict,
                       static_cast<uint32_t>(reply.size())};
    std::vector<char> packet(sizeof answer + reply.size());
    std::memcpy(packet.data(), &answer, sizeof answer);
    std::memcpy(packet.data() + sizeof answer, reply.data(), reply.size());
    // A peer that has gone away just misses its answer.
    (void)::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

// A frame of a peer that is dropped or refused is said on standard error, with
// the peer's process, so that a misbehaving program can be found.
int PeerProcess(int fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 ? static_cast<int>(cred.pid) : 0;
}

void Complain(int fd, const char *what, const RemoteFrame &f)
{
    std::fprintf(stderr, "lumo: %s from process %d (kind %u, message 0x%04X, %u bytes of data)\n", what,
                 PeerProcess(fd), f.kind, f.message, f.dataLen);
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
        std::vector<char> buffer(kMaxRemoteFrame + 1);
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
                    CutOff(pending[i].fd, buffer);
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

    // Ends a connection whose request has not come within the window. Reading is
    // shut first: a request that got in before that is still served, and one
    // written after it fails in its sender (EPIPE), which then asks again. So a
    // request is handled or refused to its sender, never dropped unseen.
    void CutOff(int fd, std::vector<char> &buffer)
    {
        ::shutdown(fd, SHUT_RD);
        if (::recv(fd, buffer.data(), 1, MSG_PEEK | MSG_DONTWAIT) > 0) {
            Handle(fd, buffer);
            return;
        }
        std::fprintf(stderr, "lumo: process %d sent no request within %d s; its connection is closed\n",
                     PeerProcess(fd), static_cast<int>(kRequestWindowMs / 1000));
        ::close(fd);
    }

    // Takes one request; the connection is closed here or, for a call that runs
    // on a window's thread, once that call has answered. A message goes to its
    // window marked as one from another process.
    void Handle(int fd, std::vector<char> &buffer)
    {
        ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
        RemoteFrame f{};
        // MSG_TRUNC gives the whole length of a longer frame, which then fails the check.
        size_t size = std::min(static_cast<size_t>(std::max<ssize_t>(n, 0)), buffer.size());
        switch (CheckRemoteRequest(buffer.data(), size, f)) {
        case RequestCheck::kMalformed:
            if (n > 0)
                Complain(fd, "malformed request dropped", f);
            ::close(fd);
            return;
        case RequestCheck::kRefused:
            Complain(fd, "refused a message whose parameters do not cross processes", f);
            if (f.kind == kRemoteSend)
                SendAnswer(fd, 0, kAnswerRefused);
            ::close(fd);
            return;
        case RequestCheck::kAccepted:
            break;
        }
        HWND hwnd = f.hwnd;
        std::shared_ptr<WindowRecord> w = FindLocalWindow(hwnd);
        WPARAM wParam = f.wParam;
        LPARAM lParam = static_cast<int32_t>(f.lParam);
        switch (f.kind) {
        case kRemotePost:
            if (w)
                PostLocalMessage(hwnd, f.message, wParam, lParam, true);
            ::close(fd);
            return;
        case kRemoteQuery: {
            if (!w || f.message == kQueryIsWindow) {
                SendAnswer(fd, w ? 1 : 0, w ? kAnswerHandled : kAnswerNotHandled);
                ::close(fd);
                return;
            }
            auto call = std::make_shared<Call>();
            Submit(fd, w, call, [hwnd, code = f.message, wParam, call]() -> LRESULT {
                call->handled = FindLocalWindow(hwnd) != nullptr;
                return QueryLocalWindow(hwnd, code, wParam);
            });
            return;
        }
        case kRemoteSend: {
            if (!w) {
                SendAnswer(fd, 0, kAnswerNotHandled);
                ::close(fd);
                return;
            }
            UINT msg = f.message;
            auto data = std::make_shared<std::string>(buffer.data() + sizeof f, f.dataLen);
            uint32_t dwData = f.dwData;
            auto call = std::make_shared<Call>();
            Submit(fd, w, call, [hwnd, msg, wParam, lParam, data, dwData, call]() -> LRESULT {
                return Deliver(hwnd, msg, wParam, lParam, *data, dwData, *call);
            });
            return;
        }
        default:
            ::close(fd);
            return;
        }
    }

    // What a call on a window's thread hands back with its result.
    struct Call {
        bool handled = false;
        std::string reply;
    };

    // Calls the window procedure with a sent message, its block or text copied
    // into this process: WM_COPYDATA gets a COPYDATASTRUCT over the bytes,
    // WM_SETTEXT the text with its NUL, WM_GETTEXT a buffer of the size asked for,
    // whose text becomes the reply.
    static LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, std::string &data, uint32_t dwData,
                           Call &call)
    {
        LRESULT r = 0;
        switch (CrossingOf(msg)) {
        case Crossing::kCopyData: {
            COPYDATASTRUCT cds{dwData, static_cast<DWORD>(data.size()), data.empty() ? nullptr : data.data()};
            call.handled = CallLocalWindow(hwnd, msg, wParam, reinterpret_cast<LPARAM>(&cds), r, true);
            break;
        }
        case Crossing::kSetText:
            call.handled = CallLocalWindow(hwnd, msg, wParam, reinterpret_cast<LPARAM>(data.c_str()), r, true);
            break;
        case Crossing::kGetText: {
            // One byte more than asked for, always NUL, bounds the text read back.
            std::vector<char> text(wParam + 1, '\0');
            call.handled = CallLocalWindow(hwnd, msg, wParam, reinterpret_cast<LPARAM>(text.data()), r, true);
            if (wParam > 0)
                call.reply.assign(text.data(), strnlen(text.data(), wParam - 1));
            break;
        }
        default:
            call.handled = CallLocalWindow(hwnd, msg, wParam, lParam, r, true);
            break;
        }
        return r;
    }

    void Submit(int fd, const std::shared_ptr<WindowRecord> &w, std::shared_ptr<Call> call,
                std::function<LRESULT()> work)
    {
        auto item = std::make_shared<SentItem>();
        item->work = std::move(work);
        item->onDone = [fd, call](LRESULT result, bool ran) {
            bool handled = ran && call->handled;
            SendAnswer(fd, result, handled ? kAnswerHandled : kAnswerNotHandled,
                       handled ? call->reply : std::string());
            ::close(fd);
        };
        if (!w->queue->Submit(item)) {
            SendAnswer(fd, 0, kAnswerNotHandled);
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

// kGone: nobody listens on the process's socket (it has ended); kCutOff: the
// other side closed the connection before it answered, see Request.
enum class Outcome { kAnswered, kDelivered, kGone, kTimeout, kFailed, kCutOff };

// One connection to the process at `addr` carrying `packet`.
Outcome Attempt(const sockaddr_un &addr, const std::string &path, const std::vector<char> &packet, bool awaitAnswer,
                int64_t deadline, RemoteFrame *answer, std::string *reply, size_t maxReply)
{
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Outcome::kFailed;
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0)
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
    if (::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size())) {
        ::close(fd);
        return Outcome::kCutOff;
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
            std::vector<char> got(sizeof(RemoteFrame) + maxReply + 1);
            ssize_t n = ::recv(fd, got.data(), got.size(), MSG_DONTWAIT);
            ::close(fd);
            if (n <= 0)
                return Outcome::kCutOff;
            RemoteFrame frame{};
            if (!CheckRemoteAnswer(got.data(), static_cast<size_t>(n), maxReply, frame))
                return Outcome::kFailed;
            *answer = frame;
            if (reply)
                reply->assign(got.data() + sizeof frame, frame.dataLen);
            return Outcome::kAnswered;
        }
        self->ServeSent();
        if (QueueClockMs() >= deadline) {
            ::close(fd);
            return Outcome::kTimeout;
        }
    }
}

// One request to a process; `answer` is filled when one is awaited, and `reply`
// with the answer's data (at most `maxReply` bytes). While waiting, the calls sent
// to the calling thread are served.
//
// A process that has ended is known by its socket alone: the file is gone or
// nobody listens on it. A connection closed before the answer is no such sign:
// the other side cut it off unread because the request came late (this thread
// was held up between connecting and writing), or the process is ending. The
// request then goes again on a new connection, once even when the time is up, so
// that a sender that was itself held up gets its fair try; an ending process
// refuses the new connection.
Outcome Request(DWORD pid, const RemoteFrame &frame, const void *data, bool awaitAnswer, int64_t timeoutMs,
                RemoteFrame *answer, std::string *reply = nullptr, size_t maxReply = 0)
{
    sockaddr_un addr;
    std::string path = ProcessSocketPath(pid);
    if (RuntimeFolder().empty() || !MakeAddress(path, addr))
        return Outcome::kFailed;
    std::vector<char> packet(sizeof frame + frame.dataLen);
    std::memcpy(packet.data(), &frame, sizeof frame);
    if (frame.dataLen)
        std::memcpy(packet.data() + sizeof frame, data, frame.dataLen);
    const int64_t deadline = QueueClockMs() + timeoutMs;
    for (bool again = false;; again = true) {
        Outcome outcome = Attempt(addr, path, packet, awaitAnswer, deadline, answer, reply, maxReply);
        if (outcome != Outcome::kCutOff)
            return outcome;
        if (again && QueueClockMs() >= deadline)
            return Outcome::kTimeout;
        if (again)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
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
    switch (CrossingOf(msg)) {
    case Crossing::kPlain:
        break;
    case Crossing::kRefused:
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    default:
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
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
        // The process lives but took no connection in all that time.
        std::fprintf(stderr, "lumo: message 0x%04X to window %u of process %u was not delivered: no connection within %d s\n",
                     msg, hwnd, entry.pid, static_cast<int>(kQuestionTimeoutMs / 1000));
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    default:
        std::fprintf(stderr, "lumo: message 0x%04X to window %u of process %u was not delivered: %s\n", msg, hwnd,
                     entry.pid, std::strerror(errno));
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
}

namespace {

LRESULT Ask(HWND hwnd, RemoteFrame f, const void *data, int64_t timeoutMs, std::string *reply = nullptr,
            size_t maxReply = 0)
{
    RemoteEntry entry;
    if (!EntryOfOther(hwnd, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    RemoteFrame answer{};
    switch (Request(entry.pid, f, data, true, timeoutMs, &answer, reply, maxReply)) {
    case Outcome::kAnswered:
        if (answer.dwData == kAnswerRefused) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        if (answer.dwData == kAnswerNotHandled)
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return static_cast<int32_t>(answer.lParam);
    case Outcome::kGone:
        ForgetEntry(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    case Outcome::kTimeout:
        std::fprintf(stderr, "lumo: process %u did not answer message 0x%04X to window %u within %d s\n", entry.pid,
                     f.message, hwnd, static_cast<int>(timeoutMs / 1000));
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
    switch (CrossingOf(msg)) {
    case Crossing::kPlain:
        return Ask(hwnd, f, nullptr, kSendTimeoutMs);
    case Crossing::kCopyData: {
        auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (!cds || cds->cbData > kMaxCopyDataBytes || (cds->cbData != 0 && !cds->lpData)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        f.lParam = 0;
        f.dwData = static_cast<uint32_t>(cds->dwData);
        f.dataLen = cds->cbData;
        return Ask(hwnd, f, cds->lpData, kSendTimeoutMs);
    }
    case Crossing::kSetText: {
        const char *text = lParam ? reinterpret_cast<const char *>(lParam) : "";
        size_t length = strnlen(text, kMaxCopyDataBytes + 1);
        if (length > kMaxCopyDataBytes) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        f.lParam = 0;
        f.dataLen = static_cast<uint32_t>(length);
        return Ask(hwnd, f, text, kSendTimeoutMs);
    }
    case Crossing::kGetText: {
        auto *buffer = reinterpret_cast<char *>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        // The text comes back without its NUL, one byte shorter than the buffer.
        size_t size = std::min<size_t>(static_cast<size_t>(wParam), kMaxCopyDataBytes + 1);
        f.wParam = static_cast<uint32_t>(size);
        f.lParam = 0;
        std::string text;
        Ask(hwnd, f, nullptr, kSendTimeoutMs, &text, size - 1);
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return static_cast<LRESULT>(text.size());
    }
    case Crossing::kRefused:
        break;
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

LRESULT RemoteQueryWindow(HWND hwnd, UINT code, WPARAM arg)
{
    RemoteFrame f{kRemoteMagic, kRemoteQuery, hwnd, code, static_cast<uint32_t>(arg), 0, 0, 0};
    return Ask(hwnd, f, nullptr, kSendTimeoutMs);
}

} // namespace win
