// What the data server sends on the request connection, as the request client
// receives it: frames of every kind (history, news, notes, weights, company texts,
// ticks, rankings, stock information, statistics, messages), plain or compressed,
// whole or in pieces, dispatched into the data files of a scratch installation.
// The first byte sets how the stream arrives (bits 0-3: pieces of that many times
// 37 bytes, 0 whole) and which request is in flight for it (bits 4-5: none, a news
// text, a ranking, a note), as the answers of those three are matched to it.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/RequestRing.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/MessageBox.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    fuzzfiles::EnterDataServerTree("requestframes");
    static TUtilData util(1);
    static TDataIO io(0);
    // Every input starts from the same data folder, so that a finding replays.
    std::error_code e;
    for (const char *folder : {"../data/m/day", "../data/m/min", "../data/m/min1", "../data/m/tick",
                               "../data/m/weight", "../data/m/base", "../data/info", "../data/notes"})
        std::filesystem::remove_all(folder, e);
    std::filesystem::create_directories("../data/info", e);
    std::filesystem::create_directories("../data/notes", e);
    win::RecordMessageBoxes(true);
    TheRequestRing().ClearRequestRing();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    Prepare();
    const size_t piece = data[0] & 15 ? (data[0] & 15) * 37u : size;
    TNormalClnt client;
    switch (data[0] >> 4 & 3) {
    case 1:
        client.RequestInfoText(2, 1202);
        break;
    case 2: {
        STKMS *list = static_cast<STKMS *>(EMemAlloc(2 * sizeof(STKMS)));
        if (list) {
            list[0] = 0;
            list[1] = 1 << 4;
        }
        client.RequestSortData(1, 0, 2, list, &client, 0);
        break;
    }
    case 3: {
        const char name[16] = "fuzz.note";
        client.RequestNote(0, name, 0);
        break;
    }
    }
    ++data;
    --size;
    while (size > 0) {
        const int offered = int(size < piece ? size : piece);
        const int taken = client.FeedReceived(data, offered);
        if (taken <= 0 || taken > offered)
            __builtin_trap();
        data += taken;
        size -= size_t(taken);
    }
    return 0;
}
