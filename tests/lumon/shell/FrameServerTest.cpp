// The main frame against the simulated data server: the keep-alive traffic and
// real-time messages of the one-second timer, the visible-stock subscription as
// the server receives it, pushed quotes, clocks and news through the message
// hub, each market's day start, and the chat client's hand-over across
// processes.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/StatusBar.h"
#include "platform/forms/TMenuItem.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Process.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

using namespace win;
using framefixture::AddTestView;
using framefixture::App;
using framefixture::FrameTestView;
using framefixture::NewTestPage;
using testsupport::PumpUntil;

namespace {

namespace fs = std::filesystem;

struct LoggedFrame {
    std::string listener;
    int type;
    std::string body; // hex
};

std::vector<uint16_t> Words(const std::string &hex, size_t from, size_t count)
{
    std::vector<uint16_t> words;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = (from + 2 * i) * 2;
        words.push_back(uint16_t(std::stoul(hex.substr(at + 2, 2) + hex.substr(at, 2), nullptr, 16)));
    }
    return words;
}

bool HasColourIn(TControl *control, COLORREF colour, int x0, int x1)
{
    HDC dc = GetDC(control->Handle);
    bool found = false;
    for (int x = x0; x < x1 && !found; ++x)
        for (int y = 0; y < control->Height && !found; ++y)
            found = GetPixel(dc, x, y) == colour;
    ReleaseDC(control->Handle, dc);
    return found;
}

class FrameServerTest : public framefixture::FrameTest {
protected:
    void Connect(std::vector<std::string> options = {})
    {
        logPath = (root / "server.log").string();
        options.insert(options.end(), {"--log", logPath});
        ASSERT_TRUE(server.Start(root.string(), options));
        StartConnected(server);
        ASSERT_EQ(frame->StartAborted, 0);
        ASSERT_EQ(frame->GetConnectionState(), 3);
        // The tests tick the timers themselves; the alarm queue stays as fed.
        EXPECT_TRUE(frame->Timer1->Enabled);
        EXPECT_EQ(frame->Timer1->Interval, 1000u);
        EXPECT_TRUE(frame->Timer2->Enabled);
        EXPECT_EQ(frame->Timer2->Interval, 100u);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        frame->Alarms->StopCheckThread();
        frame->Alarms->ListLock().Enter();
        frame->Alarms->Pending().SetCount(0);
        frame->Alarms->Triggered().SetCount(0);
        frame->Alarms->ListLock().Leave();
    }
    std::vector<LoggedFrame> Logged(const std::string &listener, int type) const
    {
        std::vector<LoggedFrame> frames;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["listener"].text == listener && j["type"].Int() == type)
                frames.push_back({listener, type, j["hex"].text.substr(20)});
        }
        return frames;
    }
    // Waits until the server logged exactly n frames of the type (more fails at once).
    bool LoggedCount(const std::string &listener, int type, size_t n)
    {
        return PumpUntil(App(), [&] { return Logged(listener, type).size() >= n; }, 5000) &&
               Logged(listener, type).size() == n;
    }
    // The subscription frames' entries, and the new count of each.
    std::vector<uint16_t> Subscription(size_t k, int *fresh = nullptr)
    {
        const std::string body = Logged("realtime", 100).at(k).body;
        const uint16_t n = Words(body, 512, 1)[0];
        if (fresh)
            *fresh = Words(body, 514, 1)[0];
        return Words(body, 0, n);
    }
    void Tick(int n)
    {
        for (int i = 0; i < n; ++i)
            frame->Timer1Timer(frame->Timer1);
    }
    void AddAlarm(int market, int stock, bool triggered)
    {
        AlarmData a{};
        a.Market = uint16_t(market);
        a.Stock = uint16_t(stock);
        a.Upper = a.Lower = a.DealLimit = a.VolumeLimit = a.AmountLimit = AlarmLimitOff;
        frame->Alarms->ListLock().Enter();
        (triggered ? frame->Alarms->Triggered() : frame->Alarms->Pending()).Add(a);
        frame->Alarms->ListLock().Leave();
    }
    void Clock(int utcMinutes)
    {
        Json answer = server.Command(R"({"cmd": "clock", "utc_minutes": )" + std::to_string(utcMinutes) + "}");
        ASSERT_TRUE(answer["ok"].boolean);
        ASSERT_TRUE(PumpUntil(App(), [&] { return frame->ServerMinutes == utcMinutes; }, 5000)) << utcMinutes;
    }

    peer::DataServer server;
    std::string logPath;
    framefixture::TestViews views;
    TMultiViewMain *page = nullptr;
};

