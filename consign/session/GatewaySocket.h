// The socket of the trade-gateway connection: writes requests as framed,
// checksummed and (when asked) enciphered packets, and reads packets back with
// every length bounded before use, so that a malformed packet can never
// desynchronise the stream or overrun a buffer.
#pragma once

#include "consign/session/GatewayHeader.h"
#include "consign/session/PacketCipher.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/CString.h"

class CGatewaySocket : public win::CAsyncSocket {
public:
    CGatewaySocket();

    // Frames and sends one request: header with `marker`, `code`, flags 3,
    // status 0 and the body length, then `length` body bytes (at most 5072).
    // False when the body is too long or the send fails.
    bool SendRequest(win::BYTE code, const void *body, int length, char marker = '*');

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

    // Waits for a packet of `code`, handling every packet that comes first. See
    // the answer dispatcher for which packets end the wait.
    bool WaitForAnswer(win::BYTE code, bool needLast);

    void OnReceive(int errorCode) override;
    // With an error the keys go back to the initial key and enciphering off; the
    // logged-in and hello-complete states end.
    void OnClose(int errorCode) override;

    // Called at the end of the close handling.
    virtual void OnDisconnected() {}
    // Handles the packet just read; non-zero lets a waiting caller read on. The
    // answer dispatcher gives it its meaning; here no code is handled.
    virtual int OnPacket() { return 1; }
    // The status line of the main window.
    virtual void ShowMessage(win::LPCSTR text) {}

    char m_szMessage[512];
    int m_nHeaderSize;
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
    void RefuseMalformedPacket();
};
