// The sloped tab strip on its rendered image: tab rectangles and colours, the
// band without titles, the 128-title limit, scrolling by keys and spin buttons
// (with the auto-repeat on the test clock), selection by click and by index.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TabStripFixture.h"
#include "lumon/shell/LMPageTab.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"

using namespace win;
using tabtest::App;
using tabtest::At;
using tabtest::Pixel;
using tabtest::PumpUntil;

namespace {

// Opens the strip's state to the tests.
class ProbeTab : public TLMPageTab {
public:
    using TLMPageTab::TLMPageTab;
    int First() const { return first_; }
    int End() const { return end_; }
    int Active() const { return active_; }
    TRect Tab(int i) const { return tabRects_[i]; }
    int TitleWidth(int i) const { return titleWidths_[i]; }
    TRect LeftSpin() const { return leftSpin_; }
    TRect RightSpin() const { return rightSpin_; }
    bool Repeating() const { return repeat_->Enabled; }
};

using Form = tabtest::StripForm<ProbeTab>;

TEST(ShadeColorTest, LightensAndDarkensEachByte)
{
    struct Case {
        TColor color;
        int percent;
        bool lighten;
        TColor expected;
    } cases[] = {
        {0x808080, 50, true, 0xBFBFBF},  {0x808080, 50, false, 0x404040}, {0x102030, 10, false, 0x0F1D2C},
        {0x102030, 150, true, 0xFFFFFF}, {0x102030, -5, true, 0x102030},  {clBackground, 0, true, clBackground & 0xFFFFFF},
        {clBackground, 100, true, 0xFFFFFF}, {0xC0C0C0, 36, true, 0xD6D6D6},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ShadeColor(c.color, c.percent, c.lighten), c.expected)
            << std::hex << c.color << " " << std::dec << c.percent << " " << c.lighten;
}

class LMPageTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new Form(&App(), 188);
        tab = form->strip;
        tab->OnTitleChange = [this](TObject *sender, int index) {
            EXPECT_EQ(sender, tab);
            changes.push_back(index);
        };
    }
    void TearDown() override
    {
        ClearTestClock();
        delete form;
    }
    void Fill(int count)
    {
        tab->ClearTitle();
        for (int i = 0; i < count; ++i)
            tab->AddTitle(("标题" + std::to_string(i)).c_str());
    }
    HWND Wnd() { return tab->Handle; }

    Form *form = nullptr;
    ProbeTab *tab = nullptr;
    std::vector<int> changes;
};

TEST_F(LMPageTabTest, TabsSitBetweenTheSpinButtonsInTheirColours)
{
    for (const char *title : {"A", "BB", "C"})
        tab->AddTitle(title);
    tab->Repaint();
    const int fh = tab->Font->Height;
    const int s = 4;
    EXPECT_EQ(tab->LeftSpin(), TRect(0, 0, -fh, 24));
    EXPECT_EQ(tab->RightSpin(), TRect(188 + fh, 0, 188, 24));
    int left = -fh + s;
    for (int i = 0; i < 3; ++i) {
        TRect expected(left, 0, left + tab->TitleWidth(i) + 4 * s + 8, 24);
        EXPECT_EQ(tab->Tab(i), expected) << i;
        left = expected.Right;
    }
    EXPECT_EQ(tab->End(), 3);

    // Spin buttons: grey frame, silver face, black arrows.
    EXPECT_EQ(Pixel(Wnd(), 0, 0), ColorToRGB(clGray));
    EXPECT_EQ(Pixel(Wnd(), 2, 2), ColorToRGB(clSilver));
    EXPECT_EQ(Pixel(Wnd(), -fh / 3 + 2, 12), ColorToRGB(clBlack));
    EXPECT_EQ(Pixel(Wnd(), 188 + fh / 3 - 3, 12), ColorToRGB(clBlack));
    // The active tab (0) in black with a blue title, the others silver with white
    // titles, the rest of the band in the strip's colour.
    TRect a = tab->Tab(0);
    EXPECT_EQ(Pixel(Wnd(), a.Left + 5, 21), ColorToRGB(clBlack));
    EXPECT_TRUE(tabtest::Shows(Wnd(), a, ColorToRGB(clBlue)));
    EXPECT_FALSE(tabtest::Shows(Wnd(), a, ColorToRGB(clWhite)));
    TRect b = tab->Tab(1);
    EXPECT_EQ(Pixel(Wnd(), b.Left + 5, 21), ColorToRGB(clSilver));
    EXPECT_TRUE(tabtest::Shows(Wnd(), b, ColorToRGB(clWhite)));
    EXPECT_EQ(Pixel(Wnd(), tab->Tab(2).Right + s + 2, 12), ColorToRGB(clBackground));

    tab->ActiveFontColor = clRed;
    EXPECT_TRUE(tabtest::Shows(Wnd(), a, ColorToRGB(clRed)));
    tab->ActiveButtonColor = clGreen;
    EXPECT_EQ(Pixel(Wnd(), a.Left + 5, 21), ColorToRGB(clGreen));
}

