// The frame dispatcher of the request client against the simulated data
// server: every request type answered and written where it belongs, announced to
// the frame or the asking pane; the stream's faults; names from the server kept
// inside the data folder; the merge of history files.
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "HistoryFixture.h"
#include "LinkFixture.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FrameDispatcher.h"
#include "platform/win/ExclusiveFile.h"

namespace {

namespace fs = std::filesystem;
using peer::Messages;
using socktest::PumpUntil;

class FrameDispatcher : public LinkFixture {
protected:
    bool Notified(uint32_t wParam) const
    {
        for (const peer::Received &r : Messages(WM_SERVER_DATA))
            if (r.wParam == wParam)
                return true;
        return false;
    }
    win::LPARAM NotifiedWith(uint32_t wParam) const
    {
        for (const peer::Received &r : Messages(WM_SERVER_DATA))
            if (r.wParam == wParam)
                return r.lParam;
        return -1;
    }
    // Queues the requests and waits until every one is answered and announced.
    bool RunAll(const std::vector<DataRequest> &requests, size_t notices)
    {
        for (const DataRequest &r : requests)
            if (QueueRequest(r) != 1)
                return false;
        return PumpUntil([&] { return RingIdle() && Messages(WM_SERVER_DATA).size() >= notices; }, 15000);
    }
};

DataRequest Req(int type, int market, const char *code, int subKind = 0, int32_t first = 0)
{
    DataRequest r{};
    r.Type = type;
    r.Four = 4;
    r.Market = int16_t(market);
    std::strncpy(r.Code, code, sizeof r.Code - 1);
    r.SubKind = subKind;
    r.First = first;
    return r;
}

// The size of a file found without regard to the case of its name (the data
// files are created with upper-case names), or -1.
int64_t SizeOf(const std::string &path)
{
    std::error_code e;
    const fs::path p(path);
    for (const auto &entry : fs::directory_iterator(p.parent_path(), e)) {
        if (strcasecmp(entry.path().filename().c_str(), p.filename().c_str()) == 0)
            return int64_t(fs::file_size(entry.path(), e));
    }
    return -1;
}

// The names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code e;
    for (const auto &entry : fs::directory_iterator(folder, e))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FrameDispatcher, EveryAnswerIsWrittenAndAnnounced)
{
    ASSERT_TRUE(server.Start(root, {"--compress", "auto"}));
    for (const char *f : {"sh/day/000001.day", "sh/min1/600000.m1", "sh/tick/600036.tik", "sh/weight/600000.wgt",
                          "info/00001202.txt", "info/news.ntl"})
        fs::remove(DataFile(f));
    ASSERT_TRUE(ConnectDirect());
    TMarketData &sh = *MarketTable.Markets[0];

    auto *ranked = static_cast<STKMS *>(EMemAlloc(2 * sizeof(STKMS)));
    ranked[0] = MakeSTKMS(0, 5);
    ranked[1] = MakeSTKMS(0, 6);
    DataRequest ranking = Req(kRequestSortData, 0, "", 6, 2);
    ranking.SortList = ranked;
    ranking.Requester = frame->paneIdentity;
    ranking.Third = 77;
    auto *fast = static_cast<STKMS *>(EMemAlloc(sizeof(STKMS)));
    fast[0] = MakeSTKMS(0, 5);
    DataRequest fastChange = Req(kRequestSortData, 1, "", 21, 1);
    fastChange.SortList = fast;
    // Another view: the ring merges the waiting rankings of one view.
    const void *quoteList = &fastChange;
    fastChange.Requester = quoteList;
    DataRequest stats = Req(kRequestStockStats, 0, "");
    stats.StatsList = new EArray<STKMS>(4);
    stats.StatsList->Add(MakeSTKMS(0, 5));
    sh.Quotes[5].FastChange = 0;

    const std::vector<DataRequest> requests = {
        Req(kRequestDayHistory, 0, "000001", 8),   Req(kRequestMinuteHistory, 0, "600000", 0),
        Req(kRequestTicks, 0, "600036"),           Req(kRequestBaseText, 0, "600000"),
        Req(kRequestWeights, 0, "600000"),         Req(kRequestStockInfo, 0, "600000"),
        Req(kRequestNews, 0, "", kNewsIndexSince), Req(kRequestNews, 2, "", kNewsText, 1202),
        Req(kRequestSystemMessages, 0, ""),        Req(kRequestNotesList, 0, ""),
        Req(kRequestRealtimeMessages, 0, ""),
        stats,                                     ranking,
        fastChange,
    };
    ASSERT_TRUE(RunAll(requests, 12));
    ASSERT_TRUE(PumpUntil([&] { return !frame->redrawn.empty(); }));

    struct Written {
        const char *file;
        uint32_t wParam;
        win::LPARAM lParam;
        int recordSize;
    } written[] = {
        {"sh/day/000001.day", 0xC0008, win::LPARAM(MakeStockId(0, 0, 0)), 32},
        {"sh/min1/600000.m1", 0xC0000, win::LPARAM(MakeStockId(0, 1, 5)), 32},
        {"sh/tick/600036.tik", 0x140000, -2, 20},
        {"sh/base/600000.Txt", 0x150000, win::LPARAM(MakeStockId(0, 1, 5)), 1},
        {"sh/weight/600000.wgt", 0x120000, win::LPARAM(MakeStockId(0, 1, 5)), 1},
        {"info/00001202.txt", 0xF0002, 1202, 1},
        {"info/news.ntl", 0xF0000, 0, 108},
        {"notes/notes0.lst", 0x100000, 0, 1},
    };
    for (const Written &w : written) {
        SCOPED_TRACE(w.file);
        const int64_t size = SizeOf(DataFile(w.file));
        EXPECT_GT(size, 0);
        EXPECT_EQ(size % w.recordSize, 0);
        EXPECT_TRUE(Notified(w.wParam));
        if (w.lParam != -2) {
            EXPECT_EQ(NotifiedWith(w.wParam), w.lParam);
        }
    }
    EXPECT_GT(SizeOf(root + "/bin/SYSMSG.TXT"), 0);
    EXPECT_GT(SizeOf(root + "/bin/RTMSG.TXT"), 0);
    EXPECT_TRUE(Notified(0xCC0000));
    EXPECT_GT(frame->lastRealtimeId, 0);
    EXPECT_TRUE(Notified(0xCB0000));
    EXPECT_TRUE(Notified(0x660000));
    EXPECT_TRUE(Notified(0x90000));
    EXPECT_EQ(sh.Aux[5].RefFlag, 1);

    // The ranking went to the pane that asked, in a file of its own.
    ASSERT_TRUE(PumpUntil([&] { return !Messages(WM_SORT_DATA).empty(); }));
    const peer::Received sorted = Messages(WM_SORT_DATA)[0];
    EXPECT_EQ(sorted.lParam, 77);
    const std::string rankingFile = root + "/tmp/" + std::to_string(sorted.wParam) + ".tmp";
    // Field 6 (the last price): one 7-byte record per stock asked for.
    EXPECT_EQ(SizeOf(rankingFile), 2 * 7);
    EXPECT_EQ(FilesIn(root + "/tmp"), std::vector<std::string>{fs::path(rankingFile).filename().string()});
    ASSERT_EQ(frame->redrawn.size(), 1u);
    EXPECT_EQ(frame->redrawn[0], quoteList);
    EXPECT_NE(sh.Quotes[5].FastChange, 0.0f);

    // One note, by the name the notes list gave: written and shown again.
    std::ifstream list(root + "/data/notes/NOTES0.LST", std::ios::binary);
    uint32_t header[2] = {};
    char record[108] = {};
    ASSERT_TRUE(list.read(reinterpret_cast<char *>(header), 8) && list.read(record, 108));
    DataRequest note = Req(kRequestNote, 0, "");
    std::memcpy(note.Code, record + 88, 16);
    ASSERT_EQ(QueueRequest(note), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle() && !frame->notesShown.empty(); }));
    EXPECT_EQ(frame->notesShown[0], std::string(record + 88, strnlen(record + 88, 16)));
    EXPECT_GT(SizeOf(root + "/data/notes/" + frame->notesShown[0]), 0);

    // The history file holds bars in time order.
    std::ifstream day(DataFile("sh/day/000001.day"), std::ios::binary);
    KLineRecord previous{}, bar{};
    while (day.read(reinterpret_cast<char *>(&bar), sizeof bar)) {
        EXPECT_GE(ComparePackedDateTime(bar.Time, previous.Time), 0);
        previous = bar;
    }
}

