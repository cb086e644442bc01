// The frame's menus: the block menu from a table of markets and blocks, the
// themes, time-zone presets and web links from the settings, and the menu bar
// of a frame that started, as the user sees it.
#include <QImage>
#include <QWidget>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace win;
using namespace framefixture;

namespace {

std::string Text(const AnsiString &s) { return s.c_str(); }

// "caption/Tag" of every item below `menu`, separators as "-".
std::vector<std::string> Listing(const TMenuItem *menu)
{
    std::vector<std::string> out;
    for (int i = 0; i < menu->Count; ++i) {
        const TMenuItem *item = menu->Items[i];
        std::string caption = Text(item->Caption);
        out.push_back(caption == "-" ? caption : caption + "/" + std::to_string(item->Tag));
    }
    return out;
}

TMenuItem *Find(const TMenuItem *menu, const std::string &caption)
{
    for (int i = 0; i < menu->Count; ++i)
        if (Text(menu->Items[i]->Caption) == caption)
            return menu->Items[i];
    return nullptr;
}

using Lines = std::vector<std::string>;

class FrameMenusTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        savedTable_ = MarketTable;
        savedZones_ = TimeZoneTable;
        savedTheme_ = LastTheme;
    }
    void TearDown() override
    {
        for (int i = 0; i < MaxMarkets; ++i)
            if (MarketTable.Markets[i] != savedTable_.Markets[i])
                delete MarketTable.Markets[i];
        MarketTable = savedTable_;
        TimeZoneTable = savedZones_;
        LastTheme = savedTheme_;
        FrameTest::TearDown();
    }
    // Markets named as given, each with the classes given, without data.
    void UseMarkets(const std::vector<std::pair<std::string, Lines>> &markets)
    {
        std::memset(&MarketTable, 0, sizeof MarketTable);
        MarketTable.Count = int(markets.size());
        for (size_t i = 0; i < markets.size(); ++i) {
            MarketInfoRecord record{};
            std::memcpy(record.Name, markets[i].first.data(), std::min(markets[i].first.size(), sizeof record.Name));
            record.ClassCount = uint16_t(markets[i].second.size());
            for (size_t k = 0; k < markets[i].second.size() && k < 15; ++k)
                std::memcpy(record.Classes[k].Name, markets[i].second[k].data(),
                            std::min(markets[i].second[k].size(), sizeof record.Classes[k].Name));
            MarketTable.Markets[i] = new TMarketData(int(i), record);
        }
    }
    // A block table of the markets alone: the installation's block files are
    // left out.
    static TBlockGroup *MarketBlocks()
    {
        auto *blocks = new TBlockGroup();
        for (int b = 0; b < blocks->BlockCount; ++b)
            if (blocks->Blocks[b].Kind >= BLOCK_SYSTEM)
                blocks->Blocks[b].InUse = 0;
        return blocks;
    }
    static std::string AddBlock(TBlockGroup &blocks, const char *name, uint8_t kind)
    {
        BlockRecord *b = blocks.NewBlock();
        if (!b)
            return "";
        b->Kind = kind;
        std::strncpy(b->Name, name, sizeof b->Name - 1);
        return name + ("/" + std::to_string(b->Id));
    }
    void Settings(const char *section, const char *key, const char *value)
    {
        WritePrivateProfileStringA(section, key, value, "..\\CFG\\SETTING.INI");
    }

private:
    TMarketTable savedTable_{};
    SysTimeTable savedZones_{};
    int32_t savedTheme_ = 0;
};

