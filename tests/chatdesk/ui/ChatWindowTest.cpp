// The chat window in this process, linked to a starter window of the test and
// connected to the simulated chat server on loopback, driven through its
// handlers as a user would: the lists, sending, the unread mark, the frame, the
// placement, closing, and the release of every user at a disconnect.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "ChatUiFixture.h"
#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatMainDlg.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "chatdesk/ui/HintWnd.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/KeyState.h"
#include "platform/win/File.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"
#include "platform/win/WindowSurface.h"

using namespace win;
using namespace chatui;
using chattest::PumpFor;
using chattest::PumpUntil;

namespace {

const std::string kKefu01 = "技术支持小王";
const std::string kKefu02 = "技术支持小李";

// `count` double-byte characters spread over the whole GBK table (no
// user-defined ones, none that an edit box would give back in other bytes),
// which zlib cannot make shorter.
std::string Incompressible(int count)
{
    std::string text;
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    while (static_cast<int>(text.size()) < 2 * count) {
        const char c[2] = {static_cast<char>(0x81 + next() % 126), static_cast<char>(0x40 + next() % 191)};
        if (static_cast<unsigned char>(c[1]) == 0x7F)
            continue;
        const std::u16string u = GbkToUtf16(std::string_view(c, 2));
        if (u.size() != 1 || (u[0] >= 0xE000 && u[0] <= 0xF8FF) || u[0] == 0xFFFD ||
            Utf16ToGbk(u) != std::string(c, 2))
            continue;
        text.append(c, 2);
    }
    uLongf room = compressBound(static_cast<uLong>(text.size()));
    std::vector<Bytef> packed(room);
    EXPECT_EQ(compress2(packed.data(), &room, reinterpret_cast<const Bytef *>(text.data()),
                        static_cast<uLong>(text.size()), 9),
              Z_OK);
    EXPECT_GE(room, text.size()); // the premise: it does not shrink
    return text;
}

class ChatWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chatuitest::EnsureUi();
        RecordMessageBoxes(true);
        const RECT work{0, 0, 1600, 1170};
        SetTestWorkArea(&work);
    }
    void TearDown() override
    {
        ClearTestClock();
        SetTestKeyDown(VK_CONTROL, false);
        window.reset();
        server.Stop();
        SetTestWorkArea(nullptr);
        RecordMessageBoxes(false);
    }

    // The installation, the server (unless `withServer` is false), the starter
    // and the window, with the given credentials.
    void Open(const std::string &name = "user01", const std::string &password = "123456", bool withServer = true)
    {
        if (withServer) {
            ASSERT_TRUE(server.Start({"--online", "kefu01,kefu02", "--autoreply", GbkToUtf8("收到")}));
            chatuitest::MakeInstallation("chatwin", server.Port());
        } else {
            chatuitest::MakeInstallation("chatwin", 0);
        }
        starter = std::make_unique<chatuitest::LocalStarter>();
        starter->SetCredentials(name, password);
        window = std::make_unique<CChatMainDlg>(std::to_string(starter->hwnd).c_str());
        ASSERT_TRUE(window->CreateModeless());
        PumpFor(50);
    }
    void OpenConnected()
    {
        Open();
        ASSERT_TRUE(PumpUntil([this] { return window->GetOnlineCount() == 2; }));
        PumpFor(50);
    }
    std::string Transcript() { return chatuitest::EditText(window->TranscriptPane().Edit()); }
    COnlineUserList &Online() { return window->UserListPane().TabStrip().Online(); }
    CRecentContactList &Recent() { return window->UserListPane().TabStrip().Recent(); }
    int IndexOf(CListBox &list, const std::string &name)
    {
        for (int i = 0; i < list.GetCount(); ++i)
            if (static_cast<ChatUser *>(list.GetItemDataPtr(i))->name == std::string(name))
                return i;
        return -1;
    }
    // Types the text into the input box and presses Enter, with Ctrl or not.
    void TypeAndPress(const std::string &gbk, bool ctrl)
    {
        window->InputPane().Input().SetWindowText(gbk.c_str());
        QWidget *widget = WindowWidget(window->InputPane().Input().m_hWnd);
        ASSERT_NE(widget, nullptr);
        widget->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &release);
        PumpFor(50);
    }
    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        window->SendMessage(message, keys, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))));
    }
    RECT WindowRect()
    {
        RECT r{};
        window->GetWindowRect(&r);
        return r;
    }

    chattest::ChatServerPeer server;
    std::unique_ptr<chatuitest::LocalStarter> starter;
    std::unique_ptr<CChatMainDlg> window;
};

