#include "lumon/shell/SelBk.h"

#include "lumon/shell/MFrame.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TListBox.h"

using namespace win;

TSelBk::TSelBk(TComponent *Owner, int maxType, int minType, bool showEdit)
    : TForm(Owner), MinType(minType), MaxType(maxType), ShowEdit(showEdit ? 1 : 0)
{
    SetUpDialog(*this, "选择板块", 260, 300);
    ListBox1 = Place<TListBox>(this, this, 8, 8, 160, 284);
    const char *captions[] = {"确定", "取消", "编辑", "新建", "删除"};
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
    Button3->Enabled = ShowEdit != 0;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    ListBox1->OnDblClick = [this](TObject *s) { Button1Click(s); };
    for (TButton *b : {Button3, Button4, Button5})
        b->OnClick = [this](TObject *s) { Button3Click(s); };

    const TBlockGroup *blocks = MainFrame() ? MainFrame()->Blocks : nullptr;
    int preselect = 0;
    for (int i = 0; blocks && i < blocks->BlockCount && RowCount < MaxBlocks; ++i) {
        const BlockRecord &b = blocks->Blocks[i];
        if (!b.InUse || b.Kind < MinType || b.Kind > MaxType)
            continue;
        if (b.Id == 0)
            preselect = RowCount;
        RowBlocks[RowCount++] = b.Id;
        ListBox1->Items->Add(b.Name);
    }
    if (RowCount > 0)
        ListBox1->ItemIndex = preselect;
}

void TSelBk::Button1Click(TObject *)
{
    int row = ListBox1->ItemIndex;
    BlockNo = row >= 0 && row < RowCount ? RowBlocks[row] : 0;
    Chosen = 1;
    ModalResult = mrOk;
}
