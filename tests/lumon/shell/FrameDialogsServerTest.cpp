// The frame's dialogs against the simulated data server: a quote that crosses an
// alarm's upper limit brings up the fired-alarm window, and the server's system
// messages open the message window with their text.
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
#include "lumon/shell/MFrame.h"
#include "lumon/shell/SysMsg.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TStringGrid.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

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
    // The thread takes the frame's window when it starts: once more now that
    // the window exists.
    store->StopCheckThread();
    store->StartCheckThread();
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

} // namespace
