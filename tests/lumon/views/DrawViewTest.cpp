// The chart base view in a page of the frame: the XOR cross-hair and its clip,
// the quote panel's width rule and command box, the rendered quote panel, the
// ticks with their repairs, totals and live deals, the frame's repaint rows
// and data reload.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

#include "lumon/core/EMemOp.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/BigAmount.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/SelStockDlg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TStringGrid.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Messages.h"
#include "tests/lumon/views/ChartFixture.h"
#include "tests/support/ModalSteps.h"

using namespace win;
using namespace chartfixture;

namespace {

namespace fs = std::filesystem;

// The form's client image, pixel by pixel.
std::vector<COLORREF> Picture(TDrawView *view)
{
    HDC dc = GetDC(view->Handle);
    std::vector<COLORREF> out;
    for (int y = 0; y < view->ClientHeight; ++y)
        for (int x = 0; x < view->ClientWidth; ++x)
            out.push_back(GetPixel(dc, x, y));
    ReleaseDC(view->Handle, dc);
    return out;
}

TEST_F(ChartTest, CrossHairStaysInItsRectangleAndLeavesThePictureAsItWas)
{
    StartQuiet();
    TestChart *chart = AddChart(FirstOfClass(0, 1));
    chart->Repaint();
    framefixture::App().ProcessMessages();
    ASSERT_TRUE(chart->Painted);
    const std::vector<COLORREF> before = Picture(chart);
    RECT clip{20, 10, 120, 80};
    chart->SetCrossClip(&clip);
    const COLORREF back = KeyColor(1);
    struct Case {
        int x, y;
        bool drawn;
    } cases[] = {{50, 40, true}, {20, 10, true}, {120, 80, true}, {19, 40, false}, {50, 81, false}};
    HDC dc = GetDC(chart->Handle);
    for (const Case &c : cases) {
        chart->DrawCrossHair(0, c.x, c.y, true);
        std::vector<COLORREF> now = Picture(chart);
        int changed = 0, outside = 0;
        for (int y = 0; y < chart->ClientHeight; ++y)
            for (int x = 0; x < chart->ClientWidth; ++x)
                if (now[size_t(y) * chart->ClientWidth + x] != before[size_t(y) * chart->ClientWidth + x]) {
                    ++changed;
                    outside += !TDrawView::PointInRect(x, y, clip.left, clip.top, clip.right, clip.bottom);
                }
        EXPECT_EQ(changed > 0, c.drawn) << c.x << "," << c.y;
        EXPECT_EQ(outside, 0) << c.x << "," << c.y;
        // The lines cross at the point, which they XOR twice: the line beside it shows.
        const int beside = c.x == clip.right ? c.x - 1 : c.x + 1;
        if (c.drawn)
            EXPECT_NE(GetPixel(dc, beside, c.y), back);
        // Drawn again it comes off: the picture is byte for byte what it was.
        chart->DrawCrossHair(0, c.x, c.y, true);
        EXPECT_EQ(Picture(chart), before) << c.x << "," << c.y;
    }
    ReleaseDC(chart->Handle, dc);

    // Following the mouse: each move takes the last cross off; leaving the
    // chart for the panel takes it away.
    chart->FormMouseMove(chart, TShiftState(), 30, 30);
    EXPECT_TRUE(chart->CrossShown);
    chart->FormMouseMove(chart, TShiftState(), 60, 50);
    SendMessageA(chart->Handle, WM_NCMOUSEMOVE, 0, 0);
    EXPECT_FALSE(chart->CrossShown);
    EXPECT_EQ(Picture(chart), before);
}

TEST_F(ChartTest, PanelHidesInANarrowViewAndReturnsOnlyWhileTheInfoWindowIsChecked)
{
    StartQuiet();
    TestChart *chart = AddChart(FirstOfClass(0, 1));
    ASSERT_TRUE(chart->N5->Checked);
    const int panel = chart->Panel1->Width;
    auto widthTo = [&](int w) {
        chart->SetBounds(chart->Left, chart->Top, w, 400);
        framefixture::App().ProcessMessages();
    };
    widthTo(panel + 300);
    EXPECT_TRUE(chart->Panel1->Visible);
    widthTo(panel + 100);
    EXPECT_FALSE(chart->Panel1->Visible);
    widthTo(panel + 101);
    EXPECT_TRUE(chart->Panel1->Visible);
    // Off by the menu: widening no longer brings it back.
    chart->N5Click(chart->N5);
    EXPECT_FALSE(chart->Panel1->Visible);
    widthTo(panel + 50);
    widthTo(panel + 400);
    EXPECT_FALSE(chart->Panel1->Visible);
    // The box sits left of the panel, or at the right edge beside the pane's box.
    chart->N5Click(chart->N5);
    ASSERT_TRUE(chart->Panel1->Visible);
    RECT box{};
    GetWindowRect(chart->CmdBox->m_hWnd, &box);
    POINT at{box.left, box.top};
    ScreenToClient(chart->Handle, &at);
    EXPECT_EQ(at.x, chart->Panel1->Left - 2 * 17 - 1);
    EXPECT_EQ(at.y, 2);
    // A second first-show (time zone changed) keeps one box.
    TMVCmdBox *box1 = chart->CmdBox;
    chart->ReloadView();
    chart->ReloadView();
    EXPECT_EQ(chart->CmdBox, box1);
    EXPECT_TRUE(IsWindow(box1->m_hWnd));
    // The page keeps the choice in the view state's byte 197.
    chart->N5Click(chart->N5);
    VIEW_STATE state{};
    chart->WriteViewState(state);
    EXPECT_EQ(reinterpret_cast<uint8_t *>(&state)[197], 0);
}

class QuotePanelTest : public ChartTest {
protected:
    // The left-column and right-column rows of the rendered panel.
    void Render(TestChart *chart)
    {
        HDC dc = CreateRecordingDC(400, 900);
        TCanvas canvas(dc);
        chart->PaintQuotePanel(&canvas, 900);
        texts = DrawnTexts(dc);
        DeleteDC(dc);
        chart->MsgPage->Canvas->Font->Assign(*TChildView::Fonts[4]);
        dw = chart->MsgPage->Canvas->TextWidth("0");
        left = Rows(texts, 0, 4 * dw + 2);
        right = Rows(texts, 12 * dw + 4, 16 * dw + 6);
    }
    std::map<std::string, Row> Named() const
    {
        std::map<std::string, Row> all;
        for (const auto *rows : {&left, &right})
            for (const Row &r : *rows)
                all[r.label] = r;
        return all;
    }
    std::vector<DrawnText> texts;
    std::vector<Row> left, right;
    int dw = 0;
};

TEST_F(QuotePanelTest, SecuritiesStockShowsFiveLevelsAndItsFigures)
{
    StartQuiet();
    const StockId id = FirstOfClass(0, 1);
    RealQuoteRecord &q = Quote(id);
    q = RealQuoteRecord{};
    q.PrevClose = 1000, q.Open = 1010, q.High = 1100, q.Low = 950, q.Last = 1050;
    q.Volume = 50000, q.Amount = 5.2e6f, q.LastVolume = 300;
    for (int i = 0; i < 5; ++i) {
        q.Bid[i] = {uint32_t(1049 - i), float(100 * (i + 1))};
        q.Ask[i] = {uint32_t(1051 + i), 200};
    }
    q.Bid[3].Price = 0; // a level without a price still shows its volume
    Static(id).ScaleDivisor = 100, Static(id).VolumeUnit = 100, Static(id).Decimals = 2;
    TestChart *chart = AddChart(id);
    Render(chart);
    const COLORREF rise = KeyColor(21), flat = KeyColor(20), fall = KeyColor(19), volume = KeyColor(33);
    std::vector<std::string> labels;
    for (const Row &r : left)
        labels.push_back(r.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"卖五", "卖四", "卖三", "卖二", "卖一", "买一", "买二", "买三", "买四",
                                                 "买五", "最新", "涨跌", "幅度", "总手", "换手", "委比"}));
    auto all = Named();
    EXPECT_EQ(all["卖一"].value, "   10.51");
    EXPECT_EQ(all["卖一"].colour, rise);
    EXPECT_EQ(all["买四"].value, "  ---");
    EXPECT_EQ(all["最新"].value, "   10.50");
    EXPECT_EQ(all["幅度"].value, "    5.00");
    EXPECT_EQ(all["总手"].value, "     500");
    EXPECT_EQ(all["总手"].colour, volume);
    EXPECT_EQ(all["最低"].colour, fall);
    EXPECT_EQ(all["换手"].value, "  ---");
    EXPECT_EQ(all["换手"].colour, flat);
    EXPECT_EQ(all["市盈"].value, "  ---");
    // The right value column of the book: the volumes, the empty level's too.
    std::vector<std::string> volumes;
    for (const DrawnText &t : texts)
        if (t.x == 16 * dw + 6 && t.y < texts[0].y + 400 && volumes.size() < 10)
            volumes.push_back(t.text);
    EXPECT_EQ(volumes[8], "       4"); // 买四: 400 / 100
    EXPECT_GT(chart->PanelHeight, 0);
    if (const char *folder = std::getenv("LUMO_PICTURES")) {
        chart->MsgPage->Repaint();
        HDC panel = GetDC(chart->MsgPage->Handle);
        SaveDCToPng(panel, (std::string(folder) + "/chart-panel.png").c_str());
        ReleaseDC(chart->MsgPage->Handle, panel);
    }
}

