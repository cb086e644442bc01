// The login dialog headless: the server list read from and written back to
// server.ini, the proxy settings, adding and deleting servers, the progress
// messages, the connect through a recording frame with its login thread, and
// the layout of the controls.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/ui/TClientRight.h"
#include "lumon/core/ui/TForm_AddSrv.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"
#include "tests/support/TestApplication.h"

using namespace win;

namespace {

TApplication &App() { return testsupport::TestApplication("test_lumon_core_ui"); }

bool PumpUntil(const std::function<bool()> &done, int ms = 3000) { return testsupport::PumpUntil(App(), done, ms); }

std::string S(const AnsiString &text) { return text.c_str(); }

std::string Read(const std::string &section, const std::string &key, const char *missing = "<missing>")
{
    char buffer[512];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), missing, buffer, sizeof buffer, ".\\server.ini");
    return buffer;
}

// A frame that records the dialog's calls; its login-thread work is what the
// test gives it.
class RecordingFrame : public TFrameServices {
public:
    bool RequestNameTable(int) override { return false; }
    int ConnectToServer(HWND dialog, const char *user, const char *password) override
    {
        connectDialog = dialog;
        connectUser = user;
        connectPassword = password;
        ++connects;
        if (onConnect)
            onConnect(dialog);
        return connectResult;
    }
    int StartRealDataClient(HWND dialog) override
    {
        threadDialog = dialog;
        threadId = GetCurrentThreadId();
        if (onThread)
            onThread(dialog);
        finished = true;
        return 0;
    }

    int connectResult = 1;
    int connects = 0;
    HWND connectDialog = 0;
    std::string connectUser;
    std::string connectPassword;
    std::function<void(HWND)> onConnect;
    std::atomic<HWND> threadDialog{0};
    std::atomic<DWORD> threadId{0};
    std::function<void(HWND)> onThread;
    std::atomic<bool> finished{false};
};

class ClientRightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        static int count = 0;
        saved_ = std::filesystem::current_path();
        dir_ = std::filesystem::absolute("login" + std::to_string(++count));
        std::filesystem::create_directories(dir_);
        SetCurrentDirectoryA(dir_.c_str());
        RecordMessageBoxes(true);
        saveFrame_ = MFrame;
        MFrame = &frame;
    }
    void TearDown() override
    {
        Finish();
        MFrame = saveFrame_;
        RecordMessageBoxes(false);
        SetCurrentDirectoryA(saved_.c_str());
    }
    // Writes server.ini (GBK text, CRLF) from the lines given.
    void WriteServers(const std::vector<std::string> &lines)
    {
        std::string text;
        for (const auto &l : lines)
            text += l + "\r\n";
        std::ofstream(dir_ / "server.ini", std::ios::binary) << text;
    }
    std::string ServerFileText()
    {
        std::ifstream in(dir_ / "server.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TClientRight *Open(uint8_t reconnect = 0)
    {
        dialog = new TClientRight(&App(), reconnect);
        dialog->AfterConstruction();
        return dialog;
    }
    // Deletes the dialog, then waits for its login thread, as the frame does.
    void Finish()
    {
        HANDLE thread = dialog ? dialog->LoginThread : 0;
        delete dialog;
        dialog = nullptr;
        if (thread) {
            EXPECT_EQ(WaitForSingleObject(thread, 2000), WAIT_OBJECT_0);
            CloseHandle(thread);
        }
    }
    // Shows the dialog modally, running `then` once its loop runs.
    int ShowModalThen(std::function<void()> then)
    {
        QTimer::singleShot(0, [then] { then(); });
        return dialog->ShowModal();
    }
    std::vector<std::string> Items()
    {
        std::vector<std::string> items;
        for (int i = 0; i < dialog->ComboBox1->Items->Count(); ++i)
            items.push_back(dialog->ComboBox1->Items->Strings(i).c_str());
        return items;
    }

    RecordingFrame frame;
    TClientRight *dialog = nullptr;

private:
    std::filesystem::path saved_;
    std::filesystem::path dir_;
    TFrameServices *saveFrame_ = nullptr;
};

std::vector<std::string> FourServersThirdWithoutCompany()
{
    return {"[RIGHT]",
            "svraddr0=10.0.0.1", "company0=上海主站", "tel0=021-1111", "webside0=http://a.example/",
            "user0=zhang", "password0=pw0", "save0=0",
            "svraddr1=10.0.0.2", "company1=北京主站", "tel1=010-2222", "webside1=http://b.example/",
            "user1=li", "password1=pw1", "save1=1",
            "svraddr2=10.0.0.3", "company2=深圳主站", "tel2=0755-3333", "webside2=", "save2=1",
            "user2=wang", "password2=pw2",
            "svraddr3=10.0.0.4", "company3=", "tel3=x",
            "svraddr4=10.0.0.5", "company4=广州主站",
            "lastindex=1"};
}

TEST_F(ClientRightTest, ListsTheServersUpToTheFirstIncompleteOneAndShowsTheLastChoice)
{
    WriteServers(FourServersThirdWithoutCompany());
    Open();
    EXPECT_EQ(Items(), (std::vector<std::string>{"上海主站", "北京主站", "深圳主站"}));
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, 1);
    EXPECT_EQ(S(dialog->Edit1->Text), "li");
    EXPECT_EQ(S(dialog->Edit2->Text), "pw1");
    EXPECT_TRUE(dialog->CheckBox1->Checked);
    EXPECT_EQ(S(dialog->Caption), "连接至服务器");
    // The proxy is off: its controls are disabled and the lower part hidden.
    EXPECT_FALSE(dialog->GroupBox1->Enabled);
    EXPECT_EQ(S(dialog->Button4->Caption), "配置>>");
    EXPECT_EQ(S(dialog->Edit_proxy_port->Text), "1080");
    EXPECT_FALSE(dialog->Panel2->Visible);
    EXPECT_FALSE(dialog->Label6->Visible);

    dialog->ComboBox1->ItemIndex = 0;
    dialog->ComboBox1Change(dialog->ComboBox1);
    EXPECT_EQ(S(dialog->Edit1->Text), "zhang");
    EXPECT_FALSE(dialog->CheckBox1->Checked);
}

