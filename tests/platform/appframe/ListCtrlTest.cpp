// The list control: sorting by a callback and its parameter, column order and
// widths (also reordered by dragging a heading), the notifications its parent's
// message map receives for the user's clicks and keys (also when the parent
// destroys the list in its handler), scrolling rows into view, and custom draw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ListsFixture.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/gdi/Gdi.h"

using namespace win;
using liststest::Click;
using liststest::NotifySink;

BEGIN_MESSAGE_MAP(NotifySink, CWnd)
ON_NOTIFY_RANGE(NM_CUSTOMDRAW, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(LVN_ITEMCHANGED, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(LVN_COLUMNCLICK, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(NM_CLICK, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(NM_DBLCLK, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(TCN_SELCHANGING, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(TCN_SELCHANGE, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(NM_LDOWN, 0, 0xFFFF, OnAnyNotify)
ON_NOTIFY_RANGE(TBN_DROPDOWN, 0, 0xFFFF, OnAnyNotify)
ON_COMMAND_RANGE(0, 0xFFFF, OnAnyCommand)
END_MESSAGE_MAP()

namespace {

constexpr UINT kListId = 1107;

// A report list on the sink with the columns 委托号 (100, right), 客户号 (60)
// and 合约号 (80), and one row per text.
void MakeList(CListCtrl &list, NotifySink &sink, const std::vector<std::string> &rows, DWORD ex = 0)
{
    ASSERT_TRUE(
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 400, 250), &sink, kListId));
    list.SetExtendedStyle(ex);
    EXPECT_EQ(list.InsertColumn(0, "委托号", LVCFMT_RIGHT, 100), 0);
    EXPECT_EQ(list.InsertColumn(1, "客户号", LVCFMT_LEFT, 60), 1);
    EXPECT_EQ(list.InsertColumn(2, "合约号", LVCFMT_LEFT, 80), 2);
    for (size_t i = 0; i < rows.size(); ++i) {
        int at = list.InsertItem(static_cast<int>(i), rows[i].c_str());
        list.SetItemText(at, 1, ("c" + rows[i]).c_str());
    }
}

std::vector<std::string> Texts(const CListCtrl &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        out.push_back(static_cast<LPCSTR>(list.GetItemText(i, 0)));
    return out;
}

std::vector<LPARAM> seenData;

int CompareByData(LPARAM a, LPARAM b, LPARAM direction)
{
    seenData.push_back(a);
    seenData.push_back(b);
    return a < b ? -static_cast<int>(direction) : a > b ? static_cast<int>(direction) : 0;
}

int AlwaysFirst(LPARAM, LPARAM, LPARAM) { return -1; }

int RowCenterY(const CListCtrl &list, int item)
{
    CRect r;
    list.GetItemRect(item, &r, LVIR_BOUNDS);
    return (r.top + r.bottom) / 2;
}

} // namespace

TEST(ListCtrlTest, SortItemsOrdersRowsByCallbackAndParameter)
{
    struct Case {
        LPARAM direction;
        std::vector<std::string> expected;
    };
    // Rows a and b share a key and keep their order either way.
    const Case cases[] = {{1, {"a", "b", "c", "d"}}, {-1, {"d", "c", "a", "b"}}};
    for (const Case &c : cases) {
        NotifySink sink;
        CListCtrl list;
        MakeList(list, sink, {"d", "a", "c", "b"});
        const LPARAM data[] = {30, 10, 20, 10};
        for (int i = 0; i < 4; ++i)
            list.SetItemData(i, static_cast<DWORD_PTR>(data[i]));
        list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        seenData.clear();
        ASSERT_TRUE(list.SortItems(CompareByData, static_cast<DWORD_PTR>(c.direction)));
        EXPECT_EQ(Texts(list), c.expected) << "direction " << c.direction;
        for (LPARAM v : seenData)
            EXPECT_TRUE(v == 10 || v == 20 || v == 30) << "the callback gets the rows' data, not " << v;
        int selected = list.GetNextItem(-1, LVNI_SELECTED);
        ASSERT_GE(selected, 0);
        EXPECT_EQ(list.GetItemText(selected, 0), "d") << "the selection moves with its row";
        EXPECT_EQ(list.GetItemText(selected, 1), "cd");
    }

    NotifySink sink;
    CListCtrl list;
    MakeList(list, sink, {"x", "y", "z"});
    ASSERT_TRUE(list.SortItems(AlwaysFirst, 0));
    std::vector<std::string> after = Texts(list);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, (std::vector<std::string>{"x", "y", "z"})) << "an inconsistent callback loses no row";
}

TEST(ListCtrlTest, ColumnOrderAndWidthsRoundTrip)
{
    NotifySink sink;
    CListCtrl list;
    MakeList(list, sink, {"1", "2"}, LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.GetExtendedStyle(), LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.GetColumnWidth(0), 100);
    ASSERT_TRUE(list.SetColumnWidth(1, 75));
    EXPECT_EQ(list.GetColumnWidth(1), 75);

    const int order[] = {2, 0, 1};
    ASSERT_TRUE(list.SetColumnOrderArray(3, order));
    int got[3] = {};
    ASSERT_TRUE(list.GetColumnOrderArray(got));
    EXPECT_EQ(std::vector<int>(got, got + 3), (std::vector<int>{2, 0, 1}));

    // Orders read back from a settings file may be anything: a repeated column
    // or a wrong count is refused and the order stays.
    const int repeated[] = {0, 0, 1};
    EXPECT_FALSE(list.SetColumnOrderArray(3, repeated));
    EXPECT_FALSE(list.SetColumnOrderArray(2, order));
    const int outside[] = {0, 1, 7};
    EXPECT_FALSE(list.SetColumnOrderArray(3, outside));
    ASSERT_TRUE(list.GetColumnOrderArray(got, 3));
    EXPECT_EQ(std::vector<int>(got, got + 3), (std::vector<int>{2, 0, 1}));

    // Dragging the first heading (column 2, 80 wide) onto the last one (column
    // 1, at 180..255) moves it there; the widths stay with their columns.
    LPARAM from = MAKELONG(10, 3);
    LPARAM to = MAKELONG(200, 3);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageA(list, WM_LBUTTONUP, 0, to);
    ASSERT_TRUE(list.GetColumnOrderArray(got, 3));
    EXPECT_EQ(std::vector<int>(got, got + 3), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(sink.Of(LVN_COLUMNCLICK).empty()) << "a drag is no click";
    EXPECT_EQ(list.GetColumnWidth(2), 80);

    // Dragging the divider after column 0 (at x 100) widens it.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELONG(100, 3));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELONG(130, 3));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELONG(130, 3));
    EXPECT_EQ(list.GetColumnWidth(0), 130);
}

TEST(ListCtrlTest, NotificationsReachTheParentMap)
{
    NotifySink sink;
    CListCtrl list;
    MakeList(list, sink, {"10", "11", "12"}, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    auto changed = sink.Of(LVN_ITEMCHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].id, kListId);
    EXPECT_EQ(changed[0].item, 1);
    EXPECT_TRUE(changed[0].newState & LVIS_SELECTED);
    EXPECT_FALSE(changed[0].oldState & LVIS_SELECTED);

    // A click on the heading of column 2 (x 160..240).
    Click(list, 170, 3);
    auto columns = sink.Of(LVN_COLUMNCLICK);
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].subItem, 2);

    // A click on row 0 moves the selection there.
    sink.notes.clear();
    Click(list, 20, RowCenterY(list, 0));
    changed = sink.Of(LVN_ITEMCHANGED);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0].item, 1);
    EXPECT_FALSE(changed[0].newState & LVIS_SELECTED);
    EXPECT_EQ(changed[1].item, 0);
    EXPECT_TRUE(changed[1].newState & LVIS_SELECTED);
    ASSERT_EQ(sink.Of(NM_CLICK).size(), 1u);
    EXPECT_EQ(list.GetSelectionMark(), 0);

    // A double click on row 2 in column 1 names the row and the column.
    Click(list, 120, RowCenterY(list, 2), true);
    auto dbl = sink.Of(NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].item, 2);
    EXPECT_EQ(dbl[0].subItem, 1);
    // Below the last row: no row.
    Click(list, 120, RowCenterY(list, 2) + 60, true);
    dbl = sink.Of(NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 2u);
    EXPECT_EQ(dbl[1].item, -1);

    // Ctrl+click adds a row; the selected positions walk both.
    Click(list, 20, RowCenterY(list, 0));
    Click(list, 20, RowCenterY(list, 2), false, MK_CONTROL);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;)
        selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));
    EXPECT_EQ(list.GetSelectedCount(), 2u);

    // The down arrow moves the focus and the selection to the next row.
    Click(list, 20, RowCenterY(list, 0));
    sink.notes.clear();
    liststest::Key(list, VK_DOWN);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(sink.Of(LVN_ITEMCHANGED).size(), 2u);

    // Deleting rows keeps the others and their texts.
    ASSERT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"11", "12"}));
    EXPECT_FALSE(list.DeleteItem(5));
    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(ListCtrlTest, EnsureVisibleAndTheWheelScrollTheRows)
{
    NotifySink sink;
    CListCtrl list;
    std::vector<std::string> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(std::to_string(i));
    MakeList(list, sink, rows);
    int page = list.GetCountPerPage();
    ASSERT_GT(page, 0);
    ASSERT_LT(page, 40);
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.EnsureVisible(30, FALSE);
    EXPECT_LE(list.GetTopIndex(), 30);
    EXPECT_GT(list.GetTopIndex() + page, 30);
    list.EnsureVisible(2, FALSE);
    EXPECT_EQ(list.GetTopIndex(), 2);
    // The row now at the top answers a hit at the top of the rows.
    CRect r;
    ASSERT_TRUE(list.GetItemRect(2, &r, LVIR_BOUNDS));
    EXPECT_EQ(list.HitTest(CPoint(20, r.top + 1)), 2);
    SendMessageA(list, WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELONG(0, static_cast<WORD>(-120))), 0);
    EXPECT_EQ(list.GetTopIndex(), 5) << "a wheel step scrolls three rows";
    list.EnsureVisible(39, FALSE);
    EXPECT_EQ(list.GetTopIndex(), 40 - page) << "never beyond the last row";
}

