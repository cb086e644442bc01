// Synthesised key presses reach the focused window, through the application's
// hook, with Win32's key parameters: the extended bit, the previous-state bit of
// a key held down, the release bits, and Alt turning keys into system keys.
#include <gtest/gtest.h>

#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TEdit.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TClipboard.h"
#include "platform/win/KeyInput.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

struct Key {
    HWND hwnd;
    UINT msg;
    WPARAM key;
    LPARAM lParam;
};

using KeyInputTest = formstest::ControlsOnForm;

TEST_F(KeyInputTest, SynthesisedKeysReachTheFocusedWindow)
{
    auto *edit = Add<TEdit>();
    edit->SetBounds(10, 10, 100, 22);
    form->Show();
    edit->SetFocus();
    ASSERT_TRUE(formstest::PumpUntil([edit] { return GetFocus() == edit->Handle; }));
    std::vector<Key> keys;
    formstest::App().OnMessage = [&keys](MSG &m, bool &handled) {
        if (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYDOWN ||
            m.message == WM_SYSKEYUP) {
            keys.push_back({m.hwnd, m.message, m.wParam, m.lParam});
            handled = true;
        }
    };

    constexpr BYTE up = 0x26, menu = 0x12, f10 = 0x79;
    keybd_event(up, 0x48, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(up, 0x48, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(up, 0x48, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    keybd_event(f10, 0, 0, 0);
    keybd_event(f10, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(menu, 0, 0, 0);
    keybd_event('A', 0, 0, 0);
    keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
    keybd_event(menu, 0, KEYEVENTF_KEYUP, 0);
    keybd_event('A', 0, 0, 0);
    keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
    const bool all = formstest::PumpUntil([&keys] { return keys.size() == 11; });
    formstest::App().OnMessage = nullptr;
    ASSERT_TRUE(all);

    const LPARAM ext = LPARAM(1) << 24, alt = LPARAM(1) << 29, prev = LPARAM(1) << 30, rel = LPARAM(1) << 31;
    const Key expected[] = {
        {0, WM_KEYDOWN, up, 1 | (0x48 << 16) | ext},
        {0, WM_KEYDOWN, up, 1 | (0x48 << 16) | ext | prev},
        {0, WM_KEYUP, up, 1 | (0x48 << 16) | ext | prev | rel},
        {0, WM_SYSKEYDOWN, f10, 1},
        {0, WM_SYSKEYUP, f10, 1 | prev | rel},
        {0, WM_SYSKEYDOWN, menu, 1 | alt},
        {0, WM_SYSKEYDOWN, 'A', 1 | alt},
        {0, WM_SYSKEYUP, 'A', 1 | alt | prev | rel},
        {0, WM_KEYUP, menu, 1 | prev | rel},
        {0, WM_KEYDOWN, 'A', 1},
        {0, WM_KEYUP, 'A', 1 | prev | rel},
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].hwnd, edit->Handle) << i;
        EXPECT_EQ(keys[i].msg, expected[i].msg) << i;
        EXPECT_EQ(keys[i].key, expected[i].key) << i;
        EXPECT_EQ(keys[i].lParam, expected[i].lParam) << i;
    }
}

TEST_F(KeyInputTest, PrintScreenPutsThePictureOfTheFrameOnTheClipboard)
{
    form->Color = clRed;
    form->Show();
    form->SetFocus();
    ASSERT_TRUE(formstest::PumpUntil([this] { return bool(form->Visible); }));
    Clipboard()->AsText = "text before";
    ASSERT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    constexpr BYTE snapshot = 0x2C;
    keybd_event(snapshot, 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(snapshot, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap picture;
    ASSERT_TRUE(picture.Assign(Clipboard()));
    EXPECT_EQ(picture.Width, form->Width);
    EXPECT_EQ(picture.Height, form->Height);
    EXPECT_EQ(GetPixel(picture.Canvas->Handle, picture.Width / 2, picture.Height / 2), RGB(255, 0, 0));
    formstest::App().ProcessMessages();
}

} // namespace
