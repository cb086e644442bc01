// List boxes (owner-drawn items with their rectangles and states, selection by
// clicks and keys, multi-select), combo boxes (items, choice, text, OnChange)
// and memos (lines loaded from a file and shown).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>

#include <fstream>
#include <string>
#include <vector>

#include "FormsFixture.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMemo.h"
#include "platform/gdi/Gdi.h"

using namespace win;
using formstest::App;

namespace {

LPARAM At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

class ListControlsTest : public formstest::ControlsOnForm {};

TEST_F(ListControlsTest, OwnerDrawnListBoxDrawsAndSelects)
{
    auto *list = Add<TListBox>();
    list->SetBounds(0, 0, 120, 64);
    list->Style = lbOwnerDrawFixed;
    list->ItemHeight = 16;
    struct Call {
        int index;
        TRect rect;
        bool selected;
    };
    std::vector<Call> calls;
    list->OnDrawItem = [&](TWinControl *control, int index, const TRect &rect, TOwnerDrawState state) {
        EXPECT_EQ(control, list);
        calls.push_back({index, rect, state.Contains(odSelected)});
        list->Canvas->Brush->Color = state.Contains(odSelected) ? clRed : clBlue;
        list->Canvas->FillRect(rect);
    };
    for (int i = 0; i < 10; ++i)
        list->Items->Add(("第" + std::to_string(i) + "项").c_str());
    list->Items->Insert(0, "首项");
    int clicks = 0;
    list->OnClick = [&](TObject *) { ++clicks; };
    form->Show();
    list->ItemIndex = 1;
    calls.clear();
    list->Repaint();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].rect, TRect(0, 16, 120, 32));
    EXPECT_TRUE(calls[1].selected);
    EXPECT_FALSE(calls[2].selected);
    HDC dc = GetDC(list->Handle);
    EXPECT_EQ(GetPixel(dc, 5, 20), ColorToRGB(clRed));
    EXPECT_EQ(GetPixel(dc, 5, 40), ColorToRGB(clBlue));
    ReleaseDC(list->Handle, dc);

    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 40));
    list->Perform(WM_LBUTTONUP, 0, At(10, 40));
    EXPECT_EQ(list->ItemIndex, 2);
    EXPECT_EQ(clicks, 1);
    list->Perform(WM_KEYDOWN, VK_END, 1);
    EXPECT_EQ(list->ItemIndex, 10);
    EXPECT_EQ(list->TopIndex, 7);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(list->ItemAtPos(10, 5), 7);
    list->Items->Delete(10);
    EXPECT_EQ(list->ItemIndex, -1);

    list->MultiSelect = true;
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 5));
    list->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, At(10, 21));
    EXPECT_EQ(list->SelCount, 2);
    EXPECT_TRUE(list->GetSelected(8));
}

TEST_F(ListControlsTest, ComboBoxItemsChoiceAndText)
{
    auto *combo = Add<TComboBox>();
    combo->Style = csDropDownList;
    for (const char *p : {"即时", "1分", "日线"})
        combo->Items->Add(p);
    combo->ItemIndex = 2;
    std::vector<int> changes;
    combo->OnChange = [&](TObject *) { changes.push_back(combo->ItemIndex); };
    form->Show();
    auto *box = static_cast<QComboBox *>(combo->Widget());
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_EQ(combo->Text, AnsiString("日线"));
    box->setCurrentIndex(1);
    EXPECT_EQ(combo->ItemIndex, 1);
    EXPECT_EQ(changes, std::vector<int>{1});

    auto *search = Add<TComboBox>();
    search->DropDownCount = 5;
    search->Items->Add("新闻");
    form->Show();
    auto *edit = static_cast<QComboBox *>(search->Widget());
    EXPECT_EQ(edit->maxVisibleItems(), 5);
    edit->setEditText(QStringView(u"公告").toString());
    EXPECT_EQ(search->Text, AnsiString("公告"));
    EXPECT_EQ(search->ItemIndex, -1);
    search->Text = "新闻";
    EXPECT_EQ(search->ItemIndex, 0);
}