TEST_F(QuotePanelTest, FuturesRelabelsAndZeroPreviousCloseShowsNoChangeInTheRiseColour)
{
    StartQuiet();
    const StockId id = FirstOfClass(1, 0);
    ASSERT_EQ(MarketTable.Markets[1]->Info.Type, 2);
    RealQuoteRecord &q = Quote(id);
    q.PrevClose = 0;
    q.Last = 35000;
    q.Open = 34900;
    TestChart *chart = AddChart(id);
    Render(chart);
    auto all = Named();
    for (const char *label : {"昨结", "持仓", "仓差", "卖出", "买入", "现手"})
        EXPECT_EQ(all.count(label), 1u) << label;
    for (const char *label : {"昨收", "金额", "量比", "卖五"})
        EXPECT_EQ(all.count(label), 0u) << label;
    EXPECT_EQ(all["幅度"].value, "  ---");
    EXPECT_EQ(all["最新"].colour, KeyColor(21));
    EXPECT_EQ(all["开盘"].colour, KeyColor(21));
}

TEST_F(QuotePanelTest, IndexShowsBreadthAndTheOtherIndexesWithoutBrokerGrid)
{
    StartQuiet();
    const StockId id = MakeStockId(0, 0, 0);
    ASSERT_TRUE(MarketTable.Markets[0]->Info.Classes[0].IsIndex);
    RealQuoteRecord &q = Quote(id);
    const uint16_t counts[4] = {900, 500, 300, 0};
    std::memcpy(&q.Bid[0], counts, sizeof counts);
    TestChart *chart = AddChart(id);
    chart->StringGrid1->Visible = true;
    Render(chart);
    std::map<std::string, Row> breadth;
    for (const Row &r : Rows(texts, 0, 8 * dw + 2))
        breadth[r.label] = r;
    EXPECT_EQ(breadth["上涨家数"].value, "500");
    EXPECT_EQ(breadth["上涨家数"].colour, KeyColor(21));
    EXPECT_EQ(breadth["平盘家数"].value, "100");
    EXPECT_EQ(breadth["下跌家数"].value, "300");
    EXPECT_EQ(Named().count("均价"), 0u);
    EXPECT_FALSE(chart->StringGrid1->Visible);
    // Below the panel: the market's other indexes, in the name colour.
    const StockStaticRecord &second = MarketTable.Markets[0]->Statics[1];
    bool listed = false;
    for (const DrawnText &t : texts)
        listed = listed || (t.y >= chart->PanelHeight - 3 && t.text == std::string(second.Name, strnlen(second.Name, 9)) &&
                            t.colour == KeyColor(24));
    EXPECT_TRUE(listed);
}

