// The frame's menus: the main menu and the frame's pop-up menu as the frame
// lays them out, and the parts built at start from the data and the settings:
// the markets, classes and blocks of "板块选择", the themes of "风格选择", the
// time-zone presets of "时区设定" and the web links.
#include <cstring>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/win/TIniFile.h"

using namespace win;

namespace {

const char kSettings[] = "..\\CFG\\SETTING.INI";
const char kMarketSuffix[] = "市场";
const char kUserBlocks[] = "自选板块";

AnsiString FieldText(const char *field, size_t size) { return AnsiString(std::string(field, strnlen(field, size)).c_str()); }

} // namespace

AnsiString ShortMarketName(const char *name)
{
    std::string text = name;
    const size_t suffix = sizeof kMarketSuffix - 1;
    if (text.size() > suffix && text.compare(text.size() - suffix, suffix, kMarketSuffix) == 0)
        text.resize(text.size() - suffix);
    return AnsiString(text.c_str());
}

namespace {

TMenuItem *NewItem(TMFrame *frame, TMenuItem *parent, const char *caption, int tag = 0)
{
    auto *item = new TMenuItem(frame);
    item->Caption = caption;
    item->Tag = tag;
    parent->Add(item);
    return item;
}

TMenuItem *NewCheckItem(TMFrame *frame, TMenuItem *parent, const char *caption, bool checked)
{
    TMenuItem *item = NewItem(frame, parent, caption);
    item->Checked = checked;
    return item;
}

} // namespace

