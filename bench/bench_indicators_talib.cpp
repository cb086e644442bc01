// The built-in indicators that TA-Lib also has, side by side with TA-Lib in one
// run: 1,000, 15,000 and 150,000 day bars, each benchmark rotating through 20
// different generated series (one stock each, all held by the day cache), so
// that neither side gains from a branch predictor that has learnt one series.
// TA-Lib computes the same lines as ours: ROC with the two averages it draws,
// DMI's four lines, MACD from (H + L + 2C) / 4, and so on.
//
// Per iteration, on the same series (medians over the iterations):
//   load     the base compute alone: from the cache to the bars in the indicator
//            (reference lines, weights, the bar copy), the series' first since
//            the rotation last came to it;
//   whole    the indicator's whole compute (the load, then its lines);
//   compute  whole less a second load timed after it, the indicator's own loops;
//   talib    TA-Lib's calls on the series as doubles, into the series' own lines;
//   ratio    talib / compute: 1.0 or more when ours is at least as fast.
// TA-Lib's shared library is the one tools/talib/make_goldens.sh leaves in
// build/talib/ (or LUMO_TALIB names it); without it nothing is registered.
// bench-deps: lumon_formula
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchFixtures.h"
#include "lumon/core/DataCache.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"

namespace {

using namespace benchfix;
using Clock = std::chrono::steady_clock;

constexpr int SeriesPerSize = 20;
constexpr int Sizes[] = {1000, 15000, 150000};
constexpr int SizeCount = int(std::size(Sizes));
constexpr int StockCount = SeriesPerSize * SizeCount;

struct Indicator {
    int id;
    const char *name;
    int lines;
    std::vector<int> params;
};

const Indicator Indicators[] = {
    {4, "MA", 6, {5, 10, 20, 30, 60, 120}},
    {86, "ROC", 3, {12, 6, 1}},
    {126, "RAIL", 2, {10, 10}},
    {46, "MTM", 2, {12, 6}},
    {44, "EXPMA", 5, {5, 10, 20, 60, 0}},
    {89, "VRSI", 1, {6}},
    {87, "RSI", 3, {6, 12, 24}},
    {90, "W%R", 2, {10, 6}},
    {83, "CCI", 1, {14}},
    {43, "DMI", 4, {14}},
    {45, "MACD", 3, {12, 26, 9}},
    {122, "BOLL", 3, {20, 1}},
};

// Series s of a size: a random walk of its own seed and step, with stretches
// without trade (every price equal to the last close: flat windows, high =
// low) and runs of limit-up closes, as real histories have.
std::vector<KLineRecord> MakeSeries(int count, unsigned seed)
{
    std::vector<KLineRecord> days = RandomWalkDays(count, seed);
    unsigned r = seed * 2654435761u + 1;
    auto next = [&r] {
        r = r * 1103515245u + 12345u;
        return r >> 8;
    };
    for (int i = 1; i < count; ++i) {
        const unsigned pick = next() % 1000;
        if (pick < 3) { // a halt of 3 to 30 bars
            const int end = std::min(count, i + 3 + int(next() % 28));
            for (; i < end; ++i) {
                const uint32_t c = days[size_t(i) - 1].Close;
                days[size_t(i)].Open = days[size_t(i)].High = days[size_t(i)].Low = days[size_t(i)].Close = c;
            }
        } else if (pick < 5) { // a run of 2 to 6 limit-up days, closing at the high
            const int end = std::min(count, i + 2 + int(next() % 5));
            for (; i < end; ++i) {
                KLineRecord &b = days[size_t(i)];
                const uint32_t prev = days[size_t(i) - 1].Close;
                b.Open = prev;
                b.Close = b.High = prev + prev / 10;
                b.Low = prev;
            }
        }
    }
    // The bars after a halt or a run keep their own prices: the gaps are wanted too.
    return days;
}

std::string Code(int stock)
{
    char code[8];
    std::snprintf(code, sizeof code, "6%05d", stock);
    return code;
}

StockId StockOf(int z, int series)
{
    return MakeStockId(0, 0, z * SeriesPerSize + series);
}

// A market of 60 stocks: 20 series of each size; the indicators' definitions;
// room for 150,000 bars; a day cache that holds every stock.
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    state = -1;
    std::filesystem::path root = FreshInstallation("lumo-bench-indicators-talib");
    MarketInfoRecord market = ShMarket(1);
    market.Capacity = 64;
    WriteFile(root / "CFG" / "mkinfo.cfg", std::vector<MarketInfoRecord>{market});
    std::vector<StockStaticRecord> stocks(StockCount);
    for (int k = 0; k < StockCount; ++k) {
        std::strcpy(stocks[size_t(k)].Code, Code(k).c_str());
        stocks[size_t(k)].ScaleDivisor = 100;
        stocks[size_t(k)].Decimals = 2;
    }
    WriteFile(root / "data" / "sh" / "nametbl.shm", stocks);
    for (int z = 0; z < SizeCount; ++z)
        for (int s = 0; s < SeriesPerSize; ++s)
            WriteFile(root / "data" / "sh" / "day" / (Code(z * SeriesPerSize + s) + ".day"),
                      MakeSeries(Sizes[z], 1000u + 37u * unsigned(s)));
    WriteText(root / "CFG" / "SETTING.INI", "[Parameter]\r\nMaxDataRecords=151000\r\n");
    WriteIndicatorTables(root, Indicators);
    if (!OpenInstallation(root))
        return false;
    // The pool's day cache keeps the last few stocks; this one keeps them all,
    // so that the load is always from the cache.
    delete DayDataCache;
    DayDataCache = new TDayDataCache(StockCount + 4);
    if (MarketTable.Count != 1 || !LoadIndexDefinitions("Guest") || MaxDataRecords < Sizes[SizeCount - 1])
        return false;
    state = 1;
    return true;
}

