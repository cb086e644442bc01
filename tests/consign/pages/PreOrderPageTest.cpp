// The pre-order page against the simulated gateway: pre-orders stored from the
// order page, the fill-in dialog and its checks, "发出" and "全发" with single and
// batch pre-orders, the batch right, and what stays when a send fails.
#include <cstring>
#include <string>
#include <vector>

#include "tests/consign/pages/OrderFixture.h"
#include "tests/support/ModalScript.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class PreOrderPageTest : public pagestest::OrderFixture {
protected:
    // A pre-order stored from the order page.
    void Store(const char *customer, const char *volume, const char *price)
    {
        Page().SetDlgItemText(1011, customer);
        Page().SetDlgItemText(1012, "al2512");
        // For "*" the trade codes are emptied: a batch pre-order keeps none.
        Page().OnContractKillFocus();
        Page().SetDlgItemText(1004, volume);
        Page().SetDlgItemText(1005, price);
        Click(Page(), 1010);
    }
    CPreOrderPage &PreOrders() { return sheet->m_PreOrderPage; }
    // The sheet with the pre-order page made (as its first showing makes it).
    void OpenPages()
    {
        Open();
        sheet->SetActivePage(6);
        sheet->SetActivePage(0);
    }
    void SelectAll()
    {
        for (int i = 0; i < PreOrders().m_List.GetItemCount(); ++i)
            PreOrders().m_List.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    }
};

TEST_F(PreOrderPageTest, FillInDialogChecksItsFieldsAndASinglePreOrderKeepsItsNumber)
{
    OpenPages();
    Store("10000002", "", "");
    EXPECT_EQ(LastBox(), "");
    ASSERT_EQ(PreOrderList.size(), 1u);
    ASSERT_EQ(PreOrders().m_List.GetItemCount(), 1);
    EXPECT_EQ(PreOrders().m_List.GetItemText(0, 0), "10000002");
    EXPECT_EQ(PreOrders().m_List.GetItemText(0, 3), "0");
    EXPECT_EQ(PreOrders().m_List.GetItemText(0, 7), "81000002");
    EXPECT_EQ(LocalOrderNumber, 2);

    int focused = 0;
    std::vector<std::string> messages;
    testsupport::ModalScript fill("预埋单补填数量、价格", [&](HWND dialog) {
        CWnd *focus = CWnd::GetFocus();
        focused = focus ? focus->GetDlgCtrlID() : 0;
        CWnd *d = CWnd::FromHandle(dialog);
        struct Try {
            const char *volume, *price;
        } tries[] = {{"0", "19810"}, {"", "19810"}, {"2", "abc"}, {"2", "200000"}, {"2", ""}};
        for (const Try &t : tries) {
            d->SetDlgItemText(1091, t.volume);
            d->SetDlgItemText(1007, t.price);
            d->SendMessage(WM_COMMAND, IDOK, 0);
            messages.push_back(LastBox());
        }
        d->SetDlgItemText(1091, "2");
        d->SetDlgItemText(1007, "19810");
        d->SendMessage(WM_COMMAND, IDOK, 0);
    });
    PreOrders().m_List.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    Click(PreOrders(), 1009);
    EXPECT_EQ(focused, 1091);
    EXPECT_EQ(messages, (std::vector<std::string>{"委托手数不合法", "委托手数不合法", "请键入一个整数。", "价格不合法",
                                                  "请键入一个整数。"}));
    ASSERT_TRUE(WaitReceived(52, 1));
    const pagestest::ReceivedPacket order = Received(52)[0];
    EXPECT_EQ(order.marker, 'S');
    EXPECT_EQ(order.Number(40), 2);
    EXPECT_EQ(order.Text(44, 8), "19810");
    EXPECT_EQ(order.Text(60, 8), "0001");
    EXPECT_EQ(order.Text(114, 10), "single");
    EXPECT_EQ(LocalOrderNumber, 2);
    EXPECT_TRUE(PreOrderList.empty());
    EXPECT_EQ(PreOrders().m_List.GetItemCount(), 0);
    EXPECT_NE(LogText().find("-委托发送(预埋) 10000002,al2512,买,2,开仓,19810"), std::string::npos);
}

