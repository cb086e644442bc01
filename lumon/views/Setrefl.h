// The reference-line dialog "设定指标参考线": whether each of an indicator
// pane's four horizontal reference lines is shown and at which level. The
// values live in the indicator object; 保存 also stores them for the stock in
// the reference-line file.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"

class TIndex;

constexpr int RefLineCount = 4;

// A level typed into an edit, as atof reads at most its first 10 characters;
// text that is no number, and a value that is no finite float, read 0.
float ReadEditLevel(const char *text);

class TSetRLDlg : public win::TForm {
public:
    TSetRLDlg(win::TComponent *Owner, TIndex *indicator);

    void CheckBox1Click(win::TObject *Sender);
    void Button1Click(win::TObject *Sender);
    void Button3Click(win::TObject *Sender);

    win::TCheckBox *CheckBoxes[RefLineCount];   // CheckBox1 .. CheckBox4, tags 0..3
    win::TEdit *Edits[RefLineCount];            // Edit1 .. Edit4
    win::TButton *Button1;                      // 确定
    win::TButton *Button2;                      // 取消
    win::TButton *Button3;                      // 保存

    TIndex *Indicator;

private:
    // The boxes and edits into the object's lines.
    void ApplyToIndicator();
};

// Shows the dialog for the indicator modally; true when it closed with 确定.
// False at once for a null indicator.
bool EditRefLines(TIndex *indicator);
