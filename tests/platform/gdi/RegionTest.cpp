// Regions: shapes, combination, filling, framing and hit tests.
#include "GdiFixture.h"

namespace win {
namespace {

TEST_F(GdiTest, BalloonShapedRegionIsTheUnionOfEllipseAndTail)
{
    // The balloon tip window's shape: an ellipse and a polygon tail joined.
    HRGN ellipse = CreateEllipticRgn(10, 10, 100, 70);
    POINT tail[] = {{0, 0}, {15, 20}, {25, 40}, {10, 40}};
    HRGN tailRegion = CreatePolygonRgn(tail, 4, ALTERNATE);
    HRGN joined = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(joined, tailRegion, ellipse, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(joined, 55, 40));
    EXPECT_TRUE(PtInRegion(joined, 10, 20));
    EXPECT_TRUE(PtInRegion(joined, 12, 30));
    EXPECT_FALSE(PtInRegion(joined, 5, 30));
    EXPECT_FALSE(PtInRegion(joined, 98, 12));
    EXPECT_FALSE(PtInRegion(joined, 100, 40));
    RECT box;
    EXPECT_EQ(GetRgnBox(joined, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 70);
    EXPECT_EQ(CombineRgn(joined, tailRegion, 999999, RGN_OR), ERROR);

    HDC dc = NewImageDC(110, 80);
    HBRUSH fill = CreateSolidBrush(RGB(249, 254, 188));
    HBRUSH frame = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_TRUE(FillRgn(dc, joined, fill));
    EXPECT_TRUE(FrameRgn(dc, joined, frame, 2, 1));
    EXPECT_EQ(At(55, 40), 0xF9FEBCu);
    EXPECT_EQ(At(55, 10), 0x0000FFu); // top edge, one pixel high
    EXPECT_EQ(At(55, 11), 0xF9FEBCu);
    EXPECT_EQ(At(10, 40), 0x0000FFu); // left edge, two pixels wide
    EXPECT_EQ(At(11, 40), 0x0000FFu);
    EXPECT_EQ(At(99, 12), 0u);
    for (HGDIOBJ o : {HGDIOBJ(ellipse), HGDIOBJ(tailRegion), HGDIOBJ(joined), HGDIOBJ(fill), HGDIOBJ(frame)})
        DeleteObject(o);
}

TEST_F(GdiTest, RegionsFollowTheRightAndBottomExclusiveRule)
{
    HRGN rect = CreateRectRgn(2, 3, 10, 8);
    EXPECT_TRUE(PtInRegion(rect, 2, 3));
    EXPECT_TRUE(PtInRegion(rect, 9, 7));
    EXPECT_FALSE(PtInRegion(rect, 10, 7));
    EXPECT_FALSE(PtInRegion(rect, 9, 8));
    EXPECT_EQ(OffsetRgn(rect, 1, 1), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(rect, 10, 8));
    POINT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    HRGN poly = CreatePolygonRgn(square, 4, WINDING);
    RECT box;
    GetRgnBox(poly, &box);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 10);
    // Rounded corners cut the corner pixels only.
    HRGN round = CreateRoundRectRgn(0, 0, 40, 30, 11, 11);
    EXPECT_FALSE(PtInRegion(round, 0, 0));
    EXPECT_FALSE(PtInRegion(round, 39, 29));
    EXPECT_TRUE(PtInRegion(round, 5, 0));
    EXPECT_TRUE(PtInRegion(round, 0, 15));
    EXPECT_TRUE(PtInRegion(round, 39, 15));
    HRGN empty = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(empty, rect, rect, RGN_DIFF), NULLREGION);
    for (HGDIOBJ o : {HGDIOBJ(rect), HGDIOBJ(poly), HGDIOBJ(round), HGDIOBJ(empty)})
        DeleteObject(o);
}

} // namespace
} // namespace win