TEST_F(QuotePanelTest, ZeroScaleUnitAndHugeDecimalsFormatSafely)
{
    StartQuiet();
    const StockId id = FirstOfClass(0, 1);
    Static(id).ScaleDivisor = 0, Static(id).VolumeUnit = 0, Static(id).Decimals = 255;
    RealQuoteRecord &q = Quote(id);
    q.Last = 1234;
    q.Bid[0].Volume = std::numeric_limits<float>::quiet_NaN();
    q.Ask[0].Volume = 3e38f;
    TestChart *chart = AddChart(id);
    chart->BigOrderVolume = 1000;
    Render(chart);
    auto all = Named();
    EXPECT_EQ(all["最新"].value, "1234.000000");
    HDC dc = CreateRecordingDC(400, 900);
    TCanvas canvas(dc);
    chart->PaintTickList(&canvas, 900);
    DeleteDC(dc);
}

// ---- ticks ---------------------------------------------------------------------------------

class TickTest : public ChartTest {
protected:
    // The kept rows of the tick list: (time, price, volume) texts.
    std::vector<std::string> ListRows(TestChart *chart)
    {
        HDC dc = CreateRecordingDC(400, 2000);
        TCanvas canvas(dc);
        chart->PaintTickList(&canvas, 2000);
        std::vector<DrawnText> t = DrawnTexts(dc);
        DeleteDC(dc);
        std::vector<std::string> rows;
        for (const DrawnText &d : t)
            if (d.x == 0 && d.text.size() == 5 && d.text[2] == ':')
                rows.push_back(d.text);
        header = t;
        return rows;
    }
    // The first stock of class 1, of two decimals and a volume unit of 1, its
    // quote from a previous close of 1000 between 900 and 1100 to the given
    // last price, volume and amount.
    StockId QuotedStock(uint32_t last, float volume, float amount)
    {
        const StockId id = FirstOfClass(0, 1);
        RealQuoteRecord &q = Quote(id);
        q = RealQuoteRecord{};
        q.PrevClose = 1000, q.High = 1100, q.Low = 900, q.Last = last, q.Volume = volume, q.Amount = amount;
        Static(id).ScaleDivisor = 100, Static(id).VolumeUnit = 1, Static(id).Decimals = 2;
        return id;
    }
    std::vector<DrawnText> header;
};

