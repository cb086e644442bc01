#include "lumon/core/RequestRing.h"

#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FrameServices.h"
#include "platform/win/Time.h"

namespace {

int TypeOf(const DataRequest &r)
{
    return r.Type & 0xFF;
}

bool IsHistory(const DataRequest &r)
{
    return TypeOf(r) == kRequestMinuteHistory || TypeOf(r) == kRequestDayHistory;
}

bool SameStock(const DataRequest &a, const DataRequest &b)
{
    return a.Market == b.Market && std::strncmp(a.Code, b.Code, 12) == 0;
}

// The history file a request fills: 0 the 1-minute bars, 1 the 5-minute bars, 2
// the day bars.
int HistoryFile(const DataRequest &r)
{
    return r.SubKind < 4 ? 0 : r.SubKind < 8 ? 1 : 2;
}

bool SameHistoryFile(const DataRequest &a, const DataRequest &b)
{
    return SameStock(a, b) && HistoryFile(a) == HistoryFile(b);
}

bool SameWeights(const DataRequest &a, const DataRequest &b)
{
    return TypeOf(a) == kRequestWeights && SameStock(a, b);
}

bool IsNewsIndex(const DataRequest &r)
{
    return TypeOf(r) == kRequestNews && r.SubKind == kNewsIndexSince;
}

bool BothNewsIndex(const DataRequest &a, const DataRequest &b)
{
    return IsNewsIndex(a) && IsNewsIndex(b);
}

bool CarriedByRing(int type)
{
    switch (type) {
    case kRequestMinuteHistory:
    case kRequestDayHistory:
    case kRequestBaseText:
    case kRequestNews:
    case kRequestWeights:
    case kRequestTicks:
    case kRequestStockInfo:
    case kRequestSystemMessages:
    case kRequestRealtimeMessages:
    case kRequestSortData:
    case kRequestNotesList:
    case kRequestNote:
    case kRequestStockStats:
        return true;
    default:
        return false;
    }
}

} // namespace

RequestRing::RequestRing()
{
    std::memset(static_cast<void *>(m_Slots), 0, sizeof m_Slots);
}

RequestRing::~RequestRing()
{
    // Only waiting requests still own lists; what went out was freed then.
    for (int i = FirstWaiting(); i < End(); ++i)
        RequestRing::ReleaseOwned(At(i));
}

void RequestRing::ReleaseOwned(DataRequest &request)
{
    if (request.SortList)
        EMemFree(request.SortList);
    delete request.StatsList;
    request.SortList = nullptr;
    request.StatsList = nullptr;
}

int RequestRing::QueueRequest(const DataRequest &queued)
{
    DataRequest request = queued;
    if (!CarriedByRing(TypeOf(request)) || RequestBodySize(request) < 0) {
        ReleaseOwned(request);
        return 0;
    }
    ExpireRequests();
    if (m_InFlight + m_Waiting == kSlots) {
        ReleaseOwned(request);
        return 0;
    }
    if (!MergeRepeated(request)) {
        if (End() == kSlots) {
            // Forget the oldest ended request to make room.
            m_HistoryStart = (m_HistoryStart + 1) % kSlots;
            --m_History;
        }
        request.Time = 0;
        At(End()) = request;
        ++m_Waiting;
    }
    SendQueuedRequests();
    return 1;
}

void RequestRing::ExpireRequests()
{
    const uint32_t now = win::GetTickCount();
    while (m_InFlight > 0 && now - At(FirstInFlight()).Time >= kExpiryMs) {
        ++m_History;
        --m_InFlight;
    }
}

bool RequestRing::MergeRepeated(DataRequest &request)
{
    switch (TypeOf(request)) {
    case kRequestMinuteHistory:
    case kRequestDayHistory:
        return DropOrMergeHistory(request);
    case kRequestTicks:
        return DropOrMergeTicks(request);
    case kRequestSortData:
        return MergeSortData(request);
    case kRequestWeights:
        return AnywhereInRing(request, SameWeights);
    case kRequestNews:
        return IsNewsIndex(request) && AnywhereInRing(request, BothNewsIndex);
    default:
        return false;
    }
}

// Minute and day requests alike: one already waiting or in flight for the same
// file of the stock makes the new one a duplicate (a 5-minute request behind the
// day request of the stock is not one); otherwise the requester's waiting
// request gives way to its newer wish.
bool RequestRing::DropOrMergeHistory(DataRequest &request)
{
    for (int i = FirstInFlight(); i < End(); ++i)
        if (IsHistory(At(i)) && SameHistoryFile(At(i), request))
            return true;
    for (int i = End() - 1; i >= FirstWaiting(); --i) {
        if (IsHistory(At(i)) && At(i).Requester == request.Requester) {
            Overwrite(At(i), request);
            return true;
        }
    }
    return false;
}

