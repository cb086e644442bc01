#include "platform/gdi/TPrinter.h"

#include "platform/gdi/Gdi.h"

namespace win {

TPrinter::TPrinter() : Canvas(new TCanvas) {}

TPrinter::~TPrinter()
{
    if (printing_)
        Abort();
    delete Canvas;
    if (dc_)
        DeleteDC(dc_);
}

HDC TPrinter::GetHandle()
{
    if (!dc_) {
        dc_ = CreatePrinterDC();
        Canvas->SetHandle(dc_);
        Canvas->Font->PixelsPerInch = GetDeviceCaps(dc_, LOGPIXELSY);
    }
    return dc_;
}

int TPrinter::GetPageWidth()
{
    return GetDeviceCaps(GetHandle(), HORZRES);
}

int TPrinter::GetPageHeight()
{
    return GetDeviceCaps(GetHandle(), VERTRES);
}

bool TPrinter::BeginDoc()
{
    if (printing_)
        return false;
    HDC dc = GetHandle();
    DOCINFOA info{int(sizeof(DOCINFOA)), Title.c_str(), nullptr, nullptr, 0};
    if (StartDocA(dc, &info) <= 0)
        return false;
    if (StartPage(dc) <= 0) {
        AbortDoc(dc);
        return false;
    }
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
    return true;
}

bool TPrinter::NewPage()
{
    if (!printing_)
        return false;
    if (EndPage(dc_) <= 0 || StartPage(dc_) <= 0)
        return false;
    ++pageNumber_;
    return true;
}

bool TPrinter::EndDoc()
{
    if (!printing_)
        return false;
    printing_ = false;
    bool ok = EndPage(dc_) > 0;
    ok = win::EndDoc(dc_) > 0 && ok;
    return ok;
}

void TPrinter::Abort()
{
    if (!printing_)
        return;
    AbortDoc(dc_);
    printing_ = false;
    aborted_ = true;
}

TPrinter *Printer()
{
    static TPrinter *printer = new TPrinter;
    return printer;
}

} // namespace win
