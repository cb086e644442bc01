// Printing: jobs written as PDF files (LUMO_PRINT_PDF), their pages and metrics.
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "GdiFixture.h"
#include "platform/gdi/TPrinter.h"

namespace win {
namespace {

// The page count `pdfinfo` reports for a file, or -1.
int PdfPages(const std::string &path)
{
    std::string command = "pdfinfo '" + path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char line[512];
    int pages = -1;
    while (std::fgets(line, sizeof line, pipe)) {
        if (std::sscanf(line, "Pages: %d", &pages) == 1)
            break;
    }
    pclose(pipe);
    return pages;
}

class PrintTest : public GdiTest {
protected:
    void SetUp() override
    {
        path_ = QDir::currentPath().toStdString() + "/job.pdf";
        QFile::remove(QString::fromStdString(path_));
        setenv("LUMO_PRINT_PDF", path_.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("LUMO_PRINT_PDF");
        GdiTest::TearDown();
    }
    std::string path_;
};

TEST_F(PrintTest, TwoPageJobWritesATwoPagePdf)
{
    HDC dc = CreatePrinterDC();
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 2480);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 3508);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 210);
    DOCINFOA info{int(sizeof(DOCINFOA)), "结算单", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    for (int page = 0; page < 2; ++page) {
        ASSERT_GT(StartPage(dc), 0);
        Rectangle(dc, 100, 100, 2380, 3408);
        HFONT font = CreateFontA(-50, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
        HGDIOBJ old = SelectObject(dc, font);
        TextOutA(dc, 200, 200, "第一页", 6);
        SelectObject(dc, old);
        DeleteObject(font);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    EXPECT_EQ(PdfPages(path_), 2);
}

// A printer name the system does not know falls back to the default printer,
// here none: the job becomes a PDF file in the documents folder.
TEST_F(PrintTest, UnknownChosenPrinterFallsBackToThePdfInTheDocuments)
{
    unsetenv("LUMO_PRINT_PDF");
    SelectPrinter("没有这台打印机");
    QDir documents(QDir::homePath() + "/Documents");
    int before = documents.entryList({"lumo-print-*.pdf"}, QDir::Files).size();
    HDC dc = CreatePrinterDC();
    ASSERT_NE(dc, 0u);
    DOCINFOA info{int(sizeof(DOCINFOA)), "报表", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    SelectPrinter("");
    QStringList files = documents.entryList({"lumo-print-*.pdf"}, QDir::Files);
    ASSERT_EQ(files.size(), before + 1);
    EXPECT_EQ(PdfPages(documents.filePath(files.back()).toStdString()), 1);
}

TEST_F(PrintTest, AbortedJobLeavesNoFileAndDrawingOutsideAPageIsIgnored)
{
    HDC dc = CreatePrinterDC();
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    DOCINFOA info{int(sizeof(DOCINFOA)), "x", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    EXPECT_EQ(StartDocA(dc, &info), SP_ERROR);
    EXPECT_TRUE(Rectangle(dc, 0, 0, 10, 10));
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_GT(AbortDoc(dc), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path_)));
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    DeleteDC(dc);
}

TEST_F(PrintTest, PrinterObjectPrintsPagesWithItsCanvas)
{
    TPrinter *printer = Printer();
    EXPECT_EQ(int(printer->PageWidth), 2480);
    EXPECT_FALSE(bool(printer->Printing));
    printer->Title = "打印";
    ASSERT_TRUE(printer->BeginDoc());
    EXPECT_FALSE(printer->BeginDoc());
    EXPECT_TRUE(bool(printer->Printing));
    int margin = printer->PageWidth / 20;
    printer->Canvas->Pen->Color = clBlack;
    printer->Canvas->Rectangle(margin, margin, printer->PageWidth - margin, printer->PageHeight - margin);
    // A font of the screen keeps its size in points on the printer.
    TFont screenFont;
    screenFont.Size = 12;
    printer->Canvas->Font = &screenFont;
    EXPECT_EQ(int(printer->Canvas->Font->Size), 12);
    EXPECT_EQ(printer->Canvas->Font->Height, -50);
    printer->Canvas->TextOut(margin, margin, "报表");
    ASSERT_TRUE(printer->NewPage());
    EXPECT_EQ(int(printer->PageNumber), 2);
    printer->Canvas->TextOut(margin, margin, "第二页");
    ASSERT_TRUE(printer->EndDoc());
    EXPECT_FALSE(bool(printer->Printing));
    EXPECT_EQ(PdfPages(path_), 2);
}

} // namespace
} // namespace win
