#include "consign/pages/CPLSZDlg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "consign/pages/ListLayout.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/MessageBox.h"

using namespace win;

BEGIN_MESSAGE_MAP(CPLSZDlg, cdxCSizingPropPage)
    ON_BN_CLICKED(1043, OnQuery)
    ON_BN_CLICKED(4, OnAddMember)
    ON_BN_CLICKED(3, OnModifyMember)
    ON_BN_CLICKED(6, OnDeleteMember)
    ON_BN_CLICKED(7, OnSave)
    ON_BN_CLICKED(1095, OnMoveUp)
    ON_BN_CLICKED(1097, OnMoveDown)
    ON_BN_CLICKED(1102, OnMoveTop)
    ON_BN_CLICKED(1099, OnMoveBottom)
    ON_BN_CLICKED(1009, OnAddGroup)
    ON_BN_CLICKED(1010, OnDeleteGroup)
    ON_NOTIFY(LVN_ITEMCHANGED, 1093, OnMemberChanged)
    ON_NOTIFY(NM_SETFOCUS, 1093, OnMemberSetFocus)
    ON_NOTIFY(NM_KILLFOCUS, 1093, OnMemberKillFocus)
    ON_NOTIFY(NM_CLICK, 1069, OnGroupClicked)
END_MESSAGE_MAP()

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD ButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD ListStyle = LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP;

const DialogItemTemplate BatchItems[] = {
    {"SysListView32", 1069, 2, 2, 40, 84, ListStyle, 0, ""},
    {"SysListView32", 1093, 46, 2, 140, 84, ListStyle, 0, ""},
    {"Button", 1095, 46, 88, 33, 14, ButtonStyle, 0, "向上"},
    {"Button", 1097, 81, 88, 33, 14, ButtonStyle, 0, "向下"},
    {"Button", 1102, 116, 88, 33, 14, ButtonStyle, 0, "最上"},
    {"Button", 1099, 151, 88, 33, 14, ButtonStyle, 0, "最下"},
    {"Static", Label, 190, 4, 28, 8, SS_LEFT, 0, "交易员"},
    {"Edit", 1103, 220, 2, 62, 12, EditStyle | ES_READONLY, 0, ""},
    {"Static", Label, 190, 19, 28, 8, SS_LEFT, 0, "客户号"},
    {"Edit", 114, 220, 17, 62, 12, EditStyle, 0, ""},
    {"Static", Label, 190, 34, 28, 8, SS_LEFT, 0, "数量"},
    {"Edit", 116, 220, 32, 62, 12, EditStyle, 0, ""},
    {"Static", Label, 190, 49, 28, 8, SS_LEFT, 0, "优先级"},
    {"Edit", 117, 220, 47, 62, 12, EditStyle | ES_READONLY, 0, ""},
    {"Button", 1043, 190, 62, 30, 13, ButtonStyle, 0, "查询"},
    {"Button", 4, 221, 62, 30, 13, ButtonStyle, 0, "增加"},
    {"Button", 3, 252, 62, 30, 13, ButtonStyle | WS_DISABLED, 0, "修改"},
    {"Button", 6, 190, 76, 30, 13, ButtonStyle, 0, "删除"},
    {"Button", 7, 221, 76, 30, 13, ButtonStyle, 0, "保存"},
    {"Button", 1009, 190, 90, 45, 13, ButtonStyle, 0, "增加组"},
    {"Button", 1010, 237, 90, 45, 13, ButtonStyle, 0, "删除组"},
};

constexpr int MoveIds[4] = {1095, 1097, 1102, 1099};
constexpr int AllIds[] = {1069, 1093, 1095, 1097, 1102, 1099, 1103, 114, 116, 117, 1043, 4, 3, 6, 7, 1009, 1010};

CString Trimmed(CString text)
{
    text.TrimLeft();
    text.TrimRight();
    return text;
}

CString FieldText(const char *field, size_t width)
{
    return Trimmed(CString(field, static_cast<int>(strnlen(field, width))));
}

void PutField(char *field, size_t width, const char *text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text, strnlen(text, width));
}

// A whole number from `min` to `max` in `text`, else false.
bool ReadNumber(const CString &text, long min, long max, int &value)
{
    const CString t = Trimmed(text);
    if (t.IsEmpty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long n = std::strtol(t, &end, 10);
    if (*end != 0 || errno == ERANGE || n < min || n > max)
        return false;
    value = static_cast<int>(n);
    return true;
}

int ComparePriorities(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : a > b ? 1 : 0; }

} // namespace

CPLSZDlg::CPLSZDlg() : cdxCSizingPropPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&8批量设置", BatchItems));
}

