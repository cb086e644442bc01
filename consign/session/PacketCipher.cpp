#include "consign/session/PacketCipher.h"

#include <cstdio>
#include <cstring>

#include "consign/session/Des.h"
#include "platform/win/Random.h"

using namespace win;

const char INITIAL_SESSION_KEY[9] = "MOLTRAVE";

namespace {

struct CrcTable {
    WORD entries[256];
    CrcTable()
    {
        for (int i = 0; i < 256; ++i) {
            WORD crc = static_cast<WORD>(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<WORD>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
            entries[i] = crc;
        }
    }
};

const CrcTable kCrcTable;

// Whole 8-byte blocks in place; a shorter tail stays as it is.
void CryptBlocks(BYTE *data, int length, bool encipher)
{
    for (int at = 0; at + 8 <= length; at += 8) {
        if (encipher)
            DesEncryptBlock(data + at);
        else
            DesDecryptBlock(data + at);
    }
}

WORD ReadBigEndian(const BYTE *p)
{
    return static_cast<WORD>((p[0] << 8) | p[1]);
}

} // namespace

WORD Crc16(const BYTE *data, int length)
{
    if (length <= 0 || length > GATEWAY_MAX_BODY)
        return 0;
    WORD crc = 0;
    for (int i = 0; i < length; ++i)
        crc = static_cast<WORD>((crc << 8) ^ kCrcTable.entries[((crc >> 8) ^ data[i]) & 0xFF]);
    return static_cast<WORD>((crc << 8) | (crc >> 8));
}

const char *MakeSessionKey()
{
    static char key[16];
    std::snprintf(key, sizeof key, "%d", 10000000 + win::rand() % 8999999);
    return key;
}

void CPacketCipher::Reset()
{
    std::memcpy(m_ReceiveKey, INITIAL_SESSION_KEY, sizeof m_ReceiveKey);
    std::memcpy(m_SendKey, INITIAL_SESSION_KEY, sizeof m_SendKey);
    m_Encipher = 0;
}

bool CPacketCipher::IsExemptCode(BYTE code)
{
    return code == 68 || code == 158 || code == 161 || code == 204;
}

void CPacketCipher::PrepareOutgoing(BYTE *packet)
{
    const int textLength = ReadBigEndian(packet + 4);
    const int bodyLength = ReadBigEndian(packet + 6);
    BYTE *body = packet + GATEWAY_HEADER_SIZE + textLength;
    if (m_Encipher) {
        DesInit(0);
        DesSetKey(reinterpret_cast<const BYTE *>(m_SendKey));
        if (!IsExemptCode(packet[1]))
            CryptBlocks(body, bodyLength, true);
        std::memcpy(m_SendKey, MakeSessionKey(), 8);
        m_SendKey[8] = 0;
        // The next key travels enciphered under the key of this packet.
        BYTE *keyField = packet + GATEWAY_NEXT_KEY_OFFSET;
        std::memcpy(keyField, m_SendKey, 8);
        DesEncryptBlock(keyField);
    }
    // Crc16 gives the CRC byte-swapped; stored big-endian, its low byte leads.
    const WORD swapped = Crc16(body, bodyLength);
    packet[GATEWAY_CHECKSUM_OFFSET] = static_cast<BYTE>(swapped >> 8);
    packet[GATEWAY_CHECKSUM_OFFSET + 1] = static_cast<BYTE>(swapped);
}

bool CPacketCipher::CheckIncoming(const GatewayHeader &header, BYTE *body)
{
    if (Crc16(body, header.bodyLength) != header.checksum) {
        if (m_Encipher)
            AdvanceReceiveKey(header);
        return false;
    }
    if (!m_Encipher)
        return true;
    DesInit(0);
    DesSetKey(reinterpret_cast<const BYTE *>(m_ReceiveKey));
    if (!IsExemptCode(header.code))
        CryptBlocks(body, header.bodyLength, false);
    AdvanceReceiveKey(header);
    return true;
}

void CPacketCipher::AdvanceReceiveKey(const GatewayHeader &header)
{
    DesInit(0);
    DesSetKey(reinterpret_cast<const BYTE *>(m_ReceiveKey));
    BYTE next[8];
    std::memcpy(next, header.nextKey, 8);
    DesDecryptBlock(next);
    std::memcpy(m_ReceiveKey, next, 8);
    m_ReceiveKey[8] = 0;
}
