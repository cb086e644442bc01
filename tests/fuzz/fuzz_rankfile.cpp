// A ranking answer file of any content read for every quote field (and ids
// outside the table) into the keys of a list of rows, some naming stocks no
// market holds: keys stay finite, nothing is read past the bytes or written past
// a market's quote records.
// fuzz-deps: lumon_views
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFiles.h"
#include "lumon/views/RankFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzfiles::EnterTwoStockTree("rankfile");
    if (size < 2)
        return 0;
    // The first byte picks the direction and the row count, the rest is the file.
    const int descending = data[0] & 1;
    const int rows = 1 + (data[0] >> 1) % 40;
    const std::vector<uint8_t> file(data + 1, data + size);
    std::vector<BlockMember> members(size_t(rows), BlockMember{});
    for (int i = 0; i < rows; ++i)
        members[size_t(i)].Id = MakeStockId(0, 0, i % 3 == 2 ? 4000 : i % 2);
    std::vector<double> keys(static_cast<size_t>(rows));
    for (int field = -1; field <= 35; ++field) {
        RankKeysFromAnswer(file.data(), file.size(), field, members.data(), rows, descending, keys.data());
        for (double k : keys)
            if (!std::isfinite(k))
                __builtin_trap();
    }
    return 0;
}
