// The block editor, the block and stock choosers and the user-information box
// on the maker's installation, with a blocks.ini of the test's own.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <fstream>
#include <string>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/shell/AboutBox.h"
#include "lumon/shell/ModiBk.h"
#include "lumon/shell/SelBk.h"
#include "lumon/shell/SelStockDlg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TListBox.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace framefixture;
using namespace win;

namespace {

std::string Text(const AnsiString &s) { return s.c_str(); }

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
    TSelStockDlg stocks(frame);
    EXPECT_LE(stocks.BlockCount, MaxBlocks);
}

} // namespace
