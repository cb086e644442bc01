// The time-zone table of systime.dat: a signed hour offset per market and class,
// the presets the user chooses from, and the shifts of hours and packed
// date-times by them.
#pragma once

#include <cstdint>

#include "lumon/core/PackedDateTime.h"
#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
struct SysTimeEntry {
    int8_t Offset;  // hours from the market's own time
    char Name[32];  // NUL-terminated, at most 31 characters
};
static_assert(sizeof(SysTimeEntry) == 33);

// The file systime.dat, little-endian.
struct SysTimeFile {
    int32_t PresetCount;
    int32_t CurrentPreset;
    int8_t Base[16];
    SysTimeEntry Stored[16][15];
    SysTimeEntry Presets[32];
};
static_assert(sizeof(SysTimeFile) == 9000);
#pragma pack(pop)

struct SysTimeTable {
    int32_t PresetCount;
    int32_t CurrentPreset;
    int8_t Base[16];                // each market's own offset, taken off a preset's
    SysTimeEntry Stored[16][15];
    SysTimeEntry Working[16][15];   // what the shifts use
    SysTimeEntry Presets[32];
};

constexpr int SysTimeMarkets = 16;
constexpr int SysTimeEntries = 15;
constexpr int SysTimeMaxPresets = 32;

extern SysTimeTable TimeZoneTable;

// Clears the table and loads the saved one; run once when the program starts.
void UtilDataStaticInit();
// Reads ..\cfg\systime.dat; a missing or short file leaves the table as it is.
void LoadSysTimeTable();
// Writes systime.dat into the configuration folder; 1, or 0.
int SaveSysTimeTable();
// Makes preset i current: preset 0 restores the stored entries, another sets every
// entry to the preset's offset less the market's own. Ignored for a preset that
// does not exist.
void ApplySysTimePreset(int i);
// Shifts an hour of the day by the entry's offset; returns 1 when the result lies
// on the day before, 2 on the same day, 3 on the day after.
int ShiftHourByZone(int market, int entry, int &hour);
void ShiftPackedTimeByZone(int market, int entry, PackedDateTime &t);
PackedDateTime SystemTimeToZonePackedTime(int market, int entry, const win::SYSTEMTIME &st);
