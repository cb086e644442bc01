// Packed date-times, yyyymmdd dates and the calendar steps across month, year and
// leap days.
#include <gtest/gtest.h>

#include "lumon/core/PackedDateTime.h"

using namespace win;

namespace {

PackedDateTime D(int ymd, int hhmm = 0)
{
    return YmdHmToPacked(ymd, hhmm);
}

TEST(PackedDateTime, FieldsAndPacking)
{
    PackedDateTime t = D(20061208, 1435);
    EXPECT_EQ(PackedYear(t), 2006);
    EXPECT_EQ(PackedMonth(t), 12);
    EXPECT_EQ(PackedDay(t), 8);
    EXPECT_EQ(PackedHour(t), 14);
    EXPECT_EQ(PackedMinute(t), 35);
    EXPECT_EQ(t, (2006u << 20) | (12u << 16) | (8u << 11) | (14u << 6) | 35u);
    EXPECT_EQ(PackedToYmd(t), 20061208);
    // hhmm 2460 wraps to midnight of the same day.
    EXPECT_EQ(D(20061208, 2460), D(20061208, 0));
    EXPECT_EQ(D(9999, 1200), D(0, 1200));
    EXPECT_EQ(PackedToYmd(D(50001231)), 0); // the year does not fit the 12-bit field
}

TEST(PackedDateTime, SplitYmdLimits)
{
    struct Case {
        int ymd;
        bool ok;
        int y, m, d;
    } cases[] = {
        {9999, false, 0, 0, 0},
        {10000, false, 1, 0, 0},
        {20060132, false, 2006, 1, 32},
        {20060231, true, 2006, 2, 31}, // the day is held against 31 only
        {20061301, false, 2006, 13, 1},
        {99991231, true, 9999, 12, 31},
        {100000000, false, 0, 0, 0},
        {-20060101, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        int y = -1, m = -1, d = -1;
        EXPECT_EQ(SplitYmd(c.ymd, y, m, d), c.ok) << c.ymd;
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.ymd;
    }
}

TEST(PackedDateTime, DaySteps)
{
    struct Case {
        int from, next, prev;
    } cases[] = {
        {20000301, 20000302, 20000229},
        {19000301, 19000302, 19000228},
        {20061231, 20070101, 20061230},
        {20070101, 20070102, 20061231},
        {20040228, 20040229, 20040227},
        {20050228, 20050301, 20050227},
        {20060430, 20060501, 20060429},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PackedToYmd(NextDay(D(c.from))), c.next) << c.from;
        EXPECT_EQ(PackedToYmd(PrevDay(D(c.from))), c.prev) << c.from;
    }
    EXPECT_EQ(NextDay(D(20061231, 1517)), D(20070101, 1517));
}

TEST(PackedDateTime, WeekdaysAndPeriodTests)
{
    EXPECT_EQ(DayOfWeekFromYmd(20061208), 5); // a Friday
    EXPECT_EQ(DayOfWeekFromYmd(20000101), 6);
    EXPECT_EQ(PackedDateDayOfWeek(D(20061210)), 0);
    EXPECT_EQ(PackedToYmd(WeekEndDay(D(20061210))), 20061216);
    EXPECT_EQ(PackedToYmd(WeekEndDay(D(20061230))), 20061230);

    struct Case {
        int a, b;
        bool week, month, quarter;
    } cases[] = {
        {20061209, 20061210, false, true, true}, // Saturday, then Sunday
        {20061210, 20061216, true, true, true},  // Sunday to Saturday
        {20061230, 20061231, false, true, true},
        {20061231, 20070106, true, false, false}, // a week across the year end
        {20060331, 20060401, true, false, false}, // Friday and Saturday
        {20060401, 20060630, false, false, true},
        {20050615, 20060615, false, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IsSameWeek(D(c.a), D(c.b)), c.week) << c.a << " " << c.b;
        EXPECT_EQ(IsSameMonth(D(c.a), D(c.b)), c.month) << c.a << " " << c.b;
        EXPECT_EQ(IsSameQuarter(D(c.a), D(c.b)), c.quarter) << c.a << " " << c.b;
    }
    EXPECT_TRUE(IsSameDay(D(20061208, 930), D(20061208, 1500)));
    EXPECT_EQ(ComparePackedDate(D(20061208, 930), D(20061208, 1500)), 0);
    EXPECT_EQ(ComparePackedDateTime(D(20061208, 930), D(20061208, 1500)), -1);
    EXPECT_EQ(ComparePackedDate(D(20061209), D(20061208, 2359)), 1);
}

TEST(PackedDateTime, ShiftSystemTimeByHours)
{
    struct Case {
        int ymd, hour, shift, ymdOut, hourOut, weekday;
    } cases[] = {
        {20061208, 23, 8, 20061209, 7, 6},
        {20061231, 20, 5, 20070101, 1, 1},
        {20070101, 2, -8, 20061231, 18, 0},
        {20000301, 1, -3, 20000229, 22, 2},
        {20061208, 12, 0, 20061208, 12, 5},
        {20061208, 10, 50, 20061210, 12, 0}, // more than a day moves more than a day
        {20061208, 10, -35, 20061206, 23, 3},
    };
    for (const Case &c : cases) {
        SYSTEMTIME st{};
        st.wYear = WORD(c.ymd / 10000);
        st.wMonth = WORD(c.ymd / 100 % 100);
        st.wDay = WORD(c.ymd % 100);
        st.wHour = WORD(c.hour);
        st.wMinute = 30;
        st.wSecond = 15;
        ShiftSystemTimeByHours(st, c.shift);
        EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, c.ymdOut) << c.ymd << "+" << c.shift;
        EXPECT_EQ(st.wHour, c.hourOut) << c.ymd << "+" << c.shift;
        EXPECT_EQ(st.wDayOfWeek, c.weekday) << c.ymd << "+" << c.shift;
        EXPECT_EQ(st.wMinute, 30);
        EXPECT_EQ(st.wSecond, 15);
    }
}

TEST(PackedDateTime, FitRatioByPowersOfTen)
{
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(100, 123400, 12.0f), 12.34f);
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(100, 1234, 12.0f), 12.34f);
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(1, 5, 1.0f), 5.0f);
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(0.05f, 100, 3.0f), 3.0f);
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(10, 2e15f, 3.0f), 3.0f);
    EXPECT_FLOAT_EQ(FitRatioByPowersOfTen(10, 100, 0.00001f), 0.00001f);
}

} // namespace
