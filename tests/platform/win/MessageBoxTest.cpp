#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <thread>

#include "GuiTestSupport.h"
#include "platform/win/MessageBox.h"

using namespace win;
using wintest::EnsureGui;
using wintest::PumpUntil;

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        RecordMessageBoxes(true);
    }
    void TearDown() override { RecordMessageBoxes(false); }
};

TEST_F(MessageBoxTest, ScriptedAnswersOnTheGuiThread)
{
    ScriptMessageBoxAnswers({IDYES, IDNO, IDOK});
    EXPECT_EQ(MessageBoxA(0, "确认删除?", "提示", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBoxA(0, "再试一次?", "提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(0, "结帐单文件打开失败", nullptr, MB_OK | MB_ICONHAND | MB_TOPMOST), IDOK);

    auto shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "提示");
    EXPECT_EQ(shown[0].text, "确认删除?");
    EXPECT_EQ(shown[0].icon, MB_ICONQUESTION);
    EXPECT_EQ(shown[0].buttons, MB_YESNO);
    EXPECT_TRUE(shown[0].onGuiThread);
    // A null caption reads as the system's error title.
    EXPECT_EQ(shown[2].caption, "错误");
    EXPECT_EQ(shown[2].icon, MB_ICONHAND);
    EXPECT_EQ(shown[2].type & MB_TOPMOST, MB_TOPMOST);
}

TEST_F(MessageBoxTest, AnswersOutsideTheScriptAreTheDefaultButton)
{
    // IDOK is not a button of a Yes/No box; then the script runs out.
    ScriptMessageBoxAnswers({IDOK});
    EXPECT_EQ(MessageBoxA(0, "a", "t", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(0, "b", "t", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(MessageBoxA(0, "c", "t", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(ShownMessageBoxes().size(), 3u);
}

TEST_F(MessageBoxTest, WorkerThreadBoxIsShownOnTheGuiThread)
{
    ScriptMessageBoxAnswers({IDNO});
    int answer = 0;
    std::thread worker([&] { answer = MessageBoxA(0, "行情连接断开\r\n是否重连?", "警告", MB_YESNO | MB_ICONEXCLAMATION); });
    ASSERT_TRUE(PumpUntil([] { return !ShownMessageBoxes().empty(); }));
    worker.join();
    EXPECT_EQ(answer, IDNO);
    auto shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].onGuiThread);
    EXPECT_EQ(shown[0].caption, "警告");
    EXPECT_EQ(shown[0].text, "行情连接断开\r\n是否重连?");
    EXPECT_EQ(shown[0].icon, MB_ICONEXCLAMATION);
}

TEST_F(MessageBoxTest, QtBoxOffersChineseButtonsAndReportsTheClick)
{
    RecordMessageBoxes(false);
    QStringList texts;
    QString title, body;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        body = box->text();
        icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            texts << b->text();
        for (QAbstractButton *b : box->buttons())
            if (b->text() == QString::fromUtf16(u"否"))
                b->click();
    });
    QTimer::singleShot(5000, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    EXPECT_EQ(MessageBoxA(0, "同时只允许运行一个进程！\n\r", "提示", MB_YESNO | MB_ICONQUESTION), IDNO);
    texts.sort();
    QStringList expected{QString::fromUtf16(u"否"), QString::fromUtf16(u"是")};
    expected.sort();
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(title, QString::fromUtf16(u"提示"));
    EXPECT_EQ(body, QString::fromUtf16(u"同时只允许运行一个进程！\n"));
    EXPECT_EQ(icon, QMessageBox::Question);
}

} // namespace
