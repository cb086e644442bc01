// The main frame at work without a server: the message hub's routing to the
// panes of the page (small test views on a real page), the quote and clock kinds of
// message 2026, the chat hand-over's refusals, the timers' steps, the news
// ticker and the rendered status bar.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/StatusBar.h"
#include "platform/forms/TMenuItem.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

using namespace win;
using framefixture::App;
using framefixture::AddTestView;
using framefixture::FrameTestView;
using framefixture::Pixel;

namespace {

namespace fs = std::filesystem;

// A plain window of this process, as a chat or order client's would be.
HWND MakeWindow()
{
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "Test Plain Window";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return CreateWindowExA(WS_EX_TOOLWINDOW, "Test Plain Window", "", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
}

// Where a picture of a window goes: LUMO_PICTURES names a folder to look at them
// in, else the test's own folder.
std::string PicturePath(const char *name)
{
    const char *folder = std::getenv("LUMO_PICTURES");
    return folder ? std::string(folder) + "/" + name : std::string(name);
}

// Whether a pixel of the colour lies in the columns [x0, x1) of the control.
bool HasColourIn(TControl *control, COLORREF colour, int x0, int x1)
{
    for (int x = x0; x < x1; ++x)
        for (int y = 0; y < control->Height; ++y)
            if (Pixel(control, x, y) == colour)
                return true;
    return false;
}

class FrameHubTest : public framefixture::FrameTest {
protected:
    void StartQuiet()
    {
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        // The tests tick the timers themselves.
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        frame->Alarms->StopCheckThread();
        page = framefixture::NewTestPage(frame);
    }
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) { return SendMessageA(frame->Handle, msg, wParam, lParam); }
    std::vector<std::string> TickerTexts() const
    {
        std::vector<std::string> texts;
        for (const TickerItem *i = frame->TickerList; i; i = i->Next)
            texts.push_back(i->Text);
        return texts;
    }

    framefixture::TestViews views;
    TMultiViewMain *page = nullptr;
};

TEST_F(FrameHubTest, NotifyViewsGoesLastFirstToOpenPanesAndSkipsThoseThatLeft)
{
    StartQuiet();
    FrameTestView *a = AddTestView(page), *closed = AddTestView(page), *empty = AddTestView(page),
                  *d = AddTestView(page);
    closed->Close(); // its release is still to come: it waits in the page's list
    empty->Attr.ViewType = VIEW_EMPTY;
    std::vector<const FrameTestView *> order;
    a->onNotify = [&] { order.push_back(a); };
    d->onNotify = [&] {
        order.push_back(d);
        page->ClosePane(a); // a pane closes another while it is notified
    };
    frame->NotifyViews(8, 0, 1, 0);
    ASSERT_EQ(order, std::vector<const FrameTestView *>{d});
    ASSERT_FALSE(page->HasPane(a));
    EXPECT_EQ(d->notes[0], (std::array<int32_t, 4>{8, 0, 1, 0}));
    EXPECT_TRUE(closed->notes.empty());
    EXPECT_TRUE(empty->notes.empty());

    FrameTestView *e = AddTestView(page);
    e->onNotify = [&] { order.push_back(e); };
    d->onNotify = [&] { order.push_back(d); };
    order.clear();
    frame->NotifyViews(10, 5, 0, 0);
    EXPECT_EQ(order, (std::vector<const FrameTestView *>{e, d}));
    // Without a page nothing is notified.
    frame->CurrentPage = nullptr;
    frame->NotifyViews(10, 5, 0, 0);
    EXPECT_EQ(order.size(), 2u);
    frame->CurrentPage = page;
}

TEST_F(FrameHubTest, ServerDataReachesTheChartsOfItsStockAndPeriod)
{
    StartQuiet();
    const StockId stock = MakeStockId(0, 1, 7), other = MakeStockId(0, 1, 8);
    FrameTestView *hour = AddTestView(page, VIEW_KLINE, stock), *day = AddTestView(page, VIEW_KLINE, stock),
                  *overlaid = AddTestView(page, VIEW_KLINE, other), *intraday = AddTestView(page, VIEW_TREND, stock),
                  *list = AddTestView(page);
    hour->Attr.Param = 7;
    day->Attr.Param = 8;
    overlaid->Attr.Param = 4;
    overlaid->second = stock;
    struct Case {
        int type, detail;
        LPARAM key;
        std::vector<const FrameTestView *> notified; // with code 12 (K-line) or 11 (intraday)
    } cases[] = {
        {12, 4, LPARAM(stock), {hour, overlaid}},
        {12, 8, LPARAM(stock), {day}},
        {12, 1, LPARAM(stock), {}},
        {12, 4, LPARAM(0xFFFFFFFFu), {}}, // a code the market table lacks
        {20, 0, LPARAM(stock), {hour, day, intraday}},
        {20, 0, LPARAM(other), {overlaid}},
        {15, 0, LPARAM(stock), {}},
    };
    for (const Case &c : cases) {
        for (FrameTestView *p : {hour, day, overlaid, intraday, list})
            p->notes.clear();
        Send(WM_SERVER_DATA, WPARAM(c.type << 16 | c.detail), c.key);
        std::vector<const FrameTestView *> got;
        for (const FrameTestView *p : {hour, day, overlaid, intraday, list})
            if (!p->notes.empty()) {
                got.push_back(p);
                const int code = p->Attr.ViewType == VIEW_KLINE ? 12 : 11;
                EXPECT_EQ(p->notes[0], (std::array<int32_t, 4>{code, int32_t(p->Attr.Stock), 0, 0}));
            }
        EXPECT_EQ(got, c.notified) << c.type << "/" << c.detail;
    }
}

TEST_F(FrameHubTest, ActivationAndMouseLeavingReachTheActivePane)
{
    StartQuiet();
    FrameTestView *other = AddTestView(page), *pane = AddTestView(page);
    pane->Activate();
    int activations = 0;
    frame->OnActivate = [&](TObject *) { ++activations; };
    EXPECT_EQ(Send(WM_ACTIVATE, 0, 0), 1);
    EXPECT_EQ(Send(WM_ACTIVATE, 1, 0), 1);
    Send(WM_NCMOUSEMOVE, 0, 0);
    ASSERT_TRUE(testsupport::PumpUntil(App(), [&] { return pane->frameMessages.size() >= 3; }, 2000));
    EXPECT_EQ(pane->frameMessages, (std::vector<UINT>{WM_FRAME_DEACTIVATED, WM_FRAME_ACTIVATED, WM_NCMOUSEMOVE}));
    EXPECT_TRUE(other->frameMessages.empty());
    EXPECT_EQ(activations, 1);
    // No active pane: nothing is posted, the frame still activates.
    page->SetActivePane(nullptr);
    pane->frameMessages.clear();
    EXPECT_EQ(Send(WM_ACTIVATE, 1, 0), 1);
    EXPECT_EQ(activations, 2);
    testsupport::PumpUntil(App(), [] { return false; }, 100);
    EXPECT_TRUE(pane->frameMessages.empty());
}

TEST_F(FrameHubTest, AQuoteUpdatesTheIndexFiguresNotifiesThePanesAndFeedsAlarmsOnlyWithTheSwitch)
{
    StartQuiet();
    TMarketData *md = MarketTable.Markets[1];
    ASSERT_NE(md, nullptr);
    md->Quotes[0].PrevClose = 1000000;
    md->Quotes[0].Last = 1012345;
    md->Quotes[0].Amount = 2.5e9f;
    AlarmData alarm{};
    alarm.Market = 1;
    alarm.Stock = 0;
    alarm.Upper = alarm.Lower = alarm.DealLimit = alarm.VolumeLimit = alarm.AmountLimit = AlarmLimitOff;
    ASSERT_GE(frame->Alarms->AddAlarm(alarm), 0);
    FrameTestView *pane = AddTestView(page);

    const int slot = 3;
    QuoteChangeRing[slot] = {};
    QuoteChangeRing[slot].Stock = MakeStockId(1, 0, 0);
    QuoteChangeRing[slot].Flags = QUOTE_LAST | QUOTE_VOLUME;
    frame->O1->Checked = false;
    Send(WM_DATA_CHANGED, WPARAM(1 << 16 | 5), LPARAM(&QuoteChangeRing[slot]));
    EXPECT_EQ(frame->IndexQuote[1].PrevClose, 1000000);
    EXPECT_EQ(frame->IndexQuote[1].LastPrice, 1012345);
    EXPECT_EQ(frame->Alarms->QueuedQuotes(), 0);
    ASSERT_EQ(pane->Notes(0).size(), 1u);
    EXPECT_EQ(pane->Notes(0)[0],
              (std::array<int32_t, 4>{0, int32_t(MakeStockId(1, 0, 0)), 0, int32_t(QUOTE_LAST | QUOTE_VOLUME)}));

    frame->O1->Click(); // the switch goes on again
    Send(WM_DATA_CHANGED, WPARAM(1 << 16 | 5), LPARAM(&QuoteChangeRing[slot]));
    EXPECT_EQ(frame->Alarms->QueuedQuotes(), 1);

    // Ticks and history of the stock: notifications 11 and 12.
    Send(WM_DATA_CHANGED, WPARAM(1 << 16 | 17), LPARAM(&QuoteChangeRing[slot]));
    Send(WM_DATA_CHANGED, WPARAM(1 << 16 | 18), LPARAM(&QuoteChangeRing[slot]));
    EXPECT_EQ(pane->Notes(11).size(), 1u);
    EXPECT_EQ(pane->Notes(12).size(), 1u);

    // A stock past the market's end is read by no one.
    QuoteChangeRing[slot].Stock = MakeStockId(1, 0, 0xFFFF);
    Send(WM_DATA_CHANGED, WPARAM(1 << 16 | 5), LPARAM(&QuoteChangeRing[slot]));
    EXPECT_EQ(pane->Notes(0).size(), 2u);

    // Changed settings: the panes refresh.
    Send(WM_DATA_CHANGED, DATA_PARAMETERS_CHANGED, 0);
    ASSERT_EQ(pane->Notes(8).size(), 1u);
    EXPECT_EQ(pane->Notes(8)[0], (std::array<int32_t, 4>{8, 0, 2, 0}));

    // A pane's wish to open a view: the linked chart shows the stock ...
    FrameTestView *chart = AddTestView(page, VIEW_KLINE);
    chart->Link = 1;
    VIEW_ATTR wish;
    InitViewAttr(VIEW_KLINE, &wish);
    wish.Stock = MakeStockId(1, 0, 0);
    Send(WM_DATA_CHANGED, 0, LPARAM(&wish));
    ASSERT_EQ(chart->Notes(1).size(), 1u);
    EXPECT_EQ(chart->Notes(1)[0][1], int32_t(wish.Stock));
    // ... and with no linked pane a view of the attributes takes the active pane's place.
    chart->Link = 0;
    pane->Activate();
    Send(WM_DATA_CHANGED, 0, LPARAM(&wish));
    EXPECT_FALSE(page->HasPane(pane));
    ASSERT_NE(page->ActivePane, nullptr);
    EXPECT_NE(dynamic_cast<FrameTestView *>(page->ActivePane), nullptr);
    EXPECT_EQ(int(page->ActivePane->Attr.ViewType), int(VIEW_KLINE));
    EXPECT_EQ(uint32_t(page->ActivePane->Attr.Stock), uint32_t(wish.Stock));
}

TEST_F(FrameHubTest, TheClockStartsANewDayOnlyFromHour23ToHour0)
{
    StartQuiet();
    struct Case {
        int32_t before, after;
        bool newDay;
    } cases[] = {{900, 960, true}, {1379, 1439, false}, {0, 960, false}};
    for (const Case &c : cases) {
        ECriticalSection &lock = frame->Alarms->ListLock();
        lock.Enter();
        frame->Alarms->Pending().SetCount(0);
        frame->Alarms->Triggered().SetCount(0);
        AlarmData fired{};
        fired.Market = 0;
        fired.Stock = 3;
        fired.Reason = AlarmAbove;
        frame->Alarms->Triggered().Add(fired);
        lock.Leave();
        frame->PrevServerMinutes = 0;
        if (c.before)
            Send(WM_DATA_CHANGED, 2, c.before);
        Send(WM_DATA_CHANGED, 2, c.after);
        EXPECT_EQ(frame->ServerMinutes, c.after);
        EXPECT_EQ(frame->Alarms->Pending().GetCount(), c.newDay ? 1 : 0) << c.before << " " << c.after;
        EXPECT_EQ(frame->Alarms->Triggered().GetCount(), c.newDay ? 0 : 1) << c.before << " " << c.after;
    }
}

TEST_F(FrameHubTest, ChatLinkIgnoresCommandsDeadWindowsAndWindowsOfOtherProcesses)
{
    StartQuiet();
    HWND own = MakeWindow();
    HWND dead = MakeWindow();
    DestroyWindow(dead);
    // No chat client was started (the launch recorder ran nothing): no window gets the block.
    frame->ChatProcessId = 0;
    Send(WM_CHAT_COMMAND, 0, LPARAM(uintptr_t(own)));
    EXPECT_EQ(frame->ChatWindow, HWND(0));
    // Only the process the frame started as its chat client is served.
    frame->ChatProcessId = GetCurrentProcessId();
    Send(WM_CHAT_COMMAND, 1, LPARAM(uintptr_t(own)));
    Send(WM_CHAT_COMMAND, 0, LPARAM(uintptr_t(dead)));
    EXPECT_EQ(frame->ChatWindow, HWND(0));
    Send(WM_CHAT_COMMAND, 0, LPARAM(uintptr_t(own)));
    EXPECT_EQ(frame->ChatWindow, own);
    // The order client's window follows 4025 and 4026.
    Send(WM_ORDER_WINDOW, WPARAM(uintptr_t(own)), 0);
    EXPECT_EQ(OrderWindow, own);
    Send(WM_ORDER_WINDOW_GONE, 0, 0);
    EXPECT_EQ(OrderWindow, HWND(0));
    frame->ChatWindow = 0;
    DestroyWindow(own);
}

TEST_F(FrameHubTest, NewsFlashTitlesBecomeTickerItemsCutTo80Bytes)
{
    StartQuiet();
    NewsRecord news{};
    std::strcpy(news.Title, "央行公告");
    Send(WM_NEWS_FLASH, 0, LPARAM(&news));
    // A title that fills its field, with a double-byte character across byte 80.
    std::memset(news.Title, 'a', sizeof news.Title);
    std::memcpy(news.Title + 79, "\xd6\xd0", 1);
    Send(WM_NEWS_FLASH, 0, LPARAM(&news));
    auto texts = TickerTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "央行公告");
    EXPECT_EQ(texts[1], std::string(79, 'a'));
    EXPECT_GT(frame->TickerList->Width, 0);
}

