// Market descriptions (mkinfo.cfg) of any size and content loaded into the market
// table, with look-ups over what was loaded.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    if (!fuzzfiles::EnterScratchTree("mkinfo", {"CFG"}))
        return;
    static TUtilData util(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    fuzzfiles::WriteFile("../CFG/mkinfo.cfg", data, size);
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
