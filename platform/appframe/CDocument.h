// The framework's document: the data a document template's views show, with a
// title and the list of its views. A document with bAutoDelete set deletes
// itself when its last view goes.
#pragma once

#include <vector>

#include "platform/appframe/CCmdTarget.h"
#include "platform/appframe/CRuntimeClass.h"
#include "platform/win/CString.h"

namespace win {

class CView;
class CSingleDocTemplate;

class CDocument : public CCmdTarget {
    DECLARE_DYNCREATE(CDocument)
public:
    CDocument() = default;
    ~CDocument() override;

    const CString &GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle);
    // A new, empty document; FALSE refuses it.
    virtual BOOL OnNewDocument();

    void AddView(CView *pView);
    void RemoveView(CView *pView);
    const std::vector<CView *> &GetViews() const { return views_; }
    // Tells every view but pSender that the document changed (CView::OnUpdate).
    void UpdateAllViews(CView *pSender, LPARAM lHint = 0);

    CSingleDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }

    BOOL m_bAutoDelete = TRUE;

protected:
    CString m_strTitle;

private:
    friend class CSingleDocTemplate;
    CSingleDocTemplate *m_pDocTemplate = nullptr;
    std::vector<CView *> views_;
};

} // namespace win
