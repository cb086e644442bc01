#include "platform/win/Stdio.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/win/File.h"
#include "platform/win/Path.h"

namespace win {
namespace {

// A text-mode stream over a descriptor: CR LF on disk, LF in the program.
class TextStream {
public:
    explicit TextStream(int fd) : fd_(fd) {}
    ~TextStream()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    ssize_t Read(char *out, size_t size)
    {
        size_t done = 0;
        while (done < size) {
            if (pos_ == len_) {
                if (done > 0)
                    break;
                ssize_t n = ::read(fd_, raw_, sizeof raw_);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    return -1;
                }
                if (n == 0) {
                    if (pendingCr_) {
                        pendingCr_ = false;
                        out[done++] = '\r';
                    }
                    break;
                }
                pos_ = 0;
                len_ = static_cast<size_t>(n);
            }
            char c = raw_[pos_];
            if (pendingCr_) {
                // A CR is held back until the next byte shows whether it ends a line.
                pendingCr_ = false;
                if (c == '\n') {
                    ++pos_;
                    out[done++] = '\n';
                } else {
                    out[done++] = '\r';
                }
                continue;
            }
            ++pos_;
            if (c == '\r')
                pendingCr_ = true;
            else
                out[done++] = c;
        }
        return static_cast<ssize_t>(done);
    }

