// The options page (options read and written, the enabling rules, the three
// password changes against the simulated gateway and the sample identity
// plug-in), the hot-key page's variety table, and the pop-ups the options allow
// for what the gateway announces.
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/CKJJ.h"
#include "consign/pages/COtherPage.h"
#include "consign/pages/InfoPopups.h"
#include "consign/pages/VarietyName.h"
#include "consign/session/Des.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/Profile.h"
#include "platform/win/Window.h"
#include "tests/consign/pages/PagesFixture.h"
#include "tests/consign/session/SessionRecorder.h"
#include "tests/support/GatewayPeer.h"

using namespace win;

namespace {

// The sheet's part in the pop-ups: what the session reports goes to the
// options' pop-up rules.
class PopupListener : public RecordingListener {
public:
    explicit PopupListener(COtherPage &options) : options_(options) {}
    void ShowInformation(const BYTE *body, int length, bool manual) override
    {
        RecordingListener::ShowInformation(body, length, manual);
        PopUpInformation(options_, body, length, manual, nullptr);
    }
    void ShowErrorInformation(LPCSTR text) override
    {
        RecordingListener::ShowErrorInformation(text);
        PopUpError(options_, text, nullptr);
    }
    void ShowExchangeState(LPCSTR text) override
    {
        RecordingListener::ShowExchangeState(text);
        PopUpExchangeState(options_, text, nullptr);
    }

private:
    COtherPage &options_;
};

std::string Hex(const char *text)
{
    std::string s;
    char two[3];
    for (const char *p = text; *p; ++p) {
        std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(*p));
        s += two;
    }
    return s;
}

