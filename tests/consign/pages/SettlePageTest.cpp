// The settlement statement page against the simulated gateway: the statement
// fetched for the chosen customer and date and shown, the temporary files
// gone, a customer that is no plain code refused before anything is asked.
#include <filesystem>
#include <string>

#include "consign/pages/CSettleConfirmDlg.h"
#include "platform/appframe/CDateTimeCtrl.h"
#include "platform/win/CTime.h"
#include "tests/consign/pages/OrderFixture.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class SettlePageTest : public pagestest::OrderFixture {
protected:
    CQSettlePage &Settle() { return sheet->m_SettlePage; }
    std::string Shown()
    {
        CString text;
        Settle().GetDlgItemText(1106, text);
        return static_cast<const char *>(text);
    }
    void Query(const char *customer)
    {
        Settle().SetDlgItemText(1105, customer);
        Click(Settle(), IDOK);
    }
};

TEST_F(SettlePageTest, QueryShowsTheStatementAndLeavesNoFile)
{
    Open();
    sheet->SetActivePage(10);
    Pump(20);
    ASSERT_GE(Settle().m_CustomerBox.GetCount(), 3);
    EXPECT_EQ(Text(Settle(), 1105), "10000001");
    EXPECT_EQ(Text(Settle(), 1116), "8");
    CString status;
    sheet->m_StatusButton.GetWindowText(status);
    EXPECT_EQ(status, "本页可以查询帐单");

    // Today's statement: the date goes out empty, the gateway takes today.
    Query("10000002");
    const std::string today = static_cast<const char *>(CTime::GetCurrentTime().Format("%Y%m%d"));
    EXPECT_NE(Shown().find("客户号：10000002"), std::string::npos) << Shown();
    EXPECT_NE(Shown().find("结算日期：" + today), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.rar"));
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));

    // Another day's statement.
    SYSTEMTIME day{};
    day.wYear = 2025;
    day.wMonth = 11;
    day.wDay = 3;
    CDateTimeCtrl picker;
    picker.Attach(Settle().GetDlgItem(1148)->m_hWnd);
    picker.SetTime(&day);
    picker.Detach();
    Query("10000001");
    EXPECT_NE(Shown().find("结算日期：20251103"), std::string::npos) << Shown();
    EXPECT_EQ(Text(Settle(), 1105), "10000001");
    EXPECT_EQ(Text(Settle(), 1116), "8");
    KeepPicture("settle-page.png");

    // A customer that is no plain code never reaches a path or the gateway.
    const size_t requests = Received(88).size();
    for (const char *bad : {"../x", "a b", ""}) {
        Query(bad);
        EXPECT_EQ(LastBox(), "客户号不正确") << bad;
        EXPECT_EQ(Shown(), "");
    }
    Pump(50);
    EXPECT_EQ(Received(88).size(), requests);
    EXPECT_FALSE(std::filesystem::exists("x.rar"));

    // The font size is kept when the page is left.
    Settle().SetDlgItemText(1116, "12");
    sheet->SetActivePage(0);
    EXPECT_EQ(GetPrivateProfileIntA("Config", "Print Font Size", 0, settings.c_str()), 12u);
}

TEST(StatementJoinTest, OnlyARealLineFeedBecomesALineEnd)
{
    struct Case {
        std::string in, out;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"no final newline", "no final newline"},
        {"", ""},
        {std::string(5000, 'x') + "\ny", std::string(5000, 'x') + "\r\ny"},
        {"\n\n", "\r\n\r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(std::string(static_cast<const char *>(JoinStatementLines(c.in.data(), c.in.size()))), c.out) << c.in.size();
}

} // namespace

namespace {

TEST_F(SettlePageTest, SaveToFileSuggestsCustomerAndDateAndCopiesTheStatement)
{
    Open();
    sheet->SetActivePage(10);
    Pump(20);
    const std::string today = static_cast<const char *>(CTime::GetCurrentTime().Format("%Y%m%d"));
    const std::string target = std::filesystem::current_path().string() + "/saved";
    ScriptDialogAnswers({{.accepted = true, .fileName = target.c_str()}});
    Settle().SetDlgItemText(1105, "10000002");
    Click(Settle(), 1143);
    ASSERT_FALSE(ShownDialogs().empty());
    EXPECT_EQ(ShownDialogs().back().initial, AnsiString(("10000002_" + today).c_str()));
    EXPECT_EQ(LastBox(), "输出到文件 " + target + ".txt 成功");
    EXPECT_EQ(ShownMessageBoxes().back().caption, "信息");
    EXPECT_NE(pagestest::ReadFile("saved.txt").find("客户号：10000002"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.rar"));

    // A refused statement: no file, the message, no dialog.
    const size_t dialogs = ShownDialogs().size();
    ScriptMessageBoxAnswers({IDOK, IDOK});
    Settle().SetDlgItemText(1105, "99999999");
    Click(Settle(), 1143);
    EXPECT_EQ(LastBox(), "您的对账单文件不存在");
    EXPECT_EQ(ShownDialogs().size(), dialogs);
}

} // namespace
