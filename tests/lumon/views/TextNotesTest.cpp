// The company text view and the notes view on a maker installation: the text
// of a stock, its copy, font steps and saving; the note list file read as a
// ring, damaged lists deleted, opened notes marked in the file; against the
// simulated data server the text, list and note requests and their arrival.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/views/NoteList.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TRichEdit.h"
#include "platform/gdi/TClipboard.h"
#include "platform/win/Messages.h"
#include "tests/lumon/views/TextViewFixture.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

NoteRecord Note(int number, const std::string &title, const char *file = "", uint16_t unread = 1)
{
    NoteRecord r{};
    r.RequestByte = 0;
    r.Number = uint16_t(number);
    r.Unread = unread;
    std::memcpy(r.Title, title.data(), std::min(title.size(), sizeof r.Title));
    std::memcpy(r.FileName, file, std::min(std::strlen(file), sizeof r.FileName));
    r.DateTime = 61208u | uint32_t(930 + number % 20) << 20;
    return r;
}

void WriteList(const fs::path &path, int32_t count, int32_t ringStart, const std::vector<NoteRecord> &records,
               int extra = 0)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(&count), 4);
    out.write(reinterpret_cast<const char *>(&ringStart), 4);
    out.write(reinterpret_cast<const char *>(records.data()), std::streamsize(records.size() * sizeof(NoteRecord)));
    for (int i = 0; i < extra; ++i)
        out.put(0);
}

class TextNotesTest : public textviews::ViewTest {
protected:
    fs::path NotesFolder() const { return root / "data" / "notes"; }
    fs::path ListFile(int kind) const { return NotesFolder() / ("notes" + std::to_string(kind) + ".lst"); }
    // Stock 1 of the first market and the path of its company text.
    StockId TextStock(fs::path *path)
    {
        const StockStaticRecord &s = MarketTable.Markets[0]->Statics[1];
        *path = root / "data" / MarketTable.Markets[0]->Info.Dir / "base" / (std::string(s.Code) + ".Txt");
        return MakeStockId(0, s.Class, 1);
    }
    TTextForm *OpenText(StockId stock)
    {
        VIEW_ATTR attr;
        InitViewAttr(VIEW_TEXT, &attr);
        attr.Stock = stock;
        return Open<TTextForm>(attr);
    }
    std::vector<std::string> Lines(const TControlItems &items)
    {
        std::vector<std::string> out;
        for (int i = 0; i < items.Count(); ++i)
            out.push_back(items[i].c_str());
        return out;
    }
    int32_t Header(int kind, int which)
    {
        const std::string bytes = ReadAll(ListFile(kind));
        int32_t v = -99;
        if (bytes.size() >= 8)
            std::memcpy(&v, bytes.data() + 4 * which, 4);
        return v;
    }
};

TEST_F(TextNotesTest, CompanyTextIsShownCopiedZoomedAndReloadedForItsStock)
{
    Offline();
    fs::path path;
    const StockId stock = TextStock(&path);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "公司概况\r\n主营业务：钢铁\r\n";
    TTextForm *text = OpenText(stock);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Lines(*text->RichEdit1->Lines), (std::vector<std::string>{"公司概况", "主营业务：钢铁"}));
    // Shown in the theme's text colour on its background.
    EXPECT_GT(PixelsOf(text->RichEdit1, KeyColor(46)), 20);
    SavePicture(text, "company_text.png");

    // Copy without a selection takes the whole text and leaves no selection.
    text->N1->Click();
    EXPECT_NE(std::string(Clipboard()->GetAsText().c_str()).find("主营业务：钢铁"), std::string::npos);
    EXPECT_EQ(text->RichEdit1->SelLength, 0);

    // Font steps stop at 10 (the level starts at 1) and at 0.
    const int size = text->RichEdit1->Font->Size;
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(text->Notify(15, 0, 1, 0), 1);
    EXPECT_EQ(text->TextStep, 10);
    EXPECT_EQ(text->RichEdit1->Font->Size, size + 9);
    for (int i = 0; i < 12; ++i)
        text->Notify(15, 0, -1, 0);
    EXPECT_EQ(text->TextStep, 0);
    EXPECT_EQ(text->RichEdit1->Font->Size, size - 1);

    // Code 14 reloads the text of its own stock only.
    std::ofstream(path, std::ios::binary) << "新的内容\r\n";
    text->Notify(14, int(MakeStockId(0, 0, 2)), 0, 0);
    EXPECT_EQ(Lines(*text->RichEdit1->Lines).at(0), "公司概况");
    text->Notify(14, int(stock & 0xFFFF00FFu), 0, 0);
    EXPECT_EQ(Lines(*text->RichEdit1->Lines), (std::vector<std::string>{"新的内容"}));

    // ".Txt" is neither "txt" nor "TXT": rich text under that name.
    const fs::path saved = fs::current_path() / "f10.Txt";
    ScriptDialogAnswers({{true, saved.c_str()}});
    text->N2->Click();
    EXPECT_EQ(ReadAll(saved).rfind("{\\rtf", 0), 0u);
}

