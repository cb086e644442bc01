// The answer dispatcher of the trade session: what each answer code does to the
// record lists, the session's flags, the log and the pages.
#include "consign/session/TradeSession.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "consign/session/Helpers.h"
#include "consign/session/ResultText.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/MessageBox.h"

using namespace win;

namespace {

// A fixed-width text field, which need not be terminated.
CString FieldText(const BYTE *field, int width)
{
    const char *p = reinterpret_cast<const char *>(field);
    return CString(p, static_cast<int>(strnlen(p, static_cast<size_t>(width))));
}

const char *DirectionWord(BYTE flags)
{
    return (flags & 1) ? "买" : "\xA3\xA0卖";
}

const char *OpenCloseWord(BYTE flags)
{
    if (flags & 2)
        return "开仓";
    return (flags & 8) ? "平今" : "平仓";
}

const char *CodeName(BYTE code)
{
    switch (code) {
    case 39: return "委托校验命令";
    case 50: return "登录命令";
    case 51: return "录出命令";
    case 52: return "委托命令";
    case 53: return "撤单命令";
    case 67: return "成交回报";
    case 130: return "委托回报";
    case 131: return "撤单回报";
    case 167: return "委托检验响应";
    case 178: return "登录响应";
    case 179: return "录出响应";
    case 180: return "委托响应";
    case 181: return "撤单响应";
    default: return "未知命令";
    }
}

// "%s %d,%s,%s,%s,%d,%s": a lead text and the order's number, customer,
// contract, direction, volume and open/close.
CString OrderLine(LPCSTR lead, const COrderRecord &order)
{
    CString line;
    line.Format("%s %d,%.10s,%.10s,%s,%d,%s", lead, order.orderNumber, order.customer, order.contract,
                DirectionWord(order.flags), order.volume, OpenCloseWord(order.flags));
    return line;
}

// The records of a list answer: emptied by a first packet, appended by every one.
template <typename Record>
void FillList(std::list<Record> &list, const GatewayPacket &packet, int wireSize)
{
    if (packet.IsFirst())
        list.clear();
    for (int at = 0; at + wireSize <= packet.BodyLength(); at += wireSize) {
        Record record = {};
        std::memcpy(&record, packet.body + at, sizeof record);
        list.push_back(record);
    }
}

// The result text of a procedure answer: from body offset 61, at most 512 bytes.
void ResultTextOf(const GatewayPacket &packet, char text[RESULT_TEXT_SIZE + 1])
{
    std::memset(text, 0, RESULT_TEXT_SIZE + 1);
    const int length = packet.BodyLength() - 61;
    if (length > 0)
        std::memcpy(text, packet.body + 61, std::min(length, RESULT_TEXT_SIZE));
}

// A statement's file name comes from the network: only letters, digits, '-' and
// '_' may name a file, so that the name stays inside the statement folder.
bool IsSafeFileName(const CString &name)
{
    if (name.IsEmpty())
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        const char c = name[i];
        const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        c == '-' || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

// The decimal count of a statement unit: digits from the start of the field.
int UnitCount(const BYTE *field)
{
    int value = 0;
    for (int i = 0; i < 20 && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > 100000)
            break;
    }
    return value;
}

} // namespace

