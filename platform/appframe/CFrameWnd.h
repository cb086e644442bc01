// The framework's frame window: a top-level window that holds a view filling its
// client area (made from a CCreateContext by a document template), routes
// commands to that view first, and shows a print preview in the view's place
// while one runs. Frames delete themselves with their windows.
#pragma once

#include "platform/appframe/CCreateContext.h"
#include "platform/appframe/CRuntimeClass.h"
#include "platform/appframe/CView.h"

namespace win {

class CDocument;
class CPreviewView;

// LoadFrame's style bit for a title that names the document; frames here keep
// the title they are given, so it is accepted and has no effect.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd() = default;

    using CWnd::Create;
    // A top-level frame (with a view when pContext names a view class; no menu).
    // FALSE: no window, and the caller deletes the object; once made, the frame
    // deletes itself with its window.
    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT &rect = rectDefault, CWnd *pParentWnd = nullptr, LPCSTR lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext *pContext = nullptr);
    // The frame of a document template, hidden. The resource id names the
    // template; frames here take no menu or icon from it.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd *pParentWnd = nullptr, CCreateContext *pContext = nullptr);

    CView *GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView *pViewNew, BOOL bNotify = TRUE);
    CDocument *GetActiveDocument() const;
    // The first update: every view's OnInitialUpdate, then the frame is shown when
    // bMakeVisible (else it stays hidden).
    void InitialUpdateFrame(CDocument *pDoc, BOOL bMakeVisible);
    // Fits the view (or the preview in its place) to the client area.
    void RecalcLayout();

    // The print preview shown in place of the view, or null.
    CPreviewView *GetPreview() const { return preview_; }

    BOOL OnCmdMsg(UINT nID, int nCode, void *pExtra, void *pHandlerInfo) override;

    // The default place and size of a new frame.
    static const CRect rectDefault;

protected:
    // Makes the client: the view of pContext's view class, if any.
    virtual BOOL OnCreateClient(CCreateContext *pContext);
    CView *CreateView(CCreateContext *pContext, UINT nID = AFX_IDW_PANE_FIRST);

    void OnSize(UINT nType, int cx, int cy);
    // Closing the frame during a preview ends the preview instead.
    void OnClose();
    void PostNcDestroy() override;

    CView *m_pViewActive = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class CPreviewView;
    friend class CView;
    // The preview starts or ends in the view's place.
    void BeginPreview(CPreviewView *preview);
    void EndPreview(CPreviewView *preview);

    CPreviewView *preview_ = nullptr;
    bool creating_ = false;
};

} // namespace win
