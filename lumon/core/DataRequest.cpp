#include "lumon/core/DataRequest.h"

#include <cstring>

#include "lumon/core/EMemOp.h"
#include "platform/win/Time.h"

namespace {

constexpr int kMaxListEntries = 256;

void Put16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t *p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Copies the stock code into a zero-filled field; a field that must end in a
// NUL keeps its last byte for it.
void PutCode(uint8_t *field, const char *code, size_t size, bool terminated)
{
    size_t n = strnlen(code, 12);
    size_t room = terminated ? size - 1 : size;
    std::memcpy(field, code, n < room ? n : room);
}

void PutHead(uint8_t *frame, uint8_t type, int bodySize)
{
    FRAME_HEAD head{kFrameMarker, type, 1, 0, uint16_t(bodySize), 0, 0};
    std::memcpy(frame, &head, sizeof head);
}

int ClampCount(int n, int limit)
{
    return n < 0 ? 0 : (n > limit ? limit : n);
}

int TodayYmd()
{
    win::SYSTEMTIME st;
    win::GetLocalTime(&st);
    return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
}

struct RequestKind {
    int type;
    uint8_t frame;
    int bodySize;
    uint8_t answer;
};

constexpr RequestKind kKinds[] = {
    {kRequestNameTable, kFrameNameTable, 1, kFrameNameTable},
    {kRequestMinuteHistory, kFrameHistory, 22, kFrameHistory},
    {kRequestDayHistory, kFrameHistory, 22, kFrameHistory},
    {kRequestBaseText, kFrameBaseText, 13, kFrameBaseText},
    {kRequestNews, kFrameNews, 10, kFrameNews},
    {kRequestWeights, kFrameWeights, 13, kFrameWeights},
    {kRequestTicks, kFrameTicks, 14, kFrameTicks},
    {kRequestStockInfo, kFrameStockInfo, 9, kFrameStockInfo},
    {kRequestVersion, kFrameVersion, 4, kFrameVersion},
    {kRequestSystemMessages, kFrameSystemMessages, 4, kFrameSystemMessages},
    {kRequestRealtimeMessages, kFrameRealtimeMessages, 4, kFrameRealtimeMessages},
    {kRequestSortData, kFrameSortData, 519, kFrameSortData},
    {kRequestNotesList, kFrameNotes, 10, kFrameNotes},
    {kRequestNote, kFrameNotes, 20, kFrameNotes},
    {kRequestStockStats, kFrameStatistics, 514, kFrameStatistics},
};

const RequestKind *FindKind(int type)
{
    for (const RequestKind &k : kKinds)
        if (k.type == type)
            return &k;
    return nullptr;
}

} // namespace

int ServerSortCode(int field)
{
    // Quote field ids 2..29 to the server's codes; -1 where it has none.
    static const int codes[] = {-1, -1, 0,  1,  2,  3,  4,  5,  6,  -1, 14, 15, 13, 16, 17,
                                19, 20, 21, 22, 23, 18, 24, 25, 26, 7,  8,  9,  12, 10, 11};
    return field >= 0 && field < int(sizeof codes / sizeof *codes) ? codes[field] : -1;
}

int AnswerFrameType(int requestType)
{
    const RequestKind *kind = FindKind(requestType & 0xFF);
    return kind ? kind->answer : -1;
}

int RequestBodySize(const DataRequest &request)
{
    const RequestKind *kind = FindKind(request.Type & 0xFF);
    if (!kind)
        return -1;
    if (kind->type == kRequestSortData && ServerSortCode(request.SubKind) < 0)
        return -1;
    if (kind->type == kRequestNews && request.SubKind != kNewsIndexSince && request.SubKind != kNewsText)
        return -1;
    return kind->bodySize;
}

int BuildRequestFrame(const DataRequest &request, uint8_t *frame)
{
    int size = RequestBodySize(request);
    if (size < 0)
        return 0;
    const RequestKind *kind = FindKind(request.Type & 0xFF);
    std::memset(frame, 0, size_t(10 + size));
    PutHead(frame, kind->frame, size);
    uint8_t *b = frame + 10;
    const uint8_t market = uint8_t(request.Market);
    switch (kind->type) {
    case kRequestNameTable:
        b[0] = market;
        break;
    case kRequestMinuteHistory:
    case kRequestDayHistory:
        b[0] = uint8_t(request.SubKind);
        b[1] = market;
        PutCode(b + 2, request.Code, 12, false);
        Put32(b + 14, uint32_t(request.First));
        Put32(b + 18, uint32_t(request.Second));
        break;
    case kRequestBaseText:
    case kRequestWeights:
        b[0] = market;
        Put32(b + 1, uint32_t(request.First));
        PutCode(b + 5, request.Code, 8, false);
        break;
    case kRequestNews:
        b[0] = uint8_t(request.SubKind);
        b[1] = market;
        if (request.SubKind == kNewsText)
            Put32(b + 2, uint32_t(TodayYmd()));
        else
            Put32(b + 2, uint32_t(request.Second));
        Put32(b + 6, uint32_t(request.First));
        break;
    case kRequestTicks:
        b[0] = uint8_t(request.SubKind);
        b[1] = market;
        PutCode(b + 2, request.Code, 8, true);
        Put32(b + 10, uint32_t(request.First));
        break;
    case kRequestStockInfo:
        b[0] = market;
        PutCode(b + 1, request.Code, 8, false);
        break;
    case kRequestVersion:
    case kRequestSystemMessages:
        break;
    case kRequestRealtimeMessages:
        Put32(b, uint32_t(request.First));
        break;
    case kRequestSortData: {
        b[0] = uint8_t(ServerSortCode(request.SubKind));
        if (request.SortList) {
            // Never more entries than the list's block holds.
            int held = int(EMemSize(request.SortList) / sizeof(STKMS));
            int n = ClampCount(request.First, held < kMaxListEntries ? held : kMaxListEntries);
            Put16(b + 5, uint32_t(n));
            for (int i = 0; i < n; ++i)
                Put16(b + 7 + 2 * i, request.SortList[i]);
        } else {
            // All stocks; the count field passes through as the caller gave it.
            Put32(b + 1, 1);
            Put16(b + 5, uint32_t(request.First));
        }
        break;
    }
    case kRequestNotesList:
        b[1] = market;
        Put32(b + 2, uint32_t(request.First));
        Put32(b + 6, uint32_t(request.Second));
        break;
    case kRequestNote:
        b[0] = 1;
        b[1] = market;
        std::memcpy(b + 2, request.Code, 16);
        Put16(b + 18, uint32_t(request.SubKind));
        break;
    case kRequestStockStats: {
        int n = request.StatsList ? ClampCount(request.StatsList->GetCount(), kMaxListEntries) : 0;
        for (int i = 0; i < n; ++i)
            Put16(b + 2 * i, request.StatsList->GetAt(i));
        Put16(b + 512, uint32_t(n));
        break;
    }
    }
    return 10 + size;
}

int BuildLoginFrame(const char *user, const char *password, uint32_t loginValue, uint8_t *frame)
{
    constexpr int kBody = 64;
    std::memset(frame, 0, 10 + kBody);
    PutHead(frame, kFrameLogin, kBody);
    uint8_t *b = frame + 10;
    std::memcpy(b, user, strnlen(user, 15));
    std::memcpy(b + 16, password, strnlen(password, 43));
    Put32(b + 60, loginValue);
    return 10 + kBody;
}

int BuildHeartbeatFrame(uint8_t *frame)
{
    PutHead(frame, kFrameHeartbeat, 0);
    return 10;
}
