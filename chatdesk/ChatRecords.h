// The records of the chat connection as they travel (little-endian, packed), and
// the text part of chat messages and notices: built plain or zlib-compressed,
// expanded into at most 4096 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Kinds of ChatRecordHeader::kind.
enum ChatRecordKind : uint8_t {
    ChatKindKeepAlive = 0x1F,
    ChatKindLogin = 0x21,
    ChatKindLoginReply = 0x22,
    ChatKindMessage = 0x23,
    ChatKindNotice = 0x26,
    ChatKindUsersOnline = 0x27,
    ChatKindUsersOffline = 0x28,
};

constexpr size_t kChatMaxRecord = 4096;       // the longest record a receiver takes
constexpr size_t kChatMessageTextOffset = 8;  // text of a chat message
constexpr size_t kChatNoticeTextOffset = 4;   // text of a system notice
constexpr size_t kChatListOffset = 8;         // entries of the user lists
constexpr size_t kChatMaxText = 4096;         // the most an expanded text may hold

#pragma pack(push, 1)
struct ChatRecordHeader {
    uint16_t length; // of the whole record, header included
    uint8_t kind;
    uint8_t flag;    // 1: the text part is compressed
};
static_assert(sizeof(ChatRecordHeader) == 4);

struct ChatLoginRecord {
    ChatRecordHeader header; // {140, ChatKindLogin, 0}
    int32_t version;         // of the client: 4
    int32_t role;            // 2: a client user
    char name[64];           // NUL-terminated
    char password[64];       // NUL-terminated, plain
};
static_assert(sizeof(ChatLoginRecord) == 140);

struct ChatLoginReplyRecord {
    ChatRecordHeader header;
    uint32_t result;
    uint32_t serverVersion;
    uint32_t number; // assigned to this login
};
static_assert(sizeof(ChatLoginReplyRecord) == 16);

struct ChatUserRecord {
    uint32_t id;
    uint32_t status; // 1 online, 2 offline, 4 busy, 8 away
    uint32_t role;   // 2: a client user; else staff
    char name[64];   // NUL-terminated
    char info[32];   // NUL-terminated
};
static_assert(sizeof(ChatUserRecord) == 108);

struct ChatOfflineEntry {
    uint32_t id;
    uint32_t status;
};
static_assert(sizeof(ChatOfflineEntry) == 8);
#pragma pack(pop)

// Builds the chat message record to `userId` in `record` (kChatMaxRecord bytes):
// a text of 256 bytes or more is compressed (level 9, into what the record has
// left after its fixed part) and sent so when that makes it shorter; otherwise
// it goes plain. The record's length, or 0 when the text does not fit a record.
size_t BuildChatMessage(uint32_t userId, const char *text, size_t length, uint8_t *record);

// Expands a compressed text part into `out` (kChatMaxText bytes); its length,
// or -1 when it is no zlib stream or holds more than kChatMaxText bytes.
int ExpandChatText(const uint8_t *data, size_t length, char *out);
