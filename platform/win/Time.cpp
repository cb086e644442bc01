#include "platform/win/Time.h"

#include <atomic>
#include <mutex>

namespace win {
namespace {

constexpr int64_t kNsPerSec = 1000000000;
constexpr int64_t kNsPerMs = 1000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDiffSec = 11644473600;
constexpr int64_t kTicksPerSec = 10000000;
constexpr int kMaxYear = 30827;

// The process clock offset in nanoseconds, added to the wall clock.
std::atomic<int64_t> clockOffsetNs{0};

struct TestClockState {
    std::mutex lock;
    std::atomic<bool> active{false};
    int64_t wallNs = 0;
    int64_t monoNs = 0;
};
TestClockState &TestState()
{
    static auto *state = new TestClockState;
    return *state;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int64_t RealWallNs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return int64_t(ts.tv_sec) * kNsPerSec + ts.tv_nsec;
}

// The wall clock before the offset: the machine's, or the test clock.
int64_t BaseWallNs()
{
    TestClockState &s = TestState();
    if (s.active.load()) {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.active.load())
            return s.wallNs;
    }
    return RealWallNs();
}

int64_t WallNs() { return BaseWallNs() + clockOffsetNs.load(); }

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t *y, unsigned *m, unsigned *d)
{
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = int64_t(yoe) + era * 400 + (*m <= 2);
}

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int64_t y, unsigned m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool ValidSystemTime(const SYSTEMTIME &st)
{
    return st.wYear >= 1601 && st.wYear <= kMaxYear && st.wMonth >= 1 && st.wMonth <= 12 &&
           st.wDay >= 1 && st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 &&
           st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
}

// Broken-down UTC time of seconds since 1970 and milliseconds, with the weekday.
void SplitUtc(int64_t sec, int ms, SYSTEMTIME *st)
{
    const int64_t days = FloorDiv(sec, 86400);
    const int64_t secOfDay = sec - days * 86400;
    int64_t y;
    unsigned m, d;
    CivilFromDays(days, &y, &m, &d);
    st->wYear = WORD(y);
    st->wMonth = WORD(m);
    st->wDay = WORD(d);
    // 1970-01-01 was a Thursday (4).
    st->wDayOfWeek = WORD(((days % 7) + 11) % 7);
    st->wHour = WORD(secOfDay / 3600);
    st->wMinute = WORD(secOfDay / 60 % 60);
    st->wSecond = WORD(secOfDay % 60);
    st->wMilliseconds = WORD(ms);
}

void SplitLocal(int64_t ns, SYSTEMTIME *st)
{
    const int64_t sec = FloorDiv(ns, kNsPerSec);
    const int ms = int((ns - sec * kNsPerSec) / kNsPerMs);
    const time_t t = time_t(sec);
    tm parts{};
    if (::localtime_r(&t, &parts) == nullptr) {
        SplitUtc(sec, ms, st);
        return;
    }
    st->wYear = WORD(parts.tm_year + 1900);
    st->wMonth = WORD(parts.tm_mon + 1);
    st->wDayOfWeek = WORD(parts.tm_wday);
    st->wDay = WORD(parts.tm_mday);
    st->wHour = WORD(parts.tm_hour);
    st->wMinute = WORD(parts.tm_min);
    st->wSecond = WORD(parts.tm_sec);
    st->wMilliseconds = WORD(ms);
}

void SplitUtcNs(int64_t ns, SYSTEMTIME *st)
{
    const int64_t sec = FloorDiv(ns, kNsPerSec);
    SplitUtc(sec, int((ns - sec * kNsPerSec) / kNsPerMs), st);
}

uint64_t Ticks(const FILETIME &ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

FILETIME FromTicks(uint64_t t) { return FILETIME{DWORD(t & 0xFFFFFFFFu), DWORD(t >> 32)}; }

// FILETIME values are signed 64-bit on the other side; larger ones are invalid.
bool ValidTicks(uint64_t t) { return t <= uint64_t(INT64_MAX); }

// A FILETIME of seconds and nanoseconds since 1970, saturated to the valid range.
FILETIME TicksFromUnix(int64_t sec, int64_t nsec)
{
    const __int128 ticks = (__int128(sec) + kEpochDiffSec) * kTicksPerSec + FloorDiv(nsec, 100);
    if (ticks < 0)
        return FromTicks(0);
    if (ticks > INT64_MAX)
        return FromTicks(uint64_t(INT64_MAX));
    return FromTicks(uint64_t(ticks));
}

// Seconds since 1970 and the 100-ns ticks within that second of a valid FILETIME.
void UnixFromTicks(uint64_t t, int64_t *sec, int64_t *subTicks)
{
    *sec = int64_t(t / kTicksPerSec) - kEpochDiffSec;
    *subTicks = int64_t(t % kTicksPerSec);
}

} // namespace

void GetLocalTime(SYSTEMTIME *st) { SplitLocal(WallNs(), st); }

void GetSystemTime(SYSTEMTIME *st) { SplitUtcNs(WallNs(), st); }

void GetSystemTimeAsFileTime(FILETIME *ft)
{
    const int64_t ns = WallNs();
    const int64_t sec = FloorDiv(ns, kNsPerSec);
    *ft = TicksFromUnix(sec, ns - sec * kNsPerSec);
}

