// The intraday chart in a page of the frame: its layout and title, index stocks,
// the trade-detail grid and the volume-at-price bars, the keys, the mouse and
// the menu; live deals, reloads and the ticks fetched after the close against
// the simulated data server.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/formula/DynIndex.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TBarChart.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/MFrame.h"
#include "lumon/core/Alarm.h"
#include "lumon/views/Rendform.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/Cursor.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "tests/lumon/views/ChartFixture.h"
#include "tests/support/DataServerPeer.h"
#include "tests/support/MiniJson.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/TestApplication.h"

namespace {

using namespace win;
using namespace chartfixture;
namespace fs = std::filesystem;
using testsupport::PumpUntil;

class IntradayTest : public ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        RegisterIntradayChart();
    }
    void TearDown() override
    {
        ClearTestClock();
        TRendForm::ReloadedOnce = false;
        ChartTest::TearDown();
    }
    // The stock of the market with the code.
    StockId ByCode(int market, const char *code)
    {
        TMarketData *md = MarketTable.Markets[market];
        for (int s = 0; s < md->StockCount; ++s)
            if (strncmp(md->Statics[s].Code, code, 7) == 0)
                return MakeStockId(market, md->Statics[s].Class, s);
        ADD_FAILURE() << code;
        return 0;
    }
    // An intraday chart of the stock in place of the page's first pane.
    TRendForm *Open(StockId stock, int items = 2, uint32_t flags = 0)
    {
        VIEW_ATTR attr;
        InitViewAttr(VIEW_TREND, &attr);
        attr.Stock = stock;
        attr.ItemCount = items;
        attr.Flags |= flags;
        MVCS *node = page->Panes->GetAt(0)->Node;
        auto *chart = dynamic_cast<TRendForm *>(page->ReplaceView(node, &attr, 1));
        EXPECT_NE(chart, nullptr);
        if (!chart)
            return nullptr;
        chart->Drawn = 1;
        chart->ReloadView();
        framefixture::App().ProcessMessages();
        return chart;
    }
    static void Key(TRendForm *chart, WORD key, TShiftState shift = TShiftState())
    {
        WORD k = key;
        chart->FormKeyDown(chart, k, shift);
    }
    static TShiftState With(TShiftFlag flag)
    {
        TShiftState s;
        s << flag;
        return s;
    }
    // The messages of the number waiting for the window, taken from the queue.
    static int Taken(HWND window, UINT msg)
    {
        int n = 0;
        MSG m;
        while (PeekMessageA(&m, window, msg, msg, PM_REMOVE))
            ++n;
        return n;
    }
    static int Height(const RECT &r) { return r.bottom - r.top + 1; }
    // Quote of a trading stock: a last price and the ticks' volume.
    void Trading(StockId id, uint32_t prev, uint32_t last, float volume)
    {
        RealQuoteRecord &q = Quote(id);
        q = RealQuoteRecord{};
        q.PrevClose = prev;
        q.Last = last;
        q.Volume = volume;
    }
    // The control's picture, painted first unless `repaint` is false.
    std::vector<COLORREF> Picture(TWinControl *control, bool repaint = true)
    {
        if (repaint)
            control->Repaint();
        HDC dc = GetDC(control->Handle);
        std::vector<COLORREF> out;
        for (int y = 0; y < control->ClientHeight; ++y)
            for (int x = 0; x < control->ClientWidth; ++x)
                out.push_back(GetPixel(dc, x, y));
        if (const char *folder = std::getenv("LUMO_PICTURES")) {
            static int n = 0;
            SaveDCToPng(dc, (std::string(folder) + "/intraday-" + std::to_string(++n) + ".png").c_str());
        }
        ReleaseDC(control->Handle, dc);
        return out;
    }
};

