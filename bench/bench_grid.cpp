// A draw grid of 60 rows x 34 columns with grid lines, fully redrawn through
// OnDrawCell (as the quote list is on every quote), and one cell of it redrawn
// outside paint through the grid's Canvas (as a changed quote is), beside the same
// pixels drawn with a raw QPainter on an image that a plain widget shows: the same
// font, texts, colours, cell backgrounds and lines, the same frame of varying
// content on both sides. The counter "ratio" of the *VsRaw benchmarks is the
// layer's time over QPainter's in one run (target: at most 1.5); "same_pixels" is
// 1 when both sides drew identical images.
// bench-deps: platform_forms platform_gdi Qt6::Widgets
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/forms/TApplication.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TForm.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/QtSurface.h"

using namespace win;

namespace {

constexpr int kRows = 60;
constexpr int kCols = 34;
constexpr int kColWidth = 60;
constexpr int kRowHeight = 20;
constexpr int kLine = 1;
constexpr int kWidth = kCols * (kColWidth + kLine);
constexpr int kHeight = kRows * (kRowHeight + kLine);
constexpr int kCells = kRows * kCols;

// Stock names of the first column, as the programs hold them (GBK) and as a Qt
// program would hold them.
constexpr std::array<const char *, 8> kNames = {"浦发银行", "白云机场", "东风汽车", "中国国贸",
                                                "首创股份", "上海机场", "包钢股份", "华能国际"};
constexpr std::array<const char16_t *, 8> kNames16 = {u"浦发银行", u"白云机场", u"东风汽车", u"中国国贸",
                                                      u"首创股份", u"上海机场", u"包钢股份", u"华能国际"};

// What a cell shows in a frame: the number and its colour change from frame to
// frame, so neither side draws the same text twice in a row.
struct CellContent {
    char text[24];
    int name = -1; // index into the name tables for the first column
    int colour = 0; // 0 red, 1 lime, 2 white, 3 yellow
};

CellContent ContentOf(int col, int row, unsigned frame)
{
    CellContent c;
    if (col == 0) {
        c.name = int((unsigned(row) + frame) % kNames.size());
        c.colour = 3;
        c.text[0] = 0;
        return c;
    }
    unsigned v = (unsigned(row) * 7919u + unsigned(col) * 104729u + frame * 2654435761u) * 2246822519u;
    v = (v >> 13) % 200000u;
    std::snprintf(c.text, sizeof c.text, "%u.%02u", v / 100, v % 100);
    c.colour = int(v % 3);
    return c;
}

constexpr TColor kLayerColours[] = {clRed, clLime, clWhite, clYellow};
const QColor kRawColours[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 255), QColor(255, 255, 0)};

struct Grid {
    Grid()
    {
        static int argc = 1;
        static char name[] = "bench_grid";
        static char *argv[] = {name, nullptr};
        static auto *app = new TApplication(argc, argv);
        form = new TForm(app);
        form->BorderStyle = bsNone;
        form->SetBounds(0, 0, kWidth, kHeight);
        grid = new TDrawGrid(form);
        grid->Parent = form;
        grid->SetBounds(0, 0, kWidth, kHeight);
        grid->ColCount = kCols;
        grid->RowCount = kRows;
        grid->FixedCols = 0;
        grid->FixedRows = 0;
        grid->DefaultColWidth = kColWidth;
        grid->DefaultRowHeight = kRowHeight;
        grid->Options = TGridOptions() << goVertLine << goHorzLine << goRowSelect;
        grid->Color = clBlack;
        grid->DefaultDrawing = false;
        grid->OnDrawCell = [this](TObject *, int col, int row, const TRect &rect, TGridDrawState state) {
            ++cells;
            CellContent content = ContentOf(col, row, frame);
            TCanvas *c = grid->Canvas;
            c->Brush->Style = bsSolid;
            c->Brush->Color = state.Contains(gdSelected) ? clNavy : clBlack;
            c->FillRect(rect);
            c->Brush->Style = bsClear;
            c->Font->Color = kLayerColours[content.colour];
            c->TextOut(rect.Left + 2, rect.Top + 3, content.name >= 0 ? kNames[size_t(content.name)] : content.text);
        };
        form->Show();
        font = QFontOf(grid->Font->GetHandle());
        image = QImage(kWidth, kHeight, QImage::Format_RGB32);
        widget = std::make_unique<QWidget>();
        widget->setGeometry(0, kHeight, kWidth, kHeight);
        widget->show();
    }

    // The layer's cell, outside paint.
    void LayerCell(int col, int row)
    {
        TGridDrawState state;
        if (row == grid->Row)
            state << gdSelected;
        grid->OnDrawCell(grid, col, row, grid->CellRect(col, row), state);
    }

    // The same cell with QPainter.
    void RawCell(QPainter &p, int col, int row)
    {
        QRect rect(col * (kColWidth + kLine), row * (kRowHeight + kLine), kColWidth, kRowHeight);
        CellContent content = ContentOf(col, row, frame);
        p.fillRect(rect, row == 0 ? QColor(0, 0, 128) : QColor(0, 0, 0));
        p.setPen(kRawColours[content.colour]);
        QPoint at(rect.left() + 2, rect.top() + 3 + p.fontMetrics().ascent());
        if (content.name >= 0)
            p.drawText(at, QString::fromUtf16(kNames16[size_t(content.name)]));
        else
            p.drawText(at, QString::fromLatin1(content.text));
    }

