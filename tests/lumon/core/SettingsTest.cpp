// The settings loader over SETTING.INI and the registry, and the time-zone table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Installation.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"

namespace {

TEST(UtilData, DefaultsWithoutASettingsFile)
{
    Installation inst;
    MaxDataRecords = 7;
    TUtilData util(1);
    EXPECT_STREQ(DataRoot, "..\\");
    EXPECT_EQ(std::string(CfgDir), inst.Root() + "/cfg\\");
    EXPECT_EQ(MaxDataRecords, 15000);
    EXPECT_EQ(Cycdays, 45);
    EXPECT_EQ(Cycmins, 10);
    EXPECT_EQ(LastTheme, 0);
    EXPECT_EQ(ColorTable[0], 0);
    EXPECT_EQ(FontTable[15].Style, 0);
    EXPECT_EQ(FontTable[15].Size, 11);
    EXPECT_STREQ(FontTable[15].Face, "宋体");
    EXPECT_EQ(UtilMode, 1);
    EXPECT_NE(StartTime.wYear, 0);
    char *a = static_cast<char *>(util.GetBarBuffer());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, util.GetBarBuffer());
    EXPECT_NE(a, util.GetBarBuffer2());
    a[15000 * 32 + 99] = 1; // the whole promised size is there
}

TEST(UtilData, ReadsPathsParametersAndTheTheme)
{
    Installation inst;
    inst.Write("CFG/SETTING.INI",
               "[PATH]\r\nDATAPATH=/srv/lumo/data\r\n"
               "[Parameter]\r\nCycdays=30\r\nCycmins=0\r\nMaxDataRecords=2000\r\n"
               "[THEME]\r\nLastTheme=2\r\n"
               "[Color2]\r\nCOLOR01=255\r\nCOLOR64=16777215\r\n"
               "[Color0]\r\nCOLOR01=7\r\n"
               "[Font2]\r\nFONT01=1,14,黑体\r\nFONT02=0,9,Times New Roman\r\n"
               "FONT03=0,12,ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\nFONT04=0,10,一二三四五六七八九十\r\nFONT05=x\r\n");
    TUtilData util(2);
    EXPECT_STREQ(DataRoot, "/srv/lumo/data\\");
    EXPECT_EQ(Cycdays, 30);
    EXPECT_EQ(Cycmins, 0);
    EXPECT_EQ(MaxDataRecords, 2000);
    EXPECT_EQ(LastTheme, 2);
    EXPECT_EQ(ColorTable[0], 255);
    EXPECT_EQ(ColorTable[1], 0);
    EXPECT_EQ(ColorTable[63], 16777215);
    struct Case {
        int font, style, size;
        const char *face;
    } cases[] = {
        {0, 1, 14, "黑体"},
        {1, 0, 9, "Times New Roman"},  // blanks belong to the face
        {2, 0, 12, "ABCDEFGHIJKLMNO"}, // cut to 15 bytes
        {3, 0, 10, "一二三四五六七"},  // cut without splitting a character
        {4, 0, 0, ""},
        {5, 0, 11, "宋体"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FontTable[c.font].Style, c.style) << c.font;
        EXPECT_EQ(FontTable[c.font].Size, c.size) << c.font;
        EXPECT_STREQ(FontTable[c.font].Face, c.face) << c.font;
    }
    util.LoadColors(0);
    EXPECT_EQ(ColorTable[0], 7);
}

TEST(UtilData, OutOfRangeRecordCountsAndLongPaths)
{
    struct Case {
        const char *value;
        int records;
    } cases[] = {{"0", 15000}, {"-5", 15000}, {"abc", 15000}, {"99999999", 1000000}, {"1", 1}};
    for (const Case &c : cases) {
        Installation inst;
        inst.Write("CFG/SETTING.INI", std::string("[Parameter]\r\nMaxDataRecords=") + c.value + "\r\n");
        TUtilData util(1);
        EXPECT_EQ(MaxDataRecords, c.records) << c.value;
    }
    Installation inst;
    inst.Write("CFG/SETTING.INI", "[PATH]\r\nDATAPATH=" + std::string(600, 'd') + "\r\n");
    std::string longRoot(700, 'r');
    Installation::SetRegistryPath(longRoot);
    TUtilData util(1);
    EXPECT_EQ(std::strlen(DataRoot), 256u); // 255 characters and the separator
    EXPECT_LT(std::strlen(CfgDir), sizeof CfgDir);
}

void PutEntry(SysTimeEntry &e, int offset, const char *name)
{
    e.Offset = int8_t(offset);
    std::memset(e.Name, 'X', sizeof e.Name);
    std::memcpy(e.Name, name, std::strlen(name) + 1);
}

std::string SysTimeBytes(int presets, int current)
{
    SysTimeFile f{};
    f.PresetCount = presets;
    f.CurrentPreset = current;
    f.Base[0] = 8;
    f.Base[1] = 8;
    for (int m = 0; m < 16; ++m)
        for (int e = 0; e < 15; ++e)
            PutEntry(f.Stored[m][e], m == 1 ? -3 : 0, "本地");
    PutEntry(f.Presets[0], 0, "各地时间");
    PutEntry(f.Presets[1], 0, "格林威治");
    PutEntry(f.Presets[2], 9, "东京");
    f.Presets[3].Offset = 100; // a name without a NUL, and an absurd offset
    std::memset(f.Presets[3].Name, 'N', sizeof f.Presets[3].Name);
    return std::string(reinterpret_cast<const char *>(&f), sizeof f);
}

