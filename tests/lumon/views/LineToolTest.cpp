// Drawn lines on a K-line chart in a page of the frame: a tool chosen in the
// drawing-tool box places a line by mouse and the file keeps it, a click grabs
// and drops it, the eraser deletes it; the tool box's buttons, its delete-all
// question and cycle-date switch, its closing, and the activation it leaves
// with the frame.
#include <gtest/gtest.h>

#include <QToolButton>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lumon/views/DrawnLines.h"
#include "lumon/views/LineTool.h"
#include "lumon/views/TLine.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/MessageBox.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Window.h"
#include "tests/lumon/views/KLineFixture.h"
#include "tests/support/QtInput.h"
#include "tests/support/TestApplication.h"

using namespace win;
using namespace klinefixture;

namespace {

class LineToolTest : public KLineTest {
protected:
    // A chart of 600000 as the page's active pane, the line tools on, no file.
    TTechForm *OpenChart()
    {
        StartQuiet();
        std::filesystem::remove(File());
        TTechForm *chart = AddChart(Stock(0, "600000"));
        if (!chart)
            return nullptr;
        page->SetActivePane(chart);
        frame->N36->Checked = false;
        frame->LineBtn->Click();
        box = dynamic_cast<TLineToolBox *>(frame->LineToolBox);
        EXPECT_NE(box, nullptr);
        return box ? chart : nullptr;
    }
    std::filesystem::path File() const { return root / "CFG" / "linerec.dat"; }
    std::vector<LineFileEntry> Records() const
    {
        return ParseLineFile(framefixture::ReadFile(File()));
    }
    static void Click(TTechForm *chart, int x, int y)
    {
        chart->FormMouseMove(chart, TShiftState(), x, y);
        chart->FormMouseDown(chart, mbLeft, TShiftState() << ssLeft, x, y);
        chart->FormMouseUp(chart, mbLeft, TShiftState(), x, y);
    }
    // Places a two-point line of the tool (button index) from a to b.
    void Place(TTechForm *chart, int button, POINT a, POINT b)
    {
        box->Buttons[button]->Click();
        Click(chart, a.x, a.y);
        chart->FormMouseMove(chart, TShiftState(), b.x, b.y);
        Click(chart, b.x, b.y);
    }
    // Whether the picture shows a line through p: a pixel of the five above
    // and below it that is not the chart's background.
    static bool Drawn(TTechForm *chart, POINT p)
    {
        HDC dc = GetDC(chart->Handle);
        const COLORREF background = KeyColor(1);
        bool drawn = false;
        for (int dy = -2; dy <= 2; ++dy)
            drawn = drawn || GetPixel(dc, p.x, p.y + dy) != background;
        ReleaseDC(chart->Handle, dc);
        return drawn;
    }
    // A point of the price pane, (dx, dy) from its top left.
    static POINT At(TTechForm *chart, int dx, int dy)
    {
        const RECT &r = chart->Panes[0]->PlotRect;
        return POINT{r.left + dx, r.top + dy};
    }
    TLineToolBox *box = nullptr;
};

TEST_F(LineToolTest, AToolPlacesALineThatTheFileKeepsAClickMovesItAndTheEraserDeletesIt)
{
    TTechForm *chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    TDrawnLines &lines = chart->LineStore;
    // Horizontal, so that the line's pixels are easy to find.
    const POINT a = At(chart, 100, 60), b = At(chart, 300, 60), middle{(a.x + b.x) / 2, a.y};
    ASSERT_FALSE(Drawn(chart, middle));

    box->B1->Click();
    EXPECT_EQ(frame->DrawingTool, 0);
    chart->FormMouseMove(chart, TShiftState(), a.x, a.y);
    EXPECT_EQ(chart->MouseState, 1);
    Click(chart, a.x, a.y);
    EXPECT_EQ(lines.LineCount, 1);
    EXPECT_EQ(lines.LineEditState, 1);
    chart->FormMouseMove(chart, TShiftState(), b.x, b.y);
    Click(chart, b.x, b.y);
    ASSERT_EQ(lines.LineCount, 1);
    TLine *line = lines.Lines[0];
    EXPECT_EQ(line->Kind, LK_LINE);
    EXPECT_EQ(line->State, 1);
    EXPECT_EQ(lines.LineEditState, 0);
    EXPECT_EQ(lines.SelLine, 1);
    // The tool is released after use.
    EXPECT_EQ(frame->DrawingTool, -1);
    EXPECT_FALSE(box->B1->Down);
    EXPECT_TRUE(Drawn(chart, middle));

    std::vector<LineFileEntry> saved = Records();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].Head.Kind, LK_LINE);
    EXPECT_STREQ(saved[0].Head.Code, "600000");
    EXPECT_EQ(saved[0].Head.Market, 0);
    EXPECT_EQ(saved[0].Head.Period, chart->Panes[0]->Period);
    EXPECT_EQ(saved[0].Head.IndexId, chart->Panes[0]->Id);
    EXPECT_EQ(saved[0].Head.Time[0], line->Anchors[0].time);
    EXPECT_EQ(saved[0].Head.Time[1], line->Anchors[1].time);
    EXPECT_NE(saved[0].Head.Time[0], saved[0].Head.Time[1]);
    EXPECT_FLOAT_EQ(saved[0].Head.Value[0], line->Anchors[0].value);

    // Without a tool a click on the body grabs the line, the next drops it
    // moved; the file follows.
    chart->FormMouseMove(chart, TShiftState(), middle.x, middle.y);
    EXPECT_EQ(chart->MouseState, 2);
    Click(chart, middle.x, middle.y);
    EXPECT_EQ(lines.LineEditState, 2);
    EXPECT_EQ(chart->MouseState, 3);
    const POINT moved{middle.x, middle.y + 40};
    chart->FormMouseMove(chart, TShiftState(), moved.x, moved.y);
    Click(chart, moved.x, moved.y);
    EXPECT_EQ(lines.LineEditState, 0);
    EXPECT_EQ(line->State, 1);
    EXPECT_FALSE(Drawn(chart, middle));
    EXPECT_TRUE(Drawn(chart, moved));
    saved = Records();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_LT(saved[0].Head.Value[0], line->Anchors[0].value + 1e-3f);
    EXPECT_FLOAT_EQ(saved[0].Head.Value[0], line->Anchors[0].value);

    // The eraser deletes the line under the click and releases itself.
    box->B18->Click();
    EXPECT_EQ(frame->DrawingTool, ToolEraser);
    chart->FormMouseMove(chart, TShiftState(), moved.x, moved.y);
    EXPECT_EQ(chart->MouseState, 5);
    Click(chart, moved.x, moved.y);
    EXPECT_EQ(lines.LineCount, 0);
    EXPECT_EQ(frame->DrawingTool, -1);
    EXPECT_FALSE(box->B18->Down);
    EXPECT_EQ(chart->MouseState, 0);
    EXPECT_FALSE(Drawn(chart, moved));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(framefixture::ReadFile(File()).substr(0, 8), std::string("PSL1\0\0\0\0", 8));
}

