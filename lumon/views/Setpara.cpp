#include "lumon/views/Setpara.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "lumon/core/FlatFile.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TScrIndex.h"
#include "platform/forms/FormBuilding.h"
#include "platform/win/Profile.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

const char *const ParamIni = "..\\cfg\\IdxPara.ini";
const char *const ParamTableFile = "..\\CFG\\IDXPARA.TBL";
const char *const PeriodNames[ParamPeriods] = {"即时", "1分", "3分", "任意分", "5分", "15分", "30分",
                                               "60分", "日线", "周线", "月线", "季线", "任意天"};
// The widest number an edit takes, as the dialog reads it.
constexpr int MaxNumberLength = 11;

// atol over at most `limit` characters, saturated to the 32-bit range.
int32_t ReadLong(std::string_view text, size_t limit)
{
    text = text.substr(0, limit);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL << 32)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int32_t(value);
}

} // namespace

int32_t ReadEditNumber(const char *text)
{
    return text ? ReadLong(text, MaxNumberLength) : 0;
}

ParamLabel ParseParamLabel(const char *text)
{
    ParamLabel out{};
    out.InputLength = 4;
    std::string_view value = text ? text : "";
    size_t last = value.rfind(',');
    size_t middle = last == std::string_view::npos || last == 0 ? std::string_view::npos : value.rfind(',', last - 1);
    std::string_view label = value;
    if (middle != std::string_view::npos) {
        label = value.substr(0, middle);
        std::string_view length = value.substr(middle + 1, last - middle - 1);
        std::string_view def = value.substr(last + 1);
        // Numbers far longer than any int are read by their first characters.
        out.InputLength = ReadLong(length, 32);
        out.Default = ReadLong(def, 32);
    }
    while (!label.empty() && (label.back() == ' ' || label.back() == '\t'))
        label.remove_suffix(1);
    GbkCopyToField(out.Label, sizeof out.Label - 1, label);
    return out;
}

TModiPara::TModiPara(TComponent *Owner, TIndex *indicator, int period, int indexId)
    : TForm(Owner), Table(GetIndexTable()), IndexId(indexId), Period(period), Indicator(indicator)
{
    SetUpDialog(*this, "修改参数", 300, 318);
    Font->Name = "Tahoma";
    FontChanged();
    ScrollBox1 = Place<TScrollBox>(this, this, 8, 8, 284, 236);
    for (int i = 0; i < ParamRows; ++i) {
        auto *label = new TLabel(this);
        label->Parent = ScrollBox1;
        label->AutoSize = false;
        label->SetBounds(8, 12 + 28 * i, 168, 16);
        Labels[i] = label;
        TEdit *edit = Place<TEdit>(this, ScrollBox1, 184, 8 + 28 * i, 80, 21);
        edit->Tag = i;
        edit->OnChange = [this](TObject *s) { Edit1Change(s); };
        Edits[i] = edit;
    }
    ComboBox1 = Place<TComboBox>(this, this, 8, 254, 100, 21);
    ComboBox1->Style = csDropDownList;
    ComboBox1->DropDownCount = ParamPeriods;
    for (const char *name : PeriodNames)
        ComboBox1->Items->Add(name);
    // The chart edits the period it shows; the chooser opens the list.
    ComboBox1->Enabled = false;
    ComboBox1->OnChange = [this](TObject *s) { ComboBox1Change(s); };
    Button1 = Place<TButton>(this, this, 56, 286, 75, 25);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = Place<TButton>(this, this, 137, 286, 75, 25);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button3 = Place<TButton>(this, this, 218, 286, 75, 25);
    Button3->Caption = "缺省值";
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };

    // A period outside the list reads the set of period 0.
    if (Period < 0 || Period >= ParamPeriods)
        Period = 0;
    if (Table) {
        for (int i = 0; i < Table->Count; ++i) {
            const IndexDefinition &d = Table->Definitions[i];
            if (d.Id != IndexId)
                continue;
            char name[sizeof d.Name + 1] = {};
            std::memcpy(name, d.Name, strnlen(d.Name, 12));
            Caption = AnsiString(Caption) + "-" + name;
            DefIndex = i;
            LoadValues();
            IsFormula = d.Kind == IndexKindFormula;
            break;
        }
    }
    if (IsFormula)
        LoadFormulaRows();
    else
        LoadBuiltinRows();
    ComboBox1->ItemIndex = Period;
    if (ParamCount < 1) {
        Labels[0]->Caption = "不需设定参数";
        Labels[0]->Visible = true;
    }
}

