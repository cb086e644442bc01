// The chat client's one connection to the chat server: framing of the records,
// sending with a backlog, the keepalive, the login, and the handling of every
// incoming record kind, reported to the windows through CChatWindows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "chatdesk/ChatRecords.h"
#include "chatdesk/ChatWindows.h"
#include "platform/win/CAsyncSocket.h"

struct ChatUser;

class CChatSocket : public win::CAsyncSocket {
public:
    // Read, write, connect and close notifications (0x33).
    static constexpr win::LONG kEvents = win::FD_READ | win::FD_WRITE | win::FD_CONNECT | win::FD_CLOSE;
    static constexpr size_t kReceiveSize = 4096;
    static constexpr size_t kBacklogSize = 16384;

    explicit CChatSocket(CChatWindows &windows);
    CChatSocket(const CChatSocket &) = delete;
    CChatSocket &operator=(const CChatSocket &) = delete;

    // Makes the socket and connects it to a dotted IPv4 address and port. An
    // attempt that cannot start (no socket, or a connect that fails at once)
    // writes "无法连接服务器。", posts the disconnected state and gives false;
    // otherwise OnConnect reports the outcome.
    bool ConnectServer(win::LPCSTR address, win::UINT port);
    // Sets the connecting state, posts it and starts the asynchronous connect;
    // the platform's result. A connect that fails at once (neither success nor
    // WSAEWOULDBLOCK) is ended here as ConnectServer describes.
    win::BOOL Connect(const win::SOCKADDR *address, int addressLength);

    // Sends a record, or queues it behind the bytes already waiting. The length
    // when the record was sent or queued; 0 when the backlog refused it (with a
    // transcript line) or it is longer than any record; -1 after a send error,
    // which has closed the connection.
    int SendRecord(const void *record, int length);
    bool SendLogin();
    // Every keepalive period: a keepalive, or the end of a connection on which
    // nothing arrived during the last period.
    void SendKeepAlive();

    void OnConnect(int errorCode) override;
    void OnReceive(int errorCode) override;
    void OnSend(int errorCode) override;
    // Closes the connection (also the user's disconnect): notifications off,
    // socket closed, what was received or queued dropped; when it was connected
    // the line "网络已断开。", both user lists emptied and the disconnected state
    // posted; when it was still connecting, the disconnected state posted.
    void OnClose(int errorCode) override;

    // Handles one complete record of at least a header.
    void DispatchRecord(const uint8_t *record, size_t length);

    // The login name and password in use: 64 bytes each, the last one always NUL.
    void SetLogin(const char name[64], const char password[64]);
    const char *GetLoginName() const { return m_loginName; }

    bool IsConnected() const { return m_connected; }
    bool IsConnecting() const { return m_connecting; }
    size_t GetBacklogSize() const { return m_backlogFill; }
    int GetKeepAliveCount() const { return m_keepAliveCount; }

    // Appends "\r\n[hh:mm:ss] text" (local time) to the transcript, so that the
    // line follows an empty one.
    void WriteLine(const char *text);
    // Moves the user to the top of the recent-contacts list: one reference more
    // when he was not in it; with `keepSelection` a selected user is selected
    // again at the top.
    void BringToRecentTop(ChatUser *user, bool keepSelection);

private:
    void HandleLoginReply(const uint8_t *record, size_t length);
    void HandleChatMessage(const uint8_t *record, size_t length);
    void HandleSystemNotice(const uint8_t *record, size_t length);
    void HandleUsersOnline(const uint8_t *record, size_t length);
    void HandleUsersOffline(const uint8_t *record, size_t length);

    // Receives and splits until the socket has nothing more or the connection ends.
    void ReceiveAvailable();
    // Hands every complete record of the buffer to DispatchRecord and keeps the
    // rest; false when a bad length or a handler closed the connection.
    bool SplitRecords();
    // The boxes about logs that could not be made, shown once the records at
    // hand have been handled.
    void ShowPendingBoxes();
    void AppendText(const char *text, size_t length);
    // A text part as shown: expanded when flagged, ending at its first NUL. False
    // when it does not expand.
    bool TextPart(const uint8_t *record, size_t length, size_t offset, const char *&text, size_t &textLength);
    ChatUser *FindOnlineUser(uint32_t id);

    CChatWindows &m_windows;
    bool m_connected = false;
    bool m_connecting = false;
    int m_keepAliveCount = 0;
    uint8_t m_receive[kReceiveSize];
    size_t m_receiveFill = 0;
    uint8_t m_backlog[kBacklogSize];
    size_t m_backlogFill = 0;
    char m_loginName[64] = {};
    char m_password[64] = {};
    char m_expanded[kChatMaxText];
    bool m_receiving = false;
    bool m_receiveAgain = false;
    int m_pendingLogBoxes = 0;
};
