#include <vector>

#include "platform/appframe/CDC.h"
#include "platform/appframe/CMenu.h"
#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "tests/platform/appframe/AppframeFixture.h"

using namespace win;

namespace {

constexpr UINT kPing = WM_USER + 5;

class CTestWnd : public CWnd {
public:
    std::vector<std::string> log;
    COLORREF paint = RGB(0, 128, 0);

protected:
    LRESULT OnPing(WPARAM w, LPARAM l)
    {
        log.push_back("ping");
        return static_cast<LRESULT>(w + static_cast<WPARAM>(l));
    }
    void OnGo() { log.push_back("go"); }
    void OnRange(UINT id) { log.push_back("range " + std::to_string(id)); }
    void OnTimer(UINT_PTR id)
    {
        log.push_back("timer " + std::to_string(id));
        KillTimer(id);
    }
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect r;
        GetClientRect(&r);
        dc.FillSolidRect(&r, paint);
    }
    void OnSize(UINT type, int cx, int cy) { log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
    ON_MESSAGE(kPing, OnPing)
    ON_COMMAND(100, OnGo)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_WM_SIZE()
END_MESSAGE_MAP()

using WndTest = appframetest::AppframeFixture;

TEST_F(WndTest, MessageMapRoutesMessagesCommandsAndTimers)
{
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "test", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80, 0, 0));
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.SendMessage(kPing, 2, 3), 5);
    wnd.SendMessage(WM_COMMAND, 100, 0);
    wnd.SendMessage(WM_COMMAND, 205, 0);
    // Not in the map: nothing runs.
    wnd.SendMessage(WM_COMMAND, 211, 0);
    wnd.SetTimer(7, 10, nullptr);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return wnd.log.back() == "timer 7"; }));
    EXPECT_EQ(wnd.log[0], "size 120x80");
    EXPECT_EQ(std::vector<std::string>(wnd.log.begin() + 1, wnd.log.end()),
              (std::vector<std::string>{"ping", "go", "range 205", "timer 7"}));
    HWND h = wnd.m_hWnd;
    ASSERT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, 0u);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST_F(WndTest, CreateExTakesOverAControlOfACommonClass)
{
    InitCommonControls();
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, 0, 0));
    CWnd list;
    ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 180, 120),
                              &parent, 1004));
    EXPECT_EQ(CWnd::FromHandlePermanent(list.m_hWnd), &list);
    EXPECT_EQ(parent.GetDlgItem(1004), &list);
    // The control's own procedure still answers.
    EXPECT_EQ(list.SendMessage(LVM_GETITEMCOUNT), 0);
    parent.DestroyWindow();
    EXPECT_EQ(list.m_hWnd, 0u);
}

TEST_F(WndTest, PaintsThroughPaintDCAndDrawsOnMemoryDC)
{
    CTestWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "paint", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, 0, 0));
    wnd.Invalidate();
    wnd.UpdateWindow();
    CClientDC client(&wnd);
    EXPECT_EQ(client.GetPixel(5, 5), RGB(0, 128, 0));

    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&client));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&client, 20, 20));
    CBitmap *old = mem.SelectObject(&bitmap);
    mem.FillSolidRect(0, 0, 20, 20, RGB(255, 255, 255));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    CPen *oldPen = mem.SelectObject(&pen);
    mem.MoveTo(0, 10);
    mem.LineTo(20, 10);
    mem.SelectObject(oldPen);
    EXPECT_EQ(mem.GetPixel(3, 10), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(3, 11), RGB(255, 255, 255));
    client.BitBlt(0, 0, 20, 20, &mem, 0, 0, SRCCOPY);
    EXPECT_EQ(client.GetPixel(3, 10), RGB(255, 0, 0));
    mem.SelectObject(old);
}

