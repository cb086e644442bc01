#include "lumon/core/UtilData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumon/core/EMemOp.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"

using namespace win;

char DataRoot[512] = "..\\";
char CfgDir[520] = "";
int32_t Cycdays = 45;
int32_t Cycmins = 10;
int32_t MaxDataRecords = 15000;
int32_t LastTheme = 0;
int32_t ColorTable[64];
FontEntry FontTable[16];
SYSTEMTIME StartTime;
uint8_t UtilMode;

namespace {

// A bar buffer holds MaxDataRecords bars; values beyond this many would ask for
// more memory than any history needs.
constexpr int32_t MaxBarRecords = 1000000;

void *barBuffer1;
void *barBuffer2;

// Appends '\' to a folder name that does not end in a separator, within `size`.
void EndWithSeparator(char *path, size_t size)
{
    size_t n = std::strlen(path);
    if (n > 0 && (path[n - 1] == '\\' || path[n - 1] == '/'))
        return;
    if (n + 1 < size) {
        path[n] = '\\';
        path[n + 1] = 0;
    }
}

void *BarBuffer(void *&buffer)
{
    if (!buffer)
        buffer = EMemAlloc(size_t(MaxDataRecords) * 32 + 100);
    return buffer;
}

} // namespace

bool JoinInto(char *out, size_t size, std::initializer_list<std::string_view> parts)
{
    if (!out || size == 0)
        return false;
    size_t at = 0;
    for (std::string_view part : parts) {
        const size_t n = std::min(part.size(), size - 1 - at);
        std::memcpy(out + at, part.data(), n);
        at += n;
        if (n < part.size()) {
            out[at] = 0;
            return false;
        }
    }
    out[at] = 0;
    return true;
}

void CaptureSystemTime()
{
    GetSystemTime(&StartTime);
}

TUtilData::TUtilData(int mode)
{
    UtilMode = uint8_t(mode);
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        // One byte is kept for the separator that may have to be added.
        char path[sizeof DataRoot] = {};
        DWORD size = sizeof path - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE *>(path), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            path[sizeof path - 2] = 0;
            std::memcpy(DataRoot, path, sizeof DataRoot);
        }
        RegCloseKey(key);
    }
    EndWithSeparator(DataRoot, sizeof DataRoot);
    std::snprintf(CfgDir, sizeof CfgDir, "%scfg\\", DataRoot);
    CaptureSystemTime();
    LoadSettings();
}

TUtilData::~TUtilData()
{
    EMemFree(barBuffer1);
    EMemFree(barBuffer2);
    barBuffer1 = barBuffer2 = nullptr;
}

void TUtilData::LoadSettings()
{
    char cwd[MAX_PATH * 4] = {};
    DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
    bool restore = n > 0 && n < sizeof cwd;

    GetPrivateProfileStringA("PATH", "DATAPATH", "..\\", DataRoot, 256, SettingFile);
    EndWithSeparator(DataRoot, sizeof DataRoot);
    LoadParameters();
    LastTheme = int32_t(GetPrivateProfileIntA("THEME", "LastTheme", 0, SettingFile));
    LoadColors(LastTheme);
    LoadFonts(LastTheme);

    if (restore)
        SetCurrentDirectoryA(cwd);
}

void TUtilData::LoadParameters()
{
    Cycdays = int32_t(GetPrivateProfileIntA("Parameter", "Cycdays", 45, SettingFile));
    Cycmins = int32_t(GetPrivateProfileIntA("Parameter", "Cycmins", 10, SettingFile));
    int32_t records = int32_t(GetPrivateProfileIntA("Parameter", "MaxDataRecords", 15000, SettingFile));
    if (records < 1)
        records = 15000;
    MaxDataRecords = records > MaxBarRecords ? MaxBarRecords : records;
}

void TUtilData::LoadColors(int theme)
{
    char section[32], key[16];
    std::snprintf(section, sizeof section, "Color%d", theme);
    for (int i = 0; i < 64; ++i) {
        std::snprintf(key, sizeof key, "COLOR%02d", i + 1);
        ColorTable[i] = int32_t(GetPrivateProfileIntA(section, key, 0, SettingFile));
    }
}

void TUtilData::LoadFonts(int theme)
{
    char section[32], key[16], value[32];
    std::snprintf(section, sizeof section, "Font%d", theme);
    for (int i = 0; i < 16; ++i) {
        std::snprintf(key, sizeof key, "FONT%02d", i + 1);
        GetPrivateProfileStringA(section, key, "0,11,宋体", value, sizeof value, SettingFile);
        int style = 0, size = 0;
        char face[sizeof value] = {};
        // The face name is the rest of the value, blanks included ("Times New
        // Roman", as the settings tool writes it); it is cut to the field on a
        // character boundary.
        std::sscanf(value, "%d,%d,%31[^\r\n]", &style, &size, face);
        FontEntry &f = FontTable[i];
        f.Style = uint8_t(style);
        f.Size = size;
        std::memset(f.Face, 0, sizeof f.Face);
        GbkCopyToField(f.Face, sizeof f.Face - 1, face);
    }
}

void *TUtilData::GetBarBuffer()
{
    return BarBuffer(barBuffer1);
}

void *TUtilData::GetBarBuffer2()
{
    return BarBuffer(barBuffer2);
}
