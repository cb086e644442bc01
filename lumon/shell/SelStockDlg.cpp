#include "lumon/shell/SelStockDlg.h"

#include "lumon/core/DataIO.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/StockMatcher.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TListBox.h"

using namespace win;

TSelStockDlg *SelStockDlg = nullptr;

TSelStockDlg::TSelStockDlg(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "选择商品", 460, 330);
    ListBox2 = Place<TListBox>(this, this, 8, 8, 130, 280);
    ListBox1 = Place<TListBox>(this, this, 146, 8, 306, 280);
    Label1 = AddLabel(this, this, 8, 302, "提示: 可以使用智能键盘");
    Button1 = Place<TButton>(this, this, 290, 296, 75, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button2 = Place<TButton>(this, this, 377, 296, 75, 26);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    ListBox2->OnClick = [this](TObject *s) { ListBox2Click(s); };
    ListBox1->OnClick = [this](TObject *s) { ListBox1Click(s); };
    ListBox1->OnDblClick = [this](TObject *s) { Button1Click(s); };
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };

    // Each market's block, then every user block.
    const TBlockGroup *blocks = MainFrame() ? MainFrame()->Blocks : nullptr;
    for (uint8_t kind : {BLOCK_MARKET, BLOCK_USER})
        for (int i = 0; blocks && i < blocks->BlockCount && BlockCount < MaxBlocks; ++i) {
            const BlockRecord &b = blocks->Blocks[i];
            if (!b.InUse || b.Kind != kind || !b.Members)
                continue;
            ListedBlocks[BlockCount++] = b;
            ListBox2->Items->Add(b.Name);
        }
    SelStockDlg = this;
}

TSelStockDlg::~TSelStockDlg()
{
    if (SelStockDlg == this)
        SelStockDlg = nullptr;
}

void TSelStockDlg::ListBox2Click(TObject *)
{
    int row = ListBox2->ItemIndex;
    if (row < 0 || row >= BlockCount)
        return;
    CurrentBlock = row;
    ListBox1->Items->Clear();
    const BlockRecord &b = ListedBlocks[row];
    for (int i = 0; i < b.MemberCount; ++i) {
        const StockStaticRecord *s = TDataIO::GetStock(b.Members[i].Id);
        ListBox1->Items->Add(s ? AnsiString(std::string(s->Name, size_t(StockNameLength(*s))).c_str()) : AnsiString());
    }
    if (b.MemberCount > 0) {
        ListBox1->ItemIndex = 0;
        ListBox1Click(ListBox1);
    }
}

void TSelStockDlg::ListBox1Click(TObject *)
{
    int row = ListBox1->ItemIndex;
    if (CurrentBlock < 0 || row < 0 || row >= ListedBlocks[CurrentBlock].MemberCount)
        return;
    ChosenStock = ListedBlocks[CurrentBlock].Members[row].Id;
}

void TSelStockDlg::Button1Click(TObject *) { ModalResult = mrOk; }
