// The small dialogs: the prompt that closes after [Config] Warn, the
// information window with its kind and level words and its stay time, the
// cancel confirmation and the About box.
#include <cstring>
#include <vector>

#include "consign/pages/CAboutDlg.h"
#include "consign/pages/CCancelConfirmDlg.h"
#include "consign/pages/CInfoReleaseDlg.h"
#include "consign/pages/CPromptDlg.h"
#include "platform/appframe/CStatic.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Profile.h"
#include "platform/win/Window.h"
#include "tests/consign/pages/PagesFixture.h"
#include "tests/support/ModalScript.h"

using namespace win;

namespace {

HWND GetDlgItem(HWND dialog, int id)
{
    CWnd *item = CWnd::FromHandle(dialog)->GetDlgItem(id);
    return item ? item->m_hWnd : 0;
}

class PopupDialogsTest : public pagestest::PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        SetTestClock(1700000000000LL, 10000);
    }
    static std::string ItemText(HWND dialog, int id)
    {
        char text[512] = {};
        GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
        return text;
    }
    static HWND Find(const char *caption) { return FindWindowA(nullptr, caption); }
    static void Click(HWND dialog, int id)
    {
        SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), static_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
};

std::vector<BYTE> InfoRecord(BYTE kind, size_t length = 376)
{
    std::vector<BYTE> r(376, 0);
    std::memcpy(&r[14], "admin", 5);
    r[25] = kind;
    std::memcpy(&r[26], "09:30:00", 8);
    std::memcpy(&r[34], "开盘提示", 8);
    std::memcpy(&r[118], "今日开盘时间不变", 16);
    r.resize(length);
    return r;
}

TEST_F(PopupDialogsTest, PromptClosesAfterWarn)
{
    WritePrivateProfileStringA("Config", "Warn", "2000", settings.c_str());
    (new CPromptDlg("委托已发出"))->ShowText();
    const HWND prompt = Find("提示信息");
    ASSERT_NE(prompt, 0u);
    EXPECT_TRUE(IsWindowVisible(prompt));
    EXPECT_EQ(ItemText(prompt, 1104), "委托已发出");
    EXPECT_EQ(ItemText(prompt, IDOK), "关闭");
    pagestest::AdvanceClock(1900, prompt);
    pagestest::Pump(50);
    EXPECT_TRUE(IsWindow(prompt));
    pagestest::AdvanceClock(200, prompt);
    EXPECT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(prompt); }));
}

TEST_F(PopupDialogsTest, PromptButtonHidesAndTheTimerStillEndsIt)
{
    WritePrivateProfileStringA("Config", "Warn", "0", settings.c_str());
    auto *dlg = new CPromptDlg("旧");
    dlg->ShowText("新");
    const HWND prompt = Find("提示信息");
    ASSERT_NE(prompt, 0u);
    EXPECT_EQ(ItemText(prompt, 1104), "新");
    // A Warn of 0 still closes the prompt, at the timer's shortest period.
    pagestest::AdvanceClock(100, prompt);
    EXPECT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(prompt); }));
}

TEST_F(PopupDialogsTest, InformationShowsKindLevelAndFields)
{
    struct Case {
        BYTE kind;
        const char *kindText, *level;
    } cases[] = {
        {0x82, "人工", "警告"}, {0x02, "系统", "警告"}, {0x05, "系统", "未知"}, {0x81, "人工", "普通"},
        {0x03, "系统", "危险"}, {0x83, "人工", "危险"}, {0x00, "系统", "未知"}, {0xFF, "人工", "未知"},
    };
    for (const Case &c : cases) {
        const std::vector<BYTE> record = InfoRecord(c.kind);
        (new CInfoReleaseDlg(record.data(), static_cast<int>(record.size()), 5))->ShowMessage();
        const HWND info = Find("信息发布");
        ASSERT_NE(info, 0u);
        EXPECT_EQ(ItemText(info, 1119), c.kindText) << int(c.kind);
        EXPECT_EQ(ItemText(info, 1123), c.level) << int(c.kind);
        EXPECT_EQ(ItemText(info, 1118), "admin");
        EXPECT_EQ(ItemText(info, 1120), "09:30:00");
        EXPECT_EQ(ItemText(info, 1121), "开盘提示");
        EXPECT_EQ(ItemText(info, 1250), "今日开盘时间不变");
        pagestest::AdvanceClock(5000, info);
        ASSERT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(info); })) << "closes after its stay time";
    }
}

