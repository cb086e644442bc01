// The recording context: a painter's calls come back in order, for tests of the
// program's painters.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GdiFixture.h"

namespace win {
namespace {

// A small painter as the charts write them: a candle body and wick with their own
// pen and brush, a title, and the objects selected back and deleted.
void PaintCandle(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 255));
    HFONT font = CreateFontA(-12, 6, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "宋体");
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldFont = SelectObject(dc, font);
    Rectangle(dc, 10, 20, 17, 40);
    MoveToEx(dc, 13, 12, nullptr);
    LineTo(dc, 13, 48);
    SetTextColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 2, 2, "日线", 4);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(font);
    DeleteObject(brush);
    DeleteObject(pen);
}

TEST_F(GdiTest, RecordingContextLogsAPaintersCallsInOrder)
{
    HDC dc = CreateRecordingDC(60, 60);
    ASSERT_NE(dc, 0u);
    PaintCandle(dc);
    std::vector<std::string> expected = {
        "SelectObject(pen(0,1,0x0000FF))",
        "SelectObject(brush(0xFFFF00))",
        "SelectObject(font(\"宋体\",-12,400))",
        "Rectangle(10,20,17,40)",
        "MoveToEx(13,12)",
        "LineTo(13,48)",
        "SetTextColor(0x00FFFF)",
        "SetBkMode(1)",
        "TextOutA(2,2,\"日线\")",
        "SelectObject(font(\"System\",16,400))",
        "SelectObject(brush(0xFFFFFF))",
        "SelectObject(pen(0,1,0x000000))",
    };
    EXPECT_EQ(RecordedCalls(dc), expected);
    // It draws as well.
    EXPECT_EQ(GetPixel(dc, 10, 20), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 12, 30), RGB(0, 255, 255));
    EXPECT_TRUE(SaveDCToPng(dc, "candle.png"));
    EXPECT_FALSE(SaveDCToPng(dc, "/nonexistent-folder/candle.png"));
    DeleteDC(dc);
    EXPECT_TRUE(RecordedCalls(dc).empty());
}

} // namespace
} // namespace win
