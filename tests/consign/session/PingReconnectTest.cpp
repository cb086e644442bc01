// Pings on the test clock against a gateway that falls silent, the reconnection
// that follows, and the reports of a closed connection.
#include <algorithm>

#include "SessionFixture.h"

using namespace win;

namespace {

bool Shows(const LiveSession &s, const std::string &text)
{
    return std::find(s.status.begin(), s.status.end(), text) != s.status.end();
}

TEST_F(SessionTest, SilentGatewayIsPingedThenReconnected)
{
    // The first connection answers the hello and the login, then nothing more.
    ASSERT_TRUE(StartGateway({"--silent-after", "2", "--fault-connections", "1"}));
    LiveSession idle;
    idle.m_PingTimeOut = 0;
    EXPECT_EQ(idle.SendPing(), 0) << "not logged in: nothing is sent";
    LiveSession s;
    s.m_PingTimeOut = 2500;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    // Reads wait on the test clock too, so it runs only while nothing is read.
    SetTestClock(1'800'000'000'000, 10'000'000);
    AdvanceTestClock(100);
    EXPECT_EQ(s.SendPing(), 0) << "the time-out has not passed since the first check";

    for (int n = 1; n <= 7; ++n) {
        AdvanceTestClock(2499);
        EXPECT_EQ(s.SendPing(), 0) << "less than the ping time-out since the last check";
        AdvanceTestClock(1);
        EXPECT_EQ(s.SendPing(), n);
        if (n == 2) {
            EXPECT_EQ(s.status.back(), "已丢失 1 次应答,可能连接已断") << "shown before the second ping";
        }
    }
    ASSERT_TRUE(WaitReceived(2 + 7));
    EXPECT_EQ(s.m_bReconnecting, 0);
    AdvanceTestClock(2500);
    EXPECT_EQ(s.SendPing(), 0) << "the eighth check reconnects instead of pinging";
    EXPECT_TRUE(Shows(s, "已丢失 7 次应答,可能连接已断"));
    EXPECT_EQ(s.status.back(), "PING无响应，TCP连接已断，正尝试重连...");
    EXPECT_EQ(s.m_bReconnecting, 1);
    EXPECT_EQ(s.m_bLoggedIn, 0);
    EXPECT_STREQ(s.m_Cipher.m_SendKey, "MOLTRAVE");
    EXPECT_EQ(s.Count("reconnect-item", "off"), 1);
    EXPECT_EQ(s.Count("timer", "2000"), 1);
    PumpFor(100);
    EXPECT_EQ(CountLogged("\"dir\": \"in\""), 2u + 7u);
    std::vector<GatewayLogEntry> pings;
    for (const GatewayLogEntry &e : Log("in"))
        if (e.code == 127)
            pings.push_back(e);
    ASSERT_EQ(pings.size(), 7u);
    // Sequence numbers count on, the time is the clock's, the counters start at 0 and 5.
    const Bytes first = FromHex(pings[0].body), last = FromHex(pings[6].body);
    ASSERT_EQ(first.size(), 40u);
    BodyBuilder expected(40);
    expected.Big32(20, ReadBig32(&first[20])).Big32(28, 1'800'000'000 + 2).Big16(38, 5);
    EXPECT_EQ(pings[0].body, expected.Hex());
    EXPECT_EQ(ReadBig32(&last[20]), ReadBig32(&first[20]) + 6);

    // The reconnection timer's handler logs in again on a new connection; the
    // login answer ends the reconnection.
    ClearTestClock();
    s.Close();
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    EXPECT_EQ(s.m_bReconnecting, 0);
    EXPECT_EQ(s.m_bLoggedIn, 1);
    EXPECT_EQ(s.Count("timer", "stop"), 1);
    EXPECT_EQ(s.Count("reconnect-item", "on"), 1);
    EXPECT_EQ(s.m_MissingAnswers, 0);
}

TEST_F(SessionTest, AnyPacketResetsTheMissingAnswers)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    s.m_PingTimeOut = 2500;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    SetTestClock(1'800'000'000'000, 10'000'000);
    s.SendPing();
    AdvanceTestClock(2500);
    EXPECT_EQ(s.SendPing(), 1);
    ClearTestClock();
    ASSERT_TRUE(PumpUntil([&] { return s.m_MissingAnswers == 0; })) << "the ping answer";
    // A report between two pings counts as a sign of life too.
    s.m_MissingAnswers = 3;
    const std::string answer = Command("{\"cmd\": \"gateway\", \"state\": \"O\"}");
    ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
    ASSERT_TRUE(PumpUntil([&] { return s.m_MissingAnswers == 0; }));
    EXPECT_TRUE(Shows(s, "当前网关状态：开始"));
}

TEST_F(SessionTest, ClosedConnectionIsReportedUnlessTheGatewaySaidWhy)
{
    struct Case {
        const char *command;
        bool box;
    };
    for (const Case &c : {Case{"{\"cmd\": \"close\"}", true},
                          Case{"{\"cmd\": \"kick\", \"text\": \"bye\"}", false}}) {
        SCOPED_TRACE(c.command);
        ASSERT_TRUE(StartGateway());
        RecordMessageBoxes(true);
        LiveSession s;
        ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
        const std::string answer = Command(c.command);
        ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
        if (!c.box) {
            ASSERT_TRUE(PumpUntil([&] { return s.m_bDisconnectedByServer == 1; }));
            Command("{\"cmd\": \"close\"}");
        }
        ASSERT_TRUE(PumpUntil([&] { return Shows(s, "网络连接中断"); }));
        EXPECT_EQ(s.m_bLoggedIn, 0);
        EXPECT_EQ(s.m_bReconnecting, 1);
        EXPECT_EQ(s.Count("timer", "2000"), 1);
        const std::vector<std::string> boxes = BoxTexts();
        EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "网络连接中断"), c.box ? 1 : 0);
        if (!c.box) {
            EXPECT_EQ(boxes, std::vector<std::string>{"bye"});
        }
        gateway.Stop();
    }
}

} // namespace
