// The report print view: prints a plain text report, or shows it in the print
// preview, with a small markup for fonts, centring and page breaks. Tags stand at
// the start of an output line, several in a row: <Center> and </Center> centre
// the lines between them; <Font Name=...> and <Font Size=...> change the face and
// the size (points), </Font Name> and </Font Size> go back to the view's own. A
// form feed ends the page. Long lines wrap at blanks, else before the character
// that no longer fits, never inside a double-byte (GBK) character.
#pragma once

#include "platform/appframe/CGdiObject.h"
#include "platform/appframe/CRuntimeClass.h"
#include "platform/appframe/CView.h"
#include "platform/win/CString.h"

// What the layout asks of the printing device: a font, and the width of a text
// in it. The view measures on the printer's context; tests measure with a rule
// of their own.
class CPrintMeasure {
public:
    virtual ~CPrintMeasure() = default;
    // Makes and selects a point font of `points` in `face`; the extent of "A" in it
    // (character width, line height).
    virtual win::CSize UseFont(const char *face, int points) = 0;
    // The width of `length` bytes of GBK text in the selected font.
    virtual int TextWidth(const char *text, int length) = 0;
};

class CViewPrintPreview : public win::CView {
    DECLARE_DYNCREATE(CViewPrintPreview)
public:
    CViewPrintPreview();
    ~CViewPrintPreview() override;

    win::BOOL OnPreparePrinting(win::CPrintInfo *pInfo) override;
    void OnBeginPrinting(win::CDC *pDC, win::CPrintInfo *pInfo) override;
    void OnPrint(win::CDC *pDC, win::CPrintInfo *pInfo) override;
    void OnEndPrinting(win::CDC *pDC, win::CPrintInfo *pInfo) override;
    void OnEndPrintPreview(win::CDC *pDC, win::CPrintInfo *pInfo, win::POINT point, win::CPreviewView *pView) override;

    // The framework's print preview of this view, and its print command.
    void DoFilePrintPreview();
    void DoFilePrint();
    // Prints through the print dialog, without preview; nothing when cancelled.
    void PrintDirect();
    // Shows the return window again as the application's main window and
    // destroys the frame that holds this view (and so the view).
    void ClosePreview();

    // The next output line from `nPos` in the text; `nPos` moves past it. A form
    // feed is a line of its own; at the end of the text the line is empty.
    win::CString FormatLine(int &nPos);
    // The pages the text takes: at least one.
    int CountPages();

    // The layout's device: the drawing area (the whole printable page) and the
    // measure of the text; the margins in device units. The print job sets them in
    // OnBeginPrinting; tests set them directly.
    void SetLayoutDevice(CPrintMeasure *measure, const win::CRect &page);
    // Starts a pass over the text: the markup from the view's face and size,
    // centring off, the font made and measured.
    void StartMarkup();

    // The font sizes the layout uses, whatever the text or the caller says:
    // smaller or larger sizes are taken as these bounds.
    static constexpr int kMinFontSize = 1;
    static constexpr int kMaxFontSize = 200;

    win::CFont m_Font;
    int m_nCharWidth = 1;
    int m_nLineHeight = 1;
    win::BOOL m_bCenter = win::FALSE;
    // Millimetres as the caller sets them; device units from OnBeginPrinting on.
    int m_nTopMargin = 0;
    int m_nBottomMargin = 0;
    int m_nLeftMargin = 0;
    int m_nRightMargin = 0;
    int m_nFontSize = 10;
    win::CString m_strFaceName;
    win::CWnd *m_pReturnWnd = nullptr;
    win::CString m_strText;

private:
    // The font of the markup's current face and size, selected and measured.
    void UseCurrentFont();
    // Handles the tags at `nPos`; false when the text there is no tag it knows.
    bool TakeTag(int &nPos);
    int AvailableWidth() const;
    int UsableHeight() const;

    win::CString m_strCurFace;
    int m_nCurSize = 10;
    win::CRect m_rectPage;
    CPrintMeasure *m_pMeasure = nullptr;
    bool m_bMarginsInDevice = false;
};
