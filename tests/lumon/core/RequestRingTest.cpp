// The request ring against a frame double that records what goes to the server:
// two requests in flight, the rules for repeated requests, answers matched by
// order, expiry on the test clock, a full ring, and the owned lists freed once.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/RequestRing.h"
#include "platform/win/Time.h"

namespace {

// Records each request the ring hands to the request client as "type:market:code".
class RecordingFrame : public TFrameServices {
public:
    bool RequestNameTable(int) override { return false; }
    int SendDataRequest(const DataRequest &request) override
    {
        uint8_t frame[kMaxRequestFrame];
        int n = BuildRequestFrame(request, frame);
        sent.push_back(std::to_string(request.Type) + ":" + std::to_string(request.Market) + ":" +
                       std::string(request.Code, strnlen(request.Code, 12)));
        if (request.SortList)
            sentLists.push_back(request.SortList[0]);
        return connected ? n : -1;
    }
    std::vector<std::string> sent;
    std::vector<int> sentLists; // the serial numbers of the rankings' lists
    bool connected = true;
};

// Each list a test makes carries a serial number in its first entry: a freed
// list's address may come back for the next one, its serial never does.
STKMS NextSerial()
{
    static STKMS serial = 0;
    return ++serial;
}

int SerialOf(const STKMS *list) { return list[0]; }

// Counts every list the ring lets go of, by serial number.
class CountingRing : public RequestRing {
public:
    std::map<int, int> released;

protected:
    void ReleaseOwned(DataRequest &request) override
    {
        if (request.SortList)
            ++released[SerialOf(request.SortList)];
        if (request.StatsList)
            ++released[SerialOf(request.StatsList->GetData())];
        RequestRing::ReleaseOwned(request);
    }
};

const int kViewA = 1, kViewB = 2;

DataRequest Req(int type, const char *code, const void *requester = nullptr, int market = 0, int subKind = 0)
{
    DataRequest r{};
    r.Type = type;
    r.SubKind = subKind;
    r.Four = 4;
    r.Market = int16_t(market);
    std::memcpy(r.Code, code, std::min(std::strlen(code), sizeof r.Code));
    r.Requester = requester;
    return r;
}

DataRequest Ranking(const void *requester, int count = 2)
{
    DataRequest r = Req(kRequestSortData, "", requester, 0, 6);
    r.First = count;
    r.SortList = static_cast<STKMS *>(EMemAlloc(size_t(count) * sizeof(STKMS)));
    r.SortList[0] = NextSerial();
    for (int i = 1; i < count; ++i)
        r.SortList[i] = STKMS(i);
    return r;
}

FRAME_HEAD Answer(uint8_t type)
{
    return FRAME_HEAD{kFrameMarker, type, 1, 0, 0, 0, 0};
}

class RequestRingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        win::SetTestClock(1710504000000, 5000000);
        MFrame = &frame;
    }
    void TearDown() override
    {
        MFrame = nullptr;
        win::ClearTestClock();
    }
    RecordingFrame frame;
};

// Keeps two requests of other stocks in flight, so that what follows waits.
void FillFlight(RequestRing &ring)
{
    ring.QueueRequest(Req(kRequestStockInfo, "X"));
    ring.QueueRequest(Req(kRequestStockInfo, "Y"));
}

