#include "consign/main/CConsignApp.h"

#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/CSettleConfirmDlg.h"
#include "consign/pages/StatementFiles.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Des.h"
#include "consign/session/Helpers.h"
#include "consign/session/ModuleVersion.h"
#include "consign/session/ui/LoginLoop.h"
#include "platform/appframe/HotKey.h"
#include "platform/gdi/Resources.h"
#include "platform/win/File.h"
#include "platform/win/Mutex.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Random.h"
#include "platform/win/Time.h"
#include "platform/win/Version.h"
#include "platform/win/Winsock.h"

using namespace win;

namespace {

void Log(const char *text) { ConsignLog().WriteLine(text, 1); }

// A customer starting the client sees today's settlement statement and, when
// his broker requires it, must accept it before he can trade. False ends the
// start.
bool ConfirmTodaysStatement()
{
    CTradeSession &session = TheTradeSession();
    const CString customer = LoginAccount;
    session.m_SettleFlag = 0;
    if (!session.QuerySettleFlag(customer, 0, "T_SETTLE") || session.m_SettleFlag == 0 || session.m_SettleFlag == '0')
        return true;
    session.m_strSettleConfirm.Empty();
    if (!session.QuerySettleConfirm(customer))
        return true;
    // "<date>:0" while today's statement waits for its confirmation.
    if (session.m_strSettleConfirm.GetLength() < 10 || session.m_strSettleConfirm[9] != '0')
        return true;
    if (!IsStatementCustomer(customer) || !session.RequestSettlementStatement(customer, ""))
        return true;
    UnpackStatement(customer);
    std::string text;
    const bool read = ReadStatementFile(StatementTextPath(customer), text);
    DeleteFileA(StatementArchivePath(customer));
    DeleteFileA(StatementTextPath(customer));
    if (!read) {
        AfxMessageBox("结帐单文件打开失败");
        return false;
    }
    Log("登录过程中取结帐单成功");
    CSettleConfirmDlg dialog;
    dialog.m_strStatement = JoinStatementLines(text.data(), text.size());
    if (dialog.DoModal() == IDOK) {
        Log(session.ConfirmSettlement(customer) ? "确认结帐单成功" : "确认结帐单失败");
        return true;
    }
    if (session.m_SettleFlag == '2') {
        Log("没有确认结帐单");
        return false;
    }
    return true;
}

int ConfigInt(const char *key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA("Config", key, defaultValue, SettingsPath));
}

constexpr DWORD SheetStyle = 0x90CF0080; // popup, visible, caption, system menu, frame, min/max boxes, modal frame

// The About box's picture (bitmap 144): three candles, a rising red one between
// two green ones, on a dark blue ground.
void RegisterAboutPicture()
{
    constexpr int Size = 32;
    std::vector<DWORD> pixels(Size * Size, 0x10305A);
    auto fill = [&](int left, int top, int right, int bottom, DWORD colour) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                pixels[static_cast<size_t>(y * Size + x)] = colour;
    };
    struct Candle {
        int x, wickTop, bodyTop, bodyBottom, wickBottom;
        DWORD colour;
    } candles[] = {{5, 10, 14, 24, 27, 0x20C040}, {14, 3, 6, 22, 26, 0xE03030}, {23, 8, 12, 20, 24, 0x20C040}};
    for (const Candle &c : candles) {
        fill(c.x + 2, c.wickTop, c.x + 3, c.wickBottom, c.colour);
        fill(c.x, c.bodyTop, c.x + 5, c.bodyBottom, c.colour);
    }
    RegisterBitmapResource(MAKEINTRESOURCEA(144), Size, Size, pixels.data());
}

} // namespace

void RegisterConsignVersion()
{
    static const VersionString strings[] = {
        {"080404b0", "FileDescription", "岫云期货委托"},
        {"080404b0", "ProductName", "岫云期货委托"},
    };
    RegisterVersionResource(VersionResource{{5, 0, 5, 3}, {5, 0, 5, 3}, strings, 2});
}

void BuildHotKeyText(int key, int state, CString &text, UINT &modifiers)
{
    text.Empty();
    modifiers = 0;
    auto add = [&](const char *part) {
        if (!text.IsEmpty())
            text += "+";
        text += part;
    };
    if (state & 2) {
        add("CTRL");
        modifiers |= MOD_CONTROL;
    }
    if (state & 1) {
        add("SHIFT");
        modifiers |= MOD_SHIFT;
    }
    if (state & 4) {
        add("ALT");
        modifiers |= MOD_ALT;
    }
    if (key != 0)
        add(GetKeyName(key));
}

CConsignApp::CConsignApp() : CWinApp("consign") {}

int CConsignApp::LoginLoop(int dialogFlag) { return ::LoginLoop(dialogFlag); }

BOOL CConsignApp::InitInstance()
{
    // The terminal hands the '|' line over as the whole command line; a user
    // may also give it after the program's name.
    RegisterAboutPicture();
    const char *line = GetCommandLineA();
    if (!line || line[0] != '|')
        line = m_lpCmdLine ? m_lpCmdLine : "";
    return StartUp(line);
}

