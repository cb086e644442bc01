// The indicator factory: turns an indicator id into an object of its class, a
// formula indicator for definitions of the formula kind, else the built-in class
// that the catalogue in IndexFactory.cpp lists for the id.
#pragma once

#include "lumon/core/MarketRecords.h"

class TIndex;

// Makes the indicator of `id` for the stock (the spread chart also takes
// `stock2`) and, when that succeeded, destroys what the slot held and stores the
// new one; true then. An id without a definition or without a class, or a failed
// construction, returns false and leaves the slot as it was.
bool CreateIndex(TIndex *&slot, int id, StockId stock, StockId stock2);

// Whether the catalogue has a class for the id (formula indicators aside).
bool HasIndexClass(int id);
