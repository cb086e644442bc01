// Test aids: pictures of contexts and recording contexts.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/gdi/QtSurface.h"

namespace win {

BOOL SaveDCToPng(HDC hdc, const char *path)
{
    auto dc = FindDC(hdc);
    const QImage *target = dc ? dc->Target() : nullptr;
    if (!target || !path) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!target->save(QString::fromLocal8Bit(path), "PNG")) {
        SetLastError(ERROR_CANTWRITE);
        return FALSE;
    }
    return TRUE;
}

HDC CreateRecordingDC(int width, int height)
{
    auto image = NewImage(width, height);
    if (!image) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    image->fill(0xFFFFFFFFu);
    HDC hdc = CreateImageDC(std::move(image));
    FindDC(hdc)->log = std::make_unique<std::vector<std::string>>();
    return hdc;
}

std::vector<std::string> RecordedCalls(HDC hdc)
{
    auto dc = FindDC(hdc);
    return dc && dc->log ? *dc->log : std::vector<std::string>();
}

} // namespace win
