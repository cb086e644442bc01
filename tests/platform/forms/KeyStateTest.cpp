// The held modifier keys as a window procedure reads them while it handles a
// key: Ctrl+Enter and Enter alone tell apart.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include "FormsFixture.h"
#include "platform/forms/KeyState.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSurface.h"

using namespace win;

namespace {

SHORT controlSeen = 0, shiftSeen = 0, altSeen = 0;
int keys = 0;

LRESULT KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        controlSeen = GetKeyState(VK_CONTROL);
        shiftSeen = GetKeyState(VK_SHIFT);
        altSeen = GetKeyState(VK_MENU);
        ++keys;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(KeyState, ModifiersOfTheKeyBeingHandled)
{
    formstest::App();
    WNDCLASSA wc{};
    wc.lpfnWndProc = KeyProc;
    wc.lpszClassName = "KeyStateTest";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "KeyStateTest", "keys", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, 0, 0, 0, nullptr);
    QWidget *widget = WindowWidget(hwnd);
    ASSERT_NE(widget, nullptr);
    struct Case {
        Qt::KeyboardModifiers mods;
        bool control, shift;
    } cases[] = {{Qt::ControlModifier, true, false},
                 {Qt::NoModifier, false, false},
                 {Qt::ShiftModifier | Qt::ControlModifier, true, true}};
    for (const Case &c : cases) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, c.mods);
        QCoreApplication::sendEvent(widget, &press);
        EXPECT_EQ(controlSeen < 0, c.control);
        EXPECT_EQ(shiftSeen < 0, c.shift);
    }
    EXPECT_EQ(keys, 3);
    // Keys other than the modifiers read as up.
    EXPECT_EQ(GetKeyState('A'), 0);

    // A posted key reads the keyboard's state, which a test may hold; Qt input
    // keeps the state it came with.
    SetTestKeyDown(VK_MENU, true);
    PostMessageA(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(formstest::PumpUntil([] { return keys == 4; }));
    EXPECT_LT(altSeen, 0);
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &plain);
    EXPECT_EQ(altSeen, 0);
    SetTestKeyDown(VK_MENU, false);
    PostMessageA(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(formstest::PumpUntil([] { return keys == 6; }));
    EXPECT_EQ(altSeen, 0);
    DestroyWindow(hwnd);
}

} // namespace
