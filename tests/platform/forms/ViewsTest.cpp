// The tab set (no tab shown selected at -1, OnChange refusing a change), tool
// buttons (one down per group, hidden buttons taking no room, the bar's images),
// tree and list views reporting selection changes, the image list drawing its
// pictures, the scroll box moving its controls, and the screen and mouse globals.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTreeWidget>

#include "FormsFixture.h"
#include "platform/forms/TAction.h"
#include "platform/forms/TActionList.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TImageList.h"
#include "platform/forms/TListView.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMouse.h"
#include "platform/forms/TScreen.h"
#include "platform/forms/TScrollBox.h"
#include "platform/forms/TTabSet.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/forms/TTreeView.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Window.h"

using namespace win;
using formstest::App;
using formstest::PumpUntil;

namespace {

LPARAM At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

// Whether the rendered control shows `colour` at (x, y) once painted.
bool Shows(TControl *control, int x, int y, TColor colour)
{
    return PumpUntil(
        [&] {
            HDC dc = GetDC(control->Handle);
            COLORREF c = GetPixel(dc, x, y);
            ReleaseDC(control->Handle, dc);
            return c == ColorToRGB(colour);
        },
        1000);
}

void LeftClick(TControl *control, int x, int y)
{
    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    control->Perform(WM_LBUTTONUP, 0, At(x, y));
}

// A bitmap of w x h pixels, each `piece` pixels wide stripe in the next colour.
void Stripes(TBitmap &bitmap, int w, int h, int piece, std::initializer_list<TColor> colours)
{
    bitmap.SetSize(w, h);
    int x = 0;
    for (TColor c : colours) {
        bitmap.Canvas->Brush->Color = c;
        bitmap.Canvas->FillRect(TRect(x, 0, x + piece, h));
        x += piece;
    }
}

class ViewsTest : public formstest::ControlsOnForm {};

TEST_F(ViewsTest, TabSetShowsNoSelectedTabAtMinusOneAndOnChangeMayRefuse)
{
    auto *tabs = Add<TTabSet>();
    tabs->SetBounds(0, 0, 300, 20);
    tabs->SelectedColor = clRed;
    tabs->UnselectedColor = clWhite;
    tabs->BackgroundColor = clBlue;
    for (const char *t : {"沪A", "深A", "自选股"})
        tabs->Tabs->Add(t);
    std::vector<int> asked;
    int refuse = -2;
    int clicks = 0;
    tabs->OnChange = [&](TObject *sender, int newTab, bool &allow) {
        EXPECT_EQ(sender, tabs);
        asked.push_back(newTab);
        allow = newTab != refuse;
    };
    tabs->OnClick = [&](TObject *) { ++clicks; };
    form->Show();
    EXPECT_EQ(tabs->TabIndex, -1);
    // A point inside each tab, clear of its caption.
    auto inside = [&](int i) { return TPoint(tabs->ItemRect(i).Left + 2, tabs->ItemRect(i).Top + 3); };
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Shows(tabs, inside(i).x, inside(i).y, clWhite)) << i;
    EXPECT_TRUE(Shows(tabs, 295, 10, clBlue));

    tabs->TabIndex = 1;
    EXPECT_TRUE(Shows(tabs, inside(1).x, inside(1).y, clRed));
    EXPECT_TRUE(Shows(tabs, inside(0).x, inside(0).y, clWhite));
    refuse = 2;
    tabs->TabIndex = 2;
    LeftClick(tabs, inside(2).x, inside(2).y);
    EXPECT_EQ(tabs->TabIndex, 1);
    LeftClick(tabs, inside(0).x, inside(0).y);
    EXPECT_EQ(tabs->TabIndex, 0);
    LeftClick(tabs, inside(0).x, inside(0).y);
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 2, 0}));
    EXPECT_EQ(clicks, 2);

    // No tab: asked like any other change, and nothing is painted selected.
    tabs->TabIndex = -1;
    EXPECT_EQ(asked.back(), -1);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Shows(tabs, inside(i).x, inside(i).y, clWhite)) << i;
    tabs->TabIndex = 5;
    EXPECT_EQ(tabs->TabIndex, -1);
    tabs->TabIndex = 2;
    EXPECT_EQ(tabs->TabIndex, -1);
    refuse = -2;
    tabs->TabIndex = 2;
    tabs->Tabs->Delete(2);
    EXPECT_EQ(tabs->TabIndex, 1);
    EXPECT_EQ(tabs->ItemAtPos(inside(1)), 1);
    EXPECT_EQ(tabs->ItemAtPos(TPoint(295, 10)), -1);

    // A selected tab that does not fit is scrolled into the strip.
    tabs->SetBounds(0, 0, tabs->ItemRect(1).Right - 5, 20);
    tabs->TabIndex = 0;
    tabs->TabIndex = 1;
    EXPECT_EQ(tabs->FirstIndex, 1);
    EXPECT_LE(tabs->ItemRect(1).Right, tabs->Width);
    tabs->TabIndex = 0;
    EXPECT_EQ(tabs->FirstIndex, 0);
}

