// The requests of the trade session: one builder per request code, each body
// laid out field by field, and the waits of the requests that need their answer.
#include "consign/session/TradeSession.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/win/MessageBox.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

// Copies at most `width` bytes of the text into a zero-filled field.
void PutText(BYTE *field, LPCSTR text, int width)
{
    if (!text)
        return;
    const size_t length = strnlen(text, static_cast<size_t>(width));
    std::memcpy(field, text, length);
}

constexpr int PROCEDURE_BODY = 188;
constexpr int QUERY_BODY = 61;

// A stored-procedure body: user id, customer, kind and procedure name.
void StartProcedure(BYTE *body, LPCSTR user, LPCSTR customer, BYTE kind, LPCSTR name)
{
    std::memset(body, 0, PROCEDURE_BODY);
    PutText(body, user, 10);
    PutText(body + 10, customer, 10);
    body[20] = kind;
    PutText(body + 147, name, 40);
}

void PutParameter(BYTE *body, int n, LPCSTR text)
{
    PutText(body + 21 + 20 * (n - 1), text, 20);
}

// Whether a procedure answer is the one of this kind.
CGatewaySocket::AnswerMatch ProcedureKind(BYTE kind)
{
    return [kind](const GatewayPacket &packet) { return packet.body[20] == kind; };
}

} // namespace

bool CTradeSession::RefuseNotLoggedIn()
{
    if (m_bLoggedIn)
        return false;
    MessageBoxA(0, "没有登录，请先登录", nullptr, MB_OK);
    return true;
}

void CTradeSession::BuildLogin(BYTE *body, BYTE loginKind)
{
    std::memset(body, 0, 99);
    PutText(body, "consign", 10);
    PutText(body + 10, m_strUserId, 10);
    if (loginKind == 7)
        PutText(body + 20, m_strUserId, 10);
    PutText(body + 30, m_strPassword, 15);
    CString local;
    UINT port = 0;
    if (GetSockName(local, port))
        PutText(body + 46, local, 15);
    body[62] = '*';
    body[63] = loginKind;
    char first[13], second[13];
    GetAdapterAddresses(first, second);
    PutText(body + 65, first, 12);
    PutText(body + 77, second, 12);
}

bool CTradeSession::Login(char marker, BYTE loginKind, LPCSTR account, LPCSTR password,
                          CString &rights, CString &number)
{
    m_strUserId = account;
    m_strPassword = password;
    m_LoginKind = loginKind;
    m_bLoggedIn = 0;
    BYTE body[99];
    BuildLogin(body, loginKind);
    if (!SendRequest(50, body, sizeof body, marker))
        return false;
    if (!WaitForAnswer(178, false))
        return false;
    const BYTE *answer = m_Answer.body.data();
    BYTE record[160] = {};
    std::memcpy(record, answer, std::min<size_t>(m_Answer.body.size(), sizeof record));
    rights = CString(reinterpret_cast<const char *>(record + 33),
                     static_cast<int>(strnlen(reinterpret_cast<const char *>(record + 33), 10)));
    number = CString(reinterpret_cast<const char *>(record + 75),
                     static_cast<int>(strnlen(reinterpret_cast<const char *>(record + 75), 20)));
    SetClockFromLogin(record);
    m_bLoggedIn = m_Answer.header.status == 0;
    ShowMessage(m_bLoggedIn ? "登录成功" : "登录失败");
    return m_bLoggedIn != 0;
}

void CTradeSession::SetClockFromLogin(const BYTE *record)
{
    // "YYYYMMDD" at 43 and "HH:MM:SS" at 51; anything else leaves the clock alone.
    const char *d = reinterpret_cast<const char *>(record + 43);
    const char *t = reinterpret_cast<const char *>(record + 51);
    auto digits = [](const char *p, int n) {
        int value = 0;
        for (int i = 0; i < n; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return -1;
            value = value * 10 + (p[i] - '0');
        }
        return value;
    };
    const int year = digits(d, 4), month = digits(d + 4, 2), day = digits(d + 6, 2);
    const int hour = digits(t, 2), minute = digits(t + 3, 2), second = digits(t + 6, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || t[2] != ':' ||
        t[5] != ':')
        return;
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    SetLocalTime(&st);
}

bool CTradeSession::SendLogin(BYTE loginKind)
{
    m_LoginKind = loginKind;
    BYTE body[99];
    BuildLogin(body, loginKind);
    return SendRequest(50, body, sizeof body);
}

