// The frame's themes, time-zone presets, web links, helper programs and menu
// and tool-button commands, on a started frame with a page of test views: each
// command against each active view type, the check marks the settings keep,
// the recoloured panes and status bar, the launches and their failures, and
// the frame's picture saved as a bitmap.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/Cview.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/ViewCommands.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

using namespace win;
using framefixture::App;
using framefixture::FrameTestView;
using framefixture::Pixel;

namespace {

namespace fs = std::filesystem;
using Commands = std::vector<std::pair<int, int>>;
using Handler = void (TMFrame::*)(TObject *);

const uint16_t kTypes[] = {VIEW_TREND, VIEW_KLINE, VIEW_REPORT, VIEW_NEWS};

COLORREF ThemeColour(int theme, int slot)
{
    char section[16], key[16];
    std::snprintf(section, sizeof section, "Color%d", theme);
    std::snprintf(key, sizeof key, "COLOR%02d", slot);
    return COLORREF(GetPrivateProfileIntA(section, key, -1, "..\\CFG\\SETTING.INI")) & 0xFFFFFF;
}

void MakeProgram(const fs::path &path)
{
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, fs::perms::owner_all);
}

// A stand-in for the K-line chart's drawing-tool box: a form and the down
// states of its 19 tool buttons.
std::map<TForm *, std::array<bool, 19>> boxes;

class FrameCommandsTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        savedZones_ = TimeZoneTable;
        // The installation's time-zone table, as the program reads it at its start.
        LoadSysTimeTable();
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        page = framefixture::NewTestPage(frame);
        Settle();
    }
    void TearDown() override
    {
        RecordDialogs(false);
        ClearTestClock();
        TimeZoneTable = savedZones_;
        FrameTest::TearDown();
        boxes.clear();
    }
    static void Settle()
    {
        for (int i = 0; i < 6; ++i)
            App().ProcessMessages();
    }
    FrameTestView *Active() { return dynamic_cast<FrameTestView *>(page->ActivePane); }
    // The active pane made to show a view of the type (a stock of market 0).
    FrameTestView *Show(uint16_t type)
    {
        VIEW_ATTR attr;
        InitViewAttr(type, &attr);
        attr.Stock = MakeStockId(0, 0, 3);
        page->ReplaceView(page->ActivePane->Node, &attr, 1);
        page->ActivePane->Activate();
        Settle();
        return Active();
    }
    // Whether the frame has a message of that number queued, taken off the queue.
    static bool Posted(HWND window, UINT msg, WPARAM *wParam = nullptr, LPARAM *lParam = nullptr)
    {
        MSG m;
        if (!PeekMessageA(&m, window, msg, msg, PM_REMOVE))
            return false;
        if (wParam)
            *wParam = m.wParam;
        if (lParam)
            *lParam = m.lParam;
        return true;
    }
    // A handler of the frame called as its menu item or button calls it.
    void Run(Handler handler, TObject *sender = nullptr) { std::invoke(handler, frame, sender); }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> out;
        for (const ShownMessageBox &b : ShownMessageBoxes())
            out.push_back(b.text);
        return out;
    }

    framefixture::TestViews views;
    TMultiViewMain *page = nullptr;

private:
    SysTimeTable savedZones_{};
};

