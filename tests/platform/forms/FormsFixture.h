// Shared by the form-library tests: the one Application of the test program, an
// event loop that runs until a condition holds, a left click sent to a widget,
// and a fixture holding a form that the controls under test are placed on.
#pragma once

#include <gtest/gtest.h>


#include <functional>

#include "platform/forms/TForm.h"
#include "tests/support/QtInput.h"
#include "tests/support/TestApplication.h"

namespace formstest {

inline win::TApplication &App() { return testsupport::TestApplication("test_platform_forms"); }

// Handles the waiting messages and events until `done` holds or `ms` passed.
inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    return testsupport::PumpUntil(App(), done, ms);
}

using testsupport::LeftClick;

// A 300 x 200 form, made for each test and deleted after it, with its controls.
class ControlsOnForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        form = new win::TForm(&App());
        form->SetBounds(0, 0, 300, 200);
    }
    void TearDown() override { delete form; }
    // A new control of type T on the form.
    template <typename T>
    T *Add()
    {
        auto *c = new T(form);
        c->Parent = form;
        return c;
    }
    win::TForm *form = nullptr;
};

} // namespace formstest
