// The news view on a maker installation: the titles newest first with day
// separators and read marks, the type and branch tabs of NEWSTYPE.INI, the
// branch and search filters, the search history, message 1025, saving and
// printing; against the simulated data server the article request and its
// arrival, news flashes, and the ticker's double-click.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lumon/core/NewsIndex.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/LMPageTab.h"
#include "lumon/shell/NewsTypes.h"
#include "lumon/shell/StatusBar.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/TStringList.h"
#include "platform/win/Window.h"
#include "tests/lumon/views/TextViewFixture.h"
#include "tests/support/PdfPages.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

constexpr char kNewsTypes[] = "..\\CFG\\NEWSTYPE.INI";
constexpr char kSeparatorStart[] = "               --- ";

std::vector<std::string> Lines(const TControlItems &items)
{
    std::vector<std::string> out;
    for (int i = 0; i < items.Count(); ++i)
        out.push_back(items[i].c_str());
    return out;
}

std::vector<std::string> Titles(TLMPageTab *tabs)
{
    std::vector<std::string> out;
    for (int i = 0; i < tabs->GetTitles()->Count(); ++i)
        out.push_back(tabs->GetTitles()->Strings(i).c_str());
    return out;
}

bool EndsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class NewsViewTest : public textviews::ViewTest {
protected:
    // NEWSTYPE.INI holding only these keys, and the type table reloaded.
    void NewsTypes(const std::vector<std::pair<const char *, const char *>> &keys)
    {
        WritePrivateProfileStringA("NEWSTYPE", nullptr, nullptr, kNewsTypes);
        for (const auto &k : keys)
            WritePrivateProfileStringA("NEWSTYPE", k.first, k.second, kNewsTypes);
        LoadNewsTypes();
    }
    TMsgForm *OpenNews()
    {
        LoadNewsTypes();
        return Open<TMsgForm>(VIEW_NEWS);
    }
    // The index's records, oldest first.
    std::vector<NewsRecord> Records()
    {
        char path[600];
        MakeNewsIndexPath(path, sizeof path);
        TNewsIndex index(path, 1);
        return std::vector<NewsRecord>(index.GetRecords(), index.GetRecords() + index.GetCount());
    }
    NewsRecord RecordTitled(const char *title)
    {
        for (const NewsRecord &r : Records())
            if (std::strcmp(r.Title, title) == 0)
                return r;
        ADD_FAILURE() << "no record";
        return NewsRecord{};
    }
    int LineWith(TMsgForm *news, const char *text)
    {
        const std::vector<std::string> lines = Lines(*news->NewsList->Items);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos)
                return int(i);
        return -1;
    }
};

TEST_F(NewsViewTest, TheMakersIndexListsNewestFirstWithDaySeparatorsAndReadMarks)
{
    Offline();
    TMsgForm *news = OpenNews();
    ASSERT_NE(news, nullptr);
    const std::vector<std::string> lines = Lines(*news->NewsList->Items);
    // Today's three, then a separator before each older day.
    const char *titles[] = {"B股市场周评：资金面偏紧", "上海期货交易所调整铜期货保证金比例",
                            "贵州茅台关于召开临时股东大会的通知", nullptr, "央行公开市场操作回笼资金",
                            "沪铜期货：LME铜价回落 沪铜小幅下跌", "QFII额度再获批准", nullptr,
                            "招商银行配股说明书（摘要）", "上证指数站上2100点 成交量明显放大", nullptr,
                            "浦发银行：2006年第三季度报告摘要", "沪深两市早盘小幅高开"};
    ASSERT_EQ(lines.size(), std::size(titles));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!titles[i]) {
            EXPECT_EQ(lines[i].rfind(kSeparatorStart, 0), 0u) << i;
            continue;
        }
        EXPECT_TRUE(EndsWith(lines[i], titles[i])) << lines[i];
        const bool read = std::strstr(titles[i], "QFII") || std::strstr(titles[i], "浦发");
        EXPECT_EQ(lines[i].rfind(read ? "★" : "  ", 0), 0u) << lines[i];
    }
    // A separator names the month and day of the lines below it.
    const std::string below = lines[4].substr(2, 5);
    int month = 0, day = 0;
    ASSERT_EQ(std::sscanf(below.c_str(), "%d/%d", &month, &day), 2);
    EXPECT_EQ(lines[3], std::string(kSeparatorStart) + std::to_string(month) + "/" + std::to_string(day) + " ---");
    // The titles in the theme's list colour, a read mark's star among them.
    EXPECT_GT(PixelsOf(news->NewsList, KeyColor(28)), 200);
    SavePicture(news, "news.png");
}

