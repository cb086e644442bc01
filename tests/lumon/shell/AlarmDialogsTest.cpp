// The alarm windows on the frame's alarm store: the list's rows and limits, the
// 1000-alarm limit, the editor's number rule, edits that meet an alarm the alarm
// thread moved meanwhile, the fired-alarm window that a quote of the simulated
// data server brings up, and its "走势" into the page's intraday pane.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/AlarmForm.h"
#include "lumon/shell/AlarmModify.h"
#include "lumon/shell/AlarmWindow.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TScreen.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TStringGrid.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/FormOfWindow.h"
#include "tests/support/ModalScript.h"

using namespace win;
using framefixture::AddTestView;
using framefixture::App;
using framefixture::FrameTestView;
using testsupport::ModalScript;
using testsupport::PumpUntil;

namespace {

// Keeps a picture of a shown form where LUMO_PICTURES names a folder.
void Picture(win::TForm *form, const char *name)
{
    const char *folder = std::getenv("LUMO_PICTURES");
    if (!folder)
        return;
    form->Show();
    testsupport::PumpUntil(framefixture::App(), [] { return false; }, 150);
    form->Widget()->grab().save(QString::fromUtf8((std::string(folder) + "/" + name).c_str()));
}

TForm *FormOf(HWND h) { return testsupport::FormOfWindow(h); }

StockId chosen = 0;
bool ChooseTestStock(TComponent *, StockId &stock)
{
    stock = chosen;
    return true;
}

AlarmData Alarm(int market, int stock)
{
    AlarmData a{};
    a.Market = uint16_t(market);
    a.Stock = uint16_t(stock);
    a.Upper = a.Lower = a.DealLimit = a.VolumeLimit = a.AmountLimit = AlarmLimitOff;
    return a;
}

class AlarmDialogsTest : public framefixture::FrameTest {
protected:
    void StartQuiet()
    {
        StartOffline();
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        store = frame->Alarms;
        store->StopCheckThread();
        Lists([](TAlarm *s) {
            s->Pending().SetCount(0);
            s->Triggered().SetCount(0);
        });
        saved = ChooseAlarmStock;
        ChooseAlarmStock = ChooseTestStock;
        // The boxes of the start are not the tests'.
        RecordMessageBoxes(false);
        RecordMessageBoxes(true);
    }
    void TearDown() override
    {
        ChooseAlarmStock = saved;
        delete list;
        list = nullptr;
        DestroyAlarmWindows();
        FrameTest::TearDown();
    }
    template <typename F>
    void Lists(F f)
    {
        store->ListLock().Enter();
        f(store);
        store->ListLock().Leave();
    }
    std::string Cell(TStringGrid *g, int c, int r) { return AnsiString(g->Cells[c][r]).c_str(); }
    const StockStaticRecord &Static(int market, int stock) { return MarketTable.Markets[market]->Statics[stock]; }
    std::string Code(int market, int stock) { return std::string(Static(market, stock).Code, 6).c_str(); }

