// The block table: class blocks, system and user block files, slot reuse and the
// writer of the user's block file.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Installation.h"
#include "MarketFixture.h"
#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"

namespace {

// Two markets: "sh" with an index class and a class named with 8 characters, and
// "sz" with one class; both hold the code 000001.
struct Markets {
    Installation inst;
    std::unique_ptr<TUtilData> util;
    std::unique_ptr<TDataIO> io;

    // The data root is the installation root unless `dataRoot` names a folder
    // of its own (DATAPATH ..\<folder>).
    explicit Markets(const std::string &dataRoot = "")
    {
        std::string r = dataRoot.empty() ? "" : dataRoot + "/";
        if (!dataRoot.empty())
            inst.Write("CFG/SETTING.INI", "[PATH]\r\nDATAPATH=..\\" + dataRoot + "\r\n");
        std::vector<MarketInfoRecord> markets = {
            MakeMarket("上证", "sh", "sh", 1, 10,
                       {MakeClass("指数", true, {{570, 690}}), MakeClass("ABCDEFGH", false, {{570, 690}})}),
            MakeMarket("深证", "sz", "sz", 1, 10, {MakeClass("深A", false, {{570, 690}})}),
        };
        inst.Write(r + "CFG/mkinfo.cfg", Bytes(markets));
        inst.Write(r + "data/sh/nametbl.sh", Bytes(std::vector<StockStaticRecord>{
                                             MakeStock(0, 0, "000001", "上证指数"), MakeStock(0, 1, "600000", "浦发"),
                                             MakeStock(0, 1, "600001", "邯钢")}));
        inst.Write(r + "data/sz/nametbl.sz", Bytes(std::vector<StockStaticRecord>{
                                             MakeStock(1, 0, "000001", "平安"), MakeStock(1, 0, "000002", "万科")}));
    }

    void Load()
    {
        util = std::make_unique<TUtilData>(1);
        io = std::make_unique<TDataIO>(0);
    }
};

std::vector<StockId> Members(const BlockRecord *b)
{
    std::vector<StockId> ids;
    for (int i = 0; i < b->MemberCount; ++i)
        ids.push_back(b->Members[i].Id);
    return ids;
}

TEST(BlockGroup, ClassBlocksFollowTheMarkets)
{
    Markets f;
    f.Load();
    TBlockGroup blocks;
    ASSERT_GE(blocks.GroupCount, 2);
    EXPECT_STREQ(blocks.Groups[0].Name, "分类股板块");
    ASSERT_EQ(blocks.Groups[0].BlockCount, 5);
    struct Case {
        int kind, market, sequence;
        const char *name;
        std::vector<StockId> members;
    } cases[] = {
        {BLOCK_MARKET, 0, 0, "上证", {MakeStockId(0, 0, 0), MakeStockId(0, 1, 1), MakeStockId(0, 1, 2)}},
        {BLOCK_MARKET, 1, 1, "深证", {MakeStockId(1, 0, 0), MakeStockId(1, 0, 1)}},
        {BLOCK_CLASS, 0, 0, "指数", {MakeStockId(0, 0, 0)}},
        {BLOCK_CLASS, 0, 1, "ABCDEFGH", {MakeStockId(0, 1, 1), MakeStockId(0, 1, 2)}},
        {BLOCK_CLASS, 1, 2, "深A", {MakeStockId(1, 0, 0), MakeStockId(1, 0, 1)}},
    };
    for (int i = 0; i < 5; ++i) {
        const Case &c = cases[i];
        BlockRecord *b = blocks.FindBlock(blocks.Groups[0].Blocks[i]);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Id, i);
        EXPECT_EQ(b->Kind, c.kind) << i;
        EXPECT_EQ(b->Market, c.market) << i;
        EXPECT_EQ(b->Sequence, c.sequence) << i;
        EXPECT_STREQ(b->Name, c.name) << i;
        EXPECT_EQ(Members(b), c.members) << i;
        for (int k = 0; k < b->MemberCount; ++k)
            EXPECT_EQ(b->Members[k].Order, k);
        EXPECT_EQ(blocks.FindBlockByKey(c.kind, c.sequence), b);
    }
    EXPECT_EQ(blocks.FindBlock(99), nullptr);
}

