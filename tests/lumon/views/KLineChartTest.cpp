// The K-line chart in a page of the frame: its layout and picture, its data and
// notifications, keys, menu commands, quote block and mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/InputNumber.h"
#include "lumon/shell/SelWrap.h"
#include "lumon/shell/BrowseList.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/Cursor.h"
#include "platform/win/Profile.h"
#include "tests/lumon/views/KLineFixture.h"
#include "tests/support/FormOfWindow.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ModalSteps.h"

using namespace win;
using namespace klinefixture;

namespace {

std::string Caption(TLabel *label) { return AnsiString(label->Caption).c_str(); }

// The height of area i as the layout makes it from the weights.
int ExpectedHeight(TTechForm *c, int i, const int *weights)
{
    int divisor = 0;
    for (int k = 0; k < c->PaneCount; ++k)
        divisor += weights[k];
    const int room = c->ClientHeight - c->ChartTop - 2 - c->DateAxisHeight - c->PaneCount;
    return room * weights[i] / divisor;
}

TEST_F(KLineTest, LayoutPanesByWeights)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"), 900, 600);
    ASSERT_NE(chart, nullptr);
    const int defaults[6] = {7, 2, 2, 2, 2, 2};
    for (int panes = 1; panes <= 6; ++panes) {
        chart->SetPaneCount(panes);
        ASSERT_EQ(chart->PaneCount, panes);
        EXPECT_EQ(chart->ChartTop, ThemeFontHeight(1) + 6);
        EXPECT_EQ(chart->ChartRight, 900 - chart->AxisWidth - 1 - (chart->Panel1->Visible ? chart->Panel1->Width : 0));
        EXPECT_EQ(chart->PaneRects[0].top, chart->ChartTop);
        EXPECT_EQ(chart->PaneRects[panes - 1].bottom, chart->ChartBottom - 1);
        for (int i = 1; i < panes; ++i) {
            EXPECT_EQ(chart->PaneRects[i].bottom - chart->PaneRects[i].top, ExpectedHeight(chart, i, defaults))
                << panes << " panes, area " << i;
            EXPECT_EQ(chart->AxisRects[i].left, chart->ChartRight + 1);
            EXPECT_EQ(chart->AxisRects[i].top, chart->PaneRects[i].top);
        }
    }
    // Two panes, the first dragged to one pixel: the next layout splits 7:2 again.
    chart->SetPaneCount(2);
    const RECT fresh = chart->PaneRects[1];
    chart->PaneRects[0].bottom = chart->PaneRects[0].top;
    chart->LayoutPanes();
    EXPECT_EQ(chart->PaneRects[1].top, fresh.top);
    EXPECT_EQ(chart->PaneRects[1].bottom, fresh.bottom);
    // Kept proportions otherwise; heights that sum to nothing fall back too.
    chart->PaneRects[0].bottom = chart->PaneRects[0].top + 99;
    chart->PaneRects[1].top = 0;
    chart->PaneRects[1].bottom = 99;
    chart->LayoutPanes();
    EXPECT_NEAR(chart->PaneRects[0].bottom - chart->PaneRects[0].top, chart->PaneRects[1].bottom - chart->PaneRects[1].top,
                3);
    chart->SetPaneCount(1);
    chart->PaneRects[0] = RECT{1, 0, 10, -5};
    chart->LayoutPanes();
    EXPECT_EQ(chart->PaneRects[0].top, chart->ChartTop);
    EXPECT_GT(chart->PaneRects[0].bottom, chart->PaneRects[0].top);

    // With the quote panel the chart area gives way to it.
    chart->Panel1->Visible = true;
    chart->LayoutPanes();
    EXPECT_EQ(chart->ChartRight, 900 - chart->AxisWidth - 1 - chart->Panel1->Width);
    chart->Panel1->Visible = false;
    chart->LayoutPanes();
    EXPECT_EQ(chart->ChartRight, 900 - chart->AxisWidth - 1);

    // A window lower than the title row: no title row, no title.
    chart->SetBounds(chart->Left, chart->Top, 900, 10);
    chart->LayoutPanes();
    EXPECT_EQ(chart->ChartTop, 0);
    for (const auto &t : PaintedTexts(chart))
        EXPECT_EQ(t.text.find("技术分析"), std::string::npos);
    // A window narrower than the axis column keeps the chart right of its left.
    chart->SetBounds(chart->Left, chart->Top, 20, 300);
    chart->LayoutPanes();
    EXPECT_EQ(chart->ChartRight, chart->ChartLeft);
    chart->RepaintChart(chart, true);
}

TEST_F(KLineTest, TitleAndCurrentAxisBoxInThePicture)
{
    StartQuiet();
    ASSERT_EQ(Cycmins, 10);
    TTechForm *chart = AddChart(Stock(0, "600000"), 900, 600);
    ASSERT_NE(chart, nullptr);
    TTechForm::AskPeriodNumber = [](int) { return 10; };
    chart->SetPeriod(3);
    ASSERT_EQ(int(chart->Attr.Param), 3);
    bool title = false;
    for (const auto &t : PaintedTexts(chart))
        title = title || (t.text.rfind("技术分析--浦发银行(600000)<10分>", 0) == 0 && t.colour == KeyColor(30));
    EXPECT_TRUE(title);

    chart->RepaintChart(chart, true);
    HDC dc = GetDC(chart->Handle);
    SaveDCToPng(dc, "kline.png");
    const RECT box = chart->AxisRects[chart->CurPane];
    EXPECT_EQ(GetPixel(dc, box.left, (box.top + box.bottom) / 2), KeyColor(15));
    EXPECT_EQ(GetPixel(dc, box.right, (box.top + box.bottom) / 2), KeyColor(15));
    const RECT other = chart->AxisRects[0];
    EXPECT_EQ(GetPixel(dc, other.left - 1, (other.top + other.bottom) / 2), KeyColor(14));
    ReleaseDC(chart->Handle, dc);
    // The mouse makes another pane current: only the boxes change.
    chart->CurPane = 0;
    chart->DrawPaneFrames(0);
    dc = GetDC(chart->Handle);
    EXPECT_EQ(GetPixel(dc, other.left, (other.top + other.bottom) / 2), KeyColor(15));
    EXPECT_EQ(GetPixel(dc, box.left, (box.top + box.bottom) / 2), KeyColor(1));
    ReleaseDC(chart->Handle, dc);
}

