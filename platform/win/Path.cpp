#include "platform/win/Path.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/win/Text.h"

namespace win {
namespace {

// A listing (or a file's stamp) is trusted without a fresh look only when the
// folder's (file's) modification time lies well before the moment it was read:
// a later change then always moves the time. The system stamps changes from its
// coarse clock (a few milliseconds behind the precise one), so on file systems
// that keep sub-second times 50 ms is ample; a time of whole seconds may come
// from a file system that keeps only seconds or two-second steps, which needs 2 s.
constexpr long kSettleFineNs = 50 * 1000 * 1000;
constexpr time_t kSettleCoarseSeconds = 2;
// Beyond this many cached folders the cache starts over.
constexpr size_t kMaxCachedFolders = 512;

std::atomic<uint64_t> folderListings{0};
std::atomic<uint64_t> fileOpens{0};
std::atomic<uint64_t> fileChanges{0};

bool SettledAt(const timespec &mtime, const timespec &now)
{
    if (mtime.tv_nsec == 0)
        return mtime.tv_sec + kSettleCoarseSeconds < now.tv_sec;
    int64_t m = int64_t(mtime.tv_sec) * 1000000000 + mtime.tv_nsec;
    int64_t n = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    return m + kSettleFineNs < n;
}

std::string FoldCase(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    timespec mtime{};
    bool settled = false;
    // Case-folded name -> the entries spelled that way but for case, sorted.
    std::unordered_map<std::string, std::vector<std::string>> names;

    void Add(const std::string &name)
    {
        auto &variants = names[FoldCase(name)];
        auto at = std::lower_bound(variants.begin(), variants.end(), name);
        if (at == variants.end() || *at != name)
            variants.insert(at, name);
    }
    void Remove(const std::string &name)
    {
        auto it = names.find(FoldCase(name));
        if (it == names.end())
            return;
        auto &variants = it->second;
        variants.erase(std::remove(variants.begin(), variants.end(), name), variants.end());
        if (variants.empty())
            names.erase(it);
    }
    bool HasExact(const std::string &name) const
    {
        auto it = names.find(FoldCase(name));
        return it != names.end() &&
               std::binary_search(it->second.begin(), it->second.end(), name);
    }
    const std::string *CaseVariant(const std::string &name) const
    {
        auto it = names.find(FoldCase(name));
        return it == names.end() ? nullptr : &it->second.front();
    }
};

enum class Lookup { Found, Absent, Unknown };

class ListingCache {
public:
    // Puts the on-disk spelling of `name` inside the folder `parent` in its place.
    // Absent when a listing that is true now holds no such name (a cached listing
    // is true while the folder keeps the modification time it had, settled, when
    // it was read, or when it was read just now); Unknown when the folder cannot
    // be read. Either keeps the given spelling.
    Lookup Resolve(const std::string &parent, std::string &name)
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = folders_.find(parent);
        const Listing *listing =
            it != folders_.end() && StillTrue(parent, it->second) ? &it->second : Reread(parent);
        if (!listing)
            return Lookup::Unknown;
        if (listing->HasExact(name))
            return Lookup::Found;
        if (const std::string *variant = listing->CaseVariant(name)) {
            name = *variant;
            return Lookup::Found;
        }
        return Lookup::Absent;
    }

    void Created(const std::string &native)
    {
        std::string parent, name;
        if (!Split(native, parent, name))
            return;
        std::lock_guard<std::mutex> guard(lock_);
        auto it = folders_.find(parent);
        if (it != folders_.end())
            it->second.Add(name);
    }

    void Removed(const std::string &native)
    {
        std::string parent, name;
        if (!Split(native, parent, name))
            return;
        std::lock_guard<std::mutex> guard(lock_);
        auto it = folders_.find(parent);
        if (it != folders_.end())
            it->second.Remove(name);
        // A removed or renamed folder takes the listings below it along.
        std::string below = native + "/";
        for (auto f = folders_.begin(); f != folders_.end();) {
            if (f->first == native || f->first.compare(0, below.size(), below) == 0)
                f = folders_.erase(f);
            else
                ++f;
        }
    }

private:
    static bool Split(const std::string &native, std::string &parent, std::string &name)
    {
        size_t slash = native.find_last_of('/');
        if (slash == std::string::npos || slash + 1 == native.size())
            return false;
        parent = slash == 0 ? "/" : native.substr(0, slash);
        name = native.substr(slash + 1);
        return true;
    }

    static bool StillTrue(const std::string &folder, const Listing &listing)
    {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0)
            return false;
        return listing.settled && st.st_dev == listing.dev && st.st_ino == listing.ino &&
               st.st_mtim.tv_sec == listing.mtime.tv_sec &&
               st.st_mtim.tv_nsec == listing.mtime.tv_nsec;
    }

