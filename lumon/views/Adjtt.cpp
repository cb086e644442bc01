#include "lumon/views/Adjtt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumon/shell/MFrame.h"
#include "lumon/views/TableDefs.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TPanel.h"
#include "platform/win/Profile.h"
#include "platform/win/Sound.h"

using namespace win;

const char QuoteFieldEditorTitles[34][16] = {
    "次序",     "名称",     "昨收",     "开盘",     "最高",     "最低",     "最新",      "成交量",  "金额/持仓",
    "代码",     "涨跌",     "幅度%",    "振幅%",    "量比",     "强弱度",   "多空平衡",  "多头获利", "多头停损",
    "空头回补", "空头停损", "委比",     "快速涨跌%", "换手率%", "市盈率",   "现手",      "买入价",  "卖出价",
    "结算价",   "买入量",   "卖出量",   "持仓差",   "时间",     "买价/卖价", "买量/卖量",
};

namespace {

constexpr char kSettings[] = "..\\CFG\\SETTING.INI";

// The first `limit` bytes of a text at most, never half a double-byte character.
void CopyName(char *dest, const char *text, int limit)
{
    int n = 0;
    while (text[n] && n < limit) {
        const bool lead = static_cast<unsigned char>(text[n]) >= 0x81;
        if (lead && (n + 1 >= limit || !text[n + 1]))
            break;
        n += lead ? 2 : 1;
    }
    std::memcpy(dest, text, size_t(n));
    dest[n] = 0;
}

// Exchanges item i with item i + 1.
void SwapWithNext(TControlItems *items, int i)
{
    const AnsiString moved = items->Strings(i);
    items->Delete(i);
    items->Insert(i + 1, moved);
}

} // namespace

