#include "platform/gdi/TBitmap.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TClipboard.h"
#include "platform/win/Path.h"

namespace win {

TBitmap::TBitmap() : Canvas(new TCanvas), dc_(CreateCompatibleDC(0))
{
    Canvas->SetHandle(dc_);
}

TBitmap::~TBitmap()
{
    delete Canvas;
    DeleteDC(dc_);
    if (bitmap_)
        DeleteObject(bitmap_);
}

namespace {

HBITMAP AddImage(std::shared_ptr<QImage> image)
{
    return image ? AddGdiObject(std::make_shared<GdiBitmap>(std::move(image), false)) : 0;
}

} // namespace

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    HBITMAP fresh = 0;
    if (width > 0 && height > 0) {
        auto image = NewImage(width, height);
        if (!image)
            return;
        image->fill(0xFFFFFFFFu);
        if (auto old = FindGdiObjectAs<GdiBitmap>(bitmap_)) {
            QImage &from = *old->image;
            for (int y = 0; y < std::min(height, from.height()); ++y)
                std::copy_n(reinterpret_cast<const uint32_t *>(from.constScanLine(y)),
                            std::min(width, from.width()), reinterpret_cast<uint32_t *>(image->scanLine(y)));
        }
        fresh = AddImage(std::move(image));
    }
    SelectObject(dc_, fresh ? fresh : StockBitmap());
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = fresh;
    width_ = width;
    height_ = height;
}

bool TBitmap::LoadFromFile(const AnsiString &path)
{
    std::string native = MapPath(path.c_str());
    QImage loaded;
    if (native.empty() || !loaded.load(QString::fromStdString(native)))
        return false;
    auto image = std::make_shared<QImage>(loaded.convertToFormat(QImage::Format_RGB32));
    if (image->isNull())
        return false;
    Take(std::move(image));
    return true;
}

bool TBitmap::Assign(TClipboard *clipboard)
{
    if (!clipboard || !clipboard->HasFormat(CF_BITMAP))
        return false;
    auto image =
        std::make_shared<QImage>(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32));
    if (image->isNull())
        return false;
    Take(std::move(image));
    return true;
}

void TBitmap::Take(std::shared_ptr<QImage> image)
{
    int width = image->width();
    int height = image->height();
    HBITMAP fresh = AddImage(std::move(image));
    if (!fresh)
        return;
    SelectObject(dc_, fresh);
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = fresh;
    width_ = width;
    height_ = height;
}

bool TBitmap::SaveToFile(const AnsiString &path)
{
    std::string native = MapPath(path.c_str());
    auto bitmap = FindGdiObjectAs<GdiBitmap>(bitmap_);
    if (native.empty() || !bitmap)
        return false;
    if (!bitmap->image->save(QString::fromStdString(native), "BMP"))
        return false;
    NotePathCreated(native);
    return true;
}

} // namespace win
