// The framework's asynchronous socket: a socket handle with the socket calls as
// members and the events of WSAAsyncSelect delivered to virtual handlers on the
// GUI thread, through a hidden window of the layer.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/Winsock.h"

namespace win {

// The framework's socket start-up (WinSock 2.2); FALSE when it fails.
BOOL AfxSocketInit(WSADATA *data = nullptr);
// Ends what AfxSocketInit started; the hidden window that receives the sockets'
// notifications goes with it (called on the GUI thread as the program ends).
void AfxSocketTerm();

class CAsyncSocket {
public:
    enum { receives = SD_RECEIVE, sends = SD_SEND, both = SD_BOTH };
    static constexpr LONG kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

    CAsyncSocket();
    // Closes the socket; events still queued for it are dropped.
    virtual ~CAsyncSocket();
    CAsyncSocket(const CAsyncSocket &) = delete;
    CAsyncSocket &operator=(const CAsyncSocket &) = delete;

    // Makes the socket, selects `events` and binds it when a port or an address
    // (dotted) is given. FALSE with the socket error when any step fails (no
    // socket is left open), or with WSAEINVAL when the object has one already.
    BOOL Create(UINT socketPort = 0, int socketType = SOCK_STREAM, LONG events = kAllEvents,
                LPCTSTR socketAddress = nullptr);

    // Selects the events to be notified of (0: none).
    BOOL AsyncSelect(LONG events = kAllEvents);

    // Connects to a dotted address or a host name (resolved by gethostbyname;
    // WSAEINVAL when it does not resolve). With events selected the result is
    // FALSE with WSAEWOULDBLOCK and OnConnect reports the outcome.
    BOOL Connect(LPCTSTR hostAddress, UINT hostPort);
    BOOL Connect(const SOCKADDR *sockAddr, int sockAddrLen);

    // send and recv on the socket.
    virtual int Send(const void *buf, int bufLen, int flags = 0);
    virtual int Receive(void *buf, int bufLen, int flags = 0);

    // Closes the socket (nothing when there is none, so twice is harmless).
    virtual void Close();
    BOOL ShutDown(int how = sends);

    BOOL IOCtl(LONG command, DWORD *argument);

    // The peer's and the local address, as dotted text and port or as sockaddr.
    BOOL GetPeerName(CString &peerAddress, UINT &peerPort);
    BOOL GetPeerName(SOCKADDR *sockAddr, int *sockAddrLen);
    BOOL GetSockName(CString &socketAddress, UINT &socketPort);
    BOOL GetSockName(SOCKADDR *sockAddr, int *sockAddrLen);

    static int GetLastError() { return WSAGetLastError(); }

    operator SOCKET() const { return m_hSocket; }

    SOCKET m_hSocket;

    // The notifications, with the event's error code; they do nothing here.
    virtual void OnReceive(int errorCode);
    virtual void OnSend(int errorCode);
    virtual void OnConnect(int errorCode);
    virtual void OnClose(int errorCode);
};

} // namespace win