TEST_F(ChatWindowTest, StartsHiddenAtTheWorkAreasCornerWithItsPanesSized)
{
    Open();
    EXPECT_EQ(starter->greetings, 1);
    EXPECT_FALSE(window->IsWindowVisible());
    const RECT r = WindowRect();
    EXPECT_EQ(r.left, 881);
    EXPECT_EQ(r.top, 586);
    EXPECT_EQ(r.right - r.left, 720);
    EXPECT_EQ(r.bottom - r.top, 585);
    EXPECT_EQ(window->OuterSplitter().GetSizes(), (std::vector<int>{495, 210}));
    EXPECT_EQ(window->InnerSplitter().GetSizes(), (std::vector<int>{440, 89}));
}

TEST_F(ChatWindowTest, ListsStaffByNameAndReportsTheConnection)
{
    OpenConnected();
    // Two more with one name: the smaller id first.
    server.Command(GbkToUtf8(R"({"cmd":"users","to":"user01","users":[{"id":9,"name":"同名","role":1},{"id":8,"name":"同名","role":1}]})"));
    ASSERT_TRUE(PumpUntil([this] { return window->GetOnlineCount() == 4; }));
    std::vector<std::string> names;
    for (int i = 0; i < Online().GetCount(); ++i)
        names.push_back(Online().UserAt(i)->name);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    const int same = IndexOf(Online(), "同名");
    ASSERT_GE(same, 0);
    EXPECT_EQ(Online().UserAt(same)->id, 8u);
    EXPECT_EQ(Online().UserAt(same + 1)->id, 9u);
    // The search selects the first of the two, which becomes the partner.
    EXPECT_NE(Transcript().find(std::string("成功连接至服务器。")), std::string::npos);
    // The connection lines belong to no conversation: a replay drops them.
    window->UserListPane().SearchBox().SetWindowText(std::string("同名").c_str());
    window->UserListPane().OnSearch();
    ASSERT_NE(CurrentPartner, nullptr);
    EXPECT_EQ(CurrentPartner->id, 8u);

    PumpUntil([this] { return std::string(window->InputPane().StatusBar().GetPaneText(0)).find("4") != std::string::npos; });
    EXPECT_EQ(std::string(window->InputPane().StatusBar().GetPaneText(0)), std::string("网络状态: 已连接。在线技术支持: 4"));
    CString title;
    window->GetWindowText(title);
    EXPECT_EQ(std::string(static_cast<LPCSTR>(title)), std::string("在线服务 客户端 - user01"));
    EXPECT_EQ(Transcript().find(std::string("成功连接至服务器。")), std::string::npos);
}

TEST_F(ChatWindowTest, CtrlEnterSendsToThePartnerAndTheAnswerShowsUnderHisHeading)
{
    OpenConnected();
    const int kefu = IndexOf(Online(), kKefu01);
    ASSERT_GE(kefu, 0);
    Online().SetSel(kefu, TRUE);
    ASSERT_NE(CurrentPartner, nullptr);
    EXPECT_EQ(CurrentPartner->id, 101u);

    // Enter alone writes a new line; nothing goes out.
    TypeAndPress(std::string(10, 'e'), false);
    EXPECT_FALSE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message"})", 300));

    struct Case {
        std::string text;
        int flag;
    } cases[] = {{std::string(255, 'a'), 0}, {std::string(300, 'b'), 1}, {Incompressible(300), 0}};
    int count = 0;
    for (const Case &c : cases) {
        PumpFor(1100); // two sends a second at most
        TypeAndPress(c.text, true);
        ++count;
        const std::string query =
            R"({"cmd":"wait","for":"record","kind":"message","count":)" + std::to_string(count) + "}";
        ASSERT_TRUE(server.WaitFor(query)) << count;
        const std::string entry = server.Command(query);
        EXPECT_EQ(chattest::JsonField(entry, "flag"), std::to_string(c.flag)) << count;
        EXPECT_EQ(chattest::JsonField(entry, "text_len"), std::to_string(c.text.size())) << count;
        EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "");
    }
    // The automatic answer appears under the partner's heading.
    ASSERT_TRUE(PumpUntil([this] { return Transcript().find(std::string("收到")) != std::string::npos; }));
    const std::string shown = Transcript();
    EXPECT_NE(shown.find(std::string(kKefu01) + "\r\n" + std::string("收到")), std::string::npos);
    EXPECT_NE(shown.find(std::string(255, 'a')), std::string::npos);
    // The partner moved to the top of the recent list.
    ASSERT_GE(Recent().GetCount(), 1);
    EXPECT_EQ(Recent().UserAt(0)->id, 101u);
}

