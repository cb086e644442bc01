#include "platform/appframe/CSingleDocTemplate.h"

#include "platform/appframe/CDocument.h"
#include "platform/appframe/CFrameWnd.h"

namespace win {

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass *pDocClass,
                                       const CRuntimeClass *pFrameClass, const CRuntimeClass *pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
}

CDocument *CSingleDocTemplate::CreateNewDocument()
{
    if (!m_pDocClass)
        return nullptr;
    CCmdTarget *object = m_pDocClass->CreateObject();
    auto *doc = dynamic_cast<CDocument *>(object);
    if (!doc) {
        delete object;
        return nullptr;
    }
    doc->m_pDocTemplate = this;
    if (!doc->OnNewDocument()) {
        delete doc;
        return nullptr;
    }
    return doc;
}

CFrameWnd *CSingleDocTemplate::CreateNewFrame(CDocument *pDoc, CFrameWnd *pOther)
{
    if (!m_pFrameClass)
        return nullptr;
    CCmdTarget *object = m_pFrameClass->CreateObject();
    auto *frame = dynamic_cast<CFrameWnd *>(object);
    if (!frame) {
        delete object;
        return nullptr;
    }
    CCreateContext context;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewDocTemplate = this;
    context.m_pCurrentFrame = pOther;
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        delete frame;
        return nullptr;
    }
    return frame;
}

void CSingleDocTemplate::InitialUpdateFrame(CFrameWnd *pFrame, CDocument *pDoc, BOOL bMakeVisible)
{
    if (pFrame)
        pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

} // namespace win
