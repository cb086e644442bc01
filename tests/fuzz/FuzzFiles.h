// Scratch installation tree for the fuzz entries that read their input from files:
// the folders are made once and the process moves into the tree's bin folder, so the
// relative paths the loaders use ("../CFG/...", "../data/...") land inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

namespace fuzzfiles {

// Makes root/bin and root/<folder> for each folder, then moves into root/bin. Only the
// first call of the process does this and returns true; later calls return false, so
// the caller's one-time set-up runs once.
inline bool EnterScratchTree(const char *root, std::initializer_list<const char *> folders)
{
    static bool entered = false;
    if (entered)
        return false;
    entered = true;
    const std::string base = root;
    std::filesystem::create_directories(base + "/bin");
    for (const char *folder : folders)
        std::filesystem::create_directories(base + "/" + folder);
    win::SetCurrentDirectoryA((base + "/bin").c_str());
    return true;
}

// Replaces the file at path with size bytes from data.
inline void WriteFile(const char *path, const void *data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(static_cast<const char *>(data), std::streamsize(size));
}

// ../CFG/mkinfo.cfg describing one market "m" (its files *.n in data/m) of
// capacity stocks in one class.
inline void WriteOneMarket(uint16_t capacity)
{
    MarketInfoRecord info{};
    info.Type = 1;
    std::strcpy(info.Dir, "m");
    std::strcpy(info.Ext, "n");
    info.Capacity = capacity;
    info.ClassCount = 1;
    WriteFile("../CFG/mkinfo.cfg", &info, sizeof info);
}

// ../data/m/nametbl.n of the market WriteOneMarket describes: the stocks of the
// codes in this order, then made-up codes up to count stocks.
inline void WriteNameTable(std::initializer_list<const char *> codes, int count)
{
    std::ofstream out("../data/m/nametbl.n", std::ios::binary | std::ios::trunc);
    auto it = codes.begin();
    for (int i = 0; i < count; ++i) {
        StockStaticRecord s{};
        if (it != codes.end())
            std::strncpy(s.Code, *it++, sizeof s.Code - 1);
        else
            std::snprintf(s.Code, sizeof s.Code, "9%05d", i % 100000);
        std::snprintf(s.Name, sizeof s.Name, "S%d", i % 1000);
        s.ScaleDivisor = 100;
        s.VolumeUnit = 100;
        s.Decimals = 2;
        s.Index = uint16_t(i);
        out.write(reinterpret_cast<const char *>(&s), sizeof s);
    }
}

// A scratch installation of one market of 64 stocks (the codes the peer's seeds
// name among them), its tables loaded: for the targets that take what the data
// server sends.
inline void EnterDataServerTree(const char *root)
{
    if (!EnterScratchTree(root, {"CFG", "data/m", "data/info", "data/notes", "tmp"}))
        return;
    WriteOneMarket(64);
    WriteNameTable({"000001", "600000", "600036", "600519", "000002", "000003"}, 40);
}

// A scratch installation of one market "m" of two stocks, 600000 and a code that
// fills its whole field, with the settings and the markets loaded. True on the
// process's first call only, for the caller's own one-time set-up.
inline bool EnterTwoStockTree(const char *root)
{
    if (!EnterScratchTree(root, {"CFG", "data/m"}))
        return false;
    static TUtilData util(1);
    WriteOneMarket(2);
    StockStaticRecord stocks[2] = {};
    std::strcpy(stocks[0].Code, "600000");
    std::memcpy(stocks[1].Code, "6000001", 7);
    WriteFile("../data/m/nametbl.n", stocks, sizeof stocks);
    static TDataIO io(0);
    return true;
}

} // namespace fuzzfiles
