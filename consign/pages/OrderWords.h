// The words every order list of the client shows for an order's status letter,
// direction, open/close and hedge, from an order record's flag byte or from the
// letters of an order-query record.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

// "买", or the full-width blank (A3 A0) and "卖" so that sells stand one wide
// character to the right.
const char *DirectionWord(win::BYTE flags);
// "开仓" (bit 1), else "平今" (bit 3), else "平仓".
const char *OpenCloseWord(win::BYTE flags);
// "保值" (bit 2), else "投机".
const char *HedgeWord(win::BYTE flags);

// The status text of a letter; 'd' reads "部成部撤" when some but not all of the
// order was dealt. Letters without a text give "".
const char *StatusWord(char status, uint32_t dealt, uint32_t volume);
// The direction of an order-query record's letter ('0' buy, '1' sell), else "".
const char *DirectionLetterWord(char direction);
// The open/close of an order-query record: '0' "开仓", else "平今" when its
// close-today byte is '1', else '1' "平仓" and '3' "平今", else "".
const char *OpenCloseLetterWord(char openClose, char closeToday);
