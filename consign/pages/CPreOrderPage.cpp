#include "consign/pages/CPreOrderPage.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <list>
#include <vector>

#include "consign/pages/BatchOrder.h"
#include "consign/pages/CPreOrderFillDlg.h"
#include "consign/pages/ListLayout.h"
#include "consign/pages/OrderWords.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/PreOrderStore.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

BEGIN_MESSAGE_MAP(CPreOrderPage, cdxCSizingPropPage)
    ON_BN_CLICKED(1009, OnSendSelected)
    ON_BN_CLICKED(1010, OnDelete)
    ON_BN_CLICKED(1011, OnClear)
    ON_BN_CLICKED(1012, OnSendAll)
    ON_NOTIFY(NM_DBLCLK, 1004, OnDblClkList)
END_MESSAGE_MAP()

namespace {

constexpr DWORD ButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;

const DialogItemTemplate PreOrderItems[] = {
    {"SysListView32", 1004, 2, 2, 236, 100, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Button", 1009, 242, 4, 40, 14, ButtonStyle, 0, "发出"},
    {"Button", 1010, 242, 22, 40, 14, ButtonStyle, 0, "删除"},
    {"Button", 1011, 242, 40, 40, 14, ButtonStyle, 0, "清空"},
    {"Button", 1012, 242, 58, 40, 14, ButtonStyle, 0, "全发"},
};

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

bool IsBatch(const COrderRecord &order) { return order.customer[0] == '*'; }

// The entry of PreOrderList at `row`.
std::list<COrderRecord>::iterator EntryAt(int row)
{
    auto it = PreOrderList.begin();
    std::advance(it, row);
    return it;
}

bool AskToGoOn()
{
    return AfxMessageBox("批量下单出错，是否继续发送剩余的预埋单？", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

} // namespace

CPreOrderPage::CPreOrderPage() : cdxCSizingPropPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&7预埋单", PreOrderItems));
}

void CPreOrderPage::DoDataExchange(CDataExchange *pDX)
{
    cdxCSizingPropPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
}

BOOL CPreOrderPage::OnInitDialog()
{
    cdxCSizingPropPage::OnInitDialog();
    m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                            LVS_EX_HEADERDRAGDROP);
    struct Column {
        const char *title;
        int width;
    };
    static const Column columns[COLUMNS] = {{"客户号", 100}, {"合约号", 100}, {"买卖", 60}, {"数量", 60},
                                            {"价格", 60},   {"开平", 60},   {"投保", 60}, {"交易编码", 80}};
    int order[COLUMNS], widths[COLUMNS];
    ReadListLayout(SettingsPath, "PreOrder", order, widths, COLUMNS);
    for (int i = 0; i < COLUMNS; ++i)
        m_List.InsertColumn(i, columns[i].title, LVCFMT_LEFT, widths[i] == -1 ? columns[i].width : widths[i]);
    m_List.SetColumnOrderArray(COLUMNS, order);
    m_Manager.AddControl(&m_List, cdxCSizingManager::MODE_STRETCH, cdxCSizingManager::MODE_STRETCH);
    for (int id = 1009; id <= 1012; ++id)
        m_Manager.AddControl(GetDlgItem(id), cdxCSizingManager::MODE_MOVE, 0);
    RefreshList(nullptr);
    return TRUE;
}

BOOL CPreOrderPage::OnSetActive()
{
    ShowSheetStatus("本页显示未发送的预埋单");
    return cdxCSizingPropPage::OnSetActive();
}

void CPreOrderPage::RefreshList(const COrderRecord *select)
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    int row = 0;
    for (const COrderRecord &order : PreOrderList) {
        m_List.InsertItem(row, FieldText(order.customer, sizeof order.customer));
        m_List.SetItemText(row, 1, FieldText(order.contract, sizeof order.contract));
        m_List.SetItemText(row, 2, DirectionWord(order.flags));
        char volume[16];
        std::snprintf(volume, sizeof volume, "%d", order.volume);
        m_List.SetItemText(row, 3, volume);
        m_List.SetItemText(row, 4, FieldText(order.price, sizeof order.price));
        m_List.SetItemText(row, 5, OpenCloseWord(order.flags));
        m_List.SetItemText(row, 6, HedgeWord(order.flags));
        m_List.SetItemText(row, 7, FieldText(order.tradeCode, sizeof order.tradeCode));
        if (&order == select) {
            m_List.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_List.EnsureVisible(row, FALSE);
        }
        ++row;
    }
}

