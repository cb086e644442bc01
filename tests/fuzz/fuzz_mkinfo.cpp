// Market descriptions (mkinfo.cfg) of any size and content loaded into the market
// table, with look-ups over what was loaded.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

namespace {

void Prepare()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    std::filesystem::create_directories("mkinfo/bin");
    std::filesystem::create_directories("mkinfo/CFG");
    win::SetCurrentDirectoryA("mkinfo/bin");
    static TUtilData util(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    std::ofstream("../CFG/mkinfo.cfg", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    TDataIO io(0);
    for (int m = 0; m < MarketTable.Count; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        if (!md)
            continue;
        for (int c = 0; c < 16; ++c) {
            md->ElapsedTradingMinutes(600, c);
            md->TradingMinuteToClock(100, c);
            md->GetStockClass(c);
        }
        TDataIO::GetStock(MakeStockId(m, 0, 0));
        int market = m;
        TDataIO::FindStockId("600000", market, true);
    }
    return 0;
}
