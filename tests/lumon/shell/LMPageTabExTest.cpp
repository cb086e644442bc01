// The rounded tab strip on its rendered image: derived colours and the forced
// font, cell sizes and the filler cell, the half-disc spin buttons, refusals by
// OnTabChange, scrolling, and a shorter title list keeping the selection valid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TabStripFixture.h"
#include "lumon/shell/LMPageTab.h"
#include "lumon/shell/LMPageTabEx.h"
#include "platform/win/Messages.h"

using namespace win;
using tabtest::App;
using tabtest::At;
using tabtest::Pixel;

namespace {

class ProbeTabEx : public TLMPageTabEx {
public:
    using TLMPageTabEx::TLMPageTabEx;
    int First() const { return first_; }
    int Last() const { return last_; }
    TRect Cell(int i) const { return cellRects_[i]; }
    TRect LeftSpin() const { return leftSpin_; }
    TRect RightSpin() const { return rightSpin_; }
};

using Form = tabtest::StripForm<ProbeTabEx>;

class LMPageTabExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new Form(&App(), 188);
        tab = form->strip;
        tab->OnTabChange = [this](TObject *sender, int index, bool &allow) {
            EXPECT_EQ(sender, tab);
            asked.push_back(index);
            allow = allow_;
        };
    }
    void TearDown() override { delete form; }
    void SetTitles(std::initializer_list<const char *> titles)
    {
        TStringList list;
        for (const char *t : titles)
            list.Add(t);
        tab->Titles = &list;
        tab->Repaint();
    }
    void SetMany(int count)
    {
        TStringList list;
        for (int i = 0; i < count; ++i)
            list.Add(("标题" + std::to_string(i)).c_str());
        tab->Titles = &list;
        tab->Repaint();
    }
    HWND Wnd() { return tab->Handle; }

    Form *form = nullptr;
    ProbeTabEx *tab = nullptr;
    std::vector<int> asked;
    bool allow_ = true;
};

TEST_F(LMPageTabExTest, CellsFillerAndColoursFollowTheStripColour)
{
    EXPECT_EQ(tab->Font->Height, -20);
    EXPECT_EQ(tab->Font->Color, clBlack);
    SetTitles({"A"});
    EXPECT_EQ(tab->LeftSpin(), TRect(12, 0, 24, 24));
    EXPECT_EQ(tab->RightSpin(), TRect(164, 0, 176, 24));
    // A one-character title gets a 26-pixel cell; the filler runs to the right
    // spin button.
    EXPECT_EQ(tab->Cell(0), TRect(25, 0, 50, 24));
    EXPECT_EQ(tab->Last(), 1);
    EXPECT_EQ(tab->Cell(1), TRect(51, 0, 163, 24));

    const TColor filler = ShadeColor(clGray, 50, false);
    const TColor active = ShadeColor(clGray, 40, true);
    EXPECT_EQ(Pixel(Wnd(), 100, 12), ColorToRGB(filler));
    EXPECT_EQ(Pixel(Wnd(), 100, 0), ColorToRGB(ShadeColor(filler, 20, true)));
    EXPECT_EQ(Pixel(Wnd(), 100, 22), ColorToRGB(ShadeColor(filler, 10 * 20 / 12, false)));
    EXPECT_EQ(Pixel(Wnd(), 27, 12), ColorToRGB(active));
    EXPECT_EQ(Pixel(Wnd(), 27, 1), ColorToRGB(ShadeColor(active, 11 * 40 / 12, true)));
    // Light left edge, dark right edge.
    EXPECT_EQ(Pixel(Wnd(), 25, 5), ColorToRGB(ShadeColor(clGray, 50, true)));
    EXPECT_EQ(Pixel(Wnd(), 50, 5), ColorToRGB(ShadeColor(clGray, 50, false)));
    EXPECT_TRUE(tabtest::Shows(Wnd(), tab->Cell(0), ColorToRGB(clBlack)));
    // The left half-disc: dark outline at its leftmost point, the strip's colour
    // outside it, white arrows.
    EXPECT_EQ(Pixel(Wnd(), 12, 12), ColorToRGB(ShadeColor(clGray, 50, false)));
    EXPECT_EQ(Pixel(Wnd(), 13, 1), ColorToRGB(clGray));
    EXPECT_EQ(Pixel(Wnd(), 18, 12), ColorToRGB(clWhite));
    EXPECT_EQ(Pixel(Wnd(), 169, 12), ColorToRGB(clWhite));

    tab->Color = clNavy;
    EXPECT_EQ(Pixel(Wnd(), 100, 12), ColorToRGB(ShadeColor(clNavy, 50, false)));
}

