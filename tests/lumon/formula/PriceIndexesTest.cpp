// The price-pane indicators: their averages against hand-checked values, hidden
// lines, empty history, the columns' start, and values that are never drawn.
#include <gtest/gtest.h>

#include <cmath>

#include "FamilyFixture.h"
#include "lumon/formula/PriceIndexes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

namespace {

const std::vector<uint32_t> Closes = {1000, 1010, 1020, 1030, 1040, 1050, 1060, 1070, 1080, 1090, 1100, 1120};

TEST(PriceIndexes, CloseAveragesOfEachClass)
{
    IndexFixture f;
    f.DayBars(Closes);
    // (index, line, value): MA5 and MA10 of the close / 100.
    struct Point {
        int record, line;
        float value;
    };
    const Point averages[] = {{4, 0, 10.2f}, {11, 0, 10.92f}, {9, 1, 10.45f}, {11, 1, 10.66f}};
    std::vector<std::unique_ptr<TIndex>> indexes;
    indexes.emplace_back(new CKline(Sh600000));
    indexes.emplace_back(new CZJline(Sh600000));
    indexes.emplace_back(new CBline(Sh600000));
    for (auto &index : indexes) {
        ASSERT_TRUE(index->Compute()) << index->Id;
        EXPECT_TRUE(index->Computed);
        for (const Point &p : averages)
            EXPECT_NEAR(index->Lines[p.line][p.record], p.value, 1e-4) << index->Id << " " << p.record;
        EXPECT_EQ(index->Lines[0][3], NoValue);
        EXPECT_EQ(index->Lines[1][8], NoValue);
        EXPECT_EQ(index->Styles[0].TitleParam, 5);
        for (int k = 2; k < 6; ++k) { // parameter 0: hidden, no values
            EXPECT_EQ(index->Styles[k].Style, StyleNone);
            EXPECT_EQ(index->Lines[k][11], NoValue);
        }
    }

    CloseLine close(Sh600000);
    ASSERT_TRUE(close.Compute());
    EXPECT_STREQ(close.Definition.LineNames[0], "收盘价");
    EXPECT_EQ(std::strlen(close.Definition.LineNames[0]), 6u);
    EXPECT_FLOAT_EQ(close.Lines[0][11], 11.2f);
    EXPECT_NEAR(close.Lines[1][11], 10.92f, 1e-4);
    EXPECT_NEAR(close.Lines[2][11], 10.66f, 1e-4);
    EXPECT_EQ(close.Styles[3].Style, StyleNone);

    KLine k(Sh600000);
    ASSERT_TRUE(k.Compute());
    EXPECT_TRUE(k.NoLines);
    EXPECT_TRUE(k.PriceScale);
}

TEST(PriceIndexes, VolumeAndAmountColumns)
{
    IndexFixture f;
    f.DayBars(Closes);
    CVolume vol(Sh600000);
    CAmount amo(Sh600000);
    ASSERT_TRUE(vol.Compute());
    ASSERT_TRUE(amo.Compute());
    EXPECT_EQ(vol.Styles[0].Style, StyleBar);
    EXPECT_FLOAT_EQ(vol.Lines[0][11], 1200);
    EXPECT_FLOAT_EQ(vol.Lines[1][2], 200);
    EXPECT_FLOAT_EQ(vol.Lines[1][11], 1100);
    EXPECT_FLOAT_EQ(amo.Lines[1][11], 11000);
    EXPECT_EQ(vol.Lines[1][1], NoValue);
    EXPECT_FALSE(vol.PriceScale);

    // The average line starts after its parameter's record: it moves to record
    // 4 and joins records 5 to 11.
    win::HDC dc = win::CreateRecordingDC(200, 120);
    win::RECT rect{0, 0, 120, 120};
    ASSERT_TRUE(vol.Draw(dc, &rect));
    std::vector<std::string> calls = win::RecordedCalls(dc);
    EXPECT_EQ(CountCalls(calls, "Rectangle("), 12);
    EXPECT_EQ(LinesWithPen(calls, 5), 7);
    win::DeleteDC(dc);
}

TEST(PriceIndexes, EmptyHistoryDrawsNothing)
{
    IndexFixture f;
    for (int id : {3, 9, 2, 322}) {
        std::unique_ptr<TIndex> index;
        switch (id) {
        case 3: index.reset(new CKline(Sh600000)); break;
        case 9: index.reset(new KLine(Sh600000)); break;
        case 2: index.reset(new CloseLine(Sh600000)); break;
        default: index.reset(new CVolume(Sh600000)); break;
        }
        EXPECT_FALSE(index->Compute()) << id;
        EXPECT_FALSE(index->Computed);
        win::HDC dc = win::CreateRecordingDC(100, 100);
        win::RECT rect{0, 0, 100, 100};
        EXPECT_FALSE(index->Draw(dc, &rect));
        EXPECT_TRUE(win::RecordedCalls(dc).empty()) << id;
        win::DeleteDC(dc);
    }
}

TEST(PriceIndexes, NoValueAndNaNAreNeverDrawn)
{
    IndexFixture f;
    std::vector<KLineRecord> bars = f.DayBars(Closes);
    bars[5].Volume = std::nanf("");
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    CVolume vol(Sh600000);
    ASSERT_TRUE(vol.Compute());
    win::HDC dc = win::CreateRecordingDC(200, 120);
    win::RECT rect{0, 0, 120, 120};
    ASSERT_TRUE(vol.Draw(dc, &rect));
    EXPECT_GT(vol.ValueMax, 1000); // the range ignores NaN
    std::vector<std::string> calls = win::RecordedCalls(dc);
    EXPECT_EQ(CountCalls(calls, "Rectangle("), 11);
    // The running average is NaN from record 5 on: nothing of it is joined.
    EXPECT_EQ(LinesWithPen(calls, 5), 0);
    win::DeleteDC(dc);

    // A line whose values are all out of range draws nothing.
    TIndex line(Sh600000);
    line.Id = 77;
    line.LineCount = 1;
    line.Init();
    ASSERT_TRUE(line.Compute());
    line.FillLinesNone();
    line.Computed = 1;
    dc = win::CreateRecordingDC(200, 120);
    ASSERT_TRUE(line.Draw(dc, &rect));
    line.DrawLineStyle(dc, &rect, 0, 0);
    EXPECT_EQ(LinesWithPen(win::RecordedCalls(dc), 4), 0);
    win::DeleteDC(dc);
}

} // namespace
