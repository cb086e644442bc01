#include "lumon/shell/ModiBk.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

bool SameNameNoCase(const char *a, const char *b)
{
    for (;; ++a, ++b) {
        char x = *a >= 'a' && *a <= 'z' ? char(*a - 32) : *a;
        char y = *b >= 'a' && *b <= 'z' ? char(*b - 32) : *b;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

AnsiString MemberText(StockId id)
{
    const StockStaticRecord *s = TDataIO::GetStock(id);
    if (!s)
        return AnsiString();
    char text[40];
    std::snprintf(text, sizeof text, "%.*s(%.*s)", StockNameLength(*s), s->Name, StockCodeLength(*s), s->Code);
    return AnsiString(text);
}

int WarningBox(const char *text, UINT buttons)
{
    return MessageBoxA(0, text, "警告", buttons | MB_ICONEXCLAMATION | MB_TOPMOST);
}

} // namespace

TModiBk::TModiBk(TComponent *Owner) : TForm(Owner)
{
    Members = static_cast<BlockMember *>(EMemAlloc(MaxBlockMembers * sizeof(BlockMember)));
    CandidateStatics = static_cast<StockStaticRecord *>(EMemAlloc(MaxBlockCandidates * sizeof(StockStaticRecord)));
    CandidateMembers = static_cast<BlockMember *>(EMemAlloc(MaxBlockCandidates * sizeof(BlockMember)));

    SetUpDialog(*this, "编辑板块股", 470, 380);
    AddLabel(this, this, 8, 12, "板块名称:");
    Edit1 = Place<TEdit>(this, this, 72, 8, 120, 22);
    Edit1->MaxLength = BlockNameLength;
    ListBox2 = Place<TListBox>(this, this, 8, 38, 184, 300);
    ComboBox1 = Place<TComboBox>(this, this, 278, 8, 184, 22);
    ComboBox1->Style = csDropDownList;
    ListBox1 = Place<TListBox>(this, this, 278, 38, 184, 270);
    ListBox1->MultiSelect = true;
    AddLabel(this, this, 278, 320, "查找:");
    Edit2 = Place<TEdit>(this, this, 314, 316, 148, 22);
    Edit2->MaxLength = 8;
    const char *captions[] = {"全选", "<--", "-->", "全清", "↑", "↓"};
    TButton **slots[] = {&Button1, &Button2, &Button3, &Button4, &Button5, &Button6};
    for (int i = 0; i < 6; ++i) {
        *slots[i] = Place<TButton>(this, this, 200, 38 + 34 * i, 70, 26);
        (*slots[i])->Caption = captions[i];
    }
    Button7 = Place<TButton>(this, this, 300, 348, 75, 26);
    Button7->Caption = "确定";
    Button8 = Place<TButton>(this, this, 387, 348, 75, 26);
    Button8->Caption = "取消";
    Button8->Cancel = true;
    Button8->ModalResult = mrCancel;

    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2->OnClick = [this](TObject *s) { Button2Click(s); };
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };
    Button5->OnClick = [this](TObject *s) { Button5Click(s); };
    Button6->OnClick = [this](TObject *s) { Button6Click(s); };
    Button7->OnClick = [this](TObject *s) { Button7Click(s); };
    ListBox1->OnDblClick = [this](TObject *s) { Button2Click(s); };
    ComboBox1->OnChange = [this](TObject *s) { ComboBox1Change(s); };
    Edit2->OnChange = [this](TObject *s) { Edit2Change(s); };
    Edit2->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { Edit2KeyDown(s, k, sh); };
    OnCreate = [this](TObject *s) { FormCreate(s); };
}

TModiBk::~TModiBk()
{
    EMemFree(Members);
    EMemFree(CandidateStatics);
    EMemFree(CandidateMembers);
}

TBlockGroup *TModiBk::Table() const { return MainFrame() ? MainFrame()->Blocks : nullptr; }

