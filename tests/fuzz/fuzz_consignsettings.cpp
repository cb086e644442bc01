// The order client's settings file in any shape: the one-time conversion of the
// older connection layouts, which a second run must leave as the first left it,
// then the keys read at start and the connection record of each server group.
// The input is the whole settings file.
// fuzz-deps: consign_session
// fuzz-mutations: 300
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "consign/session/ConsignSettings.h"

namespace {

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = (std::filesystem::current_path() / "fuzz-consign.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data), std::streamsize(size));

    ConvertOldLayouts(path.c_str());
    const std::string once = ReadAll(path);
    ConvertOldLayouts(path.c_str());
    if (ReadAll(path) != once)
        __builtin_trap();

    ConsignStartSettings start{};
    ReadStartSettings(path.c_str(), start);
    for (int group = 1; group <= 3; ++group) {
        ConnectionSettings c{};
        LoadConnectionSettings(path.c_str(), group, "8001", "pw", "1234", c);
        for (const ServerSlot &slot : c.servers)
            if (!slot.enabled && (slot.port != 0 || slot.address[0] != 0))
                __builtin_trap();
    }
    return 0;
}
