// The login dialog, the password keypad and the comm and server-group dialogs:
// sites listed and chosen, checks in their order, the keypad's digits drawn and
// entered, sites added, deleted and their first server chosen.
#include <QImage>

#include <algorithm>
#include <filesystem>

#include "LoginFixture.h"
#include "consign/session/ui/CCommSettingsDlg.h"
#include "consign/session/ui/CPasswordPadDlg.h"
#include "consign/session/ui/CServerGroupDlg.h"
#include "consign/session/ui/CTradeLoginDlg.h"
#include "consign/session/ui/SessionDialogs.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/Random.h"

using namespace win;
using logintest::LoginFixture;
using logintest::Site;
using testsupport::ModalScript;

namespace {

class LoginDialogsTest : public LoginFixture {
protected:
    // Runs the dialog modally with `script` acting on it once it shows.
    template <class Dialog> INT_PTR RunWith(Dialog &dialog, const char *, std::function<void(HWND)> script)
    {
        ModalScript run([&dialog] { return dialog.m_hWnd; }, std::move(script));
        return dialog.DoModal();
    }
    // Dark pixels of a picture (the digits the keys draw).
    static int DarkPixels(const QImage &image)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += qGray(image.pixel(x, y)) < 60;
        return n;
    }
};

} // namespace

TEST_F(LoginDialogsTest, LoginDialogListsTheSitesAndChecksItsFields)
{
    WriteSettings({Site{"上海", {"127.0.0.1:9001", "", ""}}, Site{"北京", {"127.0.0.1:9002", "", ""}}}, "", 2);
    WritePrivateProfileStringA("Login", "SaveName", "1", SettingsPath);
    WritePrivateProfileStringA("Login", "LoginName", "8001", SettingsPath);
    std::vector<std::string> sites;
    std::vector<std::string> boxes;
    CTradeLoginDlg dialog;
    const INT_PTR result = RunWith(dialog, "登录", [&](HWND h) {
        CComboBox *list = static_cast<CComboBox *>(Item(h, 1067));
        for (int i = 0; i < list->GetCount(); ++i) {
            CString text;
            list->GetLBText(i, text);
            sites.push_back(static_cast<const char *>(text));
        }
        EXPECT_EQ(list->GetCurSel(), 1);
        EXPECT_EQ(Text(h, 1021), "8001");
        EXPECT_FALSE(Item(h, 1216)->IsWindowEnabled()) << "the site has no identity plug-in";
        Picture(h).save("login-dialog.png");
        // The checks stop at the first empty field.
        SetText(h, 1021, "");
        PressOk(h);
        QTimer::singleShot(100, [&, h] {
            SetText(h, 1021, "10000003");
            PressOk(h);
            QTimer::singleShot(100, [&, h] {
                for (const ShownMessageBox &b : ShownMessageBoxes()) {
                    boxes.push_back(b.text);
                    EXPECT_EQ(b.caption, "错误");
                }
                SetText(h, 1022, "333333");
                CWnd::FromHandle(h)->CheckDlgButton(1142, BST_UNCHECKED);
                PressOk(h);
            });
        });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(sites, (std::vector<std::string>{"上海", "北京"}));
    EXPECT_EQ(boxes, (std::vector<std::string>{"资金帐号为空", "交易密码为空"}));
    EXPECT_STREQ(dialog.m_strUser, "10000003");
    EXPECT_STREQ(dialog.m_strPassword, "333333");
    EXPECT_EQ(Key("Login", "ServerSelect"), "2");
    EXPECT_EQ(Key("Login", "SaveName"), "0");
    EXPECT_EQ(Key("Login", "LoginName"), "");
}

TEST_F(LoginDialogsTest, KeypadDrawsItsDigitsAndWritesTheField)
{
    WriteSettings({Site{"上海", {"127.0.0.1:9001", "", ""}}});
    StartSettings.randomKey = 0;
    CTradeLoginDlg login;
    ASSERT_TRUE(login.Create(IDD_TRADE_LOGIN));
    login.ShowWindow(SW_SHOW);
    std::vector<std::string> typed;
    int darkOne = 0, darkZero = 0;
    CPasswordPadDlg pad(&login);
    const INT_PTR result = RunWith(pad, "输入密码", [&](HWND h) {
        Picture(h).save("keypad.png");
        darkOne = DarkPixels(Item(h, 1163)->m_hWnd ? Picture(Item(h, 1163)->m_hWnd) : QImage());
        darkZero = DarkPixels(Picture(Item(h, 1172)->m_hWnd));
        auto press = [&](int id) {
            ::win::SendMessageA(h, WM_COMMAND, static_cast<WPARAM>(MAKELONG(static_cast<WORD>(id), BN_CLICKED)), 0);
            typed.push_back(Text(login.m_hWnd, 1022));
        };
        press(1163);
        press(1172);
        for (int i = 0; i < 9; ++i)
            press(1165);
        press(1174);
        Click(h, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(typed.size(), 12u);
    EXPECT_EQ(typed[0], "1");
    EXPECT_EQ(typed[1], "10");
    EXPECT_EQ(typed[9], "1033333333");
    EXPECT_EQ(typed[10], "1033333333") << "an eleventh digit is not taken";
    EXPECT_EQ(typed[11], "103333333");
    EXPECT_EQ(Text(login.m_hWnd, 1022), "") << "Cancel empties the field";
    EXPECT_GT(darkOne, 20);
    EXPECT_GT(darkZero, darkOne) << "the keys show different digits";
    login.DestroyWindow();
}

TEST_F(LoginDialogsTest, ShuffledKeypadUsesEveryDigitOnce)
{
    win::srand(7);
    CPasswordPadDlg::LayOutSlots(true);
    std::string digits;
    for (const PadKeySlot &slot : PadKeySlots)
        digits += slot.digit;
    std::string sorted = digits;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, "0123456789");
    EXPECT_NE(digits, "0123456789");
    CPasswordPadDlg::LayOutSlots(false);
    EXPECT_EQ(PadKeySlots[1].digit, '1');
}

TEST_F(LoginDialogsTest, CommDialogAddsDeletesAndChoosesTheFirstServer)
{
    std::vector<Site> twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back(Site{"站点" + std::to_string(i + 1), {"127.0.0.1:9001", "", ""}});
    WriteSettings(twenty);
    CCommSettingsDlg full;
    RunWith(full, "通讯设置", [&](HWND h) {
        Click(h, 1009);
        QTimer::singleShot(100, [h] { Click(h, IDCANCEL); });
    });
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"最多可以设定 20 个服务器地址"});

    // A disabled first server falls back to the next enabled one.
    RecordMessageBoxes(true);
    WriteSettings({Site{"上海", {"", "127.0.0.1:9001", "127.0.0.1:9002"}, 2}});
    CCommSettingsDlg first;
    RunWith(first, "通讯设置", [&](HWND h) {
        static_cast<CCommSettingsDlg *>(CWnd::FromHandlePermanent(h))->ChooseFirstServer(1);
        Click(h, IDCANCEL);
    });
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"服务器1已被禁用"});
    EXPECT_EQ(Key("ServerGroup1", "FirstServer"), "2");

    // Deleting the only site leaves none.
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDYES});
    CCommSettingsDlg remove;
    RunWith(remove, "通讯设置", [&](HWND h) {
        Click(h, 1061);
        QTimer::singleShot(100, [h] { Click(h, IDCANCEL); });
    });
    EXPECT_EQ(Key("Login", "ServerCount"), "0");
    EXPECT_EQ(Key("Login", "ServerSelect"), "0");
    EXPECT_EQ(Key("ServerGroup1", "ServerName"), "");
}

