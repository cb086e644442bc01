// The raw window base and the tip window on hosted windows: messages routed by
// the handle map, the client size, self-deletion, text measuring, and the tip's
// size, place, re-parenting and picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumon/core/EToolTip.h"
#include "lumon/core/EWnd.h"
#include "platform/forms/TApplication.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "test_lumon_core";
    static char *argv[] = {name, nullptr};
    static auto *app = new TApplication(argc, argv);
    (void)app;
}

// A top-level window to hold the test windows.
HWND MakeParent()
{
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "EWnd Test Parent";
        return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "EWnd Test Parent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, 0, 0,
                           0, nullptr);
}

class RecordingWnd : public EWnd {
public:
    explicit RecordingWnd(bool *deleted = nullptr, int *deletions = nullptr)
        : deleted_(deleted), deletions_(deletions)
    {
    }
    ~RecordingWnd() override
    {
        if (deleted_)
            *deleted_ = true;
        if (deletions_)
            ++*deletions_;
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(msg);
        return DefWndProc(msg, wParam, lParam);
    }
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }

    std::vector<UINT> seen;

private:
    bool *deleted_;
    int *deletions_;
};

SIZE Extent(HFONT font, const std::string &text)
{
    HDC dc = GetDC(0);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(0, dc);
    return size;
}

TEST(EWndTest, RoutesMessagesAndKeepsTheClientSize)
{
    EnsureApplication();
    HWND parent = MakeParent();
    RecordingWnd wnd;
    EXPECT_EQ(wnd.m_hWnd, 0u);
    ASSERT_EQ(wnd.Create(0, WS_CHILD | WS_VISIBLE, 5, 5, 30, 20, parent), 1);
    ASSERT_NE(wnd.m_hWnd, 0u);
    char name[16] = {};
    GetWindowTextA(wnd.m_hWnd, name, sizeof name);
    EXPECT_STREQ(name, "");

    SetWindowPos(wnd.m_hWnd, 0, 10, 10, 60, 40, SWP_NOACTIVATE);
    EXPECT_EQ(wnd.m_ClientWidth, 60);
    EXPECT_EQ(wnd.m_ClientHeight, 40);
    SendMessageA(wnd.m_hWnd, WM_SIZE, 0, MAKELONG(123, 45));
    EXPECT_EQ(wnd.m_ClientWidth, 123);
    EXPECT_EQ(wnd.m_ClientHeight, 45);

    wnd.seen.clear();
    wnd.Redraw();
    EXPECT_TRUE(wnd.Saw(WM_PAINT));
    DestroyWindow(parent);
    EXPECT_EQ(wnd.m_hWnd, 0u);
}