TEST_F(TickTest, RepairsTheFileConvertsDealsAndKeepsTheTotals)
{
    StartQuiet();
    const StockId id = QuotedStock(1050, 1000, 1e6f);
    RealQuoteRecord &q = Quote(id);
    WriteTicks(id, {Tick(9, 30, 5000, 100, 1e5f, 0),    // above the high: the previous close
                    Tick(9, 31, 1020, 300, 3e5f, 1),    // a good deal
                    Tick(9, 32, 0, 250, 3.5e5f, 2),     // no price, falling volume
                    Tick(9, 33, 800, 500, 5e5f, 7),     // below the low; a side past 2 is neutral
                    Tick(31, 34, 1040, std::numeric_limits<float>::quiet_NaN(), 6e5f, 0)},
               7); // a partial record at the end
    TestChart *chart = AddChart(id);
    ASSERT_EQ(chart->TickCount, 6); // five read, the quote's deal appended
    const TickRecord *t = chart->TickBuf;
    EXPECT_EQ(t[0].Price, 1000u);
    EXPECT_EQ(t[2].Price, 1020u);
    EXPECT_EQ(t[3].Price, 1020u);
    EXPECT_EQ(t[5].Price, 1050u);
    // Per deal: 100, 200, 0 (the fall repaired), 200, 0 (NaN), 500.
    const float volumes[6] = {100, 200, 0, 200, 0, 500};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(t[i].Volume, volumes[i]) << i;
    // Outer 100 + neutral (0 + 200 + 500) / 2; inner 200 + the same half.
    EXPECT_FLOAT_EQ(chart->NeutralVolume, 700);
    EXPECT_FLOAT_EQ(chart->OuterVolume, 100 + 350);
    EXPECT_FLOAT_EQ(chart->InnerVolume, 200 + 350);
    std::vector<std::string> rows = ListRows(chart);
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows.front(), "09:30");

    // A neutral live deal adds half to each side.
    const float outer = chart->OuterVolume, inner = chart->InnerVolume;
    q.LastVolume = 40;
    q.Amount += 40000;
    chart->Notify(0, int32_t(id), 0, 0x100);
    EXPECT_FLOAT_EQ(chart->OuterVolume, outer + 20);
    EXPECT_FLOAT_EQ(chart->InnerVolume, inner + 20);
    EXPECT_EQ(chart->TickTop, 1);

    // The big-order threshold keeps the deals of at least 200.
    chart->BigOrderVolume = 200;
    EXPECT_EQ(ListRows(chart).size(), 3u);
    // No last price: the list is empty, the header stays.
    q.Last = 0;
    EXPECT_TRUE(ListRows(chart).empty());
    bool outerShown = false;
    for (const DrawnText &d : header)
        outerShown = outerShown || d.text == "外盘";
    EXPECT_TRUE(outerShown);
}