TEST_F(LoginDialogsTest, GroupDialogListsThePluginsAndSavesASite)
{
    WriteSettings({});
    std::filesystem::copy_file(LUMO_QVTEST, "QVTEST.DLL", std::filesystem::copy_options::overwrite_existing);
    CServerGroupDlg dialog;
    std::vector<std::string> boxes;
    const INT_PTR result = RunWith(dialog, "设置服务器", [&](HWND h) {
        SetText(h, 1222, "新站点");
        CWnd::FromHandle(h)->CheckDlgButton(1243, BST_CHECKED);
        PressOk(h);
        QTimer::singleShot(100, [&, h] {
            for (const ShownMessageBox &b : ShownMessageBoxes())
                boxes.push_back(b.text);
            SetText(h, 1240, "127.0.0.1");
            SetText(h, 1242, "9003");
            PressOk(h);
        });
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(dialog.Plugins().size(), 1u);
    EXPECT_STREQ(dialog.Plugins()[0].fileName, "QVTEST.DLL");
    EXPECT_EQ(boxes, std::vector<std::string>{"服务器3地址为空"});
    EXPECT_EQ(Key("Login", "ServerCount"), "1");
    EXPECT_EQ(Key("ServerGroup1", "FirstServer"), "3");
    EXPECT_EQ(Key("ServerGroup1", "Server3Port"), "9003");
    EXPECT_EQ(Key("ServerGroup1", "UseValidate"), "0");
}
