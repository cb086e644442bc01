#include "platform/appframe/ToolTipWindow.h"

#include <algorithm>

#include "platform/appframe/ControlHelpers.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/Timers.h"

namespace win {

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kInitialDelayMs = 500;
constexpr int kBelowPointer = 20;
const LPSTR kTextCallback = reinterpret_cast<LPSTR>(static_cast<intptr_t>(-1));

bool Readable(LPCSTR text) { return text && text != kTextCallback; }

} // namespace

void ToolTipWindow::Register() { ControlWindows<ToolTipWindow>::Register(TOOLTIPS_CLASSA, 0); }

ToolTipWindow::ToolTipWindow(HWND hwnd) : hwnd_(hwnd) {}

ToolTipWindow::Tool *ToolTipWindow::Find(HWND hwnd, UINT_PTR id)
{
    for (Tool &t : tools_)
        if (t.hwnd == hwnd && t.id == id)
            return &t;
    return nullptr;
}

LRESULT ToolTipWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto *info = reinterpret_cast<TOOLINFOA *>(lParam);
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        font_ = static_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_MOUSEACTIVATE:
        return 3; // MA_NOACTIVATE: a click on the tip never activates it.
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
        Hide();
        return 0;
    case WM_TIMER:
        if (wParam == kShowTimer) {
            KillTimer(hwnd_, kShowTimer);
            Show();
        }
        return 0;
    case TTM_ACTIVATE:
        active_ = wParam != 0;
        if (!active_)
            Hide();
        return 0;
    case TTM_ADDTOOLA: {
        if (!info)
            return FALSE;
        Tool *t = Find(info->hwnd, info->uId);
        if (!t) {
            tools_.emplace_back();
            t = &tools_.back();
        }
        t->hwnd = info->hwnd;
        t->id = info->uId;
        t->flags = info->uFlags;
        t->rect = info->rect;
        t->text = Readable(info->lpszText) ? info->lpszText : "";
        return TRUE;
    }
    case TTM_DELTOOLA:
        if (info) {
            Tool *t = Find(info->hwnd, info->uId);
            if (t) {
                if (current_ >= 0 && &tools_[current_] == t)
                    Hide();
                tools_.erase(tools_.begin() + (t - tools_.data()));
                current_ = -1;
            }
        }
        return 0;
    case TTM_NEWTOOLRECTA:
        if (info)
            if (Tool *t = Find(info->hwnd, info->uId))
                t->rect = info->rect;
        return 0;
    case TTM_UPDATETIPTEXTA:
        if (info)
            if (Tool *t = Find(info->hwnd, info->uId)) {
                t->text = Readable(info->lpszText) ? info->lpszText : "";
                if (shown_)
                    Show();
            }
        return 0;
    case TTM_GETTOOLINFOA: {
        if (!info)
            return FALSE;
        Tool *t = Find(info->hwnd, info->uId);
        if (!t)
            return FALSE;
        info->uFlags = t->flags;
        info->rect = t->rect;
        if (Readable(info->lpszText))
            CopyText(t->text, info->lpszText, 80);
        return TRUE;
    }
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(tools_.size());
    case TTM_RELAYEVENT:
        if (lParam)
            Relay(*reinterpret_cast<const MSG *>(lParam));
        return 0;
    case TTM_POP:
        Hide();
        return 0;
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

// Follows the pointer over the tools: a new tool starts the pause before its tip
// shows, no tool (or a button press) hides the tip.
void ToolTipWindow::Relay(const MSG &msg)
{
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN ||
        msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        Hide();
        current_ = -1;
        return;
    }
    if (msg.message != WM_MOUSEMOVE || !active_)
        return;
    POINT screen{static_cast<int16_t>(LOWORD(static_cast<DWORD>(msg.lParam))),
                 static_cast<int16_t>(HIWORD(static_cast<DWORD>(msg.lParam)))};
    ClientToScreen(msg.hwnd, &screen);
    int hit = -1;
    for (int i = 0; i < static_cast<int>(tools_.size()) && hit < 0; ++i) {
        const Tool &t = tools_[i];
        POINT p = screen;
        ScreenToClient(t.hwnd, &p);
        if (t.flags & TTF_IDISHWND) {
            RECT rc{};
            GetClientRect(static_cast<HWND>(t.id), &rc);
            POINT q = screen;
            ScreenToClient(static_cast<HWND>(t.id), &q);
            if (q.x >= rc.left && q.x < rc.right && q.y >= rc.top && q.y < rc.bottom)
                hit = i;
        } else if (p.x >= t.rect.left && p.x < t.rect.right && p.y >= t.rect.top && p.y < t.rect.bottom) {
            hit = i;
        }
    }
    at_ = screen;
    if (hit == current_)
        return;
    Hide();
    current_ = hit;
    if (hit >= 0 && !tools_[hit].text.empty())
        SetTimer(hwnd_, kShowTimer, kInitialDelayMs, nullptr);
}

void ToolTipWindow::Show()
{
    if (current_ < 0 || current_ >= static_cast<int>(tools_.size()) || !active_)
        return;
    const std::string &text = tools_[current_].text;
    if (text.empty())
        return;
    int width = TextWidth(font_, text) + 8;
    int height = FontLineHeight(font_) + 4;
    SetWindowPos(hwnd_, HWND_TOP, at_.x, at_.y + kBelowPointer, width, height, SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    shown_ = true;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ToolTipWindow::Hide()
{
    KillTimer(hwnd_, kShowTimer);
    if (shown_)
        ShowWindow(hwnd_, SW_HIDE);
    shown_ = false;
}

void ToolTipWindow::Paint()
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc)
        return;
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    FillSolid(dc, rc, GetSysColor(COLOR_INFOBK));
    HBRUSH frame = CreateSolidBrush(RGB(0, 0, 0));
    FrameRect(dc, &rc, frame);
    DeleteObject(frame);
    if (current_ >= 0 && current_ < static_cast<int>(tools_.size())) {
        HGDIOBJ old = SelectObject(dc, ControlFont(font_));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        const std::string &text = tools_[current_].text;
        TextOutA(dc, 4, 2, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, old);
    }
    EndPaint(hwnd_, &ps);
}

} // namespace win