int CTradeSession::OnPacket(GatewayPacket &packet)
{
    if (!CGatewaySocket::OnPacket(packet))
        return 0;
    const GatewayHeader &h = packet.header;
    BYTE *body = packet.body;
    const int length = packet.BodyLength();
    CString line;

    switch (h.code) {
    case 12:
    case 140: {
        const CString text = FieldText(body + 34, 84);
        if (h.status != 0)
            Listener().SetMainTitle(m_strTitle + "--" + text);
        ShowMessage(text);
        Listener().ShowInformation(body, length, (body[25] & 0x80) != 0);
        break;
    }
    case 67:
        OnDealReports(packet);
        break;
    case 128:
        if (packet.Failed()) {
            MessageBoxA(0, packet.text, nullptr, MB_OK);
            Log(packet.text);
            break;
        }
        m_bHelloComplete = 1;
        m_Cipher.m_Encipher = body[0] == 1 ? 1 : 0;
        if (!m_bLoggedIn && m_bReconnecting)
            SendLogin(m_LoginKind);
        break;
    case 130:
    case 131:
    case 181:
        OnOrderRecords(packet);
        break;
    case 139: {
        static const char *const names[] = {"初始化", "开市", "开盘", "收盘", "收市", "暂停", "清算"};
        WORD state = 0;
        std::memcpy(&state, body, 2);
        const char *name = state >= 1 && state <= 7 ? names[state - 1] : "未知";
        line.Format("%c交易所%s", h.marker, name);
        ShowMessage(line);
        Log(line);
        Listener().ShowExchangeState(line);
        if (h.marker == '*' && state == 1) {
            QueryOrders();
            QueryDeals();
            QueryPositions();
            QueryFunds();
        }
        break;
    }
    case 162:
        if (!packet.Failed()) {
            line.Format("本地发送请求成功!流水号：%s", static_cast<LPCSTR>(FieldText(body, 20)));
        } else {
            line = FieldText(body + 126, 40);
            if (line.IsEmpty())
                line = packet.text;
        }
        Listener().ShowTransferResult(line);
        break;
    case 165:
        if (packet.Failed()) {
            MessageBoxA(0, packet.text, nullptr, MB_OK);
            SendBatchGroupCommand(86, "-1", "");
        } else if (packet.IsLast()) {
            SendBatchGroupCommand(86, "-1", "");
        }
        break;
    case 167:
        // The check answer's record is not among those turned to host order
        // before: its number is read as it travels.
        m_bCheckResult = !packet.Failed();
        m_CheckNumber = static_cast<int32_t>(ReadBig32(body + 56));
        break;
    case 176:
        ShowMessage("lquery error");
        break;
    case 178:
        OnLoginAnswer(packet);
        break;
    case 179:
        Log("被服务器断开!");
        if (body[21] != 0) {
            m_bDisconnectedByServer = 1;
            Log(packet.text);
            MessageBoxA(0, packet.text, nullptr, MB_OK);
            Listener().ShowMessageLine(packet.text);
        }
        m_bLoggedIn = 0;
        break;
    case 180:
        OnOrderAnswers(packet);
        break;
    case 185:
        FillList(ClientList, packet, 46);
        break;
    case 186:
        FillList(ContractList, packet, 136);
        if (packet.IsLast())
            Listener().RefreshList(SessionList::contracts);
        break;
    case 187:
        FillList(DealList, packet, 108);
        if (packet.IsLast())
            Listener().RefreshList(SessionList::deals);
        break;
    case 188:
        FillList(OrderList, packet, 188);
        if (packet.IsLast())
            Listener().RefreshList(SessionList::orders);
        break;
    case 190:
        FillList(OldPositionList, packet, 76);
        break;
    case 191:
        FillList(FundList, packet, 171);
        if (packet.IsLast())
            Listener().RefreshList(SessionList::funds);
        break;
    case 204:
        if (packet.Failed() || length < 96) {
            Listener().OnQuote(nullptr);
            break;
        }
        {
            int32_t bid = 0, ask = 0, bidVolume = 0, askVolume = 0;
            std::memcpy(&bid, body + 36, 4);
            std::memcpy(&bidVolume, body + 56, 4);
            std::memcpy(&ask, body + 40, 4);
            std::memcpy(&askVolume, body + 60, 4);
            line.Format("%s:买入%d量%d,卖出%d量%d", static_cast<LPCSTR>(FieldText(body + 2, 8)), bid,
                        bidVolume, ask, askVolume);
            Log(line);
            Listener().OnQuote(body);
        }
        break;
    case 208:
        if (!packet.Failed()) {
            WORD closable = 0, closableToday = 0;
            std::memcpy(&closable, body + 36, 2);
            std::memcpy(&closableToday, body + 38, 2);
            line.Format("可用:%s,可平:%d,可平今:%d", static_cast<LPCSTR>(FieldText(body + 20, 16)),
                        closable, closableToday);
            if (m_strPositionText.IsEmpty()) {
                m_strPositionText = line;
                Listener().SetPositionText(m_strPositionText);
            } else if (m_strPositionText.Find("可开手数") == 0) {
                m_strPositionText += " " + line;
                Listener().SetPositionText(m_strPositionText);
                ShowMessage(m_strPositionText);
            }
        }
        break;
    case 213:
        if (m_LoginKind == 7) {
            FillList(ClientModeList, packet, 31);
        } else {
            std::vector<CString> texts;
            for (int at = 0; at + 31 <= length; at += 31)
                texts.push_back(FieldText(body + at, 28));
            Listener().FillCustomerBox(texts, packet.IsFirst(), packet.IsLast());
        }
        break;
    case 214:
        if (packet.IsFirst())
            BatchGroupTable.clear();
        for (int at = 0; at + 28 <= length; at += 28) {
            CBatchMemberRecord member;
            std::memcpy(&member, body + at, sizeof member);
            member.priority = ReadBig16(body + at + 20);
            member.quantity = ReadBig16(body + at + 22);
            member.group = ReadBig16(body + at + 24);
            if (member.group >= MAX_BATCH_GROUPS) {
                line.Format("批量组号%u超出范围", member.group);
                Log(line);
                continue;
            }
            if (BatchGroupTable.size() <= member.group)
                BatchGroupTable.resize(member.group + 1u);
            BatchGroupTable[member.group].push_back(member);
        }
        if (packet.IsLast())
            Listener().RefreshList(SessionList::batchGroups);
        break;
    case 216:
        return OnProcedureAnswer(packet);
    default:
        break;
    }
    return 1;
}

