// Scroll bars reporting the Win32 scroll codes (the handler may change the
// position), progress bars stepping within their range, spin edits kept within
// their limits (none while the limits are equal), and group boxes holding
// controls.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QGroupBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSpinBox>

#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TGroupBox.h"
#include "platform/forms/TProgressBar.h"
#include "platform/forms/TScrollBar.h"

using namespace win;
using formstest::App;

namespace {

class RangeControlsTest : public formstest::ControlsOnForm {};

TEST_F(RangeControlsTest, ScrollBarReportsScrollCodes)
{
    auto *bar = Add<TScrollBar>();
    bar->Kind = sbVertical;
    bar->SetParams(10, 0, 100);
    bar->LargeChange = 20;
    std::vector<std::pair<TScrollCode, int>> seen;
    bar->OnScroll = [&](TObject *sender, TScrollCode code, int &pos) {
        EXPECT_EQ(sender, bar);
        seen.emplace_back(code, pos);
        if (code == scPageDown)
            pos = 35;
    };
    int changes = 0;
    bar->OnChange = [&](TObject *) { ++changes; };
    form->Show();
    auto *slider = static_cast<QAbstractSlider *>(bar->Widget());
    EXPECT_EQ(slider->value(), 10);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->Position, 35);
    EXPECT_EQ(slider->value(), 35);
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    slider->triggerAction(QAbstractSlider::SliderToMaximum);
    std::vector<std::pair<TScrollCode, int>> expected{{scPageDown, 30}, {scEndScroll, 35}, {scLineUp, 34},
                                                      {scEndScroll, 34}, {scBottom, 100}, {scEndScroll, 100}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(changes, 3);
    bar->Position = 500;
    EXPECT_EQ(bar->Position, 100);
}

TEST_F(RangeControlsTest, ProgressSpinAndGroupBox)
{
    auto *progress = Add<TProgressBar>();
    progress->Max = 150;
    for (int i = 0; i < 16; ++i)
        progress->StepIt();
    EXPECT_EQ(progress->Position, 150);

    auto *spin = Add<TCSpinEdit>();
    spin->MinValue = 0;
    spin->MaxValue = 1000;
    spin->Increment = 5;
    int changes = 0;
    spin->OnChange = [&](TObject *) { ++changes; };
    spin->Value = 1200;
    EXPECT_EQ(spin->Value, 1000);
    form->Show();
    auto *box = static_cast<QSpinBox *>(spin->Widget());
    box->stepDown();
    EXPECT_EQ(spin->Value, 995);
    EXPECT_EQ(changes, 2);
    spin->MinValue = 1;
    spin->MaxValue = 1;
    spin->Value = 5000;
    EXPECT_EQ(spin->Value, 5000);

    // Typing off: keys that type change nothing, the arrow keys still step.
    auto *stepped = Add<TCSpinEdit>();
    stepped->MinValue = 1;
    stepped->MaxValue = 20;
    stepped->Value = 8;
    stepped->EditorEnabled = false;
    auto *steppedBox = static_cast<QSpinBox *>(stepped->Widget());
    auto key = [steppedBox](int k, const char *text = "") {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString::fromLatin1(text));
        QCoreApplication::sendEvent(steppedBox, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, QString::fromLatin1(text));
        QCoreApplication::sendEvent(steppedBox, &release);
    };
    key(Qt::Key_End);
    key(Qt::Key_Backspace);
    key(Qt::Key_5, "5");
    key(Qt::Key_Return);
    EXPECT_EQ(stepped->Value, 8);
    key(Qt::Key_Up);
    EXPECT_EQ(stepped->Value, 9);
    // Typing on again: the typed number is taken.
    stepped->EditorEnabled = true;
    key(Qt::Key_End);
    key(Qt::Key_Backspace);
    key(Qt::Key_4, "4");
    key(Qt::Key_Return);
    EXPECT_EQ(stepped->Value, 4);

    auto *group = Add<TGroupBox>();
    group->Caption = "步长";
    auto *inside = new TButton(form);
    inside->Parent = group;
    inside->SetBounds(10, 20, 40, 20);
    EXPECT_EQ(static_cast<QGroupBox *>(group->Widget())->title(), QStringView(u"步长").toString());
    EXPECT_EQ(inside->Widget()->parentWidget(), group->Widget());
}

} // namespace
