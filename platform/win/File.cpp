#include "platform/win/File.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/Path.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"

namespace win {
namespace {

struct LockedRange {
    off_t start;
    off_t length;
};

class FileObject : public KernelObject {
public:
    FileObject(int fd, std::string native, bool canWrite)
        : fd(fd), native(std::move(native)), canWrite(canWrite) {}
    ~FileObject() override { ::close(fd); }

    const int fd;
    const std::string native;
    const bool canWrite;
    std::mutex rangesLock;
    std::vector<LockedRange> ranges;
};

struct FoundEntry {
    std::string native;  // the entry's name on disk
    std::string gbk;     // the same name as the program sees it
};

class FindObject : public KernelObject {
public:
    std::string folder;
    std::vector<FoundEntry> entries;
    size_t next = 0;
};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL FailErrno(const std::string &native)
{
    return Fail(ErrorFromErrno(errno, native));
}

std::shared_ptr<FileObject> FindFile(HANDLE h)
{
    auto file = FindKernelObjectAs<FileObject>(h);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// A path the mapping knows not to exist: `absent` holds the error to report
// (a missing folder or a missing file, as Windows tells them apart), else 0.
bool Map(LPCSTR winPath, std::string &native, DWORD *absent = nullptr)
{
    if (!winPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    bool missing = false, folderMissing = false;
    native = MapPath(winPath, &missing, &folderMissing);
    if (absent)
        *absent = !missing ? 0 : folderMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    return !native.empty();
}

// The read-only attribute is a file without any write permission bit; it is
// honoured for every user, root included, as Windows honours it.
bool WriteProtected(const struct stat &st)
{
    return !S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0;
}

DWORD AttributesOf(const struct stat &st)
{
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (WriteProtected(st))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILETIME TimeOf(const timespec &ts) { return FileTimeFromUnix(ts.tv_sec, ts.tv_nsec); }

// The birth time where the file system keeps one, else the older of the change
// and modification times.
FILETIME CreationTimeOf(int dirFd, const char *path, int flags, const struct stat &st)
{
    struct statx sx;
    if (::statx(dirFd, path, flags, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        return FileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
    const timespec &older =
        (st.st_ctim.tv_sec < st.st_mtim.tv_sec ||
         (st.st_ctim.tv_sec == st.st_mtim.tv_sec && st.st_ctim.tv_nsec < st.st_mtim.tv_nsec))
            ? st.st_ctim
            : st.st_mtim;
    return TimeOf(older);
}

DWORD CopyOut(const std::string &text, LPSTR buffer, DWORD size)
{
    if (buffer && size > text.size()) {
        memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return static_cast<DWORD>(text.size());
    }
    return static_cast<DWORD>(text.size() + 1);
}

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

BOOL CopyNative(const std::string &from, const std::string &to, bool failIfExists)
{
    CountFileOpen();
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FailErrno(from);
    struct stat src;
    if (::fstat(in, &src) != 0 || S_ISDIR(src.st_mode)) {
        ::close(in);
        return Fail(ERROR_ACCESS_DENIED);
    }
    struct stat dst;
    if (::stat(to.c_str(), &dst) == 0) {
        DWORD refusal = failIfExists                                          ? ERROR_FILE_EXISTS
                        : dst.st_dev == src.st_dev && dst.st_ino == src.st_ino ? ERROR_SHARING_VIOLATION
                        : S_ISDIR(dst.st_mode) || WriteProtected(dst)          ? ERROR_ACCESS_DENIED
                                                                               : ERROR_SUCCESS;
        if (refusal != ERROR_SUCCESS) {
            ::close(in);
            return Fail(refusal);
        }
    }
    CountFileOpen();
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC),
                     0666);
    if (out < 0) {
        int err = errno;
        ::close(in);
        return Fail(ErrorFromErrno(err, to));
    }
    NotePathCreated(to);
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    int err = errno;
    if (ok) {
        const timespec times[2] = {src.st_atim, src.st_mtim};
        ::futimens(out, times);
        ::fchmod(out, src.st_mode & 0777);
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(to.c_str());
        NotePathRemoved(to);
        return Fail(ErrorFromErrno(err, to));
    }
    NoteFileChanged();
    return TRUE;
}

// Creates every missing folder of a native path.
BOOL MakeNativeDirectories(const std::string &native)
{
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        std::string prefix = native.substr(0, slash);
        struct stat st;
        if (::stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return Fail(slash == std::string::npos ? ERROR_ALREADY_EXISTS : ERROR_PATH_NOT_FOUND);
        } else if (::mkdir(prefix.c_str(), 0777) == 0) {
            NotePathCreated(prefix);
        } else if (errno != EEXIST) {
            return FailErrno(prefix);
        }
        if (slash == std::string::npos)
            return TRUE;
    }
}

// A character of a GBK text: one byte, or the two (four) of a wide character.
std::vector<std::string_view> GbkChars(std::string_view text)
{
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        size_t n = GbkCharLength(text.data() + i, text.size() - i);
        chars.push_back(text.substr(i, n));
        i += n;
    }
    return chars;
}

bool SameChar(std::string_view a, std::string_view b)
{
    if (a.size() == 1 && b.size() == 1) {
        char x = a[0], y = b[0];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        return x == y;
    }
    return a == b;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    std::vector<std::string_view> p = GbkChars(pattern);
    std::vector<std::string_view> n = GbkChars(name);
    size_t pi = 0, ni = 0;
    size_t star = SIZE_MAX, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == "*") {
            star = pi++;
            mark = ni;
        } else if (pi < p.size() && (p[pi] == "?" || SameChar(p[pi], n[ni]))) {
            ++pi;
            ++ni;
        } else if (star != SIZE_MAX) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*")
        ++pi;
    if (pi < p.size() && p[pi] == ".") {
        // A trailing ".*" also stands for no extension at all.
        size_t q = pi + 1;
        while (q < p.size() && p[q] == "*")
            ++q;
        if (q == p.size() && q > pi + 1)
            return true;
    }
    return pi == p.size();
}

void FillFindData(const FindObject &search, const FoundEntry &entry, WIN32_FIND_DATAA *data)
{
    memset(data, 0, sizeof *data);
    std::string path = search.folder == "/" ? "/" + entry.native : search.folder + "/" + entry.native;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 || ::lstat(path.c_str(), &st) == 0) {
        data->dwFileAttributes = AttributesOf(st);
        data->ftCreationTime = CreationTimeOf(AT_FDCWD, path.c_str(), 0, st);
        data->ftLastAccessTime = TimeOf(st.st_atim);
        data->ftLastWriteTime = TimeOf(st.st_mtim);
        uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
    } else {
        data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    memcpy(data->cFileName, entry.gbk.data(), entry.gbk.size());
}

// The position of the last separator of a GBK path (a trail byte 0x5C is not one).
size_t LastSeparator(std::string_view path)
{
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size();) {
        if (path[i] == '\\' || path[i] == '/')
            last = i;
        i += GbkCharLength(path.data() + i, path.size() - i);
    }
    return last;
}

// The temporary folder GetTempPathA names, as a native path.
std::string NativeTempFolder()
{
    const char *tmp = ::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

// Whether the native path names an entry directly in the temporary folder, where
// other users may look: the files the layer makes there are this user's alone.
bool InTempFolder(const std::string &native)
{
    const size_t slash = native.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    // The folders' own names first, so that most creations cost no status call.
    std::string temp = NativeTempFolder();
    while (temp.size() > 1 && temp.back() == '/')
        temp.pop_back();
    auto lastName = [](const std::string &path) {
        const size_t at = path.rfind('/');
        return at == std::string::npos ? path : path.substr(at + 1);
    };
    if (slash != std::string::npos && lastName(parent) != lastName(temp))
        return false;
    struct stat folderInfo, tempInfo;
    return ::stat(parent.c_str(), &folderInfo) == 0 && ::stat(temp.c_str(), &tempInfo) == 0 &&
           folderInfo.st_dev == tempInfo.st_dev && folderInfo.st_ino == tempInfo.st_ino;
}

} // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPVOID securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile)
{
    const bool wantRead = desiredAccess & GENERIC_READ;
    const bool wantWrite = desiredAccess & GENERIC_WRITE;
    const bool truncate =
        creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
    const bool mayCreate = creationDisposition == CREATE_NEW ||
                           creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING ||
        (creationDisposition == TRUNCATE_EXISTING && !wantWrite)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string native;
    DWORD absent = 0;
    if (!Map(fileName, native, &absent))
        return INVALID_HANDLE_VALUE;
    if (absent && !mayCreate) {
        SetLastError(absent);
        return INVALID_HANDLE_VALUE;
    }

    struct stat st;
    if (::stat(native.c_str(), &st) == 0) {
        DWORD refusal = creationDisposition == CREATE_NEW                  ? ERROR_FILE_EXISTS
                        : S_ISDIR(st.st_mode)                              ? ERROR_ACCESS_DENIED
                        : (wantWrite || truncate) && WriteProtected(st)    ? ERROR_ACCESS_DENIED
                                                                           : ERROR_SUCCESS;
        if (refusal != ERROR_SUCCESS) {
            SetLastError(refusal);
            return INVALID_HANDLE_VALUE;
        }
    }

    const int access = wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    const bool ownerOnly =
        (flagsAndAttributes & FILE_ATTRIBUTE_ENCRYPTED) || (mayCreate && InTempFolder(native));
    const mode_t mode = ((flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666) & (ownerOnly ? 0600 : 0777);
    int fd = -1;
    bool created = false;
    // Creation is tried first so that "existed" is known exactly; a file removed
    // by someone else between the two opens sends the loop round again.
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        CountFileOpen();
        if (mayCreate) {
            fd = ::open(native.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                created = true;
                break;
            }
            if (errno != EEXIST || creationDisposition == CREATE_NEW)
                break;
        }
        fd = ::open(native.c_str(), access | O_CLOEXEC | (truncate ? O_TRUNC : 0));
        if (fd < 0 && (errno != ENOENT || !mayCreate))
            break;
    }
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, native));
        return INVALID_HANDLE_VALUE;
    }
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (created)
        NotePathCreated(native);
    else if (truncate && wantWrite)
        NoteFileChanged();
    if (!created && (flagsAndAttributes & FILE_ATTRIBUTE_ENCRYPTED) && wantWrite && st.st_uid == ::geteuid() &&
             (st.st_mode & 077) != 0)
        ::fchmod(fd, st.st_mode & 0700);
    if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) {
        ::unlink(native.c_str());
        NotePathRemoved(native);
    }
    HANDLE h = AddKernelObject(std::make_shared<FileObject>(fd, native, wantWrite));
    const bool reportsExisting =
        creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS;
    SetLastError(!created && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPVOID overlapped)
{
    if (bytesRead)
        *bytesRead = 0;
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    if (!buffer && bytesToRead > 0)
        return Fail(ERROR_INVALID_PARAMETER);
    char *out = static_cast<char *>(buffer);
    DWORD done = 0;
    while (done < bytesToRead) {
        ssize_t n = ::read(f->fd, out + done, bytesToRead - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bytesRead)
                *bytesRead = done;
            return Fail(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno, f->native));
        }
        if (n == 0)
            break;
        done += static_cast<DWORD>(n);
    }
    if (bytesRead)
        *bytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPVOID overlapped)
{
    if (bytesWritten)
        *bytesWritten = 0;
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    if (!buffer && bytesToWrite > 0)
        return Fail(ERROR_INVALID_PARAMETER);
    const char *in = static_cast<const char *>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite) {
        ssize_t n = ::write(f->fd, in + done, bytesToWrite - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bytesWritten)
                *bytesWritten = done;
            return Fail(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno, f->native));
        }
        done += static_cast<DWORD>(n);
    }
    if (bytesWritten)
        *bytesWritten = done;
    if (done > 0)
        NoteFileChanged();
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LPLONG distanceHigh, DWORD moveMethod)
{
    auto f = FindFile(file);
    if (!f)
        return INVALID_SET_FILE_POINTER;
    int64_t move = distanceHigh
                       ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                              static_cast<uint32_t>(distance))
                       : distance;
    int64_t base;
    struct stat st;
    switch (moveMethod) {
    case FILE_BEGIN:
        base = 0;
        break;
    case FILE_CURRENT:
        base = ::lseek(f->fd, 0, SEEK_CUR);
        break;
    case FILE_END:
        base = ::fstat(f->fd, &st) == 0 ? st.st_size : -1;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(ErrorFromErrno(errno, f->native));
        return INVALID_SET_FILE_POINTER;
    }
    if ((move > 0 && base > INT64_MAX - move) || base + move < 0) {
        SetLastError(move > 0 ? ERROR_INVALID_PARAMETER : ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + move;
    if (!distanceHigh && target > 0xFFFFFFFEll) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(f->fd, target, SEEK_SET) < 0) {
        SetLastError(ErrorFromErrno(errno, f->native));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file)
{
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    off_t position = ::lseek(f->fd, 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(f->fd, position) != 0)
        return Fail(errno == EBADF || errno == EINVAL ? ERROR_ACCESS_DENIED
                                                      : ErrorFromErrno(errno, f->native));
    NoteFileChanged();
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    auto f = FindFile(file);
    struct stat st;
    if (!f || ::fstat(f->fd, &st) != 0) {
        if (f)
            SetLastError(ErrorFromErrno(errno, f->native));
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (fileSizeHigh)
        *fileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE file)
{
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    if (::fsync(f->fd) != 0 && errno != EINVAL)
        return FailErrno(f->native);
    return TRUE;
}

namespace {

// A Windows byte range as a POSIX one: offsets are signed there, so a range
// reaching past the largest offset (the usual "lock everything" call) is cut
// there. False for a range that starts beyond it.
bool ToRange(DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh, LockedRange &range)
{
    uint64_t start = (static_cast<uint64_t>(offsetHigh) << 32) | offsetLow;
    uint64_t length = (static_cast<uint64_t>(bytesHigh) << 32) | bytesLow;
    if (start > static_cast<uint64_t>(INT64_MAX))
        return false;
    uint64_t room = static_cast<uint64_t>(INT64_MAX) - start;
    range.start = static_cast<off_t>(start);
    range.length = static_cast<off_t>(length < room ? length : room);
    return true;
}

bool Overlap(const LockedRange &a, const LockedRange &b)
{
    return a.start < b.start + b.length && b.start < a.start + a.length;
}

} // namespace

BOOL LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh)
{
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    LockedRange range;
    if (!ToRange(offsetLow, offsetHigh, bytesLow, bytesHigh, range))
        return Fail(ERROR_INVALID_PARAMETER);
    // An empty range locks nothing (a POSIX length of 0 would mean "to the end").
    if (range.length == 0)
        return TRUE;
    std::lock_guard<std::mutex> guard(f->rangesLock);
    for (const LockedRange &held : f->ranges)
        if (Overlap(held, range))
            return Fail(ERROR_LOCK_VIOLATION);
    struct flock request {};
    request.l_type = f->canWrite ? F_WRLCK : F_RDLCK;
    request.l_whence = SEEK_SET;
    request.l_start = range.start;
    request.l_len = range.length;
    if (::fcntl(f->fd, F_OFD_SETLK, &request) != 0)
        return Fail(errno == EAGAIN || errno == EACCES ? ERROR_LOCK_VIOLATION
                                                       : ErrorFromErrno(errno, f->native));
    f->ranges.push_back(range);
    return TRUE;
}

BOOL UnlockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh)
{
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    LockedRange range;
    if (!ToRange(offsetLow, offsetHigh, bytesLow, bytesHigh, range))
        return Fail(ERROR_NOT_LOCKED);
    if (range.length == 0)
        return TRUE;
    std::lock_guard<std::mutex> guard(f->rangesLock);
    for (auto it = f->ranges.begin(); it != f->ranges.end(); ++it) {
        if (it->start != range.start || it->length != range.length)
            continue;
        struct flock request {};
        request.l_type = F_UNLCK;
        request.l_whence = SEEK_SET;
        request.l_start = range.start;
        request.l_len = range.length;
        if (::fcntl(f->fd, F_OFD_SETLK, &request) != 0)
            return FailErrno(f->native);
        f->ranges.erase(it);
        return TRUE;
    }
    return Fail(ERROR_NOT_LOCKED);
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION *info)
{
    auto f = FindFile(file);
    if (!f)
        return FALSE;
    if (!info)
        return Fail(ERROR_INVALID_PARAMETER);
    struct stat st;
    if (::fstat(f->fd, &st) != 0)
        return FailErrno(f->native);
    memset(info, 0, sizeof *info);
    info->dwFileAttributes = AttributesOf(st);
    info->ftCreationTime = CreationTimeOf(f->fd, "", AT_EMPTY_PATH, st);
    info->ftLastAccessTime = TimeOf(st.st_atim);
    info->ftLastWriteTime = TimeOf(st.st_mtim);
    info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
    uint64_t size = static_cast<uint64_t>(st.st_size);
    info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    info->nFileSizeLow = static_cast<DWORD>(size);
    info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    uint64_t index = static_cast<uint64_t>(st.st_ino);
    info->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    info->nFileIndexLow = static_cast<DWORD>(index);
    return TRUE;
}

