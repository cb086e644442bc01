// The frames that carry requests to the data server, byte for byte.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lumon/core/DataRequest.h"
#include "lumon/core/EMemOp.h"
#include "platform/win/Time.h"

namespace {

std::string Hex(const uint8_t *p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

DataRequest Req(int type, int subKind, int market, const char *code, int32_t first = 0, int32_t second = 0)
{
    DataRequest r{};
    r.Type = type;
    r.SubKind = subKind;
    r.Four = 4;
    r.Market = int16_t(market);
    std::strncpy(r.Code, code, sizeof r.Code);
    r.First = first;
    r.Second = second;
    return r;
}

STKMS *SortList(std::initializer_list<STKMS> entries)
{
    auto *list = static_cast<STKMS *>(EMemAlloc(entries.size() * sizeof(STKMS)));
    int i = 0;
    for (STKMS e : entries)
        list[i++] = e;
    return list;
}

class DataRequestTest : public ::testing::Test {
protected:
    // 2024-03-15 12:00 UTC: the same date in every time zone of the working day.
    void SetUp() override { win::SetTestClock(1710504000000, 1000000); }
    void TearDown() override { win::ClearTestClock(); }
};

TEST_F(DataRequestTest, EveryRequestBodyByteForByte)
{
    DataRequest ticks = Req(kRequestTicks, 0, 0, "000002", 150);
    ticks.TickMark = 5;
    DataRequest longCode = Req(kRequestTicks, 0, 1, "ABCDEFGHIJK", 0);
    DataRequest note = Req(kRequestNote, 0x1234, 2, "");
    std::memcpy(note.Code, "note-name-16byte", 16);
    DataRequest sortList = Req(kRequestSortData, 11, 1, "", 3);
    sortList.SortList = SortList({0x0010, 0x0021, 0xFFF1});
    sortList.Third = 9;
    DataRequest sortAll = Req(kRequestSortData, 2, 0, "", 7);
    DataRequest sortTooMany = Req(kRequestSortData, 29, 0, "", 300);
    sortTooMany.SortList = static_cast<STKMS *>(EMemAlloc(300 * sizeof(STKMS)));
    for (int i = 0; i < 300; ++i)
        sortTooMany.SortList[i] = STKMS(i + 1);
    DataRequest sortShortBlock = Req(kRequestSortData, 6, 0, "", 200);
    sortShortBlock.SortList = SortList({0x0040, 0x0050});
    EArray<STKMS> stats(16);
    stats.Add(0x0010);
    stats.Add(0x0101);
    DataRequest statsReq = Req(kRequestStockStats, 0, 0, "");
    statsReq.StatsList = &stats;

    struct Case {
        const char *name;
        DataRequest request;
        const char *head;     // the 10 header bytes
        const char *body;     // the body's first bytes
        size_t bodySize;      // the rest of the body is zero
    };
    const Case cases[] = {
        {"name table", Req(kRequestNameTable, 0, 3, ""), "40060100000001000000", "03", 1},
        {"minute history", Req(kRequestMinuteHistory, 4, 1, "600000", 0x12345678, 0), "400c0100000016000000",
         "0401" "363030303030000000000000" "78563412" "00000000", 22},
        {"day history", Req(kRequestDayHistory, 8, 0, "000001", 0, int32_t(0xA1B2C3D4)), "400c0100000016000000",
         "0800" "303030303031000000000000" "00000000" "d4c3b2a1", 22},
        {"company text", Req(kRequestBaseText, 0, 2, "IF2403", 0x01020304), "4015010000000d000000",
         "02" "04030201" "4946323430330000", 13},
        {"news index since", Req(kRequestNews, kNewsIndexSince, 0, "", 1235, 0x0BADF00D), "400f010000000a000000",
         "0000" "0df0ad0b" "d3040000", 10},
        {"news text", Req(kRequestNews, kNewsText, 5, "", 777), "400f010000000a000000",
         "0205" "bbd73401" "09030000", 10},
        {"ex-rights weights", Req(kRequestWeights, 0, 1, "600036", 0), "4012010000000d000000",
         "01" "00000000" "3630303033360000", 13},
        {"ticks", ticks, "4014010000000e000000",
         "0000" "3030303030320000" "96000000", 14},
        {"ticks of a code longer than its field", longCode, "4014010000000e000000",
         "0001" "4142434445464700" "00000000", 14},
        {"stock information", Req(kRequestStockInfo, 0, 1, "600519"), "40660100000009000000",
         "01" "3630303531390000", 9},
        {"version", Req(kRequestVersion, 0, 0, ""), "40ca0100000004000000", "00000000", 4},
        {"system messages", Req(kRequestSystemMessages, 0, 0, ""), "40cb0100000004000000", "00000000", 4},
        {"real-time messages", Req(kRequestRealtimeMessages, 0, 0, "", 0x44), "40cc0100000004000000",
         "44000000", 4},
        {"ranking of a list", sortList, "40650100000007020000", "0f" "00000000" "0300" "1000" "2100" "f1ff", 519},
        {"ranking of all stocks", sortAll, "40650100000007020000", "00" "01000000" "0700", 519},
        {"ranking list cut to its block", sortShortBlock, "40650100000007020000",
         "04" "00000000" "0200" "4000" "5000", 519},
        {"notes list", Req(kRequestNotesList, 0, 1, "", 10, 20), "4010010000000a000000",
         "0001" "0a000000" "14000000", 10},
        {"one note", note, "40100100000014000000", "0102" "6e6f74652d6e616d652d3136627974" "65" "3412", 20},
        {"day statistics", statsReq, "40090100000002020000", "1000" "0101", 514},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> frame(kMaxRequestFrame, 0xCC);
        int n = BuildRequestFrame(c.request, frame.data());
        ASSERT_EQ(n, int(10 + c.bodySize));
        EXPECT_EQ(RequestBodySize(c.request), int(c.bodySize));
        EXPECT_EQ(Hex(frame.data(), 10), c.head);
        size_t prefix = std::strlen(c.body) / 2;
        EXPECT_EQ(Hex(frame.data() + 10, prefix), c.body);
        std::vector<uint8_t> zeros(c.bodySize - prefix, 0);
        if (c.request.Type != kRequestStockStats) {
            EXPECT_EQ(Hex(frame.data() + 10 + prefix, zeros.size()), Hex(zeros.data(), zeros.size()));
        }
    }
    // Day statistics: the entry count closes the body.
    std::vector<uint8_t> frame(kMaxRequestFrame);
    BuildRequestFrame(statsReq, frame.data());
    EXPECT_EQ(Hex(frame.data() + 10 + 512, 2), "0200");

    // At most 256 entries of a longer list go.
    BuildRequestFrame(sortTooMany, frame.data());
    EXPECT_EQ(Hex(frame.data() + 10, 7), "0b000000000001");
    EXPECT_EQ(Hex(frame.data() + 10 + 7 + 2 * 255, 2), "0001");

    EMemFree(sortList.SortList);
    EMemFree(sortTooMany.SortList);
    EMemFree(sortShortBlock.SortList);
}

TEST_F(DataRequestTest, LoginAndHeartbeatFrames)
{
    std::vector<uint8_t> frame(80, 0xCC);
    ASSERT_EQ(BuildLoginFrame("guest", "secret", 0x01020304, frame.data()), 74);
    EXPECT_EQ(Hex(frame.data(), 74), "40030100000040000000" "6775657374" + std::string(22, '0') + "736563726574" +
                                         std::string(76, '0') + "04030201");
    // Over-long names are cut so that each keeps its terminating zero.
    ASSERT_EQ(BuildLoginFrame("a-user-name-of-20-ch", std::string(50, 'p').c_str(), 0, frame.data()), 74);
    EXPECT_EQ(frame[10 + 15], 0);
    EXPECT_EQ(frame[10 + 14], '-');
    EXPECT_EQ(frame[10 + 16 + 42], 'p');
    EXPECT_EQ(frame[10 + 16 + 43], 0);

    ASSERT_EQ(BuildHeartbeatFrame(frame.data()), 10);
    EXPECT_EQ(Hex(frame.data(), 10), "40010100000000000000");
}

TEST_F(DataRequestTest, RequestsThatCannotBeSent)
{
    struct Case {
        const char *name;
        DataRequest request;
    };
    const Case cases[] = {
        {"ranking by the name column", Req(kRequestSortData, 1, 0, "")},
        {"ranking by the code column", Req(kRequestSortData, 9, 0, "")},
        {"ranking by field 30", Req(kRequestSortData, 30, 0, "")},
        {"ranking by a negative field", Req(kRequestSortData, -1, 0, "")},
        {"unknown news sub-kind", Req(kRequestNews, 1, 0, "")},
        {"login through the request builder", Req(kRequestLogin, 0, 0, "")},
        {"unknown type", Req(99, 0, 0, "")},
    };
    uint8_t frame[kMaxRequestFrame];
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RequestBodySize(c.request), -1);
        EXPECT_EQ(BuildRequestFrame(c.request, frame), 0);
    }
}

TEST_F(DataRequestTest, SortCodesAndAnswerTypes)
{
    const int sortCodes[][2] = {{2, 0},   {3, 1},   {4, 2},   {5, 3},   {6, 4},   {7, 5},   {8, 6},
                                {10, 14}, {11, 15}, {12, 13}, {13, 16}, {14, 17}, {15, 19}, {16, 20},
                                {17, 21}, {18, 22}, {19, 23}, {20, 18}, {21, 24}, {22, 25}, {23, 26},
                                {24, 7},  {25, 8},  {26, 9},  {27, 12}, {28, 10}, {29, 11}, {0, -1},
                                {1, -1},  {9, -1},  {30, -1}, {33, -1}};
    for (auto [field, code] : sortCodes)
        EXPECT_EQ(ServerSortCode(field), code) << field;
    const int answers[][2] = {{5, 12},  {6, 12},  {7, 21},   {8, 15},   {12, 18}, {13, 20}, {15, 102},
                              {21, 203}, {22, 204}, {24, 101}, {25, 16}, {26, 16}, {27, 9},  {0x105, 12},
                              {16, -1}, {99, -1}};
    for (auto [type, answer] : answers)
        EXPECT_EQ(AnswerFrameType(type), answer) << type;
}

} // namespace
