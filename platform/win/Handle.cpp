#include "platform/win/Handle.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace win {
namespace {

std::mutex tableLock;
std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> &Table()
{
    static auto *table = new std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>;
    return *table;
}

std::atomic<DWORD> nextNumber{0x100};

} // namespace

DWORD AllocateHandleNumber()
{
    DWORD n = nextNumber.fetch_add(4);
    return n & 0x7FFFFFFFu;
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
