// Name tables and quote snapshots of any size: the first two bytes give the
// market's capacity and the split between the two files.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    if (!fuzzfiles::EnterScratchTree("nametbl", {"CFG", "data/m"}))
        return;
    static TUtilData util(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    Prepare();
    MarketInfoRecord info{};
    info.Type = 1;
    std::strcpy(info.Name, "m");
    std::strcpy(info.Dir, "m");
    std::strcpy(info.Ext, "n");
    info.Capacity = uint16_t(data[0] * 4);
    info.ClassCount = uint16_t(data[1] % 4);
    for (int c = 0; c < info.ClassCount; ++c) {
        info.Classes[c].SessionCount = 2;
        info.Classes[c].SessionStart[0] = 570;
        info.Classes[c].SessionEnd[0] = 690;
        info.Classes[c].SessionStart[1] = 780;
        info.Classes[c].SessionEnd[1] = 900;
    }
    fuzzfiles::WriteFile("../CFG/mkinfo.cfg", &info, sizeof info);
    size_t split = (size - 2) / 2 + (data[1] & 1);
    if (split > size - 2)
        split = size - 2;
    fuzzfiles::WriteFile("../data/m/nametbl.n", data + 2, split);
    fuzzfiles::WriteFile("../data/m/real.n", data + 2 + split, size - 2 - split);

    TDataIO io(0);
    TMarketData *md = MarketTable.Markets[0];
    if (md) {
        for (int i = 0; i < md->StockCount; ++i) {
            char code[8] = {};
            std::memcpy(code, md->Statics[i].Code, 7);
            int market = 0;
            StockStaticRecord *s = TDataIO::FindStockId(code, market, true);
            if (s && s->Class >= 15)
                __builtin_trap();
        }
    }
    TBlockGroup blocks;
    return 0;
}
