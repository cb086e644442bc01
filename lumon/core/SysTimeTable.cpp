#include "lumon/core/SysTimeTable.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/FlatFile.h"
#include "lumon/core/UtilData.h"

SysTimeTable TimeZoneTable;

namespace {

// No place is more than a day's hours away; larger offsets in a file are noise.
int8_t SaneOffset(int offset)
{
    return int8_t(offset < -23 ? -23 : (offset > 23 ? 23 : offset));
}

void CopyEntry(SysTimeEntry &to, const SysTimeEntry &from)
{
    to.Offset = SaneOffset(from.Offset);
    std::memcpy(to.Name, from.Name, sizeof to.Name - 1);
    to.Name[sizeof to.Name - 1] = 0;
}

int WorkingOffset(int market, int entry)
{
    if (market < 0 || market >= SysTimeMarkets || entry < 0 || entry >= SysTimeEntries)
        return 0;
    return TimeZoneTable.Working[market][entry].Offset;
}

} // namespace

void UtilDataStaticInit()
{
    std::memset(&TimeZoneTable, 0, sizeof TimeZoneTable);
    LoadSysTimeTable();
}

void LoadSysTimeTable()
{
    int h = FileOpen("..\\cfg\\systime.dat", "rb");
    if (h < 1)
        return;
    static SysTimeFile file;
    bool whole = FileRead(h, &file, sizeof file, 1) == int(sizeof file);
    FileClose(h);
    if (!whole)
        return;
    SysTimeTable &t = TimeZoneTable;
    t.PresetCount = file.PresetCount < 0 ? 0 : (file.PresetCount > SysTimeMaxPresets ? SysTimeMaxPresets : file.PresetCount);
    t.CurrentPreset = file.CurrentPreset < 0 || file.CurrentPreset >= t.PresetCount ? 0 : file.CurrentPreset;
    for (int m = 0; m < SysTimeMarkets; ++m) {
        t.Base[m] = SaneOffset(file.Base[m]);
        for (int e = 0; e < SysTimeEntries; ++e)
            CopyEntry(t.Stored[m][e], file.Stored[m][e]);
    }
    for (int p = 0; p < SysTimeMaxPresets; ++p)
        CopyEntry(t.Presets[p], file.Presets[p]);
    ApplySysTimePreset(t.CurrentPreset);
}

int SaveSysTimeTable()
{
    static SysTimeFile file;
    const SysTimeTable &t = TimeZoneTable;
    file.PresetCount = t.PresetCount;
    file.CurrentPreset = t.CurrentPreset;
    std::memcpy(file.Base, t.Base, sizeof file.Base);
    std::memcpy(file.Stored, t.Stored, sizeof file.Stored);
    std::memcpy(file.Presets, t.Presets, sizeof file.Presets);
    char name[sizeof CfgDir + 16];
    std::snprintf(name, sizeof name, "%ssystime.dat", CfgDir);
    int h = FileOpen(name, "wb");
    if (h < 1)
        return 0;
    bool written = FileWrite(h, &file, sizeof file, 1) == int(sizeof file) &&
                   FileTruncate(h, sizeof file) == int(sizeof file);
    FileClose(h);
    return written ? 1 : 0;
}

void ApplySysTimePreset(int i)
{
    SysTimeTable &t = TimeZoneTable;
    if (i < 0 || i >= t.PresetCount)
        return;
    for (int m = 0; m < SysTimeMarkets; ++m) {
        for (int e = 0; e < SysTimeEntries; ++e) {
            SysTimeEntry &w = t.Working[m][e];
            if (i == 0) {
                CopyEntry(w, t.Stored[m][e]);
            } else {
                w.Offset = SaneOffset(t.Presets[i].Offset - t.Base[m]);
                std::memcpy(w.Name, t.Presets[i].Name, sizeof w.Name - 1);
                w.Name[sizeof w.Name - 1] = 0;
            }
        }
    }
    t.CurrentPreset = i;
}

int ShiftHourByZone(int market, int entry, int &hour)
{
    int h = WorkingOffset(market, entry) + hour + 48;
    if (h < 0)
        h = 0;
    hour = h % 24;
    return h / 24;
}

void ShiftPackedTimeByZone(int market, int entry, PackedDateTime &t)
{
    int h = PackedHour(t) + WorkingOffset(market, entry);
    while (h > 23) {
        t = NextDay(t);
        h -= 24;
    }
    while (h < 0) {
        t = PrevDay(t);
        h += 24;
    }
    t = (t & ~(PackedDateTime(0x1F) << 6)) | (PackedDateTime(h) << 6);
}

PackedDateTime SystemTimeToZonePackedTime(int market, int entry, const win::SYSTEMTIME &st)
{
    PackedDateTime t = MakePackedDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
    ShiftPackedTimeByZone(market, entry, t);
    return t;
}
