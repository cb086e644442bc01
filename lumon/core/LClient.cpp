#include "lumon/core/LClient.h"

#include <cstring>

using namespace win;

LClient::LClient() : m_RemotePort(0), m_RemoteAddr{}
{
}

void LClient::OnSocketEvent(SOCKET h, int event, int error)
{
    if (error != 0)
        OnError(error);
    else if (event == FD_CONNECT)
        OnConnect();
    else
        LSocket::OnSocketEvent(h, event, error);
}

int LClient::Connect(const char *host, uint16_t port)
{
    if (!host)
        return 0;
    in_addr address{};
    address.s_addr = inet_addr(host);
    if (address.s_addr == INADDR_NONE) {
        hostent *entry = gethostbyname(host);
        if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
            return 0;
        std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    }
    std::memset(&m_RemoteAddr, 0, sizeof m_RemoteAddr);
    m_RemoteAddr.sin_family = AF_INET;
    m_RemoteAddr.sin_port = htons(port);
    m_RemoteAddr.sin_addr = address;
    m_RemotePort = port;
    if (win::connect(m_hSocket, reinterpret_cast<const sockaddr *>(&m_RemoteAddr), sizeof m_RemoteAddr) == 0)
        return 1;
    if (WSAGetLastError() == WSAEWOULDBLOCK)
        return m_Notify ? 1 : 0;
    return 0;
}

int LClient::OnConnect()
{
    sockaddr_in peer{};
    int size = sizeof peer;
    if (getpeername(m_hSocket, reinterpret_cast<sockaddr *>(&peer), &size) == 0) {
        m_RemoteAddr = peer;
        m_RemotePort = ntohs(peer.sin_port);
    }
    return m_RemotePort;
}
