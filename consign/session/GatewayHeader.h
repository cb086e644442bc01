// The 48-byte header of every trade-gateway packet, with the sizes that bound a
// packet. The 16-bit fields travel big-endian; in memory they are in host order
// once a header has been read, and in network order in the send buffer.
#pragma once

#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
struct GatewayHeader {
    char marker;             // '*', or the caller's byte for a few requests
    win::BYTE code;
    win::BYTE flags;         // bit 0: last packet of an answer; bit 1: continuation
    win::BYTE status;        // 0 success; else the text says why
    win::WORD textLength;    // 0..256
    win::WORD bodyLength;    // 0..5120
    win::WORD checksum;      // CRC-16 of the body as it travels, low byte first on the wire
    char nextKey[8];         // the sender's next session key, enciphered
    win::BYTE reserved1[20];
    char gatewayState;       // a state letter, read only in answer 254
    win::BYTE reserved2[9];
};
#pragma pack(pop)
static_assert(sizeof(GatewayHeader) == 48);

constexpr int GATEWAY_HEADER_SIZE = 48;
constexpr int GATEWAY_MAX_TEXT = 256;
constexpr int GATEWAY_MAX_BODY = 5120;
// The send buffer holds the header and the body.
constexpr int GATEWAY_SEND_BUFFER = 5120;
constexpr int GATEWAY_NEXT_KEY_OFFSET = 10;
constexpr int GATEWAY_CHECKSUM_OFFSET = 8;