void TMFrame::CreateMenus()
{
    auto on = [this](TMenuItem *item, void (TMFrame::*handler)(TObject *)) {
        item->OnClick = [this, handler](TObject *s) { (this->*handler)(s); };
        return item;
    };
    MainMenu1 = new TMainMenu(this);
    TMenuItem *bar = MainMenu1->Items;
    N1 = on(NewItem(this, bar, "系统"), &TMFrame::N1Click);
    C1 = on(NewItem(this, N1, "连接主站(&C)"), &TMFrame::C1Click);
    NewItem(this, N1, "-");
    ToolBarItem = on(NewCheckItem(this, N1, "工具栏", true), &TMFrame::MenuItem100Click);
    MenuItem103 = on(NewCheckItem(this, N1, "状态栏", true), &TMFrame::MenuItem103Click);
    MenuItem95 = on(NewCheckItem(this, N1, "全屏显示(&F)", false), &TMFrame::MenuItem95Click);
    N36 = on(NewCheckItem(this, N1, "画线工具", false), &TMFrame::N36Click);
    N37 = on(NewCheckItem(this, N1, "周期选择", false), &TMFrame::N37Click);
    N61 = on(NewCheckItem(this, N1, "直接买卖", false), &TMFrame::N61Click);
    NewItem(this, N1, "-");
    ThemeMenu = NewItem(this, N1, "风格选择");
    ZoneMenu = NewItem(this, N1, "时区设定");
    NewItem(this, N1, "-");
    on(NewItem(this, N1, "保存为图片(&B)"), &TMFrame::N71Click);
    on(NewItem(this, N1, "打印(&P)"), &TMFrame::MenuItem90Click);
    NewItem(this, N1, "-");
    on(NewItem(this, N1, "退出系统(&X)"), &TMFrame::MenuItem109Click);

    PageMenu = NewItem(this, bar, "页面管理");
    N3 = NewItem(this, PageMenu, "导入页面(&I)");
    NewItem(this, PageMenu, "-");
    on(NewItem(this, PageMenu, "新建页面(&N)"), &TMFrame::N10Click);
    on(NewItem(this, PageMenu, "保存页面(&S)"), &TMFrame::N12Click);
    on(NewItem(this, PageMenu, "另存页面(&A)"), &TMFrame::N19Click);
    on(NewItem(this, PageMenu, "删除页面(&D)"), &TMFrame::N53Click);
    N2 = NewItem(this, bar, "板块选择");

    ChartMenu = NewItem(this, bar, "图表分析");
    T1 = on(NewCheckItem(this, ChartMenu, "闪电图优先(&T)", true), &TMFrame::T1Click);
    MenuItem94 = on(NewCheckItem(this, ChartMenu, "动态优先(&D)", true), &TMFrame::MenuItem94Click);
    N51 = on(NewCheckItem(this, ChartMenu, "报价网格(&G)", false), &TMFrame::N51Click);
    N22 = on(NewItem(this, ChartMenu, "数据刷新(&R)"), &TMFrame::N22Click);
    NewItem(this, ChartMenu, "-");
    N14 = on(NewItem(this, ChartMenu, "报价画面(&P)"), &TMFrame::N14Click);
    TICK1 = on(NewItem(this, ChartMenu, "闪电图(&T)"), &TMFrame::TICK1Click);
    N15 = on(NewItem(this, ChartMenu, "分时图(&M)"), &TMFrame::N15Click);
    N16 = on(NewItem(this, ChartMenu, "K线图(&K)"), &TMFrame::N16Click);
    on(NewItem(this, ChartMenu, "F10资料(F10)"), &TMFrame::F101Click);
    NewItem(this, ChartMenu, "-");
    on(NewItem(this, ChartMenu, "窗口放大/还原"), &TMFrame::N54Click);
    on(NewItem(this, ChartMenu, "横切"), &TMFrame::N58Click);
    on(NewItem(this, ChartMenu, "纵切"), &TMFrame::N59Click);
    on(NewItem(this, ChartMenu, "关闭本窗口"), &TMFrame::N57Click);
    N11 = on(NewCheckItem(this, ChartMenu, "联动(&S)", false), &TMFrame::N11Click);

    MenuItem117 = on(NewItem(this, bar, "技术分析"), &TMFrame::MenuItem117Click);
    on(NewItem(this, MenuItem117, "选择指标(&I)"), &TMFrame::I1Click);
    on(NewItem(this, MenuItem117, "指标叠加(&A)"), &TMFrame::A1Click);
    on(NewItem(this, MenuItem117, "指标参数(&P)"), &TMFrame::MenuItem127Click);
    on(NewItem(this, MenuItem117, "设置参考线(&S)"), &TMFrame::N32Click);
    on(NewItem(this, MenuItem117, "均线显/隐(&H)"), &TMFrame::N17Click);
    on(NewItem(this, MenuItem117, "跨品种分析"), &TMFrame::N65Click);
    NewItem(this, MenuItem117, "-");
    N40Menu = NewItem(this, MenuItem117, "除权状态 ");
    static const char *const exRights[4] = {"还原", "复合除权", "后复权", "前复权"};
    for (int i = 0; i < 4; ++i) {
        N40Items[i] = on(NewItem(this, N40Menu, exRights[i], i), &TMFrame::N40Click);
        N40Items[i]->GroupIndex = 3;
        N40Items[i]->RadioItem = true;
    }
    TMenuItem *periods = NewItem(this, MenuItem117, "分析周期");
    static const struct {
        const char *Caption;
        int Tag;
    } periodItems[11] = {{"日线", 8},  {"周线", 9},  {"月线", 10},  {"季线", 11},  {"任意天", 12}, {"1分钟", 1},
                         {"3分钟", 2}, {"5分钟", 4}, {"15分钟", 5}, {"30分钟", 6}, {"60分钟", 7}};
    for (const auto &p : periodItems)
        on(NewItem(this, periods, p.Caption, p.Tag), &TMFrame::MenuItem119Click);
    MenuItem128 = on(NewItem(this, MenuItem117, "画线工具"), &TMFrame::MenuItem128Click);
    static const char *const tools[19] = {"两点直线", "两点线段",   "平行线",       "正弦线", "黄金分割线",
                                          "百分比线", "圆弧",       "股票箱",       "甘氏线", "费波拉契周期",
                                          "周期线",   "速阻线",     "线形回归带",   "回归通道", "文字",
                                          "上箭头",   "下箭头",     "擦除划线",     "全部删除"};
    for (int i = 0; i < 19; ++i)
        Line[i] = on(NewItem(this, MenuItem128, tools[i], i + 1), &TMFrame::LineClick);
    Line[19] = on(NewCheckItem(this, MenuItem128, "螺历", false), &TMFrame::Line20Click);

    NewsMenu = NewItem(this, bar, "新闻资讯");
    on(NewItem(this, NewsMenu, "即时新闻(F9)"), &TMFrame::N26Click);
    on(NewItem(this, NewsMenu, "上证所信息(71)"), &TMFrame::N44Click);
    on(NewItem(this, NewsMenu, "深证所信息(72)"), &TMFrame::N45Click);
    WebMenu = NewItem(this, bar, "-");
    MobileMenu = NewItem(this, bar, "手机行情");
    N70 = on(NewItem(this, bar, "在线互动"), &TMFrame::N70Click);
    MenuItem142 = NewItem(this, bar, "网上交易");
    MenuItem143 = on(NewItem(this, bar, "工具"), &TMFrame::MenuItem143Click);
    O1 = on(NewCheckItem(this, MenuItem143, "预警开关(&O)", true), &TMFrame::O1Click);
    on(NewItem(this, MenuItem143, "预警设置(&S)"), &TMFrame::S1Click);
    on(NewItem(this, MenuItem143, "预警列表(&L)"), &TMFrame::L1Click);
    NewItem(this, MenuItem143, "-");
    MenuItem145 = on(NewItem(this, MenuItem143, "编辑栏目(&E)"), &TMFrame::MenuItem145Click);
    MenuItem144 = on(NewItem(this, MenuItem143, "板块设置(&B)"), &TMFrame::MenuItem144Click);
    on(NewCheckItem(this, MenuItem143, "循环报价", false), &TMFrame::N55Click);
    NewItem(this, MenuItem143, "-");
    on(NewItem(this, MenuItem143, "计算器(&C)"), &TMFrame::N21Click);
    on(NewItem(this, MenuItem143, "设置工具"), &TMFrame::N67Click);
    on(NewItem(this, MenuItem143, "自动升级(&U)"), &TMFrame::N24Click);
    HelpMenu = NewItem(this, bar, "帮助");
    on(NewItem(this, HelpMenu, "使用说明(&H)"), &TMFrame::MenuItem167Click);
    N47 = on(NewItem(this, HelpMenu, "热键说明(&K)"), &TMFrame::N47Click);
    N47->Visible = false;
    N64 = on(NewItem(this, HelpMenu, "在线支持(&Q)"), &TMFrame::N64Click);
    N64->Visible = false;
    on(NewItem(this, HelpMenu, "系统消息(&B)"), &TMFrame::N52Click);
    on(NewItem(this, HelpMenu, "免责条款(&N)"), &TMFrame::N63Click);
    NewItem(this, HelpMenu, "-");
    on(NewItem(this, HelpMenu, "用户信息(&I)"), &TMFrame::MenuItem170Click);
    on(NewItem(this, HelpMenu, "关于(&A)"), &TMFrame::N72Click);

    PopupMenu1 = new TPopupMenu(this);
    TMenuItem *popup = PopupMenu1->Items;
    MenuItem99 = on(NewCheckItem(this, popup, "菜单栏(&M)", true), &TMFrame::MenuItem99Click);
    N4 = on(NewCheckItem(this, popup, "全屏显示(&F)", false), &TMFrame::MenuItem95Click);
    MenuItem100 = on(NewCheckItem(this, popup, "工具栏(&T)", true), &TMFrame::MenuItem100Click);
    PopupStatusBar = on(NewCheckItem(this, popup, "状态栏(&S)", true), &TMFrame::MenuItem103Click);

    PopupMenu2 = new TPopupMenu(this);
}

