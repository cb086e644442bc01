// Inside the framework: what the common controls share: their window class and
// the object behind each window, their creation under a CWnd, notifying the
// parent, the control's font and its line height, text copies into callers'
// buffers and the classic raised and sunken edges.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/appframe/CommCtrl.h"

namespace win {

class CWnd;

// The window class of a common control whose every window has an object of type
// T: made on WM_NCCREATE, handed each message (T::Handle), freed after
// WM_NCDESTROY.
template <typename T>
class ControlWindows {
public:
    // Registers the class once.
    static void Register(LPCSTR className, UINT classStyle)
    {
        static bool done = false;
        if (done)
            return;
        done = true;
        WNDCLASSA wc{};
        wc.style = classStyle;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = className;
        RegisterClassA(&wc);
    }
    // Whether the window still has its object: a parent may destroy the control
    // while it handles a notification.
    static bool Alive(HWND hwnd) { return Objects().count(hwnd) != 0; }

private:
    static std::unordered_map<HWND, T *> &Objects()
    {
        static auto *map = new std::unordered_map<HWND, T *>;
        return *map;
    }
    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto it = Objects().find(hwnd);
        if (it == Objects().end()) {
            if (msg != WM_NCCREATE)
                return DefWindowProcA(hwnd, msg, wParam, lParam);
            it = Objects().emplace(hwnd, new T(hwnd)).first;
        }
        T *self = it->second;
        if (msg == WM_NCDESTROY) {
            Objects().erase(hwnd);
            delete self;
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        return self->Handle(msg, wParam, lParam);
    }
};

// Makes a common control's window (its class's own procedure, on a window image
// of its own) and routes its messages through `wnd` first. Registers the
// classes when needed.
BOOL CreateControlWindow(CWnd &wnd, DWORD exStyle, LPCSTR className, DWORD style, const RECT &rect, HWND parent,
                         UINT id);

// Fills the header (window, id, code) and sends WM_NOTIFY to the parent; 0 when
// the window has none.
LRESULT NotifyParent(HWND hwnd, NMHDR &hdr, UINT code);

// The font a control draws with: the one given by WM_SETFONT, else the GUI font.
HFONT ControlFont(HFONT font);
// The height of a line of text in that font, in pixels.
int FontLineHeight(HFONT font);
// The width of a text in that font.
int TextWidth(HFONT font, const std::string &text);

// Copies a text into a caller's buffer of `size` bytes, cut so that it ends with a
// zero and splits no double-byte character; returns the bytes copied.
int CopyText(const std::string &text, char *buffer, int size);

// Classic 3-D edges: a raised box (light top and left, dark bottom and right)
// or a sunken one, one pixel inside `r`.
void DrawRaisedEdge(HDC hdc, const RECT &r);
void DrawSunkenEdge(HDC hdc, const RECT &r);
void FillSolid(HDC hdc, const RECT &r, COLORREF color);
void DrawHLine(HDC hdc, int x1, int x2, int y, COLORREF color);
void DrawVLine(HDC hdc, int x, int y1, int y2, COLORREF color);

} // namespace win