TEST_F(FrameCommandsTest, DisplayStyleCyclesTheFourThemesRecolouringPanesStatusBarAndFonts)
{
    FrameTestView *view = Show(VIEW_REPORT);
    FrameTestView *other = framefixture::AddTestView(page, VIEW_KLINE);
    frame->Show();
    Settle();
    ASSERT_EQ(frame->ThemeMenu->Count, 4);
    // Theme 0 is current; choosing it again only checks its item.
    ASSERT_EQ(LastTheme, 0);
    frame->ThemeMenu->Items[0]->Checked = false;
    frame->ColorClick(frame->ThemeMenu->Items[0]);
    EXPECT_TRUE(frame->ThemeMenu->Items[0]->Checked);
    EXPECT_EQ(view->colorsSet, 0);

    int applied = 0;
    for (int expected : {1, 2, 3, 0}) {
        frame->ToolButton15->Click();
        Settle();
        ++applied;
        EXPECT_EQ(LastTheme, expected);
        EXPECT_EQ(view->colorsSet, applied);
        EXPECT_EQ(other->colorsSet, applied);
        // The panes' background and the page label's colours are the theme's.
        EXPECT_EQ(Pixel(view, 3, 3), ThemeColour(expected, 17)) << expected;
        EXPECT_EQ(Pixel(other, 3, 3), ThemeColour(expected, 17)) << expected;
        TPaintBox *label = frame->StatusBox2;
        EXPECT_EQ(Pixel(label, label->Width - 1, label->Height / 2), ThemeColour(expected, 54)) << expected;
        // The shared fonts: point sizes, and pixel heights for entries 5, 6, 9, 10.
        const int larger = expected == 3 ? 3 : 0;
        EXPECT_EQ(TChildView::Fonts[0]->Size, 9 + larger) << expected;
        EXPECT_EQ(TChildView::Fonts[5]->Height, 12 + larger) << expected;
        EXPECT_EQ(TChildView::Fonts[2]->Size, 12 + larger) << expected;
        frame->Widget()->window()->grab().save(
            QString::fromUtf8((LUMO_TEST_BINARY_DIR "/frame_theme" + std::to_string(expected) + ".png").c_str()));
        // "显示风格" leaves the theme menu's check mark where it was.
        EXPECT_TRUE(frame->ThemeMenu->Items[0]->Checked);
        EXPECT_FALSE(frame->ThemeMenu->Items[expected]->Checked && expected != 0);
    }
    // Two themes differ where the pane shows them.
    EXPECT_NE(ThemeColour(0, 17), ThemeColour(1, 17));

    // A current theme outside the themes (a hand-edited file) steps to theme 0.
    for (int outside : {7, -1, 2147483647}) {
        LastTheme = outside;
        frame->ToolButton15Click(frame->ToolButton15);
        EXPECT_EQ(LastTheme, 0) << outside;
    }

    // A theme chosen from the menu is applied and checked.
    frame->ColorClick(frame->ThemeMenu->Items[2]);
    Settle();
    EXPECT_EQ(LastTheme, 2);
    EXPECT_TRUE(frame->ThemeMenu->Items[2]->Checked);
    EXPECT_EQ(Pixel(view, 3, 3), ThemeColour(2, 17));
}

TEST_F(FrameCommandsTest, ATimeZonePresetIsAppliedSavedAndEveryPaneReloads)
{
    ASSERT_GE(frame->ZoneMenu->Count, 2);
    FrameTestView *a = Show(VIEW_TREND);
    FrameTestView *b = framefixture::AddTestView(page, VIEW_KLINE);
    Settle();
    a->reloads = b->reloads = 0;
    TMenuItem *item = frame->ZoneMenu->Items[1];
    frame->ReferZoneClick(item);
    EXPECT_TRUE(item->Checked);
    EXPECT_EQ(TimeZoneTable.CurrentPreset, 1);
    EXPECT_EQ(a->reloads, 1);
    EXPECT_EQ(b->reloads, 1);
    // The saved table names the preset.
    std::string saved = framefixture::ReadFile(root / "CFG" / "systime.dat");
    ASSERT_EQ(saved.size(), sizeof(SysTimeFile));
    int32_t current = 0;
    std::memcpy(&current, saved.data() + 4, 4);
    EXPECT_EQ(current, 1);
}

