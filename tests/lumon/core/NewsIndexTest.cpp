// The news index: loading and saving news.ntl, the 3000-record limit, listing,
// finding by title and marking read by list line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Installation.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"

namespace {

NewsRecord News(int id, int type, const char *title, int mmdd = 1208, int hhmm = 930)
{
    NewsRecord r{};
    r.TypeRead = uint32_t(type) << 1;
    r.DateTime = uint32_t(20060000 + mmdd) % 1000000 | uint32_t(hhmm) << 20;
    r.Id = id;
    std::strncpy(r.Title, title, sizeof r.Title);
    std::snprintf(r.FileName, sizeof r.FileName, "%08d.txt", id);
    return r;
}

std::string Records(const std::vector<NewsRecord> &records)
{
    return std::string(reinterpret_cast<const char *>(records.data()), records.size() * sizeof(NewsRecord));
}

struct NewsTree {
    Installation inst;
    TUtilData util{1};
    std::string path = inst.Path("data/info/news.ntl");

    NewsTree() { inst.Write("data/info/news.ntl", ""); }
};

TEST(NewsIndex, KeepsAtMost3000RecordsAndSavesShorterFiles)
{
    NewsTree f;
    {
        TNewsIndex index(f.path.c_str(), 1);
        NewsRecord last;
        EXPECT_EQ(index.GetLast(last), 0);
        EXPECT_EQ(index.GetNewestId(), -1);
        for (int id = 1; id <= 3001; ++id)
            ASSERT_EQ(index.Add(News(id, 1, "t"), 1), 1);
        EXPECT_EQ(index.GetCount(), 3000);
        EXPECT_EQ(index.GetRecords()[0].Id, 2);
        EXPECT_EQ(index.GetNewestId(), 3001);
    }
    EXPECT_EQ(f.inst.Read("data/info/news.ntl").size(), 3000 * sizeof(NewsRecord));

    TNewsIndex index(f.path.c_str(), 1);
    EXPECT_EQ(index.GetCount(), 3000);
    EXPECT_EQ(index.GetNewestId(), 3001);
    EXPECT_EQ(index.MakeRoom(10), 1);
    EXPECT_EQ(index.GetCount(), 2990);
    EXPECT_EQ(index.MakeRoom(10), 0);
    EXPECT_EQ(index.Save(), 1);
    EXPECT_EQ(index.Save(), 0); // nothing changed since
    EXPECT_EQ(f.inst.Read("data/info/news.ntl").size(), 2990 * sizeof(NewsRecord));
}

TEST(NewsIndex, ReadsOnlyWholeRecordsAndTheFirst3000)
{
    NewsTree f;
    std::vector<NewsRecord> records;
    for (int id = 0; id < 3005; ++id)
        records.push_back(News(id, 2, "x"));
    f.inst.Write("data/info/news.ntl", Records(records) + "partial");
    TNewsIndex big(f.path.c_str(), 1);
    EXPECT_EQ(big.GetCount(), 3000);
    EXPECT_EQ(big.GetNewestId(), 2999);

    f.inst.Write("data/info/news.ntl", Records({News(7, 1, "a")}) + std::string(50, 'z'));
    TNewsIndex small(f.path.c_str(), 1);
    EXPECT_EQ(small.GetCount(), 1);
    TNewsIndex missing(f.inst.Path("data/info/none.ntl").c_str(), 1);
    EXPECT_EQ(missing.GetCount(), 0);
}

TEST(NewsIndex, ListsFindsAndDeletesStaleTexts)
{
    NewsTree f;
    f.inst.Write("data/info/00000005.txt", "old text");
    TNewsIndex index(f.path.c_str(), 1);
    NewsRecord unterminated = News(6, 2, "");
    std::memset(unterminated.Title, 'A', sizeof unterminated.Title);
    for (const NewsRecord &r : {News(3, 1, "Alpha"), News(4, 2, "Beta"), News(5, 1, "alpha"), unterminated})
        index.Add(r, 0);
    EXPECT_EQ(f.inst.Read("data/info/00000005.txt"), ""); // the stale text went with the new id

    char entries[4][NewsListEntrySize];
    ASSERT_EQ(index.List(0, entries, 4, 0), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(entries[i], &index.GetRecords()[i], NewsListEntrySize), 0);
    EXPECT_EQ(index.List(1, entries, 4, 0), 2);
    EXPECT_EQ(index.List(0, entries, 4, 5), 2);
    EXPECT_EQ(index.List(0, entries, 1, 0), 1);

    NewsRecord found;
    ASSERT_EQ(index.FindByTitle(0, "ALPHA", found), 1);
    EXPECT_EQ(found.Id, 5); // the newest
    ASSERT_EQ(index.FindByTitle(2, "beta", found), 1);
    EXPECT_EQ(index.FindByTitle(2, "alpha", found), 0);
    EXPECT_EQ(index.FindByTitle(0, std::string(80, 'a').c_str(), found), 1);
    EXPECT_EQ(found.Id, 6);
}

TEST(NewsIndex, MarksReadByListLineInMarketTime)
{
    NewsTree f;
    {
        TNewsIndex index(f.path.c_str(), 1);
        index.Add(News(1, 1, "公司A公告", 1231, 2330), 1);
        index.Add(News(2, 3, "公司B公告", 1208, 905), 1);
        index.Save();
    }
    TNewsIndex index(f.path.c_str(), 1);
    NewsRecord read;
    EXPECT_EQ(index.MarkRead(0, "12/08  9:05 公司b公告", read), 1);
    EXPECT_EQ(read.Id, 2);
    EXPECT_EQ(index.MarkRead(1, "12/08  9:05 公司B公告", read), 0);
    // Market 0's zone moves 23:30 of 31 December into the next year.
    int8_t saved = TimeZoneTable.Working[0][0].Offset;
    TimeZoneTable.Working[0][0].Offset = 1;
    EXPECT_EQ(index.MarkRead(1, " 1/01  0:30 公司a公告", read), 1);
    TimeZoneTable.Working[0][0].Offset = saved;

    TNewsIndex again(f.path.c_str(), 1);
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_EQ(again.GetRecords()[0].TypeRead, (1u << 1) | 1);
    EXPECT_EQ(again.GetRecords()[1].TypeRead, (3u << 1) | 1);
}

} // namespace
