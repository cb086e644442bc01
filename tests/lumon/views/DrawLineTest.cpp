// The line object on a laid-out pane (plot 1,16 - 579,312; bars 5 wide with a
// gap of 1, bar k centred at 3 + 6k, 80 bars shown): anchors to screen and back,
// the data area, proximity, clipping, the kinds' geometry and the hit test.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LineFixture.h"

using namespace win;

namespace {

bool Has(const std::vector<std::string> &calls, const std::string &call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

int CountPrefix(const std::vector<std::string> &calls, const std::string &prefix)
{
    return int(std::count_if(calls.begin(), calls.end(),
                             [&](const std::string &c) { return c.rfind(prefix, 0) == 0; }));
}

TEST(DrawLine, PlacedAnchorsSitOnBarCentresAndKeepTheirValue)
{
    LinePane p;
    ASSERT_EQ(p.kline->PlotRect.left, 1);
    ASSERT_EQ(p.kline->PlotRect.top, 16);
    ASSERT_EQ(p.kline->PlotRect.bottom, 312);
    ASSERT_EQ(p.kline->VisibleCount, 80);
    auto line = p.Make(LK_SEGMENT);
    struct Case {
        int x, y;
        bool clamp;
        bool ok;
        int record;     // the bar the anchor lands on
    } cases[] = {
        {3, 100, false, true, 0},   {4, 100, false, true, 0},  {5, 100, false, true, 1},  {7, 200, false, true, 1},
        {0, 150, false, true, 0},   {477, 300, false, true, 79}, {500, 100, false, false, -1},
        {500, 100, true, true, 79}, {-20, 40, true, true, 0},
    };
    for (const Case &c : cases) {
        LineAnchor a{c.x, c.y, 0xDEADBEEF, 0, 0};
        EXPECT_EQ(line->ScreenToAnchor(a, p.Pane(), p.Rect(), c.clamp), c.ok) << c.x;
        if (!c.ok) {
            EXPECT_EQ(a.time, 0xDEADBEEFu);
            continue;
        }
        EXPECT_EQ(a.time, p.Records[c.record].Time) << c.x;
        ASSERT_TRUE(line->AnchorToScreen(a, p.Pane(), p.Rect()));
        EXPECT_EQ(a.x, 3 + 6 * c.record) << c.x;
        EXPECT_NEAR(a.y, c.y, 1) << c.x;
    }
    // Keys between bars stand on the bar before; before the first bar one column
    // left of it (its centre truncated toward zero); after the last bar in the column after it.
    struct KeyCase {
        uint32_t time;
        int x;
    } keys[] = {{p.Records[10].Time, 63}, {p.Records[10].Time + 1, 63}, {p.Records[0].Time - 1, -2},
                {p.Records[79].Time + 100000, 483}};
    for (const KeyCase &k : keys) {
        LineAnchor a{0, 0, k.time, 11.0f, 1};
        ASSERT_TRUE(line->AnchorToScreen(a, p.Pane(), p.Rect()));
        EXPECT_EQ(a.x, k.x) << k.time;
    }
}

TEST(DrawLine, APaneWithoutRecordsGivesNoScreenPointAndIgnoresPresses)
{
    LinePane p;
    CKline empty(MakeStockId(0, 1, 5));
    auto line = std::unique_ptr<TLine>(new DrawDOT_DOT(&empty, &empty.PlotRect));
    LineAnchor a{5, 5, 1, 1, 1};
    EXPECT_FALSE(line->AnchorToScreen(a, &empty, &empty.PlotRect));
    EXPECT_EQ(a.x, -1);
    EXPECT_EQ(a.y, -1);
    EXPECT_FALSE(line->ScreenToAnchor(a, &empty, &empty.PlotRect, true));
    EXPECT_EQ(line->Press(10, 10, p.dc), 1);
    EXPECT_EQ(line->State, 0);
    EXPECT_EQ(line->CurAnchor, 0);
}

TEST(DrawLine, DataAreaTestsAndClamps)
{
    LinePane p;
    auto line = p.Make(LK_LINE);
    struct Case {
        POINT in;
        bool outside;
        POINT clamped;
    } cases[] = {
        {{100, 100}, false, {100, 100}}, {{100, 313}, true, {100, 312}}, {{100, 15}, true, {100, 16}},
        {{478, 100}, true, {477, 100}},  {{477, 312}, false, {477, 312}}, {{0, 100}, true, {1, 100}},
        {{600, 400}, true, {477, 312}},
    };
    for (const Case &c : cases) {
        POINT q = c.in;
        EXPECT_EQ(line->IsOutsidePane(q, false), c.outside) << c.in.x << "," << c.in.y;
        EXPECT_EQ(q.x, c.in.x);
        EXPECT_EQ(q.y, c.in.y);
        EXPECT_EQ(line->IsOutsidePane(q, true), c.outside);
        EXPECT_EQ(q.x, c.clamped.x) << c.in.x << "," << c.in.y;
        EXPECT_EQ(q.y, c.clamped.y) << c.in.x << "," << c.in.y;
    }
}

TEST(DrawLine, NearSegmentAndClipping)
{
    LinePane p;
    auto line = p.Make(LK_SEGMENT);
    struct NearCase {
        POINT p, a, b;
        bool hit;
        POINT moved;
    } nears[] = {
        {{12, 50}, {10, 20}, {10, 80}, true, {12, 50}},   // vertical: |dx| < 3
        {{13, 50}, {10, 20}, {10, 80}, false, {13, 50}},
        {{10, 81}, {10, 20}, {10, 80}, false, {10, 81}},  // beyond the end
        {{50, 98}, {20, 100}, {90, 100}, true, {50, 98}}, // horizontal
        {{95, 100}, {20, 100}, {90, 100}, false, {95, 100}},
        {{10, 23}, {0, 0}, {30, 60}, true, {10, 20}},     // steep: the first x' from p.x - 3 whose y is near
        {{40, 80}, {0, 0}, {30, 60}, false, {40, 80}},    // right of the segment
        {{40, 2}, {0, 0}, {60, 3}, true, {40, 2}},        // shallow: searched along y
        {{30, 2}, {0, 0}, {60, 3}, false, {30, 2}},
    };
    for (const NearCase &c : nears) {
        POINT q = c.p;
        EXPECT_EQ(line->NearSegment(q, c.a, c.b), c.hit) << c.p.x << "," << c.p.y;
        EXPECT_EQ(q.x, c.moved.x) << c.p.x << "," << c.p.y;
        EXPECT_EQ(q.y, c.moved.y) << c.p.x << "," << c.p.y;
    }
    struct ClipCase {
        POINT a, b;
        bool ok;
        POINT clipped;      // of a
    } clips[] = {
        {{-20, 100}, {100, 200}, true, {1, 117}},
        {{-5, 50}, {-5, 90}, false, {-5, 50}},       // vertical left of the pane
        {{-20, 100}, {50, 100}, true, {1, 100}},     // horizontal: onto the border
        {{100, 0}, {200, 100}, true, {116, 16}},     // above the top
        {{100, 0}, {200, 0}, false, {100, 0}},       // horizontal above the top
        {{300, 400}, {300, 200}, true, {300, 312}},  // vertical below the bottom
        {{600, 100}, {500, 100}, true, {579, 100}},
    };
    for (const ClipCase &c : clips) {
        POINT q = c.a;
        EXPECT_EQ(line->ClipToPane(q, c.a, c.b), c.ok) << c.a.x << "," << c.a.y;
        if (c.ok) {
            EXPECT_EQ(q.x, c.clipped.x) << c.a.x << "," << c.a.y;
            EXPECT_EQ(q.y, c.clipped.y) << c.a.x << "," << c.a.y;
        }
    }
}

TEST(DrawLine, TwoPointLinesSpanThePane)
{
    LinePane p;
    auto flat = p.Placed(LK_LINE, {63, 150}, {183, 150});
    ASSERT_EQ(flat->State, 1);
    EXPECT_EQ(flat->Anchors[0].y, flat->Anchors[1].y);
    EXPECT_EQ(flat->Points[0].x, 1);
    EXPECT_EQ(flat->Points[1].x, 579);
    EXPECT_EQ(flat->Points[0].y, flat->Anchors[0].y);
    auto upright = p.At(LK_LINE, {63, 150}, {63, 200});
    EXPECT_EQ(upright->Points[0].x, 63);
    EXPECT_EQ(upright->Points[0].y, 16);
    EXPECT_EQ(upright->Points[1].y, 312);
    // A sloped one ends on the borders: left at x = L, right clamped to the top.
    auto sloped = p.At(LK_LINE, {101, 200}, {201, 100});
    EXPECT_EQ(sloped->Points[0].x, 1);
    EXPECT_EQ(sloped->Points[0].y, 300);
    EXPECT_EQ(sloped->Points[1].y, 16);
    EXPECT_EQ(sloped->Points[1].x, 285);
    // A segment whose ends both lie left of the pane is not drawn.
    auto gone = p.Placed(LK_SEGMENT, {63, 150}, {123, 200});
    p.kline->FirstVisible = 40;
    gone->Redraw(p.dc, 0);
    EXPECT_TRUE(*p.image == p.clean);
}

TEST(DrawLine, LevelsOnTheBorderAndBeyond)
{
    LinePane p;
    // Golden levels: 0 at 300, 1 on the top border, 1.618 and 2.618 above it.
    auto golden = p.At(LK_GOLDEN, {100, 300}, {100, 16});
    std::vector<std::string> g = p.Calls(*golden);
    EXPECT_TRUE(Has(g, "MoveToEx(1,300)"));
    EXPECT_TRUE(Has(g, "MoveToEx(1,16)"));
    EXPECT_TRUE(Has(g, "MoveToEx(1,191)"));
    EXPECT_EQ(CountPrefix(g, "MoveToEx"), 5);
    EXPECT_EQ(CountPrefix(g, "TextOutA(1,191,\"38.2% \")"), 1);
    EXPECT_EQ(CountPrefix(g, "TextOutA(1,"), 3);
    // Percentage levels: none drawn on a border.
    auto percent = p.At(LK_PERCENT, {100, 300}, {100, 16});
    std::vector<std::string> c = p.Calls(*percent);
    EXPECT_TRUE(Has(c, "MoveToEx(1,300)"));
    EXPECT_FALSE(Has(c, "MoveToEx(1,16)"));
    EXPECT_EQ(CountPrefix(c, "MoveToEx"), 10);
    // The value at a level, with the stock's two decimals, left-aligned in 7.
    std::string value = "\"" + [&] {
        char s[16];
        std::snprintf(s, sizeof s, "%-7.2f", double(golden->Points[4].value));
        return std::string(s);
    }() + "\")";
    EXPECT_EQ(std::count_if(g.begin(), g.end(), [&](const std::string &s) { return s.find(value) != std::string::npos; }), 1);
}

TEST(DrawLine, FiguresThatNeedBRightOfAShowNothingButTheirAnchorsHit)
{
    LinePane p;
    for (int kind : {LK_GANN, LK_SPEED, LK_REGRESSION, LK_CHANNEL}) {
        auto line = p.Placed(kind, {303, 120}, {183, 220});
        ASSERT_EQ(line->State, 1) << kind;
        EXPECT_EQ(CountPrefix(p.Calls(*line), "LineTo"), 0) << kind;
        POINT a{line->Anchors[0].x + 2, line->Anchors[0].y - 2};
        EXPECT_EQ(line->HitTest(a), 0) << kind;
        POINT mid{(line->Anchors[0].x + line->Anchors[1].x) / 2, (line->Anchors[0].y + line->Anchors[1].y) / 2};
        EXPECT_EQ(line->HitTest(mid), -1) << kind;
    }
}

TEST(DrawLine, FibonacciColumnsStopAtTheFirstOutside)
{
    LinePane p;
    // From bar 60 (x 363): offsets 0 1 2 3 5 8 13 21 34 fit, 55 (x 693) does not.
    auto fib = p.At(LK_FIBONACCI, {363, 100});
    std::vector<std::string> calls = p.Calls(*fib);
    EXPECT_EQ(CountPrefix(calls, "LineTo"), 9);
    EXPECT_TRUE(Has(calls, "MoveToEx(567,16)"));
    EXPECT_EQ(CountPrefix(calls, "TextOutA(569,16,\"34\")"), 1);
    EXPECT_EQ(CountPrefix(calls, "TextOutA("), 9);
    POINT on{568, 200}, off{560, 200};
    EXPECT_EQ(fib->HitTest(on), HIT_BODY);
    EXPECT_EQ(fib->HitTest(off), -1);
    // An anchor right of the last shown bar shows nothing.
    auto beyond = p.At(LK_FIBONACCI, {500, 100});
    EXPECT_EQ(CountPrefix(p.Calls(*beyond), "LineTo"), 0);
    EXPECT_EQ(CountPrefix(p.Calls(*beyond), "TextOutA"), 0);
    // Cycle lines every 10 bars from bar 70 leftwards: bars 70, 60 ... 0.
    auto cycle = p.At(LK_CYCLE, {423, 100}, {363, 100});
    EXPECT_EQ(CountPrefix(p.Calls(*cycle), "LineTo"), 8);
}

TEST(DrawLine, RegressionOverTooFewBarsShowsNothing)
{
    LinePane p;
    for (POINT b : {POINT{123, 150}, POINT{129, 150}}) { // the same bar, the next bar
        auto band = p.Placed(LK_REGRESSION, {123, 100}, b);
        EXPECT_EQ(CountPrefix(p.Calls(*band), "LineTo"), 0) << b.x;
        POINT mid{126, 120};
        EXPECT_NE(band->HitTest(mid), HIT_BODY);
    }
    auto band = p.Placed(LK_REGRESSION, {123, 100}, {303, 150});
    EXPECT_EQ(CountPrefix(p.Calls(*band), "LineTo"), 3);
    // The anchors sit on the regression line.
    EXPECT_EQ(band->Anchors[0].y, band->Points[4].y);
    EXPECT_EQ(band->Anchors[1].y, band->Points[5].y);
    auto channel = p.Placed(LK_CHANNEL, {123, 100}, {303, 150});
    EXPECT_EQ(CountPrefix(p.Calls(*channel), "LineTo"), 6);
}

TEST(DrawLine, HandlesAndHits)
{
    LinePane p;
    auto seg = p.Placed(LK_SEGMENT, {63, 100}, {243, 200});
    QImage before = *p.image;
    seg->Draw(p.dc, 1);
    int ax = seg->Anchors[0].x, ay = seg->Anchors[0].y;
    // A 7 x 7 outline round each anchor inside the data area.
    EXPECT_NE(p.Pixel(ax - 3, ay - 3), before.pixel(ax - 3, ay - 3) & 0xFFFFFFu);
    EXPECT_NE(p.Pixel(ax + 3, ay + 3), before.pixel(ax + 3, ay + 3) & 0xFFFFFFu);
    EXPECT_NE(p.Pixel(ax - 3, ay + 1), before.pixel(ax - 3, ay + 1) & 0xFFFFFFu);
    EXPECT_EQ(p.Pixel(ax - 4, ay - 4), before.pixel(ax - 4, ay - 4) & 0xFFFFFFu);
    seg->Draw(p.dc, 1);
    EXPECT_TRUE(*p.image == before);
    // No handle for an anchor right of the last shown bar.
    auto wide = p.At(LK_SEGMENT, {63, 100}, {530, 200});
    std::vector<std::string> calls = p.Calls(*wide, 1);
    EXPECT_EQ(CountPrefix(calls, "MoveToEx"), 2); // the segment and one handle
    // Within 3 pixels of an anchor the anchor wins over the body.
    struct HitCase {
        POINT p;
        int hit;
    } hits[] = {{{ax + 3, ay + 3}, 0}, {{ax - 3, ay}, 0}, {{ax - 4, ay - 4}, -1},
                {{seg->Anchors[1].x, seg->Anchors[1].y - 2}, 1}, {{153, 150}, HIT_BODY}, {{153, 160}, -1}};
    for (const HitCase &h : hits) {
        POINT q = h.p;
        EXPECT_EQ(seg->HitTest(q), h.hit) << h.p.x << "," << h.p.y;
    }
    // A parallel line made from another line shows no handles and has no anchor grip.
    auto parallel = p.At(LK_PARALLEL, {63, 100}, {243, 200});
    parallel->Parent() = 0;
    EXPECT_EQ(CountPrefix(p.Calls(*parallel, 1), "MoveToEx"), 1);
    POINT grip{parallel->Anchors[0].x, parallel->Anchors[0].y};
    EXPECT_NE(parallel->HitTest(grip), 0);
}

TEST(DrawLine, MovingOverALineBeingPlacedLeavesOneRubberBand)
{
    LinePane p;
    QImage before = *p.image;
    auto line = p.Make(LK_BOX);
    line->Press(63, 100, p.dc);
    EXPECT_TRUE(*p.image == before); // nothing shown until the mouse moves
    for (POINT m : {POINT{100, 120}, POINT{150, 180}, POINT{220, 140}})
        line->Drag(m.x, m.y, p.dc);
    QImage banded = *p.image;
    line->Erase(p.dc, 0);
    EXPECT_TRUE(*p.image == before);
    line->Draw(p.dc, 0);
    EXPECT_TRUE(*p.image == banded);
    // The second press takes the band off and draws the box with its handles.
    line->Press(220, 140, p.dc);
    EXPECT_EQ(line->State, 1);
    line->Draw(p.dc, 1);
    EXPECT_TRUE(*p.image == before);
}

TEST(DrawLine, GrabMoveAndDropAWholeLine)
{
    LinePane p;
    auto seg = p.Placed(LK_SEGMENT, {63, 100}, {243, 200});
    seg->Draw(p.dc, 1);
    POINT body{153, 150};
    seg->CurAnchor = seg->HitTest(body);
    ASSERT_EQ(seg->CurAnchor, HIT_BODY);
    uint32_t t0 = seg->Anchors[0].time, t1 = seg->Anchors[1].time;
    seg->Press(body.x, body.y, p.dc);
    EXPECT_EQ(seg->State, 2);
    seg->Drag(body.x + 30, body.y, p.dc);
    seg->Drag(body.x + 60, body.y + 5, p.dc);
    seg->Press(body.x + 60, body.y + 5, p.dc);
    EXPECT_EQ(seg->State, 1);
    EXPECT_EQ(seg->Anchors[0].time, p.Records[20].Time);
    EXPECT_EQ(seg->Anchors[1].time, p.Records[50].Time);
    EXPECT_NE(seg->Anchors[0].time, t0);
    EXPECT_NE(seg->Anchors[1].time, t1);
    // What is left on the image is exactly the moved line with its handles.
    seg->Draw(p.dc, 1);
    EXPECT_TRUE(*p.image == p.clean);
}

TEST(DrawLine, MakeDrawLineMakesTheKindsOnly)
{
    LinePane p;
    TLine *slot = nullptr;
    for (int kind = 1; kind <= LineKindCount; ++kind) {
        ASSERT_EQ(MakeDrawLine(slot, kind, p.Pane(), p.Rect()), 1);
        EXPECT_EQ(slot->Kind, kind);
        EXPECT_EQ(slot->AnchorCount, kind == 10 || kind >= 15 ? 1 : 2);
        EXPECT_EQ(slot->ShowHandles, kind >= 15 ? 0 : 1);
        EXPECT_EQ(slot->Colour, RGB(255, 255, 0));
    }
    TLine *last = slot;
    EXPECT_EQ(MakeDrawLine(slot, 0, p.Pane(), p.Rect()), 0);
    EXPECT_EQ(MakeDrawLine(slot, 18, p.Pane(), p.Rect()), 0);
    EXPECT_EQ(slot, last);
    delete slot;
}

} // namespace