TAdjTitle::TAdjTitle(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "编辑栏目", 500, 366);
    PageControl1 = Place<TPageControl>(this, this, 8, 8, 484, 314);
    const char *captions[7] = {"当前抬头", "期货经典", "股票经典", "外汇经典", "自定义一", "自定义二", "自定义三"};
    for (int i = 0; i < 7; ++i) {
        TabSheets[i] = new TTabSheet(this);
        TabSheets[i]->PageControl = PageControl1;
        TabSheets[i]->Caption = captions[i];
        TabSheets[i]->Tag = i;
        TabSheets[i]->OnShow = [this](TObject *s) { TabSheet1Show(s); };
    }
    // The controls every sheet shares, over the page control's body.
    auto *body = Place<TPanel>(this, this, 14, 38, 472, 278);
    body->BevelOuter = bvNone;
    AddLabel(this, body, 6, 4, "已选栏目");
    ListBox1 = Place<TListBox>(this, body, 6, 22, 120, 196);
    ListBox1->ItemHeight = 16;
    Button3 = Place<TButton>(this, body, 136, 50, 48, 24);
    Button3->Caption = "<--";
    Button4 = Place<TButton>(this, body, 136, 84, 48, 24);
    Button4->Caption = "-->";
    Button7 = Place<TButton>(this, body, 136, 138, 48, 24);
    Button7->Caption = "↑";
    Button8 = Place<TButton>(this, body, 136, 172, 48, 24);
    Button8->Caption = "↓";
    AddLabel(this, body, 194, 4, "未选栏目");
    ListBox2 = Place<TListBox>(this, body, 194, 22, 120, 196);
    ListBox2->ItemHeight = 16;
    ListBox2->MultiSelect = true;
    AddLabel(this, body, 328, 22, "抬头名称:");
    Edit2 = Place<TEdit>(this, body, 328, 40, 130, 22);
    Edit2->MaxLength = 8;
    AddLabel(this, body, 328, 80, "固定栏目的数量:");
    CSpinEdit1 = Place<TCSpinEdit>(this, body, 328, 98, 80, 22);
    CSpinEdit1->MinValue = 0;
    CSpinEdit1->MaxValue = 5;
    CSpinEdit1->EditorEnabled = false;
    AddLabel(this, body, 6, 232, "所选栏宽度(数字位数):");
    CSpinEdit2 = Place<TCSpinEdit>(this, body, 150, 228, 80, 22);
    CSpinEdit2->MinValue = 1;
    CSpinEdit2->MaxValue = 20;
    CSpinEdit2->EditorEnabled = false;
    Label36 = AddLabel(this, body, 6, 258, "注：修改栏目请同时修改对应栏目宽度。");
    Label36->Font->Color = clRed;
    Button5 = Place<TButton>(this, this, 326, 332, 78, 26);
    Button5->Caption = "确定";
    Button5->Default = true;
    Button2 = Place<TButton>(this, this, 414, 332, 78, 26);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;

    ListBox1->OnClick = [this](TObject *s) { ListBox1Click(s); };
    ListBox1->OnDblClick = [this](TObject *s) { Button4Click(s); };
    ListBox2->OnDblClick = [this](TObject *s) { Button3Click(s); };
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };
    Button7->OnClick = [this](TObject *s) { Button7Click(s); };
    Button8->OnClick = [this](TObject *s) { Button8Click(s); };
    CSpinEdit1->OnChange = [this](TObject *s) { CSpinEdit1Change(s); };
    CSpinEdit2->OnChange = [this](TObject *s) { CSpinEdit2Change(s); };
    Edit2->OnChange = [this](TObject *s) { Edit2Change(s); };
    Button5->OnClick = [this](TObject *s) { Button5Click(s); };

    // The working copy.
    if (!TableDefs)
        ReadTableDefs(nullptr);
    std::memset(Records, 0, sizeof Records);
    for (int k = 0; k < 7; ++k) {
        Record &r = Records[k];
        ReadTableName(k + 1, r.Name);
        if (!TableDefs)
            continue;
        TableDef t = TableDefs[k];
        CheckTableDef(t);
        r.Count = t.Count;
        r.FixedCol = t.FixedCol;
        std::copy(t.Ids, t.Ids + MaxTableColumns, r.Ids);
        std::copy(t.Widths, t.Widths + MaxTableColumns, r.Widths);
    }
    SetCaptions();
    PageControl1->ActivePageIndex = 0;
    TabSheet1Show(TabSheets[0]);
}

void TAdjTitle::SetCaptions()
{
    for (int k = 0; k < 7; ++k)
        TabSheets[k]->Caption = Records[k].Name;
}

void TAdjTitle::TabSheet1Show(TObject *Sender)
{
    auto *sheet = dynamic_cast<TTabSheet *>(Sender);
    const int tag = sheet ? std::clamp(sheet->Tag, 0, 6) : 0;
    loading_ = true;
    Current = &Records[tag];
    TabSheets[tag]->Caption = Current->Name;
    Edit2->Text = Current->Name;
    CSpinEdit1->Value = Current->FixedCol;
    CSpinEdit2->Value = Current->Count > 0 ? Current->Widths[0] : 1;
    ListBox1->Items->Clear();
    for (int i = 0; i < Current->Count; ++i)
        ListBox1->Items->Add(QuoteFieldEditorTitles[Current->Ids[i]]);
    ListBox1->ItemIndex = Current->Count > 0 ? 0 : -1;
    Unused.clear();
    ListBox2->Items->Clear();
    for (int id = 0; id < QuoteFieldCount; ++id) {
        if (std::find(Current->Ids, Current->Ids + Current->Count, id) != Current->Ids + Current->Count)
            continue;
        Unused.push_back(id);
        ListBox2->Items->Add(QuoteFieldEditorTitles[id]);
    }
    ListBox2->ItemIndex = Unused.empty() ? -1 : 0;
    loading_ = false;
}

void TAdjTitle::ListBox1Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (!Current || i < 0 || i >= Current->Count)
        return;
    loading_ = true;
    CSpinEdit2->Value = Current->Widths[i];
    loading_ = false;
}