void CPLSZDlg::DoDataExchange(CDataExchange *pDX)
{
    cdxCSizingPropPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1069, m_GroupList);
    DDX_Control(pDX, 1093, m_MemberList);
}

bool CPLSZDlg::MayEdit() const { return ClientMode != 7 && RightsText.Find('B') >= 0; }

BOOL CPLSZDlg::OnInitDialog()
{
    cdxCSizingPropPage::OnInitDialog();
    m_GroupList.SetExtendedStyle(m_GroupList.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_GroupList.InsertColumn(0, "组号", LVCFMT_LEFT, 40);
    m_MemberList.SetExtendedStyle(m_MemberList.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                  LVS_EX_HEADERDRAGDROP);
    static const char *const titles[COLUMNS] = {"优先级", "交易员", "客户号", "数量"};
    int order[COLUMNS], widths[COLUMNS];
    ReadListLayout(SettingsPath, "Plsz", order, widths, COLUMNS);
    for (int i = 0; i < COLUMNS; ++i)
        m_MemberList.InsertColumn(i, titles[i], LVCFMT_LEFT, widths[i] == -1 ? 60 : widths[i]);
    m_MemberList.SetColumnOrderArray(COLUMNS, order);
    SendDlgItemMessage(114, EM_LIMITTEXT, 8);

    m_Manager.AddControl(&m_GroupList, 0, cdxCSizingManager::MODE_STRETCH);
    m_Manager.AddControl(&m_MemberList, cdxCSizingManager::MODE_STRETCH, cdxCSizingManager::MODE_STRETCH);
    for (int id : MoveIds)
        m_Manager.AddControl(GetDlgItem(id), 0, cdxCSizingManager::MODE_MOVE);
    for (CWnd *child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        const int id = child->GetDlgCtrlID();
        bool placed = id == 1069 || id == 1093;
        for (int move : MoveIds)
            placed = placed || id == move;
        if (!placed)
            m_Manager.AddControl(child, cdxCSizingManager::MODE_MOVE, 0);
    }
    SetDlgItemText(117, "1");
    if (ClientMode != 7) {
        SetDlgItemText(1103, LoginAccount);
        if (MayEdit())
            OnQuery();
    }
    EnableAll(MayEdit());
    EnableEditButtons(false);
    GotoDlgCtrl(GetDlgItem(1103));
    return FALSE;
}

void CPLSZDlg::EnableAll(bool enable)
{
    for (int id : AllIds)
        if (CWnd *control = GetDlgItem(id))
            control->EnableWindow(enable);
}

void CPLSZDlg::EnableEditButtons(bool enable)
{
    GetDlgItem(3)->EnableWindow(enable && MayEdit());
    for (int id : MoveIds)
        GetDlgItem(id)->EnableWindow(enable && MayEdit());
}

BOOL CPLSZDlg::OnSetActive()
{
    m_bModified = false;
    ShowSheetStatus("批量下单设置");
    return cdxCSizingPropPage::OnSetActive();
}

BOOL CPLSZDlg::OnKillActive()
{
    Leave();
    return TRUE;
}

void CPLSZDlg::OnCancel() { Leave(); }

void CPLSZDlg::Leave()
{
    if (!m_hWnd)
        return;
    if (m_bModified && AfxMessageBox("批量设置修改后没有保存，是否保存？", MB_YESNO) == IDYES) {
        OnSave();
        return;
    }
    RefreshGroups();
    FocusEdit(114);
}

BOOL CPLSZDlg::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg->message == WM_KEYDOWN && m_hWnd) {
        CWnd *focus = CWnd::FromHandle(pMsg->hwnd);
        const int id = focus ? focus->GetDlgCtrlID() : 0;
        const WPARAM key = pMsg->wParam;
        if ((key == VK_UP || key == VK_DOWN) && id != 1093) {
            if (key == VK_UP)
                PrevDlgCtrl();
            else
                NextDlgCtrl();
            return TRUE;
        }
        if (key == VK_RETURN) {
            if (id == 4)
                OnAddMember();
            else
                NextDlgCtrl();
            return TRUE;
        }
        if (key == VK_ESCAPE) {
            OnCancel();
            return TRUE;
        }
    }
    return cdxCSizingPropPage::PreTranslateMessage(pMsg);
}

void CPLSZDlg::FocusEdit(int id)
{
    CWnd *edit = GetDlgItem(id);
    GotoDlgCtrl(edit);
    edit->SendMessage(EM_SETSEL, 0, -1);
}

