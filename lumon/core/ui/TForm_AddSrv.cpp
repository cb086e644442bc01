#include "lumon/core/ui/TForm_AddSrv.h"

using namespace win;

TForm_AddSrv *Form_AddSrv;

TForm_AddSrv::TForm_AddSrv(TComponent *Owner) : TForm(Owner)
{
    Caption = "新增服务器";
    BorderStyle = bsDialog;
    BorderIcons = TBorderIcons() << biSystemMenu;
    Position = poScreenCenter;
    ClientWidth = 340;
    ClientHeight = 238;
    Font->Name = "宋体";
    Font->Height = -12;
    FontChanged();

    AddField(12, "服务器IP地址:", "(必填，如 192.168.0.10)", Edit_IP, 120);
    AddField(62, "服务器名称:", "(必填，如 上海行情主站)", Edit_Co, 80);
    AddField(112, "公司主页:", "(如 http://www.example.com)", Edit_Web, 120);
    AddField(162, "联系电话:", "(如 021-12345678)", Edit_Tel, 63);

    Button_OK = new TButton(this);
    Button_OK->Parent = this;
    Button_OK->SetBounds(84, 204, 75, 25);
    Button_OK->Caption = "确 定";
    Button_OK->Default = true;
    Button_OK->ModalResult = mrOk;
    Button_Cancel = new TButton(this);
    Button_Cancel->Parent = this;
    Button_Cancel->SetBounds(180, 204, 75, 25);
    Button_Cancel->Caption = "取 消";
    Button_Cancel->Cancel = true;
    Button_Cancel->ModalResult = mrCancel;
}

void TForm_AddSrv::AddField(int top, const char *name, const char *example, TEdit *&edit, int maxLength)
{
    auto *label = new TLabel(this);
    label->Parent = this;
    label->Left = 12;
    label->Top = top;
    label->Caption = name;
    auto *hint = new TLabel(this);
    hint->Parent = this;
    hint->Left = 110;
    hint->Top = top;
    hint->Caption = example;
    edit = new TEdit(this);
    edit->Parent = this;
    edit->SetBounds(12, top + 16, 316, 22);
    edit->MaxLength = maxLength;
}
