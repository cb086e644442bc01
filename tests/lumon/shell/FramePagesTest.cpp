// The frame's page menus and page commands on a maker installation (two saved
// pages beside the default one), the page label of status box 2, LASTPAGE.DAT
// as the menus read it and as opening and closing write it, the closing
// questions, and the order-program menu of TRADING.INI.
#include <gtest/gtest.h>

#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "lumon/core/UtilData.h"
#include "lumon/shell/DealOptionForm.h"
#include "lumon/shell/EditConsign.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/PageManager.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/FormOfWindow.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ModalSteps.h"

using namespace win;
using framefixture::App;
using framefixture::ReadFile;

namespace {

namespace fs = std::filesystem;

// The menu's items as "tag:caption", a check mark as "*".
std::vector<std::string> Items(TMenuItem *menu)
{
    std::vector<std::string> out;
    for (int i = 0; i < menu->Count; ++i) {
        TMenuItem *item = menu->Items[i];
        out.push_back(std::to_string(item->Tag) + ":" + item->GetCaption().c_str() + (item->Checked ? "*" : ""));
    }
    return out;
}

class FramePagesTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        cfg = root / "CFG";
    }
    void Begin()
    {
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        frame->FormShow(frame);
    }
    void WriteLastPage(const std::string &bytes) { std::ofstream(cfg / "LASTPAGE.DAT", std::ios::binary) << bytes; }
    std::string LastPage() { return ReadFile(cfg / "LASTPAGE.DAT"); }
    static std::string Padded(const std::string &text) { return text + std::string(260 - text.size(), '\0'); }
    TMenuItem *ItemTagged(TMenuItem *menu, int tag)
    {
        for (int i = 0; i < menu->Count; ++i)
            if (menu->Items[i]->Tag == tag && menu->Items[i]->Caption != "-")
                return menu->Items[i];
        return nullptr;
    }
    // Works the page manager dialog the frame opens: chooses the row and answers.
    void ChoosePage(int row, const char *name)
    {
        QTimer::singleShot(50, [this, row, name] {
            for (int i = 0; i < frame->ComponentCount(); ++i)
                if (auto *dialog = dynamic_cast<TPageMngr *>(frame->Components(i))) {
                    dialog->ListBox1->ItemIndex = row;
                    dialog->Edit1->Text = name;
                    dialog->Button1Click(dialog);
                    return;
                }
        });
    }

    fs::path cfg;
    framefixture::TestViews views;
};

TEST_F(FramePagesTest, MenusListTheSavedPagesAndCheckTheLastOne)
{
    // Entries without a path get no item; later entries keep their table Tags.
    Begin();
    const CPageData pages[5] = {{"甲", "..\\Cfg\\lmpage0.ppg"},
                                {"乙", ""},
                                {"丙", "..\\Cfg\\lmpage2.ppg"},
                                {"丁", "..\\Cfg\\lmpage3.ppg"},
                                {"戊", "..\\Cfg\\lmpage4.ppg"}};
    std::copy(std::begin(pages), std::end(pages), PageTable);
    PageCount = 5;
    struct Case {
        const char *what;
        std::string bytes;
        bool write;
        int checked; // the Tag with the check mark
    } cases[] = {
        {"the path of entry 3 in other letters", Padded("..\\cfg\\LMPAGE3.PPG"), true, 4},
        {"Default", Padded("Default"), true, 0},
        {"missing", "", false, 0},
        {"empty", "", true, 0},
        {"259 bytes", Padded("..\\cfg\\lmpage3.ppg").substr(0, 259), true, 0},
        {"261 bytes", Padded("..\\cfg\\lmpage3.ppg") + "x", true, 4},
        {"no NUL", std::string(260, 'A'), true, 0},
        {"under 11 characters", Padded("lmpage3"), true, 0},
    };
    for (const Case &c : cases) {
        fs::remove(cfg / "LASTPAGE.DAT");
        if (c.write)
            WriteLastPage(c.bytes);
        frame->BuildPageMenus(-1);
        const std::vector<std::string> expected = {
            std::string("0:默认页面(&D)") + (c.checked == 0 ? "*" : ""), "-1:-", "1:甲",
            "3:丙",                                                    std::string("4:丁") + (c.checked == 4 ? "*" : ""),
            "5:戊"};
        EXPECT_EQ(Items(frame->N3), expected) << c.what;
        EXPECT_EQ(Items(frame->PopupMenu2->Items), expected) << c.what;
        EXPECT_EQ(frame->PageLabel, c.checked == 4 ? "▲ 丁" : "▲ 默认页面") << c.what;
    }
    // A folder in its place is no page either.
    fs::remove(cfg / "LASTPAGE.DAT");
    fs::create_directory(cfg / "LASTPAGE.DAT");
    frame->BuildPageMenus(-1);
    EXPECT_TRUE(frame->N3->Items[0]->Checked);
    fs::remove(cfg / "LASTPAGE.DAT");
    // A new page checks nothing.
    frame->BuildPageMenus(-2);
    for (const std::string &item : Items(frame->N3))
        EXPECT_EQ(item.find('*'), std::string::npos) << item;
}

