// Page controls showing the active sheet (OnShow, OnChange, tabs at the
// bottom), grouped speed buttons staying down one at a time and their glyphs.
#include <gtest/gtest.h>

#include <QImage>
#include <QTabBar>
#include <QToolButton>

#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TCanvas.h"

using namespace win;

namespace {

class PagesTest : public formstest::ControlsOnForm {};

// The pixels of a grab that `match`.
template <typename Match>
int CountPixels(const QImage &image, Match match)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += match(image.pixel(x, y)) ? 1 : 0;
    return n;
}

TEST_F(PagesTest, PageControlShowsTheActiveSheet)
{
    auto *pages = Add<TPageControl>();
    pages->SetBounds(0, 0, 280, 180);
    pages->TabPosition = tpBottom;
    std::vector<int> shown;
    TTabSheet *sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(form);
        sheets[i]->Caption = ("表" + std::to_string(i)).c_str();
        sheets[i]->Tag = 10 + i;
        sheets[i]->OnShow = [&shown](TObject *sender) { shown.push_back(static_cast<TComponent *>(sender)->Tag); };
        sheets[i]->PageControl = pages;
    }
    int changes = 0;
    pages->OnChange = [&](TObject *) { ++changes; };
    form->Show();
    EXPECT_EQ(pages->PageCount, 3);
    EXPECT_EQ(pages->ActivePageIndex, 0);
    EXPECT_TRUE(sheets[0]->Visible);
    EXPECT_FALSE(sheets[1]->Visible);
    auto *bar = pages->Widget()->findChild<QTabBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->count(), 3);
    EXPECT_EQ(bar->tabText(2), QStringView(u"表2").toString());
    EXPECT_GT(bar->geometry().top(), sheets[0]->Top);
    EXPECT_EQ(sheets[0]->Top, 0);

    bar->setCurrentIndex(2);
    EXPECT_EQ(pages->ActivePage, sheets[2]);
    EXPECT_TRUE(sheets[2]->Visible);
    EXPECT_FALSE(sheets[0]->Visible);
    pages->ActivePage = sheets[1];
    EXPECT_EQ(bar->currentIndex(), 1);
    EXPECT_EQ(shown, (std::vector<int>{10, 12, 11}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sheets[1]->PageIndex, 1);
    delete sheets[0];
    EXPECT_EQ(pages->PageCount, 2);
    EXPECT_EQ(pages->ActivePage, sheets[1]);
}

TEST_F(PagesTest, GroupedSpeedButtonsStayDownOneAtATime)
{
    TSpeedButton *buttons[3];
    int clicks = 0;
    for (int i = 0; i < 3; ++i) {
        buttons[i] = Add<TSpeedButton>();
        buttons[i]->GroupIndex = i < 2 ? 1 : 0;
        buttons[i]->Flat = true;
        buttons[i]->OnClick = [&](TObject *) { ++clicks; };
    }
    form->Show();
    static_cast<QToolButton *>(buttons[0]->Widget())->click();
    EXPECT_TRUE(buttons[0]->Down);
    buttons[1]->Down = true;
    EXPECT_FALSE(buttons[0]->Down);
    EXPECT_FALSE(static_cast<QToolButton *>(buttons[0]->Widget())->isChecked());
    buttons[1]->Click();
    EXPECT_TRUE(buttons[1]->Down);
    buttons[1]->AllowAllUp = true;
    buttons[1]->Click();
    EXPECT_FALSE(buttons[1]->Down);
    buttons[2]->Click();
    EXPECT_FALSE(buttons[2]->Down);
    EXPECT_EQ(clicks, 4);
}

TEST_F(PagesTest, ASpeedButtonDrawsItsGlyphWithTheBottomLeftColourClear)
{
    auto *button = Add<TSpeedButton>();
    button->SetBounds(10, 10, 25, 25);
    button->Flat = true;
    // A 16 x 16 glyph: olive background (the clear colour), a red square.
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas->Brush->Color = TColor(RGB(128, 128, 0));
    glyph.Canvas->FillRect(TRect(0, 0, 16, 16));
    glyph.Canvas->Brush->Color = TColor(RGB(255, 0, 0));
    glyph.Canvas->FillRect(TRect(4, 4, 12, 12));
    button->Glyph = &glyph;
    EXPECT_EQ(button->Glyph->Width, 16);
    form->Show();
    const QImage shown = button->Widget()->grab().toImage();
    EXPECT_GE(CountPixels(shown, [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }), 60);
    EXPECT_EQ(CountPixels(shown, [](QRgb p) { return qRed(p) == 128 && qGreen(p) == 128 && qBlue(p) == 0; }), 0);
    // Drawing on the button's own glyph shows after GlyphChanged; an empty glyph
    // leaves the caption alone.
    button->Glyph->Canvas->Brush->Color = TColor(RGB(0, 0, 255));
    button->Glyph->Canvas->FillRect(TRect(4, 4, 12, 12));
    button->GlyphChanged();
    const QImage blue = button->Widget()->grab().toImage();
    EXPECT_GE(CountPixels(blue, [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60; }), 60);
    TBitmap none;
    button->Glyph = &none;
    button->Caption = "字";
    EXPECT_TRUE(static_cast<QToolButton *>(button->Widget())->icon().isNull());
}

TEST_F(PagesTest, AWindowMadeEarlyInAHiddenSheetKeepsTheSheetHidden)
{
    auto *pages = Add<TPageControl>();
    pages->SetBounds(0, 0, 280, 180);
    TTabSheet *sheets[2];
    for (auto *&sheet : sheets) {
        sheet = new TTabSheet(form);
        sheet->PageControl = pages;
    }
    auto *edit = new TEdit(form);
    edit->Parent = sheets[1];
    int changes = 0;
    edit->OnChange = [&](TObject *) { ++changes; };
    edit->Text = "路径";
    edit->HandleNeeded();
    form->Show();
    EXPECT_TRUE(sheets[0]->Widget()->isVisible());
    EXPECT_FALSE(sheets[1]->Widget()->isVisible());
    // Making the window with the text is no change; setting it later is.
    EXPECT_EQ(changes, 0);
    edit->Text = "目录";
    EXPECT_EQ(changes, 1);
}

} // namespace
