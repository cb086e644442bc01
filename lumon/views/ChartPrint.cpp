#include "lumon/views/ChartPrint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TWinControl.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TPrinter.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

const char kNoResources[] = "资源不足，无法打印！  ";

// The truncation of a print size, bounded so that no page size or window size
// can make it overflow.
int Truncated(float v)
{
    if (!(v > 0))
        return 0;
    return v >= 1e8f ? 100000000 : int(v);
}

// Copies the window's picture, with the pictures of its visible child windows
// over it, into `dest` at (x, y).
bool CopyWindowPicture(TWinControl *control, HDC dest, int x, int y)
{
    HDC src = GetDC(control->Handle);
    if (!src)
        return false;
    bool ok = BitBlt(dest, x, y, control->Width, control->Height, src, 0, 0, SRCCOPY) != 0;
    ReleaseDC(control->Handle, src);
    for (int i = 0; ok && i < control->ControlCount(); ++i) {
        auto *child = dynamic_cast<TWinControl *>(control->Controls(i));
        if (child && child->Visible && child->HandleAllocated() && child->Width > 0 && child->Height > 0)
            ok = CopyWindowPicture(child, dest, x + child->Left, y + child->Top);
    }
    return ok;
}

// The 1-bit picture of the copy: the background colour and unreadable pixels
// white (bit 1), every other pixel black; turned when asked, pixel (x, y) going
// to (H - 1 - y, x). Rows padded to 16 bits, as monochrome bitmaps take them.
HBITMAP MonochromePicture(HDC copy, int W, int H, COLORREF background, bool rotate)
{
    const int pw = rotate ? H : W, ph = rotate ? W : H;
    const size_t stride = size_t((pw + 15) / 16) * 2;
    std::vector<uint8_t> bits(stride * size_t(ph), 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const COLORREF c = GetPixel(copy, x, y);
            if (c != CLR_INVALID && (c & 0xFFFFFF) != (background & 0xFFFFFF))
                continue;
            const int tx = rotate ? H - 1 - y : x, ty = rotate ? x : y;
            bits[size_t(ty) * stride + size_t(tx / 8)] |= uint8_t(0x80 >> (tx % 8));
        }
    return CreateBitmap(pw, ph, 1, 1, bits.data());
}

// Draws the job's one page: frame and picture. False when a bitmap or context
// could not be made or a transfer failed; everything made is released.
bool DrawPage(TWinControl *view, TPrinter *printer, int W, int H, COLORREF background)
{
    const PrintPlacement p = PlacePrintPicture(printer->PageWidth, printer->PageHeight, W, H);
    TCanvas *canvas = printer->Canvas;
    canvas->Pen->Color = clBlack;
    canvas->Brush->Style = bsClear;
    canvas->Rectangle(p.MarginX - 1, p.MarginY - 1, p.MarginX + p.Width + 2, p.MarginY + p.Height + 2);
    HDC page = canvas->Handle;

    HDC screen = GetDC(0);
    HDC copyDC = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, W, H);
    HDC pictureDC = CreateCompatibleDC(screen);
    HDC printDC = CreateCompatibleDC(screen);
    HBITMAP print = p.Width > 0 && p.Height > 0 ? CreateBitmap(p.Width, p.Height, 1, 1, nullptr) : 0;
    HBITMAP picture = 0;
    HGDIOBJ oldCopy = 0, oldPicture = 0, oldPrint = 0;
    bool ok = copyDC && copy && pictureDC && printDC && print;
    if (ok) {
        oldCopy = SelectObject(copyDC, copy);
        ok = CopyWindowPicture(view, copyDC, 0, 0);
    }
    if (ok) {
        picture = MonochromePicture(copyDC, W, H, background, p.Rotate);
        ok = picture != 0;
    }
    if (ok) {
        oldPicture = SelectObject(pictureDC, picture);
        oldPrint = SelectObject(printDC, print);
        const int sw = p.Rotate ? H : W, sh = p.Rotate ? W : H;
        ok = StretchBlt(printDC, 0, 0, p.Width, p.Height, pictureDC, 0, 0, sw, sh, SRCCOPY) != 0;
    }
    if (ok) {
        SetBkColor(page, RGB(255, 255, 255));
        SetTextColor(page, RGB(0, 0, 0));
        ok = BitBlt(page, p.MarginX, p.MarginY, p.Width, p.Height, printDC, 0, 0, SRCCOPY) != 0;
    }
    if (oldCopy)
        SelectObject(copyDC, oldCopy);
    if (oldPicture)
        SelectObject(pictureDC, oldPicture);
    if (oldPrint)
        SelectObject(printDC, oldPrint);
    for (HBITMAP b : {copy, picture, print})
        if (b)
            DeleteObject(b);
    for (HDC dc : {copyDC, pictureDC, printDC})
        if (dc)
            DeleteDC(dc);
    ReleaseDC(0, screen);
    return ok;
}

} // namespace

PrintPlacement PlacePrintPicture(int pageWidth, int pageHeight, int W, int H)
{
    PrintPlacement p;
    p.MarginX = pageWidth / 20;
    p.MarginY = pageHeight / 20;
    const int pw = pageWidth - 2 * p.MarginX, ph = pageHeight - 2 * p.MarginY;
    p.Rotate = pw != ph && W != H && (pw > ph) != (W > H);
    if (W <= 0 || H <= 0 || pw <= 0 || ph <= 0)
        return p;
    float s;
    if (p.Rotate) {
        s = std::min(float(ph) / float(W), float(pw) / float(H));
        p.Width = Truncated(float(H) * s) - 1;
        p.Height = Truncated(float(W) * s) - 1;
    } else {
        s = std::min(float(pw) / float(W), float(ph) / float(H));
        p.Width = Truncated(float(W) * s) - 1;
        p.Height = Truncated(float(H) * s) - 1;
    }
    p.Width = std::max(p.Width, 0);
    p.Height = std::max(p.Height, 0);
    return p;
}

void PrintWindowPicture(TWinControl *view, TPrintDialog *dialog, COLORREF background, const PrintTexts &texts)
{
    if (MessageBoxA(0, texts.Ask, "查询", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES)
        return;
    view->Repaint();
    RECT r{};
    GetWindowRect(view->Handle, &r);
    const int W = r.right - r.left, H = r.bottom - r.top;
    if (!dialog->Execute())
        return;
    TPrinter *printer = Printer();
    // The printer reports a failed step by its result: any of them is the
    // print error; a picture that could not be made is the resource error.
    if (!printer->BeginDoc()) {
        MessageBoxA(view->Handle, texts.Failed, "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    const bool drawn = W > 0 && H > 0 && DrawPage(view, printer, W, H, background);
    if (!printer->EndDoc()) {
        MessageBoxA(view->Handle, texts.Failed, "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    if (!drawn)
        MessageBoxA(view->Handle, kNoResources, "提示", MB_ICONERROR | MB_TOPMOST);
}
