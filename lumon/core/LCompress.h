// The decoder of "WMC15" streams, in which the data server compresses frame
// bodies: an LZW code stream read most significant bit first, whose codes widen
// on request and whose dictionary the stream itself resets. One object belongs to
// each data-server client and is reused for every frame.
#pragma once

#include <cstdint>

class LCompress {
public:
    // Results of Decompress.
    static constexpr uint16_t kOk = 0;
    static constexpr uint16_t kNoDictionary = 101; // the dictionary could not be allocated
    static constexpr uint16_t kOutputFull = 201;   // the output would pass its capacity
    static constexpr uint16_t kBadStream = 203;    // no "WMC15" magic, or a code cut off by the end
    static constexpr uint16_t kBadCode = 206;      // a code that the dictionary cannot hold or expand

    LCompress();
    ~LCompress();
    LCompress(const LCompress &) = delete;
    LCompress &operator=(const LCompress &) = delete;

    // Expands the stream of inputLength bytes into output, which has room for
    // outputCapacity bytes. On success returns kOk and stores the bytes written in
    // *outputLength; on an error returns its code and leaves *outputLength alone.
    // Nothing is read or written outside the two buffers, whatever the input.
    // A stream that ends without its end code yields what was decoded; once more
    // than outputCapacity - 5 bytes are out, any further code is kOutputFull.
    uint16_t Decompress(const void *input, uint16_t inputLength, void *output, uint16_t outputCapacity,
                        uint16_t *outputLength);

private:
    // A dictionary string is a copy of earlier output of the same call: every
    // string the stream defines is the previous string followed by the first byte
    // of the next one, and those lie side by side in the output. So an entry is
    // where the string first appeared, and expanding a code is one copy.
    struct Entry {
        uint16_t offset;
        uint16_t length;
    };
    Entry *m_Dictionary;
};