TEST_F(TextNotesTest, ShowingAStockTakesOverTheCreatorsBrowseListAndReleasesTheOldOne)
{
    Offline();
    fs::path path;
    const StockId stock = TextStock(&path);
    TTextForm *text = OpenText(stock);
    ASSERT_NE(text, nullptr);
    const StockId stocks[3] = {stock, MakeStockId(0, 0, 2), MakeStockId(0, 0, 3)};
    const uint32_t list = NewBrowseList(stocks, 3);
    VIEW_ATTR source;
    InitViewAttr(VIEW_KLINE, &source);
    source.Stock = stocks[2];
    SetBrowseListHandle(source, list);
    BrowseIndex(source) = 2;
    // The page gives the view a reference of its own before it notifies it.
    AddBrowseListRef(list);
    text->Notify(1, int(stocks[2]), 0, reinterpret_cast<intptr_t>(&source));
    EXPECT_EQ(text->BrowseList, list);
    EXPECT_EQ(text->BrowseIndex, 2);
    EXPECT_EQ(StockId(text->Attr.Stock), stocks[2]);
    EXPECT_EQ(FindBrowseList(list)->RefCount, 2);
    text->Notify(1, int(stocks[1]), 0, 0);
    EXPECT_EQ(text->BrowseList, 0u);
    EXPECT_EQ(FindBrowseList(list)->RefCount, 1);
    ReleaseBrowseList(list);
}

TEST(NoteListTest, AListAboveThreeThousandKeepsItsNewestRecords)
{
    std::vector<uint8_t> bytes(8 + 3002 * sizeof(NoteRecord));
    const int32_t header[2] = {3002, 5};
    std::memcpy(bytes.data(), header, 8);
    for (int i = 0; i < 3002; ++i) {
        const NoteRecord r = Note(i, "R" + std::to_string(i));
        std::memcpy(&bytes[8 + size_t(i) * sizeof r], &r, sizeof r);
    }
    std::vector<NoteRecord> records;
    ASSERT_TRUE(ParseNoteList(bytes.data(), bytes.size(), records));
    ASSERT_EQ(records.size(), size_t(NoteListCapacity));
    // The oldest is at 5; the two oldest of the ring (5 and 6) are dropped.
    EXPECT_STREQ(records.front().Title, "R7");
    EXPECT_STREQ(records.back().Title, "R4");
    EXPECT_FALSE(ParseNoteList(bytes.data(), bytes.size() - 1, records));
    EXPECT_TRUE(records.empty());
}