TEST(BlockGroup, SystemAndUserBlockFiles)
{
    // The system block files live under the data root, the user's under the
    // installation's configuration folder.
    Markets f("dr");
    f.inst.Write("dr/CFG/blkinfo.ini", "[Groups]\r\n行业板块=hy.ini\r\nbad line\r\n 地区 = dq.ini \r\n");
    f.inst.Write("dr/CFG/hy.ini",
                 "[银行]\r\n01600000\r\n00000001\r\n10000001\r\n11000002\r\n0\r\n01\r\nx1600001\r\n91000001\r\n"
                 "[钢铁]\r\n01600001\r\n");
    f.inst.Write("dr/CFG/dq.ini", "[上海]\r\n01600001\r\n");
    f.inst.Write("CFG/blocks.ini", "[自选]\r\n10000002\r\n01600000\r\n");
    f.Load();
    TBlockGroup blocks;
    ASSERT_EQ(blocks.GroupCount, 4);
    EXPECT_STREQ(blocks.Groups[1].Name, "行业板块");
    EXPECT_EQ(blocks.Groups[1].Kind, GROUP_SYSTEM);
    EXPECT_STREQ(blocks.Groups[2].Name, "地区");
    EXPECT_STREQ(blocks.Groups[3].Name, "用户板块");
    EXPECT_EQ(blocks.Groups[3].Kind, GROUP_USER);

    ASSERT_EQ(blocks.Groups[1].BlockCount, 2);
    BlockRecord *bank = blocks.FindBlock(blocks.Groups[1].Blocks[0]);
    EXPECT_STREQ(bank->Name, "银行");
    EXPECT_EQ(bank->Kind, BLOCK_SYSTEM);
    EXPECT_EQ(bank->Sequence, 0);
    // The market digit names the market searched; the class digit is found anew.
    EXPECT_EQ(Members(bank), (std::vector<StockId>{MakeStockId(0, 1, 1), MakeStockId(0, 0, 0), MakeStockId(1, 0, 0),
                                                    MakeStockId(1, 0, 1)}));
    EXPECT_EQ(blocks.FindBlock(blocks.Groups[1].Blocks[1])->Sequence, 1);

    BlockRecord *mine = blocks.FindBlock(blocks.Groups[3].Blocks[0]);
    EXPECT_STREQ(mine->Name, "自选");
    EXPECT_EQ(mine->Kind, BLOCK_USER);
    EXPECT_EQ(Members(mine), (std::vector<StockId>{MakeStockId(1, 0, 1), MakeStockId(0, 1, 1)}));
}

TEST(BlockGroup, OneListServesWhenTheDataRootIsTheInstallation)
{
    Markets f;
    f.inst.Write("CFG/blkinfo.ini", "[Groups]\r\n行业板块=hy.ini\r\n");
    f.inst.Write("CFG/hy.ini", "[银行]\r\n01600000\r\n");
    f.Load();
    TBlockGroup blocks;
    ASSERT_EQ(blocks.GroupCount, 3);
    EXPECT_EQ(blocks.Groups[1].Kind, GROUP_SYSTEM);
    EXPECT_EQ(blocks.Groups[2].Kind, GROUP_USER);
    EXPECT_STREQ(blocks.Groups[2].Name, "用户板块");
}

TEST(BlockGroup, LimitsOfGroupsBlocksAndMembers)
{
    Markets f("dr");
    std::string groups = "[Groups]\r\n";
    for (int i = 0; i < 40; ++i)
        groups += "g" + std::to_string(i) + "=g" + std::to_string(i) + ".ini\r\n";
    f.inst.Write("dr/CFG/blkinfo.ini", groups);
    std::string sections;
    for (int i = 0; i < 30; ++i)
        sections += "[s" + std::to_string(i) + "]\r\n01600000\r\n";
    for (int i = 0; i < 40; ++i)
        f.inst.Write("dr/CFG/g" + std::to_string(i) + ".ini", sections);
    std::string many = "[大]\r\n";
    for (int i = 0; i < 10000; ++i)
        many += i % 2 ? "01600000\r\n" : "10000002\r\n";
    f.inst.Write("CFG/blocks.ini", many);
    f.Load();
    {
        TBlockGroup blocks;
        EXPECT_EQ(blocks.GroupCount, 32);
        EXPECT_EQ(blocks.BlockCount, 512);
        EXPECT_EQ(blocks.NewBlock(), nullptr);
        // The user group came last, when no room was left.
        EXPECT_NE(blocks.Groups[31].Kind, GROUP_USER);
    }
    f.io.reset();

    Markets g;
    g.inst.Write("CFG/blocks.ini", many);
    g.Load();
    TBlockGroup user;
    BlockRecord *big = user.FindBlock(user.Groups[1].Blocks[0]);
    ASSERT_NE(big, nullptr);
    // 16384 bytes of the section are read; the members stay within the array.
    EXPECT_GT(big->MemberCount, 1000);
    EXPECT_LE(big->MemberCount, MaxBlockMembers);
}

