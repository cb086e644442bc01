#include "chatdesk/ChatSocket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "chatdesk/ChatRecords.h"
#include "chatdesk/ChatUser.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

uint32_t GetU32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// "\r\n[hh:mm:ss] text" with the local time.
std::string TimeLine(const char *text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "\r\n[%02u:%02u:%02u] ", unsigned(now.wHour), unsigned(now.wMinute),
                  unsigned(now.wSecond));
    return stamp + std::string(text);
}

} // namespace

CChatSocket::CChatSocket(CChatWindows &windows) : m_windows(windows) {}

void CChatSocket::SetLogin(const char name[64], const char password[64])
{
    std::memcpy(m_loginName, name, sizeof m_loginName);
    std::memcpy(m_password, password, sizeof m_password);
    m_loginName[63] = 0;
    m_password[63] = 0;
}

void CChatSocket::AppendText(const char *text, size_t length)
{
    m_windows.AppendTranscript(text, length);
}

void CChatSocket::WriteLine(const char *text)
{
    const std::string line = TimeLine(text);
    AppendText(line.data(), line.size());
}

bool CChatSocket::ConnectServer(LPCSTR address, UINT port)
{
    if (m_hSocket != INVALID_SOCKET || !Create(0, SOCK_STREAM, kEvents)) {
        WriteLine("无法连接服务器。");
        m_windows.PostNetStatus(ChatNetDisconnected);
        return false;
    }
    SOCKADDR_IN target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<u_short>(port));
    target.sin_addr.s_addr = inet_addr(address);
    return Connect(reinterpret_cast<const SOCKADDR *>(&target), sizeof target) ||
           GetLastError() == WSAEWOULDBLOCK;
}

BOOL CChatSocket::Connect(const SOCKADDR *address, int addressLength)
{
    m_connecting = true;
    m_windows.PostNetStatus(ChatNetConnecting);
    const BOOL result = CAsyncSocket::Connect(address, addressLength);
    if (!result && GetLastError() != WSAEWOULDBLOCK) {
        const int error = GetLastError();
        m_connecting = false;
        AsyncSelect(0);
        Close();
        WriteLine("无法连接服务器。");
        m_windows.PostNetStatus(ChatNetDisconnected);
        WSASetLastError(error);
    }
    return result;
}

int CChatSocket::SendRecord(const void *record, int length)
{
    if (length <= 0 || static_cast<size_t>(length) > kChatMaxRecord)
        return 0;
    const auto *bytes = static_cast<const uint8_t *>(record);
    const size_t size = static_cast<size_t>(length);
    if (m_backlogFill > 0) {
        // Queued behind what waits, never sent ahead of it.
        if (m_backlogFill + size > kBacklogSize) {
            WriteLine("网络速度慢，请稍等片刻再发言。");
            return 0;
        }
        std::memcpy(m_backlog + m_backlogFill, bytes, size);
        m_backlogFill += size;
        return length;
    }
    const int sent = Send(bytes, length);
    if (sent == SOCKET_ERROR) {
        if (GetLastError() != WSAEWOULDBLOCK) {
            OnClose(0);
            return -1;
        }
        std::memcpy(m_backlog, bytes, size);
        m_backlogFill = size;
        return length;
    }
    if (sent < length) {
        std::memcpy(m_backlog, bytes + sent, size - static_cast<size_t>(sent));
        m_backlogFill = size - static_cast<size_t>(sent);
    }
    return length;
}

bool CChatSocket::SendLogin()
{
    ChatLoginRecord login{};
    login.header = {sizeof login, ChatKindLogin, 0};
    login.version = 4;
    login.role = 2;
    std::memcpy(login.name, m_loginName, sizeof login.name);
    std::memcpy(login.password, m_password, sizeof login.password);
    return SendRecord(&login, sizeof login) == static_cast<int>(sizeof login);
}

void CChatSocket::SendKeepAlive()
{
    if (++m_keepAliveCount < 2) {
        const ChatRecordHeader keepAlive{4, ChatKindKeepAlive, 0};
        SendRecord(&keepAlive, sizeof keepAlive);
    } else {
        OnClose(0);
    }
}

