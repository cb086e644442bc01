#include "platform/appframe/TabControl.h"

#include <algorithm>

#include "platform/appframe/ControlHelpers.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

constexpr int kTop = 2;
constexpr int kTabPad = 8;
constexpr int kFrame = 4;
constexpr UINT TCHT_NOWHERE = 1;
constexpr UINT TCHT_ONITEM = 6;

// The width of a caption as shown: "&x" marks a mnemonic, "&&" shows one '&'.
std::string ShownText(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out.push_back(text[i]);
    }
    return out;
}

struct NMTCKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};

} // namespace

void TabControl::Register() { ControlWindows<TabControl>::Register(WC_TABCONTROLA, CS_DBLCLKS); }

TabControl::TabControl(HWND hwnd) : hwnd_(hwnd) {}

LRESULT TabControl::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int count = static_cast<int>(tabs_.size());
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
        Layout();
        if (lParam)
            InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = msg == WM_SETFOCUS;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int index = HitTest(static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                            static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam))));
        if (index >= 0) {
            SetFocus(hwnd_);
            Select(index);
        }
        return 0;
    }
    case WM_KEYDOWN: {
        NMTCKEYDOWN nk{};
        nk.wVKey = static_cast<WORD>(wParam);
        HWND self = hwnd_;
        NotifyParent(hwnd_, nk.hdr, TCN_KEYDOWN);
        if (!ControlWindows<TabControl>::Alive(self))
            return 0;
        if (wParam == VK_LEFT && current_ > 0)
            Select(current_ - 1);
        else if (wParam == VK_RIGHT && current_ + 1 < static_cast<int>(tabs_.size()))
            Select(current_ + 1);
        return 0;
    }

    case TCM_GETITEMCOUNT:
        return count;
    case TCM_INSERTITEMA: {
        auto *item = reinterpret_cast<const TCITEMA *>(lParam);
        if (!item)
            return -1;
        int index = std::clamp(static_cast<int>(wParam), 0, count);
        Tab tab;
        if ((item->mask & TCIF_TEXT) && item->pszText)
            tab.text = item->pszText;
        if (item->mask & TCIF_PARAM)
            tab.data = item->lParam;
        tabs_.insert(tabs_.begin() + index, tab);
        if (current_ < 0)
            current_ = 0;
        else if (current_ >= index && count > 0)
            ++current_;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return index;
    }
    case TCM_DELETEITEM: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return FALSE;
        tabs_.erase(tabs_.begin() + index);
        if (current_ == index)
            current_ = -1;
        else if (current_ > index)
            --current_;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        tabs_.clear();
        current_ = -1;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    case TCM_GETITEMA: {
        auto *item = reinterpret_cast<TCITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item || index < 0 || index >= count)
            return FALSE;
        if (item->mask & TCIF_TEXT)
            CopyText(tabs_[index].text, item->pszText, item->cchTextMax);
        if (item->mask & TCIF_PARAM)
            item->lParam = tabs_[index].data;
        return TRUE;
    }
    case TCM_SETITEMA: {
        auto *item = reinterpret_cast<const TCITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item || index < 0 || index >= count)
            return FALSE;
        if (item->mask & TCIF_TEXT)
            tabs_[index].text = item->pszText ? item->pszText : "";
        if (item->mask & TCIF_PARAM)
            tabs_[index].data = item->lParam;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case TCM_GETITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        int index = static_cast<int>(wParam);
        if (!r || index < 0 || index >= count)
            return FALSE;
        *r = tabs_[index].rect;
        return TRUE;
    }
    case TCM_GETCURSEL:
        return current_;
    case TCM_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return -1;
        int old = current_;
        current_ = index;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return old;
    }
    case TCM_HITTEST: {
        auto *info = reinterpret_cast<TCHITTESTINFO *>(lParam);
        if (!info)
            return -1;
        int index = HitTest(info->pt.x, info->pt.y);
        info->flags = index >= 0 ? TCHT_ONITEM : TCHT_NOWHERE;
        return index;
    }
    case TCM_ADJUSTRECT:
        if (lParam)
            AdjustRect(wParam != 0, *reinterpret_cast<RECT *>(lParam));
        return 0;
    case TCM_GETROWCOUNT:
        return rows_;
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

