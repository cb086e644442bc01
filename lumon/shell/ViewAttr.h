// What a pane shows and how: the 160-byte view attributes kept by every pane, in
// page files and in a pane's history, with the defaults of each view type; and
// the 200-byte view state that a layout cell keeps for the views it holds.
#pragma once

#include <cstddef>
#include <cstdint>

// View types.
constexpr uint16_t VIEW_EMPTY = 0;
constexpr uint16_t VIEW_TREND = 0x1001;    // intraday and tick chart
constexpr uint16_t VIEW_KLINE = 0x1002;    // K-line chart
constexpr uint16_t VIEW_RANKING = 0x2000;  // integrated ranking
constexpr uint16_t VIEW_REPORT = 0x2001;   // quote list
constexpr uint16_t VIEW_NEWS = 0x2003;
constexpr uint16_t VIEW_TEXT = 0x2004;     // company text
constexpr uint16_t VIEW_NOTES = 0x2005;

// The intraday chart's mode bit of Flags: set while it shows the minute trend,
// clear for the tick chart (the mode a new chart comes up in).
constexpr uint32_t VIEW_FLAG_TREND = 0x80000000u;

#pragma pack(push, 1)
struct VIEW_ATTR {
    uint16_t ViewType;
    uint32_t Stock;      // StockId
    uint16_t Unused6;
    int32_t BlockId;     // the value passed along with the stock
    int32_t Param;       // K-line: period code; quote list: fixed columns
    int32_t ItemCount;
    int32_t Items[16];   // quote list: column ids; charts: sub-pane entries
    int32_t Mode;        // intraday 1, K-line 2; quote list: sort field
    int32_t BlockCount;
    int32_t Blocks[16];  // the charts and the company text keep run-time values here
    uint32_t Flags;      // bits 12-27 a 16-bit field, bits 28-31 view flags
};
#pragma pack(pop)
static_assert(sizeof(VIEW_ATTR) == 160);
static_assert(offsetof(VIEW_ATTR, Stock) == 2 && offsetof(VIEW_ATTR, BlockId) == 8);
static_assert(offsetof(VIEW_ATTR, Items) == 20 && offsetof(VIEW_ATTR, Mode) == 84);
static_assert(offsetof(VIEW_ATTR, Blocks) == 92 && offsetof(VIEW_ATTR, Flags) == 156);

// Bytes 92-155 of a chart's or company text's attributes: its run-time area.
constexpr size_t VIEW_RUNTIME_OFFSET = 92;
constexpr size_t VIEW_RUNTIME_SIZE = 64;
// The browse list's position (offset 148) and its handle (offset 152) there.
inline int32_t &BrowseIndex(VIEW_ATTR &a) { return a.Blocks[14]; }
inline uint32_t BrowseListHandle(const VIEW_ATTR &a) { return static_cast<uint32_t>(a.Blocks[15]); }
inline void SetBrowseListHandle(VIEW_ATTR &a, uint32_t h) { a.Blocks[15] = static_cast<int32_t>(h); }
// True for the types whose bytes 92-155 are the run-time area.
inline bool HasRuntimeArea(uint16_t type) { return type == VIEW_TREND || type == VIEW_KLINE || type == VIEW_TEXT; }

// The 200-byte view state of a layout cell. The shell writes byte 196 (the link
// flag); the other bytes are written and read by the views themselves.
#pragma pack(push, 1)
struct VIEW_STATE {
    int32_t BlockCount;
    int32_t Blocks[16];
    int32_t CurrentBlock;
    int32_t ColumnCount;
    int32_t Columns[16];
    int32_t SortField;
    int32_t FixedColumns;
    int32_t TrendCount;
    int32_t TrendItems[4];
    int32_t KLineCount;
    int32_t KLineItems[6];
    uint8_t Link;        // the pane follows the stock chosen elsewhere
    uint8_t InfoWindow;  // the charts' info window: 1 shown
    uint8_t Unused198[2];
};
#pragma pack(pop)
static_assert(sizeof(VIEW_STATE) == 200);
static_assert(offsetof(VIEW_STATE, CurrentBlock) == 68 && offsetof(VIEW_STATE, ColumnCount) == 72);
static_assert(offsetof(VIEW_STATE, SortField) == 140 && offsetof(VIEW_STATE, TrendCount) == 148);
static_assert(offsetof(VIEW_STATE, KLineCount) == 168 && offsetof(VIEW_STATE, Link) == 196);

// Fills `attr` with the defaults of the view type: 1 for a known type, else 0
// with the record cleared but for its type.
int InitViewAttr(uint16_t viewType, VIEW_ATTR *attr);
// The quote list's default block tabs from "..\CFG\SETTING.INI" [PARAMETER]
// SysBlocks: numbers of two digits separated by single blanks, at most 16.
int ReadSysBlocks(int32_t *blocks, int capacity);
// The view state of a fresh cell, from the defaults of the quote list and the
// two charts.
void InitViewState(VIEW_STATE *state);
