// The framework's printing: the print command's dialog and page loop (a PDF file
// takes the job), cancel and failed pages, and the print preview drawing each
// page through the view's OnPrint.
#include <memory>
#include <string>
#include <vector>

#include "PrintFixture.h"
#include "platform/appframe/CDocument.h"
#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CPreviewView.h"
#include "platform/appframe/CPrintDialog.h"
#include "platform/appframe/CSingleDocTemplate.h"
#include "platform/appframe/CView.h"
#include "platform/appframe/CWinApp.h"

namespace win {
namespace {

using printtest::InkInRows;
using printtest::PdfPages;
using printtest::PictureOf;

// The first text line of each page, in printer pixels (300 dots per inch): the
// first page prints near the top, the second far below.
constexpr int kFirstPageTop = 450;
constexpr int kSecondPageTop = 2400;

// What the test view was asked to do, and how it behaves.
struct Journal {
    std::vector<std::string> calls;
    bool knowsPageCount = true;
    UINT failingPage = 0;
    DWORD dialogFlags = 0;
    int pageWidth = 0;
    int dpi = 0;
    int lineHeight = 0;
    // The main window the view gives back when its preview ends.
    CWnd *returnWindow = nullptr;
};

Journal &J()
{
    static Journal journal;
    return journal;
}

// Prints three lines of text on each of its two pages.
class PrintTestView : public CView {
    DECLARE_DYNCREATE(PrintTestView)
public:
    void Print() { OnFilePrint(); }
    void Preview() { OnFilePrintPreview(); }
    void OnInitialUpdate() override { J().calls.push_back("initial update"); }
    void OnRefresh() { J().calls.push_back("refresh"); }

    BOOL OnPreparePrinting(CPrintInfo *pInfo) override
    {
        J().calls.push_back("prepare");
        BOOL accepted = DoPreparePrinting(pInfo);
        J().dialogFlags = pInfo->m_pPD->m_pd.Flags;
        return accepted;
    }
    void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo) override
    {
        J().calls.push_back("begin");
        J().pageWidth = pDC->GetDeviceCaps(HORZRES);
        J().dpi = pDC->GetDeviceCaps(LOGPIXELSY);
        font_.DeleteObject();
        font_.CreatePointFont(120, "宋体", pDC);
        CFont *old = pDC->SelectObject(&font_);
        J().lineHeight = pDC->GetTextExtent("A", 1).cy;
        pDC->SelectObject(old);
        if (J().knowsPageCount)
            pInfo->SetMaxPage(2);
    }
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override
    {
        UINT page = pInfo->m_nCurPage;
        J().calls.push_back("print " + std::to_string(page));
        CFont *old = pDC->SelectObject(&font_);
        int lineHeight = pDC->GetTextExtent("A", 1).cy;
        for (int i = 0; i < 3; ++i)
            pDC->TextOut(300, (page == 1 ? kFirstPageTop : kSecondPageTop) + i * lineHeight,
                         page == 1 ? "第一页的正文" : "第二页的正文");
        pDC->SelectObject(old);
        // The page is ended here, so that the framework's end of it fails.
        if (page == J().failingPage)
            pDC->EndPage();
    }
    void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo) override { J().calls.push_back("end"); }
    void OnEndPrintPreview(CDC *pDC, CPrintInfo *pInfo, POINT point, CPreviewView *pView) override
    {
        CView::OnEndPrintPreview(pDC, pInfo, point, pView);
        J().calls.push_back("end preview");
        if (J().returnWindow)
            AfxGetApp()->m_pMainWnd = J().returnWindow;
        GetParentFrame()->DestroyWindow();
    }

    DECLARE_MESSAGE_MAP()

private:
    CFont font_;
};

IMPLEMENT_DYNCREATE(PrintTestView, CView)

constexpr UINT kRefreshCommand = 32771;

BEGIN_MESSAGE_MAP(PrintTestView, CView)
ON_COMMAND(kRefreshCommand, OnRefresh)
END_MESSAGE_MAP()

// A document that notes its end.
class PrintTestDocument : public CDocument {
    DECLARE_DYNCREATE(PrintTestDocument)
public:
    ~PrintTestDocument() override { J().calls.push_back("document deleted"); }
};

