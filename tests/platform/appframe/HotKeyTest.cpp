// Global hot keys: without a display the program's own key presses fire them; the
// recorder keeps them without touching the keyboard; on an X server of the test's
// own (Xvfb) the desktop-wide grab catches keys pressed through XTest, also with
// Caps Lock on, and another client's grab of the same combination refuses the
// registration.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "ServicesFixture.h"
#include "platform/appframe/HotKey.h"
#include "platform/forms/FormTypes.h"
#include "tests/support/PeerProcess.h"

using namespace win;
using servicestest::MessageWindow;
using servicestest::PumpUntil;

namespace {

// Counts the key presses that reach it.
class KeyCounter : public QWidget {
public:
    int presses = 0;

protected:
    void keyPressEvent(QKeyEvent *) override { ++presses; }
};

void SendKey(QWidget *widget, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &press);
}

// Sets (or with null removes) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            saved_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { saved_ ? setenv(name_.c_str(), saved_->c_str(), 1) : unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Unregisters the hot key when the test ends, also after a failed assertion.
struct HotKeyGuard {
    HWND hwnd;
    int id;
    ~HotKeyGuard() { UnregisterHotKey(hwnd, id); }
};

constexpr UINT kCtrlShift = MOD_CONTROL | MOD_SHIFT;
const LPARAM kCtrlShiftF12 = MAKELONG(WORD(kCtrlShift), VK_F12);

} // namespace

TEST(HotKeyTest, WithoutADisplayTheProgramsOwnKeyPressesFireIt)
{
    ScopedEnv noDisplay("DISPLAY", nullptr);
    MessageWindow window(WM_HOTKEY);
    KeyCounter widget;
    EXPECT_FALSE(RegisterHotKey(0x7FFFFFF0u, 256, kCtrlShift, VK_F12));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    ASSERT_TRUE(RegisterHotKey(window.hwnd, 256, kCtrlShift, VK_F12));
    HotKeyGuard guard{window.hwnd, 256};
    const struct {
        int id;
        UINT modifiers;
        UINT vk;
    } taken[] = {{256, MOD_ALT, VK_F11}, {257, kCtrlShift, VK_F12}};
    for (const auto &t : taken) {
        EXPECT_FALSE(RegisterHotKey(window.hwnd, t.id, t.modifiers, t.vk));
        EXPECT_EQ(GetLastError(), ERROR_HOTKEY_ALREADY_REGISTERED);
    }

    SendKey(&widget, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(widget.presses, 1);
    SendKey(&widget, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(widget.presses, 1);
    ASSERT_TRUE(PumpUntil([] { return !MessageWindow::Seen().empty(); }));
    EXPECT_EQ(MessageWindow::Seen()[0].wParam, 256u);
    EXPECT_EQ(MessageWindow::Seen()[0].lParam, kCtrlShiftF12);

    EXPECT_TRUE(UnregisterHotKey(window.hwnd, 256));
    EXPECT_FALSE(UnregisterHotKey(window.hwnd, 256));
    EXPECT_EQ(GetLastError(), ERROR_HOTKEY_NOT_REGISTERED);
    SendKey(&widget, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(widget.presses, 2);
}

TEST(HotKeyTest, RecorderKeepsRegistrationsAndPressesWithoutTouchingTheKeyboard)
{
    MessageWindow window(WM_HOTKEY);
    KeyCounter widget;
    RecordHotKeys(true);
    ASSERT_TRUE(RegisterHotKey(window.hwnd, 256, kCtrlShift, VK_F12));
    EXPECT_FALSE(RegisterHotKey(window.hwnd, 257, kCtrlShift, VK_F12));
    SendKey(&widget, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(widget.presses, 1);

    EXPECT_FALSE(PressHotKey(MOD_CONTROL, VK_F12));
    EXPECT_TRUE(PressHotKey(kCtrlShift, VK_F12));
    ASSERT_TRUE(PumpUntil([] { return !MessageWindow::Seen().empty(); }));
    EXPECT_EQ(MessageWindow::Seen()[0].wParam, 256u);
    EXPECT_EQ(MessageWindow::Seen()[0].lParam, kCtrlShiftF12);

    auto record = RecordedHotKeys();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record[0].modifiers, kCtrlShift);
    EXPECT_EQ(record[0].vk, VK_F12);
    EXPECT_TRUE(record[0].result);
    EXPECT_EQ(record[1].id, 257);
    EXPECT_FALSE(record[1].result);
    RecordHotKeys(false);
    EXPECT_FALSE(PressHotKey(kCtrlShift, VK_F12));
}

// The X half needs Xlib's names, whose macros clash with Qt's: it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Presses `key` while holding `modifiers`, through XTest on `display`.
void Press(Display *display, std::initializer_list<KeySym> modifiers, KeySym key)
{
    for (KeySym m : modifiers)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, m), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
    for (KeySym m : modifiers)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, m), False, CurrentTime);
    XSync(display, False);
}