// Every window-message entry of the framework, on the default handlers.
class CEveryEntryWnd : public CWnd {
public:
    std::vector<std::string> notes;

protected:
    void OnItemChanged(NMHDR *nm, LRESULT *result)
    {
        notes.push_back("notify " + std::to_string(nm->idFrom));
        *result = 7;
    }
    void OnRangeNotify(UINT id, NMHDR *, LRESULT *) { notes.push_back("range " + std::to_string(id)); }
    void OnControlRange(UINT id) { notes.push_back("control " + std::to_string(id)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEveryEntryWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_WM_CLOSE()
    ON_WM_ERASEBKGND()
    ON_WM_MOVE()
    ON_WM_SHOWWINDOW()
    ON_WM_ACTIVATE()
    ON_WM_CTLCOLOR()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_ENABLE()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_RBUTTONDBLCLK()
    ON_WM_MBUTTONDOWN()
    ON_WM_MBUTTONUP()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_NCLBUTTONDBLCLK()
    ON_WM_MOUSEWHEEL()
    ON_WM_MOUSELEAVE()
    ON_WM_MOUSEHOVER()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_SYSKEYDOWN()
    ON_WM_CHAR()
    ON_WM_SETCURSOR()
    ON_WM_GETMINMAXINFO()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
    ON_WM_CONTEXTMENU()
    ON_WM_CAPTURECHANGED()
    ON_WM_COPYDATA()
    ON_WM_HOTKEY()
    ON_WM_NCHITTEST()
    ON_WM_MOUSEACTIVATE()
    ON_WM_GETDLGCODE()
    ON_WM_QUERYDRAGICON()
    ON_WM_SETTINGCHANGE()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUCHAR()
    ON_NOTIFY(NM_DBLCLK, 300, OnItemChanged)
    ON_NOTIFY_RANGE(NM_CLICK, 310, 320, OnRangeNotify)
    ON_CONTROL_RANGE(BN_CLICKED, 400, 410, OnControlRange)
END_MESSAGE_MAP()

TEST_F(WndTest, NotificationsRouteByCodeAndId)
{
    CEveryEntryWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "entries", WS_POPUP, 0, 0, 50, 50, 0, 0));
    NMHDR nm{0, 300, NM_DBLCLK};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&nm)), 7);
    nm = NMHDR{0, 315, NM_CLICK};
    wnd.SendMessage(WM_NOTIFY, 315, reinterpret_cast<LPARAM>(&nm));
    nm = NMHDR{0, 300, NM_CLICK};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&nm)), 0);
    // A control's notification is routed by its code and id.
    auto control = static_cast<LPARAM>(wnd.m_hWnd);
    wnd.SendMessage(WM_COMMAND, MAKELONG(405, EN_CHANGE), control);
    wnd.SendMessage(WM_COMMAND, MAKELONG(411, BN_CLICKED), control);
    wnd.SendMessage(WM_COMMAND, MAKELONG(405, BN_CLICKED), control);
    EXPECT_EQ(wnd.notes, (std::vector<std::string>{"notify 300", "range 315", "control 405"}));
}

TEST_F(WndTest, ApplicationThatRefusesToStartEndsAtOnce)
{
    appframetest::CTestApp &app = appframetest::TestApp();
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(AfxGetAppName(), appframetest::kProgramTitle);
    EXPECT_STREQ(app.m_pszExeName, "test_platform_appframe");
    ASSERT_NE(app.m_lpCmdLine, nullptr);
    EXPECT_STREQ(app.m_lpCmdLine, "");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_POPUP, 0, 0, 10, 10, 0, 0));
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetMainWnd(), &main);
    app.m_pMainWnd = nullptr;
    EXPECT_EQ(AfxGetMainWnd(), nullptr);

    app.initResult = FALSE;
    int exits = app.exits;
    EXPECT_EQ(AfxWinMain(appframetest::Argc, appframetest::Argv), 40);
    EXPECT_EQ(app.exits, exits + 1);
    app.initResult = TRUE;
}

} // namespace

TEST_F(WndTest, WindowPlacementGivesTheRestoredRectangle)
{
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, AfxRegisterWndClass(0), "frame", WS_OVERLAPPEDWINDOW, 30, 40, 200, 150, 0, 0));
    CWnd child;
    ASSERT_TRUE(child.CreateEx(0, "Static", "", WS_CHILD | WS_VISIBLE, CRect(10, 20, 60, 44), &frame, 1001));
    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(child.GetWindowPlacement(&wp));
    // A child's rectangle is in its parent's client coordinates.
    EXPECT_EQ(CRect(wp.rcNormalPosition), CRect(10, 20, 60, 44));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));

    frame.ShowWindow(SW_SHOWMAXIMIZED);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return frame.IsZoomed() != FALSE; }));
    ASSERT_TRUE(frame.GetWindowPlacement(&wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(CRect(wp.rcNormalPosition), CRect(30, 40, 230, 190)) << "the rectangle it is restored to";

    EXPECT_FALSE(GetWindowPlacement(0, &wp));
    EXPECT_FALSE(frame.GetWindowPlacement(nullptr));
    frame.DestroyWindow();
}
