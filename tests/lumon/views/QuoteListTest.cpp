// The quote list: the column tables read from SETTING.INI and checked, the sort
// keys made of ranking answers (bad answers included), and a list in a page of
// the frame on an installation: tabs, change marks, deleted blocks and members.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/views/Adjtt.h"
#include "lumon/views/RankFile.h"
#include "lumon/views/Reptform.h"
#include "lumon/views/TableDefs.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TTabSet.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Sound.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/ModalScript.h"
#include "tests/support/PdfPages.h"

using namespace win;

namespace {

namespace fs = std::filesystem;

// ---- ranking answers -----------------------------------------------------------------

std::vector<uint8_t> Records(int size, const std::vector<std::vector<float>> &values, uint16_t key = 0x0010)
{
    std::vector<uint8_t> out;
    for (const auto &v : values) {
        uint8_t r[14] = {};
        std::memcpy(r, &key, 2);
        for (size_t i = 0; i < v.size() && 2 + 4 * i + 4 <= size_t(size); ++i)
            std::memcpy(r + 2 + 4 * i, &v[i], 4);
        out.insert(out.end(), r, r + size);
    }
    return out;
}

struct KeyCase {
    int field;
    int descending;
    std::vector<std::vector<float>> records;
    int rows;
    std::vector<double> keys;
};

TEST(RankAnswerTest, KeysFollowTheFieldAndFallBackToTheDefault)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<KeyCase> cases = {
        // (a - b) * 100 / b; b = 0 takes the default of the direction.
        {11, 1, {{110, 100}, {90, 100}, {5, 0}}, 3, {10.0, -10.0, 0.0}},
        {11, 0, {{110, 100}, {5, 0}}, 3, {10.0, 1e15, 1e15}},
        // (a - b) * 100 / c, 0 when c is 0.
        {12, 0, {{12, 10, 100}, {12, 10, 0}}, 2, {2.0, 0.0}},
        // (a - b) * 100 / (a + b), 0 when a + b is 0.
        {20, 1, {{30, 10}, {0, 0}}, 2, {50.0, 0.0}},
        // Non-finite values never become keys.
        {11, 0, {{nan, 100}, {inf, 100}, {100, inf}}, 3, {1e15, 1e15, 1e15}},
        {20, 1, {{inf, 1}}, 1, {0.0}},
        // More records than rows: the rest is not read.
        {11, 1, {{110, 100}, {120, 100}, {130, 100}}, 1, {10.0}},
    };
    for (const KeyCase &c : cases) {
        const std::vector<uint8_t> bytes = Records(RankRecordSize(c.field), c.records);
        std::vector<BlockMember> rows(size_t(c.rows), BlockMember{});
        std::vector<double> keys(size_t(c.rows), -7.0);
        RankKeysFromAnswer(bytes.data(), bytes.size(), c.field, rows.data(), c.rows, c.descending, keys.data());
        for (int i = 0; i < c.rows; ++i)
            EXPECT_NEAR(keys[size_t(i)], c.keys[size_t(i)], 1e-4) << "field " << c.field << " row " << i;
    }
}

TEST(RankAnswerTest, FieldsWithoutAnswersAndShortOrCutFiles)
{
    for (int field : {0, 1, 9, 22, 23, 30, 31, 32, 33, 34, -1, 1000})
        EXPECT_EQ(RankRecordSize(field), 0) << field;
    EXPECT_EQ(RankRecordSize(12), 14);
    EXPECT_EQ(RankRecordSize(21), 10);
    EXPECT_EQ(RankRecordSize(6), 7);

    // A record cut short is no record: the row keeps the default.
    std::vector<uint8_t> bytes = Records(10, {{110, 100}, {120, 100}});
    bytes.resize(bytes.size() - 3);
    BlockMember rows[3] = {};
    double keys[3];
    RankKeysFromAnswer(bytes.data(), bytes.size(), 11, rows, 3, 0, keys);
    EXPECT_NEAR(keys[0], 10.0, 1e-6);
    EXPECT_EQ(keys[1], 1e15);
    EXPECT_EQ(keys[2], 1e15);

    // Field 14 skips its leading record; field 21 names stocks no market holds
    // and writes nowhere.
    const std::vector<uint8_t> leading = Records(10, {{1, 1}, {110, 100}}, 0xFFFF);
    RankKeysFromAnswer(leading.data(), leading.size(), 14, rows, 1, 1, keys);
    EXPECT_EQ(keys[0], 0.0) << "no index quote: the default";
    const std::vector<uint8_t> fast = Records(10, {{110, 100}, {90, 100}}, 0xFFFF);
    RankKeysFromAnswer(fast.data(), fast.size(), 21, rows, 2, 1, keys);
    EXPECT_NEAR(keys[0], 10.0, 1e-4);
    EXPECT_NEAR(keys[1], -10.0, 1e-4);
}