TEST(IntradayTradeClass, ClassifiesByOpenInterestChangeAndSide)
{
    struct Case {
        float change, volume;
        uint8_t side;
        const char *text;
    } cases[] = {
        {0, 10, 0, "换手"},     {10, 10, 1, "双开仓"}, {-10, 10, 0, "双平仓"}, {4, 10, 0, "多头开"},
        {4, 10, 1, "空头开"},   {-4, 10, 0, "空头平"}, {-4, 10, 1, "多头平"}, {-4, 10, 2, "多头平"},
        {0.7f, 10, 0, "换手"},  // truncated toward zero
        {std::numeric_limits<float>::quiet_NaN(), 10, 0, "换手"},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(TRendForm::TradeClass(c.change, c.volume, c.side), c.text) << c.change << " " << int(c.side);
}

TEST_F(IntradayTest, LayoutTitlesAndPaneCountsFromTheAttributes)
{
    StartQuiet();
    const StockId id = ByCode(0, "600000");
    struct Case {
        int items;
        int panes;
        uint32_t flags;
    } cases[] = {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 3, 0}, {0, 1, 0}, {17, 3, 0}, {2, 2, 0x0F0FF000u}};
    for (const Case &c : cases) {
        TRendForm *chart = Open(id, c.items, c.flags);
        ASSERT_NE(chart, nullptr);
        EXPECT_EQ(chart->PaneCount, c.panes) << c.items;
        EXPECT_EQ(chart->Attr.ItemCount, c.panes) << c.items;
        EXPECT_EQ(chart->DisplayMode, 0) << c.items;
        EXPECT_EQ(chart->Attr.Flags & 0xFFFu, 2u);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(chart->Panes[i] != nullptr, i < c.panes) << c.items << " pane " << i;
        const RECT &first = chart->PaneRect[0];
        EXPECT_EQ(first.top, chart->Chart.top);
        EXPECT_EQ(chart->PaneRect[c.panes - 1].bottom, chart->Chart.bottom - 1);
        for (int i = 1; i < c.panes; ++i)
            EXPECT_GT(chart->PaneRect[i].top, chart->PaneRect[i - 1].bottom) << "panes do not overlap";
        if (c.panes == 3) {
            const int h0 = Height(chart->PaneRect[0]), h1 = Height(chart->PaneRect[1]), h2 = Height(chart->PaneRect[2]);
            EXPECT_NEAR(double(h0) / h1, 2.5, 0.05) << h0 << ":" << h1;
            EXPECT_NEAR(h1, h2, 1);
        }
    }
    TRendForm *chart = Open(id, 1);
    EXPECT_EQ(chart->TitleText(), "即时走势--" + std::string(Static(id).Name, strnlen(Static(id).Name, 8)) + "(600000)");
    EXPECT_EQ(chart->TickMode, 1);
    // Heights that sum to nothing take the default weights.
    for (RECT &r : chart->PaneRect)
        r = RECT{0, 0, 0, -1};
    chart->UseDefaultRatios = 0;
    chart->CalcLayout();
    EXPECT_EQ(chart->PaneRect[0].top, chart->Chart.top);
    EXPECT_GT(Height(chart->PaneRect[0]), 100);
    // 三图组合 lays three panes out 5:2:2 again.
    chart->N7Click(chart->N9);
    EXPECT_EQ(chart->PaneCount, 3);
    EXPECT_TRUE(chart->N9->Checked);
    EXPECT_NEAR(double(Height(chart->PaneRect[0])) / Height(chart->PaneRect[1]), 2.5, 0.05);
    chart->N7Click(chart->N7);
    EXPECT_EQ(chart->PaneCount, 1);
    EXPECT_EQ(chart->Panes[1], nullptr);
    // The chart is drawn: the title band and the panes differ from the background.
    const std::vector<COLORREF> picture = Picture(chart);
    int drawn = 0;
    for (COLORREF c : picture)
        drawn += c != KeyColor(1);
    EXPECT_GT(drawn, 1000);
}

TEST_F(IntradayTest, AnIndexStaysInTheMinuteTrendAndShowsNoDataAsDashes)
{
    StartQuiet();
    const StockId index = FirstOfClass(0, 0);
    TRendForm *chart = Open(index);
    EXPECT_EQ(chart->TickMode, 0);
    EXPECT_TRUE(chart->Attr.Flags & TRendForm::FlagTrend);
    EXPECT_EQ(chart->TitleText().rfind("分时走势--", 0), 0u);
    for (WORD key : {VK_F1, VK_F2}) {
        Key(chart, key);
        EXPECT_EQ(chart->DisplayMode, 0) << key;
        EXPECT_FALSE(chart->Panel2->Visible);
    }
    chart->N16Click(nullptr);
    EXPECT_EQ(chart->TickMode, 0);
    for (TDynIndex *pane : chart->Panes)
        if (pane)
            EXPECT_EQ(pane->TickMode, 0);
    // Its grid rows stay empty.
    char text[64];
    COLORREF colour;
    chart->DetailCellText(1, 1, text, sizeof text, colour);
    EXPECT_STREQ(text, "");
    // Without data every value of the information column shows "------".
    chart->UpdateInfoColumn(-1);
    for (int i : {5, 6, 7, 8, 9})
        EXPECT_STREQ(AnsiString(chart->Labels[i]->Caption).c_str(), "------") << i;
    EXPECT_STREQ(AnsiString(chart->Labels[12]->Caption).c_str(), "");
    EXPECT_STREQ(AnsiString(chart->Labels[4]->Caption).c_str(), "均价");
}

