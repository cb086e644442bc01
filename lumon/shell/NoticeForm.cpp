#include "lumon/shell/NoticeForm.h"

#include "lumon/core/TNormalClnt.h"
#include "platform/forms/FormBuilding.h"

#include <cstdio>

using namespace win;

Trighrbox *Right = nullptr;

namespace {

TButton *AddButton(TForm *form, int left, int top, int width, const char *caption, TModalResult result)
{
    auto *button = new TButton(form);
    button->Parent = form;
    button->SetBounds(left, top, width, 25);
    button->Caption = caption;
    button->ModalResult = result;
    return button;
}

} // namespace

TNoticeForm::TNoticeForm(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "升级提示", 400, 190);
    Label1 = AddLabel(this, this, 16, 14, "尊敬的用户，你好：");
    Label2 = AddLabel(this, this, 32, 38, "现在已经有更高版本的客户端软件可供用户使用，");
    Label3 = AddLabel(this, this, 32, 58, "您可以选择在线升级，也可以稍后在公司网站下载最新的");
    Label4 = AddLabel(this, this, 32, 78, "安装程序进行升级安装。");
    ProgressBar1 = new TProgressBar(this);
    ProgressBar1->Parent = this;
    ProgressBar1->SetBounds(16, 110, 368, 16);
    ProgressBar1->Min = 0;
    ProgressBar1->Max = 150;
    Button1 = AddButton(this, 60, 145, 140, "立即进行在线升级", mrOk);
    Button2 = AddButton(this, 230, 145, 110, "以后再说", mrCancel);
    Timer1 = new TTimer(this);
    Timer1->OnTimer = [this](TObject *s) { Timer1Timer(s); };
}

void TNoticeForm::Timer1Timer(TObject *)
{
    ProgressBar1->StepIt();
    if (ProgressBar1->Position >= 150) {
        Timer1->Enabled = false;
        ModalResult = mrCancel;
    }
}

Trighrbox::Trighrbox(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "关于", 320, 150);
    Label1 = AddLabel(this, this, 20, 16, "lumo 金融投资分析系统");
    Label2 = AddLabel(this, this, 20, 40, "版本 1.0");
    Label3 = AddLabel(this, this, 20, 100, "lumo 工作室");
    AddLabel(this, this, 20, 64, "编译号:");
    BuildLabel = AddLabel(this, this, 80, 64, "0");
    OnCreate = [this](TObject *s) { FormCreate(s); };
}

void Trighrbox::FormCreate(TObject *)
{
    BuildNumber = ReadLocalVersion();
    char caption[24];
    std::snprintf(caption, sizeof caption, "%lld", BuildNumber);
    BuildLabel->Caption = caption;
}
