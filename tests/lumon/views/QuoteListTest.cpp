// The quote list: the column tables read from SETTING.INI and checked, the sort
// keys made of ranking answers (bad answers included), and a list in a page of
// the frame on an installation: tabs, change marks, deleted blocks and members.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
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
#include "lumon/core/Alarm.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/shell/BrowseList.h"
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
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Sound.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/lumon/views/QuoteListFixture.h"
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

using quotelisttest::QuoteListTest;

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
    // In a pane too narrow for 16 tabs the strip's arrows reach the first one.
    frame->SetBounds(0, 0, 900, 500);
    frame->Show();
    page->LayoutPage();
    QCoreApplication::processEvents();
    list->Widget()->grab().save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/quote_list_tabs.png"));
    const TRect left = list->Tabs->ScrollLeftRect();
    ASSERT_GT(left.Width(), 0) << "the strip is " << list->Tabs->Width << " wide";
    EXPECT_GT(list->Tabs->FirstIndex, 0) << "the selected last tab is shown";
    for (int i = 0; i < 16 && list->Tabs->FirstIndex > 0; ++i) {
        list->Tabs->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(left.Left + 4, 8));
        list->Tabs->Perform(WM_LBUTTONUP, 0, MAKELONG(left.Left + 4, 8));
    }
    EXPECT_EQ(list->Tabs->FirstIndex, 0);
    const TRect first = list->Tabs->ItemRect(0);
    list->Tabs->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(first.Left + 3, 8));
    list->Tabs->Perform(WM_LBUTTONUP, 0, MAKELONG(first.Left + 3, 8));
    EXPECT_EQ(list->Tabs->TabIndex, 0);
    EXPECT_EQ(list->Attr.BlockId, list->TabIds[0]);

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
    const std::string ini = framefixture::ReadFile(root / "CFG" / "blocks.ini");
    ASSERT_NE(ini.find(block->Name), std::string::npos) << "the block is saved";
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

// ---- cells, rows and commands ----------------------------------------------------------------

// What one cell shows: its background, its text and the text's colour; a mark
// fills the cell a second time.
struct DrawnCell {
    std::string text;
    COLORREF colour = 0;
    COLORREF back = 0;
    COLORREF mark = CLR_INVALID;
};

DrawnCell DrawCell(TReport *list, int field, int row)
{
    HDC dc = CreateRecordingDC(200, 40);
    HDC saved = list->DrawGrid1->Canvas->Handle;
    list->DrawGrid1->Canvas->Handle = dc;
    const int32_t kept = list->Attr.Items[4];
    list->Attr.Items[4] = field;
    list->DrawGrid1DrawCell(list->DrawGrid1, 4, row, TRect(0, 0, 120, 20), TGridDrawState());
    list->Attr.Items[4] = kept;
    list->DrawGrid1->Canvas->Handle = saved;
    DrawnCell cell;
    COLORREF colour = 0;
    int fills = 0;
    for (const std::string &call : RecordedCalls(dc)) {
        auto hex = [&call](size_t at) { return COLORREF(std::stoul(call.substr(at, 8), nullptr, 16)); };
        if (call.rfind("SetTextColor(", 0) == 0) {
            colour = hex(13);
        } else if (call.rfind("FillRect(", 0) == 0) {
            const COLORREF c = hex(call.find("brush(") + 6);
            (fills++ == 0 ? cell.back : cell.mark) = c;
        } else if (call.rfind("TextOutA(", 0) == 0) {
            const size_t open = call.find('"');
            std::string t = call.substr(open + 1, call.size() - open - 3);
            t.erase(0, t.find_first_not_of(' '));
            if (cell.text.empty())
                cell.colour = colour;
            cell.text += t;
        }
    }
    DeleteDC(dc);
    return cell;
}

COLORREF Key(int n) { return KeyColor(n) & 0xFFFFFF; }

