// The tool bar used as a menu bar (buttons from strings, custom draw per button
// with the hot and pressed states, presses and clicks told to the parent), the
// status bar's panes, and the tool tip that follows relayed mouse moves.
#include <gtest/gtest.h>

#include <map>

#include "ListsFixture.h"
#include "platform/appframe/CStatusBar.h"
#include "platform/appframe/CToolBarCtrl.h"
#include "platform/appframe/CToolTipCtrl.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"

using namespace win;
using liststest::NotifySink;
using liststest::PumpUntil;

namespace {

LPARAM At(int x, int y) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))); }

} // namespace

TEST(BarsTest, MenuBarButtonsPaintTheirStatesThroughTheParent)
{
    NotifySink sink;
    CToolBarCtrl bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_TOP | CCS_NODIVIDER | CCS_NORESIZE,
                           CRect(0, 0, 300, 24), &sink, 3));
    bar.SetButtonStructSize(sizeof(TBBUTTON));
    ASSERT_EQ(bar.AddStrings("设置(&O)\0帮助(&H)\0"), 0);
    TBBUTTON buttons[2] = {};
    for (int i = 0; i < 2; ++i) {
        buttons[i].idCommand = i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_AUTOSIZE;
        buttons[i].iString = i;
    }
    ASSERT_TRUE(bar.AddButtons(2, buttons));
    EXPECT_EQ(bar.GetButtonCount(), 2);
    EXPECT_EQ(bar.GetButtonText(1), "帮助(&H)");
    CRect first, second;
    ASSERT_TRUE(bar.GetItemRect(0, &first));
    ASSERT_TRUE(bar.GetItemRect(1, &second));
    EXPECT_GT(first.Width(), 0);
    EXPECT_EQ(second.left, first.right);
    CPoint inSecond = second.CenterPoint();
    EXPECT_EQ(bar.HitTest(&inSecond), 1);
    CPoint outside(290, 5);
    EXPECT_EQ(bar.HitTest(&outside), -1);

    const COLORREF face = RGB(93, 183, 255);
    const COLORREF hot = RGB(130, 199, 255);
    const COLORREF pressed = RGB(83, 168, 245);
    std::map<DWORD_PTR, UINT> states;
    sink.customDraw = [&](NMLVCUSTOMDRAW &cd) -> LRESULT {
        CDC *dc = CDC::FromHandle(cd.nmcd.hdc);
        if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) {
            dc->FillSolidRect(&cd.nmcd.rc, face);
            return CDRF_NOTIFYITEMDRAW;
        }
        states[cd.nmcd.dwItemSpec] = cd.nmcd.uItemState;
        COLORREF fill = (cd.nmcd.uItemState & CDIS_SELECTED) ? pressed : (cd.nmcd.uItemState & CDIS_HOT) ? hot : face;
        dc->FillSolidRect(&cd.nmcd.rc, fill);
        return CDRF_SKIPDEFAULT;
    };

    SendMessageA(bar, WM_MOUSEMOVE, 0, At(inSecond.x, inSecond.y));
    EXPECT_EQ(bar.GetHotItem(), 1);
    ASSERT_TRUE(bar.PressButton(0, TRUE));
    bar.RedrawWindow();
    EXPECT_TRUE(states[1] & CDIS_HOT);
    EXPECT_FALSE(states[1] & CDIS_SELECTED);
    EXPECT_TRUE(states[0] & CDIS_SELECTED);
    EXPECT_TRUE(bar.IsButtonPressed(0));
    HDC dc = GetDC(bar);
    EXPECT_EQ(GetPixel(dc, first.left + 2, first.top + 2), pressed);
    EXPECT_EQ(GetPixel(dc, second.left + 2, second.top + 2), hot);
    EXPECT_EQ(GetPixel(dc, 290, 5), face);
    ReleaseDC(bar, dc);
    bar.PressButton(0, FALSE);
    EXPECT_FALSE(bar.IsButtonPressed(0));

    // A press is told (NM_LDOWN with the button's command), a click ends in
    // the button's command.
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(inSecond.x, inSecond.y));
    auto downs = sink.Of(NM_LDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].item, 1);
    EXPECT_TRUE(bar.IsButtonPressed(1));
    SendMessageA(bar, WM_LBUTTONUP, 0, At(inSecond.x, inSecond.y));
    EXPECT_FALSE(bar.IsButtonPressed(1));
    EXPECT_EQ(sink.commands, (std::vector<UINT>{1}));

    // A drop-down button tells where it is, to open its menu under it, and
    // gives no command.
    TBBUTTON drop{};
    drop.idCommand = 7;
    drop.fsState = TBSTATE_ENABLED;
    drop.fsStyle = TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE;
    drop.iString = reinterpret_cast<INT_PTR>("窗口(&W)");
    ASSERT_TRUE(bar.AddButtons(1, &drop));
    CRect third;
    ASSERT_TRUE(bar.GetItemRect(2, &third));
    EXPECT_EQ(bar.GetButtonText(7), "窗口(&W)");
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, At(third.left + 3, third.top + 3));
    SendMessageA(bar, WM_LBUTTONUP, 0, At(third.left + 3, third.top + 3));
    auto drops = sink.Of(TBN_DROPDOWN);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].item, 7);
    EXPECT_EQ(CRect(drops[0].rect), third);
    EXPECT_EQ(sink.commands.size(), 1u);

    // The hot button cools down once the pointer has left the bar.
    CPoint over = second.CenterPoint();
    bar.ClientToScreen(&over);
    SetCursorPos(over.x, over.y);
    SendMessageA(bar, WM_MOUSEMOVE, 0, At(second.CenterPoint().x, second.CenterPoint().y));
    EXPECT_EQ(bar.GetHotItem(), 1);
    SetCursorPos(over.x, over.y + 200);
    EXPECT_TRUE(PumpUntil([&] { return bar.GetHotItem() == -1; }, 2000));
}

