#include "lumon/shell/MVCmdBox.h"

#include <cassert>

#include "lumon/shell/MVChild.h"
#include "lumon/shell/MVMain.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/MouseTracking.h"

using namespace win;

namespace {

// The glyph of each kind as polylines relative to the button's left edge; each
// polyline ends with {-1, -1}, a glyph with an empty polyline.
struct Pt {
    int x, y;
};
const Pt kGlyphs[7][14] = {
    {{4, 3}, {11, 10}, {-1, -1}, {5, 3}, {12, 10}, {-1, -1}, {4, 9}, {11, 2}, {-1, -1}, {5, 9}, {12, 2}, {-1, -1}},
    {{3, 2}, {13, 2}, {-1, -1}, {3, 3}, {13, 3}, {-1, -1}, {3, 4}, {3, 10}, {12, 10}, {12, 3}, {-1, -1}, {-1, -1}},
    {},
    {{4, 6}, {14, 6}, {-1, -1}, {4, 7}, {14, 7}, {-1, -1}, {-1, -1}},
    {{8, 2}, {8, 12}, {-1, -1}, {9, 2}, {9, 12}, {-1, -1}, {-1, -1}},
    {{2, 6}, {6, 2}, {6, 4}, {13, 4}, {13, 8}, {6, 8}, {6, 10}, {2, 6}, {-1, -1}, {-1, -1}},
    {{13, 6}, {9, 2}, {9, 4}, {2, 4}, {2, 8}, {9, 8}, {9, 10}, {13, 6}, {-1, -1}, {-1, -1}},
};
// The restore glyph has more strokes than the table's rows hold.
const Pt kRestore[] = {{6, 2}, {13, 2}, {-1, -1}, {6, 3}, {13, 3}, {-1, -1}, {6, 4}, {6, 6}, {-1, -1},
                       {12, 4}, {12, 8}, {-1, -1}, {12, 7}, {8, 7}, {-1, -1}, {3, 6}, {10, 6}, {-1, -1},
                       {3, 7}, {10, 7}, {-1, -1}, {3, 8}, {3, 11}, {9, 11}, {9, 7}, {-1, -1}, {-1, -1}};

void DrawGlyph(HDC dc, const Pt *p, int x0)
{
    while (p->x >= 0) {
        MoveToEx(dc, x0 + p->x, p->y, nullptr);
        for (++p; p->x >= 0; ++p)
            LineTo(dc, x0 + p->x, p->y);
        ++p;
    }
}

} // namespace

TMVCmdBox::TMVCmdBox(TMultiViewChild *owner, const int *kinds, int count) : Owner(owner)
{
    assert(owner != nullptr && "Owner != NULL");
    Count = count < 1 ? 1 : (count > 4 ? 4 : count);
    for (int i = 0; i < Count; ++i)
        Kinds[i] = kinds[i];
    HDC screen = win::GetDC(0);
    m_StripDC = CreateCompatibleDC(screen);
    m_Strip = CreateCompatibleBitmap(screen, StripWidth(), 14);
    win::ReleaseDC(0, screen);
    m_OldBitmap = SelectObject(m_StripDC, m_Strip);
    Render();
    int right = owner->ClientWidth;
    Create(0, WS_CHILD | WS_VISIBLE, right - 3 - 17 * Count, 3, StripWidth(), 14, owner->Handle);
}

TMVCmdBox::~TMVCmdBox()
{
    SelectObject(m_StripDC, m_OldBitmap);
    DeleteObject(m_Strip);
    DeleteDC(m_StripDC);
}

UINT TMVCmdBox::Command(int kind)
{
    static const UINT commands[7] = {WM_PANE_CLOSE,   WM_PANE_MAXIMIZE,    WM_PANE_RESTORE,       WM_PANE_SPLIT_H,
                                     WM_PANE_SPLIT_V, WM_PANE_SCROLL_BACK, WM_PANE_SCROLL_FORWARD};
    return kind >= 0 && kind < 7 ? commands[kind] : 0;
}

void TMVCmdBox::MoveTo(int x, int y)
{
    SetWindowPos(m_hWnd, 0, x, y, StripWidth(), 14, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TMVCmdBox::Refresh()
{
    Render();
    if (m_hWnd)
        Redraw();
}

void TMVCmdBox::Render()
{
    RECT all{0, 0, StripWidth(), 14};
    HBRUSH back = CreateSolidBrush(Background);
    FillRect(m_StripDC, &all, back);
    DeleteObject(back);
    for (int i = 0; i < Count; ++i) {
        COLORREF colour = i == Hover ? Hot : Normal;
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ oldPen = SelectObject(m_StripDC, pen);
        int x0 = 17 * i;
        int kind = Kinds[i];
        if (kind == 2)
            DrawGlyph(m_StripDC, kRestore, x0);
        else if (kind >= 0 && kind < 7)
            DrawGlyph(m_StripDC, kGlyphs[kind], x0);
        RECT frame{x0, 0, x0 + 16, 14};
        FrameRect(m_StripDC, &frame, brush);
        SelectObject(m_StripDC, oldPen);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

int TMVCmdBox::ButtonAt(int x) const
{
    if (x < 0)
        return -1;
    int i = x / 17;
    return i < Count ? i : -1;
}

LRESULT TMVCmdBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        BitBlt(dc, 0, 0, StripWidth(), 14, m_StripDC, 0, 0, SRCCOPY);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_MOUSEMOVE: {
        if (!Tracking) {
            TRACKMOUSEEVENT tme{};
            tme.cbSize = sizeof tme;
            tme.dwFlags = TME_LEAVE;
            tme.hwndTrack = m_hWnd;
            if (TrackMouseEvent(&tme))
                Tracking = 1;
        }
        int hover = ButtonAt(static_cast<short>(LOWORD(static_cast<DWORD>(lParam))));
        if (hover != Hover) {
            Hover = hover;
            Refresh();
        }
        break;
    }
    case WM_MOUSELEAVE:
        Tracking = 0;
        Hover = -1;
        Refresh();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int i = ButtonAt(static_cast<short>(LOWORD(static_cast<DWORD>(lParam))));
        if (i >= 0 && Command(Kinds[i]))
            Owner->PostToPage(Command(Kinds[i]));
        break;
    }
    }
    return DefWndProc(msg, wParam, lParam);
}

TTranspWnd::TTranspWnd(TWinControl *owner) : TForm(owner)
{
    BorderStyle = bsNone;
    BorderIcons = TBorderIcons();
    Parent = owner;
    Visible = false;
    // The form paints itself: its image is what the page puts under the guide line.
    OnPaint = [](TObject *) {};
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TTranspWnd::~TTranspWnd()
{
    if (TMultiViewMain::Overlay == this)
        TMultiViewMain::Overlay = nullptr;
}

void TTranspWnd::WndProc(TMessage &Message)
{
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TForm::WndProc(Message);
}

void TTranspWnd::FormClose(TObject *, TCloseAction &Action) { Action = caFree; }