TEST_F(TickTest, The512thLiveDealMakesTheNextUpdateRereadTheFile)
{
    StartQuiet();
    const StockId id = FirstOfClass(0, 1);
    RealQuoteRecord &q = Quote(id);
    q.High = q.Low = 0;
    q.Volume = 10;
    q.Last = 1000;
    WriteTicks(id, {Tick(9, 30, 1000, 10, 1e4f, 0)});
    TestChart *chart = AddChart(id);
    ASSERT_EQ(chart->TickCount, 1);
    q.LastVolume = 1;
    for (int i = 0; i < TDrawView::MaxLiveTicks; ++i)
        chart->Notify(0, int32_t(id), 0, 0x100 | 0x200);
    EXPECT_EQ(chart->TickTop, 512);
    WriteTicks(id, {Tick(9, 30, 1000, 10, 1e4f, 0), Tick(9, 31, 1000, 10, 1e4f, 1)});
    chart->Notify(0, int32_t(id), 0, 0x100);
    EXPECT_EQ(chart->TickTop, 0);
    EXPECT_EQ(chart->TickCount, 2);
    // Another stock's update, or another code, changes nothing.
    chart->Notify(0, int32_t(MakeStockId(0, 1, StockIndex(id) + 1)), 0, 0x100);
    chart->Notify(8, int32_t(id), 0, 0x100);
    EXPECT_EQ(chart->TickTop, 0);
}

// 大单提取 asks for the threshold only while the panel is shown; OK takes the
// spin edit's number and repaints the panel, Cancel keeps the threshold.
TEST_F(TickTest, BigOrderItemSetsTheThresholdThroughItsDialog)
{
    StartQuiet();
    const StockId id = QuotedStock(1000, 700, 7e5f);
    WriteTicks(id, {Tick(9, 30, 1000, 100, 1e5f, 0), Tick(9, 31, 1000, 400, 4e5f, 1),
                    Tick(9, 32, 1000, 450, 4.5e5f, 0), Tick(9, 33, 1000, 700, 7e5f, 1)});
    TestChart *chart = AddChart(id);
    ASSERT_TRUE(chart->Panel1->Visible);
    ASSERT_EQ(ListRows(chart).size(), 4u);
    int panelPaints = 0;
    chart->MsgPage->OnPaint = [&](TObject *s) {
        ++panelPaints;
        chart->MsgPagePaint(s);
    };
    std::vector<std::string> captions;
    testsupport::ModalSteps<TBigAmount> dialog(
        chart, {[&](TBigAmount *d) {
                    captions.push_back(AnsiString(d->Caption).c_str());
                    d->CSpinEdit1->Value = 200;
                    d->Button1->Click();
                },
                [&](TBigAmount *d) {
                    d->CSpinEdit1->Value = 5;
                    d->ModalResult = mrCancel;
                }});
    chart->dadantiqu->Click();
    EXPECT_EQ(captions, std::vector<std::string>{"大单提取"});
    EXPECT_EQ(chart->BigOrderVolume, 200);
    EXPECT_GE(panelPaints, 1);
    // Per deal 100, 300, 50, 250: two reach 200.
    EXPECT_EQ(ListRows(chart).size(), 2u);
    chart->dadantiqu->Click();
    EXPECT_EQ(chart->BigOrderVolume, 200) << "cancelled";
    // A hidden panel asks nothing.
    chart->N5Click(chart->N5);
    ASSERT_FALSE(chart->Panel1->Visible);
    chart->dadantiqu->Click();
    EXPECT_EQ(dialog.Done(), 2u);
    EXPECT_EQ(dialog.extra, 0);
    EXPECT_EQ(chart->BigOrderVolume, 200);
}

