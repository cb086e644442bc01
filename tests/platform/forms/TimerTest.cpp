// The timer component on the test clock: ticks at its interval while enabled,
// none while disabled or at interval 0, and a new interval restarts the count.
#include <gtest/gtest.h>

#include "FormsFixture.h"
#include "platform/forms/TTimer.h"
#include "platform/win/Time.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

TEST(TimerTest, TicksAtItsIntervalWhileEnabled)
{
    App();
    SetTestClock(1'700'000'000'000, 5'000'000);
    int ticks = 0;
    TObject *sender = nullptr;
    {
        TTimer timer(&App());
        EXPECT_EQ(timer.ClassName(), AnsiString("TTimer"));
        timer.Interval = 300;
        timer.OnTimer = [&](TObject *s) {
            sender = s;
            ++ticks;
        };
        AdvanceTestClock(299);
        EXPECT_FALSE(PumpUntil([&] { return ticks > 0; }, 200));
        AdvanceTestClock(1);
        ASSERT_TRUE(PumpUntil([&] { return ticks == 1; }));
        EXPECT_EQ(sender, &timer);

        timer.Enabled = false;
        AdvanceTestClock(600);
        EXPECT_FALSE(PumpUntil([&] { return ticks > 1; }, 200));
        timer.Enabled = true;
        timer.Interval = 50;
        AdvanceTestClock(50);
        ASSERT_TRUE(PumpUntil([&] { return ticks == 2; }));
        timer.Interval = 0;
        AdvanceTestClock(500);
        EXPECT_FALSE(PumpUntil([&] { return ticks > 2; }, 200));
        timer.Interval = 50;
    }
    // A freed timer ticks no more.
    AdvanceTestClock(500);
    EXPECT_FALSE(PumpUntil([&] { return ticks > 2; }, 200));
    ClearTestClock();
}

} // namespace
