// Browse lists: shared lists of stocks that the charts and the company text step
// through with PgUp and PgDn. A view attribute record carries one as a 32-bit
// handle; each holder of the handle holds a reference.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/core/MarketRecords.h"

struct TBrowseList {
    std::vector<StockId> Stocks;
    int32_t RefCount = 1;
};

// A new list with one reference; its handle.
uint32_t NewBrowseList(const StockId *stocks, int count);
// The list behind the handle, or null (0, closed or unknown handles).
TBrowseList *FindBrowseList(uint32_t handle);
void AddBrowseListRef(uint32_t handle);
// Drops a reference; the last one frees the list.
void ReleaseBrowseList(uint32_t handle);