// The time axis labels the half hours that have room: at any width of the
// chart no label touches the one before it or reaches past the axis, and a wide
// chart labels every half hour of the session.
TEST_F(IntradayTest, TimeAxisLabelsNeverRunTogether)
{
    StartQuiet();
    TRendForm *chart = Open(FirstOfClass(0, 0));
    ASSERT_NE(chart, nullptr);
    ASSERT_EQ(chart->TickMode, 0);
    struct Label {
        int x, width;
        std::string text;
    };
    auto labels = [&](int width) {
        chart->SetBounds(0, 0, width, 400);
        framefixture::App().ProcessMessages();
        const RECT axis = chart->AxisRect;
        HDC dc = CreateRecordingDC(width, 400);
        chart->Panes[0]->DrawTimeAxis(dc, &axis);
        const std::vector<std::string> calls = RecordedCalls(dc);
        // Measured in the axis's own font.
        HFONT font = CreateThemeFont(6);
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<Label> out;
        for (const std::string &call : calls) {
            int x = 0, y = 0;
            char text[16] = {};
            if (std::sscanf(call.c_str(), "TextOutA(%d,%d,\"%15[^\"]\")", &x, &y, text) != 3)
                continue;
            SIZE extent{};
            EXPECT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &extent));
            out.push_back({x, int(extent.cx), text});
        }
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
        return std::make_pair(out, axis);
    };
    for (int width = 200; width <= 700; width += 3) {
        SCOPED_TRACE(width);
        const auto [shown, axis] = labels(width);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown[0].text, "09:30");
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_GT(shown[i].width, 0);
            EXPECT_LE(shown[i].x + shown[i].width, axis.right) << shown[i].text << " past the axis";
            if (i > 0)
                EXPECT_GE(shown[i].x, shown[i - 1].x + shown[i - 1].width + 2)
                    << shown[i - 1].text << " runs into " << shown[i].text;
        }
    }
    std::vector<std::string> texts;
    for (const Label &l : labels(1400).first)
        texts.push_back(l.text);
    // 13:00 is where 11:30 is.
    EXPECT_EQ(texts, (std::vector<std::string>{"09:30", "10:00", "10:30", "11:00", "11:30", "13:30", "14:00",
                                               "14:30", "15:00"}));
}

TEST_F(IntradayTest, TradeDetailGridSplitsVolumesFollowsTheNewestTradeAndReturns)
{
    StartQuiet();
    const StockId id = ByCode(1, "cu0701");
    Static(id).ScaleDivisor = 1, Static(id).VolumeUnit = 1, Static(id).Decimals = 0;
    WriteTicks(id, {Tick(9, 1, 1000, 100, 5000, 2), Tick(9, 2, 1001, 110, 5004, 0), Tick(9, 3, 999, 120, 4994, 1)});
    Trading(id, 1000, 999, 120);
    TRendForm *chart = Open(id);
    ASSERT_EQ(chart->DayTickCount(), 3);
    Key(chart, VK_F1);
    ASSERT_EQ(chart->DisplayMode, 1);
    EXPECT_TRUE(chart->Panel2->Visible);
    EXPECT_EQ(chart->DrawGrid1->ColCount, 7);
    EXPECT_EQ(std::string(AnsiString(chart->Panel5->Caption).c_str()), ("  " + std::string(Static(id).Name, strnlen(Static(id).Name, 8)) +
                                       "(cu0701)成交明细"));
    char text[64];
    COLORREF colour;
    auto cell = [&](int col, int row) {
        chart->DetailCellText(col, row, text, sizeof text, colour);
        return std::string(text);
    };
    // Volume 10 with the open interest up 4: 7 opened, 3 closed, by a buyer.
    EXPECT_EQ(cell(3, 2), "      10");
    EXPECT_EQ(colour, KeyColor(21));
    EXPECT_EQ(cell(4, 2), "7");
    EXPECT_EQ(cell(5, 2), "3");
    EXPECT_EQ(cell(6, 2), "多头开");
    EXPECT_EQ(cell(1, 3), "     999");
    EXPECT_EQ(colour, KeyColor(19));
    EXPECT_EQ(cell(6, 3), "双平仓");
    EXPECT_EQ(cell(2, 3), "      -1");

    // The grid follows the newest trade while its selection is on the last row.
    TDrawGrid *grid = chart->DrawGrid1;
    EXPECT_EQ(grid->RowCount, 4);
    EXPECT_EQ(grid->Row, 3);
    RealQuoteRecord &q = Quote(id);
    q.LastVolume = 5;
    q.Volume += 5;
    chart->Notify(0, int32_t(id), 0, 0x100 | 0x200);
    EXPECT_EQ(grid->RowCount, 5);
    EXPECT_EQ(grid->Row, 4);
    grid->Row = 2;
    chart->Notify(0, int32_t(id), 0, 0x100);
    EXPECT_EQ(grid->RowCount, 6);
    EXPECT_EQ(grid->Row, 2) << "a selection elsewhere stays";
    // The current row is filled in the selection colour.
    grid->Repaint();
    TRect r = grid->CellRect(0, 2);
    HDC dc = GetDC(grid->Handle);
    EXPECT_EQ(GetPixel(dc, r.Left + 1, r.Top + 1), KeyColor(64));
    ReleaseDC(grid->Handle, dc);
    Picture(chart->DrawGrid1);

    // Without a deal today every data cell shows "  ---".
    q.Last = 0;
    for (int col = 0; col < 7; ++col)
        EXPECT_EQ(cell(col, 1), "  ---") << col;
    q.Last = 999;

    // Esc returns to the chart with the selection on the last row.
    Key(chart, VK_ESCAPE);
    EXPECT_EQ(chart->DisplayMode, 0);
    EXPECT_FALSE(chart->Panel2->Visible);
    EXPECT_EQ(grid->Row, grid->RowCount - 1);
    EXPECT_FALSE(chart->Attr.Flags & (TRendForm::FlagGrid | TRendForm::FlagBars));
    // A pane saved in the grid opens in it.
    TRendForm *again = Open(id, 2, TRendForm::FlagGrid);
    EXPECT_EQ(again->DisplayMode, 1);
}

