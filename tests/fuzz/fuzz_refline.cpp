// A reference lines file of any content: looked up for the indicators and codes
// it names, then lines saved and deleted, which rewrite it in whole records.
// fuzz-deps: lumon_formula
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/RefLines.h"
#include "platform/win/File.h"

namespace {

void Prepare()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    std::filesystem::create_directories("refline/bin");
    std::filesystem::create_directories("refline/CFG");
    std::filesystem::create_directories("refline/data/m");
    win::SetCurrentDirectoryA("refline/bin");
    static TUtilData util(1);
    MarketInfoRecord info{};
    info.Type = 1;
    std::strcpy(info.Dir, "m");
    std::strcpy(info.Ext, "n");
    info.Capacity = 2;
    info.ClassCount = 1;
    std::ofstream("../CFG/mkinfo.cfg", std::ios::binary).write(reinterpret_cast<const char *>(&info), sizeof info);
    StockStaticRecord stocks[2] = {};
    std::strcpy(stocks[0].Code, "600000");
    std::memcpy(stocks[1].Code, "6000001", 7); // a code filling its field
    std::ofstream("../data/m/nametbl.n", std::ios::binary).write(reinterpret_cast<const char *>(stocks), sizeof stocks);
    static TDataIO io(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    std::ofstream("../CFG/refline.dat", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    int id = size >= 2 ? data[0] | data[1] << 8 : 0;
    RefLineRecord r;
    for (int stock = 0; stock < 3; ++stock)
        FindRefLines(MakeStockId(0, 0, stock), id, r);
    const uint8_t shown[4] = {1, 1, 0, 0};
    const float levels[4] = {1, 2, 3, 4};
    SaveRefLines(id, MakeStockId(0, 0, 1), shown, levels);
    if (!FindRefLines(MakeStockId(0, 0, 1), id, r) || std::memcmp(r.Level, levels, sizeof levels) != 0)
        __builtin_trap();
    DeleteRefLines(MakeStockId(0, 0, 0), id);
    if (std::filesystem::file_size("../CFG/refline.dat") % sizeof(RefLineRecord) != 0)
        __builtin_trap();
    return 0;
}
