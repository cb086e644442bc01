// A request for data from the server: the record the request builders fill and
// the request ring queues, and the frames that carry requests to the server.
#pragma once

#include <cstdint>

#include "lumon/core/EArray.h"
#include "lumon/core/FrameHead.h"
#include "lumon/core/STKMS.h"

// Request types.
constexpr int kRequestNameTable = 2;
constexpr int kRequestMinuteHistory = 5;
constexpr int kRequestDayHistory = 6;
constexpr int kRequestBaseText = 7;
constexpr int kRequestNews = 8;
constexpr int kRequestWeights = 12;
constexpr int kRequestTicks = 13;
constexpr int kRequestStockInfo = 15;
constexpr int kRequestLogin = 16;
constexpr int kRequestVersion = 20;
constexpr int kRequestSystemMessages = 21;
constexpr int kRequestRealtimeMessages = 22;
constexpr int kRequestSortData = 24;
constexpr int kRequestNotesList = 25;
constexpr int kRequestNote = 26;
constexpr int kRequestStockStats = 27;

// News request sub-kinds.
constexpr int kNewsIndexSince = 0;
constexpr int kNewsText = 2;

// Lives in memory only; the pointers are the owner's.
struct DataRequest {
    int32_t Type;             // only the low byte counts
    int32_t SubKind;          // period kind, news sub-kind, sort field, or the note value
    int32_t Four;             // 4 in every request the builders make
    int16_t TickMark;         // 5 in tick requests, else 0
    int16_t Market;           // news texts: the news type; rankings: the ranking mode
    char Code[16];            // stock code, NUL-terminated within 12 bytes; notes: the 16-byte name
    int32_t First;            // start point, message id or count, by type
    int32_t Second;           // end point or date-time, by type
    int32_t Third;            // rankings: the view's change counter
    uint32_t Time;            // tick count when sent, then when answered
    const void *Requester;    // the view that asked, for merging its repeated requests
    STKMS *SortList;          // rankings: First entries from EMemAlloc, or null for all stocks
    EArray<STKMS> *StatsList; // day statistics: the stocks (made with new)
};

// The largest frame a request makes: header and the 519-byte ranking body.
constexpr int kMaxRequestFrame = 10 + 519;

// The sort code the server knows for a quote field, or -1 for a field it does not
// sort by (0, 1, 9, 30 and above).
int ServerSortCode(int field);

// The frame type of the answer that completes a request of this type, or -1.
int AnswerFrameType(int requestType);

// The body size of the frame that carries the request, or -1 when it cannot be
// sent (a type without a frame, a sort field the server does not know, an
// unknown news sub-kind). Logins have their own builder.
int RequestBodySize(const DataRequest &request);

// Writes the frame of a request (header and body) into `frame`, which has room
// for kMaxRequestFrame bytes; returns its length, or 0 when it cannot be sent.
// Lists of more than 256 stocks are cut to 256.
int BuildRequestFrame(const DataRequest &request, uint8_t *frame);

// The login frame: user name (at most 15 characters), password (at most 43) and
// the login value of an earlier login (0 at first). Returns its length, 74.
int BuildLoginFrame(const char *user, const char *password, uint32_t loginValue, uint8_t *frame);

// The heartbeat: a header of type 1 without a body. Returns its length, 10.
int BuildHeartbeatFrame(uint8_t *frame);