bool RequestRing::DropOrMergeTicks(DataRequest &request)
{
    if (IsTickRequestPending(request.Code, request.Market))
        return true;
    for (int i = End() - 1; i >= FirstWaiting(); --i) {
        if (TypeOf(At(i)) == kRequestTicks && At(i).Requester == request.Requester) {
            Overwrite(At(i), request);
            return true;
        }
    }
    return false;
}

bool RequestRing::MergeSortData(DataRequest &request)
{
    for (int i = End() - 1; i >= FirstWaiting(); --i) {
        if (TypeOf(At(i)) == kRequestSortData && At(i).Requester == request.Requester) {
            Overwrite(At(i), request);
            return true;
        }
    }
    return false;
}

bool RequestRing::AnywhereInRing(const DataRequest &request,
                                 bool (*same)(const DataRequest &, const DataRequest &)) const
{
    for (int i = 0; i < End(); ++i)
        if (same(At(i), request))
            return true;
    return false;
}

void RequestRing::Overwrite(DataRequest &slot, DataRequest &request)
{
    ReleaseOwned(slot);
    slot = request;
    slot.Time = 0;
    // The slot owns the lists now.
    request.SortList = nullptr;
    request.StatsList = nullptr;
}

int RequestRing::SendQueuedRequests()
{
    if (m_InFlight >= 2)
        return 0;
    while (m_Waiting > 0 && m_InFlight < 2) {
        DataRequest &r = At(FirstWaiting());
        r.Time = win::GetTickCount();
        if (MFrame)
            MFrame->SendDataRequest(r);
        ReleaseOwned(r);
        ++m_InFlight;
        --m_Waiting;
    }
    return 1;
}

void RequestRing::CompleteRequest(const FRAME_HEAD &head)
{
    if (m_InFlight > 0) {
        DataRequest &oldest = At(FirstInFlight());
        if (head.Type == AnswerFrameType(oldest.Type) || head.Type == kFrameNothing) {
            oldest.Time = win::GetTickCount();
            ++m_History;
            --m_InFlight;
        }
    }
    SendQueuedRequests();
}

void RequestRing::ClearRequestRing()
{
    for (int i = FirstWaiting(); i < End(); ++i)
        ReleaseOwned(At(i));
    m_HistoryStart = 0;
    m_History = 0;
    m_InFlight = 0;
    m_Waiting = 0;
}

int RequestRing::IsTickRequestPending(const char *code, int market) const
{
    DataRequest probe{};
    probe.Market = int16_t(market);
    std::strncpy(probe.Code, code, 12);
    const uint32_t now = win::GetTickCount();
    for (int i = 0; i < End(); ++i) {
        const DataRequest &r = At(i);
        if (TypeOf(r) != kRequestTicks || !SameStock(r, probe))
            continue;
        if (i >= FirstInFlight() || now - r.Time < kTickRepeatMs)
            return 1;
    }
    return 0;
}

int RequestRing::GetSortRequestInfo(const void **requester, int32_t *counter) const
{
    for (int i = FirstInFlight(); i < FirstWaiting(); ++i) {
        const DataRequest &r = At(i);
        if (TypeOf(r) == kRequestSortData) {
            *requester = r.Requester;
            *counter = r.Third;
            return r.Market;
        }
    }
    return -1;
}

int RequestRing::GetInfoTextRequestId() const
{
    for (int i = FirstInFlight(); i < FirstWaiting(); ++i) {
        const DataRequest &r = At(i);
        if (TypeOf(r) == kRequestNews && r.SubKind == kNewsText)
            return r.First;
    }
    return -1;
}

int RequestRing::GetNoteRequestName(char name[16]) const
{
    for (int i = FirstInFlight(); i < FirstWaiting(); ++i) {
        const DataRequest &r = At(i);
        if (TypeOf(r) == kRequestNote) {
            std::memcpy(name, r.Code, 16);
            return 1;
        }
    }
    return 0;
}

RequestRing &TheRequestRing()
{
    // Lives to the end of the process, past the heap it frees into.
    static RequestRing *ring = new RequestRing;
    return *ring;
}

int QueueRequest(const DataRequest &request)
{
    return TheRequestRing().QueueRequest(request);
}

int SendQueuedRequests()
{
    return TheRequestRing().SendQueuedRequests();
}

void CompleteRequest(const FRAME_HEAD &head)
{
    TheRequestRing().CompleteRequest(head);
}

void ClearRequestRing()
{
    TheRequestRing().ClearRequestRing();
}

int IsTickRequestPending(const char *code, int market)
{
    return TheRequestRing().IsTickRequestPending(code, market);
}

int GetSortRequestInfo(const void **requester, int32_t *counter)
{
    return TheRequestRing().GetSortRequestInfo(requester, counter);
}

int GetInfoTextRequestId()
{
    return TheRequestRing().GetInfoTextRequestId();
}

int GetNoteRequestName(char name[16])
{
    return TheRequestRing().GetNoteRequestName(name);
}
