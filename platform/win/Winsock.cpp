#include "platform/win/Winsock.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/SocketRecord.h"
#include "platform/win/Thread.h"

namespace {
// The system's request code for the bytes waiting; from here on the name is the
// Windows command of the same name.
constexpr unsigned long kSystemBytesWaiting = FIONREAD;
} // namespace
#undef FIONREAD
#undef FIONBIO

namespace win {
namespace {

// Windows gives up a blocking connect after about 21 seconds (its SYN retries);
// Linux would try for two minutes.
constexpr int kBlockingConnectTimeoutMs = 21000;

std::atomic<int> startups{0};
std::atomic<int> forcedStartupError{0};
std::atomic<DWORD> lookups{0};

std::unordered_map<SOCKET, std::shared_ptr<SocketRecord>> &Table()
{
    static auto *table = new std::unordered_map<SOCKET, std::shared_ptr<SocketRecord>>;
    return *table;
}

int WsaFromErrno(int e)
{
    switch (e) {
    case EAGAIN:
    case EINPROGRESS:
        return WSAEWOULDBLOCK;
    case EINTR:
        return WSAEINTR;
    case EBADF:
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EACCES:
    case EPERM:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EALREADY:
        return WSAEALREADY;
    case EDESTADDRREQ:
        return WSAEDESTADDRREQ;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EPROTOTYPE:
        return WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT:
        return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP:
        return WSAEOPNOTSUPP;
    case EPFNOSUPPORT:
        return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ENETRESET:
        return WSAENETRESET;
    case ECONNABORTED:
        return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE:
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case ELOOP:
        return WSAELOOP;
    case ENAMETOOLONG:
        return WSAENAMETOOLONG;
    case EHOSTDOWN:
        return WSAEHOSTDOWN;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    default:
        return WSASYSCALLFAILURE;
    }
}

int Fail(int error)
{
    WSASetLastError(error);
    return SOCKET_ERROR;
}

// The outcomes of a connect attempt that Windows reports through FD_CONNECT
// rather than from the call itself.
bool IsConnectOutcome(int e)
{
    return e == ECONNREFUSED || e == ETIMEDOUT || e == ENETUNREACH || e == EHOSTUNREACH ||
           e == ECONNRESET;
}

// A Windows address into the system's; 0 or the WSA error.
int ToSystem(const sockaddr *name, int namelen, ::sockaddr_in *out)
{
    if (!name || namelen < static_cast<int>(sizeof(sockaddr_in)))
        return WSAEFAULT;
    sockaddr_in in;
    std::memcpy(&in, name, sizeof in);
    if (in.sin_family != AF_INET)
        return WSAEAFNOSUPPORT;
    std::memset(out, 0, sizeof *out);
    out->sin_family = AF_INET;
    out->sin_port = in.sin_port;
    out->sin_addr.s_addr = in.sin_addr.s_addr;
    return 0;
}

int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits until the socket is ready for `events` (timeoutMs < 0: no limit). A stop
// of the calling thread, or a close of the socket by another thread, shuts the
// socket down to end the wait (WSAEINTR).
bool WaitReady(const std::shared_ptr<SocketRecord> &rec, short events, int timeoutMs)
{
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (rec->closed) {
            WSASetLastError(WSAEINTR);
            return false;
        }
        ++rec->blockedCalls;
    }
    DWORD token = OnThreadStop([rec] { ::shutdown(rec->fd, SHUT_RDWR); });
    const int64_t deadline = timeoutMs < 0 ? 0 : NowMs() + timeoutMs;
    pollfd p{rec->fd, events, 0};
    int r;
    int error = 0;
    for (;;) {
        int wait = timeoutMs < 0 ? -1 : static_cast<int>(std::max<int64_t>(0, deadline - NowMs()));
        r = ::poll(&p, 1, wait);
        if (r >= 0 || errno != EINTR) {
            error = r < 0 ? errno : 0;
            break;
        }
    }
    CancelThreadStop(token);
    bool closed;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        --rec->blockedCalls;
        closed = rec->closed;
    }
    if (closed || ThreadStopRequested()) {
        WSASetLastError(WSAEINTR);
        return false;
    }
    if (r == 0) {
        WSASetLastError(WSAETIMEDOUT);
        return false;
    }
    if (r < 0) {
        WSASetLastError(WsaFromErrno(error));
        return false;
    }
    return true;
}