TEST_F(KLineTest, QuoteRepaintsOnlyWithTheLastBarInView)
{
    StartQuiet();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    TIndex *price = Price(chart);
    ASSERT_NE(price, nullptr);
    RealQuoteRecord &q = MarketTable.Markets[0]->Quotes[StockIndex(stock)];

    // Scrolled back: the quote changes nothing on the screen.
    Key(chart, VK_HOME, TShiftState() << ssCtrl);
    ASSERT_EQ(price->FirstVisible, 0);
    const std::vector<COLORREF> back = Picture(chart);
    q.Volume += 100000;
    q.Last += 150;
    q.High = std::max(q.High, q.Last);
    chart->Notify(0, int32_t(stock), 0, 0x81);
    EXPECT_EQ(Picture(chart), back);

    // At the end it does.
    Key(chart, VK_END, TShiftState() << ssCtrl);
    chart->RepaintChart(chart, false);
    const std::vector<COLORREF> end = Picture(chart);
    q.Volume += 100000;
    q.Last += 300;
    q.High = std::max(q.High, q.Last);
    chart->Notify(0, int32_t(stock), 0, 0x81);
    EXPECT_NE(Picture(chart), end);
    // Another stock's quote is not this chart's.
    const std::vector<COLORREF> now = Picture(chart);
    chart->Notify(0, int32_t(Stock(0, "600036")), 0, 0x81);
    EXPECT_EQ(Picture(chart), now);
}

TEST_F(KLineTest, ShowingTheShownStockPostsNothing)
{
    StartQuiet();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    framefixture::App().ProcessMessages();
    TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS);
    TIndex *before = Price(chart);
    chart->Notify(1, int32_t(stock), 0, 0);
    EXPECT_EQ(TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS), 0);
    EXPECT_EQ(Price(chart), before);
    const StockId other = Stock(0, "600036");
    chart->Notify(1, int32_t(other), 7, 0);
    EXPECT_EQ(TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS), 1);
    EXPECT_EQ(StockId(chart->Attr.Stock), other);
    EXPECT_EQ(int(chart->Attr.BlockId), 7);
    EXPECT_EQ(Price(chart)->Stock, other);
    EXPECT_GT(Price(chart)->RecordCount, 100);
    EXPECT_EQ(chart->ZoomLevel, 16);
}

TEST_F(KLineTest, FrameRowsReachTheCharts)
{
    StartQuiet();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    ASSERT_NE(ViewHooks.SecondStock, nullptr);
    // No second stock: the hook gives none, and the key of a code the market
    // table does not know reaches no chart.
    EXPECT_EQ(ViewHooks.SecondStock(chart), 0u);
    chart->HistoryArrivals = 0;
    frame->OnServerData(WPARAM(12 << 16 | 8), LPARAM(0xFFFFFFFFu));
    EXPECT_EQ(chart->HistoryArrivals, 0);
    frame->OnServerData(WPARAM(12 << 16 | 8), LPARAM(uint32_t(stock)));
    EXPECT_EQ(chart->HistoryArrivals, 1);
    // A 5-minute file's arrival is not the day chart's.
    frame->OnServerData(WPARAM(12 << 16 | 4), LPARAM(uint32_t(stock)));
    EXPECT_EQ(chart->HistoryArrivals, 1);
    frame->OnServerData(WPARAM(20 << 16 | 0), LPARAM(uint32_t(stock)));
    EXPECT_EQ(chart->HistoryArrivals, 2);
    // The frame's keys (Alt) go to the chart: Alt+W steps the ex-rights mode.
    const int mode = Price(chart)->WeightMode;
    ASSERT_NE(ViewHooks.KLineKeyDown, nullptr);
    ViewHooks.KLineKeyDown(chart, 'W', true);
    EXPECT_EQ(Price(chart)->WeightMode, (mode + 1) % 4);
    // The scroll arrows of the command box (Shift+Left) go half a page back.
    const int first = Price(chart)->FirstVisible;
    ViewHooks.ChartKeyDown(chart, VK_LEFT, true);
    EXPECT_LT(Price(chart)->FirstVisible, first);
}