bool CPreOrderPage::Complete(COrderRecord &copy)
{
    if (copy.volume != 0 && !FieldText(copy.price, sizeof copy.price).IsEmpty())
        return true;
    CPreOrderFillDlg fill(copy, this);
    return fill.DoModal() == IDOK;
}

void CPreOrderPage::OnDblClkList(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    OnSendSelected();
}

void CPreOrderPage::OnSendSelected()
{
    CTradeSession &session = TheTradeSession();
    int from = 0;
    for (;;) {
        int row = -1;
        for (int r = from; r < m_List.GetItemCount() && r < static_cast<int>(PreOrderList.size()); ++r)
            if (m_List.GetItemState(r, LVIS_SELECTED)) {
                row = r;
                break;
            }
        if (row < 0)
            break;
        const auto entry = EntryAt(row);
        COrderRecord copy = *entry;
        if (!Complete(copy)) {
            from = row + 1;
            continue;
        }
        if (!IsBatch(copy)) {
            Log(OrderLogLine("委托发送(预埋) %s,%s,%s,%d,%s,%s", copy));
            PutField(copy.source, sizeof copy.source, "consign");
            const char letter = ContractExchangeLetter(copy);
            // A pre-order leaves the list only when it went out.
            if (!session.SendOrder(copy, letter, "single"))
                break;
        } else {
            size_t group = 0;
            CString batchName;
            if (SelectBatchGroup(FieldText(copy.customer, sizeof copy.customer), this, group, batchName) !=
                BatchSelection::chosen)
                break;
            std::vector<COrderRecord> members;
            if (!SplitBatchOrder(copy, group, copy.volume, members))
                break;
            // The members are checked under their own contract's exchange.
            const char letter = ContractExchangeLetter(copy);
            if (StartSettings.batchVerify && !VerifyBatchOrders(members, letter, false))
                break;
            if (!SendBatchOrders(members, "委托发送(预埋)--批量 %s,%s,%s,%d,%s,%s", batchName))
                break;
        }
        PreOrderList.erase(entry);
        m_List.DeleteItem(row);
        from = 0;
    }
    RefreshList(nullptr);
}

void CPreOrderPage::OnSendAll()
{
    CTradeSession &session = TheTradeSession();
    auto it = PreOrderList.begin();
    while (it != PreOrderList.end()) {
        const auto next = std::next(it);
        RefreshList(&*it);
        COrderRecord copy = *it;
        if (!Complete(copy)) {
            it = next;
            continue;
        }
        if (!IsBatch(copy)) {
            Log(OrderLogLine("委托发送(预埋)--调用全部发送 %s,%s,%s,%d,%s,%s", copy));
            PutField(copy.source, sizeof copy.source, "consign");
            const char letter = ContractExchangeLetter(copy);
            if (!session.SendOrder(copy, letter, "single"))
                break;
            PreOrderList.erase(it);
            it = next;
            continue;
        }
        if (RightsText.Find('B') < 0) {
            AfxMessageBox("你没有批量下单的权限！");
            break;
        }
        size_t group = 0;
        CString batchName;
        const BatchSelection chosen =
            SelectBatchGroup(FieldText(copy.customer, sizeof copy.customer), this, group, batchName);
        if (chosen == BatchSelection::cancelled)
            break;
        std::vector<COrderRecord> members;
        if (chosen == BatchSelection::refused || !SplitBatchOrder(copy, group, copy.volume, members)) {
            if (!AskToGoOn())
                break;
            it = next;
            continue;
        }
        const char letter = ContractExchangeLetter(copy);
        if (StartSettings.batchVerify && !VerifyBatchOrders(members, letter, true)) {
            if (!AskToGoOn()) {
                GotoDlgCtrl(GetDlgItem(1009));
                break;
            }
            it = next;
            continue;
        }
        if (!SendBatchOrders(members, "委托发送(预埋)--批量--调用全部发送 %s,%s,%s,%d,%s,%s", batchName))
            break;
        PreOrderList.erase(it);
        it = next;
    }
    RefreshList(nullptr);
}

void CPreOrderPage::OnDelete()
{
    std::vector<std::list<COrderRecord>::iterator> chosen;
    for (int row = 0; row < m_List.GetItemCount() && row < static_cast<int>(PreOrderList.size()); ++row)
        if (m_List.GetItemState(row, LVIS_SELECTED))
            chosen.push_back(EntryAt(row));
    for (auto entry : chosen)
        PreOrderList.erase(entry);
    RefreshList(nullptr);
}

void CPreOrderPage::OnClear()
{
    m_List.DeleteAllItems();
    PreOrderList.clear();
}
