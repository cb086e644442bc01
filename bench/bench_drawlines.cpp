// Drawn lines: one chart's load and save of a linerec.dat of 10,000 records over
// 500 stocks (target: under 20 ms together), and the repaint of 128 complete
// lines on a 1920 x 1080 pane against the same segments drawn with raw QPainter
// calls in XOR; the counter "ratio" of BM_RedrawVsQPainter is the lines' time /
// QPainter's time in one run (target: at most 3).
// bench-deps: lumon_views Qt6::Gui
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/DrawnLines.h"
#include "lumon/views/TLine.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"
#include "tests/fuzz/FuzzFiles.h"

using namespace win;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kStocks = 500;
constexpr int kRecords = 10000;

void EnsureApplication()
{
    if (!QCoreApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench_drawlines";
        static char *argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
}

const uint16_t kIds[3] = {3, 322, 321};

// An installation of one market of 500 stocks and a linerec.dat of 20 lines per
// stock on three indicators, one in ten a text line.
void MakeInstallation()
{
    if (!fuzzfiles::EnterScratchTree("drawlines-bench", {"CFG", "data/m"}))
        return;
    static TUtilData util(1);
    fuzzfiles::WriteOneMarket(kStocks);
    fuzzfiles::WriteNameTable({}, kStocks);
    static TDataIO io(0);
    std::string bytes = "PSL1";
    int32_t count = kRecords;
    bytes.append(reinterpret_cast<const char *>(&count), 4);
    for (int i = 0; i < kRecords; ++i) {
        LineFileRecord r{};
        r.IndexId = kIds[i % 3];
        r.Period = 8;
        std::snprintf(r.Code, sizeof r.Code, "9%05d", (i / 20) % kStocks);
        r.Kind = uint16_t(i % 10 == 9 ? LK_TEXT : 1 + i % 14);
        r.Time[0] = 1000 + uint32_t(i);
        r.Time[1] = 2000 + uint32_t(i);
        r.Value[0] = 10.5f;
        r.Value[1] = 11.5f;
        bytes.append(reinterpret_cast<const char *>(&r), sizeof r);
        if (r.Kind == LK_TEXT) {
            const char text[] = "突破颈线";
            int32_t n = int32_t(std::strlen(text));
            bytes.append(reinterpret_cast<const char *>(&n), 4);
            bytes.append(text, size_t(n));
        }
    }
    fuzzfiles::WriteFile("../CFG/linerec.dat", bytes.data(), bytes.size());
}

void BM_LoadAndSaveOneChart(benchmark::State &state)
{
    EnsureApplication();
    MakeInstallation();
    StockId stock = MakeStockId(0, 0, 250);
    TIndex a(stock), b(stock), c(stock);
    TIndex *objects[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k)
        objects[k]->Id = kIds[k];
    TDrawnLines lines;
    for (auto _ : state) {
        lines.FreeDrawnLines();
        lines.LoadDrawnLines(objects, 3);
        lines.SaveDrawnLines(objects, 3);
    }
    state.counters["lines"] = lines.LineCount;
}
BENCHMARK(BM_LoadAndSaveOneChart)->Unit(benchmark::kMillisecond);

// A pane of 300 bars laid out on a 1920 x 1080 image.
struct Pane {
    Pane() : index(MakeStockId(0, 0, 0))
    {
        index.RecordCount = 300;
        index.Records = static_cast<KLineRecord *>(EMemAlloc(sizeof(KLineRecord) * 300));
        for (int i = 0; i < 300; ++i)
            index.Records[i].Time = 1000 + uint32_t(i);
        index.BarWidth = 5;
        index.BarGap = 1;
        index.VisibleCount = 300;
        index.ValueMax = 20;
        index.ValueMin = 10;
        index.PlotRect = RECT{1, 16, kWidth - 61, kHeight - 16};
        index.YScale = (index.PlotRect.bottom - index.PlotRect.top) / 10.0;
    }
    TIndex index;
};

void BM_RedrawVsQPainter(benchmark::State &state)
{
    EnsureApplication();
    Pane pane;
    // Two-point lines, segments, boxes and parallel lines, each with its handles.
    const int kinds[4] = {LK_LINE, LK_SEGMENT, LK_BOX, LK_PARALLEL};
    std::vector<std::unique_ptr<TLine>> lines;
    for (int i = 0; i < MaxDrawnLines; ++i) {
        TLine *line = nullptr;
        MakeDrawLine(line, kinds[i % 4], &pane.index, &pane.index.PlotRect);
        for (int j = 0; j < 2; ++j) {
            line->Anchors[j].time = 1000 + uint32_t((i * 7 + j * 40) % 300);
            line->Anchors[j].value = 10.5f + float((i * 13 + j * 5) % 90) / 10;
            line->Anchors[j].flag = 1;
        }
        line->State = 1;
        lines.emplace_back(line);
    }
    auto image = std::make_shared<QImage>(kWidth, kHeight, QImage::Format_RGB32);
    image->fill(Qt::black);
    HDC dc = CreateImageDC(image);
    // The segments the lines draw, handles included, for QPainter.
    std::vector<QLine> segments;
    for (auto &line : lines) {
        line->Redraw(dc, 1);
        auto add = [&](const LineAnchor &p, const LineAnchor &q) { segments.emplace_back(p.x, p.y, q.x, q.y); };
        const LineAnchor *P = line->Points;
        if (line->Kind == LK_BOX) {
            add(P[0], P[1]);
            add(P[1], P[2]);
            add(P[2], P[3]);
            add(P[0], P[3]);
        } else {
            add(P[0], P[1]);
        }
        for (int j = 0; j < 2; ++j) {
            int x = line->Anchors[j].x, y = line->Anchors[j].y;
            segments.emplace_back(x - 3, y - 3, x - 3, y + 3);
            segments.emplace_back(x - 3, y + 3, x + 3, y + 3);
            segments.emplace_back(x + 3, y + 3, x + 3, y - 3);
            segments.emplace_back(x + 3, y - 3, x - 3, y - 3);
        }
    }
    QImage raw(kWidth, kHeight, QImage::Format_RGB32);
    raw.fill(Qt::black);
    double lineSeconds = 0, rawSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (auto &line : lines)
            line->Redraw(dc, 1);
        auto t1 = Clock::now();
        {
            QPainter p(&raw);
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.setPen(QPen(QColor(255, 255, 0), 0));
            p.drawLines(segments.data(), int(segments.size()));
        }
        auto t2 = Clock::now();
        double lineTime = std::chrono::duration<double>(t1 - t0).count();
        lineSeconds += lineTime;
        rawSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(lineTime);
    }
    state.counters["ratio"] = rawSeconds > 0 ? lineSeconds / rawSeconds : 0;
    DeleteDC(dc);
}
BENCHMARK(BM_RedrawVsQPainter)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
