// The gateway session over loopback: against the simulated trade gateway, directly
// and through microsocks, and against a scripted peer for exact byte sequences.
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "LoopbackPeers.h"
#include "SessionRecorder.h"
#include "consign/session/Des.h"
#include "consign/session/TradeSession.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Time.h"
#include "tests/support/GbkLiteral.h"

using namespace win;

namespace {

using Bytes = std::vector<BYTE>;

std::string Hex(const BYTE *p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// A session that records what reaches the dispatcher, without dispatching, and
// the status line.
class RecordingSession : public CTradeSession, public RecordingListener {
public:
    RecordingSession() { m_pListener = this; }
    int OnPacket(GatewayPacket &packet) override
    {
        handled.push_back(packet.header.code);
        return 1;
    }
    void OnDisconnected() override { ++disconnects; }
    std::vector<int> handled;
    int disconnects = 0;
};

Bytes PingBody(uint32_t sequence)
{
    Bytes body(40, 0);
    body[20] = static_cast<BYTE>(sequence >> 24);
    body[21] = static_cast<BYTE>(sequence >> 16);
    body[22] = static_cast<BYTE>(sequence >> 8);
    body[23] = static_cast<BYTE>(sequence);
    body[39] = 5;
    return body;
}

class TradeSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        ASSERT_EQ(DesInit(0), 0);
        ASSERT_TRUE(AfxSocketInit());
        RecordMessageBoxes(true);
    }
    void TearDown() override
    {
        RecordMessageBoxes(false);
        ClearTestClock();
    }

    bool StartGateway(std::vector<std::string> options)
    {
        return gateway.StartGateway(options, "gateway.log");
    }

    // Connects the session to the gateway, through the proxy when one runs.
    bool ConnectSession(RecordingSession &session, const char *user = nullptr,
                        const char *password = nullptr)
    {
        if (!session.Create())
            return false;
        session.m_TargetAddress = "127.0.0.1";
        session.m_TargetPort = static_cast<UINT>(gateway.Port());
        session.m_ProxyInUse = socks.Port() != 0;
        const UINT port = static_cast<UINT>(session.m_ProxyInUse ? socks.Port() : gateway.Port());
        return session.Connect("127.0.0.1", port, user, password);
    }

    std::vector<GatewayLogEntry> Received()
    {
        std::vector<GatewayLogEntry> in;
        for (const GatewayLogEntry &e : ReadGatewayLog("gateway.log"))
            if (e.direction == "in")
                in.push_back(e);
        return in;
    }

    ChildPeer gateway;
    ChildPeer socks;
};