TEST(ListCtrlTest, ParentMayDestroyTheListInItsHandler)
{
    struct Case {
        UINT code;
        bool dbl;
    };
    const Case cases[] = {{LVN_ITEMCHANGED, false}, {NM_CLICK, false}, {NM_DBLCLK, true}};
    for (const Case &c : cases) {
        NotifySink sink;
        CListCtrl list;
        MakeList(list, sink, {"1", "2", "3"});
        list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        HWND hwnd = list.GetSafeHwnd();
        sink.onNote = [&](const liststest::Note &n) {
            if (n.code == c.code && IsWindow(hwnd))
                list.DestroyWindow();
        };
        Click(hwnd, 20, RowCenterY(list, 2), c.dbl);
        EXPECT_FALSE(IsWindow(hwnd)) << "code " << static_cast<int>(c.code);
    }
}

TEST(ListCtrlTest, CustomDrawPaintsItemsThroughTheParent)
{
    NotifySink sink;
    CListCtrl list;
    MakeList(list, sink, {"0", "1", "2"}, LVS_EX_FULLROWSELECT);
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF green = RGB(0, 160, 0);
    std::vector<DWORD> stages;
    sink.customDraw = [&](NMLVCUSTOMDRAW &cd) -> LRESULT {
        stages.push_back(cd.nmcd.dwDrawStage);
        if (cd.nmcd.dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYITEMDRAW;
        if (cd.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
            return CDRF_DODEFAULT;
        if (cd.nmcd.dwItemSpec == 1) {
            cd.clrTextBk = red;
            return CDRF_DODEFAULT;
        }
        if (cd.nmcd.dwItemSpec == 2) {
            CDC::FromHandle(cd.nmcd.hdc)->FillSolidRect(&cd.nmcd.rc, green);
            return CDRF_SKIPDEFAULT;
        }
        return CDRF_DODEFAULT;
    };
    list.RedrawWindow();
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.front(), CDDS_PREPAINT);
    EXPECT_EQ(std::count(stages.begin(), stages.end(), CDDS_ITEMPREPAINT), 3);

    HDC dc = GetDC(list);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetPixel(dc, 3, RowCenterY(list, 0)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetPixel(dc, 3, RowCenterY(list, 1)), red);
    EXPECT_EQ(GetPixel(dc, 230, RowCenterY(list, 1)), red) << "every cell of the row";
    EXPECT_EQ(GetPixel(dc, 3, RowCenterY(list, 2)), green);
    EXPECT_EQ(GetPixel(dc, 230, RowCenterY(list, 2)), green) << "the parent painted the whole row";
    EXPECT_EQ(GetPixel(dc, 300, RowCenterY(list, 2)), GetSysColor(COLOR_WINDOW)) << "right of the last column";
    ReleaseDC(list, dc);
}