TEST_F(ViewsTest, TabSetScrollsByItsArrowsWhenTheTabsDoNotFit)
{
    auto *tabs = Add<TTabSet>();
    tabs->SetBounds(0, 0, 220, 20);
    tabs->UnselectedColor = clWhite;
    tabs->BackgroundColor = clBlue;
    for (int i = 0; i < 16; ++i)
        tabs->Tabs->Add(("板块" + std::to_string(i + 1)).c_str());
    form->Show();
    const TRect left = tabs->ScrollLeftRect(), right = tabs->ScrollRightRect();
    ASSERT_EQ(right.Right, 220);
    ASSERT_GT(left.Width(), 0);
    // No tab lies under the arrows, and the arrows are drawn there.
    EXPECT_EQ(tabs->ItemAtPos(TPoint(right.Left + 3, 10)), -1);
    EXPECT_FALSE(Shows(tabs, right.Left + 3, 10, clBlue));
    // Left at the start does nothing; right walks the strip up to the last tab.
    LeftClick(tabs, left.Left + 4, 10);
    EXPECT_EQ(tabs->FirstIndex, 0);
    int steps = 0;
    while (tabs->ItemRect(15).Right > left.Left && steps < 20) {
        LeftClick(tabs, right.Left + 4, 10);
        ++steps;
    }
    EXPECT_LT(steps, 16);
    const int first = tabs->FirstIndex;
    LeftClick(tabs, right.Left + 4, 10);
    EXPECT_EQ(tabs->FirstIndex, first) << "the last tab shown: no further";
    EXPECT_EQ(tabs->TabIndex, -1) << "the arrows select no tab";
    const TRect last = tabs->ItemRect(15);
    LeftClick(tabs, last.Left + 3, 5);
    EXPECT_EQ(tabs->TabIndex, 15);
    for (int i = 0; i < 20; ++i)
        LeftClick(tabs, left.Left + 4, 10);
    EXPECT_EQ(tabs->FirstIndex, 0);
    EXPECT_EQ(tabs->ItemAtPos(TPoint(tabs->ItemRect(0).Left + 2, 5)), 0);

    // Wide enough for every tab: no arrows, and the strip starts at the first
    // tab again.
    tabs->TabIndex = 0;
    tabs->TabIndex = 15;
    EXPECT_GT(tabs->FirstIndex, 0);
    tabs->SetBounds(0, 0, 2000, 20);
    EXPECT_EQ(tabs->FirstIndex, 0);
    EXPECT_EQ(tabs->ScrollRightRect().Width(), 0);
    EXPECT_EQ(tabs->ItemAtPos(TPoint(tabs->ItemRect(15).Left + 3, 5)), 15);
    // Narrow again: the selected last tab stays in view.
    tabs->SetBounds(0, 0, 220, 20);
    EXPECT_GT(tabs->FirstIndex, 0);
    EXPECT_LE(tabs->ItemRect(15).Right, tabs->ScrollLeftRect().Left);
}

