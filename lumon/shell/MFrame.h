// The terminal's main frame: brings up every global object of the terminal in a
// fixed order when it is created (the login with the data-server clients among
// them), serves the market data core as its frame, keeps its display settings
// in SETTING.INI and takes everything down again in order when it closes.
#pragma once

#include <cstdint>

#include "lumon/core/FrameServices.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TTimer.h"

struct NewsRecord;
struct VIEW_ATTR;
struct TickerItem;

namespace win {
class TMainMenu;
class TMenuItem;
class TPopupMenu;
class TSavePictureDialog;
class TToolBar;
class TToolButton;
} // namespace win
class EToolTip;
class TMultiViewChild;

class TAlarm;
class EToolTip;
class TBlockGroup;
class TDataIO;
class TNormalClnt;
class TRealDataClnt;
class TUtilData;
class TMultiViewMain;
class TSmartKB;
class LSocketPool;

// The frame's data-server clients, each null while there is none. The frame
// creates and deletes both.
extern TNormalClnt *RequestClient;
extern TRealDataClnt *RealTimeClient;
// Set while a modal dialog of the frame is open (the login dialog, the fault
// handler's own work); the keyboard router and other dialogs test it.
extern uint8_t DialogBusy;
// The views' frame state beside it: a view is busy, a text entry has the keys,
// the page keys are the view's own.
extern uint8_t FrameBusy;
extern uint8_t TextEntryActive;
extern uint8_t PageKeysActive;
// Tick of the first fault of the current outage, 0 = none.
extern win::DWORD FaultStartTick;

// The display periods of SETTING.INI, in seconds.
extern int32_t SortTime;
extern int32_t PageTime;
extern int32_t RefreshTime;

// The order client's main window while it runs, else 0.
extern win::HWND OrderWindow;

// Messages of the frame the core does not declare.
constexpr win::UINT WM_ASK_SYSTEM_MESSAGES = 2526;
constexpr win::UINT WM_SHOW_CHAT = 2531;
constexpr win::UINT WM_CHAT_COMMAND = 2564; // to chatdesk: wParam 3 ends it
constexpr win::UINT WM_BLOCK_REMOVED = 2627;
constexpr win::UINT WM_ORDER_WINDOW = 4025;
constexpr win::UINT WM_ORDER_WINDOW_GONE = 4026;
// The 2026 kind of a settings change: reload the parameters, refresh the panes.
constexpr win::WPARAM DATA_PARAMETERS_CHANGED = 0x1003;

class TMFrame : public win::TForm, public TFrameServices {
public:
    explicit TMFrame(win::TComponent *Owner);
    ~TMFrame() override;

    void FormCreate(win::TObject *Sender);
    void FormShow(win::TObject *Sender);
    void FormCloseQuery(win::TObject *Sender, bool &CanClose);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    // The closing steps; runs once, from FormClose or, after a quit request
    // that ended the loop without closing the frame, from the program's entry.
    void TearDown();

    // 1 to go on, 0 when the start ends (the quit message posted in first-start mode).
    int ShowLoginDialog(uint8_t reconnect);
    void LoadDisplayParameters();
    // Message 2527: quiet retries for 20 s against the last server, then
    // through the balancing server, the question after 30 s at most.
    void ReconnectAfterFault();
    // Connect or disconnect from the menu, the tool button and message 2532.
    void C1Click(win::TObject *Sender);
    void WndProc(win::TMessage &Message) override;
    // Bit 0: the request client is connected; bit 1: the real-time client is.
    int GetConnectionState() const;

    // The menus built at start (FrameMenus.cpp).
    void BuildBlockMenus();
    void BuildUserBlockMenu();
    void BuildThemeMenu();
    void BuildZoneMenu();
    void BuildWebMenu();
    void NClick(win::TObject *Sender);
    // Opening the menu 系统: the connect item says what it will do.
    void N1Click(win::TObject *Sender);
    // "预警开关(&O)": toggles the alarm switch.
    void O1Click(win::TObject *Sender);
    // "数据刷新(&R)": the active pane reloads its data when it is a chart.
    void N22Click(win::TObject *Sender);

