#include "consign/session/ui/LoginLoop.h"

#include <cstdlib>
#include <cstring>

#include "consign/session/ConsignState.h"
#include "consign/session/IdentityPlugin.h"
#include "consign/session/LoginSupport.h"
#include "consign/session/ui/CServerTestDlg.h"
#include "consign/session/ui/CTradeLoginDlg.h"
#include "consign/session/ui/SiteKeys.h"
#include "platform/appframe/CWinApp.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

void Log(const char *text) { ConsignLog().WriteLine(text, 1); }

int ConfigInt(const char *key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA("Config", key, defaultValue, SettingsPath));
}

// Runs the dialog and prepares the record of the chosen site: 1 go on and
// connect, 0 show the dialog again, -1 cancelled.
int AskUser()
{
    CTradeLoginDlg dialog(AfxGetMainWnd());
    if (dialog.DoModal() != IDOK)
        return -1;
    LoadConnectionSettings(SettingsPath, ReadServerSelect(), dialog.m_strUser, dialog.m_strPassword,
                           dialog.m_strIdentityPassword, LoginConnection);
    CurrentServer.Empty();
    const ConnectionSettings &c = LoginConnection;
    if (c.servers[0].port == 0 && c.servers[1].port == 0 && c.servers[2].port == 0) {
        AfxMessageBox("至少要指定一个服务器");
        return 0;
    }
    CString line;
    line.Format("%s 正在登录", c.customer);
    Log(line);
    if (!c.identityInUse) {
        OrderMethod = "consign";
        return 1;
    }
    const IdentityRequest request{c.identityLibrary, c.identityAddress, c.identityPort, c.customer,
                                  c.proxyInUse,      c.proxyAddress,    c.proxyPort};
    CString text;
    if (!RunIdentityPlugin(request, c.identityPassword, text)) {
        AfxMessageBox(text);
        return 0;
    }
    OrderMethod = text;
    return 1;
}

} // namespace

int LoginLoop(int dialogFlag)
{
    CTradeSession &session = TheTradeSession();
    session.m_PingInterval = ConfigInt("Ping Interval", 20);
    session.m_PingTimeOut = static_cast<DWORD>(ConfigInt("Ping TimeOut", 2500));
    int refusals = 0;
    bool connected = false;
    bool ask = dialogFlag != 0;
    for (;;) {
        if (ask) {
            const int asked = AskUser();
            if (asked < 0)
                return 0;
            if (asked == 0)
                continue;
        }
        ask = dialogFlag != 0;

        for (const ServerSlot &slot : LoginConnection.servers) {
            if (slot.port == 0)
                continue;
            const int result = ConnectGatewayServer(slot.address, slot.port, dialogFlag);
            if (result < 0)
                return 0;
            if (result == 1) {
                CurrentServer = slot.address;
                connected = true;
                break;
            }
            CurrentServer.Empty();
        }
        if (!connected) {
            if (!dialogFlag)
                return 0;
            CString text;
            text.Format("连接错误：%s", SocketErrorText(CAsyncSocket::GetLastError()));
            AfxMessageBox(text);
            Log(text);
            CServerTestDlg test(AfxGetMainWnd());
            test.DoModal();
            continue;
        }

        ClientMode = ConfigInt("Client Mode", 0) != 0 ? 7 : 1;
        char packed[17] = {};
        const int packResult = PackCustomerNumber(LoginConnection.customer, packed);
        if (packResult < 0) {
            if (dialogFlag)
                AfxMessageBox(packResult == -1 ? "客户号中含有非数字！" : "客户号长度非法！");
            return 0;
        }
        CString customer = LoginConnection.customer;
        CString rights, number;
        if (std::strcmp(packed, LoginConnection.customer) != 0) {
            session.Login('*', ClientMode, packed, LoginConnection.password, rights, number);
            if (rights.IsEmpty()) {
                if (dialogFlag)
                    AfxMessageBox("客户属性编码不存在！");
                return 0;
            }
            customer = rights;
        }
        if (session.Login('*', ClientMode, customer, LoginConnection.password, rights, number)) {
            if (rights.Find('A') < 0) {
                Log("无权运行此程序!");
                if (dialogFlag)
                    AfxMessageBox("无权运行此程序!");
                return 0;
            }
            LoginAccount = customer;
            RightsText = rights;
            if (ClientMode == 7)
                session.QueryClientMode('*', customer);
            ClearSettleFolder();
            OrderReference = std::atoi(number);
            return 1;
        }

        Log(session.m_szMessage);
        if (dialogFlag)
            AfxMessageBox(session.m_szMessage);
        if (refusals > 2)
            return 0;
        ++refusals;
        if (connected) {
            session.Close();
            connected = false;
        }
    }
}
