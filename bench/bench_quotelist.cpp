// The quote list's real-time work on a page of a 1920x1080 frame: one row of 16
// cells redrawn after a quote change beside the same texts drawn with raw
// QPainter, 4,096 quote changes on a list of 4,096 rows, and the sort keys of a
// 4,096-row ranking answer read and applied.
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

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/views/Reptform.h"
#include "lumon/views/TableDefs.h"
#include "platform/forms/TApplication.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "bench/ViewBench.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

constexpr int kStocks = 4096;
const int kFields[16] = {0, 9, 1, 2, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 25};

// A stock market of 4,096 stocks with quotes, its market block, a frame and a
// page whose one pane is a quote list of that block, 16 columns wide.
struct Session : benchfix::ViewSession {
    Session()
    {
        root = fs::temp_directory_path() / "bench_quotelist";
        fs::remove_all(root);
        fs::create_directories(root);
        MarketInfoRecord info{};
        info.Type = 1;
        std::strcpy(info.Name, "上海");
        std::strcpy(info.Dir, "benchq");
        std::strcpy(info.Ext, "bq");
        info.Capacity = kStocks;
        info.ClassCount = 1;
        market = new TMarketData(0, info);
        market->StockCount = kStocks;
        std::mt19937 random(7);
        for (int i = 0; i < kStocks; ++i) {
            StockStaticRecord &s = market->Statics[i];
            s.Market = 0;
            std::snprintf(s.Code, sizeof s.Code, "%06d", 600000 + i);
            std::snprintf(s.Name, sizeof s.Name, "股票%d", i % 1000);
            s.ScaleDivisor = 100, s.VolumeUnit = 100, s.Decimals = 2;
            s.Index = uint16_t(i);
            RealQuoteRecord &q = market->Quotes[i];
            q.PrevClose = 1000 + random() % 5000;
            q.Open = q.PrevClose + random() % 50 - 25;
            q.Last = q.PrevClose + random() % 200 - 100;
            q.High = std::max(q.Open, q.Last) + 5, q.Low = std::min(q.Open, q.Last) - 5;
            q.Volume = float(random() % 1000000), q.Amount = q.Volume * float(q.Last);
            q.LastVolume = float(random() % 500);
            q.Bid[0] = {q.Last - 1, 100.0f}, q.Ask[0] = {q.Last + 1, 200.0f};
        }
        market->RebuildCodeIndex();
        MarketTable.Markets[0] = market;
        MarketTable.Count = 1;

        const benchfix::BenchFrame f = benchfix::NewBenchFrame("bench_quotelist", 1920, 1080);
        app = f.app;
        frame = f.frame;
        frame->Timer1->Enabled = false;
        frame->Blocks = new TBlockGroup();
        frame->Blocks->BuildClassBlocks();
        frame->Show();
        RegisterQuoteList();
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        list = dynamic_cast<TReport *>(page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0));
        page->LayoutPage();
        app->ProcessMessages();
        list->Timer1->Enabled = false;
        for (int k = 0; k < TableDefCount; ++k) {
            TableDef &t = TableDefs[k];
            t.Count = 16;
            t.FixedCol = 3;
            for (int i = 0; i < 16; ++i)
                t.Ids[i] = kFields[i], t.Widths[i] = i == 2 ? 8 : 7;
        }
        list->ShowBlockTab(0);
        app->ProcessMessages();
    }
    TReport *list = nullptr;
};

Session &TheSession()
{
    static Session session;
    return session;
}

void BM_RowRedrawAfterQuoteChange(benchmark::State &state)
{
    Session &s = TheSession();
    const StockId stock = s.list->Rows[5].Id;
    for (auto _ : state)
        s.list->Notify(0, int32_t(stock), 0, 0x01);
    state.counters["cells"] = double(s.list->DrawGrid1->GetVisibleColCount() + s.list->DrawGrid1->GetFixedCols());
    state.counters["rows"] = s.list->RowCount;
}
BENCHMARK(BM_RowRedrawAfterQuoteChange)->Unit(benchmark::kMicrosecond);

// The same texts in the same colours and places, straight through QPainter onto
// an image of the grid's size, each cell's background filled first.
void BM_RowTextsRawQPainter(benchmark::State &state)
{
    Session &s = TheSession();
    TReport *list = s.list;
    win::HDC dc = win::CreateRecordingDC(list->DrawGrid1->Width, list->DrawGrid1->Height);
    win::HDC saved = list->DrawGrid1->Canvas->Handle;
    list->DrawGrid1->Canvas->Handle = dc;
    list->Notify(0, int32_t(list->Rows[5].Id), 0, 0x01);
    list->DrawGrid1->Canvas->Handle = saved;
    const benchfix::RawDrawing drawn = benchfix::RecordedDrawing(dc);
    win::DeleteDC(dc);
    QImage image(list->DrawGrid1->Width, list->DrawGrid1->Height, QImage::Format_RGB32);
    QFont font("SimHei");
    font.setPixelSize(15);
    for (auto _ : state)
        benchfix::DrawRaw(image, drawn, font, 15);
    state.counters["texts"] = double(drawn.texts.size());
}
BENCHMARK(BM_RowTextsRawQPainter)->Unit(benchmark::kMicrosecond);

void BM_Notify4096On4096Rows(benchmark::State &state)
{
    Session &s = TheSession();
    std::vector<StockId> stocks;
    for (int i = 0; i < s.list->RowCount; ++i)
        stocks.push_back(s.list->Rows[i].Id);
    for (auto _ : state)
        for (StockId id : stocks)
            s.list->Notify(0, int32_t(id), 0, 0x01);
    state.counters["rows"] = s.list->RowCount;
    state.counters["shown"] = double(s.list->DrawGrid1->GetVisibleRowCount());
}
BENCHMARK(BM_Notify4096On4096Rows)->Unit(benchmark::kMillisecond);

void BM_LoadSortKeys4096(benchmark::State &state)
{
    Session &s = TheSession();
    // A 幅度% answer: {entry, last, previous close} per row.
    const fs::path path = s.root / "answer.tmp";
    {
        std::ofstream out(path, std::ios::binary);
        std::mt19937 random(3);
        for (int i = 0; i < kStocks; ++i) {
            uint8_t r[10];
            const uint16_t key = uint16_t(i);
            const float last = float(1000 + random() % 2000), prev = float(1000 + random() % 2000);
            std::memcpy(r, &key, 2);
            std::memcpy(r + 2, &last, 4);
            std::memcpy(r + 6, &prev, 4);
            out.write(reinterpret_cast<const char *>(r), sizeof r);
        }
    }
    s.list->Attr.Mode = 11;
    for (auto _ : state)
        s.list->LoadSortKeys(path.c_str());
    state.counters["rows"] = s.list->RowCount;
}
BENCHMARK(BM_LoadSortKeys4096)->Unit(benchmark::kMillisecond);

} // namespace
