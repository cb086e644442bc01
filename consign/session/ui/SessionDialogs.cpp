#include "consign/session/ui/SessionDialogs.h"

#include <iterator>

#include "consign/session/ui/CPadButton.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD ListStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

const DialogItemTemplate LoginItems[] = {
    {"Static", Label, 10, 12, 40, 8, SS_LEFT, 0, "站      点"},
    {"ComboBox", 1067, 54, 10, 96, 120, ListStyle, 0, ""},
    {"Button", 1058, 156, 9, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "通讯设置"},
    {"Static", Label, 10, 32, 40, 8, SS_LEFT, 0, "用 户 名"},
    {"Edit", 1021, 54, 30, 96, 12, EditStyle, 0, ""},
    {"Static", Label, 10, 50, 40, 8, SS_LEFT, 0, "密      码"},
    {"Edit", 1022, 54, 48, 96, 12, EditStyle | ES_PASSWORD, 0, ""},
    {"Button", 1175, 154, 47, 18, 14, BS_OWNERDRAW, 0, ""},
    {"Static", Label, 10, 68, 40, 8, SS_LEFT, 0, "认证密码"},
    {"Edit", 1216, 54, 66, 96, 12, EditStyle | ES_PASSWORD, 0, ""},
    {"Button", 1217, 154, 65, 18, 14, BS_OWNERDRAW, 0, ""},
    {"Button", 1142, 54, 84, 80, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "记住用户名"},
    {"Button", IDOK, 54, 102, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 112, 102, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogItemTemplate PadItems[] = {
    {"Button", 1163, 8, 8, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1164, 42, 8, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1165, 76, 8, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1166, 8, 34, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1167, 42, 34, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1168, 76, 34, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1169, 8, 60, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1170, 42, 60, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1171, 76, 60, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1172, 8, 86, 30, 22, BS_OWNERDRAW, 0, ""},
    {"Button", 1173, 42, 86, 30, 22, BS_PUSHBUTTON, 0, "清除"},
    {"Button", 1174, 76, 86, 30, 22, BS_PUSHBUTTON, 0, "←　退格"},
    {"Button", IDOK, 8, 114, 46, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确认"},
    {"Button", IDCANCEL, 60, 114, 46, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogItemTemplate TestItems[] = {
    {"Static", Label, 10, 12, 40, 8, SS_LEFT, 0, "服务器"},
    {"ComboBox", 1225, 54, 10, 110, 100, ListStyle, 0, ""},
    {"Static", Label, 10, 30, 40, 8, SS_LEFT, 0, "端口"},
    {"Edit", 1029, 54, 28, 50, 12, EditStyle | ES_READONLY, 0, ""},
    {"Edit", 1221, 10, 48, 154, 12, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 0, ""},
    {"Button", IDOK, 54, 68, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "测试"},
    {"Button", IDCANCEL, 112, 68, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogItemTemplate CommItems[] = {
    {"Static", Label, 10, 12, 40, 8, SS_LEFT, 0, "选择站点"},
    {"ComboBox", 1057, 54, 10, 100, 120, ListStyle, 0, ""},
    {"Button", 1009, 160, 9, 34, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "增加"},
    {"Button", 1062, 198, 9, 34, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "修改"},
    {"Button", 1061, 236, 9, 34, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "删除"},
    {"Button", 1236, 10, 32, 48, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, "服务器1"},
    {"Edit", 1204, 62, 31, 110, 12, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 0, ""},
    {"Edit", 1232, 176, 31, 40, 12, WS_BORDER | ES_READONLY, 0, ""},
    {"Button", 1242, 222, 32, 40, 10, BS_AUTOCHECKBOX, 0, "可用"},
    {"Button", 1237, 10, 50, 48, 10, BS_AUTORADIOBUTTON, 0, "服务器2"},
    {"Edit", 1205, 62, 49, 110, 12, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 0, ""},
    {"Edit", 1234, 176, 49, 40, 12, WS_BORDER | ES_READONLY, 0, ""},
    {"Button", 1240, 222, 50, 40, 10, BS_AUTOCHECKBOX, 0, "可用"},
    {"Button", 1238, 10, 68, 48, 10, BS_AUTORADIOBUTTON, 0, "服务器3"},
    {"Edit", 1206, 62, 67, 110, 12, WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 0, ""},
    {"Edit", 1235, 176, 67, 40, 12, WS_BORDER | ES_READONLY, 0, ""},
    {"Button", 1244, 222, 68, 40, 10, BS_AUTOCHECKBOX, 0, "可用"},
    {"Button", 1059, 10, 88, 90, 10, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, "使用代理服务器"},
    {"Static", Label, 10, 104, 30, 8, SS_LEFT, 0, "地址"},
    {"Edit", 1203, 44, 102, 110, 12, EditStyle, 0, ""},
    {"Static", Label, 162, 104, 30, 8, SS_LEFT, 0, "端口"},
    {"Edit", 1060, 196, 102, 40, 12, EditStyle, 0, ""},
    {"Static", Label, 10, 122, 30, 8, SS_LEFT, 0, "用户"},
    {"Edit", 1246, 44, 120, 110, 12, EditStyle, 0, ""},
    {"Static", Label, 162, 122, 30, 8, SS_LEFT, 0, "密码"},
    {"Edit", 1247, 196, 120, 74, 12, EditStyle | ES_PASSWORD, 0, ""},
    {"Button", IDOK, 160, 142, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 218, 142, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

const DialogItemTemplate GroupItems[] = {
    {"Static", Label, 10, 12, 40, 8, SS_LEFT, 0, "站点名称"},
    {"Edit", 1222, 54, 10, 120, 12, EditStyle, 0, ""},
    {"Button", 1202, 10, 30, 80, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "使用身份认证"},
    {"Static", Label, 10, 46, 40, 8, SS_LEFT, 0, "认证类别"},
    {"ComboBox", 1193, 54, 44, 120, 100, ListStyle, 0, ""},
    {"Static", 1199, 10, 64, 40, 8, SS_LEFT, 0, "认证地址"},
    {"Edit", 1234, 54, 62, 110, 12, EditStyle, 0, ""},
    {"Static", Label, 170, 64, 20, 8, SS_LEFT, 0, "端口"},
    {"Edit", 1235, 194, 62, 40, 12, EditStyle, 0, ""},
    {"Button", 1225, 10, 86, 40, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "启用"},
    {"Edit", 1233, 54, 84, 110, 12, EditStyle, 0, ""},
    {"Edit", 1206, 194, 84, 40, 12, EditStyle, 0, ""},
    {"Button", 1237, 10, 104, 40, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "启用"},
    {"Edit", 1231, 54, 102, 110, 12, EditStyle, 0, ""},
    {"Edit", 1236, 194, 102, 40, 12, EditStyle, 0, ""},
    {"Button", 1243, 10, 122, 40, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "启用"},
    {"Edit", 1240, 54, 120, 110, 12, EditStyle, 0, ""},
    {"Edit", 1242, 194, 120, 40, 12, EditStyle, 0, ""},
    {"Button", IDOK, 126, 142, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
    {"Button", IDCANCEL, 184, 142, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

} // namespace

void RegisterSessionDialogs()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterDialogResource(IDD_TRADE_LOGIN, TableTemplate(DialogStyle, 214, 124, "登录", LoginItems));
    RegisterDialogResource(IDD_PASSWORD_PAD, TableTemplate(DialogStyle, 114, 136, "输入密码", PadItems));
    RegisterDialogResource(IDD_SERVER_TEST, TableTemplate(DialogStyle, 174, 90, "测试服务器", TestItems));
    RegisterDialogResource(IDD_COMM_SETTINGS, TableTemplate(DialogStyle, 278, 164, "通讯设置", CommItems));
    RegisterDialogResource(IDD_SERVER_GROUP, TableTemplate(DialogStyle, 244, 164, "设置服务器", GroupItems));
    RegisterPadBitmaps();
}

void PlaceAtOwnersCorner(CDialog &dialog)
{
    CWnd *owner = dialog.m_pParentWnd;
    if (!owner || !owner->m_hWnd)
        return;
    CRect parent, mine;
    owner->GetWindowRect(&parent);
    dialog.GetWindowRect(&mine);
    dialog.SetWindowPos(static_cast<HWND>(0), parent.right - mine.Width(), parent.bottom - mine.Height(), 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER);
}
