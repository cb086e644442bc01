#include "consign/pages/PageTemplates.h"

#include <iterator>

#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD PageStyle = WS_CHILD | DS_CONTROL | DS_SETFONT;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD QuoteStyle = WS_BORDER | ES_AUTOHSCROLL | ES_READONLY;
constexpr DWORD ListStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

// The order entry page: its order list on the left, the order's fields in the
// middle, the quote and the two send buttons on the right.
const DialogItemTemplate OrderItems[] = {
    {"SysListView32", 1107, 4, 4, 150, 127, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Static", 1037, 160, 6, 34, 8, SS_LEFT, 0, "客    户"},
    {"Edit", 1011, 196, 4, 60, 12, EditStyle, 0, ""},
    {"Edit", 1014, 196, 4, 60, 12, QuoteStyle, 0, "", TRUE},
    {"Static", 1038, 160, 20, 34, 8, SS_LEFT, 0, "合    约"},
    {"Edit", 1012, 196, 18, 60, 12, EditStyle, 0, ""},
    {"Static", 1025, 196, 32, 60, 8, SS_LEFT, 0, ""},
    {"Static", 1046, 160, 44, 34, 8, SS_LEFT, 0, "交易编码"},
    {"ComboBox", 1055, 196, 42, 60, 80, ListStyle, 0, ""},
    {"Static", 1039, 160, 58, 34, 8, SS_LEFT, 0, "买    卖"},
    {"ComboBox", 1236, 196, 56, 60, 80, ListStyle, 0, ""},
    {"Static", 1042, 160, 72, 34, 8, SS_LEFT, 0, "数    量"},
    {"Edit", 1004, 196, 70, 60, 12, EditStyle, 0, ""},
    {"Static", 1041, 160, 86, 34, 8, SS_LEFT, 0, "价    格"},
    {"Edit", 1005, 196, 84, 60, 12, EditStyle, 0, ""},
    {"Static", 1040, 160, 100, 34, 8, SS_LEFT, 0, "开    平"},
    {"ComboBox", 1237, 196, 98, 60, 80, ListStyle, 0, ""},
    {"Static", 1043, 160, 114, 34, 8, SS_LEFT, 0, "投    保"},
    {"ComboBox", 1238, 196, 112, 60, 80, ListStyle, 0, ""},
    {"Button", 1151, 262, 0, 76, 96, BS_GROUPBOX, 0, " 行情 "},
    {"Static", 1153, 266, 12, 28, 8, SS_LEFT, 0, "卖出价"},
    {"Edit", 1155, 296, 10, 38, 11, QuoteStyle, 0, ""},
    {"Static", 1152, 266, 25, 28, 8, SS_LEFT, 0, "买入价"},
    {"Edit", 1154, 296, 23, 38, 11, QuoteStyle, 0, ""},
    {"Static", 1160, 266, 38, 28, 8, SS_LEFT, 0, "卖出量"},
    {"Edit", 1008, 296, 36, 38, 11, QuoteStyle, 0, ""},
    {"Static", 1159, 266, 51, 28, 8, SS_LEFT, 0, "买入量"},
    {"Edit", 1156, 296, 49, 38, 11, QuoteStyle, 0, ""},
    {"Static", 1161, 266, 64, 28, 8, SS_LEFT, 0, "涨停价"},
    {"Edit", 1157, 296, 62, 38, 11, QuoteStyle, 0, ""},
    {"Static", 1162, 266, 77, 28, 8, SS_LEFT, 0, "跌停价"},
    {"Edit", 1158, 296, 75, 38, 11, QuoteStyle, 0, ""},
    {"Button", 1009, 262, 100, 76, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "发出委托&O"},
    {"Button", 1010, 262, 117, 76, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "预埋委托&P"},
};

struct PageEntry {
    UINT id;
    const char *caption;
};
const PageEntry OtherPages[] = {
    {130, "&2委托"},     {131, "&3成交"},     {132, "&4持仓"},   {133, "&5资金"},
    {136, "&6合约"},     {135, "&7预埋单"},   {175, "&8批量设置"}, {193, "转帐"},
    {190, "&A查询转帐"}, {159, "&B查询帐单"}, {134, "&C其它"},   {196, "&D快捷键"},
};

} // namespace

void RegisterPageTemplates()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterDialogResource(102, DialogTemplate{PageStyle, 0, 0, 0, 340, 135, "&1下单", "宋体", 9, OrderItems,
                                               static_cast<int>(std::size(OrderItems))});
    for (const PageEntry &page : OtherPages)
        RegisterDialogResource(page.id, DialogTemplate{PageStyle, 0, 0, 0, 340, 135, page.caption, "宋体", 9,
                                                       nullptr, 0});
}