TEST_F(FrameCommandsTest, AWebLinkOpensWhatFollowsTheFirstColon)
{
    const char *settings = "..\\CFG\\SETTING.INI";
    WritePrivateProfileStringA("WEB", "Web1", "a:b:c", settings);
    WritePrivateProfileStringA("WEB", "Web2", "站点:./d:e:f", settings);
    WritePrivateProfileStringA("WEB", "Web3", "nocolon", settings);
    WritePrivateProfileStringA("WEB", "Web4", "坏:no-such-program-here", settings);
    WritePrivateProfileStringA("WEB", "Web5", "空:", settings);
    MakeProgram(root / "bin" / "b:c");
    MakeProgram(root / "bin" / "d:e:f");
    struct Case {
        int tag;
        std::string program; // the end of the program run, empty: nothing run
        std::string arg;
        bool fails;
    } cases[] = {
        {0, "/bin/b:c", "", false},
        {1, "/bin/d:e:f", "", false},
        {2, "", "", false},
        {3, "", "", true},
        // A value ending in its colon opens nothing and says so.
        {4, "", "", true},
    };
    for (const Case &c : cases) {
        RecordLaunches(true);
        RecordMessageBoxes(true);
        TMenuItem item(frame);
        item.Tag = c.tag;
        frame->WebClick(&item);
        auto launches = RecordedLaunches();
        if (c.program.empty()) {
            EXPECT_TRUE(launches.empty()) << c.tag;
        } else {
            ASSERT_EQ(launches.size(), 1u) << c.tag;
            EXPECT_TRUE(launches[0].program.ends_with(c.program)) << launches[0].program;
            if (!c.arg.empty()) {
                ASSERT_EQ(launches[0].args.size(), 1u);
                EXPECT_EQ(launches[0].args[0], c.arg);
            }
        }
        auto shown = ShownMessageBoxes();
        ASSERT_EQ(shown.size(), c.fails ? 1u : 0u) << c.tag;
        if (c.fails) {
            EXPECT_EQ(shown[0].text, "无法启动浏览器.  ");
            EXPECT_EQ(shown[0].caption, "提示");
            EXPECT_EQ(shown[0].icon, UINT(MB_ICONERROR));
            EXPECT_TRUE(shown[0].type & MB_TOPMOST);
        }
    }
}

TEST_F(FrameCommandsTest, EachHelperProgramStartsOrShowsItsOwnMessageAndTheFrameRunsOn)
{
    const fs::path cfg = root / "CFG";
    struct Case {
        void (TMFrame::*handler)(TObject *);
        fs::path program;
        const char *failure;
    } cases[] = {
        {&TMFrame::N21Click, root / "bin" / "profcal", "无法启动计算器.  "},
        {&TMFrame::N47Click, cfg / "LMHOTKEY", "无法启动帮助文件.  "},
        {&TMFrame::ToolButton11Click, cfg / "LMHOTKEY", "无法启动帮助文件.  "},
        {&TMFrame::MenuItem167Click, cfg / "LMHELP", "无法启动帮助文件.  "},
        {&TMFrame::N67Click, root / "bin" / "toolpick", "设置程序不存在! "},
    };
    for (const Case &c : cases) {
        fs::remove(c.program);
        RecordLaunches(true);
        RecordMessageBoxes(true);
        Run(c.handler);
        EXPECT_TRUE(RecordedLaunches().empty()) << c.program;
        auto shown = ShownMessageBoxes();
        ASSERT_EQ(shown.size(), 1u) << c.program;
        EXPECT_EQ(shown[0].text, c.failure);
        EXPECT_EQ(shown[0].caption, "提示");
        EXPECT_EQ(shown[0].icon, UINT(MB_ICONERROR));
        EXPECT_TRUE(IsWindow(frame->Handle));
        EXPECT_FALSE(Posted(0, WM_QUIT));

        // Found by name, without the ".exe" the settings give.
        MakeProgram(c.program);
        RecordLaunches(true);
        RecordMessageBoxes(true);
        Run(c.handler);
        auto launches = RecordedLaunches();
        ASSERT_EQ(launches.size(), 1u) << c.program;
        EXPECT_EQ(fs::path(launches[0].program), fs::canonical(c.program));
        EXPECT_TRUE(launches[0].args.empty());
        EXPECT_TRUE(ShownMessageBoxes().empty()) << c.program;
    }
}

