// The order client's settings file: where it is, the keys read at start with their
// defaults and write-backs, the order focus sequence, the connection record of a
// server group, and the one-time conversion of the two older layouts.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

// The program's module name with ".ini", in the Windows directory or else in the
// current directory: the first that can be opened for reading. FALSE, after the
// message box, when there is none (the file is never created).
win::BOOL GetSettingsPath(win::CString &path);

// The longest wait for a transfer's result that [Config] YQZZWaitingTime may ask.
constexpr int MAX_TRANSFER_WAIT_MS = 120000;

// The keys read at start after the client mode and the single-instance checks.
struct ConsignStartSettings {
    int randomKey;               // [Config] RandomKey: the keypad shuffles its digits
    int clearAllAfterOrder;      // [Config] ClearAllAfterOrder
    int quoteRefreshMs;          // [Config] HQRefurbisgTime x 1000
    win::COLORREF quoteColor;    // [HQColor] Read, Green, Blue
    int hotKey;                  // [Config] 热键
    int hotKeyModifiers;         // [Config] 热键状态: 2 Ctrl, 1 Shift, 4 Alt
    int transferWaitMs;          // [Config] YQZZWaitingTime, 0 to MAX_TRANSFER_WAIT_MS
    char keyBuy, keySell, keyOpen, keyClose, keyCloseToday, keySpeculation, keyHedge;
    int batchVerify;             // [Config] PLVerify
    int sequence[6];             // [Order Cequence] MM, SL, JG, KP, TB, SHSKIP
    int autoFlushOrder, autoFlushQueryOrder, autoFlushFund, autoFlushPosition, autoFlushDeal;
    char custom[80];             // [Config] custom
    int systemModal;             // [Config] SysModal is exactly 1
};

// The product code written to [version] "version" at every start.
extern const char CONSIGN_PRODUCT_CODE[];

// Reads the keys in their order, writing back "ClearAllAfterOrder" = "1" when it
// is empty or missing, and the product code.
void ReadStartSettings(const char *settingsPath, ConsignStartSettings &settings);

// One entry of the order page's focus sequence.
struct OrderFocusEntry {
    int order;
    int inputId;
    int labelId;
};

// The five input fields (direction, quantity, price, open/close, hedge) in the
// order their [Order Cequence] numbers give, sorted by exchanging an earlier entry
// with any later one of smaller number (equal numbers are never exchanged).
void BuildOrderSequence(const int numbers[5], OrderFocusEntry sequence[5]);

// One gateway server of a group.
struct ServerSlot {
    int enabled;
    char address[128];
    win::WORD port;
};

// What the login connects with: the typed texts, the proxy, the group's servers
// in trying order and its identity plug-in.
struct ConnectionSettings {
    char customer[128];
    char password[128];
    char identityPassword[128];
    int proxyInUse;
    char proxyAddress[128];
    win::WORD proxyPort;
    char proxyUser[128];
    char proxyPassword[128];
    ServerSlot servers[3];
    int identityInUse;
    char identityAddress[128];
    win::WORD identityPort;
    char identityLibrary[128];
};

// Builds the record for server group `group` (from 1): FirstServer 3 tries 3, 1,
// 2; 2 tries 2, 3, 1; anything else 1, 2, 3; a disabled slot has port 0 and no
// address.
void LoadConnectionSettings(const char *settingsPath, int group, const char *customer,
                            const char *password, const char *identityPassword,
                            ConnectionSettings &settings);

// The two conversions of older connection layouts, in this order; each runs only
// while the file still has what it converts, so a second run changes nothing.
// FALSE when a write failed: the old layout is then kept whole (a conversion
// writes every new key before it removes an old one) and converted at the next
// start. ConvertOldLayouts says so in a message box.
win::BOOL ConvertFirstLayout(const char *settingsPath);
win::BOOL ConvertSecondLayout(const char *settingsPath);
win::BOOL ConvertOldLayouts(const char *settingsPath);
