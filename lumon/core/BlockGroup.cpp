#include "lumon/core/BlockGroup.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/UtilData.h"
#include "platform/win/Path.h"
#include "platform/win/Profile.h"
#include "platform/win/TStringList.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

constexpr const char *UserBlockFile = "..\\cfg\\blocks.ini";

// The strings of a NUL-separated list as the profile calls return it.
std::vector<std::string> ListStrings(const char *buffer, DWORD length)
{
    std::vector<std::string> out;
    const char *p = buffer;
    const char *end = buffer + length;
    while (p < end && *p) {
        size_t n = strnlen(p, size_t(end - p));
        out.emplace_back(p, n);
        p += n + 1;
    }
    return out;
}

void CopyName(char *field, size_t size, const char *text, size_t length)
{
    std::memset(field, 0, size);
    GbkCopyToField(field, size - 1, std::string_view(text, strnlen(text, length)));
}

} // namespace

bool SplitKeyValue(const char *text, char separator, char *key, int keySize, char *value, int valueSize)
{
    const char *sep = std::strchr(text, separator);
    auto copy = [](const char *from, const char *to, char *out, int size) {
        std::string kept;
        for (const char *p = from; p < to; ++p)
            if (*p != ' ' && *p != '\r' && *p != '\n')
                kept += *p;
        if (size <= 0)
            return;
        size_t n = GbkFitLength(kept, size_t(size - 1));
        std::memcpy(out, kept.data(), n);
        out[n] = 0;
    };
    if (!sep) {
        copy(text, text + std::strlen(text), key, keySize);
        if (valueSize > 0)
            value[0] = 0;
        return false;
    }
    copy(text, sep, key, keySize);
    copy(sep + 1, sep + 1 + std::strlen(sep + 1), value, valueSize);
    return true;
}

TBlockGroup::TBlockGroup()
{
    std::memset(Groups, 0, sizeof Groups);
    std::memset(static_cast<void *>(Blocks), 0, sizeof Blocks);
    Clear(false);
    BuildClassBlocks();
    LoadGroupList();
    LoadUserBlocks();
}

TBlockGroup::~TBlockGroup()
{
    Clear(true);
}

void TBlockGroup::Clear(bool freeMembers)
{
    if (freeMembers)
        for (BlockRecord &b : Blocks)
            EMemFree(b.Members);
    std::memset(Groups, 0, sizeof Groups);
    std::memset(static_cast<void *>(Blocks), 0, sizeof Blocks);
    GroupCount = 0;
    BlockCount = 0;
}

BlockRecord *TBlockGroup::NewBlock()
{
    int slot = 0;
    while (slot < BlockCount && Blocks[slot].InUse)
        ++slot;
    if (slot >= MaxBlocks)
        return nullptr;
    BlockRecord &b = Blocks[slot];
    if (!b.Members) {
        b.Members = static_cast<BlockMember *>(EMemAlloc(MaxBlockMembers * sizeof(BlockMember)));
        if (!b.Members)
            return nullptr;
    }
    // A block's id is always its slot, whether the slot is new or reused.
    b.Id = uint16_t(slot);
    b.Group = 0;
    b.Market = 0;
    b.Sequence = 0;
    b.InUse = 1;
    b.Kind = BLOCK_USER;
    std::snprintf(b.Name, sizeof b.Name, "板块%02d", slot);
    b.MemberCount = 0;
    if (slot >= BlockCount)
        BlockCount = slot + 1;
    return &b;
}

BlockRecord *TBlockGroup::FindBlock(int id)
{
    for (int i = 0; i < BlockCount; ++i)
        if (Blocks[i].InUse && Blocks[i].Id == id && Blocks[i].Members)
            return &Blocks[i];
    return nullptr;
}

BlockRecord *TBlockGroup::FindBlockByKey(int kind, int sequence)
{
    for (int i = 0; i < BlockCount; ++i)
        if (Blocks[i].InUse && Blocks[i].Kind == kind && Blocks[i].Sequence == sequence)
            return &Blocks[i];
    return nullptr;
}

