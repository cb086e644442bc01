// The 32-bit packed date-time of every history, tick and news time (minute in bits
// 0-5, hour 6-10, day 11-15, month 16-19, year 20-31), yyyymmdd dates, and the
// calendar arithmetic over them.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

using PackedDateTime = uint32_t;

inline int PackedYear(PackedDateTime t) { return int(t >> 20); }
inline int PackedMonth(PackedDateTime t) { return int((t >> 16) & 0xF); }
inline int PackedDay(PackedDateTime t) { return int((t >> 11) & 0x1F); }
inline int PackedHour(PackedDateTime t) { return int((t >> 6) & 0x1F); }
inline int PackedMinute(PackedDateTime t) { return int(t & 0x3F); }
// Packs the fields, each cut to its bit width.
PackedDateTime MakePackedDateTime(int year, int month, int day, int hour, int minute);

// Splits yyyymmdd; all outputs 0 and false unless 10000 <= ymd < 100000000; true
// when the month is 1..12 and the day 1..31.
bool SplitYmd(int ymd, int &year, int &month, int &day);
// The packed value of a yyyymmdd date and an hhmm time (minute mod 60, hour mod
// 24); the date fields are 0 when the date does not split or its year does not
// fit the 12-bit field.
PackedDateTime YmdHmToPacked(int ymd, int hhmm);
int PackedToYmd(PackedDateTime t);

int ComparePackedDateTime(PackedDateTime a, PackedDateTime b);
int ComparePackedDate(PackedDateTime a, PackedDateTime b);
bool IsSameDay(PackedDateTime a, PackedDateTime b);
bool IsSameWeek(PackedDateTime a, PackedDateTime b);
bool IsSameMonth(PackedDateTime a, PackedDateTime b);
bool IsSameQuarter(PackedDateTime a, PackedDateTime b);

// Weekday, 0 = Sunday .. 6 = Saturday.
int PackedDateDayOfWeek(PackedDateTime t);
int DayOfWeekFromYmd(int ymd);
int DayOfWeek(int year, int month, int day);

// Gregorian month length; 31 for a month outside 1..12.
int DaysOfMonth(int year, int month);

// One day later or earlier across month and year ends; hour and minute kept.
PackedDateTime NextDay(PackedDateTime t);
PackedDateTime PrevDay(PackedDateTime t);
// The Saturday of the date's week.
PackedDateTime WeekEndDay(PackedDateTime t);

// Moves the time by a signed number of hours, stepping the date across midnight,
// and sets the weekday; minute, second and milliseconds stay.
void ShiftSystemTimeByHours(win::SYSTEMTIME &st, int hours);

// The amount-per-volume ratio b / a scaled by powers of ten until it lies within
// [0.5, 5] times c; c itself unless a >= 0.1, b >= 0.1, c >= 0.0001 and b < 1e15.
float FitRatioByPowersOfTen(float a, float b, float c);
