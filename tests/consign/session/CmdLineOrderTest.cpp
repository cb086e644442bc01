// The command-line record: parsing the '|' line (fields cut to their widths on
// character boundaries, fields read only when a separator follows), the start-up
// decision on line, flag and mutex, the WM_COPYDATA record, and the packing of
// long customer numbers with the socket error texts of the login.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "consign/session/CmdLineOrder.h"
#include "consign/session/LoginSupport.h"

using namespace win;

namespace {

CCmdLineOrder Parse(const std::string &line, int *result = nullptr)
{
    CCmdLineOrder record;
    std::memset(&record, 0x5A, sizeof record);
    const int r = ParseCmdLineOrder(line.c_str(), record);
    if (result)
        *result = r;
    return record;
}

} // namespace

TEST(CmdLineOrderTest, TheTerminalsLineFillsTheRecord)
{
    const CCmdLineOrder r = Parse("|1001|||cu2512||0|||62310|3|0|4711|4025|4026|");
    EXPECT_EQ(r.requestCode, 1001);
    EXPECT_STREQ(r.codeText, "1001");
    EXPECT_STREQ(r.contract, "cu2512");
    EXPECT_STREQ(r.direction, "0");
    EXPECT_STREQ(r.price, "62310");
    EXPECT_STREQ(r.quantity, "3");
    EXPECT_STREQ(r.tradeCode, "");
    EXPECT_STREQ(r.openClose, "");
    EXPECT_STREQ(r.hedge, "");
    EXPECT_EQ(r.sendDirectly, 0);
    EXPECT_EQ(r.callerWnd, 4711);
    EXPECT_EQ(r.announceMsg, 4025);
    EXPECT_EQ(r.withdrawMsg, 4026);
    EXPECT_EQ(r.zero[0], 0);
    EXPECT_EQ(r.zero[1], 0);
    // The record's layout travels between processes.
    EXPECT_EQ(offsetof(CCmdLineOrder, contract), 206u);
    EXPECT_EQ(offsetof(CCmdLineOrder, hedge), 326u);
    EXPECT_EQ(offsetof(CCmdLineOrder, sendDirectly), 348u);
}

