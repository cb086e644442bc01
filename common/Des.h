// DES (FIPS 46) on single 8-byte blocks, with one key schedule per object, in
// either of two bit orders: the standard one, and the order of the chat client's
// enciphered profile, which every stored profile depends on: bits counted from
// the least significant bit of each byte, S-box results placed low bit first, and
// no exchange of the halves before the final permutation.
#pragma once

#include <cstdint>

class TDes {
public:
    enum BitOrder { StandardBitOrder, ProfileBitOrder };

    explicit TDes(BitOrder order = StandardBitOrder);

    // The 16 subkeys of an 8-byte key (the parity bits are ignored). Until a key
    // is set the schedule is that of the all-zero key.
    void SetKey(const uint8_t key[8]);

    // One block in place.
    void EncryptBlock(uint8_t block[8]) const;
    void DecryptBlock(uint8_t block[8]) const;

    BitOrder Order() const { return m_order; }

    struct Tables;

private:
    void Crypt(uint8_t block[8], bool decipher) const;

    const Tables *m_tables;
    BitOrder m_order;
    // One 6-bit group per byte, eight per round.
    uint8_t m_subkeys[16][8] = {};
};
