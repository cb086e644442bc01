// Icons of windows in the desktop's notification area (the tray): a click on
// one comes back to its window as the icon's callback message. Where the desktop
// has no tray, adding fails and a window hidden to the tray is minimised instead.
// For tests a recorder stands in for the tray.
#pragma once

#include <string>
#include <vector>

#include "platform/win/Window.h"

namespace win {

constexpr DWORD NIM_ADD = 0x00000000;
constexpr DWORD NIM_MODIFY = 0x00000001;
constexpr DWORD NIM_DELETE = 0x00000002;

constexpr UINT NIF_MESSAGE = 0x00000001;
constexpr UINT NIF_ICON = 0x00000002;
constexpr UINT NIF_TIP = 0x00000004;

struct NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64]; // GBK, NUL-terminated
};
using PNOTIFYICONDATAA = NOTIFYICONDATAA *;
using NOTIFYICONDATA = NOTIFYICONDATAA;
using PNOTIFYICONDATA = NOTIFYICONDATAA *;

// NIM_ADD shows a new icon for (hWnd, uID); NIM_MODIFY changes the message, icon
// or tip its uFlags name; NIM_DELETE removes it. A click on the icon posts
// uCallbackMessage (when NIF_MESSAGE was given) to hWnd with wParam = uID and
// lParam = the mouse message (WM_LBUTTONUP for a click, WM_LBUTTONDBLCLK for a
// double click, WM_RBUTTONUP, WM_MBUTTONUP). FALSE for a null record, a window
// that does not exist (NIM_ADD, NIM_MODIFY), an icon that exists already
// (NIM_ADD) or not at all, a call off the GUI thread, or when the desktop has no
// tray (NIM_ADD; a window that is hidden then is shown minimised, so the user can
// still reach it).
BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);
inline BOOL Shell_NotifyIcon(DWORD message, PNOTIFYICONDATAA data)
{
    return Shell_NotifyIconA(message, data);
}

// A call as the recorder keeps it.
struct RecordedTrayCall {
    DWORD message; // NIM_ADD, NIM_MODIFY or NIM_DELETE
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    std::string tip; // GBK, as the icon shows it
    BOOL result;
};

// Switches the recorder on or off; either way the icons go and the record starts
// empty. While it is on, the recorder is the tray: the calls act on its icons
// from any thread, and nothing is shown.
void RecordTrayIcons(bool on);
std::vector<RecordedTrayCall> RecordedTrayCalls();
// What a click on a recorded icon does: its callback message is posted as the
// tray's click would post it. FALSE when there is no such icon or it has no
// callback message.
BOOL ClickTrayIcon(HWND hWnd, UINT id, UINT mouseMessage);

} // namespace win