BOOL GetFileTime(HANDLE file, FILETIME *creation, FILETIME *lastAccess, FILETIME *lastWrite)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return FALSE;
    if (creation)
        *creation = info.ftCreationTime;
    if (lastAccess)
        *lastAccess = info.ftLastAccessTime;
    if (lastWrite)
        *lastWrite = info.ftLastWriteTime;
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName)
{
    std::string native;
    DWORD absent = 0;
    if (!Map(fileName, native, &absent))
        return INVALID_FILE_ATTRIBUTES;
    if (absent) {
        SetLastError(absent);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, native));
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(st);
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes)
{
    std::string native;
    if (!Map(fileName, native))
        return FALSE;
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return FailErrno(native);
    if (S_ISDIR(st.st_mode))
        return TRUE;
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(0222);
    else if ((mode & 0222) == 0)
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(native.c_str(), mode) != 0)
        return FailErrno(native);
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPVOID securityAttributes)
{
    std::string native;
    if (!Map(pathName, native))
        return FALSE;
    if (::mkdir(native.c_str(), 0777) != 0)
        return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno, native));
    NotePathCreated(native);
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR pathName)
{
    std::string native;
    if (!Map(pathName, native))
        return FALSE;
    if (::rmdir(native.c_str()) != 0)
        return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno, native));
    NotePathRemoved(native);
    return TRUE;
}

