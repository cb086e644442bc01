// The framework's view: a child window of a frame that shows a document and
// prints it. Printing runs the view's print operations in order: print
// preparation (the print dialog), OnBeginPrinting, for each page OnPrepareDC and
// OnPrint between the page's start and end, OnEndPrinting; the print preview
// draws the same pages through OnPrint into pictures (CPreviewView).
#pragma once

#include "platform/appframe/CPrintInfo.h"
#include "platform/appframe/CWnd.h"

namespace win {

class CDocument;
class CFrameWnd;
class CPreviewView;

// The framework's print commands.
constexpr UINT ID_FILE_PRINT = 0xE107;
constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
// The control id of a frame's view.
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

class CView : public CWnd {
public:
    CView() = default;
    ~CView() override;

    // FALSE: no window, and the caller deletes the object; once made, the view
    // deletes itself with its window.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                UINT nID, CCreateContext *pContext = nullptr) override;

    CDocument *GetDocument() const { return m_pDocument; }
    // The frame that holds this view, or null.
    CFrameWnd *GetParentFrame() const;

    // Called by the frame's first update, before the frame is shown.
    virtual void OnInitialUpdate();
    // The document changed (CDocument::UpdateAllViews); the default repaints.
    virtual void OnUpdate(CView *pSender, LPARAM lHint);
    // Draws the view on the screen, and by default a printed page.
    virtual void OnDraw(CDC *pDC);
    // Before drawing: on the screen (pInfo null) and before each printed page. With
    // a page count not known yet (no SetMaxPage) the default ends the job after the
    // first page.
    virtual void OnPrepareDC(CDC *pDC, CPrintInfo *pInfo = nullptr);

    // Print preparation: the default is DoPreparePrinting. FALSE cancels the job
    // (nothing is printed and nothing said).
    virtual BOOL OnPreparePrinting(CPrintInfo *pInfo);
    // Shows the print dialog (or for a preview takes the default printer without
    // asking) and puts the printer's context in pInfo; FALSE when cancelled.
    BOOL DoPreparePrinting(CPrintInfo *pInfo);
    virtual void OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo);
    // Prints page pInfo->m_nCurPage inside pInfo->m_rectDraw; the default draws
    // the view (OnDraw).
    virtual void OnPrint(CDC *pDC, CPrintInfo *pInfo);
    virtual void OnEndPrinting(CDC *pDC, CPrintInfo *pInfo);
    // The preview ends: the default runs OnEndPrinting, shows the view in its frame
    // again and destroys the preview window, with pDC and pInfo.
    virtual void OnEndPrintPreview(CDC *pDC, CPrintInfo *pInfo, POINT point, CPreviewView *pView);

protected:
    // The framework's print command: prints the pages from the first to the last
    // on the printer the dialog gives. A page whose end fails aborts the job.
    void OnFilePrint();
    // The framework's print-preview command: the frame shows the pages in a
    // preview window in place of this view.
    void OnFilePrintPreview();

    void OnPaint();
    // Views belong to their frames and delete themselves with their windows.
    void PostNcDestroy() override;

    CDocument *m_pDocument = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class CDocument;
    bool creating_ = false;
};

} // namespace win
