#include "chatdesk/main/ChatApp.h"

#include <cstring>
#include <string>

#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatMainDlg.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "chatdesk/ui/HintWnd.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Process.h"
#include "platform/win/ResourceData.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

constexpr const char *kSound = ".\\MsgNtfy.wav";

} // namespace

CChatApp::CChatApp() : CWinApp("在线服务") {}

BOOL CChatApp::InitInstance()
{
    // The terminal gives the program's path apart: the whole command line is the
    // number.
    const char *commandLine = GetCommandLineA();
    const HWND starter = chatui::ParseStarterHandle(commandLine);
    if (!starter || !IsWindow(starter))
        return FALSE;
    char path[1024];
    const DWORD length = GetModuleFileNameA(0, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        MessageBoxA(0, "在线服务安装路径太深，无法正常运行。  ", "错误", MB_OK | MB_ICONERROR | MB_TOPMOST);
        return FALSE;
    }
    if (char *cut = std::strrchr(path, '/'))
        *cut = '\0';
    SetCurrentDirectoryA(path);
    chatui::RegisterChatResources();
    if (GetFileAttributesA(kSound) == INVALID_FILE_ATTRIBUTES)
        chatui::ExtractNotifySound();
    if (!AfxSocketInit()) {
        AfxMessageBox(chatui::IDS_SOCKETS_FAILED);
        return FALSE;
    }
    Enable3dControls();
    chatui::ChatGlobals().generalLog = CreateConversationLog();
    if (chatui::ChatGlobals().generalLog == INVALID_HANDLE_VALUE)
        MessageBoxA(0, "创建临时文件失败，程序将无法正常运行。  ", "错误", MB_OK | MB_ICONERROR);
    {
        chatui::CChatMainDlg dialog(commandLine);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    chatui::CHintWnd::Release();
    return FALSE;
}

int CChatApp::ExitInstance()
{
    HANDLE &log = chatui::ChatGlobals().generalLog;
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    log = INVALID_HANDLE_VALUE;
    AfxSocketTerm();
    return CWinApp::ExitInstance();
}
