#include "platform/win/Heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

using namespace win;

TEST(Heap, BlocksStartZeroedAndKnowTheirSize)
{
    const HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, 0u);
    for (SIZE_T size : {SIZE_T(0), SIZE_T(1), SIZE_T(17), SIZE_T(4096), SIZE_T(1) << 20}) {
        for (DWORD flags : {DWORD(0), HEAP_ZERO_MEMORY}) {
            auto *block = static_cast<unsigned char *>(HeapAlloc(heap, flags, size));
            ASSERT_NE(block, nullptr) << size;
            EXPECT_EQ(HeapSize(heap, 0, block), size);
            EXPECT_TRUE(std::all_of(block, block + size, [](unsigned char c) { return c == 0; })) << size;
            std::memset(block, 0xAB, size);
            EXPECT_TRUE(HeapFree(heap, 0, block));
        }
    }
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

TEST(Heap, ImpossibleRequestsFailCleanly)
{
    const HANDLE heap = GetProcessHeap();
    for (SIZE_T size : {SIZE_MAX, SIZE_MAX - 8, SIZE_T(1) << 50}) {
        SetLastError(0);
        EXPECT_EQ(HeapAlloc(heap, HEAP_ZERO_MEMORY, size), nullptr) << size;
        EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    }
    EXPECT_EQ(HeapAlloc(heap + 4, 0, 16), nullptr);
}

TEST(Heap, UsableFromAnyThread)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 1000; ++i) {
                void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, SIZE_T(t * 100 + i));
                ASSERT_NE(block, nullptr);
                EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), SIZE_T(t * 100 + i));
                HeapFree(GetProcessHeap(), 0, block);
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
}
