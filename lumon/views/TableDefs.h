// The quote lists' seven column tables: which quote fields a list shows, in
// which order and how wide (in digit widths), read from "..\CFG\SETTING.INI"
// sections "TableDef1".."TableDef7" by the first list and written back when the
// frame closes. Every value read is checked, so that a table always holds 1..16
// known fields.
#pragma once

#include <cstdint>

struct VIEW_STATE;

struct TableDef {
    int32_t Count;
    int32_t Ids[16];
    int32_t Widths[16];
    int32_t SortField;
    int32_t FixedCol;
};

constexpr int TableDefCount = 7;
constexpr int MaxTableColumns = 16;
constexpr int QuoteFieldCount = 34;

// The process-wide set, null until read.
extern TableDef *TableDefs;

// Reads the seven tables when not yet read. A "Count" below 1 takes the columns
// of `state` (8 digits wide each); ids outside 0..33 are dropped, widths are kept
// within 1..80, "FixedCol" below the count, slots past the count zero.
void ReadTableDefs(const VIEW_STATE *state);
// Writes "Count", "FixedCol", "Id" and "ColWidth" of every table ("Name" is the
// column editor's).
void WriteTableDefs();
// The table's "Name" (at most 8 bytes), "未命名" when missing.
void ReadTableName(int k, char name[9]);
// Keeps a table within its bounds (the checks of ReadTableDefs).
void CheckTableDef(TableDef &table);
