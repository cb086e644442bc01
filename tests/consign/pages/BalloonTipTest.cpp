// The balloon tip: shown at the click on a registered control, in its shape and
// colours with the text centred or wrapped in its text rectangle, hidden by a
// key press or the next tick of its timer.
#include <QImage>
#include <QWidget>

#include <algorithm>
#include <string>

#include "consign/pages/CBalloonTipWnd.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Time.h"
#include "tests/consign/pages/PagesFixture.h"

using namespace win;

namespace {

class BalloonTipTest : public pagestest::PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        SetTestClock(1700000000000LL, 5000);
        ASSERT_TRUE(frame.CreateEx(0, AfxRegisterWndClass(0), "持仓", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300, 0, 0));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &frame, 1004));
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 210, 300, 290), &frame, 1005));
        frame.ShowWindow(SW_SHOW);
        frame.SetForegroundWindow();
        list.SetFocus();
        pagestest::PumpUntil([] { return CWnd::GetFocus() != nullptr; });
        ASSERT_TRUE(balloon.Create(&frame));
    }
    void TearDown() override
    {
        balloon.DestroyWindow();
        frame.DestroyWindow();
        PagesFixture::TearDown();
    }
    void Press(CWnd &control, UINT message, POINT screen)
    {
        MSG msg{};
        msg.hwnd = control.m_hWnd;
        msg.message = message;
        msg.pt = screen;
        balloon.RelayEvent(&msg);
    }
    QImage Picture()
    {
        balloon.UpdateWindow();
        pagestest::Pump(30);
        QImage image = WindowWidget(balloon.m_hWnd)->grab().toImage();
        image.save(QString::fromStdString(std::string(LUMO_TEST_BINARY_DIR) + "/balloon-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png"));
        return image;
    }
    // The text is black; the frame is blue.
    static bool IsText(QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; }
    // Rows of the text rectangle holding dark (text) pixels: the first and last.
    static std::pair<int, int> TextRows(const QImage &image, const CRect &r)
    {
        int first = -1, last = -1;
        for (int y = r.top; y < std::min(static_cast<int>(r.bottom), image.height()); ++y)
            for (int x = r.left; x < r.right; ++x)
                if (IsText(image.pixel(x, y))) {
                    if (first < 0)
                        first = y;
                    last = y;
                    break;
                }
        return {first, last};
    }

    CWnd frame;
    CListCtrl list, other;
    CBalloonTipWnd balloon;
};

TEST_F(BalloonTipTest, RightClickShowsItAtTheClickAndAKeyHidesIt)
{
    EXPECT_EQ(balloon.m_TextRect, CRect(24, 19, 86, 61));
    balloon.AddTool(&list, "双击");
    EXPECT_FALSE(balloon.IsWindowVisible());
    Press(list, WM_RBUTTONDOWN, POINT{150, 120});
    ASSERT_TRUE(balloon.IsWindowVisible());
    CRect r;
    balloon.GetWindowRect(&r);
    EXPECT_EQ(r, CRect(150, 120, 250, 180)) << "the tail's tip at the click";
    EXPECT_EQ(balloon.m_hCurrentControl, list.m_hWnd);

    const QImage image = Picture();
    ASSERT_EQ(image.width(), 100);
    EXPECT_EQ(image.pixel(55, 30) & 0xFFFFFF, 0xF9FEBCu) << "pale yellow inside";
    // The frame runs along the ellipse's edge: blue at the middle of its top.
    bool blue = false;
    for (int y = 9; y < 14; ++y)
        blue |= (image.pixel(55, y) & 0xFFFFFF) == 0x0000FFu;
    EXPECT_TRUE(blue);
    const auto rows = TextRows(image, balloon.m_TextRect);
    ASSERT_GE(rows.first, 0) << "the text is drawn";
    EXPECT_LT(rows.second - rows.first, 16) << "one line";
    EXPECT_NEAR((rows.first + rows.second) / 2, (19 + 61) / 2, 4) << "vertically centred";

    Press(list, WM_KEYDOWN, POINT{0, 0});
    EXPECT_FALSE(balloon.IsWindowVisible());
}

TEST_F(BalloonTipTest, WideTextWrapsInsideTheTextRectangle)
{
    balloon.AddTool(&list, "双击列表中的持仓可以生成对应的平仓委托");
    Press(list, WM_LBUTTONDOWN, POINT{60, 60});
    ASSERT_TRUE(balloon.IsWindowVisible());
    const QImage image = Picture();
    const auto rows = TextRows(image, balloon.m_TextRect);
    ASSERT_GE(rows.first, 0);
    EXPECT_GT(rows.second - rows.first, 16) << "more than one line";
    // Nothing dark left or right of the text rectangle, in its rows.
    for (int y = rows.first; y <= rows.second; ++y) {
        for (int x = 12; x < 22; ++x)
            EXPECT_FALSE(IsText(image.pixel(x, y))) << x << "," << y;
        for (int x = 88; x < 96; ++x)
            EXPECT_FALSE(IsText(image.pixel(x, y))) << x << "," << y;
    }
}

TEST_F(BalloonTipTest, UnregisteredControlAndSecondAddToolChangeNothing)
{
    balloon.AddTool(&list, "第一");
    balloon.AddTool(&list, "第二", RGB(255, 0, 0));
    ASSERT_EQ(balloon.m_Tools.size(), 1u);
    EXPECT_EQ(balloon.m_Tools[list.m_hWnd].text, CString("第一"));
    Press(other, WM_RBUTTONDOWN, POINT{30, 250});
    EXPECT_FALSE(balloon.IsWindowVisible());
    EXPECT_EQ(balloon.m_hCurrentControl, 0u);
    Press(list, WM_RBUTTONDOWN, POINT{30, 30});
    EXPECT_EQ(balloon.m_strText, CString("第一"));
}

TEST_F(BalloonTipTest, TimerTickHidesIt)
{
    balloon.AddTool(&list, "双击");
    pagestest::AdvanceClock(1000, balloon.m_hWnd);
    Press(list, WM_RBUTTONDOWN, POINT{10, 10});
    ASSERT_TRUE(balloon.IsWindowVisible());
    pagestest::Pump(50);
    EXPECT_TRUE(balloon.IsWindowVisible());
    pagestest::AdvanceClock(2100, balloon.m_hWnd);
    EXPECT_TRUE(pagestest::PumpUntil([&] { return !balloon.IsWindowVisible(); }, 2000)) << "the next 3-second tick";
}

TEST_F(BalloonTipTest, SetColoursPaintsTheNewFill)
{
    balloon.SetBalloonColors(RGB(0xD5, 0xFD, 0xE0), RGB(0x00, 0x6A, 0x35));
    balloon.AddTool(&list, "双击");
    Press(list, WM_RBUTTONDOWN, POINT{10, 10});
    EXPECT_EQ(Picture().pixel(55, 30) & 0xFFFFFF, 0xD5FDE0u);
}

} // namespace
