// The order client's application object: the start-up from sockets and log to
// the login and the main sheet, the single running copy with the hand-over of
// the command line's order request, and the end with the withdraw message.
#pragma once

#include "consign/pages/CConsignDlg.h"
#include "platform/appframe/CWinApp.h"

class CConsignApp : public win::CWinApp {
public:
    CConsignApp();

    // The start with the program's command line.
    win::BOOL InitInstance() override;
    // The start, steps from the socket library to the hot key, with the command
    // line given.
    win::BOOL StartUp(const char *commandLine);
    int ExitInstance() override;

    // The login sequence (1 logged in); `dialogFlag` 0 logs in again silently.
    int LoginLoop(int dialogFlag);

    // The main sheet, owned from before the login to the end.
    CConsignDlg *m_pMainDlg = nullptr;
    // The single-instance mutex, held to the end.
    win::HANDLE m_hMutex = 0;
};

// The hot-key text and modifiers from the [Config] key and modifier state
// (2 Ctrl, 1 Shift, 4 Alt): "CTRL+SHIFT+ALT+F12".
void BuildHotKeyText(int key, int state, win::CString &text, win::UINT &modifiers);

// The program's version resource (its description and version 5.0.5.3).
void RegisterConsignVersion();
