// The block editor, the block and stock choosers and the user-information box
// on the maker's installation, with a blocks.ini of the test's own.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/shell/AboutBox.h"
#include "lumon/shell/Cview.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/ModiBk.h"
#include "lumon/shell/SelBk.h"
#include "lumon/shell/SelStockDlg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Sound.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/ModalSteps.h"

using namespace framefixture;
using namespace win;
using testsupport::ModalSteps;

namespace {

std::string Text(const AnsiString &s) { return s.c_str(); }

std::vector<std::string> Lines(TListBox *list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list->Items->Count(); ++i)
        out.push_back(Text(list->Items->Strings(i)));
    return out;
}

class BlockDialogsTest : public FrameTest {
protected:
    // The user's blocks.ini the frame starts with.
    virtual std::string UserBlocks() { return "[甲]\r\n01600000\r\n01600004\r\n[乙]\r\n01600001\r\n"; }
    void SetUp() override
    {
        FrameTest::SetUp();
        std::ofstream(root / "CFG" / "blocks.ini", std::ios::binary) << UserBlocks();
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        ASSERT_NE(frame->Blocks, nullptr);
    }
    std::string Blocks() { return ReadFile(root / "CFG" / "blocks.ini"); }
    int FindUser(const char *name)
    {
        for (int i = 0; i < frame->Blocks->BlockCount; ++i) {
            const BlockRecord &b = frame->Blocks->Blocks[i];
            if (b.InUse && b.Kind == BLOCK_USER && std::string(b.Name) == name)
                return b.Id;
        }
        return -1;
    }
    BlockMember Member(const char *code)
    {
        int market = 0;
        uint8_t m, c;
        uint16_t index;
        EXPECT_TRUE(TDataIO::FindStockPos(code, market, m, c, index, false)) << code;
        return BlockMember{MakeStockId(m, c, index), 0, 0, 0};
    }
    void Type(TModiBk *d, const char *text) { d->Edit2->Text = text; }
    TModiBk *Editor(int block)
    {
        auto *d = new TModiBk(frame);
        d->AfterConstruction();
        d->SetBlock(block);
        // Shown, so that its boxes report their changes.
        d->Show();
        return d;
    }
};

TEST_F(BlockDialogsTest, TheEditorKeepsOneMemberPerStockAndAddsATypedCode)
{
    std::unique_ptr<TModiBk> d(Editor(FindUser("乙")));
    EXPECT_EQ(d->MemberCount, 1);
    EXPECT_EQ(Text(d->ListBox2->Items->Strings(0)), "邯郸钢铁(600001)");
    EXPECT_FALSE(d->AddMember(Member("600001")));
    EXPECT_TRUE(d->AddMember(Member("600005")));
    EXPECT_FALSE(d->AddMember(Member("600005")));
    EXPECT_EQ(d->MemberCount, 2);
    // The market blocks are offered; a full code leaves one candidate that
    // Enter adds, and the box is emptied.
    EXPECT_EQ(d->ComboBox1->Items->Count(), MarketTable.Count);
    EXPECT_EQ(d->CandidateCount, MarketTable.Markets[0]->StockCount);
    Type(d.get(), "600009");
    ASSERT_EQ(d->CandidateCount, 1);
    WORD key = VK_RETURN;
    d->Edit2KeyDown(d->Edit2, key, TShiftState());
    EXPECT_EQ(d->MemberCount, 3);
    EXPECT_EQ(Text(d->ListBox2->Items->Strings(2)), "上海机场(600009)");
    EXPECT_EQ(Text(d->Edit2->Text), "");
    EXPECT_EQ(d->CandidateCount, MarketTable.Markets[0]->StockCount);
    // Initials find names too; the members move up and down.
    Type(d.get(), "SHJC");
    EXPECT_GE(d->CandidateCount, 1);
    d->ListBox2->ItemIndex = 2;
    d->Button5Click(d.get());
    EXPECT_EQ(Text(d->ListBox2->Items->Strings(1)), "上海机场(600009)");
    EXPECT_EQ(d->ListBox2->ItemIndex, 1);
    d->ListBox2->ItemIndex = 0;
    d->Button5Click(d.get());
    EXPECT_EQ(Text(d->ListBox2->Items->Strings(0)), "邯郸钢铁(600001)");
    App().ProcessMessages();
    d->Widget()->window()->grab().toImage().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/modibk.png"));
}