void TModiBk::SetBlock(int blockNo)
{
    MemberCount = 0;
    ListBox2->Items->Clear();
    const BlockRecord *b = blockNo >= 0 && Table() ? Table()->FindBlock(blockNo) : nullptr;
    if (!b) {
        BlockNo = -1;
        std::snprintf(Name, sizeof Name, "%s", "新板块");
        Type = BLOCK_USER;
    } else {
        BlockNo = b->Id;
        std::memset(Name, 0, sizeof Name);
        GbkCopyToField(Name, BlockNameLength, std::string_view(b->Name, strnlen(b->Name, sizeof b->Name)));
        Type = b->Kind;
        for (int i = 0; i < b->MemberCount && i < MaxBlockMembers; ++i)
            Members[MemberCount++] = b->Members[i];
        for (int i = 0; i < MemberCount; ++i)
            ShowMember(i, false);
    }
    Edit1->Text = Name;
}

void TModiBk::FormCreate(TObject *)
{
    ComboBox1->Items->Clear();
    MarketBlockCount = 0;
    const TBlockGroup *table = Table();
    for (int i = 0; table && i < table->BlockCount; ++i) {
        const BlockRecord &b = table->Blocks[i];
        if (!b.InUse || b.Kind != BLOCK_MARKET || !b.Members)
            continue;
        MarketBlocks[MarketBlockCount++] = b.Id;
        ComboBox1->Items->Add(b.Name);
    }
    if (MarketBlockCount > 0) {
        ComboBox1->ItemIndex = 0;
        ComboBox1Change(ComboBox1);
    }
}

void TModiBk::AddCandidate(const StockStaticRecord &s, const BlockMember &m)
{
    if (CandidateCount >= MaxBlockCandidates)
        return;
    CandidateStatics[CandidateCount] = s;
    CandidateMembers[CandidateCount] = m;
    ++CandidateCount;
    ListBox1->Items->Add(AnsiString(std::string(s.Name, size_t(StockNameLength(s))).c_str()));
}

void TModiBk::ComboBox1Change(TObject *)
{
    int row = ComboBox1->ItemIndex;
    MarketBlock = row >= 0 && row < MarketBlockCount ? MarketBlocks[row] : -1;
    CandidateCount = 0;
    ListBox1->Items->Clear();
    const BlockRecord *b = MarketBlock >= 0 && Table() ? Table()->FindBlock(MarketBlock) : nullptr;
    for (int i = 0; b && i < b->MemberCount && CandidateCount < MaxBlockCandidates; ++i)
        if (const StockStaticRecord *s = TDataIO::GetStock(b->Members[i].Id))
            AddCandidate(*s, b->Members[i]);
}

void TModiBk::Edit2Change(TObject *)
{
    std::string text = AnsiString(Edit2->Text).c_str();
    text.resize(GbkFitLength(text, 7));
    if (text.empty()) {
        ComboBox1Change(ComboBox1);
        return;
    }
    CandidateCount = 0;
    ListBox1->Items->Clear();
    const BlockRecord *b = MarketBlock >= 0 && Table() ? Table()->FindBlock(MarketBlock) : nullptr;
    int length = int(text.size());
    for (int i = 0; b && i < b->MemberCount && CandidateCount < MaxBlockCandidates; ++i) {
        const StockStaticRecord *s = TDataIO::GetStock(b->Members[i].Id);
        if (s && Matcher.MatchStock(*s, text.c_str(), length) != TStockMatcher::NoMatch)
            AddCandidate(*s, b->Members[i]);
    }
    if (CandidateCount == 0 && Edit2->CanFocus())
        Edit2->SetFocus();
}

void TModiBk::Edit2KeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key != VK_RETURN)
        return;
    Key = 0;
    if (CandidateCount != 1)
        return;
    AddMember(CandidateMembers[0]);
    Edit2->Text = "";
}

void TModiBk::ShowMember(int i, bool insert)
{
    AnsiString text = MemberText(Members[i].Id);
    if (insert)
        ListBox2->Items->Insert(i, text);
    else
        ListBox2->Items->Add(text);
}

bool TModiBk::AddMember(const BlockMember &member)
{
    if (MemberCount >= MaxBlockMembers)
        return false;
    for (int i = 0; i < MemberCount; ++i)
        if (StockMarket(Members[i].Id) == StockMarket(member.Id) && StockIndex(Members[i].Id) == StockIndex(member.Id))
            return false;
    Members[MemberCount] = member;
    ShowMember(MemberCount, false);
    ++MemberCount;
    return true;
}

void TModiBk::Button1Click(TObject *)
{
    for (int i = 0; i < CandidateCount; ++i)
        AddMember(CandidateMembers[i]);
}