TEST_F(FramePagesTest, ChoosingAPageSwitchesWritesLastPageAndLabelsBoxTwo)
{
    Begin();
    ASSERT_EQ(PageCount, 2);
    EXPECT_EQ(Items(frame->N3), (std::vector<std::string>{"0:默认页面(&D)*", "-1:-", "1:分时K线", "2:报价新闻"}));
    TMultiViewMain *before = frame->CurrentPage;
    ItemTagged(frame->N3, 2)->Click();
    ASSERT_NE(frame->CurrentPage, before);
    EXPECT_EQ(frame->CurrentPage->Panes->GetCount(), 2);
    EXPECT_EQ(LastPage(), Padded("..\\CFG\\LMPAGE1.PPG"));
    EXPECT_EQ(frame->PageLabel, "▲ 报价新闻");
    EXPECT_TRUE(ItemTagged(frame->PopupMenu2->Items, 2)->Checked);

    // The label on the rendered box: its text colour on its background.
    ColorTable[51] = RGB(255, 255, 0);
    ColorTable[53] = RGB(0, 0, 128);
    frame->StatusBox2->Repaint();
    HDC dc = GetDC(frame->StatusBox2->Handle);
    int text = 0, back = 0;
    for (int x = 0; x < frame->StatusBox2->Width; ++x)
        for (int y = 0; y < frame->StatusBox2->Height; ++y) {
            const COLORREF c = GetPixel(dc, x, y);
            text += c == RGB(255, 255, 0);
            back += c == RGB(0, 0, 128);
        }
    ReleaseDC(frame->StatusBox2->Handle, dc);
    EXPECT_GT(text, 20);
    EXPECT_GT(back, text);

    // The default item, then the start page (which LASTPAGE.DAT names).
    ItemTagged(frame->PopupMenu2->Items, 0)->Click();
    EXPECT_EQ(LastPage(), Padded("Default"));
    EXPECT_EQ(frame->PageLabel, "▲ 默认页面");
    frame->ToolButton4Click(nullptr);
    EXPECT_TRUE(frame->N3->Items[0]->Checked);
    ItemTagged(frame->N3, 1)->Click();
    frame->ToolButton4Click(nullptr);
    EXPECT_EQ(frame->CurrentPage->Path, "..\\CFG\\LMPAGE0.PPG");
    EXPECT_TRUE(ItemTagged(frame->N3, 1)->Checked);
}

TEST_F(FramePagesTest, AMissingPageLosesItsItemAndTheCurrentPageStays)
{
    Begin();
    fs::remove(cfg / "lmpage0.ppg");
    TMultiViewMain *before = frame->CurrentPage;
    const std::string last = "keep";
    WriteLastPage(last);
    ItemTagged(frame->N3, 1)->Click();
    EXPECT_EQ(frame->CurrentPage, before);
    auto boxes = ShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "指定的页面不存在!  ");
    EXPECT_EQ(boxes.back().caption, "提示");
    EXPECT_EQ(boxes.back().icon, MB_ICONERROR);
    EXPECT_EQ(Items(frame->N3), (std::vector<std::string>{"0:默认页面(&D)*", "-1:-", "1:报价新闻"}));
    EXPECT_EQ(Items(frame->PopupMenu2->Items), Items(frame->N3));
    EXPECT_EQ(LastPage(), last);
    // The remaining item opens its own page.
    ItemTagged(frame->N3, 1)->Click();
    EXPECT_EQ(frame->PageLabel, "▲ 报价新闻");
}