TEST_F(ClientRightTest, ConnectRewritesTheListAndTellsTheFrameTheChosenServer)
{
    WriteServers(FourServersThirdWithoutCompany());
    Open();
    frame.connectResult = 0;
    EXPECT_EQ(ShowModalThen([this] {
                  dialog->Edit1->Text = "li2";
                  dialog->Edit2->Text = "secret";
                  dialog->Button1->Click();
              }),
              mrCancel);

    EXPECT_EQ(frame.connects, 1);
    EXPECT_EQ(frame.connectDialog, dialog->Handle);
    EXPECT_EQ(frame.connectUser, "li2");
    EXPECT_EQ(frame.connectPassword, "secret");
    EXPECT_EQ(dialog->LoginThread, HANDLE(0));
    EXPECT_STREQ(dialog->ServerText, "北京主站 电话：010-2222 ");
    EXPECT_STREQ(dialog->WebSite, "http://b.example/");

    EXPECT_EQ(Read("Server", "Address"), "10.0.0.2");
    EXPECT_EQ(Read("RIGHT", "lastindex"), "1");
    // The list ends where the dialog's list ends.
    EXPECT_EQ(Read("RIGHT", "svraddr3"), "");
    EXPECT_EQ(Read("RIGHT", "svraddr2"), "10.0.0.3");
    EXPECT_EQ(Read("RIGHT", "webside2"), "");
    // Entry 0 does not remember its user: empty texts; entry 1 keeps the new ones.
    EXPECT_EQ(Read("RIGHT", "save0"), "0");
    EXPECT_EQ(Read("RIGHT", "user0"), "");
    EXPECT_EQ(Read("RIGHT", "password0"), "");
    EXPECT_EQ(Read("RIGHT", "user1"), "li2");
    EXPECT_EQ(Read("RIGHT", "password1"), "secret");
    // Without the proxy only UseProxy is written.
    EXPECT_EQ(Read("ProxyServer", "UseProxy"), "0");
    for (const char *key : {"Address", "Port", "UserName", "Password", "CertUser"})
        EXPECT_EQ(Read("ProxyServer", key), "<missing>") << key;

    // Read again, the rewritten file gives the same list.
    Finish();
    Open();
    EXPECT_EQ(Items(), (std::vector<std::string>{"上海主站", "北京主站", "深圳主站"}));
    EXPECT_EQ(S(dialog->Edit1->Text), "li2");
}