TEST_F(QuoteListTest, CellsShowTheFieldsInTheirFormatsAndColours)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    ASSERT_GT(list->RowCount, 0);
    // A stock, not an index: the last row.
    const int at = list->RowCount - 1;
    const StockId id = list->Rows[at].Id;
    TMarketData *md = MarketTable.Markets[StockMarket(id)];
    StockStaticRecord &st = md->Statics[StockIndex(id)];
    RealQuoteRecord &q = md->Quotes[StockIndex(id)];
    st.Decimals = 3;
    st.ScaleDivisor = 1000;
    st.VolumeUnit = 100;
    q = RealQuoteRecord{};
    q.PrevClose = 250000;
    q.Open = 249000;
    q.Last = 251234;
    q.High = 250010;
    q.Low = 250000;
    q.Amount = 123456789.0f;
    q.Bid[0].Price = 251000;
    md->Info.Type = 1;
    struct Case {
        int field;
        const char *text;
        int colour;
    } cases[] = {
        {2, "250.000", 18},   {3, "249.000", 19}, {6, "251.234", 21},
        {11, "0.49", 21},      // two decimals whatever the stock's
        {12, "+0.00", 20},     // +0.004: flat
        {8, "12345.68", 49},   // a kind-1 market's amounts in ten-thousands
        {25, "251.000", 21},
    };
    for (const Case &c : cases) {
        const DrawnCell cell = DrawCell(list, c.field, at + 1);
        EXPECT_EQ(cell.text, c.text) << "field " << c.field;
        EXPECT_EQ(cell.colour, Key(c.colour)) << "field " << c.field;
        EXPECT_EQ(cell.mark, CLR_INVALID) << "field " << c.field;
    }
    q.High = 249990; // -0.004: fall
    DrawnCell amplitude = DrawCell(list, 12, at + 1);
    EXPECT_EQ(amplitude.text, "-0.00");
    EXPECT_EQ(amplitude.colour, Key(19));

    // The sort column's title carries the direction.
    list->Attr.Mode = 6;
    list->SortDescending = 1;
    DrawnCell title = DrawCell(list, 6, 0);
    EXPECT_EQ(title.text, "最新↓");
    EXPECT_EQ(title.colour, Key(23));
    list->SortDescending = 0;
    EXPECT_EQ(DrawCell(list, 6, 0).text, "最新↑");
    title = DrawCell(list, 3, 0);
    EXPECT_EQ(title.text, "开盘");
    EXPECT_EQ(title.colour, Key(22));

    // Marks: the last price always on the mark background; a bid only changes
    // its colour under BackGroup 0 and is filled under 1.
    list->Rows[at].Mask = 0x01 | 0x08;
    list->Rows[at].Stamp = list->ViewStamp;
    list->ColourMode = 0;
    DrawnCell last = DrawCell(list, 6, at + 1), bid = DrawCell(list, 25, at + 1);
    EXPECT_EQ(last.mark, Key(25));
    EXPECT_EQ(last.colour, Key(42));
    EXPECT_EQ(bid.mark, CLR_INVALID);
    EXPECT_EQ(bid.colour, Key(38));
    list->ColourMode = 1;
    bid = DrawCell(list, 25, at + 1);
    EXPECT_EQ(bid.mark, Key(25));
    EXPECT_EQ(bid.colour, Key(42));
    // An unmarked open stays as it was.
    EXPECT_EQ(DrawCell(list, 3, at + 1).mark, CLR_INVALID);
}

// The picture of a window's image.
QImage Picture(TWinControl *control)
{
    HDC dc = GetDC(control->Handle);
    const std::string path = (fs::current_path() / "grid.png").string();
    EXPECT_TRUE(SaveDCToPng(dc, path.c_str()));
    ReleaseDC(control->Handle, dc);
    QImage image(QString::fromStdString(path));
    fs::remove(path);
    return image;
}

TEST_F(QuoteListTest, AQuoteChangeRepaintsOnlyItsRowAndTheHighlightLeavesTheFixedColumns)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    frame->SetBounds(0, 0, 900, 500);
    frame->Show();
    page->LayoutPage();
    framefixture::App().ProcessMessages();
    ASSERT_GT(list->RowCount, 4);
    const int fixed = list->DrawGrid1->FixedCols;
    ASSERT_GT(fixed, 0);
    ASSERT_EQ(list->DrawGrid1->Row, 1);
    const QImage before = Picture(list->DrawGrid1);
    ASSERT_FALSE(before.isNull());
    // The current row: its scrolled cells highlighted, its fixed ones not.
    const TRect name = list->DrawGrid1->CellRect(0, 1), price = list->DrawGrid1->CellRect(fixed, 1);
    EXPECT_NE(before.pixel(name.Left + 2, name.Top + 2) & 0xFFFFFF, QColor(GetRValue(Key(64)), GetGValue(Key(64)), GetBValue(Key(64))).rgb() & 0xFFFFFF);
    EXPECT_EQ(before.pixel(price.Left + 2, price.Top + 2) & 0xFFFFFF, QColor(GetRValue(Key(64)), GetGValue(Key(64)), GetBValue(Key(64))).rgb() & 0xFFFFFF);

    list->Notify(0, int32_t(list->Rows[2].Id), 0, 0x01);
    const QImage after = Picture(list->DrawGrid1);
    const TRect row = list->DrawGrid1->CellRect(0, 3);
    int inside = 0, outside = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                ++(y >= row.Top && y < row.Bottom ? inside : outside);
    EXPECT_GT(inside, 0) << "the marked last price";
    EXPECT_EQ(outside, 0);
}

