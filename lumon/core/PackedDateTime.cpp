#include "lumon/core/PackedDateTime.h"

using namespace win;

PackedDateTime MakePackedDateTime(int year, int month, int day, int hour, int minute)
{
    return (uint32_t(year & 0xFFF) << 20) | (uint32_t(month & 0xF) << 16) |
           (uint32_t(day & 0x1F) << 11) | (uint32_t(hour & 0x1F) << 6) | uint32_t(minute & 0x3F);
}

bool SplitYmd(int ymd, int &year, int &month, int &day)
{
    if (ymd < 10000 || ymd >= 100000000) {
        year = month = day = 0;
        return false;
    }
    year = ymd / 10000;
    month = ymd / 100 % 100;
    day = ymd % 100;
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

PackedDateTime YmdHmToPacked(int ymd, int hhmm)
{
    int year, month, day;
    if (!SplitYmd(ymd, year, month, day) || year > 0xFFF)
        year = month = day = 0;
    if (hhmm < 0)
        hhmm = 0;
    int minute = hhmm % 100 % 60;
    int hour = hhmm / 100 % 100 % 24;
    return MakePackedDateTime(year, month, day, hour, minute);
}

int PackedToYmd(PackedDateTime t)
{
    return PackedYear(t) * 10000 + PackedMonth(t) * 100 + PackedDay(t);
}

int ComparePackedDateTime(PackedDateTime a, PackedDateTime b)
{
    return a > b ? 1 : (a < b ? -1 : 0);
}

int ComparePackedDate(PackedDateTime a, PackedDateTime b)
{
    return ComparePackedDateTime(a >> 11, b >> 11);
}

bool IsSameDay(PackedDateTime a, PackedDateTime b)
{
    return (a >> 11) == (b >> 11);
}

bool IsSameWeek(PackedDateTime a, PackedDateTime b)
{
    return IsSameDay(WeekEndDay(a), WeekEndDay(b));
}

bool IsSameMonth(PackedDateTime a, PackedDateTime b)
{
    return (a >> 16) == (b >> 16);
}

bool IsSameQuarter(PackedDateTime a, PackedDateTime b)
{
    return PackedYear(a) == PackedYear(b) && (PackedMonth(a) + 2) / 3 == (PackedMonth(b) + 2) / 3;
}

int DayOfWeek(int year, int month, int day)
{
    // Zeller's congruence with March as the first month of the year.
    int m = month - 2;
    int y = year;
    if (m < 1) {
        m += 12;
        y -= 1;
    }
    int c = y / 100;
    int r = y % 100;
    int w = ((13 * m - 1) / 5 + day + r + r / 4 + c / 4 - 2 * c) % 7;
    return (w + 7) % 7;
}

int PackedDateDayOfWeek(PackedDateTime t)
{
    return DayOfWeek(PackedYear(t), PackedMonth(t), PackedDay(t));
}

int DayOfWeekFromYmd(int ymd)
{
    return DayOfWeek(ymd / 10000, ymd / 100 % 100, ymd % 100);
}

int DaysOfMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

PackedDateTime NextDay(PackedDateTime t)
{
    int year = PackedYear(t), month = PackedMonth(t), day = PackedDay(t);
    if (++day > DaysOfMonth(year, month)) {
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return MakePackedDateTime(year, month, day, PackedHour(t), PackedMinute(t));
}

PackedDateTime PrevDay(PackedDateTime t)
{
    int year = PackedYear(t), month = PackedMonth(t), day = PackedDay(t);
    if (--day < 1) {
        if (--month < 1) {
            month = 12;
            --year;
        }
        day = DaysOfMonth(year, month);
    }
    return MakePackedDateTime(year, month, day, PackedHour(t), PackedMinute(t));
}

PackedDateTime WeekEndDay(PackedDateTime t)
{
    for (int n = 6 - PackedDateDayOfWeek(t); n > 0; --n)
        t = NextDay(t);
    return t;
}

void ShiftSystemTimeByHours(SYSTEMTIME &st, int hours)
{
    int year = st.wYear, month = st.wMonth, day = st.wDay;
    int h = int(st.wHour) + hours;
    // Whole days first, so that a shift of more than a day lands on the right date.
    int days = h >= 0 ? h / 24 : -((23 - h) / 24);
    h -= days * 24;
    for (; days > 0; --days) {
        if (++day > DaysOfMonth(year, month)) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
    for (; days < 0; ++days) {
        if (--day < 1) {
            if (--month < 1) {
                month = 12;
                --year;
            }
            day = DaysOfMonth(year, month);
        }
    }
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    st.wHour = WORD(h);
    st.wDayOfWeek = WORD(DayOfWeek(year, month, day));
}

float FitRatioByPowersOfTen(float a, float b, float c)
{
    if (!(a >= 0.1f && b >= 0.1f && c >= 0.0001f && b < 1e15f))
        return c;
    float r = b / a;
    // Each step moves the ratio by a factor of ten into a window one decade wide;
    // the bound only guards against values no finite input produces.
    for (int step = 0; step < 80; ++step) {
        float q = r / c;
        if (q < 0.5f)
            r *= 10.0f;
        else if (q > 5.0f)
            r *= 0.1f;
        else
            break;
    }
    return r;
}
