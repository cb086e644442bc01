// The fund transfer page and the transfer query page on the main sheet against
// the simulated gateway: the account list and its one-record rule, the
// withdrawable funds, the send checks, the transfer body, the wait and the
// result in the information fields, the rights and the client mode, the keys
// inside the dialogs; the query's date checks, the filter both tabs share and
// the rows the records make, bad ones included.
#include <cstdio>
#include <string>
#include <vector>

#include "consign/pages/CCXZZPage.h"
#include "consign/pages/CZZ.h"
#include "tests/consign/pages/OrderFixture.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;
using pagestest::ReceivedPacket;

constexpr char WaitText[] = "正在等待银行端处理，请稍候...";

class TransferPagesTest : public pagestest::OrderFixture {
protected:
    // The session waits as the settings say.
    void OpenTransfers(const char *account = "8001", const char *password = "123456", BYTE kind = 1)
    {
        Settings("[Config]\r\nClearAllAfterOrder=0\r\nYQZZWaitingTime=60000\r\n");
        Open(account, password, kind);
        TheTradeSession().m_TransferWaitMs = static_cast<DWORD>(StartSettings.transferWaitMs);
    }
    CYQZZDlg &Bank() { return sheet->m_TransferPage.m_BankDlg; }
    CZQZZDlg &Securities() { return sheet->m_TransferPage.m_SecuritiesDlg; }
    CCXYQZZDlg &BankQuery() { return sheet->m_TransferQueryPage.m_BankTab; }
    CCXZQZZDlg &SecuritiesQuery() { return sheet->m_TransferQueryPage.m_SecuritiesTab; }

    static void Focus(CDialog &dialog, UINT id) { dialog.GotoDlgCtrl(dialog.GetDlgItem(static_cast<int>(id))); }
    static std::string Shown(CWnd &dialog, UINT id) { return std::string(Text(dialog, static_cast<int>(id))); }
    // The stored-procedure requests of `kind` the gateway received.
    static std::vector<ReceivedPacket> Procedures(int kind)
    {
        std::vector<ReceivedPacket> found;
        for (const ReceivedPacket &p : Received(88))
            if (p.body.size() > 20 && p.body[20] == kind)
                found.push_back(p);
        return found;
    }
    // The customer typed and confirmed with Enter.
    void EnterCustomer(CTransferDialog &d, const char *customer)
    {
        d.SetDlgItemText(static_cast<int>(d.m_Ids.customer), customer);
        Focus(d, d.m_Ids.customer);
        Key(VK_RETURN);
    }
    static void ChooseKind(CTransferDialog &d, int kind)
    {
        d.m_KindBox.SetCurSel(kind);
        d.SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(d.m_Ids.kind), CBN_SELCHANGE),
                      static_cast<LPARAM>(d.m_KindBox.m_hWnd));
    }
    static void DoubleClick(CTransferDialog &d, int row)
    {
        NMITEMACTIVATE n{};
        n.hdr.hwndFrom = d.m_List.m_hWnd;
        n.hdr.idFrom = d.m_Ids.list;
        n.hdr.code = NM_DBLCLK;
        n.iItem = row;
        d.SendMessage(WM_NOTIFY, d.m_Ids.list, reinterpret_cast<LPARAM>(&n));
    }
    static void SelectTab(CTabCtrl &tab, CWnd &page, int index)
    {
        tab.SetCurSel(index);
        NMHDR n{tab.m_hWnd, static_cast<UINT_PTR>(tab.GetDlgCtrlID()), TCN_SELCHANGE};
        page.SendMessage(WM_NOTIFY, static_cast<WPARAM>(tab.GetDlgCtrlID()), reinterpret_cast<LPARAM>(&n));
    }
    static std::vector<std::string> Column(const CListCtrl &list, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.push_back(std::string(list.GetItemText(row, column)));
        return texts;
    }
    // Every input of a transfer dialog, enabled or not.
    static std::vector<bool> InputsEnabled(CTransferDialog &d)
    {
        std::vector<bool> enabled;
        for (UINT id : {d.m_Ids.customer, d.m_Ids.kind, d.m_Ids.password, d.m_Ids.bankPassword, d.m_Ids.amount,
                        d.m_Ids.list, d.m_Ids.send})
            enabled.push_back(d.GetDlgItem(static_cast<int>(id))->IsWindowEnabled() != FALSE);
        return enabled;
    }
};

