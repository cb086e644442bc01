// Panels laid out by their alignment and painted with their bevel and caption,
// paint boxes painting through OnPaint, and labels sized to their text.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "FormsFixture.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/gdi/Gdi.h"

using namespace win;
using formstest::App;

namespace {

COLORREF Pixel(TControl *control, int x, int y)
{
    HDC dc = GetDC(control->Handle);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->Handle, dc);
    return c;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new TForm(&App());
        form->BorderStyle = bsNone;
        form->SetBounds(0, 0, 400, 200);
    }
    void TearDown() override { delete form; }
    template <typename T>
    T *Add(TWinControl *parent, TAlign align, int width, int height)
    {
        auto *c = new T(form);
        c->Parent = parent;
        c->SetBounds(0, 0, width, height);
        c->Align = align;
        return c;
    }
    TForm *form = nullptr;
};

TEST_F(ControlsTest, PanelsTakeTheirPlacesByAlignment)
{
    auto *client = Add<TPanel>(form, alClient, 10, 10);
    auto *top = Add<TPanel>(form, alTop, 10, 30);
    auto *bottom = Add<TPanel>(form, alBottom, 10, 20);
    auto *left = Add<TPanel>(form, alLeft, 50, 10);
    auto *right = Add<TPanel>(form, alRight, 40, 10);
    auto *inner = Add<TPanel>(client, alBottom, 10, 15);
    form->Show();
    int w = form->ClientWidth;
    int h = form->ClientHeight;
    EXPECT_EQ(top->GetBoundsRect(), TRect(0, 0, w, 30));
    EXPECT_EQ(bottom->GetBoundsRect(), TRect(0, h - 20, w, h));
    EXPECT_EQ(left->GetBoundsRect(), TRect(0, 30, 50, h - 20));
    EXPECT_EQ(right->GetBoundsRect(), TRect(w - 40, 30, w, h - 20));
    EXPECT_EQ(client->GetBoundsRect(), TRect(50, 30, w - 40, h - 20));
    EXPECT_EQ(inner->GetBoundsRect(), TRect(0, client->Height - 15, client->Width, client->Height));

    form->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(client->GetBoundsRect(), TRect(50, 30, form->ClientWidth - 40, form->ClientHeight - 20));
    top->Visible = false;
    EXPECT_EQ(left->Top, 0);

    // The user sizes the window: the form takes the size and the panels follow.
    form->Widget()->resize(360, 240);
    EXPECT_EQ(form->ClientWidth, 360);
    EXPECT_EQ(form->ClientHeight, 240);
    EXPECT_EQ(client->GetBoundsRect(), TRect(50, 0, 360 - 40, 240 - 20));
}

TEST_F(ControlsTest, AClientControlSqueezedOutByItsSiblingsKeepsZeroWidth)
{
    // A bar narrower than its fixed boxes: the client box has no room left.
    auto *bar = Add<TPanel>(form, alBottom, 10, 18);
    auto *client = Add<TPaintBox>(bar, alClient, 100, 18);
    auto *left = Add<TPaintBox>(bar, alLeft, 370, 18);
    auto *right = Add<TPaintBox>(bar, alRight, 44, 18);
    form->Show();
    form->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(client->Width, 0);
    EXPECT_EQ(left->Width, 370);
    EXPECT_EQ(right->Width, 44);
    form->SetBounds(0, 0, 600, 100);
    EXPECT_EQ(client->GetBoundsRect(), TRect(370, 0, bar->Width - 44, 18));
}

TEST_F(ControlsTest, PanelPaintsColourBevelAndCaption)
{
    auto *panel = Add<TPanel>(form, alNone, 120, 40);
    panel->Color = clNavy;
    panel->Font->Color = clYellow;
    panel->Caption = "面板";
    form->Show();
    panel->Repaint();
    EXPECT_EQ(Pixel(panel, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(Pixel(panel, 119, 39), ColorToRGB(clBtnShadow));
    EXPECT_EQ(Pixel(panel, 5, 5), ColorToRGB(clNavy));
    bool yellow = false;
    for (int y = 10; y < 30 && !yellow; ++y)
        for (int x = 30; x < 90 && !yellow; ++x)
            yellow = Pixel(panel, x, y) == ColorToRGB(clYellow);
    EXPECT_TRUE(yellow);
    panel->BevelOuter = bvNone;
    panel->Repaint();
    EXPECT_EQ(Pixel(panel, 0, 0), ColorToRGB(clNavy));
}

TEST_F(ControlsTest, PaintBoxPaintsThroughOnPaint)
{
    auto *box = Add<TPaintBox>(form, alNone, 50, 50);
    int paints = 0;
    box->OnPaint = [&](TObject *sender) {
        EXPECT_EQ(sender, box);
        ++paints;
        box->Canvas->Brush->Color = clLime;
        box->Canvas->FillRect(TRect(0, 0, 10, 10));
    };
    form->Show();
    box->Repaint();
    EXPECT_GT(paints, 0);
    EXPECT_EQ(Pixel(box, 5, 5), ColorToRGB(clLime));
    EXPECT_EQ(box->ClassName(), AnsiString("TPaintBox"));
}

TEST_F(ControlsTest, LabelSizesToItsText)
{
    auto *label = Add<TLabel>(form, alNone, 10, 10);
    label->Caption = "价格(&P)";
    form->Show();
    int oneLine = label->Width;
    EXPECT_GT(oneLine, 10);
    label->Caption = "价格价格价格价格";
    EXPECT_GT(label->Width, oneLine);
    label->AutoSize = false;
    label->SetBounds(0, 0, 20, 13);
    label->Caption = "很长很长很长很长很长";
    EXPECT_EQ(label->Width, 20);
}

TEST_F(ControlsTest, ADisabledButtonGreysItsTextWhateverTheFontColour)
{
    auto *button = Add<TButton>(form, alNone, 90, 30);
    button->Caption = "应用";
    button->Font->Color = clRed;
    button->FontChanged();
    form->Show();
    auto redPixels = [&] {
        QImage image = button->Widget()->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == QColor(255, 0, 0);
        return n;
    };
    EXPECT_GT(redPixels(), 0);
    button->Enabled = false;
    EXPECT_EQ(redPixels(), 0);
}

} // namespace