TEST_F(FrameHubTest, TickerScrollsOnePixelPerStepAndDropsItsHeadPastTheBox)
{
    StartQuiet();
    frame->StatusBox6->Align = alNone;
    frame->StatusBox6->Width = 300;
    AppendTickerItem(frame->TickerList, "first", 5)->Width = 100;
    AppendTickerItem(frame->TickerList, "second", 6)->Width = 50;
    for (int i = 0; i < 399; ++i)
        frame->Timer2Timer(frame->Timer2);
    EXPECT_EQ(frame->TickerOffset, 399);
    EXPECT_STREQ(frame->TickerList->Text, "first");
    frame->Timer2Timer(frame->Timer2);
    EXPECT_STREQ(frame->TickerList->Text, "second");
    EXPECT_EQ(frame->TickerOffset, 270);
    // A single item starts again from the right edge.
    for (int i = 0; i < 80; ++i)
        frame->Timer2Timer(frame->Timer2);
    EXPECT_EQ(frame->TickerOffset, 0);
    EXPECT_STREQ(frame->TickerList->Text, "second");
}

TEST_F(FrameHubTest, RealtimeMessageLineIsTheFilesSecondLine)
{
    StartQuiet();
    struct Case {
        const char *name;
        std::string file; // empty: no file
        std::string line;
    } cases[] = {
        {"three lines", "12\r\n\r\nword\r\n", "word"},
        {"LF only", "7\nsecond line\nthird", "second line"},
        {"no line break", "onlyone", ""},
        {"break run past 20 bytes", "1" + std::string(25, '\n') + "late", ""},
        {"long line", "1\r\n" + std::string(70, 'x') + "中文字" + std::string(20, 'y'), std::string(70, 'x') + "中文字" + "yyyy"},
        {"double-byte across byte 80", "1\r\n" + std::string(79, 'x') + "中文", std::string(79, 'x')},
        {"second line past 160 bytes", std::string(150, '1') + "\r\nabcdefghijklmnop", "abcdefgh"},
    };
    for (const Case &c : cases) {
        FreeTickerList(frame->TickerList);
        std::ofstream(root / "bin" / "RTMSG.TXT", std::ios::binary) << c.file;
        frame->ShowRealtimeMessageLine();
        auto texts = TickerTexts();
        ASSERT_EQ(texts.size(), 1u) << c.name;
        EXPECT_EQ(texts[0], "<<在线通知>>" + c.line) << c.name;
    }
    FreeTickerList(frame->TickerList);
    fs::remove(root / "bin" / "RTMSG.TXT");
    frame->ShowRealtimeMessageLine();
    EXPECT_EQ(frame->TickerList, nullptr);
}

