#include "lumon/shell/HotKeyDlg.h"

#include "platform/forms/FormBuilding.h"

using namespace win;

Thotkeydlg *HotKeyHelp = nullptr;

namespace {

const char *const kFunctionKeys[] = {
    "F3      上证指数分时图", "F4      深证指数分时图", "F5      分时图/K线图切换", "F6      报价画面",
    "F7      窗口放大/还原",  "F9      即时新闻",       "F10     F10资料",          "F11     背景资料",
    "F12     网上交易",       "空格    热键说明",
};
const char *const kOtherKeys[] = {
    "代码/拼音  键盘精灵",   "?          帮助",         "Enter      确认",
    "Esc        后退",       "PgUp/PgDn  上/下一品种",  "↑/↓      放大/缩小",
    "←/→      移动光标",   "Alt+F4     退出系统",
};

TMemo *AddMemo(Thotkeydlg *form, int left, const char *const *lines, int count)
{
    auto *memo = Place<TMemo>(form, form, left, 8, 192, 196);
    memo->ReadOnly = true;
    for (int i = 0; i < count; ++i)
        memo->Lines->Add(lines[i]);
    return memo;
}

} // namespace

Thotkeydlg::Thotkeydlg(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "热键说明", 408, 248);
    FormStyle = fsStayOnTop;
    Memo1 = AddMemo(this, 8, kFunctionKeys, int(sizeof kFunctionKeys / sizeof *kFunctionKeys));
    Memo2 = AddMemo(this, 208, kOtherKeys, int(sizeof kOtherKeys / sizeof *kOtherKeys));
    Button1 = Place<TButton>(this, this, 164, 214, 80, 25);
    Button1->Caption = "确定";
    Button1->OnClick = [this](TObject *) { Close(); };
}
