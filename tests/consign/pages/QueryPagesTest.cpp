// The query pages of the main sheet against the simulated gateway: the orders
// page's filters, reports and cancels, the deals page with its merge, the funds
// and contracts pages, and the sorts by a column click.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/CQDealPage.h"
#include "consign/pages/CQFundPage.h"
#include "consign/pages/OrderListSort.h"
#include "tests/consign/pages/OrderFixture.h"
#include "platform/win/Window.h"
#include "tests/support/ModalScript.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;
namespace F = OrderQueryField;
namespace D = DealField;

class QueryPagesTest : public pagestest::OrderFixture {
protected:
    static std::vector<std::string> Column(const CListCtrl &list, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.push_back(std::string(list.GetItemText(row, column)));
        return texts;
    }
    static int RowOf(const CListCtrl &list, int column, const std::string &text)
    {
        for (int row = 0; row < list.GetItemCount(); ++row)
            if (std::string(list.GetItemText(row, column)) == text)
                return row;
        return -1;
    }
    static void Select(CListCtrl &list, int row)
    {
        for (int i = 0; i < list.GetItemCount(); ++i)
            list.SetItemState(i, i == row ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
    static void Notify(CWnd &page, CListCtrl &list, UINT code, int column = 0)
    {
        NMLISTVIEW n{};
        n.hdr.hwndFrom = list.m_hWnd;
        n.hdr.idFrom = 1004;
        n.hdr.code = code;
        n.iSubItem = column;
        page.SendMessage(WM_NOTIFY, 1004, reinterpret_cast<LPARAM>(&n));
    }
    static COrderQueryRecord Order(int number, char status, int volume, int remaining, int dealt)
    {
        COrderQueryRecord r{};
        std::memcpy(r.data + F::account, "8001", 4);
        SetRecordNumber(r.data, F::number, number);
        std::memcpy(r.data + F::customer, "10000001", 8);
        std::memcpy(r.data + F::contract, "cu2512", 6);
        std::memcpy(r.data + F::price, "62000", 5);
        std::memcpy(r.data + F::system, "00000042", 8);
        std::memcpy(r.data + F::tradeCode, "81000001", 8);
        r.data[F::status] = static_cast<BYTE>(status);
        r.data[F::direction] = '0';
        r.data[F::openClose] = '0';
        r.data[F::hedge] = '0';
        SetRecordNumber(r.data, F::volume, volume);
        SetRecordNumber(r.data, F::remaining, remaining);
        SetRecordNumber(r.data, F::dealt, dealt);
        return r;
    }
    static CDealRecord Deal(int order, const char *price, int bought, int sold, const char *dealNumber)
    {
        CDealRecord d{};
        std::memcpy(d.data + D::customer, "10000001", 8);
        std::memcpy(d.data + D::contract, "m2601", 5);
        std::memcpy(d.data + D::price, price, std::strlen(price));
        std::memcpy(d.data + D::system, "00000007", 8);
        std::memcpy(d.data + D::dealNumber, dealNumber, std::strlen(dealNumber));
        std::memcpy(d.data + D::tradeCode, "01000001", 8);
        SetRecordNumber(d.data, D::number, order);
        SetRecordNumber(d.data, D::bought, bought);
        SetRecordNumber(d.data, D::sold, sold);
        d.data[D::openClose] = '0';
        d.data[D::hedge] = '0';
        return d;
    }
    void Show(int page)
    {
        sheet->SetActivePage(page);
        Pump(20);
    }
    CQOrderPage &Orders() { return sheet->m_QOrderPage; }
    CQDealPage &Deals() { return sheet->m_QDealPage; }
    // Waits until the gateway has had `queries` order queries (the order page
    // asks after each order) and the client has taken every answer before a
    // later funds answer.
    void Settle(size_t queries)
    {
        ASSERT_TRUE(WaitReceived(60, queries));
        FundList.clear();
        ASSERT_TRUE(TheTradeSession().QueryFunds());
        ASSERT_TRUE(PumpUntil([] { return FundList.size() == 3; }));
    }
    // Sends an order from the order entry page and waits for its acceptance.
    int32_t PlaceOrder(const char *customer, const char *contract, const char *volume, const char *price)
    {
        // The gateway numbers orders upwards: the new order is the first one
        // above every number seen so far.
        for (const COrderQueryRecord &r : OrderList)
            lastPlaced_ = std::max(lastPlaced_, RecordNumber(r.data, F::number));
        const size_t rejected = RejectedOrderList.size();
        Page().SetDlgItemText(1011, customer);
        Page().SetDlgItemText(1012, contract);
        Page().OnContractKillFocus();
        Page().SetDlgItemText(1004, volume);
        Page().SetDlgItemText(1005, price);
        Click(Page(), 1009);
        int32_t placed = -1;
        PumpUntil([&] {
            for (const COrderQueryRecord &r : OrderList)
                if (RecordNumber(r.data, F::number) > lastPlaced_)
                    placed = RecordNumber(r.data, F::number);
            return placed > 0 || RejectedOrderList.size() > rejected;
        });
        if (placed > 0)
            lastPlaced_ = placed;
        return placed;
    }
    int32_t lastPlaced_ = 0;
};

TEST_F(QueryPagesTest, OrdersPageFiltersAndReadsCancelledOrders)
{
    Open();
    Show(1);
    OrderList.clear();
    OrderList.push_back(Order(1, 'c', 5, 0, 5));
    OrderList.push_back(Order(2, 'd', 5, 3, 2));
    OrderList.push_back(Order(3, 'p', 5, 2, 3));
    OrderList.push_back(Order(4, 'd', 5, 5, 0));
    struct Case {
        int dealt, cancelled;
        std::vector<std::string> numbers, states;
    } cases[] = {
        {0, 0, {"3"}, {"部分成交"}},
        {1, 0, {"1", "3"}, {"全部成交", "部分成交"}},
        {0, 1, {"2", "3", "4"}, {"部成部撤", "部分成交", "已经撤销"}},
    };
    for (const Case &c : cases) {
        Orders().m_bShowDealt = c.dealt;
        Orders().m_bShowCancelled = c.cancelled;
        Orders().UpdateData(FALSE);
        Click(Orders(), 1240);
        EXPECT_EQ(Column(Orders().m_List, 0), c.numbers);
        EXPECT_EQ(Column(Orders().m_List, 3), c.states);
        // The order entry page's list follows the same boxes.
        EXPECT_EQ(Column(Page().m_OrderList, 0), c.numbers);
    }
    EXPECT_EQ(Orders().m_List.GetItemText(0, 6), "5:3");
    EXPECT_EQ(Orders().m_List.GetItemText(0, 8), "00000042");
    EXPECT_EQ(Orders().m_List.GetItemText(0, 9), "81000001");
    EXPECT_EQ(Orders().m_List.GetItemText(0, 4), "买");
    EXPECT_EQ(Orders().m_List.GetItemText(0, 5), "开仓");
}

TEST_F(QueryPagesTest, OrdersPageFollowsTheGatewaysAnswersAndDeals)
{
    Open();
    Show(2);
    Show(1);
    Orders().m_bShowErrors = 1;
    Orders().UpdateData(FALSE);
    ASSERT_TRUE(TheTradeSession().QueryOrders());
    // The day's resting order.
    ASSERT_TRUE(PumpUntil([&] { return Orders().m_List.GetItemCount() >= 1; }));
    // An accepted order joins; a deal of 2 then 3 of its 5 lots.
    const int32_t number = PlaceOrder("10000001", "cu2512", "5", "62000");
    ASSERT_GT(number, 0);
    const std::string text = std::to_string(number);
    ASSERT_TRUE(PumpUntil([&] { return RowOf(Orders().m_List, 0, text) >= 0; }));
    ASSERT_TRUE(PumpUntil([&] { return Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, text), 3) == "已经报入"; }));
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"deal\", \"order\": " + text + ", \"volume\": 2}");
    ASSERT_TRUE(PumpUntil([&] { return Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, text), 6) == "5:3"; }));
    EXPECT_EQ(Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, text), 3), "部分成交");
    // With 已成交 checked the full deal shows 全部成交 and 5:0.
    Orders().m_bShowDealt = 1;
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"deal\", \"order\": " + text + ", \"volume\": 3}");
    ASSERT_TRUE(PumpUntil([&] { return Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, text), 6) == "5:0"; }));
    EXPECT_EQ(Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, text), 3), "全部成交");
    // Both deals reached the deals page, with the order's letter after each.
    ASSERT_TRUE(PumpUntil([&] { return RowOf(Deals().m_List, 1, text) >= 0; }));
    int deals = 0;
    for (const CDealRecord &d : DealList)
        if (RecordNumber(d.data, D::number) == number) {
            ++deals;
            EXPECT_EQ(d.data[D::status], deals == 1 ? 'p' : 'c');
        }
    EXPECT_EQ(deals, 2);

    // Without 已成交 a full deal drops the row.
    Orders().m_bShowDealt = 0;
    const int32_t second = PlaceOrder("10000001", "cu2512", "3", "62000");
    const std::string secondText = std::to_string(second);
    ASSERT_TRUE(PumpUntil([&] { return RowOf(Orders().m_List, 0, secondText) >= 0; }));
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"deal\", \"order\": " + secondText + ", \"volume\": 3}");
    ASSERT_TRUE(PumpUntil([&] { return RowOf(Orders().m_List, 0, secondText) < 0; }));

    // A refused order comes first, as 错误委托 with the gateway's text.
    PlaceOrder("10000002", "cu2512", "100", "62000");
    ASSERT_TRUE(PumpUntil([&] { return !RejectedOrderList.empty(); }));
    ASSERT_TRUE(PumpUntil([&] { return Orders().m_List.GetItemText(0, 3) == "错误委托"; }));
    EXPECT_EQ(Orders().m_List.GetItemText(0, 10), "可用资金不足");
}