TEST_F(FrameCommandsTest, AutomaticUpdateAsksFirstAndEndsTheTerminalAfterStartingTheUpdater)
{
    // No: nothing is started.
    RecordMessageBoxes(true);
    RecordLaunches(true);
    ScriptMessageBoxAnswers({IDNO});
    frame->N24Click(nullptr);
    auto shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "自动更新需要关闭当前客户端程序, 是否继续?  ");
    EXPECT_EQ(shown[0].caption, "软件更新");
    EXPECT_EQ(shown[0].owner, HWND(0));
    EXPECT_EQ(shown[0].buttons, UINT(MB_YESNO));
    EXPECT_EQ(shown[0].icon, UINT(MB_ICONQUESTION));
    EXPECT_TRUE(RecordedLaunches().empty());
    EXPECT_FALSE(Posted(0, WM_QUIT));

    // Yes without the updater: its message, and the terminal runs on.
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDYES});
    frame->N24Click(nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"自动更新需要关闭当前客户端程序, 是否继续?  ",
                                                 "无法启动更新程序, 升级失败.  "}));
    EXPECT_FALSE(Posted(0, WM_QUIT));

    // Yes with the updater: it starts and the terminal quits, closing through
    // its teardown as the program's entry runs it after the loop.
    MakeProgram(root / "bin" / "update");
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDYES});
    frame->N24Click(nullptr);
    auto launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(fs::path(launches[0].program), fs::canonical(root / "bin" / "update"));
    EXPECT_TRUE(Posted(0, WM_QUIT));
    frame->TearDown();
    EXPECT_EQ(frame->TornDown, 1);
    EXPECT_EQ(Setting("THEME", "LastTheme"), "0");
}

// Every command that forwards to a view, against every active view type: the
// view of the named type gets the operation, the others nothing.
TEST_F(FrameCommandsTest, ForwardingCommandsReachOnlyTheirViewType)
{
    struct Row {
        const char *name;
        Handler handler;
        TObject *sender;
        std::vector<uint16_t> types;
        std::pair<int, int> command;
    };
    TMenuItem *weekly = nullptr;
    for (int i = 0; i < frame->MenuItem117->Count; ++i)
        if (frame->MenuItem117->Items[i]->Caption == "分析周期")
            weekly = frame->MenuItem117->Items[i]->Items[1];
    ASSERT_NE(weekly, nullptr);
    const Row rows[] = {
        {"选择指标", &TMFrame::I1Click, nullptr, {VIEW_KLINE}, {VC_CHOOSE_INDICATOR, 0}},
        {"技术分析", &TMFrame::ToolButton12Click, nullptr, {VIEW_KLINE}, {VC_CHOOSE_INDICATOR, 0}},
        {"指标叠加", &TMFrame::A1Click, nullptr, {VIEW_KLINE}, {VC_OVERLAY_INDICATOR, 0}},
        {"指标参数", &TMFrame::MenuItem127Click, nullptr, {VIEW_KLINE}, {VC_INDICATOR_PARAMS, 0}},
        {"设置参考线", &TMFrame::N32Click, nullptr, {VIEW_KLINE}, {VC_REFERENCE_LINES, 0}},
        {"均线显/隐", &TMFrame::N17Click, nullptr, {VIEW_KLINE}, {VC_TOGGLE_AVERAGES, 0}},
        {"跨品种分析", &TMFrame::N65Click, nullptr, {VIEW_KLINE}, {VC_CROSS_ANALYSIS, 0}},
        {"后复权", &TMFrame::N40Click, frame->N40Items[2], {VIEW_KLINE}, {VC_SET_EX_RIGHTS, 2}},
        {"周线", &TMFrame::MenuItem119Click, weekly, {VIEW_KLINE}, {VC_SET_PERIOD, 9}},
        {"5分钟", &TMFrame::CycleClick, frame->Cycle[7], {VIEW_KLINE}, {VC_SET_PERIOD, 4}},
        {"开/关信息窗口", &TMFrame::ToolButton22Click, nullptr, {VIEW_TREND, VIEW_KLINE}, {VC_INFO_WINDOW, 0}},
        {"编辑栏目", &TMFrame::MenuItem145Click, nullptr, {VIEW_REPORT}, {VC_EDIT_COLUMNS, 0}},
        {"螺历", &TMFrame::B20Click, nullptr, {VIEW_KLINE}, {VC_SPIRAL, 0}},
    };
    for (uint16_t type : kTypes) {
        FrameTestView *view = Show(type);
        for (const Row &row : rows) {
            view->commands.clear();
            Run(row.handler, row.sender);
            bool acts = false;
            for (uint16_t t : row.types)
                acts = acts || t == type;
            EXPECT_EQ(view->commands, acts ? Commands{row.command} : Commands{}) << row.name << " on " << type;
        }
        // Print goes to whatever view is active.
        frame->MenuItem90Click(nullptr);
        EXPECT_EQ(view->prints, 1) << type;
    }
    // Without a page every command does nothing.
    TMultiViewMain *saved = frame->CurrentPage;
    frame->CurrentPage = nullptr;
    for (const Row &row : rows)
        Run(row.handler, row.sender);
    for (Handler h : {&TMFrame::MenuItem90Click, &TMFrame::N54Click, &TMFrame::N58Click, &TMFrame::N14Click,
                      &TMFrame::TICK1Click, &TMFrame::N15Click, &TMFrame::N16Click, &TMFrame::MenuItem117Click,
                      &TMFrame::MenuItem143Click, &TMFrame::ToolButton1Click, &TMFrame::N44Click,
                      &TMFrame::N11Click, &TMFrame::N51Click, &TMFrame::LineBtnClick, &TMFrame::FormActivate})
        Run(h);
    frame->CurrentPage = saved;
}

