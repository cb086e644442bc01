#include "platform/gdi/TCanvas.h"

#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TBitmap.h"

namespace win {

HDC TCanvas::Prepare(int needs)
{
    if (!handle_)
        CreateHandle();
    if (!handle_)
        return 0;
    if (!needs)
        return handle_;
    // One look-up of the context for all that is selected.
    auto dc = FindDC(handle_);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return handle_;
    }
    if (needs & kPen) {
        SelectObjectOf(*dc, handle_, Pen->GetHandle());
        SetROP2Of(*dc, Pen->Rop2());
    }
    if (needs & kBrush) {
        SelectObjectOf(*dc, handle_, Brush->GetHandle());
        SetBkColorOf(*dc, ColorToRGB(Brush->Color));
        SetBkModeOf(*dc, Brush->Style == bsClear ? TRANSPARENT : OPAQUE);
    }
    if (needs & kFont) {
        SelectObjectOf(*dc, handle_, Font->GetHandle());
        SetTextColorOf(*dc, ColorToRGB(Font->Color));
    }
    return handle_;
}

HDC TCanvas::GetHandle()
{
    return Prepare(kPen | kBrush | kFont);
}

void TCanvas::MoveTo(int x, int y)
{
    if (HDC dc = Prepare(0))
        MoveToEx(dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    if (HDC dc = Prepare(kPen | kBrush))
        win::LineTo(dc, x, y);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (HDC dc = Prepare(kPen | kBrush))
        win::Rectangle(dc, x1, y1, x2, y2);
}

void TCanvas::FillRect(const TRect &rect)
{
    if (HDC dc = Prepare(kBrush)) {
        RECT r = rect;
        win::FillRect(dc, &r, Brush->GetHandle());
    }
}

void TCanvas::FrameRect(const TRect &rect)
{
    if (HDC dc = Prepare(kBrush)) {
        RECT r = rect;
        win::FrameRect(dc, &r, Brush->GetHandle());
    }
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    if (HDC dc = Prepare(kPen | kBrush))
        win::Ellipse(dc, x1, y1, x2, y2);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    if (HDC dc = Prepare(kPen | kBrush))
        win::Chord(dc, x1, y1, x2, y2, x3, y3, x4, y4);
}

namespace {

std::vector<POINT> Points(const TPoint *points, int lastIndex)
{
    std::vector<POINT> out;
    for (int i = 0; points && i <= lastIndex; ++i)
        out.push_back(points[i]);
    return out;
}

} // namespace

void TCanvas::Polygon(const TPoint *points, int lastIndex)
{
    std::vector<POINT> p = Points(points, lastIndex);
    if (HDC dc = Prepare(kPen | kBrush))
        win::Polygon(dc, p.data(), int(p.size()));
}

void TCanvas::Polyline(const TPoint *points, int lastIndex)
{
    std::vector<POINT> p = Points(points, lastIndex);
    if (HDC dc = Prepare(kPen | kBrush))
        win::Polyline(dc, p.data(), int(p.size()));
}

void TCanvas::TextOut(int x, int y, const AnsiString &text)
{
    if (HDC dc = Prepare(kBrush | kFont))
        TextOutA(dc, x, y, text.c_str(), text.Length());
}

void TCanvas::TextRect(const TRect &rect, int x, int y, const AnsiString &text)
{
    if (HDC dc = Prepare(kBrush | kFont)) {
        RECT r = rect;
        UINT options = ETO_CLIPPED | (Brush->Style == bsClear ? 0 : ETO_OPAQUE);
        ExtTextOutA(dc, x, y, options, &r, text.c_str(), UINT(text.Length()), nullptr);
    }
}

TSize TCanvas::TextExtent(const AnsiString &text)
{
    TSize size{0, 0};
    if (HDC dc = Prepare(kFont))
        GetTextExtentPoint32A(dc, text.c_str(), text.Length(), &size);
    return size;
}

int TCanvas::TextWidth(const AnsiString &text)
{
    return TextExtent(text).cx;
}

int TCanvas::TextHeight(const AnsiString &text)
{
    return TextExtent(text).cy;
}

void TCanvas::CopyRect(const TRect &dest, TCanvas *canvas, const TRect &source)
{
    HDC dc = Prepare(kBrush);
    HDC src = canvas ? canvas->Prepare(0) : 0;
    if (dc && src)
        StretchBlt(dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
                   source.Width(), source.Height(), CopyMode);
}

void TCanvas::Draw(int x, int y, TBitmap *bitmap)
{
    if (!bitmap || bitmap->Width == 0 || bitmap->Height == 0)
        return;
    HDC dc = Prepare(0);
    HDC src = bitmap->Canvas->Prepare(0);
    if (dc && src)
        BitBlt(dc, x, y, bitmap->Width, bitmap->Height, src, 0, 0, SRCCOPY);
}

void TCanvas::StretchDraw(const TRect &rect, TBitmap *bitmap)
{
    if (!bitmap || bitmap->Width == 0 || bitmap->Height == 0)
        return;
    HDC dc = Prepare(0);
    HDC src = bitmap->Canvas->Prepare(0);
    if (dc && src)
        StretchBlt(dc, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, bitmap->Width,
                   bitmap->Height, SRCCOPY);
}

} // namespace win
