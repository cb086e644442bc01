// Test support for the chat connection: a double of the chat windows that keeps
// lists the way the real ones do (sorted online list, references dropped on
// reset), a socket fed with bytes instead of a network, and record builders.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "chatdesk/ChatRecords.h"
#include "chatdesk/ChatSocket.h"
#include "chatdesk/ChatUser.h"
#include "chatdesk/ChatWindows.h"

namespace chattest {

using Bytes = std::vector<uint8_t>;

class WindowsDouble : public CChatWindows {
public:
    std::string transcript;
    std::vector<std::string> appended; // each piece as appended, without its "\r\n"
    std::vector<int> netStatus;
    std::vector<ChatUser *> online, recent;
    std::vector<bool> recentSelected;
    bool refuseAdds = false;
    bool recentShown = false;
    int toggles = 0;
    int selectFirstPosts = 0;
    bool notify = true;
    bool needsRaise = false;
    int raises = 0;
    int sounds = 0;

    // Whether some appended piece contains `text`.
    bool Saw(const std::string &text) const
    {
        for (const std::string &s : appended)
            if (s.find(text) != std::string::npos)
                return true;
        return false;
    }
    // The posted selection of the recent list's first item, as the list does it.
    void RunPostedSelection()
    {
        for (; selectFirstPosts > 0; --selectFirstPosts)
            if (!recent.empty())
                SelectRecentUser(0);
    }

    void AppendTranscript(const char *text, size_t length) override
    {
        appended.emplace_back(text, length);
        transcript += "\r\n";
        transcript.append(text, length);
    }
    void PostNetStatus(ChatNetStatus status) override { netStatus.push_back(status); }

    int AddOnlineUser(ChatUser *user) override
    {
        if (refuseAdds)
            return -1;
        size_t i = 0;
        while (i < online.size() && Before(online[i], user))
            ++i;
        online.insert(online.begin() + static_cast<long>(i), user);
        return static_cast<int>(i);
    }
    int GetOnlineCount() override { return static_cast<int>(online.size()); }
    ChatUser *GetOnlineUser(int index) override { return online.at(static_cast<size_t>(index)); }
    void DeleteOnlineUser(int index) override { online.erase(online.begin() + index); }

    int GetRecentCount() override { return static_cast<int>(recent.size()); }
    ChatUser *GetRecentUser(int index) override { return recent.at(static_cast<size_t>(index)); }
    bool IsRecentSelected(int index) override { return recentSelected.at(static_cast<size_t>(index)); }
    void DeleteRecentUser(int index) override
    {
        recent.erase(recent.begin() + index);
        recentSelected.erase(recentSelected.begin() + index);
    }
    int InsertRecentUser(int index, ChatUser *user) override
    {
        if (refuseAdds)
            return -1;
        recent.insert(recent.begin() + index, user);
        recentSelected.insert(recentSelected.begin() + index, false);
        return index;
    }
    void SelectRecentUser(int index) override
    {
        for (size_t i = 0; i < recentSelected.size(); ++i)
            recentSelected[i] = false;
        recentSelected.at(static_cast<size_t>(index)) = true;
        ChatUser *user = recent[static_cast<size_t>(index)];
        if (user->unread) {
            user->unread = 0;
            --UnreadUserCount;
        }
        CurrentPartner = user;
    }
    void RepaintRecentList() override {}
    void ResetUserLists() override
    {
        for (auto *list : {&online, &recent}) {
            std::vector<ChatUser *> users;
            users.swap(*list);
            for (ChatUser *user : users)
                user->DropReference();
        }
        recentSelected.clear();
    }
    bool IsRecentListShown() override { return recentShown; }
    void ToggleUserLists() override
    {
        ++toggles;
        recentShown = !recentShown;
    }
    void PostSelectFirstRecent() override { ++selectFirstPosts; }
    bool IsMessageNotifyOn() override { return notify; }
    bool RaiseMainWindow(bool raise) override
    {
        raises += raise && needsRaise;
        return needsRaise;
    }
    void PlayNotifySound() override { ++sounds; }

private:
    static bool Before(const ChatUser *a, const ChatUser *b)
    {
        const int c = std::strcmp(a->name, b->name);
        return c < 0 || (c == 0 && a->id < b->id);
    }
};

// A connection whose received bytes come from a queue of chunks and whose sends
// are kept; each send takes at most `sendRoom` bytes (none: WSAEWOULDBLOCK) or
// fails with `sendError`.
class FedSocket : public CChatSocket {
public:
    explicit FedSocket(CChatWindows &windows) : CChatSocket(windows) {}

