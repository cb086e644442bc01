// Cursors: the system shapes and the program's own cursors shown over a window, the
// class cursor, SetCursor over the window under the pointer, and the pointer's
// position and confinement.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <thread>

#include "GuiTestSupport.h"
#include "platform/win/Cursor.h"
#include "platform/win/WindowSurface.h"

using namespace win;
using wintest::EnsureGui;
using wintest::PumpUntil;

namespace {

constexpr HINSTANCE kProgram = 1;

// A window lent a plain widget: top-level at (100, 100), 200 × 150, or a child
// covering the top-left 100 × 100 of its parent's widget.
class TestSurface : public WindowSurface {
public:
    explicit TestSurface(QWidget *parent = nullptr) : widget_(parent)
    {
        if (parent)
            widget_.setGeometry(0, 0, 100, 100);
        else
            widget_.setGeometry(100, 100, 200, 150);
        widget_.show();
    }
    void Show(int) override {}
    bool IsVisible() const override { return widget_.isVisible(); }
    bool IsMinimized() const override { return false; }
    bool IsMaximized() const override { return false; }
    void BringToFront() override {}
    QWidget *Widget() override { return &widget_; }

private:
    QWidget widget_;
};

class CursorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "CursorTestWnd";
            return RegisterClassA(&wc);
        }();
        ASSERT_NE(atom, 0);
        hwnd_ = CreateWindowExA(0, "CursorTestWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
        ASSERT_NE(hwnd_, 0u);
        surface_ = std::make_unique<TestSurface>();
        SetWindowSurface(hwnd_, surface_.get());
        ASSERT_TRUE(PumpUntil([&] { return surface_->Widget()->isVisible(); }));
    }
    void TearDown() override
    {
        ClipCursor(nullptr);
        SetCursor(0);
        SetWindowSurface(hwnd_, nullptr);
        DestroyWindow(hwnd_);
    }
    QCursor Shown() const { return surface_->Widget()->cursor(); }

    HWND hwnd_ = 0;
    std::unique_ptr<TestSurface> surface_;
};

TEST_F(CursorTest, SystemCursorsShowTheirShapesAsTheClassCursor)
{
    struct Case {
        LPCSTR idc;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {IDC_ARROW, Qt::ArrowCursor},       {IDC_CROSS, Qt::CrossCursor},
        {IDC_SIZEWE, Qt::SizeHorCursor},    {IDC_SIZENS, Qt::SizeVerCursor},
        {IDC_SIZENWSE, Qt::SizeFDiagCursor}, {IDC_SIZENESW, Qt::SizeBDiagCursor},
        {IDC_HAND, Qt::PointingHandCursor}, {IDC_WAIT, Qt::WaitCursor},
        {IDC_IBEAM, Qt::IBeamCursor},       {IDC_SIZEALL, Qt::SizeAllCursor},
        {IDC_NO, Qt::ForbiddenCursor},
    };
    auto previous = HCURSOR(GetClassLongA(hwnd_, GCL_HCURSOR));
    for (const Case &c : cases) {
        HCURSOR cursor = LoadCursorA(0, c.idc);
        ASSERT_NE(cursor, 0u) << c.shape;
        EXPECT_EQ(LoadCursorA(0, c.idc), cursor) << "one handle per system cursor";
        EXPECT_EQ(HCURSOR(SetClassLongA(hwnd_, GCL_HCURSOR, LONG_PTR(cursor))), previous);
        EXPECT_EQ(HCURSOR(GetClassLongA(hwnd_, GCL_HCURSOR)), cursor);
        EXPECT_EQ(Shown().shape(), c.shape);
        previous = cursor;
    }
}