TEST_F(FrameServerTest, KeepAliveRealtimeMessagesAndTheirTickerLineFollowTheTicks)
{
    Connect();
    struct Checkpoint {
        int tick;
        size_t heartbeats, requests;
    } checkpoints[] = {{58, 0, 0}, {59, 1, 0}, {299, 5, 0}, {300, 5, 1},
                       {359, 6, 1}, {2099, 35, 1}, {2100, 35, 2}, {3900, 65, 3}};
    int ticks = 0;
    for (const Checkpoint &c : checkpoints) {
        Tick(c.tick - ticks);
        ticks = c.tick;
        EXPECT_TRUE(LoggedCount("data", 1, c.heartbeats)) << "tick " << c.tick;
        EXPECT_TRUE(LoggedCount("data", 204, c.requests)) << "tick " << c.tick;
        if (c.tick == 300)
            ASSERT_TRUE(PumpUntil(App(), [&] { return frame->LastRtMsgId == 1; }, 5000));
        if (c.tick == 359) {
            // The message line comes at tick 895, not before.
            Tick(894 - 359);
            EXPECT_EQ(frame->TickerList, nullptr);
            Tick(1);
            ASSERT_NE(frame->TickerList, nullptr);
            EXPECT_STREQ(frame->TickerList->Text, "<<在线通知>>今日行情服务正常，欢迎使用。");
            Tick(1495 - 895);
            ASSERT_NE(frame->TickerList->Next, nullptr);
            ticks = 1495;
            // Heartbeats at C = 59, 119, ... 1139 of the second cycle.
            ASSERT_TRUE(LoggedCount("data", 1, 5 + (1495 - 300 + 1) / 60));
        }
    }
    // The first request starts from no message, the next ones from message 1.
    auto requests = Logged("data", 204);
    EXPECT_EQ(requests[0].body, "ffffffff");
    EXPECT_EQ(requests[1].body, "01000000");
    EXPECT_EQ(requests[2].body, "01000000");
}

// The login dialog's thread replaces the clients while the dialog is open, and
// its modal loop runs the timer: no heartbeat goes out through them then.
TEST_F(FrameServerTest, TheTimerLeavesTheClientsAloneWhileTheLoginDialogIsOpen)
{
    Connect();
    frame->LoginOpen = 1;
    Tick(60);
    frame->LoginOpen = 0;
    Tick(60);
    // One more sent here after them on the same connection: once the server
    // has it, it has everything the ticks sent.
    RequestClient->SendHeartbeat();
    EXPECT_TRUE(LoggedCount("data", 1, 2));
}

TEST_F(FrameServerTest, TimerOneRotatesTheRedLetterOnlineAndAsksToReconnectOffline)
{
    Connect();
    frame->Show();
    frame->IndicatorIndex = 0;
    Tick(1);
    EXPECT_EQ(frame->IndicatorIndex, 1);
    // "u" in red after "l" in blue.
    const int l = frame->StatusBox4->Canvas->TextWidth("l");
    EXPECT_TRUE(HasColourIn(frame->StatusBox4, RGB(255, 0, 0), 1 + l, frame->StatusBox4->Width));
    EXPECT_FALSE(HasColourIn(frame->StatusBox4, RGB(255, 0, 0), 0, 1 + l));
    EXPECT_TRUE(HasColourIn(frame->StatusBox4, RGB(0, 0, 255), 0, 1 + l));

    // Half connected: the timer asks for the reconnection, unless the question
    // is out or the login dialog has the clients.
    RealTimeClient->OnClose(); // the client's own fault notice is dropped here
    ASSERT_EQ(frame->GetConnectionState(), 1);
    MSG drained;
    while (PeekMessageA(&drained, frame->Handle, WM_NETWORK_FAULT, WM_NETWORK_FAULT, PM_REMOVE)) {
    }
    struct Case {
        bool loginOpen, asked, posts;
    } cases[] = {{true, false, false}, {false, true, false}, {false, false, true}};
    for (const Case &c : cases) {
        frame->LoginOpen = c.loginOpen;
        frame->FaultAsked = c.asked;
        Tick(1);
        MSG msg;
        EXPECT_EQ(bool(PeekMessageA(&msg, frame->Handle, WM_NETWORK_FAULT, WM_NETWORK_FAULT, PM_REMOVE)), c.posts)
            << c.loginOpen << c.asked;
    }
    frame->LoginOpen = 0;
    frame->FaultAsked = 0;
}