// Alt+Z (and Alt+F11) offers the chart's stock to a block through the block
// chooser; without Alt the key is the chart's own.
TEST_F(KLineTest, AltZOffersTheStockToABlock)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    std::vector<std::string> captions;
    auto cancel = [&](TEdtBlk *d) {
        captions.push_back(AnsiString(d->Caption).c_str());
        d->Button2->Click();
    };
    testsupport::ModalSteps<TEdtBlk> chooser(frame, {cancel, cancel});
    for (WORD key : {WORD('Z'), WORD(VK_F11)}) {
        WORD k = key;
        chart->FormKeyDown(chart, k, TShiftState() << ssAlt);
        EXPECT_EQ(k, 0) << key;
    }
    WORD plain = 'Z';
    chart->FormKeyDown(chart, plain, TShiftState());
    EXPECT_EQ(chooser.Done(), 2u);
    EXPECT_EQ(captions, (std::vector<std::string>{"选择板块", "选择板块"}));
}

TEST_F(KLineTest, PeriodButtonsAndWeightAnswersOfTheFrame)
{
    StartQuiet();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    chart->Activate();
    TToolButton *week = nullptr;
    for (TToolButton *b : frame->Cycle)
        if (b->Tag == 9)
            week = b;
    ASSERT_NE(week, nullptr);
    week->Click();
    EXPECT_EQ(int(chart->Attr.Param), 9);
    EXPECT_EQ(Price(chart)->Period, 9);
    EXPECT_TRUE(week->Down);
    // The stock's weight answer repaints the chart over whatever the window showed.
    const std::vector<COLORREF> shown = Picture(chart);
    HDC dc = GetDC(chart->Handle);
    RECT spot{100, 100, 140, 140};
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(dc, &spot, brush);
    DeleteObject(brush);
    ReleaseDC(chart->Handle, dc);
    EXPECT_NE(Picture(chart), shown);
    frame->OnServerData(WPARAM(18 << 16), LPARAM(uint32_t(stock)));
    EXPECT_EQ(Picture(chart), shown);
}

// ---- keys ------------------------------------------------------------------------------------------------

TEST_F(KLineTest, PeriodSteppingSkipsFreePeriodsWithoutASize)
{
    struct Case {
        int mins, days, from;
        bool forward;
        int to;
    } cases[] = {{0, 45, 2, true, 4},   {0, 45, 4, false, 2}, {10, 0, 11, true, 1}, {10, 0, 1, false, 11},
                 {10, 45, 12, true, 1}, {10, 45, 1, false, 12}, {10, 45, 2, true, 3}, {-5, 45, 2, true, 4},
                 {10, 45, 8, true, 9}};
    const int mins = Cycmins, days = Cycdays;
    for (const Case &c : cases) {
        Cycmins = c.mins;
        Cycdays = c.days;
        EXPECT_EQ(TTechForm::StepPeriod(c.from, c.forward), c.to) << c.from << (c.forward ? " F8" : " Ctrl+F8");
    }
    Cycmins = mins;
    Cycdays = days;
}

TEST_F(KLineTest, KeysZoomScrollAndStepThePeriod)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    TIndex *price = Price(chart);
    // Zoom stops at both ends and the key is taken either way.
    chart->ZoomLevel = 28;
    WORD k = VK_UP;
    chart->FormKeyDown(chart, k, TShiftState());
    EXPECT_EQ(chart->ZoomLevel, 28);
    EXPECT_EQ(k, 0);
    chart->ZoomLevel = 0;
    k = VK_DOWN;
    chart->FormKeyDown(chart, k, TShiftState());
    EXPECT_EQ(chart->ZoomLevel, 0);
    EXPECT_EQ(k, 0);
    chart->ZoomLevel = 16;
    Key(chart, VK_UP);
    EXPECT_EQ(chart->ZoomLevel, 17);
    for (int i = 0; i < chart->Attr.ItemCount; ++i)
        if (chart->Panes[i])
            EXPECT_FLOAT_EQ(chart->Panes[i]->BarWidth, 5.5f);

    // F8 and Ctrl+F8 step the period, the buttons follow.
    chart->ZoomLevel = 20;
    Key(chart, VK_F8);
    EXPECT_EQ(int(chart->Attr.Param), 9);
    EXPECT_EQ(price->Period, 9);
    EXPECT_EQ(chart->ZoomLevel, 16);
    EXPECT_TRUE(chart->PeriodItems[9]->Checked);
    for (TToolButton *b : frame->Cycle)
        EXPECT_EQ(b->Down, b->Tag == 9);
    Key(chart, VK_F8, TShiftState() << ssCtrl);
    EXPECT_EQ(int(chart->Attr.Param), 8);

    // Ctrl+Left before the start loads from the first bar; a key without a
    // meaning is taken under Ctrl and passed on without.
    chart->RepaintChart(chart, false);
    for (int i = 0; i < chart->Attr.ItemCount; ++i)
        if (chart->Panes[i])
            chart->Panes[i]->FirstVisible = 3;
    Key(chart, VK_LEFT, TShiftState() << ssCtrl);
    for (int i = 0; i < chart->Attr.ItemCount; ++i)
        if (chart->Panes[i])
            EXPECT_EQ(chart->Panes[i]->FirstVisible, 0);
    EXPECT_EQ(price->ForceReload, 0u) << "the compute took the flag";
    k = 'Q';
    chart->FormKeyDown(chart, k, TShiftState() << ssCtrl);
    EXPECT_EQ(k, 0);
    k = 'Q';
    chart->FormKeyDown(chart, k, TShiftState());
    EXPECT_EQ(k, 'Q');
}