// Every command item of the started frame's menus does something.
TEST_F(FrameCommandsTest, EveryMenuCommandHasItsHandler)
{
    std::vector<std::string> silent;
    std::function<void(TMenuItem *)> walk = [&](TMenuItem *menu) {
        for (int i = 0; i < menu->Count; ++i) {
            TMenuItem *item = menu->Items[i];
            const std::string caption = AnsiString(item->Caption).c_str();
            if (item->Count > 0)
                walk(item);
            else if (caption != "-" && !item->OnClick)
                silent.push_back(caption);
        }
    };
    walk(frame->MainMenu1->Items);
    walk(frame->PopupMenu1->Items);
    // The mobile-quotes menu has no command of its own.
    EXPECT_EQ(silent, (std::vector<std::string>{"手机行情"}));
    for (TToolButton *button : {frame->ToolButton1, frame->ToolButton9, frame->ToolButton11, frame->ToolButton12,
                                frame->ToolButton14, frame->ToolButton15, frame->ToolButton18, frame->ToolButton19,
                                frame->ToolButton22, frame->LineBtn, frame->B[0], frame->B[19], frame->Cycle[0]})
        EXPECT_TRUE(bool(button->OnClick)) << AnsiString(button->Hint).c_str();
}

TEST_F(FrameCommandsTest, MenusOpeningFollowTheActiveView)
{
    for (uint16_t type : kTypes) {
        FrameTestView *view = Show(type);
        view->exRights = 3;
        frame->MenuItem117Click(frame->MenuItem117);
        EXPECT_EQ(bool(frame->N40Menu->Visible), type == VIEW_KLINE) << type;
        if (type == VIEW_KLINE)
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(bool(frame->N40Items[i]->Checked), i == 3);
        frame->MenuItem143Click(frame->MenuItem143);
        EXPECT_EQ(bool(frame->MenuItem145->Visible), type == VIEW_REPORT) << type;
    }
}

