// The print preview: a window that takes a view's place in its frame and shows
// the printed pages one at a time, each drawn by the view's OnPrint on the
// printer's context and kept as a reduced picture. Its tool bar pages through
// the document, prints (the print command goes to the program's main window
// once the preview has closed) and closes (the view's OnEndPrintPreview).
#pragma once

#include <memory>

#include "platform/appframe/CPrintInfo.h"
#include "platform/appframe/CWnd.h"

namespace win {

class CView;
class CFrameWnd;

// The preview's commands (its tool bar's buttons).
constexpr UINT AFX_ID_PREVIEW_CLOSE = 0xE300;
constexpr UINT AFX_ID_PREVIEW_NEXT = 0xE302;
constexpr UINT AFX_ID_PREVIEW_PREV = 0xE303;
constexpr UINT AFX_ID_PREVIEW_PRINT = 0xE304;

class CPreviewView : public CWnd {
public:
    // The preview of pView's pages; pInfo holds the printer's context
    // (CView::DoPreparePrinting).
    CPreviewView(CView *pView, std::unique_ptr<CPrintInfo> pInfo);
    ~CPreviewView() override;

    // Shows the preview in the frame in place of the view and begins printing
    // (OnBeginPrinting); FALSE when it cannot, and nothing was made (the caller
    // deletes the object). Once shown, the preview deletes itself with its window.
    BOOL Create(CFrameWnd *pFrame);

    CView *GetPrintView() const;
    UINT GetCurrentPage() const;
    // Shows another page; FALSE (and no change) when the document has no such page.
    BOOL SetCurrentPage(UINT nPage);
    BOOL PageExists(UINT nPage);
    // The page as the view prints it, reduced kScale times, on a context the
    // preview owns (for reading), valid while the page is among the last few asked
    // for or shown; 0 when the page does not exist or cannot be drawn.
    HDC GetPageDC(UINT nPage);
    static constexpr int kScale = 3;

protected:
    void OnPreviewClose();
    void OnPreviewPrint();
    void OnNextPage();
    void OnPrevPage();
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnEraseBkgnd(CDC *pDC);
    void OnDestroy();
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    bool creating_ = false;
};

} // namespace win
