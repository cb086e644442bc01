// Lines and figures on images: the Windows pixel rules, mix modes that restore the
// picture when a figure is drawn twice, pen patterns and clipping.
#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "GdiFixture.h"

namespace win {
namespace {

using Figure = std::function<void(HDC)>;

struct FigureCase {
    const char *name;
    Figure draw;
};

void Line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

const std::vector<FigureCase> &Figures()
{
    static const std::vector<FigureCase> figures = {
        {"diagonal line", [](HDC dc) { Line(dc, 3, 4, 40, 17); }},
        {"steep line", [](HDC dc) { Line(dc, 30, 2, 25, 40); }},
        {"closed square of joined lines",
         [](HDC dc) {
             MoveToEx(dc, 5, 5, nullptr);
             LineTo(dc, 25, 5);
             LineTo(dc, 25, 25);
             LineTo(dc, 5, 25);
             LineTo(dc, 5, 5);
         }},
        {"polyline back on itself",
         [](HDC dc) {
             POINT p[] = {{2, 30}, {20, 3}, {38, 30}, {2, 30}};
             Polyline(dc, p, 4);
         }},
        {"polygon",
         [](HDC dc) {
             POINT p[] = {{4, 4}, {40, 10}, {22, 40}, {10, 20}};
             Polygon(dc, p, 4);
         }},
        {"rectangle", [](HDC dc) { Rectangle(dc, 3, 4, 30, 22); }},
        {"rectangle without pen",
         [](HDC dc) {
             HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_PEN));
             Rectangle(dc, 3, 4, 30, 22);
             SelectObject(dc, old);
         }},
        {"ellipse", [](HDC dc) { Ellipse(dc, 2, 3, 37, 30); }},
        {"small circle", [](HDC dc) { Ellipse(dc, 10, 10, 13, 13); }},
        {"half disc", [](HDC dc) { Chord(dc, 4, 4, 28, 28, 16, 4, 16, 28); }},
        {"dotted line",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0x80, 0x80));
             HGDIOBJ old = SelectObject(dc, pen);
             Line(dc, 1, 1, 40, 33);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"wide line",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_SOLID, 3, RGB(0x10, 0x20, 0x80));
             HGDIOBJ old = SelectObject(dc, pen);
             Line(dc, 5, 30, 35, 8);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"wide polygon",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_SOLID, 2, RGB(0x10, 0x20, 0x80));
             HGDIOBJ old = SelectObject(dc, pen);
             POINT p[] = {{6, 6}, {36, 12}, {20, 36}};
             Polygon(dc, p, 3);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"wide rectangle",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_SOLID, 2, RGB(0x10, 0x20, 0x80));
             HGDIOBJ old = SelectObject(dc, pen);
             Rectangle(dc, 6, 6, 30, 25);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
    };
    return figures;
}

// A background whose pixels never equal the pens' and brushes' colours (blue 0x40).
void PaintBackground(QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 37) & 0xFF, (y * 53) & 0xFF, 0x40));
}

class FigureTest : public GdiTest {
protected:
    HDC Prepared()
    {
        HDC dc = NewImageDC(44, 44);
        PaintBackground(Image());
        pen_ = CreatePen(PS_SOLID, 1, RGB(0x30, 0x60, 0x80));
        brush_ = CreateSolidBrush(RGB(0x90, 0x10, 0x80));
        SelectObject(dc, pen_);
        SelectObject(dc, brush_);
        SetBkMode(dc, TRANSPARENT);
        return dc;
    }
    void TearDown() override
    {
        GdiTest::TearDown();
        DeleteObject(pen_);
        DeleteObject(brush_);
    }
    HPEN pen_ = 0;
    HBRUSH brush_ = 0;
};

std::vector<bool> Changed(const QImage &before, const QImage &after)
{
    std::vector<bool> changed;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            changed.push_back(before.pixel(x, y) != after.pixel(x, y));
    return changed;
}

