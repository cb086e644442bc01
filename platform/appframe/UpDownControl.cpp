// The "msctls_updown32" window class, painted on the control's own image: two
// arrow buttons that move a position within a range (UDS_WRAP wraps), beside
// and in step with a buddy window (UDS_AUTOBUDDY takes the control made before
// it, UDS_ALIGNRIGHT / UDS_ALIGNLEFT place the arrows on the buddy's edge,
// UDS_SETBUDDYINT writes the position into it). Each step tells the parent
// UDN_DELTAPOS (which may refuse it) and then WM_VSCROLL (WM_HSCROLL for
// UDS_HORZ) with SB_THUMBPOSITION.
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "platform/appframe/ControlHelpers.h"
#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

std::string WithThousands(int value)
{
    std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return value < 0 ? "-" + out : out;
}

class UpDownControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *, const CREATESTRUCTA &) override { return nullptr; }

    void Created() override
    {
        if (!(Style() & UDS_AUTOBUDDY) || !widget_ || !widget_->parentWidget())
            return;
        // The control made just before this one.
        HWND best = 0;
        for (QObject *o : widget_->parentWidget()->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            HWND h = w ? WindowOfWidget(w) : 0;
            if (h && h < hwnd && h > best && GetParent(h) == Parent())
                best = h;
        }
        SetBuddy(best);
    }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            int x = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
            int y = static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
            bool horizontal = Style() & UDS_HORZ;
            bool first = horizontal ? x < widget_->width() / 2 : y < widget_->height() / 2;
            // The upper (or right) button moves towards the range's upper end.
            Step(horizontal ? !first : first);
            return 0;
        }
        case UDM_SETRANGE:
            upper_ = static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)));
            lower_ = static_cast<int16_t>(HIWORD(static_cast<DWORD>(lParam)));
            SetPos(pos_, false);
            return 0;
        case UDM_SETRANGE32:
            lower_ = static_cast<int>(wParam);
            upper_ = static_cast<int>(lParam);
            SetPos(pos_, false);
            return 0;
        case UDM_GETRANGE:
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(upper_), static_cast<WORD>(lower_)));
        case UDM_GETRANGE32:
            if (wParam)
                *reinterpret_cast<int *>(wParam) = lower_;
            if (lParam)
                *reinterpret_cast<int *>(lParam) = upper_;
            return 0;
        case UDM_SETPOS:
        case UDM_SETPOS32: {
            int previous = pos_;
            SetPos(msg == UDM_SETPOS ? static_cast<int16_t>(LOWORD(static_cast<DWORD>(lParam)))
                                     : static_cast<int>(lParam),
                   true);
            return previous;
        }
        case UDM_GETPOS: {
            bool ok = ReadBuddy();
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(pos_), ok ? 0 : 1));
        }
        case UDM_GETPOS32: {
            bool ok = ReadBuddy();
            if (lParam)
                *reinterpret_cast<BOOL *>(lParam) = ok ? FALSE : TRUE;
            return pos_;
        }
        case UDM_SETBUDDY: {
            HWND previous = buddy_;
            SetBuddy(static_cast<HWND>(wParam));
            return static_cast<LRESULT>(previous);
        }
        case UDM_GETBUDDY:
            return static_cast<LRESULT>(buddy_);
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    int Low() const { return std::min(lower_, upper_); }
    int High() const { return std::max(lower_, upper_); }

    void SetPos(int pos, bool writeBuddy)
    {
        pos_ = std::clamp(pos, Low(), High());
        if (writeBuddy)
            WriteBuddy();
    }

    void Step(bool towardsUpper)
    {
        ReadBuddy();
        int delta = (towardsUpper == (upper_ >= lower_)) ? 1 : -1;
        NMUPDOWN nm{};
        nm.iPos = pos_;
        nm.iDelta = delta;
        HWND parent = Parent();
        if (parent) {
            nm.hdr = NMHDR{hwnd, Id(), UDN_DELTAPOS};
            if (SendMessageA(parent, WM_NOTIFY, Id(), reinterpret_cast<LPARAM>(&nm)))
                return;
        }
        int next = pos_ + nm.iDelta;
        if (next > High())
            next = (Style() & UDS_WRAP) ? Low() : High();
        else if (next < Low())
            next = (Style() & UDS_WRAP) ? High() : Low();
        if (next == pos_)
            return;
        pos_ = next;
        WriteBuddy();
        if (parent)
            SendMessageA(parent, (Style() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                         MAKELONG(SB_THUMBPOSITION, static_cast<WORD>(pos_)), static_cast<LPARAM>(hwnd));
    }

    void SetBuddy(HWND buddy)
    {
        buddy_ = buddy;
        if (!buddy_ || !(Style() & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)))
            return;
        RECT b{0, 0, 0, 0};
        GetWindowRect(buddy_, &b);
        POINT tl{b.left, b.top};
        ScreenToClient(Parent(), &tl);
        int width = widget_ ? widget_->width() : 16;
        int bw = static_cast<int>(b.right - b.left);
        int bh = static_cast<int>(b.bottom - b.top);
        if (Style() & UDS_ALIGNRIGHT) {
            MoveWindow(buddy_, tl.x, tl.y, std::max(0, bw - width), bh, TRUE);
            MoveWindow(hwnd, tl.x + std::max(0, bw - width), tl.y, width, bh, TRUE);
        } else {
            MoveWindow(hwnd, tl.x, tl.y, width, bh, TRUE);
            MoveWindow(buddy_, tl.x + width, tl.y, std::max(0, bw - width), bh, TRUE);
        }
    }

    void WriteBuddy()
    {
        if (!buddy_ || !(Style() & UDS_SETBUDDYINT))
            return;
        std::string text = (Style() & UDS_NOTHOUSANDS) ? std::to_string(pos_) : WithThousands(pos_);
        SetWindowTextA(buddy_, text.c_str());
    }

    // The position from the buddy's text; false when the text is no number.
    bool ReadBuddy()
    {
        if (!buddy_ || !(Style() & UDS_SETBUDDYINT))
            return true;
        char buffer[64] = {};
        GetWindowTextA(buddy_, buffer, sizeof(buffer));
        std::string digits;
        for (const char *p = buffer; *p; ++p)
            if (*p != ',')
                digits.push_back(*p);
        char *end = nullptr;
        long v = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end)
            return false;
        pos_ = std::clamp(static_cast<int>(std::clamp<long>(v, INT32_MIN, INT32_MAX)), Low(), High());
        return true;
    }

    void Paint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!dc)
            return;
        RECT r{0, 0, 0, 0};
        GetClientRect(hwnd, &r);
        FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
        bool horizontal = Style() & UDS_HORZ;
        RECT a = r;
        RECT b = r;
        if (horizontal)
            a.right = b.left = (r.left + r.right) / 2;
        else
            a.bottom = b.top = (r.top + r.bottom) / 2;
        DrawRaisedEdge(dc, a);
        DrawRaisedEdge(dc, b);
        HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        auto arrow = [&](RECT box, int direction) {
            int cx = (box.left + box.right) / 2;
            int cy = (box.top + box.bottom) / 2;
            POINT p[3];
            switch (direction) {
            case 0: // up
                p[0] = {cx - 3, cy + 1};
                p[1] = {cx + 3, cy + 1};
                p[2] = {cx, cy - 2};
                break;
            case 1: // down
                p[0] = {cx - 3, cy - 1};
                p[1] = {cx + 3, cy - 1};
                p[2] = {cx, cy + 2};
                break;
            case 2: // left
                p[0] = {cx + 1, cy - 3};
                p[1] = {cx + 1, cy + 3};
                p[2] = {cx - 2, cy};
                break;
            default: // right
                p[0] = {cx - 1, cy - 3};
                p[1] = {cx - 1, cy + 3};
                p[2] = {cx + 2, cy};
                break;
            }
            Polygon(dc, p, 3);
        };
        arrow(a, horizontal ? 2 : 0);
        arrow(b, horizontal ? 3 : 1);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
        EndPaint(hwnd, &ps);
    }

    // Windows' default range runs from 100 down to 0.
    int lower_ = 100;
    int upper_ = 0;
    int pos_ = 0;
    HWND buddy_ = 0;
};

} // namespace

void RegisterUpDownControl()
{
    RegisterWidgetClass("msctls_updown32", NativeControlProc<UpDownControl>, 0);
}

} // namespace win
