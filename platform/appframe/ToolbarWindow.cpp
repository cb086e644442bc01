#include "platform/appframe/ToolbarWindow.h"

#include <algorithm>
#include <cstring>

#include "platform/appframe/ControlHelpers.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/Timers.h"

namespace win {

namespace {

constexpr int kTextPad = 6;
// While a button is hot, the pointer is looked at this often so that the button
// cools down once the pointer has left the bar.
constexpr UINT_PTR kLeaveTimer = 1;
constexpr UINT kLeaveCheckMs = 100;
constexpr int kSeparator = 8;

int XOf(LPARAM lp) { return static_cast<int16_t>(LOWORD(static_cast<DWORD>(lp))); }
int YOf(LPARAM lp) { return static_cast<int16_t>(HIWORD(static_cast<DWORD>(lp))); }

} // namespace

void ToolbarWindow::Register() { ControlWindows<ToolbarWindow>::Register(TOOLBARCLASSNAMEA, CS_DBLCLKS); }

ToolbarWindow::ToolbarWindow(HWND hwnd) : hwnd_(hwnd) {}

int ToolbarWindow::IndexOf(int command) const
{
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        if (buttons_[i].command == command && !(buttons_[i].style & TBSTYLE_SEP))
            return i;
    return -1;
}

int ToolbarWindow::HitTest(int x, int y) const
{
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
        const Button &b = buttons_[i];
        if ((b.style & TBSTYLE_SEP) || (b.state & TBSTATE_HIDDEN))
            continue;
        if (x >= b.rect.left && x < b.rect.right && y >= b.rect.top && y < b.rect.bottom)
            return i;
    }
    return -1;
}

