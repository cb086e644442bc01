// Shared by the form-library tests: the one Application of the test program and
// an event loop that runs until a condition holds.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/forms/TApplication.h"

namespace formstest {

inline win::TApplication &App()
{
    static int argc = 1;
    static char name[] = "test_platform_forms";
    static char *argv[] = {name, nullptr};
    static auto *app = new win::TApplication(argc, argv);
    return *app;
}

// Handles the waiting messages and events until `done` holds or `ms` passed.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        App().ProcessMessages();
    }
    return true;
}

} // namespace formstest
