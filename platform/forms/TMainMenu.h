// The main menu of a form: its top-level items make the menu bar of the form
// that names it as Menu, each opening the items below it. A form shows at most
// one main menu, and a main menu sits on at most one form.
#pragma once

#include "platform/forms/TMenuItem.h"

namespace win {

class TForm;

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent *Owner);
    // Leaves the form's menu bar.
    ~TMainMenu() override;
    AnsiString ClassName() const override { return "TMainMenu"; }

    void ItemsChanged() override;

    // Inside the library: the form whose Menu this is, or null.
    TForm *GetForm() const { return form_; }
    void SetForm(TForm *form) { form_ = form; }

private:
    TForm *form_ = nullptr;
};

} // namespace win
