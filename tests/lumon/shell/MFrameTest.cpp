// The main frame headless on an installation made by the installation maker:
// the start through the login dialog (offline, or logged in to the simulated
// data server), the frame's rights, the chat client's start, and the closing
// steps with what they write.
#include <gtest/gtest.h>

#include <QTimer>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/ui/TClientRight.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/NoticeForm.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/Time.h"
#include "platform/forms/TMenuItem.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace win;

namespace {

using namespace framefixture;
using MFrameTest = FrameTest;

TEST_F(MFrameTest, OfflineStartWarnsLoadsTheMarketsAndStartsTheChatClient)
{
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    EXPECT_EQ(frame->StartAborted, 0);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "脱机浏览无法取得即时数据.  ");
    EXPECT_EQ(boxes[0].caption, "警告");
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION));
    EXPECT_NE(frame->DataStore, nullptr);
    EXPECT_EQ(MarketTable.Status, 0);
    EXPECT_NE(frame->Alarms, nullptr);
    EXPECT_NE(frame->Blocks, nullptr);
    EXPECT_EQ(RequestClient, nullptr);
    EXPECT_EQ(frame->GetConnectionState(), 0);
    EXPECT_EQ(frame->LastRtMsgId, -1);
    EXPECT_STREQ(frame->StatusLetters[3], "o");

    auto launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].call, "CreateProcessA");
    EXPECT_EQ(launches[0].commandLine, std::to_string(unsigned(uintptr_t(frame->Handle))));
}

TEST_F(MFrameTest, ClosingWritesTheSixKeysAndTheAlarmsAndLeavesNoObjects)
{
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    ASSERT_EQ(frame->StartAborted, 0);
    fs::remove(root / "CFG" / "ALARM.SET");
    frame->T1->Checked = false;
    frame->MenuItem94->Checked = true;
    frame->N36->Checked = true;
    frame->N37->Checked = false;
    frame->N61->Checked = true;
    auto start = std::chrono::steady_clock::now();
    frame->TearDown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(Setting("TableDef", "TickFirst"), "0");
    EXPECT_EQ(Setting("TableDef", "TrendFirst"), "1");
    EXPECT_EQ(Setting("PARAMETER", "LineToolDocked"), "1");
    EXPECT_EQ(Setting("PARAMETER", "CycleChoice"), "0");
    EXPECT_EQ(Setting("PARAMETER", "Directbysell"), "1");
    EXPECT_NE(Setting("THEME", "LastTheme"), "<missing>");
    EXPECT_TRUE(fs::exists(root / "CFG" / "ALARM.SET"));
    EXPECT_EQ(frame->Alarms, nullptr);
    EXPECT_EQ(frame->DataStore, nullptr);
    EXPECT_EQ(frame->Util, nullptr);
    EXPECT_EQ(frame->Blocks, nullptr);
    // A second call (the program's entry after the loop) does nothing more.
    frame->TearDown();
}

TEST_F(MFrameTest, ClosingTheWindowWithoutAPageAsksNothingAndTearsDown)
{
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    ASSERT_EQ(frame->StartAborted, 0);
    WritePrivateProfileStringA("TableDef", "TickFirst", nullptr, "..\\CFG\\SETTING.INI");
    size_t before = ShownMessageBoxes().size();
    frame->Close();
    EXPECT_EQ(ShownMessageBoxes().size(), before);
    EXPECT_EQ(frame->TornDown, 1);
    EXPECT_EQ(frame->Alarms, nullptr);
    EXPECT_EQ(frame->DataStore, nullptr);
    EXPECT_EQ(Setting("TableDef", "TickFirst"), "1");
}