    const Listing *Reread(const std::string &folder)
    {
        timespec before{};
        clock_gettime(CLOCK_REALTIME, &before);
        struct stat st;
        DIR *dir = ::opendir(folder.c_str());
        CountFolderListing();
        if (!dir || ::fstat(::dirfd(dir), &st) != 0) {
            if (dir)
                ::closedir(dir);
            folders_.erase(folder);
            return nullptr;
        }
        Listing listing;
        listing.dev = st.st_dev;
        listing.ino = st.st_ino;
        listing.mtime = st.st_mtim;
        listing.settled = SettledAt(st.st_mtim, before);
        while (dirent *entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                listing.Add(name);
        }
        ::closedir(dir);
        if (folders_.size() >= kMaxCachedFolders && !folders_.count(folder))
            folders_.clear();
        Listing &stored = folders_[folder];
        stored = std::move(listing);
        return &stored;
    }

    std::mutex lock_;
    std::unordered_map<std::string, Listing> folders_;
};

ListingCache &Cache()
{
    static auto *cache = new ListingCache;
    return *cache;
}

std::string Join(const std::vector<std::string> &parts, size_t count)
{
    if (count == 0)
        return "/";
    std::string path;
    for (size_t i = 0; i < count; ++i) {
        path += '/';
        path += parts[i];
    }
    return path;
}

// Splits a GBK path on both separators without mistaking the trail byte of a
// double-byte character (which may be 0x5C, '\') for one.
std::vector<std::string_view> SplitWinPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    size_t i = 0;
    while (i < path.size()) {
        char c = path[i];
        if (c == '\\' || c == '/') {
            parts.push_back(path.substr(start, i - start));
            start = ++i;
            continue;
        }
        i += GbkCharLength(path.data() + i, path.size() - i);
    }
    parts.push_back(path.substr(start));
    return parts;
}

} // namespace

std::string MapPath(std::string_view winPath, bool *absent, bool *folderAbsent)
{
    if (absent)
        *absent = false;
    if (folderAbsent)
        *folderAbsent = false;
    if (winPath.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return {};
    }
    if (winPath.find('\0') != std::string_view::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return {};
    }
    if (winPath.size() >= PATH_MAX) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return {};
    }

    std::vector<std::string> parts;
    // Components taken from the working folder are spelled as on disk already.
    size_t known = 0;
    if (winPath[0] != '/' && winPath[0] != '\\') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return {};
        }
        std::string_view rest(cwd);
        while (!rest.empty()) {
            size_t slash = rest.find('/');
            std::string_view part = rest.substr(0, slash);
            if (!part.empty())
                parts.emplace_back(part);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        }
        known = parts.size();
    }

    size_t length = 0;
    for (std::string_view part : SplitWinPath(winPath)) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            known = std::min(known, parts.size());
            continue;
        }
        std::string name = GbkToUtf8(part);
        if (name.size() > NAME_MAX) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return {};
        }
        parts.push_back(std::move(name));
    }
    for (const std::string &part : parts)
        length += part.size() + 1;
    if (length >= PATH_MAX) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return {};
    }

    std::string whole = Join(parts, parts.size());
    struct stat st;
    if (known < parts.size() && ::lstat(whole.c_str(), &st) != 0) {
        for (size_t i = known; i < parts.size(); ++i) {
            Lookup found = Cache().Resolve(Join(parts, i), parts[i]);
            if (found == Lookup::Absent) {
                if (absent)
                    *absent = true;
                if (folderAbsent)
                    *folderAbsent = i + 1 < parts.size();
            }
            if (found != Lookup::Found)
                break;
        }
        whole = Join(parts, parts.size());
    }
    return whole;
}

bool GetFileStamp(std::string_view winPath, FileStamp &stamp, std::string *native)
{
    stamp = FileStamp{};
    bool absent = false;
    std::string path = MapPath(winPath, &absent);
    if (native)
        *native = path;
    if (path.empty())
        return false;
    if (absent) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, path));
        return false;
    }
    stamp.device = uint64_t(st.st_dev);
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.settled = SettledAt(st.st_mtim, now);
    stamp.folder = S_ISDIR(st.st_mode);
    return true;
}

void CountFolderListing() { folderListings.fetch_add(1, std::memory_order_relaxed); }

void CountFileOpen() { fileOpens.fetch_add(1, std::memory_order_relaxed); }

FileCallCounts GetFileCallCounts()
{
    return {folderListings.load(std::memory_order_relaxed), fileOpens.load(std::memory_order_relaxed)};
}

void NotePathCreated(const std::string &native)
{
    NoteFileChanged();
    Cache().Created(native);
}

void NotePathRemoved(const std::string &native)
{
    NoteFileChanged();
    Cache().Removed(native);
}

