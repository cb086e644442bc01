// Printing a chart: the page placement, the answers that print nothing, and a
// one-page PDF rendered back to check the turned black-on-white picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/views/ChartPrint.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/win/MessageBox.h"
#include "tests/lumon/views/ChartFixture.h"
#include "tests/support/PdfPages.h"

using namespace win;
using namespace chartfixture;

namespace {

namespace fs = std::filesystem;

TEST(PrintPlacementTest, TurnsOnlyWhenPageAndWindowLieDifferently)
{
    struct Case {
        int pageW, pageH, W, H;
        bool rotate;
        int width, height;
    } cases[] = {
        // A4 portrait at 300 dpi, margins 124 and 175: usable 2232 x 3158.
        {2480, 3508, 800, 400, true, 1578, 3157},
        {2480, 3508, 400, 800, false, 1578, 3157},
        {2480, 3508, 500, 500, false, 2231, 2231},
        {3000, 3000, 800, 400, false, 2699, 1349},
        {2480, 3508, 0, 400, false, 0, 0},
    };
    for (const Case &c : cases) {
        PrintPlacement p = PlacePrintPicture(c.pageW, c.pageH, c.W, c.H);
        EXPECT_EQ(p.Rotate, c.rotate) << c.W << "x" << c.H;
        EXPECT_EQ(p.MarginX, c.pageW / 20);
        EXPECT_EQ(p.Width, c.width) << c.W << "x" << c.H;
        EXPECT_EQ(p.Height, c.height) << c.W << "x" << c.H;
    }
}

using testsupport::Grey;
using testsupport::PdfPages;

class ChartPrintTest : public ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        pdf = fs::absolute("chart.pdf");
        setenv("LUMO_PRINT_PDF", pdf.c_str(), 1);
        RecordDialogs(true);
    }
    void TearDown() override
    {
        RecordDialogs(false);
        unsetenv("LUMO_PRINT_PDF");
        ChartTest::TearDown();
    }
    // A chart of the size with its panel off and one horizontal line across.
    TestChart *LinedChart(int w, int h)
    {
        TestChart *chart = AddChart(FirstOfClass(0, 1));
        chart->N5Click(chart->N5);
        chart->SetBounds(chart->Left, chart->Top, w, h);
        chart->OnPaint = [chart](TObject *) {
            chart->Canvas->Brush->Color = chart->Color;
            chart->Canvas->FillRect(TRect(0, 0, chart->ClientWidth, chart->ClientHeight));
            chart->Canvas->Pen->Color = TColor(RGB(255, 0, 0));
            chart->Canvas->MoveTo(0, chart->ClientHeight / 2);
            chart->Canvas->LineTo(chart->ClientWidth, chart->ClientHeight / 2);
        };
        framefixture::App().ProcessMessages();
        return chart;
    }
    // The page rendered at 60 dpi without smoothing.
    Grey Rendered()
    {
        Grey g = testsupport::RenderedPage(pdf);
        EXPECT_GT(g.width, 0) << "no page picture";
        return g;
    }
    fs::path pdf;
};

TEST_F(ChartPrintTest, NoOrCancelPrintsNothingAndShowsNothingMore)
{
    StartQuiet();
    TestChart *chart = LinedChart(600, 300);
    const size_t shown = ShownMessageBoxes().size(); // the offline start's notice
    ScriptMessageBoxAnswers({IDNO});
    chart->PrintView();
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{false}});
    chart->PrintView();
    auto boxes = ShownMessageBoxes();
    boxes.erase(boxes.begin(), boxes.begin() + long(shown));
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto &b : boxes) {
        EXPECT_EQ(b.text, "是否打印当前画面?");
        EXPECT_EQ(b.caption, "查询");
        EXPECT_EQ(b.buttons, UINT(MB_YESNO));
    }
    EXPECT_FALSE(fs::exists(pdf));
}

TEST_F(ChartPrintTest, WideWindowPrintsTurnedBlackOnWhiteOnOnePage)
{
    StartQuiet();
    TestChart *chart = LinedChart(600, 300);
    const size_t shown = ShownMessageBoxes().size();
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{true}});
    chart->PrintView();
    ASSERT_EQ(ShownMessageBoxes().size(), shown + 1); // the question, no error
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 1);
    Grey g = Rendered();
    ASSERT_GT(g.height, g.width); // A4 portrait
    int grey = 0, black = 0;
    for (unsigned char p : g.pixels) {
        grey += p > 60 && p < 190;
        black += p <= 60;
    }
    EXPECT_GT(black, 0);
    EXPECT_LT(grey, int(g.pixels.size()) / 100);
    // The window's horizontal line runs down the page: the picture is turned.
    int longestColumn = 0, longestRow = 0;
    for (int x = 0; x < g.width; ++x) {
        int n = 0;
        for (int y = g.height / 4; y < g.height * 3 / 4; ++y)
            n += g.At(x, y) < 128;
        longestColumn = std::max(longestColumn, n);
    }
    for (int y = g.height / 4; y < g.height * 3 / 4; ++y) {
        int n = 0;
        for (int x = g.width / 10 + 3; x < g.width * 9 / 10 - 3; ++x)
            n += g.At(x, y) < 128;
        longestRow = std::max(longestRow, n);
    }
    EXPECT_GT(longestColumn, g.height / 2 * 9 / 10);
    EXPECT_LT(longestRow, g.width / 4);
    EXPECT_GE(g.At(g.width / 4, g.height / 2), 250); // the chart's black background
}

TEST_F(ChartPrintTest, SquareWindowIsNeverTurned)
{
    StartQuiet();
    TestChart *chart = LinedChart(400, 400);
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{true}});
    chart->PrintView();
    Grey g = Rendered();
    ASSERT_GT(g.width, 0);
    // The line stays horizontal: one row is black across the picture.
    int longestRow = 0;
    for (int y = g.height / 10; y < g.height * 9 / 10; ++y) {
        int n = 0;
        for (int x = 0; x < g.width; ++x)
            n += g.At(x, y) < 128;
        longestRow = std::max(longestRow, n);
    }
    EXPECT_GT(longestRow, g.width * 8 / 10);
}

} // namespace
