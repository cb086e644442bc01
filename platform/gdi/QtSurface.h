// The drawing layer's side of the windows layer and the controls: contexts on
// images that windows own, how GetDC and BeginPaint reach a window's image, and the
// Qt forms of fonts and regions. Only for platform code.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>

#include <functional>
#include <memory>

#include "platform/gdi/GdiTypes.h"

namespace win {

// A context drawing on `image` (Format_RGB32). `onDirty` is told about every
// changed rectangle, for drawing outside paint events to reach the screen. The
// owner may give the image a new size between calls.
HDC CreateImageDC(std::shared_ptr<QImage> image, std::function<void(const RECT &)> onDirty = {});

// What the windows layer gives for a window that paints itself.
struct PaintSurface {
    std::shared_ptr<QImage> image;
    std::function<void(const RECT &)> onDirty;
};

// Installed once by the windows layer; GetDC, ReleaseDC, BeginPaint and EndPaint
// go through them.
struct PaintSurfaceHooks {
    // The image of a window that paints itself; false for any other window.
    std::function<bool(HWND, PaintSurface &)> surface;
    // Called by BeginPaint with the new context: takes (and validates) the window's
    // update area into `update`, erases the background when needed (WM_ERASEBKGND
    // with `hdc`) and sets `erase` when it is still to be erased.
    std::function<void(HWND, HDC hdc, RECT &update, bool &erase)> beginPaint;
    std::function<void(HWND)> endPaint;
};
void SetPaintSurfaceHooks(PaintSurfaceHooks hooks);

// The Qt font of a font handle (for controls that draw with Qt); the application
// font when the handle is not a font or there is no GUI application.
QFont QFontOf(HFONT font);
// The region of a region handle (window regions); empty for an unknown handle.
QRegion QRegionOf(HRGN region);

} // namespace win
