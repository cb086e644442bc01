#include "platform/win/CTime.h"
#include "platform/win/Time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using namespace win;

namespace {

// 2024-03-01 12:34:56.789 UTC, a Friday.
constexpr int64_t kWallMs = 1709296496789;

// Runs each test in a fixed time zone and leaves the real clocks behind it.
class TimeTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char *tz = std::getenv("TZ");
        hadTz = tz != nullptr;
        oldTz = hadTz ? tz : "";
        UseZone("CST-8");
    }
    void TearDown() override
    {
        ClearTestClock();
        if (hadTz)
            setenv("TZ", oldTz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char *zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

    bool hadTz = false;
    std::string oldTz;
};

SYSTEMTIME Make(int y, int mo, int d, int h, int mi, int s, int ms)
{
    SYSTEMTIME st{};
    st.wYear = WORD(y);
    st.wMonth = WORD(mo);
    st.wDay = WORD(d);
    st.wHour = WORD(h);
    st.wMinute = WORD(mi);
    st.wSecond = WORD(s);
    st.wMilliseconds = WORD(ms);
    return st;
}

std::string Text(const SYSTEMTIME &st)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u w%u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, st.wDayOfWeek);
    return buf;
}

std::string LocalNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return Text(st);
}

std::string UtcNow()
{
    SYSTEMTIME st;
    GetSystemTime(&st);
    return Text(st);
}

} // namespace

TEST_F(TimeTest, TestClockDrivesWallAndTickClocks)
{
    SetTestClock(kWallMs, 5000);
    EXPECT_EQ(UtcNow(), "2024-03-01 12:34:56.789 w5");
    EXPECT_EQ(LocalNow(), "2024-03-01 20:34:56.789 w5");
    EXPECT_EQ(GetTickCount(), 5000u);
    time_t stored = 0;
    EXPECT_EQ(win::time(&stored), kWallMs / 1000);
    EXPECT_EQ(stored, kWallMs / 1000);

    AdvanceTestClock(3500);
    EXPECT_EQ(UtcNow(), "2024-03-01 12:35:00.289 w5");
    EXPECT_EQ(GetTickCount(), 8500u);
    EXPECT_EQ(MonotonicNowMs(), 8500u);
}

TEST_F(TimeTest, TickCountWrapsAt32Bits)
{
    SetTestClock(kWallMs, 0xFFFFFFFFull - 9);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF6u);
    AdvanceTestClock(20);
    EXPECT_EQ(GetTickCount(), 10u);
    EXPECT_EQ(MonotonicNowMs(), 0x10000000Aull);
}

TEST_F(TimeTest, SetLocalTimeMovesWallTimeButNotTicks)
{
    SetTestClock(kWallMs, 777);
    SYSTEMTIME wanted = Make(2030, 1, 2, 3, 4, 5, 6);
    ASSERT_TRUE(SetLocalTime(&wanted));
    EXPECT_EQ(LocalNow(), "2030-01-02 03:04:05.006 w3");
    EXPECT_EQ(UtcNow(), "2030-01-01 19:04:05.006 w2");
    EXPECT_EQ(win::time(nullptr), 1893524645);
    EXPECT_EQ(GetTickCount(), 777u);

    AdvanceTestClock(1000);
    EXPECT_EQ(LocalNow(), "2030-01-02 03:04:06.006 w3");

    // File times written now carry the moved clock, and come back without it.
    SYSTEMTIME fileTime;
    const FILETIME ft = FileTimeFromUnix(kWallMs / 1000 + 1, 789000000);
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &fileTime));
    EXPECT_EQ(Text(fileTime), "2030-01-01 19:04:06.006 w2");
    int64_t sec = 0, nsec = 0;
    UnixFromFileTime(ft, &sec, &nsec);
    EXPECT_EQ(sec, kWallMs / 1000 + 1);
    EXPECT_EQ(nsec, 789000000);

    // A date that does not exist changes nothing.
    SYSTEMTIME bad = Make(2030, 2, 30, 0, 0, 0, 0);
    EXPECT_FALSE(SetLocalTime(&bad));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LocalNow(), "2030-01-02 03:04:06.006 w3");
}

