// Memory contexts, bitmaps and block transfers: copies, raster operations that
// restore when repeated, stretching, colour keys and monochrome conversions.
#include "GdiFixture.h"

namespace win {
namespace {

// A memory context holding a new colour bitmap of the given size.
struct MemoryBitmap {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    MemoryBitmap(int width, int height, bool monochrome = false)
    {
        HDC screen = GetDC(0);
        dc = CreateCompatibleDC(screen);
        bitmap = monochrome ? CreateBitmap(width, height, 1, 1, nullptr)
                            : CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(0, screen);
        old = SelectObject(dc, bitmap);
    }
    ~MemoryBitmap()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

TEST_F(GdiTest, CompatibleBitmapsComposeOffScreenAndCopyInOneBlock)
{
    HDC dc = NewImageDC(20, 20, 0x202020);
    MemoryBitmap back(8, 6);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(back.bitmap, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 8);
    EXPECT_EQ(bm.bmHeight, 6);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    RECT all{0, 0, 8, 6};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(back.dc, &all, red);
    SetPixel(back.dc, 2, 3, RGB(0, 255, 0));
    ASSERT_TRUE(BitBlt(dc, 5, 4, 8, 6, back.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(At(5, 4), 0xFF0000u);
    EXPECT_EQ(At(7, 7), 0x00FF00u);
    EXPECT_EQ(At(12, 9), 0xFF0000u);
    EXPECT_EQ(At(13, 9), 0x202020u);
    EXPECT_EQ(At(4, 4), 0x202020u);
    // A part of the source outside its bitmap leaves the destination alone.
    Image().fill(0xFF202020u);
    BitBlt(dc, 0, 0, 20, 20, back.dc, 4, 0, SRCCOPY);
    EXPECT_EQ(At(3, 0), 0xFF0000u);
    EXPECT_EQ(At(4, 0), 0x202020u);
    DeleteObject(red);
}

TEST_F(GdiTest, InvertingOperationsRestoreWhenRepeated)
{
    HDC dc = NewImageDC(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            Image().setPixel(x, y, qRgb(x * 8, y * 8, (x * y) & 0xFF));
    MemoryBitmap source(10, 10);
    RECT all{0, 0, 10, 10};
    HBRUSH brush = CreateSolidBrush(RGB(0x5A, 0xA5, 0x3C));
    FillRect(source.dc, &all, brush);
    SelectObject(dc, brush);
    QImage before = Image().copy();
    struct Case {
        const char *name;
        std::function<void()> draw;
    } cases[] = {
        {"source XOR", [&] { BitBlt(dc, 3, 4, 10, 10, source.dc, 0, 0, SRCINVERT); }},
        {"destination invert", [&] { PatBlt(dc, 2, 2, 20, 9, DSTINVERT); }},
        {"pattern XOR", [&] { PatBlt(dc, 25, 20, -12, -15, PATINVERT); }},
        {"invert rectangle",
         [&] {
             RECT r{1, 1, 29, 5};
             InvertRect(dc, &r);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.draw();
        EXPECT_NE(Image(), before);
        c.draw();
        EXPECT_EQ(Image(), before);
    }
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST_F(GdiTest, StretchingTakesTheNearestSourcePixels)
{
    HDC dc = NewImageDC(12, 12);
    MemoryBitmap source(2, 2);
    SetPixel(source.dc, 0, 0, RGB(255, 0, 0));
    SetPixel(source.dc, 1, 0, RGB(0, 255, 0));
    SetPixel(source.dc, 0, 1, RGB(0, 0, 255));
    SetPixel(source.dc, 1, 1, RGB(255, 255, 255));
    ASSERT_TRUE(StretchBlt(dc, 0, 0, 8, 6, source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(At(0, 0), 0xFF0000u);
    EXPECT_EQ(At(3, 2), 0xFF0000u);
    EXPECT_EQ(At(4, 2), 0x00FF00u);
    EXPECT_EQ(At(3, 3), 0x0000FFu);
    EXPECT_EQ(At(7, 5), 0xFFFFFFu);
    EXPECT_EQ(At(8, 5), 0u);
    // A negative width mirrors.
    Image().fill(0xFF000000u);
    StretchBlt(dc, 4, 0, -4, 2, source.dc, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    EXPECT_EQ(At(3, 0), 0xFF0000u);
}

TEST_F(GdiTest, TransparentBltSkipsTheKeyColour)
{
    HDC dc = NewImageDC(6, 6, 0x123456);
    MemoryBitmap icon(3, 3);
    RECT all{0, 0, 3, 3};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(icon.dc, &all, magenta);
    SetPixel(icon.dc, 1, 1, RGB(0, 0, 0));
    ASSERT_TRUE(TransparentBlt(dc, 1, 1, 3, 3, icon.dc, 0, 0, 3, 3, RGB(255, 0, 255)));
    EXPECT_EQ(At(1, 1), 0x123456u);
    EXPECT_EQ(At(2, 2), 0u);
    EXPECT_EQ(At(3, 3), 0x123456u);
    DeleteObject(magenta);
}

TEST_F(GdiTest, MonochromeBitmapsConvertByTheBackgroundAndTextColours)
{
    // Colour to monochrome: the source's background colour becomes white, the
    // rest black (how a chart is turned black-and-white for printing).
    MemoryBitmap colour(4, 1);
    RECT all{0, 0, 4, 1};
    HBRUSH background = CreateSolidBrush(RGB(0, 0, 64));
    FillRect(colour.dc, &all, background);
    SetPixel(colour.dc, 1, 0, RGB(255, 0, 0));
    SetPixel(colour.dc, 2, 0, RGB(255, 255, 255));
    SetBkColor(colour.dc, RGB(0, 0, 64));
    MemoryBitmap mono(4, 1, true);
    ASSERT_TRUE(BitBlt(mono.dc, 0, 0, 4, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(mono.dc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mono.dc, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(mono.dc, 2, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(mono.dc, 3, 0), RGB(255, 255, 255));
    // Monochrome to colour: white takes the destination's background colour,
    // black its text colour.
    HDC dc = NewImageDC(4, 1);
    SetBkColor(dc, RGB(10, 20, 30));
    SetTextColor(dc, RGB(200, 100, 50));
    BitBlt(dc, 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(At(0, 0), 0x0A141Eu);
    EXPECT_EQ(At(1, 0), 0xC86432u);
    // A memory context holding a monochrome bitmap makes monochrome bitmaps, as on
    // Windows; an empty size gives a 1 × 1 monochrome one.
    HBITMAP made = CreateCompatibleBitmap(mono.dc, 5, 5);
    BITMAP bm{};
    GetObjectA(made, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(made);
    made = CreateCompatibleBitmap(colour.dc, 0, 5);
    GetObjectA(made, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(made);
    DeleteObject(background);
}

TEST_F(GdiTest, HandlesOfTheWrongKindOrDeletedAreRefused)
{
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(Rectangle(pen, 0, 0, 5, 5), FALSE);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    HDC dc = NewImageDC(4, 4);
    EXPECT_EQ(SelectObject(dc, pen), 0u);
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_NE(GetStockObject(BLACK_PEN), 0u);
    // An object deleted while selected keeps drawing until it is replaced.
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    SelectObject(dc, brush);
    DeleteObject(brush);
    PatBlt(dc, 0, 0, 4, 4, PATCOPY);
    EXPECT_EQ(At(2, 2), 0x00FF00u);
    EXPECT_EQ(CreateCompatibleBitmap(12345, 4, 4), 0u);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 8, nullptr), 0u);
}

} // namespace
} // namespace win