// The installation's default page and a new quote list both start on the
// installation's market blocks: the list on the default page shows the first
// market's stocks, one row each, with their codes drawn in the grid.
TEST_F(QuoteListTest, TheDefaultPageListsTheFirstMarketsStocks)
{
    RegisterQuoteList();
    ASSERT_NO_FATAL_FAILURE(ShowOffline(1024, 700));
    TReport *list = nullptr;
    ASSERT_TRUE(testsupport::PumpUntil(framefixture::App(), [&] {
        TMultiViewMain *shown = frame->CurrentPage;
        for (int i = 0; i < shown->Panes->GetCount() && !list; ++i)
            list = dynamic_cast<TReport *>(shown->Panes->GetAt(i));
        return list != nullptr && list->Drawn;
    }, 5000));
    const int markets = MarketTable.Count;
    ASSERT_GE(markets, 2);
    ASSERT_EQ(list->TabCount, markets);
    for (int m = 0; m < markets; ++m) {
        EXPECT_EQ(list->TabIds[m], m);
        EXPECT_EQ(frame->Blocks->FindBlock(m)->Kind, BLOCK_MARKET);
    }
    EXPECT_EQ(list->Tabs->TabIndex, 0);
    ASSERT_NE(list->CurrentBlock, nullptr);
    EXPECT_EQ(list->CurrentBlock->Id, 0);
    const TMarketData *md = MarketTable.Markets[0];
    ASSERT_GT(md->StockCount, 0);
    EXPECT_EQ(list->RowCount, md->StockCount);
    EXPECT_EQ(list->DrawGrid1->RowCount, md->StockCount + 1);
    // Row 1's code cell shows the first stock's code.
    const DrawnCell code = DrawCell(list, 9, 1);
    const StockStaticRecord &first = md->Statics[StockIndex(list->Rows[0].Id)];
    EXPECT_EQ(code.text, std::string(first.Code, strnlen(first.Code, sizeof first.Code)));
    // The rows below the first are drawn: text pixels in row 2 of the grid.
    framefixture::App().ProcessMessages();
    const QImage picture = Picture(list->DrawGrid1);
    ASSERT_FALSE(picture.isNull());
    const TRect row2 = list->DrawGrid1->CellRect(1, 2);
    const QRgb back = picture.pixel(row2.Left + 1, row2.Top + 1);
    int text = 0;
    for (int y = row2.Top; y < row2.Bottom; ++y)
        for (int x = row2.Left; x < row2.Right; ++x)
            text += picture.pixel(x, y) != back;
    EXPECT_GT(text, 10) << "no code drawn in row 2";

    // A new quote list (SysBlocks) has the same tabs.
    VIEW_ATTR attr;
    InitViewAttr(VIEW_REPORT, &attr);
    ASSERT_EQ(attr.BlockCount, markets);
    for (int m = 0; m < markets; ++m)
        EXPECT_EQ(attr.Blocks[m], m);
}

// Posted messages of a kind waiting for the frame, taken from its queue.
int TakePosted(HWND frame, UINT msg, std::vector<LPARAM> *params = nullptr)
{
    MSG m;
    int n = 0;
    while (PeekMessageA(&m, frame, msg, msg, PM_REMOVE)) {
        ++n;
        if (params)
            params->push_back(m.lParam);
    }
    return n;
}