TEST_F(MFrameTest, SettingsReadAtStartSetTheFrame)
{
    WritePrivateProfileStringA("PARAMETER", "Caption", "测试", "..\\CFG\\SETTING.INI");
    WritePrivateProfileStringA("PARAMETER", "LastRtMsgID", "77", "..\\CFG\\SETTING.INI");
    WritePrivateProfileStringA("PARAMETER", "SortTime", "x", "..\\CFG\\SETTING.INI");
    WritePrivateProfileStringA("TableDef", "TickFirst", "0", "..\\CFG\\SETTING.INI");
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    EXPECT_EQ(std::string(AnsiString(frame->Caption).c_str()), "lumo 测试");
    EXPECT_EQ(frame->LastRtMsgId, 77);
    EXPECT_EQ(SortTime, 30);
    EXPECT_FALSE(frame->T1->Checked);
    EXPECT_TRUE(frame->MenuItem94->Checked);
}

TEST_F(MFrameTest, LoginThroughTheDialogConnectsBothClientsAndClosingDropsThem)
{
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root.string(), {}));
    UseServer(server);
    Start([](TClientRight *dialog) {
        dialog->Edit1->Text = "demo";
        dialog->Edit2->Text = "demo";
        dialog->Button1->Click();
    });
    ASSERT_EQ(frame->StartAborted, 0);
    EXPECT_EQ(ShownMessageBoxes().size(), 0u);
    EXPECT_EQ(frame->GetConnectionState(), 3);
    EXPECT_STREQ(frame->UserName, "demo");
    EXPECT_EQ(MarketTable.Status, 0);
    EXPECT_GT(frame->RightsDate, 0);
    // The rights tests read the block the login filled, bit by bit from the top.
    for (int m = 0; m < 16; ++m)
        for (int f = 0; f < 15; ++f)
            EXPECT_EQ(frame->HasMarketRight(m, f), bool(frame->Rights[(m * 16 + f) / 8] & (0x80 >> (f % 8))));
    EXPECT_FALSE(frame->HasMarketRight(16, 0));
    EXPECT_FALSE(frame->HasMarketRight(0, 15));
    EXPECT_FALSE(frame->HasFunctionRight(0));
    EXPECT_FALSE(frame->HasFunctionRight(101));

    frame->TearDown();
    EXPECT_EQ(RequestClient, nullptr);
    EXPECT_EQ(RealTimeClient, nullptr);
    // The server sees both connections close.
    std::string open;
    for (int i = 0; i < 300; ++i) {
        Json status = server.Command(R"({"cmd": "status"})");
        open.clear();
        for (size_t k = 0; k < status["connections"].size(); ++k)
            open += status["connections"][k]["listener"].text + " ";
        if (open.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(open, "");
}

TEST_F(MFrameTest, RightsOfTheUsersFileReachTheFrame)
{
    // Market 0 all functions but 15, market 1 function 3 only; function rights 1 and 100.
    std::string rights = "fffe" "1000" + std::string(56, '0') + "80" + std::string(22, '0') + "10" + std::string(6, '0');
    ASSERT_EQ(rights.size(), 96u);
    std::ofstream(root / "users.json") << R"([{"name": "ann", "password": "pw", "rights": ")" << rights << R"("}])";
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root.string(), {"--users", (root / "users.json").string()}));
    UseServer(server);
    Start([](TClientRight *dialog) {
        dialog->Edit1->Text = "ann";
        dialog->Edit2->Text = "pw";
        dialog->Button1->Click();
    });
    ASSERT_EQ(frame->StartAborted, 0);
    for (int f = 0; f < 15; ++f)
        EXPECT_TRUE(frame->HasMarketRight(0, f)) << f;
    for (int f = 0; f < 15; ++f)
        EXPECT_EQ(frame->HasMarketRight(1, f), f == 3) << f;
    EXPECT_FALSE(frame->HasMarketRight(2, 0));
    EXPECT_TRUE(frame->HasFunctionRight(1));
    EXPECT_FALSE(frame->HasFunctionRight(2));
    EXPECT_TRUE(frame->HasFunctionRight(100));
}