BOOL CConsignApp::StartUp(const char *line)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        AfxMessageBox("装载Winsock失败！");
        return FALSE;
    }
    ConsignLog().Open(CLogFile::TodayFileName());
    const CModuleVersion version(0, "080404b0", "FileDescription");
    ProgramNameText = version.m_strValue;
    ProgramNameText += " ";
    ProgramNameText += version.m_strFileVersion;

    if (!GetSettingsPath(SettingsPath))
        return FALSE;
    ClientMode = ConfigInt("Client Mode", 0) != 0 ? 7 : 1;
    UseCmdLine = ClientMode == 7 ? ConfigInt("UseCmdLine", 0) : 0;
    std::memset(&CmdLineRecord, 0, sizeof CmdLineRecord);

    if (!UseCmdLine && line[0] == '|')
        return FALSE;
    const int parsed = UseCmdLine ? ParseCmdLineOrder(line, CmdLineRecord) : 0;
    m_hMutex = CreateMutexA(nullptr, TRUE, ProgramName());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    switch (DecideStartup(UseCmdLine, line, parsed, existed, ConfigInt("SingleApp", 1),
                          CmdLineRecord.requestCode)) {
    case StartupAction::Continue:
        break;
    case StartupAction::EndSilently:
        return FALSE;
    case StartupAction::SingleInstanceBox: {
        CString text;
        text.Format("%s\n\r同时只允许运行一个进程！", ProgramName());
        AfxMessageBox(text);
        std::memset(&CmdLineRecord, 0, sizeof CmdLineRecord);
        return FALSE;
    }
    case StartupAction::Relay:
        RelayCmdLineOrder(CmdLineRecord);
        std::memset(&CmdLineRecord, 0, sizeof CmdLineRecord);
        return FALSE;
    case StartupAction::End:
        std::memset(&CmdLineRecord, 0, sizeof CmdLineRecord);
        return FALSE;
    }

    ReadStartSettings(SettingsPath, StartSettings);
    Log("程序开始执行");
    Log("岫云期货委托客户端");
    Log(ProgramName());
    if (!AfxSocketInit()) {
        AfxMessageBox("Windows 通信端口初始化失败。");
        Log("通信端口初始化失败,程序退出");
        return FALSE;
    }
    Log("通信端口初始化成功");
    AfxEnableControlContainer();
    if (DesInit(0) != 0) {
        Log("加密算法初始化失败！");
        AfxMessageBox("加密算法初始化失败！");
        return FALSE;
    }
    win::srand(static_cast<unsigned>(win::time(nullptr)));
    CTradeSession &session = TheTradeSession();
    session.m_TransferWaitMs = static_cast<DWORD>(StartSettings.transferWaitMs);
    session.m_pLog = &ConsignLog();

    AfxInitRichEdit();
    m_pMainDlg = new CConsignDlg(ProgramName());
    session.m_pListener = m_pMainDlg;
    if (!LoginLoop(1))
        return FALSE;
    const HWND caller = static_cast<HWND>(static_cast<uint32_t>(CmdLineRecord.callerWnd));
    if (caller != 0)
        ::win::SendMessageA(caller, static_cast<UINT>(CmdLineRecord.announceMsg), 0, 0);
    if (ClientMode == 7 && !ConfirmTodaysStatement())
        return FALSE;

    m_pMainWnd = m_pMainDlg;
    m_pMainDlg->m_strCustom = StartSettings.custom;
    DWORD style = SheetStyle;
    if (StartSettings.systemModal)
        style |= DS_SYSMODAL;
    if (!m_pMainDlg->Create(nullptr, style, 0))
        return FALSE;

    UINT modifiers = 0;
    BuildHotKeyText(StartSettings.hotKey, StartSettings.hotKeyModifiers, HotKeyText, modifiers);
    if (!RegisterHotKey(m_pMainDlg->m_hWnd, 0x100, modifiers, static_cast<UINT>(StartSettings.hotKey)))
        AfxMessageBox("热键注册冲突！");
    // The numbering starts at 1 before the pre-orders take theirs, so that the
    // next order does not repeat the number of a loaded one.
    LocalOrderNumber = 1;
    m_pMainDlg->LoadPreOrders();
    return TRUE;
}

int CConsignApp::ExitInstance()
{
    Log("退出应用程序。");
    if (ConsignLog().m_hFile != CFile::hFileNull)
        ConsignLog().Close();
    DesDone();
    TheTradeSession().m_pListener = nullptr;
    if (m_pMainDlg && m_pMainDlg->m_hWnd)
        m_pMainDlg->DestroyWindow();
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    m_pMainWnd = nullptr;
    WSACleanup();
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = 0;
    }
    const HWND caller = static_cast<HWND>(static_cast<uint32_t>(CmdLineRecord.callerWnd));
    if (caller != 0)
        ::win::SendMessageA(caller, static_cast<UINT>(CmdLineRecord.withdrawMsg), 0, 0);
    return CWinApp::ExitInstance();
}
