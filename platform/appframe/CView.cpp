#include "platform/appframe/CView.h"

#include "platform/appframe/CDocument.h"
#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CPreviewView.h"
#include "platform/appframe/CPrintDialog.h"
#include "platform/gdi/Gdi.h"

namespace win {

BEGIN_MESSAGE_MAP(CView, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CView::~CView()
{
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                   UINT nID, CCreateContext *pContext)
{
    creating_ = true;
    BOOL made = CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
    creating_ = false;
    return made;
}

CFrameWnd *CView::GetParentFrame() const
{
    for (CWnd *wnd = GetParent(); wnd; wnd = wnd->GetParent()) {
        if (auto *frame = dynamic_cast<CFrameWnd *>(CWnd::FromHandlePermanent(wnd->m_hWnd)))
            return frame;
    }
    return nullptr;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0); }

void CView::OnUpdate(CView *pSender, LPARAM lHint) { Invalidate(TRUE); }

void CView::OnDraw(CDC *pDC) {}

void CView::OnPrepareDC(CDC *pDC, CPrintInfo *pInfo)
{
    if (pInfo && !pInfo->MaxPageKnown())
        pInfo->m_bContinuePrinting = pInfo->m_nCurPage == 1;
}

BOOL CView::OnPreparePrinting(CPrintInfo *pInfo) { return DoPreparePrinting(pInfo); }

BOOL CView::DoPreparePrinting(CPrintInfo *pInfo)
{
    if (pInfo->m_bPreview || pInfo->m_bDirect)
        return pInfo->m_pPD->GetDefaults();
    pInfo->m_pPD->m_pd.hwndOwner = m_hWnd;
    return pInfo->m_pPD->DoModal() == IDOK;
}

void CView::OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo) {}

void CView::OnPrint(CDC *pDC, CPrintInfo *pInfo) { OnDraw(pDC); }

void CView::OnEndPrinting(CDC *pDC, CPrintInfo *pInfo) {}

void CView::OnEndPrintPreview(CDC *pDC, CPrintInfo *pInfo, POINT point, CPreviewView *pView)
{
    OnEndPrinting(pDC, pInfo);
    if (CFrameWnd *frame = GetParentFrame())
        frame->EndPreview(pView);
    ShowWindow(SW_SHOW);
    if (pView)
        pView->DestroyWindow();
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info))
        return;
    HDC printer = info.m_pPD->GetPrinterDC();
    if (!printer)
        return;
    CDC dc;
    dc.Attach(printer);
    dc.m_bPrinting = TRUE;

    CString title;
    if (m_pDocument)
        title = m_pDocument->GetTitle();
    else if (CFrameWnd *frame = GetParentFrame())
        frame->GetWindowText(title);
    OnBeginPrinting(&dc, &info);
    DOCINFOA doc{int(sizeof(DOCINFOA)), static_cast<LPCTSTR>(title), nullptr, nullptr, 0};
    if (dc.StartDoc(&doc) <= 0) {
        OnEndPrinting(&dc, &info);
        dc.Detach();
        return;
    }
    bool failed = false;
    for (info.m_nCurPage = info.GetFromPage(); info.m_nCurPage <= info.GetToPage() && info.m_bContinuePrinting;
         ++info.m_nCurPage) {
        OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting)
            break;
        if (dc.StartPage() <= 0) {
            failed = true;
            break;
        }
        info.m_rectDraw.SetRect(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
        OnPrint(&dc, &info);
        if (dc.EndPage() <= 0) {
            failed = true;
            break;
        }
    }
    OnEndPrinting(&dc, &info);
    if (failed)
        dc.AbortDoc();
    else
        dc.EndDoc();
    dc.Detach();
}

void CView::OnFilePrintPreview()
{
    CFrameWnd *frame = GetParentFrame();
    if (!frame || frame->GetPreview())
        return;
    auto info = std::make_unique<CPrintInfo>();
    info->m_bPreview = TRUE;
    if (!OnPreparePrinting(info.get()))
        return;
    auto *preview = new CPreviewView(this, std::move(info));
    if (!preview->Create(frame))
        delete preview;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::PostNcDestroy()
{
    if (!creating_)
        delete this;
}

} // namespace win