void TModiBk::Button2Click(TObject *)
{
    for (int i = 0; i < CandidateCount; ++i)
        if (ListBox1->GetSelected(i) || (!ListBox1->MultiSelect && ListBox1->ItemIndex == i))
            AddMember(CandidateMembers[i]);
}

void TModiBk::Button3Click(TObject *)
{
    int i = ListBox2->ItemIndex;
    if (i < 0 || i >= MemberCount)
        return;
    std::memmove(&Members[i], &Members[i + 1], sizeof(BlockMember) * size_t(MemberCount - i - 1));
    --MemberCount;
    ListBox2->Items->Delete(i);
    if (MemberCount > 0)
        ListBox2->ItemIndex = i < MemberCount ? i : MemberCount - 1;
}

void TModiBk::Button4Click(TObject *)
{
    MemberCount = 0;
    ListBox2->Items->Clear();
}

void TModiBk::Button5Click(TObject *)
{
    int i = ListBox2->ItemIndex;
    if (i < 1 || i >= MemberCount)
        return;
    std::swap(Members[i], Members[i - 1]);
    ListBox2->Items->Delete(i);
    ShowMember(i - 1, true);
    ListBox2->ItemIndex = i - 1;
}

void TModiBk::Button6Click(TObject *)
{
    int i = ListBox2->ItemIndex;
    if (i < 0 || i >= MemberCount - 1)
        return;
    std::swap(Members[i], Members[i + 1]);
    ListBox2->Items->Delete(i + 1);
    ShowMember(i, true);
    ListBox2->ItemIndex = i + 1;
}

void TModiBk::Button7Click(TObject *)
{
    ModalResult = mrNone;
    if (MemberCount == 0) {
        WarningBox("请选择商品!  ", MB_OK);
        return;
    }
    std::string name = AnsiString(Edit1->Text).c_str();
    name.resize(GbkFitLength(name, BlockNameLength));
    TBlockGroup *table = Table();
    BlockRecord *edited = BlockNo >= 0 && table ? table->FindBlock(BlockNo) : nullptr;
    // A name left empty keeps the block's name (a new block takes the table's).
    if (name.empty() && edited)
        name.assign(edited->Name, strnlen(edited->Name, sizeof edited->Name));
    for (int i = 0; i < MemberCount; ++i)
        Members[i].Order = uint16_t(i);

    // Another user block of that name is replaced only on the user's Yes.
    BlockRecord *other = nullptr;
    for (int i = 0; table && !name.empty() && i < table->BlockCount; ++i) {
        BlockRecord &b = table->Blocks[i];
        if (b.InUse && b.Kind >= BLOCK_USER && &b != edited && b.Members && SameNameNoCase(b.Name, name.c_str()))
            other = &b;
    }
    if (other) {
        std::string question = "板块 " + name + " 已存在, 覆盖?  ";
        if (WarningBox(question.c_str(), MB_YESNO) != IDYES)
            return;
    }

    if (Type >= BLOCK_USER && table) {
        BlockRecord *target = other ? other : edited;
        if (!target) {
            target = table->NewBlock();
            if (!target) {
                MessageBoxA(0, "设计的板块太多!   ", "系统提示", MB_ICONEXCLAMATION | MB_TOPMOST);
                return;
            }
        } else if (!other && !SameNameNoCase(target->Name, name.c_str())) {
            // The old name's section goes; the block is written under its new one.
            BlockRecord gone = *target;
            gone.InUse = 0;
            table->SaveBlockToIni(&gone);
        }
        if (!name.empty()) {
            std::memset(target->Name, 0, sizeof target->Name);
            GbkCopyToField(target->Name, sizeof target->Name - 1, name);
        }
        std::memcpy(target->Members, Members, sizeof(BlockMember) * size_t(MemberCount));
        target->MemberCount = uint16_t(MemberCount);
        table->SaveBlockToIni(target);
        BlockNo = target->Id;
        std::memset(Name, 0, sizeof Name);
        GbkCopyToField(Name, BlockNameLength, std::string_view(target->Name, strnlen(target->Name, sizeof target->Name)));
        if (MainFrame())
            MainFrame()->BuildUserBlockMenu();
    } else {
        std::memset(Name, 0, sizeof Name);
        GbkCopyToField(Name, BlockNameLength, name);
    }
    Saved = 1;
    ModalResult = mrOk;
}