TEST_F(TimeTest, CTimeFormatsTheProgramsLocalTime)
{
    SetTestClock(kWallMs, 0);
    SYSTEMTIME wanted = Make(2006, 12, 8, 9, 5, 7, 0);
    ASSERT_TRUE(SetLocalTime(&wanted));
    CTime now = CTime::GetCurrentTime();
    EXPECT_EQ(std::string(now.Format("%Y%m%d")), "20061208");
    EXPECT_EQ(std::string(now.Format("%m%d")), "1208");
    EXPECT_EQ(std::string(now.Format("%H:%M:%S")), "09:05:07");
    EXPECT_EQ(now.GetDayOfWeek(), 6); // a Friday
    EXPECT_EQ(std::string(now.Format("")), "");
}

TEST_F(TimeTest, SetLocalTimeMovesTheRealClockReadings)
{
    SYSTEMTIME wanted = Make(2001, 6, 15, 8, 0, 0, 0);
    ASSERT_TRUE(SetLocalTime(&wanted));
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2001);
    EXPECT_EQ(now.wMonth, 6);
    EXPECT_EQ(now.wDay, 15);
    EXPECT_LT(std::llabs(int64_t(win::time(nullptr)) - 992563200), 5);
    ClearTestClock();
    EXPECT_LT(std::llabs(int64_t(win::time(nullptr)) - int64_t(::time(nullptr))), 2);
}

TEST_F(TimeTest, FileTimesRoundTrip)
{
    struct Case {
        SYSTEMTIME st;
        uint64_t ticks;
        int weekday;
    } cases[] = {
        {Make(1601, 1, 1, 0, 0, 0, 0), 0, 1},
        {Make(1970, 1, 1, 0, 0, 0, 0), 116444736000000000ull, 4},
        {Make(2000, 2, 29, 23, 59, 59, 999), 125963423999990000ull, 2},
        {Make(2024, 3, 1, 12, 34, 56, 789), 133537700967890000ull, 5},
        {Make(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0ull, 5},
    };
    for (const Case &c : cases) {
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft)) << Text(c.st);
        EXPECT_EQ((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, c.ticks) << Text(c.st);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        SYSTEMTIME expected = c.st;
        expected.wDayOfWeek = WORD(c.weekday);
        EXPECT_EQ(Text(back), Text(expected));
    }

    const SYSTEMTIME invalid[] = {Make(2023, 13, 1, 0, 0, 0, 0), Make(2001, 2, 29, 0, 0, 0, 0),
                                  Make(1600, 12, 31, 0, 0, 0, 0), Make(2020, 1, 1, 24, 0, 0, 0),
                                  Make(2020, 1, 1, 0, 0, 0, 1000)};
    for (const SYSTEMTIME &st : invalid) {
        FILETIME ft{};
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << Text(st);
    }
    const FILETIME tooLate{0, 0x80000000u};
    SYSTEMTIME out{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &out));

    EXPECT_EQ(FileTimeFromUnix(0, 0).dwHighDateTime, DWORD(116444736000000000ull >> 32));
    EXPECT_EQ(FileTimeFromUnix(0, 0).dwLowDateTime, DWORD(116444736000000000ull & 0xFFFFFFFFu));
}

TEST_F(TimeTest, LocalFileTimeUsesTheBiasOfThatDay)
{
    UseZone("EST5EDT,M3.2.0,M11.1.0");
    const SYSTEMTIME winter = Make(2023, 1, 15, 12, 0, 0, 0);
    const SYSTEMTIME summer = Make(2023, 7, 15, 12, 0, 0, 0);
    FILETIME utc{}, local{};
    SYSTEMTIME out{};
    ASSERT_TRUE(SystemTimeToFileTime(&winter, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &out));
    EXPECT_EQ(out.wHour, 7);
    ASSERT_TRUE(SystemTimeToFileTime(&summer, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    ASSERT_TRUE(FileTimeToSystemTime(&local, &out));
    EXPECT_EQ(out.wHour, 8);
}
