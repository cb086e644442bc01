// The order entry page on the main sheet against the simulated gateway: single
// orders (the bytes the gateway received, the log, what the page keeps), the
// client mode's trade codes, the focus order, the contract field's variety keys
// and spelling, the quote, the position queries, the order list with its
// filters and cancels, the direct-send hand-over and bad input.
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/OrderListSort.h"
#include "platform/appframe/CEdit.h"
#include "tests/consign/pages/OrderFixture.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class OrderEntryTest : public pagestest::OrderFixture {
protected:
    // Customer and contract typed and confirmed, as leaving the contract field does.
    void Enter(const char *customer, const char *contract)
    {
        Page().SetDlgItemText(1011, customer);
        Page().SetDlgItemText(1012, contract);
        Page().OnContractKillFocus();
    }
    void Fill(const char *volume, const char *price)
    {
        Page().SetDlgItemText(1004, volume);
        Page().SetDlgItemText(1005, price);
    }
};

TEST_F(OrderEntryTest, SingleOrderGoesOutWithTheExchangeLetterAndKeepsTheFields)
{
    Open();
    Enter("10000001", "cu2512");
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    Fill("2", "62300");
    Click(Page(), 1009);
    ASSERT_TRUE(WaitReceived(52, 1));
    Fill("1", "62310");
    Page().m_DirectionBox.SetCurSel(1);
    Page().m_OpenCloseBox.SetCurSel(2);
    Click(Page(), 1009);
    ASSERT_TRUE(WaitReceived(52, 2));

    const auto orders = Received(52);
    ASSERT_EQ(orders[0].body.size(), 132u);
    EXPECT_EQ(orders[0].marker, 'S');
    EXPECT_EQ(orders[0].Text(0, 10), "8001");
    EXPECT_EQ(orders[0].Text(10, 10), "10000001");
    EXPECT_EQ(orders[0].Text(20, 10), "cu2512");
    EXPECT_EQ(orders[0].Number(40), 2);
    EXPECT_EQ(orders[0].Text(44, 8), "62300");
    EXPECT_EQ(orders[0].Number(56), 0);
    EXPECT_EQ(orders[0].Text(60, 8), "0001");
    EXPECT_EQ(orders[0].Number(68), 2);
    EXPECT_EQ(orders[0].body[74], 'n');
    EXPECT_EQ(orders[0].body[75], 0x03); // buy, open
    EXPECT_EQ(orders[0].Text(76, 10), "81000001");
    EXPECT_EQ(orders[0].Text(104, 10), "consign");
    EXPECT_EQ(orders[0].Text(114, 10), "");
    EXPECT_EQ(orders[1].Text(60, 8), "0002");
    EXPECT_EQ(orders[1].body[75], 0x00); // sell, close
    EXPECT_EQ(LocalOrderNumber, 3);

    const std::string log = LogText();
    EXPECT_NE(log.find("-点击发出委托按钮"), std::string::npos);
    EXPECT_NE(log.find("-委托发送/本地 10000001,cu2512,买,2,开仓,62300"), std::string::npos);
    EXPECT_NE(log.find("-委托发送/本地 10000001,cu2512,\xA3\xA0卖,1,平仓,62310"), std::string::npos);

    // ClearAllAfterOrder 0: only volume and price go; the customer field is
    // focused with its text selected.
    EXPECT_EQ(Text(Page(), 1011), "10000001");
    EXPECT_EQ(Text(Page(), 1012), "cu2512");
    EXPECT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    EXPECT_EQ(Text(Page(), 1004), "");
    EXPECT_EQ(Text(Page(), 1005), "");
    EXPECT_EQ(FocusId(), 1011);
    EXPECT_EQ(static_cast<DWORD>(Page().SendDlgItemMessage(1011, EM_GETSEL)), MAKELONG(0, 8));

    // The answers put both orders into the list beside the day's resting
    // order (the day's dealt one stays out while 已成交 is unchecked).
    ASSERT_TRUE(PumpUntil([&] { return Page().m_OrderList.GetItemCount() == 3; }));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Page().m_OrderList.GetItemText(row, 1), "10000001");
        EXPECT_EQ(Page().m_OrderList.GetItemText(row, 2), "cu2512");
        EXPECT_NE(std::string(Page().m_OrderList.GetItemText(row, 3)), "");
    }
    KeepPicture("order-page.png");
}

