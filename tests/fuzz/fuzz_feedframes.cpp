// What the data server pushes on the real-time connection: frames of 124-byte
// clock, quote and news-flash records, plain or compressed, whole or in pieces,
// applied to the market tables of a scratch installation. The first byte sets
// the size of the pieces the stream arrives in (that many times 37 bytes, 0 whole).
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>

#include "lumon/core/DataIO.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/MessageBox.h"
#include "tests/fuzz/FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    fuzzfiles::EnterDataServerTree("feedframes");
    static TUtilData util(1);
    static TDataIO io(0);
    win::RecordMessageBoxes(true);
    const size_t piece = data[0] ? data[0] * 37u : size;
    ++data;
    --size;
    TRealDataClnt client(0x0100007Fu);
    // A buffer without room takes nothing; what it then held is dropped, as a
    // stalled stream is.
    int stalls = 0;
    while (size > 0 && stalls < 2) {
        const int offered = int(size < piece ? size : piece);
        const int taken = client.FeedFrames(data, offered);
        if (taken < 0 || taken > offered)
            __builtin_trap();
        stalls = taken == 0 ? stalls + 1 : 0;
        data += taken;
        size -= size_t(taken);
    }
    return 0;
}
