// The indicator chooser "选择指标": the loaded indicator definitions listed by
// category (a fixed tree on the left, a report list of name, description and
// hot key on the right); the K-line chart reads the chosen indicator's id after
// the dialog closes. 变更参数 opens the parameter dialog for the highlighted row.
#pragma once

#include <cstdint>

#include "lumon/formula/IndexDefs.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TListView.h"
#include "platform/forms/TSplitter.h"
#include "platform/forms/TTreeView.h"

// The most rows the list maps to definitions.
constexpr int MaxChooserRows = 2048;
// The tree's nodes by absolute index: 0 every built-in category, 1..10 the
// categories 0..9, 11 formula indicators, 12 frequently used ones.
constexpr int ChooserNodes = 13;

// Whether the tree's node of that absolute index lists the definition.
bool NodeListsDefinition(int node, const IndexDefinition &definition);

class TSelIdxDlg : public win::TForm {
public:
    explicit TSelIdxDlg(win::TComponent *Owner);

    void FormCreate(win::TObject *Sender);
    void TreeView1Change(win::TObject *Sender, win::TTreeNode *Node);
    void Button1Click(win::TObject *Sender);
    void Button3Click(win::TObject *Sender);
    void Button4Click(win::TObject *Sender);
    void TreeView1KeyPress(win::TObject *Sender, char &Key);

    win::TTreeView *TreeView1;
    win::TSplitter *Splitter1;
    win::TListView *ListView1;
    win::TButton *Button1;   // 确定
    win::TButton *Button2;   // 取消
    win::TButton *Button3;   // 变更参数
    win::TButton *Button4;   // 注册/删除自定指标

    const IndexTable *Table;
    int32_t RowMap[MaxChooserRows] = {};
    int32_t RowCount = 0;
    uint8_t Chosen = 0;
    uint16_t ChosenId = 0;

private:
    // The definition of the highlighted row, or null.
    const IndexDefinition *SelectedDefinition();
};