void CTradeSession::OnDealReports(GatewayPacket &packet)
{
    if (packet.Failed())
        return;
    for (int at = 0; at + 128 <= packet.BodyLength(); at += 128) {
        BYTE *record = packet.body + at;
        int32_t number = 0, count = 0;
        std::memcpy(&number, record + 68, 4);
        std::memcpy(&count, record + 56, 4);
        Listener().OnDealReport(record);
        CString line;
        line.Format("成交回报 %d,%s,%s,%s,%d,%s", number, static_cast<LPCSTR>(FieldText(record + 10, 10)),
                    static_cast<LPCSTR>(FieldText(record + 20, 10)), DirectionWord(record[113]), count,
                    OpenCloseWord(record[113]));
        Log(line);
        Listener().ShowMessageLine(line);
    }
}

void CTradeSession::OnOrderRecords(GatewayPacket &packet)
{
    const GatewayHeader &h = packet.header;
    for (int at = 0; at + 132 <= packet.BodyLength(); at += 132) {
        COrderRecord order;
        std::memcpy(&order, packet.body + at, sizeof order);
        Listener().OnCancelReport(order);
        Listener().ShowMessageLine(OrderLine(packet.Failed() ? packet.text : CodeName(h.code), order));
        if (h.code == 181) {
            CString line;
            const CString price = FieldText(reinterpret_cast<const BYTE *>(order.price), 8);
            if (packet.Failed())
                line.Format("撤单指令失败:%s: 委托号%d 客户号%.8s 合约%.8s %s 撤量%d %s 价格%s", packet.text,
                            order.orderNumber, order.customer, order.contract, DirectionWord(order.flags),
                            order.volume2, OpenCloseWord(order.flags), static_cast<LPCSTR>(price));
            else
                line.Format("撤单指令已发出: 委托号%d 客户号%.8s 合约%.8s %s 撤量%d %s 价格%s",
                            order.orderNumber, order.customer, order.contract, DirectionWord(order.flags),
                            order.volume2, OpenCloseWord(order.flags), static_cast<LPCSTR>(price));
            Log(line);
        }
        if (packet.Failed())
            Listener().ShowErrorInformation(packet.text);
        // Order reports and cancel answers change the orders: ask for them again.
        if (h.code == 130 || h.code == 181)
            QueryOrders();
    }
    if (packet.text[0])
        Listener().ShowMessageLine(packet.text);
}