bool refused = false;
int NoteError(Display *, XErrorEvent *error)
{
    refused = refused || error->error_code == BadAccess;
    return 0;
}

// Grabs the combination as another program would; false when X refuses.
bool GrabAsAnotherClient(Display *display, KeySym key, unsigned mask)
{
    refused = false;
    XErrorHandler previous = XSetErrorHandler(NoteError);
    XGrabKey(display, XKeysymToKeycode(display, key), mask, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display, False);
    XSetErrorHandler(previous);
    return !refused;
}

struct CloseDisplay {
    void operator()(Display *d) const { XCloseDisplay(d); }
};

} // namespace

TEST(HotKeyTest, OnAnXServerTheGrabCatchesKeysAndAnotherClientsGrabRefusesIt)
{
    if (::access("/usr/bin/Xvfb", X_OK) != 0)
        GTEST_SKIP() << "no Xvfb";
    peersupport::PeerProcess xvfb;
    std::string number;
    ASSERT_TRUE(xvfb.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"},
                           &number));
    ASSERT_FALSE(number.empty());
    const std::string name = ":" + number;
    std::unique_ptr<Display, CloseDisplay> other(XOpenDisplay(name.c_str()));
    ASSERT_TRUE(other);
    ScopedEnv display("DISPLAY", name.c_str());
    MessageWindow window(WM_HOTKEY);

    ASSERT_TRUE(RegisterHotKey(window.hwnd, 256, kCtrlShift, VK_F12));
    HotKeyGuard guard{window.hwnd, 256};
    Press(other.get(), {XK_Control_L, XK_Shift_L}, XK_F12);
    ASSERT_TRUE(PumpUntil([] { return MessageWindow::Seen().size() == 1; }));
    EXPECT_EQ(MessageWindow::Seen()[0].wParam, 256u);
    EXPECT_EQ(MessageWindow::Seen()[0].lParam, kCtrlShiftF12);

    Press(other.get(), {}, XK_Caps_Lock);
    Press(other.get(), {XK_Control_L, XK_Shift_L}, XK_F12);
    Press(other.get(), {}, XK_Caps_Lock);
    ASSERT_TRUE(PumpUntil([] { return MessageWindow::Seen().size() == 2; }));

    // A combination another program holds is a conflict; ours stays.
    ASSERT_TRUE(GrabAsAnotherClient(other.get(), XK_F11, ControlMask | Mod1Mask));
    EXPECT_FALSE(RegisterHotKey(window.hwnd, 257, MOD_CONTROL | MOD_ALT, VK_F11));
    EXPECT_EQ(GetLastError(), ERROR_HOTKEY_ALREADY_REGISTERED);
    EXPECT_FALSE(GrabAsAnotherClient(other.get(), XK_F12, ControlMask | ShiftMask));

    // Unregistered, the combination is free for others again.
    ASSERT_TRUE(UnregisterHotKey(window.hwnd, 256));
    EXPECT_TRUE(GrabAsAnotherClient(other.get(), XK_F12, ControlMask | ShiftMask));
}