TEST_F(FigureTest, FiguresDrawnTwiceInAnInvolutoryModeRestoreEveryPixel)
{
    for (int mode : {R2_XORPEN, R2_NOT, R2_NOTXORPEN}) {
        for (const FigureCase &figure : Figures()) {
            SCOPED_TRACE(std::string(figure.name) + ", mode " + std::to_string(mode));
            HDC dc = Prepared();
            QImage before = Image().copy();
            figure.draw(dc);
            std::vector<bool> copied = Changed(before, Image());
            ASSERT_TRUE(std::count(copied.begin(), copied.end(), true) > 0);

            Image() = before.copy();
            SetROP2(dc, mode);
            figure.draw(dc);
            // Every pixel of the figure is touched once: no holes where parts meet.
            EXPECT_EQ(Changed(before, Image()), copied);
            figure.draw(dc);
            EXPECT_EQ(Image(), before);
            DeleteDC(dc);
            dc_ = 0;
            DeleteObject(pen_);
            DeleteObject(brush_);
        }
    }
}

// Row y of the image from x0 to x1 as a string: '#' where the pixel is `ink`.
std::string Row(const QImage &image, int y, int x0, int x1, uint32_t ink)
{
    std::string row;
    for (int x = x0; x <= x1; ++x)
        row += (image.pixel(x, y) & 0xFFFFFFu) == ink ? '#' : '.';
    return row;
}

TEST_F(GdiTest, LineToLeavesOutItsLastPixel)
{
    struct Case {
        int x0, y0, x1, y1;
    } cases[] = {{2, 5, 12, 5}, {12, 6, 2, 6}, {4, 1, 4, 15}, {1, 1, 11, 11}, {14, 14, 3, 9}, {7, 2, 9, 15}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " to " + std::to_string(c.x1) + "," +
                     std::to_string(c.y1));
        HDC dc = NewImageDC(16, 16);
        SelectObject(dc, GetStockObject(WHITE_PEN));
        Line(dc, c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(At(c.x0, c.y0), 0xFFFFFFu);
        EXPECT_EQ(At(c.x1, c.y1), 0u);
        EXPECT_EQ(CountNot(0), std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0)));
        DeleteDC(dc);
        dc_ = 0;
    }
}