TEST_F(ViewsTest, ToolButtonsKeepOneDownPerGroupAndShowTheBarsImages)
{
    auto *bar = Add<TToolBar>();
    auto *images = new TImageList(form);
    images->Width = 10;
    images->Height = 10;
    TBitmap strip;
    Stripes(strip, 20, 10, 10, {clRed, clLime});
    images->Add(&strip);
    bar->Images = images;
    auto button = [&](TToolButtonStyle style, bool grouped, int tag) {
        auto *b = new TToolButton(form);
        b->Style = style;
        b->Grouped = grouped;
        b->Tag = tag;
        b->Parent = bar;
        return b;
    };
    TToolButton *day = button(tbsCheck, true, 8);
    TToolButton *week = button(tbsCheck, true, 9);
    TToolButton *month = button(tbsCheck, true, 10);
    TToolButton *gap = button(tbsSeparator, false, 0);
    TToolButton *line = button(tbsCheck, true, 0);
    TToolButton *plain = button(tbsButton, false, 1);
    week->ImageIndex = 1;
    plain->Hint = "帮助";
    std::vector<int> tags;
    for (TToolButton *b : {day, week, month, gap, line, plain})
        b->OnClick = [&](TObject *sender) { tags.push_back(static_cast<TComponent *>(sender)->Tag); };
    form->Show();
    EXPECT_EQ(bar->GetAlign(), alTop);
    EXPECT_EQ(bar->ButtonCount, 6);
    EXPECT_EQ(week->GetBoundsRect(), TRect(23, 0, 46, 22));
    EXPECT_EQ(gap->GetWidth(), 8);
    EXPECT_EQ(line->GetLeft(), 77);

    LeftClick(day, 5, 5);
    LeftClick(line, 5, 5);
    LeftClick(week, 5, 5);
    EXPECT_FALSE(day->Down);
    EXPECT_TRUE(week->Down);
    EXPECT_TRUE(line->Down);
    // The down button of a group stays down; a separator does not click.
    LeftClick(week, 5, 5);
    LeftClick(gap, 2, 2);
    EXPECT_TRUE(week->Down);
    month->Down = true;
    EXPECT_FALSE(week->Down);
    EXPECT_TRUE(line->Down);
    LeftClick(plain, 5, 5);
    EXPECT_FALSE(plain->Down);
    EXPECT_EQ(tags, (std::vector<int>{8, 0, 9, 9, 1}));

    // The image is centred: (23 - 10) / 2 = 6 across, (22 - 10) / 2 = 6 down.
    EXPECT_TRUE(Shows(week, 6, 6, clLime));
    EXPECT_TRUE(Shows(week, 15, 15, clLime));
    EXPECT_TRUE(Shows(week, 3, 3, bar->Color));

    // Hidden buttons take no room.
    day->Visible = false;
    week->Visible = false;
    EXPECT_EQ(month->GetLeft(), 0);
    EXPECT_EQ(plain->GetLeft(), 54);
    day->Visible = true;
    EXPECT_EQ(month->GetLeft(), 23);
}

TEST_F(ViewsTest, TreeViewReportsSelectionChangesWithAbsoluteIndexes)
{
    auto *tree = Add<TTreeView>();
    tree->SetBounds(0, 0, 150, 180);
    tree->ReadOnly = true;
    tree->AutoExpand = true;
    TTreeNode *system = tree->Items->Add(nullptr, "系统指标");
    TTreeNode *main = tree->Items->AddChild(system, "主图指标");
    TTreeNode *trend = tree->Items->Add(system, "趋向指标");
    TTreeNode *custom = tree->Items->Add(system, "自定义指标");
    std::vector<int> changes;
    tree->OnChange = [&](TObject *sender, TTreeNode *node) {
        EXPECT_EQ(sender, tree);
        changes.push_back(node ? node->AbsoluteIndex : -1);
    };
    std::vector<char> keys;
    tree->OnKeyPress = [&](TObject *, char &key) { keys.push_back(key); };
    form->Show();
    EXPECT_EQ(tree->Items->Count, 4);
    EXPECT_EQ(main->AbsoluteIndex, 1);
    EXPECT_EQ(custom->AbsoluteIndex, 3);
    EXPECT_EQ(tree->Items->Item[2], trend);
    EXPECT_EQ(main->Parent, system);

    // Inserted at run time, shown in the widget at its place.
    TTreeNode *often = tree->Items->Insert(custom, "常用指标");
    EXPECT_EQ(custom->AbsoluteIndex, 4);
    auto *widget = static_cast<QTreeWidget *>(tree->Widget());
    ASSERT_EQ(widget->topLevelItemCount(), 4);
    EXPECT_EQ(widget->topLevelItem(2)->text(0), QStringView(u"常用指标").toString());
    EXPECT_EQ(widget->topLevelItem(0)->child(0)->text(0), QStringView(u"主图指标").toString());
    EXPECT_FALSE(widget->topLevelItem(0)->flags() & Qt::ItemIsEditable);

    // The program's choice, then the user's; AutoExpand opens the chosen node
    // and closes the one left.
    tree->Selected = system;
    EXPECT_TRUE(system->Expanded);
    EXPECT_TRUE(widget->topLevelItem(0)->isExpanded());
    widget->setCurrentItem(widget->topLevelItem(3));
    EXPECT_EQ(tree->Selected, custom);
    EXPECT_FALSE(system->Expanded);
    EXPECT_FALSE(widget->topLevelItem(0)->isExpanded());
    widget->setCurrentItem(widget->topLevelItem(0)->child(0));
    EXPECT_EQ(tree->Selected, main);
    often->Selected = true;
    EXPECT_EQ(changes, (std::vector<int>{0, 4, 1, 3}));

    tree->Perform(WM_CHAR, 0x1B, 1);
    EXPECT_EQ(keys, std::vector<char>{0x1B});

    // Freeing the selected node leaves none selected.
    often->Delete();
    EXPECT_EQ(tree->Selected, nullptr);
    EXPECT_EQ(tree->Items->Count, 4);
    EXPECT_EQ(widget->topLevelItemCount(), 3);
    tree->Items->Clear();
    EXPECT_EQ(widget->topLevelItemCount(), 0);
}

