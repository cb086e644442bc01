// The one comparison by which the order page's order list and the orders page's
// list sort on a clicked column; both share one direction.
#pragma once

#include "platform/win/WinTypes.h"

// +1 at start; each click on a column heading of either list negates it before
// the list sorts.
extern int OrderSortDirection;

// The list-view sort callback: `item1` and `item2` are the rows' data, the
// addresses of their order-query records (0 for none); `column` is the clicked
// column. With a direction of +1 numbers come largest first and texts in
// ascending byte order; -1 reverses both. Columns without a field compare equal.
int CompareOrderListItems(win::LPARAM item1, win::LPARAM item2, win::LPARAM column);
