// Drawing a chart through the drawing layer against the same figures drawn with
// raw QPainter calls on a QImage: 2,000 candles (body rectangle and wick line) and
// 3 indicator lines of 2,000 points on a 1920 × 1080 window image. The counter
// "ratio" of BM_ChartLayerVsQPainter is layer time / QPainter time in one run
// (target: at most 1.5).
// bench-deps: platform_gdi Qt6::Gui
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"

using namespace win;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kBars = 2000;

struct Candle {
    int x, open, close, high, low;
};

struct Chart {
    std::vector<Candle> candles;
    std::vector<std::vector<POINT>> lines;
};

// A random walk of prices mapped to the image, the same for every run.
const Chart &TestChart()
{
    static const Chart chart = [] {
        Chart c;
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 16) % unsigned(range));
        };
        int price = 540;
        for (int i = 0; i < kBars; ++i) {
            int x = 10 + i * (kWidth - 20) / kBars;
            int open = price;
            int close = std::clamp(open + next(41) - 20, 60, kHeight - 60);
            int high = std::min(open, close) - next(25);
            int low = std::max(open, close) + next(25);
            c.candles.push_back({x, open, close, high, low});
            price = close;
        }
        for (int k = 0; k < 3; ++k) {
            std::vector<POINT> line;
            for (int i = 0; i < kBars; ++i) {
                const Candle &b = c.candles[size_t(i)];
                line.push_back(POINT{b.x, (b.open + b.close) / 2 + (k - 1) * 30});
            }
            c.lines.push_back(line);
        }
        return c;
    }();
    return chart;
}

void EnsureApplication()
{
    if (!QCoreApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench_gdi";
        static char *argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
}

// The layer on a window's image: every change reported, as a window schedules
// its repaint.
class LayerChart {
public:
    LayerChart()
    {
        image_ = std::make_shared<QImage>(kWidth, kHeight, QImage::Format_RGB32);
        image_->fill(Qt::black);
        dc_ = CreateImageDC(image_, [this](const RECT &r) {
            dirty_ |= QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        });
        upPen_ = CreatePen(PS_SOLID, 1, RGB(255, 60, 60));
        downPen_ = CreatePen(PS_SOLID, 1, RGB(60, 255, 255));
        upBrush_ = CreateSolidBrush(RGB(0, 0, 0));
        downBrush_ = CreateSolidBrush(RGB(60, 255, 255));
        for (COLORREF c : {RGB(255, 255, 255), RGB(255, 255, 0), RGB(255, 0, 255)})
            linePens_.push_back(CreatePen(PS_SOLID, 1, c));
    }
    ~LayerChart()
    {
        DeleteDC(dc_);
        for (HGDIOBJ o : {upPen_, downPen_, upBrush_, downBrush_})
            DeleteObject(o);
        for (HPEN p : linePens_)
            DeleteObject(p);
    }
    void Draw(const Chart &chart)
    {
        for (const Candle &c : chart.candles) {
            bool up = c.close < c.open;
            SelectObject(dc_, up ? upPen_ : downPen_);
            SelectObject(dc_, up ? upBrush_ : downBrush_);
            int top = std::min(c.open, c.close);
            int bottom = std::max(c.open, c.close);
            Rectangle(dc_, c.x - 1, top, c.x + 2, bottom + 1);
            MoveToEx(dc_, c.x, c.high, nullptr);
            LineTo(dc_, c.x, top);
            MoveToEx(dc_, c.x, bottom + 1, nullptr);
            LineTo(dc_, c.x, c.low);
        }
        for (size_t k = 0; k < chart.lines.size(); ++k) {
            SelectObject(dc_, linePens_[k]);
            Polyline(dc_, chart.lines[k].data(), int(chart.lines[k].size()));
        }
    }

private:
    std::shared_ptr<QImage> image_;
    HDC dc_ = 0;
    QRect dirty_;
    HPEN upPen_, downPen_;
    HBRUSH upBrush_, downBrush_;
    std::vector<HPEN> linePens_;
};

// The same figures with QPainter.
class RawChart {
public:
    RawChart() : image_(kWidth, kHeight, QImage::Format_RGB32) { image_.fill(Qt::black); }
    void Draw(const Chart &chart)
    {
        QPainter p(&image_);
        const QPen upPen(QColor(255, 60, 60), 0), downPen(QColor(60, 255, 255), 0);
        const QBrush upBrush(QColor(0, 0, 0)), downBrush(QColor(60, 255, 255));
        for (const Candle &c : chart.candles) {
            bool up = c.close < c.open;
            p.setPen(up ? upPen : downPen);
            p.setBrush(up ? upBrush : downBrush);
            int top = std::min(c.open, c.close);
            int bottom = std::max(c.open, c.close);
            p.drawRect(QRect(c.x - 1, top, 2, bottom - top));
            p.drawLine(c.x, c.high, c.x, top - 1);
            p.drawLine(c.x, bottom + 1, c.x, c.low - 1);
        }
        const QColor colours[] = {QColor(255, 255, 255), QColor(255, 255, 0), QColor(255, 0, 255)};
        std::vector<QPoint> points;
        for (size_t k = 0; k < chart.lines.size(); ++k) {
            p.setPen(QPen(colours[k], 0));
            points.clear();
            for (const POINT &pt : chart.lines[k])
                points.push_back(QPoint(pt.x, pt.y));
            p.drawPolyline(points.data(), int(points.size()));
        }
    }

private:
    QImage image_;
};

void BM_ChartRawQPainter(benchmark::State &state)
{
    EnsureApplication();
    const Chart &chart = TestChart();
    RawChart raw;
    for (auto _ : state)
        raw.Draw(chart);
}
BENCHMARK(BM_ChartRawQPainter)->Unit(benchmark::kMillisecond);

void BM_ChartLayer(benchmark::State &state)
{
    EnsureApplication();
    const Chart &chart = TestChart();
    LayerChart layer;
    for (auto _ : state)
        layer.Draw(chart);
}
BENCHMARK(BM_ChartLayer)->Unit(benchmark::kMillisecond);

// Both in each iteration; the iteration time is the layer's, the ratio is the
// layer's total over QPainter's.
void BM_ChartLayerVsQPainter(benchmark::State &state)
{
    EnsureApplication();
    const Chart &chart = TestChart();
    LayerChart layer;
    RawChart raw;
    double layerSeconds = 0;
    double rawSeconds = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto t0 = Clock::now();
        layer.Draw(chart);
        auto t1 = Clock::now();
        raw.Draw(chart);
        auto t2 = Clock::now();
        double layerTime = std::chrono::duration<double>(t1 - t0).count();
        layerSeconds += layerTime;
        rawSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(layerTime);
    }
    state.counters["ratio"] = rawSeconds > 0 ? layerSeconds / rawSeconds : 0;
}
BENCHMARK(BM_ChartLayerVsQPainter)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
