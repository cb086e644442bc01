// Growable arrays, pointer maps and the heap they live on.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "lumon/core/EArray.h"
#include "lumon/core/ECriticalSection.h"
#include "lumon/core/EMap.h"
#include "lumon/core/EMemOp.h"

namespace {

template <typename T>
int CapacityOf(EArray<T> &a)
{
    return int(EMemSize(a.GetData()) / sizeof(T));
}

struct Record48 {
    uint8_t bytes[48];
};

TEST(EMemOp, BlocksStartZeroFilledAndKnowTheirSize)
{
    for (size_t size : {1u, 48u, 4096u, 100000u}) {
        auto *p = static_cast<unsigned char *>(EMemAlloc(size));
        ASSERT_NE(p, nullptr);
        EXPECT_GE(EMemSize(p), size);
        for (size_t i = 0; i < size; ++i)
            ASSERT_EQ(p[i], 0) << size;
        EMemFree(p);
    }
    EMemFree(nullptr);
}

TEST(EArray, CapacityDoublesFromTheSecondGrowth)
{
    EArray<int> a(1000);
    std::vector<int> seen{CapacityOf(a)};
    for (int i = 0; i < 7000; ++i) {
        ASSERT_EQ(a.Add(i), i);
        if (CapacityOf(a) != seen.back())
            seen.push_back(CapacityOf(a));
    }
    EXPECT_EQ(seen, (std::vector<int>{1000, 2000, 4000, 8000}));
    for (int i = 0; i < 7000; i += 999)
        EXPECT_EQ(a.GetAt(i), i);
}

TEST(EArray, GrowByZeroHoldsItsFirst128ItemsOnly)
{
    EArray<Record48> a(0);
    EXPECT_EQ(CapacityOf(a), 128);
    Record48 r{};
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(a.Add(r), i);
    EXPECT_EQ(a.Add(r), -1);
    EXPECT_EQ(a.GetCount(), 128);
}

TEST(EArray, RemoveAtAndSetCount)
{
    struct Case {
        int index, number;
        std::vector<int> left;
    } cases[] = {
        {1, 2, {0, 3, 4}},      // items behind move down
        {3, 2, {0, 1, 2}},      // i + n reaches the count: cut to i
        {2, 10, {0, 1}},        // beyond the count: cut to i
        {0, 0, {0, 1, 2, 3, 4}}, // nothing to remove
        {5, 1, {0, 1, 2, 3, 4}}, // index at the count
        {-1, 2, {0, 1, 2, 3, 4}},
    };
    for (const Case &c : cases) {
        EArray<int> a(4);
        for (int i = 0; i < 5; ++i)
            a.Add(i);
        a.RemoveAt(c.index, c.number);
        std::vector<int> left(a.GetData(), a.GetData() + a.GetCount());
        EXPECT_EQ(left, c.left) << c.index << "," << c.number;
    }
    EArray<int> a(4);
    EXPECT_EQ(a.SetCount(3), 3);
    EXPECT_EQ(a.SetCount(100), 4);
    EXPECT_EQ(a.SetCount(-2), 0);
}

TEST(EMap, LookupInsertAndRemove)
{
    EMap<uint32_t, int> m(3);
    int v = -1;
    EXPECT_EQ(m.Lookup(0x1230, v), 0);
    EXPECT_EQ(m[0x1230], 0); // a new key reads zero
    m[0x1230] = 7;
    // Keys that differ in their low 4 bits share a bucket and stay apart.
    for (uint32_t k = 0x4560; k < 0x4570; ++k)
        m[k] = int(k);
    EXPECT_EQ(m.GetCount(), 17);
    EXPECT_EQ(m.Lookup(0x1230, v), 1);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(m.RemoveKey(0x4565), 1);
    EXPECT_EQ(m.RemoveKey(0x4565), 0);
    for (uint32_t k = 0x4560; k < 0x4570; ++k)
        EXPECT_EQ(m.Lookup(k, v), k == 0x4565 ? 0 : 1) << k;
    EXPECT_EQ(v, 0x456F);
}

TEST(EMap, RemovingTheLastKeyFreesAndTheNextInsertStartsAfresh)
{
    EMap<void *, int> m(10);
    m.InitHashTable(131, false);
    std::vector<int> slots(40);
    for (int &s : slots)
        m[&s] = 1;
    for (int &s : slots)
        EXPECT_EQ(m.RemoveKey(&s), 1);
    EXPECT_EQ(m.GetCount(), 0);
    int v = 0;
    EXPECT_EQ(m.Lookup(&slots[0], v), 0);
    m[&slots[3]] = 9; // a new table and a new block
    EXPECT_EQ(m.Lookup(&slots[3], v), 1);
    EXPECT_EQ(v, 9);
    EXPECT_EQ(m.GetCount(), 1);
}

TEST(EMap, FreedNodesAreReused)
{
    EMap<uint32_t, uint32_t> m(2);
    for (int round = 0; round < 50; ++round) {
        m[1] = 1;
        m[2] = 2;
        m[3] = 3;
        EXPECT_EQ(m.RemoveKey(2), 1);
        m[4] = 4;
        uint32_t v = 0;
        EXPECT_EQ(m.Lookup(4, v), 1);
        EXPECT_EQ(v, 4u);
        EXPECT_EQ(m.RemoveKey(1) + m.RemoveKey(3) + m.RemoveKey(4), 3);
    }
}

TEST(ECriticalSection, KeepsTwoThreadsOutOfEachOther)
{
    ECriticalSection lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            lock.Enter();
            long seen = counter;
            counter = seen + 1;
            lock.Leave();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
    lock.Enter();
    lock.Enter(); // the owner may enter again
    lock.Leave();
    lock.Leave();
}

} // namespace
