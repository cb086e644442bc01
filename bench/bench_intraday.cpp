// The intraday chart on a 1920x1080 frame: one quote for the shown stock of a
// tick chart of 30,000 ticks over three panes (the deal appended, every pane
// recomputed and the whole chart repainted) beside the same lines drawn with
// raw QPainter onto an image of the chart's size; and the volume-at-price bars
// of 12,800 ticks at distinct prices.
// bench-deps: lumon_views Qt6::Widgets
#define LUMO_REPO_SOURCE_DIR LUMO_SOURCE_DIR

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <benchmark/benchmark.h>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/DynIndex.h"
#include "lumon/formula/TBarChart.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/views/Rendform.h"
#include "platform/forms/TApplication.h"
#include "bench/ViewBench.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTicks = 30000;

// A market of one stock whose day holds 30,000 ticks, a frame and a page with
// the stock's tick chart of three panes.
struct Session : benchfix::ViewSession {
    Session()
    {
        root = fs::temp_directory_path() / "bench_intraday";
        fs::remove_all(root);
        std::snprintf(DataRoot, sizeof DataRoot, "%s/", root.c_str());
        // Type 3: a market whose chart holds 30,000 points.
        market = benchfix::OneStockMarket(3, "benchi", "bi", "hsi0612", "恒指");
        const benchfix::TickDayEnd end =
            benchfix::WriteTickDay(root / "data" / "benchi" / "tick" / "hsi0612.tik", kTicks, 7, 18000);
        price = end.price;
        RealQuoteRecord &q = market->Quotes[0];
        q.PrevClose = 18000, q.Open = 18010, q.High = 30000, q.Low = 10000, q.Last = price;
        q.Volume = end.volume, q.Amount = end.interest, q.LastVolume = 3;
        MarketTable.Markets[0] = market;
        MarketTable.Count = 1;

        const benchfix::BenchFrame f = benchfix::NewBenchFrame("bench_intraday", 1920, 1080);
        app = f.app;
        frame = f.frame;
        RegisterIntradayChart();
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        VIEW_ATTR attr;
        InitViewAttr(VIEW_TREND, &attr);
        attr.Stock = MakeStockId(0, 0, 0);
        attr.ItemCount = 3;
        chart = dynamic_cast<TRendForm *>(page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 1));
        chart->Drawn = 1;
        chart->ReloadView();
        app->ProcessMessages();
    }
    // The next deal of the quote.
    void Deal()
    {
        RealQuoteRecord &q = market->Quotes[0];
        q.Last = price + uint32_t(q.Volume) % 7;
        q.Volume += 3;
        q.LastVolume = 3;
        if (chart->TickTop >= TDrawView::MaxLiveTicks - 1)
            chart->TickTop = 0;
    }

    TRendForm *chart = nullptr;
    uint32_t price = 0;
};

Session &TheSession()
{
    static Session session;
    return session;
}

void BM_QuoteUpdateAndRepaint30000Ticks(benchmark::State &state)
{
    Session &s = TheSession();
    for (auto _ : state) {
        s.Deal();
        s.chart->Notify(0, int32_t(MakeStockId(0, 0, 0)), 0, 0x100 | 0x200);
    }
    state.counters["points"] = s.chart->Panes[0]->PointTotal();
    state.counters["shown"] = s.chart->Panes[0]->VisibleCount;
    state.counters["width"] = int(s.chart->ClientWidth);
    state.counters["height"] = int(s.chart->ClientHeight);
}
BENCHMARK(BM_QuoteUpdateAndRepaint30000Ticks)->Unit(benchmark::kMillisecond);

void BM_RepaintOnly(benchmark::State &state)
{
    Session &s = TheSession();
    for (auto _ : state)
        s.chart->RepaintChart(nullptr, true);
}
BENCHMARK(BM_RepaintOnly)->Unit(benchmark::kMillisecond);

void BM_PaneDrawOnly(benchmark::State &state)
{
    Session &s = TheSession();
    for (auto _ : state)
        for (int i = 0; i < 3; ++i)
            s.chart->Panes[i]->Draw(s.chart->BackDC, &s.chart->PaneRect[i]);
}
BENCHMARK(BM_PaneDrawOnly)->Unit(benchmark::kMillisecond);