void TMFrame::O1Click(TObject *) { O1->Checked = !O1->Checked; }

void TMFrame::N22Click(TObject *)
{
    TMultiViewChild *pane = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (pane && CurrentPage->HasPane(pane) && ViewHooks.ReloadChartData)
        ViewHooks.ReloadChartData(pane);
}

void TMFrame::BuildBlockMenus()
{
    if (!Blocks)
        return;
    auto click = [this](TObject *s) { NClick(s); };
    int markets = MarketTable.Count < MaxMarkets ? MarketTable.Count : MaxMarkets;
    if (markets < 0)
        markets = 0;
    // Class blocks are numbered after the market blocks, in market order.
    int classTag = markets;
    for (int i = 0; i < markets; ++i) {
        TMarketData *market = MarketTable.Markets[i];
        if (!market)
            continue;
        AnsiString name = ShortMarketName(FieldText(market->Info.Name, sizeof market->Info.Name).c_str());
        TMenuItem *sub = NewItem(this, N2, name.c_str());
        NewItem(this, sub, "所有品种", i)->OnClick = click;
        NewItem(this, sub, "-");
        int classes = market->Info.ClassCount < 15 ? market->Info.ClassCount : 15;
        for (int k = 0; k < classes; ++k) {
            const ClassRecord &c = market->Info.Classes[k];
            NewItem(this, sub, FieldText(c.Name, sizeof c.Name).c_str(), classTag++)->OnClick = click;
        }
        if (i == 2 || i == 6)
            NewItem(this, N2, "-");
    }
    NewItem(this, N2, "-");
    TMenuItem *system = NewItem(this, N2, "系统板块");
    for (int b = 0; b < Blocks->BlockCount; ++b) {
        const BlockRecord &block = Blocks->Blocks[b];
        if (block.InUse && block.Kind == BLOCK_SYSTEM)
            NewItem(this, system, FieldText(block.Name, sizeof block.Name).c_str(), block.Id)->OnClick = click;
    }
    if (system->Count == 0)
        delete system;
}

