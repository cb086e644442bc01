// TIndex's pane: layout numbers, pixel and record mappings, axis labels in both
// modes, date labels, titles, hit tests, and one rendered picture.
#include <gtest/gtest.h>

#include "IndexFixture.h"
#include "lumon/formula/PriceIndexes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

namespace {

const std::vector<uint32_t> Closes = {1000, 1010, 1020, 1030, 1040, 1050, 1060, 1070, 1080, 1090, 1100, 1120};

std::vector<std::string> Texts(win::HDC dc)
{
    std::vector<std::string> texts;
    for (const std::string &c : win::RecordedCalls(dc))
        if (c.rfind("TextOutA(", 0) == 0)
            texts.push_back(c);
    return texts;
}

bool HasText(const std::vector<std::string> &texts, const std::string &part)
{
    return std::any_of(texts.begin(), texts.end(), [&](const std::string &t) { return t.find(part) != std::string::npos; });
}

TEST(IndexLayout, LayoutAndMappings)
{
    IndexFixture f;
    f.DayBars(Closes);
    f.Market(0).Statics[1].Decimals = 2;
    CKline k(Sh600000);
    ASSERT_TRUE(k.Compute());
    win::HDC dc = win::CreateRecordingDC(800, 300);
    win::RECT rect{80, 0, 680, 216};
    ASSERT_TRUE(k.Draw(dc, &rect));
    EXPECT_EQ(k.PlotRect.top, 16);     // title band
    EXPECT_EQ(k.PlotRect.bottom, 208); // room for the ex-rights marks
    EXPECT_EQ(k.Capacity, 100);
    EXPECT_EQ(k.FirstVisible, 0);
    EXPECT_EQ(k.VisibleCount, 12);
    EXPECT_FLOAT_EQ(k.ValueMax, 11.4f);
    EXPECT_FLOAT_EQ(k.ValueMin, 9.8f);
    EXPECT_NEAR(k.YScale, 120.0, 1e-3);

    struct XCase {
        int x;
        bool snap;
        int record, movedX;
    } xs[] = {{80, false, 0, 80}, {80, true, 0, 82}, {60, false, -1, 60}, {60, true, 0, 82},
              {149, false, 11, 149}, {152, false, -1, 152}, {152, true, 11, 148}};
    for (const XCase &c : xs) {
        int x = c.x;
        EXPECT_EQ(k.XToRecord(x, c.snap), c.record) << c.x << c.snap;
        EXPECT_EQ(x, c.movedX) << c.x << c.snap;
    }
    int x = 0, y = 0, index = 5;
    k.RecordToPoint(x, y, index);
    EXPECT_EQ(x, 112);
    EXPECT_NEAR(y, 124, 1);
    int record;
    PackedDateTime t;
    float value;
    ASSERT_TRUE(k.PointToValue(win::POINT{x, y}, record, t, value));
    EXPECT_EQ(record, 5);
    EXPECT_EQ(PackedToYmd(t), 20061106);
    EXPECT_NEAR(value, 10.5, 0.01);
    index = 500;
    k.RecordToPoint(x, y, index);
    EXPECT_EQ(index, 99); // clamped to the bars that fit

    // Scroll-to-end leaves a sixteenth free at the right.
    k.ScrollToEnd = 1;
    k.Layout();
    EXPECT_EQ(k.Capacity, 93);
    k.SetViewState(5, 1, 3, 7);
    EXPECT_EQ(k.ScrollToEnd, 0);
    k.Layout();
    EXPECT_EQ(k.FirstVisible, 7);
    EXPECT_EQ(k.VisibleCount, 5);

    // Price axis: 1.6 x 100 x 12 x 3 / 192 units, just under 30 in floats, cut
    // to 25; the first line at the minimum, 8 pixels under the plot, unlabelled.
    // Labels on the left of a plot that starts at 80.
    std::vector<std::string> texts = Texts(dc);
    for (const char *label : {"(2,174,\"10.05  \")", "(2,144,\"10.30", "10.55", "10.80", "11.05", "(2,23,\"11.30"})
        EXPECT_TRUE(HasText(texts, label)) << label;
    EXPECT_FALSE(HasText(texts, "\"9.80"));
    for (const char *title : {"\"KLINE -\"", "\"5MA\"", "\"10.920\"", "\"10MA\"", "\"10.660\""})
        EXPECT_TRUE(HasText(texts, title)) << title;
    win::DeleteDC(dc);
}

TEST(IndexLayout, ValueAxisDateAxisAndTitles)
{
    IndexFixture f;
    std::vector<uint32_t> closes(40, 1000);
    f.DayBars(closes);
    CVolume vol(Sh600000);
    f.WriteDefinitions({Definition(322, "VOL", {"VOL", "MA", "MA"})}, {Params({3, 50})});
    vol.Definition = Definition(322, "VOL", {"VOL", "MA", "MA", "MA", "MA", "MA", "MA"});
    vol.Params = Params({3, 50, 0, 0, 0, 0});
    ASSERT_TRUE(vol.Compute());
    win::HDC dc = win::CreateRecordingDC(800, 300);
    win::RECT rect{0, 0, 300, 136};
    ASSERT_TRUE(vol.Draw(dc, &rect));
    EXPECT_FLOAT_EQ(vol.ValueMin, 0); // columns start at the base
    EXPECT_FLOAT_EQ(vol.ValueMax, 4000);
    std::vector<std::string> texts = Texts(dc);
    // Four grid lines 30 pixels apart: 0, 1000, 2000, 3000, 4000; labels at x =
    // right + 4 that keep 5 pixels inside the rectangle (not the one at 0).
    for (const char *label : {"(304,101,\"1000.000\")", "(304,71,\"2000.000\")", "(304,41,\"3000.000\")",
                              "(304,11,\"4000.000\")"})
        EXPECT_TRUE(HasText(texts, label)) << label;
    EXPECT_FALSE(HasText(texts, "\"0.000"));
    EXPECT_TRUE(HasText(texts, "\"50MA\""));
    EXPECT_TRUE(HasText(texts, "\"----\"")); // 50 bars needed, 40 there

    // Date labels: day bars by month, the first with its year.
    vol.DrawTimeAxis(dc, &rect);
    texts = Texts(dc);
    EXPECT_TRUE(HasText(texts, "(2,2,\"200611\")"));
    EXPECT_TRUE(HasText(texts, "(182,2,\"12\")"));
    win::DeleteDC(dc);

    // Minute bars by day: month/day first, then the day.
    std::vector<KLineRecord> min5;
    for (int day : {20061206, 20061207})
        for (int m = 0; m < 20; ++m)
            min5.push_back(Bar(day, 935 + (m / 5) * 100 + (m % 5) * 5, 1000));
    f.WriteRecords("sh/min/600000.min", min5);
    ClearDataCaches();
    CloseLine line(Sh600000);
    line.Period = 4;
    ASSERT_TRUE(line.Compute());
    dc = win::CreateRecordingDC(800, 300);
    ASSERT_TRUE(line.Draw(dc, &rect));
    line.DrawTimeAxis(dc, &rect);
    texts = Texts(dc);
    EXPECT_TRUE(HasText(texts, "(2,2,\"12/06\")"));
    EXPECT_TRUE(HasText(texts, "(122,2,\"07\")"));
    win::DeleteDC(dc);
}

TEST(IndexLayout, HitTestsAndPicture)
{
    IndexFixture f;
    f.DayBars(Closes);
    CKline k(Sh600000);
    ASSERT_TRUE(k.Compute());
    win::HDC dc = win::CreateRecordingDC(800, 300);
    win::RECT rect{80, 0, 680, 216};
    ASSERT_TRUE(k.Draw(dc, &rect));
    int x = 0, y = 0, index = 6;
    k.RecordToPoint(x, y, index);
    int ma = 0, tmp = 6, mx = 0;
    (void)tmp;
    mx = x;
    ma = 208 - int((k.Lines[0][6] - k.ValueMin) * k.YScale);
    struct Case {
        int x, y, want;
    } cases[] = {
        {mx, ma, HitLine},         // on the 5-bar average
        {mx, ma + 2, HitLine},
        {mx, y - 1, HitBar},       // in the candle body (open 1050, close 1060)
        {mx, 208 - int((10.8 - 9.8) * 120) + 1, HitBar}, // on the upper wick
        {mx + 3, 40, HitNothing},
        {600, 100, HitNothing},
    };
    for (const Case &c : cases)
        EXPECT_EQ(k.HitTest(c.x, c.y), c.want) << c.x << "," << c.y;

    // A shared title band: the name box of the second indicator.
    k.StackCount = 2;
    k.StackPos = 2;
    ASSERT_TRUE(k.Draw(dc, &rect));
    int box = 6 * 12 / 2 + 8;
    EXPECT_EQ(k.HitTest(80 + box + 5, 5), HitNameBox);
    EXPECT_NE(k.HitTest(80 + 5, 5), HitNameBox);
    win::DeleteDC(dc);

    // The picture: a falling candle's body in colour 2, a rising one's in 3.
    k.StackCount = 1;
    k.StackPos = 1;
    dc = win::CreateRecordingDC(800, 300);
    ASSERT_TRUE(k.Draw(dc, &rect));
    win::SaveDCToPng(dc, "kline.png");
    auto body = [&](int record) {
        int cx = 0, cy = 0, i = record;
        k.RecordToPoint(cx, cy, i);
        int open = 208 - int((k.Records[record].Open / 100.0 - 9.8) * 120);
        return win::GetPixel(dc, cx - 1, (cy + open) / 2);
    };
    EXPECT_EQ(body(1), win::COLORREF(ColorTable[2])); // open 1020 above close 1010
    EXPECT_EQ(body(2), win::COLORREF(ColorTable[3]));
    win::DeleteDC(dc);
}

} // namespace
