#include "platform/win/CAsyncSocket.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/win/ThreadQueue.h"
#include "platform/win/Window.h"

namespace win {
namespace {

// The message the sockets' events reach the sink window with.
constexpr UINT kSocketNotify = 0x0373;
const char kSinkClass[] = "LumoSocketSink";

// The live sockets by handle. A handle is never reused, so an event still
// queued for a closed socket finds no object and is dropped.
std::mutex socketsLock;
std::unordered_map<SOCKET, CAsyncSocket *> &Sockets()
{
    static auto *sockets = new std::unordered_map<SOCKET, CAsyncSocket *>;
    return *sockets;
}

void Register(SOCKET s, CAsyncSocket *socket)
{
    std::lock_guard<std::mutex> guard(socketsLock);
    Sockets()[s] = socket;
}

// Forgets and closes the object's socket.
void Release(CAsyncSocket &socket)
{
    {
        std::lock_guard<std::mutex> guard(socketsLock);
        Sockets().erase(socket.m_hSocket);
    }
    closesocket(socket.m_hSocket);
    socket.m_hSocket = INVALID_SOCKET;
}

void Dispatch(SOCKET s, LPARAM lParam)
{
    CAsyncSocket *target;
    {
        std::lock_guard<std::mutex> guard(socketsLock);
        auto it = Sockets().find(s);
        if (it == Sockets().end())
            return;
        target = it->second;
    }
    const int error = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:
        target->OnReceive(error);
        break;
    case FD_WRITE:
        target->OnSend(error);
        break;
    case FD_CONNECT:
        target->OnConnect(error);
        break;
    case FD_CLOSE:
        target->OnClose(error);
        break;
    default:
        break;
    }
}

LRESULT SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kSocketNotify) {
        Dispatch(static_cast<SOCKET>(wParam), lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::mutex sinkLock;
HWND sink = 0;

// Makes the sink window on the calling (GUI) thread unless it exists.
LRESULT MakeSink()
{
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = SinkProc;
        wc.lpszClassName = kSinkClass;
        return RegisterClassA(&wc) != 0;
    }();
    std::lock_guard<std::mutex> guard(sinkLock);
    if (registered && (!sink || !IsWindow(sink)))
        sink = CreateWindowExA(WS_EX_TOOLWINDOW, kSinkClass, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    return static_cast<LRESULT>(sink);
}

// The hidden window that receives the events of every socket, owned by the GUI
// thread so that the notifications run there.
HWND SinkWindow()
{
    {
        std::lock_guard<std::mutex> guard(sinkLock);
        if (sink && IsWindow(sink))
            return sink;
    }
    return static_cast<HWND>(RunOnGuiThread(MakeSink));
}

BOOL Name(SOCKET s, bool peer, CString &address, UINT &port)
{
    sockaddr_in sa{};
    int len = sizeof sa;
    int r = peer ? getpeername(s, reinterpret_cast<sockaddr *>(&sa), &len)
                 : getsockname(s, reinterpret_cast<sockaddr *>(&sa), &len);
    if (r == SOCKET_ERROR)
        return FALSE;
    address = inet_ntoa(sa.sin_addr);
    port = ntohs(sa.sin_port);
    return TRUE;
}

} // namespace

BOOL AfxSocketInit(WSADATA *data)
{
    WSADATA local;
    return WSAStartup(MAKEWORD(2, 2), data ? data : &local) == 0 ? TRUE : FALSE;
}

void AfxSocketTerm()
{
    WSACleanup();
    HWND gone = 0;
    {
        std::lock_guard<std::mutex> guard(sinkLock);
        gone = sink;
        sink = 0;
    }
    if (gone && IsWindow(gone))
        DestroyWindow(gone);
}

CAsyncSocket::CAsyncSocket() : m_hSocket(INVALID_SOCKET) {}

CAsyncSocket::~CAsyncSocket()
{
    if (m_hSocket != INVALID_SOCKET)
        Release(*this);
}

BOOL CAsyncSocket::Create(UINT socketPort, int socketType, LONG events, LPCTSTR socketAddress)
{
    if (m_hSocket != INVALID_SOCKET) {
        WSASetLastError(WSAEINVAL);
        return FALSE;
    }
    const SOCKET s = socket(AF_INET, socketType, 0);
    if (s == INVALID_SOCKET)
        return FALSE;
    m_hSocket = s;
    Register(s, this);
    bool ok = events == 0 || AsyncSelect(events);
    if (ok && (socketPort != 0 || socketAddress)) {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<u_short>(socketPort));
        sa.sin_addr.s_addr = socketAddress ? inet_addr(socketAddress) : INADDR_ANY;
        if (sa.sin_addr.s_addr == INADDR_NONE) {
            WSASetLastError(WSAEINVAL);
            ok = false;
        } else {
            ok = bind(s, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != SOCKET_ERROR;
        }
    }
    if (ok)
        return TRUE;
    const int error = WSAGetLastError();
    Release(*this);
    WSASetLastError(error);
    return FALSE;
}

BOOL CAsyncSocket::AsyncSelect(LONG events)
{
    HWND target = 0;
    if (events != 0 && m_hSocket != INVALID_SOCKET) {
        target = SinkWindow();
        if (!target) {
            WSASetLastError(WSAENETDOWN);
            return FALSE;
        }
    }
    return WSAAsyncSelect(m_hSocket, target, kSocketNotify, events) != SOCKET_ERROR;
}

BOOL CAsyncSocket::Connect(LPCTSTR hostAddress, UINT hostPort)
{
    if (!hostAddress) {
        WSASetLastError(WSAEINVAL);
        return FALSE;
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<u_short>(hostPort));
    sa.sin_addr.s_addr = inet_addr(hostAddress);
    if (sa.sin_addr.s_addr == INADDR_NONE) {
        hostent *host = gethostbyname(hostAddress);
        if (!host) {
            WSASetLastError(WSAEINVAL);
            return FALSE;
        }
        std::memcpy(&sa.sin_addr, host->h_addr_list[0], sizeof sa.sin_addr);
    }
    return Connect(reinterpret_cast<const SOCKADDR *>(&sa), sizeof sa);
}

BOOL CAsyncSocket::Connect(const SOCKADDR *sockAddr, int sockAddrLen)
{
    return connect(m_hSocket, sockAddr, sockAddrLen) != SOCKET_ERROR;
}

int CAsyncSocket::Send(const void *buf, int bufLen, int flags)
{
    return send(m_hSocket, static_cast<const char *>(buf), bufLen, flags);
}

int CAsyncSocket::Receive(void *buf, int bufLen, int flags)
{
    return recv(m_hSocket, static_cast<char *>(buf), bufLen, flags);
}

void CAsyncSocket::Close()
{
    if (m_hSocket != INVALID_SOCKET)
        Release(*this);
}

BOOL CAsyncSocket::ShutDown(int how) { return shutdown(m_hSocket, how) != SOCKET_ERROR; }

BOOL CAsyncSocket::IOCtl(LONG command, DWORD *argument)
{
    return ioctlsocket(m_hSocket, command, argument) != SOCKET_ERROR;
}

BOOL CAsyncSocket::GetPeerName(CString &peerAddress, UINT &peerPort)
{
    return Name(m_hSocket, true, peerAddress, peerPort);
}

BOOL CAsyncSocket::GetPeerName(SOCKADDR *sockAddr, int *sockAddrLen)
{
    return getpeername(m_hSocket, sockAddr, sockAddrLen) != SOCKET_ERROR;
}

BOOL CAsyncSocket::GetSockName(CString &socketAddress, UINT &socketPort)
{
    return Name(m_hSocket, false, socketAddress, socketPort);
}

BOOL CAsyncSocket::GetSockName(SOCKADDR *sockAddr, int *sockAddrLen)
{
    return getsockname(m_hSocket, sockAddr, sockAddrLen) != SOCKET_ERROR;
}

void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnConnect(int) {}
void CAsyncSocket::OnClose(int) {}

} // namespace win