    // The market data core's frame.
    bool RequestNameTable(int market) override;
    bool RequestHistory(int market, const char *code, int period, int force, int argument) override;
    bool RequestTickData(StockId stock) override;
    bool RequestWeightFile(StockId stock) override;
    win::HWND GetFrameWindow() override;
    int SendDataRequest(const DataRequest &request) override;
    bool HasMarketRight(int market, int function) override;
    bool HasFunctionRight(int n) override;
    void SetRights(const uint8_t *block, int ymd) override;
    bool FaultPending() override { return FaultAsked != 0; }
    void SetLastRealtimeMessageId(int32_t id) override { LastRtMsgId = id; }
    const char *GetTempDirectory() override { return TempDirectory; }
    int ShowUpdateNotice() override;
    int ConnectToServer(win::HWND dialog, const char *user, const char *password) override;
    int StartRealDataClient(win::HWND dialog) override;
    win::HWND FindPaneWindow(const void *requester) override;
    void RedrawFastChangeColumn(const void *requester) override;
    // Every notes pane of the page whose pending note is `name` shows it (FrameNews.cpp).
    void ShowNote(const char *name) override;
    // Message 2627: every quote list of the page drops the deleted block's tabs.
    void RemoveBlockTabs(int blockId);

    // The message hub (FrameMessages.cpp).
    void WMActivate(win::TMessage &Message);
    void WMNCMouseMove(win::TMessage &Message);
    // Calls the notification entry of every open, non-empty pane of the page,
    // last first.
    void NotifyViews(int code, int32_t a, int32_t b, int32_t c);
    void OnDataChanged(win::WPARAM kind, win::LPARAM record);
    // A pane asks for a view of the attributes (2026 kind 0).
    void OpenRequestedView(VIEW_ATTR &attr);
    void OnNewsFlash(const NewsRecord &record);
    void OnChatLink(win::WPARAM command, win::LPARAM window);
    void OnServerData(win::WPARAM kind, win::LPARAM key);
    // Sends the connected session's user and password to the chat client.
    void SendChatCredentials();

    // The timers (FrameTimers.cpp).
    void Timer1Timer(win::TObject *Sender);
    void Timer2Timer(win::TObject *Sender);
    // The second line of .\RTMSG.TXT as a ticker item.
    void ShowRealtimeMessageLine();
    void StartMarketDays();

    // The stocks the server is to push: index entries, alarms, panes (VisibleStocks.cpp).
    void SubscribeVisibleStocks();

    // The status bar (StatusBar.cpp).
    void BuildStatusBar();
    void StatusBox1Paint(win::TObject *Sender);
    void StatusBox1DblClick(win::TObject *Sender);
    void StatusBox4Paint(win::TObject *Sender);
    void StatusBox5Paint(win::TObject *Sender);
    void StatusBox6Paint(win::TObject *Sender);
    // The text views' answers and news flashes, and the ticker double-click,
    // which opens the news view on the item clicked (FrameNews.cpp).
    void RouteTextAnswer(TMultiViewChild *pane, int type, int detail, win::LPARAM key);
    void NewsFlashToPanes(const NewsRecord &record);
    void StatusBox6DblClick(win::TObject *Sender);
    // Draws the four status letters, letter `red` in red (-1: none).
    void DrawStatusLetters(int red);
    void AddTickerItem(const char *text, int length);

    win::TPanel *StatusBar = nullptr;
    win::TPaintBox *StatusBox1 = nullptr;
    win::TPaintBox *StatusBox6 = nullptr;
    win::TPaintBox *StatusBox2 = nullptr;
    win::TPaintBox *StatusBox4 = nullptr;
    win::TPaintBox *StatusBox5 = nullptr;
    win::TTimer *Timer1 = nullptr;
    win::TTimer *Timer2 = nullptr;
    // Where the last press in status box 1 (the ticker) was.
    int32_t StatusClickX = 0;
    int32_t TickerClickX = 0;
    TickerItem *TickerList = nullptr;
    int32_t TickerOffset = 0;
    int32_t ServerMinutes = 0;
    int32_t PrevServerMinutes = 0;
    // The process started as the chat client, 0 when none.
    win::DWORD ChatProcessId = 0;
    // State of Timer1.
    int32_t TickCounter = 0;
    int32_t KeepAliveOffset = 1500;
    uint32_t LastSort = 0, LastPage = 0, LastRefresh = 0;
    int32_t IndicatorIndex = 0;
    uint8_t DayStartState[16] = {};

