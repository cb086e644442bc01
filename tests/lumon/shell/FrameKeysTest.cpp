// The frame's keyboard router and tool bar on a page of test views: keys posted
// through the application's hook with Win32's lParam bits, the view and zoom
// buttons, the tool groups, full-screen mode, the hint and the help program.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <string>

#include "lumon/core/EToolTip.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/HotKeyDlg.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "platform/forms/KeyState.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/win/Messages.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

using namespace win;
using framefixture::App;
using framefixture::FrameTestView;

namespace {

namespace fs = std::filesystem;

constexpr LPARAM kRepeat = LPARAM(1) << 30;
constexpr LPARAM kAlt = LPARAM(1) << 29;

class FrameKeysTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        page = framefixture::NewTestPage(frame);
        Settle();
    }
    void TearDown() override
    {
        SetTestKeyDown(VK_MENU, false);
        FrameTest::TearDown();
    }
    // Handles what is queued, and what that queued in turn.
    static void Settle()
    {
        for (int i = 0; i < 6; ++i)
            App().ProcessMessages();
    }
    void Key(WPARAM key, LPARAM lParam = 0, UINT msg = WM_KEYDOWN)
    {
        PostMessageA(frame->Handle, msg, key, lParam);
        Settle();
    }
    FrameTestView *Active() { return dynamic_cast<FrameTestView *>(page->ActivePane); }
    // The active pane made to show a view of the type.
    FrameTestView *Show(uint16_t type, StockId stock = MakeStockId(0, 0, 3))
    {
        VIEW_ATTR attr;
        InitViewAttr(type, &attr);
        attr.Stock = stock;
        attr.BlockId = 7;
        page->ReplaceView(page->ActivePane->Node, &attr, 1);
        page->ActivePane->Activate();
        Settle();
        return Active();
    }

    framefixture::TestViews views;
    TMultiViewMain *page = nullptr;
};

TEST_F(FrameKeysTest, F5TogglesIntradayAndKLineOncePerPress)
{
    Show(VIEW_TREND);
    Key(VK_F5);
    Key(VK_F5, kRepeat); // held down: the auto-repeat is not a second press
    ASSERT_NE(Active(), nullptr);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_KLINE);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(0, 0, 3));
    EXPECT_EQ(Active()->Attr.BlockId, 7) << "the value after the stock goes along";
    Key(VK_F5);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_TREND);
    EXPECT_EQ(page->Panes->GetCount(), 1);

    // A news pane has no partner view: F5 does nothing.
    Show(VIEW_NEWS);
    Key(VK_F5);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_NEWS);
}

TEST_F(FrameKeysTest, F5FromAQuoteListStepsThroughItsRowsAtTheCurrentRow)
{
    FrameTestView *list = Show(VIEW_REPORT);
    const StockId rows[] = {MakeStockId(0, 0, 1), MakeStockId(0, 0, 2), MakeStockId(0, 0, 3)};
    struct Case {
        const char *what;
        int gridRow, position;
    } cases[] = {{"second row", 2, 1}, {"row past the list", 9, 2}, {"heading row", 0, 0}};
    for (const Case &c : cases) {
        list = Show(VIEW_REPORT);
        list->reportRows.assign(std::begin(rows), std::end(rows));
        list->gridRow = c.gridRow;
        Key(VK_F5);
        ASSERT_EQ(Active()->Attr.ViewType, VIEW_TREND) << c.what;
        const TBrowseList *shared = FindBrowseList(BrowseListHandle(Active()->Attr));
        ASSERT_NE(shared, nullptr) << c.what;
        EXPECT_EQ(shared->Stocks.size(), 3u) << c.what;
        EXPECT_EQ(BrowseIndex(Active()->Attr), c.position) << c.what;
        EXPECT_EQ(shared->RefCount, 1) << c.what << ": only the new view holds the list";
    }
    // An empty quote list hands over no list.
    list = Show(VIEW_REPORT);
    Key(VK_F5);
    EXPECT_EQ(BrowseListHandle(Active()->Attr), 0u);
}

TEST_F(FrameKeysTest, ALinkedIntradayPaneComesForwardAndAgreesWithTheTickPreference)
{
    frame->T1->Checked = false;
    FrameTestView *kline = Show(VIEW_KLINE);
    FrameTestView *chart = framefixture::AddTestView(page, VIEW_TREND);
    chart->Attr.Flags &= ~VIEW_FLAG_TREND; // in the tick chart
    chart->Link = 1;
    kline->Activate();
    Settle();
    Key(VK_F5);
    EXPECT_EQ(page->ActivePane, chart);
    ASSERT_EQ(chart->Notes(1).size(), 1u);
    EXPECT_EQ(chart->Notes(1)[0][1], int32_t(MakeStockId(0, 0, 3)));
    EXPECT_EQ(chart->tickSwitches, 1);
    EXPECT_NE(chart->Attr.Flags & VIEW_FLAG_TREND, 0u);
    EXPECT_EQ(page->Panes->GetCount(), 2);
}

