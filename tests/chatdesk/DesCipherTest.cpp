// The profile cipher: its tables against OpenSSL's DES in the standard bit order,
// the profile's own order, and the enciphered file format.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chatdesk/DesCipher.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const uint8_t *p, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

Bytes FromHex(const std::string &hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes ReadFileBytes(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const char *path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A key text of `length` random bytes without NUL (the key is a C string).
std::string RandomKey(std::mt19937 &rng, size_t length)
{
    std::string key;
    while (key.size() < length)
        key += static_cast<char>(1 + rng() % 255);
    return key;
}

TEST(DesCipherStandardOrder, PassesTheFipsVectorAndMatchesOpenSsl)
{
    const Bytes key = FromHex("133457799BBCDFF1");
    const std::string keyText(key.begin(), key.end());
    CDesCipher des(keyText.c_str(), CDesCipher::StandardBitOrder);
    Bytes block = FromHex("0123456789ABCDEF");
    des.EncryptBlocks(block.data(), block.data(), 8);
    EXPECT_EQ(Hex(block.data(), 8), "85E813540F0AB405");
    des.DecryptBlocks(block.data(), block.data(), 8);
    EXPECT_EQ(Hex(block.data(), 8), "0123456789ABCDEF");

    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        const bool triple = i % 2 == 1;
        const std::string text = RandomKey(rng, triple ? 16 : 8);
        DES_cblock k1, k2;
        std::memcpy(k1, text.data(), 8);
        std::memcpy(k2, triple ? text.data() + 8 : text.data(), 8);
        DES_key_schedule s1, s2;
        DES_set_key_unchecked(&k1, &s1);
        DES_set_key_unchecked(&k2, &s2);
        DES_cblock in, expected;
        for (auto &b : in)
            b = static_cast<unsigned char>(rng());
        if (triple)
            DES_ecb3_encrypt(&in, &expected, &s1, &s2, &s1, DES_ENCRYPT);
        else
            DES_ecb_encrypt(&in, &expected, &s1, DES_ENCRYPT);

        CDesCipher ours(text.c_str(), CDesCipher::StandardBitOrder);
        uint8_t out[8];
        ours.EncryptBlocks(out, in, 8);
        ASSERT_EQ(Hex(out, 8), Hex(expected, 8)) << "case " << i;
        ours.DecryptBlocks(out, out, 8);
        ASSERT_EQ(Hex(out, 8), Hex(in, 8)) << "case " << i;
    }
}

TEST(DesCipherProfileOrder, KnownBlocksAndRoundTrips)
{
    // Values worked out independently from the same description of the cipher.
    struct Case {
        const char *key;
        const char *plain;
        const char *cipher;
    } cases[] = {
        {"ABCDEFGH", "0001020304050607", "12A7B6595DF46150"},
        {"K4QZWT7RMBN2HPX8", "0000000000000000", "7F522A93EA8E1B87"},
        {"K4QZWT7RMBN2HPX8", "4B34515A57543752", "0A8CAD5CA603EF05"},
        {"K4QZWT7RMBN2HPX8", "4D424E3248505838", "AB13936636465F35"},
    };
    for (const Case &c : cases) {
        CDesCipher des(c.key);
        Bytes block = FromHex(c.plain);
        des.EncryptBlocks(block.data(), block.data(), 8);
        EXPECT_EQ(Hex(block.data(), 8), c.cipher) << c.key;
        des.DecryptBlocks(block.data(), block.data(), 8);
        EXPECT_EQ(Hex(block.data(), 8), c.plain) << c.key;
    }

    std::mt19937 rng(11);
    for (size_t length = 1; length <= 16; ++length) {
        const std::string key = RandomKey(rng, length);
        CDesCipher profile(key.c_str()), standard(key.c_str(), CDesCipher::StandardBitOrder);
        Bytes plain(64), sealed(64), back(64), other(64);
        for (auto &b : plain)
            b = static_cast<uint8_t>(rng());
        profile.EncryptBlocks(sealed.data(), plain.data(), plain.size());
        standard.EncryptBlocks(other.data(), plain.data(), plain.size());
        EXPECT_NE(sealed, other) << "the profile's order is not the standard one";
        profile.DecryptBlocks(back.data(), sealed.data(), sealed.size());
        EXPECT_EQ(back, plain) << "key length " << length;
    }
}

TEST(DesCipherProfileOrder, KeyLengthChoosesSingleOrTriple)
{
    CDesCipher none("");
    EXPECT_FALSE(none.HasKey());
    EXPECT_FALSE(none.SetKey("0123456789ABCDEFG"));
    EXPECT_FALSE(none.HasKey());

    // Nine characters: E(k1) D(k2) E(k1) with k2 the ninth character padded.
    CDesCipher triple("ABCDEFGHI"), k1("ABCDEFGH"), k2("I");
    uint8_t a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8];
    std::memcpy(b, a, 8);
    triple.EncryptBlocks(a, a, 8);
    k1.EncryptBlocks(b, b, 8);
    k2.DecryptBlocks(b, b, 8);
    k1.EncryptBlocks(b, b, 8);
    EXPECT_EQ(Hex(a, 8), Hex(b, 8));

    // Eight characters and fewer stay single: "AB" is "AB" padded with zeros.
    CDesCipher shortKey("AB");
    uint8_t c[8] = {}, d[8] = {};
    shortKey.EncryptBlocks(c, c, 8);
    CDesCipher eight("AB");
    eight.EncryptBlocks(d, d, 8);
    eight.DecryptBlocks(d, d, 8);
    EXPECT_EQ(Hex(d, 8), "0000000000000000");
    EXPECT_NE(Hex(c, 8), "0000000000000000");
}

