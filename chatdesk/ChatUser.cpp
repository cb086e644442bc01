#include "chatdesk/ChatUser.h"

#include <cstring>

#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;

ChatUser *CurrentPartner = nullptr;
int UnreadUserCount = 0;

namespace {

int liveUsers = 0;

} // namespace

HANDLE CreateConversationLog()
{
    char folder[MAX_PATH], name[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "Lmp", 0, name) == 0)
        return INVALID_HANDLE_VALUE;
    const HANDLE log = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (log == INVALID_HANDLE_VALUE)
        DeleteFileA(name);
    return log;
}

ChatUser *ChatUser::Create(const ChatUserRecord &record)
{
    ChatUser *user = new ChatUser;
    user->id = record.id;
    user->status = 1;
    user->role = record.role;
    // A name or info that fills its field is cut by one byte, so that every
    // reader finds its end inside the field.
    std::memcpy(user->name, record.name, sizeof user->name);
    user->name[sizeof user->name - 1] = 0;
    std::memcpy(user->info, record.info, sizeof user->info);
    user->info[sizeof user->info - 1] = 0;
    user->unread = 0;
    user->blinkPhase = 0;
    user->references = 1;
    user->moving = 0;
    user->log = CreateConversationLog();
    ++liveUsers;
    return user;
}

void ChatUser::DropReference()
{
    if (moving)
        return;
    if (--references > 0)
        return;
    if (CurrentPartner == this)
        CurrentPartner = nullptr;
    // A user freed with unread messages no longer counts as unread.
    if (unread && UnreadUserCount > 0)
        --UnreadUserCount;
    CloseLog();
    --liveUsers;
    delete this;
}

void ChatUser::WriteLog(const char *text, size_t length)
{
    if (log == INVALID_HANDLE_VALUE || length == 0)
        return;
    // Always at the end, wherever a replay left the file pointer.
    SetFilePointer(log, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(log, text, static_cast<DWORD>(length), &written, nullptr);
}

void ChatUser::CloseLog()
{
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    log = INVALID_HANDLE_VALUE;
}

int ChatUser::LiveCount()
{
    return liveUsers;
}
