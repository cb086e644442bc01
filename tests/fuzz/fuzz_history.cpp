// History and tick files of any content: the first bytes choose the period, the
// merge flag and the market clock, the rest is split between the bar files (day,
// 5-minute, 1-minute) and the tick files (today and earlier days); every reader,
// builder and the caches run over them.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/History.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

namespace {

void Spit(const char *path, const uint8_t *data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
}

TMarketData *Prepare()
{
    static TMarketData *market = nullptr;
    if (market)
        return market;
    namespace fs = std::filesystem;
    for (const char *dir : {"history/bin", "history/CFG", "history/data/m/day", "history/data/m/min",
                            "history/data/m/min1", "history/data/m/tick"})
        fs::create_directories(dir);
    win::SetCurrentDirectoryA("history/bin");
    static TUtilData util(1);
    MarketInfoRecord info{};
    info.Type = 2;
    std::strcpy(info.Dir, "m");
    std::strcpy(info.Ext, "n");
    info.Capacity = 4;
    info.ClassCount = 2;
    for (int c = 0; c < 2; ++c) {
        info.Classes[c].IsIndex = c == 0;
        info.Classes[c].SessionCount = 2;
        info.Classes[c].SessionStart[0] = 570;
        info.Classes[c].SessionEnd[0] = 690;
        info.Classes[c].SessionStart[1] = 780;
        info.Classes[c].SessionEnd[1] = 900;
    }
    std::ofstream("../CFG/mkinfo.cfg", std::ios::binary).write(reinterpret_cast<const char *>(&info), sizeof info);
    StockStaticRecord stock{};
    std::strcpy(stock.Code, "S");
    stock.Class = 1;
    stock.ScaleDivisor = 100;
    std::ofstream("../data/m/nametbl.n", std::ios::binary).write(reinterpret_cast<const char *>(&stock), sizeof stock);
    static TDataIO io(0);
    static TDataPool pool;
    market = MarketTable.Markets[0];
    return market;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    TMarketData *md = Prepare();
    if (!md || md->StockCount != 1)
        __builtin_trap();
    int period = data[0] % 14;
    TDataIO::SetMergeRealTime(data[0] & 0x80 ? 1 : 0);
    md->Info.Type = data[0] & 0x40 ? 1 : 2;
    int clock = 500 + data[1] * 2;
    md->ClockMinute = uint16_t(clock);
    md->Now = MakePackedDateTime(2006, 12, 4 + data[2] % 7, clock / 60, clock % 60);
    RealQuoteRecord &q = md->Quotes[0];
    q.PrevClose = data[3] & 1 ? 0 : 1000;
    q.Open = q.High = q.Low = q.Last = data[3] & 2 ? 0 : 1001;
    q.Volume = 5000;

    size_t split = (size - 4) / 2;
    const uint8_t *bars = data + 4, *ticks = data + 4 + split;
    size_t barBytes = split, tickBytes = size - 4 - split;
    Spit("../data/m/day/S.day", bars, barBytes);
    Spit("../data/m/min/S.min", bars, barBytes);
    Spit("../data/m/min1/S.m1", bars, barBytes);
    Spit("../data/m/tick/S.tik", ticks, tickBytes);
    Spit("../data/m/tick/S.tck", ticks, tickBytes);

    KLineRecord *out = nullptr;
    int count = 0;
    TDataIO::ReadBars(out, 0, "S", count, period, MaxDataRecords, 0, 0);
    if (count < 0 || (count > 0 && size_t(count) * sizeof(KLineRecord) > EMemSize(out)))
        __builtin_trap();
    GetBarsCached(out, 0, "S", count, period, data[2], 1, 0);
    for (int kind : {1, 4, 8}) {
        int n = count;
        if (out)
            md->MergeRealTimeBars(out, "S", n, kind);
    }
    EMemFree(out);

    StockId id = MakeStockId(0, 1, 0);
    KLineRecord built[600];
    int n = 600;
    TDataIO::BuildMin1FromTicks(built, id, n);
    n = 120;
    TDataIO::BuildMin5FromTicks(built, id, n);

    TickRecord *tickBuffer = nullptr;
    int tickCount = 0;
    TDataIO::ReadTicks(tickBuffer, id, tickCount, 0);
    KLineRecord *trend = static_cast<KLineRecord *>(EMemAlloc(1450 * sizeof(KLineRecord)));
    if (md->BuildTrendFromTicks(id, tickBuffer, trend, tickCount, 1450) > 1450)
        __builtin_trap();
    EMemFree(trend);
    TDataIO::ReadTickHistory(tickBuffer, id, tickCount);
    int k = data[2] % 4;
    TDataIO::ReadDayTrend(tickBuffer, id, tickCount, k);
    EMemFree(tickBuffer);

    uint8_t weight[36];
    FindRecordOnOrBeforeDate(bars, int(barBytes / 36), md->Now, weight);
    return 0;
}