int AddressOf(SOCKET s, sockaddr *name, int *namelen, bool peer)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    if (!name || !namelen || *namelen < static_cast<int>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    ::sockaddr_in sa{};
    socklen_t len = sizeof sa;
    int r = peer ? ::getpeername(rec->fd, reinterpret_cast<::sockaddr *>(&sa), &len)
                 : ::getsockname(rec->fd, reinterpret_cast<::sockaddr *>(&sa), &len);
    if (r != 0)
        return Fail(WsaFromErrno(errno));
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = sa.sin_port;
    out.sin_addr.s_addr = sa.sin_addr.s_addr;
    std::memcpy(name, &out, sizeof out);
    *namelen = sizeof out;
    return 0;
}

// The answer of gethostbyname, per thread as on Windows.
struct HostAnswer {
    hostent entry{};
    std::string name;
    std::vector<in_addr> addresses;
    std::vector<char *> list;
    char *aliases[1] = {nullptr};
};
thread_local HostAnswer hostAnswer;
thread_local char ntoaText[16];

} // namespace

SocketRecord::~SocketRecord() { ::close(fd); }

std::mutex &SocketLock()
{
    static auto *lock = new std::mutex;
    return *lock;
}

std::shared_ptr<SocketRecord> FindSocket(SOCKET s)
{
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        auto it = Table().find(s);
        if (it != Table().end())
            return it->second;
    }
    WSASetLastError(WSAENOTSOCK);
    return nullptr;
}

ReadState ProbeReadable(const SocketRecord &rec, int *error)
{
    *error = 0;
    if (!rec.stream)
        return ReadState::Data;
    int waiting = 0;
    if (::ioctl(rec.fd, kSystemBytesWaiting, &waiting) == 0 && waiting > 0)
        return ReadState::Data;
    char byte;
    ssize_t r = ::recv(rec.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r > 0)
        return ReadState::Data;
    if (r == 0)
        return ReadState::Closed;
    if (errno == EAGAIN || errno == EINTR)
        return ReadState::Quiet;
    *error = errno == ECONNRESET || errno == EPIPE ? WSAECONNRESET : WSAECONNABORTED;
    return ReadState::Closed;
}