// TA-Lib's functions, looked up in its shared library.
using FnP = int (*)(int, int, const double *, int, int *, int *, double *);
using FnHlcP = int (*)(int, int, const double *, const double *, const double *, int, int *, int *, double *);
using FnHlc = int (*)(int, int, const double *, const double *, const double *, int *, int *, double *);
using FnBands = int (*)(int, int, const double *, int, double, double, int, int *, int *, double *, double *,
                        double *);
using FnMacd = int (*)(int, int, const double *, int, int, int, int *, int *, double *, double *, double *);

struct TaLib {
    FnP sma, ema, roc, mom, rsi;
    FnHlcP willr, cci, plusDi, minusDi, adx, adxr;
    FnHlc wclPrice;
    FnBands bbands;
    FnMacd macd;
};

const TaLib *LoadTaLib()
{
    static std::unique_ptr<TaLib> lib;
    static bool tried = false;
    if (tried)
        return lib.get();
    tried = true;
    void *h = OpenTaLib();
    if (!h)
        return nullptr;
    auto t = std::make_unique<TaLib>();
    auto sym = [h](const char *name) { return dlsym(h, name); };
    t->sma = reinterpret_cast<FnP>(sym("TA_SMA"));
    t->ema = reinterpret_cast<FnP>(sym("TA_EMA"));
    t->roc = reinterpret_cast<FnP>(sym("TA_ROC"));
    t->mom = reinterpret_cast<FnP>(sym("TA_MOM"));
    t->rsi = reinterpret_cast<FnP>(sym("TA_RSI"));
    t->willr = reinterpret_cast<FnHlcP>(sym("TA_WILLR"));
    t->cci = reinterpret_cast<FnHlcP>(sym("TA_CCI"));
    t->plusDi = reinterpret_cast<FnHlcP>(sym("TA_PLUS_DI"));
    t->minusDi = reinterpret_cast<FnHlcP>(sym("TA_MINUS_DI"));
    t->adx = reinterpret_cast<FnHlcP>(sym("TA_ADX"));
    t->adxr = reinterpret_cast<FnHlcP>(sym("TA_ADXR"));
    t->wclPrice = reinterpret_cast<FnHlc>(sym("TA_WCLPRICE"));
    t->bbands = reinterpret_cast<FnBands>(sym("TA_BBANDS"));
    t->macd = reinterpret_cast<FnMacd>(sym("TA_MACD"));
    if (!t->sma || !t->ema || !t->roc || !t->mom || !t->rsi || !t->willr || !t->cci || !t->plusDi ||
        !t->minusDi || !t->adx || !t->adxr || !t->wclPrice || !t->bbands || !t->macd)
        return nullptr;
    if (auto init = reinterpret_cast<int (*)()>(sym("TA_Initialize")))
        init();
    lib = std::move(t);
    return lib.get();
}

