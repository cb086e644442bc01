#include "consign/session/ui/CServerTestDlg.h"

#include "consign/session/ConsignState.h"
#include "consign/session/LoginSupport.h"
#include "consign/session/ui/SessionDialogs.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

BEGIN_MESSAGE_MAP(CServerTestDlg, CDialog)
    ON_CBN_SELCHANGE(1225, OnAddressChange)
END_MESSAGE_MAP()

CServerTestDlg::CServerTestDlg(CWnd *pParent) : CDialog(IDD_SERVER_TEST, pParent)
{
    RegisterSessionDialogs();
}

void CServerTestDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1225, addresses_);
}

BOOL CServerTestDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const ServerSlot &slot : LoginConnection.servers) {
        if (slot.port == 0)
            continue;
        addresses_.AddString(slot.address);
        ports_.push_back(slot.port);
    }
    if (!ports_.empty()) {
        addresses_.SetCurSel(0);
        SetDlgItemInt(1029, ports_[0], FALSE);
    }
    return TRUE;
}

void CServerTestDlg::OnAddressChange()
{
    const int select = addresses_.GetCurSel();
    if (select >= 0 && select < static_cast<int>(ports_.size()))
        SetDlgItemInt(1029, ports_[select], FALSE);
    SetDlgItemText(1221, "");
}

void CServerTestDlg::OnOK()
{
    const int select = addresses_.GetCurSel();
    if (select < 0 || select >= static_cast<int>(ports_.size()))
        return;
    CString address;
    addresses_.GetLBText(select, address);
    CTradeSession &session = TheTradeSession();
    session.m_TargetAddress = address;
    session.m_TargetPort = ports_[select];
    const bool proxy = LoginConnection.proxyInUse != 0;
    // A socket of its own for the test: the login's may hold a failed attempt.
    session.Close();
    int error = 0;
    if (!session.Create()) {
        error = CAsyncSocket::GetLastError();
    } else {
        session.AsyncSelect(0);
        DWORD blocking = 0;
        session.IOCtl(FIONBIO, &blocking);
        if (!session.CAsyncSocket::Connect(proxy ? LoginConnection.proxyAddress : static_cast<LPCSTR>(address),
                             proxy ? LoginConnection.proxyPort : ports_[select]))
            error = CAsyncSocket::GetLastError();
        DWORD nonBlocking = 1;
        session.IOCtl(FIONBIO, &nonBlocking);
        session.Close();
    }
    if (error == 0) {
        SetDlgItemText(1221, "成功, 请关闭后再次运行");
    } else {
        CString text;
        text.Format("失败：%s", SocketErrorText(error));
        SetDlgItemText(1221, text);
    }
}