void BM_PaneUpdateLastBar(benchmark::State &state)
{
    Session &s = TheSession();
    for (auto _ : state) {
        s.Deal();
        s.chart->Panes[0]->UpdateLastBar();
    }
}
BENCHMARK(BM_PaneUpdateLastBar)->Unit(benchmark::kMicrosecond);

// The panes' shown lines (price line, volume sticks, open-interest line) and
// their frames, straight through QPainter onto a back image of the chart's size
// that is then copied to the window's image, as the chart's paint goes through
// its back buffer.
void BM_SameLinesRawQPainter(benchmark::State &state)
{
    Session &s = TheSession();
    TRendForm *chart = s.chart;
    struct Shape {
        QPolygonF points;
        bool sticks;
        int bottom;
    };
    std::vector<Shape> shapes;
    std::vector<QRect> frames;
    for (int p = 0; p < 3; ++p) {
        TDynIndex *pane = chart->Panes[p];
        const win::RECT r = pane->PlotRect;
        frames.push_back(QRect(chart->PaneRect[p].left, chart->PaneRect[p].top,
                               chart->PaneRect[p].right - chart->PaneRect[p].left,
                               chart->PaneRect[p].bottom - chart->PaneRect[p].top));
        for (int line = 0; line < pane->LineCount; ++line) {
            if (!pane->Lines[line])
                continue;
            Shape shape{{}, p == 1, int(r.bottom)};
            const double range = pane->ValueMax - pane->ValueMin;
            for (int i = pane->FirstVisible; i < pane->FirstVisible + pane->VisibleCount; ++i) {
                const float v = pane->Lines[line][i];
                if (IsOutOfRangeValue(v))
                    continue;
                const double x = r.left + (i - pane->FirstVisible + 1) * pane->BarPitch;
                const double y = range > 0 ? r.bottom - (v - pane->ValueMin) / range * (r.bottom - r.top) : r.bottom;
                shape.points << QPointF(x, y);
            }
            shapes.push_back(shape);
        }
    }
    QImage image(chart->ClientWidth, chart->ClientHeight, QImage::Format_RGB32);
    QImage window(chart->ClientWidth, chart->ClientHeight, QImage::Format_RGB32);
    auto draw = [&] {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::black);
        painter.setPen(QColor(128, 0, 0));
        for (const QRect &f : frames)
            painter.drawRect(f);
        painter.setPen(Qt::white);
        for (const Shape &shape : shapes) {
            if (shape.sticks) {
                for (const QPointF &pt : shape.points)
                    painter.drawLine(QPointF(pt.x(), shape.bottom), pt);
            } else {
                painter.drawPolyline(shape.points);
            }
        }
    };
    for (auto _ : state) {
        draw();
        QPainter screen(&window);
        screen.drawImage(0, 0, image);
    }
    size_t n = 0;
    for (const Shape &shape : shapes)
        n += size_t(shape.points.size());
    state.counters["points"] = double(n);
}
BENCHMARK(BM_SameLinesRawQPainter)->Unit(benchmark::kMillisecond);

void BM_VolumeAtPrice12800DistinctPrices(benchmark::State &state)
{
    Session &s = TheSession();
    TRendForm *chart = s.chart;
    const int n = TDrawView::TickBufferRecords;
    std::mt19937 random(3);
    std::vector<uint32_t> prices(static_cast<size_t>(n), 0u);
    for (int i = 0; i < n; ++i)
        prices[size_t(i)] = uint32_t(10000 + i);
    std::shuffle(prices.begin(), prices.end(), random);
    for (int i = 0; i < n; ++i) {
        chart->TickBuf[i].Price = prices[size_t(i)];
        chart->TickBuf[i].Volume = float(i % 97 + 1);
    }
    const int count = chart->TickCount, top = chart->TickTop;
    chart->TickCount = n;
    chart->TickTop = 0;
    for (auto _ : state)
        chart->BuildPriceVolume();
    state.counters["bars"] = chart->Bars->PointCount;
    chart->TickCount = count;
    chart->TickTop = top;
    chart->LoadTicks();
}
BENCHMARK(BM_VolumeAtPrice12800DistinctPrices)->Unit(benchmark::kMillisecond);

} // namespace