TEST_F(ClientRightTest, ConnectWithNoServerChosenWritesAnEmptyAddress)
{
    WriteServers({"[RIGHT]", "svraddr0=10.0.0.1", "company0=A", "[Server]", "Address=10.9.9.9"});
    Open();
    frame.connectResult = 0;
    ASSERT_EQ(dialog->ComboBox1->ItemIndex, -1);
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(Read("Server", "Address"), "");
    EXPECT_EQ(Read("RIGHT", "lastindex"), "-1");
    EXPECT_STREQ(dialog->ServerText, "");
    EXPECT_EQ(Read("RIGHT", "svraddr0"), "10.0.0.1");
    EXPECT_EQ(Read("RIGHT", "svraddr1"), "");
}

// A server list that cannot be saved (another program keeps the file locked past
// the layer's wait) is said once, the file stays as it was, and the login goes on.
TEST_F(ClientRightTest, AListThatCannotBeSavedIsSaidAndTheLoginGoesOn)
{
    WriteServers({"[RIGHT]", "svraddr0=10.0.0.1", "company0=A", "lastindex=0"});
    const std::string before = ServerFileText();
    Open();
    int holder = open("server.ini", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    ProfileStore::SetLockWait(200);
    frame.connectResult = 0;
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    ProfileStore::SetLockWait(15000);
    flock(holder, LOCK_UN);
    close(holder);

    EXPECT_EQ(frame.connects, 1);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "服务器列表无法保存，请检查 server.ini 是否可写!");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(ServerFileText(), before);
}

TEST_F(ClientRightTest, ProxySettingsShowTheLowerPartAndAreWrittenOnlyWhenUsed)
{
    // CertUser missing reads as 1.
    WriteServers({"[ProxyServer]", "UseProxy=1", "Address=127.0.0.9", "Port=1081", "UserName=pu",
                  "Password=pp"});
    Open();
    EXPECT_EQ(S(dialog->Button4->Caption), "配置<<");
    EXPECT_EQ(dialog->ClientHeight, 228 + 120);
    EXPECT_TRUE(dialog->CheckBox3->Checked);
    EXPECT_TRUE(dialog->CheckBox2->Checked);
    EXPECT_TRUE(dialog->Edit_Proxy_user->Enabled);
    EXPECT_EQ(S(dialog->Edit_proxy_port->Text), "1081");

    frame.connectResult = 0;
    dialog->CheckBox2->Checked = false;
    dialog->Edit_proxy_port->Text = "1090";
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(Read("ProxyServer", "UseProxy"), "1");
    EXPECT_EQ(Read("ProxyServer", "Address"), "127.0.0.9");
    EXPECT_EQ(Read("ProxyServer", "Port"), "1090");
    EXPECT_EQ(Read("ProxyServer", "UserName"), "pu");
    EXPECT_EQ(Read("ProxyServer", "Password"), "pp");
    EXPECT_EQ(Read("ProxyServer", "CertUser"), "0");

    // Turning the proxy off writes UseProxy alone and keeps the rest.
    Finish();
    Open();
    dialog->CheckBox3->Checked = false;
    dialog->CheckBox3Click(dialog->CheckBox3);
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(Read("ProxyServer", "UseProxy"), "0");
    EXPECT_EQ(Read("ProxyServer", "Port"), "1090");
}

