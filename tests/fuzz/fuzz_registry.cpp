// The registry store as another program or a hand edit may have left it: the
// programs' keys are opened and their values read (also into a buffer too
// small), then values are set beside whatever the store holds and must read
// back as they were set. The input is the whole store file.
// fuzz-deps: platform_win
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/Registry.h"
#include "tests/fuzz/FuzzRequire.h"

using namespace win;

namespace {

const std::string &StorePath()
{
    static const std::string path = [] {
        const char *named = std::getenv("LUMO_REGISTRY");
        if (named && *named)
            return std::string(named);
        std::string own = (std::filesystem::current_path() / "fuzz-registry.ini").string();
        setenv("LUMO_REGISTRY", own.c_str(), 1);
        return own;
    }();
    return path;
}

// Reads every value the programs ask for under the key, whole and into a
// buffer of 4 bytes.
void ReadValues(HKEY root, const char *subKey)
{
    HKEY key = 0;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (const char *name : {"Path", "hMainWnd", "", "Blob", "Version"}) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            continue;
        Require(size < (1u << 24));
        std::string buffer(size + 1, '\x7f');
        DWORD got = size;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &got) ==
            ERROR_SUCCESS) {
            Require(got <= size && buffer[size] == '\x7f');
            Require(type != REG_SZ || (got > 0 && buffer[got - 1] == 0));
        }
        BYTE small[4] = {1, 2, 3, 4};
        DWORD smallSize = sizeof small;
        const LONG r = RegQueryValueExA(key, name, nullptr, &type, small, &smallSize);
        if (r == ERROR_MORE_DATA)
            Require(smallSize == size && small[0] == 1 && small[3] == 4);
    }
    RegCloseKey(key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &store = StorePath();
    std::filesystem::create_directories(std::filesystem::path(store).parent_path());
    std::ofstream(store, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data), std::streamsize(size));

    ReadValues(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0");
    ReadValues(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0\\Settings");
    ReadValues(HKEY_CLASSES_ROOT, "http\\shell\\open\\command");

    // Values set into the store as it is read back exactly; a store that cannot
    // be understood may refuse the write, but never take a different value.
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    const size_t take = size < 64 ? size : 64;
    std::string text(reinterpret_cast<const char *>(data), take);
    text = text.substr(0, text.find('\0'));
    const DWORD number = take >= 4 ? DWORD(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24) : 7;
    struct Set {
        const char *name;
        DWORD type;
        const BYTE *bytes;
        DWORD size;
    };
    const Set sets[] = {
        {"FuzzText", REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()), DWORD(text.size() + 1)},
        {"FuzzBlob", REG_BINARY, data, DWORD(take)},
        {"FuzzNumber", REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4},
    };
    for (const Set &s : sets) {
        if (RegSetValueExA(key, s.name, 0, s.type, s.bytes, s.size) != ERROR_SUCCESS)
            continue;
        BYTE back[128] = {};
        DWORD type = 0, got = sizeof back;
        Require(RegQueryValueExA(key, s.name, nullptr, &type, back, &got) == ERROR_SUCCESS);
        Require(type == s.type && got == s.size && std::memcmp(back, s.bytes, s.size) == 0);
    }
    RegCloseKey(key);
    return 0;
}
