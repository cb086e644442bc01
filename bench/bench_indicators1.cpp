// Built-in indicators of the trend, oscillator, volume and band families: each
// one's compute over 15,000 day bars (read through the warm day cache, as a
// chart's recompute does), in bars per second. The comparisons with TA-Lib, on
// rotating series, are in bench_indicators_talib.
// bench-deps: lumon_formula
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFixtures.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"

namespace {

using namespace benchfix;

constexpr int DayRecords = 15000;

struct Indicator {
    int id;
    const char *name;
    int lines;
    std::vector<int> params;
};

const Indicator Indicators[] = {
    {45, "MACD", 3, {12, 26, 9}}, {42, "DMA", 2, {10, 50, 10}}, {43, "DMI", 4, {14}},
    {44, "EXPMA", 5, {5, 10, 20, 60, 0}}, {48, "TRIX", 2, {12, 20}}, {87, "RSI", 3, {6, 12, 24}},
    {90, "W%R", 2, {10, 6}}, {83, "CCI", 1, {14}}, {86, "ROC", 3, {12, 6, 1}},
    {81, "BIAS", 4, {6, 12, 24, 6}}, {163, "PSY", 2, {12, 6}}, {362, "SPOS", 2, {10, 5}},
    {161, "BRAR", 2, {26}}, {162, "CR", 5, {26}}, {164, "VR", 2, {26, 6}},
    {243, "OBV", 2, {30}}, {241, "ASI", 2, {6}}, {242, "EMV", 2, {14, 9}},
    {125, "MIKE", 6, {12}}, {122, "BOLL", 3, {20, 1}},
};

std::vector<KLineRecord> &Days()
{
    static std::vector<KLineRecord> days = RandomWalkDays(DayRecords, 7);
    return days;
}

// One stock with 15,000 day bars of a random walk and the definitions of the
// indicators above.
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    std::filesystem::path root = FreshInstallation("lumo-bench-indicators1");
    WriteOneStockMarket(root);
    WriteFile(root / "data" / "sh" / "day" / "600000.day", Days());
    WriteIndicatorTables(root, Indicators);
    if (!OpenInstallation(root)) {
        state = -1;
        return false;
    }
    state = MarketTable.Count == 1 && LoadIndexDefinitions("Guest") ? 1 : -1;
    return state > 0;
}

void BM_Compute(benchmark::State &state, int id)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    TIndex *index = nullptr;
    if (!CreateIndex(index, id, MakeStockId(0, 0, 0), 0)) {
        state.SkipWithError("no indicator");
        return;
    }
    std::unique_ptr<TIndex> owner(index);
    for (auto _ : state) {
        bool ok = index->Compute();
        benchmark::DoNotOptimize(ok);
    }
    state.counters["bars"] = index->RecordCount;
    state.counters["bars/s"] =
        benchmark::Counter(double(index->RecordCount), benchmark::Counter::kIsIterationInvariantRate);
}

const bool Registered = [] {
    for (const Indicator &x : Indicators)
        benchmark::RegisterBenchmark((std::string("Compute/") + x.name).c_str(), BM_Compute, x.id)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

} // namespace
