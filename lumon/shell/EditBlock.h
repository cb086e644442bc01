// The block dialog "编辑板块": lists the blocks of the block table whose kind
// lies in a range, so that the user picks one, makes a new user block, edits a
// user block's members (with the member editor TModiBk) or deletes one.
// The views' "add to a block" command uses it as a plain chooser, with "新建"
// and "编辑" hidden.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TListBox;
} // namespace win

// Kinds from this one up are the user's own blocks, which the dialog edits
// and deletes.
constexpr int FirstUserBlockKind = 3;

class TEdtBlk : public win::TForm {
public:
    // Lists the blocks whose kind lies in [minType, maxType], in table order.
    TEdtBlk(win::TComponent *Owner, int maxType, int minType);

    void Button1Click(win::TObject *Sender);   // 确定
    void Button3Click(win::TObject *Sender);   // 新建
    void Button4Click(win::TObject *Sender);   // 编辑
    void Button5Click(win::TObject *Sender);   // 删除
    void ListBox1DblClick(win::TObject *Sender);

    win::TListBox *ListBox1;
    win::TButton *Button1;  // 确定
    win::TButton *Button2;  // 取消
    win::TButton *Button3;  // 新建
    win::TButton *Button4;  // 编辑
    win::TButton *Button5;  // 删除

    int MinType;
    int MaxType;
    // The listed blocks: list row -> block id.
    int ListCount = 0;
    int ListBlocks[MaxBlocks] = {};
    // The block chosen with "确定" (block 0 until then), and whether one was.
    int ChosenBlock = 0;
    uint8_t Chosen = 0;

private:
    TBlockGroup *Table() const;
    // Lists the blocks of kinds [minType, maxType] and selects the one of
    // `select` (else the first row).
    void FillList(int minType, int maxType, int select);
    // The block of the selected row, or null.
    BlockRecord *SelectedBlock() const;
};
