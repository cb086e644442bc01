#include "platform/appframe/ListView.h"

#include <algorithm>
#include <cstdlib>

#include "platform/appframe/ControlHelpers.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/Text.h"

namespace win {

namespace {

constexpr int kScrollBar = 16;
constexpr int kCellPad = 6;
constexpr int kDividerSlop = 3;
constexpr int kDragStart = 4;

int XOf(LPARAM lp) { return static_cast<int16_t>(LOWORD(static_cast<DWORD>(lp))); }
int YOf(LPARAM lp) { return static_cast<int16_t>(HIWORD(static_cast<DWORD>(lp))); }

bool PtIn(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// Whether the window (and so its ListView) still exists: a parent may destroy
// the control while it handles a notification.
COLORREF Resolve(COLORREF c, int sysIndex) { return c == CLR_DEFAULT || c == CLR_NONE ? GetSysColor(sysIndex) : c; }

} // namespace

void ListView::Register() { ControlWindows<ListView>::Register(WC_LISTVIEWA, CS_DBLCLKS); }

ListView::ListView(HWND hwnd) : hwnd_(hwnd) {}

LRESULT ListView::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        font_ = static_cast<HFONT>(wParam);
        lineHeight_ = 0;
        Layout();
        if (lParam)
            InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        focused_ = msg == WM_SETFOCUS;
        InvalidateRect(hwnd_, nullptr, FALSE);
        NMHDR hdr{};
        NotifyParent(hwnd_, hdr, focused_ ? NM_SETFOCUS : NM_KILLFOCUS);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(XOf(lParam), YOf(lParam), wParam, msg == WM_LBUTTONDBLCLK);
        return 0;
    case WM_RBUTTONDOWN: {
        LVHITTESTINFO info{{XOf(lParam), YOf(lParam)}, 0, -1, 0};
        HitTest(info, true);
        NotifyItem(NM_RCLICK, info.iItem, info.iSubItem, info.pt);
        return 0;
    }
    case WM_MOUSEMOVE:
        MouseMove(XOf(lParam), YOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        MouseUp(XOf(lParam), YOf(lParam));
        return 0;
    case WM_MOUSEWHEEL: {
        int delta = static_cast<int16_t>(HIWORD(static_cast<DWORD>(wParam)));
        ScrollTo(top_ - delta / 120 * 3, xOffset_);
        return 0;
    }
    case WM_KEYDOWN:
        KeyDown(static_cast<WORD>(wParam));
        return 0;

    case LVM_GETBKCOLOR:
        return static_cast<LRESULT>(bkColor_);
    case LVM_SETBKCOLOR:
        bkColor_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    case LVM_GETTEXTCOLOR:
        return static_cast<LRESULT>(textColor_);
    case LVM_SETTEXTCOLOR:
        textColor_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    case LVM_GETTEXTBKCOLOR:
        return static_cast<LRESULT>(textBkColor_);
    case LVM_SETTEXTBKCOLOR:
        textBkColor_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    case LVM_GETITEMCOUNT:
        return static_cast<LRESULT>(items_.size());
    case LVM_GETITEMA:
        return lParam && GetItem(*reinterpret_cast<LVITEMA *>(lParam));
    case LVM_SETITEMA:
        return lParam && SetItem(*reinterpret_cast<const LVITEMA *>(lParam));
    case LVM_INSERTITEMA:
        return lParam ? InsertItem(*reinterpret_cast<const LVITEMA *>(lParam)) : -1;
    case LVM_DELETEITEM:
        return DeleteItem(static_cast<int>(wParam));
    case LVM_DELETEALLITEMS:
        DeleteAllItems();
        return TRUE;
    case LVM_GETNEXTITEM:
        return NextItem(static_cast<int>(wParam), static_cast<UINT>(lParam));
    case LVM_FINDITEMA:
        return lParam ? FindItem(static_cast<int>(wParam), *reinterpret_cast<const LVFINDINFOA *>(lParam)) : -1;
    case LVM_GETITEMRECT:
    case LVM_GETSUBITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        int item = static_cast<int>(wParam);
        if (!r || item < 0 || item >= static_cast<int>(items_.size()))
            return FALSE;
        int code = r->left;
        int sub = msg == LVM_GETSUBITEMRECT ? r->top : 0;
        RECT row = ItemRect(item);
        bool whole = code == LVIR_BOUNDS && sub == 0;
        if (!whole) {
            if (sub < 0 || sub >= static_cast<int>(columns_.size()))
                return FALSE;
            row.left = ColumnLeft(sub);
            row.right = row.left + columns_[sub].width;
        }
        *r = row;
        return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST:
        return lParam ? HitTest(*reinterpret_cast<LVHITTESTINFO *>(lParam), msg == LVM_SUBITEMHITTEST) : -1;
    case LVM_ENSUREVISIBLE:
        EnsureVisible(static_cast<int>(wParam));
        return TRUE;
    case LVM_GETCOLUMNA: {
        auto *col = reinterpret_cast<LVCOLUMNA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!col || index < 0 || index >= static_cast<int>(columns_.size()))
            return FALSE;
        if (col->mask & LVCF_FMT)
            col->fmt = columns_[index].fmt;
        if (col->mask & LVCF_WIDTH)
            col->cx = columns_[index].width;
        if (col->mask & LVCF_TEXT)
            CopyText(columns_[index].text, col->pszText, col->cchTextMax);
        if (col->mask & LVCF_SUBITEM)
            col->iSubItem = index;
        if (col->mask & LVCF_ORDER)
            col->iOrder = PositionOf(index);
        return TRUE;
    }
    case LVM_SETCOLUMNA: {
        auto *col = reinterpret_cast<const LVCOLUMNA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!col || index < 0 || index >= static_cast<int>(columns_.size()))
            return FALSE;
        if (col->mask & LVCF_FMT)
            columns_[index].fmt = col->fmt & LVCFMT_JUSTIFYMASK;
        if (col->mask & LVCF_WIDTH)
            columns_[index].width = std::max(0, col->cx);
        if (col->mask & LVCF_TEXT)
            columns_[index].text = col->pszText ? col->pszText : "";
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case LVM_INSERTCOLUMNA:
        return lParam ? InsertColumn(static_cast<int>(wParam), *reinterpret_cast<const LVCOLUMNA *>(lParam)) : -1;
    case LVM_DELETECOLUMN: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(columns_.size()))
            return FALSE;
        columns_.erase(columns_.begin() + index);
        order_.erase(std::find(order_.begin(), order_.end(), index));
        for (int &o : order_)
            if (o > index)
                --o;
        for (Item &item : items_)
            if (index < static_cast<int>(item.texts.size()))
                item.texts.erase(item.texts.begin() + index);
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH: {
        int index = static_cast<int>(wParam);
        return index >= 0 && index < static_cast<int>(columns_.size()) ? columns_[index].width : 0;
    }
    case LVM_SETCOLUMNWIDTH: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(columns_.size()))
            return FALSE;
        int cx = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
        if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER)
            cx = AutoWidth(index, cx == LVSCW_AUTOSIZE_USEHEADER);
        columns_[index].width = std::max(0, cx);
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case LVM_GETTOPINDEX:
        return top_;
    case LVM_GETCOUNTPERPAGE:
        return VisibleRows();
    case LVM_SETITEMSTATE: {
        auto *item = reinterpret_cast<const LVITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item || index < -1 || index >= static_cast<int>(items_.size()))
            return FALSE;
        SetState(index, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(items_.size()))
            return 0;
        return items_[index].state & static_cast<UINT>(lParam);
    }
    case LVM_GETITEMTEXTA: {
        auto *item = reinterpret_cast<LVITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item)
            return 0;
        std::string text;
        if (index >= 0 && index < static_cast<int>(items_.size()) && item->iSubItem >= 0 &&
            item->iSubItem < static_cast<int>(items_[index].texts.size()))
            text = items_[index].texts[item->iSubItem];
        return CopyText(text, item->pszText, item->cchTextMax);
    }
    case LVM_SETITEMTEXTA: {
        auto *item = reinterpret_cast<const LVITEMA *>(lParam);
        if (!item)
            return FALSE;
        LVITEMA set = *item;
        set.mask = LVIF_TEXT;
        set.iItem = static_cast<int>(wParam);
        return SetItem(set);
    }
    case LVM_SORTITEMS:
        if (!lParam)
            return FALSE;
        SortItems(reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam));
        return TRUE;
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(items_.begin(), items_.end(),
                             [](const Item &i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = exStyle_;
        DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        exStyle_ = (exStyle_ & ~mask) | (static_cast<DWORD>(lParam) & mask);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return exStyle_;
    case LVM_SETCOLUMNORDERARRAY:
        return SetColumnOrder(static_cast<int>(wParam), reinterpret_cast<const int *>(lParam));
    case LVM_GETCOLUMNORDERARRAY: {
        auto *out = reinterpret_cast<int *>(lParam);
        int count = static_cast<int>(wParam);
        if (!out || count != static_cast<int>(order_.size()))
            return FALSE;
        std::copy(order_.begin(), order_.end(), out);
        return TRUE;
    }
    case LVM_GETSELECTIONMARK:
        return mark_;
    case LVM_SETSELECTIONMARK: {
        int old = mark_;
        int index = static_cast<int>(lParam);
        mark_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
        return old;
    }
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

// ---- Geometry ----

int ListView::LineHeight() const
{
    if (lineHeight_ == 0)
        lineHeight_ = FontLineHeight(font_);
    return lineHeight_;
}

int ListView::HeaderHeight() const
{
    if (GetWindowLongPtrA(hwnd_, GWL_STYLE) & LVS_NOCOLUMNHEADER)
        return 0;
    return LineHeight() + 8;
}

int ListView::RowHeight() const { return LineHeight() + 4; }

int ListView::TotalWidth() const
{
    int total = 0;
    for (const Column &c : columns_)
        total += c.width;
    return total;
}

RECT ListView::BodyRect() const
{
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    rc.top = HeaderHeight();
    if (vScroll_)
        rc.right -= kScrollBar;
    if (hScroll_)
        rc.bottom -= kScrollBar;
    rc.right = std::max(rc.left, rc.right);
    rc.bottom = std::max(rc.top, rc.bottom);
    return rc;
}

int ListView::VisibleRows() const
{
    RECT body = BodyRect();
    return std::max(0, static_cast<int>(body.bottom - body.top) / RowHeight());
}

void ListView::Layout()
{
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    int width = rc.right;
    int height = rc.bottom - HeaderHeight();
    int rows = static_cast<int>(items_.size()) * RowHeight();
    int total = TotalWidth();
    bool v = false;
    bool h = false;
    for (int pass = 0; pass < 2; ++pass) {
        v = rows > height - (h ? kScrollBar : 0);
        h = total > width - (v ? kScrollBar : 0);
    }
    vScroll_ = v;
    hScroll_ = h;
    int maxTop = std::max(0, static_cast<int>(items_.size()) - VisibleRows());
    top_ = std::clamp(top_, 0, maxTop);
    RECT body = BodyRect();
    int maxX = std::max(0, total - static_cast<int>(body.right - body.left));
    xOffset_ = std::clamp(xOffset_, 0, maxX);
}

int ListView::ColumnLeft(int column) const
{
    int x = -xOffset_;
    for (int c : order_) {
        if (c == column)
            return x;
        x += columns_[c].width;
    }
    return x;
}

int ListView::ColumnAtX(int x) const
{
    int left = -xOffset_;
    for (int c : order_) {
        if (x >= left && x < left + columns_[c].width)
            return c;
        left += columns_[c].width;
    }
    return -1;
}

int ListView::PositionOf(int column) const
{
    auto it = std::find(order_.begin(), order_.end(), column);
    return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

int ListView::ItemAtY(int y) const
{
    int top = HeaderHeight();
    if (y < top)
        return -1;
    int item = top_ + (y - top) / RowHeight();
    return item < static_cast<int>(items_.size()) ? item : -1;
}

RECT ListView::ItemRect(int item) const
{
    int y = HeaderHeight() + (item - top_) * RowHeight();
    return RECT{-xOffset_, y, -xOffset_ + TotalWidth(), y + RowHeight()};
}

RECT ListView::VScrollRect() const
{
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return RECT{rc.right - kScrollBar, 0, rc.right, rc.bottom - (hScroll_ ? kScrollBar : 0)};
}

RECT ListView::HScrollRect() const
{
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return RECT{0, rc.bottom - kScrollBar, rc.right - (vScroll_ ? kScrollBar : 0), rc.bottom};
}

// ---- Painting ----

LRESULT ListView::CustomDraw(HDC dc, DWORD stage, const RECT &rc, int item, int subItem, COLORREF &text, COLORREF &back)
{
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.dwDrawStage = stage;
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = rc;
    if (item >= 0 && item < static_cast<int>(items_.size())) {
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
        UINT state = items_[item].state;
        cd.nmcd.uItemState = ((state & LVIS_SELECTED) ? CDIS_SELECTED : 0) | ((state & LVIS_FOCUSED) ? CDIS_FOCUS : 0);
        cd.nmcd.lItemlParam = items_[item].data;
    }
    cd.clrText = text;
    cd.clrTextBk = back;
    cd.iSubItem = subItem;
    LRESULT r = NotifyParent(hwnd_, cd.nmcd.hdr, NM_CUSTOMDRAW);
    text = cd.clrText;
    back = cd.clrTextBk;
    return r;
}

void ListView::Paint()
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc)
        return;
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(font_));
    SetBkMode(dc, TRANSPARENT);
    RECT client{};
    GetClientRect(hwnd_, &client);
    COLORREF text = Resolve(textColor_, COLOR_WINDOWTEXT);
    COLORREF back = Resolve(bkColor_, COLOR_WINDOW);
    HWND self = hwnd_;
    LRESULT stage = CustomDraw(dc, CDDS_PREPAINT, client, -1, 0, text, back);
    if (!ControlWindows<ListView>::Alive(self)) {
        EndPaint(self, &ps);
        return;
    }
    if (!(stage & CDRF_SKIPDEFAULT)) {
        RECT body = BodyRect();
        FillSolid(dc, body, Resolve(bkColor_, COLOR_WINDOW));
        int last = std::min(static_cast<int>(items_.size()), top_ + VisibleRows() + 1);
        for (int i = top_; i < last; ++i) {
            if (!PaintItem(dc, i, stage)) {
                EndPaint(self, &ps);
                return;
            }
        }
        if (exStyle_ & LVS_EX_GRIDLINES) {
            COLORREF grid = GetSysColor(COLOR_BTNFACE);
            int x = -xOffset_;
            for (int c : order_) {
                x += columns_[c].width;
                if (x - 1 >= body.left && x - 1 < body.right)
                    DrawVLine(dc, x - 1, body.top, body.bottom, grid);
            }
            int right = std::min(static_cast<int>(body.right), x);
            for (int y = body.top + RowHeight() - 1; y < body.bottom; y += RowHeight())
                DrawHLine(dc, body.left, right, y, grid);
        }
        PaintHeader(dc);
        PaintScrollBars(dc);
    }
    if (stage & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(dc, CDDS_POSTPAINT, client, -1, 0, text, back);
    if (!ControlWindows<ListView>::Alive(self)) {
        EndPaint(self, &ps);
        return;
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

// False when the parent destroyed the control meanwhile.
bool ListView::PaintItem(HDC dc, int item, LRESULT stage)
{
    HWND self = hwnd_;
    RECT row = ItemRect(item);
    COLORREF text = Resolve(textColor_, COLOR_WINDOWTEXT);
    COLORREF back =
        textBkColor_ == CLR_DEFAULT || textBkColor_ == CLR_NONE ? Resolve(bkColor_, COLOR_WINDOW) : textBkColor_;
    LRESULT itemStage = CDRF_DODEFAULT;
    if (stage & CDRF_NOTIFYITEMDRAW) {
        itemStage = CustomDraw(dc, CDDS_ITEMPREPAINT, row, item, 0, text, back);
        if (!ControlWindows<ListView>::Alive(self))
            return false;
        if (itemStage & CDRF_SKIPDEFAULT)
            return true;
    }
    if (item >= static_cast<int>(items_.size()))
        return true;
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
    bool selected = (items_[item].state & LVIS_SELECTED) && (focused_ || (style & LVS_SHOWSELALWAYS));
    for (int c : std::vector<int>(order_)) {
        if (c >= static_cast<int>(columns_.size()) || item >= static_cast<int>(items_.size()))
            break;
        RECT cell{ColumnLeft(c), row.top, ColumnLeft(c) + columns_[c].width, row.bottom};
        COLORREF cellText = text;
        COLORREF cellBack = back;
        if (itemStage & CDRF_NOTIFYSUBITEMDRAW) {
            LRESULT s = CustomDraw(dc, CDDS_ITEMPREPAINT | CDDS_SUBITEM, cell, item, c, cellText, cellBack);
            if (!ControlWindows<ListView>::Alive(self))
                return false;
            if (s & CDRF_SKIPDEFAULT)
                continue;
        }
        if (item >= static_cast<int>(items_.size()))
            break;
        bool cellSelected = selected && (c == 0 || (exStyle_ & LVS_EX_FULLROWSELECT));
        PaintCell(dc, item, c, cell, cellText, cellBack, cellSelected);
    }
    if (itemStage & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(dc, CDDS_ITEMPOSTPAINT, row, item, 0, text, back);
    return ControlWindows<ListView>::Alive(self);
}

void ListView::PaintCell(HDC dc, int item, int column, const RECT &cell, COLORREF text, COLORREF back, bool selected)
{
    if (selected) {
        FillSolid(dc, cell, GetSysColor(focused_ ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        text = GetSysColor(focused_ ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    } else if (back != CLR_NONE && back != CLR_DEFAULT) {
        FillSolid(dc, cell, back);
    }
    const Item &it = items_[item];
    if (column >= static_cast<int>(it.texts.size()) || it.texts[column].empty())
        return;
    RECT r{cell.left + kCellPad, cell.top, cell.right - kCellPad, cell.bottom};
    if (r.right <= r.left)
        return;
    UINT align = DT_LEFT;
    if (columns_[column].fmt == LVCFMT_RIGHT)
        align = DT_RIGHT;
    else if (columns_[column].fmt == LVCFMT_CENTER)
        align = DT_CENTER;
    SetTextColor(dc, text);
    std::string s = it.texts[column];
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void ListView::PaintHeader(HDC dc)
{
    int height = HeaderHeight();
    if (height == 0)
        return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    RECT bar{0, 0, client.right, height};
    FillSolid(dc, bar, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    int x = -xOffset_;
    for (int c : order_) {
        RECT cell{x, 0, x + columns_[c].width, height};
        x = cell.right;
        if (cell.right <= cell.left)
            continue;
        bool pressed =
            drag_ == Drag::HeaderPress && c == dragColumn_ && !(GetWindowLongPtrA(hwnd_, GWL_STYLE) & LVS_NOSORTHEADER);
        if (pressed)
            DrawSunkenEdge(dc, cell);
        else
            DrawRaisedEdge(dc, cell);
        RECT r{cell.left + kCellPad, cell.top, cell.right - kCellPad, cell.bottom};
        if (pressed) {
            r.left += 1;
            r.right += 1;
            r.top += 1;
            r.bottom += 1;
        }
        UINT align = DT_LEFT;
        if (columns_[c].fmt == LVCFMT_RIGHT)
            align = DT_RIGHT;
        else if (columns_[c].fmt == LVCFMT_CENTER)
            align = DT_CENTER;
        if (r.right > r.left)
            DrawTextA(dc, columns_[c].text.c_str(), static_cast<int>(columns_[c].text.size()), &r,
                      align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (drag_ == Drag::HeaderMove) {
        int target = ColumnAtX(dragX_);
        int markX = target < 0 ? (dragX_ < 0 ? -xOffset_ : x) : ColumnLeft(target);
        RECT mark{markX - 1, 0, markX + 1, height};
        FillSolid(dc, mark, GetSysColor(COLOR_HIGHLIGHT));
    }
}

void ListView::PaintScrollBars(HDC dc)
{
    auto bar = [&](RECT r, bool vertical, int pos, int page, int total) {
        FillSolid(dc, r, GetSysColor(COLOR_SCROLLBAR));
        int length = vertical ? r.bottom - r.top : r.right - r.left;
        RECT first = vertical ? RECT{r.left, r.top, r.right, r.top + kScrollBar}
                              : RECT{r.left, r.top, r.left + kScrollBar, r.bottom};
        RECT second = vertical ? RECT{r.left, r.bottom - kScrollBar, r.right, r.bottom}
                               : RECT{r.right - kScrollBar, r.top, r.right, r.bottom};
        for (int i = 0; i < 2; ++i) {
            RECT b = i == 0 ? first : second;
            FillSolid(dc, b, GetSysColor(COLOR_BTNFACE));
            DrawRaisedEdge(dc, b);
            // The arrow: a small triangle pointing away from the track.
            int cx = (b.left + b.right) / 2;
            int cy = (b.top + b.bottom) / 2;
            int d = i == 0 ? -1 : 1;
            POINT arrow[3];
            if (vertical) {
                arrow[0] = POINT{cx - 4, cy - 2 * d};
                arrow[1] = POINT{cx + 4, cy - 2 * d};
                arrow[2] = POINT{cx, cy + 2 * d};
            } else {
                arrow[0] = POINT{cx - 2 * d, cy - 4};
                arrow[1] = POINT{cx - 2 * d, cy + 4};
                arrow[2] = POINT{cx + 2 * d, cy};
            }
            HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
            HGDIOBJ oldBrush = SelectObject(dc, brush);
            HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
            Polygon(dc, arrow, 3);
            SelectObject(dc, oldPen);
            SelectObject(dc, oldBrush);
            DeleteObject(brush);
        }
        int track = length - 2 * kScrollBar;
        if (track <= 0 || total <= page)
            return;
        int thumb = std::max(8, track * page / total);
        int at = kScrollBar + (track - thumb) * pos / std::max(1, total - page);
        RECT t = vertical ? RECT{r.left, r.top + at, r.right, r.top + at + thumb}
                          : RECT{r.left + at, r.top, r.left + at + thumb, r.bottom};
        FillSolid(dc, t, GetSysColor(COLOR_BTNFACE));
        DrawRaisedEdge(dc, t);
    };
    if (vScroll_)
        bar(VScrollRect(), true, top_, VisibleRows(), static_cast<int>(items_.size()));
    if (hScroll_) {
        RECT body = BodyRect();
        bar(HScrollRect(), false, xOffset_, body.right - body.left, TotalWidth());
    }
    if (vScroll_ && hScroll_) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        RECT corner{client.right - kScrollBar, client.bottom - kScrollBar, client.right, client.bottom};
        FillSolid(dc, corner, GetSysColor(COLOR_BTNFACE));
    }
}

// ---- Items and state ----

int ListView::InsertColumn(int index, const LVCOLUMNA &col)
{
    int count = static_cast<int>(columns_.size());
    index = std::clamp(index, 0, count);
    Column c;
    if ((col.mask & LVCF_TEXT) && col.pszText)
        c.text = col.pszText;
    if (col.mask & LVCF_FMT)
        c.fmt = col.fmt & LVCFMT_JUSTIFYMASK;
    c.width = (col.mask & LVCF_WIDTH) ? std::max(0, col.cx) : 60;
    columns_.insert(columns_.begin() + index, c);
    for (int &o : order_)
        if (o >= index)
            ++o;
    int position = (col.mask & LVCF_ORDER) ? std::clamp(col.iOrder, 0, count) : std::min(index, count);
    order_.insert(order_.begin() + position, index);
    for (Item &item : items_) {
        if (static_cast<int>(item.texts.size()) < count)
            item.texts.resize(count);
        item.texts.insert(item.texts.begin() + index, std::string());
    }
    Layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return index;
}

int ListView::InsertItem(const LVITEMA &in)
{
    if (in.iSubItem != 0)
        return -1;
    int index = std::clamp(in.iItem, 0, static_cast<int>(items_.size()));
    Item item;
    item.texts.resize(std::max<size_t>(1, columns_.size()));
    if ((in.mask & LVIF_TEXT) && in.pszText)
        item.texts[0] = in.pszText;
    if (in.mask & LVIF_PARAM)
        item.data = in.lParam;
    items_.insert(items_.begin() + index, item);
    if (mark_ >= index)
        ++mark_;
    Layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMLISTVIEW nm{};
    nm.iItem = index;
    nm.lParam = item.data;
    HWND self = hwnd_;
    NotifyParent(hwnd_, nm.hdr, LVN_INSERTITEM);
    if (!ControlWindows<ListView>::Alive(self))
        return -1;
    if ((in.mask & LVIF_STATE) && (in.state & in.stateMask) && index < static_cast<int>(items_.size()))
        SetState(index, in.state, in.stateMask);
    return index;
}

bool ListView::SetItem(const LVITEMA &in)
{
    if (in.iItem < 0 || in.iItem >= static_cast<int>(items_.size()) || in.iSubItem < 0)
        return false;
    Item &item = items_[in.iItem];
    if (in.mask & LVIF_TEXT) {
        if (in.iSubItem > 0 && in.iSubItem >= static_cast<int>(columns_.size()))
            return false;
        if (static_cast<int>(item.texts.size()) <= in.iSubItem)
            item.texts.resize(in.iSubItem + 1);
        item.texts[in.iSubItem] = in.pszText ? in.pszText : "";
    }
    if (in.mask & LVIF_PARAM)
        item.data = in.lParam;
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (in.mask & LVIF_STATE)
        SetState(in.iItem, in.state, in.stateMask);
    return true;
}

bool ListView::GetItem(LVITEMA &out) const
{
    if (out.iItem < 0 || out.iItem >= static_cast<int>(items_.size()))
        return false;
    const Item &item = items_[out.iItem];
    if (out.mask & LVIF_TEXT) {
        std::string text;
        if (out.iSubItem >= 0 && out.iSubItem < static_cast<int>(item.texts.size()))
            text = item.texts[out.iSubItem];
        CopyText(text, out.pszText, out.cchTextMax);
    }
    if (out.mask & LVIF_PARAM)
        out.lParam = item.data;
    if (out.mask & LVIF_STATE)
        out.state = item.state & out.stateMask;
    return true;
}

bool ListView::DeleteItem(int index)
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return false;
    NMLISTVIEW nm{};
    nm.iItem = index;
    nm.lParam = items_[index].data;
    HWND self = hwnd_;
    NotifyParent(hwnd_, nm.hdr, LVN_DELETEITEM);
    if (!ControlWindows<ListView>::Alive(self) || index >= static_cast<int>(items_.size()))
        return false;
    items_.erase(items_.begin() + index);
    if (mark_ == index)
        mark_ = -1;
    else if (mark_ > index)
        --mark_;
    Layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

void ListView::DeleteAllItems()
{
    NMLISTVIEW nm{};
    nm.iItem = -1;
    HWND self = hwnd_;
    NotifyParent(hwnd_, nm.hdr, LVN_DELETEALLITEMS);
    if (!ControlWindows<ListView>::Alive(self))
        return;
    items_.clear();
    mark_ = -1;
    top_ = 0;
    Layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// Changes the states of one item (or all, -1); an item taking the focus takes
// it from the others, and in a single-selection list the selection too.
void ListView::SetState(int index, UINT state, UINT mask)
{
    std::vector<UINT> next;
    next.reserve(items_.size());
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
    bool takesFocus = index >= 0 && (mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED);
    bool takesSelection = index >= 0 && (mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && (style & LVS_SINGLESEL);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        UINT s = items_[i].state;
        if (index == -1 || index == i) {
            s = (s & ~mask) | (state & mask);
        } else {
            if (takesFocus)
                s &= ~LVIS_FOCUSED;
            if (takesSelection)
                s &= ~LVIS_SELECTED;
        }
        next.push_back(s);
    }
    ApplyStates(next);
}

// Gives every item its new state and then tells the parent of each item that
// changed, so that a handler sees the list whole: the items that lost their
// selection first, as the user sees the old one go before the new one comes.
void ListView::ApplyStates(const std::vector<UINT> &next)
{
    struct Change {
        int item;
        UINT oldState;
        UINT newState;
        LPARAM data;
    };
    std::vector<Change> changes;
    for (int i = 0; i < static_cast<int>(next.size()) && i < static_cast<int>(items_.size()); ++i) {
        if (items_[i].state != next[i]) {
            changes.push_back({i, items_[i].state, next[i], items_[i].data});
            items_[i].state = next[i];
        }
    }
    if (changes.empty())
        return;
    std::stable_partition(changes.begin(), changes.end(), [](const Change &c) {
        return (c.oldState & LVIS_SELECTED) && !(c.newState & LVIS_SELECTED);
    });
    InvalidateRect(hwnd_, nullptr, FALSE);
    HWND self = hwnd_;
    for (const Change &c : changes) {
        NMLISTVIEW nm{};
        nm.iItem = c.item;
        nm.uNewState = c.newState;
        nm.uOldState = c.oldState;
        nm.uChanged = LVIF_STATE;
        nm.lParam = c.data;
        NotifyParent(self, nm.hdr, LVN_ITEMCHANGED);
        if (!ControlWindows<ListView>::Alive(self))
            return;
    }
}

// Selects the rows from `from` to `to` (only `item` when both are it) and no
// other, with the focus on `to`.
void ListView::SelectRange(int from, int to)
{
    int lo = std::min(from, to);
    int hi = std::max(from, to);
    std::vector<UINT> next;
    next.reserve(items_.size());
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        UINT s = items_[i].state & ~(LVIS_SELECTED | LVIS_FOCUSED);
        if (i >= lo && i <= hi)
            s |= LVIS_SELECTED;
        if (i == to)
            s |= LVIS_FOCUSED;
        next.push_back(s);
    }
    ApplyStates(next);
}

void ListView::SelectOnly(int item)
{
    mark_ = item;
    SelectRange(item, item);
}

int ListView::NextItem(int start, UINT flags) const
{
    UINT need = (flags & LVNI_SELECTED ? LVIS_SELECTED : 0) | (flags & LVNI_FOCUSED ? LVIS_FOCUSED : 0);
    int count = static_cast<int>(items_.size());
    if (flags & LVNI_ABOVE) {
        for (int i = std::min(start, count) - 1; i >= 0; --i)
            if ((items_[i].state & need) == need)
                return i;
        return -1;
    }
    for (int i = std::max(-1, start) + 1; i < count; ++i)
        if ((items_[i].state & need) == need)
            return i;
    return -1;
}

bool ListView::SetColumnOrder(int count, const int *order)
{
    if (!order || count != static_cast<int>(columns_.size()))
        return false;
    std::vector<int> next(order, order + count);
    std::vector<int> sorted = next;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i)
        if (sorted[i] != i)
            return false;
    order_ = next;
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

// A merge sort that stays within the list whatever the callback answers, and
// keeps items the callback calls equal in their order.
void ListView::SortItems(PFNLVCOMPARE compare, LPARAM param)
{
    int count = static_cast<int>(items_.size());
    std::vector<LPARAM> data(count);
    for (int i = 0; i < count; ++i)
        data[i] = items_[i].data;
    std::vector<int> index(count);
    for (int i = 0; i < count; ++i)
        index[i] = i;
    std::vector<int> buffer(count);
    for (int width = 1; width < count; width *= 2) {
        for (int lo = 0; lo < count; lo += 2 * width) {
            int mid = std::min(lo + width, count);
            int hi = std::min(lo + 2 * width, count);
            int a = lo;
            int b = mid;
            int out = lo;
            while (a < mid && b < hi)
                buffer[out++] = compare(data[index[b]], data[index[a]], param) < 0 ? index[b++] : index[a++];
            while (a < mid)
                buffer[out++] = index[a++];
            while (b < hi)
                buffer[out++] = index[b++];
        }
        index.swap(buffer);
    }
    if (count != static_cast<int>(items_.size()))
        return;
    std::vector<Item> sorted;
    sorted.reserve(count);
    int mark = -1;
    for (int i = 0; i < count; ++i) {
        if (index[i] == mark_)
            mark = i;
        sorted.push_back(std::move(items_[index[i]]));
    }
    items_.swap(sorted);
    mark_ = mark;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

int ListView::FindItem(int start, const LVFINDINFOA &find) const
{
    for (int i = std::max(-1, start) + 1; i < static_cast<int>(items_.size()); ++i) {
        const Item &item = items_[i];
        if (find.flags & LVFI_PARAM) {
            if (item.data == find.lParam)
                return i;
            continue;
        }
        if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz)
            continue;
        std::string label = item.texts.empty() ? std::string() : item.texts[0];
        std::string wanted = find.psz;
        if (find.flags & LVFI_PARTIAL) {
            if (label.size() >= wanted.size() && GbkEqualNoCase(label.substr(0, wanted.size()), wanted))
                return i;
        } else if (GbkEqualNoCase(label, wanted)) {
            return i;
        }
    }
    return -1;
}

void ListView::EnsureVisible(int item)
{
    if (item < 0 || item >= static_cast<int>(items_.size()))
        return;
    int rows = std::max(1, VisibleRows());
    int top = top_;
    if (item < top)
        top = item;
    else if (item >= top + rows)
        top = item - rows + 1;
    ScrollTo(top, xOffset_);
}

void ListView::ScrollTo(int top, int x)
{
    int oldTop = top_;
    int oldX = xOffset_;
    top_ = top;
    xOffset_ = x;
    Layout();
    if (top_ != oldTop || xOffset_ != oldX)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

int ListView::HitTest(LVHITTESTINFO &info, bool sub) const
{
    info.flags = LVHT_NOWHERE;
    info.iItem = -1;
    info.iSubItem = 0;
    RECT body = BodyRect();
    if (!PtIn(body, info.pt.x, info.pt.y))
        return -1;
    int item = ItemAtY(info.pt.y);
    int column = ColumnAtX(info.pt.x);
    if (item < 0 || column < 0)
        return -1;
    info.flags = LVHT_ONITEMLABEL;
    info.iItem = item;
    if (sub)
        info.iSubItem = column;
    return item;
}

int ListView::AutoWidth(int column, bool header) const
{
    int width = header ? TextWidth(font_, columns_[column].text) : 0;
    for (const Item &item : items_)
        if (column < static_cast<int>(item.texts.size()))
            width = std::max(width, TextWidth(font_, item.texts[column]));
    return width + 2 * kCellPad;
}

// ---- Input ----

void ListView::NotifyItem(UINT code, int item, int subItem, POINT pt)
{
    NMITEMACTIVATE nm{};
    nm.iItem = item;
    nm.iSubItem = subItem;
    nm.ptAction = pt;
    if (item >= 0 && item < static_cast<int>(items_.size())) {
        nm.uNewState = items_[item].state;
        nm.uOldState = items_[item].state;
        nm.lParam = items_[item].data;
    }
    NotifyParent(hwnd_, nm.hdr, code);
}

bool ListView::ScrollBarClick(int x, int y)
{
    auto hit = [&](RECT r, bool vertical, int pos, int page, int total, auto scroll) {
        if (!PtIn(r, x, y))
            return false;
        int at = vertical ? y - r.top : x - r.left;
        int length = vertical ? r.bottom - r.top : r.right - r.left;
        int track = length - 2 * kScrollBar;
        if (at < kScrollBar) {
            scroll(pos - (vertical ? 1 : 16));
        } else if (at >= length - kScrollBar) {
            scroll(pos + (vertical ? 1 : 16));
        } else if (track > 0 && total > page) {
            int thumb = std::max(8, track * page / total);
            int thumbAt = kScrollBar + (track - thumb) * pos / std::max(1, total - page);
            if (at < thumbAt) {
                scroll(pos - page);
            } else if (at >= thumbAt + thumb) {
                scroll(pos + page);
            } else {
                drag_ = Drag::Thumb;
                dragColumn_ = vertical ? 0 : 1;
                thumbGrab_ = at - thumbAt;
            }
        }
        return true;
    };
    RECT body = BodyRect();
    if (vScroll_ && hit(VScrollRect(), true, top_, VisibleRows(), static_cast<int>(items_.size()),
                        [&](int p) { ScrollTo(p, xOffset_); }))
        return true;
    return hScroll_ &&
           hit(HScrollRect(), false, xOffset_, body.right - body.left, TotalWidth(), [&](int p) { ScrollTo(top_, p); });
}

void ListView::MouseDown(int x, int y, WPARAM keys, bool dbl)
{
    if (!focused_)
        SetFocus(hwnd_);
    if (ScrollBarClick(x, y))
        return;
    if (y < HeaderHeight()) {
        int edge = -xOffset_;
        int resize = -1;
        for (int c : order_) {
            edge += columns_[c].width;
            if (std::abs(x - edge) <= kDividerSlop)
                resize = c;
        }
        if (resize >= 0) {
            drag_ = Drag::Resize;
            dragColumn_ = resize;
            dragStartX_ = x - columns_[resize].width;
            return;
        }
        int c = ColumnAtX(x);
        if (c >= 0) {
            drag_ = Drag::HeaderPress;
            dragColumn_ = c;
            dragStartX_ = x;
            dragX_ = x;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return;
    }
    HWND self = hwnd_;
    LVHITTESTINFO info{{x, y}, 0, -1, 0};
    int item = HitTest(info, true);
    DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
    bool multi = !(style & LVS_SINGLESEL);
    if (item < 0) {
        if (!(keys & MK_CONTROL))
            SetState(-1, 0, LVIS_SELECTED);
    } else if (dbl && (items_[item].state & LVIS_SELECTED)) {
        SetState(item, LVIS_FOCUSED, LVIS_FOCUSED);
    } else if ((keys & MK_CONTROL) && multi) {
        mark_ = item;
        SetState(item, (items_[item].state & LVIS_SELECTED) ? LVIS_FOCUSED : LVIS_SELECTED | LVIS_FOCUSED,
                 LVIS_SELECTED | LVIS_FOCUSED);
    } else if ((keys & MK_SHIFT) && multi && mark_ >= 0) {
        SelectRange(mark_, item);
    } else {
        SelectOnly(item);
    }
    if (ControlWindows<ListView>::Alive(self))
        NotifyItem(dbl ? NM_DBLCLK : NM_CLICK, info.iItem, info.iSubItem, info.pt);
}

void ListView::MouseMove(int x, int y)
{
    switch (drag_) {
    case Drag::Resize:
        if (dragColumn_ >= 0 && dragColumn_ < static_cast<int>(columns_.size())) {
            columns_[dragColumn_].width = std::max(0, x - dragStartX_);
            Layout();
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return;
    case Drag::HeaderPress:
        if ((exStyle_ & LVS_EX_HEADERDRAGDROP) && std::abs(x - dragStartX_) > kDragStart)
            drag_ = Drag::HeaderMove;
        dragX_ = x;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    case Drag::HeaderMove:
        dragX_ = x;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    case Drag::Thumb: {
        bool vertical = dragColumn_ == 0;
        RECT r = vertical ? VScrollRect() : HScrollRect();
        RECT body = BodyRect();
        int length = vertical ? r.bottom - r.top : r.right - r.left;
        int track = length - 2 * kScrollBar;
        int total = vertical ? static_cast<int>(items_.size()) : TotalWidth();
        int page = vertical ? VisibleRows() : static_cast<int>(body.right - body.left);
        if (track <= 0 || total <= page)
            return;
        int thumb = std::max(8, track * page / total);
        int at = (vertical ? y - r.top : x - r.left) - kScrollBar - thumbGrab_;
        int pos = track > thumb ? at * (total - page) / (track - thumb) : 0;
        if (vertical)
            ScrollTo(pos, xOffset_);
        else
            ScrollTo(top_, pos);
        return;
    }
    case Drag::None:
        break;
    }
    bool overDivider = false;
    if (y >= 0 && y < HeaderHeight()) {
        int edge = -xOffset_;
        for (int c : order_) {
            edge += columns_[c].width;
            if (std::abs(x - edge) <= kDividerSlop)
                overDivider = true;
        }
    }
    if (overDivider != cursorSized_) {
        cursorSized_ = overDivider;
        SetCursor(LoadCursorA(0, overDivider ? IDC_SIZEWE : IDC_ARROW));
    }
}

void ListView::MouseUp(int x, int)
{
    Drag drag = drag_;
    drag_ = Drag::None;
    int column = dragColumn_;
    if (drag == Drag::HeaderPress) {
        InvalidateRect(hwnd_, nullptr, FALSE);
        // Headings that are no buttons (LVS_NOSORTHEADER) tell of no click.
        if (ColumnAtX(x) == column && !(GetWindowLongPtrA(hwnd_, GWL_STYLE) & LVS_NOSORTHEADER)) {
            NMLISTVIEW nm{};
            nm.iItem = -1;
            nm.iSubItem = column;
            NotifyParent(hwnd_, nm.hdr, LVN_COLUMNCLICK);
        }
    } else if (drag == Drag::HeaderMove) {
        int target = ColumnAtX(x);
        int to = target >= 0 ? PositionOf(target) : (x < 0 ? 0 : static_cast<int>(order_.size()) - 1);
        int from = PositionOf(column);
        if (from >= 0 && to >= 0 && from != to) {
            order_.erase(order_.begin() + from);
            order_.insert(order_.begin() + to, column);
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void ListView::KeyDown(WORD key)
{
    NMLVKEYDOWN nk{};
    nk.wVKey = key;
    HWND self = hwnd_;
    NotifyParent(hwnd_, nk.hdr, LVN_KEYDOWN);
    if (!ControlWindows<ListView>::Alive(self))
        return;
    int count = static_cast<int>(items_.size());
    if (count == 0)
        return;
    int current = NextItem(-1, LVNI_FOCUSED);
    int page = std::max(1, VisibleRows() - 1);
    int target;
    switch (key) {
    case VK_UP:
        target = current < 0 ? 0 : std::max(0, current - 1);
        break;
    case VK_DOWN:
        target = current < 0 ? 0 : std::min(count - 1, current + 1);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    case VK_PRIOR:
        target = std::max(0, current - page);
        break;
    case VK_NEXT:
        target = std::min(count - 1, std::max(0, current) + page);
        break;
    case VK_RETURN: {
        NMHDR hdr{};
        NotifyParent(hwnd_, hdr, NM_RETURN);
        return;
    }
    case VK_SPACE:
        if (current >= 0 && KeyboardShift().Contains(ssCtrl))
            SetState(current, (items_[current].state & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        else if (current >= 0)
            SetState(current, LVIS_SELECTED, LVIS_SELECTED);
        return;
    default:
        return;
    }
    TShiftState shift = KeyboardShift();
    bool multi = !(GetWindowLongPtrA(hwnd_, GWL_STYLE) & LVS_SINGLESEL);
    if (shift.Contains(ssShift) && multi && mark_ >= 0)
        SelectRange(mark_, target);
    else if (shift.Contains(ssCtrl) && multi)
        SetState(target, LVIS_FOCUSED, LVIS_FOCUSED);
    else
        SelectOnly(target);
    if (ControlWindows<ListView>::Alive(self))
        EnsureVisible(target);
}

} // namespace win
