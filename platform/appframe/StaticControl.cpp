// The "Static" window class: text (alignment, word wrap, ellipsis, no prefix),
// bitmaps and plain rectangles and frames, painted on the control's own image
// with the colours and brush the parent gives for WM_CTLCOLORSTATIC. With
// SS_NOTIFY clicks reach the parent as STN_CLICKED and STN_DBLCLK.
#include "platform/appframe/ControlHelpers.h"
#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

class StaticControl : public NativeControl {
public:
    QWidget *CreateWidget(QWidget *, const CREATESTRUCTA &) override { return nullptr; }

    void Created() override
    {
        if (!(Style() & SS_NOTIFY) && widget_)
            widget_->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    LRESULT DialogCode(WPARAM) const override { return DLGC_STATIC; }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case STM_SETIMAGE: {
            HANDLE previous = image_;
            image_ = static_cast<HANDLE>(lParam);
            Repaint();
            return static_cast<LRESULT>(previous);
        }
        case STM_GETIMAGE:
            return static_cast<LRESULT>(image_);
        case WM_LBUTTONUP:
            if (Style() & SS_NOTIFY)
                Notify(STN_CLICKED);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (Style() & SS_NOTIFY)
                Notify(STN_DBLCLK);
            return 0;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    void Paint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!dc)
            return;
        RECT r{0, 0, 0, 0};
        GetClientRect(hwnd, &r);
        HGDIOBJ oldFont = SelectObject(dc, ControlFont(font_));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, OPAQUE);
        HBRUSH brush = 0;
        if (HWND parent = Parent())
            brush = static_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORSTATIC, static_cast<WPARAM>(dc),
                                                     static_cast<LPARAM>(hwnd)));
        FillRect(dc, &r, brush ? brush : static_cast<HBRUSH>(COLOR_BTNFACE + 1));
        DWORD style = Style();
        DWORD type = style & SS_TYPEMASK;
        switch (type) {
        case SS_BITMAP:
            PaintBitmap(dc, r, style);
            break;
        case SS_BLACKRECT:
        case SS_GRAYRECT:
        case SS_WHITERECT: {
            int color = type == SS_BLACKRECT ? COLOR_WINDOWFRAME : type == SS_GRAYRECT ? COLOR_BTNSHADOW : COLOR_WINDOW;
            FillRect(dc, &r, static_cast<HBRUSH>(color + 1));
            break;
        }
        case SS_BLACKFRAME:
            FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_WINDOWFRAME + 1));
            break;
        case SS_ETCHEDFRAME:
            DrawSunkenEdge(dc, r);
            break;
        case SS_ICON:
        case SS_OWNERDRAW:
            break;
        default:
            PaintText(dc, r, style, type);
            break;
        }
        SelectObject(dc, oldFont);
        EndPaint(hwnd, &ps);
    }

    void PaintText(HDC dc, RECT r, DWORD style, DWORD type)
    {
        UINT format = DT_WORDBREAK;
        if (type == SS_CENTER)
            format |= DT_CENTER;
        else if (type == SS_RIGHT)
            format |= DT_RIGHT;
        else if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP)
            format = DT_SINGLELINE;
        if (style & SS_CENTERIMAGE)
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        switch (style & SS_ELLIPSISMASK) {
        case SS_ENDELLIPSIS:
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_END_ELLIPSIS;
            break;
        case SS_PATHELLIPSIS:
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_PATH_ELLIPSIS;
            break;
        case SS_WORDELLIPSIS:
            format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_WORD_ELLIPSIS;
            break;
        default:
            break;
        }
        if (style & WS_DISABLED)
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, title_.c_str(), static_cast<int>(title_.size()), &r, format);
    }

    void PaintBitmap(HDC dc, RECT r, DWORD style)
    {
        BITMAP bm{};
        if (!image_ || GetObjectA(image_, sizeof(bm), &bm) != sizeof(bm))
            return;
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, image_);
        int x = 0;
        int y = 0;
        if (style & SS_CENTERIMAGE) {
            x = (r.right - bm.bmWidth) / 2;
            y = (r.bottom - bm.bmHeight) / 2;
        }
        BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }

    HANDLE image_ = 0;
};

} // namespace

void RegisterStaticControl() { RegisterWidgetClass("Static", NativeControlProc<StaticControl>, CS_DBLCLKS); }

} // namespace win