TEST(EWndTest, WindowLeftOutOfTheMapGetsTheDefaultProcedure)
{
    EnsureApplication();
    HWND parent = MakeParent();
    RecordingWnd wnd;
    ASSERT_EQ(wnd.Create(0, WS_CHILD, 0, 0, 10, 10, parent), 1);
    HWND hwnd = wnd.m_hWnd;
    // WM_NCDESTROY takes the window out of the map while the window lives on.
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    EXPECT_EQ(wnd.m_hWnd, 0u);
    wnd.seen.clear();
    SetWindowTextA(hwnd, "kept");
    char text[16] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    EXPECT_STREQ(text, "kept");
    EXPECT_TRUE(wnd.seen.empty());
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(EWndTest, AutoDeleteObjectsAreFreedOnceWhicheverSideGoesFirst)
{
    EnsureApplication();
    HWND parent = MakeParent();
    bool deleted = false;
    auto *byWindow = new RecordingWnd(&deleted);
    ASSERT_EQ(byWindow->Create(0, WS_CHILD, 0, 0, 10, 10, parent), 1);
    byWindow->m_AutoDelete = true;
    DestroyWindow(parent);
    EXPECT_TRUE(deleted);

    parent = MakeParent();
    int deletions = 0;
    auto *byOwner = new RecordingWnd(nullptr, &deletions);
    ASSERT_EQ(byOwner->Create(0, WS_CHILD, 0, 0, 10, 10, parent), 1);
    HWND hwnd = byOwner->m_hWnd;
    byOwner->m_AutoDelete = true;
    delete byOwner;
    EXPECT_EQ(deletions, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    DestroyWindow(parent);

    RecordingWnd without;
    EXPECT_EQ(without.Create(0, WS_CHILD, 0, 0, 10, 10, static_cast<HWND>(0x7FFFFFF0)), 0);
    EXPECT_EQ(without.m_hWnd, 0u);
}

TEST(EWndTest, MeasuresTextInItsOwnOrAGivenContext)
{
    EnsureApplication();
    HWND parent = MakeParent();
    EWnd wnd;
    ASSERT_EQ(wnd.Create(0, WS_CHILD, 0, 0, 10, 10, parent), 1);
    HFONT big = CreateFontA(40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Tahoma");
    SIZE plain = wnd.GetTextExtent("Hint");
    SIZE large = wnd.GetTextExtent("Hint", 0, big);
    EXPECT_GT(plain.cx, 0);
    EXPECT_GT(large.cx, plain.cx);
    EXPECT_GT(large.cy, plain.cy);
    HDC dc = wnd.GetDC();
    SIZE inGiven = wnd.GetTextExtent("Hint", dc, big);
    EXPECT_EQ(inGiven.cx, large.cx);
    // The given context keeps its own font afterwards.
    SIZE after = wnd.GetTextExtent("Hint", dc);
    EXPECT_EQ(after.cx, plain.cx);
    wnd.ReleaseDC(dc);
    DeleteObject(big);
    DestroyWindow(parent);
}

TEST(EToolTipTest, SizesToItsTextAndPaintsTheYellowBox)
{
    EnsureApplication();
    HWND parent = MakeParent();
    EToolTip tip(parent);
    ASSERT_NE(tip.m_hWnd, 0u);
    EXPECT_EQ(GetParent(tip.m_hWnd), parent);
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));

    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string longText(300, 'W');
    const Case cases[] = {
        {"Hint", {"Hint"}},
        {longText, {std::string(256, 'W')}},
        {"ab\r\nlonger line\r\n", {"ab", "longer line"}},
        {"x\r\n\xD6\xD0\xCE\xC4", {"x", "\xD6\xD0\xCE\xC4"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        ASSERT_EQ(tip.Show(POINT{10, 20}, c.text.c_str()), 1);
        int width = 0;
        int height = 0;
        int lineHeight = 0;
        for (const std::string &line : c.lines) {
            SIZE s = Extent(tip.m_hFont, line);
            width = std::max<int>(width, s.cx);
            height += s.cy;
            lineHeight = s.cy;
        }
        RECT rc;
        GetClientRect(tip.m_hWnd, &rc);
        EXPECT_EQ(rc.right, width + 5);
        EXPECT_EQ(rc.bottom, height + 2);
        EXPECT_EQ(tip.m_LineHeight, lineHeight);
        EXPECT_EQ(tip.m_MultiLine, c.lines.size() > 1);
        EXPECT_TRUE(IsWindowVisible(tip.m_hWnd));
        POINT origin{0, 0};
        ClientToScreen(tip.m_hWnd, &origin);
        POINT expected{10, 20};
        ClientToScreen(parent, &expected);
        EXPECT_EQ(origin.x, expected.x);
        EXPECT_EQ(origin.y, expected.y);
        EXPECT_EQ(std::string(tip.m_Text), c.text.substr(0, 256));

        tip.Redraw();
        HDC dc = GetDC(tip.m_hWnd);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(dc, rc.right - 1, rc.bottom - 1), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 231));
        EXPECT_EQ(GetPixel(dc, rc.right - 2, rc.bottom - 2), RGB(255, 255, 231));
        // Every line leaves ink in its own band, one line height below the last.
        for (size_t k = 0; k < c.lines.size(); ++k) {
            int top = 1 + static_cast<int>(k) * lineHeight;
            bool ink = false;
            for (int y = top; y < top + lineHeight && !ink; ++y)
                for (int x = 3; x < rc.right - 1 && !ink; ++x)
                    ink = GetPixel(dc, x, y) != RGB(255, 255, 231);
            EXPECT_TRUE(ink) << "line " << k;
        }
        ReleaseDC(tip.m_hWnd, dc);
    }
    DestroyWindow(parent);
}

TEST(EToolTipTest, EmptyTextHidesAndANewParentTakesTheTip)
{
    EnsureApplication();
    HWND first = MakeParent();
    HWND second = MakeParent();
    EToolTip tip(first);
    tip.Show(POINT{1, 1}, "a");
    EXPECT_TRUE(IsWindowVisible(tip.m_hWnd));
    EXPECT_EQ(tip.Show(POINT{1, 1}, ""), 1);
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));
    tip.Show(POINT{1, 1}, "a");
    EXPECT_EQ(tip.Show(POINT{1, 1}, nullptr), 1);
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));

    tip.Show(POINT{4, 4}, "moved", second);
    EXPECT_EQ(GetParent(tip.m_hWnd), second);
    EXPECT_TRUE(IsWindowVisible(tip.m_hWnd));
    tip.Hide();
    EXPECT_FALSE(IsWindowVisible(tip.m_hWnd));
    DestroyWindow(first);
    EXPECT_TRUE(IsWindow(tip.m_hWnd));
    DestroyWindow(second);
    EXPECT_EQ(tip.m_hWnd, 0u);
}

} // namespace