TEST_F(OrderEntryTest, ClearAllAfterOrderEmptiesTheOrderButNotWhatARefusedSendTyped)
{
    Settings("[Config]\r\nClearAllAfterOrder=1\r\n");
    Open();
    Enter("10000002", "m2601");
    Fill("1", "3412");
    Page().m_HedgeBox.SetCurSel(1);
    Click(Page(), 1009);
    ASSERT_TRUE(WaitReceived(52, 1));
    EXPECT_EQ(Received(52)[0].marker, 'D');
    EXPECT_EQ(Received(52)[0].body[75], 0x07);
    EXPECT_EQ(Text(Page(), 1011), "");
    EXPECT_EQ(Text(Page(), 1012), "");
    EXPECT_EQ(Page().m_TradeCodeBox.GetCount(), 0);
    EXPECT_EQ(Page().m_HedgeBox.GetCurSel(), 0);

    // Logged out: the session refuses, the page keeps every field.
    Enter("10000002", "m2601");
    Fill("1", "3412");
    TheTradeSession().m_bLoggedIn = 0;
    Click(Page(), 1009);
    EXPECT_EQ(LastBox(), "没有登录，请先登录");
    EXPECT_EQ(Text(Page(), 1011), "10000002");
    EXPECT_EQ(Text(Page(), 1004), "1");
    EXPECT_EQ(Text(Page(), 1005), "3412");
    EXPECT_EQ(LocalOrderNumber, 2);
}

TEST_F(OrderEntryTest, ClientModeTakesTheTradeCodesOfTheClientModeList)
{
    Open("10000003", "333333", 7);
    EXPECT_FALSE(Page().GetDlgItem(1011)->IsWindowEnabled());
    EXPECT_TRUE(Page().GetDlgItem(1014)->IsWindowVisible());
    Page().SetDlgItemText(1012, "cu2512");
    Page().OnContractKillFocus();
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    CString code;
    Page().m_TradeCodeBox.GetLBText(0, code);
    EXPECT_EQ(code, "81000003");
    Fill("1", "62300");
    Click(Page(), 1009);
    ASSERT_TRUE(WaitReceived(52, 1));
    EXPECT_EQ(Received(52)[0].Text(10, 10), "10000003");
    EXPECT_EQ(Received(52)[0].Text(76, 10), "81000003");
    // In client mode the focus goes back to the contract.
    EXPECT_EQ(FocusId(), 1012);
}

// An order handed over on the command line names a contract but no trade code
// (the terminal does not know them): the sheet opens before the contracts are
// known, and once they are, the contract's trade codes fill the box as its
// confirmation would; a handed-over code is kept as it is.
TEST_F(OrderEntryTest, AHandedOverContractWithoutTradeCodeGetsTheClientsCode)
{
    CmdLineRecord.requestCode = CMDLINE_ORDER_REQUEST;
    std::strcpy(CmdLineRecord.contract, "cu2512");
    std::strcpy(CmdLineRecord.direction, "0");
    std::strcpy(CmdLineRecord.quantity, "1");
    Open("10000003", "333333", 7);
    EXPECT_EQ(Text(Page(), 1012), "cu2512");
    ASSERT_TRUE(PumpUntil([&] { return Page().m_TradeCodeBox.GetCount() > 0; }));
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    EXPECT_EQ(Page().m_TradeCodeBox.GetCurSel(), 0);
    CString code;
    Page().m_TradeCodeBox.GetLBText(0, code);
    EXPECT_EQ(code, "81000003");

    // Handed over to the running sheet: the contract's codes at once.
    Page().m_TradeCodeBox.ResetContent();
    CCmdLineOrder again{};
    again.requestCode = CMDLINE_ORDER_REQUEST;
    std::strcpy(again.contract, "cu2512");
    sheet->FillOrderFromCommandLine(again);
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    EXPECT_EQ(Page().m_TradeCodeBox.GetCurSel(), 0);
    // A code handed over stays the only one.
    std::strcpy(again.tradeCode, "81999999");
    sheet->FillOrderFromCommandLine(again);
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    Page().m_TradeCodeBox.GetLBText(0, code);
    EXPECT_EQ(code, "81999999");
    // An unknown contract is left for its confirmation to refuse: no message now.
    Page().m_TradeCodeBox.ResetContent();
    std::strcpy(again.contract, "zz9999");
    again.tradeCode[0] = 0;
    sheet->FillOrderFromCommandLine(again);
    EXPECT_EQ(Page().m_TradeCodeBox.GetCount(), 0);
    EXPECT_EQ(LastBox(), "");
}

