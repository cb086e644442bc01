// Key lookups and writes in a settings file of 2,000 lines, the size of a full
// SETTING.INI with its themes and column tables.
// bench-deps: platform_win
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/Profile.h"

using namespace win;

namespace {

// Writes the file and, when `settled`, dates it an hour back, as a settings file
// that nobody is changing looks.
std::string MakeSettings(const char *name, bool settled)
{
    std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream out(path, std::ios::binary);
    int lines = 0;
    for (int theme = 0; lines < 1900; ++theme) {
        out << "[Color" << theme << "]\r\nName=主题" << theme << "\r\n";
        lines += 2;
        for (int i = 1; i <= 64; ++i, ++lines)
            out << "COLOR" << (i < 10 ? "0" : "") << i << "=" << i * 4099 << "\r\n";
        out << "[Font" << theme << "]\r\n";
        ++lines;
        for (int i = 1; i <= 16; ++i, ++lines)
            out << "FONT" << (i < 10 ? "0" : "") << i << "=0,11,宋体\r\n";
    }
    out << "[PARAMETER]\r\nSortTime=30\r\nPageTime=15\r\nRefreshTime=30\r\nMaxDataRecords=15000\r\n";
    out.close();
    if (settled) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return path;
}

// A file that has not changed lately: the parsed copy is reused after one look at
// the file's identity.
void BM_LookupUnchangedFile(benchmark::State &state)
{
    std::string path = MakeSettings("bench_profile_settled.ini", true);
    char buf[256];
    for (auto _ : state)
        benchmark::DoNotOptimize(GetPrivateProfileStringA("PARAMETER", "RefreshTime", "", buf, sizeof buf, path.c_str()));
    std::remove(path.c_str());
}
BENCHMARK(BM_LookupUnchangedFile);

// The look-up that follows a save: one key written through the layer, then the
// first look-up of another key, timed alone. Every iteration writes, so the
// figure does not depend on how long the run has lasted since the last change.
void BM_LookupRightAfterWrite(benchmark::State &state)
{
    std::string path = MakeSettings("bench_profile_written.ini", true);
    char buf[256];
    int n = 0;
    for (auto _ : state) {
        WritePrivateProfileStringA("PARAMETER", "SortTime", std::to_string(10 + n++ % 80).c_str(), path.c_str());
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(GetPrivateProfileStringA("PARAMETER", "RefreshTime", "", buf, sizeof buf, path.c_str()));
        auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LookupRightAfterWrite)->UseManualTime();

// The same, when another program rewrote the file (same size, new content): the
// look-up has to read and parse the file, whatever is cached.
void BM_LookupRightAfterForeignWrite(benchmark::State &state)
{
    std::string path = MakeSettings("bench_profile_foreign.ini", true);
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const size_t at = bytes.find("SortTime=") + 9;
    char buf[256];
    int n = 0;
    for (auto _ : state) {
        const int value = 10 + n++ % 80; // two digits, the size stays
        bytes[at] = static_cast<char>('0' + value / 10);
        bytes[at + 1] = static_cast<char>('0' + value % 10);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(GetPrivateProfileStringA("PARAMETER", "RefreshTime", "", buf, sizeof buf, path.c_str()));
        auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LookupRightAfterForeignWrite)->UseManualTime();

// One key written: lock, read, edit, write beside, rename.
void BM_WriteKey(benchmark::State &state)
{
    std::string path = MakeSettings("bench_profile_write.ini", false);
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            WritePrivateProfileStringA("PARAMETER", "SortTime", std::to_string(n++ % 100).c_str(), path.c_str()));
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteKey);

} // namespace
