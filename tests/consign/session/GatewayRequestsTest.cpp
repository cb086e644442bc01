// Every request body byte for byte as the simulated gateway received it, the
// waits of the requests that need their answer, and the refusals while logged out.
#include <algorithm>
#include <functional>

#include "SessionFixture.h"

using namespace win;

namespace {

COrderRecord SampleOrder()
{
    COrderRecord order = {};
    std::memcpy(order.account, "8001", 4);
    std::memcpy(order.customer, "10000001", 8);
    std::memcpy(order.contract, "cu2512", 6);
    order.volume = 3;
    std::memcpy(order.price, "61800", 5);
    order.orderNumber = 0x01020304;
    order.dealtVolume = 7;
    std::memcpy(order.localNumber, "0001", 4);
    order.volume2 = 3;
    order.status = 'n';
    order.flags = 3;
    std::memcpy(order.tradeCode, "81000001", 8);
    std::memcpy(order.source, "consign", 7);
    std::memcpy(order.batchName, "stale", 5);
    return order;
}

BodyBuilder OrderBody(const char *batch)
{
    BodyBuilder b(132);
    b.Text(0, "8001").Text(10, "10000001").Text(20, "cu2512").Big32(40, 3).Text(44, "61800");
    b.Big32(52, 0x01020304).Big32(56, 7).Text(60, "0001").Big32(68, 3).Byte(74, 'n').Byte(75, 3);
    b.Text(76, "81000001").Text(104, "consign").Text(114, batch);
    return b;
}

BodyBuilder QueryBody(BYTE code)
{
    BodyBuilder b(61);
    b.Byte(0, '*').Text(1, "8001").Text(21, "8001").Text(31, "8001");
    if (code == 59)
        b.Byte(11, '#');
    return b;
}

BodyBuilder ProcedureBody(const char *customer, BYTE kind, const char *name)
{
    BodyBuilder b(188);
    b.Text(0, "8001").Text(10, customer).Byte(20, kind).Text(147, name);
    return b;
}

BodyBuilder &Parameter(BodyBuilder &b, int n, const char *text)
{
    return b.Text(21 + 20 * (n - 1), text);
}

BodyBuilder Parameter(BodyBuilder &&b, int n, const char *text)
{
    b.Text(21 + 20 * (n - 1), text);
    return std::move(b);
}

struct Adapters {
    Adapters() { CTradeSession::GetAdapterAddresses(first, second); }
    char first[13];
    char second[13];
};

TEST_F(SessionTest, RequestBodiesByteForByte)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    s.m_TransferWaitMs = 10;
    const Adapters mac;
    BYTE maxPosition[188] = {};
    std::memcpy(maxPosition + 21, "10000001", 8);
    std::memcpy(maxPosition + 147, "LQueryCommonMaxPos", 18);
    maxPosition[20] = 1;

