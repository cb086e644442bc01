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
#include "lumon/shell/NoticeForm.h"
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
    MainMenu1 = new TMainMenu(this);
    TMenuItem *bar = MainMenu1->Items;
    N1 = NewItem(this, bar, "系统");
    N1->OnClick = [this](TObject *s) { N1Click(s); };
    C1 = NewItem(this, N1, "连接主站(&C)");
    C1->OnClick = [this](TObject *s) { C1Click(s); };
    NewItem(this, N1, "-");
    ToolBarItem = NewCheckItem(this, N1, "工具栏", true);
    MenuItem103 = NewCheckItem(this, N1, "状态栏", true);
    MenuItem103->OnClick = [this](TObject *s) { MenuItem103Click(s); };
    MenuItem95 = NewCheckItem(this, N1, "全屏显示(&F)", false);
    MenuItem95->OnClick = [this](TObject *s) { MenuItem95Click(s); };
    N36 = NewCheckItem(this, N1, "画线工具", false);
    N37 = NewCheckItem(this, N1, "周期选择", false);
    N61 = NewCheckItem(this, N1, "直接买卖", false);
    N61->OnClick = [this](TObject *s) { N61Click(s); };
    NewItem(this, N1, "-");
    ThemeMenu = NewItem(this, N1, "风格选择");
    ZoneMenu = NewItem(this, N1, "时区设定");

    PageMenu = NewItem(this, bar, "页面管理");
    N3 = NewItem(this, PageMenu, "导入页面(&I)");
    NewItem(this, PageMenu, "-");
    NewItem(this, PageMenu, "新建页面(&N)")->OnClick = [this](TObject *s) { N10Click(s); };
    NewItem(this, PageMenu, "保存页面(&S)")->OnClick = [this](TObject *s) { N12Click(s); };
    NewItem(this, PageMenu, "另存页面(&A)")->OnClick = [this](TObject *s) { N19Click(s); };
    NewItem(this, PageMenu, "删除页面(&D)")->OnClick = [this](TObject *s) { N53Click(s); };
    N2 = NewItem(this, bar, "板块选择");
    ChartMenu = NewItem(this, bar, "图表分析");
    T1 = NewCheckItem(this, ChartMenu, "闪电图优先(&T)", true);
    MenuItem94 = NewCheckItem(this, ChartMenu, "动态优先(&D)", true);
    N51 = NewCheckItem(this, ChartMenu, "报价网格(&G)", false);
    N22 = NewItem(this, ChartMenu, "数据刷新(&R)");
    N22->OnClick = [this](TObject *s) { N22Click(s); };
    MenuItem117 = NewItem(this, bar, "技术分析");
    NewsMenu = NewItem(this, bar, "新闻资讯");
    WebMenu = NewItem(this, bar, "-");
    MobileMenu = NewItem(this, bar, "手机行情");
    N70 = NewItem(this, bar, "在线互动");
    MenuItem142 = NewItem(this, bar, "网上交易");
    MenuItem143 = NewItem(this, bar, "工具");
    O1 = NewCheckItem(this, MenuItem143, "预警开关(&O)", true);
    O1->OnClick = [this](TObject *s) { O1Click(s); };
    MenuItem144 = NewItem(this, MenuItem143, "板块设置(&B)");
    MenuItem144->OnClick = [this](TObject *s) { MenuItem144Click(s); };
    HelpMenu = NewItem(this, bar, "帮助");
    TMenuItem *userInfo = NewItem(this, HelpMenu, "用户信息(&I)");
    userInfo->OnClick = [this](TObject *s) { MenuItem170Click(s); };
    TMenuItem *about = NewItem(this, HelpMenu, "关于(&A)");
    about->OnClick = [](TObject *) {
        if (Right)
            Right->ShowModal();
    };

    PopupMenu1 = new TPopupMenu(this);
    TMenuItem *popup = PopupMenu1->Items;
    MenuItem99 = NewCheckItem(this, popup, "菜单栏(&M)", true);
    N4 = NewCheckItem(this, popup, "全屏显示(&F)", false);
    N4->OnClick = [this](TObject *s) { MenuItem95Click(s); };
    MenuItem100 = NewCheckItem(this, popup, "工具栏(&T)", true);
    PopupStatusBar = NewCheckItem(this, popup, "状态栏(&S)", true);
    PopupStatusBar->OnClick = [this](TObject *s) { MenuItem103Click(s); };

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
            NewItem(this, WebMenu, value.substr(0, colon).c_str(), n - 1);
    }
}
