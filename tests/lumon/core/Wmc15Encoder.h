// A "WMC15" encoder for tests and benchmarks: the server's side of the LZW
// streams that LCompress expands. Codes are written most significant bit first,
// starting 9 bits wide; code 257 widens them, 258 resets the dictionary (before
// it would run past its last slot, or every `resetEvery` codes), 256 ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace wmc15 {

struct Options {
    // Reset the dictionary after this many codes of a run (0: only when full).
    unsigned resetEvery = 0;
    // Widen as soon as the next code to be defined no longer fits, rather than
    // when a code to be written needs it.
    bool widenEarly = false;
    // Write the end code 256.
    bool endCode = true;
};

// What an encoding did, so that a test can tell which paths it exercised.
struct Stats {
    unsigned resets = 0;
    unsigned maxWidth = 9;
};

constexpr unsigned kEnd = 256;
constexpr unsigned kWiden = 257;
constexpr unsigned kReset = 258;
constexpr unsigned kFirstFree = 259;
constexpr unsigned kCodeLimit = 35023;

// Writes codes of any width up to 16 bits, most significant bit first.
class BitWriter {
public:
    void Put(unsigned code, unsigned width)
    {
        m_Acc = (m_Acc << width) | code;
        m_Bits += width;
        while (m_Bits >= 8) {
            m_Bits -= 8;
            m_Out.push_back(uint8_t(m_Acc >> m_Bits));
        }
        m_Acc &= (1u << m_Bits) - 1;
    }
    // Pads the last byte with zero bits.
    std::vector<uint8_t> Finish()
    {
        if (m_Bits)
            m_Out.push_back(uint8_t(m_Acc << (8 - m_Bits)));
        m_Bits = 0;
        m_Acc = 0;
        return std::move(m_Out);
    }
    std::vector<uint8_t> &Bytes() { return m_Out; }

private:
    std::vector<uint8_t> m_Out;
    uint64_t m_Acc = 0;
    unsigned m_Bits = 0;
};

// Writes codes as a stream of the format: "WMC15", then the codes.
class CodeStream {
public:
    CodeStream()
    {
        for (char c : {'W', 'M', 'C', '1', '5'})
            m_Writer.Bytes().push_back(uint8_t(c));
    }
    void Put(unsigned code) { m_Writer.Put(code, m_Width); }
    // Emits widen codes until `code` fits the width.
    void FitWidth(unsigned code)
    {
        while (code >= (1u << m_Width)) {
            Put(kWiden);
            ++m_Width;
        }
    }
    void ResetWidth() { m_Width = 9; }
    unsigned Width() const { return m_Width; }
    std::vector<uint8_t> Finish() { return m_Writer.Finish(); }

private:
    BitWriter m_Writer;
    unsigned m_Width = 9;
};

inline std::vector<uint8_t> Encode(const uint8_t *data, size_t n, const Options &options = {},
                                   Stats *stats = nullptr)
{
    Stats local;
    Stats &st = stats ? *stats : local;
    CodeStream out;
    if (n == 0) {
        if (options.endCode)
            out.Put(kEnd);
        return out.Finish();
    }
    std::unordered_map<uint32_t, uint16_t> dictionary;
    dictionary.reserve(kCodeLimit);
    unsigned nextCode = kFirstFree;
    unsigned codesInRun = 0;
    auto emit = [&](unsigned code) {
        out.FitWidth(options.widenEarly && nextCode > code ? nextCode : code);
        out.Put(code);
        ++codesInRun;
        if (out.Width() > st.maxWidth)
            st.maxWidth = out.Width();
    };

    unsigned prefix = data[0];
    for (size_t i = 1; i < n; ++i) {
        uint32_t key = uint32_t(prefix) << 8 | data[i];
        auto found = dictionary.find(key);
        if (found != dictionary.end()) {
            prefix = found->second;
            continue;
        }
        emit(prefix);
        // The reader defines a code for every code it reads after the first of a
        // run; the entry for (prefix, byte) would go into nextCode.
        if (nextCode == kCodeLimit || (options.resetEvery && codesInRun >= options.resetEvery)) {
            out.Put(kReset);
            out.ResetWidth();
            ++st.resets;
            dictionary.clear();
            nextCode = kFirstFree;
            codesInRun = 0;
        } else {
            dictionary.emplace(key, uint16_t(nextCode++));
        }
        prefix = data[i];
    }
    emit(prefix);
    if (options.endCode)
        out.Put(kEnd);
    return out.Finish();
}

inline std::vector<uint8_t> Encode(const std::vector<uint8_t> &data, const Options &options = {},
                                   Stats *stats = nullptr)
{
    return Encode(data.data(), data.size(), options, stats);
}

} // namespace wmc15
