// The form library's printer: a print job with a canvas on the current page, the
// page's size in printer pixels, and the state of the job. Jobs go to the system's
// printer, or to a PDF file (see CreatePrinterDC).
#pragma once

#include "platform/gdi/Property.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/AnsiString.h"

namespace win {

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter &) = delete;
    TPrinter &operator=(const TPrinter &) = delete;

    // Starts a job titled Title on its first page; false (nothing started) when a
    // job is already running or the printer or file cannot be opened.
    bool BeginDoc();
    // Ends the current page and starts the next; false outside a job or when the
    // page cannot be written.
    bool NewPage();
    // Ends the job; false outside a job or when the output could not be completed.
    bool EndDoc();
    // Ends the job without output.
    void Abort();

    int GetPageWidth();
    int GetPageHeight();
    int GetPageNumber() const { return pageNumber_; }
    bool GetPrinting() const { return printing_; }
    bool GetAborted() const { return aborted_; }
    HDC GetHandle();

    // The job's name.
    AnsiString Title;
    TCanvas *const Canvas;
    ReadOnlyProperty<TPrinter, int, &TPrinter::GetPageWidth> PageWidth{this};
    ReadOnlyProperty<TPrinter, int, &TPrinter::GetPageHeight> PageHeight{this};
    ReadOnlyProperty<TPrinter, int, &TPrinter::GetPageNumber> PageNumber{this};
    ReadOnlyProperty<TPrinter, bool, &TPrinter::GetPrinting> Printing{this};
    ReadOnlyProperty<TPrinter, bool, &TPrinter::GetAborted> Aborted{this};
    ReadOnlyProperty<TPrinter, HDC, &TPrinter::GetHandle> Handle{this};

private:
    HDC dc_ = 0;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
};

// The program's printer.
TPrinter *Printer();

} // namespace win
