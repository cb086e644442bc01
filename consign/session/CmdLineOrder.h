// The order request that the terminal puts on the command line and that one copy
// of the order client hands to the running one: the 352-byte record, its '|'
// syntax, the start-up decision on it and the hand-over between copies.
#pragma once

#include <cstdint>

#include "platform/win/CString.h"
#include "platform/win/Messages.h"
#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
struct CCmdLineOrder {
    int32_t callerWnd;       // 0: field 13, the caller's window; 0 = no caller
    int32_t announceMsg;     // 4: field 14 (4025 from the terminal)
    int32_t withdrawMsg;     // 8: field 15 (4026)
    int32_t requestCode;     // 12: field 2, 1001 order request, 1002 quit
    char codeText[20];       // 16: field 2 as text
    char reserved1[40];      // 36: field 3, kept only
    char reserved2[130];     // 76: field 4, kept only
    char contract[20];       // 206: field 5
    char tradeCode[20];      // 226: field 6
    char direction[20];      // 246: field 7, "0" buy
    char price[20];          // 266: field 10
    char quantity[20];       // 286: field 11
    char openClose[20];      // 306: field 8, "0" open, "1" close, "2" close today
    char hedge[20];          // 326: field 9, "0" speculation
    win::BYTE zero[2];       // 346
    int32_t sendDirectly;    // 348: field 12, 0 when it begins with '0'
};
#pragma pack(pop)
static_assert(sizeof(CCmdLineOrder) == 352);

constexpr int CMDLINE_ORDER_REQUEST = 1001;
constexpr int CMDLINE_QUIT_REQUEST = 1002;

// Fills the record from a '|' line: 1 when parsed, 0 (record untouched, the
// format error logged) when the line does not begin with '|'. Each field is read
// into 256 bytes and cut to its record field on a character boundary.
int ParseCmdLineOrder(const char *commandLine, CCmdLineOrder &record);

// Hands the record to the running copy, whose main window the registry value
// hMainWnd of HKEY_CURRENT_USER\TesselConsign50 names, by WM_COPYDATA. 1 when it
// was delivered; 0, logged and told to the user, when no live window is there
// (a stale value, or the first copy is still logging in).
int RelayCmdLineOrder(const CCmdLineOrder &record);

// The record of a WM_COPYDATA hand-over: only a block of exactly 352 bytes is
// taken, and every text field is ended within its width.
bool TakeCopyDataOrder(const win::COPYDATASTRUCT *data, CCmdLineOrder &record);

// What start-up does with the command line and the single-instance mutex.
enum class StartupAction {
    Continue,          // go on with the start
    EndSilently,       // a '|' line without the use-command-line flag
    SingleInstanceBox, // "同时只允许运行一个进程！", then end
    Relay,             // hand the record to the running copy, then end
    End                // a request other than an order for a first copy
};
// `parsed` is ParseCmdLineOrder's result (ignored without the flag);
// `mutexExisted`: another copy holds the mutex.
StartupAction DecideStartup(int useCmdLine, const char *commandLine, int parsed, bool mutexExisted,
                            int singleApp, int requestCode);

// The registry key and value of the running copy's main window.
extern const char MAIN_WINDOW_KEY[];
extern const char MAIN_WINDOW_VALUE[];
