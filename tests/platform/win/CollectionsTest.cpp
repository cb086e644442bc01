#include "platform/win/Collections.h"

#include <gtest/gtest.h>

#include <vector>

using namespace win;

namespace {

std::vector<int> Values(const CPtrList &list)
{
    std::vector<int> out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out.push_back(*static_cast<int *>(list.GetNext(pos)));
    return out;
}

} // namespace

TEST(CPtrList, PositionsSurviveRemovalOfOtherNodes)
{
    int v[5] = {0, 1, 2, 3, 4};
    CPtrList list;
    list.AddTail(&v[1]);
    POSITION two = list.AddTail(&v[2]);
    list.AddTail(&v[3]);
    list.AddHead(&v[0]);
    list.AddTail(&v[4]);

    list.RemoveAt(list.Find(&v[3]));
    EXPECT_EQ(list.RemoveHead(), &v[0]);
    list.AddHead(&v[0]);
    EXPECT_EQ(list.RemoveTail(), &v[4]);

    EXPECT_EQ(list.GetAt(two), &v[2]);
    POSITION pos = two;
    EXPECT_EQ(list.GetPrev(pos), &v[2]);
    EXPECT_EQ(list.GetAt(pos), &v[1]);
    pos = two;
    EXPECT_EQ(list.GetNext(pos), &v[2]);
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.GetTailPosition(), two);
}

TEST(CPtrList, RemovingTheCurrentNodeWhileWalking)
{
    int v[6] = {0, 1, 2, 3, 4, 5};
    CPtrList list;
    for (int &x : v)
        list.AddTail(&x);
    // The next position is taken before the current node goes.
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        POSITION current = pos;
        int *x = static_cast<int *>(list.GetNext(pos));
        if (*x % 2 == 0)
            list.RemoveAt(current);
    }
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(list.GetCount(), 3);

    std::vector<int> backwards;
    for (POSITION pos = list.GetTailPosition(); pos;)
        backwards.push_back(*static_cast<int *>(list.GetPrev(pos)));
    EXPECT_EQ(backwards, (std::vector<int>{5, 3, 1}));
}

TEST(CPtrList, SearchesAndTheEmptyList)
{
    int a = 1, b = 2;
    CPtrList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.RemoveHead(), nullptr);
    EXPECT_EQ(list.RemoveTail(), nullptr);
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    POSITION none = nullptr;
    EXPECT_EQ(list.GetNext(none), nullptr);
    EXPECT_EQ(none, nullptr);
    list.RemoveAt(nullptr);

    POSITION first = list.AddTail(&a);
    list.AddTail(&b);
    POSITION second = list.AddTail(&a);
    EXPECT_EQ(list.Find(&a), first);
    EXPECT_EQ(list.Find(&a, first), second);
    EXPECT_EQ(list.Find(&a, second), nullptr);
    EXPECT_EQ(list.FindIndex(2), second);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.SetAt(second, &b);
    EXPECT_EQ(list.GetTail(), &b);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(CStringArray, IndexesAreClamped)
{
    CStringArray arr;
    EXPECT_EQ(arr.GetUpperBound(), -1);
    EXPECT_EQ(arr.Add("a"), 0);
    arr.InsertAt(3, "x");
    ASSERT_EQ(arr.GetSize(), 4);
    EXPECT_EQ(arr[1], "");
    EXPECT_EQ(arr[3], "x");
    arr.InsertAt(-1, "f", 2);
    EXPECT_EQ(arr.GetAt(0), "f");
    EXPECT_EQ(arr.GetAt(2), "a");
    EXPECT_EQ(arr.GetCount(), 6);

    EXPECT_EQ(arr.GetAt(-1), "");
    EXPECT_EQ(arr.GetAt(99), "");
    arr[99] = "lost";
    arr.SetAt(99, "lost");
    arr.SetAt(1, "g");
    EXPECT_EQ(arr.GetSize(), 6);
    EXPECT_EQ(arr[99], "");

    arr.RemoveAt(2, 100);
    ASSERT_EQ(arr.GetSize(), 2);
    EXPECT_EQ(arr[1], "g");
    arr.RemoveAt(-1);
    arr.RemoveAt(2);
    EXPECT_EQ(arr.GetSize(), 2);
    arr.SetSize(3);
    EXPECT_EQ(arr.GetUpperBound(), 2);
    arr.RemoveAll();
    EXPECT_EQ(arr.GetSize(), 0);
}
