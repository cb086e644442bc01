// Expanding WMC15 frame bodies, in MB/s of output: 16 KB frames (16379 bytes,
// the most a frame buffer of 16384 takes) and the largest streams one call takes,
// against zlib's uncompress of the same data in the same run (target: at least
// zlib's speed).
// bench-deps: lumon_core ZLIB::ZLIB
#include <zlib.h>

#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "lumon/core/LCompress.h"
#include "tests/lumon/core/Wmc15Encoder.h"
#include "tests/lumon/core/Wmc15Inputs.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTotal = 1 << 20;
constexpr size_t kFrame = 16379;
constexpr size_t kLarge = 60000;

enum Kind { kText, kRecords, kRandom };

// News and quote text, GBK and ASCII mixed.
Bytes Text(size_t n)
{
    static const char *const words[] = {
        "\xc9\xcf\xd6\xa4\xd6\xb8\xca\xfd", "the ", "quote ", "\xb3\xc9\xbd\xbb\xc1\xbf ", "market ", "600000 ",
        "\r\n", "open ", "high ", "low ", "close ", "\xc9\xee\xd6\xa4\xb3\xc9\xd6\xb8", "volume ", "amount ",
        "12.35 ", "+0.27% "};
    return wmc15::Words(n, 1, words);
}

// 124-byte quote records that change a little from one to the next.
Bytes Records(size_t n)
{
    return wmc15::QuoteRecords(n, 2);
}

Bytes Random(size_t n)
{
    return wmc15::RandomBytes(n, 3);
}

struct Block {
    Bytes wmc15;
    Bytes zlib;
    size_t size;
};

// The data of a kind cut into blocks, each compressed both ways.
const std::vector<Block> &Blocks(Kind kind, size_t blockSize)
{
    static std::vector<Block> cache[3][2];
    std::vector<Block> &blocks = cache[kind][blockSize == kLarge];
    if (!blocks.empty())
        return blocks;
    Bytes data = kind == kText ? Text(kTotal) : kind == kRecords ? Records(kTotal) : Random(kTotal);
    for (size_t at = 0; at + blockSize <= data.size(); at += blockSize) {
        Block b;
        b.size = blockSize;
        b.wmc15 = wmc15::Encode(data.data() + at, blockSize);
        uLongf zlen = compressBound(blockSize);
        b.zlib.resize(zlen);
        compress(b.zlib.data(), &zlen, data.data() + at, blockSize);
        b.zlib.resize(zlen);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

void BM_Wmc15(benchmark::State &state, Kind kind, size_t blockSize)
{
    const std::vector<Block> &blocks = Blocks(kind, blockSize);
    if (blocks.front().wmc15.size() > 0xFFFF) {
        state.SkipWithError("stream longer than one call takes");
        return;
    }
    const uint16_t capacity = blockSize == kFrame ? 16384 : 65535;
    Bytes out(capacity);
    LCompress lzw;
    size_t bytes = 0;
    for (auto _ : state) {
        for (const Block &b : blocks) {
            uint16_t length = 0;
            if (lzw.Decompress(b.wmc15.data(), uint16_t(b.wmc15.size()), out.data(), capacity, &length) !=
                    LCompress::kOk ||
                length != b.size) {
                state.SkipWithError("decoding failed");
                return;
            }
            bytes += length;
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(int64_t(bytes));
}

void BM_Zlib(benchmark::State &state, Kind kind, size_t blockSize)
{
    const std::vector<Block> &blocks = Blocks(kind, blockSize);
    Bytes out(blockSize);
    size_t bytes = 0;
    for (auto _ : state) {
        for (const Block &b : blocks) {
            uLongf length = out.size();
            if (uncompress(out.data(), &length, b.zlib.data(), b.zlib.size()) != Z_OK || length != b.size) {
                state.SkipWithError("zlib failed");
                return;
            }
            bytes += length;
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(int64_t(bytes));
}

BENCHMARK_CAPTURE(BM_Wmc15, text_frames, kText, kFrame);
BENCHMARK_CAPTURE(BM_Zlib, text_frames, kText, kFrame);
BENCHMARK_CAPTURE(BM_Wmc15, records_frames, kRecords, kFrame);
BENCHMARK_CAPTURE(BM_Zlib, records_frames, kRecords, kFrame);
BENCHMARK_CAPTURE(BM_Wmc15, random_frames, kRandom, kFrame);
BENCHMARK_CAPTURE(BM_Zlib, random_frames, kRandom, kFrame);
BENCHMARK_CAPTURE(BM_Wmc15, text_large, kText, kLarge);
BENCHMARK_CAPTURE(BM_Zlib, text_large, kText, kLarge);
BENCHMARK_CAPTURE(BM_Wmc15, records_large, kRecords, kLarge);
BENCHMARK_CAPTURE(BM_Zlib, records_large, kRecords, kLarge);

} // namespace