    uint8_t StartAborted = 0;
    uint8_t CyclicDisplay = 0;
    uint8_t FaultAsked = 0;
    uint8_t TornDown = 0;
    // The mode of the login dialog that is open.
    uint8_t LoginReconnect = 0;
    uint8_t LoginOpen = 0;
    struct IndexFigures {
        int32_t PrevClose;
        int32_t LastPrice;
        float Amount;
    } IndexQuote[2] = {};
    char StatusLetters[4][2] = {};
    win::HWND ChatWindow = 0;
    int32_t LastRtMsgId = -1;
    uint8_t Rights[48] = {};
    int32_t RightsDate = 0;
    char UserName[32] = {};
    char Password[32] = {};
    char TempDirectory[240] = {};

    win::AnsiString CaptionSetting;

    // The frame's menus and the items it reaches by name. The check marks of
    // the settings file live on their items.
    win::TMainMenu *MainMenu1 = nullptr;
    win::TPopupMenu *PopupMenu1 = nullptr;
    win::TMenuItem *N1 = nullptr;           // 系统
    win::TMenuItem *C1 = nullptr;           // 连接主站(&C) / 断开连接(&D)
    win::TMenuItem *ToolBarItem = nullptr;  // 工具栏 (TableDef ToolBar)
    win::TMenuItem *MenuItem103 = nullptr;  // 状态栏 (TableDef StatuBar)
    win::TMenuItem *N36 = nullptr;          // 画线工具 (LineToolDocked)
    win::TMenuItem *N37 = nullptr;          // 周期选择 (CycleChoice)
    win::TMenuItem *N61 = nullptr;          // 直接买卖 (Directbysell)
    win::TMenuItem *ThemeMenu = nullptr;    // 风格选择
    win::TMenuItem *ZoneMenu = nullptr;     // 时区设定
    win::TMenuItem *PageMenu = nullptr;     // 页面管理
    win::TMenuItem *N2 = nullptr;           // 板块选择
    win::TMenuItem *ChartMenu = nullptr;    // 图表分析
    win::TMenuItem *T1 = nullptr;           // 闪电图优先(&T) (TickFirst)
    win::TMenuItem *MenuItem94 = nullptr;   // 动态优先(&D) (TrendFirst)
    win::TMenuItem *N51 = nullptr;          // 报价网格(&G) (ReportGridding)
    win::TMenuItem *N22 = nullptr;          // 数据刷新(&R): the active chart reloads its data
    win::TMenuItem *MenuItem117 = nullptr;  // 技术分析
    win::TMenuItem *NewsMenu = nullptr;     // 新闻资讯
    win::TMenuItem *WebMenu = nullptr;      // the web links, captioned from [WEB] MenuName
    win::TMenuItem *MobileMenu = nullptr;   // 手机行情
    win::TMenuItem *N70 = nullptr;          // 在线互动
    win::TMenuItem *MenuItem142 = nullptr;  // 网上交易
    win::TMenuItem *MenuItem143 = nullptr;  // 工具
    win::TMenuItem *O1 = nullptr;           // 预警开关(&O): quotes feed the alarm store
    win::TMenuItem *HelpMenu = nullptr;     // 帮助
    win::TMenuItem *MenuItem99 = nullptr;   // pop-up 菜单栏(&M)
    win::TMenuItem *N4 = nullptr;           // pop-up 全屏显示(&F)
    win::TMenuItem *MenuItem100 = nullptr;  // pop-up 工具栏(&T)
    win::TMenuItem *PopupStatusBar = nullptr; // pop-up 状态栏(&S)

    // ---- Keys, tool bar, pages and order programs --------------------------
    // The keyboard router (FrameKeys.cpp): the application's message hook.
    void AppMessage(win::MSG &Msg, bool &Handled);
    // Activates the pane and, while another pane fills the page, maximises it.
    void BringForward(TMultiViewChild *pane);
    // An intraday pane's tick mode follows "闪电图优先"; a pane just made only
    // leaves tick mode.
    void AgreeTickMode(TMultiViewChild *pane, bool created);
    // Shows the active pane's stock in a linked pane of the type, or in a new
    // view in the active pane's place; `withValue` passes the value after the
    // stock too; `chosen` names another stock than the pane's, without a list.
    void ShowStockInView(uint16_t type, bool withValue, const StockId *chosen = nullptr);
    void ShowIndexChart(int market);
    void ToggleHotKeyHelp();