// ---- the list in a page --------------------------------------------------------------------

class QuoteListTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        delete[] TableDefs;
        TableDefs = nullptr;
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        ClearViewMakers();
        ViewHooks = TViewHooks();
        delete[] TableDefs;
        TableDefs = nullptr;
    }
    // The frame offline with a page whose one pane is a quote list on `block`.
    TReport *StartList(int block)
    {
        RegisterQuoteList();
        StartOffline();
        EXPECT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        page = framefixture::NewTestPage(frame);
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        TMultiViewChild *pane = page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0);
        auto *list = dynamic_cast<TReport *>(pane);
        EXPECT_NE(list, nullptr);
        if (list) {
            list->Timer1->Enabled = false;
            list->ShowBlockTab(block);
        }
        return list;
    }
    // The id of the first user block.
    int UserBlock()
    {
        for (int id = 0; id < frame->Blocks->BlockCount; ++id)
            if (frame->Blocks->Blocks[id].InUse && frame->Blocks->Blocks[id].Kind >= 3)
                return id;
        return -1;
    }
    // The lines of the installation's SETTING.INI.
    std::vector<std::string> SettingLines()
    {
        std::vector<std::string> lines;
        for (const auto &entry : fs::recursive_directory_iterator(root))
            if (entry.path().filename() == "SETTING.INI") {
                std::ifstream in(entry.path(), std::ios::binary);
                for (std::string line; std::getline(in, line);)
                    lines.push_back(line);
            }
        return lines;
    }
    // The indexes of the lines that differ between two versions of a file of the
    // same length.
    static std::vector<size_t> Changed(const std::vector<std::string> &a, const std::vector<std::string> &b)
    {
        EXPECT_EQ(a.size(), b.size());
        std::vector<size_t> out;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                out.push_back(i);
        return out;
    }
    TMultiViewMain *page = nullptr;
};

TEST_F(QuoteListTest, NoTableDefSectionGivesSevenDefaultTablesAndBadValuesAreChecked)
{
    const char *ini = "..\\CFG\\SETTING.INI";
    for (int k = 1; k <= 7; ++k) {
        std::string section = "TableDef" + std::to_string(k);
        WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, ini);
    }
    WritePrivateProfileStringA("TableDef2", "Count", "40", ini);
    WritePrivateProfileStringA("TableDef2", "FixedCol", "9", ini);
    WritePrivateProfileStringA("TableDef2", "Id", "1,-1,34,6,1000", ini);
    WritePrivateProfileStringA("TableDef2", "ColWidth", "0,500", ini);
    WritePrivateProfileStringA("TableDef3", "Count", "3", ini);
    WritePrivateProfileStringA("TableDef3", "Id", "abc", ini);
    ReadTableDefs(nullptr);
    ASSERT_NE(TableDefs, nullptr);
    const int ids[16] = {0, 9, 1, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 21, 2};
    for (int k : {0, 3, 4, 5, 6}) {
        EXPECT_EQ(TableDefs[k].Count, 16) << k;
        EXPECT_EQ(std::memcmp(TableDefs[k].Ids, ids, sizeof ids), 0) << k;
        EXPECT_EQ(TableDefs[k].Widths[15], 80);
        EXPECT_EQ(TableDefs[k].FixedCol, 0);
    }
    // Unknown ids dropped, widths within 1..80, fixed columns below the count.
    const TableDef &t = TableDefs[1];
    EXPECT_EQ(t.Count, 2);
    EXPECT_EQ(t.Ids[0], 1);
    EXPECT_EQ(t.Ids[1], 6);
    EXPECT_EQ(t.Widths[0], 1);
    EXPECT_EQ(t.Widths[1], 8);
    EXPECT_EQ(t.Ids[2], 0);
    EXPECT_EQ(t.FixedCol, 1);
    // No number at all: the row number alone.
    EXPECT_EQ(TableDefs[2].Count, 1);
    EXPECT_EQ(TableDefs[2].Ids[0], 0);
}

