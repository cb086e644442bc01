// The process-wide state of the order client that start-up and the login set
// and the pages read: program name, settings file, mode, the command-line
// record, the login's texts, the one gateway session and the day's log.
#pragma once

#include "consign/session/CmdLineOrder.h"
#include "consign/session/ConsignSettings.h"
#include "consign/session/LogFile.h"
#include "consign/session/TradeSession.h"
#include "platform/win/CString.h"

// "<FileDescription> <file version>": names the single-instance mutex, heads
// messages and the window title.
extern win::CString ProgramNameText;
inline win::LPCSTR ProgramName() { return ProgramNameText; }
// The settings file's full path.
extern win::CString SettingsPath;
// 7 client mode (the user is one customer), 1 trader mode.
extern win::BYTE ClientMode;
// [Config] UseCmdLine in client mode, else 0.
extern int UseCmdLine;
// The order request of the command line; all zero when there is none.
extern CCmdLineOrder CmdLineRecord;
// The start-up settings of the settings file.
extern ConsignStartSettings StartSettings;
// The global hot key's text ("CTRL+F12").
extern win::CString HotKeyText;
// The number the next order sent from this program carries.
extern int LocalOrderNumber;

// The login: the connection record of the chosen site with the typed texts, the
// order-method text sent with the login, the server that took the connection,
// the rights letters, the customer number logged in with and the order
// reference counter from the login answer.
extern ConnectionSettings LoginConnection;
extern win::CString OrderMethod;
extern win::CString CurrentServer;
extern win::CString RightsText;
extern win::CString LoginAccount;
extern int OrderReference;

// The one gateway session and the day's log (made at first use, for the life of
// the process).
CTradeSession &TheTradeSession();
CLogFile &ConsignLog();
