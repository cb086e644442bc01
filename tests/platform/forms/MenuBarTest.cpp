// The form's main menu: the bar above the client area (which keeps its size and
// coordinates when the bar comes and goes), items built at run time reaching
// their handlers with their Tag through the real drop-downs, and the short cuts
// of the main menu, a control's popup menu and the form's action list typed in
// the form's controls.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "FormsFixture.h"
#include "platform/forms/TActionList.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

TMenuItem *AddItem(TComponent *owner, TMenuItem *parent, const char *caption, int tag = 0)
{
    auto *item = new TMenuItem(owner);
    item->Caption = caption;
    item->Tag = tag;
    parent->Add(item);
    return item;
}

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new TForm(&App());
        form->SetBounds(100, 80, 300, 200);
        menu = new TMainMenu(form);
        system = AddItem(form, menu->Items, "系统(&S)");
        exitItem = AddItem(form, system, "退出系统(&X)");
        blocks = AddItem(form, menu->Items, "板块选择");
        AddItem(form, blocks, "自选板块");
    }
    void TearDown() override { delete form; }

    QMenuBar *Bar() { return form->Widget()->window()->findChild<QMenuBar *>(); }
    // The client area's top left on the screen, and the window's.
    TPoint ClientOrigin() { return form->ClientToScreen(TPoint(0, 0)); }
    QPoint WindowOrigin() { return form->Widget()->window()->mapToGlobal(QPoint(0, 0)); }
    // Types a key with Ctrl into the widget as the user would.
    void CtrlKey(QWidget *target, Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier, QString(QChar(key - Qt::Key_A + 1)));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier);
        QCoreApplication::sendEvent(target, &release);
        // Qt keeps the modifiers of the last key pressed as the keyboard's state:
        // a key without them lets Ctrl go for the tests that follow.
        QKeyEvent clear(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &clear);
    }

    TForm *form = nullptr;
    TMainMenu *menu = nullptr;
    TMenuItem *system = nullptr;
    TMenuItem *exitItem = nullptr;
    TMenuItem *blocks = nullptr;
};

TEST_F(MenuBarTest, ClientAreaStartsBelowTheBarAndMovesUpWhenItIsHidden)
{
    auto *panel = new TPanel(form);
    panel->Parent = form;
    panel->SetBounds(0, 0, 50, 20);
    form->OnPaint = [&](TObject *) {
        form->Canvas->Brush->Color = clRed;
        form->Canvas->FillRect(TRect(60, 0, 70, 10));
    };
    std::vector<TPoint> downs;
    form->OnMouseDown = [&](TObject *, TMouseButton, TShiftState, int x, int y) { downs.push_back(TPoint(x, y)); };
    form->Menu = menu;
    form->Show();
    ASSERT_NE(Bar(), nullptr);
    ASSERT_TRUE(Bar()->isVisible());
    ASSERT_EQ(Bar()->actions().size(), 2);
    EXPECT_EQ(Bar()->actions()[0]->text(), QStringView(u"系统(&S)").toString());

    int barHeight = ClientOrigin().y - WindowOrigin().y();
    EXPECT_GT(barHeight, 10);
    EXPECT_EQ(ClientOrigin().x, WindowOrigin().x());
    EXPECT_EQ(form->Widget()->window()->height(), 200 + barHeight);
    EXPECT_EQ(form->ClientHeight, 200);
    EXPECT_EQ(form->GetClientRect(), TRect(0, 0, 300, 200));
    RECT client;
    GetClientRect(form->Handle, &client);
    EXPECT_EQ(client.bottom, 200);
    // The child control and the painting sit at the client area's origin.
    QPoint panelOrigin = panel->Widget()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(TPoint(panelOrigin.x(), panelOrigin.y()), ClientOrigin());
    ASSERT_TRUE(PumpUntil([&] {
        HDC dc = GetDC(form->Handle);
        COLORREF c = GetPixel(dc, 65, 5);
        ReleaseDC(form->Handle, dc);
        return c == RGB(255, 0, 0);
    }));
    // A click in the window below the bar arrives in client coordinates.
    QPoint inWindow(7, barHeight + 12);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(inWindow - QPoint(0, barHeight)),
                      QPointF(form->Widget()->window()->mapToGlobal(inWindow)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(form->Widget(), &press);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], TPoint(7, 12));
    EXPECT_EQ(form->ScreenToClient(TPoint(WindowOrigin().x() + 7, WindowOrigin().y() + barHeight + 12)),
              TPoint(7, 12));

    // Hidden: the client area moves up to the window's top and keeps its size.
    TPoint shown = ClientOrigin();
    form->Menu = nullptr;
    EXPECT_FALSE(Bar()->isVisible());
    EXPECT_EQ(ClientOrigin().y, shown.y - barHeight);
    EXPECT_EQ(ClientOrigin().y, WindowOrigin().y());
    EXPECT_EQ(form->ClientHeight, 200);
    EXPECT_EQ(form->Widget()->height(), 200);
    form->Menu = menu;
    EXPECT_EQ(ClientOrigin(), shown);

    // Placing the form places the window; the client area keeps the size asked.
    form->SetBounds(40, 30, 320, 180);
    EXPECT_EQ(form->Widget()->window()->geometry(), QRect(40, 30, 320, 180 + barHeight));
    EXPECT_EQ(form->Widget()->size(), QSize(320, 180));
}