TEST_F(QuoteListTest, SeventeenthBlockReplacesTheLastTabAndDeletedBlocksKeepTheOtherIds)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    std::vector<int> ids;
    for (int id = 0; id < frame->Blocks->BlockCount && ids.size() < 17; ++id)
        if (frame->Blocks->FindBlock(id))
            ids.push_back(id);
    // Blocks enough for 17 tabs.
    while (ids.size() < 17) {
        BlockRecord *extra = frame->Blocks->NewBlock();
        ASSERT_NE(extra, nullptr);
        ids.push_back(extra->Id);
    }
    const int before = list->TabCount;
    for (int id : ids)
        list->ShowBlockTab(id);
    EXPECT_EQ(list->TabCount, 16);
    EXPECT_EQ(list->TabIds[15], ids[16]);
    EXPECT_EQ(list->Tabs->TabIndex, 15);
    EXPECT_EQ(list->Tabs->Tabs->Count(), 16);
    EXPECT_EQ(list->Attr.BlockCount, 16);
    (void)before;

    // A deleted block's tab goes; the other tabs keep their ids.
    std::vector<int32_t> kept(list->TabIds, list->TabIds + 16);
    const int gone = kept[3];
    kept.erase(kept.begin() + 3);
    SendMessageA(frame->Handle, WM_BLOCK_REMOVED, WPARAM(gone), 0);
    ASSERT_EQ(list->TabCount, 15);
    EXPECT_EQ(std::vector<int32_t>(list->TabIds, list->TabIds + 15), kept);
    EXPECT_EQ(list->Tabs->Tabs->Count(), 15);
    EXPECT_EQ(list->Attr.Blocks[3], kept[3]);
}

TEST_F(QuoteListTest, QuoteChangesMarkTheirRowForSixteenTicksAcrossTheWrap)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->RowCount, 3);
    const StockId stock = list->Rows[2].Id;
    // The list as a user sees it, kept for a look.
    frame->SetBounds(0, 0, 900, 500);
    frame->Show();
    page->LayoutPage();
    list->Notify(0, int32_t(list->Rows[1].Id), 0, 0x81);
    QCoreApplication::processEvents();
    list->Widget()->grab().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/quote_list.png"));
    for (uint16_t start : {uint16_t(100), uint16_t(64990)}) {
        list->ViewStamp = start;
        // Another stock of another market changes nothing.
        list->Notify(0, int32_t(stock ^ 0x0F), 0, 0x80);
        EXPECT_EQ(list->Rows[2].Mask, 0u);
        list->Notify(0, int32_t(stock), 0, 0x81);
        EXPECT_EQ(list->Rows[2].Mask, 0x81u);
        EXPECT_EQ(list->Rows[2].Stamp, start);
        // A change without mask redraws but does not restart the mark.
        list->Timer1Timer(nullptr);
        list->Notify(0, int32_t(stock), 0, 0);
        EXPECT_EQ(list->Rows[2].Stamp, start);
        for (int tick = 2; tick <= 15; ++tick)
            list->Timer1Timer(nullptr);
        EXPECT_EQ(list->Rows[2].Mask, 0x81u) << "15 ticks old";
        list->Timer1Timer(nullptr);
        EXPECT_EQ(list->Rows[2].Mask, 0u) << "16 ticks old, from " << start;
    }
}

TEST_F(QuoteListTest, DeletingAMemberOfASortedUserBlockRemovesTheSelectedStock)
{
    RegisterQuoteList();
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    const int user = UserBlock();
    ASSERT_GE(user, 0);
    list->ShowBlockTab(user);
    BlockRecord *block = frame->Blocks->FindBlock(user);
    ASSERT_GE(list->RowCount, 3);
    // Sorted by code the rows leave the member order.
    list->ResetPosition = 1;
    list->Attr.Mode = 9;
    list->SortDescending = 1;
    list->SortRows();
    list->DrawGrid1->Row = 2;
    const StockId selected = list->Rows[1].Id;
    ASSERT_NE(selected, block->Members[1].Id) << "the sort must change the order for this test";
    const int count = block->MemberCount;
    list->N9Click(nullptr);
    ASSERT_EQ(block->MemberCount, count - 1);
    for (int i = 0; i < block->MemberCount; ++i)
        EXPECT_NE(block->Members[i].Id, selected);
    const std::string ini = framefixture::ReadFile(root / "cfg" / "blocks.ini");
    const StockStaticRecord *s = TDataIO::GetStock(selected);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ini.find(s->Code), std::string::npos);

    // In a system block nothing is deleted.
    list->ShowBlockTab(0);
    const int members = frame->Blocks->FindBlock(0)->MemberCount;
    list->N9Click(nullptr);
    EXPECT_EQ(frame->Blocks->FindBlock(0)->MemberCount, members);
}