TEST_F(OrderEntryTest, EnterFollowsTheConfiguredOrderAndTheRowsAreLaidOutSo)
{
    Settings("[Config]\r\nClearAllAfterOrder=0\r\n[Order Cequence]\r\nMM=3\r\nSL=1\r\nJG=2\r\n");
    Open();
    struct Case {
        const char *sequence;
        std::vector<int> forward; // Enter from the trade-code list on
        std::vector<int> back;    // Up arrow from the send button on
    } cases[] = {
        {"MM=3\r\nSL=1\r\nJG=2\r\n", {1004, 1005, 1236, 1237, 1238, 1009}, {1238, 1237, 1236, 1005, 1004, 1055}},
        {"MM=3\r\nSL=1\r\nJG=2\r\nSHSKIP=1\r\n", {1004, 1005, 1236, 1237, 1009}, {1238, 1237, 1236, 1005, 1004, 1055}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sequence);
        Settings(std::string("[Config]\r\nClearAllAfterOrder=0\r\n[Order Cequence]\r\n") + c.sequence);
        Page().LoadFocusOrder();
        Page().GotoDlgCtrl(Page().GetDlgItem(1055));
        for (int expected : c.forward) {
            Key(VK_RETURN);
            EXPECT_EQ(FocusId(), expected);
        }
        for (int expected : c.back) {
            Key(VK_UP);
            EXPECT_EQ(FocusId(), expected);
        }
    }
    // Rows from top to bottom in the same order: volume, price, direction,
    // open/close, hedge.
    int last = -1;
    for (int id : {1004, 1005, 1236, 1237, 1238, 1009}) {
        CRect r;
        Page().GetDlgItem(id)->GetWindowRect(&r);
        EXPECT_GT(r.top, last) << id;
        last = r.top;
    }
    // Down in the direction list moves on instead of changing the choice; F1
    // goes to the contract.
    Page().GotoDlgCtrl(Page().GetDlgItem(1236));
    Key(VK_DOWN);
    EXPECT_EQ(FocusId(), 1237);
    EXPECT_EQ(Page().m_DirectionBox.GetCurSel(), 0);
    Key(VK_F1);
    EXPECT_EQ(FocusId(), 1012);
}