// The balance query of the only bank account of 10000002: the account taken at
// once with its withdrawable funds, "05" with "0.00" in the transfer body, the
// wait text until the waiting time has passed, then the bank's result.
TEST_F(TransferPagesTest, BalanceQueryShowsTheWaitThenTheResult)
{
    OpenTransfers();
    sheet->SetActivePage(8);
    CYQZZDlg &d = Bank();
    EXPECT_EQ(StatusButton(), "银期转帐");
    EXPECT_EQ(FocusId(), 1272);
    EnterCustomer(d, "10000002");
    ASSERT_EQ(d.m_List.GetItemCount(), 1);
    EXPECT_EQ(Column(d.m_List, 3), std::vector<std::string>{"6228480200002222"});
    EXPECT_EQ(Shown(d, 1008), "2");
    EXPECT_EQ(Shown(d, 1276), "6228480200002222");
    EXPECT_EQ(FocusId(), 1273) << "Enter moves on to the kind";
    ASSERT_TRUE(PumpUntil([&] { return !Shown(d, 1007).empty(); }));
    const auto ktj = Procedures(34);
    ASSERT_EQ(ktj.size(), 1u);
    EXPECT_EQ(ktj[0].Text(21, 20), "10000002");
    EXPECT_EQ(ktj[0].Text(41, 20), "2");
    EXPECT_EQ(Shown(Securities(), 1287), Shown(d, 1007)) << "both dialogs show the funds";
    // The one record is a bank account: the securities dialog lists and chooses nothing.
    EXPECT_EQ(Securities().m_List.GetItemCount(), 0);
    EXPECT_EQ(Shown(Securities(), 1288), "");

    ChooseKind(d, 2);
    EXPECT_FALSE(d.GetDlgItem(1004)->IsWindowEnabled());
    d.SetDlgItemText(1004, "123");
    d.SetDlgItemText(1279, "222222");
    d.SetDlgItemText(1275, "2222");
    // The send waits on the test clock; the sheet's timers read the answers
    // on the real one again afterwards.
    SetDay(2025, 12, 10);
    const DWORD before = GetTickCount();
    Click(d, 1278);
    const DWORD waited = GetTickCount() - before;
    win::ClearTestClock();
    // Back from the send: the waiting time has passed on the clock and the
    // result is asked for, not yet in.
    EXPECT_GE(waited, 60000u);
    EXPECT_LT(waited, 60000u + 20000u);
    EXPECT_EQ(Shown(d, 1006), WaitText);
    EXPECT_EQ(Shown(Securities(), 1286), WaitText);
    EXPECT_EQ(Shown(d, 1005).rfind("本地发送请求成功!流水号：", 0), 0u) << Shown(d, 1005);
    const auto sent = Received(34);
    ASSERT_EQ(sent.size(), 1u);
    const ReceivedPacket &t = sent[0];
    ASSERT_EQ(t.body.size(), 169u);
    EXPECT_EQ(t.body.substr(0, 14), std::string(14, '\0'));
    EXPECT_EQ(t.body[14], '2') << "the bank code's first character";
    EXPECT_EQ(t.Text(15, 10), "8001");
    EXPECT_EQ(t.Text(25, 10), "10000002");
    EXPECT_EQ(t.Text(35, 16), "0.00");
    EXPECT_EQ(t.Text(51, 16), "222222");
    EXPECT_EQ(t.Text(67, 16), "2222");
    EXPECT_EQ(t.Text(83, 2), "05");
    EXPECT_EQ(t.Text(86, 40), "6228480200002222");
    EXPECT_EQ(Procedures(3).size(), 1u);
    EXPECT_EQ(Shown(d, 1004), "");
    EXPECT_EQ(Shown(d, 1279), "");
    EXPECT_EQ(Shown(d, 1275), "");
    EXPECT_EQ(FocusId(), 1272);
    ASSERT_TRUE(PumpUntil([&] { return Shown(d, 1006) != WaitText; }));
    EXPECT_EQ(Shown(d, 1006), "金额：0.00,处理状态：处理成功,处理结果：余额:100000.00");
    EXPECT_EQ(Shown(Securities(), 1286), Shown(d, 1006));
    KeepPicture("transfer-page.png");
}

