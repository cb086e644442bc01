// The answer dispatcher against the simulated gateway: every list answer fills
// its list and refreshes its page once, however many packets it takes; pushed
// reports and states; the settlement statement file; reads while a packet is
// being handled.
#include <dirent.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "SessionFixture.h"
#include "tests/support/GbkLiteral.h"

using namespace win;

namespace {

// Records in the answers of `code` the gateway sent after packet `from`: binary
// records of `size` bytes, or (size 0) '|'-ended fields of procedure answers.
struct Sent {
    int packets = 0;
    size_t records = 0;
};

Sent SentAnswers(const std::vector<GatewayLogEntry> &out, size_t from, int code, int size, int kind = -1,
                 int fields = 0)
{
    Sent sent;
    for (size_t i = from; i < out.size(); ++i) {
        const GatewayLogEntry &e = out[i];
        if (e.code != code)
            continue;
        const Bytes body = FromHex(e.body);
        if (kind >= 0 && (body.size() <= 20 || body[20] != kind))
            continue;
        ++sent.packets;
        if (size > 0) {
            sent.records += body.size() / static_cast<size_t>(size);
        } else {
            size_t bars = 0;
            for (size_t k = 61; k < body.size(); ++k)
                bars += body[k] == '|';
            sent.records += bars / static_cast<size_t>(fields);
        }
    }
    return sent;
}

std::set<std::string> FilesUnder(const std::string &folder)
{
    std::set<std::string> names;
    if (DIR *d = ::opendir(folder.c_str())) {
        while (dirent *e = ::readdir(d))
            if (e->d_name[0] != '.')
                names.insert(e->d_name);
        ::closedir(d);
    }
    return names;
}

// Every list answer in packets of one record: the list holds every record and the
// page is told once, after the last packet.
TEST_F(SessionTest, ListAnswersFillTheirListsAndRefreshOnce)
{
    ASSERT_TRUE(StartGateway({"--records-per-packet", "1"}));
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    struct Case {
        const char *name;
        std::function<bool()> send;
        int code, size, kind, fields;
        std::function<size_t()> listSize;
        int refresh; // the SessionList told, or -1
    };
    const Case cases[] = {
        {"customers", [&] { return s.QueryClients(false); }, 185, 46, -1, 0, [] { return ClientList.size(); }, -1},
        {"contracts", [&] { return s.QueryContracts(); }, 186, 136, -1, 0, [] { return ContractList.size(); },
         static_cast<int>(SessionList::contracts)},
        {"deals", [&] { return s.QueryDeals(); }, 187, 108, -1, 0, [] { return DealList.size(); },
         static_cast<int>(SessionList::deals)},
        {"orders", [&] { return s.QueryOrders(); }, 188, 188, -1, 0, [] { return OrderList.size(); },
         static_cast<int>(SessionList::orders)},
        {"funds", [&] { return s.QueryFunds(); }, 191, 171, -1, 0, [] { return FundList.size(); },
         static_cast<int>(SessionList::funds)},
        {"positions", [&] { return s.QueryPositions(); }, 216, 0, 38, 13, [] { return PositionList.size(); },
         static_cast<int>(SessionList::positions)},
        {"bank accounts", [&] { return s.QueryBankAccounts("10000002"); }, 216, 0, 4, 6,
         [] { return BankAccountList.size(); }, static_cast<int>(SessionList::bankAccounts)},
        {"transfer records", [&] { return s.QueryTransferRecords("", "", "20000101", "20991231"); }, 216, 0, 5, 13,
         [] { return TransferRecordList.size(); }, static_cast<int>(SessionList::transferRecords)},
        {"batch groups", [&] { return s.SendBatchGroupCommand(86, "-1", ""); }, 214, 28, -1, 0,
         [] {
             size_t n = 0;
             for (const auto &group : BatchGroupTable)
                 n += group.size();
             return n;
         },
         static_cast<int>(SessionList::batchGroups)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const size_t from = Log("out").size();
        ASSERT_TRUE(c.send());
        if (c.refresh >= 0) {
            ASSERT_TRUE(PumpUntil([&] { return s.Count("refresh", std::to_string(c.refresh)) > 0; }));
        }
        PumpFor(100);
        const Sent sent = SentAnswers(Log("out"), from, c.code, c.size, c.kind, c.fields);
        if (sent.records > 1) {
            EXPECT_GE(sent.packets, 2) << "the answer came in several packets";
        }
        EXPECT_GT(sent.records, 0u);
        EXPECT_EQ(c.listSize(), sent.records);
        if (c.refresh >= 0) {
            EXPECT_EQ(s.Count("refresh", std::to_string(c.refresh)), 1);
        }
        s.events.clear();
    }
    // The records are in host order and the positions carry their totals row.
    EXPECT_EQ(std::string(PositionList.back().customer, 6), GbkOf(u8"{合计}"));
    EXPECT_GT(PositionList.front().buyVolume + PositionList.front().sellVolume, 0);
    EXPECT_NE(std::string(BankAccountList.front()).find('|'), std::string::npos);
    EXPECT_EQ(ContractList.front().units > 0 && ContractList.front().units < 1000, true);

    // An empty answer empties the list and still tells the page.
    const std::string answer =
        Command("{\"cmd\": \"send\", \"code\": 188, \"flags\": 1, \"body\": \"\"}");
    ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
    ASSERT_TRUE(PumpUntil([&] { return OrderList.empty(); }));
    EXPECT_EQ(s.Count("refresh", std::to_string(static_cast<int>(SessionList::orders))), 1);
}

// Orders, reports and deals, exchange and gateway states, information releases
// and the client details, as the pages are told of them.
TEST_F(SessionTest, PushedReportsAndStates)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    CLogFile log;
    ASSERT_EQ(log.Open("session.log"), 1);
    s.m_pLog = &log;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));

    COrderRecord order = {};
    std::memcpy(order.account, "8001", 4);
    std::memcpy(order.customer, "10000001", 8);
    std::memcpy(order.contract, "cu2512", 6);
    order.volume = order.volume2 = 2;
    std::memcpy(order.price, "61800", 5);
    order.status = 'n';
    order.flags = 3;
    std::memcpy(order.tradeCode, "81000001", 8);
    ASSERT_TRUE(s.SendOrder(order, 'S', ""));
    ASSERT_TRUE(PumpUntil([&] { return s.Count("order") > 0; }));
    bool sentLine = false;
    for (const auto &[kind, detail] : s.events)
        sentLine |= kind == "line" && detail.rfind("委托已发出 ", 0) == 0;
    EXPECT_TRUE(sentLine);
    // The same line went to the log, enciphered under the log key.
    log.Close();
    std::ifstream in("Log/session.log", std::ios::binary);
    std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(logged.size() % 8, 0u);
    DesSetKey(reinterpret_cast<const unsigned char *>(CLogFile::LOG_KEY));
    for (size_t at = 0; at < logged.size(); at += 8)
        DesDecryptBlock(reinterpret_cast<unsigned char *>(&logged[at]));
    EXPECT_NE(logged.find("-委托已发出 "), std::string::npos);
    s.m_pLog = nullptr;

    // Refused orders: a batch member becomes a pre-order.
    order.volume = order.volume2 = -5;
    std::memcpy(order.batchName, "grp1", 4);
    ASSERT_TRUE(s.SendOrder(order, 'S', "grp1"));
    ASSERT_TRUE(PumpUntil([&] { return s.Count("rejected") > 0; }));
    EXPECT_EQ(s.Count("preorder", "10000001"), 1);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().back().rfind("批量组 grp1 进行批量委托，其中客户 10000001 委托失败，", 0), 0u);

    struct Push {
        const char *command;
        std::function<bool()> seen;
    };
    const Push pushes[] = {
        {"{\"cmd\": \"exchange\", \"state\": 1}",
         [&] { return std::find(s.status.begin(), s.status.end(), "*交易所初始化") != s.status.end(); }},
        {"{\"cmd\": \"gateway\", \"state\": \"X\"}",
         [&] { return std::find(s.status.begin(), s.status.end(), "当前网关状态：未知") != s.status.end(); }},
        {"{\"cmd\": \"info\"}", [&] { return s.Count("information") > 0; }},
    };
    for (const Push &p : pushes) {
        SCOPED_TRACE(p.command);
        const std::string answer = Command(p.command);
        ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
        EXPECT_TRUE(PumpUntil(p.seen));
    }
    // The exchange opening asks for orders, deals, positions and funds again.
    ASSERT_TRUE(PumpUntil([&] { return CountLogged("\"code\": 63") > 0; }));
    int kinds[4] = {};
    for (const GatewayLogEntry &e : Log("in")) {
        kinds[0] += e.code == 60;
        kinds[1] += e.code == 59;
        kinds[2] += e.code == 88 && FromHex(e.body).at(20) == 38;
        kinds[3] += e.code == 63;
    }
    for (int k : kinds)
        EXPECT_GE(k, 1);

    // The gateway's own hello is answered: same subnet, so bodies go plain from here.
    const std::string hello = Command("{\"cmd\": \"hello\"}");
    ASSERT_NE(hello.find("\"ok\": true"), std::string::npos) << hello;
    ASSERT_TRUE(PumpUntil([&] {
        for (const GatewayLogEntry &e : Log("in"))
            if (e.code == 128)
                return true;
        return false;
    }));
    for (const GatewayLogEntry &e : Log("in"))
        if (e.code == 128) {
            EXPECT_EQ(e.status, 0);
            EXPECT_EQ(e.body.substr(0, 2), "00");
            EXPECT_EQ(e.bodyLength, 17);
        }
    EXPECT_EQ(s.m_Cipher.m_Encipher, 0);
}

