// The draw and string grids on a shown form: owner-drawn cells with their
// rectangles and states (also drawn outside paint), fixed rows and columns, the
// current cell moved by keys, clicks and OnSelectCell, paging by a posted key,
// top-left changes, and columns moved and sized by dragging in the fixed row.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <map>
#include <tuple>
#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TStringGrid.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

LPARAM At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

COLORREF Pixel(TControl *control, int x, int y)
{
    HDC dc = GetDC(control->Handle);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->Handle, dc);
    return c;
}

struct Drawn {
    TRect rect;
    TGridDrawState state;
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new TForm(&App());
        form->SetBounds(0, 0, 400, 200);
        grid = new TDrawGrid(form);
        grid->Parent = form;
        grid->SetBounds(0, 0, 300, 120);
        // The cell geometry below is for the whole control; the scroll bars have
        // their own test.
        grid->ScrollBars = ssNone;
        grid->OnDrawCell = [this](TObject *sender, int col, int row, const TRect &rect, TGridDrawState state) {
            EXPECT_EQ(sender, grid);
            D(col, row) = Drawn{rect, state};
            grid->Canvas->Brush->Color = static_cast<TColor>(RGB(10 * col, 10 * row, 200));
            grid->Canvas->FillRect(rect);
        };
        grid->OnTopLeftChanged = [this](TObject *) { ++topLeftChanges; };
        form->Show();
    }
    void TearDown() override { delete form; }
    void Paint()
    {
        drawn.clear();
        grid->Repaint();
    }

    Drawn &D(int col, int row) { return drawn[std::make_pair(col, row)]; }

    TForm *form = nullptr;
    TDrawGrid *grid = nullptr;
    std::map<std::pair<int, int>, Drawn> drawn;
    int topLeftChanges = 0;
};

TEST_F(GridTest, DrawsEachShownCellThroughOnDrawCell)
{
    grid->RowCount = 50;
    grid->ColCount = 8;
    Paint();
    // 64 x 24 cells with one-pixel lines: five columns and five rows reach into
    // the 300 x 120 client area.
    EXPECT_EQ(drawn.size(), 25u);
    EXPECT_EQ(D(1, 2).rect, TRect(65, 50, 129, 74));
    EXPECT_EQ(grid->CellRect(4, 4), TRect(260, 100, 324, 124));
    EXPECT_TRUE(D(0, 3).state.Contains(gdFixed));
    EXPECT_TRUE(D(2, 0).state.Contains(gdFixed));
    EXPECT_TRUE(D(1, 1).state.Contains(gdSelected));
    EXPECT_FALSE(D(2, 2).state.Contains(gdSelected));
    EXPECT_EQ(Pixel(grid, 70, 55), RGB(10, 20, 200));
    EXPECT_EQ(Pixel(grid, 64, 55), ColorToRGB(clBlack));
    EXPECT_EQ(Pixel(grid, 129, 55), ColorToRGB(clSilver));
    EXPECT_EQ(grid->VisibleRowCount, 3);
    EXPECT_EQ(grid->VisibleColCount, 3);

    // A cell drawn outside paint shows at once.
    TRect cell = grid->CellRect(2, 3);
    grid->OnDrawCell(grid, 2, 3, cell, TGridDrawState() << gdSelected);
    grid->Canvas->Brush->Color = clRed;
    grid->Canvas->FillRect(TRect(cell.Left, cell.Top, cell.Left + 5, cell.Top + 5));
    EXPECT_EQ(Pixel(grid, cell.Left + 1, cell.Top + 1), ColorToRGB(clRed));
    EXPECT_EQ(Pixel(grid, cell.Left + 10, cell.Top + 10), RGB(20, 30, 200));

    int col = 0;
    int row = 0;
    grid->MouseToCell(70, 55, col, row);
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 2));
    grid->MouseToCell(299, 119, col, row);
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(4, 4));
}

TEST_F(GridTest, LinesAreDrawnWhenTheCellsLeaveTheBrushHollow)
{
    // Cells that write their text over a hollow brush, as the quote list does.
    grid->OnDrawCell = [this](TObject *, int, int, const TRect &rect, TGridDrawState) {
        grid->Canvas->Brush->Style = bsSolid;
        grid->Canvas->Brush->Color = clNavy;
        grid->Canvas->FillRect(rect);
        grid->Canvas->Brush->Style = bsClear;
        grid->Canvas->TextOut(rect.Left + 2, rect.Top + 2, "1");
    };
    Paint();
    EXPECT_EQ(Pixel(grid, 120, 70), ColorToRGB(clNavy));
    EXPECT_EQ(Pixel(grid, 64, 55), ColorToRGB(clBlack));
    EXPECT_EQ(Pixel(grid, 129, 55), ColorToRGB(clSilver));
    EXPECT_EQ(Pixel(grid, 70, 74), ColorToRGB(clSilver));
}

