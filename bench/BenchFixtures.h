// Set-up shared by the history, indicator and formula benchmarks: a fresh
// installation folder in the temporary folder, the files of a one-market
// installation, a day series of a random walk, opening the installation from
// its bin/ folder, and TA-Lib's shared library for the comparisons.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "platform/win/File.h"

namespace benchfix {

// Writes the records as the whole of the file at path, making its folders.
template <typename T>
void WriteFile(const std::filesystem::path &path, const std::vector<T> &records)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(records.data()), std::streamsize(records.size() * sizeof(T)));
}

// Writes the text as the whole of the file at path, making its folders.
inline void WriteText(const std::filesystem::path &path, const std::string &text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The folder name in the temporary folder, emptied, with an empty bin/ in it.
inline std::filesystem::path FreshInstallation(const char *name)
{
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / name;
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    return root;
}

// The market "sh" (files *.shm) of eight stocks in classCount classes, each
// trading in one session from 09:30 to 15:00.
inline MarketInfoRecord ShMarket(int classCount)
{
    MarketInfoRecord market{};
    market.Type = 1;
    std::strcpy(market.Dir, "sh");
    std::strcpy(market.Ext, "shm");
    market.Capacity = 8;
    market.ClassCount = uint16_t(classCount);
    for (int c = 0; c < classCount; ++c) {
        market.Classes[c].SessionCount = 1;
        market.Classes[c].SessionStart[0] = 570;
        market.Classes[c].SessionEnd[0] = 900;
    }
    return market;
}

// CFG/mkinfo.cfg of the market "sh" in one class and its name table of the
// one stock 600000, priced in cents.
inline void WriteOneStockMarket(const std::filesystem::path &root)
{
    WriteFile(root / "CFG" / "mkinfo.cfg", std::vector<MarketInfoRecord>{ShMarket(1)});
    std::vector<StockStaticRecord> stocks(1);
    std::strcpy(stocks[0].Code, "600000");
    stocks[0].ScaleDivisor = 100;
    stocks[0].Decimals = 2;
    WriteFile(root / "data" / "sh" / "nametbl.shm", stocks);
}

// count day bars from 1950-01-02 of a random walk from 10.00 that the seed
// decides, each step drawn by the same linear congruential generator.
inline std::vector<KLineRecord> RandomWalkDays(int count, unsigned seed)
{
    std::vector<KLineRecord> days;
    PackedDateTime t = MakePackedDateTime(1950, 1, 2, 0, 0);
    uint32_t price = 1000;
    for (int i = 0; i < count; ++i, t = NextDay(t)) {
        seed = seed * 1103515245u + 12345u;
        KLineRecord b{};
        b.Time = t;
        b.Open = price;
        price = std::max<uint32_t>(100, price + (seed >> 16) % 41 - 20);
        b.Close = price;
        b.High = std::max(b.Open, b.Close) + (seed >> 8) % 7;
        b.Low = std::min(b.Open, b.Close) - (seed >> 4) % 7;
        b.Volume = float(1000 + (seed >> 12) % 500);
        b.Amount = b.Volume * float(price);
        days.push_back(b);
    }
    return days;
}

// Writes the installation's indicator tables (CFG/INDEX.DAT and CFG/IDXPARA.TBL)
// for the given indicators, each a built-in (kind 1) whose every parameter set
// holds its params; any range of objects with id, name, lines and params.
template <class Range>
void WriteIndicatorTables(const std::filesystem::path &root, const Range &indicators)
{
    std::vector<IndexDefinition> defs;
    std::vector<IndexParamBlock> params;
    for (const auto &x : indicators) {
        IndexDefinition d{};
        d.Id = uint16_t(x.id);
        d.Kind = 1;
        d.LineCount = uint16_t(x.lines);
        std::strncpy(d.Name, x.name, sizeof d.Name - 1);
        defs.push_back(d);
        IndexParamBlock p{};
        for (auto &set : p.Set)
            std::copy(x.params.begin(), x.params.end(), set);
        params.push_back(p);
    }
    WriteFile(root / "CFG" / "INDEX.DAT", defs);
    WriteFile(root / "CFG" / "IDXPARA.TBL", params);
}

// Works from root/bin and loads the installation's markets once for the run;
// false when the folder cannot be entered.
inline bool OpenInstallation(const std::filesystem::path &root)
{
    if (!win::SetCurrentDirectoryA((root / "bin").c_str()))
        return false;
    static TUtilData util(1);
    static TDataIO io(0);
    return true;
}

// TA-Lib's shared library, loaded from where LUMO_TALIB names it or else from
// build/talib/ beside this build (where tools/talib/make_goldens.sh leaves it);
// nullptr when there is none.
inline void *OpenTaLib()
{
    std::string path;
    if (const char *env = std::getenv("LUMO_TALIB")) {
        path = env;
    } else {
        std::error_code ec;
        auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return nullptr;
        path = (exe.parent_path() / ".." / ".." / "talib" / "libta_lib.so").string();
    }
    return dlopen(path.c_str(), RTLD_NOW);
}

} // namespace benchfix