// Records of any length: what the body lacks reads as zero, and each text ends
// at its own field even when the sender filled it to the end.
TEST_F(PopupDialogsTest, ShortOrFullRecordsStayInTheirFields)
{
    std::vector<BYTE> full(600, 'A');
    full[25] = 0x81;
    (new CInfoReleaseDlg(full.data(), static_cast<int>(full.size()), 1))->ShowMessage();
    HWND info = Find("信息发布");
    ASSERT_NE(info, 0u);
    EXPECT_EQ(ItemText(info, 1118), std::string(11, 'A'));
    EXPECT_EQ(ItemText(info, 1120), std::string(8, 'A'));
    EXPECT_EQ(ItemText(info, 1121), std::string(84, 'A'));
    EXPECT_EQ(ItemText(info, 1250), std::string(258, 'A'));
    pagestest::AdvanceClock(1000, info);
    ASSERT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(info); }));

    for (size_t length : {size_t(0), size_t(20), size_t(30), size_t(120)}) {
        const std::vector<BYTE> cut = InfoRecord(0x82, length);
        (new CInfoReleaseDlg(cut.empty() ? nullptr : cut.data(), static_cast<int>(length), 1))->ShowMessage();
        info = Find("信息发布");
        ASSERT_NE(info, 0u);
        EXPECT_EQ(ItemText(info, 1123), length > 25 ? "警告" : "未知") << length;
        EXPECT_EQ(ItemText(info, 1120), length >= 34 ? "09:30:00" : length == 30 ? "09:3" : "") << length;
        EXPECT_EQ(ItemText(info, 1250), length >= 120 ? "今" : "") << length;
        pagestest::AdvanceClock(1000, info);
        ASSERT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(info); }));
    }
}

TEST_F(PopupDialogsTest, ErrorWithStayZeroWaitsForItsButtonThenGoes)
{
    (new CInfoReleaseDlg(nullptr, 0, 0))->ShowError("系统", "错误", "资金不足");
    const HWND error = Find("错误信息");
    ASSERT_NE(error, 0u);
    EXPECT_EQ(ItemText(error, 1250), "资金不足");
    EXPECT_EQ(ItemText(error, 1118), "");
    pagestest::AdvanceClock(600000, error);
    pagestest::Pump(50);
    EXPECT_TRUE(IsWindowVisible(error)) << "no timer: it stays";
    Click(error, IDOK);
    EXPECT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(error); })) << "ended with no timer: destroyed";
}

TEST_F(PopupDialogsTest, ButtonHidesAndTheTimerDestroys)
{
    const std::vector<BYTE> record = InfoRecord(0x01);
    (new CInfoReleaseDlg(record.data(), 376, 3))->ShowMessage();
    const HWND info = Find("信息发布");
    ASSERT_NE(info, 0u);
    Click(info, IDOK);
    pagestest::Pump(30);
    EXPECT_FALSE(IsWindowVisible(info));
    EXPECT_TRUE(IsWindow(info));
    pagestest::AdvanceClock(3000, info);
    EXPECT_TRUE(pagestest::PumpUntil([&] { return !IsWindow(info); }));
}

TEST_F(PopupDialogsTest, CancelConfirmationReadsTheNumber)
{
    {
        CCancelConfirmDlg dlg;
        testsupport::ModalScript script("确认撤单", [](HWND h) {
            SetWindowTextA(GetDlgItem(h, 1027), "1234");
            PostMessageA(h, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.m_nOrderNumber, 1234);
    }

    CCancelConfirmDlg refused;
    testsupport::ModalScript typo("确认撤单", [](HWND h) {
        SetWindowTextA(GetDlgItem(h, 1027), "12a");
        PostMessageA(h, WM_COMMAND, IDOK, 0);
        PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(refused.m_nOrderNumber, 0);
    EXPECT_FALSE(ShownMessageBoxes().empty()) << "the framework's number message";
}

TEST_F(PopupDialogsTest, AboutShowsTheProgramNameAndPicture)
{
    std::vector<DWORD> pixels(32 * 32, 0x3366CC);
    ASSERT_TRUE(RegisterBitmapResource(MAKEINTRESOURCEA(144), 32, 32, pixels.data()));
    CAboutDlg about("委托客户端 2.0.1");
    std::string name;
    bool picture = false;
    testsupport::ModalScript script("关于", [&](HWND h) {
        name = ItemText(h, 1144);
        picture = SendMessageA(GetDlgItem(h, 1143), STM_GETIMAGE, 0, 0) != 0;
        PostMessageA(h, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_EQ(name, "委托客户端 2.0.1");
    EXPECT_TRUE(picture);
}

} // namespace
