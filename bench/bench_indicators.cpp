// Indicators: each price-pane indicator's compute over 15,000 day bars (read
// through the warm day cache, as a chart's recompute does), and a full draw of
// a K-line pane with its averages, axis, title and marks, 500 bars visible, into
// a 1920 x 1080 image.
// bench-deps: lumon_formula
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"

namespace {

constexpr int DayRecords = 15000;

template <typename T>
void WriteFile(const std::filesystem::path &path, const std::vector<T> &records)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(records.data()), std::streamsize(records.size() * sizeof(T)));
}

IndexDefinition Def(int id, int lines)
{
    IndexDefinition d{};
    d.Id = uint16_t(id);
    d.Kind = 1;
    d.LineCount = uint16_t(lines);
    std::strcpy(d.Name, "IDX");
    for (int k = 0; k < 8; ++k)
        std::strcpy(d.LineNames[k], "MA");
    return d;
}

// One stock with 15,000 day bars of a random walk, the definitions of the
// price-pane indicators with averages of 5, 10, 20, 30, 60 and 120 bars.
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / "lumo-bench-indicators";
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    MarketInfoRecord market{};
    market.Type = 1;
    std::strcpy(market.Dir, "sh");
    std::strcpy(market.Ext, "shm");
    market.Capacity = 8;
    market.ClassCount = 1;
    market.Classes[0].SessionCount = 1;
    market.Classes[0].SessionStart[0] = 570;
    market.Classes[0].SessionEnd[0] = 900;
    WriteFile(root / "CFG" / "mkinfo.cfg", std::vector<MarketInfoRecord>{market});
    std::vector<StockStaticRecord> stocks(1);
    std::strcpy(stocks[0].Code, "600000");
    stocks[0].ScaleDivisor = 100;
    stocks[0].Decimals = 2;
    WriteFile(root / "data" / "sh" / "nametbl.shm", stocks);
    std::vector<KLineRecord> days;
    PackedDateTime t = MakePackedDateTime(1950, 1, 2, 0, 0);
    uint32_t price = 1000;
    unsigned seed = 7;
    for (int i = 0; i < DayRecords; ++i, t = NextDay(t)) {
        seed = seed * 1103515245u + 12345u;
        KLineRecord b{};
        b.Time = t;
        b.Open = price;
        price = std::max<uint32_t>(100, price + (seed >> 16) % 41 - 20);
        b.Close = price;
        b.High = std::max(b.Open, b.Close) + (seed >> 8) % 7;
        b.Low = std::min(b.Open, b.Close) - (seed >> 4) % 7;
        b.Volume = float(1000 + (seed >> 12) % 500);
        b.Amount = b.Volume * float(price);
        days.push_back(b);
    }
    WriteFile(root / "data" / "sh" / "day" / "600000.day", days);
    std::vector<IndexDefinition> defs = {Def(1, 6), Def(2, 7), Def(3, 6), Def(8, 6), Def(9, 0), Def(321, 7),
                                         Def(322, 7)};
    std::vector<IndexParamBlock> params(defs.size());
    const int periods[6] = {5, 10, 20, 30, 60, 120};
    for (auto &p : params)
        for (auto &s : p.Set)
            std::copy(periods, periods + 6, s);
    WriteFile(root / "CFG" / "INDEX.DAT", defs);
    WriteFile(root / "CFG" / "IDXPARA.TBL", params);
    if (!win::SetCurrentDirectoryA((root / "bin").c_str())) {
        state = -1;
        return false;
    }
    static TUtilData util(1);
    static TDataIO io(0);
    for (auto &f : FontTable)
        f.Size = 12;
    state = MarketTable.Count == 1 && LoadIndexDefinitions("Guest") ? 1 : -1;
    return state > 0;
}

void BM_Compute(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    TIndex *index = nullptr;
    if (!CreateIndex(index, int(state.range(0)), MakeStockId(0, 0, 0), 0)) {
        state.SkipWithError("no indicator");
        return;
    }
    std::unique_ptr<TIndex> owner(index);
    for (auto _ : state) {
        bool ok = index->Compute();
        benchmark::DoNotOptimize(ok);
    }
    state.counters["bars"] = index->RecordCount;
    state.SetItemsProcessed(int64_t(state.iterations()) * index->RecordCount);
}
BENCHMARK(BM_Compute)->Arg(3)->Arg(9)->Arg(8)->Arg(1)->Arg(2)->Arg(322)->Arg(321)->Unit(benchmark::kMicrosecond);

void BM_DrawKLinePane(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    TIndex *index = nullptr;
    if (!CreateIndex(index, 3, MakeStockId(0, 0, 0), 0) || !index->Compute()) {
        state.SkipWithError("no indicator");
        return;
    }
    std::unique_ptr<TIndex> owner(index);
    win::HDC dc = win::CreateCompatibleDC(0);
    win::HBITMAP bitmap = win::CreateCompatibleBitmap(dc, 1920, 1080);
    win::HGDIOBJ old = win::SelectObject(dc, bitmap);
    win::RECT rect{80, 0, 1840, 1060};
    // 500 bars of 2.5 + 1 pixels across 1760.
    index->SetViewState(2.5f, 1.0f, 500, index->RecordCount - 500);
    for (auto _ : state) {
        index->Draw(dc, &rect);
        index->DrawTimeAxis(dc, &rect);
    }
    state.counters["visible"] = index->VisibleCount;
    win::SelectObject(dc, old);
    win::DeleteObject(bitmap);
    win::DeleteDC(dc);
}
BENCHMARK(BM_DrawKLinePane)->Unit(benchmark::kMillisecond);

} // namespace
