// A user the chat server announced: the record as received, the unread and blink
// state, the temporary log of the conversation, and the count of the lists that
// hold the object; with the conversation partner and the unread count of the
// whole program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "chatdesk/ChatRecords.h"
#include "platform/win/WinTypes.h"

struct ChatUser {
    // The ChatUserRecord as received (name and info always end in a NUL).
    uint32_t id;
    uint32_t status;
    uint32_t role;
    char name[64];
    char info[32];
    int32_t unread;
    int32_t blinkPhase;
    win::HANDLE log;    // INVALID_HANDLE_VALUE when the log could not be made
    int32_t references; // lists holding the object
    int32_t moving;     // set while a list takes it out to put it back

    // A new user from the record: status online, one reference (the online
    // list's), not unread, with its temporary log (check `log`).
    static ChatUser *Create(const ChatUserRecord &record);

    void AddReference() { ++references; }
    // Unless the user is moving, one reference less; at none the user stops
    // being the partner, leaves the unread count, has the log closed and is freed.
    void DropReference();

    // Appends to the log: a delete-on-close temporary file "Lmp*.TMP".
    void WriteLog(const char *text, size_t length);
    void CloseLog();

    // The users alive now.
    static int LiveCount();

private:
    ChatUser() = default;
    ~ChatUser() = default;
};

// A new conversation log: a temporary file "Lmp*.TMP" in the temporary folder,
// read and write, not shared, deleted when closed; INVALID_HANDLE_VALUE when it
// cannot be made.
win::HANDLE CreateConversationLog();

// The user whose conversation is shown, or none.
extern ChatUser *CurrentPartner;
// How many users have their unread flag set.
extern int UnreadUserCount;