TEST_F(FrameCommandsTest, FrameAndPageCommandsPostTheirMessages)
{
    for (uint16_t type : kTypes) {
        FrameTestView *view = Show(type);
        Settle();
        WPARAM w = 0;
        LPARAM l = 0;
        frame->N14Click(nullptr);
        EXPECT_EQ(Posted(frame->Handle, WM_KEYDOWN, &w), type != VIEW_REPORT) << type;
        if (type != VIEW_REPORT)
            EXPECT_EQ(w, WPARAM(VK_F6));
        for (Handler h : {&TMFrame::ToolButton14Click, &TMFrame::F101Click}) {
            Run(h);
            ASSERT_TRUE(Posted(frame->Handle, WM_KEYDOWN, &w));
            EXPECT_EQ(w, WPARAM(VK_F11));
        }
        for (Handler h : {&TMFrame::N64Click, &TMFrame::N70Click, &TMFrame::ToolButton18Click}) {
            Run(h);
            EXPECT_TRUE(Posted(frame->Handle, WM_SHOW_CHAT));
        }
        const std::pair<Handler, UINT> pageCommands[] = {
            {&TMFrame::N58Click, WM_PANE_SPLIT_H}, {&TMFrame::N59Click, WM_PANE_SPLIT_V}, {&TMFrame::N57Click, WM_PANE_CLOSE}};
        for (const auto &[h, msg] : pageCommands) {
            Run(h);
            ASSERT_TRUE(Posted(page->Handle, msg, nullptr, &l)) << msg;
            EXPECT_EQ(l, LPARAM(view));
        }
        frame->ToolButton1Click(nullptr);
        Settle();
        ASSERT_FALSE(view->keys.empty());
        EXPECT_EQ(view->keys.back().first, WPARAM(VK_ESCAPE));
    }
    // "窗口放大/还原" presses the zoom button of the pane's command box.
    FrameTestView *view = Show(VIEW_KLINE);
    framefixture::AddTestView(page, VIEW_REPORT);
    view->Activate();
    Settle();
    frame->N54Click(nullptr);
    Settle();
    EXPECT_EQ(page->MaximizedPane, view);
}

TEST_F(FrameCommandsTest, ViewCommandsShowTheStockInTheChartOrNotesView)
{
    // From a quote list: the intraday chart in tick mode, then minute mode.
    Show(VIEW_REPORT);
    frame->TICK1Click(nullptr);
    Settle();
    TMultiViewChild *trend = page->FindPaneByType(VIEW_TREND, 1);
    ASSERT_NE(trend, nullptr);
    EXPECT_FALSE(trend->Attr.Flags & VIEW_FLAG_TREND);
    EXPECT_EQ(StockId(trend->Attr.Stock), MakeStockId(0, 0, 3));
    page->SetActivePane(trend);
    frame->N15Click(nullptr);
    EXPECT_TRUE(trend->Attr.Flags & VIEW_FLAG_TREND);
    frame->TICK1Click(nullptr);
    EXPECT_FALSE(trend->Attr.Flags & VIEW_FLAG_TREND);
    // K-line from the intraday chart; nothing from a K-line chart.
    frame->N16Click(nullptr);
    Settle();
    TMultiViewChild *kline = page->FindPaneByType(VIEW_KLINE, 1);
    ASSERT_NE(kline, nullptr);
    EXPECT_EQ(StockId(kline->Attr.Stock), MakeStockId(0, 0, 3));
    page->SetActivePane(kline);
    const int panes = page->Panes->GetCount();
    frame->N16Click(nullptr);
    Settle();
    EXPECT_EQ(page->Panes->GetCount(), panes);
    EXPECT_EQ(page->ActivePane, kline);

    // The exchange notes: a new notes view, then the one on the page told.
    frame->N44Click(nullptr);
    Settle();
    auto *notes = dynamic_cast<FrameTestView *>(page->FindPaneByType(VIEW_NOTES, 1));
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(int(notes->Attr.BlockId), 0);
    frame->N45Click(nullptr);
    Settle();
    ASSERT_FALSE(notes->Notes(1).empty());
    EXPECT_EQ(notes->Notes(1).back()[2], 2);
}