// Another user may plant a link in a shared temporary folder under the name the
// ranking answer used to have: the answer never writes through it, and without a
// temporary folder of the frame's it goes to this user's own folder.
TEST_F(FrameDispatcher, RankingAnswersNeverWriteThroughAPlantedLink)
{
    ASSERT_TRUE(server.Start(root, {}));
    ASSERT_TRUE(ConnectDirect());
    const std::string victim = root + "/victim.txt";
    std::ofstream(victim, std::ios::binary) << "keep";
    fs::create_symlink(victim, root + "/tmp/sortdata.tmp");
    fs::create_symlink(victim, root + "/tmp/SORTDATA.TMP");
    TMarketData &sh = *MarketTable.Markets[0];
    auto ranking = [&](int mode, const void *requester) {
        auto *list = static_cast<STKMS *>(EMemAlloc(2 * sizeof(STKMS)));
        list[0] = MakeSTKMS(0, 5);
        list[1] = MakeSTKMS(0, 6);
        DataRequest r = Req(kRequestSortData, mode, "", mode == 0 ? 6 : 21, 2);
        r.SortList = list;
        r.Requester = requester;
        r.Third = 77;
        return r;
    };
    // Both kinds of answer: the ranking file for a pane and the fast change.
    sh.Quotes[5].FastChange = 0;
    ASSERT_EQ(QueueRequest(ranking(0, frame->paneIdentity)), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle() && Messages(WM_SORT_DATA).size() == 1; }));
    ASSERT_EQ(QueueRequest(ranking(1, &sh)), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle() && frame->redrawn.size() == 1; }));
    EXPECT_NE(sh.Quotes[5].FastChange, 0.0f);
    std::ifstream kept(victim, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()), "keep");
    const std::string first = std::to_string(Messages(WM_SORT_DATA)[0].wParam) + ".tmp";
    EXPECT_EQ(SizeOf(root + "/tmp/" + first), 2 * 7);
    EXPECT_EQ(FilesIn(root + "/tmp"), (std::vector<std::string>{first, "SORTDATA.TMP", "sortdata.tmp"}));

    // No folder named by the frame: this user's own, closed to others, not the
    // shared temporary folder.
    frame->temp.clear();
    char shared[win::MAX_PATH] = {};
    win::GetTempPathA(sizeof shared, shared);
    const std::vector<std::string> sharedBefore = FilesIn(shared);
    ASSERT_EQ(QueueRequest(ranking(0, frame->paneIdentity)), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle() && Messages(WM_SORT_DATA).size() == 2; }));
    const std::string own = win::PrivateTempFolder();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(FilesIn(own), std::vector<std::string>{std::to_string(Messages(WM_SORT_DATA)[1].wParam) + ".tmp"});
    struct stat st {};
    ASSERT_EQ(stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(FilesIn(shared), sharedBefore);
}

