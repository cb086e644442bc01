#include "platform/win/Profile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <signal.h>
#include <sys/syscall.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/win/Path.h"
#include "platform/win/Text.h"

namespace win {
namespace {

// A parsed file is reused while the file keeps its device, inode, size and the
// nanoseconds of its modification and change times. The system stamps a change
// with its coarse clock, so two changes within one tick of it can carry the same
// times: a file read from disk is kept only when its times lay before the coarse
// clock at the moment of reading (a later change then has later times); on a
// file system that keeps whole seconds (nanoseconds 0), only when they lay
// further back than its 2-second granularity. A file this layer writes is
// stamped with the precise time, which no change by the coarse clock repeats,
// and is kept at once in the form just written.
constexpr time_t kCoarseSeconds = 2;
constexpr size_t kMaxCachedFiles = 64;
constexpr off_t kMaxCachedBytes = 4 << 20;
// How long a writer waits for the file's lock, in all, before it reports the
// write as failed: far longer than any number of writers queueing for a file
// needs, short enough that a holder that hangs does not hang its waiters forever.
std::atomic<int> lockWaitMs{15000};
// While a writer blocks in flock, a timer of its thread interrupts the wait at
// this interval so that the bound is checked; a wait ends as soon as the lock is
// free.
constexpr long kLockTickNs = 50 * 1000 * 1000;

bool Before(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    explicit FileId(const struct stat &st)
        : dev(st.st_dev), ino(st.st_ino), size(st.st_size), mtime(st.st_mtim), ctime(st.st_ctim)
    {
    }
    bool operator==(const FileId &o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
    // Whether any later change of the file is bound to change these times, for
    // a file read after the coarse clock showed `readAt`.
    bool SettledBefore(const timespec &readAt) const
    {
        timespec latest = Before(mtime, ctime) ? ctime : mtime;
        if (latest.tv_nsec == 0)
            return latest.tv_sec + kCoarseSeconds < readAt.tv_sec;
        return Before(latest, readAt);
    }
};

class DocumentCache {
public:
    std::shared_ptr<const ProfileDocument> Find(const std::string &path, const FileId &id)
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = entries_.find(path);
        if (it == entries_.end() || !(it->second.id == id))
            return nullptr;
        return it->second.doc;
    }
    // Keeps `doc` as the content of the file `path` while it has `id`; the caller
    // has made sure that any change of the file changes `id`.
    void Store(const std::string &path, const FileId &id, std::shared_ptr<const ProfileDocument> doc)
    {
        if (id.size > kMaxCachedBytes) {
            Forget(path);
            return;
        }
        std::lock_guard<std::mutex> guard(lock_);
        if (entries_.size() >= kMaxCachedFiles && !entries_.count(path))
            entries_.clear();
        entries_.insert_or_assign(path, Entry{id, std::move(doc)});
    }
    void Forget(const std::string &path)
    {
        std::lock_guard<std::mutex> guard(lock_);
        entries_.erase(path);
    }

private:
    struct Entry {
        FileId id;
        std::shared_ptr<const ProfileDocument> doc;
    };
    std::mutex lock_;
    std::unordered_map<std::string, Entry> entries_;
};

DocumentCache &Cache()
{
    static DocumentCache *cache = new DocumentCache;
    return *cache;
}

// The signal that interrupts a writer blocked in flock. Its handler does nothing
// and is installed without SA_RESTART, so the interrupted flock returns EINTR.
int LockTickSignal()
{
    static const int signo = [] {
        int n = SIGRTMIN + 5;
        struct sigaction sa {};
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(n, &sa, nullptr);
        return n;
    }();
    return signo;
}

timespec Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t;
}

// Takes the exclusive lock on `fd`, blocking until it is free or `deadline`
// (CLOCK_MONOTONIC) has passed; false with errno set (EWOULDBLOCK at the deadline).
bool LockUntil(int fd, const timespec &deadline)
{
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK)
        return false;
    int signo = LockTickSignal();
    sigevent ev{};
    ev.sigev_notify = SIGEV_THREAD_ID;
    ev.sigev_signo = signo;
#ifdef sigev_notify_thread_id
    ev.sigev_notify_thread_id = static_cast<pid_t>(syscall(SYS_gettid));
#else
    ev._sigev_un._tid = static_cast<pid_t>(syscall(SYS_gettid));
#endif
    timer_t timer;
    if (timer_create(CLOCK_MONOTONIC, &ev, &timer) != 0)
        return false;
    sigset_t tick, saved;
    sigemptyset(&tick);
    sigaddset(&tick, signo);
    pthread_sigmask(SIG_UNBLOCK, &tick, &saved);
    itimerspec period{};
    period.it_value.tv_nsec = kLockTickNs;
    period.it_interval.tv_nsec = kLockTickNs;
    timer_settime(timer, 0, &period, nullptr);
    bool locked = false;
    int err = 0;
    for (;;) {
        if (flock(fd, LOCK_EX) == 0) {
            locked = true;
            break;
        }
        err = errno;
        if (err != EINTR)
            break;
        if (!Before(Now(), deadline)) {
            err = EWOULDBLOCK;
            break;
        }
    }
    // A tick still pending is taken here, while the signal is unblocked, by the
    // handler that does nothing.
    timer_delete(timer);
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    errno = err;
    return locked;
}