// The hello with enciphering on and off, directly and through the proxy, then
// packets of every size in both directions; the gateway's log shows each of our
// packets checked and deciphered along our key chain.
TEST_F(TradeSessionTest, HelloAndKeyChainsInBothDirections)
{
    struct Case {
        const char *encipher;
        const char *proxyUser; // null: direct; "": proxy without authentication
    };
    const Case cases[] = {{"off", nullptr}, {"on", nullptr}, {"on", ""}, {"off", "user"}, {"on", "user"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.encipher) + " proxy " + (c.proxyUser ? c.proxyUser : "none"));
        ASSERT_TRUE(StartGateway({"--encipher", c.encipher}));
        if (c.proxyUser) {
            ASSERT_TRUE(socks.StartSocks(c.proxyUser, "pass"));
        }
        RecordingSession session;
        ASSERT_TRUE(ConnectSession(session, c.proxyUser && *c.proxyUser ? c.proxyUser : nullptr,
                                   c.proxyUser && *c.proxyUser ? "pass" : nullptr));
        const bool on = std::string(c.encipher) == "on";
        EXPECT_EQ(session.m_Cipher.m_Encipher, on ? 1 : 0);

        std::mt19937 random(7);
        Bytes largest(GATEWAY_SEND_BUFFER - GATEWAY_HEADER_SIZE);
        for (BYTE &b : largest)
            b = static_cast<BYTE>(random());
        const Bytes thirteen(largest.begin(), largest.begin() + 13);
        struct Sent {
            BYTE code;
            Bytes body;
            int answer;
        };
        const Sent sent[] = {{127, PingBody(1), 255}, {99, largest, 227}, {98, Bytes(), 226},
                             {97, thirteen, 225},     {68, thirteen, 196}, {127, PingBody(2), 255}};
        std::vector<std::string> sendKeys = {Hex(reinterpret_cast<const BYTE *>("MOLTRAVE"), 8)};
        for (const Sent &s : sent) {
            ASSERT_TRUE(session.SendRequest(s.code, s.body.data(), static_cast<int>(s.body.size())));
            sendKeys.push_back(Hex(reinterpret_cast<const BYTE *>(session.m_Cipher.m_SendKey), 8));
            ASSERT_TRUE(session.WaitForAnswer(static_cast<BYTE>(s.answer), false)) << int(s.code);
            EXPECT_EQ(session.m_InHeader.code, s.answer);
        }
        // The last ping came back with its sequence number and counters moved.
        EXPECT_EQ(session.m_ReceivedBody[23], 2);
        EXPECT_EQ(session.m_ReceivedBody[37], 1);
        EXPECT_EQ(session.m_ReceivedBody[39], 4);

        const std::vector<GatewayLogEntry> in = Received();
        ASSERT_EQ(in.size(), 1 + std::size(sent));
        EXPECT_EQ(in[0].code, 0);
        EXPECT_EQ(in[0].body, Hex(CTradeSession::HELLO_BODY, 17));
        for (size_t i = 0; i < std::size(sent); ++i) {
            const GatewayLogEntry &e = in[i + 1];
            SCOPED_TRACE(e.code);
            EXPECT_TRUE(e.checksumOk);
            EXPECT_EQ(e.body, Hex(sent[i].body.data(), sent[i].body.size()));
            EXPECT_EQ(e.bodyLength, static_cast<int>(sent[i].body.size()));
            if (on) {
                EXPECT_EQ(e.keyBefore, sendKeys[i]);
                EXPECT_EQ(e.keyAfter, sendKeys[i + 1]);
                EXPECT_NE(e.keyAfter, e.keyBefore) << "every packet changes the key";
            }
            // Only whole blocks of non-exempt codes travel enciphered.
            const std::string tail = e.body.substr(e.body.size() / 16 * 16);
            EXPECT_EQ(e.wire.substr(e.wire.size() / 16 * 16), tail);
            const bool plain = !on || e.code == 68 || e.body.size() < 16;
            EXPECT_EQ(e.wire == e.body, plain);
        }
        EXPECT_TRUE(session.handled.size() >= std::size(sent));
        session.Close();
        socks.Stop();
        gateway.Stop();
    }
}

TEST_F(TradeSessionTest, ProxyRefusals)
{
    ASSERT_TRUE(StartGateway({}));
    ASSERT_TRUE(socks.StartSocks("user", "pass"));
    {
        RecordingSession session;
        EXPECT_FALSE(ConnectSession(session, "user", "wrong"));
    }
    {
        RecordingSession session;
        EXPECT_FALSE(ConnectSession(session)) << "the proxy wants a user the session does not have";
    }
    {
        // The proxy cannot reach the target: its reply says so and the session stops there.
        RecordingSession session;
        ASSERT_TRUE(session.Create());
        session.m_TargetAddress = "127.0.0.1";
        session.m_TargetPort = 1;
        session.m_ProxyInUse = 1;
        EXPECT_FALSE(session.Connect("127.0.0.1", static_cast<UINT>(socks.Port()), "user", "pass"));
    }
    EXPECT_EQ(Received().size(), 0u) << "nothing reached the gateway";
}

