#include "platform/gdi/Resources.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/IconImage.h"

namespace win {
namespace {

class GdiIcon : public GdiObject {
public:
    explicit GdiIcon(QImage image) : image(std::move(image)) {}
    QImage image;
};

struct Tables {
    std::mutex lock;
    std::map<std::string, QImage> bitmaps; // RGB32, by resource key
    std::map<std::string, QImage> icons;   // ARGB32, by resource key
    std::map<std::tuple<std::string, int, int>, HICON> loadedIcons;
};

Tables &T()
{
    static auto *tables = new Tables;
    return *tables;
}

QImage Decode(const void *bytes, size_t size)
{
    QImage picture;
    if (bytes && size > 0 && size <= size_t(INT32_MAX))
        picture.loadFromData(static_cast<const uchar *>(bytes), static_cast<int>(size));
    return picture;
}

QImage Scaled(const QImage &image, int cx, int cy)
{
    if (cx <= 0 && cy <= 0)
        return image;
    return image.scaled(cx > 0 ? cx : image.width(), cy > 0 ? cy : image.height(), Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

// The classic size grip: three pairs of diagonal strokes, highlight above shadow,
// on the button face.
QImage SizeGrip()
{
    constexpr int kSize = 13;
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(PixelOf(GetSysColor(COLOR_BTNFACE)));
    uint32_t light = PixelOf(GetSysColor(COLOR_BTNHIGHLIGHT));
    uint32_t shadow = PixelOf(GetSysColor(COLOR_BTNSHADOW));
    for (int start : {1, 5, 9})
        for (int i = 0; start + i < kSize; ++i) {
            int x = start + i;
            int y = kSize - 1 - i;
            image.setPixel(x, y, light);
            if (x + 1 < kSize)
                image.setPixel(x + 1, y, shadow);
            if (x + 2 < kSize)
                image.setPixel(x + 2, y, shadow);
        }
    return image;
}

HBITMAP NewBitmap(const QImage &picture, int cx, int cy)
{
    QImage scaled = Scaled(picture, cx, cy).convertToFormat(QImage::Format_RGB32);
    auto image = std::make_shared<QImage>(scaled.copy());
    if (image->isNull())
        return 0;
    return AddGdiObject(std::make_shared<GdiBitmap>(std::move(image), false));
}

HBITMAP LoadBitmapScaled(HINSTANCE instance, LPCSTR name, int cx, int cy)
{
    QImage picture;
    if (instance == 0) {
        if (IS_INTRESOURCE(name) && reinterpret_cast<uintptr_t>(name) == OBM_SIZE)
            picture = SizeGrip();
    } else {
        std::lock_guard<std::mutex> guard(T().lock);
        auto it = T().bitmaps.find(ResourceKey(name));
        if (it != T().bitmaps.end())
            picture = it->second;
    }
    if (picture.isNull()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    return NewBitmap(picture, cx, cy);
}

HICON LoadIconScaled(HINSTANCE instance, LPCSTR name, int cx, int cy)
{
    std::string key = ResourceKey(name);
    std::lock_guard<std::mutex> guard(T().lock);
    auto found = T().icons.find(key);
    if (instance == 0 || found == T().icons.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    QImage picture = Scaled(found->second, cx, cy);
    auto slot = std::make_tuple(key, picture.width(), picture.height());
    auto it = T().loadedIcons.find(slot);
    if (it == T().loadedIcons.end()) {
        auto icon = std::make_shared<GdiIcon>(std::move(picture));
        icon->stock = true;
        it = T().loadedIcons.emplace(slot, AddGdiObject(std::move(icon))).first;
    }
    return it->second;
}

} // namespace

BOOL RegisterBitmapResource(LPCSTR name, int width, int height, const DWORD *pixels)
{
    std::string key = ResourceKey(name);
    if (key.empty() || width <= 0 || height <= 0 || !pixels)
        return FALSE;
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull())
        return FALSE;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, 0xFF000000u | (pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFFu));
    std::lock_guard<std::mutex> guard(T().lock);
    T().bitmaps[key] = std::move(picture);
    return TRUE;
}

BOOL RegisterBitmapResource(LPCSTR name, const void *image, size_t size)
{
    std::string key = ResourceKey(name);
    QImage picture = Decode(image, size);
    if (key.empty() || picture.isNull())
        return FALSE;
    std::lock_guard<std::mutex> guard(T().lock);
    T().bitmaps[key] = picture.convertToFormat(QImage::Format_RGB32);
    return TRUE;
}

BOOL RegisterIconResource(LPCSTR name, const void *image, size_t size)
{
    std::string key = ResourceKey(name);
    QImage picture = Decode(image, size);
    if (key.empty() || picture.isNull())
        return FALSE;
    std::lock_guard<std::mutex> guard(T().lock);
    T().icons[key] = picture.convertToFormat(QImage::Format_ARGB32);
    return TRUE;
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    return LoadBitmapScaled(instance, name, 0, 0);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    return LoadIconScaled(instance, name, 0, 0);
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT)
{
    switch (type) {
    case IMAGE_BITMAP:
        return LoadBitmapScaled(instance, name, cx, cy);
    case IMAGE_ICON:
        return LoadIconScaled(instance, name, cx, cy);
    case IMAGE_CURSOR:
        return LoadCursorA(instance, name);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

BOOL DestroyIcon(HICON icon)
{
    return FindGdiObjectAs<GdiIcon>(icon) ? TRUE : FALSE;
}

QImage IconImage(HICON icon)
{
    auto found = FindGdiObjectAs<GdiIcon>(icon);
    return found ? found->image : QImage();
}

} // namespace win
