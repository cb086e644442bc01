// The login sequence against the simulated gateway: the dialog's account and
// password reach the gateway's login, long numbers packed, through a SOCKS5
// proxy too; a site without servers, a refused connection with the connection
// test, a login without the right to run and four refusals end as the user
// expects.
#include <cctype>
#include <fstream>

#include "LoginFixture.h"
#include "consign/session/LoginSupport.h"
#include "consign/session/ui/CServerTestDlg.h"
#include "consign/session/ui/LoginLoop.h"

using namespace win;
using logintest::LoginFixture;
using logintest::Site;
using testsupport::ModalScript;

namespace {

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

class LoginLoopTest : public LoginFixture {
protected:
    void SetUp() override
    {
        LoginFixture::SetUp();
        ASSERT_TRUE(gateway.StartGateway({"--control", "0"}, "gateway.log"));
        server = "127.0.0.1:" + std::to_string(gateway.Port());
    }
    void TearDown() override
    {
        TheTradeSession().Close();
        LoginFixture::TearDown();
    }
    // Bodies (hex) of the login requests the gateway received.
    std::vector<std::string> Logins()
    {
        std::vector<std::string> bodies;
        std::ifstream in("gateway.log");
        std::string line;
        while (std::getline(in, line)) {
            if (line.find("\"dir\": \"in\"") == std::string::npos || line.find("\"code\": 50,") == std::string::npos)
                continue;
            const size_t at = line.find("\"body\": \"");
            if (at != std::string::npos)
                bodies.push_back(line.substr(at + 9, line.find('"', at + 9) - at - 9));
        }
        return bodies;
    }
    // Types the account and password into each login dialog and presses OK;
    // after `times` dialogs it cancels.
    std::unique_ptr<ModalScript> TypeLogin(const char *account, const char *password, int times = 1)
    {
        auto count = std::make_shared<int>(0);
        return std::make_unique<ModalScript>("登录", [=](HWND h) {
            if (++*count > times) {
                Click(h, IDCANCEL);
                return;
            }
            SetText(h, 1021, account);
            SetText(h, 1022, password);
            PressOk(h);
        });
    }
    ChildPeer gateway;
    std::string server;
};

} // namespace

TEST_F(LoginLoopTest, TheTypedAccountLogsInAtTheSitesServer)
{
    WriteSettings({Site{"模拟网关", {"", server, ""}, 2}});
    auto login = TypeLogin("8001", "123456");
    ASSERT_EQ(LoginLoop(1), 1);
    EXPECT_STREQ(CurrentServer, "127.0.0.1");
    EXPECT_STREQ(LoginAccount, "8001");
    EXPECT_NE(RightsText.Find('A'), -1);
    EXPECT_STREQ(OrderMethod, "consign");
    EXPECT_TRUE(BoxTexts().empty());
    const std::vector<std::string> logins = Logins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].substr(0, 14), Hex("consign"));
    EXPECT_EQ(logins[0].substr(20, 8), Hex("8001"));
    EXPECT_EQ(logins[0].substr(60, 12), Hex("123456"));
}

TEST_F(LoginLoopTest, ALongAccountReachesTheGatewayPacked)
{
    WriteSettings({Site{"模拟网关", {server, "", ""}}});
    auto login = TypeLogin("1234567890", "000000");
    ASSERT_EQ(LoginLoop(1), 1);
    const std::vector<std::string> logins = Logins();
    ASSERT_GE(logins.size(), 1u);
    EXPECT_EQ(logins[0].substr(20, 18), "85234567" "89a12b2b2b");
}

TEST_F(LoginLoopTest, AProxyCarriesTheLogin)
{
    ChildPeer socks;
    ASSERT_TRUE(socks.StartSocks("", ""));
    WriteSettings({Site{"模拟网关", {server, "", ""}}},
                  "ProxyIP=127.0.0.1\r\nProxyUserName=\r\nProxyPassword=\r\n");
    WritePrivateProfileStringA("Login", "ProxyInuse", "1", SettingsPath);
    WritePrivateProfileStringA("Login", "ProxyPort", std::to_string(socks.Port()).c_str(), SettingsPath);
    auto login = TypeLogin("8001", "123456");
    ASSERT_EQ(LoginLoop(1), 1);
    EXPECT_EQ(LoginConnection.proxyInUse, 1);
    EXPECT_EQ(Logins().size(), 1u);
    // Without the proxy running the same site cannot be reached.
    socks.Stop();
    TheTradeSession().Close();
    EXPECT_EQ(LoginLoop(0), 0);
}

TEST_F(LoginLoopTest, FailuresAreToldAndEndTheLogin)
{
    // A site without servers: the dialog comes again, nothing is connected.
    WriteSettings({Site{"空站点", {"", "", ""}}});
    {
        auto login = TypeLogin("8001", "123456");
        EXPECT_EQ(LoginLoop(1), 0);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"至少要指定一个服务器"});
        EXPECT_TRUE(Logins().empty());
    }
    // A refused connection, then the connection test on it.
    RecordMessageBoxes(true);
    const int closed = peersupport::FreeLoopbackPort();
    WriteSettings({Site{"关闭的端口", {"127.0.0.1:" + std::to_string(closed), "", ""}}});
    std::string result;
    {
        auto login = TypeLogin("8001", "123456");
        ModalScript test("测试服务器", [&](HWND h) {
            PressOk(h);
            QTimer::singleShot(200, [&, h] {
                result = Text(h, 1221);
                Click(h, IDCANCEL);
            });
        });
        EXPECT_EQ(LoginLoop(1), 0);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"连接错误：连接被拒绝"});
    EXPECT_EQ(result, "失败：连接被拒绝");
    // The test on the gateway's port succeeds.
    LoadConnectionSettings(SettingsPath, 1, "", "", "", LoginConnection);
    LoginConnection.servers[0].port = static_cast<WORD>(gateway.Port());
    {
        ModalScript test("测试服务器", [&](HWND h) {
            PressOk(h);
            QTimer::singleShot(200, [&, h] {
                result = Text(h, 1221);
                Click(h, IDCANCEL);
            });
        });
        CServerTestDlg dialog;
        dialog.DoModal();
    }
    EXPECT_EQ(result, "成功, 请关闭后再次运行");

    // An account without the right 'A'.
    RecordMessageBoxes(true);
    WriteSettings({Site{"模拟网关", {server, "", ""}}});
    {
        auto login = TypeLogin("9001", "900100");
        EXPECT_EQ(LoginLoop(1), 0);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"无权运行此程序!"});

    // Four refusals end the login; three are asked again.
    RecordMessageBoxes(true);
    const size_t before = Logins().size();
    {
        auto login = TypeLogin("8001", "wrong", 10);
        EXPECT_EQ(LoginLoop(1), 0);
        EXPECT_EQ(login->Count(), 4);
    }
    EXPECT_EQ(Logins().size() - before, 4u);
    EXPECT_EQ(BoxTexts().size(), 4u);
}