BlockGroupRecord *TBlockGroup::NewGroup(uint8_t kind, const char *name, const char *path)
{
    if (GroupCount >= MaxGroups)
        return nullptr;
    BlockGroupRecord &g = Groups[GroupCount];
    std::memset(&g, 0, sizeof g);
    g.Index = uint16_t(GroupCount);
    g.Kind = kind;
    CopyName(g.Name, sizeof g.Name, name, 256);
    CopyName(g.Path, sizeof g.Path, path, 1024);
    ++GroupCount;
    return &g;
}

void TBlockGroup::BuildClassBlocks()
{
    BlockGroupRecord *group = NewGroup(GROUP_CLASSES, "分类股板块", "");
    if (!group)
        return;
    auto add = [&](BlockRecord *b) { group->Blocks[group->BlockCount++] = b->Id; };
    int markets = MarketTable.Count < MaxMarkets ? MarketTable.Count : MaxMarkets;
    for (int m = 0; m < markets; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        BlockRecord *b = NewBlock();
        if (!b)
            return;
        b->Group = group->Index;
        b->Kind = BLOCK_MARKET;
        b->Market = b->Sequence = uint16_t(m);
        CopyName(b->Name, sizeof b->Name, md ? md->Info.Name : "", sizeof md->Info.Name);
        int n = md && md->Statics ? md->StockCount : 0;
        for (int i = 0; i < n && b->MemberCount < MaxBlockMembers; ++i) {
            BlockMember &member = b->Members[b->MemberCount];
            member = BlockMember{MakeStockId(m, md->Statics[i].Class, i), b->MemberCount, 0, 0};
            ++b->MemberCount;
        }
        add(b);
    }
    int sequence = 0;
    for (int m = 0; m < markets; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        if (!md)
            continue;
        for (int c = 0; c < md->Info.ClassCount; ++c) {
            BlockRecord *b = NewBlock();
            if (!b)
                return;
            b->Group = group->Index;
            b->Kind = BLOCK_CLASS;
            b->Market = uint16_t(m);
            b->Sequence = uint16_t(sequence++);
            CopyName(b->Name, sizeof b->Name, md->Info.Classes[c].Name, sizeof md->Info.Classes[c].Name);
            int n = md->Statics ? md->StockCount : 0;
            for (int i = 0; i < n && b->MemberCount < MaxBlockMembers; ++i) {
                if (md->Statics[i].Class != c)
                    continue;
                b->Members[b->MemberCount] = BlockMember{MakeStockId(m, c, i), b->MemberCount, 0, 0};
                ++b->MemberCount;
            }
            add(b);
        }
    }
}

void TBlockGroup::LoadGroupList()
{
    char list[600], path[1024];
    std::snprintf(list, sizeof list, "%scfg\\blkinfo.ini", DataRoot);
    std::vector<char> buffer(8192);
    DWORD n = GetPrivateProfileSectionA("Groups", buffer.data(), DWORD(buffer.size()), list);
    for (const std::string &line : ListStrings(buffer.data(), n)) {
        if (GroupCount >= MaxGroups)
            break;
        char name[256], file[256];
        if (!SplitKeyValue(line.c_str(), '=', name, sizeof name, file, sizeof file))
            continue;
        std::snprintf(path, sizeof path, "%scfg\\%s", DataRoot, file);
        if (BlockGroupRecord *g = NewGroup(GROUP_SYSTEM, name, path))
            LoadBlockFile(*g, BLOCK_SYSTEM);
    }
}

