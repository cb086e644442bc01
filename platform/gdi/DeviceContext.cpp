// Device contexts: creation, the selection of objects, the drawing modes and the
// device metrics.
#include "platform/gdi/DeviceContext.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/PrintJob.h"

namespace win {

DeviceContext::DeviceContext(Kind kind) : kind(kind) {}

DeviceContext::~DeviceContext() = default;

QImage *DeviceContext::Target() const
{
    switch (kind) {
    case Kind::Memory:
        return bitmap ? bitmap->image.get() : nullptr;
    case Kind::Printer:
        return printJob ? printJob->Page() : nullptr;
    default:
        return image.get();
    }
}

bool DeviceContext::Monochrome() const
{
    return kind == Kind::Memory && bitmap && bitmap->monochrome;
}

const std::vector<QRect> &DeviceContext::ClipRects()
{
    const QImage *target = Target();
    if (!target || target->isNull()) {
        clipRects_.clear();
        clipValid_ = false;
        return clipRects_;
    }
    if (clipValid_ && clipImage_ == target && clipSize_ == target->size())
        return clipRects_;
    clipRects_.clear();
    QRect whole(QPoint(0, 0), target->size());
    if (!clip_) {
        clipRects_.push_back(whole);
    } else {
        QRegion inside = *clip_ & whole;
        for (const QRect &r : inside)
            clipRects_.push_back(r);
    }
    clipImage_ = target;
    clipSize_ = target->size();
    clipValid_ = true;
    return clipRects_;
}

QRegion DeviceContext::ClipRegion()
{
    QRegion region;
    for (const QRect &r : ClipRects())
        region += r;
    return region;
}

void DeviceContext::Changed(const QRect &area)
{
    const QImage *target = Target();
    if (!onDirty || !target)
        return;
    QRect inside = area & QRect(QPoint(0, 0), target->size());
    if (!inside.isEmpty())
        onDirty(RECT{inside.left(), inside.top(), inside.right() + 1, inside.bottom() + 1});
}

std::shared_ptr<DeviceContext> FindDC(HDC hdc)
{
    std::shared_ptr<GdiObject> found = FindGdiObject(hdc);
    DeviceContext *dc = found ? found->AsDeviceContext() : nullptr;
    if (!dc)
        return nullptr;
    return std::shared_ptr<DeviceContext>(std::move(found), dc);
}

HDC AddDeviceContext(std::shared_ptr<DeviceContext> dc)
{
    dc->penHandle = GetStockObject(BLACK_PEN);
    dc->pen = FindGdiObjectAs<GdiPen>(dc->penHandle);
    dc->brushHandle = GetStockObject(WHITE_BRUSH);
    dc->brush = FindGdiObjectAs<GdiBrush>(dc->brushHandle);
    dc->fontHandle = GetStockObject(SYSTEM_FONT);
    dc->font = FindGdiObjectAs<GdiFont>(dc->fontHandle);
    if (dc->kind == DeviceContext::Kind::Memory) {
        dc->bitmapHandle = StockBitmap();
        dc->bitmap = FindGdiObjectAs<GdiBitmap>(dc->bitmapHandle);
    }
    return AddGdiObject(std::move(dc));
}

std::string ColorText(COLORREF color)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", unsigned(color & 0xFFFFFF));
    return text;
}

std::string DescribeObject(const GdiObject &object)
{
    char text[96];
    if (auto *pen = dynamic_cast<const GdiPen *>(&object)) {
        std::snprintf(text, sizeof text, "pen(%d,%d,%s)", pen->style, pen->width,
                      ColorText(pen->color).c_str());
    } else if (auto *brush = dynamic_cast<const GdiBrush *>(&object)) {
        if (brush->style == BS_NULL)
            return "brush(null)";
        std::snprintf(text, sizeof text, "brush(%s)", ColorText(brush->color).c_str());
    } else if (auto *font = dynamic_cast<const GdiFont *>(&object)) {
        return "font(\"" +
               std::string(font->logFont.lfFaceName, strnlen(font->logFont.lfFaceName, LF_FACESIZE)) + "\"," +
               std::to_string(font->logFont.lfHeight) + "," + std::to_string(font->logFont.lfWeight) + ")";
    } else if (auto *bitmap = dynamic_cast<const GdiBitmap *>(&object)) {
        std::snprintf(text, sizeof text, "bitmap(%d,%d)", bitmap->image->width(), bitmap->image->height());
    } else if (dynamic_cast<const GdiRegion *>(&object)) {
        return "region";
    } else {
        return "object";
    }
    return text;
}

HDC CreateCompatibleDC(HDC hdc)
{
    std::shared_ptr<DeviceContext> source;
    if (hdc) {
        source = FindDC(hdc);
        if (!source) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
    }
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Memory);
    if (source)
        dc->resolution = source->resolution;
    return AddDeviceContext(std::move(dc));
}

BOOL DeleteDC(HDC hdc)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (dc->printJob)
        dc->printJob->Abort();
    RemoveGdiObject(hdc);
    return TRUE;
}

