// The one gateway session of the order client: opens the connection to a trade
// gateway, directly or through a SOCKS5 proxy, and runs the hello that tells
// whether packet bodies are enciphered.
#pragma once

#include "consign/session/GatewaySocket.h"
#include "consign/session/SessionListener.h"
#include "platform/win/CString.h"

class CTradeSession : public CGatewaySocket {
public:
    CTradeSession() = default;

    // Connects to `address`:`port` (the proxy's when the proxy is in use, else
    // the gateway's), negotiates the proxy's CONNECT to the target, sends the
    // hello and reads packets until its answer. The proxy user and password are
    // given only when the proxy wants them. False when any step fails; a refused
    // hello shows the gateway's text first.
    bool Connect(win::LPCSTR address, win::UINT port, win::LPCSTR proxyUser, win::LPCSTR proxyPassword);

    // A connection completed asynchronously: keys reset and the hello sent.
    void OnConnect(int errorCode) override;

    // Puts the text into the main window's status line.
    void ShowMessage(win::LPCSTR text) override;

    // The gateway server the proxy is asked to reach, set before Connect.
    win::CString m_TargetAddress;
    win::UINT m_TargetPort = 0;
    // [Login] ProxyInuse.
    int m_ProxyInUse = 0;
    // Who shows the session's status text; none in a session without a window.
    CSessionListener *m_pListener = nullptr;

    // The hello body, sent unchanged.
    static const win::BYTE HELLO_BODY[17];

private:
    bool NegotiateProxy(win::LPCSTR proxyUser, win::LPCSTR proxyPassword);
    bool ReceiveFromProxy(void *destination, int count);
    bool SendHello();
};