void TBlockGroup::LoadUserBlocks()
{
    char path[1024];
    std::snprintf(path, sizeof path, "%sblocks.ini", CfgDir);
    if (BlockGroupRecord *g = NewGroup(GROUP_USER, "用户板块", path))
        LoadBlockFile(*g, BLOCK_USER);
    char list[600], system[600];
    std::snprintf(list, sizeof list, "%sblkinfo.ini", CfgDir);
    // Where the data root is the installation root, the user's list and the
    // system's are one file, whose groups are already loaded as system groups.
    std::snprintf(system, sizeof system, "%scfg\\blkinfo.ini", DataRoot);
    std::string native = MapPath(list);
    if (!native.empty() && native == MapPath(system))
        return;
    std::vector<char> buffer(8192);
    DWORD n = GetPrivateProfileSectionA("Groups", buffer.data(), DWORD(buffer.size()), list);
    for (const std::string &line : ListStrings(buffer.data(), n)) {
        if (GroupCount >= MaxGroups)
            break;
        char name[256], file[256];
        if (!SplitKeyValue(line.c_str(), '=', name, sizeof name, file, sizeof file))
            continue;
        std::snprintf(path, sizeof path, "%s%s", CfgDir, file);
        if (BlockGroupRecord *g = NewGroup(GROUP_USER, name, path))
            LoadBlockFile(*g, BLOCK_USER);
    }
}

void TBlockGroup::LoadBlockFile(BlockGroupRecord &group, uint8_t kind)
{
    std::vector<char> names(4096);
    DWORD n = GetPrivateProfileSectionNamesA(names.data(), DWORD(names.size()), group.Path);
    std::vector<char> lines(16384);
    int position = 0;
    for (const std::string &section : ListStrings(names.data(), n)) {
        int sequence = position++;
        BlockRecord *b = NewBlock();
        if (!b)
            return;
        b->Group = group.Index;
        b->Market = group.Index;
        b->Sequence = uint16_t(sequence);
        b->Kind = kind;
        CopyName(b->Name, sizeof b->Name, section.c_str(), section.size());
        DWORD length = GetPrivateProfileSectionA(section.c_str(), lines.data(), DWORD(lines.size()), group.Path);
        for (const std::string &line : ListStrings(lines.data(), length)) {
            if (b->MemberCount >= MaxBlockMembers)
                break;
            // "<market digit><class digit><code>": the class is found again.
            if (line.size() < 3 || line[0] < '0' || line[0] > '9')
                continue;
            int market = line[0] - '0';
            uint8_t m, c;
            uint16_t index;
            if (!TDataIO::FindStockPos(line.c_str() + 2, market, m, c, index, false))
                continue;
            b->Members[b->MemberCount] = BlockMember{MakeStockId(m, c, index), b->MemberCount, 0, 0};
            ++b->MemberCount;
        }
        if (group.BlockCount < MaxBlocks)
            group.Blocks[group.BlockCount++] = b->Id;
    }
}

int TBlockGroup::SaveBlockToIni(const BlockRecord *block)
{
    if (!block)
        return 0;
    TStringList list;
    list.LoadFromFile(UserBlockFile);
    std::string name(block->Name, strnlen(block->Name, sizeof block->Name));
    int header = list.IndexOf(AnsiString(("[" + name + "]").c_str()));
    int at;
    if (header >= 0) {
        at = header + 1;
        while (at < list.Count()) {
            const AnsiString &line = list.Strings(at);
            if (line.Pos("[") > 0 && line.Pos("]") > 0)
                break;
            list.Delete(at);
        }
        at = header + 1;
        if (!block->InUse) {
            list.Delete(header);
            return list.SaveToFile(UserBlockFile) ? 1 : 0;
        }
    } else {
        if (!block->InUse)
            return 1;
        at = list.Add(AnsiString(("[" + name + "]").c_str())) + 1;
    }
    for (int i = block->Members ? block->MemberCount - 1 : -1; i >= 0; --i) {
        StockId id = block->Members[i].Id;
        const StockStaticRecord *s = TDataIO::GetStock(id);
        // The reader takes the market from one digit and the code from the third
        // character; a member that cannot be written so is left out.
        if (!s || StockMarket(id) > 9)
            continue;
        int cls = StockClass(id) > 9 ? 9 : StockClass(id);
        char line[32];
        std::snprintf(line, sizeof line, "%d%d%.*s", StockMarket(id), cls, int(strnlen(s->Code, sizeof s->Code)),
                      s->Code);
        list.Insert(at, AnsiString(line));
    }
    return list.SaveToFile(UserBlockFile) ? 1 : 0;
}
