// Shared by the tests of the desktop services (tray icon, hot key): the test
// program's application, an event loop that runs until a condition holds, and a
// top-level window that keeps the messages posted to it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win/Window.h"
#include "tests/support/TestApplication.h"

namespace servicestest {

inline win::TApplication &App() { return testsupport::TestApplication("test_platform_appframe"); }

inline bool PumpUntil(const std::function<bool()> &done, int ms = 5000)
{
    return testsupport::PumpUntil(App(), done, ms);
}

// A window that notes the messages of `kind` it receives.
class MessageWindow {
public:
    explicit MessageWindow(win::UINT kind, win::DWORD style = win::WS_OVERLAPPEDWINDOW | win::WS_VISIBLE)
    {
        App();
        static const bool registered = [] {
            win::WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = "ServicesTestWindow";
            return win::RegisterClassA(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        Kind() = kind;
        Seen().clear();
        hwnd = win::CreateWindowExA(0, "ServicesTestWindow", "services", style, 0, 0, 120, 80, 0, 0, 0, nullptr);
    }
    ~MessageWindow()
    {
        if (win::IsWindow(hwnd))
            win::DestroyWindow(hwnd);
    }
    MessageWindow(const MessageWindow &) = delete;
    MessageWindow &operator=(const MessageWindow &) = delete;

    // The messages of the kind received so far.
    static std::vector<win::MSG> &Seen()
    {
        static std::vector<win::MSG> seen;
        return seen;
    }

    win::HWND hwnd = 0;

private:
    static win::UINT &Kind()
    {
        static win::UINT kind = 0;
        return kind;
    }
    static win::LRESULT Proc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
    {
        if (msg == Kind())
            Seen().push_back(win::MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
        return win::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

} // namespace servicestest