TEST_F(TradeSessionTest, RefusedHelloShowsTheGatewaysText)
{
    // The gateway takes its arguments as UTF-8 and sends the text as GBK.
    ASSERT_TRUE(StartGateway({"--refuse-hello", reinterpret_cast<const char *>(u8"网关维护中")}));
    RecordingSession session;
    EXPECT_FALSE(ConnectSession(session));
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, GbkOf(u8"网关维护中"));
}

TEST_F(TradeSessionTest, PacketBeforeTheHelloAnswerIsCheckedNotHandled)
{
    ASSERT_TRUE(StartGateway({"--before-hello"}));
    RecordingSession session;
    ASSERT_TRUE(ConnectSession(session));
    EXPECT_TRUE(session.handled.empty());
    EXPECT_EQ(session.m_InHeader.code, 128);
    const std::vector<GatewayLogEntry> log = ReadGatewayLog("gateway.log");
    std::vector<int> out;
    for (const GatewayLogEntry &e : log)
        if (e.direction == "out")
            out.push_back(e.code);
    ASSERT_GE(out.size(), 2u);
    EXPECT_NE(out[0], 128) << "the gateway did send another packet first";
}

TEST_F(TradeSessionTest, BadChecksumStillAdvancesTheReceiveKey)
{
    ASSERT_TRUE(StartGateway({"--encipher", "on", "--bad-checksum", "2"}));
    RecordingSession session;
    ASSERT_TRUE(ConnectSession(session));
    ASSERT_EQ(session.m_Cipher.m_Encipher, 1);
    const Bytes first = PingBody(1);
    ASSERT_TRUE(session.SendRequest(127, first.data(), 40));
    EXPECT_FALSE(session.ReadPacket(true));
    EXPECT_EQ(session.status.back(), "数据包校验错");
    EXPECT_STRNE(session.m_Cipher.m_ReceiveKey, "MOLTRAVE");
    const Bytes second = PingBody(2);
    ASSERT_TRUE(session.SendRequest(127, second.data(), 40));
    ASSERT_TRUE(session.WaitForAnswer(255, false));
    EXPECT_EQ(session.m_ReceivedBody[23], 2) << "deciphered with the key the bad packet announced";
}

TEST_F(TradeSessionTest, PeerCloseRunsTheCloseHandling)
{
    ASSERT_TRUE(StartGateway({"--encipher", "on", "--close-after", "1"}));
    RecordingSession session;
    ASSERT_TRUE(ConnectSession(session));
    const Bytes ping = PingBody(1);
    session.SendRequest(127, ping.data(), 40);
    EXPECT_FALSE(session.WaitForAnswer(255, false));
    EXPECT_EQ(session.disconnects, 1);
    EXPECT_STREQ(session.m_Cipher.m_SendKey, "MOLTRAVE");
    EXPECT_EQ(session.m_Cipher.m_Encipher, 0);
}

TEST_F(TradeSessionTest, SplitPacketsAreJoinedAndReadAsynchronously)
{
    ASSERT_TRUE(StartGateway({"--encipher", "on", "--split", "5"}));
    RecordingSession session;
    ASSERT_TRUE(ConnectSession(session));
    const Bytes ping = PingBody(9);
    ASSERT_TRUE(session.SendRequest(127, ping.data(), 40));
    ASSERT_TRUE(PumpUntil([&] { return !session.handled.empty(); }));
    EXPECT_EQ(session.handled[0], 255);
    EXPECT_EQ(session.m_ReceivedBody[23], 9);
}

TEST_F(TradeSessionTest, BadLengthsCloseTheConnection)
{
    for (const char *option : {"--bad-text-length", "--bad-body-length"}) {
        SCOPED_TRACE(option);
        ASSERT_TRUE(StartGateway({option, "2"}));
        RecordingSession session;
        ASSERT_TRUE(ConnectSession(session));
        const Bytes ping = PingBody(1);
        ASSERT_TRUE(session.SendRequest(127, ping.data(), 40));
        EXPECT_FALSE(session.WaitForAnswer(255, false));
        EXPECT_STREQ(session.m_szMessage, "数据包格式错误");
        EXPECT_NE(std::find(session.status.begin(), session.status.end(), "数据包格式错误"),
                  session.status.end());
        EXPECT_EQ(session.status.back(), "网络连接中断") << "the reconnection takes over";
        EXPECT_EQ(session.m_hSocket, INVALID_SOCKET) << "nothing more is read from this stream";
        EXPECT_EQ(session.disconnects, 1);
        EXPECT_TRUE(session.handled.empty());
        EXPECT_STREQ(session.m_Cipher.m_ReceiveKey, "MOLTRAVE");
        gateway.Stop();
    }
}

