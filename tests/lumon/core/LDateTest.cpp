// Calendar dates: repair on construction, refusal on setting, today's date and
// the two text forms.
#include <gtest/gtest.h>

#include <string>

#include "lumon/core/LDate.h"
#include "lumon/core/LDateTime.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

class LDateTest : public ::testing::Test {
protected:
    void TearDown() override { ClearTestClock(); }
};

TEST_F(LDateTest, ConstructorsRepairBadDates)
{
    struct Case {
        int y, m, d, ymd;
    } cases[] = {
        {2006, 12, 8, 20061208}, {0, 12, 8, 20001208},   {10000, 2, 29, 20000229},
        {2006, 13, 31, 20060131}, {2006, 13, 40, 20060101}, {2006, 2, 29, 20060201},
        {2004, 2, 29, 20040229}, {1900, 2, 29, 19000201}, {2006, 4, 31, 20060401},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LDate(c.y, c.m, c.d).ToInt(), c.ymd) << c.y << "-" << c.m << "-" << c.d;
}

TEST_F(LDateTest, SettersKeepTheOldDateOnBadInput)
{
    LDate d(2006, 12, 8);
    struct Case {
        int ymd, result, after;
    } cases[] = {
        {20070228, 1, 20070228}, {20070229, 0, 20070228}, {20071301, 0, 20070228},
        {99991231, 1, 99991231}, {1231, 0, 99991231},     {20000229, 1, 20000229},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(d.SetFromInt(c.ymd), c.result) << c.ymd;
        EXPECT_EQ(d.ToInt(), c.after) << c.ymd;
    }
    EXPECT_EQ(LDate::DaysInMonth(2100, 2), 28);
    EXPECT_EQ(LDate::DaysInMonth(2400, 2), 29);
    EXPECT_FALSE(LDate::IsLeapYear(1900));
}

TEST_F(LDateTest, TextForms)
{
    char buf[32];
    LDate d(2006, 1, 8);
    EXPECT_STREQ(d.FormatDigits(buf), "20060108");
    EXPECT_STREQ(d.FormatChinese(buf), "2006年01月08日");
    LDate early(999, 3, 4);
    EXPECT_STREQ(early.FormatDigits(buf), "9990304");
    EXPECT_STREQ(early.FormatChinese(buf), "0999年03月04日");
}

TEST_F(LDateTest, TodayAndNowFollowTheClock)
{
    SetTestClock(1165593600000LL + 3723000, 1000); // 2006-12-08 01:02:03 UTC
    SYSTEMTIME now;
    GetLocalTime(&now);
    int today = now.wYear * 10000 + now.wMonth * 100 + now.wDay;
    EXPECT_EQ(LDate::TodayInt(), today);
    EXPECT_EQ(LDate().ToInt(), today);
    LDateTime t;
    EXPECT_EQ(t.ToInt(), today);
    EXPECT_EQ(t.Hour(), now.wHour);
    EXPECT_EQ(t.Minute(), 2);
    EXPECT_EQ(t.Second(), 3);

    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    LDateTime fromFile;
    fromFile.Set(2000, 1, 1);
    EXPECT_EQ(fromFile.SetFromFileTime(ft), 1);
    EXPECT_EQ(fromFile.ToInt(), today);
    EXPECT_EQ(fromFile.Hour(), now.wHour);
    LDate fromFileDate(2000, 1, 1);
    EXPECT_EQ(fromFileDate.Set(ft), 1);
    EXPECT_EQ(fromFileDate.ToInt(), today);
}

} // namespace
