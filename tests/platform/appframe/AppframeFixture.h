// Shared by the framework's window, dialog and control tests: the GUI application
// of the test program, an event loop that runs until a condition holds, and the
// message-box recorder switched on for each test.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include <chrono>
#include <functional>

#include "platform/appframe/CDialog.h"
#include "platform/appframe/CWinApp.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/GuiApplication.h"
#include "platform/win/MessageBox.h"

namespace appframetest {

// The program title the framework's message boxes show.
constexpr const char *kProgramTitle = "框架测试";

// The test program's application object; its start can be made to fail.
class CTestApp : public win::CWinApp {
public:
    CTestApp() : CWinApp(kProgramTitle) {}
    win::BOOL initResult = win::TRUE;
    int exits = 0;
    win::BOOL InitInstance() override { return initResult; }
    int ExitInstance() override
    {
        ++exits;
        return CWinApp::ExitInstance() + 40;
    }
};

inline int Argc = 1;
inline char ProgramName[] = "test_platform_appframe";
inline char *Argv[] = {ProgramName, nullptr};

inline CTestApp &TestApp()
{
    static CTestApp app;
    return app;
}

inline void EnsureGui()
{
    static auto *gui = new win::GuiApplication(Argc, Argv);
    (void)gui;
    static bool started = [] {
        TestApp().InitApplication(Argc, Argv);
        return true;
    }();
    (void)started;
}

// Handles waiting events and messages until `done` holds or `ms` passed.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void Pump(int ms = 50)
{
    PumpUntil([] { return false; }, ms);
}

// Shows a window and makes it the active one, so that its controls take the
// focus.
inline void ShowActive(win::CWnd &wnd)
{
    wnd.ShowWindow(win::SW_SHOW);
    wnd.SetForegroundWindow();
    QWidget *w = win::WindowWidget(wnd.m_hWnd);
    PumpUntil([w] { return w && w->isActiveWindow(); }, 1000);
}

class AppframeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        win::RecordMessageBoxes(true);
    }
    void TearDown() override { win::RecordMessageBoxes(false); }
};

} // namespace appframetest
