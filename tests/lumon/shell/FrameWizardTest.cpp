// A typed character over the frame opens the keyboard wizard at the frame's
// lower right, and the frame carries out the choice.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/SmartKB.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/ModalScript.h"

using namespace framefixture;
using namespace win;

namespace {

class FrameWizardTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        frame->CreateSmartKB();
        ASSERT_NE(frame->SmartKB, nullptr);
        page = NewTestPage(frame);
        list = AddTestView(page, VIEW_REPORT);
        list->Activate();
        MarkDrawn(page);
    }
    void TearDown() override
    {
        frame->DeleteSmartKB();
        FrameTest::TearDown();
    }
    // Types `c` over the frame, through the application's message hook as a
    // queued character comes; `inside` works the wizard once it shows. True
    // when the hook took the character.
    bool TypeChar(char c, std::function<void(TSmartKB *)> inside)
    {
        TSmartKB *kb = frame->SmartKB;
        testsupport::ModalScript script("智能键盘", [kb, inside, c](HWND) {
            // The character reaches the wizard's box as a posted message: the
            // script waits for it, so that it is not typed after what the
            // script writes there.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (std::string(AnsiString(kb->Edit1->Text).c_str()).find(c) == std::string::npos &&
                   std::chrono::steady_clock::now() < end)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            inside(kb);
        });
        MSG msg{frame->Handle, WM_CHAR, WPARAM(uint8_t(c)), 0, 0, {0, 0}};
        bool handled = false;
        frame->AppMessage(msg, handled);
        return handled;
    }
    static void Press(TSmartKB *kb, WORD key) { kb->Edit1KeyDown(kb->Edit1, key, TShiftState()); }

    TestViews views;
    TMultiViewMain *page = nullptr;
    FrameTestView *list = nullptr;
};

TEST_F(FrameWizardTest, TypingOpensTheWizardAtTheLowerRightWithTheCharacter)
{
    std::string typed;
    int left = 0, top = 0, rows = 0;
    EXPECT_TRUE(TypeChar('6', [&](TSmartKB *kb) {
        typed = AnsiString(kb->Edit1->Text).c_str();
        left = kb->Left;
        top = kb->Top;
        rows = kb->DrawGrid1->RowCount;
        QImage image = kb->Widget()->window()->grab().toImage();
        image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/frame_wizard.png"));
        Press(kb, VK_ESCAPE);
    }));
    EXPECT_EQ(typed, "6");
    EXPECT_EQ(left, frame->Left + frame->Width - frame->SmartKB->Width - 3);
    EXPECT_EQ(top, frame->Top + frame->Height - frame->SmartKB->Height - 19);
    EXPECT_GT(rows, 7);
    // Esc opened nothing.
    EXPECT_EQ(page->Panes->GetCount(), 2);
    EXPECT_EQ(frame->SmartKB->OK, 0);
    // Enter and Esc are swallowed while no dialog is open; '?', '*' and '/' pass.
    for (char c : {'\r', '\x1B'}) {
        MSG msg{frame->Handle, WM_CHAR, WPARAM(c), 0, 0, {0, 0}};
        EXPECT_TRUE(frame->WizardKeyChar(msg));
    }
    for (char c : {'*', '/', '?'}) {
        MSG msg{frame->Handle, WM_CHAR, WPARAM(c), 0, 0, {0, 0}};
        EXPECT_FALSE(frame->WizardKeyChar(msg));
    }
}

TEST_F(FrameWizardTest, APageRowOpensThePageAsTheMenuWould)
{
    // "." lists the default page and the installation's saved pages; the last
    // row is a saved page.
    ScriptMessageBoxAnswers({IDNO, IDNO});
    EXPECT_TRUE(TypeChar('.', [](TSmartKB *kb) {
        kb->DrawGrid1->Row = kb->ResultCount - 1;
        Press(kb, VK_RETURN);
    }));
    ASSERT_NE(frame->CurrentPage, nullptr);
    EXPECT_NE(frame->CurrentPage, page) << "the chosen page replaced the test page";
    const std::string path = frame->CurrentPage->Path.c_str();
    EXPECT_NE(QString::fromLatin1(path.c_str()).toLower().indexOf(".ppg"), -1) << path;
    EXPECT_EQ(std::string(ReadLastPagePath().c_str()), path) << "remembered as a menu choice is";
    page = nullptr;
}

TEST_F(FrameWizardTest, AChosenStockOpensInTheChartThatTrendFirstNames)
{
    const StockStaticRecord &s = MarketTable.Markets[0]->Statics[5];
    std::string code(s.Code, size_t(StockCodeLength(s)));
    for (bool trendFirst : {true, false}) {
        SCOPED_TRACE(trendFirst);
        page = NewTestPage(frame);
        list = AddTestView(page, VIEW_REPORT);
        list->Activate();
        frame->MenuItem94->Checked = trendFirst;
        EXPECT_TRUE(TypeChar(code[0], [&](TSmartKB *kb) {
            kb->Edit1->Text = code.c_str();
            Press(kb, VK_RETURN);
        }));
        uint16_t type = trendFirst ? VIEW_TREND : VIEW_KLINE;
        TMultiViewChild *chart = page->FindPaneByType(type, 1);
        ASSERT_NE(chart, nullptr);
        EXPECT_EQ(uint32_t(chart->Attr.Stock), MakeStockId(0, s.Class, 5));
    }
}

TEST_F(FrameWizardTest, AnIndicatorNotifiesTheActivePaneAndAKeyIsPosted)
{
    EXPECT_TRUE(TypeChar('M', [](TSmartKB *kb) {
        kb->Edit1->Text = "MACD";
        Press(kb, VK_RETURN);
    }));
    auto notes = list->Notes(3);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0][2], 45);

    // "09" (F9) goes to the active pane as a key.
    EXPECT_TRUE(TypeChar('0', [](TSmartKB *kb) {
        kb->Edit1->Text = "09";
        Press(kb, VK_RETURN);
    }));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, list->Handle, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(VK_F9));
}

TEST_F(FrameWizardTest, AQuoteListCommandNotifiesTheQuoteList)
{
    EXPECT_TRUE(TypeChar('6', [](TSmartKB *kb) {
        kb->Edit1->Text = "61";
        Press(kb, VK_RETURN);
    }));
    auto notes = list->Notes(1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0][2], 0x10000 + 1 + MarketTable.Count);
    EXPECT_EQ(notes[0][3], 11);
}

} // namespace