TEST_F(LMPageTabExTest, SetFontKeepsBlackTitlesOfTheControlHeight)
{
    TFont red;
    red.Color = clRed;
    red.Height = -8;
    red.Name = "宋体";
    tab->SetFont(&red);
    EXPECT_EQ(tab->Font->Height, -20);
    EXPECT_EQ(tab->Font->Color, clBlack);
    EXPECT_EQ(AnsiString(tab->Font->Name), AnsiString("宋体"));
    SetTitles({"红", "B"});
    EXPECT_TRUE(tabtest::Shows(Wnd(), tab->Cell(1), ColorToRGB(clBlack)));
    EXPECT_FALSE(tabtest::Shows(Wnd(), tab->Cell(1), ColorToRGB(clRed)));
}

TEST_F(LMPageTabExTest, RefusedChangesLeaveEverythingAsItWas)
{
    SetMany(10);
    allow_ = false;
    auto before = tabtest::Picture(Wnd(), 188, 24);
    TRect second = tab->Cell(1);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(second.Left + 3, 12));
    tab->ActiveTab = 9;
    EXPECT_EQ(asked, (std::vector<int>{1, 9}));
    EXPECT_EQ(tab->ActiveTab, 0);
    EXPECT_EQ(tab->First(), 0);
    EXPECT_EQ(tabtest::Picture(Wnd(), 188, 24), before);

    allow_ = true;
    asked.clear();
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(second.Left + 3, 12));
    EXPECT_EQ(tab->ActiveTab, 1);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(second.Left + 3, 12));
    tab->ActiveTab = 1;
    tab->ActiveTab = 10;
    EXPECT_EQ(asked, std::vector<int>{1});
    tab->ActiveTab = 9;
    EXPECT_EQ(tab->ActiveTab, 9);
    EXPECT_GT(tab->First(), 0);
    EXPECT_LE(tab->First(), 9);
}

TEST_F(LMPageTabExTest, SpinButtonsAndKeysScroll)
{
    SetMany(10);
    ASSERT_LT(tab->Last(), 10);
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(tab->First(), 1);
    EXPECT_EQ(tab->Cell(1).Left, tab->LeftSpin().Right + 1);
    tab->Perform(WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(tab->First(), 0);

    // A held spin button shows a lighter half-disc.
    const TColor lighter = ShadeColor(clGray, 50, true);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 3));
    EXPECT_EQ(tab->First(), 0);
    EXPECT_EQ(Pixel(Wnd(), 22, 3), ColorToRGB(lighter));
    tab->Perform(WM_LBUTTONUP, 0, At(20, 3));
    EXPECT_EQ(Pixel(Wnd(), 22, 3), ColorToRGB(clGray));

    for (int i = 0; i < 20; ++i) {
        tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(167, 12));
        tab->Perform(WM_LBUTTONUP, 0, At(167, 12));
    }
    EXPECT_GT(tab->First(), 0);
    // Scrolled as far as it goes: the last title is whole.
    EXPECT_TRUE(tab->Last() == 10 || tab->Cell(tab->Last()).Right + 1 >= tab->Cell(tab->Last()).Left + 26);
    int first = tab->First();
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(tab->First(), first);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(tab->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(LMPageTabExTest, ShorterTitleListKeepsTheSelectionInside)
{
    SetMany(10);
    tab->ActiveTab = 8;
    ASSERT_EQ(tab->ActiveTab, 8);
    SetTitles({"A", "B"});
    EXPECT_EQ(tab->ActiveTab, 1);
    EXPECT_LE(tab->First(), 1);
    EXPECT_EQ(tab->Last(), 2);
    SetTitles({});
    EXPECT_EQ(tab->ActiveTab, 0);
    EXPECT_EQ(tab->First(), 0);
    EXPECT_EQ(tab->Cell(0), TRect(25, 0, 163, 24));
}

} // namespace
