// The frame's data connection against the simulated data server: the login
// through the balancing server, quiet reconnection after the server drops the
// link, the question when it stays down and the re-login it leads to, the
// updater started from the new-version notice, a start that fails on the login
// thread, and the chat client's command line.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/shell/NoticeForm.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Time.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace win;
using namespace framefixture;

namespace {

class FrameConnectionTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        log_ = (root / "server.log").string();
    }
    void TearDown() override
    {
        ClearTestClock();
        FrameTest::TearDown();
    }
    bool StartServer(peer::DataServer &server, std::vector<std::string> extra = {},
                     const std::string &host = "127.0.0.1")
    {
        extra.insert(extra.end(), {"--log", log_});
        return server.Start(root.string(), extra, host);
    }
    static void LogInAsDemo(TClientRight *dialog)
    {
        dialog->Edit1->Text = "demo";
        dialog->Edit2->Text = "demo";
        dialog->Button1->Click();
    }
    // The listeners of the logged login frames, in order.
    std::vector<std::string> Logins() const
    {
        std::vector<std::string> out;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["type"].Int() == 3)
                out.push_back(j["listener"].text);
        }
        return out;
    }
    // Logged in directly, with the alarm thread stopped (its pauses would move
    // the test clock) and the test clock set.
    void StartOnline(peer::DataServer &server)
    {
        UseServer(server);
        Start(LogInAsDemo);
        ASSERT_EQ(frame->GetConnectionState(), 3);
        ASSERT_NE(frame->Alarms, nullptr);
        frame->Alarms->StopCheckThread();
        SetTestClock(1700000000000LL, 100000);
    }

    std::string log_;
};

TEST_F(FrameConnectionTest, BalancingLoginComesBeforeTheDataLogin)
{
    peer::DataServer server;
    const std::string host = "127.0.0." + std::to_string(30 + getpid() % 200);
    ASSERT_TRUE(StartServer(server, {"--balance-port", "6669"}, host));
    WritePrivateProfileStringA("RIGHT", "svraddr0", host.c_str(), ".\\server.ini");
    WritePrivateProfileStringA("Server", "Address", host.c_str(), ".\\server.ini");
    UseServer(server);
    WritePrivateProfileStringA("Server", "NoJH", "0", ".\\server.ini");
    Start(LogInAsDemo);
    ASSERT_EQ(frame->StartAborted, 0);
    EXPECT_EQ(Logins(), (std::vector<std::string>{"balance", "data"}));
    EXPECT_EQ(frame->GetConnectionState(), 3);
    // Online, the connect item offers to disconnect.
    frame->N1->Click();
    EXPECT_EQ(std::string(AnsiString(frame->C1->Caption).c_str()), "断开连接(&D)");
}