TEST_F(FramePagesTest, TheCurrentPageCannotBeDeletedAnotherCan)
{
    Begin();
    ItemTagged(frame->N3, 1)->Click();
    ScriptMessageBoxAnswers({IDYES});
    ChoosePage(0, "分时K线");
    frame->N53Click(nullptr);
    EXPECT_EQ(ShownMessageBoxes().back().text, "您不能删除当前的的页面！");
    EXPECT_TRUE(fs::exists(cfg / "lmpage0.ppg"));

    ScriptMessageBoxAnswers({IDYES});
    ChoosePage(1, "报价新闻");
    frame->N53Click(nullptr);
    EXPECT_FALSE(fs::exists(cfg / "lmpage1.ppg"));
    EXPECT_EQ(Items(frame->N3), (std::vector<std::string>{"0:默认页面(&D)", "-1:-", "1:分时K线*"}));
    EXPECT_EQ(DialogBusy, 0);
}

TEST_F(FramePagesTest, NewPageAsksToSaveTheUnsavedOneAndChecksNothing)
{
    Begin();
    frame->N10Click(nullptr);
    EXPECT_TRUE(frame->CurrentPage->Path.IsEmpty());
    for (const std::string &item : Items(frame->N3))
        EXPECT_EQ(item.find('*'), std::string::npos) << item;
    // Saving a page with an empty pane is refused, and the page stays.
    TMultiViewMain *blank = frame->CurrentPage;
    ScriptMessageBoxAnswers({IDYES});
    ItemTagged(frame->N3, 1)->Click();
    EXPECT_EQ(frame->CurrentPage, blank);
    EXPECT_EQ(ShownMessageBoxes().back().text, "请指定空白窗口的内容.  ");
    frame->N12Click(nullptr);
    EXPECT_EQ(ShownMessageBoxes().back().text, "请指定空白窗口的内容.  ");
    // No: switched without saving.
    ScriptMessageBoxAnswers({IDNO});
    ItemTagged(frame->N3, 1)->Click();
    EXPECT_NE(frame->CurrentPage, blank);
    EXPECT_FALSE(fs::exists(cfg / "lmpage2.ppg"));
}

struct CloseCase {
    const char *what;
    int page;                 // 0 default, 1 saved page 1, -1 new page
    bool fillNewPage;
    std::vector<int> answers;
    std::vector<std::string> asked;
    bool closes;
    std::string lastPage;     // empty: as it was
    // The page manager's answer when it opens: the name the page is saved under,
    // "" cancels; null: it must not open.
    const char *saveAs = nullptr;
};

