// Our DES against OpenSSL's DES-ECB, and the CRC-16 check values.
// The low-level DES calls are the plainest oracle, deprecated or not.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "consign/session/Des.h"
#include "consign/session/PacketCipher.h"

namespace {

std::string Hex(const unsigned char *p, int n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

void FromHex(const char *hex, unsigned char *out)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
}

class DesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(DesInit(0), 0); }
};

TEST_F(DesTest, KnownVectors)
{
    struct Case {
        const char *key;
        const char *plain;
        const char *cipher;
    };
    const Case cases[] = {
        {"133457799BBCDFF1", "0123456789ABCDEF", "85e813540f0ab405"},
        {"4D4F4C5452415645", "3132333435363738", "1a6ba62866c0b955"},
        {"4D4F4C5452415645", "0000000000000000", "fcc2c63e6cc46cc7"},
    };
    for (const Case &c : cases) {
        unsigned char key[8], block[8];
        FromHex(c.key, key);
        FromHex(c.plain, block);
        ASSERT_EQ(DesSetKey(key), 0);
        DesEncryptBlock(block);
        EXPECT_EQ(Hex(block, 8), c.cipher) << c.key;
        DesDecryptBlock(block);
        unsigned char plain[8];
        FromHex(c.plain, plain);
        EXPECT_EQ(Hex(block, 8), Hex(plain, 8)) << c.key;
    }
}

TEST_F(DesTest, AgreesWithOpenSslOnRandomKeysAndBlocks)
{
    std::mt19937 random(20261210);
    for (int i = 0; i < 2000; ++i) {
        unsigned char key[8], block[8], ours[8];
        for (int j = 0; j < 8; ++j) {
            key[j] = static_cast<unsigned char>(random());
            block[j] = static_cast<unsigned char>(random());
        }
        DES_cblock opensslKey;
        std::memcpy(opensslKey, key, 8);
        DES_key_schedule schedule;
        DES_set_key_unchecked(&opensslKey, &schedule);
        DES_cblock in, out;
        std::memcpy(in, block, 8);
        DES_ecb_encrypt(&in, &out, &schedule, DES_ENCRYPT);

        std::memcpy(ours, block, 8);
        DesSetKey(key);
        DesEncryptBlock(ours);
        ASSERT_EQ(Hex(ours, 8), Hex(out, 8)) << "key " << Hex(key, 8) << " block " << Hex(block, 8);
        DesDecryptBlock(ours);
        ASSERT_EQ(Hex(ours, 8), Hex(block, 8));
    }
}

TEST(DesLifecycle, InitTwiceAndDone)
{
    ASSERT_EQ(DesInit(0), 0);
    EXPECT_EQ(DesInit(0), 0);
    EXPECT_EQ(DesDone(), 0);
    EXPECT_EQ(DesDone(), -1);
    EXPECT_EQ(DesSetKey(reinterpret_cast<const unsigned char *>("MOLTRAVE")), -1);
    EXPECT_EQ(DesInit(0), 0);
}

TEST(Crc16Test, CheckValuesSwapped)
{
    struct Case {
        const char *data;
        int length;
        unsigned expected;
    };
    const Case cases[] = {
        {"123456789", 9, 0xC331}, // CRC 0x31C3
        {"abc", 3, 0xD69D},       // CRC 0x9DD6
        {"", 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Crc16(reinterpret_cast<const unsigned char *>(c.data), c.length), c.expected)
            << c.data;
    std::vector<unsigned char> large(5121, 'x');
    EXPECT_EQ(Crc16(large.data(), 5121), 0);
    EXPECT_NE(Crc16(large.data(), 5120), 0);
}

} // namespace
