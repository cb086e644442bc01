#include "chatdesk/DesCipher.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;

namespace {

// The tables of FIPS 46; positions count from 1.
const uint8_t kIP[64] = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                         62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                         57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                         61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};
const uint8_t kFP[64] = {40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
                         38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
                         36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
                         34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};
const uint8_t kE[48] = {32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
                        12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
                        22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};
const uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                        2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};
const uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                          10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                          63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                          14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
const uint8_t kPC2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                          26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                          51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
const uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};
const uint8_t kS[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

// Picks bit table[i] (counted from 1) of `in` into bit i of the result.
uint64_t Permute(uint64_t in, const uint8_t *table, int count)
{
    uint64_t out = 0;
    for (int i = 0; i < count; ++i)
        out |= ((in >> (table[i] - 1)) & 1) << i;
    return out;
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

void PutU32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool WriteAll(HANDLE file, const uint8_t *data, DWORD length)
{
    DWORD written = 0;
    return WriteFile(file, data, length, &written, nullptr) && written == length;
}

// Reads up to `length` bytes; false on a read error.
bool ReadSome(HANDLE file, uint8_t *data, DWORD length, DWORD &got)
{
    got = 0;
    return ReadFile(file, data, length, &got, nullptr) != FALSE;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    bool Ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    void Close()
    {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

size_t RoundUp8(size_t n) { return (n + 7) & ~size_t(7); }

} // namespace

CDesCipher::CDesCipher(LPCSTR key, BitOrder order) : m_order(order)
{
    SetKey(key);
}

bool CDesCipher::SetKey(LPCSTR key)
{
    const size_t length = key ? std::strlen(key) : 0;
    if (length == 0 || length > 16)
        return false;
    std::memset(m_keyText, 0, sizeof m_keyText);
    std::memcpy(m_keyText, key, length);
    m_triple = length > 8;
    uint8_t key1[8], key2[8];
    std::memcpy(key1, m_keyText, 8);
    std::memcpy(key2, m_keyText + 8, 8);
    MakeSubkeys(key1, m_subkeys1);
    MakeSubkeys(key2, m_subkeys2);
    m_hasKey = true;
    return true;
}

uint64_t CDesCipher::Unpack(const uint8_t bytes[8]) const
{
    // The profile counts bits from the least significant of each byte, the
    // standard from the most significant.
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(m_order == ProfileBitOrder ? bytes[i] : ReverseByte(bytes[i])) << (8 * i);
    return bits;
}

void CDesCipher::Pack(uint64_t bits, uint8_t bytes[8]) const
{
    for (int i = 0; i < 8; ++i) {
        const uint8_t b = static_cast<uint8_t>(bits >> (8 * i));
        bytes[i] = m_order == ProfileBitOrder ? b : ReverseByte(b);
    }
}

void CDesCipher::MakeSubkeys(const uint8_t key[8], Subkeys &subkeys) const
{
    const uint64_t bits = Unpack(key);
    const uint64_t cd = Permute(bits, kPC1, 56);
    uint32_t c = static_cast<uint32_t>(cd & 0xFFFFFFF), d = static_cast<uint32_t>(cd >> 28);
    for (int round = 0; round < 16; ++round) {
        // A left rotation moves each position to the one before it.
        const int s = kShifts[round];
        c = ((c >> s) | (c << (28 - s))) & 0xFFFFFFF;
        d = ((d >> s) | (d << (28 - s))) & 0xFFFFFFF;
        subkeys[round] = Permute(uint64_t(c) | uint64_t(d) << 28, kPC2, 48);
    }
}

uint32_t CDesCipher::RoundFunction(uint32_t half, uint64_t subkey) const
{
    const uint64_t e = Permute(half, kE, 48) ^ subkey;
    uint64_t s = 0;
    for (int g = 0; g < 8; ++g) {
        const unsigned b = static_cast<unsigned>(e >> (6 * g)) & 63; // b1 in bit 0 ... b6 in bit 5
        const int row = 2 * (b & 1) + ((b >> 5) & 1);
        const int column = 8 * ((b >> 1) & 1) + 4 * ((b >> 2) & 1) + 2 * ((b >> 3) & 1) + ((b >> 4) & 1);
        const unsigned v = kS[g][row][column];
        // The profile places the result low bit first, the standard high bit first.
        s |= uint64_t(m_order == ProfileBitOrder ? v : ReverseNibble(v)) << (4 * g);
    }
    return static_cast<uint32_t>(Permute(s, kP, 32));
}

void CDesCipher::CryptBlock(uint8_t block[8], const Subkeys &subkeys, bool decipher) const
{
    const uint64_t ip = Permute(Unpack(block), kIP, 64);
    uint32_t l = static_cast<uint32_t>(ip), r = static_cast<uint32_t>(ip >> 32);
    uint64_t pre;
    if (m_order == StandardBitOrder) {
        // FIPS 46: the same rounds both ways with the subkeys reversed, and the
        // halves exchanged before the final permutation.
        for (int round = 0; round < 16; ++round) {
            const uint32_t t = r;
            r = l ^ RoundFunction(r, subkeys[decipher ? 15 - round : round]);
            l = t;
        }
        pre = uint64_t(r) | uint64_t(l) << 32;
    } else {
        for (int round = 0; round < 16; ++round) {
            if (!decipher) {
                // (L, R) <- (R, L ^ f(R, K))
                const uint32_t t = r;
                r = l ^ RoundFunction(r, subkeys[round]);
                l = t;
            } else {
                // (L, R) <- (R ^ f(L, K), L)
                const uint32_t t = l;
                l = r ^ RoundFunction(l, subkeys[15 - round]);
                r = t;
            }
        }
        pre = uint64_t(l) | uint64_t(r) << 32;
    }
    Pack(Permute(pre, kFP, 64), block);
}

void CDesCipher::Encrypt(uint8_t block[8]) const
{
    CryptBlock(block, m_subkeys1, false);
    if (m_triple) {
        CryptBlock(block, m_subkeys2, true);
        CryptBlock(block, m_subkeys1, false);
    }
}

void CDesCipher::Decrypt(uint8_t block[8]) const
{
    CryptBlock(block, m_subkeys1, true);
    if (m_triple) {
        CryptBlock(block, m_subkeys2, false);
        CryptBlock(block, m_subkeys1, true);
    }
}

void CDesCipher::EncryptBlocks(uint8_t *output, const uint8_t *input, size_t length) const
{
    for (size_t i = 0; i + 8 <= length; i += 8) {
        uint8_t block[8];
        std::memcpy(block, input + i, 8);
        Encrypt(block);
        std::memcpy(output + i, block, 8);
    }
}

void CDesCipher::DecryptBlocks(uint8_t *output, const uint8_t *input, size_t length) const
{
    for (size_t i = 0; i + 8 <= length; i += 8) {
        uint8_t block[8];
        std::memcpy(block, input + i, 8);
        Decrypt(block);
        std::memcpy(output + i, block, 8);
    }
}

bool CDesCipher::EncryptFile(LPCSTR plainPath, LPCSTR cipherPath) const
{
    if (!m_hasKey)
        return false;
    FileHandle plain(CreateFileA(plainPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, 0));
    if (!plain.Ok())
        return false;
    const DWORD plainSize = GetFileSize(plain.Get(), nullptr);
    if (plainSize == INVALID_FILE_SIZE)
        return false;

    // The new file is written beside the target and takes its place only once
    // it is whole, so a full disk never leaves a cut profile behind.
    const std::string sibling = std::string(cipherPath) + ".new";
    bool ok;
    {
        FileHandle out(CreateFileA(sibling.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_FLAG_SEQUENTIAL_SCAN, 0));
        if (!out.Ok())
            return false;
        uint8_t header[kHeaderSize] = {};
        PutU32(header, kFileFormat);
        PutU32(header + 4, plainSize);
        EncryptBlocks(header + 8, reinterpret_cast<const uint8_t *>(m_keyText), 16);
        ok = WriteAll(out.Get(), header, kHeaderSize);
        std::vector<uint8_t> chunk(kChunkSize);
        while (ok) {
            DWORD got = 0;
            if (!ReadSome(plain.Get(), chunk.data(), kChunkSize, got)) {
                ok = false;
                break;
            }
            // The padding of the last chunk is zeros, never stale bytes.
            const size_t rounded = RoundUp8(got);
            std::memset(chunk.data() + got, 0, rounded - got);
            EncryptBlocks(chunk.data(), chunk.data(), rounded);
            ok = WriteAll(out.Get(), chunk.data(), static_cast<DWORD>(rounded));
            if (got < kChunkSize)
                break;
        }
        ok = ok && FlushFileBuffers(out.Get());
    }
    if (ok) {
        if (GetFileAttributesA(cipherPath) != INVALID_FILE_ATTRIBUTES)
            ok = DeleteFileA(cipherPath) != FALSE;
        ok = ok && MoveFileA(sibling.c_str(), cipherPath) != FALSE;
    }
    if (!ok)
        DeleteFileA(sibling.c_str());
    return ok;
}

bool CDesCipher::DecryptFile(LPCSTR cipherPath, LPCSTR plainPath) const
{
    if (!m_hasKey)
        return false;
    FileHandle in(CreateFileA(cipherPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, 0));
    if (!in.Ok())
        return false;
    FileHandle out(CreateFileA(plainPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_FLAG_SEQUENTIAL_SCAN, 0));
    if (!out.Ok())
        return false;

    bool ok = false;
    uint8_t header[kHeaderSize];
    DWORD got = 0;
    if (ReadSome(in.Get(), header, kHeaderSize, got) && got == kHeaderSize) {
        uint8_t keyField[16];
        DecryptBlocks(keyField, header + 8, 16);
        const uint32_t plainSize = GetU32(header + 4);
        if (GetU32(header) == kFileFormat && std::memcmp(keyField, m_keyText, 16) == 0) {
            std::vector<uint8_t> chunk(kChunkSize);
            uint64_t total = 0;
            ok = true;
            while (ok) {
                if (!ReadSome(in.Get(), chunk.data(), kChunkSize, got)) {
                    ok = false;
                    break;
                }
                // Every chunk is written in whole blocks: a part block is what
                // is left of a cut file, and would decipher into wrong bytes.
                if (got % 8 != 0) {
                    ok = false;
                    break;
                }
                DecryptBlocks(chunk.data(), chunk.data(), got);
                ok = WriteAll(out.Get(), chunk.data(), got);
                total += got;
                if (got < kChunkSize)
                    break;
            }
            ok = ok && total >= plainSize;
            if (ok) {
                LONG high = 0;
                ok = SetFilePointer(out.Get(), static_cast<LONG>(plainSize), &high, FILE_BEGIN) == plainSize &&
                     SetEndOfFile(out.Get());
            }
        }
    }
    if (!ok) {
        // What was deciphered of a cut or foreign file must not be taken for the
        // document: the plain file is left empty.
        SetFilePointer(out.Get(), 0, nullptr, FILE_BEGIN);
        SetEndOfFile(out.Get());
    }
    return ok;
}