TEST_F(IntradayTest, VolumeAtPriceSumsEachPriceInAscendingOrderAndPagesWithinItsRows)
{
    StartQuiet();
    struct Case {
        int market;
        const char *code;
        double factor;
    } cases[] = {{0, "600000", 0.01}, {1, "cu0701", 1.0}};
    for (const Case &c : cases) {
        const StockId id = ByCode(c.market, c.code);
        Static(id).ScaleDivisor = 100, Static(id).VolumeUnit = 1, Static(id).Decimals = 2;
        // Deals of 100, 200, 100 and 600 at 10.10, 10.00, 10.10 and 10.20.
        WriteTicks(id, {Tick(9, 31, 1010, 100, 0, 0), Tick(9, 32, 1000, 300, 0, 1), Tick(9, 33, 1010, 400, 0, 0),
                        Tick(9, 34, 1020, 1000, 0, 0)});
        Trading(id, 1000, 1020, 1000);
        TRendForm *chart = Open(id);
        Key(chart, VK_F2);
        ASSERT_EQ(chart->DisplayMode, 2) << c.code;
        EXPECT_TRUE(chart->Attr.Flags & TRendForm::FlagBars);
        TBarChart *bars = chart->Bars;
        ASSERT_EQ(bars->PointCount, 3) << c.code;
        EXPECT_EQ(bars->Vertical, 0);
        const float prices[3] = {10.0f, 10.1f, 10.2f};
        const double volumes[3] = {200, 200, 600};
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(bars->Labels[k], prices[k]) << c.code << " " << k;
            EXPECT_FLOAT_EQ(bars->Values[0][k], float(volumes[k] * c.factor)) << c.code << " " << k;
        }
    }

    // 200 prices: more rows than a page.
    const StockId id = ByCode(0, "600036");
    Static(id).ScaleDivisor = 100, Static(id).VolumeUnit = 1, Static(id).Decimals = 2;
    std::vector<TickRecord> ticks;
    for (int i = 0; i < 200; ++i)
        ticks.push_back(Tick(10, i % 60, uint32_t(2000 - i), float(10 * (i + 1)), 0, 0));
    WriteTicks(id, ticks);
    Trading(id, 1900, 1801, 2000);
    Quote(id).High = 2000, Quote(id).Low = 1801;
    TRendForm *chart = Open(id);
    Key(chart, VK_F2);
    TBarChart *bars = chart->Bars;
    ASSERT_EQ(bars->PointCount, 200);
    EXPECT_LT(bars->Labels[0], bars->Labels[199]);
    const int page = bars->Capacity;
    ASSERT_GT(page, 1);
    ASSERT_LT(page, 200);
    auto within = [&] { return bars->FirstPoint >= 0 && bars->FirstPoint <= bars->PointCount - 1; };
    Key(chart, VK_DOWN);
    EXPECT_EQ(bars->FirstPoint, 1);
    Key(chart, VK_UP);
    EXPECT_EQ(bars->FirstPoint, 0) << "a page back stops at the first row";
    Key(chart, VK_UP);
    EXPECT_EQ(bars->FirstPoint, 0);
    Key(chart, VK_END, With(ssCtrl));
    EXPECT_EQ(bars->FirstPoint, 200 - page);
    for (int i = 0; i < 300; ++i)
        Key(chart, VK_DOWN);
    EXPECT_TRUE(within());
    Key(chart, VK_RIGHT, With(ssCtrl));
    EXPECT_TRUE(within());
    Key(chart, VK_HOME, With(ssCtrl));
    EXPECT_EQ(bars->FirstPoint, 0);
    Key(chart, VK_RIGHT, With(ssCtrl));
    EXPECT_EQ(bars->FirstPoint, page);
    // The bars are drawn in their colours.
    const std::vector<COLORREF> picture = Picture(chart);
    int bar = 0;
    for (COLORREF c : picture)
        bar += c == 0x008080 || c == 0xFF0000;
    EXPECT_GT(bar, 100);
    Key(chart, VK_ESCAPE);
    EXPECT_EQ(chart->DisplayMode, 0);
}