TEST_F(MenuBarTest, MenuSetOnAShownFormAndRunTimeItemsReachTheirHandlers)
{
    form->Show();
    ASSERT_EQ(form->Widget()->window(), form->Widget());
    form->Menu = menu;
    ASSERT_NE(Bar(), nullptr);
    EXPECT_TRUE(form->Widget()->window()->isVisible());
    EXPECT_NE(form->Widget()->window(), form->Widget());
    EXPECT_EQ(GetParent(form->Handle), HWND(0));
    EXPECT_TRUE(IsWindowVisible(form->Handle));

    // Opening "板块选择" rebuilds its items (as the block menu does at start-up).
    std::vector<int> tags;
    AnsiString senderClass;
    int openings = 0;
    blocks->OnClick = [&](TObject *) {
        ++openings;
        blocks->Clear();
        for (int i = 0; i < 3; ++i) {
            TMenuItem *item = AddItem(form, blocks, ("板块" + std::to_string(i)).c_str(), 300 + i);
            item->RadioItem = true;
            item->Checked = i == 1;
            item->OnClick = [&](TObject *sender) {
                senderClass = sender->ClassName();
                tags.push_back(static_cast<TComponent *>(sender)->Tag);
            };
        }
    };
    QMenu *drop = Bar()->actions()[1]->menu();
    ASSERT_NE(drop, nullptr);
    drop->popup(QPoint(0, 0));
    EXPECT_EQ(openings, 1);
    ASSERT_EQ(drop->actions().size(), 3);
    EXPECT_EQ(drop->actions()[2]->text(), QStringView(u"板块2").toString());
    EXPECT_TRUE(drop->actions()[1]->isChecked());
    drop->actions()[2]->trigger();
    EXPECT_EQ(tags, std::vector<int>{302});
    EXPECT_EQ(senderClass, AnsiString("TMenuItem"));
    drop->close();

    // Top-level items inserted, hidden and deleted at run time change the bar.
    TMenuItem *trade = new TMenuItem(form);
    trade->Caption = "网上交易";
    trade->Tag = 7;
    int tradeClicks = 0;
    trade->OnClick = [&](TObject *sender) { tradeClicks += static_cast<TComponent *>(sender)->Tag; };
    menu->Items->Insert(1, trade);
    ASSERT_TRUE(PumpUntil([&] { return Bar()->actions().size() == 3; }));
    EXPECT_EQ(Bar()->actions()[1]->text(), QStringView(u"网上交易").toString());
    Bar()->actions()[1]->trigger();
    EXPECT_EQ(tradeClicks, 7);
    trade->Enabled = false;
    EXPECT_FALSE(Bar()->actions()[1]->isEnabled());
    system->Visible = false;
    EXPECT_EQ(Bar()->actions().size(), 2);
    menu->Items->Delete(menu->Items->IndexOf(trade));
    delete trade;
    EXPECT_EQ(Bar()->actions().size(), 1);
}

TEST_F(MenuBarTest, ShortCutsFireTheirItemFromAnyControlOfTheForm)
{
    auto *edit = new TEdit(form);
    edit->Parent = form;
    edit->SetBounds(10, 10, 100, 22);
    int exits = 0;
    exitItem->ShortCut = ShortCut('X', TShiftState() << ssCtrl);
    exitItem->OnClick = [&](TObject *) { ++exits; };

    TPopupMenu popup(form);
    auto *addBlock = AddItem(form, popup.Items, "添加板块(&M)");
    addBlock->ShortCut = ShortCut('M', TShiftState() << ssCtrl);
    int adds = 0;
    addBlock->OnClick = [&](TObject *) { ++adds; };
    edit->PopupMenu = &popup;

    auto *actions = new TActionList(form);
    auto *close = new TAction(form);
    close->Caption = "关闭";
    close->ShortCut = ShortCut('W', TShiftState() << ssCtrl);
    close->ActionList = actions;
    int closes = 0;
    close->OnExecute = [&](TObject *) { ++closes; };

    std::vector<WORD> formKeys;
    form->OnKeyDown = [&](TObject *, WORD &key, TShiftState) { formKeys.push_back(key); };
    form->Menu = menu;
    form->Show();
    form->ActiveControl = edit;
    ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));

    CtrlKey(edit->Widget(), Qt::Key_X);
    CtrlKey(edit->Widget(), Qt::Key_M);
    CtrlKey(edit->Widget(), Qt::Key_W);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(adds, 1);
    EXPECT_EQ(closes, 1);
    // The form's own window takes the main menu's short cuts as well.
    CtrlKey(form->Widget(), Qt::Key_X);
    EXPECT_EQ(exits, 2);
    // A disabled item or action does not fire; its key goes on as typed.
    exitItem->Enabled = false;
    close->Enabled = false;
    CtrlKey(edit->Widget(), Qt::Key_X);
    CtrlKey(edit->Widget(), Qt::Key_W);
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(closes, 1);
    // Without KeyPreview the form's handler sees only its own keys.
    EXPECT_TRUE(formKeys.empty());
    form->KeyPreview = true;
    CtrlKey(edit->Widget(), Qt::Key_X);
    EXPECT_EQ(formKeys, std::vector<WORD>{'X'});
    edit->PopupMenu = nullptr;
}

TEST_F(MenuBarTest, FreeingTheMenuOrTheFormLeavesTheOtherWhole)
{
    form->Menu = menu;
    form->Show();
    ASSERT_TRUE(Bar()->isVisible());
    delete menu;
    EXPECT_EQ(form->Menu, nullptr);
    EXPECT_FALSE(Bar()->isVisible());

    auto *other = new TMainMenu(&App());
    AddItem(other, other->Items, "工具");
    form->Menu = other;
    delete form;
    form = nullptr;
    EXPECT_EQ(other->GetForm(), nullptr);
    delete other;
}

} // namespace