TEST_F(KLineTest, LeftAtTheFirstShownBarScrollsAndMovesThePointer)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    TIndex *price = Price(chart);
    ASSERT_GT(price->FirstVisible, 0);
    const int first = price->FirstVisible;
    chart->CursorBar = first;
    const TPoint inside = chart->ClientToScreen(TPoint(10, 100));
    SetCursorPos(inside.x, inside.y);
    chart->MousePos = POINT{10, 100};
    Key(chart, VK_LEFT);
    EXPECT_EQ(price->FirstVisible, first - 1);
    EXPECT_EQ(chart->CursorBar, first - 1);
    EXPECT_TRUE(chart->Panel2->Visible);
    EXPECT_TRUE(chart->KeyCursor);
    POINT at{};
    GetCursorPos(&at);
    const TPoint client = chart->ScreenToClient(TPoint(at.x, at.y));
    int x = 0, y = 0, index = chart->CursorBar;
    price->RecordToPoint(x, y, index);
    EXPECT_EQ(client.x, x);
    EXPECT_EQ(client.y, 100);
    // Inside the shown bars Left steps the cursor bar only.
    Key(chart, VK_LEFT, TShiftState());
    chart->CursorBar = first + 5;
    Key(chart, VK_LEFT);
    EXPECT_EQ(chart->CursorBar, first + 4);
    // At bar 0 with the pointer inside, the key is passed on.
    for (int i = 0; i < chart->Attr.ItemCount; ++i)
        if (chart->Panes[i])
            chart->Panes[i]->FirstVisible = 0;
    chart->RepaintChart(chart, false);
    chart->CursorBar = 0;
    SetCursorPos(inside.x, inside.y);
    WORD k = VK_LEFT;
    chart->FormKeyDown(chart, k, TShiftState());
    EXPECT_EQ(k, VK_LEFT);
    EXPECT_EQ(price->FirstVisible, 0);
}

TEST_F(KLineTest, PageDownWrapsTheBrowseListAndKeyUpAnnouncesOnce)
{
    StartQuiet();
    const StockId a = Stock(0, "600000"), b = Stock(0, "600036"), c = Stock(0, "600519");
    TTechForm *chart = AddChart(a);
    ASSERT_NE(chart, nullptr);
    const StockId list[3] = {a, b, c};
    chart->ReleaseBrowseList();
    chart->BrowseList = NewBrowseList(list, 3);
    chart->BrowseIndex = 2;
    framefixture::App().ProcessMessages();
    TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS);
    Key(chart, VK_NEXT);
    EXPECT_EQ(chart->BrowseIndex, 0);
    EXPECT_EQ(StockId(chart->Attr.Stock), a);
    Key(chart, VK_NEXT);
    EXPECT_EQ(StockId(chart->Attr.Stock), b);
    EXPECT_TRUE(chart->BrowseMoved);
    EXPECT_NE(chart->BrowseList, 0u) << "a list stepped through is kept";
    EXPECT_EQ(TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS), 0) << "nothing while the key is held";
    WORD k = VK_NEXT;
    chart->FormKeyUp(chart, k, TShiftState());
    EXPECT_EQ(TakePosted(frame->Handle, WM_SUBSCRIBE_VIEWS), 1);
    EXPECT_EQ(PageKeysActive, 0);
    Key(chart, VK_PRIOR);
    EXPECT_EQ(StockId(chart->Attr.Stock), a);
    chart->FormKeyUp(chart, k, TShiftState());

    // An empty list steps through the block as no list does.
    chart->ReleaseBrowseList();
    chart->BrowseList = NewBrowseList(list, 0);
    Key(chart, VK_NEXT);
    EXPECT_EQ(chart->BrowseIndex, 0);
    chart->FormKeyUp(chart, k, TShiftState());
}

TEST_F(KLineTest, EscapeHidesTheGridThenTheQuoteBlockThenStepsBack)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    Key(chart, VK_RETURN);
    EXPECT_TRUE(chart->Panel2->Visible);
    EXPECT_TRUE(chart->CrossMode);
    Key(chart, VK_F1);
    EXPECT_TRUE(chart->DrawGrid1->Visible);
    EXPECT_FALSE(chart->Panel2->Visible);
    EXPECT_TRUE(uint32_t(chart->Attr.Flags) & (1u << 29));
    EXPECT_EQ(chart->DrawGrid1->RowCount, Price(chart)->RecordCount + 1);
    // Only Esc acts while the grid is up.
    WORD k = VK_F8;
    chart->FormKeyDown(chart, k, TShiftState());
    EXPECT_EQ(int(chart->Attr.Param), 8);
    Key(chart, VK_ESCAPE);
    EXPECT_FALSE(chart->DrawGrid1->Visible);
    EXPECT_FALSE(uint32_t(chart->Attr.Flags) & (1u << 29));
    Key(chart, VK_RETURN);
    framefixture::App().ProcessMessages();
    TakePosted(page->Handle, WM_PANE_BACK);
    Key(chart, VK_ESCAPE);
    EXPECT_FALSE(chart->Panel2->Visible);
    EXPECT_EQ(TakePosted(page->Handle, WM_PANE_BACK), 0);
    Key(chart, VK_ESCAPE);
    EXPECT_EQ(TakePosted(page->Handle, WM_PANE_BACK), 1);
}

// ---- menu -----------------------------------------------------------------------------------------------

