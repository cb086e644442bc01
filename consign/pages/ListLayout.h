// The column order and widths of the order client's lists, kept in the
// settings file under "<name> Page" (the column shown at each position) and
// "<name> Width" (each column's width), keys "0", "1", ...
#pragma once

#include "platform/win/WinTypes.h"

namespace win {
class CListCtrl;
}

struct ListLayoutKey {
    win::LPCSTR name;
    int columns;
};

// The seven lists whose layout is kept: QOrder, QDeal, QFund, QPosition,
// QContract (query pages), PreOrder (pre-order page), Plsz (batch members).
extern const ListLayoutKey ListLayoutKeys[7];

// The most columns any of them has.
constexpr int MAX_LAYOUT_COLUMNS = 11;

// Reads a list's layout: order entries default to 0, widths to -1 (the column's
// built-in width). A stored width below -1 counts as -1. Each value is a 16-bit
// number.
void ReadListLayout(win::LPCSTR file, win::LPCSTR name, int *order, int *widths, int columns);

// Writes a column order and the columns' widths.
void WriteListLayout(win::LPCSTR file, win::LPCSTR name, const int *order, const int *widths, int columns);

// Writes the list's column order (also kept in `order`) and the widths it
// reports.
void SaveListLayout(win::LPCSTR file, win::LPCSTR name, const win::CListCtrl &list, int *order, int columns);