    struct Case {
        const char *name;
        int code;
        char marker;
        std::function<bool()> send;
        BodyBuilder body;
    };
    std::vector<Case> cases = {
        {"clients", 57, '*', [&] { return s.QueryClients(false); },
         BodyBuilder(61).Byte(0, '*').Text(1, "8001")},
        {"contracts", 58, '*', [&] { return s.QueryContracts(); }, QueryBody(58)},
        {"deals", 59, '*', [&] { return s.QueryDeals(); }, QueryBody(59)},
        {"orders", 60, '*', [&] { return s.QueryOrders(); }, QueryBody(60)},
        {"funds", 63, '*', [&] { return s.QueryFunds(); }, QueryBody(63)},
        {"quote", 76, '*', [&] { return s.SendContractRequest("cu2512"); },
         QueryBody(76).Text(41, "cu2512").Text(51, "cu2512")},
        {"max open", 80, '*', [&] { return s.QueryMaxOpen("10000001", "cu2512", '1'); },
         BodyBuilder(44).Text(0, "8001").Text(10, "10000001").Text(20, "cu2512").Text(30, "8001").Byte(40, '1')},
        {"settle flag", 82, '*', [&] { return s.QuerySettleFlag("10000001", 1, "T_SETTLE"); },
         BodyBuilder(43).Text(0, "8001").Text(10, "10000001").Byte(20, 1).Text(21, "T_SETTLE")},
        {"client mode", 85, 'S', [&] { return s.QueryClientMode('S', "8001"); },
         BodyBuilder(61).Byte(0, 'S').Text(1, "8001").Text(11, "8001").Text(21, "8001").Text(31, "8001")},
        {"group command", 86, '*', [&] { return s.SendBatchGroupCommand(86, "-1", ""); },
         BodyBuilder(61).Text(1, "8001").Text(11, "-1").Text(21, "8001").Text(31, "8001")},
        {"group command 74", 74, '*', [&] { return s.SendBatchGroupCommand(74, "g1", "x"); },
         BodyBuilder(61).Byte(0, 1).Text(1, "8001").Text(11, "g1").Text(21, "8001").Text(31, "8001")
             .Text(41, "x").Text(51, "x")},
        {"order", 52, 'S', [&] { return s.SendOrder(SampleOrder(), 'S', "grp1"); }, OrderBody("grp1")},
        {"single pre-order", 52, 'S', [&] { return s.SendOrder(SampleOrder(), 'S', "single"); },
         OrderBody("single")},
        {"order check", 39, 'S', [&] { return s.SendOrderCheck(SampleOrder(), 'S', 7); }, OrderBody("stale")},
        {"cancel", 53, 'S', [&] { return s.SendCancelOrder(SampleOrder(), 'S'); }, OrderBody("stale")},
        {"trade password", 54, '*', [&] { s.ChangeTradePassword("8001", "123456", "123456"); return true; },
         BodyBuilder(68).Text(0, "8001").Text(20, "123456").Text(36, "123456").Text(52, "123456")},
        {"bank accounts", 88, '*', [&] { return s.QueryBankAccounts("10000002"); },
         Parameter(ProcedureBody("10000002", 4, "yq_getyhzhforjy"), 1, "10000002").Byte(141, '6')},
        {"transfer records", 88, '*', [&] { return s.QueryTransferRecords("", "10000001", "20250101", "20251231"); },
         [] {
             BodyBuilder b = ProcedureBody("", 5, "yq_getkhzzforjy");
             Parameter(b, 2, "10000001");
             Parameter(b, 3, "20250101");
             Parameter(b, 4, "20251231");
             return Parameter(b, 5, "8001").Byte(141, 'D');
         }()},
        {"withdrawable", 88, '*', [&] { return s.QueryCommonKtj("10000001", "10000001", "1"); },
         [] {
             BodyBuilder b = ProcedureBody("8001", 34, "LQueryCommonKtj");
             Parameter(b, 1, "10000001");
             return Parameter(b, 2, "1");
         }()},
        {"client details", 88, '*', [&] { return s.QueryClientDetails(); },
         Parameter(ProcedureBody("8001", 6, "LQueryCommonClientMX"), 1, "8001")},
        {"max position", 88, '*', [&] { return s.QueryMaxPosition(maxPosition, "10000001"); },
         ProcedureBody("10000001", 1, "LQueryCommonMaxPos").Text(21, "10000001")},
        {"positions", 88, '*', [&] { return s.QueryPositions(); },
         [] {
             BodyBuilder b = ProcedureBody("", 38, "LqueryCommonPosition").Byte(21, '*');
             Parameter(b, 2, "8001");
             return Parameter(b, 3, "8001");
         }()},
        {"fund password", 88, '*', [&] { s.ChangeFundPassword("111111", "222222"); return true; },
         [] {
             BodyBuilder b = ProcedureBody("8001", 20, "change_zjmm");
             Parameter(b, 1, "8001");
             Parameter(b, 2, "111111");
             return Parameter(b, 3, "222222");
         }()},
        {"statement", 88, '*', [&] { s.RequestSettlementStatement("10000001", "20251210"); return true; },
         [&] {
             BodyBuilder b = ProcedureBody("10000001", 22, "");
             Parameter(b, 1, "10000001");
             Parameter(b, 2, mac.first);
             Parameter(b, 3, mac.second);
             return Parameter(b, 4, "20251210");
         }()},
        {"settle confirm", 88, '*', [&] { s.QuerySettleConfirm("10000001"); return true; },
         [&] {
             BodyBuilder b = ProcedureBody("10000001", 23, "sp_query_common_settle_confirm");
             Parameter(b, 1, "10000001");
             Parameter(b, 2, mac.first);
             return Parameter(b, 3, mac.second);
         }()},
        {"confirm", 88, '*', [&] { s.ConfirmSettlement("10000001"); return true; },
         [&] {
             BodyBuilder b = ProcedureBody("10000001", 24, "sp_settle_confirm");
             Parameter(b, 1, "10000001");
             Parameter(b, 2, mac.first);
             return Parameter(b, 3, mac.second);
         }()},
        {"transfer", 34, '*',
         [&] { s.SubmitBankTransfer("10000002", 'I', "6222000000000002", "222222", "bankpw", "100.00", "01"); return true; },
         BodyBuilder(169).Byte(14, 'I').Text(15, "8001").Text(25, "10000002").Text(35, "100.00")
             .Text(51, "222222").Text(67, "bankpw").Text(83, "01").Text(86, "6222000000000002")},
        {"logout", 51, '*', [&] { return s.SendLogout(1); },
         BodyBuilder(22).Text(0, "8001").Byte(20, 1).Byte(21, 1)},
    };
    // The login itself came first, after the hello.
    ASSERT_EQ(CountLogged("\"dir\": \"in\""), 2u);
    std::vector<size_t> first;
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        const size_t before = CountLogged("\"dir\": \"in\"");
        EXPECT_TRUE(c.send());
        // A query the dispatcher sends by itself can be the packet counted here:
        // wait for one of the case's own code.
        ASSERT_TRUE(PumpUntil([&] {
            const std::vector<GatewayLogEntry> now = Log("in");
            for (size_t at = before; at < now.size(); ++at)
                if (now[at].code == c.code)
                    return true;
            return false;
        }));
        first.push_back(before);
    }
    const std::vector<GatewayLogEntry> in = Log("in");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.name);
        // Queries the dispatcher sends by itself (orders after an order report)
        // may come between: take the first packet of the case's code.
        size_t at = first[i];
        while (at < in.size() && in[at].code != c.code)
            ++at;
        ASSERT_LT(at, in.size());
        const GatewayLogEntry &e = in[at];
        EXPECT_EQ(e.marker, std::string(1, c.marker));
        EXPECT_EQ(e.flags, 3);
        EXPECT_TRUE(e.checksumOk);
        EXPECT_EQ(e.body, c.body.Hex());
    }
    EXPECT_EQ(SampleOrder().volume, 3) << "the caller's record stays in host order";
    // The gateway checks every body's size, user id and texts and the key chain:
    // none of the client's requests failed those checks.
    for (const char8_t *refusal : {u8"请求数据长度错误", u8"用户号与登录帐号不符", u8"请求数据含有非法字符", u8"数据解密失败"})
        EXPECT_EQ(CountLogged(reinterpret_cast<const char *>(refusal)), 0u) << reinterpret_cast<const char *>(refusal);
    EXPECT_EQ(CountLogged("\"event\": \"bad-key\""), 0u);
}

