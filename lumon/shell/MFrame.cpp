#include "lumon/shell/MFrame.h"
#include "lumon/shell/AlarmForm.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/Alarm.h"
#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/EToolTip.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/core/ui/TClientRight.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/core/EToolTip.h"
#include "lumon/shell/HotKeyDlg.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/NoticeForm.h"
#include "lumon/shell/PageManager.h"
#include "lumon/shell/StatusBar.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TToolBar.h"
#include "platform/win/ExclusiveFile.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"
#include "platform/win/Time.h"

using namespace win;

TNormalClnt *RequestClient = nullptr;
TRealDataClnt *RealTimeClient = nullptr;
uint8_t DialogBusy = 0;
uint8_t FrameBusy = 0;
uint8_t TextEntryActive = 0;
uint8_t PageKeysActive = 0;
DWORD FaultStartTick = 0;
int32_t SortTime = 30;
int32_t PageTime = 15;
int32_t RefreshTime = 30;
HWND OrderWindow = 0;

namespace {

const char kSettings[] = "..\\CFG\\SETTING.INI";
TMFrame *theFrame = nullptr;

// Boxes of the frame: owned by its window, on top of all windows.
int FrameBox(const char *text, const char *title, UINT type)
{
    HWND owner = theFrame && theFrame->HandleAllocated() ? theFrame->Handle : HWND(0);
    return MessageBoxA(owner, text, title, type | MB_TOPMOST);
}

// Bit n of a rights area, counted from the most significant bit of each byte.
bool RightsBit(const uint8_t *area, int n) { return (area[n / 8] & (0x80 >> (n % 8))) != 0; }

const StockStaticRecord *StockOf(StockId stock)
{
    return TDataIO::GetStock(stock);
}

} // namespace

TMFrame *MainFrame() { return theFrame; }

