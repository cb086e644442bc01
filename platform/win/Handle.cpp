#include "platform/win/Handle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/win/Runtime.h"

namespace win {
namespace {

std::mutex tableLock;
std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> &Table()
{
    static auto *table = new std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>;
    return *table;
}

// Handle numbers are multiples of 4, as on Windows. A process takes a block of
// them at a time from the counter file of the runtime folder, so that the numbers
// of all the user's processes differ and none comes back while they run.
constexpr DWORD kStep = 4;
constexpr DWORD kBlock = 256 * kStep;
constexpr DWORD kFirst = 0x1000;
constexpr DWORD kLimit = 0x7FFFF000u;

std::mutex numberLock;
DWORD nextNumber = 0;
DWORD blockEnd = 0;

// Reserves the next block in the shared counter; false when the runtime folder
// or its counter file cannot be used.
bool TakeSharedBlock(DWORD &first)
{
    const std::string &folder = RuntimeFolder();
    if (folder.empty())
        return false;
    int fd = open((folder + "/handles").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    bool ok = false;
    if (flock(fd, LOCK_EX) == 0) {
        char text[32] = {};
        ssize_t got = pread(fd, text, sizeof text - 1, 0);
        char *end = nullptr;
        unsigned long stored = got > 0 ? std::strtoul(text, &end, 10) : 0;
        if (got <= 0 || end == text || stored < kFirst || stored > kLimit)
            stored = kFirst;
        first = static_cast<DWORD>(stored);
        std::string next = std::to_string(first + kBlock) + "\n";
        ok = pwrite(fd, next.data(), next.size(), 0) == static_cast<ssize_t>(next.size()) &&
             ftruncate(fd, static_cast<off_t>(next.size())) == 0;
        flock(fd, LOCK_UN);
    }
    close(fd);
    return ok;
}

} // namespace

DWORD AllocateHandleNumber()
{
    std::lock_guard<std::mutex> guard(numberLock);
    if (nextNumber == 0 || nextNumber >= blockEnd) {
        DWORD first = 0;
        if (TakeSharedBlock(first)) {
            nextNumber = first;
        } else {
            // Without a runtime folder the numbers only need to differ inside this
            // process; the process id spreads them apart from other processes'.
            if (nextNumber == 0 || nextNumber >= kLimit)
                nextNumber = kFirst + (static_cast<DWORD>(getpid()) % 0x3FFF) * 0x20000;
        }
        blockEnd = nextNumber + kBlock;
    }
    DWORD n = nextNumber;
    nextNumber += kStep;
    return n;
}

HANDLE AddKernelObject(std::shared_ptr<KernelObject> object)
{
    HANDLE h = AllocateHandleNumber();
    std::lock_guard<std::mutex> guard(tableLock);
    Table()[h] = std::move(object);
    return h;
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE h)
{
    std::lock_guard<std::mutex> guard(tableLock);
    auto it = Table().find(h);
    return it == Table().end() ? nullptr : it->second;
}

BOOL CloseHandle(HANDLE h)
{
    std::shared_ptr<KernelObject> object;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto it = Table().find(h);
        if (it == Table().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(it->second);
        Table().erase(it);
    }
    // The object is released outside the lock: its destructor may close a
    // descriptor or join a thread.
    object.reset();
    return TRUE;
}

} // namespace win