TEST_F(OrderEntryTest, ContractFieldExpandsVarietyKeysAndTakesTheListsSpelling)
{
    Settings("[Config]\r\nClearAllAfterOrder=0\r\n[Variety key]\r\n1=cu\r\n2=m\r\n[Variety name]\r\n1=铜\r\n2=豆粕\r\n");
    Open();
    Page().SetDlgItemText(1012, "1");
    EXPECT_EQ(Text(Page(), 1012), "cu");
    EXPECT_EQ(static_cast<DWORD>(Page().SendDlgItemMessage(1012, EM_GETSEL)), MAKELONG(2, 2));
    EXPECT_EQ(Text(Page(), 1025), "铜");
    EXPECT_EQ(StatusButton(), "输入 铜:1   豆粕:2   ");
    Page().SetDlgItemText(1012, "1801");
    EXPECT_EQ(Text(Page(), 1012), "cu801");

    // A contract of the list in another case: the list's spelling, and its quote.
    Page().SetDlgItemText(1012, "CU2512");
    Page().OnContractKillFocus();
    EXPECT_EQ(Text(Page(), 1012), "cu2512");
    ASSERT_TRUE(PumpUntil([&] { return Page().m_bQuoteAvailable; }));
    EXPECT_EQ(Text(Page(), 1151), " 行情：cu2512 ");
    for (int id : {1155, 1154, 1008, 1156, 1157, 1158})
        EXPECT_NE(Text(Page(), id), "") << id;
    EXPECT_EQ(Received(76).back().Text(41, 10), "cu2512");

    // 卖出 with no price takes the bid; with a price typed nothing changes.
    Page().m_DirectionBox.SetCurSel(1);
    Page().UpdateDirectionFlag();
    EXPECT_EQ(Text(Page(), 1005), Text(Page(), 1154));
    Page().SetDlgItemText(1005, "1");
    Page().m_DirectionBox.SetCurSel(0);
    Page().UpdateDirectionFlag();
    EXPECT_EQ(Text(Page(), 1005), "1");

    // Unknown contracts, long or odd texts: "合约不存在", nothing asked.
    const size_t asked = Received(85).size();
    for (const char *bad : {"xx9999", "*-1", "铜铜铜铜铜", "cu2512cu2512cu2512cu2512"}) {
        Page().SetDlgItemText(1012, bad);
        Page().OnContractKillFocus();
        EXPECT_EQ(LastBox(), "合约不存在") << bad;
    }
    EXPECT_EQ(Received(85).size(), asked);
}

TEST_F(OrderEntryTest, VolumeFieldAsksForBothPositionsAndShowsBothAnswers)
{
    Open();
    Enter("10000001", "cu2512");
    Page().SetDlgItemText(1005, "62000");
    Page().GotoDlgCtrl(Page().GetDlgItem(1004));
    ASSERT_TRUE(WaitReceived(88, 1));
    ASSERT_TRUE(WaitReceived(80, 1));
    const pagestest::ReceivedPacket procedure = Received(88).back();
    EXPECT_EQ(procedure.body[20], 1);
    EXPECT_EQ(procedure.Text(21, 20), "10000001");
    EXPECT_EQ(procedure.Text(41, 20), "cu2512");
    EXPECT_EQ(procedure.Text(61, 20), "62000");
    EXPECT_EQ(procedure.body.substr(141, 3), "00S");
    EXPECT_EQ(procedure.Text(147, 40), "LQueryCommonMaxPos");
    EXPECT_EQ(Received(80).back().Text(20, 10), "cu2512");
    ASSERT_TRUE(PumpUntil([&] {
        const std::string text = static_cast<LPCSTR>(StatusButton());
        return text.find("可开手数") != std::string::npos && text.find("可用:") != std::string::npos;
    }));
}