TEST(SysTimeTable, LoadLimitsAndPresets)
{
    struct Case {
        int presets, current, loadedPresets, loadedCurrent;
    } cases[] = {{4, 2, 4, 2}, {40, 2, 32, 2}, {4, 32, 4, 0}, {4, -5, 4, 0}, {-1, 0, 0, 0}};
    for (const Case &c : cases) {
        Installation inst;
        inst.Write("CFG/systime.dat", SysTimeBytes(c.presets, c.current));
        UtilDataStaticInit();
        EXPECT_EQ(TimeZoneTable.PresetCount, c.loadedPresets) << c.presets;
        EXPECT_EQ(TimeZoneTable.CurrentPreset, c.loadedCurrent) << c.presets;
    }

    Installation inst;
    inst.Write("CFG/systime.dat", SysTimeBytes(4, 0));
    UtilDataStaticInit();
    EXPECT_EQ(TimeZoneTable.Working[1][3].Offset, -3);
    EXPECT_STREQ(TimeZoneTable.Working[1][3].Name, "本地");
    ApplySysTimePreset(2);
    EXPECT_EQ(TimeZoneTable.CurrentPreset, 2);
    EXPECT_EQ(TimeZoneTable.Working[0][0].Offset, 1);
    EXPECT_EQ(TimeZoneTable.Working[5][0].Offset, 9);
    EXPECT_STREQ(TimeZoneTable.Working[5][14].Name, "东京");
    ApplySysTimePreset(3);
    EXPECT_EQ(TimeZoneTable.Working[5][0].Offset, 23);
    EXPECT_EQ(std::strlen(TimeZoneTable.Working[5][0].Name), 31u);
    ApplySysTimePreset(4); // no such preset
    EXPECT_EQ(TimeZoneTable.CurrentPreset, 3);
    ApplySysTimePreset(0);
    EXPECT_EQ(TimeZoneTable.Working[1][0].Offset, -3);

    // A short file is not a table; the one loaded stays.
    inst.Write("CFG/systime.dat", SysTimeBytes(9, 1).substr(0, 8999));
    LoadSysTimeTable();
    EXPECT_EQ(TimeZoneTable.PresetCount, 4);
}

TEST(SysTimeTable, ShiftsAcrossDayMonthAndYearEnds)
{
    std::memset(&TimeZoneTable, 0, sizeof TimeZoneTable);
    TimeZoneTable.Working[0][0].Offset = -3;
    TimeZoneTable.Working[2][1].Offset = 8;
    int hour = 1;
    EXPECT_EQ(ShiftHourByZone(0, 0, hour), 1);
    EXPECT_EQ(hour, 22);
    hour = 20;
    EXPECT_EQ(ShiftHourByZone(2, 1, hour), 3);
    EXPECT_EQ(hour, 4);
    hour = 10;
    EXPECT_EQ(ShiftHourByZone(2, 1, hour), 2);
    EXPECT_EQ(hour, 18);
    hour = 10;
    EXPECT_EQ(ShiftHourByZone(16, 0, hour), 2); // no such market: no shift
    EXPECT_EQ(hour, 10);

    struct Case {
        int market, entry, ymd, hhmm, ymdOut, hhmmOut;
    } cases[] = {
        {0, 0, 20070101, 130, 20061231, 2230},
        {0, 0, 20000301, 200, 20000229, 2300},
        {2, 1, 20061231, 2015, 20070101, 415},
        {2, 1, 20060131, 1600, 20060201, 0},
        {2, 1, 20060215, 900, 20060215, 1700},
        {0, 15, 20060215, 900, 20060215, 900},
    };
    for (const Case &c : cases) {
        PackedDateTime t = YmdHmToPacked(c.ymd, c.hhmm);
        ShiftPackedTimeByZone(c.market, c.entry, t);
        EXPECT_EQ(t, YmdHmToPacked(c.ymdOut, c.hhmmOut)) << c.ymd << " " << c.hhmm;
        win::SYSTEMTIME st{};
        st.wYear = win::WORD(c.ymd / 10000);
        st.wMonth = win::WORD(c.ymd / 100 % 100);
        st.wDay = win::WORD(c.ymd % 100);
        st.wHour = win::WORD(c.hhmm / 100);
        st.wMinute = win::WORD(c.hhmm % 100);
        EXPECT_EQ(SystemTimeToZonePackedTime(c.market, c.entry, st), YmdHmToPacked(c.ymdOut, c.hhmmOut));
    }
}

TEST(SysTimeTable, SaveWritesTheFileLayoutIntoTheConfigurationFolder)
{
    Installation inst;
    // A longer file loads its first 9000 bytes; the save cuts it to size.
    inst.Write("CFG/systime.dat", SysTimeBytes(4, 2) + std::string(3000, 'z'));
    TUtilData util(1);
    UtilDataStaticInit();
    ASSERT_EQ(SaveSysTimeTable(), 1);
    std::string saved = inst.Read("CFG/systime.dat");
    ASSERT_EQ(saved.size(), 9000u);
    SysTimeFile f;
    std::memcpy(&f, saved.data(), sizeof f);
    EXPECT_EQ(f.PresetCount, 4);
    EXPECT_EQ(f.CurrentPreset, 2);
    EXPECT_EQ(f.Base[1], 8);
    EXPECT_EQ(f.Stored[1][14].Offset, -3);
    EXPECT_STREQ(f.Presets[2].Name, "东京");
}

} // namespace