const std::shared_ptr<const ProfileDocument> &EmptyDocument()
{
    static const auto *empty = new std::shared_ptr<const ProfileDocument>(std::make_shared<ProfileDocument>());
    return *empty;
}

void FailWithErrno(const std::string &native)
{
    SetLastError(ErrorFromErrno(errno, native));
}

// The native path of an INI name; a symbolic link is followed so that a write
// replaces the file it names rather than the link.
// `found`, when given, is set when the file exists, with its status in `st`.
std::string NativePath(std::string_view fileName, struct stat *st = nullptr, bool *found = nullptr)
{
    std::string native = MapPath(fileName);
    struct stat own;
    struct stat &status = st ? *st : own;
    bool exists = !native.empty() && lstat(native.c_str(), &status) == 0;
    if (exists && S_ISLNK(status.st_mode)) {
        if (char *real = realpath(native.c_str(), nullptr)) {
            native = real;
            free(real);
        }
        exists = stat(native.c_str(), &status) == 0;
    }
    if (found)
        *found = exists;
    return native;
}

bool ReadAll(int fd, std::string &out)
{
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t r = read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return false;
        if (r == 0)
            return true;
        out.append(buf, static_cast<size_t>(r));
    }
}

bool WriteAll(int fd, std::string_view bytes, off_t at)
{
    while (!bytes.empty()) {
        ssize_t w = pwrite(fd, bytes.data(), bytes.size(), at);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(w));
        at += w;
    }
    return true;
}

// Opens a regular file for reading; -1 with the last error set otherwise.
int OpenForReading(const std::string &native, struct stat &st)
{
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        FailWithErrno(native);
        return -1;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return -1;
    }
    return fd;
}

// Stamps the file `fd` (just written with `size` bytes) with the precise time and
// returns its identity once it carries that stamp, or nothing.
std::optional<FileId> StampWritten(int fd, off_t size)
{
    timespec times[2] = {{0, UTIME_OMIT}, {}};
    clock_gettime(CLOCK_REALTIME, &times[1]);
    struct stat st;
    if (futimens(fd, times) != 0 || fstat(fd, &st) != 0 || st.st_size != size ||
        st.st_mtim.tv_sec != times[1].tv_sec || st.st_mtim.tv_nsec != times[1].tv_nsec)
        return std::nullopt;
    return FileId(st);
}