int TakeSocketError(const SocketRecord &rec)
{
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(rec.fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        return WsaFromErrno(errno);
    return error == 0 ? 0 : WsaFromErrno(error);
}

bool HasPendingData(const SocketRecord &rec)
{
    if (!rec.stream) {
        pollfd p{rec.fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
    }
    int waiting = 0;
    return ::ioctl(rec.fd, kSystemBytesWaiting, &waiting) == 0 && waiting > 0;
}

bool IsConnected(const SocketRecord &rec)
{
    ::sockaddr_in sa{};
    socklen_t len = sizeof sa;
    return ::getpeername(rec.fd, reinterpret_cast<::sockaddr *>(&sa), &len) == 0;
}

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    if (int forced = forcedStartupError.load())
        return forced;
    if (!data)
        return WSAEFAULT;
    const BYTE major = LOBYTE(versionRequested);
    const BYTE minor = HIBYTE(versionRequested);
    std::memset(data, 0, sizeof *data);
    data->wHighVersion = MAKEWORD(2, 2);
    if (major < 1 || (major == 1 && minor < 1))
        return WSAVERNOTSUPPORTED;
    data->wVersion = (major > 2 || (major == 2 && minor > 2)) ? MAKEWORD(2, 2) : versionRequested;
    std::snprintf(data->szDescription, sizeof data->szDescription, "WinSock 2.0");
    std::snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
    ++startups;
    return 0;
}

int WSACleanup()
{
    int n = startups.load();
    while (n > 0 && !startups.compare_exchange_weak(n, n - 1)) {
    }
    return n > 0 ? 0 : Fail(WSANOTINITIALISED);
}

void SetWSAStartupResult(int error) { forcedStartupError = error; }

int WSAGetLastError() { return static_cast<int>(GetLastError()); }
void WSASetLastError(int error) { SetLastError(static_cast<DWORD>(error)); }

SOCKET socket(int af, int type, int protocol)
{
    if (startups.load() <= 0) {
        WSASetLastError(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    int error = 0;
    if (af != AF_INET)
        error = WSAEAFNOSUPPORT;
    else if (type == SOCK_STREAM && protocol != 0 && protocol != IPPROTO_TCP)
        error = WSAEPROTONOSUPPORT;
    else if (type == SOCK_DGRAM && protocol != 0 && protocol != IPPROTO_UDP)
        error = WSAEPROTONOSUPPORT;
    else if (type != SOCK_STREAM && type != SOCK_DGRAM)
        error = WSAESOCKTNOSUPPORT;
    if (error) {
        WSASetLastError(error);
        return INVALID_SOCKET;
    }
    const bool stream = type == SOCK_STREAM;
    int fd = ::socket(PF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        WSASetLastError(WsaFromErrno(errno));
        return INVALID_SOCKET;
    }
    const SOCKET h = AllocateHandleNumber();
    auto rec = std::make_shared<SocketRecord>(h, fd, stream);
    std::lock_guard<std::mutex> guard(SocketLock());
    Table()[h] = std::move(rec);
    return h;
}

int closesocket(SOCKET s)
{
    const bool watcherThread = OnWatcherThread();
    std::shared_ptr<SocketRecord> rec;
    bool wake;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        auto it = Table().find(s);
        if (it == Table().end())
            return Fail(WSAENOTSOCK);
        rec = std::move(it->second);
        Table().erase(it);
        rec->closed = true;
        rec->events = 0;
        // Someone else still holds the socket open for a moment: a blocked call
        // (woken by the shutdown) or the watcher of another thread. The peer
        // sees the close now all the same.
        wake = rec->blockedCalls > 0 || (rec->watched && !watcherThread);
    }
    if (wake)
        ::shutdown(rec->fd, SHUT_RDWR);
    AsyncForget(rec);
    // A watch request that another thread queued and the GUI thread has not
    // handled yet still holds the record, and with it the descriptor, until
    // the event loop runs again: the peer sees the close now all the same.
    if (!wake && rec.use_count() > 1)
        ::shutdown(rec->fd, SHUT_RDWR);
    return 0;
}

int bind(SOCKET s, const sockaddr *name, int namelen)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    ::sockaddr_in sa;
    if (int error = ToSystem(name, namelen, &sa))
        return Fail(error);
    if (::bind(rec->fd, reinterpret_cast<::sockaddr *>(&sa), sizeof sa) != 0)
        return Fail(WsaFromErrno(errno));
    return 0;
}

int connect(SOCKET s, const sockaddr *name, int namelen)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    ::sockaddr_in sa;
    if (int error = ToSystem(name, namelen, &sa))
        return Fail(error);
    // Linux would take the any-address for this host; Windows refuses it.
    if (sa.sin_addr.s_addr == 0 || sa.sin_port == 0)
        return Fail(WSAEADDRNOTAVAIL);
    bool nonBlocking;
    bool selected;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (rec->connecting)
            return Fail(WSAEALREADY);
        nonBlocking = rec->nonBlocking;
        selected = rec->events != 0;
    }
    const int r = ::connect(rec->fd, reinterpret_cast<::sockaddr *>(&sa), sizeof sa);
    const int error = r == 0 ? 0 : errno;
    if (!rec->stream)
        return error ? Fail(WsaFromErrno(error)) : 0;
    if (selected) {
        // As on Windows, a connect with events selected never ends in the call:
        // FD_CONNECT reports how it went.
        if (error == 0 || error == EINPROGRESS || IsConnectOutcome(error)) {
            AsyncConnectStarted(rec, error == EINPROGRESS ? -1 : (error ? WsaFromErrno(error) : 0));
            return Fail(WSAEWOULDBLOCK);
        }
        return Fail(WsaFromErrno(error));
    }
    if (error == 0) {
        std::lock_guard<std::mutex> guard(SocketLock());
        rec->established = true;
        return 0;
    }
    if (error != EINPROGRESS)
        return Fail(WsaFromErrno(error));
    if (nonBlocking) {
        // Events selected later still learn the outcome by FD_CONNECT.
        std::lock_guard<std::mutex> guard(SocketLock());
        rec->connecting = true;
        return Fail(WSAEWOULDBLOCK);
    }
    if (!WaitReady(rec, POLLOUT, kBlockingConnectTimeoutMs))
        return SOCKET_ERROR;
    // A peer that accepts and resets at once has still let the connection be
    // made: the reset shows on the next send or receive, as on Windows.
    int outcome = TakeSocketError(*rec);
    if (outcome && outcome != WSAECONNRESET)
        return Fail(outcome);
    std::lock_guard<std::mutex> guard(SocketLock());
    rec->established = true;
    return 0;
}

