// The chat connection against the simulated chat server over loopback: logins,
// users coming and going, messages and notices plain and compressed, framing
// faults, the send backlog, the keepalive and a reset peer.
#include <zlib.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ChatServerPeer.h"
#include "ChatTestSupport.h"
#include "tests/support/GbkLiteral.h"

using namespace chattest;

namespace {

std::string Hex(const Bytes &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// A text field of a control command: the GBK bytes as they are (the literals
// of this program are GBK, the control connection reads JSON as UTF-8).
std::string TextHex(const std::string &text)
{
    return R"("text_hex":")" + Hex(Bytes(text.begin(), text.end())) + "\"";
}

Bytes Compressed(const std::string &text)
{
    uLongf size = compressBound(text.size());
    Bytes out(size);
    compress2(out.data(), &size, reinterpret_cast<const Bytef *>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

class ChatLoopbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        CurrentPartner = nullptr;
        UnreadUserCount = 0;
    }
    void TearDown() override
    {
        socket.OnClose(0);
        EXPECT_EQ(ChatUser::LiveCount(), 0) << "a user outlived the connection";
        EXPECT_EQ(UnreadUserCount, 0);
    }

    // Connects and logs in; true once the server's answer to the login is on screen.
    bool Login(const char *name, const char *password, const std::vector<std::string> &options = {})
    {
        if (!server.Start(options))
            return false;
        char n[64] = {}, p[64] = {};
        std::snprintf(n, sizeof n, "%s", name);
        std::snprintf(p, sizeof p, "%s", password);
        socket.SetLogin(n, p);
        if (!socket.ConnectServer("127.0.0.1", static_cast<win::UINT>(server.Port())))
            return false;
        return PumpUntil([&] { return !socket.IsConnecting(); }) && socket.IsConnected();
    }
    bool WaitForUsers(size_t count)
    {
        return PumpUntil([&] { return windows.online.size() == count; });
    }

    ChatServerPeer server;
    WindowsDouble windows;
    CChatSocket socket{windows};
};

TEST_F(ChatLoopbackTest, EachLoginReplyWritesItsLine)
{
    struct Case {
        const char *name, *password;
        const char *line;
    } cases[] = {
        {"user01", "123456", "您已成功登录，服务器分配的编号为 10001 。"},
        {"user01", "WRONG", "登录失败，用户名或密码错误。请注意用户名和密码的大小写。"},
        {"outdated", "123456", "登录失败，在线服务软件已更新，请使用新版本登录。"},
        {"crowded", "123456", "登录失败，使用此用户名的人数已达到上限。"},
        {"expired", "123456", "登录失败，您的用户名已过期。"},
        {"stopped", "123456", "您的帐户已被终止。"},
        {"refused", "123456", "登录失败，服务器拒绝登录。"},
    };
    for (const Case &c : cases) {
        ChatServerPeer peer;
        ASSERT_TRUE(peer.Start());
        WindowsDouble w;
        CChatSocket s(w);
        char n[64] = {}, p[64] = {};
        std::snprintf(n, sizeof n, "%s", c.name);
        std::snprintf(p, sizeof p, "%s", c.password);
        s.SetLogin(n, p);
        ASSERT_TRUE(s.ConnectServer("127.0.0.1", static_cast<win::UINT>(peer.Port())));
        EXPECT_EQ(w.netStatus.front(), ChatNetConnecting);
        ASSERT_TRUE(PumpUntil([&] { return w.Saw(c.line); })) << c.line;
        EXPECT_TRUE(w.Saw("成功连接至服务器。"));
        const std::string login = peer.Command(R"({"cmd":"wait","for":"record","kind":"login","timeout":1})");
        EXPECT_EQ(JsonField(login, "version"), "4");
        EXPECT_EQ(JsonField(login, "role"), "2");
        EXPECT_EQ(JsonField(login, "password"), c.password);
        PumpFor(50);
        EXPECT_TRUE(s.IsConnected()) << "a refused login keeps the connection: " << c.line;
        s.OnClose(0);
        EXPECT_EQ(w.netStatus.back(), ChatNetDisconnected);
    }
}

TEST_F(ChatLoopbackTest, AnOldServerIsLeftAtOnce)
{
    ASSERT_TRUE(Login("user01", "123456", {"--server-version", "3"}));
    ASSERT_TRUE(PumpUntil([&] { return windows.Saw("登录失败，服务器软件版本太低。"); }));
    EXPECT_FALSE(socket.IsConnected());
    ASSERT_GE(windows.appended.size(), 2u);
    EXPECT_NE(windows.appended[windows.appended.size() - 2].find("网络已断开。"), std::string::npos);
}

TEST_F(ChatLoopbackTest, UsersComeAndGoAndNoneOutlivesTheConnection)
{
    ASSERT_TRUE(Login("user01", "123456"));
    ASSERT_TRUE(WaitForUsers(3));
    EXPECT_EQ(windows.netStatus.back(), ChatNetListsChanged);

    server.Command(R"({"cmd":"login","user":"expert02"})");
    ASSERT_TRUE(WaitForUsers(4));

    // kefu01 writes, becomes the partner, then leaves.
    server.Command(R"({"cmd":"send","from":"kefu01","to":"user01",)" + TextHex("您好") + "}");
    ASSERT_TRUE(PumpUntil([&] { return windows.recent.size() == 1; }));
    windows.RunPostedSelection();
    ChatUser *kefu = CurrentPartner;
    ASSERT_NE(kefu, nullptr);
    EXPECT_EQ(kefu->id, 101u);
    server.Command(R"({"cmd":"logout","user":"kefu01"})");
    server.Command(R"({"cmd":"logout","user":"expert02"})");
    ASSERT_TRUE(WaitForUsers(2));
    // The line's own words in the program's literal, the name as the server sent it.
    EXPECT_TRUE(windows.Saw("用户 " + GbkOf(u8"技术支持小王") + " 已下线。"));
    EXPECT_EQ(kefu->status & 3u, 2u);
    EXPECT_EQ(windows.recent[0], kefu) << "the recent list keeps him";

    // The server ends the connection: both lists are emptied and every user freed.
    server.Command(R"({"cmd":"close","to":"user01"})");
    ASSERT_TRUE(PumpUntil([&] { return !socket.IsConnected(); }));
    EXPECT_TRUE(windows.Saw("网络已断开。"));
    EXPECT_TRUE(windows.online.empty() && windows.recent.empty());
    EXPECT_EQ(ChatUser::LiveCount(), 0);
    EXPECT_EQ(CurrentPartner, nullptr);
    EXPECT_EQ(windows.netStatus.back(), ChatNetDisconnected);
}

TEST_F(ChatLoopbackTest, MessagesAndNoticesPlainAndCompressed)
{
    ASSERT_TRUE(Login("user01", "123456"));
    ASSERT_TRUE(WaitForUsers(3));
    server.Command(R"({"cmd":"send","from":"kefu01","to":"user01",)" + TextHex("第一句") + "}");
    ASSERT_TRUE(PumpUntil([&] { return windows.recent.size() == 1; }));
    windows.RunPostedSelection();

    // From the server: a long text goes compressed and arrives whole.
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "期货行情分析 ";
    server.Command(R"({"cmd":"send","from":"kefu01","to":"user01",)" + TextHex(longText) + "}");
    ASSERT_TRUE(PumpUntil([&] { return windows.appended.back() == longText; }));

    // Compressed payloads: exactly 4096 bytes expand, 4097 do not.
    const std::string full(4096, 'A');
    server.Command(R"({"cmd":"send","from":"kefu01","to":"user01","flag":1,"payload_hex":")" + Hex(Compressed(full)) + "\"}");
    ASSERT_TRUE(PumpUntil([&] { return windows.appended.back() == full; }));
    server.Command(R"({"cmd":"send","from":"kefu01","to":"user01","flag":1,"payload_hex":")" +
                   Hex(Compressed(std::string(4097, 'B'))) + "\"}");
    server.Command(R"({"cmd":"notice",)" + TextHex("系统维护") + "}");
    ASSERT_TRUE(PumpUntil([&] { return windows.appended.back() == "系统维护"; }));
    EXPECT_FALSE(windows.Saw("BBBB")) << "a text beyond 4096 bytes is dropped";
    EXPECT_NE(windows.appended[windows.appended.size() - 2].find("系统通知"), std::string::npos);
    server.Command(R"({"cmd":"notice","compress":true,)" + TextHex(longText) + "}");
    ASSERT_TRUE(PumpUntil([&] { return windows.appended.back() == longText; }));

    // To the server: 255 bytes plain, 300 repeated bytes compressed; both read back.
    uint8_t record[kChatMaxRecord];
    const std::string plain(255, 'p'), packed(300, 'c');
    ASSERT_EQ(BuildChatMessage(101, plain.data(), plain.size(), record), 8 + plain.size());
    EXPECT_EQ(socket.SendRecord(record, static_cast<int>(8 + plain.size())), static_cast<int>(8 + plain.size()));
    const size_t length = BuildChatMessage(101, packed.data(), packed.size(), record);
    EXPECT_EQ(record[3], 1);
    EXPECT_LT(length, 8 + packed.size());
    EXPECT_EQ(socket.SendRecord(record, static_cast<int>(length)), static_cast<int>(length));
    ASSERT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","user":"user01","count":2})"));
    const std::string second =
        server.Command(R"({"cmd":"wait","for":"record","kind":"message","user":"user01","count":2,"timeout":0})");
    EXPECT_EQ(JsonField(second, "text"), packed);
    EXPECT_EQ(JsonField(second, "flag"), "1");
}