TEST_F(MFrameTest, ARefusedLoginShowsTheServersTextEndsTheStartAndWritesNothing)
{
    std::ofstream(root / "users.json") << R"([{"name": "demo", "password": "demo", "refuse_code": 9, )"
                                       << R"("refuse_text": "\u8d26\u6237\u5df2\u505c\u7528"}])"; // 账户已停用
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root.string(), {"--users", (root / "users.json").string()}));
    UseServer(server);
    std::string before = ReadFile(root / "CFG" / "SETTING.INI");
    Start([](TClientRight *dialog) {
        dialog->Edit1->Text = "demo";
        dialog->Edit2->Text = "demo";
        dialog->Button1->Click();
    });
    EXPECT_EQ(frame->StartAborted, 1);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "登录提示");
    EXPECT_EQ(boxes[0].text, std::string("账户已停用"));
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONERROR));
    EXPECT_EQ(RequestClient, nullptr);
    EXPECT_EQ(frame->Blocks, nullptr);
    EXPECT_EQ(frame->Alarms, nullptr);
    // The quit is asked for: the GUI loop would end.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    frame->TearDown();
    EXPECT_EQ(ReadFile(root / "CFG" / "SETTING.INI"), before);
}

TEST_F(MFrameTest, AServerThatStaysDownGetsOneQuestionAndNoDropsBothClients)
{
    auto server = std::make_unique<peer::DataServer>();
    ASSERT_TRUE(server->Start(root.string(), {}));
    UseServer(*server);
    Start([](TClientRight *dialog) {
        dialog->Edit1->Text = "demo";
        dialog->Edit2->Text = "demo";
        dialog->Button1->Click();
    });
    ASSERT_EQ(frame->GetConnectionState(), 3);
    // The alarm thread's pauses would move the test clock on their own (a Sleep
    // advances it); the outage's ages must follow only this test's steps.
    ASSERT_NE(frame->Alarms, nullptr);
    frame->Alarms->StopCheckThread();
    SetTestClock(1700000000000LL, 100000);
    server.reset();
    // The clients see the link go.
    ASSERT_TRUE(testsupport::PumpUntil(App(), [] { return BothClientsDown(); }, 5000));
    ScriptMessageBoxAnswers({IDNO});
    // Quiet retries first: no question within 20 s.
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    AdvanceTestClock(10000);
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    EXPECT_EQ(ShownMessageBoxes().size(), 0u);
    // Then through the balancing server, which is down too: the question.
    AdvanceTestClock(15000);
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "网络故障，请检查您的网络，是否重新连接？  ");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].owner, HWND(0));
    EXPECT_TRUE(frame->FaultPending());
    // Asked once per outage.
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    EXPECT_EQ(ShownMessageBoxes().size(), 1u);
    // No: the posted 2528 drops both clients.
    ASSERT_TRUE(testsupport::PumpUntil(App(), [] { return RequestClient == nullptr; }, 3000));
    EXPECT_EQ(RealTimeClient, nullptr);
    ClearTestClock();
}

TEST_F(MFrameTest, ANewerVersionShowsTheNoticeAndLaterGoesOn)
{
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root.string(), {"--program-version", "2000"}));
    UseServer(server);
    bool noticeShown = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (int i = 0; frame && i < frame->ComponentCount(); ++i)
            if (auto *notice = dynamic_cast<TNoticeForm *>(frame->Components(i)))
                if (notice->Modal() && !noticeShown) {
                    noticeShown = true;
                    notice->Button2->Click();
                }
    });
    answer.start(5);
    Start([](TClientRight *dialog) {
        dialog->Edit1->Text = "demo";
        dialog->Edit2->Text = "demo";
        dialog->Button1->Click();
    });
    answer.stop();
    EXPECT_TRUE(noticeShown);
    EXPECT_EQ(frame->StartAborted, 0);
    EXPECT_EQ(frame->GetConnectionState(), 3);
    for (const RecordedLaunch &l : RecordedLaunches())
        EXPECT_EQ(l.program.find("update"), std::string::npos) << l.program;
}