TEST_F(RequestRingTest, TwoRequestsInFlightAndAnswersInOrder)
{
    CountingRing ring;
    EXPECT_EQ(ring.QueueRequest(Req(kRequestStockInfo, "600000")), 1);
    EXPECT_EQ(ring.QueueRequest(Req(kRequestBaseText, "600001")), 1);
    EXPECT_EQ(ring.QueueRequest(Req(kRequestWeights, "600002")), 1);
    EXPECT_EQ(frame.sent, (std::vector<std::string>{"15:0:600000", "7:0:600001"}));
    EXPECT_EQ(ring.InFlightCount(), 2);
    EXPECT_EQ(ring.WaitingCount(), 1);
    EXPECT_EQ(ring.SendQueuedRequests(), 0);

    // An answer of another type than the oldest request's leaves it in flight.
    ring.CompleteRequest(Answer(kFrameBaseText));
    EXPECT_EQ(ring.InFlightCount(), 2);
    ring.CompleteRequest(Answer(kFrameStockInfo));
    EXPECT_EQ(frame.sent.back(), "12:0:600002");
    // "Nothing to send" ends whatever is oldest.
    ring.CompleteRequest(Answer(kFrameNothing));
    ring.CompleteRequest(Answer(kFrameNothing));
    EXPECT_EQ(ring.InFlightCount(), 0);
    EXPECT_EQ(ring.HistoryCount(), 3);
    ring.CompleteRequest(Answer(kFrameNothing));
    EXPECT_EQ(ring.HistoryCount(), 3);
    EXPECT_EQ(ring.SendQueuedRequests(), 1);
}

// One step of a scenario: queue a request (expecting a result), deliver an
// answer's last frame, or let time pass.
struct Step {
    enum Kind { Queue, Complete, Wait } kind;
    DataRequest request{};
    int result = 1;
    uint8_t answer = 0;
    uint32_t ms = 0;
};
Step Q(const DataRequest &r, int result = 1) { return Step{Step::Queue, r, result}; }
Step A(uint8_t type) { return Step{Step::Complete, {}, 0, type}; }
Step W(uint32_t ms) { return Step{Step::Wait, {}, 0, 0, ms}; }

