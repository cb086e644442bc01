// What the query pages (orders, deals, positions, funds, contracts) share: the
// list's columns with their stored layout, the query that activation sends,
// the rows of the order lists, and the comparisons the sorts are built of.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/appframe/CListCtrl.h"
#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

class CTradeSession;

struct QueryColumn {
    const char *title;
    int format; // LVCFMT_LEFT or LVCFMT_RIGHT
    int width;  // the built-in width
};

// A list's column order ("<name> Page", default the column's own place) and
// widths ("<name> Width", default -1 for the built-in width) from the settings.
struct QueryLayout {
    int order[11];
    int widths[11];
    void Read(win::LPCSTR name, int columns);
};

// Full-row select and header drag-and-drop, the columns with their stored
// widths, and the stored order.
void SetUpQueryList(win::CListCtrl &list, const QueryColumn *columns, int count, const QueryLayout &layout);

// A page's activation: when its auto-refresh key is set, empties the list,
// greys the sheet's status button (the answer's last packet enables it again)
// and sends `query`; then the status button shows `hint`.
void ActivateQueryPage(win::CWnd &page, win::CListCtrl &list, int autoRefresh, bool (CTradeSession::*query)(),
                       win::LPCSTR hint);
// The sheet's status button (137), or null before the sheet has one.
win::CWnd *SheetStatusButton(win::CWnd &page);

// The eleven columns of the order lists (order entry and orders pages).
extern const QueryColumn OrderColumns[11];
// An order-query record (or a refused one) as a row at the end of an order
// list, with the record's address as its data, scrolled into view.
void AddOrderRow(win::CListCtrl &list, const win::BYTE *record, const char *status, const char *remark, bool select);
// The 数量 column: order volume ":" remaining volume.
win::CString OrderVolumeText(const win::BYTE *record);
// The row whose column `column` reads `number` in decimal, or -1.
int FindNumberRow(const win::CListCtrl &list, int column, int32_t number);

// A text field of a record: at most `width` bytes, ending at the first NUL.
win::CString RecordText(const win::BYTE *record, int at, size_t width);
std::string_view RecordView(const win::BYTE *record, int at, size_t width);

// The sort comparisons' rules: -d when the first text is smaller (bytewise,
// unsigned), -d when the first number is larger.
template <typename T> int CompareNumbers(T a, T b, int d)
{
    if (a > b)
        return -d;
    if (a < b)
        return d;
    return 0;
}
inline int CompareTexts(std::string_view a, std::string_view b, int d)
{
    const int c = a.compare(b);
    return c < 0 ? -d : c > 0 ? d : 0;
}
// -d when only the first row has no record, +d when only the second, 0 when
// neither has one; else 2 (go on comparing).
inline int CompareMissing(const void *a, const void *b, int d)
{
    if (!a && !b)
        return 0;
    if (!a)
        return -d;
    if (!b)
        return d;
    return 2;
}
