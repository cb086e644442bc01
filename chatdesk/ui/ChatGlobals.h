// The chat windows' program-wide state, reached directly by the panes, the
// lists and the protocol's window side: the windows that others append to or
// give the focus to, and the general conversation's log.
#pragma once

#include "platform/win/WinTypes.h"

class CChatSocket;

namespace chatui {

class COnlineUserList;
class CRecentContactList;
class CUserTabStrip;
class CTranscriptPane;
class CChatMainDlg;

struct ChatGlobalState {
    win::HWND inputEdit = 0;
    win::HWND transcriptEdit = 0;
    win::HWND transcriptCaption = 0;
    CTranscriptPane *transcriptPane = nullptr;
    COnlineUserList *onlineList = nullptr;
    CRecentContactList *recentList = nullptr;
    CUserTabStrip *tabStrip = nullptr;
    CChatMainDlg *mainWindow = nullptr;
    CChatSocket *socket = nullptr;
    // The general conversation's temporary log (INVALID_HANDLE_VALUE: none).
    win::HANDLE generalLog = win::INVALID_HANDLE_VALUE;
};

ChatGlobalState &ChatGlobals();

// Gives the input edit the focus, when there is one.
void FocusInput();

} // namespace chatui
