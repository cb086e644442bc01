// The K-line chart on a page of the frame at 1920 x 1080: 15,000 day bars of a
// maker stock, six panes (candles with averages, volume, MACD, KDJ, RSI and the
// maker's formula indicator written with CLOSE), 3,800 bars in view and 128
// drawn lines. BM_RepaintChart: one whole repaint (target under 16 ms); the
// counter "ratio" of BM_RepaintVsQPainter is the repaint's time over the time
// of the same rectangles, lines and polylines drawn with raw QPainter in the
// same run (target at most 3); BM_MouseMove: one pointer move with cross-hair,
// tags, cursor titles, quote block and cycle-date box (target under 2 ms);
// BM_QuoteWithLastBarInView: one live quote, six recomputes and the repaint
// (target under 20 ms).
// bench-deps: lumon_views Qt6::Widgets
#define LUMO_REPO_SOURCE_DIR LUMO_SOURCE_DIR

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFixtures.h"
#include "bench/MakerInstallation.h"
#include "lumon/core/MarketData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/views/DrawnLines.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBars = 15000;
constexpr int kInView = 3800;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Session {
    Session()
    {
        root = MakerInstallation("bench_kline");
        std::vector<KLineRecord> days = benchfix::RandomWalkDays(kBars, 7);
        benchfix::WriteFile(fs::path(root) / "data" / "sh" / "day" / "600000.day", days);
        // 128 lines of the price pane over the bars in view.
        std::string file = "PSL1";
        const int32_t count = MaxDrawnLines;
        file.append(reinterpret_cast<const char *>(&count), 4);
        for (int i = 0; i < count; ++i) {
            LineFileRecord r{};
            r.IndexId = 3;
            r.Period = 8;
            std::strcpy(r.Code, "600000");
            r.Kind = uint16_t(1 + i % 12);
            const int a = kBars - kInView + (i * 29) % (kInView - 100);
            r.Time[0] = days[size_t(a)].Time;
            r.Time[1] = days[size_t(a + 60)].Time;
            r.Value[0] = float(days[size_t(a)].Close) / 100;
            r.Value[1] = float(days[size_t(a + 60)].High) / 100;
            file.append(reinterpret_cast<const char *>(&r), sizeof r);
        }
        benchfix::WriteText(fs::path(root) / "CFG" / "linerec.dat", file);
        benchfix::OpenInstallation(root);
        // Room for today's bar after the 15,000 of the file.
        MaxDataRecords = kBars + 100;
        LoadIndexDefinitions("Guest");

        static int argc = 1;
        static char name[] = "bench_kline";
        static char *argv[] = {name, nullptr};
        app = new win::TApplication(argc, argv);
        frame = new TMFrame(app);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        frame->SetBounds(0, 0, kWidth + 100, kHeight + 200);
        RegisterKLineChart();
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        TMarketData *md = MarketTable.Markets[0];
        const int s = md->FindStockByCode("600000");
        stock = MakeStockId(0, md->Statics[s].Class, s);
        chart = dynamic_cast<TTechForm *>(framefixture::AddView(page, VIEW_KLINE, stock));
        chart->Drawn = 1;
        // The quote panel off: the panes have the width.
        chart->N5->Checked = false;
        chart->Panel1->Visible = false;
        chart->SetBounds(0, 0, kWidth, kHeight);
        chart->ReloadView();
        const int ids[6] = {3, 322, 45, 84, 87, 402};
        for (int i = 0; i < 6; ++i)
            chart->Attr.Items[i] = ids[i];
        chart->SetPaneCount(6);
        ShowBars();
        app->ProcessMessages();
    }
    void ShowBars()
    {
        for (int i = 0; i < chart->Attr.ItemCount; ++i) {
            TIndex *p = chart->Panes[i];
            if (!p)
                continue;
            p->BarWidth = 0.48f;
            p->BarGap = 0;
            p->ScrollToEnd = 0;
            p->FirstVisible = p->RecordCount - kInView;
        }
        chart->RepaintChart(chart, false);
    }
    ~Session()
    {
        delete frame;
    }

    std::string root;
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
    TTechForm *chart = nullptr;
    StockId stock = 0;
};

Session &TheSession()
{
    static Session session;
    return session;
}

void Counters(benchmark::State &state, Session &s)
{
    int objects = 0;
    for (int i = 0; i < s.chart->Attr.ItemCount; ++i)
        objects += s.chart->Panes[i] != nullptr;
    state.counters["panes"] = objects;
    state.counters["bars"] = s.chart->Panes[0] ? s.chart->Panes[0]->RecordCount : 0;
    state.counters["shown"] = s.chart->Panes[0] ? s.chart->Panes[0]->VisibleCount : 0;
    state.counters["lines"] = s.chart->LineStore.LineCount;
}