TEST_F(IntradayTest, ZoomStaysInItsTableAndTheSwitchStartsAgainInTheMiddle)
{
    StartQuiet();
    TRendForm *chart = Open(ByCode(0, "600000"), 2);
    ASSERT_EQ(chart->TickMode, 1);
    for (int i = 0; i < 20; ++i) {
        Key(chart, VK_UP);
        EXPECT_LE(chart->ZoomIndex, 15);
    }
    EXPECT_FLOAT_EQ(chart->Panes[0]->BarWidth, 4.0f);
    for (int i = 0; i < 20; ++i) {
        Key(chart, VK_DOWN);
        EXPECT_GE(chart->ZoomIndex, 0);
    }
    EXPECT_FLOAT_EQ(chart->Panes[1]->BarWidth, 0.25f);
    struct Case {
        WORD key;
        float width;
    } cases[] = {{VK_UP, 2.25f}, {VK_DOWN, 1.75f}};
    for (const Case &c : cases) {
        chart->N16Click(nullptr); // minute trend
        EXPECT_EQ(chart->TickMode, 0);
        EXPECT_TRUE(chart->Attr.Flags & TRendForm::FlagTrend);
        EXPECT_EQ(chart->TitleText().rfind("分时走势--", 0), 0u);
        chart->N16Click(nullptr); // tick chart
        EXPECT_EQ(chart->ZoomIndex, 7);
        Key(chart, c.key);
        EXPECT_FLOAT_EQ(chart->Panes[0]->BarWidth, c.width);
    }
    // The menu hides the switch to the mode shown and the mode shown.
    chart->PopupMenu1Popup(nullptr);
    EXPECT_FALSE(chart->Tickfm->Visible);
    EXPECT_TRUE(chart->Minfm->Visible);
    EXPECT_TRUE(chart->Barfm->Visible);
    EXPECT_TRUE(chart->Detailfm->Visible);
    // The frame's hook switches it; from the grid it returns to the chart first.
    ViewHooks.SwitchTickMode(chart);
    EXPECT_EQ(chart->TickMode, 0);
    Key(chart, VK_F1);
    chart->Minfm->Click(); // the mode shown: back to the chart only
    EXPECT_TRUE(PumpUntil(framefixture::App(), [&] { return chart->DisplayMode == 0; }, 5000));
    EXPECT_EQ(chart->TickMode, 0);
    // Keys typed while the grid has the focus reach the chart.
    Key(chart, VK_F1);
    ASSERT_EQ(chart->DisplayMode, 1);
    PostMessageA(chart->DrawGrid1->Handle, WM_KEYDOWN, VK_F2, 0);
    EXPECT_TRUE(PumpUntil(framefixture::App(), [&] { return chart->DisplayMode == 2; }, 5000));
}

TEST_F(IntradayTest, PageKeysWrapThroughTheBrowseListAndTheKeyUpAsksOnce)
{
    StartQuiet();
    const StockId a = ByCode(0, "600000"), b = ByCode(0, "600036"), c = ByCode(0, "600519");
    TRendForm *chart = Open(c);
    const StockId stocks[3] = {a, b, c};
    chart->BrowseList = NewBrowseList(stocks, 3);
    chart->BrowseIndex = 2;
    Taken(frame->Handle, 2626);
    Key(chart, VK_NEXT);
    EXPECT_EQ(StockId(chart->Attr.Stock), a) << "the last stock wraps to the first";
    EXPECT_EQ(chart->BrowseIndex, 0);
    EXPECT_EQ(Taken(frame->Handle, 2626), 0) << "not while the key is held";
    WORD up = VK_NEXT;
    chart->FormKeyUp(chart, up, TShiftState());
    chart->FormKeyUp(chart, up, TShiftState());
    EXPECT_EQ(Taken(frame->Handle, 2626), 1);
    Key(chart, VK_PRIOR);
    EXPECT_EQ(StockId(chart->Attr.Stock), c) << "the first wraps to the last";
    up = VK_PRIOR;
    chart->FormKeyUp(chart, up, TShiftState());
    EXPECT_EQ(Taken(frame->Handle, 2626), 1);
    ASSERT_NE(FindBrowseList(chart->BrowseList), nullptr);
    EXPECT_EQ(BrowseListHandle(chart->Attr), chart->BrowseList);

    // An empty list: the block is stepped through.
    chart->ReleaseBrowseList();
    chart->BrowseList = NewBrowseList(nullptr, 0);
    const StockId next = TChildView::NextStockInBlock(chart->Attr.BlockId, chart->Attr.Stock);
    Key(chart, VK_NEXT);
    EXPECT_EQ(StockId(chart->Attr.Stock), next);
    // With the grid shown the page keys belong to the grid.
    Key(chart, VK_F1);
    const StockId shown = chart->Attr.Stock;
    Key(chart, VK_NEXT);
    EXPECT_EQ(StockId(chart->Attr.Stock), shown);
}

