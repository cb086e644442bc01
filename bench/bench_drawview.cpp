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
struct Session {
    Session()
    {
        root = fs::temp_directory_path() / "bench_drawview";
        fs::remove_all(root);
        fs::create_directories(root / "data" / "benchd" / "tick");
        std::snprintf(DataRoot, sizeof DataRoot, "%s/", root.c_str());
        MarketInfoRecord info{};
        info.Type = 2;
        std::strcpy(info.Dir, "benchd");
        std::strcpy(info.Ext, "bd");
        info.Capacity = 4;
        info.ClassCount = 1;
        info.Classes[0].SessionCount = 2;
        info.Classes[0].SessionStart[0] = 540, info.Classes[0].SessionEnd[0] = 690;
        info.Classes[0].SessionStart[1] = 810, info.Classes[0].SessionEnd[1] = 900;
        market = new TMarketData(0, info);
        market->StockCount = 1;
        StockStaticRecord &s = market->Statics[0];
        std::strcpy(s.Code, "cu0612");
        std::strcpy(s.Name, "沪铜");
        s.ScaleDivisor = 1, s.VolumeUnit = 1, s.Decimals = 0;
        market->RebuildCodeIndex();
        std::mt19937 random(5);
        std::vector<TickRecord> ticks(kTicks);
        float volume = 0, interest = 100000;
        uint32_t price = 35000;
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
        std::ofstream(root / "data" / "benchd" / "tick" / "cu0612.tik", std::ios::binary)
            .write(reinterpret_cast<const char *>(ticks.data()), std::streamsize(ticks.size() * sizeof(TickRecord)));
        RealQuoteRecord &q = market->Quotes[0];
        q.PrevClose = 35000, q.Open = 35010, q.High = 36000, q.Low = 34000, q.Last = price;
        q.Volume = volume + 10, q.Amount = interest, q.LastVolume = 3;
        for (int k = 0; k < 5; ++k) {
            q.Bid[k] = {price - uint32_t(k + 1), float(10 + k)};
            q.Ask[k] = {price + uint32_t(k + 1), float(20 + k)};
        }
        MarketTable.Markets[0] = market;
        MarketTable.Count = 1;

        static int argc = 1;
        static char name[] = "bench_drawview";
        static char *argv[] = {name, nullptr};
        app = new win::TApplication(argc, argv);
        frame = new TMFrame(app);
        frame->Timer2->Enabled = false;
        frame->SetBounds(0, 0, 1000, 700);
        RegisterViewMaker(VIEW_KLINE, MakeBenchChart);
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        chart = dynamic_cast<BenchChart *>(framefixture::AddView(page, VIEW_KLINE, MakeStockId(0, 0, 0)));
        chart->ReloadView();
        app->ProcessMessages();
        chart->LoadTicks();
    }
    ~Session()
    {
        delete frame;
        market->StockCount = 0;
        MarketTable.Markets[0] = nullptr;
        delete market;
    }

    fs::path root;
    TMarketData *market = nullptr;
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
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
    struct Text {
        int x, y;
        QString text;
        QColor colour;
    };
    std::vector<Text> texts;
    unsigned colour = 0;
    for (const std::string &call : win::RecordedCalls(dc)) {
        int x, y;
        unsigned c;
        if (std::sscanf(call.c_str(), "SetTextColor(0x%X)", &c) == 1)
            colour = c;
        else if (std::sscanf(call.c_str(), "TextOutA(%d,%d,", &x, &y) == 2) {
            size_t open = call.find('"'), close = call.rfind('"');
            texts.push_back({x, y, QString::fromLatin1(call.substr(open + 1, close - open - 1)),
                             QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF))});
        }
    }
    win::DeleteDC(dc);
    QImage image(s.chart->MsgPage->Width, s.chart->MsgPage->Height, QImage::Format_RGB32);
    QFont font("Tahoma");
    font.setPixelSize(12);
    for (auto _ : state) {
        QPainter p(&image);
        p.setFont(font);
        for (const Text &t : texts) {
            p.setPen(t.colour);
            p.drawText(t.x, t.y + 12, t.text);
        }
    }
    state.counters["texts"] = double(texts.size());
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
