#include "lumon/shell/AboutBox.h"

#include <cstdio>
#include <cstring>

#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/win/Profile.h"

using namespace win;

TAboutBox::TAboutBox(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "用户信息", 300, 196);
    const char *keys[3][2] = {{"name", "分析系统"}, {"company", "有限公司"}, {"telephone", "88888888"}};
    TLabel **lines[3] = {&Label1, &Label2, &Label3};
    for (int i = 0; i < 3; ++i) {
        char text[128] = {};
        GetPrivateProfileStringA("UserInfo", keys[i][0], keys[i][1], text, sizeof text, "..\\CFG\\SETTING.INI");
        *lines[i] = AddLabel(this, this, 24, 16 + 22 * i, text);
    }
    Label4 = AddLabel(this, this, 24, 92, "登录用户名:");
    Label5 = AddLabel(this, this, 24, 116, "用户到期日:");
    Label6 = AddLabel(this, this, 112, 92, "未登录");
    Label7 = AddLabel(this, this, 112, 116, "____年__月__日");
    Button1 = Place<TButton>(this, this, 112, 156, 75, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->Cancel = true;
    Button1->ModalResult = mrOk;
    SetUser(0, "", 0);
}

void TAboutBox::SetUser(int connection, const char *user, int32_t rightsDate)
{
    Connection = connection;
    RightsDate = rightsDate;
    std::memset(UserName, 0, sizeof UserName);
    std::strncpy(UserName, user ? user : "", sizeof UserName - 1);
    bool online = connection != 0;
    Label4->Enabled = online;
    Label5->Enabled = online;
    Label6->Enabled = online;
    Label7->Enabled = online;
    if (!online) {
        Label6->Caption = "未登录";
        Label7->Caption = "____年__月__日";
        return;
    }
    Label6->Caption = UserName;
    char date[40];
    int d = rightsDate < 0 ? 0 : rightsDate % 1000000;
    std::snprintf(date, sizeof date, "20%02d年%02d月%02d日", d / 10000, d / 100 % 100, d % 100);
    Label7->Caption = date;
}
