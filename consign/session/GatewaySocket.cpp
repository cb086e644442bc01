#include "consign/session/GatewaySocket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

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

// Turns the big-endian numbers of each whole record of `size` bytes to host order.
void ConvertRecords(BYTE *body, int length, int size, std::initializer_list<int> longs,
                    std::initializer_list<int> shorts)
{
    for (int at = 0; at + size <= length; at += size) {
        BYTE *record = body + at;
        for (int offset : longs) {
            const DWORD value = ReadBig32(record + offset);
            std::memcpy(record + offset, &value, 4);
        }
        for (int offset : shorts) {
            const WORD value = ReadBig16(record + offset);
            std::memcpy(record + offset, &value, 2);
        }
    }
}

} // namespace

DWORD ReadBig32(const BYTE *p)
{
    return static_cast<DWORD>(p[0]) << 24 | static_cast<DWORD>(p[1]) << 16 |
           static_cast<DWORD>(p[2]) << 8 | p[3];
}

WORD ReadBig16(const BYTE *p)
{
    return static_cast<WORD>(p[0] << 8 | p[1]);
}

void WriteBig32(BYTE *p, DWORD value)
{
    p[0] = static_cast<BYTE>(value >> 24);
    p[1] = static_cast<BYTE>(value >> 16);
    p[2] = static_cast<BYTE>(value >> 8);
    p[3] = static_cast<BYTE>(value);
}

void WriteBig16(BYTE *p, WORD value)
{
    p[0] = static_cast<BYTE>(value >> 8);
    p[1] = static_cast<BYTE>(value);
}

CGatewaySocket::CGatewaySocket()
    : m_nHeaderSize(GATEWAY_HEADER_SIZE), m_LoginKind(0), m_bLoggedIn(0), m_bHelloComplete(0),
      m_PingTimeOut(5000), m_PingInterval(0), m_MissingAnswers(0), m_LastCode(0),
      m_bTradePasswordAnswered(0), m_GatewayValue(0), m_strNetMask("255.255.255.0"),
      m_DispatchDepth(0)
{
    m_szMessage[0] = 0;
    std::memset(&m_OutHeader, 0, sizeof m_OutHeader);
    std::memset(&m_InHeader, 0, sizeof m_InHeader);
    std::memset(m_SendBuffer, 0, sizeof m_SendBuffer);
    std::memset(m_ReceivedBody, 0, sizeof m_ReceivedBody);
}

