// The framework's point in time: the local time of the programs' clock (the one
// GetLocalTime reads, moved by SetLocalTime), its fields and strftime formats.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

namespace win {

class CTime {
public:
    CTime() = default;
    explicit CTime(const SYSTEMTIME &st) : st_(st) {}
    static CTime GetCurrentTime();

    int GetYear() const { return st_.wYear; }
    int GetMonth() const { return st_.wMonth; }
    int GetDay() const { return st_.wDay; }
    int GetHour() const { return st_.wHour; }
    int GetMinute() const { return st_.wMinute; }
    int GetSecond() const { return st_.wSecond; }
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const { return st_.wDayOfWeek + 1; }
    // The time in a strftime format ("%Y%m%d", "%m%d", "%H:%M:%S"...); the
    // empty text for a format that gives nothing.
    CString Format(LPCTSTR format) const;
    BOOL GetAsSystemTime(SYSTEMTIME &st) const
    {
        st = st_;
        return TRUE;
    }

private:
    SYSTEMTIME st_{};
};

} // namespace win
