#include "consign/session/TradeSession.h"

#include <cstring>

#include "consign/session/Socks5Request.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Time.h"

using namespace win;

const BYTE CTradeSession::HELLO_BODY[17] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x50, 0x08,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

bool CTradeSession::Connect(LPCSTR address, UINT port, LPCSTR proxyUser, LPCSTR proxyPassword)
{
    m_Cipher.Reset();
    AsyncSelect(0);
    DWORD blocking = 0;
    IOCtl(FIONBIO, &blocking);
    if (!CAsyncSocket::Connect(address, port))
        return false;
    // From here every wait is bounded: a proxy or gateway that stops answering
    // fails the connect after 20 seconds instead of holding it for ever.
    DWORD nonBlocking = 1;
    IOCtl(FIONBIO, &nonBlocking);
    if (m_ProxyInUse && !NegotiateProxy(proxyUser, proxyPassword))
        return false;
    AsyncSelect(FD_READ | FD_CLOSE);
    if (!SendHello())
        return false;

    // Packets of other codes before the answer are read and checked only. The
    // whole wait is bounded, also against a peer that keeps sending others.
    m_InHeader.code = 0;
    m_InHeader.status = 1;
    const DWORD deadline = GetTickCount() + IO_TIMEOUT_MS;
    while (m_InHeader.code != 128) {
        if (static_cast<int32_t>(GetTickCount() - deadline) >= 0) {
            std::strcpy(m_szMessage, "网络数据接收超时");
            return false;
        }
        if (!ReadPacket(true))
            return false;
    }
    if (m_InHeader.status == 0) {
        m_Cipher.m_Encipher = m_ReceivedBody[0] == 1 ? 1 : 0;
        return true;
    }
    if (m_InHeader.textLength > 0)
        MessageBoxA(0, m_szMessage, nullptr, MB_OK);
    return false;
}

bool CTradeSession::ReceiveFromProxy(void *destination, int count)
{
    return ReceiveUntil(destination, count, GetTickCount() + IO_TIMEOUT_MS) == ReceiveResult::done;
}

bool CTradeSession::NegotiateProxy(LPCSTR proxyUser, LPCSTR proxyPassword)
{
    BYTE greeting[SOCKS5_GREETING_LENGTH];
    BuildSocks5Greeting(greeting);
    BYTE answer[2];
    if (!SendAll(greeting, sizeof greeting) || !ReceiveFromProxy(answer, 2) || answer[0] != 5)
        return false;
    if (answer[1] == 2) {
        if (!proxyUser || !proxyPassword)
            return false;
        BYTE auth[600];
        const int length = BuildSocks5Auth(proxyUser, proxyPassword, auth);
        if (length == 0 || !SendAll(auth, length) || !ReceiveFromProxy(answer, 2) || answer[1] != 0)
            return false;
    } else if (answer[1] != 0) {
        return false;
    }

    BYTE request[300];
    const int length = BuildSocks5Connect(m_TargetAddress, static_cast<WORD>(m_TargetPort), request);
    if (length == 0 || !SendAll(request, length))
        return false;
    // The reply is read whole, as long as its address kind makes it, so that no
    // byte of it is taken for the gateway's first packet; only "succeeded" goes on.
    BYTE reply[262];
    if (!ReceiveFromProxy(reply, 5) || reply[0] != 5 || reply[1] != 0)
        return false;
    const int replyLength = Socks5ReplyLength(reply);
    return replyLength > 0 && ReceiveFromProxy(reply + 5, replyLength - 5);
}

bool CTradeSession::SendHello()
{
    return SendRequest(0, HELLO_BODY, sizeof HELLO_BODY);
}

void CTradeSession::OnConnect(int errorCode)
{
    if (errorCode != 0)
        return;
    m_Cipher.Reset();
    SendHello();
}

void CTradeSession::ShowMessage(LPCSTR text)
{
    if (m_pListener)
        m_pListener->ShowStatusText(text);
}