void CTradeSession::OnOrderAnswers(GatewayPacket &packet)
{
    for (int at = 0; at + 132 <= packet.BodyLength(); at += 132) {
        COrderRecord order;
        std::memcpy(&order, packet.body + at, sizeof order);
        if (!packet.Failed()) {
            Listener().OnOrderAnswer(order);
            const CString line = OrderLine("委托已发出", order);
            Log(line);
            Listener().ShowMessageLine(line);
            continue;
        }
        Listener().OnOrderRejected(order, packet.text);
        Listener().ShowMessageLine(OrderLine(packet.text, order));
        Listener().ShowErrorInformation(packet.text);
        const CString batch = FieldText(reinterpret_cast<const BYTE *>(order.batchName), 10);
        if (!batch.IsEmpty() && batch != "single") {
            CString text;
            text.Format("批量组 %s 进行批量委托，其中客户 %.10s 委托失败，%s, 已经生成单笔委托单",
                        static_cast<LPCSTR>(batch), order.customer, packet.text);
            MessageBoxA(0, text, nullptr, MB_OK);
            Listener().AddFailedBatchOrder(order);
        }
    }
}

void CTradeSession::OnLoginAnswer(const GatewayPacket &packet)
{
    if (!packet.Failed()) {
        m_bLoggedIn = 1;
        m_MissingAnswers = 0;
    }
    if (!m_bReconnecting)
        return;
    if (packet.Failed()) {
        m_bLoggedIn = 0;
        MessageBoxA(0, packet.text, nullptr, MB_OK);
    }
    const char *result = m_bLoggedIn ? "登录成功" : "登录失败";
    ShowMessage(result);
    Log(result);
    Listener().EnableReconnectItem(true);
    Listener().StopReconnectTimer();
    m_bReconnecting = 0;
}

void CTradeSession::OnSettleFlag(const char *text)
{
    m_SettleFlag = text[0];
}

