// The quote list's "板块设置" opens the block dialog; a user block deleted there
// leaves the list's tabs, and the other tabs keep their blocks. Alt+Z puts the
// current row's stock into a user block chosen in the same dialog.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/shell/AlarmModify.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/views/Reptform.h"
#include "lumon/views/TableDefs.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TTabSet.h"
#include "platform/win/MessageBox.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/ModalSteps.h"

using namespace win;

namespace {

class QuoteListBlockDialogTest : public framefixture::FrameTest {
protected:
    void TearDown() override
    {
        FrameTest::TearDown();
        ClearViewMakers();
        ViewHooks = TViewHooks();
        delete[] TableDefs;
        TableDefs = nullptr;
    }
    // A quote list in a new page of the started frame, showing market block 0.
    TReport *StartList()
    {
        RegisterQuoteList();
        StartOffline();
        if (frame->StartAborted != 0)
            return nullptr;
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        TMultiViewMain *page = framefixture::NewTestPage(frame);
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        auto *list = dynamic_cast<TReport *>(page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0));
        if (list)
            list->Timer1->Enabled = false;
        return list;
    }
    int FindUser(const char *name)
    {
        for (int i = 0; i < frame->Blocks->BlockCount; ++i) {
            const BlockRecord &b = frame->Blocks->Blocks[i];
            if (b.InUse && b.Kind == BLOCK_USER && std::string(b.Name) == name)
                return b.Id;
        }
        return -1;
    }
};

TEST_F(QuoteListBlockDialogTest, ABlockDeletedInTheDialogLeavesTheTabs)
{
    std::ofstream(root / "CFG" / "blocks.ini", std::ios::binary) << "[甲]\r\n01600000\r\n[乙]\r\n01600001\r\n";
    TReport *list = StartList();
    ASSERT_NE(list, nullptr);
    const int jia = FindUser("甲"), yi = FindUser("乙");
    list->ShowBlockTab(0);
    list->ShowBlockTab(jia);
    list->ShowBlockTab(yi);
    const std::vector<int32_t> before(list->TabIds, list->TabIds + list->TabCount);

    ASSERT_TRUE(list->N12->Enabled);
    std::vector<std::string> rows;
    testsupport::ModalSteps<TEdtBlk> dialog(frame, {[&](TEdtBlk *d) {
        for (int i = 0; i < d->ListBox1->Items->Count(); ++i)
            rows.push_back(d->ListBox1->Items->Strings(i).c_str());
        d->ListBox1->ItemIndex = 0;
        ScriptMessageBoxAnswers({IDYES});
        d->Button5Click(d);
        d->Button2->Click();
    }});
    list->N12->Click();
    ASSERT_EQ(dialog.Done(), 1u);
    EXPECT_EQ(rows, (std::vector<std::string>{"甲", "乙"}));
    std::vector<int32_t> kept = before;
    std::erase(kept, jia);
    EXPECT_EQ(std::vector<int32_t>(list->TabIds, list->TabIds + list->TabCount), kept);
    EXPECT_EQ(list->Tabs->Tabs->Count(), int(kept.size()));
    EXPECT_EQ(FindUser("乙"), yi);
}

TEST_F(QuoteListBlockDialogTest, AltZPutsTheCurrentStockIntoTheChosenBlock)
{
    std::ofstream(root / "CFG" / "blocks.ini", std::ios::binary) << "[甲]\r\n01600001\r\n";
    TReport *list = StartList();
    ASSERT_NE(list, nullptr);
    list->ShowBlockTab(0);
    ASSERT_GE(list->RowCount, 2);
    // A row whose stock the block does not hold yet.
    const BlockRecord &before = frame->Blocks->Blocks[FindUser("甲")];
    ASSERT_EQ(before.MemberCount, 1);
    const int row = StockIndex(list->Rows[0].Id) == StockIndex(before.Members[0].Id) ? 2 : 1;
    list->DrawGrid1->Row = row;
    const StockId stock = list->Rows[row - 1].Id;
    std::vector<std::string> captions;
    testsupport::ModalSteps<TEdtBlk> dialog(frame, {[&](TEdtBlk *d) {
        captions.push_back(AnsiString(d->Caption).c_str());
        d->ListBox1->ItemIndex = 0;
        d->Button1->Click();
    }});
    WORD key = 'Z';
    list->DrawGrid1KeyDown(list->DrawGrid1, key, TShiftState() << ssAlt);
    ASSERT_EQ(dialog.Done(), 1u);
    EXPECT_EQ(captions, std::vector<std::string>{"选择板块"});
    const BlockRecord &jia = frame->Blocks->Blocks[FindUser("甲")];
    ASSERT_EQ(jia.MemberCount, 2);
    EXPECT_EQ(StockIndex(jia.Members[1].Id), StockIndex(stock));
    // Without Alt the key does nothing.
    key = 'Z';
    list->DrawGrid1KeyDown(list->DrawGrid1, key, TShiftState());
    EXPECT_EQ(dialog.Done(), 1u);
}

TEST_F(QuoteListBlockDialogTest, AddAlarmEditsANewAlarmForTheCurrentRow)
{
    TReport *list = StartList();
    ASSERT_NE(list, nullptr);
    list->ShowBlockTab(0);
    ASSERT_GE(list->RowCount, 2);
    list->DrawGrid1->Row = 2;
    const StockId stock = list->Rows[1].Id;
    TAlarm *store = frame->Alarms;
    ASSERT_NE(store, nullptr);
    store->ListLock().Enter();
    const int before = store->Pending().GetCount();
    store->ListLock().Leave();
    testsupport::ModalSteps<TModifyAlert> editor(frame, {[&](TModifyAlert *d) {
        d->CheckBox[0]->Checked = true;
        d->Edit_Up->Text = "99";
        d->Button1->Click();
    }});
    ASSERT_TRUE(list->N8->Enabled);
    list->N8->Click();
    ASSERT_EQ(editor.Done(), 1u);
    store->ListLock().Enter();
    ASSERT_EQ(store->Pending().GetCount(), before + 1);
    const AlarmData added = store->Pending().GetAt(before);
    store->ListLock().Leave();
    EXPECT_EQ(added.Market, StockMarket(stock));
    EXPECT_EQ(added.Stock, StockIndex(stock));
    EXPECT_EQ(added.Upper, 99.0f);
    EXPECT_EQ(added.Lower, AlarmLimitOff);
}

} // namespace
