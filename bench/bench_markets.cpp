// Loading 16 markets of 4,096 stocks (name tables and quote snapshots) and
// finding a stock by its code, on an installation made by the installation maker.
// bench-deps: lumon_core
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/MakerInstallation.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Text.h"

namespace {

struct Code {
    int market;
    std::string code;
};

// Makes the large installation once and works from its bin/.
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    const std::string root = MakerInstallation("lumo-bench-markets", "--large --no-registry");
    state = !root.empty() && win::SetCurrentDirectoryA((root + "/bin").c_str()) ? 1 : -1;
    if (state > 0)
        static TUtilData util(1);
    return state > 0;
}

std::vector<Code> AllCodes()
{
    std::vector<Code> codes;
    for (int m = 0; m < MarketTable.Count; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        for (int i = 0; md && i < md->StockCount; ++i)
            codes.push_back({m, std::string(md->Statics[i].Code, strnlen(md->Statics[i].Code, 7))});
    }
    return codes;
}

void BM_LoadMarkets(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    for (auto _ : state) {
        TDataIO *io = new TDataIO(0);
        benchmark::DoNotOptimize(io);
        state.PauseTiming();
        int stocks = 0;
        for (int m = 0; m < MarketTable.Count; ++m)
            stocks += MarketTable.Markets[m]->StockCount;
        if (stocks != 16 * 4096)
            state.SkipWithError("the installation does not hold 16 x 4096 stocks");
        delete io; // writes every snapshot back
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadMarkets)->Unit(benchmark::kMillisecond);

void BM_FindStockByCode(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    TDataIO io(0);
    std::vector<Code> codes = AllCodes();
    size_t i = 0;
    for (auto _ : state) {
        const Code &c = codes[i];
        i = (i + 7919) % codes.size();
        benchmark::DoNotOptimize(MarketTable.Markets[c.market]->FindStockByCode(c.code.c_str()));
    }
}
BENCHMARK(BM_FindStockByCode);

// A quote's code looked up from the first market with search-all, as a client
// that does not know the market does.
void BM_FindStockIdSearchAll(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    TDataIO io(0);
    std::vector<Code> codes = AllCodes();
    size_t i = 0;
    for (auto _ : state) {
        const Code &c = codes[i];
        i = (i + 7919) % codes.size();
        int market = 0;
        benchmark::DoNotOptimize(TDataIO::FindStockId(c.code.c_str(), market, true));
    }
}
BENCHMARK(BM_FindStockIdSearchAll);

// The look-up as a scan of the codes, for comparison with the index.
void BM_FindStockByScan(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("the installation maker failed");
        return;
    }
    TDataIO io(0);
    std::vector<Code> codes = AllCodes();
    size_t i = 0;
    for (auto _ : state) {
        const Code &c = codes[i];
        i = (i + 7919) % codes.size();
        TMarketData *md = MarketTable.Markets[c.market];
        int found = -1;
        char code[8] = {};
        for (int k = 0; k < md->StockCount && found < 0; ++k) {
            std::memcpy(code, md->Statics[k].Code, 7);
            if (win::lstrcmpiA(code, c.code.c_str()) == 0)
                found = k;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindStockByScan);

} // namespace
