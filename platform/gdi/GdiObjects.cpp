// The handle table, the stock objects and the calls that create, describe and
// delete pens, brushes, fonts and bitmaps.
#include <QGuiApplication>
#include <QFontMetricsF>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

namespace win {

namespace {

std::mutex tableLock;
std::unordered_map<HGDIOBJ, std::shared_ptr<GdiObject>> &Table()
{
    static auto *table = new std::unordered_map<HGDIOBJ, std::shared_ptr<GdiObject>>;
    return *table;
}

// GDI handles never leave the process and painters create and delete pens and
// brushes on every paint, so they come from a counter of their own that wraps
// around and skips the handles still alive, rather than from the user-wide
// numbers that windows need.
constexpr HGDIOBJ firstGdiHandle = 0x10000;
constexpr HGDIOBJ lastGdiHandle = 0x7FFFFFFF;
HGDIOBJ nextGdiHandle = firstGdiHandle;

} // namespace

HGDIOBJ AddGdiObject(std::shared_ptr<GdiObject> object)
{
    std::lock_guard<std::mutex> guard(tableLock);
    HGDIOBJ h;
    do {
        h = nextGdiHandle;
        nextGdiHandle = h == lastGdiHandle ? firstGdiHandle : h + 1;
    } while (Table().count(h));
    Table()[h] = std::move(object);
    return h;
}

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle)
{
    std::lock_guard<std::mutex> guard(tableLock);
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second;
}

bool RemoveGdiObject(HGDIOBJ handle)
{
    std::shared_ptr<GdiObject> object;
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto it = Table().find(handle);
        if (it == Table().end())
            return false;
        object = std::move(it->second);
        Table().erase(it);
    }
    object->removed.store(true, std::memory_order_relaxed);
    return true;
}

uint32_t PixelOf(COLORREF color, bool monochrome)
{
    uint32_t r = GetRValue(color);
    uint32_t g = GetGValue(color);
    uint32_t b = GetBValue(color);
    if (monochrome)
        return r * 30 + g * 59 + b * 11 >= 128 * 100 ? 0xFFFFFFFFu : 0xFF000000u;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

std::shared_ptr<QImage> NewImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    auto image = std::make_shared<QImage>(width, height, QImage::Format_RGB32);
    if (image->isNull())
        return nullptr;
    image->fill(0xFF000000u);
    return image;
}

namespace {

// The classic Windows palette, so that pictures do not depend on a desktop theme.
constexpr COLORREF kSysColors[] = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // desktop
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3-D dark shadow
    RGB(212, 208, 200), // 3-D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
    RGB(181, 181, 181), // (unused index)
    RGB(0, 0, 128),     // hot-tracked item
    RGB(166, 202, 240), // active caption gradient
    RGB(192, 192, 192), // inactive caption gradient
    RGB(10, 36, 106),   // menu highlight
    RGB(212, 208, 200), // menu bar
};
constexpr int kSysColorCount = int(sizeof kSysColors / sizeof kSysColors[0]);

