// Contexts on windows' own images (GetDC, BeginPaint) and on other images, and the
// Qt forms of fonts and regions for the windows layer.
#include <QGuiApplication>

#include <mutex>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"

namespace win {

namespace {

std::mutex hooksLock;
PaintSurfaceHooks &Hooks()
{
    static auto *hooks = new PaintSurfaceHooks;
    return *hooks;
}

PaintSurfaceHooks CurrentHooks()
{
    std::lock_guard<std::mutex> guard(hooksLock);
    return Hooks();
}

HDC WindowDC(HWND hwnd)
{
    PaintSurfaceHooks hooks = CurrentHooks();
    PaintSurface surface;
    if (!hooks.surface || !hooks.surface(hwnd, surface) || !surface.image) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Window);
    dc->window = hwnd;
    dc->image = std::move(surface.image);
    dc->onDirty = std::move(surface.onDirty);
    return AddDeviceContext(std::move(dc));
}

} // namespace

void SetPaintSurfaceHooks(PaintSurfaceHooks hooks)
{
    std::lock_guard<std::mutex> guard(hooksLock);
    Hooks() = std::move(hooks);
}

HDC CreateImageDC(std::shared_ptr<QImage> image, std::function<void(const RECT &)> onDirty)
{
    if (!image) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Image);
    dc->image = std::move(image);
    dc->onDirty = std::move(onDirty);
    return AddDeviceContext(std::move(dc));
}

HDC GetDC(HWND hwnd)
{
    if (hwnd)
        return WindowDC(hwnd);
    // The screen: measures text and makes compatible objects; what is drawn on it
    // goes to a private one-pixel image.
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Screen);
    dc->image = NewImage(1, 1);
    return AddDeviceContext(std::move(dc));
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    auto dc = FindDC(hdc);
    if (!dc || dc->window != hwnd ||
        (dc->kind != DeviceContext::Kind::Window && dc->kind != DeviceContext::Kind::Screen))
        return 0;
    RemoveGdiObject(hdc);
    return 1;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT *ps)
{
    if (!ps) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    *ps = PAINTSTRUCT{};
    HDC hdc = WindowDC(hwnd);
    if (!hdc)
        return 0;
    auto dc = FindDC(hdc);
    RECT update{0, 0, dc->image->width(), dc->image->height()};
    bool erase = false;
    PaintSurfaceHooks hooks = CurrentHooks();
    if (hooks.beginPaint)
        hooks.beginPaint(hwnd, hdc, update, erase);
    // Painting is clipped to the area that needs it, as on Windows.
    dc->SetClip(QRegion(QRect(QPoint(update.left, update.top), QPoint(update.right - 1, update.bottom - 1))));
    ps->hdc = hdc;
    ps->fErase = erase ? TRUE : FALSE;
    ps->rcPaint = update;
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT *ps)
{
    if (!ps)
        return FALSE;
    PaintSurfaceHooks hooks = CurrentHooks();
    if (hooks.endPaint)
        hooks.endPaint(hwnd);
    ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

QFont QFontOf(HFONT font)
{
    auto f = FindGdiObjectAs<GdiFont>(font);
    const GdiFont::Realized *realized = f ? f->Realize() : nullptr;
    if (realized)
        return realized->font;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QGuiApplication::font();
    return QFont();
}

QRegion QRegionOf(HRGN region)
{
    auto r = FindGdiObjectAs<GdiRegion>(region);
    return r ? r->region : QRegion();
}

} // namespace win