LRESULT ToolbarWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int count = static_cast<int>(buttons_.size());
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
    case WM_MOUSEMOVE: {
        int hit = HitTest(XOf(lParam), YOf(lParam));
        if (pressing_ >= 0) {
            BYTE &state = buttons_[pressing_].state;
            BYTE next = hit == pressing_ ? BYTE(state | TBSTATE_PRESSED) : BYTE(state & ~TBSTATE_PRESSED);
            if (next != state) {
                state = next;
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
        }
        SetHot(hit >= 0 && (buttons_[hit].state & TBSTATE_ENABLED) ? hit : -1);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHot(-1);
        return 0;
    case WM_TIMER: {
        if (wParam != kLeaveTimer)
            return 0;
        if (hot_ < 0) {
            KillTimer(hwnd_, kLeaveTimer);
            return 0;
        }
        POINT p{0, 0};
        RECT r{};
        GetCursorPos(&p);
        GetWindowRect(hwnd_, &r);
        if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom)
            SetHot(-1);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(XOf(lParam), YOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        MouseUp(XOf(lParam), YOf(lParam));
        return 0;

    case TB_BUTTONSTRUCTSIZE:
        return 0;
    case TB_ADDSTRINGA: {
        // Only strings given in memory: zero-terminated, the list ended by an
        // empty one.
        if (wParam != 0 || !lParam)
            return -1;
        int first = static_cast<int>(strings_.size());
        for (auto *p = reinterpret_cast<const char *>(lParam); *p; p += std::strlen(p) + 1)
            strings_.emplace_back(p);
        return first;
    }
    case TB_ADDBUTTONSA: {
        auto *in = reinterpret_cast<const TBBUTTON *>(lParam);
        if (!in)
            return FALSE;
        for (WPARAM i = 0; i < wParam; ++i) {
            Button b;
            b.command = in[i].idCommand;
            b.state = in[i].fsState;
            b.style = in[i].fsStyle;
            b.data = in[i].dwData;
            b.string = in[i].iString;
            if (b.string >= 0 && b.string < static_cast<INT_PTR>(strings_.size()))
                b.text = strings_[b.string];
            else if (b.string > 0xFFFF)
                b.text = reinterpret_cast<const char *>(b.string);
            buttons_.push_back(b);
        }
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case TB_DELETEBUTTON: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return FALSE;
        buttons_.erase(buttons_.begin() + index);
        SetHot(-1);
        pressing_ = -1;
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case TB_GETBUTTON: {
        int index = static_cast<int>(wParam);
        auto *out = reinterpret_cast<TBBUTTON *>(lParam);
        if (index < 0 || index >= count || !out)
            return FALSE;
        *out = TBBUTTON{};
        out->idCommand = buttons_[index].command;
        out->fsState = buttons_[index].state;
        out->fsStyle = buttons_[index].style;
        out->dwData = buttons_[index].data;
        out->iString = buttons_[index].string;
        return TRUE;
    }
    case TB_BUTTONCOUNT:
        return count;
    case TB_COMMANDTOINDEX:
        return IndexOf(static_cast<int>(wParam));
    case TB_GETITEMRECT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count || !lParam)
            return FALSE;
        *reinterpret_cast<RECT *>(lParam) = buttons_[index].rect;
        return TRUE;
    }
    case TB_HITTEST: {
        auto *p = reinterpret_cast<const POINT *>(lParam);
        return p ? HitTest(p->x, p->y) : -1;
    }
    case TB_PRESSBUTTON:
    case TB_CHECKBUTTON:
    case TB_ENABLEBUTTON: {
        int index = IndexOf(static_cast<int>(wParam));
        if (index < 0)
            return FALSE;
        BYTE flag = msg == TB_PRESSBUTTON ? TBSTATE_PRESSED : msg == TB_CHECKBUTTON ? TBSTATE_CHECKED : TBSTATE_ENABLED;
        BYTE &state = buttons_[index].state;
        state = LOWORD(static_cast<DWORD>(lParam)) ? BYTE(state | flag) : BYTE(state & ~flag);
        InvalidateRect(hwnd_, nullptr, FALSE);
        UpdateWindow(hwnd_);
        return TRUE;
    }
    case TB_ISBUTTONPRESSED: {
        int index = IndexOf(static_cast<int>(wParam));
        return index >= 0 && (buttons_[index].state & TBSTATE_PRESSED);
    }
    case TB_SETSTATE: {
        int index = IndexOf(static_cast<int>(wParam));
        if (index < 0)
            return FALSE;
        buttons_[index].state = static_cast<BYTE>(LOWORD(static_cast<DWORD>(lParam)));
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case TB_GETSTATE: {
        int index = IndexOf(static_cast<int>(wParam));
        return index < 0 ? -1 : buttons_[index].state;
    }
    case TB_GETHOTITEM:
        return hot_;
    case TB_SETHOTITEM: {
        int old = hot_;
        int index = static_cast<int>(wParam);
        SetHot(index >= 0 && index < count ? index : -1);
        return old;
    }
    case TB_AUTOSIZE:
        Layout();
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case TB_GETBUTTONTEXTA: {
        int index = IndexOf(static_cast<int>(wParam));
        if (index < 0)
            return -1;
        const std::string &text = buttons_[index].text;
        if (lParam) {
            auto *out = reinterpret_cast<char *>(lParam);
            std::copy(text.begin(), text.end(), out);
            out[text.size()] = '\0';
        }
        return static_cast<LRESULT>(text.size());
    }
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

void ToolbarWindow::Layout()
{
    int height = FontLineHeight(font_) + 6;
    int x = 0;
    for (Button &b : buttons_) {
        if (b.state & TBSTATE_HIDDEN) {
            b.rect = RECT{x, 0, x, 0};
            continue;
        }
        int width = (b.style & TBSTYLE_SEP) ? kSeparator : TextWidth(font_, b.text) + 2 * kTextPad;
        b.rect = RECT{x, 0, x + width, height};
        x += width;
    }
}

void ToolbarWindow::SetHot(int index)
{
    if (index == hot_)
        return;
    hot_ = index;
    if (hot_ >= 0)
        SetTimer(hwnd_, kLeaveTimer, kLeaveCheckMs, nullptr);
    else
        KillTimer(hwnd_, kLeaveTimer);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ToolbarWindow::MouseDown(int x, int y)
{
    int index = HitTest(x, y);
    NMMOUSE nm{};
    nm.dwItemSpec = index >= 0 ? static_cast<DWORD_PTR>(buttons_[index].command) : static_cast<DWORD_PTR>(-1);
    nm.dwItemData = index >= 0 ? buttons_[index].data : 0;
    nm.pt = POINT{x, y};
    HWND self = hwnd_;
    if (NotifyParent(hwnd_, nm.hdr, NM_LDOWN) != 0 || !ControlWindows<ToolbarWindow>::Alive(self))
        return;
    index = HitTest(x, y);
    if (index < 0 || !(buttons_[index].state & TBSTATE_ENABLED))
        return;
    if (buttons_[index].style & TBSTYLE_DROPDOWN) {
        buttons_[index].state |= TBSTATE_PRESSED;
        InvalidateRect(hwnd_, nullptr, FALSE);
        NMTOOLBARA tb{};
        tb.iItem = buttons_[index].command;
        tb.rcButton = buttons_[index].rect;
        NotifyParent(hwnd_, tb.hdr, TBN_DROPDOWN);
        if (!ControlWindows<ToolbarWindow>::Alive(self))
            return;
        index = IndexOf(tb.iItem);
        if (index >= 0)
            buttons_[index].state &= ~TBSTATE_PRESSED;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    }
    pressing_ = index;
    buttons_[index].state |= TBSTATE_PRESSED;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ToolbarWindow::MouseUp(int x, int y)
{
    int index = pressing_;
    pressing_ = -1;
    if (index < 0 || index >= static_cast<int>(buttons_.size()))
        return;
    Button &b = buttons_[index];
    b.state &= ~TBSTATE_PRESSED;
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (HitTest(x, y) != index)
        return;
    if (b.style & TBSTYLE_CHECK)
        b.state ^= TBSTATE_CHECKED;
    HWND parent = GetParent(hwnd_);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKELONG(static_cast<WORD>(b.command), BN_CLICKED),
                     static_cast<LPARAM>(hwnd_));
}

void ToolbarWindow::Paint()
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc)
        return;
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(font_));
    SetBkMode(dc, TRANSPARENT);
    RECT client{};
    GetClientRect(hwnd_, &client);
    auto notify = [&](DWORD stage, const RECT &rc, int index) {
        NMTBCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = stage;
        cd.nmcd.hdc = dc;
        cd.nmcd.rc = rc;
        cd.clrText = GetSysColor(COLOR_BTNTEXT);
        cd.clrBtnFace = GetSysColor(COLOR_BTNFACE);
        cd.rcText = rc;
        cd.nStringBkMode = TRANSPARENT;
        if (index >= 0) {
            const Button &b = buttons_[index];
            cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(b.command);
            cd.nmcd.lItemlParam = static_cast<LPARAM>(b.data);
            cd.nmcd.uItemState = ((b.state & TBSTATE_PRESSED) ? CDIS_SELECTED : 0) |
                                 ((b.state & TBSTATE_CHECKED) ? CDIS_CHECKED : 0) |
                                 ((b.state & TBSTATE_ENABLED) ? 0 : CDIS_DISABLED) | (index == hot_ ? CDIS_HOT : 0);
        }
        LRESULT r = NotifyParent(hwnd_, cd.nmcd.hdr, NM_CUSTOMDRAW);
        return std::make_pair(r, cd.clrText);
    };
    // The background first, as erasing does, so that the parent may paint over it.
    FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    HWND self = hwnd_;
    LRESULT stage = notify(CDDS_PREPAINT, client, -1).first;
    if (!ControlWindows<ToolbarWindow>::Alive(self)) {
        EndPaint(self, &ps);
        return;
    }
    if (!(stage & CDRF_SKIPDEFAULT)) {
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
            const Button b = buttons_[i];
            if ((b.style & TBSTYLE_SEP) || (b.state & TBSTATE_HIDDEN))
                continue;
            COLORREF text = GetSysColor((b.state & TBSTATE_ENABLED) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
            if (stage & CDRF_NOTIFYITEMDRAW) {
                auto [r, color] = notify(CDDS_ITEMPREPAINT, b.rect, i);
                if (!ControlWindows<ToolbarWindow>::Alive(self)) {
                    EndPaint(self, &ps);
                    return;
                }
                if (r & CDRF_SKIPDEFAULT)
                    continue;
                text = color;
            }
            if (b.state & (TBSTATE_PRESSED | TBSTATE_CHECKED))
                DrawSunkenEdge(dc, b.rect);
            else if (i == hot_)
                DrawRaisedEdge(dc, b.rect);
            RECT r = b.rect;
            SetTextColor(dc, text);
            DrawTextA(dc, b.text.c_str(), static_cast<int>(b.text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    if (stage & CDRF_NOTIFYPOSTPAINT)
        notify(CDDS_POSTPAINT, client, -1);
    if (!ControlWindows<ToolbarWindow>::Alive(self)) {
        EndPaint(self, &ps);
        return;
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

} // namespace win
