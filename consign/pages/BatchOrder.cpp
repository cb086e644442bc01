#include "consign/pages/BatchOrder.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "consign/pages/OrderWords.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

int BatchSequenceNumber = 1;

namespace {

constexpr DWORD PopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const DialogItemTemplate GroupItems[] = {
    {"ListBox", 1070, 8, 8, 120, 80, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 136, 8, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "确定"},
};

// A fixed-width text without its blanks around it.
CString FieldText(const char *field, size_t width)
{
    CString text(field, static_cast<int>(strnlen(field, width)));
    text.TrimLeft();
    text.TrimRight();
    return text;
}

void PutField(char *field, size_t width, const char *text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text, strnlen(text, width));
}

void Log(const char *text) { ConsignLog().WriteLine(text, 1); }

} // namespace

const CContractRecord *FindContract(const char *text, CString *spelling)
{
    if (!text)
        return nullptr;
    const CString wanted = FieldText(text, 20).Left(10);
    if (wanted.IsEmpty())
        return nullptr;
    for (const CContractRecord &r : ContractList) {
        const CString code = FieldText(reinterpret_cast<const char *>(&r) + 12, 10);
        if (strncasecmp(code, wanted, 10) == 0 && code.GetLength() == wanted.GetLength()) {
            if (spelling)
                *spelling = code;
            return &r;
        }
    }
    return nullptr;
}

char ContractExchangeLetter(COrderRecord &order)
{
    CString spelling;
    const CContractRecord *contract = FindContract(FieldText(order.contract, sizeof order.contract), &spelling);
    if (!contract)
        return ' ';
    PutField(order.contract, sizeof order.contract, spelling);
    return contract->exchange;
}

char LookupContractLetter(const char *text)
{
    const CContractRecord *contract = FindContract(text);
    return contract ? contract->exchange : ' ';
}

CBatchGroupDlg::CBatchGroupDlg(CWnd *pParent) : CDialog(IDD, pParent)
{
    RegisterDialogResource(IDD, TableTemplate(PopupStyle, 194, 96, "选择批量设置组", GroupItems));
}

void CBatchGroupDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, 1070, m_List);
}

BOOL CBatchGroupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    int number = 1;
    for (const auto &group : BatchGroupTable) {
        unsigned sum = 0;
        for (const CBatchMemberRecord &m : group)
            sum += m.quantity;
        char row[40];
        std::snprintf(row, sizeof row, "%d      %u", number++, sum);
        m_List.AddString(row);
    }
    m_List.SetCurSel(0);
    return TRUE;
}

void CBatchGroupDlg::OnOK()
{
    m_nGroup = m_List.GetCurSel();
    CDialog::OnOK();
}

BatchSelection SelectBatchGroup(const char *customerText, CWnd *parent, size_t &group, CString &batchName)
{
    if (BatchGroupTable.empty() || BatchGroupTable.front().empty()) {
        AfxMessageBox("你没有设置批量下单！");
        return BatchSelection::refused;
    }
    if (BatchGroupTable.size() == 1) {
        group = 0;
        batchName = "1";
        return BatchSelection::chosen;
    }
    const char *after = customerText + 1;
    if (*after == 0) {
        CBatchGroupDlg chooser(parent);
        if (chooser.DoModal() != IDOK || chooser.m_nGroup < 0 ||
            static_cast<size_t>(chooser.m_nGroup) >= BatchGroupTable.size())
            return BatchSelection::cancelled;
        group = static_cast<size_t>(chooser.m_nGroup);
        batchName.Format("%d", chooser.m_nGroup + 1);
        return BatchSelection::chosen;
    }
    // The leading digits count, as a C program reads a number; a number out of
    // range is as much too large as a negative one.
    errno = 0;
    const long long n = std::strtoll(after, nullptr, 10);
    if (n == 0 && errno == 0) {
        AfxMessageBox("批量组无效");
        return BatchSelection::refused;
    }
    if (errno == ERANGE || n < 0 || static_cast<unsigned long long>(n) > BatchGroupTable.size()) {
        AfxMessageBox("您没有设定这么多批量组，请重新指定");
        return BatchSelection::refused;
    }
    group = static_cast<size_t>(n - 1);
    batchName = CString(after, static_cast<int>(strnlen(after, 10)));
    return BatchSelection::chosen;
}

bool SplitBatchOrder(const COrderRecord &order, size_t group, int volume, std::vector<COrderRecord> &members)
{
    members.clear();
    if (volume <= 0) {
        AfxMessageBox("委托手数不合法");
        return false;
    }
    const auto &list = BatchGroupTable.at(group);
    long long sum = 0;
    for (const CBatchMemberRecord &m : list)
        sum += m.quantity;
    if (sum == 0 || volume % sum != 0) {
        CString text;
        text.Format("下单数量不能均分，应该为 %lld 的倍数！", sum);
        AfxMessageBox(text);
        return false;
    }
    const int share = static_cast<int>(volume / sum);
    for (const CBatchMemberRecord &m : list) {
        if (m.quantity == 0)
            continue;
        COrderRecord member = order;
        PutField(member.account, sizeof member.account, LoginAccount);
        std::memcpy(member.customer, m.customer, sizeof member.customer);
        member.volume = member.volume2 = static_cast<int32_t>(m.quantity) * share;
        member.dealtVolume = BatchSequenceNumber++;
        member.orderNumber = 0;
        members.push_back(member);
    }
    return true;
}

bool VerifyBatchOrders(std::vector<COrderRecord> &members, char letter, bool askToGoOn)
{
    CTradeSession &session = TheTradeSession();
    bool allPassed = true;
    for (COrderRecord &member : members) {
        if (session.SendOrderCheck(member, letter, member.dealtVolume))
            continue;
        allPassed = false;
        CString text;
        text.Format("客户 %s 的委托单校验错！", static_cast<LPCSTR>(FieldText(member.customer, 10)));
        AfxMessageBox(text);
        if (!askToGoOn ||
            AfxMessageBox("批量下单出错，是否继续校验此笔批量单的后续客户？", MB_YESNO | MB_DEFBUTTON2) != IDYES)
            break;
    }
    return allPassed;
}

CString OrderLogLine(const char *format, const COrderRecord &order)
{
    CString line;
    line.Format(format, static_cast<LPCSTR>(FieldText(order.customer, 10)),
                static_cast<LPCSTR>(FieldText(order.contract, 10)), DirectionWord(order.flags), order.volume,
                OpenCloseWord(order.flags), static_cast<LPCSTR>(FieldText(order.price, 8)));
    return line;
}

bool SendBatchOrders(std::vector<COrderRecord> &members, const char *logFormat, LPCSTR batchName)
{
    CTradeSession &session = TheTradeSession();
    for (COrderRecord &member : members) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", LocalOrderNumber);
        PutField(member.localNumber, sizeof member.localNumber, number);
        member.dealtVolume = 0;
        PutField(member.source, sizeof member.source, "consign");
        Log(OrderLogLine(logFormat, member));
        const char letter = ContractExchangeLetter(member);
        if (!session.SendOrder(member, letter, batchName))
            return false;
        ++LocalOrderNumber;
    }
    return true;
}
