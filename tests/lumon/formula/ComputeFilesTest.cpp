// What a compute reads from disk: the first one reads the reference lines and the
// weights (or learns that they are missing); a repeated one lists no folder and
// opens no file; a write by the program or by someone else is seen by the next.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "IndexFixture.h"
#include "lumon/formula/RefLines.h"
#include "platform/win/Path.h"

namespace {

namespace fs = std::filesystem;

// Every folder and file of the installation an hour old, as a tree that has lain
// unchanged since it was installed.
void Age(const std::string &root)
{
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(root))
        fs::last_write_time(e.path(), old);
    fs::last_write_time(root, old);
}

ExRightsRecord Event(int ymd, uint32_t dividend)
{
    ExRightsRecord e{};
    e.Date = YmdHmToPacked(ymd, 0);
    e.Dividend = dividend;
    return e;
}

struct ComputeFixture : IndexFixture {
    TIndex index{Sh600000};

    ComputeFixture()
    {
        DayBars(std::vector<uint32_t>(30, 2000));
        index.Init();
    }

    // Computes, and says how many folders were listed and files opened.
    win::FileCallCounts Compute()
    {
        win::FileCallCounts before = win::GetFileCallCounts();
        EXPECT_TRUE(index.Compute());
        EXPECT_EQ(index.RecordCount, 30);
        win::FileCallCounts after = win::GetFileCallCounts();
        return {after.listings - before.listings, after.opens - before.opens};
    }

    // The first compute after the tree was aged may read everything again; the
    // one after it reads nothing.
    void ExpectRepeatReadsNothing(const char *when)
    {
        Age(inst.Root());
        Compute();
        win::FileCallCounts again = Compute();
        EXPECT_EQ(again.listings, 0u) << when;
        EXPECT_EQ(again.opens, 0u) << when;
    }
};

TEST(ComputeFiles, MissingLinesAndWeightsAreNotLookedForAgain)
{
    ComputeFixture f;
    f.ExpectRepeatReadsNothing("without the two files");
    EXPECT_EQ(f.index.WeightCount, 0);
    EXPECT_EQ(f.index.RefShown[0], 0);

    // Made by someone else: the folders' times move, and the next compute finds them.
    const float level = 42.5f;
    RefLineRecord r{};
    r.IndexId = f.index.Id;
    std::strcpy(r.Code, "600000");
    r.Shown[0] = 1;
    r.Level[0] = level;
    f.inst.Write("CFG/refline.dat", Bytes(std::vector<RefLineRecord>{r}));
    f.WriteRecords("sh/weight/600000.wgt", std::vector<ExRightsRecord>{Event(20061110, 100)});
    f.Compute();
    EXPECT_EQ(f.index.WeightCount, 1);
    EXPECT_EQ(f.index.RefShown[0], 1);
    EXPECT_FLOAT_EQ(f.index.RefLevel[0], level);
    f.ExpectRepeatReadsNothing("with the two files");
}

TEST(ComputeFiles, KeptFilesFollowEveryWrite)
{
    ComputeFixture f;
    const uint8_t shown[4] = {1, 1, 0, 0};
    const float levels[4] = {10, 20, 0, 0};
    ASSERT_EQ(SaveRefLines(f.index.Id, Sh600000, shown, levels), 1);
    f.WriteRecords("sh/weight/600000.wgt", std::vector<ExRightsRecord>{Event(20061110, 100)});
    f.ExpectRepeatReadsNothing("after the first save");
    EXPECT_FLOAT_EQ(f.index.RefLevel[1], 20);

    // The program's own write of the same size, at once: the next compute sees it.
    const float moved[4] = {10, 30, 0, 0};
    ASSERT_EQ(SaveRefLines(f.index.Id, Sh600000, shown, moved), 1);
    f.Compute();
    EXPECT_FLOAT_EQ(f.index.RefLevel[1], 30);
    f.ExpectRepeatReadsNothing("after the second save");

    // Someone else rewrites the weights in place, same size, and leaves the file
    // with an old time of its own: the changed time is enough.
    f.WriteRecords("sh/weight/600000.wgt", std::vector<ExRightsRecord>{Event(20061115, 300)});
    fs::last_write_time(f.inst.Path("data/sh/weight/600000.wgt"),
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    f.Compute();
    ASSERT_EQ(f.index.WeightCount, 1);
    EXPECT_EQ(f.index.Weights[0].Dividend, 300u);

    // Deleted by someone else: gone at the next compute.
    fs::remove(f.inst.Path("data/sh/weight/600000.wgt"));
    f.Compute();
    EXPECT_EQ(f.index.WeightCount, 0);
}

} // namespace
