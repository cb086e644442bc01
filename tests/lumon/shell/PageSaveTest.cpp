// Pages saved to and read from their files: round trips, older versions
// upgraded, bad files left alone, the default page never written, the last page,
// and saving under a new name through the page manager.
#include <gtest/gtest.h>

#include <QTimer>

#include <cstring>

#include "lumon/shell/PageFile.h"
#include "lumon/shell/PageManager.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "tests/lumon/shell/PageFixture.h"

using namespace pagetest;
using namespace win;

namespace {

class PageSaveTest : public PageTest {
protected:
    fs::path Cfg(const char *name) { return root / "CFG" / name; }
    // Saves the open page under `path` in place (mode 0).
    void SaveAs(const char *path)
    {
        page->Path = path;
        page->SavePage(0);
    }
    // A page of three panes of the test views with their own settings.
    void BuildThreePanes()
    {
        Open(PAGE_NEW);
        Command(WM_PANE_SPLIT_H, Pane(0));
        Command(WM_PANE_SPLIT_V, Pane(1));
        MVCS *a = Pane(0)->Node, *b = Pane(1)->Node, *c = Pane(2)->Node;
        Command(WM_PANE_REPORT, a->Pane);
        Command(WM_PANE_KLINE, b->Pane);
        Command(WM_PANE_TREND, c->Pane);
        a->Pane->Attr.Items[3] = 27;
        a->Pane->Attr.BlockId = 9;
        b->Pane->Attr.Items[1] = 55;
        b->Pane->Link = 1;
        static_cast<TestView *>(b->Pane)->infoWindow = 0;
        c->Pane->Attr.Stock = MakeStockId(2, 1, 17);
        SetBrowseListHandle(b->Pane->Attr, 1234);
    }
};

TEST_F(PageSaveTest, ASavedPageReadsBackWithItsTreeAttributesAndStates)
{
    BuildThreePanes();
    SaveAs("..\\Cfg\\lmpage3.ppg");
    std::string first = ReadFile(Cfg("lmpage3.ppg"));
    PageFileData saved = LoadPageFile("..\\Cfg\\lmpage3.ppg", false);
    ASSERT_EQ(saved.Kind, PageFileKind::Version3);
    ASSERT_EQ(saved.Nodes.size(), 5u);
    EXPECT_EQ(saved.Nodes[1].State.CurrentBlock, 9) << "the quote list's state from its attributes";
    EXPECT_EQ(saved.Nodes[1].State.Columns[3], 27);
    EXPECT_EQ(saved.Nodes[3].State.KLineCount, 3);
    EXPECT_EQ(saved.Nodes[3].State.KLineItems[1], 55) << "the K-line ids in pane order";
    EXPECT_EQ(saved.Nodes[3].State.Link, 1);
    EXPECT_EQ(saved.Nodes[3].State.InfoWindow, 0) << "the chart's own byte";
    EXPECT_EQ(saved.Nodes[3].Attr.Blocks[15], 0) << "no browse-list handle reaches the file";

    Open(PAGE_FILE, "..\\Cfg\\lmpage3.ppg");
    ASSERT_EQ(PaneCount(), 3);
    EXPECT_STREQ(page->Path.c_str(), "..\\CFG\\LMPAGE3.PPG");
    EXPECT_EQ(page->ActivePane, Pane(0));
    SaveAs("..\\Cfg\\lmpage4.ppg");
    EXPECT_EQ(ReadFile(Cfg("lmpage4.ppg")), first) << "the same tree, attributes and states";
}

TEST_F(PageSaveTest, AShrunkLayoutKeepsTheFileSizeAndReadsBackNew)
{
    BuildThreePanes();
    SaveAs("..\\Cfg\\lmpage1.ppg");
    size_t size = ReadFile(Cfg("lmpage1.ppg")).size();
    Command(WM_PANE_CLOSE, Pane(2));
    page->SavePage(0);
    EXPECT_EQ(ReadFile(Cfg("lmpage1.ppg")).size(), size);
    Open(PAGE_FILE, "..\\Cfg\\lmpage1.ppg");
    EXPECT_EQ(PaneCount(), 2);
}

TEST_F(PageSaveTest, AVersion2PageBecomesAWholeVersion3Page)
{
    std::vector<uint8_t> body = SerializePageBody(SplitNodes(0.25f));
    std::string v2 = "lmpage02" + std::string(4, '\0') + std::string(body.begin(), body.end());
    uint32_t length = uint32_t(body.size());
    std::memcpy(v2.data() + 8, &length, 4);
    WriteFile(Cfg("lmpage5.ppg"), v2);

    Open(PAGE_FILE, "..\\Cfg\\lmpage5.ppg");
    ASSERT_EQ(PaneCount(), 2);
    EXPECT_EQ(Pane(1)->Attr.ViewType, VIEW_KLINE);
    std::string now = ReadFile(Cfg("lmpage5.ppg"));
    EXPECT_EQ(now, Version3(body, "页面5"));
    PageFileData d = LoadPageFile("..\\Cfg\\lmpage5.ppg", false);
    EXPECT_EQ(d.Kind, PageFileKind::Version3);
    EXPECT_STREQ(d.Name, "页面5");
}

TEST_F(PageSaveTest, BadMissingAndDefaultFilesAreNeverWritten)
{
    std::string good = Version3(SerializePageBody(SplitNodes(0.25f)), "p");
    std::string offByOne = good;
    offByOne[72]++;
    WriteFile(Cfg("lmpage2.ppg"), offByOne);
    WriteFile(Cfg("lmpage6.ppg"), "not a page at all, only some text");
    for (const char *path : {"..\\Cfg\\lmpage2.ppg", "..\\Cfg\\lmpage6.ppg", "..\\Cfg\\lmpage9.ppg"}) {
        SCOPED_TRACE(path);
        Open(PAGE_FILE, path);
        ASSERT_EQ(PaneCount(), 1) << "the fallback: one quote list";
        EXPECT_EQ(Pane(0)->Attr.ViewType, VIEW_REPORT);
        EXPECT_STREQ(page->Path.c_str(), "Default");
    }
    EXPECT_EQ(ReadFile(Cfg("lmpage2.ppg")), offByOne);
    EXPECT_EQ(ReadFile(Cfg("lmpage6.ppg")), "not a page at all, only some text");
    EXPECT_FALSE(fs::exists(Cfg("lmpage9.ppg")));

    // The default page is read from its file and never written.
    WriteFile(Cfg("Default.ppg"), good);
    for (int mode : {PAGE_DEFAULT, PAGE_FILE}) {
        Open(mode);
        ASSERT_EQ(PaneCount(), 2);
        Command(WM_PANE_SPLIT_H, Pane(0));
        page->SavePage(0);
        page->SavePage(2);
        EXPECT_EQ(ReadFile(Cfg("Default.ppg")), good);
    }
    // A page in memory only is not written either.
    WriteFile(Cfg("Default.ppg"), offByOne);
    Open(PAGE_DEFAULT);
    EXPECT_EQ(Pane(0)->Attr.ViewType, VIEW_REPORT);
    page->Path = "Default";
    page->SavePage(2);
    EXPECT_EQ(ReadFile(Cfg("Default.ppg")), offByOne);
}

TEST_F(PageSaveTest, TheLastPageIsReadFromItsFile)
{
    WriteFile(Cfg("lmpage3.ppg"), Version3(SerializePageBody(SplitNodes(0.25f)), "p"));
    // 260 bytes with no NUL after the path: the path still ends at byte 259.
    std::string last = "..\\Cfg\\lmpage3.ppg";
    last += std::string(260 - last.size(), '\0');
    WriteFile(Cfg("LASTPAGE.DAT"), last);
    EXPECT_STREQ(ReadLastPagePath().c_str(), "..\\Cfg\\lmpage3.ppg");
    Open(PAGE_FILE);
    EXPECT_EQ(PaneCount(), 2);
    EXPECT_STREQ(page->Path.c_str(), "..\\CFG\\LMPAGE3.PPG");

    WriteFile(Cfg("LASTPAGE.DAT"), std::string(260, 'x'));
    EXPECT_EQ(std::string(ReadLastPagePath().c_str()), std::string(259, 'x'));
    WriteFile(Cfg("LASTPAGE.DAT"), last.substr(0, 100));
    EXPECT_STREQ(ReadLastPagePath().c_str(), "") << "a short file gives no path";
    Open(PAGE_FILE);
    EXPECT_STREQ(page->Path.c_str(), "Default");
}

// Answers the page manager once it is open: the name typed, then 确定.
void AnswerPageManager(TMultiViewMain *page, const char *name)
{
    QTimer::singleShot(50, [page, name] {
        for (int i = 0; i < page->ComponentCount(); ++i)
            if (auto *dialog = dynamic_cast<TPageMngr *>(page->Components(i))) {
                dialog->Edit1->Text = name;
                dialog->Button1Click(dialog);
                return;
            }
    });
}

TEST_F(PageSaveTest, SaveAsTakesTheFirstFreeFileAndStopsAtTwenty)
{
    BuildThreePanes();
    WriteFile(Cfg("lmpage0.ppg"), Version3(SerializePageBody(SplitNodes(0.25f)), "零"));
    LoadPageList();
    AnswerPageManager(page, "新页面");
    page->SavePage(1);
    EXPECT_STREQ(page->Path.c_str(), "..\\Cfg\\lmpage1.ppg");
    PageFileData d = LoadPageFile("..\\Cfg\\lmpage1.ppg", false);
    ASSERT_EQ(d.Kind, PageFileKind::Version3);
    EXPECT_STREQ(d.Name, "新页面");
    EXPECT_EQ(PageCount, 2) << "the page table was read again";

    for (int n = 0; n < 20; ++n)
        WriteFile(root / "CFG" / ("lmpage" + std::to_string(n) + ".ppg"), "x");
    ShownMessageBoxes();
    RecordMessageBoxes(true);
    AnswerPageManager(page, "再一个");
    page->SavePage(1);
    auto boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "页面文件的数目已经达到上限, 无法创建新页面.   ");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_STREQ(page->Path.c_str(), "..\\Cfg\\lmpage1.ppg");
}

} // namespace