// Puts `bytes` in place of the locked file `fd` at `native`: a new file beside it,
// renamed over it, so that a reader sees the old or the new content and never a
// mix. Where no new file can be made in the folder, the file is rewritten in place.
// `written` receives the identity of the file written, when it is sure to change
// with any later change (see StampWritten).
bool ReplaceFile(const std::string &native, int fd, const struct stat &st, std::string_view bytes,
                 std::optional<FileId> &written)
{
    written.reset();
    const off_t size = static_cast<off_t>(bytes.size());
    size_t slash = native.rfind('/');
    std::string temp = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
    temp += '.';
    temp += native.substr(slash == std::string::npos ? 0 : slash + 1);
    temp += ".XXXXXX";
    int t = mkostemp(temp.data(), O_CLOEXEC);
    if (t < 0) {
        if (errno != EACCES && errno != EPERM && errno != ENAMETOOLONG) {
            FailWithErrno(native);
            return false;
        }
        if (!WriteAll(fd, bytes, 0) || ftruncate(fd, size) != 0) {
            FailWithErrno(native);
            return false;
        }
        written = StampWritten(fd, size);
        NoteFileChanged();
        return true;
    }
    fchmod(t, st.st_mode & 07777);
    if (st.st_uid != geteuid() || st.st_gid != getegid()) {
        // Only a privileged writer can hand the file back to its owner; otherwise
        // it belongs to the writer, as a file the writer created would.
        [[maybe_unused]] int kept = fchown(t, st.st_uid, st.st_gid);
    }
    bool ok = WriteAll(t, bytes, 0);
    int err = errno;
    std::optional<FileId> stamped = ok ? StampWritten(t, size) : std::nullopt;
    // A second descriptor outlives the close that reports a failed write-back and
    // gives the identity of the file once it is in place (the rename changes its
    // change time).
    int kept = dup(t);
    if (close(t) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp.c_str(), native.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (ok && stamped && kept >= 0) {
        struct stat now;
        if (fstat(kept, &now) == 0 && now.st_size == size && now.st_mtim.tv_sec == stamped->mtime.tv_sec &&
            now.st_mtim.tv_nsec == stamped->mtime.tv_nsec)
            written = FileId(now);
    }
    if (kept >= 0)
        close(kept);
    if (!ok) {
        unlink(temp.c_str());
        errno = err;
        FailWithErrno(native);
    }
    NotePathRemoved(temp);
    return ok;
}

// Runs `edit` on the file's bytes under an exclusive lock on the file and writes
// the result when it reports a change. The lock is taken on the file itself; a
// writer that finds the name pointing at a newer file once it holds the lock
// (another writer replaced it meanwhile) starts again on that file. Writers queue
// in a blocking wait; only one that has not had the lock within the bound fails,
// with ERROR_SHARING_VIOLATION.
// `edit` may also hand over the parsed form of the bytes it made, which then
// serves the next look-ups.
using ByteEditor = std::function<bool(std::string &bytes, std::shared_ptr<const ProfileDocument> &parsed)>;

BOOL EditBytes(std::string_view fileName, bool create, const ByteEditor &edit)
{
    std::string native = NativePath(fileName);
    if (native.empty())
        return FALSE;
    timespec deadline = Now();
    int waitMs = lockWaitMs.load(std::memory_order_relaxed);
    deadline.tv_sec += waitMs / 1000;
    deadline.tv_nsec += static_cast<long>(waitMs % 1000) * 1000000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    for (bool first = true; first || Before(Now(), deadline); first = false) {
        bool created = false;
        int fd = open(native.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno == ENOENT && create) {
            fd = open(native.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_CREAT | O_EXCL, 0666);
            created = fd >= 0;
            if (fd < 0 && errno == EEXIST)
                continue; // another writer created it meanwhile: edit that file
        }
        if (fd < 0) {
            if (errno == ENOENT && !create)
                return TRUE; // nothing to delete
            FailWithErrno(native);
            return FALSE;
        }
        if (created)
            NotePathCreated(native);
        struct stat st, named;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!LockUntil(fd, deadline)) {
            if (errno == EWOULDBLOCK)
                SetLastError(ERROR_SHARING_VIOLATION);
            else
                FailWithErrno(native);
            // A file this writer created stays: the writer holding the lock may
            // be putting its content in place under that name.
            close(fd);
            return FALSE;
        }
        if (stat(native.c_str(), &named) != 0 || named.st_ino != st.st_ino || named.st_dev != st.st_dev) {
            close(fd);
            continue;
        }
        std::string bytes;
        bool ok = ReadAll(fd, bytes);
        if (!ok)
            FailWithErrno(native);
        std::shared_ptr<const ProfileDocument> parsed;
        bool changed = ok && edit(bytes, parsed);
        if (changed) {
            fstat(fd, &st);
            std::optional<FileId> written;
            ok = ReplaceFile(native, fd, st, bytes, written);
            if (ok && written && parsed)
                Cache().Store(native, *written, std::move(parsed));
            else
                Cache().Forget(native);
        }
        if (created && (!changed || !ok)) {
            unlink(native.c_str());
            NotePathRemoved(native);
        }
        close(fd);
        return ok ? TRUE : FALSE;
    }
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

DWORD CopyValue(std::string_view value, LPSTR out, DWORD nSize)
{
    if (!out || nSize == 0)
        return 0;
    size_t n = value.size();
    if (n > nSize - 1) {
        n = GbkFitLength(value, nSize - 1);
        SetLastError(ERROR_MORE_DATA);
    }
    if (n)
        std::memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// Stores the strings one after the other, each ending in a NUL, and a final NUL.
// A list that does not fit is cut (never inside a double-byte character), ends
// in two NULs, and the result is nSize - 2.
template <typename List>
DWORD CopyList(const List &items, LPSTR out, DWORD nSize)
{
    if (!out || nSize == 0)
        return 0;
    if (nSize == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t pos = 0;
    for (const auto &item : items) {
        std::string_view s(item);
        if (pos + s.size() + 1 <= nSize - 1) {
            std::memcpy(out + pos, s.data(), s.size());
            pos += s.size();
            out[pos++] = '\0';
            continue;
        }
        if (pos < nSize - 2) {
            size_t n = GbkFitLength(s, nSize - 2 - pos);
            if (n)
                std::memcpy(out + pos, s.data(), n);
            pos += n;
        }
        std::memset(out + pos, 0, nSize - pos);
        SetLastError(ERROR_MORE_DATA);
        return nSize - 2;
    }
    out[pos] = '\0';
    if (pos == 0)
        out[1] = '\0';
    return static_cast<DWORD>(pos);
}

std::string_view FileNameOf(LPCSTR fileName) { return fileName ? std::string_view(fileName) : std::string_view(); }

} // namespace

std::shared_ptr<const ProfileDocument> ProfileStore::Load(std::string_view fileName)
{
    struct stat st;
    bool found = false;
    std::string native = NativePath(fileName, &st, &found);
    if (native.empty())
        return EmptyDocument();
    if (found && S_ISREG(st.st_mode)) {
        if (auto doc = Cache().Find(native, FileId(st)))
            return doc;
    }
    int fd = OpenForReading(native, st);
    if (fd < 0)
        return EmptyDocument();
    timespec readAt{};
    clock_gettime(CLOCK_REALTIME_COARSE, &readAt);
    std::string bytes;
    bool ok = ReadAll(fd, bytes);
    if (!ok)
        FailWithErrno(native);
    close(fd);
    if (!ok)
        return EmptyDocument();
    auto doc = std::make_shared<const ProfileDocument>(std::move(bytes));
    FileId id(st);
    if (id.SettledBefore(readAt))
        Cache().Store(native, id, doc);
    return doc;
}

BOOL ProfileStore::Edit(std::string_view fileName, bool create, const std::function<bool(ProfileDocument &)> &edit)
{
    return EditBytes(fileName, create, [&edit](std::string &bytes, std::shared_ptr<const ProfileDocument> &parsed) {
        ProfileDocument doc(std::move(bytes));
        if (!edit(doc))
            return false;
        bytes = doc.Bytes();
        parsed = std::make_shared<const ProfileDocument>(std::move(doc));
        return true;
    });
}

BOOL ProfileStore::ReadBytes(std::string_view fileName, std::string &bytes)
{
    bytes.clear();
    std::string native = NativePath(fileName);
    if (native.empty())
        return FALSE;
    struct stat st;
    int fd = OpenForReading(native, st);
    if (fd < 0)
        return FALSE;
    bool ok = ReadAll(fd, bytes);
    if (!ok)
        FailWithErrno(native);
    close(fd);
    return ok ? TRUE : FALSE;
}

void ProfileStore::SetLockWait(int milliseconds) { lockWaitMs.store(milliseconds, std::memory_order_relaxed); }

BOOL ProfileStore::WriteBytes(std::string_view fileName, std::string_view bytes)
{
    return EditBytes(fileName, true, [bytes](std::string &current, std::shared_ptr<const ProfileDocument> &) {
        if (current == bytes)
            return false;
        current.assign(bytes);
        return true;
    });
}

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                               DWORD nSize, LPCSTR fileName)
{
    if (!returnedString || nSize == 0)
        return 0;
    auto doc = ProfileStore::Load(FileNameOf(fileName));
    if (!appName)
        return CopyList(doc->SectionNames(), returnedString, nSize);
    if (!keyName) {
        // A section without keys (or no section, or no file) gives the default,
        // as a missing key does.
        auto names = doc->KeyNames(appName);
        if (!names.empty())
            return CopyList(names, returnedString, nSize);
    } else if (auto value = doc->Value(appName, keyName)) {
        return CopyValue(*value, returnedString, nSize);
    }
    std::string_view def = defaultValue ? std::string_view(defaultValue) : std::string_view();
    while (!def.empty() && (def.back() == ' ' || def.back() == '\t'))
        def.remove_suffix(1);
    return CopyValue(ProfileDocument::Unquote(def), returnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR appName, LPCSTR keyName, INT defaultValue, LPCSTR fileName)
{
    if (!appName || !keyName)
        return static_cast<UINT>(defaultValue);
    auto doc = ProfileStore::Load(FileNameOf(fileName));
    auto value = doc->Value(appName, keyName);
    if (!value || value->empty())
        return static_cast<UINT>(defaultValue);
    std::string_view s = *value;
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    UINT base = 10;
    // Only a lower-case "0x" starts a hexadecimal number: "0X1F" reads as 0.
    if (i + 2 < s.size() && s[i] == '0' && s[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
        base = 16;
        i += 2;
    }
    UINT result = 0;
    for (; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        UINT digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = static_cast<UINT>((c | 0x20) - 'a' + 10);
        else
            break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR string, LPCSTR fileName)
{
    if (!appName) {
        // All null only asks for a flush (writes here are on disk already), which
        // reports 0 as Windows does.
        if (!keyName && !string)
            return FALSE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string_view section(appName);
    if (!fileName || !ProfileDocument::IsValidSectionName(section)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!keyName)
        return ProfileStore::Edit(fileName, false, [section](ProfileDocument &doc) { return doc.DeleteSection(section); });
    std::string_view key(keyName);
    if (!ProfileDocument::IsValidKeyName(key)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!string)
        return ProfileStore::Edit(fileName, false, [section, key](ProfileDocument &doc) { return doc.DeleteKey(section, key); });
    std::string_view value(string);
    if (!ProfileDocument::IsValidValue(value)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ProfileStore::Edit(fileName, true,
                              [section, key, value](ProfileDocument &doc) { return doc.SetValue(section, key, value); });
}

DWORD GetPrivateProfileSectionA(LPCSTR appName, LPSTR returnedString, DWORD nSize, LPCSTR fileName)
{
    if (!returnedString || nSize == 0)
        return 0;
    if (!appName)
        return CopyList(std::vector<std::string>(), returnedString, nSize);
    auto doc = ProfileStore::Load(FileNameOf(fileName));
    return CopyList(doc->SectionLines(appName), returnedString, nSize);
}

DWORD GetPrivateProfileSectionNamesA(LPSTR returnBuffer, DWORD nSize, LPCSTR fileName)
{
    if (!returnBuffer || nSize == 0)
        return 0;
    auto doc = ProfileStore::Load(FileNameOf(fileName));
    return CopyList(doc->SectionNames(), returnBuffer, nSize);
}

BOOL WritePrivateProfileSectionA(LPCSTR appName, LPCSTR string, LPCSTR fileName)
{
    if (!appName || !fileName || !ProfileDocument::IsValidSectionName(appName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string_view section(appName);
    if (!string)
        return ProfileStore::Edit(fileName, false, [section](ProfileDocument &doc) { return doc.DeleteSection(section); });
    std::vector<std::string_view> lines;
    for (const char *p = string; *p; p += std::strlen(p) + 1) {
        lines.emplace_back(p);
        if (!ProfileDocument::IsValidSectionLine(lines.back())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    return ProfileStore::Edit(fileName, true,
                              [section, &lines](ProfileDocument &doc) { return doc.ReplaceSection(section, lines); });
}

} // namespace win
