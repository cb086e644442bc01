#include "lumon/core/LSocket.h"

#include <cstring>

#include "lumon/core/LSocketPool.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Thread.h"

using namespace win;

namespace {

constexpr int kReceiveTries = 100;
constexpr DWORD kSendPauseMs = 50;
constexpr LONG kNotifyEvents = FD_READ | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

} // namespace

LSocket::LSocket()
    : m_LocalPort(0), m_Kind(0), m_LocalAddr{}, m_hSocket(INVALID_SOCKET), m_Notify(1), m_Started(false)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) == 0)
        m_Started = true;
    else
        MessageBoxA(0, "Initial WinSocket Error", "", MB_OK);
}

LSocket::~LSocket()
{
    LSocket::Detach();
    if (m_Started)
        WSACleanup();
}

void LSocket::Attach()
{
    LDbCtrl<LSocket> &registry = LSocketPool::Registry();
    if (registry.Find(this) < 0)
        registry.Insert(this, -1);
}

void LSocket::Detach()
{
    Close();
    LDbCtrl<LSocket> &registry = LSocketPool::Registry();
    int pos = registry.Find(this);
    if (pos >= 0)
        registry.RemoveAt(pos);
}

int LSocket::IsHandle(SOCKET h)
{
    return h != INVALID_SOCKET && h == m_hSocket;
}

int LSocket::Create(int kind, int notify)
{
    if (kind != kStream && kind != kDatagram)
        return 0;
    Close();
    m_hSocket = kind == kStream ? win::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)
                                : win::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_hSocket == INVALID_SOCKET)
        return 0;
    int size = sizeof m_LocalAddr;
    std::memset(&m_LocalAddr, 0, sizeof m_LocalAddr);
    if (getsockname(m_hSocket, reinterpret_cast<sockaddr *>(&m_LocalAddr), &size) == 0)
        m_LocalPort = ntohs(m_LocalAddr.sin_port);
    else
        m_LocalPort = 0;
    if (notify && WSAAsyncSelect(m_hSocket, LSocketPool::GetWindow(), kSocketMessage, kNotifyEvents) == SOCKET_ERROR) {
        Close();
        return 0;
    }
    m_Notify = notify;
    m_Kind = uint16_t(kind);
    return 1;
}

void LSocket::Close()
{
    if (m_hSocket != INVALID_SOCKET)
        closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}

int LSocket::Receive(void *buffer, int length)
{
    int result = 0;
    for (int i = 0; i < kReceiveTries; ++i) {
        result = win::recv(m_hSocket, static_cast<char *>(buffer), length, 0);
        if (result != 0)
            break;
    }
    return result;
}

int LSocket::Send(const void *buffer, int length, int retries)
{
    if (length < 1)
        return 0;
    const char *bytes = static_cast<const char *>(buffer);
    int sent = 0;
    for (;;) {
        int n = win::send(m_hSocket, bytes + sent, length - sent, 0);
        if (n == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                return -1;
            if (retries <= 0)
                break;
            Sleep(kSendPauseMs);
            --retries;
        } else {
            sent += n;
            if (sent >= length || retries <= 0)
                break;
        }
    }
    // Part of a frame on the wire and the rest lost would leave the peer reading
    // garbage: that is a failed send, not a short one.
    if (sent > 0 && sent < length)
        return -1;
    return sent;
}

void LSocket::OnError(int code)
{
}

void LSocket::OnReceive()
{
}

void LSocket::OnClose()
{
    Close();
}

void LSocket::OnSocketEvent(SOCKET h, int event, int error)
{
    if (error != 0)
        OnError(error);
    else if (event == FD_READ)
        OnReceive();
    else if (event == FD_CLOSE)
        OnClose();
}