TEST_F(QueryPagesTest, CancelsByDoubleClickAndByNumber)
{
    Open();
    Show(1);
    auto state = [](int32_t number) {
        for (const COrderQueryRecord &r : OrderList)
            if (RecordNumber(r.data, F::number) == number)
                return static_cast<char>(r.data[F::status]);
        return '\0';
    };
    const int32_t resting = PlaceOrder("10000001", "cu2512", "1", "62000");
    const int32_t dealt = PlaceOrder("10000001", "cu2512", "1", "62000");
    const int32_t other = PlaceOrder("10000001", "cu2512", "1", "62000");
    Settle(3);
    ASSERT_EQ(state(resting), 'a');
    ASSERT_EQ(state(other), 'a');
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"deal\", \"order\": " + std::to_string(dealt) + "}");
    ASSERT_TRUE(PumpUntil([&] { return state(dealt) == 'c'; }));
    Orders().m_bShowDealt = 1;
    // 已撤单 checked before the cancel goes out: its report may come in while
    // the test still waits for the request, and would drop the row otherwise.
    Orders().m_bShowCancelled = 1;
    Orders().RefreshList();

    // A double click on a dealt order does nothing; on an accepted one it asks
    // and sends status 'f' with the trader.
    Select(Orders().m_List, RowOf(Orders().m_List, 0, std::to_string(dealt)));
    const size_t boxes = BoxTexts().size();
    Notify(Orders(), Orders().m_List, NM_DBLCLK);
    EXPECT_EQ(BoxTexts().size(), boxes);
    ScriptMessageBoxAnswers({IDYES});
    ASSERT_GE(RowOf(Orders().m_List, 0, std::to_string(resting)), 0);
    ASSERT_EQ(state(resting), 'a') << resting << " " << dealt << " " << other;
    Select(Orders().m_List, RowOf(Orders().m_List, 0, std::to_string(resting)));
    Notify(Orders(), Orders().m_List, NM_DBLCLK);
    EXPECT_EQ(LastBox(), "确认撤除单号为" + std::to_string(resting) + "的委托?");
    ASSERT_TRUE(WaitReceived(53, 1));
    pagestest::ReceivedPacket cancel = Received(53).back();
    EXPECT_EQ(cancel.body[74], 'f');
    EXPECT_EQ(cancel.Number(52), resting);
    EXPECT_EQ(cancel.Text(0, 10), "8001");
    EXPECT_EQ(cancel.Text(114, 10), "8001");
    EXPECT_EQ(cancel.Text(30, 10).size(), 8u) << "the system number";
    EXPECT_EQ(cancel.marker, 'S');
    // The status report turns the row to 已经撤销 (已撤单 checked) or drops it.
    ASSERT_TRUE(PumpUntil([&] {
        return Orders().m_List.GetItemText(RowOf(Orders().m_List, 0, std::to_string(resting)), 3) == "已经撤销";
    }));

    // The numeric pad's "-" asks for a number: unknown, not cancellable, then
    // a resting order, sent at once with its own status.
    struct Case {
        int32_t number;
        const char *message;
    } cases[] = {{123456, "非当前用户委托!"}, {dealt, "该委托无法撤销!"}, {other, nullptr}};
    for (const Case &c : cases) {
        ScriptMessageBoxAnswers({IDOK});
        testsupport::ModalScript script("确认撤单", [&](HWND h) {
            CWnd::FromHandle(h)->SetDlgItemText(1027, std::to_string(c.number).c_str());
            PostMessageA(h, WM_COMMAND, IDOK, 0);
        });
        const size_t before = BoxTexts().size();
        MSG key{};
        key.hwnd = Orders().m_List.m_hWnd;
        key.message = WM_KEYDOWN;
        key.wParam = VK_SUBTRACT;
        EXPECT_TRUE(sheet->PreTranslateMessage(&key));
        EXPECT_EQ(script.Count(), 1);
        if (c.message) {
            ASSERT_EQ(BoxTexts().size(), before + 1);
            EXPECT_EQ(LastBox(), c.message);
        } else {
            EXPECT_EQ(BoxTexts().size(), before) << "no second question";
        }
    }
    ASSERT_TRUE(WaitReceived(53, 2));
    cancel = Received(53).back();
    EXPECT_EQ(cancel.Number(52), other);
    EXPECT_EQ(cancel.body[74], 'a');
    EXPECT_EQ(cancel.Text(114, 10), "");
}