TEST_F(ChatWindowTest, AMessageFromAnotherBlinksUntilSelectedAndAUserGoneKeepsHisEntry)
{
    OpenConnected();
    window->ShowWindow(SW_SHOW);
    window->SetForegroundWindow();
    PumpUntil([this] { return GetForegroundWindow() == window->m_hWnd; }, 2000);
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    ASSERT_NE(CurrentPartner, nullptr);

    server.Command(GbkToUtf8(R"({"cmd":"send","from":"kefu02","to":"user01","text":"有新消息"})"));
    ASSERT_TRUE(PumpUntil([this] { return Recent().GetCount() == 1; }));
    PumpFor(100);
    ChatUser *other = Recent().UserAt(0);
    EXPECT_EQ(other->id, 102u);
    if (GetForegroundWindow() == window->m_hWnd) {
        EXPECT_EQ(other->unread, 1);
        EXPECT_EQ(UnreadUserCount, 1);
        // The timer makes the header blink.
        ASSERT_TRUE(PumpUntil([this] { return window->UserListPane().TabStrip().RecentHeader().GetIcon() != 0; }));
        Recent().SetSel(0, TRUE);
    }
    // Selected: the mark goes and the header's icon with it.
    EXPECT_EQ(UnreadUserCount, 0);
    EXPECT_EQ(other->unread, 0);
    EXPECT_EQ(CurrentPartner, other);
    PumpFor(400);
    EXPECT_EQ(window->UserListPane().TabStrip().RecentHeader().GetIcon(), 0u);
    EXPECT_NE(Transcript().find(std::string("有新消息")), std::string::npos);

    // He goes offline: gone from the online list, kept in the recent one.
    server.Command(GbkToUtf8(R"({"cmd":"logout","user":"kefu02"})"));
    ASSERT_TRUE(PumpUntil([this] { return window->GetOnlineCount() == 1; }));
    ASSERT_EQ(Recent().GetCount(), 1);
    EXPECT_EQ(Recent().UserAt(0), other);
    EXPECT_TRUE(other->status & 2);
    EXPECT_NE(Transcript().find(std::string("已下线。")), std::string::npos);
    // Sending to him now is refused with its line (chosen in the recent list,
    // whether or not the window had the focus to make him the partner above).
    Recent().SetSel(0, TRUE);
    ASSERT_EQ(CurrentPartner, other);
    TypeAndPress("hello", true);
    EXPECT_NE(Transcript().find(std::string("该用户已下线。")), std::string::npos);
}

TEST_F(ChatWindowTest, ADisconnectReleasesEveryUserAndLog)
{
    OpenConnected();
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    server.Command(GbkToUtf8(R"({"cmd":"send","from":"kefu02","to":"user01","text":"未读"})"));
    ASSERT_TRUE(PumpUntil([this] { return Recent().GetCount() == 1; }));
    PumpFor(100);
    EXPECT_GT(ChatUser::LiveCount(), 0);
    EXPECT_GT(chatuitest::OpenConversationLogs(), 0);
    window->Socket().OnClose(0);
    PumpFor(100);
    EXPECT_EQ(ChatUser::LiveCount(), 0);
    EXPECT_EQ(UnreadUserCount, 0);
    EXPECT_EQ(chatuitest::OpenConversationLogs(), 0);
    EXPECT_EQ(CurrentPartner, nullptr);
    EXPECT_EQ(std::string(window->InputPane().StatusBar().GetPaneText(0)), std::string("网络状态: 断开"));
}