TEST_F(FrameHubTest, TimerOneTicksOnTheTestClockAndRunsThePeriodicSteps)
{
    StartQuiet();
    SetTestClock(1165831200000LL, 500000); // 2006-12-11 10:00:00 UTC
    frame->TickCounter = 0;
    frame->Timer1->Enabled = true;
    AdvanceTestClock(1000);
    ASSERT_TRUE(testsupport::PumpUntil(App(), [&] { return frame->TickCounter == 1; }, 2000));
    // Ticks missed while the thread was busy are not made up.
    AdvanceTestClock(5000);
    ASSERT_TRUE(testsupport::PumpUntil(App(), [&] { return frame->TickCounter >= 2; }, 2000));
    App().ProcessMessages();
    EXPECT_EQ(frame->TickCounter, 2);
    frame->Timer1->Enabled = false;

    FrameTestView *pane = AddTestView(page);
    auto sorts = [&] {
        int n = 0;
        for (const auto &note : pane->Notes(8))
            n += note[2] == 1;
        return n;
    };
    SortTime = 30;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const uint32_t t = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    frame->LastSort = t - 29;
    frame->LastRefresh = t;
    frame->Timer1Timer(frame->Timer1);
    EXPECT_EQ(sorts(), 0);
    AdvanceTestClock(1000);
    frame->Timer1Timer(frame->Timer1);
    ASSERT_EQ(pane->Notes(8).size(), 1u);
    EXPECT_EQ(pane->Notes(8)[0], (std::array<int32_t, 4>{8, 0, 1, 0}));
    // Past midnight the clock restarts at 0: the step comes at once.
    AdvanceTestClock((86400 - t - 1) * 1000u);
    frame->LastSort = 86399;
    frame->Timer1Timer(frame->Timer1);
    EXPECT_EQ(sorts(), 2);
    // Offline, the frame's clock follows the local one taken as UTC+8.
    GetLocalTime(&now);
    EXPECT_EQ(frame->ServerMinutes, ((now.wHour + 16) % 24) * 60 + now.wMinute);
    ClearTestClock();
}

