// The one Application of a test program that drives forms headless, and an
// event loop that runs until a condition holds.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/forms/TApplication.h"

namespace testsupport {

// The program's Application, made at the first call under programName.
inline win::TApplication &TestApplication(const char *programName)
{
    static int argc = 1;
    static std::string name = programName;
    static char *argv[] = {name.data(), nullptr};
    static auto *app = new win::TApplication(argc, argv);
    return *app;
}

// Handles app's waiting messages and events until `done` holds or `ms` passed.
inline bool PumpUntil(win::TApplication &app, const std::function<bool()> &done, int ms)
{
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        app.ProcessMessages();
    }
    return true;
}

} // namespace testsupport
