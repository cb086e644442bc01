// Formulas: compiling a 30-line formula; a formula MA(C,5)-MA(C,10) over 15,000
// day bars beside the price pane's built-in averages of 5 and 10 bars over the
// same bars (the formula should stay within three times the built-in); and a
// formula EMA(C,12) over 15,000 bars.
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
#include "lumon/formula/TCompiler.h"
#include "lumon/formula/TIndex.h"

namespace {

using namespace benchfix;

constexpr int DayRecords = 15000;

IndexDefinition Def(int id, int kind, int lines, const char *file)
{
    IndexDefinition d{};
    d.Id = uint16_t(id);
    d.Kind = uint16_t(kind);
    d.LineCount = uint16_t(lines);
    std::strcpy(d.Name, "IDX");
    std::strcpy(d.FormulaFile, file);
    return d;
}

// 30 statements over parameters, variables and every kind of function.
std::string ThirtyLines()
{
    std::string text = "INDEXDEF\r\nNAME: BENCH\r\nEND\r\nPARAM\r\nN1 1 100 5\r\nN2 1 100 10\r\nEND\r\n"
                       "RESULT\r\nA LINE\r\nB LINE\r\nC BAR\r\nEND\r\nVAR\r\nV1\r\nV2\r\nEND\r\nBEGIN\r\n";
    const char *const lines[] = {
        "V1 = MA(CLOSE, N1) - MA(CLOSE, N2)",          "V2 = IF(REF(CLOSE, 0) > REF(OPEN, 0), 1, 0 - 1)",
        "A = EMA(CLOSE, 12) - EMA(CLOSE, 26)",         "B = EMA(A, 9)",
        "C = 2 * (A - B)",                             "V1 = V1 + SUM(VOLUME, 5) / 1000",
        "V2 = NMAX(HIGH, 9) - NMIN(LOW, 9)",           "A = A + IF(V2 > 0, V1 / V2, 0)",
        "B = B * 0.5 + REF(B, 1) * 0.5",               "C = C + STDEX(CLOSE, 20) / 10",
    };
    for (int i = 0; i < 30; ++i)
        text += std::string(lines[i % 10]) + "\r\n";
    return text + "END\r\n";
}

bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    std::filesystem::path root = FreshInstallation("lumo-bench-formula");
    WriteOneStockMarket(root);
    std::vector<KLineRecord> days = RandomWalkDays(DayRecords, 7);
    for (KLineRecord &b : days) { // a narrower range than the walk's own
        b.High = std::max(b.Open, b.Close) + 3;
        b.Low = std::min(b.Open, b.Close) - 3;
    }
    WriteFile(root / "data" / "sh" / "day" / "600000.day", days);
    WriteFile(root / "CFG" / "INDEX.DAT",
              std::vector<IndexDefinition>{Def(3, 1, 6, ""), Def(500, IndexKindFormula, 1, "MADIFF.TXT"),
                                           Def(501, IndexKindFormula, 1, "EMA12.TXT")});
    std::vector<IndexParamBlock> params(3);
    for (auto &s : params[0].Set) {
        s[0] = 5;
        s[1] = 10;
    }
    WriteFile(root / "CFG" / "IDXPARA.TBL", params);
    WriteText(root / "CFG" / "MADIFF.TXT",
              "RESULT\r\nDIFF LINE\r\nEND\r\nBEGIN\r\nDIFF = MA(CLOSE, 5) - MA(CLOSE, 10)\r\nEND\r\n");
    WriteText(root / "CFG" / "EMA12.TXT", "RESULT\r\nE LINE\r\nEND\r\nBEGIN\r\nE = EMA(CLOSE, 12)\r\nEND\r\n");
    if (!OpenInstallation(root)) {
        state = -1;
        return false;
    }
    state = MarketTable.Count == 1 && LoadIndexDefinitions("Guest") ? 1 : -1;
    return state > 0;
}

void BM_CompileThirtyLines(benchmark::State &state)
{
    std::string text = ThirtyLines();
    TCompiler compiler;
    for (auto _ : state) {
        compiler.Reset();
        compiler.SetSource(text.c_str());
        compiler.Compile();
        benchmark::DoNotOptimize(compiler.Errors.ErrorCount);
    }
    if (compiler.Errors.ErrorCount)
        state.SkipWithError("the formula has errors");
}
BENCHMARK(BM_CompileThirtyLines)->Unit(benchmark::kMicrosecond);

// Arg: the indicator id (3 the price pane's averages, 500 the formula
// MA(C,5)-MA(C,10), 501 the formula EMA(C,12)).
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
BENCHMARK(BM_Compute)->Arg(3)->Arg(500)->Arg(501)->Unit(benchmark::kMicrosecond);

} // namespace
