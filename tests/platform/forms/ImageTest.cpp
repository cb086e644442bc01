// The image control painting its picture's bitmap at the top left, centred and
// stretched, read back from the rendered control.
#include <gtest/gtest.h>

#include "FormsFixture.h"
#include "platform/forms/TImage.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

using namespace win;
using formstest::PumpUntil;

namespace {

class ImageTest : public formstest::ControlsOnForm {
protected:
    // Whether the rendered control shows `colour` at (x, y) once painted.
    bool Shows(int x, int y, TColor colour)
    {
        return PumpUntil(
            [&] {
                HDC dc = GetDC(image->Handle);
                COLORREF c = GetPixel(dc, x, y);
                ReleaseDC(image->Handle, dc);
                return c == static_cast<COLORREF>(colour);
            },
            1000);
    }
    void SetUp() override
    {
        ControlsOnForm::SetUp();
        image = Add<TImage>();
        image->SetBounds(10, 10, 40, 30);
        image->Color = clWhite;
        // A 10 x 10 bitmap: red, with a blue right half.
        TBitmap *b = image->Picture->Bitmap;
        b->SetSize(10, 10);
        b->Canvas->Brush->Color = clRed;
        b->Canvas->FillRect(TRect(0, 0, 10, 10));
        b->Canvas->Brush->Color = clBlue;
        b->Canvas->FillRect(TRect(5, 0, 10, 10));
        form->Show();
    }
    TImage *image = nullptr;
};

TEST_F(ImageTest, DrawsTheBitmapAtTheTopLeftCentredOrStretched)
{
    EXPECT_TRUE(Shows(1, 1, clRed));
    EXPECT_TRUE(Shows(7, 5, clBlue));
    EXPECT_TRUE(Shows(20, 20, clWhite));

    image->Center = true;
    // Centred: the bitmap covers (15, 10) to (25, 20).
    EXPECT_TRUE(Shows(1, 1, clWhite));
    EXPECT_TRUE(Shows(16, 11, clRed));
    EXPECT_TRUE(Shows(23, 18, clBlue));

    image->Stretch = true;
    // Stretched over 40 x 30: red on the left half, blue on the right.
    EXPECT_TRUE(Shows(1, 1, clRed));
    EXPECT_TRUE(Shows(15, 28, clRed));
    EXPECT_TRUE(Shows(25, 1, clBlue));
    EXPECT_TRUE(Shows(38, 28, clBlue));
}

TEST_F(ImageTest, AnEmptyPictureShowsTheBackground)
{
    image->Picture->Bitmap->SetSize(0, 0);
    image->Invalidate();
    EXPECT_TRUE(Shows(1, 1, clWhite));
    EXPECT_FALSE(image->Picture->LoadFromFile("C:\\nowhere\\missing.bmp"));
    EXPECT_EQ(image->Picture->Bitmap->Width, 0);
}

} // namespace
