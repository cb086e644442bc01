// The 10-byte header of every data-server frame, in both directions, and the
// frame types of the two connections.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct FRAME_HEAD {
    uint8_t Marker;      // kFrameMarker
    uint8_t Type;
    uint16_t FrameCount; // frames in this answer; 1 in every frame the terminal sends
    uint16_t FrameIndex; // from 0; 0 in every frame the terminal sends
    uint16_t wDataSize;  // length of the body that follows
    uint8_t Compressed;  // not 0: the body is a WMC15 stream
    uint8_t Reserved;
};
#pragma pack(pop)
static_assert(sizeof(FRAME_HEAD) == 10);

constexpr uint8_t kFrameMarker = 0x40;

// The little-endian fields of a frame body.
inline uint16_t Get16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t *p) { return uint32_t(Get16(p)) | uint32_t(Get16(p + 2)) << 16; }

// Frame types.
constexpr uint8_t kFrameHeartbeat = 1;
constexpr uint8_t kFrameNothing = 2; // the server has nothing to send; also a refused login
constexpr uint8_t kFrameLogin = 3;
constexpr uint8_t kFrameNameTable = 6;
constexpr uint8_t kFrameQuotes = 8;
constexpr uint8_t kFrameStatistics = 9;
constexpr uint8_t kFrameHistory = 12;
constexpr uint8_t kFrameNews = 15;
constexpr uint8_t kFrameNotes = 16;
constexpr uint8_t kFrameWeights = 18;
constexpr uint8_t kFrameTicks = 20;
constexpr uint8_t kFrameBaseText = 21;
constexpr uint8_t kFrameSubscribe = 100;
constexpr uint8_t kFrameSortData = 101;
constexpr uint8_t kFrameStockInfo = 102;
constexpr uint8_t kFrameVersion = 202;
constexpr uint8_t kFrameSystemMessages = 203;
constexpr uint8_t kFrameRealtimeMessages = 204;
