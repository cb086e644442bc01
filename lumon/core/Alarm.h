// The alarm store: price, deal, volume and amount alarms in a pending and a
// triggered list, kept in ..\CFG\ALARM.SET, and the thread that tests queued
// quotes against them and posts to the main frame when one fires.
#pragma once

#include <atomic>
#include <cstdint>

#include "lumon/core/EArray.h"
#include "lumon/core/ECriticalSection.h"
#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
struct AlarmData {
    win::SYSTEMTIME TriggerTime;   // local time; zero while pending
    int32_t Reason;                // AlarmAbove ... AlarmAmount
    uint16_t Market;
    uint16_t Stock;                // index within the market
    float Price;                   // when it fired, display units
    float Upper;                   // price limits
    float Lower;
    float DealLimit;               // single deal, trading units
    float VolumeLimit;             // trading units
    float AmountLimit;             // units of 10 000, or open interest
};
static_assert(sizeof(AlarmData) == 48);
#pragma pack(pop)

// Trigger reasons.
constexpr int32_t AlarmAbove = 1;
constexpr int32_t AlarmBelow = 2;
constexpr int32_t AlarmDeal = 16;
constexpr int32_t AlarmVolume = 32;
constexpr int32_t AlarmAmount = 64;

// A limit holding this value is off; every other value, 0 included, is live.
constexpr float AlarmLimitOff = -1e-10f;
// Pending and triggered alarms together.
constexpr int MaxAlarms = 1000;

// Posted to the frame: an alarm fired (subscribe its stocks again), and the
// request to show the alarm window.
constexpr win::UINT WM_SUBSCRIBE_VIEWS = 2626;
constexpr win::UINT WM_SHOW_ALARMS = 2530;

// One quote queued for the alarm thread, in display and trading units.
struct AlarmQuote {
    uint16_t Market;
    uint16_t Stock;
    float Price;
    float LastVolume;
    float Volume;
    float Amount;
    int32_t Passed;
};

class TAlarm {
public:
    // Loads ALARM.SET; notices go to the frame's window (taken again when the
    // thread starts).
    TAlarm();
    TAlarm(const TAlarm &) = delete;
    TAlarm &operator=(const TAlarm &) = delete;
    // Saves ALARM.SET; the thread must have been stopped.
    ~TAlarm();

    // Every alarm of the file comes back pending; a missing or foreign file gives
    // empty lists with both flags on. 1 when the file was read.
    int Load();
    // The magic, the flags, the pending and then the triggered alarms, the file
    // cut to them; 1, or 0.
    int Save();
    // The new alarm's index in the pending list, or -1 when 1000 alarms exist.
    int AddAlarm(const AlarmData &alarm);
    // i counts the pending list, then the triggered list; 1, or 0.
    int DeleteAlarm(int i);
    // Overwrites a pending alarm, or re-arms a triggered one with the record;
    // the record's trigger time is cleared. 1, or 0.
    int ModifyAlarm(int i, const AlarmData &alarm);
    // Queues a quote of a stock that has a pending alarm (prices and volumes in
    // the stock's raw units); 1 when queued. The fourth argument is not used.
    int PushQuote(int market, int stock, uint32_t last, uint32_t unused, float lastVolume, float volume,
                  float amount, int32_t passed);
    // Tests the oldest queued quote; 1 when an alarm fired, 0 when none did, -1
    // when the queue is empty.
    int CheckOne();
    // Asks the frame to show the alarm window when the window flag is set.
    void Notify();
    // Starts the checking thread at idle priority (1 when it runs), and stops it:
    // it ends after its current pause, without being killed.
    int StartCheckThread();
    int StopCheckThread();

    // The alarm windows hold the list lock while they read or edit the lists.
    ECriticalSection &ListLock() { return m_ListLock; }
    EArray<AlarmData> &Pending() { return m_Pending; }
    EArray<AlarmData> &Triggered() { return m_Triggered; }
    int QueuedQuotes();

    // The user's settings kept in ALARM.SET: a tone when an alarm fires, and
    // the alarm window shown.
    int32_t BeepFlag = 1;
    int32_t WindowFlag = 1;

private:
    static win::DWORD CheckThreadProc(win::LPVOID store);

    int32_t m_Countdown = 0;
    std::atomic<int32_t> m_Running{0};
    EArray<AlarmData> m_Pending{MaxAlarms};
    EArray<AlarmData> m_Triggered{MaxAlarms};
    ECriticalSection m_ListLock;
    win::HANDLE m_Thread = 0;
    win::DWORD m_ThreadId = 0;
    win::HWND m_Frame = 0;
    AlarmQuote m_Ring[100] = {};
    int32_t m_Write = 0;
    int32_t m_Read = 0;
    ECriticalSection m_RingLock;
};
