// The cycle-date box: its date table against the calendar of the standard
// library, the leap February, dates that are none, and the drawn box: where its
// texts go, its colours, and what it leaves of the context.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/UtilData.h"
#include "lumon/views/Luoli.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/support/TestApplication.h"

namespace {

using namespace std::chrono;

std::string Format(int date)
{
    char text[16];
    FormatCycleDate(text, date);
    return text;
}

// yyyymmdd plus n days by the standard calendar.
int AddDays(int date, int n)
{
    year_month_day d{year(date / 10000), month(unsigned(date / 100 % 100)), day(unsigned(date % 100))};
    year_month_day r{sys_days(d) + days(n)};
    return int(r.year()) * 10000 + int(unsigned(r.month())) * 100 + int(unsigned(r.day()));
}

TEST(CycleDate, EveryCellIsTheDateTheCalendarGives)
{
    const int multipliers[] = {1, 2, 3, 5, 8, 13, 21, 34, 55};
    const double lengths[] = {25.2, 29.53, 87.97, 58.6};
    // Month ends, a leap February, the turn of a century and of a year.
    for (int date : {20051129, 20040210, 20000131, 19991231, 20061208, 20080229, 20071031}) {
        for (int row = 0; row < 9; ++row)
            for (int col = 0; col < 4; ++col) {
                int offset = int(std::sqrt(double(multipliers[row])) * lengths[col]);
                int want = AddDays(date, offset);
                EXPECT_EQ(CycleDate(date, row, col), want) << date << " row " << row << " col " << col;
                char text[16];
                std::snprintf(text, sizeof text, "%02d-%02d-%02d", want / 10000 % 100, want / 100 % 100, want % 100);
                EXPECT_EQ(Format(CycleDate(date, row, col)), text);
            }
    }
}

TEST(CycleDate, NamedCases)
{
    struct Case {
        int date, row, col;
        const char *shown;
    } cases[] = {
        {20051129, 0, 0, "05-12-24"},  // 25 days
        {20051129, 8, 2, "07-09-12"},  // √55 × 87.97 = 652 days, over two year ends
        {20040210, 0, 0, "04-03-06"},  // February 2004 has 29 days
        {20050210, 0, 0, "05-03-07"},  // February 2005 has 28
    };
    for (const Case &c : cases)
        EXPECT_EQ(Format(CycleDate(c.date, c.row, c.col)), c.shown) << c.date;
    EXPECT_EQ(Format(20051129), "05-11-29");
    // A day count beyond the month is carried on when the date is shown.
    EXPECT_EQ(Format(20051154), "05-12-24");
}

TEST(CycleDate, DatesThatAreNoneGiveNothing)
{
    for (double date : {0.0, -1.0, -20051129.0, 20051300.0, 20050029.0, 1e30, std::nan("")})
        EXPECT_EQ(CycleDate(date, 0, 0), 0) << date;
    for (int date : {0, -1, -20051129, 20051300, 20050029})
        EXPECT_EQ(Format(date), "") << date;
    EXPECT_EQ(CycleDate(20051129, 9, 0), 0);
    EXPECT_EQ(CycleDate(20051129, 0, 4), 0);
    EXPECT_EQ(CycleDate(20051129, -1, 0), 0);

    win::HDC dc = win::CreateRecordingDC(100, 100);
    for (double date : {0.0, -5.0}) {
        win::RECT r = DrawCycleBox(dc, 10, 20, date);
        EXPECT_EQ(r.left, 10);
        EXPECT_EQ(r.top, 20);
        EXPECT_EQ(r.right, 10);
        EXPECT_EQ(r.bottom, 20);
    }
    EXPECT_TRUE(win::RecordedCalls(dc).empty());
    win::DeleteDC(dc);
}

struct ThemeGuard {
    int32_t colors[64];
    FontEntry fonts[16];
    ThemeGuard()
    {
        std::memcpy(colors, ColorTable, sizeof colors);
        std::memcpy(fonts, FontTable, sizeof fonts);
    }
    ~ThemeGuard()
    {
        std::memcpy(ColorTable, colors, sizeof colors);
        std::memcpy(FontTable, fonts, sizeof fonts);
    }
};

TEST(CycleDateBox, DrawsTitleHeadersAndNineRowsInTheThemeColours)
{
    // Text is drawn with the application's fonts.
    testsupport::TestApplication("test_lumon_views");
    ThemeGuard guard;
    for (int i = 0; i < 64; ++i)
        ColorTable[i] = 0x0A0A0A * (i % 20 + 1);
    ColorTable[0] = 0x402000;   // COLOR01 background
    ColorTable[12] = 0x0000FF;  // COLOR13 frame
    ColorTable[29] = 0x00FFFF;  // COLOR30 texts
    FontTable[9].Size = 12;
    std::strcpy(FontTable[9].Face, "宋体");

    win::HDC dc = win::CreateRecordingDC(260, 200);
    win::SetTextColor(dc, 0x123456);
    win::RECT r = DrawCycleBox(dc, 10, 20, 20051129);
    // h = 12: columns of 53 pixels, rows of 13.
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 10 + 4 * 53 - 2);
    EXPECT_EQ(r.bottom, 20 + 11 * 13);
    win::SaveDCToPng(dc, LUMO_TEST_BINARY_DIR "/cycle_box.png");

    std::vector<std::string> texts;
    for (const std::string &call : win::RecordedCalls(dc))
        if (call.rfind("TextOutA", 0) == 0)
            texts.push_back(call);
    ASSERT_EQ(texts.size(), 1u + 4u + 36u);
    EXPECT_EQ(texts[0], "TextOutA(89,21,\"05-11-29\")");
    EXPECT_EQ(texts[1], "TextOutA(22,33,\"Sun\")");
    EXPECT_EQ(texts[2], "TextOutA(75,33,\"Moon\")");
    EXPECT_EQ(texts[3], "TextOutA(128,33,\"Mer2\")");
    EXPECT_EQ(texts[4], "TextOutA(181,33,\"Mer1\")");
    EXPECT_EQ(texts[5], "TextOutA(12,46,\"05-12-24\")");
    EXPECT_EQ(texts[40], "TextOutA(171,150,\"" + Format(CycleDate(20051129, 8, 3)) + "\")");

    // Frame, background and text pixels; the context's text colour is given back.
    EXPECT_EQ(win::GetPixel(dc, 10, 80), win::COLORREF(0x0000FF));
    EXPECT_EQ(win::GetPixel(dc, r.right - 1, 80), win::COLORREF(0x0000FF));
    EXPECT_EQ(win::GetPixel(dc, 60, r.bottom - 1), win::COLORREF(0x0000FF));
    EXPECT_EQ(win::GetPixel(dc, 11, 25), win::COLORREF(0x402000));
    int textPixels = 0, outside = 0;
    for (int y = 46; y < 46 + 13; ++y)
        for (int x = 12; x < 60; ++x)
            textPixels += win::GetPixel(dc, x, y) == win::COLORREF(0x00FFFF);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 260; ++x)
            if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
                outside += win::GetPixel(dc, x, y) != win::COLORREF(0xFFFFFF);
    EXPECT_GT(textPixels, 20);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(win::GetTextColor(dc), win::COLORREF(0x123456));
    win::DeleteDC(dc);
}

} // namespace