void TMFrame::BuildUserBlockMenu()
{
    if (!Blocks || !N2)
        return;
    int last = N2->Count - 1;
    if (last >= 0 && N2->Items[last]->Caption == kUserBlocks)
        delete N2->Items[last];
    TMenuItem *user = NewItem(this, N2, kUserBlocks);
    for (int b = 0; b < Blocks->BlockCount; ++b) {
        const BlockRecord &block = Blocks->Blocks[b];
        if (block.InUse && block.Kind >= 3)
            NewItem(this, user, FieldText(block.Name, sizeof block.Name).c_str(), block.Id)->OnClick =
                [this](TObject *s) { NClick(s); };
    }
    if (user->Count == 0)
        delete user;
}

void TMFrame::NClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (!item || !CurrentPage)
        return;
    const int id = item->Tag;
    if (TMultiViewChild *list = CurrentPage->FindPaneByType(VIEW_REPORT, 1)) {
        list->Activate();
        if (ViewHooks.ShowBlockTab)
            ViewHooks.ShowBlockTab(list, id);
        return;
    }
    TMultiViewChild *active = CurrentPage->ActivePane;
    if (!active || !CurrentPage->HasPane(active))
        return;
    VIEW_ATTR attr;
    InitViewAttr(VIEW_REPORT, &attr);
    attr.BlockCount = 1;
    std::memset(attr.Blocks, 0, sizeof attr.Blocks);
    attr.Blocks[0] = id;
    attr.BlockId = id;
    TMultiViewChild *list = CurrentPage->ReplaceView(active->Node, &attr, 0);
    if (list && ViewHooks.ShowBlockTab)
        ViewHooks.ShowBlockTab(list, id);
}

void TMFrame::N1Click(TObject *)
{
    bool online = RequestClient && RealTimeClient && RequestClient->IsConnected() && RealTimeClient->IsConnected();
    C1->Caption = online ? "断开连接(&D)" : "连接主站(&C)";
}

void TMFrame::BuildThemeMenu()
{
    TIniFile ini(kSettings);
    for (int n = 0;; ++n) {
        AnsiString section = AnsiString("Color") + AnsiString(n);
        if (!ini.SectionExists(section))
            break;
        TMenuItem *item = NewItem(this, ThemeMenu, ini.ReadString(section, "Name", "未命名").c_str(), n);
        item->GroupIndex = 1;
        item->RadioItem = true;
        item->Checked = n == LastTheme;
        item->OnClick = [this](TObject *s) { ColorClick(s); };
    }
}

void TMFrame::BuildZoneMenu()
{
    int presets = TimeZoneTable.PresetCount;
    if (presets > SysTimeMaxPresets)
        presets = SysTimeMaxPresets;
    for (int i = 0; i < presets; ++i) {
        const SysTimeEntry &preset = TimeZoneTable.Presets[i];
        TMenuItem *item = NewItem(this, ZoneMenu, FieldText(preset.Name, sizeof preset.Name).c_str(), i);
        item->GroupIndex = 2;
        item->RadioItem = true;
        item->Checked = i == TimeZoneTable.CurrentPreset;
        item->OnClick = [this](TObject *s) { ReferZoneClick(s); };
    }
}

void TMFrame::BuildWebMenu()
{
    TIniFile ini(kSettings);
    WebMenu->Caption = ini.ReadString("WEB", "MenuName", "网站");
    for (int n = 1;; ++n) {
        std::string value = ini.ReadString("WEB", AnsiString("Web") + AnsiString(n), "").c_str();
        if (value.empty())
            break;
        size_t colon = value.find(':');
        if (colon != std::string::npos)
            NewItem(this, WebMenu, value.substr(0, colon).c_str(), n - 1)->OnClick = [this](TObject *s) {
                WebClick(s);
            };
    }
}