TEST_F(NewsViewTest, TypeAndBranchTabsFollowNewsTypeIni)
{
    Offline();
    struct Case {
        std::vector<std::pair<const char *, const char *>> keys;
        std::vector<std::string> types;
        int tab;                             // the type tab then chosen
        std::vector<std::string> branches;   // its branch tabs
        std::vector<std::string> keywords;   // of its first branch
    };
    const std::vector<Case> cases = {
        {{{"Filter", "1,0,0,0"}, {"ID1", "要闻"}}, {"所有类型", "要闻"}, 1, {" 全部 "}, {}},
        // A name without its bit, a bit without a name: nothing.
        {{{"Filter", "5,0,0,0"}, {"ID1", "要闻"}, {"ID2", "公告"}}, {"所有类型", "要闻"}, 1, {" 全部 "}, {}},
        // Bit 31 of the first word (a negative number) is type 32.
        {{{"Filter", "-2147483648,0,0,0"}, {"ID32", "三二"}}, {"所有类型", "三二"}, 1, {" 全部 "}, {}},
        // Type 100 has a tab but never branches.
        {{{"Filter", "0,0,0,8"}, {"ID100", "百"}, {"ID100_BRANCH1", "T,K"}}, {"所有类型", "百"}, 1, {" 全部 "}, {}},
        // Two commas end the keywords; branches stop at the first missing key.
        {{{"Filter", "1,0,0,0"}, {"ID1", "要闻"}, {"ID1_BRANCH1", "T,K1,,K2"}, {"ID1_BRANCH3", "U,K3"}},
         {"所有类型", "要闻"}, 1, {" 全部 ", " T "}, {"K1"}},
        // A title without a keyword is no branch.
        {{{"Filter", "1,0,0,0"}, {"ID1", "要闻"}, {"ID1_BRANCH1", "T"}}, {"所有类型", "要闻"}, 1, {" 全部 "}, {}},
        // No file: the one tab.
        {{}, {"所有类型"}, 0, {" 全部 "}, {}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        NewsTypes(c.keys);
        TMsgForm *news = Open<TMsgForm>(VIEW_NEWS);
        ASSERT_NE(news, nullptr);
        EXPECT_EQ(Titles(news->SearchPageTab), c.types) << i;
        news->SearchPageTab->SetActiveTabItem(c.tab);
        EXPECT_EQ(Titles(news->BranchPageTab), c.branches) << i;
        if (!c.keywords.empty()) {
            ASSERT_GE(news->BranchOfTab.size(), 2u);
            EXPECT_EQ(news->BranchOfTab[1].Keywords, c.keywords) << i;
        }
    }
}

TEST_F(NewsViewTest, BranchKeywordsAndSearchFilterTheTitlesAndTheSearchHistoryMoves)
{
    Offline();
    TMsgForm *news = OpenNews();
    ASSERT_NE(news, nullptr);
    // The maker's type 1 "财经要闻" with its branch "大盘" (上证指数, 两市).
    EXPECT_EQ(Titles(news->SearchPageTab),
              (std::vector<std::string>{"所有类型", "财经要闻", "证券市场", "上市公司", "期货资讯"}));
    news->SearchPageTab->SetActiveTabItem(1);
    EXPECT_EQ(news->NewsList->Items->Count(), 5);
    news->BranchPageTab->SetActiveTabItem(1);
    std::vector<std::string> lines = Lines(*news->NewsList->Items);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(EndsWith(lines[0], "上证指数站上2100点 成交量明显放大"));
    EXPECT_EQ(lines[1].rfind(kSeparatorStart, 0), 0u);
    EXPECT_TRUE(EndsWith(lines[2], "沪深两市早盘小幅高开"));

    // "银行", third in the history, moves to the front; with a type tab only
    // that type is searched, the branch set aside.
    const char *history[5] = {"一", "二", "银行", "四", "五"};
    for (int k = 0; k < 5; ++k)
        WritePrivateProfileStringA("MRU", ("NewsSearch" + std::to_string(k + 1)).c_str(), history[k],
                                   "..\\CFG\\SETTING.INI");
    news = Open<TMsgForm>(VIEW_NEWS);
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->ComboBox1->Items->Count(), 5);
    news->SearchPageTab->SetActiveTabItem(2);
    news->ComboBox1->Text = "银行";
    news->SpeedButton1->Click();
    lines = Lines(*news->NewsList->Items);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(EndsWith(lines[0], "浦发银行：2006年第三季度报告摘要"));
    const char *moved[5] = {"银行", "一", "二", "四", "五"};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(Setting("MRU", ("NewsSearch" + std::to_string(k + 1)).c_str()), moved[k]) << k;
    EXPECT_EQ(std::string(news->ComboBox1->Items->Strings(0).c_str()), "银行");
    // Every type under "所有类型".
    news->SearchPageTab->SetActiveTabItem(0);
    news->SpeedButton1->Click();
    lines = Lines(*news->NewsList->Items);
    EXPECT_NE(LineWith(news, "招商银行"), -1);
    EXPECT_NE(LineWith(news, "浦发银行"), -1);
}