TEST_F(MFrameTest, RightsBitsCountFromTheTopOfEachByte)
{
    TMFrame bare(&App());
    uint8_t block[48] = {};
    block[0] = 0x80;       // market 0, function 0
    block[3] = 0x02;       // market 1, function 14
    block[32] = 0x80;      // function right 1
    block[32 + 12] = 0x10; // function right 100
    bare.SetRights(block, 260315);
    struct Case {
        int market, function;
        bool granted;
    } cases[] = {{0, 0, true}, {0, 1, false}, {1, 14, true}, {1, 15, false}, {-1, 0, false}, {16, 0, false}};
    for (const Case &c : cases)
        EXPECT_EQ(bare.HasMarketRight(c.market, c.function), c.granted) << c.market << "/" << c.function;
    EXPECT_TRUE(bare.HasFunctionRight(1));
    EXPECT_FALSE(bare.HasFunctionRight(2));
    EXPECT_TRUE(bare.HasFunctionRight(100));
    EXPECT_FALSE(bare.HasFunctionRight(101));
    EXPECT_EQ(bare.RightsDate, 260315);
    EXPECT_EQ(MFrame, &bare);
}

TEST_F(MFrameTest, AboutBoxReadsTheBuildNumber)
{
    struct Case {
        const char *text;
        long long number;
    } cases[] = {{"1234abc", 1234}, {"", 0}, {"12345678901234567890", 12345678901LL}, {nullptr, 0}};
    for (const Case &c : cases) {
        fs::remove("version.txt");
        if (c.text)
            std::ofstream("version.txt", std::ios::binary) << c.text;
        Trighrbox box(&App());
        box.AfterConstruction();
        EXPECT_EQ(box.BuildNumber, c.number) << (c.text ? c.text : "(missing)");
        EXPECT_EQ(std::string(AnsiString(box.BuildLabel->Caption).c_str()), std::to_string(c.number));
    }
}

TEST_F(MFrameTest, UnansweredNoticeEndsWithTwoOnItsFifteenthTick)
{
    TNoticeForm notice(&App());
    notice.AfterConstruction();
    EXPECT_EQ(std::string(AnsiString(notice.Caption).c_str()), "升级提示");
    EXPECT_TRUE(notice.Timer1->Enabled);
    EXPECT_EQ(notice.Timer1->Interval, 1000u);
    for (int tick = 1; tick <= 15; ++tick) {
        EXPECT_EQ(int(notice.ModalResult), int(mrNone)) << tick;
        notice.Timer1Timer(notice.Timer1);
        EXPECT_EQ(notice.ProgressBar1->Position, tick * 10);
    }
    EXPECT_EQ(int(notice.ModalResult), int(mrCancel));
    EXPECT_FALSE(notice.Timer1->Enabled);
    // The two buttons give 1 and 2.
    EXPECT_EQ(int(notice.Button1->ModalResult), int(mrOk));
    EXPECT_EQ(int(notice.Button2->ModalResult), int(mrCancel));
}

TEST_F(MFrameTest, UnansweredNoticeShownModallyEndsOnTheFifteenthSecondOfTheTestClock)
{
    SetTestClock(1700000000000LL, 100000);
    TNoticeForm notice(&App());
    notice.AfterConstruction();
    int seconds = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] {
        if (seconds++ < 40)
            AdvanceTestClock(1000);
    });
    clock.start(20);
    EXPECT_EQ(notice.ShowModal(), int(mrCancel));
    clock.stop();
    EXPECT_EQ(notice.ProgressBar1->Position, 150);
    // It closed on the fifteenth tick, not after the clock ran on.
    EXPECT_LE(seconds, 20);
    ClearTestClock();
}

} // namespace