TEST_F(QueryPagesTest, DealsMergeByOrderAndPrice)
{
    Open();
    Show(2);
    DealList.clear();
    DealList.push_back(Deal(7, "3412", 1, 0, "000001"));
    DealList.push_back(Deal(8, "3413", 0, 4, "000002"));
    DealList.push_back(Deal(7, "3412", 2, 0, "000003"));
    DealList.push_back(Deal(7, "3415", 5, 0, "000004"));
    DealList.push_back(Deal(7, "3412", 3, 0, "000005"));
    DealList.push_back(Deal(9, "3412", 0, 0, "000006"));
    CDealRecord total = Deal(0, "0", 1, 0, "");
    std::memset(total.data + D::customer, 0, 10);
    std::memcpy(total.data + D::customer, "{合计}", std::strlen("{合计}"));
    DealList.push_back(total);
    DealList.push_back(total);

    Deals().m_bMerge = 0;
    Deals().UpdateData(FALSE);
    Click(Deals(), 1243);
    EXPECT_EQ(Deals().m_List.GetItemCount(), 8);

    Deals().m_bMerge = 1;
    Deals().UpdateData(FALSE);
    Click(Deals(), 1243);
    EXPECT_EQ(Column(Deals().m_List, 1), (std::vector<std::string>{"7", "8", "7", "9", "0", "0"}));
    EXPECT_EQ(Column(Deals().m_List, 8), (std::vector<std::string>{"6", "4", "5", "0", "1", "1"}));
    EXPECT_EQ(Column(Deals().m_List, 2), (std::vector<std::string>{"合并", "00000007", "00000007", "00000007", "00000007", "00000007"}));
    EXPECT_EQ(Column(Deals().m_List, 3), (std::vector<std::string>{"合并", "000002", "000004", "000006", "", ""}));
    EXPECT_EQ(Column(Deals().m_List, 9)[0], "3412.00");
    EXPECT_EQ(Column(Deals().m_List, 5), (std::vector<std::string>{"买", "\xA3\xA0卖", "买", "买", "买", "买"}));
    EXPECT_EQ(Column(Deals().m_List, 6)[0], "投机");
    EXPECT_EQ(Column(Deals().m_List, 7)[0], "开仓");
    // The stored deals keep their own numbers.
    EXPECT_EQ(RecordNumber(DealList.front().data, D::bought), 1);

    // A header click sorts: numbers ascending then descending, texts the other way.
    const int before = DealSortDirection;
    DealSortDirection = 1;
    Notify(Deals(), Deals().m_List, LVN_COLUMNCLICK, 8);
    EXPECT_EQ(Column(Deals().m_List, 8), (std::vector<std::string>{"0", "1", "1", "4", "5", "6"}));
    Notify(Deals(), Deals().m_List, LVN_COLUMNCLICK, 8);
    EXPECT_EQ(Column(Deals().m_List, 8), (std::vector<std::string>{"6", "5", "4", "1", "1", "0"}));
    Notify(Deals(), Deals().m_List, LVN_COLUMNCLICK, 3);
    EXPECT_EQ(Column(Deals().m_List, 3).front(), "合并") << "texts descending";
    DealSortDirection = before;

    // The box is written back at close.
    ScriptMessageBoxAnswers({IDYES});
    sheet->SendMessage(WM_CLOSE);
    EXPECT_EQ(GetPrivateProfileIntA("Config", "DealUnite", 0, settings.c_str()), 1u);
}