void CPLSZDlg::OnQuery() { TheTradeSession().SendBatchGroupCommand(86, "-1", ""); }

void CPLSZDlg::ShowNextPriority()
{
    m_nNextPriority = m_MemberList.GetItemCount() + 1;
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_nNextPriority);
    SetDlgItemText(117, text);
}

int CPLSZDlg::AddMemberRow(int priority, const char *trader, const char *customer, int quantity)
{
    const int row = m_MemberList.GetItemCount();
    char text[16];
    std::snprintf(text, sizeof text, "%d", priority);
    m_MemberList.InsertItem(row, text);
    m_MemberList.SetItemText(row, 1, trader);
    m_MemberList.SetItemText(row, 2, customer);
    std::snprintf(text, sizeof text, "%d", quantity);
    m_MemberList.SetItemText(row, 3, text);
    m_MemberList.SetItemData(row, static_cast<DWORD_PTR>(priority));
    return row;
}

void CPLSZDlg::ListMembers()
{
    m_MemberList.DeleteAllItems();
    if (m_nGroup < BatchGroupTable.size())
        for (const CBatchMemberRecord &m : BatchGroupTable[m_nGroup])
            AddMemberRow(m.priority, FieldText(m.trader, sizeof m.trader), FieldText(m.customer, sizeof m.customer),
                         m.quantity);
    SortByPriority();
    ShowNextPriority();
}

void CPLSZDlg::RefreshGroups()
{
    if (!m_hWnd)
        return;
    m_GroupList.DeleteAllItems();
    if (m_nGroup >= BatchGroupTable.size())
        m_nGroup = 0;
    for (size_t i = 0; i < BatchGroupTable.size(); ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%zu", i + 1);
        m_GroupList.InsertItem(static_cast<int>(i), text);
    }
    ListMembers();
    if (m_nGroup < BatchGroupTable.size())
        m_GroupList.SetItemState(static_cast<int>(m_nGroup), LVIS_SELECTED | LVIS_FOCUSED,
                                 LVIS_SELECTED | LVIS_FOCUSED);
    m_nRememberedRow = -1;
    EnableEditButtons(false);
    m_bModified = false;
}

void CPLSZDlg::Reset()
{
    if (!m_hWnd)
        return;
    if (ClientMode != 7) {
        SetDlgItemText(1103, LoginAccount);
        SetDlgItemText(114, "");
        SetDlgItemText(116, "");
        SetDlgItemText(117, "1");
        EnableAll(MayEdit());
        if (MayEdit())
            OnQuery();
    } else {
        EnableAll(false);
    }
    EnableEditButtons(false);
}

void CPLSZDlg::SortByPriority() { m_MemberList.SortItems(ComparePriorities, 0); }

void CPLSZDlg::Renumber()
{
    for (int row = 0; row < m_MemberList.GetItemCount(); ++row) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", row + 1);
        m_MemberList.SetItemText(row, 0, text);
        m_MemberList.SetItemData(row, static_cast<DWORD_PTR>(row + 1));
    }
}

int CPLSZDlg::FindCustomer(const CString &customer) const
{
    for (int row = 0; row < m_MemberList.GetItemCount(); ++row)
        if (m_MemberList.GetItemText(row, 2) == customer)
            return row;
    return -1;
}

bool CPLSZDlg::ReadPriority(int &priority)
{
    CString text;
    GetDlgItemText(117, text);
    if (ReadNumber(text, 1, 1000, priority))
        return true;
    AfxMessageBox("优先级不合法！");
    return false;
}

bool CPLSZDlg::CheckMemberCustomer(CString &customer)
{
    GetDlgItemText(114, customer);
    if (customer.GetLength() > 8) {
        AfxMessageBox("客户代码长度不合法");
        FocusEdit(114);
        return false;
    }
    customer = Trimmed(customer.Left(10));
    bool known = !customer.IsEmpty() && customer[0] == '*' && !ClientList.empty();
    for (const CClientRecord &r : ClientList)
        known = known || (!customer.IsEmpty() && customer == FieldText(r.customer, sizeof r.customer));
    if (known)
        return true;
    AfxMessageBox("客户不存在");
    FocusEdit(114);
    return false;
}

bool CPLSZDlg::CheckMemberQuantity(int &quantity)
{
    CString text;
    GetDlgItemText(116, text);
    if (ReadNumber(text, 1, 10000, quantity))
        return true;
    AfxMessageBox("数量不合法！");
    FocusEdit(116);
    return false;
}