// Alt+Z offers the chart's stock to a block through the block chooser: the
// chosen user block takes it, a cancel adds nothing; without Alt the key is
// the chart's own.
TEST_F(IntradayTest, AltZOffersTheStockToABlock)
{
    StartQuiet();
    const StockId stock = ByCode(0, "600001");
    TRendForm *chart = Open(stock);
    ASSERT_NE(chart, nullptr);
    // The maker's one user block, 自选股, without the stock.
    BlockRecord *mine = nullptr;
    for (int i = 0; i < frame->Blocks->BlockCount && !mine; ++i)
        if (frame->Blocks->Blocks[i].InUse && frame->Blocks->Blocks[i].Kind >= FirstUserBlockKind)
            mine = &frame->Blocks->Blocks[i];
    ASSERT_NE(mine, nullptr);
    auto members = [&] {
        std::vector<StockId> ids;
        for (int k = 0; k < mine->MemberCount; ++k)
            ids.push_back(mine->Members[k].Id);
        return ids;
    };
    const std::vector<StockId> before = members();
    std::vector<std::string> captions;
    testsupport::ModalSteps<TEdtBlk> chooser(frame, {[&](TEdtBlk *d) {
                                                         captions.push_back(AnsiString(d->Caption).c_str());
                                                         ASSERT_GE(d->ListCount, 1);
                                                         d->ListBox1->ItemIndex = 0;
                                                         d->Button1->Click();
                                                     },
                                                     [&](TEdtBlk *d) {
                                                         captions.push_back(AnsiString(d->Caption).c_str());
                                                         d->Button2->Click();
                                                     }});
    Key(chart, 'Z', With(ssAlt));
    std::vector<StockId> after = before;
    after.push_back(stock);
    EXPECT_EQ(members(), after);
    Key(chart, 'Z', With(ssAlt));
    EXPECT_EQ(members(), after) << "cancelled";
    Key(chart, 'Z');
    EXPECT_EQ(chooser.Done(), 2u);
    EXPECT_EQ(chooser.extra, 0);
    EXPECT_EQ(captions, (std::vector<std::string>{"选择板块", "选择板块"}));
}

TEST_F(IntradayTest, DaysBackStayWithinThreeAndToday)
{
    StartQuiet();
    TRendForm *chart = Open(ByCode(0, "600000"));
    chart->N16Click(nullptr);
    ASSERT_EQ(chart->TickMode, 0);
    int deepest = 0;
    for (int i = 0; i < 6; ++i) {
        chart->N13Click(chart->N13);
        deepest = std::max(deepest, chart->Panes[0]->HistoryDayOffset);
        EXPECT_LE(chart->Panes[0]->HistoryDayOffset, 3);
    }
    EXPECT_GE(deepest, 1) << "the installation holds earlier days";
    for (int i = 0; i < 6; ++i) {
        chart->N14Click(chart->N14);
        EXPECT_GE(chart->Panes[0]->HistoryDayOffset, 0);
    }
    EXPECT_EQ(chart->Panes[0]->HistoryDayOffset, 0);
    EXPECT_EQ(chart->Panes[0]->HistoryWanted, 0);
    EXPECT_EQ(chart->MoreHistory, 1);
}

TEST_F(IntradayTest, ASplitterStaysTwoPixelsInsideItsPanesAndArrowsMoveThePointer)
{
    StartQuiet();
    TRendForm *chart = Open(ByCode(0, "600000"), 3);
    const RECT upper = chart->PaneRect[0], lower = chart->PaneRect[1];
    const int x = (upper.left + upper.right) / 2;
    struct Case {
        int toY;
        int expectY;
    } cases[] = {{upper.top - 50, upper.top + 2}, {lower.bottom + 50, lower.bottom - 2}};
    for (const Case &c : cases) {
        chart->PaneRect[0] = upper;
        chart->PaneRect[1] = lower;
        chart->FormMouseMove(chart, TShiftState(), x, upper.bottom + 1);
        ASSERT_EQ(chart->Splitter, 1);
        chart->FormMouseDown(chart, mbLeft, TShiftState(), x, upper.bottom + 1);
        RECT clip{};
        GetClipCursor(&clip);
        const TPoint top = chart->ClientToScreen(TPoint(x, upper.top + 2));
        EXPECT_EQ(clip.top, top.y);
        chart->FormMouseMove(chart, TShiftState(), x, c.toY);
        chart->FormMouseUp(chart, mbLeft, TShiftState(), x, c.toY);
        EXPECT_EQ(chart->PaneRect[0].bottom, c.expectY - 1);
        EXPECT_EQ(chart->PaneRect[1].top, c.expectY + 1);
    }

    // Enter shows the information column with the cross-hair and its tags;
    // again, both come off and the picture is what it was.
    chart->RepaintChart(nullptr, false);
    const std::vector<COLORREF> before = Picture(chart);
    chart->MousePos = POINT{x, (upper.top + upper.bottom) / 2};
    Key(chart, VK_RETURN);
    EXPECT_TRUE(chart->WatchPage->Visible);
    EXPECT_TRUE(chart->CrossShown);
    EXPECT_GT(chart->TagWidth1, 0);
    EXPECT_NE(Picture(chart, false), before);
    Key(chart, VK_RETURN);
    EXPECT_FALSE(chart->WatchPage->Visible);
    EXPECT_FALSE(chart->CrossShown);
    EXPECT_EQ(Picture(chart, false), before);

    // The arrow keys take the cursor from record to record and the pointer along.
    chart->CursorIndex = -1;
    Key(chart, VK_LEFT);
    EXPECT_EQ(chart->KeyCursor, 1);
    const int first = chart->CursorIndex;
    EXPECT_GE(first, 0);
    Key(chart, VK_LEFT);
    EXPECT_EQ(chart->CursorIndex, std::max(first - 1, 0));
    int px = 0, py = 0, at = chart->CursorIndex;
    chart->Panes[0]->RecordToPoint(px, py, at);
    POINT pointer{};
    GetCursorPos(&pointer);
    EXPECT_EQ(pointer.x, chart->ClientToScreen(TPoint(px, 0)).x);
    Key(chart, VK_HOME);
    EXPECT_EQ(chart->CursorIndex, chart->Panes[0]->FirstVisible);
}

