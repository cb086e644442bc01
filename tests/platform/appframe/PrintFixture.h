// Shared by the print and preview tests: the GUI of the test program, the dialog
// recorder switched on, a PDF file that takes the print jobs, and readers of
// what was printed (the PDF's page count, the rows of a page picture with ink).
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "AppframeFixture.h"
#include "platform/forms/TCommonDialog.h"
#include "platform/gdi/GdiTesting.h"

namespace printtest {

// The page count `pdfinfo` reports for a file, or -1.
inline int PdfPages(const std::string &path)
{
    std::string command = "pdfinfo '" + path + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char line[512];
    int pages = -1;
    while (std::fgets(line, sizeof line, pipe)) {
        if (std::sscanf(line, "Pages: %d", &pages) == 1)
            break;
    }
    pclose(pipe);
    return pages;
}

// The picture a context draws on, through a PNG file.
inline QImage PictureOf(win::HDC hdc)
{
    QString path = QDir::current().filePath(QStringLiteral("picture.png"));
    if (!win::SaveDCToPng(hdc, path.toLocal8Bit().constData()))
        return QImage();
    QImage image(path);
    QFile::remove(path);
    return image;
}

// Whether any pixel of rows [top, bottom) is dark.
inline bool InkInRows(const QImage &image, int top, int bottom)
{
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

class PrintFixture : public appframetest::AppframeFixture {
protected:
    void SetUp() override
    {
        AppframeFixture::SetUp();
        win::RecordDialogs(true);
        pdf = QDir::current().filePath(QStringLiteral("job.pdf")).toStdString();
        QFile::remove(QString::fromStdString(pdf));
        setenv("LUMO_PRINT_PDF", pdf.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("LUMO_PRINT_PDF");
        win::RecordDialogs(false);
        AppframeFixture::TearDown();
    }
    bool Printed() const { return QFile::exists(QString::fromStdString(pdf)); }

    std::string pdf;
};

} // namespace printtest
