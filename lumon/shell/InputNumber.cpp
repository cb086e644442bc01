#include "lumon/shell/InputNumber.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"

using namespace win;

TInputNumberDlg::TInputNumberDlg(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "任意天技术分析", 230, 92);
    FormStyle = fsStayOnTop;
    Label1 = AddLabel(this, this, 14, 18, "请输入天数:");
    Edit_Day = Place<TEdit>(this, this, 96, 14, 120, 22);
    Button1 = Place<TButton>(this, this, 24, 54, 80, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->ModalResult = mrOk;
    Button2 = Place<TButton>(this, this, 126, 54, 80, 26);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
}

bool ParsePositiveWhole(const char *text, int &value)
{
    const char *p = text;
    while (*p == ' ')
        ++p;
    if (*p < '0' || *p > '9')
        return false;
    char *end = nullptr;
    errno = 0;
    const long n = std::strtol(p, &end, 10);
    while (*end == ' ')
        ++end;
    if (*end || errno == ERANGE || n <= 0 || n > INT_MAX)
        return false;
    value = int(n);
    return true;
}