// A statement in several packets is written under settle/ in arrival order;
// a name from the network that would leave the folder writes nothing.
TEST_F(SessionTest, SettlementStatementStaysUnderSettle)
{
    const mode_t oldMask = umask(022);
    ASSERT_TRUE(StartGateway({"--records-per-packet", "1"}));
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "10000001", "111111", 7));
    const std::set<std::string> before = FilesUnder(".");
    const size_t from = Log("out").size();
    ASSERT_TRUE(s.RequestSettlementStatement("10000001", ""));
    std::string expected;
    int packets = 0;
    const std::vector<GatewayLogEntry> out = Log("out");
    for (size_t i = from; i < out.size(); ++i) {
        if (out[i].code != 216)
            continue;
        ++packets;
        const Bytes body = FromHex(out[i].body);
        for (size_t at = 0; at + 576 <= body.size(); at += 576)
            expected.append(reinterpret_cast<const char *>(&body[at + 61]),
                            static_cast<size_t>(std::atoi(reinterpret_cast<const char *>(&body[at + 21]))));
    }
    EXPECT_GE(packets, 2);
    ASSERT_FALSE(expected.empty());
    // The folder is made as "Settle"; names are matched without regard to case.
    std::ifstream file("Settle/10000001.rar", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, expected);
    std::set<std::string> added;
    for (const std::string &name : FilesUnder("."))
        if (!before.count(name))
            added.insert(name);
    EXPECT_EQ(added, std::set<std::string>{"Settle"});
    EXPECT_EQ(FilesUnder("Settle"), std::set<std::string>{"10000001.rar"});
    // The statement is the customer's business: for this user's eyes alone.
    struct stat st;
    ASSERT_EQ(stat("Settle/10000001.rar", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    umask(oldMask);

    // Names that would leave the folder, or hold a separator, are refused.
    for (const char *name : {"../evil", "a/b", "..", "x\\\\y"}) {
        SCOPED_TRACE(name);
        BodyBuilder body(61 + 576);
        body.Text(10, name).Byte(20, 22).Text(61 + 21, "4").Text(61 + 61, "EVIL");
        const std::string answer =
            Command("{\"cmd\": \"send\", \"code\": 216, \"flags\": 3, \"body\": \"" + body.Hex() + "\"}");
        ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
        ASSERT_TRUE(PumpUntil([&] { return !BoxTexts().empty() && BoxTexts().back() == "写入帐单文件失败"; }));
        win::RecordMessageBoxes(true);
    }
    EXPECT_EQ(FilesUnder("Settle"), std::set<std::string>{"10000001.rar"});
    EXPECT_EQ(FilesUnder(".").count("evil"), 0u);
    EXPECT_EQ(FilesUnder("..").count("evil.rar"), 0u);
}

// A page's code that runs while a packet is handled (as a message box's loop
// delivers the socket and ping timer) reads nothing by itself, and a request it
// makes that waits leaves the packet being handled as it was.
TEST_F(SessionTest, ReadsWhileAPacketIsHandled)
{
    ASSERT_TRUE(StartGateway({"--records-per-packet", "1"}));
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    int nestedEvents = -1;
    bool waited = false;
    s.during = [&](const std::string &kind) {
        if (kind != "refresh" || nestedEvents >= 0)
            return;
        const size_t before = s.events.size();
        s.OnReceive(0);
        nestedEvents = static_cast<int>(s.events.size() - before);
        waited = s.QueryBankAccounts("10000002");
    };
    const size_t from = Log("out").size();
    ASSERT_TRUE(s.QueryContracts());
    ASSERT_TRUE(s.QueryDeals());
    ASSERT_TRUE(PumpUntil([&] { return s.Count("refresh", std::to_string(static_cast<int>(SessionList::deals))) > 0; }));
    s.during = nullptr;
    EXPECT_EQ(nestedEvents, 0) << "nothing was read inside the handling";
    EXPECT_TRUE(waited);
    const std::vector<GatewayLogEntry> out = Log("out");
    EXPECT_EQ(ContractList.size(), SentAnswers(out, from, 186, 136).records);
    EXPECT_EQ(DealList.size(), SentAnswers(out, from, 187, 108).records);
    EXPECT_EQ(s.Count("refresh", std::to_string(static_cast<int>(SessionList::contracts))), 1);
    EXPECT_EQ(s.Count("refresh", std::to_string(static_cast<int>(SessionList::deals))), 1);
    EXPECT_FALSE(BankAccountList.empty());
}

} // namespace

