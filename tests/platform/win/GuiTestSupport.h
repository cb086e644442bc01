// Test helpers for the message tests: the GUI application of the test program and
// an event loop that runs until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>

#include "platform/win/GuiApplication.h"

namespace wintest {

inline win::GuiApplication &EnsureGui()
{
    static int argc = 1;
    static char name[] = "test_platform_win";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::GuiApplication(argc, argv);
    return *app;
}

// Runs the GUI thread's event loop until `done` holds or `ms` have passed.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace wintest
