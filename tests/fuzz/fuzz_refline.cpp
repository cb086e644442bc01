// A reference lines file of any content: looked up for the indicators and codes
// it names, then lines saved and deleted, which rewrite it in whole records.
// fuzz-deps: lumon_formula
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "lumon/formula/RefLines.h"
#include "tests/fuzz/FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzfiles::EnterTwoStockTree("refline");
    fuzzfiles::WriteFile("../CFG/refline.dat", data, size);
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
