// Feeds arbitrary bytes to the INI engine as a file: sections, keys and lines are
// listed and read with buffers large and small, then keys are written and read
// back.
// fuzz-deps: platform_win
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/Profile.h"

using namespace win;

namespace {

const char kFile[] = "fuzz_profile.ini";
// Every call reads the file again (it has just changed), so the walk is bounded.
constexpr size_t kMaxSections = 16, kMaxKeys = 16;

std::vector<std::string> List(const std::vector<char> &buf, DWORD length)
{
    std::vector<std::string> out;
    for (DWORD i = 0; i < length && buf[i];) {
        out.emplace_back(&buf[i]);
        i += static_cast<DWORD>(out.back().size()) + 1;
    }
    return out;
}

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(kFile, "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    std::vector<char> big(1 << 13), small(7);
    DWORD n = GetPrivateProfileSectionNamesA(big.data(), static_cast<DWORD>(big.size()), kFile);
    Check(n < big.size());
    Check(GetPrivateProfileSectionNamesA(small.data(), static_cast<DWORD>(small.size()), kFile) < small.size() - 1 ||
          n == small.size() - 1);
    std::vector<std::string> sections = List(big, n);
    std::vector<char> keys(1 << 13), value(64), lines(1 << 13);
    for (size_t s = 0; s < sections.size() && s < kMaxSections; ++s) {
        const std::string &section = sections[s];
        DWORD k = GetPrivateProfileStringA(section.c_str(), nullptr, "", keys.data(), static_cast<DWORD>(keys.size()), kFile);
        std::vector<std::string> names = List(keys, k);
        for (size_t i = 0; i < names.size() && i < kMaxKeys; ++i) {
            const std::string &key = names[i];
            DWORD v = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value.data(),
                                               static_cast<DWORD>(value.size()), kFile);
            Check(v == std::strlen(value.data()) && v < value.size());
            GetPrivateProfileIntA(section.c_str(), key.c_str(), 0, kFile);
        }
        GetPrivateProfileSectionA(section.c_str(), lines.data(), static_cast<DWORD>(lines.size()), kFile);
        GetPrivateProfileSectionA(section.c_str(), small.data(), static_cast<DWORD>(small.size()), kFile);
    }

    // A write into the first section (a new one when there is none) reads back as
    // written, and its deletion reads back as gone.
    // (A header runs to its last ']', so a listed name may hold one; such a name
    // cannot be written.)
    std::string target = sections.empty() || sections.front().find(']') != std::string::npos ? std::string("First")
                                                                                             : sections.front();
    Check(WritePrivateProfileStringA(target.c_str(), "FuzzKey", "written", kFile) != FALSE);
    GetPrivateProfileStringA(target.c_str(), "FuzzKey", "", value.data(), static_cast<DWORD>(value.size()), kFile);
    Check(std::strcmp(value.data(), "written") == 0);
    Check(WritePrivateProfileStringA(target.c_str(), "FuzzKey", nullptr, kFile) != FALSE);
    GetPrivateProfileStringA(target.c_str(), "FuzzKey", "gone", value.data(), static_cast<DWORD>(value.size()), kFile);
    Check(std::strcmp(value.data(), "gone") == 0);
    std::remove(kFile);
    return 0;
}
