// The socket of the trade-gateway connection: writes requests as framed,
// checksummed and (when asked) enciphered packets, reads packets back with every
// length bounded before use, hands each packet to the dispatcher on a copy of its
// own, and lets a request wait for the one answer that belongs to it.
#pragma once

#include <functional>
#include <vector>

#include "consign/session/GatewayHeader.h"
#include "consign/session/PacketCipher.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/CString.h"

// One received packet as the dispatcher sees it: header in host order, the text
// zero-terminated, the body followed by zeros up to the buffer's end, so that a
// field past a short body reads as zero, never as an earlier packet's bytes.
struct GatewayPacket {
    GatewayHeader header;
    char text[GATEWAY_MAX_TEXT + 1];
    win::BYTE body[GATEWAY_MAX_BODY];
    int BodyLength() const { return header.bodyLength; }
    bool Failed() const { return header.status != 0; }
    bool IsFirst() const { return (header.flags & 2) == 0; }
    bool IsLast() const { return (header.flags & 1) != 0; }
};

// Big-endian numbers inside a record.
win::DWORD ReadBig32(const win::BYTE *p);
win::WORD ReadBig16(const win::BYTE *p);
void WriteBig32(win::BYTE *p, win::DWORD value);
void WriteBig16(win::BYTE *p, win::WORD value);

class CGatewaySocket : public win::CAsyncSocket {
public:
    CGatewaySocket();

    // Frames and sends one packet: header with `marker`, `code`, flags 3, `status`
    // and the body length, then `length` body bytes (at most 5072). False when the
    // body is too long or the send fails.
    bool SendRequest(win::BYTE code, const void *body, int length, char marker = '*',
                     win::BYTE status = 0);

    // Writes the send buffer's packet of `length` bytes, enciphering and
    // checksumming it first. Writes that would block are retried for at most 20
    // seconds; false on any other failure or at that deadline.
    bool SendPacket(win::BYTE *buffer, int length);

    // Reads exactly `count` bytes within 20 seconds. The peer's close runs the
    // close handling (OnClose with -1); the deadline leaves "网络数据接收超时" in
    // the message buffer.
    bool ReceiveExact(void *destination, int count);

    // Reads one packet. Without `wait`, nothing is read when no byte is waiting.
    // A text longer than 256 or a body longer than 5120 bytes is refused with
    // "数据包格式错误" and the connection is closed: the bytes that follow could
    // only be misread, and a new connection starts a clean stream. A checksum
    // mismatch gives "数据包校验错" and false (the key chain still advances).
    bool ReadPacket(bool wait);

    // Hands the packet just read to OnPacket on a copy, so that a packet read
    // while this one is handled (a request that waits, started from a message
    // box) cannot change it; then ends the waits it answers. OnPacket's result.
    int DispatchPacket();

    // Which answers end a wait besides their code: null takes any.
    using AnswerMatch = std::function<bool(const GatewayPacket &)>;
    // The answer that ended the last wait, in host order.
    struct Answer {
        GatewayHeader header;
        std::vector<win::BYTE> body;
        win::CString text;
    };

    // Waits for a packet of `code` that `match` accepts, handling every packet
    // that comes first. A packet of that code ends the wait when its flags have
    // bit 0, or when neither `needLast` holds nor the code lies in 132..135 or
    // 205..223; the result is whether it had bit 0. An answer whose handling
    // fails ends its wait with false. A packet of another request never ends it.
    // A failed read shows the message buffer in a message box and gives false.
    bool WaitForAnswer(win::BYTE code, bool needLast, const AnswerMatch &match = nullptr);

    // Reads and dispatches whatever is waiting. While a packet is being handled
    // or a request waits (a message box's loop delivering the socket or the ping
    // timer), nothing is read here: the reader already running goes on.
    void OnReceive(int errorCode) override;
    // With an error the keys go back to the initial key and enciphering off; the
    // logged-in and hello-complete states end.
    void OnClose(int errorCode) override;

    // Called at the end of the close handling.
    virtual void OnDisconnected() {}
    // Handles a packet: turns the records of its body to host order, answers the
    // gateway's own hellos and pings, and keeps the few values the socket holds.
    // Non-zero lets a waiting request go on.
    virtual int OnPacket(GatewayPacket &packet);
    // Whether the peer and the local address lie in one subnet under m_strNetMask.
    virtual bool IsSameSubnet();
    // The settlement flag record of answer 210 (its text from record offset 12).
    virtual void OnSettleFlag(const char *text) {}
    // The status line of the main window.
    virtual void ShowMessage(win::LPCSTR text) {}

    char m_szMessage[512];
    int m_nHeaderSize;
    // The account that is logged in; in the trader login (kind 7) it is also the
    // trader id that request bodies carry.
    win::CString m_strUserId;
    win::BYTE m_LoginKind;
    int m_bLoggedIn;
    int m_bHelloComplete;
    win::DWORD m_PingTimeOut;
    int m_PingInterval;
    int m_MissingAnswers;
    win::BYTE m_LastCode;
    GatewayHeader m_OutHeader;
    GatewayHeader m_InHeader;
    win::BYTE m_SendBuffer[GATEWAY_SEND_BUFFER];
    win::BYTE m_ReceivedBody[GATEWAY_MAX_BODY];
    CPacketCipher m_Cipher;
    // An answer 182 for this session's user has arrived.
    int m_bTradePasswordAnswered;
    // The first 16-bit value of answer 253.
    win::WORD m_GatewayValue;
    // [Config] "Net Mask".
    win::CString m_strNetMask;
    Answer m_Answer;

    // Every wait of a packet read or write.
    static constexpr win::DWORD IO_TIMEOUT_MS = 20000;

protected:
    enum class ReceiveResult { done, closed, failed, timedOut };
    // Reads `count` bytes, waiting for more while the socket has none, until the
    // tick count reaches `deadline`.
    ReceiveResult ReceiveUntil(void *destination, int count, win::DWORD deadline);
    // Sends every byte, retrying would-block writes until the deadline.
    bool SendAll(const void *data, int count);

private:
    struct PendingWait {
        win::BYTE code;
        bool needLast;
        const AnswerMatch *match;
        bool done;
        bool result;
        Answer answer;
    };
    void RefuseMalformedPacket();
    void AnswerHello(const GatewayPacket &packet);
    void HandlePing(GatewayPacket &packet);
    std::vector<PendingWait *> m_Waits;
    int m_DispatchDepth;
};
