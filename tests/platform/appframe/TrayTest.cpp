// Tray icons: adding, changing and removing a window's icon, clicks coming back
// as the icon's callback message, the tip cut as Windows shows it, and the
// minimised window where the desktop has no tray.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ServicesFixture.h"
#include "platform/appframe/Tray.h"

using namespace win;
using servicestest::MessageWindow;
using servicestest::PumpUntil;

namespace {

constexpr UINT kCallback = WM_USER + 1;

NOTIFYICONDATAA IconData(HWND hwnd, const std::string &tip)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd;
    data.uID = 201;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = 7;
    std::memcpy(data.szTip, tip.data(), std::min(tip.size(), sizeof data.szTip));
    return data;
}

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct RecordTray {
    RecordTray() { RecordTrayIcons(true); }
    ~RecordTray() { RecordTrayIcons(false); }
};

} // namespace

TEST(TrayTest, IconLivesFromAddToDeleteAndClicksPostItsCallback)
{
    MessageWindow window(kCallback);
    RecordTray tray;
    NOTIFYICONDATAA data = IconData(window.hwnd, "交易委托");
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));

    std::memset(data.szTip, 0, sizeof data.szTip);
    std::strcpy(data.szTip, "已连接");
    data.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));

    ASSERT_TRUE(ClickTrayIcon(window.hwnd, 201, WM_LBUTTONDBLCLK));
    EXPECT_FALSE(ClickTrayIcon(window.hwnd, 202, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(PumpUntil([] { return !MessageWindow::Seen().empty(); }));
    EXPECT_EQ(MessageWindow::Seen()[0].wParam, 201u);
    EXPECT_EQ(MessageWindow::Seen()[0].lParam, LPARAM(WM_LBUTTONDBLCLK));

    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_FALSE(ClickTrayIcon(window.hwnd, 201, WM_LBUTTONDBLCLK));

    auto calls = RecordedTrayCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].message, NIM_ADD);
    EXPECT_EQ(calls[0].uCallbackMessage, kCallback);
    EXPECT_EQ(calls[0].hIcon, 7u);
    EXPECT_EQ(calls[0].tip, "交易委托");
    EXPECT_TRUE(calls[0].result);
    EXPECT_FALSE(calls[1].result);
    EXPECT_EQ(calls[2].message, NIM_MODIFY);
    EXPECT_EQ(calls[2].tip, "已连接");
    EXPECT_EQ(calls[3].message, NIM_DELETE);
    EXPECT_TRUE(calls[3].result);
}

TEST(TrayTest, TipIsCutToSixtyThreeBytesOnACharacterBoundary)
{
    MessageWindow window(kCallback);
    const struct {
        std::string tip;  // the bytes put into the 64-byte field
        std::string shown;
    } cases[] = {
        {Repeat("委", 31) + "A", Repeat("委", 31) + "A"},  // 63 bytes and the NUL
        {Repeat("委", 32), Repeat("委", 31)},              // 64 bytes, no NUL
        {"A" + Repeat("委", 32), "A" + Repeat("委", 31)},  // the 63rd byte leads a character
    };
    for (const auto &c : cases) {
        RecordTray tray;
        NOTIFYICONDATAA data = IconData(window.hwnd, c.tip);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
        EXPECT_EQ(RecordedTrayCalls().at(0).tip, c.shown) << c.tip.size();
    }
}

TEST(TrayTest, IconOfADestroyedWindowCanStillBeDeleted)
{
    RecordTray tray;
    NOTIFYICONDATAA data;
    {
        MessageWindow window(kCallback);
        data = IconData(window.hwnd, "x");
        ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    }
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data));
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
}

TEST(TrayTest, WithoutATrayAddingFailsAndTheHiddenWindowIsMinimised)
{
    MessageWindow window(kCallback);
    ShowWindow(window.hwnd, SW_HIDE);
    ASSERT_FALSE(IsWindowVisible(window.hwnd));
    NOTIFYICONDATAA data = IconData(window.hwnd, "交易委托");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(window.hwnd) && IsIconic(window.hwnd); }));
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data));
}
