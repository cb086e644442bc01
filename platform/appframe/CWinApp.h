// The framework's application object: the program derives one global CWinApp
// and its main() calls AfxWinMain, which makes the GUI, runs InitInstance (FALSE
// ends the program), then the message loop until WM_QUIT, then ExitInstance.
// Also the framework's global functions (AfxGetApp, AfxGetMainWnd,
// AfxMessageBox...).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/appframe/CCmdTarget.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

namespace win {

class CWnd;
class CSingleDocTemplate;
class GuiApplication;

class CWinApp : public CCmdTarget {
public:
    // Becomes the program's application object (AfxGetApp).
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // The program's start; FALSE ends it (after ExitInstance).
    virtual BOOL InitInstance();
    // The program's end; returns the exit code (the code of WM_QUIT).
    virtual int ExitInstance();
    // The message loop, until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    // Sees each queued message after the windows' PreTranslateMessage chain let
    // it pass; TRUE drops it.
    virtual BOOL PreTranslateMessage(MSG *pMsg);

    // The main window: closing it ends the program. The program may swap it.
    CWnd *m_pMainWnd = nullptr;
    // The program's title (message-box captions), the program file's name without
    // its extension, and the command line after the program's own name.
    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszExeName = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    HINSTANCE m_hInstance = 1;

    // The program's icon resource (shared; not to be destroyed).
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCSTR lpszResourceName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCSTR lpszCursorName) const;
    // The classic 3-D look is the only one here.
    BOOL Enable3dControls() { return TRUE; }
    BOOL Enable3dControlsStatic() { return TRUE; }
    // The application keeps the document templates and frees them at its end.
    void AddDocTemplate(CSingleDocTemplate *pTemplate);
    const std::vector<CSingleDocTemplate *> &DocTemplates() const { return templates_; }

    // The wait cursor: 1 begins it, -1 ends it, 0 shows it again while it is on.
    // Begins and ends are counted; the last end shows the cursor of before the
    // first begin. An end without a begin changes nothing.
    virtual void DoWaitCursor(int nCode);

    // Inside the framework: sets up the GUI and the names from the program's
    // arguments (AfxWinMain, and tests that drive an application object).
    void InitApplication(int &argc, char **argv);

private:
    std::string appName_;
    std::string exeName_;
    std::string cmdLine_;
    std::vector<CSingleDocTemplate *> templates_;
    int waitCursorCount_ = 0;
    HCURSOR cursorBeforeWait_ = 0;
    std::unique_ptr<GuiApplication> gui_;
    int exitCode_ = 0;
};

// Runs the program's application object; main() returns its result.
int AfxWinMain(int argc, char **argv);

CWinApp *AfxGetApp();
// The main window of the application (null without one).
CWnd *AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
LPCSTR AfxGetAppName();

// A message box owned by the main window with the program's title as caption.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is the program's string resource.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = 0);

// The application's DoWaitCursor; without an application object the same
// counted wait cursor, kept by the framework.
void AfxWaitCursor(int nCode);

// Ends the program's message loop with the code.
void AfxPostQuitMessage(int nExitCode);

// The control container, the rich edit control and the common controls need no
// set-up here; these succeed.
BOOL AfxEnableControlContainer();
BOOL AfxInitRichEdit();
BOOL AfxInitRichEdit2();

// Runs the PreTranslateMessage chain of a queued message: the windows from the
// message's window up to its top-level window, then the application. TRUE: the
// message was taken.
BOOL AfxPreTranslateMessage(MSG *pMsg);

} // namespace win
