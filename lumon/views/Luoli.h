// The cycle-date box the K-line chart draws over its price pane: for a bar's
// date, the calendar dates that lie √n cycle lengths later (n = 1, 2, 3, 5, 8,
// 13, 21, 34, 55; cycles "Sun", "Moon", "Mer2", "Mer1"). Pure drawing and date
// arithmetic; it keeps nothing between calls.
#pragma once

#include "platform/gdi/GdiTypes.h"

constexpr int CycleRows = 9;
constexpr int CycleColumns = 4;

// The box for `date` (yyyymmdd) with its top-left corner at (x, y), in theme
// font 10 on colour 1, framed in colour 13, with texts in colour 30; the
// rectangle it covers. A date that is no calendar date (0 or less, a month
// outside 1..12) draws nothing and gives the empty rectangle at (x, y).
win::RECT DrawCycleBox(win::HDC dc, int x, int y, double date);

// The date trunc(√multiplier[row] × length[col]) days after `date`, as
// yyyymmdd; 0 for a date that is no calendar date or a row or column outside
// the table.
int CycleDate(double date, int row, int col);

// "yy-mm-dd" of a yyyymmdd date, a day count beyond the month's end carried
// into the following months; an empty text for a date of 0 or less. `out`
// holds at least 16 bytes.
void FormatCycleDate(char *out, int date);
