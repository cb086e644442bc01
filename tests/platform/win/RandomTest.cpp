#include "platform/win/Random.h"

#include <gtest/gtest.h>

TEST(Random, ClassicSequenceInFifteenBits)
{
    win::srand(1);
    for (int expected : {41, 18467, 6334, 26500, 19169})
        EXPECT_EQ(win::rand(), expected);

    win::srand(12345);
    int low = 32767, high = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = win::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_LT(low, 10);
    EXPECT_GT(high, 32757);
}
