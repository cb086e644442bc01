// The fixture of the ranking and text-view tests: the frame on a maker
// installation, offline or logged in to the simulated data server with a log of
// what it received, a page whose one pane becomes the view under test, and the
// requests the server logged.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <fstream>
#include <string>
#include <vector>

#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/F10form.h"
#include "lumon/views/IntegSort.h"
#include "lumon/views/Msgeform.h"
#include "lumon/views/ZQNote.h"
#include "platform/forms/TCommonDialog.h"
#include "tests/lumon/shell/FrameFixture.h"
#include "tests/lumon/shell/FrameViews.h"
#include "tests/support/MiniJson.h"

namespace textviews {

using testsupport::PumpUntil;

// A request frame the server received: its type and its body's bytes.
struct LoggedRequest {
    int type;
    std::vector<uint8_t> body;
};

class ViewTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        RegisterIntegratedRanking();
        RegisterNewsView();
        RegisterCompanyText();
        RegisterNotesView();
        win::RecordDialogs(true);
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        win::RecordDialogs(false);
        ClearViewMakers();
        ViewHooks = TViewHooks();
    }
    void QuietFrame()
    {
        ASSERT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        frame->SetBounds(0, 0, 1000, 760);
        frame->Show();
        page = framefixture::NewTestPage(frame);
    }
    void Offline()
    {
        StartOffline();
        QuietFrame();
    }
    void Connect()
    {
        logPath = (root / "server.log").string();
        ASSERT_TRUE(server.Start(root.string(), {"--log", logPath}));
        StartConnected(server);
        ASSERT_EQ(frame->GetConnectionState(), 3);
        QuietFrame();
    }
    // Replaces the page's first pane with a view of the attributes and waits
    // until it has been shown once.
    template <typename View>
    View *Open(const VIEW_ATTR &attr)
    {
        TMultiViewChild *pane = page->ReplaceView(page->Panes->GetAt(0)->Node, &attr, 0);
        page->LayoutPage();
        auto *view = dynamic_cast<View *>(pane);
        EXPECT_NE(view, nullptr);
        if (view)
            EXPECT_TRUE(PumpUntil(framefixture::App(), [view] { return view->Drawn != 0; }, 5000));
        return view;
    }
    template <typename View>
    View *Open(uint16_t type)
    {
        VIEW_ATTR attr;
        InitViewAttr(type, &attr);
        return Open<View>(attr);
    }
    // The requests of a frame type the server logged on its data listener.
    std::vector<LoggedRequest> Logged(int type) const
    {
        std::vector<LoggedRequest> out;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["listener"].text != "data" || j["type"].Int() != type)
                continue;
            const std::string hex = j["hex"].text.substr(20);
            LoggedRequest r{type, {}};
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                r.body.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
            out.push_back(r);
        }
        return out;
    }
    bool WaitLogged(int type, size_t n)
    {
        return PumpUntil(framefixture::App(), [&] { return Logged(type).size() >= n; }, 8000);
    }
    void Pump(const std::function<bool()> &done, int ms = 8000)
    {
        ASSERT_TRUE(PumpUntil(framefixture::App(), done, ms));
    }
    void SavePicture(win::TControl *control, const char *name)
    {
        QCoreApplication::processEvents();
        control->Widget()->grab().save(QString::fromUtf8((std::string(LUMO_TEST_BINARY_DIR "/") + name).c_str()));
    }

    // How many pixels of the control's picture have the colour.
    int PixelsOf(win::TControl *control, win::COLORREF colour)
    {
        QCoreApplication::processEvents();
        const QImage image = control->Widget()->grab().toImage();
        const QRgb want = qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
        return n;
    }

    peer::DataServer server;
    std::string logPath;
    TMultiViewMain *page = nullptr;
};

} // namespace textviews