TEST(DesCipherFile, SizesAndRoundTrip)
{
    const CDesCipher des("K4QZWT7RMBN2HPX8");
    struct Case {
        size_t plain;
        size_t file;
    } cases[] = {{0, 24}, {26, 24 + 32}, {10240, 24 + 10240}, {10241, 24 + 10240 + 8}, {25000, 24 + 25000}};
    std::mt19937 rng(3);
    for (const Case &c : cases) {
        Bytes plain(c.plain);
        for (auto &b : plain)
            b = static_cast<uint8_t>(rng());
        WriteFileBytes("plain.bin", plain);
        ASSERT_TRUE(des.EncryptFile("plain.bin", "sealed.bin")) << c.plain;
        EXPECT_EQ(ReadFileBytes("sealed.bin").size(), c.file) << c.plain;
        ASSERT_TRUE(des.DecryptFile("sealed.bin", "back.bin")) << c.plain;
        EXPECT_EQ(ReadFileBytes("back.bin"), plain) << c.plain;
    }
}

TEST(DesCipherFile, KnownProfileBytes)
{
    const std::string text = "[General]\r\nMsgNotify=1\r\n\r\n";
    WriteFileBytes("plain.ini", Bytes(text.begin(), text.end()));
    ASSERT_TRUE(CDesCipher("K4QZWT7RMBN2HPX8").EncryptFile("plain.ini", "known.ini"));
    const Bytes sealed = ReadFileBytes("known.ini");
    EXPECT_EQ(Hex(sealed.data(), sealed.size()),
              "010000001A000000"
              "0A8CAD5CA603EF05AB13936636465F35"
              "8F0B6B43D71F1E2B2EF8B2AE2178237B1B23C72907865B4594F8430EA27E0B93");
}

TEST(DesCipherFile, BadFilesFailAndLeaveThePlainFileEmpty)
{
    const CDesCipher des("K4QZWT7RMBN2HPX8");
    Bytes plain(20000, 'x');
    WriteFileBytes("plain.bin", plain);
    ASSERT_TRUE(des.EncryptFile("plain.bin", "good.bin"));
    const Bytes good = ReadFileBytes("good.bin");
    ASSERT_TRUE(CDesCipher("ANOTHERKEY").EncryptFile("plain.bin", "foreign.bin"));

    Bytes otherFormat = good;
    otherFormat[0] = 2;
    Bytes cut(good.begin(), good.begin() + 24 + 10240);
    Bytes oddCut(good.begin(), good.end() - 5);
    Bytes shortHeader(good.begin(), good.begin() + 23);
    WriteFileBytes("format.bin", otherFormat);
    WriteFileBytes("cut.bin", cut);
    WriteFileBytes("oddcut.bin", oddCut);
    WriteFileBytes("short.bin", shortHeader);

    for (const char *bad : {"missing.bin", "foreign.bin", "format.bin", "cut.bin", "oddcut.bin", "short.bin"}) {
        WriteFileBytes("out.bin", Bytes(100, 'z'));
        EXPECT_FALSE(des.DecryptFile(bad, "out.bin")) << bad;
        if (std::string(bad) != "missing.bin") {
            EXPECT_TRUE(ReadFileBytes("out.bin").empty()) << bad;
        }
    }
}

} // namespace
