// Inside the drawing layer: the print job of a printer context. Each page is drawn
// on a white image at 300 dots per inch and handed to the printer, or to a PDF file
// when no printer is configured or LUMO_PRINT_PDF names one.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace win {

class PrintJob {
public:
    PrintJob();
    ~PrintJob();

    static constexpr int kResolution = 300;

    // The printable page in device pixels, its size in millimetres and its offset
    // from the paper's corner.
    QSize PageSize() const { return pageSize_; }
    QSize PaperSize() const { return paperSize_; }
    QSize PageOffset() const { return pageOffset_; }
    QSize PageMillimetres() const;

    // `title` names the job; `output`, when not empty, the PDF file to write.
    bool StartDoc(const QString &title, const QString &output);
    bool StartPage();
    bool EndPage();
    bool EndDoc();
    // Ends the job without output (a PDF file begun is removed).
    void Abort();

    bool InDocument() const { return painter_ != nullptr; }
    // The page being drawn, or null outside StartPage/EndPage.
    QImage *Page() { return inPage_ ? &page_ : nullptr; }

private:
    void UsePdfPage();

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPagedPaintDevice> pdf_;
    std::unique_ptr<QPainter> painter_;
    QString pdfPath_;
    QImage page_;
    bool inPage_ = false;
    int pagesDone_ = 0;
    QSize pageSize_;
    QSize paperSize_;
    QSize pageOffset_;
};

} // namespace win
