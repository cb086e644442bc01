// The keyboard wizard "智能键盘": the user types a few characters anywhere in
// the terminal and picks a command, a stock, an indicator or a page from the
// list of what the text finds. The main frame shows it modally and acts on the
// choice it leaves behind.
#pragma once

#include <cstdint>

#include "lumon/core/MarketRecords.h"
#include "lumon/shell/StockMatcher.h"
#include "lumon/shell/ViewAttr.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TForm.h"

namespace win {
class TEdit;
} // namespace win

class TBlockGroup;

#pragma pack(push, 1)
// One entry of the command table: its code, what the list shows, and its value.
struct SmartCommand {
    char Code[10];
    char Description[22];
    int32_t Value;
};
#pragma pack(pop)
static_assert(sizeof(SmartCommand) == 36);

constexpr int SmartCommandCount = 32;
extern const SmartCommand SmartCommands[SmartCommandCount];

// Kinds of result rows.
constexpr uint16_t SMART_COMMAND = 0;
constexpr uint16_t SMART_STOCK = 1;
constexpr uint16_t SMART_INDICATOR = 2;
constexpr uint16_t SMART_PAGE = 3;

// Actions of a choice.
constexpr uint8_t SMART_KEY = 0;
constexpr uint8_t SMART_SHOW_STOCK = 1;  // a stock or an indicator
constexpr uint8_t SMART_OPEN_VIEW = 2;
constexpr uint8_t SMART_OPEN_PAGE = 3;

constexpr int MaxSmartResults = 1024;
constexpr int MaxSmartStocks = 512;
// The edit box takes 8 characters; the search looks at the first 7.
constexpr int SmartEditLength = 8;
constexpr int SmartSearchLength = 7;

struct SmartResult {
    uint16_t Kind;
    uint16_t Index;
};

class TSmartKB : public win::TForm {
public:
    explicit TSmartKB(win::TComponent *Owner);

    // 1 when the text found anything.
    int Search(const char *text);
    // 1 when at least one stock matched.
    int MatchStocks(const char *text);
    // 1 when the text (of `length` characters) matches the name's initials.
    int MatchPinyin(const char *name, const char *text, int length);

    void Edit1Change(win::TObject *Sender);
    void Edit1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void DrawGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect,
                           win::TGridDrawState State);
    void DrawGrid1KeyPress(win::TObject *Sender, char &Key);
    void DrawGrid1DblClick(win::TObject *Sender);

    // The two texts of a result row, as the list shows them.
    void RowTexts(int row, char *code, int codeSize, char *text, int textSize) const;
    // The block table searched: the one given, else the frame's.
    const TBlockGroup *BlockTable() const;

    win::TEdit *Edit1;
    win::TDrawGrid *DrawGrid1;

    // The block table to search instead of the frame's (benchmarks and tests).
    const TBlockGroup *Blocks = nullptr;
    TStockMatcher Matcher;

    int ResultCount = 0;
    SmartResult Results[MaxSmartResults] = {};
    int StockCount = 0;
    StockStaticRecord Stocks[MaxSmartStocks] = {};

    // The choice: OK after Enter on a row, 0 after Esc.
    uint8_t OK = 0;
    uint8_t Action = 0;
    uint16_t Kind = 0;
    int32_t KeyCode = 0;
    int32_t PageIndex = 0;
    // Filled for the stock, indicator and view choices; the frame puts the
    // active pane's view type here before it shows the wizard.
    VIEW_ATTR Attr{};

private:
    void Choose(int row);
    // The block number of a quote-list or ranking command.
    int ClassBlockOf(const SmartCommand &command) const;
};
