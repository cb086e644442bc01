// The chat program's two inputs from the terminal: its command line, read as the
// terminal's window number, and the credentials block of WM_COPYDATA. A number
// is never negative or past the handles' range; a block is taken only in its one
// shape and from the starter, and what is taken always ends in a NUL.
// fuzz-deps: chatdesk_ui
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "chatdesk/ui/ChatMainDlg.h"
#include "tests/fuzz/FuzzRequire.h"

using namespace win;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    if (mode & 1) {
        const std::string line(reinterpret_cast<const char *>(data), size);
        const HWND h = chatui::ParseStarterHandle(line.c_str());
        Require(h <= static_cast<HWND>(INT_MAX));
        // Digits that are there give the number; a sign or none give 0.
        const size_t start = line.find_first_not_of(" \t\n\r\v\f");
        if (h != 0)
            Require(start != std::string::npos && (std::isdigit(static_cast<unsigned char>(line[start])) || line[start] == '+'));
        return 0;
    }
    // The block: its size and code from the input, the sender the starter or not.
    std::vector<uint8_t> block(data, data + size);
    COPYDATASTRUCT cds{static_cast<ULONG_PTR>((mode >> 1) & 3), static_cast<DWORD>(block.size()),
                       block.empty() ? nullptr : block.data()};
    const HWND starter = 1234;
    const HWND from = (mode & 8) ? 1234 : 99;
    char name[64], password[64];
    std::memset(name, 'x', sizeof name);
    std::memset(password, 'x', sizeof password);
    const bool taken = chatui::AcceptCredentials(starter, from, &cds, name, password);
    Require(taken == (block.size() == 128 && cds.dwData == 0 && from == starter));
    if (taken) {
        Require(name[63] == 0 && password[63] == 0);
        Require(std::memcmp(name, block.data(), 63) == 0 && std::memcmp(password, block.data() + 64, 63) == 0);
    }
    return 0;
}