TEST_F(IntradayTest, TheDefaultPageShowsItsIntradayChart)
{
    ASSERT_NO_FATAL_FAILURE(ShowOffline(1400, 900));
    TRendForm *chart = nullptr;
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] {
        for (int i = 0; i < frame->CurrentPage->Panes->GetCount() && !chart; ++i)
            if (auto *c = dynamic_cast<TRendForm *>(frame->CurrentPage->Panes->GetAt(i)); c && c->Painted)
                chart = c;
        return chart != nullptr;
    }, 5000));
    EXPECT_FALSE(chart->TitleText().empty());
    EXPECT_GT(chart->Panes[0]->PointTotal(), 0);
    const std::vector<COLORREF> picture = Picture(chart);
    int drawn = 0;
    for (COLORREF c : picture)
        drawn += c != KeyColor(1);
    EXPECT_GT(drawn, 500);
}

TEST_F(IntradayTest, TheFrameOpensChartsInThePreferredModeAndReloadsTheActiveOne)
{
    StartQuiet();
    const StockId id = ByCode(0, "600000");
    Open(ByCode(0, "600036"));
    struct Case {
        bool tickFirst;
        int tickMode;
    } cases[] = {{false, 0}, {true, 1}};
    for (const Case &c : cases) {
        frame->T1->Checked = c.tickFirst;
        // A pane asks the frame for a chart of the stock (2026): the active
        // pane makes way for it, in the mode 闪电图优先 prefers.
        VIEW_ATTR attr;
        InitViewAttr(VIEW_TREND, &attr);
        attr.Stock = id;
        page->SetActivePane(page->Panes->GetAt(0));
        SendMessageA(frame->Handle, WM_DATA_CHANGED, 0, LPARAM(&attr));
        auto *chart = dynamic_cast<TRendForm *>(page->ActivePane);
        ASSERT_NE(chart, nullptr);
        EXPECT_EQ(StockId(chart->Attr.Stock), id);
        EXPECT_EQ(chart->TickMode, c.tickMode) << c.tickFirst;
        EXPECT_EQ((chart->Attr.Flags & VIEW_FLAG_TREND) == 0, c.tickMode == 1);
        chart->Drawn = 1;
        chart->ReloadView();
        TRendForm::ReloadedOnce = false;
        // 数据刷新 reloads the active chart (offline: only the throttle moves).
        frame->N22->Click();
        EXPECT_TRUE(TRendForm::ReloadedOnce);
        EXPECT_EQ(TRendForm::LastReloadStock, id);
    }
}

// ---- against the data server ---------------------------------------------------------

class IntradayServerTest : public IntradayTest {
protected:
    void Connect(const std::vector<std::string> &options)
    {
        logPath = (root / "server.log").string();
        std::vector<std::string> args = {"--log", logPath, "--tick", "0"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_TRUE(server.Start(root.string(), args));
        StartConnected(server);
        ASSERT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        if (frame->Alarms)
            frame->Alarms->StopCheckThread();
        page = framefixture::NewTestPage(frame);
        frame->SetBounds(0, 0, 1600, 900);
    }
    // The tick requests the server logged: the index each asked from.
    std::vector<int> TickRequests()
    {
        std::vector<int> from;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["listener"].text == "data" && j["type"].Int() == 20) {
                const std::string hex = j["hex"].text.substr(20);
                // Body bytes 10..13, little-endian.
                uint32_t v = 0;
                for (int k = 3; k >= 0; --k)
                    v = v << 8 | uint32_t(std::stoul(hex.substr(size_t(2 * (10 + k)), 2), nullptr, 16));
                from.push_back(int(v));
            }
        }
        return from;
    }
    // The stock's tick file in whatever case it was written; an absent path when there is none.
    fs::path TickFile(StockId id)
    {
        TMarketData *md = MarketTable.Markets[StockMarket(id)];
        const fs::path dir = root / "data" / md->Info.Dir / "tick";
        const std::string name = std::string(Static(id).Code, strnlen(Static(id).Code, 7)) + ".tik";
        std::error_code ec;
        for (const fs::directory_entry &e : fs::directory_iterator(dir, ec)) {
            std::string found = e.path().filename().string();
            for (char &ch : found)
                ch = char(std::tolower(static_cast<unsigned char>(ch)));
            if (found == name)
                return e.path();
        }
        return dir / "absent";
    }
    peer::DataServer server;
    std::string logPath;
};

