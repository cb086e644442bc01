#include "consign/pages/CQDealPage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/OrderWords.h"
#include "consign/pages/PageTemplates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQDealPage, CPropertyPage)
    ON_BN_CLICKED(1243, OnMergeClicked)
    ON_NOTIFY(LVN_COLUMNCLICK, 1004, OnColumnClick)
    ON_WM_SIZE()
END_MESSAGE_MAP()

int DealSortDirection = 1;

namespace {

namespace D = DealField;

const DialogItemTemplate DealItems[] = {
    {"Button", 1243, 4, 4, 50, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "成交合并"},
    {"SysListView32", 1004, 0, 20, 286, 84, LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 0, ""},
};

const QueryColumn DealColumns[11] = {
    {"客户号", LVCFMT_LEFT, 100},  {"委托号", LVCFMT_RIGHT, 100}, {"系统号", LVCFMT_RIGHT, 100},
    {"成交号", LVCFMT_RIGHT, 100}, {"合约号", LVCFMT_LEFT, 100},  {"方向", LVCFMT_LEFT, 60},
    {"投保", LVCFMT_LEFT, 60},     {"开平", LVCFMT_LEFT, 60},     {"成交量", LVCFMT_RIGHT, 100},
    {"成交价", LVCFMT_RIGHT, 100}, {"交易编码", LVCFMT_RIGHT, 100},
};

constexpr char TotalsCustomer[] = "{合计}";

uint32_t Volume(const BYTE *deal, int at) { return static_cast<uint32_t>(RecordNumber(deal, at)); }

const char *DealDirection(const BYTE *deal)
{
    return Volume(deal, D::sold) > Volume(deal, D::bought) ? DirectionLetterWord('1') : DirectionLetterWord('0');
}

const char *DealHedge(const BYTE *deal)
{
    return deal[D::hedge] == '0' ? "投机" : deal[D::hedge] == '1' ? "保值" : "";
}

const char *DealOpenClose(const BYTE *deal)
{
    return OpenCloseLetterWord(static_cast<char>(deal[D::openClose]), static_cast<char>(deal[D::closeToday]));
}

double DealPrice(const BYTE *deal)
{
    char text[9] = {};
    std::memcpy(text, deal + D::price, 8);
    return std::atof(text);
}

// The fields two deals must share to merge, as one string.
std::string MergeKey(const BYTE *deal)
{
    std::string key;
    auto add = [&key](std::string_view part) {
        key.append(part);
        key.push_back('\x01');
    };
    add(RecordView(deal, D::customer, 10));
    add(RecordView(deal, D::contract, 10));
    add(DealDirection(deal));
    add(DealHedge(deal));
    add(DealOpenClose(deal));
    add(RecordView(deal, D::price, 8));
    key.append(reinterpret_cast<const char *>(deal + D::number), 4);
    add(RecordView(deal, D::tradeCode, 10));
    add(RecordView(deal, D::system, sizeof(CDealRecord) - D::system));
    return key;
}

void PutText(BYTE *record, int at, size_t width, std::string_view text)
{
    std::memset(record + at, 0, width);
    std::memcpy(record + at, text.data(), text.size() < width ? text.size() : width);
}

} // namespace

void MergeDeals(const std::list<CDealRecord> &deals, std::list<CDealRecord> &merged)
{
    merged.clear();
    // The first deal of each key, by the key as the gateway sent it: a merged
    // deal's "合并" never joins another key.
    std::unordered_map<std::string, CDealRecord *> firsts;
    for (const CDealRecord &deal : deals) {
        if (RecordView(deal.data, D::customer, 10) != TotalsCustomer) {
            auto [at, fresh] = firsts.try_emplace(MergeKey(deal.data), nullptr);
            if (!fresh) {
                BYTE *a = at->second->data;
                SetRecordNumber(a, D::bought, static_cast<int32_t>(Volume(a, D::bought) + Volume(deal.data, D::bought)));
                SetRecordNumber(a, D::sold, static_cast<int32_t>(Volume(a, D::sold) + Volume(deal.data, D::sold)));
                PutText(a, D::dealNumber, 11, "合并");
                PutText(a, D::system, 11, "合并");
                continue;
            }
            merged.push_back(deal);
            at->second = &merged.back();
            continue;
        }
        merged.push_back(deal);
    }
}

