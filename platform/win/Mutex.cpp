#include "platform/win/Mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win/Runtime.h"

namespace win {
namespace {

class NamedMutex : public KernelObject {
public:
    explicit NamedMutex(int fd) : fd_(fd) {}
    ~NamedMutex() override { ::close(fd_); }

private:
    int fd_;
};

// The lock file's name: a hash of the name's bytes, so that any name (with
// separators, GBK text or any length) makes a valid short file name.
std::string LockFileName(const std::string &name)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : name) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    char text[24];
    std::snprintf(text, sizeof text, "m%016llx", static_cast<unsigned long long>(h));
    return text;
}

} // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    const std::string &folder = RuntimeFolder();
    if (folder.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    std::string path = folder + "/" + LockFileName(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    bool exists = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (exists && errno != EWOULDBLOCK) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    HANDLE h = AddKernelObject(std::make_shared<NamedMutex>(fd));
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

} // namespace win
