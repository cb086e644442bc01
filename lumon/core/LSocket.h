// The socket base class of the data-server link: a WinSock socket as an object
// whose notifications arrive through virtual operations, dispatched by the socket
// pool's hidden window on the GUI thread.
#pragma once

#include <cstdint>

#include "platform/win/Winsock.h"

class LSocket {
public:
    // Socket kinds of Create.
    static constexpr int kStream = 0;
    static constexpr int kDatagram = 1;

    LSocket();
    // Detaches: the socket is closed and leaves the pool's registry.
    virtual ~LSocket();
    LSocket(const LSocket &) = delete;
    LSocket &operator=(const LSocket &) = delete;

    // Registers the socket with the pool, so that its notifications reach it; a
    // socket already registered stays registered once.
    virtual void Attach();
    // Closes the socket and removes it from the registry.
    virtual void Detach();
    // True when h is a valid handle and the socket's own.
    virtual int IsHandle(win::SOCKET h);
    // Makes a TCP (kind 0) or UDP (kind 1) socket, closing one held before; with
    // notify not 0 its events go to the pool's window as message 3025. 1 or 0.
    virtual int Create(int kind, int notify);
    virtual void Close();
    // recv of up to length bytes, repeated while it returns 0, at most 100 calls:
    // the byte count, 0 when the peer has closed, or -1.
    virtual int Receive(void *buffer, int length);
    // Sends the whole buffer, pausing 50 ms and trying again up to `retries` times
    // while the socket cannot take more. Returns length when every byte went, 0
    // when none could, -1 on an error or when only part of it went (the stream is
    // then broken). A length below 1 returns 0.
    virtual int Send(const void *buffer, int length, int retries);
    virtual void OnError(int code);
    virtual void OnReceive();
    // Closes the socket.
    virtual void OnClose();
    // A notification from the pool: an error goes to OnError, FD_READ to
    // OnReceive, FD_CLOSE to OnClose; other events are ignored.
    virtual void OnSocketEvent(win::SOCKET h, int event, int error);

    win::SOCKET GetHandle() const { return m_hSocket; }
    int GetNotify() const { return m_Notify; }
    uint16_t GetLocalPort() const { return m_LocalPort; }

protected:
    uint16_t m_LocalPort;
    uint16_t m_Kind;
    win::sockaddr_in m_LocalAddr;
    win::SOCKET m_hSocket;
    int m_Notify;

private:
    bool m_Started;
};