TEST_F(FrameKeysTest, F6BringsAQuoteListForwardOrReplacesTheActivePane)
{
    FrameTestView *chart = Show(VIEW_TREND);
    FrameTestView *list = framefixture::AddTestView(page, VIEW_REPORT);
    chart->Activate();
    page->ZoomPane(chart, 1);
    Settle();
    ASSERT_EQ(page->MaximizedPane, chart);
    Key(VK_F6);
    EXPECT_EQ(page->ActivePane, list);
    EXPECT_EQ(page->MaximizedPane, list) << "the maximised page shows the list";

    framefixture::NewTestPage(frame);
    page = frame->CurrentPage;
    Show(VIEW_KLINE);
    Key(VK_F6);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_REPORT);
    EXPECT_EQ(page->Panes->GetCount(), 1);
}

TEST_F(FrameKeysTest, F7MaximisesThroughTheCommandBox)
{
    FrameTestView *chart = Show(VIEW_TREND);
    framefixture::AddTestView(page, VIEW_REPORT);
    chart->Activate();
    ASSERT_NE(chart->CmdBox, nullptr);
    Key(VK_F7);
    EXPECT_EQ(page->MaximizedPane, chart);
}

TEST_F(FrameKeysTest, F10OpensTheCompanyTextUnlessAltGoesToTheKLineChart)
{
    Show(VIEW_TREND, MakeStockId(0, 0, 5));
    Key(VK_F10, 0, WM_SYSKEYDOWN);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_TEXT);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(0, 0, 5));

    FrameTestView *chart = Show(VIEW_KLINE);
    SetTestKeyDown(VK_MENU, true);
    Key(VK_F10, kAlt, WM_SYSKEYDOWN);
    Key(VK_F4, kAlt, WM_SYSKEYDOWN);
    EXPECT_EQ(Active(), chart) << "Alt keys stay with the chart";
    ASSERT_EQ(chart->chartKeys.size(), 2u);
    EXPECT_EQ(chart->chartKeys[1], (std::pair<WORD, bool>(VK_F4, true)));
    EXPECT_EQ(frame->TornDown, 0) << "Alt+F4 on a K-line chart does not close the frame";
}

TEST_F(FrameKeysTest, F3AndF4ShowTheIndexChartsF4NotWithAlt)
{
    Show(VIEW_REPORT);
    Key(VK_F3);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_TREND);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(0, 0, 0));
    Show(VIEW_REPORT);
    SetTestKeyDown(VK_MENU, true);
    Key(VK_F4);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_REPORT);
    SetTestKeyDown(VK_MENU, false);
    Key(VK_F4);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(1, 0, 0));
    EXPECT_EQ(Active()->Attr.BlockId, 1);
}

TEST_F(FrameKeysTest, F9AndF11FindOrMakeTheirViews)
{
    FrameTestView *ranking = Show(VIEW_RANKING);
    Key(VK_F11);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_RANKING) << "no selected row: nothing";
    ranking->selected = MakeStockId(1, 0, 2);
    Key(VK_F11);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_TEXT);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(1, 0, 2));
    Key(VK_F9);
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_NEWS);
    EXPECT_EQ(StockId(Active()->Attr.Stock), MakeStockId(1, 0, 2));
}

TEST_F(FrameKeysTest, F12StartsOrderProgramZero)
{
    std::ofstream(root / "bin" / "consign") << "#!/bin/sh\n";
    fs::permissions(root / "bin" / "consign", fs::perms::owner_all);
    RecordLaunches(true);
    Key(VK_F12);
    auto launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].call, "ShellExecuteA");
    EXPECT_EQ(fs::path(launches[0].program).filename(), "consign");
}

TEST_F(FrameKeysTest, SpaceShowsThenDestroysTheHotKeyHelp)
{
    Key(VK_SPACE);
    ASSERT_NE(HotKeyHelp, nullptr);
    EXPECT_TRUE(HotKeyHelp->Visible);
    EXPECT_EQ(HotKeyHelp->Caption, "热键说明");
    EXPECT_EQ(HotKeyHelp->Memo1->Lines->Count(), 10);
    if (const char *folder = std::getenv("LUMO_PICTURES"))
        HotKeyHelp->Widget()->grab().save(QString::fromUtf8((std::string(folder) + "/hotkey.png").c_str()));
    Key(VK_SPACE);
    EXPECT_EQ(HotKeyHelp, nullptr);
}