TEST_F(RequestRingTest, RepeatedRequestsAreMergedOrDropped)
{
    const void *a = &kViewA, *b = &kViewB;
    struct Case {
        const char *name;
        std::vector<Step> steps;
        std::vector<std::string> sent; // after the two that FillFlight sends
    };
    const Case cases[] = {
        {"history for a waiting stock from another view is dropped",
         {Q(Req(6, "600000", a)), Q(Req(5, "600000", b)), A(102), A(102)},
         {"6:0:600000"}},
        {"a view's waiting history request gives way to its newer one",
         {Q(Req(6, "600000", a)), Q(Req(6, "600001", a)), A(102), A(102)},
         {"6:0:600001"}},
        {"a view's waiting day request gives way to its minute request",
         {Q(Req(6, "600000", a, 0, 8)), Q(Req(5, "600000", a, 0, 1)), A(102), A(102)},
         {"5:0:600000"}},
        {"a 5-minute request behind the stock's day request in flight is sent",
         {A(102), A(102), Q(Req(6, "600000", a, 0, 8)), Q(Req(5, "600000", b, 0, 4))},
         {"6:0:600000", "5:0:600000"}},
        {"a request for the file in flight is dropped (week bars come from the day file)",
         {A(102), A(102), Q(Req(6, "600000", a, 0, 8)), Q(Req(6, "600000", b, 0, 9)),
          Q(Req(5, "600000", b, 0, 4)), Q(Req(5, "600000", a, 0, 7))},
         {"6:0:600000", "5:0:600000"}},
        {"history in flight drops the same stock again",
         {A(102), A(102), Q(Req(6, "600000", a)), Q(Req(6, "600000", b)), A(12), Q(Req(6, "600000", b))},
         {"6:0:600000", "6:0:600000"}},
        {"the same code in another market is another stock",
         {Q(Req(6, "600000", a, 0)), Q(Req(6, "600000", b, 1)), A(102), A(102)},
         {"6:0:600000", "6:1:600000"}},
        {"ticks of a waiting stock are dropped, a view's other waiting ticks replaced",
         {Q(Req(13, "000001", a)), Q(Req(13, "000001", b)), Q(Req(13, "000002", a)), A(102), A(102)},
         {"13:0:000002"}},
        {"ticks answered less than 2001 ms ago are dropped",
         {A(102), A(102), Q(Req(13, "000001", a)), A(20), W(2000), Q(Req(13, "000001", b)), W(1),
          Q(Req(13, "000001", b))},
         {"13:0:000001", "13:0:000001"}},
        {"ticks in flight drop the same stock",
         {A(102), A(102), Q(Req(13, "000001", a)), Q(Req(13, "000001", b))},
         {"13:0:000001"}},
        {"weights of a stock anywhere in the ring drop the same stock",
         {A(102), A(102), Q(Req(12, "600000")), A(18), W(60000), Q(Req(12, "600000")), Q(Req(12, "600001"))},
         {"12:0:600000", "12:0:600001"}},
        {"a news index request anywhere in the ring drops another",
         {A(102), A(102), Q(Req(8, "", nullptr, 0, kNewsIndexSince)), A(15),
          Q(Req(8, "", nullptr, 1, kNewsIndexSince)), Q(Req(8, "", nullptr, 3, kNewsText)),
          Q(Req(8, "", nullptr, 3, kNewsText))},
         {"8:0:", "8:3:", "8:3:"}},
        {"other types are always new",
         {A(102), A(102), Q(Req(15, "600000", a)), Q(Req(15, "600000", a))},
         {"15:0:600000", "15:0:600000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        frame.sent.clear();
        CountingRing ring;
        FillFlight(ring);
        for (const Step &s : c.steps) {
            switch (s.kind) {
            case Step::Queue:
                EXPECT_EQ(ring.QueueRequest(s.request), s.result);
                break;
            case Step::Complete:
                ring.CompleteRequest(Answer(s.answer));
                break;
            case Step::Wait:
                win::AdvanceTestClock(s.ms);
                break;
            }
        }
        std::vector<std::string> expected{"15:0:X", "15:0:Y"};
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
        EXPECT_EQ(frame.sent, expected);
    }
}

TEST_F(RequestRingTest, RankingRequestsOfOneViewKeepTheLatestListAndFreeEachOnce)
{
    CountingRing ring;
    FillFlight(ring);
    DataRequest first = Ranking(&kViewA);
    DataRequest second = Ranking(&kViewA);
    DataRequest other = Ranking(&kViewB);
    const int firstList = SerialOf(first.SortList), secondList = SerialOf(second.SortList),
              otherList = SerialOf(other.SortList);
    EXPECT_EQ(ring.QueueRequest(first), 1);
    EXPECT_EQ(ring.QueueRequest(other), 1);
    EXPECT_EQ(ring.QueueRequest(second), 1);
    // The earlier list of the same view went at once; nothing else yet.
    EXPECT_EQ(ring.released, (std::map<int, int>{{firstList, 1}}));
    ring.CompleteRequest(Answer(kFrameStockInfo));
    ring.CompleteRequest(Answer(kFrameStockInfo));
    EXPECT_EQ(frame.sent.size(), 4u);
    EXPECT_EQ(frame.sentLists, (std::vector<int>{secondList, otherList}));
    // A list goes when its request is sent.
    EXPECT_EQ(ring.released, (std::map<int, int>{{firstList, 1}, {secondList, 1}, {otherList, 1}}));

    // The ranking in flight is the one the dispatcher asks about.
    const void *requester = nullptr;
    int32_t counter = -1;
    EXPECT_EQ(ring.GetSortRequestInfo(&requester, &counter), 0);
    EXPECT_EQ(requester, &kViewA);
}

TEST_F(RequestRingTest, StatisticsListsGoWhenSentAndRefusedListsAtOnce)
{
    CountingRing ring;
    frame.connected = false;
    auto *stats = new EArray<STKMS>(4);
    const int statsSerial = NextSerial();
    stats->Add(STKMS(statsSerial));
    stats->Add(MakeSTKMS(1, 2));
    DataRequest request = Req(kRequestStockStats, "");
    request.StatsList = stats;
    EXPECT_EQ(ring.QueueRequest(request), 1);
    // Sent without a connection: freed all the same, and counted in flight.
    EXPECT_EQ(ring.released[statsSerial], 1);
    EXPECT_EQ(ring.InFlightCount(), 1);

    DataRequest unsorted = Ranking(&kViewA);
    unsorted.SubKind = 9; // the code column: the server does not sort it
    const int unsortedList = SerialOf(unsorted.SortList);
    EXPECT_EQ(ring.QueueRequest(unsorted), 0);
    EXPECT_EQ(ring.released[unsortedList], 1);
    DataRequest login = Req(kRequestLogin, "");
    EXPECT_EQ(ring.QueueRequest(login), 0);
    EXPECT_EQ(ring.QueueRequest(Req(kRequestNameTable, "")), 0);
    EXPECT_EQ(ring.QueueRequest(Req(99, "")), 0);
    EXPECT_EQ(ring.InFlightCount() + ring.WaitingCount(), 1);
}

TEST_F(RequestRingTest, UnansweredRequestsExpireAfter10001Ms)
{
    CountingRing ring;
    frame.connected = false;
    FillFlight(ring);
    ring.QueueRequest(Req(kRequestStockInfo, "Z"));
    EXPECT_EQ(ring.WaitingCount(), 1);
    win::AdvanceTestClock(10000);
    ring.QueueRequest(Req(kRequestStockInfo, "V"));
    EXPECT_EQ(ring.InFlightCount(), 2);
    EXPECT_EQ(ring.WaitingCount(), 2);
    win::AdvanceTestClock(1);
    ring.QueueRequest(Req(kRequestStockInfo, "U"));
    EXPECT_EQ(ring.HistoryCount(), 2);
    EXPECT_EQ(ring.InFlightCount(), 2);
    EXPECT_EQ(ring.WaitingCount(), 1);
    EXPECT_EQ(frame.sent, (std::vector<std::string>{"15:0:X", "15:0:Y", "15:0:Z", "15:0:V"}));
    // An answer that comes late retires the oldest request now in flight.
    ring.CompleteRequest(Answer(kFrameStockInfo));
    EXPECT_EQ(frame.sent.back(), "15:0:U");
}

TEST_F(RequestRingTest, FullRingRefusesThe257thRequestAndFreesItsList)
{
    CountingRing ring;
    frame.connected = false;
    std::vector<int> views(300);
    std::vector<int> lists;
    for (int i = 0; i < 256; ++i) {
        DataRequest r = Ranking(&views[i]);
        lists.push_back(SerialOf(r.SortList));
        ASSERT_EQ(ring.QueueRequest(r), 1) << i;
    }
    EXPECT_EQ(ring.InFlightCount() + ring.WaitingCount(), 256);
    DataRequest refused = Ranking(&views[256]);
    const int refusedSerial = SerialOf(refused.SortList);
    lists.push_back(refusedSerial);
    EXPECT_EQ(ring.QueueRequest(refused), 0);
    EXPECT_EQ(ring.released[refusedSerial], 1);
    EXPECT_EQ(ring.QueueRequest(Req(kRequestStockInfo, "A")), 0);

    // An answer makes room for one.
    ring.CompleteRequest(Answer(kFrameSortData));
    EXPECT_EQ(ring.QueueRequest(Req(kRequestStockInfo, "A")), 1);
    EXPECT_EQ(ring.QueueRequest(Req(kRequestStockInfo, "B")), 0);

    // A direct connection empties the ring; every list has gone exactly once.
    ring.ClearRequestRing();
    EXPECT_EQ(ring.InFlightCount() + ring.WaitingCount() + ring.HistoryCount(), 0);
    EXPECT_EQ(ring.released.size(), lists.size());
    for (int list : lists)
        EXPECT_EQ(ring.released[list], 1);
}

TEST_F(RequestRingTest, HistoryForgetsTheOldestEndedRequest)
{
    CountingRing ring;
    ring.QueueRequest(Req(kRequestWeights, "600000"));
    ring.CompleteRequest(Answer(kFrameWeights));
    EXPECT_EQ(ring.QueueRequest(Req(kRequestWeights, "600000")), 1);
    EXPECT_EQ(frame.sent.size(), 1u);
    // 256 more answered requests fill the ring and push the weights request out.
    for (int i = 0; i < 256; ++i) {
        ring.QueueRequest(Req(kRequestStockInfo, std::to_string(i).c_str()));
        ring.CompleteRequest(Answer(kFrameStockInfo));
    }
    EXPECT_EQ(ring.HistoryCount(), 256);
    ring.QueueRequest(Req(kRequestWeights, "600000"));
    EXPECT_EQ(frame.sent.back(), "12:0:600000");
    EXPECT_EQ(ring.HistoryCount(), 255);
}

TEST_F(RequestRingTest, QuestionsOfTheDispatcherAboutRequestsInFlight)
{
    CountingRing ring;
    char name[16];
    const void *requester = nullptr;
    int32_t counter = 0;
    EXPECT_EQ(ring.GetInfoTextRequestId(), -1);
    EXPECT_EQ(ring.GetNoteRequestName(name), 0);
    EXPECT_EQ(ring.GetSortRequestInfo(&requester, &counter), -1);
    EXPECT_EQ(ring.IsTickRequestPending("000001", 0), 0);

    DataRequest text = Req(kRequestNews, "", nullptr, 2, kNewsText);
    text.First = 4242;
    DataRequest note = Req(kRequestNote, "", nullptr, 1, 7);
    std::memcpy(note.Code, "sixteen-byte-nam", 16);
    ring.QueueRequest(text);
    ring.QueueRequest(note);
    DataRequest ranking = Ranking(&kViewB);
    ranking.Market = 1;
    ranking.Third = 77;
    ring.QueueRequest(ranking);
    ring.QueueRequest(Req(kRequestTicks, "000001", nullptr, 0));

    EXPECT_EQ(ring.GetInfoTextRequestId(), 4242);
    ASSERT_EQ(ring.GetNoteRequestName(name), 1);
    EXPECT_EQ(std::string(name, 16), "sixteen-byte-nam");
    // The ranking and the ticks still wait.
    EXPECT_EQ(ring.GetSortRequestInfo(&requester, &counter), -1);
    EXPECT_EQ(ring.IsTickRequestPending("000001", 0), 1);
    EXPECT_EQ(ring.IsTickRequestPending("000001", 1), 0);

    ring.CompleteRequest(Answer(kFrameNews));
    ring.CompleteRequest(Answer(kFrameNotes));
    EXPECT_EQ(ring.GetInfoTextRequestId(), -1);
    EXPECT_EQ(ring.GetSortRequestInfo(&requester, &counter), 1);
    EXPECT_EQ(requester, &kViewB);
    EXPECT_EQ(counter, 77);
    ring.CompleteRequest(Answer(kFrameSortData));
    ring.CompleteRequest(Answer(kFrameTicks));
    EXPECT_EQ(ring.IsTickRequestPending("000001", 0), 1);
    win::AdvanceTestClock(2001);
    EXPECT_EQ(ring.IsTickRequestPending("000001", 0), 0);
}

TEST_F(RequestRingTest, ProcessWideRingServesTheClients)
{
    ClearRequestRing();
    EXPECT_EQ(QueueRequest(Req(kRequestSystemMessages, "")), 1);
    EXPECT_EQ(frame.sent, (std::vector<std::string>{"21:0:"}));
    CompleteRequest(Answer(kFrameSystemMessages));
    EXPECT_EQ(TheRequestRing().HistoryCount(), 1);
    EXPECT_EQ(SendQueuedRequests(), 1);
    ClearRequestRing();
    EXPECT_EQ(TheRequestRing().HistoryCount(), 0);
}

} // namespace