class FrameClosingTest : public FramePagesTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(FrameClosingTest, AsksAndRemembersThePage)
{
    const CloseCase &c = GetParam();
    Begin();
    if (c.page >= 0)
        ItemTagged(frame->N3, c.page)->Click();
    else
        frame->N10Click(nullptr);
    if (c.fillNewPage) {
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        frame->CurrentPage->ReplaceView(frame->CurrentPage->ActivePane->Node, &attr, 1);
    }
    const std::string before = "before";
    WriteLastPage(before);
    const size_t shown = ShownMessageBoxes().size();
    ScriptMessageBoxAnswers(c.answers);
    std::vector<std::function<void(TPageMngr *)>> saving;
    if (c.saveAs)
        saving.push_back([&c](TPageMngr *d) {
            if (*c.saveAs) {
                d->Edit1->Text = c.saveAs;
                d->Button1Click(d);
            } else {
                d->ModalResult = mrCancel;
            }
        });
    testsupport::ModalSteps<TPageMngr> manager(frame, saving);
    frame->Close();
    EXPECT_EQ(manager.Done(), saving.size());
    EXPECT_EQ(manager.extra, 0);
    auto boxes = ShownMessageBoxes();
    std::vector<std::string> asked;
    for (size_t i = shown; i < boxes.size(); ++i)
        asked.push_back(boxes[i].text);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(frame->TornDown, c.closes ? 1 : 0);
    EXPECT_EQ(LastPage(), c.lastPage.empty() ? before : Padded(c.lastPage));
    if (c.page == 1 && c.closes)
        EXPECT_EQ(LoadPageFile("..\\CFG\\LMPAGE0.PPG", false).Kind, PageFileKind::Version3);
    if (c.saveAs && *c.saveAs)
        EXPECT_STREQ(LoadPageFile(c.lastPage.c_str(), false).Name, c.saveAs);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, FrameClosingTest,
    ::testing::Values(
        CloseCase{"default page, No", 0, false, {IDNO}, {"退出程序前,存储当前页面吗?"}, true, "Default"},
        CloseCase{"default page, Cancel", 0, false, {IDCANCEL}, {"退出程序前,存储当前页面吗?"}, false, ""},
        // Yes: the frame closes only once the page is saved under a name.
        CloseCase{"default page, Yes, not saved", 0, false, {IDYES}, {"退出程序前,存储当前页面吗?"}, false, "", ""},
        CloseCase{"default page, Yes, saved", 0, false, {IDYES}, {"退出程序前,存储当前页面吗?"}, true,
                  "..\\Cfg\\lmpage2.ppg", "收盘后"},
        CloseCase{"saved page", 1, false, {IDYES}, {"退出金融投资分析系统?  "}, true, "..\\CFG\\LMPAGE0.PPG"},
        CloseCase{"saved page, No", 1, false, {IDNO}, {"退出金融投资分析系统?  "}, false, ""},
        CloseCase{"new page, not saved", -1, true, {IDYES, IDNO},
                  {"退出金融投资分析系统?  ", "是否保存当前页面?  "}, true, ""},
        CloseCase{"new page with an empty pane", -1, false, {IDYES, IDYES},
                  {"退出金融投资分析系统?  ", "是否保存当前页面?  ", "请指定空白窗口的内容.  "}, false, ""}));

TEST_F(FramePagesTest, ALastPageThatCannotBeWrittenShowsItsBoxAndTheFrameCloses)
{
    Begin();
    fs::remove(cfg / "LASTPAGE.DAT");
    fs::create_directory(cfg / "LASTPAGE.DAT");
    ScriptMessageBoxAnswers({IDNO});
    frame->Close();
    auto boxes = ShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "..\\CFG\\LASTPAGE.DAT");
    EXPECT_EQ(boxes.back().caption, "写文件失败: LASTPAGE.DAT.  ");
    EXPECT_EQ(boxes.back().icon, MB_ICONERROR);
    EXPECT_EQ(frame->TornDown, 1);
    EXPECT_EQ(frame->CurrentPage, nullptr);
}

TEST_F(FramePagesTest, StatusBarCommandHidesTheBarAndWritesItsKey)
{
    Begin();
    frame->MenuItem103->Click();
    EXPECT_FALSE(frame->StatusBar->Visible);
    EXPECT_FALSE(frame->PopupStatusBar->Checked);
    EXPECT_EQ(Setting("TableDef", "StatuBar"), "0");
    frame->PopupStatusBar->Click();
    EXPECT_TRUE(frame->StatusBar->Visible);
    EXPECT_TRUE(frame->MenuItem103->Checked);
    EXPECT_EQ(Setting("TableDef", "StatuBar"), "1");
}

// ---- order programs --------------------------------------------------------

class FrameTradingTest : public FramePagesTest {
protected:
    // The programs started through the shell (the chat client's start aside).
    static std::vector<RecordedLaunch> Started()
    {
        std::vector<RecordedLaunch> out;
        for (const RecordedLaunch &l : RecordedLaunches())
            if (l.call == "ShellExecuteA")
                out.push_back(l);
        return out;
    }
    void Trading(const std::string &lines) { std::ofstream(cfg / "TRADING.INI") << "[CONSIGN]\r\n" << lines; }
    void Program(const std::string &name)
    {
        std::ofstream(root / "bin" / name) << "#!/bin/sh\n";
        fs::permissions(root / "bin" / name, fs::perms::owner_all);
    }
};

TEST_F(FrameTradingTest, TheMakersProgramIsListedAndStarts)
{
    Program("consign");
    Begin();
    EXPECT_EQ(Items(frame->MenuItem142), (std::vector<std::string>{"1:期货交易", "-1:-", "100:交易设置(&S)"}));
    frame->MenuItem142->Items[0]->Click();
    auto launches = Started();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, (root / "bin" / "consign").string());
}

