// The chat connection fed with bytes directly: record splitting and bad lengths,
// short and oversized records, every incoming kind, compressed texts and their
// bound, the send backlog, and the release of every user at the end.
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ChatTestSupport.h"
#include "platform/win/MessageBox.h"

using namespace chattest;

namespace {

class ChatRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentPartner = nullptr;
        UnreadUserCount = 0;
        socket.Up();
        ASSERT_TRUE(socket.IsConnected());
        socket.sent.clear();
    }
    void TearDown() override
    {
        socket.OnClose(0);
        EXPECT_EQ(ChatUser::LiveCount(), 0) << "a user outlived the connection";
        EXPECT_EQ(UnreadUserCount, 0);
        EXPECT_EQ(CurrentPartner, nullptr);
    }

    Bytes Staff() { return UsersOnline({{101, "技术支持小王"}, {103, "期货专家张老师"}, {102, "技术支持小李"}}); }

    WindowsDouble windows;
    FedSocket socket{windows};
};

Bytes Compressed(const std::string &text)
{
    uLongf size = compressBound(text.size());
    Bytes out(size);
    compress2(out.data(), &size, reinterpret_cast<const Bytef *>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

TEST_F(ChatRecordsTest, RecordsSplitOrJoinedAreHandledInOrder)
{
    const Bytes stream = Join({LoginReply(0, 4, 10001), Staff(), Record(ChatKindNotice, Text("维护通知")),
                               Record(0x55, Text("unknown kind"))});
    for (size_t piece : {size_t(1), size_t(3), size_t(7), stream.size()}) {
        WindowsDouble w;
        FedSocket s(w);
        s.Up();
        s.Deliver(stream, piece);
        EXPECT_TRUE(s.IsConnected()) << piece;
        ASSERT_EQ(w.online.size(), 3u) << piece;
        EXPECT_EQ(w.online[0]->id, 102u) << "sorted by the GBK bytes of the name";
        EXPECT_EQ(w.online[2]->id, 103u) << "sorted by the GBK bytes of the name";
        EXPECT_TRUE(w.Saw("您已成功登录，服务器分配的编号为 10001 。")) << piece;
        ASSERT_GE(w.appended.size(), 2u);
        EXPECT_EQ(w.appended.back(), "维护通知") << piece;
        EXPECT_EQ(w.netStatus.back(), ChatNetListsChanged);
        s.OnClose(0);
        EXPECT_TRUE(w.online.empty());
    }
}

TEST_F(ChatRecordsTest, LengthsDecideWhatIsKeptAndWhatCloses)
{
    struct Case {
        const char *what;
        Bytes bytes;
        bool stays;
    } cases[] = {
        {"length 0", {0, 0, 0x26, 0}, false},
        {"length 1", {1, 0, 0x26, 0}, false},
        {"incomplete, announcing 5000", {0x88, 0x13, 0x26, 0, 'x'}, false},
        {"incomplete, announcing 4096", {0x00, 0x10, 0x26, 0, 'x'}, true},
        {"records of 2 and 3 bytes are stepped over", Join({{2, 0, 3, 0, 0x26}, Record(0x26, Text("ok"))}), true},
        {"two bytes wait for more", {0, 0}, true},
    };
    for (const Case &c : cases) {
        WindowsDouble w;
        FedSocket s(w);
        s.Up();
        s.Deliver(c.bytes);
        EXPECT_EQ(s.IsConnected(), c.stays) << c.what;
        EXPECT_EQ(w.Saw("网络已断开。"), !c.stays) << c.what;
    }
}

TEST_F(ChatRecordsTest, ShortRecordsAndOverstatedCountsStayInsideTheRecord)
{
    Bytes shortReply = LoginReply(0, 4, 7);
    shortReply.resize(12);
    shortReply[0] = 12;
    Bytes overstated = UsersOnline({{7, "王"}}, 0xFFFFFFFF);
    Bytes offlineOverstated = UsersOffline({{7, 2}});
    offlineOverstated[4] = 0xFF;
    offlineOverstated[5] = 0xFF;
    const Bytes stream = Join({shortReply, Record(ChatKindMessage, {1, 0, 0}), Record(ChatKindUsersOnline, {1, 0}),
                               overstated, Record(ChatKindUsersOffline, {}), offlineOverstated});
    socket.Deliver(stream);
    EXPECT_TRUE(socket.IsConnected());
    EXPECT_FALSE(windows.Saw("您已成功登录"));
    EXPECT_TRUE(windows.online.empty()) << "one user came and went";
    EXPECT_EQ(ChatUser::LiveCount(), 0);
}

TEST_F(ChatRecordsTest, NamesThatFillTheirFieldAreCut)
{
    UserSpec u{9, std::string(64, 'N'), 1, std::string(32, 'I')};
    socket.Deliver(UsersOnline({u}));
    ASSERT_EQ(windows.online.size(), 1u);
    EXPECT_EQ(std::string(windows.online[0]->name), std::string(63, 'N'));
    EXPECT_EQ(std::string(windows.online[0]->info), std::string(31, 'I'));
    EXPECT_EQ(windows.online[0]->status, 1u) << "announced users are online whatever the record says";
}

TEST_F(ChatRecordsTest, EmptyUserListLineOnlyWhenNobodyIsOnline)
{
    socket.Deliver(UsersOnline({}));
    EXPECT_TRUE(windows.Saw("当前没有技术支持或专家在线。"));
    windows.appended.clear();
    socket.Deliver(Join({Staff(), UsersOnline({})}));
    EXPECT_FALSE(windows.Saw("当前没有技术支持或专家在线。"));
}

TEST_F(ChatRecordsTest, MessagesReachThePartnerOrMarkTheSenderUnread)
{
    socket.Deliver(Staff());
    socket.Deliver(Message(999, Text("from nobody")));
    EXPECT_TRUE(windows.recent.empty()) << "a sender who is not online is ignored";

    // No partner: the sender goes to the recent list, is unread, and the list opens on him.
    socket.Deliver(Message(101, Text("您好")));
    ASSERT_EQ(windows.recent.size(), 1u);
    ChatUser *wang = windows.recent[0];
    EXPECT_EQ(wang->references, 2);
    EXPECT_EQ(wang->unread, 1);
    EXPECT_EQ(UnreadUserCount, 1);
    EXPECT_TRUE(windows.recentShown);
    EXPECT_EQ(windows.sounds, 1);
    EXPECT_FALSE(windows.Saw("您好")) << "not the partner: nothing on screen";
    windows.RunPostedSelection();
    EXPECT_EQ(CurrentPartner, wang);
    EXPECT_EQ(UnreadUserCount, 0);

    // The partner's message goes on screen, heading then text.
    socket.Deliver(Message(101, Text("第二句")));
    ASSERT_GE(windows.appended.size(), 2u);
    EXPECT_EQ(windows.appended.back(), "第二句");
    EXPECT_NE(windows.appended[windows.appended.size() - 2].find("] 技术支持小王"), std::string::npos);

    // Another sender moves to the top; the partner, selected, is selected again when he writes.
    windows.notify = false;
    const int sounds = windows.sounds;
    socket.Deliver(Message(102, Text("hi")));
    ASSERT_EQ(windows.recent.size(), 2u);
    EXPECT_EQ(windows.recent[0]->id, 102u);
    EXPECT_EQ(UnreadUserCount, 1);
    EXPECT_EQ(windows.sounds, sounds) << "no sound with notify off";
    socket.Deliver(Message(101, Text("again")));
    EXPECT_EQ(windows.recent[0], wang);
    EXPECT_TRUE(windows.recentSelected[0]);
    EXPECT_EQ(wang->references, 2) << "moving within the list keeps the count";
    EXPECT_EQ(windows.appended.back(), "again");

    // A text with a NUL inside shows and logs what comes before it.
    socket.Deliver(Message(101, Bytes{'a', 'b', 0, 'c'}));
    EXPECT_EQ(windows.appended.back(), "ab");
}

TEST_F(ChatRecordsTest, CompressedTextsExpandUpTo4096Bytes)
{
    socket.Deliver(Staff());
    socket.Deliver(Message(101, Text("x")));
    windows.RunPostedSelection();
    const std::string full(4096, 'A'), over(4097, 'B');
    struct Case {
        const char *what;
        Bytes payload;
        bool shown;
    } cases[] = {
        {"exactly 4096", Compressed(full), true},
        {"4097", Compressed(over), false},
        {"corrupt", Bytes{1, 2, 3, 4, 5}, false},
        {"empty", Bytes{}, false},
    };
    for (const Case &c : cases) {
        windows.appended.clear();
        socket.Deliver(Message(101, c.payload, 1));
        EXPECT_EQ(!windows.appended.empty() && windows.appended.back() == full, c.shown) << c.what;
        windows.appended.clear();
        socket.Deliver(Record(ChatKindNotice, c.payload, 1));
        ASSERT_FALSE(windows.appended.empty()) << c.what;
        EXPECT_NE(windows.appended[0].find("系统通知"), std::string::npos) << "the heading comes first";
        EXPECT_EQ(windows.appended.size(), c.shown ? 2u : 1u) << c.what;
    }
    EXPECT_TRUE(socket.IsConnected());
}

TEST_F(ChatRecordsTest, OfflineUsersLeaveTheOnlineListOnly)
{
    socket.Deliver(Staff());
    socket.Deliver(Message(101, Text("x")));
    windows.RunPostedSelection();
    ChatUser *wang = CurrentPartner;
    ASSERT_NE(wang, nullptr);

    socket.Deliver(UsersOffline({{101, 4}, {555, 2}}));
    EXPECT_EQ(windows.online.size(), 3u) << "only status 2 of a known id counts";

    socket.Deliver(UsersOffline({{101, 2}, {102, 2}}));
    EXPECT_EQ(windows.online.size(), 1u);
    EXPECT_EQ(wang->references, 1) << "still in the recent list";
    EXPECT_EQ(wang->status, 2u);
    EXPECT_TRUE(windows.Saw("用户 技术支持小王 已下线。"));
    EXPECT_EQ(ChatUser::LiveCount(), 2);
}

TEST_F(ChatRecordsTest, LoginRepliesWriteTheirLine)
{
    struct Case {
        uint32_t result, version;
        const char *line;
        bool stays;
    } cases[] = {
        {0, 4, "您已成功登录，服务器分配的编号为 42 。", true},
        {0, 3, "登录失败，服务器软件版本太低。", false},
        {1, 4, "登录失败，在线服务软件已更新，请使用新版本登录。", true},
        {2, 4, "登录失败，用户名或密码错误。请注意用户名和密码的大小写。", true},
        {3, 4, "登录失败，使用此用户名的人数已达到上限。", true},
        {4, 4, "登录失败，您的用户名已过期。", true},
        {5, 4, "您的帐户已被终止。", true},
        {77, 4, "登录失败，服务器拒绝登录。", true},
    };
    for (const Case &c : cases) {
        WindowsDouble w;
        FedSocket s(w);
        s.Up();
        s.Deliver(LoginReply(c.result, c.version, 42));
        EXPECT_EQ(s.IsConnected(), c.stays) << c.line;
        ASSERT_FALSE(w.appended.empty());
        EXPECT_NE(w.appended.back().find(c.line), std::string::npos) << c.line;
        EXPECT_EQ(w.appended.back().substr(0, 3), "\r\n[") << "the line carries its own time";
        if (!c.stays) {
            EXPECT_NE(w.appended[w.appended.size() - 2].find("网络已断开。"), std::string::npos)
                << "the connection closes before the line";
        }
    }
}

TEST_F(ChatRecordsTest, BacklogQueuesInOrderAndRefusesOverflow)
{
    Bytes record(4000, 0);
    record[0] = 4000 & 0xFF;
    record[1] = 4000 >> 8;
    record[2] = ChatKindMessage;
    socket.sendRoom = 1000;
    EXPECT_EQ(socket.SendRecord(record.data(), 4000), 4000);
    EXPECT_EQ(socket.GetBacklogSize(), 3000u) << "the unsent rest waits";
    socket.sendRoom = SIZE_MAX;
    Bytes second(record);
    second[3] = 7;
    EXPECT_EQ(socket.SendRecord(second.data(), 4000), 4000);
    EXPECT_EQ(socket.sent.size(), 1000u) << "queued behind, never ahead";
    EXPECT_EQ(socket.SendRecord(record.data(), 4000), 4000);
    EXPECT_EQ(socket.SendRecord(record.data(), 4000), 4000);
    EXPECT_EQ(socket.GetBacklogSize(), 15000u);
    EXPECT_EQ(socket.SendRecord(record.data(), 4000), 0);
    EXPECT_TRUE(windows.Saw("网络速度慢，请稍等片刻再发言。"));
    EXPECT_EQ(socket.GetBacklogSize(), 15000u);

    socket.sendRoom = 4000;
    socket.OnSend(0);
    EXPECT_EQ(socket.GetBacklogSize(), 11000u);
    socket.sendRoom = SIZE_MAX;
    socket.OnSend(0);
    EXPECT_EQ(socket.GetBacklogSize(), 0u);
    ASSERT_EQ(socket.sent.size(), 16000u);
    EXPECT_EQ(socket.sent[4003], 7) << "the second record follows the first";

    socket.sendError = win::WSAECONNRESET;
    EXPECT_EQ(socket.SendRecord(record.data(), 4000), -1);
    EXPECT_FALSE(socket.IsConnected());
}

TEST_F(ChatRecordsTest, KeepAliveClosesAfterASilentPeriod)
{
    socket.SendKeepAlive();
    EXPECT_EQ(socket.sent, (Bytes{4, 0, 0x1F, 0}));
    socket.Deliver(Record(0x1F, {}));
    socket.SendKeepAlive();
    EXPECT_TRUE(socket.IsConnected()) << "data arrived in between";
    socket.SendKeepAlive();
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(windows.Saw("网络已断开。"));
}

TEST_F(ChatRecordsTest, LogsThatCannotBeMadeAreReportedAfterTheRecords)
{
    const std::string saved = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("TMPDIR", "/nonexistent/for/chat/logs", 1);
    win::RecordMessageBoxes(true);
    socket.Deliver(Staff());
    setenv("TMPDIR", saved.c_str(), 1);
    const auto boxes = win::ShownMessageBoxes();
    win::RecordMessageBoxes(false);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "创建临时文件失败，程序将无法正常运行。  ");
    EXPECT_EQ(boxes[0].caption, "错误");
    EXPECT_EQ(boxes[0].icon, win::MB_ICONERROR);
    ASSERT_EQ(windows.online.size(), 3u) << "the users live on without a log";
    EXPECT_EQ(windows.online[0]->log, win::INVALID_HANDLE_VALUE);
}

// A conversation's log is this user's alone, though it lies in the shared
// temporary folder (its name is gone at once; the open file keeps its mode).
TEST(ChatUserLog, IsReadableByTheUserAlone)
{
    const mode_t oldMask = umask(022);
    ChatUserRecord record{};
    record.id = 7;
    std::strcpy(record.name, "partner");
    ChatUser *user = ChatUser::Create(record);
    umask(oldMask);
    ASSERT_NE(user->log, win::INVALID_HANDLE_VALUE);
    user->WriteLog("hello", 5);
    int logs = 0;
    for (const auto &e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(e.path(), error).string();
        if (error || target.find("/Lmp") == std::string::npos)
            continue;
        struct stat st;
        ASSERT_EQ(stat(e.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << target;
        ++logs;
    }
    EXPECT_EQ(logs, 1);
    user->DropReference();
}

// A notification that arrives while a record is being handled (a box or a
// window pumping messages) waits until the handling is done; the records are
// handled once each, in their order.
TEST_F(ChatRecordsTest, ANotificationDuringHandlingWaitsItsTurn)
{
    struct Nested : WindowsDouble {
        FedSocket *socket = nullptr;
        Bytes more;
        int AddOnlineUser(ChatUser *user) override
        {
            if (!more.empty()) {
                socket->chunks.push_back(more);
                more.clear();
                socket->OnReceive(0);
            }
            return WindowsDouble::AddOnlineUser(user);
        }
    } w;
    FedSocket s(w);
    w.socket = &s;
    s.Up();
    w.more = Join({Record(ChatKindNotice, Text("second")), UsersOnline({{8, "b"}})});
    s.Deliver(Join({UsersOnline({{7, "a"}}), Record(ChatKindNotice, Text("first"))}));
    ASSERT_EQ(w.online.size(), 2u);
    std::vector<std::string> notices;
    for (const std::string &line : w.appended)
        if (line == "first" || line == "second")
            notices.push_back(line);
    EXPECT_EQ(notices, (std::vector<std::string>{"first", "second"}));
    s.OnClose(0);
}

} // namespace