void BM_RepaintChart(benchmark::State &state)
{
    Session &s = TheSession();
    s.ShowBars();
    for (auto _ : state)
        s.chart->RepaintChart(s.chart, false);
    Counters(state, s);
}
BENCHMARK(BM_RepaintChart)->Unit(benchmark::kMillisecond);

// The rectangles, lines and polylines of one repaint, drawn with QPainter.
struct Shapes {
    std::vector<QRect> rects;
    std::vector<QLine> lines;
    std::vector<std::vector<QPoint>> polylines;
};

Shapes RecordedShapes(TTechForm *chart)
{
    Shapes out;
    win::HDC dc = win::CreateRecordingDC(kWidth, kHeight);
    chart->RepaintChart(chart, false, dc);
    QPoint at;
    for (const std::string &call : win::RecordedCalls(dc)) {
        int a, b, c, d;
        if (std::sscanf(call.c_str(), "Rectangle(%d,%d,%d,%d)", &a, &b, &c, &d) == 4) {
            out.rects.emplace_back(QPoint(a, b), QPoint(c - 1, d - 1));
        } else if (std::sscanf(call.c_str(), "MoveToEx(%d,%d)", &a, &b) == 2) {
            at = QPoint(a, b);
        } else if (std::sscanf(call.c_str(), "LineTo(%d,%d)", &a, &b) == 2) {
            out.lines.emplace_back(at, QPoint(a, b));
            at = QPoint(a, b);
        } else if (call.rfind("Polyline(", 0) == 0) {
            std::vector<QPoint> points;
            const char *p = call.c_str() + 9;
            int x, y, n;
            while (std::sscanf(p, "%d,%d%n", &x, &y, &n) == 2) {
                points.emplace_back(x, y);
                p += n;
                if (*p == ',')
                    ++p;
            }
            out.polylines.push_back(std::move(points));
        }
    }
    win::DeleteDC(dc);
    return out;
}

void BM_RepaintVsQPainter(benchmark::State &state)
{
    Session &s = TheSession();
    s.ShowBars();
    const Shapes shapes = RecordedShapes(s.chart);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    double chartSeconds = 0, rawSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        s.chart->RepaintChart(s.chart, false);
        const auto t1 = Clock::now();
        {
            QPainter p(&image);
            p.setPen(QPen(QColor(255, 0, 0), 0));
            p.setBrush(QColor(0, 255, 255));
            p.drawRects(shapes.rects.data(), int(shapes.rects.size()));
            p.drawLines(shapes.lines.data(), int(shapes.lines.size()));
            for (const auto &line : shapes.polylines)
                p.drawPolyline(line.data(), int(line.size()));
        }
        const auto t2 = Clock::now();
        const double chartTime = std::chrono::duration<double>(t1 - t0).count();
        chartSeconds += chartTime;
        rawSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(chartTime);
    }
    state.counters["ratio"] = rawSeconds > 0 ? chartSeconds / rawSeconds : 0;
    state.counters["rects"] = double(shapes.rects.size());
    state.counters["segments"] = double(shapes.lines.size());
    state.counters["polylines"] = double(shapes.polylines.size());
}
BENCHMARK(BM_RepaintVsQPainter)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MouseMove(benchmark::State &state)
{
    Session &s = TheSession();
    s.ShowBars();
    s.chart->Panel2->Visible = true;
    s.chart->CrossMode = 1;
    s.chart->ShowCursorDate = 1;
    const int y = (s.chart->PaneRects[0].top + s.chart->PaneRects[0].bottom) / 2;
    int x = 200;
    for (auto _ : state) {
        x = x >= 1700 ? 200 : x + 7;
        s.chart->FormMouseMove(s.chart, win::TShiftState(), x, y);
    }
    s.chart->Panel2->Visible = false;
    s.chart->CrossMode = 0;
    s.chart->ShowCursorDate = 0;
    s.chart->EraseCrossHair(0);
    Counters(state, s);
}
BENCHMARK(BM_MouseMove)->Unit(benchmark::kMicrosecond);

void BM_QuoteWithLastBarInView(benchmark::State &state)
{
    Session &s = TheSession();
    for (int i = 0; i < s.chart->Attr.ItemCount; ++i)
        if (s.chart->Panes[i])
            s.chart->Panes[i]->ScrollToEnd = 1;
    s.chart->RepaintChart(s.chart, false);
    TMarketData *md = MarketTable.Markets[0];
    RealQuoteRecord &q = md->Quotes[StockIndex(s.stock)];
    q.Volume = 1e12f;
    q.LastVolume = 1;
    q.Open = q.Open ? q.Open : 1000;
    uint32_t last = 1000;
    for (auto _ : state) {
        last = last >= 1200 ? 1000 : last + 1;
        q.Last = last;
        q.High = 1200;
        q.Low = 1000;
        s.chart->Notify(0, int32_t(s.stock), 0, 0x81);
    }
    Counters(state, s);
}
BENCHMARK(BM_QuoteWithLastBarInView)->Unit(benchmark::kMillisecond);

} // namespace
