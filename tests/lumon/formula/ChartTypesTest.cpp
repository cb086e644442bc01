// SAR, TWR and OX: the stop-and-reverse state traced by hand, the tower rules
// row by row, the point-and-figure columns of a crafted series, their layouts,
// drawings and hit tests.
#include "FamilyFixture.h"
#include "lumon/formula/ChartTypes.h"

namespace {

struct Hlc {
    uint32_t high, low, close;
};

void WriteBars(IndexFixture &f, const std::vector<Hlc> &rows)
{
    std::vector<KLineRecord> bars;
    for (size_t i = 0; i < rows.size(); ++i)
        bars.push_back(Bar(20061101 + int(i), 0, rows[i].close, rows[i].close, rows[i].high, rows[i].low, 100, 1000));
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
}

TEST(ChartTypes, SarStateTracedByHand)
{
    IndexFixture f;
    WriteBars(f, {{1010, 990, 1000}, {1030, 1000, 1020}, {1050, 1020, 1040}, {1070, 1040, 1060},
                  {1060, 1000, 1005}, {1020, 980, 990}, {1000, 960, 970}, {1040, 990, 1030}});
    auto sar = MakeIndex(f, 47, 1, {2});
    ASSERT_TRUE(sar->Compute());
    // Rising from the window's low with AF 0.02, 0.04, 0.06 on new highs (held
    // at 0.06 on the lower high of record 4); the close of record 5 crosses the
    // stop and only switches the state; record 6 starts the fall at the window's
    // high; record 7 crosses again; the stop after the last record repeats it.
    const float expected[] = {NoValue, 9.9f, 9.908f, 9.93168f, 9.9777792f, 10.0211124f, 10.2f, 10.188f, 10.188f};
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(sar->Lines[0][i], expected[i], 1e-4) << i;

    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*sar, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(CountCalls(calls, "Ellipse("), 8); // seven stops and the next bar's
    EXPECT_EQ(sar->VisibleCount, 8 + 30);
    EXPECT_FALSE(MakeIndex(f, 47, 1, {0})->Compute());
}

TEST(ChartTypes, SarAccelerationStopsAtPointTwo)
{
    IndexFixture f;
    std::vector<Hlc> rise;
    for (uint32_t i = 0; i < 20; ++i)
        rise.push_back({1010 + 10 * i, 990 + 10 * i, 1000 + 10 * i});
    WriteBars(f, rise);
    auto sar = MakeIndex(f, 47, 1, {3});
    ASSERT_TRUE(sar->Compute());
    // From record 12 on the factor is 0.2: each stop closes a fifth of the gap
    // to the window's high.
    for (int i = 13; i < 20; ++i) {
        float hh = (1010 + 10 * (i - 1)) / 100.0f;
        EXPECT_NEAR(sar->Lines[0][i], sar->Lines[0][i - 1] + (hh - sar->Lines[0][i - 1]) * 0.2f, 1e-4) << i;
    }
}

TEST(ChartTypes, TowerRules)
{
    IndexFixture f;
    WriteBars(f, {{1000, 1000, 1000}, {1010, 1010, 1010}, {1020, 1020, 1020}, {1015, 1015, 1015},
                  {1005, 1005, 1005}, {1005, 1005, 1005}, {1030, 1030, 1030}});
    auto twr = MakeIndex(f, 6, 6, {3});
    ASSERT_TRUE(twr->Compute());
    const float rows[7][3] = {{10.0f, 10.0f, 10.0f},   {10.1f, 10.0f, 10.0f},  {10.2f, 10.1f, 10.1f},
                              {10.2f, 10.15f, 10.15f}, {10.2f, 10.15f, 10.05f}, {10.05f, 10.05f, 10.05f},
                              {10.3f, 10.05f, 10.05f}};
    for (int i = 0; i < 7; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(twr->Lines[k][i], rows[i][k], 1e-5) << i << " " << k;
    EXPECT_EQ(FirstValue(*twr, 3), -1);
    EXPECT_EQ(FirstValue(*twr, 5), 3); // MA(C, 3) from record 1
    EXPECT_EQ(twr->Styles[1].Style, StyleNone);

    bool drawn = false;
    std::vector<std::string> calls = DrawCalls(*twr, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_GT(CountCalls(calls, "Rectangle("), 0);
    // A flat stroke sits on the unchanged close of record 5.
    int x = 0, y = 0, index = 5;
    twr->RecordToPoint(x, y, index);
    EXPECT_EQ(twr->HitTest(x, twr->PlotRect.bottom - int((10.05 - twr->ValueMin) * twr->YScale)), HitLine);
    EXPECT_EQ(twr->HitTest(x, twr->PlotRect.top + 1), HitNothing);
}

TEST(ChartTypes, PointAndFigureColumns)
{
    IndexFixture f;
    WriteBars(f, {{1000, 990, 995}, {1010, 995, 1005}, {1020, 1000, 1015}});
    auto ox = MakeIndex(f, 7, 1, {1});
    ASSERT_TRUE(ox->Compute());
    EXPECT_STREQ(ox->Definition.LineNames[0], "OX");
    bool drawn = false;
    DrawCalls(*ox, drawn);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(static_cast<OX &>(*ox).ColumnCount, 0); // fewer than 4 records

    // Three rising highs, then a reversal down by more than 30 units, then up.
    WriteBars(f, {{1000, 990, 995}, {1010, 995, 1005}, {1020, 1000, 1015}, {1100, 1010, 1090},
                  {1090, 1050, 1060}, {1100, 1060, 1095}, {1105, 1080, 1100}});
    ASSERT_TRUE(ox->Compute());
    std::vector<OX::Column> columns = static_cast<OX &>(*ox).BuildColumns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_TRUE(columns[0].Rising);
    EXPECT_EQ(columns[0].FirstRecord, 3);
    EXPECT_EQ(columns[0].Start, 1015);
    EXPECT_EQ(columns[0].Extreme, 1100);
    EXPECT_FALSE(columns[1].Rising);
    EXPECT_EQ(columns[1].Start, 1100);
    EXPECT_EQ(columns[1].Extreme, 1050);
    EXPECT_TRUE(columns[2].Rising);
    EXPECT_EQ(columns[2].Extreme, 1105); // extended by the last record

    std::vector<std::string> calls = DrawCalls(*ox, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(static_cast<OX &>(*ox).ColumnCount, 3);
    EXPECT_GT(CountCalls(calls, "Ellipse("), 0); // the O column
    EXPECT_GT(CountCalls(calls, "LineTo("), 0);  // the X columns
    EXPECT_EQ(ox->HitTest(ox->PlotRect.right - 1, ox->PlotRect.top + 1), HitNothing);
}

TEST(ChartTypes, EmptyHistoryAndFlatRange)
{
    IndexFixture f;
    for (int id : {47, 6, 7}) {
        auto index = MakeIndex(f, id, 6, {3});
        EXPECT_FALSE(index->Compute()) << id;
        bool drawn = true;
        EXPECT_TRUE(DrawCalls(*index, drawn).empty());
        EXPECT_FALSE(drawn);
    }
    WriteBars(f, {{1000, 1000, 1000}, {1000, 1000, 1000}});
    auto twr = MakeIndex(f, 6, 6, {0});
    ASSERT_TRUE(twr->Compute());
    bool drawn = false;
    DrawCalls(*twr, drawn);
    EXPECT_GT(twr->ValueMax, twr->ValueMin);
}

} // namespace