TEST_F(GdiTest, RectangleOutlinesWithThePenAndFillsInsideWithTheBrushLeavingOutRightAndBottom)
{
    HDC dc = NewImageDC(16, 12);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    Rectangle(dc, 2, 3, 10, 8);
    const uint32_t red = 0xFF0000, blue = 0x0000FF;
    EXPECT_EQ(Row(Image(), 2, 0, 11, red), "............");
    EXPECT_EQ(Row(Image(), 3, 0, 11, red), "..########..");
    EXPECT_EQ(Row(Image(), 4, 0, 11, red), "..#......#..");
    EXPECT_EQ(Row(Image(), 4, 0, 11, blue), "...######...");
    EXPECT_EQ(Row(Image(), 7, 0, 11, red), "..########..");
    EXPECT_EQ(Row(Image(), 8, 0, 11, red), "............");

    // Without a pen the filled area is one pixel smaller, as Windows draws it.
    SelectObject(dc, GetStockObject(NULL_PEN));
    Image().fill(0xFF000000u);
    Rectangle(dc, 2, 3, 10, 8);
    EXPECT_EQ(Row(Image(), 3, 0, 11, blue), "..#######...");
    EXPECT_EQ(Row(Image(), 6, 0, 11, blue), "..#######...");
    EXPECT_EQ(Row(Image(), 7, 0, 11, blue), "............");
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST_F(GdiTest, FillAndFrameRectUseTheBrushAndIgnoreTheMixMode)
{
    HDC dc = NewImageDC(12, 8, 0x101010);
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    SetROP2(dc, R2_XORPEN);
    RECT r{1, 1, 9, 6};
    FillRect(dc, &r, brush);
    EXPECT_EQ(Row(Image(), 1, 0, 10, 0x00FF00), ".########..");
    EXPECT_EQ(Row(Image(), 6, 0, 10, 0x00FF00), "...........");
    Image().fill(0xFF000000u);
    FrameRect(dc, &r, brush);
    EXPECT_EQ(Row(Image(), 1, 0, 10, 0x00FF00), ".########..");
    EXPECT_EQ(Row(Image(), 3, 0, 10, 0x00FF00), ".#......#..");
    EXPECT_EQ(Row(Image(), 5, 0, 10, 0x00FF00), ".########..");
    // A system colour index + 1 stands for that colour's brush.
    FillRect(dc, &r, HBRUSH(COLOR_WINDOW + 1));
    EXPECT_EQ(At(4, 3), 0xFFFFFFu);
    DeleteObject(brush);
}

TEST_F(GdiTest, DottedPenDrawsThreeOnThreeOffAndCarriesThePatternAlongJoinedLines)
{
    HDC dc = NewImageDC(24, 8);
    HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    Line(dc, 0, 1, 20, 1);
    EXPECT_EQ(Row(Image(), 1, 0, 20, 0xFFFFFF), "###...###...###...##.");
    MoveToEx(dc, 0, 3, nullptr);
    LineTo(dc, 4, 3);
    LineTo(dc, 11, 3);
    EXPECT_EQ(Row(Image(), 3, 0, 11, 0xFFFFFF), "###...###...");
    // In opaque mode the gaps take the background colour.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 0, 0));
    Line(dc, 0, 5, 12, 5);
    EXPECT_EQ(Row(Image(), 5, 0, 12, 0xFF0000), "...###...###.");
    // Wider pens draw solid.
    HPEN wide = CreatePen(PS_DOT, 2, RGB(255, 255, 255));
    SelectObject(dc, wide);
    Line(dc, 0, 7, 10, 7);
    EXPECT_EQ(Row(Image(), 7, 0, 10, 0xFFFFFF), "###########");
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
    DeleteObject(wide);
}

TEST_F(GdiTest, EllipsesAreSymmetricInsideTheirBox)
{
    HDC dc = NewImageDC(14, 14);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Ellipse(dc, 0, 0, 10, 10);
    EXPECT_EQ(Row(Image(), 0, 0, 10, 0xFFFFFF), "...####....");
    EXPECT_EQ(Row(Image(), 5, 0, 10, 0xFFFFFF), "##########.");
    EXPECT_EQ(Row(Image(), 10, 0, 10, 0xFFFFFF), "...........");
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(At(x, y), At(9 - x, y)) << x << "," << y;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(At(x, y), At(x, 9 - y)) << x << "," << y;
    // A 3 × 3 box gives a small round dot.
    Image().fill(0xFF000000u);
    Ellipse(dc, 4, 4, 7, 7);
    EXPECT_EQ(Row(Image(), 4, 3, 7, 0xFFFFFF), "..#..");
    EXPECT_EQ(Row(Image(), 5, 3, 7, 0xFFFFFF), ".###.");
    EXPECT_EQ(Row(Image(), 6, 3, 7, 0xFFFFFF), "..#..");
}

TEST_F(GdiTest, ChordThroughTheCentreGivesTheHalfDiscOfItsArc)
{
    HDC dc = NewImageDC(24, 24);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    // From the top counter-clockwise to the bottom: the left half.
    Chord(dc, 0, 0, 20, 20, 10, 0, 10, 20);
    EXPECT_EQ(At(2, 10), 0xFFFFFFu);
    EXPECT_EQ(At(9, 10), 0xFFFFFFu);
    for (int y = 0; y < 20; ++y)
        for (int x = 11; x < 24; ++x)
            ASSERT_EQ(At(x, y), 0u) << x << "," << y;
}

TEST_F(GdiTest, PixelsReadBackAndOutsideTheImageOrClipAreInvalid)
{
    HDC dc = NewImageDC(8, 8);
    EXPECT_EQ(SetPixel(dc, 3, 4, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 3, 4), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(dc, 8, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    HRGN clip = CreateRectRgn(0, 0, 4, 4);
    SelectClipRgn(dc, clip);
    EXPECT_EQ(GetPixel(dc, 3, 4), CLR_INVALID);
    EXPECT_EQ(SetPixel(dc, 5, 5, RGB(9, 9, 9)), CLR_INVALID);
    EXPECT_EQ(At(5, 5), 0u);
    DeleteObject(clip);
    EXPECT_EQ(GetPixel(0, 0, 0), CLR_INVALID);
}

TEST_F(GdiTest, ClipRegionLimitsEveryFigure)
{
    HDC dc = NewImageDC(20, 20);
    HRGN clip = CreateEllipticRgn(0, 0, 10, 10);
    EXPECT_EQ(SelectClipRgn(dc, clip), COMPLEXREGION);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 0, 0, 20, 20);
    EXPECT_EQ(At(5, 5), 0xFFFFFFu);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(12, 5), 0u);
    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 10);
    SelectClipRgn(dc, 0);
    Rectangle(dc, 0, 0, 20, 20);
    EXPECT_EQ(At(0, 0), 0xFFFFFFu);
    DeleteObject(clip);
}

