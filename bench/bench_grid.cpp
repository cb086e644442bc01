// A draw grid of 60 rows x 34 columns fully redrawn through OnDrawCell, and one
// of its cells redrawn outside paint (as the quote list redraws a changed cell),
// beside the same drawing done with a raw QPainter on an image.
// bench-deps: platform_forms platform_gdi Qt6::Gui
#include <QFont>
#include <QImage>
#include <QPainter>

#include <cstdio>

#include <benchmark/benchmark.h>

#include "platform/forms/TApplication.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TForm.h"

using namespace win;

namespace {

constexpr int kRows = 60;
constexpr int kCols = 34;
constexpr int kColWidth = 60;
constexpr int kRowHeight = 20;

struct Grid {
    Grid()
    {
        static int argc = 1;
        static char name[] = "bench_grid";
        static char *argv[] = {name, nullptr};
        static auto *app = new TApplication(argc, argv);
        form = new TForm(app);
        form->BorderStyle = bsNone;
        form->SetBounds(0, 0, kCols * kColWidth, kRows * kRowHeight);
        grid = new TDrawGrid(form);
        grid->Parent = form;
        grid->SetBounds(0, 0, kCols * kColWidth, kRows * kRowHeight);
        grid->ColCount = kCols;
        grid->RowCount = kRows;
        grid->FixedCols = 0;
        grid->DefaultColWidth = kColWidth;
        grid->DefaultRowHeight = kRowHeight;
        grid->Options = TGridOptions() << goRowSelect;
        grid->DefaultDrawing = false;
        grid->OnDrawCell = [this](TObject *, int col, int row, const TRect &rect, TGridDrawState state) {
            ++cells;
            TCanvas *c = grid->Canvas;
            c->Brush->Style = bsSolid;
            c->Brush->Color = state.Contains(gdSelected) ? clNavy : clBlack;
            c->FillRect(rect);
            c->Brush->Style = bsClear;
            c->Font->Color = (row + col) % 2 ? clRed : clLime;
            char text[16];
            std::snprintf(text, sizeof text, "%d.%02d", row * 7 + col, col);
            c->TextOut(rect.Left + 2, rect.Top + 3, text);
        };
        form->Show();
    }
    TForm *form;
    TDrawGrid *grid;
    long cells = 0;
};

Grid &TheGrid()
{
    static Grid grid;
    return grid;
}

void BM_GridFullRedraw(benchmark::State &state)
{
    Grid &g = TheGrid();
    g.cells = 0;
    for (auto _ : state)
        g.grid->Repaint();
    state.counters["cells/redraw"] = static_cast<double>(g.cells) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GridFullRedraw)->Unit(benchmark::kMillisecond);

void BM_GridOneCellOutsidePaint(benchmark::State &state)
{
    Grid &g = TheGrid();
    TRect rect = g.grid->CellRect(17, 30);
    for (auto _ : state)
        g.grid->OnDrawCell(g.grid, 17, 30, rect, TGridDrawState());
}
BENCHMARK(BM_GridOneCellOutsidePaint)->Unit(benchmark::kMicrosecond);

void DrawRawCell(QPainter &p, int col, int row)
{
    QRect rect(col * kColWidth, row * kRowHeight, kColWidth, kRowHeight);
    p.fillRect(rect, row == 1 ? QColor(0, 0, 128) : QColor(0, 0, 0));
    p.setPen((row + col) % 2 ? QColor(255, 0, 0) : QColor(0, 255, 0));
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", row * 7 + col, col);
    p.drawText(rect.left() + 2, rect.top() + 3 + p.fontMetrics().ascent(), QString::fromLatin1(text));
}

void BM_RawQPainterFullRedraw(benchmark::State &state)
{
    TheGrid();
    QImage image(kCols * kColWidth, kRows * kRowHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setFont(QFont(QStringLiteral("Sans"), 9));
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                DrawRawCell(p, col, row);
    }
}
BENCHMARK(BM_RawQPainterFullRedraw)->Unit(benchmark::kMillisecond);

void BM_RawQPainterOneCell(benchmark::State &state)
{
    TheGrid();
    QImage image(kCols * kColWidth, kRows * kRowHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setFont(QFont(QStringLiteral("Sans"), 9));
        DrawRawCell(p, 17, 30);
    }
}
BENCHMARK(BM_RawQPainterOneCell)->Unit(benchmark::kMicrosecond);

} // namespace