TEST_F(GridTest, PostedPageDownPagesTheGrid)
{
    grid->RowCount = 50;
    grid->Options = TGridOptions() << goRowSelect;
    PostMessageA(grid->Handle, WM_KEYDOWN, VK_NEXT, 1);
    ASSERT_TRUE(PumpUntil([&] { return grid->Row == 5; }));
    EXPECT_EQ(grid->TopRow, 5);
    EXPECT_EQ(topLeftChanges, 1);
    TGridRect sel = grid->Selection;
    EXPECT_EQ(sel.Left, 1);
    EXPECT_EQ(sel.Right, 4);
    EXPECT_EQ(sel.Top, 5);

    grid->Perform(WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(grid->Row, 49);
    EXPECT_EQ(grid->TopRow, 49 - 4 + 1);
    grid->Perform(WM_KEYDOWN, VK_PRIOR, 1);
    EXPECT_EQ(grid->Row, 45);
    grid->Perform(WM_KEYDOWN, VK_HOME, 1);
    EXPECT_EQ(grid->Row, 1);
    EXPECT_EQ(grid->TopRow, 1);
}

TEST_F(GridTest, CurrentCellMovesUnlessRefused)
{
    grid->RowCount = 10;
    grid->ColCount = 10;
    std::vector<std::pair<int, int>> asked;
    bool allow = true;
    grid->OnSelectCell = [&](TObject *, int col, int row, bool &can) {
        asked.emplace_back(col, row);
        can = allow;
    };
    grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(140, 80));
    grid->Perform(WM_LBUTTONUP, 0, At(140, 80));
    EXPECT_EQ(grid->Col, 2);
    EXPECT_EQ(grid->Row, 3);
    allow = false;
    grid->Perform(WM_KEYDOWN, VK_DOWN, 1);
    grid->Row = 6;
    EXPECT_EQ(grid->Row, 3);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 3}, {2, 4}, {2, 6}}));
    allow = true;
    // Moving right past the shown columns scrolls the left column.
    for (int i = 0; i < 4; ++i)
        grid->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(grid->Col, 6);
    EXPECT_EQ(grid->LeftCol, 4);
    EXPECT_GE(topLeftChanges, 1);
    Paint();
    EXPECT_TRUE(grid->CellRect(1, 1) == TRect());
    EXPECT_EQ(grid->CellRect(4, 1).Left, 65);
    EXPECT_EQ(drawn.count(std::make_pair(1, 1)), 0u);
    EXPECT_EQ(drawn.count(std::make_pair(0, 1)), 1u);

    // Without fixed cells the first column and row are shown and current.
    grid->FixedCols = 0;
    grid->FixedRows = 0;
    EXPECT_EQ(grid->LeftCol, 0);
    EXPECT_EQ(grid->TopRow, 0);
    EXPECT_EQ(grid->Col, 0);
    EXPECT_EQ(grid->CellRect(0, 0), TRect(0, 0, 64, 24));
    Paint();
    EXPECT_FALSE(D(0, 0).state.Contains(gdFixed));
    EXPECT_TRUE(D(0, 0).state.Contains(gdSelected));
}

TEST_F(GridTest, DraggingInTheFixedRowMovesAndSizesColumns)
{
    grid->Options = TGridOptions() << goColMoving << goColSizing;
    grid->SetColWidth(1, 40);
    std::vector<std::pair<int, int>> moves;
    grid->OnColumnMoved = [&](TObject *sender, int from, int to) {
        EXPECT_EQ(sender, grid);
        moves.emplace_back(from, to);
    };
    // No lines without the line options: columns sit side by side.
    EXPECT_EQ(grid->CellRect(2, 1).Left, 104);
    grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(80, 10));
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(200, 10));
    grid->Perform(WM_LBUTTONUP, 0, At(200, 10));
    EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(grid->GetColWidth(3), 40);
    EXPECT_EQ(grid->GetColWidth(1), 64);

    // The right edge of column 1 dragged 20 pixels to the right.
    grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(128, 10));
    grid->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(148, 10));
    grid->Perform(WM_LBUTTONUP, 0, At(148, 10));
    EXPECT_EQ(grid->GetColWidth(1), 84);
    EXPECT_EQ(moves.size(), 1u);
}