TEST_F(OrderEntryTest, OrderListFollowsTheFiltersAndCancelsAskByState)
{
    Open();
    ASSERT_TRUE(TheTradeSession().QueryOrders());
    ASSERT_TRUE(PumpUntil([&] { return OrderList.size() >= 2; }));
    // Orders of every state, as the list answer would hold them.
    OrderList.clear();
    const char states[] = "acdefmnpq";
    for (int i = 0; states[i]; ++i) {
        COrderQueryRecord r{};
        SetRecordNumber(r.data, OrderQueryField::number, 100 + i);
        std::memcpy(r.data + OrderQueryField::customer, "10000001", 8);
        std::memcpy(r.data + OrderQueryField::contract, "cu2512", 6);
        std::memcpy(r.data + OrderQueryField::price, "62000", 5);
        r.data[OrderQueryField::status] = static_cast<BYTE>(states[i]);
        r.data[OrderQueryField::direction] = '0';
        r.data[OrderQueryField::openClose] = '0';
        SetRecordNumber(r.data, OrderQueryField::volume, 5);
        SetRecordNumber(r.data, OrderQueryField::remaining, 5);
        SetRecordNumber(r.data, OrderQueryField::dealt, states[i] == 'd' && i == 2 ? 2 : 0);
        OrderList.push_back(r);
    }
    COrderRecord refused{};
    std::memcpy(refused.customer, "10000002", 8);
    refused.orderNumber = 99;
    AddRejectedOrder(refused, "可用资金不足");

    CQOrderPage &filters = sheet->m_QOrderPage;
    struct Case {
        int dealt, cancelled, errors;
        std::vector<std::string> rows;
    } cases[] = {
        {0, 0, 0, {"已经报入", "错误委托", "等待撤除", "等待报入", "部分成交"}},
        {1, 0, 0, {"已经报入", "全部成交", "错误委托", "等待撤除", "等待报入", "部分成交"}},
        {0, 1, 1, {"错误委托", "已经报入", "部成部撤", "错误委托", "等待撤除", "主机撤单", "等待报入", "部分成交", "主机撤单"}},
    };
    for (const Case &c : cases) {
        filters.m_bShowDealt = c.dealt;
        filters.m_bShowCancelled = c.cancelled;
        filters.m_bShowErrors = c.errors;
        Page().RefreshOrderList();
        std::vector<std::string> rows;
        for (int i = 0; i < Page().m_OrderList.GetItemCount(); ++i)
            rows.push_back(std::string(Page().m_OrderList.GetItemText(i, 3)));
        EXPECT_EQ(rows, c.rows);
    }
    EXPECT_EQ(Page().m_OrderList.GetItemText(0, 10), "可用资金不足");
    EXPECT_EQ(Page().m_OrderList.GetItemText(1, 6), "5:5");

    // A double click cancels 'n' (with the warning) and 'a'; the other states do nothing.
    auto select = [&](int number) {
        for (int i = 0; i < Page().m_OrderList.GetItemCount(); ++i) {
            const bool mine = Page().m_OrderList.GetItemText(i, 0) == std::to_string(number).c_str();
            Page().m_OrderList.SetItemState(i, mine ? LVIS_SELECTED : 0, LVIS_SELECTED);
        }
    };
    for (int i = 0; states[i]; ++i) {
        if (states[i] == 'n' || states[i] == 'a' || states[i] == 'p')
            continue;
        select(100 + i);
        const size_t boxes = BoxTexts().size();
        Page().CancelOrder();
        EXPECT_EQ(BoxTexts().size(), boxes) << states[i];
    }
    // 'a' first, answered No: nothing is sent. (A sent cancel brings a fresh
    // list from the gateway, which replaces the hand-made one.)
    ScriptMessageBoxAnswers({IDNO});
    select(100); // 'a'
    Page().CancelOrder();
    EXPECT_EQ(LastBox(), "确认撤除单号为100的委托?");
    Pump(100);
    EXPECT_TRUE(Received(53).empty());
    ScriptMessageBoxAnswers({IDYES});
    select(106); // 'n'
    Page().CancelOrder();
    ASSERT_TRUE(WaitReceived(53, 1));
    EXPECT_EQ(LastBox().rfind("106 号委托单状态不明", 0), 0u);
    EXPECT_EQ(ShownMessageBoxes().back().type & MB_DEFMASK, MB_DEFBUTTON2);
    const pagestest::ReceivedPacket cancel = Received(53).back();
    EXPECT_EQ(cancel.marker, 'S');
    EXPECT_EQ(cancel.body[74], 'f');
    EXPECT_EQ(cancel.Number(52), 106);
    EXPECT_EQ(cancel.body[75], 0x03);

    // A column click sorts by the shared comparison, reversing each time.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = Page().m_OrderList.m_hWnd;
    click.hdr.idFrom = 1107;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 0;
    const int before = OrderSortDirection;
    Page().SendMessage(WM_NOTIFY, 1107, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(OrderSortDirection, -before);
    OrderSortDirection = before;
}

TEST_F(OrderEntryTest, ReportsUpdateTheirRowsThroughTheSheet)
{
    Open();
    Enter("10000001", "cu2512");
    Fill("1", "62000"); // rests below the ask
    Click(Page(), 1009);
    // Beside the day's resting order.
    ASSERT_TRUE(PumpUntil([&] { return Page().m_OrderList.GetItemCount() == 2; }));
    ASSERT_TRUE(PumpUntil([&] { return Page().m_OrderList.GetItemText(1, 3) == "已经报入"; }));
    EXPECT_NE(Page().m_OrderList.GetItemText(1, 8), "");

    // A crossing order fills at once: its deal report turns the row to 全部成交,
    // which leaves the list while 已成交 is unchecked.
    Fill("1", "62400");
    Click(Page(), 1009);
    ASSERT_TRUE(PumpUntil([&] {
        for (const COrderQueryRecord &r : OrderList)
            if (r.data[OrderQueryField::status] == 'c')
                return true;
        return false;
    }));
    ASSERT_TRUE(PumpUntil([&] { return Page().m_OrderList.GetItemCount() == 2; }));
    sheet->m_QOrderPage.m_bShowDealt = 1;
    Page().RefreshOrderList();
    int dealt = 0;
    for (int row = 0; row < Page().m_OrderList.GetItemCount(); ++row)
        if (Page().m_OrderList.GetItemText(row, 3) == "全部成交") {
            ++dealt;
            EXPECT_EQ(Page().m_OrderList.GetItemText(row, 6).Right(2), ":0");
        }
    EXPECT_GE(dealt, 1);
}

TEST_F(OrderEntryTest, DirectSendHandOverIsCheckedLikeThePagesOwnOrders)
{
    Open("10000003", "333333", 7);
    auto record = [](const char *quantity, const char *direction) {
        CCmdLineOrder r{};
        r.requestCode = CMDLINE_ORDER_REQUEST;
        std::strcpy(r.contract, "cu2512");
        std::strcpy(r.tradeCode, "81000003");
        std::strcpy(r.direction, direction);
        std::strcpy(r.price, "62300");
        std::strcpy(r.quantity, quantity);
        std::strcpy(r.openClose, "0");
        std::strcpy(r.hedge, "0");
        r.sendDirectly = 1;
        return r;
    };
    auto handOver = [&](const CCmdLineOrder &r) {
        COPYDATASTRUCT data{CMDLINE_ORDER_REQUEST, sizeof r, const_cast<CCmdLineOrder *>(&r)};
        sheet->SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    };
    handOver(record("3", "0"));
    ASSERT_TRUE(WaitReceived(52, 1));
    const pagestest::ReceivedPacket order = Received(52)[0];
    EXPECT_EQ(order.marker, 'S');
    EXPECT_EQ(order.Text(10, 10), "10000003");
    EXPECT_EQ(order.Number(40), 3);
    EXPECT_EQ(order.body[75], 0x03);
    const std::string prompt = "委托发送：10000003，cu2512，买，3，开仓，62300";
    ASSERT_TRUE(PumpUntil([&] { return FindWindowA(nullptr, "提示信息") != 0; }));
    EXPECT_NE(LogText().find("-" + prompt), std::string::npos);

    // Refused and logged: no volume, a volume that is no number, no direction.
    for (const auto &[quantity, direction] : std::vector<std::pair<const char *, const char *>>{
             {"", "0"}, {"9x", "0"}, {"99999999999", "1"}, {"1", ""}}) {
        handOver(record(quantity, direction));
    }
    Pump(200);
    EXPECT_EQ(Received(52).size(), 1u);
    const std::string log = LogText();
    EXPECT_NE(log.find("-直接发送的委托被拒绝:委托手数不合法"), std::string::npos);
    EXPECT_NE(log.find("-直接发送的委托被拒绝:买卖、开平或投保不合法"), std::string::npos);
}

TEST_F(OrderEntryTest, BadCustomersVolumesAndPricesAreRefusedBeforeAnythingIsSent)
{
    Open();
    struct Case {
        const char *customer, *contract, *volume, *price, *message;
    } cases[] = {
        {"99999999", "cu2512", "1", "62000", "客户不存在"},
        {"铜铜铜铜", "cu2512", "1", "62000", "客户不存在"},
        {"10000001", "cu9999", "1", "62000", "合约不存在"},
        {"10000001", "cu2512", "0", "62000", "委托手数不合法"},
        {"10000001", "cu2512", "-3", "62000", "委托手数不合法"},
        {"10000001", "cu2512", "abc", "62000", "委托手数不合法"},
        {"10000001", "cu2512", "99999999999", "62000", "委托手数不合法"},
        {"10000001", "cu2512", "1", "6x", "价格不合法"},
        {"10000001", "cu2512", "1", "", "价格不合法"},
        {"*-1", "cu2512", "1", "62000", "您没有设定这么多批量组，请重新指定"},
    };
    BatchGroupTable = {Group({{"10000001", 1}}), Group({{"10000002", 1}})};
    Enter("10000001", "cu2512");
    for (const Case &c : cases) {
        Page().SetDlgItemText(1011, c.customer);
        Page().SetDlgItemText(1012, c.contract);
        Fill(c.volume, c.price);
        Click(Page(), 1009);
        EXPECT_EQ(LastBox(), c.message) << c.customer << " " << c.volume << " " << c.price;
    }
    // No trade code: the single order is refused with its own message.
    Page().m_TradeCodeBox.ResetContent();
    Page().SetDlgItemText(1011, "10000001");
    Page().SetDlgItemText(1012, "cu2512");
    Fill("1", "62000");
    Click(Page(), 1009);
    EXPECT_EQ(LastBox(), "该客户交易编码不存在");
    Pump(100);
    EXPECT_TRUE(Received(52).empty());
    EXPECT_TRUE(Received(39).empty());
}

TEST_F(OrderEntryTest, QuoteColourComesFromTheChooserAndIsSaved)
{
    Open();
    ScriptDialogAnswers({DialogAnswer{true, {}, static_cast<TColor>(RGB(0, 0, 200))}});
    CRect group;
    Page().GetDlgItem(1151)->GetWindowRect(&group);
    Page().ScreenToClient(&group);
    MSG msg{};
    msg.hwnd = Page().m_hWnd;
    msg.message = WM_LBUTTONDBLCLK;
    msg.lParam = static_cast<LPARAM>(MAKELONG(group.left + 4, group.top + 4));
    EXPECT_TRUE(Page().PreTranslateMessage(&msg));
    ASSERT_EQ(ShownDialogs().size(), 1u);
    EXPECT_EQ(ShownDialogs()[0].className, "CColorDialog");
    EXPECT_EQ(Page().m_QuoteColor, RGB(0, 0, 200));
    EXPECT_EQ(GetPrivateProfileIntA("HQColor", "Blue", -1, settings.c_str()), 200u);
    EXPECT_EQ(GetPrivateProfileIntA("HQColor", "Read", -1, settings.c_str()), 0u);
}

} // namespace

namespace {

// The trader's customer list holds each customer once (not once per trade
// code), so that a number typed with a leading zero finds its one customer.
TEST_F(OrderEntryTest, CustomerListHoldsEachCustomerOnce)
{
    Open();
    std::vector<std::string> customers;
    for (const CClientRecord &r : ClientList)
        customers.push_back(std::string(r.customer, strnlen(r.customer, sizeof r.customer)));
    EXPECT_EQ(customers, (std::vector<std::string>{"10000001", "10000002", "10000003"}));
    Page().SetDlgItemText(1011, "010000001");
    Page().GetDlgItem(1011)->SetFocus();
    sheet->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(std::string(Text(Page(), 1011)), "10000001");
}

} // namespace
