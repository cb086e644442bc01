#include "lumon/core/ui/TForm_AddSrv.h"

#include "platform/forms/FormBuilding.h"

using namespace win;

TForm_AddSrv *Form_AddSrv;

TForm_AddSrv::TForm_AddSrv(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "新增服务器", 340, 238);

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
    AddLabel(this, this, 12, top, name);
    AddLabel(this, this, 110, top, example);
    edit = Place<TEdit>(this, this, 12, top + 16, 316, 22);
    edit->MaxLength = maxLength;
}
