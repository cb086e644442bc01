// The reference lines file: up to four horizontal lines per indicator and stock,
// kept in "<data root>CFG\refline.dat" as 36-byte records in the order written,
// one record per (indicator id, market, code).
#pragma once

#include <cstdint>

#include "lumon/core/MarketRecords.h"

#pragma pack(push, 1)
struct RefLineRecord {
    uint16_t IndexId;
    uint16_t Market;         // 0..15
    char Code[12];           // NUL-terminated
    uint8_t Shown[4];        // non-zero: line 1..4 is shown
    float Level[4];          // in the indicator's value units
};
static_assert(sizeof(RefLineRecord) == 36);
#pragma pack(pop)

// True when the stock has lines for the indicator; the record is then in
// `record`.
bool FindRefLines(StockId stock, int indexId, RefLineRecord &record);
// Replaces the stock's lines for the indicator by these, at the end of the file;
// 1, or 0 when the file could not be written (the old lines then stay).
int SaveRefLines(int indexId, StockId stock, const uint8_t shown[4], const float level[4]);
// Removes the stock's lines for the indicator; 1, or 0 when the file could not
// be rewritten (nothing is lost: the records are rewritten in order and the file
// is cut only after a complete write).
int DeleteRefLines(StockId stock, int indexId);
