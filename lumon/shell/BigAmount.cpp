#include "lumon/shell/BigAmount.h"

#include "lumon/shell/MFrame.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TGroupBox.h"
#include "platform/forms/TRadioButton.h"

using namespace win;

TBigAmount::TBigAmount(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "大单提取", 220, 130);
    AddLabel(this, this, 14, 18, "大单标准:");
    CSpinEdit1 = Place<TCSpinEdit>(this, this, 80, 14, 120, 22);
    CSpinEdit1->MinValue = 0;
    CSpinEdit1->MaxValue = 1000;
    CSpinEdit1->Increment = 1;
    GroupBox1 = Place<TGroupBox>(this, this, 14, 46, 120, 72);
    GroupBox1->Caption = "步长";
    RadioButton1 = Place<TRadioButton>(this, GroupBox1, 12, 20, 90, 20);
    RadioButton1->Caption = "1";
    RadioButton1->Checked = true;
    RadioButton2 = Place<TRadioButton>(this, GroupBox1, 12, 44, 90, 20);
    RadioButton2->Caption = "5";
    RadioButton1->OnClick = [this](TObject *) { CSpinEdit1->Increment = 1; };
    RadioButton2->OnClick = [this](TObject *) { CSpinEdit1->Increment = 5; };
    Button1 = Place<TButton>(this, this, 146, 92, 62, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->ModalResult = mrOk;
    FrameBusy = 1;
}
