// The installation maker and the loaders read the same layouts independently:
// an installation made by the maker loads with the values its account lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/support/MiniJson.h"
#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/DbfTable.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Text.h"

namespace {

std::string Gbk(const Json &v)
{
    return win::Utf8ToGbk(v.text);
}

std::string Field(const char *field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::string TrimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

class InstallationMaker : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::path repo = LUMO_REPO_SOURCE_DIR;
        fs::path maker = repo / "tools" / "mkinstall.py";
        ASSERT_TRUE(fs::exists(maker));
        char cwd[4096] = {};
        win::GetCurrentDirectoryA(sizeof cwd, cwd);
        m_OldCwd = cwd;
        std::string root = m_OldCwd + "/made";
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + maker.string() + "' '" + root + "' --describe '" + root +
                              "/manifest.json' > maker.log 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(root + "/manifest.json", std::ios::binary);
        m = Json::Parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        ASSERT_EQ(m.kind, Json::Object);
        ASSERT_TRUE(win::SetCurrentDirectoryA((root + "/bin").c_str()));
        util = std::make_unique<TUtilData>(1);
    }

    void TearDown() override
    {
        io.reset();
        util.reset();
        win::SetCurrentDirectoryA(m_OldCwd.c_str());
    }

    Json m;
    std::unique_ptr<TUtilData> util;
    std::unique_ptr<TDataIO> io;

private:
    std::string m_OldCwd;
};

TEST_F(InstallationMaker, SettingsAndTheme)
{
    const Json &settings = m["settings"];
    EXPECT_EQ(std::string(DataRoot), Gbk(settings["PATH"]["DATAPATH"]));
    EXPECT_EQ(std::string(CfgDir), Gbk(m["registry"]["data"]) + "cfg\\");
    EXPECT_EQ(Cycdays, std::atoi(settings["PARAMETER"]["Cycdays"].text.c_str()));
    EXPECT_EQ(Cycmins, std::atoi(settings["PARAMETER"]["Cycmins"].text.c_str()));
    EXPECT_EQ(MaxDataRecords, std::atoi(settings["PARAMETER"]["MaxDataRecords"].text.c_str()));
    EXPECT_EQ(LastTheme, std::atoi(settings["THEME"]["LastTheme"].text.c_str()));
    for (size_t t = 0; t < m["themes"].size(); ++t) {
        const Json &theme = m["themes"][t];
        util->LoadColors(int(t));
        util->LoadFonts(int(t));
        ASSERT_EQ(theme["colours"].size(), 64u);
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(ColorTable[i], theme["colours"][size_t(i)].Int()) << "theme " << t << " colour " << i;
        ASSERT_EQ(theme["fonts"].size(), 16u);
        for (int i = 0; i < 16; ++i) {
            const Json &f = theme["fonts"][size_t(i)];
            EXPECT_EQ(FontTable[i].Style, f["bold"].Int()) << "theme " << t << " font " << i;
            EXPECT_EQ(FontTable[i].Size, f["size"].Int()) << "theme " << t << " font " << i;
            EXPECT_EQ(Field(FontTable[i].Face, 16), Gbk(f["face"])) << "theme " << t << " font " << i;
        }
    }
}

TEST_F(InstallationMaker, TimeZones)
{
    UtilDataStaticInit();
    const Json &tz = m["time_zones"];
    const Json &presets = tz["presets"];
    EXPECT_EQ(TimeZoneTable.PresetCount, int(presets.size()));
    EXPECT_EQ(TimeZoneTable.CurrentPreset, tz["current"].Int());
    for (int mk = 0; mk < 16; ++mk) {
        EXPECT_EQ(TimeZoneTable.Base[mk], tz["base"][size_t(mk)].Int());
        for (int e = 0; e < 15; ++e) {
            const Json &entry = tz["stored"][size_t(mk * 15 + e)];
            EXPECT_EQ(Field(TimeZoneTable.Stored[mk][e].Name, 32), Gbk(entry[0]));
            EXPECT_EQ(TimeZoneTable.Stored[mk][e].Offset, entry[1].Int());
        }
    }
    for (size_t p = 0; p < presets.size(); ++p) {
        EXPECT_EQ(Field(TimeZoneTable.Presets[p].Name, 32), Gbk(presets[p][0]));
        EXPECT_EQ(TimeZoneTable.Presets[p].Offset, presets[p][1].Int());
    }
}