TEST_F(ViewsTest, ListViewShowsColumnsAndSubItemsAndReportsTheSelectedRow)
{
    auto *list = Add<TListView>();
    list->SetBounds(0, 0, 290, 150);
    list->RowSelect = true;
    list->ReadOnly = true;
    list->HotTrack = true;
    const std::pair<const char *, int> columns[] = {{"指标名称", 61}, {"指标说明", 140}, {"指标热键", 82}};
    for (auto [caption, width] : columns) {
        TListColumn *c = list->Columns->Add();
        c->Caption = caption;
        c->Width = width;
    }
    for (const char *name : {"MACD", "KDJ", "RSI"}) {
        TListItem *item = list->Items->Add();
        item->Caption = name;
        item->SubItems->Add("说明");
        item->SubItems->Add(AnsiString(name) + "热键");
    }
    int clicks = 0;
    int doubles = 0;
    list->OnClick = [&](TObject *) { ++clicks; };
    list->OnDblClick = [&](TObject *) { ++doubles; };
    form->Show();
    auto *widget = static_cast<QTreeWidget *>(list->Widget());
    ASSERT_EQ(widget->topLevelItemCount(), 3);
    EXPECT_EQ(widget->columnCount(), 3);
    EXPECT_EQ(widget->columnWidth(1), 140);
    EXPECT_EQ(widget->headerItem()->text(2), QStringView(u"指标热键").toString());
    EXPECT_EQ(widget->topLevelItem(1)->text(2), QStringView(u"KDJ热键").toString());
    EXPECT_EQ(widget->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->Selected, nullptr);
    EXPECT_EQ(list->ItemIndex, -1);

    // The user's choice and the program's.
    widget->setCurrentItem(widget->topLevelItem(2));
    EXPECT_EQ(list->Selected, list->Items->Item[2]);
    EXPECT_EQ(list->ItemIndex, 2);
    list->ItemIndex = 0;
    EXPECT_TRUE(widget->topLevelItem(0)->isSelected());
    EXPECT_FALSE(widget->topLevelItem(2)->isSelected());
    list->Items->Item[0]->SubItems->Delete(0);
    EXPECT_EQ(widget->topLevelItem(0)->text(1), QStringView(u"MACD热键").toString());

    QRect row = widget->visualItemRect(widget->topLevelItem(1));
    QPoint p = row.center();
    formstest::LeftClick(widget->viewport(), p);
    EXPECT_EQ(list->ItemIndex, 1);
    EXPECT_EQ(clicks, 1);
    QMouseEvent twice(QEvent::MouseButtonDblClick, p, widget->viewport()->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget->viewport(), &twice);
    EXPECT_EQ(doubles, 1);

    list->Items->Delete(1);
    EXPECT_EQ(list->Selected, nullptr);
    EXPECT_EQ(widget->topLevelItemCount(), 2);
    list->Items->Clear();
    EXPECT_EQ(widget->topLevelItemCount(), 0);
}

TEST(ImageListTest, CutsStripsIntoImagesAndDrawsThemAtXY)
{
    App();
    TImageList images(nullptr);
    EXPECT_EQ(images.Width, 16);
    EXPECT_EQ(images.Height, 16);
    TBitmap strip;
    Stripes(strip, 32, 16, 16, {clRed, clBlue});
    EXPECT_EQ(images.Add(&strip), 0);
    TBitmap single;
    Stripes(single, 8, 8, 8, {clLime});
    EXPECT_EQ(images.Add(&single), 2);
    EXPECT_EQ(images.Count, 3);
    EXPECT_EQ(images.Add(nullptr), -1);

    TBitmap canvas;
    Stripes(canvas, 60, 40, 60, {clBlack});
    images.Draw(canvas.Canvas, 5, 7, 1);
    images.Draw(canvas.Canvas, 30, 7, 2);
    images.Draw(canvas.Canvas, 0, 0, 3);
    HDC dc = canvas.Canvas->Handle;
    const struct {
        int x, y;
        TColor colour;
    } cases[] = {
        {5, 7, clBlue}, {20, 22, clBlue}, {4, 7, clBlack}, {21, 7, clBlack}, {5, 23, clBlack},
        // A smaller picture keeps white right of and below it.
        {30, 7, clLime}, {37, 14, clLime}, {38, 7, clWhite}, {30, 15, clWhite}, {0, 0, clBlack},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetPixel(dc, c.x, c.y), ColorToRGB(c.colour)) << c.x << "," << c.y;

    images.Width = 10;
    EXPECT_EQ(images.Count, 0);
}

