// Bitmaps and icons registered by the program under resource names and numbers,
// loaded as drawing objects, and the system's size-grip bitmap.
#include <QBuffer>
#include <QByteArray>

#include "GdiFixture.h"
#include "platform/gdi/IconImage.h"
#include "platform/gdi/Resources.h"

namespace win {
namespace {

constexpr HINSTANCE kProgram = 1;

QByteArray PngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

SIZE SizeOf(HBITMAP bitmap)
{
    BITMAP bm{};
    if (GetObjectA(bitmap, sizeof bm, &bm) != int(sizeof bm))
        return SIZE{-1, -1};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

TEST_F(GdiTest, RegisteredBitmapIsLoadedAsANewCopyAndBlitted)
{
    const DWORD pixels[] = {0xFF0000, 0x00FF00, 0x0000FF, //
                            0x123456, 0xFFFFFF, 0x000000};
    ASSERT_TRUE(RegisterBitmapResource(MAKEINTRESOURCE(181), 3, 2, pixels));

    HBITMAP bitmap = LoadBitmapA(kProgram, MAKEINTRESOURCE(181));
    ASSERT_NE(bitmap, 0u);
    EXPECT_EQ(SizeOf(bitmap).cx, 3);
    EXPECT_EQ(SizeOf(bitmap).cy, 2);

    HDC dc = NewImageDC(10, 10, 0x808080);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ASSERT_TRUE(BitBlt(dc, 4, 5, 3, 2, memory, 0, 0, SRCCOPY));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(At(4 + i % 3, 5 + i / 3), pixels[i]) << "pixel " << i;
    EXPECT_EQ(At(7, 5), 0x808080u);

    // Drawing on a loaded bitmap leaves the resource as it was.
    SetPixel(memory, 0, 0, RGB(1, 2, 3));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    HBITMAP again = LoadBitmapA(kProgram, "#181");
    ASSERT_NE(again, 0u);
    SelectObject(memory, again);
    EXPECT_EQ(GetPixel(memory, 0, 0), RGB(255, 0, 0));
    SelectObject(memory, old);
    DeleteObject(again);
    DeleteDC(memory);
}

TEST_F(GdiTest, PictureFileBitmapsLoadByNameAndScale)
{
    QImage picture(24, 24, QImage::Format_RGB32);
    picture.fill(0xFFFF00FFu);
    picture.setPixel(5, 5, 0xFF00FF00u);
    QByteArray png = PngOf(picture);
    ASSERT_TRUE(RegisterBitmapResource("UserIcon", png.constData(), size_t(png.size())));

    HBITMAP same = HBITMAP(LoadImageA(kProgram, "USERICON", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    HBITMAP small = HBITMAP(LoadImageA(kProgram, "usericon", IMAGE_BITMAP, 12, 12, LR_DEFAULTCOLOR));
    ASSERT_NE(same, 0u);
    ASSERT_NE(small, 0u);
    EXPECT_EQ(SizeOf(same).cx, 24);
    EXPECT_EQ(SizeOf(small).cx, 12);
    EXPECT_EQ(SizeOf(small).cy, 12);

    HDC memory = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(memory, same);
    EXPECT_EQ(GetPixel(memory, 5, 5), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(memory, 0, 0), RGB(255, 0, 255));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(same);
    DeleteObject(small);
}

TEST_F(GdiTest, MissingOrUnreadableResourcesAreRefused)
{
    const DWORD pixel = 0;
    struct Case {
        const char *what;
        HINSTANCE instance;
        LPCSTR name;
    };
    ASSERT_TRUE(RegisterBitmapResource(MAKEINTRESOURCE(150), 1, 1, &pixel));
    const Case cases[] = {
        {"unknown number", kProgram, MAKEINTRESOURCE(9999)},
        {"unknown name", kProgram, "IDB_NONE"},
        {"program bitmap asked of the system", 0, MAKEINTRESOURCE(150)},
        {"null name", kProgram, nullptr},
    };
    for (const Case &c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadBitmapA(c.instance, c.name), 0u) << c.what;
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND) << c.what;
    }
    const char garbage[] = "not a picture";
    EXPECT_FALSE(RegisterBitmapResource("BAD", garbage, sizeof garbage));
    EXPECT_FALSE(RegisterBitmapResource("BAD", 0, 0, &pixel));
    EXPECT_FALSE(RegisterBitmapResource("BAD", 2, 2, nullptr));
    EXPECT_FALSE(RegisterIconResource("", garbage, sizeof garbage));
    EXPECT_EQ(LoadImageA(kProgram, "BAD", 7, 0, 0, 0), 0u);
}

TEST_F(GdiTest, SizeGripIsASystemBitmap)
{
    HBITMAP grip = LoadBitmapA(0, MAKEINTRESOURCE(OBM_SIZE));
    ASSERT_NE(grip, 0u);
    EXPECT_EQ(SizeOf(grip).cx, 13);
    EXPECT_EQ(SizeOf(grip).cy, 13);
    HDC memory = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(memory, grip);
    EXPECT_EQ(GetPixel(memory, 0, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetPixel(memory, 12, 12), GetSysColor(COLOR_BTNFACE));
    // Strokes run from the bottom edge to the right edge.
    EXPECT_EQ(GetPixel(memory, 9, 12), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(GetPixel(memory, 10, 12), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(memory, 12, 9), GetSysColor(COLOR_BTNHIGHLIGHT));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(grip);
}

TEST_F(GdiTest, IconsAreSharedPerSizeAndKeepTransparency)
{
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 24; ++x)
            picture.setPixel(x, y, 0xFF0000FFu);
    QByteArray png = PngOf(picture);
    ASSERT_TRUE(RegisterIconResource(MAKEINTRESOURCE(128), png.constData(), size_t(png.size())));

    HICON icon = LoadIconA(kProgram, MAKEINTRESOURCE(128));
    ASSERT_NE(icon, 0u);
    EXPECT_EQ(LoadIconA(kProgram, MAKEINTRESOURCE(128)), icon);
    QImage full = IconImage(icon);
    EXPECT_EQ(full.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(full.pixel(0, 0)), 0);
    EXPECT_EQ(full.pixel(16, 16), 0xFF0000FFu);

    HICON small = HICON(LoadImageA(kProgram, MAKEINTRESOURCE(128), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ASSERT_NE(small, 0u);
    EXPECT_NE(small, icon);
    EXPECT_EQ(HICON(LoadImageA(kProgram, MAKEINTRESOURCE(128), IMAGE_ICON, 16, 16, LR_SHARED)), small);
    EXPECT_EQ(IconImage(small).size(), QSize(16, 16));

    // Shared icons outlive DestroyIcon and DeleteObject; other handles are no icons.
    EXPECT_TRUE(DestroyIcon(icon));
    DeleteObject(icon);
    EXPECT_EQ(IconImage(icon).size(), QSize(32, 32));
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_FALSE(DestroyIcon(bitmap));
    EXPECT_TRUE(IconImage(bitmap).isNull());
    DeleteObject(bitmap);
    EXPECT_EQ(LoadIconA(0, MAKEINTRESOURCE(128)), 0u);
}

TEST_F(GdiTest, CursorImagesComeFromTheCursorTable)
{
    ASSERT_TRUE(RegisterCursorResource("IDC_DRAG", IDC_SIZEALL));
    HCURSOR drag = LoadCursorA(kProgram, "IDC_DRAG");
    ASSERT_NE(drag, 0u);
    EXPECT_EQ(HCURSOR(LoadImageA(kProgram, "IDC_DRAG", IMAGE_CURSOR, 0, 0, LR_SHARED)), drag);
}

} // namespace
} // namespace win