bool CTradeSession::SendLogout(BYTE stay)
{
    if (!m_bLoggedIn)
        return false;
    if (stay == 0)
        m_bLoggedIn = 0;
    BYTE body[22] = {};
    PutText(body, m_strUserId, 10);
    if (m_LoginKind == 7)
        PutText(body + 10, m_strUserId, 10);
    body[20] = m_LoginKind;
    body[21] = stay;
    return SendRequest(51, body, sizeof body);
}

bool CTradeSession::SendOrderRecord(BYTE code, const COrderRecord &order, char marker, LPCSTR batchName)
{
    COrderRecord wire = order;
    WriteBig32(reinterpret_cast<BYTE *>(&wire.volume), static_cast<DWORD>(order.volume));
    WriteBig32(reinterpret_cast<BYTE *>(&wire.orderNumber), static_cast<DWORD>(order.orderNumber));
    WriteBig32(reinterpret_cast<BYTE *>(&wire.dealtVolume), static_cast<DWORD>(order.dealtVolume));
    WriteBig32(reinterpret_cast<BYTE *>(&wire.volume2), static_cast<DWORD>(order.volume2));
    if (code == 52) {
        std::memset(wire.batchName, 0, sizeof wire.batchName + 2);
        PutText(reinterpret_cast<BYTE *>(wire.batchName), batchName, 10);
    }
    return SendRequest(code, &wire, sizeof wire, marker);
}

bool CTradeSession::SendOrderCheck(const COrderRecord &order, char marker, int number)
{
    if (RefuseNotLoggedIn())
        return false;
    m_bCheckResult = 0;
    if (!SendOrderRecord(39, order, marker, nullptr) || !WaitForAnswer(167, false))
        return false;
    if (m_Answer.header.status != 0) {
        MessageBoxA(0, m_Answer.text, nullptr, MB_OK);
        return false;
    }
    return m_bCheckResult && m_CheckNumber == number;
}

bool CTradeSession::SendOrder(const COrderRecord &order, char marker, LPCSTR batchName)
{
    if (RefuseNotLoggedIn())
        return false;
    return SendOrderRecord(52, order, marker, batchName);
}

bool CTradeSession::SendCancelOrder(const COrderRecord &order, char marker)
{
    if (RefuseNotLoggedIn())
        return false;
    return SendOrderRecord(53, order, marker, nullptr);
}

bool CTradeSession::ChangeTradePassword(LPCSTR account, LPCSTR oldPassword, LPCSTR newPassword)
{
    if (RefuseNotLoggedIn())
        return false;
    BYTE body[68] = {};
    PutText(body, account, 10);
    if (m_LoginKind == 7)
        PutText(body + 10, account, 10);
    PutText(body + 20, oldPassword, 16);
    PutText(body + 36, newPassword, 16);
    PutText(body + 52, newPassword, 16);
    m_bTradePasswordAnswered = 0;
    if (!SendRequest(54, body, sizeof body))
        return false;
    // Only the answer for this session's user ends the wait; a failed wait
    // (time-out, closed connection) ends it too.
    const int at = m_LoginKind == 7 ? 10 : 0;
    const CString user = m_strUserId.Left(10);
    const AnswerMatch mine = [at, user](const GatewayPacket &packet) {
        char name[11] = {};
        std::memcpy(name, packet.body + at, 10);
        return user == name;
    };
    if (!WaitForAnswer(182, false, mine))
        return false;
    return m_Answer.header.status == 0;
}

bool CTradeSession::SendQuery(BYTE code, LPCSTR extra, char first, char marker)
{
    BYTE body[QUERY_BODY] = {};
    body[0] = static_cast<BYTE>(first);
    PutText(body + 1, m_strUserId, 10);
    if (m_LoginKind == 7)
        PutText(body + 11, m_strUserId, 10);
    else if (code == 59)
        body[11] = '#';
    PutText(body + 21, m_strUserId, 10);
    PutText(body + 31, m_strUserId, 10);
    PutText(body + 41, extra, 10);
    if (code == 76)
        PutText(body + 51, extra, 10);
    return SendRequest(code, body, sizeof body, marker);
}

bool CTradeSession::QueryClients(bool wait)
{
    if (!m_bLoggedIn)
        return false;
    BYTE body[QUERY_BODY] = {};
    body[0] = '*';
    PutText(body + 1, m_strUserId, 10);
    if (!SendRequest(57, body, sizeof body))
        return false;
    return !wait || WaitForAnswer(185, false);
}

bool CTradeSession::QueryContracts()
{
    return m_bLoggedIn && SendQuery(58, nullptr);
}

bool CTradeSession::QueryDeals()
{
    return m_bLoggedIn && SendQuery(59, nullptr);
}

bool CTradeSession::QueryOrders()
{
    return m_bLoggedIn && SendQuery(60, nullptr);
}

