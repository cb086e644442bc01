// The block cipher of the chat client's profile: the common DES in the profile's
// bit order, single or triple with two keys, in electronic codebook mode; and the
// enciphered file format built on it.
#pragma once

#include <cstdint>
#include <string>

#include "common/Des.h"
#include "platform/win/WinTypes.h"

class CDesCipher {
public:
    // The profile's bit order, or the standard one of FIPS 46 (which serves to
    // check the tables).
    using BitOrder = TDes::BitOrder;
    static constexpr BitOrder ProfileBitOrder = TDes::ProfileBitOrder;
    static constexpr BitOrder StandardBitOrder = TDes::StandardBitOrder;

    explicit CDesCipher(win::LPCSTR key, BitOrder order = ProfileBitOrder);

    // Up to 16 characters: 1 to 8 single DES, 9 to 16 triple DES with the first
    // and the second eight characters (each zero-padded). An empty or longer key
    // is refused and nothing is set.
    bool SetKey(win::LPCSTR key);
    bool HasKey() const { return m_hasKey; }

    // Whole 8-byte blocks of `length`; output may be the input.
    void EncryptBlocks(uint8_t *output, const uint8_t *input, size_t length) const;
    void DecryptBlocks(uint8_t *output, const uint8_t *input, size_t length) const;

    // The enciphered file: format 1, the plain size, the key text enciphered,
    // then the plain bytes in enciphered chunks of 10240. EncryptFile writes a
    // new file of a fresh name beside the target and renames it over the target
    // only once it is complete, so a failed write or a crash leaves the old file
    // as it was, and of two savers at once one wins whole. DecryptFile leaves the
    // plain file empty when it fails.
    bool EncryptFile(win::LPCSTR plainPath, win::LPCSTR cipherPath) const;
    bool DecryptFile(win::LPCSTR cipherPath, win::LPCSTR plainPath) const;
    // The same with the plain bytes in memory, so that they never reach a disk:
    // `plain` is cleared when the file cannot be read or deciphered.
    bool EncryptToFile(const std::string &plain, win::LPCSTR cipherPath) const;
    bool DecryptFromFile(win::LPCSTR cipherPath, std::string &plain) const;

    static constexpr uint32_t kFileFormat = 1;
    static constexpr size_t kHeaderSize = 24;
    static constexpr size_t kChunkSize = 10240;

private:
    std::string Seal(const std::string &plain) const;
    bool Unseal(const std::string &sealed, std::string &plain) const;
    void Encrypt(uint8_t block[8]) const;
    void Decrypt(uint8_t block[8]) const;

    bool m_hasKey = false;
    bool m_triple = false;
    char m_keyText[16] = {};
    TDes m_key1;
    TDes m_key2;
};