// One series as TA-Lib takes it: the bars the indicator loaded, in doubles.
struct Inputs {
    std::vector<double> high, low, close, volume;
};

Inputs ToDoubles(const TIndex &index)
{
    Inputs in;
    for (int i = 0; i < index.RecordCount; ++i) {
        const KLineRecord &b = index.Records[i];
        in.high.push_back(b.High / 100.0);
        in.low.push_back(b.Low / 100.0);
        in.close.push_back(b.Close / 100.0);
        in.volume.push_back(b.Volume);
    }
    return in;
}

// TA-Lib's calls that compute the lines of indicator id; out holds 4 lines.
void TaLibLines(const TaLib &t, int id, const Inputs &in, std::vector<double> *out)
{
    const int n = int(in.close.size());
    const double *h = in.high.data(), *l = in.low.data(), *c = in.close.data();
    double *a = out[0].data(), *b = out[1].data(), *d = out[2].data(), *e = out[3].data();
    int beg = 0, nb = 0;
    switch (id) {
    case 4:
        for (int p : {5, 10, 20, 30, 60, 120})
            t.sma(0, n - 1, c, p, &beg, &nb, a);
        break;
    case 86: // ROC, its average and the average of its absolute value
        t.roc(0, n - 1, c, 12, &beg, &nb, a);
        t.sma(0, nb - 1, a, 6, &beg, &nb, b);
        for (int i = 0; i < n - 12; ++i)
            d[i] = std::fabs(a[i]);
        t.sma(0, n - 13, d, 6, &beg, &nb, e);
        break;
    case 126:
        t.sma(0, n - 1, h, 10, &beg, &nb, a);
        t.sma(0, n - 1, l, 10, &beg, &nb, b);
        break;
    case 46:
        t.mom(0, n - 1, c, 12, &beg, &nb, a);
        t.sma(0, nb - 1, a, 6, &beg, &nb, b);
        break;
    case 44:
        for (int p : {5, 10, 20, 60})
            t.ema(0, n - 1, c, p, &beg, &nb, a);
        break;
    case 89:
        t.rsi(0, n - 1, in.volume.data(), 6, &beg, &nb, a);
        break;
    case 87:
        for (int p : {6, 12, 24})
            t.rsi(0, n - 1, c, p, &beg, &nb, a);
        break;
    case 90:
        t.willr(0, n - 1, h, l, c, 10, &beg, &nb, a);
        t.willr(0, n - 1, h, l, c, 6, &beg, &nb, b);
        break;
    case 83:
        t.cci(0, n - 1, h, l, c, 14, &beg, &nb, a);
        break;
    case 43:
        t.plusDi(0, n - 1, h, l, c, 14, &beg, &nb, a);
        t.minusDi(0, n - 1, h, l, c, 14, &beg, &nb, b);
        t.adx(0, n - 1, h, l, c, 14, &beg, &nb, d);
        t.adxr(0, n - 1, h, l, c, 14, &beg, &nb, e);
        break;
    case 45: // from (H + L + 2C) / 4
        t.wclPrice(0, n - 1, h, l, c, &beg, &nb, d);
        t.macd(0, n - 1, d, 12, 26, 9, &beg, &nb, a, b, e);
        break;
    case 122:
        t.bbands(0, n - 1, c, 20, 1.0, 1.0, 0, &beg, &nb, a, b, d);
        break;
    }
}