class OptionPagesTest : public pagestest::PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        ASSERT_EQ(DesInit(0), 0);
        ASSERT_TRUE(AfxSocketInit());
        HotKeyText = "CTRL+F12";
        ClientMode = 7;
        LoginAccount = "10000001";
        std::memset(&LoginConnection, 0, sizeof LoginConnection);
        TheTradeSession().m_pListener = &listener;
    }
    void TearDown() override
    {
        TheTradeSession().m_pListener = nullptr;
        TheTradeSession().Close();
        if (sheet.m_hWnd)
            sheet.DestroyWindow();
        PagesFixture::TearDown();
    }
    // The page in a sheet of its own, shown.
    void OpenPage(CPropertyPage &page)
    {
        sheet.AddPage(&page);
        ASSERT_TRUE(sheet.Create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
        pagestest::Pump(20);
    }
    bool LogIn(const char *account, const char *password, BYTE kind)
    {
        if (!gateway.StartGateway({"--control", "0"}, "gateway.log"))
            return false;
        CTradeSession &s = TheTradeSession();
        if (!s.Create())
            return false;
        s.m_TargetAddress = "127.0.0.1";
        s.m_TargetPort = static_cast<UINT>(gateway.Port());
        CString rights, number;
        return s.Connect("127.0.0.1", static_cast<UINT>(gateway.Port()), nullptr, nullptr) &&
               s.Login('*', kind, account, password, rights, number);
    }
    // Lines of the gateway's log of packets it received with this code.
    static std::vector<std::string> Received(int code)
    {
        std::vector<std::string> lines;
        std::string text = pagestest::ReadFile("gateway.log"), line;
        const std::string mark = "\"code\": " + std::to_string(code) + ",";
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = text.find('\n', at);
            line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (line.find("\"dir\": \"in\"") != std::string::npos && line.find(mark) != std::string::npos)
                lines.push_back(line);
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }
    void ChangePassword(COtherPage &page, int kind, const char *oldPassword, const char *newPassword,
                        const char *confirm)
    {
        page.m_nPasswordKind = kind;
        page.UpdateData(FALSE);
        page.SetDlgItemText(1001, oldPassword);
        page.SetDlgItemText(1002, newPassword);
        page.SetDlgItemText(1003, confirm);
        Click(page, 1010);
    }
    static void Click(CWnd &page, int id)
    {
        page.SendMessage(WM_COMMAND, static_cast<WPARAM>(id) | (static_cast<WPARAM>(BN_CLICKED) << 16), static_cast<LPARAM>(page.GetDlgItem(id)->m_hWnd));
    }
    // A check box clicked by the user: its state flips, then its command.
    static void Toggle(CWnd &page, int id)
    {
        page.CheckDlgButton(id, page.IsDlgButtonChecked(id) ? 0 : 1);
        Click(page, id);
    }
    static std::string Text(CWnd &page, int id)
    {
        CString text;
        page.GetDlgItemText(id, text);
        return static_cast<LPCSTR>(text);
    }
    static std::string LastBox()
    {
        const auto &boxes = ShownMessageBoxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
    static bool Enabled(CWnd &page, int id) { return page.GetDlgItem(id)->IsWindowEnabled() != FALSE; }

    CPropertySheet sheet{"选项"};
    COtherPage options;
    PopupListener listener{options};
    ChildPeer gateway;
};

TEST_F(OptionPagesTest, OptionsReadAsZeroOrOneAndAreWrittenBack)
{
    const std::string file = "[Config]\r\nInfoPopup=2\r\nSystemInfo=1\r\nManualInfo=1\r\nErrorInfo=1\r\n"
                             "SysModal=7\r\nInfoWindowStay=1000\r\n";
    pagestest::WriteFile(settings, file);
    ClientMode = 1;
    OpenPage(options);
    EXPECT_EQ(options.IsDlgButtonChecked(1124), 0u) << "2 is not on";
    EXPECT_EQ(options.IsDlgButtonChecked(1125), 1u);
    EXPECT_FALSE(Enabled(options, 1125));
    EXPECT_FALSE(Enabled(options, 1126));
    EXPECT_FALSE(Enabled(options, 1128));
    EXPECT_TRUE(Enabled(options, 1244)) << "error information stays enabled";
    EXPECT_FALSE(Enabled(options, 1223)) << "no fund password in trader mode";
    EXPECT_EQ(Text(options, 1051), "按 CTRL+F12 隐藏，再按一次显示");
    EXPECT_EQ(listener.status.back(), "本页可以修改密码");
    EXPECT_EQ(options.m_nStay, 999) << "a stored stay time beyond the field's range";

    Toggle(options, 1124);
    EXPECT_EQ(options.m_bPopup, 1);
    EXPECT_TRUE(Enabled(options, 1125));
    EXPECT_TRUE(Enabled(options, 1128));
    Toggle(options, 1124);
    EXPECT_FALSE(Enabled(options, 1244)) << "unchecking disables it with the others";

    options.SaveOptions();
    char text[16];
    for (const char *key : {"InfoPopup", "SysModal"}) {
        GetPrivateProfileStringA("Config", key, "", text, sizeof text, settings.c_str());
        EXPECT_STREQ(text, "0") << key;
    }
    GetPrivateProfileStringA("Config", "SystemInfo", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "1");
    GetPrivateProfileStringA("Config", "InfoWindowStay", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "999");

    options.SetDlgItemText(1128, "1000");
    EXPECT_EQ(LastBox(), "请输入一个介于 0 和 999 之间的整数。");
}

TEST_F(OptionPagesTest, TradeAndFundPasswordsGoToTheGateway)
{
    ASSERT_TRUE(LogIn("10000001", "111111", 7));
    OpenPage(options);
    EXPECT_TRUE(Enabled(options, 1223));

    ChangePassword(options, 0, "111111", "222222", "222222");
    EXPECT_EQ(listener.status.back(), "交易密码修改成功");
    ASSERT_EQ(Received(54).size(), 1u);
    EXPECT_NE(Received(54)[0].find(Hex("111111")), std::string::npos);
    EXPECT_NE(Received(54)[0].find(Hex("222222")), std::string::npos);
    EXPECT_EQ(Text(options, 1001), "") << "the fields are emptied";
    EXPECT_EQ(Text(options, 1003), "");

    ChangePassword(options, 0, "999999", "333333", "333333");
    EXPECT_NE(listener.status.back(), "交易密码修改成功");
    EXPECT_EQ(listener.status.back(), std::string(TheTradeSession().m_szMessage)) << "the gateway's refusal";

    ChangePassword(options, 0, "222222", "444444", "444445");
    EXPECT_EQ(listener.status.back(), "两次输入的密码不一致");
    pagestest::Pump(200);
    EXPECT_EQ(Received(54).size(), 2u) << "nothing sent for a mismatch";

    ChangePassword(options, 1, "111111", "121212", "121212");
    EXPECT_EQ(listener.status.back(), "资金密码修改成功");
    bool procedure = false;
    for (const std::string &line : Received(88))
        procedure |= line.find(Hex("change_zjmm")) != std::string::npos;
    EXPECT_TRUE(procedure);
}

TEST_F(OptionPagesTest, CommunicationPasswordGoesThroughThePlugin)
{
    OpenPage(options);
    ChangePassword(options, 2, "1234", "5678", "5678");
    EXPECT_EQ(LastBox(), "没有设置身份验证！");

    LoginConnection.identityInUse = 1;
    std::snprintf(LoginConnection.identityLibrary, sizeof LoginConnection.identityLibrary, "%s", LUMO_QVTEST);
    ChangePassword(options, 2, "1234", "5678", "5678");
    EXPECT_EQ(LastBox(), "通讯密码修改成功！");
    ChangePassword(options, 2, "0000", "9999", "9999");
    EXPECT_EQ(LastBox(), "wrong old password") << "the plug-in's own text";
}

TEST_F(OptionPagesTest, InformationPopsUpAsTheOptionsAllow)
{
    pagestest::WriteFile(settings, "[Config]\r\nInfoPopup=1\r\nManualInfo=1\r\nErrorInfo=1\r\nInfoWindowStay=0\r\n");
    ASSERT_TRUE(LogIn("10000001", "111111", 7));
    OpenPage(options);
    auto info = [&](int level, bool manual) {
        return GatewayCommand(gateway.ControlPort(),
                              "{\"cmd\": \"info\", \"level\": " + std::to_string(level) +
                                  ", \"manual\": " + (manual ? "true" : "false") +
                                  ", \"sender\": \"admin\", \"subject\": \"\\u5f00\\u76d8\", "
                                  "\"message\": \"\\u4eca\\u65e5\\u7167\\u5e38\"}");
    };
    ASSERT_NE(info(2, true).find("\"ok\": true"), std::string::npos);
    ASSERT_TRUE(pagestest::PumpUntil([] { return FindWindowA(nullptr, "信息发布") != 0; }));
    const HWND shown = FindWindowA(nullptr, "信息发布");
    CWnd *window = CWnd::FromHandle(shown);
    EXPECT_EQ(Text(*window, 1119), "人工");
    EXPECT_EQ(Text(*window, 1123), "警告");
    EXPECT_EQ(Text(*window, 1118), "admin");
    EXPECT_EQ(Text(*window, 1121), "开盘");
    EXPECT_EQ(Text(*window, 1250), "今日照常");
    QWidget *widget = WindowWidget(shown);
    ASSERT_NE(widget, nullptr);
    widget->grab().save(QString::fromStdString(std::string(LUMO_TEST_BINARY_DIR) + "/information.png"));
    Click(*window, IDOK);
    ASSERT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(shown); })) << "stay 0: gone after its button";

    // System information is off: nothing opens.
    ASSERT_NE(info(5, false).find("\"ok\": true"), std::string::npos);
    ASSERT_TRUE(pagestest::PumpUntil([&] { return listener.Count("information") >= 2; }));
    pagestest::Pump(100);
    EXPECT_EQ(FindWindowA(nullptr, "信息发布"), 0u);

    // Manual information off as well: nothing for manual ones either.
    Toggle(options, 1126);
    ASSERT_EQ(options.m_bManualInfo, 0);
    info(2, true);
    ASSERT_TRUE(pagestest::PumpUntil([&] { return listener.Count("information") >= 3; }));
    pagestest::Pump(100);
    EXPECT_EQ(FindWindowA(nullptr, "信息发布"), 0u);

    EXPECT_TRUE(PopUpError(options, "资金不足", nullptr));
    const HWND error = FindWindowA(nullptr, "错误信息");
    ASSERT_NE(error, 0u);
    DestroyWindow(error);
}