IMPLEMENT_DYNCREATE(PrintTestDocument, CDocument)

// A main window that notes the print command.
class MainWindow : public CWnd {
public:
    void OnFilePrint() { J().calls.push_back("main print"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MainWindow, CWnd)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
END_MESSAGE_MAP()

class PrintTest : public printtest::PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        J() = Journal();
        static auto *printTemplate = new CSingleDocTemplate(166, nullptr, RUNTIME_CLASS(CFrameWnd),
                                                            RUNTIME_CLASS(PrintTestView));
        frame = printTemplate->CreateNewFrame(nullptr, nullptr);
        ASSERT_NE(frame, nullptr);
        printTemplate->InitialUpdateFrame(frame, nullptr, FALSE);
        frameWindow = frame->m_hWnd;
        view = dynamic_cast<PrintTestView *>(frame->GetActiveView());
        ASSERT_NE(view, nullptr);
        J().calls.clear();
    }
    void TearDown() override
    {
        if (IsWindow(frameWindow))
            frame->DestroyWindow();
        PrintFixture::TearDown();
    }

    CFrameWnd *frame = nullptr;
    HWND frameWindow = 0;
    PrintTestView *view = nullptr;
};

TEST_F(PrintTest, TemplateMakesAHiddenFrameWhoseViewShowsTheDocumentAndTakesCommands)
{
    CSingleDocTemplate docTemplate(166, RUNTIME_CLASS(PrintTestDocument), RUNTIME_CLASS(CFrameWnd),
                                   RUNTIME_CLASS(PrintTestView));
    CDocument *doc = docTemplate.CreateNewDocument();
    ASSERT_NE(doc, nullptr);
    CFrameWnd *docFrame = docTemplate.CreateNewFrame(doc, nullptr);
    ASSERT_NE(docFrame, nullptr);
    docTemplate.InitialUpdateFrame(docFrame, doc, FALSE);
    EXPECT_FALSE(docFrame->IsWindowVisible());
    CView *docView = docFrame->GetActiveView();
    ASSERT_NE(docView, nullptr);
    EXPECT_EQ(docView->GetDocument(), doc);
    EXPECT_EQ(docFrame->GetActiveDocument(), doc);
    EXPECT_EQ(docView->GetParentFrame(), docFrame);
    // The frame hands commands to its view.
    docFrame->SendMessage(WM_COMMAND, kRefreshCommand);
    // The view and then the document go with the frame.
    docFrame->DestroyWindow();
    EXPECT_EQ(J().calls, (std::vector<std::string>{"initial update", "refresh", "document deleted"}));
}

