// The key chain of the two directions: a sender's packets checked by OpenSSL and
// followed by a receiving endpoint, with exempt codes, short tails, empty bodies
// and a checksum mismatch that still advances the key.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "consign/session/Des.h"
#include "consign/session/PacketCipher.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes MakePacket(unsigned char code, const Bytes &body)
{
    Bytes packet(GATEWAY_HEADER_SIZE, 0);
    packet[0] = '*';
    packet[1] = code;
    packet[2] = 3;
    packet[6] = static_cast<unsigned char>(body.size() >> 8);
    packet[7] = static_cast<unsigned char>(body.size());
    packet.insert(packet.end(), body.begin(), body.end());
    return packet;
}

// The header as a reader holds it: 16-bit fields in host order.
GatewayHeader ReadHeader(const Bytes &packet)
{
    GatewayHeader h;
    std::memcpy(&h, packet.data(), sizeof h);
    h.textLength = static_cast<win::WORD>((packet[4] << 8) | packet[5]);
    h.bodyLength = static_cast<win::WORD>((packet[6] << 8) | packet[7]);
    h.checksum = static_cast<win::WORD>((packet[8] << 8) | packet[9]);
    return h;
}

Bytes OpenSslDecrypt(const char *key, const unsigned char *data, int length)
{
    DES_cblock k;
    std::memcpy(k, key, 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    Bytes out(data, data + length);
    for (int at = 0; at + 8 <= length; at += 8) {
        DES_cblock *block = reinterpret_cast<DES_cblock *>(out.data() + at);
        DES_ecb_encrypt(block, block, &schedule, DES_DECRYPT);
    }
    return out;
}

Bytes Body(int length)
{
    Bytes body(length);
    for (int i = 0; i < length; ++i)
        body[i] = static_cast<unsigned char>(i * 7 + 1);
    return body;
}

class PacketCipherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(DesInit(0), 0);
        sender.m_Encipher = 1;
        receiver.m_Encipher = 1;
    }
    CPacketCipher sender;
    CPacketCipher receiver;
};

TEST_F(PacketCipherTest, SentPacketsMatchOpenSslAndCarryTheNextKey)
{
    struct Case {
        unsigned char code;
        int length;
    };
    // 13 bytes: one block enciphered, a 5-byte tail plain; 204: never enciphered;
    // 0 bytes: checksum 0 and still a new key.
    const Case cases[] = {{52, 24}, {52, 13}, {204, 16}, {60, 0}, {127, 40}};
    std::string key = INITIAL_SESSION_KEY;
    for (const Case &c : cases) {
        const Bytes body = Body(c.length);
        Bytes packet = MakePacket(c.code, body);
        sender.PrepareOutgoing(packet.data());
        const unsigned char *sent = packet.data() + GATEWAY_HEADER_SIZE;

        const unsigned crc = Crc16(sent, c.length);
        EXPECT_EQ(packet[8], crc >> 8) << "low byte of the CRC first";
        EXPECT_EQ(packet[9], crc & 0xFF);
        if (c.length == 0) {
            EXPECT_EQ(crc, 0u);
        }

        const Bytes plain = CPacketCipher::IsExemptCode(c.code)
                                ? Bytes(sent, sent + c.length)
                                : OpenSslDecrypt(key.c_str(), sent, c.length);
        EXPECT_EQ(plain, body) << int(c.code) << "/" << c.length;
        if (c.length == 13) {
            EXPECT_EQ(Bytes(sent + 8, sent + 13), Bytes(body.begin() + 8, body.end()));
        }

        const Bytes next = OpenSslDecrypt(key.c_str(), packet.data() + 10, 8);
        const std::string nextKey(next.begin(), next.end());
        EXPECT_EQ(nextKey, std::string(sender.m_SendKey));
        EXPECT_NE(nextKey, key);
        ASSERT_EQ(nextKey.size(), 8u);
        EXPECT_GE(nextKey, "10000000");
        EXPECT_LE(nextKey, "18999998");
        key = nextKey;

        // The receiving side follows the same chain.
        const GatewayHeader header = ReadHeader(packet);
        Bytes received(sent, sent + c.length);
        ASSERT_TRUE(receiver.CheckIncoming(header, received.data()));
        EXPECT_EQ(received, body);
        EXPECT_STREQ(receiver.m_ReceiveKey, sender.m_SendKey);
    }
}

TEST_F(PacketCipherTest, ChecksumMismatchDropsThePacketButKeepsTheChain)
{
    Bytes first = MakePacket(130, Body(32));
    sender.PrepareOutgoing(first.data());
    first[GATEWAY_HEADER_SIZE + 3] ^= 0x01; // damaged on the way
    Bytes body(first.begin() + GATEWAY_HEADER_SIZE, first.end());
    EXPECT_FALSE(receiver.CheckIncoming(ReadHeader(first), body.data()));
    EXPECT_STREQ(receiver.m_ReceiveKey, sender.m_SendKey);

    Bytes second = MakePacket(130, Body(32));
    sender.PrepareOutgoing(second.data());
    body.assign(second.begin() + GATEWAY_HEADER_SIZE, second.end());
    ASSERT_TRUE(receiver.CheckIncoming(ReadHeader(second), body.data()));
    EXPECT_EQ(body, Body(32));
}

TEST_F(PacketCipherTest, PlainWhileEncipheringIsOff)
{
    sender.m_Encipher = 0;
    receiver.m_Encipher = 0;
    Bytes packet = MakePacket(0, Body(17));
    sender.PrepareOutgoing(packet.data());
    EXPECT_EQ(Bytes(packet.begin() + GATEWAY_HEADER_SIZE, packet.end()), Body(17));
    EXPECT_EQ(Bytes(packet.begin() + 10, packet.begin() + 18), Bytes(8, 0));
    EXPECT_STREQ(sender.m_SendKey, "MOLTRAVE");
    Bytes body = Body(17);
    EXPECT_TRUE(receiver.CheckIncoming(ReadHeader(packet), body.data()));
    body[0] ^= 1;
    EXPECT_FALSE(receiver.CheckIncoming(ReadHeader(packet), body.data()));
}

TEST(MakeSessionKeyTest, EightDigits)
{
    for (int i = 0; i < 200; ++i) {
        const std::string key = MakeSessionKey();
        ASSERT_EQ(key.size(), 8u);
        EXPECT_EQ(key.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_GE(key, "10000000");
    }
}

} // namespace