TEST_F(KLineTest, FreeMinutePeriodRoundsAndIsStored)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    TTechForm::AskPeriodNumber = [](int) { return 4; };
    chart->SetPeriod(3);
    EXPECT_EQ(int(chart->Attr.Param), 8) << "fewer than 5 minutes are refused";
    EXPECT_EQ(Setting("Parameter", "Cycmins"), "10");
    TTechForm::AskPeriodNumber = [](int) { return 17; };
    chart->N12Click(chart->PeriodItems[3]);
    EXPECT_EQ(int(chart->Attr.Param), 3);
    EXPECT_EQ(Cycmins, 15);
    EXPECT_EQ(Setting("Parameter", "Cycmins"), "15");
    EXPECT_EQ(Price(chart)->Period, 3);
    EXPECT_GT(Price(chart)->RecordCount, 0);
    TTechForm::AskPeriodNumber = [](int) { return 30; };
    chart->SetPeriod(12);
    EXPECT_EQ(Cycdays, 30);
    EXPECT_EQ(Setting("Parameter", "Cycdays"), "30");
    // The same fixed period again does nothing.
    chart->SetPeriod(8);
    Price(chart)->FirstVisible = 5;
    chart->SetPeriod(8);
    EXPECT_EQ(Price(chart)->FirstVisible, 5);
}

TEST_F(KLineTest, OverlayPaneCountAndUnknownIndicators)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    ASSERT_EQ(int(chart->Attr.ItemCount), 3);
    chart->CurPane = 1;
    ASSERT_TRUE(chart->OverlayIndicator(45));
    EXPECT_EQ(int(chart->Attr.ItemCount), 4);
    EXPECT_EQ(chart->Panes[1]->StackCount, 2);
    EXPECT_EQ(chart->Panes[3]->StackCount, 2);
    EXPECT_EQ(chart->Panes[3]->StackPos, 2);
    EXPECT_EQ(chart->Panes[3]->AreaIndex, 1);

    // An unknown id leaves the pane's indicator.
    TIndex *held = chart->Panes[1];
    const int32_t id = chart->Attr.Items[1];
    chart->ReplaceIndicator(9999);
    EXPECT_EQ(chart->Panes[1], held);
    EXPECT_EQ(int32_t(chart->Attr.Items[1]), id);
    EXPECT_FALSE(chart->OverlayIndicator(9999));
    EXPECT_EQ(int(chart->Attr.ItemCount), 4);

    // Erasing the overlay needs both of its parts hidden.
    chart->Panes[3]->Selection = 1;
    chart->EraseIdxClick(nullptr);
    EXPECT_EQ(int(chart->Attr.ItemCount), 4);
    EXPECT_TRUE(chart->Panes[3]->NoLines);
    chart->Panes[3]->Selection = 2;
    chart->EraseIdxClick(nullptr);
    EXPECT_EQ(int(chart->Attr.ItemCount), 3);
    EXPECT_EQ(chart->Panes[1]->StackCount, 1);

    // Six panes cut to two delete the objects 2..5, an overlay among them.
    chart->SetPaneCount(6);
    ASSERT_EQ(int(chart->Attr.ItemCount), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(chart->Panes[i], nullptr) << i;
    chart->CurPane = 4;
    ASSERT_TRUE(chart->OverlayIndicator(42));
    chart->SetPaneCount(2);
    EXPECT_EQ(int(chart->Attr.ItemCount), 2);
    for (int i = 2; i < MaxChartObjects; ++i)
        EXPECT_EQ(chart->Panes[i], nullptr) << i;
    EXPECT_TRUE(chart->CountItems[2]->Checked);

    // Replacing the price pane's indicator keeps its horizontal view.
    chart->CurPane = 0;
    chart->Panes[0]->FirstVisible = 7;
    chart->ReplaceIndicator(1);
    EXPECT_EQ(chart->Panes[0]->Id, 1);
    EXPECT_EQ(int32_t(chart->Attr.Items[0]), 1);
    EXPECT_EQ(chart->Panes[0]->FirstVisible, 7);
}

TEST_F(KLineTest, ExRightsMenuOnlyForStockMarkets)
{
    StartQuiet();
    TTechForm *stock = AddChart(Stock(0, "600000"));
    TTechForm *futures = AddChart(Stock(1, "cu0612"));
    ASSERT_NE(stock, nullptr);
    ASSERT_NE(futures, nullptr);
    futures->PopupMenu1Popup(nullptr);
    EXPECT_FALSE(futures->NWeight->Visible);
    stock->N25Click(stock->WeightItems[3]);
    EXPECT_EQ(Price(stock)->WeightMode, 3);
    stock->PopupMenu1Popup(nullptr);
    EXPECT_TRUE(stock->NWeight->Visible);
    EXPECT_TRUE(stock->WeightItems[3]->Checked);
    EXPECT_FALSE(stock->WeightItems[0]->Checked);
    EXPECT_TRUE(stock->PeriodItems[8]->Checked);
}

// ---- quote block, grid and tags -------------------------------------------------------------------------