TEST_F(FrameMenusTest, BlockMenuCutsMarketNamesSeparatesAfterThirdAndSeventhAndNumbersClasses)
{
    UseMarkets({{"上海市场", {"指数", "A股"}},
                {"市场", {}},
                {"深圳证券市场", {"B股"}},
                {"香港", {}},
                {"期货", {"铜", "铝"}},
                {"M5", {}},
                {"M6", {}},
                {"M7", {}},
                {"M8", {}},
                {"M9", {"长类名称八字"}}});
    TMFrame bare(&App());
    bare.Blocks = MarketBlocks();
    std::string system = AddBlock(*bare.Blocks, "系统一", BLOCK_SYSTEM);
    std::string mine = AddBlock(*bare.Blocks, "我的", BLOCK_USER);
    std::string third = AddBlock(*bare.Blocks, "第三类", 3);
    bare.BuildBlockMenus();
    bare.BuildUserBlockMenu();

    EXPECT_EQ(Listing(bare.N2), (Lines{"上海/0", "市场/0", "深圳证券/0", "-", "香港/0", "期货/0", "M5/0", "M6/0", "-",
                                       "M7/0", "M8/0", "M9/0", "-", "系统板块/0", "自选板块/0"}));
    // Class Tags count after the ten markets, across markets in order.
    EXPECT_EQ(Listing(bare.N2->Items[0]), (Lines{"所有品种/0", "-", "指数/10", "A股/11"}));
    EXPECT_EQ(Listing(bare.N2->Items[1]), (Lines{"所有品种/1", "-"}));
    EXPECT_EQ(Listing(bare.N2->Items[2]), (Lines{"所有品种/2", "-", "B股/12"}));
    EXPECT_EQ(Listing(bare.N2->Items[5]), (Lines{"所有品种/4", "-", "铜/13", "铝/14"}));
    // An 8-byte class name has no terminator in its record.
    EXPECT_EQ(Listing(bare.N2->Items[11]), (Lines{"所有品种/9", "-", "长类名称/15"}));
    // The Tags are the block table's ids of the same markets and classes.
    for (int tag : {0, 9, 10, 15}) {
        const BlockRecord *b = bare.Blocks->FindBlock(tag);
        ASSERT_NE(b, nullptr);
        EXPECT_LE(b->Kind, BLOCK_CLASS) << tag;
    }
    EXPECT_EQ(Listing(Find(bare.N2, "系统板块")), (Lines{system}));
    EXPECT_EQ(Listing(Find(bare.N2, "自选板块")), (Lines{mine, third}));
    for (const char *menu : {"系统板块", "自选板块"})
        EXPECT_TRUE(bool(Find(bare.N2, menu)->Items[0]->OnClick)) << menu;

    // Rebuilt after a change: one "自选板块", at the end, gone with its last block.
    auto drop = [&](const std::string &entry) {
        bare.Blocks->Blocks[std::stoi(entry.substr(entry.find('/') + 1))].InUse = 0;
    };
    drop(mine);
    bare.BuildUserBlockMenu();
    EXPECT_EQ(Listing(Find(bare.N2, "自选板块")), (Lines{third}));
    drop(third);
    bare.BuildUserBlockMenu();
    EXPECT_EQ(Find(bare.N2, "自选板块"), nullptr);
    EXPECT_EQ(Text(bare.N2->Items[bare.N2->Count - 1]->Caption), "系统板块");
    delete bare.Blocks;
    bare.Blocks = nullptr;
}

TEST_F(FrameMenusTest, NoSystemOrUserBlocksLeavesNeitherSubmenu)
{
    UseMarkets({{"A", {}}});
    TMFrame bare(&App());
    bare.Blocks = MarketBlocks();
    bare.BuildBlockMenus();
    bare.BuildUserBlockMenu();
    EXPECT_EQ(Listing(bare.N2), (Lines{"A/0", "-"}));
    delete bare.Blocks;
    bare.Blocks = nullptr;
}

TEST_F(FrameMenusTest, WebMenuFollowsTheSettings)
{
    struct Case {
        const char *menuName; // null: no key
        std::vector<std::pair<const char *, const char *>> values;
        const char *caption;
        Lines items;
    } cases[] = {
        {nullptr, {}, "网站", {}},
        {"链接", {{"Web1", "首页:"}}, "链接", {"首页/0"}},
        {nullptr, {{"Web1", "x"}, {"Web2", "交易所:http://b/"}}, "网站", {"交易所/1"}},
        {nullptr, {{"Web1", "a:http://h:8080/p"}, {"Web2", ":http://no-caption/"}}, "网站", {"a/0", "/1"}},
        // Reading stops at the first empty value.
        {nullptr, {{"Web1", "a:1"}, {"Web3", "c:3"}}, "网站", {"a/0"}},
    };
    for (const Case &c : cases) {
        WritePrivateProfileStringA("WEB", nullptr, nullptr, "..\\CFG\\SETTING.INI");
        if (c.menuName)
            Settings("WEB", "MenuName", c.menuName);
        for (const auto &[key, value] : c.values)
            Settings("WEB", key, value);
        TMFrame bare(&App());
        bare.BuildWebMenu();
        EXPECT_EQ(Text(bare.WebMenu->Caption), c.caption);
        EXPECT_EQ(Listing(bare.WebMenu), c.items) << c.caption;
        // It sits between "新闻资讯" and "手机行情".
        int at = bare.MainMenu1->Items->IndexOf(bare.WebMenu);
        EXPECT_EQ(Text(bare.MainMenu1->Items->Items[at - 1]->Caption), "新闻资讯");
        EXPECT_EQ(Text(bare.MainMenu1->Items->Items[at + 1]->Caption), "手机行情");
    }
}