TEST_F(BlockDialogsTest, SavingRefusesAnEmptyBlockAndAsksBeforeReplacingAnother)
{
    std::unique_ptr<TModiBk> d(Editor(FindUser("甲")));
    d->Button4Click(d.get());
    d->Button7Click(d.get());
    auto boxes = ShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "请选择商品!  ");
    EXPECT_EQ(boxes.back().caption, "警告");
    EXPECT_EQ(d->Saved, 0);

    // Renamed onto 乙: No keeps the dialog open, Yes gives 乙 the members.
    d->AddMember(Member("600010"));
    d->AddMember(Member("600004"));
    d->Edit1->Text = "乙";
    ScriptMessageBoxAnswers({IDNO});
    d->Button7Click(d.get());
    EXPECT_EQ(d->Saved, 0);
    EXPECT_EQ(ShownMessageBoxes().back().text, "板块 乙 已存在, 覆盖?  ");
    ScriptMessageBoxAnswers({IDYES});
    d->Button7Click(d.get());
    EXPECT_EQ(d->Saved, 1);
    EXPECT_EQ(int(d->ModalResult), mrOk);
    EXPECT_EQ(d->BlockNo, FindUser("乙"));
    EXPECT_EQ(frame->Blocks->FindBlock(FindUser("乙"))->MemberCount, 2);
    EXPECT_EQ(frame->Blocks->FindBlock(FindUser("甲"))->MemberCount, 2);
    EXPECT_EQ(Blocks(), "[甲]\r\n01600000\r\n01600004\r\n[乙]\r\n01600010\r\n01600004\r\n");

    // A plain rename moves the block to its new section.
    std::unique_ptr<TModiBk> r(Editor(FindUser("甲")));
    r->Edit1->Text = "丙";
    r->Button7Click(r.get());
    EXPECT_EQ(r->Saved, 1);
    EXPECT_EQ(FindUser("甲"), -1);
    EXPECT_EQ(Blocks(), "[乙]\r\n01600010\r\n01600004\r\n[丙]\r\n01600000\r\n01600004\r\n");
}

TEST_F(BlockDialogsTest, ANewBlockTakesTheSlotOfADeletedOne)
{
    int gone = FindUser("甲");
    BlockRecord *b = frame->Blocks->FindBlock(gone);
    b->InUse = 0;
    frame->Blocks->SaveBlockToIni(b);
    std::unique_ptr<TModiBk> d(Editor(-1));
    EXPECT_EQ(Text(d->Edit1->Text), "新板块");
    EXPECT_EQ(d->MemberCount, 0);
    d->AddMember(Member("600009"));
    d->Edit1->Text = "新的";
    d->Button7Click(d.get());
    ASSERT_EQ(d->Saved, 1);
    EXPECT_EQ(d->BlockNo, gone);
    const BlockRecord *made = frame->Blocks->FindBlock(gone);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Kind, BLOCK_USER);
    EXPECT_STREQ(made->Name, "新的");
    EXPECT_EQ(Blocks(), "[乙]\r\n01600001\r\n[新的]\r\n01600009\r\n");
}

TEST_F(BlockDialogsTest, TheCandidatesStopAt3072)
{
    BlockRecord &market = frame->Blocks->Blocks[0];
    ASSERT_EQ(market.Kind, BLOCK_MARKET);
    for (int i = market.MemberCount; i < MaxBlockMembers; ++i)
        market.Members[i] = market.Members[i % market.MemberCount];
    market.MemberCount = MaxBlockMembers;
    std::unique_ptr<TModiBk> d(Editor(-1));
    EXPECT_EQ(d->CandidateCount, MaxBlockCandidates);
    EXPECT_EQ(d->ListBox1->Items->Count(), MaxBlockCandidates);
    Type(d.get(), "6");
    EXPECT_EQ(d->CandidateCount, MaxBlockCandidates);
}

