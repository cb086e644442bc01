// What a user sees of a page: the hint of an empty pane, the pane frames, the
// command box with its hot button and its clicks, and the guide line of a border
// drag.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/lumon/shell/PageFixture.h"

using namespace pagetest;
using namespace win;

namespace {

LPARAM At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

class PaneTest : public PageTest {
protected:
    // The page as the user sees it, saved as a PNG beside the test's files.
    void SavePicture(const char *file)
    {
        HDC screen = GetDC(0);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, page->ClientWidth, page->ClientHeight);
        ReleaseDC(0, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        page->PaintPicture(dc);
        EXPECT_TRUE(SaveDCToPng(dc, file));
        // A person can look at the picture: LUMO_TEST_PICTURES names a folder for it.
        if (const char *dir = std::getenv("LUMO_TEST_PICTURES"))
            SaveDCToPng(dc, (std::string(dir) + "/" + file).c_str());
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Paint(TMultiViewChild *pane)
    {
        pane->Repaint();
        page->Repaint();
        Pump(30);
    }
};

TEST_F(PaneTest, AnEmptyPaneShowsItsHintInTheInverseColour)
{
    const COLORREF inverse = kBack ^ 0xFFFFFF;
    struct Case {
        int width;
        int frameBottom;  // the hint's frame: 5 pixels round the text rectangle
    };
    // 161 and wider: the text rectangle 15..145 x 15..40; 160 and narrower: as
    // wide as the pane less 15, 12 pixels per line of 210 / (width - 30).
    for (const Case &c : {Case{161, 45}, Case{160, 62}, Case{100, 86}}) {
        SCOPED_TRACE(c.width);
        Open(PAGE_NEW, "", c.width + 4, 300);
        TMultiViewChild *pane = Pane(0);
        ASSERT_EQ(pane->ClientWidth, c.width);
        Paint(pane);
        EXPECT_EQ(Pixel(pane->Handle, 10, 20), inverse) << "the frame's left edge";
        EXPECT_EQ(Pixel(pane->Handle, 10, c.frameBottom - 1), inverse);
        EXPECT_EQ(Pixel(pane->Handle, 10, c.frameBottom + 1), kBack);
        EXPECT_EQ(Pixel(pane->Handle, 5, 5), kBack);
        int right = c.width > 160 ? 150 : c.width - 10;
        EXPECT_EQ(Pixel(pane->Handle, right - 1, 20), inverse) << "the frame's right edge";
        bool text = false;
        for (int y = 16; y < 39 && !text; ++y)
            for (int x = 16; x < right - 6 && !text; ++x)
                text = Pixel(pane->Handle, x, y) == inverse;
        EXPECT_TRUE(text) << "the hint's text";
        if (c.width == 160)
            SavePicture("empty-pane-160.png");
    }
    for (int width : {30, 20, 0}) {
        Open(PAGE_NEW, "", width + 4, 300);
        Paint(Pane(0));
    }
    RECT r = EmptyPaneTextRect(30, 100);
    EXPECT_EQ(r.bottom, 15 + 30 + 12 * 210);
}

TEST_F(PaneTest, PaneFramesShowTheActivePane)
{
    Open(PAGE_NEW);
    Command(WM_PANE_SPLIT_H, Pane(0));
    Command(WM_PANE_REPORT, Pane(0));
    Pump(50);
    page->Repaint();
    Pump(30);
    TMultiViewChild *active = page->ActivePane;
    ASSERT_NE(active, nullptr);
    const MVCS *an = active->Node;
    EXPECT_EQ(Pixel(page->Handle, an->Left, an->Top + 100), kActive);
    EXPECT_EQ(Pixel(page->Handle, an->Left + 1, an->Top + 100), kActive);
    TMultiViewChild *other = Pane(0) == active ? Pane(1) : Pane(0);
    const MVCS *on = other->Node;
    EXPECT_EQ(Pixel(page->Handle, on->Left + 1, on->Top + 100), kBorder);
    EXPECT_EQ(Pixel(page->Handle, on->Left + on->Width - 1, on->Top + 100), kBorder);
    Command(WM_PANE_SPLIT_V, active);
    Command(WM_PANE_KLINE, Pane(2));
    page->Repaint();
    Pump(50);
    SavePicture("page-three-panes.png");
    Command(WM_PANE_CLOSE, Pane(2));
    active = page->ActivePane;
    an = active->Node;
    other = Pane(0) == active ? Pane(1) : Pane(0);
    on = other->Node;

    // Activating the other pane moves the active frame.
    other->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    page->Repaint();
    Pump(30);
    EXPECT_EQ(page->ActivePane, other);
    EXPECT_EQ(Pixel(page->Handle, on->Left + 1, on->Top + 100), kActive);
    EXPECT_EQ(Pixel(page->Handle, an->Left + 1, an->Top + 100), kBorder);

    // A maximised pane: the page's client rectangle in the active colour.
    Command(WM_PANE_MAXIMIZE, active);
    page->Repaint();
    Pump(30);
    EXPECT_EQ(Pixel(page->Handle, 1, 300), kActive);
    EXPECT_EQ(Pixel(page->Handle, 799, 300), kActive);
}

TEST_F(PaneTest, TheCommandBoxHighlightsAndPostsTheButtonUnderTheMouse)
{
    Open(PAGE_NEW);
    TMultiViewChild *pane = Pane(0);
    TMVCmdBox *box = pane->CmdBox;
    RECT r;
    GetClientRect(box->m_hWnd, &r);
    EXPECT_EQ(r.right - r.left, 16);
    EXPECT_EQ(r.bottom - r.top, 14);
    RECT w;
    GetWindowRect(box->m_hWnd, &w);
    POINT origin{0, 0};
    ClientToScreen(pane->Handle, &origin);
    EXPECT_EQ(w.left - origin.x, pane->ClientWidth - 3 - 17);
    EXPECT_EQ(w.top - origin.y, 3);
    Pump(30);
    EXPECT_EQ(Pixel(box->m_hWnd, 0, 0), box->Normal);
    EXPECT_EQ(Pixel(box->m_hWnd, 8, 8), kBack);

    // x = 16, the gap right of button 0, belongs to it.
    // (The pointer is not really there: the leave notice follows, so the
    // picture is read at once.)
    SendMessageA(box->m_hWnd, WM_MOUSEMOVE, 0, At(16, 5));
    EXPECT_EQ(box->Hover, 0);
    EXPECT_EQ(Pixel(box->m_hWnd, 0, 0), box->Hot);
    SendMessageA(box->m_hWnd, WM_MOUSELEAVE, 0, 0);
    Pump(30);
    EXPECT_EQ(box->Hover, -1);
    EXPECT_EQ(Pixel(box->m_hWnd, 0, 0), box->Normal);
    SendMessageA(box->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(16, 5));
    EXPECT_TRUE(PumpUntil([&] { return page->MaximizedPane == pane; })) << "the maximise button";
    // F7 reaches the box as a click at its corner: the restore button now.
    SendMessageA(pane->CmdBox->m_hWnd, WM_LBUTTONDOWN, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return page->MaximizedPane == nullptr; }));