TEST_F(ClientRightTest, ProxyControlsFollowTheTwoCheckBoxes)
{
    Open();
    struct Case {
        bool proxy, cert;
        bool group, user;
    } cases[] = {{false, false, false, false}, {false, true, false, false}, {true, false, true, false},
                 {true, true, true, true}};
    for (const Case &c : cases) {
        dialog->CheckBox2->Checked = c.cert;
        dialog->CheckBox3->Checked = c.proxy;
        dialog->CheckBox3Click(dialog->CheckBox3);
        EXPECT_EQ(bool(dialog->GroupBox1->Enabled), c.group);
        EXPECT_EQ(bool(dialog->CheckBox2->Enabled), c.group);
        EXPECT_EQ(bool(dialog->Edit_proxy_add->Enabled), c.group);
        EXPECT_EQ(bool(dialog->Edit_proxy_port->Enabled), c.group);
        EXPECT_EQ(bool(dialog->Edit_Proxy_user->Enabled), c.user) << c.proxy << c.cert;
        EXPECT_EQ(bool(dialog->Edit_Proxy_Pass->Enabled), c.user) << c.proxy << c.cert;
    }
    dialog->Button4Click(dialog->Button4);
    dialog->Button4Click(dialog->Button4);
    EXPECT_EQ(S(dialog->Button4->Caption), "配置>>");
    EXPECT_EQ(dialog->ClientHeight, 228);
}

TEST_F(ClientRightTest, BadServerFileGivesDefaultsAndSurvivesTheRewrite)
{
    std::vector<std::string> lines = {"[RIGHT]"};
    std::string longName;
    for (int i = 0; i < 100; ++i)
        longName += "长";
    std::string longAddress(300, '9');
    for (int i = 0; i < 33; ++i) {
        std::string n = std::to_string(i);
        lines.push_back("svraddr" + n + "=" + (i == 5 ? longAddress : "10.1.0." + n));
        lines.push_back("company" + n + "=" + (i == 5 ? "x" + longName : "S" + n));
        lines.push_back("tel" + n + "=" + longName);
        lines.push_back("user" + n + "=" + longName);
        lines.push_back("save" + n + "=" + (i % 2 ? "1" : "junk"));
    }
    lines.insert(lines.end(), {"lastindex=40", "[ProxyServer]", "Port=x", "UseProxy=x"});
    WriteServers(lines);
    Open();
    ASSERT_EQ(dialog->ComboBox1->Items->Count(), 32);
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, -1);
    EXPECT_EQ(S(dialog->Edit_proxy_port->Text), "1080");
    EXPECT_FALSE(dialog->CheckBox3->Checked);
    // Long texts are cut to their fields without splitting a character.
    EXPECT_EQ(std::strlen(ServerList[5].Address), 127u);
    EXPECT_EQ(std::strlen(ServerList[5].Company), 127u);
    EXPECT_EQ(std::strlen(ServerList[0].Telephone), 62u);
    EXPECT_EQ(std::strlen(ServerList[0].UserName), 62u);
    EXPECT_EQ(ServerList[0].Save, 0);
    EXPECT_EQ(ServerList[1].Save, 1);

    frame.connectResult = 0;
    dialog->ComboBox1->ItemIndex = 31;
    dialog->ComboBox1Change(dialog->ComboBox1);
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(Read("Server", "Address"), "10.1.0.31");
    EXPECT_EQ(Read("RIGHT", "company5"), std::string(ServerList[5].Company));
    EXPECT_EQ(Read("RIGHT", "user1"), std::string(ServerList[1].UserName));
    EXPECT_EQ(Read("RIGHT", "user0"), "");
}

TEST_F(ClientRightTest, AddingInsertsTheServerFirstOnlyWithNameAndAddress)
{
    WriteServers({"[RIGHT]", "svraddr0=10.0.0.1", "company0=A", "user0=u", "save0=1", "lastindex=0"});
    Open();
    struct Case {
        int result;
        const char *ip, *name;
        bool added;
    } cases[] = {{mrOk, "10.0.0.7", "", false}, {mrOk, "", "NoAddress", false},
                 {mrCancel, "10.0.0.7", "Cancelled", false}, {mrOk, "10.0.0.7", "新站", true}};
    for (const Case &c : cases) {
        QTimer::singleShot(0, [c] {
            ASSERT_NE(Form_AddSrv, nullptr);
            Form_AddSrv->Edit_IP->Text = c.ip;
            Form_AddSrv->Edit_Co->Text = c.name;
            Form_AddSrv->Edit_Web->Text = "http://n.example/";
            Form_AddSrv->Edit_Tel->Text = "123";
            (c.result == mrOk ? Form_AddSrv->Button_OK : Form_AddSrv->Button_Cancel)->Click();
        });
        dialog->N2Click(dialog->Button5);
        EXPECT_EQ(Form_AddSrv, nullptr);
        EXPECT_EQ(dialog->ComboBox1->Items->Count(), c.added ? 2 : 1) << c.name;
    }
    EXPECT_EQ(Items(), (std::vector<std::string>{"新站", "A"}));
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, 0);
    EXPECT_STREQ(ServerList[0].Address, "10.0.0.7");
    EXPECT_STREQ(ServerList[0].Telephone, "123");
    EXPECT_STREQ(ServerList[0].WebSite, "http://n.example/");
    EXPECT_EQ(ServerList[0].Save, 0);
    EXPECT_EQ(S(dialog->Edit1->Text), "");
    EXPECT_STREQ(ServerList[1].UserName, "u");
    EXPECT_EQ(ServerList[1].Save, 1);
}