bool CTradeSession::QueryFunds()
{
    return m_bLoggedIn && SendQuery(63, nullptr);
}

bool CTradeSession::SendContractRequest(LPCSTR contract)
{
    return m_bLoggedIn && SendQuery(76, contract);
}

bool CTradeSession::QueryMaxOpen(LPCSTR customer, LPCSTR contract, char direction)
{
    BYTE body[44] = {};
    PutText(body, m_strUserId, 10);
    PutText(body + 10, customer, 10);
    PutText(body + 20, contract, 10);
    PutText(body + 30, m_strUserId, 10);
    body[40] = static_cast<BYTE>(direction);
    return SendRequest(80, body, sizeof body);
}

bool CTradeSession::QuerySettleFlag(LPCSTR customer, BYTE kind, LPCSTR item)
{
    BYTE body[43] = {};
    PutText(body, m_strUserId, 10);
    PutText(body + 10, customer, 10);
    body[20] = kind;
    PutText(body + 21, item, 21);
    return SendRequest(82, body, sizeof body) && WaitForAnswer(210, false);
}

bool CTradeSession::QueryClientMode(char marker, LPCSTR traderId)
{
    BYTE body[QUERY_BODY] = {};
    body[0] = static_cast<BYTE>(marker);
    PutText(body + 1, m_strUserId, 10);
    PutText(body + 11, traderId, 10);
    PutText(body + 21, m_strUserId, 10);
    PutText(body + 31, m_strUserId, 10);
    if (m_LoginKind == 7)
        PutText(body + 41, "cltmode", 10);
    return SendRequest(85, body, sizeof body, marker) && WaitForAnswer(213, false);
}

bool CTradeSession::SubmitBankTransfer(LPCSTR customer, char value, LPCSTR text40, LPCSTR text16a,
                                       LPCSTR text16b, LPCSTR text16c, LPCSTR direction)
{
    BYTE body[169] = {};
    body[14] = static_cast<BYTE>(value);
    PutText(body + 15, m_strUserId, 10);
    PutText(body + 25, customer, 10);
    PutText(body + 35, text16c, 16);
    PutText(body + 51, text16a, 16);
    PutText(body + 67, text16b, 16);
    PutText(body + 83, direction, 2);
    PutText(body + 86, text40, 40);
    if (!SendRequest(34, body, sizeof body) || !WaitForAnswer(162, false))
        return false;
    Listener().ShowBankInfo("");
    // A refused transfer has no result to wait for: its text is in 本地信息.
    if (m_Answer.header.status != 0)
        return false;
    // The serial number the gateway gave the transfer names it in the result query.
    char serial[21] = {};
    std::memcpy(serial, m_Answer.body.data(), std::min<size_t>(m_Answer.body.size(), 20));
    Listener().ShowBankInfo("正在等待银行端处理，请稍候...");
    Sleep(m_TransferWaitMs);
    return QueryTransferResult(serial, customer, "", "");
}

bool CTradeSession::SendBatchGroups(int value)
{
    constexpr int PER_PACKET = 139;
    BYTE body[PER_PACKET * sizeof(CBatchMemberRecord)];
    CBatchMemberRecord lead = {};
    PutText(reinterpret_cast<BYTE *>(lead.trader), m_strUserId, 10);
    WriteBig16(reinterpret_cast<BYTE *>(&lead.group), static_cast<WORD>(value));
    std::memcpy(body, &lead, sizeof lead);
    int count = 1;
    for (const CBatchMemberRecord &member : BatchSendList) {
        if (count == PER_PACKET) {
            if (!SendRequest(37, body, count * static_cast<int>(sizeof member)))
                return false;
            count = 0;
        }
        CBatchMemberRecord wire = member;
        WriteBig16(reinterpret_cast<BYTE *>(&wire.priority), member.priority);
        WriteBig16(reinterpret_cast<BYTE *>(&wire.quantity), member.quantity);
        WriteBig16(reinterpret_cast<BYTE *>(&wire.group), member.group);
        std::memcpy(body + count * sizeof wire, &wire, sizeof wire);
        ++count;
    }
    return SendRequest(37, body, count * static_cast<int>(sizeof(CBatchMemberRecord)));
}

bool CTradeSession::SendBatchGroupCommand(BYTE code, LPCSTR first, LPCSTR second)
{
    BYTE body[QUERY_BODY] = {};
    body[0] = code == 74 ? 1 : 0;
    PutText(body + 1, m_strUserId, 10);
    PutText(body + 21, m_strUserId, 10);
    PutText(body + 31, m_strUserId, 10);
    if (first && *first)
        PutText(body + 11, first, 10);
    if (second && *second) {
        PutText(body + 41, second, 10);
        PutText(body + 51, second, 10);
    }
    return SendRequest(code, body, sizeof body);
}

