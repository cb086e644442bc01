#include "lumon/shell/DealOptionForm.h"

#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TOpenDialog.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"

using namespace win;

TDealOption::TDealOption(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "交易设置", 330, 110);
    Position = poDesktopCenter;
    AddLabel(this, this, 12, 16, "交易名称:");
    NameEdit = Place<TEdit>(this, this, 80, 12, 160, 22);
    AddLabel(this, this, 12, 46, "下单程序:");
    ProgramEdit = Place<TEdit>(this, this, 80, 42, 160, 22);
    Button1 = Place<TButton>(this, this, 248, 41, 70, 24);
    Button1->Caption = "浏览";
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = Place<TButton>(this, this, 80, 76, 76, 26);
    Button2->Caption = "确定";
    Button2->Default = true;
    Button2->OnClick = [this](TObject *s) { Button2Click(s); };
    Button3 = Place<TButton>(this, this, 176, 76, 76, 26);
    Button3->Caption = "取消";
    Button3->Cancel = true;
    Button3->ModalResult = mrCancel;
    OpenDialog1 = new TOpenDialog(this);
}

void TDealOption::Button1Click(TObject *)
{
    char saved[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    if (n == 0 || n >= sizeof saved) {
        MessageBoxA(Handle, "路径太深!  ", "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    OpenDialog1->Title = "选择交易程序";
    OpenDialog1->Filter = "执行程序|*.exe";
    OpenDialog1->FileName = "";
    OpenDialog1->Options = TOpenOptions() << ofHideReadOnly << ofFileMustExist << ofEnableSizing;
    if (OpenDialog1->Execute())
        ProgramEdit->Text = OpenDialog1->FileName;
    SetCurrentDirectoryA(saved);
}

void TDealOption::Button2Click(TObject *)
{
    if (AnsiString(NameEdit->Text).IsEmpty()) {
        MessageBoxA(Handle, "请指定名称.  ", "提示", MB_ICONEXCLAMATION | MB_TOPMOST);
        ModalResult = mrNone;
        return;
    }
    if (AnsiString(ProgramEdit->Text).IsEmpty()) {
        MessageBoxA(Handle, "请指定下单程序.  ", "提示", MB_ICONEXCLAMATION | MB_TOPMOST);
        ModalResult = mrNone;
        return;
    }
    ModalResult = mrOk;
}