// Both login kinds, with the adapter addresses and the socket's own address.
TEST_F(SessionTest, LoginBodiesAndClock)
{
    ASSERT_TRUE(StartGateway());
    const Adapters mac;
    struct Case {
        const char *account;
        const char *password;
        BYTE kind;
    };
    for (const Case &c : {Case{"8001", "123456", 1}, Case{"1234567890", "000000", 7}}) {
        SCOPED_TRACE(c.account);
        // The gateway's date and time replace the process clock's, not the machine's.
        SYSTEMTIME old = {};
        old.wYear = 2001;
        old.wMonth = 1;
        old.wDay = 1;
        ASSERT_TRUE(SetLocalTime(&old));
        LiveSession s;
        ASSERT_TRUE(LogIn(s, c.account, c.password, c.kind));
        EXPECT_EQ(s.m_bLoggedIn, 1);
        EXPECT_EQ(s.status.back(), "登录成功");
        BodyBuilder b(99);
        b.Text(0, "consign").Text(10, c.account).Text(30, c.password).Text(46, "127.0.0.1");
        b.Byte(62, '*').Byte(63, c.kind).Text(65, mac.first).Text(77, mac.second);
        if (c.kind == 7)
            b.Text(20, c.account);
        const std::vector<GatewayLogEntry> in = Log("in");
        EXPECT_EQ(in.back().code, 50);
        EXPECT_EQ(in.back().body, b.Hex());

        const Bytes answer = FromHex(Log("out").back().body);
        ASSERT_GE(answer.size(), 59u);
        SYSTEMTIME now;
        GetLocalTime(&now);
        char date[32];
        std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
        EXPECT_EQ(std::string(date), std::string(answer.begin() + 43, answer.begin() + 51));
        EXPECT_EQ(now.wHour, std::stoi(std::string(answer.begin() + 51, answer.begin() + 53)));
        ClearTestClock();  // the process clock offset back to zero
        s.Close();
    }
}

