#include "platform/win/TIniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace win;

namespace {

class TIniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all("tinifile");
        std::filesystem::create_directories("tinifile/cfg");
    }
    static void Put(const std::string &bytes)
    {
        std::ofstream("tinifile/cfg/setting.ini", std::ios::binary) << bytes;
    }
    static std::string Get()
    {
        std::ifstream in("tinifile/cfg/setting.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The spelling the programs use, from a folder beside the configuration.
    TIniFile ini{"tinifile\\CFG\\SETTING.INI"};
};

} // namespace

// Integers read as the form library converts them: unlike the Win32 call, text
// that is not wholly a number gives the default.
TEST_F(TIniFileTest, IntegerAndBooleanReads)
{
    Put("[PARAMETER]\r\na=12\r\nb= -5 \r\nc=0x1F\r\nd=$1f\r\ne=abc\r\nf=12abc\r\ng=\r\nh=0\r\ni=2\r\n");
    struct Case {
        const char *key;
        int def;
        int expect;
    } ints[] = {{"a", 7, 12}, {"b", 7, -5}, {"c", 7, 31}, {"d", 7, 31}, {"e", 7, 7},
                {"f", 7, 7},  {"g", 7, 7},  {"missing", 7, 7}};
    for (const Case &c : ints)
        EXPECT_EQ(ini.ReadInteger("parameter", c.key, c.def), c.expect) << c.key;
    struct BoolCase {
        const char *key;
        bool def;
        bool expect;
    } bools[] = {{"h", true, false}, {"i", false, true}, {"a", false, true}, {"e", true, true},
                 {"e", false, false}, {"missing", true, true}, {"missing", false, false}};
    for (const BoolCase &c : bools)
        EXPECT_EQ(ini.ReadBool("PARAMETER", c.key, c.def), c.expect) << c.key << c.def;
    EXPECT_EQ(ini.ReadString("Parameter", "B", "x"), "-5");
    EXPECT_EQ(ini.ReadString("Parameter", "none", "默认"), "默认");
    EXPECT_EQ(ini.FileName(), "tinifile\\CFG\\SETTING.INI");
}

TEST_F(TIniFileTest, WritesAndDeletes)
{
    Put("; 配色\r\n[Color0]\r\nName=经典\r\nCOLOR01=255\r\n");
    EXPECT_TRUE(ini.WriteInteger("color0", "Color01", 65280)); // the file's spelling stays
    EXPECT_TRUE(ini.WriteBool("TableDef", "TickFirst", true));
    EXPECT_TRUE(ini.WriteBool("TableDef", "TrendFirst", false));
    EXPECT_TRUE(ini.WriteString("PATH", "DataPath", "..\\数据\\"));
    EXPECT_EQ(Get(), "; 配色\r\n[Color0]\r\nName=经典\r\nCOLOR01=65280\r\n"
                     "[TableDef]\r\nTickFirst=1\r\nTrendFirst=0\r\n"
                     "[PATH]\r\nDataPath=..\\数据\\\r\n");
    EXPECT_EQ(ini.ReadString("path", "datapath", ""), "..\\数据\\");
    EXPECT_FALSE(ini.WriteString("PATH", "Data=Path", "x"));

    EXPECT_TRUE(ini.ValueExists("TABLEDEF", "tickfirst"));
    EXPECT_TRUE(ini.DeleteKey("TableDef", "TickFirst"));
    EXPECT_FALSE(ini.ValueExists("TableDef", "TickFirst"));
    EXPECT_TRUE(ini.EraseSection("tabledef"));
    EXPECT_FALSE(ini.SectionExists("TableDef"));
    EXPECT_EQ(Get(), "; 配色\r\n[Color0]\r\nName=经典\r\nCOLOR01=65280\r\n[PATH]\r\nDataPath=..\\数据\\\r\n");
}

// Themes are counted while the section Color<n> exists; a section exists when it
// holds a key, whatever the case of its name.
TEST_F(TIniFileTest, SectionsAndThemeCounting)
{
    Put("[Color0]\r\nName=一\r\n[COLOR1]\r\nname=二\r\n[color2]\r\nNAME=三\r\n[Color3]\r\n\r\n[Color4]\r\nName=五\r\n");
    int themes = 0;
    while (ini.SectionExists(AnsiString().sprintf("Color%d", themes)))
        ++themes;
    EXPECT_EQ(themes, 3);
    EXPECT_EQ(ini.ReadString("Color2", "Name", "未命名"), "三");

    TStringList names;
    names.Add("stale");
    ini.ReadSections(&names);
    ASSERT_EQ(names.Count(), 5);
    EXPECT_EQ(names[1], "COLOR1");
    EXPECT_EQ(names[3], "Color3");
    ini.ReadSection("color4", &names);
    ASSERT_EQ(names.Count(), 1);
    EXPECT_EQ(names[0], "Name");
    ini.ReadSection("Nowhere", &names);
    EXPECT_EQ(names.Count(), 0);

    TIniFile missing("tinifile\\cfg\\none.ini");
    EXPECT_FALSE(missing.SectionExists("Color0"));
    EXPECT_EQ(missing.ReadInteger("PARAMETER", "SortTime", 30), 30);
}
