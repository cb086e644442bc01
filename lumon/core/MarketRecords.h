// The byte layouts of the market tables: the market description records of
// mkinfo.cfg with their class records, and the per-stock records of the name
// tables, quote snapshots and in-memory arrays; the StockId that names a stock.
#pragma once

#include <cstdint>

#pragma pack(push, 1)

// One class of instruments of a market, with up to four trading sessions in clock
// minutes (hour x 60 + minute).
struct ClassRecord {
    uint8_t IsIndex;         // non-zero for a class of indexes
    char Name[8];            // not NUL-terminated when 8 characters long
    uint8_t Unused9;
    uint8_t SessionCount;    // 0..4
    uint16_t SessionStart[4];
    uint16_t SessionEnd[4];
    uint8_t Unused27[65];
    uint16_t ElapsedMinutes; // at the market's clock, filled at run time
    uint16_t TotalMinutes;   // 1 + the sum of the sessions, filled at run time
};
static_assert(sizeof(ClassRecord) == 96);

// One record of mkinfo.cfg.
struct MarketInfoRecord {
    uint8_t Unused0;
    uint8_t Type;            // 1: amounts are turnover; 2: futures (open interest)
    char Name[15];
    char Dir[9];             // the market's folder in the data folder
    char Ext[11];            // extension of nametbl and real
    int16_t HourOffset;      // of the market's local time from UTC
    uint16_t DayStartMinute;
    uint8_t Unused41[2];
    uint16_t Capacity;       // size of the per-stock arrays
    uint16_t ClassCount;     // at most 15
    ClassRecord Classes[15];
    uint8_t Unused1487[17];
};
static_assert(sizeof(MarketInfoRecord) == 1504);

// One stock of a name table nametbl.<ext>.
struct StockStaticRecord {
    uint8_t Market;
    uint8_t Class;
    char Code[7];            // NUL-terminated when shorter
    char Name[9];
    uint32_t ScaleDivisor;   // price integer / divisor = displayed price
    uint32_t VolumeUnit;
    uint8_t Decimals;
    uint8_t Byte27;
    uint16_t Index;          // the stock's position in its market
    uint8_t Bytes30[2];
};
static_assert(sizeof(StockStaticRecord) == 32);

struct PriceVolume {
    uint32_t Price;
    float Volume;
};

// One stock's quote, in memory and in the snapshot real.<ext>.
struct RealQuoteRecord {
    uint32_t PrevClose;
    uint32_t Open;
    uint32_t High;
    uint32_t Low;
    uint32_t Last;
    float Volume;
    float Amount;            // or open interest
    float LastVolume;
    float FastChange;
    uint32_t Time;
    PriceVolume Bid[5];
    PriceVolume Ask[5];
    uint32_t Settlement;
};
static_assert(sizeof(RealQuoteRecord) == 124);

// Figures behind the derived quote fields, filled by the quote list.
struct StockAuxRecord {
    uint8_t RefFlag;
    uint8_t SideFlag;
    uint32_t Prices[5];
    float Reference;
};
static_assert(sizeof(StockAuxRecord) == 26);

// The broker-queue information of a stock, as the data server sends it.
struct StockInfoRecord {
    uint16_t Count1;
    uint16_t Count2;
    uint8_t Entries[240];
};
static_assert(sizeof(StockInfoRecord) == 244);

#pragma pack(pop)

// Market index in bits 0-7, class index in bits 8-15, stock index in bits 16-31.
using StockId = uint32_t;

inline StockId MakeStockId(int market, int cls, int index)
{
    return uint32_t(market & 0xFF) | uint32_t(cls & 0xFF) << 8 | uint32_t(index & 0xFFFF) << 16;
}
inline int StockMarket(StockId id) { return int(id & 0xFF); }
inline int StockClass(StockId id) { return int((id >> 8) & 0xFF); }
inline int StockIndex(StockId id) { return int(id >> 16); }

// The divisor of a stock's prices: a name table may carry a zero divisor, which
// is read as 1 (the stock counts in whole units) wherever prices are shown or
// compared.
inline float PriceScaleOf(const StockStaticRecord &s) { return s.ScaleDivisor ? float(s.ScaleDivisor) : 1.0f; }
// The divisor of a stock's volumes, 0 read as 1 in the same way, so that the
// charts' integer divisions by it stay defined.
inline uint32_t VolumeUnitOf(const StockStaticRecord &s) { return s.VolumeUnit ? s.VolumeUnit : 1u; }
// The decimals a stock's prices are shown with: a name table's byte above 6 is
// read as 6, which keeps every price text within its cell.
inline int DecimalsOf(const StockStaticRecord &s) { return s.Decimals > 6 ? 6 : s.Decimals; }