void CChatSocket::OnConnect(int errorCode)
{
    m_connecting = false;
    if (errorCode != 0) {
        OnClose(0);
        WriteLine("无法连接服务器。");
        m_windows.PostNetStatus(ChatNetDisconnected);
        return;
    }
    m_connected = true;
    m_keepAliveCount = 0;
    m_receiveFill = 0;
    m_backlogFill = 0;
    SendLogin();
    // A login that could not be sent has closed the connection already.
    if (!m_connected)
        return;
    WriteLine("成功连接至服务器。");
    m_windows.PostNetStatus(ChatNetConnected);
    if (m_windows.IsRecentListShown())
        m_windows.ToggleUserLists();
}

void CChatSocket::OnClose(int errorCode)
{
    if (m_hSocket != INVALID_SOCKET)
        AsyncSelect(0);
    Close();
    // What was received or queued for this connection goes with it.
    m_receiveFill = 0;
    m_backlogFill = 0;
    const bool wasConnecting = m_connecting;
    m_connecting = false;
    if (m_connected) {
        m_connected = false;
        m_keepAliveCount = 0;
        WriteLine("网络已断开。");
        m_windows.ResetUserLists();
        m_windows.PostNetStatus(ChatNetDisconnected);
    } else if (wasConnecting) {
        m_windows.PostNetStatus(ChatNetDisconnected);
    }
}

void CChatSocket::OnSend(int errorCode)
{
    if (errorCode != 0) {
        OnClose(errorCode);
        return;
    }
    if (m_backlogFill == 0)
        return;
    const int sent = Send(m_backlog, static_cast<int>(m_backlogFill));
    if (sent == SOCKET_ERROR) {
        if (GetLastError() != WSAEWOULDBLOCK)
            OnClose(0);
        return;
    }
    const size_t done = static_cast<size_t>(sent);
    std::memmove(m_backlog, m_backlog + done, m_backlogFill - done);
    m_backlogFill -= done;
}

void CChatSocket::OnReceive(int errorCode)
{
    if (errorCode != 0) {
        OnClose(errorCode);
        return;
    }
    // A box shown below lets notifications in; a nested call only asks this one
    // to receive again once the box is gone.
    if (m_receiving) {
        m_receiveAgain = true;
        return;
    }
    m_receiving = true;
    do {
        m_receiveAgain = false;
        ReceiveAvailable();
        ShowPendingBoxes();
    } while (m_receiveAgain && m_connected);
    m_receiving = false;
}

void CChatSocket::ReceiveAvailable()
{
    while (m_connected) {
        if (m_receiveFill >= kReceiveSize) {
            OnClose(0);
            return;
        }
        const int got = Receive(m_receive + m_receiveFill, static_cast<int>(kReceiveSize - m_receiveFill));
        if (got == SOCKET_ERROR && GetLastError() == WSAEWOULDBLOCK)
            return;
        if (got <= 0) {
            OnClose(0);
            return;
        }
        m_keepAliveCount = 0;
        m_receiveFill += static_cast<size_t>(got);
        if (!SplitRecords())
            return;
    }
}

bool CChatSocket::SplitRecords()
{
    size_t pos = 0;
    while (m_receiveFill - pos > 2) {
        const size_t length = size_t(m_receive[pos]) | size_t(m_receive[pos + 1]) << 8;
        if (length < 2) {
            OnClose(0);
            return false;
        }
        if (length <= m_receiveFill - pos) {
            // A record of 2 or 3 bytes has no kind: it is stepped over.
            if (length >= sizeof(ChatRecordHeader))
                DispatchRecord(m_receive + pos, length);
            if (!m_connected)
                return false;
            pos += length;
            continue;
        }
        if (length > kChatMaxRecord) {
            OnClose(0);
            return false;
        }
        break;
    }
    std::memmove(m_receive, m_receive + pos, m_receiveFill - pos);
    m_receiveFill -= pos;
    return true;
}

