// Time-zone tables (systime.dat) of any size and content, every preset applied
// and every market's entries used for shifts.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "lumon/core/SysTimeTable.h"
#include "platform/win/File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        std::filesystem::create_directories("systime/bin");
        std::filesystem::create_directories("systime/cfg");
        win::SetCurrentDirectoryA("systime/bin");
        ready = true;
    }
    std::ofstream("../cfg/systime.dat", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    UtilDataStaticInit();
    for (int p = -1; p <= TimeZoneTable.PresetCount; ++p) {
        ApplySysTimePreset(p);
        for (int m = 0; m < 17; ++m) {
            for (int e = 0; e < 16; ++e) {
                int hour = (m + e) % 24;
                int day = ShiftHourByZone(m, e, hour);
                if (hour < 0 || hour > 23 || day < 1 || day > 3)
                    __builtin_trap();
                PackedDateTime t = YmdHmToPacked(20061231, 2330);
                ShiftPackedTimeByZone(m, e, t);
            }
        }
    }
    return 0;
}