TEST_F(QueryPagesTest, FundsAndContractsFromTheGateway)
{
    Open();
    WritePrivateProfileStringA("Variety key", "0", "m", settings.c_str());
    WritePrivateProfileStringA("Variety name", "0", "豆粕", settings.c_str());
    Show(4);
    ASSERT_TRUE(TheTradeSession().QueryFunds());
    ASSERT_TRUE(PumpUntil([&] { return sheet->m_QFundPage.m_List.GetItemCount() == 3; }));
    EXPECT_EQ(Column(sheet->m_QFundPage.m_List, 0), (std::vector<std::string>{"10000001", "10000002", "10000003"}));
    const std::string risk = std::string(sheet->m_QFundPage.m_List.GetItemText(0, 10));
    EXPECT_EQ(risk.back(), '%');
    EXPECT_STREQ(RiskText("0.1234"), "12.34%");
    EXPECT_STREQ(RiskText("0"), "0.00%");

    Show(5);
    CQContractPage &contracts = sheet->m_QContractPage;
    ASSERT_EQ(contracts.m_List.GetItemCount(), 6);
    const int m = RowOf(contracts.m_List, 0, "m2601");
    ASSERT_GE(m, 0);
    EXPECT_EQ(contracts.m_List.GetItemText(m, 1), "D");
    EXPECT_EQ(contracts.m_List.GetItemText(m, 2), "豆粕2601");
    EXPECT_EQ(contracts.m_List.GetItemText(m, 3), "10");
    EXPECT_EQ(contracts.m_List.GetItemText(m, 4), "0.07");
    EXPECT_EQ(contracts.m_List.GetItemText(m, 5), "0.06");
    EXPECT_EQ(contracts.m_List.GetItemText(m, 6), "20260114");
    Select(contracts.m_List, m);
    Notify(contracts, contracts.m_List, NM_CLICK);
    CString status;
    sheet->m_StatusButton.GetWindowText(status);
    EXPECT_EQ(status, "双击合约可以直接进入下单界面！");
    Notify(contracts, contracts.m_List, NM_DBLCLK);
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
    EXPECT_EQ(Text(Page(), 1012), "m2601");
    EXPECT_EQ(Text(Page(), 1025), "豆粕");
}

} // namespace