int send(SOCKET s, const char *buf, int len, int flags)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    if (flags != 0)
        return Fail(WSAEOPNOTSUPP);
    if (len < 0 || (len > 0 && !buf))
        return Fail(WSAEFAULT);
    bool nonBlocking;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (rec->sendShut)
            return Fail(WSAESHUTDOWN);
        nonBlocking = rec->nonBlocking;
    }
    int sent = 0;
    for (;;) {
        ssize_t n = ::send(rec->fd, buf + sent, static_cast<size_t>(len - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            sent += static_cast<int>(n);
            if (sent == len)
                return sent;
            if (nonBlocking) {
                // The buffer is full: the rest can go once FD_WRITE says so.
                AsyncAfterBlockedSend(rec);
                return sent;
            }
            continue;
        }
        const int e = errno;
        if (e == EINTR)
            continue;
        if (e == EAGAIN) {
            if (nonBlocking) {
                AsyncAfterBlockedSend(rec);
                return sent > 0 ? sent : Fail(WSAEWOULDBLOCK);
            }
            if (WaitReady(rec, POLLOUT, -1))
                continue;
            return sent > 0 ? sent : SOCKET_ERROR;
        }
        return sent > 0 ? sent : Fail(WsaFromErrno(e));
    }
}

int recv(SOCKET s, char *buf, int len, int flags)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    if (flags != 0)
        return Fail(WSAEOPNOTSUPP);
    if (len < 0 || (len > 0 && !buf))
        return Fail(WSAEFAULT);
    bool nonBlocking;
    {
        std::lock_guard<std::mutex> guard(SocketLock());
        nonBlocking = rec->nonBlocking;
    }
    int result = SOCKET_ERROR;
    for (;;) {
        ssize_t n = ::recv(rec->fd, buf, static_cast<size_t>(len), MSG_DONTWAIT);
        if (n >= 0) {
            result = static_cast<int>(n);
            break;
        }
        const int e = errno;
        if (e == EINTR)
            continue;
        if (e == EAGAIN && !nonBlocking && WaitReady(rec, POLLIN, -1))
            continue;
        if (e != EAGAIN || nonBlocking)
            WSASetLastError(WsaFromErrno(e));
        break;
    }
    // recv re-enables FD_READ whatever its outcome.
    const int error = WSAGetLastError();
    AsyncAfterReceive(rec);
    WSASetLastError(error);
    return result;
}

int shutdown(SOCKET s, int how)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    int direction;
    if (how == SD_RECEIVE)
        direction = SHUT_RD;
    else if (how == SD_SEND)
        direction = SHUT_WR;
    else if (how == SD_BOTH)
        direction = SHUT_RDWR;
    else
        return Fail(WSAEINVAL);
    if (::shutdown(rec->fd, direction) != 0)
        return Fail(WsaFromErrno(errno));
    if (how != SD_RECEIVE) {
        std::lock_guard<std::mutex> guard(SocketLock());
        rec->sendShut = true;
    }
    return 0;
}