TMFrame::TMFrame(TComponent *Owner) : TForm(Owner)
{
    // The markets loading on the login thread already ask the frame for their
    // name tables, so the frame is the core's frame before the login step.
    theFrame = this;
    MFrame = this;
    // A new frame has seen no outage yet: an earlier frame's start of one does
    // not age this frame's faults.
    FaultStartTick = 0;
    Caption = "lumo";
    Font->Name = "Tahoma";
    Font->Height = -14;
    FontChanged();
    Position = poDesktopCenter;
    Color = clBtnShadow;
    CreateMenus();
    OnCreate = [this](TObject *s) { FormCreate(s); };
    OnShow = [this](TObject *s) { FormShow(s); };
    OnCloseQuery = [this](TObject *s, bool &c) { FormCloseQuery(s, c); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    BuildToolBar();
    BuildStatusBar();
    ConnectCommands();
    StatusBox2->OnPaint = [this](TObject *s) { StatusBox2Paint(s); };
    StatusBox2->OnClick = [this](TObject *s) { StatusBox2Click(s); };
    // Timer1 starts once the frame is created; the ticker scrolls from the start.
    Timer1 = new TTimer(this);
    Timer1->Enabled = false;
    Timer1->Interval = 1000;
    Timer1->OnTimer = [this](TObject *s) { Timer1Timer(s); };
    Timer2 = new TTimer(this);
    Timer2->Interval = 100;
    Timer2->OnTimer = [this](TObject *s) { Timer2Timer(s); };
}

TMFrame::~TMFrame()
{
    TearDown();
    FreeTickerList(TickerList);
    if (MFrame == this)
        MFrame = nullptr;
    if (theFrame == this)
        theFrame = nullptr;
}

void TMFrame::FormCreate(TObject *)
{
    LoadPageList();
    // The temporary-files folder of the ranking answers: this user's own, never
    // the shared one; one that does not fit the buffer is left empty (the
    // answers then go to the same folder by the data core's own rule).
    const std::string temp = PrivateTempFolder();
    if (temp.size() < sizeof TempDirectory)
        std::memcpy(TempDirectory, temp.c_str(), temp.size() + 1);
    else
        TempDirectory[0] = 0;

    std::strcpy(StatusLetters[0], "l");
    std::strcpy(StatusLetters[1], "u");
    std::strcpy(StatusLetters[2], "m");
    std::strcpy(StatusLetters[3], "o");
    CyclicDisplay = 0;
    MenuItem94->Checked = true;
    WindowState = wsMaximized;

    LoadDisplayParameters();
    Util = new TUtilData(1);
    LoadIndexDefinitions("Guest");
    CreateSmartKB();
    SocketPool = new LSocketPool();

    if (ShowLoginDialog(0) == 0) {
        StartAborted = 1;
        return;
    }

    Blocks = new TBlockGroup();
    BuildTradingMenu();
    BuildBlockMenus();
    BuildUserBlockMenu();
    for (int group = 0; group < 4; ++group)
        ShowToolGroup(false, group);
    BuildPageMenus(-1);
    Application->OnMessage = [this](MSG &m, bool &handled) { AppMessage(m, handled); };
    Application->OnHint = [this](TObject *s) { AppHint(s); };

    if (RealTimeClient && RealTimeClient->Connect() == 0) {
        FrameBox("无法取得即时数据.  ", "网络提示", MB_ICONERROR);
        delete RealTimeClient;
        RealTimeClient = nullptr;
    }

    BuildThemeMenu();
    BuildZoneMenu();
    ReadFrameSettings();
    BuildWebMenu();
    // The menu bar is laid out once, with every item the start built.
    Menu = MainMenu1;

    if (!Alarms) {
        Alarms = new TAlarm();
        // The checking thread posts its alarms to the frame's window, which it
        // takes when it starts: the window is made now if it is not there yet.
        HandleNeeded();
        Alarms->StartCheckThread();
    }
    CopyIndexQuote();
    StartChatClient();
    if (RequestClient && RequestClient->IsConnected())
        RequestClient->RequestNewsSinceLast(0);
    Timer1->Enabled = true;
}

void TMFrame::FormShow(TObject *)
{
    if (StartAborted)
        return;
    if (!CurrentPage) {
        // The page chosen by the page menus: the last page, else the default one.
        CurrentPage = new TMultiViewMain(this, PAGE_FILE, "");
        CurrentPage->Align = alClient;
        CurrentPage->AfterConstruction();
        CurrentPage->Show();
    }
    PostMessageA(Handle, WM_ASK_SYSTEM_MESSAGES, 0, 0);
}

void TMFrame::LoadDisplayParameters()
{
    TIniFile ini(kSettings);
    SortTime = ini.ReadInteger("PARAMETER", "SortTime", 30);
    PageTime = ini.ReadInteger("PARAMETER", "PageTime", 15);
    RefreshTime = ini.ReadInteger("PARAMETER", "RefreshTime", 30);
}

void TMFrame::ReadFrameSettings()
{
    TIniFile ini(kSettings);
    LastRtMsgId = ini.ReadInteger("PARAMETER", "LastRtMsgID", -1);
    T1->Checked = ini.ReadBool("TableDef", "TickFirst", true);
    MenuItem94->Checked = ini.ReadBool("TableDef", "TrendFirst", true);
    N51->Checked = ini.ReadBool("TableDef", "ReportGridding", false);
    ToolBarItem->Checked = ini.ReadBool("TableDef", "ToolBar", true);
    MenuItem100->Checked = ToolBarItem->Checked;
    MenuItem103->Checked = ini.ReadBool("TableDef", "StatuBar", true);
    PopupStatusBar->Checked = MenuItem103->Checked;
    N36->Checked = ini.ReadBool("PARAMETER", "LineToolDocked", false);
    N37->Checked = ini.ReadBool("PARAMETER", "CycleChoice", false);
    N61->Checked = ini.ReadBool("PARAMETER", "Directbysell", false);
    CaptionSetting = ini.ReadString("PARAMETER", "Caption", "");
    if (!CaptionSetting.IsEmpty())
        Caption = AnsiString("lumo ") + CaptionSetting;
    ToolBar1->Visible = ToolBarItem->Checked;
    StatusBar->Visible = MenuItem103->Checked;
    ShowToolGroup(N61->Checked, 4);
}

void TMFrame::WriteFrameSettings()
{
    TIniFile ini(kSettings);
    ini.WriteBool("TableDef", "TickFirst", T1->Checked);
    ini.WriteBool("TableDef", "TrendFirst", MenuItem94->Checked);
    ini.WriteBool("PARAMETER", "LineToolDocked", N36->Checked);
    ini.WriteBool("PARAMETER", "CycleChoice", N37->Checked);
    ini.WriteBool("PARAMETER", "Directbysell", N61->Checked);
    ini.WriteInteger("THEME", "LastTheme", LastTheme);
}

void TMFrame::CopyIndexQuote()
{
    // Only markets and stocks that exist are read.
    for (int m = 0; m < 2; ++m) {
        IndexQuote[m] = {};
        if (m >= MarketTable.Count || !MarketTable.Markets[m])
            continue;
        const TMarketData &market = *MarketTable.Markets[m];
        if (market.StockCount < 1 || !market.Quotes)
            continue;
        IndexQuote[m].PrevClose = int32_t(market.Quotes[0].PrevClose);
        IndexQuote[m].LastPrice = int32_t(market.Quotes[0].Last);
        IndexQuote[m].Amount = market.Quotes[0].Amount;
    }
}

void TMFrame::StartChatClient()
{
    char commandLine[16];
    std::snprintf(commandLine, sizeof commandLine, "%u", unsigned(uintptr_t(Handle)));
    STARTUPINFOA startup{};
    startup.cb = 68;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(".\\chatdesk.dll", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
        ChatProcessId = info.dwProcessId;
        if (info.hThread)
            CloseHandle(info.hThread);
        if (info.hProcess)
            CloseHandle(info.hProcess);
    }
}

void TMFrame::DeleteClients()
{
    delete RequestClient;
    RequestClient = nullptr;
    delete RealTimeClient;
    RealTimeClient = nullptr;
}

void TMFrame::FormCloseQuery(TObject *, bool &CanClose)
{
    CanClose = true;
    if (!CurrentPage)
        return;
    const AnsiString path = CurrentPage->Path;
    if (path == "Default" || path.AnsiCompareIC(DefaultPagePath) == 0) {
        const int answer = FrameBox("退出程序前,存储当前页面吗?", "另存页面",
                                    MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDCANCEL) {
            CanClose = false;
        } else if (answer == IDYES) {
            // The user asked to keep the page: the frame stays open unless it
            // was saved under a name.
            N19Click(this);
            CanClose = CurrentPage && CurrentPage->Path != path;
        }
        return;
    }
    if (FrameBox("退出金融投资分析系统?  ", "确认", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES) {
        CanClose = false;
        return;
    }
    if (!path.IsEmpty())
        return;
    if (FrameBox("是否保存当前页面?  ", "保存页面", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (PageHasEmptyPane()) {
        FrameBox("请指定空白窗口的内容.  ", "提示", MB_ICONEXCLAMATION);
        CanClose = false;
        return;
    }
    CurrentPage->SavePage(0);
}

void TMFrame::FormClose(TObject *, TCloseAction &) { TearDown(); }

void TMFrame::TearDown()
{
    if (TornDown)
        return;
    TornDown = 1;
    Timer1->Enabled = false;
    if (ChatWindow) {
        PostMessageA(ChatWindow, WM_CHAT_COMMAND, 3, 0);
        ChatWindow = 0;
    }
    DeleteClients();
    DeleteSmartKB();
    // A start that was aborted, or never ran, read none of the settings it
    // would write back (the block table comes right after the login step):
    // the user's file keeps its values.
    if (!StartAborted && Blocks) {
        WriteFrameSettings();
        if (ViewHooks.WriteTableDefs)
            ViewHooks.WriteTableDefs();
    }
    if (Alarms) {
        Alarms->StopCheckThread();
        // The alarm windows read the store: they go before it.
        DestroyAlarmWindows();
        delete Alarms; // saves ALARM.SET
        Alarms = nullptr;
    }
    // The current page is remembered and closed (its own close saves a page
    // that has a file). The default page is remembered as "Default", whichever
    // of its two paths it holds.
    if (CurrentPage) {
        const AnsiString &path = CurrentPage->Path;
        const bool isDefault = path == "Default" || path.AnsiCompareIC(DefaultPagePath) == 0;
        if (!path.IsEmpty() && !WriteLastPage(isDefault ? "Default" : path.c_str()))
            FrameBox(LastPagePath, "写文件失败: LASTPAGE.DAT.  ", MB_ICONERROR);
        TMultiViewMain *page = CurrentPage;
        CurrentPage = nullptr;
        page->Perform(WM_CLOSE, 0, 0);
        delete page;
    }
    if (HotKeyHelp) {
        delete HotKeyHelp;
        HotKeyHelp = nullptr;
    }
    if (HWND tray = FindWindowA("Shell_trayWnd", nullptr))
        ShowWindow(tray, SW_SHOW);
    if (Application) {
        Application->OnHint = nullptr;
        Application->OnMessage = nullptr;
    }
    delete HintTip;
    HintTip = nullptr;
    delete DataStore; // each market writes its quote snapshot
    DataStore = nullptr;
    delete Util;
    Util = nullptr;
    delete Blocks;
    Blocks = nullptr;
    delete SocketPool;
    SocketPool = nullptr;
}

int TMFrame::ShowLoginDialog(uint8_t reconnect)
{
    DialogBusy = 1;
    LoginOpen = 1;
    LoginReconnect = reconnect;
    auto *dialog = new TClientRight(this, reconnect);
    if (reconnect) {
        dialog->Button3->Visible = false;
        dialog->Button2->Caption = "取      消";
    }
    dialog->AfterConstruction();
    int result = dialog->ShowModal();
    HANDLE thread = dialog->LoginThread;
    delete dialog;
    // The thread knows the dialog only by its window. A send it made while the
    // window still existed waits for this thread to serve it (it then finds the
    // window gone and returns), so the join serves sent messages while it waits.
    if (thread) {
        MSG msg;
        while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT)
            PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);
        CloseHandle(thread);
    }
    DialogBusy = 0;
    LoginOpen = 0;
    if (result == 3) {
        FrameBox("脱机浏览无法取得即时数据.  ", "警告", MB_ICONEXCLAMATION);
        if (!DataStore)
            DataStore = new TDataIO(0);
        if (MarketTable.Status == -1) {
            FrameBox("初始化数据失败", "提示", MB_ICONERROR);
            PostQuitMessage(0);
            return 0;
        }
        return 1;
    }
    if (result == 1)
        return 1;
    if (!reconnect)
        PostQuitMessage(0);
    return 0;
}

int TMFrame::ConnectToServer(HWND dialog, const char *user, const char *password)
{
    if (RequestClient) {
        if (RequestClient->IsConnected())
            RequestClient->Disconnect();
        delete RequestClient;
        RequestClient = nullptr;
    }
    // The client is the frame's only once it is built and logged in: the fault
    // handler must not see it half made.
    auto *client = new TNormalClnt();
    client->SetUser(user, password);
    std::memset(UserName, 0, sizeof UserName);
    std::memset(Password, 0, sizeof Password);
    std::strncpy(UserName, user, sizeof UserName - 1);
    std::strncpy(Password, password, sizeof Password - 1);

    bool ok = true;
    if (GetPrivateProfileIntA("Server", "NoJH", 0, ".\\server.ini") == 0) {
        SendMessageA(dialog, WM_LOGIN_SEARCH, 0, 0);
        if (client->Open() == 1)
            ok = client->Login() == 0;
    }
    if (ok) {
        SendMessageA(dialog, WM_LOGIN_CONNECT, 0, 0);
        ok = client->ConnectServer() == 1;
        if (ok) {
            SendMessageA(dialog, WM_LOGIN_VERSION, 0, 0);
            ok = client->Login() == 0;
        }
    }
    if (!ok) {
        SendMessageA(dialog, WM_MARKET_FAILED, 0, 0);
        client->Disconnect();
        const char *text = client->GetErrorText();
        FrameBox(text && *text ? text : "网络连接超时，请重新连接!", "登录提示", MB_ICONERROR);
        SendMessageA(dialog, WM_MARKET_FAILED, 0, 0);
        delete client;
        return 0;
    }
    RequestClient = client;
    if (LoginReconnect)
        return 1;
    if (RequestClient->CheckVersion(dialog) == 1) {
        delete RequestClient;
        RequestClient = nullptr;
        return 0;
    }
    return 1;
}

int TMFrame::StartRealDataClient(HWND dialog)
{
    if (!RequestClient)
        return 0;
    RealTimeClient = new TRealDataClnt(RequestClient->GetServerAddress());
    if (LoginReconnect) {
        // The markets are loaded already.
        RequestClient->StartAsyncEvents();
        return 0;
    }
    DataStore = new TDataIO(dialog);
    if (MarketTable.Status == -1) {
        FrameBox("初始化数据失败", "提示", MB_ICONERROR);
        PostQuitMessage(0);
        return 1;
    }
    RequestClient->StartAsyncEvents();
    return 0;
}

HWND TMFrame::FindPaneWindow(const void *requester)
{
    if (!CurrentPage || !requester)
        return 0;
    for (int i = 0; i < CurrentPage->Panes->GetCount(); ++i)
        if (CurrentPage->Panes->GetAt(i) == requester)
            return CurrentPage->Panes->GetAt(i)->Handle;
    return 0;
}

void TMFrame::AskFaultQuestion()
{
    int answer = MessageBoxA(0, "网络故障，请检查您的网络，是否重新连接？  ", "提示",
                             MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST);
    PostMessageA(Handle, answer == IDYES ? WM_RECONNECT : WM_DROP_CLIENTS, 0, 0);
}

void TMFrame::ReconnectAfterFault()
{
    DWORD now = GetTickCount();
    if (FaultStartTick == 0)
        FaultStartTick = now;
    DWORD age = (now - FaultStartTick) / 1000;
    // Nothing while the question is out, while a client is missing, or while
    // the login dialog is open (its clients are not the frame's yet).
    if (FaultAsked || !RequestClient || !RealTimeClient || LoginOpen)
        return;
    uint8_t busy = DialogBusy;
    DialogBusy = 1;
    if (!RequestClient->IsConnected()) {
        if (age < 20) {
            if (RequestClient->Open() == 1)
                RequestClient->Login();
        } else {
            RequestClient->LoadServerConfig(1);
            bool ok = RequestClient->Open() == 1 && RequestClient->Login() == 0 &&
                      RequestClient->ConnectServer() == 1 && RequestClient->Login() == 0;
            if (ok) {
                if (RealTimeClient->IsConnected())
                    RealTimeClient->Close();
                RealTimeClient->SetServerAddress(RequestClient->GetServerAddress());
            } else {
                FaultAsked = 1;
                AskFaultQuestion();
                DialogBusy = busy;
                return;
            }
        }
    }
    if (RequestClient->IsConnected() && !RealTimeClient->IsConnected())
        RealTimeClient->Connect();
    if (!RequestClient->IsConnected() || !RealTimeClient->IsConnected()) {
        if (age > 29) {
            FaultStartTick = 0;
            FaultAsked = 1;
            AskFaultQuestion();
        }
    } else {
        FaultStartTick = 0;
        FaultAsked = 0;
        RequestClient->StartAsyncEvents();
        RealTimeClient->ClearSubscription();
        SubscribeVisibleStocks();
    }
    DialogBusy = busy;
}

void TMFrame::C1Click(TObject *)
{
    if (RequestClient && RealTimeClient && RequestClient->IsConnected() && RealTimeClient->IsConnected()) {
        if (FrameBox("断开连接?  ", "确认", MB_YESNO | MB_ICONQUESTION) == IDYES)
            DeleteClients();
        return;
    }
    DeleteClients();
    FaultAsked = 0;
    CaptureSystemTime();
    ShowLoginDialog(1);
    if (RealTimeClient && RealTimeClient->Connect() == 1) {
        FaultAsked = 0;
        RealTimeClient->ClearSubscription();
        SubscribeVisibleStocks();
    } else if (RealTimeClient) {
        FrameBox("无法取得即时数据.  ", "网络错误", MB_ICONERROR);
        delete RealTimeClient;
        RealTimeClient = nullptr;
    }
    // Only a request client that exists queues the request (the user may have
    // cancelled the login).
    if (RequestClient)
        RequestClient->RequestSystemMessages();
    if (ChatWindow && GetConnectionState() != 0)
        PostMessageA(Handle, WM_CHAT_COMMAND, 0, LPARAM(uintptr_t(ChatWindow)));
}

int TMFrame::GetConnectionState() const
{
    return (RequestClient && RequestClient->IsConnected() ? 1 : 0) |
           (RealTimeClient && RealTimeClient->IsConnected() ? 2 : 0);
}

bool TMFrame::RequestNameTable(int market)
{
    return RequestClient && RequestClient->IsConnected() && RequestClient->LoadNameTable(market) >= 0;
}

bool TMFrame::RequestHistory(int market, const char *code, int period, int force, int argument)
{
    return RequestClient && RequestClient->IsConnected() &&
           RequestClient->RequestHistory(market, code, period, force,
                                         reinterpret_cast<const void *>(intptr_t(argument))) == 1;
}

bool TMFrame::RequestTickData(StockId stock)
{
    const StockStaticRecord *s = StockOf(stock);
    return s && RequestClient && RequestClient->IsConnected() &&
           RequestClient->RequestTickData(StockMarket(stock), s->Code, nullptr) == 1;
}

bool TMFrame::RequestWeightFile(StockId stock)
{
    const StockStaticRecord *s = StockOf(stock);
    return s && RequestClient && RequestClient->IsConnected() &&
           RequestClient->RequestWeightFile(StockMarket(stock), s->Code) == 1;
}

HWND TMFrame::GetFrameWindow() { return HandleAllocated() ? Handle : HWND(0); }

int TMFrame::SendDataRequest(const DataRequest &request)
{
    return RequestClient ? RequestClient->SendRequest(request) : -1;
}

bool TMFrame::HasMarketRight(int market, int function)
{
    if (market < 0 || market > 15 || function < 0 || function > 14)
        return false;
    return RightsBit(Rights, market * 16 + function);
}

bool TMFrame::HasFunctionRight(int n)
{
    if (n < 1 || n > 100)
        return false;
    return RightsBit(Rights + 32, n - 1);
}

void TMFrame::SetRights(const uint8_t *block, int ymd)
{
    std::memcpy(Rights, block, sizeof Rights);
    RightsDate = ymd;
}

int TMFrame::ShowUpdateNotice()
{
    TNoticeForm notice(this);
    notice.AfterConstruction();
    return notice.ShowModal();
}