TEST_F(FrameServerTest, SubscriptionListsIndexesAlarmsAndPanesNewOnesFirst)
{
    Connect();
    AddAlarm(0, 5, false);
    AddAlarm(0, 0, false); // an index entry is not added twice
    AddAlarm(1, 3, false);
    AddAlarm(0, 9, true); // a triggered alarm watches nothing
    MarketTable.Markets[0]->Aux[12].RefFlag = 0;
    MarketTable.Markets[1]->Aux[4].RefFlag = 1; // has its statistics

    // Nothing without a page.
    ASSERT_EQ(frame->CurrentPage, nullptr);
    frame->SubscribeVisibleStocks();
    page = NewTestPage(frame);
    FrameTestView *list = AddTestView(page, VIEW_REPORT),
                  *kline = AddTestView(page, VIEW_KLINE, MakeStockId(0, MarketTable.Markets[0]->GetStockClass(12), 12)),
                  *intraday = AddTestView(page, VIEW_TREND, MakeStockId(1, MarketTable.Markets[1]->GetStockClass(4), 4));
    list->stocks = {MakeSTKMS(0, 10), MakeSTKMS(0, 11)};
    list->rows = {MakeSTKMS(0, 10)};
    kline->stocks = {MakeSTKMS(0, 12)};
    intraday->stocks = {MakeSTKMS(1, 4)};
    // Each 2626 asks again for the statistics still missing: only this one may.
    framefixture::MarkDrawn(page);
    SendMessageA(frame->Handle, WM_SUBSCRIBE_VIEWS, 0, 0);
    ASSERT_TRUE(LoggedCount("realtime", 100, 1));
    int fresh = 0;
    EXPECT_EQ(Subscription(0, &fresh),
              (std::vector<uint16_t>{MakeSTKMS(0, 0), MakeSTKMS(1, 0), MakeSTKMS(0, 5), MakeSTKMS(1, 3),
                                     MakeSTKMS(1, 4), MakeSTKMS(0, 12), MakeSTKMS(0, 10), MakeSTKMS(0, 11)}));
    EXPECT_EQ(fresh, 8);
    // The statistics request: the chart stock without statistics, the list's rows.
    ASSERT_TRUE(LoggedCount("data", 9, 1));
    const std::string stats = Logged("data", 9)[0].body;
    EXPECT_EQ(Words(stats, 512, 1)[0], 2);
    EXPECT_EQ(Words(stats, 0, 2), (std::vector<uint16_t>{MakeSTKMS(0, 12), MakeSTKMS(0, 10)}));

    // Unchanged: nothing is sent. A new stock goes first, the kept ones follow.
    frame->SubscribeVisibleStocks();
    AddTestView(page)->stocks = {MakeSTKMS(2, 20)};
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 2));
    auto second = Subscription(1, &fresh);
    EXPECT_EQ(fresh, 1);
    ASSERT_EQ(second.size(), 9u);
    EXPECT_EQ(second[0], MakeSTKMS(2, 20));
    EXPECT_EQ(second[1], MakeSTKMS(0, 0));

    // More alarms than the frame holds, and no pane: the first 256 entries.
    page = NewTestPage(frame);
    frame->Alarms->ListLock().Enter();
    frame->Alarms->Pending().SetCount(0);
    frame->Alarms->ListLock().Leave();
    AddAlarm(0, 4096 + 5, false); // past the entry's 4095: never subscribed
    // The sample market is small: its empty slots count as stocks here.
    const int32_t stockCounts[2] = {MarketTable.Markets[0]->StockCount, MarketTable.Markets[1]->StockCount};
    std::vector<uint16_t> first;
    for (int m = 0; m < 2; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        md->StockCount = int32_t(md->Capacity);
        for (int i = 1; i < md->StockCount && first.size() < 300; ++i) {
            AddAlarm(m, i, false);
            first.push_back(MakeSTKMS(m, i));
        }
    }
    ASSERT_EQ(first.size(), 300u);
    RealTimeClient->ClearSubscription();
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 3));
    auto alarms = Subscription(2);
    ASSERT_EQ(alarms.size(), 256u);
    EXPECT_EQ(std::vector<uint16_t>(alarms.begin() + 2, alarms.end()),
              std::vector<uint16_t>(first.begin(), first.begin() + 254));
    MarketTable.Markets[0]->StockCount = stockCounts[0];
    MarketTable.Markets[1]->StockCount = stockCounts[1];
    frame->Alarms->ListLock().Enter();
    frame->Alarms->Pending().SetCount(0);
    frame->Alarms->ListLock().Leave();

    // A page that needs 300 stocks is cut to 256.
    FrameTestView *many = AddTestView(page);
    for (int i = 0; i < 300; ++i)
        many->stocks.push_back(MakeSTKMS(3, 100 + i));
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 4));
    auto cut = Subscription(3, &fresh);
    ASSERT_EQ(cut.size(), 256u);
    EXPECT_EQ(cut[0], MakeSTKMS(3, 100));
    // Emptying the client's list makes the whole set new again.
    RealTimeClient->ClearSubscription();
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 5));
    Subscription(4, &fresh);
    EXPECT_EQ(fresh, 256);
}

