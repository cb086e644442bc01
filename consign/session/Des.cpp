#include "consign/session/Des.h"

#include <cstdint>
#include <new>

// The standard tables of DES. Bits are numbered from 1, most significant first,
// as the standard numbers them.
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

// The process-wide state: the S-boxes combined with the permutation P (indexed
// by a 6-bit group after the key is mixed in), the key schedule (one 6-bit group
// per byte), and the initial and final permutations as byte-indexed tables of
// 64-bit words.
struct DesTables {
    uint32_t spBox[8][64];
    uint8_t subkeys[16][8];
    uint64_t initial[8][256];
    uint64_t final[8][256];
    bool keySet;
};

DesTables *g_des = nullptr;

inline uint32_t RotateRight(uint32_t v, unsigned n)
{
    n &= 31;
    return n ? (v >> n) | (v << (32 - n)) : v;
}

// A table that moves every input bit i (1..64) to the output bit where
// `outputFromInput[o] == i`, one 256-entry table per input byte.
void BuildPermutationTable(uint64_t table[8][256], const uint8_t outputFromInput[64])
{
    uint64_t bitOf[64] = {};
    for (int o = 0; o < 64; ++o)
        bitOf[outputFromInput[o] - 1] = uint64_t(1) << (63 - o);
    for (int byte = 0; byte < 8; ++byte) {
        for (int value = 0; value < 256; ++value) {
            uint64_t out = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (value & (0x80 >> bit))
                    out |= bitOf[byte * 8 + bit];
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

// f(R, K): the expansion is read off R by rotation (group i covers bits 4i to
// 4i+5, bit 0 being bit 32), each group mixed with its subkey byte and looked up
// in the combined S-box and P table.
inline uint32_t RoundFunction(uint32_t r, const uint8_t *k)
{
    const uint32_t(*sp)[64] = g_des->spBox;
    return sp[0][(RotateRight(r, 27) & 0x3F) ^ k[0]] | sp[1][(RotateRight(r, 23) & 0x3F) ^ k[1]] |
           sp[2][(RotateRight(r, 19) & 0x3F) ^ k[2]] | sp[3][(RotateRight(r, 15) & 0x3F) ^ k[3]] |
           sp[4][(RotateRight(r, 11) & 0x3F) ^ k[4]] | sp[5][(RotateRight(r, 7) & 0x3F) ^ k[5]] |
           sp[6][(RotateRight(r, 3) & 0x3F) ^ k[6]] | sp[7][(((r << 1) | (r >> 31)) & 0x3F) ^ k[7]];
}

void Crypt(unsigned char *block, bool decrypt)
{
    if (!g_des || !g_des->keySet)
        return;
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | block[i];
    v = Permute(g_des->initial, v);
    uint32_t left = uint32_t(v >> 32);
    uint32_t right = uint32_t(v);
    for (int round = 0; round < 16; ++round) {
        const uint8_t *k = g_des->subkeys[decrypt ? 15 - round : round];
        const uint32_t next = left ^ RoundFunction(right, k);
        left = right;
        right = next;
    }
    v = Permute(g_des->final, (uint64_t(right) << 32) | left);
    for (int i = 7; i >= 0; --i) {
        block[i] = static_cast<unsigned char>(v);
        v >>= 8;
    }
}

} // namespace

int DesInit(int mode)
{
    if (mode != 0)
        return -1;
    if (g_des)
        return 0;
    DesTables *t = new (std::nothrow) DesTables();
    if (!t)
        return -1;

    // S-box i maps the 6-bit group b1..b6 (row b1 b6, column b2..b5) to 4 bits
    // that stand at bits 4i+1..4i+4 before P.
    for (int box = 0; box < 8; ++box) {
        for (int group = 0; group < 64; ++group) {
            const int row = ((group >> 4) & 2) | (group & 1);
            const int column = (group >> 1) & 0xF;
            const uint32_t beforeP = uint32_t(kSBoxes[box][row * 16 + column]) << (28 - 4 * box);
            uint32_t afterP = 0;
            for (int o = 0; o < 32; ++o)
                if (beforeP & (0x80000000u >> (kPermutation[o] - 1)))
                    afterP |= 0x80000000u >> o;
            t->spBox[box][group] = afterP;
        }
    }
    uint8_t inverse[64];
    for (int o = 0; o < 64; ++o)
        inverse[kInitialPermutation[o] - 1] = static_cast<uint8_t>(o + 1);
    BuildPermutationTable(t->initial, kInitialPermutation);
    BuildPermutationTable(t->final, inverse);
    t->keySet = false;
    g_des = t;
    return 0;
}

int DesSetKey(const unsigned char *key)
{
    if (!g_des)
        return -1;
    uint64_t k = 0;
    for (int i = 0; i < 8; ++i)
        k = (k << 8) | key[i];
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
                bits = static_cast<uint8_t>((bits << 1) |
                                            ((cd >> (56 - kPermutedChoice2[group * 6 + j])) & 1));
            g_des->subkeys[round][group] = bits;
        }
    }
    g_des->keySet = true;
    return 0;
}

void DesEncryptBlock(unsigned char *block)
{
    Crypt(block, false);
}

void DesDecryptBlock(unsigned char *block)
{
    Crypt(block, true);
}

int DesDone()
{
    if (!g_des)
        return -1;
    delete g_des;
    g_des = nullptr;
    return 0;
}