TEST_F(FrameConnectionTest, QuietRetriesReconnectAfterTheServerClosesTheLink)
{
    peer::DataServer server;
    ASSERT_TRUE(StartServer(server));
    StartOnline(server);
    ASSERT_EQ(Logins().size(), 1u);
    server.Command(R"({"cmd": "close", "listener": "data"})");
    server.Command(R"({"cmd": "close", "listener": "realtime"})");
    // Both clients report the fault; the frame logs in again on its own, well
    // inside the quiet 20 s (the test clock stands still).
    ASSERT_TRUE(testsupport::PumpUntil(
        App(), [&] { return Logins().size() == 2 && MainFrame()->GetConnectionState() == 3; }, 10000))
        << Logins().size() << " logins, state " << frame->GetConnectionState();
    EXPECT_EQ(ShownMessageBoxes().size(), 0u);
    EXPECT_FALSE(frame->FaultPending());
    EXPECT_EQ(FaultStartTick, 0u);
    // The server sees both links again. The frame's messages are served while
    // waiting: the clients finish their links from its loop.
    size_t links = 0;
    testsupport::PumpUntil(
        App(),
        [&] {
            links = server.Command(R"({"cmd": "status"})")["connections"].size();
            if (links != 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return links == 2;
        },
        10000);
    EXPECT_EQ(links, 2u);
}

TEST_F(FrameConnectionTest, YesToTheFaultQuestionReopensTheLoginWithoutOfflineBrowsing)
{
    auto server = std::make_unique<peer::DataServer>();
    ASSERT_TRUE(StartServer(*server));
    StartOnline(*server);
    server.reset();
    ASSERT_TRUE(testsupport::PumpUntil(App(), [] { return BothClientsDown(); }, 5000));
    ScriptMessageBoxAnswers({IDYES});
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    AdvanceTestClock(25000);

    bool seen = false, offlineShown = true, reconnectMode = false;
    std::string exitCaption;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        TClientRight *dialog = frame ? OpenDialog(frame) : nullptr;
        if (!dialog || !dialog->Modal() || seen)
            return;
        seen = true;
        offlineShown = dialog->Button3->Visible;
        exitCaption = AnsiString(dialog->Button2->Caption).c_str();
        reconnectMode = frame->LoginReconnect;
        dialog->Button2->Click();
    });
    watch.start(5);
    SendMessageA(frame->Handle, WM_NETWORK_FAULT, 0, 0);
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, "网络故障，请检查您的网络，是否重新连接？  ");
    // Yes posts the re-login.
    ASSERT_TRUE(testsupport::PumpUntil(App(), [&] { return seen && !frame->LoginOpen; }, 5000));
    watch.stop();
    EXPECT_TRUE(reconnectMode);
    EXPECT_FALSE(offlineShown);
    EXPECT_EQ(exitCaption, "取      消");
    // Cancelled: no clients, the frame runs on, and a new outage may ask again.
    EXPECT_EQ(RequestClient, nullptr);
    EXPECT_EQ(RealTimeClient, nullptr);
    EXPECT_FALSE(frame->FaultPending());
    EXPECT_EQ(frame->StartAborted, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(FrameConnectionTest, UpdateNowStartsTheUpdaterAndEndsTheStart)
{
    std::ofstream(root / "bin" / "update.exe") << "#!/bin/sh\n";
    fs::permissions(root / "bin" / "update.exe", fs::perms::owner_all);
    peer::DataServer server;
    ASSERT_TRUE(StartServer(server, {"--program-version", "2000"}));
    UseServer(server);
    std::string before = ReadFile(root / "CFG" / "SETTING.INI");
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (int i = 0; frame && i < frame->ComponentCount(); ++i)
            if (auto *notice = dynamic_cast<TNoticeForm *>(frame->Components(i)))
                if (notice->Modal() && int(notice->ModalResult) == int(mrNone))
                    notice->Button1->Click();
    });
    answer.start(5);
    Start(LogInAsDemo);
    answer.stop();
    EXPECT_EQ(frame->StartAborted, 1);
    bool updater = false;
    for (const RecordedLaunch &l : RecordedLaunches())
        updater = updater || l.program.find("update.exe") != std::string::npos;
    EXPECT_TRUE(updater);
    EXPECT_EQ(RequestClient, nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    frame->TearDown();
    EXPECT_EQ(ReadFile(root / "CFG" / "SETTING.INI"), before);
}

TEST_F(FrameConnectionTest, MarketsFailingOnTheLoginThreadEndTheLoop)
{
    peer::DataServer server;
    ASSERT_TRUE(StartServer(server));
    UseServer(server);
    fs::rename(root / "CFG" / "mkinfo.cfg", root / "mkinfo.saved");
    Start(LogInAsDemo);
    fs::rename(root / "mkinfo.saved", root / "CFG" / "mkinfo.cfg");
    EXPECT_EQ(frame->StartAborted, 1);
    auto boxes = ShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, "初始化数据失败");
    EXPECT_EQ(boxes[0].caption, "提示");
    // The start asks for the quit once more when the dialog ends; without it,
    // the quit the login thread asked for still ends the GUI loop.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE));
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        PostQuitMessage(-1);
    });
    guard.start(5000);
    App().Run();
    EXPECT_FALSE(timedOut);
}

TEST_F(FrameConnectionTest, TheChatClientGetsTheFrameHandleAsItsWholeCommandLine)
{
    fs::remove(root / "bin" / "chatdesk.dll");
    fs::copy_file(LUMO_CHATPEER, root / "bin" / "chatdesk.dll");
    RecordLaunches(false);
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    ASSERT_EQ(frame->StartAborted, 0);
    const fs::path out = root / "bin" / "chatpeer.out";
    for (int i = 0; i < 500 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFile(out), std::to_string(unsigned(uintptr_t(frame->Handle))));
}

} // namespace
