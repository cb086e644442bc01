#include "platform/win/Heap.h"

#include <sys/sysinfo.h>

#include <cstdlib>

#include "platform/win/Handle.h"

namespace win {
namespace {

// Each block is preceded by a header holding its size; the header's width keeps
// the block aligned as malloc aligns.
constexpr size_t kHeader =
    alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

// No request larger than the machine's memory and swap together can be served;
// refusing it outright keeps the allocator from overcommitting or aborting.
size_t LargestRequest()
{
    static const size_t limit = [] {
        struct sysinfo info {};
        if (::sysinfo(&info) != 0)
            return size_t(1) << 40;
        const unsigned long long total =
            (static_cast<unsigned long long>(info.totalram) + info.totalswap) * info.mem_unit;
        return static_cast<size_t>(total);
    }();
    return limit;
}

unsigned char *Base(LPCVOID block)
{
    return static_cast<unsigned char *>(const_cast<void *>(block)) - kHeader;
}

} // namespace

HANDLE GetProcessHeap()
{
    static const HANDLE heap = AllocateHandleNumber();
    return heap;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (heap != GetProcessHeap() || bytes > LargestRequest() || bytes > SIZE_MAX - kHeader) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto *base = static_cast<unsigned char *>(std::calloc(1, kHeader + bytes));
    if (base == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    *reinterpret_cast<size_t *>(base) = bytes;
    return base + kHeader;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    if (heap != GetProcessHeap()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block != nullptr)
        std::free(Base(block));
    return TRUE;
}

SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block)
{
    if (heap != GetProcessHeap() || block == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return SIZE_T(-1);
    }
    return *reinterpret_cast<const size_t *>(Base(block));
}

} // namespace win