    // A strip of the two scroll arrows.
    const int kinds[2] = {5, 6};
    auto *arrows = new TMVCmdBox(pane, kinds, 2);
    arrows->Background = kBack;
    arrows->Refresh();
    GetClientRect(arrows->m_hWnd, &r);
    EXPECT_EQ(r.right - r.left, 33);
    EXPECT_EQ(r.bottom - r.top, 14);
    Pump(30);
    EXPECT_EQ(Pixel(arrows->m_hWnd, 17, 0), arrows->Normal);
    EXPECT_EQ(Pixel(arrows->m_hWnd, 16, 0), kBack) << "the gap between the buttons";
    SendMessageA(arrows->m_hWnd, WM_MOUSEMOVE, 0, At(17, 5));
    EXPECT_EQ(arrows->Hover, 1);
    EXPECT_EQ(Pixel(arrows->m_hWnd, 17, 0), arrows->Hot);
    EXPECT_EQ(Pixel(arrows->m_hWnd, 0, 0), arrows->Normal);
    EXPECT_EQ(TMVCmdBox::Command(5), WM_PANE_SCROLL_BACK);
    EXPECT_EQ(TMVCmdBox::Command(6), WM_PANE_SCROLL_FORWARD);
    EXPECT_EQ(TMVCmdBox::Command(0), WM_PANE_CLOSE);
    delete arrows;
}

TEST_F(PaneTest, TheGuideLineDrawnTwiceRestoresThePicture)
{
    Open(PAGE_NEW);
    Command(WM_PANE_SPLIT_H, Pane(0));
    Pump(50);
    page->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(399, 300));
    ASSERT_EQ(page->Dragging, 1);
    HWND overlay = TMultiViewMain::Overlay->Handle;
    EXPECT_TRUE(TMultiViewMain::Overlay->Visible);
    // The guide: three XOR lines centred on the mouse.
    HDC screen = GetDC(0);
    HDC under = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 600);
    ReleaseDC(0, screen);
    HGDIOBJ old = SelectObject(under, bitmap);
    page->PaintPicture(under);
    for (int x : {398, 399, 400})
        EXPECT_EQ(Pixel(overlay, x, 300), GetPixel(under, x, 300) ^ 0xFFFFFF) << x;
    EXPECT_EQ(Pixel(overlay, 300, 300), GetPixel(under, 300, 300));
    std::vector<COLORREF> before;
    for (int x = 380; x < 440; ++x)
        before.push_back(Pixel(overlay, x, 300));
    page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(420, 300));
    EXPECT_EQ(Pixel(overlay, 399, 300), GetPixel(under, 399, 300)) << "erased where it was";
    EXPECT_EQ(Pixel(overlay, 420, 300), GetPixel(under, 420, 300) ^ 0xFFFFFF);
    page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(399, 300));
    std::vector<COLORREF> after;
    for (int x = 380; x < 440; ++x)
        after.push_back(Pixel(overlay, x, 300));
    EXPECT_EQ(after, before);
    page->Perform(WM_LBUTTONUP, 0, At(399, 300));
    EXPECT_FALSE(TMultiViewMain::Overlay->Visible);
    SelectObject(under, old);
    DeleteObject(bitmap);
    DeleteDC(under);
}

} // namespace
