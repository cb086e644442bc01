// The K-line chart's test fixture: the main frame on a maker installation, a
// page of it with a K-line chart of a maker stock that has history, and the
// small readers the chart tests share (pictures, texts, queued messages).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumon/core/DataPool.h"
#include "lumon/core/MarketData.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/Techfm.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/Messages.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/lumon/views/ChartFixture.h"

namespace klinefixture {

using namespace win;

// The window's client image, pixel by pixel.
inline std::vector<COLORREF> Picture(TWinControl *view)
{
    HDC dc = GetDC(view->Handle);
    std::vector<COLORREF> out;
    for (int y = 0; y < view->ClientHeight; ++y)
        for (int x = 0; x < view->ClientWidth; ++x)
            out.push_back(GetPixel(dc, x, y));
    ReleaseDC(view->Handle, dc);
    return out;
}

// Removes the queued messages `msg` of the window; how many there were.
inline int TakePosted(HWND window, UINT msg)
{
    int n = 0;
    MSG m;
    while (PeekMessageA(&m, window, msg, msg, PM_REMOVE))
        ++n;
    return n;
}

// The texts RepaintChart draws, each with the colour then set.
inline std::vector<chartfixture::DrawnText> PaintedTexts(TTechForm *chart)
{
    HDC dc = CreateRecordingDC(chart->ClientWidth, chart->ClientHeight);
    chart->RepaintChart(chart, false, dc);
    std::vector<chartfixture::DrawnText> texts = chartfixture::DrawnTexts(dc);
    DeleteDC(dc);
    return texts;
}

class KLineTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        DefaultAsk = TTechForm::AskPeriodNumber;
        RegisterViewMaker(VIEW_REPORT, framefixture::MakeFrameTestView);
        RegisterKLineChart();
        TTechForm::ResetReloadThrottle();
        // The bar caches live for the process: each test starts as a new
        // program does, with none.
        ClearDataCaches();
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        ClearViewMakers();
        ViewHooks = TViewHooks{};
        TTechForm::AskPeriodNumber = DefaultAsk;
    }
    void StartQuiet()
    {
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        Quiet();
    }
    void Quiet()
    {
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        page = framefixture::NewTestPage(frame);
        frame->SetBounds(0, 0, 1600, 900);
    }
    StockId Stock(int market, const char *code)
    {
        TMarketData *md = MarketTable.Markets[market];
        const int s = md->FindStockByCode(code);
        EXPECT_GE(s, 0) << code;
        return MakeStockId(market, md->Statics[s].Class, s);
    }
    // A K-line chart of the stock beside the page's first pane, shown once and
    // sized to width x height.
    TTechForm *AddChart(StockId stock, int width = 900, int height = 600)
    {
        auto *chart = dynamic_cast<TTechForm *>(framefixture::AddView(page, VIEW_KLINE, stock));
        EXPECT_NE(chart, nullptr);
        if (!chart)
            return nullptr;
        chart->Drawn = 1;
        chart->SetBounds(chart->Left, chart->Top, width, height);
        chart->ReloadView();
        framefixture::App().ProcessMessages();
        return chart;
    }
    TIndex *Price(TTechForm *chart) { return chart->Panes[0]; }
    void Key(TTechForm *chart, WORD key, TShiftState shift = TShiftState())
    {
        WORD k = key;
        chart->FormKeyDown(chart, k, shift);
    }

    TMultiViewMain *page = nullptr;
    int (*DefaultAsk)(int) = nullptr;
};

} // namespace klinefixture
