#include "lumon/core/LCompress.h"

#include <cstddef>
#include <cstring>

#include "lumon/core/EMemOp.h"

namespace {

constexpr unsigned kEndCode = 256;
constexpr unsigned kWidenCode = 257;
constexpr unsigned kResetCode = 258;
constexpr unsigned kFirstFreeCode = 259;
// Codes from 259 up to, not including, this one can be defined.
constexpr unsigned kCodeLimit = 35023;
constexpr unsigned kStartWidth = 9;
constexpr unsigned kMaxWidth = 16;
constexpr char kMagic[5] = {'W', 'M', 'C', '1', '5'};

// Reads codes from the stream after the magic, most significant bit first.
class CodeReader {
public:
    CodeReader(const uint8_t *bytes, size_t count) : m_Bytes(bytes), m_Count(count), m_Bits(count * 8) {}

    // True while a byte of the stream has not been touched yet.
    bool MoreInput() const { return ((m_BitPos + 7) >> 3) < m_Count; }

    // The next code of `width` bits; false when its bits run past the end.
    bool Read(unsigned width, unsigned &code)
    {
        if (m_BitPos + width > m_Bits)
            return false;
        size_t byte = m_BitPos >> 3;
        uint32_t window;
        if (byte + 4 <= m_Count) {
            window = uint32_t(m_Bytes[byte]) << 24 | uint32_t(m_Bytes[byte + 1]) << 16 |
                     uint32_t(m_Bytes[byte + 2]) << 8 | uint32_t(m_Bytes[byte + 3]);
        } else {
            window = 0;
            for (size_t i = 0; i < 4; ++i)
                window = window << 8 | (byte + i < m_Count ? m_Bytes[byte + i] : 0u);
        }
        code = (window << (m_BitPos & 7)) >> (32 - width);
        m_BitPos += width;
        return true;
    }

private:
    const uint8_t *m_Bytes;
    size_t m_Count;
    size_t m_Bits;
    size_t m_BitPos = 0;
};

// Copies n bytes from an earlier part of the output (src + n <= dst). Where the
// buffer has room it moves 16 bytes at a time and may write up to 15 bytes past
// the string, inside the buffer; later output overwrites them.
inline void CopyString(uint8_t *dst, const uint8_t *src, size_t n, size_t room)
{
    if (n + 16 <= room) {
        for (size_t i = 0; i < n; i += 16) {
            uint8_t chunk[16];
            std::memcpy(chunk, src + i, 16);
            std::memcpy(dst + i, chunk, 16);
        }
    } else {
        std::memcpy(dst, src, n);
    }
}

} // namespace

LCompress::LCompress()
    : m_Dictionary(static_cast<Entry *>(EMemAlloc(sizeof(Entry) * kCodeLimit)))
{
}

LCompress::~LCompress()
{
    EMemFree(m_Dictionary);
}

uint16_t LCompress::Decompress(const void *input, uint16_t inputLength, void *output, uint16_t outputCapacity,
                               uint16_t *outputLength)
{
    if (!m_Dictionary)
        return kNoDictionary;
    if (inputLength < sizeof kMagic || std::memcmp(input, kMagic, sizeof kMagic) != 0)
        return kBadStream;

    CodeReader reader(static_cast<const uint8_t *>(input) + sizeof kMagic, inputLength - sizeof kMagic);
    uint8_t *out = static_cast<uint8_t *>(output);
    const size_t capacity = outputCapacity;
    // Past this many bytes out, another code is refused.
    const long fullMark = long(outputCapacity) - 5;
    size_t count = 0;

    while (reader.MoreInput()) {
        // A new run: empty dictionary, 9-bit codes. Its first code is a literal.
        unsigned width = kStartWidth;
        unsigned nextFree = kFirstFreeCode;
        unsigned code;
        if (!reader.Read(width, code))
            return kBadStream;
        if (code == kEndCode)
            break;
        if (code > 0xFF)
            return kBadCode;
        if (count >= capacity)
            return kOutputFull;
        out[count] = uint8_t(code);
        size_t prevOffset = count;
        size_t prevLength = 1;
        ++count;

        bool ended = false;
        while (reader.MoreInput()) {
            if (long(count) > fullMark)
                return kOutputFull;
            if (!reader.Read(width, code))
                return kBadStream;
            if (code == kEndCode) {
                ended = true;
                break;
            }
            if (code == kResetCode)
                break;
            if (code == kWidenCode) {
                if (++width > kMaxWidth)
                    return kBadCode;
                continue;
            }
            // Every code defines the next one; the dictionary has no slot past
            // the last.
            if (nextFree >= kCodeLimit)
                return kBadCode;
            size_t length;
            if (code <= 0xFF) {
                length = 1;
                if (count + 1 > capacity)
                    return kOutputFull;
                out[count] = uint8_t(code);
            } else if (code < nextFree) {
                const Entry &e = m_Dictionary[code];
                length = e.length;
                if (count + length > capacity)
                    return kOutputFull;
                CopyString(out + count, out + e.offset, length, capacity - count);
            } else if (code == nextFree) {
                // The string being defined: the previous string and its own
                // first byte.
                length = prevLength + 1;
                if (count + length > capacity)
                    return kOutputFull;
                CopyString(out + count, out + prevOffset, prevLength, capacity - count);
                out[count + prevLength] = out[prevOffset];
            } else {
                return kBadCode;
            }
            m_Dictionary[nextFree] = Entry{uint16_t(prevOffset), uint16_t(prevLength + 1)};
            ++nextFree;
            prevOffset = count;
            prevLength = length;
            count += length;
        }
        if (ended)
            break;
    }
    *outputLength = uint16_t(count);
    return kOk;
}
