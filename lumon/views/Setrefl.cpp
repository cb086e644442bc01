#include "lumon/views/Setrefl.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/formula/RefLines.h"
#include "lumon/formula/TIndex.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TApplication.h"

using namespace win;

namespace {

// The widest text an edit takes.
constexpr int LevelLength = 10;

} // namespace

float ReadEditLevel(const char *text)
{
    if (!text)
        return 0;
    // atof's reading, free of the locale's decimal point.
    const char *end = text + strnlen(text, LevelLength);
    const char *p = text;
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    if (p < end && *p == '+')
        ++p;
    double value = 0;
    std::from_chars_result r = std::from_chars(p, end, value, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(value) || !std::isfinite(float(value)))
        return 0;
    return float(value);
}

TSetRLDlg::TSetRLDlg(TComponent *Owner, TIndex *indicator) : TForm(Owner), Indicator(indicator)
{
    SetUpDialog(*this, "设定指标参考线", 232, 168);
    Font->Name = "Tahoma";
    FontChanged();
    for (int i = 0; i < RefLineCount; ++i) {
        char caption[16];
        std::snprintf(caption, sizeof caption, "参考线%d", i + 1);
        auto *box = Place<TCheckBox>(this, this, 16, 14 + 28 * i, 80, 17);
        box->Caption = caption;
        box->Tag = i;
        CheckBoxes[i] = box;
        auto *edit = Place<TEdit>(this, this, 104, 12 + 28 * i, 112, 21);
        edit->MaxLength = LevelLength;
        Edits[i] = edit;
    }
    Button1 = Place<TButton>(this, this, 8, 130, 68, 25);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = Place<TButton>(this, this, 82, 130, 68, 25);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button3 = Place<TButton>(this, this, 156, 130, 68, 25);
    Button3->Caption = "保存";
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };

    for (int i = 0; i < RefLineCount; ++i) {
        bool shown = Indicator && Indicator->RefShown[i] != 0;
        CheckBoxes[i]->Checked = shown;
        if (shown) {
            char text[64];
            std::snprintf(text, sizeof text, "%.3f", double(Indicator->RefLevel[i]));
            Edits[i]->Text = text;
        }
        Edits[i]->Enabled = shown;
        CheckBoxes[i]->OnClick = [this](TObject *s) { CheckBox1Click(s); };
    }
}

void TSetRLDlg::CheckBox1Click(TObject *)
{
    for (int i = 0; i < RefLineCount; ++i)
        Edits[i]->Enabled = CheckBoxes[i]->Checked;
}

void TSetRLDlg::ApplyToIndicator()
{
    if (!Indicator)
        return;
    for (int i = 0; i < RefLineCount; ++i) {
        bool shown = CheckBoxes[i]->Checked;
        Indicator->RefShown[i] = shown ? 1 : 0;
        if (shown)
            Indicator->RefLevel[i] = ReadEditLevel(AnsiString(Edits[i]->Text).c_str());
    }
}

void TSetRLDlg::Button1Click(TObject *)
{
    ApplyToIndicator();
    ModalResult = mrOk;
}

void TSetRLDlg::Button3Click(TObject *)
{
    ApplyToIndicator();
    if (Indicator)
        SaveRefLines(Indicator->Id, Indicator->Stock, Indicator->RefShown, Indicator->RefLevel);
}

bool EditRefLines(TIndex *indicator)
{
    if (!indicator)
        return false;
    // Owned by the application only so that it counts among the program's forms;
    // it is freed here.
    auto *dialog = new TSetRLDlg(Application, indicator);
    bool accepted = dialog->ShowModal() == mrOk;
    delete dialog;
    return accepted;
}
