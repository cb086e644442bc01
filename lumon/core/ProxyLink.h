// The blocking part of a data-server connection, before notifications start:
// reads of an exact length that give up after a time-out, so that a silent peer
// never holds the terminal, and the SOCKS5 handshake (RFC 1928, with the user
// and password method of RFC 1929) through which both clients reach the server
// behind a proxy; and what both clients do when their link breaks.
#pragma once

#include <cstdint>
#include <functional>

#include "lumon/core/LClient.h"
#include "platform/win/WinTypes.h"

// The proxy settings of .\server.ini [ProxyServer].
struct ProxySettings {
    char Host[128];
    uint16_t Port;
    char User[33];
    char Password[33];
    int32_t UseProxy;
    int32_t CertUser; // the proxy wants user and password
};

// How long a blocking exchange waits for the peer's next bytes (ms, on the
// layer's clock).
constexpr win::DWORD kLinkTimeoutMs = 30000;

// Reads [ProxyServer] of the settings file.
void LoadProxySettings(ProxySettings &proxy, const char *iniFile);

// A port number from the settings: `fallback` unless 1..65535.
uint16_t ProfilePort(const char *section, const char *key, int fallback, const char *iniFile);

// Makes the connected socket's reads return at once, so that ReceiveExact can
// bound them; false when the socket refuses.
bool BoundReads(LSocket &socket);

// Reads exactly n bytes: 1 when they came, 0 when the peer closed first, -1 on
// an error or when timeoutMs passed without them.
int ReceiveExact(LSocket &socket, void *buffer, int n, win::DWORD timeoutMs);

// The two halves of a link for the handshake: sending every byte, and receiving
// exactly n bytes (false when they did not come).
using LinkSend = std::function<bool(const uint8_t *bytes, int n)>;
using LinkReceive = std::function<bool(void *buffer, int n)>;

// The SOCKS5 exchange that has the proxy connect on to host:port (a dotted
// address or a name to look up): the greeting, the user and password when the
// proxy asks for them, the connect request, and the whole reply; 1 when the
// tunnel stands, 0 at the first refusal or failed transfer.
int Socks5Handshake(const ProxySettings &proxy, const char *host, uint16_t port, const LinkSend &send,
                    const LinkReceive &receive);

// Connects the created socket to the proxy and has it connect on to host:port;
// 1 when the tunnel stands (the socket's reads are then bounded), 0 on any
// failure, the socket then closed.
int ConnectThroughProxy(LClient &client, const ProxySettings &proxy, const char *host, uint16_t port);

// After a client's link broke: posts the fault to the frame window, or, once
// the reconnect question is pending there, asks the user and posts the answer
// (reconnect or drop the clients). Nothing without a frame window.
void ReportLinkFault();