TEST_F(BlockDialogsTest, TheChoosersListTheirBlocks)
{
    TSelBk chooser(frame, 5, 3, false);
    chooser.AfterConstruction();
    ASSERT_GT(chooser.RowCount, 0);
    for (int i = 0; i < chooser.RowCount; ++i) {
        int kind = frame->Blocks->FindBlock(chooser.RowBlocks[i])->Kind;
        EXPECT_TRUE(kind >= 3 && kind <= 5) << kind;
    }
    EXPECT_EQ(chooser.ListBox1->Items->Count(), chooser.RowCount);
    EXPECT_FALSE(chooser.Button3->Enabled);
    chooser.ListBox1->ItemIndex = 1;
    chooser.Button1Click(&chooser);
    EXPECT_EQ(chooser.Chosen, 1);
    EXPECT_EQ(chooser.BlockNo, chooser.RowBlocks[1]);
    EXPECT_EQ(int(chooser.ModalResult), mrOk);
    // All kinds: block 0 is preselected.
    TSelBk all(frame, 5, 0, true);
    EXPECT_EQ(all.ListBox1->ItemIndex, 0);
    EXPECT_TRUE(all.Button3->Enabled);

    {
        TSelStockDlg stocks(frame);
        EXPECT_EQ(SelStockDlg, &stocks);
        // The markets, then the user's blocks.
        ASSERT_EQ(stocks.BlockCount, MarketTable.Count + 2);
        EXPECT_EQ(stocks.ListedBlocks[0].Kind, BLOCK_MARKET);
        EXPECT_STREQ(stocks.ListedBlocks[MarketTable.Count].Name, "甲");
        EXPECT_EQ(Text(stocks.Label1->Caption), "提示: 可以使用智能键盘");
        stocks.ListBox2->ItemIndex = MarketTable.Count + 1;
        stocks.ListBox2Click(&stocks);
        ASSERT_EQ(stocks.ListBox1->Items->Count(), 1);
        EXPECT_EQ(Text(stocks.ListBox1->Items->Strings(0)), "邯郸钢铁");
        EXPECT_EQ(stocks.ChosenStock, Member("600001").Id);
    }
    EXPECT_EQ(SelStockDlg, nullptr);
}

TEST_F(BlockDialogsTest, TheUserBoxShowsTheUserOnlyWhenConnected)
{
    WritePrivateProfileStringA("UserInfo", "company", "某某公司", "..\\CFG\\SETTING.INI");
    TAboutBox box(frame);
    box.AfterConstruction();
    EXPECT_EQ(Text(box.Caption), "用户信息");
    EXPECT_EQ(Text(box.Label1->Caption), "分析系统");
    EXPECT_EQ(Text(box.Label2->Caption), "某某公司");
    EXPECT_EQ(Text(box.Label3->Caption), "88888888");
    EXPECT_EQ(Text(box.Label6->Caption), "未登录");
    EXPECT_EQ(Text(box.Label7->Caption), "____年__月__日");
    EXPECT_FALSE(box.Label4->Enabled);
    EXPECT_FALSE(box.Label5->Enabled);
    box.SetUser(3, "demo", 240615);
    EXPECT_EQ(Text(box.Label6->Caption), "demo");
    EXPECT_EQ(Text(box.Label7->Caption), "2024年06月15日");
    EXPECT_TRUE(box.Label4->Enabled);
    EXPECT_TRUE(box.Label5->Enabled);
}

// The block dialog and adding a stock to a block, with test views on a page
// of the frame that hear the notifications and the deleted blocks.
std::vector<int> removedTabs;

class BlockEditorTest : public BlockDialogsTest {
protected:
    void SetUp() override
    {
        BlockDialogsTest::SetUp();
        page = framefixture::NewTestPage(frame);
        view = framefixture::AddTestView(page);
        removedTabs.clear();
        ViewHooks.RemoveBlockTab = [](TMultiViewChild *, int id) { removedTabs.push_back(id); };
        RecordSounds(true);
    }
    void TearDown() override
    {
        RecordSounds(false);
        BlockDialogsTest::TearDown();
    }
    // The captions of the frame's user-block menu.
    std::vector<std::string> UserMenu()
    {
        std::vector<std::string> out;
        TMenuItem *last = frame->N2->Count ? frame->N2->Items[frame->N2->Count - 1] : nullptr;
        for (int i = 0; last && last->Caption == "自选板块" && i < last->Count; ++i)
            out.push_back(Text(last->Items[i]->Caption));
        return out;
    }
    std::vector<std::array<int32_t, 4>> Notes10() { return view->Notes(10); }
    // Picks the row of the block in the chooser and presses 确定.
    static void Choose(TEdtBlk *d, int id)
    {
        d->ListBox1->ItemIndex = -1;
        for (int i = 0; i < d->ListCount; ++i)
            if (d->ListBlocks[i] == id)
                d->ListBox1->ItemIndex = i;
        d->Button1Click(d);
    }

    framefixture::TestViews views;
    TMultiViewMain *page = nullptr;
    framefixture::FrameTestView *view = nullptr;
};