TEST_F(ChatWindowTest, ClearingTheScreenTruncatesThePartnersLog)
{
    OpenConnected();
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    ChatUser *partner = CurrentPartner;
    ASSERT_NE(partner, nullptr);
    server.Command(GbkToUtf8(R"({"cmd":"send","from":"kefu01","to":"user01","text":"第一条"})"));
    ASSERT_TRUE(PumpUntil([this] { return Transcript().find(std::string("第一条")) != std::string::npos; }));
    EXPECT_GT(GetFileSize(partner->log, nullptr), 0u);
    CTranscriptEdit &edit = window->TranscriptPane().Edit();
    EXPECT_TRUE(edit.IsCommandEnabled(CTranscriptEdit::ClearCommand));
    edit.RunCommand(CTranscriptEdit::ClearCommand);
    EXPECT_EQ(Transcript(), "");
    EXPECT_EQ(GetFileSize(partner->log, nullptr), 0u);
    EXPECT_FALSE(edit.IsCommandEnabled(CTranscriptEdit::ClearCommand));
    // What comes after the clearing is all a replay shows.
    server.Command(GbkToUtf8(R"({"cmd":"send","from":"kefu01","to":"user01","text":"第二条"})"));
    ASSERT_TRUE(PumpUntil([this] { return Transcript().find(std::string("第二条")) != std::string::npos; }));
    window->TranscriptPane().ShowConversation(nullptr);
    window->TranscriptPane().ShowConversation(partner);
    EXPECT_EQ(Transcript().find(std::string("第一条")), std::string::npos);
    EXPECT_NE(Transcript().find(std::string("第二条")), std::string::npos);
}

TEST_F(ChatWindowTest, TheCloseBoxOnlyHidesAndTheFrameMovesAndSizes)
{
    OpenConnected();
    window->ShowWindow(SW_SHOW);
    PumpFor(50);
    const RECT start = WindowRect();
    const int w = start.right - start.left, h = start.bottom - start.top;

    // Dragging the top-left corner by 10,10 makes the window smaller.
    Mouse(WM_MOUSEMOVE, 3, 3);
    EXPECT_EQ(window->GetHitZone(), 5);
    Mouse(WM_LBUTTONDOWN, 3, 3, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 13, 13, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 3, 3);
    RECT r = WindowRect();
    EXPECT_EQ(r.left, start.left + 10);
    EXPECT_EQ(r.top, start.top + 10);
    EXPECT_EQ(r.right, start.right);
    EXPECT_EQ(r.bottom, start.bottom);

    // The caption moves it unchanged in size.
    Mouse(WM_MOUSEMOVE, 100, 10);
    EXPECT_EQ(window->GetHitZone(), 0);
    Mouse(WM_LBUTTONDOWN, 100, 10, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 80, 5, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 80, 5);
    const RECT moved = WindowRect();
    EXPECT_EQ(moved.left, r.left - 20);
    EXPECT_EQ(moved.top, r.top - 5);
    EXPECT_EQ(moved.right - moved.left, w - 10);
    EXPECT_EQ(moved.bottom - moved.top, h - 10);

    // Never smaller than 250 × 275.
    const int cw = moved.right - moved.left, ch = moved.bottom - moved.top;
    Mouse(WM_MOUSEMOVE, cw - 2, ch - 2);
    EXPECT_EQ(window->GetHitZone(), 6);
    Mouse(WM_LBUTTONDOWN, cw - 2, ch - 2, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 100, 100, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 100, 100);
    r = WindowRect();
    EXPECT_EQ(r.right - r.left, cw);
    EXPECT_EQ(r.bottom - r.top, ch);

    // A release off the close button does nothing; on it, the window hides and
    // the program goes on.
    Mouse(WM_MOUSEMOVE, cw - 14, 12);
    EXPECT_EQ(window->GetHotButton(), 3);
    Mouse(WM_LBUTTONDOWN, cw - 14, 12, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, cw - 100, 12, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, cw - 100, 12);
    PumpFor(50);
    EXPECT_TRUE(window->IsWindowVisible());
    Mouse(WM_MOUSEMOVE, cw - 14, 12);
    Mouse(WM_LBUTTONDOWN, cw - 14, 12, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, cw - 14, 12);
    PumpFor(50);
    EXPECT_FALSE(window->IsWindowVisible());
    EXPECT_TRUE(window->Socket().IsConnected());
    EXPECT_NE(window->GetStarter(), 0u);
}

