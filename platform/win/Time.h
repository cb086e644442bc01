// The clocks of the layer: local and UTC wall time (moved by the process clock
// offset that SetLocalTime sets, never the machine's clock), the 32-bit tick
// count of the monotonic clock, file times, and the test clock that replaces both
// clocks in tests.
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/win/WinTypes.h"

namespace win {

// Local wall time (the system's time zone) and UTC, with weekday and milliseconds.
void GetLocalTime(SYSTEMTIME *st);
void GetSystemTime(SYSTEMTIME *st);
void GetSystemTimeAsFileTime(FILETIME *ft);

// Makes GetLocalTime return `st` from now on by moving the process clock offset;
// GetSystemTime, time and the file times move with it. The machine's clock is
// left alone. FALSE with ERROR_INVALID_PARAMETER for a date or time that does not
// exist.
BOOL SetLocalTime(const SYSTEMTIME *st);

// Milliseconds of the monotonic clock, wrapping at 2^32.
DWORD GetTickCount();

// Whole seconds since 1970 of the wall clock plus the offset; also stored in *t
// when t is not null.
time_t time(time_t *t);

// FILETIME counts 100-nanosecond intervals since 1601-01-01 UTC.
// The local-time bias applied is the one in force at that instant.
BOOL FileTimeToLocalFileTime(const FILETIME *utc, FILETIME *local);
// FALSE with ERROR_INVALID_PARAMETER for a time past the year 30827.
BOOL FileTimeToSystemTime(const FILETIME *ft, SYSTEMTIME *st);
// FALSE with ERROR_INVALID_PARAMETER for fields out of range (wDayOfWeek ignored).
BOOL SystemTimeToFileTime(const SYSTEMTIME *st, FILETIME *ft);

// Between file times of the file system (seconds and nanoseconds since 1970) and
// FILETIME. The process clock offset is added on the way in and taken off on the
// way out, so that a file written now carries the time GetLocalTime shows.
FILETIME FileTimeFromUnix(int64_t sec, int64_t nsec);
void UnixFromFileTime(const FILETIME &ft, int64_t *sec, int64_t *nsec);

// Milliseconds of the layer's monotonic clock (the test clock while one is set).
// Every time-out of the layer is measured on it.
ULONGLONG MonotonicNowMs();

// Test clock: replaces the wall clock (milliseconds since 1970, UTC) and the
// monotonic clock at once; from then on both move only by AdvanceTestClock (and
// by Sleep, which advances the test clock by the time asked). Setting and
// clearing it also reset the process clock offset to zero.
void SetTestClock(int64_t wallUnixMs, ULONGLONG monotonicMs);
void AdvanceTestClock(DWORD ms);
void ClearTestClock();
bool TestClockActive();
// Inside the layer: run after the test clock was set, moved or cleared (on the
// thread that moved it), so that timers due on it fire without waiting for the
// machine's time to pass as well.
void SetTestClockMovedHook(void (*hook)());

} // namespace win
