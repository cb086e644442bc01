// The frame's dialogs: against the simulated data server, a quote that crosses
// an alarm's upper limit brings up the fired-alarm window, and the server's
// system messages open the message window with their text; offline, cyclic
// display takes its period from the number dialog, and the cross-variety
// chooser enables the choices under its checked top choice.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/AlarmForm.h"
#include "lumon/shell/AlarmWindow.h"
#include "lumon/shell/InputNumber.h"
#include "lumon/shell/SelWrap.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/SysMsg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TStringGrid.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/FormOfWindow.h"
#include "tests/support/ModalScript.h"

using namespace win;
using framefixture::App;
using testsupport::PumpUntil;

namespace {

std::string PicturePath(const char *name)
{
    const char *folder = std::getenv("LUMO_PICTURES");
    return folder ? std::string(folder) + "/" + name : std::string(name);
}

class FrameDialogsServerTest : public framefixture::FrameTest {
protected:
    void Connect()
    {
        ASSERT_TRUE(server.Start(root.string(), {}));
        StartConnected(server);
        ASSERT_EQ(frame->StartAborted, 0);
        ASSERT_EQ(frame->GetConnectionState(), 3);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
    }
    void TearDown() override
    {
        DestroyAlarmWindows();
        FrameTest::TearDown();
    }
    peer::DataServer server;
    framefixture::TestViews views;
};

TEST_F(FrameDialogsServerTest, AQuoteAboveAnUpperLimitShowsTheFiredAlarmWindow)
{
    Connect();
    TAlarm *store = frame->Alarms;
    const float divisor = PriceScaleOf(MarketTable.Markets[0]->Statics[0]);
    AlarmData alarm{};
    alarm.Market = 0;
    alarm.Stock = 0;
    // Above the quote the subscription brings, below the one the test sets.
    const int64_t upper = int64_t(MarketTable.Markets[0]->Quotes[0].Last / divisor) * 2;
    alarm.Upper = float(upper);
    alarm.Lower = alarm.DealLimit = alarm.VolumeLimit = alarm.AmountLimit = AlarmLimitOff;
    store->ListLock().Enter();
    store->Pending().SetCount(0);
    store->Triggered().SetCount(0);
    store->Pending().Add(alarm);
    store->ListLock().Leave();
    store->WindowFlag = 1;
    store->BeepFlag = 0;
    frame->O1->Checked = true;
    // The alarm's stock is subscribed with the page's.
    framefixture::MarkDrawn(framefixture::NewTestPage(frame));
    frame->SubscribeVisibleStocks();
    PumpUntil(App(), [] { return false; }, 300);
    const std::string command = R"({"cmd": "quote", "market": 0, "stock": 0, "last": )" +
                                std::to_string(int64_t((upper + 50) * divisor)) + "}";
    ASSERT_TRUE(server.Command(command)["ok"].boolean);
    ASSERT_TRUE(PumpUntil(App(), [] { return AlarmWindow && AlarmWindow->Visible; }, 10000));
    TStringGrid *grid = AlarmWindow->AlarmGrid;
    ASSERT_TRUE(PumpUntil(App(), [&] { return std::string(AnsiString(grid->Cells[3][1]).c_str()) == "超过价格上限"; },
                          5000));
    EXPECT_EQ(std::atof(AnsiString(grid->Cells[2][1]).c_str()), double(upper + 50));
    // The reason cell shows its text: pixels that differ from the cell's ground.
    PumpUntil(App(), [] { return false; }, 200);
    const QImage image = grid->Widget()->grab().toImage();
    image.save(QString::fromUtf8(PicturePath("alarmwindow.png").c_str()));
    const TRect cell = grid->CellRect(3, 1);
    const QRgb ground = image.pixel(cell.Left + 1, cell.Top + 1);
    int text = 0;
    for (int x = cell.Left; x < cell.Right; ++x)
        for (int y = cell.Top; y < cell.Bottom; ++y)
            text += image.pixel(x, y) != ground;
    EXPECT_GT(text, 40);
}

TEST_F(FrameDialogsServerTest, TheServersSystemMessagesOpenTheMessageWindow)
{
    Connect();
    framefixture::NewTestPage(frame);
    PostMessageA(frame->Handle, WM_ASK_SYSTEM_MESSAGES, 0, 0);
    TSysMsgDlg *window = nullptr;
    ASSERT_TRUE(PumpUntil(App(), [&] {
        for (int i = 0; i < frame->ComponentCount() && !window; ++i)
            window = dynamic_cast<TSysMsgDlg *>(frame->Components(i));
        return window != nullptr;
    }, 10000));
    EXPECT_EQ(std::string(AnsiString(window->Caption).c_str()), "系统消息");
    EXPECT_TRUE(window->Visible);
    const std::string text = AnsiString(window->Memo1->Lines->Text()).c_str();
    EXPECT_EQ(text.substr(0, 8), "系统消息");
    EXPECT_NE(text.find("欢迎使用行情分析系统。数据服务器运行正常。"), std::string::npos) << text;
    window->Close();
}

using FrameCycleTest = framefixture::FrameTest;

TEST_F(FrameCycleTest, CyclicDisplayTakesAPositiveWholeNumberOfSeconds)
{
    StartOffline();
    frame->Timer1->Enabled = false;
    frame->Timer2->Enabled = false;
    framefixture::TestViews views;
    framefixture::FrameTestView *pane = framefixture::AddTestView(framefixture::NewTestPage(frame));
    TMenuItem item(frame);
    auto answer = [&](const char *typed, bool start) {
        return std::make_unique<testsupport::ModalScript>("循环报价时间设定", [=](HWND h) {
            auto *dialog = dynamic_cast<TInputNumberDlg *>(testsupport::FormOfWindow(h, {frame}));
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(std::string(AnsiString(dialog->Label1->Caption).c_str()), "请输入秒数:");
            EXPECT_EQ(std::string(AnsiString(dialog->Button1->Caption).c_str()), "开始循环");
            EXPECT_EQ(std::string(AnsiString(dialog->Button2->Caption).c_str()), "停止循环");
            dialog->Edit_Day->Text = typed;
            (start ? dialog->Button1 : dialog->Button2)->Click();
        });
    };
    {
        auto script = answer("12", true);
        frame->N55Click(&item);
    }
    EXPECT_EQ(PageTime, 12);
    EXPECT_EQ(Setting("Parameter", "PageTime"), "12");
    EXPECT_EQ(frame->CyclicDisplay, 1);
    EXPECT_TRUE(item.Checked);
    EXPECT_EQ(DialogBusy, 0);

    // Page-cycle steps (notification 8, b = 0) follow every 12 s of the clock.
    SetTestClock(1165831200000LL, 500000);
    std::vector<int> steps;
    for (int s = 0; s < 40; ++s) {
        pane->notes.clear();
        frame->Timer1Timer(frame->Timer1);
        for (const auto &n : pane->Notes(8))
            if (n[2] == 0)
                steps.push_back(s);
        AdvanceTestClock(1000);
    }
    ClearTestClock();
    ASSERT_GE(steps.size(), 3u);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(steps[i] - steps[i - 1], 12);

    // Anything but a whole number above 0 keeps the period; the cycle still starts.
    for (const char *typed : {"0", "-5", "1.5", "abc", ""}) {
        auto script = answer(typed, true);
        frame->N55Click(&item);
        EXPECT_EQ(PageTime, 12) << typed;
        EXPECT_EQ(frame->CyclicDisplay, 1);
    }
    // 停止循环 ends it.
    {
        auto script = answer("30", false);
        frame->N55Click(&item);
    }
    EXPECT_EQ(frame->CyclicDisplay, 0);
    EXPECT_FALSE(item.Checked);
    EXPECT_EQ(PageTime, 12);
}

TEST_F(FrameCycleTest, TheCrossVarietyChooserEnablesTheChoicesOfItsTopChoice)
{
    StartOffline();
    frame->Timer1->Enabled = false;
    frame->Timer2->Enabled = false;
    TSelStockDlg1 dialog(frame);
    EXPECT_EQ(std::string(AnsiString(dialog.Caption).c_str()), "跨品种分析选择");
    EXPECT_GT(dialog.ListBox2->Items->Count(), 0); // the stock dialog's blocks
    EXPECT_TRUE(dialog.RadioButton1->Checked);
    EXPECT_TRUE(dialog.RadioButton3->Checked);
    EXPECT_TRUE(dialog.RadioButton5->Checked);
    EXPECT_TRUE(dialog.RadioButton7->Checked);
    EXPECT_FALSE(dialog.RadioButton3->Enabled);
    EXPECT_TRUE(dialog.RadioButton5->Enabled);
    dialog.RadioButton2->Checked = true;
    EXPECT_FALSE(dialog.RadioButton1->Checked);
    EXPECT_TRUE(dialog.RadioButton3->Enabled);
    EXPECT_TRUE(dialog.RadioButton4->Enabled);
    EXPECT_FALSE(dialog.RadioButton6->Enabled);
    // The choices of the other groups stay as they were.
    EXPECT_TRUE(dialog.RadioButton5->Checked);
    EXPECT_TRUE(dialog.RadioButton7->Checked);
    dialog.Show();
    PumpUntil(App(), [] { return false; }, 200);
    dialog.Widget()->grab().save(QString::fromUtf8(PicturePath("selwrap.png").c_str()));
}

} // namespace