TEST_F(FrameDispatcher, StreamFaultsLoseNoAnswer)
{
    struct Case {
        const char *name;
        std::vector<std::string> options;
    } cases[] = {
        {"split at every place", {"--split-at", "1,9,10,11,200", "--compress", "never"}},
        {"joined", {"--coalesce", "--max-body", "2000"}},
        {"compressed", {"--compress", "always"}},
        // Bodies of up to 16,000 bytes before compression, every frame of an answer in
        // one write: more than the client's 8,192-byte receive buffer holds at once.
        {"coalesced large bodies", {"--compress", "always", "--coalesce", "--max-body", "16000"}},
        {"oversize bodies before the answers", {"--fault", R"({"fault": "oversize", "on": "ring", "count": 0})"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer::DataServer faulty;
        ASSERT_TRUE(faulty.Start(root, c.options));
        peer::Inbox().clear();
        WriteServerIni("127.0.0.1", faulty.data, faulty.realtime);
        client = std::make_unique<TNormalClnt>();
        client->SetUser("demo", "demo");
        ASSERT_TRUE(client->ConnectServer() == 1 && client->Login() == 0 && client->StartAsyncEvents() == 1);
        ASSERT_TRUE(RunAll({Req(kRequestDayHistory, 0, "600000", 8), Req(kRequestBaseText, 0, "000001"),
                            Req(kRequestTicks, 0, "600000"), Req(kRequestStockInfo, 0, "000001")},
                           4));
        EXPECT_TRUE(Notified(0xC0008));
        EXPECT_TRUE(Notified(0x150000));
        EXPECT_TRUE(Notified(0x140000));
        EXPECT_TRUE(Notified(0x660000));
        EXPECT_TRUE(client->IsConnected());
        client.reset();
    }
}

TEST_F(FrameDispatcher, UnknownTypesCompleteNothingAndEmptyLastFramesComplete)
{
    ASSERT_TRUE(server.Start(root, {"--drop", "1"}));
    ASSERT_TRUE(ConnectDirect());
    ASSERT_EQ(QueueRequest(Req(kRequestDayHistory, 0, "600000", 8)), 1);
    ASSERT_EQ(TheRequestRing().InFlightCount(), 1);
    server.Command(R"({"cmd": "frame", "type": 77, "body": "01020304", "count": 1, "index": 0})");
    socktest::PumpFor(300);
    EXPECT_EQ(TheRequestRing().InFlightCount(), 1);
    server.Command(R"({"cmd": "frame", "type": 12, "body": "", "count": 1, "index": 0})");
    ASSERT_TRUE(PumpUntil([&] { return RingIdle(); }));
    EXPECT_EQ(TheRequestRing().HistoryCount(), 1);
    EXPECT_TRUE(Messages(WM_SERVER_DATA).empty());
}

TEST_F(FrameDispatcher, NamesFromTheServerStayInTheDataFolder)
{
    ASSERT_TRUE(server.Start(root, {}));
    ASSERT_TRUE(ConnectDirect());
    auto hex = [](const std::string &bytes) {
        static const char digits[] = "0123456789abcdef";
        std::string s;
        for (unsigned char c : bytes) {
            s += digits[c >> 4];
            s += digits[c & 15];
        }
        return s;
    };
    const std::string evil = std::string("..\\..\\ev", 8);
    const std::string frames[] = {
        // weights and company text: [0] market, [1..4], [5..12] code
        R"({"cmd": "frame", "type": 18, "body": ")" + hex(std::string(5, '\0') + evil + "DATA") + R"("})",
        R"({"cmd": "frame", "type": 21, "body": ")" + hex(std::string(5, '\0') + "../../ev" + "DATA") + R"("})",
        // ticks and history: [1] market, [2..13] code
        R"({"cmd": "frame", "type": 20, "body": ")" + hex(std::string(2, '\0') + evil + std::string(4, '\0') +
                                                          std::string(20, 'x')) + R"("})",
        // a market the table does not hold
        R"({"cmd": "frame", "type": 18, "body": ")" + hex(std::string(1, '\x09') + std::string(4, '\0') +
                                                          "600000\0\0" + "DATA") + R"("})",
    };
    for (const std::string &f : frames)
        server.Command(f);
    // A note whose name would leave the notes folder.
    DataRequest note = Req(kRequestNote, 0, "");
    std::memcpy(note.Code, "..\\..\\..\\evnote", 15);
    ASSERT_EQ(QueueRequest(note), 1);
    ASSERT_TRUE(PumpUntil([&] { return RingIdle(); }));
    socktest::PumpFor(200);
    for (const auto &entry : fs::recursive_directory_iterator(fs::path(root).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("ev"), std::string::npos) << entry.path();
    EXPECT_TRUE(frame->notesShown.empty());
}

