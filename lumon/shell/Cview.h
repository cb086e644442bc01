// The view base: every view of a page derives from TChildView. It adds the
// shared display fonts and the services the views share: the quote field values
// of the quote columns, the row sorts of quote lists and rankings, stepping
// through a block, the colour of a change and two cell-text painters.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "lumon/shell/MVChild.h"

namespace win {
class TFont;
}

// The quote column titles, by quote field id (0..33), and their long titles.
extern const char QuoteFieldTitles[34][16];
extern const char QuoteFieldLongTitles[34][16];

class TChildView : public TMultiViewChild {
public:
    TChildView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TChildView() override;
    int Notify(int code, int a, int b, intptr_t c) override;
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    // The value of quote field `field` of the stock; 1 when one was produced.
    static int GetQuoteField(StockId id, unsigned field, double *value);
    static void SortRowsByOrder(BlockMember *rows, int count, int ascending);
    static void SortRowsByCode(BlockMember *rows, int count, int ascending);
    static void BubbleSortRowsByValue(BlockMember *rows, double *values, int count, int descending);
    static void ShellSortRowsByValue(BlockMember *rows, double *values, int count, int descending);
    static void SelectTopRowsByValue(uint32_t *ids, double *values, int count, int k, int descending);
    // The member after (before) the stock in the block, wrapping; the stock
    // itself when the block is missing, empty or does not hold it.
    static StockId NextStockInBlock(const TBlockGroup *blocks, int blockId, StockId stock);
    static StockId PrevStockInBlock(const TBlockGroup *blocks, int blockId, StockId stock);
    // The same in the frame's block table.
    static StockId NextStockInBlock(int blockId, StockId stock);
    static StockId PrevStockInBlock(int blockId, StockId stock);
    // The user picks a user block in the block chooser (a system block is
    // refused and the chooser shows again) and the stock joins it unless it is
    // there already or the block is full; every pane then hears code 10.
    static void AddStockToBlock(win::TComponent *owner, StockId stock);
    // Appends the stock to the block's members and rewrites its section of the
    // blocks file, unless a member has its market and stock index or the block
    // holds MaxAddedMembers; true when it was added.
    static bool AppendToBlock(TBlockGroup &blocks, BlockRecord &block, StockId stock);
    static constexpr int MaxAddedMembers = 2048;
    static win::COLORREF GetChangeColor(int32_t value, int32_t reference);
    static void DrawTextInRect(win::HDC dc, const win::RECT &rect, const char *text, int hMode, int vMode);
    static void DrawPairText(win::HDC dc, const win::RECT &rect, win::COLORREF first, win::COLORREF second,
                             const char *text1, const char *text2, int hMode, int vMode);

    // The 16 display fonts the views share, made from the font theme.
    static win::TFont *Fonts[16];
    // Makes the shared fonts (when missing) and sets them from the font table:
    // entries 5, 6, 9 and 10 by pixel height, the others by point size.
    static void ConfigureFonts();

    int32_t TextStep = 1;
};
