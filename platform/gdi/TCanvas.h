// The form library's canvas: drawing with its pen, brush and font on a device
// context (a control's window, a bitmap, the printer page), with the Windows pixel
// rules of the context it wraps.
#pragma once

#include <initializer_list>

#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"
#include "platform/gdi/TBrush.h"
#include "platform/gdi/TFont.h"
#include "platform/gdi/TPen.h"
#include "platform/win/AnsiString.h"

namespace win {

class TBitmap;

class TCanvas {
public:
    // A canvas without a context until SetHandle (or CreateHandle) gives one.
    TCanvas() = default;
    // A canvas on `dc`, which its owner keeps and releases.
    explicit TCanvas(HDC dc) : handle_(dc) {}
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    // The context with the canvas's pen, brush and font selected into it.
    HDC GetHandle();
    void SetHandle(HDC dc) { handle_ = dc; }

    ObjectProperty<TPen> Pen;
    ObjectProperty<TBrush> Brush;
    ObjectProperty<TFont> Font;
    Property<TCanvas, HDC, &TCanvas::GetHandle, &TCanvas::SetHandle> Handle{this};
    // The raster operation of CopyRect.
    TCopyMode CopyMode = cmSrcCopy;

    void MoveTo(int x, int y);
    // Leaves out the last pixel, as Windows does.
    void LineTo(int x, int y);
    // Outline with the pen, inside with the brush; right and bottom edges left out.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect &rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // With the brush only, ignoring the pen's mode.
    void FillRect(const TRect &rect);
    void FrameRect(const TRect &rect);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect &rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // `lastIndex` is the index of the last point, as the form library's open
    // arrays pass it.
    void Polygon(const TPoint *points, int lastIndex);
    void Polygon(std::initializer_list<TPoint> points) { Polygon(points.begin(), int(points.size()) - 1); }
    void Polyline(const TPoint *points, int lastIndex);
    void Polyline(std::initializer_list<TPoint> points) { Polyline(points.begin(), int(points.size()) - 1); }
    // Text in the font's colour; on the brush's colour unless the brush is clear.
    void TextOut(int x, int y, const AnsiString &text);
    // Text clipped to `rect`, which is first filled with the brush unless it is clear.
    void TextRect(const TRect &rect, int x, int y, const AnsiString &text);
    int TextWidth(const AnsiString &text);
    int TextHeight(const AnsiString &text);
    TSize TextExtent(const AnsiString &text);
    // Copies (stretching) `source` of `canvas` to `dest` with CopyMode.
    void CopyRect(const TRect &dest, TCanvas *canvas, const TRect &source);
    void Draw(int x, int y, TBitmap *bitmap);
    void StretchDraw(const TRect &rect, TBitmap *bitmap);

protected:
    // Gives the canvas its context when it has none (controls get their window's).
    virtual void CreateHandle() {}
    HDC handle_ = 0;

private:
    enum Needs { kPen = 1, kBrush = 2, kFont = 4 };
    // The context with what the call needs selected; 0 without one.
    HDC Prepare(int needs);
};

} // namespace win