    // The tool bar (FrameTools.cpp).
    void BuildToolBar();
    // Shows or hides tool group 0 to 4; other numbers do nothing.
    void ShowToolGroup(bool visible, int group);
    void ToolButton2Click(win::TObject *Sender);
    void ToolButton3Click(win::TObject *Sender);
    void ToolButton5Click(win::TObject *Sender);
    void ToolButton6Click(win::TObject *Sender);
    void ToolButton7Click(win::TObject *Sender);
    void ToolButton8Click(win::TObject *Sender);
    void MenuItem95Click(win::TObject *Sender);
    void AppHint(win::TObject *Sender);
    // Box 0 is status box 1, 3 status box 4, 5 status box 6.
    void SetStatusText(int box, const char *text);
    void RunHelpProgram();

    // The page menus and page commands (FramePages.cpp).
    // -1: the selection of LASTPAGE.DAT, -2: none, 0: the default page, k: page k.
    void BuildPageMenus(int selection);
    // Builds them again with the current page checked (after the table changed).
    void RebuildPageMenus();
    void OpenPageClick(win::TObject *Sender);
    // Opens page index 0 (the default page) or k (page-table entry k - 1).
    void OpenPage(int index);
    void N10Click(win::TObject *Sender);
    void N12Click(win::TObject *Sender);
    void N19Click(win::TObject *Sender);
    void N53Click(win::TObject *Sender);
    void ToolButton4Click(win::TObject *Sender);
    void StatusBox2Paint(win::TObject *Sender);
    void StatusBox2Click(win::TObject *Sender);
    void MenuItem103Click(win::TObject *Sender);
    // A pane of the page shows nothing (panes tested last first).
    bool PageHasEmptyPane() const;
    // For a page without a file: asks whether to save it; false when a save was
    // asked for but an empty pane refused it.
    bool AskSaveNewPage();
    // Puts `page` in place of the current page, which is closed and deleted.
    void ReplacePage(TMultiViewMain *page);
    // Writes LASTPAGE.DAT (260 bytes); false when it cannot be written.
    static bool WriteLastPage(const char *path);

    // The order programs (FrameTrading.cpp).
    void BuildTradingMenu();
    void MenuItem142Click(win::TObject *Sender);
    // The order-program list editor (wired where the editor lives).
    void N30Click(win::TObject *Sender);
    void ToolButton23Click(win::TObject *Sender);
    void N61Click(win::TObject *Sender);

    win::TToolBar *ToolBar1 = nullptr;
    win::TToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr,
                     *ToolButton4 = nullptr, *ToolButton5 = nullptr, *ToolButton6 = nullptr,
                     *ToolButton7 = nullptr, *ToolButton8 = nullptr, *ToolButton9 = nullptr,
                     *ToolButton11 = nullptr, *ToolButton12 = nullptr, *ToolButton13 = nullptr,
                     *ToolButton14 = nullptr, *ToolButton15 = nullptr, *ToolButton17 = nullptr,
                     *ToolButton18 = nullptr, *ToolButton19 = nullptr, *ToolButton22 = nullptr,
                     *ToolButton23 = nullptr, *ToolButton24 = nullptr, *ToolButton25 = nullptr,
                     *LineBtn = nullptr;
    win::TToolButton *B[20] = {};      // B1 to B20
    win::TToolButton *Cycle[12] = {};  // Cycle1 to Cycle12
    win::TMenuItem *MenuItem95 = nullptr;  // 全屏显示(&F)
    win::TMenuItem *N3 = nullptr;          // 导入页面(&I)
    win::TPopupMenu *PopupMenu2 = nullptr; // the page box's menu
    win::AnsiString PageLabel;
    // The page index the keyboard wizard chose, for OpenPageClick.
    int32_t ChosenPage = 0;
    // The bounds and state full-screen mode left.
    struct SavedBounds {
        int Left, Top, Width, Height;
        win::TWindowState State;
    } FullScreenSaved = {};

