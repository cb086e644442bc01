// A WMC15 stream of any content into an output buffer of any capacity: the
// decoder must end with one of its results, stay inside both buffers, and give
// the same answer when the object is used again.
// fuzz-deps: lumon_core
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lumon/core/LCompress.h"

// Input: two bytes of output capacity (little-endian), one flag byte (bit 0 set:
// the stream is taken as it is; clear: "WMC15" is put in front, so that the
// mutations reach the code stream), then the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    uint16_t capacity = uint16_t(data[0] | data[1] << 8);
    bool raw = data[2] & 1;
    std::vector<uint8_t> stream;
    if (!raw)
        stream.assign({'W', 'M', 'C', '1', '5'});
    stream.insert(stream.end(), data + 3, data + size);
    if (stream.size() > 0xFFFF)
        stream.resize(0xFFFF);
    // Exactly sized, so that any access past either buffer is caught.
    std::vector<uint8_t> in(stream);
    std::vector<uint8_t> out(capacity);

    static LCompress lzw;
    uint16_t first = 0, second = 0;
    uint16_t r1 = lzw.Decompress(in.data(), uint16_t(in.size()), out.data(), capacity, &first);
    std::vector<uint8_t> copy(out.begin(), out.begin() + (r1 == LCompress::kOk ? first : 0));
    uint16_t r2 = lzw.Decompress(in.data(), uint16_t(in.size()), out.data(), capacity, &second);
    if (r1 != r2)
        std::abort();
    if (r1 == LCompress::kOk &&
        (first > capacity || first != second || !std::equal(copy.begin(), copy.end(), out.begin())))
        std::abort();
    if (r1 != LCompress::kOk && r1 != LCompress::kOutputFull && r1 != LCompress::kBadStream &&
        r1 != LCompress::kBadCode)
        std::abort();
    return 0;
}