TEST_F(ClientRightTest, AFullListAddsNothing)
{
    std::vector<std::string> lines = {"[RIGHT]"};
    for (int i = 0; i < 32; ++i)
        lines.insert(lines.end(), {"svraddr" + std::to_string(i) + "=1.1.1.1", "company" + std::to_string(i) + "=C"});
    WriteServers(lines);
    Open();
    bool shown = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (Form_AddSrv) {
            shown = true;
            Form_AddSrv->Button_Cancel->Click();
        }
    });
    timer.start(0);
    dialog->N2Click(dialog->Button5);
    App().ProcessMessages();
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialog->ComboBox1->Items->Count(), 32);
}

TEST_F(ClientRightTest, DeletingAsksAndShowsTheEntryThatTakesThePlace)
{
    WriteServers({"[RIGHT]", "svraddr0=10.0.0.1", "company0=A", "svraddr1=10.0.0.2", "company1=B",
                  "svraddr2=10.0.0.3", "company2=C", "user2=c", "save2=1", "lastindex=2"});
    Open();
    ScriptMessageBoxAnswers({IDNO});
    dialog->N3Click(dialog->Button7);
    EXPECT_EQ(dialog->ComboBox1->Items->Count(), 3);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "是否删除当前服务器选项?");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].buttons, UINT(MB_YESNO));
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONQUESTION));
    EXPECT_TRUE(boxes[0].type & MB_TOPMOST);

    // The last entry deleted: the first is shown.
    ScriptMessageBoxAnswers({IDYES});
    dialog->N3Click(dialog->Button7);
    EXPECT_EQ(Items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, 0);
    // The first deleted: B moves up and is shown.
    ScriptMessageBoxAnswers({IDYES});
    dialog->N3Click(dialog->Button7);
    EXPECT_EQ(Items(), (std::vector<std::string>{"B"}));
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, 0);
    EXPECT_STREQ(ServerList[0].Address, "10.0.0.2");
    EXPECT_STREQ(ServerList[1].Address, "");

    frame.connectResult = 0;
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(Read("RIGHT", "svraddr0"), "10.0.0.2");
    EXPECT_EQ(Read("RIGHT", "svraddr1"), "");
    EXPECT_EQ(Read("RIGHT", "user0"), "");
}

