// The form library's canvas, pens, brushes, fonts and bitmaps over the drawing
// calls.
#include <QFile>

#include "GdiFixture.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TClipboard.h"

namespace win {
namespace {

TEST_F(GdiTest, CanvasXorPenDrawsACrossHairThatTheSecondDrawingRemoves)
{
    TBitmap bitmap;
    bitmap.Width = 40;
    bitmap.Height = 30;
    TCanvas *canvas = bitmap.Canvas;
    canvas->Brush->Color = clNavy;
    canvas->FillRect(Rect(0, 0, 40, 30));
    canvas->Pen->Color = clWhite;
    canvas->Pen->Mode = pmXor;
    auto cross = [&] {
        canvas->MoveTo(0, 10);
        canvas->LineTo(40, 10);
        canvas->MoveTo(20, 0);
        canvas->LineTo(20, 30);
    };
    HDC dc = canvas->Handle;
    cross();
    EXPECT_EQ(GetPixel(dc, 5, 10), RGB(255, 255, 127));
    EXPECT_EQ(GetPixel(dc, 20, 10), RGB(0, 0, 128)); // crossed twice
    cross();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(GetPixel(dc, x, y), RGB(0, 0, 128)) << x << "," << y;
    // pmNot inverts whatever is there.
    canvas->Pen->Mode = pmNot;
    canvas->MoveTo(0, 0);
    canvas->LineTo(10, 0);
    EXPECT_EQ(GetPixel(dc, 3, 0), RGB(255, 255, 127));
}

TEST_F(GdiTest, CanvasTextUsesTheFontColourAndTheBrushAsBackground)
{
    TBitmap bitmap;
    bitmap.SetSize(120, 40);
    TCanvas *canvas = bitmap.Canvas;
    canvas->Brush->Color = clBlack;
    canvas->FillRect(Rect(0, 0, 120, 40));
    canvas->Font->Name = "黑体";
    canvas->Font->Height = -16;
    canvas->Font->Color = clYellow;
    canvas->Font->Style = TFontStyles() << fsBold;
    EXPECT_GT(canvas->TextWidth("指标"), 20);
    EXPECT_EQ(canvas->TextHeight("指标"), canvas->TextExtent("x").cy);
    // TextRect fills its rectangle with a solid brush and clips the text to it.
    canvas->Brush->Color = clRed;
    canvas->TextRect(Rect(10, 5, 30, 25), 12, 6, "很长的标题");
    HDC dc = canvas->Handle;
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 29, 24), RGB(255, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 30; x < 120; ++x)
            ASSERT_EQ(GetPixel(dc, x, y), RGB(0, 0, 0)) << x << "," << y;
    // With a clear brush the text has no background.
    canvas->Brush->Style = bsClear;
    canvas->TextOut(40, 5, "文字");
    int yellow = 0;
    int red = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 40; x < 120; ++x) {
            yellow += GetPixel(dc, x, y) == RGB(255, 255, 0);
            red += GetPixel(dc, x, y) == RGB(255, 0, 0);
        }
    EXPECT_GT(yellow, 10);
    EXPECT_EQ(red, 0);
}

TEST_F(GdiTest, CanvasBrushColoursCycleAndADeletedSelectedHandleSelectsNothing)
{
    TBitmap bitmap;
    bitmap.SetSize(70, 10);
    TCanvas *canvas = bitmap.Canvas;
    // More colours than a brush keeps handles for, twice round in another order,
    // with a clear brush (which fills nothing) between them.
    const TColor colours[] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, clWhite};
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 7; ++i) {
            canvas->Brush->Style = bsSolid;
            canvas->Brush->Color = colours[(i + round * 3) % 7];
            canvas->FillRect(Rect(i * 10, 0, i * 10 + 10, 10));
            canvas->Brush->Style = bsClear;
            canvas->FillRect(Rect(0, 0, 70, 10));
        }
    }
    HDC dc = canvas->Handle;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GetPixel(dc, i * 10 + 5, 5), ColorToRGB(colours[(i + 3) % 7])) << i;

    // A deleted brush lives on where it is selected, but its handle selects
    // nothing any more.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ old = SelectObject(dc, brush);
    EXPECT_EQ(SelectObject(dc, brush), HGDIOBJ(brush));
    DeleteObject(brush);
    SetLastError(0);
    EXPECT_EQ(SelectObject(dc, brush), HGDIOBJ(0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SelectObject(dc, old);
}

TEST_F(GdiTest, FontSizeInPointsFollowsTheDeviceResolution)
{
    TFont font;
    font.Size = 9;
    EXPECT_EQ(font.Height, -12);
    font.Height = -16;
    EXPECT_EQ(int(font.Size), 12);
    TFont printerFont;
    printerFont.PixelsPerInch = 300;
    printerFont.Assign(font);
    EXPECT_EQ(printerFont.Height, -50);
    font.Color = clBtnFace;
    TCanvas canvas;
    canvas.Font = &font;
    EXPECT_EQ(canvas.Font->Color, clBtnFace);
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clBackground), GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
    // A canvas without a context draws nothing and measures nothing.
    canvas.Rectangle(0, 0, 10, 10);
    EXPECT_EQ(canvas.TextWidth("abc"), 0);
}

