#include "consign/session/TradeSession.h"

#include <cstdio>
#include <cstring>

#include "consign/session/Socks5Request.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Netbios.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

// Where the session tells nobody: a session without a main window.
class CQuietListener : public CSessionListener {
public:
    void ShowStatusText(LPCSTR) override {}
    void ShowMessageLine(LPCSTR) override {}
    void SetMainTitle(LPCSTR) override {}
    void ShowInformation(const BYTE *, int, bool) override {}
    void ShowErrorInformation(LPCSTR) override {}
    void ShowExchangeState(LPCSTR) override {}
    void RefreshList(SessionList) override {}
    void OnOrderAnswer(const COrderRecord &) override {}
    void OnOrderRejected(const COrderRecord &, LPCSTR) override {}
    void OnCancelReport(const COrderRecord &) override {}
    void OnDealReport(BYTE *) override {}
    void AddFailedBatchOrder(const COrderRecord &) override {}
    void OnQuote(const BYTE *) override {}
    void SetPositionText(LPCSTR) override {}
    void FillCustomerBox(const std::vector<CString> &, bool, bool) override {}
    void ShowTransferResult(LPCSTR) override {}
    void ShowBankInfo(LPCSTR) override {}
    void SetWithdrawableFunds(LPCSTR) override {}
    void ShowClientName(LPCSTR) override {}
    void EnableReconnectItem(bool) override {}
    void StartReconnectTimer(UINT) override {}
    void StopReconnectTimer() override {}
};

// The ping sequence numbers of the process.
DWORD g_PingSequence = 0;

constexpr UINT RECONNECT_INTERVAL_MS = 2000;

} // namespace

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
    return NegotiateSocks5(
        proxyUser, proxyPassword, m_TargetAddress, static_cast<WORD>(m_TargetPort),
        [this](const BYTE *bytes, int count) { return SendAll(bytes, count); },
        [this](BYTE *destination, int count) { return ReceiveFromProxy(destination, count); });
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
    Listener().ShowStatusText(text);
}

CSessionListener &CTradeSession::Listener()
{
    static CQuietListener quiet;
    return m_pListener ? *m_pListener : quiet;
}

void CTradeSession::Log(LPCSTR text)
{
    if (m_pLog)
        m_pLog->WriteLine(text, 1);
}

void CTradeSession::GetAdapterAddresses(char first[13], char second[13])
{
    char *out[2] = {first, second};
    first[0] = second[0] = 0;
    LANA_ENUM lanas = {};
    NCB ncb = {};
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR *>(&lanas);
    ncb.ncb_length = sizeof lanas;
    if (Netbios(&ncb) != NRC_GOODRET)
        return;
    for (int i = 0; i < lanas.length && i < 2; ++i) {
        ADAPTER_STATUS status = {};
        ncb = NCB{};
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[i];
        ncb.ncb_buffer = reinterpret_cast<UCHAR *>(&status);
        ncb.ncb_length = sizeof status;
        if (Netbios(&ncb) != NRC_GOODRET)
            continue;
        const UCHAR *a = status.adapter_address;
        std::snprintf(out[i], 13, "%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    }
}

int CTradeSession::SendPing()
{
    const DWORD now = GetTickCount();
    if (!m_PingStarted) {
        m_PingStarted = true;
        m_LastPingCheck = now;
    }
    if (!m_bLoggedIn)
        return 0;
    if (now - m_LastPingCheck < m_PingTimeOut)
        return 0;
    m_LastPingCheck = now;
    if (m_MissingAnswers != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "已丢失 %d 次应答,可能连接已断", m_MissingAnswers);
        ShowMessage(text);
        if (m_MissingAnswers > 6) {
            OnConnectionLost();
            return 0;
        }
    }
    BYTE record[40] = {};
    WriteBig32(record + 20, g_PingSequence++);
    WriteBig32(record + 28, static_cast<DWORD>(win::time(nullptr)));
    WriteBig16(record + 38, 5);
    SendRequest(127, record, sizeof record);
    return ++m_MissingAnswers;
}

void CTradeSession::OnConnectionLost()
{
    m_bHelloComplete = 0;
    ShowMessage("PING无响应，TCP连接已断，正尝试重连...");
    StartReconnect();
}

void CTradeSession::StartReconnect()
{
    Listener().EnableReconnectItem(false);
    m_bHelloComplete = 0;
    m_bLoggedIn = 0;
    Listener().StartReconnectTimer(RECONNECT_INTERVAL_MS);
    m_bReconnecting = 1;
    m_Cipher.Reset();
}

void CTradeSession::OnClose(int errorCode)
{
    if (errorCode != 0)
        m_Cipher.Reset();
    ShowMessage("网络连接中断");
    m_bLoggedIn = 0;
    m_bReconnecting = 1;
    m_bHelloComplete = 0;
    Listener().StartReconnectTimer(RECONNECT_INTERVAL_MS);
    // The gateway said why it ended the session; the message box would only repeat it.
    if (!m_bDisconnectedByServer)
        MessageBoxA(0, "网络连接中断", nullptr, MB_OK);
    CGatewaySocket::OnClose(errorCode);
}
