#include "platform/gdi/PrintJob.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <cmath>
#include <cstdlib>

#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

namespace win {

namespace {

QString ForcedPdfPath()
{
    const char *path = std::getenv("LUMO_PRINT_PDF");
    return path && *path ? QString::fromLocal8Bit(path) : QString();
}

QPageLayout PdfLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

// Where a job goes when there is no printer: a new file in the documents folder.
QString DefaultPdfPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    QDir().mkpath(folder);
    QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    return folder + QStringLiteral("/lumo-print-") + stamp + QStringLiteral(".pdf");
}

QString &ChosenPrinter()
{
    static QString name;
    return name;
}

} // namespace

void SelectPrinter(const std::string &name) { ChosenPrinter() = QString::fromStdString(GbkToUtf8(name)); }

PrintJob::PrintJob()
{
    bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (ForcedPdfPath().isEmpty() && gui) {
        QPrinterInfo info = ChosenPrinter().isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(ChosenPrinter());
        if (info.isNull())
            info = QPrinterInfo::defaultPrinter();
        if (!info.isNull()) {
            printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
            printer_->setResolution(kResolution);
        }
    }
    if (printer_) {
        QPageLayout layout = printer_->pageLayout();
        QRect paint = layout.paintRectPixels(kResolution);
        pageSize_ = paint.size();
        paperSize_ = layout.fullRectPixels(kResolution).size();
        pageOffset_ = QSize(paint.left(), paint.top());
    } else {
        UsePdfPage();
    }
}

// A PDF page is the whole A4 sheet, 210 × 297 mm.
void PrintJob::UsePdfPage()
{
    QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    pageSize_ = QSize(int(std::lround(mm.width() / 25.4 * kResolution)),
                      int(std::lround(mm.height() / 25.4 * kResolution)));
    paperSize_ = pageSize_;
    pageOffset_ = QSize(0, 0);
}

PrintJob::~PrintJob()
{
    if (painter_)
        Abort();
}

QSize PrintJob::PageMillimetres() const
{
    return QSize(int(pageSize_.width() * 25.4 / kResolution + 0.5),
                 int(pageSize_.height() * 25.4 / kResolution + 0.5));
}

bool PrintJob::StartDoc(const QString &title, const QString &output)
{
    if (painter_)
        return false;
    QString path = ForcedPdfPath();
    if (path.isEmpty())
        path = output;
    QPagedPaintDevice *device = nullptr;
    if (printer_ && path.isEmpty()) {
        printer_->setDocName(title);
        device = printer_.get();
    } else {
        if (path.isEmpty())
            path = DefaultPdfPath();
        auto writer = std::make_unique<QPdfWriter>(path);
        writer->setResolution(kResolution);
        writer->setPageLayout(PdfLayout());
        writer->setTitle(title);
        writer->setCreator(QStringLiteral("lumo"));
        UsePdfPage();
        device = writer.get();
        pdf_ = std::move(writer);
        pdfPath_ = path;
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(device)) {
        pdf_.reset();
        pdfPath_.clear();
        return false;
    }
    painter_ = std::move(painter);
    pagesDone_ = 0;
    return true;
}

bool PrintJob::StartPage()
{
    if (!painter_ || inPage_)
        return false;
    page_ = QImage(pageSize_, QImage::Format_RGB32);
    if (page_.isNull())
        return false;
    page_.fill(0xFFFFFFFFu);
    inPage_ = true;
    return true;
}

bool PrintJob::EndPage()
{
    if (!painter_ || !inPage_)
        return false;
    inPage_ = false;
    QPagedPaintDevice *device = pdf_ ? pdf_.get() : static_cast<QPagedPaintDevice *>(printer_.get());
    if (pagesDone_ > 0 && !device->newPage()) {
        page_ = QImage();
        return false;
    }
    painter_->drawImage(QPoint(0, 0), page_);
    page_ = QImage();
    ++pagesDone_;
    return true;
}

bool PrintJob::EndDoc()
{
    if (!painter_)
        return false;
    inPage_ = false;
    page_ = QImage();
    bool ok = painter_->end();
    painter_.reset();
    pdf_.reset();
    pdfPath_.clear();
    return ok;
}

void PrintJob::Abort()
{
    if (!painter_)
        return;
    inPage_ = false;
    page_ = QImage();
    if (printer_ && !pdf_)
        printer_->abort();
    painter_->end();
    painter_.reset();
    pdf_.reset();
    if (!pdfPath_.isEmpty())
        QFile::remove(pdfPath_);
    pdfPath_.clear();
}

} // namespace win
