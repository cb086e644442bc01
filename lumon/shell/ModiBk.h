// The block editor "编辑板块股": the name and the members of a user block,
// chosen from the stocks of a market (all of them, or those a typed code, name
// or pinyin initials find), saved into the block table and ..\cfg\blocks.ini.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "lumon/shell/StockMatcher.h"
#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TComboBox;
class TEdit;
class TLabel;
class TListBox;
} // namespace win

constexpr int MaxBlockCandidates = 3072;
constexpr int BlockNameLength = 15;

class TModiBk : public win::TForm {
public:
    explicit TModiBk(win::TComponent *Owner);
    ~TModiBk() override;

    // Loads block `blockNo` of the table, or starts a new block (-1).
    void SetBlock(int blockNo);
    void FormCreate(win::TObject *Sender);
    void ComboBox1Change(win::TObject *Sender);
    void Edit2Change(win::TObject *Sender);
    void Edit2KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void Button1Click(win::TObject *Sender);  // 全选
    void Button2Click(win::TObject *Sender);  // <--
    void Button3Click(win::TObject *Sender);  // -->
    void Button4Click(win::TObject *Sender);  // 全清
    void Button5Click(win::TObject *Sender);  // ↑
    void Button6Click(win::TObject *Sender);  // ↓
    void Button7Click(win::TObject *Sender);  // 确定

    // Appends the member unless the list is full or holds the stock already;
    // true when it was added.
    bool AddMember(const BlockMember &member);

    win::TEdit *Edit1;        // the block's name
    win::TComboBox *ComboBox1;
    win::TListBox *ListBox1;  // candidates
    win::TListBox *ListBox2;  // members
    win::TEdit *Edit2;        // typed search
    win::TButton *Button1, *Button2, *Button3, *Button4, *Button5, *Button6, *Button7, *Button8;

    // The edited block's number; -1 for a new block until it is saved.
    int BlockNo = -1;
    char Name[BlockNameLength + 1] = {};
    uint8_t Type = BLOCK_USER;
    int MemberCount = 0;
    BlockMember *Members;
    // The market blocks listed in the combo box, and the one whose stocks are
    // the candidates.
    int MarketBlockCount = 0;
    int MarketBlocks[MaxBlocks] = {};
    int MarketBlock = -1;
    int CandidateCount = 0;
    StockStaticRecord *CandidateStatics;
    BlockMember *CandidateMembers;
    uint8_t Saved = 0;
    TStockMatcher Matcher;

private:
    TBlockGroup *Table() const;
    void ShowMember(int i, bool insert);
    void AddCandidate(const StockStaticRecord &s, const BlockMember &m);
};