TEST_F(LineToolTest, AClickBesideThePaneOrRightOfTheLastBarPlacesNothing)
{
    TTechForm *chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    TIndex *price = chart->Panes[0];
    const RECT &r = price->PlotRect;
    const int lastCentre = int(r.left + price->BarWidth / 2 + (price->BarWidth + price->BarGap) * (price->VisibleCount - 1));
    ASSERT_LT(lastCentre + 4, r.right) << "the chart must show room right of its last bar";
    box->B2->Click();
    Click(chart, lastCentre + 3, r.top + 30);
    EXPECT_EQ(chart->LineStore.LineCount, 0);
    EXPECT_EQ(frame->DrawingTool, 1);
    // The tool stays for the next click, which places.
    Click(chart, lastCentre - 40, r.top + 30);
    EXPECT_EQ(chart->LineStore.LineCount, 1);
    EXPECT_EQ(chart->LineStore.LineEditState, 1);
}

TEST_F(LineToolTest, ToolBoxButtonsDeleteAllAndTheCycleDateBox)
{
    TTechForm *chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    // A down button pressed again rises: no tool.
    box->B5->Click();
    EXPECT_EQ(frame->DrawingTool, 4);
    box->B7->Click();
    EXPECT_EQ(frame->DrawingTool, 6);
    EXPECT_FALSE(box->B5->Down);
    box->B7->Click();
    EXPECT_FALSE(box->B7->Down);
    EXPECT_EQ(frame->DrawingTool, -1);

    const POINT a = At(chart, 80, 40), b = At(chart, 260, 40), c = At(chart, 80, 100), d = At(chart, 260, 100);
    ASSERT_FALSE(Drawn(chart, POINT{(a.x + b.x) / 2, a.y}));
    Place(chart, 0, a, b);
    Place(chart, 1, c, d);
    ASSERT_EQ(chart->LineStore.LineCount, 2);
    ASSERT_EQ(Records().size(), 2u);
    EXPECT_TRUE(Drawn(chart, POINT{(a.x + b.x) / 2, a.y}));

    // 全部删除: Cancel keeps everything, OK empties the chart and its records.
    RecordMessageBoxes(true);
    ScriptMessageBoxAnswers({IDCANCEL, IDOK});
    box->B19->Click();
    EXPECT_EQ(chart->LineStore.LineCount, 2);
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(frame->DrawingTool, -1);
    box->B19->Click();
    EXPECT_EQ(chart->LineStore.LineCount, 0);
    EXPECT_TRUE(Records().empty());
    EXPECT_FALSE(Drawn(chart, POINT{(a.x + b.x) / 2, a.y}));
    const std::vector<ShownMessageBox> asked = ShownMessageBoxes();
    RecordMessageBoxes(false);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "确认删除所有自画线吗?");
    EXPECT_EQ(asked[0].caption, "删除确认");
    EXPECT_EQ(asked[0].buttons, UINT(MB_OKCANCEL));

    // 螺历 switches the chart's cycle-date box.
    box->B20->Click();
    EXPECT_TRUE(box->B20->Down);
    EXPECT_EQ(chart->ShowCursorDate, 1);
    box->B20->Click();
    EXPECT_EQ(chart->ShowCursorDate, 0);

    // Closing hides the box, raises the tool and the frame's line button and
    // unchecks the chart's 画线工具.
    chart->NLine->Checked = true;
    box->B9->Click();
    box->Close();
    EXPECT_FALSE(box->Visible);
    EXPECT_EQ(frame->LineToolBox, box);
    EXPECT_FALSE(box->B9->Down);
    EXPECT_EQ(frame->DrawingTool, -1);
    EXPECT_FALSE(frame->LineBtn->Down);
    EXPECT_FALSE(chart->NLine->Checked);
}

