#include "consign/pages/PopupTemplates.h"

#include <iterator>

#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD PopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const DialogItemTemplate PromptItems[] = {
    {"Static", 1104, 10, 10, 160, 32, SS_LEFT, 0, ""},
    {"Button", IDOK, 65, 48, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "关闭"},
};

const DialogItemTemplate InfoItems[] = {
    {"Static", Label, 8, 8, 30, 8, SS_LEFT, 0, "主题"},
    {"Static", 1121, 40, 8, 200, 8, SS_LEFT, 0, ""},
    {"Static", Label, 8, 21, 30, 8, SS_LEFT, 0, "发件人"},
    {"Static", 1118, 40, 21, 80, 8, SS_LEFT, 0, ""},
    {"Static", Label, 126, 21, 24, 8, SS_LEFT, 0, "时间"},
    {"Static", 1120, 152, 21, 88, 8, SS_LEFT, 0, ""},
    {"Static", Label, 8, 34, 30, 8, SS_LEFT, 0, "类型"},
    {"Static", 1119, 40, 34, 80, 8, SS_LEFT, 0, ""},
    {"Static", Label, 126, 34, 24, 8, SS_LEFT, 0, "级别"},
    {"Static", 1123, 152, 34, 88, 8, SS_LEFT, 0, ""},
    {"Edit", 1250, 8, 47, 232, 70,
     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 99, 122, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "关闭"},
};

const DialogItemTemplate CancelItems[] = {
    {"Static", Label, 10, 12, 26, 8, SS_LEFT, 0, "单号："},
    {"Edit", 1027, 38, 10, 70, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 118, 8, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 118, 26, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogItemTemplate AboutItems[] = {
    {"Static", 1143, 10, 10, 32, 32, SS_BITMAP, 0, ""},
    {"Static", 1144, 50, 10, 170, 8, SS_LEFT | SS_NOPREFIX, 0, ""},
    {"Static", Label, 50, 24, 170, 8, SS_LEFT, 0, "期货委托客户端"},
    {"Static", Label, 50, 36, 170, 8, SS_LEFT, 0, "下单、查询、预埋与批量委托"},
    {"Button", IDOK, 176, 50, 44, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "确定"},
};

} // namespace

void RegisterPopupTemplates()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterDialogResource(155, TableTemplate(PopupStyle, 180, 68, "提示信息", PromptItems));
    RegisterDialogResource(164, TableTemplate(PopupStyle, 248, 142, "信息发布", InfoItems));
    RegisterDialogResource(145, TableTemplate(PopupStyle, 176, 46, "确认撤单", CancelItems));
    RegisterDialogResource(100, TableTemplate(PopupStyle, 228, 70, "关于", AboutItems));
}
