// The WMC15 decoder: round trips through the test encoder, hand-made streams for
// the special codes, and every malformed input ending in its result code without
// touching memory outside the buffers (the buffers are sized exactly, so the
// address sanitizer sees any stray access).
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Wmc15Encoder.h"
#include "Wmc15Inputs.h"
#include "lumon/core/LCompress.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kFrameCapacity = 16384;
constexpr uint16_t kUntouched = 0xBEEF;

using wmc15::QuoteRecords;
using wmc15::RandomBytes;

Bytes Text(size_t n, unsigned seed)
{
    static const char *const words[] = {"上证指数", "the ", "quote ", "成交量 ", "market ", "600000 ", "\r\n",
                                        "open ", "high ", "low ", "close ", "深证成指", "volume ", "amount "};
    return wmc15::Words(n, seed, words);
}

// Long runs of one byte (the code being defined, again and again), with a few
// changes of byte.
Bytes Runs(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i / 5000);
    return b;
}

// A stream of hand-picked codes and widths after the magic.
Bytes Raw(std::initializer_list<std::pair<unsigned, unsigned>> codes)
{
    wmc15::BitWriter w;
    for (char c : {'W', 'M', 'C', '1', '5'})
        w.Bytes().push_back(uint8_t(c));
    for (auto [code, width] : codes)
        w.Put(code, width);
    return w.Finish();
}

struct Outcome {
    uint16_t result;
    uint16_t length;
    Bytes out;
};

// Decodes into a buffer of exactly `capacity` bytes from an input buffer of exactly
// its own size.
Outcome Decode(LCompress &lzw, const Bytes &stream, uint16_t capacity)
{
    Bytes in(stream);
    Bytes out(capacity);
    uint16_t length = kUntouched;
    uint16_t result = lzw.Decompress(in.data(), uint16_t(in.size()), out.data(), capacity, &length);
    if (result == LCompress::kOk)
        out.resize(length);
    return {result, length, out};
}

TEST(LCompressTest, ExpandsWhatTheEncoderProduces)
{
    struct Case {
        const char *name;
        Bytes data;
        wmc15::Options options;
        uint16_t capacity;
        unsigned minResets;
        unsigned minWidth;
    };
    const Case cases[] = {
        {"empty", {}, {}, kFrameCapacity, 0, 9},
        {"one byte", {0x41}, {}, kFrameCapacity, 0, 9},
        {"random frame", RandomBytes(16379, 1), {}, kFrameCapacity, 0, 14},
        {"text frame", Text(16379, 2), {}, kFrameCapacity, 0, 12},
        {"long runs", Runs(16379), {}, kFrameCapacity, 0, 9},
        {"quote records", QuoteRecords(16368, 3), {}, kFrameCapacity, 0, 10},
        {"resets every 100 codes", Text(16000, 4), {100, false, true}, kFrameCapacity, 20, 9},
        {"resets every code", Text(3000, 5), {1, false, true}, kFrameCapacity, 1000, 9},
        {"widening ahead of need", Text(16000, 6), {0, true, true}, kFrameCapacity, 0, 11},
        {"no end code", QuoteRecords(10000, 7), {0, false, false}, kFrameCapacity, 0, 10},
        {"full dictionary resets", RandomBytes(43500, 8), {}, 65535, 1, 16},
        {"largest text", Text(65530, 9), {}, 65535, 0, 13},
    };
    LCompress lzw;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        wmc15::Stats stats;
        Bytes stream = wmc15::Encode(c.data, c.options, &stats);
        ASSERT_LE(stream.size(), 65535u);
        EXPECT_GE(stats.resets, c.minResets);
        EXPECT_GE(stats.maxWidth, c.minWidth);
        Outcome o = Decode(lzw, stream, c.capacity);
        ASSERT_EQ(o.result, LCompress::kOk);
        EXPECT_EQ(o.length, c.data.size());
        EXPECT_TRUE(o.out == c.data);
    }
}

TEST(LCompressTest, SpecialCodesOfHandMadeStreams)
{
    struct Case {
        const char *name;
        Bytes stream;
        std::string expected;
    };
    const Case cases[] = {
        {"end code alone", Raw({{256, 9}}), ""},
        {"code being defined", Raw({{'a', 9}, {259, 9}, {256, 9}}), "aaa"},
        {"defined string", Raw({{'a', 9}, {'b', 9}, {259, 9}, {260, 9}, {256, 9}}), "ababba"},
        {"widened codes", Raw({{'x', 9}, {257, 9}, {'y', 10}, {259, 10}, {257, 10}, {256, 11}}), "xyxy"},
        {"reset redefines codes and width",
         Raw({{'a', 9}, {'b', 9}, {257, 9}, {259, 10}, {258, 10}, {'c', 9}, {'d', 9}, {259, 9}, {256, 9}}),
         "ababcdcd"},
        {"no end code", Raw({{'h', 9}, {'i', 9}}), "hi"},
        {"end code before trailing bytes", Raw({{'o', 9}, {256, 9}, {0x1FF, 9}, {0x1FF, 9}}), "o"},
        {"nothing after the magic", Raw({}), ""},
    };
    LCompress lzw;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = Decode(lzw, c.stream, kFrameCapacity);
        ASSERT_EQ(o.result, LCompress::kOk);
        EXPECT_EQ(std::string(o.out.begin(), o.out.end()), c.expected);
    }
}