TEST_F(SessionTest, RefusedLoginKeepsTheSessionLoggedOut)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(ConnectSession(s));
    CString rights, number;
    EXPECT_FALSE(s.Login('*', 1, "8001", "wrong", rights, number));
    EXPECT_EQ(s.m_bLoggedIn, 0);
    EXPECT_EQ(s.status.back(), "登录失败");
}

// 300 members: the lead record and 138 members, then 139, then 23.
TEST_F(SessionTest, BatchGroupsGoOutIn139RecordPackets)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    for (int i = 0; i < 300; ++i) {
        CBatchMemberRecord m = {};
        std::memcpy(m.trader, "8001", 4);
        std::snprintf(m.customer, sizeof m.customer, "%d", 10000000 + i);
        m.priority = static_cast<uint16_t>(i);
        m.quantity = static_cast<uint16_t>(i + 1000);
        m.group = 2;
        BatchSendList.push_back(m);
    }
    const size_t before = Log("in").size();
    ASSERT_TRUE(s.SendBatchGroups(2));
    ASSERT_TRUE(WaitReceived(before + 3));
    std::vector<GatewayLogEntry> packets;
    for (const GatewayLogEntry &e : Log("in"))
        if (e.code == 37)
            packets.push_back(e);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0].bodyLength, 139 * 28);
    EXPECT_EQ(packets[1].bodyLength, 139 * 28);
    EXPECT_EQ(packets[2].bodyLength, 23 * 28);
    std::string all;
    for (const GatewayLogEntry &e : packets)
        all += e.body;
    BodyBuilder lead(28);
    lead.Text(0, "8001").Big16(24, 2);
    EXPECT_EQ(all.substr(0, 56), lead.Hex());
    for (int i : {0, 137, 138, 299}) {
        BodyBuilder m(28);
        m.Text(0, "8001").Text(10, std::to_string(10000000 + i).c_str());
        m.Big16(20, static_cast<uint16_t>(i)).Big16(22, static_cast<uint16_t>(i + 1000)).Big16(24, 2);
        EXPECT_EQ(all.substr(56 * (i + 1), 56), m.Hex()) << i;
    }
    EXPECT_EQ(BatchSendList.front().quantity, 1000) << "the list keeps host order";
}

