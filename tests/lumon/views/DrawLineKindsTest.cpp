// The seventeen kinds drawn on a laid-out pane: drawn and erased in XOR they
// leave the picture as it was, a parallel line goes through the click, and a
// picture of all of them is saved for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "LineFixture.h"
#include "lumon/core/EMemOp.h"

using namespace win;

namespace {

// Anchors that show each kind well on the 640 x 320 pane.
struct KindCase {
    int kind;
    POINT a, b;
} const Kinds[] = {
    {LK_LINE, {63, 250}, {243, 150}},     {LK_SEGMENT, {63, 100}, {243, 200}},   {LK_PARALLEL, {63, 250}, {243, 150}},
    {LK_SINE, {153, 160}, {213, 110}},    {LK_GOLDEN, {200, 250}, {260, 120}},   {LK_PERCENT, {200, 250}, {260, 120}},
    {LK_ARC, {123, 200}, {183, 120}},     {LK_BOX, {123, 100}, {243, 200}},      {LK_GANN, {63, 280}, {183, 150}},
    {LK_FIBONACCI, {183, 100}, {0, 0}},   {LK_CYCLE, {123, 100}, {183, 100}},    {LK_SPEED, {63, 280}, {183, 150}},
    {LK_REGRESSION, {63, 100}, {363, 100}}, {LK_CHANNEL, {63, 100}, {303, 100}},
};

// Places the line as the mouse does (a parallel line from the anchors given,
// through the click at b).
std::unique_ptr<TLine> Place(LinePane &p, const KindCase &c, HDC dc)
{
    auto line = p.Make(c.kind);
    if (c.kind == LK_PARALLEL) {
        line->Anchors[0].x = c.a.x;
        line->Anchors[0].y = c.a.y;
        line->Anchors[1].x = c.b.x;
        line->Anchors[1].y = c.b.y;
        line->Press(150, 120, dc);
    } else {
        line->Press(c.a.x, c.a.y, dc);
        if (line->State == 0)
            line->Press(c.b.x, c.b.y, dc);
    }
    return line;
}

TEST(DrawLineKinds, DrawnTwiceInXorTheyLeaveThePictureAsItWas)
{
    LinePane p;
    for (const KindCase &c : Kinds) {
        *p.image = p.clean;
        auto line = Place(p, c, p.dc);
        ASSERT_EQ(line->State, 1) << c.kind;
        // The press drew it with its handles; a repaint from the keys draws it again.
        QImage placed = *p.image;
        EXPECT_FALSE(placed == p.clean) << c.kind;
        *p.image = p.clean;
        line->Redraw(p.dc, 1);
        line->Erase(p.dc, 1);
        bool labels = c.kind == LK_GOLDEN || c.kind == LK_PERCENT || c.kind == LK_FIBONACCI;
        if (!labels) {
            EXPECT_TRUE(*p.image == p.clean) << c.kind;
            continue;
        }
        // The level and period numbers are opaque text (the chart repaints for
        // them): only the rows of the labels may differ.
        std::vector<bool> labelRow(size_t(p.image->height()), false);
        auto mark = [&](int top) {
            for (int y = std::max(top, 0); y < std::min(top + 16, p.image->height()); ++y)
                labelRow[size_t(y)] = true;
        };
        if (c.kind == LK_FIBONACCI)
            mark(p.kline->PlotRect.top);
        else
            for (int i = 0; i < line->PointCount; i += 2)
                mark(line->Points[i].y);
        int left = 0, other = 0;
        for (int y = 0; y < p.image->height(); ++y)
            for (int x = 0; x < p.image->width(); ++x)
                if (p.Pixel(x, y) != (p.clean.pixel(x, y) & 0xFFFFFFu))
                    ++(labelRow[size_t(y)] ? left : other);
        EXPECT_GT(left, 0) << c.kind;
        EXPECT_EQ(other, 0) << c.kind;
    }
}

TEST(DrawLineKinds, AParallelLineGoesThroughTheClickWithTheSameSlope)
{
    LinePane p;
    auto base = p.At(LK_SEGMENT, {63, 250}, {243, 160});
    auto parallel = p.Make(LK_PARALLEL);
    std::memcpy(parallel->Anchors, base->Anchors, 2 * sizeof(LineAnchor));
    parallel->Press(153, 200, p.dc);
    ASSERT_EQ(parallel->State, 1);
    const LineAnchor &a = parallel->Anchors[0], &b = parallel->Anchors[1];
    EXPECT_EQ(a.x, 3);
    EXPECT_EQ(b.x, 477); // the last shown bar
    double slope = double(b.y - a.y) / (b.x - a.x);
    EXPECT_NEAR(slope, -0.5, 0.01);
    EXPECT_NEAR(a.y + slope * (153 - a.x), 200, 1.5);
    // Its figure is the two-point line's, across the pane.
    EXPECT_EQ(parallel->Points[0].x, 1);
    EXPECT_EQ(parallel->Points[1].y, 16);
}

TEST(DrawLineKinds, TextAndArrowsAreOpaqueAndHitInTheirBoxes)
{
    LinePane p;
    auto up = p.At(LK_UPARROW, {123, 150});
    auto down = p.At(LK_DOWNARROW, {183, 150});
    up->Draw(p.dc, 1);
    down->Draw(p.dc, 1);
    EXPECT_EQ(p.Pixel(123, 141), 0xFF0000u); // the up arrow's tip in the rising colour
    EXPECT_EQ(p.Pixel(183, 159), 0x00FF00u); // the down arrow's tip in the falling colour
    up->Draw(p.dc, 1);
    EXPECT_EQ(p.Pixel(123, 141), 0xFF0000u); // drawn again, still there
    struct Hit {
        TLine *line;
        POINT p;
        int hit;
    } hits[] = {{up.get(), {119, 141}, 0}, {up.get(), {127, 150}, -1}, {up.get(), {123, 153}, -1},
                {down.get(), {183, 158}, 0}, {down.get(), {183, 159}, -1}, {down.get(), {183, 146}, -1}};
    for (const Hit &h : hits) {
        POINT q = h.p;
        EXPECT_EQ(h.line->HitTest(q), h.hit) << h.p.x << "," << h.p.y;
    }
    auto text = p.At(LK_TEXT, {300, 60});
    text->Text = static_cast<char *>(EMemAlloc(8));
    std::strcpy(text->Text, "高点");
    text->TextExtent = MeasureLineText(text->Text);
    EXPECT_GT(text->TextExtent.cx, 10);
    EXPECT_GT(text->TextExtent.cy, 10);
    POINT in{300 + text->TextExtent.cx - 1, 60 + text->TextExtent.cy - 1}, out{300 + text->TextExtent.cx, 60};
    EXPECT_EQ(text->HitTest(in), 0);
    EXPECT_EQ(text->HitTest(out), -1);
}

TEST(DrawLineKinds, PictureOfTheSeventeenKinds)
{
    LinePane p(960, 540, 150);
    const RECT &r = p.kline->PlotRect;
    auto x = [&](int bar) { return p.BarX(bar); };
    auto y = [&](double share) { return int(r.top + (r.bottom - r.top) * share); };
    struct Figure {
        int kind;
        POINT a, b;
    } figures[] = {
        {LK_LINE, {x(5), y(0.85)}, {x(40), y(0.6)}},     {LK_SEGMENT, {x(10), y(0.15)}, {x(40), y(0.3)}},
        {LK_SINE, {x(60), y(0.9)}, {x(66), y(0.82)}},    {LK_GOLDEN, {x(120), y(0.75)}, {x(135), y(0.45)}},
        {LK_PERCENT, {x(45), y(0.1)}, {x(55), y(0.05)}}, {LK_ARC, {x(70), y(0.35)}, {x(80), y(0.2)}},
        {LK_BOX, {x(85), y(0.35)}, {x(100), y(0.5)}},    {LK_GANN, {x(15), y(0.95)}, {x(30), y(0.75)}},
        {LK_FIBONACCI, {x(100), y(0.1)}, {}},            {LK_CYCLE, {x(2), y(0.2)}, {x(7), y(0.2)}},
        {LK_SPEED, {x(90), y(0.95)}, {x(110), y(0.7)}},  {LK_REGRESSION, {x(20), y(0.5)}, {x(60), y(0.5)}},
        {LK_CHANNEL, {x(105), y(0.5)}, {x(130), y(0.5)}}, {LK_TEXT, {x(62), y(0.62)}, {}},
        {LK_UPARROW, {x(75), y(0.7)}, {}},               {LK_DOWNARROW, {x(78), y(0.55)}, {}},
    };
    std::vector<std::unique_ptr<TLine>> lines;
    for (const Figure &f : figures) {
        auto line = p.Make(f.kind);
        if (f.kind == LK_TEXT) {
            line->Text = static_cast<char *>(EMemAlloc(16));
            std::strcpy(line->Text, "突破 颈线");
            line->TextExtent = MeasureLineText(line->Text);
            // Placed as the file reader puts a text line: no dialog.
            line->Anchors[0].x = f.a.x;
            line->Anchors[0].y = f.a.y;
            ASSERT_TRUE(line->ScreenToAnchor(line->Anchors[0], p.Pane(), p.Rect(), true));
            line->State = 1;
            lines.push_back(std::move(line));
            continue;
        }
        HDC scratch = CreateRecordingDC(960, 540);
        line->Press(f.a.x, f.a.y, scratch);
        if (line->State == 0)
            line->Press(f.b.x, f.b.y, scratch);
        DeleteDC(scratch);
        lines.push_back(std::move(line));
    }
    // The parallel line of the two-point line, through a click above it.
    auto parallel = p.Make(LK_PARALLEL);
    std::memcpy(parallel->Anchors, lines[0]->Anchors, 2 * sizeof(LineAnchor));
    HDC scratch = CreateRecordingDC(960, 540);
    parallel->Press(x(25), y(0.45), scratch);
    DeleteDC(scratch);
    lines.push_back(std::move(parallel));
    for (auto &line : lines) {
        ASSERT_EQ(line->State, 1) << line->Kind;
        line->Redraw(p.dc, 1);
    }
    ASSERT_TRUE(SaveDCToPng(p.dc, LUMO_TEST_BINARY_DIR "/drawlines.png"));
}

} // namespace
