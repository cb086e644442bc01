// The user's block file of any content loaded into the block table over two
// small markets, and each user block written back.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"

namespace {

TDataIO *Prepare()
{
    static TDataIO *io = nullptr;
    if (io)
        return io;
    std::filesystem::create_directories("blocks/bin");
    std::filesystem::create_directories("blocks/CFG");
    MarketInfoRecord info[2] = {};
    const char *codes[2][3] = {{"600000", "600001", "000001"}, {"000001", "000002", "IF0612"}};
    for (int m = 0; m < 2; ++m) {
        info[m].Type = uint8_t(m + 1);
        std::strcpy(info[m].Name, m ? "SZ" : "SH");
        std::strcpy(info[m].Dir, m ? "sz" : "sh");
        std::strcpy(info[m].Ext, "t");
        info[m].Capacity = 8;
        info[m].ClassCount = 2;
        std::filesystem::create_directories(std::string("blocks/data/") + info[m].Dir);
        StockStaticRecord stocks[3] = {};
        for (int i = 0; i < 3; ++i) {
            stocks[i].Market = uint8_t(m);
            stocks[i].Class = uint8_t(i % 2);
            std::strcpy(stocks[i].Code, codes[m][i]);
        }
        std::ofstream(std::string("blocks/data/") + info[m].Dir + "/nametbl.t", std::ios::binary)
            .write(reinterpret_cast<const char *>(stocks), sizeof stocks);
    }
    std::ofstream("blocks/CFG/mkinfo.cfg", std::ios::binary).write(reinterpret_cast<const char *>(info), sizeof info);
    win::SetCurrentDirectoryA("blocks/bin");
    static TUtilData util(1);
    io = new TDataIO(0);
    return io;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    std::ofstream("../CFG/blocks.ini", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    TBlockGroup blocks;
    for (int i = 0; i < blocks.BlockCount; ++i) {
        BlockRecord &b = blocks.Blocks[i];
        if (b.InUse && b.Kind == BLOCK_USER && b.MemberCount > MaxBlockMembers)
            __builtin_trap();
        if (b.InUse && b.Kind == BLOCK_USER && i % 3 == 0)
            blocks.SaveBlockToIni(&b);
    }
    return 0;
}