HGDIOBJ SelectObjectOf(DeviceContext &dc, HDC hdc, HGDIOBJ object)
{
    // Selecting what is selected changes nothing, unless its handle was deleted
    // since (and may name another object now).
    auto selected = [object](HGDIOBJ handle, const std::shared_ptr<GdiObject> &current) {
        return object && object == handle && current && !current->removed.load(std::memory_order_relaxed);
    };
    if (selected(dc.penHandle, dc.pen) || selected(dc.brushHandle, dc.brush) ||
        selected(dc.fontHandle, dc.font) || selected(dc.bitmapHandle, dc.bitmap))
        return object;
    auto found = FindGdiObject(object);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    HGDIOBJ old = 0;
    if (auto pen = std::dynamic_pointer_cast<GdiPen>(found)) {
        old = dc.penHandle;
        dc.penHandle = object;
        dc.pen = std::move(pen);
    } else if (auto brush = std::dynamic_pointer_cast<GdiBrush>(found)) {
        old = dc.brushHandle;
        dc.brushHandle = object;
        dc.brush = std::move(brush);
    } else if (auto font = std::dynamic_pointer_cast<GdiFont>(found)) {
        old = dc.fontHandle;
        dc.fontHandle = object;
        dc.font = std::move(font);
    } else if (auto bitmap = std::dynamic_pointer_cast<GdiBitmap>(found)) {
        if (dc.kind != DeviceContext::Kind::Memory) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = dc.bitmapHandle;
        dc.bitmapHandle = object;
        dc.bitmap = std::move(bitmap);
    } else if (std::dynamic_pointer_cast<GdiRegion>(found)) {
        return HGDIOBJ(SelectClipRgn(hdc, object));
    } else {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // The log keeps changes only: selecting what is selected records nothing.
    if (old != object)
        dc.Log([&] { return std::string("SelectObject(" + DescribeObject(*found) + ")"); });
    return old;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return SelectObjectOf(*dc, hdc, object);
}

namespace {

// Puts `value` into one state field of the DC and logs a change for the recording
// DC as "name(text)"; returns the old value.
template <typename T, typename Text>
T SwapState(DeviceContext &dc, T DeviceContext::*field, T value, const char *name, Text text)
{
    T old = dc.*field;
    dc.*field = value;
    if (old != value)
        dc.Log([&] { return std::string(name) + "(" + text() + ")"; });
    return old;
}

} // namespace

COLORREF SetTextColorOf(DeviceContext &dc, COLORREF color)
{
    return SwapState(dc, &DeviceContext::textColor, COLORREF(color & 0xFFFFFF), "SetTextColor",
                     [color] { return ColorText(color); });
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    auto dc = FindDC(hdc);
    return dc ? SetTextColorOf(*dc, color) : CLR_INVALID;
}

COLORREF GetTextColor(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SetBkColorOf(DeviceContext &dc, COLORREF color)
{
    return SwapState(dc, &DeviceContext::bkColor, COLORREF(color & 0xFFFFFF), "SetBkColor",
                     [color] { return ColorText(color); });
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    auto dc = FindDC(hdc);
    return dc ? SetBkColorOf(*dc, color) : CLR_INVALID;
}

COLORREF GetBkColor(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkModeOf(DeviceContext &dc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return SwapState(dc, &DeviceContext::bkMode, mode, "SetBkMode", [mode] { return std::to_string(mode); });
}

int SetBkMode(HDC hdc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    auto dc = FindDC(hdc);
    return dc ? SetBkModeOf(*dc, mode) : 0;
}

int GetBkMode(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc ? dc->bkMode : 0;
}

int SetROP2Of(DeviceContext &dc, int mode)
{
    if (mode < R2_BLACK || mode > R2_WHITE)
        return 0;
    return SwapState(dc, &DeviceContext::rop2, mode, "SetROP2", [mode] { return std::to_string(mode); });
}

int SetROP2(HDC hdc, int mode)
{
    if (mode < R2_BLACK || mode > R2_WHITE)
        return 0;
    auto dc = FindDC(hdc);
    return dc ? SetROP2Of(*dc, mode) : 0;
}

int GetROP2(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc ? dc->rop2 : 0;
}

UINT SetTextAlign(HDC hdc, UINT align)
{
    auto dc = FindDC(hdc);
    return dc ? SwapState(*dc, &DeviceContext::textAlign, align, "SetTextAlign",
                          [align] { return std::to_string(align); })
              : 0xFFFFFFFFu;
}

UINT GetTextAlign(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc ? dc->textAlign : 0xFFFFFFFFu;
}

int SetPolyFillMode(HDC hdc, int mode)
{
    auto dc = FindDC(hdc);
    if (!dc || (mode != ALTERNATE && mode != WINDING))
        return 0;
    int old = dc->polyFillMode;
    dc->polyFillMode = mode;
    return old;
}

namespace {

QSize ScreenSize()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            return screen->geometry().size();
    }
    return QSize(1920, 1080);
}

} // namespace

int GetDeviceCaps(HDC hdc, int index)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (dc->kind == DeviceContext::Kind::Printer && dc->printJob) {
        const PrintJob &job = *dc->printJob;
        switch (index) {
        case TECHNOLOGY:
            return DT_RASPRINTER;
        case HORZRES:
            return job.PageSize().width();
        case VERTRES:
            return job.PageSize().height();
        case HORZSIZE:
            return job.PageMillimetres().width();
        case VERTSIZE:
            return job.PageMillimetres().height();
        case LOGPIXELSX:
        case LOGPIXELSY:
            return PrintJob::kResolution;
        case PHYSICALWIDTH:
            return job.PaperSize().width();
        case PHYSICALHEIGHT:
            return job.PaperSize().height();
        case PHYSICALOFFSETX:
            return job.PageOffset().width();
        case PHYSICALOFFSETY:
            return job.PageOffset().height();
        case BITSPIXEL:
            return 24;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return -1;
        default:
            return 0;
        }
    }
    QSize screen = ScreenSize();
    switch (index) {
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZRES:
        return screen.width();
    case VERTRES:
        return screen.height();
    case HORZSIZE:
        return int(screen.width() * 25.4 / 96 + 0.5);
    case VERTSIZE:
        return int(screen.height() * 25.4 / 96 + 0.5);
    case LOGPIXELSX:
    case LOGPIXELSY:
        return dc->resolution;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    default:
        return 0;
    }
}

} // namespace win
