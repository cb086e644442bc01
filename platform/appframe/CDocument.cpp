#include "platform/appframe/CDocument.h"

#include <algorithm>

#include "platform/appframe/CView.h"

namespace win {

IMPLEMENT_DYNCREATE(CDocument, CCmdTarget)

CDocument::~CDocument()
{
    for (CView *view : views_)
        view->m_pDocument = nullptr;
}

void CDocument::SetTitle(LPCSTR lpszTitle) { m_strTitle = lpszTitle ? lpszTitle : ""; }

BOOL CDocument::OnNewDocument() { return TRUE; }

void CDocument::AddView(CView *pView)
{
    if (!pView || std::find(views_.begin(), views_.end(), pView) != views_.end())
        return;
    if (pView->m_pDocument && pView->m_pDocument != this)
        pView->m_pDocument->RemoveView(pView);
    views_.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView *pView)
{
    auto it = std::find(views_.begin(), views_.end(), pView);
    if (it == views_.end())
        return;
    views_.erase(it);
    pView->m_pDocument = nullptr;
    if (views_.empty() && m_bAutoDelete)
        delete this;
}

void CDocument::UpdateAllViews(CView *pSender, LPARAM lHint)
{
    std::vector<CView *> views = views_;
    for (CView *view : views) {
        if (view != pSender)
            view->OnUpdate(pSender, lHint);
    }
}

} // namespace win