TEST_F(GdiTest, PolylineDrawsThePixelsOfItsSegmentsDrawnOneByOne)
{
    // Painters join runs of points into one polyline where they drew a LineTo
    // per point: the pictures must be the same, also in XOR mode (each pixel
    // drawn once) and with a dotted pen (its pattern carried along).
    const std::vector<std::vector<POINT>> runs = {
        {{2, 30}, {3, 28}, {4, 29}, {5, 12}, {6, 12}, {7, 35}, {8, 30}},
        {{2, 30}, {20, 3}, {38, 30}, {2, 30}},
        {{30, 2}, {29, 38}, {28, 2}, {27, 38}},
        {{1, 1}, {38, 1}, {38, 38}, {1, 38}, {1, 2}},
        {{-5, 20}, {10, 20}, {10, 20}, {50, 25}},
    };
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    HPEN wide = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
    struct Pen {
        HGDIOBJ pen;
        std::vector<int> modes;
    } pens[] = {{GetStockObject(WHITE_PEN), {R2_COPYPEN, R2_XORPEN}},
                {dotted, {R2_COPYPEN, R2_XORPEN}},
                {wide, {R2_COPYPEN}}};
    for (const Pen &pen : pens)
        for (int mode : pen.modes)
            for (size_t k = 0; k < runs.size(); ++k) {
                SCOPED_TRACE("run " + std::to_string(k) + " mode " + std::to_string(mode));
                const std::vector<POINT> &run = runs[k];
                HDC dc = NewImageDC(40, 40, 0x306090);
                SetROP2(dc, mode);
                SelectObject(dc, pen.pen);
                Polyline(dc, run.data(), int(run.size()));
                const QImage joined = Image().copy();
                Image().fill(0xFF306090u);
                MoveToEx(dc, run[0].x, run[0].y, nullptr);
                for (size_t i = 1; i < run.size(); ++i)
                    LineTo(dc, run[i].x, run[i].y);
                EXPECT_TRUE(Image() == joined);
                DeleteDC(dc);
                dc_ = 0;
            }
    DeleteObject(dotted);
    DeleteObject(wide);
}

