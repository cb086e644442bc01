// Batch orders from the order entry page against the simulated gateway: the
// group a "*" text names, the split of the volume, the checks (code 39) with
// consecutive batch sequence numbers, the member orders, and what stops a batch.
#include <cstring>
#include <string>
#include <vector>

#include "tests/consign/pages/OrderFixture.h"
#include "tests/support/ModalScript.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class BatchOrderTest : public pagestest::OrderFixture {
protected:
    void Send(const char *customer, const char *volume)
    {
        Page().SetDlgItemText(1011, customer);
        Page().SetDlgItemText(1012, "al2512");
        Page().SetDlgItemText(1004, volume);
        Page().SetDlgItemText(1005, "19810");
        Click(Page(), 1009);
    }
};

TEST_F(BatchOrderTest, GroupTextsPickTheirGroupOrAreRefused)
{
    Open();
    struct Case {
        size_t groups;
        const char *text;
        const char *message; // null: chosen
        size_t group;
        const char *name;
    } cases[] = {
        {1, "*", nullptr, 0, "1"},      {1, "*1", nullptr, 0, "1"},
        {1, "*7", nullptr, 0, "1"},     {2, "*2", nullptr, 1, "2"},
        {2, "*0", "批量组无效"},         {2, "*x", "批量组无效"},
        {2, "*3", "您没有设定这么多批量组，请重新指定"},
        {2, "*-1", "您没有设定这么多批量组，请重新指定"},
        {2, "*99999999999999999999", "您没有设定这么多批量组，请重新指定"},
        {0, "*1", "你没有设置批量下单！"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        BatchGroupTable.clear();
        for (size_t i = 0; i < c.groups; ++i)
            BatchGroupTable.push_back(Group({{"10000001", 1}}));
        size_t group = 99;
        CString name;
        const BatchSelection result = SelectBatchGroup(c.text, sheet, group, name);
        if (c.message) {
            EXPECT_EQ(result, BatchSelection::refused);
            EXPECT_EQ(LastBox(), c.message);
        } else {
            ASSERT_EQ(result, BatchSelection::chosen);
            EXPECT_EQ(group, c.group);
            EXPECT_EQ(name, c.name);
        }
    }
    // A first group without members counts as no batch set up.
    BatchGroupTable = {{}, Group({{"10000001", 1}})};
    size_t group = 0;
    CString name;
    EXPECT_EQ(SelectBatchGroup("*2", sheet, group, name), BatchSelection::refused);
    EXPECT_EQ(LastBox(), "你没有设置批量下单！");

    // "*" with two groups opens the chooser: a row per group with its sum.
    BatchGroupTable = {Group({{"10000001", 2}, {"10000002", 1}}), Group({{"10000003", 4}})};
    std::vector<std::string> rows;
    {
        testsupport::ModalScript chooser("选择批量设置组", [&](HWND dialog) {
            CListBox *list = static_cast<CListBox *>(CWnd::FromHandle(dialog)->GetDlgItem(1070));
            for (int i = 0; i < list->GetCount(); ++i) {
                CString row;
                list->GetText(i, row);
                rows.push_back(static_cast<LPCSTR>(row));
            }
            list->SetCurSel(1);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        ASSERT_EQ(SelectBatchGroup("*", sheet, group, name), BatchSelection::chosen);
        EXPECT_EQ(rows, (std::vector<std::string>{"1      3", "2      4"}));
        EXPECT_EQ(group, 1u);
        EXPECT_EQ(name, "2");
    }
    testsupport::ModalScript closer("选择批量设置组", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    const size_t boxes = BoxTexts().size();
    EXPECT_EQ(SelectBatchGroup("*", sheet, group, name), BatchSelection::cancelled);
    EXPECT_EQ(BoxTexts().size(), boxes);
}

TEST_F(BatchOrderTest, VolumeIsSplitByQuantitiesCheckedAndSent)
{
    Open();
    BatchGroupTable = {Group({{"10000002", 2}, {"10000003", 1}, {"10000001", 3}})};
    Send("*", "12");
    ASSERT_TRUE(WaitReceived(52, 3));
    const auto checks = Received(39), orders = Received(52);
    ASSERT_EQ(checks.size(), 3u);
    const char *customers[3] = {"10000002", "10000003", "10000001"};
    const int volumes[3] = {4, 2, 6};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(checks[i].marker, 'S');
        EXPECT_EQ(checks[i].Number(56), 1 + i);
        EXPECT_EQ(checks[i].Text(10, 10), customers[i]);
        EXPECT_EQ(checks[i].Number(40), volumes[i]);
        EXPECT_EQ(orders[i].marker, 'S');
        EXPECT_EQ(orders[i].Text(10, 10), customers[i]);
        EXPECT_EQ(orders[i].Number(40), volumes[i]);
        EXPECT_EQ(orders[i].Number(68), volumes[i]);
        EXPECT_EQ(orders[i].Number(56), 0);
        EXPECT_EQ(orders[i].Text(60, 8), std::string("000") + char('1' + i));
        EXPECT_EQ(orders[i].Text(76, 10), "");
        EXPECT_EQ(orders[i].Text(104, 10), "consign");
        EXPECT_EQ(orders[i].Text(114, 10), "");
    }
    EXPECT_NE(LogText().find("-委托发送--批量 10000003,al2512,买,2,开仓,19810"), std::string::npos);

    // Sequence numbers go on in the next batch; a volume that does not divide,
    // or one of 0, sends nothing.
    Send("*", "10");
    EXPECT_EQ(LastBox(), "下单数量不能均分，应该为 6 的倍数！");
    Send("*", "0");
    EXPECT_EQ(LastBox(), "委托手数不合法");
    Send("*", "6");
    ASSERT_TRUE(WaitReceived(52, 6));
    EXPECT_EQ(Received(39)[3].Number(56), 4);
    EXPECT_EQ(Received(39).size(), 6u);

    // Quantities that sum to 0 cannot be split.
    BatchGroupTable = {Group({{"10000001", 0}, {"10000002", 0}})};
    Send("*", "5");
    EXPECT_EQ(LastBox(), "下单数量不能均分，应该为 0 的倍数！");
    Pump(100);
    EXPECT_EQ(Received(52).size(), 6u);
}

TEST_F(BatchOrderTest, AFailedCheckSendsNothingOfTheBatch)
{
    Open();
    // 9999 is no customer of this trader: the gateway refuses its check.
    BatchGroupTable = {Group({{"10000001", 1}, {"99999999", 1}, {"10000002", 1}})};
    Send("*", "3");
    EXPECT_EQ(LastBox(), "客户 99999999 的委托单校验错！");
    EXPECT_EQ(Received(39).size(), 2u);
    Pump(100);
    EXPECT_TRUE(Received(52).empty());
    EXPECT_EQ(Text(Page(), 1004), "3");

    // Without the check the members go out and the gateway refuses the odd one.
    Settings("[Config]\r\nClearAllAfterOrder=0\r\nPLVerify=0\r\n");
    Send("*", "3");
    ASSERT_TRUE(WaitReceived(52, 3));
    EXPECT_EQ(Received(39).size(), 2u);
}

} // namespace