TEST_F(ChatWindowTest, BlocksOfTheWrongShapeOrSenderAreIgnored)
{
    Open("", "");
    ASSERT_NE(starter->chat, 0u);
    struct Case {
        DWORD cbData;
        ULONG_PTR dwData;
        bool otherSender;
    } cases[] = {{127, 0, false}, {129, 0, false}, {128, 1, false}, {128, 0, true}, {128, 0, false}};
    chatuitest::LocalStarter other;
    for (const Case &c : cases) {
        starter->SetCredentials(c.cbData == 128 && c.dwData == 0 && !c.otherSender ? "" : "user01", "123456");
        starter->block.resize(std::max<DWORD>(c.cbData, 128));
        starter->cbData = c.cbData;
        starter->dwData = c.dwData;
        starter->sender = c.otherSender ? other.hwnd : 0;
        EXPECT_EQ(starter->SendBlock(), TRUE);
        PumpFor(100);
        // No attempt: the block was refused, or (the last) its name is empty.
        EXPECT_FALSE(window->Socket().IsConnecting() || window->Socket().IsConnected());
        EXPECT_EQ(Transcript().find(std::string("正在连接服务器...")), std::string::npos);
    }
}

TEST_F(ChatWindowTest, WithoutAChatServerTheAttemptFailsWithItsLine)
{
    Open("user01", "123456", false);
    ASSERT_TRUE(PumpUntil([this] { return Transcript().find(std::string("无法连接服务器。")) != std::string::npos; }));
    EXPECT_NE(Transcript().find(std::string("正在连接服务器...")), std::string::npos);
    PumpUntil([this] { return !window->Socket().IsConnecting(); });
    PumpFor(50);
    EXPECT_EQ(std::string(window->InputPane().StatusBar().GetPaneText(0)), std::string("网络状态: 断开"));
}

TEST_F(ChatWindowTest, BarsDragWithinTheirLimitsHintsAndTheSearchCue)
{
    OpenConnected();
    CSideSplitter &outer = window->OuterSplitter();
    auto drag = [&](int from, int to) {
        outer.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(from), 10)));
        EXPECT_TRUE(outer.IsDragging());
        if (to != from)
            outer.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(to), 10)));
        outer.SendMessage(WM_LBUTTONUP, 0, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(to), 10)));
        EXPECT_FALSE(outer.IsDragging());
    };
    // The bar of {495, 210} covers 495..497.
    drag(497, 497);
    EXPECT_EQ(outer.GetSizes(), (std::vector<int>{495, 210}));
    drag(497, 100);
    EXPECT_EQ(outer.GetSizes(), (std::vector<int>{98, 607}));
    // Neither neighbour gets under the minimum of 80.
    drag(100, 5);
    EXPECT_EQ(outer.GetSizes(), (std::vector<int>{80, 625}));
    drag(82, 700);
    EXPECT_EQ(outer.GetSizes(), (std::vector<int>{625, 80}));

    // Hovering over a user shows his name, state and information; below the
    // last one, nothing.
    COnlineUserList &online = Online();
    online.SendMessage(WM_MOUSEHOVER, 0, static_cast<LPARAM>(MAKELONG(10, 10)));
    CHintWnd &hint = CHintWnd::Instance();
    EXPECT_TRUE(hint.IsWindowVisible());
    EXPECT_EQ(hint.GetText().rfind(std::string(online.UserAt(0)->name) + " ( 在线 )\r\n", 0), 0u);
    online.SendMessage(WM_MOUSEHOVER, 0, static_cast<LPARAM>(MAKELONG(10, 300)));
    EXPECT_FALSE(hint.IsWindowVisible());

    // The search box's cue: gone with the focus, back only when the empty box
    // loses it.
    CCueEdit &search = window->UserListPane().SearchBox();
    EXPECT_TRUE(search.IsCueShown());
    search.SendMessage(WM_SETFOCUS);
    EXPECT_FALSE(search.IsCueShown());
    search.SetWindowText("abc");
    search.SetWindowText("");
    EXPECT_FALSE(search.IsCueShown());
    search.SendMessage(WM_KILLFOCUS);
    EXPECT_TRUE(search.IsCueShown());
}

