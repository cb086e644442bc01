#include "chatdesk/ChatRecords.h"

#include <cstring>

#include <zlib.h>

size_t BuildChatMessage(uint32_t userId, const char *text, size_t length, uint8_t *record)
{
    ChatRecordHeader header{0, ChatKindMessage, 0};
    uint8_t *body = record + kChatMessageTextOffset;
    const size_t room = kChatMaxRecord - kChatMessageTextOffset;
    size_t bodyLength = 0;
    if (length >= 256) {
        uLongf packed = room;
        if (compress2(body, &packed, reinterpret_cast<const Bytef *>(text), length, 9) == Z_OK &&
            packed < length) {
            header.flag = 1;
            bodyLength = packed;
        }
    }
    if (header.flag == 0) {
        if (length > room)
            return 0;
        if (length > 0)
            std::memcpy(body, text, length);
        bodyLength = length;
    }
    header.length = static_cast<uint16_t>(kChatMessageTextOffset + bodyLength);
    std::memcpy(record, &header, sizeof header);
    std::memcpy(record + 4, &userId, 4);
    return header.length;
}

int ExpandChatText(const uint8_t *data, size_t length, char *out)
{
    uLongf expanded = kChatMaxText;
    if (uncompress(reinterpret_cast<Bytef *>(out), &expanded, data, length) != Z_OK)
        return -1;
    return static_cast<int>(expanded);
}