TEST_F(IntradayServerTest, ALiveDealForTheShownStockAppendsToTheTickChart)
{
    Connect({});
    const StockId id = ByCode(0, "600000");
    TRendForm *chart = Open(id, 3);
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return Quote(id).Last != 0; }, 5000));
    PumpUntil(framefixture::App(), [] { return false; }, 300);
    const int before = chart->Panes[0]->PointTotal();
    const std::vector<COLORREF> picture = Picture(chart);
    const RealQuoteRecord q = Quote(id);
    const uint32_t last = q.Last + 7 * uint32_t(Static(id).ScaleDivisor ? Static(id).ScaleDivisor : 1) / 100;
    ASSERT_TRUE(server.Command(R"({"cmd": "quote", "market": 0, "code": "600000", "last": )" + std::to_string(last) +
                               R"(, "volume": )" + std::to_string(double(q.Volume) + 5000) +
                               R"(, "high": )" + std::to_string(last) + R"(, "last_volume": 5000, "tick": true})")["ok"].boolean);
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return chart->Panes[0]->PointTotal() > before; }, 5000));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(chart->Panes[i]->PointTotal(), chart->Panes[0]->PointTotal());
    EXPECT_EQ(chart->Panes[0]->Records[chart->Panes[0]->PointTotal() - 1].Close, last);
    EXPECT_GT(chart->TickTop, 0);
    EXPECT_NE(Picture(chart), picture) << "repainted";
}

TEST_F(IntradayServerTest, AfterTheCloseTheChartFetchesItsTicksAndReloadsAtMostEveryTwoSeconds)
{
    // The trading day's evening on the market's clock (UTC+8), so that the
    // files written now carry that day's date.
    Connect({"--clock", "1600"});
    SetTestClock(1165564800000LL, 5'000'000); // 2006-12-08 08:00 UTC
    const StockId id = ByCode(0, "600519");
    TMarketData *md = MarketTable.Markets[0];
    frame->SubscribeVisibleStocks();
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return md->ClockMinute == 16 * 60; }, 5000));
    fs::remove(TickFile(id));
    TRendForm *chart = Open(id);
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return !TickRequests().empty(); }, 5000));
    EXPECT_EQ(TickRequests()[0], 0);
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return fs::exists(TickFile(id)) && chart->DayTickCount() > 10; },
                          5000));
    const int fetched = int(fs::file_size(TickFile(id)) / sizeof(TickRecord));
    EXPECT_GE(chart->TickCount, fetched);
    EXPECT_GE(chart->Panes[0]->PointTotal(), fetched);
    // 数据刷新 (past the data core's 2 s between two tick requests of a stock):
    // the file goes and is asked for from the start.
    size_t asked = TickRequests().size();
    AdvanceTestClock(2100);
    chart->RefreshData();
    EXPECT_FALSE(fs::exists(TickFile(id))) << "deleted";
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return TickRequests().size() > asked; }, 5000));
    EXPECT_EQ(TickRequests().back(), 0);
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return fs::exists(TickFile(id)); }, 5000));
    PumpUntil(framefixture::App(), [] { return false; }, 500);
    asked = TickRequests().size();
    AdvanceTestClock(1500);
    chart->RefreshData();
    EXPECT_TRUE(fs::exists(TickFile(id))) << "the second within 2 s does nothing";
    PumpUntil(framefixture::App(), [] { return false; }, 300);
    EXPECT_EQ(TickRequests().size(), asked);
    AdvanceTestClock(600);
    chart->RefreshData();
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return TickRequests().size() > asked; }, 5000));
    EXPECT_EQ(TickRequests().back(), 0);
}

// ---- bad input --------------------------------------------------------------------------

TEST_F(IntradayTest, BrokenTickFilesAndScalesLoadSafely)
{
    StartQuiet();
    const StockId id = ByCode(1, "cu0701");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        uint32_t scale, unit;
        uint8_t decimals;
        size_t partial;
    } cases[] = {{0, 0, 255, 7}, {1, 0, 2, 19}, {0, 10, 255, 1}};
    for (const Case &c : cases) {
        Static(id).ScaleDivisor = c.scale, Static(id).VolumeUnit = c.unit, Static(id).Decimals = c.decimals;
        WriteTicks(id, {Tick(9, 1, 1000, nan, nan, 0), Tick(31, 63, 0, 50, 1e30f, 9), Tick(9, 3, 1002, 40, nan, 1)},
                   c.partial);
        Trading(id, 1000, 1002, 60);
        TRendForm *chart = Open(id, 3);
        ASSERT_NE(chart, nullptr);
        Key(chart, VK_F1);
        Picture(chart->DrawGrid1);
        char text[64];
        COLORREF colour;
        for (int row = 1; row <= chart->DayTickCount(); ++row)
            for (int col = 0; col < 7; ++col) {
                chart->DetailCellText(col, row, text, sizeof text, colour);
                EXPECT_LT(strlen(text), sizeof text);
            }
        Key(chart, VK_F2);
        EXPECT_GE(chart->Bars->PointCount, 1);
        Key(chart, VK_ESCAPE);
        chart->UpdateInfoColumn(0);
        Picture(chart);
    }
}

} // namespace
