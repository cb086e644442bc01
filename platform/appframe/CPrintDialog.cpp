#include "platform/appframe/CPrintDialog.h"

#include <QApplication>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include "platform/forms/TCommonDialog.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/MessageBox.h"

namespace win {

namespace {

constexpr WORD kUnknownLastPage = 0xFFFF;

} // namespace

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd *pParentWnd) : m_pd{}
{
    (void)pParentWnd;
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : 0);
    m_pd.nFromPage = 1;
    m_pd.nToPage = kUnknownLastPage;
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = kUnknownLastPage;
    m_pd.nCopies = 1;
}

CPrintDialog::~CPrintDialog() { ReleaseDC(); }

void CPrintDialog::ReleaseDC()
{
    if (m_pd.hDC)
        DeleteDC(m_pd.hDC);
    m_pd.hDC = 0;
}

int CPrintDialog::DoModal()
{
    ReleaseDC();
    bool accepted;
    if (std::optional<DialogAnswer> answer = RecordedDialogAnswer({"CPrintDialog", "", "", ""}))
        accepted = answer->accepted;
    else
        accepted = !CanShowDialogs() || Ask();
    if (!accepted)
        return IDCANCEL;
    return GetDefaults() ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults()
{
    ReleaseDC();
    m_pd.hDC = win::CreatePrinterDC();
    return m_pd.hDC != 0;
}

// The dialog starts on the default printer and chooses the printer of the
// program's later jobs; it offers no file output, and a page range or the
// selection only where the flags allow them.
bool CPrintDialog::Ask()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return true;
    QPrinter printer(info);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    QAbstractPrintDialog::PrintDialogOptions options;
    if (!(m_pd.Flags & PD_NOPAGENUMS))
        options |= QAbstractPrintDialog::PrintPageRange;
    if (!(m_pd.Flags & PD_NOSELECTION))
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    if (m_pd.nMaxPage != kUnknownLastPage)
        dialog.setMinMax(m_pd.nMinPage, m_pd.nMaxPage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    SelectPrinter(GbkText(printer.printerName()));
    m_pd.Flags &= ~(PD_PAGENUMS | PD_SELECTION);
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        m_pd.Flags |= PD_PAGENUMS;
        m_pd.nFromPage = WORD(dialog.fromPage());
        m_pd.nToPage = WORD(dialog.toPage());
    } else if (dialog.printRange() == QAbstractPrintDialog::Selection) {
        m_pd.Flags |= PD_SELECTION;
    }
    return true;
}

} // namespace win