TEST_F(ChatLoopbackTest, FramingFaultsOfTheServer)
{
    struct Case {
        std::vector<std::string> options;
        bool stays;
    } cases[] = {
        {{"--split", "1", "--split-delay", "1"}, true},
        {{"--split", "5", "--split-delay", "0"}, true},
        {{"--join", "100"}, true},
        {{"--length", "0"}, false},
        {{"--length", "1"}, false},
        {{"--length", "5000"}, false},
    };
    for (const Case &c : cases) {
        ChatServerPeer peer;
        ASSERT_TRUE(peer.Start(c.options));
        WindowsDouble w;
        CChatSocket s(w);
        const char name[64] = "user01", password[64] = "123456";
        s.SetLogin(name, password);
        ASSERT_TRUE(s.ConnectServer("127.0.0.1", static_cast<win::UINT>(peer.Port())));
        if (c.stays) {
            EXPECT_TRUE(PumpUntil([&] { return w.online.size() == 3; })) << c.options[0];
            EXPECT_TRUE(w.Saw("您已成功登录")) << c.options[0];
        } else {
            EXPECT_TRUE(PumpUntil([&] { return w.Saw("网络已断开。"); })) << c.options[1];
            EXPECT_TRUE(w.online.empty());
        }
        EXPECT_EQ(s.IsConnected(), c.stays);
        s.OnClose(0);
    }
}