TEST_F(SessionTest, RequestsWhileLoggedOut)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(ConnectSession(s));
    const std::function<bool()> silent[] = {
        [&] { return s.QueryClients(false); }, [&] { return s.QueryContracts(); },
        [&] { return s.QueryDeals(); },        [&] { return s.QueryOrders(); },
        [&] { return s.QueryFunds(); },        [&] { return s.SendContractRequest("cu2512"); },
        [&] { return s.SendLogout(0); },
    };
    for (const auto &send : silent)
        EXPECT_FALSE(send());
    EXPECT_TRUE(BoxTexts().empty());
    const std::function<bool()> refused[] = {
        [&] { return s.SendOrder(SampleOrder(), 'S', ""); },
        [&] { return s.SendCancelOrder(SampleOrder(), 'S'); },
        [&] { return s.SendOrderCheck(SampleOrder(), 'S', 7); },
        [&] { return s.ChangeTradePassword("8001", "1", "2"); },
    };
    for (const auto &send : refused)
        EXPECT_FALSE(send());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(4, "没有登录，请先登录"));
    PumpFor(300);
    EXPECT_EQ(Log("in").size(), 1u) << "only the hello went out";
}

// A wait ends only with the answer of its own request.
TEST_F(SessionTest, WaitsEndWithTheirOwnAnswer)
{
    ASSERT_TRUE(StartGateway());
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "10000001", "111111", 7));

    // A positions query just before: its procedure answer arrives first and must
    // not end the fund password's wait.
    ASSERT_TRUE(s.QueryPositions());
    EXPECT_TRUE(s.ChangeFundPassword("111111", "121212"));
    EXPECT_EQ(s.m_Answer.body.at(20), 20);
    EXPECT_FALSE(PositionList.empty()) << "the positions answer was handled meanwhile";
    EXPECT_FALSE(s.ChangeFundPassword("000000", "131313")) << "a refused change";

    // The client details are kept when asked for.
    EXPECT_TRUE(s.QueryClientDetails());
    EXPECT_FALSE(s.m_strClientName.IsEmpty());
    EXPECT_EQ(s.Count("name"), 1);

    // Another user's trade-password answer is handled and ignored.
    BodyBuilder other(68);
    other.Text(10, "99999999");
    const std::string sent = Command("{\"cmd\": \"send\", \"code\": 182, \"body\": \"" + other.Hex() + "\"}");
    ASSERT_NE(sent.find("\"ok\": true"), std::string::npos) << sent;
    EXPECT_TRUE(s.ChangeTradePassword("10000001", "111111", "111111"));
    int answers = 0;
    for (const GatewayLogEntry &e : Log("out"))
        answers += e.code == 182;
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(s.m_Answer.body.size(), 68u);
}

// A wait that fails (the connection closes) ends the trade-password change.
TEST_F(SessionTest, TradePasswordWaitEndsWhenTheConnectionCloses)
{
    ASSERT_TRUE(StartGateway({"--close-after", "2"}));
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "10000001", "111111", 7));
    EXPECT_FALSE(s.ChangeTradePassword("10000001", "111111", "222222"));
    EXPECT_EQ(s.m_bLoggedIn, 0);
}

} // namespace

// The client-mode query: in the client login every trade code of the customer goes
// into the client-mode list; in the trader login the customer's code on the marker's
// exchange goes to the customer box.
TEST_F(SessionTest, ClientModeAnswersByLoginKind)
{
    ASSERT_TRUE(StartGateway());
    {
        LiveSession s;
        ASSERT_TRUE(LogIn(s, "10000001", "111111", 7));
        ASSERT_TRUE(s.QueryClientMode('*', "10000001"));
        EXPECT_EQ(s.m_Answer.header.status, 0);
        std::vector<std::string> codes;
        for (const CClientModeRecord &r : ClientModeList)
            codes.push_back(std::string(1, r.text[20]) + ":" + std::string(r.text, strnlen(r.text, 10)));
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, (std::vector<std::string>{"D:01000001", "S:81000001", "Z:11000001"}));
        EXPECT_EQ(s.Count("customers"), 0);
    }
    ClearRecordLists();
    LiveSession s;
    ASSERT_TRUE(LogIn(s, "8001", "123456", 1));
    ASSERT_TRUE(s.QueryClientMode('S', "10000002"));
    EXPECT_EQ(s.m_Answer.header.status, 0);
    EXPECT_TRUE(ClientModeList.empty());
    EXPECT_EQ(s.Count("customers", "1 first last"), 1);
}