    void StartRaw(QPainter &p)
    {
        p.begin(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font);
    }

    void RawFull()
    {
        QPainter p;
        StartRaw(p);
        p.fillRect(QRect(0, 0, kWidth, kHeight), QColor(0, 0, 0));
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                RawCell(p, col, row);
        const QColor silver(192, 192, 192);
        for (int col = 0; col < kCols; ++col)
            p.fillRect(QRect(col * (kColWidth + kLine) + kColWidth, 0, kLine, kHeight), silver);
        for (int row = 0; row < kRows; ++row)
            p.fillRect(QRect(0, row * (kRowHeight + kLine) + kRowHeight, kWidth, kLine), silver);
        p.end();
        widget->update();
    }

    void RawOne(int col, int row)
    {
        QPainter p;
        StartRaw(p);
        RawCell(p, col, row);
        p.end();
        widget->update(QRect(col * (kColWidth + kLine), row * (kRowHeight + kLine), kColWidth, kRowHeight));
    }

    const QImage &LayerImage() { return *HostOf(grid->Handle)->Image(); }

    TForm *form;
    TDrawGrid *grid;
    QFont font;
    QImage image;
    std::unique_ptr<QWidget> widget;
    unsigned frame = 0;
    long cells = 0;
};

Grid &TheGrid()
{
    static Grid grid;
    return grid;
}

// Both sides draw one frame; 1 when their images are the same.
double SamePixels(Grid &g)
{
    g.frame = 12345;
    g.grid->Repaint();
    g.RawFull();
    const QImage &layer = g.LayerImage();
    return layer.copy(0, 0, kWidth, kHeight) == g.image ? 1 : 0;
}

void BM_GridFullRedraw(benchmark::State &state)
{
    Grid &g = TheGrid();
    g.cells = 0;
    for (auto _ : state) {
        ++g.frame;
        g.grid->Repaint();
    }
    state.counters["cells/redraw"] = double(g.cells) / double(state.iterations());
}
BENCHMARK(BM_GridFullRedraw)->Unit(benchmark::kMillisecond);

void BM_RawQPainterFullRedraw(benchmark::State &state)
{
    Grid &g = TheGrid();
    for (auto _ : state) {
        ++g.frame;
        g.RawFull();
    }
}
BENCHMARK(BM_RawQPainterFullRedraw)->Unit(benchmark::kMillisecond);

using Clock = std::chrono::steady_clock;

// Both in each iteration on the same frame; the iteration time is the layer's.
void BM_GridFullRedrawVsRaw(benchmark::State &state)
{
    Grid &g = TheGrid();
    double same = SamePixels(g);
    double layerSeconds = 0;
    double rawSeconds = 0;
    for (auto _ : state) {
        ++g.frame;
        auto t0 = Clock::now();
        g.grid->Repaint();
        auto t1 = Clock::now();
        g.RawFull();
        auto t2 = Clock::now();
        double layerTime = std::chrono::duration<double>(t1 - t0).count();
        layerSeconds += layerTime;
        rawSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(layerTime);
    }
    state.counters["ratio"] = rawSeconds > 0 ? layerSeconds / rawSeconds : 0;
    state.counters["same_pixels"] = same;
}
BENCHMARK(BM_GridFullRedrawVsRaw)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_GridOneCellOutsidePaint(benchmark::State &state)
{
    Grid &g = TheGrid();
    int i = 0;
    for (auto _ : state) {
        g.frame = unsigned(i / kCells);
        g.LayerCell(i % kCols, (i / kCols) % kRows);
        ++i;
    }
}
BENCHMARK(BM_GridOneCellOutsidePaint)->Unit(benchmark::kMicrosecond);

void BM_RawQPainterOneCell(benchmark::State &state)
{
    Grid &g = TheGrid();
    int i = 0;
    for (auto _ : state) {
        g.frame = unsigned(i / kCells);
        g.RawOne(i % kCols, (i / kCols) % kRows);
        ++i;
    }
}
BENCHMARK(BM_RawQPainterOneCell)->Unit(benchmark::kMicrosecond);

// A whole frame cell by cell on both sides, timed per side; the iteration time is
// the layer's for the frame, the counter "layer_us/cell" its time per cell.
void BM_GridOneCellVsRaw(benchmark::State &state)
{
    Grid &g = TheGrid();
    double layerSeconds = 0;
    double rawSeconds = 0;
    for (auto _ : state) {
        ++g.frame;
        auto t0 = Clock::now();
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                g.LayerCell(col, row);
        auto t1 = Clock::now();
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                g.RawOne(col, row);
        auto t2 = Clock::now();
        double layerTime = std::chrono::duration<double>(t1 - t0).count();
        layerSeconds += layerTime;
        rawSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(layerTime);
    }
    state.counters["ratio"] = rawSeconds > 0 ? layerSeconds / rawSeconds : 0;
    state.counters["layer_us/cell"] = layerSeconds * 1e6 / double(state.iterations() * kCells);
    state.counters["raw_us/cell"] = rawSeconds * 1e6 / double(state.iterations() * kCells);
    state.counters["same_pixels"] = g.LayerImage().copy(0, 0, kWidth, kHeight) == g.image ? 1 : 0;
}
BENCHMARK(BM_GridOneCellVsRaw)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
