// What a document template hands a new frame: the view class to make inside it,
// the document the view shows (may be null) and the template itself.
#pragma once

namespace win {

struct CRuntimeClass;
class CDocument;
class CSingleDocTemplate;
class CFrameWnd;

struct CCreateContext {
    const CRuntimeClass *m_pNewViewClass = nullptr;
    CDocument *m_pCurrentDoc = nullptr;
    CSingleDocTemplate *m_pNewDocTemplate = nullptr;
    CFrameWnd *m_pCurrentFrame = nullptr;
};

} // namespace win