int CTradeSession::OnProcedureAnswer(GatewayPacket &packet)
{
    const BYTE kind = packet.body[20];
    char text[RESULT_TEXT_SIZE + 1];
    ResultTextOf(packet, text);
    char record[RESULT_TEXT_SIZE + 1];
    char field[RESULT_TEXT_SIZE + 1];

    switch (kind) {
    case 1:
        m_strPositionText = packet.Failed() ? "" : CString(text + LastSeparatorEnd(text)).Left(67);
        Listener().SetPositionText(m_strPositionText);
        break;
    case 3:
        if (packet.Failed()) {
            Listener().ShowBankInfo(packet.text);
            MessageBoxA(0, packet.text, nullptr, MB_OK);
            break;
        }
        for (int n = CountRecords(13, text); n > 0; --n) {
            TakeFields(13, record, text);
            char amount[RESULT_TEXT_SIZE + 1], state[RESULT_TEXT_SIZE + 1], result[RESULT_TEXT_SIZE + 1];
            GetField(record, amount, '|', 9, sizeof amount);
            GetField(record, state, '|', 10, sizeof state);
            GetField(record, result, '|', 11, sizeof result);
            CString line;
            line.Format("金额：%s,处理状态：%s,处理结果：%s", amount, state, result);
            Listener().ShowBankInfo(line);
        }
        break;
    case 4:
    case 5: {
        const int fields = kind == 4 ? 6 : 13;
        std::list<CString> &list = kind == 4 ? BankAccountList : TransferRecordList;
        if (packet.IsFirst())
            list.clear();
        for (int n = CountRecords(fields, text); n > 0; --n) {
            TakeFields(fields, record, text);
            list.push_back(record);
        }
        if (!packet.IsLast())
            break;
        // The bank-account answer's own text goes to the transfer pages' local text.
        if (kind == 4)
            Listener().ShowTransferResult(packet.text);
        Listener().RefreshList(kind == 4 ? SessionList::bankAccounts : SessionList::transferRecords);
        break;
    }
    case 6:
        for (int n = CountRecords(21, text); n > 0; --n) {
            TakeFields(21, record, text);
            if (m_bClientDetailsAsked) {
                m_strClientName = GetField(record, field, '|', 2, sizeof field);
                Listener().ShowClientName(m_strClientName);
            }
        }
        break;
    case 20:
    case 24:
        return packet.Failed() ? 0 : 1;
    case 22:
        return WriteStatement(packet);
    case 23:
        m_strSettleConfirm = text + LastSeparatorEnd(text);
        break;
    case 34:
        if (packet.Failed()) {
            MessageBoxA(0, packet.text, nullptr, MB_OK);
            break;
        }
        Listener().SetWithdrawableFunds(GetField(text, field, '|', 2, sizeof field));
        break;
    case 38:
        if (packet.Failed()) {
            MessageBoxA(0, "持仓查询失败(LQueryComm)", nullptr, MB_OK);
            break;
        }
        if (packet.IsFirst())
            PositionList.clear();
        for (int n = CountRecords(13, text); n > 0; --n) {
            TakeFields(13, record, text);
            CPositionRecord position = {};
            auto put = [&](int n, char *destination, int width) {
                GetField(record, field, '|', n, sizeof field);
                std::memcpy(destination, field, strnlen(field, static_cast<size_t>(width)));
            };
            put(1, position.customer, 10);
            put(2, position.contract, 10);
            put(3, &position.hedge, 1);
            position.buyVolume = std::atoi(GetField(record, field, '|', 4, sizeof field));
            position.sellVolume = std::atoi(GetField(record, field, '|', 5, sizeof field));
            put(6, position.buyPrice, 8);
            put(7, position.sellPrice, 8);
            position.todayBuy = std::atoi(GetField(record, field, '|', 8, sizeof field));
            position.todaySell = std::atoi(GetField(record, field, '|', 9, sizeof field));
            put(10, position.profit, 16);
            put(11, position.tradeCode, 10);
            put(12, &position.exchange, 1);
            put(13, position.margin, 16);
            PositionList.push_back(position);
        }
        if (packet.IsLast())
            Listener().RefreshList(SessionList::positions);
        break;
    default:
        break;
    }
    return 1;
}

int CTradeSession::WriteStatement(const GatewayPacket &packet)
{
    const CString customer = FieldText(packet.body + 10, 10);
    if (!IsSafeFileName(customer)) {
        Log("帐单文件名非法");
        MessageBoxA(0, "写入帐单文件失败", nullptr, MB_OK);
        return 0;
    }
    if (GetFileAttributesA("./Settle") == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryA("./Settle", nullptr);
    const CString path = "./settle/" + customer + ".rar";
    if (packet.Failed()) {
        DeleteFileA(path);
        MessageBoxA(0, packet.text, nullptr, MB_OK);
        return 0;
    }
    // The first packet of a statement has the continuation bit and creates the
    // file anew; the later ones append, so the file holds the packets in arrival
    // order. The statement is the customer's own business: the file is readable
    // by this user alone.
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    (packet.header.flags & 2) ? CREATE_ALWAYS : OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_ENCRYPTED, 0);
    if (file == INVALID_HANDLE_VALUE) {
        MessageBoxA(0, "写入帐单文件失败", nullptr, MB_OK);
        return 0;
    }
    SetFilePointer(file, 0, nullptr, FILE_END);
    constexpr int UNIT = 576;
    constexpr int DATA = 61;
    for (int at = 0; at + UNIT <= packet.BodyLength(); at += UNIT) {
        const BYTE *unit = packet.body + at;
        const int count = std::min(UnitCount(unit + 21), UNIT - DATA);
        DWORD written = 0;
        WriteFile(file, unit + DATA, static_cast<DWORD>(count), &written, nullptr);
    }
    CloseHandle(file);
    return 1;
}