double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double Median(std::vector<double> &v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void BM_VsTaLib(benchmark::State &state, int id, int z)
{
    const TaLib *t = LoadTaLib();
    if (!Ready() || !t) {
        state.SkipWithError("no installation or no TA-Lib");
        return;
    }
    std::vector<std::unique_ptr<TIndex>> indexes;
    std::vector<Inputs> inputs;
    for (int s = 0; s < SeriesPerSize; ++s) {
        TIndex *index = nullptr;
        if (!CreateIndex(index, id, StockOf(z, s), 0) || !index->Compute() || index->RecordCount < 100) {
            delete index;
            state.SkipWithError("no indicator");
            return;
        }
        indexes.emplace_back(index);
        inputs.push_back(ToDoubles(*index));
    }
    // Each series has its own four output lines, as each of our indicators has
    // its own lines: neither side writes into lines the previous series left
    // in the cache.
    std::vector<std::vector<double>> outs(size_t(SeriesPerSize) * 4);
    for (auto &o : outs)
        o.assign(inputs[0].close.size() + 16, 0.0);
    // Medians, not means: the load makes system calls, and one slow call on a
    // busy machine would move a mean by more than a compute takes. The load
    // figure is the first load of a series not touched for 20 iterations; the
    // compute is the whole compute that follows less a second load, both
    // with the bars in the processor's cache, as TA-Lib's inputs are (read
    // once before its calls).
    std::vector<double> load, whole, again, talib;
    int s = 0;
    double touched = 0;
    for (auto _ : state) {
        TIndex &index = *indexes[size_t(s)];
        const Inputs &in = inputs[size_t(s)];
        const auto t0 = Clock::now();
        bool ok = index.TIndex::Compute();
        const auto t1 = Clock::now();
        ok = index.Compute() && ok;
        const auto t2 = Clock::now();
        ok = index.TIndex::Compute() && ok;
        const auto t3 = Clock::now();
        for (size_t i = 0; i < in.close.size(); i += 8)
            touched += in.high[i] + in.low[i] + in.close[i] + in.volume[i];
        const auto t4 = Clock::now();
        std::vector<double> *out = &outs[size_t(s) * 4];
        TaLibLines(*t, id, in, out);
        const auto t5 = Clock::now();
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(touched);
        benchmark::DoNotOptimize(out[0].data());
        benchmark::DoNotOptimize(out[1].data());
        benchmark::ClobberMemory();
        load.push_back(Micros(t1 - t0));
        whole.push_back(Micros(t2 - t1));
        again.push_back(Micros(t3 - t2));
        talib.push_back(Micros(t5 - t4));
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
        s = (s + 1) % SeriesPerSize;
    }
    const double loadTime = Median(load), wholeTime = Median(whole), warmLoad = Median(again);
    const double ours = std::max(wholeTime - warmLoad, 1e-3), theirs = Median(talib);
    state.counters["bars"] = indexes[0]->RecordCount;
    state.counters["load_us"] = loadTime;
    state.counters["whole_us"] = wholeTime;
    state.counters["compute_us"] = ours;
    state.counters["talib_us"] = theirs;
    state.counters["ratio"] = theirs / ours;
    state.counters["ratio_whole"] = theirs / wholeTime;
}

const bool Registered = [] {
    if (!LoadTaLib())
        return false;
    for (int z = 0; z < SizeCount; ++z)
        for (const Indicator &x : Indicators)
            benchmark::RegisterBenchmark((std::string("VsTaLib/") + x.name + "/" + std::to_string(Sizes[z])).c_str(),
                                         BM_VsTaLib, x.id, z)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
    return true;
}();

} // namespace