TEST_F(FrameKeysTest, TheToolBarShowsItsButtonsInARow)
{
    frame->WindowState = wsNormal;
    frame->SetBounds(0, 0, 1100, 500);
    frame->Show();
    Settle();
    EXPECT_EQ(frame->ToolBar1->Top, 0);
    EXPECT_GE(frame->ToolBar1->Height, frame->ToolBar1->ButtonHeight);
    // Left to right without overlap; the hidden groups take no room.
    int right = 0;
    for (int i = 0; i < frame->ToolBar1->ButtonCount; ++i) {
        TToolButton *b = frame->ToolBar1->Buttons(i);
        if (!b->Visible)
            continue;
        EXPECT_GE(b->Left, right) << b->GetCaption().c_str();
        right = b->Left + b->Width;
    }
    EXPECT_LE(right, frame->ClientWidth);
    if (const char *folder = std::getenv("LUMO_PICTURES"))
        frame->Widget()->grab().save(QString::fromUtf8((std::string(folder) + "/frame.png").c_str()));
}

LRESULT CommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
std::vector<WPARAM> commands;

LRESULT CommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SYSCOMMAND) {
        commands.push_back(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(FrameKeysTest, TheScreenSaverIsSwallowedOtherCommandsPass)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = CommandProc;
    wc.lpszClassName = "FrameKeysCommands";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "FrameKeysCommands", "", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    commands.clear();
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE | 2, 0);
    PostMessageA(hwnd, WM_SYSCOMMAND, 0xF180, 0);
    Settle();
    EXPECT_EQ(commands, std::vector<WPARAM>{0xF180});
    DestroyWindow(hwnd);
}

TEST_F(FrameKeysTest, MouseMovesTellTheOtherPanes)
{
    FrameTestView *a = Show(VIEW_TREND);
    FrameTestView *b = framefixture::AddTestView(page, VIEW_REPORT);
    a->frameMessages.clear();
    b->frameMessages.clear();
    PostMessageA(a->Handle, WM_MOUSEMOVE, 0, LPARAM(5 | (5 << 16)));
    Settle();
    EXPECT_TRUE(a->frameMessages.empty());
    EXPECT_EQ(b->frameMessages, std::vector<UINT>{WM_NCMOUSEMOVE});
}

TEST_F(FrameKeysTest, ToolGroupsShowAndHideTheirMembers)
{
    struct Case {
        int group;
        std::vector<TControl *> buttons;
        std::vector<TMenuItem *> items;
    } cases[] = {
        {0, {frame->ToolButton12, frame->LineBtn}, {frame->MenuItem117}},
        {1, {frame->B[0], frame->B[18], frame->B[19]}, {}},
        {2, {frame->ToolButton17, frame->Cycle[0], frame->Cycle[11]}, {}},
        {3, {}, {frame->N2}},
        {4, {frame->ToolButton23, frame->ToolButton24, frame->ToolButton25}, {}},
    };
    for (const Case &c : cases) {
        for (bool visible : {true, false}) {
            frame->ShowToolGroup(visible, c.group);
            for (TControl *b : c.buttons)
                EXPECT_EQ(b->Visible, visible) << c.group;
            for (TMenuItem *i : c.items)
                EXPECT_EQ(i->Visible, visible) << c.group;
        }
    }
    frame->ShowToolGroup(true, 5);
    for (const Case &c : cases) {
        for (TControl *b : c.buttons)
            EXPECT_FALSE(b->Visible) << "group 5 changes nothing";
    }
    // 直接买卖 shows the buy and sell buttons with its check mark.
    frame->N61->Click();
    EXPECT_TRUE(frame->N61->Checked);
    EXPECT_TRUE(frame->ToolButton23->Visible);
}

