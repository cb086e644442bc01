#include "lumon/core/Alarm.h"

#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameServices.h"
#include "platform/win/Messages.h"
#include "platform/win/Sound.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

constexpr const char *AlarmFile = "..\\CFG\\ALARM.SET";
constexpr char Magic[6] = {'L', 'M', 'A', 'S', '0', '1'};
constexpr int HeaderSize = 10;
constexpr int RingSize = 100;
constexpr DWORD PauseMs = 500;

bool IsLive(float limit)
{
    float off = AlarmLimitOff;
    return std::memcmp(&limit, &off, sizeof limit) != 0;
}

// The reason of the last test that holds, or 0.
int32_t TestAlarm(const AlarmData &a, const AlarmQuote &q)
{
    int32_t reason = 0;
    if (q.Price >= 0.001f) {
        if (IsLive(a.Upper) && q.Price >= a.Upper)
            reason = AlarmAbove;
        if (IsLive(a.Lower) && q.Price <= a.Lower)
            reason = AlarmBelow;
    }
    if (IsLive(a.DealLimit) && q.LastVolume >= a.DealLimit)
        reason = AlarmDeal;
    if (IsLive(a.VolumeLimit) && q.Volume >= a.VolumeLimit)
        reason = AlarmVolume;
    if (IsLive(a.AmountLimit) && q.Amount >= a.AmountLimit)
        reason = AlarmAmount;
    return reason;
}

} // namespace

TAlarm::TAlarm()
{
    m_Frame = MFrame ? MFrame->GetFrameWindow() : 0;
    Load();
}

TAlarm::~TAlarm()
{
    StopCheckThread();
    Save();
}

int TAlarm::Load()
{
    BeepFlag = WindowFlag = 1;
    m_ListLock.Enter();
    m_Pending.SetCount(0);
    m_Triggered.SetCount(0);
    int loaded = 0;
    int h = FileOpen(AlarmFile, "rb");
    if (h >= 1) {
        char head[HeaderSize];
        int size = FileGetSize(h);
        if (FileRead(h, head, HeaderSize, 1) == HeaderSize && std::memcmp(head, Magic, sizeof Magic) == 0) {
            // The flags are the user's settings whether or not alarms are stored.
            uint32_t flags;
            std::memcpy(&flags, head + 6, 4);
            BeepFlag = flags & 1 ? 1 : 0;
            WindowFlag = flags & 0x10 ? 1 : 0;
            int count = (size - HeaderSize) / int(sizeof(AlarmData));
            if (count > MaxAlarms)
                count = MaxAlarms;
            if (count > 0) {
                count = m_Pending.SetCount(count);
                count = FileRead(h, m_Pending.GetData(), sizeof(AlarmData), count) / int(sizeof(AlarmData));
                m_Pending.SetCount(count);
                // Alarms that fired in the last run are armed again.
                for (int i = 0; i < count; ++i)
                    std::memset(static_cast<void *>(&m_Pending.GetData()[i]), 0, 20);
            }
            loaded = 1;
        }
        FileClose(h);
    }
    m_ListLock.Leave();
    return loaded;
}

int TAlarm::Save()
{
    m_ListLock.Enter();
    int ok = 0;
    int h = FileOpen(AlarmFile, "wb");
    if (h >= 1) {
        char head[HeaderSize];
        std::memcpy(head, Magic, sizeof Magic);
        uint32_t flags = (BeepFlag ? 1u : 0u) | (WindowFlag ? 0x10u : 0u);
        std::memcpy(head + 6, &flags, 4);
        int pending = m_Pending.GetCount();
        int triggered = m_Triggered.GetCount();
        int bytes = HeaderSize + (pending + triggered) * int(sizeof(AlarmData));
        ok = FileWrite(h, head, HeaderSize, 1) == HeaderSize &&
             (!pending || FileWrite(h, m_Pending.GetData(), sizeof(AlarmData), pending) ==
                              pending * int(sizeof(AlarmData))) &&
             (!triggered || FileWrite(h, m_Triggered.GetData(), sizeof(AlarmData), triggered) ==
                                triggered * int(sizeof(AlarmData)));
        // A shorter list must not leave the old alarms behind it.
        ok = ok && FileTruncate(h, bytes) == bytes;
        FileClose(h);
    }
    m_ListLock.Leave();
    return ok ? 1 : 0;
}

int TAlarm::AddAlarm(const AlarmData &alarm)
{
    m_ListLock.Enter();
    int i = -1;
    if (m_Pending.GetCount() + m_Triggered.GetCount() < MaxAlarms)
        i = m_Pending.Add(alarm);
    m_ListLock.Leave();
    return i;
}

int TAlarm::DeleteAlarm(int i)
{
    m_ListLock.Enter();
    int pending = m_Pending.GetCount();
    int ok = 0;
    if (i >= 0 && i < pending) {
        m_Pending.RemoveAt(i, 1);
        ok = 1;
    } else if (i >= pending && i - pending < m_Triggered.GetCount()) {
        m_Triggered.RemoveAt(i - pending, 1);
        ok = 1;
    }
    m_ListLock.Leave();
    return ok;
}

