// Indicators: each price-pane indicator's compute over 15,000 day bars (read
// through the warm day cache, as a chart's recompute does), and a full draw of
// a K-line pane with its averages, axis, title and marks, 500 bars visible, into
// a 1920 x 1080 image.
// bench-deps: lumon_formula
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/BenchFixtures.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"

namespace {

using namespace benchfix;

constexpr int DayRecords = 15000;

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
    std::filesystem::path root = FreshInstallation("lumo-bench-indicators");
    WriteOneStockMarket(root);
    std::vector<KLineRecord> days = RandomWalkDays(DayRecords, 7);
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
    if (!OpenInstallation(root)) {
        state = -1;
        return false;
    }
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
