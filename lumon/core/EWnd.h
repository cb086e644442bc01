// The base library's raw window: an object that owns one window of the class
// "EWnd" and receives its messages through a virtual window procedure. A
// process-wide map from window handle to object routes each message.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

class EWnd {
public:
    // No window yet; the first object registers the class and sizes the map.
    EWnd();
    // Destroys the window. The handle leaves the map first, so an auto-delete
    // object being deleted by its owner is not deleted a second time.
    virtual ~EWnd();
    EWnd(const EWnd &) = delete;
    EWnd &operator=(const EWnd &) = delete;

    // Makes the window (no title) and maps it to this object; 1 or 0.
    int Create(win::DWORD exStyle, win::DWORD style, int x, int y, int width, int height, win::HWND parent);

    // The window procedure of this object; derived windows handle their messages
    // and pass the rest to DefWndProc.
    virtual win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
    // WM_SIZE keeps the client size, WM_NCDESTROY unmaps the window, then
    // DefWindowProcA; after WM_NCDESTROY an auto-delete object deletes itself.
    win::LRESULT DefWndProc(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);

    win::HDC GetDC();
    void ReleaseDC(win::HDC dc);
    // The text's size in `dc` (null: the window's own context), measured with
    // `font` when one is given.
    win::SIZE GetTextExtent(const char *text, win::HDC dc = 0, win::HFONT font = 0);
    // Invalidates, erases and paints the window at once.
    void Redraw();
    void Refresh();

    win::HWND m_hWnd = 0;
    bool m_AutoDelete = false;
    int m_ClientWidth = 0;
    int m_ClientHeight = 0;
};
