// Finds the form of a window among the application's forms, the forms they own
// and the forms made without an owner that `extra` names, so that a test that
// meets a modal dialog by its window can work its controls.
#pragma once

#include <functional>
#include <initializer_list>

#include "platform/forms/TForm.h"
#include "platform/forms/TScreen.h"

namespace testsupport {

inline win::TForm *FormOfWindow(win::HWND h, std::initializer_list<win::TComponent *> extra = {})
{
    std::function<win::TForm *(win::TComponent *)> search = [&](win::TComponent *c) -> win::TForm * {
        if (auto *f = dynamic_cast<win::TForm *>(c); f && f->HandleAllocated() && f->Handle == h)
            return f;
        for (int i = 0; i < c->ComponentCount(); ++i)
            if (win::TForm *f = search(c->Components(i)))
                return f;
        return nullptr;
    };
    for (win::TComponent *c : extra)
        if (win::TForm *f = c ? search(c) : nullptr)
            return f;
    for (int i = 0; i < win::Screen->GetFormCount(); ++i)
        if (win::TForm *f = search(win::Screen->Forms(i)))
            return f;
    return nullptr;
}

} // namespace testsupport
