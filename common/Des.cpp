#include "common/Des.h"

// The standard tables of DES. Bits are numbered from 1, most significant first,
// as the standard numbers them; the profile's order is folded into the lookup
// tables built from them.
namespace {

const uint8_t kInitialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

const uint8_t kPermutation[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                  2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

const uint8_t kPermutedChoice1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                                      10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                                      63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                                      14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

const uint8_t kPermutedChoice2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
                                      23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
                                      41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
                                      44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

// Left rotations of the two key halves, counted from the start of the schedule.
const uint8_t kRotations[16] = {1, 2, 4, 6, 8, 10, 12, 14, 15, 17, 19, 21, 23, 25, 27, 28};

const uint8_t kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,
     0,  15, 7,  4, 14, 2,  13, 1,  10, 6,  12, 11, 9,  5,  3, 8,
     4,  1,  14, 8, 13, 6,  2,  11, 15, 12, 9,  7,  3,  10, 5, 0,
     15, 12, 8,  2, 4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6, 13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10,
     3,  13, 4,  7,  15, 2,  8,  14, 12, 0, 1,  10, 6,  9, 11, 5,
     0,  14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,  9,  3, 2,  15,
     13, 8,  10, 1,  3,  15, 4,  2,  11, 6, 7,  12, 0,  5, 14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,
     13, 7,  0,  9,  3, 4,  6,  10, 2,  8,  5,  14, 12, 11, 15, 1,
     13, 6,  4,  9,  8, 15, 3,  0,  11, 1,  2,  12, 5,  10, 14, 7,
     1,  10, 13, 0,  6, 9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3, 0,  6,  9,  10, 1,  2, 8, 5,  11, 12, 4,  15,
     13, 8,  11, 5, 6,  15, 0,  3,  4,  7, 2, 12, 1,  10, 14, 9,
     10, 6,  9,  0, 12, 11, 7,  13, 15, 1, 3, 14, 5,  2,  8,  4,
     3,  15, 0,  6, 10, 1,  13, 8,  9,  4, 5, 11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,
     14, 11, 2,  12, 4,  7,  13, 1,  5,  0,  15, 10, 3,  9, 8,  6,
     4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,  6,  3, 0,  14,
     11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4, 5,  3},
    {12, 1,  10, 15, 9, 2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11,
     10, 15, 4,  2,  7, 12, 9,  5,  6,  1,  13, 14, 0,  11, 3,  8,
     9,  14, 15, 5,  2, 8,  12, 3,  7,  0,  4,  10, 1,  13, 11, 6,
     4,  3,  2,  12, 9, 5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0, 8,  13, 3,  12, 9, 7,  5,  10, 6, 1,
     13, 0,  11, 7,  4,  9, 1,  10, 14, 3,  5, 12, 2,  15, 8, 6,
     1,  4,  11, 13, 12, 3, 7,  14, 10, 15, 6, 8,  0,  5,  9, 2,
     6,  11, 13, 8,  1,  4, 10, 7,  9,  5,  0, 15, 14, 2,  3, 12},
    {13, 2,  8,  4, 6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,
     1,  15, 13, 8, 10, 3,  7,  4,  12, 5,  6,  11, 0,  14, 9,  2,
     7,  11, 4,  1, 9,  12, 14, 2,  0,  6,  10, 13, 15, 3,  5,  8,
     2,  1,  14, 7, 4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

inline uint32_t RotateRight(uint32_t v, unsigned n)
{
    n &= 31;
    return n ? (v >> n) | (v << (32 - n)) : v;
}

uint8_t ReverseByte(uint8_t b)
{
    b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

unsigned ReverseNibble(unsigned v)
{
    return (v & 1) << 3 | (v & 2) << 1 | (v & 4) >> 1 | (v & 8) >> 3;
}

// Where bit n (0..63 in the standard numbering, most significant first) of a
// block stands in the 64-bit word of its eight bytes read in order: the
// standard takes each byte's bits from the most significant one, the profile
// from the least significant one.
int WordBit(int n, bool lowBitFirst)
{
    const int byteBase = 56 - 8 * (n / 8);
    return byteBase + (lowBitFirst ? n % 8 : 7 - n % 8);
}

// A table that moves every input bit i (1..64) to the output bit o where
// `outputFromInput[o] == i`, one 256-entry table per input byte; the input and
// the output are each read or written in the given bit order.
void BuildPermutationTable(uint64_t table[8][256], const uint8_t outputFromInput[64], bool inputLowBitFirst,
                           bool outputLowBitFirst)
{
    uint64_t outputOf[64] = {};
    for (int o = 0; o < 64; ++o)
        outputOf[outputFromInput[o] - 1] = uint64_t(1) << WordBit(o, outputLowBitFirst);
    for (int byte = 0; byte < 8; ++byte) {
        for (int value = 0; value < 256; ++value) {
            uint64_t out = 0;
            for (int n = byte * 8; n < byte * 8 + 8; ++n)
                if ((uint64_t(value) << (56 - 8 * byte)) & (uint64_t(1) << WordBit(n, inputLowBitFirst)))
                    out |= outputOf[n];
            table[byte][value] = out;
        }
    }
}

inline uint64_t Permute(const uint64_t table[8][256], uint64_t v)
{
    return table[0][v >> 56] | table[1][(v >> 48) & 0xFF] | table[2][(v >> 40) & 0xFF] |
           table[3][(v >> 32) & 0xFF] | table[4][(v >> 24) & 0xFF] | table[5][(v >> 16) & 0xFF] |
           table[6][(v >> 8) & 0xFF] | table[7][v & 0xFF];
}

} // namespace

// The S-boxes combined with the permutation P (indexed by a 6-bit group after
// the key is mixed in), and the initial and final permutations as byte-indexed
// tables of 64-bit words, for one bit order.
struct TDes::Tables {
    uint32_t spBox[8][64];
    uint64_t initial[8][256];
    uint64_t final[8][256];

    explicit Tables(bool profile)
    {
        // S-box i maps the 6-bit group b1..b6 (row b1 b6, column b2..b5) to 4
        // bits at positions 4i+1..4i+4 before P: its most significant bit first
        // in the standard, its least significant bit first in the profile.
        for (int box = 0; box < 8; ++box) {
            for (int group = 0; group < 64; ++group) {
                const int row = ((group >> 4) & 2) | (group & 1);
                const int column = (group >> 1) & 0xF;
                const unsigned v = kSBoxes[box][row * 16 + column];
                const uint32_t beforeP = uint32_t(profile ? ReverseNibble(v) : v) << (28 - 4 * box);
                uint32_t afterP = 0;
                for (int o = 0; o < 32; ++o)
                    if (beforeP & (0x80000000u >> (kPermutation[o] - 1)))
                        afterP |= 0x80000000u >> o;
                spBox[box][group] = afterP;
            }
        }
        uint8_t inverse[64];
        for (int o = 0; o < 64; ++o)
            inverse[kInitialPermutation[o] - 1] = static_cast<uint8_t>(o + 1);
        BuildPermutationTable(initial, kInitialPermutation, profile, false);
        BuildPermutationTable(final, inverse, false, profile);
    }
};

namespace {

const TDes::Tables &TablesFor(TDes::BitOrder order)
{
    static const TDes::Tables standard(false);
    static const TDes::Tables profile(true);
    return order == TDes::ProfileBitOrder ? profile : standard;
}

// f(R, K): the expansion is read off R by rotation (group i covers bits 4i to
// 4i+5, bit 0 being bit 32), each group mixed with its subkey byte and looked up
// in the combined S-box and P table.
inline uint32_t RoundFunction(const uint32_t (*sp)[64], uint32_t r, const uint8_t *k)
{
    return sp[0][(RotateRight(r, 27) & 0x3F) ^ k[0]] | sp[1][(RotateRight(r, 23) & 0x3F) ^ k[1]] |
           sp[2][(RotateRight(r, 19) & 0x3F) ^ k[2]] | sp[3][(RotateRight(r, 15) & 0x3F) ^ k[3]] |
           sp[4][(RotateRight(r, 11) & 0x3F) ^ k[4]] | sp[5][(RotateRight(r, 7) & 0x3F) ^ k[5]] |
           sp[6][(RotateRight(r, 3) & 0x3F) ^ k[6]] | sp[7][(((r << 1) | (r >> 31)) & 0x3F) ^ k[7]];
}

} // namespace

TDes::TDes(BitOrder order) : m_tables(&TablesFor(order)), m_order(order) {}

void TDes::SetKey(const uint8_t key[8])
{
    uint64_t k = 0;
    for (int i = 0; i < 8; ++i)
        k = (k << 8) | (m_order == ProfileBitOrder ? ReverseByte(key[i]) : key[i]);
    // PC-1 gives the two 28-bit halves C and D.
    uint32_t c = 0;
    uint32_t d = 0;
    for (int i = 0; i < 28; ++i) {
        c = (c << 1) | uint32_t((k >> (64 - kPermutedChoice1[i])) & 1);
        d = (d << 1) | uint32_t((k >> (64 - kPermutedChoice1[28 + i])) & 1);
    }
    for (int round = 0; round < 16; ++round) {
        const unsigned n = kRotations[round];
        const uint32_t cr = ((c << n) | (c >> (28 - n))) & 0x0FFFFFFF;
        const uint32_t dr = ((d << n) | (d >> (28 - n))) & 0x0FFFFFFF;
        const uint64_t cd = (uint64_t(cr) << 28) | dr;
        for (int group = 0; group < 8; ++group) {
            uint8_t bits = 0;
            for (int j = 0; j < 6; ++j)
                bits = static_cast<uint8_t>((bits << 1) | ((cd >> (56 - kPermutedChoice2[group * 6 + j])) & 1));
            m_subkeys[round][group] = bits;
        }
    }
}

void TDes::Crypt(uint8_t block[8], bool decipher) const
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | block[i];
    v = Permute(m_tables->initial, v);
    uint32_t left = uint32_t(v >> 32);
    uint32_t right = uint32_t(v);
    const bool profile = m_order == ProfileBitOrder;
    // The profile's enciphering leaves out the exchange of the halves before the
    // final permutation; its deciphering, the exact inverse, makes that exchange
    // first and then runs the standard rounds.
    if (profile && decipher) {
        const uint32_t t = left;
        left = right;
        right = t;
    }
    const uint32_t(*sp)[64] = m_tables->spBox;
    for (int round = 0; round < 16; ++round) {
        const uint8_t *k = m_subkeys[decipher ? 15 - round : round];
        const uint32_t next = left ^ RoundFunction(sp, right, k);
        left = right;
        right = next;
    }
    const uint64_t preOutput = profile && !decipher ? (uint64_t(left) << 32) | right : (uint64_t(right) << 32) | left;
    v = Permute(m_tables->final, preOutput);
    for (int i = 7; i >= 0; --i) {
        block[i] = static_cast<uint8_t>(v);
        v >>= 8;
    }
}

void TDes::EncryptBlock(uint8_t block[8]) const
{
    Crypt(block, false);
}

void TDes::DecryptBlock(uint8_t block[8]) const
{
    Crypt(block, true);
}