TEST_F(GridTest, ScrollBarsAppearWhenCellsOverflowAndScrollTheGrid)
{
    grid->ScrollBars = ssBoth;
    grid->ColCount = 4;
    grid->RowCount = 4;
    // Four columns and rows fit: no bars, the whole control is client.
    EXPECT_EQ(grid->ClientWidth, 300);
    EXPECT_EQ(grid->ClientHeight, 120);
    auto bars = grid->Widget()->findChildren<QScrollBar *>();
    ASSERT_EQ(bars.size(), 2);
    QScrollBar *vert = bars[0]->orientation() == Qt::Vertical ? bars[0] : bars[1];
    EXPECT_FALSE(vert->isVisible());

    // More rows: the vertical bar takes 17 pixels on the right; the columns
    // still fit, so there is no horizontal bar.
    grid->RowCount = 50;
    EXPECT_EQ(grid->ClientWidth, 283);
    EXPECT_EQ(grid->ClientHeight, 120);
    EXPECT_TRUE(vert->isVisible());
    EXPECT_EQ(vert->geometry(), QRect(283, 0, 17, 120));
    EXPECT_EQ(vert->minimum(), 1);
    EXPECT_EQ(vert->maximum(), 50 - 3);

    // Moving the bar scrolls the grid; scrolling the grid moves the bar.
    vert->setValue(10);
    EXPECT_EQ(grid->TopRow, 10);
    EXPECT_EQ(topLeftChanges, 1);
    grid->TopRow = 20;
    EXPECT_EQ(vert->value(), 20);

    // A cell is never drawn under the bar.
    Paint();
    for (auto &[cell, d] : drawn)
        EXPECT_LE(d.rect.Left, 283) << cell.first << "," << cell.second;
    EXPECT_NE(Pixel(grid, 290, 60), RGB(10 * 4, 10 * 21, 200));

    // Wider columns add the horizontal bar below, which narrows the rows' room.
    grid->ColCount = 8;
    EXPECT_EQ(grid->ClientHeight, 103);
    // The corner between the two bars is in the face colour.
    Paint();
    EXPECT_EQ(Pixel(grid, 290, 110), ColorToRGB(clBtnFace));
    grid->ScrollBars = ssNone;
    EXPECT_EQ(grid->ClientWidth, 300);
    EXPECT_FALSE(vert->isVisible());
}

TEST(StringGridTest, KeepsCellTextsAndDrawsThem)
{
    App();
    auto *form = new TForm(&App());
    form->SetBounds(0, 0, 300, 200);
    auto *grid = new TStringGrid(form);
    grid->Parent = form;
    grid->SetBounds(0, 0, 260, 120);
    grid->Font->Color = clRed;
    grid->Cells[1][1] = "中文";
    grid->Cells[2][3] = "文字";
    EXPECT_EQ(AnsiString(grid->Cells[1][1]), AnsiString("中文"));
    EXPECT_EQ(AnsiString(grid->Cells[3][3]), AnsiString(""));
    EXPECT_EQ(grid->ClassName(), AnsiString("TStringGrid"));
    int draws = 0;
    grid->OnDrawCell = [&](TObject *, int, int, const TRect &, TGridDrawState) { ++draws; };
    form->Show();
    grid->Repaint();
    EXPECT_GT(draws, 0);
    // An unselected cell's text in the grid's font colour.
    TRect cell = grid->CellRect(2, 3);
    bool red = false;
    for (int y = cell.Top; y < cell.Bottom && !red; ++y)
        for (int x = cell.Left; x < cell.Right && !red; ++x)
            red = Pixel(grid, x, y) == ColorToRGB(clRed);
    EXPECT_TRUE(red);
    delete form;
}

} // namespace

namespace {

std::vector<std::pair<UINT, LPARAM>> captureNotices;
WNDPROC gridProc = nullptr;

LRESULT RecordCapture(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CAPTURECHANGED || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP)
        captureNotices.emplace_back(msg, lParam);
    return CallWindowProcA(gridProc, hwnd, msg, wParam, lParam);
}

} // namespace

// A press captures the mouse for the control it hit; when the last button is
// released the control hears WM_CAPTURECHANGED (lParam 0: nobody has the
// capture now), after the button-up itself, once.
TEST_F(GridTest, ReleasingTheLastButtonEndsTheImplicitCapture)
{
    captureNotices.clear();
    gridProc = reinterpret_cast<WNDPROC>(SetWindowLongA(grid->Handle, GWL_WNDPROC, LONG_PTR(&RecordCapture)));
    QWidget *w = grid->Widget();
    auto send = [w](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x) {
        QMouseEvent e(type, QPointF(x, 30), w->mapToGlobal(QPointF(x, 30)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 20);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 60);
    send(QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, 60);
    // The right button goes up first: the left one still holds the capture.
    send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, 60);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 60);
    // A move without buttons captures nothing.
    send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 70);
    SetWindowLongA(grid->Handle, GWL_WNDPROC, LONG_PTR(gridProc));
    const std::vector<std::pair<UINT, LPARAM>> expected = {
        {WM_RBUTTONUP, MAKELONG(60, 30)}, {WM_LBUTTONUP, MAKELONG(60, 30)}, {WM_CAPTURECHANGED, 0}};
    EXPECT_EQ(captureNotices, expected);
}
