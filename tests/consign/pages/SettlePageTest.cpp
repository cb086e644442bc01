// The settlement statement page against the simulated gateway: the statement
// fetched for the chosen customer and date and shown, the temporary files
// gone, a customer that is no plain code refused before anything is asked.
#include <filesystem>
#include <string>

#include <cstdlib>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include "consign/pages/CSettleConfirmDlg.h"
#include "consign/pages/CViewPrintPreview.h"
#include "platform/appframe/CDC.h"
#include "platform/appframe/CDateTimeCtrl.h"
#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CPreviewView.h"
#include "platform/appframe/CPrintDialog.h"
#include "platform/appframe/CPrintInfo.h"
#include "platform/appframe/CWinApp.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/CTime.h"
#include "tests/consign/pages/OrderFixture.h"
#include "tests/support/PdfPages.h"

using namespace win;

namespace {

using pagestest::Pump;
using pagestest::PumpUntil;

class SettlePageTest : public pagestest::OrderFixture {
protected:
    CQSettlePage &Settle() { return sheet->m_SettlePage; }
    std::string Shown()
    {
        CString text;
        Settle().GetDlgItemText(1106, text);
        return static_cast<const char *>(text);
    }
    void Query(const char *customer)
    {
        Settle().SetDlgItemText(1105, customer);
        Click(Settle(), IDOK);
    }
};

TEST_F(SettlePageTest, QueryShowsTheStatementAndLeavesNoFile)
{
    Open();
    sheet->SetActivePage(10);
    Pump(20);
    ASSERT_GE(Settle().m_CustomerBox.GetCount(), 3);
    EXPECT_EQ(Text(Settle(), 1105), "10000001");
    EXPECT_EQ(Text(Settle(), 1116), "8");
    CString status;
    sheet->m_StatusButton.GetWindowText(status);
    EXPECT_EQ(status, "本页可以查询帐单");

    // Today's statement: the date goes out empty, the gateway takes today.
    Query("10000002");
    const std::string today = static_cast<const char *>(CTime::GetCurrentTime().Format("%Y%m%d"));
    EXPECT_NE(Shown().find("客户号：10000002"), std::string::npos) << Shown();
    EXPECT_NE(Shown().find("结算日期：" + today), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.rar"));
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
    // It shows as it prints: no markup; the title centred in its own size.
    EXPECT_EQ(Shown().find("<Center>"), std::string::npos);
    EXPECT_EQ(Shown().find("<Font"), std::string::npos);
    EXPECT_EQ(Shown().rfind("模拟期货经纪有限公司  交易结算单\r\n", 0), 0u) << Shown();
    EXPECT_EQ(Settle().m_strStatement.Find("<Center>"), 0);
    auto *box = qobject_cast<QTextEdit *>(WindowWidget(Settle().GetDlgItem(1106)->m_hWnd));
    ASSERT_NE(box, nullptr);
    const QTextBlock title = box->document()->firstBlock();
    EXPECT_TRUE(title.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(title.next().next().blockFormat().alignment() & Qt::AlignHCenter);
    QTextCursor inTitle(title);
    inTitle.movePosition(QTextCursor::Right);
    EXPECT_EQ(inTitle.charFormat().fontPointSize(), 14.0);

    // Another day's statement.
    SYSTEMTIME day{};
    day.wYear = 2025;
    day.wMonth = 11;
    day.wDay = 3;
    CDateTimeCtrl picker;
    picker.Attach(Settle().GetDlgItem(1148)->m_hWnd);
    picker.SetTime(&day);
    picker.Detach();
    Query("10000001");
    EXPECT_NE(Shown().find("结算日期：20251103"), std::string::npos) << Shown();
    EXPECT_EQ(Text(Settle(), 1105), "10000001");
    EXPECT_EQ(Text(Settle(), 1116), "8");
    KeepPicture("settle-page.png");

    // A customer that is no plain code never reaches a path or the gateway.
    const size_t requests = Received(88).size();
    for (const char *bad : {"../x", "a b", ""}) {
        Query(bad);
        EXPECT_EQ(LastBox(), "客户号不正确") << bad;
        EXPECT_EQ(Shown(), "");
    }
    Pump(50);
    EXPECT_EQ(Received(88).size(), requests);
    EXPECT_FALSE(std::filesystem::exists("x.rar"));

    // The font size is kept when the page is left.
    Settle().SetDlgItemText(1116, "12");
    sheet->SetActivePage(0);
    EXPECT_EQ(GetPrivateProfileIntA("Config", "Print Font Size", 0, settings.c_str()), 12u);
}

TEST(StatementJoinTest, OnlyARealLineFeedBecomesALineEnd)
{
    struct Case {
        std::string in, out;
    } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"no final newline", "no final newline"},
        {"", ""},
        {std::string(5000, 'x') + "\ny", std::string(5000, 'x') + "\r\ny"},
        {"\n\n", "\r\n\r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(std::string(static_cast<const char *>(JoinStatementLines(c.in.data(), c.in.size()))), c.out) << c.in.size();
}

} // namespace

namespace {

TEST_F(SettlePageTest, SaveToFileSuggestsCustomerAndDateAndCopiesTheStatement)
{
    Open();
    sheet->SetActivePage(10);
    Pump(20);
    const std::string today = static_cast<const char *>(CTime::GetCurrentTime().Format("%Y%m%d"));
    const std::string target = std::filesystem::current_path().string() + "/saved";
    ScriptDialogAnswers({{.accepted = true, .fileName = target.c_str()}});
    Settle().SetDlgItemText(1105, "10000002");
    Click(Settle(), 1143);
    ASSERT_FALSE(ShownDialogs().empty());
    EXPECT_EQ(ShownDialogs().back().initial, AnsiString(("10000002_" + today).c_str()));
    EXPECT_EQ(LastBox(), "输出到文件 " + target + ".txt 成功");
    EXPECT_EQ(ShownMessageBoxes().back().caption, "信息");
    EXPECT_NE(pagestest::ReadFile("saved.txt").find("客户号：10000002"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.rar"));

    // A refused statement: no file, the message, no dialog.
    const size_t dialogs = ShownDialogs().size();
    ScriptMessageBoxAnswers({IDOK, IDOK});
    Settle().SetDlgItemText(1105, "99999999");
    Click(Settle(), 1143);
    EXPECT_EQ(LastBox(), "您的对账单文件不存在");
    EXPECT_EQ(ShownDialogs().size(), dialogs);
}

} // namespace

namespace {

// Printing and the preview of the statement: the PDF file that takes the job
// has as many pages as the print layout counts on the same printer.
class SettlePrintTest : public SettlePageTest {
protected:
    void SetUp() override
    {
        SettlePageTest::SetUp();
        pdf = std::filesystem::current_path() / "statement.pdf";
        std::filesystem::remove(pdf);
        setenv("LUMO_PRINT_PDF", pdf.c_str(), 1);
        oldMain = AfxGetApp()->m_pMainWnd;
    }
    void TearDown() override
    {
        AfxGetApp()->m_pMainWnd = oldMain;
        unsetenv("LUMO_PRINT_PDF");
        SettlePageTest::TearDown();
    }
    // The pages the layout gives the statement shown, at `size` points, on the
    // printer the jobs go to.
    int CountedPages(int size)
    {
        CViewPrintPreview view;
        view.m_nFontSize = size;
        view.m_strFaceName = "宋体";
        view.m_nTopMargin = 16;
        view.m_nBottomMargin = 16;
        view.m_nLeftMargin = 12;
        view.m_nRightMargin = 12;
        view.m_strText = Settle().m_strStatement;
        CPrintDialog printer(FALSE);
        if (!printer.GetDefaults())
            return -1;
        CDC dc;
        dc.Attach(printer.GetPrinterDC());
        dc.m_bPrinting = TRUE;
        CPrintInfo info;
        view.OnBeginPrinting(&dc, &info);
        dc.Detach();
        return static_cast<int>(info.GetMaxPage());
    }
    void OpenSettlePage()
    {
        Open();
        AfxGetApp()->m_pMainWnd = sheet;
        sheet->SetActivePage(10);
        Pump(20);
    }

    std::filesystem::path pdf;
    CWnd *oldMain = nullptr;
};

TEST_F(SettlePrintTest, PrintWritesAsManyPagesAsTheLayoutCounts)
{
    OpenSettlePage();
    for (const char *size : {"8", "16"}) {
        SCOPED_TRACE(size);
        std::filesystem::remove(pdf);
        Settle().SetDlgItemText(1105, "10000002");
        Settle().SetDlgItemText(1116, size);
        ScriptDialogAnswers({DialogAnswer{true}});
        Click(Settle(), 1115);
        ASSERT_TRUE(std::filesystem::exists(pdf));
        EXPECT_EQ(ShownDialogs().back().className, "CPrintDialog");
        const int pages = CountedPages(std::atoi(size));
        // The statement ends with a form feed before the signatures.
        EXPECT_GE(pages, 2);
        EXPECT_EQ(testsupport::PdfPages(pdf), pages);
        EXPECT_NE(Shown().find("客户号：10000002"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
        EXPECT_FALSE(std::filesystem::exists("settle/10000002.rar"));
        // The sheet is the main window again, shown and not minimised.
        EXPECT_EQ(AfxGetMainWnd(), sheet);
        EXPECT_TRUE(sheet->IsWindowVisible());
        EXPECT_FALSE(sheet->IsIconic());
    }
    EXPECT_LT(CountedPages(8), CountedPages(16));
    // The first page's top: the centred title, then the text at the left margin
    // (12 mm: 19 pixels at 40 dots per inch).
    const testsupport::Grey first = testsupport::RenderedPage(pdf, 40);
    ASSERT_GT(first.width, 0);
    const auto inkIn = [&](int top, int bottom, int &left, int &right) {
        left = first.width;
        right = -1;
        for (int y = top; y < bottom && y < first.height; ++y)
            for (int x = 0; x < first.width; ++x)
                if (first.At(x, y) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right >= 0;
    };
    int titleTop = 0, left = 0, right = 0;
    while (titleTop < first.height && !inkIn(titleTop, titleTop + 1, left, right))
        ++titleTop;
    ASSERT_TRUE(inkIn(titleTop, titleTop + 8, left, right));
    EXPECT_NEAR(left + right, first.width, 8);
    int textTop = titleTop + 8;
    while (textTop < first.height && !inkIn(textTop, textTop + 1, left, right))
        ++textTop;
    ASSERT_TRUE(inkIn(textTop, textTop + 4, left, right));
    EXPECT_NEAR(left, 19, 3);

    // A cancelled dialog prints nothing and leaves no file behind.
    std::filesystem::remove(pdf);
    ScriptDialogAnswers({DialogAnswer{false}});
    Click(Settle(), 1115);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
    EXPECT_EQ(AfxGetMainWnd(), sheet);

    // No statement: the message, no dialog.
    const size_t dialogs = ShownDialogs().size();
    ScriptMessageBoxAnswers({IDOK});
    Settle().SetDlgItemText(1105, "99999999");
    Click(Settle(), 1115);
    EXPECT_EQ(LastBox(), "您的对账单文件不存在");
    EXPECT_EQ(ShownDialogs().size(), dialogs);
}

TEST_F(SettlePrintTest, PreviewShowsThePagesAndItsPrintButtonPrintsThroughTheSheet)
{
    OpenSettlePage();
    Settle().SetDlgItemText(1105, "10000002");
    Click(Settle(), 1132);
    auto *frame = dynamic_cast<CFrameWnd *>(AfxGetMainWnd());
    ASSERT_NE(frame, nullptr);
    const HWND frameWindow = frame->m_hWnd;
    CString title;
    frame->GetWindowText(title);
    EXPECT_EQ(title, "打印预览");
    CPreviewView *preview = frame->GetPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(std::filesystem::exists("settle/10000002.txt"));
    // The preview has the pages the layout counts, no more.
    const int pages = CountedPages(8);
    EXPECT_TRUE(preview->PageExists(static_cast<UINT>(pages)));
    EXPECT_FALSE(preview->PageExists(static_cast<UINT>(pages + 1)));
    Pump(50);
    if (QWidget *widget = WindowWidget(frameWindow))
        widget->grab().save(QString::fromStdString(std::string(LUMO_TEST_BINARY_DIR) + "/settle-preview.png"));

    // Its print button ends the preview, gives the sheet back and prints there.
    ScriptDialogAnswers({DialogAnswer{true}});
    preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PRINT);
    EXPECT_FALSE(IsWindow(frameWindow));
    EXPECT_EQ(AfxGetMainWnd(), sheet);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(testsupport::PdfPages(pdf), pages);

    // Closing a preview's frame ends it and gives the sheet back.
    Click(Settle(), 1132);
    frame = dynamic_cast<CFrameWnd *>(AfxGetMainWnd());
    ASSERT_NE(frame, nullptr);
    const HWND second = frame->m_hWnd;
    ::win::SendMessage(second, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(AfxGetMainWnd(), sheet);
    EXPECT_FALSE(sheet->IsIconic());
}

} // namespace