void CPLSZDlg::OnAddMember()
{
    int priority = 0, quantity = 0;
    CString customer;
    if (!ReadPriority(priority) || !CheckMemberCustomer(customer) || !CheckMemberQuantity(quantity))
        return;
    CString trader;
    GetDlgItemText(1103, trader);
    for (int row = 0; row < m_MemberList.GetItemCount(); ++row)
        if (static_cast<int>(m_MemberList.GetItemData(row)) == priority)
            priority = m_nNextPriority;
    if (FindCustomer(customer) >= 0) {
        AfxMessageBox("客户已经存在！");
        FocusEdit(114);
        return;
    }
    if (m_MemberList.GetItemCount() > MAX_MEMBERS - 1) {
        AfxMessageBox("超过每组可以设定的最大用户数，无法继续添加");
        FocusEdit(114);
        return;
    }
    AddMemberRow(priority, Trimmed(trader), customer, quantity);
    SortByPriority();
    ShowNextPriority();
    EnableEditButtons(false);
    FocusEdit(114);
    m_bModified = true;
}

void CPLSZDlg::OnModifyMember()
{
    int priority = 0;
    if (m_nRememberedRow < 0 || m_nRememberedRow >= m_MemberList.GetItemCount() || !ReadPriority(priority))
        return;
    CString customer, quantity, trader;
    GetDlgItemText(114, customer);
    GetDlgItemText(116, quantity);
    GetDlgItemText(1103, trader);
    customer = Trimmed(customer);
    if (customer != m_MemberList.GetItemText(m_nRememberedRow, 2) && FindCustomer(customer) >= 0) {
        AfxMessageBox("客户已经存在！");
        FocusEdit(114);
        return;
    }
    int amount = 0;
    ReadNumber(quantity, 0, 65535, amount);
    const int row = m_nRememberedRow;
    m_MemberList.DeleteItem(row);
    AddMemberRow(priority, Trimmed(trader), customer, amount);
    SortByPriority();
    m_MemberList.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowNextPriority();
    EnableEditButtons(false);
    FocusEdit(114);
    m_bModified = true;
}

void CPLSZDlg::OnDeleteMember()
{
    CString text;
    GetDlgItemText(117, text);
    int priority = 0, row = -1;
    if (!ReadNumber(text, 1, 1000, priority))
        return;
    for (int r = 0; r < m_MemberList.GetItemCount() && row < 0; ++r)
        if (static_cast<int>(m_MemberList.GetItemData(r)) == priority)
            row = r;
    if (row < 0)
        return;
    if (AfxMessageBox("确定要删除吗?", MB_YESNO) != IDYES)
        return;
    m_MemberList.DeleteItem(row);
    Renumber();
    ShowNextPriority();
    SetDlgItemText(114, "");
    SetDlgItemText(116, "");
    EnableEditButtons(false);
    FocusEdit(114);
    m_bModified = true;
}