TEST_F(FrameMenusTest, ThemeMenuListsTheThemeSectionsAndChecksTheCurrentOne)
{
    for (int n = 0; n < 10; ++n)
        WritePrivateProfileStringA(("Color" + std::to_string(n)).c_str(), nullptr, nullptr, "..\\CFG\\SETTING.INI");
    Settings("Color0", "Name", "经典");
    Settings("Color1", "Color01", "255");
    Settings("Color2", "Name", "夜间");
    Settings("Color4", "Name", "unreached");
    LastTheme = 1;
    {
        TMFrame bare(&App());
        bare.BuildThemeMenu();
        EXPECT_EQ(Listing(bare.ThemeMenu), (Lines{"经典/0", "未命名/1", "夜间/2"}));
        for (int i = 0; i < 3; ++i) {
            TMenuItem *item = bare.ThemeMenu->Items[i];
            EXPECT_EQ(bool(item->Checked), i == 1) << i;
            EXPECT_TRUE(item->RadioItem);
            EXPECT_EQ(int(item->GroupIndex), 1);
        }
    }
    // Without a first theme the menu stays empty.
    WritePrivateProfileStringA("Color0", nullptr, nullptr, "..\\CFG\\SETTING.INI");
    TMFrame bare(&App());
    bare.BuildThemeMenu();
    EXPECT_EQ(bare.ThemeMenu->Count, 0);
}

TEST_F(FrameMenusTest, ZoneMenuListsThePresetsAndChecksTheCurrentOne)
{
    struct Case {
        int count, current;
        int items;
    } cases[] = {{3, 2, 3}, {0, 0, 0}, {-4, 0, 0}, {40, 31, 32}};
    for (const Case &c : cases) {
        std::memset(&TimeZoneTable, 0, sizeof TimeZoneTable);
        TimeZoneTable.PresetCount = c.count;
        TimeZoneTable.CurrentPreset = c.current;
        for (int i = 0; i < SysTimeMaxPresets; ++i)
            std::snprintf(TimeZoneTable.Presets[i].Name, sizeof TimeZoneTable.Presets[i].Name, "时区%d", i);
        // A name that fills its field to the end.
        std::memset(TimeZoneTable.Presets[0].Name, 'Z', sizeof TimeZoneTable.Presets[0].Name);
        TMFrame bare(&App());
        bare.BuildZoneMenu();
        ASSERT_EQ(bare.ZoneMenu->Count, c.items) << c.count;
        for (int i = 0; i < c.items; ++i) {
            TMenuItem *item = bare.ZoneMenu->Items[i];
            EXPECT_EQ(item->Tag, i);
            EXPECT_EQ(bool(item->Checked), i == c.current);
            EXPECT_EQ(int(item->GroupIndex), 2);
            EXPECT_EQ(Text(item->Caption), i == 0 ? std::string(32, 'Z') : "时区" + std::to_string(i));
        }
    }
}

TEST_F(FrameMenusTest, AStartedFrameShowsItsMenuBarAndCaption)
{
    Settings("PARAMETER", "Caption", "X");
    Settings("PARAMETER", "CycleChoice", "1");
    Settings("TableDef", "ToolBar", "0");
    Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    ASSERT_EQ(frame->StartAborted, 0);
    EXPECT_EQ(Text(frame->Caption), "lumo X");
    EXPECT_EQ(static_cast<TMainMenu *>(frame->Menu), frame->MainMenu1);
    EXPECT_EQ(Listing(frame->MainMenu1->Items),
              (Lines{"系统/0", "页面管理/0", "板块选择/0", "图表分析/0", "技术分析/0", "新闻资讯/0", "网站/0", "手机行情/0",
                     "在线互动/0", "网上交易/0", "工具/0", "帮助/0"}));
    // The installation's markets, system blocks and themes are listed.
    EXPECT_GE(frame->N2->Count, MarketTable.Count + 1);
    EXPECT_EQ(Text(frame->N2->Items[0]->Items[0]->Caption), "所有品种");
    EXPECT_GT(frame->ThemeMenu->Count, 0);
    EXPECT_TRUE(frame->ThemeMenu->Items[LastTheme]->Checked);
    EXPECT_GT(frame->WebMenu->Count, 0);
    // The check marks of the settings file, in both menus where both have the item.
    EXPECT_TRUE(frame->N37->Checked);
    EXPECT_FALSE(frame->ToolBarItem->Checked);
    EXPECT_FALSE(frame->MenuItem100->Checked);
    EXPECT_TRUE(frame->MenuItem94->Checked);
    // Offline, the connect item offers to connect.
    frame->N1->Click();
    EXPECT_EQ(Text(frame->C1->Caption), "连接主站(&C)");

    frame->Show();
    App().ProcessMessages();
    QWidget *window = frame->Widget()->window();
    QImage image = window->grab().toImage();
    ASSERT_FALSE(image.isNull());
    image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/frame_menus.png"));
    // The menu bar is drawn above the client area: its row is not the form's
    // background colour throughout.
    int changes = 0;
    for (int x = 1; x < image.width(); ++x)
        changes += image.pixel(x, 8) != image.pixel(x - 1, 8);
    EXPECT_GT(changes, 20);
}

} // namespace
