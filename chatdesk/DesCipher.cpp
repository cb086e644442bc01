#include "chatdesk/DesCipher.h"

#include <cstring>
#include <string>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Text.h"

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

bool WriteAll(HANDLE file, const std::string &bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
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

// The whole file; false when it cannot be opened or read, or is larger than the
// format's 32-bit sizes allow.
bool ReadWholeFile(LPCSTR path, std::string &bytes)
{
    bytes.clear();
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, 0));
    if (!file.Ok())
        return false;
    char buffer[CDesCipher::kChunkSize];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        if (bytes.size() + got > 0xFFFFFFFFu)
            return false;
        bytes.append(buffer, got);
    }
}

// The folder part of a path as the programs write it (up to and with its last
// separator), or "" for a bare name; a GBK trail byte is never taken for '\'.
std::string FolderOf(LPCSTR path)
{
    const size_t length = std::strlen(path);
    size_t end = 0;
    for (size_t i = 0; i < length;) {
        if (path[i] == '\\' || path[i] == '/')
            end = i + 1;
        i += GbkCharLength(path + i, length - i);
    }
    return std::string(path, end);
}

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

std::string CDesCipher::Seal(const std::string &plain) const
{
    // The chunks are whole blocks but the last, which is padded with zeros; in
    // electronic codebook mode the whole body is then one run of blocks.
    std::string sealed(kHeaderSize + RoundUp8(plain.size()), '\0');
    uint8_t *out = reinterpret_cast<uint8_t *>(sealed.data());
    PutU32(out, kFileFormat);
    PutU32(out + 4, static_cast<uint32_t>(plain.size()));
    EncryptBlocks(out + 8, reinterpret_cast<const uint8_t *>(m_keyText), 16);
    std::memcpy(out + kHeaderSize, plain.data(), plain.size());
    EncryptBlocks(out + kHeaderSize, out + kHeaderSize, sealed.size() - kHeaderSize);
    return sealed;
}

bool CDesCipher::Unseal(const std::string &sealed, std::string &plain) const
{
    plain.clear();
    if (sealed.size() < kHeaderSize)
        return false;
    const uint8_t *in = reinterpret_cast<const uint8_t *>(sealed.data());
    uint8_t keyField[16];
    DecryptBlocks(keyField, in + 8, 16);
    if (GetU32(in) != kFileFormat || std::memcmp(keyField, m_keyText, 16) != 0)
        return false;
    // Every chunk is written in whole blocks: a part block is what is left of a
    // cut file, and would decipher into wrong bytes; a body shorter than the
    // stored size is cut too.
    const size_t body = sealed.size() - kHeaderSize;
    const uint32_t plainSize = GetU32(in + 4);
    if (body % 8 != 0 || body < plainSize)
        return false;
    plain.assign(sealed, kHeaderSize, body);
    uint8_t *p = reinterpret_cast<uint8_t *>(plain.data());
    DecryptBlocks(p, p, body);
    plain.resize(plainSize);
    return true;
}

bool CDesCipher::EncryptToFile(const std::string &plain, LPCSTR cipherPath) const
{
    if (!m_hasKey || plain.size() > 0xFFFFFFFFu)
        return false;
    // The new file is written beside the target under a fresh name and renamed
    // over it only once it is whole: the profile is never missing or cut, and a
    // second saver at the same moment writes a file of its own.
    std::string folder = FolderOf(cipherPath);
    char sibling[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "Lms", 0, sibling) == 0)
        return false;
    bool ok;
    {
        FileHandle out(CreateFileA(sibling, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, 0));
        ok = out.Ok() && WriteAll(out.Get(), Seal(plain)) && FlushFileBuffers(out.Get());
    }
    ok = ok && MoveFileExA(sibling, cipherPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok)
        DeleteFileA(sibling);
    return ok;
}

bool CDesCipher::DecryptFromFile(LPCSTR cipherPath, std::string &plain) const
{
    std::string sealed;
    plain.clear();
    return m_hasKey && ReadWholeFile(cipherPath, sealed) && Unseal(sealed, plain);
}

bool CDesCipher::EncryptFile(LPCSTR plainPath, LPCSTR cipherPath) const
{
    std::string plain;
    return m_hasKey && ReadWholeFile(plainPath, plain) && EncryptToFile(plain, cipherPath);
}

bool CDesCipher::DecryptFile(LPCSTR cipherPath, LPCSTR plainPath) const
{
    std::string sealed;
    if (!m_hasKey || !ReadWholeFile(cipherPath, sealed))
        return false;
    FileHandle out(CreateFileA(plainPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN, 0));
    if (!out.Ok())
        return false;
    // What was deciphered of a cut or foreign file is never taken for the
    // document: the plain file is left empty.
    std::string plain;
    return Unseal(sealed, plain) && WriteAll(out.Get(), plain);
}
