// Inside the layer: what a window class built on a Qt widget lends a window so
// that showing, raising and owning dialogs act on the widget. No Qt header here.
#pragma once

#include "platform/win/WinTypes.h"

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
};

// Lends (or, with null, withdraws) the surface of a window of this process.
void SetWindowSurface(HWND hwnd, WindowSurface *surface);
// The surface's widget for a window of this process, or null.
QWidget *WindowWidget(HWND hwnd);

} // namespace win