int CompareDealRows(LPARAM item1, LPARAM item2, LPARAM column)
{
    const int d = DealSortDirection;
    const auto *a = reinterpret_cast<const BYTE *>(item1);
    const auto *b = reinterpret_cast<const BYTE *>(item2);
    if (const int missing = CompareMissing(a, b, d); missing != 2)
        return missing;
    switch (column) {
    case 0: return CompareTexts(RecordView(a, D::customer, 10), RecordView(b, D::customer, 10), d);
    case 1: return CompareNumbers(Volume(a, D::number), Volume(b, D::number), d);
    case 2:
        return CompareNumbers(std::atol(std::string(RecordView(a, D::system, 11)).c_str()),
                              std::atol(std::string(RecordView(b, D::system, 11)).c_str()), d);
    case 3: return CompareTexts(RecordView(a, D::dealNumber, 11), RecordView(b, D::dealNumber, 11), d);
    case 4: return CompareTexts(RecordView(a, D::contract, 10), RecordView(b, D::contract, 10), d);
    case 5: return CompareTexts(DealDirection(a), DealDirection(b), d);
    case 6: return CompareNumbers(a[D::hedge], b[D::hedge], d);
    case 7: return CompareNumbers(a[D::openClose], b[D::openClose], d);
    case 8:
        return CompareNumbers(Volume(a, D::bought) + Volume(a, D::sold), Volume(b, D::bought) + Volume(b, D::sold), d);
    case 9: return CompareNumbers(DealPrice(a), DealPrice(b), d);
    case 10: return CompareTexts(RecordView(a, D::tradeCode, 10), RecordView(b, D::tradeCode, 10), d);
    default: return 0;
    }
}

CQDealPage::CQDealPage() : CPropertyPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 286, 104, "&3成交", DealItems));
    m_Layout.Read("QDeal", COLUMNS);
}

void CQDealPage::DoDataExchange(CDataExchange *pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1004, m_List);
    DDX_Check(pDX, 1243, m_bMerge);
}

BOOL CQDealPage::OnInitDialog()
{
    LoadMerge();
    CPropertyPage::OnInitDialog();
    SetUpQueryList(m_List, DealColumns, COLUMNS, m_Layout);
    RefreshList();
    return TRUE;
}

BOOL CQDealPage::OnSetActive()
{
    ActivateQueryPage(*this, m_List, StartSettings.autoFlushDeal, &CTradeSession::QueryDeals, "按/键或本按钮查询成交");
    return CPropertyPage::OnSetActive();
}

void CQDealPage::LoadMerge()
{
    m_bMerge = GetPrivateProfileIntA("Config", "DealUnite", 0, SettingsPath) == 1 ? 1 : 0;
}

void CQDealPage::SaveMerge() const
{
    WritePrivateProfileStringA("Config", "DealUnite", m_bMerge ? "1" : "0", SettingsPath);
}

void CQDealPage::OnMergeClicked()
{
    UpdateData(TRUE);
    RefreshList();
}

void CQDealPage::AddRow(const CDealRecord &deal)
{
    const BYTE *r = deal.data;
    const int row = m_List.GetItemCount();
    char text[64];
    m_List.InsertItem(row, RecordText(r, D::customer, 10));
    std::snprintf(text, sizeof text, "%d", RecordNumber(r, D::number));
    m_List.SetItemText(row, 1, text);
    m_List.SetItemText(row, 2, RecordText(r, D::system, 11));
    m_List.SetItemText(row, 3, RecordText(r, D::dealNumber, 11));
    m_List.SetItemText(row, 4, RecordText(r, D::contract, 10));
    m_List.SetItemText(row, 5, DealDirection(r));
    m_List.SetItemText(row, 6, DealHedge(r));
    m_List.SetItemText(row, 7, DealOpenClose(r));
    std::snprintf(text, sizeof text, "%u", Volume(r, D::bought) + Volume(r, D::sold));
    m_List.SetItemText(row, 8, text);
    std::snprintf(text, sizeof text, "%.2f", DealPrice(r));
    m_List.SetItemText(row, 9, text);
    m_List.SetItemText(row, 10, RecordText(r, D::tradeCode, 10));
    m_List.SetItemData(row, reinterpret_cast<DWORD_PTR>(r));
    m_List.EnsureVisible(row, FALSE);
}

void CQDealPage::RefreshList()
{
    m_Merged.clear();
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    if (!m_bMerge) {
        for (const CDealRecord &deal : DealList)
            AddRow(deal);
        return;
    }
    MergeDeals(DealList, m_Merged);
    for (const CDealRecord &deal : m_Merged)
        AddRow(deal);
}

void CQDealPage::OnDealReport(const BYTE *report)
{
    CDealRecord deal{};
    BYTE *r = deal.data;
    std::memcpy(r + D::customer, report + 10, 10);
    std::memcpy(r + D::contract, report + 20, 10);
    SetRecordNumber(r, D::number, RecordNumber(report, 68));
    std::memcpy(r + D::price, report + 76, 8);
    std::memcpy(r + D::tradeCode, report + 117, 10);
    r[D::status] = report[112];
    const BYTE flags = report[113];
    SetRecordNumber(r, (flags & 1) ? D::bought : D::sold, RecordNumber(report, 72));
    r[D::openClose] = (flags & 2) ? '0' : '1';
    r[D::hedge] = (flags & 4) ? '1' : '0';
    r[D::closeToday] = (flags & 8) ? '1' : 0;
    DealList.push_back(deal);
    RefreshList();
}

void CQDealPage::OnColumnClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    DealSortDirection = -DealSortDirection;
    m_List.SortItems(CompareDealRows, static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW *>(pNMHDR)->iSubItem));
}

void CQDealPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(0, 32, cx, cy - 32 > 0 ? cy - 32 : 0);
}