TEST_F(LineToolTest, TheFloatingBoxLeavesTheFrameActive)
{
    TTechForm *chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    frame->Show();
    auto active = [] { return GetActiveWindow(); };
    // Shown (or activated by any means), the box hands the activation back.
    box->Widget()->window()->activateWindow();
    EXPECT_TRUE(testsupport::PumpUntil(framefixture::App(), [&] { return active() == frame->Handle; }, 3000));
    // A click on one of its buttons chooses the tool and leaves the frame active.
    testsupport::LeftClick(box->B3->Widget(), QPoint(8, 8));
    EXPECT_TRUE(box->B3->Down);
    EXPECT_EQ(frame->DrawingTool, 2);
    EXPECT_FALSE(testsupport::PumpUntil(framefixture::App(), [&] { return active() != frame->Handle; }, 300));
    EXPECT_EQ(box->Perform(WM_MOUSEACTIVATE, WPARAM(box->Handle), MAKELONG(HTCLIENT, WM_LBUTTONDOWN)),
              LRESULT(MA_NOACTIVATE));

    // The box as the user sees it, kept for a look.
    const QImage picture = box->Widget()->window()->grab().toImage();
    EXPECT_TRUE(picture.save(QString::fromStdString(std::string(LUMO_TEST_BINARY_DIR) + "/linetoolbox.png")));
}

TEST_F(LineToolTest, PictureOfAChartWithLines)
{
    TTechForm *chart = OpenChart();
    ASSERT_NE(chart, nullptr);
    Place(chart, 0, At(chart, 40, 150), At(chart, 240, 40));
    Place(chart, 4, At(chart, 300, 30), At(chart, 420, 160));
    Place(chart, 7, At(chart, 460, 60), At(chart, 600, 140));
    Place(chart, 8, At(chart, 100, 200), At(chart, 200, 120));
    box->Buttons[15]->Click();
    Click(chart, At(chart, 560, 220).x, At(chart, 560, 220).y);
    ASSERT_EQ(chart->LineStore.LineCount, 5);
    EXPECT_EQ(Records().size(), 5u);
    HDC dc = GetDC(chart->Handle);
    EXPECT_TRUE(SaveDCToPng(dc, LUMO_TEST_BINARY_DIR "/kline-lines.png"));
    ReleaseDC(chart->Handle, dc);
    // Reloading the chart frees and loads: the same five lines.
    chart->ReloadChart(true);
    ASSERT_EQ(chart->LineStore.LineCount, 5);
    EXPECT_EQ(chart->LineStore.Lines[4]->Kind, LK_UPARROW);
    EXPECT_EQ(chart->LineStore.Lines[2]->Kind, LK_BOX);
}

} // namespace
