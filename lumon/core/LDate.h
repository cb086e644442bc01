// A calendar date (year 1..9999) with validation, today's date and the digit and
// Chinese text forms shown by the views.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

class LDate {
public:
    // Today's local date.
    LDate();
    // These two repair a bad date: a year outside 1..9999 becomes 2000, a bad
    // month 1 (and then a bad day 1), a bad day 1.
    explicit LDate(const win::SYSTEMTIME &st);
    LDate(int year, int month, int day);
    virtual ~LDate() = default;

    virtual int ToInt() const;
    virtual int SetFromInt(int ymd);
    // "%d" of ToInt; the buffer holds at least 12 bytes.
    virtual char *FormatDigits(char *buffer) const;
    // "yyyy年mm月dd日" with a four-digit year; the buffer holds at least 16 bytes.
    virtual char *FormatChinese(char *buffer) const;

    void SetToday();
    static int TodayInt();

    // Each returns 1, or 0 when the result would be invalid and the date is kept.
    int Set(int year, int month, int day);
    int Set(const win::SYSTEMTIME &st);
    // A file time, taken in local time.
    int Set(const win::FILETIME &ft);

    // 0 valid, 1 bad year, 2 bad month, 3 bad day.
    int Validate() const;
    static bool IsLeapYear(int year);
    static int DaysInMonth(int year, int month);

    int Year() const { return m_Year; }
    int Month() const { return m_Month; }
    int Day() const { return m_Day; }

protected:
    int32_t m_Year = 2000;
    int32_t m_Month = 1;
    int32_t m_Day = 1;
};
