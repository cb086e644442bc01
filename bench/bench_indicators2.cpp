// Built-in indicators of the market-relative, spread, average, oscillator,
// breadth and chart-type families: each one's compute over 15,000 day bars
// (read through the warm day cache, as a chart's recompute does), in bars per
// second (the comparisons with TA-Lib, on rotating series, are in
// bench_indicators_talib). Then the intraday index: a compute of a day of 50,000
// ticks, and one live update per new tick.
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
#include "lumon/formula/DynIndex.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "lumon/formula/WrapIndex.h"

namespace {

using namespace benchfix;

constexpr int DayRecords = 15000;
constexpr int DayTicks = 50000;
const StockId IndexStock = MakeStockId(0, 0, 0);
const StockId Stock = MakeStockId(0, 1, 1);
const StockId Stock2 = MakeStockId(0, 1, 2);

struct Indicator {
    int id;
    const char *name;
    int lines;
    std::vector<int> params;
    StockId stock;
};

const Indicator Indicators[] = {
    {4, "MA", 6, {5, 10, 20, 30, 60, 120}, Stock}, {5, "PBX", 6, {}, Stock},
    {41, "BBI", 1, {3, 6, 12, 24}, Stock},         {121, "BBIBOLL", 3, {10, 3}, Stock},
    {123, "CDP", 5, {}, Stock},                    {124, "DKX", 2, {10}, Stock},
    {126, "RAIL", 2, {10, 10}, Stock},             {84, "KDJ", 3, {9, 3, 3}, Stock},
    {91, "KD", 2, {9, 3, 3}, Stock},               {85, "LW_R", 2, {9, 3, 3}, Stock},
    {88, "SLOWKD", 2, {9, 3}, Stock},              {46, "MTM", 2, {12, 6}, Stock},
    {201, "MI", 2, {12}, Stock},                   {202, "RCCD", 2, {59, 21, 28}, Stock},
    {82, "B3612", 2, {}, Stock},                   {89, "VRSI", 1, {6}, Stock},
    {244, "WVAD", 1, {}, Stock},                   {283, "OBOS", 2, {10, 6}, IndexStock},
    {323, "OI", 1, {}, Stock},                     {47, "SAR", 1, {10}, Stock},
    {6, "TWR", 6, {10}, Stock},                    {7, "OX", 1, {1}, Stock},
    {361, "LON", 3, {10}, Stock},                  {364, "SHT", 3, {10}, Stock},
    {363, "RAD", 2, {10}, Stock},                  {281, "ADL", 2, {10}, IndexStock},
    {365, "SSL", 3, {}, Stock},                    {601, "WRAP", 2, {}, Stock},
};

// The random walk of the seed, with advancing and declining counts drawn from
// the same generator steps as each bar.
std::vector<KLineRecord> Walk(unsigned seed)
{
    std::vector<KLineRecord> days = RandomWalkDays(DayRecords, seed);
    for (KLineRecord &b : days) {
        seed = seed * 1103515245u + 12345u;
        b.Advances = uint16_t((seed >> 3) % 800);
        b.Declines = uint16_t((seed >> 5) % 800);
    }
    return days;
}

const std::vector<KLineRecord> &Days()
{
    static const std::vector<KLineRecord> days = Walk(7);
    return days;
}

std::vector<TickRecord> Ticks(int count)
{
    std::vector<TickRecord> ticks;
    unsigned seed = 11;
    uint32_t price = 1000;
    float volume = 0;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        int minute = 570 + int(int64_t(i) * 330 / count);
        TickRecord t{};
        t.Time = MakePackedDateTime(2006, 12, 8, minute / 60, minute % 60);
        price = std::clamp<uint32_t>(price + (seed >> 16) % 5 - 2, 900, 1100);
        volume += float(1 + (seed >> 8) % 20);
        t.Price = price;
        t.Volume = volume;
        t.Amount = volume * float(price);
        ticks.push_back(t);
    }
    return ticks;
}

