// The indicator parameter dialog "修改参数": up to eight integer parameters of
// one indicator for one period. A built-in indicator keeps a set per period in
// the loaded parameter table (written back to ..\CFG\IDXPARA.TBL on OK) and its
// labels and defaults in ..\cfg\IdxPara.ini; a formula indicator keeps its
// parameters in the indicator object itself.
#pragma once

#include <cstdint>

#include "lumon/formula/IndexDefs.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TScrollBox.h"

class TIndex;

constexpr int ParamRows = 8;
// The period list: item index = period code.
constexpr int ParamPeriods = 13;

// One "Para<i>" value of IdxPara.ini, "<label> ,<max input length>,<default>".
struct ParamLabel {
    char Label[64];
    int32_t InputLength;
    int32_t Default;
};

// Splits a "Para<i>" value at its last two commas: the label before them (blanks
// at its end dropped, cut on a character boundary to the field), the numbers
// after them read as atol reads them, saturated to 32 bits. A value with fewer
// than two commas is all label, with length 4 and default 0.
ParamLabel ParseParamLabel(const char *text);

// The number at the start of an edit's text as atol reads it (at most its first
// 11 characters), saturated to the 32-bit range; 0 when there is none.
int32_t ReadEditNumber(const char *text);

class TModiPara : public win::TForm {
public:
    // `indicator` may be null (the chooser opens the dialog for an id alone).
    TModiPara(win::TComponent *Owner, TIndex *indicator, int period, int indexId);

    void Edit1Change(win::TObject *Sender);
    void ComboBox1Change(win::TObject *Sender);
    void Button1Click(win::TObject *Sender);
    void Button3Click(win::TObject *Sender);

    win::TScrollBox *ScrollBox1;
    win::TLabel *Labels[ParamRows];   // Label1 .. Label8
    win::TEdit *Edits[ParamRows];     // Edit1 .. Edit8, tags 0..7
    win::TComboBox *ComboBox1;
    win::TButton *Button1;            // 确定
    win::TButton *Button2;            // 取消
    win::TButton *Button3;            // 缺省值

    const IndexTable *Table;
    int32_t Defaults[ParamRows] = {};
    int32_t DefIndex = -1;
    int32_t IndexId;
    int32_t Period;
    int32_t ParamCount = 0;
    TIndex *Indicator;
    uint8_t IsFormula = 0;
    int32_t Values[ParamRows] = {};
    uint8_t Accepted = 0;

private:
    void LoadFormulaRows();
    void LoadBuiltinRows();
    // Values from the table's set of the current period, and into it.
    void LoadValues();
    void StoreValues();
    void ShowValues();
    // Writes the definition's whole block at its place in IDXPARA.TBL.
    void WriteParamRecord();
};