TEST_F(FrameCommandsTest, TogglesKeepTheirCheckMarksAndSettings)
{
    FrameTestView *list = Show(VIEW_REPORT);
    FrameTestView *chart = framefixture::AddTestView(page, VIEW_KLINE);
    for (const char *grid : {"1", "0"}) {
        list->commands.clear();
        chart->commands.clear();
        frame->N51Click(frame->N51);
        EXPECT_EQ(Setting("TableDef", "ReportGridding"), grid);
        EXPECT_EQ(bool(frame->N51->Checked), grid[0] == '1');
        EXPECT_EQ(list->commands, (Commands{{VC_GRID_LINES, grid[0] - '0'}}));
        EXPECT_TRUE(chart->commands.empty());
    }
    for (const char *shown : {"0", "1"}) {
        frame->MenuItem100Click(frame->MenuItem100);
        EXPECT_EQ(Setting("TableDef", "ToolBar"), shown);
        const bool on = shown[0] == '1';
        EXPECT_EQ(bool(frame->ToolBar1->Visible), on);
        EXPECT_EQ(bool(frame->ToolBarItem->Checked), on);
        EXPECT_EQ(bool(frame->MenuItem100->Checked), on);
    }
    frame->MenuItem99Click(frame->MenuItem99);
    EXPECT_EQ(static_cast<TMainMenu *>(frame->Menu), nullptr);
    EXPECT_FALSE(frame->MenuItem99->Checked);
    frame->MenuItem99Click(frame->MenuItem99);
    EXPECT_EQ(static_cast<TMainMenu *>(frame->Menu), frame->MainMenu1);
    for (TMenuItem *item : {frame->T1, frame->MenuItem94}) {
        const bool before = item->Checked;
        item->Click();
        EXPECT_NE(bool(item->Checked), before);
    }
    frame->N11Click(frame->N11);
    for (int i = 0; i < page->Panes->GetCount(); ++i)
        EXPECT_EQ(page->Panes->GetAt(i)->Link, 1);
    frame->N11Click(frame->N11);
    EXPECT_EQ(list->Link, 0);
    // The period group follows "周期选择" while a K-line chart is active.
    chart->Activate();
    frame->N37->Checked = false;
    frame->N37Click(frame->N37);
    EXPECT_TRUE(frame->Cycle[0]->Visible);
    frame->N37Click(frame->N37);
    EXPECT_FALSE(frame->Cycle[0]->Visible);
    list->Activate();
    frame->N37Click(frame->N37);
    EXPECT_FALSE(frame->Cycle[0]->Visible);
}

TEST_F(FrameCommandsTest, SaveAsPictureWritesABitmapOfTheFrame)
{
    frame->Show();
    frame->SetFocus();
    Settle();
    RecordDialogs(true);
    RecordMessageBoxes(true);
    const std::string file = (root / "frame.bmp").string();
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{true, AnsiString(file.c_str())}});
    // The wait for the picture passes on the test clock.
    SetTestClock(1700000000000LL, 100000);
    frame->N71Click(nullptr);
    EXPECT_EQ(MonotonicNowMs(), 101500u);
    auto shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "是将当前画面保存为文件?  ");
    EXPECT_EQ(shown[0].buttons, UINT(MB_YESNO));
    auto dialogs = ShownDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(std::string(dialogs[0].className.c_str()), "TSavePictureDialog");
    EXPECT_NE(std::string(dialogs[0].filter.c_str()).find("*.bmp"), std::string::npos);
    TBitmap picture;
    ASSERT_TRUE(picture.LoadFromFile(AnsiString(file.c_str())));
    QWidget *window = frame->Widget()->window();
    EXPECT_EQ(picture.Width, window->width());
    EXPECT_EQ(picture.Height, window->height());
    EXPECT_EQ(framefixture::ReadFile(file).substr(0, 2), "BM");

    // A file that cannot be written: the error box. No: no dialog.
    RecordMessageBoxes(true);
    RecordDialogs(true);
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{true, AnsiString((root / "no-such-folder" / "x.bmp").string().c_str())}});
    frame->N71Click(nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"是将当前画面保存为文件?  ", "保存文件出错!"}));
    RecordMessageBoxes(true);
    RecordDialogs(true);
    ScriptMessageBoxAnswers({IDNO});
    frame->N71Click(nullptr);
    EXPECT_TRUE(ShownDialogs().empty());
}

