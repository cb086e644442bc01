// The slots of a theme and how the three previews of the settings tool map to
// them: the item texts of the colour and font slot lists, the slots a click on a
// preview selects, the slots each preview shows (so that a change repaints the
// right one) and the slots preselected when a preview tab comes up.
#pragma once

constexpr int ColourSlotCount = 64;
constexpr int FontSlotCount = 16;

// Item texts "01 指标背景" .. "64 激活行-报表"; item index = slot number - 1.
extern const char *const ColourSlotItems[ColourSlotCount];
// Item texts "01 待用" .. "16 提示行文字"; item 15 ends in a tab character.
extern const char *const FontSlotItems[FontSlotCount];

// A slot choice: colour slot 1..64, font slot 1..16 or 0 when the font choice
// stays as it is.
struct SlotChoice {
    int colour;
    int font;
    friend bool operator==(const SlotChoice &, const SlotChoice &) = default;
};

// The previews, in the order of their tabs.
enum Preview { pvNone = -1, pvChart = 0, pvReport = 1, pvNews = 2 };

// The slots selected when the preview's tab comes up.
SlotChoice PreselectedSlots(Preview preview);

// A click at (x, y) in the chart preview of w by h pixels, whose canvas font is
// h pixels high (fontHeight).
SlotChoice ChartPreviewSlot(int x, int y, int w, int h, int fontHeight);
// A click in cell (col, row) of the report preview, on the cell's text or
// elsewhere in it; the font slot is always set.
SlotChoice ReportPreviewSlot(int col, int row, bool onText);
// A click at (x, y) in the news preview.
int NewsPreviewSlot(int x, int y);

// The preview that shows a colour slot or a font slot (pvNone: none does).
Preview PreviewOfColourSlot(int slot);
Preview PreviewOfFontSlot(int slot);

// The report preview's sample: 6 columns by 8 rows, the text of a cell (empty
// where there is none) and the colour slot of that text.
constexpr int ReportCols = 6;
constexpr int ReportRows = 8;
extern const int ReportColWidths[ReportCols];
const char *ReportCellText(int col, int row);
// The background slot a cell is painted with.
int ReportCellBackground(int col, int row);
// The font slot a cell's text is drawn in.
int ReportCellFont(int col, int row);
