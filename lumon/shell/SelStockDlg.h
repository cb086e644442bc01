// The stock chooser "选择商品": a list of the market blocks and the user's
// blocks, the stocks of the chosen block, and the stock the user picks. While
// it is open the keyboard wizard can put a stock into it.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TLabel;
class TListBox;
} // namespace win

class TSelStockDlg : public win::TForm {
public:
    explicit TSelStockDlg(win::TComponent *Owner);
    ~TSelStockDlg() override;

    // A block chosen: its stocks listed, the first one chosen.
    void ListBox2Click(win::TObject *Sender);
    // A stock chosen.
    void ListBox1Click(win::TObject *Sender);
    // "确定": closes with OK.
    void Button1Click(win::TObject *Sender);

    win::TListBox *ListBox2;  // blocks
    win::TListBox *ListBox1;  // stocks of the chosen block
    win::TButton *Button1;
    win::TButton *Button2;
    win::TLabel *Label1;

    // The listed blocks: copies of their records (members shared with the table).
    int BlockCount = 0;
    BlockRecord ListedBlocks[MaxBlocks] = {};
    int CurrentBlock = -1;
    StockId ChosenStock = 0;
};

// The stock chooser that is open, or null.
extern TSelStockDlg *SelStockDlg;