TEST_F(BlockEditorTest, TheDialogDeletesMakesAndEditsUserBlocksAndOthersKeepTheirIds)
{
    const int jia = FindUser("甲"), yi = FindUser("乙");
    TEdtBlk dialog(frame, 5, 3);
    EXPECT_EQ(Text(dialog.Caption), "编辑板块");
    EXPECT_EQ(Lines(dialog.ListBox1), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(dialog.ListBox1->ItemIndex, 0);
    EXPECT_TRUE(dialog.Button4->Enabled);
    App().ProcessMessages();
    dialog.Show();
    App().ProcessMessages();
    dialog.Widget()->window()->grab().toImage().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/edtblk.png"));
    dialog.Hide();

    // 删除, answered No and then Yes: the slot is freed, the section goes, the
    // quote lists hear the id, 乙 keeps its id.
    ScriptMessageBoxAnswers({IDNO});
    dialog.Button5Click(&dialog);
    EXPECT_EQ(FindUser("甲"), jia);
    EXPECT_EQ(ShownMessageBoxes().back().text, "您确认删除所选择的板块吗？");
    EXPECT_EQ(ShownMessageBoxes().back().caption, "提示");
    EXPECT_EQ(ShownMessageBoxes().back().buttons, UINT(MB_YESNO));
    ScriptMessageBoxAnswers({IDYES});
    dialog.Button5Click(&dialog);
    EXPECT_EQ(FindUser("甲"), -1);
    EXPECT_EQ(FindUser("乙"), yi);
    EXPECT_EQ(frame->Blocks->FindBlock(yi)->MemberCount, 1);
    EXPECT_EQ(Blocks(), "[乙]\r\n01600001\r\n");
    EXPECT_EQ(removedTabs, std::vector<int>{jia});
    EXPECT_EQ(UserMenu(), std::vector<std::string>{"乙"});
    EXPECT_EQ(Lines(dialog.ListBox1), std::vector<std::string>{"乙"});

    // 新建: the member editor's new block takes the freed slot and joins the
    // list at its end, selected.
    {
        ModalSteps<TModiBk> editor(frame, {[this](TModiBk *d) {
                                        EXPECT_EQ(d->BlockNo, -1);
                                        d->AddMember(Member("600009"));
                                        d->Edit1->Text = "新的";
                                        d->Button7Click(d);
                                    }});
        dialog.Button3Click(&dialog);
        EXPECT_EQ(editor.Done(), 1u);
    }
    EXPECT_EQ(FindUser("新的"), jia);
    EXPECT_EQ(Lines(dialog.ListBox1), (std::vector<std::string>{"乙", "新的"}));
    EXPECT_EQ(dialog.ListBox1->ItemIndex, 1);
    EXPECT_EQ(Blocks(), "[乙]\r\n01600001\r\n[新的]\r\n01600009\r\n");
    EXPECT_EQ(UserMenu(), (std::vector<std::string>{"新的", "乙"}));
    EXPECT_TRUE(Notes10().empty());

    // 编辑 (a double click) renames 乙 and adds a member; the panes hear code 10.
    dialog.ListBox1->ItemIndex = 0;
    {
        ModalSteps<TModiBk> editor(frame, {[this, yi](TModiBk *d) {
                                        EXPECT_EQ(d->BlockNo, yi);
                                        d->AddMember(Member("600005"));
                                        d->Edit1->Text = "乙二";
                                        d->Button7Click(d);
                                    }});
        dialog.ListBox1DblClick(dialog.ListBox1);
        EXPECT_EQ(editor.Done(), 1u);
    }
    EXPECT_EQ(FindUser("乙二"), yi);
    EXPECT_EQ(Lines(dialog.ListBox1), (std::vector<std::string>{"乙二", "新的"}));
    EXPECT_EQ(Blocks(), "[新的]\r\n01600009\r\n[乙二]\r\n01600001\r\n01600005\r\n");
    EXPECT_EQ(Notes10(), (std::vector<std::array<int32_t, 4>>{{10, 0, 0, 0}}));
    // An edit cancelled changes nothing and tells nobody.
    {
        ModalSteps<TModiBk> editor(frame, {[](TModiBk *d) { d->ModalResult = mrCancel; }});
        dialog.Button4Click(&dialog);
    }
    EXPECT_EQ(Notes10().size(), 1u);

    // 确定 gives the selected row's block, block 0 without a selection.
    dialog.ListBox1->ItemIndex = 1;
    dialog.Button1Click(&dialog);
    EXPECT_EQ(dialog.Chosen, 1);
    EXPECT_EQ(dialog.ChosenBlock, jia);
    EXPECT_EQ(int(dialog.ModalResult), mrOk);
    dialog.ListBox1->ItemIndex = -1;
    dialog.Button1Click(&dialog);
    EXPECT_EQ(dialog.ChosenBlock, 0);
}

TEST_F(BlockEditorTest, TheDataBlocksAreNeitherEditedNorDeleted)
{
    TEdtBlk all(frame, 5, 0);
    ASSERT_GT(all.ListCount, 2);
    EXPECT_EQ(frame->Blocks->FindBlock(all.ListBlocks[0])->Kind, BLOCK_MARKET);
    EXPECT_EQ(all.ListBox1->ItemIndex, 0);
    const std::string before = Blocks();
    const int count = all.ListCount;
    ModalSteps<TModiBk> editor(frame, {});
    all.Button4Click(&all);
    all.ListBox1DblClick(all.ListBox1);
    ScriptMessageBoxAnswers({IDYES});
    const size_t boxes = ShownMessageBoxes().size();
    all.Button5Click(&all);
    App().ProcessMessages();
    EXPECT_EQ(editor.extra, 0);
    EXPECT_EQ(RecordedMessageBeeps().size(), 3u);
    EXPECT_EQ(ShownMessageBoxes().size(), boxes);
    EXPECT_EQ(all.ListCount, count);
    ASSERT_NE(frame->Blocks->FindBlock(all.ListBlocks[0]), nullptr);
    EXPECT_EQ(Blocks(), before);

    // Deleting a user block leaves the user blocks listed, whatever the range.
    all.ListBox1->ItemIndex = all.ListBox1->Items->IndexOf("乙");
    ScriptMessageBoxAnswers({IDYES});
    all.Button5Click(&all);
    EXPECT_EQ(Lines(all.ListBox1), std::vector<std::string>{"甲"});
}

TEST_F(BlockEditorTest, AddingAStockRefusesSystemBlocksAndIgnoresDuplicatesAndFullBlocks)
{
    const int jia = FindUser("甲"), yi = FindUser("乙");
    // A kind-3 block counts as the system's when a stock joins a block.
    frame->Blocks->FindBlock(jia)->Kind = 3;
    const StockId stock = Member("600009").Id;
    uint8_t busy = 0;
    std::string caption;
    bool hidden = false;
    const size_t before = ShownMessageBoxes().size();
    {
        ModalSteps<TEdtBlk> chooser(frame, {[&](TEdtBlk *d) {
                                                 busy = DialogBusy;
                                                 caption = Text(d->Caption);
                                                 hidden = !d->Button3->Visible && !d->Button4->Visible;
                                                 Choose(d, -1); // no row: block 0, a market's
                                             },
                                             [jia](TEdtBlk *d) { Choose(d, jia); },
                                             [yi](TEdtBlk *d) { Choose(d, yi); }});
        TChildView::AddStockToBlock(frame, stock);
        EXPECT_EQ(chooser.Done(), 3u);
    }
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(DialogBusy, 0);
    EXPECT_EQ(caption, "选择板块");
    EXPECT_TRUE(hidden);
    auto boxes = ShownMessageBoxes();
    boxes.erase(boxes.begin(), boxes.begin() + long(before));
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto &box : boxes) {
        EXPECT_EQ(box.text, "不能加入到系统板块.  ");
        EXPECT_EQ(box.caption, "警告");
        EXPECT_EQ(box.icon, UINT(MB_ICONERROR));
    }
    EXPECT_EQ(Blocks(), "[甲]\r\n01600000\r\n01600004\r\n[乙]\r\n01600001\r\n01600009\r\n");
    const BlockRecord *b = frame->Blocks->FindBlock(yi);
    ASSERT_EQ(b->MemberCount, 2);
    EXPECT_EQ(b->Members[1].Id, stock);
    EXPECT_EQ(b->Members[1].Order, 1);
    EXPECT_EQ(Notes10(), (std::vector<std::array<int32_t, 4>>{{10, int32_t(stock), 0, 0}}));

    // A stock held already (under another class byte), a block of 2048 members
    // and a cancelled chooser leave the block alone; the panes still hear 10.
    const BlockMember held = Member("600001");
    const StockId otherClass = MakeStockId(StockMarket(held.Id), uint8_t(StockClass(held.Id) + 1), StockIndex(held.Id));
    struct Case {
        const char *what;
        StockId stock;
        int fill; // members the block is filled to first, 0: as it is
        bool cancel;
    } cases[] = {{"duplicate", otherClass, 0, false},
                 {"full", Member("600005").Id, TChildView::MaxAddedMembers, false},
                 {"cancelled", Member("600005").Id, 0, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        BlockRecord *block = frame->Blocks->FindBlock(yi);
        for (int i = block->MemberCount; i < c.fill; ++i)
            block->Members[i] = block->Members[0];
        if (c.fill)
            block->MemberCount = uint16_t(c.fill);
        const int members = block->MemberCount;
        const std::string file = Blocks();
        view->notes.clear();
        ModalSteps<TEdtBlk> chooser(frame, {[yi, c](TEdtBlk *d) {
                                         if (c.cancel)
                                             d->Button2->Click();
                                         else
                                             Choose(d, yi);
                                     }});
        TChildView::AddStockToBlock(frame, c.stock);
        EXPECT_EQ(chooser.Done(), 1u);
        EXPECT_EQ(block->MemberCount, members);
        EXPECT_EQ(Blocks(), file);
        EXPECT_EQ(Notes10(), (std::vector<std::array<int32_t, 4>>{{10, int32_t(c.stock), 0, 0}}));
    }
}

TEST_F(BlockEditorTest, TheToolsMenuOpensTheBlockDialogWhileTheFrameIsBusy)
{
    TMenuItem *item = frame->MenuItem144;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(Text(item->Caption), "板块设置(&B)");
    uint8_t busy = 0;
    std::vector<std::string> rows;
    ModalSteps<TEdtBlk> dialog(frame, {[&](TEdtBlk *d) {
        busy = DialogBusy;
        rows = Lines(d->ListBox1);
        d->Button2->Click();
    }});
    item->Click();
    EXPECT_EQ(dialog.Done(), 1u);
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(DialogBusy, 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"甲", "乙"}));
}