// The send's checks stop at the first failure, with the focus where it is to
// be mended, and send nothing; an amount of "0" or "1.2.3" passes them.
TEST_F(TransferPagesTest, SendChecksTheInputs)
{
    OpenTransfers();
    sheet->SetActivePage(8);
    CYQZZDlg &d = Bank();
    EnterCustomer(d, "10000002");
    ASSERT_EQ(Shown(d, 1008), "2");
    struct Case {
        int kind;
        const char *amount;
        const char *bankCode;
        const char *bankAccount;
        const char *message;
        int focus;
    };
    const Case cases[] = {
        {0, "", "2", "6228480200002222", "转账金额不能为空！", 1004},
        {1, "12a", "2", "6228480200002222", "转账金额不能为0或者格式不对！", 1004},
        {1, "-5", "2", "6228480200002222", "转账金额不能为0或者格式不对！", 1004},
        {0, "100", "", "6228480200002222", "银行代码不能为空！", 1277},
        {0, "100", "2", "", "银行帐号不能为空！", 1277},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        RecordMessageBoxes(true);
        ChooseKind(d, c.kind);
        d.SetDlgItemText(1004, c.amount);
        d.SetDlgItemText(1008, c.bankCode);
        d.SetDlgItemText(1276, c.bankAccount);
        Click(d, 1278);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(FocusId(), c.focus);
    }
    EXPECT_TRUE(Received(34).empty());

    d.SetDlgItemText(1008, "2");
    d.SetDlgItemText(1276, "6228480200002222");
    // The waiting time passes on the test clock.
    SetDay(2025, 12, 10);
    for (const char *amount : {"1.2.3", "0"}) {
        SCOPED_TRACE(amount);
        ChooseKind(d, 0);
        d.SetDlgItemText(1004, amount);
        d.SetDlgItemText(1279, "222222");
        d.SetDlgItemText(1275, "2222");
        Click(d, 1278);
    }
    win::ClearTestClock();
    ASSERT_EQ(Received(34).size(), 2u);
    EXPECT_EQ(Received(34)[0].Text(35, 16), "1.2.3");
    EXPECT_EQ(Received(34)[1].Text(35, 16), "0");
}