TEST_F(ClientRightTest, ProgressMessagesMoveTheSliderAndAnErrorGivesTheButtonsBack)
{
    Open();
    HWND h = dialog->Handle;
    int width = dialog->Panel2->Width;
    SendMessageA(h, WM_LOGIN_SEARCH, 0, 0);
    EXPECT_TRUE(dialog->Panel2->Visible);
    EXPECT_TRUE(dialog->Timer1->Enabled);
    EXPECT_EQ(S(dialog->Label6->Caption), "搜索服务器");
    EXPECT_EQ(dialog->StageEnd, width);
    EXPECT_EQ(dialog->Target, width * 3 / 4);
    EXPECT_EQ(dialog->Image1->Left, -width);
    for (int i = 0; i < 5; ++i)
        dialog->Timer1Timer(dialog->Timer1);
    EXPECT_EQ(dialog->Image1->Left, -width + 5);

    SendMessageA(h, WM_LOGIN_CONNECT, 0, 0);
    EXPECT_EQ(S(dialog->Label6->Caption), "连接服务器");
    EXPECT_EQ(dialog->Image1->Left, -width);
    SendMessageA(h, WM_LOGIN_VERSION, 1, 1);
    EXPECT_EQ(S(dialog->Label6->Caption), "连接服务器");
    SendMessageA(h, WM_LOGIN_VERSION, 0, 0);
    EXPECT_EQ(S(dialog->Label6->Caption), "检查版本信息");

    // Markets: step index of count, from the previous stage's end; a count of
    // 0 or an index past the count are harmless.
    MarketInfoCount = 2;
    std::memcpy(MarketInfo[1].Name, "上海证券交易所", 14);
    dialog->StageEnd = 0;
    SendMessageA(h, WM_MARKET_LOADING, 4, 1);
    EXPECT_EQ(S(dialog->Label6->Caption), "同步 上海证券交易所 信息");
    EXPECT_EQ(dialog->StageEnd, width / 4);
    EXPECT_EQ(dialog->Image1->Left, -width);
    SendMessageA(h, WM_MARKET_LOADING, 4, 2);
    EXPECT_EQ(dialog->Image1->Left, width / 4 - width);
    SendMessageA(h, WM_MARKET_LOADING, 0, 0);
    SendMessageA(h, WM_MARKET_LOADING, 4, 9);
    EXPECT_EQ(dialog->StageEnd, width);
    EXPECT_EQ(S(dialog->Label6->Caption), "同步  信息");

    dialog->Button1->Enabled = false;
    dialog->Button3->Enabled = false;
    dialog->Button4->Enabled = false;
    SendMessageA(h, WM_MARKET_FAILED, 0, 0);
    EXPECT_FALSE(dialog->Panel2->Visible);
    EXPECT_FALSE(dialog->Timer1->Enabled);
    EXPECT_EQ(dialog->Running, 0);
    EXPECT_TRUE(dialog->Button1->Enabled);
    EXPECT_TRUE(dialog->Button3->Enabled);
    EXPECT_TRUE(dialog->Button4->Enabled);
    MarketInfoCount = 0;
}

