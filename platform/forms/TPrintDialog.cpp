#include "platform/forms/TPrintDialog.h"

#include <QApplication>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"

namespace win {

bool TPrintDialog::Execute()
{
    if (std::optional<DialogAnswer> answer = RecordedDialogAnswer({ClassName(), Title, "", ""}))
        return answer->accepted;
    if (!CanShowDialogs())
        return true;
    // Without a system printer the job becomes a PDF file: there is no printer
    // to choose or set up.
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return true;
    QPrinter printer(info);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    // The job is the whole document: the dialog chooses the printer and offers no
    // page range, selection or file output.
    dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions());
    if (!Title.IsEmpty())
        dialog.setWindowTitle(QtText(Title.c_str()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    SelectPrinter(GbkText(printer.printerName()));
    return true;
}

} // namespace win
