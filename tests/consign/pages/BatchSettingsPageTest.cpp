// The batch settings page against the simulated gateway: the groups of answer
// 214, member edits that renumber the priorities, the group-full limit, saving
// (code 37) and the groups coming back, deleting a group, the unsaved-change
// question, and the page disabled without the batch right.
#include <cstring>
#include <string>
#include <vector>

#include "tests/consign/pages/OrderFixture.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class BatchSettingsPageTest : public pagestest::OrderFixture {
protected:
    CPLSZDlg &Batch() { return sheet->m_BatchPage; }
    void ShowPage()
    {
        sheet->SetActivePage(7);
        ASSERT_TRUE(Batch().m_hWnd);
    }
    std::vector<std::string> Members()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < Batch().m_MemberList.GetItemCount(); ++i) {
            std::string row;
            for (int c = 0; c < CPLSZDlg::COLUMNS; ++c)
                row += std::string(c ? "/" : "") + static_cast<LPCSTR>(Batch().m_MemberList.GetItemText(i, c));
            rows.push_back(row);
        }
        return rows;
    }
    void Add(const char *customer, const char *quantity)
    {
        Batch().SetDlgItemText(114, customer);
        Batch().SetDlgItemText(116, quantity);
        Batch().OnAddMember();
    }
    void SelectMember(int row)
    {
        Batch().m_MemberList.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
};

TEST_F(BatchSettingsPageTest, MembersAreEditedRenumberedSavedAndComeBack)
{
    Open();
    ShowPage();
    ASSERT_TRUE(PumpUntil([&] { return Batch().m_MemberList.GetItemCount() == 2; }));
    EXPECT_EQ(Batch().m_GroupList.GetItemCount(), 1);
    EXPECT_EQ(Members(), (std::vector<std::string>{"1/8001/10000001/1", "2/8001/10000002/2"}));
    EXPECT_EQ(Text(Batch(), 117), "3");
    EXPECT_EQ(Received(86).back().Text(11, 10), "-1");

    // Checks in their order, then an add.
    struct Case {
        const char *customer, *quantity, *message;
    } cases[] = {
        {"123456789", "1", "客户代码长度不合法"}, {"99999999", "1", "客户不存在"},
        {"10000003", "0", "数量不合法！"},        {"10000003", "10001", "数量不合法！"},
        {"10000003", "x", "数量不合法！"},        {"10000001", "1", "客户已经存在！"},
    };
    for (const Case &c : cases) {
        Add(c.customer, c.quantity);
        EXPECT_EQ(LastBox(), c.message) << c.customer << " " << c.quantity;
    }
    EXPECT_EQ(Batch().m_MemberList.GetItemCount(), 2);
    Add("10000003", "3");
    EXPECT_EQ(Members().back(), "3/8001/10000003/3");
    EXPECT_TRUE(Batch().m_bModified);

    // The moves renumber the priorities to the rows' places.
    SelectMember(2);
    Batch().OnMoveTop();
    EXPECT_EQ(Members(), (std::vector<std::string>{"1/8001/10000003/3", "2/8001/10000001/1", "3/8001/10000002/2"}));
    Batch().OnMoveDown();
    EXPECT_EQ(Members()[1], "2/8001/10000003/3");
    Batch().OnMoveBottom();
    EXPECT_EQ(Members()[2], "3/8001/10000003/3");
    Batch().OnMoveUp();
    EXPECT_EQ(Members()[1], "2/8001/10000003/3");
    // Up on the first row only moves the focus.
    SelectMember(0);
    Batch().m_MemberList.SetItemState(1, 0, LVIS_SELECTED);
    const std::vector<std::string> before = Members();
    Batch().OnMoveUp();
    EXPECT_EQ(Members(), before);

    // Modify the quantity of the selected row; delete another one.
    SelectMember(1);
    Batch().SetDlgItemText(116, "5");
    Batch().OnModifyMember();
    EXPECT_EQ(Members()[1], "2/8001/10000003/5");
    Batch().SetDlgItemText(117, "1");
    ScriptMessageBoxAnswers({IDYES});
    Batch().OnDeleteMember();
    EXPECT_EQ(LastBox(), "确定要删除吗?");
    EXPECT_EQ(Members(), (std::vector<std::string>{"1/8001/10000003/5", "2/8001/10000002/2"}));

    // Saving: the lead record, then the members; the answer brings them back.
    Batch().OnSave();
    EXPECT_FALSE(Batch().m_bModified);
    ASSERT_TRUE(WaitReceived(37, 1));
    const pagestest::ReceivedPacket save = Received(37).back();
    ASSERT_EQ(save.body.size(), 3 * 28u);
    EXPECT_EQ(save.Text(0, 10), "8001");
    EXPECT_EQ(save.Text(10, 10), "");
    EXPECT_EQ(save.body.substr(24, 2), std::string("\0\0", 2));
    EXPECT_EQ(save.Text(38, 10), "10000003");
    EXPECT_EQ(save.body.substr(48, 6), std::string("\0\1\0\5\0\0", 6));
    ASSERT_TRUE(PumpUntil([&] { return Received(86).size() >= 2; }));
    ASSERT_TRUE(PumpUntil([&] { return BatchGroupTable.size() == 1 && BatchGroupTable[0].size() == 2 &&
                                       std::string(BatchGroupTable[0].front().customer, 8) == "10000003"; }));
    EXPECT_EQ(Members(), (std::vector<std::string>{"1/8001/10000003/5", "2/8001/10000002/2"}));
    KeepPicture("batch-settings-page.png");
}

