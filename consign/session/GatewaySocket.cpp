#include "consign/session/GatewaySocket.h"

#include <cstring>

#include "platform/win/MessageBox.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

constexpr char kFormatError[] = "数据包格式错误";
constexpr char kChecksumError[] = "数据包校验错";
constexpr char kTimeout[] = "网络数据接收超时";

bool Reached(DWORD deadline)
{
    return static_cast<int32_t>(GetTickCount() - deadline) >= 0;
}

} // namespace

CGatewaySocket::CGatewaySocket()
    : m_nHeaderSize(GATEWAY_HEADER_SIZE), m_LoginKind(0), m_bLoggedIn(0), m_bHelloComplete(0),
      m_PingTimeOut(5000), m_PingInterval(0), m_MissingAnswers(0), m_LastCode(0)
{
    m_szMessage[0] = 0;
    std::memset(&m_OutHeader, 0, sizeof m_OutHeader);
    std::memset(&m_InHeader, 0, sizeof m_InHeader);
    std::memset(m_SendBuffer, 0, sizeof m_SendBuffer);
    std::memset(m_ReceivedBody, 0, sizeof m_ReceivedBody);
}

bool CGatewaySocket::SendRequest(BYTE code, const void *body, int length, char marker)
{
    if (length < 0 || length > GATEWAY_SEND_BUFFER - GATEWAY_HEADER_SIZE)
        return false;
    m_LastCode = code;
    std::memset(&m_OutHeader, 0, sizeof m_OutHeader);
    m_OutHeader.marker = marker;
    m_OutHeader.code = code;
    m_OutHeader.flags = 3;
    m_OutHeader.status = 0;
    m_OutHeader.textLength = htons(0);
    m_OutHeader.bodyLength = htons(static_cast<u_short>(length));
    m_OutHeader.checksum = 0;
    std::memcpy(m_SendBuffer, &m_OutHeader, GATEWAY_HEADER_SIZE);
    if (length > 0)
        std::memcpy(m_SendBuffer + GATEWAY_HEADER_SIZE, body, static_cast<size_t>(length));
    return SendPacket(m_SendBuffer, GATEWAY_HEADER_SIZE + length);
}

bool CGatewaySocket::SendPacket(BYTE *buffer, int length)
{
    m_Cipher.PrepareOutgoing(buffer);
    return SendAll(buffer, length);
}

bool CGatewaySocket::SendAll(const void *data, int count)
{
    const BYTE *p = static_cast<const BYTE *>(data);
    const DWORD deadline = GetTickCount() + IO_TIMEOUT_MS;
    while (count > 0) {
        const int sent = Send(p, count);
        if (sent > 0) {
            p += sent;
            count -= sent;
            continue;
        }
        if (sent == SOCKET_ERROR && GetLastError() != WSAEWOULDBLOCK)
            return false;
        // The peer does not take data now: wait a little rather than spin.
        if (Reached(deadline))
            return false;
        Sleep(1);
    }
    return true;
}

CGatewaySocket::ReceiveResult CGatewaySocket::ReceiveUntil(void *destination, int count, DWORD deadline)
{
    BYTE *p = static_cast<BYTE *>(destination);
    while (count > 0) {
        const int got = Receive(p, count);
        if (got == 0)
            return ReceiveResult::closed;
        if (got > 0) {
            p += got;
            count -= got;
            continue;
        }
        if (GetLastError() != WSAEWOULDBLOCK)
            return ReceiveResult::failed;
        if (Reached(deadline))
            return ReceiveResult::timedOut;
        Sleep(1);
    }
    return ReceiveResult::done;
}

bool CGatewaySocket::ReceiveExact(void *destination, int count)
{
    if (count <= 0)
        return true;
    switch (ReceiveUntil(destination, count, GetTickCount() + IO_TIMEOUT_MS)) {
    case ReceiveResult::done:
        return true;
    case ReceiveResult::closed:
        OnClose(-1);
        return false;
    case ReceiveResult::timedOut:
        std::strcpy(m_szMessage, kTimeout);
        return false;
    case ReceiveResult::failed:
        break;
    }
    return false;
}

bool CGatewaySocket::ReadPacket(bool wait)
{
    DWORD waiting = 0;
    if (!IOCtl(FIONREAD, &waiting))
        return false;
    if (!wait && waiting == 0)
        return false;

    BYTE raw[GATEWAY_HEADER_SIZE];
    if (!ReceiveExact(raw, GATEWAY_HEADER_SIZE))
        return false;
    std::memcpy(&m_InHeader, raw, GATEWAY_HEADER_SIZE);
    m_InHeader.textLength = ntohs(m_InHeader.textLength);
    m_InHeader.bodyLength = ntohs(m_InHeader.bodyLength);
    m_InHeader.checksum = ntohs(m_InHeader.checksum);
    m_LastCode = m_InHeader.code;

    if (m_InHeader.textLength > GATEWAY_MAX_TEXT || m_InHeader.bodyLength > GATEWAY_MAX_BODY) {
        RefuseMalformedPacket();
        return false;
    }
    if (m_InHeader.textLength > 0) {
        if (!ReceiveExact(m_szMessage, m_InHeader.textLength))
            return false;
        m_szMessage[m_InHeader.textLength] = 0;
        ShowMessage(m_szMessage);
    }
    if (!ReceiveExact(m_ReceivedBody, m_InHeader.bodyLength))
        return false;
    // Bytes past the body read as zero, never as a stale earlier packet.
    std::memset(m_ReceivedBody + m_InHeader.bodyLength, 0,
                sizeof m_ReceivedBody - m_InHeader.bodyLength);
    if (!m_Cipher.CheckIncoming(m_InHeader, m_ReceivedBody)) {
        std::strcpy(m_szMessage, kChecksumError);
        ShowMessage(kChecksumError);
        return false;
    }
    return true;
}

void CGatewaySocket::RefuseMalformedPacket()
{
    std::strcpy(m_szMessage, kFormatError);
    ShowMessage(kFormatError);
    Close();
    OnClose(-1);
}

bool CGatewaySocket::WaitForAnswer(BYTE code, bool needLast)
{
    std::memset(&m_InHeader, 0, sizeof m_InHeader);
    m_szMessage[0] = 0;
    for (;;) {
        if (m_InHeader.code == code) {
            const bool last = (m_InHeader.flags & 1) != 0;
            const bool partial = needLast || (code >= 132 && code <= 135) ||
                                 (code >= 205 && code <= 223);
            if (last || !partial)
                return m_LastCode == code && last;
        }
        if (!ReadPacket(true)) {
            MessageBoxA(0, m_szMessage, nullptr, MB_OK);
            return false;
        }
        if (!OnPacket())
            return false;
    }
}

void CGatewaySocket::OnReceive(int errorCode)
{
    while (ReadPacket(false))
        OnPacket();
    CAsyncSocket::OnReceive(errorCode);
}

void CGatewaySocket::OnClose(int errorCode)
{
    if (errorCode != 0)
        m_Cipher.Reset();
    m_bLoggedIn = 0;
    m_bHelloComplete = 0;
    OnDisconnected();
    CAsyncSocket::OnClose(errorCode);
}