    TAlarm *store = nullptr;
    TAlartfm *list = nullptr;
    bool (*saved)(TComponent *, StockId &) = nullptr;
};

TEST_F(AlarmDialogsTest, TheListShowsWaitingAlarmsThenFiredOnesWithTheStocksDecimals)
{
    StartQuiet();
    MarketTable.Markets[0]->Statics[2].Decimals = 2;
    MarketTable.Markets[1]->Statics[1].Decimals = 3;
    AlarmData waiting = Alarm(0, 2);
    waiting.Upper = 12.5f;
    waiting.DealLimit = 300;
    AlarmData fired = Alarm(1, 1);
    fired.AmountLimit = 2500.25f; // set alone, without the volume limit
    fired.Lower = 0.0f;           // 0 counts as unset
    fired.Reason = AlarmAmount;
    Lists([&](TAlarm *s) {
        s->Triggered().Add(fired);
        s->Pending().Add(waiting);
    });
    list = new TAlartfm(&App());
    TStringGrid *g = list->BaseGrid;
    ASSERT_EQ(int(g->RowCount), 3);
    const char *titles[8] = {"商品代码", "商品名称", "上涨", "下跌", "单笔", "成交量", "金额/持仓", "状态"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(Cell(g, c, 0), titles[c]);
    EXPECT_EQ(Cell(g, 0, 1), Code(0, 2));
    EXPECT_EQ(Cell(g, 2, 1), "12.50");
    EXPECT_EQ(Cell(g, 3, 1), "");
    EXPECT_EQ(Cell(g, 4, 1), "300");
    EXPECT_EQ(Cell(g, 5, 1), "");
    EXPECT_EQ(Cell(g, 7, 1), "");
    EXPECT_EQ(Cell(g, 0, 2), Code(1, 1));
    EXPECT_EQ(Cell(g, 3, 2), "");
    EXPECT_EQ(Cell(g, 6, 2), "2500.250");
    EXPECT_EQ(Cell(g, 7, 2), " ");
    Picture(list, "alarmlist.png");
    // The editor shows the amount limit set alone.
    TModifyAlert editor(&App(), fired);
    EXPECT_EQ(std::string(AnsiString(editor.Edit_Amount->Text).c_str()), "2500");
    EXPECT_EQ(std::string(AnsiString(editor.Edit_Vol->Text).c_str()), "");
    EXPECT_TRUE(editor.CheckBox[4]->Checked);
    EXPECT_FALSE(editor.CheckBox[3]->Checked);
    Picture(&editor, "alarmedit.png");
}

TEST(AlarmLimits, TypedLimitsAreFiniteNumbersAndZeroOrLessUnsets)
{
    struct Case {
        const char *text;
        bool ok;
        float value;
    } cases[] = {
        {"", true, AlarmLimitOff},     {"  ", true, AlarmLimitOff}, {"12.5", true, 12.5f},
        {" 7 ", true, 7.0f},           {"0", true, AlarmLimitOff},  {"-0", true, AlarmLimitOff},
        {"-5", true, AlarmLimitOff},   {"1e-11", true, AlarmLimitOff}, {"1e309", false, 0},
        {"1e39", false, 0},            {"nan", false, 0},           {"inf", false, 0},
        {"abc", false, 0},             {"12abc", false, 0},
    };
    for (const Case &c : cases) {
        float v = 123;
        EXPECT_EQ(ParseAlarmLimit(c.text, v), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST_F(AlarmDialogsTest, AddingStopsAt999AlarmsAndTheEditorKeepsABadNumberOpen)
{
    StartQuiet();
    chosen = MakeStockId(0, MarketTable.Markets[0]->GetStockClass(4), 4);
    Lists([&](TAlarm *s) {
        for (int i = 0; i < 998; ++i)
            s->Pending().Add(Alarm(0, 1));
    });
    list = new TAlartfm(&App());
    // With 998 one more is taken: the editor's first "确定" meets a bad number and
    // stays open; the mended one is taken.
    int rounds = 0;
    ModalScript script("修改预警条件", [&](HWND h) {
        auto *editor = dynamic_cast<TModifyAlert *>(FormOf(h));
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(std::string(AnsiString(editor->Label1->Caption).c_str()),
                  std::string(Static(0, 4).Name, 9).c_str() + std::string("(") + Code(0, 4) + ")");
        editor->CheckBox[0]->Checked = true;
        editor->Edit_Up->Text = "nan";
        editor->Button1->Click();
        EXPECT_TRUE(editor->Visible);
        ++rounds;
        editor->Edit_Up->Text = "15";
        editor->CheckBox[1]->Checked = true;
        editor->Edit_Low->Text = "-1";
        editor->Button1->Click();
    });
    list->BAddClick(list);
    EXPECT_EQ(rounds, 1);
    EXPECT_EQ(FrameBusy, 0);
    AlarmData added{};
    Lists([&](TAlarm *s) {
        ASSERT_EQ(s->Pending().GetCount(), 999);
        added = s->Pending().GetAt(998);
    });
    EXPECT_EQ(added.Stock, 4);
    EXPECT_EQ(added.Upper, 15.0f);
    EXPECT_EQ(added.Lower, AlarmLimitOff);
    EXPECT_EQ(int(list->BaseGrid->RowCount), 1000);
    // With 999 the list refuses before the chooser.
    chosen = 0;
    list->BAddClick(list);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "报警项目已达到最大限制.  ");
    EXPECT_EQ(boxes[0].caption, "无法添加");
    EXPECT_EQ(rounds, 1);
}

TEST_F(AlarmDialogsTest, AnEditOrDeletionMeetsOnlyTheAlarmTheUserChose)
{
    StartQuiet();
    AlarmData a = Alarm(0, 1), b = Alarm(0, 2);
    a.Upper = 10;
    b.Upper = 20;
    Lists([&](TAlarm *s) {
        s->Pending().Add(a);
        s->Pending().Add(b);
    });
    list = new TAlartfm(&App());
    list->BaseGrid->Row = 1;
    // While the editor is open the alarm thread fires alarm a: row 1 now holds b.
    ModalScript script("修改预警条件", [&](HWND h) {
        auto *editor = dynamic_cast<TModifyAlert *>(FormOf(h));
        ASSERT_NE(editor, nullptr);
        Lists([&](TAlarm *s) {
            AlarmData fired = s->Pending().GetAt(0);
            fired.Reason = AlarmAbove;
            s->Triggered().Add(fired);
            s->Pending().RemoveAt(0, 1);
        });
        editor->Edit_Up->Text = "99";
        editor->Button1->Click();
    });
    list->BModifyClick(list);
    ASSERT_EQ(script.Count(), 1);
    Lists([&](TAlarm *s) {
        ASSERT_EQ(s->Pending().GetCount(), 1);
        EXPECT_EQ(s->Pending().GetAt(0).Upper, 20.0f);
        ASSERT_EQ(s->Triggered().GetCount(), 1);
        EXPECT_EQ(s->Triggered().GetAt(0).Upper, 10.0f);
    });
    // The grid was filled again: b waits, a fired.
    EXPECT_EQ(Cell(list->BaseGrid, 2, 1), AnsiString(AlarmPriceText(b, 20)).c_str());
    EXPECT_EQ(Cell(list->BaseGrid, 7, 2), " ");

    // A deletion of a row the thread changed since the fill deletes nothing.
    list->BaseGrid->Row = 2;
    Lists([&](TAlarm *s) { s->Triggered().GetData()[0].Reason = AlarmAbove | AlarmBelow; });
    ScriptMessageBoxAnswers({IDYES});
    list->BEraiseClick(list);
    Lists([&](TAlarm *s) { EXPECT_EQ(s->Triggered().GetCount(), 1); });
    // Now the row is as shown: the fired alarm goes; then 清空列表 empties all.
    list->BaseGrid->Row = 2;
    ScriptMessageBoxAnswers({IDYES});
    list->BEraiseClick(list);
    Lists([&](TAlarm *s) { EXPECT_EQ(s->Triggered().GetCount(), 0); });
    const auto boxes = ShownMessageBoxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "删除 " + std::string(std::string(Static(0, 1).Name, 9).c_str()) + " ？  ");
    ScriptMessageBoxAnswers({IDNO, IDYES});
    list->BRemoveAllClick(list);
    Lists([&](TAlarm *s) { EXPECT_EQ(s->Pending().GetCount(), 1); });
    list->BRemoveAllClick(list);
    Lists([&](TAlarm *s) { EXPECT_EQ(s->Pending().GetCount(), 0); });
    EXPECT_EQ(ShownMessageBoxes().back().text, "删除全部项目？  ");
}

TEST_F(AlarmDialogsTest, TheFiredWindowShowsNewestFirstWithTheFirstReasonAndOpensTheIntradayChart)
{
    StartQuiet();
    framefixture::TestViews views;
    TMultiViewMain *page = framefixture::NewTestPage(frame);
    FrameTestView *pane = AddTestView(page);
    pane->Activate();
    AlarmData older = Alarm(0, 1), newer = Alarm(0, 2), unfired = Alarm(0, 3);
    older.Reason = AlarmDeal | AlarmAmount;
    older.TriggerTime = {2005, 6, 3, 15, 9, 30, 0, 0};
    older.Price = 12.3f;
    newer.Reason = AlarmBelow | AlarmAbove;
    Lists([&](TAlarm *s) {
        s->Triggered().Add(older);
        s->Triggered().Add(unfired);
        s->Triggered().Add(newer);
    });
    frame->T1->Checked = false;
    SendMessageA(frame->Handle, WM_SHOW_ALARMS, 0, 0);
    ASSERT_NE(AlarmWindow, nullptr);
    EXPECT_TRUE(AlarmWindow->Visible);
    TStringGrid *g = AlarmWindow->AlarmGrid;
    ASSERT_EQ(int(g->RowCount), 3);
    EXPECT_EQ(Cell(g, 3, 1), "超过价格上限");
    EXPECT_EQ(Cell(g, 3, 2), "高出单笔上限");
    EXPECT_EQ(Cell(g, 1, 2), "2005-06-15 09:30");
    // "走势": no intraday pane, so the active pane makes way for one of the stock.
    g->Row = 2;
    AlarmWindow->SpeedButton3->Click();
    EXPECT_FALSE(AlarmWindow->Visible);
    ASSERT_NE(page->ActivePane, nullptr);
    EXPECT_EQ(int(page->ActivePane->Attr.ViewType), int(VIEW_TREND));
    EXPECT_EQ(StockIndex(page->ActivePane->Attr.Stock), 1);
    // An intraday pane there is takes the stock.
    auto *chart = dynamic_cast<FrameTestView *>(page->ActivePane);
    ASSERT_NE(chart, nullptr);
    chart->notes.clear();
    g->Row = 1;
    AlarmWindow->SpeedButton3->Click();
    ASSERT_EQ(chart->Notes(1).size(), 1u);
    EXPECT_EQ(StockIndex(StockId(chart->Notes(1)[0][1])), 2);
    // Closing hides the window and leaves the pop-up switch on for the alarms
    // still to fire; with no fired alarm one empty row shows.
    store->WindowFlag = 1;
    AlarmWindow->SpeedButton2->Click();
    EXPECT_FALSE(AlarmWindow->Visible);
    EXPECT_EQ(store->WindowFlag, 1);
    Lists([](TAlarm *s) { s->Triggered().SetCount(0); });
    AlarmWindow->Refresh();
    EXPECT_EQ(int(g->RowCount), 2);
    EXPECT_EQ(Cell(g, 0, 1), "");
}

} // namespace