TEST_F(KLineTest, QuoteBlockValues)
{
    StartQuiet();
    const StockId id = Stock(0, "600000");
    TTechForm *chart = AddChart(id);
    ASSERT_NE(chart, nullptr);
    chart->ShowQuoteBlock(-1);
    EXPECT_EQ(Caption(chart->DateLabel), "------");
    for (TLabel *v : chart->Values)
        EXPECT_EQ(Caption(v), "------");
    TIndex *price = Price(chart);
    // The record count itself shows the last bar.
    chart->ShowQuoteBlock(price->RecordCount);
    const KLineRecord &last = price->Records[price->RecordCount - 1];
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", PackedYear(last.Time), PackedMonth(last.Time),
                  PackedDay(last.Time));
    EXPECT_EQ(Caption(chart->DateLabel), date);

    // Today's day bar moves against the live previous close.
    TMarketData *md = MarketTable.Markets[0];
    RealQuoteRecord &q = md->Quotes[StockIndex(id)];
    q.Volume = price->Records[price->RecordCount - 1].Volume + 50000;
    // The market's clock on its trading date (offline it runs on the wall clock).
    md->Now = md->TradingDate + (10 << 6);
    q.Last = q.PrevClose + 123;
    q.High = std::max(q.High, q.Last);
    chart->Notify(0, int32_t(id), 0, 0x81);
    const KLineRecord &today = price->Records[price->RecordCount - 1];
    ASSERT_TRUE(IsSameDay(today.Time, md->TradingDate)) << today.Time << " " << md->TradingDate << " " << md->Now;
    chart->ShowQuoteBlock(price->RecordCount - 1);
    const double scale = PriceScaleOf(md->Statics[StockIndex(id)]);
    char change[32];
    std::snprintf(change, sizeof change, "%+8.2f", 123 / scale);
    EXPECT_EQ(Caption(chart->Values[6]), change);
    EXPECT_EQ(Caption(chart->Captions[5]), "成交金额");
    EXPECT_TRUE(chart->Values[7]->Visible);

    // A futures chart has no percentage and shows the open interest.
    TTechForm *futures = AddChart(Stock(1, "cu0612"));
    futures->ShowQuoteBlock(0);
    EXPECT_EQ(Caption(futures->Captions[5]), "持    仓");
    EXPECT_FALSE(futures->Values[7]->Visible);
    EXPECT_LT(futures->Panel2->Height, chart->Panel2->Height);
}

TEST_F(KLineTest, AmountsAndCellsThatDoNotFit)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    TIndex *price = Price(chart);
    price->Records[0].Amount = 3e12f;
    chart->ShowQuoteBlock(0);
    EXPECT_EQ(Caption(chart->Values[5]).substr(0, 5), "30000");
    EXPECT_NE(Caption(chart->Values[5]).find("亿"), std::string::npos);

    HDC dc = CreateRecordingDC(200, 100);
    {
        TCanvas canvas(dc);
        chart->DrawCellText(&canvas, TRect(0, 0, 12, 20), "12345.678", 2);
        chart->DrawCellText(&canvas, TRect(0, 20, 200, 40), "12.5", 2);
    }
    const auto texts = chartfixture::DrawnTexts(dc);
    DeleteDC(dc);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "********");
    EXPECT_EQ(texts[0].x, 0);
    EXPECT_EQ(texts[1].text, "12.5");

    std::string text;
    COLORREF colour;
    ASSERT_TRUE(chart->GridCellText(6, 0, text, colour));
    EXPECT_EQ(text, "成交额");
    ASSERT_TRUE(chart->GridCellText(4, 2, text, colour));
    EXPECT_EQ(colour, TDrawView::ChangeColorIndex(price->Records[1].Close, price->Records[0].Close));
    EXPECT_FALSE(chart->GridCellText(1, price->RecordCount + 1, text, colour));
}

TEST_F(KLineTest, TagTextsAndAnUndisturbedPicture)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    // A value of 12345678 in an indicator pane reads in exponent form.
    TIndex *volume = chart->Panes[1];
    ASSERT_NE(volume, nullptr);
    const int x = (volume->PlotRect.left + volume->PlotRect.right) / 2;
    const int y = volume->PlotRect.bottom - int((12345678.0 - volume->ValueMin) * volume->YScale);
    std::string value, date;
    ASSERT_TRUE(chart->FormatValueAt(1, 2, x, y, value, date));
    EXPECT_EQ(value.substr(0, 4), "1.23") << value;
    EXPECT_NE(value.find("E+07"), std::string::npos) << value;
    EXPECT_EQ(date.size(), std::string("2006-12-07(四)").size()) << date;
    ASSERT_TRUE(chart->FormatValueAt(0, 2, x, (chart->PaneRects[0].top + chart->PaneRects[0].bottom) / 2, value, date));
    EXPECT_EQ(value.find('E'), std::string::npos);
    EXPECT_EQ(value.size() - value.find('.') - 1, 2u) << value;

    // Cross-hair and tags drawn, moved and taken off leave the picture as it was.
    chart->RepaintChart(chart, false);
    const std::vector<COLORREF> before = Picture(chart);
    const int cy = (chart->PaneRects[0].top + chart->PaneRects[0].bottom) / 2;
    chart->MousePos = POINT{x, cy};
    chart->DrawCrossHair(0, x, cy, true);
    chart->CrossShown = 1;
    EXPECT_GT(chart->TagWidth1, 0);
    EXPECT_GT(chart->TagWidth2, 0);
    EXPECT_NE(Picture(chart), before);
    chart->DrawCrossHair(0, x + 40, cy + 30, false);
    chart->MousePos = POINT{x + 40, cy + 30};
    chart->EraseCrossHair(0);
    EXPECT_EQ(Picture(chart), before);
}

// ---- mouse ---------------------------------------------------------------------------------------------

