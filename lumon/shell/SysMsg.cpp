#include "lumon/shell/SysMsg.h"

#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TMemo.h"

using namespace win;

TSysMsgDlg::TSysMsgDlg(TComponent *Owner, int kind) : TForm(Owner)
{
    SetUpDialog(*this, "", 420, 300);
    Memo1 = Place<TMemo>(this, this, 8, 8, 404, 248);
    Memo1->ReadOnly = true;
    Memo1->ScrollBars = ssVertical;
    Button1 = Place<TButton>(this, this, 172, 266, 76, 26);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->OnClick = [this](TObject *) { Close(); };
    // The data-server client writes the files in upper case; the layer finds
    // them by either spelling.
    if (kind == 'a') {
        if (!Memo1->Lines->LoadFromFile(".\\sysmsg.txt"))
            Memo1->Lines->SetText("系统消息文件不存在!");
    } else if (kind == 'b') {
        if (!Memo1->Lines->LoadFromFile(".\\rtmsg.txt"))
            Memo1->Lines->SetText("及时消息文件不存在!");
    } else {
        Memo1->Lines->LoadFromFile(".\\notice.txt");
    }
}