    TUtilData *Util = nullptr;
    TDataIO *DataStore = nullptr;
    TBlockGroup *Blocks = nullptr;
    TAlarm *Alarms = nullptr;
    LSocketPool *SocketPool = nullptr;
    // The page shown in the client area; null before the first page opens.
    TMultiViewMain *CurrentPage = nullptr;
    // The hint tooltip of the frame and its panes, made on first use (HintTooltip).
    EToolTip *HintTip = nullptr;
    // The hint tooltip, made now when there is none yet.
    EToolTip *HintTooltip();

    // The keyboard wizard and the user-information box (FrameWizard.cpp).
    // Creates the wizard (start-up, after the indicator definitions) when there is none.
    void CreateSmartKB();
    // Destroys the wizard (close).
    void DeleteSmartKB();
    // A typed character: opens the wizard at the frame's lower right with the
    // character in its box and acts on the choice. True when the character is
    // handled; a page chosen is left in the wizard's PageIndex for OpenPageClick.
    bool WizardKeyChar(win::MSG &msg);
    // "用户信息(&I)": the user-information box, modal.
    void MenuItem170Click(win::TObject *Sender);
    TSmartKB *SmartKB = nullptr;

    // ---- Themes, time zones, web links, helper programs (FrameThemes.cpp) ----
    // Makes theme n current: its colours and fonts, the shared fonts set again,
    // every pane of the page recoloured (last first) and the page repainted.
    void ApplyTheme(int n);
    void ColorClick(win::TObject *Sender);
    // "显示风格": the next theme, or theme 0 after the last one.
    void ToolButton15Click(win::TObject *Sender);
    void ReferZoneClick(win::TObject *Sender);
    void WebClick(win::TObject *Sender);
    void N21Click(win::TObject *Sender);
    void N24Click(win::TObject *Sender);
    void N47Click(win::TObject *Sender);
    void ToolButton11Click(win::TObject *Sender);
    void MenuItem167Click(win::TObject *Sender);
    void N67Click(win::TObject *Sender);
    // Opens the file through the shell; on failure shows `failure` and answers false.
    bool StartHelper(const char *file, const char *failure);
    void HelperFailed(const char *text);

