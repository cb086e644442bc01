#include "lumon/shell/EditBlock.h"

#include <cstring>

#include "lumon/shell/MFrame.h"
#include "lumon/shell/ModiBk.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TListBox.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Sound.h"
#include "platform/win/Messages.h"

using namespace win;

namespace {

AnsiString BlockName(const BlockRecord &b) { return AnsiString(std::string(b.Name, strnlen(b.Name, sizeof b.Name)).c_str()); }

} // namespace

TEdtBlk::TEdtBlk(TComponent *Owner, int maxType, int minType) : TForm(Owner), MinType(minType), MaxType(maxType)
{
    SetUpDialog(*this, "编辑板块", 260, 300);
    FormStyle = fsStayOnTop;
    Position = poMainFormCenter;
    ListBox1 = Place<TListBox>(this, this, 8, 8, 160, 284);
    const char *captions[] = {"确定", "取消", "新建", "编辑", "删除"};
    TButton *buttons[5];
    for (int i = 0; i < 5; ++i) {
        buttons[i] = Place<TButton>(this, this, 178, 8 + 34 * i, 74, 26);
        buttons[i]->Caption = captions[i];
    }
    Button1 = buttons[0];
    Button2 = buttons[1];
    Button3 = buttons[2];
    Button4 = buttons[3];
    Button5 = buttons[4];
    Button1->Default = true;
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };
    Button5->OnClick = [this](TObject *s) { Button5Click(s); };
    ListBox1->OnDblClick = [this](TObject *s) { ListBox1DblClick(s); };

    FillList(MinType, MaxType, ChosenBlock);
    Button4->Enabled = true;
}

TBlockGroup *TEdtBlk::Table() const { return MainFrame() ? MainFrame()->Blocks : nullptr; }

void TEdtBlk::FillList(int minType, int maxType, int select)
{
    ListBox1->Items->Clear();
    ListCount = 0;
    const TBlockGroup *table = Table();
    int row = 0;
    for (int i = 0; table && i < table->BlockCount && ListCount < MaxBlocks; ++i) {
        const BlockRecord &b = table->Blocks[i];
        if (!b.InUse || b.Kind < minType || b.Kind > maxType)
            continue;
        if (b.Id == select)
            row = ListCount;
        ListBlocks[ListCount++] = b.Id;
        ListBox1->Items->Add(BlockName(b));
    }
    ListBox1->ItemIndex = ListCount > 0 ? row : -1;
}

BlockRecord *TEdtBlk::SelectedBlock() const
{
    const int row = ListBox1->ItemIndex;
    TBlockGroup *table = Table();
    return table && row >= 0 && row < ListCount ? table->FindBlock(ListBlocks[row]) : nullptr;
}

void TEdtBlk::Button1Click(TObject *)
{
    const int row = ListBox1->ItemIndex;
    ChosenBlock = row >= 0 && row < ListCount ? ListBlocks[row] : 0;
    Chosen = 1;
    ModalResult = mrOk;
}

void TEdtBlk::Button3Click(TObject *)
{
    TBlockGroup *table = Table();
    if (!table)
        return;
    // Freed slots are reused: the table is full only when every slot holds a block.
    int used = 0;
    for (int i = 0; i < table->BlockCount; ++i)
        used += table->Blocks[i].InUse ? 1 : 0;
    if (used >= MaxBlocks) {
        MessageBoxA(Handle, "设计的板块太多!   ", "系统提示", MB_ICONEXCLAMATION | MB_TOPMOST);
        return;
    }
    // The member editor makes the block in the table and writes its section.
    TModiBk editor(this);
    editor.AfterConstruction();
    editor.SetBlock(-1);
    if (editor.ShowModal() != mrOk || !editor.Saved)
        return;
    const BlockRecord *made = table->FindBlock(editor.BlockNo);
    if (!made)
        return;
    int row = -1;
    for (int i = 0; i < ListCount; ++i)
        if (ListBlocks[i] == made->Id)
            row = i;
    if (row >= 0) {
        // The editor put the members into a listed block of the same name.
        ListBox1->Items->Delete(row);
        ListBox1->Items->Insert(row, BlockName(*made));
    } else if (ListCount < MaxBlocks) {
        row = ListCount;
        ListBlocks[ListCount++] = made->Id;
        ListBox1->Items->Add(BlockName(*made));
    }
    ListBox1->ItemIndex = row;
    Button4->Enabled = true;
}

void TEdtBlk::Button4Click(TObject *)
{
    BlockRecord *block = SelectedBlock();
    if (!block || block->Kind < FirstUserBlockKind) {
        MessageBeep(0);
        return;
    }
    const int row = ListBox1->ItemIndex;
    TModiBk editor(this);
    editor.AfterConstruction();
    editor.SetBlock(block->Id);
    if (editor.ShowModal() != mrOk || !editor.Saved)
        return;
    // A rename shows in the list; the members may have gone to another block
    // of the new name, whose row keeps its name.
    if (const BlockRecord *edited = Table() ? Table()->FindBlock(ListBlocks[row]) : nullptr) {
        ListBox1->Items->Delete(row);
        ListBox1->Items->Insert(row, BlockName(*edited));
        ListBox1->ItemIndex = row;
    }
    if (MainFrame())
        MainFrame()->NotifyViews(10, 0, 0, 0);
}

void TEdtBlk::ListBox1DblClick(TObject *Sender)
{
    // A chooser with "编辑" hidden takes the double-clicked block.
    if (Button4->Enabled && Button4->Visible)
        Button4Click(Sender);
    else
        Button1Click(Sender);
}

void TEdtBlk::Button5Click(TObject *)
{
    BlockRecord *block = SelectedBlock();
    if (!block)
        return;
    // The market, class and sector blocks belong to the data, not to the user.
    if (block->Kind < FirstUserBlockKind) {
        MessageBeep(0);
        return;
    }
    if (MessageBoxA(Handle, "您确认删除所选择的板块吗？", "提示", MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) != IDYES)
        return;
    // The slot is freed, not closed up: every other block keeps its id, which
    // the views, the pages and the quote lists' tabs hold.
    const int id = block->Id;
    block->InUse = 0;
    Table()->SaveBlockToIni(block);
    MinType = FirstUserBlockKind;
    MaxType = 5;
    FillList(MinType, MaxType, -1);
    if (TMFrame *frame = MainFrame()) {
        frame->BuildUserBlockMenu();
        SendMessageA(frame->Handle, WM_BLOCK_REMOVED, WPARAM(id), 0);
    }
}