TEST_F(OptionPagesTest, HotKeyRowIsEditedAndLookedUp)
{
    pagestest::WriteFile(settings, "[Variety key]\r\n0=c\r\n[Variety name]\r\n0=玉米\r\n");
    CKJJ hotKeys;
    OpenPage(hotKeys);
    EXPECT_EQ(listener.status.back(), "设置快捷键");
    EXPECT_EQ(hotKeys.m_List.GetItemCount(), 10);
    EXPECT_EQ(std::string(hotKeys.m_List.GetItemText(0, 1)), "c");
    EXPECT_EQ(std::string(hotKeys.m_List.GetItemText(0, 2)), "玉米");

    NMITEMACTIVATE activate{};
    activate.hdr = NMHDR{hotKeys.m_List.m_hWnd, 1293, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = 1;
    hotKeys.SendMessage(WM_NOTIFY, 1293, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(Text(hotKeys, 1294), "1");
    EXPECT_EQ(CWnd::GetFocus(), &hotKeys.m_CodeEdit);
    hotKeys.SetDlgItemText(1295, "cu");
    hotKeys.SetDlgItemText(1296, "铜");
    Click(hotKeys, 1297);
    char text[32];
    GetPrivateProfileStringA("Variety key", "1", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "cu");
    GetPrivateProfileStringA("Variety name", "1", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "铜");
    EXPECT_EQ(std::string(hotKeys.m_List.GetItemText(1, 1)), "cu");
    EXPECT_EQ(std::string(hotKeys.m_List.GetItemText(1, 2)), "铜");
    EXPECT_EQ(Text(hotKeys, 1294), "") << "the edits are emptied";

    EXPECT_EQ(std::string(LookupVarietyName("cu2512")), "铜") << "the longest prefix";
    EXPECT_EQ(std::string(LookupVarietyName("c2601")), "玉米");

    // A double click outside the rows does nothing.
    activate.iItem = -1;
    hotKeys.SendMessage(WM_NOTIFY, 1293, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(Text(hotKeys, 1294), "");
}

} // namespace
