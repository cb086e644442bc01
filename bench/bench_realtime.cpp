// Real-time quote records applied per second through TRealDataClnt: frame parse,
// stock look-up by code, copy into the quote array, change flags and the change
// ring, for a market of 4,096 stocks, with a frame double that does nothing
// (target: at least 2 million records per second, twice what a 1 Gbit/s link
// carries).
// bench-deps: lumon_core
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

namespace {

constexpr int kStocks = 4096;
constexpr int kRecordsPerFrame = 66; // the most a body below 8192 bytes holds

class SilentFrame : public TFrameServices {
public:
    bool RequestNameTable(int) override { return false; }
};

struct Market {
    Market()
    {
        char temp[win::MAX_PATH] = {};
        win::GetTempPathA(sizeof temp, temp);
        std::snprintf(DataRoot, sizeof DataRoot, "%s", temp);
        MarketInfoRecord info{};
        info.Type = 1;
        std::strcpy(info.Name, "bench");
        std::strcpy(info.Dir, "bench");
        std::strcpy(info.Ext, "bch");
        info.Capacity = kStocks;
        info.ClassCount = 1;
        info.Classes[0].SessionCount = 1;
        info.Classes[0].SessionStart[0] = 570;
        info.Classes[0].SessionEnd[0] = 900;
        data = new TMarketData(0, info);
        for (int i = 0; i < kStocks; ++i) {
            StockStaticRecord &s = data->Statics[i];
            s.Market = 0;
            s.Index = uint16_t(i);
            std::snprintf(s.Code, sizeof s.Code, "%06d", 600000 + i);
        }
        data->StockCount = kStocks;
        data->RebuildCodeIndex();
        MarketTable.Markets[0] = data;
        MarketTable.Count = 1;
        MFrame = &frame;
    }
    ~Market()
    {
        MFrame = nullptr;
        MarketTable.Markets[0] = nullptr;
        MarketTable.Count = 0;
        delete data;
    }
    TMarketData *data;
    SilentFrame frame;
};

// Frames of quote records for random stocks whose prices and volumes move.
std::vector<uint8_t> MakeStream(int frames)
{
    std::mt19937 random(7);
    std::vector<uint8_t> stream;
    std::vector<uint32_t> last(kStocks, 1000);
    std::vector<float> volume(kStocks, 0);
    for (int f = 0; f < frames; ++f) {
        const uint16_t size = uint16_t(kRecordsPerFrame * 124);
        const uint8_t head[10] = {0x40, 8, 1, 0, 0, 0, uint8_t(size), uint8_t(size >> 8), 0, 0};
        stream.insert(stream.end(), head, head + 10);
        for (int r = 0; r < kRecordsPerFrame; ++r) {
            const int i = int(random() % kStocks);
            last[i] += random() % 5;
            volume[i] += float(random() % 1000);
            RealQuoteRecord q{};
            q.PrevClose = 1000;
            q.Last = last[i];
            q.Volume = volume[i];
            q.LastVolume = float(random() % 100);
            q.Bid[0] = {last[i] - 1, 100};
            q.Ask[0] = {last[i] + 1, 100};
            uint8_t record[124] = {};
            std::memcpy(record + 4, &q, 32);
            std::memcpy(record + 36, &q.Bid[0], 80);
            std::snprintf(reinterpret_cast<char *>(record + 116), 8, "%06d", 600000 + i);
            stream.insert(stream.end(), record, record + 124);
        }
    }
    return stream;
}

void BM_ApplyQuoteRecords(benchmark::State &state)
{
    TUtilData util(1);
    Market market;
    TRealDataClnt client(0);
    const std::vector<uint8_t> stream = MakeStream(256);
    int64_t records = 0;
    for (auto _ : state) {
        // Fed in reads of 16 KB, as the socket delivers them.
        for (size_t at = 0; at < stream.size();) {
            const int n = int(std::min<size_t>(16384, stream.size() - at));
            at += size_t(client.FeedFrames(stream.data() + at, n));
        }
        records += 256 * kRecordsPerFrame;
    }
    benchmark::DoNotOptimize(market.data->Quotes[0]);
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_ApplyQuoteRecords)->Unit(benchmark::kMillisecond);

} // namespace