TEST(CmdLineOrderTest, FieldsAreCutAndReadOnlyBeforeASeparator)
{
    // Without the closing '|' field 15 is no field.
    EXPECT_EQ(Parse("|1001|||cu2512||0|||62310|3|0|4711|4025|4026").withdrawMsg, 0);
    // 25 characters become their first 19.
    EXPECT_STREQ(Parse("|1001|||ABCDEFGHIJKLMNOPQRSTUVWXY|").contract, "ABCDEFGHIJKLMNOPQRS");
    // A double-byte character across byte 19 is left out whole.
    EXPECT_STREQ(Parse("|1001|||ABCDEFGHIJKLMNOPQR铜|").contract, "ABCDEFGHIJKLMNOPQR");
    // Other codes keep only the code and the two reserved texts.
    const CCmdLineOrder quit = Parse("|1002|a|b|cu2512|x|0|||1|1|0|4711|4025|4026|");
    EXPECT_EQ(quit.requestCode, 1002);
    EXPECT_STREQ(quit.reserved1, "a");
    EXPECT_STREQ(quit.contract, "");
    EXPECT_EQ(quit.callerWnd, 0);
    EXPECT_EQ(quit.sendDirectly, 0);

    const struct {
        const char *field;
        int flag;
    } direct[] = {{"0", 0}, {"01", 0}, {"1", 1}, {"x", 1}, {"", 1}};
    for (const auto &c : direct)
        EXPECT_EQ(Parse(std::string("|1001||||||||||") + c.field + "|").sendDirectly, c.flag) << c.field;

    int result = -1;
    const CCmdLineOrder untouched = Parse("1001|cu2512|", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(untouched.requestCode, 0x5A5A5A5A) << "a refused line leaves the record alone";
}

TEST(CmdLineOrderTest, LongAndOddFieldsGiveADefinedRecord)
{
    const std::string longField(10000, '7');
    for (const std::string &field : {std::string(20, '1'), std::string(256, '2'), longField}) {
        const CCmdLineOrder r = Parse("|1001|" + field + "|" + field + "|" + field + "|" + field + "|0|" + field +
                                      "|" + field + "|");
        EXPECT_EQ(std::strlen(r.reserved1), std::min<size_t>(field.size(), 32));
        EXPECT_EQ(std::strlen(r.reserved2), std::min<size_t>(field.size(), 128));
        EXPECT_EQ(std::strlen(r.contract), 19u);
        EXPECT_EQ(std::strlen(r.tradeCode), 19u);
        EXPECT_STREQ(r.direction, "0");
        EXPECT_EQ(std::strlen(r.openClose), 19u);
    }
    const CCmdLineOrder r = Parse("|1001||||||||||0|abc|-|4025x|");
    EXPECT_EQ(r.callerWnd, 0);
    EXPECT_EQ(r.announceMsg, 0);
    EXPECT_EQ(r.withdrawMsg, 4025);
}

TEST(CmdLineOrderTest, StartUpDecision)
{
    using A = StartupAction;
    const struct {
        int flag;
        const char *line;
        int parsed;
        bool existed;
        int singleApp;
        int code;
        A action;
    } rows[] = {
        {0, "|1001|", 1, false, 1, 1001, A::EndSilently},
        {0, "", 0, true, 1, 0, A::SingleInstanceBox},
        {0, "", 0, true, 0, 0, A::Continue},
        {0, "", 0, false, 1, 0, A::Continue},
        {1, "x", 0, true, 0, 0, A::SingleInstanceBox},
        {1, "x", 0, false, 1, 0, A::Continue},
        {1, "|1001|", 1, true, 1, 1001, A::Relay},
        {1, "|1001|", 1, false, 1, 1001, A::Continue},
        {1, "|1002|", 1, false, 1, 1002, A::End},
    };
    for (const auto &r : rows)
        EXPECT_EQ(DecideStartup(r.flag, r.line, r.parsed, r.existed, r.singleApp, r.code), r.action)
            << r.flag << " " << r.line << " " << r.existed;
}

TEST(CmdLineOrderTest, CopyDataTakesOnlyWholeRecordsWithEndedTexts)
{
    CCmdLineOrder sent;
    std::memset(&sent, 'A', sizeof sent);
    sent.requestCode = 1001;
    CCmdLineOrder taken{};
    for (DWORD size : {0u, 351u, 353u}) {
        std::string bytes(size + 1, 'A');
        COPYDATASTRUCT data{1001, size, bytes.data()};
        EXPECT_FALSE(TakeCopyDataOrder(&data, taken)) << size;
    }
    COPYDATASTRUCT none{1001, 352, nullptr};
    EXPECT_FALSE(TakeCopyDataOrder(&none, taken));
    EXPECT_FALSE(TakeCopyDataOrder(nullptr, taken));
    COPYDATASTRUCT data{1001, 352, &sent};
    ASSERT_TRUE(TakeCopyDataOrder(&data, taken));
    EXPECT_EQ(std::strlen(taken.contract), 19u);
    EXPECT_EQ(std::strlen(taken.reserved2), 129u) << "the reserved texts end within their fields";
    EXPECT_EQ(std::strlen(taken.hedge), 19u);
}

TEST(CmdLineOrderTest, CustomerNumbersArePackedForTheGateway)
{
    const struct {
        const char *text;
        int result;
        const char *bytes; // the packed bytes, 9 and a NUL
    } cases[] = {
        {"123456789", 0, "123456789"},
        {"1234567890", 0, "\x85\x23\x45\x67\x89\xA1+++"},
        {"12345678901", 0, "\xC6\x23\x45\x67\x89\xA1\x20++"},
        {"12345678901234567", -2, nullptr},
        {"12345678a0", -1, nullptr},
        {"1234567890123456a", -1, nullptr},
        {"", 0, ""},
    };
    for (const auto &c : cases) {
        char out[17] = {};
        EXPECT_EQ(PackCustomerNumber(c.text, out), c.result) << c.text;
        if (c.bytes) {
            EXPECT_EQ(std::string(out), std::string(c.bytes)) << c.text;
        }
    }
    EXPECT_STREQ(SocketErrorText(10061), "连接被拒绝");
    EXPECT_STREQ(SocketErrorText(10037), "操作正进行");
    EXPECT_STREQ(SocketErrorText(0), "未知错误");
}
