// The request ring: the queue through which the views ask the request client for
// data. It keeps at most two requests in flight, merges or drops repeated
// requests, matches answers to requests by order and forgets requests whose
// answers do not come. One ring serves the process; it runs on the GUI thread.
#pragma once

#include <cstdint>

#include "lumon/core/DataRequest.h"
#include "lumon/core/FrameHead.h"

class RequestRing {
public:
    static constexpr int kSlots = 256;
    // A request in flight this long (ms) ends unanswered.
    static constexpr uint32_t kExpiryMs = 10001;
    // A tick request answered this recently (ms) still counts as pending.
    static constexpr uint32_t kTickRepeatMs = 2001;

    RequestRing();
    virtual ~RequestRing();
    RequestRing(const RequestRing &) = delete;
    RequestRing &operator=(const RequestRing &) = delete;

    // Takes the request: 1 when it was queued, merged into a waiting one or
    // recognised as a duplicate, 0 when refused (a type the ring does not carry,
    // a request that cannot be sent, or a full ring). The ring owns the
    // request's lists from this call on, whatever the result, and frees each
    // exactly once.
    int QueueRequest(const DataRequest &request);

    // Sends waiting requests while fewer than two are in flight, through the main
    // frame's request client; 0 when two were in flight already, else 1. A
    // request that finds no connection still counts as in flight until it expires.
    int SendQueuedRequests();

    // The last frame of an answer: ends the oldest request in flight when the
    // answer is of its type or says there is nothing (type 2), then sends what
    // may be sent.
    void CompleteRequest(const FRAME_HEAD &head);

    // Forgets every request (a direct connection starts afresh).
    void ClearRequestRing();

    // 1 when a tick request for the stock waits, is in flight, or ended less than
    // kTickRepeatMs ago.
    int IsTickRequestPending(const char *code, int market) const;
    // The ranking mode of the oldest ranking request in flight, with its requester
    // and change counter; -1 when there is none.
    int GetSortRequestInfo(const void **requester, int32_t *counter) const;
    // The message id of the oldest news-text request in flight; -1 when none.
    int GetInfoTextRequestId() const;
    // 1 and the 16-byte name of the oldest note request in flight; 0 when none.
    int GetNoteRequestName(char name[16]) const;

    int InFlightCount() const { return m_InFlight; }
    int WaitingCount() const { return m_Waiting; }
    int HistoryCount() const { return m_History; }

protected:
    // Frees what a request owns and clears the pointers.
    virtual void ReleaseOwned(DataRequest &request);

private:
    // The request i places after the history start.
    DataRequest &At(int i) { return m_Slots[(m_HistoryStart + i) % kSlots]; }
    const DataRequest &At(int i) const { return m_Slots[(m_HistoryStart + i) % kSlots]; }
    int FirstInFlight() const { return m_History; }
    int FirstWaiting() const { return m_History + m_InFlight; }
    int End() const { return m_History + m_InFlight + m_Waiting; }

    void ExpireRequests();
    // Applies the rules for repeated requests: true when the request was taken
    // (merged or dropped) and needs no slot of its own.
    bool MergeRepeated(DataRequest &request);
    bool DropOrMergeHistory(DataRequest &request);
    bool DropOrMergeTicks(DataRequest &request);
    bool MergeSortData(DataRequest &request);
    bool AnywhereInRing(const DataRequest &request, bool (*same)(const DataRequest &, const DataRequest &)) const;
    void Overwrite(DataRequest &slot, DataRequest &request);

    DataRequest m_Slots[kSlots];
    // Slots in ring order from m_HistoryStart: ended requests kept for the
    // duplicate rules, then those in flight, then those waiting.
    int m_HistoryStart = 0;
    int m_History = 0;
    int m_InFlight = 0;
    int m_Waiting = 0;
};

// The process-wide ring and its operations, as the clients and views call them.
RequestRing &TheRequestRing();
int QueueRequest(const DataRequest &request);
int SendQueuedRequests();
void CompleteRequest(const FRAME_HEAD &head);
void ClearRequestRing();
int IsTickRequestPending(const char *code, int market);
int GetSortRequestInfo(const void **requester, int32_t *counter);
int GetInfoTextRequestId();
int GetNoteRequestName(char name[16]);
