#include "lumon/core/LDate.h"

#include <cstdio>

#include "platform/win/Time.h"

using namespace win;

LDate::LDate()
{
    SetToday();
}

LDate::LDate(const SYSTEMTIME &st)
    : LDate(st.wYear, st.wMonth, st.wDay)
{
}

LDate::LDate(int year, int month, int day)
    : m_Year(year), m_Month(month), m_Day(day)
{
    if (m_Year < 1 || m_Year > 9999)
        m_Year = 2000;
    if (m_Month < 1 || m_Month > 12) {
        m_Month = 1;
        if (m_Day < 1 || m_Day > DaysInMonth(m_Year, m_Month))
            m_Day = 1;
    }
    if (m_Day < 1 || m_Day > DaysInMonth(m_Year, m_Month))
        m_Day = 1;
}

int LDate::ToInt() const
{
    return m_Year * 10000 + m_Month * 100 + m_Day;
}

int LDate::SetFromInt(int ymd)
{
    return Set(ymd / 10000, ymd / 100 % 100, ymd % 100);
}

char *LDate::FormatDigits(char *buffer) const
{
    std::snprintf(buffer, 12, "%d", ToInt());
    return buffer;
}

char *LDate::FormatChinese(char *buffer) const
{
    std::snprintf(buffer, 16, "%04d年%02d月%02d日", m_Year, m_Month, m_Day);
    return buffer;
}

void LDate::SetToday()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    Set(st);
}

int LDate::TodayInt()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
}

int LDate::Set(int year, int month, int day)
{
    LDate old = *this;
    m_Year = year;
    m_Month = month;
    m_Day = day;
    if (Validate() != 0) {
        *this = old;
        return 0;
    }
    return 1;
}

int LDate::Set(const SYSTEMTIME &st)
{
    return Set(st.wYear, st.wMonth, st.wDay);
}

int LDate::Set(const FILETIME &ft)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
        return 0;
    return Set(st);
}

int LDate::Validate() const
{
    if (m_Year < 1 || m_Year > 9999)
        return 1;
    if (m_Month < 1 || m_Month > 12)
        return 2;
    if (m_Day < 1 || m_Day > DaysInMonth(m_Year, m_Month))
        return 3;
    return 0;
}

bool LDate::IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int LDate::DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}