    std::deque<Bytes> chunks;
    Bytes sent;
    size_t sendRoom = SIZE_MAX;
    int sendError = 0;

    // Connects and delivers every chunk queued, one receive notification each.
    void Up()
    {
        const char name[64] = "user01", password[64] = "123456";
        SetLogin(name, password);
        OnConnect(0);
    }
    void Deliver(const Bytes &bytes, size_t piece = SIZE_MAX)
    {
        for (size_t i = 0; i < bytes.size(); i += piece) {
            chunks.emplace_back(bytes.begin() + static_cast<long>(i),
                                bytes.begin() + static_cast<long>(std::min(bytes.size(), i + piece)));
            OnReceive(0);
        }
    }

    int Receive(void *buffer, int length, int) override
    {
        if (chunks.empty()) {
            win::WSASetLastError(win::WSAEWOULDBLOCK);
            return win::SOCKET_ERROR;
        }
        Bytes &front = chunks.front();
        const size_t n = std::min(front.size(), static_cast<size_t>(length));
        std::memcpy(buffer, front.data(), n);
        front.erase(front.begin(), front.begin() + static_cast<long>(n));
        if (front.empty())
            chunks.pop_front();
        return static_cast<int>(n);
    }
    int Send(const void *buffer, int length, int) override
    {
        if (sendError) {
            win::WSASetLastError(sendError);
            return win::SOCKET_ERROR;
        }
        const size_t n = std::min(sendRoom, static_cast<size_t>(length));
        if (n == 0) {
            win::WSASetLastError(win::WSAEWOULDBLOCK);
            return win::SOCKET_ERROR;
        }
        const auto *p = static_cast<const uint8_t *>(buffer);
        sent.insert(sent.end(), p, p + n);
        if (sendRoom != SIZE_MAX)
            sendRoom -= n;
        return static_cast<int>(n);
    }
};

// Records as a server sends them.
inline Bytes Record(uint8_t kind, const Bytes &body, uint8_t flag = 0, int length = -1)
{
    const size_t total = 4 + body.size();
    const size_t field = length < 0 ? total : static_cast<size_t>(length);
    Bytes r = {static_cast<uint8_t>(field), static_cast<uint8_t>(field >> 8), kind, flag};
    r.insert(r.end(), body.begin(), body.end());
    return r;
}
inline void PutU32(Bytes &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline Bytes LoginReply(uint32_t result, uint32_t version, uint32_t number)
{
    Bytes body;
    PutU32(body, result);
    PutU32(body, version);
    PutU32(body, number);
    return Record(ChatKindLoginReply, body);
}
struct UserSpec {
    uint32_t id;
    std::string name;
    uint32_t role = 1;
    std::string info = "";
};
inline Bytes UsersOnline(const std::vector<UserSpec> &users, int64_t count = -1)
{
    Bytes body;
    PutU32(body, static_cast<uint32_t>(count < 0 ? static_cast<int64_t>(users.size()) : count));
    for (const UserSpec &u : users) {
        ChatUserRecord r{};
        r.id = u.id;
        r.status = 8;
        r.role = u.role;
        std::memcpy(r.name, u.name.data(), std::min(u.name.size(), sizeof r.name));
        std::memcpy(r.info, u.info.data(), std::min(u.info.size(), sizeof r.info));
        const auto *p = reinterpret_cast<const uint8_t *>(&r);
        body.insert(body.end(), p, p + sizeof r);
    }
    return Record(ChatKindUsersOnline, body);
}
inline Bytes UsersOffline(const std::vector<std::pair<uint32_t, uint32_t>> &pairs)
{
    Bytes body;
    PutU32(body, static_cast<uint32_t>(pairs.size()));
    for (auto [id, status] : pairs) {
        PutU32(body, id);
        PutU32(body, status);
    }
    return Record(ChatKindUsersOffline, body);
}
inline Bytes Message(uint32_t id, const Bytes &text, uint8_t flag = 0)
{
    Bytes body;
    PutU32(body, id);
    body.insert(body.end(), text.begin(), text.end());
    return Record(ChatKindMessage, body, flag);
}
inline Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }
inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace chattest