// A run of literals: after the first, each defines the next code, so 34764 of
// them fill the dictionary to its last slot and one more has nowhere to go.
Bytes DictionaryOverflow(unsigned literals)
{
    wmc15::BitWriter w;
    for (char c : {'W', 'M', 'C', '1', '5'})
        w.Bytes().push_back(uint8_t(c));
    w.Put('a', 9);
    for (unsigned i = 0; i < literals; ++i)
        w.Put('a' + i % 26, 9);
    w.Put(256, 9);
    return w.Finish();
}

TEST(LCompressTest, MalformedStreamsEndWithTheirResult)
{
    Bytes good = wmc15::Encode(Text(2000, 10));
    // Eight 9-bit codes fill nine bytes; a tenth byte cannot hold the next code.
    Bytes cut = Raw({{'a', 9}, {'b', 9}, {'c', 9}, {'d', 9}, {'e', 9}, {'f', 9}, {'g', 9}, {'h', 9}});
    cut.push_back(0xFF);
    Bytes wrongMagic = good;
    wrongMagic[4] = '6';
    Bytes longRun = wmc15::Encode(Runs(16379));

    struct Case {
        const char *name;
        Bytes stream;
        uint16_t capacity;
        uint16_t result;
    };
    const Case cases[] = {
        {"empty input", {}, kFrameCapacity, LCompress::kBadStream},
        {"magic cut short", {'W', 'M', 'C', '1'}, kFrameCapacity, LCompress::kBadStream},
        {"fifth magic byte differs", wrongMagic, kFrameCapacity, LCompress::kBadStream},
        {"code cut off by the end", cut, kFrameCapacity, LCompress::kBadStream},
        {"first code cut off", {'W', 'M', 'C', '1', '5', 0x30}, kFrameCapacity, LCompress::kBadStream},
        {"first code is widen", Raw({{257, 9}, {'a', 10}, {256, 10}}), kFrameCapacity, LCompress::kBadCode},
        {"first code is reset", Raw({{258, 9}, {'a', 9}, {256, 9}}), kFrameCapacity, LCompress::kBadCode},
        {"first code is a string", Raw({{259, 9}, {256, 9}}), kFrameCapacity, LCompress::kBadCode},
        {"first code after a reset is a string", Raw({{'a', 9}, {258, 9}, {300, 9}}), kFrameCapacity,
         LCompress::kBadCode},
        {"code beyond the one being defined", Raw({{'a', 9}, {'b', 9}, {261, 9}, {256, 9}}), kFrameCapacity,
         LCompress::kBadCode},
        {"code past the dictionary", Raw({{'a', 9}, {257, 9}, {257, 10}, {257, 11}, {257, 12}, {257, 13},
                                          {257, 14}, {257, 15}, {40000, 16}}),
         kFrameCapacity, LCompress::kBadCode},
        {"widened past 16 bits", Raw({{'a', 9}, {257, 9}, {257, 10}, {257, 11}, {257, 12}, {257, 13},
                                      {257, 14}, {257, 15}, {257, 16}, {'b', 17}}),
         kFrameCapacity, LCompress::kBadCode},
        {"dictionary fills to its last slot", DictionaryOverflow(34764), 65535, LCompress::kOk},
        {"dictionary overflows", DictionaryOverflow(34765), 65535, LCompress::kBadCode},
        {"output beyond the capacity", good, 1000, LCompress::kOutputFull},
        {"no room at all", good, 0, LCompress::kOutputFull},
        {"capacity below the reserve", good, 3, LCompress::kOutputFull},
        {"one string longer than the room", longRun, 16000, LCompress::kOutputFull},
        {"single byte into no room", Raw({{'a', 9}}), 0, LCompress::kOutputFull},
    };
    LCompress lzw;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Outcome o = Decode(lzw, c.stream, c.capacity);
        EXPECT_EQ(o.result, c.result);
        if (c.result != LCompress::kOk) {
            EXPECT_EQ(o.length, kUntouched);
        }
    }
    // The object stays usable after every error.
    Outcome o = Decode(lzw, good, kFrameCapacity);
    ASSERT_EQ(o.result, LCompress::kOk);
    EXPECT_TRUE(o.out == Text(2000, 10));
}

TEST(LCompressTest, FrameBufferHoldsAtMost16379BytesBeforeTheNextCode)
{
    LCompress lzw;
    Bytes data = Text(16380, 11);
    // 16379 bytes and the end code fit; one byte more, and the end code that
    // follows is refused.
    EXPECT_EQ(Decode(lzw, wmc15::Encode(data.data(), 16379), kFrameCapacity).result, LCompress::kOk);
    EXPECT_EQ(Decode(lzw, wmc15::Encode(data), kFrameCapacity).result, LCompress::kOutputFull);
}

TEST(LCompressTest, DamagedStreamsNeverPassTheirBuffers)
{
    std::mt19937 rng(12);
    LCompress lzw;
    Bytes clean = wmc15::Encode(Text(8000, 13), {300, false, true});
    for (int round = 0; round < 1500; ++round) {
        Bytes stream = clean;
        int flips = 1 + int(rng() % 4);
        for (int i = 0; i < flips; ++i) {
            size_t at = 5 + rng() % (stream.size() - 5);
            stream[at] ^= uint8_t(1u << (rng() % 8));
        }
        stream.resize(5 + rng() % (stream.size() - 4));
        uint16_t capacity = uint16_t(rng() % 9000);
        Outcome o = Decode(lzw, stream, capacity);
        EXPECT_TRUE(o.result == LCompress::kOk || o.result == LCompress::kOutputFull ||
                    o.result == LCompress::kBadStream || o.result == LCompress::kBadCode)
            << o.result;
        if (o.result == LCompress::kOk) {
            EXPECT_LE(o.length, capacity);
        }
    }
}

} // namespace
