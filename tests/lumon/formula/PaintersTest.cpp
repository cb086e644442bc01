// The painters, from the calls they make: candle geometry and colours, hollow
// rising candles, OHLC ticks, sticks from a base, selection squares, and lines
// broken at ex-rights days.
#include <gtest/gtest.h>

#include "IndexFixture.h"
#include "lumon/formula/PriceIndexes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/support/RecordedSegments.h"

namespace {

const std::vector<uint32_t> Closes = {1000, 1010, 1020, 1030, 1040, 1050, 1060, 1070, 1080, 1090, 1100, 1120};

std::string Colour(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", unsigned(0x010101 * (n + 1)));
    return text;
}

bool Has(const std::vector<std::string> &calls, const std::string &call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

int Count(const std::vector<std::string> &calls, const std::string &prefix)
{
    return int(std::count_if(calls.begin(), calls.end(),
                             [&](const std::string &c) { return c.rfind(prefix, 0) == 0; }));
}

// Calls of one painter after the pane was laid out by Draw, polylines as their
// segments.
template <typename Paint>
std::vector<std::string> Painted(TIndex &index, Paint paint)
{
    win::HDC dc = win::CreateRecordingDC(400, 300);
    win::RECT rect{0, 0, 120, 216};
    index.Draw(dc, &rect);
    win::HDC clean = win::CreateRecordingDC(400, 300);
    paint(clean, &rect);
    std::vector<std::string> calls = AsSegments(win::RecordedCalls(clean));
    win::DeleteDC(dc);
    win::DeleteDC(clean);
    return calls;
}

TEST(Painters, CandlesAndOhlcBars)
{
    IndexFixture f;
    f.DayBars(Closes);
    CKline k(Sh600000);
    ASSERT_TRUE(k.Compute());
    auto y = [&](double v) { return k.PlotRect.bottom - int((v - k.ValueMin) * k.YScale); };
    std::vector<std::string> calls = Painted(k, [&](win::HDC dc, const win::RECT *r) { k.DrawPriceBars(dc, r); });
    // Record 1 falls (open 10.20, close 10.10): body from the open to the close
    // + 1, x - 2 to x + 3 at x = 6 + 2; wicks from the close down and the open up.
    int yo = y(10.2), yc = y(10.1), yh = y(10.3), yl = y(9.9);
    EXPECT_TRUE(Has(calls, "Rectangle(6," + std::to_string(yo) + ",11," + std::to_string(yc + 1) + ")"));
    EXPECT_TRUE(Has(calls, "LineTo(8," + std::to_string(yl) + ")"));
    EXPECT_TRUE(Has(calls, "LineTo(8," + std::to_string(yh) + ")"));
    EXPECT_TRUE(Has(calls, "SelectObject(brush(" + Colour(2) + "))"));
    EXPECT_TRUE(Has(calls, "SelectObject(brush(" + Colour(3) + "))"));
    EXPECT_EQ(Count(calls, "Rectangle("), 12);

    TIndex::KLineMode = 1; // rising candles hollow: the background brush
    calls = Painted(k, [&](win::HDC dc, const win::RECT *r) { k.DrawPriceBars(dc, r); });
    TIndex::KLineMode = 0;
    EXPECT_TRUE(Has(calls, "SelectObject(brush(" + Colour(1) + "))"));
    EXPECT_FALSE(Has(calls, "SelectObject(brush(" + Colour(3) + "))"));

    // Selected bars: a square every 40 pixels or more (bars 6 pixels apart).
    k.Selection = 2;
    calls = Painted(k, [&](win::HDC dc, const win::RECT *r) { k.DrawPriceBars(dc, r); });
    k.Selection = 0;
    EXPECT_EQ(Count(calls, "Rectangle("), 12 + 2);

    CBline b(Sh600000);
    CZJline z(Sh600000);
    ASSERT_TRUE(b.Compute());
    ASSERT_TRUE(z.Compute());
    std::vector<std::string> closeOnly = Painted(b, [&](win::HDC dc, const win::RECT *r) { b.DrawOhlcBars(dc, r, false); });
    std::vector<std::string> both = Painted(z, [&](win::HDC dc, const win::RECT *r) { z.DrawOhlcBars(dc, r, true); });
    EXPECT_EQ(Count(closeOnly, "LineTo("), 24); // high-low and the close tick
    EXPECT_EQ(Count(both, "LineTo("), 36);      // and the open tick
    // The open tick of record 1 runs from x - width to x at the open.
    int zo = z.PlotRect.bottom - int((10.2 - z.ValueMin) * z.YScale); // no bottom margin here
    EXPECT_TRUE(Has(both, "MoveToEx(1," + std::to_string(zo) + ")"));
    EXPECT_TRUE(Has(both, "SelectObject(pen(0,1," + Colour(2) + "))"));
}

TEST(Painters, SticksFromABase)
{
    IndexFixture f;
    f.DayBars(Closes);
    TIndex t(Sh600000);
    t.Id = 77;
    t.LineCount = 1;
    t.Init();
    ASSERT_TRUE(t.Compute());
    for (int i = 0; i < t.RecordCount; ++i)
        t.Lines[0][i] = float(i - 5);
    t.Lines[0][3] = NoValue;
    t.Styles[0].Style = StyleTBar;
    t.Computed = 1;
    std::vector<std::string> calls = Painted(t, [&](win::HDC dc, const win::RECT *r) { t.DrawTBarStyle(dc, r, 0, 0, 2); });
    EXPECT_EQ(Count(calls, "LineTo("), 9); // from record 2, not the none at 3
    EXPECT_TRUE(Has(calls, "SelectObject(pen(0,1," + Colour(19) + "))"));
    EXPECT_TRUE(Has(calls, "SelectObject(pen(0,1," + Colour(21) + "))"));
}

TEST(Painters, LinesBreakAtExRightsDays)
{
    IndexFixture f;
    f.DayBars(std::vector<uint32_t>(12, 2000));
    ExRightsRecord e{};
    e.Date = YmdHmToPacked(20061106, 0);
    e.Dividend = 100;
    f.WriteRecords("sh/weight/600000.wgt", std::vector<ExRightsRecord>{e});
    auto joins = [&](int mode) {
        CKline k(Sh600000);
        k.WeightMode = mode;
        k.Params.Set[8][0] = 2;
        EXPECT_TRUE(k.Compute());
        std::vector<std::string> calls = Painted(k, [&](win::HDC dc, const win::RECT *r) { k.DrawLineStyle(dc, r, 0, 0); });
        return Count(calls, "LineTo(");
    };
    EXPECT_EQ(joins(WeightNone), 10);  // records 1..11 of a 2-bar average, joined from 2
    EXPECT_EQ(joins(WeightBreaks), 9); // no segment into 11-06
}

} // namespace
