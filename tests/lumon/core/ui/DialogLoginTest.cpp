// A real login through the login dialog: the simulated data server serves an
// installation made by the installation maker; the frame's connect makes a
// request client and logs in with what was typed, directly or first through the
// balancing server, and the dialog ends with 1 once the login thread reports
// the markets loaded.
#include <gtest/gtest.h>

#include <QTimer>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/ui/TClientRight.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Thread.h"
#include "tests/support/DataServerPeer.h"
#include "tests/support/TestApplication.h"

using namespace win;

namespace {

namespace fs = std::filesystem;

TApplication &App() { return testsupport::TestApplication("test_lumon_core_ui"); }

// The frame's connect as a terminal does it: a request client with the typed
// user, the balancing login unless NoJH is set, then the data login. The login
// thread reports every market loaded.
class LoginFrame : public TFrameServices {
public:
    bool RequestNameTable(int) override { return false; }
    void SetRights(const uint8_t *block, int ymd) override
    {
        rights.assign(block, block + 48);
        date = ymd;
    }
    int ConnectToServer(HWND dialog, const char *user, const char *password) override
    {
        client = std::make_unique<TNormalClnt>();
        client->SetUser(user, password);
        bool ok = true;
        if (GetPrivateProfileIntA("Server", "NoJH", 0, ".\\server.ini") == 0) {
            SendMessageA(dialog, WM_LOGIN_SEARCH, 0, 0);
            ok = client->Open() == 1 && client->Login() == 0;
        }
        if (ok) {
            SendMessageA(dialog, WM_LOGIN_CONNECT, 0, 0);
            ok = client->ConnectServer() == 1;
            if (ok) {
                SendMessageA(dialog, WM_LOGIN_VERSION, 0, 0);
                ok = client->Login() == 0;
            }
        }
        if (!ok) {
            error = client->GetErrorText();
            SendMessageA(dialog, WM_MARKET_FAILED, 0, 0);
            client.reset();
            return 0;
        }
        return 1;
    }
    int StartRealDataClient(HWND dialog) override
    {
        SendMessageA(dialog, WM_MARKETS_LOADED, 0, 0);
        return 0;
    }

    std::unique_ptr<TNormalClnt> client;
    std::vector<uint8_t> rights;
    int date = 0;
    std::string error;
};

class DialogLoginTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        App();
        root_ = fs::absolute("dialog-login").string();
        fs::remove_all(root_);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                              root_ + "' --no-registry > mkinstall-login.log 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void SetUp() override
    {
        static int count = 0;
        saved_ = fs::current_path();
        dir_ = fs::absolute("dialog-login-bin" + std::to_string(++count));
        fs::create_directories(dir_);
        SetCurrentDirectoryA(dir_.c_str());
        log_ = (dir_ / "frames.log").string();
        pool_ = std::make_unique<LSocketPool>();
        RecordMessageBoxes(true);
        saveFrame_ = MFrame;
        MFrame = &frame;
    }
    void TearDown() override
    {
        frame.client.reset();
        MFrame = saveFrame_;
        pool_.reset();
        RecordMessageBoxes(false);
        SetCurrentDirectoryA(saved_.c_str());
    }
    void WriteServers(const std::string &address, const std::string &serverSection)
    {
        std::ofstream(dir_ / "server.ini", std::ios::binary)
            << "[RIGHT]\r\nsvraddr0=" << address << "\r\ncompany0=本地主站\r\ntel0=1\r\nwebside0=\r\nlastindex=0\r\n"
            << "[Server]\r\n" << serverSection << "[ProxyServer]\r\nUseProxy=0\r\n";
    }
    // Types the user and password, connects and returns the dialog's result.
    int LogIn(const char *user, const char *password)
    {
        auto *dialog = new TClientRight(&App(), 0);
        dialog->AfterConstruction();
        QTimer::singleShot(0, [&] {
            dialog->Edit1->Text = user;
            dialog->Edit2->Text = password;
            dialog->Button1->Click();
        });
        int result = dialog->ShowModal();
        // As the frame does: the dialog goes first, so the thread's last send
        // to it returns at once, then the thread is joined.
        HANDLE thread = dialog->LoginThread;
        delete dialog;
        if (thread) {
            // A send made before the window went waits for this thread to serve it.
            MSG msg;
            for (int i = 0; i < 500 && WaitForSingleObject(thread, 10) == WAIT_TIMEOUT; ++i)
                PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);
            EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
            CloseHandle(thread);
        }
        return result;
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

    LoginFrame frame;
    static std::string root_;
    std::string log_;

private:
    fs::path saved_, dir_;
    std::unique_ptr<LSocketPool> pool_;
    TFrameServices *saveFrame_ = nullptr;
};

std::string DialogLoginTest::root_;

TEST_F(DialogLoginTest, DirectLoginWithNoJHEndsTheDialogWithOne)
{
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root_, {"--log", log_}));
    WriteServers("127.0.0.1", "Port=" + std::to_string(server.data) + "\r\nR_Port=" +
                                  std::to_string(server.realtime) + "\r\nNoJH=1\r\n");
    EXPECT_EQ(LogIn("demo", "demo"), mrOk);
    ASSERT_NE(frame.client, nullptr);
    EXPECT_TRUE(frame.client->IsConnected());
    EXPECT_EQ(Logins(), (std::vector<std::string>{"data"}));
    EXPECT_EQ(frame.rights.size(), 48u);
    EXPECT_GT(frame.date, 0);
}

TEST_F(DialogLoginTest, BalancingLoginComesBeforeTheDataLogin)
{
    peer::DataServer server;
    const std::string host = "127.0.0." + std::to_string(20 + getpid() % 200);
    ASSERT_TRUE(server.Start(root_, {"--log", log_, "--balance-port", "6669"}, host));
    // The balancing server is found through the installation's server list.
    WriteServers(host, "Port=" + std::to_string(server.data) + "\r\nR_Port=" + std::to_string(server.realtime) +
                           "\r\nNoJH=0\r\n");
    EXPECT_EQ(LogIn("demo", "demo"), mrOk);
    EXPECT_EQ(Logins(), (std::vector<std::string>{"balance", "data"}));
}

TEST_F(DialogLoginTest, ARefusedLoginShowsTheServersTextAndClosesTheDialog)
{
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root_, {"--log", log_}));
    WriteServers("127.0.0.1", "Port=" + std::to_string(server.data) + "\r\nR_Port=" +
                                  std::to_string(server.realtime) + "\r\nNoJH=1\r\n");
    EXPECT_EQ(LogIn("locked", "locked"), mrCancel);
    EXPECT_EQ(frame.client, nullptr);
    EXPECT_FALSE(frame.error.empty());
    EXPECT_EQ(Logins(), (std::vector<std::string>{"data"}));
}

} // namespace