TEST_F(GdiTest, BitmapsKeepTheirPictureWhenResizedAndRoundTripThroughBmpFiles)
{
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    bitmap.Canvas->Brush->Color = clGreen;
    bitmap.Canvas->FillRect(Rect(0, 0, 10, 10));
    bitmap.Width = 20;
    EXPECT_EQ(int(bitmap.Width), 20);
    EXPECT_EQ(GetPixel(bitmap.Canvas->Handle, 9, 9), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(bitmap.Canvas->Handle, 15, 5), RGB(255, 255, 255));

    ASSERT_TRUE(bitmap.SaveToFile("Picture.bmp"));
    TBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromFile("PICTURE.BMP"));
    EXPECT_EQ(int(loaded.Width), 20);
    EXPECT_EQ(int(loaded.Height), 10);
    EXPECT_EQ(GetPixel(loaded.Canvas->Handle, 3, 3), RGB(0, 128, 0));
    EXPECT_FALSE(loaded.LoadFromFile("missing.bmp"));
    EXPECT_EQ(int(loaded.Width), 20);
    QFile garbage("garbage.bmp");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("BM not really a bitmap");
    garbage.close();
    EXPECT_FALSE(loaded.LoadFromFile("garbage.bmp"));

    // Drawn onto another canvas, whole or stretched.
    TBitmap target;
    target.SetSize(40, 40);
    target.Canvas->Draw(5, 5, &bitmap);
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 5, 5), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 14, 14), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 15, 5), RGB(255, 255, 255));
    target.Canvas->StretchDraw(Rect(0, 20, 40, 40), &bitmap);
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 19, 39), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 20, 39), RGB(255, 255, 255));
    target.Canvas->CopyRect(Rect(30, 0, 40, 10), bitmap.Canvas, Rect(0, 0, 10, 10));
    EXPECT_EQ(GetPixel(target.Canvas->Handle, 39, 9), RGB(0, 128, 0));
}

TEST_F(GdiTest, CanvasPolygonAndTabShapes)
{
    TBitmap bitmap;
    bitmap.SetSize(60, 30);
    TCanvas *canvas = bitmap.Canvas;
    canvas->Brush->Color = clWhite;
    canvas->FillRect(Rect(0, 0, 60, 30));
    // A tab trapezoid, wide at the top.
    canvas->Pen->Color = clGray;
    canvas->Brush->Color = clSilver;
    TPoint tab[] = {{6, 0}, {50, 0}, {46, 24}, {10, 24}};
    canvas->Polygon(tab, 3);
    HDC dc = canvas->Handle;
    EXPECT_EQ(GetPixel(dc, 28, 0), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 28, 12), RGB(192, 192, 192));
    EXPECT_EQ(GetPixel(dc, 28, 24), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 28, 25), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 3, 12), RGB(255, 255, 255));
    canvas->Polyline({TPoint(0, 29), TPoint(59, 29)});
    EXPECT_EQ(GetPixel(dc, 58, 29), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 59, 29), RGB(255, 255, 255));
}

TEST_F(GdiTest, ClipboardCarriesGbkTextAndPictures)
{
    TClipboard *clipboard = Clipboard();
    clipboard->AsText = "复制的文字";
    EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
    EXPECT_TRUE(AnsiString(clipboard->AsText) == "复制的文字");

    TBitmap picture;
    picture.SetSize(6, 4);
    picture.Canvas->Brush->Color = clRed;
    picture.Canvas->FillRect(Rect(0, 0, 6, 4));
    clipboard->Assign(&picture);
    ASSERT_TRUE(clipboard->HasFormat(CF_BITMAP));
    TBitmap saved;
    ASSERT_TRUE(saved.Assign(clipboard));
    EXPECT_EQ(int(saved.Width), 6);
    EXPECT_EQ(GetPixel(saved.Canvas->Handle, 5, 3), RGB(255, 0, 0));

    clipboard->Clear();
    EXPECT_FALSE(clipboard->HasFormat(CF_BITMAP));
    EXPECT_FALSE(saved.Assign(clipboard));
    EXPECT_EQ(int(saved.Width), 6);
}

} // namespace
} // namespace win
