// Menus built at run time (their Tag reaching the handler through a real Qt
// popup), radio items of a group, short cuts, and the check, radio button and
// radio group controls checking one item.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>

#include "FormsFixture.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TRadioGroup.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

QMenu *ShownPopup()
{
    QMenu *menu = nullptr;
    PumpUntil([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) != nullptr; }, 1000);
    return menu;
}

TEST(MenuTest, RunTimeItemsCarryTheirTagToTheHandler)
{
    App();
    TPopupMenu popup(&App());
    std::vector<int> tags;
    AnsiString senderClass;
    int popups = 0;
    popup.OnPopup = [&](TObject *) { ++popups; };
    auto handler = [&](TObject *sender) {
        senderClass = sender->ClassName();
        tags.push_back(static_cast<TComponent *>(sender)->Tag);
    };
    for (int i = 0; i < 3; ++i) {
        auto *item = new TMenuItem(&popup);
        item->Caption = ("周期" + std::to_string(i)).c_str();
        item->Tag = 100 + i;
        item->OnClick = handler;
        popup.Items->Add(item);
    }
    auto *hidden = new TMenuItem(&popup);
    hidden->Caption = "隐藏";
    hidden->Visible = false;
    popup.Items->Insert(0, hidden);
    EXPECT_EQ(popup.Items->Count, 4);
    EXPECT_EQ(popup.Items->Items[1]->Tag, 100);

    popup.Popup(10, 10);
    EXPECT_EQ(popups, 1);
    QMenu *menu = ShownPopup();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[2]->text(), QStringView(u"周期2").toString());
    menu->actions()[2]->trigger();
    EXPECT_EQ(tags, std::vector<int>{102});
    EXPECT_EQ(senderClass, AnsiString("TMenuItem"));
    menu->close();

    popup.Items->Delete(1);
    EXPECT_EQ(popup.Items->Count, 3);
    popup.Items->Clear();
    EXPECT_EQ(popup.Items->Count, 0);
}

TEST(MenuTest, AMenuDroppedWhileACommandRunsLivesUntilTheCommandHasReturned)
{
    // A command that shows a modal box runs the event loop, where the menu bar
    // may be rebuilt; the menu whose event runs the command must outlive it.
    App();
    TPopupMenu popup(&App());
    auto *item = new TMenuItem(&popup);
    item->Caption = "断开连接(&D)";
    popup.Items->Add(item);
    QPointer<QMenu> dropped = new QMenu;
    bool aliveInside = false;
    item->OnClick = [&](TObject *) {
        RetireQtMenu(dropped);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveInside = !dropped.isNull();
    };
    popup.Popup(10, 10);
    QMenu *menu = ShownPopup();
    ASSERT_NE(menu, nullptr);
    menu->actions()[0]->trigger();
    EXPECT_TRUE(aliveInside);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dropped.isNull());
    menu->close();
    // Outside a command a dropped menu goes at once.
    QPointer<QMenu> other = new QMenu;
    RetireQtMenu(other);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(other.isNull());
}

TEST(MenuTest, RadioItemsOfAGroupAndShortCuts)
{
    App();
    TPopupMenu popup(&App());
    TMenuItem *items[3];
    for (int i = 0; i < 3; ++i) {
        items[i] = new TMenuItem(&popup);
        items[i]->RadioItem = true;
        items[i]->GroupIndex = i < 2 ? 1 : 2;
        items[i]->AutoCheck = true;
        popup.Items->Add(items[i]);
    }
    items[2]->Checked = true;
    items[0]->Click();
    items[1]->Click();
    EXPECT_FALSE(items[0]->Checked);
    EXPECT_TRUE(items[1]->Checked);
    EXPECT_TRUE(items[2]->Checked);

    auto *sub = new TMenuItem(&popup);
    auto *copy = new TMenuItem(&popup);
    copy->ShortCut = ShortCut('C', TShiftState() << ssCtrl);
    sub->Add(copy);
    popup.Items->Add(sub);
    EXPECT_EQ(popup.FindShortCut(ShortCut('C', TShiftState() << ssCtrl)), copy);
    copy->Enabled = false;
    EXPECT_EQ(popup.FindShortCut(ShortCut('C', TShiftState() << ssCtrl)), nullptr);
}

TEST(MenuTest, RightClickShowsTheControlsPopupMenu)
{
    App();
    auto *form = new TForm(&App());
    auto *panel = new TPanel(form);
    panel->Parent = form;
    TPopupMenu popup(&App());
    auto *item = new TMenuItem(&popup);
    item->Caption = "项";
    popup.Items->Add(item);
    int popups = 0;
    popup.OnPopup = [&](TObject *) { ++popups; };
    panel->PopupMenu = &popup;
    form->Show();
    panel->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELONG(5, 5));
    panel->Perform(WM_RBUTTONUP, 0, MAKELONG(5, 5));
    EXPECT_EQ(popups, 1);
    QMenu *menu = ShownPopup();
    ASSERT_NE(menu, nullptr);
    menu->close();
    popup.AutoPopup = false;
    panel->Perform(WM_RBUTTONUP, 0, MAKELONG(5, 5));
    EXPECT_EQ(popups, 1);
    panel->PopupMenu = nullptr;
    delete form;
}

TEST(ChoiceControlsTest, RadioGroupAndButtonsCheckOneItem)
{
    App();
    auto *form = new TForm(&App());
    auto *group = new TRadioGroup(form);
    group->Parent = form;
    group->Caption = "周期";
    TStringList items;
    for (const char *t : {"日线", "周线", "月线"})
        items.Add(t);
    group->Items = &items;
    int clicks = 0;
    group->OnClick = [&](TObject *) { ++clicks; };
    form->Show();
    EXPECT_EQ(group->ItemIndex, -1);
    group->ItemIndex = 1;
    EXPECT_EQ(clicks, 1);
    auto buttons = group->Widget()->findChildren<QAbstractButton *>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons[1]->isChecked());
    buttons[2]->click();
    EXPECT_EQ(group->ItemIndex, 2);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(buttons[1]->isChecked());
    group->ItemIndex = 7;
    EXPECT_EQ(group->ItemIndex, -1);

    auto *a = new TRadioButton(form);
    a->Parent = form;
    auto *b = new TRadioButton(form);
    b->Parent = form;
    a->Checked = true;
    b->Checked = true;
    EXPECT_FALSE(a->Checked);
    auto *check = new TCheckBox(form);
    check->Parent = form;
    int checks = 0;
    check->OnClick = [&](TObject *) { ++checks; };
    check->Checked = true;
    EXPECT_EQ(checks, 1);
    static_cast<QAbstractButton *>(check->Widget())->click();
    EXPECT_FALSE(check->Checked);
    EXPECT_EQ(checks, 2);
    delete form;
}

} // namespace