void CPLSZDlg::Move(int to)
{
    const int from = m_MemberList.GetNextItem(-1, LVNI_SELECTED);
    const int count = m_MemberList.GetItemCount();
    if (from < 0 || to < 0 || to >= count || to == from) {
        m_MemberList.SetFocus();
        return;
    }
    CString texts[COLUMNS];
    for (int c = 0; c < COLUMNS; ++c)
        texts[c] = m_MemberList.GetItemText(from, c);
    m_MemberList.DeleteItem(from);
    m_MemberList.InsertItem(to, texts[0]);
    for (int c = 1; c < COLUMNS; ++c)
        m_MemberList.SetItemText(to, c, texts[c]);
    Renumber();
    m_MemberList.SetItemState(to, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_MemberList.SetSelectionMark(to);
    m_MemberList.EnsureVisible(to, FALSE);
    m_bModified = true;
}

void CPLSZDlg::OnMoveUp() { Move(m_MemberList.GetNextItem(-1, LVNI_SELECTED) - 1); }

void CPLSZDlg::OnMoveDown()
{
    const int from = m_MemberList.GetNextItem(-1, LVNI_SELECTED);
    Move(from < 0 ? -1 : from + 1);
}

void CPLSZDlg::OnMoveTop() { Move(0); }

void CPLSZDlg::OnMoveBottom() { Move(m_MemberList.GetItemCount() - 1); }

bool CPLSZDlg::SendGroup(size_t index)
{
    if (TheTradeSession().SendBatchGroups(static_cast<int>(index)))
        return true;
    AfxMessageBox("批量设置未能发送到网关，请稍后重新保存");
    return false;
}

void CPLSZDlg::OnSave()
{
    if (m_MemberList.GetItemCount() == 0) {
        OnDeleteGroup();
        return;
    }
    BatchSendList.clear();
    for (int row = 0; row < m_MemberList.GetItemCount(); ++row) {
        CBatchMemberRecord member{};
        member.priority = static_cast<uint16_t>(m_MemberList.GetItemData(row));
        PutField(member.trader, sizeof member.trader, m_MemberList.GetItemText(row, 1));
        PutField(member.customer, sizeof member.customer, m_MemberList.GetItemText(row, 2));
        member.quantity = static_cast<uint16_t>(std::atoi(m_MemberList.GetItemText(row, 3)));
        member.group = static_cast<uint16_t>(m_nGroup);
        BatchSendList.push_back(member);
    }
    const bool sent = SendGroup(m_nGroup);
    EnableEditButtons(false);
    FocusEdit(114);
    // What could not be written stays marked as unsaved.
    m_bModified = !sent;
}

void CPLSZDlg::OnAddGroup()
{
    for (const auto &group : BatchGroupTable)
        if (group.empty()) {
            MessageBoxA(m_hWnd, "存在没有成员的空组，无法新开组", "错误", MB_OK | MB_ICONSTOP);
            return;
        }
    BatchGroupTable.emplace_back();
    m_nGroup = BatchGroupTable.size() - 1;
    char text[16];
    std::snprintf(text, sizeof text, "%zu", BatchGroupTable.size());
    const int row = m_GroupList.InsertItem(m_GroupList.GetItemCount(), text);
    m_GroupList.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_MemberList.DeleteAllItems();
    ShowNextPriority();
    EnableEditButtons(false);
    m_bModified = false;
}

void CPLSZDlg::OnDeleteGroup()
{
    const int selected = m_GroupList.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0 || static_cast<size_t>(selected) >= BatchGroupTable.size())
        return;
    const size_t count = BatchGroupTable.size();
    // Every group on the gateway is emptied, then the others are written again;
    // the first send that fails stops it, and the table keeps the groups for a
    // later save.
    BatchSendList.clear();
    for (size_t i = 0; i < count; ++i)
        if (!SendGroup(i))
            return;
    EnableEditButtons(false);
    FocusEdit(114);
    m_bModified = false;
    m_nGroup = static_cast<size_t>(selected) + 1 == count && selected > 0 ? static_cast<size_t>(selected) - 1
                                                                          : static_cast<size_t>(selected);
    BatchGroupTable.erase(BatchGroupTable.begin() + selected);
    for (size_t k = 0; k < BatchGroupTable.size(); ++k) {
        BatchSendList.clear();
        for (CBatchMemberRecord member : BatchGroupTable[k]) {
            member.group = static_cast<uint16_t>(k);
            BatchSendList.push_back(member);
        }
        if (!SendGroup(k))
            return;
    }
}

void CPLSZDlg::OnGroupClicked(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    OnGroupClick();
}

void CPLSZDlg::OnGroupClick()
{
    const int selected = m_GroupList.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0)
        return;
    if (static_cast<size_t>(selected) != m_nGroup && m_bModified &&
        AfxMessageBox("组设置修改后没有保存，是否保存？", MB_YESNO) == IDYES)
        OnSave();
    m_nGroup = static_cast<size_t>(selected);
    ListMembers();
    m_bModified = false;
    m_nRememberedRow = -1;
    GetDlgItem(3)->EnableWindow(FALSE);
}

void CPLSZDlg::OnMemberChanged(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const auto *change = reinterpret_cast<NMLISTVIEW *>(pNMHDR);
    if (!(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED) ||
        (change->uOldState & LVIS_SELECTED) || change->iItem < 0)
        return;
    const int row = change->iItem;
    SetDlgItemText(1103, m_MemberList.GetItemText(row, 1));
    SetDlgItemText(117, m_MemberList.GetItemText(row, 0));
    SetDlgItemText(114, m_MemberList.GetItemText(row, 2));
    SetDlgItemText(116, m_MemberList.GetItemText(row, 3));
    m_nRememberedRow = row;
    m_nRememberedPriority = static_cast<int>(m_MemberList.GetItemData(row));
}

void CPLSZDlg::OnMemberSetFocus(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    for (int id : MoveIds)
        GetDlgItem(id)->EnableWindow(MayEdit());
}

void CPLSZDlg::OnMemberKillFocus(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    if (m_MemberList.GetSelectedCount() == 1) {
        m_nRememberedRow = m_MemberList.GetNextItem(-1, LVNI_SELECTED);
        m_nRememberedPriority = static_cast<int>(m_MemberList.GetItemData(m_nRememberedRow));
        EnableEditButtons(true);
    } else {
        EnableEditButtons(false);
    }
}