TEST_F(LMPageTabTest, WithoutTitlesOnlyTheBandIsDrawn)
{
    Fill(0);
    tab->Color = clNavy;
    tab->Repaint();
    TRect l = tab->LeftSpin();
    TRect r = tab->RightSpin();
    for (int x = l.Right; x < r.Left; x += 7)
        for (int y = 0; y < 24; y += 5)
            ASSERT_EQ(Pixel(Wnd(), x, y), ColorToRGB(clNavy)) << x << "," << y;
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(80, 10));
    tab->Perform(WM_LBUTTONUP, 0, At(80, 10));
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(r.Left + 2, 10));
    tab->Perform(WM_LBUTTONUP, 0, At(r.Left + 2, 10));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(tab->First(), 0);
    EXPECT_FALSE(tab->Repeating());
}

TEST_F(LMPageTabTest, TitlesStopAt128)
{
    Fill(128);
    tab->Repaint();
    auto before = tabtest::Picture(Wnd(), 188, 24);
    tab->AddTitle("多余");
    EXPECT_EQ(tab->GetTitles()->Count(), 128);
    EXPECT_EQ(tabtest::Picture(Wnd(), 188, 24), before);

    TStringList many;
    for (int i = 0; i < 130; ++i)
        many.Add("t");
    tab->Titles = &many;
    EXPECT_EQ(tab->GetTitles()->Count(), 128);
}

TEST_F(LMPageTabTest, ArrowKeysScrollWithoutChangingTheActiveTab)
{
    Fill(12);
    ASSERT_LT(tab->End(), 12);
    PostMessageA(Wnd(), WM_KEYDOWN, VK_RIGHT, 1);
    ASSERT_TRUE(PumpUntil([&] { return tab->First() == 1; }));
    // The tab scrolled out leaves its sliver (and the active one is it).
    EXPECT_EQ(tab->Tab(0), TRect(tab->LeftSpin().Right, 0, tab->LeftSpin().Right + 4, 24));
    EXPECT_EQ(Pixel(Wnd(), tab->LeftSpin().Right + 1, 1), ColorToRGB(clBlack));
    PostMessageA(Wnd(), WM_KEYDOWN, VK_LEFT, 1);
    ASSERT_TRUE(PumpUntil([&] { return tab->First() == 0; }));
    for (int i = 0; i < 20; ++i)
        tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(tab->End(), 12);
    int first = tab->First();
    TRect last = tab->Tab(11);
    EXPECT_LE(last.Right, tab->RightSpin().Left - 4);
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(tab->First(), first);
    EXPECT_EQ(tab->Active(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(LMPageTabTest, HeldSpinButtonRepeatsOnTheClock)
{
    Fill(20);
    SetTestClock(1'700'000'000'000, 1'000'000);
    TRect r = tab->RightSpin();
    int x = r.Left + 3;
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, 12));
    EXPECT_EQ(tab->First(), 1);
    EXPECT_TRUE(tab->Repeating());
    // The held right arrow is drawn one pixel further right.
    EXPECT_EQ(Pixel(Wnd(), 188 + tab->Font->Height / 3, 12), ColorToRGB(clBlack));

    // A tick is due by the test clock; the loop still wakes for it in real time.
    auto after = [&](DWORD ms, int expected, int waitMs = 1000) {
        AdvanceTestClock(ms);
        return PumpUntil([&] { return tab->First() == expected; }, waitMs);
    };
    EXPECT_FALSE(after(399, 2, 300));
    EXPECT_TRUE(after(1, 2));
    EXPECT_TRUE(after(100, 3));
    EXPECT_TRUE(after(100, 4));
    // Off the button the repeat pauses; back on it resumes.
    tab->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(90, 12));
    EXPECT_FALSE(after(100, 5, 300));
    EXPECT_FALSE(after(100, 5, 300));
    tab->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(x, 12));
    EXPECT_TRUE(after(100, 5));
    // Until the last tab fits.
    for (int i = 0; i < 40 && tab->Repeating(); ++i) {
        int before = tab->First();
        AdvanceTestClock(100);
        ASSERT_TRUE(PumpUntil([&] { return tab->First() != before || !tab->Repeating(); }, 1000));
    }
    EXPECT_FALSE(tab->Repeating());
    EXPECT_EQ(tab->End(), 20);
    tab->Perform(WM_LBUTTONUP, 0, At(x, 12));
    EXPECT_EQ(Pixel(Wnd(), 188 + tab->Font->Height / 3, 12), ColorToRGB(clSilver));

    int first = tab->First();
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(tab->LeftSpin().Left + 3, 12));
    EXPECT_EQ(tab->First(), first - 1);
    tab->Perform(WM_LBUTTONUP, 0, At(3, 12));
    EXPECT_FALSE(tab->Repeating());
}