// 变更商品 shows the chosen stock through the chart's own notification; Cancel
// changes nothing and no chooser is left behind.
TEST_F(ChartTest, ChangeStockItemNotifiesTheChosenStock)
{
    StartQuiet();
    const StockId id = FirstOfClass(0, 1), chosen = FirstOfClass(1, 0);
    ASSERT_NE(chosen, 0u);
    TestChart *chart = AddChart(id);
    testsupport::ModalSteps<TSelStockDlg> chooser(chart, {[&](TSelStockDlg *d) {
                                                              d->ChosenStock = chosen;
                                                              d->Button1->Click();
                                                          },
                                                          [](TSelStockDlg *d) { d->Button2->Click(); }});
    chart->N2->Click();
    chart->N2->Click();
    EXPECT_EQ(chooser.Done(), 2u);
    ASSERT_EQ(chart->notified.size(), 1u);
    EXPECT_EQ(chart->notified[0], (std::array<int, 3>{1, int32_t(chosen), 1}));
    EXPECT_EQ(SelStockDlg, nullptr);
}

// 联动 toggles the pane's link flag, shown as its check mark; switching it off
// also takes the check mark off the frame's 联动.
TEST_F(ChartTest, LinkItemTogglesThePaneAndUnchecksTheFramesItem)
{
    StartQuiet();
    TestChart *chart = AddChart(FirstOfClass(0, 1));
    frame->N11->Checked = true;
    chart->Link = 1;
    chart->PopupMenu1Popup(chart);
    EXPECT_TRUE(chart->NSync->Checked);
    chart->NSync->Click();
    EXPECT_EQ(chart->Link, 0);
    EXPECT_FALSE(frame->N11->Checked);
    chart->NSync->Click();
    EXPECT_EQ(chart->Link, 1);
    EXPECT_FALSE(frame->N11->Checked) << "switching on leaves the frame's item alone";
    chart->PopupMenu1Popup(chart);
    EXPECT_TRUE(chart->NSync->Checked);
    EXPECT_EQ(chart->State->Link, 1) << "the pane's state keeps the flag";
}

// ---- the frame's rows --------------------------------------------------------------------------

TEST_F(ChartTest, FrameRepaintsPanelsAndGridsAndReloadsTheActiveChart)
{
    StartQuiet();
    const StockId id = FirstOfClass(0, 1), other = MakeStockId(0, 1, StockIndex(id) + 1);
    TestChart *a = AddChart(id), *b = AddChart(other);
    int panelPaints = 0;
    a->MsgPage->OnPaint = [&](TObject *s) {
        ++panelPaints;
        a->MsgPagePaint(s);
    };
    framefixture::App().ProcessMessages();
    panelPaints = 0;
    SendMessageA(frame->Handle, WM_SERVER_DATA, WPARAM(9 << 16), 0);
    EXPECT_EQ(panelPaints, 1);
    a->N5Click(a->N5); // panel hidden: not repainted
    framefixture::App().ProcessMessages();
    panelPaints = 0;
    SendMessageA(frame->Handle, WM_SERVER_DATA, WPARAM(9 << 16), 0);
    EXPECT_EQ(panelPaints, 0);

    page->SetActivePane(b);
    frame->N22->Click();
    EXPECT_EQ(b->reloads, 1);
    EXPECT_EQ(a->reloads, 0);
}

} // namespace
