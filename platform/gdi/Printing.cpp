// Printer contexts and the print job calls.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/PrintJob.h"
#include "platform/win/Text.h"

namespace win {

namespace {

std::shared_ptr<DeviceContext> PrinterDC(HDC hdc)
{
    auto dc = FindDC(hdc);
    if (!dc || !dc->printJob) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return dc;
}

QString ToQt(LPCSTR gbk)
{
    return gbk ? QString::fromStdU16String(GbkToUtf16(gbk)) : QString();
}

} // namespace

HDC CreatePrinterDC()
{
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Printer);
    dc->printJob = std::make_unique<PrintJob>();
    dc->resolution = PrintJob::kResolution;
    return AddDeviceContext(std::move(dc));
}

int StartDocA(HDC hdc, const DOCINFOA *info)
{
    auto dc = PrinterDC(hdc);
    if (!dc)
        return SP_ERROR;
    QString title = info ? ToQt(info->lpszDocName) : QString();
    dc->Log([&] {
        return std::string("StartDocA(\"" + std::string(info && info->lpszDocName ? info->lpszDocName : "") +
                           "\")");
    });
    if (!dc->printJob->StartDoc(title, info ? ToQt(info->lpszOutput) : QString())) {
        SetLastError(ERROR_CANTWRITE);
        return SP_ERROR;
    }
    return 1;
}

int StartPage(HDC hdc)
{
    auto dc = PrinterDC(hdc);
    if (!dc)
        return SP_ERROR;
    dc->Log([&] { return std::string("StartPage()"); });
    return dc->printJob->StartPage() ? 1 : SP_ERROR;
}

int EndPage(HDC hdc)
{
    auto dc = PrinterDC(hdc);
    if (!dc)
        return SP_ERROR;
    dc->Log([&] { return std::string("EndPage()"); });
    return dc->printJob->EndPage() ? 1 : SP_ERROR;
}

int EndDoc(HDC hdc)
{
    auto dc = PrinterDC(hdc);
    if (!dc)
        return SP_ERROR;
    dc->Log([&] { return std::string("EndDoc()"); });
    return dc->printJob->EndDoc() ? 1 : SP_ERROR;
}

int AbortDoc(HDC hdc)
{
    auto dc = PrinterDC(hdc);
    if (!dc)
        return SP_ERROR;
    dc->Log([&] { return std::string("AbortDoc()"); });
    dc->printJob->Abort();
    return 1;
}

} // namespace win