TEST_F(PreOrderPageTest, SendAllGoesOnAfterABatchThatCannotBeSplitWhenAskedTo)
{
    OpenPages();
    BatchGroupTable = {Group({{"10000001", 2}, {"10000002", 1}})};
    Store("10000001", "1", "19810");
    Store("*", "4", "19810"); // 4 is no multiple of 3
    Store("10000002", "1", "19810");
    ASSERT_EQ(PreOrderList.size(), 3u);
    ScriptMessageBoxAnswers({IDOK, IDYES});
    Click(PreOrders(), 1012);
    ASSERT_TRUE(WaitReceived(52, 2));
    const auto texts = BoxTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "下单数量不能均分，应该为 3 的倍数！");
    EXPECT_EQ(texts.back(), "批量下单出错，是否继续发送剩余的预埋单？");
    EXPECT_EQ(ShownMessageBoxes().back().type & MB_DEFMASK, MB_DEFBUTTON2);
    EXPECT_EQ(Received(52)[1].Text(10, 10), "10000002");
    ASSERT_EQ(PreOrderList.size(), 1u);
    EXPECT_EQ(PreOrders().m_List.GetItemText(0, 0), "*");

    // A divisible volume: the batch goes with the group's name at 114 and one
    // new local number per member.
    PreOrderList.front().volume = PreOrderList.front().volume2 = 3;
    PreOrders().RefreshList(nullptr);
    const int number = LocalOrderNumber;
    SelectAll();
    Click(PreOrders(), 1009);
    ASSERT_TRUE(WaitReceived(52, 4));
    const auto orders = Received(52);
    EXPECT_EQ(orders[2].Text(114, 10), "1");
    EXPECT_EQ(orders[2].Number(40), 2);
    EXPECT_EQ(orders[3].Number(40), 1);
    EXPECT_EQ(orders[3].Text(60, 8), std::to_string(10000 + number + 1).substr(1));
    EXPECT_EQ(LocalOrderNumber, number + 2);
    EXPECT_TRUE(PreOrderList.empty());
}

TEST_F(PreOrderPageTest, SendAllNeedsTheBatchRightAndNothingLeavesWhileLoggedOut)
{
    OpenPages();
    BatchGroupTable = {Group({{"10000001", 1}})};
    Store("*", "1", "19810");
    RightsText = "ACQ";
    Click(PreOrders(), 1012);
    EXPECT_EQ(LastBox(), "你没有批量下单的权限！");
    EXPECT_EQ(PreOrderList.size(), 1u);
    // "发出" asks for no right.
    SelectAll();
    Click(PreOrders(), 1009);
    ASSERT_TRUE(WaitReceived(52, 1));
    EXPECT_TRUE(PreOrderList.empty());

    Store("10000001", "1", "19810");
    Store("10000002", "1", "19810");
    TheTradeSession().m_bLoggedIn = 0;
    Click(PreOrders(), 1012);
    SelectAll();
    Click(PreOrders(), 1009);
    EXPECT_EQ(LastBox(), "没有登录，请先登录");
    EXPECT_EQ(PreOrderList.size(), 2u);
    EXPECT_EQ(PreOrders().m_List.GetItemCount(), 2);

    // "删除" takes the selected ones, "清空" all, without a question.
    const size_t boxes = BoxTexts().size();
    PreOrders().m_List.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    Click(PreOrders(), 1010);
    ASSERT_EQ(PreOrderList.size(), 1u);
    EXPECT_EQ(std::string(PreOrderList.front().customer, 8), "10000001");
    Click(PreOrders(), 1011);
    EXPECT_TRUE(PreOrderList.empty());
    EXPECT_EQ(BoxTexts().size(), boxes);
}

} // namespace
