// The SOCKS5 messages the gateway connection sends to a proxy (RFC 1928 and
// RFC 1929), and the length of the proxy's connect reply, so that the reply is
// read whole and nothing of it is left for the gateway's first packet.
#pragma once

#include <functional>

#include "platform/win/WinTypes.h"

// 5, 2, 0, 2: version 5, no authentication or user name and password.
constexpr int SOCKS5_GREETING_LENGTH = 4;
void BuildSocks5Greeting(win::BYTE out[SOCKS5_GREETING_LENGTH]);

// 1, user length, user, password length, password into `out` (at least 513
// bytes); the message length, or 0 when a text is longer than 255 bytes.
int BuildSocks5Auth(const char *user, const char *password, win::BYTE *out);

// 5, 1, 0, then the target as a dotted IPv4 address (kind 1, 4 bytes) or as a
// name (kind 3, length byte and name), then the port high byte first, into `out`
// (at least 262 bytes); the message length, or 0 for an empty name or one longer
// than 255 bytes.
int BuildSocks5Connect(const char *address, win::WORD port, win::BYTE *out);

// Whether the text is a dotted IPv4 address of four decimal numbers 0..255.
bool IsDottedIPv4(const char *address, win::BYTE bytes[4]);

// The whole length of a connect reply from its first 5 bytes (version, reply,
// reserved, address kind, first address byte): 10 for IPv4, 22 for IPv6, 7 plus
// the name length for a name; 0 for an unknown address kind.
int Socks5ReplyLength(const win::BYTE head[5]);

// The two halves of the proxy connection: sending every byte, and receiving
// exactly `count` bytes (false when they did not come in time).
using Socks5Send = std::function<bool(const win::BYTE *bytes, int count)>;
using Socks5Receive = std::function<bool(win::BYTE *destination, int count)>;

// The whole negotiation with the proxy: the greeting, the user and password when
// the proxy asks for them (refused without them), the connect request for
// address:port and the whole reply; true when the proxy reports the connection
// made.
bool NegotiateSocks5(const char *user, const char *password, const char *address, win::WORD port,
                     const Socks5Send &send, const Socks5Receive &receive);
