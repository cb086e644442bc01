// The theme previews: the pictures carry the theme's colours in their slots,
// clicks select the slots of the tables, changes repaint the right preview and
// the cross-hair leaves no trace.
#include <gtest/gtest.h>

#include "ToolpickFixture.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"
#include "toolpick/ThemeSlots.h"

using namespace win;
using namespace tptest;

namespace {

COLORREF Rgb(int32_t colour) { return COLORREF(colour & 0xFFFFFF); }

class PreviewTest : public ToolpickTest {
protected:
    void SetUp() override
    {
        ToolpickTest::SetUp();
        WriteFixture();
        Open();
        form->Show();
    }
    COLORREF Pixel(TControl *control, int x, int y)
    {
        HDC dc = GetDC(control->Handle);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(control->Handle, dc);
        return c;
    }
    // Whether the control shows slot `slot` of theme 0 at (x, y) once painted.
    bool Shows(TControl *control, int x, int y, int32_t colour)
    {
        return PumpUntil([&] { return Pixel(control, x, y) == Rgb(colour); }, 2000);
    }
    void ShowTab(TTabSheet *sheet)
    {
        form->PageControl2->ActivePage = sheet;
        form->PageControl2Change(form->PageControl2);
    }
    int Colour() const { return form->ComboBox_Col->ItemIndex + 1; }
    int FontSlot() const { return form->ComboBox_Fon->ItemIndex + 1; }
};

TEST_F(PreviewTest, TheChartShowsEachElementInItsSlotColour)
{
    struct Point {
        int x, y, slot;
    } points[] = {
        {120, 50, 1},  {20, 28, 2},   {45, 22, 3},   {100, 80, 4},  {100, 150, 11}, {68, 50, 33},
        {1, 100, 40},  {234, 100, 40}, {236, 100, 41}, {100, 170, 14}, {180, 100, 14}, {277, 150, 29},
        {276, 150, 1}, {300, 140, 12},
    };
    for (const Point &p : points)
        EXPECT_TRUE(Shows(form->PaintBox1, p.x, p.y, FixtureColour(0, p.slot))) << p.x << "," << p.y;
    int w = form->PaintBox1->Width, h = form->PaintBox1->Height;
    EXPECT_TRUE(Shows(form->PaintBox1, w - 1, 100, FixtureColour(0, 41)));
    EXPECT_TRUE(Shows(form->PaintBox1, 100, h - 1, FixtureColour(0, 40)));
}

TEST_F(PreviewTest, TheReportAndNewsShowTheirSlotColours)
{
    ShowTab(form->TabShe_Col2);
    EXPECT_EQ(Colour(), 17);
    EXPECT_EQ(FontSlot(), 12);
    // Rows are 22 pixels high; column 2 starts at 128.
    EXPECT_TRUE(Shows(form->DrawGrid1, 2, 2, FixtureColour(0, 34)));
    EXPECT_TRUE(Shows(form->DrawGrid1, 2, 24, FixtureColour(0, 17)));
    EXPECT_TRUE(Shows(form->DrawGrid1, 2, 46, FixtureColour(0, 63)));
    EXPECT_TRUE(Shows(form->DrawGrid1, 2, 68, FixtureColour(0, 64)));
    EXPECT_TRUE(Shows(form->DrawGrid1, 130, 24, FixtureColour(0, 25)));

    // A new colour for slot 17 repaints the cells that use it.
    ScriptDialogAnswers({DialogAnswer{true, "", 0x00AA55}});
    form->Panel2Click(form->Panel2);
    EXPECT_TRUE(Shows(form->DrawGrid1, 2, 24, 0x00AA55));

    ShowTab(form->TabShe_Col3);
    EXPECT_EQ(Colour(), 27);
    EXPECT_EQ(FontSlot(), 2);
    EXPECT_TRUE(Shows(form->PaintBox2, 5, 30, FixtureColour(0, 27)));
    EXPECT_TRUE(Shows(form->PaintBox2, 14, 2, FixtureColour(0, 57)));
    EXPECT_TRUE(Shows(form->PaintBox2, 100, 2, FixtureColour(0, 58)));
    EXPECT_TRUE(Shows(form->PaintBox2, 0, 30, 0x808080));
}

TEST_F(PreviewTest, ChartClicksSelectTheSlotsOfTheirRegions)
{
    // Canvas font 12 pixels high, a 392 by 200 box.
    struct Case {
        int x, y;
        SlotChoice want;
    } cases[] = {
        {180, 100, {14, 0}},  {100, 169, {14, 0}},  {390, 171, {14, 0}},  {200, 185, {15, 0}},
        {235, 190, {15, 0}},  {2, 2, {13, 0}},      {86, 14, {13, 0}},    {93, 14, {13, 0}},
        {94, 14, {1, 0}},     {70, 50, {33, 0}},    {2, 100, {40, 0}},    {233, 100, {40, 0}},
        {100, 198, {40, 0}},  {236, 100, {41, 0}},  {390, 100, {41, 0}},  {300, 1, {41, 0}},
        {20, 30, {2, 0}},     {45, 30, {3, 0}},     {100, 30, {19, 0}},   {101, 30, {20, 0}},
        {170, 30, {21, 0}},   {100, 75, {4, 0}},    {100, 85, {4, 0}},    {100, 86, {5, 0}},
        {150, 155, {11, 0}},  {300, 145, {29, 0}},  {300, 135, {12, 0}},  {240, 135, {13, 6}},
        {100, 193, {30, 0}},  {200, 5, {24, 3}},    {200, 35, {31, 4}},   {200, 55, {31, 5}},
        {200, 160, {55, 0}},  {340, 55, {44, 0}},   {280, 75, {45, 0}},   {300, 105, {51, 0}},
        {120, 50, {1, 0}},    {300, 20, {1, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChartPreviewSlot(c.x, c.y, 392, 200, 12), c.want) << c.x << "," << c.y;

    // Through the form: the lists follow the click, the font list only when a
    // font slot is given.
    form->PaintBox1MouseUp(form->PaintBox1, mbLeft, TShiftState(), 200, 55);
    EXPECT_EQ(Colour(), 31);
    EXPECT_EQ(FontSlot(), 5);
    EXPECT_EQ(form->Panel2->Color, FixtureColour(0, 31));
    form->PaintBox1MouseUp(form->PaintBox1, mbLeft, TShiftState(), 20, 30);
    EXPECT_EQ(Colour(), 2);
    EXPECT_EQ(FontSlot(), 5);
    form->PaintBox1MouseUp(form->PaintBox1, mbLeft, TShiftState(), 120, 50);
    EXPECT_EQ(Colour(), 1);
}

TEST_F(PreviewTest, ReportClicksTellTextFromCell)
{
    struct Case {
        int col, row;
        bool onText;
        SlotChoice want;
    } cases[] = {
        {0, 0, true, {23, 14}},  {0, 0, false, {34, 14}}, {3, 0, true, {22, 14}},  {0, 2, true, {18, 13}},
        {0, 3, false, {64, 13}}, {0, 2, false, {17, 13}}, {1, 1, true, {47, 12}},  {1, 3, false, {64, 12}},
        {1, 5, true, {38, 12}},  {1, 6, true, {36, 12}},  {1, 7, true, {37, 12}},  {1, 7, false, {17, 12}},
        {2, 1, true, {42, 13}},  {2, 2, true, {21, 13}},  {2, 3, true, {19, 13}},  {2, 4, true, {20, 13}},
        {2, 1, false, {25, 13}}, {2, 6, true, {17, 13}},  {3, 1, true, {42, 13}},  {3, 2, true, {50, 13}},
        {3, 1, false, {25, 13}}, {4, 1, true, {39, 13}},  {4, 3, true, {48, 13}},  {4, 6, false, {63, 13}},
        {4, 3, false, {64, 13}}, {5, 2, true, {49, 13}},  {5, 3, true, {64, 13}},  {5, 4, false, {17, 13}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReportPreviewSlot(c.col, c.row, c.onText), c.want) << c.col << "," << c.row << "," << c.onText;

    // Through the grid: the right-aligned text of cell (1, 1) and its left end.
    ShowTab(form->TabShe_Col2);
    TRect cell = form->DrawGrid1->CellRect(1, 1);
    form->DrawGrid1MouseUp(form->DrawGrid1, mbLeft, TShiftState(), cell.Right - 4, cell.Top + 5);
    EXPECT_EQ(Colour(), 47);
    form->DrawGrid1MouseUp(form->DrawGrid1, mbLeft, TShiftState(), cell.Left + 1, cell.Top + 5);
    EXPECT_EQ(Colour(), 17);
    EXPECT_EQ(FontSlot(), 12);
}

TEST_F(PreviewTest, NewsClicksSelectTheirSlots)
{
    struct Case {
        int x, y, slot;
    } cases[] = {
        {13, 1, 57}, {97, 17, 57}, {98, 10, 27}, {99, 1, 58},  {269, 17, 58}, {21, 19, 59}, {33, 53, 59},
        {53, 30, 60}, {131, 30, 60}, {80, 30, 27}, {1, 60, 28}, {73, 74, 28}, {30, 50, 59}, {139, 114, 46},
        {140, 100, 27}, {300, 150, 27},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NewsPreviewSlot(c.x, c.y), c.slot) << c.x << "," << c.y;
    form->PaintBox2MouseUp(form->PaintBox2, mbLeft, TShiftState(), 50, 100);
    EXPECT_EQ(Colour(), 46);
}

TEST(PreviewRouting, ChangesRepaintThePreviewThatShowsTheSlot)
{
    struct Case {
        int slot;
        Preview colour;
    } colours[] = {{1, pvChart},  {16, pvChart},  {17, pvReport}, {18, pvReport}, {21, pvChart}, {24, pvChart},
                   {27, pvNews},  {32, pvNone},   {34, pvReport}, {35, pvChart},  {42, pvReport}, {46, pvNews},
                   {51, pvChart}, {52, pvNone},   {55, pvChart},  {56, pvNone},   {60, pvNews},  {62, pvNone},
                   {63, pvReport}, {64, pvReport}};
    for (const Case &c : colours)
        EXPECT_EQ(PreviewOfColourSlot(c.slot), c.colour) << c.slot;
    Case fonts[] = {{1, pvNone},  {2, pvNews},    {3, pvChart},   {7, pvChart}, {8, pvNone},
                    {11, pvChart}, {12, pvReport}, {14, pvReport}, {15, pvNone}, {16, pvChart}};
    for (const Case &c : fonts)
        EXPECT_EQ(PreviewOfFontSlot(c.slot), c.colour) << c.slot;
    EXPECT_STREQ(ColourSlotItems[0], "01 指标背景");
    EXPECT_STREQ(ColourSlotItems[63], "64 激活行-报表");
    EXPECT_STREQ(FontSlotItems[14], "15 待用\t");
}

TEST_F(PreviewTest, TheCrossHairLeavesNoTrace)
{
    const COLORREF background = Rgb(FixtureColour(0, 1));
    const COLORREF crossed = background ^ Rgb(FixtureColour(0, 16));
    ASSERT_TRUE(Shows(form->PaintBox1, 120, 50, FixtureColour(0, 1)));
    form->PaintBox1MouseMove(form->PaintBox1, TShiftState(), 120, 60);
    EXPECT_EQ(Pixel(form->PaintBox1, 120, 50), crossed);
    EXPECT_EQ(Pixel(form->PaintBox1, 130, 60), crossed);
    // The next move takes the old pair away.
    form->PaintBox1MouseMove(form->PaintBox1, TShiftState(), 125, 65);
    EXPECT_EQ(Pixel(form->PaintBox1, 120, 50), background);
    EXPECT_EQ(Pixel(form->PaintBox1, 125, 50), crossed);
    // Leaving the box over its sheet.
    form->TabShe_Col1MouseMove(form->TabShe_Col1, TShiftState(), 5, 5);
    EXPECT_EQ(Pixel(form->PaintBox1, 125, 50), background);
    EXPECT_FALSE(form->CrossShown);
    // A repaint and a theme switch.
    form->PaintBox1MouseMove(form->PaintBox1, TShiftState(), 125, 65);
    form->PaintBox1->Repaint();
    EXPECT_EQ(Pixel(form->PaintBox1, 125, 50), background);
    form->PaintBox1MouseMove(form->PaintBox1, TShiftState(), 125, 65);
    form->ComboBox2->ItemIndex = 1;
    form->ComboBox2Change(form->ComboBox2);
    EXPECT_TRUE(Shows(form->PaintBox1, 125, 50, FixtureColour(1, 1)));
    EXPECT_TRUE(Shows(form->PaintBox1, 120, 65, FixtureColour(1, 1)));
}

} // namespace