TEST_F(NewsViewTest, OpenSaveAndPrint)
{
    Offline();
    TMsgForm *news = OpenNews();
    ASSERT_NE(news, nullptr);
    // Message 1025 opens the item of a type and id.
    const NewsRecord qfii = RecordTitled("QFII额度再获批准");
    std::snprintf(news->ArticleName, sizeof news->ArticleName, "%s", qfii.FileName);
    SendMessageA(news->Handle, WM_OPEN_NEWS, WPARAM(qfii.TypeRead >> 1), LPARAM(qfii.Id));
    EXPECT_EQ(news->CurrentType, int(qfii.TypeRead >> 1));
    ASSERT_TRUE(news->ArticleShown());
    ASSERT_GE(news->RichEdit1->Lines->Count(), 3);
    EXPECT_EQ(std::string((*news->RichEdit1->Lines)[0].c_str()), "QFII额度再获批准");
    EXPECT_EQ(news->NewsList->ItemIndex, LineWith(news, "QFII"));

    // A type without a tab opens under "所有类型".
    SendMessageA(news->Handle, WM_OPEN_NEWS, 9, LPARAM(qfii.Id));
    EXPECT_EQ(news->CurrentType, 0);
    EXPECT_EQ(TMsgForm::TypeFilter, 0);
    EXPECT_TRUE(news->ArticleShown());

    // Save as: plain CRLF lines for ".txt", rich text with ".doc" added to a bare name.
    const fs::path folder = fs::current_path();
    ScriptDialogAnswers({{true, (folder / "a.txt").c_str()}, {true, (folder / "b").c_str()},
                         {true, (folder / "c.Txt").c_str()}});
    for (int i = 0; i < 3; ++i)
        news->N4->Click();
    std::string expected;
    for (int i = 0; i < news->RichEdit1->Lines->Count(); ++i)
        expected += std::string((*news->RichEdit1->Lines)[i].c_str()) + "\r\n";
    EXPECT_EQ(ReadAll(folder / "a.txt"), expected);
    EXPECT_EQ(ReadAll(folder / "b.doc").rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(ReadAll(folder / "c.Txt").rfind("{\\rtf", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "b"));

    // Back to the list; printing it makes one page.
    news->N8->Click();
    EXPECT_FALSE(news->ArticleShown());
    const std::string pdf = (folder / "news.pdf").string();
    setenv("LUMO_PRINT_PDF", pdf.c_str(), 1);
    ScriptMessageBoxAnswers({IDYES});
    ScriptDialogAnswers({{true}});
    news->PrintView();
    unsetenv("LUMO_PRINT_PDF");
    EXPECT_EQ(testsupport::PdfPages(pdf), 1);

    // A title of no record: "无此项资料".
    news->NewsList->Items->Insert(0, "   1/01  0:00 没有的新闻");
    news->OpenLine(0);
    ASSERT_TRUE(news->ArticleShown());
    EXPECT_EQ(std::string((*news->RichEdit1->Lines)[0].c_str()), "无此项资料");
}

TEST_F(NewsViewTest, AMissingArticleIsAskedForShownOnArrivalAndKeepsItsMark)
{
    Connect();
    TMsgForm *news = OpenNews();
    ASSERT_NE(news, nullptr);
    // A new server's index starts afresh: the titles come from the server and
    // refill the list.
    Pump([&] { return LineWith(news, "招商银行配股说明书") >= 0; });
    const int line = LineWith(news, "招商银行配股说明书");
    // Its text is on the server only.
    const NewsRecord record = RecordTitled("招商银行配股说明书（摘要）");
    const fs::path article = root / "data" / "info" / record.FileName;
    fs::remove(article);
    const size_t before = Logged(15).size();
    news->NewsList->ItemIndex = line;
    news->OpenLine(line);
    EXPECT_EQ(std::string((*news->NewsList->Items)[line].c_str()).rfind("★", 0), 0u);
    ASSERT_TRUE(WaitLogged(15, before + 1));
    const std::vector<uint8_t> body = Logged(15).back().body;
    ASSERT_GE(body.size(), 10u);
    EXPECT_EQ(body[0], 2);
    int32_t id;
    std::memcpy(&id, &body[6], 4);
    EXPECT_EQ(id, record.Id);
    Pump([&] { return news->RichEdit1->Lines->Count() > 0; });
    EXPECT_TRUE(fs::exists(article));
    news->RefreshList();
    EXPECT_EQ(std::string((*news->NewsList->Items)[line].c_str()).rfind("★", 0), 0u);
}

TEST_F(NewsViewTest, AFlashTopsTheListAndTheTickerDoubleClickOpensIt)
{
    Connect();
    TMsgForm *news = OpenNews();
    ASSERT_NE(news, nullptr);
    // 测试快讯, type 2, its text on the server only.
    Json answer = server.Command(
        R"({"cmd": "news", "type": 2, "title": "\u6d4b\u8bd5\u5feb\u8baf", "text": "\u6d4b\u8bd5\u6b63\u6587"})");
    ASSERT_TRUE(answer["ok"].boolean);
    Pump([&] { return news->NewsList->Items->Count() > 0 && EndsWith((*news->NewsList->Items)[0].c_str(), "测试快讯"); });
    EXPECT_EQ(std::string((*news->NewsList->Items)[0].c_str()).rfind("  ", 0), 0u);
    ASSERT_NE(frame->TickerList, nullptr);

    // A double-click on the one ticker item: the news view opens its article,
    // asked of the server first.
    news->NewsList->Items->Clear();
    frame->TickerClickX = 0;
    frame->StatusBox6DblClick(frame->StatusBox6);
    Pump([&] { return news->ArticleShown() && news->RichEdit1->Lines->Count() > 0; });
    EXPECT_EQ(std::string((*news->RichEdit1->Lines)[0].c_str()), "测试正文");
    EXPECT_EQ(news->CurrentType, 2);
    EXPECT_NE(LineWith(news, "测试快讯"), -1);
}

} // namespace
