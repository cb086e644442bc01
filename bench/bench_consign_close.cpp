// The order client's close: the pre-orders and the seven list layouts written
// to the settings file, each key through the private-profile engine.
// bench-deps: consign_pages
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <list>
#include <string>

#include "consign/pages/ListLayout.h"
#include "consign/pages/PreOrderStore.h"

namespace {

std::string SettingsFile()
{
    return (std::filesystem::temp_directory_path() / "bench_consign_close.ini").string();
}

std::list<COrderRecord> PreOrders(int count)
{
    std::list<COrderRecord> orders;
    for (int i = 0; i < count; ++i) {
        COrderRecord o{};
        std::snprintf(o.customer, sizeof o.customer, "%08d", 10000000 + i % 50);
        std::snprintf(o.contract, sizeof o.contract, "cu25%02d", i % 12 + 1);
        std::snprintf(o.price, sizeof o.price, "%d", 70000 + i);
        std::snprintf(o.tradeCode, sizeof o.tradeCode, "TC%04d", i % 100);
        o.volume = i % 20 + 1;
        o.flags = static_cast<win::BYTE>(i & 15);
        orders.push_back(o);
    }
    return orders;
}

void BM_SavePreOrdersAndLayouts(benchmark::State &state)
{
    const std::string file = SettingsFile();
    const std::list<COrderRecord> orders = PreOrders(static_cast<int>(state.range(0)));
    int order[MAX_LAYOUT_COLUMNS], widths[MAX_LAYOUT_COLUMNS];
    for (int i = 0; i < MAX_LAYOUT_COLUMNS; ++i) {
        order[i] = MAX_LAYOUT_COLUMNS - 1 - i;
        widths[i] = 60 + i;
    }
    for (auto _ : state) {
        SavePreOrderList(file.c_str(), "8001", orders);
        for (const ListLayoutKey &key : ListLayoutKeys)
            WriteListLayout(file.c_str(), key.name, order, widths, key.columns);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_SavePreOrdersAndLayouts)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadPreOrders(benchmark::State &state)
{
    const std::string file = SettingsFile();
    SavePreOrderList(file.c_str(), "8001", PreOrders(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        std::list<COrderRecord> loaded;
        int number = 1;
        benchmark::DoNotOptimize(LoadPreOrderList(file.c_str(), "8001", loaded, number));
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadPreOrders)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