void CChatSocket::ShowPendingBoxes()
{
    while (m_pendingLogBoxes > 0) {
        --m_pendingLogBoxes;
        MessageBoxA(0, "创建临时文件失败，程序将无法正常运行。  ", "错误", MB_OK | MB_ICONERROR);
    }
}

void CChatSocket::DispatchRecord(const uint8_t *record, size_t length)
{
    if (length < sizeof(ChatRecordHeader))
        return;
    switch (record[2]) {
    case ChatKindLoginReply:
        HandleLoginReply(record, length);
        break;
    case ChatKindMessage:
        HandleChatMessage(record, length);
        break;
    case ChatKindNotice:
        HandleSystemNotice(record, length);
        break;
    case ChatKindUsersOnline:
        HandleUsersOnline(record, length);
        m_windows.PostNetStatus(ChatNetListsChanged);
        break;
    case ChatKindUsersOffline:
        HandleUsersOffline(record, length);
        m_windows.PostNetStatus(ChatNetListsChanged);
        break;
    default:
        break;
    }
}

void CChatSocket::HandleLoginReply(const uint8_t *record, size_t length)
{
    if (length < sizeof(ChatLoginReplyRecord))
        return;
    ChatLoginReplyRecord reply;
    std::memcpy(&reply, record, sizeof reply);
    switch (reply.result) {
    case 0:
        if (reply.serverVersion > 3) {
            char text[64];
            std::snprintf(text, sizeof text, "您已成功登录，服务器分配的编号为 %u 。", unsigned(reply.number));
            WriteLine(text);
        } else {
            // The connection ends before the line is written.
            OnClose(0);
            WriteLine("登录失败，服务器软件版本太低。");
        }
        break;
    case 1:
        WriteLine("登录失败，在线服务软件已更新，请使用新版本登录。");
        break;
    case 2:
        WriteLine("登录失败，用户名或密码错误。请注意用户名和密码的大小写。");
        break;
    case 3:
        WriteLine("登录失败，使用此用户名的人数已达到上限。");
        break;
    case 4:
        WriteLine("登录失败，您的用户名已过期。");
        break;
    case 5:
        WriteLine("您的帐户已被终止。");
        break;
    default:
        WriteLine("登录失败，服务器拒绝登录。");
        break;
    }
}

bool CChatSocket::TextPart(const uint8_t *record, size_t length, size_t offset, const char *&text,
                           size_t &textLength)
{
    if (record[3] == 1) {
        const int expanded = ExpandChatText(record + offset, length - offset, m_expanded);
        if (expanded < 0)
            return false;
        text = m_expanded;
        textLength = static_cast<size_t>(expanded);
    } else {
        text = reinterpret_cast<const char *>(record + offset);
        textLength = length - offset;
    }
    // The text shown and logged ends at a NUL inside it, as a text does on screen.
    textLength = static_cast<size_t>(std::find(text, text + textLength, '\0') - text);
    return true;
}

void CChatSocket::HandleSystemNotice(const uint8_t *record, size_t length)
{
    WriteLine("系统通知");
    const char *text;
    size_t textLength;
    if (TextPart(record, length, kChatNoticeTextOffset, text, textLength))
        AppendText(text, textLength);
}

ChatUser *CChatSocket::FindOnlineUser(uint32_t id)
{
    const int count = m_windows.GetOnlineCount();
    for (int i = 0; i < count; ++i) {
        ChatUser *user = m_windows.GetOnlineUser(i);
        if (user && user->id == id)
            return user;
    }
    return nullptr;
}