int TabControl::TabHeight() const { return FontLineHeight(font_) + 6; }

void TabControl::Layout()
{
    RECT client{};
    GetClientRect(hwnd_, &client);
    int avail = std::max(1, static_cast<int>(client.right) - 2 * kTop);
    bool multi = (GetWindowLongPtrA(hwnd_, GWL_STYLE) & TCS_MULTILINE) != 0;
    std::vector<std::vector<int>> rows(1);
    std::vector<int> widths;
    int used = 0;
    for (int i = 0; i < static_cast<int>(tabs_.size()); ++i) {
        int w = TextWidth(font_, ShownText(tabs_[i].text)) + 2 * kTabPad;
        widths.push_back(w);
        if (multi && used > 0 && used + w > avail) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += w;
    }
    rows_ = static_cast<int>(rows.size());
    int selectedRow = 0;
    for (int r = 0; r < rows_; ++r)
        if (std::find(rows[r].begin(), rows[r].end(), current_) != rows[r].end())
            selectedRow = r;
    int h = TabHeight();
    for (int shown = 0; shown < rows_; ++shown) {
        const std::vector<int> &row = rows[(selectedRow + 1 + shown) % rows_];
        int total = 0;
        for (int i : row)
            total += widths[i];
        int extra = rows_ > 1 && !row.empty() ? std::max(0, avail - total) : 0;
        int x = kTop;
        int y = kTop + shown * h;
        for (size_t k = 0; k < row.size(); ++k) {
            int i = row[k];
            int w = widths[i] + (extra > 0 ? extra / static_cast<int>(row.size()) +
                                                 (k + 1 == row.size() ? extra % static_cast<int>(row.size()) : 0)
                                           : 0);
            tabs_[i].rect = RECT{x, y, x + w, y + h};
            x += w;
        }
    }
}

void TabControl::AdjustRect(bool larger, RECT &r) const
{
    int header = kTop + rows_ * TabHeight();
    if (larger) {
        r.left -= kFrame;
        r.right += kFrame;
        r.top -= header + kFrame;
        r.bottom += kFrame;
    } else {
        r.left += kFrame;
        r.right -= kFrame;
        r.top += header + kFrame;
        r.bottom -= kFrame;
    }
}

int TabControl::HitTest(int x, int y) const
{
    for (int i = 0; i < static_cast<int>(tabs_.size()); ++i) {
        const RECT &r = tabs_[i].rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return i;
    }
    return -1;
}

void TabControl::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == current_)
        return;
    NMHDR hdr{};
    HWND self = hwnd_;
    if (NotifyParent(hwnd_, hdr, TCN_SELCHANGING) != 0 || !ControlWindows<TabControl>::Alive(self))
        return;
    if (index >= static_cast<int>(tabs_.size()))
        return;
    current_ = index;
    Layout();
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMHDR changed{};
    NotifyParent(hwnd_, changed, TCN_SELCHANGE);
}

void TabControl::Paint()
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc)
        return;
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(font_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT client{};
    GetClientRect(hwnd_, &client);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    FillSolid(dc, client, face);
    RECT frame{0, kTop + rows_ * TabHeight(), client.right, client.bottom};
    DrawRaisedEdge(dc, frame);
    for (int i = 0; i < static_cast<int>(tabs_.size()); ++i) {
        RECT r = tabs_[i].rect;
        bool current = i == current_;
        if (current) {
            r.left -= 2;
            r.right += 2;
            r.top -= 2;
            r.bottom += 1;
        }
        FillSolid(dc, r, face);
        COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
        COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
        DrawHLine(dc, r.left + 1, r.right - 1, r.top, light);
        DrawVLine(dc, r.left, r.top + 1, r.bottom, light);
        DrawVLine(dc, r.right - 1, r.top + 1, r.bottom, dark);
        RECT text = r;
        if (current)
            text.bottom -= 1;
        DrawTextA(dc, tabs_[i].text.c_str(), static_cast<int>(tabs_[i].text.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (current && focused_) {
            RECT focus{text.left + 3, text.top + 3, text.right - 3, text.bottom - 2};
            HBRUSH b = CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
            FrameRect(dc, &focus, b);
            DeleteObject(b);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

} // namespace win
