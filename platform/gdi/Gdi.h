// The Windows drawing calls: device contexts over images (windows, memory bitmaps,
// printer pages), pens, brushes, fonts, lines and shapes with the Windows pixel
// rules, raster operations, block transfers, regions, text and printing.
//
// Pixel rules: a line leaves out its last pixel; Rectangle, Ellipse and the
// rectangle calls leave out the right and bottom edges; XOR drawing touches every
// pixel of a figure once, so drawing it twice restores the picture. Text is GBK and
// ignores the mix mode, as on Windows.
#pragma once

#include <string>

#include "platform/gdi/GdiTypes.h"

namespace win {

// Device contexts.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// A window's own image (client area), or for hwnd 0 a context of the screen that
// measures and creates compatible objects; drawing on it changes nothing visible.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT *ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT *ps);
int GetDeviceCaps(HDC hdc, int index);

// Objects.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH *brush);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
HFONT CreateFontIndirectA(const LOGFONTA *font);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// 1 bit per pixel (monochrome) or 32; `bits` may be null (black) or hold rows
// padded to 16 bits (monochrome) or 32-bit 0x00RRGGBB pixels.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits);
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
// Fills a LOGPEN, LOGBRUSH, LOGFONTA or BITMAP; returns the bytes written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, LPVOID out);
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// Drawing state.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int mode);
int GetROP2(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);

// Lines and shapes.
BOOL MoveToEx(HDC hdc, int x, int y, POINT *previous);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT *points, int count);
BOOL Polygon(HDC hdc, const POINT *points, int count);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
// The part of the ellipse cut off by the line through the points where the radials
// to (x1, y1) and (x2, y2) meet it, on the side of the arc running counter-clockwise
// from the first to the second.
BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
// `brush` may also be a system colour index + 1.
int FillRect(HDC hdc, const RECT *rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT *rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT *rect);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
// CLR_INVALID outside the image or the clip region.
COLORREF GetPixel(HDC hdc, int x, int y);

// Block transfers. A monochrome source draws its white pixels in the destination's
// background colour and its black ones in the text colour; a colour source copied
// into a monochrome bitmap turns white where it has its own background colour and
// black elsewhere.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                    int srcHeight, UINT transparent);

// Regions.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT *rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreatePolygonRgn(const POINT *points, int count, int fillMode);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, RECT *box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height);
// Clips drawing to a copy of the region (device coordinates); 0 removes the clip.
int SelectClipRgn(HDC hdc, HRGN region);
int GetClipBox(HDC hdc, RECT *box);

// Text. Lengths of -1 mean "up to the terminating zero" where Windows allows it
// (DrawTextA).
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
// `dx`, when given, holds the advance of each byte; a double-byte character
// advances by the sum of its two entries.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT length,
                 const INT *dx);
int DrawTextA(HDC hdc, LPCSTR text, int length, RECT *rect, UINT format);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, SIZE *size);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA *metrics);

// Printing on a printer context (CreatePrinterDC).
int StartDocA(HDC hdc, const DOCINFOA *info);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
// A context of the printer, the one print dialogs hand out: the printer last
// chosen in a print dialog (SelectPrinter), else the system's default printer,
// or a PDF file when none is configured. The environment variable
// LUMO_PRINT_PDF names a PDF file that takes every job instead (tests); a job's
// DOCINFOA::lpszOutput names one for that job. Pages are drawn at 300 dots per inch.
HDC CreatePrinterDC();
// The system printer that later jobs go to, by name (GBK); an empty or unknown
// name gives the default printer again.
void SelectPrinter(const std::string &name);

// The names without the character-set suffix, as the programs write them.
inline HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                        DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    return CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                       outPrecision, clipPrecision, quality, pitchAndFamily, face);
}
inline HFONT CreateFontIndirect(const LOGFONTA *font)
{
    return CreateFontIndirectA(font);
}
inline int GetObject(HGDIOBJ object, int size, LPVOID out)
{
    return GetObjectA(object, size, out);
}
inline BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int length)
{
    return TextOutA(hdc, x, y, text, length);
}
inline BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT length,
                       const INT *dx)
{
    return ExtTextOutA(hdc, x, y, options, rect, text, length, dx);
}
inline int DrawText(HDC hdc, LPCSTR text, int length, RECT *rect, UINT format)
{
    return DrawTextA(hdc, text, length, rect, format);
}
inline BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int length, SIZE *size)
{
    return GetTextExtentPoint32A(hdc, text, length, size);
}
inline BOOL GetTextMetrics(HDC hdc, TEXTMETRICA *metrics)
{
    return GetTextMetricsA(hdc, metrics);
}
inline int StartDoc(HDC hdc, const DOCINFOA *info)
{
    return StartDocA(hdc, info);
}

} // namespace win
