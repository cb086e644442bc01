// Inside the layer: the record behind each socket handle, shared by the socket
// calls and the WSAAsyncSelect watcher, and the calls between the two.
#pragma once

#include <memory>
#include <mutex>

#include "platform/win/Winsock.h"

namespace win {

// The system socket stays open while anyone holds the record (a call in
// progress, the watcher), so its descriptor is never reused under them.
struct SocketRecord {
    SocketRecord(SOCKET h, int descriptor, bool isStream) : handle(h), fd(descriptor), stream(isStream) {}
    ~SocketRecord();
    SocketRecord(const SocketRecord &) = delete;
    SocketRecord &operator=(const SocketRecord &) = delete;

    const SOCKET handle;
    const int fd; // always non-blocking; `nonBlocking` is the program's mode
    const bool stream;

    // The rest is guarded by SocketLock().
    bool closed = false;
    bool nonBlocking = false;
    bool sendShut = false;
    bool established = false; // the connection has been made
    int blockedCalls = 0; // threads waiting inside a blocking call

    // WSAAsyncSelect state.
    HWND hwnd = 0;
    UINT msg = 0;
    LONG events = 0;
    bool watched = false;     // the watcher holds notifiers for it
    bool connecting = false;  // a connect whose outcome FD_CONNECT reports
    bool readPosted = false;  // FD_READ posted; the next waits for recv
    bool writeWanted = false; // FD_WRITE due once the socket can take data
    bool closeSeen = false;   // the connection has ended (no data left)
    bool closePosted = false; // FD_CLOSE posted (or the connect failed)
    int closeError = 0;
};

std::mutex &SocketLock();

// The record of an open socket, or null with WSAENOTSOCK set.
std::shared_ptr<SocketRecord> FindSocket(SOCKET s);

// Probes of the system socket, for the watcher.
enum class ReadState { Data, Closed, Quiet };
// What a readable socket holds: data, the end of the connection (with its
// FD_CLOSE error code in *error), or nothing after all.
ReadState ProbeReadable(const SocketRecord &rec, int *error);
// The pending error of the socket as a WSA code (0: none), clearing it.
int TakeSocketError(const SocketRecord &rec);
// Whether bytes wait to be read.
bool HasPendingData(const SocketRecord &rec);
// Whether the socket has a peer.
bool IsConnected(const SocketRecord &rec);

// Posts one WSAAsyncSelect message.
void PostSocketEvent(HWND hwnd, UINT msg, SOCKET s, LONG event, int error);

// Hooks of the WSAAsyncSelect side, called by the socket calls outside the lock.
// recv was called: FD_READ is re-enabled (and posted at once while data remain).
void AsyncAfterReceive(const std::shared_ptr<SocketRecord> &rec);
// A send could not take everything: FD_WRITE is due once it can.
void AsyncAfterBlockedSend(const std::shared_ptr<SocketRecord> &rec);
// A connect with events selected: pending (error < 0), or ended at once with
// `error` (0: connected), reported by FD_CONNECT either way.
void AsyncConnectStarted(const std::shared_ptr<SocketRecord> &rec, int error);
// The socket was closed: its notifiers go.
void AsyncForget(const std::shared_ptr<SocketRecord> &rec);
// Whether the caller runs on the thread of the watcher.
bool OnWatcherThread();

} // namespace win
