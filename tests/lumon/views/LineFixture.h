// A laid-out K-line pane for the drawn-line tests: 40 day bars of 600000 on a
// wave, drawn by the K-line indicator into an image the tests read back, and
// the GUI application that fonts and dialogs need.
#pragma once

#include <QImage>

#include <cmath>
#include <memory>
#include <vector>

#include "../../support/TestApplication.h"
#include "../formula/IndexFixture.h"
#include "lumon/formula/PriceIndexes.h"
#include "lumon/views/TLine.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/gdi/QtSurface.h"

struct LinePane : IndexFixture {
    explicit LinePane(int width = 640, int height = 320, int bars = 80)
    {
        testsupport::TestApplication("test_lumon_views");
        ColorTable[0] = int32_t(win::RGB(0, 0, 0));        // background
        ColorTable[1] = int32_t(win::RGB(0, 255, 0));      // falling bars
        ColorTable[2] = int32_t(win::RGB(255, 0, 0));      // rising bars
        ColorTable[34] = int32_t(win::RGB(255, 255, 0));   // drawn lines
        std::vector<uint32_t> closes;
        for (int i = 0; i < bars; ++i)
            closes.push_back(uint32_t(1000 + 60 * std::sin(i / 5.0) + 4 * i));
        Records = DayBars(closes);
        Market(0).Statics[1].Decimals = 2;
        kline = std::make_unique<CKline>(Sh600000);
        kline->Compute();
        image = std::make_shared<QImage>(width, height, QImage::Format_RGB32);
        image->fill(0xFF000000u);
        dc = win::CreateImageDC(image);
        paneRect = win::RECT{1, 0, width - 61, height};
        kline->Draw(dc, &paneRect);
        clean = *image;
    }
    ~LinePane() { win::DeleteDC(dc); }

    TIndex *Pane() { return kline.get(); }
    win::RECT *Rect() { return &kline->PlotRect; }
    // The centre column of shown bar k.
    int BarX(int k) const
    {
        return int(kline->PlotRect.left + kline->BarWidth / 2 + (kline->BarWidth + kline->BarGap) * k);
    }
    // A new line of the kind on the pane.
    std::unique_ptr<TLine> Make(int kind)
    {
        TLine *line = nullptr;
        MakeDrawLine(line, kind, Pane(), Rect());
        return std::unique_ptr<TLine>(line);
    }
    // A complete line placed by two presses (one for the one-anchor kinds),
    // without drawing on the pane's image.
    std::unique_ptr<TLine> Placed(int kind, win::POINT a, win::POINT b)
    {
        auto line = Make(kind);
        win::HDC scratch = win::CreateRecordingDC(image->width(), image->height());
        line->Press(a.x, a.y, scratch);
        if (line->State == 0)
            line->Press(b.x, b.y, scratch);
        win::DeleteDC(scratch);
        return line;
    }
    // A complete line whose anchors sit at these screen points as they are,
    // its points derived (no drawing).
    std::unique_ptr<TLine> At(int kind, win::POINT a, win::POINT b = {})
    {
        auto line = Make(kind);
        for (int k = 0; k < line->AnchorCount; ++k) {
            win::POINT p = k == 0 ? a : b;
            line->Anchors[k].x = p.x;
            line->Anchors[k].y = p.y;
            line->Anchors[k].flag = 1;
        }
        line->State = 1;
        line->DerivePoints(false);
        return line;
    }
    // The drawing calls of the line's Draw, as a recording context logs them.
    std::vector<std::string> Calls(TLine &line, int withHandles = 0)
    {
        win::HDC rec = win::CreateRecordingDC(image->width(), image->height());
        line.Draw(rec, withHandles);
        std::vector<std::string> calls = win::RecordedCalls(rec);
        win::DeleteDC(rec);
        return calls;
    }
    uint32_t Pixel(int x, int y) const { return image->pixel(x, y) & 0xFFFFFFu; }

    std::vector<KLineRecord> Records;
    std::unique_ptr<CKline> kline;
    std::shared_ptr<QImage> image;
    QImage clean;                   // the pane as the indicator drew it
    win::HDC dc = 0;
    win::RECT paneRect{};
};
