#include "lumon/core/EMemOp.h"

#include <cstring>

#include "platform/win/Heap.h"

using namespace win;

namespace {

// Taken on the first allocation and kept to the end of the process.
HANDLE ProcessHeap()
{
    static HANDLE heap = GetProcessHeap();
    return heap;
}

} // namespace

void *EMemAlloc(size_t size)
{
    return HeapAlloc(ProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void EMemFree(void *p)
{
    if (p)
        HeapFree(ProcessHeap(), 0, p);
}

size_t EMemSize(const void *p)
{
    return p ? HeapSize(ProcessHeap(), 0, p) : 0;
}

void *AddBlockToChain(void *&head, int n, int itemSize)
{
    if (n < 0 || itemSize < 0)
        return nullptr;
    size_t bytes = size_t(n) * size_t(itemSize) + EBlockLinkSize;
    void *block = EMemAlloc(bytes);
    if (!block)
        return nullptr;
    std::memcpy(block, &head, sizeof(void *));
    head = block;
    return block;
}

void FreeBlockChain(void *&head)
{
    void *block = head;
    while (block) {
        void *next;
        std::memcpy(&next, block, sizeof(void *));
        EMemFree(block);
        block = next;
    }
    head = nullptr;
}