TEST(BlockGroup, NewBlocksReuseFreedSlots)
{
    Markets f;
    f.Load();
    TBlockGroup blocks;
    int count = blocks.BlockCount; // 5 class blocks
    BlockRecord *a = blocks.NewBlock();
    BlockRecord *b = blocks.NewBlock();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Id, count);
    EXPECT_EQ(b->Id, count + 1);
    char name[17];
    std::snprintf(name, sizeof name, "板块%02d", count + 1);
    EXPECT_STREQ(b->Name, name);
    EXPECT_EQ(blocks.BlockCount, count + 2);
    a->MemberCount = 3;
    a->InUse = 0;
    BlockMember *kept = a->Members;
    BlockRecord *c = blocks.NewBlock();
    EXPECT_EQ(c, a);
    EXPECT_EQ(c->Id, count);
    EXPECT_EQ(c->Members, kept);
    EXPECT_EQ(c->MemberCount, 0);
    EXPECT_EQ(blocks.BlockCount, count + 2);
    BlockRecord *d = blocks.NewBlock();
    EXPECT_EQ(d->Id, count + 2);
    EXPECT_EQ(blocks.FindBlock(count + 2), d);
}

TEST(BlockGroup, SaveBlockToIni)
{
    Markets f;
    f.inst.Write("CFG/blocks.ini", "[甲]\r\n01600000\r\n\r\n[乙]\r\n00000001\r\n01600001\r\nx=1\r\n");
    f.Load();
    TBlockGroup blocks;
    BlockRecord *yi = blocks.FindBlock(blocks.Groups[1].Blocks[1]);
    ASSERT_NE(yi, nullptr);
    ASSERT_STREQ(yi->Name, "乙");
    yi->Members[0].Id = MakeStockId(1, 0, 1);
    yi->Members[1].Id = MakeStockId(0, 12, 2); // a class of two digits
    yi->Members[2].Id = MakeStockId(0, 1, 9);  // no longer in its market
    yi->MemberCount = 3;
    ASSERT_EQ(blocks.SaveBlockToIni(yi), 1);
    // The last section's old lines go to the end of the file.
    EXPECT_EQ(f.inst.Read("CFG/blocks.ini"), "[甲]\r\n01600000\r\n\r\n[乙]\r\n10000002\r\n09600001\r\n");

    BlockRecord *added = blocks.NewBlock();
    added->Members[0].Id = MakeStockId(0, 1, 1);
    added->MemberCount = 1;
    ASSERT_EQ(blocks.SaveBlockToIni(added), 1);
    std::string name = added->Name;
    EXPECT_EQ(f.inst.Read("CFG/blocks.ini"),
              "[甲]\r\n01600000\r\n\r\n[乙]\r\n10000002\r\n09600001\r\n[" + name + "]\r\n01600000\r\n");

    BlockRecord *jia = blocks.FindBlock(blocks.Groups[1].Blocks[0]);
    jia->MemberCount = 0;
    ASSERT_EQ(blocks.SaveBlockToIni(jia), 1);
    jia->InUse = 0; // deleted: its section goes
    ASSERT_EQ(blocks.SaveBlockToIni(jia), 1);
    EXPECT_EQ(f.inst.Read("CFG/blocks.ini"), "[乙]\r\n10000002\r\n09600001\r\n[" + name + "]\r\n01600000\r\n");

    // What was written reads back as the same members.
    TBlockGroup again;
    BlockRecord *yi2 = again.FindBlock(again.Groups[1].Blocks[0]);
    ASSERT_NE(yi2, nullptr);
    EXPECT_EQ(Members(yi2), (std::vector<StockId>{MakeStockId(1, 0, 1), MakeStockId(0, 1, 2)}));
}

TEST(BlockGroup, SplitKeyValue)
{
    char key[8], value[8];
    EXPECT_TRUE(SplitKeyValue(" a b = c\r\n", '=', key, sizeof key, value, sizeof value));
    EXPECT_STREQ(key, "ab");
    EXPECT_STREQ(value, "c");
    EXPECT_TRUE(SplitKeyValue("k=v=w", '=', key, sizeof key, value, sizeof value));
    EXPECT_STREQ(value, "v=w");
    EXPECT_TRUE(SplitKeyValue("0123456789=一二三四", '=', key, sizeof key, value, sizeof value));
    EXPECT_STREQ(key, "0123456");
    EXPECT_STREQ(value, "一二三");
    EXPECT_FALSE(SplitKeyValue("none", '=', key, sizeof key, value, sizeof value));
}

} // namespace