// 10000001 has a bank and a securities account: nothing is chosen until the
// user selects a row; a double click counts only on a row of the typed customer.
TEST_F(TransferPagesTest, AccountIsChosenFromSeveral)
{
    OpenTransfers();
    sheet->SetActivePage(8);
    CYQZZDlg &d = Bank();
    EnterCustomer(d, "10000001");
    ASSERT_EQ(d.m_List.GetItemCount(), 1);
    ASSERT_EQ(Securities().m_List.GetItemCount(), 1);
    EXPECT_EQ(Column(Securities().m_List, 2), std::vector<std::string>{"国泰证券"});
    EXPECT_EQ(Shown(d, 1008), "");
    EXPECT_EQ(Shown(Securities(), 1288), "");
    Pump(100);
    EXPECT_TRUE(Procedures(34).empty()) << "two records: no account is taken";

    d.SetDlgItemText(1272, "10000002");
    DoubleClick(d, 0);
    EXPECT_EQ(Shown(d, 1008), "") << "the row is another customer's";
    d.SetDlgItemText(1272, "10000001");
    DoubleClick(d, 0);
    EXPECT_EQ(Shown(d, 1008), "1");
    EXPECT_EQ(Shown(d, 1276), "6222020200001111");
    ASSERT_TRUE(PumpUntil([&] { return Procedures(34).size() == 1; }));

    // A selection takes the row whatever the customer field says.
    CZQZZDlg &s = Securities();
    s.SetDlgItemText(1281, "");
    s.m_List.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(Shown(s, 1288), "9");
    EXPECT_EQ(Shown(s, 1289), "0100001111");
    ASSERT_TRUE(PumpUntil([&] { return Procedures(34).size() == 2; }));
    EXPECT_EQ(Procedures(34)[1].Text(41, 20), "9");

    // Enter in the amount field takes the first row and, with one row, skips
    // the list for the send button.
    d.SetDlgItemText(1008, "");
    Focus(d, 1004);
    Key(VK_RETURN);
    EXPECT_EQ(Shown(d, 1008), "1");
    EXPECT_EQ(d.m_List.GetItemState(0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(FocusId(), 1278);
    ASSERT_TRUE(PumpUntil([&] { return Procedures(34).size() == 3; }));
    Pump(100);
    EXPECT_EQ(Procedures(34).size(), 3u) << "one query for the one choice";
}

// Keys inside a transfer dialog: Escape does nothing (no close question, the
// dialog stays), Enter and Tab move through the dialog's controls.
TEST_F(TransferPagesTest, KeysStayInTheDialog)
{
    OpenTransfers();
    sheet->SetActivePage(8);
    CZQZZDlg &s = Securities();
    SelectTab(sheet->m_TransferPage.m_Tab, sheet->m_TransferPage, 1);
    EXPECT_TRUE(s.IsWindowVisible());
    EXPECT_FALSE(Bank().IsWindowVisible());
    EXPECT_EQ(StatusButton(), "证期转帐");
    EXPECT_EQ(FocusId(), 1281);
    Key(VK_ESCAPE);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_TRUE(sheet->m_hWnd && sheet->IsWindowVisible());
    EXPECT_EQ(FocusId(), 1281);
    Focus(s, 1282);
    Key(VK_RETURN);
    EXPECT_EQ(FocusId(), 1283);
    Key(VK_TAB);
    EXPECT_EQ(FocusId(), 1280);
    Key(VK_ESCAPE);
    EXPECT_TRUE(BoxTexts().empty());
    // The first password's label follows the kind.
    EXPECT_EQ(Shown(s, 1292), "证券密码");
    ChooseKind(s, 1);
    EXPECT_EQ(Shown(s, 1292), "期货密码");
    EXPECT_TRUE(s.GetDlgItem(1284)->IsWindowEnabled());
    KeepPicture("transfer-securities.png");
}

// Without the right 'C' (10000003 has 'A' only) every input of the bank
// dialog and every control of the bank query tab is disabled; the status text
// is set all the same.
TEST_F(TransferPagesTest, WithoutTheRightEverythingIsDisabled)
{
    OpenTransfers("10000003", "333333", 7);
    sheet->SetActivePage(8);
    EXPECT_EQ(StatusButton(), "银期转帐");
    EXPECT_EQ(InputsEnabled(Bank()), std::vector<bool>(7, false));
    EXPECT_EQ(InputsEnabled(Securities()), std::vector<bool>(7, false));
    sheet->SetActivePage(9);
    EXPECT_EQ(StatusButton(), "查询银期转帐");
    for (UINT id : {1255u, 1256u, 1257u, 1004u, 1258u, 1261u, 1254u})
        EXPECT_FALSE(BankQuery().GetDlgItem(static_cast<int>(id))->IsWindowEnabled()) << id;
}

// In client mode the customer is the user himself, at every activation: his
// accounts are asked for, and his number stays in the query tabs.
TEST_F(TransferPagesTest, ClientModeLocksTheCustomer)
{
    OpenTransfers("10000002", "222222", 7);
    sheet->SetActivePage(8);
    CYQZZDlg &d = Bank();
    EXPECT_EQ(Shown(d, 1272), "10000002");
    EXPECT_FALSE(d.GetDlgItem(1272)->IsWindowEnabled());
    ASSERT_EQ(d.m_List.GetItemCount(), 1);
    EXPECT_EQ(Shown(d, 1008), "2");
    EXPECT_EQ(InputsEnabled(Securities()), std::vector<bool>(7, false)) << "no right 'Q'";
    sheet->SetActivePage(9);
    EXPECT_EQ(Shown(BankQuery(), 1256), "10000002");
    EXPECT_FALSE(BankQuery().GetDlgItem(1256)->IsWindowEnabled());
    EXPECT_TRUE(BankQuery().GetDlgItem(1257)->IsWindowEnabled());
    sheet->SetActivePage(0);
    sheet->SetActivePage(8);
    EXPECT_EQ(Procedures(4).size(), 2u) << "each activation asks again";
}

// The query's dates: empty, not eight digits, or in the wrong order give their
// message, put the focus on the date and send nothing.
TEST_F(TransferPagesTest, QueryChecksTheDates)
{
    OpenTransfers();
    sheet->SetActivePage(9);
    CCXYQZZDlg &q = BankQuery();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(Shown(q, 1257), today) << "today's date";
    EXPECT_EQ(Shown(q, 1004), today);
    struct Case {
        const char *start;
        const char *end;
        const char *message;
        int focus;
    };
    const Case cases[] = {
        {" \t", "20251130", "开始日期不能为空！", 1257},
        {"2025110", "20251130", "开始日期格式错误！应为YYYYMMDD", 1257},
        {"202511011", "20251130", "开始日期格式错误！应为YYYYMMDD", 1257},
        {"20251101", "", "结束日期不能为空！", 1004},
        {"20251101", "2025113x", "结束日期格式错误！应为YYYYMMDD", 1004},
        {"20251201", "20251130", "开始日期大于结束日期，请重新输入", 1257},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        RecordMessageBoxes(true);
        q.SetDlgItemText(1257, c.start);
        q.SetDlgItemText(1004, c.end);
        Click(q, 1261);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(FocusId(), c.focus);
    }
    Pump(50);
    EXPECT_TRUE(Procedures(5).empty());
}

// A query from the securities tab leaves its filter in the bank tab too; the
// answer fills both tabs by kind, and the status boxes filter the rows.
TEST_F(TransferPagesTest, QueryFilterIsSharedAndRowsFollowTheBoxes)
{
    OpenTransfers();
    sheet->SetActivePage(9);
    CCXZZPage &page = sheet->m_TransferQueryPage;
    CCXYQZZDlg &bank = BankQuery();
    CCXZQZZDlg &securities = SecuritiesQuery();
    bank.m_List.InsertItem(0, "old");
    SelectTab(page.m_Tab, page, 1);
    EXPECT_EQ(StatusButton(), "查询证期转帐");
    EXPECT_TRUE(securities.IsWindowVisible());
    securities.SetDlgItemText(1262, "");
    securities.SetDlgItemText(1263, "");
    securities.SetDlgItemText(1264, " 20251101\t");
    securities.SetDlgItemText(1265, "20251130");
    securities.CheckDlgButton(1267, BST_UNCHECKED);
    Click(securities, 1269);
    EXPECT_EQ(Shown(bank, 1257), "20251101");
    EXPECT_EQ(Shown(bank, 1004), "20251130");
    EXPECT_EQ(bank.IsDlgButtonChecked(1259), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(bank.IsDlgButtonChecked(1260), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(bank.m_List.GetItemCount(), 0) << "the other tab's list is emptied";
    ASSERT_TRUE(WaitReceived(88, 1));
    const auto asked = Procedures(5);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text(21, 20), "");
    EXPECT_EQ(asked[0].Text(41, 20), "");
    EXPECT_EQ(asked[0].Text(61, 20), "20251101");
    EXPECT_EQ(asked[0].Text(81, 20), "20251130");

    // The seeded transfers of November: 10000001's bank transfer (done) and
    // securities transfer (failed), 10000003's bank transfer (not processed).
    ASSERT_TRUE(PumpUntil([&] { return bank.m_List.GetItemCount() > 0; }));
    EXPECT_EQ(Column(bank.m_List, 8), (std::vector<std::string>{"100000.00", " 20000.00"}));
    EXPECT_EQ(Column(bank.m_List, 9), (std::vector<std::string>{"处理成功", "未处理"}));
    EXPECT_EQ(securities.m_List.GetItemCount(), 0) << "its failed transfer is filtered out";
    securities.CheckDlgButton(1267, BST_CHECKED);
    Click(securities, 1267);
    EXPECT_EQ(Column(securities.m_List, 8), std::vector<std::string>{"  5000.00"});
    bank.CheckDlgButton(1260, BST_UNCHECKED);
    Click(bank, 1260);
    EXPECT_EQ(Column(bank.m_List, 9), std::vector<std::string>{"未处理"});
    bank.CheckDlgButton(1260, BST_CHECKED);
    Click(bank, 1260);
    SelectTab(page.m_Tab, page, 0);
    EXPECT_EQ(bank.m_List.GetItemCount(), 2);
    KeepPicture("transfer-query-page.png");
}

// The rows the records make, whatever the records: amounts padded to nine
// characters and never cut, statuses other than the three always shown,
// records short of fields or without their last '|', GBK texts; the stored
// records are never changed by showing them.
TEST_F(TransferPagesTest, RecordsMakeRowsAsTheyAre)
{
    OpenTransfers();
    sheet->SetActivePage(9);
    struct Case {
        const char *record;
        const char *bankAmount; // null: no bank row
        bool securities;
    };
    const Case cases[] = {
        {"S1|10000001|工商银行|6222|consign|20251103|09:12:05|银行转期货|100.00|处理成功|成功|1|Z|", "   100.00", false},
        {"S2|10000001|工商银行|6222|consign|20251103|09:12:05|银行转期货|1000000.00|处理失败|余额不足|1|T|",
         "1000000.00", false},
        {"S3|10000001|工商银行|6222|consign|20251103|09:12:05|银行转期货|  42.5 |未处理||1|Z", "     42.5", false},
        {"S4|10000001|中国银行|6013|consign|20251103|09:12:05|期货转银行||其它状态|||T|", "         ", false},
        {"S5|10000001|国泰证券|0100|consign|20251103|09:12:05|期货转证券|5000.00|处理成功|成功|9|Q|", nullptr, true},
        {"S6|10000001|", nullptr, false},
        {"", nullptr, false},
        {"|||||||||||||||||||||||||", nullptr, false},
        {"S7|10000001|银行|6222|consign|20251103|09:12:05|x|1.00|处理成功|成功|1|ZZ|", nullptr, false},
    };
    TransferRecordList.clear();
    for (const Case &c : cases)
        TransferRecordList.push_back(c.record);
    const std::list<CString> stored = TransferRecordList;
    sheet->RefreshList(SessionList::transferRecords);
    sheet->RefreshList(SessionList::transferRecords);
    std::vector<std::string> bankAmounts;
    for (const Case &c : cases)
        if (c.bankAmount)
            bankAmounts.push_back(c.bankAmount);
    EXPECT_EQ(Column(BankQuery().m_List, 8), bankAmounts);
    EXPECT_EQ(Column(BankQuery().m_List, 0), (std::vector<std::string>{"S1", "S2", "S3", "S4"}));
    EXPECT_EQ(Column(BankQuery().m_List, 2)[0], "工商银行");
    EXPECT_EQ(Column(SecuritiesQuery().m_List, 0), std::vector<std::string>{"S5"});
    EXPECT_TRUE(TransferRecordList == stored) << "showing the records leaves them as they were";
    // With every box off only the other status stays.
    for (UINT box : {1258u, 1259u, 1260u}) {
        BankQuery().CheckDlgButton(static_cast<int>(box), BST_UNCHECKED);
        Click(BankQuery(), static_cast<int>(box));
    }
    EXPECT_EQ(Column(BankQuery().m_List, 0), std::vector<std::string>{"S4"});
    EXPECT_TRUE(TransferRecordList == stored);
}

} // namespace