    ssize_t Write(const char *in, size_t size)
    {
        if (!DropReadAhead())
            return -1;
        std::string out;
        out.reserve(size + size / 8 + 2);
        for (size_t i = 0; i < size; ++i) {
            if (in[i] == '\n')
                out += '\r';
            out += in[i];
        }
        const char *p = out.data();
        size_t left = out.size();
        while (left > 0) {
            ssize_t n = ::write(fd_, p, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(size);
    }

    int Seek(off64_t *offset, int whence)
    {
        if (!DropReadAhead())
            return -1;
        off64_t target = ::lseek64(fd_, *offset, whence);
        if (target < 0)
            return -1;
        *offset = target;
        return 0;
    }

    int Close()
    {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    // Moves the descriptor back over bytes read ahead and not yet delivered.
    bool DropReadAhead()
    {
        off64_t unread = static_cast<off64_t>(len_ - pos_) + (pendingCr_ ? 1 : 0);
        pos_ = len_ = 0;
        pendingCr_ = false;
        return unread == 0 || ::lseek64(fd_, -unread, SEEK_CUR) >= 0;
    }

    int fd_;
    char raw_[4096];
    size_t pos_ = 0;
    size_t len_ = 0;
    bool pendingCr_ = false;
};

ssize_t TextRead(void *cookie, char *buffer, size_t size)
{
    return static_cast<TextStream *>(cookie)->Read(buffer, size);
}

ssize_t TextWrite(void *cookie, const char *buffer, size_t size)
{
    ssize_t n = static_cast<TextStream *>(cookie)->Write(buffer, size);
    if (n > 0)
        NoteFileChanged();
    return n;
}

int TextSeek(void *cookie, off64_t *offset, int whence)
{
    return static_cast<TextStream *>(cookie)->Seek(offset, whence);
}

int TextClose(void *cookie)
{
    auto *stream = static_cast<TextStream *>(cookie);
    int result = stream->Close();
    delete stream;
    return result;
}

// A binary stream that writes: the bytes as they are, each write the buffer
// hands down reported as a change of the file system.
struct BinaryStream {
    int fd;
};

ssize_t BinaryRead(void *cookie, char *buffer, size_t size)
{
    ssize_t n;
    do
        n = ::read(static_cast<BinaryStream *>(cookie)->fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

ssize_t BinaryWrite(void *cookie, const char *buffer, size_t size)
{
    int fd = static_cast<BinaryStream *>(cookie)->fd;
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    if (done > 0)
        NoteFileChanged();
    return done > 0 || size == 0 ? static_cast<ssize_t>(done) : -1;
}

int BinarySeek(void *cookie, off64_t *offset, int whence)
{
    off64_t target = ::lseek64(static_cast<BinaryStream *>(cookie)->fd, *offset, whence);
    if (target < 0)
        return -1;
    *offset = target;
    return 0;
}

int BinaryClose(void *cookie)
{
    auto *stream = static_cast<BinaryStream *>(cookie);
    int result = ::close(stream->fd);
    delete stream;
    return result;
}

int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

bool MapForC(const char *winPath, std::string &native)
{
    if (!winPath) {
        errno = EINVAL;
        return false;
    }
    native = MapPath(winPath);
    if (native.empty()) {
        errno = ErrnoOf(GetLastError());
        return false;
    }
    return true;
}

} // namespace

std::FILE *fopen(const char *winPath, const char *mode)
{
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
        errno = EINVAL;
        return nullptr;
    }
    bool plus = false;
    bool binary = false;
    for (const char *m = mode + 1; *m; ++m) {
        if (*m == '+')
            plus = true;
        else if (*m == 'b')
            binary = true;
        else if (*m == 't')
            binary = false;
    }
    std::string native;
    if (!MapForC(winPath, native))
        return nullptr;

    int flags = O_CLOEXEC | (plus ? O_RDWR : mode[0] == 'r' ? O_RDONLY : O_WRONLY);
    if (mode[0] == 'w')
        flags |= O_CREAT | O_TRUNC;
    else if (mode[0] == 'a')
        flags |= O_CREAT | O_APPEND;
    const bool writes = plus || mode[0] != 'r';

    struct stat st;
    const bool existed = ::stat(native.c_str(), &st) == 0;
    if (existed && (S_ISDIR(st.st_mode) || (writes && (st.st_mode & 0222) == 0))) {
        errno = EACCES;
        return nullptr;
    }
    CountFileOpen();
    int fd = ::open(native.c_str(), flags, 0666);
    if (fd < 0)
        return nullptr;
    if (!existed && (flags & O_CREAT))
        NotePathCreated(native);

    const char *streamMode = plus ? (mode[0] == 'r' ? "r+" : mode[0] == 'w' ? "w+" : "a+")
                                  : (mode[0] == 'r' ? "r" : mode[0] == 'w' ? "w" : "a");
    if (existed && (flags & O_TRUNC))
        NoteFileChanged();

    std::FILE *stream;
    if (binary && writes) {
        auto *cookie = new BinaryStream{fd};
        stream = ::fopencookie(cookie, streamMode, {BinaryRead, BinaryWrite, BinarySeek, BinaryClose});
        if (!stream) {
            int err = errno;
            ::close(fd);
            delete cookie;
            errno = err;
        }
        return stream;
    }
    if (binary) {
        stream = ::fdopen(fd, streamMode);
        if (!stream) {
            int err = errno;
            ::close(fd);
            errno = err;
        }
        return stream;
    }
    auto *text = new TextStream(fd);
    stream = ::fopencookie(text, streamMode, {TextRead, TextWrite, TextSeek, TextClose});
    if (!stream) {
        int err = errno;
        delete text;
        errno = err;
        return nullptr;
    }
    // The stream itself keeps no buffer, so that positions are byte offsets on
    // disk; the text stream reads ahead on its own and writes each call at once.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
}

int remove(const char *winPath)
{
    if (!DeleteFileA(winPath)) {
        errno = ErrnoOf(GetLastError());
        return -1;
    }
    return 0;
}

int rename(const char *oldWinPath, const char *newWinPath)
{
    if (!MoveFileA(oldWinPath, newWinPath)) {
        errno = ErrnoOf(GetLastError());
        return -1;
    }
    return 0;
}

int access(const char *winPath, int mode)
{
    std::string native;
    if (!MapForC(winPath, native))
        return -1;
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return -1;
    if ((mode & 2) && !S_ISDIR(st.st_mode) && (st.st_mode & 0222) == 0) {
        errno = EACCES;
        return -1;
    }
    int want = ((mode & 2) ? W_OK : 0) | ((mode & 4) ? R_OK : 0);
    return ::access(native.c_str(), want ? want : F_OK);
}

} // namespace win
