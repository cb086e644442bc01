#include "platform/appframe/CFrameWnd.h"

#include "platform/appframe/CDocument.h"
#include "platform/appframe/CPreviewView.h"

namespace win {

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const CRect CFrameWnd::rectDefault(0, 0, 800, 600);

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_SIZE()
ON_WM_CLOSE()
END_MESSAGE_MAP()

BOOL CFrameWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                       CWnd *pParentWnd, LPCSTR lpszMenuName, DWORD dwExStyle, CCreateContext *pContext)
{
    creating_ = true;
    BOOL made = CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, 0, nullptr);
    if (made && !OnCreateClient(pContext)) {
        DestroyWindow();
        made = FALSE;
    }
    creating_ = false;
    if (made)
        RecalcLayout();
    return made;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd *pParentWnd, CCreateContext *pContext)
{
    return Create(nullptr, "", dwDefaultStyle & ~(WS_VISIBLE | FWS_ADDTOTITLE), rectDefault, pParentWnd, nullptr,
                  0, pContext);
}

BOOL CFrameWnd::OnCreateClient(CCreateContext *pContext)
{
    if (!pContext || !pContext->m_pNewViewClass)
        return TRUE;
    return CreateView(pContext) != nullptr;
}

CView *CFrameWnd::CreateView(CCreateContext *pContext, UINT nID)
{
    CCmdTarget *object = pContext->m_pNewViewClass->CreateObject();
    auto *view = dynamic_cast<CView *>(object);
    if (!view) {
        delete object;
        return nullptr;
    }
    CRect client;
    GetClientRect(&client);
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, this, nID, pContext)) {
        delete view;
        return nullptr;
    }
    if (pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(view);
    if (!m_pViewActive)
        m_pViewActive = view;
    return view;
}

void CFrameWnd::SetActiveView(CView *pViewNew, BOOL bNotify)
{
    m_pViewActive = pViewNew;
    if (pViewNew && bNotify)
        pViewNew->SetFocus();
}

CDocument *CFrameWnd::GetActiveDocument() const
{
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument *pDoc, BOOL bMakeVisible)
{
    if (!m_pViewActive) {
        if (CWnd *pane = GetDlgItem(int(AFX_IDW_PANE_FIRST)))
            m_pViewActive = dynamic_cast<CView *>(CWnd::FromHandlePermanent(pane->m_hWnd));
    }
    if (pDoc && m_pViewActive && m_pViewActive->GetDocument() != pDoc)
        pDoc->AddView(m_pViewActive);
    for (CWnd *child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
        if (auto *view = dynamic_cast<CView *>(CWnd::FromHandlePermanent(child->m_hWnd)))
            view->OnInitialUpdate();
    }
    RecalcLayout();
    if (bMakeVisible)
        ShowWindow(SW_SHOW);
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    CWnd *pane = preview_ ? static_cast<CWnd *>(preview_) : static_cast<CWnd *>(m_pViewActive);
    if (pane && pane->m_hWnd)
        pane->MoveWindow(&client, TRUE);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void *pExtra, void *pHandlerInfo)
{
    if (preview_ && preview_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) { RecalcLayout(); }

void CFrameWnd::OnClose()
{
    if (preview_) {
        preview_->SendMessage(WM_COMMAND, AFX_ID_PREVIEW_CLOSE);
        return;
    }
    DestroyWindow();
}

void CFrameWnd::BeginPreview(CPreviewView *preview)
{
    preview_ = preview;
    if (m_pViewActive)
        m_pViewActive->ShowWindow(SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::EndPreview(CPreviewView *preview)
{
    if (preview_ != preview)
        return;
    preview_ = nullptr;
    RecalcLayout();
}

void CFrameWnd::PostNcDestroy()
{
    if (!creating_)
        delete this;
}

} // namespace win