BOOL MakeDirectoryPath(LPCSTR pathName)
{
    std::string native;
    if (!Map(pathName, native))
        return FALSE;
    return MakeNativeDirectories(native);
}

BOOL DeleteFileA(LPCSTR fileName)
{
    std::string native;
    if (!Map(fileName, native))
        return FALSE;
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0)
        return FailErrno(native);
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && WriteProtected(st)))
        return Fail(ERROR_ACCESS_DENIED);
    if (::unlink(native.c_str()) != 0)
        return FailErrno(native);
    NotePathRemoved(native);
    return TRUE;
}

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists)
{
    std::string from, to;
    if (!Map(existingFileName, from) || !Map(newFileName, to))
        return FALSE;
    return CopyNative(from, to, failIfExists != FALSE);
}

BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName)
{
    std::string from, to;
    if (!Map(existingFileName, from) || !Map(newFileName, to))
        return FALSE;
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0)
        return FailErrno(from);
    if (from == to)
        return TRUE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        int err = errno;
        if (err == EINVAL || err == ENOSYS) {
            // A file system without the no-replace rename: test, then rename.
            struct stat existing;
            if (::lstat(to.c_str(), &existing) == 0)
                return Fail(ERROR_ALREADY_EXISTS);
            if (::rename(from.c_str(), to.c_str()) != 0)
                return FailErrno(to);
        } else if (err == EXDEV && S_ISREG(st.st_mode)) {
            if (!CopyNative(from, to, true))
                return FALSE;
            ::unlink(from.c_str());
        } else {
            return Fail(err == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(err, to));
        }
    }
    NotePathRemoved(from);
    NotePathCreated(to);
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags)
{
    if (flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && !(flags & MOVEFILE_WRITE_THROUGH))
        return MoveFileA(existingFileName, newFileName);
    std::string from, to;
    if (!Map(existingFileName, from) || !Map(newFileName, to))
        return FALSE;
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0)
        return FailErrno(from);
    if (from == to)
        return TRUE;
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        if (S_ISDIR(existing.st_mode) || S_ISDIR(st.st_mode) ||
            (S_ISREG(existing.st_mode) && WriteProtected(existing)))
            return Fail(ERROR_ACCESS_DENIED);
    }
    const int renamed = (flags & MOVEFILE_REPLACE_EXISTING)
                            ? ::rename(from.c_str(), to.c_str())
                            : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (renamed != 0)
        return Fail(errno == EXDEV ? ERROR_NOT_SAME_DEVICE : errno == EEXIST ? ERROR_ALREADY_EXISTS
                                                                             : ErrorFromErrno(errno, to));
    NotePathRemoved(from);
    NotePathCreated(to);
    if (flags & MOVEFILE_WRITE_THROUGH) {
        const size_t slash = to.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA *findData)
{
    if (!fileName || !findData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string_view path(fileName);
    size_t separator = LastSeparator(path);
    std::string_view pattern =
        separator == std::string_view::npos ? path : path.substr(separator + 1);
    std::string folderPart =
        separator == std::string_view::npos ? "." : std::string(path.substr(0, separator + 1));
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>();
    if (!Map(folderPart.c_str(), search->folder))
        return INVALID_HANDLE_VALUE;
    DIR *dir = ::opendir(search->folder.c_str());
    CountFolderListing();
    if (!dir) {
        SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : ErrorFromErrno(errno, search->folder));
        return INVALID_HANDLE_VALUE;
    }
    while (dirent *entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string gbk = NativeToWinPath(name);
        if (gbk.size() < MAX_PATH && WildcardMatch(pattern, gbk))
            search->entries.push_back({std::move(name), std::move(gbk)});
    }
    ::closedir(dir);
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    FillFindData(*search, search->entries[0], findData);
    search->next = 1;
    SetLastError(ERROR_SUCCESS);
    return AddKernelObject(search);
}

BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA *findData)
{
    auto search = FindKernelObjectAs<FindObject>(findFile);
    if (!search)
        return Fail(ERROR_INVALID_HANDLE);
    if (!findData)
        return Fail(ERROR_INVALID_PARAMETER);
    if (search->next >= search->entries.size())
        return Fail(ERROR_NO_MORE_FILES);
    FillFindData(*search, search->entries[search->next++], findData);
    return TRUE;
}

BOOL FindClose(HANDLE findFile)
{
    if (!FindKernelObjectAs<FindObject>(findFile))
        return Fail(ERROR_INVALID_HANDLE);
    return CloseHandle(findFile);
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer)
{
    std::string dir = NativeTempFolder();
    if (dir.front() != '/') {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd))
            dir = std::string(cwd) + "/" + dir;
    }
    if (dir.back() != '/')
        dir += '/';
    return CopyOut(NativeToWinPath(dir), buffer, bufferLength);
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer)
{
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) {
        SetLastError(ErrorFromErrno(errno, ""));
        return 0;
    }
    return CopyOut(NativeToWinPath(cwd), buffer, bufferLength);
}

BOOL SetCurrentDirectoryA(LPCSTR pathName)
{
    std::string native;
    if (!Map(pathName, native))
        return FALSE;
    if (::chdir(native.c_str()) != 0)
        return FailErrno(native);
    NoteWorkingFolderChanged();
    return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    std::string dir;
    const char *configured = ::getenv("LUMO_WINDIR");
    if (configured && *configured) {
        dir = configured;
    } else {
        const char *config = ::getenv("XDG_CONFIG_HOME");
        if (config && *config == '/') {
            dir = config;
        } else {
            const char *home = ::getenv("HOME");
            if (!home || *home != '/') {
                SetLastError(ERROR_PATH_NOT_FOUND);
                return 0;
            }
            dir = std::string(home) + "/.config";
        }
        dir += "/lumo/windows";
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (dir.front() != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        dir = std::string(cwd) + "/" + dir;
    }
    if (!MakeNativeDirectories(dir))
        return 0;
    return CopyOut(NativeToWinPath(dir), buffer, size);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    if (module != 0)
        return Fail(ERROR_MOD_NOT_FOUND);
    char exe[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n < 0)
        return Fail(ErrorFromErrno(errno, ""));
    std::string path = NativeToWinPath(std::string_view(exe, static_cast<size_t>(n)));
    if (!fileName || size == 0)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (path.size() < size) {
        memcpy(fileName, path.data(), path.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    GbkCopyToField(fileName, size - 1, path);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

BOOL WorkFromProgramFolder()
{
    char path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameA(0, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return FALSE;
    char *slash = std::strrchr(path, '/');
    if (!slash)
        return FALSE;
    slash[1] = 0;
    return SetCurrentDirectoryA(path);
}

UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefixString, UINT unique, LPSTR tempFileName)
{
    if (!pathName || !tempFileName)
        return Fail(ERROR_INVALID_PARAMETER);
    std::string folder(pathName);
    if (!folder.empty() && LastSeparator(folder) != folder.size() - 1)
        folder += '/';
    std::string prefix;
    if (prefixString) {
        std::vector<std::string_view> chars = GbkChars(prefixString);
        for (size_t i = 0; i < chars.size() && i < 3; ++i)
            prefix += chars[i];
    }
    auto nameFor = [&](UINT number) {
        char digits[16];
        snprintf(digits, sizeof digits, "%X.TMP", number & 0xFFFF);
        return prefix + digits;
    };
    auto copyName = [&](UINT number) -> bool {
        std::string full = folder + nameFor(number);
        if (full.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        memcpy(tempFileName, full.c_str(), full.size() + 1);
        return true;
    };
    if (unique != 0)
        return copyName(unique) ? unique & 0xFFFF : 0;

    std::string nativeFolder;
    if (!Map(folder.empty() ? "." : folder.c_str(), nativeFolder))
        return 0;
    static std::atomic<UINT> counter{0};
    UINT start = static_cast<UINT>(::getpid()) * 2654435761u + counter.fetch_add(7919) +
                 static_cast<UINT>(::time(nullptr));
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT number = (start + i) & 0xFFFF;
        if (number == 0)
            continue;
        std::string native = nativeFolder + "/" + GbkToUtf8(nameFor(number));
        CountFileOpen();
        // The file is this user's alone: others may list the folder, never read it.
        int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Fail(ErrorFromErrno(errno, native));
        }
        ::close(fd);
        NotePathCreated(native);
        if (!copyName(number)) {
            ::unlink(native.c_str());
            NotePathRemoved(native);
            return 0;
        }
        SetLastError(ERROR_SUCCESS);
        return number;
    }
    return Fail(ERROR_FILE_EXISTS);
}

} // namespace win