TEST_F(LMPageTabTest, ClicksSelectTabsAndTheSliverScrollsIn)
{
    Fill(12);
    TRect b = tab->Tab(1);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(b.Left + 5, 12));
    EXPECT_EQ(changes, std::vector<int>{1});
    EXPECT_EQ(Pixel(Wnd(), b.Left + 5, 21), ColorToRGB(clBlack));
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(b.Left + 5, 12));
    EXPECT_EQ(changes.size(), 1u);

    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    tab->Perform(WM_KEYDOWN, VK_RIGHT, 1);
    ASSERT_EQ(tab->First(), 3);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(tab->LeftSpin().Right + 1, 3));
    EXPECT_EQ(changes.back(), 2);
    EXPECT_EQ(tab->First(), 2);
    EXPECT_EQ(tab->Tab(2).Left, tab->LeftSpin().Right + 4);

    // The last, cut tab scrolls into view when clicked.
    TStringList titles;
    for (const char *title : {"A", "B", "C", "一二三四五六七八"})
        titles.Add(title);
    tab->Titles = &titles;
    ASSERT_EQ(tab->End(), 4);
    TRect cut = tab->Tab(3);
    ASSERT_EQ(cut.Right, tab->RightSpin().Left - 4);
    tab->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(cut.Left + 2, 12));
    EXPECT_EQ(changes.back(), 3);
    EXPECT_EQ(tab->First(), 2);
    EXPECT_EQ(tab->Tab(3).Right, tab->Tab(3).Left + tab->TitleWidth(3) + 24);
}

TEST_F(LMPageTabTest, SetActiveTabItemScrollsAndReportsOnlyChanges)
{
    Fill(12);
    tab->SetActiveTabItem(0);
    tab->SetActiveTabItem(-1);
    tab->SetActiveTabItem(12);
    EXPECT_TRUE(changes.empty());
    tab->SetActiveTabItem(10);
    EXPECT_EQ(changes, std::vector<int>{10});
    EXPECT_LE(tab->First(), 10);
    EXPECT_LT(10, tab->End());
    tab->SetActiveTabItem(1);
    EXPECT_EQ(tab->First(), 1);
    EXPECT_EQ(changes.back(), 1);

    // Filled and selected before its first paint, a strip scrolls by its real width.
    auto *fresh = new ProbeTab(form);
    fresh->Parent = form;
    fresh->SetBounds(0, 30, 188, 24);
    for (int i = 0; i < 12; ++i)
        fresh->AddTitle("A");
    fresh->SetActiveTabItem(2);
    EXPECT_EQ(fresh->First(), 0);
    EXPECT_GT(fresh->End(), 2);
}

TEST_F(LMPageTabTest, FlatTabsShadeTheActiveOneTowardItsEdges)
{
    Fill(3);
    tab->Slope = 0;
    tab->Repaint();
    TRect a = tab->Tab(0);
    int c = (a.Top + a.Bottom) / 2;
    for (int y : {1, 5, c, 20, 23}) {
        TColor expected = ShadeColor(clSilver, std::abs(y - c) * 80 / (a.Bottom - a.Top), true);
        EXPECT_EQ(Pixel(Wnd(), a.Left + 1, y), ColorToRGB(expected)) << y;
    }
    EXPECT_NE(Pixel(Wnd(), a.Left + 1, 1), Pixel(Wnd(), a.Left + 1, c));
}

TEST_F(LMPageTabTest, ArrowsReachTheStripInsideAForm)
{
    Fill(12);
    EXPECT_EQ(tab->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

} // namespace
