// A TCP client socket: connects to a host by dotted address or name, and learns
// the peer's address when a non-blocking connect completes.
#pragma once

#include <cstdint>

#include "lumon/core/LSocket.h"

class LClient : public LSocket {
public:
    LClient();

    // An error goes to OnError, FD_CONNECT to OnConnect, the rest as for any socket.
    void OnSocketEvent(win::SOCKET h, int event, int error) override;

    // Connects the created socket to host:port. A dotted address is taken as it
    // is; anything else is looked up by name. 1 when connected, or when the
    // connection is under way on a socket with notifications (FD_CONNECT follows);
    // 0 otherwise.
    virtual int Connect(const char *host, uint16_t port);
    // Takes the peer's address and port; returns the port.
    virtual int OnConnect();

    uint16_t GetRemotePort() const { return m_RemotePort; }
    const win::sockaddr_in &GetRemoteAddr() const { return m_RemoteAddr; }

protected:
    uint16_t m_RemotePort;
    win::sockaddr_in m_RemoteAddr;
};