TEST_F(ClientRightTest, LoginThreadLoadsTheMarketsAndTheDialogEndsWithOne)
{
    WriteServers({"[RIGHT]", "svraddr0=10.0.0.1", "company0=A", "lastindex=0"});
    Open();
    frame.onConnect = [this](HWND h) {
        // The frame's stages arrive while it connects.
        SendMessageA(h, WM_LOGIN_SEARCH, 0, 0);
        EXPECT_FALSE(dialog->Button1->Enabled);
        EXPECT_FALSE(dialog->Button3->Enabled);
        EXPECT_FALSE(dialog->Button4->Enabled);
        EXPECT_TRUE(dialog->Button2->Enabled);
    };
    std::atomic<bool> dialogGone{false};
    frame.onThread = [&](HWND h) {
        SendMessageA(h, WM_MARKET_LOADING, 2, 0);
        SendMessageA(h, WM_MARKET_LOADING, 2, 1);
        SendMessageA(h, WM_MARKETS_LOADED, 0, 0);
        // The thread goes on after the dialog is gone: its sends return at once.
        while (!dialogGone)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(SendMessageA(h, WM_MARKET_LOADING, 2, 1), 0);
        EXPECT_FALSE(IsWindow(h));
    };
    HWND h = dialog->Handle;
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrOk);
    EXPECT_NE(dialog->LoginThread, HANDLE(0));
    EXPECT_EQ(frame.threadDialog, h);
    EXPECT_NE(frame.threadId.load(), GetCurrentThreadId());
    HANDLE thread = dialog->LoginThread;
    delete dialog;
    dialog = nullptr;
    dialogGone = true;
    ASSERT_EQ(WaitForSingleObject(thread, 2000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(thread);
}

TEST_F(ClientRightTest, InReconnectModeTheThreadsCloseEndsTheDialogWithTwo)
{
    Open(1);
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_TRUE(PumpUntil([this] { return frame.finished.load(); }));
}

TEST_F(ClientRightTest, ClosingInReconnectModeStopsTheLoginThread)
{
    Open(1);
    std::atomic<bool> started{false};
    std::atomic<bool> stopped{false};
    frame.onThread = [&](HWND) {
        started = true;
        // A long login that watches for the stop.
        for (int i = 0; i < 1000 && !ThreadStopRequested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stopped = ThreadStopRequested();
    };
    int result = ShowModalThen([&] {
        dialog->Button1->Click();
        PumpUntil([&] { return started.load(); });
        dialog->Button2->Click();
    });
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(WaitForSingleObject(dialog->LoginThread, 2000), WAIT_OBJECT_0);
    EXPECT_TRUE(stopped);
}

TEST_F(ClientRightTest, AFailedConnectClosesTheDialogAndStartsNoThread)
{
    Open();
    frame.connectResult = 0;
    frame.onConnect = [](HWND h) {
        SendMessageA(h, WM_LOGIN_CONNECT, 0, 0);
        SendMessageA(h, WM_MARKET_FAILED, 0, 0);
    };
    EXPECT_EQ(ShowModalThen([this] { dialog->Button1->Click(); }), mrCancel);
    EXPECT_EQ(dialog->LoginThread, HANDLE(0));
    EXPECT_TRUE(dialog->Button1->Enabled);
}

TEST_F(ClientRightTest, OfflineAndExitButtonsGiveTheirResults)
{
    Open();
    EXPECT_EQ(ShowModalThen([this] { dialog->Button3->Click(); }), 3);
    EXPECT_EQ(ShowModalThen([this] { dialog->Button2->Click(); }), mrCancel);
    EXPECT_EQ(frame.connects, 0);
}

TEST_F(ClientRightTest, EnterInTheUserNameMovesToThePassword)
{
    Open();
    int result = ShowModalThen([this] {
        dialog->Edit1->SetFocus();
        PumpUntil([this] { return dialog->Edit1->Focused(); }, 1000);
        WORD key = VK_RETURN;
        dialog->Edit1->OnKeyDown(dialog->Edit1, key, TShiftState());
        EXPECT_EQ(key, 0);
        PumpUntil([this] { return dialog->Edit2->Focused(); }, 1000);
        EXPECT_TRUE(dialog->Edit2->Focused());
        dialog->Button2->Click();
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(frame.connects, 0);
}

// Every control lies inside its parent and overlaps none of its siblings.
void ExpectLaidOut(TWinControl *parent)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl *a = parent->Controls(i);
        if (a == static_cast<TControl *>(nullptr) || a->ClassName() == AnsiString("TImage"))
            continue;
        std::string name = std::string(a->ClassName().c_str()) + " " + S(a->Caption);
        EXPECT_GE(a->Left, 0) << name;
        EXPECT_GE(a->Top, 0) << name;
        EXPECT_LE(a->Left + a->Width, parent->ClientWidth) << name;
        EXPECT_LE(a->Top + a->Height, parent->ClientHeight) << name;
        for (int j = i + 1; j < parent->ControlCount(); ++j) {
            TControl *b = parent->Controls(j);
            if (b->ClassName() == AnsiString("TImage"))
                continue;
            bool apart = a->Left + a->Width <= b->Left || b->Left + b->Width <= a->Left ||
                         a->Top + a->Height <= b->Top || b->Top + b->Height <= a->Top;
            EXPECT_TRUE(apart) << name << " / " << b->ClassName().c_str() << " " << S(b->Caption);
        }
        if (auto *w = dynamic_cast<TWinControl *>(a))
            ExpectLaidOut(w);
    }
}

TEST_F(ClientRightTest, ControlsFitWithoutOverlapAndTheDialogRenders)
{
    WriteServers(FourServersThirdWithoutCompany());
    Open();
    dialog->Button4Click(dialog->Button4);
    dialog->CheckBox3->Checked = true;
    dialog->CheckBox3Click(dialog->CheckBox3);
    SendMessageA(dialog->Handle, WM_LOGIN_CONNECT, 0, 0);
    ExpectLaidOut(dialog);
    dialog->Show();
    App().ProcessMessages();
    QImage image = dialog->Widget()->grab().toImage();
    EXPECT_EQ(image.width(), 400);
    EXPECT_EQ(image.height(), 348);
    image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/login_dialog.png"));

    auto *add = new TForm_AddSrv(&App());
    ExpectLaidOut(add);
    add->Show();
    App().ProcessMessages();
    add->Widget()->grab().toImage().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/add_server.png"));
    delete add;
}

} // namespace