TEST_F(FrameServerTest, APushedQuoteReachesThePanesTheAlarmsWithTheSwitchAndTheStatusBar)
{
    Connect();
    AddAlarm(0, 0, false);
    page = NewTestPage(frame);
    FrameTestView *pane = AddTestView(page);
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 1));
    PumpUntil(App(), [] { return false; }, 300);
    pane->notes.clear();
    frame->Show();
    const int32_t divisor = int32_t(MarketTable.Markets[0]->Statics[0].ScaleDivisor);

    struct Case {
        bool alarmSwitch;
        int32_t last;
        COLORREF colour;
    } cases[] = {{false, 1050, RGB(255, 0, 0)}, {true, 950, RGB(0, 128, 0)}};
    // The quotes the subscription brought are queued already.
    int queued = frame->Alarms->QueuedQuotes();
    for (const Case &c : cases) {
        frame->O1->Checked = c.alarmSwitch;
        pane->notes.clear();
        std::string command = R"({"cmd": "quote", "market": 0, "stock": 0, "prev_close": )" +
                              std::to_string(1000 * divisor) + R"(, "last": )" + std::to_string(c.last * divisor) +
                              R"(, "amount": 1.5e10})";
        ASSERT_TRUE(server.Command(command)["ok"].boolean);
        ASSERT_TRUE(PumpUntil(App(), [&] { return !pane->Notes(0).empty(); }, 5000));
        const auto note = pane->Notes(0)[0];
        EXPECT_EQ(note[1], int32_t(MakeStockId(0, MarketTable.Markets[0]->GetStockClass(0), 0)));
        EXPECT_TRUE(uint32_t(note[3]) & QUOTE_LAST);
        EXPECT_EQ(frame->IndexQuote[0].LastPrice, c.last * divisor);
        queued += c.alarmSwitch;
        EXPECT_EQ(frame->Alarms->QueuedQuotes(), queued);
        frame->StatusBox1->Repaint();
        EXPECT_TRUE(HasColourIn(frame->StatusBox1, RGB(0, 0, 255), 1, 16));
        EXPECT_FALSE(HasColourIn(frame->StatusBox1, RGB(0, 0, 255), 0, 1));
        EXPECT_TRUE(HasColourIn(frame->StatusBox1, c.colour, 20, 70)) << c.last;
    }
}