TEST_F(KLineTest, ZoomBoxBothWaysAndTooSmall)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    const int y = (chart->PaneRects[0].top + chart->PaneRects[0].bottom) / 2;
    auto drag = [&](int from, int to) {
        chart->FormMouseDown(chart, mbLeft, TShiftState(), from, y);
        chart->FormMouseUp(chart, mbLeft, TShiftState(), to, y);
    };
    auto reset = [&](int first) {
        chart->ZoomLevel = 16;
        for (int i = 0; i < chart->Attr.ItemCount; ++i) {
            chart->Panes[i]->BarWidth = 5;
            chart->Panes[i]->BarGap = 1;
            chart->Panes[i]->FirstVisible = first;
        }
    };
    const int first = Price(chart)->FirstVisible;
    drag(300, 320);
    EXPECT_EQ(chart->ZoomLevel, 16);
    EXPECT_EQ(Price(chart)->FirstVisible, first);
    EXPECT_FALSE(chart->ZoomBoxArmed);

    reset(first);
    drag(300, 500);
    const int level = chart->ZoomLevel;
    const int shifted = Price(chart)->FirstVisible;
    EXPECT_GT(level, 16);
    EXPECT_NE(shifted, first);
    reset(first);
    drag(500, 300);
    EXPECT_EQ(chart->ZoomLevel, level);
    EXPECT_EQ(Price(chart)->FirstVisible, shifted);
}

TEST_F(KLineTest, SplitterDragStaysInItsClamp)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    const RECT a = chart->PaneRects[0], b = chart->PaneRects[1];
    const int x = (a.left + a.right) / 2;
    chart->FormMouseMove(chart, TShiftState(), x, a.bottom + 1);
    EXPECT_EQ(chart->DragSplitter, 1);
    EXPECT_EQ(chart->MouseState, 4);
    chart->FormMouseDown(chart, mbLeft, TShiftState() << ssLeft, x, a.bottom + 1);
    RECT clip{};
    ASSERT_TRUE(GetClipCursor(&clip));
    const TPoint tl = chart->ClientToScreen(TPoint(a.left, a.top + 2));
    const TPoint br = chart->ClientToScreen(TPoint(a.right, b.bottom - 2));
    EXPECT_EQ(clip.left, tl.x);
    EXPECT_EQ(clip.top, tl.y);
    EXPECT_EQ(clip.right, br.x);
    EXPECT_EQ(clip.bottom, br.y);
    const int y = a.bottom - 60;
    chart->FormMouseMove(chart, TShiftState() << ssLeft, x, y);
    chart->FormMouseUp(chart, mbLeft, TShiftState(), x, y);
    EXPECT_EQ(chart->PaneRects[0].bottom, y - 1);
    EXPECT_EQ(chart->PaneRects[1].top, y + 1);
    EXPECT_EQ(chart->DragSplitter, 0);
    RECT released{};
    GetClipCursor(&released);
    EXPECT_NE(released.bottom, br.y);
    // The next layout keeps the dragged proportions.
    const int upper = chart->PaneRects[0].bottom - chart->PaneRects[0].top;
    chart->LayoutPanes();
    EXPECT_NEAR(chart->PaneRects[0].bottom - chart->PaneRects[0].top, upper, 3);
}

TEST_F(KLineTest, TimeAxisDragScrollsAndPitchZeroDoesNothing)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    TIndex *price = Price(chart);
    const int y = (chart->DateAxisRect.top + chart->DateAxisRect.bottom) / 2;
    const int first = price->FirstVisible;
    chart->FormMouseDown(chart, mbLeft, TShiftState(), 400, y);
    EXPECT_EQ(chart->DragMode, 1002);
    chart->FormMouseUp(chart, mbLeft, TShiftState(), 400 + 60, y);
    EXPECT_EQ(price->FirstVisible, first - 10);
    // Past the start: older bars are asked for and the chart stops at bar 0.
    chart->FormMouseDown(chart, mbLeft, TShiftState(), 100, y);
    chart->FormMouseUp(chart, mbLeft, TShiftState(), 100 + 6 * (first + 50), y);
    EXPECT_EQ(price->FirstVisible, 0);
    // Before a layout the pitch is 0: nothing moves.
    price->BarPitch = 0;
    price->FirstVisible = 20;
    chart->FormMouseDown(chart, mbLeft, TShiftState(), 400, y);
    chart->FormMouseUp(chart, mbLeft, TShiftState(), 300, y);
    EXPECT_EQ(price->FirstVisible, 20);
}

// ---- bad input -------------------------------------------------------------------------------------------

TEST_F(KLineTest, BadViewStatesOpenWithDefaults)
{
    StartQuiet();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    MVCS *node = chart->Node;
    struct Case {
        int count, param, id0;
        int panes, period, firstId;
    } cases[] = {{0, 8, 0, 3, 8, 3},   {9, 8, 3, 6, 8, 3},   {17, 8, 3, 6, 8, 3},   {-4, 8, 3, 3, 8, 3},
                 {3, -1, 3, 3, 8, 3},  {3, 13, 3, 3, 8, 3},  {3, 8, 9999, 3, 8, 3}, {2, 4, 1, 2, 4, 1}};
    for (const Case &c : cases) {
        node->State->KLineCount = c.count;
        node->State->KLineItems[0] = c.id0;
        VIEW_ATTR attr = node->Pane->Attr;
        attr.Param = c.param;
        auto *view = dynamic_cast<TTechForm *>(page->ReplaceView(node, &attr, 0));
        ASSERT_NE(view, nullptr);
        view->Drawn = 1;
        view->ReloadView();
        framefixture::App().ProcessMessages();
        EXPECT_EQ(view->PaneCount, c.panes) << c.count;
        EXPECT_EQ(int(view->Attr.Param), c.period) << c.param;
        ASSERT_NE(view->Panes[0], nullptr) << c.count << " " << c.param << " " << c.id0;
        EXPECT_EQ(view->Panes[0]->Id, c.firstId);
        EXPECT_EQ(int32_t(view->Attr.Items[0]), c.firstId);
        view->RepaintChart(view, true);
    }
}

