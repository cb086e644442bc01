// Inside the layer: what a window class built on a Qt widget lends a window so
// that showing, raising, placing, painting and owning dialogs act on the widget,
// and the factory that gives raw windows (made by CreateWindowExA alone) theirs.
// No Qt header here.
#pragma once

#include <functional>

#include "platform/win/Window.h"

class QWidget;

namespace win {

class WindowSurface {
public:
    virtual ~WindowSurface() = default;
    // Called on the window's own thread.
    virtual void Show(int cmdShow) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual bool IsMaximized() const = 0;
    virtual void BringToFront() = 0;
    virtual QWidget *Widget() = 0;

    // The window's rectangle in its parent's client coordinates (the screen's for
    // a top-level window), and its client rectangle's origin on the screen.
    virtual RECT Bounds() const { return RECT{0, 0, 0, 0}; }
    virtual void SetBounds(const RECT &bounds) {}
    // The rectangle the window has when neither minimised nor maximised, in the
    // same coordinates as Bounds.
    virtual RECT NormalBounds() const { return Bounds(); }
    virtual POINT ClientOrigin() const { return POINT{0, 0}; }
    virtual void SetParentWindow(HWND parent) {}
    // Marks an area of the client (null: all of it) for painting; `erase` asks
    // for WM_ERASEBKGND first. UpdateNow paints what is marked at once.
    virtual void Invalidate(const RECT *rect, bool erase) {}
    virtual void UpdateNow() {}
    virtual void Focus() {}
    virtual bool HasFocus() const { return false; }
    // WM_CREATE succeeded; and the window is gone (after WM_NCDESTROY), when a
    // surface the factory made deletes itself.
    virtual void Created() {}
    virtual void Destroyed() {}
};

// Lends (or, with null, withdraws) the surface of a window of this process.
void SetWindowSurface(HWND hwnd, WindowSurface *surface);
// The surface's widget for a window of this process, or null.
QWidget *WindowWidget(HWND hwnd);
// The window whose surface lends `widget`, or 0.
HWND WindowOfWidget(const QWidget *widget);

// Called by CreateWindowExA for every new window before WM_NCCREATE, with what
// WM_CREATE will carry; it may lend the window a surface. Installed by the layer
// that hosts windows on widgets.
using WindowSurfaceFactory = std::function<void(HWND hwnd, const CREATESTRUCTA &cs)>;
void SetWindowSurfaceFactory(WindowSurfaceFactory factory);

} // namespace win