void CChatSocket::HandleChatMessage(const uint8_t *record, size_t length)
{
    if (length < kChatMessageTextOffset)
        return;
    ChatUser *sender = FindOnlineUser(GetU32(record + 4));
    if (!sender)
        return;
    const char *text;
    size_t textLength;
    if (!TextPart(record, length, kChatMessageTextOffset, text, textLength))
        return;
    const std::string heading = TimeLine(sender->name);
    std::string entry = "\r\n" + heading + "\r\n";
    entry.append(text, textLength);
    sender->WriteLog(entry.data(), entry.size());

    BringToRecentTop(sender, true);

    const bool notify = m_windows.IsMessageNotifyOn();
    const bool raised = m_windows.RaiseMainWindow(notify);
    if (notify)
        m_windows.PlayNotifySound();

    // Raising the window may have changed the partner: read it again.
    if (sender == CurrentPartner) {
        AppendText(heading.data(), heading.size());
        AppendText(text, textLength);
    } else if (!sender->unread) {
        sender->unread = 1;
        ++UnreadUserCount;
    }
    if (raised || CurrentPartner == nullptr) {
        if (!m_windows.IsRecentListShown())
            m_windows.ToggleUserLists();
        m_windows.PostSelectFirstRecent();
    }
}

void CChatSocket::BringToRecentTop(ChatUser *user, bool keepSelection)
{
    const int count = m_windows.GetRecentCount();
    int index = -1;
    for (int i = 0; i < count; ++i) {
        if (m_windows.GetRecentUser(i) == user) {
            index = i;
            break;
        }
    }
    if (index == 0)
        return;
    if (index > 0) {
        const bool selected = keepSelection && m_windows.IsRecentSelected(index);
        user->moving = 1;
        m_windows.DeleteRecentUser(index);
        const int at = m_windows.InsertRecentUser(0, user);
        user->moving = 0;
        if (at < 0)
            user->DropReference();
        else if (selected)
            m_windows.SelectRecentUser(at);
        return;
    }
    user->AddReference();
    if (m_windows.InsertRecentUser(0, user) < 0)
        user->DropReference();
}

void CChatSocket::HandleUsersOnline(const uint8_t *record, size_t length)
{
    if (length < kChatListOffset)
        return;
    // A count beyond the entries present is cut to them.
    const size_t count = std::min<size_t>(GetU32(record + 4), (length - kChatListOffset) / sizeof(ChatUserRecord));
    for (size_t i = 0; i < count; ++i) {
        ChatUserRecord entry;
        std::memcpy(&entry, record + kChatListOffset + i * sizeof entry, sizeof entry);
        ChatUser *user = ChatUser::Create(entry);
        if (user->log == INVALID_HANDLE_VALUE)
            ++m_pendingLogBoxes;
        if (m_windows.AddOnlineUser(user) < 0)
            user->DropReference();
    }
    if (count == 0 && m_windows.GetOnlineCount() == 0)
        WriteLine("当前没有技术支持或专家在线。");
}

void CChatSocket::HandleUsersOffline(const uint8_t *record, size_t length)
{
    if (length < kChatListOffset)
        return;
    const size_t count = std::min<size_t>(GetU32(record + 4), (length - kChatListOffset) / sizeof(ChatOfflineEntry));
    for (size_t i = 0; i < count; ++i) {
        ChatOfflineEntry entry;
        std::memcpy(&entry, record + kChatListOffset + i * sizeof entry, sizeof entry);
        if (entry.status != 2 || m_windows.GetOnlineCount() <= 0)
            continue;
        const int online = m_windows.GetOnlineCount();
        int index = -1;
        for (int k = 0; k < online; ++k) {
            ChatUser *candidate = m_windows.GetOnlineUser(k);
            if (candidate && candidate->id == entry.id) {
                index = k;
                break;
            }
        }
        if (index < 0)
            continue;
        ChatUser *user = m_windows.GetOnlineUser(index);
        user->status = (user->status & ~1u) | 2u;
        if (user == CurrentPartner) {
            const std::string line = TimeLine(("用户 " + std::string(user->name) + " 已下线。").c_str());
            AppendText(line.data(), line.size());
            const std::string logged = "\r\n" + line;
            user->WriteLog(logged.data(), logged.size());
        }
        user->moving = 1;
        m_windows.DeleteOnlineUser(index);
        user->moving = 0;
        user->DropReference();
    }
    m_windows.RepaintRecentList();
}