TEST_F(KLineTest, BadFreePeriodSettingsOpenTheChart)
{
    StartQuiet();
    for (const char *value : {"-5", "abc"}) {
        WritePrivateProfileStringA("Parameter", "Cycmins", value, SettingFile);
        Cycmins = int32_t(GetPrivateProfileIntA("Parameter", "Cycmins", 10, SettingFile));
        TTechForm *chart = AddChart(Stock(0, "600000"));
        ASSERT_NE(chart, nullptr);
        chart->Attr.Param = 2;
        Key(chart, VK_F8);
        EXPECT_EQ(int(chart->Attr.Param), 4) << value;
        EXPECT_NE(Price(chart), nullptr);
        chart->RepaintChart(chart, true);
    }
}

} // namespace

namespace {

// The start page of the maker's installation holds a K-line chart: it shows its
// stock's bars (the picture is kept for a person to look at).
TEST_F(KLineTest, TheStartPagesChart)
{
    StartOffline();
    ASSERT_EQ(frame->StartAborted, 0);
    frame->FormShow(frame);
    frame->Timer1->Enabled = false;
    frame->Timer2->Enabled = false;
    frame->SetBounds(0, 0, 1600, 1000);
    framefixture::App().ProcessMessages();
    ASSERT_NE(frame->CurrentPage, nullptr);
    auto *chart = dynamic_cast<TTechForm *>(frame->CurrentPage->FindPaneByType(VIEW_KLINE, 1));
    ASSERT_NE(chart, nullptr);
    if (!chart->Drawn)
        chart->Perform(WM_PANE_FIRST_SHOW, 0, 0);
    framefixture::App().ProcessMessages();
    chart->RepaintChart(chart, true);
    ASSERT_NE(chart->Panes[0], nullptr);
    EXPECT_EQ(chart->PaneCount, 3);
    HDC dc = GetDC(chart->Handle);
    SaveDCToPng(dc, "start-page-kline.png");
    ReleaseDC(chart->Handle, dc);
    // The quote block and the cross-hair with its tags at a bar of the price pane.
    const RECT &r = chart->PaneRects[0];
    chart->FormMouseMove(chart, TShiftState(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Key(chart, VK_RETURN);
    EXPECT_TRUE(chart->Panel2->Visible);
    chart->FormMouseMove(chart, TShiftState(), (r.left + r.right) / 2 + 9, (r.top + r.bottom) / 2 + 20);
    EXPECT_NE(Caption(chart->Values[3]), "------");
    framefixture::App().ProcessMessages();
    dc = GetDC(chart->Handle);
    SaveDCToPng(dc, "start-page-kline-cross.png");
    ReleaseDC(chart->Handle, dc);
}

} // namespace

namespace {

// The number dialog asks for the days of the free day period; the cross-variety
// chooser gives the spread chart its second stock, whose history then reaches
// the chart.
TEST_F(KLineTest, FreeDaysAndCrossVarietyThroughTheirDialogs)
{
    StartQuiet();
    const StockId stock = Stock(0, "600000"), second = Stock(0, "600036");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    {
        testsupport::ModalScript script("任意天技术分析", [](HWND h) {
            auto *dialog = dynamic_cast<TInputNumberDlg *>(testsupport::FormOfWindow(h));
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(std::string(AnsiString(dialog->Label1->Caption).c_str()), "请输入天数:");
            dialog->Edit_Day->Text = "20";
            dialog->Button1->Click();
        });
        chart->SetPeriod(12);
    }
    EXPECT_EQ(int(chart->Attr.Param), 12);
    EXPECT_EQ(Cycdays, 20);
    EXPECT_EQ(Setting("Parameter", "Cycdays"), "20");
    {
        testsupport::ModalScript script("任意分钟技术分析", [](HWND h) {
            auto *dialog = dynamic_cast<TInputNumberDlg *>(testsupport::FormOfWindow(h));
            ASSERT_NE(dialog, nullptr);
            dialog->Button2->Click();
        });
        chart->SetPeriod(3);
    }
    EXPECT_EQ(int(chart->Attr.Param), 12) << "cancelled: the period stays";

    chart->CurPane = 1;
    {
        testsupport::ModalScript script("跨品种分析选择", [&](HWND h) {
            auto *dialog = dynamic_cast<TSelStockDlg1 *>(testsupport::FormOfWindow(h, {chart}));
            ASSERT_NE(dialog, nullptr);
            dialog->ChosenStock = second;
            dialog->RadioButton2->Checked = true;
            dialog->RadioButton3->Checked = true;
            dialog->Button1->Click();
        });
        chart->N29Click(chart->N29);
    }
    EXPECT_EQ(StockId(chart->SecondStock), second);
    ASSERT_NE(chart->Panes[1], nullptr);
    EXPECT_EQ(chart->Panes[1]->Id, 601);
    EXPECT_EQ(chart->WrapMode, 1);
    EXPECT_EQ(ViewHooks.SecondStock(chart), second);
    const int arrivals = chart->HistoryArrivals;
    frame->OnServerData(WPARAM(12 << 16 | 8), LPARAM(uint32_t(second)));
    EXPECT_EQ(chart->HistoryArrivals, arrivals + 1);
    // Another indicator in its place: no second stock any more.
    chart->ReplaceIndicator(322);
    EXPECT_EQ(ViewHooks.SecondStock(chart), 0u);
}

} // namespace
