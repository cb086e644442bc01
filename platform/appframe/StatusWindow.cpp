#include "platform/appframe/StatusWindow.h"

#include <algorithm>

#include "platform/appframe/ControlHelpers.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

// The most parts a status bar takes, as the system's control.
constexpr int kMaxParts = 256;
constexpr UINT SBT_NOBORDERS = 0x0100;

} // namespace

void StatusWindow::Register() { ControlWindows<StatusWindow>::Register(STATUSCLASSNAMEA, 0); }

StatusWindow::StatusWindow(HWND hwnd) : hwnd_(hwnd), parts_(1) {}

LRESULT StatusWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int count = static_cast<int>(parts_.size());
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        font_ = static_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return static_cast<LRESULT>(font_);
    case WM_SETTEXT:
        parts_[0].text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        InvalidateRect(hwnd_, nullptr, FALSE);
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    case SB_SETPARTS: {
        int n = static_cast<int>(wParam);
        auto *rights = reinterpret_cast<const int *>(lParam);
        if (n < 1 || n > kMaxParts || !rights)
            return FALSE;
        parts_.resize(n);
        for (int i = 0; i < n; ++i)
            parts_[i].right = rights[i];
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case SB_GETPARTS: {
        auto *rights = reinterpret_cast<int *>(lParam);
        if (rights)
            for (int i = 0; i < std::min(count, static_cast<int>(wParam)); ++i)
                rights[i] = parts_[i].right;
        return count;
    }
    case SB_SETTEXTA: {
        int index = static_cast<int>(wParam & 0xFF);
        if (index >= count)
            return FALSE;
        parts_[index].text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        parts_[index].type = static_cast<UINT>(wParam & 0xFF00);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
    }
    case SB_GETTEXTA:
    case SB_GETTEXTLENGTHA: {
        int index = static_cast<int>(wParam & 0xFF);
        if (index >= count)
            return 0;
        const Part &p = parts_[index];
        // The length travels in 16 bits: longer texts are given cut to fit.
        int length = static_cast<int>(std::min<size_t>(p.text.size(), 0xFFFE));
        if (msg == SB_GETTEXTA && lParam) {
            auto *out = reinterpret_cast<char *>(lParam);
            std::copy(p.text.begin(), p.text.begin() + length, out);
            out[length] = '\0';
        }
        return MAKELONG(static_cast<WORD>(length), static_cast<WORD>(p.type));
    }
    case SB_GETRECT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count || !lParam)
            return FALSE;
        *reinterpret_cast<RECT *>(lParam) = PartRect(index);
        return TRUE;
    }
    default:
        return DefWindowProcA(hwnd_, msg, wParam, lParam);
    }
}

RECT StatusWindow::PartRect(int index) const
{
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    int left = index == 0 ? 0 : std::max(0, parts_[index - 1].right) + 2;
    int right = parts_[index].right < 0 ? static_cast<int>(rc.right) : parts_[index].right;
    return RECT{std::min(left, static_cast<int>(rc.right)), rc.top + 2,
                std::min(std::max(left, right), static_cast<int>(rc.right)), rc.bottom};
}

void StatusWindow::Paint()
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc)
        return;
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    FillSolid(dc, rc, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ old = SelectObject(dc, ControlFont(font_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (int i = 0; i < static_cast<int>(parts_.size()); ++i) {
        RECT r = PartRect(i);
        if (r.right <= r.left)
            continue;
        if (!(parts_[i].type & SBT_NOBORDERS))
            DrawSunkenEdge(dc, r);
        RECT text{r.left + 3, r.top, r.right - 3, r.bottom};
        DrawTextA(dc, parts_[i].text.c_str(), static_cast<int>(parts_[i].text.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

} // namespace win