TEST_F(TextNotesTest, AMissingCompanyTextIsAskedForAndShownOnArrival)
{
    Connect();
    fs::path path;
    const StockId stock = TextStock(&path);
    fs::remove(path);
    TTextForm *text = OpenText(stock);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(WaitLogged(21, 1));
    const std::vector<uint8_t> body = Logged(21).back().body;
    const StockStaticRecord &s = MarketTable.Markets[0]->Statics[1];
    EXPECT_NE(std::string(body.begin(), body.end()).find(s.Code), std::string::npos);
    Pump([&] { return text->RichEdit1->Lines->Count() > 0; });
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(TextNotesTest, ARingOfThreeThousandListsNewestFirstAndDamagedListsAreDeleted)
{
    Offline();
    std::vector<NoteRecord> records;
    for (int i = 0; i < NoteListCapacity; ++i)
        records.push_back(Note(i, "T" + std::to_string(i)));
    WriteList(ListFile(0), NoteListCapacity, 1200, records);
    TZQNote *notes = Open<TZQNote>(VIEW_NOTES);
    ASSERT_NE(notes, nullptr);
    const std::vector<std::string> lines = Lines(*notes->NoteList->Items);
    ASSERT_EQ(lines.size(), size_t(NoteListCapacity));
    EXPECT_EQ(lines.front().substr(lines.front().size() - 6), " T1199");
    EXPECT_EQ(lines.back().substr(lines.back().size() - 6), " T1200");
    EXPECT_EQ(lines.front().rfind("  ", 0), 0u);

    struct Case {
        int32_t count, ringStart;
        int records, extra;
    } damaged[] = {
        {3, 0, 3, 1},      // a byte too many
        {3, 0, 2, 0},      // a record short
        {10, 3, 10, 0},    // a ring start below a full ring
        {3, 3, 3, 0},      // a ring start at the count
        {-1, 0, 0, 0},     // a negative count
        {0, 1, 0, 0},      // an empty list that starts elsewhere
    };
    for (const Case &c : damaged) {
        WriteList(ListFile(0), c.count, c.ringStart,
                  std::vector<NoteRecord>(records.begin(), records.begin() + c.records), c.extra);
        notes->LoadNoteList(0);
        EXPECT_FALSE(fs::exists(ListFile(0))) << c.count << "/" << c.ringStart;
        EXPECT_EQ(notes->NoteList->Items->Count(), 0);
    }
    // Kinds outside 0..4 are not lists.
    notes->LoadNoteList(5);
    notes->LoadNoteList(-1);
}

TEST_F(TextNotesTest, OpeningANoteShowsItMarksItAndRewritesTheListFromItsOldest)
{
    Offline();
    // A full ring of 3000 whose oldest is at 2999; the newest note has a text.
    std::vector<NoteRecord> records;
    for (int i = 0; i < NoteListCapacity; ++i)
        records.push_back(Note(i, "N" + std::to_string(i), i == 2998 ? "N2998.txt" : ""));
    WriteList(ListFile(0), NoteListCapacity, 2999, records);
    fs::create_directories(NotesFolder());
    std::ofstream(NotesFolder() / "N2998.txt", std::ios::binary) << "交易提示正文\r\n";
    TZQNote *notes = Open<TZQNote>(VIEW_NOTES);
    ASSERT_NE(notes, nullptr);
    notes->NoteList->ItemIndex = 0;
    SendMessageA(notes->NoteList->Handle, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(notes->TextShown());
    EXPECT_EQ(Lines(*notes->RichEdit1->Lines), (std::vector<std::string>{"交易提示正文"}));
    // The file now starts with its oldest record, the opened one read.
    EXPECT_EQ(Header(0, 0), NoteListCapacity);
    EXPECT_EQ(Header(0, 1), 0);
    std::vector<NoteRecord> back;
    ASSERT_EQ(ReadNoteListFile(ListFile(0).c_str(), back), 1);
    EXPECT_STREQ(back.front().Title, "N2999");
    EXPECT_STREQ(back.back().Title, "N2998");
    EXPECT_EQ(back.back().Unread, 0);
    EXPECT_EQ(back[0].Unread, 1);
    // Back to the list: the note's line carries the mark and stays selected.
    SendMessageA(notes->RichEdit1->Handle, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(notes->TextShown());
    EXPECT_EQ(notes->NoteList->ItemIndex, 0);
    EXPECT_EQ(Lines(*notes->NoteList->Items)[0].rfind("★", 0), 0u);
    EXPECT_EQ(Lines(*notes->NoteList->Items)[1].rfind("  ", 0), 0u);

    // A file name that leaves the notes folder is not read.
    WriteList(ListFile(0), 1, 0, {Note(1, "X", "..\\cfg")});
    notes->LoadNoteList(0);
    notes->NoteList->ItemIndex = 0;
    notes->NoteListDblClick(notes->NoteList);
    EXPECT_EQ(notes->RichEdit1->Lines->Count(), 0);
}

TEST_F(TextNotesTest, ADamagedListIsAskedForWholeAndAMissingNoteTextOnArrival)
{
    Connect();
    WriteList(ListFile(2), 10, 3, std::vector<NoteRecord>(10, Note(1, "X")));
    VIEW_ATTR attr;
    InitViewAttr(VIEW_NOTES, &attr);
    attr.BlockId = 2;
    TZQNote *notes = Open<TZQNote>(attr);
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->NoteKind, 2);
    EXPECT_TRUE(notes->RadioButton2->Checked);
    ASSERT_TRUE(WaitLogged(16, 1));
    const std::vector<uint8_t> body = Logged(16).front().body;
    ASSERT_GE(body.size(), 10u);
    EXPECT_EQ(body[0], 0);
    EXPECT_EQ(body[1], 2);
    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(body[size_t(i)], 0) << i;
    // The server's six notes of the kind arrive and fill the list.
    Pump([&] { return notes->NoteList->Items->Count() == 6; });
    EXPECT_NE(Lines(*notes->NoteList->Items)[0].find("第2类公告 第6号"), std::string::npos);

    // Opening the newest: its text is asked for and shown when it arrives.
    const size_t asked = Logged(16).size();
    notes->NoteList->ItemIndex = 0;
    notes->NoteListDblClick(notes->NoteList);
    ASSERT_TRUE(notes->TextShown());
    ASSERT_TRUE(WaitLogged(16, asked + 1));
    EXPECT_EQ(Logged(16).back().body.at(0), 1);
    Pump([&] { return notes->RichEdit1->Lines->Count() > 0; });
    EXPECT_EQ(Lines(*notes->RichEdit1->Lines)[0], "第2类公告 第6号：交易提示");
    EXPECT_GT(PixelsOf(notes->RichEdit1, KeyColor(46)), 20);
    SavePicture(notes, "notes.png");
}

} // namespace