BOOL SetLocalTime(const SYSTEMTIME *st)
{
    // The clock counts nanoseconds in 64 bits, which hold the years 1678 to 2261.
    if (st == nullptr || !ValidSystemTime(*st) || st->wYear < 1678 || st->wYear > 2261) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    tm parts{};
    parts.tm_year = st->wYear - 1900;
    parts.tm_mon = st->wMonth - 1;
    parts.tm_mday = st->wDay;
    parts.tm_hour = st->wHour;
    parts.tm_min = st->wMinute;
    parts.tm_sec = st->wSecond;
    parts.tm_isdst = -1;
    const time_t t = ::mktime(&parts);
    const int64_t wanted = int64_t(t) * kNsPerSec + int64_t(st->wMilliseconds) * kNsPerMs;
    clockOffsetNs.store(wanted - BaseWallNs());
    return TRUE;
}

ULONGLONG MonotonicNowMs()
{
    TestClockState &s = TestState();
    if (s.active.load()) {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.active.load())
            return ULONGLONG(s.monoNs / kNsPerMs);
    }
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return ULONGLONG(ts.tv_sec) * 1000 + ULONGLONG(ts.tv_nsec / kNsPerMs);
}

DWORD GetTickCount() { return DWORD(MonotonicNowMs() & 0xFFFFFFFFu); }

time_t time(time_t *t)
{
    const time_t now = time_t(FloorDiv(WallNs(), kNsPerSec));
    if (t != nullptr)
        *t = now;
    return now;
}

BOOL FileTimeToLocalFileTime(const FILETIME *utc, FILETIME *local)
{
    if (utc == nullptr || local == nullptr || !ValidTicks(Ticks(*utc))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const uint64_t ticks = Ticks(*utc);
    int64_t sec, sub;
    UnixFromTicks(ticks, &sec, &sub);
    const time_t t = time_t(sec);
    tm parts{};
    const int64_t bias = ::localtime_r(&t, &parts) != nullptr ? parts.tm_gmtoff : 0;
    const __int128 shifted = __int128(ticks) + __int128(bias) * kTicksPerSec;
    if (shifted < 0 || shifted > INT64_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *local = FromTicks(uint64_t(shifted));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME *ft, SYSTEMTIME *st)
{
    if (ft == nullptr || st == nullptr || !ValidTicks(Ticks(*ft))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t sec, sub;
    UnixFromTicks(Ticks(*ft), &sec, &sub);
    SYSTEMTIME out;
    SplitUtc(sec, int(sub / 10000), &out);
    if (out.wYear > kMaxYear) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *st = out;
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME *st, FILETIME *ft)
{
    if (st == nullptr || ft == nullptr || !ValidSystemTime(*st)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t days = DaysFromCivil(st->wYear, st->wMonth, st->wDay);
    const int64_t sec = days * 86400 + st->wHour * 3600 + st->wMinute * 60 + st->wSecond;
    *ft = TicksFromUnix(sec, int64_t(st->wMilliseconds) * kNsPerMs);
    return TRUE;
}

FILETIME FileTimeFromUnix(int64_t sec, int64_t nsec)
{
    // The offset is split into whole seconds and the rest so that nothing overflows.
    const int64_t offset = clockOffsetNs.load();
    const int64_t offsetSec = FloorDiv(offset, kNsPerSec);
    const int64_t total = nsec + (offset - offsetSec * kNsPerSec);
    const int64_t carry = FloorDiv(total, kNsPerSec);
    // Out-of-range seconds saturate: TicksFromUnix clamps to the valid FILETIMEs.
    __int128 s = __int128(sec) + offsetSec + carry;
    if (s < -kEpochDiffSec)
        s = -kEpochDiffSec - 1;
    if (s > INT64_MAX / kTicksPerSec)
        s = INT64_MAX / kTicksPerSec;
    return TicksFromUnix(int64_t(s), total - carry * kNsPerSec);
}

void UnixFromFileTime(const FILETIME &ft, int64_t *sec, int64_t *nsec)
{
    const uint64_t ticks = Ticks(ft) > uint64_t(INT64_MAX) ? uint64_t(INT64_MAX) : Ticks(ft);
    int64_t s, sub;
    UnixFromTicks(ticks, &s, &sub);
    const int64_t offset = clockOffsetNs.load();
    const int64_t offsetSec = FloorDiv(offset, kNsPerSec);
    const int64_t total = sub * 100 - (offset - offsetSec * kNsPerSec);
    const int64_t carry = FloorDiv(total, kNsPerSec);
    *sec = s - offsetSec + carry;
    *nsec = total - carry * kNsPerSec;
}

namespace {

std::atomic<void (*)()> clockMovedHook{nullptr};

void ClockMoved()
{
    if (void (*hook)() = clockMovedHook.load())
        hook();
}

} // namespace

void SetTestClockMovedHook(void (*hook)()) { clockMovedHook.store(hook); }

void SetTestClock(int64_t wallUnixMs, ULONGLONG monotonicMs)
{
    {
        TestClockState &s = TestState();
        std::lock_guard<std::mutex> guard(s.lock);
        s.wallNs = wallUnixMs * kNsPerMs;
        s.monoNs = int64_t(monotonicMs) * kNsPerMs;
        clockOffsetNs.store(0);
        s.active.store(true);
    }
    ClockMoved();
}

void AdvanceTestClock(DWORD ms)
{
    {
        TestClockState &s = TestState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.active.load())
            return;
        s.wallNs += int64_t(ms) * kNsPerMs;
        s.monoNs += int64_t(ms) * kNsPerMs;
    }
    ClockMoved();
}

void ClearTestClock()
{
    {
        TestClockState &s = TestState();
        std::lock_guard<std::mutex> guard(s.lock);
        s.active.store(false);
        clockOffsetNs.store(0);
    }
    ClockMoved();
}

bool TestClockActive() { return TestState().active.load(); }

} // namespace win
