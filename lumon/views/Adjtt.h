// The column editor "编辑栏目": edits the seven column tables of the quote lists
// (which quote fields, in which order, how wide, how many fixed) and their names,
// one tab sheet per table. OK keeps the changes for the run and writes the names;
// the rest reaches SETTING.INI when the frame closes.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TCSpinEdit;
class TEdit;
class TLabel;
class TListBox;
class TPageControl;
class TTabSheet;
} // namespace win

class TAdjTitle : public win::TForm {
public:
    // The working copy of one column table.
    struct Record {
        char Name[9];
        int32_t Ids[40];
        int32_t Widths[40];
        int32_t Count;
        int32_t FixedCol;
    };

    explicit TAdjTitle(win::TComponent *Owner);

    // Shows record [sheet Tag] in the controls.
    void TabSheet1Show(win::TObject *Sender);
    void ListBox1Click(win::TObject *Sender);
    // "<--": the selected unused fields become columns (at most 16).
    void Button3Click(win::TObject *Sender);
    // "-->": the selected column goes back to the unused fields (one stays).
    void Button4Click(win::TObject *Sender);
    // "↑" and "↓": the selected column changes place with its neighbour.
    void Button7Click(win::TObject *Sender);
    void Button8Click(win::TObject *Sender);
    void CSpinEdit1Change(win::TObject *Sender);
    void CSpinEdit2Change(win::TObject *Sender);
    void Edit2Change(win::TObject *Sender);
    // "确定": the names to SETTING.INI, the tables to the lists' column tables.
    void Button5Click(win::TObject *Sender);

    win::TPageControl *PageControl1;
    win::TTabSheet *TabSheets[7];
    win::TListBox *ListBox1; // 已选栏目
    win::TListBox *ListBox2; // 未选栏目
    win::TButton *Button3;   // <--
    win::TButton *Button4;   // -->
    win::TButton *Button7;   // ↑
    win::TButton *Button8;   // ↓
    win::TCSpinEdit *CSpinEdit1;
    win::TCSpinEdit *CSpinEdit2;
    win::TEdit *Edit2;
    win::TLabel *Label36;
    win::TButton *Button5; // 确定
    win::TButton *Button2; // 取消

    Record Records[7];
    Record *Current = nullptr;
    // The fields the current record does not show, as ListBox2 lists them.
    std::vector<int> Unused;

private:
    void SetCaptions();
    bool loading_ = false;
};

// The editor's long field titles, by quote field id.
extern const char QuoteFieldEditorTitles[34][16];

// Opens the column editor modally over `owner`; true when it closed with OK.
bool EditColumnTables(win::TComponent *owner);
