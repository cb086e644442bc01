// The settings loader: finds the installation, reads the data-related settings
// and the colour and font theme of ..\CFG\SETTING.INI into program-wide values,
// and owns the two shared bar work buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/win/WinTypes.h"

// One font of a theme: the first number of the value (1 = bold), the face name
// and the size.
struct FontEntry {
    uint8_t Style;
    char Face[16];
    int32_t Size;
};

// The root of the data folder, of mkinfo.cfg and of the system block list; always
// ends in a separator. Default "..\".
extern char DataRoot[512];
// The installation's configuration folder (registry value Path + "cfg\"): home of
// blocks.ini, the user's block list and the saved time-zone table.
extern char CfgDir[520];
extern int32_t Cycdays;
extern int32_t Cycmins;
extern int32_t MaxDataRecords;
extern int32_t LastTheme;
extern int32_t ColorTable[64];
extern FontEntry FontTable[16];
// UTC when the settings object was made: the reference of every market clock.
extern win::SYSTEMTIME StartTime;
// 1 in the terminal, 2 in the settings program.
extern uint8_t UtilMode;

// The settings file, relative to the program folder.
inline constexpr const char *SettingFile = "..\\CFG\\SETTING.INI";

// Stores the current UTC time as the start time.
void CaptureSystemTime();

// The parts one after another in out (size bytes), terminated: true when they
// fit, else as much as fits and false. The paths that every indicator compute
// builds are made this way rather than by parsing a format each time.
bool JoinInto(char *out, size_t size, std::initializer_list<std::string_view> parts);

class TUtilData {
public:
    explicit TUtilData(int mode);
    TUtilData(const TUtilData &) = delete;
    TUtilData &operator=(const TUtilData &) = delete;
    ~TUtilData();

    void LoadSettings();
    void LoadParameters();
    void LoadColors(int theme);
    void LoadFonts(int theme);

    // The shared bar work buffers of MaxDataRecords x 32 + 100 zeroed bytes, made
    // on first use and freed with the settings object; null when they cannot be
    // had. Readers size their work by the buffer's block size.
    static void *GetBarBuffer();
    static void *GetBarBuffer2();
};