TEST_F(FrameTradingTest, ANameWithoutAProgramSaysItCannotRun)
{
    Trading("Name1=经纪商\r\nExe1=\r\n");
    Begin();
    EXPECT_EQ(Items(frame->MenuItem142), (std::vector<std::string>{"2:经纪商", "-1:-", "100:交易设置(&S)"}));
    frame->MenuItem142->Items[0]->Click();
    auto boxes = ShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "无法运行下单程序 经纪商 .  ");
    EXPECT_EQ(boxes.back().caption, "提示");
    EXPECT_TRUE(Started().empty());
    // The hot key finds no complete entry and opens the list editor, as the
    // settings item does; an entry made there joins the menu at once.
    const size_t shown = boxes.size();
    int editors = 0;
    {
        testsupport::ModalScript editor("下单程序", [&](HWND h) {
            ++editors;
            PostMessageA(h, WM_CLOSE, 0, 0);
        });
        frame->MenuItem142Click(nullptr);
    }
    EXPECT_EQ(editors, 1);
    EXPECT_EQ(ShownMessageBoxes().size(), shown) << "no box of its own";
    {
        testsupport::ModalScript entry("交易设置", [&](HWND h) {
            if (auto *d = dynamic_cast<TDealOption *>(testsupport::FormOfWindow(h, {frame}))) {
                d->NameEdit->Text = "券商";
                d->ProgramEdit->Text = "/opt/broker";
                d->Button2->Click();
            }
        });
        testsupport::ModalScript editor("下单程序", [&](HWND h) {
            ++editors;
            if (auto *e = dynamic_cast<TEditConsignDlg *>(testsupport::FormOfWindow(h, {frame}))) {
                e->Button1Click(e);
            }
            PostMessageA(h, WM_CLOSE, 0, 0);
        });
        frame->MenuItem142->Items[2]->Click();
    }
    EXPECT_EQ(editors, 2);
    EXPECT_EQ(Items(frame->MenuItem142),
              (std::vector<std::string>{"1:券商", "2:经纪商", "-1:-", "100:交易设置(&S)"}));
    char program[64];
    GetPrivateProfileStringA("CONSIGN", "Exe0", "", program, sizeof program, (cfg / "TRADING.INI").c_str());
    EXPECT_STREQ(program, "/opt/broker");
}

TEST_F(FrameTradingTest, TheHotKeyStartsTheFirstCompleteEntry)
{
    Program("broker2");
    Trading("Name0=甲\r\nName1=\r\nExe1=broker1\r\nName2=丙\r\nExe2=broker2\r\n");
    Begin();
    frame->MenuItem142Click(nullptr);
    auto launches = Started();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(fs::path(launches[0].program).filename(), "broker2");
}

TEST_F(FrameTradingTest, AProgramBeginningWithADotLiesBesideLumon)
{
    // Beside the running program (here the test), and started in that folder.
    const fs::path self = fs::canonical("/proc/self/exe");
    Trading("Name0=本地\r\nExe0=.\\" + fs::path(LUMO_CHATPEER).filename().string() + "\r\n");
    Begin();
    frame->MenuItem142->Items[0]->Click();
    auto launches = Started();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_TRUE(fs::equivalent(launches[0].program, LUMO_CHATPEER));
    EXPECT_TRUE(fs::equivalent(launches[0].folder, self.parent_path()));
}

TEST_F(FrameTradingTest, LongPathsAndAMissingFileAreRefusedCleanly)
{
    Trading("Name0=长\r\nExe0=" + std::string(300, 'x') + "\r\nName1=点\r\nExe1=." + std::string(300, 'y') + "\r\n");
    Begin();
    frame->MenuItem142->Items[0]->Click();
    frame->MenuItem142->Items[1]->Click();
    frame->MenuItem142Click(nullptr);
    auto boxes = ShownMessageBoxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[boxes.size() - 2].text, "无法运行下单程序 长 .  ");
    EXPECT_EQ(boxes.back().text, "无法运行下单程序 点 .  ");
    EXPECT_TRUE(Started().empty());

    fs::remove(cfg / "TRADING.INI");
    frame->MenuItem142->Clear();
    frame->BuildTradingMenu();
    EXPECT_EQ(Items(frame->MenuItem142), (std::vector<std::string>{"100:交易设置(&S)"}));
}

} // namespace
