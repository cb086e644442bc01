// Reading history: 15,000 day bars read cold (a new buffer and a file whose pages
// were dropped from the page cache just before) and warm; a cached fetch of the
// day bars and of today's 1-minute bars while the market trades with 30,000 ticks
// in the tick file; a probe for a missing file, as every compute makes for the
// reference lines and the weights; grouping 15,000 days into weeks and months.
// bench-deps: lumon_core
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchFixtures.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/History.h"
#include "lumon/core/UtilData.h"

namespace {

using namespace benchfix;

constexpr int DayRecords = 15000;
constexpr int TickRecords = 30000;
constexpr int ColdFiles = 64;

// The code of cold file i.
std::string ColdCode(int i)
{
    char code[16];
    std::snprintf(code, sizeof code, "9%05d", 10000 + i);
    return code;
}

std::vector<KLineRecord> Days()
{
    std::vector<KLineRecord> days;
    PackedDateTime t = MakePackedDateTime(1950, 1, 2, 0, 0);
    for (int i = 0; i < DayRecords; ++i, t = NextDay(t)) {
        KLineRecord b{};
        b.Time = t;
        b.Open = b.Close = 1000 + uint32_t(i % 97);
        b.High = b.Close + 5;
        b.Low = b.Close - 5;
        b.Volume = float(1000 + i % 13);
        b.Amount = float(100000 + i);
        days.push_back(b);
    }
    return days;
}

// An installation of one market (stocks trading 09:30-11:30 and 13:00-15:00)
// in the temporary folder, worked on from its bin/; no registry value is
// written: the data root is the default "..\".
bool Ready()
{
    static int state = 0;
    if (state)
        return state > 0;
    std::filesystem::path root = FreshInstallation("lumo-bench-history");

    MarketInfoRecord market = ShMarket(1);
    market.HourOffset = 8;
    ClassRecord &cls = market.Classes[0];
    cls.SessionCount = 2;
    cls.SessionStart[0] = 570;
    cls.SessionEnd[0] = 690;
    cls.SessionStart[1] = 780;
    cls.SessionEnd[1] = 900;
    WriteFile(root / "cfg" / "mkinfo.cfg", std::vector<MarketInfoRecord>{market});
    std::vector<StockStaticRecord> stocks(1);
    std::strcpy(stocks[0].Code, "600000");
    stocks[0].ScaleDivisor = 100;
    stocks[0].VolumeUnit = 100;
    WriteFile(root / "data" / "sh" / "nametbl.shm", stocks);

    std::vector<KLineRecord> days = Days();
    WriteFile(root / "data" / "sh" / "day" / "600000.day", days);
    for (int i = 0; i < ColdFiles; ++i)
        WriteFile(root / "data" / "sh" / "day" / (ColdCode(i) + ".day"), days);
    std::vector<TickRecord> ticks;
    for (int i = 0; i < TickRecords; ++i) {
        TickRecord t{};
        int elapsed = i * 240 / TickRecords;
        int clock = elapsed < 120 ? 570 + elapsed : 780 + elapsed - 120;
        t.Time = MakePackedDateTime(2006, 12, 8, clock / 60, clock % 60);
        t.Price = 1000 + uint32_t(i % 31);
        t.Volume = float(100 * (i + 1));
        t.Amount = float(10000 * (i + 1));
        ticks.push_back(t);
    }
    WriteFile(root / "data" / "sh" / "tick" / "600000.tik", ticks);

    if (!OpenInstallation(root)) {
        state = -1;
        return false;
    }
    state = MarketTable.Count == 1 && MarketTable.Markets[0]->StockCount == 1 ? 1 : -1;
    return state > 0;
}

void SetTrading(bool trading)
{
    TMarketData &md = *MarketTable.Markets[0];
    md.Now = MakePackedDateTime(2006, 12, 8, 14, 59);
    md.ClockMinute = 14 * 60 + 59;
    RealQuoteRecord &q = md.Quotes[0];
    q.Open = q.High = q.Low = 1000;
    q.Last = trading ? 1010 : 0;
}

// Writes the file's pages out and drops them from the page cache, so that the
// next read comes from the disk.
bool DropFromPageCache(const std::filesystem::path &path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok;
}

void BM_ReadBarsDayCold(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    SetTrading(false);
    TDataIO::SetMergeRealTime(0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumo-bench-history" / "data" / "sh" / "day";
    int file = 0;
    for (auto _ : state) {
        std::string code = ColdCode(file);
        file = (file + 1) % ColdFiles;
        state.PauseTiming();
        if (!DropFromPageCache(folder / (code + ".day")))
            state.SkipWithError("the file's pages could not be dropped");
        state.ResumeTiming();
        KLineRecord *bars = nullptr;
        int count = 0;
        TDataIO::ReadBars(bars, 0, code.c_str(), count, PeriodDay, MaxDataRecords, 0, 0);
        benchmark::DoNotOptimize(bars);
        if (count != DayRecords - 1)
            state.SkipWithError("unexpected bar count");
        EMemFree(bars);
    }
}
BENCHMARK(BM_ReadBarsDayCold)->Unit(benchmark::kMicrosecond);

void BM_ReadBarsDayWarm(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    SetTrading(false);
    TDataIO::SetMergeRealTime(0);
    KLineRecord *bars = nullptr;
    int count = 0;
    TDataIO::ReadBars(bars, 0, "600000", count, PeriodDay, MaxDataRecords, 0, 0);
    for (auto _ : state) {
        TDataIO::ReadBars(bars, 0, "600000", count, PeriodDay, MaxDataRecords, 0, 0);
        benchmark::DoNotOptimize(bars);
    }
    EMemFree(bars);
}
BENCHMARK(BM_ReadBarsDayWarm)->Unit(benchmark::kMicrosecond);

void BM_CachedFetchWhileTrading(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    SetTrading(true);
    TDataPool pool;
    KLineRecord *bars = nullptr;
    int count = 0;
    GetBarsCached(bars, 0, "600000", count, PeriodMin1, 0, 0, 0);
    for (auto _ : state) {
        GetBarsCached(bars, 0, "600000", count, PeriodMin1, 0, 0, 0);
        benchmark::DoNotOptimize(bars);
    }
    if (count < 200)
        state.SkipWithError("today's bars are missing");
    EMemFree(bars);
    SetTrading(false);
}
BENCHMARK(BM_CachedFetchWhileTrading)->Unit(benchmark::kMicrosecond);

void BM_CachedFetchDay(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    SetTrading(false);
    TDataPool pool;
    KLineRecord *bars = nullptr;
    int count = 0;
    for (auto _ : state) {
        GetBarsCached(bars, 0, "600000", count, PeriodDay, MaxDataRecords, 0, 0);
        benchmark::DoNotOptimize(bars);
    }
    state.counters["bars"] = count;
    EMemFree(bars);
}
BENCHMARK(BM_CachedFetchDay)->Unit(benchmark::kMicrosecond);

// Opening a file that does not exist, by the upper-case name the flat files use,
// in a folder that has not changed for a while.
void BM_ProbeMissingFile(benchmark::State &state)
{
    if (!Ready()) {
        state.SkipWithError("no installation");
        return;
    }
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "lumo-bench-history";
    for (const char *folder : {"", "cfg", "data", "data/sh", "data/sh/weight"}) {
        std::filesystem::create_directories(root / folder);
        std::filesystem::last_write_time(root / folder, old);
    }
    for (auto _ : state) {
        int h = FileOpen("..\\CFG\\REFLINE.DAT", "rb");
        int w = FileOpen("..\\data\\sh\\weight\\600000.wgt", "rb");
        benchmark::DoNotOptimize(h + w);
    }
}
BENCHMARK(BM_ProbeMissingFile)->Unit(benchmark::kMicrosecond);

void Aggregate(benchmark::State &state, int period)
{
    std::vector<KLineRecord> days = Days();
    std::vector<KLineRecord> out(days.size());
    int count = 0;
    for (auto _ : state) {
        AggregateBars(period, days.data(), int(days.size()), out.data(), count, 1);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bars"] = count;
}

void BM_AggregateWeeks(benchmark::State &state)
{
    Aggregate(state, 9);
}
BENCHMARK(BM_AggregateWeeks)->Unit(benchmark::kMicrosecond);

void BM_AggregateMonths(benchmark::State &state)
{
    Aggregate(state, 10);
}
BENCHMARK(BM_AggregateMonths)->Unit(benchmark::kMicrosecond);

} // namespace