TEST_F(ListControlsTest, SimpleComboBoxKeepsItsListOpen)
{
    auto *combo = Add<TComboBox>();
    combo->Style = csSimple;
    combo->SetBounds(0, 0, 160, 100);
    for (const char *p : {"01 指标背景", "02 阴线颜色", "03 阳线颜色"})
        combo->Items->Add(p);
    auto *small = Add<TComboBox>();
    small->Style = csSimple;
    small->SetBounds(0, 110, 160, 22);
    std::vector<int> changes;
    combo->OnChange = [&](TObject *) { changes.push_back(combo->ItemIndex); };
    form->Show();
    auto *list = combo->Widget()->findChild<QListWidget *>();
    auto *edit = combo->Widget()->findChild<QLineEdit *>();
    ASSERT_TRUE(list && edit);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->count(), 3);
    // Below the edit, as tall as its whole rows fit in the 78 pixels left.
    const int row = list->sizeHintForRow(0), frame = 2 * list->frameWidth();
    ASSERT_GT(row, 0);
    EXPECT_EQ(list->geometry(), QRect(0, 22, 160, frame + (78 - frame) / row * row));

    // A click in the list chooses the item and shows it in the edit.
    list->setCurrentRow(1);
    EXPECT_EQ(combo->ItemIndex, 1);
    EXPECT_EQ(combo->Text, AnsiString("02 阴线颜色"));
    EXPECT_EQ(edit->text(), QStringView(u"02 阴线颜色").toString());
    // Down and Up in the edit walk the list, never past its ends.
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
    }
    EXPECT_EQ(changes, (std::vector<int>{1, 2, 1}));
    // Code choosing an item fires nothing.
    combo->ItemIndex = 0;
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(changes.size(), 3u);

    // Only the edit where the control is no taller than it.
    EXPECT_FALSE(small->Widget()->findChild<QListWidget *>()->isVisible());
}

// A simple combo box shows no row cut at the bottom: its list is rounded down
// to whole rows, at any height and after a change of font, and keeps what room
// there is when not even one row fits.
TEST_F(ListControlsTest, SimpleComboBoxListShowsWholeRowsOnly)
{
    auto *combo = Add<TComboBox>();
    combo->Style = csSimple;
    for (int i = 1; i <= 20; ++i)
        combo->Items->Add(AnsiString(("颜色 " + std::to_string(i)).c_str()));
    combo->SetBounds(0, 0, 160, 56);
    form->Show();
    auto *list = combo->Widget()->findChild<QListWidget *>();
    ASSERT_TRUE(list);
    const int frame = 2 * list->frameWidth();
    auto wholeRows = [&](int controlHeight) {
        const int row = list->sizeHintForRow(0);
        const int room = controlHeight - 22;
        const int height = list->geometry().height();
        SCOPED_TRACE(controlHeight);
        EXPECT_EQ(list->geometry().top(), 22);
        if (room - frame < row) {
            EXPECT_EQ(height, room);
            return;
        }
        EXPECT_EQ((height - frame) % row, 0) << "a row cut at the bottom";
        EXPECT_LE(height, room);
        EXPECT_GT(height + row, room) << "a whole row more would fit";
    };
    const int row = list->sizeHintForRow(0);
    ASSERT_GT(row, 0);
    for (int h : {56, 22 + frame + 3 * row, 22 + frame + 3 * row - 1, 22 + frame + 3 * row + 1, 120, 30})
    {
        combo->Height = h;
        wholeRows(h);
    }
    // A bigger font makes taller rows: the list is rounded again.
    QFont font = combo->Widget()->font();
    font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() * 2 : 26);
    combo->Widget()->setFont(font);
    combo->Height = 120;
    EXPECT_GT(list->sizeHintForRow(0), row);
    wholeRows(120);
}

TEST_F(ListControlsTest, MemoShowsLinesLoadedFromAFile)
{
    {
        std::ofstream f("notice.txt", std::ios::binary);
        f << "\xB9\xAB\xB8\xE6\r\nline two\r\n";
    }
    auto *memo = Add<TMemo>();
    memo->ReadOnly = true;
    memo->ScrollBars = ssVertical;
    ASSERT_TRUE(memo->Lines->LoadFromFile("notice.txt"));
    EXPECT_FALSE(memo->Lines->LoadFromFile("missing.txt"));
    EXPECT_EQ(memo->Lines->Count(), 2);
    form->Show();
    auto *edit = static_cast<QTextEdit *>(memo->Widget());
    EXPECT_EQ(edit->toPlainText(), QStringView(u"公告\nline two").toString());
    EXPECT_TRUE(edit->isReadOnly());
    memo->Lines->Add("三");
    EXPECT_EQ(edit->toPlainText(), QStringView(u"公告\nline two\n三").toString());
    memo->Text = "a\r\nb";
    EXPECT_EQ(memo->Lines->Count(), 2);
    EXPECT_EQ(memo->Text, AnsiString("a\r\nb\r\n"));
}

TEST_F(ListControlsTest, ClickOnAReadOnlyMemosTextIsTheMemosClick)
{
    auto *memo = Add<TMemo>();
    memo->ReadOnly = true;
    memo->Lines->Add("汉字");
    int clicks = 0;
    memo->OnClick = [&](TObject *) { ++clicks; };
    form->Show();
    formstest::LeftClick(static_cast<QTextEdit *>(memo->Widget())->viewport(), QPoint(10, 5));
    EXPECT_EQ(clicks, 1);
}

} // namespace