TEST_F(InstallationMaker, MarketsNameTablesAndSnapshots)
{
    io = std::make_unique<TDataIO>(0);
    const Json &markets = m["markets"];
    ASSERT_EQ(MarketTable.Status, 0);
    ASSERT_EQ(MarketTable.Count, int(markets.size()));
    PackedDateTime tradingDate = YmdHmToPacked(m["trading_date"].Int(), 0);
    for (size_t k = 0; k < markets.size(); ++k) {
        const Json &jm = markets[k];
        TMarketData *md = MarketTable.Markets[k];
        ASSERT_NE(md, nullptr);
        const MarketInfoRecord &info = md->Info;
        EXPECT_EQ(md->Index, jm["index"].Int());
        EXPECT_EQ(int(info.Type), jm["type"].Int());
        EXPECT_EQ(Field(info.Name, 15), Gbk(jm["name"]));
        EXPECT_EQ(Field(info.Dir, 9), jm["directory"].text);
        EXPECT_EQ(Field(info.Ext, 11), jm["extension"].text);
        EXPECT_EQ(int(info.HourOffset), jm["hour_offset"].Int());
        EXPECT_EQ(int(info.DayStartMinute), jm["day_start"].Int());
        EXPECT_EQ(int(md->Capacity), jm["capacity"].Int());
        EXPECT_EQ(md->TradingDate, tradingDate);
        ASSERT_EQ(int(info.ClassCount), int(jm["classes"].size()));
        for (size_t c = 0; c < jm["classes"].size(); ++c) {
            const Json &jc = jm["classes"][c];
            const ClassRecord &cr = info.Classes[c];
            EXPECT_EQ(Field(cr.Name, 8), Gbk(jc["name"]));
            EXPECT_EQ(cr.IsIndex != 0, jc["index_class"].boolean);
            ASSERT_EQ(int(cr.SessionCount), int(jc["sessions"].size()));
            for (size_t s = 0; s < jc["sessions"].size(); ++s) {
                EXPECT_EQ(int(cr.SessionStart[s]), jc["sessions"][s][0].Int());
                EXPECT_EQ(int(cr.SessionEnd[s]), jc["sessions"][s][1].Int());
            }
            EXPECT_EQ(md->TotalTradingMinutes(int(c)), jc["total_minutes"].Int());
        }

        const Json &stocks = jm["stocks"];
        ASSERT_EQ(md->StockCount, int(stocks.size()));
        for (size_t i = 0; i < stocks.size(); ++i) {
            const Json &js = stocks[i];
            const StockStaticRecord &s = md->Statics[i];
            std::string where = jm["directory"].text + " " + js["code"].text;
            EXPECT_EQ(int(s.Market), int(k)) << where;
            EXPECT_EQ(int(s.Class), js["class"].Int()) << where;
            EXPECT_EQ(Field(s.Code, 7), js["code"].text) << where;
            EXPECT_EQ(Field(s.Name, 9), Gbk(js["name"])) << where;
            EXPECT_EQ(uint32_t(s.ScaleDivisor), uint32_t(js["divisor"].number)) << where;
            EXPECT_EQ(uint32_t(s.VolumeUnit), uint32_t(js["unit"].number)) << where;
            EXPECT_EQ(int(s.Decimals), js["decimals"].Int()) << where;
            EXPECT_EQ(int(s.Index), js["index"].Int()) << where;
            EXPECT_EQ(md->FindStockByCode(js["code"].text.c_str()), int(i)) << where;

            const Json &jq = js["quote"];
            const RealQuoteRecord &q = md->Quotes[i];
            EXPECT_EQ(q.PrevClose, uint32_t(jq["prev_close"].number)) << where;
            EXPECT_EQ(q.Open, uint32_t(jq["open"].number)) << where;
            EXPECT_EQ(q.High, uint32_t(jq["high"].number)) << where;
            EXPECT_EQ(q.Low, uint32_t(jq["low"].number)) << where;
            EXPECT_EQ(q.Last, uint32_t(jq["last"].number)) << where;
            EXPECT_EQ(q.Volume, float(jq["volume"].number)) << where;
            EXPECT_EQ(q.Amount, float(jq["amount"].number)) << where;
            EXPECT_EQ(q.LastVolume, float(jq["last_volume"].number)) << where;
            EXPECT_EQ(q.FastChange, float(jq["fast_change"].number)) << where;
            EXPECT_EQ(q.Time, uint32_t(jq["time"].number)) << where;
            EXPECT_EQ(q.Settlement, uint32_t(jq["settlement"].number)) << where;
            for (size_t l = 0; l < 5; ++l) {
                const Json &bid = jq["bids"][l];
                if (bid.IsNull()) {
                    // An index's first bid level holds three 16-bit counts.
                    uint16_t counts[3];
                    std::memcpy(counts, reinterpret_cast<const char *>(&q) + 40, sizeof counts);
                    EXPECT_EQ(counts[0], jq["counts"]["total"].Int()) << where;
                    EXPECT_EQ(counts[1], jq["counts"]["advancers"].Int()) << where;
                    EXPECT_EQ(counts[2], jq["counts"]["decliners"].Int()) << where;
                } else {
                    EXPECT_EQ(q.Bid[l].Price, uint32_t(bid[0].number)) << where;
                    EXPECT_EQ(q.Bid[l].Volume, float(bid[1].number)) << where;
                }
                EXPECT_EQ(q.Ask[l].Price, uint32_t(jq["asks"][l][0].number)) << where;
                EXPECT_EQ(q.Ask[l].Volume, float(jq["asks"][l][1].number)) << where;
            }
        }
    }
}

