// A document template of a program with one document at a time: from the
// runtime classes of its document (may be null), frame and view it makes a frame
// holding a new view, and runs the frame's first update.
#pragma once

#include "platform/appframe/CCmdTarget.h"
#include "platform/appframe/CRuntimeClass.h"

namespace win {

class CDocument;
class CFrameWnd;

class CSingleDocTemplate : public CCmdTarget {
public:
    // nIDResource names the template's resources (the frame's); the classes must
    // be created with DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE.
    CSingleDocTemplate(UINT nIDResource, const CRuntimeClass *pDocClass, const CRuntimeClass *pFrameClass,
                       const CRuntimeClass *pViewClass);

    // A new document of the template's class (null without one, or when the
    // document refuses OnNewDocument).
    CDocument *CreateNewDocument();
    // A new hidden frame with a new view of pDoc (which may be null); null on
    // failure. pOther (a frame to copy) is not used.
    CFrameWnd *CreateNewFrame(CDocument *pDoc, CFrameWnd *pOther);
    // The frame's first update (its views' OnInitialUpdate), shown when bMakeVisible.
    void InitialUpdateFrame(CFrameWnd *pFrame, CDocument *pDoc, BOOL bMakeVisible = TRUE);

    UINT GetResourceID() const { return m_nIDResource; }

protected:
    UINT m_nIDResource;
    const CRuntimeClass *m_pDocClass;
    const CRuntimeClass *m_pFrameClass;
    const CRuntimeClass *m_pViewClass;
};

} // namespace win
