// The request client against the simulated data server over loopback: logins
// (directly, through the balancing server, through a SOCKS5 proxy), time-outs,
// the frame stream and its faults, and the loss of the connection.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win/Process.h"

#include "LinkFixture.h"
#include "tests/support/GbkLiteral.h"

namespace {

using peer::Messages;
using socktest::PumpUntil;

class RequestClient : public LinkFixture {};

TEST_F(RequestClient, LoginAcceptedOrRefused)
{
    ASSERT_TRUE(server.Start(root, {}));
    WriteServerIni("127.0.0.1", server.data, server.realtime);
    struct Case {
        const char *user, *password;
        int result;
    } cases[] = {{"demo", "demo", 0}, {"locked", "locked", 7}, {"nobody", "x", 1}, {"demo", "wrong", 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.user);
        frame->rights.clear();
        client = std::make_unique<TNormalClnt>();
        client->SetUser(c.user, c.password);
        ASSERT_EQ(client->ConnectServer(), 1);
        EXPECT_EQ(client->Login(), c.result);
        if (c.result == 0) {
            EXPECT_STREQ(client->GetErrorText(), "");
            EXPECT_EQ(frame->rights.size(), 48u);
            EXPECT_EQ(frame->date, 61208); // yymmdd, the year counted from 2000
            EXPECT_EQ(client->GetServerAddress(), win::inet_addr("127.0.0.1"));
            EXPECT_NE(client->GetLoginValue(), 0u);
            // Logging in again with the value held leaves the frame alone.
            frame->rights.clear();
            EXPECT_EQ(client->Login(), 0);
            EXPECT_TRUE(frame->rights.empty());
        } else {
            EXPECT_GT(std::strlen(client->GetErrorText()), 0u);
            EXPECT_TRUE(frame->rights.empty());
        }
        client.reset();
    }
}

// A login value is good only with the server run that gave it: after a restart
// the server refuses it, and the client keeps the value and the server's text.
TEST_F(RequestClient, LoginValueOfAnEarlierServerRunIsRefused)
{
    ASSERT_TRUE(server.Start(root, {}));
    WriteServerIni("127.0.0.1", server.data, server.realtime);
    client = std::make_unique<TNormalClnt>();
    client->SetUser("demo", "demo");
    ASSERT_EQ(client->ConnectServer(), 1);
    ASSERT_EQ(client->Login(), 0);
    const uint32_t value = client->GetLoginValue();
    peer::DataServer restarted;
    ASSERT_TRUE(restarted.Start(root, {}));
    WriteServerIni("127.0.0.1", restarted.data, restarted.realtime);
    ASSERT_EQ(client->ConnectServer(), 1);
    EXPECT_EQ(client->Login(), 4);
    EXPECT_EQ(std::string(client->GetErrorText()), GbkOf(u8"登录信息无效，请重新登录"));
    EXPECT_EQ(client->GetLoginValue(), value);
}

TEST_F(RequestClient, NameTableLoadsIntoTheMarketAndItsFile)
{
    ASSERT_TRUE(server.Start(root, {"--max-body", "200"}));
    WriteServerIni("127.0.0.1", server.data, server.realtime);
    client = std::make_unique<TNormalClnt>();
    client->SetUser("demo", "demo");
    ASSERT_EQ(client->ConnectServer(), 1);
    ASSERT_EQ(client->Login(), 0);
    TMarketData &sh = *MarketTable.Markets[0];
    const int held = sh.StockCount;
    std::memset(static_cast<void *>(sh.Statics), 0, sizeof(StockStaticRecord) * sh.Capacity);
    // Several frames of six records each make up the table.
    ASSERT_EQ(client->LoadNameTable(0), held);
    EXPECT_EQ(sh.StockCount, held);
    for (int i = 0; i < held; ++i) {
        EXPECT_EQ(sh.Statics[i].Index, i);
        EXPECT_EQ(sh.Statics[i].Market, 0);
    }
    EXPECT_EQ(sh.FindStockByCode("600000"), 5);
    EXPECT_EQ(std::filesystem::file_size(DataFile("sh/nametbl.sh")), size_t(held) * 32);
    EXPECT_EQ(client->LoadNameTable(9), -1);
}

TEST_F(RequestClient, BalancingServerThenDataServer)
{
    // The balancing port is fixed: an address of this test's own.
    const std::string host = "127.0.0." + std::to_string(20 + getpid() % 200);
    ASSERT_TRUE(server.Start(root, {"--balance-port", "6669"}, host));
    WriteServerIni(host, server.data, server.realtime);
    client = std::make_unique<TNormalClnt>();
    client->SetUser("demo", "demo");
    ASSERT_EQ(client->Open(), 1);
    ASSERT_EQ(client->Login(), 0);
    EXPECT_EQ(client->GetServerAddress(), win::inet_addr(host.c_str()));
    ASSERT_EQ(client->ConnectServer(), 1);
    EXPECT_EQ(client->Login(), 0);
    EXPECT_EQ(client->CheckVersion(0), 0);
    ASSERT_EQ(client->StartAsyncEvents(), 1);
    char baladdr[32] = {};
    win::GetPrivateProfileStringA("Server", "BALADDR", "", baladdr, sizeof baladdr, ".\\server.ini");
    EXPECT_EQ(std::string(baladdr), std::to_string(win::inet_addr(host.c_str())));
    ASSERT_EQ(client->RequestStockInfo(0, "000001"), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle() && !Messages(WM_SERVER_DATA).empty(); }));
    EXPECT_EQ(Messages(WM_SERVER_DATA)[0].wParam, 0x660000u);
    EXPECT_EQ(Messages(WM_SERVER_DATA)[0].lParam, win::LPARAM(MakeStockId(0, 0, 0)));
}