bool CTradeSession::SendProcedure(BYTE *body, bool wait, bool needLast)
{
    if (!SendRequest(88, body, PROCEDURE_BODY))
        return false;
    return !wait || WaitForAnswer(216, needLast, ProcedureKind(body[20]));
}

bool CTradeSession::QueryBankAccounts(LPCSTR customer)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, customer, 4, "yq_getyhzhforjy");
    PutParameter(body, 1, customer);
    body[141] = '6';
    return SendProcedure(body, true, false);
}

bool CTradeSession::QueryTransferResult(LPCSTR p1, LPCSTR p2, LPCSTR p3, LPCSTR p4)
{
    return QueryTransfers(3, p1, p2, p3, p4);
}

bool CTradeSession::QueryTransferRecords(LPCSTR serial, LPCSTR customer, LPCSTR start, LPCSTR end)
{
    return QueryTransfers(5, serial, customer, start, end);
}

bool CTradeSession::QueryTransfers(int kind, LPCSTR p1, LPCSTR p2, LPCSTR p3, LPCSTR p4)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, nullptr, kind, "yq_getkhzzforjy");
    PutParameter(body, 1, p1);
    PutParameter(body, 2, p2);
    PutParameter(body, 3, p3);
    PutParameter(body, 4, p4);
    if (m_LoginKind != 7)
        PutParameter(body, 5, m_strUserId);
    body[141] = 'D';
    return SendProcedure(body, false, false);
}

bool CTradeSession::QueryCommonKtj(LPCSTR customer, LPCSTR p1, LPCSTR p2)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, m_LoginKind == 7 ? customer : static_cast<LPCSTR>(m_strUserId),
                   34, "LQueryCommonKtj");
    PutParameter(body, 1, p1);
    PutParameter(body, 2, p2);
    return SendProcedure(body, false, false);
}

bool CTradeSession::QueryClientDetails()
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, m_strUserId, 6, "LQueryCommonClientMX");
    PutParameter(body, 1, m_strUserId);
    m_bClientDetailsAsked = 1;
    return SendProcedure(body, true, false);
}

bool CTradeSession::QueryMaxPosition(const BYTE *pageBody, LPCSTR customer)
{
    BYTE body[PROCEDURE_BODY];
    std::memcpy(body, pageBody, PROCEDURE_BODY);
    std::memset(body, 0, 20);
    PutText(body, m_strUserId, 10);
    PutText(body + 10, m_LoginKind == 7 ? static_cast<LPCSTR>(m_strUserId) : customer, 10);
    return SendProcedure(body, false, false);
}

bool CTradeSession::ChangeFundPassword(LPCSTR oldPassword, LPCSTR newPassword)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, m_strUserId, 20, "change_zjmm");
    PutParameter(body, 1, m_strUserId);
    PutParameter(body, 2, oldPassword);
    PutParameter(body, 3, newPassword);
    return SendProcedure(body, true, false);
}

bool CTradeSession::RequestSettlementStatement(LPCSTR customer, LPCSTR date)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, customer, 22, nullptr);
    char first[13], second[13];
    GetAdapterAddresses(first, second);
    PutParameter(body, 1, customer);
    PutParameter(body, 2, first);
    PutParameter(body, 3, second);
    PutParameter(body, 4, date);
    return SendProcedure(body, true, true);
}

bool CTradeSession::QuerySettleConfirm(LPCSTR customer)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, customer, 23, "sp_query_common_settle_confirm");
    char first[13], second[13];
    GetAdapterAddresses(first, second);
    PutParameter(body, 1, customer);
    PutParameter(body, 2, first);
    PutParameter(body, 3, second);
    return SendProcedure(body, true, true);
}

bool CTradeSession::ConfirmSettlement(LPCSTR customer)
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, customer, 24, "sp_settle_confirm");
    char first[13], second[13];
    GetAdapterAddresses(first, second);
    PutParameter(body, 1, customer);
    PutParameter(body, 2, first);
    PutParameter(body, 3, second);
    return SendProcedure(body, true, true);
}

bool CTradeSession::QueryPositions()
{
    BYTE body[PROCEDURE_BODY];
    StartProcedure(body, m_strUserId, m_LoginKind == 7 ? static_cast<LPCSTR>(m_strUserId) : nullptr,
                   38, "LqueryCommonPosition");
    body[21] = '*';
    if (m_LoginKind == 7) {
        PutParameter(body, 6, m_strUserId);
    } else {
        PutParameter(body, 2, m_strUserId);
        PutParameter(body, 3, m_strUserId);
    }
    return SendProcedure(body, false, false);
}