TEST_F(ViewsTest, ScrollBoxShowsABarAndMovesItsControls)
{
    auto *box = Add<TScrollBox>();
    box->SetBounds(0, 0, 150, 100);
    std::vector<TEdit *> edits;
    for (int i = 0; i < 8; ++i) {
        auto *edit = new TEdit(form);
        edit->Parent = box;
        edit->SetBounds(10, 5 + i * 25, 100, 21);
        edits.push_back(edit);
    }
    form->Show();
    EXPECT_LT(box->ClientWidth, 150);
    EXPECT_EQ(box->ClientHeight, 100);
    box->VertPosition = 40;
    EXPECT_EQ(box->VertPosition, 40);
    EXPECT_EQ(edits[0]->GetTop(), 5 - 40);
    EXPECT_EQ(edits[0]->Widget()->y(), 5 - 40);
    box->ScrollInView(edits[7]);
    EXPECT_EQ(edits[7]->GetTop() + 21, 100);
    box->VertPosition = 1000;
    EXPECT_EQ(edits[7]->GetTop() + 21, 100);
    box->ScrollInView(edits[0]);
    EXPECT_EQ(edits[0]->GetTop(), 0);
    EXPECT_EQ(box->VertPosition, 5);
    // Fewer controls: no bar, and the contents back at the top.
    for (int i = 3; i < 8; ++i)
        delete edits[static_cast<size_t>(i)];
    box->VertPosition = 0;
    box->UpdateScrollBars();
    EXPECT_EQ(box->ClientWidth, 150);
    EXPECT_EQ(edits[0]->GetTop(), 5);
}

TEST(ScreenAndMouseTest, SizeCursorFormsAndPointerPosition)
{
    App();
    EXPECT_GT(Screen->Width, 0);
    EXPECT_GT(Screen->Height, 0);
    Screen->Cursor = crHourGlass;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->Cursor = crHandPoint;
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    Screen->Cursor = crDefault;
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    int before = Screen->FormCount;
    auto *form = new TForm(&App());
    auto *child = new TForm(form);
    EXPECT_EQ(Screen->FormCount, before + 2);
    EXPECT_EQ(Screen->Forms(before), form);
    EXPECT_EQ(Screen->Forms(before + 1), child);
    EXPECT_EQ(Screen->Forms(-1), nullptr);
    // The active form, also one whose window holds a menu bar.
    form->Menu = new TMainMenu(form);
    form->Show();
    form->Widget()->activateWindow();
    EXPECT_TRUE(PumpUntil([&] { return Screen->ActiveForm == form; }));
    delete form;
    EXPECT_EQ(Screen->ActiveForm, nullptr);
    EXPECT_EQ(Screen->FormCount, before);

    Mouse->CursorPos = TPoint(40, 50);
    EXPECT_EQ(TPoint(Mouse->CursorPos), TPoint(40, 50));
}

TEST(ClassNameTest, EveryClassNamesItself)
{
    App();
    TForm form(nullptr);
    auto *tree = new TTreeView(&form);
    auto *list = new TListView(&form);
    const std::pair<TObject *, const char *> cases[] = {
        {new TMainMenu(&form), "TMainMenu"},     {new TActionList(&form), "TActionList"},
        {new TAction(&form), "TAction"},         {new TImageList(&form), "TImageList"},
        {new TTabSet(&form), "TTabSet"},         {new TScrollBox(&form), "TScrollBox"},
        {list, "TListView"},
        {new TToolBar(&form), "TToolBar"},       {new TToolButton(&form), "TToolButton"},
        {tree, "TTreeView"},                     {tree->Items, "TTreeNodes"},
        {tree->Items->Add(nullptr, "节点"), "TTreeNode"},
        {list->Columns, "TListColumns"},         {list->Columns->Add(), "TListColumn"},
        {list->Items, "TListItems"},             {list->Items->Add(), "TListItem"},
        {Screen, "TScreen"},                     {Mouse, "TMouse"},
    };
    for (auto [object, name] : cases)
        EXPECT_EQ(object->ClassName(), AnsiString(name));
}

} // namespace