TEST_F(FrameKeysTest, FullScreenCoversTheScreenAndComesBack)
{
    const RECT screen{0, 0, 1024, 768};
    SetTestWorkArea(&screen);
    SetTestSystemMetric(SM_CYCAPTION, 19);
    SetTestSystemMetric(SM_CXFRAME, 4);
    frame->WindowState = wsNormal;
    frame->SetBounds(30, 40, 700, 500);
    frame->WindowState = wsMaximized;
    frame->MenuItem95->Click();
    EXPECT_TRUE(frame->MenuItem95->Checked);
    EXPECT_TRUE(frame->N4->Checked);
    EXPECT_TRUE(frame->ToolButton8->Down);
    EXPECT_EQ(frame->WindowState, wsNormal);
    EXPECT_EQ(frame->Left, -4);
    EXPECT_EQ(frame->Top, -23);
    EXPECT_EQ(frame->Width, 1032);
    EXPECT_EQ(frame->Height, 825);
    frame->ToolButton8->Click();
    EXPECT_FALSE(frame->MenuItem95->Checked);
    EXPECT_FALSE(frame->N4->Checked);
    EXPECT_EQ(frame->WindowState, wsMaximized);
    frame->WindowState = wsNormal;
    EXPECT_EQ(frame->Left, 30);
    EXPECT_EQ(frame->Width, 700);
    SetTestSystemMetric(SM_CYCAPTION, -1);
    SetTestSystemMetric(SM_CXFRAME, -1);
    SetTestWorkArea(nullptr);
}

TEST_F(FrameKeysTest, ZoomButtonsTypeArrowsIntoTheIntradayChartAndStepOtherViews)
{
    FrameTestView *chart = Show(VIEW_TREND);
    frame->Show();
    SetForegroundWindow(frame->Handle);
    SetFocus(chart->Handle);
    ASSERT_TRUE(testsupport::PumpUntil(App(), [chart] { return GetFocus() == chart->Handle; }, 3000));
    frame->ToolButton6->Click();
    frame->ToolButton7->Click();
    Settle();
    ASSERT_EQ(chart->keys.size(), 2u);
    EXPECT_EQ(chart->keys[0].first, WPARAM(VK_UP));
    EXPECT_EQ(chart->keys[1].first, WPARAM(VK_DOWN));
    EXPECT_NE(chart->keys[0].second & (LPARAM(1) << 24), 0) << "an extended key";
    EXPECT_TRUE(chart->Notes(15).empty());

    FrameTestView *kline = Show(VIEW_KLINE);
    frame->ToolButton6->Click();
    frame->ToolButton7->Click();
    ASSERT_EQ(kline->Notes(15).size(), 2u);
    EXPECT_EQ(kline->Notes(15)[0][2], 1);
    EXPECT_EQ(kline->Notes(15)[1][2], -1);

    // K线图 from a news pane: nothing.
    Show(VIEW_NEWS);
    frame->ToolButton3->Click();
    EXPECT_EQ(Active()->Attr.ViewType, VIEW_NEWS);
}

TEST_F(FrameKeysTest, BuyAndSellHandTheInstrumentOnlyFromChartsAndQuoteLists)
{
    struct Case {
        uint16_t type;
        bool posted;
    } cases[] = {{VIEW_TREND, true}, {VIEW_REPORT, true}, {VIEW_KLINE, true}, {VIEW_NEWS, false}, {VIEW_TEXT, false}};
    for (const Case &c : cases) {
        Show(c.type, MakeStockId(1, 0, 4));
        for (TToolButton *button : {frame->ToolButton23, frame->ToolButton24}) {
            frame->ToolButton23Click(button);
            MSG msg;
            const bool got = PeekMessageA(&msg, frame->Handle, 2575, 2575, PM_REMOVE);
            EXPECT_EQ(got, c.posted) << c.type;
            if (got) {
                EXPECT_EQ(msg.wParam, WPARAM(MakeStockId(1, 0, 4)));
                EXPECT_EQ(msg.lParam, button == frame->ToolButton23 ? 25 : 26);
            }
        }
    }
}

TEST_F(FrameKeysTest, HintsShowBelowTheMouseAndAnEmptyHintHides)
{
    frame->Show();
    Settle();
    Application->Hint = "连接";
    frame->AppHint(nullptr);
    ASSERT_NE(frame->HintTip, nullptr);
    EXPECT_STREQ(frame->HintTip->m_Text, "连接");
    EXPECT_TRUE(IsWindowVisible(frame->HintTip->m_hWnd));
    Application->Hint = "";
    frame->AppHint(nullptr);
    EXPECT_FALSE(IsWindowVisible(frame->HintTip->m_hWnd));
}

TEST_F(FrameKeysTest, AMissingHelpProgramSaysSo)
{
    size_t before = ShownMessageBoxes().size();
    frame->RunHelpProgram();
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), before + 1);
    EXPECT_EQ(boxes.back().text, "无法启动帮助文件.  ");
    EXPECT_EQ(boxes.back().caption, "提示");
    EXPECT_EQ(boxes.back().icon, MB_ICONERROR);
}

} // namespace
