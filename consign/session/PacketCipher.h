// The protection of gateway packet bodies: the CRC-16 checksum, the session keys
// of the two directions with their per-packet key chain, and DES enciphering of
// the bodies while the gateway has asked for it.
#pragma once

#include "consign/session/GatewayHeader.h"
#include "platform/win/WinTypes.h"

// CRC-16 with polynomial 0x1021, initial value 0, no reflection and no final XOR,
// returned with its two bytes swapped (low byte in the high half); 0 for an empty
// body or one longer than 5120 bytes.
win::WORD Crc16(const win::BYTE *data, int length);

// Eight decimal digits from the process's random numbers (10000000 up to
// 18999998), in a buffer that the next call overwrites.
const char *MakeSessionKey();

// The key used by both directions after every connect: "MOLTRAVE".
extern const char INITIAL_SESSION_KEY[9];

class CPacketCipher {
public:
    CPacketCipher() { Reset(); }

    // Both keys back to the initial key, enciphering off.
    void Reset();

    // Bodies of these codes are never enciphered; their packets still carry and
    // change keys.
    static bool IsExemptCode(win::BYTE code);

    // `packet`: a header whose 16-bit fields are already in network order,
    // followed by the text and the body. While enciphering is on, enciphers the
    // whole 8-byte blocks of the body under the send key (unless the code is
    // exempt), takes a new send key and puts it, enciphered under the old one,
    // into the header; then stores the body's checksum in the header.
    void PrepareOutgoing(win::BYTE *packet);

    // `header` in host order, `body` as received. False when the checksum does not
    // match; the receive key then still advances while enciphering is on, so that
    // the chain is kept. Otherwise deciphers the body (unless exempt) and takes
    // the next receive key from the header.
    bool CheckIncoming(const GatewayHeader &header, win::BYTE *body);

    char m_ReceiveKey[9];
    char m_SendKey[9];
    int m_Encipher;

private:
    void AdvanceReceiveKey(const GatewayHeader &header);
};
