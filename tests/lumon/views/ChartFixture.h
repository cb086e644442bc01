// The chart base view's test fixture: the main frame on a maker installation,
// a page of it, and a minimal chart derived from TDrawView (the cross-hair
// follows the mouse once the chart has painted its background) standing for
// both chart types.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/DbfTable.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/Dview.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/gdi/TCanvas.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"

namespace chartfixture {

using namespace win;

class TestChart : public TDrawView {
public:
    TestChart(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TDrawView(page, node, attr) {}
    void ReloadView() override
    {
        TDrawView::ReloadView();
        CrossMode = 1;
        OnPaint = [this](TObject *s) {
            TRect all(0, 0, ClientWidth, ClientHeight);
            Canvas->Brush->Color = Color;
            Canvas->FillRect(all);
            Painted = 1;
            FormPaint(s);
        };
        OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
        LoadTicks();
    }
    void ReloadData() override { ++reloads; }
    // The notifications other than the real-time updates (code 0): code, a, b.
    int Notify(int code, int a, int b, intptr_t c) override
    {
        if (code != 0)
            notified.push_back({code, a, b});
        return TDrawView::Notify(code, a, b, c);
    }
    int reloads = 0;
    std::vector<std::array<int, 3>> notified;
};

inline TMultiViewChild *MakeTestChart(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TestChart(page, node, attr);
}

// A text the panel drew: where, what (GBK) and in which colour.
struct DrawnText {
    int x, y;
    std::string text;
    COLORREF colour;
};

// The texts of a recording context's calls, each with the text colour then set.
inline std::vector<DrawnText> DrawnTexts(HDC dc)
{
    std::vector<DrawnText> out;
    COLORREF colour = 0;
    for (const std::string &call : RecordedCalls(dc)) {
        unsigned c;
        int x, y;
        if (std::sscanf(call.c_str(), "SetTextColor(0x%X)", &c) == 1)
            colour = c;
        else if (std::sscanf(call.c_str(), "TextOutA(%d,%d,", &x, &y) == 2) {
            size_t open = call.find('"'), close = call.rfind('"');
            out.push_back({x, y, call.substr(open + 1, close - open - 1), colour});
        }
    }
    return out;
}

// The (label, text, colour) rows of texts: a text at x0 starts a row of texts
// that share its y; the row's value texts are the texts at x1.
struct Row {
    std::string label;
    std::string value;
    COLORREF colour;
};
inline std::vector<Row> Rows(const std::vector<DrawnText> &texts, int labelX, int valueX)
{
    std::vector<Row> rows;
    for (const DrawnText &l : texts) {
        if (l.x != labelX)
            continue;
        for (const DrawnText &v : texts)
            if (v.y == l.y && v.x == valueX)
                rows.push_back({l.text, v.text, v.colour});
    }
    return rows;
}

class ChartTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        RegisterViewMaker(VIEW_KLINE, MakeTestChart);
        RegisterViewMaker(VIEW_TREND, MakeTestChart);
        RegisterViewMaker(VIEW_REPORT, framefixture::MakeFrameTestView);
        InstallDrawViewHooks();
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        ClearViewMakers();
        ViewHooks = TViewHooks{};
        delete BrokerTable;
        BrokerTable = nullptr;
        BrokerMode = 0;
    }
    void StartQuiet()
    {
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        page = framefixture::NewTestPage(frame);
        frame->SetBounds(0, 0, 2000, 900);
    }
    // A chart of the stock beside the page's first pane, shown once.
    TestChart *AddChart(StockId stock, uint16_t type = VIEW_KLINE)
    {
        auto *chart = dynamic_cast<TestChart *>(framefixture::AddView(page, type, stock));
        EXPECT_NE(chart, nullptr);
        chart->Drawn = 1;
        chart->ReloadView();
        framefixture::App().ProcessMessages();
        return chart;
    }
    // The first stock of the market's class.
    StockId FirstOfClass(int market, int cls)
    {
        TMarketData *md = MarketTable.Markets[market];
        for (int s = 0; s < md->StockCount; ++s)
            if (md->Statics[s].Class == cls)
                return MakeStockId(market, cls, s);
        return 0;
    }
    // Writes the stock's tick file, with extra bytes of a partial record.
    void WriteTicks(StockId id, const std::vector<TickRecord> &ticks, size_t extraBytes = 0)
    {
        TMarketData *md = MarketTable.Markets[StockMarket(id)];
        std::filesystem::path dir = root / "data" / md->Info.Dir / "tick";
        std::filesystem::create_directories(dir);
        std::ofstream out(dir / (std::string(Static(id).Code, strnlen(Static(id).Code, 7)) + ".tik"),
                          std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(ticks.data()), std::streamsize(ticks.size() * sizeof(TickRecord)));
        std::string tail(extraBytes, '\x7F');
        out.write(tail.data(), std::streamsize(tail.size()));
    }
    static TickRecord Tick(int hour, int minute, uint32_t price, float volume, float amount, uint8_t side)
    {
        TickRecord t{};
        t.Time = PackedDateTime(hour << 6 | minute);
        t.Price = price;
        t.Volume = volume;
        t.Amount = amount;
        t.Side = side;
        return t;
    }
    RealQuoteRecord &Quote(StockId id) { return MarketTable.Markets[StockMarket(id)]->Quotes[StockIndex(id)]; }
    StockStaticRecord &Static(StockId id) { return MarketTable.Markets[StockMarket(id)]->Statics[StockIndex(id)]; }

    TMultiViewMain *page = nullptr;
};

} // namespace chartfixture
