// The query pages' heavy paths: the deals merge of 10,000 deals by its key
// index, beside the pairwise scan the merge replaces (same rows, same order);
// and the positions page refreshed with 1,000 rows.
// bench-deps: consign_pages Qt6::Widgets
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "consign/pages/CQDealPage.h"
#include "consign/pages/CQPositionPage.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/appframe/CWinApp.h"
#include "platform/win/MessageBox.h"
#include "bench/ConsignBench.h"

using namespace win;

namespace {

namespace D = DealField;

void EnsureGui()
{
    benchfix::EnsureConsignGui("bench_query_pages", "查询基准");
    benchfix::UseBenchSettings("bench_query_pages.ini", "[Config]\r\n");
}

// 10,000 deals of 2,000 orders, each order dealt at one of two prices.
std::list<CDealRecord> Deals()
{
    std::list<CDealRecord> deals;
    for (int i = 0; i < 10000; ++i) {
        CDealRecord d{};
        const int order = i % 2000;
        std::snprintf(reinterpret_cast<char *>(d.data + D::customer), 10, "%08d", 10000000 + order % 40);
        std::memcpy(d.data + D::contract, "cu2512", 6);
        std::snprintf(reinterpret_cast<char *>(d.data + D::price), 8, "%d", 62000 + (i / 2000) % 2);
        std::snprintf(reinterpret_cast<char *>(d.data + D::system), 11, "%08d", order);
        std::snprintf(reinterpret_cast<char *>(d.data + D::dealNumber), 11, "%06d", i);
        SetRecordNumber(d.data, D::number, order + 1);
        SetRecordNumber(d.data, (order & 1) ? D::bought : D::sold, 1 + i % 3);
        d.data[D::openClose] = '0';
        d.data[D::hedge] = '0';
        deals.push_back(d);
    }
    return deals;
}

// The merge as a scan of every later deal for each deal left.
void PairwiseMerge(const std::list<CDealRecord> &deals, std::list<CDealRecord> &merged)
{
    merged = deals;
    struct Keyed {
        CDealRecord *deal;
        std::string key;
    };
    auto key = [](const CDealRecord &d) {
        std::string k(reinterpret_cast<const char *>(d.data), sizeof d.data);
        // Volumes and deal number are not part of the key; the direction is.
        const bool sell = RecordNumber(d.data, D::sold) > RecordNumber(d.data, D::bought);
        std::memset(k.data() + D::bought, 0, 8);
        std::memset(k.data() + D::dealNumber, 0, 11);
        k.push_back(sell ? 's' : 'b');
        return k;
    };
    for (auto a = merged.begin(); a != merged.end(); ++a) {
        const std::string ka = key(*a);
        for (auto b = std::next(a); b != merged.end();) {
            if (key(*b) != ka) {
                ++b;
                continue;
            }
            SetRecordNumber(a->data, D::bought, RecordNumber(a->data, D::bought) + RecordNumber(b->data, D::bought));
            SetRecordNumber(a->data, D::sold, RecordNumber(a->data, D::sold) + RecordNumber(b->data, D::sold));
            b = merged.erase(b);
        }
    }
}

void BM_MergeTenThousandDealsByKey(benchmark::State &state)
{
    const std::list<CDealRecord> deals = Deals();
    std::list<CDealRecord> merged;
    for (auto _ : state)
        MergeDeals(deals, merged);
    state.counters["rows"] = static_cast<double>(merged.size());
}
BENCHMARK(BM_MergeTenThousandDealsByKey)->Unit(benchmark::kMillisecond);

void BM_MergeTenThousandDealsPairwise(benchmark::State &state)
{
    const std::list<CDealRecord> deals = Deals();
    std::list<CDealRecord> merged;
    for (auto _ : state)
        PairwiseMerge(deals, merged);
    state.counters["rows"] = static_cast<double>(merged.size());
}
BENCHMARK(BM_MergeTenThousandDealsPairwise)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RefreshThousandPositions(benchmark::State &state)
{
    EnsureGui();
    ClearRecordLists();
    for (int i = 0; i < 1000; ++i) {
        CPositionRecord p{};
        std::snprintf(p.customer, sizeof p.customer, "%08d", 10000000 + i % 40);
        std::snprintf(p.contract, sizeof p.contract, "cu25%02d", i % 12 + 1);
        p.hedge = "01"[i & 1];
        p.buyVolume = i % 17;
        p.sellVolume = i % 13;
        p.todayBuy = i % 5;
        p.todaySell = i % 3;
        std::snprintf(p.buyPrice, sizeof p.buyPrice, "%d", 61000 + i);
        std::snprintf(p.profit, sizeof p.profit, "%.2f", i * 12.5);
        std::snprintf(p.tradeCode, sizeof p.tradeCode, "8100%04d", i % 40);
        PositionList.push_back(p);
    }
    CQPositionPage page;
    CPropertySheet sheet("查询基准");
    sheet.AddPage(&page);
    sheet.Create(nullptr, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    for (auto _ : state)
        page.RefreshList();
    state.counters["rows"] = page.m_List.GetItemCount();
    sheet.DestroyWindow();
}
BENCHMARK(BM_RefreshThousandPositions)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