TEST_F(FrameHubTest, StatusBarShowsTheIndexesInTheirColours)
{
    StartQuiet();
    frame->SetBounds(0, 0, 1000, 300);
    frame->Show();
    // Market 0 up, market 1 down.
    frame->IndexQuote[0] = {1000000, 1012345, 1.5e10f};
    const int32_t d1 = int32_t(MarketTable.Markets[1]->Statics[0].ScaleDivisor ? MarketTable.Markets[1]->Statics[0].ScaleDivisor : 1000);
    frame->IndexQuote[1] = {1000 * d1, 990 * d1, 2.5e9f};
    const uint32_t divisor0 = MarketTable.Markets[0]->Statics[0].ScaleDivisor;
    MarketTable.Markets[0]->Statics[0].ScaleDivisor = 0; // read as 1000, not written back
    std::strcpy(frame->StatusLetters[0], "l");
    frame->StatusBar->Repaint();
    TPaintBox *box = frame->StatusBox1;
    EXPECT_EQ(uint32_t(MarketTable.Markets[0]->Statics[0].ScaleDivisor), 0u);
    EXPECT_EQ(box->Left, 0);
    EXPECT_GE(box->Height, 14);
    // "沪" in blue from x = 1, "深" from x = 189.
    EXPECT_TRUE(HasColourIn(box, RGB(0, 0, 255), 1, 16));
    EXPECT_FALSE(HasColourIn(box, RGB(0, 0, 255), 0, 1));
    EXPECT_TRUE(HasColourIn(box, RGB(0, 0, 255), 189, 204));
    // Up in red before x = 70 and 122, down in green before 258 and 310.
    EXPECT_TRUE(HasColourIn(box, RGB(255, 0, 0), 30, 70));
    EXPECT_FALSE(HasColourIn(box, RGB(255, 0, 0), 71, 80));
    EXPECT_TRUE(HasColourIn(box, RGB(255, 0, 0), 90, 122));
    EXPECT_TRUE(HasColourIn(box, RGB(0, 128, 0), 220, 258));
    EXPECT_TRUE(HasColourIn(box, RGB(0, 128, 0), 280, 310));
    EXPECT_FALSE(HasColourIn(box, RGB(255, 0, 0), 189, 370));
    // The amounts in black up to 162 and 350.
    EXPECT_TRUE(HasColourIn(box, RGB(0, 0, 0), 130, 162));
    frame->StatusBar->Widget()->grab().save(QString::fromUtf8(PicturePath("statusbar.png").c_str()));
    MarketTable.Markets[0]->Statics[0].ScaleDivisor = divisor0;

    // The clock box: 15:30 UTC is 23:30 on the UTC+8 basis, shifted by the zone table.
    frame->ServerMinutes = 15 * 60 + 30;
    frame->StatusBox5->Repaint();
    EXPECT_TRUE(HasColourIn(frame->StatusBox5, RGB(0, 0, 0), 1, frame->StatusBox5->Width));
    // The ticker draws its text in the ticker colour from the right edge.
    AppendTickerItem(frame->TickerList, "NEWS", 4);
    frame->TickerOffset = 60;
    ColorTable[52] = 0x0000FF;
    frame->StatusBox6->Repaint();
    const int w = frame->StatusBox6->Width;
    EXPECT_TRUE(HasColourIn(frame->StatusBox6, RGB(255, 0, 0), w - 60, w));
    EXPECT_FALSE(HasColourIn(frame->StatusBox6, RGB(255, 0, 0), 0, w - 60));
    frame->StatusBar->Widget()->grab().save(QString::fromUtf8(PicturePath("statusbar-ticker.png").c_str()));
}

TEST_F(FrameHubTest, DoubleClickOnTheIndexesAsksForTheirCharts)
{
    StartQuiet();
    struct Case {
        int x;
        WPARAM key;
    } cases[] = {{10, VK_F3}, {182, VK_F3}, {183, VK_F4}, {300, VK_F4}};
    for (const Case &c : cases) {
        frame->StatusClickX = c.x;
        frame->StatusBox1DblClick(frame->StatusBox1);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, frame->Handle, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << c.x;
        EXPECT_EQ(msg.wParam, c.key) << c.x;
    }
}

} // namespace