// ---- the column editor ----------------------------------------------------------------------

TEST_F(QuoteListTest, ColumnEditorKeepsSixteenColumnsAndWritesOnlyNamesOnOk)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    RecordSounds(true);
    const std::vector<std::string> before = SettingLines();
    ASSERT_FALSE(before.empty());
    auto *editor = new TAdjTitle(frame);
    editor->Show();
    QCoreApplication::processEvents();
    editor->Widget()->grab().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/column_editor.png"));
    // The sheets carry the tables' names; the first is shown.
    EXPECT_EQ(std::string(AnsiString(editor->TabSheets[2]->Caption).c_str()), "股票经典");
    TAdjTitle::Record &r = editor->Records[0];
    ASSERT_EQ(r.Count, 16);
    ASSERT_EQ(editor->ListBox1->Items->Count(), 16);
    ASSERT_EQ(editor->ListBox2->Items->Count(), 34 - 16);
    EXPECT_FALSE(editor->CSpinEdit1->EditorEnabled);
    EXPECT_FALSE(editor->CSpinEdit2->EditorEnabled);

    // A 17th column beeps and adds nothing; the last column stays the last.
    const int last = r.Ids[15];
    editor->ListBox2->SetSelected(0, true);
    editor->Button3Click(nullptr);
    EXPECT_EQ(RecordedMessageBeeps(), std::vector<UINT>{0});
    EXPECT_EQ(r.Count, 16);
    EXPECT_EQ(r.Ids[15], last);
    EXPECT_EQ(editor->ListBox1->Items->Count(), 16);

    // One column out, three chosen: the last chosen goes in, then a beep.
    editor->ListBox1->ItemIndex = 2;
    const int removed = r.Ids[2];
    editor->Button4Click(nullptr);
    EXPECT_EQ(r.Count, 15);
    EXPECT_EQ(editor->ListBox1->ItemIndex, 2);
    EXPECT_EQ(editor->Unused.back(), removed);
    const int n2 = editor->ListBox2->Items->Count();
    for (int i : {0, 1, 2})
        editor->ListBox2->SetSelected(i, true);
    const int added = editor->Unused[2];
    editor->Button3Click(nullptr);
    EXPECT_EQ(r.Count, 16);
    EXPECT_EQ(r.Ids[15], added);
    EXPECT_EQ(r.Widths[15], 8);
    EXPECT_EQ(editor->ListBox2->Items->Count(), n2 - 1);
    EXPECT_EQ(RecordedMessageBeeps(), (std::vector<UINT>{0, 0}));

    // Two out, one moved up, a width, a name of ten characters.
    editor->ListBox1->ItemIndex = 0;
    editor->Button4Click(nullptr);
    editor->Button4Click(nullptr);
    ASSERT_EQ(r.Count, 14);
    const int second = r.Ids[1];
    editor->ListBox1->ItemIndex = 1;
    editor->Button7Click(nullptr);
    EXPECT_EQ(r.Ids[0], second);
    EXPECT_EQ(editor->ListBox1->ItemIndex, 0);
    EXPECT_EQ(std::string(editor->ListBox1->Items->Strings(0).c_str()), QuoteFieldEditorTitles[second]);
    editor->CSpinEdit2->Value = 25;
    EXPECT_EQ(r.Widths[0], 20) << "widths stay within 1..20";
    editor->Edit2->Text = "ABCDEFGHIJ";
    EXPECT_STREQ(r.Name, "ABCDEFGH");
    EXPECT_EQ(std::string(AnsiString(editor->TabSheets[0]->Caption).c_str()), "ABCDEFGH");

    // Another sheet shows its own table.
    editor->PageControl1->ActivePageIndex = 3;
    EXPECT_EQ(editor->Current, &editor->Records[3]);
    EXPECT_EQ(editor->ListBox1->Items->Count(), editor->Records[3].Count);

    editor->Button5Click(nullptr);
    EXPECT_EQ(editor->ModalResult, mrOk);
    delete editor;
    EXPECT_EQ(TableDefs[0].Count, 14);
    EXPECT_EQ(TableDefs[0].Ids[0], second);
    EXPECT_EQ(TableDefs[0].Ids[14], 0);
    // On OK only the changed name reaches the file.
    const std::vector<std::string> named = SettingLines();
    std::vector<size_t> changed = Changed(before, named);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(named[changed[0]].substr(0, 13), "Name=ABCDEFGH");
    // The frame's close writes the rest: Count, Id and ColWidth of that table.
    WriteTableDefs();
    const std::vector<std::string> closed = SettingLines();
    changed = Changed(named, closed);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_EQ(closed[changed[0]].substr(0, 8), "Count=14");
    EXPECT_EQ(closed[changed[1]].rfind("Id=" + std::to_string(second) + ",", 0), 0u) << closed[changed[1]];
    EXPECT_EQ(closed[changed[2]].rfind("ColWidth=20,", 0), 0u) << closed[changed[2]];
    RecordSounds(false);
}