TEST_F(InstallationMaker, Blocks)
{
    io = std::make_unique<TDataIO>(0);
    TBlockGroup blocks;
    const Json &system = m["system_groups"];
    ASSERT_EQ(blocks.GroupCount, int(1 + system.size() + 1));
    auto check = [&](const BlockGroupRecord &g, const Json &jblocks, int kind) {
        ASSERT_EQ(int(g.BlockCount), int(jblocks.size())) << Field(g.Name, 17);
        for (size_t b = 0; b < jblocks.size(); ++b) {
            const BlockRecord *block = blocks.FindBlock(g.Blocks[b]);
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(int(block->Kind), kind);
            EXPECT_EQ(Field(block->Name, 17), Gbk(jblocks[b]["name"]));
            const Json &members = jblocks[b]["members"];
            ASSERT_EQ(int(block->MemberCount), int(members.size())) << Field(block->Name, 17);
            for (size_t i = 0; i < members.size(); ++i) {
                const StockStaticRecord *s = TDataIO::GetStock(block->Members[i].Id);
                ASSERT_NE(s, nullptr);
                EXPECT_EQ(StockMarket(block->Members[i].Id), members[i][0].Int());
                EXPECT_EQ(Field(s->Code, 7), members[i][1].text);
            }
        }
    };
    for (size_t g = 0; g < system.size(); ++g) {
        EXPECT_EQ(Field(blocks.Groups[1 + g].Name, 17), Gbk(system[g]["name"]));
        EXPECT_EQ(blocks.Groups[1 + g].Kind, GROUP_SYSTEM);
        check(blocks.Groups[1 + g], system[g]["blocks"], BLOCK_SYSTEM);
    }
    const BlockGroupRecord &user = blocks.Groups[1 + system.size()];
    EXPECT_EQ(user.Kind, GROUP_USER);
    check(user, m["user_blocks"], BLOCK_USER);
}

TEST_F(InstallationMaker, BrokerList)
{
    TDbfTable table("..\\CFG\\Brokerlist.dbf");
    ASSERT_EQ(table.Open(), 1);
    const Json &brokers = m["brokers"];
    ASSERT_EQ(table.GetRecordCount(), int(brokers.size()));
    for (size_t i = 0; i < brokers.size(); ++i) {
        ASSERT_EQ(table.GoToRecord(int(i)), 1);
        EXPECT_EQ(TrimRight(table.GetFieldText("BROKERNAME")), Gbk(brokers[i]["name"]));
        EXPECT_EQ(std::atoi(table.GetFieldText("IDS")), brokers[i]["ids"].Int());
    }
    // The broker shown for a number is the last one whose number is not above it.
    int number = brokers[1]["ids"].Int() + 1;
    EXPECT_EQ(table.FindLastRecordNotAbove("IDS", number), 1);
}

} // namespace