void TModiPara::LoadFormulaRows()
{
    auto *formula = dynamic_cast<TScrIndex *>(Indicator);
    ParamCount = formula ? formula->ParamCount : 0;
    if (ParamCount < 0)
        ParamCount = 0;
    if (ParamCount > ParamRows)
        ParamCount = ParamRows;
    for (int i = 0; i < ParamRows; ++i) {
        bool shown = i < ParamCount;
        Labels[i]->Visible = shown;
        Edits[i]->Visible = shown;
        if (!shown)
            continue;
        const FormulaParamValue &p = formula->Descriptors[i];
        char label[96];
        std::snprintf(label, sizeof label, "参数%d(%.0f--%.0f)", i + 1, double(p.Min), double(p.Max));
        Labels[i]->Caption = label;
        Values[i] = Defaults[i] = TruncToInt(p.Value);
        Edits[i]->MaxLength = 4;
    }
    ShowValues();
}

void TModiPara::LoadBuiltinRows()
{
    char section[32];
    std::snprintf(section, sizeof section, "Index#%d", IndexId);
    char count[32];
    GetPrivateProfileStringA(section, "ParaNum", "0", count, sizeof count, ParamIni);
    ParamCount = ReadEditNumber(count);
    if (ParamCount < 0)
        ParamCount = 0;
    if (ParamCount > ParamRows)
        ParamCount = ParamRows;
    for (int i = 0; i < ParamRows; ++i) {
        char key[16], fallback[32], value[1024];
        std::snprintf(key, sizeof key, "Para%d", i + 1);
        std::snprintf(fallback, sizeof fallback, "参数%d,4,0", i + 1);
        GetPrivateProfileStringA(section, key, fallback, value, sizeof value, ParamIni);
        ParamLabel p = ParseParamLabel(value);
        Defaults[i] = p.Default;
        bool shown = i < ParamCount;
        Labels[i]->Visible = shown;
        Edits[i]->Visible = shown;
        if (!shown)
            continue;
        Labels[i]->Caption = p.Label;
        Edits[i]->MaxLength = p.InputLength >= 1 && p.InputLength <= MaxNumberLength ? p.InputLength
                                                                                      : MaxNumberLength;
    }
    ShowValues();
}

void TModiPara::LoadValues()
{
    if (DefIndex < 0 || !Table)
        return;
    std::memcpy(Values, Table->Params[DefIndex].Set[Period], sizeof Values);
}

void TModiPara::StoreValues()
{
    if (DefIndex < 0 || !Table)
        return;
    std::memcpy(Table->Params[DefIndex].Set[Period], Values, sizeof Values);
}

void TModiPara::ShowValues()
{
    for (int i = 0; i < ParamCount; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", Values[i]);
        int32_t value = Values[i];
        Edits[i]->Text = text;
        // The edit may hold fewer characters than the number has; the set keeps it.
        Values[i] = value;
    }
}

void TModiPara::Edit1Change(TObject *Sender)
{
    auto *edit = dynamic_cast<TEdit *>(Sender);
    if (!edit || edit->Tag < 0 || edit->Tag >= ParamRows)
        return;
    Values[edit->Tag] = ReadEditNumber(AnsiString(edit->Text).c_str());
}

void TModiPara::Button3Click(TObject *)
{
    for (int i = 0; i < ParamCount; ++i)
        Values[i] = Defaults[i];
    ShowValues();
}

void TModiPara::ComboBox1Change(TObject *)
{
    int period = ComboBox1->ItemIndex;
    if (DefIndex < 0 || period < 0 || period >= ParamPeriods)
        return;
    StoreValues();
    Period = period;
    LoadValues();
    ShowValues();
}

void TModiPara::Button1Click(TObject *)
{
    Accepted = 1;
    ModalResult = mrOk;
    if (IsFormula && Indicator) {
        if (auto *formula = dynamic_cast<TScrIndex *>(Indicator))
            for (int i = 0; i < ParamCount; ++i)
                formula->Descriptors[i].Value = float(Values[i]);
        return;
    }
    if (DefIndex < 0 || !Table)
        return;
    StoreValues();
    WriteParamRecord();
}

void TModiPara::WriteParamRecord()
{
    // The table in memory keeps the values when the file cannot be written.
    int file = FileOpen(ParamTableFile, "w+b");
    if (file < 1)
        return;
    if (FileSeek(file, DefIndex * int(sizeof(IndexParamBlock)), 0) >= 0)
        FileWrite(file, &Table->Params[DefIndex], 1, sizeof(IndexParamBlock));
    FileClose(file);
}