// A blocks.ini at the table's limits: more sections than slots, a section of
// more members than a block holds.
class FullBlockTableTest : public BlockDialogsTest {
protected:
    std::string UserBlocks() override
    {
        std::string text = "[大]\r\n";
        for (int i = 0; i < 5000; ++i)
            text += "01600000\r\n";
        for (int i = 0; i < 600; ++i)
            text += "[b" + std::to_string(i) + "]\r\n01600001\r\n";
        return text;
    }
    // The installation stays behind for tests that read the block files
    // without starting a frame: it gets an ordinary block file back.
    void TearDown() override
    {
        BlockDialogsTest::TearDown();
        std::ofstream(root / "CFG" / "blocks.ini", std::ios::binary) << BlockDialogsTest::UserBlocks();
    }
};

TEST_F(FullBlockTableTest, TheDialogsKeepToTheLimits)
{
    ASSERT_EQ(frame->Blocks->BlockCount, MaxBlocks);
    // A block filled to its 4096 members takes no further one.
    BlockRecord *full = frame->Blocks->FindBlock(FindUser("大"));
    ASSERT_NE(full, nullptr);
    for (int i = 0; i < MaxBlockMembers; ++i)
        full->Members[i] = BlockMember{MakeStockId(0, 1, i), uint16_t(i), 0, 0};
    full->MemberCount = MaxBlockMembers;
    std::unique_ptr<TModiBk> big(Editor(full->Id));
    EXPECT_EQ(big->MemberCount, MaxBlockMembers);
    EXPECT_FALSE(big->AddMember(BlockMember{MakeStockId(1, 0, 0), 0, 0, 0}));
    // No slot for a new block: said so, nothing saved.
    std::unique_ptr<TModiBk> d(Editor(-1));
    d->AddMember(Member("600009"));
    d->Button7Click(d.get());
    EXPECT_EQ(d->Saved, 0);
    EXPECT_EQ(ShownMessageBoxes().back().text, "设计的板块太多!   ");
    TSelBk chooser(frame, 5, 0, false);
    EXPECT_EQ(chooser.RowCount, MaxBlocks);
    // Every slot holds a block: the block dialog's 新建 says so before any editor.
    TEdtBlk blocks(frame, 5, 3);
    ModalSteps<TModiBk> editor(frame, {});
    blocks.Button3Click(&blocks);
    EXPECT_EQ(ShownMessageBoxes().back().text, "设计的板块太多!   ");
    EXPECT_EQ(ShownMessageBoxes().back().caption, "系统提示");
    EXPECT_EQ(editor.extra, 0);
    TSelStockDlg stocks(frame);
    EXPECT_LE(stocks.BlockCount, MaxBlocks);
}

} // namespace
