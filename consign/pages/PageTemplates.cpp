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
    {"SysListView32", 1107, 2, 2, 100, 100, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Static", 1037, 106, 4, 32, 8, SS_LEFT, 0, "客    户"},
    {"Edit", 1011, 138, 2, 56, 11, EditStyle, 0, ""},
    {"Edit", 1014, 138, 2, 56, 11, QuoteStyle, 0, "", TRUE},
    {"Static", 1038, 106, 17, 32, 8, SS_LEFT, 0, "合    约"},
    {"Edit", 1012, 138, 15, 56, 11, EditStyle, 0, ""},
    {"Static", 1046, 106, 30, 32, 8, SS_LEFT, 0, "交易编码"},
    {"ComboBox", 1055, 138, 28, 56, 80, ListStyle, 0, ""},
    {"Static", 1039, 106, 43, 32, 8, SS_LEFT, 0, "买    卖"},
    {"ComboBox", 1236, 138, 41, 56, 80, ListStyle, 0, ""},
    {"Static", 1042, 106, 56, 32, 8, SS_LEFT, 0, "数    量"},
    {"Edit", 1004, 138, 54, 56, 11, EditStyle, 0, ""},
    {"Static", 1041, 106, 69, 32, 8, SS_LEFT, 0, "价    格"},
    {"Edit", 1005, 138, 67, 56, 11, EditStyle, 0, ""},
    {"Static", 1040, 106, 82, 32, 8, SS_LEFT, 0, "开    平"},
    {"ComboBox", 1237, 138, 80, 56, 80, ListStyle, 0, ""},
    {"Static", 1043, 106, 95, 32, 8, SS_LEFT, 0, "投    保"},
    {"ComboBox", 1238, 138, 93, 56, 80, ListStyle, 0, ""},
    {"Button", 1151, 198, 0, 86, 72, BS_GROUPBOX, 0, " 行情 "},
    {"Static", 1153, 202, 11, 26, 8, SS_LEFT, 0, "卖出价"},
    {"Edit", 1155, 230, 10, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1152, 202, 21, 26, 8, SS_LEFT, 0, "买入价"},
    {"Edit", 1154, 230, 20, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1160, 202, 31, 26, 8, SS_LEFT, 0, "卖出量"},
    {"Edit", 1008, 230, 30, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1159, 202, 41, 26, 8, SS_LEFT, 0, "买入量"},
    {"Edit", 1156, 230, 40, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1161, 202, 51, 26, 8, SS_LEFT, 0, "涨停价"},
    {"Edit", 1157, 230, 50, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1162, 202, 61, 26, 8, SS_LEFT, 0, "跌停价"},
    {"Edit", 1158, 230, 60, 50, 10, QuoteStyle, 0, ""},
    {"Static", 1025, 198, 76, 86, 8, SS_LEFT, 0, ""},
    {"Button", 1009, 198, 88, 42, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "发出委托&O"},
    {"Button", 1010, 242, 88, 42, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "预埋委托&P"},
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
    RegisterDialogResource(102, TableTemplate(PageStyle, 286, 104, "&1下单", OrderItems));
    for (const PageEntry &page : OtherPages)
        RegisterDialogResource(page.id, DialogTemplate{PageStyle, 0, 0, 0, 286, 104, page.caption, "宋体", 9,
                                                       nullptr, 0});
}