namespace {

class PositionPageTest : public QueryPagesTest {};

TEST_F(PositionPageTest, DoubleClickOnAVolumeFillsTheClosingOrder)
{
    Open();
    WritePrivateProfileStringA("Variety key", "0", "m", settings.c_str());
    WritePrivateProfileStringA("Variety name", "0", "豆粕", settings.c_str());
    // Three more lots of m2601 sold to open and dealt today.
    Page().m_DirectionBox.SetCurSel(1);
    Page().UpdateDirectionFlag();
    const int32_t sold = PlaceOrder("10000001", "m2601", "3", "3500");
    ASSERT_GT(sold, 0);
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"deal\", \"order\": " + std::to_string(sold) + "}");
    ASSERT_TRUE(PumpUntil([&] { return !DealList.empty() || RecordNumber(OrderList.back().data, F::remaining) == 0; }));
    Show(3);
    CQPositionPage &positions = sheet->m_QPositionPage;
    ASSERT_TRUE(TheTradeSession().QueryPositions());
    // The day's seed deal sold 2 lots of it already: 5 today, 15 in all.
    int row = -1;
    ASSERT_TRUE(PumpUntil([&] {
        for (int i = 0; i < positions.m_List.GetItemCount(); ++i)
            if (positions.m_List.GetItemText(i, 0) == "10000001" && positions.m_List.GetItemText(i, 1) == "m2601")
                row = i;
        return row >= 0 && positions.m_List.GetItemText(row, 7) == "5";
    }));
    EXPECT_EQ(positions.m_List.GetItemText(row, 2), "投机");
    EXPECT_EQ(positions.m_List.GetItemText(row, 6), "15");
    KeepPicture("positions-page.png");

