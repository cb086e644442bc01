// Built-in indicators of the trend, oscillator, volume and band families: each
// one's compute over 15,000 day bars (read through the warm day cache, as a
// chart's recompute does), in bars per second. Where TA-Lib has the same
// indicator and tools/talib/make_goldens.sh has left its shared library in
// build/talib/ (or LUMO_TALIB names it), TA-Lib's figure on the same series is
// measured beside it; otherwise the comparison is skipped.
// bench-deps: lumon_formula
#include <benchmark/benchmark.h>
#include <dlfcn.h>

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
    std::vector<IndexDefinition> defs;
    std::vector<IndexParamBlock> params;
    for (const Indicator &x : Indicators) {
        IndexDefinition d{};
        d.Id = uint16_t(x.id);
        d.Kind = 1;
        d.LineCount = uint16_t(x.lines);
        std::strcpy(d.Name, x.name);
        defs.push_back(d);
        IndexParamBlock p{};
        for (auto &s : p.Set)
            std::copy(x.params.begin(), x.params.end(), s);
        params.push_back(p);
    }
    WriteFile(root / "CFG" / "INDEX.DAT", defs);
    WriteFile(root / "CFG" / "IDXPARA.TBL", params);
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

// TA-Lib's functions, looked up in its shared library when it was built.
using Fn1 = int (*)(int, int, const double *, int, int *, int *, double *);
using Fn3 = int (*)(int, int, const double *, const double *, const double *, int, int *, int *, double *);
using FnBands = int (*)(int, int, const double *, int, double, double, int, int *, int *, double *, double *,
                        double *);
using FnMacd = int (*)(int, int, const double *, int, int, int, int *, int *, double *, double *, double *);

struct TaLib {
    Fn1 rsi = nullptr, roc = nullptr, ema = nullptr;
    Fn3 cci = nullptr, willr = nullptr, adx = nullptr, plusDi = nullptr, minusDi = nullptr;
    FnBands bbands = nullptr;
    FnMacd macd = nullptr;
    std::vector<double> high, low, close, price;
};

const TaLib *LoadTaLib()
{
    static std::unique_ptr<TaLib> lib;
    static bool tried = false;
    if (tried)
        return lib.get();
    tried = true;
    void *handle = OpenTaLib();
    if (!handle)
        return nullptr;
    auto t = std::make_unique<TaLib>();
    t->rsi = reinterpret_cast<Fn1>(dlsym(handle, "TA_RSI"));
    t->roc = reinterpret_cast<Fn1>(dlsym(handle, "TA_ROC"));
    t->ema = reinterpret_cast<Fn1>(dlsym(handle, "TA_EMA"));
    t->cci = reinterpret_cast<Fn3>(dlsym(handle, "TA_CCI"));
    t->willr = reinterpret_cast<Fn3>(dlsym(handle, "TA_WILLR"));
    t->adx = reinterpret_cast<Fn3>(dlsym(handle, "TA_ADX"));
    t->plusDi = reinterpret_cast<Fn3>(dlsym(handle, "TA_PLUS_DI"));
    t->minusDi = reinterpret_cast<Fn3>(dlsym(handle, "TA_MINUS_DI"));
    t->bbands = reinterpret_cast<FnBands>(dlsym(handle, "TA_BBANDS"));
    t->macd = reinterpret_cast<FnMacd>(dlsym(handle, "TA_MACD"));
    if (!t->rsi || !t->roc || !t->ema || !t->cci || !t->willr || !t->adx || !t->plusDi || !t->minusDi ||
        !t->bbands || !t->macd)
        return nullptr;
    for (const KLineRecord &b : Days()) {
        t->high.push_back(b.High / 100.0);
        t->low.push_back(b.Low / 100.0);
        t->close.push_back(b.Close / 100.0);
        t->price.push_back((double(b.High) + b.Low + 2.0 * b.Close) / 100.0 * 0.25);
    }
    lib = std::move(t);
    return lib.get();
}

// The TA-Lib counterpart of each indicator, computing the same lines.
void BM_TaLib(benchmark::State &state, int id)
{
    const TaLib *t = LoadTaLib();
    const int n = DayRecords;
    std::vector<double> a(n), b(n), c(n), d(n);
    int beg = 0, count = 0;
    const double *h = t->high.data(), *l = t->low.data(), *cl = t->close.data();
    for (auto _ : state) {
        switch (id) {
        case 87:
            for (int p : {6, 12, 24})
                t->rsi(0, n - 1, cl, p, &beg, &count, a.data());
            break;
        case 90:
            t->willr(0, n - 1, h, l, cl, 10, &beg, &count, a.data());
            t->willr(0, n - 1, h, l, cl, 6, &beg, &count, b.data());
            break;
        case 83:
            t->cci(0, n - 1, h, l, cl, 14, &beg, &count, a.data());
            break;
        case 86:
            t->roc(0, n - 1, cl, 12, &beg, &count, a.data());
            break;
        case 45: // the two averages of (H + L + 2C) / 4 and the signal line
            t->macd(0, n - 1, t->price.data(), 12, 26, 9, &beg, &count, a.data(), b.data(), c.data());
            break;
        case 122:
            t->bbands(0, n - 1, cl, 20, 1.0, 1.0, 0, &beg, &count, a.data(), b.data(), c.data());
            break;
        case 43:
            t->plusDi(0, n - 1, h, l, cl, 14, &beg, &count, a.data());
            t->minusDi(0, n - 1, h, l, cl, 14, &beg, &count, b.data());
            t->adx(0, n - 1, h, l, cl, 14, &beg, &count, c.data());
            break;
        }
        benchmark::DoNotOptimize(a.data());
        benchmark::ClobberMemory();
    }
    state.counters["bars/s"] = benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}

const bool Registered = [] {
    for (const Indicator &x : Indicators)
        benchmark::RegisterBenchmark((std::string("Compute/") + x.name).c_str(), BM_Compute, x.id)
            ->Unit(benchmark::kMicrosecond);
    if (LoadTaLib()) {
        for (const Indicator &x : Indicators)
            if (x.id == 87 || x.id == 90 || x.id == 83 || x.id == 86 || x.id == 45 || x.id == 122 || x.id == 43)
                benchmark::RegisterBenchmark((std::string("TaLib/") + x.name).c_str(), BM_TaLib, x.id)
                    ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