TEST_F(ChatLoopbackTest, TheBacklogHoldsWhatTheServerDoesNotReadAndSendsItInOrder)
{
    ASSERT_TRUE(Login("user01", "123456", {"--noread", "--rcvbuf", "4096"}));
    std::vector<uint8_t> record(kChatMaxRecord);
    int sent = 0;
    uint32_t seed = 1;
    auto next = [&] {
        std::string text = "message " + std::to_string(sent) + " ";
        while (text.size() < 3900) {
            seed = seed * 1103515245u + 12345u;
            text += static_cast<char>('a' + (seed >> 16) % 26);
        }
        const size_t length = BuildChatMessage(101, text.data(), text.size(), record.data());
        return socket.SendRecord(record.data(), static_cast<int>(length));
    };
    while (socket.GetBacklogSize() == 0 && sent < 100000) {
        ASSERT_GT(next(), 0);
        ++sent;
    }
    ASSERT_GT(socket.GetBacklogSize(), 0u) << "the socket never filled";
    int queued = 0;
    for (;;) {
        const size_t before = socket.GetBacklogSize();
        const int result = next();
        if (result == 0) {
            EXPECT_EQ(socket.GetBacklogSize(), before) << "a refused record leaves the backlog as it was";
            break;
        }
        ASSERT_GT(result, 0);
        ++sent;
        ++queued;
        ASSERT_LE(socket.GetBacklogSize(), CChatSocket::kBacklogSize);
    }
    EXPECT_TRUE(windows.Saw("网络速度慢，请稍等片刻再发言。"));
    EXPECT_GT(queued, 0);

    // The connection never logged in as far as the server knows: "all" reaches it.
    server.Command(R"({"cmd":"fault","to":"all","noread":false})");
    ASSERT_TRUE(PumpUntil([&] { return socket.GetBacklogSize() == 0; }, 10000));
    const std::string count = std::to_string(sent);
    ASSERT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","user":"user01","count":)" + count + "}", 10000));
    const std::string last = server.Command(
        R"({"cmd":"wait","for":"record","kind":"message","user":"user01","count":)" + count + R"(,"timeout":0})");
    EXPECT_EQ(JsonField(last, "text").substr(0, 8 + count.size()), "message " + std::to_string(sent - 1))
        << "every record arrived, the last one last";
    EXPECT_TRUE(socket.IsConnected());
}