TEST_F(TradeSessionTest, StalledPacketTimesOut)
{
    ASSERT_TRUE(StartGateway({"--stall", "2"}));
    RecordingSession session;
    ASSERT_TRUE(ConnectSession(session));
    // Waits follow the test clock, which each pause of the wait moves on.
    SetTestClock(1'800'000'000'000, 1'000'000);
    const Bytes ping = PingBody(1);
    ASSERT_TRUE(session.SendRequest(127, ping.data(), 40));
    const DWORD before = GetTickCount();
    EXPECT_FALSE(session.WaitForAnswer(255, false));
    EXPECT_GE(GetTickCount() - before, CGatewaySocket::IO_TIMEOUT_MS);
    EXPECT_STREQ(session.m_szMessage, "网络数据接收超时");
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, "网络数据接收超时");
}

// Exact byte sequences from a scripted peer: the largest text and body, one more
// byte of each, and a header that arrives in pieces.
Bytes Packet(BYTE code, int textLength, int bodyLength, const Bytes &body = Bytes())
{
    Bytes p(GATEWAY_HEADER_SIZE, 0);
    p[0] = '*';
    p[1] = code;
    p[2] = 1;
    p[4] = static_cast<BYTE>(textLength >> 8);
    p[5] = static_cast<BYTE>(textLength);
    p[6] = static_cast<BYTE>(bodyLength >> 8);
    p[7] = static_cast<BYTE>(bodyLength);
    const WORD swapped = Crc16(body.data(), static_cast<int>(body.size()));
    p[8] = static_cast<BYTE>(swapped >> 8);
    p[9] = static_cast<BYTE>(swapped);
    p.insert(p.end(), static_cast<size_t>(textLength), 'T');
    p.insert(p.end(), body.begin(), body.end());
    return p;
}

void AnswerHello(int fd)
{
    Bytes hello(65);
    ASSERT_TRUE(ScriptedPeer::ReadExact(fd, hello.data(), 65));
    const Bytes answer = Packet(128, 0, 17, Bytes(17, 0));
    ScriptedPeer::WriteAll(fd, answer.data(), static_cast<int>(answer.size()));
}

TEST_F(TradeSessionTest, LengthLimitsAndSplitHeaderFromAScriptedPeer)
{
    const Bytes largest(GATEWAY_MAX_BODY, 0x3C);
    struct Case {
        int textLength;
        int bodyLength;
        bool accepted;
    };
    const Case cases[] = {{0, 0, true},   {256, 0, true},  {0, 5120, true},
                          {256, 5120, true}, {257, 0, false}, {0, 5121, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.textLength) + "/" + std::to_string(c.bodyLength));
        const Bytes body(largest.begin(), largest.begin() + std::min(c.bodyLength, 5120));
        ScriptedPeer peer([&](int fd) {
            AnswerHello(fd);
            Bytes p = Packet(130, c.textLength, c.bodyLength, body);
            if (!c.accepted)
                p.insert(p.end(), 300, 'X');
            // The header in three pieces, with pauses between.
            ScriptedPeer::WriteAll(fd, p.data(), 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ScriptedPeer::WriteAll(fd, p.data() + 5, 30);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ScriptedPeer::WriteAll(fd, p.data() + 35, static_cast<int>(p.size()) - 35);
            Bytes rest(1);
            ScriptedPeer::ReadExact(fd, rest.data(), 1); // until the session closes
        });
        RecordingSession session;
        ASSERT_TRUE(session.Create());
        ASSERT_TRUE(session.Connect("127.0.0.1", static_cast<UINT>(peer.Port()), nullptr, nullptr));
        EXPECT_EQ(session.m_Cipher.m_Encipher, 0);
        EXPECT_EQ(session.ReadPacket(true), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(session.m_InHeader.code, 130);
            EXPECT_EQ(std::strlen(session.m_szMessage), static_cast<size_t>(c.textLength));
            EXPECT_EQ(Bytes(session.m_ReceivedBody, session.m_ReceivedBody + c.bodyLength), body);
        } else {
            EXPECT_STREQ(session.m_szMessage, "数据包格式错误");
            EXPECT_EQ(session.m_hSocket, INVALID_SOCKET);
        }
        session.Close();
    }
}

