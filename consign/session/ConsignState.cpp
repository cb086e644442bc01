#include "consign/session/ConsignState.h"

using namespace win;

CString ProgramNameText;
CString SettingsPath;
BYTE ClientMode = 1;
int UseCmdLine = 0;
CCmdLineOrder CmdLineRecord{};
ConsignStartSettings StartSettings{};
CString HotKeyText;
int LocalOrderNumber = 0;

ConnectionSettings LoginConnection{};
CString OrderMethod;
CString CurrentServer;
CString RightsText;
CString LoginAccount;
int OrderReference = 0;

CTradeSession &TheTradeSession()
{
    static CTradeSession *session = new CTradeSession;
    return *session;
}

CLogFile &ConsignLog()
{
    static CLogFile *log = new CLogFile;
    return *log;
}