TEST_F(ChatLoopbackTest, KeepAliveAnsweredOrNot)
{
    ASSERT_TRUE(Login("user01", "123456"));
    ASSERT_TRUE(WaitForUsers(3));
    for (int period = 0; period < 3; ++period) {
        socket.SendKeepAlive();
        ASSERT_TRUE(PumpUntil([&] { return socket.GetKeepAliveCount() == 0; })) << "the server answers";
    }
    EXPECT_TRUE(socket.IsConnected());

    server.Command(R"({"cmd":"fault","to":"*","keepalive_reply":false})");
    socket.SendKeepAlive();
    PumpFor(100);
    EXPECT_EQ(socket.GetKeepAliveCount(), 1);
    socket.SendKeepAlive();
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(windows.Saw("网络已断开。"));
}

TEST_F(ChatLoopbackTest, AResetPeerFailsSendsWithoutASignal)
{
    ASSERT_TRUE(Login("user01", "123456"));
    ASSERT_TRUE(WaitForUsers(3));
    server.Command(R"({"cmd":"close","to":"user01","reset":true})");
    // Sending into the reset connection reports the error; the process lives on.
    const uint8_t keepAlive[4] = {4, 0, 0x1F, 0};
    ASSERT_TRUE(PumpUntil([&] { return !socket.IsConnected() || socket.SendRecord(keepAlive, 4) < 0; }));
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(windows.Saw("网络已断开。"));
}

TEST_F(ChatLoopbackTest, AConnectThatCannotStartOrFails)
{
    // The any-address fails at once; a closed port fails through the notification.
    EXPECT_FALSE(socket.ConnectServer("0.0.0.0", 6656));
    EXPECT_FALSE(socket.IsConnecting());
    EXPECT_TRUE(windows.Saw("无法连接服务器。"));
    EXPECT_EQ(windows.netStatus, (std::vector<int>{ChatNetConnecting, ChatNetDisconnected}));

    ASSERT_TRUE(server.Start());
    const int port = server.Port();
    server.Stop();
    windows.appended.clear();
    ASSERT_TRUE(socket.ConnectServer("127.0.0.1", static_cast<win::UINT>(port)));
    ASSERT_TRUE(PumpUntil([&] { return !socket.IsConnecting(); }));
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(windows.Saw("无法连接服务器。"));
    EXPECT_FALSE(windows.Saw("网络已断开。")) << "never connected";
}

} // namespace
