// The framework's print dialog: asks whether (and, where offered, which pages)
// to print and hands out the printer's context. The job goes to the system's
// default printer, or to a PDF file when there is none (see CreatePrinterDC).
// Tests answer it through the common dialogs' recorder (TCommonDialog.h), where
// it shows as "CPrintDialog"; without a display it is accepted.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/win/WinTypes.h"

namespace win {

class CWnd;

// Print dialog flags.
constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_SELECTION = 0x00000001;
constexpr DWORD PD_PAGENUMS = 0x00000002;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_PRINTSETUP = 0x00000040;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;
constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;

// The document record of StartDoc under the name programs use.
using DOCINFO = DOCINFOA;

// The choices of a print dialog. Pages count from 1.
struct PRINTDLGA {
    HWND hwndOwner;
    HDC hDC;
    DWORD Flags;
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
};

class CPrintDialog {
public:
    // `bPrintSetupOnly` asks for the printer set-up instead of a job; both end in
    // the printer's context here.
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd *pParentWnd = nullptr);
    virtual ~CPrintDialog();
    CPrintDialog(const CPrintDialog &) = delete;
    CPrintDialog &operator=(const CPrintDialog &) = delete;

    // IDOK with the printer's context made, or IDCANCEL (nothing made).
    virtual int DoModal();
    // The default printer's context without asking anyone; FALSE when none can be made.
    BOOL GetDefaults();

    // The context of the accepted dialog (0 before): it stays valid while the
    // dialog lives, and the dialog deletes it (a caller's DeleteDC is harmless).
    HDC GetPrinterDC() const { return m_pd.hDC; }

    BOOL PrintAll() const { return !PrintRange() && !PrintSelection(); }
    BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
    BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
    int GetFromPage() const { return PrintRange() ? m_pd.nFromPage : -1; }
    int GetToPage() const { return PrintRange() ? m_pd.nToPage : -1; }
    int GetCopies() const { return m_pd.nCopies; }

    PRINTDLGA m_pd;

private:
    // Asks the person (a dialog on the screen); true when accepted.
    bool Ask();
    void ReleaseDC();
};

} // namespace win
