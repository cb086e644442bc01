#include "platform/win/ExclusiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/win/Path.h"
#include "platform/win/Runtime.h"

namespace win {

std::string PrivateTempFolder()
{
    const std::string &runtime = RuntimeFolder();
    if (runtime.empty())
        return {};
    const std::string folder = runtime + "/tmp";
    if (::mkdir(folder.c_str(), 0700) == 0)
        NotePathCreated(folder);
    else if (errno != EEXIST)
        return {};
    // The runtime folder is this user's alone; still, only a plain folder of ours
    // is taken, and kept closed to others.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return {};
    if ((st.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return {};
    return NativeToWinPath(folder) + "/";
}

std::FILE *CreateExclusiveFile(const std::string &folder, const char *prefix, const char *suffix,
                               std::string &path)
{
    const std::string base = folder.empty() ? PrivateTempFolder() : folder;
    if (base.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 pick(seed());
    std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = base + (prefix ? prefix : "");
        for (int i = 0; i < 6; ++i)
            name += kLetters[letter(pick)];
        name += suffix ? suffix : "";
        const std::string native = MapPath(name);
        if (native.empty()) {
            errno = ENOENT;
            return nullptr;
        }
        int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        NotePathCreated(native);
        std::FILE *stream = ::fdopen(fd, "w+b");
        if (!stream) {
            const int err = errno;
            ::close(fd);
            ::unlink(native.c_str());
            NotePathRemoved(native);
            errno = err;
            return nullptr;
        }
        path = name;
        return stream;
    }
    errno = EEXIST;
    return nullptr;
}

} // namespace win
