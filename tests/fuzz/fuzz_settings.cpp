// Settings files of any content read by the settings loader: paths, parameters
// and the colours and fonts of the last theme.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        std::filesystem::create_directories("settings/bin");
        std::filesystem::create_directories("settings/CFG");
        win::SetCurrentDirectoryA("settings/bin");
        ready = true;
    }
    std::ofstream("../CFG/SETTING.INI", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    TUtilData util(1);
    for (const FontEntry &f : FontTable)
        if (strnlen(f.Face, sizeof f.Face) == sizeof f.Face)
            __builtin_trap();
    if (strnlen(DataRoot, sizeof DataRoot) == sizeof DataRoot || MaxDataRecords < 1)
        __builtin_trap();
    return 0;
}
