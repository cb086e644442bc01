// The alarm store: ALARM.SET, the list edits, the quote ring, the tests of a
// quote against the alarms and the checking thread with its posted notices.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "HistoryFixture.h"
#include "lumon/core/Alarm.h"
#include "lumon/core/FrameServices.h"
#include "platform/win/Messages.h"
#include "platform/win/Sound.h"
#include "platform/win/Window.h"

namespace {

AlarmData Alarm(int market, int stock, float upper = AlarmLimitOff, float lower = AlarmLimitOff)
{
    AlarmData a{};
    a.Market = uint16_t(market);
    a.Stock = uint16_t(stock);
    a.Upper = upper;
    a.Lower = lower;
    a.DealLimit = a.VolumeLimit = a.AmountLimit = AlarmLimitOff;
    return a;
}

std::string AlarmFile(uint32_t flags, const std::vector<AlarmData> &alarms, const char *magic = "LMAS01")
{
    std::string bytes(magic, 6);
    bytes.append(reinterpret_cast<const char *>(&flags), 4);
    bytes.append(reinterpret_cast<const char *>(alarms.data()), alarms.size() * sizeof(AlarmData));
    return bytes;
}

// A frame whose window collects what the alarm thread posts.
class AlarmFrame : public TFrameServices {
public:
    AlarmFrame()
    {
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = win::DefWindowProcA;
        wc.lpszClassName = "AlarmFrameTest";
        win::RegisterClassA(&wc);
        m_Window = win::CreateWindowExA(0, "AlarmFrameTest", "", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
        MFrame = this;
    }
    ~AlarmFrame() override
    {
        MFrame = nullptr;
        win::DestroyWindow(m_Window);
    }
    bool RequestNameTable(int) override { return false; }
    win::HWND GetFrameWindow() override { return m_Window; }

    // The messages posted so far, taken from the queue.
    std::vector<win::UINT> &Posted()
    {
        win::MSG msg;
        while (win::PeekMessageA(&msg, m_Window, 0, 0, win::PM_REMOVE))
            m_Posted.push_back(msg.message);
        return m_Posted;
    }
    int Count(win::UINT message)
    {
        int n = 0;
        for (win::UINT m : Posted())
            n += m == message;
        return n;
    }

private:
    win::HWND m_Window;
    std::vector<win::UINT> m_Posted;
};

TEST(Alarm, FileRoundTripsAndShrinks)
{
    HistoryMarkets f;
    {
        TAlarm alarm;
        EXPECT_EQ(alarm.BeepFlag, 1);
        EXPECT_EQ(alarm.WindowFlag, 1);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(alarm.AddAlarm(Alarm(0, i + 1, 10.0f + float(i))), i);
        alarm.BeepFlag = 0;
        AlarmData fired = Alarm(0, 4);
        fired.Reason = AlarmAbove;
        fired.TriggerTime.wYear = 2006;
        alarm.Triggered().Add(fired);
    }
    EXPECT_EQ(f.inst.Read("CFG/ALARM.SET").size(), 10 + 4 * sizeof(AlarmData));
    {
        TAlarm alarm;
        EXPECT_EQ(alarm.BeepFlag, 0);
        EXPECT_EQ(alarm.WindowFlag, 1);
        ASSERT_EQ(alarm.Pending().GetCount(), 4); // the triggered one is armed again
        EXPECT_EQ(alarm.Triggered().GetCount(), 0);
        AlarmData back = alarm.Pending().GetAt(3);
        EXPECT_EQ(back.Reason, 0);
        EXPECT_EQ(back.TriggerTime.wYear, 0);
        EXPECT_EQ(back.Stock, 4);
        EXPECT_FLOAT_EQ(alarm.Pending().GetAt(2).Upper, 12.0f);
        EXPECT_EQ(alarm.DeleteAlarm(0), 1);
        EXPECT_EQ(alarm.DeleteAlarm(0), 1);
        EXPECT_EQ(alarm.DeleteAlarm(5), 0);
    }
    // The shorter list leaves no stale alarm behind.
    EXPECT_EQ(f.inst.Read("CFG/ALARM.SET").size(), 10 + 2 * sizeof(AlarmData));
    TAlarm alarm;
    EXPECT_EQ(alarm.Pending().GetCount(), 2);
    EXPECT_EQ(alarm.BeepFlag, 0); // kept even when no alarm is stored
}

TEST(Alarm, ForeignAndOversizedFiles)
{
    HistoryMarkets f;
    std::vector<AlarmData> many(5000, Alarm(0, 1));
    struct Case {
        std::string bytes;
        int pending;
        int beep;
    } cases[] = {
        {AlarmFile(0, many, "LMAS02"), 0, 1},
        {AlarmFile(0x10, many), 1000, 0},
        {AlarmFile(0, {Alarm(0, 1), Alarm(0, 2)}) + "partial", 2, 0},
        {"LMAS", 0, 1},
        {"", 0, 1},
    };
    for (const Case &c : cases) {
        f.inst.Write("CFG/ALARM.SET", c.bytes);
        TAlarm alarm;
        EXPECT_EQ(alarm.Pending().GetCount(), c.pending);
        EXPECT_EQ(alarm.BeepFlag, c.beep);
        alarm.Pending().SetCount(0);
    }
}

TEST(Alarm, AtMost1000AlarmsAndReArming)
{
    HistoryMarkets f;
    TAlarm alarm;
    for (int i = 0; i < 999; ++i)
        ASSERT_EQ(alarm.AddAlarm(Alarm(0, 1)), i);
    alarm.Triggered().Add(Alarm(0, 2));
    EXPECT_EQ(alarm.AddAlarm(Alarm(0, 3)), -1);
    EXPECT_EQ(alarm.Pending().GetCount(), 999);

    AlarmData changed = Alarm(0, 5, 1.0f);
    changed.TriggerTime.wYear = 2006;
    EXPECT_EQ(alarm.ModifyAlarm(999, changed), 1); // the triggered one is re-armed
    EXPECT_EQ(alarm.Triggered().GetCount(), 0);
    ASSERT_EQ(alarm.Pending().GetCount(), 1000);
    EXPECT_EQ(alarm.Pending().GetAt(999).Stock, 5);
    EXPECT_EQ(alarm.Pending().GetAt(999).TriggerTime.wYear, 0);
    EXPECT_EQ(alarm.ModifyAlarm(0, changed), 1);
    EXPECT_EQ(alarm.Pending().GetAt(0).Stock, 5);
    EXPECT_EQ(alarm.ModifyAlarm(1000, changed), 0);
    EXPECT_EQ(alarm.ModifyAlarm(-1, changed), 0);
    alarm.Pending().SetCount(0);
}

TEST(Alarm, QuotesFireTheirAlarmsOnce)
{
    HistoryMarkets f;
    AlarmFrame frame;
    TAlarm alarm;
    f.Market(0).Statics[3].ScaleDivisor = 0; // a zero divisor counts in whole units
    f.Market(0).Statics[3].VolumeUnit = 0;

    AlarmData volume = Alarm(0, 2);
    volume.VolumeLimit = 50; // trading units of 100
    AlarmData both = Alarm(0, 1, 10.0f);
    both.AmountLimit = 2; // units of 10 000 in a turnover market
    alarm.AddAlarm(Alarm(0, 1));          // every limit off
    alarm.AddAlarm(both);                  // price and amount
    alarm.AddAlarm(Alarm(0, 5, 0.0f));     // upper limit 0
    alarm.AddAlarm(volume);
    alarm.AddAlarm(Alarm(0, 3, 5.0f));     // divisor 0

    alarm.AddAlarm(Alarm(512, 1, 0.0f));   // a market that does not exist
    EXPECT_EQ(alarm.PushQuote(512, 1, 100, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(alarm.PushQuote(0, 6, 100, 0, 0, 0, 0, 0), 0); // no alarm: not queued
    EXPECT_EQ(alarm.QueuedQuotes(), 0);
    EXPECT_EQ(alarm.PushQuote(0, 1, 1050, 0, 0, 0, 30000, 0), 1);
    EXPECT_EQ(alarm.CheckOne(), 1);
    ASSERT_EQ(alarm.Triggered().GetCount(), 1);
    EXPECT_EQ(alarm.Triggered().GetAt(0).Reason, AlarmAmount); // the last test that held
    EXPECT_FLOAT_EQ(alarm.Triggered().GetAt(0).Price, 10.5f);
    EXPECT_NE(alarm.Triggered().GetAt(0).TriggerTime.wYear, 0);
    EXPECT_EQ(alarm.CheckOne(), -1);
    alarm.PushQuote(0, 1, 1050, 0, 0, 0, 30000, 0);
    EXPECT_EQ(alarm.CheckOne(), 0); // the all-off alarm never fires; the other already did
    EXPECT_EQ(frame.Count(WM_SUBSCRIBE_VIEWS), 1);

    // A price below 0.001 skips the price tests, not the volume test.
    alarm.PushQuote(0, 5, 0, 0, 0, 0, 0, 0);
    alarm.PushQuote(0, 2, 0, 0, 0, 4000, 0, 0);
    EXPECT_EQ(alarm.CheckOne(), 0);
    EXPECT_EQ(alarm.CheckOne(), 0);
    alarm.PushQuote(0, 2, 0, 0, 0, 5000, 0, 0);
    EXPECT_EQ(alarm.CheckOne(), 1);
    alarm.PushQuote(0, 5, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(alarm.CheckOne(), 1);
    alarm.PushQuote(0, 3, 5, 0, 0, 0, 0, 0);
    EXPECT_EQ(alarm.CheckOne(), 1);
    EXPECT_EQ(alarm.Triggered().GetCount(), 4);
    EXPECT_EQ(frame.Count(WM_SUBSCRIBE_VIEWS), 4);
    alarm.Pending().SetCount(0);
    alarm.Triggered().SetCount(0);
}

TEST(Alarm, AFullRingDropsTheOldestQuote)
{
    HistoryMarkets f;
    TAlarm alarm;
    alarm.AddAlarm(Alarm(0, 1, 10.0f));
    alarm.PushQuote(0, 1, 2000, 0, 0, 0, 0, 0); // would fire
    for (int i = 0; i < 100; ++i)
        alarm.PushQuote(0, 1, 100, 0, 0, 0, 0, 0);
    EXPECT_EQ(alarm.QueuedQuotes(), 99);
    int fired = 0;
    for (int r; (r = alarm.CheckOne()) != -1;)
        fired += r;
    EXPECT_EQ(fired, 0);
    alarm.Pending().SetCount(0);
}

TEST(Alarm, ThreadNotifiesThreeTimesAndStopsPromptly)
{
    HistoryMarkets f;
    AlarmFrame frame;
    win::RecordSounds(true);
    TAlarm alarm;
    alarm.AddAlarm(Alarm(0, 1, 10.0f));
    ASSERT_EQ(alarm.StartCheckThread(), 1);
    EXPECT_EQ(alarm.StartCheckThread(), 1);
    alarm.PushQuote(0, 1, 1100, 0, 0, 0, 0, 0);
    auto start = std::chrono::steady_clock::now();
    while (frame.Count(WM_SHOW_ALARMS) < 3 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        win::Sleep(10);
    EXPECT_EQ(frame.Count(WM_SHOW_ALARMS), 3);
    EXPECT_EQ(frame.Count(WM_SUBSCRIBE_VIEWS), 1);

    auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(alarm.StopCheckThread(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    win::Sleep(600);
    EXPECT_EQ(frame.Count(WM_SHOW_ALARMS), 3); // nothing after the stop
    // Each notice sounds the alarm tone.
    auto beeps = win::RecordedBeeps();
    ASSERT_EQ(beeps.size(), 3u);
    for (const auto &b : beeps) {
        EXPECT_EQ(b.frequency, 597u);
        EXPECT_EQ(b.durationMs, 500u);
    }
    win::RecordSounds(false);
    alarm.Triggered().SetCount(0);
}

} // namespace