namespace {

// Single answers as the gateway may send them, and what each leaves behind.
TEST_F(SessionTest, AnswersByCode)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    auto procedure = [](BYTE kind, const char *text) {
        BodyBuilder b(61 + std::strlen(text));
        b.Text(0, "8001").Byte(20, kind).Text(61, text);
        return b;
    };
    BodyBuilder closable(136);
    closable.Text(20, "12").Big16(36, 3).Big16(38, 1);
    BodyBuilder check(132);
    check.Big32(56, 77);
    BodyBuilder transfer(169);
    transfer.Text(0, "S0001");
    struct Case {
        const char *name;
        int code;
        int status;
        BodyBuilder body;
        std::function<bool()> done;
    };
    const Case cases[] = {
        {"lquery error", 176, 0, BodyBuilder(0),
         [&] { return !s.status.empty() && s.status.back() == "lquery error"; }},
        {"maximum position", 216, 0, procedure(1, "a|b|可开手数:5"),
         [&] { return s.m_strPositionText == "可开手数:5"; }},
        {"closable volumes", 208, 0, closable,
         [&] {
             return s.m_strPositionText == "可开手数:5 可用:12,可平:3,可平今:1" && !s.status.empty() &&
                    s.status.back() == "可开手数:5 可用:12,可平:3,可平今:1";
         }},
        {"order check", 167, 0, check, [&] { return s.m_bCheckResult == 1 && s.m_CheckNumber == 77; }},
        {"settle confirm", 216, 0, procedure(23, "10000001|0000000000|"),
         [&] { return s.m_strSettleConfirm.IsEmpty() && s.Count("name") == 0; }},
        {"settle confirm state", 216, 0, procedure(23, "10000001|1111111110"),
         [&] { return s.m_strSettleConfirm == "1111111110"; }},
        {"withdrawable", 216, 0, procedure(34, "10000001|5000.00|"),
         [&] { return s.Count("withdrawable", "5000.00") == 1; }},
        {"transfer result", 216, 0,
         procedure(3, "S1|10000002|ICBC|6222|op|20251210|10:00:00|in|100.00|处理成功|ok|x|Z|"),
         [&] { return s.Count("bank", "金额：100.00,处理状态：处理成功,处理结果：ok") == 1; }},
        {"transfer answer", 162, 0, transfer,
         [&] { return s.Count("transfer", "本地发送请求成功!流水号：S0001") == 1; }},
        {"positions refused", 216, 1, procedure(38, ""),
         [&] { return !BoxTexts().empty() && BoxTexts().back() == "持仓查询失败(LQueryComm)"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string answer = Command("{\"cmd\": \"send\", \"code\": " + std::to_string(c.code) +
                                           ", \"status\": " + std::to_string(c.status) +
                                           ", \"flags\": 3, \"body\": \"" + c.body.Hex() + "\"}");
        ASSERT_NE(answer.find("\"ok\": true"), std::string::npos) << answer;
        EXPECT_TRUE(PumpUntil(c.done));
    }
}

// A transfer: the gateway's answer as the local text, the bank text emptied,
// the wait text while YQZZWaitingTime passes on the clock, then the result the
// query brings. A refused transfer neither waits nor asks for its result; the
// bank-account answer's text becomes the local text.
TEST_F(SessionTest, TransferTextsAndWait)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    win::SetTestClock(1765000000000, 1000000);
    s.m_TransferWaitMs = 3000;
    win::DWORD waitShownAt = 0;
    s.during = [&](const std::string &kind) {
        if (kind == "bank" && s.events.back().second == "正在等待银行端处理，请稍候...")
            waitShownAt = win::GetTickCount();
    };
    // The waits for answers move the test clock too; the wait text stays for
    // exactly the waiting time, after which the result query goes out.
    EXPECT_TRUE(s.SubmitBankTransfer("10000002", '2', "6228480200002222", "222222", "2222", "100.00", "01"));
    ASSERT_NE(waitShownAt, 0u);
    EXPECT_EQ(win::GetTickCount() - waitShownAt, 3000u);
    // The transfer pages' two texts, in the order they were set.
    auto texts = [&] {
        std::vector<std::pair<std::string, std::string>> shown;
        for (const auto &e : s.events)
            if (e.first == "transfer" || e.first == "bank")
                shown.push_back(e);
        return shown;
    };
    ASSERT_TRUE(PumpUntil([&] { return s.Count("bank") == 3; }));
    auto shown = texts();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].first, "transfer");
    EXPECT_EQ(shown[0].second.rfind("本地发送请求成功!流水号：", 0), 0u) << shown[0].second;
    EXPECT_EQ(shown[1], std::make_pair(std::string("bank"), std::string()));
    EXPECT_EQ(shown[2].second, "正在等待银行端处理，请稍候...");
    EXPECT_EQ(shown[3], std::make_pair(std::string("bank"), std::string("金额：100.00,处理状态：处理成功,处理结果：成功")));
    auto resultQueries = [&] {
        int n = 0;
        for (const GatewayLogEntry &e : Log("in"))
            n += e.code == 88 && FromHex(e.body).size() > 20 && FromHex(e.body)[20] == 3;
        return n;
    };
    EXPECT_EQ(resultQueries(), 1);

    s.events.clear();
    const win::DWORD before = win::GetTickCount();
    EXPECT_FALSE(s.SubmitBankTransfer("10000002", '2', "6228480200002222", "wrong", "2222", "100.00", "01"));
    EXPECT_LT(win::GetTickCount() - before, 3000u);
    shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(std::string("transfer"), std::string("资金密码错误")));
    EXPECT_EQ(shown[1], std::make_pair(std::string("bank"), std::string()));
    PumpFor(100);
    EXPECT_EQ(resultQueries(), 1);

    s.events.clear();
    ASSERT_TRUE(s.QueryBankAccounts("10000002"));
    EXPECT_EQ(s.Count("transfer"), 1);
    EXPECT_EQ(s.Count("refresh", std::to_string(static_cast<int>(SessionList::bankAccounts))), 1);
}

} // namespace
