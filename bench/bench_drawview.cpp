// The chart base view's per-update work on a page of the frame: loading 20,000
// ticks (read, repair, per-deal conversion, totals and the minute line of a
// futures market), one live deal appended with the quote panel and tick list
// repainted beside the same panel texts drawn with raw QPainter, and one
// cross-hair move.
// bench-deps: lumon_views Qt6::Widgets
#define LUMO_REPO_SOURCE_DIR LUMO_SOURCE_DIR

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/views/Dview.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TPaintBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/gdi/TCanvas.h"
#include "bench/ViewBench.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTicks = 20000;

class BenchChart : public TDrawView {
public:
    BenchChart(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TDrawView(page, node, attr) {}
};

TMultiViewChild *MakeBenchChart(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new BenchChart(page, node, attr);
}

// A futures market of one stock with a day of 20,000 ticks, a frame and a page
// holding one chart of the stock with its panel shown.
struct Session : benchfix::ViewSession {
    Session()
    {
        root = fs::temp_directory_path() / "bench_drawview";
        fs::remove_all(root);
        std::snprintf(DataRoot, sizeof DataRoot, "%s/", root.c_str());
        market = benchfix::OneStockMarket(2, "benchd", "bd", "cu0612", "沪铜");
        const benchfix::TickDayEnd end =
            benchfix::WriteTickDay(root / "data" / "benchd" / "tick" / "cu0612.tik", kTicks, 5, 35000);
        const uint32_t price = end.price;
        RealQuoteRecord &q = market->Quotes[0];
        q.PrevClose = 35000, q.Open = 35010, q.High = 36000, q.Low = 34000, q.Last = price;
        q.Volume = end.volume + 10, q.Amount = end.interest, q.LastVolume = 3;
        for (int k = 0; k < 5; ++k) {
            q.Bid[k] = {price - uint32_t(k + 1), float(10 + k)};
            q.Ask[k] = {price + uint32_t(k + 1), float(20 + k)};
        }
        MarketTable.Markets[0] = market;
        MarketTable.Count = 1;

        const benchfix::BenchFrame f = benchfix::NewBenchFrame("bench_drawview", 1000, 700);
        app = f.app;
        frame = f.frame;
        RegisterViewMaker(VIEW_KLINE, MakeBenchChart);
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        chart = dynamic_cast<BenchChart *>(framefixture::AddView(page, VIEW_KLINE, MakeStockId(0, 0, 0)));
        chart->ReloadView();
        app->ProcessMessages();
        chart->LoadTicks();
    }
    BenchChart *chart = nullptr;
};

Session &TheSession()
{
    static Session session;
    return session;
}

void BM_LoadTicks20000(benchmark::State &state)
{
    Session &s = TheSession();
    for (auto _ : state)
        s.chart->LoadTicks();
    state.counters["ticks"] = s.chart->TickCount;
}
BENCHMARK(BM_LoadTicks20000)->Unit(benchmark::kMillisecond);

void BM_LiveDealAndPanelRepaint(benchmark::State &state)
{
    Session &s = TheSession();
    s.chart->LoadTicks();
    for (auto _ : state) {
        if (s.chart->TickTop >= TDrawView::MaxLiveTicks - 1)
            s.chart->TickTop = 0;
        s.chart->Notify(0, int32_t(MakeStockId(0, 0, 0)), 0, 0x100 | 0x200);
        s.chart->MsgPagePaint(s.chart->MsgPage);
    }
}
BENCHMARK(BM_LiveDealAndPanelRepaint)->Unit(benchmark::kMicrosecond);

// The same texts, fonts' faces and colours the panel draws, straight through
// QPainter onto an image of the paint box's size.
void BM_PanelTextsRawQPainter(benchmark::State &state)
{
    Session &s = TheSession();
    win::HDC dc = win::CreateRecordingDC(s.chart->MsgPage->Width, s.chart->MsgPage->Height);
    {
        win::TCanvas canvas(dc);
        s.chart->PaintQuotePanel(&canvas);
        s.chart->PaintTickList(&canvas, s.chart->MsgPage->Height);
    }
    const benchfix::RawDrawing drawn = benchfix::RecordedDrawing(dc);
    win::DeleteDC(dc);
    QImage image(s.chart->MsgPage->Width, s.chart->MsgPage->Height, QImage::Format_RGB32);
    QFont font("Tahoma");
    font.setPixelSize(12);
    for (auto _ : state)
        benchfix::DrawRaw(image, drawn, font, 12);
    state.counters["texts"] = double(drawn.texts.size());
    state.counters["fills"] = double(drawn.fills.size());
}
BENCHMARK(BM_PanelTextsRawQPainter)->Unit(benchmark::kMicrosecond);

void BM_CrossHairMove(benchmark::State &state)
{
    Session &s = TheSession();
    s.chart->CrossMode = 1;
    s.chart->Painted = 1;
    int i = 0;
    for (auto _ : state) {
        ++i;
        s.chart->FormMouseMove(s.chart, win::TShiftState(), 50 + (i & 63), 40 + (i & 31));
    }
}
BENCHMARK(BM_CrossHairMove)->Unit(benchmark::kMicrosecond);

} // namespace
