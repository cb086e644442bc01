// Inside the drawing layer: a device context, the state behind an HDC (selected
// objects, colours, modes, current position, clip region) and the image it draws
// on: a memory context's selected bitmap, a window's own image, a printer page.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRegion>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/GdiObject.h"

namespace win {

class PrintJob;

// The painter that draws a context's text, kept from one call to the next: it
// paints on an image of its own over the target's pixels, so that nothing done to
// the target's image object (a window resized, a bitmap selected) can pull the
// painter's device away; the next text call compares the target with it and
// starts it again on the target's current pixels when they moved. Ending a
// painter touches no pixels, so the old ones may be gone by then.
struct TextSurface {
    QImage view;
    QPainter painter;
    // What the painter was last given, so that only changes are passed on.
    std::shared_ptr<GdiFont> font;
    QRgb pen = 0;
    bool penSet = false;
    unsigned clipVersion = 0;
    bool clipSet = false;
    bool boxed = false;
    QRect box;
};

class DeviceContext : public GdiObject {
public:
    enum class Kind { Memory, Image, Window, Printer, Screen };
    explicit DeviceContext(Kind kind);
    ~DeviceContext() override;
    DeviceContext *AsDeviceContext() override { return this; }

    Kind kind;
    // The window of a window context (GetDC, BeginPaint).
    HWND window = 0;

    HPEN penHandle = 0;
    std::shared_ptr<GdiPen> pen;
    HBRUSH brushHandle = 0;
    std::shared_ptr<GdiBrush> brush;
    HFONT fontHandle = 0;
    std::shared_ptr<GdiFont> font;
    HBITMAP bitmapHandle = 0;
    std::shared_ptr<GdiBitmap> bitmap;

    // The image of an image, window or screen context.
    std::shared_ptr<QImage> image;
    // Told about every changed area of the image (a window schedules its repaint).
    std::function<void(const RECT &)> onDirty;
    std::unique_ptr<PrintJob> printJob;

    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    UINT textAlign = TA_LEFT | TA_TOP;
    QPoint position;
    // Position in the pen's dot pattern, carried along joined lines.
    int linePhase = 0;
    // Dots per inch: 96, or the printer's for a printer context and the memory
    // contexts made compatible with it.
    int resolution = 96;

    // The clip region in device coordinates; none clips to the image only.
    const std::optional<QRegion> &Clip() const { return clip_; }
    void SetClip(std::optional<QRegion> region)
    {
        clip_ = std::move(region);
        clipValid_ = false;
        ++clipVersion_;
    }
    // Changes with every SetClip.
    unsigned ClipVersion() const { return clipVersion_; }

    // The calls made on a recording context, oldest first. `entry` makes the
    // text only when there is a log.
    std::unique_ptr<std::vector<std::string>> log;
    template <typename MakeEntry>
    void Log(MakeEntry entry)
    {
        if (log)
            log->push_back(entry());
    }

    // The image drawn on, or null (a printer outside a page, a failed bitmap).
    QImage *Target() const;
    bool Monochrome() const;
    // The clip region cut to the target, as rectangles; empty without a target.
    const std::vector<QRect> &ClipRects();
    // The same as a region, for drawing through a QPainter.
    QRegion ClipRegion();
    // Reports a changed area of the target.
    void Changed(const QRect &area);

    // The text painter, once text has been drawn (see TextSurface).
    std::unique_ptr<TextSurface> textSurface;

private:
    std::optional<QRegion> clip_;
    std::vector<QRect> clipRects_;
    const QImage *clipImage_ = nullptr;
    QSize clipSize_;
    bool clipValid_ = false;
    unsigned clipVersion_ = 0;
};

// Enters a context in the handle table with the stock pen, brush and font (and for
// a memory context the stock 1 × 1 monochrome bitmap) selected.
HDC AddDeviceContext(std::shared_ptr<DeviceContext> dc);
std::shared_ptr<DeviceContext> FindDC(HDC hdc);

// SelectObject, SetTextColor, SetBkColor, SetBkMode and SetROP2 on a context
// already looked up (`hdc` is its handle).
HGDIOBJ SelectObjectOf(DeviceContext &dc, HDC hdc, HGDIOBJ object);
COLORREF SetTextColorOf(DeviceContext &dc, COLORREF color);
COLORREF SetBkColorOf(DeviceContext &dc, COLORREF color);
int SetBkModeOf(DeviceContext &dc, int mode);
int SetROP2Of(DeviceContext &dc, int mode);

// A short description of an object for the log of a recording context, such as
// pen(0,1,0x0000FF), brush(0,0x00FF00), font("宋体",-12,400) or bitmap(16,16).
std::string DescribeObject(const GdiObject &object);
std::string ColorText(COLORREF color);

} // namespace win