bool CGatewaySocket::SendRequest(BYTE code, const void *body, int length, char marker, BYTE status)
{
    if (length < 0 || length > GATEWAY_SEND_BUFFER - GATEWAY_HEADER_SIZE)
        return false;
    m_LastCode = code;
    std::memset(&m_OutHeader, 0, sizeof m_OutHeader);
    m_OutHeader.marker = marker;
    m_OutHeader.code = code;
    m_OutHeader.flags = 3;
    m_OutHeader.status = status;
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
    if (!wait) {
        DWORD waiting = 0;
        if (!IOCtl(FIONREAD, &waiting) || waiting == 0)
            return false;
    }

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

int CGatewaySocket::DispatchPacket()
{
    GatewayPacket packet;
    packet.header = m_InHeader;
    packet.text[0] = 0;
    if (m_InHeader.textLength > 0)
        std::memcpy(packet.text, m_szMessage, GATEWAY_MAX_TEXT + 1);
    std::memcpy(packet.body, m_ReceivedBody, sizeof packet.body);

    ++m_DispatchDepth;
    const int result = OnPacket(packet);
    --m_DispatchDepth;

    for (PendingWait *wait : m_Waits) {
        if (wait->done || packet.header.code != wait->code)
            continue;
        if (wait->match && *wait->match && !(*wait->match)(packet))
            continue;
        const bool partial = wait->needLast || (wait->code >= 132 && wait->code <= 135) ||
                             (wait->code >= 205 && wait->code <= 223);
        if (result != 0 && !packet.IsLast() && partial)
            continue;
        wait->done = true;
        wait->result = result != 0 && packet.IsLast();
        wait->answer.header = packet.header;
        wait->answer.body.assign(packet.body, packet.body + packet.BodyLength());
        wait->answer.text = packet.text;
    }
    return result;
}

bool CGatewaySocket::WaitForAnswer(BYTE code, bool needLast, const AnswerMatch &match)
{
    PendingWait wait{code, needLast, &match, false, false, Answer{}};
    std::memset(&m_InHeader, 0, sizeof m_InHeader);
    m_szMessage[0] = 0;
    m_Waits.push_back(&wait);
    bool readFailed = false;
    while (!wait.done) {
        if (!ReadPacket(true)) {
            readFailed = true;
            break;
        }
        DispatchPacket();
    }
    m_Waits.erase(std::find(m_Waits.begin(), m_Waits.end(), &wait));
    if (readFailed) {
        MessageBoxA(0, m_szMessage, nullptr, MB_OK);
        return false;
    }
    m_Answer = wait.answer;
    return wait.result;
}

void CGatewaySocket::OnReceive(int errorCode)
{
    if (m_DispatchDepth > 0 || !m_Waits.empty())
        return;
    while (ReadPacket(false))
        DispatchPacket();
    CAsyncSocket::OnReceive(errorCode);
}

int CGatewaySocket::OnPacket(GatewayPacket &packet)
{
    const GatewayHeader &h = packet.header;
    BYTE *body = packet.body;
    const int length = packet.BodyLength();
    m_LastCode = h.code;
    m_MissingAnswers = 0;
    if (h.textLength > 0)
        ShowMessage(packet.text);
    else
        m_szMessage[0] = 0;

    switch (h.code) {
    case 0:
        AnswerHello(packet);
        break;
    case 127:
    case 255:
        HandlePing(packet);
        break;
    case 2: case 3: case 52: case 53: case 130: case 131: case 180: case 181:
        ConvertRecords(body, length, 132, {40, 52, 56, 68}, {});
        break;
    case 67:
        ConvertRecords(body, length, 128, {56, 68, 72, 84}, {});
        break;
    case 139:
        ConvertRecords(body, length, 2, {}, {0});
        break;
    case 178:
        ConvertRecords(body, length, 160, {156}, {});
        break;
    case 182: {
        // The answer names its user; another user's answer is not this session's.
        const int at = m_LoginKind == 7 ? 10 : 0;
        char user[11] = {};
        std::memcpy(user, body + at, 10);
        if (!m_strUserId.IsEmpty() && m_strUserId.Left(10) == user)
            m_bTradePasswordAnswered = 1;
        break;
    }
    case 186:
        ConvertRecords(body, length, 136, {}, {2, 66, 68, 70, 72, 74});
        break;
    case 187:
        ConvertRecords(body, length, 108, {24, 28, 60, 64, 68}, {});
        break;
    case 188:
        // The dealt volume at 84 travels big-endian like the other counts.
        ConvertRecords(body, length, 188, {20, 68, 72, 84}, {});
        break;
    case 189:
        ConvertRecords(body, length, 100, {76}, {40, 42});
        break;
    case 208:
        ConvertRecords(body, length, 136, {}, {36, 38});
        break;
    case 190:
        ConvertRecords(body, length, 76, {}, {22, 24});
        break;
    case 204:
        ConvertRecords(body, length, 96,
                       {16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60, 64, 68, 72, 76, 80, 84, 88, 92},
                       {0, 10, 14});
        break;
    case 146:
        if (length < 26) {
            ShowMessage("您没有设置交易所!");
            return 0;
        }
        ConvertRecords(body, length, 26, {}, {2, 4});
        break;
    case 210:
        for (int at = 20; at + 43 <= length; at += 43) {
            const BYTE *record = body + at;
            if (std::memcmp(record + 1, "T_SETTLE", 9) == 0) {
                char text[32] = {};
                std::memcpy(text, record + 12, 31);
                OnSettleFlag(text);
            }
        }
        break;
    case 253:
        m_GatewayValue = ReadBig16(body);
        break;
    case 254: {
        const char *state = "未知";
        switch (h.gatewayState) {
        case 'D': state = "中断"; break;
        case 'O': state = "开始"; break;
        case 'P': state = "暂停"; break;
        case 'S': state = "停止"; break;
        default: break;
        }
        char line[64];
        std::snprintf(line, sizeof line, "当前网关状态：%s", state);
        ShowMessage(line);
        break;
    }
    default:
        break;
    }
    return 1;
}

void CGatewaySocket::AnswerHello(const GatewayPacket &packet)
{
    BYTE answer[17];
    std::memcpy(answer, packet.body, sizeof answer);
    const BYTE asked = packet.body[0];
    const BYTE status = asked == 0 || asked == 1 ? 0 : 1;
    answer[0] = IsSameSubnet() ? 0 : 1;
    SendRequest(128, answer, sizeof answer, packet.header.marker, status);
    m_Cipher.m_Encipher = answer[0];
}

void CGatewaySocket::HandlePing(GatewayPacket &packet)
{
    BYTE *record = packet.body;
    WriteBig16(record + 36, static_cast<WORD>(ReadBig16(record + 36) + 1));
    WriteBig16(record + 38, static_cast<WORD>(ReadBig16(record + 38) - 1));
    if (packet.header.code == 127) {
        WriteBig32(record + 32, static_cast<DWORD>(win::time(nullptr)));
        SendRequest(255, record, 40);
    }
    ConvertRecords(record, 40, 40, {20, 28, 32}, {36, 38});
}

bool CGatewaySocket::IsSameSubnet()
{
    CString peer, local;
    UINT peerPort = 0, localPort = 0;
    if (!GetPeerName(peer, peerPort) || !GetSockName(local, localPort))
        return false;
    const win::u_long mask = inet_addr(m_strNetMask);
    return (inet_addr(peer) & mask) == (inet_addr(local) & mask);
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
