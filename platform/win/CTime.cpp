#include "platform/win/CTime.h"

#include <ctime>

#include "platform/win/Time.h"

namespace win {

CTime CTime::GetCurrentTime()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return CTime(st);
}

CString CTime::Format(LPCTSTR format) const
{
    if (!format)
        return CString();
    std::tm tm{};
    tm.tm_year = st_.wYear - 1900;
    tm.tm_mon = st_.wMonth - 1;
    tm.tm_mday = st_.wDay;
    tm.tm_hour = st_.wHour;
    tm.tm_min = st_.wMinute;
    tm.tm_sec = st_.wSecond;
    tm.tm_wday = st_.wDayOfWeek;
    tm.tm_isdst = -1;
    char text[256];
    size_t n = std::strftime(text, sizeof text, format, &tm);
    return CString(text, static_cast<int>(n));
}

} // namespace win