TEST_F(RequestClient, ThroughMicrosocks)
{
    ASSERT_TRUE(server.Start(root, {}));
    struct Case {
        const char *name, *socksUser, *socksPassword, *iniUser, *iniPassword;
        int certUser;
        int opened;
    } cases[] = {
        {"no authentication", "", "", "", "", 0, 1},
        {"user and password", "lumo", "s3cret", "lumo", "s3cret", 1, 1},
        {"wrong password", "lumo", "s3cret", "lumo", "wrong", 1, 0},
        {"no method the proxy takes", "lumo", "s3cret", "", "", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer::Socks socks;
        ASSERT_TRUE(socks.Start(c.socksUser, c.socksPassword));
        WriteServerIni("127.0.0.1", server.data, server.realtime,
                       "UseProxy=1\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(socks.port) +
                           "\r\nUserName=" + c.iniUser + "\r\nPassword=" + c.iniPassword +
                           "\r\nCertUser=" + std::to_string(c.certUser) + "\r\n");
        client = std::make_unique<TNormalClnt>();
        client->SetUser("demo", "demo");
        ASSERT_EQ(client->ConnectServer(), c.opened);
        if (c.opened) {
            EXPECT_EQ(client->Login(), 0);
        }
        client.reset();
    }
}

// A proxy that answers each read from the client with the next scripted reply,
// each reply written in the pieces given.
class ScriptedProxy {
public:
    explicit ScriptedProxy(std::vector<std::vector<std::string>> replies) : replies_(std::move(replies))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr *>(&sa), sizeof sa);
        ::listen(listener_, 1);
        socklen_t len = sizeof sa;
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&sa), &len);
        port = ntohs(sa.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedProxy()
    {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    uint16_t port = 0;

private:
    void Run()
    {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1)
            return;
        int conn = ::accept(listener_, nullptr, nullptr);
        for (const std::vector<std::string> &reply : replies_) {
            pollfd q{conn, POLLIN, 0};
            char buffer[512];
            if (::poll(&q, 1, 5000) != 1 || ::recv(conn, buffer, sizeof buffer, 0) <= 0)
                break;
            for (const std::string &piece : reply) {
                (void)::send(conn, piece.data(), piece.size(), MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        while (!stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::close(conn);
    }
    std::vector<std::vector<std::string>> replies_;
    int listener_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

std::string B(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += char(b);
    return s;
}

TEST_F(RequestClient, ProxyFailuresAndLongReplies)
{
    // A refused login frame after the proxy's reply shows that the reply was
    // read to its end and the stream starts clean.
    const std::string refusal = B({0x40, 2, 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 9, 'n', 0});
    const std::string domainReply = B({5, 0, 0, 3, 9}) + "localhost" + B({0, 80});
    struct Case {
        const char *name;
        int certUser;
        std::vector<std::vector<std::string>> replies;
        int opened;
        bool silent;
    } cases[] = {
        {"method refused", 0, {{B({5, 0xFF})}}, 0, false},
        {"not SOCKS5", 0, {{B({4, 0})}}, 0, false},
        {"authentication refused", 1, {{B({5, 2})}, {B({1, 1})}}, 0, false},
        {"connection refused", 0, {{B({5, 0})}, {B({5, 5, 0, 1, 0, 0, 0, 0, 0, 0})}}, 0, false},
        {"reply by name, split", 0, {{B({5}), B({0})}, {domainReply.substr(0, 3), domainReply.substr(3) + refusal}}, 1,
         false},
        {"silent", 0, {}, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy(c.replies);
        WriteServerIni("127.0.0.1", 6666, 6668,
                       "UseProxy=1\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(proxy.port) +
                           "\r\nUserName=u\r\nPassword=p\r\nCertUser=" + std::to_string(c.certUser) + "\r\n");
        if (c.silent)
            win::SetTestClock(1165536000000, 1000000);
        client = std::make_unique<TNormalClnt>();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client->ConnectServer(), c.opened);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        if (c.opened) {
            EXPECT_EQ(client->Login(), 9);
        }
        win::ClearTestClock();
        client.reset();
    }
}

TEST_F(RequestClient, VersionCheckOffersTheUpdate)
{
    ASSERT_TRUE(server.Start(root, {"--program-version", "5"}));
    {
        std::ofstream updater(root + "/bin/update.exe");
        updater << "#!/bin/sh\n";
    }
    std::filesystem::permissions(root + "/bin/update.exe", std::filesystem::perms::owner_all);
    struct Case {
        const char *name, *localVersion;
        int answer, result, notices;
        size_t launches;
    } cases[] = {
        {"no version file, update now", nullptr, 1, 1, 1, 1},
        {"newer here", "7", 1, 0, 0, 0},
        {"older here, later", "3", 2, 0, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(root + "/bin/version.txt");
        if (c.localVersion)
            std::ofstream(root + "/bin/version.txt") << c.localVersion;
        frame->updateAnswer = c.answer;
        frame->noticesShown = 0;
        peer::Inbox().clear();
        win::RecordLaunches(true);
        ASSERT_TRUE(ConnectDirect());
        EXPECT_EQ(client->CheckVersion(frame->pane), c.result);
        EXPECT_EQ(frame->noticesShown, c.notices);
        const auto launches = win::RecordedLaunches();
        ASSERT_EQ(launches.size(), c.launches);
        if (c.launches) {
            EXPECT_NE(launches[0].program.find("update.exe"), std::string::npos);
        }
        EXPECT_EQ(Messages(WM_LOGIN_VERSION).size(), 1u);
        win::RecordLaunches(false);
        // The quit the update posts ends the message loop once.
        if (c.result == 1) {
            win::MSG msg;
            while (win::PeekMessageA(&msg, 0, 0, 0, win::PM_REMOVE) && msg.message != win::WM_QUIT)
                win::DispatchMessageA(&msg);
        }
        client.reset();
    }
}

TEST_F(RequestClient, SilentServerTimesOut)
{
    ASSERT_TRUE(server.Start(root, {"--silent"}));
    WriteServerIni("127.0.0.1", server.data, server.realtime);
    client = std::make_unique<TNormalClnt>();
    ASSERT_EQ(client->ConnectServer(), 1);
    win::SetTestClock(1165536000000, 1000000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client->Login(), 15);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(client->IsConnected());
    win::ClearTestClock();
}

TEST_F(RequestClient, ConnectionLossReachesTheFrame)
{
    struct Case {
        const char *name;
        bool reset, faultPending;
        int answer;
        win::UINT message;
    } cases[] = {
        {"closed", false, false, 0, WM_NETWORK_FAULT},
        {"reset", true, false, 0, WM_NETWORK_FAULT},
        {"closed while the fault is pending, reconnect", false, true, win::IDYES, WM_RECONNECT},
        {"reset while the fault is pending, give up", true, true, win::IDNO, WM_DROP_CLIENTS},
    };
    ASSERT_TRUE(server.Start(root, {}));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer::Inbox().clear();
        frame->faultPending = c.faultPending;
        win::RecordMessageBoxes(true);
        win::ScriptMessageBoxAnswers({c.answer});
        ASSERT_TRUE(ConnectDirect());
        server.Command(std::string("{\"cmd\": \"close\", \"reset\": ") + (c.reset ? "true" : "false") + "}");
        ASSERT_TRUE(PumpUntil([&] { return !peer::Inbox().empty(); }));
        ASSERT_EQ(peer::Inbox().size(), 1u);
        EXPECT_EQ(peer::Inbox()[0].msg, c.message);
        EXPECT_FALSE(client->IsConnected());
        EXPECT_EQ(win::ShownMessageBoxes().size(), c.faultPending ? 1u : 0u);
        client.reset();
    }
}

} // namespace