TEST_F(FrameCommandsTest, DrawingToolsFollowTheBoxTheToolBarAndTheMenu)
{
    ViewHooks.MakeLineToolBox = [](TForm *owner) {
        auto *box = new TForm(owner);
        box->Parent = owner;
        box->SetBounds(0, 0, 115, 181);
        boxes[box] = {};
        return box;
    };
    ViewHooks.SetLineToolDown = [](TForm *box, int tool, bool down) { boxes[box][tool] = down; };
    ViewHooks.LineToolDown = [](TForm *box, int tool) { return boxes[box][tool]; };
    // Nothing for another view.
    Show(VIEW_REPORT);
    frame->LineBtn->Click();
    EXPECT_EQ(frame->LineToolBox, nullptr);
    frame->LineBtn->Down = false;

    FrameTestView *chart = Show(VIEW_KLINE);
    frame->N36->Checked = false;
    frame->LineBtn->Click();
    ASSERT_NE(frame->LineToolBox, nullptr);
    TForm *box = frame->LineToolBox;
    EXPECT_TRUE(box->Visible);
    EXPECT_TRUE(frame->MenuItem128->Checked);
    EXPECT_EQ(box->Left, frame->Width - 204);
    EXPECT_EQ(box->Top, 52);
    EXPECT_EQ(box->Width, 83);

    // A tool chosen from the menu, again to choose none, then another.
    frame->LineClick(frame->Line[4]);
    EXPECT_EQ(frame->DrawingTool, 4);
    EXPECT_TRUE(boxes[box][4]);
    EXPECT_TRUE(frame->B[4]->Down);
    frame->LineClick(frame->Line[4]);
    EXPECT_EQ(frame->DrawingTool, -1);
    EXPECT_FALSE(boxes[box][4]);
    frame->LineClick(frame->Line[1]);
    frame->LineClick(frame->Line[2]);
    EXPECT_EQ(frame->DrawingTool, 2);
    EXPECT_FALSE(boxes[box][1]);
    EXPECT_FALSE(frame->B[1]->Down);
    frame->MenuItem128Click(frame->MenuItem128);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(bool(frame->Line[i]->Checked), i == 2) << i;

    // The drawing group of the tool bar in place of the box, the tool kept.
    frame->N36Click(frame->N36);
    EXPECT_FALSE(box->Visible);
    EXPECT_TRUE(frame->B[0]->Visible);
    EXPECT_TRUE(frame->B[2]->Down);
    frame->B[5]->Click();
    EXPECT_EQ(frame->DrawingTool, 5);

    // "全部删除": Cancel keeps the lines, OK deletes them; from the menu and the button.
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDCANCEL, IDOK, IDOK});
    frame->LineClick(frame->Line[18]);
    EXPECT_TRUE(chart->commands.empty());
    frame->LineClick(frame->Line[18]);
    EXPECT_EQ(chart->commands, (Commands{{VC_DELETE_LINES, 0}}));
    frame->B[18]->Click();
    EXPECT_EQ(chart->commands.size(), 2u);
    auto asked = ShownMessageBoxes();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].text, "确认删除所有自画线吗?");
    EXPECT_EQ(asked[0].caption, "删除确认");
    EXPECT_EQ(asked[0].buttons, UINT(MB_OKCANCEL));

    // The spiral calendar follows its button and its item.
    chart->commands.clear();
    frame->Line20Click(frame->Line[19]);
    EXPECT_TRUE(frame->B[19]->Down);
    EXPECT_TRUE(frame->Line[19]->Checked);
    frame->B[19]->Click();
    EXPECT_FALSE(frame->Line[19]->Checked);
    EXPECT_EQ(chart->commands, (Commands{{VC_SPIRAL, 1}, {VC_SPIRAL, 0}}));

    // The line button up: no tool, the group hidden.
    frame->LineBtn->Click();
    EXPECT_EQ(frame->DrawingTool, -1);
    EXPECT_FALSE(frame->B[0]->Visible);
    EXPECT_FALSE(frame->MenuItem128->Checked);
}

} // namespace