namespace {

// The watched folders: one inotify descriptor, drained without blocking on
// every count, each event (or a lost one, when the queue overflowed) a change.
class FolderWatch {
public:
    bool Watch(const std::string &native)
    {
        std::string folder = native;
        std::lock_guard<std::mutex> guard(lock_);
        if (fd_ < 0 && !failed_) {
            fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            failed_ = fd_ < 0;
        }
        if (fd_ < 0)
            return false;
        // The folder of the path, or the nearest one above it that exists: a
        // missing folder's creation is a change of the folder above it.
        // A watch follows the folder itself, so a folder of that name made
        // anew (an installation removed and made again) needs a watch of its own.
        struct stat st;
        for (;;) {
            size_t slash = folder.find_last_of('/');
            if (slash == std::string::npos)
                return false;
            folder.resize(slash == 0 ? 1 : slash);
            if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                break;
            if (folder == "/")
                return false;
        }
        // Watches the system dropped (their folder went) are forgotten first:
        // a new folder may carry the old one's inode number.
        ReadEvents();
        auto it = watched_.find(folder);
        if (it != watched_.end() && it->second.dev == st.st_dev && it->second.ino == st.st_ino)
            return true;
        if (it == watched_.end() && watched_.size() >= kMaxWatchedFolders)
            return false;
        constexpr uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY |
                                    IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
        int wd = ::inotify_add_watch(fd_, folder.c_str(), events);
        if (wd < 0)
            return false;
        watched_[folder] = Watched{wd, st.st_dev, st.st_ino};
        active_.store(true, std::memory_order_release);
        // The watch itself may come after a change the caller has not seen yet.
        NoteFileChanged();
        return true;
    }

    void Drain()
    {
        if (!active_.load(std::memory_order_acquire))
            return;
        std::lock_guard<std::mutex> guard(lock_);
        ReadEvents();
    }

private:
    struct Watched {
        int wd;
        dev_t dev;
        ino_t ino;
    };

    // Reads what the system queued: any event is a change; a dropped watch
    // (IN_IGNORED) is forgotten. Called with the lock held.
    void ReadEvents()
    {
        if (fd_ < 0)
            return;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            NoteFileChanged();
            for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->mask & IN_IGNORED)
                    for (auto it = watched_.begin(); it != watched_.end(); ++it)
                        if (it->second.wd == event->wd) {
                            watched_.erase(it);
                            break;
                        }
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
            if (size_t(n) < sizeof buffer - sizeof(inotify_event) - NAME_MAX - 1)
                return;
        }
    }

    static constexpr size_t kMaxWatchedFolders = 256;
    std::mutex lock_;
    int fd_ = -1;
    bool failed_ = false;
    std::atomic<bool> active_{false};
    std::unordered_map<std::string, Watched> watched_;
};

FolderWatch &Watches()
{
    static auto *watches = new FolderWatch;
    return *watches;
}

} // namespace

bool WatchFolderOf(const std::string &native) { return !native.empty() && Watches().Watch(native); }

namespace {

// The working folder as last taken, for the change count it was taken at.
struct WorkingFolder {
    std::mutex lock;
    uint64_t takenAt = 0, device = 0, inode = 0;
};

WorkingFolder &KeptWorkingFolder()
{
    static auto *kept = new WorkingFolder;
    return *kept;
}

// Moves at every change of working folder; 0 is never a count a look was taken at.
std::atomic<uint64_t> workingFolderChanges{1};

thread_local int batchDepth = 0;
thread_local bool batchDrained = false;

} // namespace

void NoteWorkingFolderChanged() { workingFolderChanges.fetch_add(1, std::memory_order_acq_rel); }

bool GetWorkingFolderId(uint64_t &device, uint64_t &inode)
{
    WorkingFolder &kept = KeptWorkingFolder();
    std::lock_guard<std::mutex> guard(kept.lock);
    const uint64_t now = workingFolderChanges.load(std::memory_order_acquire);
    if (kept.takenAt != now) {
        struct stat st;
        if (::stat(".", &st) != 0) {
            // Gone: asked again next time, as it may be back by then.
            kept.takenAt = 0;
            return false;
        }
        kept.device = uint64_t(st.st_dev);
        kept.inode = uint64_t(st.st_ino);
        kept.takenAt = now;
    }
    device = kept.device;
    inode = kept.inode;
    return true;
}

FileChangeBatch::FileChangeBatch()
{
    if (batchDepth++ == 0)
        batchDrained = false;
}

FileChangeBatch::~FileChangeBatch() { --batchDepth; }

uint64_t FileChangeCount()
{
    if (batchDepth == 0 || !batchDrained) {
        Watches().Drain();
        batchDrained = batchDepth > 0;
    }
    return fileChanges.load(std::memory_order_acquire);
}

void NoteFileChanged() { fileChanges.fetch_add(1, std::memory_order_acq_rel); }

std::string NativeToWinPath(std::string_view native) { return Utf8ToGbk(native); }

DWORD ErrorFromErrno(int err, const std::string &native)
{
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT: {
        size_t slash = native.find_last_of('/');
        if (slash == std::string::npos || slash == 0)
            return ERROR_FILE_NOT_FOUND;
        struct stat st;
        std::string parent = native.substr(0, slash);
        if (::stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    }
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

} // namespace win
