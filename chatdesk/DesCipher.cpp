#include "chatdesk/DesCipher.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;

namespace {

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

CDesCipher::CDesCipher(LPCSTR key, BitOrder order) : m_key1(order), m_key2(order)
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
    m_key1.SetKey(key1);
    m_key2.SetKey(key2);
    m_hasKey = true;
    return true;
}

void CDesCipher::Encrypt(uint8_t block[8]) const
{
    m_key1.EncryptBlock(block);
    if (m_triple) {
        m_key2.DecryptBlock(block);
        m_key1.EncryptBlock(block);
    }
}

void CDesCipher::Decrypt(uint8_t block[8]) const
{
    m_key1.DecryptBlock(block);
    if (m_triple) {
        m_key2.EncryptBlock(block);
        m_key1.DecryptBlock(block);
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
