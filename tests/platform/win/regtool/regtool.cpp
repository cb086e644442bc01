// A second program on the registry store, for the tests of sharing between
// processes:
//   regtool get KEY NAME          prints the REG_SZ value of HKEY_CURRENT_USER\KEY
//   regtool set KEY NAME TEXT     sets it
// The exit code is the registry call's result.
#include "platform/win/Registry.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace win;

int main(int argc, char **argv)
{
    if (argc < 4)
        return 100;
    const std::string command = argv[1];
    HKEY key = 0;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, argv[2], 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
    if (rc != LONG(ERROR_SUCCESS))
        return int(rc);
    if (command == "set" && argc == 5) {
        rc = RegSetValueExA(key, argv[3], 0, REG_SZ, reinterpret_cast<const BYTE *>(argv[4]),
                            DWORD(std::strlen(argv[4]) + 1));
    } else if (command == "get") {
        DWORD type = 0, size = 0;
        rc = RegQueryValueExA(key, argv[3], nullptr, &type, nullptr, &size);
        std::vector<BYTE> data(size);
        if (rc == LONG(ERROR_SUCCESS))
            rc = RegQueryValueExA(key, argv[3], nullptr, &type, data.data(), &size);
        if (rc == LONG(ERROR_SUCCESS) && type == REG_SZ && size > 0)
            std::fwrite(data.data(), 1, size - 1, stdout);
    } else {
        rc = 100;
    }
    RegCloseKey(key);
    return int(rc);
}
