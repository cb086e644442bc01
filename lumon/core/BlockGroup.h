// The block table: named lists of stocks (each market's stocks, each class of a
// market, the sectors of the data's block files and the user's own lists),
// grouped for the block menus, with the writer of the user's block file.
#pragma once

#include <cstdint>

#include "lumon/core/MarketRecords.h"

#pragma pack(push, 1)
struct BlockMember {
    StockId Id;
    uint16_t Order;  // the member's position when it was added
    uint16_t Stamp;
    uint32_t Mask;
};
static_assert(sizeof(BlockMember) == 12);
#pragma pack(pop)

// Block kinds.
constexpr uint8_t BLOCK_MARKET = 0;
constexpr uint8_t BLOCK_CLASS = 1;
constexpr uint8_t BLOCK_SYSTEM = 2;
constexpr uint8_t BLOCK_USER = 4;

// Group kinds.
constexpr uint8_t GROUP_CLASSES = 0;
constexpr uint8_t GROUP_SYSTEM = 1;
constexpr uint8_t GROUP_USER = 3;

constexpr int MaxGroups = 32;
constexpr int MaxBlocks = 512;
constexpr int MaxBlockMembers = 4096;

struct BlockRecord {
    uint16_t Group;
    uint16_t Id;        // the record's slot
    uint16_t Market;    // market index of market and class blocks, group of file blocks
    uint16_t Sequence;  // market index, running class-block number, or section position
    uint8_t InUse;
    uint8_t Kind;
    char Name[17];
    uint16_t MemberCount;
    BlockMember *Members; // room for MaxBlockMembers, kept when the slot is reused
};

struct BlockGroupRecord {
    uint16_t Index;
    uint8_t Kind;
    char Name[17];
    char Path[256];
    uint16_t BlockCount;
    uint16_t Blocks[MaxBlocks];
};

// The text before the first separator and the text after it, each without
// blanks, CR and LF, cut to their buffers; false when there is no separator.
bool SplitKeyValue(const char *text, char separator, char *key, int keySize, char *value, int valueSize);

class TBlockGroup {
public:
    TBlockGroup();
    TBlockGroup(const TBlockGroup &) = delete;
    TBlockGroup &operator=(const TBlockGroup &) = delete;
    ~TBlockGroup();

    void Clear(bool freeMembers);
    void BuildClassBlocks();
    void LoadGroupList();
    void LoadUserBlocks();
    void LoadBlockFile(BlockGroupRecord &group, uint8_t kind);

    // A new user block in the first free slot (or a new one at the end), with an
    // empty member array; null when all 512 slots are in use or no memory.
    BlockRecord *NewBlock();
    BlockRecord *FindBlock(int id);
    BlockRecord *FindBlockByKey(int kind, int sequence);
    // Rewrites the block's section of ..\cfg\blocks.ini from its members; a block
    // no longer in use loses its section. 1, or 0 when the file cannot be written.
    int SaveBlockToIni(const BlockRecord *block);

    int GroupCount = 0;
    BlockGroupRecord Groups[MaxGroups];
    int BlockCount = 0; // slots in use or once used
    BlockRecord Blocks[MaxBlocks];

private:
    BlockGroupRecord *NewGroup(uint8_t kind, const char *name, const char *path);
};