TEST(BarsTest, StatusBarPanesKeepTheirTexts)
{
    NotifySink sink;
    CStatusBar status;
    ASSERT_TRUE(status.Create(WS_CHILD | WS_VISIBLE, CRect(0, 270, 400, 290), &sink));
    EXPECT_EQ(status.GetDlgCtrlID(), static_cast<int>(AFX_IDW_STATUS_BAR));
    const int rights[] = {120, -1};
    ASSERT_TRUE(status.SetParts(2, rights));
    EXPECT_EQ(status.GetPaneCount(), 2);
    EXPECT_FALSE(status.SetParts(0, rights));
    ASSERT_TRUE(status.SetPaneText(0, "网络状态: 断开"));
    ASSERT_TRUE(status.SetPaneText(1, "在线"));
    EXPECT_FALSE(status.SetPaneText(2, "none"));
    EXPECT_EQ(status.GetPaneText(0), "网络状态: 断开");
    EXPECT_EQ(status.GetPaneText(1), "在线");
    EXPECT_EQ(status.GetPaneText(5), "");
    CRect pane;
    ASSERT_TRUE(status.GetRect(1, &pane));
    EXPECT_GT(pane.left, 120);
    EXPECT_EQ(pane.right, 400);
}

TEST(BarsTest, ToolTipShowsOverItsRectangleWithoutTakingTheFocus)
{
    NotifySink sink;
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&sink));
    CRect link(10, 250, 120, 270);
    ASSERT_TRUE(tip.AddTool(&sink, "http://www.example.com/", &link, 1));
    EXPECT_EQ(tip.GetToolCount(), 1);
    sink.SetFocus();
    HWND focus = GetFocus();

    auto relay = [&](int x, int y) {
        MSG msg{sink, WM_MOUSEMOVE, 0, At(x, y), 0, {0, 0}};
        tip.RelayEvent(&msg);
    };
    relay(20, 260);
    ASSERT_TRUE(PumpUntil([&] { return tip.IsWindowVisible() != FALSE; }));
    EXPECT_EQ(GetFocus(), focus) << "the tip never takes the focus";
    CRect tipRect, sinkRect;
    tip.GetWindowRect(&tipRect);
    CPoint pointer(20, 260);
    sink.ClientToScreen(&pointer);
    EXPECT_GT(tipRect.top, pointer.y) << "below the pointer";
    EXPECT_GT(tipRect.Width(), 0);

    relay(200, 100);
    EXPECT_FALSE(tip.IsWindowVisible());

    // The tool follows its rectangle.
    CRect moved(150, 20, 260, 40);
    tip.SetToolRect(&sink, 1, &moved);
    TOOLINFO info{};
    ASSERT_TRUE(tip.GetToolInfo(info, &sink, 1));
    EXPECT_EQ(CRect(info.rect), moved);
    relay(20, 260);
    relay(200, 30);
    ASSERT_TRUE(PumpUntil([&] { return tip.IsWindowVisible() != FALSE; }));
    MSG press{sink, WM_LBUTTONDOWN, MK_LBUTTON, At(200, 30), 0, {0, 0}};
    tip.RelayEvent(&press);
    EXPECT_FALSE(tip.IsWindowVisible());
}