TEST_F(PrintTest, PrintShowsTheDialogAndPrintsEachPageOnThePrinter)
{
    struct Case {
        bool knowsPageCount;
        int pdfPages;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {true, 2, {"prepare", "begin", "print 1", "print 2", "end"}},
        // Without a page count only the first page is printed.
        {false, 1, {"prepare", "begin", "print 1", "end"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.knowsPageCount);
        J().calls.clear();
        J().knowsPageCount = c.knowsPageCount;
        ScriptDialogAnswers({DialogAnswer{true}});
        view->Print();
        EXPECT_EQ(J().calls, c.calls);
        EXPECT_EQ(PdfPages(pdf), c.pdfPages);
        EXPECT_EQ(J().pageWidth, 2480);
        EXPECT_EQ(J().dpi, 300);
        // 12 points at 300 dots per inch: 50 pixels of character height.
        EXPECT_GE(J().lineHeight, 50);
        EXPECT_LE(J().lineHeight, 75);
    }
    // The framework's dialog prints the whole document: no page numbers, no
    // selection, no file output.
    ASSERT_EQ(ShownDialogs().size(), 2u);
    EXPECT_EQ(ShownDialogs()[0].className, "CPrintDialog");
    DWORD hidden = PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
    EXPECT_EQ(J().dialogFlags & hidden, hidden);
    EXPECT_EQ(J().dialogFlags & (PD_PAGENUMS | PD_SELECTION), 0u);
}

TEST_F(PrintTest, CancelledDialogPrintsNothingAndSaysNothing)
{
    ScriptDialogAnswers({DialogAnswer{false}});
    view->Print();
    EXPECT_EQ(J().calls, std::vector<std::string>{"prepare"});
    EXPECT_FALSE(Printed());
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

TEST_F(PrintTest, PageWhoseEndFailsAbortsTheJob)
{
    J().failingPage = 1;
    ScriptDialogAnswers({DialogAnswer{true}});
    view->Print();
    EXPECT_EQ(J().calls, (std::vector<std::string>{"prepare", "begin", "print 1", "end"}));
    EXPECT_FALSE(Printed());
}

TEST_F(PrintTest, PreviewDrawsEachPageThroughOnPrintAndEndsThroughTheView)
{
    view->Preview();
    CPreviewView *preview = frame->GetPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(ShownDialogs().empty());
    EXPECT_FALSE(view->IsWindowVisible());
    EXPECT_EQ(J().pageWidth, 2480);
    EXPECT_EQ(J().dpi, 300);
    EXPECT_GE(J().lineHeight, 50);
    EXPECT_TRUE(preview->PageExists(2));
    EXPECT_FALSE(preview->PageExists(3));

    // Each page's text lies in its own band of the page's picture.
    const int scale = CPreviewView::kScale;
    int firstBand[] = {kFirstPageTop / scale - 10, (kFirstPageTop + 150) / scale + 10};
    int secondBand[] = {kSecondPageTop / scale - 10, (kSecondPageTop + 150) / scale + 10};
    QImage first = PictureOf(preview->GetPageDC(1));
    QImage second = PictureOf(preview->GetPageDC(2));
    ASSERT_EQ(first.width(), 2480 / scale);
    EXPECT_TRUE(InkInRows(first, firstBand[0], firstBand[1]));
    EXPECT_FALSE(InkInRows(first, secondBand[0], secondBand[1]));
    EXPECT_TRUE(InkInRows(second, secondBand[0], secondBand[1]));
    EXPECT_FALSE(InkInRows(second, firstBand[0], firstBand[1]));
    EXPECT_EQ(preview->GetPageDC(3), 0u);

    // The tool bar pages through the document and stops at its end.
    EXPECT_EQ(preview->GetCurrentPage(), 1u);
    // A click on the second button (next page).
    preview->PostMessage(WM_LBUTTONUP, 0, LPARAM(100 | (10 << 16)));
    EXPECT_TRUE(appframetest::PumpUntil([&] { return preview->GetCurrentPage() == 2; }));
    preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_NEXT);
    EXPECT_EQ(preview->GetCurrentPage(), 2u);
    preview->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PREV);
    EXPECT_EQ(preview->GetCurrentPage(), 1u);
    EXPECT_FALSE(Printed());

    // Closing the frame ends the preview through the view, which closes the frame.
    ::win::SendMessage(frameWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(J().calls,
              (std::vector<std::string>{"prepare", "begin", "print 1", "print 2", "end", "end preview"}));
    EXPECT_FALSE(IsWindow(frameWindow));
}

TEST_F(PrintTest, PreviewPrintButtonEndsThePreviewThenSendsPrintToTheMainWindow)
{
    std::unique_ptr<CWinApp> ownApp;
    if (!AfxGetApp())
        ownApp = std::make_unique<CWinApp>("PrintTest");
    CWnd *oldMain = AfxGetApp()->m_pMainWnd;
    MainWindow main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, 0, 0));
    J().returnWindow = &main;
    AfxGetApp()->m_pMainWnd = frame;
    view->Preview();
    ASSERT_NE(frame->GetPreview(), nullptr);
    frame->GetPreview()->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_PRINT);
    EXPECT_EQ(J().calls, (std::vector<std::string>{"prepare", "begin", "end", "end preview", "main print"}));
    EXPECT_FALSE(IsWindow(frameWindow));
    EXPECT_EQ(AfxGetMainWnd(), &main);
    AfxGetApp()->m_pMainWnd = oldMain;
    main.DestroyWindow();
}

} // namespace
} // namespace win
