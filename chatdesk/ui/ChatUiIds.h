// The chat windows' numbers: resources, control ids, window messages and the
// colours of the one blue scheme every owner-drawn part paints in.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/win/WinTypes.h"

namespace chatui {

// Dialogs, menu, strings and the sound resource.
constexpr win::UINT IDD_CHAT_MAIN = 102;
constexpr win::UINT IDD_TRANSCRIPT = 144;
constexpr win::UINT IDD_INPUT = 145;
constexpr win::UINT IDD_USERLIST = 146;
constexpr win::UINT IDR_CHAT_MENU = 177;
constexpr win::UINT IDS_SOCKETS_FAILED = 103;
constexpr win::UINT IDS_PRODUCT = 104;
constexpr win::WORD IDR_NOTIFY_WAVE = 178;
constexpr const char *kNotifyWaveType = "NOTIFY_WAVE";
constexpr const char *kIconName = "CHATDESK";

// Bitmaps.
constexpr win::WORD IDB_FRAME_TL = 129, IDB_FRAME_TR = 130, IDB_FRAME_TOP = 131, IDB_FRAME_BL = 133,
                    IDB_FRAME_BR = 134, IDB_FRAME_LEFT = 135, IDB_FRAME_BOTTOM = 136, IDB_FRAME_RIGHT = 137;
constexpr win::WORD IDB_CLOSE = 138, IDB_CLOSE_DOWN = 139, IDB_MAX = 140, IDB_MAX_DOWN = 141, IDB_MIN = 142,
                    IDB_MIN_DOWN = 143;
constexpr win::WORD IDB_INPUT_BL = 147, IDB_INPUT_BR = 148;
constexpr win::WORD IDB_BANNER_LEFT = 149, IDB_BANNER_RIGHT = 150, IDB_BANNER_TILE = 151;
constexpr win::WORD IDB_STAFF = 165, IDB_CLIENT = 166, IDB_CLIENT_OFFLINE = 173, IDB_STAFF_OFFLINE = 175;
constexpr win::WORD IDB_STATUS_OFFLINE = 168, IDB_STATUS_ONLINE = 169, IDB_STATUS_BUSY = 170, IDB_STATUS_AWAY = 171;
constexpr win::WORD IDB_SEARCH = 172;
constexpr win::WORD IDB_UNREAD_A = 179, IDB_UNREAD_B = 180;
// The caption's small icon as a picture the frame draws.
constexpr win::WORD IDB_CAPTION_ICON = 181;

// Commands.
constexpr win::UINT ID_CONNECT = 32772;
constexpr win::UINT ID_NOTIFY = 32773;
constexpr win::UINT ID_SEND = 1001;
constexpr win::UINT ID_TOGGLE_LIST = 1001;

// Controls.
constexpr win::UINT IDC_EDIT = 1000;
constexpr win::UINT IDC_SEND = 1001;
constexpr win::UINT IDC_SEARCH = 1001;
constexpr win::UINT IDC_CAPTION = 1003;
constexpr win::UINT IDC_ONLINE_HEADER = 1001;
constexpr win::UINT IDC_RECENT_HEADER = 1002;
constexpr win::UINT IDC_ONLINE_LIST = 1004;
constexpr win::UINT IDC_RECENT_LIST = 1005;
constexpr win::UINT IDC_TAB_STRIP = 1006;
constexpr win::UINT IDC_STATUS_BAR = 59393;
constexpr win::UINT IDC_MENU_BAR = 3;
constexpr win::UINT IDC_OUTER_SPLITTER = 4;
constexpr win::UINT IDC_INNER_SPLITTER = 5;

// Window messages.
constexpr win::UINT WM_CHAT_PLACE = 2324;
constexpr win::UINT WM_CHAT_BLINK = 2325;
constexpr win::UINT WM_CHAT_NETSTATUS = 2326;
constexpr win::UINT WM_CHAT_QUERYTAB = 2327;
constexpr win::UINT WM_CHAT_LINK = 2564;
constexpr win::UINT WM_MENUBAR_OPEN = 3025;

// The scheme.
constexpr win::COLORREF kBorderBlue = win::RGB(36, 103, 194);
constexpr win::COLORREF kPaneBlue = win::RGB(93, 183, 255);
constexpr win::COLORREF kFrameBlue = win::RGB(93, 184, 255);
constexpr win::COLORREF kInputLine = win::RGB(36, 104, 194);
constexpr win::COLORREF kLabelText = win::RGB(7, 30, 129);
constexpr win::COLORREF kPressedFill = win::RGB(83, 168, 245);
constexpr win::COLORREF kPressedFrame = win::RGB(40, 99, 157);
constexpr win::COLORREF kHotFill = win::RGB(130, 199, 255);
constexpr win::COLORREF kHotFrame = win::RGB(70, 136, 201);
constexpr win::COLORREF kSelectFill = win::RGB(206, 233, 254);
constexpr win::COLORREF kSelectFrame = win::RGB(139, 168, 198);
constexpr win::COLORREF kHintBack = win::RGB(255, 255, 231);
constexpr win::COLORREF kMagenta = win::RGB(255, 0, 255);
constexpr win::COLORREF kWhite = win::RGB(255, 255, 255);

} // namespace chatui
