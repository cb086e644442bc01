#include "platform/appframe/CPreviewView.h"

#include <QDir>
#include <QImage>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <string>

#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CPrintDialog.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"
#include "platform/win/Text.h"

namespace win {

namespace {

constexpr int kToolBarHeight = 32;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 24;
constexpr int kGap = 4;
constexpr int kPageMargin = 8;
// The pictures kept at a time: the page shown and those just seen.
constexpr size_t kKeptPages = 4;

struct ToolButton {
    UINT id;
    const char *label;
};

constexpr ToolButton kButtons[] = {
    {AFX_ID_PREVIEW_PRINT, "打印..."},
    {AFX_ID_PREVIEW_NEXT, "下一页"},
    {AFX_ID_PREVIEW_PREV, "上一页"},
    {AFX_ID_PREVIEW_CLOSE, "关闭"},
};

CRect ButtonRect(size_t index)
{
    int left = kGap + int(index) * (kButtonWidth + kGap);
    return CRect(left, kGap, left + kButtonWidth, kGap + kButtonHeight);
}

// Where the pages are drawn while they are previewed: a PDF file of our own that
// never gets a page, so that nothing reaches a printer (a GBK path, as print jobs
// take them).
std::string ScratchPdfPath()
{
    static std::atomic<unsigned> counter{0};
    QString name = QStringLiteral("/lumo-preview-%1-%2.pdf").arg(getpid()).arg(counter++);
    return Utf16ToGbk((QDir::tempPath() + name).toStdU16String());
}

} // namespace

struct CPreviewView::Impl {
    Impl(CView *printView, std::unique_ptr<CPrintInfo> printInfo) : view(printView), info(std::move(printInfo)) {}

    CView *view;
    std::unique_ptr<CPrintInfo> info;
    CDC dc;
    CFrameWnd *frame = nullptr;
    std::string scratch = ScratchPdfPath();
    UINT current = 1;
    bool begun = false;
    bool closing = false;
    // The reduced pages drawn last, the latest first, each with a context on it.
    struct Page {
        UINT number;
        std::shared_ptr<QImage> image;
        HDC dc;
    };
    std::deque<Page> pages;

    ~Impl()
    {
        for (Page &page : pages)
            DeleteDC(page.dc);
        dc.Detach();
    }

    const Page *Kept(UINT number)
    {
        auto it = std::find_if(pages.begin(), pages.end(), [&](const Page &p) { return p.number == number; });
        if (it == pages.end())
            return nullptr;
        std::rotate(pages.begin(), it, it + 1);
        return &pages.front();
    }

    void Keep(UINT number, std::shared_ptr<QImage> image, HDC hdc)
    {
        pages.push_front(Page{number, std::move(image), hdc});
        while (pages.size() > kKeptPages) {
            DeleteDC(pages.back().dc);
            pages.pop_back();
        }
    }

    bool ButtonEnabled(CPreviewView *self, UINT id)
    {
        if (id == AFX_ID_PREVIEW_NEXT)
            return self->PageExists(current + 1);
        if (id == AFX_ID_PREVIEW_PREV)
            return current > info->GetMinPage();
        return true;
    }

    // Runs the view's page through a print job that is then dropped, and keeps a
    // reduced copy of the page.
    HDC Render(UINT page)
    {
        DOCINFOA doc{int(sizeof(DOCINFOA)), "", scratch.c_str(), nullptr, 0};
        if (dc.StartDoc(&doc) <= 0)
            return 0;
        if (dc.StartPage() <= 0) {
            dc.AbortDoc();
            return 0;
        }
        info->m_nCurPage = page;
        info->m_bContinuePrinting = TRUE;
        view->OnPrepareDC(&dc, info.get());
        int width = dc.GetDeviceCaps(HORZRES);
        int height = dc.GetDeviceCaps(VERTRES);
        info->m_rectDraw.SetRect(0, 0, width, height);
        view->OnPrint(&dc, info.get());
        auto full = std::make_shared<QImage>(width, height, QImage::Format_RGB32);
        full->fill(0xFFFFFFFFu);
        HDC copy = CreateImageDC(full);
        BitBlt(copy, 0, 0, width, height, dc.m_hDC, 0, 0, SRCCOPY);
        DeleteDC(copy);
        dc.AbortDoc();
        auto reduced = std::make_shared<QImage>(
            full->scaled(std::max(1, width / kScale), std::max(1, height / kScale), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32));
        HDC hdc = CreateImageDC(reduced);
        if (!hdc)
            return 0;
        Keep(page, std::move(reduced), hdc);
        return hdc;
    }
};

BEGIN_MESSAGE_MAP(CPreviewView, CWnd)
ON_COMMAND(AFX_ID_PREVIEW_CLOSE, OnPreviewClose)
ON_COMMAND(AFX_ID_PREVIEW_PRINT, OnPreviewPrint)
ON_COMMAND(AFX_ID_PREVIEW_NEXT, OnNextPage)
ON_COMMAND(AFX_ID_PREVIEW_PREV, OnPrevPage)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_LBUTTONUP()
ON_WM_ERASEBKGND()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CPreviewView::CPreviewView(CView *pView, std::unique_ptr<CPrintInfo> pInfo)
    : d_(std::make_unique<Impl>(pView, std::move(pInfo)))
{
}

CPreviewView::~CPreviewView() = default;

BOOL CPreviewView::Create(CFrameWnd *pFrame)
{
    HDC printer = d_->info->m_pPD->GetPrinterDC();
    if (!pFrame || !d_->view || !printer)
        return FALSE;
    d_->dc.Attach(printer);
    d_->dc.m_bPrinting = TRUE;
    // The page takes the size of the pages drawn here before the view measures it.
    DOCINFOA doc{int(sizeof(DOCINFOA)), "", d_->scratch.c_str(), nullptr, 0};
    if (d_->dc.StartDoc(&doc) <= 0) {
        d_->dc.Detach();
        return FALSE;
    }
    d_->dc.AbortDoc();
    CRect client;
    pFrame->GetClientRect(&client);
    creating_ = true;
    BOOL made = CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, client, pFrame, 0);
    creating_ = false;
    if (!made) {
        d_->dc.Detach();
        return FALSE;
    }
    d_->frame = pFrame;
    pFrame->BeginPreview(this);
    d_->info->m_nCurPage = d_->info->GetFromPage();
    d_->view->OnBeginPrinting(&d_->dc, d_->info.get());
    d_->begun = true;
    d_->current = d_->info->GetFromPage();
    Invalidate();
    return TRUE;
}

