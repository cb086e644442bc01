#include "consign/session/Socks5Request.h"

#include <cstring>

using namespace win;

void BuildSocks5Greeting(BYTE out[SOCKS5_GREETING_LENGTH])
{
    out[0] = 5;
    out[1] = 2;
    out[2] = 0;
    out[3] = 2;
}

int BuildSocks5Auth(const char *user, const char *password, BYTE *out)
{
    const size_t userLength = std::strlen(user);
    const size_t passwordLength = std::strlen(password);
    if (userLength > 255 || passwordLength > 255)
        return 0;
    int at = 0;
    out[at++] = 1;
    out[at++] = static_cast<BYTE>(userLength);
    std::memcpy(out + at, user, userLength);
    at += static_cast<int>(userLength);
    out[at++] = static_cast<BYTE>(passwordLength);
    std::memcpy(out + at, password, passwordLength);
    return at + static_cast<int>(passwordLength);
}

bool IsDottedIPv4(const char *address, BYTE bytes[4])
{
    const char *p = address;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && *p++ != '.')
            return false;
        int value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + (*p++ - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        bytes[part] = static_cast<BYTE>(value);
    }
    return *p == 0;
}

int BuildSocks5Connect(const char *address, WORD port, BYTE *out)
{
    int at = 0;
    out[at++] = 5;
    out[at++] = 1;
    out[at++] = 0;
    BYTE ip[4];
    if (IsDottedIPv4(address, ip)) {
        out[at++] = 1;
        std::memcpy(out + at, ip, 4);
        at += 4;
    } else {
        const size_t length = std::strlen(address);
        if (length == 0 || length > 255)
            return 0;
        out[at++] = 3;
        out[at++] = static_cast<BYTE>(length);
        std::memcpy(out + at, address, length);
        at += static_cast<int>(length);
    }
    out[at++] = static_cast<BYTE>(port >> 8);
    out[at++] = static_cast<BYTE>(port);
    return at;
}

int Socks5ReplyLength(const BYTE head[5])
{
    switch (head[3]) {
    case 1:
        return 10;
    case 3:
        return 7 + head[4];
    case 4:
        return 22;
    default:
        return 0;
    }
}

bool NegotiateSocks5(const char *user, const char *password, const char *address, WORD port,
                     const Socks5Send &send, const Socks5Receive &receive)
{
    BYTE greeting[SOCKS5_GREETING_LENGTH];
    BuildSocks5Greeting(greeting);
    BYTE answer[2];
    if (!send(greeting, sizeof greeting) || !receive(answer, 2) || answer[0] != 5)
        return false;
    if (answer[1] == 2) {
        if (!user || !password)
            return false;
        BYTE auth[600];
        const int length = BuildSocks5Auth(user, password, auth);
        if (length == 0 || !send(auth, length) || !receive(answer, 2) || answer[1] != 0)
            return false;
    } else if (answer[1] != 0) {
        return false;
    }

    BYTE request[300];
    const int length = BuildSocks5Connect(address, port, request);
    if (length == 0 || !send(request, length))
        return false;
    // The reply is read whole, as long as its address kind makes it, so that no
    // byte of it is taken for the gateway's first packet; only "succeeded" goes on.
    BYTE reply[262];
    if (!receive(reply, 5) || reply[0] != 5 || reply[1] != 0)
        return false;
    const int replyLength = Socks5ReplyLength(reply);
    return replyLength > 0 && receive(reply + 5, replyLength - 5);
}