TEST_F(QuoteListTest, EnterOpensTheChartWithTheRowsAndReleasedKeysAndDragsAskOnce)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    frame->SetBounds(0, 0, 900, 300);
    frame->Show();
    page->LayoutPage();
    framefixture::App().ProcessMessages();
    HWND handle = frame->Handle;
    TakePosted(handle, WM_SUBSCRIBE_VIEWS);
    TakePosted(handle, WM_DATA_CHANGED);
    // Rows tall enough that the block does not fit.
    list->DrawGrid1->DefaultRowHeight = 40;
    ASSERT_GT(list->RowCount, list->DrawGrid1->VisibleRowCount);

    // Enter: 2026 with a record of its own each time, the rows as browse list.
    list->DrawGrid1->Row = 3;
    std::vector<LPARAM> records;
    for (int k = 0; k < 2; ++k) {
        WORD key = VK_RETURN;
        list->DrawGrid1KeyDown(list->DrawGrid1, key, TShiftState());
    }
    ASSERT_EQ(TakePosted(handle, WM_DATA_CHANGED, &records), 2);
    EXPECT_NE(records[0], records[1]);
    const VIEW_ATTR &a = *reinterpret_cast<VIEW_ATTR *>(records[1]);
    EXPECT_EQ(StockId(a.Stock), list->Rows[2].Id);
    EXPECT_EQ(BrowseIndex(const_cast<VIEW_ATTR &>(a)), 2);
    const TBrowseList *browse = FindBrowseList(BrowseListHandle(a));
    ASSERT_NE(browse, nullptr);
    ASSERT_EQ(int(browse->Stocks.size()), list->RowCount);
    for (int i = 0; i < list->RowCount; ++i)
        EXPECT_EQ(browse->Stocks[size_t(i)], list->Rows[i].Id);

    // PgDn held scrolls without asking; its release asks once.
    list->DrawGrid1->SetFocus();
    list->DrawGrid1->Perform(WM_KEYDOWN, VK_NEXT, 0);
    list->DrawGrid1->Perform(WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_GT(list->DrawGrid1->TopRow, 1);
    EXPECT_EQ(TakePosted(handle, WM_SUBSCRIBE_VIEWS), 0);
    list->DrawGrid1->Perform(WM_KEYUP, VK_NEXT, 0);
    EXPECT_EQ(TakePosted(handle, WM_SUBSCRIBE_VIEWS), 1);

    // A drag through the grid: asked once, when the button goes up.
    QWidget *w = list->DrawGrid1->Widget();
    const TRect from = list->DrawGrid1->CellRect(4, list->DrawGrid1->TopRow + 1);
    auto send = [w](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
        QMouseEvent e(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, from.Left + 5, from.Top + 5);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, from.Left + 5, w->height() + 40);
    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, from.Left + 5, from.Bottom + 30);
    TakePosted(handle, WM_SUBSCRIBE_VIEWS);
    const std::string blocks = framefixture::ReadFile(root / "CFG" / "blocks.ini");
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, from.Left + 5, from.Bottom + 30);
    EXPECT_EQ(TakePosted(handle, WM_SUBSCRIBE_VIEWS), 1);
    EXPECT_EQ(framefixture::ReadFile(root / "CFG" / "blocks.ini"), blocks) << "a system block is not rewritten";
}

TEST_F(QuoteListTest, DraggingARowReordersAndSavesOnlyAUserBlock)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    const int user = UserBlock();
    ASSERT_GE(user, 0);
    list->ShowBlockTab(user);
    ASSERT_GE(list->RowCount, 3);
    const BlockRecord *block = frame->Blocks->FindBlock(user);
    const StockId first = list->Rows[0].Id, third = list->Rows[2].Id;
    const std::string before = framefixture::ReadFile(root / "CFG" / "blocks.ini");
    // Row 1 dropped on row 3.
    list->DragRow = 1;
    TRect target = list->DrawGrid1->CellRect(4, 3);
    list->DrawGrid1MouseUp(list->DrawGrid1, mbLeft, TShiftState(), target.Left + 2, target.Top + 2);
    EXPECT_EQ(list->Rows[2].Id, first);
    EXPECT_EQ(list->Rows[1].Id, third);
    EXPECT_EQ(block->Members[2].Id, first);
    const std::string after = framefixture::ReadFile(root / "CFG" / "blocks.ini");
    EXPECT_NE(after, before);
    EXPECT_EQ(after.size(), before.size()) << "the same members in another order";
}

TEST_F(QuoteListTest, EscapeLeavesTheRankingForTheSavedTabAndStock)
{
    TReport *list = StartList(0);
    ASSERT_NE(list, nullptr);
    const int user = UserBlock();
    list->ShowBlockTab(user);
    const int tab = list->Tabs->TabIndex;
    list->DrawGrid1->Row = 2;
    list->DrawGrid1Click(list->DrawGrid1);
    const StockId stock = list->Attr.Stock;
    ASSERT_EQ(stock, list->Rows[1].Id);
    // The frame's ranking of block 0 by 幅度%.
    list->Notify(1, 0, (1 << 16) | 0, 11);
    EXPECT_EQ(list->RankingBlock(), 0);
    EXPECT_EQ(list->Tabs->TabIndex, -1);
    WORD key = VK_ESCAPE;
    list->DrawGrid1KeyDown(list->DrawGrid1, key, TShiftState());
    EXPECT_EQ(list->RankingBlock(), -1);
    EXPECT_EQ(list->Tabs->TabIndex, tab);
    EXPECT_EQ(StockId(list->Attr.Stock), stock);
    EXPECT_EQ(list->DrawGrid1->Row, 2);
}

} // namespace