TEST_F(QuoteListTest, ColumnEditorRefusesToRemoveTheLastColumnAndCancelStillReloads)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    TAdjTitle editor(frame);
    TAdjTitle::Record &r = editor.Records[0];
    while (r.Count > 1) {
        editor.ListBox1->ItemIndex = 0;
        editor.Button4Click(nullptr);
    }
    const int only = r.Ids[0];
    editor.Button4Click(nullptr);
    EXPECT_EQ(r.Count, 1);
    EXPECT_EQ(r.Ids[0], only);
    EXPECT_EQ(editor.ListBox2->Items->Count(), 33);

    // 编辑栏目 from the menu: Cancel changes no table, the block is shown again.
    const TableDef kept = TableDefs[list->TableIndex() - 1];
    const int changes = list->ChangeCounter;
    testsupport::ModalScript cancel("编辑栏目", [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
    list->N10->Click();
    EXPECT_EQ(cancel.Count(), 1);
    EXPECT_EQ(std::memcmp(&TableDefs[list->TableIndex() - 1], &kept, sizeof kept), 0);
    EXPECT_GT(list->ChangeCounter, changes);
    EXPECT_EQ(DialogBusy, 0);
}

// ---- printing ------------------------------------------------------------------------------

TEST_F(QuoteListTest, WideListPrintsOnOnePortraitPageTurnedInBlackAndWhite)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    const fs::path pdf = fs::absolute("list.pdf");
    setenv("LUMO_PRINT_PDF", pdf.c_str(), 1);
    RecordDialogs(true);
    frame->SetBounds(0, 0, 1200, 500);
    frame->Show();
    page->LayoutPage();
    framefixture::App().ProcessMessages();
    ASSERT_GT(list->Width, list->Height);
    const size_t shown = ShownMessageBoxes().size();
    // No prints nothing.
    ScriptMessageBoxAnswers({IDNO});
    list->N11->Click();
    EXPECT_FALSE(fs::exists(pdf));
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({DialogAnswer{true}});
    list->N11->Click();
    RecordDialogs(false);
    unsetenv("LUMO_PRINT_PDF");
    const auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), shown + 2) << "the two questions, no error";
    EXPECT_EQ(boxes.back().text, "是否打印当前画面?  ");
    EXPECT_EQ(boxes.back().caption, "查询");
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(testsupport::PdfPages(pdf), 1);
    // Finer than the picture, so that no pixel of it is averaged with another.
    const testsupport::Grey g = testsupport::RenderedPage(pdf, 200);
    ASSERT_GT(g.height, g.width) << "A4 portrait";
    int grey = 0, black = 0, white = 0;
    int left = g.width, right = -1, top = g.height, bottom = -1;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            const unsigned char p = g.At(x, y);
            grey += p > 60 && p < 190;
            white += p >= 190;
            if (p <= 60) {
                ++black;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_GT(black, 0);
    EXPECT_GT(white, int(g.pixels.size()) / 2) << "the list's background prints white";
    // Grey only where the scaled picture's edges meet.
    EXPECT_LT(grey, int(g.pixels.size()) * 3 / 100);
    // The framed picture of the wide window stands upright on the page: turned.
    const double shape = double(bottom - top) / double(right - left);
    EXPECT_NEAR(shape, double(list->Width) / list->Height, 0.05);
}

} // namespace