int ioctlsocket(SOCKET s, LONG cmd, u_long *argp)
{
    std::shared_ptr<SocketRecord> rec = FindSocket(s);
    if (!rec)
        return SOCKET_ERROR;
    if (!argp)
        return Fail(WSAEFAULT);
    if (cmd == FIONBIO) {
        std::lock_guard<std::mutex> guard(SocketLock());
        if (*argp == 0 && rec->events != 0)
            return Fail(WSAEINVAL);
        rec->nonBlocking = *argp != 0;
        return 0;
    }
    if (cmd == FIONREAD) {
        int waiting = 0;
        if (::ioctl(rec->fd, kSystemBytesWaiting, &waiting) != 0)
            return Fail(WsaFromErrno(errno));
        *argp = static_cast<u_long>(waiting);
        return 0;
    }
    return Fail(WSAEINVAL);
}

int getsockname(SOCKET s, sockaddr *name, int *namelen) { return AddressOf(s, name, namelen, false); }
int getpeername(SOCKET s, sockaddr *name, int *namelen) { return AddressOf(s, name, namelen, true); }

hostent *gethostbyname(const char *name)
{
    if (startups.load() <= 0) {
        WSASetLastError(WSANOTINITIALISED);
        return nullptr;
    }
    if (!name || !*name) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    ++lookups;
    addrinfo hints{};
    hints.ai_family = PF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo *found = nullptr;
    const int rc = ::getaddrinfo(name, nullptr, &hints, &found);
    if (rc != 0) {
        WSASetLastError(rc == EAI_AGAIN                      ? WSATRY_AGAIN
                        : rc == EAI_NONAME || rc == EAI_FAMILY ? WSAHOST_NOT_FOUND
#ifdef EAI_NODATA
                        : rc == EAI_NODATA ? WSANO_DATA
#endif
                                           : WSANO_RECOVERY);
        return nullptr;
    }
    HostAnswer &a = hostAnswer;
    a.name = found->ai_canonname ? found->ai_canonname : name;
    a.addresses.clear();
    for (addrinfo *p = found; p; p = p->ai_next) {
        if (p->ai_family != PF_INET || p->ai_addrlen < sizeof(::sockaddr_in))
            continue;
        in_addr addr{};
        addr.s_addr = reinterpret_cast<const ::sockaddr_in *>(p->ai_addr)->sin_addr.s_addr;
        bool seen = std::any_of(a.addresses.begin(), a.addresses.end(),
                                [&](const in_addr &x) { return x.s_addr == addr.s_addr; });
        if (!seen)
            a.addresses.push_back(addr);
    }
    ::freeaddrinfo(found);
    if (a.addresses.empty()) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    a.list.clear();
    for (in_addr &addr : a.addresses)
        a.list.push_back(reinterpret_cast<char *>(&addr));
    a.list.push_back(nullptr);
    a.aliases[0] = nullptr;
    a.entry.h_name = a.name.data();
    a.entry.h_aliases = a.aliases;
    a.entry.h_addrtype = AF_INET;
    a.entry.h_length = 4;
    a.entry.h_addr_list = a.list.data();
    return &a.entry;
}

DWORD NameLookupCount() { return lookups.load(); }

u_long inet_addr(const char *cp)
{
    if (!cp || !*cp)
        return INADDR_NONE;
    ::in_addr addr{};
    if (::inet_aton(cp, &addr) == 0)
        return INADDR_NONE;
    return addr.s_addr;
}

char *inet_ntoa(in_addr in)
{
    std::snprintf(ntoaText, sizeof ntoaText, "%u.%u.%u.%u", in.S_un.S_un_b.s_b1, in.S_un.S_un_b.s_b2,
                  in.S_un.S_un_b.s_b3, in.S_un.S_un_b.s_b4);
    return ntoaText;
}

} // namespace win