int TAlarm::ModifyAlarm(int i, const AlarmData &alarm)
{
    AlarmData armed = alarm;
    std::memset(&armed.TriggerTime, 0, sizeof armed.TriggerTime);
    m_ListLock.Enter();
    int pending = m_Pending.GetCount();
    int ok = 0;
    if (i >= 0 && i < pending) {
        m_Pending.GetData()[i] = armed;
        ok = 1;
    } else if (i >= pending && i - pending < m_Triggered.GetCount()) {
        m_Triggered.RemoveAt(i - pending, 1);
        ok = m_Pending.Add(armed) >= 0 ? 1 : 0;
    }
    m_ListLock.Leave();
    return ok;
}

int TAlarm::PushQuote(int market, int stock, uint32_t last, uint32_t, float lastVolume, float volume,
                      float amount, int32_t passed)
{
    bool watched = false;
    m_ListLock.Enter();
    for (int i = m_Pending.GetCount() - 1; i >= 0 && !watched; --i) {
        const AlarmData &a = m_Pending.GetData()[i];
        watched = a.Market == market && a.Stock == stock;
    }
    m_ListLock.Leave();
    if (!watched)
        return 0;
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets || stock < 0 || stock > 0xFFFF)
        return 0;
    const StockStaticRecord *s = TDataIO::GetStock(MakeStockId(market, 0, stock));
    if (!s)
        return 0;
    // A name table may carry a zero divisor or unit: such a stock is taken as
    // counting in whole units.
    float divisor = PriceScaleOf(*s);
    float unit = s->VolumeUnit ? float(s->VolumeUnit) : 1.0f;
    bool turnover = MarketTable.Markets[market]->Info.Type == 1;

    m_RingLock.Enter();
    AlarmQuote &q = m_Ring[m_Write];
    q.Market = uint16_t(market);
    q.Stock = uint16_t(stock);
    q.Price = float(last) / divisor;
    q.LastVolume = lastVolume / unit;
    q.Volume = volume / unit;
    q.Amount = turnover ? amount * 0.0001f : amount;
    q.Passed = passed;
    m_Write = (m_Write + 1) % RingSize;
    if (m_Write == m_Read)
        m_Read = (m_Read + 1) % RingSize;
    m_RingLock.Leave();
    return 1;
}

int TAlarm::QueuedQuotes()
{
    m_RingLock.Enter();
    int n = (m_Write - m_Read + RingSize) % RingSize;
    m_RingLock.Leave();
    return n;
}

int TAlarm::CheckOne()
{
    m_RingLock.Enter();
    if (m_Read == m_Write) {
        m_RingLock.Leave();
        return -1;
    }
    AlarmQuote q = m_Ring[m_Read];
    m_Read = (m_Read + 1) % RingSize;
    m_RingLock.Leave();

    int fired = 0;
    m_ListLock.Enter();
    for (int i = m_Pending.GetCount() - 1; i >= 0; --i) {
        AlarmData a = m_Pending.GetAt(i);
        if (a.Market != q.Market || a.Stock != q.Stock)
            continue;
        a.Price = q.Price;
        int32_t reason = TestAlarm(a, q);
        if (!reason)
            continue;
        a.Reason = reason;
        GetLocalTime(&a.TriggerTime);
        m_Triggered.Add(a);
        m_Pending.RemoveAt(i, 1);
        if (m_Frame)
            PostMessage(m_Frame, WM_SUBSCRIBE_VIEWS, 0, 0);
        fired = 1;
    }
    m_ListLock.Leave();
    return fired;
}

void TAlarm::Notify()
{
    if (BeepFlag)
        Beep(597, 500);
    if (WindowFlag && m_Frame)
        PostMessage(m_Frame, WM_SHOW_ALARMS, 0, 0);
}

DWORD TAlarm::CheckThreadProc(LPVOID store)
{
    auto *alarm = static_cast<TAlarm *>(store);
    while (alarm->m_Running) {
        bool fired = false;
        int result;
        while (alarm->m_Running && (result = alarm->CheckOne()) != -1)
            fired = fired || result == 1;
        // One firing asks for the window three times, a pause apart.
        if (fired)
            alarm->m_Countdown = 3;
        if (alarm->m_Countdown > 0) {
            alarm->Notify();
            --alarm->m_Countdown;
        }
        if (alarm->m_Running)
            Sleep(PauseMs);
    }
    return 0;
}

int TAlarm::StartCheckThread()
{
    if (m_Thread)
        return 1;
    if (MFrame)
        m_Frame = MFrame->GetFrameWindow();
    m_Running = 1;
    m_Thread = CreateThread(nullptr, 0, CheckThreadProc, this, 0, &m_ThreadId);
    if (!m_Thread) {
        m_Running = 0;
        return 0;
    }
    SetThreadPriority(m_Thread, THREAD_PRIORITY_IDLE);
    return 1;
}

int TAlarm::StopCheckThread()
{
    m_Running = 0;
    if (m_Thread) {
        // The thread looks at the flag after each quote and each pause.
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
        m_Thread = 0;
        m_ThreadId = 0;
    }
    return 1;
}
