#include "consign/pages/QueryList.h"

#include <cstdio>
#include <cstring>

#include "consign/pages/ListLayout.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/pages/OrderWords.h"
#include "consign/pages/SheetStatus.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/win/Profile.h"

using namespace win;

void QueryLayout::Read(LPCSTR name, int columns)
{
    ReadListLayout(SettingsPath, name, order, widths, columns);
    // A missing order key means the column stays in its own place.
    char section[48], key[16], text[16];
    std::snprintf(section, sizeof section, "%s Page", name);
    for (int i = 0; i < columns; ++i) {
        std::snprintf(key, sizeof key, "%d", i);
        if (GetPrivateProfileStringA(section, key, "", text, sizeof text, SettingsPath) == 0)
            order[i] = i;
    }
}

void SetUpQueryList(CListCtrl &list, const QueryColumn *columns, int count, const QueryLayout &layout)
{
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < count; ++i)
        list.InsertColumn(i, columns[i].title, columns[i].format,
                          layout.widths[i] == -1 ? columns[i].width : layout.widths[i]);
    list.SetColumnOrderArray(count, layout.order);
}

CWnd *SheetStatusButton(CWnd &page)
{
    CWnd *sheet = page.GetParent();
    return sheet ? sheet->GetDlgItem(137) : nullptr;
}

void ActivateQueryPage(CWnd &page, CListCtrl &list, int autoRefresh, bool (CTradeSession::*query)(), LPCSTR hint)
{
    if (autoRefresh && query) {
        if (list.m_hWnd)
            list.DeleteAllItems();
        if (CWnd *button = SheetStatusButton(page))
            button->EnableWindow(FALSE);
        (TheTradeSession().*query)();
    }
    if (SheetStatusButton(page))
        ShowSheetStatus(hint);
}

const QueryColumn OrderColumns[11] = {
    {"委托号", LVCFMT_RIGHT, 100}, {"客户号", LVCFMT_LEFT, 100},   {"合约号", LVCFMT_LEFT, 100},
    {"委托状态", LVCFMT_LEFT, 120}, {"方向", LVCFMT_LEFT, 60},     {"开平", LVCFMT_LEFT, 60},
    {"数量", LVCFMT_RIGHT, 100},   {"委托价", LVCFMT_RIGHT, 100}, {"系统号", LVCFMT_LEFT, 100},
    {"交易编码", LVCFMT_LEFT, 100}, {"备注", LVCFMT_LEFT, 100},
};

std::string_view RecordView(const BYTE *record, int at, size_t width)
{
    const char *text = reinterpret_cast<const char *>(record + at);
    return std::string_view(text, strnlen(text, width));
}

CString RecordText(const BYTE *record, int at, size_t width)
{
    const std::string_view text = RecordView(record, at, width);
    return CString(text.data(), static_cast<int>(text.size()));
}

CString OrderVolumeText(const BYTE *record)
{
    namespace F = OrderQueryField;
    CString text;
    text.Format("%d:%d", RecordNumber(record, F::volume), RecordNumber(record, F::remaining));
    return text;
}

void AddOrderRow(CListCtrl &list, const BYTE *record, const char *status, const char *remark, bool select)
{
    namespace F = OrderQueryField;
    const int row = list.GetItemCount();
    char text[32];
    std::snprintf(text, sizeof text, "%d", RecordNumber(record, F::number));
    list.InsertItem(row, text);
    list.SetItemText(row, 1, RecordText(record, F::customer, 10));
    list.SetItemText(row, 2, RecordText(record, F::contract, 10));
    list.SetItemText(row, 3, status);
    list.SetItemText(row, 4, DirectionLetterWord(static_cast<char>(record[F::direction])));
    list.SetItemText(row, 5, OpenCloseLetterWord(static_cast<char>(record[F::openClose]),
                                                 static_cast<char>(record[F::closeToday])));
    list.SetItemText(row, 6, OrderVolumeText(record));
    list.SetItemText(row, 7, RecordText(record, F::price, 8));
    const CString system = RecordText(record, F::system, 10);
    if (!system.IsEmpty())
        list.SetItemText(row, 8, system);
    list.SetItemText(row, 9, RecordText(record, F::tradeCode, sizeof(COrderQueryRecord) - F::tradeCode));
    if (remark)
        list.SetItemText(row, 10, remark);
    list.SetItemData(row, reinterpret_cast<DWORD_PTR>(record));
    if (select)
        list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row, FALSE);
}

int FindNumberRow(const CListCtrl &list, int column, int32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row, column) == text)
            return row;
    return -1;
}