TEST_F(FrameServerTest, APushedQuoteReachesTheViewsOfThePageTheFrameOpens)
{
    Connect();
    // Shown, the frame opens its page: the maker's default page, of test views.
    frame->Show();
    ASSERT_NE(frame->CurrentPage, nullptr);
    std::vector<FrameTestView *> views;
    for (int i = 0; i < frame->CurrentPage->Panes->GetCount(); ++i)
        if (auto *view = dynamic_cast<FrameTestView *>(frame->CurrentPage->Panes->GetAt(i)))
            views.push_back(view);
    ASSERT_FALSE(views.empty());
    // Its panes, once drawn, have the frame subscribe (2626): the index entries come first.
    ASSERT_TRUE(PumpUntil(App(), [&] { return !Logged("realtime", 100).empty(); }, 5000));
    EXPECT_EQ(Subscription(0)[0], MakeSTKMS(0, 0));
    // The quotes the subscription brought are let in first.
    PumpUntil(App(), [] { return false; }, 300);
    for (FrameTestView *view : views)
        view->notes.clear();
    const int32_t divisor = int32_t(MarketTable.Markets[0]->Statics[0].ScaleDivisor);
    ASSERT_TRUE(server.Command(R"({"cmd": "quote", "market": 0, "stock": 0, "last": )" +
                               std::to_string(1020 * divisor) + "}")["ok"].boolean);
    const int32_t stock = int32_t(MakeStockId(0, MarketTable.Markets[0]->GetStockClass(0), 0));
    auto reached = [&] {
        if (frame->IndexQuote[0].LastPrice != 1020 * divisor)
            return false;
        for (FrameTestView *view : views) {
            bool got = false;
            for (const auto &note : view->Notes(0))
                got = got || note[1] == stock;
            if (!got)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(PumpUntil(App(), reached, 5000));
    EXPECT_EQ(frame->IndexQuote[0].LastPrice, 1020 * divisor);
}

TEST_F(FrameServerTest, TheServersClockMovesTriggeredAlarmsBackOnlyAtANewDay)
{
    Connect();
    page = NewTestPage(frame);
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(LoggedCount("realtime", 100, 1));
    AddAlarm(0, 7, true);
    Clock(1379);
    Clock(1439);
    EXPECT_EQ(frame->Alarms->Triggered().GetCount(), 1);
    EXPECT_TRUE(LoggedCount("realtime", 100, 1));
    Clock(900);
    Clock(960);
    EXPECT_EQ(frame->Alarms->Triggered().GetCount(), 0);
    ASSERT_EQ(frame->Alarms->Pending().GetCount(), 1);
    // Its stock is subscribed as new.
    ASSERT_TRUE(LoggedCount("realtime", 100, 2));
    int fresh = 0;
    EXPECT_EQ(Subscription(1, &fresh)[0], MakeSTKMS(0, 7));
    EXPECT_EQ(fresh, 1);
}

TEST_F(FrameServerTest, APushedNewsFlashBecomesATickerItem)
{
    Connect();
    // 测试快讯
    ASSERT_TRUE(server.Command(R"({"cmd": "news", "type": 1, "title": "\u6d4b\u8bd5\u5feb\u8baf"})")["ok"].boolean);
    ASSERT_TRUE(PumpUntil(App(), [&] { return frame->TickerList != nullptr; }, 5000));
    EXPECT_STREQ(frame->TickerList->Text, "测试快讯");
    EXPECT_EQ(frame->TickerList->Next, nullptr);
}

TEST_F(FrameServerTest, EachMarketsDayStartsOnceOnAWeekday)
{
    Connect();
    page = NewTestPage(frame);
    struct Case {
        int day; // of December 2006
        bool starts;
    } cases[] = {{11, true}, {9, false}};
    for (const Case &c : cases) {
        std::memset(frame->DayStartState, 0, sizeof frame->DayStartState);
        StartTime.wYear = 2006;
        StartTime.wMonth = 12;
        StartTime.wDay = WORD(c.day);
        Clock(8 * 60 + 59);
        Clock(60); // 09:00 on the UTC+8 market
        TMarketData *md = MarketTable.Markets[0];
        ASSERT_EQ(md->ClockMinute, 540);
        ASSERT_EQ(int(md->Info.DayStartMinute), 540);
        md->Quotes[5].Last = 1234;
        md->Aux[5].RefFlag = 1;
        frame->TickCounter = 0;
        Tick(57); // the first look arms the market
        EXPECT_EQ(frame->DayStartState[0], c.starts ? 1 : 0) << c.day;
        EXPECT_EQ(md->Quotes[5].Last, 1234u);
        Tick(60); // the next one starts its day
        EXPECT_EQ(md->Quotes[5].Last, c.starts ? 0u : 1234u) << c.day;
        EXPECT_EQ(int(md->Aux[5].RefFlag), c.starts ? 0 : 1) << c.day;
        EXPECT_EQ(frame->DayStartState[0], 0);
        // Past its window nothing more happens.
        Clock(62);
        md->Quotes[5].Last = 99;
        Tick(120);
        EXPECT_EQ(md->Quotes[5].Last, 99u);
    }
}

class FrameChatTest : public FrameServerTest {
protected:
    void SetUp() override
    {
        FrameServerTest::SetUp();
        RecordLaunches(false);
        fs::copy_file(LUMO_CHATPEER, root / "bin" / "chatdesk.dll", fs::copy_options::overwrite_existing);
        chatOut = (root / "chat.out").string();
        setenv("LUMO_CHATPEER_OUT", chatOut.c_str(), 1);
        unsetenv("LUMO_CHATPEER_MODE");
    }
    void TearDown() override
    {
        for (HWND peer : peers)
            PostMessageA(peer, WM_CHAT_COMMAND, 3, 0);
        unsetenv("LUMO_CHATPEER_OUT");
        unsetenv("LUMO_CHATPEER_MODE");
        FrameServerTest::TearDown();
    }
    static std::vector<std::string> Lines(const std::string &path, const std::string &start)
    {
        std::vector<std::string> lines;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(start, 0) == 0)
                lines.push_back(line);
        return lines;
    }
    // Starts a peer of this test (not the frame's chat client); its window once it posted.
    HWND StartForeignPeer(const std::string &out, const char *mode)
    {
        setenv("LUMO_CHATPEER_OUT", out.c_str(), 1);
        if (mode)
            setenv("LUMO_CHATPEER_MODE", mode, 1);
        std::string command = "chatpeer " + std::to_string(unsigned(uintptr_t(frame->Handle)));
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(CreateProcessA(LUMO_CHATPEER, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &info));
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        unsetenv("LUMO_CHATPEER_MODE");
        HWND window = 0;
        // Its posts are handled once the frame takes its window as the order window.
        EXPECT_TRUE(PumpUntil(App(), [&] {
            auto posted = Lines(out, "posted ");
            window = posted.empty() ? HWND(0) : HWND(std::stoul(posted[0].substr(7)));
            return window && OrderWindow == window;
        }, 10000));
        peers.push_back(window);
        return window;
    }

    std::string chatOut;
    std::vector<HWND> peers;
};

TEST_F(FrameChatTest, TheStartedChatClientAloneGetsTheCredentialsAndTheClose)
{
    Connect();
    ASSERT_NE(frame->ChatProcessId, 0u);
    ASSERT_TRUE(PumpUntil(App(), [&] { return !Lines(chatOut, "copydata").empty(); }, 10000));
    std::string expected = "copydata 0 128 64656d6f" + std::string(120, '0') + "64656d6f" + std::string(120, '0');
    EXPECT_EQ(Lines(chatOut, "copydata")[0], expected);
    const HWND chat = frame->ChatWindow;
    ASSERT_NE(chat, HWND(0));

    // Another process's window gets nothing.
    const std::string otherOut = (root / "other.out").string();
    HWND other = StartForeignPeer(otherOut, nullptr);
    ASSERT_NE(other, HWND(0));
    EXPECT_TRUE(Lines(otherOut, "copydata").empty());
    EXPECT_EQ(frame->ChatWindow, chat);

    // Offline, the block is all zeros.
    SendMessageA(frame->Handle, WM_DROP_CLIENTS, 0, 0);
    PostMessageA(frame->Handle, WM_CHAT_COMMAND, 0, LPARAM(uintptr_t(chat)));
    ASSERT_TRUE(PumpUntil(App(), [&] { return Lines(chatOut, "copydata").size() == 2; }, 10000));
    EXPECT_EQ(Lines(chatOut, "copydata")[1], "copydata 0 128 " + std::string(256, '0'));

    // Closing the frame tells the chat client to end.
    frame->TearDown();
    EXPECT_EQ(frame->ChatWindow, HWND(0));
    EXPECT_TRUE(PumpUntil(App(), [&] { return !Lines(chatOut, "close").empty(); }, 10000));
}

TEST_F(FrameChatTest, PointerMessagesOfAnotherProcessChangeNothing)
{
    Connect();
    page = NewTestPage(frame);
    FrameTestView *pane = AddTestView(page);
    TMultiViewChild *active = page->ActivePane;
    // The drawn panes have the frame subscribe; the quotes that brings are let in first.
    ASSERT_TRUE(PumpUntil(App(), [&] { return pane->Drawn && !Logged("realtime", 100).empty(); }, 5000));
    PumpUntil(App(), [] { return false; }, 300);
    pane->notes.clear();
    const auto before = frame->IndexQuote[0];
    HWND forger = StartForeignPeer((root / "forge.out").string(), "forge");
    ASSERT_NE(forger, HWND(0));
    EXPECT_EQ(frame->TickerList, nullptr);
    EXPECT_TRUE(pane->notes.empty());
    // The forged view wish (2026 kind 0) replaced no pane.
    EXPECT_EQ(page->ActivePane, active);
    EXPECT_EQ(page->Panes->GetCount(), 2);
    EXPECT_EQ(frame->IndexQuote[0].LastPrice, before.LastPrice);
}

} // namespace
