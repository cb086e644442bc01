// The quote fields of one quote-list redraw: 60 visible rows of 16 columns (the
// quote list's default columns) through TChildView::GetQuoteField, from a market
// of 4,096 stocks with quotes, bid and ask levels and auxiliary figures.
// bench-deps: lumon_shell
#include <cstdio>
#include <cstring>
#include <random>

#include <benchmark/benchmark.h>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/Cview.h"
#include "platform/win/File.h"

namespace {

constexpr int kStocks = 4096;
constexpr unsigned kColumns[16] = {0, 1, 6, 24, 25, 26, 28, 29, 7, 10, 8, 30, 3, 4, 5, 11};

struct Market {
    Market()
    {
        char temp[win::MAX_PATH] = {};
        win::GetTempPathA(sizeof temp, temp);
        std::snprintf(DataRoot, sizeof DataRoot, "%s", temp);
        MarketInfoRecord info{};
        info.Type = 1;
        std::strcpy(info.Dir, "benchq");
        std::strcpy(info.Ext, "bq");
        info.Capacity = kStocks;
        info.ClassCount = 1;
        info.Classes[0].SessionCount = 1;
        info.Classes[0].SessionStart[0] = 570;
        info.Classes[0].SessionEnd[0] = 900;
        data = new TMarketData(0, info);
        std::mt19937 random(3);
        for (int i = 0; i < kStocks; ++i) {
            data->Statics[i].Index = uint16_t(i);
            data->Statics[i].ScaleDivisor = 100;
            RealQuoteRecord &q = data->Quotes[i];
            q.PrevClose = 1000 + random() % 1000;
            q.Open = q.PrevClose + random() % 50;
            q.High = q.Open + random() % 50;
            q.Low = q.PrevClose - random() % 50;
            q.Last = q.Low + random() % 100;
            q.Volume = float(random() % 100000);
            q.Amount = q.Volume * 12.5f;
            q.LastVolume = float(random() % 100);
            for (int k = 0; k < 5; ++k) {
                q.Bid[k] = {q.Last - uint32_t(k + 1), float(random() % 500)};
                q.Ask[k] = {q.Last + uint32_t(k + 1), float(random() % 500)};
            }
            data->Aux[i].Reference = float(random() % 1000);
        }
        data->StockCount = 0; // nothing is written back at the end
        MarketTable.Markets[0] = data;
        MarketTable.Count = 1;
    }
    ~Market()
    {
        MarketTable.Markets[0] = nullptr;
        MarketTable.Count = 0;
        delete data;
    }
    TMarketData *data;
};

void BM_QuoteListRedraw(benchmark::State &state)
{
    static Market market;
    market.data->StockCount = kStocks;
    int first = 0;
    for (auto _ : state) {
        double sum = 0;
        for (int row = 0; row < 60; ++row) {
            StockId id = MakeStockId(0, 0, (first + row * 67) % kStocks);
            for (unsigned column : kColumns) {
                double v;
                if (TChildView::GetQuoteField(id, column, &v))
                    sum += v;
            }
        }
        benchmark::DoNotOptimize(sum);
        first = (first + 1) % kStocks;
    }
    market.data->StockCount = 0;
    state.SetItemsProcessed(state.iterations() * 60 * 16);
}
BENCHMARK(BM_QuoteListRedraw);

} // namespace
