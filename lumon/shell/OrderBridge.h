// The hand-over of an order to the order client: its settings file is made to
// read the command line, the stock's code becomes the exchange's contract code,
// and the program named first in TRADING.INI starts with the order request on a
// '|'-separated command line that also carries the frame's window and the two
// messages by which the client announces and withdraws its window.
#pragma once

#include <cstdint>

#include "platform/win/Process.h"
#include "platform/win/WinTypes.h"

// One order request, as the command line carries it.
struct OrderRequest {
    int32_t Code;          // 1001: an order request
    char Contract[64];     // the exchange's contract code
    int32_t OptA;          // not set by the terminal
    int32_t Side;          // 0 buy, 1 sell, -1 unset
    int32_t FlagB;         // optional 0/1 flags, -1 unset
    int32_t FlagC;
    float Price;           // in price units; 0 or less: none
    int32_t OptD;
    uint8_t Immediate;     // 1: the client sends at once; the terminal sends 0
    int32_t Length;        // of CommandLine
    char CommandLine[1024];
};

// To the frame: place an order for the stock in wParam, lParam 25 to buy, any
// other value to sell.
constexpr win::UINT WM_PLACE_ORDER = 2575;

// Where TRADING.INI names the order programs.
constexpr const char *TradingIni = "..\\CFG\\TRADING.INI";
// The longest Exe0 the hand-over takes; a longer one counts as no program.
constexpr int MaxOrderProgramPath = 59;

// The program, its folder and the Windows folder's copy of its settings, as the
// last successful PrepareOrderClient found them; the process last started.
extern char OrderClientPath[MaxOrderProgramPath + 1];
extern char OrderClientDir[MaxOrderProgramPath + 2];
extern char OrderClientIniCopy[340];
extern win::PROCESS_INFORMATION OrderProcess;

// Makes the order client read its command line: [Config] UseCmdLine and
// "Client Mode" = 1 in "<folder><name>.ini" beside the program of Exe0, and that
// file copied into the Windows folder. 0, and nothing written, when the Windows
// folder cannot be read or the program or its settings file is missing.
int PrepareOrderClient();
void InitOrderRequest(OrderRequest *request);
void SetCode(OrderRequest *request, const char *contract);
void SetDirection(OrderRequest *request, int side);
void SetPrice(OrderRequest *request, int price);
// A 6-digit stock code as the exchange's contract code of the current local
// date ("010003" in June 2005: "cu0603"); 1, or 0 for a code the table lacks.
int ToExchangeCode(const char *code6, char *out);
// Builds the request's command line for the caller's window; its length.
int BuildCommandLine(OrderRequest *request, int callerWindow);
// Starts the order program of the last PrepareOrderClient with the request in
// its folder; a failed start leaves OrderProcess zero and says nothing.
void LaunchOrderClient(OrderRequest *request, int callerWindow);
// Window enumeration: lParam points to a {process id, window} record; the first
// top-level window of that process is stored and ends the enumeration.
win::BOOL FindWindowOfProcess(win::HWND window, win::LPARAM record);
