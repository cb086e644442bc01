#include "lumon/core/ProxyLink.h"

#include <cstring>

#include "lumon/core/FrameServices.h"
#include "lumon/core/TNormalClnt.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"
#include "platform/win/Winsock.h"

using namespace win;

namespace {

bool SendAll(LSocket &socket, const uint8_t *bytes, int n)
{
    return socket.Send(bytes, n, 100) == n;
}

// The IPv4 address of a dotted text or, failing that, of the name looked up.
bool ResolveHost(const char *host, in_addr &address)
{
    address.s_addr = inet_addr(host);
    if (address.s_addr != INADDR_NONE)
        return true;
    hostent *entry = gethostbyname(host);
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
        return false;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return true;
}

} // namespace

int Socks5Handshake(const ProxySettings &proxy, const char *host, uint16_t port, const LinkSend &send,
                    const LinkReceive &receive)
{
    uint8_t greeting[3] = {5, 1, uint8_t(proxy.CertUser ? 2 : 0)};
    if (!send(greeting, 3))
        return 0;
    uint8_t answer[2];
    if (!receive(answer, 2) || answer[0] != 5 || (answer[1] != 0 && answer[1] != 2))
        return 0;
    if (answer[1] == 2) {
        const size_t userLength = strnlen(proxy.User, 32);
        const size_t passwordLength = strnlen(proxy.Password, 32);
        uint8_t auth[3 + 32 + 32];
        int n = 0;
        auth[n++] = 1;
        auth[n++] = uint8_t(userLength);
        std::memcpy(auth + n, proxy.User, userLength);
        n += int(userLength);
        auth[n++] = uint8_t(passwordLength);
        std::memcpy(auth + n, proxy.Password, passwordLength);
        n += int(passwordLength);
        if (!send(auth, n))
            return 0;
        if (!receive(answer, 2) || answer[0] != 1 || answer[1] != 0)
            return 0;
    }
    in_addr target{};
    if (!ResolveHost(host, target))
        return 0;
    uint8_t request[10] = {5, 1, 0, 1};
    std::memcpy(request + 4, &target.s_addr, 4);
    request[8] = uint8_t(port >> 8);
    request[9] = uint8_t(port);
    if (!send(request, 10))
        return 0;
    // The reply names the proxy's bound address in one of three forms; all of
    // it is read, so that the server's first frame starts clean.
    uint8_t reply[4];
    if (!receive(reply, 4) || reply[0] != 5 || reply[1] != 0)
        return 0;
    int rest;
    if (reply[3] == 1) {
        rest = 4 + 2;
    } else if (reply[3] == 4) {
        rest = 16 + 2;
    } else if (reply[3] == 3) {
        uint8_t length;
        if (!receive(&length, 1))
            return 0;
        rest = length + 2;
    } else {
        return 0;
    }
    uint8_t bound[257];
    return receive(bound, rest) ? 1 : 0;
}

void LoadProxySettings(ProxySettings &proxy, const char *iniFile)
{
    std::memset(&proxy, 0, sizeof proxy);
    GetPrivateProfileStringA("ProxyServer", "Address", "127.0.0.1", proxy.Host, sizeof proxy.Host, iniFile);
    proxy.Port = ProfilePort("ProxyServer", "Port", 1080, iniFile);
    GetPrivateProfileStringA("ProxyServer", "UserName", "", proxy.User, sizeof proxy.User, iniFile);
    GetPrivateProfileStringA("ProxyServer", "Password", "", proxy.Password, sizeof proxy.Password, iniFile);
    proxy.UseProxy = GetPrivateProfileIntA("ProxyServer", "UseProxy", 0, iniFile) ? 1 : 0;
    proxy.CertUser = GetPrivateProfileIntA("ProxyServer", "CertUser", 0, iniFile) ? 1 : 0;
}

uint16_t ProfilePort(const char *section, const char *key, int fallback, const char *iniFile)
{
    int port = int(GetPrivateProfileIntA(section, key, fallback, iniFile));
    return uint16_t(port >= 1 && port <= 65535 ? port : fallback);
}

bool BoundReads(LSocket &socket)
{
    win::u_long nonBlocking = 1;
    return ioctlsocket(socket.GetHandle(), FIONBIO, &nonBlocking) == 0;
}

int ReceiveExact(LSocket &socket, void *buffer, int n, DWORD timeoutMs)
{
    uint8_t *p = static_cast<uint8_t *>(buffer);
    const DWORD start = GetTickCount();
    int got = 0;
    while (got < n) {
        int r = socket.Receive(p + got, n - got);
        if (r > 0) {
            got += r;
            continue;
        }
        if (r == 0)
            return 0;
        if (WSAGetLastError() != WSAEWOULDBLOCK || GetTickCount() - start >= timeoutMs)
            return -1;
        Sleep(1);
    }
    return 1;
}

int ConnectThroughProxy(LClient &client, const ProxySettings &proxy, const char *host, uint16_t port)
{
    const LinkSend send = [&client](const uint8_t *bytes, int n) { return SendAll(client, bytes, n); };
    const LinkReceive receive = [&client](void *buffer, int n) {
        return ReceiveExact(client, buffer, n, kLinkTimeoutMs) == 1;
    };
    if (client.Connect(proxy.Host, proxy.Port) && BoundReads(client) &&
        Socks5Handshake(proxy, host, port, send, receive))
        return 1;
    client.Close();
    return 0;
}

void ReportLinkFault()
{
    const HWND frame = MFrame ? MFrame->GetFrameWindow() : 0;
    if (!frame)
        return;
    if (!MFrame->FaultPending()) {
        PostMessageA(frame, WM_NETWORK_FAULT, 0, 0);
        return;
    }
    int answer = MessageBoxA(frame, "网络故障，请检查您的网络，是否重新连接？", "提示",
                             MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
    PostMessageA(frame, answer == IDYES ? WM_RECONNECT : WM_DROP_CLIENTS, 0, 0);
}
