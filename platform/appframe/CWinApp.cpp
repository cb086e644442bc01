#include "platform/appframe/CWinApp.h"

#include <QCoreApplication>

#include <cstring>

#include "platform/appframe/CSingleDocTemplate.h"
#include "platform/appframe/CWnd.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Cursor.h"
#include "platform/win/File.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/Process.h"
#include "platform/win/Resource.h"
#include "platform/win/ThreadQueue.h"

namespace win {

namespace {

CWinApp *theApp = nullptr;

// The command line after the program's own word (quoted or not) and the blanks
// after it.
std::string ArgumentsOf(const char *line)
{
    const char *p = line ? line : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName)
{
    if (lpszAppName) {
        appName_ = lpszAppName;
        m_pszAppName = appName_.c_str();
    }
    theApp = this;
}

CWinApp::~CWinApp()
{
    for (CSingleDocTemplate *t : templates_)
        delete t;
    if (theApp == this)
        theApp = nullptr;
}

void CWinApp::AddDocTemplate(CSingleDocTemplate *pTemplate)
{
    if (pTemplate)
        templates_.push_back(pTemplate);
}

namespace {

// The counted wait cursor: `count` begins not yet ended, `before` the cursor
// shown before the first.
void CountWaitCursor(int nCode, int &count, HCURSOR &before)
{
    if (nCode < 0 && count == 0)
        return;
    count += nCode > 0 ? 1 : nCode < 0 ? -1 : 0;
    if (count > 0) {
        HCURSOR previous = SetCursor(LoadCursorA(0, IDC_WAIT));
        if (nCode > 0 && count == 1)
            before = previous;
    } else {
        SetCursor(before);
    }
}

} // namespace

void CWinApp::DoWaitCursor(int nCode) { CountWaitCursor(nCode, waitCursorCount_, cursorBeforeWait_); }

void AfxWaitCursor(int nCode)
{
    if (CWinApp *app = AfxGetApp()) {
        app->DoWaitCursor(nCode);
        return;
    }
    static int count = 0;
    static HCURSOR before = 0;
    CountWaitCursor(nCode, count, before);
}

void CWinApp::InitApplication(int &argc, char **argv)
{
    // A GUI application made already (by a test) is the one to use.
    if (!gui_ && !QCoreApplication::instance())
        gui_ = std::make_unique<GuiApplication>(argc, argv);
    InstallWindowHosting();
    InstallPreTranslateHook();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(0, path, MAX_PATH);
    std::string name = path;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name = name.substr(0, dot);
    exeName_ = name;
    m_pszExeName = exeName_.c_str();
    if (!m_pszAppName) {
        appName_ = exeName_;
        m_pszAppName = appName_.c_str();
    }
    if (QCoreApplication::instance())
        QCoreApplication::setApplicationName(QtText(appName_));
    cmdLine_ = ArgumentsOf(GetCommandLineA());
    m_lpCmdLine = cmdLine_.data();
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return exitCode_; }

int CWinApp::Run()
{
    exitCode_ = RunMainLoop();
    return ExitInstance();
}

BOOL CWinApp::PreTranslateMessage(MSG *) { return FALSE; }

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return LoadIconA(m_hInstance, MAKEINTRESOURCEA(static_cast<WORD>(nIDResource)));
}

HICON CWinApp::LoadIcon(LPCSTR lpszResourceName) const { return LoadIconA(m_hInstance, lpszResourceName); }

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    return LoadCursorA(m_hInstance, MAKEINTRESOURCEA(static_cast<WORD>(nIDResource)));
}

HCURSOR CWinApp::LoadStandardCursor(LPCSTR lpszCursorName) const { return LoadCursorA(0, lpszCursorName); }

int AfxWinMain(int argc, char **argv)
{
    CWinApp *app = AfxGetApp();
    if (!app)
        return -1;
    app->InitApplication(argc, argv);
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

CWinApp *AfxGetApp() { return theApp; }

CWnd *AfxGetMainWnd() { return theApp ? theApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return theApp ? theApp->m_hInstance : 1; }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

LPCSTR AfxGetAppName() { return theApp && theApp->m_pszAppName ? theApp->m_pszAppName : ""; }

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT)
{
    CWnd *main = AfxGetMainWnd();
    HWND owner = main && main->m_hWnd && main->IsWindowVisible() ? main->m_hWnd : 0;
    return MessageBoxA(owner, lpszText ? lpszText : "", AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text;
    text.LoadString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp);
}

void AfxPostQuitMessage(int nExitCode) { PostQuitMessage(nExitCode); }

BOOL AfxEnableControlContainer() { return TRUE; }
BOOL AfxInitRichEdit() { return TRUE; }
BOOL AfxInitRichEdit2() { return TRUE; }

BOOL AfxPreTranslateMessage(MSG *pMsg)
{
    if (!pMsg)
        return FALSE;
    for (HWND h = pMsg->hwnd; h; h = GetParent(h)) {
        CWnd *wnd = CWnd::FromHandlePermanent(h);
        if (wnd && wnd->PreTranslateMessage(pMsg))
            return TRUE;
    }
    CWinApp *app = AfxGetApp();
    return app && app->PreTranslateMessage(pMsg);
}

} // namespace win