TEST_F(ChatWindowTest, ServerSettingsThatNameNoServerFailWithTheLine)
{
    Open("user01", "123456", false);
    ASSERT_TRUE(PumpUntil([this] { return !window->Socket().IsConnecting() && Transcript().find(std::string("无法连接服务器。")) != std::string::npos; }));
    struct Case {
        std::string server, port;
    } cases[] = {{"", "6656"},         {"localhost", "6656"},    {std::string(300, '1'), "6656"},
                 {"127.0.0.1", "0"},   {"127.0.0.1", "70000"},   {"1.2.3", "-5"}};
    for (const Case &c : cases) {
        std::ofstream("../CFG/SETTING.INI", std::ios::binary)
            << "[Parameter]\r\nOTSServer=" << c.server << "\r\nOTSPort=" << c.port << "\r\n";
        window->TranscriptPane().Edit().SetWindowText("");
        window->OnConnect();
        ASSERT_TRUE(PumpUntil([this] { return !window->Socket().IsConnecting(); })) << c.server;
        const std::string shown = Transcript();
        EXPECT_NE(shown.find(std::string("无法连接服务器。")), std::string::npos) << c.server << ":" << c.port;
        EXPECT_FALSE(window->Socket().IsConnected());
    }
}

TEST_F(ChatWindowTest, TheWindowLooksAsDrawn)
{
    OpenConnected();
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    server.Command(GbkToUtf8(R"({"cmd":"send","from":"kefu01","to":"user01","text":"您好，请问有什么可以帮您？"})"));
    ASSERT_TRUE(PumpUntil([this] { return Transcript().find(std::string("您好")) != std::string::npos; }));
    window->ShowWindow(SW_SHOW);
    PumpFor(200);
    QWidget *widget = WindowWidget(window->m_hWnd);
    ASSERT_NE(widget, nullptr);
    const QImage image = widget->grab().toImage();
    image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/chat_window.png"));
    ASSERT_EQ(image.width(), 720);
    // The partner's status icon on the transcript's banner: online is green.
    RECT pane{};
    window->TranscriptPane().GetWindowRect(&pane);
    window->ScreenToClient(&pane);
    const QColor icon = image.pixelColor(pane.left + 6 + 4, pane.top + 8 + 4);
    EXPECT_GT(icon.green(), 150);
    EXPECT_LT(icon.red(), 100);
    // The frame's interior blue between the panes' bottom and the frame.
    const QColor interior = image.pixelColor(3, 300);
    EXPECT_EQ(interior.blue(), 255);
    // The status bar: blue, with dark label text in it.
    RECT bar{};
    window->InputPane().StatusBar().GetWindowRect(&bar);
    window->ScreenToClient(&bar);
    int dark = 0;
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < std::min<LONG>(bar.right, bar.left + 200); ++x)
            dark += image.pixelColor(x, y).red() < 60 && image.pixelColor(x, y).blue() < 160;
    EXPECT_GT(dark, 20);
}

// The enabled state of each item of the next pop-up menu (by its text without
// '&'), choosing the item `choose`.
std::map<QString, bool> *ChooseInNextMenu(const char16_t *choose)
{
    auto *states = new std::map<QString, bool>;
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, states, choose] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll->stop();
        poll->deleteLater();
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            const QString text = QString(a->text()).remove(QLatin1Char('&'));
            (*states)[text] = a->isEnabled();
            if (text == QString::fromUtf16(choose))
                chosen = a;
        }
        if (chosen && chosen->isEnabled())
            chosen->trigger();
        menu->close();
    });
    poll->start(20);
    return states;
}

TEST_F(ChatWindowTest, TheTranscriptsMenuOffersWhatTheSelectionAllows)
{
    OpenConnected();
    CTranscriptEdit &edit = window->TranscriptPane().Edit();
    const std::string text = Transcript();
    ASSERT_FALSE(text.empty());
    const int length = edit.GetWindowTextLength();
    edit.SetSel(0, 0);
    auto openMenu = [&](const char16_t *choose) {
        std::unique_ptr<std::map<QString, bool>> states(ChooseInNextMenu(choose));
        CRect r;
        edit.GetWindowRect(&r);
        edit.SendMessage(WM_CONTEXTMENU, edit.m_hWnd,
                         static_cast<LPARAM>(MAKELONG(WORD(r.left + 20), WORD(r.top + 20))));
        return *states;
    };
    const QString copy = QString::fromUtf16(u"复制(C)"), all = QString::fromUtf16(u"全选(A)"),
                  clear = QString::fromUtf16(u"清屏(E)");
    // Nothing selected: no copying; choosing 全选 selects the whole text.
    auto states = openMenu(u"全选(A)");
    EXPECT_EQ(states, (std::map<QString, bool>{{copy, false}, {all, true}, {clear, true}}));
    int start = -1, end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, length);
    // All selected: 全选 is off; 复制 puts the text on the clipboard.
    QGuiApplication::clipboard()->clear();
    states = openMenu(u"复制(C)");
    EXPECT_EQ(states, (std::map<QString, bool>{{copy, true}, {all, false}, {clear, true}}));
    EXPECT_EQ(QGuiApplication::clipboard()->text().replace(QLatin1String("\r\n"), QLatin1String("\n")),
              QString::fromStdString(GbkToUtf8(text)).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    // 清屏 empties the screen, after which nothing is offered.
    openMenu(u"清屏(E)");
    EXPECT_EQ(Transcript(), "");
    states = openMenu(u"");
    EXPECT_EQ(states, (std::map<QString, bool>{{copy, false}, {all, false}, {clear, false}}));
}