    // ---- Menu and tool-button commands (FrameCommands.cpp) -----------------
    // Gives the tool buttons and the frame's events their command handlers.
    void ConnectCommands();
    // The page's active pane while it is on the page, else null.
    TMultiViewChild *ActiveView() const;
    // The active pane when it shows a view of the type, else null.
    TMultiViewChild *ActiveViewOf(uint16_t type) const;
    // Calls a view operation of the commands on the pane (0 without one).
    int ViewCommand(TMultiViewChild *pane, int command, int arg = 0);
    void MenuItem94Click(win::TObject *Sender);
    void T1Click(win::TObject *Sender);
    void N51Click(win::TObject *Sender);
    void MenuItem99Click(win::TObject *Sender);
    void MenuItem100Click(win::TObject *Sender);
    void N36Click(win::TObject *Sender);
    void N37Click(win::TObject *Sender);
    void N54Click(win::TObject *Sender);
    void N11Click(win::TObject *Sender);
    void N71Click(win::TObject *Sender);
    void MenuItem90Click(win::TObject *Sender);
    void MenuItem109Click(win::TObject *Sender);
    void N58Click(win::TObject *Sender);
    void N59Click(win::TObject *Sender);
    void N57Click(win::TObject *Sender);
    void N14Click(win::TObject *Sender);
    void TICK1Click(win::TObject *Sender);
    void N15Click(win::TObject *Sender);
    void N16Click(win::TObject *Sender);
    void MenuItem117Click(win::TObject *Sender);
    void I1Click(win::TObject *Sender);
    void ToolButton12Click(win::TObject *Sender);
    void A1Click(win::TObject *Sender);
    void MenuItem127Click(win::TObject *Sender);
    void N32Click(win::TObject *Sender);
    void N17Click(win::TObject *Sender);
    void N65Click(win::TObject *Sender);
    void N40Click(win::TObject *Sender);
    void MenuItem119Click(win::TObject *Sender);
    void CycleClick(win::TObject *Sender);
    void MenuItem128Click(win::TObject *Sender);
    void LineBtnClick(win::TObject *Sender);
    void LineClick(win::TObject *Sender);
    void BClick(win::TObject *Sender);
    void B20Click(win::TObject *Sender);
    void Line20Click(win::TObject *Sender);
    void ToolButton22Click(win::TObject *Sender);
    void ToolButton9Click(win::TObject *Sender);
    void ToolButton1Click(win::TObject *Sender);
    void ToolButton14Click(win::TObject *Sender);
    void F101Click(win::TObject *Sender);
    void N26Click(win::TObject *Sender);
    void N44Click(win::TObject *Sender);
    void N45Click(win::TObject *Sender);
    void MenuItem143Click(win::TObject *Sender);
    void MenuItem145Click(win::TObject *Sender);
    void N64Click(win::TObject *Sender);
    void N70Click(win::TObject *Sender);
    void ToolButton18Click(win::TObject *Sender);
    void N72Click(win::TObject *Sender);
    void FormActivate(win::TObject *Sender);
    void FormResize(win::TObject *Sender);
    // The drawing tool: -1 none, 0..16 the line kinds, 17 the eraser, 18 delete all.
    int32_t DrawingTool = -1;
    // The drawing-tool box, made on first use; null before.
    win::TForm *LineToolBox = nullptr;
    win::TMenuItem *N14 = nullptr, *TICK1 = nullptr, *N15 = nullptr, *N16 = nullptr;
    win::TMenuItem *N11 = nullptr;          // 联动(&S)
    win::TMenuItem *N40Menu = nullptr;      // 除权状态
    win::TMenuItem *N40Items[4] = {};       // 还原 .. 前复权
    win::TMenuItem *MenuItem128 = nullptr;  // 画线工具 (drawing items)
    win::TMenuItem *Line[20] = {};          // Line1 .. Line20
    win::TMenuItem *MenuItem145 = nullptr;  // 编辑栏目(&E)
    win::TMenuItem *N47 = nullptr;          // 热键说明(&K), hidden
    win::TMenuItem *N64 = nullptr;          // 在线支持(&Q), hidden
    win::TSavePictureDialog *SavePictureDialog1 = nullptr;

private:
    void CreateMenus();
    // Shows the stock of the active pane in an intraday pane in tick or minute mode.
    void ShowTrend(bool tick);
    // The notes pane of the exchange (0 Shanghai, 2 Shenzhen).
    void ShowExchangeNotes(int exchange);
    // Lifts the current tool's buttons and items; the tool becomes `tool`.
    void SelectDrawingTool(int tool);
    // Asks and deletes every drawn line of the active K-line pane.
    void DeleteAllLines();
    void ReadFrameSettings();
    void WriteFrameSettings();
    void StartChatClient();
    void CopyIndexQuote();
    void DeleteClients();
    void AskFaultQuestion();

public:
    // The order hand-over (OrderBridge.cpp): message 2575 for the stock, to buy
    // or to sell; the order client's settings are prepared once per run.
    void PlaceOrder(StockId stock, int buy);
    uint8_t OrderBridgeReady = 0;
    // The alarm windows, the message window and cyclic display (FrameDialogs.cpp).
    // Message 2530: the fired alarms' window shown (made when there is none) and
    // refreshed, and the alarm list refreshed when it is open.
    void ShowFiredAlarms();
    // The message window of mode 97 (system messages), 98 (real-time messages)
    // or 99 (the disclaimer) with its caption, shown in front.
    void ShowMessageWindow(int mode, const char *caption);
    void S1Click(win::TObject *Sender);   // 预警设置(&S)
    void L1Click(win::TObject *Sender);   // 预警列表(&L), tool button 预警设置
    void N55Click(win::TObject *Sender);  // 循环报价
    void N52Click(win::TObject *Sender);  // 系统消息(&B)
    void N63Click(win::TObject *Sender);  // 免责条款(&N)
    void MenuItem144Click(win::TObject *Sender);  // 板块设置(&B): the block dialog
    win::TMenuItem *MenuItem144 = nullptr;
};

// The frame, as the shell reaches it; null while there is none.
TMFrame *MainFrame();

// A market's name as the block menus and block tabs show it: a name longer
// than 4 bytes loses a trailing "市场".
win::AnsiString ShortMarketName(const char *name);
