// The indicator definitions of ..\CFG\INDEX.DAT and their parameter blocks of
// ..\CFG\IDXPARA.TBL, loaded once for the whole run; every indicator copies its
// own definition and block when it initialises.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
// One 232-byte record of INDEX.DAT.
struct IndexDefinition {
    uint16_t Id;
    uint16_t Attribute;      // not read by the engine
    uint16_t Kind;           // IndexKindFormula, or a built-in kind
    uint16_t LineCount;      // result lines; only the first 8 are ever used
    char Name[64];           // NUL-terminated GBK text
    char LineNames[8][8];    // NUL-terminated unless 8 bytes long
    uint8_t Unused136[64];
    char FormulaFile[32];    // relative to ..\CFG\, kind 200 only
};
static_assert(sizeof(IndexDefinition) == 232);

// One 512-byte block of IDXPARA.TBL: a set of 8 parameters per period code.
struct IndexParamBlock {
    int32_t Set[16][8];
};
static_assert(sizeof(IndexParamBlock) == 512);
#pragma pack(pop)

constexpr uint16_t IndexKindFormula = 200;
// The spread chart of two stocks, which needs no record of INDEX.DAT.
constexpr int IndexIdWrap = 601;
constexpr int MaxIndexLines = 8;

// The loaded tables: the definitions in file order and a parameter block for each.
struct IndexTable {
    int32_t Count;
    IndexDefinition *Definitions;
    IndexParamBlock *Params;
};

// Reads both files (the user name does not change what is read) and keeps the
// tables, replacing those of an earlier call; the table, or null when no
// definition was read (every look-up then fails but that of the spread chart). A
// missing or short IDXPARA.TBL gives zero parameters to the definitions it lacks.
const IndexTable *LoadIndexDefinitions(const char *user);
// The tables kept by the last load, or null.
const IndexTable *GetIndexTable();
// Frees the tables; look-ups fail afterwards.
void FreeIndexDefinitions();

// Clears `params`; fills the definition of the spread chart (601), or copies the
// first definition with this id and its parameter block. False, with an empty
// definition, when no definition has the id.
bool FindIndexDefinition(int id, IndexDefinition &definition, IndexParamBlock &params);

// The three texts of a definition that choosers show, each read within its own
// bytes of the record (name 8..19, description 20..66, hot key 67..71).
struct ChooserTexts {
    char Name[13];
    char Description[48];
    char HotKey[6];
};
ChooserTexts DefinitionTexts(const IndexDefinition &definition);