TEST_F(GdiTest, LinesCrossingTheClipOrTheImageEdgeDrawOnlyTheirPixelsInside)
{
    // Each line drawn whole on a large image, then on a small image (its edge at
    // 16) and clipped to a rectangle: the clipped pictures are the whole one's
    // pixels inside, and nothing else. Steep lines one column wide, lines from
    // or to one pixel beyond an edge, in copy and XOR mode, solid and dotted.
    struct Case {
        int x0, y0, x1, y1;
    } cases[] = {{5, 5, 4, 16},  {5, 5, 4, 17},  {10, 2, 11, 20}, {2, 8, 16, 9},  {15, 15, 0, 16},
                 {8, 8, 8, 16},  {8, 8, 16, 8},  {3, 12, 6, -1},  {12, 3, -1, 4}, {1, 1, 17, 17},
                 {6, 10, 5, 3},  {9, 4, 14, 12}, {4, 4, 7, 11},   {11, 11, 4, 4}, {0, 15, 15, 0},
                 {16, 5, 15, 12}, {3, 16, 10, 15}, {16, 16, 15, 15}, {12, 3, 11, 9}, {2, 12, 9, 11}};
    const QRect clips[] = {QRect(0, 0, 16, 16), QRect(4, 4, 8, 8), QRect(5, 0, 6, 16)};
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    for (int mode : {R2_COPYPEN, R2_XORPEN})
        for (HGDIOBJ pen : {GetStockObject(WHITE_PEN), HGDIOBJ(dotted)})
            for (const Case &c : cases) {
                SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " to " + std::to_string(c.x1) +
                             "," + std::to_string(c.y1) + " mode " + std::to_string(mode));
                HDC whole = NewImageDC(64, 64, 0x202020);
                SetROP2(whole, mode);
                SelectObject(whole, pen);
                Line(whole, c.x0 + 20, c.y0 + 20, c.x1 + 20, c.y1 + 20);
                const QImage reference = Image().copy(20, 20, 16, 16);
                DeleteDC(whole);
                dc_ = 0;
                for (const QRect &clip : clips) {
                    HDC dc = NewImageDC(16, 16, 0x202020);
                    HRGN region = CreateRectRgn(clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1);
                    SelectClipRgn(dc, region);
                    DeleteObject(region);
                    SetROP2(dc, mode);
                    SelectObject(dc, pen);
                    Line(dc, c.x0, c.y0, c.x1, c.y1);
                    for (int y = 0; y < 16; ++y)
                        for (int x = 0; x < 16; ++x) {
                            const uint32_t expected =
                                clip.contains(x, y) ? reference.pixel(x, y) & 0xFFFFFFu : 0x202020u;
                            ASSERT_EQ(At(x, y), expected) << x << "," << y << " clip " << clip.left() << ","
                                                          << clip.top();
                        }
                    DeleteDC(dc);
                    dc_ = 0;
                }
            }
    DeleteObject(dotted);
}

} // namespace
} // namespace win

namespace win {
namespace {

TEST_F(GdiTest, ExtremeCoordinatesDrawWhatIsVisibleWithoutWalkingTheRest)
{
    const int lo = std::numeric_limits<int>::min();
    const int hi = std::numeric_limits<int>::max();
    HDC dc = NewImageDC(16, 16);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    Line(dc, lo, 5, hi, 5);
    EXPECT_EQ(Row(Image(), 5, 0, 15, 0xFFFFFF), "################");
    Line(dc, hi, lo, lo, hi);
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    HPEN wide = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
    for (HPEN pen : {dotted, wide}) {
        SelectObject(dc, pen);
        Line(dc, lo, lo, hi, hi);
        POINT far[] = {{lo, lo}, {hi, 3}, {3, hi}};
        Polygon(dc, far, 3);
        Polyline(dc, far, 3);
        Ellipse(dc, lo, lo, hi, hi);
        Chord(dc, lo, lo, hi, hi, 0, lo, 0, hi);
    }
    SelectObject(dc, GetStockObject(BLACK_PEN));
    Image().fill(0xFF000000u);
    Rectangle(dc, lo, lo, hi, hi);
    EXPECT_EQ(At(7, 7), 0xFFFFFFu);
    RECT huge{lo, lo, hi, hi};
    FillRect(dc, &huge, HBRUSH(GetStockObject(GRAY_BRUSH)));
    EXPECT_EQ(At(0, 15), 0x808080u);
    FrameRect(dc, &huge, HBRUSH(GetStockObject(WHITE_BRUSH)));
    InvertRect(dc, &huge);
    PatBlt(dc, lo, lo, hi, hi, PATINVERT);
    BitBlt(dc, lo, lo, hi, hi, dc, hi, lo, SRCCOPY);
    StretchBlt(dc, hi, hi, lo, lo, dc, lo, 0, hi, 1, SRCCOPY);
    TextOutA(dc, hi, lo, "x", 1);
    DrawTextA(dc, "x", 1, &huge, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    HRGN region = CreateEllipticRgn(lo, lo, hi, hi);
    for (int i = 0; i < 200; ++i)
        OffsetRgn(region, hi, hi);
    FillRgn(dc, region, HBRUSH(GetStockObject(WHITE_BRUSH)));
    HRGN rounded = CreateRoundRectRgn(lo, lo, hi, hi, hi, hi);
    EXPECT_NE(rounded, 0u);
    for (HGDIOBJ o : {HGDIOBJ(dotted), HGDIOBJ(wide), HGDIOBJ(region), HGDIOBJ(rounded)})
        DeleteObject(o);
}

} // namespace
} // namespace win