LOGFONTA MakeLogFont(int height, int weight, BYTE charSet, BYTE pitchAndFamily, const char *face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charSet;
    lf.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

struct StockObjects {
    HGDIOBJ handles[DEFAULT_GUI_FONT + 1] = {};
    HBITMAP bitmap = 0;
    HBRUSH sysBrushes[kSysColorCount] = {};
};

HGDIOBJ AddStock(std::shared_ptr<GdiObject> object)
{
    object->stock = true;
    return AddGdiObject(std::move(object));
}

const StockObjects &Stock()
{
    static const StockObjects *stock = [] {
        auto *s = new StockObjects;
        s->handles[WHITE_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(255, 255, 255)));
        s->handles[LTGRAY_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(192, 192, 192)));
        s->handles[GRAY_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(128, 128, 128)));
        s->handles[DKGRAY_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(64, 64, 64)));
        s->handles[BLACK_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, RGB(0, 0, 0)));
        s->handles[NULL_BRUSH] = AddStock(std::make_shared<GdiBrush>(BS_NULL, 0));
        s->handles[WHITE_PEN] = AddStock(std::make_shared<GdiPen>(PS_SOLID, 1, RGB(255, 255, 255)));
        s->handles[BLACK_PEN] = AddStock(std::make_shared<GdiPen>(PS_SOLID, 1, RGB(0, 0, 0)));
        s->handles[NULL_PEN] = AddStock(std::make_shared<GdiPen>(PS_NULL, 1, 0));
        // Face names are GBK bytes, as everywhere in the programs.
        const char *song = "宋体";
        s->handles[SYSTEM_FONT] = AddStock(std::make_shared<GdiFont>(
            MakeLogFont(16, FW_NORMAL, GB2312_CHARSET, VARIABLE_PITCH | FF_SWISS, "System")));
        s->handles[DEVICE_DEFAULT_FONT] = s->handles[SYSTEM_FONT];
        s->handles[DEFAULT_GUI_FONT] = AddStock(std::make_shared<GdiFont>(
            MakeLogFont(-12, FW_NORMAL, GB2312_CHARSET, DEFAULT_PITCH | FF_DONTCARE, song)));
        s->handles[ANSI_VAR_FONT] = AddStock(std::make_shared<GdiFont>(
            MakeLogFont(-12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif")));
        HGDIOBJ fixed = AddStock(std::make_shared<GdiFont>(
            MakeLogFont(-12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier New")));
        s->handles[ANSI_FIXED_FONT] = fixed;
        s->handles[OEM_FIXED_FONT] = fixed;
        s->handles[SYSTEM_FIXED_FONT] = fixed;
        auto one = NewImage(1, 1);
        s->bitmap = AddStock(std::make_shared<GdiBitmap>(one, true));
        for (int i = 0; i < kSysColorCount; ++i)
            s->sysBrushes[i] = AddStock(std::make_shared<GdiBrush>(BS_SOLID, kSysColors[i]));
        return s;
    }();
    return *stock;
}

} // namespace

HBITMAP StockBitmap()
{
    return Stock().bitmap;
}

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index > DEFAULT_GUI_FONT)
        return 0;
    return Stock().handles[index];
}

DWORD GetSysColor(int index)
{
    return index >= 0 && index < kSysColorCount ? kSysColors[index] : 0;
}

HBRUSH GetSysColorBrush(int index)
{
    return index >= 0 && index < kSysColorCount ? Stock().sysBrushes[index] : 0;
}

std::shared_ptr<GdiBrush> FindBrush(HBRUSH brush)
{
    // FillRect and the window classes accept "system colour index + 1".
    if (brush >= 1 && brush <= HBRUSH(kSysColorCount))
        return FindGdiObjectAs<GdiBrush>(Stock().sysBrushes[brush - 1]);
    return FindGdiObjectAs<GdiBrush>(brush);
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Width 0 draws one pixel wide, as on Windows; widths are cut at 255, which
    // keeps the work of a wide line bounded.
    return AddGdiObject(std::make_shared<GdiPen>(style, std::clamp(width, 1, 255), color & 0xFFFFFF));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    return AddGdiObject(std::make_shared<GdiBrush>(BS_SOLID, color & 0xFFFFFF));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH *brush)
{
    if (!brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddGdiObject(std::make_shared<GdiBrush>(brush->lbStyle, brush->lbColor & 0xFFFFFF));
}

HFONT CreateFontIndirectA(const LOGFONTA *font)
{
    if (!font) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LOGFONTA lf = *font;
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    return AddGdiObject(std::make_shared<GdiFont>(lf));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic != 0);
    lf.lfUnderline = BYTE(underline != 0);
    lf.lfStrikeOut = BYTE(strikeOut != 0);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (face)
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

namespace {

// The realized fonts by description, for the application that resolved them.
struct RealizedFonts {
    std::mutex lock;
    const QCoreApplication *application = nullptr;
    std::unordered_map<std::string, std::shared_ptr<const GdiFont::Realized>> byDescription;
};

RealizedFonts &FontCache()
{
    // Never destroyed: its Qt fonts must not outlive the font database.
    static auto *cache = new RealizedFonts;
    return *cache;
}

// The bytes of a description that make a font: all of it, the face name up to
// its end.
std::string FontKey(const LOGFONTA &lf)
{
    std::string key(reinterpret_cast<const char *>(&lf), offsetof(LOGFONTA, lfFaceName));
    key.append(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    return key;
}

std::unique_ptr<GdiFont::Realized> RealizeFont(const LOGFONTA &logFont);

} // namespace

const GdiFont::Realized *GdiFont::Realize() const
{
    std::lock_guard<std::mutex> guard(lock_);
    if (realized_)
        return realized_.get();
    const QCoreApplication *application = QCoreApplication::instance();
    if (!qobject_cast<const QGuiApplication *>(application))
        return nullptr;
    // Qt fonts are not for sharing between threads: only the application's
    // own thread shares them.
    if (QThread::currentThread() != application->thread()) {
        realized_ = RealizeFont(logFont);
        return realized_.get();
    }
    RealizedFonts &cache = FontCache();
    const std::string key = FontKey(logFont);
    {
        std::lock_guard<std::mutex> cacheGuard(cache.lock);
        if (cache.application != application) {
            cache.byDescription.clear();
            cache.application = application;
        }
        auto it = cache.byDescription.find(key);
        if (it != cache.byDescription.end()) {
            realized_ = it->second;
            return realized_.get();
        }
    }
    std::shared_ptr<const Realized> made = RealizeFont(logFont);
    {
        std::lock_guard<std::mutex> cacheGuard(cache.lock);
        // A program that makes fonts of ever new sizes starts the cache afresh
        // now and then; fonts already realized keep theirs.
        if (cache.byDescription.size() >= 512)
            cache.byDescription.clear();
        cache.byDescription.emplace(key, made);
    }
    realized_ = std::move(made);
    return realized_.get();
}

namespace {

std::unique_ptr<GdiFont::Realized> RealizeFont(const LOGFONTA &logFont)
{
    size_t faceLength = strnlen(logFont.lfFaceName, LF_FACESIZE);
    QString family =
        faceLength == 0
            ? QString::fromUtf16(u"宋体")
            : QString::fromStdU16String(GbkToUtf16(std::string_view(logFont.lfFaceName, faceLength)));
    QFont font(family);
    // Aliased glyphs, as every other figure, and no kerning: Windows adds up the
    // advances of the characters.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setKerning(false);
    int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::min<int>(logFont.lfWeight, 1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    if ((logFont.lfPitchAndFamily & 3) == FIXED_PITCH)
        font.setFixedPitch(true);
    // A negative height is the character height; a positive one the cell height
    // (ascent + descent); zero the usual 12 pixels.
    int height = logFont.lfHeight;
    int pixels = 12;
    if (height < 0) {
        pixels = -height;
    } else if (height > 0) {
        font.setPixelSize(height);
        int cell = QFontMetrics(font).height();
        pixels = cell > 0 ? std::max(1, int(std::lround(double(height) * height / cell))) : height;
        font.setPixelSize(pixels);
        while (pixels > 1 && QFontMetrics(font).height() > height)
            font.setPixelSize(--pixels);
    }
    pixels = std::clamp(pixels, 1, 2000);
    font.setPixelSize(pixels);
    // A given width is the average character width (that of "x"); the glyphs are
    // stretched to it.
    if (logFont.lfWidth > 0) {
        double natural = QFontMetricsF(font).horizontalAdvance(QLatin1Char('x'));
        if (natural > 0) {
            int stretch = std::clamp(int(std::lround(100.0 * logFont.lfWidth / natural)), 1, 4000);
            if (stretch != 100)
                font.setStretch(stretch);
        }
    }
    QFontMetrics metrics(font);
    auto made = std::make_unique<GdiFont::Realized>(GdiFont::Realized{font, metrics, metrics.horizontalAdvance(QLatin1Char('x'))});
    for (int c = 0; c < 128; ++c)
        made->asciiAdvance[size_t(c)] = std::max(0, metrics.horizontalAdvance(QChar(c)));
    // Characters of a fallback font may be wider than this font's widest; twice
    // the line height covers the double-width characters of any of them.
    made->wideAdvance = std::max(metrics.maxWidth(), 2 * metrics.height());
    made->height = metrics.height();
    made->ascent = metrics.ascent();
    return made;
}

} // namespace

namespace {

HBITMAP AddBitmap(std::shared_ptr<QImage> image, bool monochrome)
{
    if (!image) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return AddGdiObject(std::make_shared<GdiBitmap>(std::move(image), monochrome));
}

} // namespace

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // As on Windows: an empty size gives a 1 × 1 monochrome bitmap, and a memory
    // context holding a monochrome bitmap (its initial one included) makes
    // monochrome bitmaps.
    if (width == 0 || height == 0)
        return AddBitmap(NewImage(1, 1), true);
    return AddBitmap(NewImage(width, height), dc->Monochrome());
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits)
{
    if (width <= 0 || height <= 0 || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto image = NewImage(width, height);
    if (image && bits) {
        const auto *bytes = static_cast<const uint8_t *>(bits);
        if (bitsPerPixel == 1) {
            size_t stride = size_t((width + 15) / 16) * 2;
            for (int y = 0; y < height; ++y) {
                auto *row = reinterpret_cast<uint32_t *>(image->scanLine(y));
                for (int x = 0; x < width; ++x) {
                    bool white = bytes[size_t(y) * stride + size_t(x / 8)] & (0x80 >> (x % 8));
                    row[x] = white ? 0xFFFFFFFFu : 0xFF000000u;
                }
            }
        } else {
            for (int y = 0; y < height; ++y) {
                auto *row = reinterpret_cast<uint32_t *>(image->scanLine(y));
                std::memcpy(row, bytes + size_t(y) * size_t(width) * 4, size_t(width) * 4);
                for (int x = 0; x < width; ++x)
                    row[x] |= 0xFF000000u;
            }
        }
    }
    return AddBitmap(std::move(image), bitsPerPixel == 1);
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto found = FindGdiObject(object);
    if (!found || std::dynamic_pointer_cast<DeviceContext>(found)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Stock objects stay; an object still selected into a context lives on there
    // until it is replaced.
    if (found->stock)
        return TRUE;
    RemoveGdiObject(object);
    return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out)
{
    auto found = FindGdiObject(object);
    auto give = [&](const void *data, int bytes) {
        if (!out)
            return bytes;
        if (size < bytes) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(out, data, size_t(bytes));
        return bytes;
    };
    if (auto pen = std::dynamic_pointer_cast<GdiPen>(found)) {
        LOGPEN lp{UINT(pen->style), POINT{pen->width, 0}, pen->color};
        return give(&lp, int(sizeof lp));
    }
    if (auto brush = std::dynamic_pointer_cast<GdiBrush>(found)) {
        LOGBRUSH lb{brush->style, brush->color, 0};
        return give(&lb, int(sizeof lb));
    }
    if (auto font = std::dynamic_pointer_cast<GdiFont>(found))
        return give(&font->logFont, int(sizeof font->logFont));
    if (auto bitmap = std::dynamic_pointer_cast<GdiBitmap>(found)) {
        BITMAP bm{};
        bm.bmWidth = bitmap->image->width();
        bm.bmHeight = bitmap->image->height();
        bm.bmWidthBytes = bitmap->monochrome ? (bm.bmWidth + 15) / 16 * 2 : bm.bmWidth * 4;
        bm.bmPlanes = 1;
        bm.bmBitsPixel = bitmap->monochrome ? 1 : 32;
        return give(&bm, int(sizeof bm));
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

} // namespace win
