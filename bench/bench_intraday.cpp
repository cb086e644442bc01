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
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTicks = 30000;

// A market of one stock whose day holds 30,000 ticks, a frame and a page with
// the stock's tick chart of three panes.
struct Session {
    Session()
    {
        root = fs::temp_directory_path() / "bench_intraday";
        fs::remove_all(root);
        fs::create_directories(root / "data" / "benchi" / "tick");
        std::snprintf(DataRoot, sizeof DataRoot, "%s/", root.c_str());
        MarketInfoRecord info{};
        info.Type = 3; // a market whose chart holds 30,000 points
        std::strcpy(info.Dir, "benchi");
        std::strcpy(info.Ext, "bi");
        info.Capacity = 4;
        info.ClassCount = 1;
        info.Classes[0].SessionCount = 2;
        info.Classes[0].SessionStart[0] = 540, info.Classes[0].SessionEnd[0] = 690;
        info.Classes[0].SessionStart[1] = 810, info.Classes[0].SessionEnd[1] = 900;
        market = new TMarketData(0, info);
        market->StockCount = 1;
        StockStaticRecord &s = market->Statics[0];
        std::strcpy(s.Code, "hsi0612");
        std::strcpy(s.Name, "恒指");
        s.ScaleDivisor = 1, s.VolumeUnit = 1, s.Decimals = 0;
        market->RebuildCodeIndex();
        std::mt19937 random(7);
        std::vector<TickRecord> ticks(kTicks);
        float volume = 0, interest = 100000;
        price = 18000;
        for (int i = 0; i < kTicks; ++i) {
            int minute = 540 + i * 240 / kTicks;
            if (minute >= 690)
                minute += 120;
            ticks[i].Time = PackedDateTime((minute / 60) << 6 | minute % 60);
            price += random() % 21 - 10;
            volume += float(random() % 50 + 1);
            interest += float(int(random() % 41) - 20);
            ticks[i].Price = price;
            ticks[i].Volume = volume;
            ticks[i].Amount = interest;
            ticks[i].Side = uint8_t(random() % 3);
        }
        std::ofstream(root / "data" / "benchi" / "tick" / "hsi0612.tik", std::ios::binary)
            .write(reinterpret_cast<const char *>(ticks.data()), std::streamsize(ticks.size() * sizeof(TickRecord)));
        RealQuoteRecord &q = market->Quotes[0];
        q.PrevClose = 18000, q.Open = 18010, q.High = 30000, q.Low = 10000, q.Last = price;
        q.Volume = volume, q.Amount = interest, q.LastVolume = 3;
        MarketTable.Markets[0] = market;
        MarketTable.Count = 1;

        static int argc = 1;
        static char name[] = "bench_intraday";
        static char *argv[] = {name, nullptr};
        app = new win::TApplication(argc, argv);
        frame = new TMFrame(app);
        frame->Timer2->Enabled = false;
        frame->SetBounds(0, 0, 1920, 1080);
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
    ~Session()
    {
        delete frame;
        market->StockCount = 0;
        MarketTable.Markets[0] = nullptr;
        delete market;
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

    fs::path root;
    TMarketData *market = nullptr;
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
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