CView *CPreviewView::GetPrintView() const { return d_->view; }

UINT CPreviewView::GetCurrentPage() const { return d_->current; }

BOOL CPreviewView::SetCurrentPage(UINT nPage)
{
    if (!PageExists(nPage))
        return FALSE;
    d_->current = nPage;
    Invalidate();
    return TRUE;
}

BOOL CPreviewView::PageExists(UINT nPage)
{
    if (!d_->begun || nPage < d_->info->GetMinPage() || nPage > d_->info->GetToPage())
        return FALSE;
    if (d_->info->MaxPageKnown())
        return TRUE;
    // Without a page count the view says, page by page, whether printing goes on.
    d_->info->m_nCurPage = nPage;
    d_->info->m_bContinuePrinting = TRUE;
    d_->view->OnPrepareDC(&d_->dc, d_->info.get());
    return d_->info->m_bContinuePrinting;
}

HDC CPreviewView::GetPageDC(UINT nPage)
{
    if (const Impl::Page *kept = d_->Kept(nPage))
        return kept->dc;
    if (!PageExists(nPage))
        return 0;
    return d_->Render(nPage);
}

void CPreviewView::OnPreviewClose()
{
    if (d_->closing || !d_->begun)
        return;
    d_->closing = true;
    d_->info->m_nCurPage = d_->current;
    // The view ends the preview; its default destroys this window, and this object
    // with it.
    d_->view->OnEndPrintPreview(&d_->dc, d_->info.get(), CPoint(0, 0), this);
}

void CPreviewView::OnPreviewPrint()
{
    OnPreviewClose();
    // This object may be gone now: the command goes to whatever is the main window
    // once the preview has closed.
    if (CWnd *main = AfxGetMainWnd())
        main->SendMessage(WM_COMMAND, ID_FILE_PRINT);
}

void CPreviewView::OnNextPage() { SetCurrentPage(d_->current + 1); }

void CPreviewView::OnPrevPage() { SetCurrentPage(d_->current - 1); }

void CPreviewView::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(0, 0, client.Width(), kToolBarHeight, GetSysColor(COLOR_BTNFACE));
    dc.FillSolidRect(0, kToolBarHeight, client.Width(), std::max(0, client.Height() - kToolBarHeight),
                     GetSysColor(COLOR_APPWORKSPACE));

    CGdiObject *oldFont = dc.SelectStockObject(DEFAULT_GUI_FONT);
    dc.SetBkMode(TRANSPARENT);
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        CRect r = ButtonRect(i);
        bool enabled = d_->ButtonEnabled(this, kButtons[i].id);
        dc.DrawFrameControl(&r, DFC_BUTTON, DFCS_BUTTONPUSH | (enabled ? 0 : DFCS_INACTIVE));
        dc.SetTextColor(GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        dc.DrawText(kButtons[i].label, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.SelectObject(oldFont);

    if (!GetPageDC(d_->current))
        return;
    const QImage &page = *d_->pages.front().image;
    CRect area(kPageMargin, kToolBarHeight + kPageMargin, client.right - kPageMargin, client.bottom - kPageMargin);
    if (area.IsRectEmpty() || page.isNull())
        return;
    QSize fit = page.size().scaled(area.Width(), area.Height(), Qt::KeepAspectRatio);
    if (fit.isEmpty())
        return;
    auto shown = std::make_shared<QImage>(
        page.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32));
    HDC source = CreateImageDC(shown);
    int x = area.left + (area.Width() - fit.width()) / 2;
    int y = area.top + (area.Height() - fit.height()) / 2;
    BitBlt(dc.m_hDC, x, y, fit.width(), fit.height(), source, 0, 0, SRCCOPY);
    DeleteDC(source);
    CRect frame(x - 1, y - 1, x + fit.width() + 1, y + fit.height() + 1);
    dc.Draw3dRect(&frame, RGB(0, 0, 0), RGB(0, 0, 0));
}

void CPreviewView::OnSize(UINT nType, int cx, int cy) { Invalidate(); }

void CPreviewView::OnLButtonUp(UINT nFlags, CPoint point)
{
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        if (ButtonRect(i).PtInRect(point) && d_->ButtonEnabled(this, kButtons[i].id)) {
            PostMessage(WM_COMMAND, kButtons[i].id);
            return;
        }
    }
}

BOOL CPreviewView::OnEraseBkgnd(CDC *pDC) { return TRUE; }

void CPreviewView::OnDestroy()
{
    CWnd::OnDestroy();
    if (d_->frame)
        d_->frame->EndPreview(this);
    d_->frame = nullptr;
}

void CPreviewView::PostNcDestroy()
{
    if (!creating_)
        delete this;
}

} // namespace win
