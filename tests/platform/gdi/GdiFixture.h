// Shared by the drawing tests: the GUI application that fonts need, and contexts on
// small images whose pixels the tests read back.
#pragma once

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/QtSurface.h"

namespace win {

class GdiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_platform_gdi";
            static char *argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);
        }
    }

    // A context on a fresh image filled with `fill` (0x00RRGGBB pixels).
    HDC NewImageDC(int width, int height, uint32_t fill = 0x000000)
    {
        image_ = std::make_shared<QImage>(width, height, QImage::Format_RGB32);
        image_->fill(0xFF000000u | fill);
        dc_ = CreateImageDC(image_);
        return dc_;
    }
    void TearDown() override
    {
        if (dc_)
            DeleteDC(dc_);
    }

    // The pixel as 0x00RRGGBB.
    uint32_t At(int x, int y) const { return image_->pixel(x, y) & 0xFFFFFFu; }
    // Pixels that differ from `fill`.
    int CountNot(uint32_t fill) const
    {
        int n = 0;
        for (int y = 0; y < image_->height(); ++y)
            for (int x = 0; x < image_->width(); ++x)
                n += At(x, y) != fill;
        return n;
    }
    QImage &Image() { return *image_; }

    std::shared_ptr<QImage> image_;
    HDC dc_ = 0;
};

} // namespace win
