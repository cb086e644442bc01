// One list window of the integrated ranking: a raw child window that paints a
// title row and ranked stocks with two values each, keeps a selected row, and
// turns clicks into selection changes and double clicks into opening a chart.
// The nine lists of a ranking share one drawing state that the view owns.
#pragma once

#include <cstdint>

#include "lumon/core/EArray.h"
#include "lumon/core/EWnd.h"
#include "lumon/core/MarketRecords.h"

class TInteSort;

// One row of a list.
struct ISCI {
    char Name[16];
    double Value1;       // the latest price
    double Value2;       // the list's own value
    uint32_t Colours;    // bits 5-7 colour Value1, bits 1-3 Value2
    uint32_t Stock;      // StockId
};
static_assert(sizeof(ISCI) == 40);

// The drawing state the view shares with its lists.
struct InteSortShared {
    win::HFONT Font = 0;
    int32_t Rows = 0;        // data rows per list
    int32_t RowHeight = 0;
    int32_t NameWidth = 0;
    win::HBITMAP Bitmap = 0; // back bitmap of the lists' painting
    uint32_t BitmapSize = 0; // width in the low, height in the high 16 bits
};

class InteSortChild : public EWnd {
public:
    InteSortChild(TInteSort *owner, const char *name, int index, InteSortShared *shared);
    ~InteSortChild() override;

    win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) override;
    // The row under a client y: 0 on the title row, the last row below the rows.
    int RowAt(int y) const;
    void Paint(win::HDC target);
    // Makes the shared bitmap at least this large; it never shrinks.
    void GrowBitmap(int width, int height);

    InteSortShared *Shared;
    EArray<ISCI> List{20};
    char Title[20] = {};
    TInteSort *Owner;
    int Index;
    int Selected = -1;
};