// An index and two stocks with 15,000 day bars each, today's 50,000 ticks of
// the first stock, the definitions of the indicators above, and the market's
// clock at the close of 2006-12-08.
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    std::filesystem::path root = FreshInstallation("lumo-bench-indicators2");
    MarketInfoRecord market = ShMarket(2);
    market.Classes[0].IsIndex = true;
    WriteFile(root / "CFG" / "mkinfo.cfg", std::vector<MarketInfoRecord>{market});
    std::vector<StockStaticRecord> stocks(3);
    const char *codes[3] = {"1A0001", "600000", "600001"};
    for (int i = 0; i < 3; ++i) {
        std::strcpy(stocks[size_t(i)].Code, codes[i]);
        stocks[size_t(i)].Class = i == 0 ? 0 : 1;
        stocks[size_t(i)].ScaleDivisor = 100;
        stocks[size_t(i)].VolumeUnit = 100;
        stocks[size_t(i)].Decimals = 2;
    }
    WriteFile(root / "data" / "sh" / "nametbl.shm", stocks);
    WriteFile(root / "data" / "sh" / "day" / "1A0001.day", Walk(3));
    WriteFile(root / "data" / "sh" / "day" / "600000.day", Days());
    WriteFile(root / "data" / "sh" / "day" / "600001.day", Walk(5));
    WriteFile(root / "data" / "sh" / "tick" / "600000.tik", Ticks(DayTicks));
    struct Definition {
        int id;
        const char *name;
        int lines;
        std::vector<int> params;
    };
    std::vector<Definition> defs;
    for (const Indicator &x : Indicators)
        defs.push_back({x.id, x.name, x.lines, x.params});
    defs.push_back({1000, "PRICE", 2, {}});
    WriteIndicatorTables(root, defs);
    if (!OpenInstallation(root)) {
        state = -1;
        return false;
    }
    if (MarketTable.Count != 1 || !LoadIndexDefinitions("Guest")) {
        state = -1;
        return false;
    }
    TMarketData &md = *MarketTable.Markets[0];
    md.Now = MakePackedDateTime(2006, 12, 8, 15, 0);
    md.TradingDate = MakePackedDateTime(2006, 12, 8, 0, 0);
    md.ClockMinute = 900;
    RealQuoteRecord &q = md.Quotes[StockIndex(Stock)];
    q.PrevClose = 1000;
    q.High = 1100;
    q.Low = 900;
    q.Last = 1000;
    q.Volume = 1e9f;
    q.Amount = 1e12f;
    state = 1;
    return true;
}

void BM_Compute(benchmark::State &state, int id, StockId stock)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    TIndex *index = nullptr;
    if (!CreateIndex(index, id, stock, Stock2)) {
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

std::unique_ptr<TDynIndex> MakeDyn(int tickMode)
{
    auto dyn = std::make_unique<TDynIndex>(Stock, 0);
    dyn->TickMode = uint8_t(tickMode);
    return dyn;
}

// A full compute of the day: ticks read, cleaned, turned into points, lines.
void BM_DynCompute(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    auto dyn = MakeDyn(int(state.range(0)));
    for (auto _ : state) {
        bool ok = dyn->Compute();
        benchmark::DoNotOptimize(ok);
    }
    state.counters["ticks"] = dyn->TickCount;
    state.counters["points"] = dyn->PointTotal();
}

// One live update per new tick: the quote moves on and the tick is appended.
void BM_DynUpdate(benchmark::State &state)
{
    if (!Ready() || !MakeDyn(0)->Compute()) {
        state.SkipWithError("no installation");
        return;
    }
    RealQuoteRecord &q = MarketTable.Markets[0]->Quotes[StockIndex(Stock)];
    // No snapshot tick: each update's quote lies just above the last tick.
    q.Volume = 0;
    auto dyn = MakeDyn(int(state.range(0)));
    dyn->Compute();
    const int start = dyn->TickCount;
    float volume = dyn->TickCount > 0 ? dyn->Ticks[dyn->TickCount - 1].Volume : 0.0f;
    for (auto _ : state) {
        volume += 10;
        q.Volume = volume;
        q.Last = 1000 + uint32_t(dyn->TickCount % 7);
        bool ok = dyn->UpdateLastBar();
        benchmark::DoNotOptimize(ok);
        if (dyn->TickCount > start + 5000) {
            state.PauseTiming();
            q.Volume = 0;
            dyn->Compute();
            volume = dyn->TickCount > 0 ? dyn->Ticks[dyn->TickCount - 1].Volume : 0.0f;
            state.ResumeTiming();
        }
    }
    q.Volume = 1e9f;
    state.counters["ticks"] = dyn->TickCount;
}

const bool Registered = [] {
    for (const Indicator &x : Indicators)
        benchmark::RegisterBenchmark((std::string("Compute/") + x.name).c_str(), BM_Compute, x.id, x.stock)
            ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("DynIndex/Compute", BM_DynCompute)
        ->ArgName("tick")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DynIndex/UpdateLastBar", BM_DynUpdate)
        ->ArgName("tick")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

} // namespace