TEST_F(TradeSessionTest, ChecksumMismatchIsNotHandled)
{
    ScriptedPeer peer([&](int fd) {
        AnswerHello(fd);
        Bytes p = Packet(130, 0, 8, Bytes(8, 1));
        p[8] ^= 0xFF;
        ScriptedPeer::WriteAll(fd, p.data(), static_cast<int>(p.size()));
        const Bytes good = Packet(131, 0, 8, Bytes(8, 2));
        ScriptedPeer::WriteAll(fd, good.data(), static_cast<int>(good.size()));
        Bytes rest(1);
        ScriptedPeer::ReadExact(fd, rest.data(), 1);
    });
    RecordingSession session;
    ASSERT_TRUE(session.Create());
    ASSERT_TRUE(session.Connect("127.0.0.1", static_cast<UINT>(peer.Port()), nullptr, nullptr));
    EXPECT_FALSE(session.ReadPacket(true));
    EXPECT_EQ(session.status.back(), "数据包校验错");
    ASSERT_TRUE(session.ReadPacket(true)) << "the stream stays in step";
    EXPECT_EQ(session.m_InHeader.code, 131);
    session.Close();
}

// Which packets end a wait: the first of the awaited code unless the wait needs
// the last packet or the code's answers come in several packets.
TEST_F(TradeSessionTest, WaitForAnswerRules)
{
    struct Case {
        BYTE code;
        bool needLast;
        std::vector<BYTE> flags; // of the packets of `code` the peer sends
        bool result;
        int handled;             // packets of `code` read, and handled, until the wait ended
    };
    const Case cases[] = {
        {185, false, {0, 1}, false, 1}, // the first 185 ends the wait, without bit 0
        {185, false, {1}, true, 1},
        {185, true, {2, 2, 3}, true, 3},
        {134, false, {2, 0, 3}, true, 3},
        {210, false, {0, 1}, true, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.code));
        ScriptedPeer peer([&](int fd) {
            AnswerHello(fd);
            const Bytes other = Packet(139, 0, 2, Bytes{0, 1});
            ScriptedPeer::WriteAll(fd, other.data(), static_cast<int>(other.size()));
            for (BYTE f : c.flags) {
                Bytes p = Packet(c.code, 0, 4, Bytes(4, f));
                p[2] = f;
                ScriptedPeer::WriteAll(fd, p.data(), static_cast<int>(p.size()));
            }
            Bytes rest(1);
            ScriptedPeer::ReadExact(fd, rest.data(), 1);
        });
        RecordingSession session;
        ASSERT_TRUE(session.Create());
        ASSERT_TRUE(session.Connect("127.0.0.1", static_cast<UINT>(peer.Port()), nullptr, nullptr));
        EXPECT_EQ(session.WaitForAnswer(c.code, c.needLast), c.result);
        ASSERT_FALSE(session.handled.empty());
        EXPECT_EQ(session.handled[0], 139) << "other codes are handled while waiting";
        EXPECT_EQ(static_cast<int>(session.handled.size()) - 1, c.handled);
        session.Close();
    }
}

} // namespace
