// Indicator definitions and parameter blocks from INDEX.DAT and IDXPARA.TBL,
// and the factory by indicator number.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "IndexFixture.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/PriceIndexes.h"
#include "lumon/formula/TScrIndex.h"

namespace {

TEST(IndexDefs, FirstRecordOfAnIdWinsAndThe301stIsIgnored)
{
    IndexFixture f;
    std::vector<IndexDefinition> defs;
    std::vector<IndexParamBlock> params;
    for (int i = 0; i < 301; ++i) {
        defs.push_back(Definition(1000 + i, "X", {"A"}));
        params.push_back(Params({i}));
    }
    defs[5] = Definition(1001, "SECOND", {"B"});
    f.WriteDefinitions(defs, params);
    const IndexTable *table = GetIndexTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Count, 300);

    IndexDefinition d;
    IndexParamBlock p;
    ASSERT_TRUE(FindIndexDefinition(1001, d, p));
    EXPECT_STREQ(d.Name, "X");
    EXPECT_EQ(p.Set[8][0], 1);
    EXPECT_TRUE(FindIndexDefinition(1299, d, p));
    EXPECT_FALSE(FindIndexDefinition(1300, d, p)); // the 301st record
    EXPECT_EQ(d.Id, 0);

    ASSERT_TRUE(FindIndexDefinition(IndexIdWrap, d, p)); // no record needed
    EXPECT_EQ(d.Kind, 10);
    EXPECT_EQ(d.LineCount, 2);
    EXPECT_STREQ(d.Name, "跨品种分析");
}

TEST(IndexDefs, MissingOrShortFiles)
{
    IndexFixture f;
    std::filesystem::remove(f.inst.Path("CFG/INDEX.DAT"));
    EXPECT_EQ(LoadIndexDefinitions("Guest"), nullptr);
    IndexDefinition d;
    IndexParamBlock p;
    EXPECT_FALSE(FindIndexDefinition(3, d, p));
    EXPECT_TRUE(FindIndexDefinition(IndexIdWrap, d, p));
    TIndex *slot = nullptr;
    EXPECT_FALSE(CreateIndex(slot, 3, Sh600000, 0));

    // A parameter table shorter than the definitions: the rest have zeros.
    f.inst.Write("CFG/INDEX.DAT", Bytes(std::vector<IndexDefinition>{Definition(3, "K", {"MA"}),
                                                                      Definition(4, "MA", {"MA"})}));
    f.inst.Write("CFG/IDXPARA.TBL", Bytes(std::vector<IndexParamBlock>{Params({7})}) + "partial");
    ASSERT_NE(LoadIndexDefinitions("Guest"), nullptr);
    ASSERT_TRUE(FindIndexDefinition(3, d, p));
    EXPECT_EQ(p.Set[1][0], 7);
    ASSERT_TRUE(FindIndexDefinition(4, d, p));
    EXPECT_EQ(p.Set[1][0], 0);
}

TEST(IndexDefs, ReadOnlyTablesLoadForAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    namespace fs = std::filesystem;
    IndexFixture f;
    // The installation can be reached by "nobody" but not written.
    for (fs::path p = f.inst.Root(); p.has_relative_path(); p = p.parent_path())
        fs::permissions(p, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    for (const char *name : {"CFG/INDEX.DAT", "CFG/IDXPARA.TBL"})
        fs::permissions(f.inst.Path(name), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(f.inst.Path("CFG"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                             fs::perms::others_exec);
    const std::string before = f.inst.Read("CFG/IDXPARA.TBL");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        int failures = 0;
        const IndexTable *table = LoadIndexDefinitions("Guest");
        if (!table || table->Count != 7)
            failures |= 1;
        IndexDefinition d;
        IndexParamBlock p;
        if (!FindIndexDefinition(322, d, p) || p.Set[8][0] != 3)
            failures |= 2;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(f.inst.Read("CFG/IDXPARA.TBL"), before);
    fs::permissions(f.inst.Path("CFG"), fs::perms::owner_all);
}

TEST(IndexDefs, LineCountAboveEightAndUnterminatedTextsAreBounded)
{
    IndexFixture f;
    IndexDefinition d = Definition(77, "", {});
    d.LineCount = 65535;
    std::memset(d.Name, 'N', sizeof d.Name);
    std::memset(d.LineNames, 'L', sizeof d.LineNames);
    f.WriteDefinitions({d}, {Params({})});
    TIndex index(Sh600000);
    index.Id = 77;
    index.Init();
    EXPECT_EQ(index.LineCount, 8);
    for (float *line : index.Lines)
        EXPECT_NE(line, nullptr);
    EXPECT_EQ(std::strlen(index.Definition.Name), 63u);
}

TEST(IndexFactory, MakesEachBuiltClassAndRefusesOthers)
{
    IndexFixture f;
    struct Case {
        int id;
        bool made;
    } cases[] = {{1, true}, {2, true}, {3, true}, {8, true}, {9, true}, {321, true}, {322, true},
                 {4, false},  // defined nowhere
                 {999, false}};
    for (const Case &c : cases) {
        TIndex *slot = nullptr;
        EXPECT_EQ(CreateIndex(slot, c.id, Sh600000, 0), c.made) << c.id;
        if (slot) {
            EXPECT_EQ(slot->Id, c.id);
            EXPECT_TRUE(slot->Initialised);
        }
        delete slot;
    }
    TIndex *slot = nullptr;
    ASSERT_TRUE(CreateIndex(slot, 3, Sh600000, 0));
    EXPECT_NE(dynamic_cast<CKline *>(slot), nullptr);
    EXPECT_FALSE(slot->SubPane);
    TIndex *old = slot;
    EXPECT_FALSE(CreateIndex(slot, 999, Sh600000, 0)); // the old indicator stays
    EXPECT_EQ(slot, old);
    ASSERT_TRUE(CreateIndex(slot, 322, Sh600000, 0)); // replaced
    EXPECT_NE(dynamic_cast<CVolume *>(slot), nullptr);
    delete slot;

    // A definition whose id has no class makes nothing; one of the formula kind is
    // made by the formula class whatever its id.
    f.WriteDefinitions({Definition(998, "NONE", {"A"}), Definition(3, "F", {"A"}, IndexKindFormula)},
                       {Params({12, 26, 9}), Params({})});
    slot = nullptr;
    EXPECT_FALSE(CreateIndex(slot, 998, Sh600000, 0));
    EXPECT_EQ(slot, nullptr);
    ASSERT_TRUE(CreateIndex(slot, 3, Sh600000, 0));
    EXPECT_NE(dynamic_cast<TScrIndex *>(slot), nullptr);
    delete slot;
}

} // namespace
