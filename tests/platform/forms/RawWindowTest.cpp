// Raw windows (CreateWindowExA alone) hosted on widgets: the size on creation,
// painting through BeginPaint on the window's image, placement calls and
// destruction with the parent.
#include <gtest/gtest.h>

#include <QWidget>

#include <vector>

#include "FormsFixture.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSurface.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

std::vector<MSG> seen;

LRESULT RawProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    seen.push_back(MSG{hwnd, msg, wParam, lParam, 0, {0, 0}});
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH b = CreateSolidBrush(RGB(0, 128, 0));
        RECT r{0, 0, 4, 4};
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool Saw(HWND hwnd, UINT msg)
{
    for (const MSG &m : seen)
        if (m.hwnd == hwnd && m.message == msg)
            return true;
    return false;
}

TEST(RawWindowTest, HostedWindowSizesPaintsAndMoves)
{
    App();
    for (const char *name : {"RawPlain", "RawDbl"}) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RawProc;
        wc.lpszClassName = name;
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
    seen.clear();
    HWND top = CreateWindowExA(0, "RawPlain", "窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, 0, 0, 0,
                               nullptr);
    ASSERT_NE(top, 0u);
    ASSERT_FALSE(seen.empty());
    auto size = std::find_if(seen.begin(), seen.end(), [](const MSG &m) { return m.message == WM_SIZE; });
    ASSERT_NE(size, seen.end());
    EXPECT_EQ(size->lParam, MAKELONG(200, 100));
    RECT rc;
    ASSERT_TRUE(GetClientRect(top, &rc));
    EXPECT_EQ(rc.right, 200);

    HWND child = CreateWindowExA(0, "RawDbl", nullptr, WS_CHILD, 10, 10, 50, 20, top, 0, 0, nullptr);
    ASSERT_TRUE(SetWindowPos(child, 0, 20, 30, 60, 40, SWP_NOACTIVATE | SWP_SHOWWINDOW));
    RECT cr;
    GetClientRect(child, &cr);
    EXPECT_EQ(cr.right, 60);
    EXPECT_EQ(cr.bottom, 40);
    EXPECT_TRUE(IsWindowVisible(child));
    RedrawWindow(child, nullptr, 0, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(Saw(child, WM_PAINT));
    HDC dc = GetDC(child);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 128, 0));
    ReleaseDC(child, dc);

    DestroyWindow(top);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(Saw(child, WM_NCDESTROY));
    PumpUntil([] { return false; }, 50);
}

TEST(RawWindowTest, PopUpsHaveATitleBarOnlyWithACaption)
{
    App();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "RawFrames";
    RegisterClassA(&wc);
    struct Case {
        DWORD style;
        bool frameless;
    } cases[] = {{WS_POPUP, true}, {WS_POPUP | WS_BORDER, true}, {WS_POPUP | WS_CAPTION, false},
                 {WS_OVERLAPPEDWINDOW, false}};
    for (const Case &c : cases) {
        HWND hwnd = CreateWindowExA(0, "RawFrames", "对话框", c.style, 0, 0, 120, 80, 0, 0, 0, nullptr);
        ASSERT_NE(hwnd, 0u);
        QWidget *w = WindowWidget(hwnd);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->windowFlags().testFlag(Qt::FramelessWindowHint), c.frameless) << std::hex << c.style;
        DestroyWindow(hwnd);
    }
}

} // namespace