    // The totals row, a volume of 0 and 买均价 do nothing.
    const int totals = RowOf(positions.m_List, 0, "{合计}");
    struct Inert {
        int row, column;
    } inert[] = {{totals, 3}, {row, 4}, {row, 5}, {row, 9}, {-1, 3}};
    for (const Inert &i : inert) {
        positions.MakeClosingOrder(i.row, i.column);
        EXPECT_EQ(sheet->GetActiveIndex(), 3) << i.row << "," << i.column;
    }

    Page().SetDlgItemText(1005, "");
    Page().SetDlgItemText(1012, "");
    positions.MakeClosingOrder(row, 7);
    EXPECT_EQ(sheet->GetActiveIndex(), 0);
    EXPECT_EQ(Page().m_DirectionBox.GetCurSel(), 0);
    EXPECT_EQ(Text(Page(), 1004), "5");
    EXPECT_EQ(Page().m_OpenCloseBox.GetCurSel(), 1) << "平今";
    EXPECT_EQ(Page().m_HedgeBox.GetCurSel(), 0) << "投机";
    EXPECT_EQ(Text(Page(), 1011), "10000001");
    EXPECT_EQ(Text(Page(), 1012), "m2601");
    EXPECT_EQ(Text(Page(), 1025), "豆粕");
    ASSERT_EQ(Page().m_TradeCodeBox.GetCount(), 1);
    CString code;
    Page().m_TradeCodeBox.GetLBText(0, code);
    EXPECT_EQ(code, "01000001");
    EXPECT_EQ(Page().m_Order.flags, 0x09) << "buy, close today, speculation";
    CWnd *focus = CWnd::GetFocus();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->GetDlgCtrlID(), 1004);
    EXPECT_EQ(static_cast<DWORD>(Page().SendDlgItemMessage(1004, EM_GETSEL)), MAKELONG(0, 1));
    // The next quote puts the ask into the price.
    ASSERT_TRUE(PumpUntil([&] { return !Text(Page(), 1005).IsEmpty(); }));
    EXPECT_EQ(Text(Page(), 1005), Text(Page(), 1155));

    // A header click sorts the volumes.
    const int before = PositionSortDirection;
    PositionSortDirection = 1; // as at start: the first click sorts numbers upwards
    Notify(positions, positions.m_List, LVN_COLUMNCLICK, 6);
    const std::vector<std::string> volumes = Column(positions.m_List, 6);
    EXPECT_TRUE(std::is_sorted(volumes.begin(), volumes.end(),
                               [](const std::string &a, const std::string &b) { return std::stoi(a) < std::stoi(b); }));
    PositionSortDirection = before;
}

} // namespace