TEST_F(CursorTest, ProgramCursorsAreLoadedByResourceName)
{
    ASSERT_TRUE(RegisterCursorResource("IDC_HAND2", IDC_SIZEALL));
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixel(3, 4, 0xFF000000u);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    ASSERT_TRUE(RegisterCursorResource("IDC_RUBBER", png.constData(), size_t(png.size()), 3, 4));
    ASSERT_TRUE(RegisterCursorResource(MAKEINTRESOURCE(106), IDC_HAND));

    HCURSOR hand2 = LoadCursor(kProgram, "idc_hand2");
    ASSERT_NE(hand2, 0u);
    EXPECT_EQ(LoadCursor(kProgram, "IDC_HAND2"), hand2);
    SetClassLongA(hwnd_, GCL_HCURSOR, LONG_PTR(hand2));
    EXPECT_EQ(Shown().shape(), Qt::SizeAllCursor);

    SetClassLongA(hwnd_, GCL_HCURSOR, LONG_PTR(LoadCursor(kProgram, "IDC_RUBBER")));
    EXPECT_EQ(Shown().shape(), Qt::BitmapCursor);
    EXPECT_EQ(Shown().hotSpot(), QPoint(3, 4));
    EXPECT_EQ(Shown().pixmap().size(), QSize(16, 16));

    SetClassLongA(hwnd_, GCL_HCURSOR, LONG_PTR(LoadCursor(kProgram, MAKEINTRESOURCE(106))));
    EXPECT_EQ(Shown().shape(), Qt::PointingHandCursor);

    struct Missing {
        HINSTANCE instance;
        LPCSTR name;
    };
    for (const Missing &m : {Missing{kProgram, "IDC_DRAG_NONE"}, Missing{0, "IDC_HAND2"},
                             Missing{kProgram, IDC_ARROW}, Missing{0, MAKEINTRESOURCE(1)}}) {
        SetLastError(0);
        EXPECT_EQ(LoadCursor(m.instance, m.name), 0u);
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    const char garbage[] = "no picture";
    EXPECT_FALSE(RegisterCursorResource("BAD", garbage, sizeof garbage, 0, 0));
    EXPECT_FALSE(RegisterCursorResource("BAD", MAKEINTRESOURCE(7)));
    EXPECT_FALSE(RegisterCursorResource(nullptr, IDC_ARROW));
}

TEST_F(CursorTest, ClassCursorRefusesOtherIndexesAndWindows)
{
    SetLastError(0);
    EXPECT_EQ(SetClassLongA(hwnd_, -10, 1), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
    SetLastError(0);
    EXPECT_EQ(GetClassLongA(0x7FFFFFF0u, GCL_HCURSOR), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(CursorTest, SetCursorShowsOverTheWindowUnderThePointer)
{
    HCURSOR hand = LoadCursor(0, IDC_HAND);
    HCURSOR sizeWE = LoadCursor(0, IDC_SIZEWE);
    SetCursor(0);
    ASSERT_TRUE(SetCursorPos(150, 160));
    PumpUntil([] { return false; }, 50);

    EXPECT_EQ(SetCursor(hand), 0u);
    EXPECT_EQ(GetCursor(), hand);
    EXPECT_EQ(Shown().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(SetCursor(sizeWE), hand);
    EXPECT_EQ(Shown().shape(), Qt::SizeHorCursor);
    // Null hides the pointer over the window.
    SetCursor(0);
    EXPECT_EQ(Shown().shape(), Qt::BlankCursor);
    // A handle that is no cursor changes nothing.
    SetLastError(0);
    EXPECT_EQ(SetCursor(0x7FFFFFF0u), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_CURSOR_HANDLE);
    EXPECT_EQ(GetCursor(), 0u);

    // With the pointer elsewhere the window keeps its shape.
    SetCursor(hand);
    ASSERT_TRUE(SetCursorPos(20, 20));
    PumpUntil([] { return false; }, 50);
    SetCursor(sizeWE);
    EXPECT_EQ(GetCursor(), sizeWE);
    EXPECT_EQ(Shown().shape(), Qt::PointingHandCursor);
}

// A parent that answers WM_SETCURSOR itself while `claims` is set.
bool parentClaims = false;
LRESULT ClaimingParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETCURSOR && parentClaims) {
        SetCursor(LoadCursor(0, IDC_CROSS));
        return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(CursorTest, SetCursorMessageShowsTheClassCursorUnlessTheParentAnswers)
{
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = ClaimingParentProc;
    parentClass.lpszClassName = "CursorParentWnd";
    WNDCLASSA childClass{};
    childClass.lpfnWndProc = DefWindowProcA;
    childClass.lpszClassName = "CursorSplitterWnd";
    childClass.hCursor = LoadCursor(0, IDC_SIZENS);
    ASSERT_NE(RegisterClassA(&parentClass), 0);
    ASSERT_NE(RegisterClassA(&childClass), 0);
    HWND parent = CreateWindowExA(0, "CursorParentWnd", "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    HWND child = CreateWindowExA(0, "CursorSplitterWnd", "", WS_CHILD, 0, 0, 0, 0, parent, 0, 0, nullptr);
    ASSERT_NE(child, 0u);
    TestSurface parentSurface;
    TestSurface childSurface(parentSurface.Widget());
    SetWindowSurface(parent, &parentSurface);
    SetWindowSurface(child, &childSurface);
    EXPECT_EQ(HCURSOR(GetClassLongA(child, GCL_HCURSOR)), LoadCursor(0, IDC_SIZENS));
    ASSERT_TRUE(PumpUntil([&] { return childSurface.Widget()->isVisible(); }));
    SetCursorPos(150, 150);
    PumpUntil([] { return false; }, 50);

    const LPARAM overClient = MAKELONG(HTCLIENT, WM_MOUSEMOVE);
    parentClaims = true;
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, child, overClient), TRUE);
    EXPECT_EQ(childSurface.Widget()->cursor().shape(), Qt::CrossCursor);
    parentClaims = false;
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, child, overClient), TRUE);
    EXPECT_EQ(childSurface.Widget()->cursor().shape(), Qt::SizeVerCursor);
    // Outside the client area, or for a class without a cursor, nothing is set.
    EXPECT_EQ(SendMessageA(child, WM_SETCURSOR, child, MAKELONG(HTNOWHERE, WM_MOUSEMOVE)), FALSE);
    EXPECT_EQ(SendMessageA(parent, WM_SETCURSOR, parent, overClient), FALSE);

    SetWindowSurface(child, nullptr);
    SetWindowSurface(parent, nullptr);
    DestroyWindow(parent);
    UnregisterClassA("CursorSplitterWnd", 0);
    UnregisterClassA("CursorParentWnd", 0);
}

TEST_F(CursorTest, PointerPositionIsKeptInsideTheClip)
{
    POINT p{};
    ASSERT_TRUE(SetCursorPos(300, 200));
    ASSERT_TRUE(GetCursorPos(&p));
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);

    // Confining moves the pointer inside at once (right and bottom excluded).
    RECT pane{100, 100, 200, 150};
    ASSERT_TRUE(ClipCursor(&pane));
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 199);
    EXPECT_EQ(p.y, 149);
    RECT clip{};
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_EQ(clip.left, 100);
    EXPECT_EQ(clip.bottom, 150);

    struct Move {
        int x, y, expectX, expectY;
    };
    for (const Move &m : {Move{0, 0, 100, 100}, Move{120, 130, 120, 130}, Move{500, 120, 199, 120}}) {
        SetCursorPos(m.x, m.y);
        GetCursorPos(&p);
        EXPECT_EQ(p.x, m.expectX) << m.x << "," << m.y;
        EXPECT_EQ(p.y, m.expectY) << m.x << "," << m.y;
    }

    // Released, the clip reads as the screen and the pointer goes anywhere.
    ASSERT_TRUE(ClipCursor(nullptr));
    GetClipCursor(&clip);
    EXPECT_NE(clip.right, 200);
    SetCursorPos(5, 6);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 6);

    // Away from the GUI thread the position set is remembered.
    POINT seen{};
    std::thread([&] {
        SetCursorPos(40, 50);
        GetCursorPos(&seen);
    }).join();
    EXPECT_EQ(seen.x, 40);
    EXPECT_EQ(seen.y, 50);
}

} // namespace
