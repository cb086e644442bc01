// The price-volume bar chart: layout numbers and the drawn columns and bars in
// both orientations, the guards, flat values and the first-point clamp.
#include <gtest/gtest.h>

#include "IndexFixture.h"
#include "lumon/formula/TBarChart.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

namespace {

const win::COLORREF Colours[2] = {0x0000FF, 0x00FF00};

std::vector<std::string> Drawn(TBarChart &chart, win::RECT rect)
{
    win::HDC dc = win::CreateRecordingDC(400, 300);
    EXPECT_TRUE(chart.Draw(dc, &rect));
    std::vector<std::string> calls = win::RecordedCalls(dc);
    win::DeleteDC(dc);
    std::vector<std::string> shapes;
    for (const std::string &c : calls)
        if (c.rfind("Rectangle(", 0) == 0 || c.rfind("TextOutA(", 0) == 0 || c.rfind("LineTo(", 0) == 0)
            shapes.push_back(c);
    return shapes;
}

void Fill(TBarChart &chart, std::vector<float> labels, std::vector<float> values)
{
    ASSERT_TRUE(chart.SetSize(1, int(labels.size()), 2, Colours));
    std::copy(labels.begin(), labels.end(), chart.Labels);
    std::copy(values.begin(), values.end(), chart.Values[0]);
}

TEST(BarChart, VerticalColumns)
{
    IndexFixture f; // theme font 6 is 12 pixels high
    TBarChart chart("价量分布图");
    Fill(chart, {1, 2, 3}, {10, 20, 0});
    std::vector<std::string> shapes = Drawn(chart, {0, 0, 200, 140});
    EXPECT_EQ(chart.GroupSize, 48);
    EXPECT_EQ(chart.GroupGap, 6);
    EXPECT_EQ(chart.Capacity, 3);
    EXPECT_EQ(chart.PointsShown, 3);
    EXPECT_DOUBLE_EQ(chart.ValueScale, 5.0);
    std::vector<std::string> expected = {
        "TextOutA(2,144,\"   1.000\")", "Rectangle(2,90,50,140)",    "TextOutA(2,70,\"      10\")",
        "TextOutA(56,144,\"   2.000\")", "Rectangle(56,40,104,140)", "TextOutA(56,20,\"      20\")",
        "TextOutA(110,144,\"   3.000\")", "Rectangle(110,140,158,140)", "TextOutA(110,120,\"       0\")",
        "TextOutA(2,2,\"价量分布图\")"};
    EXPECT_EQ(shapes, expected);
}

TEST(BarChart, HorizontalBars)
{
    IndexFixture f;
    TBarChart chart(nullptr);
    EXPECT_STREQ(chart.Title, "  ");
    Fill(chart, {1, 2, 3}, {10, 20, 0});
    chart.Vertical = 0;
    std::vector<std::string> shapes = Drawn(chart, {0, 0, 300, 100});
    EXPECT_EQ(chart.GroupSize, 12);
    EXPECT_EQ(chart.Capacity, 3);
    EXPECT_NEAR(chart.ValueScale, 9.4, 1e-9);
    std::vector<std::string> rects;
    for (const std::string &s : shapes)
        if (s.rfind("Rectangle(", 0) == 0 || s.rfind("LineTo(", 0) == 0)
            rects.push_back(s);
    EXPECT_EQ(rects, (std::vector<std::string>{"LineTo(56,100)", "Rectangle(56,22,150,34)",
                                                "Rectangle(56,44,244,56)", "Rectangle(56,66,56,78)"}));
}

TEST(BarChart, GuardsFlatValuesAndTheFirstPoint)
{
    IndexFixture f;
    TBarChart chart("T");
    // No points, no colours, no arrays: nothing is drawn.
    EXPECT_TRUE(Drawn(chart, {0, 0, 200, 140}).empty());
    ASSERT_TRUE(chart.SetSize(1, 3, 0, nullptr));
    EXPECT_TRUE(Drawn(chart, {0, 0, 200, 140}).empty());
    ASSERT_TRUE(chart.SetSize(9, 0, 1, Colours));
    EXPECT_EQ(chart.SeriesCount, 4);
    EXPECT_TRUE(Drawn(chart, {0, 0, 200, 140}).empty());

    // All values 0: scale 1, bars of no length.
    Fill(chart, {1, 2, 3}, {0, 0, 0});
    Drawn(chart, {0, 0, 200, 140});
    EXPECT_EQ(chart.ValueScale, 1.0);

    // A first point past the last is moved to the last; values out of range are
    // not drawn.
    chart.Values[0][1] = NoValue;
    chart.FirstPoint = 10;
    std::vector<std::string> shapes = Drawn(chart, {0, 0, 200, 140});
    EXPECT_EQ(chart.FirstPoint, 2);
    EXPECT_EQ(chart.PointsShown, 1);
    chart.FirstPoint = 1;
    shapes = Drawn(chart, {0, 0, 200, 140});
    EXPECT_EQ(std::count_if(shapes.begin(), shapes.end(),
                            [](const std::string &s) { return s.rfind("Rectangle(", 0) == 0; }),
              1);
}

} // namespace
