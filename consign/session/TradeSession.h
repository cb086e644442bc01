// The one gateway session of the order client: opens the connection (directly or
// through a SOCKS5 proxy) with its hello, builds every request, dispatches every
// answer into the record lists and to the pages, pings the gateway and starts
// the reconnection when it falls silent or the connection closes.
#pragma once

#include "consign/session/GatewaySocket.h"
#include "consign/session/LogFile.h"
#include "consign/session/RecordLists.h"
#include "consign/session/SessionListener.h"
#include "platform/win/CString.h"

class CTradeSession : public CGatewaySocket {
public:
    CTradeSession() = default;

    // Connects to `address`:`port` (the proxy's when the proxy is in use, else
    // the gateway's), negotiates the proxy's CONNECT to the target, sends the
    // hello and reads packets until its answer. The proxy user and password are
    // given only when the proxy wants them. False when any step fails; a refused
    // hello shows the gateway's text first.
    bool Connect(win::LPCSTR address, win::UINT port, win::LPCSTR proxyUser, win::LPCSTR proxyPassword);

    // A connection completed asynchronously: keys reset and the hello sent.
    void OnConnect(int errorCode) override;

    // Puts the text into the main window's status line.
    void ShowMessage(win::LPCSTR text) override;

    // --- Requests. Each returns false when its packet cannot be written. ---

    // Code 50: logs in and waits for the answer; keeps the account and password
    // for re-logins. `rights` and `number` get the answer's texts at 33 and 75.
    // Sets the clock from the gateway's date and time. True when accepted.
    bool Login(char marker, win::BYTE loginKind, win::LPCSTR account, win::LPCSTR password,
               win::CString &rights, win::CString &number);
    // Code 50 after a reconnection, with the kept account and password; no wait.
    bool SendLogin(win::BYTE loginKind);
    // Code 51, only while logged in; a zero `stay` ends the logged-in state first.
    bool SendLogout(win::BYTE stay);

    // Codes 39, 52, 53: the order record (with the exchange letter as marker).
    // Refused with "没有登录，请先登录" while not logged in. The check waits for
    // its answer and is true when it succeeded for the caller's `number`.
    bool SendOrderCheck(const COrderRecord &order, char marker, int number);
    bool SendOrder(const COrderRecord &order, char marker, win::LPCSTR batchName);
    bool SendCancelOrder(const COrderRecord &order, char marker);
    // Code 54: waits for the answer for this account; true when it succeeded.
    bool ChangeTradePassword(win::LPCSTR account, win::LPCSTR oldPassword, win::LPCSTR newPassword);

    // Queries; the first six send nothing and give false while not logged in.
    bool QueryClients(bool wait);
    bool QueryContracts();
    bool QueryDeals();
    bool QueryOrders();
    bool QueryFunds();
    bool SendContractRequest(win::LPCSTR contract);
    bool QueryMaxOpen(win::LPCSTR customer, win::LPCSTR contract, char direction);
    bool QuerySettleFlag(win::LPCSTR customer, win::BYTE kind, win::LPCSTR item);
    bool QueryClientMode(char marker, win::LPCSTR traderId);

    // Code 34: a transfer; waits for its answer, shows the wait text, sleeps
    // [Config] YQZZWaitingTime and asks for the result.
    bool SubmitBankTransfer(win::LPCSTR customer, char value, win::LPCSTR text40, win::LPCSTR text16a,
                            win::LPCSTR text16b, win::LPCSTR text16c, win::LPCSTR direction);
    // Code 37: the lead record (trader id and `value`), then BatchSendList, 139
    // records a packet.
    bool SendBatchGroups(int value);
    // Any group command; byte 0 is 1 for code 74.
    bool SendBatchGroupCommand(win::BYTE code, win::LPCSTR first, win::LPCSTR second);