void TAdjTitle::Button3Click(TObject *)
{
    if (!Current)
        return;
    for (int i = int(Unused.size()) - 1; i >= 0; --i) {
        if (!ListBox2->GetSelected(i))
            continue;
        if (Current->Count > 15) {
            MessageBeep(0);
            break;
        }
        Current->Ids[Current->Count] = Unused[size_t(i)];
        Current->Widths[Current->Count] = 8;
        ++Current->Count;
        ListBox1->Items->Add(QuoteFieldEditorTitles[Unused[size_t(i)]]);
        Unused.erase(Unused.begin() + i);
        ListBox2->Items->Delete(i);
    }
}

void TAdjTitle::Button4Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (!Current || ListBox1->Items->Count() <= 1 || i < 0 || i >= Current->Count)
        return;
    const int id = Current->Ids[i];
    Unused.push_back(id);
    ListBox2->Items->Add(QuoteFieldEditorTitles[id]);
    std::copy(Current->Ids + i + 1, Current->Ids + Current->Count, Current->Ids + i);
    std::copy(Current->Widths + i + 1, Current->Widths + Current->Count, Current->Widths + i);
    --Current->Count;
    Current->Ids[Current->Count] = Current->Widths[Current->Count] = 0;
    ListBox1->Items->Delete(i);
    ListBox1->ItemIndex = std::min(i, Current->Count - 1);
    ListBox1Click(ListBox1);
}

void TAdjTitle::Button7Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (!Current || i <= 0 || i >= Current->Count)
        return;
    std::swap(Current->Ids[i], Current->Ids[i - 1]);
    std::swap(Current->Widths[i], Current->Widths[i - 1]);
    SwapWithNext(ListBox1->Items, i - 1);
    ListBox1->ItemIndex = i - 1;
}

void TAdjTitle::Button8Click(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (!Current || i < 0 || i >= Current->Count - 1)
        return;
    std::swap(Current->Ids[i], Current->Ids[i + 1]);
    std::swap(Current->Widths[i], Current->Widths[i + 1]);
    SwapWithNext(ListBox1->Items, i);
    ListBox1->ItemIndex = i + 1;
}

void TAdjTitle::CSpinEdit1Change(TObject *)
{
    if (!loading_ && Current)
        Current->FixedCol = CSpinEdit1->Value;
}

void TAdjTitle::CSpinEdit2Change(TObject *)
{
    const int i = ListBox1->ItemIndex;
    if (!loading_ && Current && i >= 0 && i < Current->Count)
        Current->Widths[i] = CSpinEdit2->Value;
}

void TAdjTitle::Edit2Change(TObject *)
{
    if (loading_ || !Current)
        return;
    const AnsiString text = Edit2->Text;
    CopyName(Current->Name, text.c_str(), 8);
    SetCaptions();
}

void TAdjTitle::Button5Click(TObject *)
{
    if (!TableDefs)
        ReadTableDefs(nullptr);
    for (int k = 0; k < 7; ++k) {
        const Record &r = Records[k];
        char section[16];
        std::snprintf(section, sizeof section, "TableDef%d", k + 1);
        WritePrivateProfileStringA(section, "Name", r.Name, kSettings);
        if (!TableDefs)
            continue;
        TableDef &t = TableDefs[k];
        t.Count = r.Count;
        t.FixedCol = r.FixedCol;
        std::copy(r.Ids, r.Ids + MaxTableColumns, t.Ids);
        std::copy(r.Widths, r.Widths + MaxTableColumns, t.Widths);
        CheckTableDef(t);
    }
    ModalResult = mrOk;
}

bool EditColumnTables(TComponent *owner)
{
    DialogBusy = 1;
    auto *dialog = new TAdjTitle(owner);
    const bool ok = dialog->ShowModal() == mrOk;
    delete dialog;
    DialogBusy = 0;
    return ok;
}
