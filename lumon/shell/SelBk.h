// The block chooser "选择板块": lists the blocks of the block table whose kind
// lies in a range and gives back the one the user picks.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TListBox;
} // namespace win

class TSelBk : public win::TForm {
public:
    // Lists the blocks whose kind lies in [minType, maxType]; with showEdit the
    // button "编辑" is enabled.
    TSelBk(win::TComponent *Owner, int maxType, int minType, bool showEdit);

    // "确定" and a double click on the list: the chosen block, closes with OK.
    void Button1Click(win::TObject *Sender);
    // "编辑", "新建" and "删除" change nothing here.
    void Button3Click(win::TObject *Sender) {}

    win::TListBox *ListBox1;
    win::TButton *Button1;  // 确定
    win::TButton *Button2;  // 取消
    win::TButton *Button3;  // 编辑
    win::TButton *Button4;  // 新建
    win::TButton *Button5;  // 删除

    int MinType;
    int MaxType;
    uint8_t ShowEdit;
    uint8_t Chosen = 0;
    int BlockNo = 0;
    int RowCount = 0;
    int RowBlocks[MaxBlocks] = {};
    uint8_t Changed = 0;
};