    // Code 88, the stored procedures.
    bool QueryBankAccounts(win::LPCSTR customer);
    bool QueryTransferResult(win::LPCSTR p1, win::LPCSTR p2, win::LPCSTR p3, win::LPCSTR p4);
    bool QueryTransferRecords(win::LPCSTR serial, win::LPCSTR customer, win::LPCSTR start, win::LPCSTR end);
    bool QueryCommonKtj(win::LPCSTR customer, win::LPCSTR p1, win::LPCSTR p2);
    bool QueryClientDetails();
    // `body`: the 188 bytes the order entry page built; the session adds the ids.
    bool QueryMaxPosition(const win::BYTE *body, win::LPCSTR customer);
    bool ChangeFundPassword(win::LPCSTR oldPassword, win::LPCSTR newPassword);
    bool RequestSettlementStatement(win::LPCSTR customer, win::LPCSTR date);
    bool QuerySettleConfirm(win::LPCSTR customer);
    bool ConfirmSettlement(win::LPCSTR customer);
    bool QueryPositions();

    // Code 127, from the main window's ping timer: the new missing-answer count,
    // or 0 when nothing was sent.
    int SendPing();

    // --- Connection state. ---
    void OnClose(int errorCode) override;
    virtual void OnConnectionLost();
    virtual void StartReconnect();

    // The answer dispatcher.
    int OnPacket(GatewayPacket &packet) override;
    void OnSettleFlag(const char *text) override;

    // The two adapter addresses as 12 hexadecimal digits, empty when absent.
    static void GetAdapterAddresses(char first[13], char second[13]);

    // The gateway server the proxy is asked to reach, set before Connect.
    win::CString m_TargetAddress;
    win::UINT m_TargetPort = 0;
    // [Login] ProxyInuse.
    int m_ProxyInUse = 0;
    // The main window and the pages; none in a session without a window.
    CSessionListener *m_pListener = nullptr;
    // The log every answer line goes to; none when there is no log.
    CLogFile *m_pLog = nullptr;
    // The main window's title text.
    win::CString m_strTitle;
    // [Config] YQZZWaitingTime.
    win::DWORD m_TransferWaitMs = 8000;

    // State kept for waiting requests and the pages.
    win::CString m_strPassword;
    int m_bReconnecting = 0;
    int m_bDisconnectedByServer = 0;
    int m_bCheckResult = 0;
    int m_CheckNumber = 0;
    char m_SettleFlag = 0;
    win::CString m_strSettleConfirm;
    int m_bClientDetailsAsked = 0;
    win::CString m_strClientName;
    win::CString m_strPositionText;

    // The hello body, sent unchanged.
    static const win::BYTE HELLO_BODY[17];
    // Group numbers of answer 214 from this one on are refused.
    static constexpr int MAX_BATCH_GROUPS = 1000;

private:
    bool NegotiateProxy(win::LPCSTR proxyUser, win::LPCSTR proxyPassword);
    bool ReceiveFromProxy(void *destination, int count);
    bool SendHello();

    CSessionListener &Listener();
    void Log(win::LPCSTR text);
    bool RefuseNotLoggedIn();
    void BuildLogin(win::BYTE *body, win::BYTE loginKind);
    bool SendQuery(win::BYTE code, win::LPCSTR extra, char first = '*', char marker = '*');
    bool SendOrderRecord(win::BYTE code, const COrderRecord &order, char marker, win::LPCSTR batchName);
    bool SendProcedure(win::BYTE *body, bool wait, bool needLast);
    // Both transfer queries of the stored procedure: the result (kind 3) and the
    // records (kind 5).
    bool QueryTransfers(int kind, win::LPCSTR p1, win::LPCSTR p2, win::LPCSTR p3, win::LPCSTR p4);
    void SetClockFromLogin(const win::BYTE *body);

    void OnOrderRecords(GatewayPacket &packet);
    void OnOrderAnswers(GatewayPacket &packet);
    void OnDealReports(GatewayPacket &packet);
    void OnLoginAnswer(const GatewayPacket &packet);
    int OnProcedureAnswer(GatewayPacket &packet);
    int WriteStatement(const GatewayPacket &packet);

    win::DWORD m_LastPingCheck = 0;
    bool m_PingStarted = false;
};