// History merges: new bars replace the stored bars of their range and keep the
// rest in order; bars without a year or out of order are refused.
TEST(HistoryMerge, NewBarsReplaceTheirRange)
{
    HistoryMarkets f("merge");
    const std::string path = f.inst.Path("data/sh/day/600000.day");
    struct Case {
        const char *name;
        std::vector<int> stored, incoming, expected;
        int result;
    } cases[] = {
        {"empty file", {}, {20061201, 20061204}, {20061201, 20061204}, 1},
        {"overlap at the end", {20061201, 20061204, 20061205}, {20061205, 20061206}, {20061201, 20061204, 20061205, 20061206}, 1},
        {"inside", {20061201, 20061204, 20061205, 20061206}, {20061204, 20061205}, {20061201, 20061204, 20061205, 20061206}, 1},
        {"before all", {20061205, 20061206}, {20061201}, {20061201, 20061205, 20061206}, 1},
        {"gap filled", {20061201, 20061206}, {20061204}, {20061201, 20061204, 20061206}, 1},
        {"out of order", {20061201}, {20061206, 20061204}, {20061201}, 0},
        {"no year on the last bar", {20061201}, {20061204, 0}, {20061201}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<KLineRecord> stored, incoming;
        for (int d : c.stored)
            stored.push_back(Bar(d, 0, 100));
        for (int d : c.incoming)
            incoming.push_back(d ? Bar(d, 0, 200) : KLineRecord{});
        f.WriteRecords("sh/day/600000.day", stored);
        EXPECT_EQ(MergeHistoryFile(path.c_str(), incoming.data(), 8, int(incoming.size())), c.result);
        std::ifstream in(path, std::ios::binary);
        std::vector<int> dates;
        KLineRecord b;
        while (in.read(reinterpret_cast<char *>(&b), sizeof b))
            dates.push_back(PackedToYmd(b.Time));
        EXPECT_EQ(dates, c.expected);
    }
}

} // namespace
