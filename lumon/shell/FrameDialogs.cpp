// The frame's commands that open the alarm windows, the message window, the
// cyclic-display dialog and the block dialog, and its answer to message 2530.
#include "lumon/core/Alarm.h"
#include "lumon/shell/AlarmForm.h"
#include "lumon/shell/AlarmWindow.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/InputNumber.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/SysMsg.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The alarm switch, offered when it is off.
void OfferAlarmSwitch(TMFrame *frame)
{
    if (frame->O1->Checked)
        return;
    if (MessageBoxA(frame->Handle, "预警功能没有打开, 要打开吗?  ", "确认", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) ==
        IDYES)
        frame->O1->Checked = true;
}

} // namespace

void TMFrame::ShowFiredAlarms()
{
    if (!AlarmWindow)
        AlarmWindow = new TAlarmWin(nullptr);
    else
        AlarmWindow->Refresh();
    AlarmWindow->Show();
    if (AlarmForm && AlarmForm->Visible)
        AlarmForm->FillGrid();
}

void TMFrame::ShowMessageWindow(int mode, const char *caption)
{
    auto *window = new TSysMsgDlg(this, mode);
    window->Caption = caption;
    window->OnClose = [](TObject *, TCloseAction &action) { action = caFree; };
    window->Show();
    BringWindowToTop(window->Handle);
}

void TMFrame::S1Click(TObject *)
{
    OfferAlarmSwitch(this);
    if (!AlarmForm)
        AlarmForm = new TAlartfm(nullptr);
    AlarmForm->Show();
    AlarmForm->FillGrid();
}

void TMFrame::L1Click(TObject *)
{
    OfferAlarmSwitch(this);
    if (!AlarmWindow)
        AlarmWindow = new TAlarmWin(nullptr);
    else
        AlarmWindow->Refresh();
    AlarmWindow->Show();
}

void TMFrame::N55Click(TObject *Sender)
{
    TInputNumberDlg dialog(this);
    dialog.Caption = "循环报价时间设定";
    dialog.Label1->Caption = "请输入秒数:";
    dialog.Button1->Caption = "开始循环";
    dialog.Button2->Caption = "停止循环";
    dialog.Edit_Day->Text = AnsiString(std::to_string(PageTime).c_str());
    DialogBusy = 1;
    const int result = dialog.ShowModal();
    DialogBusy = 0;
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (result == mrOk) {
        // Only a whole number of seconds above 0 becomes the period; anything
        // else keeps the period there was.
        int seconds = 0;
        if (ParsePositiveWhole(AnsiString(dialog.Edit_Day->Text).c_str(), seconds)) {
            PageTime = seconds;
            WritePrivateProfileStringA("Parameter", "PageTime", std::to_string(seconds).c_str(),
                                       "..\\CFG\\SETTING.INI");
        }
        CyclicDisplay = 1;
    } else {
        CyclicDisplay = 0;
    }
    if (item)
        item->Checked = CyclicDisplay != 0;
}

void TMFrame::N52Click(TObject *) { ShowMessageWindow(97, "系统消息"); }

void TMFrame::N63Click(TObject *) { ShowMessageWindow(99, "免责公告"); }

void TMFrame::MenuItem144Click(TObject *)
{
    TEdtBlk dialog(this, 5, FirstUserBlockKind);
    const uint8_t busy = DialogBusy;
    DialogBusy = 1;
    dialog.ShowModal();
    DialogBusy = busy;
}
