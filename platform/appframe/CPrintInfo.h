// The state of one print job or print preview as the framework hands it to a
// view: the print dialog (and through it the printer's context), the page range,
// the page being printed, the area to draw it in, and whether it is a preview.
#pragma once

#include "platform/appframe/AfxTypes.h"

namespace win {

class CPrintDialog;

class CPrintInfo {
public:
    CPrintInfo();
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo &) = delete;
    CPrintInfo &operator=(const CPrintInfo &) = delete;

    // The page range a view sets in its print preparation or OnBeginPrinting.
    // Until SetMaxPage the last page is unknown, and only the first is printed
    // unless the view's OnPrepareDC keeps m_bContinuePrinting set.
    void SetMinPage(UINT nMinPage);
    void SetMaxPage(UINT nMaxPage);
    UINT GetMinPage() const;
    UINT GetMaxPage() const;
    bool MaxPageKnown() const;
    // The first and last page to print: the range chosen in the dialog, else all.
    UINT GetFromPage() const;
    UINT GetToPage() const;

    // Owned; deleted (with the printer's context) with this object.
    CPrintDialog *m_pPD;
    // Printing without the dialog (the default printer).
    BOOL m_bDirect = FALSE;
    BOOL m_bPreview = FALSE;
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    // The page's drawing area in device units, set before each OnPrint.
    CRect m_rectDraw;
};

} // namespace win
