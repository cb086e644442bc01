// Page controls showing the active sheet (OnShow, OnChange, tabs at the
// bottom) and grouped speed buttons staying down one at a time.
#include <gtest/gtest.h>

#include <QTabBar>
#include <QToolButton>

#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TSpeedButton.h"

using namespace win;
using formstest::App;

namespace {

TEST(PagesTest, PageControlShowsTheActiveSheet)
{
    App();
    auto *form = new TForm(&App());
    form->SetBounds(0, 0, 300, 200);
    auto *pages = new TPageControl(form);
    pages->Parent = form;
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
    delete form;
}

TEST(PagesTest, GroupedSpeedButtonsStayDownOneAtATime)
{
    App();
    auto *form = new TForm(&App());
    TSpeedButton *buttons[3];
    int clicks = 0;
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new TSpeedButton(form);
        buttons[i]->Parent = form;
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
    delete form;
}

TEST(PagesTest, AWindowMadeEarlyInAHiddenSheetKeepsTheSheetHidden)
{
    App();
    auto *form = new TForm(&App());
    form->SetBounds(0, 0, 300, 200);
    auto *pages = new TPageControl(form);
    pages->Parent = form;
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
    delete form;
}

} // namespace