TEST_F(BatchSettingsPageTest, GroupsAreFullAtHundredElevenAndDeletingOneRewritesTheRest)
{
    Open();
    ShowPage();
    ASSERT_TRUE(PumpUntil([&] { return Batch().m_MemberList.GetItemCount() == 2; }));
    // A second group of 111 members ("*<n>" names a customer while the
    // customer list is not empty).
    Batch().OnAddGroup();
    EXPECT_EQ(Batch().m_GroupList.GetItemCount(), 2);
    Batch().OnAddGroup();
    EXPECT_EQ(LastBox(), "存在没有成员的空组，无法新开组");
    EXPECT_EQ(ShownMessageBoxes().back().caption, "错误");
    for (int i = 1; i <= CPLSZDlg::MAX_MEMBERS; ++i)
        Add(("*" + std::to_string(i)).c_str(), "1");
    EXPECT_EQ(Batch().m_MemberList.GetItemCount(), CPLSZDlg::MAX_MEMBERS);
    Add("*999", "1");
    EXPECT_EQ(LastBox(), "超过每组可以设定的最大用户数，无法继续添加");
    Batch().OnSave();
    // 111 members and the lead record: one packet of 112 records.
    ASSERT_TRUE(WaitReceived(37, 1));
    EXPECT_EQ(Received(37).back().body.size(), 112 * 28u);
    ASSERT_TRUE(PumpUntil([&] { return BatchGroupTable.size() == 2 && BatchGroupTable[1].size() == 111; }));

    // Deleting group 1 empties both groups on the gateway, then writes group 2
    // back as group 1.
    const size_t sent = Received(37).size();
    Batch().m_GroupList.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Batch().m_GroupList.SetItemState(1, 0, LVIS_SELECTED);
    Batch().OnDeleteGroup();
    ASSERT_TRUE(WaitReceived(37, sent + 3));
    const auto packets = Received(37);
    EXPECT_EQ(packets[sent].body.size(), 28u);
    EXPECT_EQ(packets[sent + 1].body.size(), 28u);
    EXPECT_EQ(packets[sent + 1].body.substr(24, 2), std::string("\0\1", 2));
    EXPECT_EQ(packets[sent + 2].body.size(), 112 * 28u);
    EXPECT_EQ(packets[sent + 2].body.substr(24, 2), std::string("\0\0", 2));
    ASSERT_TRUE(PumpUntil([&] { return BatchGroupTable.size() == 1 && BatchGroupTable[0].size() == 111; }));
}

TEST_F(BatchSettingsPageTest, LeavingWithChangesAsksAndNoAnswerDropsThem)
{
    Open();
    ShowPage();
    ASSERT_TRUE(PumpUntil([&] { return Batch().m_MemberList.GetItemCount() == 2; }));
    Add("10000003", "1");
    ScriptMessageBoxAnswers({IDNO});
    sheet->SetActivePage(0);
    EXPECT_EQ(LastBox(), "批量设置修改后没有保存，是否保存？");
    EXPECT_EQ(Batch().m_MemberList.GetItemCount(), 2);
    EXPECT_TRUE(Received(37).empty());
}

TEST_F(BatchSettingsPageTest, WithoutTheBatchRightEveryControlIsDisabled)
{
    struct Case {
        const char *account, *password;
        BYTE kind;
    } cases[] = {{"8002", "800200", 1}, {"10000001", "111111", 7}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.account);
        Open(c.account, c.password, c.kind);
        ShowPage();
        for (int id : {1069, 1093, 114, 116, 1043, 4, 6, 7, 1009, 1010, 1095})
            EXPECT_FALSE(Batch().GetDlgItem(id)->IsWindowEnabled()) << id;
        Pump(100);
        EXPECT_TRUE(Received(86).empty());
        TearDown();
        SetUp();
    }
}

} // namespace