TEST_F(ChatWindowTest, KeysTypedInTheTranscriptGoToTheInputBox)
{
    OpenConnected();
    window->ShowWindow(SW_SHOW);
    PumpFor(50);
    const std::string before = Transcript();
    QWidget *transcript = WindowWidget(window->TranscriptPane().Edit().m_hWnd);
    ASSERT_NE(transcript, nullptr);
    transcript->setFocus();
    auto key = [&](int code, Qt::KeyboardModifiers mods, const QString &typed) {
        QKeyEvent press(QEvent::KeyPress, code, mods, typed);
        QCoreApplication::sendEvent(transcript, &press);
        QKeyEvent release(QEvent::KeyRelease, code, mods, typed);
        QCoreApplication::sendEvent(transcript, &release);
        PumpFor(50);
    };
    // Backspace in the transcript acts in the input box.
    window->InputPane().Input().SetWindowText("abc");
    window->InputPane().Input().SetSel(3, 3);
    key(Qt::Key_Backspace, Qt::NoModifier, QString());
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "ab");
    EXPECT_EQ(GetFocus(), window->InputPane().Input().m_hWnd);
    EXPECT_EQ(Transcript(), before);
    // A letter typed in the transcript is typed in the input box.
    transcript->setFocus();
    key(Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "abx");
    EXPECT_EQ(Transcript(), before);
    // With Ctrl held, a key stays with the transcript (Ctrl+A selects in it).
    transcript->setFocus();
    key(Qt::Key_A, Qt::ControlModifier, QString());
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "abx");
    int start = -1, end = -1;
    window->TranscriptPane().Edit().GetSel(start, end);
    EXPECT_EQ(end - start, window->TranscriptPane().Edit().GetWindowTextLength());
    // Ctrl+Enter goes on to the input box, which sends.
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    ASSERT_NE(CurrentPartner, nullptr);
    transcript->setFocus();
    SetTestKeyDown(VK_CONTROL, true);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::sendEvent(transcript, &press);
    // The forwarded key is served as the program's own loop serves it, through
    // the windows' pre-translation (a bare GetMessage loop would skip that).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!chatuitest::EditText(window->InputPane().Input()).empty() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    SetTestKeyDown(VK_CONTROL, false);
    EXPECT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","count":1})"));
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "");
}

TEST_F(ChatWindowTest, AtMostTwoSendsASecond)
{
    OpenConnected();
    Online().SetSel(IndexOf(Online(), kKefu01), TRUE);
    ASSERT_NE(CurrentPartner, nullptr);
    // The clock stands still: every send below falls in the same second.
    SetTestClock(1'800'000'000'000, GetTickCount());
    const std::string tooFast = "您说话的速度太快了。请坐下来，喝杯咖啡休息一会吧。";
    TypeAndPress("one", true);
    TypeAndPress("two", true);
    ASSERT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","count":2})"));
    EXPECT_EQ(Transcript().find(tooFast), std::string::npos);
    TypeAndPress("three", true);
    EXPECT_NE(Transcript().find(tooFast), std::string::npos);
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "three"); // kept for later
    EXPECT_FALSE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","count":3})", 300));
    // A second later it goes.
    AdvanceTestClock(1000);
    TypeAndPress("three", true);
    EXPECT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"record","kind":"message","count":3})"));
    EXPECT_EQ(chatuitest::EditText(window->InputPane().Input()), "");
}

} // namespace
